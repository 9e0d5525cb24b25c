#include "procedures/contacts/AccountsWindow.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "controls/Images.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/AccountForm.h"
#include "procedures/contacts/Accounts.h"
#include "procedures/contacts/MailPeople.h"
#include "procedures/common/MailSettings.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"
#include "runtime/IniFile.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace mailpeople {

namespace {
constexpr int kAccountForm = 1;

// The list's update procedure: every request goes to the account form.
class AccountsManager : public vrt::WindowManager {
public:
    explicit AccountsManager(QWidget* window) : m_window(window) {}
    int run(int number, int request) override
    {
        if (number != kAccountForm)
            return vrt::REQUEST_CANCELLED;
        GLOBALREQUEST = uint8_t(request);
        return F_Accounts(m_window);
    }

private:
    QWidget* m_window;
};

// The icon column: "~okxp.ico" on the default account, nothing on the others.
class DefaultIconDelegate : public QStyledItemDelegate {
public:
    DefaultIconDelegate(QIcon icon, QObject* parent) : QStyledItemDelegate(parent), m_icon(std::move(icon)) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool isDefault = index.data().toString() == QLatin1String("1");
        option->text.clear();
        if (isDefault) {
            option->icon = m_icon;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationAlignment = Qt::AlignCenter;
        }
    }

private:
    QIcon m_icon;
};

QString text(const std::string& s) { return QString::fromStdString(s); }
} // namespace

AccountsWindow::AccountsWindow(int pick, QWidget* parent) : QDialog(parent), m_pick(pick)
{
    setObjectName(QStringLiteral("T_Accounti"));
    setWindowTitle(tx(QStringLiteral("Email računi")));
    for (Tbl t : {Tbl::Accounts, Tbl::AAccounts, Tbl::AInbox})
        if (!Access(t).Opened())
            Access(t).Open();

    using Column = vrt::FileBrowseSource::Column;
    std::vector<Column> columns{{tx(QStringLiteral("Naziv email računa")), [] { return text(ACC().NAZIV); }},
                                {QString(), [] { return QString::number(ACC().DEFAULT); }},
                                {QString(), [] { return text(ACC().IMEPREZIME); }},
                                {QString(), [] { return text(ACC().EMAIL); }},
                                {QString(), [] { return QString::number(ACC().ID); }}};
    m_source = std::make_unique<vrt::FileBrowseSource>(Access(Tbl::Accounts), Relate(Tbl::Accounts), std::move(columns));
    m_source->addOrder({ACC.IDKey, {}, 0});
    m_manager = std::make_unique<AccountsManager>(this);
    m_manager->setErrors(VelmoraDll::LibraryErrors(), QStringLiteral("T_Accounti"));
    m_browse = std::make_unique<vrt::Browse>(*m_source, m_manager.get());
    m_browse->addOrder({QStringLiteral("ACC:IDKEY"), -1});
    m_browse->setUpdateNumber(kAccountForm);
    m_browse->setErrors(VelmoraDll::LibraryErrors());
    m_browse->setSelectMode(pick == 1);

    auto* layout = new QVBoxLayout(this);
    m_list = new vrt::BrowseView(*m_browse, this);
    m_list->setObjectName(QStringLiteral("?LIST"));
    m_list->setItemDelegateForColumn(1, new DefaultIconDelegate(controls::imageIcon(dataFolder(), QStringLiteral("~okxp.ico")), m_list));
    m_browse->resetFromView();
    QHeaderView* header = m_list->horizontalHeader();
    header->resizeSection(0, 260);
    header->resizeSection(1, 24);
    for (int c = 2; c < 5; ++c)
        m_list->setColumnHidden(c, true);
    VelmoraDll::restoreListLayout(header, QStringLiteral("T_Accounti"), QStringLiteral("?List"));
    m_list->syncSelection();

    auto* body = new QHBoxLayout;
    body->addWidget(m_list, 1);
    auto* side = new QVBoxLayout;
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"?INSERT", "Unos"}, {"?CHANGE", "Izmjena"}, {"?DELETE", "Brisanje"}, {"?SELECT", "Izbor"}, {"?CLOSE", "Zatvori"}};
    for (const auto& b : buttons) {
        auto* p = new QPushButton(tx(QString::fromUtf8(b.text)), this);
        p->setObjectName(QLatin1String(b.name));
        p->setAutoDefault(false);
        side->addWidget(p);
    }
    side->addStretch(1);
    body->addLayout(side);
    layout->addLayout(body, 1);

    auto* charsetBox = new QGroupBox(tx(QStringLiteral("Postavke slova za email :")), this);
    auto* charsetLayout = new QHBoxLayout(charsetBox);
    m_charsets = new QComboBox(charsetBox);
    m_charsets->setObjectName(QStringLiteral("?L:CHARSETQ"));
    m_charsets->addItems(charsetNames());
    charsetLayout->addWidget(m_charsets);
    auto* checkBox = new QGroupBox(tx(QStringLiteral("Provjera maila svakih :")), this);
    auto* checkLayout = new QHBoxLayout(checkBox);
    m_minutes = new QSpinBox(checkBox);
    m_minutes->setObjectName(QStringLiteral("?LN:MINUTA"));
    m_minutes->setRange(0, 999); // clamped when accepted, so a 0 left alone still becomes 2 on closing
    checkLayout->addWidget(m_minutes);
    checkLayout->addWidget(new QLabel(tx(QStringLiteral("minuta")), checkBox));
    checkLayout->addStretch(1);
    auto* settings = new QHBoxLayout;
    settings->addWidget(charsetBox, 1);
    settings->addWidget(checkBox, 1);
    layout->addLayout(settings);

    // The stored charset is selected; one the list does not offer is kept, not replaced.
    const QString charset = outgoingCharset(dataFolder());
    int row = m_charsets->findText(charset, Qt::MatchFixedString);
    if (row < 0) {
        m_charsets->addItem(charset);
        row = m_charsets->count() - 1;
    }
    m_charsets->setCurrentIndex(row);
    m_minutes->setValue(int(storedCheck(dataFolder()).value_or(kDefaultCheckHundredths) / kHundredthsPerMinute));
    connect(m_minutes, &QSpinBox::editingFinished, this, [this] { m_minutes->setValue(clampAcceptedMinutes(m_minutes->value())); });

    connect(button(QStringLiteral("?INSERT")), &QPushButton::clicked, this, [this] { m_browse->insertRecord(); m_list->syncSelection(); });
    connect(button(QStringLiteral("?CHANGE")), &QPushButton::clicked, this, [this] { m_browse->changeRecord(); m_list->syncSelection(); });
    connect(button(QStringLiteral("?DELETE")), &QPushButton::clicked, this, [this] { m_browse->deleteRecord(); m_list->syncSelection(); });
    connect(button(QStringLiteral("?SELECT")), &QPushButton::clicked, this, &AccountsWindow::selectAccount);
    connect(button(QStringLiteral("?CLOSE")), &QPushButton::clicked, this, [this] { done(m_pick == 1 ? vrt::REQUEST_CANCELLED : vrt::REQUEST_COMPLETED); });
    button(QStringLiteral("?SELECT"))->setVisible(pick == 1);
    // A double click picks in pick mode and changes the account otherwise.
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] {
        if (m_pick == 1)
            selectAccount();
    });
    resize(560, 380);
    restorePlace(*this, QStringLiteral("T_Accounti"));
    m_list->setFocus();
}

AccountsWindow::~AccountsWindow() = default;

QPushButton* AccountsWindow::button(const QString& name) const { return findChild<QPushButton*>(name); }

void AccountsWindow::selectAccount()
{
    const QVariant id = m_browse->selectedId();
    if (!id.isValid() || !m_source->load(id))
        return;
    done(vrt::REQUEST_COMPLETED);
}

int AccountsWindow::run()
{
    pxp::themeLibraryWindow(this);
    vrt::runModal(*this);
    if (!m_closed) // closed without done(): the close box
        done(QDialog::Rejected);
    return result() == vrt::REQUEST_COMPLETED ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED;
}

void AccountsWindow::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        if (m_pick != 1)
            ProvjeriInbox();
        storeMailSettings(dataFolder(), m_charsets->currentText(), m_minutes->value());
        VelmoraDll::saveListLayout(m_list->horizontalHeader(), QStringLiteral("T_Accounti"), QStringLiteral("?List"));
        savePlace(*this, QStringLiteral("T_Accounti"));
    }
    // The close box answers as "Zatvori" does.
    if (result == QDialog::Rejected)
        result = m_pick == 1 ? vrt::REQUEST_CANCELLED : vrt::REQUEST_COMPLETED;
    QDialog::done(result);
}

int T_Accounti(int pick, QWidget* parent)
{
    GLOBALRESPONSE = 0;
    AccountsWindow window(pick, parent);
    const int response = window.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace mailpeople
