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

struct RecordingSink : ZipKitEvents {
    std::vector<int> progress;
    int abortAt = -1;
    int16_t confirmAnswer = 0;
    QStringList askedOverwrite;
    void OnArchiveProgress(uint8_t p, int16_t& abort) override
    {
        progress.push_back(p);
        if (abortAt >= 0 && p >= abortAt)
            abort = 1;
    }
    void OnConfirmOverwrite(QString& name, int16_t& confirm) override
    {
        askedOverwrite << name;
        confirm = confirmAnswer;
    }
};

struct Kit {
    ZipKit* kit = new ZipKit;
    ~Kit() { kit->Release(); }
    ZipKit* operator->() const { return kit; }
};

QString lastError()
{
    QString d;
    takeErrorInfo(&d);
    return d;
}

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
    uint32_t cookie = 0;
    ASSERT_EQ(kit->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(kit->SetFileName(archive), S_OK);
    EXPECT_EQ(kit->SetAutoSave(0), S_OK);
    EXPECT_EQ(kit->SetStoreOptions(24), S_OK);
    EXPECT_EQ(kit->SetExtractOptions(1), S_OK);
    EXPECT_EQ(kit->ADD_COM(t.path() + "\\Files\\*.*", QString(), 0), S_OK);
    EXPECT_EQ(kit->ADD_COM(t.path() + "/Email\\*.*", QString(), 0), S_OK);
    EXPECT_FALSE(QFileInfo::exists(archive)) << "nothing is written before Save";
    ASSERT_EQ(kit->Save(), S_OK) << lastError().toStdString();

    ASSERT_FALSE(sink.progress.empty());
    EXPECT_EQ(sink.progress.front(), 0);
    EXPECT_EQ(sink.progress.back(), 100);
    for (size_t i = 1; i < sink.progress.size(); ++i)
        EXPECT_LT(sink.progress[i - 1], sink.progress[i]);

    int32_t count = 0;
    EXPECT_EQ(kit->Count(&count), S_OK);
    EXPECT_EQ(count, 4);

    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (!unzip.isEmpty()) {
        QProcess p;
        p.start(unzip, {QStringLiteral("-t"), archive});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    }

    const QString restored = t.file("restored");
    ASSERT_EQ(kit->Extract(QString(), restored), S_OK) << lastError().toStdString();
    for (const char* name : {"Files/Database.db", "Files/Priloži/Račun čćžšđ.pdf", "Email/.hidden",
                             "Email/poruka.html"}) {
        const QString rel = QString::fromUtf8(name);
        QFile f(restored + '/' + rel);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(f.readAll(), t.read(rel)) << name;
    }
    EXPECT_EQ(kit->Unadvise(cookie), S_OK);
    EXPECT_EQ(kit->Unadvise(cookie), CONNECT_E_NOCONNECTION);
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
        kit->SetFileName(archive);
        QDir().mkpath(t.file("deep/target"));
        EXPECT_EQ(kit->Extract(QString(), t.file("deep/target")), E_FAIL) << name.constData();
        EXPECT_EQ(lastError(), "Unsafe name in archive: " + QString::fromUtf8(name));
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
    kit->SetFileName(archive);
    kit->SetExtractOptions(ZipKit::ExtractOverwrite);
    EXPECT_EQ(kit->Extract(QString(), t.file("target")), E_FAIL);
    EXPECT_TRUE(lastError().startsWith("Unsafe name in archive: link/x"));
    EXPECT_FALSE(QFileInfo::exists(t.file("outside/x")));

    // A link in place of a file is replaced by the file, never written through.
    writeRawArchive(archive, {"file"});
    EXPECT_EQ(kit->Extract(QString(), t.file("target")), S_OK) << lastError().toStdString();
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
    uint32_t cookie = 0;
    kit->Advise(&sink, &cookie);
    kit->SetFileName(t.file("a.zip"));
    ASSERT_EQ(kit->Extract(QStringLiteral("*.txt"), t.file("target")), S_OK);
    EXPECT_EQ(sink.askedOverwrite, QStringList{"a.txt"});
    EXPECT_EQ(t.read("target/a.txt"), QByteArray("mine"));
    sink.confirmAnswer = 1;
    ASSERT_EQ(kit->Extract(QString(), t.file("target")), S_OK);
    EXPECT_EQ(t.read("target/a.txt"), QByteArray("pwned"));
    kit->Unadvise(cookie);
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
    uint32_t cookie = 0;
    kit->Advise(&sink, &cookie);
    kit->SetFileName(archive);
    kit->SetAutoSave(0);
    ASSERT_EQ(kit->ADD_COM(t.file("data") + "\\*.*", QString(), 0), S_OK);
    EXPECT_EQ(kit->Save(), E_ABORT);
    EXPECT_FALSE(lastError().isEmpty());
    EXPECT_EQ(t.read("b.zip"), before) << "the old archive stays whole";
    EXPECT_TRUE(QDir(t.path()).entryList({"b.zip*"}, QDir::Files | QDir::Hidden).size() == 1)
        << "no temporary file is left";
    kit->Unadvise(cookie);
}

TEST(ZipKit, FailuresCarryADescription)
{
    testsupport::TempFolder t;
    t.write("d/a.txt", "a");
    struct Case {
        const char* what;
        std::function<HRESULT(ZipKit&)> call;
        HRESULT expected;
    };
    const Case cases[] = {
        {"missing folder", [&](ZipKit& k) { return k.ADD_COM(t.file("nema") + "\\*.*", {}, 0); }, E_FAIL},
        {"missing file", [&](ZipKit& k) { return k.ADD_COM(t.file("d/b.txt"), {}, 0); }, E_FAIL},
        {"attributes", [&](ZipKit& k) { return k.ADD_COM(t.file("d"), {}, 7); }, E_INVALIDARG},
        {"no file name", [&](ZipKit& k) { return k.Save(); }, E_FAIL},
        {"unwritable place", [&](ZipKit& k) {
             k.SetFileName(t.file("nema/x.zip"));
             k.SetAutoSave(0);
             k.ADD_COM(t.file("d"), {}, 0);
             return k.Save();
         }, E_FAIL},
        {"not an archive", [&](ZipKit& k) {
             k.SetFileName(t.file("d/a.txt"));
             return k.Extract({}, t.file("x"));
         }, E_FAIL},
    };
    for (const Case& c : cases) {
        Kit kit;
        clearErrorInfo();
        EXPECT_EQ(c.call(*kit.kit), c.expected) << c.what;
        EXPECT_FALSE(lastError().isEmpty()) << c.what;
    }
    Kit kit;
    kit->SetFileName(t.file("empty.zip"));
    EXPECT_EQ(kit->Save(), S_FALSE) << "nothing added: nothing to write";
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
    ASSERT_EQ(zip->SetFileName(t.file("out.zip")), S_OK);
    ASSERT_EQ(zip->SetAutoSave(0), S_OK);
    ASSERT_EQ(zip->SetStoreOptions(ZipKit::StoreRecurse | ZipKit::StoreFolderName), S_OK);
    ASSERT_EQ(zip->SetExcludedPaths({t.file("data/skip"), t.file("data/live.db")}), S_OK);
    ASSERT_EQ(zip->ADD_COM(t.file("data") + "/*.*", QString(), 0), S_OK);
    ASSERT_EQ(zip->AddFileAs(t.file("snapshot.db"), "data/live.db"), S_OK);
    for (const char* bad : {"../x", "/abs", "a/../../x", "dir/"})
        EXPECT_LT(zip->AddFileAs(t.file("snapshot.db"), bad), 0) << bad;
    EXPECT_LT(zip->AddFileAs(t.file("data/link.txt"), "l.txt"), 0) << "a link is no file to archive";
    ASSERT_EQ(zip->Save(), S_OK);

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
