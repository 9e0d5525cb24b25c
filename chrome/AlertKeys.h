#pragma once
#include <QObject>
#include <QPointer>
#include <Qt>

#include <cstdint>
#include <set>
#include <vector>

// Key codes as windows and their handlers see them: the virtual key (letters 65..90, digits
// 48..57, keypad plus 107 and minus 109, F1 112 ...) plus 0x100 for Shift, 0x200 for Ctrl and
// 0x400 for Alt. 0 for a key that has no code.
namespace cfckeys {
inline constexpr int32_t ShiftBit = 0x100;
inline constexpr int32_t CtrlBit = 0x200;
inline constexpr int32_t AltBit = 0x400;
// The alert-key event a window receives for an alerted key.
inline constexpr int AlertKeyEvent = 15;
int32_t keyCode(int qtKey, Qt::KeyboardModifiers modifiers);
} // namespace cfckeys

// A set of key codes a window alerts: pressing one of them in the window is handed to
// PROCESSALERTKEYS instead of the focused control.
class CFCALERTKEYSCLASS {
public:
    CFCALERTKEYSCLASS() = default;
    CFCALERTKEYSCLASS(const CFCALERTKEYSCLASS&) = delete;
    CFCALERTKEYSCLASS& operator=(const CFCALERTKEYSCLASS&) = delete;
    virtual ~CFCALERTKEYSCLASS();
    void ADDKEY(int32_t key) { m_keys.insert(key); }
    void DELETEKEY(int32_t key) { m_keys.erase(key); }
    bool ISKEYEXISTS(int32_t key) const { return m_keys.count(key) != 0; }
    const std::set<int32_t>& keys() const { return m_keys; }
    // Alerts every key of the set on `window`, a window or one control; keys pressed in it
    // while it has the focus reach PROCESSALERTKEYS instead of it.
    void SETKEYS(QObject* window);
    // The window or control the alert key being processed was pressed in.
    QObject* ALERTCONTROL() const { return m_control; }
    // An alert key pressed in `control`.
    void TAKEALERT(QObject* control, int32_t key);
    // An event the window received: an alert-key event for a key of the set is processed.
    void TRANSLATEALERT(int event, int32_t key);
    virtual void PROCESSALERTKEYS(int32_t key) { (void)key; }

private:
    std::set<int32_t> m_keys;
    std::vector<QPointer<QObject>> m_filters; // removed with the set
    QPointer<QObject> m_control;
};

// Attaches a key set to a window: the window's keys of the set reach the set's handler.
class CFCALERTKEYSWINDOWCLASS : public QObject {
public:
    // `set` may be null (nothing is alerted); it must outlive this object or be detached.
    void INIT(CFCALERTKEYSCLASS* set, QObject* window = nullptr);
    void TRANSLATEALERT(int event, int32_t key);
    CFCALERTKEYSCLASS* set() const { return m_set; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CFCALERTKEYSCLASS* m_set = nullptr;
    QPointer<QObject> m_window;
};
