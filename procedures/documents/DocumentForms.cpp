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
    controller.translate = translate;
    controller.setErrors(corvalde::ThreadManagersErrors());
    if (!controller.open()) {
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    IDStavke_Rec& item = IDS();
    if (request == vrt::INSERT_RECORD) {
        item.POREZ_STOPA_DECIMAL = ItemCalc::fit(ItemCalc::value(proposedTaxRate().toStdString()), kTaxColumnChars).value_or("0");
        item.KATEGORIJAID = ID().KATEGORIJAID;
        if (item.DOKUMENTID == 0)
            item.DOKUMENTID = ID().ID;
    }

    FormFrame frame(*this, controller, QStringLiteral("F_ID_Stavke"));
    QDialog& dialog = frame.dialog;
    auto* form = new QFormLayout;
    LookupRow product = lookupRow(&dialog, QStringLiteral("?LC:PROIZVOD"), QStringLiteral("?CALLLOOKUP"));
    form->addRow(tr(QStringLiteral("Proizvod/usluga:")), pair(&dialog, product));
    struct Entry {
        ItemField field;
        std::string ItemAmounts::*member;
        const char* control;
        const char* prompt;
        bool percent;
        bool readOnly;
        QLineEdit* edit = nullptr;
    };
    std::vector<Entry> entries{
        {ItemField::Quantity, &ItemAmounts::quantity, "?IDS:KOLICINA_DECIMAL", "Količina:", false, false},
        {ItemField::Price, &ItemAmounts::price, "?IDS:CIJENA_DECIMAL", "Cijena:", false, false},
        {ItemField::DiscountAmount, &ItemAmounts::discountAmount, "?IDS:RABAT_JED_DECIMAL", "Rabat jedinično:", false, false},
        {ItemField::DiscountPercent, &ItemAmounts::discountPercent, "?IDS:RABAT_POST_DECIMAL", "Rabat %:", true, false},
        {ItemField::TaxRate, &ItemAmounts::taxRate, "?IDS:POREZ_STOPA_DECIMAL", "Porez stopa %:", true, false},
        {ItemField::Net, &ItemAmounts::taxAmount, "?IDS:POREZ_IZNOS_DECIMAL", "Porez iznos:", false, true},
        {ItemField::Net, &ItemAmounts::net, "?IDS:IZNOS_DECIMAL", "Iznos stavke:", false, false},
        {ItemField::Gross, &ItemAmounts::gross, "?IDS:IZNOS_SPDVOM_DECIMAL", "Iznos s PDV-om:", false, false}};
    const bool editable = controller.editable();
    for (auto& e : entries) {
        e.edit = amountEdit(&dialog, QString::fromLatin1(e.control));
        e.edit->setReadOnly(e.readOnly || !editable);
        form->addRow(tr(QString::fromUtf8(e.prompt)), e.edit);
    }
    product.button->setEnabled(editable);
    frame.layout->addLayout(form);
    frame.addButtons(*this, request == vrt::VIEW_RECORD);

    auto amounts = [&item] {
        return ItemAmounts{item.KOLICINA_DECIMAL,   item.CIJENA_DECIMAL,       item.RABAT_JED_DECIMAL,
                           item.RABAT_POST_DECIMAL, item.POREZ_STOPA_DECIMAL, item.POREZ_IZNOS_DECIMAL,
                           item.IZNOS_DECIMAL,      item.IZNOS_SPDVOM_DECIMAL};
    };
    auto store = [&item](const ItemAmounts& a) {
        item.KOLICINA_DECIMAL = a.quantity;
        item.CIJENA_DECIMAL = a.price;
        item.RABAT_JED_DECIMAL = a.discountAmount;
        item.RABAT_POST_DECIMAL = a.discountPercent;
        item.POREZ_STOPA_DECIMAL = a.taxRate;
        item.POREZ_IZNOS_DECIMAL = a.taxAmount;
        item.IZNOS_DECIMAL = a.net;
        item.IZNOS_SPDVOM_DECIMAL = a.gross;
    };
    auto show = [&] {
        const ItemAmounts a = amounts();
        for (auto& e : entries) {
            e.edit->setText(e.percent ? formatPercent(a.*e.member) : formatAmount(a.*e.member));
            e.edit->setModified(false);
        }
        product.name->setText(item.PROIZVODUSLUGAID ? productName(item.PROIZVODUSLUGAID) : QString());
    };
    bool closing = false;
    // Only an entry the user changed is read back: the screen shows cents, the row keeps more.
    auto take = [&](Entry& e) -> bool {
        if (closing || !e.edit->isModified())
            return true;
        const auto typed = parseAmount(e.edit->text());
        if (!typed) {
            say(QStringLiteral("Neispravan iznos:") + QLatin1Char(' ') + tr(QString::fromUtf8(e.prompt)), true);
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
    };
    for (auto& e : entries)
        if (!e.readOnly)
            QObject::connect(e.edit, &QLineEdit::editingFinished, &dialog, [&take, &e] { take(e); });
    controller.setFields({numberHistory("?LC:PROIZVOD", item, &IDStavke_Rec::PROIZVODUSLUGAID),
                          textHistory("?IDS:KOLICINA_DECIMAL", item, &IDStavke_Rec::KOLICINA_DECIMAL),
                          textHistory("?IDS:CIJENA_DECIMAL", item, &IDStavke_Rec::CIJENA_DECIMAL),
                          textHistory("?IDS:RABAT_JED_DECIMAL", item, &IDStavke_Rec::RABAT_JED_DECIMAL),
                          textHistory("?IDS:RABAT_POST_DECIMAL", item, &IDStavke_Rec::RABAT_POST_DECIMAL),
                          textHistory("?IDS:POREZ_STOPA_DECIMAL", item, &IDStavke_Rec::POREZ_STOPA_DECIMAL),
                          textHistory("?IDS:POREZ_IZNOS_DECIMAL", item, &IDStavke_Rec::POREZ_IZNOS_DECIMAL),
                          textHistory("?IDS:IZNOS_DECIMAL", item, &IDStavke_Rec::IZNOS_DECIMAL),
                          textHistory("?IDS:IZNOS_SPDVOM_DECIMAL", item, &IDStavke_Rec::IZNOS_SPDVOM_DECIMAL)});
    auto* history = new HistoryKeys(controller, [&] { for (auto& e : entries) take(e); }, show, &dialog);
    history->watch(dialog);
    auto pickProduct = [&] {
        PRU().ID = item.PROIZVODUSLUGAID;
        if (T_Proizvodi(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            item.PROIZVODUSLUGAID = PRU().ID;
        product.name->setText(item.PROIZVODUSLUGAID ? productName(item.PROIZVODUSLUGAID) : QString());
    };
    QObject::connect(product.button, &QToolButton::clicked, &dialog, pickProduct);
    QObject::connect(frame.cancel, &QPushButton::clicked, &dialog, [&] {
        closing = true;
        controller.cancel();
        dialog.reject();
    });
    auto takeBack = [&] {
        if (request == vrt::INSERT_RECORD && controller.response() != vrt::REQUEST_COMPLETED)
            target.cancelAutoInc();
    };
    QObject::connect(frame.ok, &QPushButton::clicked, &dialog, [&] {
        for (auto& e : entries)
            if (!take(e))
                return;
        closing = true;
        // A product that is gone is picked again; cancelling keeps the form open.
        if (item.PROIZVODUSLUGAID != 0 && !rowExists(Tbl::ProizvodUsluga, item.PROIZVODUSLUGAID)) {
            pickProduct();
            if (!rowExists(Tbl::ProizvodUsluga, item.PROIZVODUSLUGAID)) {
                closing = false;
                product.button->setFocus();
                return;
            }
        }
        if (request != vrt::VIEW_RECORD)
            vrt::IniFile(corvalde::dataPath(QStringLiteral("Standard.ini")))
                .put(QStringLiteral("Porez"), QStringLiteral("Stopa"), QString::fromStdString(item.POREZ_STOPA_DECIMAL));
        if (!controller.ok()) {
            closing = false;
            return;
        }
        dialog.accept();
    });
    show();
    if (request == vrt::INSERT_RECORD)
        QMetaObject::invokeMethod(product.button, "click", Qt::QueuedConnection);
    vrt::runModal(dialog);
    if (controller.response() == vrt::RESPONSE_NONE)
        controller.cancel();
    takeBack();
    // WriteTotal: the document's amount follows its stored items, whatever the answer.
    QString why;
    if (!writeDocumentTotal(documentId, &why))
        vrt::message(tr(QStringLiteral("Iznos dokumenta nije zapisan:")) + QLatin1Char(' ') + why, tr(QStringLiteral("Velmora")),
                     vrt::Icon::Hand);
    GLOBALRESPONSE = uint8_t(controller.response());
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

void Forms::F_ID_Dokumenti(std::optional<long> contactId)
{
    openBusinessTables();
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    IDokumenti_Rec& doc = ID();
    RecordTarget target(Tbl::IDokumenti);
    vrt::UpdateFormController controller(target, request, QStringLiteral("F_ID_Dokumenti"));
    controller.translate = translate;
    controller.setErrors(corvalde::ThreadManagersErrors());
    if (!controller.open()) {
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    const bool isNew = request == vrt::INSERT_RECORD;
    const bool editable = controller.editable();
    // What the stored row says: the number belongs to this category.
    const long storedCategory = doc.KATEGORIJAID;
    QString proposedMark = QString::fromStdString(doc.BROJDOKUMENTA);

    FormFrame frame(*this, controller, QStringLiteral("F_ID_Dokumenti"));
    QDialog& dialog = frame.dialog;
    auto* grid = new QGridLayout;
    LookupRow category = lookupRow(&dialog, QStringLiteral("?LC:KATEGORIJA"), QStringLiteral("?CALLLOOKUP:2"));
    LookupRow customer = lookupRow(&dialog, QStringLiteral("?LC:KUPAC"), QStringLiteral("?CALLLOOKUP"));
    auto* date = new QDateEdit(&dialog);
    date->setObjectName(QStringLiteral("?ID:DATUM"));
    date->setCalendarPopup(true);
    auto* mark = new QLineEdit(&dialog);
    mark->setObjectName(QStringLiteral("?ID:BROJDOKUMENTA"));
    mark->setMaxLength(49);
    auto* term = new QSpinBox(&dialog);
    term->setObjectName(QStringLiteral("?ID:ROKPLACANJA"));
    term->setRange(0, 99999);
    auto* method = new QComboBox(&dialog);
    method->setObjectName(QStringLiteral("?L:NP"));
    method->addItem(QString(), QString());
    for (size_t i = 0; i < paymentMethods().size(); ++i)
        method->addItem(tr(paymentMethods()[i]), QString::number(i + 1));
    auto* shipping = new QLineEdit(&dialog);
    shipping->setObjectName(QStringLiteral("?ID:NACINOTPREME"));
    shipping->setMaxLength(254);
    auto* note = new QPlainTextEdit(&dialog);
    note->setObjectName(QStringLiteral("?ID:NAPOMENA"));
    note->setMaximumHeight(60);
    auto* finance = new QCheckBox(tr(QStringLiteral("Koristi za financijske izvještaje")), &dialog);
    finance->setObjectName(QStringLiteral("?ID:UKLJUCIFIN"));
    int r = 0;
    auto row = [&](const char* prompt, QWidget* w) {
        grid->addWidget(new QLabel(tr(QString::fromUtf8(prompt)), &dialog), r, 0);
        grid->addWidget(w, r++, 1);
    };
    row("Kategorija:", pair(&dialog, category));
    row("Kupac:", pair(&dialog, customer));
    row("Datum:", date);
    row("Oznaka dokumenta:", mark);
    row("Rok plaćanja:", term);
    row("Način plaćanja:", method);
    row("Način otpreme:", shipping);
    row("Napomena:", note);
    grid->addWidget(finance, r++, 1);
    frame.layout->addLayout(grid);

    auto* itemsTitle = new QLabel(tr(QStringLiteral("Stavke dokumenta")), &dialog);
    itemsTitle->setObjectName(QStringLiteral("?NASLOV:2"));
    frame.layout->addWidget(itemsTitle);
    TableListSource items(Tbl::IDStavke,
                          {{QStringLiteral("Naziv"), "p.NAZIV", false, 180},
                           {QStringLiteral("Količina"), "t.KOLICINA_DECIMAL", true, 70},
                           {QStringLiteral("Cijena"), "t.CIJENA_DECIMAL", true, 80},
                           {QStringLiteral("Rabat"), "t.RABAT_JED_DECIMAL", true, 70},
                           {QStringLiteral("Iznos"), "t.IZNOS_DECIMAL", true, 80},
                           {QStringLiteral("PDV"), "t.POREZ_IZNOS_DECIMAL", true, 70},
                           {QStringLiteral("Ukupno"), "t.IZNOS_SPDVOM_DECIMAL", true, 80}},
                          "t.RBR, t.ID");
    items.from = table(Tbl::IDStavke) + " t LEFT JOIN " + table(Tbl::ProizvodUsluga) + " p ON p.ID = t.PROIZVODUSLUGAID";
    items.rangeCondition = "t.DOKUMENTID = ?";
    items.primeFields = [&doc] {
        IDS().DOKUMENTID = doc.ID;
        IDS().KATEGORIJAID = doc.KATEGORIJAID;
    };
    ItemsWindow itemsWindow(*this);
    vrt::Browse browse(items, &itemsWindow);
    browse.addOrder({QStringLiteral("RBR"), -1});
    browse.setUpdateNumber(3);
    browse.setReadOnly(!editable);
    browse.setErrors(corvalde::ThreadManagersErrors());
    browse.setRange(QVariant::fromValue<qlonglong>(doc.ID));
    QStringList headers;
    for (const auto& c : items.columns())
        headers << tr(c.header);
    browse.model().setHeaders(headers);
    browse.model().setAlternateColour(QColor(0xEA, 0xF4, 0xFF));
    auto* list = new vrt::BrowseView(browse, &dialog);
    list->setObjectName(QStringLiteral("?LIST"));
    list->setMinimumHeight(160);
    for (int c = 0; c < int(items.columns().size()); ++c)
        list->setColumnWidth(c, items.columns()[size_t(c)].width);
    VelmoraDll::restoreListLayout(list->horizontalHeader(), QStringLiteral("F_ID_Dokumenti"), QStringLiteral("?List"));
    sortByHeader(list->horizontalHeader(), items, browse, [list] { list->syncSelection(); });
    frame.layout->addWidget(list);
    auto* itemButtons = new QHBoxLayout;
    auto itemButton = [&](const char* control, const char* text, int req) {
        auto* b = new QPushButton(tr(QString::fromUtf8(text)), &dialog);
        b->setObjectName(QString::fromLatin1(control));
        b->setAutoDefault(false);
        b->setEnabled(editable);
        QObject::connect(b, &QPushButton::clicked, &dialog, [&browse, list, req] {
            browse.ask(req);
            list->syncSelection();
        });
        itemButtons->addWidget(b);
    };
    itemButton("?INSERT", "Unos", vrt::INSERT_RECORD);
    itemButton("?CHANGE", "Izmjena", vrt::CHANGE_RECORD);
    itemButton("?DELETE", "Brisanje", vrt::DELETE_RECORD);
    itemButtons->addStretch();
    frame.layout->addLayout(itemButtons);

    auto* totals = new QGridLayout;
    QLabel* totalLabels[4];
    const char* totalPrompts[4] = {"Ukupno:", "Rabat:", "Pdv:", "Sveukupno:"};
    const char* totalControls[4] = {"?LN:UKUPNO", "?LN:RABAT", "?LN:PDV", "?ID:IZNOS_DECIMAL"};
    for (int i = 0; i < 4; ++i) {
        totals->addWidget(new QLabel(tr(QString::fromUtf8(totalPrompts[i])), &dialog), 0, i * 2);
        totalLabels[i] = new QLabel(&dialog);
        totalLabels[i]->setObjectName(QString::fromLatin1(totalControls[i]));
        totalLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        totalLabels[i]->setMinimumWidth(80);
        totals->addWidget(totalLabels[i], 0, i * 2 + 1);
    }
    frame.layout->addLayout(totals);
    frame.addButtons(*this, request == vrt::VIEW_RECORD);

    // ItemTotals: the four sums of the stored items, exact.
    auto itemTotals = [&] {
        const auto sums = itemSums(doc.ID);
        const ItemSums s = sums.value_or(ItemSums{});
        totalLabels[0]->setText(formatAmount(s.net.toString()));
        totalLabels[1]->setText(formatAmount(s.discount.toString()));
        totalLabels[2]->setText(formatAmount(s.tax.toString()));
        totalLabels[3]->setText(formatAmount(s.gross.toString()));
        if (const std::string total = s.total.toString(); int(total.size()) <= kDocumentAmountChars)
            doc.IZNOS_DECIMAL = total;
    };
    auto fromRecord = [&] {
        category.name->setText(categoryName(Tbl::IDKategorija, doc.KATEGORIJAID));
        customer.name->setText(contactCompany(doc.KUPACID));
        date->setDate(doc.DATUM ? vrt::dateFromDay(doc.DATUM) : QDate::currentDate());
        mark->setText(QString::fromStdString(doc.BROJDOKUMENTA));
        term->setValue(doc.ROKPLACANJA);
        const int m = method->findData(QString::fromStdString(doc.NACINPLACANJA));
        method->setCurrentIndex(m < 0 ? 0 : m);
        shipping->setText(QString::fromStdString(doc.NACINOTPREME));
        note->setPlainText(QString::fromStdString(doc.NAPOMENA));
        finance->setChecked(doc.UKLJUCIFIN != 0);
    };
    auto toRecord = [&] {
        if (!editable)
            return;
        doc.DATUM = vrt::dayFromDate(date->date());
        doc.BROJDOKUMENTA = mark->text().left(49).toStdString();
        doc.ROKPLACANJA = term->value();
        doc.NACINPLACANJA = method->currentData().toString().toStdString();
        doc.NACINOTPREME = shipping->text().left(254).toStdString();
        doc.NAPOMENA = note->toPlainText().left(7999).toStdString();
        doc.UKLJUCIFIN = finance->isChecked() ? 1 : 0;
    };
    itemsWindow.beforeForm = toRecord;
    itemsWindow.afterForm = [&] {
        itemTotals();
        totalLabels[3]->setText(formatAmount(doc.IZNOS_DECIMAL));
    };
    // NumberDocument: the number the category would give now, shown in the mark; the number
    // itself is drawn when the document is saved.
    auto numberDocument = [&] {
        if (doc.KATEGORIJAID == 0)
            return;
        const QString name = categoryName(Tbl::IDKategorija, doc.KATEGORIJAID);
        const bool keepNumber = doc.KATEGORIJAID == storedCategory && doc.RBR != 0;
        const long n = keepNumber ? doc.RBR : proposedNumber(doc.KATEGORIJAID, doc.ID);
        proposedMark = (name + QLatin1Char('-') + QString::number(n)).left(49);
        mark->setText(proposedMark);
        mark->setFocus();
    };
    auto pickCategory = [&] {
        toRecord();
        IDK().ID = doc.KATEGORIJAID;
        if (T_ID_Kategorija(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            doc.KATEGORIJAID = IDK().ID;
        category.name->setText(categoryName(Tbl::IDKategorija, doc.KATEGORIJAID));
        numberDocument();
    };
    auto pickCustomer = [&] {
        toRecord();
        if (const auto id = chooseContact(doc.KUPACID))
            doc.KUPACID = int32_t(*id);
        customer.name->setText(contactCompany(doc.KUPACID));
        numberDocument();
    };
    QObject::connect(category.button, &QToolButton::clicked, &dialog, pickCategory);
    QObject::connect(customer.button, &QToolButton::clicked, &dialog, pickCustomer);
    controller.setFields({textHistory("?ID:NAPOMENA", doc, &IDokumenti_Rec::NAPOMENA),
                          numberHistory("?LC:KATEGORIJA", doc, &IDokumenti_Rec::KATEGORIJAID),
                          numberHistory("?LC:KUPAC", doc, &IDokumenti_Rec::KUPACID),
                          numberHistory("?ID:DATUM", doc, &IDokumenti_Rec::DATUM),
                          textHistory("?ID:BROJDOKUMENTA", doc, &IDokumenti_Rec::BROJDOKUMENTA),
                          numberHistory("?ID:ROKPLACANJA", doc, &IDokumenti_Rec::ROKPLACANJA),
                          textHistory("?ID:NACINOTPREME", doc, &IDokumenti_Rec::NACINOTPREME),
                          numberHistory("?ID:UKLJUCIFIN", doc, &IDokumenti_Rec::UKLJUCIFIN)});
    auto* history = new HistoryKeys(controller, toRecord, fromRecord, &dialog);
    history->watch(dialog);
    category.button->setEnabled(editable);
    customer.button->setEnabled(editable);
    QObject::connect(method, &QComboBox::activated, &dialog, [shipping] { shipping->setFocus(); });

    // PrimeNewDocument
    if (isNew) {
        doc.UKLJUCIFIN = 1;
        if (const auto terms = latestOtherTerms(doc.ID)) {
            doc.ROKPLACANJA = terms->paymentTerm;
            doc.NACINPLACANJA = terms->paymentMethod;
            doc.NACINOTPREME = terms->shipping;
            doc.NAPOMENA = terms->note;
        }
        doc.DATUM = vrt::today();
        if (contactId && *contactId)
            doc.KUPACID = int32_t(*contactId);
    }
    fromRecord();
    browse.resetFromView();
    list->syncSelection();
    itemTotals();
    if (isNew) {
        // The pickers open once the window shows: the category first, then the customer.
        QMetaObject::invokeMethod(&dialog, [&] {
            if (doc.KATEGORIJAID == 0)
                pickCategory();
            else
                numberDocument();
            if (!(contactId && *contactId))
                pickCustomer();
        }, Qt::QueuedConnection);
    }

    auto finishCancel = [&] {
        // A new document goes with every item added to it meanwhile.
        controller.cancel();
        if (isNew)
            target.cancelAutoInc();
    };
    QObject::connect(frame.cancel, &QPushButton::clicked, &dialog, [&] {
        finishCancel();
        dialog.reject();
    });
    target.saveAs = [&](QString& error) {
        toRecord();
        return saveOutgoingDocument(storedCategory, proposedMark, &error);
    };
    QObject::connect(frame.ok, &QPushButton::clicked, &dialog, [&] {
        toRecord();
        if (editable) {
            // A category or customer that no longer exists is picked again.
            if (!rowExists(Tbl::IDKategorija, doc.KATEGORIJAID)) {
                pickCategory();
                if (!rowExists(Tbl::IDKategorija, doc.KATEGORIJAID)) {
                    category.button->setFocus();
                    return;
                }
            }
            if (doc.KUPACID != 0 && !rowExists(Tbl::CON_Contacts, doc.KUPACID)) {
                pickCustomer();
                if (!rowExists(Tbl::CON_Contacts, doc.KUPACID)) {
                    customer.button->setFocus();
                    return;
                }
            }
        }
        if (!controller.ok())
            return;
        dialog.accept();
    });
    vrt::runModal(dialog);
    VelmoraDll::saveListLayout(list->horizontalHeader(), QStringLiteral("F_ID_Dokumenti"), QStringLiteral("?List"));
    delete list; // before the browse it shows goes
    if (controller.response() == vrt::RESPONSE_NONE)
        finishCancel();
    GLOBALRESPONSE = uint8_t(controller.response());
}

// ---- F_UD_Dokumenti -------------------------------------------------------------------------

namespace {
constexpr int32_t kNoCategory = 99999999;
}

void Forms::F_UD_Dokumenti(std::optional<long> contactId)
{
    openBusinessTables();
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    UDokumenti_Rec& doc = UD();
    RecordTarget target(Tbl::UDokumenti);
    vrt::UpdateFormController controller(target, request, QStringLiteral("F_UD_Dokumenti"));
    controller.translate = translate;
    controller.setErrors(corvalde::ThreadManagersErrors());
    if (!controller.open()) {
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return;
    }
    const bool isNew = request == vrt::INSERT_RECORD;
    const bool editable = controller.editable();
    const long storedCategory = doc.KATEGORIJAID;
    target.saveAs = [storedCategory](QString& error) { return saveIncomingDocument(storedCategory, &error); };
    FormFrame frame(*this, controller, QStringLiteral("F_UD_Dokumenti"));
    QDialog& dialog = frame.dialog;
    auto* form = new QFormLayout;
    LookupRow supplier = lookupRow(&dialog, QStringLiteral("?LC:DOBAVLJAC"), QStringLiteral("?CALLLOOKUP"));
    LookupRow category = lookupRow(&dialog, QStringLiteral("?LC:KATEGORIJA"), QStringLiteral("?CALLLOOKUP:2"));
    auto* date = new QDateEdit(&dialog);
    date->setObjectName(QStringLiteral("?UD:DATUM"));
    date->setCalendarPopup(true);
    auto* mark = new QLineEdit(&dialog);
    mark->setObjectName(QStringLiteral("?UD:BROJDOKUMENTA"));
    mark->setMaxLength(254);
    auto* amount = amountEdit(&dialog, QStringLiteral("?UD:IZNOS_DECIMAL"));
    auto* note = new QPlainTextEdit(&dialog);
    note->setObjectName(QStringLiteral("?UD:NAPOMENA"));
    note->setMaximumHeight(80);
    auto* finance = new QCheckBox(tr(QStringLiteral("Koristi za financijske izvještaje")), &dialog);
    finance->setObjectName(QStringLiteral("?UD:UKLJUCIFIN"));
    form->addRow(tr(QStringLiteral("Dobavljač:")), pair(&dialog, supplier));
    form->addRow(tr(QStringLiteral("Datum:")), date);
    form->addRow(tr(QStringLiteral("Oznaka:")), mark);
    form->addRow(tr(QStringLiteral("Iznos:")), amount);
    form->addRow(tr(QStringLiteral("Napomena:")), note);
    form->addRow(tr(QStringLiteral("Kategorija:")), pair(&dialog, category));
    form->addRow(QString(), finance);
    frame.layout->addLayout(form);
    frame.addButtons(*this, request == vrt::VIEW_RECORD);
    for (QWidget* w : std::initializer_list<QWidget*>{supplier.button, category.button, date, mark, amount, note, finance})
        w->setEnabled(editable);

    auto names = [&] {
        supplier.name->setText(contactCompany(doc.DOBAVLJACID));
        category.name->setText(doc.KATEGORIJAID == kNoCategory ? QString() : categoryName(Tbl::UDKategorija, doc.KATEGORIJAID));
    };
    auto fromRecord = [&] {
        names();
        date->setDate(doc.DATUM ? vrt::dateFromDay(doc.DATUM) : QDate::currentDate());
        mark->setText(QString::fromStdString(doc.BROJDOKUMENTA));
        amount->setText(formatAmount(doc.IZNOS_DECIMAL));
        amount->setModified(false);
        note->setPlainText(QString::fromStdString(doc.NAPOMENA));
        finance->setChecked(doc.UKLJUCIFIN != 0);
    };
    // False when the typed amount is refused (said why).
    auto toRecord = [&]() -> bool {
        if (!editable)
            return true;
        doc.DATUM = vrt::dayFromDate(date->date());
        doc.BROJDOKUMENTA = mark->text().left(254).toStdString();
        doc.NAPOMENA = note->toPlainText().left(7999).toStdString();
        doc.UKLJUCIFIN = finance->isChecked() ? 1 : 0;
        if (amount->isModified()) {
            const auto typed = parseAmount(amount->text());
            const auto fitted = typed ? ItemCalc::fit(ItemCalc::value(*typed), kDocumentAmountChars) : std::nullopt;
            if (!fitted || ItemCalc::value(*fitted) != ItemCalc::value(*typed)) {
                say(typed ? QStringLiteral("Iznos ne stane u polje:") + QStringLiteral(" ") + tr(QStringLiteral("Iznos:"))
                          : QStringLiteral("Neispravan iznos:") + QStringLiteral(" ") + tr(QStringLiteral("Iznos:")),
                    true);
                amount->setFocus();
                return false;
            }
            doc.IZNOS_DECIMAL = *fitted;
            amount->setText(formatAmount(doc.IZNOS_DECIMAL));
            amount->setModified(false);
        }
        return true;
    };
    QObject::connect(amount, &QLineEdit::editingFinished, &dialog, [&] { toRecord(); });
    auto pickSupplier = [&] {
        toRecord();
        if (const auto id = chooseContact(doc.DOBAVLJACID))
            doc.DOBAVLJACID = int32_t(*id);
        names();
    };
    auto pickCategory = [&] {
        toRecord();
        UDK().ID = doc.KATEGORIJAID;
        if (T_UD_Kategorija(vrt::SELECT_RECORD) == vrt::REQUEST_COMPLETED)
            doc.KATEGORIJAID = UDK().ID;
        names();
    };
    QObject::connect(supplier.button, &QToolButton::clicked, &dialog, pickSupplier);
    QObject::connect(category.button, &QToolButton::clicked, &dialog, pickCategory);
    controller.setFields({numberHistory("?LC:DOBAVLJAC", doc, &UDokumenti_Rec::DOBAVLJACID),
                          numberHistory("?UD:DATUM", doc, &UDokumenti_Rec::DATUM),
                          textHistory("?UD:BROJDOKUMENTA", doc, &UDokumenti_Rec::BROJDOKUMENTA),
                          textHistory("?UD:IZNOS_DECIMAL", doc, &UDokumenti_Rec::IZNOS_DECIMAL),
                          textHistory("?UD:NAPOMENA", doc, &UDokumenti_Rec::NAPOMENA),
                          numberHistory("?LC:KATEGORIJA", doc, &UDokumenti_Rec::KATEGORIJAID),
                          numberHistory("?UD:UKLJUCIFIN", doc, &UDokumenti_Rec::UKLJUCIFIN)});
    auto* history = new HistoryKeys(controller, [&] { toRecord(); }, fromRecord, &dialog);
    history->watch(dialog);

    if (isNew) {
        doc.UKLJUCIFIN = 1;
        doc.DATUM = vrt::today();
        if (doc.KATEGORIJAID == 0)
            doc.KATEGORIJAID = kNoCategory;
        if (contactId && *contactId)
            doc.DOBAVLJACID = int32_t(*contactId);
    }
    fromRecord();
    if (isNew) {
        QMetaObject::invokeMethod(&dialog, [&] {
            if (doc.KATEGORIJAID == kNoCategory)
                pickCategory();
            if (!(contactId && *contactId))
                pickSupplier();
            mark->setFocus();
        }, Qt::QueuedConnection);
    }
    QObject::connect(frame.cancel, &QPushButton::clicked, &dialog, [&] {
        controller.cancel();
        if (isNew)
            target.cancelAutoInc();
        dialog.reject();
    });
    QObject::connect(frame.ok, &QPushButton::clicked, &dialog, [&] {
        if (!toRecord())
            return;
        if (editable) {
            // The marker and a category or supplier that is gone are never saved.
            if (!rowExists(Tbl::UDKategorija, doc.KATEGORIJAID)) {
                pickCategory();
                if (!rowExists(Tbl::UDKategorija, doc.KATEGORIJAID)) {
                    category.button->setFocus();
                    return;
                }
            }
            // No supplier (0) is left alone, as a customer is on an outgoing document.
            if (doc.DOBAVLJACID != 0 && !rowExists(Tbl::CON_Contacts, doc.DOBAVLJACID)) {
                pickSupplier();
                if (!rowExists(Tbl::CON_Contacts, doc.DOBAVLJACID)) {
                    supplier.button->setFocus();
                    return;
                }
            }
        }
        if (!controller.ok())
            return;
        dialog.accept();
    });
    vrt::runModal(dialog);
    if (controller.response() == vrt::RESPONSE_NONE) {
        controller.cancel();
        if (isNew)
            target.cancelAutoInc();
    }
    GLOBALRESPONSE = uint8_t(controller.response());
}

} // namespace business
