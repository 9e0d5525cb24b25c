#pragma once
#include <QString>
#include <QStringList>
#include <mutex>

namespace vrt {

// The runtime's language-dependent texts and default font. Character sets mean nothing with
// Unicode text; the number is kept because callers read it back.
struct RegionalTexts {
    int charset = 0;
    QString fontFace = QStringLiteral("Arial");
    int fontSize = 10;
    QString collation;          // letters in sort order; empty = Unicode order
    QString upperCase, lowerCase;
    QStringList monthNames;     // 12, empty = the locale's
    QStringList shortMonthNames;
    QStringList buttonCaptions; // OK, Yes, No, Abort, Retry, Ignore, Cancel, Help

    // Compares two texts by the collation alphabet (letters outside it sort after, by code).
    int compare(const QString& a, const QString& b) const;
};

RegionalTexts regionalTexts();
void setRegionalTexts(const RegionalTexts& texts);

} // namespace vrt
