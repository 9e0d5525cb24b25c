// The menu manager: choices reach their entry's ONCLICK once, opened bar entries, the MDI list,
// look-ups over several menus; offscreen popups opened, hovered and chosen by mouse; and the
// program's runtime popups shown through the chrome.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "chrome/ChromeGlobals.h"
#include "chrome/MenuLooks.h"
#include "chrome/MenuManager.h"
#include "chrome/MenuWidgets.h"
#include "chrome/Menus.h"
#include "runtime/PopupMenu.h"
#include "tests/support/TestSupport.h"

namespace {

class Entry : public CFCMENUITEM {
public:
    Entry(QString name, QStringList& log) : m_name(std::move(name)), m_log(log) {}
    void ONCLICK() override { m_log << m_name; }

private:
    QString m_name;
    QStringList& m_log;
};

// Counts the repaints of the line under its bar.
class BarEntry : public Entry {
public:
    using Entry::Entry;
    int lines = 0;
    void DRAWMENUBAR1PX() override { ++lines; }
};

class HookedPopup : public CFCPOPUPMENU {
public:
    QStringList* log = nullptr;
    void ONINITMENUPOPUP() override { *log << "init"; }
    void ONUNINITMENUPOPUP() override { *log << "uninit"; }
};

// Runs `step` on the open popup once it shows; closes whatever is left after a bound.
void whenPopupShows(std::function<void(QMenu*)> step)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, step] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->isVisible()) {
            timer->deleteLater();
            step(menu);
        } else if (++*tries > 500) {
            timer->deleteLater();
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        }
    });
    timer->start(10);
}

QPoint centreOf(QMenu* menu, QAction* action) { return menu->actionGeometry(action).center(); }

} // namespace

TEST(MenuManager, ChoicesReachTheirEntryOnce)
{
    QStringList log;
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    CFCPOPUPMENU top, sub, stranger;
    for (CFCPOPUPMENU* m : {&top, &sub, &stranger})
        m->CREATEMENU();
    Entry a("a", log), b("b", log), parent("parent", log), inSub("inSub", log), other("other", log);
    a.ADDMENUITEM(top, "A", counter);
    b.ADDMENUITEM(top, "B", counter);
    parent.ADDMENUITEM(top, "Podmeni", counter);
    inSub.ADDMENUITEM(sub, "U podmeniju", counter);
    parent.ATTACHSUBMENU(sub);
    other.ADDMENUITEM(stranger, "Tuđi", counter);

    CFCMENUMANAGER manager;
    manager.ADDMENU(top);
    manager.ADDMENU(sub);
    manager.ADDMENU(top); // registered twice, still one click per choice
    b.action()->trigger();
    EXPECT_EQ(log, QStringList{"b"});
    log.clear();
    inSub.action()->trigger(); // both menus pass it on; one entry, one click
    EXPECT_EQ(log, QStringList{"inSub"});
    log.clear();
    other.action()->trigger(); // a menu the manager does not know
    manager.ONCOMMAND(99999);
    EXPECT_TRUE(log.isEmpty());
    manager.ONCOMMAND(a.ID);
    EXPECT_EQ(log, QStringList{"a"});

    EXPECT_EQ(manager.GETMENUITEMBYID(inSub.ID), &inSub);
    EXPECT_EQ(manager.GETMENUITEMBYID(other.ID), nullptr);
    manager.DELETEMENU(top);
    manager.DELETEMENU(top);
    log.clear();
    a.action()->trigger();
    EXPECT_TRUE(log.isEmpty());
}

TEST(MenuManager, OpenedBarEntriesAndPopupHooks)
{
    QStringList log;
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    QWidget window;
    window.resize(300, 200);
    CFCMENU bar;
    HookedPopup file;
    file.log = &log;
    bar.CREATEMENU();
    file.CREATEMENU();
    Entry fileEntry("file", log), help("help", log), open("open", log);
    fileEntry.ADDMENUITEM(bar, "Datoteka", counter, 1);
    help.ADDMENUITEM(bar, "Pomoć", counter, 1);
    open.ADDMENUITEM(file, "Otvori\tCtrl+O", counter);
    fileEntry.ATTACHSUBMENU(file);
    bar.SETMENUTOWND(&window);
    CFCMENUITEMDRAWCLASS_2003 look;
    bar.SETDRAWINGCLASS(look);

    CFCMENUMANAGER manager;
    manager.ADDMENU(bar);
    manager.ADDMENU(file);
    ASSERT_TRUE(manager.SETCALLBACK(&window));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QRect fileRect = bar.bar()->actionGeometry(fileEntry.action());
    EXPECT_EQ(fileRect.height(), 20);
    file.menu()->popup(window.mapToGlobal(QPoint(0, 20)));
    ASSERT_TRUE(testsupport::waitFor([&] { return file.menu()->isVisible(); }));
    EXPECT_TRUE(fileEntry.FLAGSUBMENUISOPENED);
    EXPECT_FALSE(help.FLAGSUBMENUISOPENED);
    EXPECT_EQ(log, QStringList{"init"});
    // Opened: edges left, right and top in the popup's border colour, none at the bottom, and
    // the two shadow columns beside it.
    QImage image = bar.bar()->grab().toImage();
    const auto at = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return pxp::rgb(c.red(), c.green(), c.blue());
    };
    EXPECT_EQ(at(fileRect.left(), fileRect.top() + 10), look.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(at(fileRect.right(), fileRect.top() + 10), look.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(at(fileRect.left() + 10, fileRect.top()), look.COLOR_POPUPWINDOWBORDER);
    EXPECT_NE(at(fileRect.left() + 10, fileRect.bottom()), look.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(at(fileRect.right() + 1, fileRect.top() + 10), look.COLOR_SHADOW_1);
    EXPECT_EQ(at(fileRect.right() + 2, fileRect.top() + 10), look.COLOR_SHADOW_2);
    EXPECT_NE(at(fileRect.right() + 2, fileRect.top() + 3), look.COLOR_SHADOW_2); // it starts 4 down
    file.menu()->hide();
    EXPECT_FALSE(fileEntry.FLAGSUBMENUISOPENED);
    EXPECT_EQ(log, (QStringList{"init", "uninit"}));

    // A hot bar entry: its frame around the hot gradient.
    bar.bar()->setActiveAction(help.action());
    image = bar.bar()->grab().toImage();
    const QRect helpRect = bar.bar()->actionGeometry(help.action());
    EXPECT_EQ(at(helpRect.left(), helpRect.top()), look.COLOR_ITEMBORDER);
    // The gradient runs from its top colour to its bottom colour.
    const auto near = [](pxp::COLORREF a, pxp::COLORREF b) {
        return std::abs(pxp::redOf(a) - pxp::redOf(b)) + std::abs(pxp::greenOf(a) - pxp::greenOf(b)) +
                   std::abs(pxp::blueOf(a) - pxp::blueOf(b)) < 16;
    };
    EXPECT_TRUE(near(at(helpRect.left() + 3, helpRect.top() + 1), look.COLOR_TOPLEVELITEMGRADIENTFROM));
    EXPECT_TRUE(near(at(helpRect.left() + 3, helpRect.bottom() - 1), look.COLOR_TOPLEVELITEMGRADIENTTO));
    EXPECT_NE(at(fileRect.right() + 1, fileRect.top() + 10), look.COLOR_SHADOW_1); // closed: no shadow
    manager.REMOVECALLBACK();
}

TEST(MenuManager, TopLevelEntriesByWindow)
{
    QStringList log;
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    QWidget window, elsewhere;
    CFCPOPUPMENU popup;
    CFCMENU first, second;
    popup.CREATEMENU();
    first.CREATEMENU();
    second.CREATEMENU();
    Entry plain("plain", log), two("two", log);
    BarEntry one("one", log);
    plain.ADDMENUITEM(popup, "Obično", counter);
    one.ADDMENUITEM(first, "Prvi", counter, 1);
    two.ADDMENUITEM(second, "Drugi", counter, 1);
    popup.HWND = &window;
    first.HWND = &window;
    second.HWND = &window;
    CFCMENUMANAGER manager;
    manager.ADDMENU(popup);
    manager.ADDMENU(first);
    manager.ADDMENU(second);
    EXPECT_EQ(manager.GETANYTOPLEVELITEMBYHWND(&window), &one);
    EXPECT_EQ(manager.GETANYTOPLEVELITEMBYHWND(&elsewhere), nullptr);
    one.SETMENUITEMSTRID("Kljuc");
    EXPECT_EQ(manager.GETMENUITEMBYSTRID("Kljuc  "), &one);
    EXPECT_EQ(manager.GETMENUITEMBYSTRID("Nema"), nullptr);

    // The watched window's activation repaints the line under its bar; another window's does not.
    ASSERT_TRUE(manager.SETCALLBACK(&window));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    QApplication::sendEvent(&elsewhere, &activate);
    EXPECT_EQ(one.lines, 1);
    manager.REMOVECALLBACK();
    QApplication::sendEvent(&window, &activate);
    EXPECT_EQ(one.lines, 1);
}

TEST(MenuManager, MdiChildrenAreListedAfresh)
{
    QWidget frame;
    auto* area = new QMdiArea(&frame);
    const auto add = [&](const QString& title, bool enabled) {
        auto* child = area->addSubWindow(new QWidget);
        child->setWindowTitle(title);
        child->setEnabled(enabled);
        return child;
    };
    QMdiSubWindow* contacts = add("Kontakti", true);
    add("Onemogućen", false);
    add("", true);
    QMdiSubWindow* mail = add("Pošta", true);
    CFCMENUMANAGER manager;
    for (int round = 0; round < 2; ++round) {
        EXPECT_NE(manager.FILLMDICHILDWINDOWS(&frame), 0);
        ASSERT_EQ(manager.MDICHILDQ.size(), 2u);
        EXPECT_EQ(manager.MDICHILDQ[0].title, "Kontakti");
        EXPECT_EQ(manager.MDICHILDQ[0].window, contacts);
        EXPECT_EQ(manager.MDICHILDQ[1].window, mail);
    }
    EXPECT_EQ(manager.FILLMDICHILDWINDOWS(nullptr), 0);
    EXPECT_TRUE(manager.MDICHILDQ.empty());
}

TEST(MenuManager, APopupOpensHoversAndChooses)
{
    QStringList log;
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    QWidget window;
    window.resize(300, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CFCPOPUPMENU popup;
    popup.CREATEMENU();
    Entry reply("reply", log), greyed("greyed", log), forward("forward", log);
    reply.ADDMENUITEM(popup, "Odgovori", counter);
    greyed.ADDMENUITEM(popup, "Brisanje", counter);
    forward.ADDMENUITEM(popup, "Proslijedi", counter);
    greyed.SETMENUITEMDISABLED();
    CFCMENUITEMDRAWCLASS_XP xp;
    popup.SETDRAWINGCLASS(xp);
    CFCMENUMANAGER manager;
    manager.ADDMENU(popup);
    manager.SETCALLBACK(&window);

    QAction* hovered = nullptr;
    whenPopupShows([&](QMenu* menu) {
        QTest::mouseMove(menu, centreOf(menu, forward.action()));
        testsupport::waitFor([&] { return menu->activeAction() == forward.action(); }, 2000);
        hovered = menu->activeAction();
        QTest::mouseClick(menu, Qt::LeftButton, {}, centreOf(menu, greyed.action())); // refused
        QTest::mouseClick(menu, Qt::LeftButton, {}, centreOf(menu, forward.action()));
    });
    const QPoint at = window.mapToGlobal(QPoint(40, 40));
    EXPECT_EQ(popup.RUN(&window, at.x(), at.y()), forward.ID);
    EXPECT_EQ(hovered, forward.action());
    EXPECT_EQ(log, QStringList{"forward"});
    EXPECT_EQ(popup.HWND, &window);

    // Closed without a choice: nothing runs.
    log.clear();
    whenPopupShows([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
    EXPECT_EQ(popup.RUN(&window, at.x(), at.y()), 0);
    EXPECT_TRUE(log.isEmpty());
}

TEST(MenuManager, RuntimePopupsShowThroughTheChrome)
{
    // The program's libraries put the chrome in charge of showing runtime menus.
    const testsupport::ScopedHook<vrt::PopupMenu::Runner> noRunner(&vrt::PopupMenu::setRunner, nullptr);
    const testsupport::OnScopeExit look([old = chrome::currentMenuLook()] { chrome::setMenuLook(old); });
    chrome::setMenuLook(chrome::MenuLook::Office2003Silver);
    QWidget window;
    window.resize(300, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QStringList ran;
    vrt::PopupMenu model;
    const int reply = model.addItem("Odgovori", "reply", [&] { ran << "reply"; });
    model.addSeparator();
    const int junk = model.addItem("Označi kao smeće", "junk", [&] { ran << "junk"; });
    const int sub = model.addSubmenu("Veze", "links");
    const int fs = model.addItem("FS", "FS", [&] { ran << "FS"; }, sub);
    model.setEnabled(junk, false);
    model.setChecked(fs, true);
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    model.setIcon(reply, QIcon(QPixmap::fromImage(red)));

    QStringList seen;
    whenPopupShows([&](QMenu* menu) {
        const auto* chrome = CFCMENUBASE::fromWidget(menu);
        seen << QString::fromLatin1(menu->metaObject()->className());
        seen << (chrome && chrome->drawingClass() ? chrome->drawingClass()->lookName() : QString());
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                seen << QStringLiteral("%1 %2").arg(a->text(), a->isEnabled() ? "on" : "off");
        const QImage image = menu->grab().toImage();
        const QRect r = menu->actionGeometry(menu->actions().front());
        seen << image.pixelColor(r.left() + 8, r.top() + 10).name();
        QTest::mouseClick(menu, Qt::LeftButton, {}, centreOf(menu, menu->actions().front()));
    });
    EXPECT_EQ(model.ask(window.mapToGlobal(QPoint(30, 30)), &window), reply);
    EXPECT_EQ(ran, QStringList{"reply"});
    EXPECT_EQ(seen, (QStringList{"CfcMenuWidget", "2003 silver", "Odgovori on", "Označi kao smeće off", "Veze on",
                                 "#ff0000"}));

    // A sub-menu's entry is chosen through its own menu.
    ran.clear();
    whenPopupShows([&](QMenu* menu) {
        QAction* links = menu->actions().last();
        QTest::mouseClick(menu, Qt::LeftButton, {}, centreOf(menu, links));
        testsupport::waitFor([&] { return links->menu() && links->menu()->isVisible(); }, 2000);
        QMenu* inner = links->menu();
        QTest::mouseClick(inner, Qt::LeftButton, {}, centreOf(inner, inner->actions().front()));
    });
    EXPECT_EQ(model.ask(window.mapToGlobal(QPoint(30, 30)), &window), fs);
    EXPECT_EQ(ran, QStringList{"FS"});
    EXPECT_FALSE(model.item(fs)->checked); // choosing a ticked entry unticks it
}
