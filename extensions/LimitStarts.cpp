#include "extensions/LimitStarts.h"

namespace SSTF {

bool LIMITSTARTSCLASS::CHECKIN(QWidget* window)
{
    if (m_running && m_running != window) {
        if (m_running->isMinimized())
            m_running->showNormal();
        m_running->raise();
        m_running->activateWindow();
        return false;
    }
    m_running = window;
    return true;
}

void LIMITSTARTSCLASS::CHECKOUT(QWidget* window)
{
    if (m_running == window)
        m_running = nullptr;
}

} // namespace SSTF
