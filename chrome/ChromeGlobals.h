#pragma once
#include "chrome/CommandIds.h"
#include "chrome/PxpGlobal.h"

namespace GLO {
extern CFCCOMMANDCNT CFC_Cnt;
extern CFCCOMCTRLCLASS CFC_Comctrl;
} // namespace GLO
extern PXPGLOBALCLASS PXPGlobal;
