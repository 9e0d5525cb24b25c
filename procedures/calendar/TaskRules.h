#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

// The rules of the task form and the category form, apart from their windows.
namespace mailpeople {

// A task's start and end as the form shows them.
struct TaskTimes {
    QDateTime start, end;
};

// The times of a new task: the calendar's selection (its dates, and its times of day when
// `takeTimes`), else today; a missing time of day becomes now and now plus 30 minutes. An end
// that passes midnight lies on the next day.
TaskTimes newTaskTimes(const QDateTime& selectionStart, const QDateTime& selectionEnd, bool takeTimes, const QDateTime& now);

// Whether the end does not lie before the start.
bool timesInOrder(const TaskTimes& t);

// The category a new task gets from the caller: none (0) for the pseudo-category of all
// categories or when omitted.
long newTaskCategory(std::optional<long> category);

// The text a caller hands to a new task, without trailing blanks.
QString taskBodyFromText(const QString& text);

// Why a category request is refused, or empty when it may go on (request as the form
// framework numbers it: 2 change, 3 delete). `usedByEvents`: some event has this category.
QString categoryRefusal(int request, long id, long order, bool usedByEvents);

// The orders of the categories (identifier order, with their current orders) once a new one
// is added: 1.. in identifier order, the pseudo-category keeps its order; the new category's
// order is the last number given.
struct CategoryOrder {
    long id;
    long order;
};
std::vector<CategoryOrder> renumberedOrders(const std::vector<CategoryOrder>& current, long* newOrder);

} // namespace mailpeople
