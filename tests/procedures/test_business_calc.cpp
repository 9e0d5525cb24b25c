#include <gtest/gtest.h>

#include "procedures/documents/ItemCalc.h"

using business::ItemAmounts;
using business::ItemCalc;
using business::ItemField;

namespace {

struct CalcCase {
    const char* name;
    ItemField edited;
    ItemAmounts in;  // Q P D R S T N G
    ItemAmounts out; // expected texts, worked out by hand
};

// Each row: the user changed one entry of an item holding `in`; the item then holds `out`.
const CalcCase kCases[] = {
    {"example line", ItemField::Quantity, {"3", "3.33", "", "15", "25", "", "", ""},
     {"3", "3.33", "1.4985", "15", "25", "2.12", "8.4915", "10.6115"}},
    {"price edit same step", ItemField::Price, {"3", "3.33", "", "15", "25", "", "", ""},
     {"3", "3.33", "1.4985", "15", "25", "2.12", "8.4915", "10.6115"}},
    {"tax rate zero", ItemField::TaxRate, {"2", "5", "", "", "0", "", "", ""}, {"2", "5", "0", "", "0", "0.00", "10", "10"}},
    {"percent above 100 capped", ItemField::DiscountPercent, {"3", "3.33", "", "150", "25", "", "", ""},
     {"3", "3.33", "9.99", "100", "25", "0.00", "0", "0"}},
    {"negative percent not capped", ItemField::DiscountPercent, {"1", "10", "", "-10", "0", "", "", ""},
     {"1", "10", "-1", "-10", "0", "0.00", "11", "11"}},
    {"discount amount above the line", ItemField::DiscountAmount, {"3", "3.33", "20", "", "25", "", "", ""},
     {"3", "3.33", "9.99", "100", "25", "0.00", "0", "0"}},
    {"discount amount back to percent", ItemField::DiscountAmount, {"3", "3.33", "1.4985", "", "25", "", "", ""},
     {"3", "3.33", "1.4985", "15", "25", "2.12", "8.4915", "10.6115"}},
    {"discount share that does not terminate", ItemField::DiscountAmount, {"3", "1", "1", "", "0", "", "", ""},
     {"3", "1", "1", "33.3333333333", "0", "0.00", "2", "2"}},
    {"gross 100 at 25 %", ItemField::Gross, {"2", "1", "1", "5", "25", "", "", "100"},
     {"2", "40", "0", "0", "25", "20.00", "80", "100"}},
    {"gross 99.99 at 25 % is rewritten", ItemField::Gross, {"3", "", "", "", "25", "", "", "99.99"},
     {"3", "26.664", "0", "0", "25", "20.00", "79.992", "99.992"}},
    {"net typed", ItemField::Net, {"4", "1", "0.4", "10", "25", "", "10", ""},
     {"4", "2.5", "0", "0", "25", "2.50", "10", "12.5"}},
    {"net over three", ItemField::Net, {"3", "1", "", "", "0", "", "10", ""},
     {"3", "3.3333333333", "0", "0", "0", "0.00", "10", "10"}},
    {"negative quantity", ItemField::Quantity, {"-2", "10", "", "10", "25", "", "", ""},
     {"-2", "10", "-2", "10", "25", "-4.50", "-18", "-22.5"}},
    {"tax half rounds away from zero", ItemField::Quantity, {"1", "0.1", "", "", "25", "", "", ""},
     {"1", "0.1", "0", "", "25", "0.03", "0.1", "0.13"}},
    {"negative tax half rounds away from zero", ItemField::Quantity, {"-1", "0.1", "", "", "25", "", "", ""},
     {"-1", "0.1", "0", "", "25", "-0.03", "-0.1", "-0.13"}},
    {"zero quantity with a typed gross keeps the price", ItemField::Gross, {"0", "7", "", "", "25", "", "", "100"},
     {"0", "7", "0", "0", "25", "20.00", "80", "100"}},
    {"zero quantity with a discount amount", ItemField::DiscountAmount, {"0", "3", "5", "", "25", "", "", ""},
     {"0", "3", "0", "0", "25", "0.00", "0", "0"}},
    {"zero quantity with a typed net", ItemField::Net, {"", "3", "", "", "10", "", "50", ""},
     {"", "3", "0", "0", "10", "5.00", "50", "55"}},
    {"quotient cut to the column", ItemField::Net, {"7", "", "", "", "0", "", "1234567891.1", ""},
     {"7", "176366841.585714285", "0", "0", "0", "0.00", "1234567891.1", "1234567891.1"}},
    {"a rate of minus 100 %", ItemField::Gross, {"1", "", "", "", "-100", "", "", "50"},
     {"1", "50", "0", "0", "-100", "0.00", "50", "50"}},
};

class ItemCalcTable : public ::testing::TestWithParam<CalcCase> {};

void expectItem(const ItemAmounts& got, const ItemAmounts& want)
{
    EXPECT_EQ(got.quantity, want.quantity);
    EXPECT_EQ(got.price, want.price);
    EXPECT_EQ(got.discountAmount, want.discountAmount);
    EXPECT_EQ(got.discountPercent, want.discountPercent);
    EXPECT_EQ(got.taxRate, want.taxRate);
    EXPECT_EQ(got.taxAmount, want.taxAmount);
    EXPECT_EQ(got.net, want.net);
    EXPECT_EQ(got.gross, want.gross);
}

} // namespace

TEST_P(ItemCalcTable, RecomputesFromTheEditedEntry)
{
    const CalcCase& c = GetParam();
    ItemAmounts item = c.in;
    const auto out = ItemCalc::apply(item, c.edited);
    ASSERT_TRUE(out.ok) << out.field.toStdString();
    expectItem(item, c.out);
}

INSTANTIATE_TEST_SUITE_P(Cases, ItemCalcTable, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return n;
});

TEST(ItemCalc, RefusesWhatDoesNotFitItsColumnAndChangesNothing)
{
    // Ten times a 19-digit price has 20 digits: the net amount would lose its whole part.
    ItemAmounts item{"10", "9999999999999999999", "", "", "25", "", "", ""};
    const ItemAmounts before = item;
    auto out = ItemCalc::apply(item, ItemField::Quantity);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.field, QStringLiteral("Iznos stavke:"));
    expectItem(item, before);

    // A typed value longer than its column.
    ItemAmounts typed{"12345678901234567890", "1", "", "", "0", "", "", ""};
    out = ItemCalc::apply(typed, ItemField::Quantity);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.field, QStringLiteral("Količina:"));

    // The largest value that fits is taken whole.
    ItemAmounts wide{"1", "999999999999999999", "", "", "0", "", "", ""};
    ASSERT_TRUE(ItemCalc::apply(wide, ItemField::Price).ok);
    EXPECT_EQ(wide.gross, "999999999999999999");
}

TEST(ItemCalc, FitCutsOnlyTheFraction)
{
    EXPECT_EQ(ItemCalc::fit(*vrt::Decimal::parse(std::string_view("1.5000")), 19), "1.5");
    EXPECT_EQ(ItemCalc::fit(*vrt::Decimal::parse(std::string_view("-12.3456789")), 6), "-12.34");
    EXPECT_EQ(ItemCalc::fit(*vrt::Decimal::parse(std::string_view("123456.7")), 5), std::nullopt);
    EXPECT_EQ(business::sumTexts({"0.1", "0.2", "", "x", "-0.05"}), *vrt::Decimal::parse(std::string_view("0.25")));
}

TEST(AmountFormat, RoundTripsThroughTheScreenForms)
{
    struct Row {
        const char* stored;
        const char* amount;    // amount format
        const char* percent;   // percentage format
        const char* readBack;  // what the amount text parses to
    } rows[] = {
        {"0", "", "", "0"},
        {"", "", "", "0"},
        {"1234.56", "1.234,56", "1234,56 %", "1234.56"},
        {"-1234.5", "-1.234,50", "-1234,50 %", "-1234.50"},
        {"0.005", "0,01", "0,01 %", "0.01"},
        {"-0.004", "", "", "0"},
        {"1234567.891", "1.234.567,89", "1234567,89 %", "1234567.89"},
        {"15", "15,00", "15,00 %", "15.00"},
        {"10.6115", "10,61", "10,61 %", "10.61"},
        {"99.992", "99,99", "99,99 %", "99.99"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stored);
        EXPECT_EQ(business::formatAmount(r.stored), QString::fromUtf8(r.amount));
        EXPECT_EQ(business::formatPercent(r.stored), QString::fromUtf8(r.percent));
        EXPECT_EQ(business::parseAmount(QString::fromUtf8(r.amount)), std::optional<std::string>(r.readBack));
        // The percentage text reads back to the same value.
        const auto p = business::parseAmount(QString::fromUtf8(r.percent));
        ASSERT_TRUE(p);
        EXPECT_EQ(ItemCalc::value(*p), ItemCalc::value(r.readBack));
    }
}

TEST(AmountFormat, ReadsWhatUsersType)
{
    const std::pair<const char*, std::optional<std::string>> typed[] = {
        {"3.33", "3.33"}, {"1.234", "1234"}, {"1.234.567", "1234567"}, {"  12,5 ", "12.5"}, {"-3,5", "-3.5"},
        {"25 %", "25"}, {"1234,567", "1234.567"}, {"abc", std::nullopt}, {"1,2,3", std::nullopt}, {"", "0"}};
    for (const auto& [text, want] : typed)
        EXPECT_EQ(business::parseAmount(QString::fromUtf8(text)), want) << text;
}
