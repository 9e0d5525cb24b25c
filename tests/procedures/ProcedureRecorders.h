#pragma once
#include <QStringList>
#include <set>

#include "data/Globals.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"

// The tests' recorders of what the organiser window asks for: calls with nothing attached are
// written to one log ("F_Contact()", "InboxSelected") in place of telling the user.
namespace organiser {

// A clock the test moves by hand.
struct HandClock : Clock {
    long long now = 0;
    long long hundredths() override { return now; }
};

class CallLog {
public:
    void add(const QString& call) { m_calls << call; }
    const QStringList& calls() const { return m_calls; }
    QStringList take()
    {
        QStringList out;
        out.swap(m_calls);
        return out;
    }

private:
    QStringList m_calls;
};

struct RecordingUnattached : Unattached {
    explicit RecordingUnattached(CallLog& l) : log(l) {}
    CallLog& log;
    std::set<QString> failing; // routines that answer failure
    int response = 2;          // what a form leaves in GLOBALRESPONSE (cancelled unless told)

    int routine(Routine r) override
    {
        log.add(nameOf(r));
        return failing.count(nameOf(r)) ? 1 : 0;
    }
    void form(Form, const QString& call) override
    {
        log.add(call);
        GLOBALRESPONSE = uint8_t(response);
    }
    void skipped(const QString& step) override { log.add(step); }
};

// The recorder comes first so that the table can hold it.
struct RecorderHolder {
    explicit RecorderHolder(CallLog& log) : recorder(log) {}
    RecordingUnattached recorder;
};

struct RecordedForms : RecorderHolder, FormTable {
    explicit RecordedForms(CallLog& log) : RecorderHolder(log), FormTable(recorder) {}
    int& response = recorder.response;
};

struct RecordedPanes : RecorderHolder, RoutineTable {
    explicit RecordedPanes(CallLog& log) : RecorderHolder(log), RoutineTable(recorder) {}
    std::set<QString>& failing = recorder.failing;
};

// The log of a window whose calls are recorded.
inline CallLog& standInLog(OrganiserWindow& window)
{
    return dynamic_cast<RecordingUnattached&>(window.unattached()).log;
}

} // namespace organiser
