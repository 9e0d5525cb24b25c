// Reading in order: a sequence by key, order text or statement, let go of and resumed around
// writes.
#include "runtime/FileManager.h"

#include "runtime/SqliteDialect.h"
#include "runtime/Text.h"

namespace vrt {

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
    notifyRead();
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

} // namespace vrt
