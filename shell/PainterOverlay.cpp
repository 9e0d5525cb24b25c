#include "shell/PainterOverlay.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

namespace shell {

QEvent::Type PainterEvent::type()
{
    static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
}

PainterOverlay::PainterOverlay(WindowPainterClass& painter, QObject* target, QWidget* parent)
    : QWidget(parent), m_painter(painter), m_target(target)
{
    updateMouseHandling();
}

void PainterOverlay::updateMouseHandling()
{
    setAttribute(Qt::WA_TransparentForMouseEvents, !m_painter.hasClickAreas());
}

void PainterOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    m_painter.drawAll(p, rect(), logicalDpiY());
}

void PainterOverlay::mousePressEvent(QMouseEvent* event)
{
    m_painter.press(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void PainterOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    for (int id : m_painter.release(event->position().toPoint()))
        QCoreApplication::postEvent(m_target, new PainterEvent(id));
    QWidget::mouseReleaseEvent(event);
}

} // namespace shell
