// W_First.FillTaskPanel on a real database: the open tasks as lines, the demonstration tasks
// around today, the notes' tags, the backup on start and the order of the window's steps.
#include "procedures/organiser/panes/TaskPanelFill.h"
#include "procedures/mail/MailActions.h"
#include "tests/procedures/ProcedureRecorders.h"
#include "procedures/organiser/panes/TaskPanelWidget.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"

#include <QLocale>

using namespace organiser;
using panes::TaskPanelFill;

namespace {

struct Event {
    int id;
    int status;
    const char* start; // "YYYY-MM-DD HH:MM:SS"
    const char* location;
    const char* subject = "Zadatak";
    const char* body = "";
    int label = 0;
};

class TaskPanelFillTest : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (!IsSkipped())
            lists.emplace();
    }
    void TearDown() override
    {
        lists.reset();
        OrganiserListsTest::TearDown();
    }
    void add(const Event& e)
    {
        Access(Tbl::CAL_CalendarEvents).clearBuffer();
        CAL().EVENTID = e.id;
        CAL().STATUS = e.status;
        CAL().PARTNERID = 40 + e.id;
        CAL().LABELID = e.label;
        const auto [day, time] = vrt::dateTimeFromText(QString::fromLatin1(e.start));
        CAL().STARTDATETIME_DATE = CAL().ENDDATETIME_DATE = day;
        CAL().STARTDATETIME_TIME = time;
        CAL().ENDDATETIME_TIME = time + 360000;
        CAL().SUBJECT = e.subject;
        CAL().LOCATION = e.location;
        CAL().BODY = e.body;
        ASSERT_EQ(Access(Tbl::CAL_CalendarEvents).Insert(), 0);
    }
    std::string stored(int id, const char* column)
    {
        const auto r = query(std::string("SELECT ") + column + " FROM CAL_CalendarEvents WHERE EVENTID = " + std::to_string(id));
        return r.empty() ? "none" : r[0];
    }
    void setIni(const char* key, const char* value)
    {
        vrt::IniFile(m_folder->file("Standard.ini")).put("Backup", key, value);
    }

    // Every step writes its name to the log; the chart and the window start hidden.
    struct RecordingSide : panes::TaskPanelSide {
        explicit RecordingSide(TaskPanelFillTest& t) : test(t) {}
        TaskPanelFillTest& test;
        QString translate(const QString& t) override { return "T:" + t; }
        QDate today() override { return QDate(2026, 12, 10); }
        void showPanel() override { test.log.add("showPanel"); }
        void refreshPanel() override { test.log.add("refreshPanel"); }
        int noteRows() override { return test.lists->list(ctl::Notes).rowCount(); }
        QString noteCell(const QString& f, int r) override { return test.lists->list(ctl::Notes).cell(f, r); }
        void resetNotes() override
        {
            test.log.add("resetNotes");
            test.lists->list(ctl::Notes).reset();
        }
        int drawFinanceChart() override { return test.log.add("DrawFinanceChart"), 0; }
        bool chartHidden() override { return test.chartHidden; }
        void showChart() override
        {
            test.log.add("showChart");
            test.chartHidden = false;
        }
        void backup(const QString& dest) override { test.forms.W_Backup(dest); }
        // Once the panel is connected, the tab's switch asks for a refill while the fill runs.
        int tabChanged() override
        {
            test.log.add("TabChanged");
            if (TaskEditor* editor = test.panel.editor())
                editor->refill();
            return 0;
        }
        bool windowHidden() override { return test.windowHidden; }
        void showWindow() override
        {
            test.log.add("showWindow");
            test.windowHidden = false;
        }
    };

    TaskPanelModel panel;
    std::optional<ListSet> lists;
    TagSetClass tags;
    CallLog log;
    RecordedForms forms{log};
    bool chartHidden = true, windowHidden = true;
    RecordingSide side{*this};
};

} // namespace

TEST_F(TaskPanelFillTest, OpenTasksAreListedLatestFirstWithTheirStatusIcon)
{
    const Event events[] = {
        {1, 0, "2026-12-01 08:00:00", "Ured"},
        {2, 2, "2026-12-20 08:00:00", "Ured", "Gotovo"}, // done: never listed
        {3, 1, "2026-12-15 09:05:00", "Ured"},
        {4, 0, "2026-12-09 14:30:00", "Zagreb", "Sastanak", "Ponijeti ugovor"},
    };
    for (const Event& e : events)
        add(e);
    panel.ADDTASK(panel.ADDHEADER("Stari", 0, false), "stara linija", 0, false, {}, false, 99);

    TaskPanelFill fill(panel, m_folder->path(), side, &tags);
    EXPECT_EQ(fill.run(), 0);

    ASSERT_EQ(panel.headers().size(), 1u) << "the previous heading goes with its lines";
    const ptp::HEADERQ& h = panel.headers()[0];
    EXPECT_EQ(h.TITLE, "T:" + panes::kTaskPanelHeading);
    EXPECT_EQ(h.ICONNAME, "hand_paper.ico");
    EXPECT_TRUE(h.ISEXPANDED);
    EXPECT_TRUE(h.ISALWAYSEXPANDED);

    const QString images = vrt::joinPath(m_folder->path(), "Images");
    const std::pair<long, QString> expected[] = {
        {3, vrt::joinPath(images, "smiley3.ico")},
        {4, vrt::joinPath(images, "smiley2.ico")},
        {1, vrt::joinPath(images, "smiley2.ico")}};
    ASSERT_EQ(h.TASKQUEUE.size(), std::size(expected));
    for (size_t i = 0; i < h.TASKQUEUE.size(); ++i) {
        EXPECT_EQ(long(h.TASKQUEUE[i].USERDATA), expected[i].first) << i;
        EXPECT_EQ(h.TASKQUEUE[i].ICONNAME, expected[i].second) << i;
    }
    EXPECT_EQ(h.TASKQUEUE[1].TITLE, QLocale().toString(QDate(2026, 12, 9), QLocale::ShortFormat) +
                                      " 14:30, Sastanak, Zagreb, Ponijeti ugovor");
    EXPECT_TRUE(m_errors.raised.empty());
}

TEST(TaskPanelLine, IsCutToItsCapacityOnACharacterBoundary)
{
    const QString body = QString::fromUtf8("😀").repeated(9000);
    const QString line = TaskPanelFill::lineText("2026-12-09 14:30:00", "S", "L", body);
    EXPECT_EQ(line.toUcs4().size(), 7999);
    EXPECT_TRUE(line.back().isLowSurrogate());
    EXPECT_EQ(TaskPanelFill::statusIcon("/d", 2), QString());
    testsupport::expectEnglishRows({panes::kTaskPanelHeading});
}

TEST_F(TaskPanelFillTest, DemonstrationTasksMoveAroundToday)
{
    add({1, 0, "2020-01-05 09:15:00", "Test3"});
    add({2, 0, "2020-01-05 10:00:00", "Test2"});
    add({3, 0, "2020-01-05 11:30:00", "Test1"});
    TaskPanelFill(panel, m_folder->path(), side, &tags).run();
    const char* const expected[][2] = {{"2026-12-09 09:15:00", "2026-12-09 10:15:00"},
                                       {"2026-12-10 10:00:00", "2026-12-10 11:00:00"},
                                       {"2026-12-11 11:30:00", "2026-12-11 12:30:00"}};
    for (int id = 1; id <= 3; ++id) {
        EXPECT_EQ(stored(id, "STARTDATETIME"), expected[id - 1][0]) << id;
        EXPECT_EQ(stored(id, "ENDDATETIME"), expected[id - 1][1]) << id;
    }
}

TEST_F(TaskPanelFillTest, OtherTasksAreNotWritten)
{
    // Row 1 with another sample's location, row 2 elsewhere, row 3 missing.
    add({1, 0, "2020-01-05 09:15:00", "Test1"});
    add({2, 0, "2020-01-05 10:00:00", "Ured"});
    add({4, 0, "2020-01-05 11:30:00", "Test1"});
    // The test's statements run on the thread's connection, so its count of changes sees every write.
    const std::string before = query("SELECT total_changes()")[0];
    TaskPanelFill(panel, m_folder->path(), side, &tags).run();
    EXPECT_EQ(query("SELECT total_changes()")[0], before);
    EXPECT_EQ(stored(1, "STARTDATETIME"), "2020-01-05 09:15:00");
    EXPECT_TRUE(m_errors.raised.empty());
}

TEST_F(TaskPanelFillTest, BackupRunsOnceAtStartWhenSetUpWithADestination)
{
    struct Case {
        const char* what;
        const char* onStart;     // nullptr: not written
        const char* destination; // nullptr: not written
        QStringList backups;
    };
    const Case cases[] = {
        {"nothing set", nullptr, nullptr, {}},
        {"on, no destination", "1", nullptr, {}},
        {"on, a blank destination", "1", "   ", {}},
        {"off", "0", "/backup", {}},
        {"on with a destination", "1", "/backup  ", {"W_Backup(\"/backup\")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(m_folder->file("Standard.ini"));
        if (c.onStart)
            setIni("OnStart", c.onStart);
        if (c.destination)
            setIni("Destination", c.destination);
        chartHidden = windowHidden = true;
        TaskPanelFill fill(panel, m_folder->path(), side, &tags);
        fill.run();
        QStringList expected = {"showPanel", "refreshPanel", "resetNotes", "DrawFinanceChart"};
        expected << c.backups << "showChart" << "TabChanged" << "showWindow";
        EXPECT_EQ(log.take(), expected);

        // A refill finds the chart and the window shown: no second backup.
        fill.run();
        EXPECT_EQ(log.take(), (QStringList{"showPanel", "refreshPanel", "resetNotes", "DrawFinanceChart", "TabChanged"}));
    }
}

TEST_F(TaskPanelFillTest, NotesStoredAsTaggedAreTagged)
{
    for (int status : {1, 0, 1}) {
        Access(Tbl::Notes).clearBuffer();
        NOTE().NASLOV = "Bilješka";
        NOTE().STATUS = uint8_t(status);
        ASSERT_EQ(Access(Tbl::Notes).Insert(), 0);
    }
    lists->list(ctl::Notes).reset();
    TaskPanelFill(panel, m_folder->path(), side, &tags).run();
    EXPECT_EQ(tags.size(), 2u);
    EXPECT_TRUE(tags.IsTagged("1"));
    EXPECT_FALSE(tags.IsTagged("2"));
    EXPECT_TRUE(tags.IsTagged("3"));
}

TEST_F(TaskPanelFillTest, AClickedLineOpensItsTaskFormAndACompletedFormFillsAgain)
{
    add({5, 0, "2026-12-09 14:30:00", "Ured", "Zadatak", "", 3});
    add({6, 1, "2026-12-08 14:30:00", "Ured", "Zadatak", "", 0});
    TaskPanelFill fill(panel, m_folder->path(), side, &tags);
    fill.connectPanel(forms, &organiser::mailDesk());
    fill.run();
    log.take();

    const auto line = [this](int n) { return panel.headers()[0].TASKQUEUE[size_t(n - 1)].ID; };
    const long heading = panel.headers()[0].ID;
    TaskPanelWidget widget(panel);
    widget.resize(300, 300);
    widget.refresh();
    // The heading's title bar takes no click: it stays open.
    const QPoint title = panel.header(heading)->MOUSERECT.rect().center();
    EXPECT_FALSE(panel.TAKEMOUSEBUTTONEVENT(1, title.x(), title.y())) << "the heading does not fold";
    EXPECT_TRUE(panel.GETEXPANDED(heading));

    forms.response = 2; // cancelled: the panel stays
    panel.EXECUTEACTION(heading, line(1), 1, 0);
    EXPECT_EQ(GLOBALREQUEST, 2);
    EXPECT_EQ(log.take(), QStringList{"F_Zadaci(5,0,45,3,\"\")"});

    forms.response = 1; // completed: filled again
    panel.EXECUTEACTION(heading, line(2), 1, 0);
    EXPECT_EQ(log.take(), (QStringList{"F_Zadaci(6,0,46,0,\"\")", "showPanel", "refreshPanel", "resetNotes",
                                       "DrawFinanceChart", "TabChanged"}));

    query("DELETE FROM CAL_CalendarEvents WHERE EVENTID = 5");
    panel.EXECUTEACTION(panel.headers()[0].ID, line(1), 1, 0); // gone: nothing
    EXPECT_TRUE(log.take().isEmpty());

    // On screen the heading has its (bundled) icon, and no arrow: it never folds.
    EXPECT_FALSE(TaskPanelWidget::iconOf(panel.headers()[0].ICONNAME).isNull());
    EXPECT_TRUE(panel.headers()[0].ISALWAYSEXPANDED);
}
