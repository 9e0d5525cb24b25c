#include "controls/Images.h"

#include <QFileInfo>
#include <QHash>
#include <QIconEngine>

#include "runtime/Paths.h"

namespace controls {

namespace {

// A built-in drawing read when it is first drawn or measured: making the icon parses its SVG,
// and most of the program's icons (ribbon tabs not shown, menus not opened) are never drawn.
class DrawingEngine : public QIconEngine {
public:
    explicit DrawingEngine(const QString& file) : m_file(file) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override { return icon().availableSizes(mode, state); }
    // Only drawings that exist get an engine; reading one to answer this would parse it.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("velmora-drawing"); }
    QIconEngine* clone() const override { return new DrawingEngine(*this); }

private:
    const QIcon& icon()
    {
        if (!m_read) {
            m_icon = QIcon(m_file);
            m_read = true;
        }
        return m_icon;
    }

    QString m_file;
    QIcon m_icon;
    bool m_read = false;
};

} // namespace

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
    // The drawings are built in and never change: each is made once and shared (the start-up
    // alone asks for the same ones many times).
    static QHash<QString, QIcon> drawings;
    auto known = drawings.constFind(drawn);
    if (known == drawings.constEnd())
        known = drawings.insert(drawn, QFileInfo::exists(drawn) ? QIcon(new DrawingEngine(drawn)) : QIcon());
    return *known;
}

} // namespace controls
