#include "chrome/ResizeWindow.h"

#include <algorithm>
#include <cmath>

#include "extensions/CriticalSection.h"

namespace MH {

// ---- frame area ---------------------------------------------------------------------------

RESIZEFRAMECLASS::RESIZEFRAMECLASS() : m_sync(std::make_unique<ST::CRITICALSECTION>()) {}
RESIZEFRAMECLASS::~RESIZEFRAMECLASS() = default;

void RESIZEFRAMECLASS::INIT(int median, bool preventUnfocusedReset)
{
    const ST::CRITICALPROCEDURE hold(m_sync.get());
    m_median = median;
    m_preventUnfocusedReset = preventUnfocusedReset;
}

void RESIZEFRAMECLASS::SETADJUST(int width, int height)
{
    const ST::CRITICALPROCEDURE hold(m_sync.get());
    m_adjW = width;
    m_adjH = height;
}

void RESIZEFRAMECLASS::MEASURE(int widthPx, int heightPx, int widthUnits, int heightUnits)
{
    const ST::CRITICALPROCEDURE hold(m_sync.get());
    // A minimised frame reports no size: what it measured before stays.
    if (widthPx <= 0 || heightPx <= 0)
        return;
    m_origW = widthUnits > 0 ? widthPx - int(double(m_adjW) * widthPx / widthUnits) : widthPx;
    m_origH = heightUnits > 0 ? heightPx - int(double(m_adjH) * heightPx / heightUnits) : heightPx;
}

int RESIZEFRAMECLASS::GETW() const { return m_sync->GET_HID(m_origW); }
int RESIZEFRAMECLASS::GETH() const { return m_sync->GET_HID(m_origH); }
int RESIZEFRAMECLASS::MEDIAN() const { return m_sync->GET_HID(m_median); }
bool RESIZEFRAMECLASS::PREVENTUNFOCUSEDRESET() const { return m_sync->GET_HID(m_preventUnfocusedReset); }
bool RESIZEFRAMECLASS::MINIMIZED() const { return m_sync->GET_HID(m_minimized); }
void RESIZEFRAMECLASS::SETMINIMIZED(bool on) { m_sync->SET_HID(m_minimized, on); }

RESIZEFRAMECLASS& mhResizeFrame()
{
    static RESIZEFRAMECLASS frame;
    return frame;
}

// ---- layout arithmetic --------------------------------------------------------------------

namespace {

int grown(int ref, int d, double factor) { return int(std::trunc(ref + d * factor)); }

} // namespace

QRect layoutControl(const ResizeControl& c, const QRect& current, int dx, int dy)
{
    const int x = c.fx != 0 ? grown(c.ref.x(), dx, c.fx) : current.x();
    const int y = c.fy != 0 ? grown(c.ref.y(), dy, c.fy) : current.y();
    const int w = c.fw != 0 ? grown(c.ref.width(), dx, c.fw) : current.width();
    const int h = c.fh != 0 ? grown(c.ref.height(), dy, c.fh) : current.height();
    return {x, y, w, h};
}

QRect placeWindow(QRect orig, QPoint now, int fw, int fh, int median, const QString& hMode, const QString& vMode,
                  int hM, int vM)
{
    int X = orig.x(), Y = orig.y(), W = orig.width(), H = orig.height();
    const int OW = orig.width(), OH = orig.height();
    if (fw > 0) {
        const int full = (fw - hM - OW) / 2;
        const int half = fw / 2 - OW - hM - median;
        if (hMode == QLatin1String("Full")) {
            W += 2 * full;
            X -= full;
        } else if (hMode == QLatin1String("Left") || (hMode == QLatin1String("Left-Half") && half <= 0)) {
            X -= full;
        } else if (hMode == QLatin1String("Right") || (hMode == QLatin1String("Right-Half") && half <= 0)) {
            X += full;
        } else if (hMode == QLatin1String("Left-Half")) {
            W += half;
            X = now.x() - ((fw - OW) / 2 - hM);
        } else if (hMode == QLatin1String("Right-Half")) {
            W += half;
            X = now.x() + (OW / 2 - hM + median);
        }
    }
    if (fh > 0) {
        const int full = (fh - vM - OH) / 2;
        const int half = fh / 2 - OH - vM - median - 5;
        if (vMode == QLatin1String("Full")) {
            H += 2 * full;
            Y -= full;
        } else if (vMode == QLatin1String("Top") || (vMode == QLatin1String("Top-Half") && half <= 0)) {
            Y -= full;
        } else if (vMode == QLatin1String("Bottom") || (vMode == QLatin1String("Bottom-Half") && half <= 0)) {
            Y += full;
        } else if (vMode == QLatin1String("Top-Half")) {
            H += half;
            Y = now.y() - ((fh - OH) / 2 - vM);
        } else if (vMode == QLatin1String("Bottom-Half")) {
            H += half;
            Y = now.y() + (OH / 2 - vM + median) + 5;
        }
    }
    return {X, Y, W, H};
}

// ---- the resizer --------------------------------------------------------------------------

RESIZEWINDOWCLASS::~RESIZEWINDOWCLASS()
{
    if (m_window)
        m_window->listen(nullptr);
}

void RESIZEWINDOWCLASS::INIT(RESIZEFRAMECLASS& frame, ResizeAccess& window, int designW, int designH, bool resizeW,
                             bool resizeH, bool origIsMin, bool borderBeyondMin)
{
    m_frame = &frame;
    m_window = &window;
    const QRect now = window.windowRect();
    ORIGWINX = now.x();
    ORIGWINY = now.y();
    ORIGWINW = LASTWINW = designW;
    ORIGWINH = LASTWINH = designH;
    RESIZEW = resizeW;
    RESIZEH = resizeH;
    ORIGISMIN = origIsMin;
    BORDERBEYONDMIN = borderBeyondMin;
    m_controls.clear();
    window.listen(this);
}

ResizeControl* RESIZEWINDOWCLASS::find(int control)
{
    const auto it = std::find_if(m_controls.begin(), m_controls.end(), [control](const ResizeControl& c) { return c.control == control; });
    return it == m_controls.end() ? nullptr : &*it;
}

const ResizeControl* RESIZEWINDOWCLASS::record(int control) const
{
    return const_cast<RESIZEWINDOWCLASS*>(this)->find(control);
}

void RESIZEWINDOWCLASS::ADDCONTROL(int control, double fx, double fy, double fw, double fh)
{
    if (!m_window || find(control))
        return;
    const std::optional<QRect> at = m_window->control(control);
    if (!at)
        return;
    const ResizeControl rec{control, *at, fx, fy, fw, fh};
    const auto it = std::lower_bound(m_controls.begin(), m_controls.end(), control,
                                     [](const ResizeControl& c, int n) { return c.control < n; });
    m_controls.insert(it, rec);
}

void RESIZEWINDOWCLASS::ADDCONTROL(int control, int relative, std::optional<double> fw, std::optional<double> fh)
{
    if (!m_window || find(control))
        return;
    const ResizeControl* r = find(relative);
    const std::optional<QRect> mine = m_window->control(control);
    const std::optional<QRect> theirs = m_window->control(relative);
    if (!r || !mine || !theirs) {
        ADDCONTROL(control, 0, 0, fw.value_or(0), fh.value_or(0));
        return;
    }
    const bool right = mine->x() > theirs->x() + theirs->width();
    const bool below = mine->y() > theirs->y() + theirs->height();
    const double x = r->fx + (right ? r->fw : 0);
    const double y = r->fy + (below ? r->fh : 0);
    const double w = fw ? *fw : right ? 0 : r->fw;
    const double h = fh ? *fh : below ? 0 : r->fh;
    ADDCONTROL(control, x, y, w, h);
}

void RESIZEWINDOWCLASS::UPDATECONTROL(int control, const QString& components)
{
    ResizeControl* rec = find(control);
    if (!rec)
        return;
    const std::optional<QRect> now = m_window->control(control);
    if (!now)
        return;
    const QSize size = m_window->windowRect().size();
    const QString which = components.toUpper();
    const auto update = [](int current, int& ref, double& factor, int window, int design) {
        if (design < window && factor != 0) {
            const int d = window - design;
            const double f = double(current - ref) / d;
            // A factor outside 0..1 would snap the control back at the next resize: the
            // offset goes into the reference instead, so the control stays where it was put.
            if (f >= 0 && f <= 1)
                factor = f;
            else
                ref = current - int(std::trunc(d * factor));
        } else {
            ref = current;
        }
    };
    int x = rec->ref.x(), y = rec->ref.y(), w = rec->ref.width(), h = rec->ref.height();
    if (which.contains(QLatin1Char('X')))
        update(now->x(), x, rec->fx, size.width(), ORIGWINW);
    if (which.contains(QLatin1Char('Y')))
        update(now->y(), y, rec->fy, size.height(), ORIGWINH);
    if (which.contains(QLatin1Char('W')))
        update(now->width(), w, rec->fw, size.width(), ORIGWINW);
    if (which.contains(QLatin1Char('H')))
        update(now->height(), h, rec->fh, size.height(), ORIGWINH);
    rec->ref = QRect(x, y, w, h);
}

int RESIZEWINDOWCLASS::rowSum() const
{
    int sum = 0;
    for (const ResizeControl& c : m_controls)
        sum += m_window->rowCount(c.control);
    return sum;
}

int RESIZEWINDOWCLASS::RESIZECONTROLS(bool force)
{
    if (!m_window || !m_frame || m_frame->MINIMIZED())
        return 0;
    const QSize size = m_window->windowRect().size();
    int w = size.width(), h = size.height();
    if (ORIGISMIN) {
        w = std::max(w, ORIGWINW);
        h = std::max(h, ORIGWINH);
    }
    if (w == LASTWINW && h == LASTWINH && !force)
        return 0;
    BEFORERESIZE();
    const int dx = w - ORIGWINW, dy = h - ORIGWINH;
    const int before = rowSum();
    m_window->beginBatch();
    for (const ResizeControl& c : m_controls)
        if (const std::optional<QRect> now = m_window->control(c.control))
            m_window->setControl(c.control, layoutControl(c, *now, dx, dy));
    m_window->endBatch();
    const int result = rowSum() != before ? 2 : 1;
    LASTWINW = w;
    LASTWINH = h;
    AFTERRESIZE();
    return result;
}

int RESIZEWINDOWCLASS::TAKERESIZEEVENT()
{
    if (!m_window || !m_frame)
        return 0;
    if (IGNOREEVENTS) {
        m_window->beep();
        return 5;
    }
    if (PENDINGRESET && m_window->isActive() && m_window->focusInside()) {
        PENDINGRESET = false;
        forcedReset();
        return 0;
    }
    if (m_frame->PREVENTUNFOCUSEDRESET() && !m_window->isActive()) {
        if (RESIZECONTROLS(false) == 2) {
            PENDINGRESET = true;
            return 5;
        }
        return 0;
    }
    if (RESIZECONTROLS(false) == 2)
        reset();
    return 0;
}

void RESIZEWINDOWCLASS::INITIALRESIZE(bool keepPosition, bool maximise, const QString& hMode, const QString& vMode,
                                      int hMargin, int vMargin, bool makeResizable)
{
    if (!m_window || !m_frame)
        return;
    BEFORERESIZE();
    if (makeResizable)
        m_window->setResizable();
    int minW = -1, maxW = -1, minH = -1, maxH = -1;
    if (!RESIZEW)
        minW = maxW = ORIGWINW;
    else if (ORIGISMIN && !BORDERBEYONDMIN)
        minW = ORIGWINW;
    if (!RESIZEH)
        minH = maxH = ORIGWINH;
    else if (ORIGISMIN && !BORDERBEYONDMIN)
        minH = ORIGWINH;
    m_window->setSizeLimits(minW, minH, maxW, maxH);

    const QRect now = m_window->windowRect();
    const QRect orig(ORIGWINX, ORIGWINY, ORIGWINW, ORIGWINH);
    QRect target;
    bool layoutOnly = true;
    if (keepPosition) {
        target = now;
    } else if (maximise || m_window->isMaximized()) {
        target = orig;
        if (!m_window->isMaximized())
            m_window->maximize();
    } else {
        target = placeWindow(orig, now.topLeft(), m_frame->GETW(), m_frame->GETH(), m_frame->MEDIAN(), hMode, vMode,
                             hMargin, vMargin);
        layoutOnly = false;
    }
    if (layoutOnly) {
        if (target.width() != ORIGWINW || target.height() != ORIGWINH)
            RESIZECONTROLS(false);
    } else if (target != now) {
        const bool sized = target.size() != now.size();
        m_window->setWindowRect(target);
        if (sized)
            RESIZECONTROLS(false);
    }
    AFTERRESIZE();
}

void RESIZEWINDOWCLASS::KILL()
{
    if (m_window)
        m_window->listen(nullptr);
    m_controls.clear();
}

// ---- splitter bar -------------------------------------------------------------------------

void SPLITWINDOWCLASS::INIT(RESIZEWINDOWCLASS* resizer, ResizeAccess& window, int direction, int bar, int minimum,
                            int maximum)
{
    m_resize = resizer;
    m_window = &window;
    DIRECTION = direction;
    REGIONCONTROL = bar;
    MINIMUM = minimum;
    MAXIMUM = maximum;
    LASTPOS = 0;
    m_dragging = false;
    m_controls.clear();
    window.setFill(bar, false);
}

void SPLITWINDOWCLASS::ADDCONTROL(int control, int side, bool move, bool resize)
{
    if (!m_window)
        return;
    const std::optional<QRect> r = m_window->control(control);
    if (!r)
        return;
    m_controls.push_back({control, side, move, resize, pos(*r)});
    if (!resize)
        return;
    if (side == 1)
        MINIMUM = std::max(MINIMUM, pos(*r));
    else if (side == 2)
        MAXIMUM = std::max(MAXIMUM, size(m_window->windowRect()) - (pos(*r) + size(*r)));
}

void SPLITWINDOWCLASS::KILL()
{
    m_controls.clear();
    m_dragging = false;
    LASTPOS = 0;
}

std::pair<int, int> SPLITWINDOWCLASS::limits(int extent, int thickness) const
{
    return {MINIMUM, extent - MAXIMUM - thickness};
}

void SPLITWINDOWCLASS::TAKEMOUSEDOWN()
{
    if (!m_window)
        return;
    const std::optional<QRect> bar = m_window->control(REGIONCONTROL);
    if (!bar)
        return;
    m_window->setFill(REGIONCONTROL, true);
    LASTPOS = pos(*bar);
    m_lastMouse.reset();
    // Its own flag: a bar lying at position 0 can be dragged too.
    m_dragging = true;
}

void SPLITWINDOWCLASS::TAKEMOUSEMOVE(int p)
{
    if (!m_dragging)
        return;
    std::optional<QRect> bar = m_window->control(REGIONCONTROL);
    if (!bar)
        return;
    // Every move is held within the limits, the first one too: from where the bar started.
    const int previous = m_lastMouse.value_or(LASTPOS);
    const auto [lo, hi] = limits(size(m_window->windowRect()), size(*bar));
    bool limit = false;
    if (p <= lo && previous > p) {
        p = lo;
        limit = true;
    } else if (p > hi && previous < p) {
        p = hi;
        limit = true;
    } else {
        m_lastMouse = p;
    }
    if (DIRECTION == 1)
        bar->moveLeft(p);
    else
        bar->moveTop(p);
    m_window->setControl(REGIONCONTROL, *bar);
    if (limit)
        TAKEMOUSEUP();
}

void SPLITWINDOWCLASS::TAKEMOUSEUP()
{
    if (!m_dragging)
        return;
    APPLYMOVE();
    m_window->setFill(REGIONCONTROL, false);
}

void SPLITWINDOWCLASS::APPLYMOVE()
{
    const std::optional<QRect> bar = m_window->control(REGIONCONTROL);
    const int s = LASTPOS;
    LASTPOS = 0;
    m_dragging = false;
    if (!bar)
        return;
    const int p = pos(*bar);
    if (p == s)
        return;
    const QString along = DIRECTION == 1 ? QStringLiteral("X") : QStringLiteral("Y");
    const QString across = DIRECTION == 1 ? QStringLiteral("W") : QStringLiteral("H");
    if (m_resize)
        m_resize->UPDATECONTROL(REGIONCONTROL, along);
    const int d = p - s;
    // The control lying farthest in the direction of the move goes first.
    std::vector<Control> order = m_controls;
    std::stable_sort(order.begin(), order.end(), [d](const Control& a, const Control& b) {
        return d > 0 ? a.position > b.position : a.position < b.position;
    });
    for (const Control& c : order) {
        if (c.move)
            if (std::optional<QRect> r = m_window->control(c.control)) {
                if (DIRECTION == 1)
                    r->moveLeft(r->x() + d);
                else
                    r->moveTop(r->y() + d);
                m_window->setControl(c.control, *r);
                if (m_resize)
                    m_resize->UPDATECONTROL(c.control, along);
            }
        if (c.resize)
            if (std::optional<QRect> r = m_window->control(c.control)) {
                const int by = c.side == 1 ? d : -d;
                if (DIRECTION == 1)
                    r->setWidth(r->width() + by);
                else
                    r->setHeight(r->height() + by);
                m_window->setControl(c.control, *r);
                if (m_resize)
                    m_resize->UPDATECONTROL(c.control, across);
            }
        m_window->refresh(c.control);
    }
    if (m_resize)
        m_resize->AFTERRESIZE();
}

} // namespace MH
