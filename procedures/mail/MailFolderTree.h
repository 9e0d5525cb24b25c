#pragma once
#include "procedures/common/TreeMover.h"

namespace organiser {

// The mail folder tree as the tree mover sees it: an account's root and its standard folders
// keep their place, and a folder never leaves its account.
VelmoraDll::TreeTable mailFolderTree();

} // namespace organiser
