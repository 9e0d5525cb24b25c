#include "procedures/assembly/TreeMoves.h"

#include "procedures/common/TreeLists.h"
#include "procedures/finance/FinanceRoutines.h"
#include "procedures/mail/MailFolderTree.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/StandIns.h"

#include <memory>

namespace organiser {

using VelmoraDll::TreeMove;
using VelmoraDll::TreeMovePlan;
using VelmoraDll::TreeRefusal;
using VelmoraDll::TreeTable;

TreeTable financeCategoryTree()
{
    TreeTable s;
    s.table = Tbl::APrihodiRashodiKategorija;
    s.typeCol = "TIP";
    s.fixed = [](long id) { return id == 1 || id == 2 || id == finance::BalanceRowId; };
    s.fixedRefusal = {QStringLiteral("Ova kategorija se ne može pomicati !"), QString(), vrt::Icon::Hand};
    s.refuse = [](const TreeMovePlan& p) -> std::optional<TreeRefusal> {
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
    };
    return s;
}

TreeTable contactGroupTree()
{
    TreeTable s;
    s.table = Tbl::ACON_GrupaAlias;
    return s;
}

void attachTreeMoves(OrganiserWindow& window, OrganiserPanes& panes)
{
    RecordedPanes* routines = window.standInPanes();
    if (!routines)
        return;
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

    TreeTable mail = mailFolderTree();
    mail.after = [select, refillFolders](long id) {
        refillFolders();
        select(tree::MailFolders, VelmoraDll::InboxQ(), id);
    };
    TreeTable categories = financeCategoryTree();
    // The finance fill renumbers by position too and adds the balance row.
    categories.after = [&window, select](long id) {
        window.paneRoutines().FillFinanceCategoryTree();
        select(tree::Categories, VelmoraDll::PrihodiRashodiQ(), id);
    };
    TreeTable groups = contactGroupTree();
    groups.after = [select, refillGroups](long id) {
        refillGroups();
        select(tree::ContactGroups, VelmoraDll::KontaktiGrupaQ(), id);
    };

    const struct {
        TreeTable table;
        int control;
        const char* suffix;
    } trees[] = {{mail, tree::MailFolders, "E"}, {categories, tree::Categories, "PRK"}, {groups, tree::ContactGroups, ""}};
    const struct {
        TreeMove how;
        const char* name;
    } moves[] = {{TreeMove::Up, "MoveUpVr"}, {TreeMove::Down, "MoveDownVr"}, {TreeMove::Left, "MoveLeftVr"},
                 {TreeMove::Right, "MoveRightVr"}};
    for (const auto& t : trees) {
        auto mover = std::make_shared<VelmoraDll::TreeMover>(t.table);
        for (const auto& m : moves)
            routines->built[QLatin1String(m.name) + QLatin1String(t.suffix)] = [mover, how = m.how, control = t.control,
                                                                               &panes] {
                const auto r = mover->move(how, panes.treeRowId(control));
                return r == VelmoraDll::TreeMoveResult::Failed ? 1 : 0;
            };
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
    routines->built[QStringLiteral("RenumberMailFolderTree")] = renumbering(mailFolderTree(), refillFolders, tree::MailFolders);
    routines->built[QStringLiteral("RenumberContactGroupTree")] =
        renumbering(contactGroupTree(), refillGroups, tree::ContactGroups);
}

} // namespace organiser
