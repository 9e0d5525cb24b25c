#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/IniFile.h"
#include "runtime/RegionalTexts.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using testsupport::CwdGuard;
using testsupport::TempFolder;

namespace {
struct Spy {
    static inline int inits = 0, kills = 0;
    static inline vrt::ErrorClass* errors = reinterpret_cast<vrt::ErrorClass*>(1);
    static inline vrt::IniClass* settings = reinterpret_cast<vrt::IniClass*>(1);
    static void init(vrt::ErrorClass* e, vrt::IniClass* s) { ++inits; errors = e; settings = s; }
    static void kill() { ++kills; }
    static void reset() { inits = kills = 0; errors = nullptr; settings = nullptr; }
};

class VelmoraDllInit : public ::testing::Test {
protected:
    void SetUp() override
    {
        VelmoraDll::load();
        VelmoraDll::setDictionaryEntries({&Spy::init, &Spy::kill});
        VelmoraDll::resetForTest();
        Spy::reset();
    }
    void TearDown() override { VelmoraDll::resetForTest(); }
};
} // namespace

TEST_F(VelmoraDllInit, SecondInitChangesNothing)
{
    vrt::ErrorClass a, b;
    vrt::IniClass sa, sb;
    VelmoraDll::INIT(&a, &sa);
    VelmoraDll::INIT(&b, &sb);
    EXPECT_EQ(VelmoraDll::LibraryErrors(), &a);
    EXPECT_EQ(VelmoraDll::LibrarySettings(), &sa);
    EXPECT_EQ(Spy::inits, 1);
    EXPECT_EQ(Spy::errors, &a);
    EXPECT_EQ(Spy::settings, &sa);
}

TEST_F(VelmoraDllInit, NullArgumentsKeepOwnObjectsAndPassNullsOn)
{
    vrt::ErrorClass* own = VelmoraDll::LibraryErrors();
    vrt::IniClass* ownSettings = VelmoraDll::LibrarySettings();
    Spy::errors = reinterpret_cast<vrt::ErrorClass*>(1);
    VelmoraDll::INIT(nullptr, nullptr);
    EXPECT_EQ(VelmoraDll::LibraryErrors(), own);
    EXPECT_EQ(VelmoraDll::LibrarySettings(), ownSettings);
    EXPECT_EQ(Spy::inits, 1);
    EXPECT_EQ(Spy::errors, nullptr);
    EXPECT_EQ(Spy::settings, nullptr);
}

TEST_F(VelmoraDllInit, KillWithoutInitCallsDictionaryKillOnce)
{
    VelmoraDll::KILL();
    VelmoraDll::KILL();
    EXPECT_EQ(Spy::kills, 1);
    EXPECT_EQ(Spy::inits, 0);
}

TEST(VelmoraDllLanguage, SetUpByTheWorkingFolderValue)
{
    VelmoraDll::load();
    struct Case { const char* value; bool written; int charset; bool croatian; };
    const Case cases[] = {
        {"1", false, 238, true},
        {"2", false, 0, false},
        {"3", false, 204, false},
        {"7", false, -1, false},   // sets nothing
        {nullptr, true, 0, false}, // missing: 2 is written and used
    };
    const testsupport::OnScopeExit restore([saved = vrt::regionalTexts()] { vrt::setRegionalTexts(saved); });
    for (const auto& c : cases) {
        vrt::RegionalTexts before;
        before.charset = -1;
        vrt::setRegionalTexts(before);
        TempFolder dir;
        if (c.value)
            dir.write("Standard.ini", QByteArray("[QuilvoLang]\r\nUseLanguage=") + c.value + "\r\n");
        CwdGuard cwd(dir.path());
        VelmoraDll::InitDllGlobals();
        const vrt::IniFile ini(dir.file("Standard.ini"));
        EXPECT_EQ(ini.get("QuilvoLang", "UseLanguage"), c.value ? QString(c.value) : QString("2"));
        const vrt::RegionalTexts t = vrt::regionalTexts();
        EXPECT_EQ(t.charset, c.charset) << (c.value ? c.value : "missing");
        EXPECT_EQ(t.monthNames.value(2) == QStringLiteral("Ožujak"), c.croatian);
        if (c.croatian) {
            EXPECT_EQ(t.buttonCaptions, QStringLiteral("OK,&Da,&Ne,&Prekini,&Zanemari,Probaj &opet,&Prekid,&Upute").split(','));
            EXPECT_EQ(t.shortMonthNames.size(), 12);
            EXPECT_LT(t.compare("Čaša", "Dan"), 0);  // Č sorts before D
            EXPECT_LT(t.compare("Cvijet", "Čaša"), 0);
        }
        // The data folder keeps its real case and full length.
        EXPECT_EQ(QString::fromStdString(THISPCPATH), QFileInfo(dir.path()).canonicalFilePath());
    }
    EXPECT_EQ(VelmoraDll::AlternateRowColor, "16774378");
}

TEST(TagSet, BehavesAsASetOfTexts)
{
    TagSetClass tags;
    tags.Init();
    tags.Add("17");
    tags.Add("17");
    EXPECT_EQ(tags.size(), 1u);
    tags.Toggle("5");
    tags.Toggle("5");
    EXPECT_FALSE(tags.IsTagged("5"));
    EXPECT_EQ(tags.size(), 1u);
    tags.Remove("not there");
    EXPECT_TRUE(tags.IsTagged("17"));
    const QString longA = QString(1024, 'x') + "A", longB = QString(1024, 'x') + "B";
    tags.Add(longA);
    EXPECT_TRUE(tags.IsTagged(longB)); // equal in their first 1024 characters
    tags.Kill();
    EXPECT_EQ(tags.size(), 0u);
}
