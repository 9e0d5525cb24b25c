#include "chrome/WindowExtender.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

#include "controls/TrayIcon.h"

WINDOWEXTENDERCLASS::WINDOWEXTENDERCLASS(QObject* parent) : QObject(parent)
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
            if (s == Qt::ApplicationInactive)
                TAKEDEACTIVATION();
        });
        connect(app, &QGuiApplication::commitDataRequest, this, &WINDOWEXTENDERCLASS::commitData);
    }
}

WINDOWEXTENDERCLASS::~WINDOWEXTENDERCLASS()
{
    if (ONTRAY)
        DELETETRAYICON();
}

void WINDOWEXTENDERCLASS::setTray(controls::TrayIcon* tray)
{
    if (m_tray)
        disconnect(m_tray, nullptr, this, nullptr);
    m_tray = tray;
    if (!tray)
        return;
    // Reported after the click in hand, as a posted notification would be.
    connect(tray, &controls::TrayIcon::leftClicked, this, [this] { trayClicked(1633); }, Qt::QueuedConnection);
    connect(tray, &controls::TrayIcon::rightClicked, this, [this] { trayClicked(1634); }, Qt::QueuedConnection);
    connect(tray, &controls::TrayIcon::doubleClicked, this, [this] { trayClicked(1635); }, Qt::QueuedConnection);
}

void WINDOWEXTENDERCLASS::INIT(QWidget* window, bool allowShutdown, bool allowTrayIcon, const QString& iconName,
                               const QString& tooltip)
{
    m_window = window;
    ALLOWSHUTDOWN = allowShutdown;
    ALLOWTRAYICON = allowTrayIcon;
    TOTRAYONLOSEFOCUS = false;
    SETICONNAME(iconName);
    if (!tooltip.isNull())
        SETTOOLTIP(tooltip);
}

QString WINDOWEXTENDERCLASS::iconResourceName(const QString& name)
{
    QString n = name.left(127);
    if (n.size() >= 4 && n.at(n.size() - 4) == QLatin1Char('.'))
        n[n.size() - 4] = QLatin1Char('_');
    return n;
}

void WINDOWEXTENDERCLASS::SETICONNAME(const QString& name)
{
    ICONNAME = iconResourceName(name);
    m_icon = m_icons && !ICONNAME.isEmpty() ? m_icons->iconOf(ICONNAME) : QIcon();
    if (ONTRAY && ALLOWTRAYICON)
        MODIFYTRAYICON();
}

void WINDOWEXTENDERCLASS::SETTOOLTIP(const QString& text)
{
    TOOLTIP = text.left(63);
    if (ONTRAY && ALLOWTRAYICON)
        MODIFYTRAYICON();
}

bool WINDOWEXTENDERCLASS::ADDTRAYICON()
{
    if (!m_tray)
        return false;
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(TOOLTIP);
    return m_tray->add();
}

void WINDOWEXTENDERCLASS::MODIFYTRAYICON()
{
    if (!m_tray)
        return;
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(TOOLTIP);
}

void WINDOWEXTENDERCLASS::DELETETRAYICON()
{
    if (m_tray)
        m_tray->remove();
}

bool WINDOWEXTENDERCLASS::SENDTOTRAY()
{
    if (ALLOWTRAYICON && !ONTRAY && m_window) {
        if (ADDTRAYICON()) {
            m_window->hide();
            ONTRAY = true;
        } else {
            ONTRAY = false;
        }
    }
    return ONTRAY;
}

void WINDOWEXTENDERCLASS::RESTOREFROMTRAY()
{
    if (!ONTRAY)
        return;
    ONTRAY = false;
    DELETETRAYICON();
    if (!m_window)
        return;
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void WINDOWEXTENDERCLASS::TAKEEVENT(int event)
{
    switch (event) {
    case 513:
        if (ONTRAY) {
            DELETETRAYICON();
            if (m_window) {
                m_window->show();
                m_window->activateWindow();
            }
            ONTRAY = false;
        }
        break;
    case 547:
        RESTOREFROMTRAY();
        break;
    case 564:
        if (!SENDTOTRAY())
            QMetaObject::invokeMethod(this, [this] { TAKEEVENT(547); }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

void WINDOWEXTENDERCLASS::trayClicked(int code)
{
    // The icon belongs to this extender's window only: clicks while it is not on the tray
    // (an icon left over from elsewhere) do nothing.
    if (!ONTRAY)
        return;
    switch (code) {
    case 1633: TRAYICONMOUSELEFT(); break;
    case 1634: TRAYICONMOUSERIGHT(); break;
    case 1635: TRAYICONMOUSELEFT2(); break;
    default: break;
    }
}

void WINDOWEXTENDERCLASS::TAKEDEACTIVATION()
{
    if (!ONTRAY && TOTRAYONLOSEFOCUS)
        SENDTOTRAY();
}

int WINDOWEXTENDERCLASS::QUERYENDSESSION()
{
    if (!ALLOWSHUTDOWN)
        return 0;
    ONSHUTDOWN = PROCESSSHUTDOWN() != 0;
    return ONSHUTDOWN ? 1 : 0;
}

void WINDOWEXTENDERCLASS::commitData(QSessionManager& manager)
{
    if (m_window && QUERYENDSESSION() == 0 && manager.allowsInteraction())
        manager.cancel();
}

void WINDOWEXTENDERCLASS::SETALLOWSHUTDOWN(bool on)
{
    if (!ONSHUTDOWN)
        ALLOWSHUTDOWN = on;
}

void WINDOWEXTENDERCLASS::SETALLOWTRAYICON(bool on)
{
    if (!ONTRAY)
        ALLOWTRAYICON = on;
}
