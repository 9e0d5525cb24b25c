#pragma once
#include <glib-object.h>

#include <utility>

namespace controls {

// One reference to a GObject (GMime's streams, parsers and messages), dropped once when the
// holder goes, whichever way the code that made it returns.
template <class T>
class GObjectHolder {
public:
    explicit GObjectHolder(T* object = nullptr) : m_object(object) {}
    ~GObjectHolder() { reset(); }
    GObjectHolder(const GObjectHolder&) = delete;
    GObjectHolder& operator=(const GObjectHolder&) = delete;
    GObjectHolder(GObjectHolder&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GObjectHolder& operator=(GObjectHolder&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    // Drops the reference held and holds this one instead.
    void reset(T* object = nullptr)
    {
        if (T* old = std::exchange(m_object, object))
            g_object_unref(old);
    }
    // Hands the reference to the caller, who then owns it.
    [[nodiscard]] T* release() { return std::exchange(m_object, nullptr); }
    T* get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object;
};

} // namespace controls
