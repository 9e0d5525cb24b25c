#include "procedures/organiser/window/OrganiserData.h"

#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/OpenFiles.h"
#include "runtime/Dialogs.h"

namespace organiser {

namespace {
struct Opened {
    Tbl table;
    bool related;
};
const Opened OrganiserTables[] = {
    {Tbl::ACAL_CalendarEvents, false}, {Tbl::ACAL_EventCategories, false}, {Tbl::ACON_ContactsAlias, false},
    {Tbl::ACON_GrupaAlias, false},     {Tbl::AEMAIL, false},               {Tbl::AEMAILATTACH, false},
    {Tbl::AInbox, false},              {Tbl::APrihodiRashodi, false},      {Tbl::APrihodiRashodiKategorija, false},
    {Tbl::Accounts, true},             {Tbl::CAL_CalendarEvents, false},   {Tbl::CAL_EventCategories, false},
    {Tbl::CON_Contacts, true},         {Tbl::IDKategorija, true},          {Tbl::Passwords, true},
    {Tbl::PrihodiRashodi, true},       {Tbl::ProizvodUsluga, false},       {Tbl::UDKategorija, true},
};
int g_opened = 0;

Tbl tableOf(Table t)
{
    switch (t) {
    case Table::IDokumenti: return Tbl::IDokumenti;
    case Table::UDokumenti: return Tbl::UDokumenti;
    case Table::PrihodiRashodi: return Tbl::PrihodiRashodi;
    case Table::CON_Contacts: return Tbl::CON_Contacts;
    case Table::Passwords: return Tbl::Passwords;
    case Table::ProizvodUsluga: return Tbl::ProizvodUsluga;
    case Table::CAL_CalendarEvents: return Tbl::CAL_CalendarEvents;
    }
    return Tbl::Count;
}
} // namespace

int openOrganiserTables()
{
    g_opened = 0;
    for (const auto& t : OrganiserTables) {
        if (t.related)
            Relate(t.table).SetOpenRelated();
        if (const int rc = Relate(t.table).Open()) {
            closeOrganiserTables();
            return rc;
        }
        ++g_opened;
    }
    for (Tbl t : {Tbl::PrihodiRashodiKategorija, Tbl::Inbox, Tbl::CON_Group})
        Access(t).UseFile();
    return 0;
}

void closeOrganiserTables()
{
    for (int i = 0; i < g_opened; ++i)
        Relate(OrganiserTables[i].table).Close();
    g_opened = 0;
}

bool TablePrimer::prime(Table table) { return Access(tableOf(table)).PrimeRecord() == 0; }

void TablePrimer::release(Table table) { Access(tableOf(table)).CancelAutoInc(&Relate(tableOf(table))); }

long long emailRowCount()
{
    vrt::FileManager& sql = Access(Tbl::SQL_File);
    const bool read = sql.ExecSql("SELECT COUNT(*) FROM \"" + Access(Tbl::EMAIL).SqlName() + "\"") == 0 && sql.Next() == 0;
    // A statement left open would hold its snapshot until the next count, and no checkpoint
    // could reuse the log meanwhile.
    sql.EndSequence();
    if (!read)
        return -1;
    return std::stoll(SQL().F1.empty() ? std::string("0") : SQL().F1);
}

bool markShownMailRead()
{
    if (EM().ID == 0 || EM().READ != 0)
        return true;
    vrt::FileManager& mails = Access(Tbl::EMAIL);
    if (mails.TryFetch(EM.IDKey) != 0)
        return true; // gone meanwhile: nothing to mark
    if (EM().READ != 0)
        return true;
    EM().READ = 1;
    if (mails.Update() == 0)
        return true;
    vrt::stop(QStringLiteral("W_First Email readed :") + QString::number(mails.ErrorCode()) + QStringLiteral(" : ") +
              mails.ErrorText());
    return false;
}

int DataLayerFiles::open()
{
    if (const int rc = W_First::OpenFilez())
        return rc;
    return openOrganiserTables();
}

void DataLayerFiles::close() { closeOrganiserTables(); }

long long DataLayerRecords::emailId() { return (long long)EM().ID; }
QString DataLayerRecords::messageId() { return QString::fromStdString(EM().MESSAGEID); }
long DataLayerRecords::eventId() { return long(CAL().EVENTID); }
long DataLayerRecords::taskCategoryId() { return long(CALC().ID); }
long DataLayerRecords::financeCategoryId() { return long(PRK().ID); }
int DataLayerRecords::financeCategoryType() { return int(PRK().TIP); }
bool DataLayerRecords::markShownRead() { return markShownMailRead(); }
long long DataLayerRecords::emailCount() { return emailRowCount(); }

void useDataLayer(OrganiserDeps& deps)
{
    static DataLayerFiles files;
    if (!deps.files)
        deps.files = &files;
    static TablePrimer primer;
    if (!deps.primer)
        deps.primer = &primer;
    static VelmoraDll::InboxFolderSource folders;
    static VelmoraDll::ContactGroupSource groups;
    if (!deps.folders)
        deps.folders = &folders;
    if (!deps.groups)
        deps.groups = &groups;
    static DataLayerRecords records;
    if (!deps.records)
        deps.records = &records;
}

} // namespace organiser
