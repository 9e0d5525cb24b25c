#include "chrome/ResizeWidgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace MH {

// ---- a window's controls ------------------------------------------------------------------

WidgetResizeAccess::WidgetResizeAccess(QWidget* window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

void WidgetResizeAccess::setControl(int number, QWidget* widget) { m_controls[number] = widget; }

QWidget* WidgetResizeAccess::widget(int number) const
{
    const auto it = m_controls.find(number);
    return it == m_controls.end() ? nullptr : it->second.data();
}

QRect WidgetResizeAccess::windowRect() const { return m_window->geometry(); }

void WidgetResizeAccess::setWindowRect(const QRect& r) { m_window->setGeometry(r); }

bool WidgetResizeAccess::isMaximized() const { return m_window->isWindow() && m_window->isMaximized(); }

void WidgetResizeAccess::maximize()
{
    // A window inside the frame already takes the frame's whole client area.
    if (m_window->isWindow())
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
}

bool WidgetResizeAccess::isActive() const { return m_window->isActiveWindow(); }

bool WidgetResizeAccess::focusInside() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == m_window || m_window->isAncestorOf(focus));
}

std::optional<QRect> WidgetResizeAccess::control(int number) const
{
    const QWidget* w = widget(number);
    if (!w)
        return std::nullopt;
    return QRect(w->mapTo(m_window, QPoint(0, 0)), w->size());
}

void WidgetResizeAccess::setControl(int number, const QRect& r)
{
    QWidget* w = widget(number);
    if (!w)
        return;
    if (auto* handle = qobject_cast<SplitterBarHandle*>(w)) {
        const QPoint in = handle->parentWidget()->mapFrom(m_window, r.topLeft());
        handle->placeAt(handle->orientation() == Qt::Horizontal ? in.x() : in.y());
        return;
    }
    QWidget* parent = w->parentWidget();
    const QPoint origin = parent && parent != m_window ? parent->mapFrom(m_window, QPoint(0, 0)) : QPoint(0, 0);
    w->setGeometry(r.translated(origin));
}

int WidgetResizeAccess::rowCount(int number) const
{
    const auto* view = qobject_cast<const QAbstractItemView*>(widget(number));
    if (!view || !view->isVisible())
        return 0;
    const int row = view->sizeHintForRow(0) > 0 ? view->sizeHintForRow(0) : view->fontMetrics().height();
    return row > 0 ? view->viewport()->height() / row : 0;
}

void WidgetResizeAccess::beginBatch()
{
    // Only what this batch turned off is turned on again: updates that are off because a
    // parent has them off must stay the parent's to turn on.
    m_batchHeld = m_window->updatesEnabled();
    if (m_batchHeld)
        m_window->setUpdatesEnabled(false);
}

void WidgetResizeAccess::endBatch()
{
    if (m_batchHeld)
        m_window->setUpdatesEnabled(true);
    m_batchHeld = false;
}

void WidgetResizeAccess::setSizeLimits(int minW, int minH, int maxW, int maxH)
{
    if (minW >= 0)
        m_window->setMinimumWidth(minW);
    if (minH >= 0)
        m_window->setMinimumHeight(minH);
    if (maxW >= 0)
        m_window->setMaximumWidth(maxW);
    if (maxH >= 0)
        m_window->setMaximumHeight(maxH);
}

void WidgetResizeAccess::beep() { QApplication::beep(); }

void WidgetResizeAccess::setFill(int number, bool shown)
{
    QWidget* w = widget(number);
    if (auto* handle = qobject_cast<SplitterBarHandle*>(w))
        handle->setFilled(shown);
    else if (w) {
        w->setAutoFillBackground(shown);
        w->update();
    }
}

void WidgetResizeAccess::refresh(int number)
{
    if (QWidget* w = widget(number))
        w->update();
}

bool WidgetResizeAccess::eventFilter(QObject* watched, QEvent* event)
{
    // Qt must still see the resize itself, so the resizer's answer never swallows it.
    if (watched == m_window && m_resizer)
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::FocusIn:
            m_resizer->TAKERESIZEEVENT();
            break;
        default:
            break;
        }
    return false;
}

// ---- the frame window -----------------------------------------------------------------------

FrameTracker::FrameTracker(RESIZEFRAMECLASS& frame, QWidget* frameWindow) : QObject(frameWindow), m_frame(frame)
{
    frameWindow->installEventFilter(this);
    m_frame.SETMINIMIZED(frameWindow->isMinimized());
    if (frameWindow->isVisible())
        m_frame.MEASURE(frameWindow->width(), frameWindow->height());
}

bool FrameTracker::eventFilter(QObject* watched, QEvent* event)
{
    auto* frame = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::WindowStateChange)
        m_frame.SETMINIMIZED(frame->isMinimized());
    else if (event->type() == QEvent::Resize && !frame->isMinimized())
        m_frame.MEASURE(frame->width(), frame->height());
    return false;
}

// ---- splitter bars ----------------------------------------------------------------------------

SplitterBarHandle::SplitterBarHandle(Qt::Orientation o, QSplitter* parent) : QSplitterHandle(o, parent) {}

void SplitterBarHandle::setBar(SPLITWINDOWCLASS* bar, QWidget* window)
{
    m_bar = bar;
    m_window = window;
}

void SplitterBarHandle::setFilled(bool on)
{
    m_filled = on;
    update();
}

void SplitterBarHandle::mousePressEvent(QMouseEvent* e)
{
    if (!m_bar || !m_window)
        return QSplitterHandle::mousePressEvent(e);
    if (e->button() != Qt::LeftButton)
        return;
    // The bar keeps the point it was taken by under the mouse.
    m_grab = along(e->position().toPoint());
    m_bar->TAKEMOUSEDOWN();
}

void SplitterBarHandle::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bar || !m_window)
        return QSplitterHandle::mouseMoveEvent(e);
    if (m_bar->dragging())
        m_bar->TAKEMOUSEMOVE(along(mapTo(m_window, e->position().toPoint())) - m_grab);
}

void SplitterBarHandle::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_bar || !m_window)
        return QSplitterHandle::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        m_bar->TAKEMOUSEUP();
}

void SplitterBarHandle::paintEvent(QPaintEvent* e)
{
    if (!m_filled)
        return QSplitterHandle::paintEvent(e);
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
}

} // namespace MH
