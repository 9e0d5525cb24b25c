#include "chrome/VorovevevModel.h"

#include "chrome/ChromeGlobals.h"

#include <algorithm>

namespace ptb {

using Lock = std::lock_guard<std::recursive_mutex>;

QChar hotKeyChar(const QString& caption)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (i + 1 >= caption.size())
            return {};
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return {};
}

long altKeyCode(const QString& caption)
{
    const QChar c = hotKeyChar(caption);
    return c.isNull() ? 0 : 0x400 + long(c.toUpper().unicode());
}

QString GETMENUCHAR(const QString& text)
{
    const QChar c = hotKeyChar(text);
    return c.isNull() ? QString() : QString(c.toLower());
}

int controlState(bool menuBandInMenuMode, bool menuActive, bool pushed, bool hovered, bool checked, bool leftDown)
{
    if (menuBandInMenuMode)
        return menuActive ? ST_MENUOPEN : ST_NORMAL;
    if (!checked) {
        if (pushed && hovered)
            return ST_PRESSED;
        return hovered && !leftDown ? ST_HOT : ST_NORMAL;
    }
    if (hovered && leftDown)
        return ST_CHECKEDPRESSED;
    return hovered ? ST_CHECKEDHOT : ST_CHECKED;
}

int validateStyle(int style, const StyleEnvironment& env)
{
    if (style == 3 && !env.themeService)
        style = 0;
    if (env.noGradient)
        style = 0;
    if (style == 3 && !env.themesActive)
        style = 0;
    return style;
}

std::vector<long> customizableBands(const std::vector<Band>& bands)
{
    std::vector<long> out;
    for (const Band& b : bands)
        if (b.BRIGHTCUSTOMIZE && b.NTYPE != BAND_MENU && !b.SZNAME.trimmed().isEmpty())
            out.push_back(b.ID);
    return out;
}

QString customizeMenuText(const std::vector<Band>& bands, const QString& customizeText)
{
    QStringList parts;
    for (const Band& b : bands)
        if (b.BRIGHTCUSTOMIZE && b.NTYPE != BAND_MENU && !b.SZNAME.trimmed().isEmpty())
            parts << (b.BUSERHIDDEN ? QStringLiteral("-") : QStringLiteral("+")) + b.SZNAME;
    QString text = parts.join(u'|');
    if (!text.isEmpty())
        text += u'|';
    return text + QStringLiteral("-|") + customizeText;
}

long menuHotKeyX(const QStringList& texts, const Measurer& measure)
{
    long widest = 0;
    bool any = false;
    for (const QString& t : texts) {
        const qsizetype tab = t.indexOf(u'\t');
        if (tab < 0)
            continue;
        any = true;
        widest = std::max<long>(widest, measure.textWidth(t.mid(tab + 1).left(99)));
    }
    return any ? widest + 10 : 0;
}

QString wrapTooltip(const QString& text, long maxWidth, const std::function<int(const QString&)>& width)
{
    QString t = text.left(511);
    while (t.endsWith(u' '))
        t.chop(1);
    QStringList lines;
    for (const QString& paragraph : t.split(u'\n')) {
        QString line;
        for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + u' ' + word;
            if (!line.isEmpty() && width(candidate) > maxWidth) {
                lines << line;
                line = word;
            } else {
                line = candidate;
            }
        }
        lines << line;
    }
    return lines.join(u'\n');
}

long comboListHeight(long strings, long maxCount)
{
    long n = strings;
    if (maxCount > 0 && maxCount < n)
        n = maxCount;
    return 15 * n + 1;
}

Rect comboFieldArea(const Rect& A, long promptWidth, Rect& prompt)
{
    Rect r{A.left + 2, A.top + 1, A.right - 1, A.bottom + 1};
    if (promptWidth > 0) {
        prompt = {r.left, r.top, r.left + promptWidth, r.bottom - 2};
        r.left += promptWidth;
    }
    if (r.height() > 22)
        r.bottom = r.top + 22;
    const long offset = (A.height() / 2 - r.height() / 2) + A.top - r.top + 1;
    r.top += offset;
    r.bottom += offset;
    return r;
}

// ---------------------------------------------------------------- item objects

bool ControlClass::INIT(Model& tb, Item& item)
{
    ID = item.ID;
    PPARENT = &tb;
    return true;
}

ButtonClass* Item::button() const
{
    return (NTYPE == KIND_BUTTON || NTYPE == KIND_PROCESS) ? static_cast<ButtonClass*>(PCONTROL.get()) : nullptr;
}
DropButtonClass* Item::dropButton() const
{
    return NTYPE == KIND_DROPBUTTON ? static_cast<DropButtonClass*>(PCONTROL.get()) : nullptr;
}
MenuClass* Item::menu() const { return NTYPE == KIND_MENU ? static_cast<MenuClass*>(PCONTROL.get()) : nullptr; }

namespace {

long fixedWidthOf(const Band& band, const Item& item)
{
    if (item.NFIXEDWIDTH != 0)
        return item.NFIXEDWIDTH;
    return band.NFIXEDWIDTH;
}

long iconPart(const Band& band, const Item& item)
{
    return !item.SZICON.trimmed().isEmpty() && band.BSHOWICONS ? band.NICONWIDTH : 0;
}

} // namespace

long ButtonClass::MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const
{
    if (const long fixed = fixedWidthOf(band, item))
        return fixed;
    const long icon = iconPart(band, item);
    long w = icon;
    if (!item.SZCAPTION.isEmpty() && band.BSHOWTEXT) {
        w += m.textWidth(item.SZCAPTION, band.NTYPE == BAND_TAB);
        if (icon != 0)
            w += tb.BTNPADDING;
    }
    return w;
}

long ButtonClass::MEASUREHEIGHT(const Model& tb, const Band& band, const Item&, const Measurer& m) const
{
    const long p = tb.BTNPADDING;
    if (!band.BICONSABOVE)
        return band.NICONHEIGHT + 2 * p;
    const long t = band.BSHOWTEXT ? m.textHeight() : p;
    const long i = band.BSHOWICONS ? band.NICONHEIGHT + p : p;
    return (band.BSHOWTEXT || band.BSHOWICONS) ? i + t + 3 * p : i + t + 2 * p;
}

void ButtonClass::REPOSITION(Model& tb, Band&, Item& item, const Rect&)
{
    if (!SZTOOLTIP.isEmpty())
        tb.tooltipChanged(item.ID);
}

void ButtonClass::SETVISIBLE(Model& tb, Item& item, bool on)
{
    const long id = item.ID; // the item may move while the separators change
    tb.tooltipChanged(id);
    if (NSEPARATORID1)
        tb.SETVISIBLE(NSEPARATORID1, on);
    if (NSEPARATORID2)
        tb.SETVISIBLE(NSEPARATORID2, on);
}

void ButtonClass::SETTOOLTIP(Model& tb, Item& item, const QString& text)
{
    QString t = text;
    while (t.endsWith(u' '))
        t.chop(1);
    SZTOOLTIP = t.left(255);
    tb.tooltipChanged(item.ID);
}

long ProcessButtonClass::MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const
{
    const long w = ButtonClass::MEASUREWIDTH(tb, band, item, m);
    return fixedWidthOf(band, item) ? w : w + 25;
}

long DropButtonClass::MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const
{
    const long w = ButtonClass::MEASUREWIDTH(tb, band, item, m);
    return fixedWidthOf(band, item) ? w : w + 11;
}

void DropButtonClass::SETVISIBLE(Model& tb, Item&, bool on)
{
    if (NSEPARATORID1)
        tb.SETVISIBLE(NSEPARATORID1, on);
    if (NSEPARATORID2)
        tb.SETVISIBLE(NSEPARATORID2, on);
}

void DropButtonClass::ADDITEM(const QString& text, long itemId, const QString& icon)
{
    ITEMQ.push_back({itemId, text.left(255), icon.trimmed()});
}

long DropButtonClass::answerFor(long position) const
{
    if (position < 1 || position > long(ITEMQ.size()))
        return 0;
    const long id = ITEMQ[size_t(position - 1)].ITEMID;
    return id != 0 ? id : position;
}

long MenuClass::MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const
{
    long w = ButtonClass::MEASUREWIDTH(tb, band, item, m) + 5;
    if (band.NFIXEDWIDTH == 0)
        w += tb.BTNPADDING;
    return w;
}

QFont TextClass::font(int dpiY) const
{
    QFont f(SZFONTNAME.trimmed().isEmpty() ? QStringLiteral("Tahoma") : SZFONTNAME.trimmed());
    f.setPixelSize(std::max<long>(1, NFONTSIZE * dpiY / 72));
    if (TESTFLAG(ulong(NFONTSTYLE), 100))
        f.setWeight(QFont::Thin);
    else if (TESTFLAG(ulong(NFONTSTYLE), 700))
        f.setWeight(QFont::Bold);
    else
        f.setWeight(QFont::Normal);
    f.setItalic(NFONTSTYLE & 0x1000);
    f.setUnderline(NFONTSTYLE & 0x2000);
    f.setStrikeOut(NFONTSTYLE & 0x4000);
    return f;
}

long TextClass::MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const
{
    if (item.NFIXEDWIDTH != 0)
        return item.NFIXEDWIDTH;
    long w = 0;
    if (band.BSHOWICONS && !item.SZICON.trimmed().isEmpty()) {
        w = band.NICONWIDTH + tb.BTNPADDING;
        if (!item.SZCAPTION.isEmpty())
            w += tb.BTNPADDING;
    }
    return w + m.textWidthIn(font(m.dpiY()), item.SZCAPTION);
}

long TextClass::MEASUREHEIGHT(const Model&, const Band&, const Item&, const Measurer& m) const
{
    return NFONTSIZE * m.dpiY() / 72;
}

long SeparatorClass::MEASUREWIDTH(const Model& tb, const Band&, const Item&, const Measurer&) const
{
    return 3 - tb.BTNPADDING;
}

long SpacerClass::MEASUREWIDTH(const Model&, const Band&, const Item& item, const Measurer&) const
{
    return item.NFIXEDWIDTH;
}

// ---------------------------------------------------------------- the model

Model::Model()
    : m_pxp(&PXPGlobal)
{
}

Model::~Model()
{
    // Item objects let go of what they hold, band by band from the last.
    for (auto b = BANDQ.rbegin(); b != BANDQ.rend(); ++b)
        for (Item& item : b->CONTROLQ)
            if (item.PCONTROL)
                item.PCONTROL->KILL(*this, item);
}

void Model::SETPXP(PXPGLOBALCLASS* service)
{
    m_pxp = service;
    SETSTYLE(STYLE);
}

bool Model::GETPXPREFERENCES() const { return m_pxp && m_pxp->ISTHEMEACTIVE(); }
bool Model::themeServicePresent() const { return m_pxp != nullptr; }
bool Model::themesActive() const { return GETPXPREFERENCES(); }

void Model::SETFONT(const QString& face, long points)
{
    FONTNAME = face.trimmed().isEmpty() ? QStringLiteral("Tahoma") : face.trimmed();
    FONTSIZE = points == 0 ? 8 : points;
    REFRESH(true);
}

void Model::SETAPPNAME(const QString& module)
{
    {
        Lock lock(m_crit);
        APPNAME = module.trimmed().left(1023);
        for (Band& b : BANDQ)
            for (Item& i : b.CONTROLQ) {
                i.HICON = {};
                i.HDISABLEDICON = {};
                i.iconFailed = false;
            }
    }
    REFRESH(true);
}

void Model::SETSTYLE(int style)
{
    Lock lock(m_crit);
    STYLE = validateStyle(style, {themeServicePresent(), NOGRADIENT, themesActive()});
    if (MENUSTYLEFOLLOWS)
        MENUSTYLE = STYLE;
    REFRESH(true);
}

void Model::SETMENUSTYLE(int style)
{
    Lock lock(m_crit);
    if (MENUSTYLEFOLLOWS)
        MENUSTYLE = STYLE;
    else
        MENUSTYLE = validateStyle(style, {themeServicePresent(), NOGRADIENT, themesActive()});
}

void Model::SETMENUSTYLEFOLLOWTOOLBAR(bool on)
{
    MENUSTYLEFOLLOWS = on;
    SETMENUSTYLE(MENUSTYLE);
}

void Model::SETDRAWBOTTOMBORDER(bool on)
{
    BDRAWBOTTOMBORDER = on;
    REFRESH(true);
}

void Model::SETTOOLTIPMODE(int mode)
{
    TOOLTIPMODE = (mode == 1 || mode == 2) ? mode : 0;
    tooltipChanged(0);
}

void Model::REFRESH(bool recalculate)
{
    if (BDELAYREFRESH)
        return;
    if (recalculate)
        RECALCULATE = true;
}

void Model::DELAYREFRESH(bool on)
{
    BDELAYREFRESH = on;
    if (!on)
        REFRESH(true);
}

void Model::INIT()
{
    INITED = true;
    RECALCULATE = true;
    REFRESH(false);
}

// ---------------------------------------------------------------- bands

void Model::ADDBAND(long band, unsigned long flags, const QString& name, int kind)
{
    Lock lock(m_crit);
    if (GETBAND(band))
        return;
    Band b;
    b.ID = band;
    b.SZNAME = name.left(79);
    b.NTYPE = kind;
    b.BSHOWTEXT = !TESTFLAG(flags, BAND_NOTEXT);
    b.BSHOWICONS = !TESTFLAG(flags, BAND_NOICONS);
    b.BICONSABOVE = TESTFLAG(flags, BAND_ICONSABOVE);
    b.BLASTONLINE = TESTFLAG(flags, BAND_LASTONLINE) || TESTFLAG(flags, BAND_FULL);
    b.BFULL = TESTFLAG(flags, BAND_FULL);
    b.BFLAT = TESTFLAG(flags, BAND_FLAT);
    b.BGRIP = !TESTFLAG(flags, BAND_NOGRIP);
    b.BCUSTOMIZE = !TESTFLAG(flags, BAND_NOCUSTOMIZE);
    b.BRIGHTCUSTOMIZE = !TESTFLAG(flags, BAND_NOTLISTED);
    b.BVISIBLE = !TESTFLAG(flags, BAND_HIDDEN);
    if (kind == BAND_HEADER) {
        b.BGRIP = false;
        b.BCUSTOMIZE = false;
    }
    BANDQ.push_back(std::move(b));
}

void Model::DELETEBAND(long band)
{
    Lock lock(m_crit);
    auto it = std::find_if(BANDQ.begin(), BANDQ.end(), [&](const Band& b) { return b.ID == band; });
    if (it == BANDQ.end())
        return;
    std::vector<Item> items = std::move(it->CONTROLQ);
    for (Item& item : items) {
        if (item.PCONTROL)
            item.PCONTROL->KILL(*this, item);
        DELETEHOTKEY(item.ID);
    }
    BANDQ.erase(std::find_if(BANDQ.begin(), BANDQ.end(), [&](const Band& b) { return b.ID == band; }));
    if (band == NMENUBANDID)
        NMENUBANDID = 0;
    NLASTHOVEREDID = 0;
    RLASTHOVEREDRECT = {};
    REFRESH(true);
}

Band* Model::GETBAND(long band)
{
    for (Band& b : BANDQ)
        if (b.ID == band)
            return &b;
    return nullptr;
}

const Band* Model::GETBAND(long band) const { return const_cast<Model*>(this)->GETBAND(band); }

bool Model::GETBANDVISIBLE(long band) const
{
    Lock lock(m_crit);
    const Band* b = GETBAND(band);
    return b && b->BVISIBLE;
}

void Model::SETBANDVISIBLE(long band, bool on)
{
    Lock lock(m_crit);
    Band* b = GETBAND(band);
    if (!b)
        return;
    b->BVISIBLE = on;
    std::vector<long> ids;
    for (const Item& i : b->CONTROLQ)
        ids.push_back(i.ID);
    for (long id : ids)
        if (Item* item = GETCONTROL(id); item && item->PCONTROL)
            item->PCONTROL->SETVISIBLE(*this, *item, on && item->BVISIBLE);
    REFRESH(true);
}

void Model::SETBANDCONTROLSENABLED(long band, bool on)
{
    Lock lock(m_crit);
    Band* b = GETBAND(band);
    if (!b)
        return;
    for (Item& i : b->CONTROLQ)
        i.BENABLED = on;
    REFRESH(true);
}

#define PTB_BAND_FLAG(GET, SET, FIELD)                                                                               \
    bool Model::GET(long band) const                                                                                 \
    {                                                                                                                \
        const Band* b = GETBAND(band);                                                                               \
        return b && b->FIELD;                                                                                        \
    }                                                                                                                \
    void Model::SET(long band, bool on)                                                                              \
    {                                                                                                                \
        if (Band* b = GETBAND(band)) {                                                                               \
            b->FIELD = on;                                                                                           \
            REFRESH(true);                                                                                           \
        }                                                                                                            \
    }
PTB_BAND_FLAG(GETBANDSHOWTEXT, SETBANDSHOWTEXT, BSHOWTEXT)
PTB_BAND_FLAG(GETBANDSHOWICONS, SETBANDSHOWICONS, BSHOWICONS)
PTB_BAND_FLAG(GETBANDICONSABOVE, SETBANDICONSABOVE, BICONSABOVE)
#undef PTB_BAND_FLAG

void Model::SETICONWIDTH(long band, long pixels)
{
    setBandField(band, &Band::NICONWIDTH, pixels);
}

void Model::SETICONHEIGHT(long band, long pixels)
{
    setBandField(band, &Band::NICONHEIGHT, pixels);
}

long Model::GETFIXEDWIDTH(long band) const
{
    return bandField(band, &Band::NFIXEDWIDTH, -1);
}

void Model::SETFIXEDWIDTH(long band, long pixels)
{
    setBandField(band, &Band::NFIXEDWIDTH, pixels);
}

long Model::GETFIXEDHEIGHT(long band) const
{
    return bandField(band, &Band::NFIXEDHEIGHT, -1);
}

void Model::SETFIXEDHEIGHT(long band, long pixels)
{
    setBandField(band, &Band::NFIXEDHEIGHT, pixels);
}

long Model::GETACTIVETAB(long band) const
{
    Lock lock(m_crit);
    const Band* b = GETBAND(band);
    if (!b || b->NTYPE != BAND_TAB)
        return 0;
    for (size_t i = 0; i < b->CONTROLQ.size(); ++i)
        if (b->CONTROLQ[i].BCHECKED)
            return long(i) + 1;
    return 0;
}

void Model::SETACTIVETAB(long band, long position)
{
    Lock lock(m_crit);
    Band* b = GETBAND(band);
    if (!b || b->NTYPE != BAND_TAB)
        return;
    const long n = long(b->CONTROLQ.size());
    auto usable = [&](long pos) {
        const Item& i = b->CONTROLQ[size_t(pos - 1)];
        return i.BENABLED && i.BVISIBLE;
    };
    long chosen = 0;
    if (position >= 1 && position <= n && usable(position)) {
        chosen = position;
    } else {
        if (position >= 1 && position <= n)
            b->CONTROLQ[size_t(position - 1)].BCHECKED = false;
        for (long p = std::max<long>(position, 1); p <= n && !chosen; ++p)
            if (usable(p))
                chosen = p;
        for (long p = 1; p <= std::min(position, n) && !chosen; ++p)
            if (usable(p))
                chosen = p;
    }
    if (chosen)
        SETCHECKED(b->CONTROLQ[size_t(chosen - 1)].ID, true);
    else
        REFRESH(false);
}

void Model::UNCHECKALL(long band)
{
    Lock lock(m_crit);
    if (Band* b = GETBAND(band)) {
        for (Item& i : b->CONTROLQ)
            i.BCHECKED = false;
        REFRESH(false);
    }
}

bool Model::ISCONTROLINBAND(long band, long id) const
{
    const Band* b = GETBAND(band);
    return b && std::any_of(b->CONTROLQ.begin(), b->CONTROLQ.end(), [&](const Item& i) { return i.ID == id; });
}

long Model::GETCONTROLBANDID(long id) const
{
    size_t b, i;
    return locate(id, b, i) ? BANDQ[b].ID : 0;
}

bool Model::MOVEBAND(long band, int direction)
{
    Lock lock(m_crit);
    for (size_t i = 0; i < BANDQ.size(); ++i) {
        if (BANDQ[i].ID != band)
            continue;
        const long to = long(i) + direction;
        if (to < 0 || to >= long(BANDQ.size()))
            return false;
        std::swap(BANDQ[i], BANDQ[size_t(to)]);
        REFRESH(true);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- adding items

bool Model::locate(long id, size_t& band, size_t& item) const
{
    for (size_t b = 0; b < BANDQ.size(); ++b)
        for (size_t i = 0; i < BANDQ[b].CONTROLQ.size(); ++i)
            if (BANDQ[b].CONTROLQ[i].ID == id) {
                band = b;
                item = i;
                return true;
            }
    return false;
}

Item* Model::GETCONTROL(long id)
{
    size_t b, i;
    return locate(id, b, i) ? &BANDQ[b].CONTROLQ[i] : nullptr;
}

const Item* Model::GETCONTROL(long id) const { return const_cast<Model*>(this)->GETCONTROL(id); }

bool Model::insertItem(long band, Item item, long after)
{
    Lock lock(m_crit);
    Band* b = GETBAND(band);
    if (!b)
        return false;
    auto pos = b->CONTROLQ.end();
    if (after == 0)
        pos = b->CONTROLQ.begin();
    else if (after > 0 || after < -1) {
        auto it = std::find_if(b->CONTROLQ.begin(), b->CONTROLQ.end(), [&](const Item& i) { return i.ID == after; });
        if (it != b->CONTROLQ.end())
            pos = it + 1;
    }
    const long id = item.ID;
    b->CONTROLQ.insert(pos, std::move(item));
    if (Item* stored = GETCONTROL(id); stored && stored->PCONTROL)
        stored->PCONTROL->INIT(*this, *stored);
    return true;
}

namespace {

Item makeItem(long id, int kind, const QString& caption, const QString& icon, unsigned long flags)
{
    Item item;
    item.ID = id;
    item.NTYPE = kind;
    item.SZCAPTION = caption.left(255);
    item.SZICON = icon.trimmed();
    item.BENABLED = !TESTFLAG(flags, PTB_DISABLED);
    item.BVISIBLE = !TESTFLAG(flags, PTB_HIDDEN);
    return item;
}

} // namespace

void Model::ADDBUTTON(long band, long id, const QString& caption, const QString& icon, unsigned long flags, long after)
{
    Band* b = GETBAND(band);
    if (!b)
        return;
    const bool tab = b->NTYPE == BAND_TAB;
    Item item = makeItem(id, KIND_BUTTON, tab ? u' ' + caption + u' ' : caption, icon, flags);
    auto obj = std::make_unique<ButtonClass>();
    obj->ISCHECKBOX = TESTFLAG(flags, PTB_TOGGLE) || TESTFLAG(flags, PTB_RADIO) || tab;
    obj->ISRADIO = TESTFLAG(flags, PTB_RADIO) || tab;
    item.BCHECKED = TESTFLAG(flags, PTB_CHECKED);
    const bool sepBefore = TESTFLAG(flags, PTB_SEPBEFORE), sepAfter = TESTFLAG(flags, PTB_SEPAFTER);
    obj->NSEPARATORID1 = sepBefore ? id - 1 : 0;
    obj->NSEPARATORID2 = sepAfter ? id + 1 : 0;
    item.PCONTROL = std::move(obj);
    const unsigned long hidden = TESTFLAG(flags, PTB_HIDDEN) ? (unsigned long)PTB_HIDDEN : 0UL;
    if (sepBefore)
        ADDSEPARATOR(band, id - 1, hidden, after);
    const long at = sepBefore ? id - 1 : after;
    insertItem(band, std::move(item), at);
    ADDHOTKEY(caption, id);
    if (sepAfter)
        ADDSEPARATOR(band, id + 1, hidden, id);
    REFRESH(true);
}

void Model::ADDPROCESSBUTTON(long band, long id, const QString& caption, const QString& icon, unsigned long flags,
                             long after)
{
    Band* b = GETBAND(band);
    if (!b)
        return;
    const bool tab = b->NTYPE == BAND_TAB;
    Item item = makeItem(id, KIND_PROCESS, tab ? QStringLiteral("   ") + caption + QStringLiteral("   ") : caption,
                         icon, flags);
    auto obj = std::make_unique<ProcessButtonClass>();
    obj->ISCHECKBOX = TESTFLAG(flags, PTB_TOGGLE) || TESTFLAG(flags, PTB_RADIO) || tab;
    obj->ISRADIO = TESTFLAG(flags, PTB_RADIO) || tab;
    item.BCHECKED = TESTFLAG(flags, PTB_CHECKED);
    item.PCONTROL = std::move(obj);
    insertItem(band, std::move(item), after);
    ADDHOTKEY(caption, id);
    REFRESH(true);
}

void Model::ADDDROPBUTTON(long band, long id, const QString& caption, const QString& icon, unsigned long flags,
                          long after)
{
    if (!GETBAND(band))
        return;
    Item item = makeItem(id, KIND_DROPBUTTON, caption, icon, flags);
    auto obj = std::make_unique<DropButtonClass>();
    obj->BSPLIT = TESTFLAG(flags, PTB_SPLIT);
    const bool sepBefore = TESTFLAG(flags, PTB_SEPBEFORE), sepAfter = TESTFLAG(flags, PTB_SEPAFTER);
    obj->NSEPARATORID1 = sepBefore ? id - 1 : 0;
    obj->NSEPARATORID2 = sepAfter ? id + 1 : 0;
    item.PCONTROL = std::move(obj);
    const unsigned long hidden = TESTFLAG(flags, PTB_HIDDEN) ? (unsigned long)PTB_HIDDEN : 0UL;
    if (sepBefore)
        ADDSEPARATOR(band, id - 1, hidden, after);
    insertItem(band, std::move(item), sepBefore ? id - 1 : after);
    ADDHOTKEY(caption, id);
    if (sepAfter)
        ADDSEPARATOR(band, id + 1, hidden, id);
    REFRESH(true);
}

void Model::ADDTEXT(long band, long id, const QString& text, unsigned long flags, long after, const QString& face,
                    long size, long style, COLORREF colour, const QString& icon)
{
    if (!GETBAND(band))
        return;
    Item item = makeItem(id, KIND_TEXT, text, icon, flags);
    auto obj = std::make_unique<TextClass>();
    obj->SZFONTNAME = face.trimmed().isEmpty() ? QStringLiteral("Tahoma") : face.trimmed().left(99);
    obj->NFONTSIZE = size > 0 ? size : 8;
    obj->NFONTSTYLE = style;
    obj->CFONTCOLOR = colour;
    item.PCONTROL = std::move(obj);
    insertItem(band, std::move(item), after);
    REFRESH(true);
}

void Model::ADDSEPARATOR(long band, long id, unsigned long flags, long after)
{
    if (!GETBAND(band))
        return;
    Item item = makeItem(id, KIND_SEPARATOR, {}, {}, flags & PTB_HIDDEN);
    item.PCONTROL = std::make_unique<SeparatorClass>();
    insertItem(band, std::move(item), after);
    REFRESH(true);
}

void Model::ADDSPACER(long band, long id, long width, long after)
{
    if (!GETBAND(band))
        return;
    Item item = makeItem(id, KIND_SPACER, {}, {}, 0);
    item.NFIXEDWIDTH = width;
    item.PCONTROL = std::make_unique<SpacerClass>();
    insertItem(band, std::move(item), after);
    REFRESH(true);
}

void Model::ADDDROPITEM(long id, const QString& text, long itemId)
{
    if (Item* item = GETCONTROL(id))
        if (DropButtonClass* d = item->dropButton())
            d->ADDITEM(text, itemId, {});
}

// ---------------------------------------------------------------- items

void Model::deleteOne(long id)
{
    Lock lock(m_crit);
    size_t b, i;
    if (!locate(id, b, i))
        return;
    Item item = std::move(BANDQ[b].CONTROLQ[i]);
    BANDQ[b].CONTROLQ.erase(BANDQ[b].CONTROLQ.begin() + long(i));
    if (item.PCONTROL)
        item.PCONTROL->KILL(*this, item);
    DELETEHOTKEY(id);
    if (NLASTHOVEREDID == id) {
        NLASTHOVEREDID = 0;
        RLASTHOVEREDRECT = {};
    }
}

void Model::DELETECONTROL(long id)
{
    Lock lock(m_crit);
    const Item* item = GETCONTROL(id);
    if (!item)
        return;
    const long before = item->PCONTROL ? item->PCONTROL->separatorBefore() : 0;
    const long after = item->PCONTROL ? item->PCONTROL->separatorAfter() : 0;
    deleteOne(id);
    if (before)
        deleteOne(before);
    if (after)
        deleteOne(after);
    REFRESH(true);
}

QString Model::GETTEXT(long id) const
{
    Lock lock(m_crit);
    const Item* item = GETCONTROL(id);
    return item ? item->SZCAPTION : QStringLiteral("0");
}

void Model::SETTEXT(long id, const QString& text)
{
    Lock lock(m_crit);
    if (Item* item = GETCONTROL(id)) {
        item->SZCAPTION = text.left(255);
        REFRESH(true);
    }
}

QString Model::GETICON(long id) const
{
    const Item* item = GETCONTROL(id);
    return item ? item->SZICON : QStringLiteral("0");
}

void Model::SETICON(long id, const QString& icon)
{
    if (Item* item = GETCONTROL(id)) {
        item->SZICON = icon.trimmed();
        item->HICON = {};
        item->HDISABLEDICON = {};
        item->iconFailed = false;
        REFRESH(true);
    }
}

QString Model::GETDISABLEDICON(long id) const
{
    const Item* item = GETCONTROL(id);
    return item ? item->SZDISABLEDICON : QStringLiteral("0");
}

void Model::SETDISABLEDICON(long id, const QString& icon)
{
    if (Item* item = GETCONTROL(id)) {
        item->SZDISABLEDICON = icon.trimmed();
        item->HDISABLEDICON = {};
        item->iconFailed = false;
        REFRESH(true);
    }
}

void Model::SETTOOLTIP(long id, const QString& text)
{
    if (Item* item = GETCONTROL(id); item && item->PCONTROL)
        item->PCONTROL->SETTOOLTIP(*this, *item, text);
}

QString Model::GETTOOLTIP(long id) const
{
    const Item* item = GETCONTROL(id);
    return item && item->PCONTROL ? item->PCONTROL->GETTOOLTIP() : QString();
}

bool Model::GETENABLED(long id) const
{
    Lock lock(m_crit);
    const Item* item = GETCONTROL(id);
    return item && item->BENABLED;
}

namespace {
long positionOf(const Band& b, long id)
{
    for (size_t i = 0; i < b.CONTROLQ.size(); ++i)
        if (b.CONTROLQ[i].ID == id)
            return long(i) + 1;
    return 0;
}
} // namespace

void Model::SETENABLED(long id, bool on)
{
    Lock lock(m_crit);
    Item* item = GETCONTROL(id);
    if (!item)
        return;
    item->BENABLED = on;
    if (!on) {
        item->BHOVERED = false;
        item->BPUSHED = false;
    }
    if (item->PCONTROL)
        item->PCONTROL->SETENABLED(*this, *item, on);
    size_t b, i;
    if (!on && locate(id, b, i) && BANDQ[b].NTYPE == BAND_TAB && BANDQ[b].CONTROLQ[i].BCHECKED)
        SETACTIVETAB(BANDQ[b].ID, positionOf(BANDQ[b], id));
    REFRESH(false);
}

bool Model::GETVISIBLE(long id) const
{
    Lock lock(m_crit);
    const Item* item = GETCONTROL(id);
    return item && item->BVISIBLE;
}

void Model::SETVISIBLE(long id, bool on)
{
    Lock lock(m_crit);
    Item* item = GETCONTROL(id);
    if (!item || (item->BVISIBLE == on && item->NTYPE == KIND_SEPARATOR))
        return;
    item->BVISIBLE = on;
    if (item->PCONTROL)
        item->PCONTROL->SETVISIBLE(*this, *item, on);
    size_t b, i;
    if (!on && locate(id, b, i) && BANDQ[b].NTYPE == BAND_TAB && BANDQ[b].CONTROLQ[i].BCHECKED)
        SETACTIVETAB(BANDQ[b].ID, positionOf(BANDQ[b], id));
    REFRESH(true);
}

bool Model::GETCHECKED(long id) const
{
    Lock lock(m_crit);
    const Item* item = GETCONTROL(id);
    return item && item->BCHECKED;
}

void Model::clearRadioRun(long id)
{
    size_t b, i;
    if (!locate(id, b, i))
        return;
    std::vector<Item>& items = BANDQ[b].CONTROLQ;
    // Items without a button object are passed over; the run ends at the first button that is
    // not a radio button.
    for (long j = long(i) - 1; j >= 0; --j) {
        ButtonClass* btn = items[size_t(j)].button();
        if (!btn)
            continue;
        if (!btn->ISRADIO)
            break;
        items[size_t(j)].BCHECKED = false;
    }
    for (size_t j = i + 1; j < items.size(); ++j) {
        ButtonClass* btn = items[j].button();
        if (!btn)
            continue;
        if (!btn->ISRADIO)
            break;
        items[j].BCHECKED = false;
    }
}

void Model::SETCHECKED(long id, bool on)
{
    Lock lock(m_crit);
    Item* item = GETCONTROL(id);
    if (!item)
        return;
    // Whatever the item's own kind, the radio run around it is cleared first.
    clearRadioRun(id);
    GETCONTROL(id)->BCHECKED = on;
    REFRESH(false);
}

bool Model::GETRADIO(long id) const
{
    const Item* item = GETCONTROL(id);
    return item && item->button() && item->button()->ISRADIO;
}

void Model::SETRADIO(long id, bool on)
{
    if (Item* item = GETCONTROL(id); item && item->button()) {
        item->button()->ISRADIO = on;
        if (on)
            item->button()->ISCHECKBOX = true;
    }
}

bool Model::GETCHECKBOX(long id) const
{
    const Item* item = GETCONTROL(id);
    return item && item->button() && item->button()->ISCHECKBOX;
}

void Model::SETCHECKBOX(long id, bool on)
{
    if (Item* item = GETCONTROL(id); item && item->button())
        item->button()->ISCHECKBOX = on;
}

void Model::SETWIDTH(long id, long pixels)
{
    if (Item* item = GETCONTROL(id)) {
        item->NFIXEDWIDTH = pixels;
        REFRESH(true);
    }
}

long Model::GETITEMID(long id, long position) const
{
    const Item* item = GETCONTROL(id);
    if (!item)
        return -1;
    if (const DropButtonClass* d = item->dropButton()) {
        const long pos = position > 0 ? position : 1;
        if (pos > long(d->ITEMQ.size()))
            return -1;
        return d->answerFor(pos);
    }
    return 0;
}

QString Model::GETITEMTEXT(long id, long position) const
{
    const Item* item = GETCONTROL(id);
    if (const DropButtonClass* d = item ? item->dropButton() : nullptr)
        if (position >= 1 && position <= long(d->ITEMQ.size()))
            return d->ITEMQ[size_t(position - 1)].SZTXT;
    return {};
}

void Model::DELETEITEM(long id, long key)
{
    Item* item = GETCONTROL(id);
    if (DropButtonClass* d = item ? item->dropButton() : nullptr) {
        auto it = std::find_if(d->ITEMQ.begin(), d->ITEMQ.end(), [&](const DropEntry& e) { return e.ITEMID == key; });
        if (it != d->ITEMQ.end())
            d->ITEMQ.erase(it);
    }
}

void Model::DELETEITEMS(long id)
{
    Item* item = GETCONTROL(id);
    if (DropButtonClass* d = item ? item->dropButton() : nullptr)
        d->ITEMQ.clear();
}

// ---------------------------------------------------------------- hot keys and texts

void Model::ADDHOTKEY(const QString& caption, long id)
{
    const long code = altKeyCode(caption);
    if (!code)
        return;
    DELETEHOTKEY(id);
    m_hotKeys.push_back({id, code});
    hotKeyAdded(id, hotKeyChar(caption).toUpper());
}

void Model::DELETEHOTKEY(long id)
{
    const auto it = std::remove_if(m_hotKeys.begin(), m_hotKeys.end(), [&](const HotKey& h) { return h.CONTROLID == id; });
    if (it == m_hotKeys.end())
        return;
    m_hotKeys.erase(it, m_hotKeys.end());
    hotKeyRemoved(id);
}

bool Model::TAKEHOTKEY(long keyCode)
{
    for (const HotKey& h : m_hotKeys) {
        if (h.NKEYCODE != keyCode)
            continue;
        size_t b, i;
        if (!locate(h.CONTROLID, b, i))
            return false;
        const Item& item = BANDQ[b].CONTROLQ[i];
        if (!item.BENABLED || !item.BVISIBLE || BANDQ[b].BUSERHIDDEN)
            return false;
        EXECUTECONTROL(h.CONTROLID);
        return true;
    }
    return false;
}

void Model::PUSHSTRING(long key, const QString& text, long event)
{
    Lock lock(m_crit);
    m_strings.push_back({key, text.left(1023), event});
}

QString Model::POPSTRING(long key)
{
    Lock lock(m_crit);
    auto it = std::find_if(m_strings.begin(), m_strings.end(), [&](const StringRecord& s) { return s.ID == key; });
    if (it == m_strings.end())
        return {};
    QString text = it->TXT;
    m_strings.erase(it);
    return text;
}

bool Model::ISCLOSING() const
{
    Lock lock(m_crit);
    return BISCLOSING;
}

// ---------------------------------------------------------------- input

void Model::SETCONTROLSTATE(const Band& band, Item& item) const
{
    item.NSTATE = controlState(band.NTYPE == BAND_MENU && NTRACKINGMODE, item.BMENUACTIVE, item.BPUSHED, item.BHOVERED,
                               item.BCHECKED, BLEFTFLAG);
}

void Model::CLEARMENUACTIVE(long keep)
{
    for (Band& b : BANDQ)
        for (Item& i : b.CONTROLQ)
            if (i.BMENUACTIVE && i.ID != keep) {
                i.BMENUACTIVE = false;
                i.BHOVERED = false;
            }
}

void Model::leaveMenuMode()
{
    BHOTKEYACTIVE = false;
    NTRACKINGMODE = false;
    CLEARMENUACTIVE(0);
}

void Model::trackDropArrow(long x, long y)
{
    // A pressed split button knows whether the cursor is over its arrow part.
    for (Band& b : BANDQ)
        for (Item& i : b.CONTROLQ)
            if (DropButtonClass* d = i.dropButton(); d && d->BSPLIT) {
                const bool over = i.BPUSHED && DropButtonClass::arrowArea(i.RAREA).contains(x, y);
                if (over != d->BDROPPED) {
                    d->BDROPPED = over;
                    REFRESH(false);
                }
            }
}

void Model::TAKEMOUSEMOVEEVENT(long x, long y)
{
    trackDropArrow(x, y);
    if (RLASTHOVEREDRECT.contains(x, y)) {
        const bool keyboardSwitch = NTRACKINGMODE && NLASTHOVEREDID != OPENMENUID &&
                                    (x != PMOUSEKEYX || y != PMOUSEKEYY) && PMOUSEKEYX >= 0 && PMOUSEKEYY >= 0;
        if (!keyboardSwitch)
            return;
    }
    PMOUSEKEYX = PMOUSEKEYY = -1;
    BHOTKEYACTIVE = false;
    if (!NTRACKINGMODE && NLASTHOVEREDID)
        if (Item* old = GETCONTROL(NLASTHOVEREDID)) {
            old->BHOVERED = false;
            old->BMENUACTIVE = false;
        }
    for (Band& b : BANDQ) {
        if (!b.shown() || !b.RAREA.contains(x, y))
            continue;
        for (Item& i : b.CONTROLQ) {
            if (!i.BVISIBLE || !i.BENABLED || !i.RAREA.contains(x, y))
                continue;
            NLASTHOVEREDID = i.ID;
            RLASTHOVEREDRECT = i.RAREA;
            i.BHOVERED = true;
            if (NTRACKINGMODE && i.ID != OPENMENUID && b.NTYPE == BAND_MENU && i.ID >= 0) {
                const long id = i.ID;
                i.BMENUACTIVE = true;
                REOPENMENUID = id;
                cancelMode();
                REFRESH(false);
                CLEARMENUACTIVE(id);
            } else {
                REFRESH(false);
            }
            return;
        }
    }
    if (NLASTHOVEREDID) {
        NLASTHOVEREDID = 0;
        RLASTHOVEREDRECT = {};
        REFRESH(false);
    }
}

void Model::TAKETIMEREVENT(bool cursorOnToolbar, long cursorX, long cursorY)
{
    if (!NTRACKINGMODE) {
        if (cursorOnToolbar)
            return;
        NLASTHOVEREDID = 0;
        RLASTHOVEREDRECT = {};
        for (Band& b : BANDQ)
            for (Item& i : b.CONTROLQ)
                i.BHOVERED = i.BPUSHED = false;
        BLEFTFLAG = BRIGHTFLAG = false;
        REFRESH(false);
        return;
    }
    if (MENUISCLOSING)
        return;
    if (REOPENMENUID && GETCONTROL(REOPENMENUID)) {
        const long id = REOPENMENUID;
        REOPENMENUID = 0;
        OPENMENU(id);
        REFRESH(false);
    } else if (!HASOPENMENU && !RMENUBAR.contains(cursorX, cursorY) && !BHOTKEYACTIVE) {
        leaveMenuMode();
        NLASTHOVEREDID = 0;
        RLASTHOVEREDRECT = {};
        REFRESH(false);
    }
}

void Model::TAKEMOUSEBUTTONEVENT(int button, long x, long y)
{
    BHOTKEYACTIVE = false;
    bool changed = false;
    const bool press = button == 1 ? BLEFTFLAG : BRIGHTFLAG;
    for (size_t bi = 0; bi < BANDQ.size(); ++bi) {
        Band& b = BANDQ[bi];
        if (!b.shown())
            continue;
        for (size_t ii = 0; ii < b.CONTROLQ.size(); ++ii) {
            Item& i = b.CONTROLQ[ii];
            if (!i.BVISIBLE)
                continue;
            if (i.BENABLED && i.RAREA.contains(x, y)) {
                if (b.NTYPE == BAND_MENU && i.ID >= 1) {
                    if (button == 1 && press && !MENUISCLOSING) {
                        const long id = i.ID;
                        if (HASOPENMENU && OPENMENUID == id) {
                            // A click on the open title closes its popup and does not reopen it.
                            cancelMode();
                            leaveMenuMode();
                        } else {
                            CLEARMENUACTIVE(id);
                            OPENMENU(id);
                        }
                        REFRESH(false);
                        return;
                    }
                    changed = true;
                    continue;
                }
                if (button == 1 && press) {
                    if (i.BHOVERED) {
                        i.BPUSHED = true;
                        changed = true;
                        trackDropArrow(x, y);
                    }
                    continue;
                }
                if (press)
                    continue; // a right press offers the band menu instead
                if (i.BHOVERED && !i.BPUSHED)
                    continue;
                // A release: the item runs only when it was pushed and the release is over it.
                const bool run = i.BPUSHED && i.BENABLED && button == 1;
                i.BPUSHED = false;
                i.BHOVERED = true;
                if (!run) {
                    changed = true;
                    continue;
                }
                if (ButtonClass* btn = i.button(); btn && btn->ISCHECKBOX)
                    i.BCHECKED = btn->ISRADIO ? true : !i.BCHECKED;
                const long id = i.ID;
                if (b.NTYPE == BAND_MENU && id < 0 && id >= -3)
                    mdiCommand(int(-id));
                else if (b.NTYPE != BAND_MENU)
                    runItem(id, 1, false);
                REFRESH(false);
                return;
            }
            if (i.BPUSHED) {
                i.BPUSHED = false;
                changed = true;
            }
        }
    }
    if (changed)
        REFRESH(false);
    else if (NTRACKINGMODE && press) {
        leaveMenuMode();
        REFRESH(false);
    }
}

void Model::runItem(long id, int button, bool fromCode)
{
    Item* item = GETCONTROL(id);
    if (!item)
        return;
    if (ButtonClass* btn = item->button(); btn && btn->ISRADIO) {
        clearRadioRun(id);
        item = GETCONTROL(id);
        item->BCHECKED = true;
    }
    long value = 0;
    if (DropButtonClass* d = item->dropButton(); d && (!d->BSPLIT || d->BDROPPED)) {
        if (fromCode)
            d->BDROPPED = true;
        REFRESH(false);
        const DropAnswer answer = DROPDOWNMENU(id);
        if (Item* again = GETCONTROL(id); again && again->dropButton())
            again->dropButton()->BDROPPED = false;
        if (answer.kind == DropAnswer::Cancelled) {
            REFRESH(false);
            return;
        }
        value = answer.kind == DropAnswer::Chosen ? answer.value : 0;
    }
    REFRESH(false);
    const long band = GETCONTROLBANDID(id);
    TAKEEVENT(1, band, id, value, button);
    REFRESH(false);
}

void Model::EXECUTECONTROL(long id)
{
    Item* item = GETCONTROL(id);
    if (!item)
        return;
    if (ButtonClass* btn = item->button(); btn && btn->ISCHECKBOX)
        item->BCHECKED = btn->ISRADIO ? true : !item->BCHECKED;
    item->BPUSHED = false;
    item->BHOVERED = false;
    runItem(id, 0, true);
}

long Model::GETNEXTORPREVIOUSCONTROL(long fromId, bool backwards) const
{
    const Band* b = GETBAND(NMENUBANDID);
    if (!b)
        return 0;
    std::vector<long> ids;
    for (const Item& i : b->CONTROLQ)
        if (i.ID >= 0 && i.BVISIBLE)
            ids.push_back(i.ID);
    if (ids.empty())
        return 0;
    auto it = std::find(ids.begin(), ids.end(), fromId);
    long pos = it == ids.end() ? 0 : long(it - ids.begin());
    const long n = long(ids.size());
    pos = backwards ? (pos - 1 + n) % n : (pos + 1) % n;
    return ids[size_t(pos)];
}

bool Model::TAKEMENUCHAR(QChar character)
{
    const Band* b = GETBAND(NMENUBANDID);
    if (!b)
        return true;
    const QString wanted = QString(character.toLower());
    for (const Item& i : b->CONTROLQ) {
        const MenuClass* m = i.menu();
        if (!m || m->SZHOTKEY != wanted)
            continue;
        if (i.BVISIBLE && i.BENABLED) {
            BSELECTFIRST = true;
            NTRACKINGMODE = true;
            REOPENMENUID = i.ID;
            RMENUBAR = b->RAREA;
        }
        break;
    }
    return true;
}

void Model::TAKEEVENT(long event, long band, long id, long value, int button)
{
    if (event == 1 && m_global)
        m_global->TRYEXECUTEMIMIC(id);
}

void Model::OPENMENU(long id)
{
    // Without a widget there is no popup: the entry shows open, as one without a popup does.
    Item* item = GETCONTROL(id);
    const Band* b = GETBAND(NMENUBANDID);
    if (!item || !b)
        return;
    NTRACKINGMODE = true;
    RMENUBAR = b->RAREA;
    item->BMENUACTIVE = true;
    HASOPENMENU = true;
    OPENMENUID = id;
}

DropAnswer Model::DROPDOWNMENU(long) { return {}; }

void Model::CUSTOMIZEMENU() {}

void Model::takeCustomizeChoice(long choice)
{
    const std::vector<long> bands = customizableBands(BANDQ);
    if (choice == long(bands.size()) + 1) {
        CUSTOMIZEDIALOG();
    } else if (choice >= 1 && choice <= long(bands.size())) {
        toggleUserHidden(bands[size_t(choice - 1)]);
    }
    REFRESH(true);
}

void Model::toggleUserHidden(long band)
{
    Lock lock(m_crit);
    if (Band* b = GETBAND(band)) {
        // The user's choice is kept apart from the program's own visibility.
        b->BUSERHIDDEN = !b->BUSERHIDDEN;
        if (NLASTHOVEREDID && GETCONTROLBANDID(NLASTHOVEREDID) == band) {
            NLASTHOVEREDID = 0;
            RLASTHOVEREDRECT = {};
        }
        const long id = b->ID;
        const bool shown = !b->BUSERHIDDEN && b->BVISIBLE;
        std::vector<long> ids;
        for (const Item& i : b->CONTROLQ)
            ids.push_back(i.ID);
        for (long itemId : ids)
            if (Item* item = GETCONTROL(itemId); item && item->PCONTROL &&
                                                 (item->NTYPE == KIND_DROPCOMBO || item->NTYPE == KIND_CWCONTAINER))
                item->PCONTROL->SETVISIBLE(*this, *item, shown && item->BVISIBLE);
        (void)id;
        REFRESH(true);
    }
}

} // namespace ptb
