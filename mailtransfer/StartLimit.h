#pragma once
#include "extensions/CriticalSection.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <thread>

namespace korbelsteen {

// Keeps a window procedure from running twice at once in this process: a second start is
// refused and brings the running window to the front (restored when minimised). The running
// one checks out when its ticket ends, also when it ends by an exception, so it can be
// started again.
class StartLimit {
public:
    enum Result : uint8_t { NotLimited = 0, Refused = 1, CheckedIn = 2 };

    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket&& other) noexcept : m_limit(other.m_limit), m_result(other.m_result) { other.m_limit = nullptr; }
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;
        ~Ticket();
        Result result() const { return m_result; }
        // The running window, brought to the front by later starts.
        void setWindow(QWidget* window);

    private:
        friend class StartLimit;
        StartLimit* m_limit = nullptr;
        Result m_result = NotLimited;
    };

    // `request` is the thread's request code: 4 (select) is not limited; a refused start sets
    // it to 0.
    Ticket checkIn(uint8_t& request);
    bool running() const;

    // The mail editor's limit.
    static StartLimit& emailEditor();

private:
    void checkOut();
    static void bringToFront(QWidget* window);

    mutable ST::CRITICALSECTION SYNC;
    std::thread::id m_active;
    QPointer<QWidget> m_window;
    bool m_frontWanted = false;
};

} // namespace korbelsteen
