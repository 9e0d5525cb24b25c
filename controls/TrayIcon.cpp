#include "controls/TrayIcon.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

namespace controls {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent)
{
    m_icon = new QSystemTrayIcon(QIcon(QStringLiteral(":/velmora/icons/dudes.svg")), this);
    m_icon->setToolTip(QStringLiteral("Right-click to restore"));
    m_menu = new QMenu();
    connect(m_menu->addAction(QStringLiteral("&Restore")), &QAction::triggered, this,
            &TrayIcon::restoreChosen);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("&Close")), &QAction::triggered, this, &TrayIcon::closeChosen);
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
            emit doubleClicked();
        else if (r == QSystemTrayIcon::Trigger)
            emit leftClicked();
        else if (r == QSystemTrayIcon::Context)
            emit rightClicked();
    });
}

SystemTrayIcon::~SystemTrayIcon()
{
    delete m_menu;
}

bool SystemTrayIcon::add()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_icon->show();
    return m_icon->isVisible();
}

bool SystemTrayIcon::remove()
{
    m_icon->hide();
    return true;
}

void SystemTrayIcon::setIcon(const QIcon& icon)
{
    if (!icon.isNull())
        m_icon->setIcon(icon);
}

void SystemTrayIcon::setToolTip(const QString& text) { m_icon->setToolTip(text); }

bool SystemTrayIcon::isShown() const
{
    return m_icon->isVisible();
}

} // namespace controls
