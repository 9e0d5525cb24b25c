#include "procedures/common/TreeTableSources.h"

#include "data/TableManagers.h"
#include "runtime/Odbc.h"

#include <QDebug>

namespace VelmoraDll {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

// Reads the whole table in `orderKey` order, one tree row per table row. Only the end of the
// table ends a clean read; any other code is kept in `error` and logged with the driver's text.
bool readInOrder(Tbl table, int orderKey, TreeRow (*row)(), TreeQueue& rows, int& code, QString& message)
{
    vrt::FileManager& f = Access(table);
    int rc = f.Opened() ? 0 : f.TryOpen();
    if (rc == 0)
        rc = f.Set(orderKey);
    while (rc == 0 && (rc = f.Next()) == 0)
        rows.push_back(row());
    f.EndSequence();
    if (rc == vrt::RecordNotAvailable) {
        code = 0;
        message.clear();
        return true;
    }
    code = rc;
    message = f.ErrorText();
    qWarning().noquote() << QString::fromStdString(f.FILENAMEVALUE) << "read stopped:" << code << message;
    return false;
}

template <class Rec>
TreeRow linkedRow(const Rec& r)
{
    TreeRow t;
    t.NAZIV = text(r.NAZIV);
    t.ID = r.ID;
    t.RODITELJ = r.TATAID;
    return t;
}

TreeRow folderRow()
{
    const Inbox_Rec& r = INBA();
    TreeRow t = linkedRow(r);
    t.REDOSLIJED = r.REDOSLIJED;
    t.POPID = QString::number(r.ACCOUNTID);
    t.ENNAZIV = text(r.ENNAZIV);
    return t;
}

TreeRow groupRow() { return linkedRow(CONGA()); }

TreeRow categoryRow()
{
    TreeRow t = linkedRow(APRK());
    t.REDOSLIJED = APRK().REDOSLIJED;
    return t;
}

} // namespace

bool InboxFolderSource::readAll(TreeQueue& rows)
{
    return readInOrder(Tbl::AInbox, Inba.Redoslijedi, &folderRow, rows, m_code, m_text);
}

bool ContactGroupSource::readAll(TreeQueue& rows)
{
    return readInOrder(Tbl::ACON_GrupaAlias, CONGA.Redoslijedi, &groupRow, rows, m_code, m_text);
}

bool CategorySource::readAll(TreeQueue& rows)
{
    return readInOrder(Tbl::APrihodiRashodiKategorija, APRK.Redoslijedi, &categoryRow, rows, m_code, m_text);
}

int64_t CategorySource::rowCount()
{
    vrt::FileManager& f = Access(Tbl::APrihodiRashodiKategorija);
    if (!f.Opened() && f.TryOpen() != 0) {
        m_code = f.ErrorCode();
        m_text = f.ErrorText();
        return -1;
    }
    vrt::odbc::Error why;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&why);
    if (!c) {
        m_code = vrt::DriverError;
        m_text = QString::fromStdString(why.text);
        return -1;
    }
    vrt::odbc::Statement s(*c);
    if (!s.execDirect("SELECT COUNT(*) FROM \"" + f.SqlName() + "\"") || !s.fetch()) {
        m_code = vrt::DriverError;
        m_text = QString::fromStdString(s.error().text);
        return -1;
    }
    return s.integer(1).value_or(-1);
}

bool CategorySource::insertRoot(const QString& name, int32_t type, int* errorCode, QString* errorText)
{
    vrt::FileManager& f = Access(Tbl::APrihodiRashodiKategorija);
    f.clearBuffer();
    PrihodiRashodiKategorija_Rec& r = APRK();
    r.NAZIV = name.toStdString();
    r.TATAID = 0;
    r.TIP = static_cast<uint8_t>(type);
    if (f.TryInsert() == 0)
        return true;
    m_code = *errorCode = f.ErrorCode();
    m_text = *errorText = f.ErrorText();
    return false;
}

} // namespace VelmoraDll
