#include "procedures/mail/MailFolderTree.h"

#include "data/TableManagers.h"

namespace organiser {

using VelmoraDll::TreeMovePlan;
using VelmoraDll::TreeRefusal;
using VelmoraDll::TreeTable;

namespace {

enum MailExtra { SystemName, Account };

} // namespace

TreeTable mailFolderTree()
{
    TreeTable s;
    s.table = Tbl::AInbox;
    s.extraCols = {"ENNAZIV", "ACCOUNTID"};
    s.refuse = [](const TreeMovePlan& p) -> std::optional<TreeRefusal> {
        // Mail operations find Junk and Deleted by the folder's account and system name:
        // a standard folder elsewhere, or a folder under another account, would send mail
        // to the wrong place.
        if (!p.node->extra[SystemName].isEmpty())
            return TreeRefusal{QStringLiteral("Standardni direktorij se ne može premještati!"), QStringLiteral("Info")};
        if (p.changesParent && (!p.newParent || p.newParent->extra[Account] != p.node->extra[Account]))
            return TreeRefusal{QStringLiteral("Direktorij ne može izaći iz svog računa!"), QStringLiteral("Info")};
        return std::nullopt;
    };
    return s;
}

} // namespace organiser
