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
    m_emailRowCount = m_side.emailCount();
    m_started = true;
}

void Heartbeat::readMarkCycle()
{
    if (m_keptUnread == 0 && !m_side.markShownRead()) {
        m_side.stopOnReadMarkFailure();
        return;
    }
    const long long count = m_side.emailCount();
    if (count != m_emailRowCount) {
        m_emailRowCount = count;
        m_side.emailsChanged();
    }
}

void Heartbeat::receiveDue()
{
    m_receiveTicks = 0;
    // One receive at a time: two would write the same mailbox and the same flag.
    if (m_side.readStartFlag() == 1 || m_side.receiveRunning())
        return;
    if (m_side.startReceive()) {
        m_startFailing = false;
    } else if (!m_startFailing) {
        m_startFailing = true;
        m_side.receiveStartFailed();
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
    if (m_side.readStartFlag() == 2) {
        m_side.notifyFrame(1, 2);
        m_side.writeStartFlag(0);
        m_side.normalCursor();
    }
}

} // namespace organiser
