#include "procedures/contacts/ContactGroups.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "controls/Images.h"
#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/PopupMenu.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace MC {
std::atomic<int32_t> GROUPID{0};
}

namespace mailpeople {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

// Whether a row of `table` has `value` in the first component of `key`, read into the
// table's (alias) buffer.
template <class Set>
bool anyRow(Tbl table, int key, Set set)
{
    vrt::FileManager& f = Access(table);
    if (!f.Opened())
        f.Open();
    f.clearBuffer();
    set();
    return f.TryFetch(key) == 0;
}

bool readGroup(long id)
{
    vrt::FileManager& f = Access(Tbl::CON_Group);
    f.clearBuffer();
    CONG().ID = int32_t(id);
    return f.TryFetch(CONG.IDKey) == 0;
}
} // namespace

int F_Grupa_Kontakti(long id, long parent, QWidget* owner)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    vrt::FileManager& f = Access(Tbl::CON_Group);
    if (!f.Opened())
        f.Open();
    if (request == vrt::INSERT_RECORD) {
        CONG().TATAID = int32_t(parent);
    } else if (request == vrt::CHANGE_RECORD || request == vrt::DELETE_RECORD || request == vrt::VIEW_RECORD) {
        if (!readGroup(id)) {
            vrt::stop(failure(QStringLiteral("F_Grupa_Kontakti SrediProzor Change :") + QString::number(id) + QStringLiteral(" :"),
                              f.ErrorCode(), f.ErrorText()));
            GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
            return vrt::REQUEST_CANCELLED;
        }
    }
    vrt::FileBrowseSource target(f, Relate(Tbl::CON_Group), {});
    vrt::UpdateFormController controller(target, request, QStringLiteral("F_Grupa_Kontakti"));
    controller.translate = [](const QString& t) { return mailpeople::tx(t); };
    controller.setErrors(VelmoraDll::LibraryErrors());
    controller.setFields({{QStringLiteral("NAZIV"), tx(QStringLiteral("Naziv:")), [] { return q(CONG().NAZIV); },
                           [](const QString& v) { CONG().NAZIV = v.toStdString(); }},
                          {QStringLiteral("NAPOMENA"), tx(QStringLiteral("Napomena:")), [] { return q(CONG().NAPOMENA); },
                           [](const QString& v) { CONG().NAPOMENA = v.toStdString(); }}});
    vrt::UpdateDialog dialog(controller, tx(QStringLiteral("Grupa kontakata")), owner);
    dialog.setObjectName(QStringLiteral("F_Grupa_Kontakti"));
    dialog.setCancelText(tx(QStringLiteral("Prekid")));
    dialog.actionLabel()->hide(); // the title says what the form does
    dialog.entry(QStringLiteral("NAZIV"))->setMaxLength(254);
    dialog.entry(QStringLiteral("NAPOMENA"))->setMaxLength(7999);
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

int ContactGroupCommands::run(Command command)
{
    const long group = m_side.currentGroup();
    long parent = 0;
    const auto found = [&] {
        if (group == 0 || !readGroup(group))
            return false;
        parent = CONG().TATAID;
        return true;
    };
    auto form = [this](long id, long p) { return m_side.form(id, p); };
    const uint8_t saved = GLOBALREQUEST;
    int response = 0;
    switch (command) {
    case Insert:
    case InsertSubgroup:
        if (command == InsertSubgroup && !found())
            return 0;
        if (!Access(Tbl::CON_Group).Opened())
            Access(Tbl::CON_Group).Open();
        Access(Tbl::CON_Group).clearBuffer();
        if (Access(Tbl::CON_Group).PrimeRecord(true) != 0)
            return 0;
        GLOBALREQUEST = vrt::INSERT_RECORD;
        response = form(0, command == InsertSubgroup ? group : 0);
        // A form that did not complete leaves no empty group behind.
        if (response != vrt::REQUEST_COMPLETED && Access(Tbl::CON_Group).HasReservedRow())
            Access(Tbl::CON_Group).CancelAutoInc(&Relate(Tbl::CON_Group));
        break;
    case Change:
        if (!found())
            return 0;
        GLOBALREQUEST = vrt::CHANGE_RECORD;
        response = form(group, parent);
        break;
    case Delete:
        if (!found())
            return 0;
        // Subgroups are looked for before contacts.
        if (anyRow(Tbl::ACON_GrupaAlias, CONGA.TateKey, [&] { CONGA().TATAID = int32_t(group); })) {
            vrt::message(tx(QStringLiteral("Grupa ima podgrupe i ne može biti obrisana!")), {}, vrt::Icon::Hand);
            return 0;
        }
        if (anyRow(Tbl::ACON_ContactsAlias, ACON.GrupaIDKey, [&] { ACON().GRUPAID = int32_t(group); })) {
            vrt::message(tx(QStringLiteral("Grupa ima kontakte i ne može biti obrisana!")), {}, vrt::Icon::Hand);
            return 0;
        }
        GLOBALREQUEST = vrt::DELETE_RECORD;
        response = form(group, parent);
        break;
    }
    GLOBALREQUEST = saved;
    if (response == vrt::REQUEST_COMPLETED)
        m_side.changed();
    return response;
}

GroupTreeModel::GroupTreeModel(QObject* parent) : VelmoraDll::TreeQueueModel(parent)
{
    const QString folder = dataFolder();
    m_icons.push_back(controls::imageIcon(folder, QStringLiteral("Folder.ico")));
    for (int i = 1; i <= 4; ++i)
        m_icons.push_back(controls::imageIcon(folder, QStringLiteral("Folder%1.ico").arg(i)));
    for (int i = 6; i <= 10; ++i)
        m_icons.push_back(controls::imageIcon(folder, QStringLiteral("Folder5.ico")));
}

QVariant GroupTreeModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int icon = VelmoraDll::TreeQueueModel::data(index, IconRole).toInt();
        return icon >= 1 && icon <= int(m_icons.size()) ? QVariant(m_icons[size_t(icon - 1)]) : QVariant();
    }
    return VelmoraDll::TreeQueueModel::data(index, role);
}

QVariant GroupTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return tx(QStringLiteral("Grupe kontakata"));
    return VelmoraDll::TreeQueueModel::headerData(section, orientation, role);
}

int ContactGroupCommands::groupForm(long id, long parent) { return F_Grupa_Kontakti(id, parent, QApplication::activeWindow()); }

// The tree's own current group and refill, with the group form.
class GroupTree::CommandSide : public ContactGroupCommands::Side {
public:
    explicit CommandSide(GroupTree& tree) : m_tree(tree) {}
    long currentGroup() override { return m_tree.currentGroup(); }
    int form(long id, long parent) override { return ContactGroupCommands::groupForm(id, parent); }
    void changed() override { m_tree.refill(); }

private:
    GroupTree& m_tree;
};

GroupTree::GroupTree(QWidget* parent)
    : QTreeView(parent), m_model(new GroupTreeModel(this)), m_side(std::make_unique<CommandSide>(*this)), m_commands(*m_side)
{
    setObjectName(QStringLiteral("?L:KONTAKTIGRUPAQ"));
    setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c)
        setColumnHidden(c, true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) { showMenu(viewport()->mapToGlobal(p)); });
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this, nullptr, nullptr, Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] { showMenu(viewport()->mapToGlobal(visualRect(currentIndex()).center())); });
    refill();
}

void GroupTree::refill()
{
    const long keep = selectionModel() ? currentGroup() : 0;
    VelmoraDll::ContactGroupSource source;
    VelmoraDll::S_FillContactGroupTree(source);
    m_model->setQueue(VelmoraDll::KontaktiGrupaQ());
    expandAll();
    disconnect(selectionModel(), nullptr, this, nullptr);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { emit groupChanged(currentGroup()); });
    if (!(keep && selectGroup(keep)) && m_model->rowCount() > 0)
        setCurrentIndex(m_model->indexOfPosition(0));
    emit groupChanged(currentGroup());
}

long GroupTree::currentGroup() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? long(current.data(VelmoraDll::TreeQueueModel::IdRole).toLongLong()) : 0;
}

bool GroupTree::selectGroup(long id)
{
    const auto& rows = m_model->queue();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].ID == id) {
            setCurrentIndex(m_model->indexOfPosition(int(i)));
            return true;
        }
    return false;
}

void GroupTree::showMenu(const QPoint& globalPos)
{
    vrt::PopupMenu menu;
    const QString folder = dataFolder();
    auto add = [&](const char* text, const char* icon, ContactGroupCommands::Command c) {
        const int id = menu.addItem(tx(QString::fromUtf8(text)), QString::fromLatin1(icon), [this, c] { m_commands.run(c); });
        menu.setIcon(id, controls::imageIcon(folder, QString::fromLatin1(icon)));
    };
    add("Unos", "i.ico", ContactGroupCommands::Insert);
    add("Unos podgrupe", "i.ico", ContactGroupCommands::InsertSubgroup);
    menu.addSeparator();
    add("Izmjena", "c.ico", ContactGroupCommands::Change);
    add("Brisanje", "d.ico", ContactGroupCommands::Delete);
    menu.ask(globalPos, this);
}

void addGroupButtons(QWidget* owner, QGridLayout* layout, GroupTree* tree, int perRow)
{
    const struct {
        const char* name;
        const char* text;
        const char* icon;
        ContactGroupCommands::Command command;
    } buttons[] = {{"?INSG", "Unos", "i.ico", ContactGroupCommands::Insert},
                   {"?INSPODG", "Unos podgrupe", "i.ico", ContactGroupCommands::InsertSubgroup},
                   {"?CHG", "Izmjena", "c.ico", ContactGroupCommands::Change},
                   {"?DELG", "Brisanje", "d.ico", ContactGroupCommands::Delete}};
    int place = 0;
    for (const auto& b : buttons) {
        auto* p = new QPushButton(controls::imageIcon(dataFolder(), QString::fromLatin1(b.icon)), tx(QString::fromUtf8(b.text)), owner);
        p->setObjectName(QLatin1String(b.name));
        p->setAutoDefault(false);
        QObject::connect(p, &QPushButton::clicked, tree, [tree, c = b.command] { tree->commands().run(c); });
        layout->addWidget(p, place / perRow, place % perRow);
        ++place;
    }
}

GroupPicker::GroupPicker(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("T_GrupaKontakti"));
    setWindowTitle(tx(QStringLiteral("Kontakti")));
    MC::GROUPID = 0;
    auto* layout = new QVBoxLayout(this);
    m_tree = new GroupTree(this);
    VelmoraDll::restoreListLayout(m_tree->header(), QStringLiteral("T_GrupaKontakti"), QStringLiteral("?L:KontaktiGrupaQ"));
    layout->addWidget(m_tree, 1);
    auto* groupButtons = new QGridLayout;
    addGroupButtons(this, groupButtons, m_tree, 4);
    layout->addLayout(groupButtons);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* ok = new QPushButton(controls::imageIcon(dataFolder(), QStringLiteral("ok.ico")), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("?OK"));
    auto* close = new QPushButton(controls::imageIcon(dataFolder(), QStringLiteral("cancel.ico")), tx(QStringLiteral("Prekid")), this);
    close->setObjectName(QStringLiteral("?CLOSE"));
    bottom->addWidget(ok);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (const long id = m_tree->currentGroup())
            MC::GROUPID = int32_t(id);
        done(QDialog::Accepted);
    });
    connect(close, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    resize(360, 420);
    restorePlace(*this, QStringLiteral("T_GrupaKontakti"));
    m_tree->setFocus();
}

QPushButton* GroupPicker::button(const QString& name) const { return findChild<QPushButton*>(name); }

void GroupPicker::done(int result)
{
    VelmoraDll::saveListLayout(m_tree->header(), QStringLiteral("T_GrupaKontakti"), QStringLiteral("?L:KontaktiGrupaQ"));
    savePlace(*this, QStringLiteral("T_GrupaKontakti"));
    QDialog::done(result);
}

long T_GrupaKontakti(QWidget* parent)
{
    GroupPicker picker(parent);
    pxp::themeLibraryWindow(&picker);
    vrt::runModal(picker);
    return MC::GROUPID;
}

namespace {

// The organiser's tree as the desk's caller hands it over.
class CallerSide : public ContactGroupCommands::Side {
public:
    CallerSide(std::function<long()> current, std::function<int(long, long)> form, std::function<void()> changed)
        : m_current(std::move(current)), m_form(std::move(form)), m_changed(std::move(changed)) {}
    long currentGroup() override { return m_current ? m_current() : 0; }
    int form(long id, long parent) override { return m_form ? m_form(id, parent) : ContactGroupCommands::groupForm(id, parent); }
    void changed() override
    {
        if (m_changed)
            m_changed();
    }

private:
    std::function<long()> m_current;
    std::function<int(long, long)> m_form;
    std::function<void()> m_changed;
};

class FeatureGroupDesk final : public organiser::ContactGroupDesk {
public:
    int runGroupCommand(int command, std::function<long()> currentGroup, std::function<int(long, long)> form,
                        std::function<void()> changed) override
    {
        if (command < ContactGroupCommands::Insert || command > ContactGroupCommands::Delete)
            return 0;
        CallerSide side(std::move(currentGroup), std::move(form), std::move(changed));
        ContactGroupCommands commands(side);
        return commands.run(ContactGroupCommands::Command(command));
    }
};

} // namespace

organiser::ContactGroupDesk& contactGroupDesk()
{
    static FeatureGroupDesk desk; // no state of its own
    return desk;
}

} // namespace mailpeople
