#include "controls/ZipKit.h"
#include "controls/ZipLimits.h"

#include "runtime/ComponentRegistry.h"
#include "runtime/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <dlfcn.h>
#include <malloc.h>
#include <zip.h>

namespace controls {

struct ZipKitCallbacks {
    static void progress(zip_t*, double fraction, void* self)
    {
        static_cast<ZipKit*>(self)->raiseProgress(fraction);
    }
    static int cancel(zip_t*, void* self) { return static_cast<ZipKit*>(self)->m_abort ? 1 : 0; }
};

namespace {

const QString kAll = QStringLiteral("*");

// "*.*" means every file in the old platform's wildcards, with or without a dot.
QString wildcardOf(const QString& w)
{
    return (w.isEmpty() || w == QLatin1String("*.*")) ? kAll : w;
}

bool matchesWildcard(const QString& wildcard, const QString& name)
{
    if (wildcard == kAll)
        return true;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(wildcard),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

QString libzipText(int code)
{
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

// Creates root/relative folder by folder, refusing to pass through a link or a file: a link
// planted inside the target could otherwise lead the write elsewhere.
bool makeFolderInside(const QString& root, const QString& relative)
{
    QString path = root;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        const QFileInfo fi(path);
        if (fi.isSymLink())
            return false;
        if (!fi.exists()) {
            if (!QDir().mkdir(path))
                return false;
        } else if (!fi.isDir()) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return false;
    if (name.size() >= 2 && name[1] == QLatin1Char(':') && name[0].isLetter())
        return false; // a drive letter
    QStringList parts = name.split(QLatin1Char('/'));
    if (name.endsWith(QLatin1Char('/')))
        parts.removeLast(); // a folder entry
    for (const QString& p : parts)
        if (p.isEmpty() || p == QLatin1String(".") || p == QLatin1String(".."))
            return false;
    return true;
}

QString ZipKit::progId() { return QStringLiteral("Velmora.ZipKit.1"); }

void ZipKit::registerComponent()
{
    vrt::ComponentRegistry::instance().registerFactory(progId(), [](QWidget*) -> QObject* {
        return new ZipKit;
    });
}

QString ZipKit::serverFile()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZipKit::serverFile), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return {};
}

ZipKit::ZipKit(QObject* parent) : QObject(parent) {}

ZipKit::~ZipKit()
{
    for (auto& [cookie, sink] : m_sinks)
        if (auto* unknown = dynamic_cast<ComUnknown*>(sink))
            unknown->Release();
}

int32_t ZipKit::AddRef() { return ++m_ref; }

int32_t ZipKit::Release()
{
    const int32_t n = --m_ref;
    if (n == 0)
        delete this;
    return n;
}

bool ZipKit::begin()
{
    m_error.clear();
    m_cancelled = false;
    return true;
}

bool ZipKit::fail(const QString& description, bool cancelled)
{
    m_error = description;
    m_cancelled = cancelled;
    return false;
}

bool ZipKit::add(const QString& fileSpec, const QString& exclude)
{
    begin();
    const QString pattern = vrt::normalizePath(fileSpec.trimmed());
    if (pattern.isEmpty())
        return fail(QStringLiteral("No file pattern"));

    const QFileInfo patternInfo(pattern);
    const bool wholeFolder = patternInfo.isDir();
    const QString folder = QDir(wholeFolder ? pattern : patternInfo.path()).absolutePath();
    const QString wildcard = wholeFolder ? kAll : wildcardOf(patternInfo.fileName());
    if (!QFileInfo(folder).isDir())
        return fail(folder + QStringLiteral(": No such folder"));
    const bool literalFile = !wildcard.contains(QLatin1Char('*')) && !wildcard.contains(QLatin1Char('?'));
    if (literalFile && !patternInfo.isFile())
        return fail(pattern + QStringLiteral(": No such file"));

    // Names are relative to the listed folder, or to its parent so they carry its name.
    QDir base(folder);
    if ((m_storeOptions & StoreFolderName) && !base.isRoot())
        base.cdUp();
    const bool recurse = (m_storeOptions & StoreRecurse) && !literalFile;

    const auto excluded = [this](const QFileInfo& file) {
        if (m_excluded.isEmpty())
            return false;
        const QString path = file.canonicalFilePath();
        for (const QString& e : m_excluded)
            if (path == e || path.startsWith(e + QLatin1Char('/')))
                return true;
        return false;
    };
    std::vector<Pending> found;
    // Links are left out: one inside a listed folder could lead the archive to any file.
    QDirIterator it(folder, {wildcard}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    recurse ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!exclude.isEmpty() && matchesWildcard(exclude, it.fileName()))
            continue;
        if (it.fileInfo().isSymLink() || excluded(it.fileInfo()))
            continue;
        const QString name = base.relativeFilePath(path);
        if (!isSafeEntryName(name))
            return fail(path + QStringLiteral(": Name outside the archive's root"));
        found.push_back({path, name, false});
    }
    for (Pending& p : found)
        m_pending[p.entryName] = std::move(p);
    return m_autoSave ? save() : true;
}

void ZipKit::setExcludedPaths(const QStringList& paths)
{
    m_excluded.clear();
    for (const QString& p : paths)
        if (!p.trimmed().isEmpty()) {
            const QFileInfo fi(vrt::normalizePath(p));
            const QString canonical = fi.canonicalFilePath();
            m_excluded << (canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical);
        }
}

bool ZipKit::addFileAs(const QString& file, const QString& entryName)
{
    begin();
    const QFileInfo fi(vrt::normalizePath(file));
    if (!fi.isFile() || fi.isSymLink())
        return fail(file + QStringLiteral(": No such file"));
    if (!isSafeEntryName(entryName) || entryName.endsWith(QLatin1Char('/')))
        return fail(entryName + QStringLiteral(": Name outside the archive's root"));
    m_pending[entryName] = {fi.absoluteFilePath(), entryName, true};
    return m_autoSave ? save() : true;
}

void ZipKit::setFileName(const QString& value)
{
    m_fileName = vrt::normalizePath(value.trimmed());
    m_pending.clear();
    m_vanished.clear();
    m_excluded.clear();
}

std::optional<int> ZipKit::count()
{
    begin();
    if (m_fileName.isEmpty() || !QFileInfo::exists(m_fileName))
        return 0;
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(m_fileName).constData(), ZIP_RDONLY, &err);
    if (!za) {
        fail(m_fileName + QStringLiteral(": ") + libzipText(err));
        return std::nullopt;
    }
    const int n = static_cast<int>(zip_get_num_entries(za, 0));
    zip_discard(za);
    return n;
}

bool ZipKit::raiseProgress(double fraction)
{
    const int percent = std::clamp(static_cast<int>(fraction * 100.0), 0, 100);
    if (percent <= m_lastPercent)
        return !m_abort;
    m_lastPercent = percent;
    const auto sinks = m_sinks; // a handler may disconnect
    for (const auto& [cookie, sink] : sinks) {
        bool abort = false;
        sink->archiveProgress(percent, abort);
        if (abort)
            m_abort = true;
    }
    return !m_abort;
}

bool ZipKit::confirmOverwrite(const QString& name)
{
    bool confirm = false;
    const auto sinks = m_sinks;
    for (const auto& [cookie, sink] : sinks)
        confirm = sink->confirmOverwrite(name) || confirm;
    return confirm;
}

bool ZipKit::save()
{
    begin();
    m_vanished.clear();
    if (m_fileName.isEmpty())
        return fail(QStringLiteral("No archive file name"));
    // A file found by a pattern that is gone by the time it is read is left out and named in
    // vanished(); the archive is written again without it rather than not at all.
    while (!m_pending.empty()) {
        if (writePending())
            return true;
        if (m_cancelled || !dropVanished())
            return false;
        begin();
    }
    return true;
}

bool ZipKit::dropVanished()
{
    bool dropped = false;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (!it->second.required && !QFileInfo::exists(it->second.source)) {
            m_vanished << it->second.source;
            it = m_pending.erase(it);
            dropped = true;
        } else {
            ++it;
        }
    }
    return dropped;
}

bool ZipKit::writePending()
{
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(m_fileName).constData(), ZIP_CREATE, &err);
    if (!za)
        return fail(m_fileName + QStringLiteral(": ") + libzipText(err));
    for (const auto& [name, p] : m_pending) {
        zip_source_t* src = zip_source_file(za, QFile::encodeName(p.source).constData(), 0, -1);
        if (!src) {
            const QString d = p.source + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(za));
            zip_discard(za);
            return fail(d);
        }
        const QByteArray utf8 = name.toUtf8();
        const zip_int64_t idx = zip_file_add(za, utf8.constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (idx < 0) {
            zip_source_free(src);
            const QString d = name + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(za));
            zip_discard(za);
            return fail(d);
        }
        // libzip's default is zlib's best (level 9): much slower for little gain. Level 6 is
        // what zip and zlib themselves default to.
        zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 6);
        zip_file_set_mtime(za, static_cast<zip_uint64_t>(idx),
                           QFileInfo(p.source).lastModified().toSecsSinceEpoch(), 0);
    }

    m_lastPercent = -1;
    m_abort = false;
    zip_register_progress_callback_with_state(za, 0.01, &ZipKitCallbacks::progress, nullptr, this);
    zip_register_cancel_callback_with_state(za, &ZipKitCallbacks::cancel, nullptr, this);
    // libzip writes a temporary file and renames it at the end: a failed or cancelled save
    // leaves neither a partial archive nor a damaged old one.
    // Every entry gets its own deflate state of about 256 KB. With the default trim threshold
    // the heap gives that back and takes it again for each file, and the page faults cost
    // three times the compression on a folder of small mails; the heap keeps it meanwhile.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    const int closed = zip_close(za);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    if (closed < 0) {
        const bool cancelled = zip_error_code_zip(zip_get_error(za)) == ZIP_ER_CANCELLED;
        QString d = m_fileName + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(za));
        // libzip does not say which file failed; name the first one that cannot be read now.
        for (const auto& [name, p] : m_pending) {
            QFile source(p.source);
            if (!source.open(QIODevice::ReadOnly)) {
                d = p.source + QStringLiteral(": ") + source.errorString();
                break;
            }
        }
        zip_discard(za);
        return fail(d, cancelled);
    }
    raiseProgress(1.0);
    m_pending.clear();
    return true;
}

bool ZipKit::extract(const QString& pattern, const QString& targetFolder)
{
    begin();
    if (m_fileName.isEmpty())
        return fail(QStringLiteral("No archive file name"));
    const QString target = QDir(vrt::normalizePath(targetFolder)).absolutePath();
    if (targetFolder.trimmed().isEmpty() || !QDir().mkpath(target))
        return fail(target + QStringLiteral(": Cannot create the folder"));

    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(m_fileName).constData(), ZIP_RDONLY, &err);
    if (!za)
        return fail(m_fileName + QStringLiteral(": ") + libzipText(err));
    const auto failClosed = [&](const QString& d, bool cancelled = false) {
        zip_discard(za);
        return fail(d, cancelled);
    };

    // Every name and the count are checked before anything is written, so a hostile archive
    // writes nothing; sizes are checked while inflating.
    CappedZipReader reader(za, m_extractCaps);
    const qint64 n = reader.checkEntries();
    if (n < 0)
        return failClosed(reader.error());
    const QString wildcard = wildcardOf(pattern.trimmed());
    std::vector<std::pair<zip_uint64_t, QString>> entries;
    for (qint64 i = 0; i < n; ++i) {
        const QString name = reader.name(zip_uint64_t(i));
        const QString leaf = name.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
        if (matchesWildcard(wildcard, leaf))
            entries.emplace_back(static_cast<zip_uint64_t>(i), name);
    }

    m_lastPercent = -1;
    m_abort = false;
    raiseProgress(0.0);
    for (size_t k = 0; k < entries.size(); ++k) {
        const auto& [index, name] = entries[k];
        const bool folderEntry = name.endsWith(QLatin1Char('/'));
        const QString folder = folderEntry ? name : name.section(QLatin1Char('/'), 0, -2);
        if (!makeFolderInside(target, folder))
            return failClosed(QStringLiteral("Unsafe name in archive: ") + name);
        if (!folderEntry) {
            const QString dest = target + QLatin1Char('/') + name;
            const QFileInfo destInfo(dest);
            if ((destInfo.exists() || destInfo.isSymLink()) && !(m_extractOptions & ExtractOverwrite)
                && !confirmOverwrite(name))
                continue;
            if (destInfo.isDir())
                return failClosed(dest + QStringLiteral(": A folder has this name"));
            // A link would redirect the write; the new file takes its place instead.
            if (destInfo.isSymLink())
                QFile::remove(dest);
            QSaveFile out(dest);
            if (!out.open(QIODevice::WriteOnly))
                return failClosed(dest + QStringLiteral(": ") + out.errorString());
            bool written = true;
            if (!reader.read(index, [&](const char* data, qint64 size) { return written = out.write(data, size) == size; }))
                return failClosed(written ? reader.error() : dest + QStringLiteral(": ") + out.errorString());
            if (!out.commit())
                return failClosed(dest + QStringLiteral(": ") + out.errorString());
        }
        if (!raiseProgress(static_cast<double>(k + 1) / static_cast<double>(entries.size())))
            return failClosed(libzipText(ZIP_ER_CANCELLED), true);
    }
    zip_discard(za);
    raiseProgress(1.0);
    return true;
}

uint32_t ZipKit::advise(ZipKitSink* sink)
{
    if (!sink)
        return 0;
    if (auto* unknown = dynamic_cast<ComUnknown*>(sink))
        unknown->AddRef();
    const uint32_t cookie = m_nextCookie++;
    m_sinks[cookie] = sink;
    return cookie;
}

bool ZipKit::unadvise(uint32_t cookie)
{
    const auto it = m_sinks.find(cookie);
    if (it == m_sinks.end())
        return false;
    ZipKitSink* sink = it->second;
    m_sinks.erase(it);
    if (auto* unknown = dynamic_cast<ComUnknown*>(sink))
        unknown->Release();
    return true;
}

} // namespace controls

