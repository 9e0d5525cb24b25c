#pragma once
#include "extensions/CriticalSection.h"

#include <QPointer>
#include <QWidget>

namespace SSTF {

// Lets a window run only once at a time: a second start brings the running one forward.
// Any thread may check in; the test and the change of the running window are one hold.
class LIMITSTARTSCLASS {
public:
    // True when no window is checked in; otherwise the running one is raised.
    bool CHECKIN(QWidget* window);
    void CHECKOUT(QWidget* window);
    QWidget* running();

private:
    ST::CRITICALSECTION SYNC;
    QPointer<QWidget> m_running;
};

} // namespace SSTF
