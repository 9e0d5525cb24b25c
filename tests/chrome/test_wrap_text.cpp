// Long text over several list rows: the cutting rules with a fixed-width measure, and the
// list binding that measures with the view's columns and font.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include "chrome/WrapBrowse.h"
#include "chrome/WrapText.h"

namespace {
// Ten pixels a character.
int tenEach(QStringView s) { return int(s.size()) * 10; }
} // namespace

TEST(WrapText, CutsLinesToTheColumns)
{
    struct Case {
        const char* name;
        QString text;
        std::vector<int> widths;
        QStringList lines;
    };
    const Case cases[] = {
        {"short text fills the first row", "short", {100, 100, 100}, {"short", "", ""}},
        {"breaks after the last whole word", "one two three four", {80, 80, 80}, {"one two", "three", "four"}},
        {"a word wider than the column is split", "abcdefghijkl", {50, 50, 50}, {"abcde", "fghij", "kl"}},
        {"CR LF starts a new line, no blank one", "first\r\nsecond", {100, 100, 100}, {"first", "second", ""}},
        {"a lone CR starts a new line too", "a\rb", {100, 100}, {"a", "b"}},
        {"blanks between words are not carried", "aaa     bbb", {40, 40}, {"aaa", "bbb"}},
        {"leading and trailing blanks go", "   word   ", {100, 100}, {"word", ""}},
        {"empty text empties every row", "", {100, 100}, {"", ""}},
        {"blanks only empty every row", "    ", {100}, {""}},
        {"text beyond the last row is not shown", "aa bb cc", {20, 20}, {"aa", "bb"}},
        {"rows of their own widths", "one two three", {30, 200}, {"one", "two three"}},
        // A column narrower than a letter still shows a letter a row, not nothing.
        {"a column narrower than a letter", "abc", {5, 5, 5, 5}, {"a", "b", "c", ""}},
        {"a zero width column", "ab cd", {0, 0, 0}, {"a", "b", "c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MH::wrapLines(c.text, c.widths, tenEach), c.lines) << c.name;
}

TEST(WrapText, TheListBindingMeasuresWithTheColumnAndFont)
{
    QStandardItemModel model(3, 2);
    QTableView view;
    view.setModel(&model);
    const QFontMetrics metrics(view.font());
    view.horizontalHeader()->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("alpha beta")) + 6);
    QString first, second, third;
    MH::WRAPBROWSE wrap;
    wrap.INIT(&view);
    wrap.ADDROW(1, &first, 6);
    wrap.ADDROW(1, &second, 6);
    wrap.ADDROW(1, &third, 6);
    EXPECT_EQ(wrap.columnWidth(1, 6), metrics.horizontalAdvance(QStringLiteral("alpha beta")));
    wrap.WRAP(QStringLiteral("alpha beta gamma"));
    EXPECT_EQ(first, QStringLiteral("alpha beta"));
    EXPECT_EQ(second, QStringLiteral("gamma"));
    EXPECT_EQ(third, QString());
    // A bigger font leaves less room.
    QFont big = view.font();
    big.setPixelSize(metrics.height() * 2);
    view.setFont(big);
    wrap.WRAP(QStringLiteral("alpha beta gamma"));
    EXPECT_NE(first, QStringLiteral("alpha beta"));
    EXPECT_TRUE(QStringLiteral("alpha beta gamma").startsWith(first));
    wrap.WRAP(QString());
    EXPECT_TRUE(first.isEmpty() && second.isEmpty() && third.isEmpty());
}
