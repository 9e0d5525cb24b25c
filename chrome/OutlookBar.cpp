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
    idRng = [] { return long(QRandomGenerator::global()->bounded(1, 2147483647)); };
    SETCOLORSCHEME(1);
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
