#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "controls/ComBase.h"
#include "controls/ZipLimits.h"

namespace controls {

// What the zip component tells while Save and Extract work, on the calling thread.
class ZipKitSink {
public:
    virtual ~ZipKitSink() = default;
    // Progress in percent, rising; setting `abort` stops the work.
    virtual void archiveProgress(int percent, bool& abort) {}
    // An entry would replace an existing file: true replaces it.
    virtual bool confirmOverwrite(const QString& name) { return false; }
};

// An entry name is safe when it is relative and every part stays below the archive's root.
bool isSafeEntryName(const QString& name);

// The zip-archive component over libzip. A failing operation answers false (count: no value)
// and leaves errorText(); the next operation clears it. Sinks are told of progress and asked
// before a file is replaced, on the calling thread.
class ZipKit : public QObject, public ComUnknown {
    Q_OBJECT
public:
    static QString progId();
    // Makes the component creatable by its program identifier (part of registering the
    // library's built-in components; idempotent).
    static void registerComponent();
    // The library file that serves the component.
    static QString serverFile();

    // What setStoreOptions selects.
    enum StoreOption : int32_t {
        StoreRecurse = 8,     // take the files of subfolders too
        StoreFolderName = 16, // names start with the listed folder's own name
    };
    // What setExtractOptions selects.
    enum ExtractOption : int32_t {
        ExtractOverwrite = 1, // replace existing files without asking the sinks
    };

    explicit ZipKit(QObject* parent = nullptr);
    ~ZipKit() override;

    int32_t AddRef() override;
    int32_t Release() override;

    // Adds the files a pattern names ("folder\*.*", "folder/*.txt", one file); names
    // matching `exclude` (a wildcard, empty for none) are left out.
    bool add(const QString& fileSpec, const QString& exclude = {});
    // Adds one file under the entry name given (replacing an entry of that name).
    bool addFileAs(const QString& file, const QString& entryName);
    // Files waiting for save().
    bool hasPending() const { return !m_pending.empty(); }
    // Writes the added files into the archive (an existing archive keeps its other entries);
    // nothing added is nothing to do. The archive is swapped in only when complete. A file
    // a pattern found that is gone when it is read is left out (see vanished()); a file added
    // by addFileAs must be there.
    bool save();
    // The files the last save() left out because they had gone.
    QStringList vanished() const { return m_vanished; }
    // Extracts the entries matching `pattern` (empty or "*.*": all) into `targetFolder`.
    bool extract(const QString& pattern, const QString& targetFolder);
    // Entries the archive file holds now (0 while there is no file).
    std::optional<int> count();

    // A new file name drops what was added and excluded for the old one.
    void setFileName(const QString& value);
    QString fileName() const { return m_fileName; }
    // With auto-save each add saves at once.
    void setAutoSave(bool value) { m_autoSave = value; }
    bool autoSave() const { return m_autoSave; }
    void setStoreOptions(int32_t value) { m_storeOptions = value; }
    int32_t storeOptions() const { return m_storeOptions; }
    void setExtractOptions(int32_t value) { m_extractOptions = value; }
    int32_t extractOptions() const { return m_extractOptions; }
    // Files and folders (with all they hold) that add() leaves out, by absolute path; kept
    // until the next setFileName.
    void setExcludedPaths(const QStringList& paths);
    // Bounds on what extract() unpacks: entries, each entry's size and the total.
    void setExtractCaps(const ZipCaps& caps) { m_extractCaps = caps; }

    // Why the last operation failed; empty after a success.
    QString errorText() const { return m_error; }
    // The last operation stopped because a sink asked it to.
    bool cancelled() const { return m_cancelled; }

    // A sink that is also a ComUnknown is held while connected.
    uint32_t advise(ZipKitSink* sink);
    bool unadvise(uint32_t cookie);

private:
    struct Pending {
        QString source;
        QString entryName;
        bool required = false; // added by name: its absence fails the save
    };
    bool writePending();
    bool dropVanished();
    bool begin();
    bool fail(const QString& description, bool cancelled = false);
    bool raiseProgress(double fraction);
    bool confirmOverwrite(const QString& name);

    std::atomic<int32_t> m_ref{1};
    QString m_fileName;
    bool m_autoSave = true;
    int32_t m_storeOptions = StoreRecurse | StoreFolderName;
    int32_t m_extractOptions = 0;
    ZipCaps m_extractCaps{100000, qint64(4) << 30, qint64(16) << 30};
    std::map<QString, Pending> m_pending; // by entry name: a later add replaces an earlier one
    QStringList m_excluded;
    QStringList m_vanished;
    std::map<uint32_t, ZipKitSink*> m_sinks;
    uint32_t m_nextCookie = 1;
    int m_lastPercent = -1;
    bool m_abort = false;
    QString m_error;
    bool m_cancelled = false;

    friend struct ZipKitCallbacks;
};

} // namespace controls
