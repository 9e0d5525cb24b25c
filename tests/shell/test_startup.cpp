#include "data/Globals.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"
#include "shell/Startup.h"
#include "tests/support/TestSupport.h"
#include "tests/support/FileModes.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using testsupport::CwdGuard;
using testsupport::TempFolder;

namespace {

struct Recording : shell::LibraryEntries {
    QStringList calls;
    bool hooksBeforeInit = true;
    std::function<void()> inFrame;

    void init(const char* name, vrt::ErrorClass* errors, vrt::IniClass* settings)
    {
        calls << QString("%1:init").arg(name);
        EXPECT_EQ(errors, &shell::program().errors);
        EXPECT_EQ(settings, &shell::program().settings);
        for (int n = 1; n <= 7; ++n)
            hooksBeforeInit = hooksBeforeInit && std::visit([](const auto& f) { return bool(f); }, vrt::currentHook(n));
    }
    void corvaldeInit(vrt::ErrorClass* e, vrt::IniClass* s) override { init("C", e, s); }
    void dllInit(vrt::ErrorClass* e, vrt::IniClass* s) override { init("D", e, s); }
    void utilsInit(vrt::ErrorClass* e, vrt::IniClass* s) override { init("U", e, s); }
    void corvaldeKill() override { calls << "C:kill"; }
    void dllKill() override { calls << "D:kill"; }
    void utilsKill() override { calls << "U:kill"; }
    int runFrame() override
    {
        calls << "frame";
        if (inFrame)
            inFrame();
        return 0;
    }
};

// Starts the real program in `folder`, its output merged.
bool startProgram(QProcess& p, const QString& folder)
{
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(testsupport::binDir() + "/velmora", {});
    return p.waitForStarted(10000);
}

// Its output until the frame is open or the program has ended.
QByteArray untilFrameOpen(QProcess& p)
{
    QByteArray out;
    while (!out.contains("frame open") && p.state() == QProcess::Running && p.waitForReadyRead(30000))
        out += p.readAll();
    return out + p.readAll();
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        vrt::resetHooks();
        testsupport::presenter().clear();
    }
    void TearDown() override { vrt::resetHooks(); }
};

} // namespace

TEST_F(Startup, InitialisesAndShutsDownInOrder)
{
    TempFolder dir;
    CwdGuard cwd(dir.path());
    Recording r;
    EXPECT_EQ(shell::VelmoraMain(r), 0);
    EXPECT_EQ(r.calls, (QStringList{"C:init", "D:init", "U:init", "frame", "C:kill", "D:kill", "U:kill"}));
    EXPECT_TRUE(r.hooksBeforeInit);
    EXPECT_EQ(shell::program().language, 1);
    EXPECT_EQ(shell::program().translationFile, "Velmora.qvl");
    EXPECT_EQ(shell::program().translator->EXTRACTTEXT(), "WINDOWS");
}

TEST_F(Startup, OutOfRangeLanguageReachesTheTranslatorUnchanged)
{
    for (int lang : {0, 29, 5}) {
        TempFolder dir;
        dir.write("Standard.ini", QString("[QuilvoLang]\nUseLanguage=%1\n").arg(lang).toUtf8());
        CwdGuard cwd(dir.path());
        Recording r;
        int translang = -1;
        r.inFrame = [&] { translang = shell::program().translator->TRANSLANG(); };
        shell::VelmoraMain(r);
        EXPECT_EQ(shell::program().language, lang);
        EXPECT_EQ(translang, lang == 5 ? 5 : 1);
    }
}

TEST_F(Startup, MessageHookTrimsAndCuts)
{
    TempFolder dir;
    CwdGuard cwd(dir.path());
    Recording r;
    r.inFrame = [] {
        vrt::message("  abc  ", "Naslov");
        vrt::message(QString(300, 'x'));
    };
    shell::VelmoraMain(r);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, "abc");
    EXPECT_EQ(calls[0].caption, "Naslov");
    EXPECT_EQ(calls[1].text, QString(255, 'x'));
}

TEST(Program, StartsInAnEmptyFolderAndEndsInOrderOnSessionEnd)
{
    for (const QByteArray& ini : {QByteArray("[QuilvoLang]\r\nUseLanguage=1\r\n"), QByteArray("[Other]\r\nx=1\r\n")}) {
        TempFolder dir;
        dir.write("Standard.ini", ini);
        QProcess p;
        ASSERT_TRUE(startProgram(p, dir.path()));
        const QByteArray out = untilFrameOpen(p);
        ASSERT_TRUE(out.contains("frame open")) << out.constData();
        p.terminate(); // SIGTERM, as a session end sends it
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << out.constData();
        // The library's start-up wrote the language when the key was missing.
        const QByteArray after = dir.read("Standard.ini");
        EXPECT_TRUE(after.contains(ini.contains("UseLanguage=1") ? "UseLanguage=1" : "UseLanguage=2")) << after.constData();
    }
}

// A second organiser on the same data folder is refused with one message while the first
// keeps running; after the first ends (even killed) the folder opens again.
TEST(Program, ASecondOrganiserOnOneDataFolderIsRefusedAndTheFirstRunsOn)
{
    TempFolder dir;
    dir.write("Standard.ini", "[QuilvoLang]\r\nUseLanguage=2\r\n");
    QProcess first;
    ASSERT_TRUE(startProgram(first, dir.path()));
    ASSERT_TRUE(untilFrameOpen(first).contains("frame open"));

    QProcess second;
    ASSERT_TRUE(startProgram(second, dir.path()));
    ASSERT_TRUE(second.waitForFinished(30000));
    const QString said = QString::fromUtf8(second.readAll());
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_EQ(said.count("Velmora is already running with this data folder."), 1) << said.toStdString();
    EXPECT_FALSE(said.contains("frame open")) << said.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // A killed organiser leaves no lock that holds the folder.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(20000));
    QProcess third;
    ASSERT_TRUE(startProgram(third, dir.path()));
    EXPECT_TRUE(untilFrameOpen(third).contains("frame open"));
    third.terminate();
    ASSERT_TRUE(third.waitForFinished(20000));
    EXPECT_EQ(third.exitCode(), 0);
}

// Mail and exports an older build left open to every local user are made the user's alone at
// start; a link is not followed out of the folder, and other folders keep their modes.
TEST(Program, AnOlderDataFolderIsMadePrivateAtStart)
{
    TempFolder dir, outside;
    testsupport::ScopedUmask openToAll(022);
    dir.write("Standard.ini", "[QuilvoLang]\r\nUseLanguage=2\r\n");
    for (const char* file : {"Email/1_a.html", "Email/Files/1_racun.pdf", "Email/Files/parts/1_logo.png",
                             "Excel/State_1.xlsx", "HtmlFile_77.html", "Images/logo.png"}) {
        QDir().mkpath(QFileInfo(dir.file(file)).path());
        dir.write(file, "x");
    }
    outside.write("tuđe.txt", "x");
    ASSERT_TRUE(QFile::link(outside.file("tuđe.txt"), dir.file("Email/Files/link")));
    ASSERT_FALSE(testsupport::notPrivate(dir.file("Email")).isEmpty());

    QProcess p;
    ASSERT_TRUE(startProgram(p, dir.path()));
    const QByteArray out = untilFrameOpen(p);
    ASSERT_TRUE(out.contains("frame open")) << out.constData();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(20000));

    EXPECT_EQ(testsupport::notPrivate(dir.file("Email")), QStringList());
    EXPECT_EQ(testsupport::notPrivate(dir.file("Excel")), QStringList());
    EXPECT_EQ(QFileInfo(dir.file("HtmlFile_77.html")).permissions() & 0x0077, 0);
    EXPECT_EQ(QFileInfo(outside.file("tuđe.txt")).permissions() & QFile::ReadOther, QFile::ReadOther);
    EXPECT_EQ(QFileInfo(dir.file("Images/logo.png")).permissions() & QFile::ReadOther, QFile::ReadOther);
}
