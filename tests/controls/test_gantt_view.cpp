#include <gtest/gtest.h>

#include "controls/GanttView.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace controls;

namespace {

struct ShownChart {
    GanttView view;
    long wbs = 0, a = 0, b = 0;
    const QDate mon{2026, 1, 5};
    ShownChart()
    {
        GanttModel& m = view.model();
        m.setNonworkingDays(65);
        wbs = m.InsertItem(0, "W");
        a = m.InsertItem(wbs, "a");
        b = m.InsertItem(wbs, "b");
        for (long h : {a, b}) {
            m.setCellValue(h, CellStart, mon);
            m.setCellValue(h, CellDuration, 2);
        }
        m.DefineSummaryBars();
        m.RenumberWbs();
        view.resize(1100, 500);
        view.show();
        view.setFirstVisibleDate(mon.addDays(-3));
        QApplication::processEvents();
    }
    GanttChartPane* chart() { return view.chart(); }
};

} // namespace

TEST(GanttView, BarsMoveAndResizeWithTheMouseAndSayWhich)
{
    ShownChart c;
    QSignalSpy events(&c.view, &GanttView::ganttEvent);
    const double day = c.chart()->dayWidth();
    const QRect r = c.chart()->barRect(c.a);
    ASSERT_FALSE(r.isNull());
    // Moved right by three days, keeping two working days.
    QTest::mousePress(c.chart(), Qt::LeftButton, {}, r.center());
    QTest::mouseMove(c.chart(), r.center() + QPoint(int(3 * day), 0));
    QTest::mouseRelease(c.chart(), Qt::LeftButton, {}, r.center() + QPoint(int(3 * day), 0));
    EXPECT_EQ(c.view.model().bar(c.a).start, c.mon.addDays(3));
    EXPECT_EQ(c.view.model().duration(c.a), 2);
    ASSERT_FALSE(events.isEmpty());
    EXPECT_EQ(events.last().at(0).toString(), "BarResize");
    EXPECT_EQ(events.last().at(1).toList().value(0).toLongLong(), c.a);

    // The right end of the other bar dragged two days on.
    const QRect rb = c.chart()->barRect(c.b);
    const QPoint end(rb.right(), rb.center().y());
    QTest::mousePress(c.chart(), Qt::LeftButton, {}, end);
    QTest::mouseMove(c.chart(), end + QPoint(int(2 * day), 0));
    QTest::mouseRelease(c.chart(), Qt::LeftButton, {}, end + QPoint(int(2 * day), 0));
    EXPECT_EQ(c.view.model().bar(c.b).start, c.mon);
    EXPECT_EQ(c.view.model().bar(c.b).end, c.mon.addDays(4));

    // Ctrl+Z in the rows takes the last change back.
    QTest::keyClick(c.view.tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(c.view.model().bar(c.b).end, c.mon.addDays(2));

    // A WBS element's bar does not move: it follows its activities.
    const QRect rw = c.chart()->barRect(c.wbs);
    const QDate before = c.view.model().bar(c.wbs).start;
    QTest::mousePress(c.chart(), Qt::LeftButton, {}, rw.center());
    QTest::mouseMove(c.chart(), rw.center() + QPoint(int(5 * day), 0));
    QTest::mouseRelease(c.chart(), Qt::LeftButton, {}, rw.center() + QPoint(int(5 * day), 0));
    EXPECT_EQ(c.view.model().bar(c.wbs).start, before);
}

TEST(GanttView, ClosedRowsLeaveTheChartAndTheRowsStayInStep)
{
    ShownChart c;
    c.view.model().AddLink(c.a, c.b);
    c.view.refresh();
    QApplication::processEvents();
    const int bTop = c.chart()->barRect(c.b).top();
    EXPECT_EQ(c.chart()->barRect(c.b).top() - c.chart()->barRect(c.a).top(),
              c.view.tree()->visualRect(c.view.tree()->model()->index(1, 0, c.view.tree()->model()->index(0, 0))).top()
                  - c.view.tree()->visualRect(c.view.tree()->model()->index(0, 0, c.view.tree()->model()->index(0, 0))).top());
    c.view.tree()->collapse(c.view.tree()->model()->index(0, 0));
    QApplication::processEvents();
    EXPECT_TRUE(c.chart()->barRect(c.b).isNull());
    EXPECT_FALSE(c.view.model().ExpandItem(c.wbs));
    c.view.tree()->expand(c.view.tree()->model()->index(0, 0));
    QApplication::processEvents();
    EXPECT_EQ(c.chart()->barRect(c.b).top(), bTop);
    const QRect ra = c.chart()->barRect(c.a), rb = c.chart()->barRect(c.b);
    EXPECT_FALSE(c.chart()->linkAt(QPoint(ra.right() + 6, (ra.center().y() + rb.center().y()) / 2)).isEmpty());
}

TEST(GanttView, TheEventProcedureMayRefuseALink)
{
    for (bool refuse : {true, false}) {
        ShownChart c;
        QStringList seen;
        c.view.eventProcedure = [&](const QString& name, QVariantList& params) {
            seen << name;
            if (name == "AllowLink" && refuse)
                params[5] = 1;
            return 1;
        };
        const QPoint from = c.chart()->barRect(c.a).center();
        const QPoint to(from.x() + 10, c.chart()->barRect(c.b).center().y());
        QTest::mousePress(c.chart(), Qt::LeftButton, {}, from);
        QTest::mouseMove(c.chart(), QPoint(from.x() + 3, (from.y() + to.y()) / 2));
        QTest::mouseMove(c.chart(), to);
        QTest::mouseRelease(c.chart(), Qt::LeftButton, {}, to);
        EXPECT_EQ(c.view.model().linkCount(), refuse ? 0 : 1) << refuse;
        EXPECT_EQ(seen.contains("AddLink"), !refuse) << seen.join(' ').toStdString();
        EXPECT_TRUE(seen.contains("AllowLink"));
    }
}
