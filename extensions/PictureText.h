#pragma once
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// Dates and times written and read by the runtime's display pictures ("@d10", "@d6.",
// "@t04"), for the filter texts. Known: dates d1, d2, d5, d6, d9 to d12 and d17 (the locale's
// short date), with an optional separator character ('.', '-', '_' for a blank, '`' for a
// comma); times t1, t2, t4, t5, with a leading 0 for two-digit hours. Other pictures are
// not known (nullopt / empty).
namespace ext::picture {

bool isDate(const QString& picture);
bool isTime(const QString& picture);
QString writeDate(const QDate& date, const QString& picture);
std::optional<QDate> readDate(const QString& text, const QString& picture);
QString writeTime(const QTime& time, const QString& picture);
std::optional<QTime> readTime(const QString& text, const QString& picture);

} // namespace ext::picture
