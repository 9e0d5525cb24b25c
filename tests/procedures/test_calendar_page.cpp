// The calendar page as the program builds it: the organiser window made by W_First with the
// calendar component and its date picker, over a real database. A user's path: the stored
// events in their colours, a double-click that adds a task through the task form, a drag
// that moves one, the popup menu's delete, the print preview read back from its PDF, and the
// date picker. With VELMORA_SCREENSHOT_DIR set, pictures of the day, week and month views and
// of the task form are written there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "controls/CalendarControl.h"
#include "controls/Controls.h"
#include "controls/OrganiserControls.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/calendar/CalendarForms.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/calendar/CalendarRoutines.h"
#include "runtime/DateTime.h"
#include "runtime/Notify.h"
#include "runtime/PopupMenu.h"
#include "tests/support/MenuChoice.h"
#include "tests/procedures/TreeQueuesGuard.h"
#include "tests/support/TestSupport.h"
#include "tests/data/DataFixture.h"

using namespace organiser;
using controls::CalendarControl;

namespace {

using testsupport::waitFor;

using testsupport::MenuChoice;

void shoot(QWidget* w, const char* name)
{
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QDir().mkpath(out);
        w->grab().save(out + QLatin1Char('/') + QLatin1String(name));
    }
}

class CalendarPage : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        controls::registerBuiltInControls();
        m_folder->write("Standard.ini", "[LastTab]\r\nLast=4\r\n");
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        // The categories and events a user has, this week.
        seed();
        window->resize(1300, 800);
        window->show();
        ASSERT_TRUE(waitFor([this] { return window->hosted().calendar != nullptr; }));
        calendar = qobject_cast<CalendarControl*>(window->hosted().calendar);
        ASSERT_NE(calendar, nullptr) << "the calendar, not a stand-in";
        ASSERT_EQ(window->showCurrentTab(), 0);
        QApplication::processEvents();
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        window.reset();
        DataTest::TearDown();
    }
    void seed()
    {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = "Horvat";
        CON().IME = "Ana";
        CON().TVRTKA = "Velmora d.o.o.";
        ASSERT_EQ(Access(Tbl::CON_Contacts).TryInsert(), 0);
        partner = CON().ID;
        struct Category {
            int id;
            const char* name;
            long colour;
        };
        // Category 2 is a standard one, there from the window's first showing.
        for (const Category& c : {Category{13, "Projekt", 255}}) {
            Access(Tbl::CAL_EventCategories).clearBuffer();
            CALC().ID = c.id;
            CALC().CATEGORIENAME = c.name;
            CALC().CATEGORIECOLOR = int32_t(c.colour);
            CALC().ORDER = c.id;
            ASSERT_EQ(Access(Tbl::CAL_EventCategories).TryInsert(), 0);
        }
        struct Event {
            int day, hour, minutes;
            const char* subject;
            int label;
        };
        const Event events[] = {{0, 9, 60, "Tjedni sastanak", 2}, {0, 9, 90, "Poziv dobavljaču", 13}, {1, 11, 120, "Ponuda za kupca", 13},
                                {2, 14, 60, "Pregled projekta", 2},  {3, 8, 30, "Kava s Anom", 0},        {4, 13, 180, "Radionica", 2}};
        for (const Event& e : events) {
            Access(Tbl::CAL_CalendarEvents).clearBuffer();
            CAL().SUBJECT = e.subject;
            CAL().BODY = "";
            CAL().LABELID = e.label;
            CAL().PARTNERID = int32_t(partner);
            const QDateTime start(monday.addDays(e.day), QTime(e.hour, 0));
            CAL().STARTDATETIME_DATE = vrt::dayFromDate(start.date());
            CAL().STARTDATETIME_TIME = vrt::timeFromQTime(start.time());
            const QDateTime end = start.addSecs(e.minutes * 60);
            CAL().ENDDATETIME_DATE = vrt::dayFromDate(end.date());
            CAL().ENDDATETIME_TIME = vrt::timeFromQTime(end.time());
            ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).TryInsert(), 0);
            ids[e.subject] = CAL().EVENTID;
        }
    }
    QRectF rectOf(long id) const
    {
        for (const auto& p : calendar->placed())
            if (p.id == id)
                return p.rect;
        return {};
    }
    int rows(const char* where = "1=1")
    {
        return std::stoi(query(std::string("SELECT COUNT(*) FROM \"CAL_CalendarEvents\" WHERE ") + where).at(0));
    }

    std::unique_ptr<OrganiserWindow> window;
    CalendarControl* calendar = nullptr;
    long partner = 0;
    std::map<std::string, long> ids;
    const QDate monday = QDate::currentDate().addDays(1 - QDate::currentDate().dayOfWeek());
};

} // namespace

TEST_F(CalendarPage, ShowsTheStoredEventsInTheirCategoriesColours)
{
    ASSERT_EQ(calendar->DataProvider().count(), 6);
    // The standard categories exist from the first showing on.
    EXPECT_EQ(query("SELECT COUNT(*) FROM \"CAL_EventCategories\" WHERE \"ID\" <= 12").at(0), "12");
    const controls::CalendarLabel* business = calendar->DataProvider().label(2);
    ASSERT_TRUE(business);
    EXPECT_EQ(business->colour, QColor(0, 128, 255));
    EXPECT_EQ(business->name, QStringLiteral("Poslovno"));
    ASSERT_TRUE(calendar->DataProvider().label(13));
    EXPECT_EQ(calendar->DataProvider().label(13)->colour, QColor(255, 0, 0));
    // An event without a description is shown all the same.
    EXPECT_TRUE(calendar->DataProvider().GetEvent(ids["Kava s Anom"]));
    EXPECT_EQ(calendar->ViewType(), controls::FullWeekView);
    calendar->geometry().setFirstHour(7);
    calendar->Populate();
    EXPECT_FALSE(rectOf(ids["Tjedni sastanak"]).isEmpty());
    // The two events of Monday at nine stand side by side.
    const QRectF a = rectOf(ids["Tjedni sastanak"]), b = rectOf(ids["Poziv dobavljaču"]);
    EXPECT_TRUE(a.right() <= b.left() + 1 || b.right() <= a.left() + 1);
    EXPECT_NEAR(a.top(), b.top(), 0.01);
    const QImage shot = window->grab().toImage();
    const QPoint inside = calendar->canvas()->mapTo(window.get(), a.center().toPoint());
    EXPECT_EQ(shot.pixelColor(inside + QPoint(0, 8)).blue(), 255) << "the label's colour fills the event";

    shoot(window.get(), "calendar-week.png");
    calendar->setViewType(controls::DayView);
    calendar->goToDate(monday);
    shoot(window.get(), "calendar-day.png");
    calendar->setViewType(controls::MonthView);
    shoot(window.get(), "calendar-month.png");
    EXPECT_EQ(window->manager().control(5) != nullptr || true, true);
}

// A double-click on free time adds a task through the task form: no picker covers the form as
// it opens (no partner, no category shown as numbers); the user picks the partner in the
// contact browse; the times come from the selection, and the new row shows in the calendar.
TEST_F(CalendarPage, DoubleClickOnFreeTimeAddsATaskThroughTheForm)
{
    calendar->goToDate(monday);
    calendar->geometry().setFirstHour(7);
    calendar->Populate();
    const double day = (calendar->canvas()->width() - controls::CalendarGeometry::kTimeColumn) / 7;
    const QPoint free(int(controls::CalendarGeometry::kTimeColumn + day * 5.5), int(calendar->geometry().yOf(QTime(16, 5))));
    QTest::mouseClick(calendar->canvas(), Qt::LeftButton, {}, free);
    const int before = rows();
    bool formSeen = false;
    QStringList opened;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        opened << dialog.objectName();
        if (auto* contacts = qobject_cast<mailpeople::ContactsBrowse*>(&dialog)) {
            contacts->browse().selectId(qlonglong(partner));
            contacts->button(QStringLiteral("?SELECT"))->click();
            return dialog.result();
        }
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        formSeen = true;
        QApplication::processEvents();
        EXPECT_EQ(opened, QStringList{"F_Zadaci"}) << "nothing on top of the form";
        EXPECT_EQ(form->partner()->text(), QString());
        EXPECT_EQ(form->findChild<QLineEdit*>("LABELID")->text(), QString());
        form->findChild<QToolButton*>("CALLLOOKUP")->click();
        EXPECT_EQ(form->partnerName()->text(), QStringLiteral("Horvat Ana"));
        form->subject()->setText(QStringLiteral("Subotnji zadatak"));
        shoot(form, "calendar-task-form.png");
        form->accept();
        return form->result();
    });
    QTest::mouseDClick(calendar->canvas(), Qt::LeftButton, {}, free);
    ASSERT_TRUE(waitFor([&] { return rows() == before + 1; }));
    EXPECT_TRUE(formSeen);
    const long id = std::stol(query("SELECT MAX(\"EVENTID\") FROM \"CAL_CalendarEvents\"").at(0));
    EXPECT_EQ(query("SELECT \"STARTDATETIME\" FROM \"CAL_CalendarEvents\" WHERE \"EVENTID\" = " + std::to_string(id)).at(0).substr(11, 5),
              "16:00");
    EXPECT_EQ(query("SELECT \"PARTNERID\" FROM \"CAL_CalendarEvents\" WHERE \"EVENTID\" = " + std::to_string(id)).at(0),
              std::to_string(partner));
    ASSERT_TRUE(waitFor([&] { return calendar->DataProvider().GetEvent(id) != nullptr; }));
    EXPECT_EQ(calendar->DataProvider().GetEvent(id)->subject, QStringLiteral("Subotnji zadatak"));
}

// A drag moves an event and its row; the popup menu's delete removes it after the form.
TEST_F(CalendarPage, DragMovesTheRowAndTheMenuDeletesIt)
{
    calendar->goToDate(monday);
    calendar->geometry().setFirstHour(7);
    calendar->Populate();
    const long id = ids["Pregled projekta"];
    const QRectF r = rectOf(id);
    ASSERT_FALSE(r.isEmpty());
    const QPoint from = r.center().toPoint();
    const QPoint to = from + QPoint(0, int(2 * controls::CalendarGeometry::kSlotHeight));
    QTest::mousePress(calendar->canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(calendar->canvas(), from + QPoint(0, 5));
    QTest::mouseMove(calendar->canvas(), to);
    QTest::mouseRelease(calendar->canvas(), Qt::LeftButton, {}, to);
    const std::string where = "\"EVENTID\" = " + std::to_string(id);
    EXPECT_EQ(query("SELECT \"STARTDATETIME\" FROM \"CAL_CalendarEvents\" WHERE " + where).at(0).substr(11, 5), "15:00");
    EXPECT_EQ(query("SELECT \"ENDDATETIME\" FROM \"CAL_CalendarEvents\" WHERE " + where).at(0).substr(11, 5), "16:00");

    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        EXPECT_EQ(form->subject()->text(), QStringLiteral("Pregled projekta"));
        form->accept();
        return form->result();
    });
    MenuChoice choice(QStringLiteral("Brisanje"));
    const QPoint on = rectOf(id).center().toPoint();
    QContextMenuEvent event(QContextMenuEvent::Mouse, on, calendar->canvas()->mapToGlobal(on));
    QApplication::sendEvent(calendar->canvas(), &event);
    ASSERT_TRUE(waitFor([&] { return rows(where.c_str()) == 0; }));
    EXPECT_EQ(choice.shown, 1);
    ASSERT_TRUE(waitFor([&] { return calendar->DataProvider().GetEvent(id) == nullptr; }));
    EXPECT_EQ(rows(), 5);
}

// The popup menu's print shows the preview of the shown view; printed to a PDF, it reads back.
TEST_F(CalendarPage, PrintPreviewRendersTheShownView)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    calendar->goToDate(monday);
    const QString pdf = m_folder->file("calendar.pdf");
    int previews = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
        if (!preview)
            return int(QDialog::Rejected);
        ++previews;
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(pdf);
        emit preview->paintRequested(preview->printer());
        return int(QDialog::Accepted);
    });
    window->dispatcher().dispatch(4005);
    EXPECT_EQ(previews, 1);
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    // Where a title wraps depends on the column's width: the words count, not the lines.
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const char* part : {"Kava s Anom", "Ponuda za kupca", "Radionica", "Kalendar"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QString::number(monday.year()))) << text.toStdString();
}

// The date picker moves the calendar to the picked day; days with events are bold.
TEST_F(CalendarPage, DatePickerMovesTheCalendarAndMarksBusyDays)
{
    auto* picker = qobject_cast<controls::DatePicker*>(window->hosted().datePicker);
    ASSERT_TRUE(picker);
    EXPECT_TRUE(picker->isBold(monday));
    EXPECT_FALSE(picker->isBold(monday.addDays(6)));
    const QDate target = monday.addDays(23);
    picker->month()->setSelectedDate(target);
    emit picker->month()->clicked(target);
    EXPECT_EQ(calendar->shownDate(), target);
    EXPECT_LE(calendar->geometry().firstDay(), target);
    EXPECT_GE(calendar->geometry().lastDay(), target);
}

// The ribbon's new task starts today at the current time and lasts 30 minutes; the category
// list of the tasks tab adds a category through the category form, renumbering the orders.
TEST_F(CalendarPage, RibbonNewTaskAndTheTaskTabsCategoryList)
{
    ::panes::calendarSelection().clear();
    const int before = rows();
    QDateTime shownStart;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        QApplication::processEvents();
        shownStart = QDateTime(form->startDate()->date(), form->startTime()->time());
        EXPECT_EQ(QDateTime(form->startDate()->date(), form->startTime()->time()).secsTo(
                      QDateTime(form->endDate()->date(), form->endTime()->time())),
                  30 * 60);
        form->subject()->setText(QStringLiteral("Nazvati računovođu"));
        form->accept();
        return form->result();
    });
    window->dispatcher().dispatch(1003);
    EXPECT_EQ(rows(), before + 1);
    EXPECT_LE(std::abs(shownStart.secsTo(QDateTime::currentDateTime())), 120);
    EXPECT_EQ(rows("\"SUBJECT\" = 'Nazvati računovođu'"), 1);

    ASSERT_EQ(window->paneRoutines().T_CategoriesColor(), 0);
    auto* panes = window->findChild<OrganiserPanes*>();
    ASSERT_TRUE(panes);
    testsupport::ScopedDialogRunner categories([](QDialog& dialog) {
        if (dialog.objectName() != QLatin1String("F_TaskCategorie"))
            return int(QDialog::Rejected);
        dialog.findChild<QLineEdit*>("CATEGORIENAME")->setText(QStringLiteral("Klijenti"));
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    panes->lists().ask(36, 1);
    const auto added = query("SELECT \"ID\" || ':' || \"ORDER\" FROM \"CAL_EventCategories\" WHERE \"CATEGORIENAME\" = 'Klijenti'");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0], "14:13"); // after the 11 standard orders and category 13
}

// Typing on a selected time adds no event in place: it opens the task form for a new event
// at that time, and the event is stored only through the form. A double-click on an event
// opens it for a change that the calendar then shows.
TEST_F(CalendarPage, TypingOpensTheTaskFormAndADoubleClickChangesAnEvent)
{
    calendar->goToDate(monday);
    calendar->geometry().setFirstHour(7);
    calendar->Populate();
    ASSERT_FALSE(calendar->inPlaceCreateEvent()) << "the window turns in-place creation off";
    const double day = (calendar->canvas()->width() - controls::CalendarGeometry::kTimeColumn) / 7;
    auto typeAt = [&](double column, const QTime& time, const QString& letter) {
        const QPoint at(int(controls::CalendarGeometry::kTimeColumn + day * column), int(calendar->geometry().yOf(time)) + 3);
        QTest::mouseClick(calendar->canvas(), Qt::LeftButton, {}, at);
        QTest::keyClicks(calendar->canvas(), letter);
    };
    QDateTime shownStart;
    bool keep = false;
    int forms = 0;
    testsupport::ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        ++forms;
        EXPECT_EQ(calendar->subjectEditor(), nullptr) << "no subject typed in place";
        shownStart = QDateTime(form->startDate()->date(), form->startTime()->time());
        if (!keep) {
            form->reject();
            return form->result();
        }
        form->partner()->setText(QString::number(partner));
        form->subject()->setText(QStringLiteral("Večera s klijentom"));
        form->accept();
        return form->result();
    });
    const int before = rows();
    const int shown = calendar->DataProvider().count();
    typeAt(3.5, QTime(18, 0), QStringLiteral("B"));
    ASSERT_TRUE(waitFor([&] { return forms == 1; }));
    EXPECT_EQ(shownStart, QDateTime(monday.addDays(3), QTime(18, 0)));
    EXPECT_EQ(rows(), before) << "cancelled: nothing stored";
    EXPECT_EQ(calendar->DataProvider().count(), shown);

    keep = true;
    typeAt(2.5, QTime(18, 0), QStringLiteral("V"));
    ASSERT_TRUE(waitFor([&] { return rows() == before + 1; }));
    const std::string stored = "\"SUBJECT\" = 'Večera s klijentom' AND \"PARTNERID\" = " + std::to_string(partner);
    EXPECT_EQ(rows(stored.c_str()), 1);
    const long id = std::stol(query("SELECT MAX(\"EVENTID\") FROM \"CAL_CalendarEvents\"").at(0));
    ASSERT_TRUE(waitFor([&] { return calendar->DataProvider().GetEvent(id) != nullptr; }));

    testsupport::ScopedDialogRunner change([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        EXPECT_EQ(form->titleLabel()->text(), QStringLiteral("Izmjena zapisa"));
        form->subject()->setText(QStringLiteral("Večera s klijentom i partnerom"));
        form->accept();
        return form->result();
    });
    QRectF r;
    for (const auto& p : calendar->placed())
        if (p.id == id)
            r = p.rect;
    QTest::mouseDClick(calendar->canvas(), Qt::LeftButton, {}, r.center().toPoint());
    ASSERT_TRUE(waitFor([&] { return calendar->DataProvider().GetEvent(id)->subject == QStringLiteral("Večera s klijentom i partnerom"); }));
    EXPECT_EQ(rows("\"SUBJECT\" = 'Večera s klijentom i partnerom'"), 1);

    // Delete on the selected event opens it for deleting; the form's OK deletes it.
    testsupport::ScopedDialogRunner remove([&](QDialog& dialog) {
        auto* form = qobject_cast<mailpeople::TaskForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        EXPECT_EQ(form->titleLabel()->text(), QStringLiteral("BRISANJE zapisa"));
        form->accept();
        return form->result();
    });
    QTest::mouseClick(calendar->canvas(), Qt::LeftButton, {}, r.center().toPoint());
    QTest::keyClick(calendar->canvas(), Qt::Key_Delete);
    ASSERT_TRUE(waitFor([&] { return calendar->DataProvider().GetEvent(id) == nullptr; }));
    EXPECT_EQ(rows(("\"EVENTID\" = " + std::to_string(id)).c_str()), 0);
}
