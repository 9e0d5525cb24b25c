#include "extensions/EditInPlace.h"

#include "runtime/DateTime.h"

namespace SBRW {

int EDITCLASS::TAKEKEY(int key, Qt::KeyboardModifiers modifiers)
{
    int action = EDIT_NONE;
    switch (key) {
    case Qt::Key_Tab: action = (modifiers & Qt::ShiftModifier) ? EDIT_BACKWARD : EDIT_FORWARD; break;
    case Qt::Key_Backtab: action = EDIT_BACKWARD; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: action = EDIT_COMPLETE; break;
    case Qt::Key_Escape: action = EDIT_CANCEL; break;
    case Qt::Key_Down: action = upDown ? EDIT_NEXTROW : EDIT_NONE; break;
    case Qt::Key_Up: action = upDown ? EDIT_PREVROW : EDIT_NONE; break;
    default: break;
    }
    if (action != EDIT_NONE && action != EDIT_CANCEL) {
        copyValue();
        if (TAKEACCEPTED())
            action = EDIT_NONE;
    }
    return action;
}

} // namespace SBRW

namespace SEIP {

std::optional<int> QUICKENDATECLASS::newDate(int key, Qt::KeyboardModifiers modifiers, int day, int today)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key == Qt::Key_T)
        return today;
    const QDate d = vrt::dateFromDay(day);
    if (!d.isValid())
        return std::nullopt;
    QDate r;
    switch (key) {
    case Qt::Key_Plus:
        if (!keypad)
            return std::nullopt;
        r = d.addDays(1);
        break;
    case Qt::Key_Minus:
        if (!keypad)
            return std::nullopt;
        r = d.addDays(-1);
        break;
    case Qt::Key_M:
        r = d.day() == 1 ? QDate(d.year(), d.month(), 1).addMonths(-1) : QDate(d.year(), d.month(), 1);
        break;
    case Qt::Key_H: {
        const QDate last(d.year(), d.month(), d.daysInMonth());
        if (d == last) {
            const QDate next = QDate(d.year(), d.month(), 1).addMonths(1);
            r = QDate(next.year(), next.month(), next.daysInMonth());
        } else {
            r = last;
        }
        break;
    }
    case Qt::Key_Y:
        r = (d.month() == 1 && d.day() == 1) ? QDate(d.year() - 1, 1, 1) : QDate(d.year(), 1, 1);
        break;
    case Qt::Key_R:
        r = (d.month() == 12 && d.day() == 31) ? QDate(d.year() + 1, 12, 31) : QDate(d.year(), 12, 31);
        break;
    default:
        return std::nullopt;
    }
    const int n = vrt::dayFromDate(r);
    return n ? std::optional<int>(n) : std::nullopt;
}

} // namespace SEIP
