#include "chrome/MenuLookStyle.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include "chrome/Menus.h"

namespace {

QColor qc(pxp::COLORREF c) { return CFCGDICLASS::toQColor(c); }

// The bar adds room around its entries' text as the system does around owner-drawn ones.
constexpr int BarItemPadding = 12;

unsigned stateOf(const QStyleOption& option, const CFCMENUITEM& item)
{
    unsigned s = 0;
    if (option.state & QStyle::State_Selected)
        s |= item.FLAGTOPLEVEL ? ODS_HOTLIGHT : ODS_SELECTED;
    if ((item.STATE & CFCMENUITEM::MFS_DISABLED_GRAYED) || !(option.state & QStyle::State_Enabled))
        s |= ODS_GRAYED | ODS_DISABLED;
    if (item.STATE & CFCMENUITEM::MFS_CHECKED)
        s |= ODS_CHECKED;
    return s;
}

// The bar's own colour when its menu has one, else the system's.
pxp::COLORREF barColour(const QWidget* bar)
{
    const CFCMENUBASE* menu = CFCMENUBASE::fromWidget(bar);
    return menu && menu->BKRCOLOR ? menu->BKRCOLOR : CFCMENUITEMDRAWCLASS::systemMenuColour();
}

} // namespace

MenuLookStyle::MenuLookStyle(CFCMENUITEMDRAWCLASS* painter) : m_painter(painter) {}

bool MenuLookStyle::flat() const { return m_painter && m_painter->panelWidth() >= 0; }

CFCMENUITEM* MenuLookStyle::itemAt(const QWidget* widget, const QRect& rect)
{
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        for (QAction* a : menu->actions())
            if (menu->actionGeometry(a) == rect)
                return CFCMENUITEM::fromAction(a);
    } else if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) {
        for (QAction* a : bar->actions())
            if (bar->actionGeometry(a) == rect)
                return CFCMENUITEM::fromAction(a);
    }
    return nullptr;
}

int MenuLookStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (flat()) {
        switch (metric) {
        case PM_MenuPanelWidth:
            return m_painter->panelWidth();
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuBarPanelWidth:
            return 0;
        case PM_MenuBarItemSpacing:
            return 2; // room for the shadow of an opened entry
        default:
            break;
        }
    }
    if (metric == PM_SmallIconSize && qobject_cast<const QMenu*>(widget))
        return 16;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int MenuLookStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    // A flat menu highlights a disabled entry under the mouse too, in its disabled colours.
    if (flat() && hint == SH_Menu_AllowActiveAndDisabled)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize MenuLookStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const
{
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!flat() || !mi || (type != CT_MenuItem && type != CT_MenuBarItem))
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    CfcMeasureRequest r;
    r.separator = mi->menuItemType == QStyleOptionMenuItem::Separator;
    r.topLevel = type == CT_MenuBarItem;
    const QFontMetrics fm(mi->font);
    const CfcItemText parts = splitMenuItemText(mi->text);
    // The menu adds the widest shortcut itself; the label runs to the next tab stop before it.
    r.textWidth = fm.horizontalAdvance(QString(parts.label).remove(u'&'));
    if (!parts.shortcut.isEmpty()) {
        const int stop = 8 * fm.averageCharWidth();
        r.textWidth = (r.textWidth / stop + 1) * stop;
    }
    if (const auto* menu = qobject_cast<const QMenu*>(widget))
        for (const QAction* a : menu->actions())
            r.menuHasSubmenus = r.menuHasSubmenus || a->menu();
    QSize s = m_painter->measure(r);
    if (!s.isValid())
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (r.separator)
        s.setWidth(1); // an empty size would take no room at all
    if (r.topLevel)
        s.rwidth() += BarItemPadding;
    return s;
}

void MenuLookStyle::paintPanel(QPainter* p, const QRect& rect) const
{
    auto* xp = dynamic_cast<CFCMENUITEMDRAWCLASS_XP*>(m_painter);
    if (!xp)
        return;
    p->fillRect(rect, qc(xp->COLOR_ITEMBACKGROUND));
    const pxp::COLORREF bar = CFCMENUITEMDRAWCLASS::systemMenuColour();
    const int fw = xp->panelWidth();
    p->fillRect(QRect(rect.left(), rect.top(), fw + int(xp->ICONBARWIDTH), rect.height()), qc(bar));
    if (auto* o3 = dynamic_cast<CFCMENUITEMDRAWCLASS_2003*>(xp); o3 && o3->gradients) {
        QLinearGradient g(QPointF(rect.left() + fw, 0), QPointF(rect.left() + fw + o3->ICONBARWIDTH, 0));
        g.setColorAt(0, qc(o3->COLOR_ICONBARGRADIENTFROM));
        g.setColorAt(1, qc(o3->COLOR_ICONBARGRADIENTTO));
        p->fillRect(QRect(rect.left() + fw, rect.top(), int(o3->ICONBARWIDTH), rect.height()), g);
    }
}

void MenuLookStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (flat()) {
        if (element == PE_PanelMenu) {
            paintPanel(painter, option->rect);
            return;
        }
        if (element == PE_FrameMenu) {
            painter->save();
            painter->translate(option->rect.topLeft());
            paintFrameOps(*painter, m_painter->flatFrame(option->rect.width(), option->rect.height()));
            painter->restore();
            return;
        }
        if (element == PE_PanelMenuBar) {
            painter->fillRect(option->rect, qc(barColour(widget)));
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void MenuLookStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (mi && (element == CE_MenuItem || element == CE_MenuBarItem)) {
        CFCMENUITEM* item = itemAt(widget, option->rect);
        if (item && item->DRAWINGCLASS && item->OWNERDRAW) {
            unsigned state = stateOf(*option, *item);
            if (element == CE_MenuBarItem && ((option->state & State_Sunken) || item->FLAGSUBMENUISOPENED))
                state |= ODS_HOTLIGHT; // the entry whose menu is open
            painter->save();
            painter->setFont(mi->font);
            item->ONDRAWITEM(*painter, option->rect, state);
            painter->restore();
            if (element == CE_MenuItem && mi->menuItemType == QStyleOptionMenuItem::SubMenu) {
                QStyleOption arrow(*option);
                arrow.rect = QRect(option->rect.right() - 16, option->rect.top() + (option->rect.height() - 9) / 2, 9, 9);
                arrow.palette.setColor(QPalette::ButtonText, (state & ODS_GRAYED) ? qc(0x808080) : QColor(Qt::black));
                arrow.state &= ~State_Selected;
                QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
            }
            return;
        }
        if (item && element == CE_MenuItem) {
            // The system draws the entry; the item's state and icons are what it shows.
            QStyleOptionMenuItem own(*mi);
            if (item->STATE & CFCMENUITEM::MFS_CHECKED) {
                own.checkType = QStyleOptionMenuItem::NonExclusive;
                own.checked = true;
            }
            QProxyStyle::drawControl(element, &own, painter, widget);
            return;
        }
    }
    if (flat() && element == CE_MenuEmptyArea) {
        paintPanel(painter, option->rect);
        return;
    }
    if (flat() && element == CE_MenuBarEmptyArea) {
        painter->fillRect(option->rect, qc(barColour(widget)));
        // An opened entry's shadow falls beside it, outside the entry itself.
        if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
            for (QAction* a : bar->actions())
                if (CFCMENUITEM* item = CFCMENUITEM::fromAction(a); item && item->FLAGSUBMENUISOPENED)
                    if (auto* xp = dynamic_cast<CFCMENUITEMDRAWCLASS_XP*>(item->DRAWINGCLASS))
                        xp->DRAWSHADOW(bar->actionGeometry(a), *painter);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
