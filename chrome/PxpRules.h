#pragma once
#include <QRect>
#include <QString>

#include <vector>

// The rules the window and control painters follow, without widgets: which painter a control
// gets, button geometry and states, the sort markers of list headings, the sheet's tab strip.
namespace pxp {

// Control types as the window painter knows them.
enum ControlType {
    TYPE_ENTRY = 8,
    TYPE_CHECK = 12,
    TYPE_LIST = 14,
    TYPE_COMBO = 15,
    TYPE_SPIN = 16,
    TYPE_TEXT = 17,
    TYPE_RADIO = 21,
    TYPE_DROPLIST = 33,
    TYPE_DROPCOMBO = 34,
    TYPE_SHEET = 37,
    TYPE_TAB = 38,
    TYPE_RTF = 40,
};

// The type the exclusion lists test: a list that drops down counts as a combo.
long effectiveType(long type, bool dropsDown);
// The code a control's painter is recorded under, 0 when it gets none. A sheet gets one only
// when it is not kept unpainted.
long painterCode(long type, bool dropsDown, bool sheetUnpainted = false);
// Entry-like controls that a coloured window gives a white fill.
bool takesWhiteFill(long type);

// ---- drop lists and spin boxes ----

// Width of a drop control's button area: a combo's own button less 2, else the control's
// height; an editor in place always takes the height it has when painted.
long dropButtonWidth(bool isCombo, long comboButtonWidth, long controlHeight, bool isEditInPlace);
// The button rectangle inside the control's outer rectangle; with `whiteStrip` (drop lists
// that are not flat) one pixel on its left is left white.
QRect dropButtonRect(const QRect& outer, long buttonWidth, bool whiteStrip);
// The drop button's theme state: 4 disabled, 2 under the mouse, else 0.
long dropButtonState(bool enabled, bool hovered);

// Which spin button a point at height y of a control h high is on: 1 up, 2 down, 0 none.
int spinHit(long y, long height);
// Width of the spin buttons: 13, or half the inner height plus 1 when the control is taller
// than 28 pixels.
long spinButtonWidth(long outerHeight);
QRect spinUpRect(const QRect& outer);
QRect spinDownRect(const QRect& outer);
// States of the up and down buttons: 4 both when disabled, 2 for the one under the mouse.
long spinButtonState(bool enabled, bool hovered);

// ---- lists ----

enum SortDirection { SORT_NONE = 0, SORT_ASCENDING = 1, SORT_DESCENDING = 2 };
struct SortMarker {
    QString text;  // the heading without its marker
    int direction = SORT_NONE;
    int rank = 0;  // 2, 3, ... for the further sort columns marked "[+2]", "[-3]"; else 0
};
// Reads a heading's sort marker: "<+Name>" and "<-Name>", a leading ">" or "»" (ascending) or
// "<" or "«" (descending), a trailing "[+]" or "[-]", and the numbered "[+n]" and "[-n]" the
// sorted lists write for their further sort columns.
SortMarker parseSortMarker(const QString& heading);

// A list line height of 9 or less gives way to the default (when there is one).
long listLineHeight(long current, long defaultHeight);

// One column of a list's format, as the header reads it for its first shown column.
struct HeaderColumn {
    bool keptInView = false; // stays while the list scrolls sideways
    long group = 0;          // its group number
    bool startsGroup = false;
};
// The first column (0-based) shown at horizontal scroll position p.
long firstShownColumn(const std::vector<HeaderColumn>& columns, long scrollPosition);

// ---- sheets ----

struct SheetTab {
    bool visible = true;
    bool enabled = true;
    long width = 0; // text width + 10, or 40 for an empty text (see tabWidth)
};
long tabWidth(long textWidth, bool emptyText);

// The next (previous) visible, enabled tab after (before) `active`, 1-based, wrapping round;
// 0 when none qualifies.
long selectNextTab(const std::vector<SheetTab>& tabs, long active);
long selectPrevTab(const std::vector<SheetTab>& tabs, long active);
// The tab to select when the selected one is disabled: the last enabled tab from it to the
// end, else the last enabled one before it; the selection itself when none is enabled.
long replaceDisabledSelection(const std::vector<SheetTab>& tabs, long selected);

enum SheetArrows { ARROWS_NONE = 0, ARROWS_BOTH_ENDS = 1, ARROWS_RIGHT = 2 };
constexpr long SHEET_TAB_HEIGHT = 21;
// Scroll arrow states: left 9 / 10 hover / 12 disabled, right 13 / 14 / 16.
enum ArrowState { LEFT_NORMAL = 9, LEFT_HOT = 10, LEFT_DISABLED = 12, RIGHT_NORMAL = 13, RIGHT_HOT = 14, RIGHT_DISABLED = 16 };

struct SheetStrip {
    std::vector<QRect> tabRects; // per tab, null when not drawn
    long scrollPosition = 1;     // first tab drawn, 1-based
    long numVisible = 0;
    long numMaxVisible = 0;
    bool scrolling = false;
    QRect leftArrow, rightArrow; // null without an arrow option
    long leftArrowState = LEFT_NORMAL;
    long rightArrowState = RIGHT_NORMAL;
    QRect selectedRect; // the selected tab drawn raised; null when it is not drawn
    int selectedPart = 0; // 6 for the first drawn tab, else 5
};
// Lays the tab strip out over a client area `clientWidth` wide from `scrollPosition` on,
// advancing the scroll position until the selected tab is drawn, as far as that can ever
// happen (a hidden selected tab or one wider than the strip leaves it).
SheetStrip layoutSheetStrip(const std::vector<SheetTab>& tabs, long clientWidth, long scrollPosition,
                            long selected, int arrows, long hoveredArrow = 0);

// ---- radio and check boxes ----

// Theme state of a radio or check box: checked 7 pressed / 6 hovered / 5 / 8 disabled,
// unchecked 3 / 2 / 1 / 4.
long radioState(bool checked, bool enabled, bool pressed, bool hovered);
// Caption and box inside the control's rectangle; `boxRight` puts the box on the right.
QRect radioCaptionRect(const QRect& outer, bool boxRight);
QRect radioBoxRect(const QRect& outer, bool boxRight);
// Font weight from the style bits: 100 when all of its bits are set, else 700 likewise, else 400.
int radioFontWeight(long fontStyle);

} // namespace pxp
