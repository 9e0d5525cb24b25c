#include "procedures/calendar/TaskRules.h"

#include <algorithm>

namespace mailpeople {

TaskTimes newTaskTimes(const QDateTime& selStart, const QDateTime& selEnd, bool takeTimes, const QDateTime& now)
{
    constexpr int kDefaultLength = 30 * 60;
    if (!selStart.isValid() || !selEnd.isValid()) {
        const QDateTime start(now.date(), QTime(now.time().hour(), now.time().minute()));
        return {start, start.addSecs(kDefaultLength)};
    }
    if (takeTimes)
        return {selStart, selEnd > selStart ? selEnd : selStart.addSecs(kDefaultLength)};
    // Dates only: the task lies on the selected days (a whole-day selection ends at the next
    // midnight, which is not a day of its own), at the current time.
    const QDate first = selStart.date();
    const QDate last = selEnd > selStart ? selEnd.addSecs(-1).date() : first;
    const QTime time(now.time().hour(), now.time().minute());
    const QDateTime start(first, time);
    QDateTime end(last, time);
    end = end.addSecs(kDefaultLength);
    return {start, std::max(end, start.addSecs(kDefaultLength))};
}

bool timesInOrder(const TaskTimes& t) { return t.start.isValid() && t.end.isValid() && t.end >= t.start; }

long newTaskCategory(std::optional<long> category)
{
    if (!category || *category == 12)
        return 0;
    return *category;
}

QString taskBodyFromText(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

QString categoryRefusal(int request, long id, long order, bool usedByEvents)
{
    const bool standard = (id > 0 && id < 13) || order == 999999;
    if (request == 3 && standard)
        return QStringLiteral("Standardne kategorije se ne mogu brisati !");
    if (request == 3 && usedByEvents)
        return QStringLiteral("Kategorija se koristi u zadacima !");
    // A standard category's name and colour come back whenever the tasks tab is shown, so an
    // edit would only mislead.
    if (request == 2 && standard)
        return QStringLiteral("Standardne kategorije se ne mogu mijenjati !");
    return {};
}

std::vector<CategoryOrder> renumberedOrders(const std::vector<CategoryOrder>& current, long* newOrder)
{
    std::vector<CategoryOrder> out = current;
    std::sort(out.begin(), out.end(), [](const CategoryOrder& a, const CategoryOrder& b) { return a.id < b.id; });
    long next = 0;
    for (CategoryOrder& c : out)
        if (c.order != 999999)
            c.order = ++next;
    if (newOrder)
        *newOrder = next + 1;
    return out;
}

} // namespace mailpeople
