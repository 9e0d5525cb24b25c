#pragma once
#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QMenu;
class QWidget;

namespace vrt {

// A context menu as a typed list of items. Items are found by id or by name; the menu is
// built as a QMenu only when it is shown, so tests drive it by id without a menu loop.
class PopupMenu {
public:
    struct Item {
        int id = 0;
        QString name;  // stable handle, independent of the (translated) text
        QString text;  // empty for a separator
        bool separator = false;
        bool enabled = true;
        bool checkable = false;
        bool checked = false;
        int parent = 0; // id of the submenu item this one lives in, 0 at the top
        QIcon icon;
        std::function<void()> action;
    };

    // Adds an item; answers its id (ids count from 1 in the order of adding).
    int addItem(const QString& text, const QString& name = {}, std::function<void()> action = {},
                int parent = 0);
    int addSeparator(int parent = 0);
    // An item whose children are the items added with it as parent.
    int addSubmenu(const QString& text, const QString& name = {});

    int idOf(const QString& name) const; // 0 when none
    Item* item(int id);
    const Item* item(int id) const;
    const std::vector<Item>& items() const { return m_items; }

    void setEnabled(int id, bool enabled);
    void setChecked(int id, bool checked);
    void setText(int id, const QString& text);
    void setIcon(int id, const QIcon& icon);
    // What a ticked item shows in place of its own icon; none: its own icon and the tick.
    void setTickIcon(const QIcon& icon) { m_tickIcon = icon; }
    const QIcon& tickIcon() const { return m_tickIcon; }
    // The icon an item shows as things stand.
    QIcon shownIcon(int id) const;
    bool remove(int id); // removes the item and its children
    void clear();

    // Every text passes `fn` (the translator).
    void translate(const std::function<QString(const QString&)>& fn);

    // Shows the menu and runs the chosen item's action; answers its id, 0 when nothing was
    // chosen. A disabled, separator or unknown id is never run.
    int ask(QPoint globalPos = {}, QWidget* parent = nullptr);
    // What a user choosing `id` would cause, without a menu.
    int choose(int id);

    // The widget form of the menu: one QAction per item, data() = id.
    QMenu* buildMenu(QWidget* parent = nullptr) const;

    // Shows a built menu and answers the chosen id; tests replace it.
    using Runner = std::function<int(const PopupMenu& menu, QPoint globalPos, QWidget* parent)>;
    static Runner setRunner(Runner runner);
    // How menus are shown when no runner is set: the window chrome installs its owner-drawn
    // menus here when the program's libraries load; without one a plain QMenu shows.
    static Runner setDisplay(Runner display);

private:
    std::vector<Item> m_items;
    int m_nextId = 1;
    QIcon m_tickIcon;
};

} // namespace vrt
