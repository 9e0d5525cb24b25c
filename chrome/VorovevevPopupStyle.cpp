#include "chrome/VorovevevPopupStyle.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace ptb {

namespace {

class LookMeasurer : public Measurer {
public:
    explicit LookMeasurer(const QFont& f) : m_metrics(f) {}
    int textWidth(const QString& text, bool) const override { return m_metrics.horizontalAdvance(text); }
    int textWidthIn(const QFont& f, const QString& text) const override
    {
        return QFontMetrics(f).horizontalAdvance(text);
    }
    int textHeight() const override { return m_metrics.height(); }

private:
    QFontMetrics m_metrics;
};

bool has(COLORREF c) { return c != NoColour; }

void fill(QPainter* p, const QRect& r, COLORREF c)
{
    if (has(c))
        p->fillRect(r, toQColor(c));
}

void frame(QPainter* p, const QRect& r, COLORREF c)
{
    if (!has(c))
        return;
    p->setPen(toQColor(c));
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(0, 0, -1, -1));
}

void hline(QPainter* p, int x1, int x2, int y, COLORREF c)
{
    if (has(c))
        p->fillRect(QRect(QPoint(x1, y), QPoint(x2, y)), toQColor(c));
}

constexpr int FrameWidth = 3; // the band around the entries

} // namespace

PopupStyle::PopupStyle(PopupLook look) : m_look(std::move(look)) {}

long PopupStyle::hotKeyX(const QMenu& menu) const
{
    QStringList texts;
    for (const QAction* a : menu.actions()) {
        QString t = a->text();
        if (!t.contains(u'\t') && !a->shortcut().isEmpty())
            t += u'\t' + a->shortcut().toString(QKeySequence::NativeText);
        texts << t;
    }
    return menuHotKeyX(texts, LookMeasurer(m_look.font));
}

int PopupStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth: return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin: return FrameWidth - 1;
    case PM_SmallIconSize: return 16;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int PopupStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    // Greyed entries can be reached by key, where they show a frame.
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QSize PopupStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const
{
    const auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !o)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const bool separator = o->menuItemType == QStyleOptionMenuItem::Separator;
    const auto [caption, shortcut] = splitMenuText(o->text);
    // The menu adds the widest shortcut itself; the entry gives the rest.
    QString text = caption;
    if (!shortcut.isEmpty())
        text += u'\t';
    MenuItemSize s = measureMenuItem(separator, text, m_look.menuStyle, m_look.menuHeight, LookMeasurer(m_look.font));
    if (o->menuItemType == QStyleOptionMenuItem::SubMenu)
        s.width += 12;
    return {s.width, s.height};
}

void PopupStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                               const QWidget* widget) const
{
    if (element != PE_PanelMenu && element != PE_FrameMenu)
        return QProxyStyle::drawPrimitive(element, option, p, widget);
    const QRect r = option->rect;
    const MenuFrameLook f = menuFrame(m_look.menuStyle, m_look.colors);
    p->save();
    if (element == PE_PanelMenu)
        fill(p, r, f.band);
    if (has(f.outer)) {
        frame(p, r, f.outer);
    } else {
        // Black outside on the right and bottom, a light line inside left and top, a dark one
        // inside right and bottom.
        hline(p, r.left(), r.right(), r.bottom(), f.shadow);
        fill(p, QRect(QPoint(r.right(), r.top()), QPoint(r.right(), r.bottom())), f.shadow);
        hline(p, r.left() + 1, r.right() - 1, r.top() + 1, f.light);
        fill(p, QRect(QPoint(r.left() + 1, r.top() + 1), QPoint(r.left() + 1, r.bottom() - 1)), f.light);
        hline(p, r.left() + 1, r.right() - 1, r.bottom() - 1, f.dark);
        fill(p, QRect(QPoint(r.right() - 1, r.top() + 1), QPoint(r.right() - 1, r.bottom() - 1)), f.dark);
    }
    p->restore();
}

void PopupStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                             const QWidget* widget) const
{
    if (element == CE_MenuEmptyArea || element == CE_MenuTearoff || element == CE_MenuScroller) {
        fill(p, option->rect, menuFrame(m_look.menuStyle, m_look.colors).band);
        return;
    }
    const auto* o = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !o)
        return QProxyStyle::drawControl(element, option, p, widget);
    p->save();
    drawItem(*o, p, widget);
    p->restore();
}

void PopupStyle::drawItem(const QStyleOptionMenuItem& o, QPainter* p, const QWidget* widget) const
{
    const int style = m_look.menuStyle;
    const ColorTable& colors = m_look.colors;
    const QRect r = o.rect;
    const MenuColourIndices idx = menuColourIndices(style);
    fill(p, r, colors[size_t(idx.back)]);
    const MenuIconColumn column = menuIconColumn(style, colors);
    if (column.width > 0) {
        const QRect c(r.left(), r.top(), column.width, r.height());
        if (column.start == column.end) {
            fill(p, c, column.start);
        } else {
            QLinearGradient g(c.topLeft(), c.topRight());
            g.setColorAt(0, toQColor(column.start));
            g.setColorAt(1, toQColor(column.end));
            p->fillRect(c, g);
        }
    }
    if (o.menuItemType == QStyleOptionMenuItem::Separator) {
        const MenuSeparatorLook s = menuSeparator(style, colors);
        hline(p, r.left() + s.indent, r.right(), r.top() + 2, s.first);
        hline(p, r.left() + s.indent, r.right(), r.top() + 3, s.second);
        return;
    }
    const bool greyed = !(o.state & State_Enabled);
    if (o.state & State_Selected) {
        const auto mode = m_look.keyboard.lock();
        const bool keys = mode && mode->keyboardActive();
        const MenuSelection sel = menuSelection(style, greyed, keys, colors);
        fill(p, r, sel.fill);
        frame(p, r, sel.frame);
    }
    const COLORREF textColour = menuTextColour(style, greyed, colors);
    if (o.checkType != QStyleOptionMenuItem::NotCheckable && o.checked) {
        const QRect box(QPoint(r.left() + 1, r.top() + 1), QPoint(r.left() + 19, r.bottom() - 2));
        const MenuCheckBox b = menuCheckBox(style, colors);
        fill(p, box, b.fill);
        frame(p, box, b.frame);
        p->setFont(m_look.checkFont);
        p->setPen(toQColor(textColour));
        p->drawText(box, Qt::AlignCenter, QStringLiteral("a"));
    } else if (!o.icon.isNull()) {
        const QPixmap pm = o.icon.pixmap(QSize(16, 16), widget ? widget->devicePixelRatioF() : 1.0,
                                         greyed ? QIcon::Disabled : QIcon::Normal);
        if (greyed)
            p->drawImage(QPoint(r.left() + 2, r.top() + 2), CREATEDISABLEDICON(pm.toImage()));
        else
            p->drawPixmap(QPoint(r.left() + 2, r.top() + 2), pm);
    }
    const auto [caption, shortcut] = splitMenuText(o.text);
    const QRect text(QPoint(r.left() + menuTextLeft(style), r.top()), QPoint(r.right() + 2, r.bottom()));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const long hotKeyColumn = menu ? hotKeyX(*menu) : 0;
    auto drawTexts = [&](const QPoint& offset, COLORREF colour) {
        p->setFont(m_look.font);
        p->setPen(toQColor(colour));
        p->drawText(text.translated(offset), flags, caption);
        if (!shortcut.isEmpty()) {
            const QRect keys(QPoint(int(r.right() - hotKeyColumn), r.top()), text.bottomRight());
            p->drawText(keys.translated(offset), flags, shortcut);
        }
    };
    if (const COLORREF emboss = menuEmbossColour(style, greyed, colors); has(emboss))
        drawTexts({1, 1}, emboss);
    drawTexts({0, 0}, textColour);
    if (o.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QFont arrow = m_look.checkFont;
        arrow.setPixelSize(std::max(1, r.height() - 8));
        p->setFont(arrow);
        p->setPen(toQColor(textColour));
        p->drawText(QRect(r.right() - 14, r.top(), 12, r.height()), Qt::AlignCenter, QStringLiteral("4"));
    }
}

PopupStyleScope::PopupStyleScope(QMenu& menu, PopupLook look) : m_style(std::make_unique<PopupStyle>(std::move(look)))
{
    apply(menu, 0);
}

void PopupStyleScope::apply(QMenu& menu, int depth)
{
    if (depth > 32)
        return; // a menu that holds itself
    for (const Earlier& e : m_earlier)
        if (e.menu == &menu)
            return;
    m_earlier.push_back({&menu, menu.testAttribute(Qt::WA_SetStyle) ? menu.style() : nullptr});
    menu.setStyle(m_style.get());
    for (QAction* a : menu.actions())
        if (QMenu* sub = a->menu())
            apply(*sub, depth + 1);
}

PopupStyleScope::~PopupStyleScope()
{
    for (auto it = m_earlier.rbegin(); it != m_earlier.rend(); ++it)
        if (it->menu && it->menu->style() == m_style.get())
            it->menu->setStyle(it->style);
}

} // namespace ptb
