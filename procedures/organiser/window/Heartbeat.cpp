#include "procedures/organiser/window/Heartbeat.h"

namespace organiser {

int Heartbeat::intervalFromCheck(std::optional<long long> check)
{
    if (!check || *check == 0)
        return DefaultInterval;
    if (*check < MinimumInterval)
        return MinimumInterval;
    return *check > 0x7fffffff ? 0x7fffffff : int(*check);
}

void Heartbeat::firstDisplay(std::optional<long long> check)
{
    m_receiveInterval = intervalFromCheck(check);
    m_receiveTicks = m_receiveInterval - MinimumInterval;
    m_readMarkTicks = 0;
    m_emailRowCount = m_hooks.emailCount ? m_hooks.emailCount() : 0;
    m_started = true;
}

void Heartbeat::readMarkCycle()
{
    if (m_keptUnread == 0 && m_hooks.markShownRead && !m_hooks.markShownRead()) {
        if (m_hooks.stopOnReadMarkFailure)
            m_hooks.stopOnReadMarkFailure();
        return;
    }
    const long long count = m_hooks.emailCount ? m_hooks.emailCount() : m_emailRowCount;
    if (count != m_emailRowCount) {
        m_emailRowCount = count;
        if (m_hooks.emailsChanged)
            m_hooks.emailsChanged();
    }
}

void Heartbeat::receiveDue()
{
    m_receiveTicks = 0;
    // One receive at a time: two would write the same mailbox and the same flag.
    const bool running = (m_hooks.readStartFlag && m_hooks.readStartFlag() == 1)
        || (m_hooks.receiveRunning && m_hooks.receiveRunning());
    if (running || !m_hooks.startReceive)
        return;
    if (m_hooks.startReceive()) {
        m_startFailing = false;
    } else if (!m_startFailing) {
        m_startFailing = true;
        if (m_hooks.receiveStartFailed)
            m_hooks.receiveStartFailed();
    }
}

void Heartbeat::advance(int ticks)
{
    if (!m_started || ticks <= 0)
        return;
    // Counted one event at a time, so a late timer that reports several events at once keeps
    // the same cadence as one that never missed.
    for (int i = 0; i < ticks; ++i) {
        if (++m_readMarkTicks >= ReadMarkCycle) {
            m_readMarkTicks = 0;
            readMarkCycle();
        }
        if (++m_receiveTicks >= m_receiveInterval)
            receiveDue();
    }
    if (m_hooks.readStartFlag && m_hooks.readStartFlag() == 2) {
        if (m_hooks.notifyFrame)
            m_hooks.notifyFrame(1, 2);
        if (m_hooks.writeStartFlag)
            m_hooks.writeStartFlag(0);
        if (m_hooks.normalCursor)
            m_hooks.normalCursor();
    }
}

} // namespace organiser
