#include "procedures/notes/PasswordForms.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/notes/PasswordGenerator.h"
#include "runtime/BrowseView.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace notespass {

long passwordsInCategory(long id)
{
    vrt::FileManager& f = Access(Tbl::Passwords);
    const Passwords_Rec saved = PAS();
    long n = 0;
    PAS().KATEGORIJAID = int32_t(id);
    if (f.Set(PAS.KategorijaKey) == 0 && f.SetRange(PAS.KategorijaKey, 1) == 0)
        while (f.Next() == 0)
            ++n;
    f.EndSequence();
    PAS() = saved;
    return n;
}

QString categoryName(long id, bool* found)
{
    vrt::FileManager& f = Access(Tbl::PasswordsKategorija);
    f.clearBuffer();
    PASK().ID = int32_t(id);
    const bool ok = id != 0 && f.TryFetch(PASK.IDKey) == 0;
    if (found)
        *found = ok;
    return ok ? QString::fromStdString(PASK().NAZIV) : QString();
}

namespace {

// Opens F_PASS_Kategorija for the category list's buttons.
class CategoryWindow : public vrt::WindowManager {
public:
    explicit CategoryWindow(const FormEnv& env) : m_env(env) {}
    int run(int number, int request) override
    {
        if (number != 13)
            return vrt::WindowManager::run(number, request);
        GLOBALREQUEST = uint8_t(request);
        return F_PASS_Kategorija(m_env);
    }

private:
    const FormEnv& m_env;
};

// The password form: the plain update form plus the category name and picker, the generator
// and the switch that shows the password.
class PasswordDialog : public vrt::UpdateDialog {
public:
    PasswordDialog(vrt::UpdateFormController& c, const FormEnv& env)
        : vrt::UpdateDialog(c, env.tr(QStringLiteral("Ažuriranje")), env.parent), m_env(env)
    {
        setObjectName(QStringLiteral("F_PASS_Password"));
        setCancelText(env.tr(QStringLiteral("Prekid")));
        // The category shows by its name with its picker; the generator sits beside the
        // password.
        QFormLayout* form = findChild<QFormLayout*>();
        m_categoryName = new QLabel(this);
        m_categoryName->setObjectName(QStringLiteral("LC:KATEGORIJA"));
        m_categoryName->setMinimumWidth(160);
        m_categoryName->setFrameShape(QFrame::StyledPanel);
        m_lookup = new QToolButton(this);
        m_lookup->setObjectName(QStringLiteral("?CALLLOOKUP"));
        m_lookup->setText(QStringLiteral("..."));
        m_digits = new QCheckBox(env.tr(QStringLiteral("Minimum 25% brojeva")), this);
        m_mixed = new QCheckBox(env.tr(QStringLiteral("Minimum 25% velikih/malih slova")), this);
        m_digits->setObjectName(QStringLiteral("?MIN25PERCENT"));
        m_mixed->setObjectName(QStringLiteral("?MIXEDCASE"));
        m_digits->setChecked(true);
        m_mixed->setChecked(true);
        m_length = new QSpinBox(this);
        m_length->setObjectName(QStringLiteral("?LN:PASSLENGTH"));
        m_length->setRange(0, 999);
        m_length->setValue(kDefaultPasswordLength);
        m_generate = new QPushButton(env.tr(QStringLiteral("Generiraj")), this);
        m_generate->setObjectName(QStringLiteral("?BUTTON1"));
        m_show = new QCheckBox(env.tr(QStringLiteral("Prikaži lozinku")), this);
        m_show->setObjectName(QStringLiteral("?SHOWPASSWORD"));
        if (form) {
            int row = -1;
            QFormLayout::ItemRole role;
            form->getWidgetPosition(number(), &row, &role);
            // The user sees the category by its name; the number stays in the form, unseen,
            // for the look-ups and the record.
            const QFormLayout::TakeRowResult taken = form->takeRow(row);
            auto* category = new QHBoxLayout;
            category->addWidget(number());
            number()->hide();
            category->addWidget(m_categoryName, 1);
            category->addWidget(m_lookup);
            form->insertRow(row, taken.labelItem ? taken.labelItem->widget() : nullptr, category);
            delete taken.labelItem;
            delete taken.fieldItem;
            form->getWidgetPosition(password(), &row, &role);
            auto* generator = new QHBoxLayout;
            generator->addWidget(m_length);
            generator->addWidget(m_generate);
            generator->addWidget(m_show);
            generator->addStretch();
            auto* rules = new QHBoxLayout;
            rules->addWidget(m_digits);
            rules->addWidget(m_mixed);
            rules->addStretch();
            form->insertRow(row + 1, QString(), generator);
            form->insertRow(row, QString(), rules);
        }

        password()->setEchoMode(QLineEdit::Password);
        number()->setValidator(new QIntValidator(0, 2147483647, this));
        for (const char* f : {"PAS:NAZIV", "PAS:LOGIN", "PAS:PASSWORD", "PAS:LOKACIJA"})
            entry(QLatin1String(f))->setMaxLength(254);
        entry(QStringLiteral("PAS:NAPOMENA"))->setMaxLength(7999);
        if (!c.editable()) {
            m_lookup->setEnabled(false);
            m_generate->setEnabled(false);
        }
        connect(m_show, &QCheckBox::toggled, this,
                [this](bool on) { password()->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
        connect(m_generate, &QPushButton::clicked, this, [this] { generate(); });
        connect(m_lookup, &QToolButton::clicked, this, [this] { callLookup(); });
        connect(number(), &QLineEdit::textEdited, this, [this] { m_numberEdited = true; });
        connect(number(), &QLineEdit::editingFinished, this, [this] {
            if (m_numberEdited)
                numberAccepted();
        });
        setMinimumWidth(520);
    }

    QLineEdit* number() const { return entry(QStringLiteral("PAS:KATEGORIJAID")); }
    QLineEdit* password() const { return entry(QStringLiteral("PAS:PASSWORD")); }
    QLabel* categoryLabel() const { return m_categoryName; }

    void generate()
    {
        SystemRng rng;
        const GeneratedPassword g = generatePassword(m_length->value(), m_digits->isChecked(), m_mixed->isChecked(), rng);
        if (!g.ok()) {
            say(m_env, g.error, int(vrt::Icon::Exclamation));
            m_length->setFocus();
            return;
        }
        password()->setText(g.password);
    }

    // Shows the name of the category the number names; the picker when there is none.
    void numberAccepted()
    {
        m_numberEdited = false;
        const QString text = number()->text().trimmed();
        const long id = text.toLong();
        if (id == 0 && text.isEmpty()) {
            m_categoryName->clear();
            return;
        }
        bool found = false;
        const QString name = categoryName(id, &found);
        if (found) {
            m_categoryName->setText(name);
            return;
        }
        PASK().ID = 0;
        if (T_PASS_Kategorija(m_env, true) == vrt::REQUEST_COMPLETED) {
            number()->setText(QString::number(PASK().ID));
            m_categoryName->setText(QString::fromStdString(PASK().NAZIV));
        } else {
            m_categoryName->clear();
            m_lookup->setFocus();
        }
    }

    void callLookup()
    {
        Access(Tbl::PasswordsKategorija).clearBuffer();
        PASK().ID = number()->text().toInt();
        if (T_PASS_Kategorija(m_env, true) == vrt::REQUEST_COMPLETED) {
            number()->setText(QString::number(PASK().ID));
            m_categoryName->setText(QString::fromStdString(PASK().NAZIV));
        }
    }

    void refreshName()
    {
        bool found = false;
        const QString name = categoryName(number()->text().toLong(), &found);
        m_categoryName->setText(name);
        if (!found && isVisible())
            m_lookup->setFocus();
    }

    void accept() override
    {
        vrt::UpdateDialog::accept();
        if (isVisible()) // stayed open: a pick on OK may have changed the category
            refreshName();
    }

protected:
    void showEvent(QShowEvent* e) override
    {
        vrt::UpdateDialog::showEvent(e);
        bool found = false;
        m_categoryName->setText(categoryName(number()->text().toLong(), &found));
        if (!found)
            m_lookup->setFocus();
    }

private:
    const FormEnv& m_env;
    QLabel* m_categoryName;
    QToolButton* m_lookup;
    QCheckBox* m_digits;
    QCheckBox* m_mixed;
    QSpinBox* m_length;
    QPushButton* m_generate;
    QCheckBox* m_show;
    bool m_numberEdited = false;
};

// A category delete also deletes its passwords: the form says how many before it does.
class CategoryTarget : public vrt::FileBrowseSource {
public:
    explicit CategoryTarget(const FormEnv& env)
        : vrt::FileBrowseSource(Access(Tbl::PasswordsKategorija), Relate(Tbl::PasswordsKategorija), {}), m_env(env) {}
    bool remove() override
    {
        const long n = passwordsInCategory(PASK().ID);
        if (n > 0
            && !askYes(m_env, m_env.tr(QStringLiteral("Brisanjem kategorije obrisat će se i lozinke u njoj (%1). Nastaviti?"))
                                  .arg(n)))
            return declined = true, false;
        return vrt::FileBrowseSource::remove();
    }
    bool declined = false;

private:
    const FormEnv& m_env;
};

} // namespace

int F_PASS_Password(const FormEnv& env)
{
    const int request = takeRequest();
    vrt::FileBrowseSource target(Access(Tbl::Passwords), Relate(Tbl::Passwords), {});
    vrt::UpdateFormController form(target, request, QStringLiteral("F_PASS_Password"));
    prepare(form, env);
    auto text = [](std::string Passwords_Rec::*f) { return [f] { return QString::fromStdString(PAS().*f); }; };
    auto setText = [](std::string Passwords_Rec::*f, int cap) {
        return [f, cap](const QString& v) { PAS().*f = fitted(v, cap); };
    };
    form.setFields({
        {QStringLiteral("PAS:KATEGORIJAID"), env.tr(QStringLiteral("Kategorija:")), [] { return QString::number(PAS().KATEGORIJAID); },
         [](const QString& v) { PAS().KATEGORIJAID = v.trimmed().toInt(); }},
        {QStringLiteral("PAS:NAZIV"), env.tr(QStringLiteral("Naziv:")), text(&Passwords_Rec::NAZIV), setText(&Passwords_Rec::NAZIV, 254)},
        {QStringLiteral("PAS:LOGIN"), env.tr(QStringLiteral("Login:")), text(&Passwords_Rec::LOGIN), setText(&Passwords_Rec::LOGIN, 254)},
        {QStringLiteral("PAS:PASSWORD"), env.tr(QStringLiteral("Password:")), text(&Passwords_Rec::PASSWORD), setText(&Passwords_Rec::PASSWORD, 254)},
        {QStringLiteral("PAS:LOKACIJA"), env.tr(QStringLiteral("Lokacija/datoteka:")), text(&Passwords_Rec::LOKACIJA), setText(&Passwords_Rec::LOKACIJA, 254)},
        {QStringLiteral("PAS:NAPOMENA"), env.tr(QStringLiteral("Napomena:")), text(&Passwords_Rec::NAPOMENA), setText(&Passwords_Rec::NAPOMENA, 7999)},
    });
    form.addLookup({QStringLiteral("PAS:KATEGORIJAID"),
                    [] {
                        bool found = false;
                        categoryName(PAS().KATEGORIJAID, &found);
                        return found;
                    },
                    [&env] {
                        Access(Tbl::PasswordsKategorija).clearBuffer();
                        const bool chosen = T_PASS_Kategorija(env, true) == vrt::REQUEST_COMPLETED;
                        if (chosen)
                            PAS().KATEGORIJAID = PASK().ID;
                        return chosen;
                    }});
    // A new password without a category asks for one at once (the number is set on the
    // primed row, so priming must come first).
    if (request == vrt::INSERT_RECORD && !target.primed() && !target.prime()) {
        say(env, target.lastError(), int(vrt::Icon::Hand));
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return vrt::REQUEST_CANCELLED;
    }
    if (request == vrt::INSERT_RECORD && PAS().KATEGORIJAID == 0)
        PAS().KATEGORIJAID = kNoCategory;
    PasswordDialog dialog(form, env);
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

int F_PASS_Kategorija(const FormEnv& env)
{
    const int request = takeRequest();
    CategoryTarget target(env);
    vrt::UpdateFormController form(target, request, QStringLiteral("F_PASS_Kategorija"));
    prepare(form, env);
    form.setFields({
        {QStringLiteral("PASK:NAZIV"), env.tr(QStringLiteral("Naziv:")), [] { return QString::fromStdString(PASK().NAZIV); },
         [](const QString& v) { PASK().NAZIV = fitted(v, 254); }},
        {QStringLiteral("PASK:NAPOMENA"), env.tr(QStringLiteral("Napomena:")), [] { return QString::fromStdString(PASK().NAPOMENA); },
         [](const QString& v) { PASK().NAPOMENA = fitted(v, 7999); }},
    });
    vrt::UpdateDialog dialog(form, env.tr(QStringLiteral("Ažuriranje")), env.parent);
    dialog.setObjectName(QStringLiteral("F_PASS_Kategorija"));
    dialog.setCancelText(env.tr(QStringLiteral("Prekid")));
    dialog.entry(QStringLiteral("PASK:NAZIV"))->setMaxLength(254);
    dialog.entry(QStringLiteral("PASK:NAPOMENA"))->setMaxLength(7999);
    dialog.setMinimumWidth(420);
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

int T_PASS_Kategorija(const FormEnv& env, bool pick)
{
    takeRequest();
    Relate(Tbl::PasswordsKategorija).Open();
    const long start = PASK().ID;
    vrt::FileBrowseSource source(Access(Tbl::PasswordsKategorija), Relate(Tbl::PasswordsKategorija),
                                 {{env.tr(QStringLiteral("Naziv")), [] { return QString::fromStdString(PASK().NAZIV); }},
                                  {env.tr(QStringLiteral("Napomena")), [] { return QString::fromStdString(PASK().NAPOMENA); }},
                                  {QStringLiteral("ID"), [] { return QString::number(PASK().ID); }}});
    source.addOrder({PASK.IDKey, {}, 0});
    source.addOrder({-1, "+UPPER(PASK:NAZIV),+PASK:ID", 0});
    source.addOrder({-1, "+UPPER(PASK:NAPOMENA),+PASK:ID", 0});
    CategoryWindow window(env);
    vrt::Browse browse(source, &window);
    browse.addOrder({QStringLiteral("ID"), -1});
    browse.addOrder({QStringLiteral("Naziv"), 0});
    browse.addOrder({QStringLiteral("Napomena"), 1});
    browse.setUpdateNumber(13);
    browse.setErrors(corvalde::ThreadManagersErrors());
    browse.resetFromView();
    if (start != 0)
        browse.selectId(qlonglong(start));

    QDialog dialog(env.parent);
    dialog.setObjectName(QStringLiteral("T_PASS_Kategorija"));
    dialog.setWindowTitle(env.tr(QStringLiteral("Password kategorija")));
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new vrt::BrowseView(browse, &dialog);
    view->setObjectName(QStringLiteral("?List"));
    layout->addWidget(view);
    view->horizontalHeader()->resizeSection(0, 200);
    view->horizontalHeader()->resizeSection(1, 260);
    view->horizontalHeader()->resizeSection(2, 0);
    VelmoraDll::restoreListLayout(view->horizontalHeader(), QStringLiteral("T_PASS_Kategorija"), QStringLiteral("?List"));
    // A header click sorts by that column for as long as the list is open.
    view->horizontalHeader()->setSectionsClickable(true);
    QObject::connect(view->horizontalHeader(), &QHeaderView::sectionClicked, &dialog, [&browse, view](int column) {
        browse.setOrder(column == 0 ? 1 : column == 1 ? 2 : 0);
        view->horizontalHeader()->setSortIndicatorShown(column < 2);
        view->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
        view->syncSelection();
    });
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(env.tr(QString::fromUtf8(text)), &dialog);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
        return b;
    };
    QPushButton* insert = button("?INSERT", "Unos");
    QPushButton* change = button("?CHANGE", "Izmjena");
    QPushButton* remove = button("?DELETE", "Brisanje");
    buttons->addStretch();
    QPushButton* select = button("?SELECT", "Izbor");
    QPushButton* close = button("?CLOSE", "Zatvori");
    layout->addLayout(buttons);
    select->setVisible(pick);
    browse.setSelectMode(pick);

    int response = pick ? vrt::REQUEST_CANCELLED : vrt::REQUEST_COMPLETED;
    auto chooseSelected = [&] {
        const QVariant id = browse.selectedId();
        if (!id.isValid() || !source.load(id))
            return;
        response = vrt::REQUEST_COMPLETED;
        dialog.accept();
    };
    auto update = [&](int request) {
        browse.ask(request);
        view->syncSelection();
    };
    QObject::connect(insert, &QPushButton::clicked, &dialog, [&] { update(vrt::INSERT_RECORD); });
    QObject::connect(change, &QPushButton::clicked, &dialog, [&] { update(vrt::CHANGE_RECORD); });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] { update(vrt::DELETE_RECORD); });
    QObject::connect(select, &QPushButton::clicked, &dialog, chooseSelected);
    QObject::connect(view, &QAbstractItemView::activated, &dialog, [&] {
        if (pick)
            chooseSelected();
        else
            update(vrt::CHANGE_RECORD);
    });
    QObject::connect(close, &QPushButton::clicked, &dialog, [&] { dialog.reject(); });
    dialog.resize(560, 360);
    pxp::themeLibraryWindow(&dialog);
    vrt::runModal(dialog);
    VelmoraDll::saveListLayout(view->horizontalHeader(), QStringLiteral("T_PASS_Kategorija"), QStringLiteral("?List"));
    if (response != vrt::REQUEST_COMPLETED || !pick)
        Access(Tbl::PasswordsKategorija).clearBuffer();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace notespass
