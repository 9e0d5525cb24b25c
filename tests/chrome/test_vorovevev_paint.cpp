// The toolbar's colours and painting: the colour table and its theme colours, colour helpers,
// grey icons, icon names, and a few pixel probes of toolbars rendered into images.
#include <gtest/gtest.h>

#include "chrome/ThemeLibrary.h"
#include "chrome/VorovevevPaint.h"

#include <QPainter>

using namespace ptb;

namespace {

struct Toolbar : Model {
    bool themes = false;
    bool themesActive() const override { return themes; }
};

ColorTable defaults()
{
    ColorTable t;
    SETDEFAULTCOLORS(t, false, {});
    return t;
}

QColor at(const QImage& image, long x, long y) { return image.pixelColor(int(x), int(y)); }
QColor colour(COLORREF c) { return toQColor(c); }

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

TEST(ToolbarColors, DefaultsAndThemeColours)
{
    const ColorTable t = defaults();
    EXPECT_EQ(t[39], RGB(8, 36, 107));
    EXPECT_EQ(t[46], RGB(214, 215, 206));
    EXPECT_EQ(t[47], RGB(247, 247, 247));
    EXPECT_EQ(t[15], RGB(255, 255, 255));
    EXPECT_EQ(t[7], pxp::sysColor(15)); // button face
    EXPECT_EQ(t[2], pxp::sysColor(16)); // button shadow
    for (long i = 54; i <= 60; ++i)
        EXPECT_EQ(t[size_t(i)], 0) << i;

    // Following the visual style, 31..53 take the theme colours; nothing else changes.
    ColorTable themed;
    SETDEFAULTCOLORS(themed, true, [](long i) { return RGB(int(i), 1, 2); });
    const std::pair<long, long> mapped[] = {{31, 15}, {33, 27}, {39, 26}, {46, 24}, {47, 25}, {53, 2}};
    for (const auto& [index, theme] : mapped) {
        EXPECT_EQ(themed[size_t(index)], RGB(int(theme), 1, 2)) << index;
        EXPECT_EQ(themeIndexFor(index), theme);
    }
    for (long i = 1; i <= 30; ++i)
        EXPECT_EQ(themed[size_t(i)], t[size_t(i)]) << i;
    EXPECT_EQ(themeIndexFor(20), 0);
}

TEST(ToolbarColors, Helpers)
{
    EXPECT_EQ(RGB(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
    const std::tuple<COLORREF, long, COLORREF> fades[] = {
        {RGB(100, 100, 100), 45, RGB(145, 145, 145)},
        {RGB(250, 10, 128), 10, RGB(255, 20, 138)},
        {RGB(5, 200, 0), -10, RGB(0, 190, 0)},
    };
    for (const auto& [c, amount, out] : fades)
        EXPECT_EQ(FADECOLOR(c, amount), out);
    EXPECT_EQ(FIXCOLOR(-1), pxp::sysColor(15));
    EXPECT_EQ(FIXCOLOR(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GETICONNAME(QStringLiteral("Open.file.ico")), QStringLiteral("Open_file_ico"));

    const LibraryIcon small = parseLibraryIcon(QStringLiteral("shell32.dll[3]"), 16);
    EXPECT_TRUE(small.valid);
    EXPECT_EQ(small.file, QStringLiteral("shell32.dll"));
    EXPECT_EQ(small.index, 3);
    EXPECT_TRUE(small.small);
    EXPECT_FALSE(parseLibraryIcon(QStringLiteral("PROG.EXE[12]"), 32).small);
    EXPECT_TRUE(parseLibraryIcon(QStringLiteral("PROG.EXE[12]"), 32).valid);
    EXPECT_FALSE(parseLibraryIcon(QStringLiteral("Open.ico"), 16).valid);
    EXPECT_FALSE(parseLibraryIcon(QStringLiteral("a.dll[x]"), 16).valid);
    EXPECT_TRUE(LOADICON(QStringLiteral("no-such-icon.ico"), 16, 16).isNull());
    // The program's own drawings, by base name or with "." as "_" in any case.
    for (const char* name : {"printer.ico", "~printer.ico", "PRINTER_SVG", "1311020374_Open.ico"}) {
        const QImage icon = LOADICON(QString::fromUtf8(name), 16, 16);
        EXPECT_EQ(icon.size(), QSize(16, 16)) << name;
    }
    EXPECT_TRUE(LOADICON(QStringLiteral("shell32.dll[3]"), 16, 16).isNull());
}

TEST(ToolbarColors, GreyIcon)
{
    QImage icon(2, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(100, 100, 100, 255));
    icon.setPixel(1, 0, qRgba(200, 10, 10, 0)); // masked
    const QImage grey = CREATEDISABLEDICON(icon);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(145, 145, 145, 255));
    EXPECT_EQ(qAlpha(grey.pixel(1, 0)), 0);
    QImage red(1, 1, QImage::Format_ARGB32);
    red.setPixel(0, 0, qRgba(255, 0, 0, 255));
    EXPECT_EQ(CREATEDISABLEDICON(red).pixel(0, 0), qRgba(121, 121, 121, 255)); // 76 + 45
    EXPECT_TRUE(CREATEDISABLEDICON(QImage()).isNull());

    const QFont bold = CREATEFONT(QStringLiteral("Tahoma"), 11, 700 | 0x1000);
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_TRUE(bold.italic());
    EXPECT_EQ(CREATEFONT(QStringLiteral("Tahoma"), 11, 100).weight(), QFont::Thin);
    EXPECT_TRUE(CREATEFONT(QStringLiteral("Tahoma"), 11, 0x6000).strikeOut());
}

TEST(ToolbarPaint, StyleTwoGripBorderAndHotButton)
{
    Toolbar tb;
    tb.INITED = true;
    tb.ADDBAND(1, 0, QStringLiteral("Main"));
    for (long id = 10; id < 13; ++id)
        tb.ADDBUTTON(1, id, {}, QStringLiteral("Open.ico"));
    tb.SETDRAWBOTTOMBORDER(true);
    const ColorTable c = defaults();
    tb.GETCONTROL(11)->BHOVERED = true;
    const QImage image = renderToImage(tb, c, 200, 29);

    for (int x : {0, 100, 199})
        EXPECT_EQ(at(image, x, 28), colour(c[39])) << x; // the bottom border
    const Rect b = tb.BANDQ[0].RAREA;
    EXPECT_EQ(at(image, b.left + 5, b.top + 7), colour(c[31]));
    EXPECT_EQ(at(image, b.left + 3, b.top + 5), colour(c[32]));
    EXPECT_EQ(at(image, b.left + 5, b.top + 11), colour(c[31])); // the next dot, 4 lower

    // The hot button is framed in colour 39 and filled with 42 → 43; a normal one has no face.
    const Rect hot = tb.GETCONTROL(11)->RAREA;
    EXPECT_EQ(at(image, hot.left, hot.top + 5), colour(c[39]));
    EXPECT_TRUE(near(at(image, hot.left + 2, hot.top + 5), colour(c[42]), 4));
    const Rect normal = tb.GETCONTROL(12)->RAREA;
    EXPECT_NE(at(image, normal.left, normal.top + 5), colour(c[39]));
    // Band gradient from 33 at its top to 34 at its bottom.
    EXPECT_TRUE(near(at(image, normal.left + 1, b.top + 1), colour(c[33]), 6));
    EXPECT_TRUE(near(at(image, normal.left + 1, b.bottom - 1), colour(c[34]), 6));
}

TEST(ToolbarPaint, StylesAndFallbacks)
{
    const ColorTable c = defaults();
    auto render = [&](int style, bool noGradient, bool pressed) {
        Toolbar tb;
        tb.INITED = true;
        tb.STYLE = style;
        tb.NOGRADIENT = noGradient;
        tb.ADDBAND(1, BAND_NOGRIP, QStringLiteral("A"));
        tb.ADDBUTTON(1, 10, QStringLiteral("Go"));
        tb.GETCONTROL(10)->BHOVERED = pressed;
        tb.GETCONTROL(10)->BPUSHED = pressed;
        tb.BLEFTFLAG = pressed;
        QImage image = renderToImage(tb, c, 120, 27);
        return std::make_pair(image, tb.GETCONTROL(10)->RAREA);
    };
    // Style 0: a button-face background with a shadow line at the bottom; a pressed button is sunken.
    {
        auto [image, r] = render(0, false, true);
        EXPECT_EQ(at(image, 110, 5), colour(c[7]));
        EXPECT_EQ(at(image, 110, 26), colour(c[2]));
        EXPECT_EQ(at(image, r.left, r.top + 5), colour(c[2]));       // dark left edge
        EXPECT_EQ(at(image, r.right - 1, r.top + 5), colour(c[1]));  // light right edge
    }
    // Without gradients the background is one solid colour (the end colour).
    {
        auto [image, r] = render(2, true, false);
        EXPECT_EQ(at(image, 119, 5), at(image, 115, 5));
    }
    // Style 3 while themes are off draws the classic face rather than nothing.
    {
        auto [image, r] = render(3, false, true);
        EXPECT_EQ(at(image, r.left, r.top + 5), colour(c[2]));
    }
    // Style 1: pressed fill 18 framed in 19.
    {
        auto [image, r] = render(1, false, true);
        EXPECT_EQ(at(image, r.left, r.top + 5), colour(c[19]));
        EXPECT_EQ(at(image, r.left + 2, r.top + 2), colour(c[18]));
    }
}

TEST(ToolbarPaint, MenuBandWindowButtonsOnlyWithAMaximisedChild)
{
    const ColorTable c = defaults();
    for (bool maximised : {false, true}) {
        Toolbar tb;
        tb.INITED = true;
        tb.ADDBAND(100, BAND_FULL | BAND_NOTLISTED | BAND_NOGRIP, {}, BAND_MENU);
        tb.GETBAND(100)->NFIXEDHEIGHT = 23;
        tb.NMENUBANDID = 100;
        tb.ADDSPACER(100, -4, -1);
        tb.ADDBUTTON(100, -3, QStringLiteral("r"));
        tb.BMDIVISIBLE = maximised;
        tb.GETCONTROL(-3)->BHOVERED = true; // a hot face shows whether it is painted
        const QImage image = renderToImage(tb, c, 200, 24);
        const Rect r = tb.GETCONTROL(-3)->RAREA;
        EXPECT_EQ(r.width(), 15);
        EXPECT_EQ(at(image, r.left, r.top + 3) == colour(c[39]), maximised) << maximised;
    }
}

TEST(ToolbarPaint, AnIconThatFailsIsNotRetriedUntilRenamed)
{
    Toolbar tb;
    tb.INITED = true;
    tb.ADDBAND(1, 0, QStringLiteral("A"));
    tb.ADDBUTTON(1, 10, {}, QStringLiteral("missing-icon.ico"));
    renderToImage(tb, defaults(), 100, 27);
    EXPECT_TRUE(tb.GETCONTROL(10)->iconFailed);
    tb.SETICON(10, QStringLiteral("other.ico"));
    EXPECT_FALSE(tb.GETCONTROL(10)->iconFailed);
}

TEST(ToolbarPaint, TabsProcessButtonsAndSeparators)
{
    Toolbar tb;
    tb.INITED = true;
    tb.ADDBAND(1, BAND_NOGRIP | BAND_NOCUSTOMIZE, QStringLiteral("A"));
    tb.ADDPROCESSBUTTON(1, 10, QStringLiteral("Order"));
    tb.ADDSEPARATOR(1, 11);
    tb.ADDBUTTON(1, 12, QStringLiteral("x"));
    tb.ADDBAND(2, BAND_NOGRIP | BAND_NOCUSTOMIZE, QStringLiteral("Tabs"), BAND_TAB);
    tb.ADDBUTTON(2, 20, QStringLiteral("One"));
    tb.ADDBUTTON(2, 21, QStringLiteral("Two"));
    tb.SETACTIVETAB(2, 2);
    const ColorTable c = defaults();
    const QImage image = renderToImage(tb, c, 300, 27);

    // The process button: outline in 39 along its top, a pointed right end whose corners show
    // the band behind it.
    const Rect p = tb.GETCONTROL(10)->RAREA;
    const long e = p.height() / 2;
    EXPECT_EQ(at(image, p.left + 5, p.top), colour(c[39]));
    EXPECT_EQ(at(image, p.right - 1, p.top + e), colour(c[39]));
    EXPECT_NE(at(image, p.right - 2, p.top + 1), colour(c[39]));

    // The separator: a dark line in 37 with a light line in 31 beside it.
    const Rect s = tb.GETCONTROL(11)->RAREA;
    const long x = s.left + s.width() / 2;
    EXPECT_EQ(at(image, x, s.top + 5), colour(c[37]));
    EXPECT_EQ(at(image, x + 1, s.top + 5), colour(c[31]));

    // Tabs: outlined in 38; the active one filled 42 → 43, the other 33 → 34.
    const Rect one = tb.GETCONTROL(20)->RAREA, two = tb.GETCONTROL(21)->RAREA;
    EXPECT_EQ(at(image, one.left + 8, one.top + 2), colour(c[38]));
    EXPECT_TRUE(near(at(image, two.left + 2, two.top + 10), colour(c[42]), 2));
    EXPECT_TRUE(near(at(image, one.left + 2, one.top + 6), colour(c[33]), 10));
    EXPECT_EQ(tb.GETACTIVETAB(2), 2);
}

TEST(ToolbarPaint, StyleThreeDrawsTheThemesToolbarArt)
{
    // The theme renderer has art for toolbar buttons and the band: hot and pressed buttons
    // differ, and a resting one leaves the band showing.
    struct Case {
        long state;
        bool drawn;
    };
    const Case cases[] = {{0, false}, {2, true}, {3, true}, {5, true}, {6, true}, {7, false}};
    pxp::ThemeArt art;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(pxp::themeArt(QStringLiteral("TOOLBAR"), 1, c.state, art), c.drawn);
    }
    ASSERT_TRUE(pxp::themeArt(QStringLiteral("TOOLBAR"), 1, 2, art));
    pxp::ThemeArt pressed;
    ASSERT_TRUE(pxp::themeArt(QStringLiteral("TOOLBAR"), 1, 3, pressed));
    EXPECT_NE(art.fill, pressed.fill);
    EXPECT_TRUE(pxp::themeArt(QStringLiteral("REBAR"), 0, 0, art));
}
