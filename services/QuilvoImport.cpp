#include "services/QuilvoImport.h"

#include "services/Quilvo.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdio>

namespace quilvo {
namespace {

// Splits delimited text into records of raw fields; quotes may hold separators, quotes ("")
// and line breaks. The separators and quotes are ASCII in every code page used here.
bool splitRecords(const QByteArray& data, char sep, std::vector<std::pair<int, std::vector<QByteArray>>>* out,
                  QString* error)
{
    std::vector<QByteArray> fields;
    QByteArray field;
    bool quoted = false, wasQuoted = false;
    int line = 1, recordLine = 1;
    auto endField = [&] {
        fields.push_back(field);
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        const bool blank = fields.size() == 1 && fields[0].isEmpty();
        if (!blank)
            out->push_back({recordLine, fields});
        fields.clear();
    };
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (quoted) {
            if (c == '"' && i + 1 < data.size() && data[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == sep) {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
            endRecord();
            recordLine = ++line;
        } else if (wasQuoted) {
            *error = QStringLiteral("line %1: text after a closing quote").arg(line);
            return false;
        } else {
            field += c;
        }
    }
    if (quoted) {
        *error = QStringLiteral("line %1: a quote is not closed").arg(recordLine);
        return false;
    }
    endRecord();
    return true;
}

// A column: which field of which row it fills, and how its bytes are decoded.
struct Column {
    enum Field { DefLang, SrcOfText, Lang, DefText, SubText } field;
    int language = 1;
    QString codePage;
};

bool parseHeader(const std::vector<QByteArray>& names, const ImportOptions& options, std::vector<Column>* columns,
                 TableKind* kind, QString* error)
{
    bool translation = false, substitution = false, hasKey = false;
    std::vector<QString> seen;
    for (int i = 0; i < int(names.size()); ++i) {
        QByteArray raw = names[i];
        if (i == 0 && raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3); // a UTF-8 byte-order mark
        const QString name = QString::fromLatin1(raw).trimmed().toUpper();
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            *error = QStringLiteral("column %1 is named twice").arg(name);
            return false;
        }
        seen.push_back(name);
        Column c;
        bool ok = false;
        if (name == QLatin1String("DEFLANG")) {
            c.field = Column::DefLang;
            translation = hasKey = true;
        } else if (name == QLatin1String("SRCOFTEXT")) {
            c.field = Column::SrcOfText;
            translation = true;
        } else if (name.startsWith(QLatin1String("LANG")) && (c.language = name.mid(4).toInt(&ok), ok)
                   && c.language >= 2 && c.language <= kLanguages) {
            c.field = Column::Lang;
            translation = true;
        } else if (name == QLatin1String("DEFTEXT")) {
            c.field = Column::DefText;
            substitution = hasKey = true;
        } else if (name == QLatin1String("SUBTEXT")) {
            c.field = Column::SubText;
            substitution = true;
        } else {
            *error = QStringLiteral("column %1 is not a column of a translation or substitution table").arg(i + 1);
            return false;
        }
        c.codePage = options.utf8 ? QStringLiteral("UTF-8")
                     : options.codePages.count(c.language) ? options.codePages.at(c.language)
                                                           : defaultCodePage(c.language);
        columns->push_back(c);
    }
    if (translation == substitution || !hasKey) {
        *error = QStringLiteral("the header must name DEFLANG (translation table) or DEFTEXT (substitution table), not both");
        return false;
    }
    *kind = translation ? TableKind::Translation : TableKind::Substitution;
    return true;
}

bool decode(const QByteArray& raw, const Column& c, QString* out)
{
    bool ascii = true;
    for (char ch : raw)
        ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    if (ascii) {
        *out = QString::fromLatin1(raw);
        return true;
    }
    if (c.codePage.isEmpty())
        return false;
    QStringDecoder decoder(c.codePage.toLatin1().constData());
    if (!decoder.isValid())
        return false;
    *out = decoder.decode(raw);
    return !decoder.hasError();
}

} // namespace

QString defaultCodePage(int language)
{
    return QUILVO::codePageOfCharset(QUILVO::charsetOfLanguage(language));
}

bool readTable(const QByteArray& data, const ImportOptions& options, ImportedTable* table, QString* error)
{
    const qsizetype firstBreak = data.indexOf('\n');
    const QByteArray header = data.left(firstBreak < 0 ? data.size() : firstBreak);
    const char sep = header.contains('\t') ? '\t' : header.contains(',') || !header.contains(';') ? ',' : ';';
    std::vector<std::pair<int, std::vector<QByteArray>>> records;
    if (!splitRecords(data, sep, &records, error))
        return false;
    if (records.empty()) {
        *error = QStringLiteral("the file is empty");
        return false;
    }
    std::vector<Column> columns;
    if (!parseHeader(records[0].second, options, &columns, &table->kind, error))
        return false;
    for (size_t r = 1; r < records.size(); ++r) {
        const auto& [line, fields] = records[r];
        if (fields.size() != columns.size()) {
            *error = QStringLiteral("line %1: %2 fields where the header has %3").arg(line).arg(fields.size()).arg(columns.size());
            return false;
        }
        TranslationRow t;
        SubstitutionRow s;
        for (size_t i = 0; i < columns.size(); ++i) {
            const Column& c = columns[i];
            QString text;
            if (!decode(fields[i], c, &text)) {
                *error = c.codePage.isEmpty()
                             ? QStringLiteral("line %1, column %2: language %3 has no code page; name one with --codepage %3=NAME")
                                   .arg(line).arg(i + 1).arg(c.language)
                             : QStringLiteral("line %1, column %2: not valid %3").arg(line).arg(i + 1).arg(c.codePage);
                return false;
            }
            switch (c.field) {
            case Column::DefLang: t.deflang = text; break;
            case Column::SrcOfText: t.srcoftext = text; break;
            case Column::Lang: t.lang[c.language] = text; break;
            case Column::DefText: s.deftext = text; break;
            case Column::SubText: s.subtext = text; break;
            }
        }
        if (table->kind == TableKind::Translation)
            table->translations.push_back(t);
        else
            table->substitutions.push_back(s);
    }
    return true;
}

bool importTable(const QString& input, const QString& output, const ImportOptions& options, int* rows, QString* error)
{
    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(input, in.errorString());
        return false;
    }
    ImportedTable table;
    if (!readTable(in.readAll(), options, &table, error)) {
        *error = QStringLiteral("%1: %2").arg(input, *error);
        return false;
    }
    // Built beside the old table and swapped in: a failed import leaves the old one whole.
    const QString temp = output + QStringLiteral(".new");
    QFile::remove(temp);
    const bool made = table.kind == TableKind::Translation ? TableFile::create(temp, table.translations, error)
                                                           : TableFile::create(temp, table.substitutions, error);
    if (!made) {
        // "row n" is the n-th row after the header.
        *error = QStringLiteral("%1: %2").arg(input, *error);
        return false;
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(output).constData()) != 0) {
        *error = QStringLiteral("%1: cannot replace it").arg(output);
        QFile::remove(temp);
        return false;
    }
    if (rows)
        *rows = int(table.kind == TableKind::Translation ? table.translations.size() : table.substitutions.size());
    return true;
}

} // namespace quilvo
