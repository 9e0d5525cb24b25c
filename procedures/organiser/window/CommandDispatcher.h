#pragma once
#include <QDate>
#include <QString>
#include <functional>

#include "procedures/organiser/window/OrganiserServices.h"

namespace organiser {

// What the dispatcher needs of the organiser window itself.
struct WindowSide {
    std::function<void(int control)> postAccepted;
    std::function<void(int control)> postNewSelection;
    std::function<bool(int control)> isEnabled;
    std::function<int()> shownPage;                // main tab 1..8
    std::function<void()> emptyMailFolderQueue;    // the mail page rebuilds its tree next time
    std::function<bool()> categoryTreeEmpty;
    std::function<void(bool first)> selectCategoryRow; // the tree's first or last row
    std::function<void(int page)> showFinancePage;     // 1..4 of the finance sheet
    std::function<int()> shownFinancePage;             // 1..4
    std::function<void()> freeChartQueues;
    std::function<void()> resetForce;
    std::function<void(int)> setStateChartKind;        // ?STANJETIP
    std::function<long long()> emailId;                // EM:ID of the current message
    std::function<QString()> messageId;                // EM:MESSAGEID
    std::function<long long()> printRecordId;          // PrintRecordID
    std::function<void()> receiveStartedByUser;
    std::function<bool()> receiveBusy;             // a receive is under way ("SR"/"START" = 1)
    std::function<QDate()> today;
    std::function<QString(const QString&)> translate;
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
class CommandDispatcher {
public:
    CommandDispatcher(Services services, WindowSide window, QString dataFolder);

    // MN:COMMAND
    int command() const { return m_command; }
    void setCommand(int command) { m_command = command; }
    // Acts on the pending command and clears it; a failure flag of a routine it called is
    // returned at once, the command left pending.
    int dispatch();
    int dispatch(int command)
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
    WindowSide m_w;
    QString m_dataFolder;
    int m_command = 0;
    int m_financeTab = 0;
    QString m_projectFileName;
    bool m_ganttUpdating = false;
};

} // namespace organiser
