#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/Threads.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using testsupport::CwdGuard;
using testsupport::TempFolder;

TEST(Corvalde, LanguageSettingsFromTheWorkingFolder)
{
    struct Case { const char* ini; int lang; QString file; };
    const QString longName = QString(300, 'q');
    const Case cases[] = {
        {"", 1, "Velmora.qvl"},
        {"[QuilvoLang]\nUseLanguage=3\n", 3, "Velmora.qvl"},
        {"[quilvolang]\nuselanguage=2\n[QuilvoFile]\nUseFile=Moj.qvl\n", 2, "Moj.qvl"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        if (*c.ini)
            dir.write("Standard.ini", c.ini);
        CwdGuard cwd(dir.path());
        corvalde::readLanguageSettings(254);
        EXPECT_EQ(G::QVLang, c.lang) << c.ini;
        EXPECT_EQ(QString::fromStdString(G::QVFile), c.file) << c.ini;
    }
    TempFolder dir;
    dir.write("Standard.ini", ("[QuilvoFile]\nUseFile=" + longName + "\n").toUtf8());
    CwdGuard cwd(dir.path());
    corvalde::readLanguageSettings(254);
    EXPECT_EQ(G::QVFile.size(), 254u);
}

namespace {
struct RecordingErrors : vrt::ErrorClass {
    QList<int> raised;
    int throwMessage(int id, const QString& message) override
    {
        raised << id;
        return vrt::ErrorClass::throwMessage(id, message);
    }
};
} // namespace

TEST(Corvalde, FirstInitWinsAndLaterThreadsReportThroughIt)
{
    corvalde::load();
    corvalde::resetInitForTest();
    RecordingErrors a, b;
    CORVALDE::INIT(&a, nullptr);
    CORVALDE::INIT(&b, nullptr);
    EXPECT_EQ(corvalde::DictionaryErrors(), &a);
    EXPECT_EQ(corvalde::ThreadManagersErrors(), &a);
    vrt::ErrorClass* onThread = nullptr;
    vrt::startThread([&] { onThread = corvalde::ThreadManagersErrors(); }).join();
    EXPECT_EQ(onThread, &a);

    corvalde::resetInitForTest();
    vrt::ErrorClass* own = corvalde::DictionaryErrors();
    CORVALDE::INIT(nullptr, nullptr);
    EXPECT_EQ(corvalde::DictionaryErrors(), own);
    EXPECT_EQ(corvalde::ThreadManagersErrors(), own);
    CORVALDE::KILL();
    EXPECT_TRUE(CORVALDE::killed());
    corvalde::resetInitForTest();
}

TEST(Corvalde, PlaceholderProcedureAnswersCancelled)
{
    corvalde::load();
    testsupport::presenter().clear();
    GLOBALRESPONSE = 0;
    corvalde::ProcedureNotDefined();
    EXPECT_EQ(GLOBALRESPONSE, RequestCancelled);
    const auto calls = testsupport::presenter().calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().caption, "Procedure not defined");
    EXPECT_EQ(calls.back().text, "The Procedure ProcedureNotDefined has not been defined.");
}
