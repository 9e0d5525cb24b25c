#include "controls/Controls.h"
#include "controls/Images.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/StandInServices.h"
#include "procedures/organiser/panes/PaneLayout.h"
#include "procedures/organiser/panes/PaneWidgets.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSplitter>
#include <QDeadlineTimer>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <set>

using namespace organiser;

namespace {

struct SilentFrame : FrameLink {
    void notify(int, int) override {}
};

// A shown window takes its new size from the window system, then its layouts follow.
void resizeTo(QWidget& window, QSize size)
{
    window.resize(size);
    testsupport::waitFor([&] { return window.size() == size; });
    QApplication::processEvents();
}

void showPage(QWidget& window, const QString& name)
{
    if (auto* page = window.findChild<QWidget*>(name))
        if (auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget()))
            stack->setCurrentWidget(page);
    QApplication::processEvents();
}

// The mail page in front of a window of a known size, laid out as the user would see it.
QSplitter* showMailPage(OrganiserWindow& window, OrganiserPanes& panes, QSize size = {1200, 700})
{
    window.resize(size);
    window.show();
    // The first layout runs with the window's first timer tick and shows the saved page.
    QDeadlineTimer deadline(10000);
    while (panes.pump().LayoutState != 2 && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    showPage(window, QStringLiteral("Email"));
    QSplitter* mail = panes.splitters().splitterOf(22);
    while (mail && !mail->isVisible() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return mail;
}

// Where a bar stands across its direction: x of a vertical bar, y of a horizontal one.
int barAt(QWidget& window, QSplitter& splitter, int handle)
{
    const QPoint at = splitter.handle(handle)->mapTo(&window, QPoint());
    return splitter.orientation() == Qt::Horizontal ? at.x() : at.y();
}
int barX(QWidget& window, QSplitter& splitter, int handle) { return barAt(window, splitter, handle); }

// Drags the handle with the mouse so that its leading edge would come to the window's `pos`.
void drag(QWidget& window, QSplitter& splitter, int handle, int pos)
{
    QSplitterHandle* h = splitter.handle(handle);
    const QPoint grip(h->width() / 2, h->height() / 2);
    const bool across = splitter.orientation() == Qt::Horizontal;
    const QPoint gripIn = h->mapTo(&window, grip);
    const QPoint target = across ? QPoint(pos, gripIn.y()) : QPoint(gripIn.x(), pos);
    const QPoint to = h->mapFrom(&window, target) + (across ? QPoint(grip.x(), 0) : QPoint(0, grip.y()));
    const auto send = [h](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(at), QPointF(h->mapToGlobal(at)), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(h, &e);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// Sample data and the organiser's dependencies over it; the window is the test's.
class SampleWindowTest : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        fill();
        deps.dataFolder = m_folder->path();
        deps.frame = &m_frame;
        useDataLayer(deps);
        standIns.fill(deps);
    }
    SilentFrame m_frame;
    StandInServices standIns;
    OrganiserDeps deps;
};

} // namespace

TEST_F(SampleWindowTest, MailPageBarsKeepTheirLimitsAndComeBackAfterARestart)
{
    int sem = 0, s1 = 0;
    {
        OrganiserWindow window(deps);
        OrganiserPanes* panes = attachPanes(window);
        ASSERT_TRUE(window.open());
        QSplitter* mail = showMailPage(window, *panes);
        ASSERT_NE(mail, nullptr);
        ASSERT_EQ(mail->count(), 3);
        // The bar between tree and list stops 100 from the left edge, the one between list
        // and preview 100 from the right edge.
        drag(window, *mail, 1, 5);
        EXPECT_EQ(barX(window, *mail, 1), 100);
        drag(window, *mail, 2, window.width());
        EXPECT_EQ(barX(window, *mail, 2), window.width() - 100 - mail->handle(2)->width());
        // Within the limits a bar goes where it is put.
        drag(window, *mail, 2, 640);
        drag(window, *mail, 1, 180);
        sem = barX(window, *mail, 1);
        s1 = barX(window, *mail, 2);
        EXPECT_EQ(sem, 180);
        EXPECT_EQ(s1, 640);
        // The window is made narrower on another page and closed there: the mail page's
        // inner widgets have not followed yet, but what is saved is what the page will show.
        showPage(window, QStringLiteral("Zadaci"));
        resizeTo(window, {1000, 700});
        window.shutDown();
    }
    const vrt::IniFile ini(vrt::joinPath(m_folder->path(), QStringLiteral("Standard.ini")));
    EXPECT_EQ(ini.getInt(QStringLiteral("Sem"), QStringLiteral("X"), -1), sem);
    EXPECT_EQ(ini.getInt(QStringLiteral("S1"), QStringLiteral("X"), -1), s1);
    EXPECT_GT(ini.getInt(QStringLiteral("LEmail"), QStringLiteral("W"), -1), 0);
    {
        OrganiserWindow window(deps);
        OrganiserPanes* panes = attachPanes(window);
        ASSERT_TRUE(window.open());
        QSplitter* mail = showMailPage(window, *panes, {1000, 700});
        ASSERT_NE(mail, nullptr);
        EXPECT_EQ(barX(window, *mail, 1), sem);
        EXPECT_EQ(barX(window, *mail, 2), s1);
        window.shutDown();
    }
}

namespace {

struct OpenedWindow {
    explicit OpenedWindow(OrganiserDeps deps) : window(std::move(deps))
    {
        panes = attachPanes(window);
        opened = window.open();
        window.resize(1200, 760);
        window.show();
        // The first layout runs with the window's first timer tick.
        QDeadlineTimer deadline(5000);
        while (opened && panes->pump().LayoutState != 2 && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
    }
    ~OpenedWindow() { window.shutDown(); }
    QWidget* control(int n) { return window.manager().control(n); }
    // Shows main page `page` (from 0) and, on the finance and contact pages, tab `tab`.
    void show(int page, int tab)
    {
        static_cast<QStackedWidget*>(control(6))->setCurrentIndex(page);
        if (page == 5)
            static_cast<QTabWidget*>(control(ctl::FinanceSheet))->setCurrentIndex(tab);
        if (page == 7)
            static_cast<QTabWidget*>(control(ctl::ContactSheet))->setCurrentIndex(tab);
        QApplication::processEvents();
    }
    // A page is composed when it is first shown: every page once, as a user going through them.
    void showEveryPage()
    {
        for (int page = 0; page < 8; ++page)
            show(page, 0);
        show(0, 0);
    }
    OrganiserWindow window;
    OrganiserPanes* panes = nullptr;
    bool opened = false;
};

// The organiser window opened on sample data, shown at 1200 x 760.
class WindowPagesTest : public SampleWindowTest {
protected:
    void SetUp() override
    {
        SampleWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // With the hosted components, as the program has them.
        controls::registerBuiltInControls();
        deps.controls = &m_controls;
        m_window = std::make_unique<OpenedWindow>(deps);
        ASSERT_TRUE(m_window->opened);
    }
    void TearDown() override
    {
        m_window.reset();
        SampleWindowTest::TearDown();
    }
    RegistryControlFactory m_controls;
    std::unique_ptr<OpenedWindow> m_window;
};

} // namespace

TEST_F(WindowPagesTest, EveryPaneControlGrowsWithTheWindowAsTheResizeTableSays)
{
    OpenedWindow& w = *m_window;
    const std::vector<AnchorRow> table = controlAnchorTable();
    w.showEveryPage();
    for (const AnchorRow& row : table)
        EXPECT_NE(w.control(row.control), nullptr) << "control " << row.control;

    const QSize small(1200, 760), large(1300, 840);
    std::set<int> checked;
    const std::pair<int, int> views[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {5, 1}, {5, 2},
                                         {5, 3}, {6, 0}, {7, 0}, {7, 1}, {7, 2}, {7, 3}};
    for (const auto& [page, tab] : views) {
        w.window.resize(small);
        w.show(page, tab);
        std::map<int, QRect> before;
        for (const AnchorRow& row : table)
            if (QWidget* c = w.control(row.control); c && c->isVisible())
                before[row.control] = rectIn(&w.window, c);
        resizeTo(w.window, large);
        for (AnchorRow row : table) {
            const auto it = before.find(row.control);
            if (it == before.end())
                continue;
            row.remembered = it->second;
            EXPECT_EQ(rectIn(&w.window, w.control(row.control)), applyAnchor(row, small, large))
                << "control " << row.control << " on page " << page << "/" << tab;
            checked.insert(row.control);
        }
    }
    EXPECT_EQ(checked.size(), table.size());
}

// The start composes only the page the window opens on; another page is composed when it is
// first shown, its lists in place and its buttons at work.
TEST_F(WindowPagesTest, APageIsComposedWhenFirstShown)
{
    OpenedWindow& w = *m_window;
    const int opened = static_cast<QStackedWidget*>(w.control(6))->currentIndex();
    const int later = opened == 6 ? 2 : 6;
    for (int page = 0; page < 8; ++page)
        EXPECT_EQ(w.panes->pageBuilt(page), page == opened) << page;
    EXPECT_FALSE(w.panes->view(ctl::Pass)->isVisible());

    w.show(later, 0);
    EXPECT_TRUE(w.panes->pageBuilt(later));
    const int insert = later == 6 ? 114 : 38; // the password list's or the task list's
    auto* button = qobject_cast<QPushButton*>(w.control(insert));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(testsupport::waitFor([&] { return button->isVisible(); }));
    EXPECT_TRUE(w.panes->view(later == 6 ? ctl::Pass : ctl::Zadaci)->isVisible());
    standInLog(w.window).take();
    button->click();
    QApplication::processEvents();
    EXPECT_EQ(standInLog(w.window).take().filter(QLatin1String(later == 6 ? "F_PASS_Password" : "F_Zadaci")).size(), 1);
    EXPECT_FALSE(w.panes->pageBuilt(7));
}

// The bars of the overview, the outgoing documents and the address book hold their limits.
TEST_F(WindowPagesTest, EveryBarStaysWithinItsLimits)
{
    OpenedWindow& w = *m_window;
    const std::vector<AnchorRow> table = controlAnchorTable();
    const std::pair<int, std::pair<int, int>> bars[] = {{9, {0, 0}},  {22, {1, 0}}, {31, {1, 0}},  {41, {2, 0}},
                                                        {62, {5, 0}}, {66, {5, 1}}, {86, {5, 2}},  {87, {5, 2}},
                                                        {112, {6, 0}}, {132, {7, 0}}, {151, {7, 1}}};
    for (const auto& [bar, where] : bars) {
        w.show(where.first, where.second);
        QSplitter* splitter = w.panes->splitters().splitterOf(bar);
        ASSERT_NE(splitter, nullptr) << bar;
        int handle = 1;
        while (handle < splitter->count() && splitter->handle(handle) != w.control(bar))
            ++handle;
        ASSERT_LT(handle, splitter->count()) << bar;
        const SplitterDef* def = splitterDef(bar);
        const bool across = splitter->orientation() == Qt::Horizontal;
        const int extent = across ? w.window.width() : w.window.height();
        const int thickness = across ? w.control(bar)->width() : w.control(bar)->height();
        drag(w.window, *splitter, handle, 0);
        EXPECT_GE(barAt(w.window, *splitter, handle), def->minimum) << bar;
        drag(w.window, *splitter, handle, extent);
        EXPECT_LE(barAt(w.window, *splitter, handle), extent - def->maximum - thickness) << bar;
        // Within the limits the bar goes where it is put.
        const int middle = extent / 2;
        drag(w.window, *splitter, handle, middle);
        EXPECT_EQ(barAt(w.window, *splitter, handle), middle) << bar;
        // A border the user put somewhere stays there when the window grows: the bar moves
        // only as the resize table moves it.
        AnchorRow row = *std::find_if(table.begin(), table.end(), [bar = bar](const AnchorRow& r) { return r.control == bar; });
        row.remembered = rectIn(&w.window, w.control(bar));
        const QSize before = w.window.size();
        resizeTo(w.window, before + QSize(100, 80));
        EXPECT_EQ(rectIn(&w.window, w.control(bar)), applyAnchor(row, before, w.window.size())) << bar;
        resizeTo(w.window, before);
    }
}

// The panes' buttons by control number: each list's insert opens its form, change and
// delete wait for a row.
TEST_F(WindowPagesTest, ListButtonsAskTheirListsForm)
{
    OpenedWindow& w = *m_window;
    struct Case {
        int button;
        const char* call; // the form the stand-in records
    };
    const Case cases[] = {{33, "F_TaskCategorie"}, {38, "F_Zadaci"}, {114, "F_PASS_Password"}, {109, "F_PASS_Kategorija"},
                          {125, "F_Contact"},      {79, "F_ID_Dokumenti"}, {70, "F_UD_Kategorija"}};
    w.showEveryPage();
    for (const Case& c : cases) {
        standInLog(w.window).take();
        auto* button = qobject_cast<QPushButton*>(w.control(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        button->click();
        QApplication::processEvents();
        const QStringList calls = standInLog(w.window).take();
        EXPECT_TRUE(calls.filter(QLatin1String(c.call)).size() == 1) << c.button << ": " << calls.join(' ').toStdString();
    }
    // The ribbon's "Izmjena" and "Brisanje" press buttons that wait for a row.
    w.panes->lists().list(ctl::PZadaci).setRange(qlonglong(kNoRecord));
    ASSERT_TRUE(w.panes->lists().list(ctl::TaskCategory).browse().select(0));
    w.panes->updateButtons();
    EXPECT_FALSE(w.control(138)->isEnabled());
    EXPECT_FALSE(w.control(140)->isEnabled());
    EXPECT_TRUE(w.control(139)->isEnabled());
    EXPECT_TRUE(w.control(34)->isEnabled());
}

// Every page draws its controls (not an empty page). With VELMORA_SCREENSHOT_DIR set, each
// page's picture is written there.
TEST_F(WindowPagesTest, EveryPageIsDrawn)
{
    OpenedWindow& w = *m_window;
    const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    const std::pair<int, int> views[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {5, 1}, {5, 2}, {5, 3}, {6, 0}, {7, 1}};
    for (const auto& [page, tab] : views) {
        w.show(page, tab);
        const QImage image = w.window.grab().toImage();
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                seen.insert(image.pixel(x, y));
        EXPECT_GT(seen.size(), 8) << page << "/" << tab;
        if (!out.isEmpty())
            image.save(QStringLiteral("%1/organiser-page-%2-%3.png").arg(out).arg(page + 1).arg(tab + 1));
    }
}

// The first layout fills the overview's task panel from the open tasks, and the overview
// chart shows from then on.
TEST_F(WindowPagesTest, TheFirstLayoutFillsTheTaskPanel)
{
    OpenedWindow& w = *m_window;
    w.show(0, 0);
    const TaskPanelModel& panel = w.panes->taskPanel();
    ASSERT_EQ(panel.headers().size(), 1u);
    EXPECT_FALSE(panel.headers()[0].TASKQUEUE.empty());
    EXPECT_FALSE(w.control(13)->isHidden());
    EXPECT_FALSE(standInLog(w.window).calls().contains(QStringLiteral("FillTaskPanel")));
}

// The ribbon's outgoing-documents view shows the selected category's documents: reading the
// categories again moves their selection, and the documents follow it.
TEST_F(WindowPagesTest, TheOutgoingDocumentsFollowTheirCategory)
{
    OpenedWindow& w = *m_window;
    w.window.dispatcher().setCommand(6004);
    w.window.dispatcher().dispatch();
    QApplication::processEvents();
    ListSet& lists = w.panes->lists();
    OrganiserList& categories = lists.list(ctl::IDK);
    OrganiserList& documents = lists.list(ctl::ID);
    ASSERT_GE(categories.selected(), 0);
    ASSERT_GT(documents.rowCount(), 0);
    for (int r = 0; r < documents.rowCount(); ++r)
        EXPECT_EQ(documents.cell("ID:KATEGORIJAID", r), categories.cell("IDK:ID")) << r;
}

// A page first shown while the window is small gets its panes' sizes once the window grows:
// the panes that keep their width are not left squashed.
TEST_F(SampleWindowTest, APageFirstShownSmallGetsItsPaneSizesWhenTheWindowGrows)
{
    OrganiserWindow window(deps);
    OrganiserPanes* panes = attachPanes(window);
    ASSERT_TRUE(window.open());
    QSplitter* mail = showMailPage(window, *panes, {300, 200});
    window.resize(1200, 760);
    // The layouts follow the resize in their own events.
    testsupport::waitFor([&] { return mail->width() > 1000 && mail->sizes().value(0) == 220; });
    EXPECT_EQ(mail->sizes().value(0), 220);
    EXPECT_EQ(mail->sizes().value(1), 640);
    window.shutDown();
}

// The contact's note (control 135) shows the selected contact's text and is written back to
// that contact when the user leaves it, before another contact can be selected.
TEST_F(WindowPagesTest, TheContactNoteIsShownAndSavedForItsContact)
{
    OpenedWindow& w = *m_window;
    w.show(7, 0);
    query("UPDATE CON_CONTACTS SET NAPOMENA = 'Stari tekst' WHERE ID = 1");
    ListSet& lists = w.panes->lists();
    lists.setContactGroup(std::stol(query("SELECT GRUPAID FROM CON_CONTACTS WHERE ID = 1")[0]));
    ASSERT_TRUE(lists.list(ctl::Kontakti).selectId(qlonglong(1)));
    w.panes->pumpEvents();
    auto* note = qobject_cast<QPlainTextEdit*>(w.control(ctl::ContactNote));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->toPlainText(), QStringLiteral("Stari tekst"));

    note->selectAll(); // as the user types over it
    note->insertPlainText(QStringLiteral("Nazvati u ponedjeljak"));
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(note, &out);
    EXPECT_EQ(query("SELECT NAPOMENA FROM CON_CONTACTS WHERE ID = 1")[0], "Nazvati u ponedjeljak");

    // With no contact (the task categories clear it with 99999999) there is nothing to write to.
    lists.SelectedContactID = 99999999;
    w.panes->pumpEvents();
    EXPECT_FALSE(note->isEnabled());
    EXPECT_TRUE(note->toPlainText().isEmpty());
}

// Every icon the lists name is drawn, and the window's lists show them in their rows.
TEST_F(WindowPagesTest, ListsShowTheirIcons)
{
    OpenedWindow& w = *m_window;
    for (const ListDef& def : organiserLists())
        for (const QString& name : iconsOf(def))
            EXPECT_FALSE(controls::imageIcon({}, name).isNull()) << name.toStdString();
    for (int control : {ctl::Zadaci, ctl::Notes}) {
        OrganiserListView* view = w.panes->view(control);
        ASSERT_NE(view, nullptr);
        ASSERT_GT(view->model()->rowCount(), 0);
        bool shown = false;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            shown = shown || !view->model()->index(0, c).data(Qt::DecorationRole).value<QIcon>().isNull();
        EXPECT_TRUE(shown) << control;
    }
}
