#include "runtime/Notify.h"
#include "runtime/PopupMenu.h"
#include "runtime/WindowManager.h"
#include "tests/support/TestSupport.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

// A window whose timer opens a form from inside its handler, as the organiser does.
class TickingManager : public vrt::WindowManager {
public:
    std::function<void()> onTimer;
    std::vector<std::pair<int, int>> notes;
    std::vector<int> accepted;
    int ticks = 0;
    bool refuseClose = true;

    int takeTimer() override
    {
        ++ticks;
        if (onTimer)
            onTimer();
        return vrt::LEVEL_BENIGN;
    }
    int takeNotify(int code, int number) override
    {
        notes.emplace_back(code, number);
        return vrt::LEVEL_BENIGN;
    }
    int takeAccepted(int control) override
    {
        accepted.push_back(control);
        return vrt::LEVEL_BENIGN;
    }
    int takeCloseEvent() override { return refuseClose ? vrt::LEVEL_CANCEL : vrt::LEVEL_BENIGN; }
};

} // namespace

TEST(WindowManager, TimerNeverReentersANestedModalLoop)
{
    QWidget window;
    TickingManager organiser;
    organiser.setWindow(&window);
    ASSERT_TRUE(organiser.open());

    // While a form is open from inside the timer, the next ticks of the window (the Qt timer
    // keeps firing inside the form's loop) and ticks from any other nested loop are skipped;
    // the form's own timer runs.
    int innerSkipped = 0, formTicks = 0;
    organiser.onTimer = [&] {
        QDialog form;
        TickingManager formManager;
        formManager.setWindow(&form);
        testsupport::ScopedDialogRunner runner([&](QDialog&) {
            innerSkipped += organiser.tick() ? 0 : 1;
            innerSkipped += organiser.tick() ? 0 : 1;
            formTicks += formManager.tick() ? 1 : 0;
            return int(QDialog::Accepted);
        });
        formManager.run();
    };
    EXPECT_TRUE(organiser.tick());
    EXPECT_EQ(organiser.ticks, 1);
    EXPECT_EQ(innerSkipped, 2);
    EXPECT_EQ(formTicks, 1);

    // A modal loop not started by the handler (a message box from a button) also holds it.
    organiser.onTimer = nullptr;
    {
        vrt::ModalScope messageBox;
        EXPECT_FALSE(organiser.tick());
    }
    EXPECT_TRUE(organiser.tick());
    EXPECT_EQ(organiser.ticks, 2);
    organiser.close();
}

TEST(WindowManager, ModalRunAnswersAndKills)
{
    struct Form : vrt::WindowManager {
        int initResult = vrt::LEVEL_BENIGN;
        int kills = 0;
        int init() override { vrt::WindowManager::init(); return initResult; }
        int kill() override { ++kills; return vrt::WindowManager::kill(); }
    };
    QDialog dialog;
    Form form;
    form.setWindow(&dialog);
    {
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            EXPECT_EQ(&d, &dialog);
            EXPECT_EQ(vrt::modalDepth(), 1);
            return int(QDialog::Accepted);
        });
        EXPECT_EQ(form.run(), vrt::REQUEST_COMPLETED);
    }
    EXPECT_EQ(vrt::modalDepth(), 0);
    form.setResponse(vrt::RESPONSE_NONE);
    EXPECT_EQ(form.run(), vrt::REQUEST_CANCELLED); // the test default rejects
    // A failed init never shows the window but still releases what it took.
    form.setResponse(vrt::RESPONSE_NONE);
    form.initResult = vrt::LEVEL_FATAL;
    testsupport::clearModalLog();
    EXPECT_EQ(form.run(), vrt::REQUEST_CANCELLED);
    EXPECT_TRUE(testsupport::modalLog().isEmpty());
    EXPECT_EQ(form.kills, 3);
    // An update number nobody serves is a cancel, never a stale completion.
    form.setResponse(vrt::REQUEST_COMPLETED);
    EXPECT_EQ(form.run(0, vrt::INSERT_RECORD), vrt::REQUEST_CANCELLED);
}

TEST(WindowManager, NotificationsAndPostedAcceptsArriveInOrder)
{
    QWidget window;
    TickingManager manager;
    manager.setWindow(&window);
    manager.open();
    const int id = vrt::registerReceiver(&window);
    int hidden = 0;
    manager.setTarget(3, [&] { ++hidden; });
    const std::vector<std::pair<int, int>> sent{{1, 1001}, {2, 5}, {3, 0}, {1, 2005}, {5, 0}, {4, 0}};
    for (auto [code, number] : sent)
        EXPECT_TRUE(vrt::notify(id, code, number));
    manager.postAccepted(3);
    manager.postAccepted(7);
    EXPECT_TRUE(manager.notes.empty()); // nothing happens before the events are delivered
    QCoreApplication::processEvents();
    EXPECT_EQ(manager.notes, sent);
    EXPECT_EQ(hidden, 1);                          // a logical target, not a widget
    EXPECT_EQ(manager.accepted, std::vector<int>{7}); // no target: the manager's own handler
    vrt::unregisterReceiver(id);
    manager.close();
}

TEST(WindowManager, EventsWaitWhileAModalWindowRunsAbove)
{
    QWidget window;
    TickingManager manager;
    manager.setWindow(&window);
    manager.open();
    const int id = vrt::registerReceiver(&window);
    {
        vrt::ModalScope form; // a form opened from the window, its loop running
        vrt::notify(id, 1, 2002);
        manager.postAccepted(8);
        vrt::notify(id, 2, 3);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        EXPECT_TRUE(manager.notes.empty());
        EXPECT_TRUE(manager.accepted.empty());
        {
            vrt::ModalScope message; // a message box of the form: still above the window
        }
        QCoreApplication::processEvents();
        EXPECT_TRUE(manager.notes.empty());
    }
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(manager.notes, (std::vector<std::pair<int, int>>{{1, 2002}, {2, 3}}));
    EXPECT_EQ(manager.accepted, std::vector<int>{8});
    vrt::unregisterReceiver(id);
    manager.close();
}

TEST(WindowManager, CloseRequestIsRefusedButProgramCloseWorks)
{
    QWidget window;
    TickingManager manager;
    manager.setWindow(&window);
    manager.open();
    ASSERT_TRUE(window.isVisible());
    window.close(); // the user's close request
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(manager.isOpen());
    manager.close(); // the application shutting down
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(manager.isOpen());
}

TEST(PopupMenu, ItemsAreDrivenById)
{
    vrt::PopupMenu menu;
    std::vector<QString> ran;
    const int add = menu.addItem("Novi email", "new", [&] { ran.push_back("new"); });
    const int sep = menu.addSeparator();
    const int del = menu.addItem("Obriši email", "delete", [&] { ran.push_back("delete"); });
    const int sub = menu.addSubmenu("Označi", "mark");
    const int read = menu.addItem("Pročitano", "read", [&] { ran.push_back("read"); }, sub);
    menu.setEnabled(del, false);

    struct Case {
        int id;
        int answer;
    };
    for (auto c : {Case{add, add}, Case{sep, 0}, Case{del, 0}, Case{sub, 0}, Case{read, read}, Case{99, 0}})
        EXPECT_EQ(menu.choose(c.id), c.answer) << c.id;
    EXPECT_EQ(ran, (std::vector<QString>{"new", "read"}));
    menu.setEnabled(sub, false); // a disabled submenu hides its items from choosing
    EXPECT_EQ(menu.choose(read), 0);
    EXPECT_EQ(menu.idOf("delete"), del);

    // The widget form mirrors the list: texts, separator, states and the submenu.
    menu.translate([](const QString& t) { return t.toUpper(); });
    std::unique_ptr<QMenu> built(menu.buildMenu());
    const auto actions = built->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "NOVI EMAIL");
    EXPECT_EQ(actions[0]->data().toInt(), add);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isEnabled());
    ASSERT_NE(actions[3]->menu(), nullptr);
    EXPECT_EQ(actions[3]->menu()->actions().front()->data().toInt(), read);

    // ask() shows the menu through the runner and runs what was picked.
    ran.clear();
    {
        const testsupport::ScopedHook<vrt::PopupMenu::Runner> runner(
            &vrt::PopupMenu::setRunner, [&](const vrt::PopupMenu&, QPoint, QWidget*) { return add; });
        EXPECT_EQ(menu.ask(), add);
        EXPECT_EQ(ran, std::vector<QString>{"new"});
    }

    EXPECT_TRUE(menu.remove(sub));
    EXPECT_EQ(menu.item(read), nullptr);
    EXPECT_EQ(menu.items().size(), 3u);
}
