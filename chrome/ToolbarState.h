#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// One toolbar button as a toolbar lays it out and as its layout file stores it: 20 bytes,
// little-endian (image index, command id, state, style, two reserved bytes, data, string
// index), in button order, with no header.
struct CFC_TBBUTTON {
    int32_t iBitmap = 0;
    int32_t idCommand = 0;
    uint8_t fsState = 0;
    uint8_t fsStyle = 0;
    uint8_t bReserved[2] = {0, 0};
    int32_t dwData = 0;
    int32_t iString = -1;

    bool operator==(const CFC_TBBUTTON&) const = default;
};

namespace tbstate {
inline constexpr int RecordSize = 20;
inline constexpr int MaxFileBytes = 65536;

// Button styles.
inline constexpr uint8_t BTNS_BUTTON = 0x00;
inline constexpr uint8_t BTNS_SEP = 0x01;
inline constexpr uint8_t BTNS_CHECK = 0x02;
inline constexpr uint8_t BTNS_GROUP = 0x04;
inline constexpr uint8_t BTNS_CHECKGROUP = BTNS_CHECK | BTNS_GROUP;
inline constexpr uint8_t BTNS_DROPDOWN = 0x08;
inline constexpr uint8_t BTNS_AUTOSIZE = 0x10;
inline constexpr uint8_t BTNS_WHOLEDROPDOWN = 0x80;
// Button states.
inline constexpr uint8_t TBSTATE_CHECKED = 0x01;
inline constexpr uint8_t TBSTATE_PRESSED = 0x02;
inline constexpr uint8_t TBSTATE_ENABLED = 0x04;
inline constexpr uint8_t TBSTATE_HIDDEN = 0x08;
inline constexpr uint8_t TBSTATE_INDETERMINATE = 0x10;
inline constexpr uint8_t TBSTATE_MARKED = 0x80;

QByteArray encode(const std::vector<CFC_TBBUTTON>& buttons);
// Whole records only: bytes after the last whole record are ignored.
std::vector<CFC_TBBUTTON> decode(const QByteArray& bytes);

// Writes the layout to `file` so that a failed write leaves the earlier file as it was.
bool writeFile(const QString& file, const std::vector<CFC_TBBUTTON>& buttons, QString* error = nullptr);
// At most MaxFileBytes are read; nullopt when the file cannot be read.
std::optional<std::vector<CFC_TBBUTTON>> readFile(const QString& file);

// The image index a button starts with for an image kind: 0 → -1 (an image to come), 1 → -2
// (no image), 2 → -1, anything else → 0.
int32_t imageForKind(int kind);

// A stored layout against the buttons that exist now: records whose command id is a button
// now take its current image and string index (`current` answers them, false for an unknown
// id); separators stay; records of buttons that no longer exist are dropped, since they would
// show stale pictures and texts and do nothing when pressed.
template <typename Current>
std::vector<CFC_TBBUTTON> reconcile(const std::vector<CFC_TBBUTTON>& stored, Current current)
{
    std::vector<CFC_TBBUTTON> out;
    for (CFC_TBBUTTON b : stored) {
        if (b.fsStyle & BTNS_SEP) {
            out.push_back(b);
            continue;
        }
        int32_t image = 0, string = 0;
        if (!current(b.idCommand, image, string))
            continue;
        b.iBitmap = image;
        b.iString = string;
        out.push_back(b);
    }
    return out;
}
} // namespace tbstate
