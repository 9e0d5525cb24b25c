#pragma once
#include <cstdint>

namespace pxp {

// A colour as the chrome stores it: 0x00BBGGRR. -1 stands for "the default", and a value
// with any of its top four bits set for the system colour whose index is its low byte.
using COLORREF = long;

constexpr COLORREF rgb(int red, int green, int blue)
{
    return COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
}
constexpr int redOf(unsigned long c) { return int(c & 0xFF); }
constexpr int greenOf(unsigned long c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(unsigned long c) { return int((c >> 16) & 0xFF); }

// System colour indices the chrome reads.
enum SysColorIndex {
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_APPWORKSPACE = 12,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_MENUBAR = 30,
};

// The system colours of index 0..30, one fixed set (the classic desktop scheme) so that every
// window and every test sees the same values whatever the desktop. Other indices give 0.
COLORREF sysColor(long index);

} // namespace pxp
