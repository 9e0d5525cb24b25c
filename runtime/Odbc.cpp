#include "runtime/Odbc.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <unordered_map>

namespace vrt::odbc {
namespace {

// One environment for the process; the driver manager makes it safe to share across threads.
SQLHENV environment()
{
    static SQLHENV env = [] {
        SQLHENV e = SQL_NULL_HENV;
        if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &e) != SQL_SUCCESS)
            return SQLHENV(SQL_NULL_HENV);
        SQLSetEnvAttr(e, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return e;
    }();
    return env;
}

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

} // namespace

Error diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Error e;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {0};
        SQLSMALLINT len = 0;
        if (!succeeded(SQLGetDiagRec(handleType, handle, i, state, &native, text, sizeof text, &len)))
            break;
        if (i == 1) {
            e.state = reinterpret_cast<char*>(state);
            e.native = native;
        }
        if (!e.text.empty())
            e.text += '\n';
        e.text += reinterpret_cast<char*>(text);
    }
    if (e.state.empty())
        e.state = "HY000";
    return e;
}

// --- Connection ---

Connection::Connection() = default;

Connection::~Connection() { close(); }

bool Connection::check(SQLRETURN rc)
{
    if (succeeded(rc))
        return true;
    m_error = diagnostics(SQL_HANDLE_DBC, m_dbc);
    return false;
}

bool Connection::open(const std::string& connectionString)
{
    close();
    m_error = {};
    SQLHENV env = environment();
    if (env == SQL_NULL_HENV) {
        m_error = {0, "HY001", "The ODBC environment could not be created."};
        return false;
    }
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &m_dbc))) {
        m_error = diagnostics(SQL_HANDLE_ENV, env);
        m_dbc = SQL_NULL_HDBC;
        return false;
    }
    SQLCHAR out[1024];
    SQLSMALLINT outLen = 0;
    const SQLRETURN rc = SQLDriverConnect(
        m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
        SQL_NTS, out, sizeof out, &outLen, SQL_DRIVER_NOPROMPT);
    if (!check(rc)) {
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        m_dbc = SQL_NULL_HDBC;
        return false;
    }
    m_connected = true;
    m_connectionString = connectionString;
    return true;
}

void Connection::close()
{
    if (m_dbc == SQL_NULL_HDBC)
        return;
    if (m_connected) {
        if (m_depth > 0)
            SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
        SQLDisconnect(m_dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    m_dbc = SQL_NULL_HDBC;
    m_connected = false;
    m_depth = 0;
    m_failed = false;
}

bool Connection::exec(const std::string& sql)
{
    Statement s(*this);
    if (s.execDirect(sql))
        return true;
    m_error = s.error();
    return false;
}

bool Connection::begin()
{
    if (!isOpen()) {
        m_error = {0, "08003", "The connection is not open."};
        return false;
    }
    if (m_depth == 0) {
        if (!check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
            return false;
        m_failed = false;
    }
    ++m_depth;
    return true;
}

bool Connection::endTran(SQLSMALLINT kind)
{
    const bool ok = check(SQLEndTran(SQL_HANDLE_DBC, m_dbc, kind));
    const Error saved = m_error;
    SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    m_error = saved;
    return ok;
}

bool Connection::end(bool success)
{
    if (m_depth == 0)
        return false;
    if (!success)
        m_failed = true;
    if (--m_depth > 0)
        return success;
    if (m_failed) {
        const Error cause = m_error;
        endTran(SQL_ROLLBACK);
        m_error = cause;
        m_failed = false;
        return false;
    }
    if (endTran(SQL_COMMIT))
        return true;
    // A failed commit leaves the transaction open in some drivers: undo it explicitly.
    const Error cause = m_error;
    endTran(SQL_ROLLBACK);
    m_error = cause;
    return false;
}

bool Connection::beginPart()
{
    if (m_depth == 0) {
        m_error = {0, "25000", "A part needs an open transaction."};
        return false;
    }
    if (!exec("SAVEPOINT vrt_part" + std::to_string(m_partFailed.size())))
        return false;
    m_partFailed.push_back(m_failed);
    return true;
}

bool Connection::endPart(bool keep)
{
    if (m_partFailed.empty())
        return false;
    const std::string name = "vrt_part" + std::to_string(m_partFailed.size() - 1);
    const bool failedBefore = m_partFailed.back();
    m_partFailed.pop_back();
    // A part whose nested writes failed is not kept, whatever its owner asked.
    if (keep && m_failed == failedBefore)
        return exec("RELEASE " + name);
    const Error cause = m_error;
    // Undone and forgotten; when SQLite has already ended the whole transaction (a full disk,
    // an I/O error) this fails and the transaction stays failed.
    if (exec("ROLLBACK TO " + name) && exec("RELEASE " + name))
        m_failed = failedBefore;
    else
        m_failed = true;
    m_error = cause;
    return false;
}

// --- Statement ---

Statement::Statement(Connection& connection) : m_connection(connection)
{
    if (!connection.isOpen()) {
        m_error = {0, "08003", "The connection is not open."};
        return;
    }
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &m_stmt))) {
        m_error = diagnostics(SQL_HANDLE_DBC, connection.handle());
        m_stmt = SQL_NULL_HSTMT;
    }
}

Statement::~Statement()
{
    if (m_stmt != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

bool Statement::check(SQLRETURN rc)
{
    if (succeeded(rc) || rc == SQL_NO_DATA)
        return true;
    m_error = diagnostics(SQL_HANDLE_STMT, m_stmt);
    return false;
}

bool Statement::prepare(const std::string& sql)
{
    if (m_stmt == SQL_NULL_HSTMT)
        return false;
    m_error = {};
    m_writes = writtenTable(sql);
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    return check(SQLPrepare(m_stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                            SQLINTEGER(sql.size())));
}

bool Statement::execDirect(const std::string& sql)
{
    m_writes = writtenTable(sql);
    return run([&] {
        return SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                             SQLINTEGER(sql.size()));
    });
}

bool Statement::execute()
{
    return run([&] { return SQLExecute(m_stmt); });
}

bool Statement::run(const std::function<SQLRETURN()>& call)
{
    if (m_stmt == SQL_NULL_HSTMT)
        return false;
    m_error = {};
    // Only a statement with result columns can have a cursor open. Closing one without makes
    // some drivers (SQLite's among them) prepare it again at every execute.
    SQLSMALLINT columns = 0;
    if (!succeeded(SQLNumResultCols(m_stmt, &columns)) || columns > 0)
        SQLFreeStmt(m_stmt, SQL_CLOSE);
    if (!bindAll())
        return false;
    const bool ok = check(call());
    // Counted even when it failed: a statement may have written some rows before it did.
    if (!m_writes.empty())
        noteWrite(m_writes == "*" ? std::string() : m_writes);
    return ok;
}

void Statement::clearParams()
{
    m_params.clear();
    if (m_stmt != SQL_NULL_HSTMT)
        SQLFreeStmt(m_stmt, SQL_RESET_PARAMS);
}

void Statement::bindText(int position, std::string value)
{
    if (int(m_params.size()) < position)
        m_params.resize(position);
    Param& p = m_params[position - 1];
    p.kind = Param::Text;
    p.text = std::move(value);
}

void Statement::bindInt(int position, int64_t value)
{
    if (int(m_params.size()) < position)
        m_params.resize(position);
    Param& p = m_params[position - 1];
    p.kind = Param::Int;
    p.number = value;
}

void Statement::bindNull(int position)
{
    if (int(m_params.size()) < position)
        m_params.resize(position);
    m_params[position - 1].kind = Param::Null;
}

bool Statement::bindAll()
{
    // Bound after every change of value: the driver reads the buffers at execute time, and
    // the vector may have moved them.
    for (size_t i = 0; i < m_params.size(); ++i) {
        Param& p = m_params[i];
        const auto n = SQLUSMALLINT(i + 1);
        SQLRETURN rc;
        switch (p.kind) {
        case Param::Text:
            p.indicator = SQLLEN(p.text.size());
            rc = SQLBindParameter(m_stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  SQLULEN(std::max<size_t>(p.text.size(), 1)), 0,
                                  p.text.data(), SQLLEN(p.text.size()), &p.indicator);
            break;
        case Param::Int:
            p.indicator = 0;
            rc = SQLBindParameter(m_stmt, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &p.number, 0, &p.indicator);
            break;
        default:
            p.indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(m_stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                  nullptr, 0, &p.indicator);
            break;
        }
        if (!check(rc))
            return false;
    }
    return true;
}

bool Statement::fetch()
{
    if (m_stmt == SQL_NULL_HSTMT)
        return false;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (rc == SQL_NO_DATA) {
        m_error = {};
        return false;
    }
    return check(rc) && succeeded(rc);
}

void Statement::closeCursor()
{
    if (m_stmt != SQL_NULL_HSTMT)
        SQLFreeStmt(m_stmt, SQL_CLOSE);
}

int Statement::columnCount()
{
    SQLSMALLINT n = 0;
    if (m_stmt == SQL_NULL_HSTMT || !check(SQLNumResultCols(m_stmt, &n)))
        return 0;
    return n;
}

std::string Statement::columnName(int column)
{
    SQLCHAR name[256] = {0};
    SQLSMALLINT len = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    if (!check(SQLDescribeCol(m_stmt, SQLUSMALLINT(column), name, sizeof name, &len, &type,
                              &size, &digits, &nullable)))
        return {};
    return reinterpret_cast<char*>(name);
}

std::optional<std::string> Statement::text(int column)
{
    std::string out;
    char chunk[4096];
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_CHAR, chunk,
                                        sizeof chunk, &ind);
        if (rc == SQL_NO_DATA)
            break;
        if (!succeeded(rc)) {
            check(rc);
            return std::nullopt;
        }
        if (ind == SQL_NULL_DATA)
            return std::nullopt;
        // A piece that did not fit ends one byte early for the terminator.
        const size_t got = (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof chunk))
                               ? sizeof chunk - 1 : size_t(ind);
        out.append(chunk, got);
        if (rc == SQL_SUCCESS)
            break;
    }
    return out;
}

std::optional<int64_t> Statement::integer(int column)
{
    SQLBIGINT value = 0;
    SQLLEN ind = 0;
    const SQLRETURN rc = SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_SBIGINT, &value, 0, &ind);
    if (!succeeded(rc)) {
        check(rc);
        return std::nullopt;
    }
    if (ind == SQL_NULL_DATA)
        return std::nullopt;
    return int64_t(value);
}

bool Statement::fetchIntegers(std::vector<long long>& out, size_t max, const std::atomic<bool>* stop)
{
    if (m_stmt == SQL_NULL_HSTMT)
        return false;
    const SQLULEN kBlock = SQLULEN(std::min<size_t>(4096, std::max<size_t>(max, 1)));
    std::vector<SQLBIGINT> values(kBlock);
    std::vector<SQLLEN> indicators(kBlock);
    SQLULEN fetched = 0;
    // A block cursor where the driver has one; one row at a time otherwise.
    SQLULEN block = kBlock;
    if (!succeeded(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0))
        || !succeeded(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlock), 0)))
        block = 1;
    SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    bool ok = check(SQLBindCol(m_stmt, 1, SQL_C_SBIGINT, values.data(), sizeof(SQLBIGINT), indicators.data()));
    size_t taken = 0;
    while (ok && taken < max && !(stop && stop->load(std::memory_order_relaxed))) {
        fetched = 0;
        const SQLRETURN rc = SQLFetch(m_stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (!check(rc) || !succeeded(rc)) {
            ok = false;
            break;
        }
        const SQLULEN n = std::min<SQLULEN>(block == 1 ? 1 : fetched, SQLULEN(max - taken));
        // A block at a time: one growth check, not one a row.
        const size_t at = out.size();
        out.resize(at + n);
        long long* to = out.data() + at;
        for (SQLULEN i = 0; i < n; ++i)
            to[i] = indicators[i] == SQL_NULL_DATA ? 0 : (long long)values[i];
        taken += n;
    }
    SQLFreeStmt(m_stmt, SQL_UNBIND);
    SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    if (block != 1)
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0);
    if (ok)
        m_error = {};
    return ok;
}

int64_t Statement::rowCount()
{
    SQLLEN n = 0;
    if (m_stmt == SQL_NULL_HSTMT || !check(SQLRowCount(m_stmt, &n)))
        return -1;
    return n;
}

} // namespace vrt::odbc

namespace vrt::odbc {

namespace {
std::mutex g_writesMutex;
std::unordered_map<std::string, uint64_t> g_writes;
uint64_t g_unknownWrites = 0;

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
} // namespace

std::string writtenTable(const std::string& sql)
{
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at])))
            ++at;
    };
    const auto word = [&] {
        skipSpace();
        std::string w;
        while (at < sql.size() && isWordChar(sql[at]))
            w += char(std::toupper(static_cast<unsigned char>(sql[at++])));
        return w;
    };
    const auto name = [&] {
        skipSpace();
        std::string n;
        for (;;) {
            std::string part;
            if (at < sql.size() && (sql[at] == '"' || sql[at] == '[' || sql[at] == '`')) {
                const char close = sql[at] == '[' ? ']' : sql[at];
                for (++at; at < sql.size(); ++at) {
                    if (sql[at] == close) {
                        if (close == '"' && at + 1 < sql.size() && sql[at + 1] == '"') {
                            part += '"';
                            ++at;
                            continue;
                        }
                        ++at;
                        break;
                    }
                    part += sql[at];
                }
            } else {
                while (at < sql.size() && isWordChar(sql[at]))
                    part += sql[at++];
            }
            n = part;
            if (at < sql.size() && sql[at] == '.') { // a schema before the table
                ++at;
                continue;
            }
            break;
        }
        for (char& c : n)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return n.empty() ? std::string("*") : n;
    };
    std::string w = word();
    if (w == "INSERT" || w == "REPLACE") {
        while (!(w = word()).empty() && w != "INTO") {}
        return w == "INTO" ? name() : std::string("*");
    }
    if (w == "UPDATE") {
        const size_t back = at;
        if (word() == "OR")
            word(); // the conflict clause
        else
            at = back;
        return name();
    }
    if (w == "DELETE")
        return word() == "FROM" ? name() : std::string("*");
    if (w == "WITH" || w == "DROP" || w == "ALTER")
        return "*";
    return {};
}

void noteWrite(const std::string& table)
{
    std::lock_guard lock(g_writesMutex);
    if (table.empty())
        ++g_unknownWrites;
    else
        ++g_writes[table];
}

uint64_t writesTo(const std::string& table)
{
    std::string key = table;
    for (char& c : key)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    std::lock_guard lock(g_writesMutex);
    const auto it = g_writes.find(key);
    return g_unknownWrites + (it == g_writes.end() ? 0 : it->second);
}

} // namespace vrt::odbc
