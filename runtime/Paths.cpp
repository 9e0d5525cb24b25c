#include "runtime/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace vrt {

QString normalizePath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString out;
    out.reserve(p.size());
    for (QChar c : p) {
        if (c == QLatin1Char('/') && out.endsWith(QLatin1Char('/')))
            continue;
        out.append(c);
    }
    if (out.size() > 1 && out.endsWith(QLatin1Char('/')))
        out.chop(1);
    return out;
}

QString joinPath(const QString& folder, const QString& name)
{
    const QString f = normalizePath(folder);
    const QString n = normalizePath(name);
    if (f.isEmpty())
        return n;
    if (n.isEmpty())
        return f;
    QString rel = n;
    if (rel.startsWith(QLatin1String("./")))
        rel = rel.mid(2);
    while (rel.startsWith(QLatin1Char('/')))
        rel = rel.mid(1);
    if (f == QLatin1String("/"))
        return f + rel;
    return f + QLatin1Char('/') + rel;
}

QString currentFolder()
{
    const QString cwd = QDir::currentPath();
    const QString canon = QFileInfo(cwd).canonicalFilePath();
    return canon.isEmpty() ? cwd : canon;
}

bool isInsideFolder(const QString& folder, const QString& path)
{
    const QString base = QDir::cleanPath(QDir(normalizePath(folder)).absolutePath());
    const QString full = QDir::cleanPath(QDir(base).absoluteFilePath(normalizePath(path)));
    return full == base || full.startsWith(base + QLatin1Char('/'));
}

QString safeFileName(const QString& name, const QString& fallback)
{
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7f || c == QLatin1Char('/') || c == QLatin1Char('\\')
            || c == QLatin1Char(':') || c == QLatin1Char('*') || c == QLatin1Char('?')
            || c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char('|'))
            out.append(QLatin1Char('_'));
        else
            out.append(c);
    }
    out = out.trimmed();
    // A name made only of dots would climb out of (or stay in) the folder.
    bool onlyDots = !out.isEmpty();
    for (QChar c : out)
        if (c != QLatin1Char('.'))
            onlyDots = false;
    if (out.isEmpty() || onlyDots)
        return fallback;
    return out;
}

} // namespace vrt
