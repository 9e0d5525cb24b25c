#include "chrome/ControlPainter.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace pxp {

XpThemeStyle::XpThemeStyle(PXPCONTROLCLASS* painter) : m_painter(painter) {}

bool XpThemeStyle::serves(const QWidget* widget) const { return widget && m_painter && m_painter->serves(widget); }

void XpThemeStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                 const QWidget* widget) const
{
    if (serves(widget) && m_painter->stylePrimitive(element, option, p, widget, baseStyle()))
        return;
    QProxyStyle::drawPrimitive(element, option, p, widget);
}

void XpThemeStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                               const QWidget* widget) const
{
    if (serves(widget) && m_painter->styleControl(element, option, p, widget, baseStyle()))
        return;
    QProxyStyle::drawControl(element, option, p, widget);
}

void XpThemeStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* p,
                                      const QWidget* widget) const
{
    if (serves(widget) && m_painter->styleComplex(control, option, p, widget, baseStyle()))
        return;
    QProxyStyle::drawComplexControl(control, option, p, widget);
}

QRect XpThemeStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sc,
                                   const QWidget* widget) const
{
    if (serves(widget)) {
        const QRect r = m_painter->styleSubControlRect(control, option, sc, widget);
        if (r.isValid())
            return r;
    }
    return QProxyStyle::subControlRect(control, option, sc, widget);
}

QStyle::SubControl XpThemeStyle::hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                                       const QPoint& pos, const QWidget* widget) const
{
    // Hit tests follow the painter's own geometry.
    if (serves(widget)) {
        for (SubControl sc : {SC_SpinBoxUp, SC_SpinBoxDown, SC_ComboBoxArrow}) {
            const QRect r = m_painter->styleSubControlRect(control, option, sc, widget);
            if (r.isValid() && r.contains(pos))
                return sc;
        }
    }
    return QProxyStyle::hitTestComplexControl(control, option, pos, widget);
}

QRect XpThemeStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const
{
    if (serves(widget)) {
        const QRect r = m_painter->styleSubElementRect(element, option, widget);
        if (r.isValid())
            return r;
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QSize XpThemeStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const
{
    // The painter adjusts the size the control's own style gives.
    const QSize own = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (serves(widget)) {
        const QSize s = m_painter->styleSizeFromContents(type, option, own, widget);
        if (s.isValid())
            return s;
    }
    return own;
}

} // namespace pxp

using namespace pxp;

namespace {
const char* const kPainterProperty = "PXPControlClassAddr";
}

PXPCONTROLCLASS::PXPCONTROLCLASS(QObject* parent) : QObject(parent) {}

PXPCONTROLCLASS::~PXPCONTROLCLASS() { PXPCONTROLCLASS::KILL(); }

bool PXPCONTROLCLASS::INIT(QWidget* control, const QString& classList)
{
    QString list = classList;
    while (list.endsWith(u' '))
        list.chop(1);
    // One painter per control: a second would stack its style on the first one's.
    if (!control || !PGLOBAL || !PGLOBAL->HASLIB() || list.isEmpty() || m_control
        || control->property(kPainterProperty).isValid())
        return false;
    m_theme = PGLOBAL->OPENTHEME(control, list);
    if (!m_theme)
        return false;
    m_classList = list;
    m_control = control;
    m_state = 1;
    UPDATESTATES();
    m_ownStyle = control->testAttribute(Qt::WA_SetStyle) ? control->style() : nullptr;
    // The style lives with the control: a style sheet set on it later wraps this style.
    m_style = new XpThemeStyle(this);
    m_style->setParent(control);
    m_setHover = !control->testAttribute(Qt::WA_Hover);
    control->setAttribute(Qt::WA_Hover);
    control->setStyle(m_style);
    control->setProperty(kPainterProperty, QVariant::fromValue<QObject*>(this));
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this] {
        // The control's own destruction goes on regardless; the painter only lets go.
        KILL();
        if (AUTOCLEANUP)
            deleteLater();
    });
    return true;
}

bool PXPCONTROLCLASS::serves(const QWidget* widget) const
{
    if (widget && widget == m_control)
        return true;
    for (const Adopted& a : m_adopted)
        if (a.widget == widget)
            return widget != nullptr;
    return false;
}

void PXPCONTROLCLASS::adopt(QWidget* widget)
{
    if (!widget || !m_style || serves(widget))
        return;
    m_adopted.append({widget, widget->testAttribute(Qt::WA_SetStyle) ? widget->style() : nullptr});
    widget->setStyle(m_style);
}

HTHEME PXPCONTROLCLASS::openExtraTheme(const QString& classList)
{
    if (!PGLOBAL)
        return 0;
    const pxp::HTHEME theme = PGLOBAL->OPENTHEME(m_control, classList);
    if (theme)
        m_extraThemes.append({theme, classList});
    return theme;
}

bool PXPCONTROLCLASS::drawPart(pxp::HTHEME theme, QPainter& painter, long part, long state, const QRect& rect) const
{
    return theme && PGLOBAL && PGLOBAL->DRAWTHEMECONTROL(theme, painter, part, state, rect) == THEME_OK;
}

bool PXPCONTROLCLASS::stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                     const QWidget* widget, const QStyle*)
{
    if (widget != m_control)
        return false;
    const bool lineEdit = qobject_cast<const QLineEdit*>(widget);
    if (lineEdit && (element == QStyle::PE_PanelLineEdit || element == QStyle::PE_FrameLineEdit)) {
        if (element == QStyle::PE_PanelLineEdit)
            p->fillRect(option->rect.adjusted(1, 1, -1, -1), option->palette.brush(QPalette::Base));
        ControlFlags flags;
        flags.enabled = option->state & QStyle::State_Enabled;
        flags.readOnly = option->state & QStyle::State_ReadOnly;
        flags.hovered = option->state & QStyle::State_MouseOver;
        flags.focused = option->state & QStyle::State_HasFocus;
        drawFrame(*p, option->rect, flags);
        return true;
    }
    if (!lineEdit && element == QStyle::PE_Frame) {
        // Boxes and lists: the frame of the whole control, scroll bars inside it.
        UPDATESTATES();
        ControlFlags flags = m_flags;
        flags.enabled = option->state & QStyle::State_Enabled;
        flags.hovered = option->state & QStyle::State_MouseOver;
        drawFrame(*p, option->rect, flags);
        return true;
    }
    return false;
}

bool PXPCONTROLCLASS::wearsStyle(const QWidget* widget) const
{
    // Ours, or a style sheet's style wrapped round ours.
    return widget->style() == m_style.data() || (widget->testAttribute(Qt::WA_SetStyle) && widget->style()->inherits("QStyleSheetStyle"));
}

void PXPCONTROLCLASS::KILL()
{
    for (const Adopted& a : std::as_const(m_adopted))
        if (QWidget* w = a.widget.data(); w && wearsStyle(w)) {
            w->setStyle(a.ownStyle);
            w->update();
        }
    m_adopted.clear();
    for (const ExtraTheme& extra : std::as_const(m_extraThemes))
        if (PGLOBAL)
            PGLOBAL->CLOSETHEME(extra.theme);
    m_extraThemes.clear();
    if (QWidget* control = m_control.data()) {
        control->removeEventFilter(this);
        disconnect(control, nullptr, this, nullptr);
        control->setProperty(kPainterProperty, QVariant());
        if (wearsStyle(control))
            control->setStyle(m_ownStyle);
        if (m_setHover)
            control->setAttribute(Qt::WA_Hover, false);
        control->update();
    }
    m_control = nullptr;
    if (m_theme && PGLOBAL)
        PGLOBAL->CLOSETHEME(m_theme);
    m_theme = 0;
    if (m_style)
        m_style->deleteLater();
    m_style = nullptr;
}

bool PXPCONTROLCLASS::UPDATESTATES()
{
    QWidget* control = m_control.data();
    if (!control)
        return false;
    m_flags.enabled = control->isEnabled();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        m_flags.readOnly = edit->isReadOnly();
    else if (const auto* text = qobject_cast<const QTextEdit*>(control))
        m_flags.readOnly = text->isReadOnly();
    else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        m_flags.readOnly = plain->isReadOnly();
    else
        m_flags.readOnly = false;
    m_flags.hovered = control->underMouse();
    m_flags.focused = control->hasFocus();
    return true;
}

void PXPCONTROLCLASS::REFRESH()
{
    if (m_control)
        m_control->update();
}

void PXPCONTROLCLASS::RELOADTHEME()
{
    if (!m_control || !PGLOBAL)
        return;
    if (m_theme)
        PGLOBAL->CLOSETHEME(m_theme);
    m_theme = PGLOBAL->OPENTHEME(m_control, m_classList);
    for (ExtraTheme& extra : m_extraThemes) {
        PGLOBAL->CLOSETHEME(extra.theme);
        extra.theme = PGLOBAL->OPENTHEME(m_control, extra.classList);
    }
    REFRESH();
}

void PXPCONTROLCLASS::drawFrame(QPainter& painter, const QRect& rect, const ControlFlags& flags)
{
    m_flags = flags;
    m_state = stateFor(flags);
    if (!m_theme || !PGLOBAL || rect.width() < 2 || rect.height() < 2)
        return;
    painter.save();
    painter.setClipRegion(QRegion(rect).subtracted(QRegion(rect.adjusted(1, 1, -1, -1))),
                          Qt::IntersectClip);
    PGLOBAL->DRAWTHEMECONTROL(m_theme, painter, framePart(), m_state, rect);
    painter.restore();
}

bool PXPCONTROLCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control && event->type() == QEvent::ThemeChange)
        RELOADTHEME();
    return QObject::eventFilter(watched, event);
}

bool PXPBOXCLASS::INIT(QWidget* control)
{
    ISTEXT = qobject_cast<QTextEdit*>(control) || qobject_cast<QPlainTextEdit*>(control);
    return PXPCONTROLCLASS::INIT(control, QStringLiteral("Edit"));
}
