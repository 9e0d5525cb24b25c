#include "procedures/organiser/PaneWidgets.h"

#include <algorithm>
#include <QEvent>
#include <QSplitter>
#include <QWidget>

#include "runtime/IniFile.h"

namespace organiser {

QRect rectIn(const QWidget* window, const QWidget* w)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
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
