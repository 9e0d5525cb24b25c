#include "extensions/QbeFilter.h"

#include "runtime/DateTime.h"

#include <QRegularExpression>

namespace DTRV {

QString quoteLiteral(const QString& text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool isStringType(int fieldType)
{
    return fieldType == FIELD_STRING || fieldType == FIELD_TEXT || fieldType == FIELD_OPTION;
}

bool isNumberType(int fieldType)
{
    return !isStringType(fieldType) && fieldType != FIELD_CHECK;
}

namespace {

QString trimmedRight(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

bool isNumberText(const QString& s)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    return number.match(s).hasMatch();
}

// A number as the filter text writes it. Anything else the user typed becomes a quoted
// literal, so it stays a value and never turns into filter syntax.
QString numberOperand(const QString& value)
{
    const QString v = value.trimmed();
    return isNumberText(v) ? v : quoteLiteral(v);
}

QString realText(double value)
{
    if (value == double(qint64(value)))
        return QString::number(qint64(value));
    return QString::number(value, 'f', 10).remove(QRegularExpression(QStringLiteral("0+$")));
}

QDate dateOf(const QString& value)
{
    return vrt::dateFromDay(value.trimmed().toInt());
}

QString stringForm(const QString& f, const QbeCriterion& c, bool useMatch, const QString& lastSortChar)
{
    const QString v = quoteLiteral(c.value);
    const QString upperF = QStringLiteral("UPPER(%1)").arg(f);
    const QString upperV = QStringLiteral("UPPER(%1)").arg(v);
    const QString upperL = QStringLiteral("UPPER(%1)").arg(quoteLiteral(c.limit));
    const QString range = QStringLiteral("(%1>=%2 AND %1<=%3)").arg(upperF, upperV, upperL);
    switch (c.type) {
    case MATCHTYPE_EQUALS:
        return useMatch ? QStringLiteral("MATCH(%1,%2,16)").arg(f, v) : upperF + QLatin1Char('=') + upperV;
    case MATCHTYPE_NOTEQUALS:
        return useMatch ? QStringLiteral("~MATCH(%1,%2,16)").arg(f, v) : upperF + QLatin1String("<>") + upperV;
    case MATCHTYPE_MORETHAN: return upperF + QLatin1Char('>') + upperV;
    case MATCHTYPE_LESSTHAN: return upperF + QLatin1Char('<') + upperV;
    case MATCHTYPE_MOREOREQUAL: return upperF + QLatin1String(">=") + upperV;
    case MATCHTYPE_LESSOREQUAL: return upperF + QLatin1String("<=") + upperV;
    case MATCHTYPE_INSIDERANGE: return range;
    case MATCHTYPE_OUTSIDERANGE: return QLatin1Char('~') + range;
    case MATCHTYPE_BEGINSWITH:
        if (useMatch)
            return QStringLiteral("MATCH(%1,%2,17)").arg(f, quoteLiteral(c.value + QLatin1Char('*')));
        return QStringLiteral("(%1>=%2 AND %1<=UPPER(%3))")
            .arg(upperF, upperV, quoteLiteral(trimmedRight(c.value) + lastSortChar));
    case MATCHTYPE_ENDSWITH:
        if (useMatch)
            return QStringLiteral("MATCH(%1,%2,17)").arg(f, quoteLiteral(QLatin1Char('*') + c.value));
        return QStringLiteral("RIGHT(%1,%2)=%3").arg(upperF).arg(trimmedRight(c.value).size()).arg(upperV);
    case MATCHTYPE_CONTAINS:
        if (useMatch)
            return QStringLiteral("MATCH(%1,%2,17)").arg(f, quoteLiteral(QLatin1Char('*') + c.value + QLatin1Char('*')));
        return QStringLiteral("INSTRING(%1,%2,1)").arg(upperV, upperF);
    case MATCHTYPE_NOTCONTAINS:
        if (useMatch)
            return QStringLiteral("~MATCH(%1,%2,17)").arg(f, quoteLiteral(QLatin1Char('*') + c.value + QLatin1Char('*')));
        return QStringLiteral("~INSTRING(%1,%2,1)").arg(upperV, upperF);
    default:
        return {};
    }
}

QString numberForm(const QString& f, const QbeCriterion& c, bool useMatch)
{
    const QString v = numberOperand(c.value);
    const QString l = numberOperand(c.limit);
    const QString range = QStringLiteral("(%1>=%2 AND %1<=%3)").arg(f, v, l);
    switch (c.type) {
    case MATCHTYPE_EQUALS: return f + QLatin1Char('=') + v;
    case MATCHTYPE_NOTEQUALS: return f + QLatin1String("<>") + v;
    case MATCHTYPE_MORETHAN: return f + QLatin1Char('>') + v;
    case MATCHTYPE_LESSTHAN: return f + QLatin1Char('<') + v;
    case MATCHTYPE_MOREOREQUAL: return f + QLatin1String(">=") + v;
    case MATCHTYPE_LESSOREQUAL: return f + QLatin1String("<=") + v;
    case MATCHTYPE_INSIDERANGE: return range;
    case MATCHTYPE_OUTSIDERANGE: return QLatin1Char('~') + range;
    case MATCHTYPE_BEGINSWITH: {
        const QString value = c.value.trimmed();
        const QString limit = c.limit.trimmed();
        if (!isNumberText(value) || !isNumberText(limit) || limit.toDouble() == 0)
            return f + QLatin1Char('=') + v; // no divisor to work with: the value itself
        const QString quotient = realText(value.toDouble() / limit.toDouble());
        if (useMatch)
            return QStringLiteral("MATCH(%1,%2,1)").arg(f, quoteLiteral(quotient + QLatin1Char('*')));
        return QStringLiteral("INT(%1/%2)=%3").arg(f, limit, quotient);
    }
    case MATCHTYPE_ENDSWITH: {
        const QString value = trimmedRight(c.value);
        if (useMatch)
            return QStringLiteral("MATCH(%1,%2,1)").arg(f, quoteLiteral(QLatin1Char('*') + value));
        return QStringLiteral("RIGHT(%1,%2)=%3").arg(f).arg(value.size()).arg(v);
    }
    case MATCHTYPE_EQMTH:
        return QStringLiteral("MONTH(%1)=MONTH(%2)").arg(f, isNumberText(c.value.trimmed()) ? c.value.trimmed() : QStringLiteral("0"));
    case MATCHTYPE_EQDAY:
        return QStringLiteral("DAY(%1)=DAY(%2)").arg(f, isNumberText(c.value.trimmed()) ? c.value.trimmed() : QStringLiteral("0"));
    case MATCHTYPE_EQYEAR:
        return QStringLiteral("YEAR(%1)=%2").arg(f).arg(dateOf(c.value).year());
    case MATCHTYPE_EQMTHDAY: {
        const QDate d = dateOf(c.value);
        return QStringLiteral("(MONTH(%1)=%2 AND DAY(%1)=%3)").arg(f).arg(d.month()).arg(d.day());
    }
    case MATCHTYPE_EQYRMTH: {
        const QDate d = dateOf(c.value);
        return QStringLiteral("(YEAR(%1)=%2 AND MONTH(%1)=%3)").arg(f).arg(d.year()).arg(d.month());
    }
    default:
        return {};
    }
}

QString checkForm(const QString& f, const QbeField& field, const QbeCriterion& c)
{
    const bool pictured = !field.picture.isEmpty();
    const QString v = pictured ? quoteLiteral(c.value) : numberOperand(c.value);
    if (c.type == MATCHTYPE_EQUALS)
        return f + QLatin1Char('=') + v;
    if (c.type == MATCHTYPE_NOTEQUALS)
        return f + QLatin1String("<>") + v;
    return {};
}

} // namespace

QString beginsWithDivisor(const QString& value)
{
    qint64 n = value.trimmed().toLongLong();
    qint64 divisor = 1;
    while (n != 0 && n % 10 == 0) {
        n /= 10;
        divisor *= 10;
    }
    return QString::number(divisor);
}

QString criterionFilter(const QbeField& field, const QbeCriterion& criterion, const QString& lastSortChar)
{
    if (criterion.type == MATCHTYPE_IGNOREFIELD)
        return {};
    const QString f = field.prefix + QLatin1Char(':') + field.name;
    if (isStringType(field.type))
        return stringForm(f, criterion, field.useMatch, lastSortChar);
    if (field.type == FIELD_CHECK)
        return checkForm(f, field, criterion);
    if (criterion.type == MATCHTYPE_BEGINSWITH && criterion.limit.trimmed().isEmpty()) {
        QbeCriterion c = criterion;
        c.limit = beginsWithDivisor(c.value);
        return numberForm(f, c, field.useMatch);
    }
    return numberForm(f, criterion, field.useMatch);
}

QString fieldFilter(const QbeField& field, const std::vector<QbeCriterion>& criteria, const QString& lastSortChar)
{
    // A criterion that gives no condition leaves no dangling " OR " behind.
    QStringList parts;
    for (const QbeCriterion& c : criteria) {
        const QString part = criterionFilter(field, c, lastSortChar);
        if (!part.isEmpty())
            parts << part;
    }
    if (parts.size() > 1)
        return QLatin1Char('(') + parts.join(QLatin1String(" OR ")) + QLatin1Char(')');
    return parts.isEmpty() ? QString() : parts.first();
}

QString joinFieldFilters(const std::vector<QString>& fieldFilters)
{
    QStringList parts;
    for (const QString& f : fieldFilters)
        if (!f.isEmpty())
            parts << f;
    return parts.join(QLatin1String(" AND "));
}

} // namespace DTRV
