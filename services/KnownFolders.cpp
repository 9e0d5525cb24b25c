#include "services/KnownFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

namespace ourcom {

namespace {

QString templatesFolder()
{
    // XDG_TEMPLATES_DIR lives in user-dirs.dirs; without it, ~/Templates.
    const QString home = QDir::homePath();
    QFile dirs(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/user-dirs.dirs"));
    if (dirs.size() < 64 * 1024 && dirs.open(QIODevice::ReadOnly)) {
        while (!dirs.atEnd()) {
            const QString line = QString::fromUtf8(dirs.readLine(4096)).trimmed();
            if (!line.startsWith(QLatin1String("XDG_TEMPLATES_DIR=")))
                continue;
            QString value = line.mid(18);
            if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            value.replace(QLatin1String("$HOME"), home);
            if (value.startsWith(QLatin1Char('/')))
                return QDir::cleanPath(value);
        }
    }
    return home + QStringLiteral("/Templates");
}

bool placeOf(std::int32_t csidl, QString& path)
{
    auto at = [](QStandardPaths::StandardLocation l) { return QStandardPaths::writableLocation(l); };
    switch (csidl) {
    case CSIDL_PERSONAL: path = at(QStandardPaths::DocumentsLocation); return true;
    case CSIDL_MYMUSIC: path = at(QStandardPaths::MusicLocation); return true;
    case CSIDL_MYVIDEO: path = at(QStandardPaths::MoviesLocation); return true;
    case CSIDL_DESKTOPDIRECTORY: path = at(QStandardPaths::DesktopLocation); return true;
    case CSIDL_TEMPLATES: path = templatesFolder(); return true;
    case CSIDL_APPDATA: path = at(QStandardPaths::GenericConfigLocation); return true;
    case CSIDL_LOCAL_APPDATA: path = at(QStandardPaths::GenericDataLocation); return true;
    case CSIDL_INTERNET_CACHE: path = at(QStandardPaths::GenericCacheLocation); return true;
    case CSIDL_MYPICTURES: path = at(QStandardPaths::PicturesLocation); return true;
    case CSIDL_PROFILE: path = at(QStandardPaths::HomeLocation); return true;
    default: return false;
    }
}

QString slashes(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

// Makes every missing folder of `path` (mode 0700); 0, ERROR_ALREADY_EXISTS or an errno code.
std::int32_t makeFolders(const QString& path)
{
    if (path.isEmpty() || path.size() >= kMaxFolderPath)
        return kFolderInvalidArg;
    const QString clean = QDir::cleanPath(path);
    QFileInfo info(clean);
    if (info.exists())
        return info.isDir() ? ERROR_ALREADY_EXISTS : static_cast<std::int32_t>(0x80070000u | EEXIST);
    QStringList missing;
    QString at = clean;
    while (!at.isEmpty() && !QFileInfo::exists(at)) {
        missing.prepend(at);
        const QString up = QFileInfo(at).path();
        if (up == at)
            break;
        at = up;
    }
    for (const QString& folder : missing) {
        const QByteArray native = QFile::encodeName(folder);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return static_cast<std::int32_t>(0x80070000u | static_cast<std::uint32_t>(errno));
    }
    return 0;
}

} // namespace

QString CSIDLFOLDER::folderPath(std::int32_t csidl)
{
    QString path;
    LASTRESULT = placeOf(csidl, path) && !path.isEmpty() ? 0 : kFolderInvalidArg;
    return LASTRESULT == 0 ? path : QString();
}

std::int32_t CSIDLFOLDER::createIn(std::int32_t csidl, const QString& subPath)
{
    const QString folder = folderPath(csidl);
    if (LASTRESULT != 0)
        return LASTRESULT;
    QString sub = slashes(subPath);
    while (sub.startsWith(QLatin1Char('/')))
        sub.remove(0, 1);
    if (sub.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return LASTRESULT = kFolderInvalidArg;
    LASTRESULT = makeFolders(folder + QLatin1Char('/') + sub);
    return LASTRESULT;
}

std::int32_t CSIDLFOLDER::create(const QString& path)
{
    const QString absolute = QDir::current().absoluteFilePath(slashes(path));
    LASTRESULT = makeFolders(absolute);
    return LASTRESULT;
}

SPECIALFOLDER::SPECIALFOLDER() : m_default(std::make_unique<CSIDLFOLDER>()), m_folder(m_default.get()) {}

void SPECIALFOLDER::SETISYSTEMFOLDER(ISYSTEMFOLDER* folder) { m_folder = folder ? folder : m_default.get(); }

QString SPECIALFOLDER::GETDIR(std::int32_t csidl) { return m_folder->folderPath(csidl); }

QString SPECIALFOLDER::GETDIR(std::int32_t csidl, const QString& subPath)
{
    const QString folder = GETDIR(csidl);
    const QString sub = slashes(subPath.trimmed());
    return sub.startsWith(QLatin1Char('/')) ? folder + sub : folder + QLatin1Char('/') + sub;
}

std::int32_t SPECIALFOLDER::CREATEDIRIN(std::int32_t csidl, const QString& subPath)
{
    return m_folder->createIn(csidl, subPath.left(kMaxFolderPath - 1));
}

std::int32_t SPECIALFOLDER::CREATEDIR(const QString& path) { return m_folder->create(path.left(kMaxFolderPath - 1)); }

std::int32_t SPECIALFOLDER::GETERROR() const { return m_folder->lastResult(); }

// ---- the library loader ------------------------------------------------------------------

DLLLOADCLASS::~DLLLOADCLASS() { UNLOADDLL(); }

bool DLLLOADCLASS::INITIALIZED() const { return !m_name.isEmpty(); }

void DLLLOADCLASS::SETDLL(const QString& name)
{
    if (!m_loaded)
        m_name = name.trimmed();
}

void DLLLOADCLASS::ADDPROCEDUREADDRESS(Procedure& variable, const QString& name)
{
    if (m_loaded)
        return;
    Entry e{name.trimmed(), &variable};
    auto at = std::upper_bound(m_entries.begin(), m_entries.end(), e,
                               [](const Entry& a, const Entry& b) { return a.name < b.name; });
    m_entries.insert(at, e);
}

bool DLLLOADCLASS::LOADDLL()
{
    if (m_loaded)
        return true;
    m_error.clear();
    if (!INITIALIZED()) {
        m_error = QStringLiteral("No library name is set.");
        return false;
    }
    QStringList candidates{m_name};
    QString base = m_name;
    if (base.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        base.chop(4);
    if (base != m_name || !m_name.contains(QLatin1String(".so"))) {
        candidates << QStringLiteral("lib") + base + QStringLiteral(".so") << base + QStringLiteral(".so");
    }
    for (const QString& c : candidates) {
        m_handle = ::dlopen(QFile::encodeName(c).constData(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle)
            break;
    }
    if (!m_handle) {
        m_error = QStringLiteral("The library %1 was not found.").arg(m_name);
        return false;
    }
    std::vector<Procedure*> filled;
    for (const Entry& e : m_entries) {
        if (!e.variable)
            continue;
        void* address = ::dlsym(m_handle, e.name.toUtf8().constData());
        if (!address)
            address = ::dlsym(m_handle, (e.name + QLatin1Char('A')).toUtf8().constData());
        if (!address) {
            // Nothing may point into a library that is about to go.
            for (Procedure* v : filled)
                *v = nullptr;
            m_error = QStringLiteral("The library %1 has no procedure %2.").arg(m_name, e.name);
            UNLOADDLL();
            return false;
        }
        *e.variable = reinterpret_cast<Procedure>(address);
        filled.push_back(e.variable);
    }
    m_loaded = true;
    return true;
}

void DLLLOADCLASS::UNLOADDLL()
{
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
    m_loaded = false;
}

} // namespace ourcom
