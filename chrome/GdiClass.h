#pragma once
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <functional>

#include "chrome/SysColors.h"

// Icons linked into a module. A module is a name ("VelmoraDll.DLL"; empty for the
// application); its icons are found by resource name ("Open_ICO") through the loader
// registered for it, else among the Qt resources under ":/<module>/".
class IconRegistry {
public:
    // Answers the icon at width x height, a null image when there is none.
    using Loader = std::function<QImage(const QString& resourceName, int width, int height)>;

    static QImage load(const QString& module, const QString& resourceName, int width = 16, int height = 16);
    // Answers the loader that was registered before (tests put it back).
    static Loader registerModule(const QString& module, Loader loader);
    // The application's own module name: icons of an empty module name come from it.
    static QString applicationModule() { return QStringLiteral("VelmoraDll.DLL"); }
};

// Stateless drawing helpers of the menus and toolbars. An icon is an ARGB image whose alpha
// is its mask; a null image stands for "no icon".
class CFCGDICLASS {
public:
    // "Open.ico" -> "Open_ICO": how an icon file linked into a module is named there.
    static QString resourceName(const QString& iconFile);
    QImage LOADICONFROMDLL(const QString& iconFile, const QString& module = {}, int width = 16, int height = 16) const;
    // The greyed form of an icon: every opaque pixel becomes its lightened grey, every
    // transparent one transparent black.
    static QImage CREATEDISABLEDICON(const QImage& icon);
    // The icon over a filled square (the button face when no colour is given).
    static QImage CONVERTICOTOBMP(const QImage& icon, QColor fill = {}, int width = 16, int height = 16);
    // Each channel c becomes c + (255 - c) * amount / 255, rounded.
    static pxp::COLORREF LIGHTENCOLOR(long amount, pxp::COLORREF colour);
    static int GETRVALUE(pxp::COLORREF c) { return pxp::redOf(c); }
    static int GETGVALUE(pxp::COLORREF c) { return pxp::greenOf(c); }
    static int GETBVALUE(pxp::COLORREF c) { return pxp::blueOf(c); }
    static pxp::COLORREF RGB(int r, int g, int b) { return pxp::rgb(r, g, b); }
    // Sixteen bytes: x and y 0, 16-bit red, green and blue (channel << 8), alpha 0.
    static QByteArray CREATEVERTEX(pxp::COLORREF colour);

    static QColor toQColor(pxp::COLORREF c) { return QColor(pxp::redOf(c), pxp::greenOf(c), pxp::blueOf(c)); }
};
