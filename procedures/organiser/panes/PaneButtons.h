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

// What the buttons use of the window's parts; the calendar may come later (setCalendar).
struct PaneButtonDeps {
    ListSet* lists = nullptr;
    OrganiserMenus* menus = nullptr;
    FormLauncher* forms = nullptr;
    CalendarEvents* calendar = nullptr;
    ContactGroupDesk* groupCommands = nullptr; // the group buttons' commands
};

// What the buttons ask of the window around them.
class PaneButtonSide {
public:
    virtual ~PaneButtonSide() = default;
    virtual int dispatch() = 0;             // control 1
    virtual int tabChanged() = 0;           // control 2
    virtual int run(Routine routine) = 0;   // the window's routines; a failure flag
    virtual long financeCategoryId() = 0;   // current row of tree 53
    virtual long selectedGroupId() = 0;     // current row of tree 119
    virtual void refreshGroups() = 0;       // S_FillContactGroupTree
    virtual QString contactNoteText() = 0;  // the edited text of control 135
    virtual void mailTo(const QString& address) = 0; // a new message to an address
    virtual void showMenu(vrt::PopupMenu& menu) = 0; // at the mouse position
};

class PaneButtons {
public:
    // `side` outlives the buttons. The group buttons open `groupForm` (none: the contacts
    // feature's own group form).
    PaneButtons(PaneButtonDeps deps, PaneButtonSide& side, std::function<int(long group, long parent)> groupForm = {})
        : m_d(deps), m_side(side), m_groupForm(std::move(groupForm))
    {
    }

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
    PaneButtonSide& m_side;
    std::function<int(long group, long parent)> m_groupForm;
};

} // namespace organiser
