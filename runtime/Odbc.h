#pragma once
#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A thin RAII layer over the unixODBC C API. Text goes in and out as UTF-8 (SQL_C_CHAR);
// every failure carries the driver's diagnostics as text and native code.
namespace vrt::odbc {

struct Error {
    int native = 0;      // the driver's own code (SQLite's result code for our driver)
    std::string state;   // SQLSTATE, "" when the call did not get that far
    std::string text;    // diagnostics, one record per line
    bool ok() const { return state.empty() && text.empty() && native == 0; }
};

class Connection;

// One prepared or directly executed statement. Parameters are bound by position from 1;
// the bound values are copied and kept until the next bind or execute.
class Statement {
public:
    explicit Statement(Connection& connection);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepare(const std::string& sql);
    bool execDirect(const std::string& sql);
    bool execute();

    void clearParams();
    void bindText(int position, std::string value);
    void bindInt(int position, int64_t value);
    void bindNull(int position);

    // Next row of the result; false at the end or on an error (error() tells them apart).
    bool fetch();
    // Ends the current result set so the statement can run again.
    void closeCursor();

    int columnCount();
    std::string columnName(int column);
    // Column value of the current row, streamed in pieces; nullopt for SQL NULL.
    std::optional<std::string> text(int column);
    std::optional<int64_t> integer(int column);
    int64_t rowCount();
    // The rest of the result's first column as integers, appended to `out`, read a block of
    // rows at a time into a bound array (NULL reads as 0). Stops after `max` rows, or between
    // blocks once `stop` is set. False on an error.
    bool fetchIntegers(std::vector<long long>& out, size_t max = SIZE_MAX, const std::atomic<bool>* stop = nullptr);

    const Error& error() const { return m_error; }
    SQLHSTMT handle() const { return m_stmt; }

private:
    bool check(SQLRETURN rc);
    bool bindAll();
    bool run(const std::function<SQLRETURN()>& call);

    Connection& m_connection;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    struct Param {
        enum Kind { Text, Int, Null } kind = Null;
        std::string text;
        int64_t number = 0;
        SQLLEN indicator = 0;
    };
    std::vector<Param> m_params;
    std::string m_buffer;
    Error m_error;
    std::string m_writes; // the table the prepared statement writes; "" when none
};

// Writes made through this layer, counted per table (lower-case name, no quotes) for the whole
// process, so a list can tell whether its rows may have changed since it read them. A write
// whose table cannot be told counts for every table.
uint64_t writesTo(const std::string& table);
// Counts a write to `table` ("" for one whose table is not known), e.g. one another program
// made that was noticed here.
void noteWrite(const std::string& table);
// The table a statement writes (INSERT, REPLACE, UPDATE, DELETE), "" for one that only reads,
// "*" for one that may write somewhere not told.
std::string writtenTable(const std::string& sql);

// One connection to a data source. Transactions nest: the outermost begin switches auto-commit
// off, the matching end commits or rolls back, and an inner failure makes the outer end roll
// back.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open(const std::string& connectionString);
    void close();
    bool isOpen() const { return m_dbc != SQL_NULL_HDBC && m_connected; }
    const std::string& connectionString() const { return m_connectionString; }

    // Runs a statement that returns no rows.
    bool exec(const std::string& sql);

    bool begin();
    // Ends one level; the outermost commits when every level succeeded, otherwise rolls back.
    bool end(bool success);
    int transactionDepth() const { return m_depth; }
    // A part of the open transaction that can be undone alone: `endPart(false)` takes back
    // what was written since `beginPart`, failures of nested levels included, and the
    // transaction goes on as it was. Parts nest.
    bool beginPart();
    bool endPart(bool keep);

    const Error& error() const { return m_error; }
    void setError(Error error) { m_error = std::move(error); }
    SQLHDBC handle() const { return m_dbc; }

private:
    bool check(SQLRETURN rc);
    bool endTran(SQLSMALLINT kind);

    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
    std::string m_connectionString;
    int m_depth = 0;
    bool m_failed = false;
    std::vector<bool> m_partFailed; // the failed flag as each open part found it
    Error m_error;
};

// Diagnostics of a handle as one Error.
Error diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Runs a function inside one transaction level and ends it by the result.
class Transaction {
public:
    explicit Transaction(Connection& c) : m_connection(c), m_open(c.begin()) {}
    ~Transaction() { if (m_open) m_connection.end(false); }
    bool started() const { return m_open; }
    bool commit()
    {
        if (!m_open)
            return false;
        m_open = false;
        return m_connection.end(true);
    }

private:
    Connection& m_connection;
    bool m_open;
};

// One part of an open transaction (see Connection::beginPart); undone unless kept.
class TransactionPart {
public:
    explicit TransactionPart(Connection& c) : m_connection(c), m_open(c.beginPart()) {}
    ~TransactionPart() { if (m_open) m_connection.endPart(false); }
    bool started() const { return m_open; }
    bool keep()
    {
        if (!m_open)
            return false;
        m_open = false;
        return m_connection.endPart(true);
    }

private:
    Connection& m_connection;
    bool m_open;
};

} // namespace vrt::odbc
