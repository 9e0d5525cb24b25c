#pragma once
#include <QPointer>
#include <QWidget>

namespace SSTF {

// Lets a window run only once at a time: a second start brings the running one forward.
class LIMITSTARTSCLASS {
public:
    // True when no window is checked in; otherwise the running one is raised.
    bool CHECKIN(QWidget* window);
    void CHECKOUT(QWidget* window);
    QWidget* running() const { return m_running; }

private:
    QPointer<QWidget> m_running;
};

} // namespace SSTF
