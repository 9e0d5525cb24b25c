#include "procedures/organiser/panes/OrganiserPanes.h"

#include <QAbstractButton>

#include "data/TableManagers.h"

#include <QCursor>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>

#include "controls/Images.h"
#include "controls/OrganiserControls.h"
#include "procedures/common/Tornavellic.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/panes/PaneWidgets.h"
#include "procedures/organiser/panes/TaskPanelWidget.h"
#include "procedures/organiser/panes/TaskPanelFill.h"
#include "runtime/Paths.h"
#include "services/Quilvo.h"
#include "runtime/Dialogs.h"

namespace organiser {

// The lists as the window shows them.
class OrganiserPanes::ListSide : public ListSetSide {
public:
    explicit ListSide(OrganiserWindow& window) : m_window(window), m_folder(window.dataFolder()) {}
    // The selected mail is the one in the record buffer: the replies, the double click and
    // the read mark work on it, and its read mark counts from its selection.
    void mailSelected(OrganiserList& l) override
    {
        if (l.selected() < 0 || !l.source().load(l.selectedId()))
            Access(Tbl::EMAIL).clearBuffer();
        m_window.heartbeat().shownMailChanged(EM().ID);
    }
    void financeChanged() override {} // nothing on the window's side computes the totals again
    QIcon icon(const QString& name) override { return controls::imageIcon(m_folder, name); }

private:
    OrganiserWindow& m_window;
    QString m_folder;
};

// The context menus' entries, run by the window.
class OrganiserPanes::MenuSide : public MenuActions {
public:
    MenuSide(OrganiserPanes& panes, OrganiserWindow& window) : m_panes(panes), m_window(window) {}
    void dispatch(int code) override { m_window.dispatcher().dispatch(code); }
    void postAccepted(int control) override { m_window.manager().postAccepted(control); }
    void run(Routine routine) override { m_panes.runRoutine(m_window, routine); }
    // The calendar's entries belong to the calendar, registered by name.
    void calendarRequest(int deleteRequest) override
    {
        m_panes.runRoutine(m_window, deleteRequest ? Routine::CalendarDeleteEvent : Routine::CalendarEditEvent);
    }
    // The plan's feature gives the link entries actions of its own.
    void linkType(int, int) override {}

private:
    OrganiserPanes& m_panes;
    OrganiserWindow& m_window;
};

// The pane buttons' view of the window: its trees, routines, note editor and mail.
class OrganiserPanes::ButtonSide : public PaneButtonSide {
public:
    ButtonSide(OrganiserPanes& panes, OrganiserWindow& window) : m_panes(panes), m_window(window) {}
    int dispatch() override { return m_window.dispatcher().dispatch(); }
    int tabChanged() override { return 0; } // the window switches its tabs itself
    // The routines features registered (the state chart's option draws through its own signal).
    int run(Routine routine) override { return m_panes.runRoutine(m_window, routine); }
    long financeCategoryId() override { return m_panes.treeRowId(tree::Categories); }
    long selectedGroupId() override { return m_panes.treeRowId(tree::ContactGroups); }
    void refreshGroups() override
    {
        if (VelmoraDll::TreeTableSource* groups = m_window.contactGroups()) {
            VelmoraDll::S_FillContactGroupTree(*groups);
            m_panes.selectTreeRow(tree::ContactGroups, 0);
        }
    }
    QString contactNoteText() override { return m_panes.m_contactNote ? m_panes.m_contactNote->toPlainText() : QString(); }
    void mailTo(const QString& address) override { m_window.dispatcher().newMessageTo(address); }
    void showMenu(vrt::PopupMenu& menu) override { menu.ask(QCursor::pos(), &m_window); }

private:
    OrganiserPanes& m_panes;
    OrganiserWindow& m_window;
};

OrganiserPanes::OrganiserPanes(OrganiserWindow& window) : QObject(&window)
{
    m_listSide = std::make_unique<ListSide>(window);
    m_lists = std::make_unique<ListSet>(&window.manager(), m_listSide.get());
    m_menuSide = std::make_unique<MenuSide>(*this, window);
    m_menus = std::make_unique<OrganiserMenus>(*m_menuSide, window.dataFolder());
    m_events = std::make_unique<ListEvents>(*m_menus, window.dispatcher(), window.mailDesk());
    m_parking = new QWidget(&window);
    m_parking->setObjectName(QStringLiteral("Unplaced"));
    m_parking->hide();
    for (const ListDef& def : organiserLists()) {
        auto* view = new OrganiserListView(m_lists->list(def.control), m_parking);
        view->setObjectName(QString::fromLatin1(def.layoutKey));
        m_views[def.control] = view;
        window.setList(def.control, view);
        OrganiserList& list = m_lists->list(def.control);
        if (def.control == ctl::Email) {
            connect(view, &OrganiserListView::rightPressed, this, [this, &list](int) {
                if (list.source().load(list.selectedId()))
                    m_events->mailPressed(QString::fromStdString(EM().REPLYTO));
            });
            connect(view, &OrganiserListView::menuRequested, this, [this, view](QPoint at) { m_events->mailMenu().ask(at, view); });
            connect(view, &OrganiserListView::rowActivated, this,
                    [this, &list](int) { m_events->mailDoubleClicked(long(list.selectedId().toLongLong())); });
        } else if (def.control == ctl::Notes) {
            bindNotesView(*m_lists, *view);
        } else {
            connect(view, &OrganiserListView::menuRequested, this, [&list, view](QPoint at) { list.browse().popup().ask(at, view); });
            connect(view, &OrganiserListView::rowActivated, this, [&list, view] {
                list.browse().activate();
                view->syncSelection();
            });
        }
    }
    makeTrees(window);
    makePump(window);
    makeButtons(window);
    m_splitters = new PageSplitters(&window, vrt::joinPath(window.dataFolder(), QStringLiteral("Standard.ini")));
    place(window);
    makeTaskPanel(window);
}

OrganiserPanes::~OrganiserPanes() = default;

int OrganiserPanes::runRoutine(OrganiserWindow& window, Routine routine)
{
    if (RoutineTable* table = window.routineTable())
        return table->run(routine);
    // A window given routines of its own still has the mail list's entries.
    if (runOwnRoutine(window, routine))
        return 0;
    if (routine == Routine::DeleteEmail)
        return window.paneRoutines().DeleteEmail();
    tellNotAvailable();
    return 0;
}

bool OrganiserPanes::runOwnRoutine(OrganiserWindow& window, Routine routine)
{
    OrganiserList& mails = m_lists->list(ctl::Email);
    const long mail = long(mails.selectedId().toLongLong());
    MailDesk* desk = window.mailDesk();
    switch (routine) {
    case Routine::MarkUnread:
        if (desk && desk->markMailUnread(mail)) {
            window.heartbeat().keepShownUnread(mail);
            mails.reset();
        }
        return true;
    case Routine::MarkFolderRead:
        if (desk && desk->markFolderRead(treeRowId(tree::MailFolders)) > 0)
            mails.reset();
        return true;
    case Routine::InsertContact:
        window.dispatcher().InsertContact();
        return true;
    case Routine::AddToTasks: {
        // The task takes the text the preview shows of the message.
        auto* preview = qobject_cast<QTextEdit*>(window.hosted().preview);
        const QString text = preview ? preview->toPlainText().left(20055) : QString();
        if (desk && mail != 0 && mails.source().load(mails.selectedId()))
            desk->addMailToTasks(*window.forms(), text, QString::fromStdString(EM().REPLYTO));
        return true;
    }
    default: return false;
    }
}

void bindNotesView(ListSet& lists, OrganiserListView& view)
{
    OrganiserList& list = view.list();
    QObject::connect(&view, &QTableView::clicked, &view, [&lists, &view](const QModelIndex& i) {
        lists.clickNote(i.row(), i.column());
        view.syncSelection();
    });
    QObject::connect(&view, &OrganiserListView::insertRequested, &view, [&lists, &view, &list] {
        if (lists.insertNote()) {
            view.syncSelection();
            view.edit(list.model().index(list.selected(), list.def().columnOf(QStringLiteral("NOTE:NASLOV"))));
        }
    });
    QObject::connect(&view, &OrganiserListView::deleteRequested, &view, [&list, &view] {
        list.browse().deleteRecord(); // asks first
        view.syncSelection();
    });
    QObject::connect(&view, &OrganiserListView::menuRequested, &view,
                     [&list, &view](QPoint at) { list.browse().popup().ask(at, &view); });
}

namespace {

VelmoraDll::TreeQueue& queueOf(int control)
{
    switch (control) {
    case tree::MailFolders: return VelmoraDll::InboxQ();
    case tree::Categories: return VelmoraDll::PrihodiRashodiQ();
    default: return VelmoraDll::KontaktiGrupaQ();
    }
}

} // namespace

void OrganiserPanes::makeTrees(OrganiserWindow& window)
{
    for (int control : {tree::MailFolders, tree::Categories, tree::ContactGroups}) {
        auto* view = new QTreeView(m_parking);
        auto* model = new VelmoraDll::TreeQueueModel(view);
        view->setModel(model);
        view->setHeaderHidden(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setMaximumWidth(320);
        m_trees[control] = view;
        const Popup popup = control == tree::MailFolders ? Popup::MailFolders
                            : control == tree::Categories ? Popup::FinanceCategories
                                                          : Popup::ContactGroups;
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view, popup](QPoint at) {
            m_menus->prepare(popup);
            m_menus->menu(popup).ask(view->viewport()->mapToGlobal(at), view);
        });
        window.setList(control, view);
        // A group tree read again with no group chosen (the first group was just made) shows
        // its first group: a contact stored meanwhile would show in no list.
        if (control == tree::ContactGroups)
            connect(model, &QAbstractItemModel::modelReset, this, [this, view, model] {
                QTimer::singleShot(0, view, [view, model] {
                    if (!view->currentIndex().isValid() && model->rowCount() > 0)
                        view->setCurrentIndex(model->index(0, 0));
                });
            });
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, &window, control, model](const QModelIndex& current) {
                    if (!current.isValid())
                        return;
                    const long id = long(model->data(current, VelmoraDll::TreeQueueModel::IdRole).toLongLong());
                    if (control == tree::MailFolders)
                        m_lists->setMailFolder(id);
                    else if (control == tree::Categories)
                        m_lists->setFinanceCategory(id);
                    else
                        m_lists->setContactGroup(id);
                    window.manager().takeNewSelection(control);
                });
    }
}

void OrganiserPanes::selectTreeRow(int control, int row)
{
    QTreeView* view = tree(control);
    if (!view)
        return;
    VelmoraDll::TreeQueue& queue = queueOf(control);
    if (control == tree::Categories && queue.empty()) {
        static VelmoraDll::CategorySource categories;
        VelmoraDll::S_FillPrihodiRashodi(categories, VelmoraDll::translator());
    }
    // The standard mail folders are shown in the current language; folders the user made and
    // the account roots keep their stored names.
    if (control == tree::MailFolders)
        for (VelmoraDll::TreeRow& r : queue)
            if (r.ENNAZIV.endsWith(QLatin1String("_1")))
                r.NAZIV = VelmoraDll::translator().QVSTR(r.NAZIV);
    auto* model = static_cast<VelmoraDll::TreeQueueModel*>(view->model());
    const QModelIndex kept = view->currentIndex();
    const int keptPosition = kept.isValid() ? model->position(kept) : -1;
    model->setQueue(queue);
    view->expandAll();
    const int position = row > 0 ? row - 1 : keptPosition;
    if (position >= 0 && position < int(queue.size()))
        view->setCurrentIndex(model->indexOfPosition(position));
}

namespace {
// What the per-event checks read of the window and its panes, and what they do there.
class PanesPumpSide : public EventPumpDeps {
public:
    PanesPumpSide(OrganiserPanes& panes, OrganiserWindow& window) : m_panes(panes), m_window(window) {}

    QString messageId() override { return selectedCell(ctl::Email, "EM:MESSAGEID"); }
    void showEmail() override
    {
        // The mail page's own routine, once its feature is attached.
        if (RoutineTable* table = m_window.routineTable(); table && table->has(Routine::ShowEmail)) {
            table->run(Routine::ShowEmail);
            return;
        }
        auto* panel = qobject_cast<controls::MessageHeaderPanel*>(m_window.hosted().headerPanel);
        if (!panel)
            return;
        panel->setItemText(1, selectedCell(ctl::Email, "EM:SUBJECT"));
        panel->setItemText(2, selectedCell(ctl::Email, "EM:SENDER"));
        panel->setItemText(3, selectedCell(ctl::Email, "LC:VRIJEME"));
        panel->setItemText(4, selectedCell(ctl::Email, "EM:TOO"));
        if (QWidget* attachments = panel->item(5))
            attachments->setVisible(m_window.mailDesk()
                                    && m_window.mailDesk()->mailAttachmentCount(selectedCell(ctl::Email, "EM:ID").toLong()) > 0);
    }
    void navigate(const QString& target) override
    {
        if (auto* preview = qobject_cast<controls::PreviewBrowser*>(m_window.hosted().preview))
            preview->navigate(target);
    }
    int resizeControls() override { return m_panes.resizeControls(); }
    int setupSplitters() override
    {
        m_panes.setupSplitters();
        return 0;
    }
    int fillTaskPanel() override { return m_window.paneRoutines().FillTaskPanel(); }
    int mailColumnWidth(int column) override
    {
        OrganiserListView* mail = m_panes.view(ctl::Email);
        return mail ? mail->horizontalHeader()->sectionSize(column - 1) : 0;
    }
    // The task list follows its category through the lists themselves (ListSet), so the
    // checks see no category change to act on.
    long taskCategoryId() override { return 0; }
    long taskCategoryOrder() override { return 0; }
    void setTaskFilter(const QString&) override {}
    void emptyContactTasks() override {}
    void reset() override { m_window.manager().reset(true); }
    void postAccepted(int control) override { m_window.manager().postAccepted(control); }
    int askYesNo(const QString& text, const QString& caption) override
    {
        return vrt::message(text, caption, vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO);
    }
    // The planning page asks and deletes a link itself, so none is left pending here.
    void removeLink(const QString&) override {}
    int dispatch(int code) override { return m_window.dispatcher().dispatch(code); }
    long outgoingDocumentId() override { return selectedId(ctl::ID); }
    long outgoingCategoryId() override { return selectedId(ctl::IDK); }
    bool contactsEmpty() override { return m_panes.lists().list(ctl::Kontakti).rowCount() == 0; }
    // The lists of a contact follow the contact selection (ListSet) and are empty without one.
    void emptyContactLists() override {}

private:
    QString selectedCell(int control, const char* field)
    {
        OrganiserList& l = m_panes.lists().list(control);
        return l.selected() >= 0 ? l.cell(field, l.selected()) : QString();
    }
    long selectedId(int control) { return long(m_panes.lists().list(control).selectedId().toLongLong()); }

    OrganiserPanes& m_panes;
    OrganiserWindow& m_window;
};
} // namespace

void OrganiserPanes::makePump(OrganiserWindow& window)
{
    m_pumpSide = std::make_unique<PanesPumpSide>(*this, window);
    m_pump = std::make_unique<EventPump>(*m_pumpSide, window.dataFolder());
    m_pump->LayoutState = 1; // the first layout at the first event
}

void OrganiserPanes::makeButtons(OrganiserWindow& window)
{
    PaneButtonDeps d;
    d.lists = m_lists.get();
    d.menus = m_menus.get();
    d.forms = window.forms();
    d.groupCommands = window.contactGroupDesk();
    m_buttonSide = std::make_unique<ButtonSide>(*this, window);
    m_buttons = std::make_unique<PaneButtons>(d, *m_buttonSide);
}

int OrganiserPanes::paneButton(int control)
{
    // Refused by the guard before the button's own work: the list does nothing more.
    if (m_buttons->before(control) == 5)
        return vrt::LEVEL_CANCEL;
    if (const ListButton* b = listButton(control))
        pressListButton(*b);
    return m_buttons->after(control) ? vrt::LEVEL_NOTIFY : vrt::LEVEL_BENIGN;
}

void OrganiserPanes::firstShown()
{
    auto* window = qobject_cast<OrganiserWindow*>(parent());
    // The contact list's menu also writes to the contact, as the button beside the list does.
    vrt::PopupMenu& contacts = m_lists->list(ctl::Kontakti).browse().popup();
    contacts.addSeparator();
    contacts.addItem(QStringLiteral("Email"), QStringLiteral("Email"), [window] { window->manager().postAccepted(ctl::MailToContact); });
    const auto translate = [window](const QString& t) { return window->translated(t); };
    m_menus->translate(translate);
    // The lists' own menus ("Unos", "Izmjena", "Brisanje") too.
    for (const ListDef& def : organiserLists())
        m_lists->list(def.control).browse().popup().translate(translate);
    m_links->CheckItems(); // the links take their look now that the lists are shown
    // The contact groups' folders by level: the top one, four of their own, then one for
    // every deeper level.
    if (QTreeView* groups = tree(tree::ContactGroups)) {
        QList<QIcon> icons;
        for (int i = 1; i <= 10; ++i) {
            const QString file = i == 1 ? QStringLiteral("Folder.ico")
                                        : QStringLiteral("Folder%1.ico").arg(std::min(i - 1, 5));
            const QIcon icon = controls::imageIcon(window->dataFolder(), file);
            // A data folder without the images still shows folders.
            icons << (icon.isNull() ? groups->style()->standardIcon(QStyle::SP_DirIcon) : icon);
        }
        static_cast<VelmoraDll::TreeQueueModel*>(groups->model())->setIcons(icons);
    }
    // No mail is shown yet, so there are no attachments to list.
    if (auto* panel = qobject_cast<controls::MessageHeaderPanel*>(window->hosted().headerPanel))
        if (QWidget* attachments = panel->item(5))
            attachments->hide();
}

void OrganiserPanes::saveMainLayout() { m_splitters->saveMainLayout(); }

void OrganiserPanes::setupSplitters() { m_splitters->setupSplitters(); }

void OrganiserPanes::pressListButton(const ListButton& b)
{
    OrganiserList& list = m_lists->list(b.list);
    if (b.request != vrt::INSERT_RECORD && list.selected() < 0)
        return;
    OrganiserListView* shown = view(b.list);
    m_lists->ask(b.list, b.request);
    if (shown)
        shown->syncSelection();
}

namespace {

// The organiser window's buttons, for the tasks that mirror them.
class WindowButtons : public ButtonSource {
public:
    explicit WindowButtons(OrganiserWindow& window) : m_window(window) {}
    QAbstractButton* buttonOf(long control) override
    {
        return qobject_cast<QAbstractButton*>(m_window.manager().control(int(control)));
    }

private:
    OrganiserWindow& m_window;
};

// The task panel's fill as the window runs it: its widget, the notes list, the overview
// chart, the backup form and the window itself.
class TaskPanelWindowSide : public panes::TaskPanelSide {
public:
    TaskPanelWindowSide(OrganiserWindow& window, OrganiserPanes& panes, OrganiserList& notes)
        : m_window(window), m_panes(panes), m_notes(notes)
    {
    }
    QString translate(const QString& text) override { return m_window.translated(text); }
    QDate today() override { return QDate::currentDate(); }
    void showPanel() override { m_panes.taskPanelWidget()->show(); }
    void refreshPanel() override { m_panes.taskPanelWidget()->refresh(); }
    int noteRows() override { return m_notes.rowCount(); }
    QString noteCell(const QString& field, int row) override { return m_notes.cell(field, row); }
    void resetNotes() override { m_notes.repaint(); } // the tags changed, not the rows
    int drawFinanceChart() override { return m_window.paneRoutines().DrawFinanceChart(); }
    // The overview chart is hidden until the first fill: that is how the fill knows it is
    // the one at start-up, which runs the backup.
    bool chartHidden() override
    {
        QWidget* chart = m_window.manager().control(13);
        return !chart || chart->isHidden();
    }
    void showChart() override
    {
        if (QWidget* chart = m_window.manager().control(13))
            chart->show();
    }
    void backup(const QString& destination) override
    {
        if (m_window.forms())
            m_window.forms()->W_Backup(destination);
    }
    int tabChanged() override { return m_window.showCurrentTab(); }
    bool windowHidden() override { return !m_window.isVisible(); }
    void showWindow() override { m_window.show(); }

private:
    OrganiserWindow& m_window;
    OrganiserPanes& m_panes;
    OrganiserList& m_notes;
};

} // namespace

void OrganiserPanes::makeTaskPanel(OrganiserWindow& window)
{
    m_taskPanelWidget->setButtons(std::make_unique<WindowButtons>(window));
    m_taskPanelSide = std::make_unique<TaskPanelWindowSide>(window, *this, m_lists->list(ctl::Notes));
    m_taskPanelFill = std::make_unique<panes::TaskPanelFill>(m_taskPanel, window.dataFolder(), *m_taskPanelSide);
    if (window.forms())
        m_taskPanelFill->connectPanel(*window.forms(), window.mailDesk());
    if (RoutineTable* table = window.routineTable()) {
        table->attach(Routine::FillTaskPanel, [this] { return m_taskPanelFill->run(); });
        for (Routine own : {Routine::MarkUnread, Routine::MarkFolderRead, Routine::InsertContact, Routine::AddToTasks})
            table->attach(own, [this, &window, own] {
                runOwnRoutine(window, own);
                return 0;
            });
    }
}

long OrganiserPanes::treeRowId(int control) const
{
    QTreeView* view = tree(control);
    const QModelIndex current = view ? view->currentIndex() : QModelIndex();
    return current.isValid() ? long(current.data(VelmoraDll::TreeQueueModel::IdRole).toLongLong()) : 0;
}

void OrganiserPanes::pumpEvents()
{
    // An event while a form or message runs above the window waits until it has closed.
    if (vrt::modalDepth() > m_pumpGuard.home()) {
        if (!m_pumpWaiting) {
            m_pumpWaiting = true;
            vrt::whenModalDepthAtMost(m_pumpGuard.home(), this, [this] {
                m_pumpWaiting = false;
                pumpEvents();
            });
        }
        return;
    }
    m_pumpGuard.run([this] { m_pump->run(); });
    updateButtons();
    showContactNote();
}

QTreeView* OrganiserPanes::tree(int control) const
{
    const auto it = m_trees.find(control);
    return it == m_trees.end() ? nullptr : it->second;
}

OrganiserListView* OrganiserPanes::view(int control) const
{
    const auto it = m_views.find(control);
    return it == m_views.end() ? nullptr : it->second;
}

OrganiserPanes* attachPanes(OrganiserWindow& window)
{
    if (auto* existing = window.findChild<OrganiserPanes*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    auto* panes = new OrganiserPanes(window);
    window.setParts(*panes);
    return panes;
}

} // namespace organiser
