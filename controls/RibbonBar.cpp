#include "controls/RibbonBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace controls {
namespace {

constexpr int kLargeIcon = 32;

const char* kRibbonStyle = R"(
controls--RibbonBar { background: #dbe6f4; }
QTabBar::tab { background: transparent; border: 1px solid transparent; padding: 4px 14px;
               margin-right: 2px; color: #15428b; }
QTabBar::tab:selected { background: #f5f9fd; border: 1px solid #8db2e3; border-bottom: none;
                        border-top-left-radius: 3px; border-top-right-radius: 3px; }
QTabBar::tab:hover:!selected { background: #e8f0fa; border: 1px solid #b7cde9; }
QStackedWidget#ribbonPages { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                             stop:0 #f5f9fd, stop:1 #dfe9f5); border: 1px solid #8db2e3; }
controls--RibbonGroup { background: transparent; border: 1px solid #c5d5ea; border-radius: 3px;
                        margin: 2px; }
QLabel#groupCaption { color: #3e6aaa; padding: 1px 4px; }
QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 2px; color: #1e395b; }
QToolButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffbe2,
                    stop:1 #ffe28b); border: 1px solid #f1c43f; }
QToolButton:pressed { background: #fdc76a; border: 1px solid #c29b29; }
QToolButton[popupMode="1"] { padding-right: 14px; }
QToolButton[popupMode="2"] { padding-right: 10px; }
QFrame#groupSeparator { color: #c5d5ea; }
)";

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("groupSeparator"));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}

} // namespace

RibbonControl::RibbonControl(Type type, int id, const QString& caption, const RibbonBar* store,
                             QObject* parent)
    : QAction(caption, parent), m_id(id), m_type(type), m_store(store)
{
    const QIcon image = store ? store->icon(id) : QIcon();
    if (!image.isNull())
        setIcon(image);
}

RibbonCommandBar* RibbonControl::commandBar()
{
    if (!m_bar) {
        m_bar = new RibbonCommandBar(m_store);
        setMenu(m_bar);
        // The bar lives as long as its control.
        connect(this, &QObject::destroyed, m_bar, &QObject::deleteLater);
    }
    return m_bar;
}

RibbonCommandBar::RibbonCommandBar(const RibbonBar* store, QWidget* parent) : QMenu(parent), m_store(store) {}

RibbonControl* RibbonCommandBar::add(RibbonControl::Type type, int id, const QString& caption, bool beginGroup)
{
    if (beginGroup)
        addSeparator();
    auto* control = new RibbonControl(type, id, caption, m_store, this);
    control->m_beginGroup = beginGroup;
    if (type != RibbonControl::Button) {
        RibbonCommandBar* bar = control->commandBar();
        connect(bar, &RibbonCommandBar::executed, this, &RibbonCommandBar::executed);
    }
    connect(control, &QAction::triggered, this, [this, id] { emit executed(id); });
    addAction(control);
    return control;
}

QList<RibbonControl*> RibbonCommandBar::controls() const
{
    QList<RibbonControl*> out;
    for (QAction* a : actions())
        if (auto* c = qobject_cast<RibbonControl*>(a))
            out << c;
    return out;
}

void RibbonCommandBar::mouseReleaseEvent(QMouseEvent* event)
{
    // A menu opens a sub-bar instead of triggering its entry; the main part of a split button
    // is a command of its own.
    auto* control = qobject_cast<RibbonControl*>(actionAt(event->position().toPoint()));
    if (control && control->type() == RibbonControl::SplitButton && control->isEnabled()) {
        QWidget* top = this;
        while (auto* parentMenu = qobject_cast<QMenu*>(top->parentWidget()))
            top = parentMenu;
        top->close();
        close();
        control->trigger();
        return;
    }
    QMenu::mouseReleaseEvent(event);
}

RibbonGroup::RibbonGroup(int id, const QString& caption, const RibbonBar* store, QWidget* parent)
    : QFrame(parent), m_id(id), m_store(store)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 0);
    column->setSpacing(0);
    m_buttons = new QHBoxLayout();
    m_buttons->setSpacing(1);
    column->addLayout(m_buttons, 1);
    m_caption = new QLabel(caption, this);
    m_caption->setObjectName(QStringLiteral("groupCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    column->addWidget(m_caption);
}

QString RibbonGroup::caption() const
{
    return m_caption->text();
}

void RibbonGroup::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

RibbonControl* RibbonGroup::add(RibbonControl::Type type, int id, const QString& caption, bool beginGroup)
{
    if (beginGroup)
        m_buttons->addWidget(separator(this));
    auto* control = new RibbonControl(type, id, caption, m_store, this);
    control->m_beginGroup = beginGroup;
    auto* button = new QToolButton(this);
    button->setDefaultAction(control);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(kLargeIcon, kLargeIcon));
    button->setAutoRaise(true);
    button->setObjectName(QStringLiteral("ribbonButton%1").arg(id));
    if (type != RibbonControl::Button) {
        RibbonCommandBar* bar = control->commandBar();
        connect(bar, &RibbonCommandBar::executed, this, &RibbonGroup::executed);
        button->setPopupMode(type == RibbonControl::Popup ? QToolButton::InstantPopup
                                                          : QToolButton::MenuButtonPopup);
        if (type == RibbonControl::Popup) {
            // Opening a popup executes it, as a button would.
            connect(bar, &QMenu::aboutToShow, this, [this, id] { emit executed(id); });
        }
    }
    connect(control, &QAction::triggered, this, [this, id] { emit executed(id); });
    m_buttons->addWidget(button);
    m_controls << control;
    return control;
}

RibbonBar::RibbonBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromLatin1(kRibbonStyle));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(2, 2, 2, 2);
    m_layout->setSpacing(0);
    m_quick = new QToolBar(this);
    m_quick->setIconSize(QSize(16, 16));
    m_tabs = new QTabBar(this);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->setIconSize(QSize(16, 16));
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("ribbonPages"));
    m_pages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_pages->setFixedHeight(kLargeIcon + 64);
    m_layout->addWidget(m_tabs);
    m_layout->addWidget(m_pages);
    placeQuickAccess();
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        m_pages->setCurrentIndex(index);
        if (!m_selecting && index >= 0)
            emit tabSelected(m_tabIds.value(index));
    });
    connect(m_tabs, &QTabBar::tabBarDoubleClicked, this, [this](int) {
        if (m_allowMinimize)
            m_pages->setVisible(!m_pages->isVisible());
    });
}

void RibbonBar::setIcon(int id, const QIcon& icon)
{
    m_icons[id] = icon;
    for (int t = 0; t < tabCount(); ++t)
        forEachControl(t, [&](RibbonControl* c) {
            if (c->id() == id)
                c->setIcon(icon);
            return false;
        });
    for (int i = 0; i < m_tabIds.size(); ++i)
        if (m_tabIds[i] == id)
            m_tabs->setTabIcon(i, icon);
}

QIcon RibbonBar::icon(int id) const
{
    auto it = m_icons.find(id);
    return it == m_icons.end() ? QIcon() : it->second;
}

int RibbonBar::insertTab(int position, const QString& caption, int id)
{
    position = qBound(0, position, int(m_tabIds.size()));
    m_selecting = true;
    auto* page = new QWidget(m_pages);
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    row->addStretch(1);
    m_pages->insertWidget(position, page);
    const int index = m_tabs->insertTab(position, icon(id), caption);
    m_tabIds.insert(position, id);
    m_pages->setCurrentIndex(m_tabs->currentIndex());
    m_selecting = false;
    return index;
}

int RibbonBar::tabCount() const { return m_tabs->count(); }
int RibbonBar::tabId(int index) const { return m_tabIds.value(index, -1); }
QString RibbonBar::tabCaption(int index) const { return m_tabs->tabText(index); }
void RibbonBar::setTabCaption(int index, const QString& caption) { m_tabs->setTabText(index, caption); }
int RibbonBar::tabIndexOfId(int id) const { return m_tabIds.indexOf(id); }

void RibbonBar::selectTab(int index)
{
    if (index < 0 || index >= m_tabs->count())
        return;
    m_selecting = true;
    m_tabs->setCurrentIndex(index);
    m_selecting = false;
}

int RibbonBar::selectedTab() const { return m_tabs->currentIndex(); }

RibbonGroup* RibbonBar::addGroup(int tabIndex, const QString& caption, int id)
{
    QWidget* page = m_pages->widget(tabIndex);
    if (!page)
        return nullptr;
    auto* group = new RibbonGroup(id, caption, this, page);
    auto* row = static_cast<QHBoxLayout*>(page->layout());
    row->insertWidget(row->count() - 1, group); // before the closing stretch
    connect(group, &RibbonGroup::executed, this, &RibbonBar::executed);
    return group;
}

QList<RibbonGroup*> RibbonBar::groups(int tabIndex) const
{
    QList<RibbonGroup*> out;
    QWidget* page = m_pages->widget(tabIndex);
    if (!page)
        return out;
    QLayout* row = page->layout();
    for (int i = 0; i < row->count(); ++i)
        if (auto* g = qobject_cast<RibbonGroup*>(row->itemAt(i)->widget()))
            out << g;
    return out;
}

RibbonGroup* RibbonBar::group(int tabIndex, int groupId) const
{
    for (RibbonGroup* g : groups(tabIndex))
        if (g->id() == groupId)
            return g;
    return nullptr;
}

RibbonControl* RibbonBar::forEachControl(int tabIndex, const std::function<bool(RibbonControl*)>& fn) const
{
    // Popups' bars are menus outside the widget tree, so the walk follows the controls.
    std::function<RibbonControl*(const QList<RibbonControl*>&)> walk =
        [&](const QList<RibbonControl*>& list) -> RibbonControl* {
        for (RibbonControl* c : list) {
            if (fn(c))
                return c;
            if (c->existingCommandBar())
                if (RibbonControl* found = walk(c->existingCommandBar()->controls()))
                    return found;
        }
        return nullptr;
    };
    for (RibbonGroup* g : groups(tabIndex))
        if (RibbonControl* c = walk(g->controls()))
            return c;
    return nullptr;
}

RibbonControl* RibbonBar::findControl(int tabIndex, int id) const
{
    return forEachControl(tabIndex, [id](RibbonControl* c) { return c->id() == id; });
}

void RibbonBar::addQuickAccess(RibbonControl* control)
{
    m_quick->addAction(control);
}

void RibbonBar::setQuickAccessVisible(bool visible)
{
    m_quickVisible = visible;
    m_quick->setVisible(visible);
}

void RibbonBar::setQuickAccessBelow(bool below)
{
    m_quickBelow = below;
    placeQuickAccess();
}

void RibbonBar::placeQuickAccess()
{
    m_layout->removeWidget(m_quick);
    m_layout->insertWidget(m_quickBelow ? m_layout->count() : 0, m_quick);
    m_quick->setVisible(m_quickVisible);
}

} // namespace controls
