// The first start's ODBC driver registration and the flag that records it.
#include <gtest/gtest.h>

#include "runtime/IniFile.h"
#include "shell/OdbcDriverSetup.h"
#include "tests/support/TestSupport.h"

#include <QFile>

using namespace shell;

namespace {

struct FakeInstaller : DriverInstaller {
    bool registered = false, installs = true, probes = true;
    std::vector<std::string> calls;
    bool isRegistered() override
    {
        calls.push_back("registered?");
        return registered;
    }
    bool install(QString* why) override
    {
        calls.push_back("install");
        if (!installs)
            *why = QStringLiteral("no permission");
        return installs;
    }
    bool probe(const QString& file, QString* why) override
    {
        calls.push_back("probe");
        if (!probes)
            *why = QStringLiteral("cannot connect");
        return probes;
    }
};

} // namespace

TEST(DriverInstall, TheFlagIsWrittenOnlyAfterTheProbeConnectionSucceeds)
{
    struct Case {
        const char* stored; // nullptr: no key
        bool registered, installs, probes;
        std::vector<std::string> calls;
        const char* flagAfter;
        int reports;
    };
    const Case cases[] = {
        {nullptr, false, true, true, {"registered?", "install", "probe"}, "1", 0},
        {"0", false, true, true, {"registered?", "install", "probe"}, "1", 0},
        {nullptr, true, true, true, {"registered?", "probe"}, "1", 0},
        {nullptr, false, false, true, {"registered?", "install"}, nullptr, 1},
        {"0", false, true, false, {"registered?", "install", "probe"}, "0", 1},
        {"1", false, false, false, {}, "1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.calls));
        testsupport::TempFolder data;
        vrt::IniFile ini(data.file(QStringLiteral("Standard.ini")));
        if (c.stored)
            ini.put(QStringLiteral("Install"), QStringLiteral("SqlLite"), QString::fromLatin1(c.stored));
        FakeInstaller installer;
        installer.registered = c.registered;
        installer.installs = c.installs;
        installer.probes = c.probes;
        std::vector<QString> reports;
        const bool done = installDriverOnce(ini, installer, [&](const QString& why) { reports.push_back(why); });
        EXPECT_EQ(installer.calls, c.calls);
        EXPECT_EQ(ini.value(QStringLiteral("Install"), QStringLiteral("SqlLite")),
                  c.flagAfter ? std::optional<QString>(QString::fromLatin1(c.flagAfter)) : std::nullopt);
        EXPECT_EQ(done, c.reports == 0);
        ASSERT_EQ(int(reports.size()), c.reports);
        if (!reports.empty()) {
            EXPECT_TRUE(reports[0].startsWith(QStringLiteral("SQLite3 ODBC Driver : ")));
        }
    }
}

TEST(DriverInstall, RegistersTheDriverUnderItsConnectionNameInThePrivateOdbcConfiguration)
{
    if (OdbcDriverInstaller::driverLibrary().isEmpty()) {
        GTEST_SKIP() << "libsqliteodbc is not installed";
    }
    const QString odbcinst = qEnvironmentVariable("ODBCSYSINI") + QStringLiteral("/odbcinst.ini");
    ASSERT_TRUE(odbcinst.startsWith(testsupport::isolatedRoot()));
    QFile(odbcinst).open(QIODevice::WriteOnly | QIODevice::Truncate); // as on a machine without it
    testsupport::TempFolder data;
    vrt::IniFile ini(data.file(QStringLiteral("Standard.ini")));
    OdbcDriverInstaller installer;
    ASSERT_FALSE(installer.isRegistered());
    std::vector<QString> reports;
    EXPECT_TRUE(installDriverOnce(ini, installer, [&](const QString& why) { reports.push_back(why); }));
    EXPECT_TRUE(reports.empty()) << (reports.empty() ? std::string() : reports[0].toStdString());
    EXPECT_TRUE(installer.isRegistered());
    EXPECT_EQ(ini.get(QStringLiteral("Install"), QStringLiteral("SqlLite")), QStringLiteral("1"));
    QFile f(odbcinst);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("[SQLite3 ODBC Driver]"));
    QString why;
    EXPECT_TRUE(installer.probe(data.file(QStringLiteral("again.db")), &why)) << why.toStdString();
}
