#include "procedures/assembly/OrganiserAssembly.h"

#include "data/TableManagers.h"
#include "procedures/organiser/panes/HostedControls.h"
#include "procedures/mail/MailActions.h"
#include "procedures/mail/MailFolderForm.h"
#include "procedures/mail/MailPane.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
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

// The calendar's commands go to the routines its feature attaches.
class AttachedCalendar : public CalendarApi {
public:
    explicit AttachedCalendar(RoutineTable& routines) : m_r(routines) {}
    void printPreview(int) override { m_r.run(Routine::CalendarPrintPreview); }
    int refresh() override { return m_r.run(Routine::PopulateCalendar); }

private:
    RoutineTable& m_r;
};

// The data layer's records with the panes' selections: the task list's selected task is the
// one its report prints, and the mail list follows the read marks and new mail.
class PaneRecords : public DataLayerRecords {
public:
    explicit PaneRecords(OrganiserPanes* const& panes) : m_panes(panes) {}
    long long printRecordId() override { return m_panes ? (long long)m_panes->lists().PrintRecordID : 0LL; }
    long selectedContactId() override
    {
        const long id = m_panes ? m_panes->lists().SelectedContactID : 0L;
        return id > 0 ? id : 0L; // "no contact" has several values
    }
    long outgoingDocumentsRow() override { return m_panes ? long(m_panes->lists().list(ctl::ID).selected() + 1) : 0L; }
    // The mail just marked read loses its bold at once.
    bool markShownRead() override
    {
        const bool unread = EM().ID != 0 && EM().READ == 0;
        const bool ok = DataLayerRecords::markShownRead();
        if (ok && unread)
            emailsChanged();
        return ok;
    }
    // Mail that the mail program added shows in the list (the heartbeat notices the count).
    void emailsChanged() override
    {
        if (m_panes)
            m_panes->lists().list(ctl::Email).reset();
    }

private:
    OrganiserPanes* const& m_panes;
};

// What the root owns for the window's lifetime; a child of the window, so it goes after the
// window's own closing has used it.
class OrganiserAssembly : public QObject {
public:
    explicit OrganiserAssembly(int frameReceiverId) : frame(frameReceiverId) {}
    NotifyFrameLink frame;
    TellUser unattached;
    FormTable forms{unattached};
    RoutineTable routines{unattached};
    AttachedCalendar calendar{routines};
    OrganiserPanes* panes = nullptr;
    PaneRecords records{panes};
};

// Every feature, in the order they attach: one line each.
constexpr AttachFeature features[] = {
    &::panes::attachGantt,
    &::panes::attachCalendar,
    &::business::attachBusiness,
    &mailpeople::attachMailPeople,
    &notespass::attachNotesPasswords,
    &finance::attachFinance,
    &attachMailActions,
    &attachTreeMoves,
    &attachMailFolders,
    &attachMailPane,
};

// A name with nothing behind it would tell the user "not available" for a part that exists:
// a debug build stops at once, a release build writes the names to the log.
void checkWiring(const RoutineTable& routines, const FormTable& forms)
{
    const QStringList missing = unattachedNames(routines, forms);
    if (missing.isEmpty())
        return;
#ifndef NDEBUG
    qFatal("Nothing is attached to: %s", qPrintable(missing.join(QLatin1String(", "))));
#else
    qWarning("Nothing is attached to: %s", qPrintable(missing.join(QLatin1String(", "))));
#endif
}

} // namespace

OrganiserWindow* W_First(int frameReceiverId, QWidget* parent)
{
    auto* assembly = new OrganiserAssembly(frameReceiverId);
    OrganiserDeps deps;
    deps.frame = &assembly->frame;
    deps.unattached = &assembly->unattached;
    deps.forms = &assembly->forms;
    deps.panes = &assembly->routines;
    deps.calendar = &assembly->calendar;
    deps.mail = &mailDesk();
    deps.contactGroups = &mailpeople::contactGroupDesk();
    static RegistryControlFactory registry; // no state: the component registry is the program's
    deps.controls = &registry;
    deps.records = &assembly->records;
    useDataLayer(deps);
    panes::GanttControl* gantt = ::panes::makeGanttControl();
    deps.gantt = gantt;

    auto* window = new OrganiserWindow(deps, parent);
    assembly->setParent(window);
    assembly->panes = attachPanes(*window);
    FeatureHost host{*window, *assembly->panes, assembly->routines, assembly->forms, *gantt};
    for (AttachFeature attach : features)
        attach(host);
    checkWiring(assembly->routines, assembly->forms);
    if (!window->open()) {
        delete window;
        return nullptr;
    }
    assembly->panes->lists().resetAll();
    return window;
}

} // namespace organiser
