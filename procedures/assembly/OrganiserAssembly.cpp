#include "procedures/assembly/OrganiserAssembly.h"

#include "data/TableManagers.h"
#include "procedures/organiser/panes/HostedControls.h"
#include "procedures/mail/MailActions.h"
#include "procedures/mail/MailFolderForm.h"
#include "procedures/mail/MailPane.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/StandIns.h"
#include "procedures/assembly/TreeMoves.h"
#include "procedures/documents/Business.h"
#include "procedures/finance/Finance.h"
#include "procedures/contacts/ContactGroups.h"
#include "procedures/contacts/MailPeopleAttach.h"
#include "procedures/notes/NotesPasswords.h"
#include "procedures/calendar/CalendarRoutines.h"
#include "procedures/plan/GanttRoutines.h"

namespace organiser {

namespace {

// The calendar's commands go to the routines its feature registers.
class RegisteredCalendar : public CalendarApi {
public:
    explicit RegisteredCalendar(RecordedPanes& routines) : m_r(routines) {}
    void printPreview(int) override { runOrTell(QStringLiteral("CalendarPrintPreview")); }
    int refresh() override { return runOrTell(QStringLiteral("PopulateCalendar")); }

private:
    int runOrTell(const QString& name)
    {
        if (m_r.has(name))
            return m_r.run(name);
        tellNotAvailable();
        return 0;
    }
    RecordedPanes& m_r;
};

// What the root owns for the window's lifetime; a child of the window, so it goes after the
// window's own closing has used it.
class OrganiserAssembly : public QObject {
public:
    explicit OrganiserAssembly(int frameReceiverId) : frame(frameReceiverId)
    {
        forms.onOpen = [](const QString&) { tellNotAvailable(); };
        routines.onMissing = [](const QString&) { tellNotAvailable(); };
    }
    NotifyFrameLink frame;
    CallLog log;
    RecordedForms forms{log};
    RecordedPanes routines{log};
    RegisteredCalendar calendar{routines};
    OrganiserPanes* panes = nullptr;
};

// Every feature that is built, once the window and its panes exist: one line each.
void attachFeatures(OrganiserWindow& window, OrganiserPanes& panes, panes::GanttControl& gantt)
{
    ::panes::attachGantt(window, panes, gantt);
    ::panes::attachCalendar(window, panes, *::panes::makeCalendarLink());
    ::business::attachBusiness(window, panes);
    mailpeople::attachMailPeople(window, panes);
    notespass::attachNotesPasswords(window, panes);
    finance::attachFinance(window, panes);
    attachMailActions(window, panes);
    attachTreeMoves(window, panes);
    attachMailFolders(window, panes);
    attachMailPane(window, panes);
}

} // namespace

OrganiserWindow* W_First(int frameReceiverId, QWidget* parent)
{
    auto* assembly = new OrganiserAssembly(frameReceiverId);
    OrganiserDeps deps;
    deps.frame = &assembly->frame;
    deps.log = &assembly->log;
    deps.forms = &assembly->forms;
    deps.panes = &assembly->routines;
    deps.calendar = &assembly->calendar;
    deps.mail = &mailDesk();
    deps.contactGroups = &mailpeople::contactGroupDesk();
    static RegistryControlFactory registry; // no state: the component registry is the program's
    deps.controls = &registry;
    useDataLayer(deps);
    // The task list's selected task is the one its report prints.
    deps.records.printRecordId = [assembly] {
        return assembly->panes ? (long long)assembly->panes->lists().PrintRecordID : 0LL;
    };
    deps.records.selectedContactId = [assembly] {
        const long id = assembly->panes ? assembly->panes->lists().SelectedContactID : 0L;
        return id > 0 ? id : 0L; // "no contact" has several values
    };
    deps.records.outgoingDocumentsRow = [assembly] {
        return assembly->panes ? long(assembly->panes->lists().list(ctl::ID).selected() + 1) : 0L;
    };
    // The mail just marked read loses its bold at once.
    deps.records.markShownRead = [assembly] {
        const bool unread = EM().ID != 0 && EM().READ == 0;
        const bool ok = markShownMailRead();
        if (ok && unread && assembly->panes)
            assembly->panes->lists().list(ctl::Email).reset();
        return ok;
    };
    // Mail that the mail program added shows in the list (the heartbeat notices the count).
    deps.records.emailsChanged = [assembly] {
        if (assembly->panes)
            assembly->panes->lists().list(ctl::Email).reset();
    };
    panes::GanttControl* gantt = ::panes::makeGanttControl();
    deps.gantt = gantt;

    auto* window = new OrganiserWindow(deps, parent);
    assembly->setParent(window);
    assembly->panes = attachPanes(*window);
    attachFeatures(*window, *assembly->panes, *gantt);
    if (!window->open()) {
        delete window;
        return nullptr;
    }
    assembly->panes->lists().resetAll();
    return window;
}

} // namespace organiser
