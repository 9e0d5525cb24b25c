#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

#include "controls/ComBase.h"

namespace controls {

// The zip component's outgoing interface. A sink overrides the events it wants; answers given
// by reference (Abort, Confirm, names) travel back to the component.
class ZipKitEvents {
public:
    virtual ~ZipKitEvents() = default;
    // Item events carry no item object here; the pointer stays for the interface's shape.
    virtual void OnArchiveItemProgress(QObject* item, uint8_t progress, int16_t& abort) {}
    virtual void OnArchiveProgress(uint8_t progress, int16_t& abort) {}
    virtual void OnEvent3() {}
    virtual void OnConfirmOverwrite(QString& name, int16_t& confirm) {}
    virtual void OnConfirmProcessItem(QObject* item, int32_t processType, int16_t& confirm) {}
    virtual void OnConfirmSave(int16_t& confirm) {}
    virtual void OnEvent7() {}
    virtual void OnNeedPassword(QString& newPassword) {}
    virtual void OnRequestBlankDisk(int16_t& abort) {}
    virtual void OnRequestImage(int32_t imageNumber, QString& imageName, int16_t& abort) {}
    virtual void OnRequestLastDisk(int16_t& abort) {}
    virtual void OnRequestNthDisk(int32_t diskNumber, int16_t& abort) {}
    virtual void OnEvent14() {}
};

// An entry name is safe when it is relative and every part stays below the archive's root.
bool isSafeEntryName(const QString& name);

// The zip-archive component over libzip. Every operation returns a result code, negative on
// failure, with a description left through setErrorInfo. Events reach the connected sinks on
// the calling thread while Save and Extract work.
class ZipKit : public QObject, public ComUnknown {
    Q_OBJECT
public:
    static QString progId();
    // Makes the component creatable by its program identifier (part of registering the
    // library's built-in components; idempotent).
    static void registerComponent();
    // The library file that serves the component.
    static QString serverFile();

    // What SetStoreOptions selects.
    enum StoreOption : int32_t {
        StoreRecurse = 8,     // take the files of subfolders too
        StoreFolderName = 16, // names start with the listed folder's own name
    };
    // What SetExtractOptions selects.
    enum ExtractOption : int32_t {
        ExtractOverwrite = 1, // replace existing files without asking the sinks
    };

    explicit ZipKit(QObject* parent = nullptr);
    ~ZipKit() override;

    int32_t AddRef() override;
    int32_t Release() override;

    // Adds the files a pattern names ("folder\*.*", "folder/*.txt", one file); names
    // matching `exclude` (a wildcard, empty for none) are left out. `attributes` must be 0.
    HRESULT ADD_COM(const QString& fileSpec, const QString& exclude, int32_t attributes);
    HRESULT GetAutoSave(int16_t* value);
    HRESULT SetAutoSave(int16_t value);
    // Entries the archive file holds now.
    HRESULT Count(int32_t* value);
    // Extracts the entries matching `pattern` (empty or "*.*": all) into `targetFolder`.
    HRESULT Extract(const QString& pattern, const QString& targetFolder);
    HRESULT GetExtractOptions(int32_t* value);
    HRESULT SetExtractOptions(int32_t value);
    HRESULT GetFileName(QString* value);
    HRESULT SetFileName(const QString& value);
    // Writes the added files into the archive (an existing archive keeps its other entries).
    // S_FALSE when nothing was added. The archive is swapped in only when complete.
    HRESULT Save();
    HRESULT GetStoreOptions(int32_t* value);
    HRESULT SetStoreOptions(int32_t value);
    // Files and folders (with all they hold) that ADD_COM leaves out, by absolute path; kept
    // until the next SetFileName.
    HRESULT SetExcludedPaths(const QStringList& paths);
    // Adds one file under the entry name given (replacing an entry of that name).
    HRESULT AddFileAs(const QString& file, const QString& entryName);

    // The connection point for ZipKitEvents.
    HRESULT Advise(ZipKitEvents* sink, uint32_t* cookie);
    HRESULT Unadvise(uint32_t cookie);

private:
    struct Pending {
        QString source;
        QString entryName;
    };
    HRESULT fail(HRESULT hr, const QString& description);
    bool raiseProgress(double fraction);
    int16_t confirmOverwrite(const QString& name);

    std::atomic<int32_t> m_ref{1};
    QString m_fileName;
    int16_t m_autoSave = -1;
    int32_t m_storeOptions = StoreRecurse | StoreFolderName;
    int32_t m_extractOptions = 0;
    std::map<QString, Pending> m_pending; // by entry name: a later add replaces an earlier one
    QStringList m_excluded;
    std::map<uint32_t, ZipKitEvents*> m_sinks;
    uint32_t m_nextCookie = 1;
    int m_lastPercent = -1;
    bool m_abort = false;

    friend struct ZipKitCallbacks;
};

} // namespace controls
