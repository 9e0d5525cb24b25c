#pragma once
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <memory>

#include "chrome/WindowParts.h"

namespace controls { class TrayIcon; }
class QSessionManager;

// A window that hides in the desktop's notification area instead of being minimised, comes
// back from there, may go there when the program loses activation, and says whether the
// session may end while it is open. The icon is the program's tray component
// (`controls::TrayIcon`), the same one the frame uses. Each extender serves its own window.
class WINDOWEXTENDERCLASS : public QObject {
    Q_OBJECT
public:
    explicit WINDOWEXTENDERCLASS(QObject* parent = nullptr);
    ~WINDOWEXTENDERCLASS() override;

    // The tray icon to show; without one (or a desktop without a tray) the window stays.
    void setTray(controls::TrayIcon* tray);
    // Icons by resource name ("TRAY_ICO"); without them the tray shows no icon of the window's.
    void setIcons(std::unique_ptr<IconSource> icons) { m_icons = std::move(icons); }

    void INIT(QWidget* window, bool allowShutdown, bool allowTrayIcon, const QString& iconName,
              const QString& tooltip = {});
    void SETICONNAME(const QString& name);
    void SETTOOLTIP(const QString& text);
    bool ADDTRAYICON();
    void MODIFYTRAYICON();
    void DELETETRAYICON();
    // True when the window went to the tray; a refused icon leaves the window as it was.
    bool SENDTOTRAY();
    void RESTOREFROMTRAY();

    // The window's own events: 513 shown again, 547 restore, 564 to the tray (restored when
    // the tray refuses).
    void TAKEEVENT(int event);
    // The session asks to end: 1 it may, 0 it may not.
    int QUERYENDSESSION();
    // The program lost activation.
    void TAKEDEACTIVATION();

    virtual void TRAYICONMOUSELEFT() {}
    virtual void TRAYICONMOUSERIGHT() {}
    virtual void TRAYICONMOUSELEFT2() {}
    // No desktop reports a right double click; kept for descendants that call it themselves.
    virtual void TRAYICONMOUSERIGHT2() {}
    virtual int PROCESSSHUTDOWN() { return 1; }

    bool GETONTRAY() const { return ONTRAY; }
    bool GETTOTRAYONLOSEFOCUS() const { return TOTRAYONLOSEFOCUS; }
    bool GETALLOWSHUTDOWN() const { return ALLOWSHUTDOWN; }
    bool GETALLOWTRAYICON() const { return ALLOWTRAYICON; }
    void SETTOTRAYONLOSEFOCUS(bool on) { TOTRAYONLOSEFOCUS = on; }
    void SETALLOWSHUTDOWN(bool on);
    void SETALLOWTRAYICON(bool on);

    // A name with a three-letter extension names its resource with "_" for the dot.
    static QString iconResourceName(const QString& name);

    QString ICONNAME;
    QString TOOLTIP;

private:
    void trayClicked(int code);
    void commitData(QSessionManager& manager);

    QPointer<QWidget> m_window;
    QPointer<controls::TrayIcon> m_tray;
    QIcon m_icon;
    std::unique_ptr<IconSource> m_icons;
    bool ALLOWTRAYICON = false;
    bool TOTRAYONLOSEFOCUS = false;
    bool ALLOWSHUTDOWN = false;
    bool ONTRAY = false;
    bool ONSHUTDOWN = false;
};
