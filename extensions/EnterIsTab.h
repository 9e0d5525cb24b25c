#pragma once
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <set>
#include <vector>

#include <QLineEdit>

namespace SSTF {

// Enter moves to the next field as Tab does; optionally Esc moves back as Shift+Tab, buttons
// are kept out of the Tab order, or Enter on a button moves on instead of pressing it.
// One object serves one window: the controls that take part are registered one by one.
class ENTERISTABCLASS : public QObject {
    Q_OBJECT
public:
    explicit ENTERISTABCLASS(QObject* parent = nullptr) : QObject(parent) {}

    void INIT(bool active, bool entTabButtons, bool skipButtons, bool escIsShiftTab);
    // Enter on this control moves on (a button: only with ENTTABBUTTONS; SKIPBUTTONS takes it
    // out of the Tab order, still clickable).
    void INITCONTROL(QWidget* control);
    // Esc on every control of `window` moves back, with ESCISSHIFTTAB.
    void INITWINDOW(QWidget* window);
    // Puts `key` on the control's keys; `reg`: the key handler watches the control.
    void ALERTIT(QWidget* control, int key, bool reg);

    bool ACTIVE = false;
    bool ESCISSHIFTTAB = false;
    bool SKIPBUTTONS = false;
    bool ENTTABBUTTONS = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Alerts {
        std::set<int> keys;
        bool watched = false;
    };
    std::map<QObject*, Alerts> m_alerts;
};

// A window's Enter-as-Tab object (owned by the window) for `controls`; Esc moves back only
// with `escBack`, otherwise it keeps its normal action (the window's Cancel).
ENTERISTABCLASS* enterMovesOn(QWidget* window, const std::vector<QWidget*>& controls, bool escBack = false);

// A browse's locator entry: Enter in it takes the typed text at once (the list jumps to it)
// instead of firing the window's default button.
class ENTRYLOCATORCLASS : public QObject {
    Q_OBJECT
public:
    ENTRYLOCATORCLASS(QLineEdit* control, std::function<void(const QString&)> accept, QObject* parent = nullptr);
    QLineEdit* CONTROL() const { return m_control; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLineEdit> m_control;
    std::function<void(const QString&)> m_accept;
};

} // namespace SSTF
