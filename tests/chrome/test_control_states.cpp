// The state a painter draws an entry's frame in, and the resolution of colour values.
#include <gtest/gtest.h>

#include "chrome/ControlStates.h"
#include "chrome/ThemeLibrary.h"

using namespace pxp;

TEST(EntryState, FlagsGiveTheFrameState)
{
    struct Case {
        const char* name;
        ControlFlags flags;
        long state;
    };
    const Case cases[] = {
        {"writable", {true, false, false, false}, ETS_NORMAL},
        {"read-only", {true, true, false, false}, ETS_READONLY},
        {"disabled", {false, false, false, false}, ETS_DISABLED},
        {"disabled and read-only", {false, true, true, true}, ETS_DISABLED},
        {"read-only under the mouse and focused", {true, true, true, true}, ETS_READONLY},
        {"focused", {true, false, false, true}, ETS_FOCUSED},
        {"focused under the mouse", {true, false, true, true}, ETS_FOCUSED},
        {"under the mouse", {true, false, true, false}, ETS_HOT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entryState(c.flags), c.state) << c.name;

    // Made writable again, an entry drops the read-only look.
    ControlFlags flags{true, true, false, false};
    ASSERT_EQ(entryState(flags), ETS_READONLY);
    flags.readOnly = false;
    EXPECT_EQ(entryState(flags), ETS_NORMAL);
}

TEST(FixColor, DefaultAndSystemColoursResolve)
{
    const std::pair<COLORREF, COLORREF> cases[] = {
        {-1, sysColor(COLOR_BTNFACE)},
        {0x8000000FL, sysColor(COLOR_BTNFACE)},
        {0x80000005L, sysColor(COLOR_WINDOW)},
        {0x80000011L, sysColor(COLOR_GRAYTEXT)},
        {0x10000010L, sysColor(COLOR_BTNSHADOW)},
        {0x00123456L, 0x00123456L},
        {0, 0},
        {0x00FFFFFFL, 0x00FFFFFFL},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(FIXCOLOR(in), out) << std::hex << in;
    EXPECT_NE(sysColor(COLOR_BTNFACE), sysColor(COLOR_WINDOW));
}
