#pragma once
#include "procedures/common/TreeLists.h"

#include <QString>

// The tree fillers' sources over the database: each reads its table through the calling
// thread's alias manager, in ordering-number order.
namespace VelmoraDll {

// Keeps the last failure of a source, so a caller can tell a read error from an empty table.
class TableSourceError {
public:
    int errorCode() const { return m_code; }
    QString errorText() const { return m_text; }

protected:
    int m_code = 0;
    QString m_text;
};

// Mail folders of every account (`AInbox`); POPID carries the folder's account id.
class InboxFolderSource : public TreeTableSource, public TableSourceError {
public:
    bool readAll(TreeQueue& rows) override;
};

// Contact groups (`ACON_GrupaAlias`).
class ContactGroupSource : public TreeTableSource, public TableSourceError {
public:
    bool readAll(TreeQueue& rows) override;
};

// Income and expense categories (`APrihodiRashodiKategorija`).
class CategorySource : public CategoryTableSource, public TableSourceError {
public:
    bool readAll(TreeQueue& rows) override;
    int64_t rowCount() override;
    bool insertRoot(const QString& name, int32_t type, int* errorCode, QString* errorText) override;
};

} // namespace VelmoraDll
