#include "procedures/organiser/PaneWidgets.h"

#include <QMouseEvent>
#include <algorithm>
#include <QSplitter>
#include <QWidget>

#include "runtime/IniFile.h"

namespace organiser {

PaneLayoutBinder::PaneLayoutBinder(QWidget* window, std::function<QWidget*(int)> control, QString iniPath)
    : QObject(window), m_window(window), m_control(std::move(control)), m_iniPath(std::move(iniPath))
{
}

QRect rectIn(const QWidget* window, const QWidget* w)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

std::optional<QRect> PaneLayoutBinder::geometry(int control) const
{
    QWidget* w = m_control(control);
    if (!w)
        return std::nullopt;
    return rectIn(m_window, w);
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

// ---- the pages' Qt splitters -----------------------------------------------------------------

PageSplitters::PageSplitters(QWidget* window, std::function<QString()> iniPath)
    : QObject(window), m_window(window), m_iniPath(std::move(iniPath))
{
}

void PageSplitters::add(QSplitter* splitter, const std::vector<int>& bars, const std::vector<int>& panes)
{
    m_pages[splitter] = {bars, panes, false};
    for (std::size_t i = 0; i < bars.size() && int(i) + 1 < splitter->count(); ++i)
        if (bars[i])
            m_controls[bars[i]] = splitter->handle(int(i) + 1);
    for (std::size_t i = 0; i < panes.size() && int(i) < splitter->count(); ++i)
        if (panes[i])
            m_controls[panes[i]] = splitter->widget(int(i));
    splitter->installEventFilter(this);
    connect(splitter, &QSplitter::splitterMoved, this, [this, splitter] { clamp(splitter); });
}

void PageSplitters::name(int control, QWidget* widget) { m_controls[control] = widget; }

QSplitter* PageSplitters::splitterOf(int bar) const
{
    for (const auto& [splitter, page] : m_pages)
        for (int b : page.bars)
            if (b == bar)
                return splitter;
    return nullptr;
}

std::optional<QRect> PageSplitters::geometry(int control) const
{
    const auto it = m_controls.find(control);
    if (it == m_controls.end() || !it->second)
        return std::nullopt;
    return rectIn(m_window, it->second);
}

bool PageSplitters::eventFilter(QObject* watched, QEvent* event)
{
    // Until a page has been shown its panes have no real size, and saving them would
    // overwrite the user's positions with made-up ones.
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
        if (const auto it = m_pages.find(static_cast<QSplitter*>(watched)); it != m_pages.end() && it->first->isVisible())
            it->second.laidOut = true;
    return false;
}

void PageSplitters::clamp(QSplitter* splitter)
{
    const Page& page = m_pages[splitter];
    const bool across = splitter->orientation() == Qt::Horizontal;
    for (std::size_t i = 0; i < page.bars.size() && int(i) + 1 < splitter->count(); ++i) {
        const SplitterDef* def = splitterDef(page.bars[i]);
        if (!def)
            continue;
        const QRect bar = rectIn(m_window, splitter->handle(int(i) + 1));
        const int at = across ? bar.x() : bar.y();
        const int extent = across ? m_window->width() : m_window->height();
        const int lo = def->minimum;
        const int hi = std::max(lo, extent - def->maximum - (across ? bar.width() : bar.height()));
        const int shift = std::clamp(at, lo, hi) - at;
        if (!shift)
            continue;
        QList<int> sizes = splitter->sizes();
        sizes[int(i)] += shift;
        sizes[int(i) + 1] -= shift;
        splitter->setSizes(sizes);
    }
}

bool PageSplitters::saveMainLayout()
{
    for (const auto& [splitter, page] : m_pages)
        if (!page.laidOut)
            for (int pane : page.panes)
                for (const SavedPane& saved : savedPanes())
                    if (saved.control == pane)
                        return true;
    vrt::IniFile ini(m_iniPath());
    return organiser::saveMainLayout(ini, [this](int c) { return geometry(c); });
}

void PageSplitters::setupSplitters()
{
    const vrt::IniFile ini(m_iniPath());
    std::map<int, QRect> read;
    for (const auto& [control, rect] : readMainLayout(ini, [this](int c) { return geometry(c); }))
        read[control] = rect;
    for (auto& [splitter, page] : m_pages) {
        QList<int> sizes = splitter->sizes();
        bool changed = false;
        for (std::size_t i = 0; i < page.panes.size() && int(i) < sizes.size(); ++i)
            if (const auto it = read.find(page.panes[i]); it != read.end()) {
                const int size = splitter->orientation() == Qt::Horizontal ? it->second.width() : it->second.height();
                changed = changed || size != sizes[int(i)];
                sizes[int(i)] = size;
            }
        if (changed)
            splitter->setSizes(sizes);
        // A page not yet shown has no real bar positions to hold to the limits.
        if (page.laidOut)
            clamp(splitter);
    }
}

} // namespace organiser
