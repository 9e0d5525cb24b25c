#pragma once
#include <cstdint>

namespace MH {

// One-key date commands on day numbers (vrt's: day 4 is 1801-01-01, so day mod 7 is the
// weekday with 0 for Sunday). Pressing a key again moves on to the previous or next period.
class QUICKENDATECALCULATORCLASS {
public:
    // The key codes the calculator answers.
    enum Key : int32_t {
        PlusKey = 107,  // keypad plus: the next day
        MinusKey = 109, // keypad minus: the day before
        TodayKey = 84,  // T
        WeekStartKey = 87,  // W
        WeekEndKey = 75,    // K
        MonthStartKey = 77, // M
        MonthEndKey = 72,   // H
        YearStartKey = 89,  // Y
        YearEndKey = 82,    // R
    };
    static constexpr int32_t Keys[] = {PlusKey,    MinusKey,      TodayKey,    WeekStartKey, WeekEndKey,
                                       MonthStartKey, MonthEndKey, YearStartKey, YearEndKey};

    // 0: weeks run Sunday to Saturday; anything else: Monday to Sunday.
    void INIT(uint8_t weekStart) { WEEKSTART = weekStart; }
    // The date `key` turns `date` into; any other key leaves it. A field without a valid date
    // counts from today; a result past the last date keeps the date.
    int32_t CALCNEWDATE(int32_t date, int32_t key) const;
    static int weekday(int32_t date) { return int(((date % 7) + 7) % 7); }

    virtual ~QUICKENDATECALCULATORCLASS() = default;

    uint8_t WEEKSTART = 0;

protected:
    // Today's day number: the runtime's clock (tests give another day).
    virtual int32_t today() const;
};

} // namespace MH
