// The calendar component's logic: side by side layout of overlapping events, the views' days,
// hit testing, the mouse's move and resize rules, and the widget driven by the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "controls/CalendarControl.h"
#include "controls/CalendarModel.h"

using namespace controls;

namespace {

CalendarEvent ev(long id, const QDateTime& start, int minutes, const QString& subject = {})
{
    CalendarEvent e;
    e.id = id;
    e.start = start;
    e.end = start.addSecs(minutes * 60);
    e.subject = subject.isEmpty() ? QStringLiteral("E%1").arg(id) : subject;
    return e;
}

const QDate kMonday(2026, 3, 9);
QDateTime at(int day, int h, int m = 0) { return wallTime(kMonday.addDays(day), QTime(h, m)); }

} // namespace

TEST(CalendarDayLayout, OverlappingEventsShareTheWidth)
{
    struct Case {
        const char* name;
        std::vector<std::pair<QTime, int>> events; // start, minutes
        std::vector<std::pair<int, int>> expected; // column, columns per event (by id 1..n)
    };
    const Case cases[] = {
        {"one", {{QTime(9, 0), 60}}, {{0, 1}}},
        {"two overlapping", {{QTime(9, 0), 60}, {QTime(9, 30), 60}}, {{0, 2}, {1, 2}}},
        {"two touching do not overlap", {{QTime(9, 0), 60}, {QTime(10, 0), 60}}, {{0, 1}, {0, 1}}},
        {"three at once", {{QTime(9, 0), 60}, {QTime(9, 0), 60}, {QTime(9, 0), 60}}, {{0, 3}, {1, 3}, {2, 3}}},
        // A chain: 1 overlaps 2, 2 overlaps 3, 1 and 3 do not: the third reuses column 0.
        {"three in a chain", {{QTime(9, 0), 60}, {QTime(9, 30), 60}, {QTime(10, 0), 60}}, {{0, 2}, {1, 2}, {0, 2}}},
        {"five overlapping",
         {{QTime(8, 0), 240}, {QTime(8, 30), 60}, {QTime(9, 0), 60}, {QTime(9, 15), 30}, {QTime(9, 20), 30}},
         {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}},
        {"a later group starts afresh",
         {{QTime(8, 0), 60}, {QTime(8, 0), 60}, {QTime(13, 0), 30}},
         {{0, 2}, {1, 2}, {0, 1}}},
    };
    for (const Case& c : cases) {
        std::vector<CalendarEvent> events;
        long id = 1;
        for (const auto& [start, minutes] : c.events)
            events.push_back(ev(id++, wallTime(kMonday, start), minutes));
        std::vector<const CalendarEvent*> ptrs;
        for (const auto& e : events)
            ptrs.push_back(&e);
        const std::vector<DayPlacement> out = layoutDay(ptrs);
        ASSERT_EQ(out.size(), c.expected.size()) << c.name;
        for (const DayPlacement& p : out) {
            const auto [column, columns] = c.expected[size_t(p.id - 1)];
            EXPECT_EQ(p.column, column) << c.name << " event " << p.id;
            EXPECT_EQ(p.columns, columns) << c.name << " event " << p.id;
        }
    }
}

TEST(CalendarGeometryViews, DaysOfEachViewAndTheirSteps)
{
    struct Case {
        int view;
        QDate anchor, first, last, next;
    };
    const QDate wednesday(2026, 3, 11);
    const Case cases[] = {
        {DayView, wednesday, wednesday, wednesday, wednesday.addDays(1)},
        {WorkWeekView, wednesday, kMonday, kMonday.addDays(4), wednesday.addDays(7)},
        {FullWeekView, wednesday, kMonday, kMonday.addDays(6), wednesday.addDays(7)},
        // March 2026 starts on a Sunday: the grid starts on Monday 23 February, six weeks.
        {MonthView, wednesday, QDate(2026, 2, 23), QDate(2026, 4, 5), QDate(2026, 4, 11)},
    };
    for (const Case& c : cases) {
        CalendarGeometry g;
        g.setView(c.view, c.anchor);
        EXPECT_EQ(g.firstDay(), c.first) << c.view;
        EXPECT_EQ(g.lastDay(), c.last) << c.view;
        EXPECT_EQ(g.stepped(1), c.next) << c.view;
    }
}

TEST(CalendarGeometryHits, EventsEdgesAndFreeSpace)
{
    CalendarStore store;
    store.AddEvent(ev(7, at(2, 10), 90));
    CalendarGeometry g;
    g.setView(FullWeekView, kMonday);
    g.setSize({752, 600}); // 100 px per day after the time column
    g.setFirstHour(8);
    const auto placed = g.place(store);
    ASSERT_EQ(placed.size(), 1u);
    const QRectF r = placed[0].rect;
    EXPECT_NEAR(r.top(), g.yOf(QTime(10, 0)), 0.01);
    EXPECT_NEAR(r.height(), 3 * CalendarGeometry::kSlotHeight, 0.01);

    struct Case {
        QPointF point;
        CalendarHit::Kind kind;
        long id;
        QDateTime time;
    };
    const Case cases[] = {
        {r.center(), CalendarHit::Event, 7, at(2, 10, 30)},
        {QPointF(r.center().x(), r.top() + 1), CalendarHit::EventTop, 7, at(2, 10)},
        {QPointF(r.center().x(), r.bottom() - 1), CalendarHit::EventBottom, 7, at(2, 11)},
        {QPointF(r.center().x() + 100, r.center().y()), CalendarHit::FreeSpace, 0, at(3, 10, 30)},
        {QPointF(10, r.center().y()), CalendarHit::Nothing, 0, QDateTime()}, // the time column
    };
    for (const Case& c : cases) {
        const CalendarHit hit = g.hitTest(c.point, placed);
        EXPECT_EQ(hit.kind, c.kind) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(hit.eventId, c.id);
        EXPECT_EQ(hit.time, c.time);
    }
}

TEST(CalendarGeometryHits, MonthCellsListTheirEventsAndCountTheRest)
{
    CalendarStore store;
    for (int i = 1; i <= 12; ++i)
        store.AddEvent(ev(i, at(2, 8 + i % 10), 30));
    store.AddEvent(ev(50, at(4, 9), 3 * 24 * 60)); // over four days
    CalendarGeometry g;
    g.setView(MonthView, kMonday);
    g.setSize({700, 622}); // cells 100 px high: five lines of events
    std::map<QDate, int> more;
    const auto placed = g.place(store, &more);
    int onWednesday = 0, longOne = 0;
    for (const auto& p : placed) {
        onWednesday += p.day == kMonday.addDays(2);
        longOne += p.id == 50;
    }
    EXPECT_EQ(onWednesday, 4);
    EXPECT_EQ(more[kMonday.addDays(2)], 8);
    EXPECT_EQ(longOne, 4);
    const CalendarHit hit = g.hitTest(g.monthCell(kMonday.addDays(5)).center() + QPointF(0, -20), placed);
    EXPECT_EQ(hit.time, wallTime(kMonday.addDays(5)));
}

TEST(CalendarGeometryHits, TheStripOfLongEventsCountsWhatItLeavesOut)
{
    CalendarStore store;
    for (int i = 1; i <= 6; ++i)
        store.AddEvent(ev(i, at(1, 8), 2 * 24 * 60)); // Tuesday to Thursday, six at once
    CalendarGeometry g;
    g.setView(FullWeekView, kMonday);
    g.setSize({752, 600});
    std::map<QDate, int> more;
    const auto placed = g.place(store, &more);
    EXPECT_EQ(placed.size(), 4u);
    EXPECT_EQ(more[kMonday.addDays(1)], 2);
    EXPECT_EQ(more[kMonday.addDays(3)], 2);
    EXPECT_EQ(more.count(kMonday), 0u);
}

TEST(CalendarDaysWithEvents, MarksEveryDayAnEventTouchesAndNoOther)
{
    CalendarStore store;
    store.AddEvent(ev(1, at(0, 23, 30), 60));      // Monday night into Tuesday
    store.AddEvent(ev(2, at(3, 0), 24 * 60));      // Thursday, ending at midnight
    CalendarEvent noEnd = ev(3, at(5, 10), 0);     // Saturday, no length: one slot
    noEnd.end = QDateTime();
    store.AddEvent(noEnd);
    CalendarEvent undated = ev(4, QDateTime(), 30); // never shown
    store.AddEvent(undated);
    const std::vector<bool> days = store.daysWithEvents(kMonday.addDays(-1), kMonday.addDays(7));
    EXPECT_EQ(days, (std::vector<bool>{false, true, true, false, true, false, true, false, false}));
}

TEST(CalendarGeometryMoves, MoveKeepsTheLengthAndResizeKeepsOneSlot)
{
    CalendarEvent e = ev(1, at(0, 9), 60);
    CalendarGeometry::moveTo(e, at(1, 14, 30));
    EXPECT_EQ(e.start, at(1, 14, 30));
    EXPECT_EQ(e.end, at(1, 15, 30));
    CalendarGeometry::resizeEnd(e, at(1, 14));
    EXPECT_EQ(e.end, at(1, 15)); // never shorter than one slot
    CalendarGeometry::resizeEnd(e, at(1, 17));
    EXPECT_EQ(e.end, at(1, 17));
    CalendarGeometry::resizeStart(e, at(1, 18));
    EXPECT_EQ(e.start, at(1, 16, 30));
}

TEST(CalendarWallTime, LocalTimesKeepTheirClockTime)
{
    const QDateTime local(QDate(2026, 3, 29), QTime(2, 30)); // a clock change night in much of Europe
    const QDateTime wall = asWallTime(QDateTime(QDate(2026, 3, 10), QTime(9, 15)));
    EXPECT_EQ(wall.date(), QDate(2026, 3, 10));
    EXPECT_EQ(wall.time(), QTime(9, 15));
    EXPECT_EQ(wallTime(QDate(2026, 3, 29), QTime(2, 30)).time(), QTime(2, 30)) << "no hour is missing from the grid";
    EXPECT_EQ(wallTime(QDate(2026, 3, 29), QTime(1, 30)).addSecs(3600).time(), QTime(2, 30));
    (void)local;
    CalendarStore store;
    CalendarEvent e = ev(1, QDateTime(QDate(2026, 3, 10), QTime(9, 0)), 60);
    store.AddEvent(e);
    EXPECT_EQ(store.GetEvent(1)->start, wallTime(QDate(2026, 3, 10), QTime(9, 0)));
}

TEST(CalendarHeaders, DayAndMonthInTheLocalesOrderWithFourDigitYears)
{
    struct Case {
        QLocale locale;
        const char* dayMonth;
    };
    const Case cases[] = {{QLocale(QLocale::Croatian, QLocale::Croatia), "7. prosinca"},
                          {QLocale(QLocale::English, QLocale::UnitedStates), "December 7"},
                          {QLocale(QLocale::German, QLocale::Germany), "7. Dezember"},
                          {QLocale::c(), "7 December"}};
    const QDate day(2026, 12, 7);
    for (const Case& c : cases) {
        EXPECT_EQ(c.locale.toString(day, dayMonthFormat(c.locale)), QString::fromUtf8(c.dayMonth)) << c.dayMonth;
        EXPECT_TRUE(c.locale.toString(day, dayMonthYearFormat(c.locale)).contains(QStringLiteral("2026"))) << c.dayMonth;
        EXPECT_FALSE(c.locale.toString(day, dayMonthFormat(c.locale)).contains(QStringLiteral("26"))) << c.dayMonth;
    }
}

TEST(CalendarColours, WindowsRgbValuesRoundTrip)
{
    EXPECT_EQ(colourFromRgbValue(255), QColor(255, 0, 0));
    EXPECT_EQ(colourFromRgbValue(16744448), QColor(0, 128, 255));
    for (long v : {0L, 8421631L, 58880L, 16777215L, 253436L})
        EXPECT_EQ(rgbValueFromColour(colourFromRgbValue(v)), v);
}

// The widget under the mouse: a drag moves an event and reports it changed, a drag of its
// lower edge resizes it, Ctrl+drag copies it as an added event, typing on a selection adds one.
TEST(CalendarControlMouse, MovesResizesCopiesAndAdds)
{
    CalendarControl c;
    c.resize(900, 700);
    c.show();
    c.setViewType(FullWeekView);
    c.goToDate(kMonday);
    c.geometry().setFirstHour(8);
    c.DataProvider().AddEvent(ev(3, at(1, 9), 60));
    std::vector<std::pair<QString, long>> raised;
    c.eventProcedure = [&](const QString& name, long id) {
        raised.push_back({name, id});
        return 0;
    };
    c.Populate();
    QWidget* canvas = c.canvas();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
    auto rectOf = [&](long id) {
        for (const auto& p : c.placed())
            if (p.id == id)
                return p.rect;
        return QRectF();
    };
    const double slot = CalendarGeometry::kSlotHeight;
    const double day = (canvas->width() - CalendarGeometry::kTimeColumn) / 7;

    // Move one day on and one hour down.
    QRectF r = rectOf(3);
    QPoint from = r.center().toPoint();
    QPoint to = from + QPoint(int(day), int(2 * slot));
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas, from + QPoint(5, 5));
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised.back(), std::make_pair(QStringLiteral("EventChangedEx"), 3L));
    EXPECT_EQ(c.DataProvider().GetEvent(3)->start, at(2, 10));
    EXPECT_EQ(c.DataProvider().GetEvent(3)->end, at(2, 11));

    // Stretch the lower edge by one hour.
    r = rectOf(3);
    from = QPoint(int(r.center().x()), int(r.bottom()) - 1);
    to = from + QPoint(0, int(2 * slot));
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas, from + QPoint(0, 5));
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    EXPECT_EQ(c.DataProvider().GetEvent(3)->start, at(2, 10));
    EXPECT_EQ(c.DataProvider().GetEvent(3)->end, at(2, 12));

    // Ctrl+drag: the dragged event stays, a copy is reported added with an identifier below 1.
    raised.clear();
    r = rectOf(3);
    from = r.center().toPoint();
    to = from + QPoint(int(day), 0);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::ControlModifier, from);
    QTest::mouseMove(canvas, from + QPoint(5, 0));
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ControlModifier, to);
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].first, QStringLiteral("EventAddedEx"));
    EXPECT_LE(raised[0].second, 0);
    EXPECT_EQ(c.DataProvider().GetEvent(3)->start, at(2, 10));
    EXPECT_EQ(c.DataProvider().GetEvent(raised[0].second)->start, at(3, 10));

    // Select free time, type a subject, Enter: a new event over the selection.
    raised.clear();
    const QPoint free(int(CalendarGeometry::kTimeColumn + day * 4.5), int(c.geometry().yOf(QTime(14, 10))));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, free);
    ASSERT_TRUE(c.selectionValid());
    EXPECT_EQ(c.selectionBegin(), at(4, 14));
    QTest::keyClicks(canvas, QStringLiteral("S"));
    ASSERT_TRUE(c.subjectEditor());
    QTest::keyClicks(c.subjectEditor(), QStringLiteral("astanak"));
    QTest::keyClick(c.subjectEditor(), Qt::Key_Return);
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised.back().first, QStringLiteral("EventAddedEx"));
    const CalendarEvent* added = c.DataProvider().GetEvent(raised.back().second);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->subject, QStringLiteral("Sastanak"));
    EXPECT_EQ(added->start, at(4, 14));
    EXPECT_EQ(added->end, at(4, 14, 30));

    // An event over several days moves in the strip above the hours by whole days.
    c.DataProvider().AddEvent(ev(9, at(0, 10), 2 * 24 * 60));
    c.Populate();
    r = rectOf(9);
    ASSERT_LT(r.top(), c.geometry().dayColumn(kMonday).top());
    from = QPoint(int(r.left() + day / 2), int(r.center().y()));
    to = from + QPoint(int(day), 3);
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas, from + QPoint(5, 0));
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    EXPECT_EQ(c.DataProvider().GetEvent(9)->start, at(1, 10));
    EXPECT_EQ(c.DataProvider().GetEvent(9)->end, at(3, 10));

    // Double-click and right-click report what is under the mouse through the hit test.
    raised.clear();
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, rectOf(3).center().toPoint());
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised.back().first, QStringLiteral("DblClick"));
    EXPECT_EQ(c.HitTest().eventId, 3);
}
