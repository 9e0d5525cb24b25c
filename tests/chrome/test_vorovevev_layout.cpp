// The toolbar's layout as tables of cases with fixed-width text: where bands and items go,
// row heights, fillers, overflow and the menu band's window buttons.
#include <gtest/gtest.h>

#include "chrome/VorovevevModel.h"

using namespace ptb;

namespace {

// Every character 6 pixels wide, text 13 pixels high.
struct FixedMeasurer : Measurer {
    int textWidth(const QString& t, bool bold) const override { return int(t.size()) * (bold ? 7 : 6); }
    int textWidthIn(const QFont&, const QString& t) const override { return int(t.size()) * 6; }
    int textHeight() const override { return 13; }
};

struct Toolbar : Model {
    bool themesActive() const override { return false; }
    long layout(long width = 400)
    {
        return CALCULATE(*this, {0, 0, width, 100}, FixedMeasurer());
    }
    void iconButtons(long band, long first, int n)
    {
        for (int i = 0; i < n; ++i)
            ADDBUTTON(band, first + i, {}, QStringLiteral("Open.ico"));
    }
};

} // namespace

TEST(ToolbarLayout, ThreeIconButtonsInStyleTwo)
{
    Toolbar tb;
    tb.ADDBAND(1, 0, QStringLiteral("Main"));
    tb.iconButtons(1, 10, 3);
    EXPECT_EQ(tb.layout(), 27);
    const Band& b = tb.BANDQ[0];
    EXPECT_EQ(b.RAREA.left, 2);
    EXPECT_EQ(b.RAREA.height(), 26);
    const long lefts[] = {10, 33, 56};
    for (int i = 0; i < 3; ++i) {
        const Rect& r = b.CONTROLQ[size_t(i)].RAREA;
        EXPECT_EQ(r.left, lefts[i]) << i;
        EXPECT_EQ(r.width(), 22) << i;
        EXPECT_EQ(r.top, 2);
        EXPECT_EQ(r.bottom, 24);
    }
    // Items, then the customize area of style 2: the band ends 10 past the last button.
    EXPECT_EQ(b.RAREA.right, 79 + 10);

    tb.SETDRAWBOTTOMBORDER(true);
    EXPECT_EQ(tb.layout(), 29);
}

TEST(ToolbarLayout, StylesAndBandFlagsMoveTheFirstItem)
{
    struct Case {
        int style;
        unsigned long flags;
        long firstLeft;
        long bandRight; // after one 22-pixel button and its gap
    };
    const Case cases[] = {
        {2, 0, 10, 33 + 10},
        {2, BAND_NOGRIP, 4, 27 + 10},
        {2, BAND_NOCUSTOMIZE, 10, 33 + 2},
        {0, 0, 8, 31 + 2},
        {1, BAND_NOGRIP, 2, 25 + 2},
    };
    for (const Case& c : cases) {
        Toolbar tb;
        tb.STYLE = c.style;
        tb.ADDBAND(1, c.flags, QStringLiteral("A"));
        tb.iconButtons(1, 10, 1);
        tb.layout();
        EXPECT_EQ(tb.BANDQ[0].CONTROLQ[0].RAREA.left, c.firstLeft) << c.style << " " << c.flags;
        EXPECT_EQ(tb.BANDQ[0].RAREA.right, c.bandRight) << c.style << " " << c.flags;
    }
}

TEST(ToolbarLayout, RowsEndAfterLastOnLineBandsEvenHiddenOnes)
{
    Toolbar tb;
    tb.ADDBAND(1, BAND_LASTONLINE, QStringLiteral("A"));
    tb.iconButtons(1, 10, 1);
    tb.ADDBAND(2, 0, QStringLiteral("B"));
    tb.iconButtons(2, 20, 1);
    EXPECT_EQ(tb.layout(), 27 + 27);
    EXPECT_EQ(tb.BANDQ[1].RAREA.top, 0 + 26 + 1);
    EXPECT_EQ(tb.BANDQ[1].RAREA.left, 2);
    EXPECT_EQ(tb.BANDQ[1].NROW, 1);

    // Hidden (by the program or by the user), the band still ends its row.
    for (int how = 0; how < 2; ++how) {
        Toolbar t;
        t.ADDBAND(1, 0, QStringLiteral("A"));
        t.iconButtons(1, 10, 1);
        t.ADDBAND(2, BAND_LASTONLINE | (how == 0 ? 32UL : 0UL), QStringLiteral("B"));
        if (how == 1)
            t.toggleUserHidden(2);
        t.ADDBAND(3, 0, QStringLiteral("C"));
        t.iconButtons(3, 30, 1);
        t.layout();
        EXPECT_EQ(t.BANDQ[2].RAREA.top, 27) << how;
        EXPECT_EQ(t.BANDQ[2].NROW, 1) << how;
    }
}

TEST(ToolbarLayout, TallerItemsRaiseTheRow)
{
    Toolbar tb;
    tb.ADDBAND(1, BAND_ICONSABOVE, QStringLiteral("A"));
    tb.ADDBUTTON(1, 10, QStringLiteral("Open"), QStringLiteral("Open.ico"));
    // icon 16 + 3, text 13, plus 3 × padding.
    EXPECT_EQ(tb.layout(), (16 + 3) + 13 + 9 + 1);
    // Icon and caption side by side: icon + padding + caption width.
    Toolbar side;
    side.ADDBAND(1, 0, QStringLiteral("A"));
    side.ADDBUTTON(1, 10, QStringLiteral("Open"), QStringLiteral("Open.ico"));
    side.ADDBUTTON(1, 11, QStringLiteral("Text"));
    side.ADDBAND(2, BAND_NOICONS, QStringLiteral("B"));
    side.ADDBUTTON(2, 20, QStringLiteral("Open"), QStringLiteral("Open.ico"));
    side.layout();
    EXPECT_EQ(side.GETCONTROL(10)->RAREA.width(), 16 + 3 + 24 + 6);
    EXPECT_EQ(side.GETCONTROL(11)->RAREA.width(), 24 + 6);
    EXPECT_EQ(side.GETCONTROL(20)->RAREA.width(), 24 + 6);
}

TEST(ToolbarLayout, ItemWidthsByKind)
{
    Toolbar tb;
    tb.ADDBAND(1, BAND_NOCUSTOMIZE, QStringLiteral("A"));
    tb.ADDDROPBUTTON(1, 1, QStringLiteral("ab"));
    tb.ADDPROCESSBUTTON(1, 2, QStringLiteral("ab"));
    tb.ADDSEPARATOR(1, 3);
    tb.ADDSPACER(1, 4, 17);
    tb.ADDTEXT(1, 5, QStringLiteral("abc"));
    tb.ADDBUTTON(1, 6, QStringLiteral("fixed"));
    tb.SETWIDTH(6, 40);
    tb.layout(1000);
    const std::pair<long, long> widths[] = {{1, 12 + 11 + 6}, {2, 12 + 25 + 6}, {3, 0 + 6}, {4, 17 + 6},
                                            {5, 18 + 6},      {6, 40 + 6}};
    for (const auto& [id, w] : widths)
        EXPECT_EQ(tb.GETCONTROL(id)->RAREA.width(), w) << id;

    // A fixed band width holds every item and drops the drop arrow's extra.
    tb.SETFIXEDWIDTH(1, 30);
    tb.layout(1000);
    EXPECT_EQ(tb.GETCONTROL(1)->RAREA.width(), 36);
    EXPECT_EQ(tb.GETCONTROL(6)->RAREA.width(), 46);
}

TEST(ToolbarLayout, FillersShareTheFreeWidth)
{
    Toolbar tb;
    tb.STYLE = 0;
    tb.ADDBAND(1, BAND_FULL | BAND_NOGRIP, QStringLiteral("A"));
    tb.ADDSPACER(1, 1, -1);
    tb.iconButtons(1, 10, 1);
    tb.ADDSPACER(1, 2, -1);
    tb.layout(400);
    const long a = tb.GETCONTROL(1)->RAREA.width(), b = tb.GETCONTROL(2)->RAREA.width();
    // Whole pixels, truncated: (400 - (22 + 1) - (0 + 7) - 2 - 3) / 2 = 182 for the first; the
    // second takes what is left after it.
    EXPECT_EQ(a, 182);
    EXPECT_NEAR(double(b), double(a), 10.0);
    EXPECT_LE(tb.GETCONTROL(2)->RAREA.right, 400);

    // Items after a filler wider than the row leave it empty, never negative.
    Toolbar narrow;
    narrow.ADDBAND(1, BAND_NOGRIP, QStringLiteral("A"));
    narrow.ADDSPACER(1, 1, -1);
    narrow.iconButtons(1, 10, 10);
    narrow.layout(100);
    EXPECT_GE(narrow.GETCONTROL(1)->RAREA.width(), 0);
    EXPECT_EQ(narrow.GETCONTROL(10)->RAREA.left, narrow.GETCONTROL(1)->RAREA.right + 1);
}

TEST(ToolbarLayout, OverflowMovesABandThatDoesNotFit)
{
    auto build = [](Toolbar& tb) {
        tb.ADDBAND(1, 0, QStringLiteral("A"));
        tb.iconButtons(1, 10, 4);
        tb.ADDBAND(2, 0, QStringLiteral("B"));
        tb.iconButtons(2, 20, 4);
    };
    Toolbar off;
    build(off);
    off.layout(150);
    EXPECT_EQ(off.BANDQ[1].RAREA.top, 0);

    Toolbar on;
    build(on);
    on.SETOVERFLOWDETECTION(true);
    EXPECT_EQ(on.layout(150), 27 + 27);
    EXPECT_EQ(on.BANDQ[1].RAREA.top, 27);
    EXPECT_EQ(on.BANDQ[1].RAREA.left, 2);
    EXPECT_EQ(on.BANDQ[1].NROW, 1);
    // The first band already starts its row and stays, too wide or not.
    EXPECT_EQ(on.BANDQ[0].RAREA.top, 0);

    Toolbar wide;
    wide.SETOVERFLOWDETECTION(true);
    wide.ADDBAND(1, 0, QStringLiteral("A"));
    wide.iconButtons(1, 10, 10);
    wide.layout(100);
    EXPECT_EQ(wide.BANDQ[0].RAREA.top, 0);
}

TEST(ToolbarLayout, MenuBandWindowButtonsAreLaidOutAlways)
{
    Toolbar tb;
    tb.ADDBAND(100, BAND_FULL | BAND_NOTLISTED, {}, BAND_MENU);
    tb.GETBAND(100)->NFIXEDHEIGHT = 23;
    tb.NMENUBANDID = 100;
    tb.ADDSPACER(100, -4, -1);
    tb.ADDBUTTON(100, -1, QStringLiteral("0"));
    tb.ADDBUTTON(100, -2, QStringLiteral("2"));
    tb.ADDBUTTON(100, -3, QStringLiteral("r"));
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.iconButtons(1, 10, 1);
    EXPECT_EQ(tb.layout(400), 23 + 1 + 26 + 1);
    for (long id : {-1, -2, -3}) {
        EXPECT_EQ(tb.GETCONTROL(id)->RAREA.width(), 9 + 6) << id;
        EXPECT_EQ(tb.GETCONTROL(id)->RAREA.bottom, 23 - 4) << id;
    }
    EXPECT_EQ(tb.GETBAND(100)->RAREA.right, 399); // the menu band spans the row
    EXPECT_EQ(tb.GETBAND(1)->RAREA.top, 24);
}

TEST(ToolbarLayout, PopupShortcutColumn)
{
    const FixedMeasurer m;
    EXPECT_EQ(menuHotKeyX({QStringLiteral("Open\tCtrl+O"), QStringLiteral("Save as\tCtrl+Shift+S"),
                           QStringLiteral("Close")},
                          m),
              12 * 6 + 10);
    EXPECT_EQ(menuHotKeyX({QStringLiteral("Open"), QStringLiteral("Close")}, m), 0);
    EXPECT_EQ(menuHotKeyX({QStringLiteral("x\t") + QString(150, u'a')}, m), 99 * 6 + 10);
}
