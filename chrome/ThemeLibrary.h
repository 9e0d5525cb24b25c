#pragma once
#include "chrome/SysColors.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QPainter;

namespace pxp {

// A theme handle: an open theme class for drawing; 0 is none.
using HTHEME = long;

// Results of the drawing calls: 0 when drawn.
constexpr long THEME_OK = 0;
constexpr long THEME_FAILED = -1;

// Theme colour properties that the renderer answers.
constexpr long TMT_BORDERCOLOR = 3801;
constexpr long TMT_FILLCOLOR = 3802;

// Parts and states of the "Edit" class.
constexpr long EP_EDITTEXT = 1;
enum EditState { ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_FOCUSED = 5, ETS_READONLY = 6 };

// The colours of the theme art: the one-pixel edit frame and the edit's fill, by state.
COLORREF editFrameColor(long state);
COLORREF editFillColor(long state);

// Colour properties beyond border and fill: the glyph (arrow, check mark) and the accent line
// of hot and selected items.
constexpr long TMT_GLYPHCOLOR = 3803;
constexpr long TMT_ACCENTCOLOR = 3804;

// The art of one (class, part, state) of the theme: fill, one-pixel border, glyph and accent
// (-1: none). False for a part the theme does not draw.
struct ThemeArt {
    COLORREF fill = -1, border = -1, glyph = -1, accent = -1;
};
bool themeArt(const QString& themeClass, long part, long state, ThemeArt& art);

// Parts the painters draw besides the edit frame.
constexpr long CP_DROPDOWNBUTTON = 1;       // "Combobox"
constexpr long SPNP_UP = 1, SPNP_DOWN = 2;  // "Spin"
constexpr long HP_HEADERITEM = 1;           // "Header"
constexpr long LVP_LISTITEM = 1;            // "ListView": the list's frame
constexpr long TABP_TAB = 4, TABP_SELECTED = 5, TABP_SELECTEDFIRST = 6, TABP_PANE = 9; // "Tab"
constexpr long SBP_ARROWBTN = 1;            // "Scrollbar": 9-12 left, 13-16 right
constexpr long BP_RADIOBUTTON = 2, BP_CHECKBOX = 3; // "Button": states 1-8

// The visual-styles entry points the chrome draws through. One library is bound per process
// (see themeLibrary()); the painters call it directly, the theme service under its lock.
class ThemeLibrary {
public:
    virtual ~ThemeLibrary() = default;
    // The first class of the ";"-separated list that the library knows; 0 when none.
    virtual HTHEME openThemeData(QObject* window, const QString& classList) = 0;
    virtual long closeThemeData(HTHEME theme) = 0;
    virtual long drawThemeBackground(HTHEME theme, QPainter& painter, long part, long state,
                                     const QRect& rect, const QRect* clip) = 0;
    // false when the theme has no such colour.
    virtual bool getThemeColor(HTHEME theme, long part, long state, long property, COLORREF& colour) = 0;
    virtual bool getCurrentThemeName(QString& fileName, QString& colourName) = 0;
};

using ThemeLibraryLoader = std::function<std::unique_ptr<ThemeLibrary>()>;

// The library bound to this process, loading it at the first call; null while it cannot be
// loaded (a later call tries again). Once loaded it stays for the process.
ThemeLibrary* loadThemeLibrary();
// The library if one is bound, without loading.
ThemeLibrary* boundThemeLibrary();

// The default loader: Velmora's own renderer, or nothing when the environment variable
// VELMORA_THEME is "off" or "0" (every window then keeps the plain look).
std::unique_ptr<ThemeLibrary> loadThemeRenderer();

// Where the renderer reads the name of the current theme and its colour scheme. Nothing
// answers on this desktop (both names empty, the system scheme holds).
using ThemeNameProvider = std::function<void(QString& fileName, QString& colourName)>;

// Test hooks, each undone by the end of its scope.
class ScopedThemeLoader {
public:
    // The process starts over as if no library were bound, with this loader.
    explicit ScopedThemeLoader(ThemeLibraryLoader loader);
    ~ScopedThemeLoader();
    ScopedThemeLoader(const ScopedThemeLoader&) = delete;
    ScopedThemeLoader& operator=(const ScopedThemeLoader&) = delete;

private:
    ThemeLibraryLoader m_loader;
    std::unique_ptr<ThemeLibrary> m_library;
};

class ScopedThemeName {
public:
    ScopedThemeName(QString fileName, QString colourName);
    ~ScopedThemeName();
    ScopedThemeName(const ScopedThemeName&) = delete;
    ScopedThemeName& operator=(const ScopedThemeName&) = delete;

private:
    ThemeNameProvider m_previous;
};

} // namespace pxp
