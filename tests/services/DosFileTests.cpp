#include <gtest/gtest.h>

#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "services/DosFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

namespace {

// Messages straight to the scripted presenter, none recorded yet.
void freshMessages()
{
    vrt::resetHooks();
    testsupport::presenter().clear();
}

// A file of `content` in `dir`, opened read-write.
void openWith(DOSFMTYPE& f, const testsupport::TempFolder& dir, const QString& name, const QByteArray& content)
{
    dir.write(name, content);
    f.INIT();
    f.DEBUG = 0;
    f.SETDOSFILENAME(dir.file(name));
    ASSERT_EQ(f.DOSOPEN(), 0);
}

QByteArray readRest(DOSFMTYPE& f)
{
    QByteArray bytes(int(f.BYTESREMAIN), '\0');
    std::uint64_t n = 0;
    EXPECT_EQ(f.DOSREAD(bytes.data(), bytes.size(), &n), 0);
    bytes.resize(qsizetype(n));
    return bytes;
}

// TZ for the test's duration.
struct TzGuard {
    explicit TzGuard(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            saved = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TzGuard()
    {
        if (saved)
            setenv("TZ", saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved;
};

} // namespace

TEST(DosFile, BareNameOpensInCurrentFolderAndKeepsContents)
{
    testsupport::TempFolder dir;
    testsupport::CwdGuard cwd(dir.path());
    DOSFMTYPE f;
    EXPECT_EQ(f.OPENMODE, 66);
    EXPECT_EQ(f.DEBUG, 1);
    EXPECT_EQ(f.SETDOSFILENAME(QStringLiteral("x.bin")), 0);
    EXPECT_EQ(f.FILENAME, QDir::currentPath() + QStringLiteral("/x.bin"));
    ASSERT_EQ(f.DOSOPEN(), 0);
    ASSERT_EQ(f.DOSWRITE("0123456789", 10), 0);
    f.KILL();

    f.INIT();
    EXPECT_EQ(f.SETDOSFILENAME(QStringLiteral("x.bin   ")), 1);
    ASSERT_EQ(f.DOSOPEN(), 0);
    EXPECT_EQ(f.FILESIZE, 10);
    EXPECT_EQ(f.BYTESREMAIN, 10);
    EXPECT_EQ(readRest(f), QByteArray("0123456789"));
}

TEST(DosFile, ReadsAndSeeksStayWithinTheFile)
{
    testsupport::TempFolder dir;
    DOSFMTYPE f;
    openWith(f, dir, QStringLiteral("a.bin"), "abcdefghij");
    struct Step {
        const char* what;
        std::function<std::uint8_t(DOSFMTYPE&)> op;
        std::int64_t remain;
        std::int64_t position;
    };
    const Step steps[] = {
        {"seek past the end", [](DOSFMTYPE& d) { return d.DOSSEEKFROMSTART(50); }, 0, 10},
        {"seek to 4", [](DOSFMTYPE& d) { return d.DOSSEEKFROMSTART(4); }, 6, 4},
        {"forward past the end", [](DOSFMTYPE& d) { return d.DOSSEEKFROMCURRENTPOS(9); }, 0, 10},
        {"back past the start", [](DOSFMTYPE& d) { return d.DOSSEEKFROMCURRENTPOS(-30); }, 10, 0},
        {"64-bit seek", [](DOSFMTYPE& d) { return d.DOSSEEKFROMSTARTEX(7); }, 3, 7},
        {"64-bit seek past the end", [](DOSFMTYPE& d) { return d.DOSSEEKFROMSTARTEX(1ull << 40); }, 0, 10},
        {"from the end", [](DOSFMTYPE& d) { return d.DOSSEEKFROMEND(3); }, 3, 7},
        {"to the end", [](DOSFMTYPE& d) { return d.DOSSEEKFROMEND(0); }, 0, 10},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.op(f), 0) << s.what;
        EXPECT_EQ(f.BYTESREMAIN, s.remain) << s.what;
        std::int64_t p = -1;
        ASSERT_EQ(f.GETFILEPOSITION(p), 0);
        EXPECT_EQ(p, s.position) << s.what;
        EXPECT_EQ(f.DOSREADEOF(), s.remain == 0 ? 1 : 0) << s.what;
    }

    // A read asks for more than is left: it gets the rest and ends at EOF.
    f.DOSSEEKFROMSTART(0);
    char buffer[100];
    std::uint64_t n = 0;
    ASSERT_EQ(f.DOSREAD(buffer, 100, &n), 0);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(f.DOSREADEOF(), 1);
    ASSERT_EQ(f.DOSREAD(buffer, 100, &n), 0);
    EXPECT_EQ(n, 0u);
}

TEST(DosFile, UnopenedAndUnnamedFilesAreRefused)
{
    freshMessages();
    DOSFMTYPE f;
    char byte = 0;
    struct Case {
        std::function<std::uint8_t()> op;
        const char* text;
    };
    const Case cases[] = {
        {[&] { return f.DOSWRITE("x", 1); }, "Attempt to Write an unopened file."},
        {[&] { return f.DOSREAD(&byte, 1); }, "Attempt to read unopened file."},
        {[&] { return f.DOSSEEKFROMSTART(0); }, "Attempt to Seek unopened file."},
        {[&] { return f.DOSREMOVE(); }, "Attempt to Remove unnamed file."},
        {[&] { return f.DOSSETREADWRITE(); }, "Attempt to set R/w unnamed file."},
        {[&] { return f.DOSSETREADONLY(); }, "Attempt to set R/O unnamed file."},
        {[&] { return f.WRITETOBLOB("x"); }, "Attempt to Write unopened or unnamed file."},
        {[&] { QByteArray b; return f.READTOBLOB(b); }, "Attempt to Read unopened or unnamed file."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.op(), 1) << c.text;
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), std::size(cases));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].text, QString::fromLatin1(cases[i].text));
        EXPECT_EQ(calls[i].caption, QStringLiteral("Assert DOSFM"));
    }

    // Without DEBUG nothing is shown.
    freshMessages();
    f.DEBUG = 0;
    EXPECT_EQ(f.DOSWRITE("x", 1), 1);
    EXPECT_TRUE(testsupport::presenter().calls().empty());
}

TEST(DosFile, OpenFailureIsReportedWithTheSystemText)
{
    testsupport::TempFolder dir;
    freshMessages();
    DOSFMTYPE f;
    f.SETDOSFILENAME(dir.file(QStringLiteral("nema/x.bin")));
    EXPECT_EQ(f.DOSOPEN(), 1);
    EXPECT_EQ(f.HFILE, -1);
    EXPECT_EQ(f.FILESIZE, 0);
    EXPECT_EQ(f.APIERRORCODE, ENOENT);
    EXPECT_TRUE(f.ERRORSTR.startsWith(QStringLiteral("Error Opening File: ") + f.FILENAME + QLatin1Char(' ')))
        << f.ERRORSTR.toStdString();
    EXPECT_GT(f.ERRORSTR.size(), (QStringLiteral("Error Opening File: ") + f.FILENAME).size() + 1);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, QStringLiteral("Error Opening File: ") + f.FILENAME);
    EXPECT_EQ(calls[0].caption, QStringLiteral("File Error"));
}

TEST(DosFile, NoSharingModeLocksOthersOut)
{
    testsupport::TempFolder dir;
    dir.write("l.bin", "x");
    DOSFMTYPE a, b;
    a.DEBUG = b.DEBUG = 0;
    a.OPENMODE = b.OPENMODE = 0x12;
    a.SETDOSFILENAME(dir.file("l.bin"));
    b.SETDOSFILENAME(dir.file("l.bin"));
    ASSERT_EQ(a.DOSOPEN(), 0);
    EXPECT_EQ(b.DOSOPEN(), 1);
    a.DOSCLOSE();
    EXPECT_EQ(b.DOSOPEN(), 0);
}

TEST(DosFile, FindFromEndFindsKeysAcrossBlocks)
{
    testsupport::TempFolder dir;
    DOSFMTYPE f;
    openWith(f, dir, QStringLiteral("f.bin"), "0123456789abcdefXYZ--");
    struct Case {
        const char* what;
        QByteArray key;
        std::int64_t span;
        std::int64_t block;
        int result;
        std::int64_t position; // after a match
        const char* error;
    };
    const Case cases[] = {
        {"aligned", "abc", 21, 4, 0, 10, ""},
        {"across a block boundary", "9ab", 21, 4, 0, 9, ""},
        {"key longer than a block", "6789abcdef", 21, 3, 0, 6, ""},
        {"last bytes", "--", 5, 2, 0, 19, ""},
        {"before the span", "012", 15, 4, 1, 0, "Search key not found."},
        {"span too long", "a", 22, 4, 1, 0, "Seek from end is greater then filesize or negative."},
        {"negative span", "a", -1, 4, 1, 0, "Seek from end is greater then filesize or negative."},
        {"key longer than span", "abcdef", 5, 4, 1, 0, "Search key is longer than the portion of the file to search."},
        {"empty key", "", 5, 4, 1, 0, "Search key cannot be zero length."},
    };
    for (const Case& c : cases) {
        f.ERRORSTR.clear();
        EXPECT_EQ(f.FINDINFILEFROMEND(c.key, c.span, c.block), c.result) << c.what;
        if (c.result == 0) {
            std::int64_t p = -1;
            f.GETFILEPOSITION(p);
            EXPECT_EQ(p, c.position) << c.what;
            EXPECT_EQ(f.BYTESREMAIN, 21 - c.position) << c.what;
        }
        EXPECT_EQ(f.ERRORSTR, QString::fromLatin1(c.error)) << c.what;
    }
}

TEST(DosFile, TruncationKeepsTheRightPart)
{
    testsupport::TempFolder dir;
    struct Case {
        std::int64_t at;
        QByteArray kept;
    };
    const Case cases[] = {{3, "defgh"}, {0, "abcdefgh"}, {8, ""}};
    for (const Case& c : cases) {
        DOSFMTYPE f;
        openWith(f, dir, QStringLiteral("t.bin"), "abcdefgh");
        ASSERT_EQ(f.DOSSEEKFROMSTART(c.at), 0);
        EXPECT_EQ(f.TRUNCATEBEFORE(1), 0) << c.at;
        f.DOSCLOSE();
        EXPECT_EQ(dir.read("t.bin"), c.kept) << c.at;
    }
    // Larger than one block, so the copy runs block by block.
    QByteArray big;
    for (int i = 0; i < 3000; ++i)
        big += char('a' + i % 26);
    DOSFMTYPE f;
    openWith(f, dir, QStringLiteral("big.bin"), big);
    f.DOSSEEKFROMSTART(1000);
    ASSERT_EQ(f.TRUNCATEBEFORE(512), 0);
    EXPECT_EQ(f.FILESIZE, 2000);
    EXPECT_EQ(readRest(f), big.mid(1000));

    DOSFMTYPE e;
    openWith(e, dir, QStringLiteral("e.bin"), "abcdef");
    e.DOSSEEKFROMSTART(2);
    ASSERT_EQ(e.SETENDOFFILE(), 0);
    e.DOSCLOSE();
    EXPECT_EQ(dir.read("e.bin"), QByteArray("ab"));
}

TEST(DosFile, ReplaceKeepsTheOldFileUntilCommitted)
{
    testsupport::TempFolder dir;
    dir.write("r.txt", "old");
    QFile::setPermissions(dir.file("r.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    DOSFMTYPE f;
    f.DEBUG = 0;
    f.SETDOSFILENAME(dir.file("r.txt"));
    ASSERT_EQ(f.DOSOPENREPLACE(), 0);
    ASSERT_EQ(f.DOSWRITE("new text", 8), 0);
    EXPECT_EQ(dir.read("r.txt"), QByteArray("old"));
    f.KILL(); // never committed
    EXPECT_EQ(dir.read("r.txt"), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("r.txt")});

    ASSERT_EQ(f.DOSOPENREPLACE(), 0);
    ASSERT_EQ(f.DOSWRITE("new text", 8), 0);
    ASSERT_EQ(f.DOSCOMMIT(), 0);
    EXPECT_EQ(dir.read("r.txt"), QByteArray("new text"));
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file("r.txt")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
}

TEST(DosFile, WholeFilesThroughMemoryAndBlobs)
{
    testsupport::TempFolder dir;
    freshMessages();
    DOSFMTYPE f;
    f.DEBUG = 0;
    dir.write("in.bin", "payload");
    dir.write("empty.bin", "");
    EXPECT_EQ(f.FILETOHGLOBAL(dir.file("empty.bin"), 0), 5);
    EXPECT_EQ(f.FILETOHGLOBAL(dir.file("missing.bin"), 0), 3);
    ASSERT_EQ(f.FILETOHGLOBAL(dir.file("in.bin"), 0), 0);
    EXPECT_EQ(f.BUFSIZE, 7);
    EXPECT_EQ(f.HFILE, -1);

    dir.write("out.bin", "old");
    EXPECT_EQ(f.HGLOBALTOFILE(dir.file("out.bin"), 0, 0), 3);
    EXPECT_EQ(f.ERRORSTR, QStringLiteral("parameter to overwrite is false and file exists."));
    EXPECT_EQ(dir.read("out.bin"), QByteArray("old"));
    ASSERT_EQ(f.HGLOBALTOFILE(dir.file("out.bin"), 1, 1), 0);
    EXPECT_EQ(dir.read("out.bin"), QByteArray("payload"));
    EXPECT_FALSE(f.HGLOBAL);
    EXPECT_EQ(f.HGLOBALTOFILE(dir.file("out.bin"), 1, 0), 3);
    EXPECT_EQ(f.ERRORSTR, QStringLiteral("no hglobal in hglobal to file."));

    EXPECT_EQ(f.ATTACHHGLOBAL(nullptr, 0), 3);
    EXPECT_EQ(f.ERRORSTR, QStringLiteral("Attach hglobal called with a 0 hglobal"));
    EXPECT_EQ(f.ATTACHHGLOBAL(std::make_unique<std::vector<std::uint8_t>>(), 0), 3);
    EXPECT_EQ(f.ERRORSTR, QStringLiteral("could not get size of the hglobal with global size"));
    EXPECT_EQ(f.ATTACHHGLOBAL(std::make_unique<std::vector<std::uint8_t>>(4, 'z'), 100), 0);
    EXPECT_EQ(f.BUFSIZE, 4);
    EXPECT_EQ(f.ALLOCHGLOBAL(0), 3);
    EXPECT_TRUE(testsupport::presenter().calls().empty());

    DOSFMTYPE b;
    openWith(b, dir, QStringLiteral("blob.bin"), "12");
    b.DOSSEEKFROMEND(0);
    EXPECT_EQ(b.WRITETOBLOB(QByteArray()), 1);
    ASSERT_EQ(b.WRITETOBLOB("345"), 0);
    QByteArray blob = "stale";
    ASSERT_EQ(b.READTOBLOB(blob), 0);
    EXPECT_EQ(blob, QByteArray("12345"));
}

TEST(DosFile, RenameRemoveAndReadOnly)
{
    testsupport::TempFolder dir;
    DOSFMTYPE f;
    openWith(f, dir, QStringLiteral("a.bin"), "x");
    EXPECT_EQ(f.DOSRENAME(dir.file("b.bin")), 1); // still open
    EXPECT_EQ(f.ERRORSTR, QStringLiteral("File Not open. Rename failed."));
    f.DOSCLOSE();
    EXPECT_EQ(f.DOSRENAME(QStringLiteral("   ")), 1);
    ASSERT_EQ(f.DOSRENAME(dir.file("b.bin") + QStringLiteral("  ")), 0);
    EXPECT_EQ(f.FILENAME, dir.file("b.bin"));
    EXPECT_EQ(f.DOSRENAME(dir.file("nema/c.bin")), 1);
    EXPECT_TRUE(f.ERRORSTR.startsWith(QStringLiteral("Error reading file: ") + dir.file("b.bin")));

    ASSERT_EQ(f.DOSSETREADONLY(), 0);
    EXPECT_FALSE(QFileInfo(dir.file("b.bin")).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    ASSERT_EQ(f.DOSSETREADWRITE(), 0);
    EXPECT_TRUE(QFileInfo(dir.file("b.bin")).permissions() & QFile::WriteOwner);

    ASSERT_EQ(f.DOSREMOVE(), 0);
    EXPECT_EQ(f.EXISTS, 0);
    EXPECT_FALSE(QFileInfo::exists(dir.file("b.bin")));
    EXPECT_EQ(f.DOSREMOVE(), 1);
}

TEST(DosFile, FileTimesRoundTripToTheHundredth)
{
    TzGuard tz("Europe/Zagreb");
    testsupport::TempFolder dir;
    dir.write("t.bin", "x");
    const int day = vrt::dayFromDate(QDate(2024, 7, 15));
    struct Case {
        DOSFMTYPE::DateTime written;
        DOSFMTYPE::DateTime accessed;
    };
    const Case cases[] = {
        {{day, 1}, {day, 8640000}},
        {{day, 4567891}, {day + 200, 123}}, // winter and summer time
    };
    for (const Case& c : cases) {
        DOSFMTYPE f;
        ASSERT_EQ(f.DOSSETFILETIME(std::nullopt, c.written, c.accessed, dir.file("t.bin")), 0);
        DOSFMTYPE::DateTime created, written, accessed;
        ASSERT_EQ(f.DOSGETFILETIME(created, &written, &accessed, dir.file("t.bin")), 0);
        EXPECT_EQ(written.date, c.written.date);
        EXPECT_EQ(written.time, c.written.time);
        EXPECT_EQ(accessed.date, c.accessed.date);
        EXPECT_EQ(accessed.time, c.accessed.time);
        EXPECT_EQ(f.HFILE, -1);
    }
    DOSFMTYPE f;
    DOSFMTYPE::DateTime created;
    EXPECT_EQ(f.DOSGETFILETIME(created, nullptr, nullptr, dir.file("missing")), 3);
    EXPECT_FALSE(QFileInfo::exists(dir.file("missing")));
}

TEST(DosFile, TemporaryFiles)
{
    testsupport::TempFolder dir;
    DOSFMTYPE f;
    QString temp;
    ASSERT_EQ(f.GETTEMPPATH(temp), 0);
    EXPECT_TRUE(temp.endsWith(QLatin1Char('/')));
    QString name;
    ASSERT_EQ(f.CREATETEMPFILEINFOLDER(dir.path(), name, 66), 0);
    EXPECT_EQ(QFileInfo(name).absolutePath(), dir.path());
    EXPECT_EQ(f.FILENAME, name);
    EXPECT_GE(f.HFILE, 0);
    f.DEBUG = 0;
    EXPECT_EQ(f.CREATETEMPFILEINFOLDER(dir.file("nema"), name, 0), 1);
    EXPECT_TRUE(f.ERRORSTR.startsWith(QStringLiteral("Error creating temporary file. ")));

    ASSERT_EQ(f.GETTEMPFILE(&name), 0);
    EXPECT_TRUE(QFileInfo::exists(name));
    EXPECT_EQ(QFileInfo(name).size(), 0);
    EXPECT_EQ(f.DOSREMOVE(), 0);
}

TEST(HexDec, Conversions)
{
    struct ToHex {
        std::uint32_t value;
        int width;
        const char* text;
    };
    for (const ToHex& c : {ToHex{255, 4, "00FFH"}, ToHex{0, 0, "0"}, ToHex{0xABC, 2, "ABCH"}, ToHex{4294967295u, 0, "FFFFFFFF"}})
        EXPECT_EQ(HEXDECTYPE::DECTOHEX(c.value, c.width), QString::fromLatin1(c.text)) << c.text;
    EXPECT_EQ(HEXDECTYPE::IDECTOHEX(0), QStringLiteral("0"));
    EXPECT_EQ(HEXDECTYPE::HEXCHR(11), QStringLiteral("B"));

    struct FromHex {
        const char* text;
        std::int32_t value;
        int isHex;
    };
    for (const FromHex& c : {FromHex{"ffh", 255, 0}, FromHex{"1fh", 31, 0}, FromHex{"1FH", 31, 1}, FromHex{"00FFH  ", 255, 1},
                             FromHex{"12G", 0, 0}, FromHex{"", 0, 1}}) {
        EXPECT_EQ(HEXDECTYPE::HEXTODEC(QString::fromLatin1(c.text)), c.value) << c.text;
        EXPECT_EQ(HEXDECTYPE::ISHEX(QString::fromLatin1(c.text)), c.isHex) << c.text;
    }

    QByteArray bytes;
    for (int i = 0; i < 17; ++i)
        bytes += char(i * 15);
    QString expected;
    for (int i = 0; i < 16; ++i)
        expected += HEXDECTYPE::DECTOHEX(std::uint32_t(i * 15), 2).left(2) + QLatin1Char(' ');
    expected += QStringLiteral("\r\nF0 \r\n");
    EXPECT_EQ(HEXDECTYPE::BINARYTOHEX(bytes.constData(), 17, 1), expected);
    EXPECT_EQ(HEXDECTYPE::BINARYTOHEX(bytes.constData(), 2, 0), QStringLiteral("00 0F "));
}
