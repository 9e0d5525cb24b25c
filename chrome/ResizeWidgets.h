#pragma once
#include <QObject>
#include <QPointer>
#include <QSplitter>
#include <QSplitterHandle>
#include <map>

#include "chrome/ResizeWindow.h"

// The resizer and splitter bars on real widgets: a window's controls by number, its resize
// and focus events to its resizer, the frame window's state to the frame area, and splitter
// handles that drag through a splitter bar's rules.
namespace MH {

// A window and its controls by number. Rectangles are in the window's coordinates, whichever
// widget holds the control; a splitter's handle is placed by moving its splitter.
class WidgetResizeAccess : public QObject, public ResizeAccess {
    Q_OBJECT
public:
    explicit WidgetResizeAccess(QWidget* window);

    void setControl(int number, QWidget* widget);
    QWidget* widget(int number) const;
    QWidget* windowWidget() const { return m_window; }

    QRect windowRect() const override;
    void setWindowRect(const QRect& r) override;
    bool isMaximized() const override;
    void maximize() override;
    bool isActive() const override;
    bool focusInside() const override;
    std::optional<QRect> control(int number) const override;
    void setControl(int number, const QRect& r) override;
    int rowCount(int number) const override;
    void beginBatch() override;
    void endBatch() override;
    void setSizeLimits(int minW, int minH, int maxW, int maxH) override;
    void beep() override;
    void setFill(int number, bool shown) override;
    void refresh(int number) override;
    void listen(RESIZEWINDOWCLASS* r) override { m_resizer = r; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::map<int, QPointer<QWidget>> m_controls;
    RESIZEWINDOWCLASS* m_resizer = nullptr;
    bool m_batchHeld = false;
};

// The frame area follows the frame window: its size on every resize, and whether it is
// minimised.
class FrameTracker : public QObject {
    Q_OBJECT
public:
    FrameTracker(RESIZEFRAMECLASS& frame, QWidget* frameWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RESIZEFRAMECLASS& m_frame;
};

// A splitter handle that, once given a splitter bar, is dragged by the bar's rules: held
// within its limits, let go when it reaches one, filled while dragged. Without one it drags
// as any splitter handle does.
class SplitterBarHandle : public QSplitterHandle {
    Q_OBJECT
public:
    SplitterBarHandle(Qt::Orientation o, QSplitter* parent);

    void setBar(SPLITWINDOWCLASS* bar, QWidget* window);
    SPLITWINDOWCLASS* bar() const { return m_bar; }
    void setFilled(bool on);
    bool filled() const { return m_filled; }
    // Places the handle's leading edge at `pos` of its splitter.
    void placeAt(int pos) { moveSplitter(pos); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int along(QPoint p) const { return orientation() == Qt::Horizontal ? p.x() : p.y(); }

    SPLITWINDOWCLASS* m_bar = nullptr;
    QPointer<QWidget> m_window;
    int m_grab = 0;
    bool m_filled = false;
};

// A splitter whose handles are splitter-bar handles.
class BarSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit BarSplitter(Qt::Orientation o, QWidget* parent = nullptr) : QSplitter(o, parent) {}

protected:
    QSplitterHandle* createHandle() override { return new SplitterBarHandle(orientation(), this); }
};

} // namespace MH
