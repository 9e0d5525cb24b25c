#include "chrome/MenuItemDraw.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>
#include <array>

#include "chrome/GdiClass.h"
#include "chrome/Menus.h"

namespace {

QColor qc(pxp::COLORREF c) { return CFCGDICLASS::toQColor(c); }

void fill(QPainter& p, const QRect& r, pxp::COLORREF c)
{
    if (r.width() > 0 && r.height() > 0)
        p.fillRect(r, qc(c));
}

// Left, right and top edges: the opened bar entry joins the popup below it.
void openEdges(QPainter& p, const QRect& r, pxp::COLORREF c)
{
    fill(p, QRect(r.left(), r.top(), 1, r.height()), c);
    fill(p, QRect(r.right(), r.top(), 1, r.height()), c);
    fill(p, QRect(r.left(), r.top(), r.width(), 1), c);
}

void outline(QPainter& p, const QRect& r, pxp::COLORREF c)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    openEdges(p, r, c);
    fill(p, QRect(r.left(), r.bottom(), r.width(), 1), c);
}

void gradient(QPainter& p, const QRect& r, pxp::COLORREF from, pxp::COLORREF to, bool vertical)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    QLinearGradient g(r.topLeft(), vertical ? QPointF(r.left(), r.bottom() + 1) : QPointF(r.right() + 1, r.top()));
    g.setColorAt(0, qc(from));
    g.setColorAt(1, qc(to));
    p.fillRect(r, g);
}

// A tick for a checked entry without a checked icon, so its state shows.
void drawTick(QPainter& p, const QRect& box, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(colour, 2);
    p.setPen(pen);
    const QPointF a(box.left() + 3.5, box.top() + 8.5), b(box.left() + 6.5, box.top() + 11.5),
        c(box.left() + 12.5, box.top() + 4.5);
    p.drawPolyline(std::array{a, b, c}.data(), 3);
    p.restore();
}

bool menuHasSubmenus(const CFCMENUITEM& item) { return item.MENU && item.MENU->ISSUBMENUSEXISTS(); }

} // namespace

QRect cfcRect(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

CfcItemText splitMenuItemText(const QString& text)
{
    const qsizetype first = text.indexOf(u'\t');
    if (first < 0) {
        QString label = text;
        while (!label.isEmpty() && label.back() == u' ')
            label.chop(1);
        return {label, {}};
    }
    const qsizetype last = text.lastIndexOf(u'\t');
    return {text.left(first), text.mid(last + 1).trimmed().left(19)};
}

void paintFrameOps(QPainter& painter, const std::vector<CfcFrameOp>& ops)
{
    for (const CfcFrameOp& op : ops) {
        switch (op.kind) {
        case CfcFrameOp::Frame:
            outline(painter, op.rect, op.colour);
            break;
        case CfcFrameOp::Fill:
            fill(painter, op.rect, op.colour);
            break;
        case CfcFrameOp::Gradient:
            gradient(painter, op.rect, op.colour, op.colourTo, false);
            break;
        }
    }
}

// ---- base --------------------------------------------------------------------------------

QSize CFCMENUITEMDRAWCLASS::ONMEASUREITEM(CFCMENUITEM& item, const QFont& menuFont)
{
    CfcMeasureRequest r;
    r.separator = item.FLAGSEPARATOR;
    r.topLevel = item.FLAGTOPLEVEL;
    QString text = item.TEXT;
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    const QFontMetrics fm(menuFont);
    // Tabs expand to the next stop of eight average characters, as the label and shortcut show.
    const CfcItemText parts = splitMenuItemText(text);
    int width = fm.horizontalAdvance(QString(parts.label).remove(u'&'));
    if (!parts.shortcut.isEmpty()) {
        const int stop = 8 * fm.averageCharWidth();
        width = (width / stop + 1) * stop + fm.horizontalAdvance(parts.shortcut);
    }
    r.textWidth = width;
    r.menuHasSubmenus = menuHasSubmenus(item);
    r.iconHeight = item.ICONHEIGHT;
    return measure(r);
}

void CFCMENUITEMDRAWCLASS::REMOVEOWNERDRAW(CFCMENUITEM& item) { item.OWNERDRAW = false; }

void CFCMENUITEMDRAWCLASS::UPDATEMENUITEM(CFCMENUITEM& item)
{
    if (!item.FLAGTOPLEVEL && !item.FLAGSEPARATOR)
        item.CALLBACKBITMAP = true;
}

void CFCMENUITEMDRAWCLASS::DRAWMENUBAR1PX(CFCMENUITEM& item)
{
    // The bar paints the line under it in the menu colour whenever it paints.
    if (item.MENU && item.MENU->HMENU() && item.MENU->COMCTRL && item.MENU->COMCTRL->_CFC_SETMENUINFO_) {
        QWidget* bar = item.MENU->HMENU();
        bar->update(0, bar->height() - 1, bar->width(), 1);
    }
}

pxp::COLORREF CFCMENUITEMDRAWCLASS::background(const CFCMENUITEM& item, bool useMenuColour)
{
    if (useMenuColour && item.MENU && item.MENU->BKRCOLOR != 0)
        return item.MENU->BKRCOLOR;
    return systemMenuColour();
}

pxp::COLORREF CFCMENUITEMDRAWCLASS::systemMenuColour()
{
    const pxp::COLORREF bar = pxp::sysColor(pxp::COLOR_MENUBAR);
    return bar ? bar : pxp::sysColor(pxp::COLOR_MENU);
}

// ---- classic ------------------------------------------------------------------------------

QSize CFCMENUITEMDRAWCLASS_STD::iconArea(const CFCMENUITEM& item) const
{
    return QSize(int(MENUITEMTEXTOFFSET), item.ICONHEIGHT);
}

void CFCMENUITEMDRAWCLASS_STD::ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state)
{
    const QImage& icon = (state & (ODS_DISABLED | ODS_GRAYED)) ? item.HICONDISABLED : item.HICON;
    if (!icon.isNull())
        painter.drawImage(QRect(rect.topLeft(), QSize(item.ICONWIDTH, item.ICONHEIGHT)), icon);
}

// ---- flat ---------------------------------------------------------------------------------

CFCMENUITEMDRAWCLASS_XP::CFCMENUITEMDRAWCLASS_XP()
{
    MENUITEMTEXTOFFSET = 4;
    COLOR_ITEMBACKGROUND = 0xFFFFFF;
    COLOR_SELECTEDITEM = 0xDFBFBF;
    COLOR_DISABLEDITEMBACKGROUND = 0xFFFFFF;
    COLOR_ITEMBORDER = 0x800000;
    COLOR_POPUPWINDOWBORDER = 0x7A868A;
    COLOR_SEPARATOR = 0x808080;
    COLOR_SHADOW_1 = 0x919C9E;
    COLOR_SHADOW_2 = 0xB4C2C4;
}

QSize CFCMENUITEMDRAWCLASS_XP::measure(const CfcMeasureRequest& r) const
{
    if (r.separator)
        return QSize(0, 3); // the width is the menu's
    if (r.topLevel)
        return QSize(r.textWidth, 20);
    int width = r.textWidth + int(ICONBARWIDTH + 2 * MENUITEMTEXTOFFSET + 10);
    if (r.menuHasSubmenus)
        width += int(SUBMENUOFFSET);
    return QSize(width, int(ITEMHEIGHT));
}

void CFCMENUITEMDRAWCLASS_XP::SETOWNERDRAW(CFCMENUITEM& item) { item.OWNERDRAW = true; }

void CFCMENUITEMDRAWCLASS_XP::DRAWTOPLEVELITEM(CFCMENUITEM& item)
{
    if (FLAGDONOTDRAWTOPLEVEL || !item.FLAGTOPLEVEL || !item.MENU || !item.MENU->HMENU())
        return;
    item.MENU->HMENU()->update(item.RCITEM.adjusted(0, 0, 2, 0)); // the shadow lies right of it
}

void CFCMENUITEMDRAWCLASS_XP::ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state)
{
    drawFlat(item, painter, rect, state, false);
}

void CFCMENUITEMDRAWCLASS_XP::drawFlat(CFCMENUITEM& item, QPainter& p, const QRect& R, unsigned S, bool withGradient)
{
    if (!withGradient)
        item.RCITEM = R;
    const pxp::COLORREF B = background(item, item.FLAGTOPLEVEL);
    fill(p, R, B);
    if (!item.FLAGTOPLEVEL) {
        if (withGradient)
            drawIconBar(p, QRect(R.left(), R.top(), int(ICONBARWIDTH), R.height()));
        fill(p, cfcRect(R.left() + int(ICONBARWIDTH), R.top(), R.left() + R.width(), R.top() + R.height()),
             COLOR_ITEMBACKGROUND);
    }
    if (item.FLAGSEPARATOR)
        fill(p, cfcRect(R.left() + int(ICONBARWIDTH + MENUITEMTEXTOFFSET), R.top() + 1, R.left() + R.width(),
                        R.top() + R.height() - 1),
             COLOR_SEPARATOR);
    const bool opened = item.FLAGTOPLEVEL && item.FLAGSUBMENUISOPENED;
    if (S & (ODS_SELECTED | ODS_HOTLIGHT)) {
        if (S & ODS_GRAYED)
            fill(p, R, COLOR_DISABLEDITEMBACKGROUND);
        else if (withGradient && item.FLAGTOPLEVEL)
            drawTopLevelFill(p, R, opened);
        else
            fill(p, R, opened ? B : COLOR_SELECTEDITEM);
        if (opened) {
            openEdges(p, R, COLOR_POPUPWINDOWBORDER);
            DRAWSHADOW(R, p);
        } else {
            outline(p, R, COLOR_ITEMBORDER);
        }
    }
    if (item.FLAGSEPARATOR)
        return;
    const bool checked = S & ODS_CHECKED;
    const QImage& icon = (S & ODS_GRAYED) ? (checked ? item.HCHECKEDICONDISABLED : item.HICONDISABLED)
                                          : (checked ? item.HCHECKEDICON : item.HICON);
    const QRect iconBox(R.left() + 2, R.top() + iconOffset(), item.ICONWIDTH, item.ICONHEIGHT);
    if (!icon.isNull())
        p.drawImage(iconBox, icon);
    else if (checked && item.HCHECKEDICON.isNull())
        drawTick(p, QRect(iconBox.topLeft(), QSize(16, 16)), (S & (ODS_DISABLED | ODS_GRAYED)) ? qc(0x808080) : Qt::black);
    p.setPen(qc((S & (ODS_DISABLED | ODS_GRAYED)) ? 0x808080 : 0x000000));
    QRect textRect = R;
    if (!item.FLAGTOPLEVEL)
        textRect.setLeft(R.left() + int(ICONBARWIDTH + MENUITEMTEXTOFFSET));
    DRAWITEMTEXT(item, p, textRect);
}

void CFCMENUITEMDRAWCLASS_XP::DRAWSHADOW(const QRect& R, QPainter& p) const
{
    const int right = R.left() + R.width(), bottom = R.top() + R.height();
    fill(p, cfcRect(right, R.top() + 2, right + 1, bottom), COLOR_SHADOW_1);
    fill(p, cfcRect(right + 1, R.top() + 4, right + 2, bottom), COLOR_SHADOW_2);
}

void CFCMENUITEMDRAWCLASS_XP::DRAWITEMTEXT(const CFCMENUITEM& item, QPainter& p, const QRect& rect) const
{
    if (item.FLAGSEPARATOR)
        return;
    const CfcItemText parts = splitMenuItemText(item.TEXT);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic |
                      (item.FLAGTOPLEVEL ? Qt::AlignHCenter : Qt::AlignLeft);
    p.drawText(rect, flags, parts.label);
    if (parts.shortcut.isEmpty())
        return;
    QRect right = rect;
    right.setRight(rect.right() - int(menuHasSubmenus(item) ? SUBMENUOFFSET : MENUITEMTEXTOFFSET));
    p.drawText(right, Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, parts.shortcut);
}

std::vector<CfcFrameOp> CFCMENUITEMDRAWCLASS_XP::flatFrame(int W, int H) const
{
    const int bar = int(ICONBARWIDTH) + 3;
    const pxp::COLORREF menuBar = systemMenuColour();
    using K = CfcFrameOp;
    return {
        {K::Frame, cfcRect(0, 0, W, H), COLOR_POPUPWINDOWBORDER},
        {K::Frame, cfcRect(1, 1, W - 1, H - 1), COLOR_ITEMBACKGROUND},
        // These and the next three are empty rectangles: they paint nothing.
        {K::Frame, cfcRect(bar, 2, W - 1, 2), COLOR_ITEMBACKGROUND},
        {K::Frame, cfcRect(bar, H - 2, W - 1, H - 2), COLOR_ITEMBACKGROUND},
        {K::Frame, cfcRect(W - 2, 0, W - 2, H - 2), COLOR_ITEMBACKGROUND},
        {K::Frame, cfcRect(2, 1, 2, H - 1), menuBar},
        {K::Frame, cfcRect(1, 2, bar, 2), menuBar},
        {K::Frame, cfcRect(1, H - 2, bar, H - 2), menuBar},
    };
}

// ---- 2003 ---------------------------------------------------------------------------------

CFCMENUITEMDRAWCLASS_2003::CFCMENUITEMDRAWCLASS_2003()
{
    setColours({0xFFFFFF, 0xC2EEFF, 0xFFFFFF, 0x800000, 0x962D00, 0xCB8C6A, 0xA33C02, 0xCB8C6A,
                0xFFEFE3, 0xE4AD87, 0xCCF4FF, 0x9AD6FF, 0xFFEFE3, 0xE4AD87});
}

void CFCMENUITEMDRAWCLASS_2003::setColours(const std::array<pxp::COLORREF, 14>& c)
{
    COLOR_ITEMBACKGROUND = c[0];
    COLOR_SELECTEDITEM = c[1];
    COLOR_DISABLEDITEMBACKGROUND = c[2];
    COLOR_ITEMBORDER = c[3];
    COLOR_POPUPWINDOWBORDER = c[4];
    COLOR_SEPARATOR = c[5];
    COLOR_SHADOW_1 = c[6];
    COLOR_SHADOW_2 = c[7];
    COLOR_ICONBARGRADIENTFROM = c[8];
    COLOR_ICONBARGRADIENTTO = c[9];
    COLOR_TOPLEVELITEMGRADIENTFROM = c[10];
    COLOR_TOPLEVELITEMGRADIENTTO = c[11];
    COLOR_OPENEDTOPLEVELITEMGRADIENTFROM = c[12];
    COLOR_OPENEDTOPLEVELITEMGRADIENTTO = c[13];
}

void CFCMENUITEMDRAWCLASS_2003::ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state)
{
    drawFlat(item, painter, rect, state, false);
    const bool available = !item.MENU || !item.MENU->COMCTRL || item.MENU->COMCTRL->_CFC_GRADIENTFILL_;
    if (gradients && available)
        drawFlat(item, painter, rect, state, true);
}

void CFCMENUITEMDRAWCLASS_2003::drawTopLevelFill(QPainter& p, const QRect& r, bool opened)
{
    if (opened)
        gradient(p, r, COLOR_OPENEDTOPLEVELITEMGRADIENTFROM, COLOR_OPENEDTOPLEVELITEMGRADIENTTO, true);
    else
        gradient(p, r, COLOR_TOPLEVELITEMGRADIENTFROM, COLOR_TOPLEVELITEMGRADIENTTO, true);
}

void CFCMENUITEMDRAWCLASS_2003::drawIconBar(QPainter& p, const QRect& bar)
{
    gradient(p, bar, COLOR_ICONBARGRADIENTFROM, COLOR_ICONBARGRADIENTTO, false);
}

std::vector<CfcFrameOp> CFCMENUITEMDRAWCLASS_2003::flatFrame(int W, int H) const
{
    std::vector<CfcFrameOp> ops = CFCMENUITEMDRAWCLASS_XP::flatFrame(W, H);
    if (!gradients)
        return ops;
    ops.resize(5); // the icon bar's edges come as gradients instead
    const int bar = int(ICONBARWIDTH) + 3;
    using K = CfcFrameOp;
    ops.push_back({K::Gradient, cfcRect(2, 1, bar, 3), COLOR_ICONBARGRADIENTFROM, COLOR_ICONBARGRADIENTTO});
    ops.push_back({K::Gradient, cfcRect(2, H - 3, bar, H - 1), COLOR_ICONBARGRADIENTFROM, COLOR_ICONBARGRADIENTTO});
    ops.push_back({K::Fill, cfcRect(1, 1, 3, H - 1), COLOR_ICONBARGRADIENTFROM});
    return ops;
}

CFCMENUITEMDRAWCLASS_2003_GRAY::CFCMENUITEMDRAWCLASS_2003_GRAY()
{
    setColours({0xFFFFFF, 0xEED2C1, 0xFFFFFF, 0x800000, 0x7A868A, 0x808080, 0x919C9E, 0xB4C2C4,
                0xFBFEFE, 0xACC3C4, 0xEED2C1, 0xEED2C1, 0xF8FBFB, 0xEFF5F7});
}

CFCMENUITEMDRAWCLASS_2003_GREEN::CFCMENUITEMDRAWCLASS_2003_GREEN()
{
    setColours({0xFFFFFF, 0x8DC6B6, 0xFFFFFF, 0x70A093, 0x7A868A, 0x808080, 0x919C9E, 0xB4C2C4,
                0xFBFEFE, 0xACC3C4, 0x8DC6B6, 0x8DC6B6, 0xF8FBFB, 0xEFF5F7});
}

CFCMENUITEMDRAWCLASS_2003_SILVER::CFCMENUITEMDRAWCLASS_2003_SILVER()
{
    setColours({0xFFFAFD, 0xC2EEFF, 0xFFFAFD, 0x6F4B4B, 0x947C7C, 0x8F6D6E, 0x919C9E, 0xB4C2C4,
                0xFDF6F6, 0xB99D9F, 0xCCF4FF, 0x9AD6FF, 0xF1E9E8, 0xCDB9BA});
}
