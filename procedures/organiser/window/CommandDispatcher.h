#pragma once
#include <QDate>
#include <QString>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// What the dispatcher needs of the organiser window itself.
class WindowSide {
public:
    virtual ~WindowSide() = default;
    virtual void postAccepted(int control) = 0;
    virtual void postNewSelection(int control) = 0;
    virtual bool isEnabled(int control) = 0;
    virtual int shownPage() = 0;                      // main tab 1..8
    virtual void emptyMailFolderQueue() = 0;          // the mail page rebuilds its tree next time
    virtual bool categoryTreeEmpty() = 0;
    virtual void selectCategoryRow(bool first) = 0;   // the tree's first or last row
    virtual void showFinancePage(int page) = 0;       // 1..4 of the finance sheet
    virtual int shownFinancePage() = 0;               // 1..4
    virtual void freeChartQueues() = 0;
    virtual void resetForce() = 0;
    virtual void setStateChartKind(int kind) = 0;     // ?STANJETIP
    virtual long long emailId() = 0;                  // EM:ID of the current message
    virtual QString messageId() = 0;                  // EM:MESSAGEID
    virtual long long printRecordId() = 0;            // PrintRecordID
    virtual void receiveStartedByUser() = 0;
    virtual bool receiveBusy() = 0;                   // a receive is under way ("SR"/"START" = 1)
    virtual QDate today() = 0;
    virtual QString translate(const QString& text) = 0;
};

// Runs a command as the ribbon does (MN:COMMAND := code); a failure flag as the routines give it.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual int dispatch(int command) = 0;
};

struct Services {
    FormLauncher* forms = nullptr;
    PaneRoutines* panes = nullptr;
    GanttApi* gantt = nullptr;
    CalendarApi* calendar = nullptr;
    ProcessLauncher* launcher = nullptr;
    FrameLink* frame = nullptr;
    RecordPrimer* primer = nullptr;
};

// W_First.DispatchCommand and the new-record routines it calls.
class CommandDispatcher : public CommandRunner {
public:
    // `window` outlives the dispatcher.
    CommandDispatcher(Services services, WindowSide& window, QString dataFolder);

    // MN:COMMAND
    int command() const { return m_command; }
    void setCommand(int command) { m_command = command; }
    // Acts on the pending command and clears it; a failure flag of a routine it called is
    // returned at once, the command left pending.
    int dispatch();
    int dispatch(int command) override
    {
        m_command = command;
        return dispatch();
    }

    // LN:PR:TAB: the finance page last chosen, 0 before any.
    int financeTab() const { return m_financeTab; }
    void setFinanceTab(int tab) { m_financeTab = tab; }
    QString projectFileName() const { return m_projectFileName; }
    void setProjectFileName(const QString& name) { m_projectFileName = name; }
    bool ganttUpdating() const { return m_ganttUpdating; }

    // Unsaved plan changes are saved or let go as the user says; false: what was about to
    // drop them (a new or opened plan, the closing program) stops.
    bool unsavedPlanHandled();

    // The new-record routines.
    int InsertOutgoingDocument();
    int InsertIncomingDocument();
    int InsertExpense();
    int InsertIncome();
    int InsertContact();
    int InsertPassword();
    int InsertProduct();
    int InsertTask();
    int OpenBackup();

    // The mail program's command lines.
    void newMessage();
    void newMessageTo(const QString& address);
    void reply(int mode);
    void sendReceive();

private:
    int finance(int page);
    int financeListShown() const;
    void newPlan();
    void openPlan();
    bool savePlan();
    bool savePlanAs();
    bool writePlan(const QString& path);
    void addActivity(bool summary);
    void deleteActivity();
    void bindBarColumns(long item);
    void postWhenEnabled(int control);
    bool startMail(const QStringList& args);
    QString tr(const QString& text) const;

    Services m_s;
    WindowSide& m_w;
    QString m_dataFolder;
    int m_command = 0;
    int m_financeTab = 0;
    QString m_projectFileName;
    bool m_ganttUpdating = false;
};

} // namespace organiser
