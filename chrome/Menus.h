#pragma once
#include <QAction>
#include <QImage>
#include <QWidget>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "chrome/CommandIds.h"
#include "chrome/GdiClass.h"
#include "chrome/MenuItemDraw.h"

class QAction;
class QFont;
class QMenu;
class QMenuBar;
class QPainter;
class QWidget;
class CFCMENUBASE;
class MenuLookStyle;

// Results of the menu operations: 0 done, -1 impossible, or one of these errors.
enum CfcMenuError : long {
    CFC_ERROR_INVALID_MENU_HANDLE = 1401, // the menu has no widget (CREATEMENU not called)
    CFC_ERROR_MENU_ITEM_NOT_FOUND = 1456,
};

// One menu entry: its command id, key, text, icons, state and sub-menu, drawn by its painter.
// Windows derive an entry class and put its action in ONCLICK. An item lives in one menu as a
// QAction of that menu's widget.
class CFCMENUITEM {
public:
    CFCMENUITEM() = default;
    CFCMENUITEM(const CFCMENUITEM&) = delete;
    CFCMENUITEM& operator=(const CFCMENUITEM&) = delete;
    virtual ~CFCMENUITEM();

    static constexpr unsigned MFS_DISABLED_GRAYED = 3; // disabled and greyed together
    static constexpr unsigned MFS_CHECKED = 8;

    long ID = 0;
    QString STRID;
    QString TEXT;
    bool FLAGSEPARATOR = false;
    bool FLAGTOPLEVEL = false;
    QString ICONNAME;
    QImage HICON;
    QImage HICONDISABLED;
    int ICONWIDTH = 16;
    int ICONHEIGHT = 16;
    QString CHECKEDICONNAME;
    QImage HCHECKEDICONDISABLED;
    QImage HCHECKEDICON;
    QRect RCITEM;
    bool FLAGSUBMENUISOPENED = false;
    CFCMENUBASE* MENU = nullptr;
    CFCMENUBASE* SUBMENU = nullptr;
    CFCCOMMANDCNT* CNT = nullptr;
    CFCMENUITEMDRAWCLASS* DRAWINGCLASS = nullptr;
    unsigned STATE = 0;        // MFS_DISABLED_GRAYED and MFS_CHECKED bits
    bool OWNERDRAW = false;    // the painter draws the whole entry
    bool CALLBACKBITMAP = false; // the painter supplies the entry's icon

    // The entry's widget form (null before it is inserted or after it was deleted).
    QAction* action() const { return m_action; }
    static CFCMENUITEM* fromAction(const QAction* action);

    // Building. `topLevel`: passed at all marks the entry as one of a menu bar.
    long ADDMENUITEM(CFCMENUBASE& menu, const QString& text, CFCCOMMANDCNT& counter,
                     std::optional<int> topLevel = std::nullopt, std::optional<QString> key = std::nullopt);
    long ADDSEPARATOR(CFCMENUBASE& menu, CFCCOMMANDCNT& counter, std::optional<QString> key = std::nullopt);
    long INSERTMENUITEM(CFCMENUBASE& menu, const QString& text);
    long INSERTMENUITEMBYPOS(CFCMENUBASE& menu, const QString& text, int position);
    long INSERTSEPARATOR(CFCMENUBASE& menu);
    long INSERTSEPARATORBYPOS(CFCMENUBASE& menu, int position);
    // Non-zero when the entry was removed, 0 when it was not in a menu (the reverse of the
    // other operations' results).
    long DELETEMENUITEM();
    void SETCOMMANDCNT(CFCCOMMANDCNT& counter) { CNT = &counter; }
    void SETTOPLEVEL() { FLAGTOPLEVEL = true; }
    void SETMENUITEMSTRID(const QString& key) { STRID = key; }

    long SETMENUITEMTEXT(const QString& text);
    QString GETMENUITEMTEXT() const { return TEXT; }
    // Loads the icon from the module; -1 when there is none (the entry then has no normal and
    // no greyed icon). The greyed icon is made from the normal one.
    long SETICON(const QString& iconFile, const QString& module = {}, int width = 16, int height = 16);
    long SETCHECKEDICON(const QString& iconFile, const QString& module = {}, int width = 16, int height = 16);
    // The same with an icon the caller already has (-1 for a null image).
    long setIconImage(const QImage& icon, const QString& name = {});
    long setCheckedIconImage(const QImage& icon, const QString& name = {});

    long ISMENUITEMDISABLED() const;
    long SETMENUITEMENABLED();
    long SETMENUITEMDISABLED();
    long ISMENUITEMCHECKED() const;
    long SETMENUITEMUNCHECKED();
    long SETMENUITEMCHECKED();

    long ATTACHSUBMENU(CFCMENUBASE& submenu);
    long DETACHSUBMENU();
    CFCMENUBASE* GETSUBMENU() const { return SUBMENU; }

    void SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter);
    CFCMENUITEMDRAWCLASS* GETDRAWINGCLASS() const { return DRAWINGCLASS; }

    virtual void ONCLICK() {}
    virtual QSize ONMEASUREITEM(const QFont& menuFont);
    virtual void ONDRAWITEM(QPainter& painter, const QRect& rect, unsigned state);
    virtual void SETOWNERDRAW();
    virtual void REMOVEOWNERDRAW();
    virtual void DRAWTOPLEVELITEM();
    virtual void DRAWMENUBAR1PX();
    virtual void UPDATEMENUITEM();

    // The entry's QAction follows STATE, TEXT and the icons.
    void syncAction();

private:
    long insert(CFCMENUBASE& menu, const QString& text, int position, bool separator);
    void forget(); // drops the entry from its menu without touching the menu's list

    QPointer<QAction> m_action;
    friend class CFCMENUBASE;
};

// The common part of popup menus and menu bars: the widget, the entries in the order they were
// added (not owned), the background colour and the look.
class CFCMENUBASE {
public:
    CFCMENUBASE();
    CFCMENUBASE(const CFCMENUBASE&) = delete;
    CFCMENUBASE& operator=(const CFCMENUBASE&) = delete;
    virtual ~CFCMENUBASE();

    QWidget* HMENU() const { return m_widget; }
    pxp::COLORREF BKRCOLOR = 0; // 0: the system colour
    QPointer<QWidget> HWND;
    std::vector<CFCMENUITEM*> MIQ;
    CFCGDICLASS GDI;
    CFCCOMCTRLCLASS* COMCTRL = nullptr;

    virtual long CREATEMENU() { return 0; }
    long KILL();
    void SETCOMCTRLCLASS(CFCCOMCTRLCLASS& comctrl) { COMCTRL = &comctrl; }
    long SETBACKGROUND(pxp::COLORREF colour);
    // Every entry gets the painter, and so do the sub-menus' entries unless `thisMenuOnly`.
    void SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter, bool thisMenuOnly = false);
    static void SETDRAWINGCLASS(CFCMENUITEMDRAWCLASS& painter, bool thisMenuOnly, CFCMENUBASE& walk);
    CFCMENUITEMDRAWCLASS* drawingClass() const { return m_painter; }
    bool ISSUBMENUSEXISTS() const;
    long GETMENUITEMCOUNT() const;
    long GETMENUITEMPOS(const CFCMENUITEM& item) const;
    CFCMENUITEM* GETMENUITEMBYID(long id) const;
    CFCMENUITEM* GETMENUITEMBYSTRID(const QString& key) const;

    // Called by the menu manager when the menu is about to open and after it closed.
    virtual void ONINITMENUPOPUP() {}
    virtual void ONUNINITMENUPOPUP() {}

    static CFCMENUBASE* fromWidget(const QWidget* widget);

protected:
    void adopt(QWidget* widget);

private:
    QPointer<QWidget> m_widget;
    std::unique_ptr<MenuLookStyle> m_style;
    CFCMENUITEMDRAWCLASS* m_painter = nullptr;
};

// A context menu shown at the mouse.
class CFCPOPUPMENU : public CFCMENUBASE {
public:
    long CREATEMENU() override;
    QMenu* menu() const;
    // Shows the menu for `window` at the mouse, or at the screen position whose given parts
    // replace the mouse's; answers the chosen entry's id, 0 when none was chosen. The chosen
    // entry's ONCLICK is the menu manager's to call.
    long RUN(QWidget* window, std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt);
};

// A window's menu bar.
class CFCMENU : public CFCMENUBASE {
public:
    long CREATEMENU() override;
    QMenuBar* bar() const;
    void SETMENUTOWND(QWidget* window);
    void UPDATE();
};
