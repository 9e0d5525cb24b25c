#include "extensions/EnterIsTab.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace SSTF {

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Moves the focus on from `w` as Tab (or Shift+Tab) would in its window.
void moveFocus(QWidget* w, bool next)
{
    QWidget* target = next ? w->nextInFocusChain() : w->previousInFocusChain();
    QWidget* window = w->window();
    // Walk the focus chain as Qt's own Tab handling does: visible, enabled, Tab-focusable.
    for (int guard = 0; target && target != w && guard < 10000; ++guard) {
        if (target->window() == window && target->isVisibleTo(window) && target->isEnabled() &&
            (target->focusPolicy() & Qt::TabFocus) && !target->focusProxy()) {
            target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
        target = next ? target->nextInFocusChain() : target->previousInFocusChain();
    }
}

} // namespace

void ENTERISTABCLASS::INIT(bool active, bool entTabButtons, bool skipButtons, bool escIsShiftTab)
{
    ACTIVE = active;
    ENTTABBUTTONS = entTabButtons;
    SKIPBUTTONS = skipButtons;
    ESCISSHIFTTAB = escIsShiftTab;
}

void ENTERISTABCLASS::ALERTIT(QWidget* control, int key, bool reg)
{
    if (!control)
        return;
    Alerts& a = m_alerts[control];
    a.keys.insert(key);
    if (reg && !a.watched) {
        a.watched = true;
        control->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [this, control] { m_alerts.erase(control); });
    }
}

void ENTERISTABCLASS::INITCONTROL(QWidget* control)
{
    if (!ACTIVE || !control)
        return;
    if (!qobject_cast<QAbstractButton*>(control)) {
        ALERTIT(control, Qt::Key_Return, true);
        return;
    }
    if (ENTTABBUTTONS)
        ALERTIT(control, Qt::Key_Return, true);
    if (SKIPBUTTONS)
        control->setFocusPolicy(Qt::ClickFocus);
}

void ENTERISTABCLASS::INITWINDOW(QWidget* window)
{
    if (!ACTIVE || !ESCISSHIFTTAB || !window)
        return;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) && !m_alerts.count(control))
            continue;
        const auto it = m_alerts.find(control);
        const bool hasEnter = it != m_alerts.end() && it->second.keys.count(Qt::Key_Return);
        ALERTIT(control, Qt::Key_Escape, !hasEnter);
    }
}

bool ENTERISTABCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto it = m_alerts.find(watched);
    auto* w = qobject_cast<QWidget*>(watched);
    if (!ACTIVE || it == m_alerts.end() || !w)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    const bool enter = isEnter(key->key()) && it->second.keys.count(Qt::Key_Return);
    const bool esc = key->key() == Qt::Key_Escape && ESCISSHIFTTAB && it->second.keys.count(Qt::Key_Escape);
    if (!enter && !esc)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept(); // the key comes to the control, not to a shortcut of the window
        return true;
    }
    moveFocus(w, enter);
    return true;
}

ENTERISTABCLASS* enterMovesOn(QWidget* window, const std::vector<QWidget*>& controls, bool escBack)
{
    auto* keys = new ENTERISTABCLASS(window);
    keys->INIT(true, false, false, escBack);
    for (QWidget* c : controls)
        keys->INITCONTROL(c);
    keys->INITWINDOW(window);
    return keys;
}

ENTRYLOCATORCLASS::ENTRYLOCATORCLASS(QLineEdit* control, std::function<void(const QString&)> accept, QObject* parent)
    : QObject(parent), m_control(control), m_accept(std::move(accept))
{
    if (control)
        control->installEventFilter(this);
}

bool ENTRYLOCATORCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control && event->type() == QEvent::KeyPress &&
        isEnter(static_cast<QKeyEvent*>(event)->key())) {
        if (m_accept)
            m_accept(m_control->text());
        return true; // the window's default button does not fire
    }
    return QObject::eventFilter(watched, event);
}

} // namespace SSTF
