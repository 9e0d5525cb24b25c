#include "extensions/LimitStarts.h"

#include <QMetaObject>

namespace SSTF {

bool LIMITSTARTSCLASS::CHECKIN(QWidget* window)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    if (m_running && m_running != window) {
        // The running window lives on its own thread: it is brought forward there.
        QWidget* running = m_running;
        QMetaObject::invokeMethod(running, [running] {
            if (running->isMinimized())
                running->showNormal();
            running->raise();
            running->activateWindow();
        });
        return false;
    }
    m_running = window;
    return true;
}

void LIMITSTARTSCLASS::CHECKOUT(QWidget* window)
{
    ST::CRITICALPROCEDURE held(&SYNC);
    if (m_running == window)
        m_running = nullptr;
}

QWidget* LIMITSTARTSCLASS::running()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    return m_running;
}

} // namespace SSTF
