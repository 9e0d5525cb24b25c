#include "procedures/organiser/lists/ListSet.h"

#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

namespace organiser {

namespace {
// The user's settings root, as the sort class writes root handles.
const QString kCurrentUser = QStringLiteral("-2147483647");
// The order of the task category that stands for all of them ("*** Sve kategorije ***").
constexpr long kAllCategoriesOrder = 999999;
} // namespace

ListSet::ListSet(vrt::WindowManager* window, ListSetSide* side) : m_side(side)
{
    for (const ListDef& def : organiserLists())
        m_lists[def.control] = std::make_unique<OrganiserList>(def, window, static_cast<ListOwner*>(this));
    ListSortManager* mail = list(ctl::Email).sorter();
    mail->SetStorage(QStringLiteral("Velmora\\W_First"), kCurrentUser);
    mail->MULTIPLECOLUMNS = false;
    wire();
}

ListSet::~ListSet()
{
    // The mail sort is saved as the list closes; one never restored would overwrite the
    // stored sort with none.
    if (ListSortManager* mail = list(ctl::Email).sorter(); mail && !m_mailSortRestored)
        mail->SetStorage(QString(), QString());
}

OrganiserList& ListSet::list(int control) { return *m_lists.at(control); }

OrganiserList* ListSet::find(int control)
{
    const auto it = m_lists.find(control);
    return it == m_lists.end() ? nullptr : it->second.get();
}

void ListSet::wire()
{
    // A list that follows another's selection is read after it, with the range it set.
    for (const auto& [master, followers] : std::vector<std::pair<int, std::vector<int>>>{
             {ctl::Kontakti, {ctl::PZadaci, ctl::PUD, ctl::PID}},
             {ctl::TaskCategory, {ctl::Zadaci}},
             {ctl::PKat, {ctl::Pass}},
             {ctl::IDK, {ctl::ID}},
             {ctl::ID, {ctl::Stavke}},
             {ctl::UDK, {ctl::UD}}})
        for (int follower : followers)
            list(follower).browse().setMaster(&list(master).browse());
    list(ctl::Notes).model().editableColumns = noteEditableColumns();
    // An item form changes its document's amount: the documents are read again first.
    list(ctl::Stavke).browse().onUpdated = [this](int) {
        OrganiserList& docs = list(ctl::ID);
        const QVariant keep = docs.selectedId();
        docs.reset();
        docs.browse().selectId(keep);
    };
    m_wired = true;
}

void ListSet::newSelection(OrganiserList& l)
{
    if (!m_wired) // a list moved while the set is still being made: the others are not there yet
        return;
    const auto idOr = [&l](const char* field) {
        return l.selected() < 0 ? kNoRecord : l.cell(QLatin1String(field)).toLong();
    };
    // The identifiers come from the row being selected, never from the one left behind.
    switch (l.def().control) {
    case ctl::Kontakti:
        SelectedContactID = idOr("CON:ID");
        for (int c : {ctl::PZadaci, ctl::PUD, ctl::PID})
            list(c).setRange(qlonglong(SelectedContactID));
        break;
    case ctl::TaskCategory: {
        // The task list shows the tasks of the category selected beside it; the category that
        // stands for all of them ("*** Sve kategorije ***") shows every task.
        vrt::SqlPart only;
        if (l.selected() < 0 || l.cell(QStringLiteral("CALC:ORDER")).toLong() != kAllCategoriesOrder) {
            only.sql = "\"LABELID\" = ?";
            only.params.push_back({true, qlonglong(idOr("CALC:ID")), {}});
        }
        list(ctl::Zadaci).setCondition(only);
        break;
    }
    case ctl::Zadaci: PrintRecordID = l.cell(QStringLiteral("CAL:EVENTID")).toLong(); break;
    case ctl::PKat: list(ctl::Pass).setRange(qlonglong(idOr("PASK:ID"))); break;
    case ctl::IDK: list(ctl::ID).setRange(qlonglong(idOr("IDK:ID"))); break;
    case ctl::ID:
        SelectedDocumentID = idOr("ID:ID");
        if (l.selected() >= 0)
            PrintRecordID = SelectedDocumentID;
        list(ctl::Stavke).setRange(qlonglong(SelectedDocumentID));
        break;
    case ctl::UDK: list(ctl::UD).setRange(qlonglong(idOr("UDK:ID"))); break;
    case ctl::UD:
        if (l.selected() >= 0)
            PrintRecordID = l.cell(QStringLiteral("UD:ID")).toLong();
        break;
    case ctl::Email:
        if (m_side)
            m_side->mailSelected(l);
        break;
    default: break;
    }
}

void ListSet::primeFields(OrganiserList& l)
{
    switch (l.def().control) {
    case ctl::Pr: // a new entry belongs to the category selected in the tree, so the list shows it
        PR().KATEGORIJAID = int32_t(m_financeCategory);
        break;
    case ctl::Notes:
        NOTE().DATUM = vrt::today();
        NOTE().VRIJEME = vrt::clockNow();
        break;
    default: break;
    }
}

bool ListSet::editCell(OrganiserList& l, int row, int column, const QString& text)
{
    return l.def().control == ctl::Notes && editNote(row, column, text);
}

QIcon ListSet::icon(const QString& name) { return m_side ? m_side->icon(name) : QIcon(); }

void ListSet::setMailFolder(long inboxId)
{
    OrganiserList& mail = list(ctl::Email);
    mail.source().rangeValue = qlonglong(inboxId);
    if (!m_mailSortRestored) {
        // The first sort of the mail list brings back the stored one.
        m_mailSortRestored = true;
        mail.browse().setRange(qlonglong(inboxId));
        mail.sorter()->ClearSort();
        mail.source().setOrderText({});
        mail.sorter()->RestoreSortState();
        return;
    }
    mail.setRange(qlonglong(inboxId));
}

void ListSet::setContactGroup(long groupId)
{
    OrganiserList& contacts = list(ctl::Kontakti);
    contacts.setRange(qlonglong(groupId));
    if (contacts.rowCount() == 0) // an empty group empties the contact's lists too
        newSelection(contacts);
}

void ListSet::setFinanceCategory(long categoryId)
{
    m_financeCategory = categoryId;
    list(ctl::Pr).setCondition(categorySubtreeCondition(categoryId));
}

void ListSet::resetAll()
{
    // Every write in the program goes through the data layer, which counts it to its table:
    // a list whose tables were not written since it read them has nothing new to show.
    // A list not read yet (the window's first reset) is read at once, so the window opens
    // with every list as the data stands.
    for (const ListDef& def : organiserLists()) {
        vrt::Browse& b = list(def.control).browse();
        if (b.reads() == 0)
            b.resetFromView();
        else
            b.refresh();
    }
}

bool ListSet::clickNote(int row, int column)
{
    OrganiserList& notes = list(ctl::Notes);
    if (!notes.select(row))
        return false;
    if (column != 0)
        return true;
    const QString id = notes.cell(QStringLiteral("NOTE:ID"));
    TagSetClass& tags = VelmoraDll::tagSet();
    tags.Toggle(id);
    vrt::FileManager& f = Access(Tbl::Notes);
    f.clearBuffer();
    NOTE().ID = id.toInt();
    int rc = f.TryFetch(NOTE.IDKey);
    if (rc == 0) {
        NOTE().STATUS = tags.IsTagged(id) ? 1 : 0;
        rc = f.TryUpdate();
    }
    if (rc != 0) {
        // The icon shows what is stored: a failed write takes the toggle back.
        tags.Toggle(id);
        vrt::stop(QStringLiteral("Notes SwapTag :") + QString::number(rc) + QStringLiteral(" : ") + f.ErrorText());
    }
    notes.reset();
    return rc == 0;
}

void ListSet::restoreNoteTags()
{
    OrganiserList& notes = list(ctl::Notes);
    notes.reset();
    for (int r = 0; r < notes.rowCount(); ++r)
        if (notes.cell(QStringLiteral("NOTE:STATUS"), r).toInt() != 0)
            VelmoraDll::tagSet().Add(notes.cell(QStringLiteral("NOTE:ID"), r));
    notes.repaint(); // the tags show; the rows are as they were
}

std::vector<int> ListSet::noteEditableColumns()
{
    const ListDef& def = *listDef(ctl::Notes);
    std::vector<int> out;
    for (const char* field : {"NOTE:NASLOV", "NOTE:OPIS", "NOTE:NAPOMENA"})
        out.push_back(def.columnOf(QLatin1String(field)));
    return out;
}

bool ListSet::insertNote()
{
    OrganiserList& notes = list(ctl::Notes);
    const auto id = notes.source().primeRecord();
    if (!id)
        return false;
    notes.reset();
    notes.selectId(*id);
    return true;
}

bool ListSet::editNote(int row, int column, const QString& text)
{
    OrganiserList& notes = list(ctl::Notes);
    const QString field = QLatin1String(notes.def().columns[size_t(column)].field);
    const auto editable = noteEditableColumns();
    if (std::find(editable.begin(), editable.end(), column) == editable.end())
        return false;
    vrt::FileManager& f = Access(Tbl::Notes);
    f.clearBuffer();
    NOTE().ID = notes.cell(QStringLiteral("NOTE:ID"), row).toInt();
    int rc = f.TryFetch(NOTE.IDKey);
    if (rc == 0) {
        const std::string value = text.toStdString();
        if (field == QLatin1String("NOTE:NASLOV"))
            NOTE().NASLOV = value;
        else if (field == QLatin1String("NOTE:OPIS"))
            NOTE().OPIS = value;
        else
            NOTE().NAPOMENA = value;
        rc = f.TryUpdate();
    }
    if (rc != 0) {
        if (f.Errors()) {
            f.Errors()->setErrorText(f.ErrorText());
            f.Errors()->throwMessage(vrt::Msg_PutFailed);
        }
        return false;
    }
    // The row changes in place: reading the list again would end the editing that Tab has
    // just moved to the next column.
    if (notes.browse().model().setCellText(row, column, text)) {
        notes.browse().markCurrent();
    } else {
        const QVariant keep = notes.cell(QStringLiteral("NOTE:ID"), row).toLongLong();
        notes.reset();
        notes.browse().selectId(keep);
    }
    return true;
}

QString ListSet::passwordLink(int mouseColumn)
{
    OrganiserList& pass = list(ctl::Pass);
    if (mouseColumn != pass.def().columnOf(QStringLiteral("PAS:LOKACIJA")) || pass.selected() < 0)
        return {};
    return pass.cell(QStringLiteral("PAS:LOKACIJA")).trimmed();
}

int ListSet::ask(int control, int request)
{
    OrganiserList& l = list(control);
    RememberedRow = l.selected();
    const int response = l.browse().ask(request);
    if (response != vrt::REQUEST_COMPLETED)
        return response;
    if (control == ctl::Pr) {
        // Insert and change stay on their record (the browse selects it); a delete selects
        // the row above.
        if (request == vrt::DELETE_RECORD && l.rowCount() > 0)
            l.browse().select(std::max(0, RememberedRow - 1));
        if (m_side)
            m_side->financeChanged();
    } else if (control == ctl::ID) {
        const QVariant keep = l.selectedId();
        resetAll();
        l.browse().selectId(keep);
    }
    newSelection(l);
    return response;
}

} // namespace organiser
