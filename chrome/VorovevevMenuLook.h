#pragma once
// How the toolbar draws the popups it shows while its menu style is 0 or more: the colours of
// each menu style, the sizes of entries and where their parts go. No widgets here; the style
// that paints with it is VorovevevPopupStyle.h.
#include "chrome/VorovevevModel.h"
#include "chrome/VorovevevPaint.h"

namespace ptb {

inline constexpr COLORREF NoColour = COLORREF(-1);

// The colour-table indices of a menu style: background, popup frame, selection fill and the
// selection frame (0: the style has none and marks selection with `hotFill`/`hotFrame`).
struct MenuColourIndices {
    long back = 8;
    long frame = 9;
    long select = 0;
    long selectFrame = 0;
    long hotFill = 11;  // styles 0 and 3
    long hotFrame = 12; // styles 0 and 3, greyed entries reached by key
    long text = 14;
};
MenuColourIndices menuColourIndices(int menuStyle);

struct MenuItemSize {
    int width = 10;
    int height = 5;
};
// A separator is 10 x 5; an entry is its text with three blanks + 10 when it holds a tab,
// + 20 in menu style 3 (else + 30), and one pixel lower than the menu band's height.
MenuItemSize measureMenuItem(bool separator, const QString& text, int menuStyle, long menuHeight,
                             const Measurer& measure);

// Left edge of an entry's text, from the entry's left edge.
int menuTextLeft(int menuStyle);
// The entry's text colour.
COLORREF menuTextColour(int menuStyle, bool greyed, const ColorTable& colors);
// The raised copy a greyed entry gets in style 0, one pixel right and lower (NoColour: none).
COLORREF menuEmbossColour(int menuStyle, bool greyed, const ColorTable& colors);

// The highlighted entry: its fill and frame (NoColour: none).
struct MenuSelection {
    COLORREF fill = NoColour;
    COLORREF frame = NoColour;
};
MenuSelection menuSelection(int menuStyle, bool greyed, bool keyboardActive, const ColorTable& colors);

// A separator's lines two pixels below its top: from `indent` to the right edge in `first`,
// and in `second` one pixel lower (NoColour: none).
struct MenuSeparatorLook {
    int indent = 0;
    COLORREF first = NoColour;
    COLORREF second = NoColour;
};
MenuSeparatorLook menuSeparator(int menuStyle, const ColorTable& colors);

// The column at the left for icons and checks: 22 pixels, a gradient (style 2), one colour
// (style 1) or none.
struct MenuIconColumn {
    int width = 0;
    COLORREF start = NoColour;
    COLORREF end = NoColour;
};
MenuIconColumn menuIconColumn(int menuStyle, const ColorTable& colors);

// The box behind a check mark (styles 1 and 2; NoColour elsewhere).
struct MenuCheckBox {
    COLORREF fill = NoColour;
    COLORREF frame = NoColour;
};
MenuCheckBox menuCheckBox(int menuStyle, const ColorTable& colors);

// The popup's frame: a three-pixel band in the background; styles 1 to 3 an outer frame;
// style 0 a light inner line left and top, a dark one right and bottom, black outside them.
struct MenuFrameLook {
    COLORREF band = NoColour;
    COLORREF outer = NoColour;
    COLORREF light = NoColour;
    COLORREF dark = NoColour;
    COLORREF shadow = NoColour;
};
MenuFrameLook menuFrame(int menuStyle, const ColorTable& colors);

// An entry's text split at its tab: the caption and the shortcut (at most 29 characters).
std::pair<QString, QString> splitMenuText(const QString& text);

} // namespace ptb
