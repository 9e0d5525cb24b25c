#include "procedures/organiser/panes/PaneLayout.h"
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
        if (c == 21) {
            EXPECT_EQ(r, QRect(202, 40, 333, 10));
        }
}
