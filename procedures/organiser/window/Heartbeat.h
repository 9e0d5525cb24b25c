#pragma once
#include <functional>
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

    struct Hooks {
        // Marks the mail in the buffer read when it is unread; false: the write failed.
        std::function<bool()> markShownRead;
        std::function<long long()> emailCount;
        std::function<void()> emailsChanged;       // the list reloads, ReadEmailsSQL
        std::function<bool()> receiveRunning;      // the last receive we started still runs
        std::function<bool()> startReceive;        // false: could not start
        std::function<void()> receiveStartFailed;  // told once per run of failures
        std::function<int()> readStartFlag;        // "SR"/"START"
        std::function<void(int)> writeStartFlag;
        std::function<void(int code, int number)> notifyFrame;
        std::function<void()> normalCursor;
        std::function<void()> stopOnReadMarkFailure; // the stop window, the program ends
    };

    explicit Heartbeat(Hooks hooks) : m_hooks(std::move(hooks)) {}

    // "Email"/"Check" as read (nullopt: absent or not a number): 0 -> the default, < 6000 -> 6000.
    static int intervalFromCheck(std::optional<long long> check);

    // The window's first display: the interval, and the first receive one minute later.
    void firstDisplay(std::optional<long long> check);
    bool started() const { return m_started; }

    // `ticks` timer events have passed (1 per hundredth of a second).
    void advance(int ticks = 1);

    // Another mail is shown: its read mark counts from now.
    void shownMailChanged() { m_readMarkTicks = 0; }
    // A receive was started from the ribbon: the next automatic one a full interval later.
    void receiveStartedByUser() { m_receiveTicks = 0; }

    int readMarkTicks() const { return m_readMarkTicks; }
    int receiveTicks() const { return m_receiveTicks; }
    int receiveInterval() const { return m_receiveInterval; }
    long long emailRowCount() const { return m_emailRowCount; }

private:
    void readMarkCycle();
    void receiveDue();

    Hooks m_hooks;
    bool m_started = false;
    int m_readMarkTicks = 0;
    int m_receiveTicks = 0;
    int m_receiveInterval = DefaultInterval;
    long long m_emailRowCount = 0;
    bool m_startFailing = false;
};

} // namespace organiser
