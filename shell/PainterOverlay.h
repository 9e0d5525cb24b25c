#pragma once
#include <QEvent>
#include <QWidget>

#include "shell/WindowPainter.h"

namespace shell {

// Posted to the painted window when a clickable text is clicked.
class PainterEvent : public QEvent {
public:
    explicit PainterEvent(int id) : QEvent(type()), m_id(id) {}
    static QEvent::Type type();
    int id() const { return m_id; }

private:
    int m_id;
};

// Paints a WindowPainterClass's items on the workspace background and turns clicks on its
// areas into PainterEvents for `target`.
class PainterOverlay : public QWidget {
    Q_OBJECT
public:
    PainterOverlay(WindowPainterClass& painter, QObject* target, QWidget* parent = nullptr);
    // Call after adding click areas; without any, the mouse passes through.
    void updateMouseHandling();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WindowPainterClass& m_painter;
    QObject* m_target;
};

} // namespace shell
