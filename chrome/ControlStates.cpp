#include "chrome/ControlStates.h"

#include "chrome/ThemeLibrary.h"

#include <cstdint>

namespace pxp {

long entryState(const ControlFlags& flags)
{
    if (!flags.enabled)
        return ETS_DISABLED;
    if (flags.readOnly)
        return ETS_READONLY;
    if (flags.focused)
        return ETS_FOCUSED;
    if (flags.hovered)
        return ETS_HOT;
    return ETS_NORMAL;
}

COLORREF FIXCOLOR(COLORREF colour)
{
    if (colour == -1)
        return sysColor(COLOR_BTNFACE);
    const auto bits = std::uint32_t(colour);
    if (bits & 0xF0000000u)
        return sysColor(long(bits & 0xFFu));
    return colour;
}

} // namespace pxp
