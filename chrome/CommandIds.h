#pragma once
#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>

class QFont;
class QWidget;

// Hands out command ids for menu entries, toolbar buttons and tooltip tools. One counter serves
// the whole process (GLO::CFC_Cnt, started at 16000), so ids stay unique across windows and
// threads; they are never returned or reused.
class CFCCOMMANDCNT {
public:
    void INIT(int32_t start) { ID.store(start); }
    int32_t GETNEXTID() { return ID.fetch_add(1) + 1; }

    std::atomic<int32_t> ID{0};
};

// What the system offers the menus and toolbars. Every facility the chrome asks for is there
// on this platform, so each flag says "available" once INIT has run.
class CFCCOMCTRLCLASS {
public:
    bool _CFC_SETWINDOWTHEME_ = true;
    bool _CFC_INITCOMMONCONTROLSEX_ = true;
    bool _CFC_DLLGETVERSION_ = true;
    bool _CFC_SETMENUINFO_ = true;
    bool _CFC_GETMENUINFO_ = true;
    bool _CFC_GRADIENTFILL_ = true;
    bool _CFC_GETMENUBARINFO_ = true;

    void INIT() { m_initialised = true; }
    bool initialised() const { return m_initialised; }

    bool ISWINDOWSXPORLATER() const { return true; }
    // "major.minor name" of the running system.
    QString GETOSVERSION() const;
    // The name of a Windows release by its platform id and version numbers, as the chrome
    // reports it (empty for one it does not know); `osVersionText` formats "major.minor name".
    static QString osName(int platform, int major, int minor);
    static QString osVersionText(int platform, int major, int minor);
    QString GETCOMCTRLVER() const { return QStringLiteral("6.0"); }
    // Gives the widget the plain style (no theme art); -1 for no widget.
    long DISABLEWINDOWSTHEME(QWidget* window) const;
    // The font menus are drawn in.
    QFont RETRIEVESYSTEMMENUFONT() const;

private:
    bool m_initialised = false;
};
