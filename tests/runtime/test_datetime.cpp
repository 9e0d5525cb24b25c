#include "runtime/DateTime.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vrt;

TEST(DateTime, DayNumbers)
{
    struct Case {
        QDate date;
        int day;
        const char* text;
    };
    const Case cases[] = {
        {QDate(1800, 12, 29), 1, "1800-12-29"},
        {QDate(1801, 1, 1), 4, "1801-01-01"},
        {QDate(1900, 2, 28), 36221, "1900-02-28"}, // 1900 has no 29 February
        {QDate(1900, 3, 1), 36222, "1900-03-01"},
        {QDate(2000, 2, 29), 72746, "2000-02-29"},
        {QDate(2011, 8, 15), 76931, "2011-08-15"},
        {QDate(9999, 12, 31), 2994626, "9999-12-31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dayFromDate(c.date), c.day);
        EXPECT_EQ(dateFromDay(c.day), c.date);
        EXPECT_EQ(dayToText(c.day), QString::fromLatin1(c.text));
        EXPECT_EQ(dayFromText(QString::fromLatin1(c.text)), c.day);
    }
}

TEST(DateTime, NoDate)
{
    EXPECT_EQ(dayFromDate(QDate()), 0);
    EXPECT_EQ(dayFromDate(QDate(2011, 2, 30)), 0);
    EXPECT_EQ(dayFromDate(QDate(1800, 12, 28)), 0);
    EXPECT_EQ(dayFromDate(QDate(1700, 1, 1)), 0);
    EXPECT_TRUE(dateFromDay(0).isNull());
    EXPECT_TRUE(dateFromDay(-5).isNull());
    EXPECT_EQ(dayToText(0), QString());
    EXPECT_EQ(dayToText(-1), QString());
    // A year of five digits has no column text: after 9999-12-31 there is no date.
    EXPECT_EQ(dayFromDate(QDate(10000, 1, 1)), 0);
    EXPECT_EQ(dayFromDate(QDate(9999, 12, 31).addDays(1)), 0);
    EXPECT_TRUE(dateFromDay(LastDay + 1).isNull());
    EXPECT_EQ(dayToText(LastDay + 1), QString());
    EXPECT_EQ(dayToText(std::numeric_limits<int>::max()), QString());
}

TEST(DateTime, DayTextRoundTripsAcrossTheRange)
{
    for (int day = 1; day <= 2994626; day += 997) {
        const QString text = dayToText(day);
        ASSERT_EQ(dayFromText(text), day) << text.toStdString();
    }
}

TEST(DateTime, DayFromText)
{
    struct Case {
        const char* text;
        int day;
    };
    const Case cases[] = {
        {"2011-08-15", 76931},
        {"  2011-08-15 ", 76931},
        {"2011-08-15 09:05:00", 76931},
        {"2011-08-15T09:05:00.000", 76931},
        {"2011-08-15 09:05:00.1234567", 76931},
        {"", 0},
        {"2011-8-15", 0},
        {"15.08.2011", 0},
        {"2011-02-30", 0},
        {"2011-13-01", 0},
        {"1800-12-28", 0},
        {"2011-08-15x", 0},
        {"2011-08-15 ", 76931},
        {"2011-08-15 nonsense", 0},
        {"2011-08-15 25:00:00", 0},
        {"20110815", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dayFromText(QString::fromLatin1(c.text)), c.day);
    }
}

TEST(DateTime, TimeNumbers)
{
    struct Case {
        QTime time;
        int number;
        const char* text;
    };
    const Case cases[] = {
        {QTime(0, 0, 0, 0), 1, "00:00:00"},
        {QTime(0, 0, 0, 10), 2, "00:00:00"},
        {QTime(9, 5, 0), 3270001, "09:05:00"},
        {QTime(12, 34, 56, 780), 4529679, "12:34:56"},
        {QTime(23, 59, 59, 990), 8640000, "23:59:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(timeFromQTime(c.time), c.number);
        EXPECT_EQ(qtimeFromTime(c.number), c.time);
        EXPECT_EQ(timeToText(c.number), QString::fromLatin1(c.text));
    }
    // Milliseconds are cut, never rounded into the next day.
    EXPECT_EQ(timeFromQTime(QTime(23, 59, 59, 999)), 8640000);
    EXPECT_EQ(timeFromQTime(QTime()), 0);
    for (int bad : {0, -1, 8640001}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(qtimeFromTime(bad).isValid());
        EXPECT_EQ(timeToText(bad), QString());
    }
}

TEST(DateTime, TimeTextRoundTripsAcrossTheDay)
{
    for (int time = 1; time <= LastTime; time += 9973) {
        const QString text = timeToText(time);
        ASSERT_EQ(timeFromText(text), (time - 1) / 100 * 100 + 1) << text.toStdString();
    }
}

TEST(DateTime, TimeFromText)
{
    struct Case {
        const char* text;
        int time;
    };
    const Case cases[] = {
        {"09:05", 3270001},
        {"9:05", 3270001},
        {" 09:05:00 ", 3270001},
        {"09:05:00.5", 3270051},
        {"09:05:00.07", 3270008},
        {"09:05:00.129", 3270013},
        {"23:59:59.99", 8640000},
        {"2011-08-15 09:05:00", 3270001},
        {"2011-08-15T09:05:00.000", 3270001},
        {"", 0},
        {"abc", 0},
        {"0905", 0},
        {"24:00", 0},
        {"09:60", 0},
        {"09:05:60", 0},
        {"09:5", 0},
        {"09:05:", 0},
        {"09:05:00.", 0},
        {"09:05 pm", 0},
        {"2011-08-15", 0},
        {"2011-02-30 09:05:00", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(timeFromText(QString::fromLatin1(c.text)), c.time);
    }
}

TEST(DateTime, DateTimeText)
{
    const auto [day, time] = dateTimeFromText(QStringLiteral("2011-08-15 09:05:00"));
    EXPECT_EQ(day, 76931);
    EXPECT_EQ(time, 3270001);
    EXPECT_EQ(dateTimeToText(day, time), QStringLiteral("2011-08-15 09:05:00"));

    EXPECT_EQ(dateTimeToText(76931, 0), QStringLiteral("2011-08-15 00:00:00"));
    EXPECT_EQ(dateTimeToText(76931, 3270051), QStringLiteral("2011-08-15 09:05:00"));
    EXPECT_EQ(dateTimeToText(0, 3270001), QString());

    using Pair = std::pair<int, int>;
    EXPECT_EQ(dateTimeFromText(QStringLiteral("2011-08-15")), Pair(76931, 0));
    EXPECT_EQ(dateTimeFromText(QStringLiteral("2011-08-15 00:00:00")), Pair(76931, 1));
    EXPECT_EQ(dateTimeFromText(QStringLiteral("2011-08-15 09:05:00.123")), Pair(76931, 3270013));
    for (const char* bad : {"", "09:05:00", "2011-08-15 99:00", "2011-02-30 09:05", "x"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(dateTimeFromText(QString::fromLatin1(bad)), Pair(0, 0));
    }
}

TEST(DateTime, NowIsARealDayAndTime)
{
    EXPECT_GT(today(), dayFromText(QStringLiteral("2020-01-01")));
    EXPECT_TRUE(dateFromDay(today()).isValid());
    const int now = clockNow();
    EXPECT_GE(now, 1);
    EXPECT_LE(now, LastTime);
}
