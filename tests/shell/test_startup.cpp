#include "data/Globals.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"
#include "shell/Startup.h"
#include "tests/support/TestSupport.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using testsupport::CwdGuard;
using testsupport::TempFolder;

namespace {

struct Recording {
    QStringList calls;
    bool hooksBeforeInit = true;
    std::function<void()> inFrame;

    shell::LibraryEntries entries()
    {
        shell::LibraryEntries e;
        auto init = [this](const char* name) {
            return [this, name](vrt::ErrorClass* errors, vrt::IniClass* settings) {
                calls << QString("%1:init").arg(name);
                EXPECT_EQ(errors, &shell::program().errors);
                EXPECT_EQ(settings, &shell::program().settings);
                for (int n = 1; n <= 7; ++n)
                    hooksBeforeInit = hooksBeforeInit && std::visit([](const auto& f) { return bool(f); }, vrt::currentHook(n));
            };
        };
        auto kill = [this](const char* name) { return [this, name] { calls << QString("%1:kill").arg(name); }; };
        e.corvaldeInit = init("C");
        e.dllInit = init("D");
        e.utilsInit = init("U");
        e.corvaldeKill = kill("C");
        e.dllKill = kill("D");
        e.utilsKill = kill("U");
        e.runFrame = [this] {
            calls << "frame";
            if (inFrame)
                inFrame();
            return 0;
        };
        return e;
    }
};

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
    EXPECT_EQ(shell::VelmoraMain(r.entries()), 0);
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
        shell::VelmoraMain(r.entries());
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
    shell::VelmoraMain(r.entries());
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
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(testsupport::binDir() + "/velmora", {});
        ASSERT_TRUE(p.waitForStarted(10000));
        QByteArray out;
        for (int i = 0; i < 300 && !out.contains("frame open"); ++i) {
            p.waitForReadyRead(100);
            out += p.readAll();
        }
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
