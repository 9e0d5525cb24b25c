#include "procedures/documents/BusinessForms.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "procedures/documents/BusinessData.h"
#include "procedures/common/ListLayoutView.h"
#include "runtime/BrowseView.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace business {

namespace {

QString iniPath() { return corvalde::dataPath(QStringLiteral("Standard.ini")); }

// A list of one table in its own window: insert, change and delete through the table's form,
// and, opened to pick, "Izbor" takes the highlighted row into the record buffer.
class ListWindow : public vrt::WindowManager {
public:
    ListWindow(const Forms& forms, TableListSource& source, const QString& caption, const QString& name, int request,
               std::function<void()> form)
        : m_forms(forms), m_browse(source, this), m_form(std::move(form)), m_picker(request == vrt::SELECT_RECORD),
          m_name(name)
    {
        m_dialog.setObjectName(name);
        m_dialog.setWindowTitle(forms.tr(caption));
        m_browse.setErrors(corvalde::ThreadManagersErrors());
        m_browse.addOrder({QStringLiteral("ID"), -1});
        if (m_form)
            m_browse.setUpdateNumber(1);
        m_browse.setSelectMode(m_picker);
        m_view = new vrt::BrowseView(m_browse, &m_dialog);
        m_view->setObjectName(QStringLiteral("?LIST"));
        QStringList headers;
        for (const auto& c : source.columns())
            headers << forms.tr(c.header);
        m_browse.model().setHeaders(headers);
        m_browse.model().setAlternateColour(QColor(0xEA, 0xF4, 0xFF));
        for (size_t i = 0; i < source.columns().size(); ++i) {
            if (source.columns()[i].width == 0)
                m_view->setColumnHidden(int(i), true);
            else
                m_view->setColumnWidth(int(i), source.columns()[i].width);
        }
        m_view->horizontalHeader()->setStretchLastSection(true);
        VelmoraDll::restoreListLayout(m_view->horizontalHeader(), name, QStringLiteral("?List"));
        sortByHeader(m_view->horizontalHeader(), source, m_browse, [this] { m_view->syncSelection(); });
        auto* layout = new QVBoxLayout(&m_dialog);
        layout->addWidget(m_view);
        auto* buttons = new QHBoxLayout;
        auto button = [&](const char* control, const QString& text, std::function<void()> fn) {
            auto* b = new QPushButton(forms.tr(text), &m_dialog);
            b->setObjectName(QString::fromLatin1(control));
            b->setAutoDefault(false);
            QObject::connect(b, &QPushButton::clicked, &m_dialog, [this, fn] {
                fn();
                m_view->syncSelection();
            });
            buttons->addWidget(b);
            return b;
        };
        if (m_form) {
            button("?INSERT", QStringLiteral("Unos"), [this] { m_browse.insertRecord(); });
            button("?CHANGE", QStringLiteral("Izmjena"), [this] { m_browse.changeRecord(); });
            button("?DELETE", QStringLiteral("Brisanje"), [this] {
                if (!beforeDelete || beforeDelete(m_browse.selectedId()))
                    m_browse.deleteRecord();
            });
        }
        buttons->addStretch();
        if (m_picker)
            button("?SELECT", QStringLiteral("Izbor"), [this] { m_browse.activate(); })->setDefault(true);
        button("?CLOSE", QStringLiteral("Zatvori"), [this] {
            setResponse(m_picker ? vrt::REQUEST_CANCELLED : vrt::REQUEST_COMPLETED);
            m_dialog.reject();
        });
        layout->addLayout(buttons);
        m_dialog.resize(560, 400);
        setWindow(&m_dialog);
        pxp::themeLibraryWindow(&m_dialog);
    }

    // Runs before a delete of the row; false stops it.
    std::function<bool(const QVariant& id)> beforeDelete;

    int init() override
    {
        m_browse.resetFromView();
        // A picker opens on the row its caller holds.
        if (m_current.isValid())
            m_browse.selectId(m_current);
        if (m_browse.selected() < 0)
            m_browse.select(0);
        m_view->syncSelection();
        return vrt::WindowManager::init();
    }

    int kill() override
    {
        VelmoraDll::saveListLayout(m_view->horizontalHeader(), m_name, QStringLiteral("?List"));
        return vrt::WindowManager::kill();
    }

    int run(int number, int request) override
    {
        if (number != 1 || !m_form)
            return vrt::REQUEST_CANCELLED;
        GLOBALREQUEST = uint8_t(request);
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        m_form();
        return GLOBALRESPONSE;
    }
    using vrt::WindowManager::run;

    void setCurrent(long id)
    {
        if (id)
            m_current = QVariant::fromValue<qlonglong>(id);
    }

private:
    const Forms& m_forms;
    vrt::Browse m_browse; // outlives the dialog, whose view shows its rows
    QDialog m_dialog;
    vrt::BrowseView* m_view = nullptr;
    std::function<void()> m_form;
    bool m_picker;
    QString m_name;
    QVariant m_current;
};

int runList(ListWindow& w)
{
    openBusinessTables();
    const int response = w.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

// A plain update form of one table through the runtime's dialog.
void runPlainForm(const Forms& forms, Tbl t, const QString& procedure, std::vector<vrt::FormField> fields,
                  std::function<bool()> mayRemove = {})
{
    openBusinessTables();
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    RecordTarget target(t, std::move(mayRemove));
    vrt::UpdateFormController controller(target, request, procedure);
    controller.translate = forms.translate();
    controller.setErrors(corvalde::ThreadManagersErrors());
    for (auto& f : fields)
        f.prompt = forms.tr(f.prompt);
    controller.setFields(std::move(fields));
    vrt::UpdateDialog dialog(controller, forms.tr(QStringLiteral("Ažuriranje")), forms.parent);
    dialog.setObjectName(procedure);
    dialog.okButton()->setObjectName(QStringLiteral("?OK"));
    dialog.cancelButton()->setObjectName(QStringLiteral("?CANCEL"));
    dialog.setCancelText(forms.tr(QStringLiteral("Prekid")));
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    // A row this form primed itself goes too, not only one its caller primed.
    if (request == vrt::INSERT_RECORD && response != vrt::REQUEST_COMPLETED)
        target.cancelAutoInc();
    GLOBALRESPONSE = uint8_t(response ? response : vrt::REQUEST_CANCELLED);
}

vrt::FormField textField(const char* name, const char* prompt, std::string* (*field)(), int chars)
{
    vrt::FormField f;
    f.name = QString::fromLatin1(name);
    f.prompt = QString::fromUtf8(prompt);
    f.get = [field] { return QString::fromStdString(*field()); };
    f.set = [field, chars](const QString& v) { *field() = v.left(chars).toStdString(); };
    return f;
}

template <class Rec>
std::vector<vrt::FormField> categoryFields(Tbl t, const char* prefix)
{
    auto rec = [t]() -> Rec& { return *static_cast<Rec*>(corvalde::threadBuffer(t)); };
    const QString p = QString::fromLatin1(prefix);
    vrt::FormField n;
    n.name = p + QStringLiteral(":NAZIV");
    n.prompt = QStringLiteral("Naziv:");
    n.get = [rec] { return QString::fromStdString(rec().NAZIV); };
    n.set = [rec](const QString& v) { rec().NAZIV = v.left(254).toStdString(); };
    vrt::FormField m;
    m.name = p + QStringLiteral(":NAPOMENA");
    m.prompt = QStringLiteral("Napomena:");
    m.get = [rec] { return QString::fromStdString(rec().NAPOMENA); };
    m.set = [rec](const QString& v) { rec().NAPOMENA = v.left(7999).toStdString(); };
    return {n, m};
}

} // namespace

void sortByHeader(QHeaderView* header, TableListSource& source, vrt::Browse& browse, const std::function<void()>& shown)
{
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    QObject::connect(header, &QHeaderView::sectionClicked, header, [header, &source, &browse, shown](int column) {
        const bool descending = header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder;
        header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        source.sortBy(column, descending);
        browse.resetFromView();
        if (shown)
            shown();
    });
}

QString proposedTaxRate()
{
    return vrt::IniFile(iniPath()).get(QStringLiteral("Porez"), QStringLiteral("Stopa"), QStringLiteral("0"));
}

void Forms::say(const QString& text, bool stopIcon) const
{
    vrt::message(tr(text), tr(QStringLiteral("Velmora")), stopIcon ? vrt::Icon::Hand : vrt::Icon::Question);
}

// ---- products -------------------------------------------------------------------------------

void Forms::F_Proizvodi()
{
    std::vector<vrt::FormField> fields;
    fields.push_back(textField("PRU:NAZIV", "Naziv:", [] { return &PRU().NAZIV; }, 254));
    fields.push_back(textField("PRU:JM", "Jm:", [] { return &PRU().JM; }, 19));
    fields.push_back(textField("PRU:NAPOMENA", "Napomena:", [] { return &PRU().NAPOMENA; }, 7999));
    runPlainForm(*this, Tbl::ProizvodUsluga, QStringLiteral("F_Proizvodi"), std::move(fields), [this] {
        if (!productInUse(PRU().ID))
            return true;
        say(QStringLiteral("Proizvod/usluga se koristi u stavkama dokumenta!"), true);
        return false;
    });
}

int Forms::T_Proizvodi(int request)
{
    TableListSource source(Tbl::ProizvodUsluga, {{QStringLiteral("Naziv"), "NAZIV", false, 220},
                                                 {QStringLiteral("Jm"), "JM", false, 50},
                                                 {QStringLiteral("Napomena"), "NAPOMENA", false, 200},
                                                 {QStringLiteral("ID"), "ID", false, 40}});
    ListWindow w(*this, source, QStringLiteral("Proizvodi/usluge"), QStringLiteral("T_Proizvodi"), request,
                 [this] { F_Proizvodi(); });
    w.setCurrent(PRU().ID);
    return runList(w);
}

// ---- categories -----------------------------------------------------------------------------

void Forms::F_ID_Kategorija()
{
    runPlainForm(*this, Tbl::IDKategorija, QStringLiteral("F_ID_Kategorija"), categoryFields<IDKategorija_Rec>(Tbl::IDKategorija, "IDK"));
}

void Forms::F_UD_Kategorija()
{
    runPlainForm(*this, Tbl::UDKategorija, QStringLiteral("F_UD_Kategorija"), categoryFields<UDKategorija_Rec>(Tbl::UDKategorija, "UDK"));
}

namespace {
int categoryList(Forms& forms, Tbl categories, Tbl documents, const QString& name, int request,
                 std::vector<ListColumn> columns, std::function<void()> form)
{
    TableListSource source(categories, std::move(columns));
    ListWindow w(forms, source, QStringLiteral("Kategorije"), name, request, std::move(form));
    // The picker's delete warns as the organiser window's does: documents (and their items)
    // go with the category.
    w.beforeDelete = [&forms, documents](const QVariant& id) {
        if (!id.isValid() || documentsInCategory(documents, long(id.toLongLong())) == 0)
            return true;
        return vrt::message(forms.tr(QStringLiteral("Brisanjem kategorije obrisati će se dokumenti i stavke.Želite li nastaviti?")),
                            forms.tr(QStringLiteral("Velmora")), vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO,
                            vrt::BUTTON_NO) == vrt::BUTTON_YES;
    };
    w.setCurrent(*static_cast<int32_t*>(corvalde::declaration(categories).fields[0].at(corvalde::threadBuffer(categories))));
    return runList(w);
}
} // namespace

int Forms::T_ID_Kategorija(int request)
{
    return categoryList(*this, Tbl::IDKategorija, Tbl::IDokumenti, QStringLiteral("T_ID_Kategorija"), request,
                        {{QStringLiteral("ID"), "ID", false, 0},
                         {QStringLiteral("Tata ID"), "TATAID", false, 0},
                         {QStringLiteral("Naziv"), "NAZIV", false, 300},
                         {QStringLiteral("Redoslijed"), "REDOSLIJED", false, 0},
                         {QStringLiteral("Napomena"), "NAPOMENA", false, 0}},
                        [this] { F_ID_Kategorija(); });
}

int Forms::T_UD_Kategorija(int request)
{
    return categoryList(*this, Tbl::UDKategorija, Tbl::UDokumenti, QStringLiteral("T_UD_Kategorija"), request,
                        {{QStringLiteral("Naziv"), "NAZIV", false, 250},
                         {QStringLiteral("Napomena"), "NAPOMENA", false, 200},
                         {QStringLiteral("ID"), "ID", false, 0},
                         {QStringLiteral("Tata ID"), "TATAID", false, 0},
                         {QStringLiteral("Redoslijed"), "REDOSLIJED", false, 0}},
                        [this] { F_UD_Kategorija(); });
}

// ---- contacts -------------------------------------------------------------------------------

std::optional<long> Forms::T_Kontakti(long current) { return mailpeople::pickContact(parent, current); }

// ---- company settings -----------------------------------------------------------------------

namespace {
struct CompanyKey {
    const char* key;
    const char* prompt;
    int chars;
    const char* control;
};
const CompanyKey kCompanyKeys[] = {
    {"CompanyName", "Tvrtka:", 254, "?COMPANYNAME"},     {"CompanySlogan", "Slogan tvrtke:", 254, "?COMPANYSLOGAN"},
    {"PerosnInCharge", "Prezime i ime:", 254, "?PEROSNINCHARGE"}, {"Street", "Adresa:", 254, "?STREET"},
    {"City", "Grad:", 99, "?CITY"},                      {"State", "Država:", 99, "?STATE"},
    {"Zip", "Poštanski broj:", 20, "?ZIP"},              {"Phone", "Telefon:", 49, "?PHONE"},
    {"Fax", "Fax:", 99, "?FAX"},                         {"Web", "Web:", 99, "?WEB"},
    {"Email", "Email:", 99, "?LC:EMAIL"}};
struct DayKey {
    const char* name;
    int bit;
};
const DayKey kDays[] = {{"Ponedjeljak", 2}, {"Utorak", 4},  {"Srijeda", 8}, {"Četvrtak", 16},
                        {"Petak", 32},      {"Subota", 64}, {"Nedjelja", 1}};
} // namespace

void Forms::W_Postavke()
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("W_Postavke"));
    dialog.setWindowTitle(tr(QStringLiteral("Postavke")));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    auto* company = new QWidget(tabs);
    auto* form = new QFormLayout(company);
    std::vector<QLineEdit*> entries;
    for (const auto& k : kCompanyKeys) {
        auto* e = new QLineEdit(company);
        e->setObjectName(QString::fromLatin1(k.control));
        e->setMaxLength(k.chars);
        form->addRow(tr(QString::fromUtf8(k.prompt)), e);
        entries.push_back(e);
    }
    tabs->addTab(company, tr(QStringLiteral("Tvrtka")));
    auto* gantt = new QWidget(tabs);
    gantt->setObjectName(QStringLiteral("?TAB2"));
    auto* ganttLayout = new QVBoxLayout(gantt);
    auto* group = new QGroupBox(tr(QStringLiteral("Neradni dani")), gantt);
    auto* days = new QVBoxLayout(group);
    std::vector<QCheckBox*> boxes;
    for (int i = 0; i < 7; ++i) {
        auto* b = new QCheckBox(tr(QString::fromUtf8(kDays[i].name)), group);
        b->setObjectName(QStringLiteral("?NERADNI%1").arg(i + 1));
        days->addWidget(b);
        boxes.push_back(b);
    }
    ganttLayout->addWidget(group);
    ganttLayout->addStretch();
    tabs->addTab(gantt, tr(QStringLiteral("Gantt")));
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(&dialog);
    auto* close = buttons->addButton(tr(QStringLiteral("Zatvori")), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("?CLOSE"));
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("?OK"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);

    // ReadSettings
    const vrt::IniFile ini(iniPath());
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i]->setText(ini.get(QStringLiteral("License"), QString::fromLatin1(kCompanyKeys[i].key)));
    for (int i = 0; i < 7; ++i) {
        // A missing key has its default; one present but empty reads as 0.
        const auto v = ini.value(QStringLiteral("Gantt"), QStringLiteral("NonWorking%1").arg(i + 1));
        boxes[size_t(i)]->setChecked(v ? v->trimmed().toInt() != 0 : i == 6);
    }

    pxp::themeLibraryWindow(&dialog);
    if (vrt::runModal(dialog) != QDialog::Accepted)
        return;
    // WriteSettings
    vrt::IniFile out(iniPath());
    bool written = true;
    for (size_t i = 0; i < entries.size(); ++i)
        written = out.put(QStringLiteral("License"), QString::fromLatin1(kCompanyKeys[i].key), entries[i]->text()) && written;
    for (int i = 0; i < 7; ++i)
        written = out.put(QStringLiteral("Gantt"), QStringLiteral("NonWorking%1").arg(i + 1),
                          QString::number(boxes[size_t(i)]->isChecked() ? kDays[i].bit : 0)) && written;
    if (!written) {
        vrt::message(tr(QStringLiteral("Postavke nisu spremljene:")) + QLatin1Char(' ') + out.errorString(),
                     tr(QStringLiteral("Velmora")), vrt::Icon::Hand);
        return;
    }
    vrt::message(tr(QStringLiteral("Da bi promjene bile vidljive,program ponovno pokrenite!")), tr(QStringLiteral("Velmora")),
                 vrt::Icon::Information);
}

} // namespace business
