// The resizer's layout, placement and reference updates, the frame area, and the splitter
// bar's drag rules, on a window made of plain rectangles.
#include <gtest/gtest.h>

#include <map>

#include "chrome/ResizeWindow.h"

using namespace MH;

namespace {

// A window of rectangles that records what is done to it.
class FakeWindow : public ResizeAccess {
public:
    QRect rect{0, 0, 300, 200};
    bool maximized = false, active = true, focus = true;
    std::map<int, QRect> controls;
    std::map<int, int> rows;
    std::vector<int> setOrder;
    std::map<int, bool> fills;
    int beeps = 0;
    QSize minimum{-1, -1}, maximum{-1, -1};
    RESIZEWINDOWCLASS* listener = nullptr;

    QRect windowRect() const override { return rect; }
    void setWindowRect(const QRect& r) override { rect = r; }
    bool isMaximized() const override { return maximized; }
    void maximize() override { maximized = true; }
    bool isActive() const override { return active; }
    bool focusInside() const override { return focus; }
    std::optional<QRect> control(int n) const override
    {
        const auto it = controls.find(n);
        return it == controls.end() ? std::nullopt : std::optional<QRect>(it->second);
    }
    void setControl(int n, const QRect& r) override
    {
        controls[n] = r;
        setOrder.push_back(n);
    }
    int rowCount(int n) const override { return rows.count(n) ? rows.at(n) : 0; }
    void setSizeLimits(int minW, int minH, int maxW, int maxH) override
    {
        minimum = {minW, minH};
        maximum = {maxW, maxH};
    }
    void beep() override { ++beeps; }
    void setFill(int n, bool shown) override { fills[n] = shown; }
    void listen(RESIZEWINDOWCLASS* r) override { listener = r; }
};

// Counts its hooks.
class CountingResizer : public RESIZEWINDOWCLASS {
public:
    int before = 0, after = 0;
    void BEFORERESIZE() override { ++before; }
    void AFTERRESIZE() override { ++after; }
};

struct Fixture {
    RESIZEFRAMECLASS frame;
    FakeWindow window;
    CountingResizer resizer;
    explicit Fixture(bool origIsMin = false)
    {
        window.controls[1] = {10, 10, 100, 50};
        resizer.INIT(frame, window, 300, 200, true, true, origIsMin, false);
    }
    int resizeTo(int w, int h)
    {
        window.rect.setSize({w, h});
        return resizer.RESIZECONTROLS(false);
    }
};

} // namespace

TEST(Resizer, ControlsFollowTheWindowByTheirFactors)
{
    Fixture f;
    EXPECT_EQ(f.window.listener, &f.resizer);
    f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
    EXPECT_EQ(f.resizeTo(350, 230), 1);
    EXPECT_EQ(f.window.controls[1], QRect(10, 10, 150, 80));
    EXPECT_EQ(f.resizeTo(300, 200), 1);
    EXPECT_EQ(f.window.controls[1], QRect(10, 10, 100, 50));
    // The same size again does nothing, hooks included.
    const int hooks = f.resizer.before;
    EXPECT_EQ(f.resizeTo(300, 200), 0);
    EXPECT_EQ(f.resizer.before, hooks);
    EXPECT_EQ(f.resizer.RESIZECONTROLS(true), 1);

    // Half factors truncate toward zero; a factor of 0 keeps what the control has now.
    f.window.controls[2] = {0, 0, 20, 20};
    f.resizer.ADDCONTROL(2, 0.5, 0, 0.5, 0);
    f.window.controls[2].setHeight(33);
    f.resizeTo(303, 200);
    EXPECT_EQ(f.window.controls[2], QRect(1, 0, 21, 33));
    f.resizer.KILL();
    EXPECT_EQ(f.window.listener, nullptr);
}

TEST(Resizer, DesignSizeAsMinimumAndMinimisedFrame)
{
    Fixture f(true);
    f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
    f.resizeTo(350, 230);
    f.resizeTo(200, 100);
    EXPECT_EQ(f.window.controls[1], QRect(10, 10, 100, 50));

    f.frame.SETMINIMIZED(true);
    EXPECT_EQ(f.resizeTo(400, 300), 0);
    EXPECT_EQ(f.window.controls[1], QRect(10, 10, 100, 50));
    f.frame.SETMINIMIZED(false);
    EXPECT_EQ(f.resizer.TAKERESIZEEVENT(), 0);
    EXPECT_EQ(f.window.controls[1], QRect(10, 10, 200, 150));
}

TEST(Resizer, RelativeControlsTakeTheirNeighboursFactors)
{
    Fixture f;
    f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
    f.window.controls[2] = {200, 20, 30, 30}; // right of control 1
    f.window.controls[3] = {20, 20, 30, 30};  // inside its extent
    f.window.controls[4] = {20, 20, 30, 30};
    f.resizer.ADDCONTROL(2, 1);
    f.resizer.ADDCONTROL(3, 1);
    f.resizer.ADDCONTROL(4, 99, 0.5);
    const ResizeControl* r2 = f.resizer.record(2);
    const ResizeControl* r3 = f.resizer.record(3);
    const ResizeControl* r4 = f.resizer.record(4);
    ASSERT_TRUE(r2 && r3 && r4);
    EXPECT_EQ(std::tuple(r2->fx, r2->fy, r2->fw, r2->fh), std::tuple(1.0, 0.0, 0.0, 1.0));
    EXPECT_EQ(std::tuple(r3->fx, r3->fy, r3->fw, r3->fh), std::tuple(0.0, 0.0, 1.0, 1.0));
    EXPECT_EQ(std::tuple(r4->fx, r4->fy, r4->fw, r4->fh), std::tuple(0.0, 0.0, 0.5, 0.0));
    // Registered once; kept in control order.
    f.resizer.ADDCONTROL(2, 0, 0, 0, 0);
    EXPECT_EQ(f.resizer.record(2)->fx, 1.0);
    ASSERT_EQ(f.resizer.controls().size(), 4u);
    EXPECT_EQ(f.resizer.controls()[1].control, 2);
}

TEST(Resizer, UpdateControlTakesTheNewPlaceAsReference)
{
    // At design size the current position becomes the reference.
    Fixture f;
    f.resizer.ADDCONTROL(1, 1, 0, 1, 0);
    f.window.controls[1] = {40, 10, 70, 50};
    f.resizer.UPDATECONTROL(1, QStringLiteral("xw"));
    EXPECT_EQ(f.resizer.record(1)->ref, QRect(40, 10, 70, 50));
    f.resizer.UPDATECONTROL(42, QStringLiteral("X")); // unknown: nothing

    // Larger than design: the offset becomes the factor.
    f.resizeTo(400, 200); // control at 140, width 170
    f.window.controls[1] = {90, 10, 220, 50};
    f.resizer.UPDATECONTROL(1, QStringLiteral("XW"));
    EXPECT_DOUBLE_EQ(f.resizer.record(1)->fx, 0.5);
    EXPECT_EQ(f.resizer.record(1)->ref.x(), 40);
    // 1.5 would be past 1: the factor stays, the reference takes the offset.
    EXPECT_DOUBLE_EQ(f.resizer.record(1)->fw, 1.0);
    EXPECT_EQ(f.resizer.record(1)->ref.width(), 120);

    // A factor that would leave 0..1 keeps its value and moves the reference, so the control
    // stays where it was put at the next resize.
    f.window.controls[1] = {20, 10, 220, 50};
    f.resizer.UPDATECONTROL(1, QStringLiteral("X"));
    EXPECT_DOUBLE_EQ(f.resizer.record(1)->fx, 0.5);
    EXPECT_EQ(f.resizer.record(1)->ref.x(), -30);
    f.resizeTo(401, 200);
    f.resizeTo(400, 200);
    EXPECT_EQ(f.window.controls[1].x(), 20);
}

TEST(Resizer, ChangedRowCountsAskForAReset)
{
    int resets = 0, forced = 0;
    // Rows change during the layout: the fake's count follows the control's height.
    class RowWindow : public FakeWindow {
    public:
        int rowCount(int n) const override { return n == 1 ? controls.at(1).height() / 10 : 0; }
    };
    RESIZEFRAMECLASS frame;
    RowWindow rw;
    rw.controls[1] = {10, 10, 100, 50};
    struct Counting : RESIZEWINDOWCLASS {
        int* resets = nullptr;
        int* forced = nullptr;
        void reset() override { ++*resets; }
        void forcedReset() override { ++*forced; }
    } r;
    r.resets = &resets;
    r.forced = &forced;
    r.INIT(frame, rw, 300, 200, true, true, false, false);
    r.ADDCONTROL(1, 0, 0, 1, 1);
    rw.rect.setSize({300, 260});
    EXPECT_EQ(r.TAKERESIZEEVENT(), 0);
    EXPECT_EQ(resets, 1);

    // An inactive window postpones the reset to the next focus event that finds it focused.
    frame.INIT(0, true);
    rw.active = false;
    rw.rect.setSize({300, 300});
    EXPECT_EQ(r.TAKERESIZEEVENT(), 5);
    EXPECT_TRUE(r.PENDINGRESET);
    rw.active = true;
    rw.focus = false;
    EXPECT_EQ(r.TAKERESIZEEVENT(), 0);
    EXPECT_EQ(forced, 0);
    rw.focus = true;
    EXPECT_EQ(r.TAKERESIZEEVENT(), 0);
    EXPECT_FALSE(r.PENDINGRESET);
    EXPECT_EQ(forced, 1);
    EXPECT_EQ(resets, 1);

    r.IGNOREEVENTS = true;
    EXPECT_EQ(r.TAKERESIZEEVENT(), 5);
    EXPECT_EQ(rw.beeps, 1);
}

TEST(Resizer, PlacementModes)
{
    const QRect orig(100, 50, 300, 200);
    const QPoint now(100, 50);
    struct Case {
        const char* h;
        const char* v;
        int fw, fh, median;
        QRect expected;
    };
    const Case cases[] = {
        {"Full", "Full", 1000, 800, 0, {-250, -250, 1000, 800}},
        {"Left", "Top", 1000, 800, 0, {-250, -250, 300, 200}},
        {"Right", "Bottom", 1000, 800, 0, {450, 350, 300, 200}},
        // Half modes: D = 500 - 300 - 0 - 10 = 190 wide; 400 - 200 - 0 - 10 - 5 = 185 high.
        {"Left-Half", "Top-Half", 1000, 800, 10, {100 - 350, 50 - 300, 490, 385}},
        {"Right-Half", "Bottom-Half", 1000, 800, 10, {100 + 160, 50 + 110 + 5, 490, 385}},
        // Too narrow for two halves: as Left / Top.
        {"Left-Half", "Top-Half", 600, 400, 10, {100 - 150, 50 - 100, 300, 200}},
        {"Right-Half", "Bottom-Half", 600, 400, 10, {100 + 150, 50 + 100, 300, 200}},
        // Unknown modes and a frame never measured change nothing.
        {"full", "Middle", 1000, 800, 0, orig},
        {"Full", "Full", 0, 0, 0, orig},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeWindow(orig, now, c.fw, c.fh, c.median, QLatin1String(c.h), QLatin1String(c.v), 0, 0), c.expected)
            << c.h << " " << c.v << " " << c.fw;
    // Margins come off the frame.
    EXPECT_EQ(placeWindow(orig, now, 1000, 800, 0, QStringLiteral("Full"), QString(), 100, 0), QRect(-200, 50, 900, 200));
}

TEST(Resizer, InitialResize)
{
    {
        // Maximise: the window maximises; at design size nothing is laid out.
        Fixture f;
        f.window.rect = {100, 50, 300, 200};
        f.resizer.INIT(f.frame, f.window, 300, 200, true, true, true, false);
        f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
        f.resizer.INITIALRESIZE(false, true, QStringLiteral("Full"), QStringLiteral("Full"), 0, 0, true);
        EXPECT_TRUE(f.window.maximized);
        EXPECT_EQ(f.window.minimum, QSize(300, 200));
        EXPECT_EQ(f.window.maximum, QSize(-1, -1));
        EXPECT_EQ(f.resizer.after, 1);
        EXPECT_TRUE(f.window.setOrder.empty());
    }
    {
        // Keep position at another size lays out; a fixed width is both limits.
        Fixture f;
        f.resizer.INIT(f.frame, f.window, 300, 200, false, true, false, false);
        f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
        f.window.rect = {0, 0, 300, 260};
        f.resizer.INITIALRESIZE(true, false, {}, {}, 0, 0, false);
        EXPECT_EQ(f.window.controls[1].height(), 110);
        EXPECT_EQ(f.window.minimum, QSize(300, -1));
        EXPECT_EQ(f.window.maximum, QSize(300, -1));
    }
    {
        // Placed in a measured frame: moved and stretched, then laid out.
        Fixture f;
        f.frame.SETADJUST(0, 100);
        f.frame.MEASURE(1000, 900);
        EXPECT_EQ(f.frame.GETW(), 1000);
        EXPECT_EQ(f.frame.GETH(), 800);
        f.resizer.ADDCONTROL(1, 0, 0, 1, 1);
        f.resizer.INITIALRESIZE(false, false, QStringLiteral("Full"), QStringLiteral("Top"), 0, 0, false);
        EXPECT_EQ(f.window.rect, QRect(-350, -300, 1000, 200));
        EXPECT_EQ(f.window.controls[1], QRect(10, 10, 800, 50));
    }
}

// ---- splitter bar ---------------------------------------------------------------------------

namespace {

// A list left of a vertical bar at 200 and a panel right of it, in a 600 x 400 window.
struct SplitFixture {
    RESIZEFRAMECLASS frame;
    FakeWindow window;
    RESIZEWINDOWCLASS resizer;
    SPLITWINDOWCLASS bar;
    SplitFixture()
    {
        window.rect = {0, 0, 600, 400};
        window.controls = {{10, {0, 0, 200, 400}}, {11, {200, 0, 4, 400}}, {12, {204, 0, 396, 400}}};
        resizer.INIT(frame, window, 600, 400, true, true, false, false);
        resizer.ADDCONTROL(10, 0, 0, 0, 1);
        resizer.ADDCONTROL(11, 0, 0, 0, 1);
        resizer.ADDCONTROL(12, 0, 0, 1, 1);
        bar.INIT(&resizer, window, 1, 11, 100, 100);
        bar.ADDCONTROL(10, 1, false, true);
        bar.ADDCONTROL(12, 2, true, true);
        window.setOrder.clear();
    }
};

} // namespace

TEST(SplitterBar, DragMovesAndResizesBothSidesAndTheResizerKeepsThem)
{
    SplitFixture f;
    EXPECT_FALSE(f.window.fills[11]);
    f.bar.TAKEMOUSEDOWN();
    EXPECT_TRUE(f.window.fills[11]);
    f.bar.TAKEMOUSEMOVE(215);
    f.bar.TAKEMOUSEMOVE(230);
    EXPECT_EQ(f.window.controls[11].x(), 230);
    f.bar.TAKEMOUSEUP();
    EXPECT_FALSE(f.window.fills[11]);
    EXPECT_EQ(f.window.controls[10], QRect(0, 0, 230, 400));
    EXPECT_EQ(f.window.controls[12], QRect(234, 0, 366, 400));
    // The window grows: the panel takes the growth, the list and the bar stay.
    f.window.rect.setSize({700, 400});
    f.resizer.RESIZECONTROLS(false);
    EXPECT_EQ(f.window.controls[10], QRect(0, 0, 230, 400));
    EXPECT_EQ(f.window.controls[11].x(), 230);
    EXPECT_EQ(f.window.controls[12], QRect(234, 0, 466, 400));
}

TEST(SplitterBar, LimitsStopTheDragAndApplyAtOnce)
{
    {
        SplitFixture f;
        f.bar.TAKEMOUSEDOWN();
        // The very first move is held too.
        f.bar.TAKEMOUSEMOVE(20);
        EXPECT_FALSE(f.bar.dragging());
        EXPECT_EQ(f.window.controls[11].x(), 100);
        EXPECT_EQ(f.window.controls[10].width(), 100);
        EXPECT_FALSE(f.window.fills[11]);
        f.bar.TAKEMOUSEMOVE(300); // no longer dragging
        EXPECT_EQ(f.window.controls[11].x(), 100);
    }
    {
        SplitFixture f;
        f.bar.TAKEMOUSEDOWN();
        f.bar.TAKEMOUSEMOVE(400);
        f.bar.TAKEMOUSEMOVE(590);
        EXPECT_EQ(f.window.controls[11].x(), 600 - 100 - 4);
        EXPECT_EQ(f.bar.limits(600, 4), std::pair(100, 496));
        EXPECT_EQ(f.window.controls[12], QRect(500, 0, 100, 400));
    }
    {
        // Let go where it was taken: nothing changes.
        SplitFixture f;
        f.bar.TAKEMOUSEDOWN();
        f.bar.TAKEMOUSEMOVE(250);
        f.bar.TAKEMOUSEMOVE(200);
        f.bar.TAKEMOUSEUP();
        EXPECT_EQ(f.window.controls[10], QRect(0, 0, 200, 400));
        EXPECT_FALSE(f.window.fills[11]);
        // A release without a press does nothing.
        f.bar.TAKEMOUSEUP();
        EXPECT_EQ(f.window.controls[10], QRect(0, 0, 200, 400));
    }
}

TEST(SplitterBar, RegisteringRaisesTheLimitsAndMovesGoFarthestFirst)
{
    FakeWindow window;
    window.rect = {0, 0, 600, 400};
    window.controls = {{1, {0, 0, 50, 10}}, {2, {100, 0, 10, 10}}, {3, {200, 0, 10, 10}}, {9, {0, 150, 600, 4}}};
    SPLITWINDOWCLASS bar;
    bar.INIT(nullptr, window, 2, 9);
    window.controls[4] = {0, 120, 10, 30};
    window.controls[5] = {0, 160, 10, 200};
    bar.ADDCONTROL(4, 1, false, true);
    bar.ADDCONTROL(5, 2, true, true);
    EXPECT_EQ(bar.MINIMUM, 120);
    EXPECT_EQ(bar.MAXIMUM, 40);

    SPLITWINDOWCLASS across;
    window.controls[9] = {0, 0, 4, 400};
    across.INIT(nullptr, window, 1, 9);
    across.ADDCONTROL(2, 2, true, false);
    across.ADDCONTROL(3, 2, true, false);
    // From 0 (a bar lying at 0 can be dragged) to the right, then back to the left.
    for (const auto& [to, first] : {std::pair(30, 3), std::pair(10, 2)}) {
        across.TAKEMOUSEDOWN();
        EXPECT_TRUE(across.dragging());
        window.setOrder.clear();
        across.TAKEMOUSEMOVE(to);
        across.TAKEMOUSEUP();
        // The bar itself, then the control lying farthest in the direction of the move.
        ASSERT_EQ(window.setOrder.size(), 3u);
        EXPECT_EQ(window.setOrder[1], first) << to;
    }
}
