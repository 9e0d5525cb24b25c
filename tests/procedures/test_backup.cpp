#include "controls/Controls.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/backup/BackupRun.h"
#include "procedures/backup/BackupWindow.h"
#include "procedures/common/OpenFiles.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/IniFile.h"
#include "runtime/Notify.h"
#include "runtime/UpdateDialog.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QLockFile>

#include <sys/wait.h>
#include <unistd.h>

using namespace notespass;

namespace {

// The run's side in a test: what the case does on progress and at the snapshot, the
// database's own snapshot otherwise.
struct ScriptedSide : DatabaseSide {
    std::function<void(int)> onProgress;
    std::function<bool(const QString&, QString*)> onSnapshot;
    void progress(int percent) override
    {
        if (onProgress)
            onProgress(percent);
    }
    bool snapshot(const QString& target, QString* error) override
    {
        return onSnapshot ? onSnapshot(target, error) : DatabaseSide::snapshot(target, error);
    }
};

struct ProcessRun {
    int code = -1;
    QString out;
};

ProcessRun run(const QString& program, const QStringList& args, const QString& cwd = {})
{
    QProcess p;
    if (!cwd.isEmpty())
        p.setWorkingDirectory(cwd);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

QStringList entries(const QString& archive)
{
    return run("unzip", {"-Z1", archive}).out.split('\n', Qt::SkipEmptyParts);
}

// Everything a folder holds, by relative path, with the files' contents.
std::map<QString, QByteArray> filesUnder(const QString& folder)
{
    std::map<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        out[QDir(folder).relativeFilePath(path)] = f.readAll();
    }
    return out;
}

QStringList leftIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class Backup : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped())
            return;
        controls::registerBuiltInControls(); // the frame does this at start
        dataFolder = m_folder->path();
        ASSERT_TRUE(QFileInfo::exists(dataFolder + "/Files/Database.db"));
    }
    // Mail bodies and attachments as the program keeps them, `n` mails of them.
    void writeMailFiles(int n)
    {
        for (int i = 1; i <= n; ++i) {
            const QString folder = QStringLiteral("%1/Email/%2").arg(dataFolder).arg(i);
            QDir().mkpath(folder);
            m_folder->write(QStringLiteral("Email/%1/body.html").arg(i), QStringLiteral("<p>Pošta %1</p>").arg(i).toUtf8());
            if (i % 50 == 0) {
                QByteArray attachment(200 * 1024, 0);
                for (char& c : attachment)
                    c = char(QRandomGenerator::global()->generate());
                m_folder->write(QStringLiteral("Email/%1/račun %1.pdf").arg(i), attachment);
            }
        }
    }
    BackupPlan plan(const QString& destination)
    {
        BackupPlan p;
        p.folders = {dataFolder};
        p.destination = destination;
        p.dataFolder = dataFolder;
        p.at = QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7));
        return p;
    }
    QString dataFolder;
    testsupport::TempFolder target;
};

} // namespace

TEST(BackupNames, ArchiveNameAndStoredPaths)
{
    const std::pair<QDateTime, const char*> names[] = {
        {QDateTime(QDate(2024, 1, 5), QTime(9, 3, 7)), "Velmora_5-1-2024 9-3-7"},
        {QDateTime(QDate(2011, 11, 15), QTime(17, 45, 30)), "Velmora_15-11-2011 17-45-30"},
        {QDateTime(QDate(2030, 12, 31), QTime(0, 0, 0)), "Velmora_31-12-2030 0-0-0"},
    };
    for (const auto& [at, name] : names)
        EXPECT_EQ(archiveBaseName(at), name);
    const std::pair<const char*, const char*> paths[] = {
        {"/home/ana/Velmora/", "/home/ana/Velmora"}, {"/home/ana/Velmora", "/home/ana/Velmora"},
        {"/", "/"}, {"C:\\Velmora\\", "C:\\Velmora"}, {"  ", ""}, {"/a//", "/a/"},
    };
    for (const auto& [typed, stored] : paths)
        EXPECT_EQ(storedBackupPath(typed), stored) << typed;
}

TEST_F(Backup, TheDataFolderIsOnTheListExactlyOnce)
{
    auto rows = [this] {
        QStringList out;
        for (const auto& r : query("SELECT PUTANJA FROM Backup ORDER BY ID"))
            out << QString::fromStdString(r);
        return out;
    };
    ASSERT_TRUE(ensureDataFolderRow(dataFolder));
    ASSERT_TRUE(ensureDataFolderRow(dataFolder));
    EXPECT_EQ(rows(), QStringList{dataFolder}) << "kept as it is, found again";
    // Another letter case is another folder on Linux.
    query("DELETE FROM Backup");
    Access(Tbl::Backup).clearBuffer();
    BKP().PUTANJA = dataFolder.toUpper().toStdString();
    ASSERT_EQ(Access(Tbl::Backup).Insert(), 0);
    ASSERT_TRUE(ensureDataFolderRow(dataFolder + "/"));
    EXPECT_EQ(rows(), QStringList({dataFolder.toUpper(), dataFolder}));
}

TEST_F(Backup, RoundTripThroughTheWindowKeepsEveryRecordAndFile)
{
    organiser::SampleSizes n;
    n.mails = 10000;
    n.contacts = 100;
    n.tasks = 100;
    const organiser::SampleResult sample = organiser::generateSampleData(n);
    ASSERT_TRUE(sample.error.isEmpty()) << sample.error.toStdString();
    writeMailFiles(400);
    QFile::link("/etc/hostname", dataFolder + "/outside-link"); // never followed
    vrt::IniFile(dataFolder + "/Standard.ini").put("Backup", "Destination", target.path());
    vrt::IniFile(dataFolder + "/Standard.ini").put("Backup", "OnStart", "1");

    testsupport::presenter().clear();
    int lastProgress = -1;
    bool closed = false;
    std::unique_ptr<organiser::OrganiserWindow> window;
    {
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            auto* bar = d.findChild<QProgressBar*>("?MN:PROGRESS");
            QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { lastProgress = v; });
            d.show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return d.result() != 0 || !testsupport::presenter().calls("message").empty(); }, 240000));
            closed = d.result() == QDialog::Accepted;
            return d.result();
        });
        // The start-up hand-off: the first fill of the task panel runs the backup at once.
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(organiser::W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        window->paneRoutines().FillTaskPanel();
        window->paneRoutines().FillTaskPanel(); // a refill backs up no more
    }
    EXPECT_TRUE(closed);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty()) << "a backup at start closes without a box";
    EXPECT_EQ(lastProgress, 100);
    const QStringList written = leftIn(target.path());
    ASSERT_EQ(written.size(), 1) << written.join(",").toStdString();
    ASSERT_TRUE(written[0].startsWith("Velmora_") && written[0].endsWith(".zip"));
    const QString zip = target.file(written[0]);
    EXPECT_EQ(QFileInfo(zip).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0) << "private to the user";
    const ProcessRun test = run("unzip", {"-t", zip});
    EXPECT_EQ(test.code, 0) << test.out.toStdString();

    const QString name = QFileInfo(dataFolder).fileName();
    const QStringList names = entries(zip);
    EXPECT_TRUE(names.contains(name + "/Files/Database.db"));
    for (const QString& e : names) {
        EXPECT_FALSE(e.contains("-wal") || e.contains("-shm") || e.contains("-journal")) << e.toStdString();
        EXPECT_FALSE(e.contains("outside-link")) << e.toStdString();
        EXPECT_TRUE(e.startsWith(name + "/")) << e.toStdString();
    }

    // Unpacked into an empty folder, the copy holds everything the data folder held.
    testsupport::TempFolder restored;
    ASSERT_EQ(run("unzip", {"-q", zip, "-d", restored.path()}).code, 0);
    const QString copy = restored.path() + "/" + name;
    EXPECT_EQ(run("sqlite3", {copy + "/Files/Database.db", "PRAGMA integrity_check"}).out.trimmed(), "ok");
    auto mailFiles = [](const QString& folder) { return filesUnder(folder + "/Email"); };
    const auto source = mailFiles(dataFolder), restoredMail = mailFiles(copy);
    EXPECT_EQ(source.size(), 400u + 8u);
    EXPECT_TRUE(source == restoredMail);
    std::map<std::string, int> before;
    for (const auto& t : query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))
        before[t] = count(t);
    window->shutDown();
    window.reset();

    // The program's data layer opens the copy and finds every record.
    THISPCPATH = copy.toStdString();
    ASSERT_EQ(W_First::OpenFilez(), 0);
    EXPECT_EQ(count("EMAIL"), 10000);
    for (const auto& [table, rows] : before)
        EXPECT_EQ(count(table), rows) << table;
}

TEST_F(Backup, AFailedBackupLeavesNoArchiveAndSaysWhy)
{
    writeMailFiles(120);
    struct Case {
        const char* name;
        std::function<void(ScriptedSide&, BackupRun&, BackupPlan&)> arrange;
        const char* says; // part of the reason
    };
    const QString missing = dataFolder + "/nema";
    const Case cases[] = {
        {"destination cannot be written", [](ScriptedSide&, BackupRun&, BackupPlan& p) { p.destination = "/proc"; }, "/proc"},
        {"no listed folder is there", [&](ScriptedSide&, BackupRun&, BackupPlan& p) { p.folders = {missing}; }, "nema"},
        {"snapshot fails",
         [](ScriptedSide& s, BackupRun&, BackupPlan&) {
             s.onSnapshot = [](const QString&, QString* why) {
                 *why = "disk I/O error";
                 return false;
             };
         },
         "disk I/O error"},
        {"cancelled", [](ScriptedSide& s, BackupRun& r, BackupPlan&) { s.onProgress = [&r](int percent) { r.cancel = percent >= 0; }; }, "Prekinuto"},
    };
    for (const Case& c : cases) {
        ScriptedSide side;
        BackupRun r(side);
        BackupPlan p = plan(target.path());
        c.arrange(side, r, p);
        const BackupResult result = r.run(p);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_TRUE(result.error.contains(c.says)) << c.name << ": " << result.error.toStdString();
        EXPECT_TRUE(leftIn(target.path()).isEmpty()) << c.name << ": " << leftIn(target.path()).join(",").toStdString();
    }
}

// A stale row or a file removed while the archive is written costs only that folder or file:
// everything else is archived, the database snapshot always, and the result names what was
// missing. Checked by unpacking the archive.
TEST_F(Backup, AMissingFolderOrAVanishedFileIsNamedAndEverythingElseIsArchived)
{
    writeMailFiles(120);
    const QString gone = dataFolder + "/Email/99/body.html";
    const QString stale = dataFolder + "/nema";
    ScriptedSide side;
    BackupRun r(side);
    BackupPlan p = plan(target.path());
    p.folders = QStringList{stale} + p.folders;
    bool removed = false;
    side.onProgress = [&](int percent) {
        if (percent >= 0 && !removed)
            removed = QFile::remove(gone);
    };
    const auto before = filesUnder(dataFolder + "/Email");
    const BackupResult result = r.run(p);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    ASSERT_TRUE(removed);
    EXPECT_EQ(result.missing, (QStringList{stale, gone}));

    testsupport::TempFolder restored;
    ASSERT_EQ(run("unzip", {"-q", result.archive, "-d", restored.path()}).code, 0);
    const QString copy = restored.path() + "/" + QFileInfo(dataFolder).fileName();
    EXPECT_EQ(run("sqlite3", {copy + "/Files/Database.db", "PRAGMA integrity_check"}).out.trimmed(), "ok");
    auto expected = before;
    expected.erase("99/body.html");
    EXPECT_EQ(filesUnder(copy + "/Email").size(), expected.size());
    EXPECT_TRUE(filesUnder(copy + "/Email") == expected);
}

// A backup killed while it writes leaves its work folder (a database copy, a partial
// archive); the next backup or start removes it, and never the one a running backup holds.
TEST_F(Backup, WorkFoldersOfInterruptedBackupsAreRemovedAndALiveOneStays)
{
    const auto leftover = [&](const QString& name) {
        const QString folder = target.file(name);
        QDir().mkpath(folder);
        QFile f(folder + "/Database.db");
        f.open(QIODevice::WriteOnly);
        f.write("copy");
        return folder;
    };
    // One from a build that did not lock it, one whose process died holding its lock.
    leftover(".Velmora_backup-Ab12Cd");
    const QString crashed = leftover(".Velmora_backup-Ef34Gh");
    if (const pid_t child = fork(); child == 0) {
        QLockFile lock(crashed + "/.lock");
        lock.tryLock(0);
        _exit(0); // dies holding it
    } else {
        ASSERT_GT(child, 0);
        int status = 0;
        waitpid(child, &status, 0);
    }
    ASSERT_TRUE(QFileInfo::exists(crashed + "/.lock"));
    const QString live = leftover(".Velmora_backup-Ij56Kl");
    QLockFile liveLock(live + "/.lock");
    ASSERT_TRUE(liveLock.tryLock(0));

    DatabaseSide plain;
    const BackupResult result = BackupRun(plain).run(plan(target.path()));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(leftIn(target.path()), (QStringList{".Velmora_backup-Ij56Kl", QFileInfo(result.archive).fileName()}));
    for (const QString& e : entries(result.archive))
        EXPECT_FALSE(e.contains(".Velmora_backup")) << e.toStdString();

    // At start: the stored destination is cleaned whether or not a backup runs then.
    leftover(".Velmora_backup-Mn78Op");
    vrt::IniFile(dataFolder + "/Standard.ini").put("Backup", "Destination", target.path());
    vrt::IniFile(dataFolder + "/Standard.ini").put("Backup", "OnStart", "0");
    const int frameId = vrt::registerReceiver(new QObject(qApp));
    std::unique_ptr<organiser::OrganiserWindow> window(organiser::W_First(frameId, nullptr));
    ASSERT_TRUE(window);
    window->paneRoutines().FillTaskPanel();
    EXPECT_EQ(leftIn(target.path()), (QStringList{".Velmora_backup-Ij56Kl", QFileInfo(result.archive).fileName()}));
    window->shutDown();
}

TEST_F(Backup, TwoRunsInOneSecondKeepBothArchives)
{
    const BackupPlan p = plan(target.path());
    DatabaseSide plain;
    BackupRun first(plain), second(plain);
    const BackupResult a = first.run(p), b = second.run(p);
    ASSERT_TRUE(a.ok) << a.error.toStdString();
    ASSERT_TRUE(b.ok) << b.error.toStdString();
    EXPECT_EQ(QFileInfo(a.archive).fileName(), "Velmora_5-1-2024 9-3-7.zip");
    EXPECT_EQ(QFileInfo(b.archive).fileName(), "Velmora_5-1-2024 9-3-7 (2).zip");
    for (const QString& z : {a.archive, b.archive})
        EXPECT_EQ(run("unzip", {"-t", z}).code, 0);
}

TEST_F(Backup, ADestinationInsideTheListedFolderIsNotArchivedIntoItself)
{
    writeMailFiles(20);
    const QString inside = dataFolder + "/Backups";
    QDir().mkpath(inside);
    QDir().mkpath(dataFolder + "/linked");
    QFile::link(target.path(), dataFolder + "/linked/elsewhere"); // a folder link out of the data folder
    target.write("secret.txt", "not for the archive");
    DatabaseSide plain;
    BackupRun r(plain);
    const BackupResult result = r.run(plan(inside));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    for (const QString& e : entries(result.archive)) {
        EXPECT_FALSE(e.contains(".Velmora_backup")) << e.toStdString();
        EXPECT_FALSE(e.contains("secret") || e.contains("elsewhere")) << e.toStdString();
    }
    EXPECT_EQ(leftIn(inside), QStringList{QFileInfo(result.archive).fileName()});
}

TEST_F(Backup, WindowMessagesAndSettings)
{
    const int frameId = vrt::registerReceiver(new QObject(qApp));
    std::unique_ptr<organiser::OrganiserWindow> window(organiser::W_First(frameId, nullptr));
    ASSERT_TRUE(window);
    testsupport::presenter().clear();
    // Empty destination: "Backup sada" and OK both say so; the window stays.
    {
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            QTest::mouseClick(d.findChild<QPushButton*>("?ZIP"), Qt::LeftButton);
            QTest::mouseClick(d.findChild<QPushButton*>("?OK"), Qt::LeftButton);
            EXPECT_EQ(d.result(), 0);
            d.findChild<QLineEdit*>("?BACKUPTODIR")->setText(target.path());
            d.findChild<QCheckBox*>("?BACKUPONSTART")->setChecked(true);
            // With VELMORA_SCREENSHOT_DIR set, the window is drawn there (docs/screenshots keeps it).
            if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
                d.show();
                QCoreApplication::processEvents();
                d.grab().save(out + "/backup-window.png");
            }
            QTest::mouseClick(d.findChild<QPushButton*>("?OK"), Qt::LeftButton);
            return d.result();
        });
        window->forms()->W_Backup(QString());
    }
    const auto said = testsupport::presenter().calls("message");
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0].text, "Odaberite odredišni direktorij !");
    EXPECT_EQ(said[1].text, "Odredišni direktorij nije odabran !");
    vrt::IniFile ini(dataFolder + "/Standard.ini");
    EXPECT_EQ(ini.get("Backup", "Destination"), target.path());
    EXPECT_EQ(ini.get("Backup", "OnStart"), "1");
    EXPECT_EQ(query("SELECT PUTANJA FROM Backup")[0], dataFolder.toStdString());
    EXPECT_TRUE(leftIn(target.path()).isEmpty()) << "nothing was written";

    // A folder added through its form loses one trailing separator; an empty one is refused.
    testsupport::presenter().clear();
    testsupport::presenter().queueFile(""); // the picker on insert, cancelled
    {
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            if (d.objectName() == "W_Backup") {
                QTest::mouseClick(d.findChild<QPushButton*>("?INSERT"), Qt::LeftButton);
                d.reject();
                return d.result();
            }
            auto& form = dynamic_cast<vrt::UpdateDialog&>(d);
            QTest::qWait(0); // the picker the insert opens by itself
            QTest::mouseClick(form.okButton(), Qt::LeftButton);
            EXPECT_EQ(d.result(), 0) << "an empty path names no folder";
            form.entry("BKP:PUTANJA")->setText(target.path() + "/");
            QTest::mouseClick(form.okButton(), Qt::LeftButton);
            return d.result();
        });
        window->forms()->W_Backup(QString());
    }
    EXPECT_EQ(query("SELECT PUTANJA FROM Backup ORDER BY ID")[1], target.path().toStdString());
    EXPECT_EQ(testsupport::presenter().calls("message").back().text, "Putanja nije upisana !");
}

TEST_F(Backup, AFailureIsNamedAndTheWindowStaysOpen)
{
    ASSERT_TRUE(ensureDataFolderRow(dataFolder));
    Access(Tbl::Backup).clearBuffer();
    BKP().PUTANJA = (dataFolder + "/uklonjeno").toStdString(); // a listed folder that is gone
    ASSERT_EQ(Access(Tbl::Backup).Insert(), 0);
    const int frameId = vrt::registerReceiver(new QObject(qApp));
    std::unique_ptr<organiser::OrganiserWindow> window(organiser::W_First(frameId, nullptr));
    ASSERT_TRUE(window);
    // Presses "Backup sada" once; true when the window stayed open after the message.
    const auto backUp = [&](const QString& destination) {
        vrt::IniFile(dataFolder + "/Standard.ini").put("Backup", "Destination", destination);
        testsupport::presenter().clear();
        bool stayedOpen = false;
        testsupport::ScopedDialogRunner r([&](QDialog& d) {
            d.show();
            QTest::mouseClick(d.findChild<QPushButton*>("?ZIP"), Qt::LeftButton);
            EXPECT_TRUE(QTest::qWaitFor([] { return !testsupport::presenter().calls("message").empty(); }, 60000));
            EXPECT_TRUE(QTest::qWaitFor([&] { return d.result() != 0 || d.findChild<QPushButton*>("?ZIP")->isEnabled(); }, 60000));
            stayedOpen = d.isVisible() && d.result() == 0;
            if (stayedOpen)
                d.reject();
            return d.result();
        });
        window->dispatcher().dispatch(1012); // the ribbon's backup command
        const auto said = testsupport::presenter().calls("message");
        EXPECT_EQ(said.size(), 1u);
        return std::make_pair(stayedOpen, said.empty() ? QString() : said[0].text);
    };
    // The gone folder is named; everything else is archived.
    const auto [doneOpen, done] = backUp(target.path());
    EXPECT_FALSE(doneOpen);
    EXPECT_TRUE(done.startsWith("Backup je spremljen:")) << done.toStdString();
    EXPECT_TRUE(done.contains(QString::fromUtf8("Nije pronađeno i nije arhivirano:\n") + dataFolder + "/uklonjeno"))
        << done.toStdString();
    EXPECT_EQ(leftIn(target.path()).size(), 1);
    // A destination that cannot be written fails, says why, and the window stays.
    const auto [failOpen, failure] = backUp("/proc");
    EXPECT_TRUE(failOpen);
    EXPECT_TRUE(failure.startsWith("Backup nije uspio:")) << failure.toStdString();
    EXPECT_TRUE(failure.contains("/proc")) << failure.toStdString();
}
