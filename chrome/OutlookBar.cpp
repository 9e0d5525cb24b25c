#include "chrome/OutlookBar.h"

#include <QRandomGenerator>
#include <algorithm>

#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"

using namespace pob;

namespace {

pxp::COLORREF resolved(unsigned long c)
{
    return (c & 0xF0000000UL) ? pxp::sysColor(long(c & 0xFF)) : pxp::COLORREF(c);
}

const QString Section = QStringLiteral("OutlookBar");

} // namespace

POOUTLOOKBARCLASS::POOUTLOOKBARCLASS()
{
    SETCOLORSCHEME(1);
}

long POOUTLOOKBARCLASS::idRng()
{
    return long(QRandomGenerator::global()->bounded(1, 2147483647));
}

void POOUTLOOKBARCLASS::INIT(int style, bool innerBorder, bool outerBorder)
{
    STYLE = style;
    INNERBORDER = innerBorder;
    OUTERBORDER = outerBorder;
    SCROLLPOS = 1;
    ROWSPACING = 5;
    SCROLLACTIVE = false;
    NEWSELECTION = false;
    REFRESH();
}

int POOUTLOOKBARCLASS::EXECUTEACTION(long, long, long, long)
{
    return vrt::message(QStringLiteral("You should override the ExecuteAction-method of the POOutlookBarClass"));
}

long POOUTLOOKBARCLASS::newId(const std::function<bool(long)>& taken)
{
    long id = idRng();
    while (id < 1 || taken(id))
        id = idRng();
    return id;
}

HEADERQ* POOUTLOOKBARCLASS::header(long id)
{
    const auto it = std::find_if(HEADERS.begin(), HEADERS.end(), [id](const HEADERQ& h) { return h.ID == id; });
    return it == HEADERS.end() ? nullptr : &*it;
}

const HEADERQ* POOUTLOOKBARCLASS::header(long id) const { return const_cast<POOUTLOOKBARCLASS*>(this)->header(id); }

TASKQ* POOUTLOOKBARCLASS::task(long headerId, long taskId)
{
    HEADERQ* h = header(headerId);
    if (!h)
        return nullptr;
    const auto it = std::find_if(h->TASKQUEUE.begin(), h->TASKQUEUE.end(), [taskId](const TASKQ& t) { return t.ID == taskId; });
    return it == h->TASKQUEUE.end() ? nullptr : &*it;
}

const TASKQ* POOUTLOOKBARCLASS::task(long headerId, long taskId) const
{
    return const_cast<POOUTLOOKBARCLASS*>(this)->task(headerId, taskId);
}

long POOUTLOOKBARCLASS::ADDHEADER(const QString& title, const QString& icon, int alignment, int rowSpacing, int iconSize)
{
    HEADERQ h;
    h.ID = newId([this](long id) { return header(id) != nullptr; });
    h.TITLE = title.left(254);
    h.ICONNAME = icon.left(254);
    h.ALIGNMENT = alignment;
    h.ROWSPACING = rowSpacing < 0 ? ROWSPACING : rowSpacing;
    h.ICONSIZE = iconSize;
    h.ISEXPANDED = HEADERS.empty();
    HEADERS.push_back(std::move(h));
    NCURRHEADER = HEADERS.back().ID;
    NCURRTASK = 0;
    return NCURRHEADER;
}

long POOUTLOOKBARCLASS::ADDTASK(long headerId, const QString& title, long control, bool mimic, const QString& icon,
                                bool dontMimicIcon, unsigned long userData)
{
    // A task for a group that is not there is refused rather than put in another's list.
    HEADERQ* h = header(headerId);
    if (!h)
        return 0;
    TASKQ t;
    t.ID = newId([h](long id) {
        return std::any_of(h->TASKQUEUE.begin(), h->TASKQUEUE.end(), [id](const TASKQ& x) { return x.ID == id; });
    });
    t.TITLE = title.left(254);
    t.ICONNAME = icon.left(254);
    t.LEFTACTIONFEQ = control;
    t.MIMICBUTTON = mimic;
    t.DONTMIMICICON = dontMimicIcon;
    t.USERDATA = userData;
    h->TASKQUEUE.push_back(std::move(t));
    NCURRHEADER = headerId;
    NCURRTASK = h->TASKQUEUE.back().ID;
    return NCURRTASK;
}

void POOUTLOOKBARCLASS::DELETETASK(long headerId, long taskId)
{
    if (HEADERQ* h = header(headerId))
        std::erase_if(h->TASKQUEUE, [taskId](const TASKQ& t) { return t.ID == taskId; });
    if (NCURRHEADER == headerId && NCURRTASK == taskId)
        NCURRTASK = 0;
}

void POOUTLOOKBARCLASS::DELETEHEADER(long headerId)
{
    std::erase_if(HEADERS, [headerId](const HEADERQ& h) { return h.ID == headerId; });
    if (NCURRHEADER == headerId)
        NCURRHEADER = NCURRTASK = 0;
}

void POOUTLOOKBARCLASS::SETEXPANDED(long headerId, bool value)
{
    for (HEADERQ& h : HEADERS)
        h.ISEXPANDED = h.ISHOVERED = false;
    if (HEADERQ* h = header(headerId))
        h->ISEXPANDED = value;
}

bool POOUTLOOKBARCLASS::GETEXPANDED(long id) const { const HEADERQ* h = header(id); return h && h->ISEXPANDED; }
void POOUTLOOKBARCLASS::SETVISIBLE(long id, bool v) { if (HEADERQ* h = header(id)) h->ISVISIBLE = v; }
void POOUTLOOKBARCLASS::SETVISIBLE(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISVISIBLE = v; }

void POOUTLOOKBARCLASS::SETVISIBLE(bool value)
{
    if (NCURRTASK > 0)
        SETVISIBLE(NCURRHEADER, NCURRTASK, value);
    else
        SETVISIBLE(NCURRHEADER, value);
}

bool POOUTLOOKBARCLASS::GETWIZARDMODE(long id) const { const HEADERQ* h = header(id); return h && h->ISWIZARD; }
void POOUTLOOKBARCLASS::SETWIZARDMODE(long id, bool v) { if (HEADERQ* h = header(id)) h->ISWIZARD = v; }

void POOUTLOOKBARCLASS::SETACTIVEWIZARDTASK(long headerId, long taskId)
{
    HEADERQ* h = header(headerId);
    if (!h)
        return;
    if (h->WIZARDLASTTASKID)
        if (TASKQ* last = task(headerId, h->WIZARDLASTTASKID))
            last->ISBOLD = false;
    if (TASKQ* t = task(headerId, taskId)) {
        h->WIZARDLASTTASKID = taskId;
        t->ISBOLD = true;
    }
}

void POOUTLOOKBARCLASS::SETENABLED(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISENABLED = v; }
void POOUTLOOKBARCLASS::SETTASKFONTWEIGHT(long h, long t, bool v) { if (TASKQ* x = task(h, t)) x->ISBOLD = v; }
QString POOUTLOOKBARCLASS::GETTASKTITLE(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->TITLE : QString(); }
void POOUTLOOKBARCLASS::SETTASKTITLE(long h, long t, const QString& v) { if (TASKQ* x = task(h, t)) x->TITLE = v.left(254); }
unsigned long POOUTLOOKBARCLASS::GETTASKUSERDATA(long h, long t) const { const TASKQ* x = task(h, t); return x ? x->USERDATA : 0; }
void POOUTLOOKBARCLASS::SETTASKUSERDATA(long h, long t, unsigned long v) { if (TASKQ* x = task(h, t)) x->USERDATA = v; }

void POOUTLOOKBARCLASS::SETICON(long headerId, long taskId, const QString& icon, const QString& disabledIcon)
{
    TASKQ* t = task(headerId, taskId);
    if (!t)
        return;
    if (!icon.isEmpty())
        t->ICONNAME = icon.left(254);
    if (!disabledIcon.isEmpty())
        t->DISABLEDICONNAME = disabledIcon.left(254);
}

TASKINFO POOUTLOOKBARCLASS::GETTASKINFO(long headerId, long taskId) const
{
    TASKINFO info;
    if (taskId == 0) {
        if (const HEADERQ* h = header(headerId)) {
            info.ID = h->ID;
            info.TITLE = h->TITLE;
            info.ICONNAME = h->ICONNAME;
            info.ISVISIBLE = h->ISVISIBLE;
        }
    } else if (const TASKQ* t = task(headerId, taskId)) {
        info.ID = t->ID;
        info.TITLE = t->TITLE;
        info.ICONNAME = t->ICONNAME;
        info.ISVISIBLE = t->ISVISIBLE;
        info.LEFTACTIONFEQ = t->LEFTACTIONFEQ;
    }
    return info;
}

void POOUTLOOKBARCLASS::SETTASKINFO(long headerId, long taskId, const TASKINFO& info)
{
    if (taskId == 0) {
        if (HEADERQ* h = header(headerId)) {
            h->TITLE = info.TITLE.left(254);
            h->ICONNAME = info.ICONNAME.left(254);
            h->ISVISIBLE = info.ISVISIBLE;
        }
    } else if (TASKQ* t = task(headerId, taskId)) {
        t->TITLE = info.TITLE.left(254);
        t->ICONNAME = info.ICONNAME.left(254);
        t->ISVISIBLE = info.ISVISIBLE;
        t->LEFTACTIONFEQ = info.LEFTACTIONFEQ;
    }
}

void POOUTLOOKBARCLASS::SETAPPNAME(const QString& name)
{
    QString n = name;
    while (n.endsWith(QLatin1Char(' ')))
        n.chop(1);
    APPNAME = n.left(255);
}

// ---- colours ------------------------------------------------------------------------------

void POOUTLOOKBARCLASS::SETBACKGROUNDCOLORS(unsigned long background, unsigned long from, unsigned long to)
{
    CPANEL.BACKGROUND = resolved(background);
    CPANEL.GRADIENTFROM = resolved(from);
    CPANEL.GRADIENTTO = resolved(to);
}

void POOUTLOOKBARCLASS::SETHEADERCOLORS(unsigned long background, unsigned long from, unsigned long to,
                                        unsigned long text, unsigned long border)
{
    CHEADERS = {resolved(background), resolved(from), resolved(to), resolved(text), CHEADERS.HOVEREDTEXT,
                CHEADERS.DISABLEDTEXT, resolved(border)};
}

void POOUTLOOKBARCLASS::SETHOVEREDHEADERCOLORS(unsigned long background, unsigned long from, unsigned long to,
                                               unsigned long text, unsigned long border)
{
    CHEADERSHOVERED = {resolved(background), resolved(from), resolved(to), resolved(text), CHEADERSHOVERED.HOVEREDTEXT,
                       CHEADERSHOVERED.DISABLEDTEXT, resolved(border)};
}

void POOUTLOOKBARCLASS::SETHEADERBORDERCOLORS(unsigned long light, unsigned long outerDark, unsigned long innerDark,
                                              unsigned long hoverLine)
{
    CHEADERBORDERS.GRADIENTFROM = resolved(light);
    CHEADERBORDERS.BACKGROUND = resolved(outerDark);
    CHEADERBORDERS.GRADIENTTO = resolved(innerDark);
    CHEADERBORDERS.TEXT = resolved(hoverLine);
}

void POOUTLOOKBARCLASS::SETTASKCOLORS(unsigned long text, unsigned long hovered, unsigned long disabled,
                                      unsigned long highlight, unsigned long highlightFrame)
{
    CTASKS.TEXT = resolved(text);
    CTASKS.HOVEREDTEXT = resolved(hovered);
    CTASKS.DISABLEDTEXT = resolved(disabled);
    CTASKS.BACKGROUND = resolved(highlight);
    CTASKS.GRADIENTFROM = resolved(highlightFrame);
}

void POOUTLOOKBARCLASS::SETBORDERCOLORS(unsigned long light, unsigned long dark, unsigned long frame)
{
    CBORDERS.GRADIENTFROM = pxp::COLORREF(light);
    CBORDERS.GRADIENTTO = pxp::COLORREF(dark);
    CBORDERS.BACKGROUND = pxp::COLORREF(frame);
}

void POOUTLOOKBARCLASS::SETCOLORSCHEME(int scheme)
{
    if (scheme != 1 && scheme != 2)
        return;
    const auto sys = [](long index) { return (unsigned long)pxp::sysColor(index); };
    const auto rgb = [](int r, int g, int b) { return (unsigned long)pxp::rgb(r, g, b); };
    const unsigned long face = sys(15), window = sys(5), workspace = sys(12), border = sys(10), windowText = sys(8);
    if (scheme == 1) {
        SETHEADERCOLORS(face, rgb(255, 255, 255), rgb(204, 204, 204), rgb(0, 0, 0), rgb(129, 128, 124));
        SETHOVEREDHEADERCOLORS(rgb(184, 189, 211), rgb(184, 189, 211), rgb(185, 188, 207), rgb(0, 0, 0), rgb(129, 128, 124));
        SETHEADERBORDERCOLORS(window, workspace, border, windowText);
        SETBACKGROUNDCOLORS(face, rgb(255, 255, 255), rgb(204, 204, 204));
    } else {
        SETHEADERCOLORS(rgb(134, 172, 228), rgb(204, 228, 252), rgb(134, 172, 228), rgb(0, 0, 0), rgb(26, 76, 167));
        SETHOVEREDHEADERCOLORS(rgb(251, 179, 90), rgb(251, 244, 146), rgb(251, 179, 90), rgb(0, 0, 0), rgb(26, 76, 167));
        SETHEADERBORDERCOLORS(rgb(221, 221, 255), rgb(70, 108, 164), rgb(110, 148, 202), rgb(0, 0, 0));
        SETBACKGROUNDCOLORS(face, rgb(204, 228, 252), rgb(134, 172, 228));
    }
    // The last task colour is given as 0x08000000, which is no system colour: black.
    SETTASKCOLORS(rgb(0, 0, 0), rgb(0, 0, 0), rgb(136, 136, 136), rgb(191, 191, 223), rgb(0, 0, 0));
    SETBORDERCOLORS(window, workspace, face);
}

// ---- the open group in an INI file ----------------------------------------------------------

bool POOUTLOOKBARCLASS::SAVEEXPANDED(const QString& entry, const QString& iniFile) const
{
    const auto open = std::find_if(HEADERS.begin(), HEADERS.end(), [](const HEADERQ& h) { return h.ISEXPANDED; });
    vrt::IniFile ini(iniFile);
    return ini.put(Section, entry, open == HEADERS.end() ? QStringLiteral("0") : open->TITLE);
}

void POOUTLOOKBARCLASS::LOADEXPANDED(const QString& entry, const QString& iniFile)
{
    const QString title = vrt::IniFile(iniFile).get(Section, entry);
    // Only the first group of that title opens: one group is open at a time.
    const auto it = std::find_if(HEADERS.begin(), HEADERS.end(), [&title](const HEADERQ& h) { return h.TITLE == title; });
    if (it != HEADERS.end())
        SETEXPANDED(it->ID, true);
    REFRESH();
}

// ---- pointer, clicks and scrolling ------------------------------------------------------------

bool POOUTLOOKBARCLASS::TAKEMOUSEMOVEEVENT(int x, int y)
{
    const QPoint p(x, y);
    bool hot = false;
    for (HEADERQ& h : HEADERS) {
        if (!h.ISVISIBLE)
            continue;
        h.ISHOVERED = h.MOUSERECT.contains(p);
        hot = hot || h.ISHOVERED;
        if (h.ISEXPANDED)
            for (TASKQ& t : h.TASKQUEUE)
                if (t.ISVISIBLE && t.ISENABLED) {
                    t.ISHOVERED = t.MOUSERECT.contains(p);
                    hot = hot || t.ISHOVERED;
                }
    }
    REFRESH();
    return hot;
}

void POOUTLOOKBARCLASS::TAKELEAVEEVENT()
{
    for (HEADERQ& h : HEADERS) {
        h.ISHOVERED = false;
        for (TASKQ& t : h.TASKQUEUE)
            t.ISHOVERED = false;
    }
    REFRESH();
}

bool POOUTLOOKBARCLASS::TAKEMOUSEBUTTONEVENT(int button, int x, int y)
{
    if (button != 1)
        return false;
    const QPoint p(x, y);
    for (const HEADERQ& h : HEADERS) {
        if (!h.ISVISIBLE)
            continue;
        if (h.MOUSERECT.contains(p)) {
            // The action may change the groups: nothing of them is used after it.
            const long id = h.ID;
            const bool open = h.ISEXPANDED;
            EXECUTEACTION(id, 0, 1, open);
            SCROLLPOS = 1;
            REFRESH();
            return true;
        }
        if (!h.ISEXPANDED)
            continue;
        for (const TASKQ& t : h.TASKQUEUE)
            if (t.ISVISIBLE && t.ISENABLED && t.MOUSERECT.contains(p)) {
                const long headerId = h.ID, taskId = t.ID, control = t.LEFTACTIONFEQ;
                if (t.MIMICBUTTON && m_host)
                    m_host->postAccepted(control);
                if (h.ISWIZARD)
                    SETACTIVEWIZARDTASK(headerId, taskId);
                EXECUTEACTION(headerId, taskId, 1, control);
                REFRESH();
                return true;
            }
    }
    return false;
}

void POOUTLOOKBARCLASS::TAKESCROLLEVENT(int code, int page, int maximum, int track)
{
    int pos = SCROLLPOS;
    switch (code) {
    case 0: pos -= 1; break;
    case 1: pos += 1; break;
    case 2: pos -= page; break;
    case 3: pos += page; break;
    case 5: pos = track; break;
    case 6: pos = 1; break;
    case 7: pos = maximum; break;
    default: break;
    }
    pos = std::min(pos, maximum - page + 1);
    SCROLLPOS = std::max(pos, 1);
    NEWSELECTION = true;
    REFRESH();
}

void POOUTLOOKBARCLASS::CHECKMIMICS(long control, bool enabled, const QString& icon)
{
    for (HEADERQ& h : HEADERS)
        for (TASKQ& t : h.TASKQUEUE)
            if (t.MIMICBUTTON && t.LEFTACTIONFEQ == control) {
                t.ISENABLED = enabled;
                if (!icon.isEmpty() && !t.DONTMIMICICON)
                    t.ICONNAME = icon.left(254);
            }
}

QString POOUTLOOKBARCLASS::GETICONNAME(const QString& name)
{
    QString r = name;
    return r.replace(QLatin1Char('.'), QLatin1Char('_'));
}

// ---- layout -------------------------------------------------------------------------------------

namespace pob {

namespace {

// A rectangle by its edges, right and bottom outside it.
QRect edges(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); }

} // namespace

BarLayout layoutBar(POOUTLOOKBARCLASS& bar, QSize size)
{
    BarLayout out;
    int l = 0, t = 0, r = size.width(), b = size.height();
    const int outer = bar.OUTERBORDER ? (bar.INNERBORDER ? 5 : 1) : 0;
    l += outer, t += outer, r -= outer, b -= outer;
    if (bar.INNERBORDER)
        l += 1, t += 1, r -= 1, b -= 1;
    out.inner = edges(l, t, r, b);
    // Without their buttons the groups take no room.
    const int bh = !bar.SHOWHEADERS ? 0 : bar.STYLE == 1 ? 30 : 20;
    std::vector<HEADERQ*> shown;
    for (HEADERQ& h : bar.headers())
        if (h.ISVISIBLE)
            shown.push_back(&h);
    const int n = int(shown.size());
    int y = t;
    for (int a = 1; a <= n; ++a) {
        HEADERQ& h = *shown[size_t(a - 1)];
        for (TASKQ& task : h.TASKQUEUE)
            task.MOUSERECT = QRect();
        const int rh = h.ALIGNMENT == 1 ? h.ICONSIZE + 5 + h.ROWSPACING : h.ICONSIZE + bar.FONTSIZE + 5 + h.ROWSPACING;
        const QRect band = edges(l, y, r, y + bh);
        if (bar.SHOWHEADERS) {
            h.MOUSERECT = edges(l, y + 1, r, y + bh - (h.ISEXPANDED ? 0 : 1));
            out.bands.push_back({h.ID, band, a == n});
        } else {
            h.MOUSERECT = QRect();
        }
        // Room kept for the groups after this one (hidden ones take none).
        const int after = n - a;
        const int below = bh * after;
        int ty = y + bh;
        if (!h.ISEXPANDED) {
            y = y + bh - 1;
            continue;
        }
        int ar = r;
        const int stride = rh + h.ROWSPACING;
        const int need = int(h.TASKQUEUE.size()) * stride;
        const int avail = b - ty - below;
        const int limit = ty + avail; // the bottom of the room the open group has
        if (avail <= need && stride > 0) {
            out.scroll = true;
            out.total = need / stride;
            out.visible = std::max(0, avail / stride);
            if (out.total == out.visible)
                ++out.total;
            out.scrollRect = QRect(r - 20, ty + 1, 20, std::max(0, avail - 1));
            ar -= 20;
        }
        if (!h.TASKQUEUE.empty())
            ty += 3;
        for (size_t k = 0; k < h.TASKQUEUE.size(); ++k) {
            TASKQ& task = h.TASKQUEUE[k];
            if (!task.ISVISIBLE)
                continue;
            if (int(k) + 1 < bar.SCROLLPOS || ty > limit)
                continue;
            task.MOUSERECT = edges(l, ty, ar - 1, std::min(ty + rh - 1, limit));
            const int c = h.ICONSIZE;
            const int mid = (ar - 1 - l) / 2 + l;
            const int ix = h.ALIGNMENT == 1 ? l + 3 : mid - c / 2;
            const bool icon = !task.ICONNAME.isEmpty();
            int hr = ix + c + 2;
            if (h.ALIGNMENT == 1 && !icon)
                hr = ar - 3;
            const QRect highlight = edges(ix - 2, ty, hr, ty + c + 4);
            const QRect caption = h.ALIGNMENT == 1 ? edges(icon ? hr + 2 : ix, ty, ar - 1, ty + rh)
                                                   : edges(l, ty + c + 4 + 1, ar - 1, ty + rh);
            out.rows.push_back({h.ID, task.ID, QRect(ix, ty + 2, c, c), highlight, caption});
            ty += stride;
        }
        y = b - below + after - 1;
    }
    return out;
}

} // namespace pob
