#pragma once
#include <QAction>
#include <QFrame>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QString>
#include <functional>
#include <map>

class QLabel;
class QHBoxLayout;
class QStackedWidget;
class QTabBar;
class QToolBar;
class QVBoxLayout;

namespace controls {

class RibbonBar;
class RibbonCommandBar;

// One command of the ribbon: a button, a popup with its own bar, or a button with a
// drop-down bar. Executing it reports its id through the ribbon's executed().
class RibbonControl : public QAction {
    Q_OBJECT
public:
    enum Type { Button = 1, Popup = 2, SplitButton = 3 };

    RibbonControl(Type type, int id, const QString& caption, const RibbonBar* store, QObject* parent);
    int id() const { return m_id; }
    Type type() const { return m_type; }
    bool beginGroup() const { return m_beginGroup; }
    // The popup's or drop-down's bar; created on first use (a button has none until asked).
    RibbonCommandBar* commandBar();
    RibbonCommandBar* existingCommandBar() const { return m_bar; }

private:
    friend class RibbonGroup;
    friend class RibbonCommandBar;
    int m_id;
    Type m_type;
    bool m_beginGroup = false;
    const RibbonBar* m_store;
    RibbonCommandBar* m_bar = nullptr;
};

// The bar a popup or drop-down opens.
class RibbonCommandBar : public QMenu {
    Q_OBJECT
public:
    explicit RibbonCommandBar(const RibbonBar* store, QWidget* parent = nullptr);
    // `beginGroup` puts a separator before the control.
    RibbonControl* add(RibbonControl::Type type, int id, const QString& caption, bool beginGroup = false);
    QList<RibbonControl*> controls() const;

signals:
    void executed(int id);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const RibbonBar* m_store;
};

// A captioned group of large buttons on one tab.
class RibbonGroup : public QFrame {
    Q_OBJECT
public:
    RibbonGroup(int id, const QString& caption, const RibbonBar* store, QWidget* parent);
    int id() const { return m_id; }
    QString caption() const;
    void setCaption(const QString& caption);
    RibbonControl* add(RibbonControl::Type type, int id, const QString& caption, bool beginGroup = false);
    QList<RibbonControl*> controls() const { return m_controls; }

signals:
    void executed(int id);

private:
    int m_id;
    const RibbonBar* m_store;
    QLabel* m_caption;
    QHBoxLayout* m_buttons;
    QList<RibbonControl*> m_controls;
};

// The ribbon: tabs, each a row of groups, an icon store shared by tabs and controls (a tab or
// control shows the icon registered under its own id), and a quick-access bar.
class RibbonBar : public QWidget {
    Q_OBJECT
public:
    explicit RibbonBar(QWidget* parent = nullptr);

    void setIcon(int id, const QIcon& icon);
    QIcon icon(int id) const;

    // Returns the tab's index.
    int insertTab(int position, const QString& caption, int id);
    int tabCount() const;
    int tabId(int index) const;
    QString tabCaption(int index) const;
    void setTabCaption(int index, const QString& caption);
    int tabIndexOfId(int id) const;
    // Selecting from code reports nothing; only the user's choice is reported.
    void selectTab(int index);
    int selectedTab() const;

    RibbonGroup* addGroup(int tabIndex, const QString& caption, int id);
    QList<RibbonGroup*> groups(int tabIndex) const;
    RibbonGroup* group(int tabIndex, int groupId) const;
    // Every control reachable on a tab, popups' bars included.
    RibbonControl* findControl(int tabIndex, int id) const;

    void addQuickAccess(RibbonControl* control);
    void setQuickAccessVisible(bool visible);
    void setQuickAccessBelow(bool below);
    bool quickAccessVisible() const { return m_quickVisible; }
    // When allowed, a double click on a tab folds the groups away.
    void setAllowMinimize(bool allow) { m_allowMinimize = allow; }

signals:
    void executed(int id);
    // The user chose a tab; the tab's id.
    void tabSelected(int tabId);

private:
    void placeQuickAccess();
    // Calls `fn` for every control of a tab until it returns true; that control is returned.
    RibbonControl* forEachControl(int tabIndex, const std::function<bool(RibbonControl*)>& fn) const;

    QTabBar* m_tabs;
    QStackedWidget* m_pages;
    QToolBar* m_quick;
    QVBoxLayout* m_layout;
    std::map<int, QIcon> m_icons;
    QList<int> m_tabIds;
    bool m_quickVisible = true;
    bool m_quickBelow = false;
    bool m_allowMinimize = true;
    bool m_selecting = false;
};

} // namespace controls
