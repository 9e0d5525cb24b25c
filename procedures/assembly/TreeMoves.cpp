#include "procedures/assembly/TreeMoves.h"

#include "procedures/common/TreeLists.h"
#include "procedures/finance/FinanceRoutines.h"
#include "procedures/mail/MailFolderTree.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"

#include <memory>

namespace organiser {

using VelmoraDll::TreeMove;
using VelmoraDll::TreeMovePlan;
using VelmoraDll::TreeRefusal;
using VelmoraDll::TreeTable;

namespace {
// The roots and the balance row stay; a category stays within its kind.
class FinanceCategoryRules : public VelmoraDll::TreeRules {
public:
    bool fixed(long id) const override { return id == 1 || id == 2 || id == finance::BalanceRowId; }
    TreeRefusal fixedRefusal() const override
    {
        return {QStringLiteral("Ova kategorija se ne može pomicati !"), QString(), vrt::Icon::Hand};
    }
    std::optional<TreeRefusal> refuse(const TreeMovePlan& p) const override
    {
        // Up and down past the first or last category of a branch would cross into the other
        // branch: nothing happens, as at the top or bottom of a branch.
        if ((p.move == TreeMove::Up || p.move == TreeMove::Down) && p.neighbour && p.neighbour->type != p.node->type)
            return TreeRefusal{};
        // A category may stand at the top level, where its own type says which total it
        // counts in; under another category it stays within its kind.
        if (p.changesParent && p.newParent && p.newParent->type != p.node->type)
            return TreeRefusal{QStringLiteral("Kategorija mora ostati unutar prihoda ili troškova !"), QString(),
                               vrt::Icon::Hand};
        return std::nullopt;
    }
};
} // namespace

TreeTable financeCategoryTree()
{
    static const FinanceCategoryRules rules;
    TreeTable s;
    s.table = Tbl::APrihodiRashodiKategorija;
    s.typeCol = "TIP";
    s.rules = &rules;
    return s;
}

TreeTable contactGroupTree()
{
    TreeTable s;
    s.table = Tbl::ACON_GrupaAlias;
    return s;
}

void attachTreeMoves(FeatureHost& host)
{
    OrganiserWindow& window = host.window;
    OrganiserPanes& panes = host.panes;
    // Shows the rebuilt tree with the row of `id` selected (the lists follow the selection).
    auto select = [&panes](int control, const VelmoraDll::TreeQueue& queue, long id) {
        int row = 0;
        for (size_t i = 0; i < queue.size(); ++i)
            if (queue[i].ID == id)
                row = int(i) + 1;
        panes.selectTreeRow(control, row);
    };
    auto refillFolders = [&window] {
        if (VelmoraDll::TreeTableSource* folders = window.mailFolders())
            VelmoraDll::S_FillInboxTree(*folders);
        window.paneRoutines().SetMailFolderIcons();
    };
    auto refillGroups = [&window] {
        if (VelmoraDll::TreeTableSource* groups = window.contactGroups())
            VelmoraDll::S_FillContactGroupTree(*groups);
    };

    // After a move: the tree rebuilt with the moved row selected.
    auto mailAfter = [select, refillFolders](long id) {
        refillFolders();
        select(tree::MailFolders, VelmoraDll::InboxQ(), id);
    };
    // The finance fill renumbers by position too and adds the balance row.
    auto categoriesAfter = [&window, select](long id) {
        window.paneRoutines().FillFinanceCategoryTree();
        select(tree::Categories, VelmoraDll::PrihodiRashodiQ(), id);
    };
    auto groupsAfter = [select, refillGroups](long id) {
        refillGroups();
        select(tree::ContactGroups, VelmoraDll::KontaktiGrupaQ(), id);
    };

    // Each tree's four arrows, up, down, left and right.
    const struct {
        TreeTable table;
        std::function<void(long id)> after;
        int control;
        Routine moves[4];
    } trees[] = {
        {mailFolderTree(), mailAfter, tree::MailFolders,
         {Routine::MoveUpVrE, Routine::MoveDownVrE, Routine::MoveLeftVrE, Routine::MoveRightVrE}},
        {financeCategoryTree(), categoriesAfter, tree::Categories,
         {Routine::MoveUpVrPRK, Routine::MoveDownVrPRK, Routine::MoveLeftVrPRK, Routine::MoveRightVrPRK}},
        {contactGroupTree(), groupsAfter, tree::ContactGroups,
         {Routine::MoveUpVr, Routine::MoveDownVr, Routine::MoveLeftVr, Routine::MoveRightVr}}};
    const TreeMove hows[] = {TreeMove::Up, TreeMove::Down, TreeMove::Left, TreeMove::Right};
    for (const auto& t : trees) {
        auto mover = std::make_shared<VelmoraDll::TreeMover>(t.table, t.after);
        for (int i = 0; i < 4; ++i)
            host.routines.attach(t.moves[i], [mover, how = hows[i], control = t.control, &panes] {
                const auto r = mover->move(how, panes.treeRowId(control));
                return r == VelmoraDll::TreeMoveResult::Failed ? 1 : 0;
            });
    }

    // After a folder or group is added or deleted, its tree is numbered by position again.
    auto renumbering = [&panes](TreeTable table, std::function<void()> refill, int control) {
        return [mover = std::make_shared<VelmoraDll::TreeMover>(std::move(table)), refill, control, &panes] {
            const bool ok = mover->renumber();
            refill();
            panes.selectTreeRow(control, 0);
            return ok ? 0 : 1;
        };
    };
    host.routines.attach(Routine::RenumberMailFolderTree, renumbering(mailFolderTree(), refillFolders, tree::MailFolders));
    host.routines.attach(Routine::RenumberContactGroupTree, renumbering(contactGroupTree(), refillGroups, tree::ContactGroups));
}

} // namespace organiser
