#include "chrome/ControlPainter.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace pxp {

// The style a painted control gets: its panel keeps the control's own fill and the painter
// draws the frame over the outermost pixel ring.
class XpThemeStyle : public QProxyStyle {
public:
    explicit XpThemeStyle(PXPCONTROLCLASS* painter) : m_painter(painter) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                       const QWidget* widget) const override
    {
        if (widget == m_painter->control() && widget
            && (element == PE_PanelLineEdit || element == PE_FrameLineEdit)) {
            if (element == PE_PanelLineEdit)
                p->fillRect(option->rect.adjusted(1, 1, -1, -1), option->palette.brush(QPalette::Base));
            ControlFlags flags;
            flags.enabled = option->state & State_Enabled;
            flags.readOnly = option->state & State_ReadOnly;
            flags.hovered = option->state & State_MouseOver;
            flags.focused = option->state & State_HasFocus;
            m_painter->drawFrame(*p, option->rect, flags);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, p, widget);
    }

private:
    PXPCONTROLCLASS* m_painter;
};

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
    m_style = new XpThemeStyle(this);
    m_style->setParent(this);
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

void PXPCONTROLCLASS::KILL()
{
    if (QWidget* control = m_control.data()) {
        control->removeEventFilter(this);
        disconnect(control, nullptr, this, nullptr);
        control->setProperty(kPainterProperty, QVariant());
        if (control->style() == m_style)
            control->setStyle(m_ownStyle);
        if (m_setHover)
            control->setAttribute(Qt::WA_Hover, false);
        control->update();
    }
    m_control = nullptr;
    if (m_theme && PGLOBAL)
        PGLOBAL->CLOSETHEME(m_theme);
    m_theme = 0;
    delete m_style;
    m_style = nullptr;
}

bool PXPCONTROLCLASS::UPDATESTATES()
{
    QWidget* control = m_control.data();
    if (!control)
        return false;
    m_flags.enabled = control->isEnabled();
    const auto* edit = qobject_cast<const QLineEdit*>(control);
    m_flags.readOnly = edit && edit->isReadOnly();
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
