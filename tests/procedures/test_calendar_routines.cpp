// The calendar's routines and forms over a real database: loading the component, the events
// the component reports written back, the standard categories and their protection, the task
// form's times and its save, and the task report's PDF.
#include <gtest/gtest.h>

#include <QScopeGuard>

#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>

#include "controls/CalendarControl.h"
#include "procedures/calendar/CalendarForms.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/calendar/TaskRules.h"
#include "procedures/calendar/CalendarRoutines.h"
#include "runtime/DateTime.h"
#include "runtime/Report.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"

using controls::CalendarControl;
using controls::CalendarEvent;
using namespace panes;

namespace {

const QDate kDay(2026, 3, 10);

class CalendarData : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        calendarSelection().clear();
        control = std::make_unique<CalendarControl>();
        control->resize(900, 600);
        CalendarRoutineDeps d;
        d.pendingCommand = &pending;
        d.menuMode = &menuMode;
        d.deleteFlag = &deleteFlag;
        d.askPartnerLater = false;
        routines = std::make_unique<CalendarRoutines>(side, d);
    }
    void TearDown() override
    {
        routines.reset();
        control.reset();
        OrganiserListsTest::TearDown();
    }

    long addCategory(long id, const char* name, long colour, long order = 0)
    {
        Access(Tbl::CAL_EventCategories).clearBuffer();
        CALC().ID = int32_t(id);
        CALC().CATEGORIENAME = name;
        CALC().CATEGORIECOLOR = int32_t(colour);
        CALC().ORDER = int32_t(order);
        EXPECT_EQ(Access(Tbl::CAL_EventCategories).TryInsert(), 0);
        return CALC().ID;
    }
    long addContact(const char* surname, const char* name, const char* company)
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = surname;
        CON().IME = name;
        CON().TVRTKA = company;
        EXPECT_EQ(Access(Tbl::CON_Contacts).TryInsert(), 0);
        return CON().ID;
    }
    long addEvent(const char* subject, const char* body, long label, QDateTime start, int minutes, long partner = 0)
    {
        vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
        f.clearBuffer();
        CAL().SUBJECT = subject;
        CAL().BODY = body;
        CAL().LOCATION = "Ured";
        CAL().LABELID = int32_t(label);
        CAL().PARTNERID = int32_t(partner);
        CAL().STATUS = 1;
        CAL().IMPORTANCELEVEL = 2;
        CAL().BUSYSTATUS = 2;
        CAL().ISALLDAYEVENT = 0;
        CAL().STARTDATETIME_DATE = vrt::dayFromDate(start.date());
        CAL().STARTDATETIME_TIME = vrt::timeFromQTime(start.time());
        const QDateTime end = start.addSecs(minutes * 60);
        CAL().ENDDATETIME_DATE = vrt::dayFromDate(end.date());
        CAL().ENDDATETIME_TIME = vrt::timeFromQTime(end.time());
        EXPECT_EQ(f.TryInsert(), 0);
        return CAL().EVENTID;
    }
    // One row as "column=value" texts, for comparing before and after.
    std::map<std::string, std::string> row(long id)
    {
        std::map<std::string, std::string> out;
        for (const char* c : {"PARTNERID", "STATUS", "STARTDATETIME", "ENDDATETIME", "SUBJECT", "LOCATION", "BODY", "BUSYSTATUS",
                              "IMPORTANCELEVEL", "LABELID", "SCHEDULEID", "RECURRENCEPATTERNID", "ISALLDAYEVENT", "ISREMINDER",
                              "REMINDERMINUTESBEFORESTART"}) {
            const auto v = query(std::string("SELECT \"") + c + "\" FROM \"CAL_CalendarEvents\" WHERE \"EVENTID\" = " + std::to_string(id));
            out[c] = v.empty() ? "<none>" : v[0];
        }
        return out;
    }

    // The routines' window: the fixture's component, the partner it is told to pick, the
    // controls posted to.
    struct Side : CalendarSide {
        explicit Side(CalendarData& f) : f(f) {}
        CalendarData& f;
        CalendarControl* control() override { return f.control.get(); }
        QString translate(const QString& text) override { return text; }
        std::optional<long> pickPartner() override { return f.picked; }
        void postAccepted(int c) override { f.posted.push_back(c); }
    };

    std::unique_ptr<CalendarControl> control;
    Side side{*this};
    std::unique_ptr<CalendarRoutines> routines;
    std::optional<long> picked;
    std::vector<int> posted;
    long pending = 0;
    int menuMode = 1, deleteFlag = 7;
};

} // namespace

TEST_F(CalendarData, LoadShowsEveryRowWithItsLabelAndKeepsGoingPastAMissingCategory)
{
    const long work = addCategory(13, "Posao", 255);
    const long plain = addEvent("Sastanak", "Dnevni red", work, QDateTime(kDay, QTime(9, 0)), 60);
    const long noBody = addEvent("Bez opisa", "", work, QDateTime(kDay, QTime(11, 0)), 30);
    const long noSubject = addEvent("", "Samo opis", work, QDateTime(kDay, QTime(12, 0)), 30);
    const long lostCategory = addEvent("Izgubljena kategorija", "x", 77, QDateTime(kDay, QTime(13, 0)), 30);
    calendarSelection().start = QDateTime(kDay, QTime(8, 0));

    EXPECT_EQ(routines->PopulateCalendar(), 0);
    const controls::CalendarStore& store = control->DataProvider();
    EXPECT_EQ(store.count(), 4);
    for (long id : {plain, noBody, noSubject, lostCategory})
        EXPECT_TRUE(store.GetEvent(id)) << id;
    const CalendarEvent* e = store.GetEvent(plain);
    EXPECT_EQ(e->subject, "Sastanak");
    EXPECT_EQ(e->body, "Dnevni red");
    EXPECT_EQ(e->location, "Ured"); // a reload keeps what the form showed
    EXPECT_EQ(e->start, controls::wallTime(kDay, QTime(9, 0)));
    EXPECT_EQ(e->end, controls::wallTime(kDay, QTime(10, 0)));
    ASSERT_TRUE(store.label(work));
    EXPECT_EQ(store.label(work)->colour, QColor(255, 0, 0));
    EXPECT_EQ(store.label(work)->name, "Posao");
    EXPECT_FALSE(store.Find(77));
    EXPECT_TRUE(testsupport::presenter().calls("stop").empty());
    EXPECT_EQ(store.saves(), 1);
    EXPECT_FALSE(calendarSelection().start.isValid());

    // A category given another colour shows it at the next fill.
    ASSERT_EQ(Access(Tbl::CAL_EventCategories).ExecSql("UPDATE \"CAL_EventCategories\" SET \"CATEGORIECOLOR\" = 65280 WHERE \"ID\" = 13"), 0);
    EXPECT_EQ(routines->PopulateCalendar(), 0);
    EXPECT_EQ(store.label(work)->colour, QColor(0, 255, 0));

    // An empty table: an empty calendar, still shown and saved.
    ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).ExecSql("DELETE FROM \"CAL_CalendarEvents\""), 0);
    EXPECT_EQ(routines->PopulateCalendar(), 0);
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(store.saves(), 3);
}

// An event the user made in the component: stored with the chosen partner under a number the
// table gives (never one used before), or dropped when no partner is chosen.
TEST_F(CalendarData, AddedEventIsStoredWithItsPartnerOrDropped)
{
    const long partner = addContact("Horvat", "Ana", "Velmora d.o.o.");
    struct Case {
        const char* name;
        int rowsBefore;         // rows added first
        bool deleteLast;        // and the last of them deleted again
        std::optional<long> pick;
        bool stored;
    };
    const Case cases[] = {
        {"empty table", 0, false, partner, true},
        {"after two rows", 2, false, partner, true},
        {"after the last row was deleted", 2, true, partner, true},
        {"picker cancelled", 1, false, std::nullopt, false},
        {"nobody picked", 1, false, 0L, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).ExecSql("DELETE FROM \"CAL_CalendarEvents\""), 0);
        long highest = std::stol(query("SELECT COALESCE(MAX(seq), 0) FROM sqlite_sequence WHERE name = 'CAL_CalendarEvents'").at(0));
        for (int i = 0; i < c.rowsBefore; ++i)
            highest = addEvent("Postojeći", "x", 0, QDateTime(kDay, QTime(8, 0)), 30);
        if (c.deleteLast) {
            ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).ExecSql("DELETE FROM \"CAL_CalendarEvents\" WHERE \"EVENTID\" = " + std::to_string(highest)), 0);
        }
        routines->PopulateCalendar();
        const int rows = count("CAL_CalendarEvents");
        testsupport::presenter().clear();

        CalendarEvent e = control->DataProvider().CreateEventEx(control->DataProvider().newUserId());
        e.subject = "Novi";
        e.body = "Opis";
        e.location = "Zagreb";
        e.start = QDateTime(kDay, QTime(15, 0));
        e.end = QDateTime(kDay, QTime(16, 30));
        e.label = 3;
        e.importance = 2;
        e.allDay = false;
        e.reminder = true;
        control->DataProvider().AddEvent(e);
        picked = c.pick;
        const int result = routines->S_CalendarEvents("EventAddedEx", e.id);

        EXPECT_FALSE(control->DataProvider().GetEvent(e.id)) << "the component's own copy goes either way";
        if (c.stored) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(count("CAL_CalendarEvents"), rows + 1);
            const long id = std::stol(query("SELECT MAX(\"EVENTID\") FROM \"CAL_CalendarEvents\"").at(0));
            EXPECT_EQ(id, highest + 1) << "a deleted row's number is never given again";
            const auto r = row(id);
            EXPECT_EQ(r.at("SUBJECT"), "Novi");
            EXPECT_EQ(r.at("LOCATION"), "Zagreb");
            EXPECT_EQ(r.at("PARTNERID"), std::to_string(partner));
            EXPECT_EQ(r.at("LABELID"), "3");
            EXPECT_EQ(r.at("IMPORTANCELEVEL"), "2");
            EXPECT_EQ(r.at("STATUS"), "0");
            EXPECT_EQ(r.at("ISREMINDER"), "0");
            ASSERT_TRUE(control->DataProvider().GetEvent(id));
            EXPECT_EQ(control->DataProvider().GetEvent(id)->start, controls::asWallTime(e.start));
            EXPECT_EQ(control->DataProvider().GetEvent(id)->end, controls::asWallTime(e.end));
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(count("CAL_CalendarEvents"), rows);
            const auto messages = testsupport::presenter().calls("message");
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, "Task nema dodjeljenog partnera!");
            EXPECT_EQ(messages[0].caption, "Greška");
        }
    }
    // An event the component reports with a positive identifier already has its row.
    const int rows = count("CAL_CalendarEvents");
    CalendarEvent known = control->DataProvider().CreateEventEx(4242);
    control->DataProvider().AddEvent(known);
    EXPECT_EQ(routines->S_CalendarEvents("EventAddedEx", 4242), 0);
    EXPECT_EQ(count("CAL_CalendarEvents"), rows);
}

// A change made in the component writes back its times, texts and reminder; every other
// column stays as it was.
TEST_F(CalendarData, ChangedEventWritesBackOnlyItsTimesTextsAndReminder)
{
    const long partner = addContact("Kovač", "Ivo", "");
    const long id = addEvent("Staro", "Stari opis", 2, QDateTime(kDay, QTime(9, 0)), 60, partner);
    routines->PopulateCalendar();
    const auto before = row(id);
    CalendarEvent* e = control->DataProvider().GetEvent(id);
    ASSERT_TRUE(e);
    e->start = QDateTime(kDay.addDays(1), QTime(14, 30));
    e->end = QDateTime(kDay.addDays(2), QTime(0, 15)); // over midnight: the end on the next day
    e->subject = "Novo";
    e->location = "Split";
    e->body = "Novi opis";
    e->reminder = true;
    e->reminderMinutes = 15;
    e->label = 9;
    e->importance = 0;
    e->busyStatus = 0;
    e->allDay = true;
    routines->S_CalendarEvents("EventChangedEx", id);
    const auto after = row(id);
    const std::set<std::string> changed = {"STARTDATETIME", "ENDDATETIME", "SUBJECT", "LOCATION", "BODY", "ISREMINDER",
                                           "REMINDERMINUTESBEFORESTART"};
    for (const auto& [column, value] : before) {
        if (changed.count(column))
            EXPECT_NE(after.at(column), value) << column;
        else
            EXPECT_EQ(after.at(column), value) << column;
    }
    EXPECT_EQ(after.at("STARTDATETIME").substr(0, 16), "2026-03-11 14:30");
    EXPECT_EQ(after.at("ENDDATETIME").substr(0, 16), "2026-03-12 00:15");
    EXPECT_EQ(after.at("REMINDERMINUTESBEFORESTART"), "15");
}

// Double-click and right-click tell the window what was hit; a view change keeps the next
// right-click's menu away.
TEST_F(CalendarData, ClicksSetThePendingEventAndTheMenuMode)
{
    const long id = addEvent("Klik", "x", 0, QDateTime(kDay, QTime(10, 0)), 60);
    control->show();
    control->goToDate(kDay);
    control->geometry().setFirstHour(8);
    routines->PopulateCalendar();
    control->eventProcedure = [this](const QString& name, long eventId) { return routines->S_CalendarEvents(name, eventId); };
    QRectF onEvent;
    for (const auto& p : control->placed())
        if (p.id == id)
            onEvent = p.rect;
    ASSERT_FALSE(onEvent.isEmpty());
    const QPoint free = (onEvent.center() + QPointF(0, 200)).toPoint();

    struct Case {
        const char* name;
        QPoint at;
        bool rightClick;
        long pending;
        int menuMode;
        int post;
    };
    const Case cases[] = {
        {"double-click on free space", free, false, kNoEvent, 1, 4},
        {"double-click on the event", onEvent.center().toPoint(), false, id, 1, 4},
        {"right-click on free space", free, true, kNoEvent, 0, 5},
        {"right-click on the event", onEvent.center().toPoint(), true, id, 2, 5},
    };
    for (const Case& c : cases) {
        posted.clear();
        deleteFlag = 7;
        menuMode = 1;
        if (c.rightClick) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, c.at, control->canvas()->mapToGlobal(c.at));
            QApplication::sendEvent(control->canvas(), &event);
        } else {
            QTest::mouseDClick(control->canvas(), Qt::LeftButton, {}, c.at);
        }
        EXPECT_EQ(pending, c.pending) << c.name;
        EXPECT_EQ(menuMode, c.menuMode) << c.name;
        EXPECT_EQ(deleteFlag, 0) << c.name;
        EXPECT_EQ(posted, std::vector<int>{c.post}) << c.name;
    }
    control->setViewType(controls::MonthView);
    EXPECT_EQ(menuMode, 1);

    // A selection is kept as values for the task form.
    control->setViewType(controls::DayView);
    control->setSelection(QDateTime(kDay, QTime(13, 0)), QDateTime(kDay, QTime(14, 0)));
    routines->S_CalendarEvents("SelectionChanged", 0);
    EXPECT_EQ(calendarSelection().start, controls::wallTime(kDay, QTime(13, 0)));
    EXPECT_EQ(calendarSelection().end, controls::wallTime(kDay, QTime(14, 0)));
}

TEST_F(CalendarData, StandardCategoriesAreRestoredAndOthersLeftAlone)
{
    addCategory(3, "Moje", 255, 7);       // renamed and recoloured, renumbered to 7
    addCategory(13, "Vlastita", 4242, 12); // a user's own
    ASSERT_EQ(routines->T_CategoriesColor(), 0);
    const auto rows = query("SELECT \"ID\" || '|' || \"CATEGORIENAME\" || '|' || \"CATEGORIECOLOR\" || '|' || \"ORDER\" "
                            "FROM \"CAL_EventCategories\" ORDER BY \"ID\"");
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0], "1|Važno|8421631|1");
    EXPECT_EQ(rows[2], "3|Moje|58880|7"); // the user's name and order kept, the colour back
    EXPECT_EQ(rows[9], "10|Telefonski poziv|253436|10");
    EXPECT_EQ(rows[11], "12|*** Sve kategorije ***|16777215|999999");
    EXPECT_EQ(rows[12], "13|Vlastita|4242|12");

    // In English the standard names follow the language; back in Croatian they return (the
    // shipped table knows every language's name).
    const std::string table = G::QVFile;
    G::QVFile = (testsupport::binDir() + QStringLiteral("/Velmora.qvl")).toStdString();
    const auto restore = qScopeGuard([&] { G::QVFile = table; });
    struct English : CalendarSide {
        CalendarControl* control() override { return nullptr; }
        QString translate(const QString& t) override { return t == QStringLiteral("Važno") ? QStringLiteral("Important") : t; }
        std::optional<long> pickPartner() override { return std::nullopt; }
        void postAccepted(int) override {}
    } side;
    CalendarRoutines english(side);
    ASSERT_EQ(english.T_CategoriesColor(), 0);
    EXPECT_EQ(query("SELECT \"CATEGORIENAME\" FROM \"CAL_EventCategories\" WHERE \"ID\" = 1").at(0), "Important");
    ASSERT_EQ(routines->T_CategoriesColor(), 0);
    EXPECT_EQ(query("SELECT \"CATEGORIENAME\" FROM \"CAL_EventCategories\" WHERE \"ID\" = 1").at(0), "Važno");
}

TEST(CategoryRules, RefusalsAndRenumbering)
{
    struct Case {
        int request;
        long id, order;
        bool used;
        const char* refusal;
    };
    const Case cases[] = {
        {3, 5, 5, false, "Standardne kategorije se ne mogu brisati !"},
        {3, 12, 999999, false, "Standardne kategorije se ne mogu brisati !"},
        {3, 13, 12, true, "Kategorija se koristi u zadacima !"},
        {3, 14, 13, false, ""},
        {2, 12, 999999, false, "Standardne kategorije se ne mogu mijenjati !"},
        {2, 5, 5, false, ""}, // renamed, its colour kept
        {2, 13, 12, true, ""},
        {1, 0, 0, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mailpeople::categoryRefusal(c.request, c.id, c.order, c.used), QString::fromUtf8(c.refusal))
            << c.request << " " << c.id;

    std::vector<mailpeople::CategoryOrder> current;
    for (long id = 12; id >= 1; --id)
        current.push_back({id, id == 12 ? 999999 : 20 - id});
    long newOrder = 0;
    const auto out = mailpeople::renumberedOrders(current, &newOrder);
    for (const auto& c : out)
        EXPECT_EQ(c.order, c.id == 12 ? 999999 : c.id);
    EXPECT_EQ(newOrder, 12);
}

TEST(TaskTimes, NewTaskTimesFromTheSelectionOrNow)
{
    const QDateTime now(kDay, QTime(10, 17, 42));
    const QDateTime late(kDay, QTime(23, 45, 3));
    struct Case {
        const char* name;
        QDateTime selStart, selEnd;
        bool takeTimes;
        QDateTime clock;
        QDateTime start, end;
    };
    const Case cases[] = {
        {"selection with times", QDateTime(kDay, QTime(14, 0)), QDateTime(kDay, QTime(15, 30)), true, now,
         QDateTime(kDay, QTime(14, 0)), QDateTime(kDay, QTime(15, 30))},
        {"month view: the day, the current time", QDateTime(kDay, QTime(0, 0)), QDateTime(kDay.addDays(1), QTime(0, 0)), false, now,
         QDateTime(kDay, QTime(10, 17)), QDateTime(kDay, QTime(10, 47))},
        {"month view over three days", QDateTime(kDay, QTime(0, 0)), QDateTime(kDay.addDays(3), QTime(0, 0)), false, now,
         QDateTime(kDay, QTime(10, 17)), QDateTime(kDay.addDays(2), QTime(10, 47))},
        {"no selection", {}, {}, true, now, QDateTime(kDay, QTime(10, 17)), QDateTime(kDay, QTime(10, 47))},
        {"no selection, late: the end on the next day", {}, {}, false, late, QDateTime(kDay, QTime(23, 45)),
         QDateTime(kDay.addDays(1), QTime(0, 15))},
        {"month view, late", QDateTime(kDay, QTime(0, 0)), QDateTime(kDay.addDays(1), QTime(0, 0)), false, late,
         QDateTime(kDay, QTime(23, 45)), QDateTime(kDay.addDays(1), QTime(0, 15))},
    };
    for (const Case& c : cases) {
        const mailpeople::TaskTimes t = mailpeople::newTaskTimes(c.selStart, c.selEnd, c.takeTimes, c.clock);
        EXPECT_EQ(t.start, c.start) << c.name;
        EXPECT_EQ(t.end, c.end) << c.name;
        EXPECT_TRUE(mailpeople::timesInOrder(t)) << c.name;
    }
    EXPECT_FALSE(mailpeople::timesInOrder({QDateTime(kDay, QTime(10, 0)), QDateTime(kDay, QTime(9, 59))}));
    EXPECT_EQ(mailpeople::newTaskCategory(12), 0);
    EXPECT_EQ(mailpeople::newTaskCategory(std::nullopt), 0);
    EXPECT_EQ(mailpeople::newTaskCategory(5), 5);
    EXPECT_EQ(mailpeople::taskBodyFromText(QStringLiteral("Pozdrav\n \t ")), QStringLiteral("Pozdrav"));
}

// The task form, run as its callers run it; a test hand fills it in and presses its buttons.
TEST_F(CalendarData, TaskFormInsertsWithTheCallersDefaultsAndRefusesAnEndBeforeTheStart)
{
    const long partner = addContact("Babić", "Maja", "Obrt Maja");
    addCategory(5, "Obavezno", 33023, 5);
    calendarSelection().start = QDateTime(kDay, QTime(14, 0));
    calendarSelection().end = QDateTime(kDay, QTime(15, 0));

    int step = 0;
    QStringList seen;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        seen << form->startDate()->date().toString(Qt::ISODate) + " " + form->startTime()->time().toString("HH:mm") + "-"
                    + form->endTime()->time().toString("HH:mm");
        seen << form->partnerName()->text() << form->categoryName()->text() << form->body()->toPlainText();
        form->subject()->setText(QStringLiteral("Poziv"));
        form->body()->clear();
        // An end before the start is refused and the form stays.
        form->endDate()->setDate(kDay.addDays(-1));
        form->accept();
        EXPECT_FALSE(form->result() == QDialog::Accepted);
        ++step;
        form->endDate()->setDate(kDay);
        form->accept();
        return form->result();
    });
    GLOBALREQUEST = 1;
    mailpeople::TaskFormArgs args;
    args.flag = 1;
    args.partnerId = partner;
    args.categoryId = 5;
    args.text = QStringLiteral("Iz pošte   \n");
    mailpeople::F_Zadaci(nullptr, args, {}, m_folder->path());
    EXPECT_EQ(step, 1);
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0], "2026-03-10 14:00-15:00");
    EXPECT_EQ(seen[1], "Babić Maja");
    EXPECT_EQ(seen[2], "Obavezno");
    EXPECT_EQ(seen[3], "Iz pošte");
    const auto messages = testsupport::presenter().calls("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Završetak ne može biti prije početka."));
    const long id = CAL().EVENTID;
    const auto r = row(id);
    EXPECT_EQ(r.at("SUBJECT"), "Poziv");
    EXPECT_EQ(r.at("BODY"), "Poziv"); // an empty description takes the subject
    EXPECT_EQ(r.at("PARTNERID"), std::to_string(partner));
    EXPECT_EQ(r.at("LABELID"), "5");
    EXPECT_EQ(r.at("STARTDATETIME").substr(0, 16), "2026-03-10 14:00");

    // From the calendar: category 12 is no category, partner 9999999 is none. No picker covers
    // the form as it opens, and neither number shows. A partner number that names no contact
    // is asked for again on OK (cancelled: the form stays); an empty entry stores no partner.
    int asked = 0;
    QStringList shown;
    bool stayed = false;
    testsupport::ScopedDialogRunner second([&](QDialog& dialog) {
        if (qobject_cast<mailpeople::ContactsBrowse*>(&dialog)) { // the contact picker, cancelled
            ++asked;
            return int(QDialog::Rejected);
        }
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        QApplication::processEvents();
        shown << form->partner()->text() << form->partnerName()->text() << form->findChild<QLineEdit*>("LABELID")->text()
              << form->categoryName()->text();
        form->subject()->setText(QStringLiteral("Bez partnera"));
        form->partner()->setText(QStringLiteral("9999999"));
        form->accept();
        stayed = form->result() != QDialog::Accepted;
        form->partner()->clear();
        form->accept();
        return form->result();
    });
    GLOBALREQUEST = 1;
    args = {};
    args.partnerId = kNoEvent;
    args.categoryId = 12;
    mailpeople::F_Zadaci(nullptr, args, {}, m_folder->path());
    EXPECT_EQ(shown, (QStringList{"", "", "", ""}));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    const auto stored = row(CAL().EVENTID);
    EXPECT_EQ(stored.at("PARTNERID"), "0");
    EXPECT_EQ(stored.at("LABELID"), "0");
    EXPECT_EQ(query("SELECT COUNT(*) FROM \"CAL_CalendarEvents\" WHERE \"PARTNERID\" = " + std::to_string(kNoEvent)).at(0), "0");
}

// Ctrl+H in an entry of the task form puts back what it held in the task stored last; the
// status and importance lists keep their column layouts in Standard.ini.
TEST_F(CalendarData, TaskFormFieldHistoryAndListLayouts)
{
    const long partner = addContact("Babić", "Maja", "Obrt Maja");
    GLOBALREQUEST = 1;
    mailpeople::TaskFormArgs args;
    args.partnerId = partner;
    {
        testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
            auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
            form->subject()->setText(QStringLiteral("Prvi"));
            form->location()->setText(QStringLiteral("Ured"));
            form->status()->horizontalHeader()->resizeSection(0, 123);
            form->accept();
            return form->result();
        });
        mailpeople::F_Zadaci(nullptr, args, {}, m_folder->path());
        ASSERT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    }
    QString subject, location, partnerText, name;
    int width = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        width = form->status()->horizontalHeader()->sectionSize(0);
        form->partner()->clear();
        for (QLineEdit* e : {form->subject(), form->location(), form->partner()})
            QTest::keyClick(e, Qt::Key_H, Qt::ControlModifier);
        subject = form->subject()->text();
        location = form->location()->text();
        partnerText = form->partner()->text();
        name = form->partnerName()->text();
        form->reject();
        return form->result();
    });
    GLOBALREQUEST = 1;
    args.partnerId = 0;
    mailpeople::F_Zadaci(nullptr, args, {}, m_folder->path());
    EXPECT_EQ(subject, QStringLiteral("Prvi"));
    EXPECT_EQ(location, QStringLiteral("Ured"));
    EXPECT_EQ(partnerText, QString::number(partner));
    EXPECT_EQ(name, QStringLiteral("Babić Maja"));
    EXPECT_EQ(width, 123) << "the layout the form closed with";
}

// Category form: refusals close it without a change; an insert renumbers on OK only.
TEST_F(CalendarData, CategoryFormProtectsStandardCategoriesAndRenumbersOnOk)
{
    ASSERT_EQ(routines->T_CategoriesColor(), 0);
    addCategory(13, "Korištena", 1, 12);
    addCategory(14, "Nekorištena", 2, 13);
    addEvent("Koristi 13", "x", 13, QDateTime(kDay, QTime(9, 0)), 30);
    // Out of order, so a renumbering shows.
    ASSERT_EQ(Access(Tbl::CAL_EventCategories).ExecSql("UPDATE \"CAL_EventCategories\" SET \"ORDER\" = 50 WHERE \"ID\" = 2"), 0);

    struct Case {
        int request;
        long id;
        const char* message;
        int response;
    };
    const Case cases[] = {
        {3, 5, "Standardne kategorije se ne mogu brisati !", vrt::REQUEST_CANCELLED},
        {3, 13, "Kategorija se koristi u zadacima !", vrt::REQUEST_CANCELLED},
        {2, 12, "Standardne kategorije se ne mogu mijenjati !", vrt::REQUEST_CANCELLED},
        {2, 5, "", vrt::REQUEST_COMPLETED}, // a standard category's name may change
        {3, 14, "", vrt::REQUEST_COMPLETED},
    };
    testsupport::ScopedDialogRunner runner([](QDialog& dialog) {
        if (auto* ok = dialog.findChild<QPushButton*>("OK"))
            ok->click();
        return dialog.result();
    });
    for (const Case& c : cases) {
        testsupport::presenter().clear();
        Access(Tbl::CAL_EventCategories).clearBuffer();
        CALC().ID = int32_t(c.id);
        ASSERT_EQ(Access(Tbl::CAL_EventCategories).TryFetch(CALC.CategorieIDKey), 0);
        GLOBALREQUEST = uint8_t(c.request);
        mailpeople::F_TaskCategorie(nullptr, {});
        EXPECT_EQ(GLOBALRESPONSE, c.response) << c.id;
        const auto messages = testsupport::presenter().calls("message");
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1u) << c.id;
            EXPECT_EQ(messages[0].text, QString::fromUtf8(c.message));
        } else {
            EXPECT_TRUE(messages.empty());
        }
    }
    EXPECT_EQ(count("CAL_EventCategories"), 13);
    EXPECT_EQ(query("SELECT \"ORDER\" FROM \"CAL_EventCategories\" WHERE \"ID\" = 2").at(0), "50");

    // A cancelled insert changes no order; a completed one renumbers and takes the next.
    int answer = QDialog::Rejected;
    testsupport::ScopedDialogRunner insert([&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("CATEGORIENAME")->setText(QStringLiteral("Nova"));
        if (answer == QDialog::Accepted)
            dialog.findChild<QPushButton*>("OK")->click();
        else
            dialog.reject();
        return dialog.result();
    });
    Access(Tbl::CAL_EventCategories).clearBuffer();
    GLOBALREQUEST = 1;
    mailpeople::F_TaskCategorie(nullptr, {});
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_CANCELLED);
    EXPECT_EQ(query("SELECT \"ORDER\" FROM \"CAL_EventCategories\" WHERE \"ID\" = 2").at(0), "50");
    answer = QDialog::Accepted;
    Access(Tbl::CAL_EventCategories).clearBuffer();
    GLOBALREQUEST = 1;
    mailpeople::F_TaskCategorie(nullptr, {});
    EXPECT_EQ(GLOBALRESPONSE, vrt::REQUEST_COMPLETED);
    const auto orders = query("SELECT \"ID\" || ':' || \"ORDER\" FROM \"CAL_EventCategories\" ORDER BY \"ID\"");
    ASSERT_EQ(orders.size(), 14u);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(orders[size_t(i)], std::to_string(i + 1) + ":" + std::to_string(i + 1));
    EXPECT_EQ(orders[11], "12:999999");
    EXPECT_EQ(orders[12], "13:12");
    EXPECT_EQ(orders[13], "15:13"); // the new one, after the last order given
}

TEST_F(CalendarData, CategoryListRefusesThePseudoCategory)
{
    ASSERT_EQ(routines->T_CategoriesColor(), 0);
    std::vector<std::optional<long>> answers;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* list = dialog.findChild<QTableWidget*>();
        auto* select = dialog.findChild<QPushButton*>("SELECT");
        // The last row by order is the pseudo-category: refused, the list stays.
        list->selectRow(list->rowCount() - 1);
        select->click();
        EXPECT_FALSE(dialog.result() == QDialog::Accepted);
        list->selectRow(1);
        select->click();
        return dialog.result();
    });
    const auto chosen = mailpeople::T_TaskKategorija(nullptr, true, 0, {}, {});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, 2);
    const auto messages = testsupport::presenter().calls("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Ova kategorija ne može biti odabrana !"));
}

// The task report, written as a PDF and read back with pdftotext.
TEST_F(CalendarData, TaskReportPrintsTheTaskWithItsPartner)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    const long partner = addContact("Perić", "Luka", "Perić i sinovi");
    QString longBody;
    for (int i = 0; i < 300; ++i)
        longBody += QStringLiteral("Redak opisa broj %1.\n").arg(i + 1);
    const long shortTask = addEvent("Isporuka robe", "Kratki opis", 0, QDateTime(kDay, QTime(9, 0)), 60, partner);
    const long longTask = addEvent("Dugi zadatak", longBody.toUtf8().constData(), 0, QDateTime(kDay, QTime(9, 0)), 60, 31337);

    auto pdfText = [this](long id, int* pages) {
        vrt::Report report;
        mailpeople::buildTaskReport(report, id, {});
        *pages = report.pageCount();
        const QString pdf = m_folder->file(QStringLiteral("task%1.pdf").arg(id));
        EXPECT_TRUE(report.writePdf(pdf));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    int pages = 0;
    const QString text = pdfText(shortTask, &pages);
    EXPECT_EQ(pages, 1);
    for (const char* part : {"Isporuka robe", "Prezime i ime:", "Perić Luka", "Perić i sinovi", "Početak:", "Kratki opis", "Ured"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("2026"))); // four-digit years

    // A partner that is gone: the task still prints, with empty partner fields.
    const QString longText = pdfText(longTask, &pages);
    EXPECT_GT(pages, 3);
    EXPECT_TRUE(longText.contains(QStringLiteral("Redak opisa broj 300.")));
    EXPECT_TRUE(longText.contains(QStringLiteral("Dugi zadatak")));

    vrt::Report empty;
    mailpeople::buildTaskReport(empty, 987654, {});
    EXPECT_EQ(empty.pageCount(), 0);
}

// Every text the calendar, its forms and its report show has an English row.
TEST(CalendarLanguage, EveryShownTextHasAnEnglishRow)
{
    std::set<QString> texts;
    for (const StandardCategory& c : standardCategories())
        texts.insert(QString::fromUtf8(c.name));
    for (const char* t : {"Dan", "Radni tjedan", "Tjedan", "Mjesec", "Danas", "Kalendar", "Task nema dodjeljenog partnera!", "Greška",
                          "Odaberite zadatak u kalendaru.", "Zadaci", "Unos novog zapisa", "Izmjena zapisa", "BRISANJE zapisa",
                          "Kontakt:", "Početak i  završetak", "Početak:", "Završetak:", "Vrijeme:", "Naslov:", "Lokacija:", "Opis:",
                          "Status:", "Važnost:", "Kategorija:", "Nije gotovo", "U toku", "Gotovo", "Nije važno", "Napomena",
                          "Važno", "Izuzetno važno", "Prekid", "Završetak ne može biti prije početka.", "Kontakti", "Traži",
                          "Prezime i ime", "Tvrtka", "Izbor", "Zatvori", "Kategorije", "Naziv", "Unos", "Izmjena", "Brisanje",
                          "Ova kategorija ne može biti odabrana !", "Naziv kategorije:", "Boja:", "Boja...",
                          "Upišite naziv kategorije.", "Standardne kategorije se ne mogu brisati !",
                          "Kategorija se koristi u zadacima !", "Standardne kategorije se ne mogu mijenjati !", "Zadatak",
                          "Tvrtka:", "Prezime i ime:"})
        texts.insert(QString::fromUtf8(t));
    testsupport::expectEnglishRows(texts);
}

// Dates are values shown with four-digit years, whatever the locale's short pattern says.
TEST(TaskFormDates, FourDigitYearsInEveryLocale)
{
    const testsupport::OnScopeExit locale([previous = QLocale()] { QLocale::setDefault(previous); });
    for (const auto& [language, country] : {std::pair{QLocale::C, QLocale::AnyCountry}, std::pair{QLocale::English, QLocale::UnitedStates},
                                            std::pair{QLocale::Croatian, QLocale::Croatia}, std::pair{QLocale::German, QLocale::Germany}}) {
        QLocale::setDefault(QLocale(language, country));
        mailpeople::TaskForm form({}, vrt::CHANGE_RECORD, {}, {});
        form.startDate()->setDate(QDate(1999, 12, 31));
        EXPECT_TRUE(form.startDate()->displayFormat().contains(QStringLiteral("yyyy"))) << form.startDate()->displayFormat().toStdString();
        EXPECT_TRUE(form.startDate()->text().contains(QStringLiteral("1999"))) << form.startDate()->text().toStdString();
        EXPECT_EQ(form.startDate()->date(), QDate(1999, 12, 31));
    }
}
