#pragma once
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QToolBar>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chrome/ToolbarState.h"
#include "chrome/TooltipControl.h"

class CFCCOMMANDCNT;
class CFCTOOLBAR;
class CFCTOOLBARMANAGER;
class QAction;
class QActionGroup;
class QBoxLayout;
class QMenu;
class QWidget;

// One toolbar button: its command id, caption, picture, tip and state. Descendants act on
// ONCOMMAND (pressed), fill the drop-down menu in ONDROPDOWN and may start the button disabled
// through CHECKBUTTONACCESS.
class CFCTBRBUTTON {
public:
    CFCTBRBUTTON() = default;
    CFCTBRBUTTON(const CFCTBRBUTTON&) = delete;
    CFCTBRBUTTON& operator=(const CFCTBRBUTTON&) = delete;
    virtual ~CFCTBRBUTTON();
    virtual void ONCOMMAND() {}
    // The drop-down part was pressed; `menu` (empty, or as left last time) opens after this.
    virtual void ONDROPDOWN(QMenu& menu) { (void)menu; }
    // Non-zero: the button starts disabled.
    virtual long CHECKBUTTONACCESS() { return 0; }

    long GETBUTTONINDEX() const;
    long ENABLE(bool on) { return setState(tbstate::TBSTATE_ENABLED, on); }
    long CHECKBUTTON(bool on) { return setState(tbstate::TBSTATE_CHECKED, on); }
    long HIDEBUTTON(bool on) { return setState(tbstate::TBSTATE_HIDDEN, on); }
    long MARKBUTTON(bool on) { return setState(tbstate::TBSTATE_MARKED, on); }
    bool ISHIGHLIGHTED() const { return (GETSTATE() & tbstate::TBSTATE_MARKED) != 0; }
    long DELETE();
    // The button's place on the toolbar; false (empty) when it is not shown.
    bool GETRECT(QRect& rect) const;
    long GETSTATE() const;
    long GETSTYLE() const;
    long GETCX() const;
    bool ISCHECKED() const { return GETSTATE() >= 0 && (GETSTATE() & 0x01); }
    bool ISPRESSED() const { return GETSTATE() >= 0 && (GETSTATE() & 0x02); }
    bool ISENABLED() const { return GETSTATE() >= 0 && (GETSTATE() & 0x04); }
    bool ISHIDDEN() const { return GETSTATE() >= 0 && (GETSTATE() & 0x08); }
    bool ISINDETERMINATE() const { return GETSTATE() >= 0 && (GETSTATE() & 0x10); }
    long SETCX(long width);
    long SETTEXT(const QString& text);
    long SETICON(const QString& name, int width = 0, int height = 0);
    void SETTOOLTIP(const QString& text);
    // The button's record as the toolbar holds it now (all zero when it is not on it).
    CFC_TBBUTTON GETTBBUTTON() const;
    void UPDATETBBUTTON() { TBBUTTON = GETTBBUTTON(); }

    CFCTOOLBAR* TOOLBAR = nullptr;
    long BUTTONID = 0;
    QString TEXT;
    long TOOLID = 0;
    CFC_TBBUTTON TBBUTTON;

    // The drop-down menu (null until the button is on a toolbar as a drop-down button).
    QMenu* menu() const { return m_menu.get(); }

private:
    friend class CFCTOOLBAR;
    long setState(uint8_t bit, bool on);
    std::unique_ptr<QMenu> m_menu;
};

// A toolbar: buttons with pictures from an image pool, check buttons, radio groups, drop-down
// buttons and separators, a tip for each button, and a layout the user can change
// (CUSTOMIZEDIALOG), reset, save to a file and restore.
class CFCTOOLBAR : public QObject {
    Q_OBJECT
public:
    CFCTOOLBAR();
    ~CFCTOOLBAR() override;

    QToolBar* CREATETOOLBAR(QWidget* parent, long style = 0, long tooltipStyle = CFCTOOLTIPSCLASS::TTS_ALWAYSTIP | CFCTOOLTIPSCLASS::TTS_NOPREFIX);
    void SETCOMMANDCNT(CFCCOMMANDCNT& counter);
    void SETTBRIMAGESIZE(short width, short height);
    long GETICONFROMIMAGEPOOL(const QString& name, int width = 0, int height = 0) const;
    // `name` is an icon file, or a theme icon name; -1 when neither gives a picture.
    long ADDICONTOIMAGEPOOL(const QString& name, int width = 0, int height = 0);
    // Image kinds: 0 a picture to come, 1 no picture, 2 a picture and no caption.
    long ADDBUTTON(CFCTBRBUTTON& button, const QString& text = {}, long position = -1, int imageKind = 0);
    long ADDCHECKBUTTON(CFCTBRBUTTON& button, const QString& text = {}, long position = -1, int imageKind = 0);
    long ADDRADIOBUTTON(CFCTBRBUTTON& button, const QString& text = {}, long position = -1, int imageKind = 0);
    long ADDDROPDOWNBUTTON(CFCTBRBUTTON& button, const QString& text = {}, long position = -1, int imageKind = 0);
    long ADDWHOLEDROPDOWNBUTTON(CFCTBRBUTTON& button, const QString& text = {}, long position = -1, int imageKind = 0);
    long ADDSEPARATOR(long position = -1);
    void DELETESEPARATORBYPOS(long position);
    CFCTBRBUTTON* GETBUTTONBYID(long id) const;
    long GETBUTTONIDBYPOS(long position) const;
    long GETHOTITEM() const;
    void PRESSBUTTON(CFCTBRBUTTON& button, bool pressed);
    void MOVEBUTTON(long from, long to);
    // The user's own dialog for the button layout; answers whether it changed.
    bool CUSTOMIZEDIALOG();
    void AUTOSIZE();
    void SAVESTATE();
    virtual void ONRESET();
    virtual void ONTOOLBARCHANGE();
    // 1 when written (a failed write keeps the file that was there), 0 otherwise.
    long SAVESTATETOFILE(const QString& file);
    // 0 when restored, -1 when the file cannot be read (the buttons stay as they were).
    long RESTORESTATEFROMFILE(const QString& file);
    void REFRESH();
    void REFRESHTOOLTIPS();
    long GETMAXSIZEITEM(long& width, long& height) const;
    long SETINDENT(long pixels);
    long SETBUTTONSIZE(short width, short height);
    long GETBUTTONSIZE(long& width, long& height) const;
    long SETBUTTONWIDTH(short minimum, short maximum);
    long BUTTONCOUNT() const { return long(m_layout.size()); }
    long GETTEXTROWS() const { return m_textRows; }
    long SETMAXTEXTROWS(long rows);

    QToolBar* HWNDTB() const { return m_toolbar; }
    QPointer<QWidget> PARENTHWND;
    CFCTOOLTIPSCLASS& TT() { return m_tt; }
    CFCCOMMANDCNT* CNT = nullptr;
    // Texts of the customize dialog, written in Croatian, through the window's language. The
    // base shows them as written; a toolbar of a translated window overrides it.
    virtual QString translate(const QString& text) const { return text; }
    int TBRIMAGEWIDTH = 16;
    int TBRIMAGEHEIGHT = 16;
    QByteArray INITSTATEBUFFER;
    QByteArray RESTOREDSTATEBUFFER;

    // The records in button order, and the strings the buttons' string indices name.
    const std::vector<CFC_TBBUTTON>& layout() const { return m_layout; }
    const QStringList& strings() const { return m_strings; }
    QAction* actionOf(long id) const { return m_actions.value(id); }
    // The manager that routes this toolbar's commands (set by CFCTOOLBARMANAGER::ADDTOOLBAR).
    CFCTOOLBARMANAGER* manager = nullptr;

signals:
    void command(long id);
    void layoutChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CFCTBRBUTTON;
    friend class CFCTOOLBARMANAGER;
    long insert(CFCTBRBUTTON& button, const QString& text, uint8_t style, long position, int imageKind);
    // A button going away takes its place on the toolbar with it.
    void forget(CFCTBRBUTTON& button);
    std::vector<CFC_TBBUTTON> savedLayout() const;
    void sync();
    CFC_TBBUTTON* record(long id);
    const CFC_TBBUTTON* record(long id) const;
    long indexOf(long id) const;
    void deliver(long id);
    QString labelOf(const CFC_TBBUTTON& b) const;

    struct PoolImage {
        QString name;
        int width;
        int height;
        long index;
    };
    QPointer<QToolBar> m_toolbar;
    std::vector<PoolImage> TBRIPOOL;
    std::vector<QIcon> m_images;
    std::vector<std::pair<long, CFCTBRBUTTON*>> TBRB;
    std::vector<CFC_TBBUTTON> m_layout;
    QStringList m_strings;
    QHash<long, QAction*> m_actions;
    std::vector<QAction*> m_separators;
    std::vector<QActionGroup*> m_groups;
    CFCTOOLTIPSCLASS m_tt;
    long m_textRows = 1;
    QHash<long, int> m_cx; // widths set by SETCX
    QSize m_buttonSize;
    int m_minWidth = 0, m_maxWidth = 0;
    bool m_syncing = false;
};

// Routes toolbar commands and notifications of one window to its toolbars' buttons.
class CFCTOOLBARMANAGER : public QObject {
public:
    // Notification codes.
    static constexpr long TBN_GETBUTTONINFO = -700;
    static constexpr long TBN_RESET = -705;
    static constexpr long TBN_QUERYINSERT = -706;
    static constexpr long TBN_QUERYDELETE = -707;
    static constexpr long TBN_TOOLBARCHANGE = -708;
    static constexpr long TBN_DROPDOWN = -710;
    static constexpr long TBN_INITCUSTOMIZE = -723;

    void ADDTOOLBAR(CFCTOOLBAR& toolbar);
    // A button of `toolbar` was pressed.
    void TAKECOMMAND(CFCTOOLBAR& toolbar, long id);
    // A notification of `toolbar`; `item` is the button (drop-down) or index (button info).
    // `info` receives the record for TBN_GETBUTTONINFO.
    long TAKENOTIFY(CFCTOOLBAR& toolbar, long code, long item = 0, CFC_TBBUTTON* info = nullptr, QString* text = nullptr);
    const std::vector<QPointer<CFCTOOLBAR>>& toolbars() const { return TBRQ; }

private:
    std::vector<QPointer<CFCTOOLBAR>> TBRQ;
};

// Holds toolbars in bands across the top of a window, each with a grip; bands keep their
// order (they cannot be dragged) and the bar follows the window's width.
class CFCREBAR : public QObject {
public:
    QWidget* CREATEREBAR(QWidget* parent);
    void ADDTOOLBAR(CFCTOOLBAR& toolbar);
    QWidget* HWNDRB() const { return m_rebar; }
    QPointer<QWidget> PARENTHWND;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_rebar;
    QBoxLayout* m_bands = nullptr;
};
