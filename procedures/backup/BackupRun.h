#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <atomic>

// Packing the listed folders into one zip archive: no widgets, runs on any thread.
namespace notespass {

// "Velmora_15-11-2011 17-45-30": day, month and hour without leading zeros.
QString archiveBaseName(const QDateTime& at);

struct BackupPlan {
    QStringList folders;    // rows of the list, in order; empty rows are skipped
    QString destination;    // the folder the archive goes into
    QString dataFolder;     // its Files/Database.db is archived as a snapshot
    QDateTime at;           // names the archive
};

struct BackupResult {
    bool ok = false;
    bool cancelled = false;
    QString archive; // the archive written
    QString reason;  // why it failed, a text of the program (translated when shown)
    QString detail;  // the file and the system's words, as they are
    QString error;   // both, for logs and tests
    QStringList missing; // listed folders and files that were gone: not in the archive
};

// What a run reports to and takes the database copy from; called on the running thread.
class BackupSide {
public:
    virtual ~BackupSide() = default;
    // Percent done; -1 while the database snapshot is taken.
    virtual void progress(int percent) = 0;
    // Writes a consistent copy of the database file into `target`; false: `error` says why.
    virtual bool snapshot(const QString& target, QString* error) = 0;
};

// No progress shown; the snapshot goes through the calling thread's connection.
class DatabaseSide : public BackupSide {
public:
    void progress(int) override {}
    bool snapshot(const QString& target, QString* error) override;
};

class BackupRun {
public:
    // `side` outlives the run.
    explicit BackupRun(BackupSide& side) : m_side(side) {}
    // Set from any thread: the run stops and leaves no archive.
    std::atomic<bool> cancel{false};

    // Everything goes to a private folder in the destination first; the archive is moved
    // to its own name only when complete, and never over another file.
    BackupResult run(const BackupPlan& plan);

private:
    BackupSide& m_side;
};

// Removes the work folders that interrupted backups left in `destination`; those of a backup
// still running stay.
void removeStaleWork(const QString& destination);

// Moves `from` to `to` only when nothing has that name; false with errno set otherwise.
bool moveNoReplace(const QString& from, const QString& to);

} // namespace notespass
