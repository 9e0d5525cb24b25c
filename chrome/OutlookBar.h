#pragma once
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

#include "chrome/SysColors.h"

// The Outlook-style bar's model: groups, one open at a time, each with tasks shown as large
// or small icons; two colour schemes; the open group remembered in an INI file. No widgets
// here; the bar's drawing is not built yet.
namespace pob {

struct TASKQ {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = true, ISHOVERED = false, ISENABLED = true;
    QRect MOUSERECT; // null while scrolled out or never laid out
    QString ICONNAME, DISABLEDICONNAME;
    long LEFTACTIONFEQ = 0;
    bool MIMICBUTTON = false, DONTMIMICICON = false, ISBOLD = false;
    unsigned long USERDATA = 0;
};

struct HEADERQ {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = true, ISHOVERED = false, ISEXPANDED = false;
    QRect MOUSERECT;
    QString ICONNAME;
    std::vector<TASKQ> TASKQUEUE;
    int ICONSIZE = 16;
    int ALIGNMENT = 0; // 1 small icons with the caption beside, else large ones with it below
    int ROWSPACING = 5;
    bool ISWIZARD = false;
    long WIZARDLASTTASKID = 0;
};

struct TASKINFO {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = false, ISENABLED = false;
    QString ICONNAME;
    bool SMALLICONS = false;
    long LEFTACTIONFEQ = 0;
};

struct COLORS {
    pxp::COLORREF BACKGROUND = 0, GRADIENTFROM = 0, GRADIENTTO = 0, TEXT = 0, HOVEREDTEXT = 0, DISABLEDTEXT = 0,
                  BORDER = 0;
};

} // namespace pob

class POOUTLOOKBARCLASS;

namespace pob {

// One layout pass of the bar in a client area of `size`: group buttons, the open group's
// task rows and where its scroll bar goes; sets every MOUSERECT.
struct BarLayout {
    struct Band {
        long header;
        QRect rect;
        bool last; // the last visible group
    };
    struct Row {
        long header, task;
        QRect icon, highlight, caption;
    };
    QRect inner;       // inside the borders
    std::vector<Band> bands;
    std::vector<Row> rows;
    bool scroll = false;
    QRect scrollRect;
    int total = 0, visible = 0; // task rows in all and on view
};
BarLayout layoutBar(POOUTLOOKBARCLASS& bar, QSize size);

// What the bar asks of the widget that shows it.
class OutlookBarHost {
public:
    virtual ~OutlookBarHost() = default;
    // Shown afresh after a change that needs it.
    virtual void refresh() = 0;
    // The accepted event of a mirrored button, after the click in hand.
    virtual void postAccepted(long control) = 0;
};

} // namespace pob

class POOUTLOOKBARCLASS {
public:
    POOUTLOOKBARCLASS();
    virtual ~POOUTLOOKBARCLASS() = default;

    virtual void INIT(int style, bool innerBorder = false, bool outerBorder = false);
    virtual int EXECUTEACTION(long headerId, long taskId, long button, long value);

    long ADDHEADER(const QString& title, const QString& icon = {}, int alignment = 0, int rowSpacing = -1,
                   int iconSize = 16);
    // 0 when the group does not exist.
    long ADDTASK(long headerId, const QString& title, long control, bool mimic = false, const QString& icon = {},
                 bool dontMimicIcon = false, unsigned long userData = 0);
    long ADDTASK(const QString& title, long control, bool mimic, const QString& icon, bool dontMimicIcon)
    {
        return ADDTASK(NCURRHEADER, title, control, mimic, icon, dontMimicIcon);
    }
    void DELETETASK(long headerId, long taskId);
    void DELETEHEADER(long headerId);

    // Closes every group, then opens this one (when it exists) unless `value` is false.
    void SETEXPANDED(long headerId, bool value = true);
    bool GETEXPANDED(long headerId) const;
    void SETVISIBLE(long headerId, bool value);
    void SETVISIBLE(long headerId, long taskId, bool value);
    void SETVISIBLE(bool value);
    bool GETWIZARDMODE(long headerId) const;
    void SETWIZARDMODE(long headerId, bool value);
    void SETACTIVEWIZARDTASK(long headerId, long taskId);

    void SETENABLED(long headerId, long taskId, bool value);
    void SETENABLED(bool value) { SETENABLED(NCURRHEADER, NCURRTASK, value); }
    void SETTASKFONTWEIGHT(long headerId, long taskId, bool bold);
    void SETTASKFONTWEIGHT(bool bold) { SETTASKFONTWEIGHT(NCURRHEADER, NCURRTASK, bold); }
    QString GETTASKTITLE(long headerId, long taskId) const;
    void SETTASKTITLE(long headerId, long taskId, const QString& title);
    // Each name is set only when it is not empty.
    void SETICON(long headerId, long taskId, const QString& icon = {}, const QString& disabledIcon = {});
    unsigned long GETTASKUSERDATA(long headerId, long taskId) const;
    void SETTASKUSERDATA(long headerId, long taskId, unsigned long value);
    pob::TASKINFO GETTASKINFO(long headerId, long taskId) const;
    void SETTASKINFO(long headerId, long taskId, const pob::TASKINFO& info);

    void SETSTYLE(int style) { STYLE = style; }
    void SETBACKGROUNDGRADIENT(bool on) { USEGRADIENT = on; }
    void SETSHOWHEADERS(bool on) { SHOWHEADERS = on; }
    bool GETALIGNALLHEADERS() const { return ALIGNWITHWIDESTHDR; }
    void SETALIGNALLHEADERS(bool on) { ALIGNWITHWIDESTHDR = on; }
    void SETFONT(const QString& face) { FONTNAME = face; }
    void SETAPPNAME(const QString& name);
    static pxp::COLORREF RGB(int r, int g, int b) { return pxp::rgb(r, g, b); }

    void SETBACKGROUNDCOLORS(unsigned long background, unsigned long from, unsigned long to);
    void SETHEADERCOLORS(unsigned long background, unsigned long from, unsigned long to, unsigned long text,
                         unsigned long border);
    void SETHOVEREDHEADERCOLORS(unsigned long background, unsigned long from, unsigned long to, unsigned long text,
                                unsigned long border);
    void SETHEADERBORDERCOLORS(unsigned long light, unsigned long outerDark, unsigned long innerDark,
                               unsigned long hoverLine);
    void SETTASKCOLORS(unsigned long text, unsigned long hovered, unsigned long disabled, unsigned long highlight,
                       unsigned long highlightFrame);
    void SETBORDERCOLORS(unsigned long light, unsigned long dark, unsigned long frame);
    // 1 classic, 2 blue; any other number changes nothing.
    void SETCOLORSCHEME(int scheme);

    // The open group's title (or "0" when none is open) under `entry` in section "OutlookBar".
    bool SAVEEXPANDED(const QString& entry, const QString& iniFile) const;
    // Opens the first group with the stored title; nothing changes when no group has it.
    void LOADEXPANDED(const QString& entry, const QString& iniFile);

    // The pointer, in the bar's pixels: true when it is over something that takes a click.
    bool TAKEMOUSEMOVEEVENT(int x, int y);
    void TAKELEAVEEVENT();
    // Only button 1 does anything; true when a group or task was hit.
    bool TAKEMOUSEBUTTONEVENT(int button, int x, int y);
    // In task rows: 0 up, 1 down, 2 page up, 3 page down, 5 to `track`, 6 first, 7 last.
    void TAKESCROLLEVENT(int code, int page, int maximum, int track = 1);
    // A mirrored button changed: its task follows its enabled state and icon.
    void CHECKMIMICS(long control, bool enabled, const QString& icon);
    static QString GETICONNAME(const QString& name);

    // The widget showing the bar (it attaches itself); null: the bar is not shown. The host
    // must outlive its attachment.
    void setHost(pob::OutlookBarHost* host) { m_host = host; }
    pob::OutlookBarHost* host() const { return m_host; }

    const std::vector<pob::HEADERQ>& headers() const { return HEADERS; }
    std::vector<pob::HEADERQ>& headers() { return HEADERS; }
    pob::HEADERQ* header(long id);
    const pob::HEADERQ* header(long id) const;
    pob::TASKQ* task(long headerId, long taskId);
    const pob::TASKQ* task(long headerId, long taskId) const;

    int ROWSPACING = 5;
    QString FONTNAME = QStringLiteral("MS Sans Serif");
    int FONTSIZE = 13;
    int STYLE = 0;
    bool INNERBORDER = false, OUTERBORDER = false;
    bool USEGRADIENT = true;
    QString APPNAME;
    bool SHOWHEADERS = true;
    bool ALIGNWITHWIDESTHDR = false;
    int SCROLLPOS = 1;
    bool SCROLLACTIVE = false;
    bool NEWSELECTION = false;
    long NCURRHEADER = 0, NCURRTASK = 0;
    pob::COLORS CPANEL, CHEADERS, CHEADERSHOVERED, CTASKS, CHEADERBORDERS, CBORDERS;

protected:
    // Ids are drawn from this: 1..2147483647 at random (tests draw their own).
    virtual long idRng();

private:
    long newId(const std::function<bool(long)>& taken);
    void REFRESH()
    {
        if (m_host)
            m_host->refresh();
    }
    pob::OutlookBarHost* m_host = nullptr;

    std::vector<pob::HEADERQ> HEADERS;
};
