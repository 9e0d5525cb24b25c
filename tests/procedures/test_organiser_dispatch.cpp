#include "tests/procedures/StandInServices.h"
#include "protocols/MailNames.h"
#include "data/Globals.h"
#include "procedures/organiser/window/CommandDispatcher.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "tests/procedures/ProcedureRecorders.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace organiser;
using testsupport::presenter;

namespace {

struct FakeLauncher : ProcessLauncher {
    CallLog& log;
    bool running = false;
    bool fails = false;
    QString program;
    explicit FakeLauncher(CallLog& l) : log(l) {}
    bool startDetached(const QString& p, const QStringList& args) override
    {
        program = p;
        log.add("start " + args.join(' '));
        return !fails;
    }
    bool lastStillRunning() override { return running; }
};

struct FakeFrame : FrameLink {
    CallLog& log;
    explicit FakeFrame(CallLog& l) : log(l) {}
    void notify(int code, int number) override { log.add(QStringLiteral("notify(%1,%2)").arg(code).arg(number)); }
};

// The organiser window's side, every effect written to the same log.
struct Rig {
    testsupport::TempFolder data;
    CallLog log;
    RecordedForms forms{log};
    RecordedPanes panes{log};
    RecordedGantt gantt{log};
    RecordedCalendar calendar{log};
    RecordedPrimer primer{log};
    FakeLauncher launcher{log};
    FakeFrame frame{log};
    int page = 1;
    int financePage = 1; // the finance sheet opens on its first page
    bool treeEmpty = true;
    long long emailId = 0;
    QString messageId;
    long long printRecord = 0;
    std::set<int> disabled;
    QDate today{2026, 12, 10};
    std::unique_ptr<CommandDispatcher> dispatcher;

    Rig()
    {
        WindowSide w;
        w.postAccepted = [this](int c) { log.add(QStringLiteral("post(%1)").arg(c)); };
        w.postNewSelection = [this](int c) { log.add(QStringLiteral("newSelection(%1)").arg(c)); };
        w.isEnabled = [this](int c) { return !disabled.count(c); };
        w.shownPage = [this] { return page; };
        w.emptyMailFolderQueue = [this] { log.add("emptyMailFolderQueue"); };
        w.categoryTreeEmpty = [this] { return treeEmpty; };
        w.selectCategoryRow = [this](bool first) { log.add(first ? "selectCategoryRow(first)" : "selectCategoryRow(last)"); };
        w.showFinancePage = [this](int p) {
            financePage = p;
            log.add(QStringLiteral("financePage(%1)").arg(p));
        };
        w.shownFinancePage = [this] { return financePage; };
        w.freeChartQueues = [this] { log.add("FreeChartQueues"); };
        w.resetForce = [this] { log.add("Reset"); };
        w.setStateChartKind = [this](int k) { log.add(QStringLiteral("STANJETIP=%1").arg(k)); };
        w.emailId = [this] { return emailId; };
        w.messageId = [this] { return messageId; };
        w.printRecordId = [this] { return printRecord; };
        w.receiveStartedByUser = [this] { log.add("ReceiveTicks=0"); };
        w.today = [this] { return today; };
        dispatcher = std::make_unique<CommandDispatcher>(
            Services{&forms, &panes, &gantt, &calendar, &launcher, &frame, &primer}, w, data.path());
    }
};

} // namespace

TEST(CommandDispatcher, EveryCommandReachesItsAction)
{
    const QStringList none;
    struct Case {
        int code;
        QStringList calls;
        int page = 1;
        int financeTab = -1; // expected LN:PR:TAB afterwards (-1: not checked)
    };
    const std::vector<Case> cases = {
        {1002, {"start / /1 /0 /"}},
        {2001, {"start / /1 /0 /"}},
        {1003, {"Prime(CAL_CalendarEvents)", "F_Zadaci(0,0,0,-,\"\")", "Release(CAL_CalendarEvents)"}},
        {1004, {"Prime(ProizvodUsluga)", "F_Proizvodi()", "Release(ProizvodUsluga)"}},
        {1007, {"Prime(Passwords)", "F_PASS_Password()", "Release(Passwords)"}},
        {1010, {"W_Postavke()"}},
        {1011, {"T_Accounti(-)", "SetMailFolderIcons", "ReadEmailsSQL"}, 2},
        {1011, {"T_Accounti(-)", "emptyMailFolderQueue"}, 3},
        {1012, {"W_Backup(\"\")"}},
        {1013, {"notify(2,2)"}},
        {1014, {"FillTaskPanel"}},
        {1015, {"Prime(CON_Contacts)", "F_Contact()", "Release(CON_Contacts)"}},
        {1100, {"Prime(PrihodiRashodi)", "F_PrihodiRashodi(1,1)", "Release(PrihodiRashodi)"}},
        {1101, {"Prime(PrihodiRashodi)", "F_PrihodiRashodi(2,2)", "Release(PrihodiRashodi)"}},
        {1102, {"Prime(UDokumenti)", "F_UD_Dokumenti(-)", "Release(UDokumenti)"}},
        {1103, {"Prime(IDokumenti)", "F_ID_Dokumenti(-)", "Release(IDokumenti)"}},
        {2005, {"start /SR", "ReceiveTicks=0"}},
        {2006, {"DeleteEmail"}},
        {2007, {"R_Email()"}},
        {2008, {"T_Accounti(-)", "SetMailFolderIcons", "ReadEmailsSQL"}, 5},
        {3001, {"post(33)"}}, {3002, {"post(34)"}}, {3003, {"post(35)"}},
        {3004, {"post(38)"}}, {3005, {"post(39)"}}, {3006, {"post(40)"}},
        {3007, none}, // no task chosen for printing
        {4004, {"PopulateCalendar"}},
        {4005, {"PrintPreview(1)"}},
        {5001, {"BeginUpdate", "RemoveAllItems", "EndUpdate", "SetupGantt"}},
        {5005, {"IndentGanttActivity"}},
        {5006, {"OutdentGanttActivity"}},
        {5007, {"MoveGanttActivityUp"}},
        {5008, {"MoveGanttActivityDown"}},
        {5013, {"ExportProjectXml"}},
        {5014, {"ExportProjectXml"}}, // the same export from the "Spremi plan" menu
        {6001, {"FillFinanceCategoryTree", "selectCategoryRow(first)", "newSelection(53)", "financePage(1)", "notify(1,101)"}, 1, 1},
        {6003, {"financePage(2)", "notify(1,102)", "FreeChartQueues", "Reset"}, 1, 2},
        {6004, {"financePage(3)", "notify(1,103)", "FreeChartQueues", "Reset"}, 1, 3},
        {6005, {"FreeChartQueues", "STANJETIP=1", "ShowStateChart", "financePage(4)", "notify(1,104)", "FreeChartQueues", "Reset"}, 1, 4},
        // Before any finance page was chosen, the income and expense list shown is the one.
        {6998, {"ExportExcelIncomeExpenses"}, 6, 0}, {6999, {"PrintIncomeExpenses"}, 6, 0},
        {7001, {"post(109)"}}, {7002, {"post(110)"}}, {7003, {"post(111)"}},
        {7004, {"post(114)"}}, {7005, {"post(115)"}}, {7006, {"post(116)"}},
        {8001, {"post(121)"}}, {8002, {"post(122)"}}, {8003, {"post(123)"}}, {8004, {"post(124)"}},
        {8005, {"post(125)"}}, {8006, {"post(126)"}}, {8007, {"post(127)"}},
        {8008, {"post(139)"}}, {8009, {"post(138)"}}, {8010, {"post(140)"}},
        {8011, {"post(144)"}}, {8012, {"post(143)"}}, {8013, {"post(145)"}},
        {8014, {"post(149)"}}, {8015, {"post(148)"}}, {8016, {"post(150)"}},
        {1001, none}, {1005, none}, {1009, none}, {5010, none}, {6002, none}, {9999, none}, {1006, none},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.page = c.page;
        EXPECT_EQ(rig.dispatcher->dispatch(c.code), 0) << c.code;
        EXPECT_EQ(rig.log.calls(), c.calls) << c.code;
        EXPECT_EQ(rig.dispatcher->command(), 0) << c.code;
        if (c.financeTab >= 0) {
            EXPECT_EQ(rig.dispatcher->financeTab(), c.financeTab) << c.code;
        }
        if (c.code == 1002 || c.code == 2005) {
            EXPECT_EQ(rig.launcher.program, korbelsteen::programPath(rig.data.path())) << c.code;
        }
    }
}

TEST(CommandDispatcher, StateDependentCommands)
{
    struct Case {
        const char* name;
        std::function<void(Rig&)> setUp;
        int code;
        QStringList calls;
    };
    const std::vector<Case> cases = {
        {"disabled buttons are not pressed", [](Rig& r) { r.disabled = {34, 110, 126, 150}; }, 3002, {}},
        {"enabled-only post", [](Rig& r) { r.disabled = {34}; }, 3001, {"post(33)"}},
        {"print the chosen task", [](Rig& r) { r.printRecord = 7; }, 3007, {"R_Task()"}},
        {"finance tree already filled", [](Rig& r) { r.treeEmpty = false; }, 6001,
         {"selectCategoryRow(last)", "newSelection(53)", "financePage(1)", "notify(1,101)"}},
        {"excel of the page shown", [](Rig& r) { r.financePage = 3; }, 6998, {"ExportExcelInvoice"}},
        {"print of the page shown", [](Rig& r) { r.financePage = 4; }, 6999, {"PrintState"}},
        {"failed priming opens no form", [](Rig& r) { r.primer.fails = true; }, 1015, {"Prime(CON_Contacts)"}},
        {"new task completed on the overview refills the panel",
         [](Rig& r) { r.forms.response = 1; }, 1003,
         {"Prime(CAL_CalendarEvents)", "F_Zadaci(0,0,0,-,\"\")", "Reset", "FillTaskPanel"}},
        {"new task completed elsewhere", [](Rig& r) { r.forms.response = 1; r.page = 3; }, 1003,
         {"Prime(CAL_CalendarEvents)", "F_Zadaci(0,0,0,-,\"\")", "Reset"}},
        // A stored record is shown at once by the list that shows its kind.
        {"a new contact stored", [](Rig& r) { r.forms.response = 1; r.page = 8; }, 1015,
         {"Prime(CON_Contacts)", "F_Contact()", "Reset"}},
        {"a receive under way is not doubled", [](Rig& r) { r.launcher.running = true; }, 2005, {}},
    };
    for (const auto& c : cases) {
        Rig rig;
        c.setUp(rig);
        rig.dispatcher->dispatch(c.code);
        EXPECT_EQ(rig.log.calls(), c.calls) << c.name;
    }
    // A failing routine ends the command at once and leaves it pending.
    Rig rig;
    rig.page = 2;
    rig.panes.failing = {"SetMailFolderIcons"};
    EXPECT_EQ(rig.dispatcher->dispatch(2008), 1);
    EXPECT_EQ(rig.log.calls(), QStringList({"T_Accounti(-)", "SetMailFolderIcons"}));
    EXPECT_EQ(rig.dispatcher->command(), 2008);
    // The insert request reaches the form.
    Rig insert;
    insert.dispatcher->dispatch(1004);
    EXPECT_EQ(GLOBALREQUEST, 1);
}

TEST(CommandDispatcher, MailCommandLinesAreArgumentLists)
{
    Rig rig;
    rig.data.write("Email/abc.html", "<p>body</p>");
    rig.emailId = 42;
    rig.messageId = "abc";
    struct Case {
        int code;
        QString mode;
    };
    for (auto c : {Case{2002, "/2"}, Case{2003, "/3"}, Case{2004, "/4"}}) {
        QFile::remove(rig.data.file("abc.html"));
        rig.dispatcher->dispatch(c.code);
        EXPECT_EQ(rig.data.read("abc.html"), QByteArray("<p>body</p>")) << c.code;
        EXPECT_EQ(rig.log.take(), QStringList{"start /" + rig.data.file("abc.html") + " " + c.mode + " /42 /"}) << c.code;
    }
    // No current message: nothing copied, nothing started. A new message ignores the current one.
    rig.emailId = 0;
    QFile::remove(rig.data.file("abc.html"));
    rig.dispatcher->dispatch(2002);
    EXPECT_TRUE(rig.log.take().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(rig.data.file("abc.html")));
    rig.emailId = 42;
    rig.dispatcher->dispatch(1002);
    EXPECT_EQ(rig.log.take(), QStringList{"start / /1 /0 /"});

    // A message id from a hostile header stays a file name inside the data folder.
    for (const QString& hostile : {QStringLiteral("../../outside"), QStringLiteral("a/b\\c"), QStringLiteral("\" /SR \"")}) {
        const QString copy = korbelsteen::bodyCopy(rig.data.path(), hostile);
        const QString body = korbelsteen::bodyFile(rig.data.path(), hostile);
        EXPECT_EQ(QFileInfo(copy).absolutePath(), QDir(rig.data.path()).absolutePath()) << hostile.toStdString();
        EXPECT_EQ(QFileInfo(body).absolutePath(), QDir(rig.data.file("Email")).absolutePath()) << hostile.toStdString();
        EXPECT_EQ(QFileInfo(body).fileName(), controls::bodyFileName(hostile)); // the receiver's name
        rig.messageId = hostile;
        rig.dispatcher->dispatch(2002);
        const QStringList started = rig.log.take();
        ASSERT_EQ(started.size(), 1);
        EXPECT_TRUE(started[0].endsWith(" /2 /42 /")) << started[0].toStdString();
    }
    EXPECT_EQ(korbelsteen::toAddressArgs("a@b.hr \"/SR"), QStringList({"/0", "/0", "/0", "/a@b.hr \"/SR"}));

    // A program that cannot start is reported, not silently ignored.
    presenter().clear();
    rig.launcher.fails = true;
    rig.dispatcher->dispatch(1002);
    ASSERT_EQ(presenter().calls().size(), 1u);
}

TEST(CommandDispatcher, ProjectPlanCommands)
{
    // Save with no plan file yet, or with one deleted meanwhile, is "save as".
    for (bool deleted : {false, true}) {
        Rig rig;
        if (deleted)
            rig.dispatcher->setProjectFileName(rig.data.file("gone.xml"));
        presenter().queueFile(rig.data.file("plan.xml"));
        rig.dispatcher->dispatch(5003);
        EXPECT_EQ(rig.log.take(), QStringList({"BeginUpdate", "SaveXML", "EndUpdate"})) << deleted;
        EXPECT_EQ(rig.dispatcher->projectFileName(), rig.data.file("plan.xml"));
        EXPECT_TRUE(QFileInfo::exists(rig.data.file("plan.xml")));
        ASSERT_FALSE(presenter().calls().empty());
        EXPECT_EQ(presenter().calls().back().kind, "file");
        EXPECT_EQ(presenter().calls().back().text, "Save"); // the dialog's title
        EXPECT_EQ(presenter().calls().back().buttons, vrt::FILE_SAVE);
    }
    // A failing save keeps the plan that was there.
    {
        Rig rig;
        rig.data.write("plan.xml", "<old/>");
        rig.dispatcher->setProjectFileName(rig.data.file("plan.xml"));
        rig.gantt.saveFails = true;
        presenter().clear();
        rig.dispatcher->dispatch(5003);
        EXPECT_EQ(rig.data.read("plan.xml"), QByteArray("<old/>"));
        EXPECT_EQ(presenter().calls().size(), 1u);
        rig.gantt.saveFails = false;
        rig.dispatcher->dispatch(5003);
        EXPECT_EQ(rig.data.read("plan.xml"), QByteArray("<Project/>"));
        EXPECT_FALSE(rig.dispatcher->ganttUpdating());
    }
    // Open: a cancelled dialog changes nothing; a chosen file binds every item's bar.
    {
        Rig rig;
        rig.dispatcher->dispatch(5002);
        EXPECT_TRUE(rig.log.take().isEmpty());
        presenter().queueFile("/p/x.xml");
        rig.dispatcher->dispatch(5002);
        const QStringList calls = rig.log.take();
        EXPECT_EQ(calls.mid(0, 3), QStringList({"BeginUpdate", "LoadXML(/p/x.xml)", "AllowCellValueToItemBar(1)"}));
        EXPECT_EQ(calls.count("CellValueToItemBar(3,3,258)"), 1);
        EXPECT_EQ(calls.filter(QRegularExpression("^CellValueToItemBar")).size(), 9);
        EXPECT_EQ(calls.mid(calls.size() - 2), QStringList({"EndUpdate", "RenumberGanttWbs"}));
    }
    // An activity added on a Saturday starts on Monday and ends on Tuesday.
    {
        Rig rig;
        rig.today = QDate(2026, 12, 12); // Saturday
        rig.dispatcher->dispatch(5009);
        EXPECT_EQ(rig.log.take(), QStringList({
            "InsertItem", "CellValue(1,4)=1", "CellValue(1,0)=Nova aktivnost",
            "CellValue(1,1)=2026-12-14", "CellValue(1,2)=2026-12-15", "CellValue(1,3)=1",
            "SelectItem(1)", "EnsureVisibleItem(1)", "AddBar(1,Task,2026-12-14,2026-12-15)", "ItemBar(1,20)=1",
            "CellValueToItemBar(1,1,1)", "CellValueToItemBar(1,2,2)", "CellValueToItemBar(1,3,258)",
            "RenumberGanttWbs", "AutoEdit(1)", "Edit"}));
        rig.dispatcher->dispatch(5004);
        const QStringList wbs = rig.log.take();
        EXPECT_TRUE(wbs.contains("CellValue(2,0)=Novi WBS"));
        EXPECT_TRUE(wbs.contains("AddBar(2,Summary,2026-12-14,2026-12-15)"));
        EXPECT_FALSE(wbs.contains("Edit"));
    }
    // Deleting an activity with children refuses; one without loses its links and itself.
    {
        Rig rig;
        rig.gantt.focused = 5;
        rig.gantt.withChildren = {5};
        presenter().clear();
        rig.dispatcher->dispatch(5012);
        EXPECT_EQ(rig.log.take(), QStringList({"BeginUpdate", "EndUpdate", "RenumberGanttWbs"}));
        ASSERT_EQ(presenter().calls().size(), 1u);
        EXPECT_EQ(presenter().calls()[0].text, "Prethodno morate obrisati aktivnosti koje su \"djeca\" tekuće aktivnosti ili WBS-a!");
        rig.gantt.withChildren.clear();
        rig.dispatcher->dispatch(5012);
        EXPECT_EQ(rig.log.take(), QStringList({"BeginUpdate", "RemoveLinksOf(5)", "RemoveItem(5)", "EndUpdate", "RenumberGanttWbs"}));
        rig.gantt.focused = 0;
        rig.dispatcher->dispatch(5012);
        EXPECT_EQ(rig.log.take(), QStringList({"BeginUpdate", "EndUpdate", "RenumberGanttWbs"}));
    }
}
