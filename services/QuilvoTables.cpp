#include "services/QuilvoTables.h"

#include <QFile>
#include <QFileInfo>

#include "runtime/Text.h"

#include <sqlite3.h>

namespace quilvo {
namespace {

const char* kindName(TableKind kind) { return kind == TableKind::Translation ? "QUI" : "QVS"; }

QString columnName(int column)
{
    return column == 1 ? QStringLiteral("DEFLANG") : QStringLiteral("LANG%1").arg(column);
}

QString schema(TableKind kind)
{
    QString sql = QStringLiteral("CREATE TABLE meta(format TEXT NOT NULL, version INTEGER NOT NULL);"
                                 "INSERT INTO meta VALUES('%1', %2);")
                      .arg(QLatin1String(kindName(kind)))
                      .arg(kFormatVersion);
    if (kind == TableKind::Translation) {
        sql += QStringLiteral("CREATE TABLE QUI(rowno INTEGER PRIMARY KEY, KEY TEXT NOT NULL UNIQUE,"
                              " DEFLANG TEXT NOT NULL, SRCOFTEXT TEXT NOT NULL DEFAULT ''");
        for (int n = 2; n <= kLanguages; ++n)
            sql += QStringLiteral(", LANG%1 TEXT NOT NULL DEFAULT ''").arg(n);
        sql += QStringLiteral(");CREATE INDEX QUI_KEY_SRCOFTEXT ON QUI(SRCOFTEXT);");
    } else {
        sql += QStringLiteral("CREATE TABLE QVS(rowno INTEGER PRIMARY KEY, KEY TEXT NOT NULL UNIQUE,"
                              " DEFTEXT TEXT NOT NULL, SUBTEXT TEXT NOT NULL DEFAULT '');");
    }
    return sql;
}

QString text16(sqlite3_stmt* s, int col)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(s, col)) : QString();
}

void bindText(sqlite3_stmt* s, int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString dbError(sqlite3* db) { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"); }

QString foreign(TableKind kind)
{
    return QStringLiteral("not a %1 table of this program")
        .arg(kind == TableKind::Translation ? QStringLiteral("translation") : QStringLiteral("substitution"));
}

int charCount(const QString& s) { return int(s.toUcs4().size()); }

// The rows of a new table in one transaction; `bindRow` binds one row and says why it cannot.
template <class Row>
bool fillNew(const QString& path, TableKind kind, const std::vector<Row>& rows, const char* insert,
             const std::function<QString(sqlite3_stmt*, const Row&)>& bindRow, QString* error)
{
    auto failWith = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (QFileInfo::exists(path))
        return failWith(QStringLiteral("%1 already exists").arg(path));
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString why = dbError(db);
        sqlite3_close(db);
        return failWith(QStringLiteral("%1: %2").arg(path, why));
    }
    QString why;
    sqlite3_stmt* st = nullptr;
    const QByteArray ddl = (QStringLiteral("BEGIN;") + schema(kind)).toUtf8();
    if (sqlite3_exec(db, ddl.constData(), nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, insert, -1, &st, nullptr) != SQLITE_OK) {
        why = dbError(db);
    } else {
        for (size_t i = 0; i < rows.size() && why.isEmpty(); ++i) {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
            why = bindRow(st, rows[i]);
            if (why.isEmpty() && sqlite3_step(st) != SQLITE_DONE) {
                why = sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_UNIQUE
                          ? QStringLiteral("the text is listed twice (letter case does not count)")
                          : dbError(db);
            }
            if (!why.isEmpty())
                why = QStringLiteral("row %1: %2").arg(i + 1).arg(why);
        }
    }
    sqlite3_finalize(st);
    if (why.isEmpty() && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        why = dbError(db);
    sqlite3_close(db);
    if (!why.isEmpty()) {
        QFile::remove(path);
        return failWith(why);
    }
    return true;
}

QString checkedText(const QString& label, const QString& value, int maxChars)
{
    if (charCount(value) > maxChars)
        return QStringLiteral("%1 has %2 characters, more than %3").arg(label).arg(charCount(value)).arg(maxChars);
    return {};
}

} // namespace

// The key text of a new row, left-aligned and clipped; why it cannot be one, or empty.
static QString checkedKey(const QString& label, const QString& raw, int maxChars, QString* source)
{
    *source = vrt::clipTrailing(leftAligned(raw));
    if (source->isEmpty())
        return label + QStringLiteral(" is empty");
    return checkedText(label, *source, maxChars);
}

QString leftAligned(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString keyOf(const QString& text, int maxChars)
{
    QString k = leftAligned(text);
    int n = k.size();
    while (n > 0 && k[n - 1] == QLatin1Char(' '))
        --n;
    k.truncate(n);
    for (QChar& c : k)
        c = c.toUpper();
    // cut on a character boundary
    int chars = 0;
    for (int i = 0; i < k.size(); ++i) {
        if (k[i].isLowSurrogate())
            continue;
        if (chars++ == maxChars)
            return k.left(i);
    }
    return k;
}

TableFile::TableFile(TableKind kind) : m_kind(kind) {}

TableFile::~TableFile() { close(); }

void TableFile::close()
{
    sqlite3_finalize(m_find);
    m_find = nullptr;
    m_findColumn = 0;
    sqlite3_close(m_db);
    m_db = nullptr;
}

int TableFile::fail(int error, const QString& detail)
{
    m_detail = detail;
    close();
    return error;
}

int TableFile::open(const QString& path)
{
    close();
    m_path = path;
    m_detail.clear();
    const QByteArray name = QFile::encodeName(path);
    const QFileInfo info(path);
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (!info.exists()) {
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, schema(m_kind).toUtf8().constData(), nullptr, nullptr, nullptr);
        const QString why = dbError(db);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            return fail(rc == SQLITE_CANTOPEN || rc == SQLITE_PERM ? ErrAccessDenied : ErrFileSystem, why);
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    } else if (!info.isReadable()) {
        return fail(ErrAccessDenied, QStringLiteral("permission denied"));
    }
    if (sqlite3_open_v2(name.constData(), &m_db, flags, nullptr) != SQLITE_OK)
        return fail(ErrFileSystem, dbError(m_db));
    if (const int error = checkFormat())
        return fail(error, m_detail);
    return ErrNone;
}

int TableFile::checkFormat()
{
    // A damaged file or one that is no database at all fails the first read; a database
    // without our meta row is another program's file.
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table' AND name='meta'",
                                -1, &st, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        m_detail = dbError(m_db);
        return ErrFileSystem;
    }
    if (rc == SQLITE_DONE) {
        m_detail = foreign(m_kind);
        return ErrBadFormat;
    }
    rc = sqlite3_prepare_v2(m_db, "SELECT format, version FROM meta", -1, &st, nullptr);
    bool ours = rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW
                && text16(st, 0) == QLatin1String(kindName(m_kind))
                && sqlite3_column_int(st, 1) == kFormatVersion;
    sqlite3_finalize(st);
    if (ours) {
        // The columns must be there too; a damaged schema is caught now, not at the first lookup.
        const char* probe = m_kind == TableKind::Translation
                                ? "SELECT rowno, KEY, DEFLANG, SRCOFTEXT, LANG28 FROM QUI LIMIT 0"
                                : "SELECT rowno, KEY, DEFTEXT, SUBTEXT FROM QVS LIMIT 0";
        ours = sqlite3_prepare_v2(m_db, probe, -1, &st, nullptr) == SQLITE_OK;
        sqlite3_finalize(st);
    }
    if (!ours) {
        m_detail = foreign(m_kind);
        return ErrBadFormat;
    }
    return ErrNone;
}

bool TableFile::findTranslation(const QString& text, int column, QString* value, long long* rowno)
{
    if (rowno)
        *rowno = 0;
    if (!m_db || m_kind != TableKind::Translation || column < 1 || column > kLanguages)
        return false;
    if (!m_find || m_findColumn != column) {
        sqlite3_finalize(m_find);
        m_find = nullptr;
        const QByteArray sql = QStringLiteral("SELECT rowno, %1 FROM QUI WHERE KEY = ?").arg(columnName(column)).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &m_find, nullptr) != SQLITE_OK)
            return false;
        m_findColumn = column;
    }
    sqlite3_reset(m_find);
    bindText(m_find, 1, keyOf(text, kTranslationKeyChars));
    if (sqlite3_step(m_find) != SQLITE_ROW)
        return false;
    if (rowno)
        *rowno = sqlite3_column_int64(m_find, 0);
    if (value)
        *value = text16(m_find, 1);
    sqlite3_reset(m_find);
    return true;
}

// Every row of a two-column query, in record order.
static bool eachPair(sqlite3* db, const QByteArray& sql,
                     const std::function<void(const QString&, const QString&)>& fn)
{
    sqlite3_stmt* st = nullptr;
    if (!db || sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        fn(text16(st, 0), text16(st, 1));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

bool TableFile::forEachTranslation(int column,
                                   const std::function<void(const QString&, const QString&)>& fn)
{
    if (m_kind != TableKind::Translation || column < 1 || column > kLanguages)
        return false;
    return eachPair(m_db, QStringLiteral("SELECT DEFLANG, %1 FROM QUI ORDER BY rowno").arg(columnName(column)).toUtf8(), fn);
}

bool TableFile::forEachSubstitution(const std::function<void(const QString&, const QString&)>& fn)
{
    return m_kind == TableKind::Substitution
           && eachPair(m_db, QByteArrayLiteral("SELECT DEFTEXT, SUBTEXT FROM QVS ORDER BY rowno"), fn);
}

bool TableFile::create(const QString& path, const std::vector<TranslationRow>& rows, QString* error)
{
    QString insert = QStringLiteral("INSERT INTO QUI(KEY, DEFLANG, SRCOFTEXT");
    QString values = QStringLiteral("?,?,?");
    for (int n = 2; n <= kLanguages; ++n) {
        insert += QStringLiteral(", LANG%1").arg(n);
        values += QStringLiteral(",?");
    }
    const QByteArray sql = (insert + QStringLiteral(") VALUES(") + values + QStringLiteral(")")).toUtf8();
    return fillNew<TranslationRow>(path, TableKind::Translation, rows, sql.constData(),
        [](sqlite3_stmt* st, const TranslationRow& r) -> QString {
            QString source;
            QString why = checkedKey(QStringLiteral("the source text"), r.deflang, kTranslationKeyChars, &source);
            if (why.isEmpty())
                why = checkedText(QStringLiteral("SRCOFTEXT"), r.srcoftext, kTranslationTextChars);
            for (int n = 2; n <= kLanguages && why.isEmpty(); ++n)
                why = checkedText(QStringLiteral("LANG%1").arg(n), r.lang[n], kTranslationTextChars);
            if (!why.isEmpty())
                return why;
            bindText(st, 1, keyOf(source, kTranslationKeyChars));
            bindText(st, 2, source);
            bindText(st, 3, r.srcoftext);
            for (int n = 2; n <= kLanguages; ++n)
                bindText(st, n + 2, r.lang[n]);
            return {};
        }, error);
}

bool TableFile::create(const QString& path, const std::vector<SubstitutionRow>& rows, QString* error)
{
    return fillNew<SubstitutionRow>(path, TableKind::Substitution, rows,
        "INSERT INTO QVS(KEY, DEFTEXT, SUBTEXT) VALUES(?,?,?)",
        [](sqlite3_stmt* st, const SubstitutionRow& r) -> QString {
            QString source;
            QString why = checkedKey(QStringLiteral("the text to replace"), r.deftext, kSubstitutionKeyChars, &source);
            if (why.isEmpty())
                why = checkedText(QStringLiteral("SUBTEXT"), r.subtext, kSubstitutionTextChars);
            if (!why.isEmpty())
                return why;
            bindText(st, 1, keyOf(source, kSubstitutionKeyChars));
            bindText(st, 2, source);
            bindText(st, 3, r.subtext);
            return {};
        }, error);
}

} // namespace quilvo
