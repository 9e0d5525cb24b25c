#include "controls/SkinFramework.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <QWidget>

namespace controls {
namespace {
QString readText(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

SkinFramework::SkinFramework(QObject* parent) : QObject(parent)
{
    m_sheet = readText(QStringLiteral(":/velmora/skin/KX.qss"));
}

bool SkinFramework::loadSkin(const QString& file, const QString&)
{
    const QString sheet = readText(file);
    if (sheet.isEmpty())
        return false;
    m_sheet = sheet;
    m_file = file;
    return true;
}

void SkinFramework::applyWindow(QWidget* window)
{
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(m_sheet);
    if (window)
        window->update();
}

} // namespace controls
