#include "procedures/organiser/panes/PaneButtons.h"

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

namespace organiser {

namespace {

constexpr long kNewEvent = 9999999;

// Whether a row of `table` has `value` in the first component of `key`.
template <class Buffer>
bool anyRow(Tbl table, int key, Buffer set)
{
    vrt::FileManager& f = Access(table);
    f.clearBuffer();
    set();
    return f.TryFetch(key) == 0;
}

QDateTime dateTime(int day, int time)
{
    return QDateTime(vrt::dateFromDay(day), time ? vrt::qtimeFromTime(time) : QTime(0, 0));
}

} // namespace

int PaneButtons::before(int control)
{
    ListSet& l = *m_d.lists;
    switch (control) {
    case ctl::TaskDeleteButton:
        l.list(ctl::PZadaci).setRange(qlonglong(kNoRecord));
        l.SelectedContactID = 99999999;
        l.resetAll();
        return 0;
    case ctl::CategoryArrows: case ctl::CategoryArrows + 1:
    case ctl::CategoryArrows + 2: case ctl::CategoryArrows + 3:
        l.list(ctl::Pr).select(0);
        return 0;
    case 59: {
        const long category = m_side.financeCategoryId();
        if (category != 0 && anyRow(Tbl::PrihodiRashodiKategorija, PRK.IDKey, [&] { PRK().ID = int32_t(category); })) {
            l.RememberedRow = l.list(ctl::Pr).selected();
            return 0;
        }
        vrt::message(QStringLiteral("Odaberite kategoriju s lijeve strane !"), {}, vrt::Icon::Information);
        return 5;
    }
    case 60: case 61:
        if (!l.list(ctl::Pr).selectedId().isValid())
            return 5;
        l.RememberedRow = l.list(ctl::Pr).selected();
        return 0;
    case 67: case 68: case 69:
        l.list(ctl::PUD).setRange(qlonglong(kNoRecord));
        l.SelectedContactID = 0;
        return 0;
    case 72: case 78: {
        const bool incoming = control == 72;
        const QVariant category = l.list(incoming ? ctl::UDK : ctl::IDK).selectedId();
        if (!category.isValid())
            return 0;
        const bool used = incoming
            ? anyRow(Tbl::UDokumenti, UD.KategorijaIDKey, [&] { UD().KATEGORIJAID = category.toInt(); })
            : anyRow(Tbl::IDokumenti, ID.KategorijaIDKey, [&] { ID().KATEGORIJAID = category.toInt(); });
        // The documents and their items go with the category: No is the safe default.
        if (used
            && vrt::message(QStringLiteral("Brisanjem kategorije obrisati će se dokumenti i stavke.Želite li nastaviti?"),
                            QStringLiteral("Info"), vrt::Icon::Exclamation, vrt::BUTTON_YES | vrt::BUTTON_NO,
                            vrt::BUTTON_NO) != vrt::BUTTON_YES)
            return 5;
        return 0;
    }
    case ctl::ContactTaskDeleteButton:
        l.list(ctl::Zadaci).reset();
        l.resetAll();
        return 0;
    case ctl::ContactIncomingDeleteButton:
        l.list(ctl::UD).reset();
        l.resetAll();
        return 0;
    case ctl::ContactOutgoingChangeButton: case ctl::ContactOutgoingInsertButton: case ctl::ContactOutgoingDeleteButton:
        l.list(ctl::Stavke).reset();
        l.list(ctl::ID).reset();
        return 0;
    default: return 0;
    }
}

int PaneButtons::after(int control)
{
    static const std::map<int, Routine> routines = {
        {ctl::MailFolderArrows, Routine::MoveUpVrE},       {ctl::MailFolderArrows + 1, Routine::MoveDownVrE},
        {ctl::MailFolderArrows + 2, Routine::MoveLeftVrE},   {ctl::MailFolderArrows + 3, Routine::MoveRightVrE},
        {ctl::CategoryArrows, Routine::MoveUpVrPRK},         {ctl::CategoryArrows + 1, Routine::MoveDownVrPRK},
        {ctl::CategoryArrows + 2, Routine::MoveLeftVrPRK},   {ctl::CategoryArrows + 3, Routine::MoveRightVrPRK},
        {ctl::StateChartKind, Routine::DrawStateChart},
        {ctl::ContactGroupArrows, Routine::MoveUpVr},        {ctl::ContactGroupArrows + 1, Routine::MoveDownVr},
        {ctl::ContactGroupArrows + 2, Routine::MoveLeftVr},  {ctl::ContactGroupArrows + 3, Routine::MoveRightVr}};
    if (const auto it = routines.find(control); it != routines.end())
        return m_side.run(it->second);
    switch (control) {
    case ctl::MN_COMMAND: return m_side.dispatch();
    case ctl::MN_SEL: return m_side.tabChanged();
    case 4: return calendarHandOff();
    case 5:
        if ((CalendarMenuState == 0 || CalendarMenuState == 2) && m_d.menus) {
            m_d.menus->prepare(Popup::Calendar);
            m_side.showMenu(m_d.menus->menu(Popup::Calendar));
        }
        return 0;
    case ctl::GanttLinkMenu:
        if (m_d.menus) {
            m_d.menus->prepareLinks(PendingLinkStartType, PendingLinkEndType);
            m_side.showMenu(m_d.menus->menu(Popup::GanttLinks));
        }
        PendingLinkEdit = 0;
        return 0;
    case ctl::ContactGroupInsertButton: case ctl::ContactSubgroupInsertButton: case ctl::ContactGroupChangeButton:
    case ctl::ContactGroupDeleteButton: return groupAction(control);
    case ctl::ContactNote: return saveContactNote();
    case ctl::MailToContact: {
        OrganiserList& contacts = m_d.lists->list(ctl::Kontakti);
        const QString company = contacts.cell(QStringLiteral("CON:TEMAIL")).trimmed();
        const QString address = company.isEmpty() ? contacts.cell(QStringLiteral("CON:EMAIL")).trimmed() : company;
        if (!address.isEmpty())
            m_side.mailTo(address);
        return 0;
    }
    default: return 0;
    }
}

int PaneButtons::groupAction(int control)
{
    if (!m_d.groupCommands)
        return 0;
    m_d.groupCommands->runGroupCommand(control - 120, [this] { return m_side.selectedGroupId(); }, m_groupForm, [this] {
        m_side.refreshGroups();
        m_d.lists->resetAll();
    });
    return 0;
}

int PaneButtons::saveContactNote()
{
    ListSet& l = *m_d.lists;
    const long id = l.SelectedContactID;
    if (id == 0 || id == kNoRecord)
        return 0;
    const QString text = m_side.contactNoteText();
    vrt::FileManager& f = Access(Tbl::CON_Contacts);
    f.clearBuffer();
    CON().ID = int32_t(id);
    int rc = f.TryFetch(CON.IDKey);
    if (rc == 0) {
        CON().NAPOMENA = text.toStdString();
        rc = f.TryUpdate();
    }
    if (rc != 0) {
        vrt::stop(QStringLiteral("W_First Napomena :") + QString::number(id) + QStringLiteral(" : ") + QString::number(rc)
                  + QStringLiteral(" : ") + f.ErrorText());
        return 0;
    }
    OrganiserList& contacts = l.list(ctl::Kontakti);
    contacts.reset();
    contacts.browse().selectId(qlonglong(id));
    return 0;
}

CalendarEventFields PaneButtons::eventFromRecord() const
{
    const CAL_CalendarEvents_Rec& r = CAL();
    CalendarEventFields e;
    e.id = r.EVENTID;
    e.body = QString::fromStdString(r.BODY);
    e.location = QString::fromStdString(r.LOCATION);
    e.subject = QString::fromStdString(r.SUBJECT);
    e.label = r.LABELID;
    e.start = dateTime(r.STARTDATETIME_DATE, r.STARTDATETIME_TIME);
    e.end = dateTime(r.ENDDATETIME_DATE, r.ENDDATETIME_TIME);
    e.allDay = r.ISALLDAYEVENT != 0;
    e.reminder = r.ISREMINDER != 0;
    e.reminderMinutes = r.REMINDERMINUTESBEFORESTART;
    return e;
}

int PaneButtons::calendarHandOff()
{
    if (command == 0 || !m_d.forms)
        return 0;
    const long id = command;
    const bool remove = CalendarDeleteRequest != 0 && id != kNewEvent;
    Access(Tbl::CAL_CalendarEvents).clearBuffer();
    if (id == kNewEvent && !remove) {
        GLOBALREQUEST = 1;
        const int flag = m_d.calendar && m_d.calendar->viewType() == 3 ? 0 : 1;
        m_d.forms->F_Zadaci(id, flag, kNewEvent, std::nullopt, QString());
        if (GLOBALRESPONSE == vrt::REQUEST_COMPLETED && m_d.calendar) {
            const CalendarEventFields e = eventFromRecord();
            m_d.calendar->ensureLabel(e.label);
            m_d.calendar->addEvent(e);
            m_d.calendar->save();
            m_d.calendar->populate();
        }
    } else {
        CAL().EVENTID = int32_t(id);
        Access(Tbl::CAL_CalendarEvents).TryFetch(CAL.PK_CalendarEvents);
        GLOBALREQUEST = remove ? 3 : 2;
        m_d.forms->F_Zadaci(id, 0, kNewEvent, std::nullopt, QString());
        if (GLOBALRESPONSE == vrt::REQUEST_COMPLETED && m_d.calendar && m_d.calendar->hasEvent(id)) {
            if (remove) {
                m_d.calendar->deleteEvent(id);
            } else {
                const CalendarEventFields e = eventFromRecord();
                m_d.calendar->ensureLabel(e.label);
                m_d.calendar->changeEvent(e);
            }
            m_d.calendar->populate();
        }
    }
    command = 0;
    return 0;
}

} // namespace organiser
