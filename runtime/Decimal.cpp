#include "runtime/Decimal.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

namespace vrt {
namespace {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr u128 pow10u(int n)
{
    u128 v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

constexpr u128 kLimit = pow10u(Decimal::MaxDigits);

u128 magnitude(i128 v) { return v < 0 ? u128(-v) : u128(v); }

// Products and aligned operands need up to 76 digits, so the exact intermediate work is done
// in 256 bits and only the final result is checked against the 38-digit limit.
struct U256 {
    uint64_t w[4] = {0, 0, 0, 0}; // least significant first

    static U256 of(u128 v)
    {
        U256 r;
        r.w[0] = uint64_t(v);
        r.w[1] = uint64_t(v >> 64);
        return r;
    }
    bool isZero() const { return (w[0] | w[1] | w[2] | w[3]) == 0; }
    bool fits128() const { return (w[2] | w[3]) == 0; }
    u128 low128() const { return (u128(w[1]) << 64) | w[0]; }
    bool odd() const { return w[0] & 1; }
};

int compare(const U256& a, const U256& b)
{
    for (int i = 3; i >= 0; --i) {
        if (a.w[i] != b.w[i])
            return a.w[i] < b.w[i] ? -1 : 1;
    }
    return 0;
}

U256 add(const U256& a, const U256& b)
{
    U256 r;
    u128 carry = 0;
    for (int i = 0; i < 4; ++i) {
        const u128 s = u128(a.w[i]) + b.w[i] + carry;
        r.w[i] = uint64_t(s);
        carry = s >> 64;
    }
    return r;
}

// Requires a >= b.
U256 sub(const U256& a, const U256& b)
{
    U256 r;
    uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
        const u128 d = u128(a.w[i]) - b.w[i] - borrow;
        r.w[i] = uint64_t(d);
        borrow = (d >> 64) ? 1 : 0;
    }
    return r;
}

U256 mul(u128 a, u128 b)
{
    const uint64_t x[2] = {uint64_t(a), uint64_t(a >> 64)};
    const uint64_t y[2] = {uint64_t(b), uint64_t(b >> 64)};
    U256 r;
    for (int i = 0; i < 2; ++i) {
        u128 carry = 0;
        for (int j = 0; j < 2; ++j) {
            const u128 t = u128(x[i]) * y[j] + r.w[i + j] + carry;
            r.w[i + j] = uint64_t(t);
            carry = t >> 64;
        }
        r.w[i + 2] = uint64_t(carry);
    }
    return r;
}

// Operands here stay below 10^76 < 2^253, so the top limb never carries out.
void mulSmall(U256& a, uint64_t m)
{
    u128 carry = 0;
    for (auto& limb : a.w) {
        const u128 t = u128(limb) * m + carry;
        limb = uint64_t(t);
        carry = t >> 64;
    }
}

void scaleUp(U256& a, int places)
{
    while (places > 0) {
        const int step = std::min(places, 18);
        mulSmall(a, uint64_t(pow10u(step)));
        places -= step;
    }
}

uint64_t divSmall(U256& a, uint64_t d)
{
    u128 rem = 0;
    for (int i = 3; i >= 0; --i) {
        const u128 cur = (rem << 64) | a.w[i];
        a.w[i] = uint64_t(cur / d);
        rem = cur % d;
    }
    return uint64_t(rem);
}

void shiftLeft1(U256& a)
{
    for (int i = 3; i > 0; --i)
        a.w[i] = (a.w[i] << 1) | (a.w[i - 1] >> 63);
    a.w[0] <<= 1;
}

// Plain shift-and-subtract; these numbers are few and short-lived, speed is not a concern.
void divMod(const U256& n, const U256& d, U256& q, U256& r)
{
    q = U256();
    r = U256();
    for (int bit = 255; bit >= 0; --bit) {
        shiftLeft1(r);
        r.w[0] |= (n.w[bit / 64] >> (bit % 64)) & 1;
        if (compare(r, d) >= 0) {
            r = sub(r, d);
            q.w[bit / 64] |= uint64_t(1) << (bit % 64);
        }
    }
}

// Whether the magnitude q + r/d (0 <= r < d) of a value with the given sign moves up to q + 1.
bool roundsUp(const U256& q, const U256& r, const U256& d, bool negative, Rounding mode)
{
    if (r.isZero())
        return false;
    auto half = [&] {
        U256 twice = r;
        shiftLeft1(twice);
        return compare(twice, d);
    };
    switch (mode) {
    case Rounding::HalfAwayFromZero:
        return half() >= 0;
    case Rounding::HalfEven: {
        const int h = half();
        return h > 0 || (h == 0 && q.odd());
    }
    case Rounding::Down:
        return false;
    case Rounding::Up:
        return true;
    case Rounding::Floor:
        return negative;
    case Rounding::Ceiling:
        return !negative;
    }
    return false;
}

void checkScale(int scale)
{
    if (scale < 0 || scale > Decimal::MaxScale)
        throw DecimalError(DecimalError::BadScale, "decimal scale must be 0..18");
}

Decimal make(const U256& mag, bool negative, int scale)
{
    if (!mag.fits128() || mag.low128() >= kLimit)
        throw DecimalError(DecimalError::Overflow, "decimal overflow: more than 38 digits");
    const i128 v = i128(mag.low128());
    return Decimal::fromUnscaled(negative ? -v : v, scale);
}

std::string digitsOf(u128 v)
{
    std::string s;
    do {
        s.push_back(char('0' + int(v % 10)));
        v /= 10;
    } while (v != 0);
    std::reverse(s.begin(), s.end());
    return s;
}

// Sign and digits with the point placed for `scale`; `scale` may exceed the value's own.
struct Parts {
    bool negative = false;
    std::string whole;
    std::string fraction;
};

Parts partsOf(const Decimal& d)
{
    Parts p;
    p.negative = d.sign() < 0;
    std::string digits = digitsOf(magnitude(d.unscaled()));
    if (int(digits.size()) <= d.scale())
        digits.insert(0, size_t(d.scale() + 1 - int(digits.size())), '0');
    p.whole = digits.substr(0, digits.size() - size_t(d.scale()));
    p.fraction = digits.substr(digits.size() - size_t(d.scale()));
    return p;
}

Parts partsAt(const Decimal& d, int scale)
{
    checkScale(scale);
    if (scale < d.scale())
        return partsOf(d.round(scale));
    Parts p = partsOf(d);
    p.fraction.append(size_t(scale - d.scale()), '0');
    return p;
}

// Shared by the narrow and the UTF-16 parser: `at(i)` yields the i-th character already
// mapped to '0'..'9', '+', '-', '.', ',' (thousands), ' ' (blank) or '?' for anything else.
// Locales that group with a (non-breaking) space get `blankGroups`, so inner blanks group
// digits while outer ones are still trimmed; users rarely type the non-breaking kind.
template <typename At>
std::optional<Decimal> parseMapped(qsizetype size, At at, bool blankGroups)
{
    qsizetype i = 0;
    while (i < size && at(i) == ' ')
        ++i;
    while (size > i && at(size - 1) == ' ')
        --size;
    if (i == size)
        return std::nullopt;

    bool negative = false;
    if (at(i) == '+' || at(i) == '-')
        negative = at(i++) == '-';

    // Grouping must be well formed ("1.234.567"): a first group of one to three digits, then
    // groups of exactly three, so "1.2.3" is refused rather than read as 123.
    std::string whole, fraction;
    bool point = false;
    qsizetype groupStart = -1; // where the digits of the current group began, once grouped
    const auto groupComplete = [&] { return groupStart < 0 || qsizetype(whole.size()) - groupStart == 3; };
    for (; i < size; ++i) {
        const char c = at(i);
        if (c >= '0' && c <= '9') {
            (point ? fraction : whole).push_back(c);
        } else if (c == '.' && !point) {
            if (!groupComplete())
                return std::nullopt;
            point = true;
        } else if ((c == ',' || (c == ' ' && blankGroups)) && !point && !whole.empty()
                   && i + 1 < size && at(i + 1) >= '0' && at(i + 1) <= '9') {
            if (groupStart < 0 ? whole.size() > 3 : !groupComplete())
                return std::nullopt;
            groupStart = qsizetype(whole.size());
        } else {
            return std::nullopt;
        }
    }
    if ((whole.empty() && fraction.empty()) || (!point && !groupComplete()))
        return std::nullopt;

    // Trailing zeros past the last representable place carry no value.
    while (int(fraction.size()) > Decimal::MaxScale && fraction.back() == '0')
        fraction.pop_back();
    if (int(fraction.size()) > Decimal::MaxScale)
        return std::nullopt;

    u128 v = 0;
    for (char c : whole + fraction) {
        v = v * 10 + u128(c - '0');
        if (v >= kLimit)
            return std::nullopt;
    }
    const i128 s = i128(v);
    return Decimal::fromUnscaled(negative ? -s : s, int(fraction.size()));
}

constexpr char16_t kUnicodeMinus = u'\u2212';

} // namespace

Decimal Decimal::fromUnscaled(__int128 unscaled, int scale)
{
    checkScale(scale);
    if (magnitude(unscaled) >= kLimit)
        throw DecimalError(DecimalError::Overflow, "decimal overflow: more than 38 digits");
    Decimal d;
    d.m_unscaled = unscaled;
    d.m_scale = scale;
    return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text, char decimalSep, char thousandSep)
{
    if (thousandSep == decimalSep)
        thousandSep = '\0';
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    return parseMapped(qsizetype(text.size()), [&](qsizetype i) -> char {
        const char c = text[size_t(i)];
        if (c >= '0' && c <= '9')
            return c;
        if (blank(c))
            return ' ';
        if (c == decimalSep)
            return '.';
        if (thousandSep != '\0' && c == thousandSep)
            return ',';
        if (c == '+' || c == '-')
            return c;
        return '?';
    }, blank(thousandSep));
}

std::optional<Decimal> Decimal::parse(QStringView text, QChar decimalSep, QChar thousandSep)
{
    if (thousandSep == decimalSep)
        thousandSep = QChar();
    return parseMapped(text.size(), [&](qsizetype i) -> char {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            return char(c.unicode());
        if (c.isSpace())
            return ' ';
        if (c == decimalSep)
            return '.';
        if (!thousandSep.isNull() && c == thousandSep)
            return ',';
        if (c == u'+' || c == u'-')
            return char(c.unicode());
        if (c == kUnicodeMinus)
            return '-';
        return '?';
    }, thousandSep.isSpace());
}

Decimal Decimal::fromDouble(double value, int scale)
{
    checkScale(scale);
    if (!std::isfinite(value))
        throw DecimalError(DecimalError::NotFinite, "decimal from a non-finite double");
    // Fixed notation of the smallest subnormal needs about 330 characters.
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string_view text(buf, size_t(res.ptr - buf));

    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const size_t point = text.find('.');
    std::string whole(text.substr(0, point));
    std::string fraction = point == std::string_view::npos ? std::string()
                                                           : std::string(text.substr(point + 1));
    bool up = false;
    if (int(fraction.size()) > scale) {
        up = fraction[size_t(scale)] >= '5';
        fraction.resize(size_t(scale));
    }
    fraction.append(size_t(scale) - fraction.size(), '0');

    U256 mag;
    for (char c : whole + fraction) {
        mulSmall(mag, 10);
        mag = add(mag, U256::of(u128(c - '0')));
        if (!mag.fits128() || mag.low128() >= kLimit)
            throw DecimalError(DecimalError::Overflow, "decimal overflow: more than 38 digits");
    }
    if (up)
        mag = add(mag, U256::of(1));
    return make(mag, negative, scale);
}

double Decimal::toDouble() const
{
    // from_chars ignores the C locale, which Qt applications switch to the user's.
    const std::string text = toString();
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

Decimal Decimal::abs() const
{
    return m_unscaled < 0 ? -*this : *this;
}

std::string Decimal::toString() const
{
    const Parts p = partsOf(*this);
    std::string s = p.negative ? "-" : "";
    s += p.whole;
    if (!p.fraction.empty())
        s += '.' + p.fraction;
    return s;
}

std::string Decimal::toString(int scale) const
{
    const Parts p = partsAt(*this, scale);
    std::string s = p.negative ? "-" : "";
    s += p.whole;
    if (!p.fraction.empty())
        s += '.' + p.fraction;
    return s;
}

QString Decimal::format(int scale, QChar decimalSep, QChar thousandSep) const
{
    const Parts p = partsAt(*this, scale);
    QString s;
    if (p.negative)
        s += u'-';
    for (size_t i = 0; i < p.whole.size(); ++i) {
        if (i > 0 && !thousandSep.isNull() && (p.whole.size() - i) % 3 == 0)
            s += thousandSep;
        s += QLatin1Char(p.whole[i]);
    }
    if (!p.fraction.empty()) {
        s += decimalSep;
        s += QLatin1String(p.fraction.data(), qsizetype(p.fraction.size()));
    }
    return s;
}

QString Decimal::format(int scale, const QLocale& locale) const
{
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    const bool grouping = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
    QString s = format(scale, point.isEmpty() ? QChar(u'.') : point.front(),
                       grouping && !group.isEmpty() ? group.front() : QChar());
    if (s.startsWith(u'-'))
        s.replace(0, 1, locale.negativeSign());
    return s;
}

Decimal Decimal::round(int scale, Rounding mode) const
{
    checkScale(scale);
    const bool negative = m_unscaled < 0;
    U256 mag = U256::of(magnitude(m_unscaled));
    if (scale >= m_scale) {
        scaleUp(mag, scale - m_scale);
        return make(mag, negative, scale);
    }
    const U256 d = U256::of(pow10u(m_scale - scale));
    U256 q, r;
    divMod(mag, d, q, r);
    if (roundsUp(q, r, d, negative, mode))
        q = add(q, U256::of(1));
    return make(q, negative && !q.isZero(), scale);
}

Decimal Decimal::divide(const Decimal& divisor, int scale, Rounding mode) const
{
    checkScale(scale);
    if (divisor.isZero())
        throw DecimalError(DecimalError::DivisionByZero, "decimal division by zero");
    // a/10^sa / (b/10^sb) * 10^scale = a * 10^(scale + sb - sa) / b
    const int exponent = scale + divisor.m_scale - m_scale;
    U256 n = U256::of(magnitude(m_unscaled));
    U256 d = U256::of(magnitude(divisor.m_unscaled));
    if (exponent >= 0)
        scaleUp(n, exponent);
    else
        scaleUp(d, -exponent);
    const bool negative = (m_unscaled < 0) != (divisor.m_unscaled < 0);
    U256 q, r;
    divMod(n, d, q, r);
    if (roundsUp(q, r, d, negative, mode))
        q = add(q, U256::of(1));
    return make(q, negative && !q.isZero(), scale);
}

Decimal operator+(const Decimal& a, const Decimal& b)
{
    const int scale = std::max(a.m_scale, b.m_scale);
    U256 x = U256::of(magnitude(a.m_unscaled));
    U256 y = U256::of(magnitude(b.m_unscaled));
    scaleUp(x, scale - a.m_scale);
    scaleUp(y, scale - b.m_scale);
    const bool xNeg = a.m_unscaled < 0;
    const bool yNeg = b.m_unscaled < 0;
    if (xNeg == yNeg)
        return make(add(x, y), xNeg, scale);
    if (compare(x, y) >= 0)
        return make(sub(x, y), xNeg, scale);
    return make(sub(y, x), yNeg, scale);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    U256 p = mul(magnitude(a.m_unscaled), magnitude(b.m_unscaled));
    int scale = a.m_scale + b.m_scale;
    for (; scale > Decimal::MaxScale; --scale) {
        if (p.isZero())
            continue;
        U256 q = p;
        if (divSmall(q, 10) != 0)
            throw DecimalError(DecimalError::Overflow,
                               "decimal product needs more than 18 decimal places");
        p = q;
    }
    const bool negative = (a.m_unscaled < 0) != (b.m_unscaled < 0);
    return make(p, negative && !p.isZero(), scale);
}

Decimal Decimal::operator-() const
{
    Decimal d = *this;
    d.m_unscaled = -m_unscaled;
    return d;
}

std::weak_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    if (a.sign() != b.sign())
        return a.sign() < b.sign() ? std::weak_ordering::less : std::weak_ordering::greater;
    const int scale = std::max(a.m_scale, b.m_scale);
    U256 x = U256::of(magnitude(a.m_unscaled));
    U256 y = U256::of(magnitude(b.m_unscaled));
    scaleUp(x, scale - a.m_scale);
    scaleUp(y, scale - b.m_scale);
    int c = compare(x, y);
    if (a.sign() < 0)
        c = -c;
    return c < 0 ? std::weak_ordering::less
                 : (c > 0 ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}

bool operator==(const Decimal& a, const Decimal& b)
{
    return (a <=> b) == 0;
}

std::ostream& operator<<(std::ostream& out, const Decimal& value)
{
    return out << value.toString();
}

} // namespace vrt
