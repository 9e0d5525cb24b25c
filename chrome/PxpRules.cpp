#include "chrome/PxpRules.h"

#include <algorithm>

namespace pxp {

long effectiveType(long type, bool dropsDown)
{
    return type == TYPE_LIST && dropsDown ? long(TYPE_COMBO) : type;
}

long painterCode(long type, bool dropsDown, bool sheetUnpainted)
{
    switch (type) {
    case TYPE_ENTRY: return TYPE_ENTRY;
    case TYPE_LIST: return dropsDown ? TYPE_DROPLIST : TYPE_LIST;
    case TYPE_DROPLIST: return TYPE_DROPLIST;
    case TYPE_COMBO: return dropsDown ? TYPE_DROPCOMBO : 0;
    case TYPE_DROPCOMBO: return TYPE_DROPCOMBO;
    case TYPE_SPIN: return TYPE_SPIN;
    case TYPE_SHEET: return sheetUnpainted ? 0 : TYPE_SHEET;
    default: return 0;
    }
}

bool takesWhiteFill(long type)
{
    switch (type) {
    case TYPE_ENTRY:
    case TYPE_LIST:
    case TYPE_DROPLIST:
    case TYPE_COMBO:
    case TYPE_DROPCOMBO:
    case TYPE_SPIN:
    case TYPE_TEXT:
    case TYPE_RTF: return true;
    default: return false;
    }
}

long dropButtonWidth(bool isCombo, long comboButtonWidth, long controlHeight, bool isEditInPlace)
{
    if (isEditInPlace)
        return controlHeight;
    return isCombo ? comboButtonWidth - 2 : controlHeight;
}

QRect dropButtonRect(const QRect& outer, long buttonWidth, bool whiteStrip)
{
    // Edges as the outer rectangle's right and bottom, one past the last pixel.
    const int right = outer.left() + outer.width() - 1;
    int left = outer.left() + outer.width() - int(buttonWidth) - 2;
    if (whiteStrip)
        left += 2;
    const int top = outer.top() + 1;
    const int bottom = outer.top() + outer.height() - 1;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

long dropButtonState(bool enabled, bool hovered)
{
    if (!enabled)
        return 4;
    return hovered ? 2 : 0;
}

int spinHit(long y, long height)
{
    if (y >= 1 && y < height / 2)
        return 1;
    if (y >= height / 2 && y < height - 1)
        return 2;
    return 0;
}

long spinButtonWidth(long outerHeight)
{
    const long d = (outerHeight - 2) / 2;
    return outerHeight > 28 ? d + 1 : 13;
}

QRect spinUpRect(const QRect& outer)
{
    const int right = outer.left() + outer.width() - 1; // one past the button's last pixel
    const int top = outer.top() + 1;
    const int d = (outer.height() - 2) / 2;
    const int left = right - int(spinButtonWidth(outer.height()));
    return QRect(left, top, right - left, d);
}

QRect spinDownRect(const QRect& outer)
{
    const QRect up = spinUpRect(outer);
    const int bottom = outer.top() + outer.height() - 1;
    return QRect(up.left(), up.top() + up.height(), up.width(), bottom - (up.top() + up.height()));
}

long spinButtonState(bool enabled, bool hovered)
{
    if (!enabled)
        return 4;
    return hovered ? 2 : 0;
}

SortMarker parseSortMarker(const QString& heading)
{
    SortMarker m;
    m.text = heading;
    const qsizetype n = heading.size();
    if (n >= 3 && heading.startsWith(u'<') && heading.endsWith(u'>')) {
        // "<+Name>" / "<-Name>"; any other second character leaves the text as it is.
        if (heading.at(1) == u'+' || heading.at(1) == u'-') {
            m.direction = heading.at(1) == u'+' ? SORT_ASCENDING : SORT_DESCENDING;
            m.text = heading.mid(2, n - 3);
        }
        return m;
    }
    if (n >= 1) {
        const QChar first = heading.at(0);
        if (first == u'>' || first == QChar(0xBB)) {
            m.direction = SORT_ASCENDING;
            m.text = heading.mid(1);
            return m;
        }
        if (first == u'<' || first == QChar(0xAB)) {
            m.direction = SORT_DESCENDING;
            m.text = heading.mid(1);
            return m;
        }
    }
    // A trailing "[+]" / "[-]", or numbered "[+2]" / "[-2]" for the further sort columns.
    if (n >= 3 && heading.endsWith(u']')) {
        const qsizetype open = heading.lastIndexOf(u'[');
        if (open >= 0 && open + 2 < n) {
            const QChar sign = heading.at(open + 1);
            const QString digits = heading.mid(open + 2, n - open - 3);
            bool numbered = false;
            const int rank = digits.toInt(&numbered);
            if ((sign == u'+' || sign == u'-') && (digits.isEmpty() || (numbered && rank > 0 && digits.at(0).isDigit()))) {
                m.direction = sign == u'+' ? SORT_ASCENDING : SORT_DESCENDING;
                m.rank = digits.isEmpty() ? 0 : rank;
                m.text = heading.left(open);
            }
        }
    }
    return m;
}

long listLineHeight(long current, long defaultHeight)
{
    return defaultHeight > 0 && current <= 9 ? defaultHeight : current;
}

long firstShownColumn(const std::vector<HeaderColumn>& columns, long scrollPosition)
{
    const long p = scrollPosition + 1;
    if (p < 1)
        return p;
    long lastKeptGroup = 0, keptAlone = 0;
    for (const HeaderColumn& c : columns) {
        if (!c.keptInView)
            continue;
        if (c.startsGroup)
            lastKeptGroup = c.group;
        else
            ++keptAlone;
    }
    const long wanted = p + lastKeptGroup + keptAlone;
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].group == wanted)
            return long(i);
    return long(columns.size());
}

long tabWidth(long textWidth, bool emptyText)
{
    return emptyText ? 40 : textWidth + 10;
}

namespace {
bool selectable(const SheetTab& t) { return t.visible && t.enabled; }
} // namespace

long selectNextTab(const std::vector<SheetTab>& tabs, long active)
{
    const long n = long(tabs.size());
    for (long i = std::max(active, 0L) + 1; i <= n; ++i)
        if (selectable(tabs[size_t(i - 1)]))
            return i;
    for (long i = 1; i <= n; ++i)
        if (selectable(tabs[size_t(i - 1)]))
            return i;
    return 0;
}

long selectPrevTab(const std::vector<SheetTab>& tabs, long active)
{
    const long n = long(tabs.size());
    for (long i = std::min(active, n + 1) - 1; i >= 1; --i)
        if (selectable(tabs[size_t(i - 1)]))
            return i;
    for (long i = n; i >= 1; --i)
        if (selectable(tabs[size_t(i - 1)]))
            return i;
    return 0;
}

long replaceDisabledSelection(const std::vector<SheetTab>& tabs, long selected)
{
    const long n = long(tabs.size());
    if (selected < 1 || selected > n || tabs[size_t(selected - 1)].enabled)
        return selected;
    for (long i = n; i >= selected; --i)
        if (tabs[size_t(i - 1)].enabled)
            return i;
    for (long i = selected; i >= 1; --i)
        if (tabs[size_t(i - 1)].enabled)
            return i;
    return selected;
}

namespace {

SheetStrip layoutOnce(const std::vector<SheetTab>& tabs, long clientWidth, long scrollPosition, long selected,
                      int arrows, long hoveredArrow)
{
    SheetStrip s;
    s.scrollPosition = scrollPosition;
    s.tabRects.assign(tabs.size(), QRect());
    const bool rightArrows = arrows == ARROWS_RIGHT;
    int x = 1;
    if (arrows == ARROWS_BOTH_ENDS) {
        s.leftArrow = QRect(2, 2, 14, int(SHEET_TAB_HEIGHT) - 4);
        x += 18;
    }
    if (arrows != ARROWS_NONE) {
        s.rightArrow = QRect(int(clientWidth) - 18, 2, 14, int(SHEET_TAB_HEIGHT) - 4);
        if (rightArrows)
            s.leftArrow = s.rightArrow.translated(-14, 0);
    }
    const long limit = clientWidth - (rightArrows ? 35 : 21);
    bool stopped = false;
    long firstDrawn = 0, lastDrawn = 0;
    for (long i = 1; i <= long(tabs.size()); ++i) {
        const SheetTab& t = tabs[size_t(i - 1)];
        if (!t.visible)
            continue;
        ++s.numVisible;
        if (i < scrollPosition || stopped)
            continue;
        const int left = rightArrows ? x - 1 : x;
        const int right = x + int(t.width) - (rightArrows ? 2 : 0);
        if (right > limit) {
            s.scrolling = true;
            stopped = true;
            continue;
        }
        ++s.numMaxVisible;
        s.tabRects[size_t(i - 1)] = QRect(QPoint(left, 0), QPoint(right - 1, int(SHEET_TAB_HEIGHT) - 1));
        if (!firstDrawn)
            firstDrawn = i;
        lastDrawn = i;
        x += int(t.width);
    }
    if (s.numMaxVisible < s.numVisible)
        s.scrolling = true;

    if (selected >= 1 && selected <= long(tabs.size()) && !s.tabRects[size_t(selected - 1)].isNull()) {
        const QRect r = s.tabRects[size_t(selected - 1)];
        int left = r.left() - 2, right = r.left() + r.width() + 1;
        if (selected == firstDrawn || selected == scrollPosition) {
            s.selectedPart = 6;
            left += 1;
            if (arrows == ARROWS_BOTH_ENDS)
                left += 1;
            if (rightArrows)
                left += 1;
        } else {
            s.selectedPart = 5;
            if (selected == long(tabs.size()))
                right -= 1;
        }
        s.selectedRect = QRect(QPoint(left, 0), QPoint(right - 1, int(SHEET_TAB_HEIGHT) + 2 - 1));
    }
    (void)lastDrawn;

    long firstVisible = 0, lastVisible = 0;
    for (long i = 1; i <= long(tabs.size()); ++i)
        if (tabs[size_t(i - 1)].visible) {
            if (!firstVisible)
                firstVisible = i;
            lastVisible = i;
        }
    s.leftArrowState = hoveredArrow == 1 ? LEFT_HOT : LEFT_NORMAL;
    s.rightArrowState = hoveredArrow == 2 ? RIGHT_HOT : RIGHT_NORMAL;
    if (selected == firstVisible)
        s.leftArrowState = LEFT_DISABLED;
    if (selected == lastVisible)
        s.rightArrowState = RIGHT_DISABLED;
    return s;
}

} // namespace

SheetStrip layoutSheetStrip(const std::vector<SheetTab>& tabs, long clientWidth, long scrollPosition, long selected,
                            int arrows, long hoveredArrow)
{
    const long n = long(tabs.size());
    long pos = std::clamp(scrollPosition, 1L, std::max(n, 1L));
    // A selected tab before the strip brings the strip back to it.
    if (selected >= 1 && selected < pos)
        pos = selected;
    SheetStrip s = layoutOnce(tabs, clientWidth, pos, selected, arrows, hoveredArrow);
    // The selected tab lies beyond the strip: scroll on, at most to the last tab.
    while (selected >= 1 && selected <= n && s.tabRects[size_t(selected - 1)].isNull() && pos < selected) {
        ++pos;
        s = layoutOnce(tabs, clientWidth, pos, selected, arrows, hoveredArrow);
    }
    return s;
}

long radioState(bool checked, bool enabled, bool pressed, bool hovered)
{
    long base = 1;
    if (!enabled)
        base = 4;
    else if (pressed)
        base = 3;
    else if (hovered)
        base = 2;
    return checked ? base + 4 : base;
}

QRect radioCaptionRect(const QRect& outer, bool boxRight)
{
    return boxRight ? outer.adjusted(1, 0, -16, 0) : outer.adjusted(16, 0, 0, 0);
}

QRect radioBoxRect(const QRect& outer, bool boxRight)
{
    if (boxRight)
        return QRect(outer.left() + outer.width() - 16, outer.top(), 16, outer.height());
    return QRect(outer.left(), outer.top(), 14, outer.height());
}

int radioFontWeight(long fontStyle)
{
    if ((fontStyle & 100) == 100)
        return 100;
    if ((fontStyle & 700) == 700)
        return 700;
    return 400;
}

} // namespace pxp
