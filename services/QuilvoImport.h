#pragma once
#include "services/QuilvoTables.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

// Making the translator's tables from spreadsheet exports: CSV or TSV with a header row that
// names the columns (DEFLANG, SRCOFTEXT, LANG2..LANG28 for a translation table; DEFTEXT,
// SUBTEXT for a substitution table). Legacy exports hold each column in the code page of its
// language, so each column is decoded on its own.
namespace quilvo {

struct ImportOptions {
    bool utf8 = false;                // every column is UTF-8 (files kept in this project)
    std::map<int, QString> codePages; // language -> code page, for languages without a default
};

struct ImportedTable {
    TableKind kind = TableKind::Translation;
    std::vector<TranslationRow> translations;
    std::vector<SubstitutionRow> substitutions;
};

// The code page a column of `language` is decoded with by default (empty when none is known).
QString defaultCodePage(int language);

// Reads the whole export. False with `error` naming the line and column of the first fault;
// nothing is guessed and nothing is cut.
bool readTable(const QByteArray& data, const ImportOptions& options, ImportedTable* table, QString* error);

// Reads `input` and replaces `output` with the new table only when all went well.
bool importTable(const QString& input, const QString& output, const ImportOptions& options,
                 int* rows, QString* error);

} // namespace quilvo
