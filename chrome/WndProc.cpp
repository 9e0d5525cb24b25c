#include "chrome/WndProc.h"

#include <QEvent>
#include <QVariant>

QByteArray CFCWNDPROC::slotName(int slot)
{
    QByteArray name("CFCCallBackClassProp");
    if (slot > 0)
        name += QByteArray::number(slot);
    return name;
}

CFCWNDPROC::CFCWNDPROC(QObject* parent) : QObject(parent) {}

CFCWNDPROC::~CFCWNDPROC() { REMOVECALLBACK(); }

bool CFCWNDPROC::SETCALLBACK(QObject* window, long control)
{
    if (!window || WNDHANDLE)
        return false;
    PL.clear();
    for (const QByteArray& name : window->dynamicPropertyNames())
        PL << QString::fromLatin1(name.left(255));
    int slot = 0;
    while (slot < SlotCount && PL.contains(QString::fromLatin1(slotName(slot))))
        ++slot;
    if (slot == SlotCount) {
        // Re-using a slot would put one object twice in the chain; a ninth watcher is refused.
        PL.clear();
        return false;
    }
    PROPNUM = slot;
    WNDHANDLE = window;
    CONTROLFEQ = control;
    window->setProperty(slotName(slot).constData(), QVariant::fromValue(static_cast<QObject*>(this)));
    window->installEventFilter(this);
    return true;
}

void CFCWNDPROC::REMOVECALLBACK()
{
    if (WNDHANDLE) {
        WNDHANDLE->removeEventFilter(this);
        WNDHANDLE->setProperty(slotName(PROPNUM).constData(), QVariant());
    }
    WNDHANDLE = nullptr;
    PROPNUM = -1;
    CONTROLFEQ = 0;
    PL.clear();
}

bool CFCWNDPROC::CALLBACKPROC(QObject*, QEvent*) { return false; }

bool CFCWNDPROC::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != WNDHANDLE)
        return false;
    return CALLBACKPROC(watched, event);
}
