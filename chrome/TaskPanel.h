#pragma once
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

#include "chrome/SysColors.h"

// The task panel's model and layout: collapsible headers with their tasks (links with an
// optional icon, possibly mirroring a button), four colour groups, margins, wizard steps and
// tooltip settings. No widgets here: `TaskPanelView` draws and drives it.
namespace ptp {

using pxp::COLORREF;

// A rectangle by its edges; right and bottom lie outside it.
struct RECT {
    int LEFT = 0, TOP = 0, RIGHT = 0, BOTTOM = 0;
    bool contains(int x, int y) const { return x >= LEFT && x < RIGHT && y >= TOP && y < BOTTOM; }
    QRect rect() const { return QRect(LEFT, TOP, RIGHT - LEFT, BOTTOM - TOP); }
};

struct TASKQ {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = true;
    bool ISHOVERED = false;
    RECT MOUSERECT;
    QString ICONNAME;
    QString TOOLTIP;
    bool ISDISABLED = false;
    bool ISBOLD = false;
    long LEFTACTIONFEQ = 0;
    bool MIMICBUTTON = false;
    int JUSTIFICATION = 0; // 0 left keeping the icon column, 1 left, 2 right, 3 centred
    bool MIMICICON = true;
    bool MIMICTEXT = true;
    unsigned long USERDATA = 0;
};

struct HEADERQ {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = true;
    bool ISHOVERED = false;
    RECT MOUSERECT;
    QString ICONNAME;
    bool ISEXPANDED = true;
    std::vector<TASKQ> TASKQUEUE;
    int STYLE = 0; // 0 HEADERS colours, 1 HEADERS2 colours and white arrows
    bool ISALWAYSEXPANDED = false;
    int ICONSIZES = 24;
    bool DONTWIZARD = false;
    bool WORDWRAP = true;
    bool ISBOXED = false;
};

struct TASKINFO {
    long ID = 0;
    QString TITLE;
    bool ISVISIBLE = false, ISDISABLED = false, ISBOLD = false;
    QString ICONNAME;
    long LEFTACTIONFEQ = 0;
    bool ISEXPANDED = false;
    int JUSTIFICATION = 0;
    QString TOOLTIP;
};

struct COLORGROUP {
    COLORREF BACKGROUND = 0, GRADIENTFROM = 0, GRADIENTTO = 0, TEXT = 0, HOVERED = 0, DISABLED = 0;
};

// What the model asks of the widget that shows it; every call may find no widget.
class TaskPanelHost {
public:
    virtual ~TaskPanelHost() = default;
    virtual void refresh() = 0;
    // A task mirrors (or no longer mirrors) the button with this control number.
    virtual void attachMimic(long control) = 0;
    virtual void detachMimic(long control) = 0;
    // The button's accepted event, after the current event is done.
    virtual void postAccepted(long control) = 0;
    virtual void tooltipModeChanged() {}
    // The panel is going: nothing of it may be used any more.
    virtual void panelGone() {}
};

} // namespace ptp

class POTASKPANELCLASS {
public:
    POTASKPANELCLASS();
    virtual ~POTASKPANELCLASS();
    POTASKPANELCLASS(const POTASKPANELCLASS&) = delete;
    POTASKPANELCLASS& operator=(const POTASKPANELCLASS&) = delete;

    // Binds the widget that shows the panel (nullptr: none).
    virtual void INIT(ptp::TaskPanelHost* host);
    virtual void KILL();
    // A click: for a header taskId 0 and value its ISEXPANDED before the click; for a task
    // value is its LEFTACTIONFEQ. The panel itself never folds a header.
    virtual int EXECUTEACTION(long headerId, long taskId, long button, long value);
    void REFRESH();

    long ADDHEADER(const QString& title, int style, bool expanded = true, const QString& icon = {}, int iconSize = 24);
    // 0 when the header does not exist.
    long ADDTASK(long headerId, const QString& title, long control, bool mimic = false, const QString& icon = {},
                 bool dontMimicIcon = false, unsigned long userData = 0);
    long ADDTASK(const QString& title, long control, bool mimic, const QString& icon, bool dontMimicIcon,
                 const QString& tooltip);
    void ADDITEMMIMIC(long headerId, long taskId, long control);
    void DELETETASK(long headerId, long taskId);
    void DELETEHEADER(long headerId);
    // Every header with its tasks.
    void CLEAR();

    bool GETEXPANDED(long headerId) const;
    void SETEXPANDED(long headerId, bool value = true);
    // Without an id: the header added last.
    void SETALWAYSEXPANDED(bool value = true) { SETALWAYSEXPANDED(NCURRHEADER, value); }
    void SETALWAYSEXPANDED(long headerId, bool value);
    void EXPANDALL(long exceptId = 0);
    void CONTRACTALL(long exceptId = 0);
    bool GETHEADERBOXED(long headerId) const;
    void SETHEADERBOXED(long headerId, bool value);
    bool GETHEADERWORDWRAP(long headerId) const;
    void SETHEADERWORDWRAP(long headerId, bool value);
    bool GETDISABLEWIZARD(long headerId) const;
    void SETDISABLEWIZARD(long headerId, bool value);
    bool GETVISIBLE(long headerId) const;
    void SETVISIBLE(long headerId, bool value);
    bool GETVISIBLE(long headerId, long taskId) const;
    void SETVISIBLE(long headerId, long taskId, bool value);
    // The task added last, else the header added last.
    void SETVISIBLE(bool value);

    bool GETDISABLED(long headerId, long taskId) const;
    void SETDISABLED(long headerId, long taskId, bool value);
    void SETTASKFONTWEIGHT(long headerId, long taskId, bool bold);
    void SETJUSTIFICATION(long headerId, long taskId, int value);
    // The id-less forms act on the task added last.
    void SETDISABLED(bool value) { SETDISABLED(NCURRHEADER, NCURRTASK, value); }
    void SETTASKFONTWEIGHT(bool bold) { SETTASKFONTWEIGHT(NCURRHEADER, NCURRTASK, bold); }
    void SETJUSTIFICATION(int value) { SETJUSTIFICATION(NCURRHEADER, NCURRTASK, value); }

    QString GETTASKTITLE(long headerId, long taskId) const;
    void SETTASKTITLE(long headerId, long taskId, const QString& title);
    QString GETTASKICON(long headerId, long taskId) const;
    void SETTASKICON(long headerId, long taskId, const QString& icon);
    unsigned long GETTASKUSERDATA(long headerId, long taskId) const;
    void SETTASKUSERDATA(long headerId, long taskId, unsigned long value);
    bool GETTASKMIMICICON(long headerId, long taskId) const;
    void SETTASKMIMICICON(long headerId, long taskId, bool value);
    bool GETTASKMIMICTEXT(long headerId, long taskId) const;
    void SETTASKMIMICTEXT(long headerId, long taskId, bool value);
    QString GETTASKTOOLTIP(long headerId, long taskId) const;
    void SETTASKTOOLTIP(long headerId, long taskId, const QString& text);
    ptp::TASKINFO GETTASKINFO(long headerId, long taskId) const;
    void SETTASKINFO(long headerId, long taskId, const ptp::TASKINFO& info);

    void SETCOLORGRP(int group, unsigned long background, unsigned long gradientFrom, unsigned long gradientTo,
                     unsigned long text, unsigned long hovered);
    void SETCOLORGRP(int group, unsigned long background, unsigned long gradientFrom, unsigned long gradientTo,
                     unsigned long text, unsigned long hovered, unsigned long disabled);
    static ptp::COLORREF RGB(int red, int green, int blue) { return pxp::rgb(red, green, blue); }
    void SETFONT(const QString& face);
    void SETAPPNAME(const QString& name);
    void SETMARGINS(int left, int top);
    void SETMARGINS(int left, int top, int right);
    void SETMARGINS(int left, int top, int right, int bottom);
    bool GETWORDWRAP() const { return WORDWRAP; }
    void SETWORDWRAP(bool on) { WORDWRAP = on; }
    bool GETWIZARDMODE() const { return WIZARDMODE; }
    void SETWIZARDMODE(bool on) { WIZARDMODE = on; }
    void SETACTIVEWIZARDTASK(long headerId, long taskId);
    int GETTOOLTIPMAXWIDTH() const { return TOOLTIPMAXWIDTH; }
    void SETTOOLTIPMAXWIDTH(int width);
    int GETTOOLTIPMODE() const { return TOOLTIPMODE; }
    // 0 none, 1 ordinary, 2 balloon; any other value turns tooltips off.
    void SETTOOLTIPMODE(int mode);

    // The mouse and the scroll bar, in the widget's pixels (`y` before scrolling).
    // True when the pointer is over something that takes a click.
    bool TAKEMOUSEMOVEEVENT(int x, int y);
    // Only button 1 does anything. True when a header or task was hit.
    bool TAKEMOUSEBUTTONEVENT(int button, int x, int y);
    // The pointer left the panel: nothing is hovered any more.
    void TAKELEAVEEVENT();
    // Codes: 0 line up, 1 line down, 2 page up, 3 page down, 5 to `track`, 6 top, 7 bottom.
    void TAKESCROLLEVENT(int code, int step, int page, int maximum, int track = 0);

    // A mirrored button changed: its task takes the button's text, icon and visibility.
    void CHECKMIMICS(long control, const QString& text, const QString& icon, bool visible);

    // The arrow icon of a header: "taskxpc"/"taskxpe" + "s" hovered + "w" style 1 + "_ico".
    static QString arrowIconName(bool expanded, bool hovered, int style);
    // An icon's resource name: every "." becomes "_", at most 79 characters.
    static QString GETICONNAME(const QString& name);

    std::vector<ptp::HEADERQ>& headers() { return HEADERS; }
    const std::vector<ptp::HEADERQ>& headers() const { return HEADERS; }
    ptp::HEADERQ* header(long id);
    const ptp::HEADERQ* header(long id) const;
    ptp::TASKQ* task(long headerId, long taskId);
    const ptp::TASKQ* task(long headerId, long taskId) const;
    // The task that mirrors this control, if any.
    const ptp::TASKQ* mimicTask(long control) const;

    long NCURRHEADER = 0;
    long NCURRTASK = 0;
    int SCROLLPOS = 0;
    QString FONTNAME;
    QString APPNAME;
    bool INITED = false;
    bool NOGRADIENT = false;
    int TOOLTIPMODE = 1;
    int TOOLTIPMAXWIDTH = 300;
    bool WIZARDMODE = false;
    long WIZARDLASTHEADERID = 0;
    long WIZARDLASTTASKID = 0;
    bool WORDWRAP = true;
    struct {
        ptp::COLORGROUP PANEL, HEADERS, HEADERS2, TASKS;
    } COLORSCHEMA;
    int NTOPMARGIN = 20, NLEFTMARGIN = 10, NRIGHTMARGIN = 10, NBOTTOMMARGIN = 20;

protected:
    ptp::TaskPanelHost* host() const { return m_host; }
    // Ids are drawn from this: 1..2147483647 at random (tests make it repeat).
    virtual long idRng();

private:
    long newId(const std::function<bool(long)>& taken);
    static QString titleText(const QString& s, int max);

    std::vector<ptp::HEADERQ> HEADERS;
    ptp::TaskPanelHost* m_host = nullptr;
};

namespace ptp {

// Measures a task title: the height it takes in `width` pixels, wrapped or on one line.
using MeasureText = std::function<int(const QString& title, bool bold, int width, bool wrap)>;

// One layout pass for painting, hit-testing and the scroll range alike: sets every visible
// header's and task's MOUSERECT (content coordinates) and returns the content height.
struct TaskPanelLayout {
    struct Row {
        long header, task; // task 0: the header's band
        QRect rect;        // band (30 high) or row
        int iconColumn = 0;
        bool wrapped = false;
    };
    struct Block {
        int top, bottom; // the task block of an expanded group, frame included
        int left, right;
    };
    std::vector<Row> rows;
    std::vector<Block> blocks;
    int height = 0; // bottom of the content
};
TaskPanelLayout layoutPanel(POTASKPANELCLASS& panel, int width, const MeasureText& measure);

// A colour value as Qt's colour: system colours resolved.
unsigned long resolveColour(unsigned long colour);

} // namespace ptp
