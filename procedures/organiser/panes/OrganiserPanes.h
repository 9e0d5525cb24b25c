#pragma once
#include <QObject>
#include <QTreeView>

class QPlainTextEdit;
#include <bitset>
#include <functional>
#include <map>
#include <memory>

#include "procedures/organiser/window/EventChecks.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/PaneButtons.h"
#include "procedures/organiser/panes/PaneLayout.h"
#include "procedures/organiser/panes/PopupItems.h"
#include "procedures/organiser/panes/TaskPanelModel.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/WindowManager.h"

// Puts the organiser lists into the organiser window's pages and registers each under its
// control number, so the window restores and saves their column layouts and finds them.
// Each page stacks its lists in Qt splitters whose handles are the window's splitter bars
// (Pages.cpp composes the pages). A page is composed when it is first shown: the start builds
// only the page it opens on. The lists and trees exist from the start, kept hidden until their
// page takes them.
namespace organiser {

class OrganiserWindow;
class OrganiserListView;
class PageSplitters;
class TaskPanelWidget;
}
namespace panes {
class TaskPanelFill;
class TaskPanelSide;
}
namespace VelmoraDll {
class Tornavellic;
}
namespace organiser {

// The trees beside the lists: mail folders, finance categories, contact groups.
class OrganiserPanes : public QObject, public WindowParts {
    Q_OBJECT
public:
    explicit OrganiserPanes(OrganiserWindow& window);
    ~OrganiserPanes() override;

    ListSet& lists() { return *m_lists; }
    OrganiserMenus& menus() { return *m_menus; }
    ListEvents& events() { return *m_events; }
    EventPump& pump() { return *m_pump; }
    PaneButtons& buttons() { return *m_buttons; }
    PageSplitters& splitters() { return *m_splitters; }
    // The per-event checks, once no form or message runs above the window.
    void pumpEvents();
    OrganiserListView* view(int control) const;
    QTreeView* tree(int control) const;
    // Shows the tree's queue (filling the category tree when it is empty) and selects its
    // `row` (from 1), which drives the lists; 0 keeps the selection.
    void selectTreeRow(int control, int row) override;
    // The window's side.
    void saveMainLayout() override;
    int resizeControls() override { return 0; } // the layouts follow the window themselves
    void setupSplitters() override;
    void afterEvent() override { pumpEvents(); }
    int paneButton(int control) override;
    void firstShown() override;
    VelmoraDll::Tornavellic* links() const { return m_links; }
    // The overview's task panel.
    TaskPanelModel& taskPanel() { return m_taskPanel; }
    TaskPanelWidget* taskPanelWidget() const { return m_taskPanelWidget; }
    // The list buttons that need a row are enabled only while their list has one.
    void updateButtons();
    // The selected contact's note in control 135.
    void showContactNote();
    // The id of the selected row of a tree; 0 when none.
    long treeRowId(int control) const;
    // Composes page `index` (from 0) of the window's sheet unless it is already there.
    void buildPage(int index);
    bool pageBuilt(int index) const { return index >= 0 && index < int(m_built.size()) && m_built[size_t(index)]; }
    // Runs `then` once page `index` is composed: at once when it is, else when it is first shown.
    // What a feature does with the controls of a page goes through here.
    void whenPageBuilt(int index, QObject* context, std::function<void()> then);

signals:
    void pageComposed(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(OrganiserWindow& window);
    void composePage(OrganiserWindow& window, int index);
    void makeTrees(OrganiserWindow& window);
    void makePump(OrganiserWindow& window);
    void makeButtons(OrganiserWindow& window);
    void makeTaskPanel(OrganiserWindow& window);
    // A context menu's entry or a button that runs a routine of the window.
    int runRoutine(OrganiserWindow& window, Routine routine);
    // The mail list's own entries (MarkUnread, MarkFolderRead, InsertContact, AddToTasks);
    // false for any other routine.
    bool runOwnRoutine(OrganiserWindow& window, Routine routine);
    void pressListButton(const ListButton& b);

    class ListSide;
    class MenuSide;
    class ButtonSide;

    std::unique_ptr<ListSetSide> m_listSide;
    std::unique_ptr<ListSet> m_lists;
    std::unique_ptr<MenuActions> m_menuSide;
    std::unique_ptr<OrganiserMenus> m_menus;
    std::unique_ptr<ListEvents> m_events;
    std::unique_ptr<EventPumpDeps> m_pumpSide;
    std::unique_ptr<EventPump> m_pump;
    std::unique_ptr<PaneButtonSide> m_buttonSide;
    std::unique_ptr<PaneButtons> m_buttons;
    vrt::ReentryGuard m_pumpGuard;
    bool m_pumpWaiting = false;
    std::map<int, OrganiserListView*> m_views;
    std::map<int, QTreeView*> m_trees;
    PageSplitters* m_splitters = nullptr;
    // Where the lists and trees wait, hidden, for their page.
    QWidget* m_parking = nullptr;
    std::bitset<8> m_built;
    TaskPanelModel m_taskPanel;
    TaskPanelWidget* m_taskPanelWidget = nullptr;
    std::unique_ptr<panes::TaskPanelSide> m_taskPanelSide;
    std::unique_ptr<panes::TaskPanelFill> m_taskPanelFill;
    QPlainTextEdit* m_contactNote = nullptr;
    VelmoraDll::Tornavellic* m_links = nullptr;
    long m_noteShownFor = -1;
};

// The notes list's clicks and keys: the tag toggle, Insert and Delete in place.
void bindNotesView(ListSet& lists, OrganiserListView& view);

// Made before the window opens (the opening restores the lists' layouts); owned by the window.
OrganiserPanes* attachPanes(OrganiserWindow& window);

} // namespace organiser
