#include "procedures/organiser/PaneLayout.h"
#include "procedures/organiser/PaneWidgets.h"
#include "runtime/IniFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <map>

using namespace organiser;

namespace {

AnchorRow rowOf(int control)
{
    for (const AnchorRow& r : controlAnchorTable())
        if (r.control == control)
            return r;
    return {};
}

// The geometry lookup of a window whose controls stand at `g`.
std::function<std::optional<QRect>(int)> lookup(const std::map<int, QRect>& g)
{
    return [&g](int c) -> std::optional<QRect> { return g.count(c) ? std::optional<QRect>(g.at(c)) : std::nullopt; };
}

} // namespace

TEST(PaneLayout, AnchorTableMovesAndGrowsByItsEdges)
{
    EXPECT_EQ(controlAnchorTable().size(), 61u);
    const QSize design(1000, 700);
    struct Case {
        int control;
        QRect at;
        QSize window;
        QRect expected;
    };
    const Case cases[] = {
        {44, {800, 10, 150, 20}, {1100, 700}, {900, 10, 150, 20}},   // follows left: moves, keeps its width
        {14, {200, 50, 500, 400}, {1100, 700}, {200, 50, 600, 400}}, // fixed left, follows right: grows
        {14, {200, 50, 500, 400}, {1100, 800}, {200, 50, 600, 500}},
        {89, {10, 10, 100, 100}, {1300, 900}, {10, 10, 100, 100}},   // all four fixed
        {96, {10, 10, 100, 100}, {800, 500}, {10, 10, 100, 100}},
        {105, {10, 10, 100, 100}, {1300, 900}, {10, 10, 100, 100}},
        {82, {300, 500, 600, 150}, {1100, 750}, {300, 550, 700, 150}}, // keeps height at the bottom
        {21, {260, 50, 300, 600}, {1200, 800}, {260, 50, 300, 700}},   // width governed by its bar
        {25, {570, 50, 400, 100}, {1100, 900}, {570, 50, 500, 100}},   // grows in width only
    };
    for (const Case& c : cases) {
        AnchorRow r = rowOf(c.control);
        r.remembered = c.at;
        EXPECT_EQ(applyAnchor(r, design, c.window), c.expected) << c.control;
    }
}

TEST(PaneLayout, ASplitterMovedBorderSurvivesTheNextResize)
{
    std::map<int, QRect> g = {{21, {260, 50, 300, 600}}, {22, {560, 50, 2, 600}}, {23, {562, 150, 400, 500}},
                              {25, {562, 50, 400, 100}}};
    ControlAnchors anchors;
    anchors.remember({1000, 700}, lookup(g));
    EXPECT_EQ(anchors.rows().size(), 4u) << "controls the window lacks are left out";
    const SplitMove move = moveSplitter(*splitterDef(22), {1000, 700}, 50, lookup(g));
    for (const auto& [c, r] : move.placements)
        anchors.controlMoved(c, r, {1000, 700});
    std::map<int, QRect> after;
    for (const auto& [c, r] : anchors.resize({1100, 700}))
        after[c] = r;
    EXPECT_EQ(after[21], QRect(260, 50, 350, 600)) << "the dragged width stays";
    EXPECT_EQ(after[22].x(), 610);
    EXPECT_EQ(after[23], QRect(612, 150, 450, 500));
}

TEST(PaneLayout, SplittersStayWithinTheirLimits)
{
    EXPECT_EQ(splitterTable().size(), 11u);
    EXPECT_EQ(splittersSetUpAgain(), (std::vector<int>{22, 9, 31, 86, 87, 132, 151}));
    const QSize window(1000, 700);
    struct Case {
        int bar;
        std::map<int, QRect> geometry;
        int delta, moved;
    };
    const Case cases[] = {
        // Bar 22 stops 260 from the left edge; its list would allow more.
        {22, {{22, {400, 0, 2, 600}}, {21, {0, 0, 400, 600}}, {23, {402, 0, 598, 600}}}, -1000, -140},
        {22, {{22, {400, 0, 2, 600}}, {21, {0, 0, 400, 600}}, {23, {402, 0, 598, 600}}}, 1000, 498},
        // Bar 41 stops 100 from both edges.
        {41, {{41, {400, 0, 2, 600}}, {36, {0, 0, 400, 600}}, {37, {402, 0, 598, 600}}}, -1000, -300},
        {41, {{41, {400, 0, 2, 600}}, {36, {0, 0, 400, 600}}, {37, {402, 0, 598, 600}}}, 1000, 498},
        // A horizontal bar moves up and down; a resized control's far edge is a limit too.
        {87, {{87, {300, 300, 600, 2}}, {75, {300, 250, 600, 50}}, {82, {300, 302, 600, 200}}}, -200, -50},
        {87, {{87, {300, 300, 600, 2}}, {75, {300, 250, 600, 50}}, {82, {300, 302, 600, 200}}}, 1000, 200},
    };
    for (const Case& c : cases) {
        const SplitMove m = moveSplitter(*splitterDef(c.bar), window, c.delta, lookup(c.geometry));
        EXPECT_EQ(m.moved, c.moved) << c.bar << " by " << c.delta;
    }
    // Side 1 grows, side 2 moves and shrinks; bar 31 moves the mail list without resizing it.
    std::map<int, QRect> g = {{31, {200, 0, 2, 600}}, {24, {0, 0, 200, 600}}, {21, {202, 0, 300, 600}},
                              {22, {502, 0, 2, 600}}, {23, {504, 0, 496, 600}}};
    const SplitMove m = moveSplitter(*splitterDef(31), window, 30, lookup(g));
    std::map<int, QRect> placed(m.placements.begin(), m.placements.end());
    EXPECT_EQ(placed[24], QRect(0, 0, 230, 600));
    EXPECT_EQ(placed[21], QRect(232, 0, 300, 600));
    EXPECT_EQ(placed[23], QRect(534, 0, 466, 600));
}

TEST(PaneLayout, MailPagePositionsAreSavedAndRestored)
{
    testsupport::TempFolder dir;
    vrt::IniFile ini(dir.file("Standard.ini"));
    std::map<int, QRect> g = {{24, {0, 40, 200, 600}}, {31, {200, 40, 2, 600}}, {21, {202, 40, 300, 600}},
                              {22, {502, 40, 2, 600}}, {25, {504, 40, 496, 100}}, {23, {504, 140, 496, 500}}};
    const auto geometry = lookup(g);
    // An empty file leaves the design layout.
    for (const auto& [c, r] : readMainLayout(ini, geometry))
        EXPECT_EQ(r, g[c]) << c;
    ASSERT_TRUE(saveMainLayout(ini, geometry));
    const std::map<QString, QStringList> keys = {{"InboxQ", {"X", "Y", "W"}}, {"Sem", {"X"}}, {"LEmail", {"X", "W"}},
                                                 {"S1", {"X"}},           {"PodaciD", {"X", "Y", "W"}},
                                                 {"Mht", {"X", "Y", "W"}}};
    EXPECT_EQ(ini.sections().size(), keys.size());
    for (const auto& [section, k] : keys)
        EXPECT_EQ(ini.keys(section), k) << section.toStdString();
    EXPECT_EQ(ini.get("LEmail", "W"), "300");
    // What was saved comes back; unsaved keys keep the current values.
    ini.put("LEmail", "W", "333");
    g[21] = {202, 40, 10, 10};
    for (const auto& [c, r] : readMainLayout(ini, geometry))
        if (c == 21)
            EXPECT_EQ(r, QRect(202, 40, 333, 10));
}

TEST(PaneLayout, TheWindowsBarsDragTheirControls)
{
    testsupport::TempFolder dir;
    QWidget window;
    window.resize(1000, 700);
    std::map<int, QWidget*> controls;
    const std::map<int, QRect> design = {{24, {0, 0, 200, 600}}, {31, {200, 0, 2, 600}}, {21, {202, 0, 300, 600}},
                                         {22, {502, 0, 2, 600}}, {23, {504, 0, 496, 600}}};
    for (const auto& [c, r] : design) {
        controls[c] = new QWidget(&window);
        controls[c]->setGeometry(r);
    }
    PaneLayoutBinder panes(&window, [&](int c) { return controls.count(c) ? controls[c] : nullptr; }, dir.file("Standard.ini"));
    panes.resizeControls();
    panes.setupSplitters();
    EXPECT_EQ(panes.dragSplitter(22, -1000), 260 - 502);
    EXPECT_EQ(controls[21]->width(), 58);
    window.resize(1100, 700);
    panes.resizeControls();
    EXPECT_EQ(controls[22]->x(), 260) << "the bar stays where it was dragged";
    EXPECT_EQ(controls[23]->width(), 496 + 242 + 100);
    ASSERT_TRUE(panes.saveMainLayout());
    EXPECT_EQ(vrt::IniFile(dir.file("Standard.ini")).get("S1", "X"), "260");
}
