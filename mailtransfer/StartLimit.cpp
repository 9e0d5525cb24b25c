#include "mailtransfer/StartLimit.h"

#include <QMetaObject>

namespace korbelsteen {

StartLimit& StartLimit::emailEditor()
{
    static StartLimit limit;
    return limit;
}

StartLimit::Ticket StartLimit::checkIn(uint8_t& request)
{
    Ticket t;
    if (request == 4)
        return t;
    ST::CRITICALPROCEDURE held(&SYNC);
    if (m_active != std::thread::id()) {
        request = 0;
        t.m_result = Refused;
        if (m_window)
            bringToFront(m_window);
        else
            m_frontWanted = true;
        return t;
    }
    m_active = std::this_thread::get_id();
    m_window = nullptr;
    m_frontWanted = false;
    t.m_limit = this;
    t.m_result = CheckedIn;
    return t;
}

bool StartLimit::running() const
{
    ST::CRITICALPROCEDURE held(&SYNC);
    return m_active != std::thread::id();
}

void StartLimit::checkOut()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    m_active = std::thread::id();
    m_window = nullptr;
    m_frontWanted = false;
}

void StartLimit::bringToFront(QWidget* window)
{
    // The window lives on its own thread; it is raised there.
    QMetaObject::invokeMethod(
        window,
        [window] {
            if (window->isMinimized())
                window->showNormal();
            window->raise();
            window->activateWindow();
        },
        Qt::QueuedConnection);
}

StartLimit::Ticket::~Ticket()
{
    if (m_limit)
        m_limit->checkOut();
}

void StartLimit::Ticket::setWindow(QWidget* window)
{
    if (!m_limit)
        return;
    ST::CRITICALPROCEDURE held(&m_limit->SYNC);
    m_limit->m_window = window;
    if (m_limit->m_frontWanted && window)
        bringToFront(window);
    m_limit->m_frontWanted = false;
}

} // namespace korbelsteen
