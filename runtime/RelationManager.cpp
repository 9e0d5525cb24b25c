// Opening with the related tables, and deletes that cascade along the declared relations.
#include "runtime/FileManager.h"

namespace vrt {

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
    if (m_addRelations)
        m_addRelations(*this);
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
    if (!f.notifyBefore(FileOperation::Delete))
        return f.fail(f.m_errorCode, f.m_errorText, Msg_DeleteFailed);
    const int rc = deleteWithChildren();
    f.notifyAfter(FileOperation::Delete, rc);
    return rc;
}

int RelationManager::deleteWithChildren()
{
    FileManager& f = *m_file;
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
