#include "procedures/calendar/CalendarRoutines.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>
#include <set>

#include "controls/CalendarControl.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/calendar/CalendarForms.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/PopupMenu.h"
#include "services/QuilvoTables.h"

Q_LOGGING_CATEGORY(lcCalendar, "velmora.calendar")

namespace panes {

using controls::CalendarControl;
using controls::CalendarEvent;

CalendarSelection& calendarSelection()
{
    static CalendarSelection selection;
    return selection;
}

const std::vector<StandardCategory>& standardCategories()
{
    static const std::vector<StandardCategory> rows = {
        {1, "Važno", 8421631, 1},      {2, "Poslovno", 16744448, 2},   {3, "Privatno", 58880, 3},
        {4, "Odmor", 12632256, 4},     {5, "Obavezno", 33023, 5},      {6, "Putovanje", 16777088, 6},
        {7, "Priprema", 32896, 7},     {8, "Napomena", 16744576, 8},   {9, "Sastanak", 11186957, 9},
        {10, "Telefonski poziv", 253436, 10}, {11, "Ostalo", 16642531, 11},
        {12, "*** Sve kategorije ***", 16777215, 999999}};
    return rows;
}

bool isStandardCategory(long id, long order) { return (id > 0 && id < 13) || order == kAllCategoriesOrder; }

namespace {

QString failure(vrt::FileManager& f, int rc)
{
    return QString::number(rc) + QStringLiteral(" : ") + f.ErrorText();
}

QDateTime rowTime(int day, int time)
{
    if (day == 0)
        return {};
    return controls::wallTime(vrt::dateFromDay(day), time ? vrt::qtimeFromTime(time) : QTime(0, 0));
}

void putTime(int32_t& day, int32_t& time, const QDateTime& value)
{
    day = value.isValid() ? vrt::dayFromDate(value.date()) : 0;
    time = value.isValid() ? vrt::timeFromQTime(value.time()) : 0;
}

std::string text(const QString& s, int max) { return s.left(max).toStdString(); }

} // namespace

CalendarEvent CalendarRoutines::eventFromRow(const CAL_CalendarEvents_Rec& r)
{
    CalendarEvent e;
    e.id = r.EVENTID;
    e.subject = QString::fromStdString(r.SUBJECT);
    e.location = QString::fromStdString(r.LOCATION);
    e.body = QString::fromStdString(r.BODY);
    e.start = rowTime(r.STARTDATETIME_DATE, r.STARTDATETIME_TIME);
    e.end = rowTime(r.ENDDATETIME_DATE, r.ENDDATETIME_TIME);
    e.busyStatus = r.BUSYSTATUS;
    e.importance = r.IMPORTANCELEVEL;
    e.label = r.LABELID;
    e.scheduleId = r.SCHEDULEID;
    e.recurrencePattern = r.RECURRENCEPATTERNID;
    e.allDay = r.ISALLDAYEVENT != 0;
    e.reminder = r.ISREMINDER != 0;
    e.reminderMinutes = r.REMINDERMINUTESBEFORESTART;
    return e;
}

int CalendarRoutines::PopulateCalendar()
{
    CalendarControl* c = control();
    if (!c)
        return 0;
    controls::CalendarStore& store = c->DataProvider();
    store.RemoveAllEvents();
    // Labels are read again too, so a category's new colour or name shows at the next fill.
    store.RemoveAllLabels();
    vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
    f.clearBuffer();
    if (f.Set(CAL.PK_CalendarEvents) == 0) {
        // Every row is shown, also one without a subject or a description: hiding stored
        // records would look like lost data.
        while (f.Next() == 0) {
            const CalendarEvent e = eventFromRow(CAL());
            ProvjeriLabel(e.label);
            store.AddEvent(e);
        }
    }
    c->Populate();
    store.Save();
    calendarSelection().clear();
    return 0;
}

void CalendarRoutines::ProvjeriLabel(long label)
{
    CalendarControl* c = control();
    if (!c || label == 0 || c->DataProvider().Find(label))
        return;
    vrt::FileManager& f = Access(Tbl::ACAL_EventCategories);
    f.clearBuffer();
    ACALC().ID = int32_t(label);
    if (const int rc = f.TryFetch(ACALC.CategorieIDKey)) {
        // A category that is gone leaves its events without a colour; the events stay shown.
        qCWarning(lcCalendar).noquote() << "W_First ProvjeriLabel - Kategorija ne postoji :" << label << ":" << failure(f, rc);
        return;
    }
    c->DataProvider().AddLabel(label, controls::colourFromRgbValue(ACALC().CATEGORIECOLOR), QString::fromStdString(ACALC().CATEGORIENAME));
}

namespace {

// The names a standard category has in the translation table, in every language.
QStringList namesInEveryLanguage(const QString& source)
{
    QStringList names{source};
    const QString file = QString::fromStdString(G::QVFile);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return names;
    quilvo::TableFile table(quilvo::TableKind::Translation);
    if (table.open(file) != quilvo::ErrNone)
        return names;
    for (int column = 2; column <= quilvo::kLanguages; ++column) {
        QString value;
        if (table.findTranslation(source, column, &value, nullptr) && !value.trimmed().isEmpty())
            names << value.trimmed();
    }
    return names;
}

} // namespace

int CalendarRoutines::T_CategoriesColor()
{
    vrt::FileManager& f = Access(Tbl::ACAL_EventCategories);
    std::map<long, QString> written;
    for (const StandardCategory& s : standardCategories()) {
        f.clearBuffer();
        ACALC().ID = s.id;
        const bool found = f.TryFetch(ACALC.CategorieIDKey) == 0;
        ACALC().ID = s.id;
        // A standard name follows the language; a name the user gave a category is kept.
        const QString source = QString::fromUtf8(s.name), stored = QString::fromStdString(ACALC().CATEGORIENAME).trimmed();
        const bool renamed = found && s.order != kAllCategoriesOrder && !stored.isEmpty() && stored != tr(source)
                             && !namesInEveryLanguage(source).contains(stored);
        if (!renamed)
            ACALC().CATEGORIENAME = text(tr(source), 99);
        ACALC().CATEGORIECOLOR = int32_t(s.colour);
        if (!found)
            ACALC().ORDER = s.order;
        if (const int rc = found ? f.TryUpdate() : f.TryInsert()) {
            vrt::stop(QString::fromLatin1(found ? "T_CategoriesColor PUT :" : "T_CategoriesColor ADD :") + QString::number(s.id)
                      + QStringLiteral(" : ") + failure(f, rc));
            return 1;
        }
        written[s.id] = QString::fromStdString(ACALC().CATEGORIENAME);
    }
    // The calendar shows the standard colours from now on.
    if (CalendarControl* c = control())
        for (const StandardCategory& s : standardCategories())
            if (c->DataProvider().Find(s.id))
                c->DataProvider().AddLabel(s.id, controls::colourFromRgbValue(s.colour), written[s.id]);
    return 0;
}

int CalendarRoutines::S_CalendarEvents(const QString& name, long eventId)
{
    CalendarControl* c = control();
    if (!c)
        return 0;
    auto hitEvent = [c]() -> long {
        const controls::CalendarHit hit = c->HitTest();
        const bool onEvent = hit.kind == controls::CalendarHit::Event || hit.kind == controls::CalendarHit::EventTop
                             || hit.kind == controls::CalendarHit::EventBottom;
        return onEvent ? hit.eventId : kNoEvent;
    };
    if (name == QLatin1String("DblClick") || name == QLatin1String("NewEventTyped")) {
        // Typing on a selected time asks for a new event as a double click on it does.
        if (m_d.deleteFlag)
            *m_d.deleteFlag = 0;
        if (m_d.pendingCommand)
            *m_d.pendingCommand = name == QLatin1String("DblClick") ? hitEvent() : kNoEvent;
        m_side.postAccepted(4);
    } else if (name == QLatin1String("ContextMenu")) {
        if (m_d.deleteFlag)
            *m_d.deleteFlag = 0;
        const long id = hitEvent();
        if (m_d.pendingCommand)
            *m_d.pendingCommand = id;
        if (m_d.menuMode)
            *m_d.menuMode = id == kNoEvent ? 0 : 2;
        m_side.postAccepted(5);
    } else if (name == QLatin1String("EventAddedEx")) {
        return StoreAddedEvent(eventId);
    } else if (name == QLatin1String("EventChangedEx")) {
        writeBackChange(eventId);
    } else if (name == QLatin1String("DeleteRequested")) {
        // As the popup menu's delete: the task form asks for the confirmation.
        if (eventId > 0) {
            if (m_d.pendingCommand)
                *m_d.pendingCommand = eventId;
            if (m_d.deleteFlag)
                *m_d.deleteFlag = 1;
            m_side.postAccepted(4);
        }
    } else if (name == QLatin1String("ViewChanged")) {
        if (m_d.menuMode)
            *m_d.menuMode = 1;
    } else if (name == QLatin1String("SelectionChanged")) {
        if (c->selectionValid()) {
            calendarSelection().start = c->selectionBegin();
            calendarSelection().end = c->selectionEnd();
        }
    }
    return 0;
}

int CalendarRoutines::StoreAddedEvent(long tempId)
{
    if (tempId > 0)
        return 0; // the window adds stored rows under their own identifiers
    if (!m_d.askPartnerLater)
        return storeWithPartner(tempId, m_side.pickPartner());
    if (CalendarControl* c = control())
        QTimer::singleShot(0, c, [this, tempId] { storeWithPartner(tempId, m_side.pickPartner()); });
    return 0;
}

int CalendarRoutines::storeWithPartner(long tempId, std::optional<long> partner)
{
    CalendarControl* c = control();
    const CalendarEvent* e = c ? c->DataProvider().GetEvent(tempId) : nullptr;
    if (!e)
        return 0;
    if (!partner || *partner == 0) {
        vrt::message(tr(QStringLiteral("Task nema dodjeljenog partnera!")), tr(QStringLiteral("Greška")), vrt::Icon::Question);
        return DropControlEvent(tempId);
    }
    vrt::FileManager& f = Access(Tbl::ACAL_CalendarEvents);
    f.clearBuffer();
    CAL_CalendarEvents_Rec& r = ACAL();
    r.EVENTID = 0; // the table numbers it, and never gives a number twice
    calendarSelection().start = e->start;
    calendarSelection().end = e->end;
    putTime(r.STARTDATETIME_DATE, r.STARTDATETIME_TIME, e->start);
    putTime(r.ENDDATETIME_DATE, r.ENDDATETIME_TIME, e->end);
    r.SUBJECT = text(e->subject, 255);
    r.LOCATION = text(e->location, 255);
    r.BODY = text(e->body, 7999);
    r.BUSYSTATUS = e->busyStatus;
    r.IMPORTANCELEVEL = e->importance;
    r.LABELID = int32_t(e->label);
    r.SCHEDULEID = int32_t(e->scheduleId);
    r.RECURRENCEPATTERNID = int32_t(e->recurrencePattern);
    r.ISALLDAYEVENT = e->allDay;
    r.ISREMINDER = 0;
    r.REMINDERMINUTESBEFORESTART = 0;
    r.PARTNERID = int32_t(*partner);
    r.STATUS = 0;
    if (const int rc = f.TryInsert()) {
        vrt::stop(QStringLiteral("CopyEvent (1):") + QString::number(tempId) + QStringLiteral(" : ") + failure(f, rc));
        return DropControlEvent(tempId);
    }
    ReplaceControlEvent(tempId);
    return 0;
}

void CalendarRoutines::ReplaceControlEvent(long tempId)
{
    CalendarControl* c = control();
    if (!c || !c->DataProvider().GetEvent(tempId))
        return;
    c->DataProvider().DeleteEvent(tempId);
    CalendarEvent e = eventFromRow(ACAL());
    ProvjeriLabel(e.label);
    c->DataProvider().AddEvent(e);
    c->Populate();
    c->DataProvider().Save();
}

int CalendarRoutines::DropControlEvent(long tempId)
{
    if (CalendarControl* c = control()) {
        if (c->DataProvider().DeleteEvent(tempId))
            c->Populate();
    }
    return 1;
}

void CalendarRoutines::writeBackChange(long eventId)
{
    CalendarControl* c = control();
    const CalendarEvent* e = c ? c->DataProvider().GetEvent(eventId) : nullptr;
    if (!e || eventId <= 0)
        return; // an event not stored yet is stored with its partner, times and all
    vrt::FileManager& f = Access(Tbl::ACAL_CalendarEvents);
    f.clearBuffer();
    ACAL().EVENTID = int32_t(eventId);
    if (const int rc = f.TryFetch(ACAL.PK_CalendarEvents)) {
        vrt::stop(QStringLiteral("W_First EventAddedEx ") + QString::number(eventId) + QStringLiteral(" : ") + failure(f, rc));
        return;
    }
    CAL_CalendarEvents_Rec& r = ACAL();
    calendarSelection().start = e->start;
    calendarSelection().end = e->end;
    putTime(r.STARTDATETIME_DATE, r.STARTDATETIME_TIME, e->start);
    putTime(r.ENDDATETIME_DATE, r.ENDDATETIME_TIME, e->end);
    r.SUBJECT = text(e->subject, 255);
    r.LOCATION = text(e->location, 255);
    r.BODY = text(e->body, 7999);
    r.ISREMINDER = e->reminder;
    r.REMINDERMINUTESBEFORESTART = e->reminderMinutes;
    if (const int rc = f.TryUpdate())
        vrt::stop(QStringLiteral("W_First OLE ACAL_CalendarEvents PUT :") + failure(f, rc));
}

// ---- link ----------------------------------------------------------------------------------

void CalendarLink::printPreview(int)
{
    if (CalendarControl* c = control())
        c->printPreview(m_routines->tr(QStringLiteral("Kalendar")));
}

int CalendarLink::viewType()
{
    CalendarControl* c = control();
    return c ? c->ViewType() : controls::FullWeekView;
}

bool CalendarLink::hasEvent(long id)
{
    CalendarControl* c = control();
    return c && c->DataProvider().GetEvent(id);
}

void CalendarLink::put(const organiser::CalendarEventFields& f)
{
    CalendarControl* c = control();
    if (!c)
        return;
    // The row the form stored, with every column the component shows.
    CalendarEvent e = CalendarRoutines::eventFromRow(CAL());
    if (e.id != f.id)
        e = c->DataProvider().CreateEventEx(f.id);
    e.subject = f.subject;
    e.location = f.location;
    e.body = f.body;
    e.label = f.label;
    e.start = f.start;
    e.end = f.end;
    e.allDay = f.allDay;
    e.reminder = f.reminder;
    e.reminderMinutes = f.reminderMinutes;
    c->DataProvider().AddEvent(e);
}

void CalendarLink::addEvent(const organiser::CalendarEventFields& event) { put(event); }
void CalendarLink::changeEvent(const organiser::CalendarEventFields& event) { put(event); }

void CalendarLink::deleteEvent(long id)
{
    if (CalendarControl* c = control())
        c->DataProvider().DeleteEvent(id);
}

void CalendarLink::save()
{
    if (CalendarControl* c = control())
        c->DataProvider().Save();
}

void CalendarLink::populate()
{
    if (CalendarControl* c = control())
        c->Populate();
}

void CalendarLink::ensureLabel(long label)
{
    if (m_routines)
        m_routines->ProvjeriLabel(label);
}

namespace {
// The organiser window that hosts the component.
class WindowCalendarSide : public CalendarSide {
public:
    explicit WindowCalendarSide(organiser::OrganiserWindow& window) : m_window(window) {}
    CalendarControl* control() override { return qobject_cast<CalendarControl*>(m_window.hosted().calendar); }
    QString translate(const QString& text) override { return m_window.translated(text); }
    std::optional<long> pickPartner() override { return mailpeople::pickContact(&m_window, 0); }
    void postAccepted(int control) override { m_window.manager().postAccepted(control); }

private:
    organiser::OrganiserWindow& m_window;
};
} // namespace

CalendarLink* makeCalendarLink() { return new CalendarLink(nullptr); }

void attachCalendar(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    CalendarLink& link = *makeCalendarLink();
    link.setParent(&window);
    organiser::PaneButtons& buttons = panes.buttons();
    CalendarRoutineDeps d;
    d.pendingCommand = &buttons.command;
    d.menuMode = &buttons.CalendarMenuState;
    d.deleteFlag = &buttons.CalendarDeleteRequest;
    CalendarRoutines* routines = link.setRoutines(std::make_unique<WindowCalendarSide>(window), d);
    buttons.setCalendar(&link);

    host.routines.attach(organiser::Routine::PopulateCalendar, [routines, &window] {
        // The component's set-up at its first filling: its events and its captions.
        if (CalendarControl* c = routines->control(); c && !c->eventProcedure) {
            c->eventProcedure = [routines](const QString& name, long id) { return routines->S_CalendarEvents(name, id); };
            c->translate([&window](const QString& t) { return window.translated(t); });
            // The standard categories exist before anything can be filed under them.
            if (const int failed = routines->T_CategoriesColor())
                return failed;
        }
        return routines->PopulateCalendar();
    });
    host.routines.attach(organiser::Routine::T_CategoriesColor, [routines] { return routines->T_CategoriesColor(); });
    host.routines.attach(organiser::Routine::CalendarPrintPreview, [&link] {
        link.printPreview(0);
        return 0;
    });

    // The popup menu's insert, change and delete go to the task form through control 4.
    vrt::PopupMenu& menu = panes.menus().menu(organiser::Popup::Calendar);
    auto request = [&window, &buttons](bool insert, int del) {
        return [&window, &buttons, insert, del] {
            if (insert)
                buttons.command = kNoEvent;
            if (del && buttons.command == kNoEvent) {
                vrt::message(window.translated(QStringLiteral("Odaberite zadatak u kalendaru.")), {}, vrt::Icon::Information);
                return;
            }
            buttons.CalendarDeleteRequest = del;
            window.manager().postAccepted(4);
        };
    };
    for (const vrt::PopupMenu::Item& i : menu.items()) {
        if (i.text == QLatin1String("Unos novog zadatka"))
            menu.item(i.id)->action = request(true, 0);
        else if (i.text == QLatin1String("Izmjena"))
            menu.item(i.id)->action = request(false, 0);
        else if (i.text == QLatin1String("Brisanje"))
            menu.item(i.id)->action = request(false, 1);
    }
    // The same requests by name, for the entries that ask for them so.
    host.routines.attach(organiser::Routine::CalendarEditEvent, [edit = request(false, 0)] {
        edit();
        return 0;
    });
    host.routines.attach(organiser::Routine::CalendarDeleteEvent, [remove = request(false, 1)] {
        remove();
        return 0;
    });

    mailpeople::attachCalendarForms(host);
}

} // namespace panes
