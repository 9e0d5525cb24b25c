#pragma once
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ST { class CRITICALSECTION; }

// Keeping a window's controls in place when the window changes size, the frame area windows
// are placed into, and splitter bars between groups of controls. No widgets here: a window is
// reached through `ResizeAccess` (`WidgetResizeAccess` for real windows, a fake in tests).
// Units are pixels.
namespace MH {

class RESIZEWINDOWCLASS;

// What the resizer and its splitters need of a window, by control number.
class ResizeAccess {
public:
    virtual ~ResizeAccess() = default;
    virtual QRect windowRect() const = 0; // x, y, width, height
    virtual void setWindowRect(const QRect& r) = 0;
    virtual bool isMaximized() const = 0;
    virtual void maximize() = 0;
    virtual bool isActive() const = 0;
    // The keyboard focus lies in the window (not in another top-level one).
    virtual bool focusInside() const = 0;
    virtual std::optional<QRect> control(int number) const = 0;
    virtual void setControl(int number, const QRect& r) = 0;
    // Visible rows of a list that does not drop down; 0 for any other control.
    virtual int rowCount(int number) const { (void)number; return 0; }
    // Moves between these two are applied together.
    virtual void beginBatch() {}
    virtual void endBatch() {}
    // Size limits: -1 leaves a limit as it is.
    virtual void setSizeLimits(int minW, int minH, int maxW, int maxH) = 0;
    virtual void setResizable() {}
    virtual void beep() {}
    // A splitter bar shows its colour while dragged.
    virtual void setFill(int number, bool shown) { (void)number; (void)shown; }
    // A moved control is shown afresh.
    virtual void refresh(int number) { (void)number; }
    // The resizer's resize and focus events go to `r` (nullptr: no longer).
    virtual void listen(RESIZEWINDOWCLASS* r) { (void)r; }
};

// The frame area: the frame window's size less an adjustment, whether it is minimised, the
// gap between half-size windows and whether inactive windows postpone their refresh. Shared
// by the windows of all threads: every field is read and written under SYNC.
class RESIZEFRAMECLASS {
public:
    RESIZEFRAMECLASS();
    ~RESIZEFRAMECLASS();
    RESIZEFRAMECLASS(const RESIZEFRAMECLASS&) = delete;
    RESIZEFRAMECLASS& operator=(const RESIZEFRAMECLASS&) = delete;

    void INIT(int median, bool preventUnfocusedReset);
    void SETADJUST(int width, int height);
    void KILL() {}
    // The frame's size in pixels; the adjustment is taken off in the frame's own units
    // (pixels too, unless a caller says otherwise). A zero unit size keeps the pixels.
    void MEASURE(int widthPx, int heightPx, int widthUnits, int heightUnits);
    void MEASURE(int widthPx, int heightPx) { MEASURE(widthPx, heightPx, widthPx, heightPx); }
    int GETW() const;
    int GETH() const;
    int MEDIAN() const;
    bool PREVENTUNFOCUSEDRESET() const;
    bool MINIMIZED() const;
    void SETMINIMIZED(bool on);

    ST::CRITICALSECTION& SYNC() const { return *m_sync; }

private:
    std::unique_ptr<ST::CRITICALSECTION> m_sync;
    int m_adjW = 0, m_adjH = 0, m_median = 0;
    bool m_minimized = false, m_preventUnfocusedReset = false;
    int m_origW = 0, m_origH = 0;
};

// The process-wide frame area every resizer refers to.
RESIZEFRAMECLASS& mhResizeFrame();

// One registered control: the position its layout starts from and how much of the window's
// growth each of x, y, width and height follows (0 fixed, 1 all of it).
struct ResizeControl {
    int control = 0;
    QRect ref;
    double fx = 0, fy = 0, fw = 0, fh = 0;
};

// Where a control goes when the window is dx wider and dy higher than its design size:
// components with factor 0 keep their current value; results are truncated toward zero.
QRect layoutControl(const ResizeControl& c, const QRect& current, int dx, int dy);

// The window's first placement in the frame area (fw x fh) by the named modes; `now` is the
// window's current rectangle, `orig` its rectangle when the resizer was set up. Unknown modes
// change nothing; a frame of size 0 on an axis (never measured) leaves that axis alone.
QRect placeWindow(QRect orig, QPoint now, int fw, int fh, int median, const QString& hMode, const QString& vMode,
                  int hMargin, int vMargin);

class RESIZEWINDOWCLASS {
public:
    virtual ~RESIZEWINDOWCLASS();

    void INIT() {}
    void INIT(RESIZEFRAMECLASS& frame, ResizeAccess& window, int designW, int designH, bool resizeW, bool resizeH,
              bool origIsMin, bool borderBeyondMin);
    void ADDCONTROL(int control, double fx, double fy, double fw, double fh);
    // Factors taken from `relative`'s, counting its growth once more where the control lies
    // beyond its right or bottom edge.
    void ADDCONTROL(int control, int relative, std::optional<double> fw = {}, std::optional<double> fh = {});
    // The control's current position becomes its reference, for each of the letters X, Y, W
    // and H in `components`.
    void UPDATECONTROL(int control, const QString& components);
    void INITIALRESIZE(bool keepPosition, bool maximise, const QString& hMode, const QString& vMode, int hMargin,
                       int vMargin, bool makeResizable);
    void KILL();
    // 0 nothing done, 1 controls placed, 2 placed and a list's row count changed.
    int RESIZECONTROLS(bool force = false);
    // A resize or focus event of the window: 5 ends its processing, 0 lets it go on.
    int TAKERESIZEEVENT();

    virtual void BEFORERESIZE() {}
    virtual void AFTERRESIZE() {}
    // The window manager's forced reset (counted) and its reset, after the controls moved.
    // A window without a manager of its own has nothing to reset.
    virtual void forcedReset() {}
    virtual void reset() {}

    bool IGNOREEVENTS = false;
    bool PENDINGRESET = false;
    bool BORDERBEYONDMIN = false;
    bool ORIGISMIN = false;
    bool RESIZEW = false, RESIZEH = false;
    int LASTWINW = 0, LASTWINH = 0;
    int ORIGWINX = 0, ORIGWINY = 0, ORIGWINW = 0, ORIGWINH = 0;

    const std::vector<ResizeControl>& controls() const { return m_controls; }
    const ResizeControl* record(int control) const;
    ResizeAccess* window() const { return m_window; }

private:
    ResizeControl* find(int control);
    int rowSum() const;

    RESIZEFRAMECLASS* m_frame = nullptr;
    ResizeAccess* m_window = nullptr;
    std::vector<ResizeControl> m_controls; // by control number
};

// A splitter bar between two groups of controls. Positions are x for direction 1, else y.
class SPLITWINDOWCLASS {
public:
    struct Control {
        int control;
        int side; // 1 before the bar, 2 after it
        bool move, resize;
        int position; // where it was when added: the order of a move
    };

    void INIT(RESIZEWINDOWCLASS* resizer, ResizeAccess& window, int direction, int bar, int minimum = 0,
              int maximum = 0);
    void ADDCONTROL(int control, int side, bool move, bool resize);
    void KILL();

    void TAKEMOUSEDOWN();
    // `p`: the mouse position in the window.
    void TAKEMOUSEMOVE(int p);
    void TAKEMOUSEUP();
    void APPLYMOVE();

    // The range the bar may lie in, in a window `extent` long, for a bar `thickness` thick.
    std::pair<int, int> limits(int extent, int thickness) const;

    int DIRECTION = 1;
    int REGIONCONTROL = 0;
    int MINIMUM = 0, MAXIMUM = 0;
    int LASTPOS = 0;
    bool dragging() const { return m_dragging; }
    const std::vector<Control>& controls() const { return m_controls; }

private:
    int pos(const QRect& r) const { return DIRECTION == 1 ? r.x() : r.y(); }
    int size(const QRect& r) const { return DIRECTION == 1 ? r.width() : r.height(); }

    RESIZEWINDOWCLASS* m_resize = nullptr;
    ResizeAccess* m_window = nullptr;
    std::vector<Control> m_controls;
    std::optional<int> m_lastMouse;
    bool m_dragging = false;
};

} // namespace MH
