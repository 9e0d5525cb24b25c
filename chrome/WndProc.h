#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QEvent;

// The base of every chrome object that watches the events of a widget it does not own (the
// menu manager, tooltips, toolbars). SETCALLBACK installs the object as an event filter on
// the widget and takes one of eight named slots on it; CALLBACKPROC sees each event before
// the widget and before any watcher installed earlier, and answers true to swallow it.
class CFCWNDPROC : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 8;
    // "CFCCallBackClassProp" for slot 0, "CFCCallBackClassProp1".."7" for the others.
    static QByteArray slotName(int slot);

    explicit CFCWNDPROC(QObject* parent = nullptr);
    ~CFCWNDPROC() override;

    // Watches `window`; `control` is the control number it stands for (0: none). Answers false
    // (and leaves the widget alone) when all eight slots are taken or the object already
    // watches a widget.
    bool SETCALLBACK(QObject* window, long control = 0);
    // Stops watching and frees the slot; watchers installed later keep working.
    void REMOVECALLBACK();

    int PROPNUM = -1;
    QPointer<QObject> WNDHANDLE;
    long CONTROLFEQ = 0;
    QStringList PL; // the slot names the widget carried when this object was installed

protected:
    // Answer true to keep the event from the widget and the earlier watchers.
    virtual bool CALLBACKPROC(QObject* window, QEvent* event);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
