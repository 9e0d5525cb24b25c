#include <gtest/gtest.h>

#include "controls/ZipKit.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <zip.h>

using namespace controls;

namespace {

struct RecordingSink : ZipKitSink {
    std::vector<int> progress;
    int abortAt = -1;
    bool confirmAnswer = false;
    QStringList askedOverwrite;
    void archiveProgress(int p, bool& abort) override
    {
        progress.push_back(p);
        if (abortAt >= 0 && p >= abortAt)
            abort = true;
    }
    bool confirmOverwrite(const QString& name) override
    {
        askedOverwrite << name;
        return confirmAnswer;
    }
};

struct Kit {
    ZipKit* kit = new ZipKit;
    ~Kit() { kit->Release(); }
    ZipKit* operator->() const { return kit; }
};

// An archive whose entries carry exactly the given names, as a hostile tool could write it.
void writeRawArchive(const QString& path, const QList<QByteArray>& names)
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(za, nullptr);
    static const char payload[] = "pwned";
    for (const QByteArray& n : names) {
        zip_source_t* s = zip_source_buffer(za, payload, sizeof payload - 1, 0);
        ASSERT_GE(zip_file_add(za, n.constData(), s, ZIP_FL_ENC_RAW), 0) << n.constData();
    }
    ASSERT_EQ(zip_close(za), 0);
}

bool folderIsEmpty(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

} // namespace

TEST(ZipKit, BackupSequenceRoundTripsCroatianNamesWithRisingProgress)
{
    testsupport::TempFolder t;
    t.write("Files/Database.db", QByteArray(200000, 'd'));
    t.write("Files/Priloži/Račun čćžšđ.pdf", "PDF body");
    t.write("Email/.hidden", "h");
    t.write("Email/poruka.html", "<p>Šifra</p>");
    const QString archive = t.file("out/Velmora 2026-12-10.zip");
    QDir().mkpath(t.file("out"));

    Kit kit;
    RecordingSink sink;
    const uint32_t cookie = kit->advise(&sink);
    ASSERT_NE(cookie, 0u);
    kit->setFileName(archive);
    kit->setAutoSave(false);
    kit->setStoreOptions(24);
    kit->setExtractOptions(1);
    EXPECT_TRUE(kit->add(t.path() + "\\Files\\*.*"));
    EXPECT_TRUE(kit->add(t.path() + "/Email\\*.*"));
    EXPECT_FALSE(QFileInfo::exists(archive)) << "nothing is written before Save";
    ASSERT_TRUE(kit->save()) << kit->errorText().toStdString();

    ASSERT_FALSE(sink.progress.empty());
    EXPECT_EQ(sink.progress.front(), 0);
    EXPECT_EQ(sink.progress.back(), 100);
    for (size_t i = 1; i < sink.progress.size(); ++i)
        EXPECT_LT(sink.progress[i - 1], sink.progress[i]);

    EXPECT_EQ(kit->count(), std::optional<int>(4));

    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (!unzip.isEmpty()) {
        QProcess p;
        p.start(unzip, {QStringLiteral("-t"), archive});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }

    const QString restored = t.file("restored");
    ASSERT_TRUE(kit->extract(QString(), restored)) << kit->errorText().toStdString();
    for (const char* name : {"Files/Database.db", "Files/Priloži/Račun čćžšđ.pdf", "Email/.hidden",
                             "Email/poruka.html"}) {
        const QString rel = QString::fromUtf8(name);
        QFile f(restored + '/' + rel);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(f.readAll(), t.read(rel)) << name;
    }
    EXPECT_TRUE(kit->unadvise(cookie));
    EXPECT_FALSE(kit->unadvise(cookie));
}

TEST(ZipKit, HostileEntryNamesAreRefusedAndNothingIsWritten)
{
    const QList<QByteArray> hostile = {"../x", "/etc/x", "a/../../x", "C:/x", "a\\..\\..\\x",
                                       "./../x", "a//b"};
    for (const QByteArray& name : hostile) {
        testsupport::TempFolder t;
        const QString archive = t.file("bad.zip");
        writeRawArchive(archive, {"fine.txt", name});
        Kit kit;
        kit->setFileName(archive);
        QDir().mkpath(t.file("deep/target"));
        EXPECT_FALSE(kit->extract(QString(), t.file("deep/target"))) << name.constData();
        EXPECT_EQ(kit->errorText(), "Unsafe name in archive: " + QString::fromUtf8(name));
        EXPECT_TRUE(folderIsEmpty(t.file("deep/target"))) << name.constData();
        EXPECT_FALSE(QFileInfo::exists(t.file("deep/x")));
        EXPECT_FALSE(QFileInfo::exists(t.file("x")));
    }
    for (const char* ok : {"a/b.txt", "dir/", "Račun.pdf", "..hidden", "a/.b"})
        EXPECT_TRUE(isSafeEntryName(QString::fromUtf8(ok))) << ok;
}

TEST(ZipKit, ExtractDoesNotFollowLinksOutOfTheTarget)
{
    testsupport::TempFolder t;
    const QString archive = t.file("a.zip");
    writeRawArchive(archive, {"link/x", "file"});
    QDir().mkpath(t.file("target"));
    QDir().mkpath(t.file("outside"));
    ASSERT_TRUE(QFile::link(t.file("outside"), t.file("target/link")));
    t.write("outside/victim", "keep");
    ASSERT_TRUE(QFile::link(t.file("outside/victim"), t.file("target/file")));

    Kit kit;
    kit->setFileName(archive);
    kit->setExtractOptions(ZipKit::ExtractOverwrite);
    EXPECT_FALSE(kit->extract(QString(), t.file("target")));
    EXPECT_TRUE(kit->errorText().startsWith("Unsafe name in archive: link/x"));
    EXPECT_FALSE(QFileInfo::exists(t.file("outside/x")));

    // A link in place of a file is replaced by the file, never written through.
    writeRawArchive(archive, {"file"});
    EXPECT_TRUE(kit->extract(QString(), t.file("target"))) << kit->errorText().toStdString();
    EXPECT_EQ(t.read("outside/victim"), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo(t.file("target/file")).isSymLink());
    EXPECT_EQ(t.read("target/file"), QByteArray("pwned"));
}

TEST(ZipKit, ExistingFilesAreKeptUnlessConfirmed)
{
    testsupport::TempFolder t;
    writeRawArchive(t.file("a.zip"), {"a.txt"});
    t.write("target/a.txt", "mine");
    Kit kit;
    RecordingSink sink;
    const uint32_t cookie = kit->advise(&sink);
    kit->setFileName(t.file("a.zip"));
    ASSERT_TRUE(kit->extract(QStringLiteral("*.txt"), t.file("target")));
    EXPECT_EQ(sink.askedOverwrite, QStringList{"a.txt"});
    EXPECT_EQ(t.read("target/a.txt"), QByteArray("mine"));
    sink.confirmAnswer = true;
    ASSERT_TRUE(kit->extract(QString(), t.file("target")));
    EXPECT_EQ(t.read("target/a.txt"), QByteArray("pwned"));
    kit->unadvise(cookie);
}

TEST(ZipKit, AbortFromTheSinkDropsTheArchive)
{
    testsupport::TempFolder t;
    for (int i = 0; i < 20; ++i)
        t.write(QStringLiteral("data/f%1.bin").arg(i), QByteArray(50000, char('a' + i)));
    const QString archive = t.file("b.zip");
    t.write("b.zip", "");
    QFile::remove(archive);
    writeRawArchive(archive, {"old.txt"});
    const QByteArray before = t.read("b.zip");

    Kit kit;
    RecordingSink sink;
    sink.abortAt = 0;
    const uint32_t cookie = kit->advise(&sink);
    kit->setFileName(archive);
    kit->setAutoSave(false);
    ASSERT_TRUE(kit->add(t.file("data") + "\\*.*"));
    EXPECT_FALSE(kit->save());
    EXPECT_TRUE(kit->cancelled());
    EXPECT_FALSE(kit->errorText().isEmpty());
    EXPECT_EQ(t.read("b.zip"), before) << "the old archive stays whole";
    EXPECT_TRUE(QDir(t.path()).entryList({"b.zip*"}, QDir::Files | QDir::Hidden).size() == 1)
        << "no temporary file is left";
    kit->unadvise(cookie);
}

// Unpacking stops at the caps on entries, an entry's size and the total, counted while
// inflating; what a refused archive would have written is not there.
TEST(ZipKit, ExtractStopsAtItsCaps)
{
    testsupport::TempFolder t;
    t.write("d/a.txt", QByteArray(3000, 'a'));
    t.write("d/b.txt", QByteArray(3000, 'b'));
    t.write("d/c.txt", QByteArray(100, 'c'));
    {
        Kit kit;
        kit->setFileName(t.file("three.zip"));
        ASSERT_TRUE(kit->add(t.file("d"))) << kit->errorText().toStdString();
    }
    const struct {
        ZipCaps caps;
        const char* says;
    } cases[] = {
        {{2, 1 << 20, 1 << 20}, "more than 2 entries"},
        {{10, 2000, 1 << 20}, "An entry larger than"},
        {{10, 4000, 5000}, "unpacks to more than"},
    };
    for (const auto& c : cases) {
        Kit kit;
        kit->setFileName(t.file("three.zip"));
        kit->setExtractCaps(c.caps);
        const QString target = t.file(QString("out-%1").arg(c.says).replace(' ', '_'));
        EXPECT_FALSE(kit->extract(QString(), target)) << c.says;
        EXPECT_TRUE(kit->errorText().contains(c.says)) << kit->errorText().toStdString();
        for (const char* name : {"d/a.txt", "d/b.txt"})
            EXPECT_FALSE(QFileInfo::exists(target + "/" + name) && QFileInfo(target + "/" + name).size() != 3000) << c.says;
    }
    Kit kit;
    kit->setFileName(t.file("three.zip"));
    kit->setExtractCaps({3, 3000, 6100});
    EXPECT_TRUE(kit->extract(QString(), t.file("all"))) << kit->errorText().toStdString();
}

TEST(ZipKit, FailuresCarryADescription)
{
    testsupport::TempFolder t;
    t.write("d/a.txt", "a");
    struct Case {
        const char* what;
        std::function<bool(ZipKit&)> call;
    };
    const Case cases[] = {
        {"missing folder", [&](ZipKit& k) { return k.add(t.file("nema") + "\\*.*"); }},
        {"missing file", [&](ZipKit& k) { return k.add(t.file("d/b.txt")); }},
        {"no file name", [&](ZipKit& k) { return k.save(); }},
        {"unwritable place", [&](ZipKit& k) {
             k.setFileName(t.file("nema/x.zip"));
             k.setAutoSave(false);
             k.add(t.file("d"));
             return k.save();
         }},
        {"not an archive", [&](ZipKit& k) {
             k.setFileName(t.file("d/a.txt"));
             return k.extract({}, t.file("x"));
         }},
        {"count of no archive", [&](ZipKit& k) {
             k.setFileName(t.file("d/a.txt"));
             return k.count().has_value();
         }},
    };
    for (const Case& c : cases) {
        Kit kit;
        EXPECT_FALSE(c.call(*kit.kit)) << c.what;
        EXPECT_FALSE(kit->errorText().isEmpty()) << c.what;
        EXPECT_FALSE(kit->cancelled()) << c.what;
    }
    Kit kit;
    kit->setFileName(t.file("empty.zip"));
    EXPECT_FALSE(kit->hasPending());
    EXPECT_TRUE(kit->save()) << "nothing added: nothing to write";
    EXPECT_FALSE(QFileInfo::exists(t.file("empty.zip")));
    EXPECT_TRUE(kit->errorText().isEmpty());
}

TEST(ZipKit, LinksAndExcludedPathsStayOutAndAFileGoesInUnderAGivenName)
{
    testsupport::TempFolder t;
    t.write("data/a.txt", "a");
    t.write("data/skip/b.txt", "b");
    t.write("data/live.db", "live");
    t.write("outside/secret.txt", "secret");
    t.write("snapshot.db", "snapshot");
    ASSERT_TRUE(QFile::link(t.file("outside/secret.txt"), t.file("data/link.txt")));
    ASSERT_TRUE(QFile::link(t.file("outside"), t.file("data/linkdir")));
    Kit zip;
    zip->setFileName(t.file("out.zip"));
    zip->setAutoSave(false);
    zip->setStoreOptions(ZipKit::StoreRecurse | ZipKit::StoreFolderName);
    zip->setExcludedPaths({t.file("data/skip"), t.file("data/live.db")});
    ASSERT_TRUE(zip->add(t.file("data") + "/*.*"));
    ASSERT_TRUE(zip->addFileAs(t.file("snapshot.db"), "data/live.db"));
    for (const char* bad : {"../x", "/abs", "a/../../x", "dir/"})
        EXPECT_FALSE(zip->addFileAs(t.file("snapshot.db"), bad)) << bad;
    EXPECT_FALSE(zip->addFileAs(t.file("data/link.txt"), "l.txt")) << "a link is no file to archive";
    ASSERT_TRUE(zip->save());

    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(t.file("out.zip")).constData(), ZIP_RDONLY, &err);
    ASSERT_NE(za, nullptr);
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i)
        names << QString::fromUtf8(zip_get_name(za, zip_uint64_t(i), 0));
    names.sort();
    EXPECT_EQ(names, QStringList({"data/a.txt", "data/live.db"}));
    zip_stat_t st;
    ASSERT_EQ(zip_stat(za, "data/live.db", 0, &st), 0);
    EXPECT_EQ(st.size, 8u) << "the snapshot's bytes under the live file's name";
    zip_discard(za);
}
