#include "procedures/mail/MailFolderTree.h"

#include "data/TableManagers.h"

namespace organiser {

using VelmoraDll::TreeMovePlan;
using VelmoraDll::TreeRefusal;
using VelmoraDll::TreeTable;

namespace {

enum MailExtra { SystemName, Account };

// Mail operations find Junk and Deleted by the folder's account and system name: a standard
// folder elsewhere, or a folder under another account, would send mail to the wrong place.
class MailFolderRules : public VelmoraDll::TreeRules {
public:
    bool fixed(long) const override { return false; }
    TreeRefusal fixedRefusal() const override { return {}; }
    std::optional<TreeRefusal> refuse(const TreeMovePlan& p) const override
    {
        if (!p.node->extra[SystemName].isEmpty())
            return TreeRefusal{QStringLiteral("Standardni direktorij se ne može premještati!"), QStringLiteral("Info")};
        if (p.changesParent && (!p.newParent || p.newParent->extra[Account] != p.node->extra[Account]))
            return TreeRefusal{QStringLiteral("Direktorij ne može izaći iz svog računa!"), QStringLiteral("Info")};
        return std::nullopt;
    }
};

} // namespace

TreeTable mailFolderTree()
{
    static const MailFolderRules rules;
    TreeTable s;
    s.table = Tbl::AInbox;
    s.extraCols = {"ENNAZIV", "ACCOUNTID"};
    s.rules = &rules;
    return s;
}

} // namespace organiser
