#pragma once
#include "chrome/SysColors.h"

namespace pxp {

// What a painter knows of its control when it picks the theme state to draw.
struct ControlFlags {
    bool enabled = true;
    bool readOnly = false;
    bool hovered = false;
    bool focused = false;
};

// The "Edit" state for an entry's frame: disabled 4 before read-only 6 before focused 5
// before hovered 2, else normal 1. The flags are read afresh for every paint, so an entry
// made writable again loses the read-only look.
long entryState(const ControlFlags& flags);

// -1 is the button face; a value with any of its top four bits set is the system colour of
// its low byte; anything else is already a colour.
COLORREF FIXCOLOR(COLORREF colour);

} // namespace pxp
