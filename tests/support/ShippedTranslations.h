#pragma once
// The shipped translation table as the tests read it, and the check every shown text must pass.
#include <gtest/gtest.h>

#include "services/QuilvoImport.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <map>
#include <set>

namespace testsupport {

// Source text as the table keys it (upper case) -> its English column.
inline std::map<QString, QString> shippedEnglish()
{
    std::map<QString, QString> out;
    QString why;
    QFile file(sourceFile(QStringLiteral("resources/translations/Velmora.qvl.tsv"), &why));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly))
        << (why.isEmpty() ? file.fileName() + QStringLiteral(": ") + file.errorString() : why).toStdString();
    quilvo::ImportOptions options;
    options.utf8 = true;
    quilvo::ImportedTable table;
    QString error;
    EXPECT_TRUE(quilvo::readTable(file.readAll(), options, &table, &error)) << error.toStdString();
    for (const quilvo::TranslationRow& r : table.translations)
        out[r.deflang.toUpper()] = r.lang[2];
    return out;
}

// Every text has a non-empty English row, and looking the English text up again keeps it:
// the window walk looks shown texts up again, so an English text that is the source of
// another row would turn into that row's translation.
inline void expectEnglishRows(const std::set<QString>& texts)
{
    const std::map<QString, QString> english = shippedEnglish();
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        auto row = english.find(text.toUpper());
        ASSERT_NE(row, english.end());
        EXPECT_FALSE(row->second.trimmed().isEmpty());
        auto again = english.find(row->second.toUpper());
        if (again != english.end()) {
            EXPECT_EQ(again->second, row->second);
        }
    }
}

} // namespace testsupport
