// The data layer against the same work done with the sqlite3 C API and with raw ODBC calls:
// 100,000 inserts in one transaction, reading them all back in key order, and 10,000 fetches
// by primary key. Every variant keeps one warm connection for the whole run, opened with the
// program's driver options before any timing; the variants run in turns, round after round, in
// a changing order, and the medians are compared. Prints the layer's time as a ratio of each
// and the peak memory (VmHWM), and exits non-zero when the layer takes more than 1.3 times raw
// ODBC on some work.
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/DateTime.h"
#include "runtime/Odbc.h"

#include "bench/BenchSupport.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int kRows = 100000;
constexpr int kFetches = 10000;
std::string g_db;
std::string g_owner;
sqlite3* g_sqlite = nullptr; // the sqlite3 variant's connection, open for the whole run
struct RawOdbc;
RawOdbc* g_odbc = nullptr;   // the raw ODBC variant's connection, the same

struct Row {
    int id = 0, category = 0, type = 0;
    std::string date, name, amount, remark;
};

Row makeRow(int i)
{
    Row r;
    r.id = i;
    r.category = i % 50;
    r.type = 1 + i % 2;
    char date[16];
    std::snprintf(date, sizeof date, "20%02d-%02d-%02d", 10 + i % 15, 1 + i % 12, 1 + i % 28);
    r.date = date;
    r.name = "Entry " + std::to_string(i);
    r.amount = std::to_string(i % 1000) + ".50";
    r.remark = "Remark for entry " + std::to_string(i);
    return r;
}

const char* kColumns = "ID, KATEGORIJAID, DATUM, NAZIV, TIPID, IZNOS_DECIMAL, NAPOMENA";
const char* kOrder = " ORDER BY DATUM DESC, ID ASC";

std::vector<int> fetchIds()
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> pick(1, kRows);
    std::vector<int> ids(kFetches);
    for (int& id : ids)
        id = pick(gen);
    return ids;
}

// Every variant starts from the same empty table, made by the layer.
void freshTable()
{
    vrt::odbc::Connection c;
    if (!c.open(g_owner))
        std::abort();
    c.exec("DROP TABLE IF EXISTS PRIHODIRASHODI");
    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
    if (Access(Tbl::PrihodiRashodi).Open())
        std::abort();
}

// --- the layer ---

void layerInsert()
{
    vrt::FileManager& f = Access(Tbl::PrihodiRashodi);
    vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
    for (int i = 1; i <= kRows; ++i) {
        const Row r = makeRow(i);
        PR().ID = r.id;
        PR().KATEGORIJAID = r.category;
        PR().DATUM = vrt::dayFromText(QString::fromStdString(r.date));
        PR().NAZIV = r.name;
        PR().TIPID = r.type;
        PR().IZNOS_DECIMAL = r.amount;
        PR().NAPOMENA = r.remark;
        if (f.Insert())
            std::abort();
    }
    tx.commit();
}

int64_t layerRead()
{
    vrt::FileManager& f = Access(Tbl::PrihodiRashodi);
    f.Set(PR.Datumi);
    int64_t sum = 0;
    while (f.Next() == 0)
        sum += PR().ID + int64_t(PR().NAZIV.size());
    return sum;
}

int64_t layerFetch(const std::vector<int>& ids)
{
    vrt::FileManager& f = Access(Tbl::PrihodiRashodi);
    int64_t sum = 0;
    for (int id : ids) {
        PR().ID = id;
        if (f.TryFetch(PR.IDKey))
            std::abort();
        sum += PR().DATUM + int64_t(PR().NAZIV.size());
    }
    return sum;
}

// --- raw sqlite3 ---

void sqliteInsert()
{
    sqlite3* db = g_sqlite;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (std::string("INSERT INTO PRIHODIRASHODI (") + kColumns + ") VALUES (?,?,?,?,?,?,?)").c_str(), -1, &s, nullptr);
    for (int i = 1; i <= kRows; ++i) {
        const Row r = makeRow(i);
        sqlite3_bind_int(s, 1, r.id);
        sqlite3_bind_int(s, 2, r.category);
        sqlite3_bind_text(s, 3, r.date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 4, r.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 5, r.type);
        sqlite3_bind_text(s, 6, r.amount.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 7, r.remark.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE)
            std::abort();
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

Row sqliteRow(sqlite3_stmt* s)
{
    Row r;
    auto text = [&](int c) { const auto* t = sqlite3_column_text(s, c); return t ? std::string(reinterpret_cast<const char*>(t)) : std::string(); };
    r.id = sqlite3_column_int(s, 0);
    r.category = sqlite3_column_int(s, 1);
    r.date = text(2);
    r.name = text(3);
    r.type = sqlite3_column_int(s, 4);
    r.amount = text(5);
    r.remark = text(6);
    return r;
}

int64_t sqliteRead()
{
    sqlite3* db = g_sqlite;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT ") + kColumns + " FROM PRIHODIRASHODI" + kOrder).c_str(), -1, &s, nullptr);
    int64_t sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const Row r = sqliteRow(s);
        sum += r.id + int64_t(r.name.size());
    }
    sqlite3_finalize(s);
    return sum;
}

int64_t sqliteFetch(const std::vector<int>& ids)
{
    sqlite3* db = g_sqlite;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT ") + kColumns + " FROM PRIHODIRASHODI WHERE ID = ?").c_str(), -1, &s, nullptr);
    int64_t sum = 0;
    for (int id : ids) {
        sqlite3_bind_int(s, 1, id);
        if (sqlite3_step(s) != SQLITE_ROW)
            std::abort();
        const Row r = sqliteRow(s);
        sum += int64_t(r.date.size()) + int64_t(r.name.size());
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    return sum;
}

// --- raw ODBC ---

struct RawOdbc {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    RawOdbc()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)g_owner.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
            std::abort();
    }
    ~RawOdbc()
    {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

std::string getText(SQLHSTMT s, int col)
{
    char buf[4096];
    SQLLEN ind = 0;
    std::string out;
    for (;;) {
        const SQLRETURN rc = SQLGetData(s, SQLUSMALLINT(col), SQL_C_CHAR, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc) || ind == SQL_NULL_DATA)
            break;
        const size_t got = (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof buf)) ? sizeof buf - 1 : size_t(ind);
        out.append(buf, got);
        if (rc == SQL_SUCCESS)
            break;
    }
    return out;
}

Row odbcRow(SQLHSTMT s)
{
    Row r;
    SQLINTEGER v = 0;
    SQLLEN ind = 0;
    SQLGetData(s, 1, SQL_C_SLONG, &v, 0, &ind);
    r.id = v;
    SQLGetData(s, 2, SQL_C_SLONG, &v, 0, &ind);
    r.category = v;
    r.date = getText(s, 3);
    r.name = getText(s, 4);
    SQLGetData(s, 5, SQL_C_SLONG, &v, 0, &ind);
    r.type = v;
    r.amount = getText(s, 6);
    r.remark = getText(s, 7);
    return r;
}

void odbcInsert()
{
    RawOdbc& o = *g_odbc;
    SQLSetConnectAttr(o.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    SQLHSTMT s;
    SQLAllocHandle(SQL_HANDLE_STMT, o.dbc, &s);
    const std::string sql = std::string("INSERT INTO PRIHODIRASHODI (") + kColumns + ") VALUES (?,?,?,?,?,?,?)";
    SQLPrepare(s, (SQLCHAR*)sql.c_str(), SQL_NTS);
    Row r;
    SQLLEN lens[7];
    for (int i = 1; i <= kRows; ++i) {
        r = makeRow(i);
        auto text = [&](int n, std::string& v) {
            lens[n - 1] = SQLLEN(v.size());
            SQLBindParameter(s, SQLUSMALLINT(n), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, v.size() + 1, 0, v.data(), 0, &lens[n - 1]);
        };
        auto number = [&](int n, int& v) {
            lens[n - 1] = 0;
            SQLBindParameter(s, SQLUSMALLINT(n), SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &v, 0, &lens[n - 1]);
        };
        number(1, r.id);
        number(2, r.category);
        text(3, r.date);
        text(4, r.name);
        number(5, r.type);
        text(6, r.amount);
        text(7, r.remark);
        if (!SQL_SUCCEEDED(SQLExecute(s)))
            std::abort();
    }
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    SQLEndTran(SQL_HANDLE_DBC, o.dbc, SQL_COMMIT);
    SQLSetConnectAttr(o.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

int64_t odbcRead()
{
    RawOdbc& o = *g_odbc;
    SQLHSTMT s;
    SQLAllocHandle(SQL_HANDLE_STMT, o.dbc, &s);
    const std::string sql = std::string("SELECT ") + kColumns + " FROM PRIHODIRASHODI" + kOrder;
    SQLExecDirect(s, (SQLCHAR*)sql.c_str(), SQL_NTS);
    int64_t sum = 0;
    while (SQL_SUCCEEDED(SQLFetch(s))) {
        const Row r = odbcRow(s);
        sum += r.id + int64_t(r.name.size());
    }
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    return sum;
}

int64_t odbcFetch(const std::vector<int>& ids)
{
    RawOdbc& o = *g_odbc;
    SQLHSTMT s;
    SQLAllocHandle(SQL_HANDLE_STMT, o.dbc, &s);
    const std::string sql = std::string("SELECT ") + kColumns + " FROM PRIHODIRASHODI WHERE ID = ?";
    SQLPrepare(s, (SQLCHAR*)sql.c_str(), SQL_NTS);
    int id = 0;
    SQLLEN ind = 0;
    SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &id, 0, &ind);
    int64_t sum = 0;
    for (int want : ids) {
        id = want;
        if (!SQL_SUCCEEDED(SQLExecute(s)) || !SQL_SUCCEEDED(SQLFetch(s)))
            std::abort();
        const Row r = odbcRow(s);
        sum += int64_t(r.date.size()) + int64_t(r.name.size());
        SQLFreeStmt(s, SQL_CLOSE);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    return sum;
}

// --- the run ---

struct Variant {
    const char* name;
    std::function<void()> insert;
    std::function<int64_t()> read;
    std::function<int64_t(const std::vector<int>&)> fetch;
};

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/velmora-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !bench::registerDriver(dir)) {
        std::fprintf(stderr, "libsqliteodbc is not installed\n");
        return 1;
    }
    g_db = std::string(dir) + "/bench.db";
    // The driver options the program uses.
    g_owner = "Driver=SQLite3 ODBC Driver;Database=" + g_db + ";StepAPI=1;Timeout=100000;JournalMode=WAL;SyncPragma=NORMAL;FKSupport=0";
    GLO::OWNER = g_owner;
    corvalde::setTableNames();

    // Every connection is opened here, once, and kept warm until the end.
    freshTable();
    RawOdbc odbc;
    g_odbc = &odbc;
    sqlite3_open(g_db.c_str(), &g_sqlite);
    sqlite3_busy_timeout(g_sqlite, 100000);
    sqlite3_exec(g_sqlite, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);

    const std::vector<Variant> variants = {
        {"layer", layerInsert, layerRead, layerFetch},
        {"odbc", odbcInsert, odbcRead, odbcFetch},
        {"sqlite", sqliteInsert, sqliteRead, sqliteFetch},
    };
    const std::vector<int> ids = fetchIds();
    const int rounds = bench::roundsArg(argc, argv, bench::kLongRounds);
    bench::Samples ms; // "Insert/layer": one time a round
    const auto timed = [&](const std::string& key, const std::function<void()>& work) { ms.add(key, bench::timeMs(work)); };
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < variants.size(); ++k) {
            // Each round starts with another variant, so none always runs first.
            const Variant& v = variants[(k + size_t(round)) % variants.size()];
            freshTable();
            timed(std::string("Insert/") + v.name, v.insert);
        }
        for (size_t k = 0; k < variants.size(); ++k) {
            const Variant& v = variants[(k + size_t(round)) % variants.size()];
            int64_t sum = 0;
            timed(std::string("Read/") + v.name, [&] { sum += v.read(); });
            timed(std::string("Fetch/") + v.name, [&] { sum += v.fetch(ids); });
            if (sum == 0)
                std::abort();
        }
    }

    bench::Report report("data layer, every variant on one warm connection", rounds);
    for (const char* work : {"Insert", "Read", "Fetch"}) {
        const std::string w = work;
        report.ratio(w + ": layer / raw ODBC", ms[w + "/layer"], ms[w + "/odbc"], 1.30);
        report.ratio(w + ": layer / sqlite3", ms[w + "/layer"], ms[w + "/sqlite"], 0);
    }
    g_odbc = nullptr;
    sqlite3_close(g_sqlite);
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return report.finish();
}
