// The painters' rules without widgets: which painter a control gets, button geometry and
// states, sort markers, first shown column, the sheet's tab selection and strip layout, and
// the radio box states and geometry.
#include <gtest/gtest.h>

#include "chrome/PxpRules.h"

using namespace pxp;

TEST(PainterChoice, TypesGiveTheirPainters)
{
    struct Case {
        long type;
        bool drops, sheetUnpainted;
        long code, effective;
    };
    const Case cases[] = {
        {TYPE_ENTRY, false, false, TYPE_ENTRY, TYPE_ENTRY},
        {TYPE_LIST, false, false, TYPE_LIST, TYPE_LIST},
        {TYPE_LIST, true, false, TYPE_DROPLIST, TYPE_COMBO},  // excluded with type 15
        {TYPE_DROPLIST, false, false, TYPE_DROPLIST, TYPE_DROPLIST},
        {TYPE_COMBO, true, false, TYPE_DROPCOMBO, TYPE_COMBO},
        {TYPE_COMBO, false, false, 0, TYPE_COMBO},
        {TYPE_DROPCOMBO, false, false, TYPE_DROPCOMBO, TYPE_DROPCOMBO},
        {TYPE_SPIN, false, false, TYPE_SPIN, TYPE_SPIN},
        {TYPE_SHEET, false, false, TYPE_SHEET, TYPE_SHEET},
        {TYPE_SHEET, false, true, 0, TYPE_SHEET},
        {TYPE_TEXT, false, false, 0, TYPE_TEXT},
        {TYPE_RADIO, false, false, 0, TYPE_RADIO},
        {TYPE_TAB, false, false, 0, TYPE_TAB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " drops " << c.drops);
        EXPECT_EQ(painterCode(c.type, c.drops, c.sheetUnpainted), c.code);
        EXPECT_EQ(effectiveType(c.type, c.drops), c.effective);
    }
    for (long t : {8L, 14L, 33L, 15L, 34L, 16L, 17L, 40L})
        EXPECT_TRUE(takesWhiteFill(t)) << t;
    for (long t : {12L, 21L, 37L, 38L, 1L})
        EXPECT_FALSE(takesWhiteFill(t)) << t;
}

TEST(DropAndSpinGeometry, ButtonsFollowTheControlsHeight)
{
    EXPECT_EQ(dropButtonWidth(false, 0, 20, false), 20);
    EXPECT_EQ(dropButtonWidth(true, 17, 20, false), 15);
    EXPECT_EQ(dropButtonWidth(true, 17, 26, true), 26); // an editor in place: its height
    // A drop list 20 high and 100 wide: button from 100 - 20 - 2 (+2 past the white strip)
    // to the pixel before the right frame, between the top and bottom frames.
    EXPECT_EQ(dropButtonRect(QRect(0, 0, 100, 20), 20, true), QRect(QPoint(80, 1), QPoint(98, 18)));
    EXPECT_EQ(dropButtonRect(QRect(0, 0, 100, 20), 20, false), QRect(QPoint(78, 1), QPoint(98, 18)));

    EXPECT_EQ(spinButtonWidth(20), 13);
    EXPECT_EQ(spinButtonWidth(28), 13);
    EXPECT_EQ(spinButtonWidth(40), 20);
    EXPECT_EQ(spinUpRect(QRect(0, 0, 80, 20)), QRect(66, 1, 13, 9));
    EXPECT_EQ(spinDownRect(QRect(0, 0, 80, 20)), QRect(66, 10, 13, 9));
    EXPECT_EQ(spinUpRect(QRect(0, 0, 80, 40)).width(), 20);

    struct Hit {
        long y, h;
        int button;
    };
    for (const Hit& c : {Hit{0, 20, 0}, Hit{1, 20, 1}, Hit{9, 20, 1}, Hit{10, 20, 2}, Hit{18, 20, 2}, Hit{19, 20, 0}})
        EXPECT_EQ(spinHit(c.y, c.h), c.button) << c.y;

    EXPECT_EQ(dropButtonState(true, false), 0);
    EXPECT_EQ(dropButtonState(true, true), 2);
    EXPECT_EQ(dropButtonState(false, true), 4);
    EXPECT_EQ(spinButtonState(false, false), 4);
    EXPECT_EQ(spinButtonState(true, true), 2);
}

TEST(ListHeader, SortMarkersAreReadOffTheHeading)
{
    struct Case {
        const char* heading;
        const char* text;
        int direction, rank;
    };
    const Case cases[] = {
        {"<+Name>", "Name", SORT_ASCENDING, 0},
        {"<-Name>", "Name", SORT_DESCENDING, 0},
        {"<xName>", "<xName>", SORT_NONE, 0},
        {"<Name", "Name", SORT_DESCENDING, 0},
        {">Name", "Name", SORT_ASCENDING, 0},
        {"\u00bbName", "Name", SORT_ASCENDING, 0},
        {"\u00abName", "Name", SORT_DESCENDING, 0},
        {"Name[+]", "Name", SORT_ASCENDING, 0},
        {"Name[-]", "Name", SORT_DESCENDING, 0},
        {"Name[-2]", "Name", SORT_DESCENDING, 2},
        {"Name[+12]", "Name", SORT_ASCENDING, 12},
        {"Name[x]", "Name[x]", SORT_NONE, 0},
        {"Name[+0]", "Name[+0]", SORT_NONE, 0},
        {"Name[-+1]", "Name[-+1]", SORT_NONE, 0},
        {"Name", "Name", SORT_NONE, 0},
        {"", "", SORT_NONE, 0},
        {"<>", ">", SORT_DESCENDING, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        const SortMarker m = parseSortMarker(QString::fromUtf8(c.heading));
        EXPECT_EQ(m.text, QString::fromUtf8(c.text));
        EXPECT_EQ(m.direction, c.direction);
        EXPECT_EQ(m.rank, c.rank);
    }
}

TEST(ListHeader, LineHeightAndFirstShownColumn)
{
    EXPECT_EQ(listLineHeight(9, 11), 11);
    EXPECT_EQ(listLineHeight(0, 11), 11);
    EXPECT_EQ(listLineHeight(10, 11), 10);
    EXPECT_EQ(listLineHeight(5, 0), 5);

    // Columns 0..3 in groups 1..4, none kept in view: scrolled by p, the column of group p + 1.
    std::vector<HeaderColumn> plain;
    for (long g = 1; g <= 4; ++g)
        plain.push_back({false, g, false});
    EXPECT_EQ(firstShownColumn(plain, 0), 0);
    EXPECT_EQ(firstShownColumn(plain, 2), 2);
    EXPECT_EQ(firstShownColumn(plain, -2), -1);
    // The first column kept in view without a group of its own shifts the rest by one.
    std::vector<HeaderColumn> kept = plain;
    kept[0].keptInView = true;
    EXPECT_EQ(firstShownColumn(kept, 0), 1);
    // A kept group starting at the column with group 2 shifts by its number.
    std::vector<HeaderColumn> keptGroup = plain;
    keptGroup[1] = {true, 2, true};
    EXPECT_EQ(firstShownColumn(keptGroup, 1), 3);
    EXPECT_EQ(firstShownColumn(keptGroup, 5), 4); // beyond the last: none
}

TEST(SheetTabs, SelectionSkipsHiddenAndDisabledTabs)
{
    const SheetTab on{true, true, 50}, hidden{false, true, 50}, off{true, false, 50};
    const std::vector<SheetTab> tabs = {on, hidden, off, on, on};
    struct Case {
        long active, next, prev;
    };
    for (const Case& c : {Case{1, 4, 5}, Case{4, 5, 1}, Case{5, 1, 4}, Case{2, 4, 1}, Case{0, 1, 5}}) {
        EXPECT_EQ(selectNextTab(tabs, c.active), c.next) << c.active;
        EXPECT_EQ(selectPrevTab(tabs, c.active), c.prev) << c.active;
    }
    EXPECT_EQ(selectNextTab({hidden, off}, 1), 0);
    EXPECT_EQ(selectPrevTab({}, 1), 0);

    // A disabled selection moves to the last enabled tab from it on, else before it.
    EXPECT_EQ(replaceDisabledSelection({on, off, on, on}, 2), 4);
    EXPECT_EQ(replaceDisabledSelection({on, on, off, off}, 3), 2);
    EXPECT_EQ(replaceDisabledSelection({off, off}, 1), 1);
    EXPECT_EQ(replaceDisabledSelection({on, off}, 1), 1);
    EXPECT_EQ(tabWidth(30, false), 40);
    EXPECT_EQ(tabWidth(0, true), 40);
}

TEST(SheetTabs, StripLayout)
{
    const auto tabsOf = [](std::initializer_list<long> widths) {
        std::vector<SheetTab> tabs;
        for (long w : widths)
            tabs.push_back({true, true, w});
        return tabs;
    };
    // Everything fits: no scrolling; tabs from x = 1 side by side.
    SheetStrip s = layoutSheetStrip(tabsOf({50, 60}), 300, 1, 1, ARROWS_NONE);
    EXPECT_FALSE(s.scrolling);
    EXPECT_EQ(s.numVisible, 2);
    EXPECT_EQ(s.numMaxVisible, 2);
    EXPECT_EQ(s.tabRects[0], QRect(1, 0, 50, 21));
    EXPECT_EQ(s.tabRects[1], QRect(51, 0, 60, 21));
    EXPECT_EQ(s.selectedPart, 6);
    EXPECT_EQ(s.selectedRect, QRect(QPoint(0, 0), QPoint(51, 22)));
    s = layoutSheetStrip(tabsOf({50, 60}), 300, 1, 2, ARROWS_NONE);
    EXPECT_EQ(s.selectedPart, 5);
    EXPECT_EQ(s.selectedRect, QRect(QPoint(49, 0), QPoint(110, 22))); // the last tab: 1 narrower

    // Too many tabs for 200 pixels with the arrows at the right (limit 200 - 35).
    const std::vector<SheetTab> many = tabsOf({60, 60, 60, 60});
    s = layoutSheetStrip(many, 200, 1, 1, ARROWS_RIGHT);
    EXPECT_TRUE(s.scrolling);
    EXPECT_EQ(s.numMaxVisible, 2);
    EXPECT_EQ(s.leftArrowState, LEFT_DISABLED);
    EXPECT_EQ(s.rightArrowState, RIGHT_NORMAL);
    EXPECT_EQ(s.rightArrow, QRect(182, 2, 14, 17));
    EXPECT_EQ(s.leftArrow, QRect(168, 2, 14, 17));
    EXPECT_TRUE(s.tabRects[2].isNull());
    // Both ends: the tabs start 18 further right.
    s = layoutSheetStrip(many, 200, 1, 1, ARROWS_BOTH_ENDS);
    EXPECT_EQ(s.leftArrow, QRect(2, 2, 14, 17));
    EXPECT_EQ(s.tabRects[0].left(), 19);
    // The last tab selected: the strip scrolls until it is drawn, the right arrow is off.
    s = layoutSheetStrip(many, 200, 1, 4, ARROWS_RIGHT, 2);
    EXPECT_EQ(s.scrollPosition, 3);
    EXPECT_FALSE(s.tabRects[3].isNull());
    EXPECT_EQ(s.rightArrowState, RIGHT_DISABLED);
    s = layoutSheetStrip(many, 200, 1, 2, ARROWS_RIGHT, 2);
    EXPECT_EQ(s.rightArrowState, RIGHT_HOT);
    // A selected tab before the strip brings it back.
    s = layoutSheetStrip(many, 200, 3, 1, ARROWS_RIGHT);
    EXPECT_EQ(s.scrollPosition, 1);
    // A tab wider than the strip, or a hidden selected one, never draws: the scrolling stops.
    s = layoutSheetStrip(tabsOf({60, 500, 60}), 200, 1, 2, ARROWS_RIGHT);
    EXPECT_TRUE(s.tabRects[1].isNull());
    EXPECT_EQ(s.scrollPosition, 2);
    std::vector<SheetTab> hiddenSelected = many;
    hiddenSelected[3].visible = false;
    s = layoutSheetStrip(hiddenSelected, 200, 1, 4, ARROWS_RIGHT);
    EXPECT_EQ(s.scrollPosition, 4);
    EXPECT_EQ(s.numVisible, 3);
}

TEST(RadioBoxes, StatesAndGeometry)
{
    struct Case {
        bool checked, enabled, pressed, hovered;
        long state;
    };
    const Case cases[] = {
        {true, true, true, true, 7},   {true, true, false, true, 6}, {true, true, false, false, 5},
        {true, false, true, true, 8},  {false, true, true, false, 3}, {false, true, false, true, 2},
        {false, true, false, false, 1}, {false, false, false, true, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(radioState(c.checked, c.enabled, c.pressed, c.hovered), c.state)
            << c.checked << c.enabled << c.pressed << c.hovered;
    const QRect outer(0, 0, 100, 20);
    EXPECT_EQ(radioCaptionRect(outer, false), QRect(16, 0, 84, 20));
    EXPECT_EQ(radioCaptionRect(outer, true), QRect(1, 0, 83, 20));
    EXPECT_EQ(radioBoxRect(outer, false), QRect(0, 0, 14, 20));
    EXPECT_EQ(radioBoxRect(outer, true), QRect(84, 0, 16, 20));
    EXPECT_EQ(radioFontWeight(0), 400);
    EXPECT_EQ(radioFontWeight(700), 700);
    EXPECT_EQ(radioFontWeight(100 | 0x1000), 100);
    EXPECT_EQ(radioFontWeight(0x2000 | 700), 700);
}
