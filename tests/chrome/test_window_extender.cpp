// A window sent to the tray and back, with a tray icon that can refuse.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "chrome/WindowExtender.h"
#include "controls/TrayIcon.h"
#include "tests/support/TestSupport.h"

namespace {

class FakeTray : public controls::TrayIcon {
public:
    bool accepts = true, shown = false;
    QString tip;
    bool add() override { return shown = accepts; }
    bool remove() override { shown = false; return true; }
    bool isShown() const override { return shown; }
    void setToolTip(const QString& text) override { tip = text; }
};

class CountingExtender : public WINDOWEXTENDERCLASS {
public:
    QStringList calls;
    int shutdownAnswer = 1;
    void TRAYICONMOUSELEFT() override { calls << "left"; }
    void TRAYICONMOUSERIGHT() override { calls << "right"; }
    void TRAYICONMOUSELEFT2() override { calls << "left2"; }
    int PROCESSSHUTDOWN() override { return shutdownAnswer; }
};

} // namespace

TEST(WindowExtender, SendAndRestore)
{
    QWidget window;
    window.show();
    FakeTray tray;
    CountingExtender ext;
    ext.setTray(&tray);
    ext.INIT(&window, true, true, "Tray.ico", "Velmora");
    EXPECT_EQ(ext.ICONNAME, "Tray_ico");
    EXPECT_EQ(tray.tip, "");

    EXPECT_TRUE(ext.SENDTOTRAY());
    EXPECT_TRUE(window.isHidden());
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.tip, "Velmora");
    ext.SETALLOWTRAYICON(false); // not while on the tray
    EXPECT_TRUE(ext.GETALLOWTRAYICON());
    ext.TAKEEVENT(547);
    EXPECT_FALSE(ext.GETONTRAY());
    EXPECT_FALSE(window.isHidden());
    EXPECT_FALSE(tray.shown);

    // A tray that refuses leaves the window where it is; the request then restores.
    tray.accepts = false;
    EXPECT_FALSE(ext.SENDTOTRAY());
    EXPECT_FALSE(window.isHidden());
    ext.TAKEEVENT(564);
    EXPECT_FALSE(ext.GETONTRAY());
    EXPECT_FALSE(window.isHidden());
}

TEST(WindowExtender, ClicksDeactivationAndShutdown)
{
    QWidget window;
    window.show();
    FakeTray tray;
    CountingExtender ext;
    ext.setTray(&tray);
    ext.INIT(&window, false, true, "Tray");
    EXPECT_EQ(ext.ICONNAME, "Tray");

    // Not on the tray: a click calls nothing.
    emit tray.rightClicked();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ext.calls.isEmpty());

    ext.SETTOTRAYONLOSEFOCUS(true);
    ext.TAKEDEACTIVATION();
    ASSERT_TRUE(ext.GETONTRAY());
    emit tray.rightClicked();
    emit tray.leftClicked();
    emit tray.doubleClicked();
    EXPECT_TRUE(ext.calls.isEmpty()) << "reported after the click in hand";
    EXPECT_TRUE(testsupport::waitFor([&] { return ext.calls.size() == 3; }));
    EXPECT_EQ(ext.calls, (QStringList{"right", "left", "left2"}));

    // Shutdown: refused while not allowed; the answer, once given, holds the setting.
    EXPECT_EQ(ext.QUERYENDSESSION(), 0);
    ext.SETALLOWSHUTDOWN(true);
    EXPECT_EQ(ext.QUERYENDSESSION(), 1);
    ext.SETALLOWSHUTDOWN(false);
    EXPECT_TRUE(ext.GETALLOWSHUTDOWN());
    ext.shutdownAnswer = 0;
    EXPECT_EQ(ext.QUERYENDSESSION(), 0);
    ext.SETALLOWSHUTDOWN(false);
    EXPECT_FALSE(ext.GETALLOWSHUTDOWN());

    // Shown again by the window's own event.
    ext.TAKEEVENT(513);
    EXPECT_FALSE(ext.GETONTRAY());
    EXPECT_FALSE(window.isHidden());
}
