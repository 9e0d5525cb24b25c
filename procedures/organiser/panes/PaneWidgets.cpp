#include "procedures/organiser/panes/PaneWidgets.h"

#include <algorithm>
#include <QEvent>
#include <QSplitter>
#include <QWidget>

#include "procedures/organiser/window/SettingsWrites.h"
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

void PageSplitters::add(QSplitter* splitter, const std::vector<int>& bars, const std::vector<int>& panes,
                        const QList<int>& design)
{
    m_pages[splitter] = {bars, panes, design, false};
    for (std::size_t i = 0; i < bars.size() && int(i) + 1 < splitter->count(); ++i)
        if (bars[i])
            m_controls[bars[i]] = splitter->handle(int(i) + 1);
    for (std::size_t i = 0; i < panes.size() && int(i) < splitter->count(); ++i)
        if (panes[i])
            m_controls[panes[i]] = splitter->widget(int(i));
    splitter->installEventFilter(this);
    // Where the user puts a bar is where the panes stay, whatever the window does later.
    connect(splitter, &QSplitter::splitterMoved, this, [this, splitter] {
        clamp(splitter);
        m_pages[splitter].wanted = splitter->sizes();
    });
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
    // overwrite the user's positions with made-up ones; and a page may first be shown at a
    // passing size. So every resize of a shown page puts the panes that keep their size back
    // to the size wanted for them, and the growing pane takes the rest.
    if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
        if (const auto it = m_pages.find(static_cast<QSplitter*>(watched)); it != m_pages.end() && it->first->isVisible()) {
            if (!it->second.laidOut) {
                it->second.laidOut = true;
                readSaved(it->first);
            }
            fit(it->first);
        }
    return false;
}

void PageSplitters::fit(QSplitter* splitter)
{
    QList<int> sizes = m_pages[splitter].wanted;
    if (sizes.size() != splitter->count())
        return;
    const bool across = splitter->orientation() == Qt::Horizontal;
    int room = across ? splitter->contentsRect().width() : splitter->contentsRect().height();
    for (int i = 1; i < splitter->count(); ++i)
        room -= splitter->handleWidth();
    int growing = -1;
    for (int i = 0; i < sizes.size(); ++i) {
        const QSizePolicy p = splitter->widget(i)->sizePolicy();
        if ((across ? p.horizontalStretch() : p.verticalStretch()) > 0)
            growing = i;
        room -= sizes[i];
    }
    if (growing >= 0)
        sizes[growing] = std::max(0, sizes[growing] + room);
    if (sizes != splitter->sizes())
        splitter->setSizes(sizes);
    clamp(splitter);
}

void PageSplitters::readSaved(QSplitter* splitter)
{
    Page& page = m_pages[splitter];
    const vrt::IniFile ini(m_iniPath());
    const QString key = splitter->orientation() == Qt::Horizontal ? QStringLiteral("W") : QStringLiteral("H");
    for (std::size_t i = 0; i < page.panes.size() && int(i) < page.wanted.size(); ++i)
        for (const SavedPane& saved : savedPanes())
            if (saved.control == page.panes[i])
                if (const long long size = ini.getInt(QLatin1String(saved.section), key, -1); size > 0)
                    page.wanted[int(i)] = int(size);
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
    return organiser::saveMainLayout(ini, [this](int c) { return geometry(c); }) || reportSettingsNotSaved(ini);
}

void PageSplitters::setupSplitters()
{
    // A page not yet shown reads its positions when it is first laid out.
    for (auto& [splitter, page] : m_pages)
        if (page.laidOut) {
            readSaved(splitter);
            fit(splitter);
        }
}

} // namespace organiser
