#pragma once
#include <QLocale>
#include <QString>

namespace organiser {

// The separators of money values as picture tokens (GC::DECIMAL, GC::THOUSAND): a ","
// decimal is written "`", a no-break-space thousands "_", and a "," thousands is left out.
struct MoneyTokens {
    QString decimal;
    QString thousands;
};
MoneyTokens moneyTokens(const QString& decimalSeparator, const QString& thousandsSeparator);

// The picture of money amounts on screen: "@N-14" + thousands + decimal + "2b".
QString moneyPicture(const QString& decimalSeparator, const QString& thousandsSeparator);

// The separators of money values in `locale` (the user's, unless a test passes one).
MoneyTokens moneySeparators(const QLocale& locale = QLocale());

} // namespace organiser
