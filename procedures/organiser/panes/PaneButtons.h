#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/window/OrganiserServices.h"
#include "procedures/organiser/panes/PopupItems.h"

// The buttons of the organiser window's panes and its hidden controls: guards that run before
// the lists' own insert, change and delete, and the actions after them, including the hand-off
// of a calendar event to the task form.
namespace organiser {

// An event of the calendar component, by the fields the window gives it.
struct CalendarEventFields {
    long id = 0;
    QString subject, location, body;
    long label = 0;
    QDateTime start, end;
    bool allDay = false, reminder = false;
    int reminderMinutes = 0;
};

// The calendar component's typed operations.
class CalendarEvents {
public:
    virtual ~CalendarEvents() = default;
    virtual int viewType() = 0;
    virtual bool hasEvent(long id) = 0;
    virtual void addEvent(const CalendarEventFields& event) = 0;
    virtual void changeEvent(const CalendarEventFields& event) = 0;
    virtual void deleteEvent(long id) = 0;
    virtual void save() = 0;
    virtual void populate() = 0;
    virtual void ensureLabel(long label) = 0; // W_First.ProvjeriLabel
};

struct PaneButtonDeps {
    ListSet* lists = nullptr;
    OrganiserMenus* menus = nullptr;
    FormLauncher* forms = nullptr;
    CalendarEvents* calendar = nullptr;
    std::function<int()> dispatch;                 // control 1
    std::function<int()> tabChanged;               // control 2
    std::function<int(const QString& routine)> run; // the window's routines; a failure flag
    std::function<long()> financeCategoryId;       // current row of tree 53
    std::function<long()> selectedGroupId;         // current row of tree 119
    std::function<int(long group, long parent)> groupForm; // none: the contacts feature's group form
    ContactGroupDesk* groupCommands = nullptr;     // the group buttons' commands
    std::function<void()> refreshGroups;           // S_FillContactGroupTree
    std::function<QString()> contactNoteText;      // the edited text of control 135
    std::function<void(const QString& address)> mailTo; // a new message to an address
    std::function<void(vrt::PopupMenu&)> showMenu; // at the mouse position
};

class PaneButtons {
public:
    explicit PaneButtons(PaneButtonDeps deps) : m_d(std::move(deps)) {}

    // Before the framework: 5 refuses the button, 0 lets it go on.
    int before(int control);
    // After the framework: a routine's failure flag, else 0.
    int after(int control);
    // The calendar component, once it is attached.
    void setCalendar(CalendarEvents* calendar) { m_d.calendar = calendar; }

    long command = 0;            // MN:COMMAND, the calendar event for control 4
    int CalendarDeleteRequest = 0;
    int CalendarMenuState = 1;
    int PendingLinkStartType = 0, PendingLinkEndType = 0;
    long PendingLinkEdit = 0;

private:
    int calendarHandOff();
    int groupAction(int control);
    int saveContactNote();
    CalendarEventFields eventFromRecord() const;

    PaneButtonDeps m_d;
};

} // namespace organiser
