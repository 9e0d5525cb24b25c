#include "procedures/organiser/PaneWidgets.h"

#include <QMouseEvent>
#include <QWidget>

#include "runtime/IniFile.h"

namespace organiser {

PaneLayoutBinder::PaneLayoutBinder(QWidget* window, std::function<QWidget*(int)> control, QString iniPath)
    : QObject(window), m_window(window), m_control(std::move(control)), m_iniPath(std::move(iniPath))
{
}

std::optional<QRect> PaneLayoutBinder::geometry(int control) const
{
    QWidget* w = m_control(control);
    if (!w)
        return std::nullopt;
    // Positions count from the window, whichever page holds the control.
    return QRect(w->mapTo(m_window, QPoint(0, 0)), w->size());
}

void PaneLayoutBinder::place(int control, const QRect& rect)
{
    QWidget* w = m_control(control);
    if (!w)
        return;
    const QPoint offset = w->parentWidget() ? w->parentWidget()->mapTo(m_window, QPoint(0, 0)) : QPoint();
    w->setGeometry(rect.translated(-offset));
}

void PaneLayoutBinder::rememberControlPositions()
{
    m_anchors.remember(m_window->size(), [this](int c) { return geometry(c); });
}

int PaneLayoutBinder::resizeControls()
{
    rememberControlPositions();
    for (const auto& [control, rect] : m_anchors.resize(m_window->size()))
        place(control, rect);
    return 0;
}

void PaneLayoutBinder::setupSplitters()
{
    // Setting a bar up again replaces what it had: each bar has one handler.
    for (const SplitterDef& s : splitterTable())
        if (QWidget* w = m_control(s.bar); w && !m_bars.count(w)) {
            w->installEventFilter(this);
            w->setCursor(s.direction == 1 ? Qt::SplitHCursor : Qt::SplitVCursor);
            m_bars[w] = s.bar;
        }
    const vrt::IniFile ini(m_iniPath);
    for (const auto& [control, rect] : readMainLayout(ini, [this](int c) { return geometry(c); })) {
        place(control, rect);
        m_anchors.controlMoved(control, rect, m_window->size());
    }
}

bool PaneLayoutBinder::saveMainLayout()
{
    vrt::IniFile ini(m_iniPath);
    return organiser::saveMainLayout(ini, [this](int c) { return geometry(c); });
}

int PaneLayoutBinder::dragSplitter(int bar, int delta)
{
    const SplitterDef* def = splitterDef(bar);
    if (!def)
        return 0;
    const SplitMove move = moveSplitter(*def, m_window->size(), delta, [this](int c) { return geometry(c); });
    for (const auto& [control, rect] : move.placements) {
        place(control, rect);
        m_anchors.controlMoved(control, rect, m_window->size());
    }
    return move.moved;
}

bool PaneLayoutBinder::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = m_bars.find(watched);
    if (it == m_bars.end())
        return false;
    const bool across = splitterDef(it->second)->direction == 1;
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_dragging = watched;
        m_dragFrom = across ? int(mouse->globalPosition().x()) : int(mouse->globalPosition().y());
        return true;
    case QEvent::MouseMove:
        if (m_dragging == watched) {
            const int at = across ? int(mouse->globalPosition().x()) : int(mouse->globalPosition().y());
            m_dragFrom += dragSplitter(it->second, at - m_dragFrom);
        }
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = nullptr;
        return true;
    default: return false;
    }
}

} // namespace organiser
