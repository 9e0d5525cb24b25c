#include "procedures/contacts/AccountForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Controls.h"
#include "controls/HtmlEditor.h"
#include "extensions/EnterIsTab.h"
#include "extensions/TabPopup.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/Accounts.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace mailpeople {

namespace {
struct TextField {
    const char* name;
    const char* prompt;
    std::string Accounts_Rec::*member;
    int characters;
    bool password;
};
const TextField kHead[] = {{"NAZIV", "Naziv računa:", &Accounts_Rec::NAZIV, 254, false},
                           {"IMEPREZIME", "Ime i prezime:", &Accounts_Rec::IMEPREZIME, 254, false},
                           {"EMAIL", "Email:", &Accounts_Rec::EMAIL, 99, false}};
const TextField kPop[] = {{"POPHOSTNAME", "Server :", &Accounts_Rec::POPHOSTNAME, 254, false},
                          {"POPUSERNAME", "Korisničko ime :", &Accounts_Rec::POPUSERNAME, 254, false},
                          {"POPPASSWORD", "Password:", &Accounts_Rec::POPPASSWORD, 254, true},
                          {"POPPORT", "Port:", &Accounts_Rec::POPPORT, 19, false}};
const TextField kSmtp[] = {{"SMTPHOST", "Smtp server :", &Accounts_Rec::SMTPHOST, 254, false},
                           {"SMTPUSERNAME", "Smtp username :", &Accounts_Rec::SMTPUSERNAME, 254, false},
                           {"SMTPPASSWORD", "Smtp Password:", &Accounts_Rec::SMTPPASSWORD, 99, true},
                           {"SMTPPORT", "Smtp Port:", &Accounts_Rec::SMTPPORT, 19, false}};

template <class F>
void eachField(F f)
{
    for (const auto* group : {std::begin(kHead), std::begin(kPop), std::begin(kSmtp)}) {
        const TextField* end = group == std::begin(kHead) ? std::end(kHead) : group == std::begin(kPop) ? std::end(kPop) : std::end(kSmtp);
        for (const TextField* t = group; t != end; ++t)
            f(*t);
    }
}
QString q(const std::string& s) { return QString::fromStdString(s); }
} // namespace

AccountForm::AccountForm(vrt::FormTarget& target, int request, QWidget* parent)
    : QDialog(parent), m_controller(target, request, QStringLiteral("F_Accounts"))
{
    setObjectName(QStringLiteral("F_Accounts"));
    setWindowTitle(tx(QStringLiteral("Email račun")));
    m_controller.translate = [](const QString& t) { return mailpeople::tx(t); };
    m_controller.setErrors(VelmoraDll::LibraryErrors());

    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(m_controller.title(windowTitle()), this);
    m_heading->setObjectName(QStringLiteral("?NASLOV"));
    m_heading->setStyleSheet(m_controller.titleRed() ? QStringLiteral("color: #ff0000; font-weight: bold;") : QStringLiteral("font-weight: bold;"));
    layout->addWidget(m_heading);

    const bool editable = m_controller.editable();
    auto makeEntry = [&](const TextField& t, QFormLayout* form) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("?ACC:") + QLatin1String(t.name));
        e->setMaxLength(t.characters);
        e->setReadOnly(!editable);
        if (t.password)
            e->setEchoMode(QLineEdit::Password);
        e->installEventFilter(this);
        form->addRow(tx(QString::fromUtf8(t.prompt)), e);
        m_entries[QLatin1String(t.name)] = e;
    };
    auto* head = new QFormLayout;
    for (const TextField& t : kHead)
        makeEntry(t, head);
    m_default = new QCheckBox(tx(QStringLiteral("Standardni račun")), this);
    m_default->setObjectName(QStringLiteral("?ACC:DEFAULT"));
    m_default->setToolTip(tx(QStringLiteral("S ovog računa se šalju sve email poruke")));
    m_default->setEnabled(editable);
    head->addRow(QString(), m_default);
    layout->addLayout(head);

    m_sheet = new QTabWidget(this);
    m_sheet->setObjectName(QStringLiteral("?SHEET1"));
    auto* popPage = new QWidget(m_sheet);
    auto* pop = new QFormLayout(popPage);
    for (const TextField& t : kPop)
        makeEntry(t, pop);
    m_popSsl = new QCheckBox(QStringLiteral("SSL"), popPage);
    m_popSsl->setObjectName(QStringLiteral("?ACC:POPSSL"));
    m_popSsl->setEnabled(editable);
    pop->addRow(QString(), m_popSsl);
    auto* smtpPage = new QWidget(m_sheet);
    auto* smtp = new QFormLayout(smtpPage);
    for (const TextField& t : kSmtp)
        makeEntry(t, smtp);
    entry(QStringLiteral("SMTPHOST"))->setToolTip(tx(QStringLiteral("Ako je moguće,koristite SMTP od internet davatelja usluga")));
    m_smtpSsl = new QCheckBox(QStringLiteral("Smtp SSL"), smtpPage);
    m_smtpSsl->setObjectName(QStringLiteral("?ACC:SMTPSSL"));
    m_smtpSsl->setEnabled(editable);
    smtp->addRow(QString(), m_smtpSsl);
    m_sheet->addTab(popPage, tx(QStringLiteral("POP postavke (Dolazni server)")));
    m_sheet->addTab(smtpPage, tx(QStringLiteral("SMTP postavke (Odlazni server)")));
    layout->addWidget(m_sheet);

    auto* signature = new QHBoxLayout;
    auto* kinds = new QVBoxLayout;
    kinds->addWidget(new QLabel(tx(QStringLiteral("Potpis:")), this));
    m_kinds = new QListWidget(this);
    m_kinds->setObjectName(QStringLiteral("?L:POTPIS"));
    m_kinds->addItems({tx(QStringLiteral("Novi email")), tx(QStringLiteral("Odgovor/proslijeđivanje"))});
    m_kinds->setMaximumWidth(190);
    kinds->addWidget(m_kinds);
    m_saveSignature = new QPushButton(tx(QStringLiteral("Spremi")), this);
    m_saveSignature->setObjectName(QStringLiteral("?BSAVESIGNATURE"));
    m_saveSignature->setEnabled(editable);
    kinds->addWidget(m_saveSignature);
    signature->addLayout(kinds);
    controls::registerBuiltInControls();
    m_editor = qobject_cast<controls::HtmlEditor*>(
        vrt::ComponentRegistry::instance().create(QString::fromLatin1(controls::kHtmlEditorProgId), this));
    if (!m_editor)
        m_editor = new controls::HtmlEditor(this);
    m_editor->setObjectName(QStringLiteral("?E"));
    m_editor->setEditorProperty(QStringLiteral("useEnterAsBR"), 1);
    m_editor->setEditorProperty(QStringLiteral("DocumentHTML"), QString());
    m_editor->setEditorProperty(QStringLiteral("HiddenButtons"),
                                QStringLiteral("Toggle;Form;RemoteImage;Table;Spell Check;Undo;Redo;indent;Unindent;Print;unorderedlist;orderedlist"));
    m_editor->setEditorProperty(QStringLiteral("HiddenContextMenus"), QStringLiteral("MiscSource;MiscStyle"));
    m_editor->setEditorProperty(QStringLiteral("baseUrl"), QStringLiteral("\"about:blank\""));
    m_editor->setEditorProperty(QStringLiteral("CSShttp"), 1);
    m_editor->setEditorProperty(QStringLiteral("showDOMToolbar"), 0);
    m_editor->setEditorProperty(QStringLiteral("cssText"), QStringLiteral("file:///") + dataFolder() + QStringLiteral("/sty.css"));
    m_editor->setEditorProperty(QStringLiteral("AlwaysConvertUnicodeCharacters"), 0);
    m_editor->setEnabled(editable);
    m_editor->setMinimumHeight(140);
    // The editing keys act through the key hook, as in the mail editor; the editor works
    // without it.
    vrt::ComponentRegistry::instance().createOrRegister(QStringLiteral("Tessmark.CKeysHook.1"), QStringLiteral("tessmark"),
                                                        m_editor);
    signature->addWidget(m_editor, 1);
    layout->addLayout(signature, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("?OK"));
    m_cancel = buttons->addButton(tx(QStringLiteral("Prekid")), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("?CANCEL"));
    connect(buttons, &QDialogButtonBox::accepted, this, &AccountForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AccountForm::reject);
    layout->addWidget(buttons);
    // Enter belongs to the editor and the entries, not to the OK button.
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(m_kinds, &QListWidget::currentRowChanged, this, &AccountForm::loadSignature);
    connect(m_saveSignature, &QPushButton::clicked, this, &AccountForm::saveSignature);

    std::vector<vrt::FormField> fields;
    eachField([&](const TextField& t) {
        fields.push_back({QLatin1String(t.name), QString(), [m = t.member] { return q(ACC().*m); },
                          [m = t.member](const QString& v) { ACC().*m = v.toStdString(); }});
    });
    fields.push_back({QStringLiteral("DEFAULT"), QString(), [] { return QString::number(ACC().DEFAULT); },
                      [](const QString& v) { ACC().DEFAULT = uint8_t(v.toInt()); }});
    for (auto [name, member] : {std::pair{"POPSSL", &Accounts_Rec::POPSSL}, std::pair{"SMTPSSL", &Accounts_Rec::SMTPSSL}})
        fields.push_back({QLatin1String(name), QString(), [m = member] { return q(ACC().*m); },
                          [m = member](const QString& v) { ACC().*m = v.toStdString(); }});
    m_controller.setFields(std::move(fields));
    // Enter moves from field to field; a right click on the tabs lists them all.
    std::vector<QWidget*> entries;
    for (const auto& [name, e] : m_entries)
        entries.push_back(e);
    SSTF::enterMovesOn(this, entries);
    SBRW::tabMenu(this, {m_sheet});
    resize(620, 560);
    restorePlace(*this, QStringLiteral("F_Accounts"));
}

AccountForm::~AccountForm() = default;

QLineEdit* AccountForm::entry(const QString& field) const
{
    const auto it = m_entries.find(field);
    return it == m_entries.end() ? nullptr : it->second;
}

void AccountForm::fromRecord()
{
    eachField([&](const TextField& t) { entry(QLatin1String(t.name))->setText(q(ACC().*t.member)); });
    m_default->setChecked(ACC().DEFAULT == 1);
    m_popSsl->setChecked(q(ACC().POPSSL).trimmed() == QLatin1String("1"));
    m_smtpSsl->setChecked(q(ACC().SMTPSSL).trimmed() == QLatin1String("1"));
}

void AccountForm::toRecord()
{
    if (!m_controller.editable())
        return;
    eachField([&](const TextField& t) { ACC().*t.member = entry(QLatin1String(t.name))->text().toStdString(); });
    ACC().DEFAULT = m_default->isChecked() ? 1 : 0;
    ACC().POPSSL = m_popSsl->isChecked() ? "1" : "0";
    ACC().SMTPSSL = m_smtpSsl->isChecked() ? "1" : "0";
}

int AccountForm::run()
{
    if (!m_controller.open())
        return m_controller.response();
    fromRecord();
    const int request = m_controller.request();
    if (request == vrt::CHANGE_RECORD || request == vrt::DELETE_RECORD) {
        m_kinds->setCurrentRow(0); // the new-message signature shows at once
        entry(QStringLiteral("NAZIV"))->setFocus();
    }
    pxp::themeLibraryWindow(this);
    vrt::runModal(*this);
    savePlace(*this, QStringLiteral("F_Accounts"));
    if (m_controller.response() == vrt::RESPONSE_NONE)
        m_controller.cancel();
    return m_controller.response();
}

void AccountForm::loadSignature(int row)
{
    if (row != 0 && row != 1)
        return;
    // What was typed and not saved with "Spremi" is let go.
    m_editor->openDocument(signaturePath(dataFolder(), ACC().ID, row == 0 ? Signature::NewEmail : Signature::ReplyEmail));
}

bool AccountForm::saveSignature()
{
    toRecord();
    const int row = m_kinds->currentRow();
    if (row != 0 && row != 1)
        return false;
    return m_editor->saveDocument(signaturePath(dataFolder(), ACC().ID, row == 0 ? Signature::NewEmail : Signature::ReplyEmail));
}

void AccountForm::accept()
{
    toRecord();
    const long id = ACC().ID;
    if (m_controller.request() == vrt::DELETE_RECORD) {
        // Deleting touches no other account and saves no signature: the account's files go.
        if (!m_controller.ok())
            return;
        removeSignatures(dataFolder(), id);
        QDialog::accept();
        return;
    }
    const bool isDefault = ACC().DEFAULT == 1;
    if (isDefault && m_controller.editable() && QString::fromStdString(ACC().SMTPHOST).trimmed().isEmpty()) {
        vrt::message(tx(QStringLiteral("Standardni račun mora imati SMTP server je služi za slanje email-a !")), {}, vrt::Icon::Hand);
        m_sheet->setCurrentIndex(1);
        entry(QStringLiteral("SMTPHOST"))->setFocus();
        return;
    }
    if (!m_controller.ok())
        return;
    if (isDefault && m_controller.editable() && !clearOtherDefaults(id))
        return;
    if (m_controller.editable())
        saveSignature();
    QDialog::accept();
}

void AccountForm::reject()
{
    // A new account that is not kept takes the signatures saved for it along.
    if (m_controller.request() == vrt::INSERT_RECORD && m_controller.response() == vrt::RESPONSE_NONE)
        removeSignatures(dataFolder(), ACC().ID);
    m_controller.cancel();
    QDialog::reject();
}

bool AccountForm::eventFilter(QObject* watched, QEvent* event)
{
    return restoreFromHistory(m_controller, watched, event) || QDialog::eventFilter(watched, event);
}

int F_Accounts(QWidget* parent)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    vrt::FileBrowseSource target(Access(Tbl::Accounts), Relate(Tbl::Accounts), {});
    AccountForm form(target, request, parent);
    const int response = form.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace mailpeople
