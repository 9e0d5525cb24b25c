#include "controls/Images.h"

#include <QFileInfo>

#include "runtime/Paths.h"

namespace controls {

QIcon imageIcon(const QString& dataFolder, const QString& file)
{
    if (file.isEmpty())
        return {};
    // "~name" is an image built into the program; a full path is a file as it stands.
    const bool builtIn = file.startsWith(u'~');
    if (!builtIn && QFileInfo(file).isAbsolute() && QFileInfo(file).isFile())
        return QIcon(file);
    if (!builtIn && !dataFolder.isEmpty()) {
        const QString own = vrt::joinPath(vrt::joinPath(dataFolder, QStringLiteral("Images")), QFileInfo(file).fileName());
        if (QFileInfo(own).isFile())
            return QIcon(own);
    }
    const QString drawn = QStringLiteral(":/velmora/icons/%1.svg").arg(QFileInfo(builtIn ? file.mid(1) : file).completeBaseName());
    return QFileInfo::exists(drawn) ? QIcon(drawn) : QIcon();
}

} // namespace controls
