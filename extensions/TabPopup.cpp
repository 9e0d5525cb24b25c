#include "extensions/TabPopup.h"

#include <QAction>
#include <algorithm>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

namespace SBRW {

namespace {
constexpr int kMaxItems = 250;
constexpr int kRightButton = 2;
} // namespace

std::vector<TabMenuItem> tabMenuItems(const QTabWidget& sheet)
{
    std::vector<TabMenuItem> items;
    for (int i = 0; i < sheet.count() && int(items.size()) < kMaxItems; ++i) {
        if (!sheet.isTabVisible(i))
            continue;
        items.push_back({i, sheet.tabText(i), sheet.isTabEnabled(i), i == sheet.currentIndex()});
    }
    return items;
}

TABPOPUP* tabMenu(QObject* window, const std::vector<QTabWidget*>& sheets)
{
    auto* popup = new TABPOPUP(window);
    popup->INIT();
    for (QTabWidget* sheet : sheets)
        popup->ADDSHEET(sheet);
    popup->PREPAREWINDOW(1);
    return popup;
}

void TABPOPUP::KILL()
{
    for (Sheet& s : m_sheets)
        if (s.control)
            s.control->tabBar()->disconnect(this);
    m_sheets.clear();
}

void TABPOPUP::ADDSHEET(QTabWidget* sheet, int tabWidth)
{
    if (!sheet)
        return;
    m_sheets.push_back({sheet, tabWidth});
    QTabBar* bar = sheet->tabBar();
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<QTabWidget> guard(sheet);
    connect(bar, &QWidget::customContextMenuRequested, this, [this, guard, bar](const QPoint& pos) {
        if (guard)
            showMenu(guard, bar->mapToGlobal(pos));
    });
}

void TABPOPUP::PREPAREWINDOW(int style, bool force)
{
    if (style != 1 && style != 2)
        return;
    for (Sheet& s : m_sheets) {
        if (!s.control || !s.control->tabBar()->isVisibleTo(s.control))
            continue;
        QTabBar* bar = s.control->tabBar();
        if (!force && bar->usesScrollButtons() && !bar->expanding())
            continue;
        bar->setUsesScrollButtons(true);
        bar->setExpanding(false);
    }
}

int TABPOPUP::TAKEBROWSENEWSELECTION(int keyCode)
{
    // The flag stands for the one click that opened the menu: it is spent on it.
    const bool swallow = IGNOREMOUSERIGHT && keyCode == kRightButton;
    IGNOREMOUSERIGHT = false;
    return swallow ? 0 : keyCode;
}

int TABPOPUP::choose(QMenu& menu, const QPoint& globalPos)
{
    const QAction* a = menu.exec(globalPos);
    return a ? a->data().toInt() : -1;
}

bool TABPOPUP::showMenu(QTabWidget* sheet, const QPoint& globalPos)
{
    const bool registered = std::any_of(m_sheets.begin(), m_sheets.end(), [&](const Sheet& s) { return s.control == sheet; });
    // A sheet whose tabs are not shown is a wizard: its pages are not the user's to pick.
    if (!registered || !sheet->tabBar()->isVisibleTo(sheet))
        return false;
    QMenu menu(sheet);
    for (const TabMenuItem& item : tabMenuItems(*sheet)) {
        QAction* a = menu.addAction(sheet->tabIcon(item.tab), item.text);
        a->setData(item.tab);
        a->setEnabled(item.enabled);
        a->setCheckable(true);
        a->setChecked(item.current);
    }
    const int picked = choose(menu, globalPos);
    if (picked < 0 || picked >= sheet->count() || !sheet->isTabEnabled(picked) || picked == sheet->currentIndex())
        return false;
    sheet->setCurrentIndex(picked);
    IGNOREMOUSERIGHT = true;
    return true;
}

} // namespace SBRW
