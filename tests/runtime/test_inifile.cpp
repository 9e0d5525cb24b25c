#include "runtime/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempFolder;

namespace {

const QByteArray kSample =
    "; settings\r\n"
    "[QuilvoLang]\r\n"
    "UseLanguage=2\r\n"
    "\r\n"
    "[W_First]\r\n"
    "?L:DfQ=0010000200\r\n"
    "Spaced Key =  \"quoted value\"  \r\n"
    "[SR]\r\n"
    "START=1\r\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
};

} // namespace

TEST(IniFile, ReadsLikePrivateProfile)
{
    TempFolder dir;
    dir.write("Standard.ini", kSample);
    vrt::IniFile ini(dir.file("Standard.ini"));
    const ReadCase cases[] = {
        {"QuilvoLang", "UseLanguage", "1", "2"},
        {"quilvolang", "uselanguage", "1", "2"}, // case-insensitive section and key
        {"W_First", "?L:DfQ", "", "0010000200"},
        {"w_first", "?l:dfq", "", "0010000200"},
        {"W_First", "Spaced Key", "", "quoted value"},
        {"SR", "START", "0", "1"},
        {"SR", "Missing", "dflt", "dflt"},
        {"NoSection", "START", "x", "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.get(c.section, c.key, c.def), QString::fromUtf8(c.expected)) << c.section << "/" << c.key;
    EXPECT_EQ(ini.getInt("SR", "START", 0), 1);
    EXPECT_EQ(ini.getInt("SR", "Missing", 7), 7);
    EXPECT_EQ(ini.sections(), (QStringList{"QuilvoLang", "W_First", "SR"}));
}

TEST(IniFile, MissingFileGivesDefaults)
{
    TempFolder dir;
    vrt::IniFile ini(dir.file("none.ini"));
    EXPECT_FALSE(ini.value("A", "B").has_value());
    EXPECT_EQ(ini.getInt("A", "B", 5), 5);
}

TEST(IniFile, WriteChangesOneLineAndKeepsTheRest)
{
    TempFolder dir;
    dir.write("Standard.ini", kSample);
    vrt::IniFile ini(dir.file("Standard.ini"));
    ASSERT_TRUE(ini.put("sr", "start", "2"));          // existing key, other case
    ASSERT_TRUE(ini.put("W_First", "NewKey", "v"));     // new key in a section
    ASSERT_TRUE(ini.put("Company", "Naziv", "Tvrtka d.o.o. Čakovec")); // new section
    const QByteArray after = dir.read("Standard.ini");
    EXPECT_TRUE(after.contains("START=2\r\n")) << after.constData(); // keeps the key's spelling
    EXPECT_TRUE(after.startsWith("; settings\r\n[QuilvoLang]\r\nUseLanguage=2\r\n"));
    EXPECT_TRUE(after.contains("?L:DfQ=0010000200\r\nSpaced Key =  \"quoted value\"  \r\nNewKey=v\r\n"));
    EXPECT_EQ(ini.get("company", "naziv"), QStringLiteral("Tvrtka d.o.o. Čakovec"));
    ASSERT_TRUE(ini.remove("W_First", "NewKey"));
    EXPECT_FALSE(ini.value("W_First", "NewKey").has_value());

    // The value a key already holds is not written again: the file stays the same file.
    const auto inode = [&] { struct stat st {}; ::stat(QFile::encodeName(dir.file("Standard.ini")).constData(), &st); return st.st_ino; };
    const auto before = inode();
    ASSERT_TRUE(ini.put("SR", "START", "2"));
    EXPECT_EQ(inode(), before);
    ASSERT_TRUE(ini.put("SR", "START", "3"));
    EXPECT_NE(inode(), before);
    EXPECT_EQ(ini.get("SR", "START"), QStringLiteral("3"));
}

TEST(IniFile, ReadsOlderCentralEuropeanFiles)
{
    TempFolder dir;
    dir.write("old.ini", QByteArray("[Tvrtka]\nNaziv=\xC8" "akovec\n")); // "Č" in Windows-1250
    vrt::IniFile ini(dir.file("old.ini"));
    EXPECT_EQ(ini.get("Tvrtka", "Naziv"), QStringLiteral("Čakovec"));
}

TEST(IniFile, UnwritableFileIsReportedNotIgnored)
{
    TempFolder dir;
    vrt::IniFile ro("/proc/velmora-cannot-write.ini");
    EXPECT_FALSE(ro.put("A", "B", "C"));
    EXPECT_FALSE(ro.errorString().isEmpty());
}

TEST(IniFile, RefusesWhatWouldReadBackAsOtherLines)
{
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case refused[] = {
        {"QuilvoLang", "Ok", "&Ok\r\n[SR]\r\nSTART=1"}, // would add a section and a key
        {"QuilvoLang", "Ok", "&Ok\nSTART=1"},
        {"QuilvoLang", "Ok", "&Ok\rx"},
        {"QuilvoLang", "Ok\r\n[SR]\r\nSTART", "1"},
        {"SR]\r\nSTART=1\r\n[X", "A", "1"},
        {"SR] x", "A", "1"},
        {"SR", "START=1\r\nA", "2"},
        {"SR", "A=B", "1"},
        {"SR", "[SR]", "1"},
        {"SR", ";A", "1"},
        {"SR", " ", "1"},
    };
    TempFolder dir;
    dir.write("Standard.ini", kSample);
    vrt::IniFile ini(dir.file("Standard.ini"));
    for (const Case& c : refused) {
        SCOPED_TRACE(std::string(c.section) + " / " + c.key + " / " + c.value);
        EXPECT_FALSE(ini.put(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QString::fromUtf8(c.value)));
        EXPECT_FALSE(ini.errorString().isEmpty());
        EXPECT_EQ(dir.read("Standard.ini"), kSample);
    }
    // What reads back as written stays allowed: "=" and "]" inside a value, "[" inside a key.
    ASSERT_TRUE(ini.put("SR", "Filter", "A=B ]"));
    ASSERT_TRUE(ini.put("SR", "a[1]", "x"));
    EXPECT_EQ(ini.get("SR", "Filter"), QStringLiteral("A=B ]"));
    EXPECT_EQ(ini.get("SR", "a[1]"), QStringLiteral("x"));
    EXPECT_EQ(ini.get("SR", "START"), QStringLiteral("1"));
    EXPECT_EQ(ini.sections(), (QStringList{"QuilvoLang", "W_First", "SR"}));
}

namespace {
// While it lives, this process acts as an ordinary user: as root, file modes would not stop it.
struct OrdinaryUser {
    bool switched = false;
    OrdinaryUser()
    {
        if (::geteuid() == 0)
            switched = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~OrdinaryUser()
    {
        if (switched) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
};
} // namespace

TEST(IniFile, AFileThatCannotBeReadIsNeverReplaced)
{
    TempFolder dir;
    dir.write("Standard.ini", kSample);
    const QString path = dir.file("Standard.ini");
    // The folder is the writer's, the file is not readable to it: a replace would succeed.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFile::WriteOwner));
    {
        OrdinaryUser user;
        if (::geteuid() == 0) {
            GTEST_SKIP() << "cannot act as an ordinary user";
        }
        vrt::IniFile ini(path);
        EXPECT_FALSE(ini.put("SR", "START", "0"));
        EXPECT_TRUE(ini.errorString().contains(path)) << ini.errorString().toStdString();
        EXPECT_FALSE(ini.remove("SR", "START"));
    }
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(dir.read("Standard.ini"), kSample) << "every other setting is still there";
}

TEST(IniFile, TwoProcessesWritingDifferentKeysLoseNothing)
{
    TempFolder dir;
    const QString file = dir.file("Standard.ini");
    const QString self = QCoreApplication::applicationFilePath();
    QProcess a, b;
    a.start(self, {"--ini-writer", file, "SR", "a", "40"});
    b.start(self, {"--ini-writer", file, "SR", "b", "40"});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);
    vrt::IniFile ini(file);
    EXPECT_EQ(ini.keys("SR").size(), 80);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(ini.get("SR", QStringLiteral("a%1").arg(i)), QString::number(i));
        EXPECT_EQ(ini.get("SR", QStringLiteral("b%1").arg(i)), QString::number(i));
    }
}
