// A toolbar of push, check, radio and drop-down buttons, its tips, its layout saved and
// restored, and a rebar band holding it.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMainWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "chrome/ChromeGlobals.h"
#include "chrome/Toolbar.h"
#include "tests/support/TestSupport.h"

using namespace tbstate;

namespace {
struct Button : CFCTBRBUTTON {
    int pressed = 0;
    int dropped = 0;
    long access = 0;
    void ONCOMMAND() override { ++pressed; }
    void ONDROPDOWN(QMenu& menu) override
    {
        ++dropped;
        menu.clear();
        menu.addAction(QStringLiteral("Prvi"));
    }
    long CHECKBUTTONACCESS() override { return access; }
};

struct Bar : ::testing::Test {
    QWidget window;
    CFCTOOLBAR toolbar;
    CFCCOMMANDCNT counter;
    Button save, bold, left, right, more, whole;
    QTemporaryDir dir;
    void SetUp() override
    {
        counter.INIT(16000);
        toolbar.SETCOMMANDCNT(counter);
        toolbar.CREATETOOLBAR(&window);
        window.resize(600, 80);
    }
    QToolButton* widget(const CFCTBRBUTTON& b)
    {
        return qobject_cast<QToolButton*>(toolbar.HWNDTB()->widgetForAction(toolbar.actionOf(b.BUTTONID)));
    }
};
} // namespace

TEST_F(Bar, ButtonsOfEveryKind)
{
    EXPECT_EQ(toolbar.ADDBUTTON(save, QStringLiteral("Spremi  ")), 16001);
    bold.access = 1; // starts disabled
    toolbar.ADDCHECKBUTTON(bold, QStringLiteral("Podebljano"));
    toolbar.ADDSEPARATOR();
    toolbar.ADDRADIOBUTTON(left, QStringLiteral("Lijevo"));
    toolbar.ADDRADIOBUTTON(right, QStringLiteral("Desno"));
    toolbar.ADDDROPDOWNBUTTON(more, QStringLiteral("Više"));
    toolbar.ADDWHOLEDROPDOWNBUTTON(whole, QStringLiteral("Sve"), -1, 2);
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 7);

    EXPECT_EQ(save.GETSTYLE(), BTNS_BUTTON | BTNS_AUTOSIZE);
    EXPECT_EQ(bold.GETSTYLE(), BTNS_CHECK | BTNS_AUTOSIZE);
    EXPECT_EQ(left.GETSTYLE(), BTNS_CHECKGROUP | BTNS_AUTOSIZE);
    EXPECT_EQ(toolbar.strings().value(bold.TBBUTTON.iString), QStringLiteral("Podebljano"));
    EXPECT_EQ(toolbar.strings().value(save.TBBUTTON.iString), QStringLiteral("Spremi"));
    EXPECT_EQ(whole.TBBUTTON.iString, -1); // image kind 2: no caption string
    EXPECT_EQ(save.TBBUTTON.iBitmap, -1);
    EXPECT_TRUE(toolbar.actionOf(bold.BUTTONID)->isCheckable());
    EXPECT_FALSE(bold.ISENABLED());
    EXPECT_FALSE(toolbar.actionOf(bold.BUTTONID)->isEnabled());
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(3), left.BUTTONID);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(2), -1); // the separator
    EXPECT_EQ(toolbar.GETBUTTONBYID(right.BUTTONID), &right);

    // Push: the button's command. Radio: one of the group at a time.
    window.show();
    QTest::mouseClick(widget(save), Qt::LeftButton);
    EXPECT_EQ(save.pressed, 1);
    QTest::mouseClick(widget(left), Qt::LeftButton);
    EXPECT_TRUE(left.ISCHECKED());
    QTest::mouseClick(widget(right), Qt::LeftButton);
    EXPECT_TRUE(right.ISCHECKED());
    EXPECT_FALSE(left.ISCHECKED());
    bold.ENABLE(true);
    QTest::mouseClick(widget(bold), Qt::LeftButton);
    EXPECT_TRUE(bold.ISCHECKED());

    // Drop-downs: the menu is filled as it opens; the whole button only opens it.
    EXPECT_EQ(widget(more)->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(widget(whole)->popupMode(), QToolButton::InstantPopup);
    QMenu* menu = more.menu();
    ASSERT_NE(menu, nullptr);
    QTimer::singleShot(0, menu, [menu] { menu->close(); });
    widget(more)->showMenu();
    EXPECT_EQ(more.dropped, 1);
    EXPECT_EQ(menu->actions().size(), 1);

    // State changes through the button.
    more.HIDEBUTTON(true);
    EXPECT_TRUE(more.ISHIDDEN());
    QRect r;
    EXPECT_FALSE(more.GETRECT(r));
    EXPECT_EQ(more.SETTEXT(QStringLiteral("Još")), 0);
    EXPECT_EQ(toolbar.actionOf(more.BUTTONID)->text(), QStringLiteral("Još"));
    toolbar.DELETESEPARATORBYPOS(0); // not a separator: stays
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 7);
    toolbar.DELETESEPARATORBYPOS(2);
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 6);
    EXPECT_EQ(save.DELETE(), 1);
    EXPECT_EQ(save.GETBUTTONINDEX(), -1);
    EXPECT_EQ(save.GETSTATE(), -1);
}

TEST_F(Bar, TipsShowOverTheirButtons)
{
    toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    toolbar.ADDBUTTON(bold, QStringLiteral("Podebljano"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    save.SETTOOLTIP(QStringLiteral("Spremi zapis"));
    bold.SETTOOLTIP(QStringLiteral("Podebljani tekst"));
    QToolButton* button = widget(bold);
    QHelpEvent e(QEvent::ToolTip, QPoint(3, 3), button->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(button, &e);
    ASSERT_TRUE(toolbar.TT().ISTOOLVISIBLE());
    EXPECT_EQ(toolbar.TT().tooltipWindow()->findChildren<QLabel*>().last()->text(), QStringLiteral("Podebljani tekst"));
}

TEST_F(Bar, LayoutSurvivesSaveAndRestore)
{
    const long a = toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    const long b = toolbar.ADDCHECKBUTTON(bold, QStringLiteral("Podebljano"));
    toolbar.ADDSEPARATOR();
    const long c = toolbar.ADDBUTTON(left, QStringLiteral("Lijevo"));
    toolbar.SAVESTATE();
    const QString file = dir.filePath(QStringLiteral("traka.tbr"));

    // The user moves a button and takes the separator away; the layout is saved.
    toolbar.MOVEBUTTON(3, 0);
    toolbar.DELETESEPARATORBYPOS(3);
    bold.CHECKBUTTON(true);
    ASSERT_EQ(toolbar.SAVESTATETOFILE(file), 1);
    EXPECT_EQ(QFile(file).size(), 60);

    // Meanwhile a button gets a new picture and the layout changes again.
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath(QStringLiteral("red.png"))));
    ASSERT_EQ(save.SETICON(dir.filePath(QStringLiteral("red.png"))), 0);
    toolbar.MOVEBUTTON(0, 2);

    ASSERT_EQ(toolbar.RESTORESTATEFROMFILE(file), 0);
    ASSERT_EQ(toolbar.BUTTONCOUNT(), 3);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), c);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(1), a);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(2), b);
    EXPECT_TRUE(bold.ISCHECKED());
    EXPECT_EQ(save.GETTBBUTTON().iBitmap, save.TBBUTTON.iBitmap); // the current picture
    EXPECT_FALSE(toolbar.actionOf(a)->icon().isNull());

    // A missing file leaves the buttons; reset brings back the first layout.
    EXPECT_EQ(toolbar.RESTORESTATEFROMFILE(dir.filePath(QStringLiteral("none.tbr"))), -1);
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 3);
    toolbar.ONRESET();
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 4);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), a);
}

TEST_F(Bar, RestoringDropsButtonsThatNoLongerExist)
{
    const long a = toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    std::vector<CFC_TBBUTTON> stored = toolbar.layout();
    CFC_TBBUTTON gone = stored.front();
    gone.idCommand = 99999;
    gone.iString = 55; // a text the toolbar never had
    stored.insert(stored.begin(), gone);
    const QString file = dir.filePath(QStringLiteral("stara.tbr"));
    ASSERT_TRUE(writeFile(file, stored));
    ASSERT_EQ(toolbar.RESTORESTATEFROMFILE(file), 0);
    ASSERT_EQ(toolbar.BUTTONCOUNT(), 1);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), a);
    EXPECT_EQ(toolbar.RESTOREDSTATEBUFFER.size(), 40);
}

TEST_F(Bar, TheManagerRoutesCommandsAndNotifications)
{
    CFCTOOLBARMANAGER manager;
    manager.ADDTOOLBAR(toolbar);
    toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    toolbar.ADDDROPDOWNBUTTON(more, QStringLiteral("Više"));
    toolbar.actionOf(save.BUTTONID)->trigger();
    EXPECT_EQ(save.pressed, 1);
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_INITCUSTOMIZE), 1);
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_QUERYDELETE), 1);
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_QUERYINSERT), 1);
    manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_DROPDOWN, more.BUTTONID);
    EXPECT_EQ(more.dropped, 1);
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_DROPDOWN, 4711), 0);
    CFC_TBBUTTON info;
    QString text;
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_GETBUTTONINFO, 1, &info, &text), 1);
    EXPECT_EQ(info.idCommand, more.BUTTONID);
    EXPECT_EQ(text, QStringLiteral("Više"));
    EXPECT_EQ(manager.TAKENOTIFY(toolbar, CFCTOOLBARMANAGER::TBN_GETBUTTONINFO, 2, &info, &text), 0);
}

TEST_F(Bar, ARebarBandHoldsTheToolbarAcrossTheWindow)
{
    toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    CFCREBAR rebar;
    QWidget* bar = rebar.CREATEREBAR(&window);
    rebar.ADDTOOLBAR(toolbar);
    window.resize(500, 200);
    window.show();
    QTRY_COMPARE(bar->width(), 500);
    long w = 0, h = 0;
    toolbar.GETMAXSIZEITEM(w, h);
    EXPECT_GE(toolbar.HWNDTB()->height(), int(h));
    EXPECT_TRUE(bar->isAncestorOf(toolbar.HWNDTB()));
    window.resize(320, 200);
    QTRY_COMPARE(bar->width(), 320);
}

TEST_F(Bar, TheCustomizeDialogChangesTheLayout)
{
    const long a = toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    const long b = toolbar.ADDBUTTON(bold, QStringLiteral("Podebljano"));
    toolbar.SAVESTATE();
    bold.DELETE();
    int changes = 0;
    QObject::connect(&toolbar, &CFCTOOLBAR::layoutChanged, [&] { ++changes; });
    QStringList offered, onBar;
    {
        // Add the button that was taken off, move it first, and take the other one off.
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* available = d.findChild<QListWidget*>(QStringLiteral("available"));
            auto* shown = d.findChild<QListWidget*>(QStringLiteral("shown"));
            for (int i = 0; i < available->count(); ++i)
                offered << available->item(i)->text();
            available->setCurrentRow(1);
            d.findChild<QPushButton*>(QStringLiteral("add"))->click();
            shown->setCurrentRow(1);
            d.findChild<QPushButton*>(QStringLiteral("up"))->click();
            shown->setCurrentRow(1);
            d.findChild<QPushButton*>(QStringLiteral("remove"))->click();
            for (int i = 0; i < shown->count(); ++i)
                onBar << shown->item(i)->text();
            return int(QDialog::Accepted);
        });
        EXPECT_TRUE(toolbar.CUSTOMIZEDIALOG());
    }
    EXPECT_EQ(offered, (QStringList{"Razdjelnik", "Podebljano"}));
    EXPECT_EQ(onBar, QStringList{"Podebljano"});
    ASSERT_EQ(toolbar.BUTTONCOUNT(), 1);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), b);
    EXPECT_EQ(changes, 1);
    {
        // Reset and cancel: nothing changes.
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            d.findChild<QPushButton*>(QStringLiteral("reset"))->click();
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(toolbar.CUSTOMIZEDIALOG());
    }
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), b);
    {
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            d.findChild<QPushButton*>(QStringLiteral("reset"))->click();
            return int(QDialog::Accepted);
        });
        EXPECT_TRUE(toolbar.CUSTOMIZEDIALOG());
    }
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), a);
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 2);
}

TEST_F(Bar, AButtonGoingAwayLeavesTheToolbar)
{
    toolbar.ADDBUTTON(save, QStringLiteral("Spremi"));
    long gone = 0;
    {
        Button temporary;
        gone = toolbar.ADDDROPDOWNBUTTON(temporary, QStringLiteral("Privremeni"));
        temporary.SETTOOLTIP(QStringLiteral("Savjet"));
        toolbar.SAVESTATE();
        EXPECT_EQ(toolbar.BUTTONCOUNT(), 2);
    }
    EXPECT_EQ(toolbar.BUTTONCOUNT(), 1);
    EXPECT_EQ(toolbar.GETBUTTONBYID(gone), nullptr);
    EXPECT_EQ(toolbar.actionOf(gone), nullptr);
    EXPECT_EQ(toolbar.TT().GETTOOLCOUNT(), 0);
    // The saved layout comes back without the button that is gone.
    save.DELETE();
    toolbar.ONRESET();
    ASSERT_EQ(toolbar.BUTTONCOUNT(), 1);
    EXPECT_EQ(toolbar.GETBUTTONIDBYPOS(0), save.BUTTONID);
}
