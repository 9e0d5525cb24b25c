#include "procedures/backup/BackupRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

#include "data/TableManagers.h"
#include "procedures/common/ZipKitClient.h"
#include "runtime/Paths.h"
#include "runtime/PrivateFiles.h"
#include "runtime/SqliteDialect.h"

namespace notespass {

QString archiveBaseName(const QDateTime& at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    return QStringLiteral("Velmora_%1-%2-%3 %4-%5-%6")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

bool moveNoReplace(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link refuses an existing name just the same.
    if (::link(a.constData(), b.constData()) == 0) {
        ::unlink(a.constData());
        return true;
    }
    return false;
}

namespace {

// Passes the component's progress on and answers its Abort.
class ProgressSink : public VelmoraDll::IZipKitEvents {
public:
    ProgressSink(BackupRun& run, BackupSide& side) : m_run(run), m_side(side) {}
    void OnArchiveProgress(uint8_t percent, int16_t& abort) override
    {
        m_side.progress(percent);
        if (m_run.cancel)
            abort = 1;
    }

private:
    BackupRun& m_run;
    BackupSide& m_side;
};

QString describe(VelmoraDll::IZipKitClass& zip, const QString& fallback)
{
    QString text;
    return zip.GetErrorDescription(text) && !text.isEmpty() ? text : fallback;
}

BackupResult& failed(BackupResult& r, const QString& reason, const QString& detail = {})
{
    r.reason = reason;
    r.detail = detail;
    r.error = detail.isEmpty() ? reason : reason + QLatin1Char(' ') + detail;
    return r;
}

const QString kWorkPrefix = QStringLiteral(".Velmora_backup-");
const QString kWorkLockName = QStringLiteral(".lock");
// Held while work folders are cleaned or made, so a cleaning never meets a half-made one.
const QString kGuardName = QStringLiteral(".Velmora_backup.lock");
constexpr int kGuardWaitMs = 10000;

// Runs `work` under the destination's guard; false when the guard cannot be had.
template <class Work>
bool guarded(const QString& destination, Work&& work)
{
    QLockFile guard(QDir(destination).absoluteFilePath(kGuardName));
    guard.setStaleLockTime(0);
    if (!guard.tryLock(kGuardWaitMs))
        return false;
    work();
    return true;
}

// The work folders of backups that did not finish: their process was killed or crashed (its
// lock is stale) or they come from a build that did not lock them. One a running backup
// holds stays. The caller holds the destination's guard.
void removeStaleWorkLocked(const QString& destination)
{
    const QDir dir(destination);
    for (const QString& name : dir.entryList({kWorkPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        const QString folder = dir.absoluteFilePath(name);
        QLockFile lock(QDir(folder).filePath(kWorkLockName));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // a live backup's
        lock.unlock();
        QDir(folder).removeRecursively();
    }
}

bool inside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

} // namespace

void removeStaleWork(const QString& destination)
{
    const QString folder = vrt::normalizePath(destination.trimmed());
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    guarded(folder, [&] { removeStaleWorkLocked(folder); });
}

bool DatabaseSide::snapshot(const QString& target, QString* error)
{
    vrt::odbc::Error e;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&e);
    if (c && vrt::dialect::snapshotInto(*c, QFile::encodeName(target).toStdString(), &e))
        return true;
    if (error)
        *error = QString::fromStdString(e.text);
    return false;
}

BackupResult BackupRun::run(const BackupPlan& plan)
{
    BackupResult r;
    const QString destination = vrt::normalizePath(plan.destination.trimmed());
    const QFileInfo destInfo(destination);
    if (destination.isEmpty() || !destInfo.isDir()) {
        return failed(r, QStringLiteral("Odredišni direktorij ne postoji:"), destination);
    }
    // A listed folder that is gone is named in the result; the others are still archived.
    QStringList folders;
    for (const QString& f : plan.folders) {
        const QString folder = vrt::normalizePath(f.trimmed());
        if (folder.isEmpty())
            continue; // an empty row would otherwise name the root
        if (!QFileInfo(folder).isDir())
            r.missing << folder;
        else
            folders << QDir(folder).absolutePath();
    }
    if (folders.isEmpty()) {
        return failed(r, QStringLiteral("Nema direktorija za arhiviranje."), r.missing.join(QLatin1Char('\n')));
    }

    // Private to the user: the archive holds the whole database. The work folder is made and
    // locked while no other backup cleans the destination, so a cleaning never takes it.
    std::optional<QTemporaryDir> work;
    std::optional<QLockFile> workLock;
    const bool made = guarded(destination, [&] {
        removeStaleWorkLocked(destination);
        work.emplace(QDir(destination).absoluteFilePath(kWorkPrefix + QStringLiteral("XXXXXX")));
        if (!work->isValid())
            return;
        workLock.emplace(work->filePath(kWorkLockName));
        workLock->setStaleLockTime(0);
        workLock->tryLock(0);
    });
    if (!made || !work->isValid())
        return failed(r, QStringLiteral("U odredišni direktorij nije moguće pisati:"),
                      made ? destination + QStringLiteral(": ") + work->errorString() : destination);
    const QString partial = work->filePath(QStringLiteral("archive.zip"));

    const QString database = vrt::joinPath(vrt::normalizePath(plan.dataFolder), QStringLiteral("Files/Database.db"));
    const QString databaseCanonical = QFileInfo(database).canonicalFilePath();
    // The database goes in as a snapshot wherever a listed folder holds it.
    QStringList databaseEntries;
    for (const QString& folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (databaseCanonical.isEmpty() || !inside(databaseCanonical, canonical))
            continue;
        QDir base(canonical);
        if (!base.isRoot())
            base.cdUp();
        databaseEntries << base.relativeFilePath(databaseCanonical);
    }
    QString snapshotFile;
    if (!databaseEntries.isEmpty()) {
        m_side.progress(-1);
        snapshotFile = work->filePath(QStringLiteral("Database.db"));
        QString why;
        if (!m_side.snapshot(snapshotFile, &why)) {
            return failed(r, QStringLiteral("Kopiju baze podataka nije moguće napraviti:"), database + QStringLiteral(": ") + why);
        }
    }
    if (cancel) {
        r.cancelled = true;
        return failed(r, QStringLiteral("Prekinuto."));
    }

    VelmoraDll::IZipKitClass zip;
    zip.DEBUG = 0; // failures are reported once, at the end
    if (zip.Init() < 0) {
        return failed(r, QStringLiteral("Zip komponenta nije dostupna."), describe(zip, QString()));
    }
    ProgressSink sink(*this, m_side);
    sink.Connect(zip.GetInterface());
    // Store options 24: subfolders too, names starting with the listed folder's own name.
    // Extract options do not matter to writing; they are set as every caller sets them.
    const QStringList excluded{work->path(), database + QStringLiteral("-journal"), database + QStringLiteral("-wal"),
                               database + QStringLiteral("-shm"), database,
                               // the running organiser's lock: it means nothing in a copy
                               vrt::joinPath(vrt::normalizePath(plan.dataFolder), QStringLiteral(".velmora.lock"))};
    bool ok = zip.SetFileName(partial) >= 0 && zip.SetAutoSave(0) >= 0
              && zip.SetStoreOptions(controls::ZipKit::StoreRecurse | controls::ZipKit::StoreFolderName) >= 0
              && zip.SetExtractOptions(controls::ZipKit::ExtractOverwrite) >= 0 && zip.SetExcludedPaths(excluded) >= 0;
    for (int i = 0; ok && i < folders.size(); ++i)
        ok = zip.ADD_COM(folders[i] + QStringLiteral("/*.*"), QString(), 0) >= 0;
    for (int i = 0; ok && i < databaseEntries.size(); ++i)
        ok = zip.AddFileAs(snapshotFile, databaseEntries[i]) >= 0;
    controls::HRESULT saved = controls::E_FAIL;
    if (ok)
        saved = zip.Save();
    if (!ok || saved < 0) {
        r.cancelled = saved == controls::E_ABORT || cancel;
        if (r.cancelled)
            failed(r, QStringLiteral("Prekinuto."));
        else
            failed(r, QStringLiteral("Arhiva nije zapisana:"), describe(zip, QString()));
    } else if (saved == controls::S_FALSE || !QFileInfo(partial).isFile()) {
        failed(r, QStringLiteral("Nema datoteka za arhiviranje."));
    }
    if (zip.IZIPKITOBJ)
        r.missing << zip.IZIPKITOBJ->vanished();
    sink.Disconnect(zip.GetInterface());
    zip.Detach();
    if (!r.error.isEmpty())
        return r;

    vrt::makePrivate(partial);
    // Two runs in the same second: the later one takes the next free name.
    const QString base = QDir(destination).absoluteFilePath(archiveBaseName(plan.at));
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? base + QStringLiteral(".zip") : base + QStringLiteral(" (%1).zip").arg(n);
        if (moveNoReplace(partial, name)) {
            r.ok = true;
            r.archive = name;
            m_side.progress(100);
            return r;
        }
        if (errno != EEXIST) {
            return failed(r, QStringLiteral("Arhiva nije zapisana:"), name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
        }
    }
    return failed(r, QStringLiteral("Arhiva nije zapisana:"), base + QStringLiteral(".zip: ") + QString::fromLocal8Bit(std::strerror(EEXIST)));
}

} // namespace notespass
