#include "extensions/PictureText.h"

#include <QLocale>
#include <QRegularExpression>

namespace ext::picture {

namespace {

struct Parsed {
    QChar kind;
    int number = -1;
    bool leadingZero = false;
    QChar separator;
};

Parsed parse(const QString& picture)
{
    static const QRegularExpression re(QStringLiteral("^@?([dDtT])(0?)(\\d{1,2})([.\\-_`/:]?)"));
    Parsed p;
    const auto m = re.match(picture.trimmed());
    if (!m.hasMatch())
        return p;
    p.kind = m.captured(1).at(0).toLower();
    p.leadingZero = !m.captured(2).isEmpty();
    p.number = m.captured(3).toInt();
    const QString sep = m.captured(4);
    if (!sep.isEmpty())
        p.separator = sep.at(0) == QLatin1Char('_') ? QLatin1Char(' ') : sep.at(0) == QLatin1Char('`') ? QLatin1Char(',') : sep.at(0);
    return p;
}

QString dateFormat(const Parsed& p)
{
    const QString s = p.separator.isNull() ? QStringLiteral("/") : QString(p.separator);
    switch (p.number) {
    case 1: return "MM" + s + "dd" + s + "yy";
    case 2: return "MM" + s + "dd" + s + "yyyy";
    case 5: return "dd" + s + "MM" + s + "yy";
    case 6: return "dd" + s + "MM" + s + "yyyy";
    case 9: return "yy" + s + "MM" + s + "dd";
    case 10: return "yyyy" + s + "MM" + s + "dd";
    case 11: return QStringLiteral("yyMMdd");
    case 12: return QStringLiteral("yyyyMMdd");
    case 17: return QLocale().dateFormat(QLocale::ShortFormat);
    default: return {};
    }
}

QString timeFormat(const Parsed& p)
{
    const QString h = p.leadingZero ? QStringLiteral("hh") : QStringLiteral("h");
    const QString s = p.separator.isNull() ? QStringLiteral(":") : QString(p.separator);
    switch (p.number) {
    case 1: return h + s + "mm";
    case 2: return QStringLiteral("hhmm");
    case 4: return h + s + "mm" + s + "ss";
    case 5: return QStringLiteral("hhmmss");
    default: return {};
    }
}

} // namespace

bool isDate(const QString& picture)
{
    const Parsed p = parse(picture);
    return p.kind == QLatin1Char('d') && !dateFormat(p).isEmpty();
}

bool isTime(const QString& picture)
{
    const Parsed p = parse(picture);
    return p.kind == QLatin1Char('t') && !timeFormat(p).isEmpty();
}

QString writeDate(const QDate& date, const QString& picture)
{
    const Parsed p = parse(picture);
    const QString format = p.kind == QLatin1Char('d') ? dateFormat(p) : QString();
    return format.isEmpty() || !date.isValid() ? QString() : date.toString(format);
}

std::optional<QDate> readDate(const QString& text, const QString& picture)
{
    const Parsed p = parse(picture);
    const QString format = p.kind == QLatin1Char('d') ? dateFormat(p) : QString();
    if (format.isEmpty())
        return std::nullopt;
    QDate d = QDate::fromString(text.trimmed(), format);
    if (d.isValid() && format.count(QLatin1Char('y')) == 2 && d.year() < 1950)
        d = d.addYears(100); // two-digit years: 1950..2049
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString writeTime(const QTime& time, const QString& picture)
{
    const Parsed p = parse(picture);
    const QString format = p.kind == QLatin1Char('t') ? timeFormat(p) : QString();
    return format.isEmpty() || !time.isValid() ? QString() : time.toString(format);
}

std::optional<QTime> readTime(const QString& text, const QString& picture)
{
    const Parsed p = parse(picture);
    const QString format = p.kind == QLatin1Char('t') ? timeFormat(p) : QString();
    if (format.isEmpty())
        return std::nullopt;
    const QTime t = QTime::fromString(text.trimmed(), format);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace ext::picture
