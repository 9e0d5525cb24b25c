#pragma once
#include <Qt>

#include <optional>

namespace SBRW {

// What a key ends an edit in place with.
enum EditAction : int {
    EDIT_NONE = 0,
    EDIT_FORWARD,   // Tab: the next column
    EDIT_BACKWARD,  // Shift+Tab: the previous column
    EDIT_COMPLETE,  // Enter
    EDIT_CANCEL,    // Esc
    EDIT_NEXTROW,   // Down
    EDIT_PREVROW,   // Up
};

// The cell editor's keys: Tab, Shift+Tab, Enter, Esc and, unless the control uses the arrows
// itself (spin boxes, drop lists, texts), Down and Up.
class EDITCLASS {
public:
    virtual ~EDITCLASS() = default;
    // The action of `key`; for any action but none and cancel the control's value is first
    // copied into the edited variable (`copyValue`), then TAKEACCEPTED may keep the edit in
    // the cell (the action becomes none).
    int TAKEKEY(int key, Qt::KeyboardModifiers modifiers);
    virtual bool TAKEACCEPTED() { return false; }
    // Copies the control's value into the edited variable. The base edits no variable of its
    // own (its caller takes the control's value itself), so it copies nothing.
    virtual void copyValue() {}

    bool upDown = true;
};

} // namespace SBRW

namespace SEIP {

// Quick keys of a date cell: keypad + and -, T (today), M and H (first and last day of the
// month, then the month before or after), Y and R (first and last day of the year, then the
// year before or after).
class QUICKENDATECLASS {
public:
    // The new day number for `key` on day `day`; none for other keys (or no date).
    static std::optional<int> newDate(int key, Qt::KeyboardModifiers modifiers, int day, int today);
};

} // namespace SEIP
