// The planning page as the program builds it: the organiser window made by W_First with the
// hosted Gantt chart, driven through its ribbon commands, the chart's mouse and keys, the
// link menu and the link delay window. With VELMORA_SCREENSHOT_DIR set, the page's picture
// is written there as planning.png.
#include <gtest/gtest.h>

#include "controls/Controls.h"
#include "controls/GanttView.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/plan/GanttLinkDelay.h"
#include "procedures/plan/GanttRoutines.h"
#include "runtime/Notify.h"
#include "runtime/PopupMenu.h"
#include "runtime/WindowManager.h"
#include "tests/data/DataFixture.h"
#include "tests/procedures/TreeQueuesGuard.h"
#include "tests/support/MenuChoice.h"
#include "tests/support/ShippedTranslations.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <pugixml.hpp>
#include <set>

using namespace organiser;
using controls::GanttModel;
using controls::GanttView;

namespace {

using testsupport::waitFor;

class PlanningPage : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        controls::registerBuiltInControls();
        // Saturdays and Sundays off, as the settings window writes them.
        m_folder->write("Standard.ini", "[Gantt]\r\nNonWorking6=64\r\nNonWorking7=1\r\n");
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        window->resize(1300, 760);
        window->show();
        ASSERT_TRUE(waitFor([this] { return window->hosted().gantt != nullptr; }));
        view = qobject_cast<GanttView*>(window->hosted().gantt);
        ASSERT_NE(view, nullptr) << "the chart, not a stand-in";
        static_cast<QStackedWidget*>(window->manager().control(6))->setCurrentIndex(4);
        QApplication::processEvents();
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        window.reset();
        DataTest::TearDown();
    }
    GanttModel& plan() { return view->model(); }
    // The ribbon's command, as the frame posts it.
    void command(int code) { window->dispatcher().dispatch(code); }
    long add(bool wbs, const QString& name)
    {
        command(wbs ? 5004 : 5009);
        view->EditClose();
        const long item = plan().FocusItem();
        plan().setCellValue(item, controls::CellName, name);
        return item;
    }
    void select(std::initializer_list<long> items)
    {
        plan().UnselectAll();
        for (long h : items)
            plan().SelectItem(h);
        view->refresh();
    }
    // Drags from the middle of one bar to the row of another, as the user draws a link.
    void drawLink(long from, long to)
    {
        controls::GanttChartPane* chart = view->chart();
        view->EnsureVisibleItem(from);
        chart->setFirstVisibleDate(plan().bar(from).start.addDays(-3));
        QApplication::processEvents();
        const QPoint a = chart->barRect(from).center();
        const QPoint b(a.x() + 10, chart->barRect(to).center().y());
        QTest::mousePress(chart, Qt::LeftButton, {}, a);
        QTest::mouseMove(chart, QPoint(a.x() + 3, (a.y() + b.y()) / 2));
        QTest::mouseMove(chart, b);
        QTest::mouseRelease(chart, Qt::LeftButton, {}, b);
    }
    std::unique_ptr<OrganiserWindow> window;
    GanttView* view = nullptr;
};

using testsupport::MenuChoice;

} // namespace

// The chart's headings, month names and zoom units, and the names of new activities, read in
// English in an English run.
TEST(PlanningTexts, EveryTextOfTheChartHasAnEnglishRow)
{
    // A chart of its own that writes down every text it is asked to translate.
    struct AskedTexts : panes::GanttSide {
        GanttView chart;
        std::set<QString> asked;
        GanttView* view() override { return &chart; }
        QString translate(const QString& t) override
        {
            asked.insert(t);
            return t;
        }
        QDate today() override { return QDate::currentDate(); }
        bool busy() override { return false; }
        void showLinkMenu(long, int, int) override {}
        void keyAction(const QString&) override {}
        int askDelay(int delay) override { return delay; }
    } side;
    panes::GanttRoutines(side, QString()).SetupGantt();
    std::set<QString>& asked = side.asked;
    ASSERT_GE(asked.size(), 9u);
    asked.insert(QStringLiteral("Nova aktivnost"));
    asked.insert(QStringLiteral("Novi WBS"));
    testsupport::expectEnglishRows(asked);
}

TEST_F(PlanningPage, SetUpReadsTheNonWorkingDaysAndShowsTheColumns)
{
    EXPECT_EQ(plan().NonworkingDays(), 65);
    QTreeView* rows = view->tree();
    QStringList shown;
    for (int v = 0; v < 7; ++v)
        shown << rows->model()->headerData(rows->header()->logicalIndex(v), Qt::Horizontal).toString();
    EXPECT_EQ(shown, QStringList({"Rbr", "Oznaka", "Level", "Aktivnosti", "Početak", "Završetak", "Trajanje"}));
    EXPECT_EQ(view->PaneWidth(0), 333);

    // The zoom strip: day, week, month.
    auto* week = view->chart()->findChild<QToolButton*>(QStringLiteral("ZoomTjedan"));
    ASSERT_NE(week, nullptr);
    EXPECT_EQ(week->text(), "Tjedan");
    const double dayWide = view->chart()->dayWidth();
    week->click();
    EXPECT_EQ(view->zoom(), GanttView::Zoom::Week);
    EXPECT_LT(view->chart()->dayWidth(), dayWide);
    EXPECT_TRUE(week->isChecked());
}

TEST_F(PlanningPage, APlanIsBuiltLinkedScheduledSavedExportedAndOpenedAgain)
{
    const long wbs = add(true, "Temelji");
    const long dig = add(false, "Iskop");
    const long pour = add(false, "Betoniranje");
    const long dry = add(false, "Sušenje");
    EXPECT_FALSE(plan().IsNonworkingDate(plan().bar(dig).start)) << "new activities start on a working day";

    // The activities go under the WBS element.
    select({dig, pour, dry});
    command(5005);
    EXPECT_EQ(plan().children(wbs), (std::vector<long>{dig, pour, dry}));
    EXPECT_EQ(plan().cellText(dry, controls::CellWbs), "1.3");
    EXPECT_EQ(plan().cellText(dry, controls::CellLevel), "1");
    EXPECT_EQ(plan().ItemBar(wbs), "Summary");

    // A link drawn between two activities opens the link menu; "FF" is chosen.
    {
        MenuChoice ff("FF");
        drawLink(dig, pour);
        ASSERT_TRUE(waitFor([&] { return ff.shown > 0; })) << "the link menu";
    }
    ASSERT_EQ(plan().linkCount(), 1);
    const QString key = plan().links()[0].key;
    EXPECT_EQ(plan().links()[0].startPos, 2);
    EXPECT_EQ(plan().links()[0].endPos, 2);

    // "Odgoda" asks for the delay; 3 working days.
    {
        const testsupport::ScopedDialogRunner runner([](QDialog& d) {
            auto* entry = d.findChild<QLineEdit*>(QStringLiteral("MN:ODGODA"));
            entry->selectAll();
            QTest::keyClicks(entry, "3");
            return int(QDialog::Accepted);
        });
        MenuChoice delay("Odgoda");
        drawLink(pour, dry); // FS, then the delay
        ASSERT_TRUE(waitFor([&] { return delay.shown > 0; }));
    }
    ASSERT_EQ(plan().linkCount(), 2);
    EXPECT_EQ(plan().links()[1].delay, 3);
    EXPECT_EQ(plan().bar(dry).start, plan().addWorkingDays(plan().bar(pour).end, 3));

    // A link back to the start of the chain is refused.
    drawLink(dry, dig);
    EXPECT_EQ(plan().linkCount(), 2);
    // And one to the WBS element.
    drawLink(dig, wbs);
    EXPECT_EQ(plan().linkCount(), 2);

    // Lengthening the first activity in its cell moves the others after it.
    const QDate pourBefore = plan().bar(pour).start;
    view->tree()->model()->setData(static_cast<controls::GanttTreeModel*>(view->tree()->model())->indexOf(dig, controls::CellDuration), 5);
    EXPECT_GT(plan().bar(pour).start, pourBefore);
    EXPECT_EQ(plan().bar(wbs).end, plan().bar(dry).end) << "the WBS element spans its activities";

    // Saved, exported, then a new plan (the changes were saved, so no question).
    const QString file = m_folder->file("plan.xml");
    testsupport::presenter().queueFile(file);
    command(5003);
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_FALSE(plan().isModified());
    command(5013);
    const QString exported = m_folder->file("MyXml.xml");
    const QByteArray bytes = m_folder->read("MyXml.xml");
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<Project xmlns="));
    EXPECT_TRUE(bytes.contains("\r\n<Task>\r\n<UID>1</UID>\r\n<ID>1</ID>\r\n<Name>Temelji</Name>\r\n"));
    EXPECT_TRUE(bytes.endsWith("</Project>\r\n"));
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(exported.toUtf8().constData()));
    int tasks = 0;
    for (auto t : doc.child("Project").child("Tasks").children("Task")) {
        ++tasks;
        if (std::string(t.child_value("Name")) == "Sušenje") {
            EXPECT_STREQ(t.child("PredecessorLink").child_value("PredecessorUID"), "3");
            EXPECT_STREQ(t.child("PredecessorLink").child_value("LinkLag"), "14400");
        }
    }
    EXPECT_EQ(tasks, 4);
    if (const QString lint = QStandardPaths::findExecutable("xmllint"); !lint.isEmpty()) {
        EXPECT_EQ(QProcess::execute(lint, {"--noout", exported}), 0);
    }

    const QByteArray saved = plan().toXml();
    command(5001);
    EXPECT_EQ(plan().ItemCount(), 0);
    testsupport::presenter().queueFile(file);
    command(5002);
    EXPECT_EQ(plan().toXml(), saved);
}

TEST_F(PlanningPage, UnsavedChangesAreNotLostWithoutAsking)
{
    add(false, "A");
    ASSERT_TRUE(plan().isModified());
    testsupport::presenter().queueButton(vrt::BUTTON_CANCEL);
    command(5001);
    EXPECT_EQ(plan().ItemCount(), 1) << "cancelled: the plan stays";
    testsupport::presenter().queueButton(vrt::BUTTON_CANCEL);
    command(5002);
    EXPECT_EQ(plan().ItemCount(), 1);
    EXPECT_TRUE(testsupport::presenter().calls("file").empty()) << "no file is asked for";
    // Closing the program asks too; cancelled, the window stays.
    testsupport::presenter().queueButton(vrt::BUTTON_CANCEL);
    QCloseEvent close;
    QApplication::sendEvent(window->window(), &close);
    EXPECT_FALSE(close.isAccepted());
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    command(5001);
    EXPECT_EQ(plan().ItemCount(), 0) << "let go";
    const auto asked = testsupport::presenter().calls("message");
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_TRUE(asked[0].text.contains("spremiti promjene")) << asked[0].text.toStdString();
    // Nothing unsaved: no question.
    EXPECT_TRUE(window->dispatcher().unsavedPlanHandled());
}

TEST_F(PlanningPage, KeysAndLinkClicksGoThroughTheWindow)
{
    // Insert in the rows adds an activity; Delete removes the focused one.
    view->tree()->setFocus();
    QTest::keyClick(view->tree(), Qt::Key_Insert);
    ASSERT_TRUE(waitFor([&] { return plan().ItemCount() == 1; })) << plan().ItemCount();
    view->EditClose();
    const long a = plan().FocusItem();
    QTest::keyClick(view->tree(), Qt::Key_Insert);
    ASSERT_TRUE(waitFor([&] { return plan().ItemCount() == 2; }));
    view->EditClose();
    const long b = plan().FocusItem();
    const QString key = plan().AddLink(a, b);
    view->refresh();
    view->chart()->setFirstVisibleDate(plan().bar(a).start.addDays(-3));
    QApplication::processEvents();

    // A right-click on the link asks before it goes.
    QPolygon path;
    const QRect from = view->chart()->barRect(a);
    const QPoint onLink(from.right() + 6, (from.center().y() + view->chart()->barRect(b).center().y()) / 2);
    ASSERT_EQ(view->chart()->linkAt(onLink), key);
    testsupport::presenter().queueButton(vrt::BUTTON_NO);
    QTest::mousePress(view->chart(), Qt::RightButton, {}, onLink);
    EXPECT_EQ(plan().linkCount(), 1);
    testsupport::presenter().queueButton(vrt::BUTTON_YES);
    QTest::mousePress(view->chart(), Qt::RightButton, {}, onLink);
    EXPECT_EQ(plan().linkCount(), 0);
    EXPECT_EQ(testsupport::presenter().calls("message").back().text, "Želite li obrisati link?");

    plan().setFocusItem(b);
    view->refresh();
    QTest::keyClick(view->tree(), Qt::Key_Delete);
    ASSERT_TRUE(waitFor([&] { return plan().ItemCount() == 1; }));
}

TEST_F(PlanningPage, ACycleReadFromAFileIsRefusedAndThePlanKept)
{
    const QString file = m_folder->file("cycle.xml");
    m_folder->write("cycle.xml", R"(<VelmoraPlan>
<Item id="1" name="a" start="2026-01-05" end="2026-01-06"/>
<Item id="2" name="b" start="2026-01-05" end="2026-01-06"/>
<Link from="1" to="2"/><Link from="2" to="1"/></VelmoraPlan>)");
    testsupport::presenter().queueFile(file);
    command(5002);
    ASSERT_EQ(plan().ItemCount(), 2);
    const QByteArray before = plan().toXml();
    const long a = plan().ItemByIndex(0);
    plan().beginChange();
    plan().moveBar(a, QDate(2026, 1, 12));
    plan().endChange();
    view->raise("BarResize", {qlonglong(a)});
    const auto shown = testsupport::presenter().calls("message");
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Ciklički linkovi! Pritisnite Ctrl Z!");
    EXPECT_EQ(plan().toXml(), before) << "the change that met the cycle is taken back";
}

TEST_F(PlanningPage, TheWholePlanOnScreen)
{
    // Three WBS elements of four activities each, links of every kind, one with a delay.
    std::vector<long> acts;
    for (int w = 0; w < 3; ++w) {
        const long wbs = add(true, QStringLiteral("Faza %1").arg(w + 1));
        std::vector<long> mine;
        for (int i = 0; i < 4; ++i)
            mine.push_back(add(false, QStringLiteral("Aktivnost %1.%2").arg(w + 1).arg(i + 1)));
        plan().UnselectAll();
        for (long h : mine)
            plan().SelectItem(h);
        command(5005);
        EXPECT_EQ(plan().children(wbs).size(), 4u);
        acts.insert(acts.end(), mine.begin(), mine.end());
    }
    const std::pair<int, int> kinds[] = {{2, 0}, {0, 0}, {2, 2}, {0, 2}};
    for (size_t i = 0; i + 1 < acts.size(); ++i) {
        ASSERT_TRUE(plan().AllowLink(acts[i], acts[i + 1]));
        plan().AddLink(acts[i], acts[i + 1], kinds[i % 4].first, kinds[i % 4].second, i == 4 ? 2 : 0);
        plan().setCellValue(acts[i], controls::CellDuration, 2 + int(i % 3));
    }
    EXPECT_GE(plan().SchedulePDM(), 0);
    EXPECT_FALSE(plan().AllowLink(acts.back(), acts.front())) << "the cycle is refused";
    view->refresh();
    view->chart()->setFirstVisibleDate(plan().bar(acts.front()).start.addDays(-2));
    view->setScrollPos(0);
    view->tree()->horizontalScrollBar()->setValue(0);
    QApplication::processEvents();
    const QImage shot = window->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20);
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QDir().mkpath(out);
        shot.save(out + "/planning.png");
    }
}

TEST(LinkDelayWindow, KeepsWhatWasTypedWhicheverButtonCloses)
{
    struct Case {
        int in;
        const char* typed; // nullptr: nothing typed
        bool ok;
        int out;
    };
    const Case cases[] = {{3, nullptr, true, 3}, {3, "-12", true, -12}, {0, "12345", true, 1234}, {5, "7", false, 7}, {4, "x", true, 4}}; // letters are refused
    for (const Case& c : cases) {
        const testsupport::ScopedDialogRunner runner([&c](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Link odgoda");
            auto* entry = d.findChild<QLineEdit*>(QStringLiteral("MN:ODGODA"));
            if (c.typed) {
                entry->selectAll();
                QTest::keyClicks(entry, c.typed);
            }
            return int(c.ok ? QDialog::Accepted : QDialog::Rejected);
        });
        EXPECT_EQ(panes::F_LinkOdgoda(c.in, nullptr), c.out) << c.in << " " << (c.typed ? c.typed : "-");
    }
}

TEST(GanttSettings, NonWorkingDaysFromTheSettingsFile)
{
    const std::pair<const char*, int> cases[] = {
        {"", 1}, {"[Gantt]\r\nNonWorking6=64\r\n", 65}, {"[Gantt]\r\nNonWorking7=0\r\n", 0},
        {"[Gantt]\r\nNonWorking1=2\r\nNonWorking2=4\r\nNonWorking7=0\r\n", 6}, {"[Gantt]\r\nNonWorking1=255\r\nNonWorking2=2\r\n", 2}};
    for (const auto& [ini, mask] : cases) {
        testsupport::TempFolder data;
        data.write("Standard.ini", ini);
        EXPECT_EQ(panes::GanttRoutines::readNonworkingMask(data.path()), mask) << ini;
    }
}

TEST_F(PlanningPage, ANewActivityIsOneStepToTakeBack)
{
    const long first = add(false, "A");
    QApplication::processEvents();
    command(5009);
    view->EditClose();
    QApplication::processEvents();
    ASSERT_EQ(plan().ItemCount(), 2);
    ASSERT_TRUE(plan().Undo());
    EXPECT_EQ(plan().ItemCount(), 1);
    EXPECT_TRUE(plan().exists(first));
    EXPECT_EQ(plan().cellText(first, controls::CellName), "A") << "the row before keeps its values";
}

// "Spremi kao..." over a file the user already has: the plan on screen replaces it whole, and
// a save that is cancelled leaves it as it was.
TEST_F(PlanningPage, SaveAsWritesThePlanOnScreenOverTheUsersFile)
{
    add(false, "Iskop");
    add(false, "Betoniranje");
    const QString file = m_folder->file("mine.xml");
    m_folder->write("mine.xml", "<Project><Name>older plan</Name></Project>");

    command(5011); // cancelled in the dialog
    EXPECT_EQ(m_folder->read("mine.xml"), QByteArray("<Project><Name>older plan</Name></Project>"));

    testsupport::presenter().queueFile(file);
    command(5011);
    const QByteArray written = m_folder->read("mine.xml");
    EXPECT_EQ(written, plan().toXml());
    EXPECT_TRUE(written.contains("Iskop")) << written.constData();
    EXPECT_TRUE(written.contains("Betoniranje"));
    EXPECT_FALSE(plan().isModified());
    EXPECT_EQ(window->dispatcher().projectFileName(), file);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty()) << "no failure reported";

    // Read back into a fresh plan, it is the same plan.
    const QByteArray saved = plan().toXml();
    command(5001);
    testsupport::presenter().queueFile(file);
    command(5002);
    EXPECT_EQ(plan().toXml(), saved);
    EXPECT_EQ(plan().cellText(plan().ItemByIndex(0), controls::CellName), "Iskop");
}
