#pragma once
#include <QChar>
#include <QString>
#include <QStringView>

#include <compare>
#include <concepts>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

class QLocale;

namespace vrt {

// Money must never change silently, so every result that cannot be held exactly (more than
// 38 digits, more than 18 decimal places) or has no value (division by zero) throws this
// instead of wrapping or rounding. Only parse() reports through its return value, because
// bad text is an everyday input rather than a fault.
class DecimalError : public std::runtime_error {
public:
    enum Kind { Overflow, DivisionByZero, BadScale, NotFinite };
    DecimalError(Kind kind, const char* message) : std::runtime_error(message), m_kind(kind) {}
    Kind kind() const noexcept { return m_kind; }

private:
    Kind m_kind;
};

enum class Rounding {
    HalfAwayFromZero, // commercial rounding; the default everywhere
    HalfEven,         // banker's rounding
    Down,             // toward zero
    Up,               // away from zero
    Floor,            // toward minus infinity
    Ceiling,          // toward plus infinity
};

// An exact decimal number: unscaled integer (|unscaled| < 10^38) and a scale of 0..18
// decimal places. The scale is part of the value's text ("1.00" stays "1.00") but not of
// its identity: 1.0 == 1.00.
class Decimal {
public:
    static constexpr int MaxScale = 18;
    static constexpr int MaxDigits = 38;

    Decimal() = default;
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    Decimal(T value) : m_unscaled(static_cast<__int128>(value)) {}
    // A double is never exact; going through fromDouble() makes the rounding explicit.
    Decimal(double) = delete;

    // Throws DecimalError when scale is outside 0..18 or |unscaled| >= 10^38.
    static Decimal fromUnscaled(__int128 unscaled, int scale);

    // Text such as "-1234.50": blanks around it, an optional sign, digits, an optional
    // fraction. Thousand separators (when given) are skipped between digits of the whole
    // part. No exponents. nullopt for empty or malformed text and for values that do not
    // fit exactly.
    static std::optional<Decimal> parse(std::string_view text, char decimalSep = '.',
                                        char thousandSep = '\0');
    // Screen text; also accepts the Unicode minus sign some locales show.
    static std::optional<Decimal> parse(QStringView text, QChar decimalSep = u'.',
                                        QChar thousandSep = QChar());

    // For charts and imported floating values: the shortest text that reads back as `value`,
    // rounded half away from zero to `scale`. Throws for NaN, infinity and overflow.
    static Decimal fromDouble(double value, int scale);
    double toDouble() const;

    __int128 unscaled() const { return m_unscaled; }
    int scale() const { return m_scale; }
    int sign() const { return m_unscaled < 0 ? -1 : (m_unscaled > 0 ? 1 : 0); }
    bool isZero() const { return m_unscaled == 0; }
    Decimal abs() const;

    // Canonical database text: '.' as decimal point, no grouping, the value's own scale.
    std::string toString() const;
    // Rounded half away from zero (or padded with zeros) to exactly `scale` places.
    std::string toString(int scale) const;
    // Screen text with `scale` places; a null thousandSep means no grouping.
    QString format(int scale, QChar decimalSep = u'.', QChar thousandSep = QChar()) const;
    QString format(int scale, const QLocale& locale) const;

    // Result has exactly `scale` places: rounded when fewer than now, padded when more.
    Decimal round(int scale, Rounding mode = Rounding::HalfAwayFromZero) const;
    // Quotient rounded to `scale` places; throws DecimalError(DivisionByZero) for a zero divisor.
    Decimal divide(const Decimal& divisor, int scale,
                   Rounding mode = Rounding::HalfAwayFromZero) const;

    // Sum and difference take the larger scale; a product takes the sum of both scales,
    // dropping trailing zeros only when that sum is above 18.
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    Decimal operator-() const;
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    Decimal& operator-=(const Decimal& other) { return *this = *this - other; }
    Decimal& operator*=(const Decimal& other) { return *this = *this * other; }

    friend bool operator==(const Decimal& a, const Decimal& b);
    friend std::weak_ordering operator<=>(const Decimal& a, const Decimal& b);

    friend std::ostream& operator<<(std::ostream& out, const Decimal& value);

private:
    __int128 m_unscaled = 0;
    int m_scale = 0;
};

} // namespace vrt
