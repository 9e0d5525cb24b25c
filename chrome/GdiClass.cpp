#include "chrome/GdiClass.h"

#include <QFile>
#include <QIcon>
#include <QMutex>
#include <QPainter>
#include <QtEndian>
#include <map>

#include "controls/Images.h"
#include "data/Globals.h"

namespace {

QMutex g_modulesLock;

QString moduleKey(const QString& module)
{
    return (module.trimmed().isEmpty() ? IconRegistry::applicationModule() : module.trimmed()).toUpper();
}

QImage sized(const QImage& image, int width, int height)
{
    if (image.isNull())
        return {};
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    if (out.size() != QSize(width, height))
        out = out.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

// The application's icons are the image files of the data folder, else the built-in drawings.
QImage applicationIcon(const QString& resourceName, int width, int height)
{
    if (!resourceName.endsWith(QLatin1String("_ICO"), Qt::CaseInsensitive))
        return {};
    const QString file = resourceName.chopped(4) + QStringLiteral(".ico");
    const QIcon icon = controls::imageIcon(corvalde::dataFolder(), file);
    return icon.isNull() ? QImage() : sized(icon.pixmap(width, height).toImage(), width, height);
}

std::map<QString, IconRegistry::Loader>& modules()
{
    static std::map<QString, IconRegistry::Loader> m{{moduleKey({}), applicationIcon}};
    return m;
}

} // namespace

QImage IconRegistry::load(const QString& module, const QString& resourceName, int width, int height)
{
    if (width <= 0 || height <= 0 || resourceName.trimmed().isEmpty())
        return {};
    Loader loader;
    {
        QMutexLocker lock(&g_modulesLock);
        const auto it = modules().find(moduleKey(module));
        if (it != modules().end())
            loader = it->second;
    }
    if (loader)
        if (QImage found = loader(resourceName.trimmed(), width, height); !found.isNull())
            return sized(found, width, height);
    const QString path = QStringLiteral(":/%1/%2").arg(module.trimmed().isEmpty() ? applicationModule() : module.trimmed(),
                                                       resourceName.trimmed());
    if (!QFile::exists(path))
        return {};
    return sized(QIcon(path).pixmap(width, height).toImage(), width, height);
}

IconRegistry::Loader IconRegistry::registerModule(const QString& module, Loader loader)
{
    QMutexLocker lock(&g_modulesLock);
    Loader& slot = modules()[moduleKey(module)];
    Loader old = std::move(slot);
    slot = std::move(loader);
    if (!slot)
        modules().erase(moduleKey(module));
    return old;
}

QString CFCGDICLASS::resourceName(const QString& iconFile)
{
    QString name = iconFile;
    while (!name.isEmpty() && name.back() == u' ')
        name.chop(1);
    return name.chopped(std::min<qsizetype>(4, name.size())) + QStringLiteral("_ICO");
}

QImage CFCGDICLASS::LOADICONFROMDLL(const QString& iconFile, const QString& module, int width, int height) const
{
    return IconRegistry::load(module, resourceName(iconFile), width, height);
}

QImage CFCGDICLASS::CREATEDISABLEDICON(const QImage& icon)
{
    if (icon.isNull())
        return {};
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(row[x]) == 0) {
                row[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const int grey = int(0.30 * qRed(row[x]) + 0.59 * qGreen(row[x]) + 0.11 * qBlue(row[x]));
            const int light = pxp::redOf(LIGHTENCOLOR(100, pxp::rgb(grey, grey, grey)));
            row[x] = qRgba(light, light, light, 255);
        }
    }
    return out;
}

QImage CFCGDICLASS::CONVERTICOTOBMP(const QImage& icon, QColor fill, int width, int height)
{
    QImage out(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    out.fill(fill.isValid() ? fill : toQColor(pxp::sysColor(pxp::COLOR_BTNFACE)));
    QPainter p(&out);
    if (!icon.isNull())
        p.drawImage(QPoint(0, 0), icon);
    return out;
}

pxp::COLORREF CFCGDICLASS::LIGHTENCOLOR(long amount, pxp::COLORREF colour)
{
    // MulDiv rounds half away from zero.
    const auto lighten = [amount](int c) {
        const long num = long(255 - c) * amount;
        const long q = (std::abs(num) * 2 + 255) / 510;
        return int(c + (num < 0 ? -q : q));
    };
    return pxp::rgb(lighten(pxp::redOf(colour)), lighten(pxp::greenOf(colour)), lighten(pxp::blueOf(colour)));
}

QByteArray CFCGDICLASS::CREATEVERTEX(pxp::COLORREF colour)
{
    QByteArray v(16, '\0');
    auto* d = reinterpret_cast<uchar*>(v.data());
    qToLittleEndian<quint16>(quint16(pxp::redOf(colour) << 8), d + 8);
    qToLittleEndian<quint16>(quint16(pxp::greenOf(colour) << 8), d + 10);
    qToLittleEndian<quint16>(quint16(pxp::blueOf(colour) << 8), d + 12);
    return v;
}
