#pragma once
// The self-drawn toolbar's bands, items and behaviour, without widgets: building and changing
// bands and items, radio runs and tabs, hot keys, the texts other threads hand over, hover,
// press and release, and running items. VOROVEVEVCLASS (VorovevevClass.h) is the widget that
// paints this model and feeds it the mouse; tests drive the model directly.
#include "chrome/SysColors.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>

#include <deque>
class PXPGLOBALCLASS;
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ptb {

using pxp::COLORREF;

// A rectangle as the toolbar keeps it: right and bottom are one past the last pixel, so the
// width is right - left.
struct Rect {
    long left = 0, top = 0, right = 0, bottom = 0;
    long width() const { return right - left; }
    long height() const { return bottom - top; }
    bool contains(long x, long y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

enum ItemKind {
    KIND_BUTTON = 1,
    KIND_SEPARATOR = 2,
    KIND_MENU = 3,
    KIND_DROPBUTTON = 4,
    KIND_DROPCOMBO = 6,
    KIND_TEXT = 7,
    KIND_SPACER = 8,
    KIND_MIMIC = 9,
    KIND_PROCESS = 10,
    KIND_CWCONTAINER = 11,
};

enum BandKind { BAND_ORDINARY = 0, BAND_MENU = 1, BAND_TAB = 2, BAND_HEADER = 3 };

// Item flags of the add operations; a flag counts only when all its bits are set.
enum ItemFlag : unsigned long {
    PTB_TOGGLE = 1,
    PTB_RADIO = 2,
    PTB_DISABLED = 4,
    PTB_CHECKED = 8,
    PTB_HIDDEN = 16,
    PTB_READONLY = 32,
    PTB_SPLIT = 64,
    PTB_MIMICTEXT = 128,
    PTB_MIMICICON = 256,
    PTB_MIMICTOOLTIP = 512,
    PTB_MIMICENABLE = 1024,
    PTB_MIMICSHOW = 2048,
    PTB_SEPBEFORE = 4096,
    PTB_SEPAFTER = 8192,
};

// Band flags of ADDBAND.
enum BandFlag : unsigned long {
    BAND_LASTONLINE = 1,
    BAND_ICONSABOVE = 2,
    BAND_NOTEXT = 4,
    BAND_NOICONS = 8,
    BAND_FULL = 16,
    BAND_HIDDEN = 32,
    BAND_FLAT = 64,
    BAND_NOGRIP = 128,
    BAND_NOCUSTOMIZE = 256,
    BAND_NOTLISTED = 512,
};

// Drawing states of an item (SETCONTROLSTATE).
enum ItemState { ST_NORMAL = 0, ST_PRESSED = 1, ST_HOT = 2, ST_CHECKED = 3, ST_CHECKEDHOT = 4, ST_CHECKEDPRESSED = 5, ST_MENUOPEN = 6 };

inline bool TESTFLAG(unsigned long value, unsigned long flag) { return (value & flag) == flag; }
inline long MAKELONG(long low, long high) { return high * 65536 + (low & 0xFFFF); }

// The character after the first single "&" (a doubled one is a literal ampersand); 0 when none.
QChar hotKeyChar(const QString& caption);
// The Alt key code of a caption's hot key (0x400 + the upper-case character); 0 when none.
long altKeyCode(const QString& caption);
// GETMENUCHAR: the hot-key character in lower case, or empty.
QString GETMENUCHAR(const QString& text);

// Drawing state from the item and the toolbar's mouse and menu state.
int controlState(bool menuBandInMenuMode, bool menuActive, bool pushed, bool hovered, bool checked, bool leftDown);

// How text is measured; the widget measures in its fonts, tests with fixed widths.
class Measurer {
public:
    virtual ~Measurer() = default;
    // Width of a caption in the toolbar font (bold: the tab band's bold font).
    virtual int textWidth(const QString& text, bool bold = false) const = 0;
    // Width in a text item's own font.
    virtual int textWidthIn(const QFont& font, const QString& text) const = 0;
    // Height of "W" in the toolbar font.
    virtual int textHeight() const = 0;
    // Vertical pixels per inch.
    virtual int dpiY() const { return 96; }
};

class Model;
struct Band;
struct Item;
struct PaintContext;

// The item object: per-kind measuring, painting and behaviour. The base measures 50 × 0 and
// does nothing else.
class ControlClass {
public:
    virtual ~ControlClass() = default;
    virtual bool INIT(Model& tb, Item& item);
    virtual void KILL(Model&, Item&) {}
    virtual long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const { return 50; }
    virtual long MEASUREHEIGHT(const Model&, const Band&, const Item&, const Measurer&) const { return 0; }
    virtual void REPOSITION(Model&, Band&, Item&, const Rect&) {}
    virtual void DRAW(PaintContext&, const Band&, const Item&, const Rect&) const {}
    virtual void SETVISIBLE(Model&, Item&, bool) {}
    virtual void SETENABLED(Model&, Item&, bool) {}
    virtual void SETTOOLTIP(Model&, Item&, const QString&) {}
    virtual QString GETTOOLTIP() const { return {}; }
    // Ids of separators added with the item (0 when none).
    virtual long separatorBefore() const { return 0; }
    virtual long separatorAfter() const { return 0; }

    long ID = 0;
    Model* PPARENT = nullptr;
};

// Push, toggle and radio buttons and tabs; base of the other buttons.
class ButtonClass : public ControlClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;
    long MEASUREHEIGHT(const Model&, const Band&, const Item&, const Measurer&) const override;
    void REPOSITION(Model&, Band&, Item&, const Rect&) override;
    void DRAW(PaintContext&, const Band&, const Item&, const Rect&) const override;
    void SETVISIBLE(Model&, Item&, bool) override;
    void SETTOOLTIP(Model&, Item&, const QString&) override;
    QString GETTOOLTIP() const override { return SZTOOLTIP; }
    long separatorBefore() const override { return NSEPARATORID1; }
    long separatorAfter() const override { return NSEPARATORID2; }
    // The face in its drawing state, then the icon and the caption.
    virtual void drawFace(PaintContext&, const Band&, const Item&, const Rect& area, const Rect& iconArea,
                          const Rect& textArea, const QFont& font, COLORREF colour, bool centred) const;
    void DRAWTAB(PaintContext&, const Band&, const Item&, const Rect& area) const;

    bool ISCHECKBOX = false;
    bool ISRADIO = false;
    QString SZTOOLTIP;
    long NSEPARATORID1 = 0;
    long NSEPARATORID2 = 0;
};

class ProcessButtonClass : public ButtonClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;
    void drawFace(PaintContext&, const Band&, const Item&, const Rect&, const Rect&, const Rect&, const QFont&,
                  COLORREF, bool) const override;
};

struct DropEntry {
    long ITEMID = 0;
    QString SZTXT;
    QString SZICON;
};

// What a drop-down list gave: not shown (empty list or closing guard), cancelled, or a choice.
struct DropAnswer {
    enum Kind { NotShown, Cancelled, Chosen } kind = NotShown;
    long value = 0;
};

class DropButtonClass : public ButtonClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;
    void SETVISIBLE(Model&, Item&, bool) override;
    void drawFace(PaintContext&, const Band&, const Item&, const Rect&, const Rect&, const Rect&, const QFont&,
                  COLORREF, bool) const override;
    void ADDITEM(const QString& text, long itemId, const QString& icon);
    // The arrow part of a split button: the rightmost 11 pixels.
    static Rect arrowArea(const Rect& area) { return {area.right - 11, area.top, area.right, area.bottom}; }
    // The answer for a chosen 1-based position: the entry's ITEMID, or the position when that is 0.
    long answerFor(long position) const;

    bool BSPLIT = false;
    bool BDROPPED = false;
    bool BHASOPENMENU = false;
    std::vector<DropEntry> ITEMQ;
};

// An entry of the menu band.
class MenuClass : public ButtonClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;

    bool hasPopup = false;
    long NMENUPOS = 0;
    long WID = 0;
    QString SZHOTKEY;
};

class TextClass : public ControlClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;
    long MEASUREHEIGHT(const Model&, const Band&, const Item&, const Measurer&) const override;
    void DRAW(PaintContext&, const Band&, const Item&, const Rect&) const override;
    QFont font(int dpiY) const;

    QString SZFONTNAME = QStringLiteral("Tahoma");
    long NFONTSIZE = 8;
    long NFONTSTYLE = 0;
    COLORREF CFONTCOLOR = 0;
};

class SeparatorClass : public ControlClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item&, const Measurer&) const override;
    void DRAW(PaintContext&, const Band&, const Item&, const Rect&) const override;
};

class SpacerClass : public ControlClass {
public:
    long MEASUREWIDTH(const Model&, const Band&, const Item& item, const Measurer&) const override;
};

struct Item {
    long ID = 0;
    QString SZCAPTION;
    QString SZICON;
    QString SZDISABLEDICON;
    int NTYPE = KIND_BUTTON;
    int NSTATE = ST_NORMAL;
    Rect RAREA;
    bool BVISIBLE = true;
    bool BENABLED = true;
    bool BHOVERED = false;
    bool BCHECKED = false;
    bool BPUSHED = false;
    bool BMENUACTIVE = false;
    long NFIXEDWIDTH = 0;
    // Loaded images; a failed load is remembered until the icon name changes.
    QImage HICON;
    QImage HDISABLEDICON;
    bool iconFailed = false;
    std::unique_ptr<ControlClass> PCONTROL;

    ButtonClass* button() const; // push, toggle, radio and process buttons
    DropButtonClass* dropButton() const;
    MenuClass* menu() const;
};

struct Band {
    long ID = 0;
    QString SZNAME;
    std::vector<Item> CONTROLQ;
    long NOFFSETX = 0;
    long NROW = 0;
    Rect RAREA;
    bool BVISIBLE = true;
    bool BENABLED = true;
    long NICONWIDTH = 16;
    long NICONHEIGHT = 16;
    long NFIXEDWIDTH = 0;
    long NFIXEDHEIGHT = 0;
    int NTYPE = BAND_ORDINARY;
    bool BSHOWTEXT = true;
    bool BSHOWICONS = true;
    bool BICONSABOVE = false;
    bool BLASTONLINE = false;
    bool BFULL = false;
    bool BFLAT = false;
    bool BGRIP = true;
    bool BCUSTOMIZE = true;
    bool BRIGHTCUSTOMIZE = true;
    bool BUSERHIDDEN = false;

    // Shown on the toolbar: visible and not hidden by the user.
    bool shown() const { return BVISIBLE && !BUSERHIDDEN; }
};

struct HotKey {
    long CONTROLID = 0;
    long NKEYCODE = 0;
};

struct StringRecord {
    long ID = 0;
    QString TXT;
    long EVENTID = 0;
};

// The bands taking part in the band menu and the customize dialog: listed, named, not the
// menu band, in band order.
std::vector<long> customizableBands(const std::vector<Band>& bands);
// The band menu: "+name" for shown bands, "-name" for bands the user hid, "|"-joined, then
// "-|Customize" (after a "|" when not empty).
QString customizeMenuText(const std::vector<Band>& bands, const QString& customizeText = QStringLiteral("Customize"));

class Model {
public:
    Model();
    virtual ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // ---- fields ----
    QString FONTNAME = QStringLiteral("Tahoma");
    long FONTSIZE = 8;
    int STYLE = 2;
    int MENUSTYLE = -1;
    bool MENUSTYLEFOLLOWS = false;
    long BTNPADDING = 3;
    int TOOLTIPMODE = 1;
    long NMENUHEIGHT = 23;
    bool BRIGHTCLICKCUSTOMIZE = true;
    bool USETHEMECOLORS = true;
    bool BOVERFLOWDETECTION = false;
    bool BDRAWBOTTOMBORDER = false;
    bool BDELAYREFRESH = false;
    bool NOGRADIENT = false;
    bool INITED = false;
    bool FIRSTCALCULATE = true;
    bool RECALCULATE = false;
    bool BMDIVISIBLE = false;
    bool BISCLOSING = false;
    long NMENUBANDID = 0;

    // Mouse and menu state (input).
    long NLASTHOVEREDID = 0;
    Rect RLASTHOVEREDRECT;
    bool BLEFTFLAG = false;
    bool BRIGHTFLAG = false;
    bool BHOTKEYACTIVE = false;
    bool NTRACKINGMODE = false;
    bool HASOPENMENU = false;
    bool BSELECTFIRST = false; // the next popup highlights its first entry (opened from the keyboard)
    bool MENUISCLOSING = false;
    long OPENMENUID = 0;
    long REOPENMENUID = 0;
    long PMOUSEKEYX = -1, PMOUSEKEYY = -1;
    Rect RMENUBAR;
    long NLASTSELECTEDFEQ = 0;

    std::vector<Band> BANDQ;

    std::recursive_mutex& CRIT() const { return m_crit; }

    // ---- fonts and style ----
    void SETFONT(const QString& face, long points);
    // The module whose icons the items name (empty: the program's own); icons load again.
    void SETAPPNAME(const QString& module);
    QString APPNAME;
    void SETSTYLE(int style);
    int GETSTYLE() const { return STYLE; }
    void SETMENUSTYLE(int style);
    int GETMENUSTYLE() const { return MENUSTYLE; }
    void SETMENUSTYLEFOLLOWTOOLBAR(bool on);
    void SETDRAWBOTTOMBORDER(bool on);
    bool GETDRAWBOTTOMBORDER() const { return BDRAWBOTTOMBORDER; }
    void SETOVERFLOWDETECTION(bool on) { BOVERFLOWDETECTION = on; }
    void SETALLOWCUSTOMIZE(bool on) { BRIGHTCLICKCUSTOMIZE = on; }
    // 0 no tooltips, 1 tooltips, 2 balloon tooltips; any other value acts as 0.
    void SETTOOLTIPMODE(int mode);
    int GETTOOLTIPMODE() const { return TOOLTIPMODE; }
    void SETTOOLTIPMAXWIDTH(long pixels) { NTIPMAXWIDTH = pixels; }
    long NTIPMAXWIDTH = 300;
    // The theme service the toolbar follows (the process-wide one unless set; null: none, and
    // no style 3).
    void SETPXP(PXPGLOBALCLASS* service);
    // Whether a theme service is set and it reports themes active.
    bool GETPXPREFERENCES() const;
    // Whether the theme service is there and reports themes active (overridable for tests).
    virtual bool themeServicePresent() const;
    virtual bool themesActive() const;

    // ---- refresh ----
    virtual void REFRESH(bool recalculate);
    void DELAYREFRESH(bool on);
    virtual void INIT();

    // ---- bands ----
    void ADDBAND(long band, unsigned long flags, const QString& name = {}, int kind = BAND_ORDINARY);
    void DELETEBAND(long band);
    Band* GETBAND(long band);
    const Band* GETBAND(long band) const;
    bool GETBANDVISIBLE(long band) const;
    void SETBANDVISIBLE(long band, bool on);
    void SETBANDCONTROLSENABLED(long band, bool on);
    bool GETBANDSHOWTEXT(long band) const;
    void SETBANDSHOWTEXT(long band, bool on);
    bool GETBANDSHOWICONS(long band) const;
    void SETBANDSHOWICONS(long band, bool on);
    bool GETBANDICONSABOVE(long band) const;
    void SETBANDICONSABOVE(long band, bool on);
    void SETICONWIDTH(long band, long pixels);
    void SETICONHEIGHT(long band, long pixels);
    long GETFIXEDWIDTH(long band) const;
    void SETFIXEDWIDTH(long band, long pixels);
    long GETFIXEDHEIGHT(long band) const;
    void SETFIXEDHEIGHT(long band, long pixels);
    long GETACTIVETAB(long band) const;
    void SETACTIVETAB(long band, long position);
    void UNCHECKALL(long band);
    bool ISCONTROLINBAND(long band, long id) const;
    long GETCONTROLBANDID(long id) const;
    // Moves a band one place up (-1) or down (+1) in the band order; false at either end.
    bool MOVEBAND(long band, int direction);

    // ---- adding items ----
    void ADDBUTTON(long band, long id, const QString& caption, const QString& icon = {}, unsigned long flags = 0,
                   long after = -1);
    void ADDPROCESSBUTTON(long band, long id, const QString& caption, const QString& icon = {},
                          unsigned long flags = 0, long after = -1);
    void ADDDROPBUTTON(long band, long id, const QString& caption, const QString& icon = {}, unsigned long flags = 0,
                       long after = -1);
    void ADDTEXT(long band, long id, const QString& text, unsigned long flags = 0, long after = -1,
                 const QString& face = {}, long size = 8, long style = 0, COLORREF colour = 0,
                 const QString& icon = {});
    void ADDSEPARATOR(long band, long id, unsigned long flags = 0, long after = -1);
    void ADDSPACER(long band, long id, long width, long after = -1);
    void ADDDROPITEM(long id, const QString& text, long itemId = 0);
    // Inserts a made item (kind, object) after `after`; false when the band is missing.
    bool insertItem(long band, Item item, long after);

    // ---- items ----
    Item* GETCONTROL(long id);
    const Item* GETCONTROL(long id) const;
    void DELETECONTROL(long id);
    virtual QString GETTEXT(long id) const;
    virtual void SETTEXT(long id, const QString& text);
    QString GETICON(long id) const;
    void SETICON(long id, const QString& icon);
    QString GETDISABLEDICON(long id) const;
    void SETDISABLEDICON(long id, const QString& icon);
    void SETTOOLTIP(long id, const QString& text);
    QString GETTOOLTIP(long id) const;
    bool GETENABLED(long id) const;
    void SETENABLED(long id, bool on);
    bool GETVISIBLE(long id) const;
    void SETVISIBLE(long id, bool on);
    bool GETCHECKED(long id) const;
    void SETCHECKED(long id, bool on);
    bool GETRADIO(long id) const;
    void SETRADIO(long id, bool on);
    bool GETCHECKBOX(long id) const;
    void SETCHECKBOX(long id, bool on);
    void SETWIDTH(long id, long pixels);
    long GETITEMID(long id, long position = 0) const;
    QString GETITEMTEXT(long id, long position) const;
    void DELETEITEM(long id, long key);
    void DELETEITEMS(long id);
    void CWSELECTED(long feq) { NLASTSELECTEDFEQ = feq; }

    // ---- hot keys ----
    void ADDHOTKEY(const QString& caption, long id);
    void DELETEHOTKEY(long id);
    // Runs the item of that Alt key code when it is enabled, visible and its band shown.
    bool TAKEHOTKEY(long keyCode);
    const std::vector<HotKey>& hotKeys() const { return m_hotKeys; }

    // ---- texts handed over by other threads ----
    void PUSHSTRING(long key, const QString& text, long event = 0);
    QString POPSTRING(long key);
    bool ISCLOSING() const;

    // ---- input ----
    void TAKEMOUSEMOVEEVENT(long x, long y);
    // button 1 left, 2 right; BLEFTFLAG/BRIGHTFLAG tell whether it is a press or a release.
    void TAKEMOUSEBUTTONEVENT(int button, long x, long y);
    // A hover timer tick; `cursorOnToolbar` says whether the toolbar is under the cursor.
    void TAKETIMEREVENT(bool cursorOnToolbar, long cursorX, long cursorY);
    void EXECUTECONTROL(long id);
    void CLEARMENUACTIVE(long keep);
    void SETCONTROLSTATE(const Band& band, Item& item) const;
    void leaveMenuMode();
    // Left/Right in an open popup: the next or previous entry of the menu band with id >= 0,
    // wrapping; 0 when none.
    long GETNEXTORPREVIOUSCONTROL(long fromId, bool backwards) const;
    // Alt+character on the menu band.
    bool TAKEMENUCHAR(QChar character);

    // ---- events and the places the widget fills in ----
    // Event 1: an item ran (value: the chosen entry or the combo's user data); event 2: a combo's
    // text was edited. The base asks the bound facade to press a mirrored window button.
    virtual void TAKEEVENT(long event, long band, long id, long value, int button);
    virtual void OPENMENU(long id);
    virtual DropAnswer DROPDOWNMENU(long id);
    virtual void CUSTOMIZEMENU();
    virtual void CUSTOMIZEDIALOG() {}
    // Closes an open popup (so the hover timer opens the next one).
    virtual void cancelMode() {}
    // The menu band's minimise (1), restore (2) and close (3) buttons.
    virtual void mdiCommand(int) {}
    // Tooltips follow the item areas.
    virtual void tooltipChanged(long) {}
    virtual void hotKeyAdded(long, QChar) {}
    virtual void hotKeyRemoved(long) {}
    // Answers the band menu (0: none, count + 1: Customize, n: the n-th taking part band).
    void takeCustomizeChoice(long choice);
    // The dialog's Hide/Show: toggles the user's choice only.
    void toggleUserHidden(long band);

    class PGLOBALHOOK {
    public:
        virtual ~PGLOBALHOOK() = default;
        virtual void TRYEXECUTEMIMIC(long id) = 0;
        virtual void toolbarGone(Model*) {}
    };
    void SETGLOBAL(PGLOBALHOOK* global) { m_global = global; }
    PGLOBALHOOK* global() const { return m_global; }

    // Position (0-based) of the item in its band and the band, or -1.
    bool locate(long id, size_t& band, size_t& item) const;
    // A band's setting, or `fallback` for a band that does not exist; setting one re-lays out.
    template <class T, class D>
    T bandField(long band, T Band::*member, D fallback) const
    {
        const Band* b = GETBAND(band);
        return b ? b->*member : T(fallback);
    }
    template <class T, class V>
    void setBandField(long band, T Band::*member, V value)
    {
        if (Band* b = GETBAND(band)) {
            b->*member = value;
            REFRESH(true);
        }
    }

protected:
    // Runs an item after a click (button 1) or from code (button 0).
    void runItem(long id, int button, bool fromCode);
    void clearRadioRun(long id);
    void trackDropArrow(long x, long y);
    void deleteOne(long id);

    mutable std::recursive_mutex m_crit;
    PXPGLOBALCLASS* m_pxp;
    std::vector<HotKey> m_hotKeys;
    std::deque<StringRecord> m_strings;
    PGLOBALHOOK* m_global = nullptr;
};

// The shortcut column of a popup menu: the widest text after a tab (at most 99 characters),
// measured in the toolbar font, + 10; 0 when no text holds a tab.
long menuHotKeyX(const QStringList& texts, const Measurer& measure);

// A tooltip's text (at most 511 characters, trailing blanks dropped) broken at blanks into
// lines no wider than `maxWidth` where a word allows it.
QString wrapTooltip(const QString& text, long maxWidth, const std::function<int(const QString&)>& width);

// ---- combo boxes ----
// The drop-down list's height for n strings: 15 pixels a row, capped by NMAXCOUNT when set.
long comboListHeight(long strings, long maxCount);
// The field of a combo box or entry field in its item area: after the prompt, at most 22
// pixels high, centred vertically. `prompt` receives the prompt's area.
Rect comboFieldArea(const Rect& area, long promptWidth, Rect& prompt);

// ---- layout ----
// Lays the whole toolbar out in the client area, storing every band's and item's area; returns
// the toolbar's height for its rows. Runs under the model's lock.
long CALCULATE(Model& tb, const Rect& client, const Measurer& measure);
long CALCULATEBANDHEIGHT(const Model& tb, const Band& band, long minimum, const Measurer& measure);
long CALCULATEROWHEIGHT(const Model& tb, size_t position, const Measurer& measure);

// ---- style validation ----
struct StyleEnvironment {
    bool themeService = true;
    bool noGradient = false;
    bool themesActive = false;
};
int validateStyle(int style, const StyleEnvironment& env);

} // namespace ptb
