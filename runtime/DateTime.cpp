#include "runtime/DateTime.h"

namespace vrt {
namespace {

const QDate& epoch()
{
    static const QDate d(1800, 12, 28);
    return d;
}

// Reads exactly `count` digits at `pos`; -1 when they are not all there.
int digits(QStringView s, qsizetype& pos, int count)
{
    if (pos + count > s.size())
        return -1;
    int v = 0;
    for (int i = 0; i < count; ++i) {
        const QChar c = s[pos + i];
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c.unicode() - u'0');
    }
    pos += count;
    return v;
}

bool expect(QStringView s, qsizetype& pos, char16_t c)
{
    if (pos >= s.size() || s[pos] != c)
        return false;
    ++pos;
    return true;
}

// "YYYY-MM-DD" at the start of `s`; advances `pos` past it.
QDate readDate(QStringView s, qsizetype& pos)
{
    const int y = digits(s, pos, 4);
    if (y < 0 || !expect(s, pos, u'-'))
        return {};
    const int m = digits(s, pos, 2);
    if (m < 0 || !expect(s, pos, u'-'))
        return {};
    const int d = digits(s, pos, 2);
    if (d < 0)
        return {};
    return QDate(y, m, d); // null when the day does not exist
}

// The whole of `s` as "H[H]:MM[:SS[.f...]]"; 0 when it is anything else. Fractions beyond
// hundredths (ODBC gives milliseconds and more) are cut off.
int readTime(QStringView s)
{
    qsizetype pos = 0;
    int h = digits(s, pos, 2);
    if (h < 0) {
        pos = 0;
        h = digits(s, pos, 1);
    }
    if (h < 0 || h > 23 || !expect(s, pos, u':'))
        return 0;
    const int m = digits(s, pos, 2);
    if (m < 0 || m > 59)
        return 0;
    int sec = 0;
    int cs = 0;
    if (expect(s, pos, u':')) {
        sec = digits(s, pos, 2);
        if (sec < 0 || sec > 59)
            return 0;
        if (expect(s, pos, u'.')) {
            const qsizetype start = pos;
            while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9')
                ++pos;
            if (pos == start)
                return 0;
            for (qsizetype i = start; i < start + 2; ++i)
                cs = cs * 10 + (i < pos ? s[i].unicode() - u'0' : 0);
        }
    }
    if (pos != s.size())
        return 0;
    return ((h * 60 + m) * 60 + sec) * 100 + cs + 1;
}

// Splits "date[ time]" text. `time` is left empty when there is no time part; false when the
// text is not a valid date optionally followed by a blank or 'T' and something more.
bool splitDateTime(const QString& text, QDate& date, QStringView& time)
{
    const QStringView s = QStringView(text).trimmed();
    qsizetype pos = 0;
    date = readDate(s, pos);
    if (!date.isValid())
        return false;
    time = {};
    if (pos == s.size())
        return true;
    if (s[pos] == u'T') {
        ++pos;
    } else if (s[pos].isSpace()) {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    } else {
        return false;
    }
    time = s.mid(pos);
    return !time.isEmpty();
}

} // namespace

int dayFromDate(const QDate& date)
{
    if (!date.isValid())
        return NoDate;
    const qint64 n = epoch().daysTo(date);
    if (n <= 0 || n > LastDay)
        return NoDate;
    return int(n);
}

QDate dateFromDay(int day)
{
    if (day <= 0 || day > LastDay)
        return {};
    return epoch().addDays(day);
}

int timeFromQTime(const QTime& time)
{
    if (!time.isValid())
        return NoTime;
    return time.msecsSinceStartOfDay() / 10 + 1;
}

QTime qtimeFromTime(int time)
{
    if (time < 1 || time > LastTime)
        return {};
    return QTime::fromMSecsSinceStartOfDay((time - 1) * 10);
}

QString dayToText(int day)
{
    const QDate d = dateFromDay(day);
    if (!d.isValid())
        return {};
    return QString::asprintf("%04d-%02d-%02d", d.year(), d.month(), d.day());
}

int dayFromText(const QString& text)
{
    QDate date;
    QStringView time;
    if (!splitDateTime(text, date, time))
        return NoDate;
    if (!time.isEmpty() && readTime(time) == NoTime)
        return NoDate;
    return dayFromDate(date);
}

QString timeToText(int time)
{
    if (time < 1 || time > LastTime)
        return {};
    const int s = (time - 1) / 100;
    return QString::asprintf("%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
}

int timeFromText(const QString& text)
{
    QDate date;
    QStringView time;
    if (splitDateTime(text, date, time))
        return time.isEmpty() ? NoTime : readTime(time);
    return readTime(QStringView(text).trimmed());
}

QString dateTimeToText(int day, int time)
{
    const QString date = dayToText(day);
    if (date.isEmpty())
        return {};
    const QString t = timeToText(time);
    return date + u' ' + (t.isEmpty() ? QStringLiteral("00:00:00") : t);
}

std::pair<int, int> dateTimeFromText(const QString& text)
{
    QDate date;
    QStringView time;
    if (!splitDateTime(text, date, time))
        return {NoDate, NoTime};
    const int day = dayFromDate(date);
    const int t = time.isEmpty() ? NoTime : readTime(time);
    if (day == NoDate || (!time.isEmpty() && t == NoTime))
        return {NoDate, NoTime};
    return {day, t};
}

int today()
{
    return dayFromDate(QDate::currentDate());
}

int clockNow()
{
    return timeFromQTime(QTime::currentTime());
}

} // namespace vrt
