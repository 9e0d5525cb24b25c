#include <gtest/gtest.h>

#include "procedures/common/Utf8Writer.h"
#include "tests/procedures/test_libservices.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

using VelmoraDll::S_WriteUTF8File;

namespace {

std::vector<testsupport::ScriptedPresenter::Call> messages()
{
    return testsupport::presenter().calls();
}

// Every file of the folder, hidden ones too: a failed write leaves nothing half-done behind.
QStringList filesIn(const testsupport::TempFolder& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(Utf8Writer, WritesExactBytes)
{
    struct Case {
        QStringList lines;
        QByteArray bytes;
    };
    const Case cases[] = {
        {{}, QByteArray()},
        {{QStringLiteral("abc")}, QByteArray("\x61\x62\x63\x0D\x0A")},
        {{QStringLiteral("č")}, QByteArray("\xC4\x8D\x0D\x0A")},
        {{QString()}, QByteArray("\x0D\x0A")},
        // Trailing blanks stay; Croatian letters are encoded once, never twice.
        {{QStringLiteral("Siječanj "), QStringLiteral("ŠĐŽ")},
         QByteArray("Sije\xC4\x8D" "anj \r\n\xC5\xA0\xC4\x90\xC5\xBD\r\n")},
    };
    testsupport::TempFolder dir;
    libservices_test::freshMessages();
    for (const Case& c : cases) {
        ASSERT_TRUE(S_WriteUTF8File(c.lines, dir.file("out.xml")));
        EXPECT_EQ(dir.read("out.xml"), c.bytes) << c.lines.join('|').toStdString();
    }
    EXPECT_TRUE(messages().empty());
}

TEST(Utf8Writer, ReplacesExistingFileWhole)
{
    testsupport::TempFolder dir;
    dir.write("MyXml.xml", QByteArray(5000, 'x'));
    ASSERT_TRUE(S_WriteUTF8File({QStringLiteral("<a/>")}, dir.file("MyXml.xml")));
    EXPECT_EQ(dir.read("MyXml.xml"), QByteArray("<a/>\r\n"));
}

TEST(Utf8Writer, MissingFolderIsReportedAndCreatesNothing)
{
    testsupport::TempFolder dir;
    libservices_test::freshMessages();
    const QString name = dir.file("nema/MyXml.xml");
    EXPECT_FALSE(S_WriteUTF8File({QStringLiteral("abc")}, name));
    EXPECT_FALSE(QFileInfo::exists(name));
    const auto calls = messages();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].text.startsWith(QStringLiteral("Greška kod kreiranja i otvaranja datoteke ")
                                         + name + QStringLiteral(": ")))
        << calls[0].text.toStdString();
}

TEST(Utf8Writer, TextWithoutUtf8FormKeepsOldFile)
{
    testsupport::TempFolder dir;
    dir.write("out.txt", "old\r\n");
    libservices_test::freshMessages();
    const QString lone(QChar(0xD800));
    EXPECT_FALSE(S_WriteUTF8File({QStringLiteral("ok"), lone}, dir.file("out.txt")));
    EXPECT_EQ(dir.read("out.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("out.txt")});
    const auto calls = messages();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].text.startsWith(QStringLiteral("Greška kod kreiranja UTF8 datoteke. ")));
}

TEST(Utf8Writer, FailedWriteIsReportedAndKeepsOldFile)
{
    // A file-size limit makes the write itself fail (permissions do not stop root).
    testsupport::TempFolder dir;
    dir.write("out.txt", "old\r\n");
    libservices_test::freshMessages();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = S_WriteUTF8File({QString(70000, QLatin1Char('a'))}, dir.file("out.txt"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(dir.read("out.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("out.txt")});
    const auto calls = messages();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].text.startsWith(QStringLiteral("Greška kod zapisivanja UTF8 stringa u datoteku :")
                                         + dir.file("out.txt") + QStringLiteral(": ")))
        << calls[0].text.toStdString();
}
