#include "runtime/SqliteDialect.h"

#include <cctype>

#include <sqlite3.h>
#include <strings.h>
#include <sys/stat.h>

namespace vrt::dialect {
namespace {

bool setError(odbc::Error* out, const odbc::Error& e)
{
    if (out)
        *out = e;
    return false;
}

std::string upper(std::string s)
{
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 'a' + 'A');
    return s;
}

} // namespace

bool databaseFileReadable(const std::string& path, std::string* why)
{
    // Without a log beside it nobody has the file open: read as it lies, so that not even a
    // log or a shared-memory file is made beside it. With one, SQLite has to read the log too.
    // A journal left by a cut transaction is rolled back by the first writer; read before
    // that, the file may look damaged when it is not.
    struct stat st {};
    if (::stat((path + "-journal").c_str(), &st) == 0)
        return true;
    std::string name = path;
    int flags = SQLITE_OPEN_READONLY;
    if (::stat((path + "-wal").c_str(), &st) != 0) {
        static const char hex[] = "0123456789ABCDEF";
        name = "file:";
        for (unsigned char ch : path) {
            if (std::isalnum(ch) || ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~') {
                name += char(ch);
            } else {
                name += '%';
                name += hex[ch >> 4];
                name += hex[ch & 15];
            }
        }
        name += "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        // The header and the catalogue are read here; a file that is not a database stops it.
        sqlite3_busy_timeout(db, 10000);
        rc = sqlite3_exec(db, "SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    // Busy or locked says only that another program is at work on it.
    const bool readable = rc == SQLITE_OK || (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
    if (!readable && why)
        *why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return readable;
}

bool tableExists(odbc::Connection& c, const std::string& table, bool& exists, odbc::Error* error)
{
    odbc::Statement s(c);
    s.bindText(1, table);
    if (!s.execDirect("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"))
        return setError(error, s.error());
    if (!s.fetch())
        return setError(error, s.error());
    exists = s.integer(1).value_or(0) > 0;
    return true;
}

bool snapshotInto(odbc::Connection& c, const std::string& path, odbc::Error* error)
{
    odbc::Statement s(c);
    s.bindText(1, path);
    if (!s.execDirect("VACUUM INTO ?"))
        return setError(error, s.error());
    return true;
}

bool tableColumns(odbc::Connection& c, const std::string& table, std::vector<ColumnInfo>& out,
                  odbc::Error* error)
{
    out.clear();
    odbc::Statement s(c);
    std::string quoted = "\"";
    for (char ch : table) {
        if (ch == '"')
            quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    if (!s.execDirect("PRAGMA table_info(" + quoted + ")"))
        return setError(error, s.error());
    while (s.fetch())
        out.push_back({s.text(2).value_or(""), s.text(3).value_or("")});
    if (!s.error().ok())
        return setError(error, s.error());
    return true;
}

bool hasHighWaterMark(odbc::Connection& c, const std::string& table)
{
    odbc::Statement s(c);
    s.bindText(1, table);
    if (!s.execDirect("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE") || !s.fetch())
        return false;
    return upper(s.text(1).value_or("")).find("AUTOINCREMENT") != std::string::npos;
}

bool tableIndexes(odbc::Connection& c, const std::string& table, std::vector<IndexInfo>& out, odbc::Error* error)
{
    out.clear();
    odbc::Statement s(c);
    s.bindText(1, table);
    if (!s.execDirect("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                      "AND tbl_name = ? COLLATE NOCASE"))
        return setError(error, s.error());
    while (s.fetch())
        out.push_back({s.text(1).value_or(""), s.text(2).value_or("")});
    if (!s.error().ok())
        return setError(error, s.error());
    return true;
}

bool sameIndex(const std::string& storedSql, const std::string& wantedSql)
{
    const auto squeezed = [](const std::string& sql) {
        std::string out;
        for (char ch : sql)
            if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n')
                out += ch;
        return upper(out);
    };
    return squeezed(storedSql) == squeezed(wantedSql);
}

bool queryPlan(odbc::Connection& c, const std::string& sql, std::vector<std::string>& steps, odbc::Error* error)
{
    steps.clear();
    odbc::Statement s(c);
    // The statements of the data layer hold no literal with a question mark in it.
    int params = 0;
    for (char ch : sql)
        params += ch == '?';
    for (int i = 1; i <= params; ++i)
        s.bindNull(i);
    if (!s.execDirect("EXPLAIN QUERY PLAN " + sql))
        return setError(error, s.error());
    while (s.fetch())
        steps.push_back(s.text(4).value_or(""));
    if (!s.error().ok())
        return setError(error, s.error());
    return true;
}

bool scansTable(const std::vector<std::string>& steps)
{
    for (const std::string& step : steps)
        if (step.rfind("SCAN ", 0) == 0)
            return true;
    return false;
}

std::string highWaterPrimaryKey(const std::string& quotedColumn)
{
    return quotedColumn + " INTEGER PRIMARY KEY AUTOINCREMENT";
}

const char* noCase() { return " COLLATE NOCASE"; }
std::string datePart(const std::string& quotedColumn) { return "substr(" + quotedColumn + ", 1, 10)"; }
const char* firstRowOnly() { return " LIMIT 1"; }
const char* lastInsertedRow() { return "rowid = last_insert_rowid()"; }

bool takeWriteLock(odbc::Connection& c, const std::string& table, odbc::Error* error)
{
    // A write statement takes the lock even when it changes nothing; as the transaction's
    // first statement it waits for other writers instead of failing on a stale snapshot.
    odbc::Statement s(c);
    if (!s.execDirect("UPDATE \"" + table + "\" SET rowid = rowid WHERE 0"))
        return setError(error, s.error());
    return true;
}

bool nextPrimaryNumber(odbc::Connection& c, const std::string& table, const std::string& column, bool highWater,
                       int64_t& out, odbc::Error* error)
{
    odbc::Statement s(c);
    std::string sql = "SELECT COALESCE(MAX(\"" + column + "\"), 0) AS n FROM \"" + table + "\"";
    if (highWater) {
        s.bindText(1, table);
        sql = "SELECT MAX(n) FROM (" + sql + " UNION ALL SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE)";
    }
    if (!s.execDirect(sql) || !s.fetch())
        return setError(error, s.error());
    out = s.integer(1).value_or(0) + 1;
    return true;
}

std::vector<std::string> uniqueViolationColumns(const std::string& errorText)
{
    std::vector<std::string> cols;
    const std::string marker = "UNIQUE constraint failed: ";
    size_t pos = errorText.find(marker);
    if (pos == std::string::npos)
        return cols;
    pos += marker.size();
    const size_t end = errorText.find_first_of("\n(", pos);
    const std::string list = errorText.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string item = list.substr(start, comma - start);
        start = comma + 1;
        while (!item.empty() && item.front() == ' ')
            item.erase(0, 1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\r'))
            item.pop_back();
        const size_t dot = item.rfind('.');
        cols.push_back(dot == std::string::npos ? item : item.substr(dot + 1));
    }
    return cols;
}

bool isConstraintViolation(const odbc::Error& e)
{
    return e.native == 19 || e.state.rfind("23", 0) == 0 ||
           e.text.find("constraint failed") != std::string::npos;
}

bool isBusy(const odbc::Error& e)
{
    return e.native == 5 || e.native == 6 || e.text.find("database is locked") != std::string::npos;
}

bool checkpointLessOften(odbc::Connection& c)
{
    // Each checkpoint syncs the log and the database and copies again the index pages that
    // every commit touches; at the default 1000 pages a receive checkpoints every few dozen
    // messages. The log then grows to about 20 MB. Commits stay as safe: a killed process
    // loses none, and a power loss may drop those after the last checkpoint, which a receive
    // fetches again.
    return c.exec("PRAGMA wal_autocheckpoint = " + std::to_string(ManyCommitsCheckpointPages));
}

} // namespace vrt::dialect
