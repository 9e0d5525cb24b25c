#pragma once
#include <QDate>
#include <QString>
#include <functional>

#include "procedures/organiser/window/OrganiserServices.h"
#include "procedures/organiser/panes/TaskPanelModel.h"

class TagSetClass;

// W_First.FillTaskPanel: the overview page's task panel filled with the open tasks, and what
// the routine does around it (the demonstration tasks' dates, the notes' tags, the chart, the
// backup on start, the tab and the window). The database is read and written
// through the calling thread's connection and managers; everything else is injected.
namespace panes {

// The heading's source text (translated when shown).
inline const QString kTaskPanelHeading = QStringLiteral("Zadaci - nezavršeni i u toku");

struct TaskPanelFillDeps {
    organiser::TaskPanelModel* panel = nullptr;       // its headers are replaced
    QString dataFolder;                               // Standard.ini and Images/ are in it
    std::function<QString(const QString&)> translate; // QVSTR; none: the text as it is
    std::function<QDate()> today;                     // none: the system's date
    std::function<void()> showPanel;                  // UNHIDE(8)
    std::function<void()> refreshPanel;               // the panel shows its model again
    std::function<int()> noteRows;                    // rows of the notes list (14)
    std::function<QString(const QString& field, int row)> noteCell; // its raw cells ("NOTE:ID")
    TagSetClass* noteTags = nullptr;                  // NotesTagSet; none: VelmoraDll::tagSet()
    std::function<void()> resetNotes;                 // the notes list reads its rows again
    std::function<int()> drawFinanceChart;            // DrawFinanceChart
    std::function<bool()> chartHidden;                // control 13 is hidden
    std::function<void()> showChart;                  // UNHIDE(13)
    std::function<void(const QString& destination)> backup; // W_Backup(destination)
    std::function<int()> tabChanged;                  // TabChanged on the current tab
    std::function<bool()> windowHidden;
    std::function<void()> showWindow;
};

class TaskPanelFill {
public:
    explicit TaskPanelFill(TaskPanelFillDeps deps);
    TaskPanelFill(const TaskPanelFill&) = delete;
    TaskPanelFill& operator=(const TaskPanelFill&) = delete;

    // The routine; answers 0 (a failure flag, as the pane routines give it). A failed read of
    // the tasks ends the reading and keeps the lines read so far. A call while it runs
    // returns at once.
    int run();

    // A click on a line opens its event's task form (editTask: partner and category of the
    // event) and a completed form fills the panel again. Until this is called the panel's
    // hooks are left as they are. The hooks keep `forms` and this object: both must outlive the
    // panel's use of them.
    void connectPanel(organiser::FormLauncher& forms, organiser::MailDesk* mail);

    // Steps of run(), open for tests.
    void moveSampleTasks(const QDate& today);
    void readOpenTasks(long heading);
    void tagNotes();
    void backupOnStart();

    // The line of a task: "<short date> <hh:mm>, subject, location, body", at most 7999 characters.
    static QString lineText(const QString& startDateTime, const QString& subject, const QString& location,
                            const QString& body);
    // The icon of a task's status (0 and 1); empty for any other.
    static QString statusIcon(const QString& dataFolder, int status);

private:
    TaskPanelFillDeps m_d;
    bool m_running = false;
    bool m_startupDone = false;
};

} // namespace panes
