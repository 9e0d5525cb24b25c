#pragma once
#include "runtime/Dialogs.h"
#include "tests/support/TestSupport.h"

namespace libservices_test {

// Messages straight to the scripted presenter, with none recorded yet: what other tests left
// in the runtime's hook slots must not decide what these tests see.
inline void freshMessages()
{
    vrt::resetHooks();
    testsupport::presenter().clear();
}

} // namespace libservices_test
