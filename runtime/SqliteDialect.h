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

// Writes a consistent copy of the whole database, as one read transaction sees it, into the
// new file `path` (which must not exist). Safe while other connections write.
bool snapshotInto(odbc::Connection& c, const std::string& path, odbc::Error* error);

// Columns a unique-constraint failure names ("UNIQUE constraint failed: T.A, T.B").
std::vector<std::string> uniqueViolationColumns(const std::string& errorText);
bool isConstraintViolation(const odbc::Error& e);
bool isBusy(const odbc::Error& e);

// For a connection that commits many small transactions in a row: its commits checkpoint the
// log less often. Only speed depends on it; false on a driver error.
bool checkpointLessOften(odbc::Connection& c);
// Log pages after which such a connection checkpoints.
constexpr int ManyCommitsCheckpointPages = 5000;

} // namespace vrt::dialect
