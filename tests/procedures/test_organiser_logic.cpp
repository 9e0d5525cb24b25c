#include "tests/procedures/StandInServices.h"
#include "data/Globals.h"
#include "procedures/organiser/window/Heartbeat.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "procedures/organiser/lists/MoneyPicture.h"
#include "tests/procedures/ProcedureRecorders.h"
#include "procedures/organiser/window/TabSwitcher.h"
#include "procedures/organiser/window/UpdateRunner.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

using namespace organiser;

namespace {

// The heartbeat's world: a mailbox, the flag file and the mail program, all counted.
struct World : Heartbeat::Side {
    bool shownUnread = false;
    int readWrites = 0;
    long long emails = 10;
    int reloads = 0;
    int startFlag = 0;
    std::vector<int> flagWrites;
    std::vector<long long> receivesAt; // tick of each started receive
    long long tick = 0;
    bool childRunning = false;
    bool startFails = false;
    int startFailedReports = 0;
    std::vector<std::pair<int, int>> notes;
    bool writeFails = false;
    int stops = 0;

    bool markShownRead() override
    {
        if (!shownUnread)
            return true;
        if (writeFails)
            return false;
        ++readWrites;
        shownUnread = false;
        return true;
    }
    long long emailCount() override { return emails; }
    void emailsChanged() override { ++reloads; }
    bool receiveRunning() override { return childRunning; }
    bool startReceive() override
    {
        if (startFails)
            return false;
        receivesAt.push_back(tick);
        return true;
    }
    void receiveStartFailed() override { ++startFailedReports; }
    int readStartFlag() override { return startFlag; }
    void writeStartFlag(int v) override
    {
        flagWrites.push_back(v);
        startFlag = v;
    }
    void notifyFrame(int c, int n) override { notes.emplace_back(c, n); }
    void normalCursor() override {}
    void stopOnReadMarkFailure() override { ++stops; }
    void run(Heartbeat& hb, long long ticks)
    {
        for (long long i = 0; i < ticks; ++i) {
            ++tick;
            hb.advance(1);
        }
    }
};

} // namespace

TEST(Heartbeat, ReadMarkAndNewMail)
{
    World w;
    Heartbeat hb(w);
    hb.firstDisplay(std::nullopt);
    w.shownUnread = true;
    w.run(hb, 199);
    EXPECT_EQ(w.readWrites, 0); // shown for less than two seconds: still unread
    w.run(hb, 1);
    EXPECT_EQ(w.readWrites, 1);
    w.run(hb, 400);
    EXPECT_EQ(w.readWrites, 1); // already read: not written again

    // Another mail shown half-way through a cycle counts from its own start.
    w.run(hb, 100);
    w.shownUnread = true;
    hb.shownMailChanged();
    w.run(hb, 199);
    EXPECT_EQ(w.readWrites, 1);
    w.run(hb, 1);
    EXPECT_EQ(w.readWrites, 2);

    // A mail the user marked unread stays so while it is shown, also when the list selects
    // it again; shown again after another one, it is read after the delay.
    w.shownUnread = true;
    hb.keepShownUnread(7);
    hb.shownMailChanged(7);
    w.run(hb, 600);
    EXPECT_EQ(w.readWrites, 2);
    hb.shownMailChanged(8);
    hb.shownMailChanged(7);
    w.run(hb, 200);
    EXPECT_EQ(w.readWrites, 3);

    // New mail in the database is noticed at the next cycle, once.
    w.emails = 12;
    w.run(hb, 200);
    EXPECT_EQ(w.reloads, 1);
    EXPECT_EQ(hb.emailRowCount(), 12);
    w.run(hb, 400);
    EXPECT_EQ(w.reloads, 1);

    // A failed read-mark write stops (the stop window) and skips the rest of the cycle.
    w.shownUnread = true;
    w.writeFails = true;
    w.emails = 13;
    w.run(hb, 200);
    EXPECT_EQ(w.stops, 1);
    EXPECT_EQ(w.reloads, 1);

    // A timer that reports several events at once keeps the same cadence.
    World late;
    Heartbeat lateHb(late);
    lateHb.firstDisplay(std::nullopt);
    late.shownUnread = true;
    lateHb.advance(150);
    EXPECT_EQ(late.readWrites, 0);
    lateHb.advance(60);
    EXPECT_EQ(late.readWrites, 1);
    EXPECT_EQ(lateHb.readMarkTicks(), 10);
}

TEST(Heartbeat, ReceiveIntervals)
{
    struct Case {
        std::optional<long long> check;
        long long every;
    };
    for (auto c : {Case{std::nullopt, 30000}, Case{0, 30000}, Case{100, 6000}, Case{5000, 6000}, Case{7000, 7000}}) {
        World w;
        Heartbeat hb(w);
        hb.firstDisplay(c.check);
        EXPECT_EQ(hb.receiveInterval(), c.every);
        w.run(hb, 6000 + 2 * c.every);
        // The first one minute after the display, then one per interval.
        EXPECT_EQ(w.receivesAt, (std::vector<long long>{6000, 6000 + c.every, 6000 + 2 * c.every}))
            << (c.check ? *c.check : -1);
    }
    // Nothing happens before the first display.
    World idle;
    Heartbeat before(idle);
    before.advance(100000);
    EXPECT_TRUE(idle.receivesAt.empty());
}

TEST(Heartbeat, OneReceiveAtATime)
{
    World w;
    Heartbeat hb(w);
    hb.firstDisplay(100); // every 6000
    w.startFlag = 1;      // the mail program is receiving
    w.run(hb, 6000);
    w.startFlag = 0;
    w.childRunning = true; // the one we started still runs
    w.run(hb, 6000);
    EXPECT_TRUE(w.receivesAt.empty());
    w.childRunning = false;
    w.run(hb, 6000);
    EXPECT_EQ(w.receivesAt, std::vector<long long>{18000});

    // A receive from the ribbon resets the count: the next automatic one a full interval later.
    w.run(hb, 3000);
    hb.receiveStartedByUser();
    w.run(hb, 5999);
    EXPECT_EQ(w.receivesAt.size(), 1u);
    w.run(hb, 1);
    EXPECT_EQ(w.receivesAt.back(), 27000);

    // A program that cannot be started is reported once, not every interval.
    w.startFails = true;
    w.run(hb, 18000);
    EXPECT_EQ(w.startFailedReports, 1);
}

TEST(Heartbeat, FinishedReceiveIsAnnouncedOnce)
{
    World w;
    Heartbeat hb(w);
    hb.firstDisplay(std::nullopt);
    w.run(hb, 5);
    EXPECT_TRUE(w.notes.empty());
    w.startFlag = 2;
    w.run(hb, 5);
    EXPECT_EQ(w.notes, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(w.flagWrites, std::vector<int>{0});
}

TEST(UpdateRunner, NumbersOpenTheirForms)
{
    CallLog log;
    RecordedForms forms(log);
    forms.response = 1;
    struct Values : UpdateRunner::Values {
        long row = 0;
        long eventId() override { return 11; }
        long taskCategoryId() override { return 4; }
        long financeCategoryId() override { return 7; }
        int financeCategoryType() override { return 2; }
        long selectedContactId() override { return 55; }
        QString textBuffer() override { return QStringLiteral("Radni tekst"); }
        long outgoingDocumentsRow() override { return row; }
    } values;
    UpdateRunner runner(forms, values);
    const std::vector<std::pair<int, QString>> table = {
        {1, "F_Contact()"},
        {2, "F_TaskCategorie()"},
        {3, "F_Zadaci(11,0,9999999,4,\"Radni tekst\")"},
        {4, "F_PrihodiRashodi(7,2)"},
        {5, "F_ID_Kategorija()"},
        {6, "F_ID_Dokumenti(-)"},
        {7, "F_ID_Stavke()"},
        {8, "F_UD_Dokumenti(-)"},
        {9, "F_UD_Kategorija()"},
        {10, "F_Zadaci(11,0,55,-,\"\")"},
        {11, "F_UD_Dokumenti(55)"},
        {12, "F_ID_Dokumenti(55)"},
        {13, "F_PASS_Kategorija()"},
        {14, "F_PASS_Password()"},
        {15, "F_Notes()"},
    };
    for (const auto& [number, call] : table) {
        values.row = 100 + number;
        EXPECT_EQ(runner.run(0, number, vrt::CHANGE_RECORD), vrt::REQUEST_COMPLETED) << number;
        EXPECT_EQ(log.take(), QStringList{call}) << number;
        EXPECT_EQ(GLOBALREQUEST, vrt::CHANGE_RECORD) << number;
        if (number == 6) {
            EXPECT_EQ(runner.rememberedRow(), 106);
        }
    }
    EXPECT_EQ(runner.rememberedRow(), 106); // only number 6 remembers the row

    // A view-only window opens nothing; an unknown number is a cancel, not the last answer.
    GLOBALRESPONSE = vrt::REQUEST_COMPLETED;
    EXPECT_EQ(runner.run(vrt::VIEW_RECORD, 1, vrt::CHANGE_RECORD), vrt::REQUEST_CANCELLED);
    for (int unknown : {0, 16})
        EXPECT_EQ(runner.run(0, unknown, vrt::INSERT_RECORD), vrt::REQUEST_CANCELLED);
    EXPECT_TRUE(log.calls().isEmpty());
}

TEST(TabSwitcher, EachPageDoesItsWork)
{
    struct Rig : TabSwitcher::Side {
        CallLog log;
        RecordedPanes panes{log};
        RecordedGantt gantt{log};
        struct Frame : FrameLink {
            CallLog& log;
            explicit Frame(CallLog& l) : log(l) {}
            void notify(int c, int n) override { log.add(QStringLiteral("notify(%1,%2)").arg(c).arg(n)); }
        } frame{log};
        bool mailEmpty = true, categoriesEmpty = true, groupsEmpty = true;
        long taskCategory = 0;
        TabSwitcher switcher{panes, gantt, frame, *this};
        TabSwitcher* tabs = &switcher;

        void clearWorkTexts() override { log.add("clearWorkTexts"); }
        void freeChartQueues() override { log.add("FreeChartQueues"); }
        void writeLastTab(int p) override { log.add(QStringLiteral("LastTab=%1").arg(p)); }
        void showPage(int) override {}
        void showOverviewChart(bool on) override
        {
            if (on)
                log.add("showChart");
        }
        bool mailFolderQueueEmpty() override { return mailEmpty; }
        int fillInboxTree() override
        {
            log.add("S_FillInboxTree");
            mailEmpty = false;
            return 0;
        }
        void selectMailFolderRow(int r) override { log.add(QStringLiteral("folderRow(%1)").arg(r)); }
        void focusMailList() override { log.add("focusMailList"); }
        long taskCategoryId() override { return taskCategory; }
        void setTaskFilter(long id, const QString& f) override { log.add(QStringLiteral("filter(%1,%2)").arg(id).arg(f)); }
        bool categoryQueueEmpty() override { return categoriesEmpty; }
        void selectCategoryRow(int r) override
        {
            log.add(QStringLiteral("categoryRow(%1)").arg(r));
            categoriesEmpty = false;
        }
        void showFinancePage(int p) override { log.add(QStringLiteral("financePage(%1)").arg(p)); }
        bool contactGroupQueueEmpty() override { return groupsEmpty; }
        int fillContactGroupTree() override
        {
            log.add("S_FillContactGroupTree");
            groupsEmpty = false;
            return 0;
        }
        void contactGroupTree(bool select) override { log.add(select ? "groupRow(1)" : "focusGroups"); }
        void resetForce() override { log.add("Reset"); }
    };
    const QStringList head{"clearWorkTexts", "FreeChartQueues"};
    auto expect = [&](int page, QStringList middle, QStringList tail) {
        return head + QStringList{QStringLiteral("LastTab=%1").arg(page)} + middle + tail;
    };
    Rig r;
    r.tabs->tabChanged(2);
    EXPECT_EQ(r.log.take(), expect(2, {"S_FillInboxTree", "SetMailFolderIcons", "ReadEmailsSQL", "folderRow(2)"},
                                   {"notify(1,2)", "Reset"}));
    r.tabs->tabChanged(2);
    EXPECT_EQ(r.log.take(), expect(2, {"focusMailList"}, {"notify(1,2)", "Reset"}));
    r.tabs->tabChanged(3);
    EXPECT_EQ(r.log.take(), expect(3, {"filter(1,CAL:LABELID = '1')", "Reset"},
                                   {"notify(1,3)", "Reset", "T_CategoriesColor", "Reset"}));
    r.taskCategory = 5;
    r.tabs->tabChanged(3);
    EXPECT_EQ(r.log.take(), expect(3, {}, {"notify(1,3)", "Reset", "T_CategoriesColor", "Reset"}));
    r.tabs->tabChanged(1);
    EXPECT_EQ(r.log.take(), expect(1, {"showChart"}, {"notify(1,1)", "Reset"}));
    r.tabs->tabChanged(4);
    EXPECT_EQ(r.log.take(), expect(4, {"PopulateCalendar"}, {"notify(1,4)", "Reset"}));
    for (auto [width, set] : std::vector<std::pair<int, bool>>{{50, true}, {800, true}, {100, false}, {750, false}}) {
        r.gantt.width = width;
        r.tabs->tabChanged(5);
        EXPECT_EQ(r.log.take(), expect(5, set ? QStringList{"PaneWidth(0)=333"} : QStringList{}, {"notify(1,5)", "Reset"}))
            << width;
    }
    r.tabs->tabChanged(6);
    EXPECT_EQ(r.log.take(), expect(6, {"FillFinanceCategoryTree", "categoryRow(1)", "financePage(1)", "notify(1,101)"},
                                   {"notify(1,6)", "Reset"}));
    r.tabs->tabChanged(6);
    EXPECT_EQ(r.log.take(), expect(6, {"financePage(1)", "notify(1,101)"}, {"notify(1,6)", "Reset"}));
    r.tabs->tabChanged(7);
    EXPECT_EQ(r.log.take(), expect(7, {"Reset"}, {"notify(1,7)", "Reset"}));
    r.tabs->tabChanged(8);
    EXPECT_EQ(r.log.take(), expect(8, {"S_FillContactGroupTree", "groupRow(1)"}, {"notify(1,8)", "Reset"}));
    r.tabs->tabChanged(8);
    EXPECT_EQ(r.log.take(), expect(8, {"focusGroups"}, {"notify(1,8)", "Reset"}));
    // A failing routine ends the switch where it failed.
    r.panes.failing = {"PopulateCalendar"};
    EXPECT_EQ(r.tabs->tabChanged(4), 1);
    EXPECT_EQ(r.log.take(), expect(4, {"PopulateCalendar"}, {}));
}

TEST(MoneyPicture, FromTheLocalSeparators)
{
    const QString nbsp(QChar(0x00A0)), narrow(QChar(0x202F));
    struct Case {
        QString decimal, thousands, picture, decimalToken, thousandsToken;
    };
    for (const auto& c : {Case{",", ".", "@N-14.`2b", "`", "."}, Case{".", ",", "@N-14.2b", ".", ""},
                          Case{",", nbsp, "@N-14_`2b", "`", "_"}, Case{",", narrow, "@N-14_`2b", "`", "_"},
                          Case{"", "", "@N-142b", "", ""}, Case{".", "'", "@N-14'.2b", ".", "'"}}) {
        EXPECT_EQ(moneyPicture(c.decimal, c.thousands), c.picture) << c.picture.toStdString();
        const MoneyTokens t = moneyTokens(c.decimal, c.thousands);
        EXPECT_EQ(t.decimal, c.decimalToken);
        EXPECT_EQ(t.thousands, c.thousandsToken);
    }
    const MoneyTokens hr = moneySeparators(QLocale(QLocale::Croatian, QLocale::Croatia));
    EXPECT_EQ(moneyPicture(hr.decimal, hr.thousands), "@N-14.`2b");
}

TEST(Korbelsteen, StartsTheProgramWithItsArguments)
{
    // A recording stand-in for the mail program, placed in the data folder.
    testsupport::TempFolder data;
    const QString record = data.file("args.txt");
    data.write("korbelsteen", QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.tmp'\n"
                                             "mv '%1.tmp' '%1'\nsleep 1\n").arg(record).toUtf8());
    QFile::setPermissions(data.file("korbelsteen"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The one installed beside this program wins over a file of that name in the data folder.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/korbelsteen");
    if (QFileInfo(beside).isExecutable()) {
        EXPECT_EQ(korbelsteen::programPath(data.path()), beside);
    } else if (QStandardPaths::findExecutable(QStringLiteral("korbelsteen")).isEmpty()) {
        EXPECT_EQ(korbelsteen::programPath(data.path()), data.file("korbelsteen"));
    }

    korbelsteen::DetachedLauncher launcher;
    EXPECT_FALSE(launcher.lastStillRunning());
    const QStringList args = korbelsteen::replyArgs(data.file("a b.html"), korbelsteen::Reply, 7);
    ASSERT_TRUE(launcher.startDetached(data.file("korbelsteen"), args));
    EXPECT_TRUE(launcher.lastStillRunning()); // it sleeps before it ends
    for (int i = 0; i < 500 && !QFileInfo::exists(record); ++i)
        QThread::msleep(10);
    EXPECT_EQ(QString::fromUtf8(data.read("args.txt")).split('\n', Qt::SkipEmptyParts), args);
    EXPECT_FALSE(launcher.startDetached(data.file("missing"), korbelsteen::receiveArgs()));
}
