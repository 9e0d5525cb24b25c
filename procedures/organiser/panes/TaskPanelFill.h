#pragma once
#include <QDate>
#include <QString>
#include <memory>

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

// What the fill asks of the window around the panel.
class TaskPanelSide {
public:
    virtual ~TaskPanelSide() = default;
    virtual QString translate(const QString& text) = 0; // QVSTR
    virtual QDate today() = 0;
    virtual void showPanel() = 0;    // UNHIDE(8)
    virtual void refreshPanel() = 0; // the panel shows its model again
    // The notes list (14): its rows, their raw cells ("NOTE:ID"), and a fresh look once tagged.
    virtual int noteRows() = 0;
    virtual QString noteCell(const QString& field, int row) = 0;
    virtual void resetNotes() = 0;
    virtual int drawFinanceChart() = 0; // DrawFinanceChart
    virtual bool chartHidden() = 0;     // control 13 is hidden
    virtual void showChart() = 0;       // UNHIDE(13)
    virtual void backup(const QString& destination) = 0; // W_Backup(destination)
    virtual int tabChanged() = 0;       // TabChanged on the current tab
    virtual bool windowHidden() = 0;
    virtual void showWindow() = 0;
};

class TaskPanelFill {
public:
    // `panel` (its headers are replaced) and `side` outlive the fill; the data folder holds
    // Standard.ini and Images/; the notes are tagged in `noteTags` (none: VelmoraDll::tagSet()).
    TaskPanelFill(organiser::TaskPanelModel& panel, QString dataFolder, TaskPanelSide& side,
                  TagSetClass* noteTags = nullptr);
    ~TaskPanelFill();
    TaskPanelFill(const TaskPanelFill&) = delete;
    TaskPanelFill& operator=(const TaskPanelFill&) = delete;

    // The routine; answers 0 (a failure flag, as the pane routines give it). A failed read of
    // the tasks ends the reading and keeps the lines read so far. A call while it runs
    // returns at once.
    int run();

    // A click on a line opens its event's task form (editTask: partner and category of the
    // event) and a completed form fills the panel again. Until this is called the panel's
    // editor is left as it is. `forms` must outlive the panel's use of it.
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
    class Editor;

    organiser::TaskPanelModel& m_panel;
    QString m_dataFolder;
    TaskPanelSide& m_side;
    TagSetClass* m_noteTags;
    std::unique_ptr<Editor> m_editor;
    bool m_running = false;
    bool m_startupDone = false;
};

} // namespace panes
