#pragma once
#include <atomic>
#include <mutex>

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

class PXPGLOBALCLASS {
public:
    void USELUNACOLORS(bool on)
    {
        std::lock_guard<std::mutex> l(m_mutex);
        m_luna = on;
    }
    bool lunaColors() const
    {
        std::lock_guard<std::mutex> l(m_mutex);
        return m_luna;
    }
    // One style is applied to every window, so theming is always on.
    bool ISTHEMEACTIVE() const { return true; }

private:
    mutable std::mutex m_mutex;
    bool m_luna = false;
};

namespace GLO {
extern CFCCOMMANDCNT CFC_Cnt;
extern CFCCOMCTRLCLASS CFC_Comctrl;
} // namespace GLO
extern PXPGLOBALCLASS PXPGlobal;
