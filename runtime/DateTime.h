#pragma once
#include <QDate>
#include <QString>
#include <QTime>

#include <utility>

namespace vrt {

// Day numbers count from 1800-12-28 (day 4 is 1801-01-01); 0 means "no date", so a zeroed
// record field reads as empty. Time numbers are hundredths of a second since midnight plus
// one (00:00:00.00 is 1, 23:59:59.99 is 8640000); 0 means "no time", for the same reason.
inline constexpr int NoDate = 0;
inline constexpr int NoTime = 0;
inline constexpr int LastTime = 8640000;
// 9999-12-31: the column texts have four digits for the year, so later dates are "no date".
inline constexpr int LastDay = 2994626;

// 0 for a null or invalid date, for dates on or before 1800-12-28 and after 9999-12-31.
int dayFromDate(const QDate& date);
// Null QDate for 0, negative numbers and numbers after LastDay.
QDate dateFromDay(int day);

// Sub-hundredth milliseconds are dropped, never rounded up into the next day.
int timeFromQTime(const QTime& time);
// Invalid QTime for anything outside 1..8640000.
QTime qtimeFromTime(int time);

// Column texts. Readers trim blanks and give 0 for anything they do not fully understand.
QString dayToText(int day);                 // "YYYY-MM-DD", empty for 0
int dayFromText(const QString& text);       // "YYYY-MM-DD", optionally followed by a time
QString timeToText(int time);               // "HH:MM:SS", empty for 0
int timeFromText(const QString& text);      // "HH:MM[:SS[.cc]]", optionally after a date
QString dateTimeToText(int day, int time);  // "YYYY-MM-DD HH:MM:SS", empty for day 0
// Date and time of "YYYY-MM-DD[ HH:MM[:SS[.cc]]]"; a missing time is 0. {0, 0} for bad text.
std::pair<int, int> dateTimeFromText(const QString& text);

int today();
int clockNow();

} // namespace vrt
