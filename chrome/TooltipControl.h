#pragma once
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "chrome/SysColors.h"
#include "chrome/TooltipManager.h"

class CFCCOMMANDCNT;
class QWidget;

namespace cfctip {
class TipWindow;
}

// Tooltips over tools of a window: rectangles of it, or the window as a whole, each with a
// text the control keeps (or asks for when shown). A tip can carry a title with an icon, be
// drawn as a balloon with a tail, or follow a tracked position; delays, colours, the largest
// width and the margins can be set. The tip window is an ordinary widget, so the application's
// tooltip manager sees it show and hide and tells the other tooltips (tooltipNotify).
// Where a tooltip asks the text of a tool that has none of its own, when the tip shows: the
// window that placed the tools answers.
class TooltipTexts {
public:
    virtual ~TooltipTexts() = default;
    virtual QString needText(long id) = 0;
};

class CFCTOOLTIPSCLASS : public QObject, public CfcTooltipClient {
    Q_OBJECT
public:
    // Tool flags.
    static constexpr long TTF_IDISHWND = 0x1;
    static constexpr long TTF_CENTERTIP = 0x2;
    static constexpr long TTF_SUBCLASS = 0x10;
    static constexpr long TTF_TRACK = 0x20;
    static constexpr long TTF_ABSOLUTE = 0x80;
    static constexpr long TTF_PARSELINKS = 0x1000;
    // Tooltip styles.
    static constexpr long TTS_ALWAYSTIP = 0x1;
    static constexpr long TTS_NOPREFIX = 0x2;
    static constexpr long TTS_BALLOON = 0x40;
    // Delay kinds.
    static constexpr long TTDT_AUTOMATIC = 0;
    static constexpr long TTDT_RESHOW = 1;
    static constexpr long TTDT_AUTOPOP = 2;
    static constexpr long TTDT_INITIAL = 3;
    // Title icons.
    enum TitleIcon : unsigned long { TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3 };
    static constexpr int TitleLength = 100;
    using CfcTooltipClient::Code;

    struct ToolInfo {
        long flags = 0;
        long id = 0;
        QRect rect;
        QString text;
        bool wholeWindow = false;
    };

    explicit CFCTOOLTIPSCLASS(QObject* parent = nullptr);
    ~CFCTOOLTIPSCLASS() override;

    void INIT(QWidget* parent);
    // Makes the tip window; null without a parent.
    QWidget* CREATETOOLTIP(long style = 0);
    void KILL();
    void SETCOMMANDCNT(CFCCOMMANDCNT& counter) { CNT = &counter; }

    // A tool over `rect` of the parent, or (no rectangle) the whole parent, whose id is then
    // the parent's handle. Without a text the tool's text is asked of the texts when shown.
    // -1 before the tip window exists.
    long ADDTOOL(std::optional<QRect> rect = std::nullopt, long flags = TTF_SUBCLASS);
    long ADDTOOL(const QString& text, std::optional<QRect> rect = std::nullopt, long flags = TTF_SUBCLASS);
    long DELTOOL(long id);
    long SETTOOLTEXT(long id, const QString& text);
    QString GETTOOLTEXT(long id) const;
    long GETTOOLTEXTLEN(long id) const;

    // The title is cut to 100 characters; TTI_* or 0 for no icon.
    long SETTITLE(const QString& title, unsigned long icon);
    void REMOVETITLE() { SETTITLE(QString(), TTI_NONE); }
    QString GETTITLETEXT() const { return TOOLTITLE; }
    long GETTITLETEXTLEN() const { return long(TOOLTITLE.size()); }
    unsigned long GETTITLEICONID() const { return TITLEICONID; }
    // The icon shown with the title (0 without a title).
    unsigned long GETTITLECOPIEDHICON() const { return TOOLTITLE.isEmpty() ? 0 : TITLEICONID; }

    void ACTIVATE(bool on);
    bool active() const { return m_active; }
    long ACTIVATETRACK(long id, bool on);
    // In the parent's screen coordinates.
    void SETTRACKPOS(short x, short y);

    long GETTOOLINFOBYID(long id, ToolInfo& info) const;
    long GETTOOLINFOBYIDX(long index, ToolInfo& info) const;
    long GETCURRENTTOOLINFO(ToolInfo& info) const;
    bool ISTOOLVISIBLE() const;
    // The size of the tool's tip; -1 when it has nothing to show, 0 for an unknown tool.
    long GETBUBBLESIZE(long id, long& width, long& height) const;
    void SETNEWTOOLRECT(long id, const QRect& rect);

    // Milliseconds; a negative time puts back the default.
    long SETDELAYTIME(long which, long time);
    long SETINITIALTIME(long time) { return SETDELAYTIME(TTDT_INITIAL, time); }
    long SETRESHOWTIME(long time) { return SETDELAYTIME(TTDT_RESHOW, time); }
    long SETAUTOPOPTIME(long time) { return SETDELAYTIME(TTDT_AUTOPOP, time); }
    long GETDELAYTIME(long which) const;
    long GETINITIALTIME() const { return GETDELAYTIME(TTDT_INITIAL); }
    long GETRESHOWTIME() const { return GETDELAYTIME(TTDT_RESHOW); }
    long GETAUTOPOPTIME() const { return GETDELAYTIME(TTDT_AUTOPOP); }
    long SETTIPBKCOLOR(pxp::COLORREF colour);
    long SETTIPTEXTCOLOR(pxp::COLORREF colour);
    pxp::COLORREF GETTIPBKCOLOR() const { return m_back; }
    pxp::COLORREF GETTIPTEXTCOLOR() const { return m_textColour; }
    // Pixels; -1 lets the tip be as wide as its text. Answers the earlier width.
    long SETMAXTIPWIDTH(long width);
    long GETMAXTIPWIDTH() const { return m_maxWidth; }
    // Room between the tip's edge and its text.
    void SETMARGIN(const QMargins& margin);
    void GETMARGIN(QMargins& margin) const { margin = m_margin; }
    void POPTOOLTIP();
    void UPDATE();
    // Shows the tip of the tool under the mouse now, without the delay.
    void POPUPTOOLTIP();
    long GETTOOLCOUNT() const { return long(TTQ.size()); }

    virtual void ONPOP(long code) { (void)code; }
    virtual void ONSHOW(long code) { (void)code; }
    virtual void ONLINKCLICK(long code) { (void)code; }
    // Another tooltip popped: this one deactivates, updates and activates again.
    virtual void ONUPDATE(long code);

    // What the application's tooltip manager sees of this tooltip: its window, and the
    // notifications it hands on. A tooltip with a window is registered with the manager, which
    // delivers ONSHOW, ONPOP and ONLINKCLICK (posted) and tells the other tooltips to update on
    // a pop; without the manager (notifiesItself) the tooltip calls them itself.
    QWidget* tooltipWindow() const override;
    void tooltipNotify(long code) override;
    bool notifiesItself = false;

    // The id of a whole-window tool of `window`.
    static long handleOf(const QWidget* window) { return long(reinterpret_cast<quintptr>(window) & 0x7FFFFFFFFFFFll); }
    // Who answers the text of a tool without its own; null: such tools show no tip. The
    // answerer must outlive its attachment.
    void setTexts(TooltipTexts* texts) { m_texts = texts; }

    QPointer<QWidget> PARENTHWND;
    CFCCOMMANDCNT* CNT = nullptr;
    unsigned long TITLEICONID = 0;
    QString TOOLTITLE;

signals:
    void linkActivated(const QString& link);
    void shown(long toolId);
    void popped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TooltipTexts* m_texts = nullptr;
    struct Tool {
        long id = 0;
        bool wholeWindow = false;
        long flags = 0;
        QRect rect;
        std::optional<QString> text; // nullopt: asked for when shown
    };
    long addTool(std::optional<QString> text, std::optional<QRect> rect, long flags);
    const Tool* find(long id) const;
    Tool* find(long id);
    const Tool* toolAt(const QPoint& pos) const;
    QString textOf(const Tool& tool) const;
    void show(const Tool& tool, const QPoint& globalPos);
    void hideTip();
    void applyLook();
    static ToolInfo infoOf(const Tool& tool);

    QPointer<cfctip::TipWindow> HWNDTT;
    std::vector<Tool> TTQ;
    long m_style = 0;
    bool m_active = true;
    long m_current = 0; // the tool whose tip shows or waits; 0: none
    bool m_hasCurrent = false;
    long m_tracked = 0;
    bool m_tracking = false;
    QPoint m_trackPos;
    QPoint m_pendingPos;
    long m_initial = -1, m_reshow = -1, m_autopop = -1;
    pxp::COLORREF m_back;
    pxp::COLORREF m_textColour;
    long m_maxWidth = -1;
    QMargins m_margin{4, 2, 4, 2};
    QTimer m_wait;
    QTimer m_autopopTimer;
};
