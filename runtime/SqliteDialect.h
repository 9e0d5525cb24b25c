#pragma once
#include "runtime/Odbc.h"

#include <string>
#include <vector>

// Every piece of SQL that only SQLite understands: its catalogue, its numbering, its
// collation name and its error texts. The rest of the data layer writes plain SQL with bound
// values, so another database's driver needs only a counterpart of this file.
namespace vrt::dialect {

struct ColumnInfo {
    std::string name;
    std::string type;
};

// Table names compare case-insensitively. Returns false (and fills *error) on a driver error.
bool tableExists(odbc::Connection& c, const std::string& table, bool& exists, odbc::Error* error);
bool tableColumns(odbc::Connection& c, const std::string& table, std::vector<ColumnInfo>& out,
                  odbc::Error* error);
// Whether the table's primary key keeps a high-water mark (never hands out a number twice).
bool hasHighWaterMark(odbc::Connection& c, const std::string& table);

struct IndexInfo {
    std::string name;
    std::string sql; // the statement that made it
};
// The named indexes of a table (not those SQLite makes for its own constraints).
bool tableIndexes(odbc::Connection& c, const std::string& table, std::vector<IndexInfo>& out, odbc::Error* error);
// Whether two index statements make the same index (they differ at most in white space).
bool sameIndex(const std::string& storedSql, const std::string& wantedSql);

// The steps SQLite plans for a statement ("SEARCH EMAIL USING INDEX ..."), each parameter
// bound as NULL. Returns false (and fills *error) on a driver error.
bool queryPlan(odbc::Connection& c, const std::string& sql, std::vector<std::string>& steps, odbc::Error* error);
// Whether a plan reads some table whole to find its rows.
bool scansTable(const std::vector<std::string>& steps);

// Column definition of an auto-numbered primary key that keeps a high-water mark.
std::string highWaterPrimaryKey(const std::string& quotedColumn);
// Collation clause of a case-insensitive key component.
const char* noCase();
// The date half ("YYYY-MM-DD") of a date-time column.
std::string datePart(const std::string& quotedColumn);
// Clause that ends a SELECT after its first row.
const char* firstRowOnly();
// WHERE condition selecting the row the last insert on this connection added.
const char* lastInsertedRow();

// Inside a transaction: takes the database's write lock now (waiting for other writers), so
// what the transaction reads next stays true until its commit.
bool takeWriteLock(odbc::Connection& c, const std::string& table, odbc::Error* error);
// The number the table's auto-numbered primary key `column` would give the next row: past
// its high-water mark when it keeps one, else past the largest number. Read it under the
// write lock and insert with it before the commit.
bool nextPrimaryNumber(odbc::Connection& c, const std::string& table, const std::string& column, bool highWater,
                       int64_t& out, odbc::Error* error);

// Writes a consistent copy of the whole database, as one read transaction sees it, into the
// new file `path` (which must not exist). Safe while other connections write.
bool snapshotInto(odbc::Connection& c, const std::string& path, odbc::Error* error);

// Columns a unique-constraint failure names ("UNIQUE constraint failed: T.A, T.B").
std::vector<std::string> uniqueViolationColumns(const std::string& errorText);
bool isConstraintViolation(const odbc::Error& e);
bool isBusy(const odbc::Error& e);

// One look at a database file through a read-only open, before any connection may change it
// (a connection switches the journal mode, which writes): false, with SQLite's reason, when
// the file is not a database it can read. An empty file is a new database.
bool databaseFileReadable(const std::string& path, std::string* why);

// For a connection that commits many small transactions in a row: its commits checkpoint the
// log less often. Only speed depends on it; false on a driver error.
bool checkpointLessOften(odbc::Connection& c);
// Log pages after which such a connection checkpoints.
constexpr int ManyCommitsCheckpointPages = 5000;

} // namespace vrt::dialect
