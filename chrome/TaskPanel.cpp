#include "chrome/TaskPanel.h"

#include <QRandomGenerator>
#include <algorithm>

#include "runtime/Dialogs.h"

using namespace ptp;

namespace ptp {

unsigned long resolveColour(unsigned long colour)
{
    return (colour & 0xF0000000UL) ? (unsigned long)pxp::sysColor(long(colour & 0xFF)) : colour;
}

} // namespace ptp

POTASKPANELCLASS::POTASKPANELCLASS()
{
    FONTNAME = QStringLiteral("Tahoma");
    SETCOLORGRP(1, 0xE6A07A, 0xE6A07A, 0xD67563, 0, 0);
    SETCOLORGRP(2, 0xB24D07, 0xB24D07, 0xC75C22, 0xFFFFFF, 0xFF8E42);
    SETCOLORGRP(3, 0xFFFFFF, 0xFFFFFF, 0xF9D5C7, 0xC75C22, 0xFF8E42);
    SETCOLORGRP(4, 0xF9E7E0, 0, 0, 0xBC3139, 0);
}

long POTASKPANELCLASS::idRng()
{
    return long(QRandomGenerator::global()->bounded(1, 2147483647));
}

POTASKPANELCLASS::~POTASKPANELCLASS()
{
    if (m_host)
        m_host->panelGone();
}

void POTASKPANELCLASS::INIT(TaskPanelHost* host)
{
    m_host = host;
    SCROLLPOS = 0;
    INITED = true;
    if (m_host)
        for (const HEADERQ& h : HEADERS)
            for (const TASKQ& t : h.TASKQUEUE)
                if (t.MIMICBUTTON)
                    m_host->attachMimic(t.LEFTACTIONFEQ);
    REFRESH();
}

void POTASKPANELCLASS::KILL()
{
    if (m_host)
        for (const HEADERQ& h : HEADERS)
            for (const TASKQ& t : h.TASKQUEUE)
                if (t.MIMICBUTTON)
                    m_host->detachMimic(t.LEFTACTIONFEQ);
    m_host = nullptr;
}

int POTASKPANELCLASS::EXECUTEACTION(long, long, long, long)
{
    return vrt::message(QStringLiteral("You should override the ExecuteAction-method of POTaskPanelClass"));
}

void POTASKPANELCLASS::REFRESH()
{
    if (m_host)
        m_host->refresh();
}

// ---- ids and lookups --------------------------------------------------------------------

long POTASKPANELCLASS::newId(const std::function<bool(long)>& taken)
{
    long id = idRng();
    while (id < 1 || taken(id))
        id = idRng();
    return id;
}

QString POTASKPANELCLASS::titleText(const QString& s, int max)
{
    QString t = s;
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    return t.left(max);
}

HEADERQ* POTASKPANELCLASS::header(long id)
{
    const auto it = std::find_if(HEADERS.begin(), HEADERS.end(), [id](const HEADERQ& h) { return h.ID == id; });
    return it == HEADERS.end() ? nullptr : &*it;
}

const HEADERQ* POTASKPANELCLASS::header(long id) const { return const_cast<POTASKPANELCLASS*>(this)->header(id); }

TASKQ* POTASKPANELCLASS::task(long headerId, long taskId)
{
    HEADERQ* h = header(headerId);
    if (!h)
        return nullptr;
    const auto it = std::find_if(h->TASKQUEUE.begin(), h->TASKQUEUE.end(), [taskId](const TASKQ& t) { return t.ID == taskId; });
    return it == h->TASKQUEUE.end() ? nullptr : &*it;
}

const TASKQ* POTASKPANELCLASS::task(long headerId, long taskId) const
{
    return const_cast<POTASKPANELCLASS*>(this)->task(headerId, taskId);
}

const TASKQ* POTASKPANELCLASS::mimicTask(long control) const
{
    for (const HEADERQ& h : HEADERS)
        for (const TASKQ& t : h.TASKQUEUE)
            if (t.MIMICBUTTON && t.LEFTACTIONFEQ == control)
                return &t;
    return nullptr;
}

// ---- building -----------------------------------------------------------------------------

long POTASKPANELCLASS::ADDHEADER(const QString& title, int style, bool expanded, const QString& icon, int iconSize)
{
    HEADERQ h;
    h.ID = newId([this](long id) { return header(id) != nullptr; });
    h.TITLE = titleText(title, 254);
    h.STYLE = style;
    h.ISEXPANDED = expanded;
    h.ICONNAME = icon.left(254);
    h.ICONSIZES = iconSize;
    HEADERS.push_back(std::move(h));
    NCURRHEADER = HEADERS.back().ID;
    NCURRTASK = 0;
    return NCURRHEADER;
}

long POTASKPANELCLASS::ADDTASK(long headerId, const QString& title, long control, bool mimic, const QString& icon,
                               bool dontMimicIcon, unsigned long userData)
{
    // A task for a header that is not there is refused rather than put in another's list.
    HEADERQ* h = header(headerId);
    if (!h)
        return 0;
    TASKQ t;
    t.ID = newId([h](long id) {
        return std::any_of(h->TASKQUEUE.begin(), h->TASKQUEUE.end(), [id](const TASKQ& x) { return x.ID == id; });
    });
    t.TITLE = titleText(title, 254);
    t.ICONNAME = (icon.startsWith(QLatin1Char('~')) ? icon.mid(1) : icon).left(254);
    t.LEFTACTIONFEQ = control;
    t.MIMICBUTTON = mimic;
    t.MIMICICON = !dontMimicIcon;
    t.USERDATA = userData;
    h->TASKQUEUE.push_back(std::move(t));
    NCURRHEADER = headerId;
    NCURRTASK = h->TASKQUEUE.back().ID;
    if (mimic)
        ADDITEMMIMIC(headerId, NCURRTASK, control);
    return NCURRTASK;
}

long POTASKPANELCLASS::ADDTASK(const QString& title, long control, bool mimic, const QString& icon, bool dontMimicIcon,
                               const QString& tooltip)
{
    const long id = ADDTASK(NCURRHEADER, title, control, mimic, icon, dontMimicIcon);
    if (id && !titleText(tooltip, 511).isEmpty())
        SETTASKTOOLTIP(NCURRHEADER, id, tooltip);
    return id;
}

void POTASKPANELCLASS::ADDITEMMIMIC(long headerId, long taskId, long control)
{
    if (task(headerId, taskId) && m_host)
        m_host->attachMimic(control);
}

void POTASKPANELCLASS::DELETETASK(long headerId, long taskId)
{
    HEADERQ* h = header(headerId);
    if (!h)
        return;
    const auto it = std::find_if(h->TASKQUEUE.begin(), h->TASKQUEUE.end(), [taskId](const TASKQ& t) { return t.ID == taskId; });
    if (it == h->TASKQUEUE.end())
        return;
    const bool mimic = it->MIMICBUTTON;
    const long control = it->LEFTACTIONFEQ;
    h->TASKQUEUE.erase(it);
    // The button goes back to working on its own once no task mirrors it.
    if (mimic && m_host && !mimicTask(control))
        m_host->detachMimic(control);
    if (NCURRHEADER == headerId && NCURRTASK == taskId)
        NCURRTASK = 0;
}

void POTASKPANELCLASS::DELETEHEADER(long headerId)
{
    HEADERQ* h = header(headerId);
    if (!h)
        return;
    while (!h->TASKQUEUE.empty())
        DELETETASK(headerId, h->TASKQUEUE.front().ID);
    HEADERS.erase(HEADERS.begin() + (h - HEADERS.data()));
    if (NCURRHEADER == headerId)
        NCURRHEADER = NCURRTASK = 0;
}

void POTASKPANELCLASS::CLEAR()
{
    while (!HEADERS.empty())
        DELETEHEADER(HEADERS.front().ID);
}

// ---- header settings --------------------------------------------------------------------------

bool POTASKPANELCLASS::GETEXPANDED(long id) const { const HEADERQ* h = header(id); return h && h->ISEXPANDED; }
void POTASKPANELCLASS::SETEXPANDED(long id, bool v) { if (HEADERQ* h = header(id)) h->ISEXPANDED = v; }
void POTASKPANELCLASS::SETALWAYSEXPANDED(long id, bool v) { if (HEADERQ* h = header(id)) h->ISALWAYSEXPANDED = v; }
bool POTASKPANELCLASS::GETHEADERBOXED(long id) const { const HEADERQ* h = header(id); return h && h->ISBOXED; }
void POTASKPANELCLASS::SETHEADERBOXED(long id, bool v) { if (HEADERQ* h = header(id)) h->ISBOXED = v; }
bool POTASKPANELCLASS::GETHEADERWORDWRAP(long id) const { const HEADERQ* h = header(id); return h && h->WORDWRAP; }
void POTASKPANELCLASS::SETHEADERWORDWRAP(long id, bool v) { if (HEADERQ* h = header(id)) h->WORDWRAP = v; }
bool POTASKPANELCLASS::GETDISABLEWIZARD(long id) const { const HEADERQ* h = header(id); return h && h->DONTWIZARD; }
void POTASKPANELCLASS::SETDISABLEWIZARD(long id, bool v) { if (HEADERQ* h = header(id)) h->DONTWIZARD = v; }
bool POTASKPANELCLASS::GETVISIBLE(long id) const { const HEADERQ* h = header(id); return h && h->ISVISIBLE; }
void POTASKPANELCLASS::SETVISIBLE(long id, bool v) { if (HEADERQ* h = header(id)) h->ISVISIBLE = v; }

void POTASKPANELCLASS::EXPANDALL(long exceptId)
{
    for (HEADERQ& h : HEADERS)
        if (!h.ISALWAYSEXPANDED && !h.ISBOXED && h.ID != exceptId)
            h.ISEXPANDED = true;
    REFRESH();
}

void POTASKPANELCLASS::CONTRACTALL(long exceptId)
{
    for (HEADERQ& h : HEADERS)
        if (!h.ISALWAYSEXPANDED && !h.ISBOXED && h.ID != exceptId)
            h.ISEXPANDED = false;
    REFRESH();
}

// ---- task settings ------------------------------------------------------------------------------

bool POTASKPANELCLASS::GETVISIBLE(long h, long t) const { const TASKQ* x = task(h, t); return x && x->ISVISIBLE; }
void POTASKPANELCLASS::SETVISIBLE(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISVISIBLE = v; }

void POTASKPANELCLASS::SETVISIBLE(bool value)
{
    if (NCURRTASK > 0)
        SETVISIBLE(NCURRHEADER, NCURRTASK, value);
    else
        SETVISIBLE(NCURRHEADER, value);
}

bool POTASKPANELCLASS::GETDISABLED(long h, long t) const { const TASKQ* x = task(h, t); return x && x->ISDISABLED; }
void POTASKPANELCLASS::SETDISABLED(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISDISABLED = v; }
void POTASKPANELCLASS::SETTASKFONTWEIGHT(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISBOLD = v; }
void POTASKPANELCLASS::SETJUSTIFICATION(long h, long t, int v) { if (TASKQ* x = task(h, t)) x->JUSTIFICATION = v; }
QString POTASKPANELCLASS::GETTASKTITLE(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->TITLE : QString(); }
void POTASKPANELCLASS::SETTASKTITLE(long h, long t, const QString& v) { if (TASKQ* x = task(h, t)) x->TITLE = titleText(v, 254); }
QString POTASKPANELCLASS::GETTASKICON(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->ICONNAME : QString(); }
void POTASKPANELCLASS::SETTASKICON(long h, long t, const QString& v) { if (TASKQ* x = task(h, t)) x->ICONNAME = v.left(254); }
unsigned long POTASKPANELCLASS::GETTASKUSERDATA(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->USERDATA : 0; }
void POTASKPANELCLASS::SETTASKUSERDATA(long h, long t, unsigned long v) { if (TASKQ* x = task(h, t)) x->USERDATA = v; }
bool POTASKPANELCLASS::GETTASKMIMICICON(long h, long t) const { const TASKQ* x = task(h, t); return x && x->MIMICICON; }
void POTASKPANELCLASS::SETTASKMIMICICON(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->MIMICICON = v; }
bool POTASKPANELCLASS::GETTASKMIMICTEXT(long h, long t) const { const TASKQ* x = task(h, t); return x && x->MIMICTEXT; }
void POTASKPANELCLASS::SETTASKMIMICTEXT(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->MIMICTEXT = v; }
QString POTASKPANELCLASS::GETTASKTOOLTIP(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->TOOLTIP : QString(); }

void POTASKPANELCLASS::SETTASKTOOLTIP(long h, long t, const QString& text)
{
    // Tooltips are looked up by position when asked for, so nothing else needs telling.
    if (TASKQ* x = task(h, t))
        x->TOOLTIP = titleText(text, 511);
}

TASKINFO POTASKPANELCLASS::GETTASKINFO(long headerId, long taskId) const
{
    TASKINFO info;
    if (taskId == 0) {
        if (const HEADERQ* h = header(headerId)) {
            info.TITLE = h->TITLE;
            info.ICONNAME = h->ICONNAME;
            info.ISVISIBLE = h->ISVISIBLE;
            info.ISEXPANDED = h->ISEXPANDED;
        }
    } else if (const TASKQ* t = task(headerId, taskId)) {
        info.TITLE = t->TITLE;
        info.ICONNAME = t->ICONNAME;
        info.ISVISIBLE = t->ISVISIBLE;
        info.LEFTACTIONFEQ = t->LEFTACTIONFEQ;
        info.JUSTIFICATION = t->JUSTIFICATION;
        info.ISDISABLED = t->ISDISABLED;
        info.ISBOLD = t->ISBOLD;
    }
    return info;
}

void POTASKPANELCLASS::SETTASKINFO(long headerId, long taskId, const TASKINFO& info)
{
    if (taskId == 0) {
        if (HEADERQ* h = header(headerId)) {
            h->TITLE = titleText(info.TITLE, 254);
            h->ICONNAME = info.ICONNAME.left(254);
            h->ISVISIBLE = info.ISVISIBLE;
        }
    } else if (TASKQ* t = task(headerId, taskId)) {
        t->TITLE = titleText(info.TITLE, 254);
        t->ICONNAME = info.ICONNAME.left(254);
        t->ISVISIBLE = info.ISVISIBLE;
        t->LEFTACTIONFEQ = info.LEFTACTIONFEQ;
        t->JUSTIFICATION = info.JUSTIFICATION;
        t->ISDISABLED = info.ISDISABLED;
        t->ISBOLD = info.ISBOLD;
    }
}

// ---- panel settings ---------------------------------------------------------------------------

void POTASKPANELCLASS::SETCOLORGRP(int group, unsigned long background, unsigned long gradientFrom,
                                   unsigned long gradientTo, unsigned long text, unsigned long hovered)
{
    SETCOLORGRP(group, background, gradientFrom, gradientTo, text, hovered, text);
}

void POTASKPANELCLASS::SETCOLORGRP(int group, unsigned long background, unsigned long gradientFrom,
                                   unsigned long gradientTo, unsigned long text, unsigned long hovered,
                                   unsigned long disabled)
{
    COLORGROUP* g = group == 1 ? &COLORSCHEMA.PANEL
                    : group == 2 ? &COLORSCHEMA.HEADERS
                    : group == 3 ? &COLORSCHEMA.HEADERS2
                    : group == 4 ? &COLORSCHEMA.TASKS
                                 : nullptr;
    if (!g)
        return;
    g->BACKGROUND = COLORREF(resolveColour(background));
    g->GRADIENTFROM = COLORREF(resolveColour(gradientFrom));
    g->GRADIENTTO = COLORREF(resolveColour(gradientTo));
    if (group == 1)
        return;
    g->TEXT = COLORREF(resolveColour(text));
    g->HOVERED = COLORREF(resolveColour(hovered));
    if (group == 4)
        g->DISABLED = COLORREF(resolveColour(disabled));
}

void POTASKPANELCLASS::SETFONT(const QString& face)
{
    FONTNAME = face;
    REFRESH();
}

void POTASKPANELCLASS::SETAPPNAME(const QString& name) { APPNAME = titleText(name, 255); }

void POTASKPANELCLASS::SETMARGINS(int left, int top) { SETMARGINS(left, top, left); }

void POTASKPANELCLASS::SETMARGINS(int left, int top, int right)
{
    NLEFTMARGIN = left;
    NTOPMARGIN = top;
    NRIGHTMARGIN = right;
}

void POTASKPANELCLASS::SETMARGINS(int left, int top, int right, int bottom)
{
    SETMARGINS(left, top, right);
    NBOTTOMMARGIN = bottom;
}

void POTASKPANELCLASS::SETACTIVEWIZARDTASK(long headerId, long taskId)
{
    if (WIZARDLASTHEADERID && WIZARDLASTTASKID)
        SETTASKFONTWEIGHT(WIZARDLASTHEADERID, WIZARDLASTTASKID, false);
    if (TASKQ* t = task(headerId, taskId)) {
        WIZARDLASTHEADERID = headerId;
        WIZARDLASTTASKID = taskId;
        t->ISBOLD = true;
    }
}

void POTASKPANELCLASS::SETTOOLTIPMAXWIDTH(int width)
{
    TOOLTIPMAXWIDTH = width;
    if (m_host)
        m_host->tooltipModeChanged();
}

void POTASKPANELCLASS::SETTOOLTIPMODE(int mode)
{
    TOOLTIPMODE = mode == 1 || mode == 2 ? mode : 0;
    if (m_host)
        m_host->tooltipModeChanged();
}

// ---- mouse and scrolling ------------------------------------------------------------------------

bool POTASKPANELCLASS::TAKEMOUSEMOVEEVENT(int x, int y)
{
    y += SCROLLPOS;
    bool hot = false;
    for (HEADERQ& h : HEADERS) {
        if (!h.ISVISIBLE)
            continue;
        h.ISHOVERED = false;
        if (h.MOUSERECT.contains(x, y)) {
            if (h.ISALWAYSEXPANDED)
                continue;
            h.ISHOVERED = true;
            hot = true;
        }
        if (h.ISEXPANDED)
            for (TASKQ& t : h.TASKQUEUE) {
                t.ISHOVERED = t.MOUSERECT.contains(x, y) && !t.ISDISABLED;
                hot = hot || t.ISHOVERED;
            }
    }
    REFRESH();
    return hot;
}

void POTASKPANELCLASS::TAKELEAVEEVENT()
{
    for (HEADERQ& h : HEADERS) {
        h.ISHOVERED = false;
        for (TASKQ& t : h.TASKQUEUE)
            t.ISHOVERED = false;
    }
    REFRESH();
}

bool POTASKPANELCLASS::TAKEMOUSEBUTTONEVENT(int button, int x, int y)
{
    if (button != 1)
        return false;
    y += SCROLLPOS;
    for (const HEADERQ& h : HEADERS) {
        if (!h.ISVISIBLE)
            continue;
        if (h.MOUSERECT.contains(x, y)) {
            if (h.ISALWAYSEXPANDED)
                continue;
            // The action may change the headers: nothing of them is used after it.
            EXECUTEACTION(h.ID, 0, 1, h.ISEXPANDED);
            REFRESH();
            return true;
        }
        if (!h.ISEXPANDED)
            continue;
        for (const TASKQ& t : h.TASKQUEUE)
            if (t.ISVISIBLE && !t.ISDISABLED && t.MOUSERECT.contains(x, y)) {
                const long headerId = h.ID, taskId = t.ID, control = t.LEFTACTIONFEQ;
                const bool wizard = WIZARDMODE && !h.DONTWIZARD;
                if (t.MIMICBUTTON && m_host)
                    m_host->postAccepted(control);
                EXECUTEACTION(headerId, taskId, 1, control);
                if (wizard)
                    SETACTIVEWIZARDTASK(headerId, taskId);
                REFRESH();
                return true;
            }
    }
    return false;
}

void POTASKPANELCLASS::TAKESCROLLEVENT(int code, int step, int page, int maximum, int track)
{
    int pos = SCROLLPOS;
    switch (code) {
    case 0: pos -= step; break;
    case 1: pos += step; break;
    case 2: pos -= page; break;
    case 3: pos += page; break;
    case 5: pos = track; break;
    case 6: pos = 0; break;
    case 7: pos = maximum; break;
    default: break;
    }
    pos = std::min(pos, maximum - page + 1);
    SCROLLPOS = std::max(pos, 0);
    REFRESH();
}

void POTASKPANELCLASS::CHECKMIMICS(long control, const QString& text, const QString& icon, bool visible)
{
    for (HEADERQ& h : HEADERS)
        for (TASKQ& t : h.TASKQUEUE)
            if (t.MIMICBUTTON && t.LEFTACTIONFEQ == control) {
                if (!icon.isEmpty() && t.MIMICICON)
                    t.ICONNAME = icon.startsWith(QLatin1Char('~')) ? icon.mid(1) : icon;
                if (t.MIMICTEXT)
                    t.TITLE = titleText(text, 254);
                t.ISVISIBLE = visible;
            }
}

QString POTASKPANELCLASS::arrowIconName(bool expanded, bool hovered, int style)
{
    QString name = expanded ? QStringLiteral("taskxpc") : QStringLiteral("taskxpe");
    if (hovered)
        name += QLatin1Char('s');
    if (style == 1)
        name += QLatin1Char('w');
    return (name + QStringLiteral("_ico")).toUpper();
}

QString POTASKPANELCLASS::GETICONNAME(const QString& name)
{
    QString r = name;
    r.replace(QLatin1Char('.'), QLatin1Char('_'));
    return r.left(79);
}

// ---- layout -------------------------------------------------------------------------------------

namespace ptp {

TaskPanelLayout layoutPanel(POTASKPANELCLASS& panel, int width, const MeasureText& measure)
{
    TaskPanelLayout out;
    const int L = panel.NLEFTMARGIN, R = width - panel.NRIGHTMARGIN;
    int y = panel.NTOPMARGIN;
    for (HEADERQ& h : panel.headers()) {
        if (!h.ISVISIBLE)
            continue;
        if (h.ISBOXED) {
            h.MOUSERECT = {L, y, R, y};
            out.rows.push_back({h.ID, 0, QRect(L, y, R - L, 1)});
            y += 1;
        } else {
            h.MOUSERECT = {L, y, R, y + 25};
            out.rows.push_back({h.ID, 0, QRect(L, y, R - L, 30)});
            y += 30;
        }
        if (!h.ISEXPANDED || h.TASKQUEUE.empty()) {
            y -= 10;
        } else {
            const int rh = std::max(h.ICONSIZES + 1, 20);
            const int first = y;
            bool any = false;
            for (TASKQ& t : h.TASKQUEUE) {
                if (!t.ISVISIBLE)
                    continue;
                any = true;
                const bool column = !t.ICONNAME.trimmed().isEmpty() || t.JUSTIFICATION == 0;
                const int extra = column ? rh + 10 : 0;
                const int measured = measure ? measure(t.TITLE, t.ISBOLD, (R - L) - 10 - extra - 6, panel.WORDWRAP) : 0;
                const bool wrapped = measured > rh && h.WORDWRAP && panel.WORDWRAP;
                const int rowHeight = wrapped ? measured + 6 : rh;
                t.MOUSERECT = {L, y, R, y + rowHeight};
                out.rows.push_back({h.ID, t.ID, QRect(L, y, R - L, rowHeight), column ? rh : 0, wrapped});
                y += rowHeight;
            }
            if (any)
                out.blocks.push_back({first - 5, y + 5, L, R});
            else
                y -= 10;
        }
        y += panel.NBOTTOMMARGIN + 5;
    }
    out.height = y;
    return out;
}

} // namespace ptp
