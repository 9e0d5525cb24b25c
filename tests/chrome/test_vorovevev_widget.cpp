// The toolbar as a widget on offscreen windows: taking a host's place and giving it back,
// clicks, the menu band, the band menu and the customize dialog, combo boxes and entry fields,
// mirrored window buttons, and the facade that other threads use.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "chrome/VorovevevClass.h"
#include "chrome/PxpGlobal.h"
#include "chrome/ThemeLibrary.h"
#include "chrome/VorovevevGlobal.h"
#include "tests/support/TestSupport.h"

#include <thread>

using namespace ptb;
using testsupport::waitFor;

namespace {

struct Event {
    long event, band, id, value;
};

// A window with a host control in a layout and a toolbar taking its place.
struct Window {
    QWidget window;
    QWidget* host = new QWidget(&window);
    QLineEdit* below = new QLineEdit(&window);
    QPointer<VOROVEVEVCLASS> tb = new VOROVEVEVCLASS;
    std::vector<Event> events;

    Window()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(host);
        layout->addWidget(below);
        layout->addStretch();
        window.resize(400, 200);
        tb->INITCONTROL(host, true);
        QObject::connect(tb, &VOROVEVEVCLASS::itemEvent, &window,
                         [this](long e, long band, long id, long value, int) { events.push_back({e, band, id, value}); });
    }
    void showAndInit()
    {
        tb->INIT();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QPoint centre(long id) const
    {
        const Rect r = tb->GETCONTROL(id)->RAREA;
        return QPoint(int(r.left + r.width() / 2), int(r.top + r.height() / 2));
    }
};

struct PopupHook {
    explicit PopupHook(std::function<long(const QStringList&)> hook) { VOROVEVEVCLASS::setPopupHook(std::move(hook)); }
    ~PopupHook() { VOROVEVEVCLASS::setPopupHook({}); }
};

} // namespace

TEST(ToolbarWidget, TakesTheHostsPlaceAndGivesItBack)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QPointer<QWidget> host = new QWidget(&window);
    auto* hosted = new QLineEdit(&window);
    layout->addWidget(host);
    layout->addWidget(hosted);
    window.resize(300, 120);
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    EXPECT_EQ(layout->indexOf(tb), 0);
    EXPECT_TRUE(host->isHidden());
    tb->ADDBAND(1, 0, QStringLiteral("A"));
    tb->ADDNORVECCONTROL(1, 5, hosted, QStringLiteral("Find:"), PTB_SEPBEFORE);
    tb->INIT();
    EXPECT_EQ(hosted->parentWidget(), tb);
    EXPECT_EQ(layout->indexOf(hosted), -1);
    EXPECT_EQ(tb->GETCONTROL(4)->NTYPE, KIND_SEPARATOR);
    EXPECT_GT(tb->GETPROMPTWIDTH(5), 0);
    EXPECT_EQ(tb->height(), 27);

    delete tb;
    ASSERT_TRUE(host);
    EXPECT_FALSE(host->isHidden());
    EXPECT_EQ(hosted->parentWidget(), &window);
    EXPECT_EQ(layout->indexOf(hosted), 1);
    // Nothing of the toolbar is left watching the window.
    QResizeEvent resize(QSize(310, 130), window.size());
    QApplication::sendEvent(&window, &resize);
}

TEST(ToolbarWidget, OwnsAMainWindowsToolbarStrip)
{
    {
        QMainWindow main;
        QPointer<QLabel> contents = new QLabel(QStringLiteral("contents"));
        main.setCentralWidget(contents);
        auto* tb = new VOROVEVEVCLASS;
        tb->INITCONTROL(&main, true);
        EXPECT_TRUE(tb->ISTOOLBAR);
        EXPECT_NE(main.centralWidget(), contents.data());
        EXPECT_EQ(tb->window(), &main);
        EXPECT_EQ(contents->window(), &main);
        tb->ADDBAND(1, 0, QStringLiteral("A"));
        tb->ADDBUTTON(1, 10, QStringLiteral("x"));
        tb->INIT();
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        EXPECT_LT(tb->mapTo(&main, QPoint(0, 0)).y(), contents->mapTo(&main, QPoint(0, 0)).y());
        delete tb;
        ASSERT_TRUE(contents);
        EXPECT_EQ(main.centralWidget(), contents.data());
    }
    // The window going first takes the toolbar with it.
    auto* main = new QMainWindow;
    main->setCentralWidget(new QLabel(QStringLiteral("contents")));
    QPointer<VOROVEVEVCLASS> tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(main, true);
    tb->INIT();
    delete main;
    EXPECT_TRUE(tb.isNull());
}

TEST(ToolbarWidget, ClicksHoverAndDragOff)
{
    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("Main"));
    w.tb->ADDBUTTON(1, 10, QStringLiteral("&Go"));
    w.tb->ADDBUTTON(1, 11, QStringLiteral("Bold"), {}, PTB_TOGGLE);
    w.showAndInit();
    ASSERT_TRUE(waitFor([&] { return w.tb->GETCONTROL(10)->RAREA.width() > 0; }));

    QTest::mouseMove(w.tb, w.centre(10));
    QTest::mousePress(w.tb, Qt::LeftButton, {}, w.centre(10));
    QTest::mouseMove(w.tb, QPoint(w.tb->width() - 5, 5));
    QTest::mouseRelease(w.tb, Qt::LeftButton, {}, QPoint(w.tb->width() - 5, 5));
    EXPECT_TRUE(w.events.empty());

    QTest::mouseMove(w.tb, w.centre(10));
    QTest::mouseClick(w.tb, Qt::LeftButton, {}, w.centre(10));
    ASSERT_EQ(w.events.size(), 1u);
    EXPECT_EQ(w.events[0].id, 10);
    EXPECT_EQ(w.events[0].band, 1);

    QTest::mouseMove(w.tb, w.centre(11));
    QTest::mouseClick(w.tb, Qt::LeftButton, {}, w.centre(11));
    EXPECT_TRUE(w.tb->GETCHECKED(11));
    QTest::mouseClick(w.tb, Qt::LeftButton, {}, w.centre(11));
    EXPECT_FALSE(w.tb->GETCHECKED(11));

    // Alt+G runs the item through its hot key.
    w.window.activateWindow();
    QTest::keyClick(&w.window, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return w.events.size() == 4; }));
    EXPECT_EQ(w.events.back().id, 10);
}

TEST(ToolbarWidget, ChangesRelayOutAndRepaintAtOnce)
{
    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("Main"));
    w.tb->ADDBUTTON(1, 10, QStringLiteral("Caption"));
    w.tb->ADDBUTTON(1, 11, QStringLiteral("Next"));
    w.showAndInit();
    auto grabbed = [&] {
        w.tb->repaint();
        return w.tb->grab().toImage();
    };
    const QImage before = grabbed();
    const long width = w.tb->GETCONTROL(10)->RAREA.width();
    const long next = w.tb->GETCONTROL(11)->RAREA.left;

    w.tb->SETTEXT(10, QStringLiteral("A much longer caption"));
    grabbed();
    EXPECT_GT(w.tb->GETCONTROL(10)->RAREA.width(), width);
    EXPECT_GT(w.tb->GETCONTROL(11)->RAREA.left, next);

    w.tb->SETVISIBLE(10, false);
    grabbed();
    EXPECT_LT(w.tb->GETCONTROL(11)->RAREA.left, next);
    w.tb->SETVISIBLE(10, true);

    const long longer = w.tb->GETCONTROL(10)->RAREA.width();
    w.tb->SETFONT(QStringLiteral("Tahoma"), 14);
    grabbed();
    EXPECT_GT(w.tb->GETCONTROL(10)->RAREA.width(), longer);

    w.tb->SETSTYLE(0);
    const QImage classic = grabbed();
    const QPoint probe(w.tb->width() - 3, 3);
    EXPECT_NE(before.pixelColor(probe), classic.pixelColor(probe));
    EXPECT_EQ(classic.pixelColor(probe), toQColor(w.tb->GETCOLOR(7)));
}

TEST(ToolbarWidget, BandMenuAndCustomizeDialog)
{
    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("Standard"));
    w.tb->ADDBUTTON(1, 10, QStringLiteral("a"));
    w.tb->ADDBAND(2, BAND_NOTLISTED, QStringLiteral("Hidden from the menu"));
    w.tb->ADDBUTTON(2, 20, QStringLiteral("b"));
    w.tb->ADDBAND(3, 0, QStringLiteral("Format"));
    w.tb->ADDBUTTON(3, 30, QStringLiteral("c"));
    w.showAndInit();
    QStringList offered;
    long answer = 2;
    PopupHook hook([&](const QStringList& texts) {
        offered = texts;
        return answer;
    });
    // A right click offers the bands and never runs the item under it.
    QTest::mouseClick(w.tb, Qt::RightButton, {}, w.centre(10));
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Standard"), QStringLiteral("Format"), QStringLiteral("-"),
                                    QStringLiteral("Customize")}));
    EXPECT_TRUE(w.tb->GETBAND(3)->BUSERHIDDEN);
    EXPECT_TRUE(w.events.empty());
    EXPECT_TRUE(waitFor([&] { return w.tb->GETBAND(3)->RAREA.isEmpty() || !w.tb->RECALCULATE; }));

    // The dialog: the first band cannot move up, the last cannot move down; Up moves a band.
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("LIST1"));
        auto* up = dialog->findChild<QPushButton*>(QStringLiteral("MOVEUP"));
        auto* down = dialog->findChild<QPushButton*>(QStringLiteral("MOVEDOWN"));
        auto* hideShow = dialog->findChild<QPushButton*>(QStringLiteral("HIDESHOW"));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Customize"));
        EXPECT_EQ(list->count(), 2);
        // The icon follows the user's choice: Format is off.
        EXPECT_FALSE(list->item(1)->data(Qt::UserRole + 1).toBool());
        list->setCurrentRow(0);
        EXPECT_FALSE(up->isEnabled());
        EXPECT_TRUE(down->isEnabled());
        list->setCurrentRow(1);
        EXPECT_TRUE(up->isEnabled());
        EXPECT_FALSE(down->isEnabled());
        hideShow->click(); // Format shown again
        EXPECT_TRUE(list->item(1)->data(Qt::UserRole + 1).toBool());
        up->click();
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentRow(1);
        hideShow->click(); // Standard hidden
        checked = true;
        dialog->findChild<QPushButton*>(QStringLiteral("CLOSE"))->click();
    });
    answer = 3;
    QTest::mouseClick(w.tb, Qt::RightButton, {}, w.centre(10));
    EXPECT_TRUE(checked);
    EXPECT_EQ(w.tb->BANDQ[0].ID, 3); // Format before Standard now
    EXPECT_FALSE(w.tb->GETBAND(3)->BUSERHIDDEN);
    EXPECT_TRUE(w.tb->GETBAND(1)->BUSERHIDDEN);
    EXPECT_EQ(customizeMenuText(w.tb->BANDQ), QStringLiteral("+Format|-Standard|-|Customize"));
    // Hidden, Standard drops out of the next layout.
    w.tb->repaint();
    EXPECT_FALSE(w.tb->GETCONTROL(10)->RAREA.left > 0 && w.tb->GETBAND(1)->shown());
}

TEST(ToolbarWidget, MenuBandOpensPopupsByClickAndAltKey)
{
    QMainWindow main;
    QMenu* file = main.menuBar()->addMenu(QStringLiteral("&File"));
    int opened = 0;
    QObject::connect(file->addAction(QStringLiteral("&Open")), &QAction::triggered, [&] { ++opened; });
    file->addAction(QStringLiteral("&Save"));
    QMenu* edit = main.menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Copy"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* host = new QWidget;
    layout->addWidget(host);
    layout->addStretch();
    main.setCentralWidget(central);
    main.resize(500, 300);
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    tb->ADDMENU(100);
    tb->ADDMENU(200); // a second menu band is ignored
    std::vector<long> ids;
    for (const Item& i : tb->GETBAND(100)->CONTROLQ)
        ids.push_back(i.ID);
    EXPECT_EQ(ids, (std::vector<long>{100, 101, -4, -1, -2, -3}));
    EXPECT_EQ(tb->GETBAND(200), nullptr);
    EXPECT_TRUE(main.menuBar()->isHidden());
    // The entries follow the window menu's enabled and shown states.
    edit->menuAction()->setEnabled(false);
    EXPECT_FALSE(tb->GETENABLED(101));
    edit->menuAction()->setEnabled(true);
    EXPECT_TRUE(tb->GETENABLED(101));
    edit->menuAction()->setVisible(false);
    EXPECT_FALSE(tb->GETVISIBLE(101));
    edit->menuAction()->setVisible(true);
    tb->INIT();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(waitFor([&] { return tb->GETCONTROL(100)->RAREA.width() > 0; }));

    QStringList shown;
    PopupHook hook([&](const QStringList& texts) {
        shown = texts;
        return 1;
    });
    const Rect r = tb->GETCONTROL(100)->RAREA;
    QTest::mouseMove(tb, QPoint(int(r.left + 5), int(r.top + 5)));
    QTest::mouseClick(tb, Qt::LeftButton, {}, QPoint(int(r.left + 5), int(r.top + 5)));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("&Open"), QStringLiteral("&Save")}));
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(tb->NTRACKINGMODE);

    // Alt+E opens Edit from the hover timer.
    shown.clear();
    main.activateWindow();
    ASSERT_TRUE(waitFor([&] { return !tb->MENUISCLOSING; }));
    QTest::keyClick(&main, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return shown == QStringList{QStringLiteral("&Copy")}; }));

    // The window's menu bar comes back with the toolbar gone.
    delete tb;
    EXPECT_FALSE(main.menuBar()->isHidden());
}

TEST(ToolbarWidget, RightKeyInAnOpenPopupMovesToTheNextTitle)
{
    QMainWindow main;
    QMenu* file = main.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open"));
    QMenu* edit = main.menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Copy"));
    auto* host = new QWidget;
    auto* central = new QWidget;
    (new QVBoxLayout(central))->addWidget(host);
    main.setCentralWidget(central);
    main.resize(400, 200);
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    tb->ADDMENU(100);
    tb->INIT();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(waitFor([&] { return tb->GETCONTROL(101)->RAREA.width() > 0; }));

    bool editOpened = false;
    QObject::connect(edit, &QMenu::aboutToShow, [&] {
        editOpened = true;
        QTimer::singleShot(0, edit, [edit] { edit->close(); });
    });
    QObject::connect(file, &QMenu::aboutToShow, [file] {
        QTimer::singleShot(50, file, [file] { QTest::keyClick(file, Qt::Key_Right); });
    });
    const Rect r = tb->GETCONTROL(100)->RAREA;
    QTest::mouseMove(tb, QPoint(int(r.left + 5), int(r.top + 5)));
    QTest::mouseClick(tb, Qt::LeftButton, {}, QPoint(int(r.left + 5), int(r.top + 5)));
    EXPECT_TRUE(waitFor([&] { return editOpened; }));
    EXPECT_TRUE(waitFor([&] { return !tb->HASOPENMENU; }));
}

TEST(ToolbarWidget, WindowButtonsOfAMaximisedChildAndThePopupsLook)
{
    QMainWindow main;
    main.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Open\tCtrl+O"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* host = new QWidget;
    auto* area = new QMdiArea;
    layout->addWidget(host);
    layout->addWidget(area, 1);
    main.setCentralWidget(central);
    main.resize(500, 300);
    QPointer<QMdiSubWindow> child = area->addSubWindow(new QLabel(QStringLiteral("child")));
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    tb->ADDMENU(100);
    tb->INIT();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    child->showNormal();
    tb->repaint();
    EXPECT_FALSE(tb->BMDIVISIBLE);
    child->showMaximized();
    EXPECT_TRUE(waitFor([&] { return tb->BMDIVISIBLE; }));

    // The popups take the look the styler gives them only while a menu style is set.
    int styled = 0;
    VOROVEVEVCLASS::setPopupStyler([&](QMenu&, const VOROVEVEVCLASS&) { ++styled; });
    testsupport::OnScopeExit noStyler([] { VOROVEVEVCLASS::setPopupStyler({}); });
    PopupHook hook([](const QStringList&) { return 0; });
    tb->OPENMENU(100);
    EXPECT_EQ(styled, 0);
    tb->SETMENUSTYLE(2);
    tb->MENUISCLOSING = false;
    tb->OPENMENU(100);
    EXPECT_EQ(styled, 1);
    EXPECT_EQ(tb->CALCULATEMENUHOTKEYX(*tb->menuAction(100)->menu()),
              tb->measurer().textWidth(QStringLiteral("Ctrl+O")) + 10);

    // The close button closes the maximised child.
    ASSERT_TRUE(waitFor([&] { return tb->GETCONTROL(-3)->RAREA.width() > 0; }));
    const Rect r = tb->GETCONTROL(-3)->RAREA;
    const QPoint p(int(r.left + 4), int(r.top + 4));
    ASSERT_TRUE(waitFor([&] { return !tb->MENUISCLOSING; }));
    QTest::mouseMove(tb, p);
    QTest::mouseClick(tb, Qt::LeftButton, {}, p);
    EXPECT_TRUE(waitFor([&] { return !child || child->isHidden(); }));

    EXPECT_FALSE(tb->ISCLOSING());
    main.close();
    EXPECT_TRUE(tb->ISCLOSING());
}

TEST(ToolbarWidget, ComboAndEntryReportTheirEvents)
{
    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("Find"));
    w.tb->ADDCOMBO(1, 40, {}, QStringLiteral("Go to:"));
    for (int i = 1; i <= 30; ++i)
        w.tb->ADDCOMBOITEM(40, QStringLiteral("row %1").arg(i), 1000 + i);
    w.tb->SETMAXCOMBOITEMS(40, 8);
    w.tb->ADDENTRY(1, 41, QStringLiteral("start"), QStringLiteral("Find:"));
    w.showAndInit();
    auto* combo = w.tb->findChild<QComboBox*>();
    auto* entry = w.tb->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(combo && entry);
    EXPECT_EQ(combo->maxVisibleItems(), 8);
    EXPECT_EQ(w.tb->GETTEXT(41), QStringLiteral("start"));
    // 100 + the measured prompt + padding, unless a width is fixed.
    const FontMeasurer m = w.tb->measurer();
    EXPECT_EQ(w.tb->GETCONTROL(41)->RAREA.width(), 100 + m.textWidth(QStringLiteral("Find:")) + 3 + 6);

    combo->activated(2);
    ASSERT_EQ(w.events.size(), 1u);
    EXPECT_EQ(w.events[0].event, 1);
    EXPECT_EQ(w.events[0].value, 1003);

    w.window.activateWindow();
    entry->setFocus();
    ASSERT_TRUE(waitFor([&] { return entry->hasFocus(); }));
    entry->selectAll();
    QTest::keyClicks(entry, QStringLiteral("ab"));
    ASSERT_EQ(w.events.size(), 3u);
    EXPECT_EQ(w.events[1].event, 2);
    EXPECT_EQ(w.events[2].event, 2);
    w.below->setFocus();
    EXPECT_TRUE(waitFor([&] { return w.events.size() == 4; }));
    EXPECT_EQ(w.events[3].event, 1);
    EXPECT_EQ(w.events[3].id, 41);
    EXPECT_EQ(w.tb->GETTEXT(41), QStringLiteral("ab"));

    w.tb->SETENABLED(41, false);
    EXPECT_FALSE(entry->isEnabled());
    w.tb->SETBANDVISIBLE(1, false);
    EXPECT_TRUE(combo->isHidden());
}

TEST(ToolbarWidget, MirroredButtonFollowsTheWindowButton)
{
    Window w;
    auto* save = new QPushButton(QStringLiteral("Save"), &w.window);
    save->setToolTip(QStringLiteral("Save the record"));
    w.tb->ADDBAND(1, 0, QStringLiteral("A"));
    w.tb->ADDMIMICBUTTON(1, 60, save, PTB_MIMICTEXT | PTB_MIMICTOOLTIP | PTB_MIMICENABLE | PTB_MIMICSHOW);
    w.showAndInit();
    EXPECT_EQ(w.tb->GETTEXT(60), QStringLiteral("Save"));
    EXPECT_EQ(w.tb->GETTOOLTIP(60), QStringLiteral("Save the record"));
    save->setEnabled(false);
    EXPECT_TRUE(waitFor([&] { return !w.tb->GETENABLED(60); }));
    save->setEnabled(true);
    EXPECT_TRUE(waitFor([&] { return w.tb->GETENABLED(60); }));
    save->hide();
    EXPECT_TRUE(waitFor([&] { return !w.tb->GETVISIBLE(60); }));
    save->show();
    save->setText(QStringLiteral("Store"));
    EXPECT_TRUE(waitFor([&] { return w.tb->GETTEXT(60) == QStringLiteral("Store"); }));
    delete save;
    w.tb->repaint(); // the item outlives its button
}

TEST(ToolbarFacade, UnboundAndFromAnotherThread)
{
    VOROVEVEVGLOBALCLASS facade;
    facade.SETTEXT(10, QStringLiteral("x"));
    EXPECT_EQ(facade.GETTEXT(10), QString());
    EXPECT_FALSE(facade.GETENABLED(10));

    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("A"));
    w.tb->ADDBUTTON(1, 10, QStringLiteral("x"));
    w.showAndInit();
    facade.INIT(w.tb);
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            facade.SETENABLED(10, i % 2 == 1);
        facade.SETTEXT(10, QStringLiteral("one"));
        facade.SETTEXT(10, QStringLiteral("two"));
        facade.SETBANDVISIBLE(1, false);
    });
    worker.join();
    EXPECT_TRUE(waitFor([&] { return !w.tb->GETBANDVISIBLE(1); }));
    EXPECT_TRUE(w.tb->GETENABLED(10)); // the last call was "enabled"
    EXPECT_EQ(facade.GETTEXT(10), QStringLiteral("two"));

    // A toolbar that goes unbinds itself.
    delete w.tb.data();
    EXPECT_FALSE(facade.bound());
    facade.SETENABLED(10, false);
    QCoreApplication::processEvents();
}

TEST(ToolbarFacade, BoundButtonsOfSeveralWindows)
{
    Window w;
    w.tb->ADDBAND(1, 0, QStringLiteral("A"));
    w.tb->ADDBUTTON(1, 10, QStringLiteral("Save"));
    w.showAndInit();
    VOROVEVEVGLOBALCLASS facade;
    facade.INIT(w.tb);

    QWidget first, second, third;
    auto* saveFirst = new QPushButton(QStringLiteral("Save"), &first);
    auto* saveSecond = new QPushButton(QStringLiteral("Save"), &second);
    auto* saveAlways = new QPushButton(QStringLiteral("Save"), &third);
    int clicks[3] = {0, 0, 0};
    QObject::connect(saveFirst, &QPushButton::clicked, [&] { ++clicks[0]; });
    QObject::connect(saveSecond, &QPushButton::clicked, [&] { ++clicks[1]; });
    QObject::connect(saveAlways, &QPushButton::clicked, [&] { ++clicks[2]; });
    QWidget* active = &second;
    VOROVEVEVGLOBALCLASS::setActiveContextHook([&] { return active; });
    testsupport::OnScopeExit reset([] { VOROVEVEVGLOBALCLASS::setActiveContextHook({}); });

    VOROVEVEVMIMICPARENT p1, p2, p3;
    p1.INIT(&facade);
    p2.INIT(&facade);
    p3.INIT(&facade);
    p1.ADDMIMIC(10, saveFirst, 0);
    p2.ADDMIMIC(10, saveSecond, 0);
    p3.ADDMIMIC(10, saveAlways, 1);
    EXPECT_EQ(facade.bindingCount(), 3u);

    // The active window's button is pressed; mode 1 only when no active-window binding exists.
    w.tb->EXECUTECONTROL(10);
    EXPECT_TRUE(waitFor([&] { return clicks[1] == 1; }));
    active = nullptr;
    w.tb->EXECUTECONTROL(10);
    EXPECT_TRUE(waitFor([&] { return clicks[2] == 1; }));
    EXPECT_EQ(clicks[0], 0);

    // An inactive window's button: mode 0 leaves the item alone, mode 1 follows.
    active = &second;
    saveFirst->setEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.tb->GETENABLED(10));
    saveAlways->setEnabled(false);
    EXPECT_TRUE(waitFor([&] { return !w.tb->GETENABLED(10); }));
    saveAlways->setEnabled(true);
    EXPECT_TRUE(waitFor([&] { return w.tb->GETENABLED(10); }));

    // Closing a window disables its items; killing twice, or focusing afterwards, is harmless.
    p2.KILL();
    EXPECT_TRUE(waitFor([&] { return !w.tb->GETENABLED(10); }));
    EXPECT_EQ(p2.count(), 0u);
    p2.TAKEFOCUS(true);
    p2.KILL();
    EXPECT_EQ(facade.bindingCount(), 2u);
    delete saveFirst; // a destroyed button takes its binding with it
    EXPECT_EQ(facade.bindingCount(), 1u);
}

TEST(ToolbarWidget, FieldsAndHostedControlsGetTheirFrames)
{
    {
        // Without themes the toolbar draws a grey frame one pixel inside a hosted control.
        Window w;
        auto* label = new QLabel(QStringLiteral("hosted"), &w.window);
        label->resize(80, 20);
        w.tb->SETPXP(nullptr);
        w.tb->ADDBAND(1, 0, QStringLiteral("Main"));
        w.tb->ADDNORVECCONTROL(1, 50, label);
        w.showAndInit();
        const QImage image = label->grab().toImage();
        EXPECT_EQ(image.pixelColor(1, image.height() / 2), QColor(136, 136, 136));
        EXPECT_NE(image.pixelColor(0, image.height() / 2), QColor(136, 136, 136));
    }
    // With themes, a style-2 entry field's frame is lit while it has the focus.
    pxp::ScopedThemeLoader loader(pxp::loadThemeRenderer);
    PXPGLOBALCLASS service;
    ASSERT_TRUE(service.ISTHEMEACTIVE());
    Window w;
    w.tb->SETPXP(&service);
    w.tb->SETSTYLE(2);
    w.tb->ADDBAND(1, 0, QStringLiteral("Find"));
    w.tb->ADDENTRY(1, 41, QStringLiteral("start"));
    w.showAndInit();
    auto* entry = w.tb->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(entry, nullptr);
    const QColor lit = toQColor(COLORREF(w.tb->GETCOLOR(39)));
    auto edge = [entry] { return entry->grab().toImage().pixelColor(0, entry->height() / 2); };
    w.window.activateWindow();
    entry->setFocus();
    ASSERT_TRUE(waitFor([&] { return entry->hasFocus(); }));
    EXPECT_TRUE(waitFor([&] { return edge() == lit; }));
    w.below->setFocus();
    EXPECT_TRUE(waitFor([&] { return edge() == QColor(Qt::white); }));
}
