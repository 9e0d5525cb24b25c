// Type-ahead search in lists: the search text and its pause (on a clock the test moves), the
// matching of rows, and typing into an offscreen list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include "runtime/BrowseLocator.h"
#include "runtime/BrowseLocatorView.h"

using vrt::LocatorText;

TEST(LocatorText, MatchesRowsByTheirStartIgnoringCase)
{
    const QStringList rows = {"Zagreb", "abacus", "ABBA", "Abbey Road", "Čakovec", "čaša"};
    const auto find = [&](const QString& text) {
        return LocatorText::findRow(int(rows.size()), [&](int r) { return rows[r]; }, text);
    };
    struct Case {
        const char* text;
        int row;
    };
    const Case cases[] = {
        {"ab", 1}, {"AB", 1}, {"abb", 2}, {"Abbe", 3}, {"ča", 4}, {"ČAŠ", 5}, {"", 0}, {"x", -1}, {"Zagreb2", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(find(QString::fromUtf8(c.text)), c.row) << c.text;
    // Only the first 1023 characters of a row take part.
    const QString longRow = QString(LocatorText::MaxLength, QLatin1Char('a')) + QLatin1Char('b');
    EXPECT_TRUE(LocatorText::matches(longRow, QString(LocatorText::MaxLength, QLatin1Char('a'))));
    EXPECT_FALSE(LocatorText::matches(longRow, longRow));
}

TEST(LocatorText, TypingBackspaceAndThePause)
{
    qint64 now = 1000;
    LocatorText text([&] { return now; });
    text.type(QStringLiteral("ab"));
    EXPECT_EQ(text.text(), QStringLiteral("ab"));
    text.type(QString(QChar(8)));
    EXPECT_EQ(text.text(), QStringLiteral("a"));
    text.type(QString(QChar(8)) + QChar(8));
    EXPECT_EQ(text.text(), QString());
    text.type(QStringLiteral("x"));
    now += 199;
    EXPECT_FALSE(text.expired());
    now += 1;
    EXPECT_TRUE(text.expired());
    text.clear();
    EXPECT_FALSE(text.expired()); // nothing to clear
    text.setClearTime(50);
    text.type(QStringLiteral("y"));
    now += 50;
    EXPECT_TRUE(text.expired());
    // At most 1023 characters; more are dropped.
    text.clear();
    text.type(QString(LocatorText::MaxLength + 5, QLatin1Char('z')));
    EXPECT_EQ(text.text().size(), LocatorText::MaxLength);
    text.type(QStringLiteral("q"));
    EXPECT_FALSE(text.text().endsWith(QLatin1Char('q')));
    for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Return, Qt::Key_Enter})
        EXPECT_TRUE(LocatorText::clearsOn(key)) << key;
    for (int key : {Qt::Key_Left, Qt::Key_A, Qt::Key_Tab, Qt::Key_Backspace})
        EXPECT_FALSE(LocatorText::clearsOn(key)) << key;
}

namespace {
struct ListFixture : ::testing::Test {
    QStandardItemModel model;
    QListView view;
    CFCQUEUELOCATORCLASS locator;
    qint64 now = 5000;
    void SetUp() override
    {
        for (const char* name : {"Ana", "Borna", "Branka", "Bruno", "Cvita", "Abel"})
            model.appendRow(new QStandardItem(QString::fromUtf8(name)));
        view.setModel(&model);
        view.setCurrentIndex(model.index(4, 0));
        locator.setClock([this] { return now; });
        locator.INIT(&view);
        locator.SETACTIVELOCATOR(0);
    }
    int row() const { return view.currentIndex().row(); }
};
} // namespace

TEST_F(ListFixture, TypedLettersSelectTheFirstMatchingRow)
{
    QTest::keyClicks(&view, QStringLiteral("br"));
    EXPECT_EQ(locator.searchText(), QStringLiteral("br"));
    EXPECT_EQ(row(), 2); // Branka: the list's own search did not move on from it
    QTest::keyClick(&view, Qt::Key_U);
    EXPECT_EQ(row(), 3);
    // No match leaves the selection.
    QTest::keyClick(&view, Qt::Key_X);
    EXPECT_EQ(row(), 3);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(locator.searchText(), QStringLiteral("bru"));

    // After the pause the text is cleared: the next letter starts a new search.
    now += 200;
    locator.TAKETIMER();
    EXPECT_EQ(locator.searchText(), QString());
    QTest::keyClick(&view, Qt::Key_A);
    EXPECT_EQ(row(), 0);
    // A pause the timer has not seen yet counts too.
    now += 250;
    QTest::keyClick(&view, Qt::Key_C);
    EXPECT_EQ(locator.searchText(), QStringLiteral("c"));
    EXPECT_EQ(row(), 4);
}

TEST_F(ListFixture, BackspaceOnNothingSelectsTheFirstRow)
{
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(locator.searchText(), QString());
    EXPECT_EQ(row(), 0);
}

TEST_F(ListFixture, NavigationKeysClicksAndSwitchingOffEndTheSearch)
{
    QTest::keyClicks(&view, QStringLiteral("bo"));
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(locator.searchText(), QString());
    EXPECT_EQ(row(), 2);
    QTest::keyClicks(&view, QStringLiteral("ab"));
    EXPECT_EQ(row(), 5);
    view.resize(200, 200);
    view.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(model.index(1, 0)).center());
    EXPECT_EQ(locator.searchText(), QString());
    // Switched off, typing is the list's own again.
    locator.REMOVELOCATOR();
    QTest::keyClick(&view, Qt::Key_C);
    EXPECT_EQ(locator.searchText(), QString());
    EXPECT_EQ(row(), 4); // Qt's own search found Cvita
}

TEST(QueueLocator, TheLocatorEntryShowsTheTextAndSearchesWhatIsTypedIntoIt)
{
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Šifra"), QStringLiteral("Naziv")});
    for (const char* name : {"Jabuka", "Kruška", "Šljiva"})
        model.appendRow({new QStandardItem(QStringLiteral("1")), new QStandardItem(QString::fromUtf8(name))});
    QTableView view;
    view.setModel(&model);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    QLineEdit entry;
    QString mirror;
    CFCQUEUELOCATORCLASS locator;
    locator.INIT(&view, &mirror, &entry);
    locator.SETACTIVELOCATOR(1);
    EXPECT_EQ(entry.placeholderText(), QStringLiteral("Naziv"));
    int selected = -1;
    QObject::connect(&locator, &CFCQUEUELOCATORCLASS::newSelection, [&](int r) { selected = r; });
    QTest::keyClicks(&view, QStringLiteral("kr"));
    EXPECT_EQ(mirror, QStringLiteral("kr"));
    EXPECT_EQ(entry.text(), QStringLiteral("kr"));
    EXPECT_EQ(selected, 1);
    entry.setText(QString::fromUtf8("šlj  "));
    locator.TAKEACCEPTED();
    EXPECT_EQ(locator.searchText(), QString::fromUtf8("šlj"));
    EXPECT_EQ(mirror, QString::fromUtf8("šlj"));
    EXPECT_EQ(view.currentIndex().row(), 2);
    // A click on the column headers (a new order) starts a new search.
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(entry.text(), QString());
    EXPECT_EQ(locator.searchText(), QString());
}
