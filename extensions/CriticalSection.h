#pragma once
#include "runtime/Decimal.h"

#include <QString>

#include <concepts>
#include <type_traits>
#include <mutex>

namespace ST {

// Text variables of a declared size, as owners keep their hidden fields. Blank-padded
// (`STRING`), terminated (`CSTRING`: the terminator takes one place) and counted (`PSTRING`).
template <int N> struct STRING { QString value; };
template <int N> struct CSTRING { QString value; };
template <int N> struct PSTRING { QString value; };

class CRITICALSECTION;

// Holds a section for its own lifetime; an empty one holds nothing, so an accessor can take
// the lock or not with one code path.
class CRITICALPROCEDURE {
public:
    CRITICALPROCEDURE() = default;
    explicit CRITICALPROCEDURE(CRITICALSECTION* section)
    {
        if (section)
            bind(*section);
    }
    CRITICALPROCEDURE(const CRITICALPROCEDURE&) = delete;
    CRITICALPROCEDURE& operator=(const CRITICALPROCEDURE&) = delete;
    ~CRITICALPROCEDURE();
    void bind(CRITICALSECTION& section);

private:
    CRITICALSECTION* m_section = nullptr;
};

// The one lock of a thread-shared object, with accessors that read or write one of the
// owner's variables under it. A caller that already holds the section (between WAIT and
// RELEASE) passes lock = false.
class CRITICALSECTION {
public:
    void WAIT() { m_sync.lock(); }
    void RELEASE() { m_sync.unlock(); }

    template <class T>
        requires std::is_arithmetic_v<T>
    T GET_HID(const T& variable, bool lock = true)
    {
        const auto held = scoped(lock);
        return variable;
    }
    template <class T>
        requires std::is_arithmetic_v<T>
    void SET_HID(T& variable, std::type_identity_t<T> value, bool lock = true)
    {
        const auto held = scoped(lock);
        variable = value;
    }

    // Decimals travel as doubles (more significant digits than a double holds are lost) and
    // are stored with the places the variable has.
    double GET_HID(const vrt::Decimal& variable, bool lock = true);
    void SET_HID(vrt::Decimal& variable, double value, bool lock = true);

    template <int N> QString GET_HID(const STRING<N>& v, bool lock = true) { return text(v.value, lock); }
    template <int N> QString GET_HID(const CSTRING<N>& v, bool lock = true) { return text(v.value, lock); }
    template <int N> QString GET_HID(const PSTRING<N>& v, bool lock = true) { return text(v.value, lock); }
    template <int N> void SET_HID(STRING<N>& v, const QString& value, bool lock = true)
    {
        store(v.value, value.left(N).leftJustified(N, QLatin1Char(' ')), lock);
    }
    template <int N> void SET_HID(CSTRING<N>& v, const QString& value, bool lock = true)
    {
        store(v.value, value.left(N > 0 ? N - 1 : 0), lock);
    }
    template <int N> void SET_HID(PSTRING<N>& v, const QString& value, bool lock = true)
    {
        store(v.value, value.left(N), lock);
    }

private:
    CRITICALPROCEDURE scoped(bool lock) { return CRITICALPROCEDURE(lock ? this : nullptr); }
    QString text(const QString& variable, bool lock);
    void store(QString& variable, const QString& value, bool lock);

    std::recursive_mutex m_sync;
};

} // namespace ST
