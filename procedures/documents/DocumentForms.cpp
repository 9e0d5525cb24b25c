#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "chrome/QuickDateKeys.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/documents/BusinessData.h"
#include "procedures/documents/BusinessForms.h"
#include "procedures/documents/ItemCalc.h"
#include "procedures/common/ListLayoutView.h"
#include "runtime/BrowseView.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace business {

namespace {

// The frame every document form shares: title line by request, OK and "Prekid".
struct FormFrame {
    QDialog dialog;
    QLabel* title = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QVBoxLayout* layout = nullptr;

    FormFrame(const Forms& forms, const vrt::UpdateFormController& c, const QString& name)
        : dialog(forms.parent)
    {
        dialog.setObjectName(name);
        dialog.setWindowTitle(forms.tr(QStringLiteral("Ažuriranje")));
        layout = new QVBoxLayout(&dialog);
        title = new QLabel(c.title(forms.tr(QStringLiteral("Naslov"))), &dialog);
        title->setObjectName(QStringLiteral("?NASLOV"));
        QFont f = title->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        title->setFont(f);
        if (c.titleRed())
            title->setStyleSheet(QStringLiteral("color: #ff0000;"));
        layout->addWidget(title);
    }
    void addButtons(const Forms& forms, bool view)
    {
        auto* row = new QHBoxLayout;
        row->addStretch();
        cancel = new QPushButton(forms.tr(QStringLiteral("Prekid")), &dialog);
        cancel->setObjectName(QStringLiteral("?CANCEL"));
        cancel->setAutoDefault(false);
        ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setObjectName(QStringLiteral("?OK"));
        ok->setAutoDefault(false);
        ok->setVisible(!view);
        row->addWidget(cancel);
        row->addWidget(ok);
        layout->addLayout(row);
        // The form's fields are in place: its dates answer the one-key date commands.
        auto* dateKeys = new MH::QUICKENDATECLASS(&dialog);
        dateKeys->INIT(&dialog, MH::QUICKENDATECLASS::localeWeekStart());
    }
};

// Ctrl+H in an entry puts back the value its field had in the last record this form saved.
class HistoryKeys : public QObject {
public:
    HistoryKeys(vrt::UpdateFormController& controller, std::function<void()> before, std::function<void()> after,
                QObject* parent)
        : QObject(parent), m_controller(controller), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    // Each field is known by the object name of the widget the user presses the keys in.
    void watch(QDialog& dialog)
    {
        for (const auto& f : m_controller.fields())
            if (QWidget* w = dialog.findChild<QWidget*>(f.name))
                w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_H || key->modifiers() != Qt::ControlModifier)
            return false;
        if (m_before)
            m_before(); // what is on screen first, so the other entries keep it
        if (!m_controller.restoreHistory(watched->objectName()))
            return true;
        m_after();
        return true;
    }

private:
    vrt::UpdateFormController& m_controller;
    std::function<void()> m_before, m_after;
};

// A history field over a text member of a record buffer.
template <class Rec>
vrt::FormField textHistory(const char* control, Rec& rec, std::string Rec::*member)
{
    vrt::FormField f;
    f.name = QString::fromLatin1(control);
    f.get = [&rec, member] { return QString::fromStdString(rec.*member); };
    f.set = [&rec, member](const QString& v) { rec.*member = v.toStdString(); };
    return f;
}
template <class Rec, class Int>
vrt::FormField numberHistory(const char* control, Rec& rec, Int Rec::*member)
{
    vrt::FormField f;
    f.name = QString::fromLatin1(control);
    f.get = [&rec, member] { return QString::number(rec.*member); };
    f.set = [&rec, member](const QString& v) { rec.*member = Int(v.toLongLong()); };
    return f;
}

// A read-only name with the button that picks it.
struct LookupRow {
    QLineEdit* name;
    QToolButton* button;
};
LookupRow lookupRow(QWidget* parent, const QString& control, const QString& buttonControl)
{
    LookupRow r{new QLineEdit(parent), new QToolButton(parent)};
    r.name->setObjectName(control);
    r.name->setReadOnly(true);
    r.name->setStyleSheet(QStringLiteral("background: #e8e8e8;"));
    r.button->setObjectName(buttonControl);
    r.button->setArrowType(Qt::DownArrow);
    return r;
}
QWidget* pair(QWidget* parent, const LookupRow& r)
{
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(r.name, 1);
    l->addWidget(r.button);
    return w;
}

QLineEdit* amountEdit(QWidget* parent, const QString& control)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(control);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QDateEdit* dateEdit(QWidget* parent, const QString& control)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(control);
    d->setCalendarPopup(true);
    return d;
}

QLineEdit* textEdit(QWidget* parent, const QString& control, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(control);
    e->setMaxLength(maxLength);
    return e;
}

QPlainTextEdit* noteEdit(QWidget* parent, const QString& control, int height)
{
    auto* n = new QPlainTextEdit(parent);
    n->setObjectName(control);
    n->setMaximumHeight(height);
    return n;
}

// Fetches the document the item belongs to when the thread's buffer holds another.
void documentOfItem()
{
    if (IDS().DOKUMENTID != 0 && ID().ID != IDS().DOKUMENTID) {
        ID().ID = IDS().DOKUMENTID;
        Access(Tbl::IDokumenti).TryFetch(ID_Prefix::IDKey);
    }
}

} // namespace

// ---- F_ID_Stavke ----------------------------------------------------------------------------

namespace {

// A picked row that has gone meanwhile is picked again; false (the picker focused) when it is
// still gone.
template <class Id>
bool pickedRowExists(Tbl table, const Id& id, const std::function<void()>& pick, QWidget* picker)
{
    if (rowExists(table, id))
        return true;
    pick();
    if (rowExists(table, id))
        return true;
    picker->setFocus();
    return false;
}

// F_ID_Stavke: one item of an outgoing document; its amounts are worked out as they are typed.
class ItemForm {
public:
    ItemForm(Forms& forms, RecordTarget& target, vrt::UpdateFormController& controller, int request)
        : m_forms(forms), m_target(target), m_controller(controller), m_request(request), item(IDS()),
          m_editable(controller.editable()), m_frame(forms, controller, QStringLiteral("F_ID_Stavke")),
          m_dialog(m_frame.dialog)
    {
        if (m_request == vrt::INSERT_RECORD)
            primeNew();
        buildFields();
        m_frame.addButtons(m_forms, m_request == vrt::VIEW_RECORD);
        connectFields();
        connectButtons();
        show();
        if (m_request == vrt::INSERT_RECORD)
            QMetaObject::invokeMethod(m_product.button, "click", Qt::QueuedConnection);
    }

    void run(long documentId)
    {
        pxp::themeLibraryWindow(&m_dialog);
        vrt::runModal(m_dialog);
        if (m_controller.response() == vrt::RESPONSE_NONE)
            m_controller.cancel();
        if (m_request == vrt::INSERT_RECORD && m_controller.response() != vrt::REQUEST_COMPLETED)
            m_target.cancelAutoInc();
        // WriteTotal: the document's amount follows its stored items, whatever the answer.
        QString why;
        if (!writeDocumentTotal(documentId, &why))
            vrt::message(tr(QStringLiteral("Iznos dokumenta nije zapisan:")) + QLatin1Char(' ') + why,
                         tr(QStringLiteral("Velmora")), vrt::Icon::Hand);
        GLOBALRESPONSE = uint8_t(m_controller.response());
    }

private:
    struct Entry {
        ItemField field;
        std::string ItemAmounts::*member;
        const char* control;
        const char* prompt;
        bool percent;
        bool readOnly;
        QLineEdit* edit = nullptr;
    };

    QString tr(const QString& text) const { return m_forms.tr(text); }

    // A new item takes the last tax rate used, the document's category and the document.
    void primeNew()
    {
        item.POREZ_STOPA_DECIMAL =
            ItemCalc::fit(ItemCalc::value(proposedTaxRate().toStdString()), kTaxColumnChars).value_or("0");
        item.KATEGORIJAID = ID().KATEGORIJAID;
        if (item.DOKUMENTID == 0)
            item.DOKUMENTID = ID().ID;
    }

    void buildFields()
    {
        auto* form = new QFormLayout;
        m_product = lookupRow(&m_dialog, QStringLiteral("?LC:PROIZVOD"), QStringLiteral("?CALLLOOKUP"));
        form->addRow(tr(QStringLiteral("Proizvod/usluga:")), pair(&m_dialog, m_product));
        for (auto& e : m_entries) {
            e.edit = amountEdit(&m_dialog, QString::fromLatin1(e.control));
            e.edit->setReadOnly(e.readOnly || !m_editable);
            form->addRow(tr(QString::fromUtf8(e.prompt)), e.edit);
        }
        m_product.button->setEnabled(m_editable);
        m_frame.layout->addLayout(form);
    }

    void connectFields()
    {
        for (auto& e : m_entries)
            if (!e.readOnly)
                QObject::connect(e.edit, &QLineEdit::editingFinished, &m_dialog, [this, &e] { take(e); });
        m_controller.setFields({numberHistory("?LC:PROIZVOD", item, &IDStavke_Rec::PROIZVODUSLUGAID),
                                textHistory("?IDS:KOLICINA_DECIMAL", item, &IDStavke_Rec::KOLICINA_DECIMAL),
                                textHistory("?IDS:CIJENA_DECIMAL", item, &IDStavke_Rec::CIJENA_DECIMAL),
                                textHistory("?IDS:RABAT_JED_DECIMAL", item, &IDStavke_Rec::RABAT_JED_DECIMAL),
                                textHistory("?IDS:RABAT_POST_DECIMAL", item, &IDStavke_Rec::RABAT_POST_DECIMAL),
                                textHistory("?IDS:POREZ_STOPA_DECIMAL", item, &IDStavke_Rec::POREZ_STOPA_DECIMAL),
                                textHistory("?IDS:POREZ_IZNOS_DECIMAL", item, &IDStavke_Rec::POREZ_IZNOS_DECIMAL),
                                textHistory("?IDS:IZNOS_DECIMAL", item, &IDStavke_Rec::IZNOS_DECIMAL),
                                textHistory("?IDS:IZNOS_SPDVOM_DECIMAL", item, &IDStavke_Rec::IZNOS_SPDVOM_DECIMAL)});
        auto* history = new HistoryKeys(
            m_controller, [this] { for (auto& e : m_entries) take(e); }, [this] { show(); }, &m_dialog);
        history->watch(m_dialog);
        QObject::connect(m_product.button, &QToolButton::clicked, &m_dialog, [this] { pickProduct(); });
    }

    void connectButtons()
    {
        QObject::connect(m_frame.cancel, &QPushButton::clicked, &m_dialog, [this] {
            m_closing = true;
            m_controller.cancel();
            m_dialog.reject();
        });
        QObject::connect(m_frame.ok, &QPushButton::clicked, &m_dialog, [this] { confirm(); });
    }

    void confirm()
    {
        for (auto& e : m_entries)
            if (!take(e))
                return;
        m_closing = true;
        // A product that is gone is picked again; cancelling keeps the form open.
        if (item.PROIZVODUSLUGAID != 0 &&
            !pickedRowExists(Tbl::ProizvodUsluga, item.PROIZVODUSLUGAID, [this] { pickProduct(); }, m_product.button)) {
            m_closing = false;
            return;
        }
        if (m_request != vrt::VIEW_RECORD)
            vrt::IniFile(corvalde::dataPath(QStringLiteral("Standard.ini")))
                .put(QStringLiteral("Porez"), QStringLiteral("Stopa"), QString::fromStdString(item.POREZ_STOPA_DECIMAL));
        if (!m_controller.ok()) {
            m_closing = false;
            return;
        }
        m_dialog.accept();
    }

    ItemAmounts amounts() const
    {
        return ItemAmounts{item.KOLICINA_DECIMAL,   item.CIJENA_DECIMAL,       item.RABAT_JED_DECIMAL,
                           item.RABAT_POST_DECIMAL, item.POREZ_STOPA_DECIMAL, item.POREZ_IZNOS_DECIMAL,
                           item.IZNOS_DECIMAL,      item.IZNOS_SPDVOM_DECIMAL};
    }

    void store(const ItemAmounts& a)
    {
        item.KOLICINA_DECIMAL = a.quantity;
        item.CIJENA_DECIMAL = a.price;
        item.RABAT_JED_DECIMAL = a.discountAmount;
        item.RABAT_POST_DECIMAL = a.discountPercent;
        item.POREZ_STOPA_DECIMAL = a.taxRate;
        item.POREZ_IZNOS_DECIMAL = a.taxAmount;
        item.IZNOS_DECIMAL = a.net;
        item.IZNOS_SPDVOM_DECIMAL = a.gross;
    }

    void show()
    {
        const ItemAmounts a = amounts();
        for (auto& e : m_entries) {
            e.edit->setText(e.percent ? formatPercent(a.*e.member) : formatAmount(a.*e.member));
            e.edit->setModified(false);
        }
        m_product.name->setText(item.PROIZVODUSLUGAID ? productName(item.PROIZVODUSLUGAID) : QString());
    }

    // Only an entry the user changed is read back: the screen shows cents, the row keeps more.
    bool take(Entry& e)
    {
        if (m_closing || !e.edit->isModified())
            return true;
        const auto typed = parseAmount(e.edit->text());
        if (!typed) {
            m_forms.say(QStringLiteral("Neispravan iznos:") + QLatin1Char(' ') + tr(QString::fromUtf8(e.prompt)), true);
            show();
            e.edit->setFocus();
            return false;
        }
        ItemAmounts a = amounts();
        a.*e.member = *typed;
        const CalcOutcome out = ItemCalc::apply(a, e.field);
        if (!out.ok) {
            vrt::message(tr(QStringLiteral("Iznos ne stane u polje:")) + QLatin1Char(' ') + tr(out.field),
                         tr(QStringLiteral("Velmora")), vrt::Icon::Hand);
            show();
            e.edit->setFocus();
            return false;
        }
        store(a);
        show();
        return true;
    }

    void pickProduct()
    {
        PRU().ID = item.PROIZVODUSLUGAID;
        if (m_forms.T_Proizvodi(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            item.PROIZVODUSLUGAID = PRU().ID;
        m_product.name->setText(item.PROIZVODUSLUGAID ? productName(item.PROIZVODUSLUGAID) : QString());
    }

    Forms& m_forms;
    RecordTarget& m_target;
    vrt::UpdateFormController& m_controller;
    const int m_request;
    IDStavke_Rec& item;
    const bool m_editable;
    FormFrame m_frame;
    QDialog& m_dialog;
    LookupRow m_product{};
    bool m_closing = false;
    std::vector<Entry> m_entries{
        {ItemField::Quantity, &ItemAmounts::quantity, "?IDS:KOLICINA_DECIMAL", "Količina:", false, false},
        {ItemField::Price, &ItemAmounts::price, "?IDS:CIJENA_DECIMAL", "Cijena:", false, false},
        {ItemField::DiscountAmount, &ItemAmounts::discountAmount, "?IDS:RABAT_JED_DECIMAL", "Rabat jedinično:", false, false},
        {ItemField::DiscountPercent, &ItemAmounts::discountPercent, "?IDS:RABAT_POST_DECIMAL", "Rabat %:", true, false},
        {ItemField::TaxRate, &ItemAmounts::taxRate, "?IDS:POREZ_STOPA_DECIMAL", "Porez stopa %:", true, false},
        {ItemField::Net, &ItemAmounts::taxAmount, "?IDS:POREZ_IZNOS_DECIMAL", "Porez iznos:", false, true},
        {ItemField::Net, &ItemAmounts::net, "?IDS:IZNOS_DECIMAL", "Iznos stavke:", false, false},
        {ItemField::Gross, &ItemAmounts::gross, "?IDS:IZNOS_SPDVOM_DECIMAL", "Iznos s PDV-om:", false, false}};
};

} // namespace

void Forms::F_ID_Stavke()
{
    openBusinessTables();
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    documentOfItem();
    RecordTarget target(Tbl::IDStavke);
    // An item needs its document and the document's category.
    if (ID().ID == 0 || ID().KATEGORIJAID == 0) {
        if (request == vrt::INSERT_RECORD)
            target.cancelAutoInc();
        vrt::message(tr(ID().ID == 0 ? QStringLiteral("Prethodno unesite dokument !")
                                     : QStringLiteral("Prethodno odaberite kategoriju !")),
                     tr(QStringLiteral("Velmora")), vrt::Icon::Question);
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    const long documentId = ID().ID;
    vrt::UpdateFormController controller(target, request, QStringLiteral("F_ID_Stavke"));
    controller.translate = translate();
    controller.setErrors(corvalde::ThreadManagersErrors());
    if (!controller.open()) {
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    ItemForm(*this, target, controller, request).run(documentId);
}

// ---- F_ID_Dokumenti -------------------------------------------------------------------------

namespace {

// The items of the document in the form, by the browse of the runtime; its update procedure
// is the item form.
class ItemsWindow : public vrt::WindowManager {
public:
    explicit ItemsWindow(Forms& forms) : m_forms(forms) {}
    std::function<void()> beforeForm, afterForm;
    int run(int number, int request) override
    {
        if (number != 3)
            return vrt::REQUEST_CANCELLED;
        if (beforeForm)
            beforeForm();
        GLOBALREQUEST = uint8_t(request);
        m_forms.F_ID_Stavke();
        if (afterForm)
            afterForm();
        return GLOBALRESPONSE;
    }
    using vrt::WindowManager::run;

private:
    Forms& m_forms;
};

} // namespace

namespace {

// The opening and the end every document form shares: the request taken from the globals,
// the record opened for it, and the answer left there.
class FormSession {
public:
    FormSession(const Forms& forms, Tbl table, const QString& name)
        : request(takeRequest()), target(table), controller(target, request, name)
    {
        controller.translate = forms.translate();
        controller.setErrors(corvalde::ThreadManagersErrors());
    }
    // False (the request answered "cancelled") when the record cannot be opened.
    bool open()
    {
        if (controller.open())
            return true;
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return false;
    }
    bool isNew() const { return request == vrt::INSERT_RECORD; }
    // A new document goes with everything added to it meanwhile.
    void cancel()
    {
        controller.cancel();
        if (isNew())
            target.cancelAutoInc();
    }
    // After the window: a window closed without an answer is a cancel.
    void end()
    {
        if (controller.response() == vrt::RESPONSE_NONE)
            cancel();
        GLOBALRESPONSE = uint8_t(controller.response());
    }

    const int request;
    RecordTarget target;
    vrt::UpdateFormController controller;

private:
    static int takeRequest()
    {
        openBusinessTables();
        const int request = GLOBALREQUEST;
        GLOBALREQUEST = 0;
        GLOBALRESPONSE = 0;
        return request;
    }
};


// F_ID_Dokumenti: an outgoing document's fields, its items and their totals.
class OutgoingDocumentForm {
public:
    OutgoingDocumentForm(Forms& forms, FormSession& session, std::optional<long> contactId)
        : m_forms(forms), m_s(session), doc(ID()), m_contactId(contactId), m_editable(session.controller.editable()),
          m_storedCategory(doc.KATEGORIJAID), m_proposedMark(QString::fromStdString(doc.BROJDOKUMENTA)),
          m_frame(forms, session.controller, QStringLiteral("F_ID_Dokumenti")), m_dialog(m_frame.dialog),
          m_items(Tbl::IDStavke,
                  {{QStringLiteral("Naziv"), "p.NAZIV", false, 180},
                   {QStringLiteral("Količina"), "t.KOLICINA_DECIMAL", true, 70},
                   {QStringLiteral("Cijena"), "t.CIJENA_DECIMAL", true, 80},
                   {QStringLiteral("Rabat"), "t.RABAT_JED_DECIMAL", true, 70},
                   {QStringLiteral("Iznos"), "t.IZNOS_DECIMAL", true, 80},
                   {QStringLiteral("PDV"), "t.POREZ_IZNOS_DECIMAL", true, 70},
                   {QStringLiteral("Ukupno"), "t.IZNOS_SPDVOM_DECIMAL", true, 80}},
                  "t.RBR, t.ID",
                  [this] {
                      IDS().DOKUMENTID = doc.ID;
                      IDS().KATEGORIJAID = doc.KATEGORIJAID;
                  }),
          m_itemsWindow(forms), m_browse(m_items, &m_itemsWindow)
    {
        buildFields();
        buildItems();
        buildTotals();
        m_frame.addButtons(m_forms, m_s.request == vrt::VIEW_RECORD);
        connectFields();
        if (m_s.isNew())
            primeNew();
        fromRecord();
        m_browse.resetFromView();
        m_list->syncSelection();
        itemTotals();
        if (m_s.isNew())
            QMetaObject::invokeMethod(&m_dialog, [this] { openPickers(); }, Qt::QueuedConnection);
        connectButtons();
    }

    void run()
    {
        pxp::themeLibraryWindow(&m_dialog);
        vrt::runModal(m_dialog);
        VelmoraDll::saveListLayout(m_list->horizontalHeader(), QStringLiteral("F_ID_Dokumenti"), QStringLiteral("?List"));
        delete m_list; // before the browse it shows goes
        m_list = nullptr;
        m_s.end();
    }

private:
    QString tr(const QString& text) const { return m_forms.tr(text); }

    void buildFields()
    {
        auto* grid = new QGridLayout;
        m_category = lookupRow(&m_dialog, QStringLiteral("?LC:KATEGORIJA"), QStringLiteral("?CALLLOOKUP:2"));
        m_customer = lookupRow(&m_dialog, QStringLiteral("?LC:KUPAC"), QStringLiteral("?CALLLOOKUP"));
        m_date = dateEdit(&m_dialog, QStringLiteral("?ID:DATUM"));
        m_mark = textEdit(&m_dialog, QStringLiteral("?ID:BROJDOKUMENTA"), 49);
        m_term = new QSpinBox(&m_dialog);
        m_term->setObjectName(QStringLiteral("?ID:ROKPLACANJA"));
        m_term->setRange(0, 99999);
        m_method = new QComboBox(&m_dialog);
        m_method->setObjectName(QStringLiteral("?L:NP"));
        m_method->addItem(QString(), QString());
        for (size_t i = 0; i < paymentMethods().size(); ++i)
            m_method->addItem(tr(paymentMethods()[i]), QString::number(i + 1));
        m_shipping = textEdit(&m_dialog, QStringLiteral("?ID:NACINOTPREME"), 254);
        m_note = noteEdit(&m_dialog, QStringLiteral("?ID:NAPOMENA"), 60);
        m_finance = new QCheckBox(tr(QStringLiteral("Koristi za financijske izvještaje")), &m_dialog);
        m_finance->setObjectName(QStringLiteral("?ID:UKLJUCIFIN"));
        int r = 0;
        auto row = [&](const char* prompt, QWidget* w) {
            grid->addWidget(new QLabel(tr(QString::fromUtf8(prompt)), &m_dialog), r, 0);
            grid->addWidget(w, r++, 1);
        };
        row("Kategorija:", pair(&m_dialog, m_category));
        row("Kupac:", pair(&m_dialog, m_customer));
        row("Datum:", m_date);
        row("Oznaka dokumenta:", m_mark);
        row("Rok plaćanja:", m_term);
        row("Način plaćanja:", m_method);
        row("Način otpreme:", m_shipping);
        row("Napomena:", m_note);
        grid->addWidget(m_finance, r++, 1);
        m_frame.layout->addLayout(grid);
    }

    void buildItems()
    {
        auto* itemsTitle = new QLabel(tr(QStringLiteral("Stavke dokumenta")), &m_dialog);
        itemsTitle->setObjectName(QStringLiteral("?NASLOV:2"));
        m_frame.layout->addWidget(itemsTitle);
        m_items.from = table(Tbl::IDStavke) + " t LEFT JOIN " + table(Tbl::ProizvodUsluga) + " p ON p.ID = t.PROIZVODUSLUGAID";
        m_items.rangeCondition = "t.DOKUMENTID = ?";
        m_browse.addOrder({QStringLiteral("RBR"), -1});
        m_browse.setUpdateNumber(3);
        m_browse.setReadOnly(!m_editable);
        m_browse.setErrors(corvalde::ThreadManagersErrors());
        m_browse.setRange(QVariant::fromValue<qlonglong>(doc.ID));
        QStringList headers;
        for (const auto& c : m_items.columns())
            headers << tr(c.header);
        m_browse.model().setHeaders(headers);
        m_browse.model().setAlternateColour(QColor(0xEA, 0xF4, 0xFF));
        m_list = new vrt::BrowseView(m_browse, &m_dialog);
        m_list->setObjectName(QStringLiteral("?LIST"));
        m_list->setMinimumHeight(160);
        for (int c = 0; c < int(m_items.columns().size()); ++c)
            m_list->setColumnWidth(c, m_items.columns()[size_t(c)].width);
        VelmoraDll::restoreListLayout(m_list->horizontalHeader(), QStringLiteral("F_ID_Dokumenti"), QStringLiteral("?List"));
        vrt::BrowseView* list = m_list;
        sortByHeader(m_list->horizontalHeader(), m_items, m_browse, [list] { list->syncSelection(); });
        m_frame.layout->addWidget(m_list);
        auto* itemButtons = new QHBoxLayout;
        auto itemButton = [&](const char* control, const char* text, int req) {
            auto* b = new QPushButton(tr(QString::fromUtf8(text)), &m_dialog);
            b->setObjectName(QString::fromLatin1(control));
            b->setAutoDefault(false);
            b->setEnabled(m_editable);
            QObject::connect(b, &QPushButton::clicked, &m_dialog, [this, req] {
                m_browse.ask(req);
                m_list->syncSelection();
            });
            itemButtons->addWidget(b);
        };
        itemButton("?INSERT", "Unos", vrt::INSERT_RECORD);
        itemButton("?CHANGE", "Izmjena", vrt::CHANGE_RECORD);
        itemButton("?DELETE", "Brisanje", vrt::DELETE_RECORD);
        itemButtons->addStretch();
        m_frame.layout->addLayout(itemButtons);
    }

    void buildTotals()
    {
        auto* totals = new QGridLayout;
        const char* prompts[4] = {"Ukupno:", "Rabat:", "Pdv:", "Sveukupno:"};
        const char* controls[4] = {"?LN:UKUPNO", "?LN:RABAT", "?LN:PDV", "?ID:IZNOS_DECIMAL"};
        for (int i = 0; i < 4; ++i) {
            totals->addWidget(new QLabel(tr(QString::fromUtf8(prompts[i])), &m_dialog), 0, i * 2);
            m_totals[i] = new QLabel(&m_dialog);
            m_totals[i]->setObjectName(QString::fromLatin1(controls[i]));
            m_totals[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_totals[i]->setMinimumWidth(80);
            totals->addWidget(m_totals[i], 0, i * 2 + 1);
        }
        m_frame.layout->addLayout(totals);
    }

    void connectFields()
    {
        m_itemsWindow.beforeForm = [this] { toRecord(); };
        m_itemsWindow.afterForm = [this] {
            itemTotals();
            m_totals[3]->setText(formatAmount(doc.IZNOS_DECIMAL));
        };
        QObject::connect(m_category.button, &QToolButton::clicked, &m_dialog, [this] { pickCategory(); });
        QObject::connect(m_customer.button, &QToolButton::clicked, &m_dialog, [this] { pickCustomer(); });
        m_s.controller.setFields({textHistory("?ID:NAPOMENA", doc, &IDokumenti_Rec::NAPOMENA),
                                  numberHistory("?LC:KATEGORIJA", doc, &IDokumenti_Rec::KATEGORIJAID),
                                  numberHistory("?LC:KUPAC", doc, &IDokumenti_Rec::KUPACID),
                                  numberHistory("?ID:DATUM", doc, &IDokumenti_Rec::DATUM),
                                  textHistory("?ID:BROJDOKUMENTA", doc, &IDokumenti_Rec::BROJDOKUMENTA),
                                  numberHistory("?ID:ROKPLACANJA", doc, &IDokumenti_Rec::ROKPLACANJA),
                                  textHistory("?ID:NACINOTPREME", doc, &IDokumenti_Rec::NACINOTPREME),
                                  numberHistory("?ID:UKLJUCIFIN", doc, &IDokumenti_Rec::UKLJUCIFIN)});
        auto* history = new HistoryKeys(m_s.controller, [this] { toRecord(); }, [this] { fromRecord(); }, &m_dialog);
        history->watch(m_dialog);
        m_category.button->setEnabled(m_editable);
        m_customer.button->setEnabled(m_editable);
        QLineEdit* shipping = m_shipping;
        QObject::connect(m_method, &QComboBox::activated, &m_dialog, [shipping] { shipping->setFocus(); });
    }

    // PrimeNewDocument: the terms of the latest other document, today, the given customer.
    void primeNew()
    {
        doc.UKLJUCIFIN = 1;
        if (const auto terms = latestOtherTerms(doc.ID)) {
            doc.ROKPLACANJA = terms->paymentTerm;
            doc.NACINPLACANJA = terms->paymentMethod;
            doc.NACINOTPREME = terms->shipping;
            doc.NAPOMENA = terms->note;
        }
        doc.DATUM = vrt::today();
        if (m_contactId && *m_contactId)
            doc.KUPACID = int32_t(*m_contactId);
    }

    // The pickers open once the window shows: the category first, then the customer.
    void openPickers()
    {
        if (doc.KATEGORIJAID == 0)
            pickCategory();
        else
            numberDocument();
        if (!(m_contactId && *m_contactId))
            pickCustomer();
    }

    void connectButtons()
    {
        QObject::connect(m_frame.cancel, &QPushButton::clicked, &m_dialog, [this] {
            m_s.cancel();
            m_dialog.reject();
        });
        m_s.target.saveAs = [this](QString& error) {
            toRecord();
            return saveOutgoingDocument(m_storedCategory, m_proposedMark, &error);
        };
        QObject::connect(m_frame.ok, &QPushButton::clicked, &m_dialog, [this] {
            toRecord();
            // A category or customer that no longer exists is picked again.
            if (m_editable &&
                (!pickedRowExists(Tbl::IDKategorija, doc.KATEGORIJAID, [this] { pickCategory(); }, m_category.button) ||
                 (doc.KUPACID != 0 &&
                  !pickedRowExists(Tbl::CON_Contacts, doc.KUPACID, [this] { pickCustomer(); }, m_customer.button))))
                return;
            if (m_s.controller.ok())
                m_dialog.accept();
        });
    }

    // ItemTotals: the four sums of the stored items, exact.
    void itemTotals()
    {
        const ItemSums s = itemSums(doc.ID).value_or(ItemSums{});
        m_totals[0]->setText(formatAmount(s.net.toString()));
        m_totals[1]->setText(formatAmount(s.discount.toString()));
        m_totals[2]->setText(formatAmount(s.tax.toString()));
        m_totals[3]->setText(formatAmount(s.gross.toString()));
        if (const std::string total = s.total.toString(); int(total.size()) <= kDocumentAmountChars)
            doc.IZNOS_DECIMAL = total;
    }

    void fromRecord()
    {
        m_category.name->setText(categoryName(Tbl::IDKategorija, doc.KATEGORIJAID));
        m_customer.name->setText(contactCompany(doc.KUPACID));
        m_date->setDate(doc.DATUM ? vrt::dateFromDay(doc.DATUM) : QDate::currentDate());
        m_mark->setText(QString::fromStdString(doc.BROJDOKUMENTA));
        m_term->setValue(doc.ROKPLACANJA);
        const int m = m_method->findData(QString::fromStdString(doc.NACINPLACANJA));
        m_method->setCurrentIndex(m < 0 ? 0 : m);
        m_shipping->setText(QString::fromStdString(doc.NACINOTPREME));
        m_note->setPlainText(QString::fromStdString(doc.NAPOMENA));
        m_finance->setChecked(doc.UKLJUCIFIN != 0);
    }

    void toRecord()
    {
        if (!m_editable)
            return;
        doc.DATUM = vrt::dayFromDate(m_date->date());
        doc.BROJDOKUMENTA = m_mark->text().left(49).toStdString();
        doc.ROKPLACANJA = m_term->value();
        doc.NACINPLACANJA = m_method->currentData().toString().toStdString();
        doc.NACINOTPREME = m_shipping->text().left(254).toStdString();
        doc.NAPOMENA = m_note->toPlainText().left(7999).toStdString();
        doc.UKLJUCIFIN = m_finance->isChecked() ? 1 : 0;
    }

    // NumberDocument: the number the category would give now, shown in the mark; the number
    // itself is drawn when the document is saved.
    void numberDocument()
    {
        if (doc.KATEGORIJAID == 0)
            return;
        const QString name = categoryName(Tbl::IDKategorija, doc.KATEGORIJAID);
        const bool keepNumber = doc.KATEGORIJAID == m_storedCategory && doc.RBR != 0;
        const long n = keepNumber ? doc.RBR : proposedNumber(doc.KATEGORIJAID, doc.ID);
        m_proposedMark = (name + QLatin1Char('-') + QString::number(n)).left(49);
        m_mark->setText(m_proposedMark);
        m_mark->setFocus();
    }

    void pickCategory()
    {
        toRecord();
        IDK().ID = doc.KATEGORIJAID;
        if (m_forms.T_ID_Kategorija(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            doc.KATEGORIJAID = IDK().ID;
        m_category.name->setText(categoryName(Tbl::IDKategorija, doc.KATEGORIJAID));
        numberDocument();
    }

    void pickCustomer()
    {
        toRecord();
        if (const auto id = m_forms.T_Kontakti(doc.KUPACID))
            doc.KUPACID = int32_t(*id);
        m_customer.name->setText(contactCompany(doc.KUPACID));
        numberDocument();
    }

    Forms& m_forms;
    FormSession& m_s;
    IDokumenti_Rec& doc;
    const std::optional<long> m_contactId;
    const bool m_editable;
    // What the stored row says: the number belongs to this category.
    const long m_storedCategory;
    QString m_proposedMark;
    FormFrame m_frame;
    QDialog& m_dialog;
    LookupRow m_category, m_customer;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_mark = nullptr;
    QSpinBox* m_term = nullptr;
    QComboBox* m_method = nullptr;
    QLineEdit* m_shipping = nullptr;
    QPlainTextEdit* m_note = nullptr;
    QCheckBox* m_finance = nullptr;
    TableListSource m_items;
    ItemsWindow m_itemsWindow;
    vrt::Browse m_browse;
    vrt::BrowseView* m_list = nullptr;
    QLabel* m_totals[4] = {};
};

// ---- F_UD_Dokumenti -------------------------------------------------------------------------

// An incoming document without a category holds this marker until one is picked; it is never
// saved.
constexpr int32_t kNoCategory = 99999999;

// F_UD_Dokumenti: an incoming document's fields; its amount is typed, not summed.
class IncomingDocumentForm {
public:
    IncomingDocumentForm(Forms& forms, FormSession& session, std::optional<long> contactId)
        : m_forms(forms), m_s(session), doc(UD()), m_contactId(contactId), m_editable(session.controller.editable()),
          m_frame(forms, session.controller, QStringLiteral("F_UD_Dokumenti")), m_dialog(m_frame.dialog)
    {
        const long storedCategory = doc.KATEGORIJAID;
        m_s.target.saveAs = [storedCategory](QString& error) { return saveIncomingDocument(storedCategory, &error); };
        buildFields();
        m_frame.addButtons(m_forms, m_s.request == vrt::VIEW_RECORD);
        connectFields();
        if (m_s.isNew())
            primeNew();
        fromRecord();
        if (m_s.isNew())
            QMetaObject::invokeMethod(&m_dialog, [this] { openPickers(); }, Qt::QueuedConnection);
        connectButtons();
    }

    void run()
    {
        pxp::themeLibraryWindow(&m_dialog);
        vrt::runModal(m_dialog);
        m_s.end();
    }

private:
    QString tr(const QString& text) const { return m_forms.tr(text); }

    void buildFields()
    {
        auto* form = new QFormLayout;
        m_supplier = lookupRow(&m_dialog, QStringLiteral("?LC:DOBAVLJAC"), QStringLiteral("?CALLLOOKUP"));
        m_category = lookupRow(&m_dialog, QStringLiteral("?LC:KATEGORIJA"), QStringLiteral("?CALLLOOKUP:2"));
        m_date = dateEdit(&m_dialog, QStringLiteral("?UD:DATUM"));
        m_mark = textEdit(&m_dialog, QStringLiteral("?UD:BROJDOKUMENTA"), 254);
        m_amount = amountEdit(&m_dialog, QStringLiteral("?UD:IZNOS_DECIMAL"));
        m_note = noteEdit(&m_dialog, QStringLiteral("?UD:NAPOMENA"), 80);
        m_finance = new QCheckBox(tr(QStringLiteral("Koristi za financijske izvještaje")), &m_dialog);
        m_finance->setObjectName(QStringLiteral("?UD:UKLJUCIFIN"));
        form->addRow(tr(QStringLiteral("Dobavljač:")), pair(&m_dialog, m_supplier));
        form->addRow(tr(QStringLiteral("Datum:")), m_date);
        form->addRow(tr(QStringLiteral("Oznaka:")), m_mark);
        form->addRow(tr(QStringLiteral("Iznos:")), m_amount);
        form->addRow(tr(QStringLiteral("Napomena:")), m_note);
        form->addRow(tr(QStringLiteral("Kategorija:")), pair(&m_dialog, m_category));
        form->addRow(QString(), m_finance);
        m_frame.layout->addLayout(form);
        for (QWidget* w : std::initializer_list<QWidget*>{m_supplier.button, m_category.button, m_date, m_mark, m_amount,
                                                          m_note, m_finance})
            w->setEnabled(m_editable);
    }

    void connectFields()
    {
        QObject::connect(m_amount, &QLineEdit::editingFinished, &m_dialog, [this] { toRecord(); });
        QObject::connect(m_supplier.button, &QToolButton::clicked, &m_dialog, [this] { pickSupplier(); });
        QObject::connect(m_category.button, &QToolButton::clicked, &m_dialog, [this] { pickCategory(); });
        m_s.controller.setFields({numberHistory("?LC:DOBAVLJAC", doc, &UDokumenti_Rec::DOBAVLJACID),
                                  numberHistory("?UD:DATUM", doc, &UDokumenti_Rec::DATUM),
                                  textHistory("?UD:BROJDOKUMENTA", doc, &UDokumenti_Rec::BROJDOKUMENTA),
                                  textHistory("?UD:IZNOS_DECIMAL", doc, &UDokumenti_Rec::IZNOS_DECIMAL),
                                  textHistory("?UD:NAPOMENA", doc, &UDokumenti_Rec::NAPOMENA),
                                  numberHistory("?LC:KATEGORIJA", doc, &UDokumenti_Rec::KATEGORIJAID),
                                  numberHistory("?UD:UKLJUCIFIN", doc, &UDokumenti_Rec::UKLJUCIFIN)});
        auto* history = new HistoryKeys(m_s.controller, [this] { toRecord(); }, [this] { fromRecord(); }, &m_dialog);
        history->watch(m_dialog);
    }

    void primeNew()
    {
        doc.UKLJUCIFIN = 1;
        doc.DATUM = vrt::today();
        if (doc.KATEGORIJAID == 0)
            doc.KATEGORIJAID = kNoCategory;
        if (m_contactId && *m_contactId)
            doc.DOBAVLJACID = int32_t(*m_contactId);
    }

    void openPickers()
    {
        if (doc.KATEGORIJAID == kNoCategory)
            pickCategory();
        if (!(m_contactId && *m_contactId))
            pickSupplier();
        m_mark->setFocus();
    }

    void connectButtons()
    {
        QObject::connect(m_frame.cancel, &QPushButton::clicked, &m_dialog, [this] {
            m_s.cancel();
            m_dialog.reject();
        });
        QObject::connect(m_frame.ok, &QPushButton::clicked, &m_dialog, [this] {
            if (!toRecord())
                return;
            // The marker and a category or supplier that is gone are never saved; no supplier
            // (0) is left alone, as a customer is on an outgoing document.
            if (m_editable &&
                (!pickedRowExists(Tbl::UDKategorija, doc.KATEGORIJAID, [this] { pickCategory(); }, m_category.button) ||
                 (doc.DOBAVLJACID != 0 &&
                  !pickedRowExists(Tbl::CON_Contacts, doc.DOBAVLJACID, [this] { pickSupplier(); }, m_supplier.button))))
                return;
            if (m_s.controller.ok())
                m_dialog.accept();
        });
    }

    void names()
    {
        m_supplier.name->setText(contactCompany(doc.DOBAVLJACID));
        m_category.name->setText(doc.KATEGORIJAID == kNoCategory ? QString() : categoryName(Tbl::UDKategorija, doc.KATEGORIJAID));
    }

    void fromRecord()
    {
        names();
        m_date->setDate(doc.DATUM ? vrt::dateFromDay(doc.DATUM) : QDate::currentDate());
        m_mark->setText(QString::fromStdString(doc.BROJDOKUMENTA));
        m_amount->setText(formatAmount(doc.IZNOS_DECIMAL));
        m_amount->setModified(false);
        m_note->setPlainText(QString::fromStdString(doc.NAPOMENA));
        m_finance->setChecked(doc.UKLJUCIFIN != 0);
    }

    // False when the typed amount is refused (said why).
    bool toRecord()
    {
        if (!m_editable)
            return true;
        doc.DATUM = vrt::dayFromDate(m_date->date());
        doc.BROJDOKUMENTA = m_mark->text().left(254).toStdString();
        doc.NAPOMENA = m_note->toPlainText().left(7999).toStdString();
        doc.UKLJUCIFIN = m_finance->isChecked() ? 1 : 0;
        if (!m_amount->isModified())
            return true;
        const auto typed = parseAmount(m_amount->text());
        const auto fitted = typed ? ItemCalc::fit(ItemCalc::value(*typed), kDocumentAmountChars) : std::nullopt;
        if (!fitted || ItemCalc::value(*fitted) != ItemCalc::value(*typed)) {
            m_forms.say(typed ? QStringLiteral("Iznos ne stane u polje:") + QStringLiteral(" ") + tr(QStringLiteral("Iznos:"))
                              : QStringLiteral("Neispravan iznos:") + QStringLiteral(" ") + tr(QStringLiteral("Iznos:")),
                        true);
            m_amount->setFocus();
            return false;
        }
        doc.IZNOS_DECIMAL = *fitted;
        m_amount->setText(formatAmount(doc.IZNOS_DECIMAL));
        m_amount->setModified(false);
        return true;
    }

    void pickSupplier()
    {
        toRecord();
        if (const auto id = m_forms.T_Kontakti(doc.DOBAVLJACID))
            doc.DOBAVLJACID = int32_t(*id);
        names();
    }

    void pickCategory()
    {
        toRecord();
        UDK().ID = doc.KATEGORIJAID;
        if (m_forms.T_UD_Kategorija(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            doc.KATEGORIJAID = UDK().ID;
        names();
    }

    Forms& m_forms;
    FormSession& m_s;
    UDokumenti_Rec& doc;
    const std::optional<long> m_contactId;
    const bool m_editable;
    FormFrame m_frame;
    QDialog& m_dialog;
    LookupRow m_supplier, m_category;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_mark = nullptr;
    QLineEdit* m_amount = nullptr;
    QPlainTextEdit* m_note = nullptr;
    QCheckBox* m_finance = nullptr;
};

} // namespace

void Forms::F_ID_Dokumenti(std::optional<long> contactId)
{
    FormSession session(*this, Tbl::IDokumenti, QStringLiteral("F_ID_Dokumenti"));
    if (!session.open())
        return;
    OutgoingDocumentForm(*this, session, contactId).run();
}

void Forms::F_UD_Dokumenti(std::optional<long> contactId)
{
    FormSession session(*this, Tbl::UDokumenti, QStringLiteral("F_UD_Dokumenti"));
    if (!session.open())
        return;
    IncomingDocumentForm(*this, session, contactId).run();
}

} // namespace business
