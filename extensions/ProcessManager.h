#pragma once
#include <QString>

#include <vector>

class QWidget;

// Processing a run of records a few at a time on a window's timer, so the window stays
// responsive: each tick handles RECORDSPERCYCLE records and shows a percentage, the user may
// pause (a second press goes on) or cancel. What a record is and what is done with it are
// virtual operations; QUEUEPROCESSMANAGERCLASS walks an in-memory list. No widgets here: the
// window's controls are reached through ProcessControls (ProcessWindow gives Qt ones).
namespace ext {

// What the process does to its window.
class ProcessControls {
public:
    virtual ~ProcessControls() = default;
    virtual void text(const QString& text) = 0;      // the percentage text
    virtual void range(int low, int high) = 0;        // the progress bar's range
    virtual void progress(int value) = 0;             // the progress bar's value
    virtual void setTimer(int hundredths) = 0;        // 0 stops the timer
    virtual int timer() = 0;                          // the running timer's period, 0 stopped
    virtual void closeWindow() = 0;
};

class QPROCESSMANAGERCLASS {
public:
    // Events of the progress window.
    enum : int { EVENT_ACCEPTED = 1, EVENT_CLOSEWINDOW = 513, EVENT_TIMER = 523 };

    virtual ~QPROCESSMANAGERCLASS() = default;
    virtual void INIT();
    virtual void OPEN();
    virtual void CLOSE() {}
    virtual void SETDEFAULT();
    virtual bool ISPAUSED() const { return PROGRESSPAUSED; }
    virtual void SETPAUSE() { PROGRESSPAUSED = !PROGRESSPAUSED; }
    virtual void SETPAUSE(bool on) { PROGRESSPAUSED = on; }
    virtual void SETTIMER(int hundredths) { TIMER = hundredths; }
    virtual void SETCONTROLS(const QString& completedText, int progress, int cancel, int text, int pause);
    virtual void SETCONTROLPROGRESS(int control) { CONTROLPROGRESS = control; }
    virtual void SETCONTROLCANCEL(int control) { CONTROLCANCEL = control; }
    virtual void SETCONTROLTEXT(int control) { CONTROLPTEXT = control; }
    virtual void SETCONTROLPAUSE(int control) { CONTROLPAUSE = control; }
    virtual void SETCOMPLETEDTEXT(const QString& text) { COMPLETEDTEXT = text; }
    virtual void RESET();
    virtual void RUN();
    virtual void ASK();
    virtual void KILL() {}
    // Every event of the window; `control` is the control of an accepted event.
    virtual bool TAKEEVENT(int event, int control = 0);
    virtual void TAKERECORD() {}
    virtual int VALIDATERECORD() { return 0; }
    virtual int GETPORCENTILE() const;
    virtual void TAKENORECORDS() { endWindow(); }
    virtual void TAKECANCELLED() { endWindow(); }
    virtual void TAKEPAUSED() {}
    virtual void TAKECOMPLETED() { endWindow(); }
    virtual bool NEXT() { return false; }
    virtual int GETRECORDSTOPROCESS() { return 0; }
    virtual bool GETEOF() const { return RECORDSPROCESSED == RECORDSTOPROCESS; }
    void SETCLOSEWINDOW(bool on) { CLOSEWINDOWATEND = on; }
    // The window's controls (its window attaches them); null: a process without a window.
    // They must outlive their attachment.
    void setControls(ProcessControls* controls) { m_controls = controls; }
    ProcessControls* controls() const { return m_controls; }

    int CONTROLPTEXT = 0, CONTROLCANCEL = 0, CONTROLPAUSE = 0, CONTROLPROGRESS = 0;
    QString COMPLETEDTEXT;
    int RECORDSPROCESSED = 0, RECORDSTOPROCESS = 0, RECORDSPERCYCLE = 0;
    int LOW = 0, HIGH = 0;
    int TIMER = 0;
    bool CLOSEWINDOWATEND = true;
    bool PROGRESSCANCELLED = false;
    bool PROGRESSPAUSED = false;

protected:
    void showProgress();
    void endWindow();
    void defaults();

private:
    ProcessControls* m_controls = nullptr;
};

// Walks the entries of a list: entry RECORDSPROCESSED + 1 is the next record.
template <typename T>
class QUEUEPROCESSMANAGERCLASS : public QPROCESSMANAGERCLASS {
public:
    using QPROCESSMANAGERCLASS::INIT;
    void INIT(const std::vector<T>& q)
    {
        Q = &q;
        QPROCESSMANAGERCLASS::INIT();
    }
    bool NEXT() override
    {
        if (!Q || RECORDSPROCESSED >= int(Q->size()))
            return false;
        m_current = &(*Q)[size_t(RECORDSPROCESSED)];
        return true;
    }
    int GETRECORDSTOPROCESS() override { return Q ? int(Q->size()) : 0; }
    // The entry NEXT read.
    const T* current() const { return m_current; }
    const std::vector<T>* Q = nullptr;

private:
    const T* m_current = nullptr;
};

} // namespace ext
