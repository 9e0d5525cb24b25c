#include "controls/Controls.h"

#include <mutex>

namespace controls {

void registerBuiltInControls()
{
    static std::once_flag once;
    std::call_once(once, [] {});
}

} // namespace controls
