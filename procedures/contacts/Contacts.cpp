#include "procedures/contacts/Contacts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/Dictionary.h"
#include "extensions/EnterIsTab.h"
#include "extensions/TabPopup.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/ContactGroups.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace mailpeople {

namespace {
struct ContactField {
    const char* name;
    std::string CON_Contacts_Rec::*member;
    int characters;
};
// Rows of the two tabs: a prompt and the fields that share its row.
struct Row {
    const char* prompt;
    std::vector<ContactField> fields;
};
const std::vector<Row>& personRows()
{
    static const std::vector<Row> rows{
        {"Prezime:", {{"PREZIME", &CON_Contacts_Rec::PREZIME, 254}}},
        {"Srednje ime:", {{"SREDNJEIME", &CON_Contacts_Rec::SREDNJEIME, 254}}},
        {"Ime:", {{"IME", &CON_Contacts_Rec::IME, 254}}},
        {"Adresa:", {{"ADRESA1", &CON_Contacts_Rec::ADRESA1, 254}}},
        {"", {{"ADRESA2", &CON_Contacts_Rec::ADRESA2, 254}}},
        {"Poštanski broj:", {{"POSTBROJ", &CON_Contacts_Rec::POSTBROJ, 19}}},
        {"Grad:", {{"GRAD", &CON_Contacts_Rec::GRAD, 99}}},
        {"Država:", {{"DRZAVA", &CON_Contacts_Rec::DRZAVA, 99}}},
        {"Email:", {{"EMAIL", &CON_Contacts_Rec::EMAIL, 254}}},
        {"Web:", {{"WEB", &CON_Contacts_Rec::WEB, 254}}},
        {"Telefon:", {{"PHONE1", &CON_Contacts_Rec::PHONE1, 49}, {"PHONE2", &CON_Contacts_Rec::PHONE2, 49}, {"PHONE3", &CON_Contacts_Rec::PHONE3, 49}}}};
    return rows;
}
const std::vector<Row>& companyRows()
{
    static const std::vector<Row> rows{
        {"Tvrtka:", {{"TVRTKA", &CON_Contacts_Rec::TVRTKA, 254}}},
        {"Porezni broj:", {{"POREZNIBROJ", &CON_Contacts_Rec::POREZNIBROJ, 49}}},
        {"Matični broj:", {{"MATICNIBROJ", &CON_Contacts_Rec::MATICNIBROJ, 49}}},
        {"Adresa:", {{"TADRESA1", &CON_Contacts_Rec::TADRESA1, 199}}},
        {"", {{"TADRESA2", &CON_Contacts_Rec::TADRESA2, 199}}},
        {"Poštanski broj:", {{"TPOSTBROJ", &CON_Contacts_Rec::TPOSTBROJ, 19}}},
        {"Grad:", {{"TGRAD", &CON_Contacts_Rec::TGRAD, 99}}},
        {"Država:", {{"TDRZAVA", &CON_Contacts_Rec::TDRZAVA, 99}}},
        {"Telefon:", {{"TPHONE1", &CON_Contacts_Rec::TPHONE1, 19}, {"TPHONE2", &CON_Contacts_Rec::TPHONE2, 19}, {"TPHONE3", &CON_Contacts_Rec::TPHONE3, 19}}},
        {"Web:", {{"TWEB", &CON_Contacts_Rec::TWEB, 99}}},
        {"Email:", {{"TEMAIL", &CON_Contacts_Rec::TEMAIL, 99}}}};
    return rows;
}
template <class F>
void eachField(F f)
{
    for (const auto* rows : {&personRows(), &companyRows()})
        for (const Row& r : *rows)
            for (const ContactField& c : r.fields)
                f(c);
}
QString q(const std::string& s) { return QString::fromStdString(s); }

// Whether `table` has a row whose `column` is `id`.
std::optional<bool> referenced(Tbl table, const char* column, long id)
{
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    if (!c)
        return std::nullopt;
    vrt::odbc::Statement s(*c);
    const std::string sql = "SELECT EXISTS (SELECT 1 FROM \"" + Access(table).SqlName() + "\" WHERE \"" + column + "\" = ?)";
    if (!s.prepare(sql))
        return std::nullopt;
    s.bindInt(1, id);
    if (!s.execute() || !s.fetch())
        return std::nullopt;
    const auto v = s.integer(1);
    if (!v)
        return std::nullopt;
    return *v != 0;
}
} // namespace

bool contactInUse(long id)
{
    const struct {
        Tbl table;
        const char* column;
    } refs[] = {{Tbl::UDokumenti, "DOBAVLJACID"}, {Tbl::IDokumenti, "KUPACID"}, {Tbl::CAL_CalendarEvents, "PARTNERID"}};
    for (const auto& r : refs) {
        const auto found = referenced(r.table, r.column, id);
        if (!found || *found)
            return true;
    }
    return false;
}

QString contactDisplayName(const QString& surname, const QString& middle, const QString& name)
{
    QString out = surname + QLatin1Char(' ');
    if (!middle.trimmed().isEmpty())
        out += middle + QLatin1Char(' ');
    return out + name;
}

ContactForm::ContactForm(vrt::FormTarget& target, int request, QWidget* parent)
    : QDialog(parent), m_controller(target, request, QStringLiteral("F_Contact"))
{
    setObjectName(QStringLiteral("F_Contact"));
    setWindowTitle(tx(QStringLiteral("Kontakt")));
    m_controller.translate = [](const QString& t) { return tx(t); };
    m_controller.setErrors(VelmoraDll::LibraryErrors());

    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(m_controller.title(tx(QStringLiteral("Kontakt"))), this);
    m_heading->setObjectName(QStringLiteral("?NASLOV"));
    m_heading->setStyleSheet(m_controller.titleRed() ? QStringLiteral("color: #ff0000; font-weight: bold;") : QStringLiteral("font-weight: bold;"));
    layout->addWidget(m_heading);

    const bool editable = m_controller.editable();
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("?SHEET1"));
    auto page = [&](const std::vector<Row>& rows, const char* caption) {
        auto* w = new QWidget(m_tabs);
        auto* form = new QFormLayout(w);
        for (const Row& r : rows) {
            auto* line = new QHBoxLayout;
            for (const ContactField& c : r.fields) {
                auto* e = new QLineEdit(w);
                e->setObjectName(QStringLiteral("?CON:") + QLatin1String(c.name));
                e->setMaxLength(c.characters);
                e->setReadOnly(!editable);
                e->installEventFilter(this);
                line->addWidget(e);
                m_entries[QLatin1String(c.name)] = e;
            }
            form->addRow(*r.prompt ? tx(QString::fromUtf8(r.prompt)) : QString(), line);
        }
        m_tabs->addTab(w, tx(QString::fromUtf8(caption)));
    };
    page(personRows(), "Osnovni podaci");
    page(companyRows(), "Tvrtka");
    layout->addWidget(m_tabs);
    layout->addWidget(new QLabel(tx(QStringLiteral("Napomena:")), this));
    m_note = new QPlainTextEdit(this);
    m_note->setObjectName(QStringLiteral("?CON:NAPOMENA"));
    m_note->setReadOnly(!editable);
    m_note->setMaximumHeight(90);
    layout->addWidget(m_note);

    auto* foot = new QHBoxLayout;
    m_id = new QLabel(this);
    m_id->setObjectName(QStringLiteral("?CON:ID"));
    m_group = new QLineEdit(this);
    m_group->setObjectName(QStringLiteral("?CON:GRUPAID"));
    m_group->setReadOnly(true);
    m_group->hide();
    foot->addWidget(m_id);
    foot->addWidget(m_group);
    foot->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("?OK"));
    m_cancel = buttons->addButton(tx(QStringLiteral("Prekid")), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("?CANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ContactForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ContactForm::reject);
    foot->addWidget(buttons);
    layout->addLayout(foot);

    std::vector<vrt::FormField> fields;
    eachField([&](const ContactField& c) {
        fields.push_back({QLatin1String(c.name), QString(), [m = c.member] { return q(CON().*m); },
                          [m = c.member](const QString& v) { CON().*m = v.toStdString(); }});
    });
    fields.push_back({QStringLiteral("NAPOMENA"), QString(), [] { return q(CON().NAPOMENA); },
                      [](const QString& v) { CON().NAPOMENA = v.toStdString(); }});
    m_controller.setFields(std::move(fields));

    // Enter moves from field to field; a right click on the tabs lists them all.
    std::vector<QWidget*> entries;
    for (const auto& [name, e] : m_entries)
        entries.push_back(e);
    SSTF::enterMovesOn(this, entries);
    SBRW::tabMenu(this, {m_tabs});
    resize(560, 560);
}

QLineEdit* ContactForm::entry(const QString& field) const
{
    const auto it = m_entries.find(field);
    return it == m_entries.end() ? nullptr : it->second;
}

void ContactForm::fromRecord()
{
    eachField([&](const ContactField& c) { entry(QLatin1String(c.name))->setText(q(CON().*c.member)); });
    m_note->setPlainText(q(CON().NAPOMENA));
    m_id->setText(QString::number(CON().ID));
    m_group->setText(QString::number(CON().GRUPAID));
}

void ContactForm::toRecord()
{
    if (!m_controller.editable())
        return;
    eachField([&](const ContactField& c) { CON().*c.member = entry(QLatin1String(c.name))->text().toStdString(); });
    CON().NAPOMENA = m_note->toPlainText().left(7999).toStdString();
}

int ContactForm::run()
{
    if (!m_controller.open())
        return m_controller.response();
    fromRecord();
    pxp::themeLibraryWindow(this);
    vrt::runModal(*this);
    if (m_controller.response() == vrt::RESPONSE_NONE)
        m_controller.cancel();
    return m_controller.response();
}

void ContactForm::accept()
{
    toRecord();
    const int request = m_controller.request();
    if (request == vrt::DELETE_RECORD) {
        if (m_inUse || contactInUse(CON().ID)) {
            m_inUse = true;
            vrt::message(tx(QStringLiteral("Kontakt se koristi u programu i brisanje nije moguće!")), {}, vrt::Icon::Hand);
            return;
        }
    } else if (request == vrt::INSERT_RECORD || request == vrt::CHANGE_RECORD) {
        // A contact is kept in a group; a delete needs none.
        if (CON().GRUPAID == 0) {
            // The group picker (T_GrupaKontakti): the group chosen or 0.
            CON().GRUPAID = int32_t(T_GrupaKontakti(this));
            m_group->setText(QString::number(CON().GRUPAID));
            if (CON().GRUPAID == 0)
                return;
        }
    }
    if (!m_controller.ok())
        return;
    QDialog::accept();
}

void ContactForm::reject()
{
    m_controller.cancel();
    QDialog::reject();
}

bool ContactForm::eventFilter(QObject* watched, QEvent* event)
{
    return restoreFromHistory(m_controller, watched, event) || QDialog::eventFilter(watched, event);
}

int F_Contact(QWidget* parent)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    for (Tbl t : {Tbl::CON_Contacts, Tbl::CON_Group})
        if (!Access(t).Opened())
            Access(t).Open();
    vrt::FileBrowseSource target(Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts), {});
    ContactForm form(target, request, parent);
    const int response = form.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace mailpeople
