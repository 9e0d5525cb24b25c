// The one-key date commands: the arithmetic on day numbers for both week starts, and the keys
// reaching date fields of a window (and only writable ones).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "chrome/AlertKeys.h"
#include "chrome/QuickDate.h"
#include "chrome/QuickDateKeys.h"
#include "runtime/DateTime.h"

using MH::QUICKENDATECALCULATORCLASS;

namespace {
int day(int y, int m, int d) { return vrt::dayFromDate(QDate(y, m, d)); }
QString text(int dayNumber) { return vrt::dateFromDay(dayNumber).toString(Qt::ISODate); }
} // namespace

TEST(QuickDate, DayNumbersGiveTheWeekday)
{
    EXPECT_EQ(day(1801, 1, 1), 4);
    EXPECT_EQ(QUICKENDATECALCULATORCLASS::weekday(4), 4); // 1801-01-01 was a Thursday
    for (int d : {day(2026, 12, 6), day(2010, 1, 3), day(1900, 1, 7)}) // Sundays
        EXPECT_EQ(QUICKENDATECALCULATORCLASS::weekday(d), 0) << text(d).toStdString();
    EXPECT_EQ(QUICKENDATECALCULATORCLASS::weekday(-1), 6);
}

TEST(QuickDate, KeysMoveTheDate)
{
    using K = QUICKENDATECALCULATORCLASS;
    struct Case {
        int weekStart;
        QDate from;
        int key;
        QDate to;
    };
    const Case cases[] = {
        {0, {2026, 12, 9}, K::PlusKey, {2026, 12, 10}},
        {0, {2026, 12, 31}, K::PlusKey, {2027, 1, 1}},
        {0, {2024, 3, 1}, K::MinusKey, {2024, 2, 29}},
        // Week start and end, Monday weeks: 2026-12-09 is a Wednesday.
        {1, {2026, 12, 9}, K::WeekStartKey, {2026, 12, 7}},
        {1, {2026, 12, 7}, K::WeekStartKey, {2026, 11, 30}}, // on a Monday: the Monday before
        {1, {2026, 12, 13}, K::WeekStartKey, {2026, 12, 7}}, // Sunday ends the Monday week
        {1, {2026, 12, 9}, K::WeekEndKey, {2026, 12, 13}},
        {1, {2026, 12, 13}, K::WeekEndKey, {2026, 12, 20}}, // on a Sunday: the next Sunday
        {1, {2026, 12, 12}, K::WeekEndKey, {2026, 12, 13}},
        // Sunday weeks.
        {0, {2026, 12, 9}, K::WeekStartKey, {2026, 12, 6}},
        {0, {2026, 12, 6}, K::WeekStartKey, {2026, 11, 29}}, // on a Sunday: the Sunday before
        {0, {2026, 12, 9}, K::WeekEndKey, {2026, 12, 12}},
        {0, {2026, 12, 12}, K::WeekEndKey, {2026, 12, 19}}, // on a Saturday: the next one
        {0, {2026, 12, 6}, K::WeekEndKey, {2026, 12, 12}},
        // Months.
        {0, {2026, 3, 15}, K::MonthStartKey, {2026, 3, 1}},
        {0, {2026, 3, 1}, K::MonthStartKey, {2026, 2, 1}},
        {0, {2026, 1, 1}, K::MonthStartKey, {2025, 12, 1}},
        {0, {2026, 1, 31}, K::MonthEndKey, {2026, 2, 28}},
        {0, {2024, 1, 31}, K::MonthEndKey, {2024, 2, 29}},
        {0, {2026, 1, 15}, K::MonthEndKey, {2026, 1, 31}},
        {0, {2026, 12, 31}, K::MonthEndKey, {2027, 1, 31}},
        {0, {2026, 11, 30}, K::MonthEndKey, {2026, 12, 31}},
        // Years.
        {0, {2010, 1, 1}, K::YearStartKey, {2009, 1, 1}},
        {0, {2010, 6, 30}, K::YearStartKey, {2010, 1, 1}},
        {0, {2010, 12, 31}, K::YearEndKey, {2011, 12, 31}},
        {1, {2010, 6, 30}, K::YearEndKey, {2010, 12, 31}},
        // Other keys leave the date.
        {0, {2010, 6, 30}, 65, {2010, 6, 30}},
        {0, {2010, 6, 30}, K::TodayKey | cfckeys::ShiftBit, {2010, 6, 30}},
    };
    for (const Case& c : cases) {
        QUICKENDATECALCULATORCLASS calc;
        calc.INIT(uint8_t(c.weekStart));
        const int got = calc.CALCNEWDATE(vrt::dayFromDate(c.from), c.key);
        EXPECT_EQ(text(got), c.to.toString(Qt::ISODate))
            << c.from.toString(Qt::ISODate).toStdString() << " key " << c.key << " week start " << c.weekStart;
    }
}

TEST(QuickDate, TodayAndFieldsWithoutADate)
{
    const int today = day(2026, 12, 9);
    struct OnADay : QUICKENDATECALCULATORCLASS {
        int32_t day = 0;
        int32_t today() const override { return day; }
    } calc;
    calc.day = today;
    EXPECT_EQ(calc.CALCNEWDATE(day(2001, 5, 5), QUICKENDATECALCULATORCLASS::TodayKey), today);
    // An empty field counts from today rather than from the calendar's first day.
    EXPECT_EQ(calc.CALCNEWDATE(vrt::NoDate, QUICKENDATECALCULATORCLASS::PlusKey), today + 1);
    EXPECT_EQ(text(calc.CALCNEWDATE(vrt::NoDate, QUICKENDATECALCULATORCLASS::MonthStartKey)), "2026-12-01");
    // Nothing past the last date.
    EXPECT_EQ(calc.CALCNEWDATE(vrt::LastDay, QUICKENDATECALCULATORCLASS::PlusKey), vrt::LastDay);
    EXPECT_EQ(calc.CALCNEWDATE(vrt::LastDay, QUICKENDATECALCULATORCLASS::YearEndKey), vrt::LastDay);
}

TEST(QuickDate, KeysReachTheWritableDateFieldsOfAWindow)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* date = new QDateEdit(QDate(2026, 3, 15), &window);
    auto* readOnly = new QDateEdit(QDate(2026, 3, 15), &window);
    readOnly->setReadOnly(true);
    auto* picture = new QLineEdit(QStringLiteral("2026-03-15"), &window);
    picture->setProperty("picture", QStringLiteral("d17"));
    auto* plain = new QLineEdit(QStringLiteral("abc"), &window);
    for (QWidget* w : std::initializer_list<QWidget*>{date, readOnly, picture, plain})
        layout->addWidget(w);
    MH::QUICKENDATECLASS keys;
    keys.INIT(&window, 1);
    EXPECT_EQ(keys.fields(), 2);

    QTest::keyClick(date, Qt::Key_M);
    EXPECT_EQ(date->date(), QDate(2026, 3, 1));
    QTest::keyClick(date, Qt::Key_M);
    EXPECT_EQ(date->date(), QDate(2026, 2, 1));
    QTest::keyClick(date, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(date->date(), QDate(2026, 2, 2));
    QTest::keyClick(date, Qt::Key_Minus, Qt::KeypadModifier);
    QTest::keyClick(date, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(date->date(), QDate(2026, 1, 31));
    EXPECT_TRUE(date->property("touched").toBool());

    QTest::keyClick(readOnly, Qt::Key_M);
    EXPECT_EQ(readOnly->date(), QDate(2026, 3, 15));
    EXPECT_FALSE(readOnly->property("touched").toBool());

    QTest::keyClick(picture, Qt::Key_R);
    EXPECT_EQ(picture->text(), QStringLiteral("2026-12-31"));
    QTest::keyClick(plain, Qt::Key_R);
    EXPECT_EQ(plain->text(), QStringLiteral("abcr"));

    // A field made read-only later takes no more keys.
    date->setReadOnly(true);
    QTest::keyClick(date, Qt::Key_Y);
    EXPECT_EQ(date->date(), QDate(2026, 1, 31));
}
