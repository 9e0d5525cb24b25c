#include "runtime/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <map>
#include <memory>

#include "runtime/WindowManager.h"

namespace vrt {

namespace {
PopupMenu::Runner g_runner;
PopupMenu::Runner g_display;

int execMenu(const PopupMenu& popup, QPoint pos, QWidget* parent)
{
    std::unique_ptr<QMenu> menu(popup.buildMenu(parent));
    ModalScope scope; // a menu runs a loop of its own; guarded timers wait for it
    QAction* chosen = menu->exec(pos);
    return chosen ? chosen->data().toInt() : 0;
}
} // namespace

int PopupMenu::addItem(const QString& text, const QString& name, std::function<void()> action,
                       int parent)
{
    Item item;
    item.id = m_nextId++;
    item.name = name.isEmpty() ? text : name;
    item.text = text;
    item.parent = parent;
    item.action = std::move(action);
    m_items.push_back(std::move(item));
    return m_items.back().id;
}

int PopupMenu::addSeparator(int parent)
{
    Item item;
    item.id = m_nextId++;
    item.separator = true;
    item.parent = parent;
    m_items.push_back(std::move(item));
    return m_items.back().id;
}

int PopupMenu::addSubmenu(const QString& text, const QString& name) { return addItem(text, name); }

int PopupMenu::idOf(const QString& name) const
{
    for (const auto& i : m_items)
        if (!i.separator && i.name == name)
            return i.id;
    return 0;
}

PopupMenu::Item* PopupMenu::item(int id)
{
    for (auto& i : m_items)
        if (i.id == id)
            return &i;
    return nullptr;
}

const PopupMenu::Item* PopupMenu::item(int id) const
{
    return const_cast<PopupMenu*>(this)->item(id);
}

void PopupMenu::setEnabled(int id, bool enabled)
{
    if (auto* i = item(id))
        i->enabled = enabled;
}

void PopupMenu::setChecked(int id, bool checked)
{
    if (auto* i = item(id)) {
        i->checkable = true;
        i->checked = checked;
    }
}

void PopupMenu::setText(int id, const QString& text)
{
    if (auto* i = item(id))
        i->text = text;
}

void PopupMenu::setIcon(int id, const QIcon& icon)
{
    if (auto* i = item(id))
        i->icon = icon;
}

QIcon PopupMenu::shownIcon(int id) const
{
    const Item* i = item(id);
    if (!i)
        return {};
    return i->checkable && i->checked && !m_tickIcon.isNull() ? m_tickIcon : i->icon;
}

bool PopupMenu::remove(int id)
{
    if (!item(id))
        return false;
    std::vector<int> doomed{id};
    for (size_t k = 0; k < doomed.size(); ++k)
        for (const auto& i : m_items)
            if (i.parent == doomed[k])
                doomed.push_back(i.id);
    std::erase_if(m_items, [&](const Item& i) {
        return std::find(doomed.begin(), doomed.end(), i.id) != doomed.end();
    });
    return true;
}

void PopupMenu::clear()
{
    m_items.clear();
    m_nextId = 1;
}

void PopupMenu::translate(const std::function<QString(const QString&)>& fn)
{
    for (auto& i : m_items)
        if (!i.separator)
            i.text = fn(i.text);
}

int PopupMenu::choose(int id)
{
    const Item* i = item(id);
    if (!i || i->separator || !i->enabled)
        return 0;
    for (const Item* up = item(i->parent); up; up = item(up->parent))
        if (!up->enabled)
            return 0;
    if (std::any_of(m_items.begin(), m_items.end(), [&](const Item& c) { return c.parent == id; }))
        return 0; // a submenu opens; it is not a choice
    if (auto* chosen = item(id); chosen->checkable)
        chosen->checked = !chosen->checked;
    if (i->action) {
        auto action = i->action; // the action may change the menu
        action();
    }
    return id;
}

int PopupMenu::ask(QPoint globalPos, QWidget* parent)
{
    const int id = g_runner    ? g_runner(*this, globalPos, parent)
                   : g_display ? g_display(*this, globalPos, parent)
                               : execMenu(*this, globalPos, parent);
    return id ? choose(id) : 0;
}

QMenu* PopupMenu::buildMenu(QWidget* parent) const
{
    auto* top = new QMenu(parent);
    std::map<int, QMenu*> menus{{0, top}};
    for (const auto& i : m_items) {
        auto owner = menus.find(i.parent);
        if (owner == menus.end())
            continue;
        QMenu* into = owner->second;
        const bool hasChildren =
            std::any_of(m_items.begin(), m_items.end(), [&](const Item& c) { return c.parent == i.id; });
        if (i.separator) {
            into->addSeparator();
        } else if (hasChildren) {
            QMenu* sub = into->addMenu(i.icon, i.text);
            sub->setEnabled(i.enabled);
            menus[i.id] = sub;
        } else {
            QAction* a = into->addAction(shownIcon(i.id), i.text);
            a->setData(i.id);
            a->setEnabled(i.enabled);
            // With a tick icon the icon shows the state; Qt's own check box would show it twice.
            a->setCheckable(i.checkable && m_tickIcon.isNull());
            a->setChecked(i.checked);
        }
    }
    return top;
}

PopupMenu::Runner PopupMenu::setDisplay(Runner display)
{
    Runner old = std::move(g_display);
    g_display = std::move(display);
    return old;
}

PopupMenu::Runner PopupMenu::setRunner(Runner runner)
{
    Runner old = std::move(g_runner);
    g_runner = std::move(runner);
    return old;
}

} // namespace vrt
