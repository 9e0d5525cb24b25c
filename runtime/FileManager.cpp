#include "runtime/FileManager.h"

#include "runtime/DateTime.h"
#include "runtime/SqliteDialect.h"
#include "runtime/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <strings.h>

namespace vrt {
namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isDecimalText(const std::string& s)
{
    if (s.empty())
        return true;
    size_t i = s[0] == '-' ? 1 : 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++digits;
    }
    if (digits == 0)
        return false;
    if (i == s.size())
        return true;
    if (s[i] != '.')
        return false;
    ++i;
    size_t decimals = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++decimals;
    }
    return decimals > 0 && i == s.size();
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

void bindParams(odbc::Statement& s, const std::vector<SqlParam>& params, int& pos)
{
    for (const SqlParam& p : params) {
        if (p.isInt)
            s.bindInt(pos++, p.number);
        else
            s.bindText(pos++, p.text);
    }
}

// Day numbers as column text and back without a detour through QString: this runs for every
// date of every row read or written. Anything but the plain form goes through the runtime.
std::string dayText(int day)
{
    const QDate d = dateFromDay(day);
    if (!d.isValid())
        return {};
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    return b;
}

int dayOf(const std::string& s)
{
    auto digits = [&](size_t from, size_t n) {
        int v = 0;
        for (size_t i = from; i < from + n; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    if (s.empty())
        return NoDate;
    if (s.size() == 10 && s[4] == '-' && s[7] == '-') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return dayFromDate(QDate(y, m, d));
    }
    return dayFromText(QString::fromStdString(s));
}

} // namespace

// --- NameVar, Session ---

bool NameVar::set(const std::string& name)
{
    if (int(QString::fromStdString(name).size()) > m_capacity)
        return false;
    std::lock_guard<std::mutex> l(m_mutex);
    m_value = name;
    ++m_version;
    return true;
}

std::string NameVar::get() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_value;
}

void Session::attach(FileManager* f) { m_attached.push_back(f); }

void Session::detach(FileManager* f)
{
    m_attached.erase(std::remove(m_attached.begin(), m_attached.end(), f), m_attached.end());
}

void Session::suspendReaders()
{
    for (FileManager* f : m_attached)
        f->suspendReading();
}

odbc::Connection* Session::connection(odbc::Error* error)
{
    static const std::string none;
    const std::string& owner = m_owner ? m_owner() : none;
    if (m_connection.isOpen() &&
        (m_connection.connectionString() == owner || m_connection.transactionDepth() > 0))
        return &m_connection;
    if (owner.empty()) {
        if (error)
            *error = {0, "08001", "The connection string is empty."};
        return nullptr;
    }
    for (FileManager* f : m_attached)
        f->dropStatements();
    ++m_generation;
    if (!m_connection.open(owner)) {
        if (error)
            *error = m_connection.error();
        return nullptr;
    }
    return &m_connection;
}

// --- FileManager ---

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

void FileManager::suspendReading()
{
    if (!m_cursor || !m_seq.running || m_seq.passThrough || m_seq.ended || m_seq.key < 0)
        return; // statements and order texts cannot be resumed: they keep their cursor
    m_cursor.reset();
    m_seq.running = false;
    m_seq.resume.clear();
    if (!m_seq.haveRow)
        return; // nothing read yet: the sequence starts again from its beginning
    // The last row's key values as stored, to go on after it.
    const std::vector<KeyComponent> comps = sequenceComponents();
    const int pkField = FILE->keys[size_t(FILE->primaryKey())].components[0].field;
    std::string sql = "SELECT ";
    for (size_t i = 0; i < comps.size(); ++i)
        sql += (i ? ", " : "") + componentExpr(comps[i], false);
    sql += " FROM " + quoteName(m_openName) + " WHERE " + quoteName(FILE->fields[size_t(pkField)].name) + " = ?";
    odbc::Statement* s = cached(sql);
    if (!s)
        return;
    s->bindInt(1, m_seq.lastRow);
    if (s->execute() && s->fetch()) {
        for (size_t i = 0; i < comps.size(); ++i) {
            SqlParam p;
            const FieldKind kind = FILE->fields[size_t(comps[i].field)].kind;
            if (kind == FieldKind::Long || kind == FieldKind::Byte) {
                p.isInt = true;
                p.number = s->integer(int(i) + 1).value_or(0);
            } else {
                p.text = s->text(int(i) + 1).value_or(std::string());
            }
            m_seq.resume.push_back(p);
        }
    }
    s->closeCursor();
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
    if (renew.empty())
        return;
    m_session.suspendReaders();
    odbc::Transaction tx(c);
    if (!tx.started())
        return;
    for (const auto& [index, sql] : renew)
        if (!c.exec("DROP INDEX " + quoteName(index)) || !c.exec(sql))
            return;
    tx.commit();
}

std::string FileManager::indexName(const std::string& table, const KeyDesc& key) { return table + "_" + key.name; }

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

// --- values ---

bool FileManager::validate(bool report)
{
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        const FieldDesc& f = FILE->fields[i];
        if (f.kind != FieldKind::Decimal)
            continue;
        const std::string& v = *static_cast<std::string*>(f.at(BUFFER));
        if (!isDecimalText(v)) {
            fail(BadValueError, FILE->fieldLabel(int(i)) + " is not a decimal number: \"" + v + "\"",
                 report ? Msg_FieldOutOfRange : 0);
            return false;
        }
    }
    return true;
}

void FileManager::bindValue(odbc::Statement& s, int& pos, int field)
{
    SqlParam p = componentValue(field);
    if (p.isInt)
        s.bindInt(pos++, p.number);
    else if (p.text.empty() && FILE->emptyIsNull(field))
        s.bindNull(pos++);
    else
        s.bindText(pos++, std::move(p.text));
}

SqlParam FileManager::componentValue(int field) const
{
    const FieldDesc& f = FILE->fields[size_t(field)];
    SqlParam p;
    void* at = f.at(BUFFER);
    switch (f.kind) {
    case FieldKind::Long:
        p.isInt = true;
        p.number = *static_cast<int32_t*>(at);
        break;
    case FieldKind::Byte:
        p.isInt = true;
        p.number = *static_cast<uint8_t*>(at);
        break;
    case FieldKind::Text:
    case FieldKind::Decimal:
        p.text = clipUtf8(*static_cast<std::string*>(at), f.maxChars());
        break;
    case FieldKind::Date:
        p.text = dayText(*static_cast<int32_t*>(at));
        break;
    case FieldKind::Time: {
        // Hundredths are kept when there are any, so a time reads back as it was written.
        const int t = *static_cast<int32_t*>(at);
        p.text = timeToText(t).toStdString();
        if (t > 0 && (t - 1) % 100)
            p.text += "." + std::to_string((t - 1) % 100 / 10) + std::to_string((t - 1) % 10);
        break;
    }
    case FieldKind::DateTime:
        p.text = dateTimeToText(*static_cast<int32_t*>(at), *static_cast<int32_t*>(f.at2(BUFFER))).toStdString();
        break;
    }
    return p;
}

void FileManager::loadRow(odbc::Statement& s, int firstColumn)
{
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        const FieldDesc& f = FILE->fields[i];
        const int col = firstColumn + int(i);
        void* at = f.at(BUFFER);
        switch (f.kind) {
        // A stored number the field cannot hold reads as 0 ("none"), never as another, wrapped
        // number that would name some other row.
        case FieldKind::Long: {
            const int64_t v = s.integer(col).value_or(0);
            *static_cast<int32_t*>(at) = v >= INT32_MIN && v <= INT32_MAX ? int32_t(v) : 0;
            break;
        }
        case FieldKind::Byte: {
            const int64_t v = s.integer(col).value_or(0);
            *static_cast<uint8_t*>(at) = v >= 0 && v <= UINT8_MAX ? uint8_t(v) : 0;
            break;
        }
        case FieldKind::Text:
        case FieldKind::Decimal:
            *static_cast<std::string*>(at) = s.text(col).value_or(std::string());
            break;
        case FieldKind::Date:
            *static_cast<int32_t*>(at) = dayOf(s.text(col).value_or(std::string()));
            break;
        case FieldKind::Time:
            *static_cast<int32_t*>(at) = timeFromText(QString::fromStdString(s.text(col).value_or("")));
            break;
        case FieldKind::DateTime: {
            const auto [d, t] = dateTimeFromText(QString::fromStdString(s.text(col).value_or("")));
            *static_cast<int32_t*>(at) = d;
            *static_cast<int32_t*>(f.at2(BUFFER)) = t;
            break;
        }
        }
    }
}

std::string FileManager::columnList() const
{
    std::string out;
    for (size_t i = 0; i < FILE->fields.size(); ++i)
        out += (i ? ", " : "") + quoteName(FILE->fields[i].name);
    return out;
}

int64_t FileManager::primaryValue() const
{
    const int pk = FILE->primaryKey();
    if (pk < 0)
        return 0;
    return componentValue(FILE->keys[size_t(pk)].components[0].field).number;
}

// --- adding ---

int FileManager::addRow(bool drawAll)
{
    m_session.suspendReaders();
    // Which numbered fields get drawn: all when priming, the zero ones otherwise.
    uint64_t mask = 0;
    for (const KeyDesc& k : FILE->keys) {
        if (k.autoNumber < 1 || size_t(k.autoNumber) > k.components.size())
            continue;
        const int f = k.components[size_t(k.autoNumber - 1)].field;
        if (drawAll || componentValue(f).number == 0)
            mask |= uint64_t(1) << f;
    }
    auto found = m_insertPlans.find(mask);
    if (found == m_insertPlans.end()) {
        const std::string table = quoteName(m_openName);
        const int pk = FILE->primaryKey();
        InsertPlan plan;
        plan.partner.assign(FILE->fields.size(), -1);
        std::vector<std::string> expr(FILE->fields.size());
        for (const KeyDesc& k : FILE->keys) {
            if (k.autoNumber < 1 || size_t(k.autoNumber) > k.components.size())
                continue;
            const int f = k.components[size_t(k.autoNumber - 1)].field;
            if (!(mask & (uint64_t(1) << f)) || !expr[size_t(f)].empty())
                continue;
            const std::string col = quoteName(FILE->fields[size_t(f)].name);
            if (k.autoNumber == 1 && k.primary && m_highWater && pk >= 0 &&
                FILE->keys[size_t(pk)].components[0].field == f) {
                expr[size_t(f)] = "NULL"; // the table's high-water mark numbers it
            } else if (k.autoNumber == 1) {
                expr[size_t(f)] = "(SELECT COALESCE(MAX(" + col + "), 0) + 1 FROM " + table + ")";
            } else {
                // Drawn and inserted in one statement, so two writers cannot draw one number.
                const int parentField = k.components[0].field;
                plan.partner[size_t(f)] = parentField;
                expr[size_t(f)] = "(SELECT COALESCE(MAX(" + col + "), 0) + 1 FROM " + table + " WHERE " +
                                  quoteName(FILE->fields[size_t(parentField)].name) + " = ?)";
            }
            plan.drawn.push_back(f);
        }
        std::string sql = "INSERT INTO " + table + " (" + columnList() + ") VALUES (";
        for (size_t i = 0; i < FILE->fields.size(); ++i)
            sql += (i ? ", " : "") + (expr[i].empty() ? std::string("?") : expr[i]);
        plan.statement = cached(sql + ")");
        if (!plan.statement)
            return m_errorCode;
        if (!plan.drawn.empty()) {
            plan.readBack = "SELECT ";
            for (size_t i = 0; i < plan.drawn.size(); ++i)
                plan.readBack += (i ? ", " : "") + quoteName(FILE->fields[size_t(plan.drawn[i])].name);
            plan.readBack += " FROM " + table + " WHERE " + dialect::lastInsertedRow();
        }
        found = m_insertPlans.emplace(mask, std::move(plan)).first;
    }
    const InsertPlan& plan = found->second;
    odbc::Statement& s = *plan.statement;
    int pos = 1;
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        if (!(mask & (uint64_t(1) << i)))
            bindValue(s, pos, int(i));
        else if (plan.partner[i] >= 0)
            bindValue(s, pos, plan.partner[i]);
    }
    if (!s.execute())
        return failFromDriver(s.error(), 0);
    if (plan.drawn.empty())
        return NoError;
    // A fresh statement each time: with this driver a re-executed prepared read of
    // last_insert_rowid() found no row.
    odbc::Statement r(*conn());
    if (!r.execDirect(plan.readBack) || !r.fetch())
        return fail(DriverError, r.error().text.empty() ? "The new row could not be read back." : r.error().text, 0);
    for (size_t i = 0; i < plan.drawn.size(); ++i)
        *static_cast<int32_t*>(FILE->fields[size_t(plan.drawn[i])].at(BUFFER)) = int32_t(r.integer(int(i) + 1).value_or(0));
    return NoError;
}

int FileManager::PrimeRecord(bool suppressClear)
{
    if (!suppressClear)
        clearBuffer();
    m_reserved = 0;
    if (const int rc = UseFile())
        return rc;
    bool numbered = false;
    for (const KeyDesc& k : FILE->keys)
        numbered = numbered || k.autoNumber > 0;
    if (!numbered)
        return NoError;
    if (!validate())
        return m_errorCode;
    for (;;) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (beforeAutoIncAttempt)
                beforeAutoIncAttempt(*this);
            if (addRow(true) == NoError) {
                m_reserved = primaryValue();
                return NoError;
            }
        }
        std::string key = m_errorKey;
        if (key.empty())
            for (size_t k = 0; k < FILE->keys.size() && key.empty(); ++k)
                if (FILE->keys[k].autoNumber > 0)
                    key = FILE->keyLabel(int(k));
        if (!m_errors)
            return m_errorCode;
        m_errors->setFile(QString::fromStdString(FILENAMEVALUE));
        m_errors->setKey(QString::fromStdString(key));
        m_errors->setErrorText(QString::fromStdString(m_errorText), m_errorCode);
        if (m_errors->throwMessage(Msg_RetryAutoInc) != LEVEL_BENIGN)
            return m_errorCode;
    }
}

int FileManager::CancelAutoInc(RelationManager* relate)
{
    if (!m_reserved)
        return NoError;
    if (relate && &relate->Me() != this)
        return fail(RecordNotAvailable, "The relation manager given belongs to " + relate->Me().FILENAMEVALUE + ".", 0);
    const int pk = FILE->primaryKey();
    *static_cast<int32_t*>(FILE->fields[size_t(FILE->keys[size_t(pk)].components[0].field)].at(BUFFER)) =
        int32_t(m_reserved);
    m_reserved = 0;
    return relate ? relate->Delete(false) : DeleteRecord();
}

int FileManager::Insert()
{
    if (const int rc = UseFile())
        return rc;
    if (!validate())
        return m_errorCode;
    const int rc = addRow(false);
    if (rc && m_errors)
        return fail(rc, m_errorText, rc == DupKeyError ? Msg_DuplicateKey : Msg_InsertFailed, m_errorKey);
    return rc;
}

int FileManager::TryInsert()
{
    if (const int rc = useFile(false))
        return rc;
    if (!validate(false))
        return m_errorCode;
    return addRow(false);
}

int FileManager::TryUpdate()
{
    if (const int rc = useFile(false))
        return rc;
    if (!validate(false))
        return m_errorCode;
    const int pk = FILE->primaryKey();
    if (pk < 0)
        return fail(RecordNotAvailable, FILENAMEVALUE + " has no primary key to update by.", 0);
    m_session.suspendReaders();
    const int pkField = FILE->keys[size_t(pk)].components[0].field;
    std::string sql = "UPDATE " + quoteName(m_openName) + " SET ";
    bool first = true;
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        if (int(i) == pkField)
            continue;
        sql += (first ? "" : ", ") + quoteName(FILE->fields[i].name) + " = ?";
        first = false;
    }
    sql += " WHERE " + quoteName(FILE->fields[size_t(pkField)].name) + " = ?";
    odbc::Statement* s = cached(sql);
    if (!s)
        return m_errorCode;
    int pos = 1;
    for (size_t i = 0; i < FILE->fields.size(); ++i)
        if (int(i) != pkField)
            bindValue(*s, pos, int(i));
    bindValue(*s, pos, pkField);
    if (!s->execute())
        return failFromDriver(s->error(), 0);
    if (s->rowCount() == 0)
        return fail(RecordNotAvailable, "The row of " + FILENAMEVALUE + " is no longer there.", 0);
    m_reserved = 0;
    return NoError;
}

int FileManager::Update()
{
    const int rc = TryUpdate();
    if (rc && m_errors)
        return fail(rc, m_errorText, rc == DupKeyError ? Msg_DuplicateKey : Msg_PutFailed, m_errorKey);
    return rc;
}

int FileManager::DeleteRecord()
{
    if (const int rc = UseFile())
        return rc;
    const int pk = FILE->primaryKey();
    if (pk < 0)
        return fail(RecordNotAvailable, FILENAMEVALUE + " has no primary key to delete by.", Msg_DeleteFailed);
    m_session.suspendReaders();
    const int pkField = FILE->keys[size_t(pk)].components[0].field;
    odbc::Statement* s = cached("DELETE FROM " + quoteName(m_openName) + " WHERE " +
                                quoteName(FILE->fields[size_t(pkField)].name) + " = ?");
    if (!s)
        return m_errorCode;
    int pos = 1;
    bindValue(*s, pos, pkField);
    if (!s->execute())
        return failFromDriver(s->error(), Msg_DeleteFailed);
    if (m_reserved == primaryValue())
        m_reserved = 0;
    return NoError;
}

// --- reading by key ---

std::string FileManager::componentExpr(const KeyComponent& c, bool noCase) const
{
    const FieldDesc& f = FILE->fields[size_t(c.field)];
    std::string e = quoteName(f.name);
    if (c.datePart)
        return dialect::datePart(e);
    if (FILE->emptyIsNull(c.field))
        e = "COALESCE(" + e + ", '')";
    if (noCase && f.isText())
        e += dialect::noCase();
    return e;
}

SqlParam FileManager::componentValue(const KeyComponent& c) const
{
    if (!c.datePart)
        return componentValue(c.field);
    SqlParam p;
    p.text = dayText(*static_cast<int32_t*>(FILE->fields[size_t(c.field)].at(BUFFER)));
    return p;
}

std::vector<KeyComponent> FileManager::sequenceComponents() const
{
    std::vector<KeyComponent> comps;
    if (m_seq.key >= 0)
        comps = FILE->keys[size_t(m_seq.key)].components;
    const int pk = FILE->primaryKey();
    if (pk >= 0) {
        const int f = FILE->keys[size_t(pk)].components[0].field;
        if (std::none_of(comps.begin(), comps.end(), [&](const KeyComponent& c) { return c.field == f && !c.datePart; }))
            comps.push_back({f, false, false});
    }
    return comps;
}

std::string FileManager::keyCondition(int key, int components, std::vector<SqlParam>& params, bool* emptyAsNull) const
{
    const KeyDesc& k = FILE->keys.at(size_t(key));
    std::string out;
    for (int c = 0; c < components && c < int(k.components.size()); ++c) {
        const KeyComponent& kc = k.components[size_t(c)];
        SqlParam value = componentValue(kc);
        out += c ? " AND " : "";
        if (!kc.datePart && FILE->emptyIsNull(kc.field)) {
            // The bare column, so the key's index serves the lookup (an expression around it
            // would scan the table). An empty value is stored as NULL, or as '' by older rows.
            const FieldDesc& f = FILE->fields[size_t(kc.field)];
            const std::string column = quoteName(f.name) + (k.noCase ? dialect::noCase() : "");
            if (value.text.empty()) {
                out += "(" + quoteName(f.name) + " IS NULL OR " + column + " = ?)";
                if (emptyAsNull)
                    *emptyAsNull = true;
            } else {
                out += column + " = ?";
            }
        } else {
            out += componentExpr(kc, k.noCase) + " = ?";
        }
        params.push_back(std::move(value));
    }
    return out;
}

std::string FileManager::fetchSql(const std::string& where) const
{
    // Of equal rows (a key that allows duplicates) the one added first.
    const int pk = FILE->primaryKey();
    const std::string first = pk < 0 ? std::string() :
        " ORDER BY " + quoteName(FILE->fields[size_t(FILE->keys[size_t(pk)].components[0].field)].name);
    return "SELECT " + columnList() + " FROM " + quoteName(m_openName) + " WHERE " + where + first +
           dialect::firstRowOnly();
}

std::string FileManager::FetchSql(int key)
{
    if (useFile(false) || key < 0 || key >= int(FILE->keys.size()))
        return {};
    std::vector<SqlParam> params;
    return fetchSql(keyCondition(key, int(FILE->keys[size_t(key)].components.size()), params));
}

int FileManager::TryFetch(int key)
{
    if (const int rc = useFile(false))
        return rc;
    if (key < 0 || key >= int(FILE->keys.size()))
        return fail(RecordNotFound, "No key " + std::to_string(key) + " in " + FILENAMEVALUE + ".", 0);
    std::vector<SqlParam> params;
    bool emptyAsNull = false;
    const std::string where = keyCondition(key, int(FILE->keys[size_t(key)].components.size()), params, &emptyAsNull);
    // Two plans per key: with and without an empty value among its components.
    if (m_fetchPlans.size() != 2 * FILE->keys.size())
        m_fetchPlans.assign(2 * FILE->keys.size(), nullptr);
    odbc::Statement*& s = m_fetchPlans[size_t(key) + (emptyAsNull ? FILE->keys.size() : 0)];
    if (!s)
        s = cached(fetchSql(where));
    if (!s)
        return m_errorCode;
    int pos = 1;
    bindParams(*s, params, pos);
    if (!s->execute())
        return failFromDriver(s->error(), 0);
    const bool found = s->fetch();
    if (found)
        loadRow(*s);
    const odbc::Error e = s->error();
    s->closeCursor();
    if (!found)
        return e.ok() ? fail(RecordNotFound, "No row of " + FILENAMEVALUE + " has these " +
                                                 FILE->keyLabel(key) + " values.", 0, FILE->keyLabel(key))
                      : failFromDriver(e, 0);
    m_errorCode = 0;
    return NoError;
}

int FileManager::Fetch(int key)
{
    const int rc = TryFetch(key);
    if (rc == RecordNotFound) {
        clearBuffer();
        if (m_errors) {
            if (!m_errors->find(Msg_RecordNotFound))
                m_errors->addErrors({{Msg_RecordNotFound, LEVEL_PROGRAM, QStringLiteral("Record Not Found"),
                                      QStringLiteral("No record of the %File file has these %Key values.")}});
            fail(rc, m_errorText, Msg_RecordNotFound, m_errorKey);
        }
    } else if (rc && m_errors) {
        fail(rc, m_errorText, Msg_OpenFailed);
    }
    return rc;
}

// --- reading in order ---

void FileManager::resetSequence()
{
    m_cursor.reset();
    m_seq = Sequence{};
}

int FileManager::Set(int key)
{
    resetSequence();
    if (key < 0 || key >= int(FILE->keys.size()))
        return fail(RecordNotAvailable, "No key " + std::to_string(key) + " in " + FILENAMEVALUE + ".", 0);
    m_seq.key = key;
    return UseFile();
}

int FileManager::SetFrom(int key)
{
    if (const int rc = Set(key))
        return rc;
    m_seq.fromBuffer = true;
    for (const KeyComponent& c : FILE->keys[size_t(key)].components)
        m_seq.start.push_back(componentValue(c));
    return NoError;
}

int FileManager::SetOrder(const std::string& orderText)
{
    resetSequence();
    std::string error;
    if (!translateOrder(*FILE, orderText, m_seq.order, error))
        return fail(FilterError, error, 0);
    return UseFile();
}

int FileManager::SetRange(int key, int components)
{
    if (key < 0 || key >= int(FILE->keys.size()))
        return fail(RecordNotAvailable, "No key " + std::to_string(key) + " in " + FILENAMEVALUE + ".", 0);
    m_cursor.reset();
    m_seq.running = false;
    m_seq.range = {};
    m_seq.range.sql = keyCondition(key, components, m_seq.range.params);
    return NoError;
}

int FileManager::SetFilter(const std::string& filterText)
{
    m_cursor.reset();
    m_seq.running = false;
    std::string error;
    if (!translateFilter(*FILE, filterText, m_seq.filter, error))
        return fail(FilterError, error, 0);
    return NoError;
}

std::string FileManager::orderClause(bool forward) const
{
    if (m_seq.key < 0 && !m_seq.order.sql.empty() && forward)
        return m_seq.order.sql;
    const bool noCase = m_seq.key < 0 || FILE->keys[size_t(m_seq.key)].noCase;
    std::string out;
    for (const KeyComponent& c : sequenceComponents()) {
        const FieldDesc& f = FILE->fields[size_t(c.field)];
        std::string e = c.datePart ? dialect::datePart(quoteName(f.name)) : quoteName(f.name);
        if (noCase && f.isText())
            e += dialect::noCase();
        out += (out.empty() ? "" : ", ") + e + ((c.descending != !forward) ? " DESC" : " ASC");
    }
    return out;
}

std::string FileManager::positionClause(bool forward, bool inclusive, std::vector<SqlParam>& params) const
{
    // Rows after the position in the sequence's order: (a > ?) OR (a = ? AND b > ?) ...
    const bool noCase = m_seq.key < 0 || FILE->keys[size_t(m_seq.key)].noCase;
    const std::vector<KeyComponent> comps = sequenceComponents();
    std::vector<SqlParam> values;
    if (inclusive) {
        values = m_seq.start; // SetFrom: the key values only, the first matching row included
    } else if (!m_seq.resume.empty()) {
        values = m_seq.resume; // the last row read before the cursor was let go
    } else {
        for (const KeyComponent& c : comps)
            values.push_back(componentValue(c));
    }
    std::string out = "(";
    for (size_t i = 0; i < comps.size() && i < values.size(); ++i) {
        out += i ? " OR (" : "(";
        for (size_t j = 0; j < i; ++j) {
            out += componentExpr(comps[j], noCase) + " = ? AND ";
            params.push_back(values[j]);
        }
        const bool greater = comps[i].descending != forward;
        const bool last = i + 1 == comps.size() || i + 1 == values.size();
        out += componentExpr(comps[i], noCase) + (greater ? " >" : " <") + (inclusive && last ? "= ?" : " ?");
        params.push_back(values[i]);
        out += ")";
    }
    return out + ")";
}

int FileManager::readStep(bool forward)
{
    if (m_seq.passThrough) {
        if (!forward)
            return fail(RecordNotAvailable, "A statement's rows are read forwards only.", 0);
    } else if (!m_seq.running || m_seq.forward != forward) {
        if (m_seq.key < 0 && m_seq.order.sql.empty())
            return fail(RecordNotAvailable, "No order was set for " + FILENAMEVALUE + ".", 0);
        if (m_seq.running && m_seq.key < 0)
            return fail(RecordNotAvailable, "An order text is read in one direction only.", 0);
        if (const int rc = UseFile())
            return rc;
        std::vector<SqlParam> params;
        std::vector<std::string> conds;
        if (!m_seq.filter.sql.empty()) {
            conds.push_back("(" + m_seq.filter.sql + ")");
            params.insert(params.end(), m_seq.filter.params.begin(), m_seq.filter.params.end());
        }
        if (!m_seq.range.sql.empty()) {
            conds.push_back("(" + m_seq.range.sql + ")");
            params.insert(params.end(), m_seq.range.params.begin(), m_seq.range.params.end());
        }
        if ((m_seq.running || !m_seq.resume.empty()) && m_seq.haveRow)
            conds.push_back(positionClause(forward, false, params));
        else if (m_seq.fromBuffer)
            conds.push_back(positionClause(forward, true, params));
        std::string sql = "SELECT " + columnList() + " FROM " + quoteName(m_openName);
        for (size_t i = 0; i < conds.size(); ++i)
            sql += (i ? " AND " : " WHERE ") + conds[i];
        sql += " ORDER BY " + orderClause(forward);
        odbc::Connection* c = conn();
        if (!c)
            return m_errorCode;
        m_cursor = std::make_unique<odbc::Statement>(*c);
        int pos = 1;
        bindParams(*m_cursor, params, pos);
        if (!m_cursor->execDirect(sql))
            return failFromDriver(m_cursor->error(), 0);
        m_seq.running = true;
        m_seq.forward = forward;
        m_seq.ended = false;
    }
    if (!m_cursor || m_seq.ended)
        return fail(RecordNotAvailable, "No more rows.", 0);
    if (!m_cursor->fetch()) {
        m_seq.ended = true;
        const odbc::Error e = m_cursor->error();
        // Ends the statement's read transaction, so it holds no snapshot once read through.
        m_cursor->closeCursor();
        if (!e.ok())
            return failFromDriver(e, 0);
        return fail(RecordNotAvailable, "No more rows.", 0);
    }
    if (m_seq.passThrough) {
        const int n = m_cursor->columnCount();
        clearBuffer();
        for (int i = 0; i < n && i < int(FILE->fields.size()); ++i) {
            const FieldDesc& f = FILE->fields[size_t(i)];
            if (f.isText())
                *static_cast<std::string*>(f.at(BUFFER)) = clipUtf8(m_cursor->text(i + 1).value_or(""), f.maxChars());
        }
    } else {
        loadRow(*m_cursor);
        m_seq.lastRow = primaryValue();
        m_seq.resume.clear();
    }
    m_seq.haveRow = true;
    m_errorCode = 0;
    return NoError;
}

int FileManager::Next() { return readStep(true); }
int FileManager::Previous() { return readStep(false); }

int FileManager::ExecSql(const std::string& sql)
{
    resetSequence();
    m_seq.passThrough = true;
    odbc::Connection* c = conn();
    if (!c)
        return m_errorCode;
    m_cursor = std::make_unique<odbc::Statement>(*c);
    if (!m_cursor->execDirect(sql)) {
        m_seq.ended = true;
        return failFromDriver(m_cursor->error(), 0);
    }
    m_seq.running = true;
    if (m_cursor->columnCount() == 0)
        m_seq.ended = true;
    m_errorCode = 0;
    return NoError;
}

// --- RelationManager ---

void RelationManager::AddRelation(RelationManager* parent) { m_parents.push_back(parent); }

void RelationManager::AddRelation(RelationManager* child, int childKey, const std::string& parentField,
                                  const std::string& childField)
{
    m_children.push_back({child, childKey, parentField, childField});
}

void RelationManager::ensureRelations()
{
    if (m_relationsAdded)
        return;
    m_relationsAdded = true;
    if (DeferedAddRelations)
        DeferedAddRelations(*this);
}

const std::vector<RelationManager::Child>& RelationManager::Children()
{
    if (m_alias)
        return m_alias->Children();
    ensureRelations();
    return m_children;
}

const std::vector<RelationManager*>& RelationManager::Parents()
{
    if (m_alias)
        return m_alias->Parents();
    ensureRelations();
    return m_parents;
}

int RelationManager::Open()
{
    if (const int rc = m_file->Open())
        return rc;
    if (!m_openRelated)
        return NoError;
    for (const Child& c : Children())
        if (const int rc = c.child->Me().Open())
            return rc;
    for (RelationManager* p : Parents())
        if (const int rc = p->Me().Open())
            return rc;
    return NoError;
}

int RelationManager::Close()
{
    if (m_openRelated) {
        for (const Child& c : Children())
            c.child->Me().Close();
        for (RelationManager* p : Parents())
            p->Me().Close();
    }
    return m_file->Close();
}

void RelationManager::Kill()
{
    m_file->Kill();
    m_children.clear();
    m_parents.clear();
    m_relationsAdded = false;
}

int RelationManager::deleteTree(RelationManager& rm, const std::string& rows, int64_t id,
                                std::string& failedLabel, odbc::Error& err)
{
    // Children first, each level chosen through its parents' rows, so every statement is a
    // DELETE: the transaction writes from its first statement and never upgrades an old read.
    FileManager& f = rm.Me();
    if (const int rc = f.UseFile()) {
        failedLabel = f.FILENAMEVALUE;
        err = {rc, "", f.m_errorText};
        return rc;
    }
    const std::string table = quoteName(f.m_openName);
    for (const Child& ch : rm.Children()) {
        if (const int rc = ch.child->Me().UseFile()) {
            failedLabel = ch.child->Me().FILENAMEVALUE;
            err = {rc, "", ch.child->Me().m_errorText};
            return rc;
        }
        const std::string childRows = quoteName(ch.childField) + " IN (SELECT " + quoteName(ch.parentField) +
                                      " FROM " + table + " WHERE " + rows + ")";
        if (const int rc = deleteTree(*ch.child, childRows, id, failedLabel, err))
            return rc;
    }
    odbc::Statement s(f.m_session.raw());
    s.bindInt(1, id);
    if (!s.execDirect("DELETE FROM " + table + " WHERE " + rows)) {
        failedLabel = f.FILENAMEVALUE;
        err = s.error();
        return DriverError;
    }
    return NoError;
}

int RelationManager::Delete(bool ask)
{
    FileManager& f = *m_file;
    if (const int rc = f.UseFile())
        return rc;
    if (f.FILE->primaryKey() < 0)
        return f.fail(RecordNotAvailable, f.FILENAMEVALUE + " has no primary key to delete by.", Msg_DeleteFailed);
    if (ask && f.m_errors && f.m_errors->throwMessage(Msg_ConfirmDelete) != LEVEL_BENIGN)
        return LEVEL_CANCEL;
    odbc::Connection* c = f.conn();
    if (!c)
        return f.m_errorCode;
    const int64_t id = f.primaryValue();
    f.m_session.suspendReaders();
    std::string failedLabel;
    odbc::Error err;
    int rc = NoError;
    {
        odbc::Transaction tx(*c);
        if (!tx.started()) {
            failedLabel = f.FILENAMEVALUE;
            err = c->error();
            rc = DriverError;
        } else {
            const int pk = f.FILE->primaryKey();
            const std::string self = quoteName(f.FILE->fields[size_t(f.FILE->keys[size_t(pk)].components[0].field)].name) + " = ?";
            rc = deleteTree(*this, self, id, failedLabel, err);
            if (rc == NoError && !tx.commit()) {
                failedLabel = f.FILENAMEVALUE;
                err = c->error();
                rc = DriverError;
            }
        }
    }
    if (rc != NoError) {
        const std::string own = f.FILENAMEVALUE;
        f.FILENAMEVALUE = failedLabel; // %File names the table whose delete failed
        f.fail(rc, err.text, Msg_DeleteFailed);
        f.FILENAMEVALUE = own;
        return rc;
    }
    if (f.m_reserved == id)
        f.m_reserved = 0;
    return NoError;
}

} // namespace vrt
