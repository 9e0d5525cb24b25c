#include "procedures/organiser/lists/MoneyPicture.h"

namespace organiser {

MoneyTokens moneyTokens(const QString& decimalSeparator, const QString& thousandsSeparator)
{
    MoneyTokens t{decimalSeparator.trimmed(), thousandsSeparator};
    // Locales give the no-break space as U+00A0, some the narrow one U+202F: the same gap.
    if (t.thousands == QString(QChar(0x00A0)) || t.thousands == QString(QChar(0x202F)))
        t.thousands = QStringLiteral("_");
    else if (t.thousands == QLatin1String(","))
        t.thousands.clear();
    else
        t.thousands = t.thousands.trimmed();
    if (t.decimal == QLatin1String(","))
        t.decimal = QStringLiteral("`");
    return t;
}

QString moneyPicture(const QString& decimalSeparator, const QString& thousandsSeparator)
{
    const MoneyTokens t = moneyTokens(decimalSeparator, thousandsSeparator);
    return QStringLiteral("@N-14") + t.thousands + t.decimal + QStringLiteral("2b");
}

MoneyTokens moneySeparators(const QLocale& locale)
{
    return {locale.decimalPoint(), locale.groupSeparator()};
}

} // namespace organiser
