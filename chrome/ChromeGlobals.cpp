#include "chrome/ChromeGlobals.h"

namespace GLO {
CFCCOMMANDCNT CFC_Cnt;
CFCCOMCTRLCLASS CFC_Comctrl;
} // namespace GLO
PXPGLOBALCLASS PXPGlobal;
