#pragma once
// Painting of the self-drawn toolbar: the 60-entry colour table, the drawing primitives the
// item painters share, background, bands and grips, icons and fonts. Everything paints through
// a QPainter, so the widget and the tests (into a QImage) run the same code.
#include "chrome/VorovevevModel.h"

#include <QFont>
#include <QImage>

#include <array>
#include <functional>

class QPainter;

namespace ptb {

using ColorTable = std::array<COLORREF, 61>; // indices 1..60

// SETDEFAULTCOLORS: the defaults, then theme colours for 31..53 when `followTheme` (the table
// follows the visual style and themes are active); `themeColour` gives the theme service's
// colour of index 1..28.
void SETDEFAULTCOLORS(ColorTable& table, bool followTheme, const std::function<COLORREF(long)>& themeColour);
// The theme-colour index that replaces entry 31..53; 0 for the others.
long themeIndexFor(long index);

COLORREF RGB(int red, int green, int blue);
COLORREF FADECOLOR(COLORREF colour, long amount);
COLORREF FIXCOLOR(COLORREF colour);
QColor toQColor(COLORREF colour);
QString GETICONNAME(const QString& name);

// "file.dll[n]" / "file.exe[n]" (any case): the file, the index and whether the small icon is
// taken (wanted width 16 or less).
struct LibraryIcon {
    bool valid = false;
    QString file;
    int index = 0;
    bool small = true;
};
LibraryIcon parseLibraryIcon(const QString& name, int width);
// LOADICON: a library icon as "<file>_<n>" among the program's icons; a resource name with "."
// as "_" (any case); else an icon file of that name. A null image when none loads. A named
// module's icons (its resources under ":/<module>/icons") are looked at before the program's.
QImage LOADICON(const QString& name, int width, int height, const QString& module = {});
// The grey copy of an icon: 0.30 R + 0.59 G + 0.11 B, lightened by 45; transparent stays so.
QImage CREATEDISABLEDICON(const QImage& icon);
// CREATEFONT: weight 100 / 700 / 400 by the style bits, italic 0x1000, underline 0x2000,
// strike-out 0x4000; `pixels` is the character height.
QFont CREATEFONT(const QString& face, int pixels, long style);
// The Marlett symbol font for window buttons, drop arrows and menu check marks.
QFont marlettFont(int pixels);
// Tahoma (Wine's face) is added to the application fonts once when the system lacks it.
void loadToolbarFonts();

// The desktop's colour count; NOGRADIENT below 257. Tests replace it.
long GETDESKTOPPALETTESIZE();
void setDesktopPaletteSizeHook(std::function<long()> hook);

struct PaintContext {
    QPainter& p;
    Model& tb;
    const ColorTable& colors;
    QFont font;        // the toolbar font
    QFont mdiFont;     // Marlett of the same height
    int dpiY = 96;
    bool themesActive = false;

    COLORREF color(long index) const { return index >= 1 && index <= 60 ? colors[size_t(index)] : 0; }
    int style() const { return tb.STYLE; }

    // Primitives; right and bottom of fills are exclusive, lines include both ends.
    void drawLine(long x1, long y1, long x2, long y2, COLORREF colour);
    void drawBox(long left, long top, long right, long bottom, COLORREF colour); // edges inclusive
    void drawBevelBox(long left, long top, long right, long bottom, COLORREF dark = -1, COLORREF light = -1);
    void fillRect(long left, long top, long right, long bottom, COLORREF colour);
    // From `start` at the top-left to `end` at the bottom-right; direction 0 horizontal, 1 vertical.
    void drawGradient(long left, long top, long right, long bottom, COLORREF start, COLORREF end, int direction);
    void drawText(const QString& text, const Rect& r, bool centred, COLORREF colour, const QFont& f);
    void drawControlText(const Band& band, const Item& item, const Rect& r, const QFont& f, COLORREF colour,
                         bool centred);
    void drawControlIcon(const Band& band, const Item& item, long x, long y);
};

// The whole toolbar: background, then each shown band and its visible items.
void TAKEPAINTEVENT(PaintContext& ctx, const Rect& area);
void DRAWBACKGROUND(PaintContext& ctx, const Rect& area);
void DRAWBAND(PaintContext& ctx, const Band& band, const Rect& area);
void DRAWGRIP(PaintContext& ctx, long left, long top, long bottom, long right);

// Measures in real fonts: the toolbar font of the model's face and size.
class FontMeasurer : public Measurer {
public:
    FontMeasurer(const QString& face, long points, int dpiY = 96);
    int textWidth(const QString& text, bool bold = false) const override;
    int textWidthIn(const QFont& font, const QString& text) const override;
    int textHeight() const override;
    int dpiY() const override { return m_dpiY; }
    const QFont& font() const { return m_font; }

private:
    QFont m_font;
    QFont m_bold;
    int m_dpiY;
};

// Paints a model into an image of that size after laying it out: what tests probe.
QImage renderToImage(Model& tb, const ColorTable& colors, int width, int height);

} // namespace ptb
