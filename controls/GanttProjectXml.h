#pragma once
#include <QDate>
#include <QStringList>
#include <array>

// The plan in the MS Project XML interchange format, one element per line, no indentation:
// the project's dates, one standard calendar from the non-working weekdays, every row in tree
// order with its WBS code, outline level, dates, duration and predecessor links.
namespace controls {

class GanttModel;

inline constexpr const char* kProjectNamespace = "http://schemas.microsoft.com/project";

// The seven non-working flags, Sunday first. A mask of 128 marks every day; other bits above
// Saturday are ignored.
std::array<bool, 7> decodeNonworkingMask(int mask);

// The lines of the file; the rows must have been numbered (row numbers, codes, levels).
QStringList buildProjectXmlLines(const GanttModel& plan, const QDate& today, int mask);

} // namespace controls
