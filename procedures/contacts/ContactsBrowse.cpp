#include "procedures/contacts/ContactsBrowse.h"

#include <QGridLayout>
#include <atomic>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "controls/Images.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/ContactGroups.h"
#include "extensions/DragLink.h"
#include "extensions/EditInPlaceView.h"
#include "extensions/FormCalls.h"
#include "procedures/contacts/ContactQuery.h"
#include "procedures/contacts/Contacts.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace mailpeople {

namespace {
constexpr int kContactForm = 1;
QString q(const std::string& s) { return QString::fromStdString(s); }

// Every open contact list hears of a contact a form changed or deleted.
SSTF::TBF::GLOBALCLASS& formCalls()
{
    static SSTF::TBF::GLOBALCLASS calls;
    return calls;
}

int64_t nextContext()
{
    static std::atomic<int64_t> last{0};
    return ++last;
}

class ContactsManager : public vrt::WindowManager {
public:
    explicit ContactsManager(QWidget* window) : m_window(window) {}
    int run(int number, int request) override
    {
        if (number != kContactForm || request == vrt::VIEW_RECORD)
            return vrt::REQUEST_CANCELLED;
        // A new contact is primed and stored by the list itself; changes and deletes go
        // through a call, so the other open lists show them too.
        const bool call = companion && request != vrt::INSERT_RECORD;
        const int64_t formContext = nextContext();
        SSTF::TBF::FORMCLASS form;
        if (call) {
            companion->STARTCALL(formContext, request);
            int r = request;
            form.INIT(formCalls(), Access(Tbl::CON_Contacts), formContext, r);
            form.CATCHCALL();
        }
        GLOBALREQUEST = uint8_t(request);
        const int response = F_Contact(m_window);
        if (call)
            form.RETURNCALL(response == vrt::REQUEST_COMPLETED ? 1 : 2);
        return response;
    }
    SSTF::TBF::BROWSECLASS* companion = nullptr;

private:
    QWidget* m_window;
};
} // namespace

// A contact dragged from the list onto a group of the tree moves into that group.
class ContactToGroup : public SDD::DRAGANDDROPCLASS {
public:
    ContactToGroup(vrt::Browse& browse, vrt::BrowseView* list, GroupTree* tree) : m_browse(browse), m_list(list), m_tree(tree)
    {
        INIT(list, tree, QStringLiteral("T_Kontakti:Grupa"));
    }
    void DROP() override
    {
        const QModelIndex at = m_tree->indexAt(DROPPOS);
        const long group = at.isValid() ? long(at.data(VelmoraDll::TreeQueueModel::IdRole).toLongLong()) : 0;
        if (group == 0 || DRAGGEDROW < 0 || !m_browse.source().load(m_browse.model().idAt(DRAGGEDROW)))
            return;
        if (CON().GRUPAID == group)
            return;
        CON().GRUPAID = int32_t(group);
        if (Access(Tbl::CON_Contacts).Update() != vrt::NoError)
            return;
        m_browse.resetFromView();
        m_list->syncSelection();
    }

private:
    vrt::Browse& m_browse;
    vrt::BrowseView* m_list;
    GroupTree* m_tree;
};

// The contacts of one group, in id order; a new contact starts in that group.
class ContactSource : public vrt::FileBrowseSource {
public:
    ContactSource()
        : vrt::FileBrowseSource(Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts),
                                {{tx(QStringLiteral("Tvrtka")), [] { return q(CON().TVRTKA); }},
                                 {tx(QStringLiteral("Prezime i ime")),
                                  [] { return contactDisplayName(q(CON().PREZIME), q(CON().SREDNJEIME), q(CON().IME)); }},
                                 {tx(QStringLiteral("Email")), [] { return q(CON().EMAIL); }},
                                 {tx(QStringLiteral("Prezime")), [] { return q(CON().PREZIME); }},
                                 {tx(QStringLiteral("Srednje Ime")), [] { return q(CON().SREDNJEIME); }},
                                 {tx(QStringLiteral("Ime")), [] { return q(CON().IME); }},
                                 {QStringLiteral("0"), [] { return q(CON().ADRESA1); }},
                                 {QStringLiteral("0"), [] { return q(CON().ADRESA2); }},
                                 {QStringLiteral("ID"), [] { return QString::number(CON().ID); }}})
    {
        addOrder({CON.GrupaIDKey, {}, 1});
        applyRange = [](const QVariant& v) { CON().GRUPAID = int32_t(v.toLongLong()); };
    }
    long group = 0;
    std::optional<QVariant> primeRecord() override
    {
        vrt::FileManager& f = Access(Tbl::CON_Contacts);
        f.clearBuffer();
        CON().GRUPAID = int32_t(group);
        if (f.PrimeRecord(true) != vrt::NoError)
            return std::nullopt;
        return QVariant(qlonglong(CON().ID));
    }
};

ContactsBrowse::ContactsBrowse(int pick, QWidget* parent) : QDialog(parent), m_pick(pick)
{
    setObjectName(QStringLiteral("T_Kontakti"));
    setWindowTitle(tx(QStringLiteral("Kontakti")));
    for (Tbl t : {Tbl::CON_Contacts, Tbl::CON_Group, Tbl::ACON_ContactsAlias, Tbl::ACON_GrupaAlias})
        if (!Access(t).Opened())
            Access(t).Open();
    const QString folder = dataFolder();

    m_source = std::make_unique<ContactSource>();
    m_manager = std::make_unique<ContactsManager>(this);
    m_manager->setErrors(VelmoraDll::LibraryErrors(), QStringLiteral("T_Kontakti"));
    m_browse = std::make_unique<vrt::Browse>(*m_source, m_manager.get());
    m_browse->addOrder({QStringLiteral("CON:GrupaIDKey"), -1});
    m_browse->setUpdateNumber(kContactForm);
    m_browse->setErrors(VelmoraDll::LibraryErrors());
    // The window runs with the select request: a double click takes the contact.
    m_browse->setSelectMode(true);

    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(this);
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_groups = new GroupTree(left);
    leftLayout->addWidget(m_groups, 1);
    auto* groupButtons = new QGridLayout;
    addGroupButtons(this, groupButtons, m_groups, 2);
    leftLayout->addLayout(groupButtons);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_list = new vrt::BrowseView(*m_browse, right);
    m_list->setObjectName(QStringLiteral("?LIST"));
    m_formCalls = std::make_unique<SSTF::TBF::BROWSECLASS>();
    m_formCalls->INIT(formCalls(), nextContext(), QStringLiteral("T_Kontakti"), *m_browse, Access(Tbl::CON_Contacts), m_list);
    connect(m_formCalls.get(), &SSTF::TBF::BROWSECLASS::resetWindow, m_list, &vrt::BrowseView::syncSelection);
    static_cast<ContactsManager*>(m_manager.get())->companion = m_formCalls.get();
    m_toGroup = std::make_unique<ContactToGroup>(*m_browse, m_list, m_groups);
    m_cells = std::make_unique<SBRW::EditInPlace>(m_list);
    for (auto [column, member] : {std::pair{0, &CON_Contacts_Rec::TVRTKA}, std::pair{2, &CON_Contacts_Rec::EMAIL}}) {
        const auto get = [this, column](int row) { return m_browse->model().data(m_browse->model().index(row, column)).toString(); };
        const auto set = [this, column, member](int row, const QString& value) {
            if (!m_source->load(m_browse->model().idAt(row)))
                return false;
            CON().*member = value.toStdString();
            if (Access(Tbl::CON_Contacts).Update() != vrt::NoError)
                return false;
            m_browse->model().setCellText(row, column, value);
            m_browse->markCurrent();
            return true;
        };
        m_cells->addColumn(column, SBRW::EditColumn(SBRW::CellKind::Entry, get, set));
    }
    rightLayout->addWidget(m_list, 1);
    auto* contactButtons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* text;
        const char* icon;
    } contactDefs[] = {{"?INSERT", "Unos", "i.ico"}, {"?CHANGE", "Izmjena", "c.ico"}, {"?DELETE", "Brisanje", "d.ico"}, {"?QUERY", "Upit", "search.ico"}, {"?FIND", "Traži", "search.ico"}};
    for (const auto& b : contactDefs) {
        auto* p = new QPushButton(controls::imageIcon(folder, QString::fromLatin1(b.icon)), tx(QString::fromUtf8(b.text)), right);
        p->setObjectName(QLatin1String(b.name));
        p->setAutoDefault(false);
        contactButtons->addWidget(p);
    }
    contactButtons->addStretch(1);
    rightLayout->addLayout(contactButtons);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    layout->addWidget(splitter, 1);

    auto* recipients = new QGridLayout;
    const struct {
        const char* name;
        const char* text;
        const char* entry;
    } recipientDefs[] = {{"?BPRIMA", "Prima", "?MC:TO"}, {"?BCC", "CC", "?MC:CC"}, {"?BBCC", "BCC", "?MC:BCC"}};
    for (int k = 0; k < 3; ++k) {
        auto* p = new QPushButton(tx(QString::fromUtf8(recipientDefs[k].text)), this);
        p->setObjectName(QLatin1String(recipientDefs[k].name));
        p->setAutoDefault(false);
        m_recipients[k] = new QLineEdit(this);
        m_recipients[k]->setObjectName(QLatin1String(recipientDefs[k].entry));
        recipients->addWidget(p, k, 0);
        recipients->addWidget(m_recipients[k], k, 1);
        const auto kind = RecipientBuffer::Kind(k);
        connect(p, &QPushButton::clicked, this, [this, kind] { addRecipient(kind); });
        connect(m_recipients[k], &QLineEdit::textEdited, this, [kind](const QString& t) { RecipientBuffer::instance().setText(kind, t); });
    }
    layout->addLayout(recipients);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* ok = new QPushButton(controls::imageIcon(folder, QStringLiteral("ok.ico")), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("?OK"));
    auto* select = new QPushButton(controls::imageIcon(folder, QStringLiteral("ok.ico")), QStringLiteral("OK"), this);
    select->setObjectName(QStringLiteral("?SELECT"));
    auto* close = new QPushButton(controls::imageIcon(folder, QStringLiteral("cancel.ico")), tx(QStringLiteral("Prekid")), this);
    close->setObjectName(QStringLiteral("?CLOSE"));
    for (QPushButton* p : {ok, select, close}) {
        p->setAutoDefault(false);
        bottom->addWidget(p);
    }
    layout->addLayout(bottom);

    QHeaderView* header = m_list->horizontalHeader();
    VelmoraDll::setDesignWidths(header, {135, 160, 155, 0, 0, 0, 0, 0, 0});
    for (int c = 3; c < 9; ++c)
        m_list->setColumnHidden(c, true);
    VelmoraDll::restoreListLayout(header, QStringLiteral("T_Kontakti"), QStringLiteral("?List"));
    VelmoraDll::restoreListLayout(m_groups->header(), QStringLiteral("T_Kontakti"), QStringLiteral("?L:KontaktiGrupaQ"));

    connect(m_groups, &GroupTree::groupChanged, this, &ContactsBrowse::showGroup);
    connect(button(QStringLiteral("?INSERT")), &QPushButton::clicked, this, [this] { m_browse->insertRecord(); m_list->syncSelection(); });
    connect(button(QStringLiteral("?CHANGE")), &QPushButton::clicked, this, [this] { m_browse->changeRecord(); m_list->syncSelection(); });
    connect(button(QStringLiteral("?DELETE")), &QPushButton::clicked, this, [this] { m_browse->deleteRecord(); m_list->syncSelection(); });
    m_query = std::make_unique<ContactQuery>(*m_browse);
    connect(button(QStringLiteral("?FIND")), &QPushButton::clicked, this, [this] {
        // The contact found is shown in its group and opened for a change.
        if (const auto id = findContactByForm(this)) {
            showContact(*id);
            m_browse->changeRecord();
            m_list->syncSelection();
        }
    });
    connect(button(QStringLiteral("?QUERY")), &QPushButton::clicked, this, [this] {
        if (m_query->run(this))
            m_list->syncSelection();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (RecipientBuffer::instance().allEmpty())
            addRecipient(RecipientBuffer::To);
        done(vrt::REQUEST_COMPLETED);
    });
    connect(select, &QPushButton::clicked, this, &ContactsBrowse::takeContact);
    connect(close, &QPushButton::clicked, this, [this] {
        RecipientBuffer::instance().clear();
        done(vrt::REQUEST_CANCELLED);
    });
    connect(m_list, &QAbstractItemView::doubleClicked, this, &ContactsBrowse::activated);
    m_list->installEventFilter(this);

    // Pick mode: no recipients; the contact list as tall as the tree, OK where it always is.
    const bool picking = pick == 1;
    ok->setVisible(!picking);
    select->setVisible(picking);
    for (int k = 0; k < 3; ++k) {
        m_recipients[k]->setVisible(!picking);
        button(QLatin1String(recipientDefs[k].name))->setVisible(!picking);
    }
    showRecipients();
    showGroup(m_groups->currentGroup());
    resize(900, 540);
    restorePlace(*this, QStringLiteral("T_Kontakti"));
    m_groups->setFocus();
}

ContactsBrowse::~ContactsBrowse() = default;

SDD::DRAGANDDROPCLASS* ContactsBrowse::groupDrag() const { return m_toGroup.get(); }

QPushButton* ContactsBrowse::button(const QString& name) const { return findChild<QPushButton*>(name); }

void ContactsBrowse::showGroup(long id)
{
    m_source->group = id;
    m_browse->setRange(QVariant(qlonglong(id)));
    m_browse->resetFromView();
    m_list->syncSelection();
}

void ContactsBrowse::showContact(long contactId)
{
    if (contactId <= 0)
        return;
    vrt::FileManager& f = Access(Tbl::ACON_ContactsAlias);
    f.clearBuffer();
    ACON().ID = int32_t(contactId);
    if (f.TryFetch(ACON.IDKey) != 0 || !m_groups->selectGroup(ACON().GRUPAID))
        return;
    showGroup(m_groups->currentGroup());
    m_browse->selectId(QVariant(qlonglong(contactId)));
    m_list->syncSelection();
}

void ContactsBrowse::showRecipients()
{
    for (int k = 0; k < 3; ++k)
        m_recipients[k]->setText(RecipientBuffer::instance().text(RecipientBuffer::Kind(k)));
}

void ContactsBrowse::addRecipient(RecipientBuffer::Kind kind)
{
    const QVariant id = m_browse->selectedId();
    if (!id.isValid())
        return;
    // The address is read through the alias, so the contact buffer keeps what the caller had.
    vrt::FileManager& f = Access(Tbl::ACON_ContactsAlias);
    f.clearBuffer();
    ACON().ID = int32_t(id.toLongLong());
    if (f.TryFetch(ACON.IDKey) != 0)
        return;
    RecipientBuffer::instance().add(kind, q(ACON().EMAIL));
    showRecipients();
}

void ContactsBrowse::activated()
{
    if (m_pick != 1)
        addRecipient(RecipientBuffer::To);
    takeContact();
}

bool ContactsBrowse::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a contact does what a double click does.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            activated();
            return true;
        }
        // F2: the company and e-mail of the contacts are edited in the list itself.
        if (key == Qt::Key_F2 && m_browse->selected() >= 0) {
            m_cells->edit(m_browse->selected(), 0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ContactsBrowse::takeContact()
{
    const QVariant id = m_browse->selectedId();
    if (!id.isValid() || !m_source->load(id))
        return;
    done(vrt::REQUEST_COMPLETED);
}

int ContactsBrowse::run()
{
    pxp::themeLibraryWindow(this);
    vrt::runModal(*this);
    return result() == vrt::REQUEST_COMPLETED ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED;
}

void ContactsBrowse::done(int result)
{
    VelmoraDll::saveListLayout(m_list->horizontalHeader(), QStringLiteral("T_Kontakti"), QStringLiteral("?List"));
    VelmoraDll::saveListLayout(m_groups->header(), QStringLiteral("T_Kontakti"), QStringLiteral("?L:KontaktiGrupaQ"));
    savePlace(*this, QStringLiteral("T_Kontakti"));
    QDialog::done(result);
}

int T_Kontakti(int pick, QWidget* parent)
{
    GLOBALRESPONSE = 0;
    ContactsBrowse window(pick, parent);
    const int response = window.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

std::optional<long> pickContact(QWidget* parent, long current)
{
    const uint8_t request = GLOBALREQUEST, response = GLOBALRESPONSE;
    GLOBALREQUEST = vrt::SELECT_RECORD;
    ContactsBrowse window(1, parent);
    window.showContact(current);
    const bool taken = window.run() == vrt::REQUEST_COMPLETED;
    GLOBALREQUEST = request;
    GLOBALRESPONSE = response;
    if (!taken)
        return std::nullopt;
    return long(CON().ID);
}

} // namespace mailpeople
