#include "controls/Controls.h"
#include "controls/Images.h"
#include "protocols/MailNames.h"
#include "controls/OrganiserControls.h"
#include "procedures/organiser/window/EventChecks.h"
#include "procedures/mail/MailActions.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/StandInServices.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/organiser/panes/PaneButtons.h"
#include "procedures/organiser/panes/PopupItems.h"
#include "tests/procedures/PaneRecorders.h"
#include "tests/procedures/ProcedureRecorders.h"
#include "procedures/organiser/panes/TaskPanelWidget.h"
#include "data/Globals.h"
#include "runtime/DateTime.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <set>

using namespace organiser;

namespace {

using Spy = RecordingMenuActions;

QStringList messages() { return testsupport::presenter().texts(); }

// Commands run from the lists, written to the spy's calls.
struct CommandSpy : CommandRunner {
    Spy& spy;
    explicit CommandSpy(Spy& s) : spy(s) {}
    int dispatch(int code) override
    {
        spy.calls << QString("command %1").arg(code);
        return 0;
    }
};

} // namespace

TEST(OrganiserMenus, InventoryAndActions)
{
    Spy spy;
    OrganiserMenus menus(spy);
    struct Entry {
        QString text, icon, call; // text empty: separator
    };
    const std::map<Popup, std::vector<Entry>> expected = {
        {Popup::ContactGroups,
         {{"Unos", "", "post 121"}, {"Unos podgrupe", "", "post 122"}, {}, {"Izmjena", "", "post 123"},
          {"Brisanje", "", "post 124"}}},
        {Popup::Mail,
         {{"Novi email", "1309363638_mail.ico", "command 2001"},
          {"Odgovori", "1309363855_Reply.ico", "command 2002"},
          {"Odgovori svima", "1309364762_forward.ico", "command 2003"},
          {"Proslijedi", "1309363864_email_forward.ico", "command 2004"},
          {},
          {"Dodaj u kontakte", "", "InsertContact"},
          {"Dodaj u zadatke", "KasniDatumi16.ico", "AddToTasks"},
          {},
          {"Šalji/Primaj", "1309365103_Gnome-Network-Receive-48.ico", "command 2005"},
          {},
          {"Označi kao nepročitano", "", "MarkUnread"},
          {"Označi kao smeće", "", "MoveMailToJunk"},
          {},
          {"Obriši email", "1309365145_onebit_33.ico", "DeleteEmail"}}},
        {Popup::MailFolders,
         {{"Novi poddirektorij", "i.ico", "InsertMailFolder"}, {"Izmjena", "c.ico", "ChangeMailFolder"}, {},
          {"Brisanje", "d.ico", "DeleteMailFolder"}, {},
          {"Označi sve pročitano", "closedfolder.ico", "MarkFolderRead"},
          {"Isprazni direktorij", "1309365145_onebit_33.ico", "EmptyMailFolder"}}},
        {Popup::Calendar,
         {{"Unos novog zadatka", "i.ico", "calendar delete=0, post 4"}, {"Izmjena", "c.ico", "calendar delete=0, post 4"},
          {"Brisanje", "d.ico", "calendar delete=1, post 4"}, {}, {"Ispis", "printer.ico", "command 4005"}, {},
          {"Osvježi", "OtvoriSve.ico", "command 4004"}}},
        {Popup::FinanceCategories,
         {{"Unos poddirektorija", "i.ico", "InsertFinanceCategory"}, {"Izmjena", "c.ico", "ChangeFinanceCategory"},
          {"Brisanje", "d.ico", "DeleteFinanceCategory"}}},
        {Popup::GanttLinks,
         {{"FS (Završetak-početak)", "", "link 2/0, reschedule"}, {"FF (Završetak-završetak)", "", "link 2/2, reschedule"},
          {"SS (Početak-početak)", "", "link 0/0, reschedule"}, {"SF (Početak-završetak)", "", "link 0/2, reschedule"}, {},
          {"Odgoda", "", "EditLinkDelay"}}},
    };
    int entries = 0, separators = 0;
    for (const auto& [popup, list] : expected) {
        const auto& items = menus.menu(popup).items();
        ASSERT_EQ(items.size(), list.size()) << int(popup);
        // The menu as it is shown: an entry that names an icon shows one, the others none.
        const std::unique_ptr<QMenu> shown(menus.menu(popup).buildMenu());
        for (QAction* a : shown->actions())
            if (!a->isSeparator()) {
                EXPECT_EQ(a->icon().pixmap(16, 16).isNull(), menus.icon(popup, a->data().toInt()).isEmpty())
                    << a->text().toStdString();
            }
        for (size_t i = 0; i < list.size(); ++i) {
            ++entries;
            EXPECT_EQ(items[i].separator, list[i].text.isEmpty());
            if (items[i].separator) {
                ++separators;
                continue;
            }
            EXPECT_EQ(items[i].text, list[i].text);
            EXPECT_EQ(menus.icon(popup, items[i].id), list[i].icon) << list[i].text.toStdString();
            spy.calls.clear();
            menus.menu(popup).choose(items[i].id);
            EXPECT_EQ(spy.calls, QStringList{list[i].call}) << list[i].text.toStdString();
        }
    }
    EXPECT_EQ(entries, 42);
    EXPECT_EQ(separators, 10);

    // The link menu ticks the pending link's type only.
    menus.prepareLinks(0, 2);
    QStringList ticked;
    for (const auto& i : menus.menu(Popup::GanttLinks).items())
        if (i.checked)
            ticked << i.text;
    EXPECT_EQ(ticked, QStringList{"SF (Početak-završetak)"});
    // The ticked entry shows the tick's icon, the others none.
    const QImage tick = controls::imageIcon(QString(), OrganiserMenus::tickedIcon()).pixmap(16, 16).toImage();
    ASSERT_FALSE(tick.isNull());
    const std::unique_ptr<QMenu> links(menus.menu(Popup::GanttLinks).buildMenu());
    for (QAction* a : links->actions())
        if (!a->isSeparator()) {
            EXPECT_EQ(a->icon().pixmap(16, 16).toImage(), ticked.contains(a->text()) ? tick : QImage()) << a->text().toStdString();
        }

    // An image in the data folder wins over the drawing of the same name.
    testsupport::TempFolder data;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(QDir().mkpath(data.file("Images")) && red.save(data.file("Images/i.ico"), "ICO"));
    OrganiserMenus own(spy, data.path());
    const vrt::PopupMenu& folders = own.menu(Popup::MailFolders);
    EXPECT_EQ(folders.shownIcon(folders.idOf("Novi poddirektorij")).pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
}

TEST(OrganiserTaskPanel, HeadersFoldAndTasksOpenTheirForm)
{
    TaskPanelModel panel;
    const long h = panel.ADDHEADER("Danas", 0);
    const long meeting = panel.ADDTASK(h, "Sastanak", 0, false, {}, false, 7);
    const long none = panel.ADDTASK(h, "Bez događaja", 0);
    const long gone = panel.ADDTASK(h, "Obrisan", 0, false, {}, false, 8);
    std::map<long, std::optional<int>> answers = {{7, 2}, {8, std::nullopt}};
    QStringList log;
    struct LoggingEditor : TaskEditor {
        std::map<long, std::optional<int>>& answers;
        QStringList& log;
        LoggingEditor(std::map<long, std::optional<int>>& a, QStringList& l) : answers(a), log(l) {}
        std::optional<int> editEvent(long id) override
        {
            log << QString("edit %1").arg(id);
            return answers[id];
        }
        void refill() override { log << "refill"; }
    } editor(answers, log);
    panel.setEditor(&editor);
    const auto click = [&](long task) { panel.EXECUTEACTION(h, task, 1, task ? 0 : panel.GETEXPANDED(h)); };
    click(0);
    EXPECT_FALSE(panel.GETEXPANDED(h));
    click(0);
    EXPECT_TRUE(panel.GETEXPANDED(h));
    click(meeting); // cancelled: the panel stays
    click(none);    // no event: nothing
    click(gone);    // gone: nothing more
    answers[7] = 1;
    click(meeting); // completed: refilled
    EXPECT_EQ(log, (QStringList{"edit 7", "edit 8", "edit 7", "refill"}));
    EXPECT_EQ(TaskPanelModel::colourGroups().size(), 4u);
    EXPECT_EQ(TaskPanelModel::colourGroups()[1].gradientStart, 0x95451A);
    EXPECT_EQ(panel.COLORSCHEMA.HEADERS.GRADIENTFROM, 0x95451A);
    EXPECT_EQ(panel.FONTNAME, "Tahoma");

    // On screen: a click on the header folds it, a click on a task opens its form.
    log.clear();
    TaskPanelWidget widget(panel);
    widget.resize(280, 400);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    const auto centre = [&](const ptp::RECT& r) { return r.rect().center(); };
    QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, centre(panel.header(h)->MOUSERECT));
    EXPECT_FALSE(panel.GETEXPANDED(h));
    QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, centre(panel.header(h)->MOUSERECT));
    ASSERT_TRUE(panel.GETEXPANDED(h));
    QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, centre(panel.task(h, meeting)->MOUSERECT));
    EXPECT_EQ(log, (QStringList{"edit 7", "refill"}));
}

// The window's side of the per-event checks: what they act on is logged; the mail list's
// columns, the outgoing documents and the contacts never change.
struct PumpRecorder : EventPumpDeps {
    QStringList log;
    QString mail = "abc@x";
    long category = 3, order = 1;
    int dispatchResult = 0;

    QString messageId() override { return mail; }
    void showEmail() override { log << "ShowEmail"; }
    void navigate(const QString& p) override { log << "navigate " + p; }
    int resizeControls() override { return log << "ResizeControls", 0; }
    int setupSplitters() override { return log << "SetupSplitters", 0; }
    int fillTaskPanel() override { return log << "FillTaskPanel", 0; }
    int mailColumnWidth(int) override { return 0; }
    long taskCategoryId() override { return category; }
    long taskCategoryOrder() override { return order; }
    void setTaskFilter(const QString& f) override { log << "filter " + f; }
    void emptyContactTasks() override {}
    void reset() override { log << "Reset"; }
    void postAccepted(int c) override { log << QString("post %1").arg(c); }
    int askYesNo(const QString&, const QString&) override { return 0; }
    void removeLink(const QString&) override {}
    int dispatch(int c) override { return log << QString("dispatch %1").arg(c), dispatchResult; }
    long outgoingDocumentId() override { return 0; }
    long outgoingCategoryId() override { return 0; }
    bool contactsEmpty() override { return false; }
    void emptyContactLists() override {}
};

TEST(OrganiserEventPump, ChecksActOnChangesOnce)
{
    PumpRecorder d;
    QStringList& log = d.log;
    QString& messageId = d.mail;
    long& category = d.category;
    long& order = d.order;
    int& dispatchResult = d.dispatchResult;
    EventPump pump(d, "/data");
    pump.TaskCategoryID = 3;
    pump.LayoutState = 1;
    EXPECT_EQ(pump.run(), 0);
    EXPECT_EQ(log, (QStringList{"ResizeControls", "SetupSplitters", "FillTaskPanel"})) << "no preview before the layout";
    log.clear();
    pump.ReadMarkTicks = 150;
    pump.run();
    EXPECT_EQ(log, (QStringList{"ShowEmail", "navigate /data/Email/" + controls::bodyFileName("abc@x")})) << "the receiver's name";
    EXPECT_EQ(pump.ReadMarkTicks, 0);
    log.clear();
    pump.run();
    EXPECT_TRUE(log.isEmpty()) << "the same mail again does nothing";

    struct Case {
        const char* what;
        std::function<void()> change;
        QStringList calls;
    };
    const Case cases[] = {
        {"a mail without an id", [&] { messageId.clear(); }, {"ShowEmail", "navigate about:blank"}},
        {"an id that names a path", [&] { messageId = "../../etc/x"; }, {"ShowEmail", "navigate /data/Email/" + controls::bodyFileName("../../etc/x")}},
        {"the category that stands for all", [&] { category = 4, order = 999999; }, {"filter ", "Reset"}},
        {"another category", [&] { category = 5, order = 2; }, {"filter CAL:LABELID = '5'", "Reset"}},
        {"a link delay", [&] { pump.PendingLinkEdit = 12; }, {"post 48"}},
        {"Insert in the chart", [&] { pump.PendingGanttKey = "Insert"; }, {"dispatch 5009"}},
        {"Delete that fails stays", [&] { pump.PendingGanttKey = "Delete", dispatchResult = 1; }, {"dispatch 5012"}},
        {"and runs again", [&] { dispatchResult = 0; }, {"dispatch 5012"}},
    };
    for (const Case& c : cases) {
        log.clear();
        c.change();
        pump.run();
        EXPECT_EQ(log, c.calls) << c.what;
    }
    EXPECT_TRUE(pump.PendingGanttKey.isEmpty());
    EXPECT_EQ(pump.GanttLinkToEdit, 12);
    EXPECT_EQ(pump.SelectedContactID, 99999999);
}

TEST_F(OrganiserListsTest, MailMenuAddToTasksAndReadMarks)
{
    const SampleResult data = fill();
    query("UPDATE CON_CONTACTS SET TEMAIL = 'ured@tvrtka.hr' WHERE ID = 3");
    query("UPDATE EMAIL SET REPLYTO = 'ured@tvrtka.hr' WHERE ID = 1");
    query("UPDATE EMAIL SET REPLYTO = 'nepoznat@x.hr' WHERE ID = 2");

    // A right click on a mail from a contact's company address disables "Dodaj u kontakte";
    // Shift+F10 shows the same menu.
    Spy spy;
    OrganiserMenus menus(spy);
    CommandSpy commands(spy);
    ListEvents events(menus, commands, &mailDesk());
    const auto addContactEnabled = [&] {
        vrt::PopupMenu& m = events.mailMenu();
        return m.item(m.idOf("DodajUKontakte"))->enabled;
    };
    events.mailPressed("ured@tvrtka.hr");
    EXPECT_FALSE(addContactEnabled());
    events.mailPressed("nepoznat@x.hr");
    EXPECT_TRUE(addContactEnabled());
    events.mailDoubleClicked(0);
    events.mailDoubleClicked(5);
    EXPECT_EQ(spy.calls, QStringList{"command 2002"});

    CallLog log;
    RecordedForms forms(log);
    testsupport::presenter().clear();
    EXPECT_EQ(addMailToTasks(forms, "Tekst", "ured@tvrtka.hr"), 3);
    EXPECT_EQ(addMailToTasks(forms, "Tekst", "nepoznat@x.hr"), 0);
    EXPECT_TRUE(messages().isEmpty());
    addMailToTasks(forms, "", "nepoznat@x.hr");
    EXPECT_TRUE(messages().isEmpty()) << "no internal name reaches the user";
    EXPECT_EQ(log.take(), (QStringList{"F_Zadaci(0,0,3,0,\"Tekst\")", "F_Zadaci(0,0,0,0,\"Tekst\")",
                                       "F_Zadaci(0,0,0,0,\"\")"}));
    testsupport::presenter().clear();

    // Marking a folder read writes only its unread mails.
    const std::string inbox = std::to_string(data.inboxId);
    const int unread = std::stoi(query("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + inbox + " AND READ = 0")[0]);
    ASSERT_GT(unread, 0);
    EXPECT_EQ(markFolderRead(data.inboxId), unread);
    EXPECT_EQ(markFolderRead(data.inboxId), 0);
    EXPECT_EQ(query("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + inbox + " AND READ = 0")[0], "0");
    EXPECT_TRUE(markMailUnread(1));
    EXPECT_EQ(query("SELECT READ FROM EMAIL WHERE ID = 1")[0], "0");
    EXPECT_FALSE(markMailUnread(999999));
}

TEST_F(OrganiserListsTest, DroppedMailsMoveWithinTheirAccount)
{
    const SampleResult data = fill();
    const auto folderOf = [&](int id) { return query("SELECT INBOXID FROM EMAIL WHERE ID = " + std::to_string(id))[0]; };
    const long sent = std::stol(query("SELECT ID FROM INBOX WHERE TATAID = " + std::to_string(data.accountRootId) + " AND ID <> "
                                      + std::to_string(data.inboxId) + " LIMIT 1")[0]);
    const long otherAccount = std::stol(query("SELECT ID FROM INBOX WHERE TATAID <> 0 AND ACCOUNTID <> "
                                              "(SELECT ACCOUNTID FROM INBOX WHERE ID = " + std::to_string(data.inboxId) + ") LIMIT 1")[0]);
    std::unique_ptr<QMimeData> mime(emailDragData({1, 2}));
    EXPECT_EQ(draggedEmails(mime.get()), (QList<long>{1, 2}));
    struct Case {
        const char* what;
        long folder;
        int moved;
        std::string folderOfMail1;
    };
    const Case cases[] = {
        {"an account's root takes nothing", data.accountRootId, 0, std::to_string(data.inboxId)},
        {"another account's folder takes nothing", otherAccount, 0, std::to_string(data.inboxId)},
        {"an unknown folder takes nothing", 999999, 0, std::to_string(data.inboxId)},
        {"a folder of the same account", sent, 2, std::to_string(sent)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dropEmails(draggedEmails(mime.get()), c.folder), c.moved) << c.what;
        EXPECT_EQ(folderOf(1), c.folderOfMail1) << c.what;
    }
    EXPECT_EQ(folderOf(2), std::to_string(sent));
}

namespace {

struct FakeCalendar : CalendarEvents {
    QStringList log;
    std::set<long> events;
    int view = 4;
    int viewType() override { return view; }
    bool hasEvent(long id) override { return events.count(id) > 0; }
    void addEvent(const CalendarEventFields& e) override
    {
        events.insert(e.id);
        log << QString("add %1 %2 %3").arg(e.id).arg(e.subject, e.start.toString(Qt::ISODate));
    }
    void changeEvent(const CalendarEventFields& e) override { log << QString("change %1 %2").arg(e.id).arg(e.subject); }
    void deleteEvent(long id) override { events.erase(id), log << QString("delete %1").arg(id); }
    void save() override { log << "save"; }
    void populate() override { log << "populate"; }
    void ensureLabel(long label) override { log << QString("label %1").arg(label); }
};

// A task form that writes its record when it completes.
struct TaskForm : RecordedForms {
    using RecordedForms::RecordedForms;
    void F_Zadaci(long eventId, int flag, long partnerId, std::optional<long> category, const QString& text) override
    {
        RecordedForms::F_Zadaci(eventId, flag, partnerId, category, text);
        if (response == 1 && GLOBALREQUEST == 1) {
            CAL().EVENTID = 4242;
            CAL().SUBJECT = "Novi";
            CAL().LABELID = 2;
            CAL().STARTDATETIME_DATE = vrt::dayFromDate(QDate(2026, 12, 24));
            CAL().STARTDATETIME_TIME = vrt::timeFromQTime(QTime(9, 30));
        }
    }
};

} // namespace

TEST_F(OrganiserListsTest, PaneButtonsGuardAndAct)
{
    fill();
    ListSet lists;
    CallLog log;
    TaskForm forms(log);
    FakeCalendar calendar;
    QStringList calls;
    long financeCategory = 0, group = 0;
    struct Side : PaneButtonSide {
        QStringList& calls;
        long& financeCategory;
        long& group;
        Side(QStringList& c, long& f, long& g) : calls(c), financeCategory(f), group(g) {}
        int dispatch() override { return 0; }
        int tabChanged() override { return 0; }
        int run(Routine r) override { return calls << nameOf(r), 0; }
        long financeCategoryId() override { return financeCategory; }
        long selectedGroupId() override { return group; }
        void refreshGroups() override {}
        QString contactNoteText() override { return "Zove petkom"; }
        void mailTo(const QString& a) override { calls << "mail " + a; }
        void showMenu(vrt::PopupMenu&) override {}
    } side(calls, financeCategory, group);
    PaneButtonDeps d;
    d.lists = &lists;
    d.forms = &forms;
    d.calendar = &calendar;
    d.groupCommands = &mailpeople::contactGroupDesk();
    PaneButtons buttons(d, side, [&](long g, long p) {
        calls << QString("F_Grupa_Kontakti(%1,%2) request %3").arg(g).arg(p).arg(GLOBALREQUEST);
        return 2;
    });
    testsupport::presenter().clear();

    // Income with no category: the message and no form; change or delete on an empty list: nothing.
    EXPECT_EQ(buttons.before(59), 5);
    EXPECT_EQ(messages(), QStringList{"Odaberite kategoriju s lijeve strane !"});
    financeCategory = std::stol(query("SELECT ID FROM PRIHODIRASHODIKATEGORIJA LIMIT 1")[0]);
    EXPECT_EQ(buttons.before(59), 0);
    lists.setFinanceCategory(999999);
    EXPECT_EQ(buttons.before(60), 5);
    EXPECT_EQ(buttons.before(61), 5);

    // Deleting a document category that has documents asks; No keeps, Yes lets the delete go on.
    OrganiserList& categories = lists.list(ctl::IDK);
    categories.reset();
    ASSERT_TRUE(categories.select(0));
    testsupport::presenter().clear();
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    EXPECT_EQ(buttons.before(78), 5);
    testsupport::presenter().queueButton(vrt::BUTTON_YES);
    EXPECT_EQ(buttons.before(78), 0);
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(messages()[0], "Brisanjem kategorije obrisati će se dokumenti i stavke.Želite li nastaviti?");
    EXPECT_EQ(testsupport::presenter().calls()[0].caption, "Info");
    const std::string category = categories.cell("IDK:ID").toStdString();
    const int documents = std::stoi(query("SELECT COUNT(*) FROM IDokumenti WHERE KATEGORIJAID = " + category)[0]);
    ASSERT_GT(documents, 0);
    lists.list(ctl::IDK).source().deleteRecord(qlonglong(std::stol(category)));
    EXPECT_EQ(query("SELECT COUNT(*) FROM IDokumenti WHERE KATEGORIJAID = " + category)[0], "0");
    EXPECT_EQ(query("SELECT COUNT(*) FROM IDStavke WHERE KATEGORIJAID = " + category)[0], "0");

    // Groups: subgroups are checked before contacts.
    testsupport::presenter().clear();
    group = std::stol(query("SELECT ID FROM CON_GROUP WHERE TATAID = 0 LIMIT 1")[0]);
    buttons.after(124);
    group = std::stol(query("SELECT ID FROM CON_GROUP WHERE TATAID <> 0 LIMIT 1")[0]);
    buttons.after(124);
    query("UPDATE CON_CONTACTS SET GRUPAID = 0 WHERE GRUPAID = " + std::to_string(group));
    buttons.after(124);
    buttons.after(123);
    EXPECT_EQ(messages(), (QStringList{"Grupa ima podgrupe i ne može biti obrisana!", "Grupa ima kontakte i ne može biti obrisana!"}));
    const QString parent = QString::fromStdString(query("SELECT TATAID FROM CON_GROUP WHERE ID = " + std::to_string(group))[0]);
    EXPECT_EQ(calls, (QStringList{QString("F_Grupa_Kontakti(%1,%2) request 3").arg(group).arg(parent),
                                  QString("F_Grupa_Kontakti(%1,%2) request 2").arg(group).arg(parent)}));
    calls.clear();

    // Mail to the contact: the company address first, else the e-mail, else nothing.
    lists.setContactGroup(std::stol(query("SELECT GRUPAID FROM CON_CONTACTS WHERE ID = 1")[0]));
    ASSERT_TRUE(lists.list(ctl::Kontakti).selectId(qlonglong(1)));
    const QString email = QString::fromStdString(query("SELECT EMAIL FROM CON_CONTACTS WHERE ID = 1")[0]);
    query("UPDATE CON_CONTACTS SET TEMAIL = NULL WHERE ID = 1");
    lists.list(ctl::Kontakti).reset();
    buttons.after(152);
    query("UPDATE CON_CONTACTS SET TEMAIL = NULL, EMAIL = NULL WHERE ID = 1");
    lists.list(ctl::Kontakti).reset();
    buttons.after(152);
    EXPECT_EQ(calls, QStringList{"mail " + email});
    calls.clear();

    // The contact's note is written.
    buttons.after(135);
    EXPECT_EQ(query("SELECT NAPOMENA FROM CON_CONTACTS WHERE ID = 1")[0], "Zove petkom");
    // Calendar: a cancelled new event adds nothing; a completed one adds it once; a delete deletes.
    buttons.command = 9999999;
    forms.response = 2;
    buttons.after(4);
    EXPECT_TRUE(calendar.log.isEmpty());
    EXPECT_EQ(buttons.command, 0);
    buttons.command = 9999999;
    forms.response = 1;
    buttons.after(4);
    EXPECT_EQ(calendar.log, (QStringList{"label 2", "add 4242 Novi 2026-12-24T09:30:00", "save", "populate"}));
    calendar.log.clear();
    buttons.command = 4242;
    buttons.CalendarDeleteRequest = 1;
    buttons.after(4);
    EXPECT_EQ(calendar.log, (QStringList{"delete 4242", "populate"}));
    EXPECT_EQ(log.take(), (QStringList{"F_Zadaci(9999999,1,9999999,-,\"\")", "F_Zadaci(9999999,1,9999999,-,\"\")",
                                       "F_Zadaci(4242,0,9999999,-,\"\")"}));
    // Hidden buttons and moves by control number.
    buttons.after(28);
    buttons.after(57);
    buttons.after(105);
    buttons.after(131);
    EXPECT_EQ(calls, (QStringList{"MoveDownVrE", "MoveRightVrPRK", "DrawStateChart", "MoveRightVr"}));
    testsupport::presenter().clear();
}

namespace {

// The organiser window over the fixture's tables, with its panes, as W_First opens it.
struct PanesWindow {
    // The fixture opens and closes the tables itself.
    struct FixtureFiles : organiser::WindowFiles {
        int open() override { return 0; }
        void close() override {}
    } fixtureFiles;
    std::unique_ptr<organiser::OrganiserWindow> window;
    organiser::OrganiserPanes* panes = nullptr;
    organiser::RegistryControlFactory registry;
    organiser::StandInServices standIns;
    explicit PanesWindow(const QString& folder, const std::function<void(PanesWindow&, organiser::OrganiserDeps&)>& adjust = {})
    {
        organiser::OrganiserDeps deps;
        deps.dataFolder = folder;
        if (adjust)
            adjust(*this, deps);
        deps.files = &fixtureFiles;
        organiser::useDataLayer(deps);
        window = std::make_unique<organiser::OrganiserWindow>(standIns.fill(deps));
        panes = organiser::attachPanes(*window);
        EXPECT_TRUE(window->open());
        panes->lists().resetAll();
    }
    ~PanesWindow()
    {
        for (auto* q : {&VelmoraDll::InboxQ(), &VelmoraDll::PrihodiRashodiQ(), &VelmoraDll::KontaktiGrupaQ()})
            q->clear();
    }
    void showPage(int page)
    {
        window->manager().takeNotify(2, page);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(window->shownPage(), page);
    }
    struct Shown {
        long id;               // the tree row's
        std::set<QString> ids; // the driven list's `field` values
        QVariant range;        // the driven list's range
    };
    // Selects each row of a tree in turn; per row, what the driven list then shows.
    std::vector<Shown> walk(int tree, int list, const char* field)
    {
        QTreeView* view = panes->tree(tree);
        auto* model = static_cast<VelmoraDll::TreeQueueModel*>(view->model());
        std::vector<Shown> out;
        for (int p = 0; p < int(model->queue().size()); ++p) {
            view->setCurrentIndex(model->indexOfPosition(p));
            organiser::OrganiserList& l = panes->lists().list(list);
            std::set<QString> values;
            for (int r = 0; r < l.rowCount(); ++r)
                values.insert(l.cell(field, r));
            out.push_back({long(model->queue()[size_t(p)].ID), values, l.source().rangeValue});
        }
        return out;
    }
};

} // namespace

TEST_F(OrganiserListsTest, TreesFilledFromTheTablesDriveTheirLists)
{
    for (auto* q : {&VelmoraDll::InboxQ(), &VelmoraDll::PrihodiRashodiQ(), &VelmoraDll::KontaktiGrupaQ()})
        q->clear();
    const organiser::SampleResult sample = fill();
    PanesWindow w(m_folder->path());
    using namespace organiser;

    // Mail: the tab fills the folder tree, selects its second row; each folder shows exactly its mails.
    w.showPage(2);
    QTreeView* folders = w.panes->tree(tree::MailFolders);
    ASSERT_GT(VelmoraDll::InboxQ().size(), 2u);
    EXPECT_EQ(static_cast<VelmoraDll::TreeQueueModel*>(folders->model())->position(folders->currentIndex()), 1);
    // The window's lists read a screenful at a time: the range says which mails, the rows confirm it.
    for (const auto& [id, shown, range] : w.walk(tree::MailFolders, ctl::Email, "EM:INBOXID")) {
        EXPECT_EQ(range.toLongLong(), id);
        EXPECT_TRUE(shown.empty() || shown == std::set<QString>{QString::number(id)}) << id;
        if (id == sample.inboxId) {
            EXPECT_FALSE(shown.empty()) << "the inbox shows its mails";
        }
        if (id == sample.accountRootId) {
            EXPECT_TRUE(shown.empty()) << "the account's root holds no mail";
        }
    }

    // Finance: the tab fills the category tree; a category shows the entries of its subtree.
    w.showPage(6);
    ASSERT_FALSE(VelmoraDll::PrihodiRashodiQ().empty());
    // A category's subtree: itself and every row below it (the queue is depth-first).
    auto subtree = [](long root) {
        std::set<QString> ids{QString::number(root)};
        for (const auto& row : VelmoraDll::PrihodiRashodiQ())
            if (ids.count(QString::number(row.RODITELJ)))
                ids.insert(QString::number(row.ID));
        return ids;
    };
    std::set<QString> underIncome;
    for (const auto& [id, shown, range] : w.walk(tree::Categories, ctl::Pr, "PR:KATEGORIJAID")) {
        const std::set<QString> allowed = subtree(id);
        for (const QString& category : shown)
            EXPECT_TRUE(allowed.count(category)) << id << " shows " << category.toStdString();
        if (id == sample.incomeRootId)
            underIncome = shown;
    }
    EXPECT_FALSE(underIncome.empty()) << "the income root shows its subtree's entries";

    // Contacts: the group tree fills and its first group drives the contact list.
    w.showPage(8);
    ASSERT_FALSE(VelmoraDll::KontaktiGrupaQ().empty());
    for (const auto& [id, shown, range] : w.walk(tree::ContactGroups, ctl::Kontakti, "CON:GRUPAID")) {
        EXPECT_EQ(range.toLongLong(), id);
        EXPECT_TRUE(shown.empty() || shown == std::set<QString>{QString::number(id)}) << id;
    }
}

TEST_F(OrganiserListsTest, PerEventChecksShowTheMailAndWaitForAModalWindow)
{
    const organiser::SampleResult sample = fill();
    PanesWindow w(m_folder->path(), [](PanesWindow& self, OrganiserDeps& deps) {
        controls::registerBuiltInControls();
        deps.controls = &self.registry;
    });
    using namespace organiser;
    w.showPage(2);
    OrganiserList& mail = w.panes->lists().list(ctl::Email);
    w.panes->lists().setMailFolder(sample.inboxId);
    ASSERT_GT(mail.rowCount(), 1);
    auto* preview = qobject_cast<controls::PreviewBrowser*>(w.window->hosted().preview);
    auto* header = qobject_cast<controls::MessageHeaderPanel*>(w.window->hosted().headerPanel);
    ASSERT_TRUE(preview && header);
    auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    };
    auto expected = [&](int row) { return EventPump::previewPath(m_folder->path(), mail.cell("EM:MESSAGEID", row)); };
    auto headerSubject = [&] { return qobject_cast<QLabel*>(header->item(1))->text(); };

    for (int row : {0, 1}) {
        ASSERT_TRUE(mail.select(row));
        const QString before = preview->location();
        {
            vrt::ModalScope form; // a form opened above the window
            w.window->manager().takeTimer();
            settle();
            EXPECT_EQ(preview->location(), before) << row << ": nothing runs under the form";
        }
        settle();
        EXPECT_EQ(preview->location(), expected(row)) << row << ": the check ran once the form closed";
        EXPECT_EQ(headerSubject(), mail.cell("EM:SUBJECT", row)) << row;
    }
}

TEST_F(OrganiserListsTest, PaneButtonsReachTheirGuardsByControlNumber)
{
    fill();
    PanesWindow w(m_folder->path());
    using namespace organiser;
    w.showPage(6);
    QTreeView* categories = w.panes->tree(tree::Categories);
    ListSet& lists = w.panes->lists();
    struct Case {
        const char* what;
        bool categorySelected;
        int level;
        QStringList messages;
        int rememberedRow;
    };
    const Case cases[] = {
        {"no category: told and refused", false, vrt::LEVEL_CANCEL, {"message: Odaberite kategoriju s lijeve strane !"}, -1},
        {"a category: the row to come back to", true, vrt::LEVEL_BENIGN, {}, 0},
    };
    for (const Case& c : cases) {
        testsupport::presenter().clear();
        lists.RememberedRow = -1;
        if (c.categorySelected)
            categories->setCurrentIndex(categories->model()->index(0, 0));
        else
            categories->setCurrentIndex({});
        lists.list(ctl::Pr).select(0);
        EXPECT_EQ(w.window->manager().accept(59), c.level) << c.what;
        QStringList shown;
        for (const auto& call : testsupport::presenter().calls())
            shown << call.kind + ": " + call.text;
        EXPECT_EQ(shown, c.messages) << c.what;
        EXPECT_EQ(lists.RememberedRow, c.rememberedRow) << c.what;
    }
    testsupport::presenter().clear();
}

TEST_F(OrganiserListsTest, TreeMenusAreTranslatedAtTheFirstDisplayAndPostTheirButtons)
{
    fill();
    PanesWindow w(m_folder->path(), [](PanesWindow&, organiser::OrganiserDeps& deps) {
        deps.translate = [](const QString& t) { return t == "Novi poddirektorij" ? QString("New subfolder") : t; };
    });
    using namespace organiser;
    const vrt::PopupMenu& folders = w.panes->menus().menu(Popup::MailFolders);
    EXPECT_EQ(folders.items().front().text, "New subfolder");

    // A contact group entry reaches the pane button of its number, as the button would.
    std::vector<int> accepted;
    organiser::RecordedParts spy;
    spy.next = &w.window->parts();
    spy.onPaneButton = [&accepted](int control) { return accepted.push_back(control), vrt::LEVEL_BENIGN; };
    w.window->setParts(spy);
    vrt::PopupMenu& groups = w.panes->menus().menu(Popup::ContactGroups);
    for (const auto& item : groups.items())
        if (item.action)
            item.action();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(accepted, (std::vector<int>{121, 122, 123, 124}));
    w.window->setParts(*w.panes);
}
