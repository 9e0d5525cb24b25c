#include "controls/Images.h"

#include <QFileInfo>

#include "runtime/Paths.h"

namespace controls {

QIcon imageIcon(const QString& dataFolder, const QString& file)
{
    if (file.isEmpty())
        return {};
    if (!dataFolder.isEmpty()) {
        const QString own = vrt::joinPath(vrt::joinPath(dataFolder, QStringLiteral("Images")), file);
        if (QFileInfo(own).isFile())
            return QIcon(own);
    }
    const QString drawn = QStringLiteral(":/velmora/icons/%1.svg").arg(QFileInfo(file).completeBaseName());
    return QFileInfo::exists(drawn) ? QIcon(drawn) : QIcon();
}

} // namespace controls
