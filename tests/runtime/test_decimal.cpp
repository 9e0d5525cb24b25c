#include "runtime/Decimal.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using vrt::Decimal;
using vrt::DecimalError;
using vrt::Rounding;

namespace {

Decimal dec(std::string_view text)
{
    const auto d = Decimal::parse(text);
    if (!d)
        ADD_FAILURE() << "test value does not parse: " << text;
    return d.value_or(Decimal());
}

template <typename F>
void expectError(DecimalError::Kind kind, F&& f)
{
    try {
        f();
        ADD_FAILURE() << "no DecimalError thrown";
    } catch (const DecimalError& e) {
        EXPECT_EQ(e.kind(), kind) << e.what();
    }
}

} // namespace

TEST(Decimal, TenDimesSumToExactlyOne)
{
    Decimal sum;
    for (int i = 0; i < 10; ++i)
        sum += dec("0.10");
    EXPECT_EQ(sum.toString(), "1.00");
    EXPECT_EQ(sum, Decimal(1));
    EXPECT_EQ(sum - Decimal(1), Decimal(0));
}

TEST(Decimal, RoundingModes)
{
    struct Case {
        const char* in;
        int scale;
        Rounding mode;
        const char* out;
    };
    const Case cases[] = {
        {"2.345", 2, Rounding::HalfAwayFromZero, "2.35"},
        {"-2.345", 2, Rounding::HalfAwayFromZero, "-2.35"},
        {"2.344", 2, Rounding::HalfAwayFromZero, "2.34"},
        {"9.995", 2, Rounding::HalfAwayFromZero, "10.00"},
        {"2.345", 2, Rounding::HalfEven, "2.34"},
        {"2.355", 2, Rounding::HalfEven, "2.36"},
        {"-2.345", 2, Rounding::HalfEven, "-2.34"},
        {"2.3451", 2, Rounding::HalfEven, "2.35"},
        {"0.5", 0, Rounding::HalfEven, "0"},
        {"1.5", 0, Rounding::HalfEven, "2"},
        {"2.349", 2, Rounding::Down, "2.34"},
        {"-2.349", 2, Rounding::Down, "-2.34"},
        {"2.341", 2, Rounding::Up, "2.35"},
        {"-2.341", 2, Rounding::Up, "-2.35"},
        {"2.340", 2, Rounding::Up, "2.34"},
        {"2.349", 2, Rounding::Floor, "2.34"},
        {"-2.341", 2, Rounding::Floor, "-2.35"},
        {"2.341", 2, Rounding::Ceiling, "2.35"},
        {"-2.349", 2, Rounding::Ceiling, "-2.34"},
        {"-0.001", 2, Rounding::HalfAwayFromZero, "0.00"},
        {"-0.001", 2, Rounding::Floor, "-0.01"},
        {"1.5", 3, Rounding::HalfAwayFromZero, "1.500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in << " to " << c.scale << " mode " << int(c.mode));
        const Decimal r = dec(c.in).round(c.scale, c.mode);
        EXPECT_EQ(r.toString(), c.out);
        EXPECT_EQ(r.scale(), c.scale);
    }
    // toString(scale) rounds the same way and pads rather than overflowing.
    EXPECT_EQ(dec("-2.345").toString(2), "-2.35");
    EXPECT_EQ(dec("2.5").toString(3), "2.500");
    EXPECT_EQ(Decimal(1).toString(18), "1.000000000000000000");
    expectError(DecimalError::BadScale, [] { dec("1").round(19); });
    expectError(DecimalError::BadScale, [] { dec("1").toString(-1); });
}

TEST(Decimal, ParseText)
{
    struct Case {
        const char* in;
        char point;
        char group;
        const char* out; // nullptr: rejected
    };
    const Case cases[] = {
        {"1.234,56", ',', '.', "1234.56"},
        {"1,234.50", '.', ',', "1234.50"},
        {"1 234,5", ',', ' ', "1234.5"},
        {"-12.345.678,9", ',', '.', "-12345678.9"},
        {"  -0.5 ", '.', 0, "-0.5"},
        {"\t+12\n", '.', 0, "12"},
        {".5", '.', 0, "0.5"},
        {"5.", '.', 0, "5"},
        {"-0.00", '.', 0, "0.00"},
        {"007.10", '.', 0, "7.10"},
        {"0.1000000000000000000000", '.', 0, "0.100000000000000000"},
        {"99999999999999999999999999999999999999", '.', 0,
         "99999999999999999999999999999999999999"},
        {"abc", '.', 0, nullptr},
        {"1e5", '.', 0, nullptr},
        {"", '.', 0, nullptr},
        {"   ", '.', 0, nullptr},
        {"-", '.', 0, nullptr},
        {".", '.', 0, nullptr},
        {"--1", '.', 0, nullptr},
        {"1-", '.', 0, nullptr},
        {"- 1", '.', 0, nullptr},
        {"1.2.3", '.', 0, nullptr},
        {"1 2", '.', 0, nullptr},
        {"1,234.50", '.', 0, nullptr},   // a separator nobody declared
        {"1.234,56", '.', ',', nullptr}, // separators the other way round
        {",123", '.', ',', nullptr},
        {"1,,234", '.', ',', nullptr},
        {"1,", '.', ',', nullptr},
        {"1,5.0", ',', '.', nullptr}, // grouping inside the fraction
        // Malformed grouping is refused, never read as the digits it holds.
        {"1.2.3", ',', '.', nullptr},
        {"1.23", ',', '.', nullptr},
        {"1.2345", ',', '.', nullptr},
        {"1234.567", ',', '.', nullptr},
        {"1.234.56,7", ',', '.', nullptr},
        {"12 34", ',', ' ', nullptr},
        {"1.234", ',', '.', "1234"},
        {"123.456.789", ',', '.', "123456789"},
        {"1234,5", ',', '.', "1234.5"},
        {"0.0000000000000000001", '.', 0, nullptr},
        {"100000000000000000000000000000000000000", '.', 0, nullptr},
        {"1000000000000000000000.000000000000000000", '.', 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.in << "\" point '" << c.point << "' group '"
                                        << c.group << "'");
        const auto d = Decimal::parse(c.in, c.point, c.group);
        if (c.out) {
            ASSERT_TRUE(d.has_value());
            EXPECT_EQ(d->toString(), c.out);
        } else {
            EXPECT_FALSE(d.has_value()) << d->toString();
        }
    }
}

TEST(Decimal, ParseScreenText)
{
    // Czech screen text: non-breaking space groups, and some locales show U+2212 as minus.
    auto d = Decimal::parse(QStringView(u"\u22121\u00a0234,56"), u',', QChar(0x00a0));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->toString(), "-1234.56");
    d = Decimal::parse(QStringView(u" 1 234,56 "), u',', QChar(0x00a0));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->toString(), "1234.56");
    EXPECT_FALSE(Decimal::parse(QStringView(u"1\u00a0234"), u'.', QChar()).has_value());
    EXPECT_FALSE(Decimal::parse(QStringView(u"\u0661\u0662")).has_value()); // non-ASCII digits
}

TEST(Decimal, FormatForScreen)
{
    struct Case {
        const char* in;
        int scale;
        QChar point;
        QChar group;
        const char16_t* out;
    };
    const Case cases[] = {
        {"1234567.891", 2, u',', u'.', u"1.234.567,89"},
        {"-1234.5", 2, u'.', u',', u"-1,234.50"},
        {"999.995", 2, u'.', u',', u"1,000.00"},
        {"123", 0, u',', u'.', u"123"},
        {"123456", 1, u',', u' ', u"123 456,0"},
        {"1234567", 0, u'.', QChar(), u"1234567"},
        {"-0.004", 2, u',', u'.', u"0,00"},
        {"0.5", 0, u'.', u',', u"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        const QString text = dec(c.in).format(c.scale, c.point, c.group);
        EXPECT_EQ(text, QString::fromUtf16(c.out));
        // What is shown reads back as the rounded value.
        const auto back = Decimal::parse(QStringView(text), c.point, c.group);
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        EXPECT_EQ(*back, dec(c.in).round(c.scale));
    }
    EXPECT_EQ(dec("1234.5").format(2, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("1.234,50"));
    EXPECT_EQ(dec("-1234.5").format(2, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("-1,234.50"));
}

TEST(Decimal, ProductScale)
{
    struct Case {
        const char* a;
        const char* b;
        const char* product;
    };
    const Case cases[] = {
        {"1.5", "0.25", "0.375"},
        {"1.50", "2.00", "3.0000"},
        {"-1.5", "2", "-3.0"},
        {"-1.5", "-2", "3.0"},
        {"0", "-2.5", "0.0"},
        // Above 18 places only exact trailing zeros go.
        {"0.5000000000", "0.200000000", "0.100000000000000000"},
        // The intermediate product has 55 digits; the result needs only 37.
        {"0.018014398509481984", "55511151231257827021.181583404541015625",
         "1000000000000000000.000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " * " << c.b);
        EXPECT_EQ((dec(c.a) * dec(c.b)).toString(), c.product);
        EXPECT_EQ((dec(c.b) * dec(c.a)).toString(), c.product);
    }
    expectError(DecimalError::Overflow, [] { dec("0.000000001") * dec("0.0000000001"); });
}

TEST(Decimal, SumsKeepTheLargerScale)
{
    EXPECT_EQ((dec("1.5") + dec("0.25")).toString(), "1.75");
    EXPECT_EQ((dec("1.50") - dec("1.5")).toString(), "0.00");
    EXPECT_EQ((dec("-0.75") + Decimal(1)).toString(), "0.25");
    EXPECT_EQ((Decimal(-3) - dec("0.5")).toString(), "-3.5");
    EXPECT_EQ((-dec("2.10")).toString(), "-2.10");
    // Aligning the first operand to one place needs 39 digits, the result only 38.
    EXPECT_EQ((dec("17500000000000000000000000000000000000")
               + dec("-8999999999999999999999999999999999999.5"))
                  .toString(),
              "8500000000000000000000000000000000000.5");
}

TEST(Decimal, OverflowIsReported)
{
    const Decimal big = dec("99999999999999999999999999999999999999");
    expectError(DecimalError::Overflow, [&] { big + Decimal(1); });
    expectError(DecimalError::Overflow, [&] { -big - Decimal(1); });
    expectError(DecimalError::Overflow, [] { dec("100000000000000000000") * dec("1000000000000000000"); });
    expectError(DecimalError::Overflow, [&] { big * big; });
    expectError(DecimalError::Overflow, [&] { big.round(1); });
    expectError(DecimalError::Overflow, [] { dec("10000000000000000000000000000000000000").divide(dec("0.01"), 0); });
    expectError(DecimalError::Overflow, [] { Decimal::fromDouble(1e300, 2); });
    __int128 limit = 1;
    for (int i = 0; i < 38; ++i)
        limit *= 10;
    expectError(DecimalError::Overflow, [&] { Decimal::fromUnscaled(limit, 0); });
    expectError(DecimalError::Overflow, [&] { Decimal::fromUnscaled(-limit, 2); });
    EXPECT_EQ(Decimal::fromUnscaled(1 - limit, 0), -big);
    // A value at the limit still prints with more places, since that needs no arithmetic.
    EXPECT_EQ(big.toString(2), "99999999999999999999999999999999999999.00");
}

TEST(Decimal, Division)
{
    struct Case {
        const char* a;
        const char* b;
        int scale;
        Rounding mode;
        const char* quotient;
    };
    const Case cases[] = {
        {"10", "3", 2, Rounding::HalfAwayFromZero, "3.33"},
        {"2", "3", 2, Rounding::HalfAwayFromZero, "0.67"},
        {"-2", "3", 2, Rounding::HalfAwayFromZero, "-0.67"},
        {"2", "-3", 2, Rounding::Ceiling, "-0.66"},
        {"-2", "-3", 2, Rounding::Floor, "0.66"},
        {"1", "8", 2, Rounding::HalfAwayFromZero, "0.13"},
        {"1", "8", 2, Rounding::HalfEven, "0.12"},
        {"1", "8", 2, Rounding::Down, "0.12"},
        {"1", "3", 0, Rounding::HalfAwayFromZero, "0"},
        {"7.5", "2.5", 0, Rounding::HalfAwayFromZero, "3"},
        {"1", "0.001", 2, Rounding::HalfAwayFromZero, "1000.00"},
        {"1.000000000000000001", "1", 0, Rounding::Up, "2"},
        {"0.000000000000000001", "3", 18, Rounding::HalfAwayFromZero, "0.000000000000000000"},
        {"99999999999999999999.999999999999999999", "0.000000000000000001", 0,
         Rounding::HalfAwayFromZero, "99999999999999999999999999999999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " / " << c.b << " to " << c.scale);
        EXPECT_EQ(dec(c.a).divide(dec(c.b), c.scale, c.mode).toString(), c.quotient);
    }
    expectError(DecimalError::DivisionByZero, [] { Decimal(1).divide(dec("0.00"), 2); });
    expectError(DecimalError::DivisionByZero, [] { Decimal(0).divide(Decimal(0), 2); });
    expectError(DecimalError::BadScale, [] { Decimal(1).divide(Decimal(3), 19); });
}

TEST(Decimal, ComparesByValue)
{
    EXPECT_EQ(dec("1.0"), dec("1.00"));
    EXPECT_EQ(dec("-0.0"), Decimal(0));
    EXPECT_EQ(dec("1.000000000000000000"), Decimal(1));
    EXPECT_NE(dec("1.000000000000000001"), Decimal(1));
    // Ascending, with scales and signs mixed so that no pair compares by raw digits.
    const char* ascending[] = {
        "-99999999999999999999999999999999999999", "-1.5", "-1.49", "-0.000000000000000001",
        "0", "0.09", "0.1", "0.10000000000000001", "2", "10.0",
        "99999999999999999999.999999999999999999", "99999999999999999999999999999999999999",
    };
    for (size_t i = 0; i + 1 < std::size(ascending); ++i) {
        SCOPED_TRACE(testing::Message() << ascending[i] << " < " << ascending[i + 1]);
        EXPECT_LT(dec(ascending[i]), dec(ascending[i + 1]));
        EXPECT_GT(dec(ascending[i + 1]), dec(ascending[i]));
        EXPECT_NE(dec(ascending[i]), dec(ascending[i + 1]));
    }
    EXPECT_EQ(dec("-0.50").sign(), -1);
    EXPECT_EQ(dec("0.00").sign(), 0);
    EXPECT_TRUE(dec("0.00").isZero());
    EXPECT_EQ(dec("-2.50").abs().toString(), "2.50");
}

TEST(Decimal, DoubleConversion)
{
    struct Case {
        double in;
        int scale;
        const char* out;
    };
    const Case cases[] = {
        {0.1, 2, "0.10"},
        {2.675, 2, "2.68"}, // binary value is 2.67499..., but 2.675 is what was meant
        {-1.005, 2, "-1.01"},
        {1234.5, 0, "1235"},
        {-0.0, 2, "0.00"},
        {0.004, 2, "0.00"},
        {1e-300, 18, "0.000000000000000000"},
        {123456789012.0, 1, "123456789012.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(Decimal::fromDouble(c.in, c.scale).toString(), c.out);
    }
    EXPECT_EQ(dec("1234.56").toDouble(), 1234.56);
    EXPECT_EQ(dec("-0.1").toDouble(), -0.1);
    expectError(DecimalError::NotFinite,
                [] { Decimal::fromDouble(std::numeric_limits<double>::quiet_NaN(), 2); });
    expectError(DecimalError::NotFinite,
                [] { Decimal::fromDouble(std::numeric_limits<double>::infinity(), 2); });
}
