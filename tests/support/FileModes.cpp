#include "tests/support/FileModes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>

namespace testsupport {

ScopedUmask::ScopedUmask(unsigned mask) : m_old(::umask(mode_t(mask))) {}
ScopedUmask::~ScopedUmask() { ::umask(mode_t(m_old)); }

QStringList notPrivate(const QString& folder)
{
    QStringList out;
    const auto check = [&](const QString& path) {
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || S_ISLNK(st.st_mode))
            return;
        const unsigned want = S_ISDIR(st.st_mode) ? 0700 : 0600;
        if ((st.st_mode & 07777) != want)
            out << QDir(folder).relativeFilePath(path) + QStringLiteral(" ") + QString::number(st.st_mode & 07777, 8);
    };
    check(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        check(it.next());
    return out;
}

} // namespace testsupport
