#include "extensions/QuickFilterStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace ext {

namespace {

const char* const kFiltersSchema =
    "CREATE TABLE Filters (ID TEXT NOT NULL UNIQUE, PROCEDURENAME TEXT NOT NULL, NAME TEXT NOT NULL,"
    " FILTER TEXT NOT NULL, INSTANCE INTEGER NOT NULL);"
    "CREATE INDEX KeySort ON Filters (PROCEDURENAME, INSTANCE, NAME);";
const char* const kOptionsSchema =
    "CREATE TABLE FilterOpt (ID TEXT NOT NULL, PROCEDURENAME TEXT NOT NULL, INSTANCE INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX KeySort ON FilterOpt (PROCEDURENAME, INSTANCE);";

// One prepared statement, finalised on scope exit.
class Stmt {
public:
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr); }
    ~Stmt() { sqlite3_finalize(m_s); }
    bool ok() const { return m_s != nullptr; }
    Stmt& text(int i, const QString& v)
    {
        const QByteArray b = v.toUtf8();
        sqlite3_bind_text(m_s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& number(int i, int v)
    {
        sqlite3_bind_int(m_s, i, v);
        return *this;
    }
    int step() { return m_s ? sqlite3_step(m_s) : SQLITE_ERROR; }
    QString column(int i) const { return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_s, i))); }
    int integer(int i) const { return sqlite3_column_int(m_s, i); }

private:
    sqlite3_stmt* m_s = nullptr;
};

} // namespace

QuickFilterStore::QuickFilterStore(QString folder) : m_folder(std::move(folder)) {}

QuickFilterStore::~QuickFilterStore()
{
    close();
}

QString QuickFilterStore::filtersFile() const
{
    return QDir(m_folder).filePath(QStringLiteral("!Filters"));
}

QString QuickFilterStore::optionsFile() const
{
    return QDir(m_folder).filePath(QStringLiteral("!FilterOpt"));
}

void QuickFilterStore::close()
{
    sqlite3_close(m_filters);
    sqlite3_close(m_options);
    m_filters = m_options = nullptr;
}

bool QuickFilterStore::fail(sqlite3* db, const QString& what)
{
    m_error = what + (db ? QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db)) : QString());
    return false;
}

bool QuickFilterStore::exec(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : "SQLite error");
    sqlite3_free(message);
    return false;
}

bool QuickFilterStore::openOne(const QString& file, const char* schema, sqlite3*& db)
{
    if (db)
        return true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            fail(db, QStringLiteral("Cannot open %1").arg(QDir::toNativeSeparators(file)));
            sqlite3_close(db);
            db = nullptr;
            return false;
        }
        sqlite3_busy_timeout(db, 5000);
        int version = -1;
        int tables = -1;
        {
            Stmt v(db, "PRAGMA user_version");
            if (v.ok() && v.step() == SQLITE_ROW)
                version = v.integer(0);
            Stmt t(db, "SELECT count(*) FROM sqlite_master");
            if (t.ok() && t.step() == SQLITE_ROW)
                tables = t.integer(0);
        }
        if (version == kVersion)
            return true;
        if (version == 0 && tables == 0) {
            const QString create = QStringLiteral("BEGIN IMMEDIATE;%1PRAGMA user_version = %2;COMMIT;")
                                       .arg(QString::fromLatin1(schema))
                                       .arg(kVersion);
            if (exec(db, create.toUtf8().constData()))
                return true;
            exec(db, "ROLLBACK");
            fail(db, QStringLiteral("Cannot create %1").arg(QDir::toNativeSeparators(file)));
            sqlite3_close(db);
            db = nullptr;
            return false;
        }
        // Another layout (or not a database at all): kept aside, a new file takes its place.
        sqlite3_close(db);
        db = nullptr;
        const QString backup = file + QStringLiteral(".backup-") +
                               QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
        if (!QFile::rename(file, backup)) {
            m_error = QStringLiteral("%1 has another layout and cannot be set aside.").arg(QDir::toNativeSeparators(file));
            return false;
        }
    }
    return db != nullptr;
}

bool QuickFilterStore::open()
{
    if (!QDir().mkpath(m_folder)) {
        m_error = QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    return openOne(filtersFile(), kFiltersSchema, m_filters) && openOne(optionsFile(), kOptionsSchema, m_options);
}

std::vector<QuickFilterStore::Saved> QuickFilterStore::list(const QString& procedure, int instance)
{
    std::vector<Saved> out;
    if (!open())
        return out;
    Stmt s(m_filters, "SELECT ID, NAME, FILTER FROM Filters WHERE PROCEDURENAME = ? AND INSTANCE = ? ORDER BY NAME, ID");
    s.text(1, procedure).number(2, instance);
    while (s.step() == SQLITE_ROW)
        out.push_back({s.column(0), procedure, s.column(1), s.column(2), instance});
    return out;
}

std::optional<QuickFilterStore::Saved> QuickFilterStore::find(const QString& id)
{
    if (!open())
        return std::nullopt;
    Stmt s(m_filters, "SELECT PROCEDURENAME, NAME, FILTER, INSTANCE FROM Filters WHERE ID = ?");
    s.text(1, id);
    if (s.step() != SQLITE_ROW) {
        m_error = QStringLiteral("The saved filter is not there any more.");
        return std::nullopt;
    }
    return Saved{id, s.column(0), s.column(1), s.column(2), s.integer(3)};
}

std::optional<QString> QuickFilterStore::defaultId(const QString& procedure, int instance)
{
    if (!open())
        return std::nullopt;
    Stmt s(m_options, "SELECT ID FROM FilterOpt WHERE PROCEDURENAME = ? AND INSTANCE = ?");
    s.text(1, procedure).number(2, instance);
    if (s.step() != SQLITE_ROW)
        return std::nullopt;
    return s.column(0);
}

bool QuickFilterStore::add(Saved& s)
{
    if (!open())
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        s.id = randomId();
        Stmt insert(m_filters, "INSERT INTO Filters (ID, PROCEDURENAME, NAME, FILTER, INSTANCE) VALUES (?, ?, ?, ?, ?)");
        insert.text(1, s.id).text(2, s.procedure).text(3, s.name).text(4, s.filter).number(5, s.instance);
        const int rc = insert.step();
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_CONSTRAINT)
            break;
    }
    return fail(m_filters, QStringLiteral("The filter could not be saved"));
}

bool QuickFilterStore::setDefault(const QString& procedure, int instance, const QString& id)
{
    if (!open())
        return false;
    if (!exec(m_options, "BEGIN IMMEDIATE"))
        return false;
    Stmt del(m_options, "DELETE FROM FilterOpt WHERE PROCEDURENAME = ? AND INSTANCE = ?");
    del.text(1, procedure).number(2, instance);
    bool ok = del.step() == SQLITE_DONE;
    if (ok && !id.isEmpty()) {
        Stmt insert(m_options, "INSERT INTO FilterOpt (ID, PROCEDURENAME, INSTANCE) VALUES (?, ?, ?)");
        insert.text(1, id).text(2, procedure).number(3, instance);
        ok = insert.step() == SQLITE_DONE;
    }
    if (!ok) {
        fail(m_options, QStringLiteral("The default filter could not be written"));
        exec(m_options, "ROLLBACK");
        return false;
    }
    return exec(m_options, "COMMIT");
}

bool QuickFilterStore::remove(const QString& id)
{
    if (!open())
        return false;
    Stmt del(m_filters, "DELETE FROM Filters WHERE ID = ?");
    del.text(1, id);
    if (del.step() != SQLITE_DONE)
        return fail(m_filters, QStringLiteral("The filter could not be deleted"));
    Stmt opt(m_options, "DELETE FROM FilterOpt WHERE ID = ?");
    opt.text(1, id);
    if (opt.step() != SQLITE_DONE)
        return fail(m_options, QStringLiteral("The default filter could not be removed"));
    return true;
}

QString QuickFilterStore::randomId()
{
    QString id;
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 20; ++i) {
        switch (random->bounded(3)) {
        case 0: id += QChar(u'0' + random->bounded(10)); break;
        case 1: id += QChar(u'A' + random->bounded(26)); break;
        default: id += QChar(u'a' + random->bounded(26)); break;
        }
    }
    return id;
}

} // namespace ext
