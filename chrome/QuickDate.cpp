#include "chrome/QuickDate.h"

#include <QDate>

#include "runtime/DateTime.h"

namespace MH {

int32_t QUICKENDATECALCULATORCLASS::today() const
{
    return vrt::today();
}

int32_t QUICKENDATECALCULATORCLASS::CALCNEWDATE(int32_t date, int32_t key) const
{
    const int32_t now = today();
    if (key == TodayKey)
        return now;
    const QDate current = vrt::dateFromDay(date);
    bool known = false;
    for (const int32_t k : Keys)
        known = known || k == key;
    if (!known)
        return date;
    const int32_t d = current.isValid() ? date : now;
    const QDate q = vrt::dateFromDay(d);
    const int wd = weekday(d);
    int32_t result = d;
    switch (key) {
    case PlusKey:
        result = d + 1;
        break;
    case MinusKey:
        result = d - 1;
        break;
    case WeekStartKey:
        if (WEEKSTART == 0)
            result = wd == 0 ? d - 7 : d - wd;
        else
            result = wd == 0 ? d - 6 : wd == 1 ? d - 7 : d - (wd - 1);
        break;
    case WeekEndKey:
        if (WEEKSTART == 0)
            result = wd == 6 ? d + 7 : d + (6 - wd);
        else
            result = d + (7 - wd);
        break;
    case MonthStartKey: {
        const QDate first(q.year(), q.month(), 1);
        result = vrt::dayFromDate(q.day() == 1 ? first.addMonths(-1) : first);
        break;
    }
    case MonthEndKey: {
        const QDate first(q.year(), q.month(), 1);
        const bool last = q.day() == q.daysInMonth();
        result = vrt::dayFromDate(first.addMonths(last ? 2 : 1)) - 1;
        break;
    }
    case YearStartKey:
        result = vrt::dayFromDate(QDate(q.month() == 1 && q.day() == 1 ? q.year() - 1 : q.year(), 1, 1));
        break;
    case YearEndKey:
        result = vrt::dayFromDate(QDate(q.month() == 12 && q.day() == 31 ? q.year() + 1 : q.year(), 12, 31));
        break;
    default:
        break;
    }
    // Past either end of the calendar there is no date to move to.
    return vrt::dateFromDay(result).isValid() ? result : d;
}

} // namespace MH
