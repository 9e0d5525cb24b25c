#include <gtest/gtest.h>

#include "procedures/common/ListLayout.h"
#include "procedures/common/ListLayoutView.h"
#include "tests/support/TestSupport.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

using namespace VelmoraDll;

TEST(ListLayout, EncodeTable)
{
    EXPECT_EQ(encodeWidths({80, 45}), QStringLiteral("0008000045"));
    EXPECT_EQ(encodeWidths({}), QString());
    EXPECT_EQ(encodeWidths({0, 123, 100000, -4}), QStringLiteral("00000001239999900000"));
    EXPECT_EQ(encodeWidths(std::vector<int>(300, 7)).size(), 255 * 5) << "column 256 on is not saved";
}

TEST(ListLayout, DecodeTable)
{
    using W = std::vector<std::optional<int>>;
    const auto none = std::nullopt;
    struct Case {
        const char* what;
        QString layout;
        int columns;
        W expected;
    };
    const Case cases[] = {
        {"fewer fields than columns", "0008000045", 4, W{80, 45, none, none}},
        {"more fields than columns", "000800004500010", 2, W{80, 45}},
        {"empty layout", "", 3, W{none, none, none}},
        {"blank field leaves its column", "00080     00030", 3, W{80, none, 30}},
        {"hand-edited field ignored", "00080 12x 00030", 3, W{80, none, 30}},
        {"padded number read", "  80 00045", 2, W{80, 45}},
        {"no columns", "00080", 0, W{}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeWidths(c.layout, c.columns), c.expected) << c.what;
    EXPECT_EQ(decodeWidths(QString(300 * 5, QLatin1Char('1')), 300).size(), 255u);
}

TEST(ListLayout, ViewRoundTripThroughStandardIni)
{
    testsupport::TempFolder dir;
    testsupport::CwdGuard cwd(dir.path());
    QStandardItemModel model(3, 4);
    QTableView first;
    first.setModel(&model);
    const int widths[] = {80, 45, 130, 61};
    for (int i = 0; i < 4; ++i)
        first.horizontalHeader()->resizeSection(i, widths[i]);
    ASSERT_TRUE(saveListLayout(first.horizontalHeader(), QStringLiteral("W_First"), QStringLiteral("?L:Email")));
    EXPECT_EQ(dir.read("Standard.ini").contains("?L:Email=00080000450013000061"), true)
        << dir.read("Standard.ini").toStdString();

    QTableView second;
    second.setModel(&model);
    second.horizontalHeader()->resizeSection(3, 10);
    restoreListLayout(second.horizontalHeader(), QStringLiteral("w_first"), QStringLiteral("?l:email"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(second.horizontalHeader()->sectionSize(i), widths[i]) << i;

    // A missing key changes nothing.
    restoreListLayout(second.horizontalHeader(), QStringLiteral("W_First"), QStringLiteral("?L:Notes"));
    EXPECT_EQ(second.horizontalHeader()->sectionSize(2), 130);
}
