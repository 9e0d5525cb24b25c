#pragma once
#include "procedures/common/TreeLists.h"

// The trees' queues and work copies are the library's: a window fills them and they outlive
// it. A fixture that opens a window holds this guard, so its test starts and ends with them
// empty and no later test sees another test's rows.
class TreeQueuesGuard {
public:
    TreeQueuesGuard() { clear(); }
    ~TreeQueuesGuard() { clear(); }
    TreeQueuesGuard(const TreeQueuesGuard&) = delete;
    TreeQueuesGuard& operator=(const TreeQueuesGuard&) = delete;

    static void clear()
    {
        for (VelmoraDll::TreeQueue* q : {&VelmoraDll::InboxQ(), &VelmoraDll::IT(), &VelmoraDll::KontaktiGrupaQ(),
                                         &VelmoraDll::KGQT(), &VelmoraDll::PrihodiRashodiQ(), &VelmoraDll::PRQT()})
            q->clear();
    }
};
