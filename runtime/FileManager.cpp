// A file manager's life: first use, opening, creating the table and its indexes, errors and
// the statements it keeps.
#include "runtime/FileManager.h"

#include "runtime/SqliteDialect.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <mutex>
#include <strings.h>

namespace vrt {
namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Whether a stored column type can hold a field of this kind.
bool typeFits(FieldKind kind, const std::string& storedType)
{
    const std::string t = upper(storedType);
    auto has = [&](const char* w) { return t.find(w) != std::string::npos; };
    switch (kind) {
    case FieldKind::Long:
    case FieldKind::Byte:
        return has("INT");
    case FieldKind::Text:
    case FieldKind::Decimal:
        return has("CHAR") || has("TEXT") || has("CLOB");
    default:
        return has("DATE") || has("TIME");
    }
}

std::string columnType(const FieldDesc& f)
{
    switch (f.kind) {
    case FieldKind::Long: return "INTEGER";
    case FieldKind::Byte: return "SMALLINT";
    // VARCHAR has TEXT affinity: decimal text stays text, never a binary float.
    case FieldKind::Text:
    case FieldKind::Decimal: return "VARCHAR(" + std::to_string(f.maxChars()) + ")";
    case FieldKind::Date: return "DATE";
    case FieldKind::Time: return "TIME";
    case FieldKind::DateTime: return "TIMESTAMP";
    }
    return "TEXT";
}

} // namespace

// --- lifecycle, errors, statements ---

FileManager::FileManager(const TableDesc& desc, void* buffer, Session& session)
    : FILENAMEVALUE(desc.label), BUFFER(buffer), FILE(&desc), m_session(session)
{
    m_session.attach(this);
}

FileManager::~FileManager()
{
    dropStatements();
    m_session.detach(this);
}

void FileManager::forgetStatements()
{
    m_insertPlans.clear();
    m_fetchPlans.clear();
    m_statements.clear();
}

void FileManager::dropStatements()
{
    m_cursor.reset();
    forgetStatements();
    m_seq.running = false;
    m_open = false;
}

int FileManager::UseFile() { return useFile(true); }

int FileManager::useFile(bool report)
{
    // Keys and declaration are data here: nothing is registered at run time, so first use only
    // marks the manager and opens the table.
    m_initialised = true;
    // The connection first: a changed owner string reconnects, and the table opens again.
    odbc::Error e;
    if (!m_session.connection(&e))
        return fail(DriverError, e.text, report ? Msg_OpenFailed : 0);
    if (m_open && m_generation == m_session.generation() && (!FILENAME || FILENAME->version() == m_nameVersion))
        return NoError;
    return openInternal(report);
}

void FileManager::Kill()
{
    dropStatements();
    m_initialised = false;
    m_reserved = 0;
}

std::string FileManager::SqlName() const
{
    return FILENAME ? FILENAME->get() : FILE->sqlName;
}

int FileManager::fail(int code, const std::string& text, int messageId, const std::string& keyLabel)
{
    m_errorCode = code;
    m_errorText = text;
    m_errorKey = keyLabel;
    if (messageId && m_errors) {
        m_errors->setFile(QString::fromStdString(FILENAMEVALUE));
        m_errors->setKey(QString::fromStdString(keyLabel));
        m_errors->setErrorText(QString::fromStdString(text), code);
        m_errors->throwMessage(messageId);
    }
    return code;
}

int FileManager::failFromDriver(const odbc::Error& e, int messageId)
{
    if (dialect::isConstraintViolation(e)) {
        const std::vector<std::string> cols = dialect::uniqueViolationColumns(e.text);
        std::string keyLabel;
        for (size_t k = 0; k < FILE->keys.size() && keyLabel.empty(); ++k) {
            const KeyDesc& key = FILE->keys[k];
            if (!key.unique || key.components.size() != cols.size())
                continue;
            bool same = true;
            for (size_t i = 0; i < cols.size(); ++i)
                same = same && strcasecmp(FILE->fields[size_t(key.components[i].field)].name, cols[i].c_str()) == 0;
            if (same)
                keyLabel = FILE->keyLabel(int(k));
        }
        if (!keyLabel.empty())
            return fail(DupKeyError, e.text, messageId ? Msg_DuplicateKey : 0, keyLabel);
    }
    return fail(DriverError, e.text, messageId);
}

odbc::Connection* FileManager::conn()
{
    odbc::Error e;
    odbc::Connection* c = m_session.connection(&e);
    if (!c)
        fail(DriverError, e.text, 0);
    return c;
}

odbc::Statement* FileManager::cached(const std::string& sql)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second.get();
    odbc::Connection* c = conn();
    if (!c)
        return nullptr;
    auto s = std::make_unique<odbc::Statement>(*c);
    if (!s->prepare(sql)) {
        failFromDriver(s->error(), 0);
        return nullptr;
    }
    return m_statements.emplace(sql, std::move(s)).first->second.get();
}

int FileManager::Open() { return openInternal(true); }
int FileManager::TryOpen() { return openInternal(false); }

int FileManager::openInternal(bool report)
{
    m_initialised = true;
    const int nameVersion = FILENAME ? FILENAME->version() : 0;
    const std::string name = SqlName();
    if (name.empty())
        return fail(NoNameError, "The table name of " + FILENAMEVALUE + " is not set.",
                    report ? Msg_OpenFailed : 0);
    odbc::Error e;
    odbc::Connection* c = m_session.connection(&e);
    if (!c)
        return fail(DriverError, e.text, report ? Msg_OpenFailed : 0);
    bool exists = false;
    if (!dialect::tableExists(*c, name, exists, &e))
        return fail(DriverError, e.text, report ? Msg_OpenFailed : 0);
    if (!exists) {
        if (!CREATE)
            return fail(NoFileError, "The table " + name + " does not exist.", report ? Msg_OpenFailed : 0);
        if (const int rc = Create()) {
            // Another connection may have created it in the meantime.
            if (!dialect::tableExists(*c, name, exists, &e) || !exists)
                return report ? fail(rc, m_errorText, Msg_CreateFailed) : rc;
        }
    }
    std::vector<dialect::ColumnInfo> cols;
    if (!dialect::tableColumns(*c, name, cols, &e))
        return fail(DriverError, e.text, report ? Msg_OpenFailed : 0);
    bool matches = cols.size() == FILE->fields.size();
    for (size_t i = 0; matches && i < cols.size(); ++i)
        matches = strcasecmp(cols[i].name.c_str(), FILE->fields[i].name) == 0 &&
                  typeFits(FILE->fields[i].kind, cols[i].type);
    if (!matches)
        return fail(BadDeclarationError, "The table " + name + " does not match its declaration.",
                    report ? Msg_DeclarationMismatch : 0);
    alignIndexes(*c, name);
    m_highWater = FILE->primaryKey() >= 0 && dialect::hasHighWaterMark(*c, name);
    if (m_generation != m_session.generation() || m_openName != name) {
        forgetStatements();
        m_cursor.reset();
    }
    m_generation = m_session.generation();
    m_nameVersion = nameVersion;
    m_openName = name;
    m_open = true;
    m_errorCode = 0;
    m_errorText.clear();
    return NoError;
}

int FileManager::Close()
{
    m_cursor.reset();
    m_seq = Sequence{};
    m_open = false;
    return NoError;
}

std::string FileManager::CreateTableSql(const TableDesc& t, const std::string& name)
{
    const int pk = t.primaryKey();
    int highWaterField = -1;
    if (pk >= 0 && t.keys[size_t(pk)].components.size() == 1 && t.keys[size_t(pk)].autoNumber == 1 &&
        t.fields[size_t(t.keys[size_t(pk)].components[0].field)].kind == FieldKind::Long)
        highWaterField = t.keys[size_t(pk)].components[0].field;
    std::string sql = "CREATE TABLE " + quoteName(name) + " (";
    for (size_t i = 0; i < t.fields.size(); ++i) {
        if (i)
            sql += ", ";
        const std::string col = quoteName(t.fields[i].name);
        sql += int(i) == highWaterField ? dialect::highWaterPrimaryKey(col) : col + " " + columnType(t.fields[i]);
    }
    if (pk >= 0 && highWaterField < 0) {
        sql += ", PRIMARY KEY (";
        for (size_t c = 0; c < t.keys[size_t(pk)].components.size(); ++c)
            sql += (c ? ", " : "") + quoteName(t.fields[size_t(t.keys[size_t(pk)].components[c].field)].name);
        sql += ")";
    }
    return sql + ")";
}

void FileManager::alignIndexes(odbc::Connection& c, const std::string& name)
{
    // An index made by an earlier build may compare its text otherwise than its key does now
    // (a key over outside identifiers that became exact). It is made again, all in one
    // transaction; should that fail, the old index stays and the table works as before.
    std::vector<dialect::IndexInfo> stored;
    if (!dialect::tableIndexes(c, name, stored, nullptr))
        return;
    const std::vector<std::string> wanted = CreateIndexSql(*FILE, name);
    std::vector<std::pair<std::string, std::string>> renew; // stored name, wanted statement
    size_t at = 0;
    for (const KeyDesc& k : FILE->keys) {
        if (k.primary)
            continue;
        const std::string index = indexName(name, k);
        for (const dialect::IndexInfo& i : stored)
            if (strcasecmp(i.name.c_str(), index.c_str()) == 0 && !dialect::sameIndex(i.sql, wanted[at]))
                renew.emplace_back(i.name, wanted[at]);
        ++at;
    }
    // A file written before a speed index was declared gets it once, here.
    std::vector<std::string> missing;
    for (const SpeedIndexDesc& i : FILE->speedIndexes) {
        const std::string index = indexName(name, i);
        if (std::none_of(stored.begin(), stored.end(), [&](const dialect::IndexInfo& s) {
                return strcasecmp(s.name.c_str(), index.c_str()) == 0;
            }))
            missing.push_back(wanted[at]);
        ++at;
    }
    if (renew.empty() && missing.empty())
        return;
    m_session.suspendReaders();
    odbc::Transaction tx(c);
    if (!tx.started())
        return;
    for (const auto& [index, sql] : renew)
        if (!c.exec("DROP INDEX " + quoteName(index)) || !c.exec(sql))
            return;
    for (const std::string& sql : missing)
        if (!c.exec(sql))
            return;
    tx.commit();
}

std::string FileManager::indexName(const std::string& table, const KeyDesc& key) { return table + "_" + key.name; }

std::string FileManager::indexName(const std::string& table, const SpeedIndexDesc& index)
{
    return table + "_" + index.name;
}

std::vector<std::string> FileManager::CreateIndexSql(const TableDesc& t, const std::string& name)
{
    std::vector<std::string> out;
    for (const KeyDesc& k : t.keys) {
        if (k.primary)
            continue; // the primary key is the table's own order
        std::string sql = std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX " +
                          quoteName(indexName(name, k)) + " ON " + quoteName(name) + " (";
        for (size_t c = 0; c < k.components.size(); ++c) {
            const FieldDesc& f = t.fields[size_t(k.components[c].field)];
            sql += (c ? ", " : "") + (k.components[c].datePart ? dialect::datePart(quoteName(f.name)) : quoteName(f.name));
            if (k.noCase && f.isText())
                sql += dialect::noCase();
            if (k.components[c].descending)
                sql += " DESC";
        }
        out.push_back(sql + ")");
    }
    for (const SpeedIndexDesc& i : t.speedIndexes) {
        std::string sql = "CREATE INDEX " + quoteName(indexName(name, i)) + " ON " + quoteName(name) + " (" +
                          quoteName(i.column) + ")";
        if (!i.onlyIf.empty())
            sql += " WHERE " + quoteName(i.onlyIf) + " = " + std::to_string(i.onlyIfValue);
        out.push_back(sql);
    }
    return out;
}

int FileManager::Create()
{
    const std::string name = SqlName();
    if (name.empty())
        return fail(NoNameError, "The table name of " + FILENAMEVALUE + " is not set.", 0);
    odbc::Connection* c = conn();
    if (!c)
        return m_errorCode;
    m_session.suspendReaders();
    odbc::Transaction tx(*c);
    if (!tx.started())
        return fail(DriverError, c->error().text, 0);
    if (!c->exec(CreateTableSql(*FILE, name)))
        return fail(DriverError, c->error().text, 0);
    for (const std::string& sql : CreateIndexSql(*FILE, name))
        if (!c->exec(sql))
            return fail(DriverError, c->error().text, 0);
    if (!tx.commit())
        return fail(DriverError, c->error().text, 0);
    return NoError;
}

// ---- callbacks ---------------------------------------------------------------------------

namespace {

std::mutex g_callbackMutex;
std::map<const TableDesc*, std::vector<FileCallback*>> g_callbacks;
std::atomic<int> g_callbackCount{0};
thread_local int t_notifying = 0; // a notice of this thread is being handled
thread_local std::vector<bool> t_levels; // per open operation: whether its callbacks were told

std::vector<FileCallback*> callbacksOf(const TableDesc* table)
{
    if (g_callbackCount.load(std::memory_order_relaxed) == 0 || t_notifying > 0)
        return {};
    std::lock_guard lock(g_callbackMutex);
    const auto it = g_callbacks.find(table);
    return it == g_callbacks.end() ? std::vector<FileCallback*>() : it->second;
}

} // namespace

void FileManager::registerCallback(const TableDesc& table, FileCallback* callback)
{
    std::lock_guard lock(g_callbackMutex);
    auto& list = g_callbacks[&table];
    if (std::find(list.begin(), list.end(), callback) != list.end())
        return;
    list.push_back(callback);
    ++g_callbackCount;
}

void FileManager::unregisterCallback(const TableDesc& table, FileCallback* callback)
{
    std::lock_guard lock(g_callbackMutex);
    auto& list = g_callbacks[&table];
    const auto it = std::find(list.begin(), list.end(), callback);
    if (it == list.end())
        return;
    list.erase(it);
    --g_callbackCount;
}

bool FileManager::notifyBefore(FileOperation op)
{
    const auto callbacks = callbacksOf(FILE);
    if (callbacks.empty()) {
        t_levels.push_back(false);
        return true;
    }
    ++t_notifying;
    for (FileCallback* callback : callbacks) {
        int code = 0;
        std::string text;
        if (!callback->functionCalled(op, *this, code, text)) {
            --t_notifying;
            m_errorCode = code ? code : DriverError;
            m_errorText = text.empty() ? FILENAMEVALUE + ": the change was refused." : text;
            return false;
        }
    }
    // The operation itself counts as being handled until notifyAfter.
    t_levels.push_back(true);
    return true;
}

void FileManager::notifyAfter(FileOperation op, int result)
{
    const bool told = !t_levels.empty() && t_levels.back();
    if (!t_levels.empty())
        t_levels.pop_back();
    if (!told)
        return;
    std::vector<FileCallback*> callbacks;
    {
        std::lock_guard lock(g_callbackMutex);
        const auto it = g_callbacks.find(FILE);
        if (it != g_callbacks.end())
            callbacks = it->second;
    }
    for (FileCallback* callback : callbacks)
        callback->functionDone(op, *this, result);
    --t_notifying;
}

void FileManager::notifyRead()
{
    const auto callbacks = callbacksOf(FILE);
    if (callbacks.empty())
        return;
    ++t_notifying;
    for (FileCallback* callback : callbacks)
        callback->functionDone(FileOperation::Read, *this, NoError);
    --t_notifying;
}

} // namespace vrt
