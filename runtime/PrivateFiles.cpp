#include "runtime/PrivateFiles.h"

#include "runtime/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace vrt {

namespace {

// 0700 for a folder, 0600 for a regular file; links and anything else are left alone.
bool setPrivateMode(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return false;
    mode_t mode = 0;
    if (S_ISDIR(st.st_mode))
        mode = 0700;
    else if (S_ISREG(st.st_mode))
        mode = 0600;
    else
        return S_ISLNK(st.st_mode);
    return (st.st_mode & 07777) == mode || ::chmod(name.constData(), mode) == 0;
}

bool isPrivateFolder(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 077) == 0;
}

} // namespace

bool makePrivateFolder(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir())
        return isPrivateFolder(path) || setPrivateMode(path);
    // Each folder made here is private from its first moment that counts: before anything
    // is written into it.
    const QString parent = QFileInfo(path).path();
    if (parent != path && !QFileInfo(parent).isDir() && !makePrivateFolder(parent))
        return false;
    return (QDir().mkdir(path) || QFileInfo(path).isDir()) && setPrivateMode(path);
}

bool makePrivate(const QString& path) { return setPrivateMode(path); }

void makePrivateTree(const QString& folder)
{
    if (!QFileInfo(folder).isDir() || QFileInfo(folder).isSymLink())
        return;
    setPrivateMode(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        setPrivateMode(it.next());
}

void makeDataFolderPrivate(const QString& dataFolder)
{
    for (const char* name : {"Email", "Excel"}) {
        const QString folder = joinPath(dataFolder, QString::fromLatin1(name));
        if (QFileInfo(folder).isDir() && !isPrivateFolder(folder))
            makePrivateTree(folder);
    }
    for (const QString& temp : QDir(dataFolder).entryList({QStringLiteral("HtmlFile_*.html")}, QDir::Files | QDir::Hidden))
        setPrivateMode(joinPath(dataFolder, temp));
}

} // namespace vrt
