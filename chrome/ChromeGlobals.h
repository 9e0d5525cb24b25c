#pragma once
#include "chrome/PxpGlobal.h"

#include <atomic>

// Hands out command ids for popup-menu entries; the first id is the number after INIT's.
class CFCCOMMANDCNT {
public:
    void INIT(long start) { m_counter = start; }
    long GETNEXTID() { return ++m_counter; }

private:
    std::atomic<long> m_counter{0};
};

// Common controls need no set-up with Qt; kept so start-up reads as it always has.
class CFCCOMCTRLCLASS {
public:
    void INIT() { m_initialised = true; }
    bool initialised() const { return m_initialised; }

private:
    bool m_initialised = false;
};

namespace GLO {
extern CFCCOMMANDCNT CFC_Cnt;
extern CFCCOMCTRLCLASS CFC_Comctrl;
} // namespace GLO
extern PXPGLOBALCLASS PXPGlobal;
