#pragma once
#include <memory>
#include <QDialog>
#include <QTreeView>
#include <atomic>
#include <cstdint>
#include <functional>

#include "procedures/common/TreeQueueModel.h"
#include "procedures/organiser/window/OrganiserServices.h"

class QGridLayout;
class QPushButton;

namespace MC {
// The group the group picker was left with; 0 when none.
extern std::atomic<int32_t> GROUPID;
} // namespace MC

// The contact-group tree (CON_Group): the group form, the four group commands every window
// with the tree offers, the tree itself as a panel, and the group picker.
namespace mailpeople {

// F_Grupa_Kontakti(id, parent), window "Grupa kontakata": request from GLOBALREQUEST (an
// insert comes with the CON_Group row primed), answer in GLOBALRESPONSE and returned.
int F_Grupa_Kontakti(long id, long parent, QWidget* owner = nullptr);

// "Unos", "Unos podgrupe", "Izmjena", "Brisanje" on the current group of a tree. The checks
// before a delete read through the alias buffers, so no window's current records move.
class ContactGroupCommands {
public:
    enum Command { Insert = 1, InsertSubgroup, Change, Delete };
    // What the commands need of the tree they act on.
    class Side {
    public:
        virtual ~Side() = default;
        virtual long currentGroup() = 0;            // 0: none
        virtual int form(long id, long parent) = 0; // groupForm, or what stands in for it
        virtual void changed() = 0;                 // after a completed form
    };
    // `side` outlives the commands.
    explicit ContactGroupCommands(Side& side) : m_side(side) {}

    // The form's response; 0 when the command did nothing (no group, refused, gone).
    int run(Command command);
    // F_Grupa_Kontakti over the active window.
    static int groupForm(long id, long parent);

private:
    Side& m_side;
};

// The tree icons: level 1 "Folder.ico", 2..5 "Folder1".."Folder4", 6..10 "Folder5", none deeper.
class GroupTreeModel : public VelmoraDll::TreeQueueModel {
public:
    explicit GroupTreeModel(QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<QIcon> m_icons;
};

// The group tree of a window: filled from the table, the current group, the context menu
// (right button or Shift+F10) and the four commands.
class GroupTree : public QTreeView {
    Q_OBJECT
public:
    explicit GroupTree(QWidget* parent = nullptr);
    // Fills the tree queue anew and shows it; the same group stays current when it is there.
    void refill();
    long currentGroup() const;
    bool selectGroup(long id);
    ContactGroupCommands& commands() { return m_commands; }
    // Menu items in order: "Unos", "Unos podgrupe", -, "Izmjena", "Brisanje"; each runs its command.
    void showMenu(const QPoint& globalPos);

signals:
    void groupChanged(long id);

private:
    class CommandSide;
    GroupTreeModel* m_model;
    std::unique_ptr<ContactGroupCommands::Side> m_side;
    ContactGroupCommands m_commands;
};

// T_GrupaKontakti, window "Kontakti": the group tree alone; MC::GROUPID holds the choice.
class GroupPicker : public QDialog {
    Q_OBJECT
public:
    explicit GroupPicker(QWidget* parent = nullptr);
    GroupTree* tree() const { return m_tree; }
    QPushButton* button(const QString& name) const; // "?OK", "?CLOSE", "?INSG", "?INSPODG", "?CHG", "?DELG"
    void done(int result) override;

private:
    GroupTree* m_tree;
};

// Runs the picker; the group chosen, 0 when none.
long T_GrupaKontakti(QWidget* parent = nullptr);

// The group buttons of a window ("?INSG", "?INSPODG", "?CHG", "?DELG") wired to a tree,
// `perRow` to a row of the grid.
void addGroupButtons(QWidget* owner, QGridLayout* layout, GroupTree* tree, int perRow);

// The group commands the organiser window's group buttons run (the composition root gives them).
organiser::ContactGroupDesk& contactGroupDesk();

} // namespace mailpeople
