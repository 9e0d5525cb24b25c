#pragma once
#include "procedures/common/TreeMover.h"

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// The arrow buttons beside the mail folder, finance category and contact group trees.
namespace organiser {

// Each tree's table with its own rules (no rebuild: attachTreeMoves adds it); the mail
// folders' is the mail feature's own (procedures/mail/MailFolderTree.h).
// Finance categories: the two roots and the balance row stay; a category stays in its own
// branch (income or expenses) and never becomes a root.
VelmoraDll::TreeTable financeCategoryTree();
VelmoraDll::TreeTable contactGroupTree();

// Registers the twelve moves (MoveUpVr…, …E for mail, …PRK for finance) and the renumbering
// of the mail folder and contact group trees as the window's routines.
void attachTreeMoves(FeatureHost& host);

} // namespace organiser
