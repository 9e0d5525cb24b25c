#pragma once
#include <optional>

#include "procedures/common/MailSettings.h"

// The organiser window's heartbeat, counted in timer events of a hundredth of a second:
// every 200 it marks the shown mail read and notices new mail, at the configured interval it
// starts a background receive, and on every event it watches the mail program's "finished"
// flag. Pure logic: the window calls advance() with the hundredths that passed on its clock.
namespace organiser {

class Heartbeat {
public:
    static constexpr int ReadMarkCycle = 200;
    static constexpr int DefaultInterval = mailpeople::kDefaultCheckHundredths;
    static constexpr int MinimumInterval = 6000;

    // The mailbox, the mail program and the frame as the heartbeat reaches them.
    class Side {
    public:
        virtual ~Side() = default;
        // Marks the mail in the buffer read when it is unread; false: the write failed.
        virtual bool markShownRead() = 0;
        virtual long long emailCount() = 0;
        virtual void emailsChanged() = 0;       // the list reloads, ReadEmailsSQL
        virtual bool receiveRunning() = 0;      // the last receive we started still runs
        virtual bool startReceive() = 0;        // false: could not start
        virtual void receiveStartFailed() = 0;  // told once per run of failures
        virtual int readStartFlag() = 0;        // "SR"/"START"
        virtual void writeStartFlag(int value) = 0;
        virtual void notifyFrame(int code, int number) = 0;
        virtual void normalCursor() = 0;
        virtual void stopOnReadMarkFailure() = 0; // the stop window, the program ends
    };

    explicit Heartbeat(Side& side) : m_side(side) {}

    // "Email"/"Check" as read (nullopt: absent or not a number): 0 -> the default, < 6000 -> 6000.
    static int intervalFromCheck(std::optional<long long> check);

    // The window's first display: the interval, and the first receive one minute later.
    void firstDisplay(std::optional<long long> check);
    bool started() const { return m_started; }

    // `ticks` timer events have passed (1 per hundredth of a second).
    void advance(int ticks = 1);

    // Another mail is shown: its read mark counts from now. Showing a mail other than the one
    // the user marked unread lets the read mark work again.
    void shownMailChanged(long long mailId = 0)
    {
        m_readMarkTicks = 0;
        if (mailId != m_keptUnread)
            m_keptUnread = 0;
    }
    // The user marked the shown mail unread: it stays unread while it is shown.
    void keepShownUnread(long long mailId)
    {
        m_keptUnread = mailId;
        m_readMarkTicks = 0;
    }
    // A receive was started from the ribbon: the next automatic one a full interval later.
    void receiveStartedByUser() { m_receiveTicks = 0; }

    int readMarkTicks() const { return m_readMarkTicks; }
    int receiveTicks() const { return m_receiveTicks; }
    int receiveInterval() const { return m_receiveInterval; }
    long long emailRowCount() const { return m_emailRowCount; }

private:
    void readMarkCycle();
    void receiveDue();

    Side& m_side;
    bool m_started = false;
    int m_readMarkTicks = 0;
    long long m_keptUnread = 0;
    int m_receiveTicks = 0;
    int m_receiveInterval = DefaultInterval;
    long long m_emailRowCount = 0;
    bool m_startFailing = false;
};

} // namespace organiser
