#include "chrome/AlertKeys.h"

#include <QKeyEvent>

namespace cfckeys {

int32_t keyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    int32_t code = 0;
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        code = qtKey; // Qt's letters are the upper-case codes
    else if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        code = keypad ? 96 + (qtKey - Qt::Key_0) : qtKey;
    else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        code = 112 + (qtKey - Qt::Key_F1);
    else {
        switch (qtKey) {
        case Qt::Key_Plus: code = keypad ? 107 : 187; break;
        case Qt::Key_Minus: code = keypad ? 109 : 189; break;
        case Qt::Key_Asterisk: code = keypad ? 106 : 0; break;
        case Qt::Key_Slash: code = keypad ? 111 : 191; break;
        case Qt::Key_Backspace: code = 8; break;
        case Qt::Key_Tab: code = 9; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: code = 13; break;
        case Qt::Key_Escape: code = 27; break;
        case Qt::Key_Space: code = 32; break;
        case Qt::Key_PageUp: code = 33; break;
        case Qt::Key_PageDown: code = 34; break;
        case Qt::Key_End: code = 35; break;
        case Qt::Key_Home: code = 36; break;
        case Qt::Key_Left: code = 37; break;
        case Qt::Key_Up: code = 38; break;
        case Qt::Key_Right: code = 39; break;
        case Qt::Key_Down: code = 40; break;
        case Qt::Key_Insert: code = 45; break;
        case Qt::Key_Delete: code = 46; break;
        default: return 0;
        }
    }
    if (code == 0)
        return 0;
    // A shifted plus or minus is the key itself on keyboards that need Shift to reach it.
    if ((modifiers & Qt::ShiftModifier) && code != 107 && code != 109 && code != 187)
        code |= ShiftBit;
    if (modifiers & Qt::ControlModifier)
        code |= CtrlBit;
    if (modifiers & Qt::AltModifier)
        code |= AltBit;
    return code;
}

} // namespace cfckeys

namespace {
// The key code of a key press (or its shortcut override) in a window when the set alerts it;
// 0 otherwise.
int32_t alertedKey(const CFCALERTKEYSCLASS& set, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return 0;
    auto* key = static_cast<QKeyEvent*>(event);
    const int32_t code = cfckeys::keyCode(key->key(), key->modifiers());
    return code != 0 && set.ISKEYEXISTS(code) ? code : 0;
}

// Takes an alerted key from a window: its shortcut override is accepted, so the key stays
// the window's rather than a shortcut's, and the press is handed to `translate`.
template <typename Translate>
bool takeAlertedKey(const CFCALERTKEYSCLASS& set, QEvent* event, Translate translate)
{
    const int32_t code = alertedKey(set, event);
    if (code == 0)
        return false;
    if (event->type() == QEvent::ShortcutOverride)
        event->accept();
    else
        translate(code);
    return true;
}

// Hands the alerted keys pressed in a window to a key set.
class AlertFilter : public QObject {
public:
    AlertFilter(CFCALERTKEYSCLASS& set, QObject* window) : QObject(window), m_set(set) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return takeAlertedKey(m_set, event, [&](int32_t code) { m_set.TAKEALERT(watched, code); });
    }

private:
    CFCALERTKEYSCLASS& m_set;
};
} // namespace

CFCALERTKEYSCLASS::~CFCALERTKEYSCLASS()
{
    for (const QPointer<QObject>& filter : m_filters)
        delete filter.data();
}

void CFCALERTKEYSCLASS::SETKEYS(QObject* window)
{
    if (!window)
        return;
    auto* filter = new AlertFilter(*this, window);
    window->installEventFilter(filter);
    m_filters.emplace_back(filter);
}

void CFCALERTKEYSCLASS::TAKEALERT(QObject* control, int32_t key)
{
    m_control = control;
    TRANSLATEALERT(cfckeys::AlertKeyEvent, key);
    m_control = nullptr;
}

void CFCALERTKEYSCLASS::TRANSLATEALERT(int event, int32_t key)
{
    if (event == cfckeys::AlertKeyEvent && ISKEYEXISTS(key))
        PROCESSALERTKEYS(key);
}

void CFCALERTKEYSWINDOWCLASS::INIT(CFCALERTKEYSCLASS* set, QObject* window)
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_set = set;
    m_window = window;
    if (m_set && m_window)
        m_window->installEventFilter(this);
}

void CFCALERTKEYSWINDOWCLASS::TRANSLATEALERT(int event, int32_t key)
{
    if (m_set)
        m_set->TRANSLATEALERT(event, key);
}

bool CFCALERTKEYSWINDOWCLASS::eventFilter(QObject* watched, QEvent* event)
{
    if (m_set && takeAlertedKey(*m_set, event, [&](int32_t code) { m_set->TAKEALERT(watched, code); }))
        return true;
    return QObject::eventFilter(watched, event);
}
