// The frame window as the user and the organiser window meet it.
#include <gtest/gtest.h>

#include "controls/Controls.h"
#include "controls/RibbonBar.h"
#include "controls/ShortcutCaption.h"
#include "controls/TrayIcon.h"
#include "data/Globals.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/IniClass.h"
#include "runtime/IniFile.h"
#include "runtime/Notify.h"
#include "shell/FrameWindow.h"
#include "shell/OrganiserStandIn.h"
#include "shell/Startup.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <csignal>
#include <memory>
#include <set>

using namespace shell;
using Received = OrganiserStandIn::Received;

namespace {

// Answers post further notifications; a few rounds deliver a whole conversation.
void settle()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

class FakeTray : public controls::TrayIcon {
public:
    FakeTray(QObject* parent, std::vector<QString>& log) : TrayIcon(parent), m_log(log) {}
    bool add() override
    {
        ++adds;
        if (!available)
            return false;
        shown = true;
        m_log.push_back(QStringLiteral("add"));
        return true;
    }
    bool remove() override
    {
        ++removes;
        shown = false;
        m_log.push_back(QStringLiteral("remove"));
        return true;
    }
    bool isShown() const override { return shown; }
    bool available = true;
    bool shown = false;
    int adds = 0, removes = 0;

private:
    std::vector<QString>& m_log;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::presenter().clear();
        settings.init(QStringLiteral("VelmoraFrameTest"));
    }
    void TearDown() override { frame.reset(); }

    FrameOptions options()
    {
        FrameOptions o;
        o.dataFolder = data.path();
        o.settings = &settings;
        return o;
    }
    void make(FrameOptions o)
    {
        frame = std::make_unique<FrameWindow>(std::move(o), host);
        QObject::connect(frame.get(), &FrameWindow::closed, [this] { log.push_back(QStringLiteral("closed")); });
    }
    void makeAndOpen()
    {
        make(options());
        frame->open();
        settle();
        ASSERT_NE(organiser, nullptr);
        organiser->clear();
    }
    QString caption() const { return frame->captionStrip()->caption(); }
    int count(int code) const
    {
        int n = 0;
        for (const Received& r : organiser->received())
            n += r.code == code;
        return n;
    }
    QToolButton* button(int id) const
    {
        for (auto* b : frame->ribbon()->findChildren<QToolButton*>(QStringLiteral("ribbonButton%1").arg(id)))
            if (b->isVisible())
                return b;
        return nullptr;
    }
    QString standardIni() const { return data.file(QStringLiteral("Standard.ini")); }

    testsupport::TempFolder data;
    vrt::IniClass settings;
    // The fixture's tray icon and organiser stand-in.
    struct Host : FrameHost {
        explicit Host(FrameTest& t) : test(t) {}
        void prepare() override {}
        controls::TrayIcon* makeTray(QObject* parent) override
        {
            test.tray = new FakeTray(parent, test.log);
            test.tray->available = test.trayAvailable;
            return test.tray;
        }
        QWidget* startOrganiser(int frameId, QWidget* parent) override
        {
            test.organiser = new OrganiserStandIn(frameId, parent);
            return nullptr;
        }
        FrameTest& test;
    };
    Host host{*this};
    std::unique_ptr<FrameWindow> frame;
    FakeTray* tray = nullptr;
    bool trayAvailable = true;
    OrganiserStandIn* organiser = nullptr;
    std::vector<QString> log;
};

} // namespace

TEST_F(FrameTest, OpensWithRibbonCaptionWaitingTextAndDateAndResetsTheTransferFlag)
{
    vrt::IniFile ini(standardIni());
    ini.put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("1"));
    ini.put(QStringLiteral("LastTab"), QStringLiteral("Last"), QStringLiteral("3"));
    makeAndOpen();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Velmora"));
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_EQ(ini.get(QStringLiteral("SR"), QStringLiteral("START")), QStringLiteral("0"));
    EXPECT_FALSE(frame->transferBusy());
    ASSERT_NE(frame->ribbon(), nullptr);
    EXPECT_EQ(frame->ribbon()->tabCount(), 8);
    EXPECT_EQ(frame->ribbon()->selectedTab(), 2);
    EXPECT_EQ(caption(), QStringLiteral("Tavrimo danas"));
    ASSERT_NE(frame->painter().text(QStringLiteral("naslov")), nullptr);
    EXPECT_EQ(frame->painter().text(QStringLiteral("naslov"))->text, QStringLiteral("Molimo pričekajte ..."));
    EXPECT_EQ(frame->dateZone()->text(), QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat));
    EXPECT_TRUE(testsupport::presenter().calls().empty());
}

TEST_F(FrameTest, RibbonActionsReachTheOrganiserAndItsAnswersComeBack)
{
    makeAndOpen();
    // The user picks the e-mail tab; the organiser answers with the module it shows.
    frame->ribbon()->findChild<QTabBar*>()->setCurrentIndex(1);
    settle();
    EXPECT_EQ(caption(), QStringLiteral("EMAIL PORUKE"));
    EXPECT_EQ(frame->module(), 2);
    QTest::mouseClick(button(2002), Qt::LeftButton);
    settle();
    // Leaving through the global group: the organiser asks the frame to close.
    QTest::mouseClick(button(1013), Qt::LeftButton);
    settle();
    EXPECT_EQ(organiser ? organiser->received() : std::vector<Received>{},
              (std::vector<Received>{{2, 2}, {1, 2002}, {1, 1013}}));
    EXPECT_EQ(log, std::vector<QString>{QStringLiteral("closed")});
}

TEST_F(FrameTest, ProgrammaticTabSelectionIsNotReportedBack)
{
    makeAndOpen();
    vrt::notify(frame->receiverId(), kModuleShown, 6);
    settle();
    EXPECT_EQ(frame->ribbon()->selectedTab(), 5);
    EXPECT_TRUE(organiser->received().empty());
}

TEST_F(FrameTest, NotificationsArriveInOrderOnlyAfterTheSenderReturns)
{
    makeAndOpen();
    const int id = frame->receiverId();
    vrt::notify(id, kModuleShown, 4);
    vrt::notify(id, kAddressGroups, 2);
    vrt::notify(id, kModuleShown, 101);
    frame->organiserLink().send(kCommand, 1);
    frame->organiserLink().send(kCommand, 2);
    frame->organiserLink().send(kCommand, 3);
    EXPECT_EQ(caption(), QStringLiteral("Tavrimo danas"));
    EXPECT_TRUE(organiser->received().empty());
    settle();
    EXPECT_EQ(caption(), QStringLiteral("PRIHODI/TROŠKOVI"));
    EXPECT_EQ(frame->ribbon()->selectedTab(), 3);
    const int adresar = frame->ribbon()->tabIndexOfId(800000);
    EXPECT_FALSE(frame->ribbon()->group(adresar, 80)->isHidden());
    EXPECT_TRUE(frame->ribbon()->group(adresar, 81)->isHidden());
    EXPECT_TRUE(frame->ribbon()->group(adresar, 82)->isHidden());
    EXPECT_EQ(organiser->received(), (std::vector<Received>{{1, 1}, {1, 2}, {1, 3}}));
}

TEST_F(FrameTest, NotificationsSentBeforeTheOrganiserRegistersAreDeliveredWhenItDoes)
{
    make(options());
    ASSERT_EQ(GLO::W_FIRST.load(), 0);
    frame->organiserLink().send(kMinimising, 1);
    EXPECT_EQ(frame->organiserLink().pending(), 1u);
    frame->open();
    settle();
    ASSERT_NE(organiser, nullptr);
    ASSERT_FALSE(organiser->received().empty());
    EXPECT_EQ(organiser->received().front(), (Received{4, 1}));
}

TEST_F(FrameTest, TheFirstModuleShowsTheStoredCompanyNameOrTheDefault)
{
    makeAndOpen();
    vrt::IniFile ini(standardIni());
    ini.put(QStringLiteral("License"), QStringLiteral("CompanyName"), QStringLiteral("Obrt Šimić"));
    vrt::notify(frame->receiverId(), kModuleShown, 1);
    settle();
    EXPECT_EQ(caption(), QStringLiteral("Obrt Šimić"));
    ini.put(QStringLiteral("License"), QStringLiteral("CompanyName"), QString());
    vrt::notify(frame->receiverId(), kModuleShown, 1);
    settle();
    EXPECT_EQ(caption(), QStringLiteral("OSOBNI ORGANIZATOR I POSLOVNA EVIDENCIJA"));
}

TEST_F(FrameTest, WidthChangesAreReportedOncePerChangeAndNotBeforeOpening)
{
    make(options());
    frame->resize(700, 500);
    settle();
    EXPECT_EQ(frame->organiserLink().pending(), 0u);
    frame->open();
    settle();
    frame->showNormal();
    settle();
    organiser->clear();
    frame->resize(640, 480);
    settle();
    frame->resize(640, 480);
    settle();
    EXPECT_EQ(organiser->received(), (std::vector<Received>{{3, 0}}));
}

TEST_F(FrameTest, MinimisingHidesToTheTrayAndADoubleClickRestoresOnce)
{
    makeAndOpen();
    frame->showMinimized();
    settle();
    EXPECT_TRUE(frame->inTray());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(tray->adds, 1);
    emit tray->doubleClicked();
    settle();
    EXPECT_FALSE(frame->inTray());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMaximized());
    emit tray->doubleClicked();
    settle();
    EXPECT_EQ(tray->removes, 1);
    EXPECT_EQ(organiser->received(), (std::vector<Received>{{4, 1}, {5, 1}}));
}

TEST_F(FrameTest, WithoutANotificationAreaTheFrameStaysMinimisedAndARestoreToMaximisedSendsNothing)
{
    trayAvailable = false;
    makeAndOpen();
    frame->showMinimized();
    settle();
    EXPECT_FALSE(frame->inTray());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMinimized());
    frame->setWindowState(Qt::WindowMaximized); // back as it was: nothing to restore
    settle();
    EXPECT_EQ(organiser->received(), (std::vector<Received>{{4, 1}}));
}

TEST_F(FrameTest, ASecondMinimiseWhileInTheTrayAddsNoSecondIcon)
{
    makeAndOpen();
    frame->showMinimized();
    settle();
    frame->setWindowState(Qt::WindowNoState); // shown again by the desktop, not by the icon
    settle();
    frame->showMinimized();
    settle();
    EXPECT_EQ(tray->adds, 1);
    EXPECT_TRUE(frame->inTray());
}

TEST_F(FrameTest, StartsAtItsSavedPositionOrFillingItsScreenBeforeMaximising)
{
    // Without a window manager the maximise request does nothing: this is what stays.
    const QString section = QStringLiteral("W_Frame");
    for (bool saved : {false, true}) {
        SCOPED_TRACE(saved);
        settings.remove(section, QStringLiteral("W"));
        if (saved) {
            settings.update(section, QStringLiteral("X"), 30);
            settings.update(section, QStringLiteral("Y"), 40);
            settings.update(section, QStringLiteral("W"), 600);
            settings.update(section, QStringLiteral("H"), 400);
        }
        make(options());
        EXPECT_EQ(frame->geometry(), saved ? QRect(30, 40, 600, 400) : frame->screen()->availableGeometry());
        frame.reset();
    }
}

TEST_F(FrameTest, EveryWayOutClosesInOrderAndSavesThePosition)
{
    const char* paths[] = {"organiser", "tray", "session"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        log.clear();
        settings.remove(QStringLiteral("W_Frame"), QStringLiteral("W"));
        makeAndOpen();
        const int id = frame->receiverId();
        if (QString::fromLatin1(path) == QLatin1String("organiser")) {
            vrt::notify(id, kCloseDown, 7);
        } else if (QString::fromLatin1(path) == QLatin1String("tray")) {
            frame->showMinimized();
            settle();
            log.clear();
            emit tray->closeChosen();
        } else {
            frame->endSession();
        }
        EXPECT_TRUE(log.empty() || log.back() != QStringLiteral("closed")); // posted, not done at once
        settle();
        const std::vector<QString> expected =
            QString::fromLatin1(path) == QLatin1String("tray")
                ? std::vector<QString>{QStringLiteral("remove"), QStringLiteral("closed")}
                : std::vector<QString>{QStringLiteral("closed")};
        EXPECT_EQ(log, expected);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_GT(settings.fetchInt(QStringLiteral("W_Frame"), QStringLiteral("W"), 0), 0);
        EXPECT_EQ(vrt::receiver(id), nullptr);
        frame.reset();
        organiser = nullptr;
    }
}

TEST_F(FrameTest, TransferFlagShowsTheBusyCaptionAndCursorAndRestoresBoth)
{
    FrameOptions o = options();
    o.translate = [](const QString& s) { return s.toLower(); };
    make(std::move(o));
    frame->open();
    settle();
    const QString before = caption();
    vrt::IniFile ini(standardIni());
    ini.put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("1"));
    frame->poll();
    frame->poll();
    EXPECT_EQ(caption(), QStringLiteral("SLANJE/PRIMANJE U TOKU ... MOLIMO PRIČEKAJTE ..."));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ini.put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("2"));
    frame->poll();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // set once, restored once
    EXPECT_EQ(caption(), before);
}

TEST_F(FrameTest, ClosingWhileBusyRestoresTheCursor)
{
    makeAndOpen();
    vrt::IniFile(standardIni()).put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("1"));
    frame->poll();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    frame->close();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FrameTest, TheSettingsFileIsWatchedSoNoFastPollIsNeeded)
{
    FrameOptions o = options();
    o.pollMilliseconds = 3600 * 1000;
    make(std::move(o));
    frame->open();
    settle();
    vrt::IniFile(standardIni()).put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("1"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return frame->transferBusy(); }, 10000));
    vrt::IniFile(standardIni()).put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("0"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !frame->transferBusy(); }, 10000));
}

namespace {

// Component source whose listed program identifiers fail a given number of times.
struct FailingSource : ComponentSource {
    std::map<QString, int> failures;
    std::vector<QString> registered;
    QObject* create(const QString& progId, QWidget* parent) override
    {
        auto it = failures.find(progId);
        if (it != failures.end() && it->second > 0) {
            --it->second;
            return nullptr;
        }
        return ComponentSource::registry().create(progId, parent);
    }
    bool registerServer(const QString& library) override
    {
        registered.push_back(library);
        return false;
    }
};

std::vector<QString> messages()
{
    std::vector<QString> out;
    for (const auto& c : testsupport::presenter().calls()) {
        EXPECT_TRUE(c.caption.isEmpty()) << c.caption.toStdString();
        out.push_back(c.kind + QLatin1Char(' ') + c.text);
    }
    return out;
}

} // namespace

TEST_F(FrameTest, MissingComponentsAreReportedOnceAndTheFrameStillComesUp)
{
    struct Case {
        const char* progId;
        int failures;
        std::vector<QString> messages;
        std::vector<QString> registered;
    };
    const Case cases[] = {
        {controls::kSkinProgId, 1, {}, {QStringLiteral("x_Skin")}},
        {controls::kSkinProgId, 2, {QStringLiteral("message x_Skin Please login as admin !")}, {QStringLiteral("x_Skin")}},
        {controls::kRibbonProgId, 1, {QStringLiteral("message Control is not registered :Ribbon !")}, {}},
        {controls::kShortcutCaptionProgId, 1,
         {QStringLiteral("message Control is not registered :ShortCutBarCaption !")}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + " x" + std::to_string(c.failures));
        testsupport::presenter().clear();
        FailingSource failing;
        failing.failures[QString::fromLatin1(c.progId)] = c.failures;
        FrameOptions o = options();
        o.components = &failing;
        make(std::move(o));
        frame->open();
        settle();
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(failing.registered, c.registered);
        const bool ribbonMissing = QString::fromLatin1(c.progId) == QLatin1String(controls::kRibbonProgId);
        EXPECT_EQ(frame->ribbon() == nullptr, ribbonMissing);
        // The organiser's notifications find no missing control to trip over.
        vrt::notify(frame->receiverId(), kModuleShown, 3);
        vrt::notify(frame->receiverId(), kAddressGroups, 4);
        settle();
        EXPECT_EQ(frame->module(), 3);
        frame.reset();
        organiser = nullptr;
    }
}

TEST(FrameProgram, SigtermClosesTheFrameInOrderAndTheProgramEndsNormally)
{
    testsupport::TempFolder data;
    testsupport::CwdGuard cwd(data.path());
    const testsupport::ScopedValue<std::string> folder(THISPCPATH, data.path().toStdString());
    // The program's run installs its translator's hooks; the tests after this one start without.
    const testsupport::OnScopeExit hooks(&vrt::resetHooks);
    vrt::IniClass& settings = program().settings;
    if (!settings.isInitialised())
        settings.init(QStringLiteral("Velmora"));
    settings.remove(QStringLiteral("W_Frame"), QStringLiteral("W"));
    vrt::IniFile(data.file(QStringLiteral("Standard.ini")))
        .put(QStringLiteral("SR"), QStringLiteral("START"), QStringLiteral("1"));
    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    const int code = W_Frame();
    EXPECT_EQ(code, 0);
    EXPECT_GT(settings.fetchInt(QStringLiteral("W_Frame"), QStringLiteral("W"), 0), 0);
    EXPECT_EQ(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")),
              QStringLiteral("0"));
}
