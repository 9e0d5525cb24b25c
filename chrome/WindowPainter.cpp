#include "chrome/WindowPainter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

using namespace pxp;

PXPWINDOWCLASS::PXPWINDOWCLASS(QWidget* window) : QObject(window), m_window(window) {}

long PXPWINDOWCLASS::controlType(const QWidget* control)
{
    // A drop list's or spin box's own entry belongs to that control's painter.
    if (qobject_cast<const QLineEdit*>(control) && !qobject_cast<QComboBox*>(control->parentWidget())
        && !qobject_cast<QAbstractSpinBox*>(control->parentWidget()))
        return 8;
    return 0;
}

void PXPWINDOWCLASS::INIT(PXPGLOBALCLASS& global, bool)
{
    // Every painter draws inside its own control, so the window itself is never taken over
    // beyond its fill.
    m_global = &global;
    if (!m_window)
        return;
    for (QWidget* control : m_window->findChildren<QWidget*>())
        ADDCONTROL(control);
    if (m_setWindowColor) {
        fillWindow();
        m_window->installEventFilter(this);
    }
}

bool PXPWINDOWCLASS::ADDCONTROL(QWidget* control, bool autoCleanup)
{
    if (!m_global || !control || GETCONTROLCLASS(control))
        return false;
    const long type = controlType(control);
    if ((m_excludedTypes.count(type) && !m_included.count(control)) || m_excluded.count(control))
        return false;
    if (type != 8)
        return false;
    auto* painter = new PXPENTRYCLASS(this);
    painter->PGLOBAL = m_global;
    painter->AUTOCLEANUP = autoCleanup;
    if (!painter->INIT(control)) {
        delete painter;
        return false;
    }
    m_painters.append(painter);
    return true;
}

void PXPWINDOWCLASS::REMOVECONTROL(const QWidget* control)
{
    for (qsizetype i = 0; i < m_painters.size(); ++i) {
        if (m_painters[i] && control && m_painters[i]->control() == control) {
            delete m_painters.takeAt(i).data();
            return;
        }
    }
}

PXPCONTROLCLASS* PXPWINDOWCLASS::GETCONTROLCLASS(const QWidget* control) const
{
    for (const QPointer<PXPCONTROLCLASS>& painter : m_painters)
        if (painter && control && painter->control() == control)
            return painter;
    return nullptr;
}

COLORREF PXPWINDOWCLASS::windowColor() const
{
    return m_global ? m_global->GETCOLOR(m_colorStyle == 1 ? 11 : 12) : -1;
}

void PXPWINDOWCLASS::fillWindow()
{
    const COLORREF c = windowColor();
    QPalette palette = m_window->palette();
    palette.setColor(QPalette::Window, QColor(redOf(c), greenOf(c), blueOf(c)));
    m_window->setPalette(palette);
    m_window->setAutoFillBackground(true);
}

bool PXPWINDOWCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::ThemeChange)
        fillWindow();
    return QObject::eventFilter(watched, event);
}
