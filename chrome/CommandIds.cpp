#include "chrome/CommandIds.h"

#include <QApplication>
#include <QFont>
#include <QStyle>
#include <QStyleFactory>
#include <QSysInfo>
#include <QWidget>

QString CFCCOMCTRLCLASS::osName(int platform, int major, int minor)
{
    switch (platform) {
    case 0:
        return QStringLiteral("Microsoft Win32s");
    case 2:
        if (major == 6 && minor == 0)
            return QStringLiteral("Microsoft Windows Vista");
        if (major == 5 && minor == 2)
            return QStringLiteral("Microsoft Windows Server 2003");
        if (major == 5 && minor == 1)
            return QStringLiteral("Microsoft Windows XP");
        if (major == 5 && minor == 0)
            return QStringLiteral("Microsoft Windows 2000");
        if (major <= 4)
            return QStringLiteral("Microsoft Windows NT");
        return {};
    case 1:
        if (major == 4 && minor == 0)
            return QStringLiteral("Microsoft Windows 95");
        if (major == 4 && minor == 10)
            return QStringLiteral("Microsoft Windows 98");
        if (major == 4 && minor == 90)
            return QStringLiteral("Microsoft Windows Millennium Edition");
        return {};
    default:
        return {};
    }
}

QString CFCCOMCTRLCLASS::osVersionText(int platform, int major, int minor)
{
    return QStringLiteral("%1.%2 %3").arg(major).arg(minor).arg(osName(platform, major, minor).left(100).trimmed());
}

QString CFCCOMCTRLCLASS::GETOSVERSION() const
{
    // The kernel's numbers and the distribution's name stand where Windows gave its own.
    const QStringList kernel = QSysInfo::kernelVersion().split(u'.');
    const int major = kernel.value(0).toInt();
    const int minor = kernel.value(1).toInt();
    return QStringLiteral("%1.%2 %3").arg(major).arg(minor).arg(QSysInfo::prettyProductName().left(100).trimmed());
}

long CFCCOMCTRLCLASS::DISABLEWINDOWSTHEME(QWidget* window) const
{
    if (!window)
        return -1;
    if (QStyle* plain = QStyleFactory::create(QStringLiteral("Windows"))) {
        plain->setParent(window); // the widget does not own a style it is given
        window->setStyle(plain);
    }
    return 0;
}

QFont CFCCOMCTRLCLASS::RETRIEVESYSTEMMENUFONT() const
{
    return QApplication::font("QMenu");
}
