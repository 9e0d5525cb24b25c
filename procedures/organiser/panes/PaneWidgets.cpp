#include "procedures/organiser/panes/PaneWidgets.h"

#include <algorithm>
#include <QEvent>
#include <QSplitter>
#include <QWidget>

#include "chrome/ResizeWidgets.h"
#include "procedures/organiser/window/SettingsWrites.h"
#include "runtime/IniFile.h"

namespace organiser {

QRect rectIn(const QWidget* window, const QWidget* w)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// ---- the pages' Qt splitters -----------------------------------------------------------------

PageSplitters::PageSplitters(QWidget* window, QString iniPath)
    : QObject(window), m_window(window), m_access(new MH::WidgetResizeAccess(window)), m_iniPath(std::move(iniPath))
{
    // One resizer for the window, its design size the size it has now and never below it;
    // the window takes the frame's whole area.
    m_resizer.INIT(MH::mhResizeFrame(), *m_access, window->width(), window->height(), true, true, true, false);
    m_resizer.INITIALRESIZE(false, true, QStringLiteral("Full"), QStringLiteral("Full"), 0, 0, true);
}

PageSplitters::~PageSplitters() { m_resizer.KILL(); }

void PageSplitters::add(QSplitter* splitter, const std::vector<int>& bars, const std::vector<int>& panes,
                        const QList<int>& design)
{
    m_pages[splitter] = {bars, panes, design, false};
    for (std::size_t i = 0; i < bars.size() && int(i) + 1 < splitter->count(); ++i)
        if (bars[i]) {
            QSplitterHandle* handle = splitter->handle(int(i) + 1);
            m_controls[bars[i]] = handle;
            m_access->setControl(bars[i], handle);
            const SplitterDef* def = splitterDef(bars[i]);
            auto* barHandle = qobject_cast<MH::SplitterBarHandle*>(handle);
            if (!def || !barHandle)
                continue;
            auto& bar = m_bars[bars[i]];
            bar = std::make_unique<MH::SPLITWINDOWCLASS>();
            bar->INIT(&m_resizer, *m_access, def->direction, def->bar, def->minimum, def->maximum);
            barHandle->setBar(bar.get(), m_window);
        }
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

MH::SPLITWINDOWCLASS* PageSplitters::bar(int bar) const
{
    const auto it = m_bars.find(bar);
    return it == m_bars.end() ? nullptr : it->second.get();
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
    const vrt::IniFile ini(m_iniPath);
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
        const MH::SPLITWINDOWCLASS* def = bar(page.bars[i]);
        if (!def)
            continue;
        const QRect handle = rectIn(m_window, splitter->handle(int(i) + 1));
        const int at = across ? handle.x() : handle.y();
        const auto [lo, far] = def->limits(across ? m_window->width() : m_window->height(),
                                           across ? handle.width() : handle.height());
        const int hi = std::max(lo, far);
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
    vrt::IniFile ini(m_iniPath);
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
