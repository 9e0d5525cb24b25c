// The task panel: its model's operations, the one layout pass, clicks and scrolling, and a
// few pixels of the widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <set>

#include "chrome/TaskPanel.h"
#include "chrome/TaskPanelView.h"
#include "tests/support/WindowPartsFakes.h"
#include "runtime/Dialogs.h"
#include "tests/support/TestSupport.h"

using namespace ptp;

namespace {

// Records the clicks instead of showing the reminder.
class RecordingPanel : public POTASKPANELCLASS {
public:
    std::vector<std::tuple<long, long, long, long>> calls;
    int EXECUTEACTION(long h, long t, long button, long value) override
    {
        calls.emplace_back(h, t, button, value);
        return 0;
    }
};

// A title takes one line of 15 pixels, three when it is long and may wrap.
int measure(const QString& title, bool, int, bool wrap)
{
    return title.size() > 20 && wrap ? 45 : 15;
}

} // namespace

TEST(TaskPanelModel, BuildingAndSettings)
{
    POTASKPANELCLASS panel;
    EXPECT_EQ(panel.FONTNAME, "Tahoma");
    EXPECT_EQ(std::tuple(panel.NTOPMARGIN, panel.NLEFTMARGIN, panel.NRIGHTMARGIN, panel.NBOTTOMMARGIN),
              std::tuple(20, 10, 10, 20));
    EXPECT_EQ(panel.COLORSCHEMA.PANEL.GRADIENTTO, 0xD67563);
    EXPECT_EQ(panel.COLORSCHEMA.TASKS.DISABLED, 0xBC3139);

    const long h = panel.ADDHEADER("Zadaci   ", 0);
    const HEADERQ* header = panel.header(h);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->TITLE, "Zadaci");
    EXPECT_TRUE(header->ISEXPANDED && header->WORDWRAP && header->ISVISIBLE);
    EXPECT_FALSE(header->ISBOXED || header->ISALWAYSEXPANDED);
    EXPECT_EQ(header->ICONSIZES, 24);

    const long t = panel.ADDTASK(h, "Novi", 12, true, "~printer.ico");
    EXPECT_EQ(panel.GETTASKICON(h, t), "printer.ico");
    panel.SETTASKICON(h, t, "~printer.ico");
    EXPECT_EQ(panel.GETTASKICON(h, t), "~printer.ico");
    EXPECT_EQ(panel.mimicTask(12), panel.task(h, t));
    EXPECT_EQ(panel.ADDTASK(4242, "Nigdje", 0), 0) << "a task for a header that is not there is refused";
    EXPECT_EQ(panel.ADDTASK(h, QString(300, 'x'), 0), panel.NCURRTASK);
    EXPECT_EQ(panel.GETTASKTITLE(h, panel.NCURRTASK).size(), 254);

    // The id-less setters act on the task added last, whatever was looked up since.
    const long second = panel.ADDTASK(h, "Drugi", 0);
    EXPECT_EQ(panel.GETTASKTITLE(h, t), "Novi");
    panel.SETTASKFONTWEIGHT(true);
    panel.SETDISABLED(true);
    EXPECT_TRUE(panel.task(h, second)->ISBOLD && panel.GETDISABLED(h, second));
    EXPECT_FALSE(panel.task(h, t)->ISBOLD || panel.GETDISABLED(h, t));

    panel.SETCOLORGRP(4, 0xFFFFFF, 0, 0, 0xBC3139, 0);
    EXPECT_EQ(panel.COLORSCHEMA.TASKS.DISABLED, 0xBC3139);
    panel.SETCOLORGRP(1, 0x8000000C, 0x8000000C, 0x8000000F, 0, 0);
    EXPECT_EQ(panel.COLORSCHEMA.PANEL.BACKGROUND, pxp::sysColor(12));
    EXPECT_EQ(panel.COLORSCHEMA.PANEL.GRADIENTTO, pxp::sysColor(15));
    panel.SETCOLORGRP(9, 1, 1, 1, 1, 1); // no such group

    panel.SETMARGINS(10, 20);
    EXPECT_EQ(std::tuple(panel.NLEFTMARGIN, panel.NTOPMARGIN, panel.NRIGHTMARGIN, panel.NBOTTOMMARGIN),
              std::tuple(10, 20, 10, 20));
    panel.SETMARGINS(1, 2, 3, 4);
    EXPECT_EQ(panel.NBOTTOMMARGIN, 4);
    panel.SETTOOLTIPMODE(5);
    EXPECT_EQ(panel.GETTOOLTIPMODE(), 0);
    panel.SETTOOLTIPMODE(2);
    EXPECT_EQ(panel.GETTOOLTIPMODE(), 2);

    // Unknown ids: setters change nothing, getters give nothing.
    panel.SETTASKUSERDATA(h, 99, 5);
    EXPECT_EQ(panel.GETTASKUSERDATA(h, 99), 0u);
    EXPECT_FALSE(panel.GETVISIBLE(h, 99));
    EXPECT_FALSE(panel.GETEXPANDED(99));
    EXPECT_TRUE(panel.GETTASKINFO(99, 0).TITLE.isEmpty());
    EXPECT_EQ(panel.GETTASKINFO(h, t).LEFTACTIONFEQ, 12);
    EXPECT_EQ(panel.GETTASKINFO(h, 0).TITLE, "Zadaci");

    panel.DELETEHEADER(h);
    EXPECT_TRUE(panel.headers().empty());
    EXPECT_EQ(panel.mimicTask(12), nullptr);
}

TEST(TaskPanelModel, ContractAllAndIds)
{
    // A generator that repeats itself: ids stay unique in their list.
    struct Repeating : POTASKPANELCLASS {
        std::vector<long> draws = {7, 7, 9, 7, 3, 7, 9, 3, 5};
        size_t next = 0;
        long idRng() override { return draws[next++ % draws.size()]; }
    } panel;
    const long a = panel.ADDHEADER("a", 0), b = panel.ADDHEADER("b", 0), c = panel.ADDHEADER("c", 0),
               d = panel.ADDHEADER("d", 1);
    EXPECT_EQ(std::set<long>({a, b, c, d}).size(), 4u);
    panel.SETALWAYSEXPANDED(c, true);
    panel.SETHEADERBOXED(d, true);
    panel.CONTRACTALL(a);
    EXPECT_TRUE(panel.GETEXPANDED(a));
    EXPECT_FALSE(panel.GETEXPANDED(b));
    EXPECT_TRUE(panel.GETEXPANDED(c) && panel.GETEXPANDED(d));
    panel.EXPANDALL();
    EXPECT_TRUE(panel.GETEXPANDED(b));

    panel.SETACTIVEWIZARDTASK(a, panel.ADDTASK(a, "1", 0));
    const long second = panel.ADDTASK(a, "2", 0);
    panel.SETACTIVEWIZARDTASK(a, second);
    EXPECT_FALSE(panel.headers()[0].TASKQUEUE[0].ISBOLD);
    EXPECT_TRUE(panel.task(a, second)->ISBOLD);
}

TEST(TaskPanelLayout, BandsRowsAndGaps)
{
    POTASKPANELCLASS panel;
    const long h = panel.ADDHEADER("Danas", 0);
    for (const char* title : {"a", "b", "c"})
        panel.ADDTASK(h, title, 0);
    const long next = panel.ADDHEADER("Sutra", 0);
    TaskPanelLayout out = layoutPanel(panel, 300, measure);
    const int top = panel.NTOPMARGIN;
    EXPECT_EQ(panel.header(h)->MOUSERECT.rect(), QRect(10, top, 280, 25));
    const auto& tasks = panel.header(h)->TASKQUEUE;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(tasks[size_t(i)].MOUSERECT.rect(), QRect(10, top + 30 + 25 * i, 280, 25)) << i;
    const int lastBottom = top + 30 + 75;
    ASSERT_EQ(out.blocks.size(), 1u);
    EXPECT_EQ(out.blocks[0].bottom - 1, lastBottom + 4) << "the frame ends 4 below the last row";
    EXPECT_EQ(panel.header(next)->MOUSERECT.TOP, lastBottom + panel.NBOTTOMMARGIN + 5);

    // Collapsed, or expanded without visible tasks: the same height.
    const int collapsed = 30 - 10 + panel.NBOTTOMMARGIN + 5;
    EXPECT_EQ(out.height - panel.header(next)->MOUSERECT.TOP, collapsed);
    panel.SETEXPANDED(h, false);
    out = layoutPanel(panel, 300, measure);
    EXPECT_EQ(panel.header(next)->MOUSERECT.TOP - top, collapsed);
    panel.SETEXPANDED(h, true);
    for (const TASKQ& t : tasks)
        panel.SETVISIBLE(h, t.ID, false);
    out = layoutPanel(panel, 300, measure);
    EXPECT_EQ(panel.header(next)->MOUSERECT.TOP - top, collapsed);

    // A long title wraps to its measured height + 6 when both switches allow it.
    panel.SETVISIBLE(h, tasks[0].ID, true);
    panel.SETTASKTITLE(h, tasks[0].ID, "a title far too long for one line");
    out = layoutPanel(panel, 300, measure);
    EXPECT_EQ(tasks[0].MOUSERECT.rect().height(), 51);
    panel.SETHEADERWORDWRAP(h, false);
    out = layoutPanel(panel, 300, measure);
    EXPECT_EQ(tasks[0].MOUSERECT.rect().height(), 25);
}

TEST(TaskPanelInput, ClicksHoverAndScrolling)
{
    RecordingPanel panel;
    const long always = panel.ADDHEADER("Uvijek", 0);
    panel.SETALWAYSEXPANDED(always, true);
    const long h = panel.ADDHEADER("Danas", 1);
    const long off = panel.ADDTASK(h, "off", 5);
    panel.SETDISABLED(true);
    const long on = panel.ADDTASK(h, "on", 6);
    layoutPanel(panel, 300, measure);
    const auto at = [](const RECT& r) { return r.rect().center(); };

    EXPECT_FALSE(panel.TAKEMOUSEBUTTONEVENT(1, at(panel.header(always)->MOUSERECT).x(), at(panel.header(always)->MOUSERECT).y()));
    EXPECT_FALSE(panel.TAKEMOUSEBUTTONEVENT(1, at(panel.task(h, off)->MOUSERECT).x(), at(panel.task(h, off)->MOUSERECT).y()));
    EXPECT_FALSE(panel.TAKEMOUSEBUTTONEVENT(2, at(panel.task(h, on)->MOUSERECT).x(), at(panel.task(h, on)->MOUSERECT).y()));
    EXPECT_TRUE(panel.calls.empty());
    EXPECT_TRUE(panel.TAKEMOUSEBUTTONEVENT(1, at(panel.header(h)->MOUSERECT).x(), at(panel.header(h)->MOUSERECT).y()));
    panel.SETWIZARDMODE(true);
    EXPECT_TRUE(panel.TAKEMOUSEBUTTONEVENT(1, at(panel.task(h, on)->MOUSERECT).x(), at(panel.task(h, on)->MOUSERECT).y()));
    EXPECT_EQ(panel.calls, (std::vector<std::tuple<long, long, long, long>>{{h, 0, 1, 1}, {h, on, 1, 6}}));
    EXPECT_TRUE(panel.task(h, on)->ISBOLD) << "the wizard's step is bold";

    // Hover: the task under the pointer, never a disabled one.
    EXPECT_TRUE(panel.TAKEMOUSEMOVEEVENT(at(panel.task(h, on)->MOUSERECT).x(), at(panel.task(h, on)->MOUSERECT).y()));
    EXPECT_TRUE(panel.task(h, on)->ISHOVERED);
    EXPECT_FALSE(panel.TAKEMOUSEMOVEEVENT(at(panel.task(h, off)->MOUSERECT).x(), at(panel.task(h, off)->MOUSERECT).y()));
    panel.TAKEMOUSEMOVEEVENT(at(panel.header(h)->MOUSERECT).x(), at(panel.header(h)->MOUSERECT).y());
    EXPECT_TRUE(panel.header(h)->ISHOVERED);
    panel.TAKELEAVEEVENT();
    EXPECT_FALSE(panel.header(h)->ISHOVERED);

    // Scrolling: held to 0 .. maximum - page + 1.
    struct Case {
        int code, expected;
    };
    panel.SCROLLPOS = 0;
    for (const Case& c : {Case{0, 0}, Case{1, 3}, Case{3, 103}, Case{7, 201}, Case{1, 201}, Case{2, 101}, Case{6, 0},
                          Case{4, 0}})
    {
        panel.TAKESCROLLEVENT(c.code, 3, 100, 300, 0);
        EXPECT_EQ(panel.SCROLLPOS, c.expected) << c.code;
    }
    EXPECT_EQ(POTASKPANELCLASS::arrowIconName(true, true, 1), "TASKXPCSW_ICO");
    EXPECT_EQ(POTASKPANELCLASS::arrowIconName(false, false, 0), "TASKXPE_ICO");
    EXPECT_EQ(POTASKPANELCLASS::GETICONNAME("smiley2.ico"), "smiley2_ico");
}

TEST(TaskPanelView, PaintsScrollsAndPressesMirroredButtons)
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Ispis"), &window);
    int clicked = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicked; });
    RecordingPanel panel;
    const long h = panel.ADDHEADER("Zadaci", 0);
    for (int i = 0; i < 20; ++i)
        panel.ADDTASK(h, QStringLiteral("Zadatak %1").arg(i), 0);
    auto* view = new TaskPanelView(panel, &window);
    view->setButtons(std::make_unique<testsupport::OneButton>(button, 44));
    const long mimic = panel.ADDTASK(h, "ignored", 44, true);
    panel.SETTASKTOOLTIP(h, mimic, "Ispisuje");
    view->setGeometry(0, 0, 260, 200);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    view->refresh();
    EXPECT_EQ(panel.task(h, mimic)->TITLE, "Ispis") << "the task shows its button's text";

    // The content is taller than the panel: the bar scrolls it, never past the bottom.
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), view->contentHeight() - view->viewport()->height());
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    view->refresh();
    EXPECT_LE(panel.SCROLLPOS + view->viewport()->height(), view->contentHeight());
    EXPECT_EQ(bar->value(), panel.SCROLLPOS);

    // A click on the mirrored task presses the button after the click, and reports it.
    const QRect r = panel.task(h, mimic)->MOUSERECT.rect().translated(0, -panel.SCROLLPOS);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(clicked, 0);
    EXPECT_TRUE(testsupport::waitFor([&] { return clicked == 1; }));
    ASSERT_FALSE(panel.calls.empty());
    EXPECT_EQ(panel.calls.back(), std::make_tuple(h, mimic, 1L, 44L));
    button->hide();
    EXPECT_TRUE(testsupport::waitFor([&] { return !panel.task(h, mimic)->ISVISIBLE; }));

    // Pixels: the panel's gradient starts at the top, the task block has its own colour.
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    view->refresh();
    const QImage shot = view->viewport()->grab().toImage();
    const COLORREF from = panel.COLORSCHEMA.PANEL.GRADIENTFROM;
    EXPECT_EQ(shot.pixelColor(2, 0), QColor(pxp::redOf(from), pxp::greenOf(from), pxp::blueOf(from)));
    const COLORREF block = panel.COLORSCHEMA.TASKS.BACKGROUND;
    const QRect first = panel.headers()[0].TASKQUEUE[0].MOUSERECT.rect();
    EXPECT_EQ(shot.pixelColor(first.right() - 4, first.top() + 1), QColor(pxp::redOf(block), pxp::greenOf(block), pxp::blueOf(block)));
}
