// Adding, numbering, updating and deleting rows.
#include "runtime/FileManager.h"

#include "runtime/SqliteDialect.h"

#include <cstdint>

namespace vrt {

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
    // The reserved row is an insert: the callbacks may refuse it.
    if (!notifyBefore(FileOperation::Insert))
        return m_errors ? fail(m_errorCode, m_errorText, Msg_InsertFailed) : m_errorCode;
    const auto done = [this](int rc) {
        notifyAfter(FileOperation::Insert, rc);
        return rc;
    };
    for (;;) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (beforeAutoIncAttempt)
                beforeAutoIncAttempt(*this);
            if (addRow(true) == NoError) {
                m_reserved = primaryValue();
                return done(NoError);
            }
        }
        std::string key = m_errorKey;
        if (key.empty())
            for (size_t k = 0; k < FILE->keys.size() && key.empty(); ++k)
                if (FILE->keys[k].autoNumber > 0)
                    key = FILE->keyLabel(int(k));
        if (!m_errors)
            return done(m_errorCode);
        m_errors->setFile(QString::fromStdString(FILENAMEVALUE));
        m_errors->setKey(QString::fromStdString(key));
        m_errors->setErrorText(QString::fromStdString(m_errorText), m_errorCode);
        if (m_errors->throwMessage(Msg_RetryAutoInc) != LEVEL_BENIGN)
            return done(m_errorCode);
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
    int rc = m_errorCode;
    if (notifyBefore(FileOperation::Insert)) {
        rc = addRow(false);
        notifyAfter(FileOperation::Insert, rc);
    }
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
    if (!notifyBefore(FileOperation::Insert))
        return m_errorCode;
    const int rc = addRow(false);
    notifyAfter(FileOperation::Insert, rc);
    return rc;
}

int FileManager::TryUpdate()
{
    if (const int rc = useFile(false))
        return rc;
    if (!validate(false))
        return m_errorCode;
    if (!notifyBefore(FileOperation::Update))
        return m_errorCode;
    const int rc = updateRow();
    notifyAfter(FileOperation::Update, rc);
    return rc;
}

int FileManager::updateRow()
{
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
    if (!notifyBefore(FileOperation::Delete))
        return fail(m_errorCode, m_errorText, Msg_DeleteFailed);
    m_session.suspendReaders();
    const int pkField = FILE->keys[size_t(pk)].components[0].field;
    odbc::Statement* s = cached("DELETE FROM " + quoteName(m_openName) + " WHERE " +
                                quoteName(FILE->fields[size_t(pkField)].name) + " = ?");
    int rc = m_errorCode;
    if (s) {
        int pos = 1;
        bindValue(*s, pos, pkField);
        rc = s->execute() ? NoError : failFromDriver(s->error(), Msg_DeleteFailed);
    }
    notifyAfter(FileOperation::Delete, rc);
    if (rc)
        return rc;
    if (m_reserved == primaryValue())
        m_reserved = 0;
    return NoError;
}

} // namespace vrt
