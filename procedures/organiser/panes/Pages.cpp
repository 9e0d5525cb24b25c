// The organiser window's pages: every pane control under its number, placed with Qt layouts
// whose stretch comes from the resize table, so a control grows with the window exactly in
// the directions the table gives it. The pane borders are splitters with the window's bars.
#include "procedures/organiser/panes/OrganiserPanes.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "chrome/ResizeWidgets.h"
#include "data/TableManagers.h"
#include "procedures/common/Tornavellic.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/panes/PaneLayout.h"
#include "procedures/organiser/panes/PaneWidgets.h"
#include "procedures/organiser/panes/TaskPanelWidget.h"

namespace organiser {

namespace {

// Builds one page's controls and registers each under its number.
class Composer {
public:
    Composer(OrganiserWindow& window, OrganiserPanes& panes) : m_w(window), m_p(panes) {}

    QWidget* control(int n) { return m_w.manager().control(n); }
    void name(int n, QWidget* w) { m_w.manager().setControl(n, w); }
    QWidget* widget(int n)
    {
        if (QWidget* v = m_p.view(n))
            return v;
        if (QWidget* t = m_p.tree(n))
            return t;
        return control(n);
    }

    QPushButton* button(int n, const QString& caption, QIcon icon = {})
    {
        auto* b = new QPushButton(icon, caption);
        b->setObjectName(QStringLiteral("Button%1").arg(n));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        name(n, b);
        QObject::connect(b, &QPushButton::clicked, &m_w, [w = &m_w, n] { w->manager().postAccepted(n); });
        return b;
    }
    QPushButton* arrow(int n, QStyle::StandardPixmap icon)
    {
        QPushButton* b = button(n, {}, m_w.style()->standardIcon(icon));
        b->setFixedWidth(32);
        return b;
    }

    // A row of buttons never holds a pane border back: the buttons stay where they are and
    // a narrow pane just shows fewer of them.
    static QWidget* loose(QWidget* row)
    {
        row->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        return row;
    }

    // A row of buttons at the left.
    QWidget* row(std::initializer_list<QWidget*> items)
    {
        auto* box = new QWidget;
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        for (QWidget* w : items)
            layout->addWidget(w);
        layout->addStretch(1);
        return loose(box);
    }
    QWidget* listButtons(int list)
    {
        auto* box = new QWidget;
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        for (const ListButton& b : organiser::listButtons())
            if (b.list == list)
                layout->addWidget(button(b.button, QString::fromUtf8(b.caption)));
        layout->addStretch(1);
        return loose(box);
    }
    QWidget* arrows(int first)
    {
        return row({arrow(first, QStyle::SP_ArrowUp), arrow(first + 1, QStyle::SP_ArrowDown),
                    arrow(first + 2, QStyle::SP_ArrowLeft), arrow(first + 3, QStyle::SP_ArrowRight)});
    }

    // A column: items from the top, each growing in height as the table says for `controls`.
    struct Item {
        QWidget* widget;
        int control = 0; // 0: keeps its height
    };
    QWidget* column(std::initializer_list<Item> items)
    {
        auto* box = new QWidget;
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        for (const Item& i : items)
            layout->addWidget(i.widget, i.control && !keepsHeight(i.control) ? 1 : 0);
        return box;
    }

    // A splitter whose handles are the bars `bars`; `panes` name its widgets for the saved
    // positions, `controls` give each widget's stretch from the table.
    QSplitter* split(Qt::Orientation o, const std::vector<std::pair<QWidget*, int>>& parts, const std::vector<int>& bars,
                     const std::vector<int>& panes, const QList<int>& sizes)
    {
        auto* s = new MH::BarSplitter(o);
        s->setChildrenCollapsible(false);
        s->setHandleWidth(4);
        for (const auto& [w, c] : parts) {
            s->addWidget(w);
            const bool keeps = o == Qt::Horizontal ? keepsWidth(c) : keepsHeight(c);
            s->setStretchFactor(s->count() - 1, keeps ? 0 : 1);
        }
        m_p.splitters().add(s, bars, panes, sizes);
        for (size_t i = 0; i < bars.size() && int(i) + 1 < s->count(); ++i)
            name(bars[i], s->handle(int(i) + 1));
        return s;
    }

    static void fill(QWidget* page, QWidget* content)
    {
        if (!page->layout())
            new QVBoxLayout(page);
        page->layout()->setContentsMargins(4, 4, 4, 4);
        page->layout()->addWidget(content);
        // A page composed while it is being shown shows its content now, before it is painted.
        content->show();
    }

    QWidget* page(int index) { return static_cast<QStackedWidget*>(control(6))->widget(index); }
    QWidget* tab(int sheet, int index) { return static_cast<QTabWidget*>(control(sheet))->widget(index); }

    OrganiserWindow& m_w;
    OrganiserPanes& m_p;
};

QLabel* caption(Composer& c, int n, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    c.name(n, l);
    return l;
}

// The overview: the task panel beside the notes, the finance chart below them.
void overview(Composer& c, TaskPanelWidget* panel)
{
    c.name(8, panel);
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("Sprvi"));
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    auto* tabs = new QTabBar(sheet);
    tabs->setExpanding(false);
    tabs->addTab(QIcon(), QString::fromUtf8("Prihod/trošak"));
    tabs->addTab(QIcon(), QString::fromUtf8("Izlaz/ulaz"));
    sheetLayout->addWidget(tabs);
    QWidget* chart = c.control(ctl::Chart);
    chart->setMinimumHeight(180);
    chart->hide(); // shown by the first fill of the task panel
    sheetLayout->addWidget(chart, 1);
    sheet->setFixedHeight(240);
    c.name(ctl::OverviewSheet, sheet);
    QWidget* right = c.column({{caption(c, 18, "Napomene")},
                               {c.listButtons(ctl::Notes)},
                               {c.widget(ctl::Notes), ctl::Notes},
                               {caption(c, 19, "Financijski podaci")},
                               {sheet, ctl::OverviewSheet}});
    Composer::fill(c.page(0), c.split(Qt::Horizontal, {{panel, 8}, {right, ctl::Notes}}, {9}, {8, 0}, {280, 900}));
}

void mail(Composer& c)
{
    QWidget* tree = c.widget(ctl::MailFolderTree);
    QWidget* left = c.column({{tree, ctl::MailFolderTree}, {c.arrows(ctl::MailFolderArrows)}});
    auto* reading = new QWidget;
    reading->setObjectName(QStringLiteral("Reading"));
    auto* layout = new QVBoxLayout(reading);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(c.control(ctl::HeaderPanel), 0);
    layout->addWidget(c.control(ctl::Preview), 1);
    c.control(ctl::Attachments)->setParent(reading);
    c.control(ctl::Attachments)->hide();
    QWidget* mails = c.widget(ctl::Email);
    Composer::fill(c.page(1), c.split(Qt::Horizontal,
                                      {{left, ctl::MailFolderTree}, {mails, ctl::Email}, {reading, ctl::Preview}}, {31, 22},
                                      {ctl::MailFolderTree, ctl::Email, ctl::Preview}, {220, 640, 500}));
    c.m_p.splitters().name(ctl::MailFolderTree, tree);
    c.m_p.splitters().name(ctl::HeaderPanel, c.control(ctl::HeaderPanel));
}

// A list under its insert, change and delete buttons.
QWidget* listColumn(Composer& c, int list) { return c.column({{c.listButtons(list)}, {c.widget(list), list}}); }

void tasks(Composer& c)
{
    Composer::fill(c.page(2), c.split(Qt::Horizontal,
                                      {{listColumn(c, ctl::TaskCategory), ctl::TaskCategory},
                                       {listColumn(c, ctl::Zadaci), ctl::Zadaci}},
                                      {41}, {ctl::TaskCategory, ctl::Zadaci}, {240, 900}));
}

void calendar(Composer& c)
{
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(c.control(ctl::Calendar), 1);
    c.control(ctl::DatePicker)->setFixedWidth(250);
    layout->addWidget(c.control(ctl::DatePicker), 0);
    Composer::fill(c.page(3), box);
}

void planning(Composer& c)
{
    // The plan's item list; the planning pane fills it.
    auto* items = new QTreeWidget;
    items->setObjectName(QStringLiteral("ItemsQ"));
    items->setHeaderHidden(true);
    items->setFixedWidth(200);
    c.name(ctl::GanttItems, items);
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(c.control(ctl::Gantt), 1);
    layout->addWidget(items, 0);
    Composer::fill(c.page(4), box);
}

// The state page of the finance sheet: the totals, the kind of chart, its list and the chart.
QWidget* financeState(Composer& c)
{
    struct Field {
        int prompt;
        const char* text;
        int value;
    };
    auto group = [&c](int n, const char* title, std::initializer_list<Field> fields) {
        auto* g = new QGroupBox(QString::fromUtf8(title));
        auto* form = new QFormLayout(g);
        for (const Field& f : fields) {
            auto* label = new QLabel(QString::fromUtf8(f.text));
            c.name(f.prompt, label);
            auto* value = new QLineEdit;
            value->setReadOnly(true);
            value->setAlignment(Qt::AlignRight);
            c.name(f.value, value);
            form->addRow(label, value);
        }
        c.name(n, g);
        return g;
    };
    QWidget* personal = group(89, "Osobne financije", {{90, "Prihodi:", 91}, {92, "Troškovi:", 93}, {95, "Stanje:", 94}});
    QWidget* documents = group(96, "Ulazni i izlazni dokumenti", {{97, "Ulazni:", 98}, {99, "Izlazni:", 100}, {101, "Stanje:", 102}});
    auto* option = new QGroupBox(QString::fromUtf8("Prikaz grafikona"));
    auto* optionLayout = new QVBoxLayout(option);
    for (auto [n, text] : {std::pair{106, "Osobne financije"}, std::pair{107, "Financijski dokumenti"}}) {
        auto* radio = new QRadioButton(QString::fromUtf8(text));
        radio->setChecked(n == 106);
        c.name(n, radio);
        optionLayout->addWidget(radio);
        QObject::connect(radio, &QRadioButton::toggled, &c.m_w, [&w = c.m_w](bool on) {
            if (on)
                w.manager().postAccepted(ctl::StateChartKind);
        });
    }
    c.name(ctl::StateChartKind, option);
    auto* list = new QTreeWidget;
    list->setObjectName(QStringLiteral("List1"));
    list->setHeaderHidden(true);
    c.name(ctl::StateList, list);
    QWidget* left = c.column({{personal}, {documents}, {option}, {list, ctl::StateList}});
    left->setFixedWidth(300);
    auto* chart = new QWidget;
    chart->setObjectName(QStringLiteral("Stanje"));
    c.name(ctl::StateChart, chart);
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(left, 0);
    layout->addWidget(chart, 1);
    return box;
}

void finance(Composer& c)
{
    QWidget* tree = c.column({{c.widget(ctl::CategoryTree), ctl::CategoryTree}, {c.arrows(ctl::CategoryArrows)}});
    Composer::fill(c.tab(ctl::FinanceSheet, 0),
                   c.split(Qt::Horizontal, {{tree, ctl::CategoryTree}, {listColumn(c, ctl::Pr), ctl::Pr}}, {62},
                           {ctl::CategoryTree, ctl::Pr}, {260, 900}));
    c.m_p.splitters().name(ctl::CategoryTree, c.widget(ctl::CategoryTree));
    Composer::fill(c.tab(ctl::FinanceSheet, 1),
                   c.split(Qt::Horizontal, {{listColumn(c, ctl::UDK), ctl::UDK}, {listColumn(c, ctl::UD), ctl::UD}},
                           {66}, {ctl::UDK, ctl::UD}, {260, 900}));
    QSplitter* documents =
        c.split(Qt::Vertical, {{listColumn(c, ctl::ID), ctl::ID}, {listColumn(c, ctl::Stavke), ctl::Stavke}}, {87},
                {ctl::ID, ctl::Stavke}, {400, 220});
    Composer::fill(c.tab(ctl::FinanceSheet, 2),
                   c.split(Qt::Horizontal, {{listColumn(c, ctl::IDK), ctl::IDK}, {documents, ctl::ID}}, {86},
                           {ctl::IDK, 0}, {260, 900}));
    Composer::fill(c.tab(ctl::FinanceSheet, 3), financeState(c));
}

void passwords(Composer& c)
{
    Composer::fill(c.page(6), c.split(Qt::Horizontal,
                                      {{listColumn(c, ctl::PKat), ctl::PKat}, {listColumn(c, ctl::Pass), ctl::Pass}},
                                      {112}, {ctl::PKat, ctl::Pass}, {260, 900}));
}

QPlainTextEdit* addressBook(Composer& c)
{
    QWidget* groups = c.column({{c.row({c.button(ctl::ContactGroupInsertButton, QStringLiteral("Unos")),
                                        c.button(ctl::ContactSubgroupInsertButton, QStringLiteral("Unos podgrupe"))})},
                                {c.row({c.button(ctl::ContactGroupChangeButton, QStringLiteral("Izmjena")),
                                        c.button(ctl::ContactGroupDeleteButton, QStringLiteral("Brisanje"))})},
                                {c.widget(ctl::ContactGroupTree), ctl::ContactGroupTree},
                                {c.arrows(ctl::ContactGroupArrows)}});
    QWidget* contactButtons = c.listButtons(ctl::Kontakti);
    auto* mailTo =
        c.button(ctl::MailToContact, QStringLiteral("Email"), c.m_w.style()->standardIcon(QStyle::SP_CommandLink));
    static_cast<QHBoxLayout*>(contactButtons->layout())->insertWidget(3, mailTo);
    QWidget* contacts = c.column({{contactButtons}, {c.widget(ctl::Kontakti), ctl::Kontakti}});

    auto* note = new QPlainTextEdit;
    note->setObjectName(QStringLiteral("ConNapomena"));
    c.name(ctl::ContactNote, note);
    Composer::fill(c.tab(ctl::ContactSheet, 0), note);
    int tab = 1;
    for (int list : {ctl::PZadaci, ctl::PUD, ctl::PID})
        Composer::fill(c.tab(ctl::ContactSheet, tab++), listColumn(c, list));
    QWidget* sheet = c.control(ctl::ContactSheet);
    QSplitter* right = c.split(Qt::Vertical, {{contacts, ctl::Kontakti}, {sheet, ctl::ContactSheet}}, {151},
                               {ctl::Kontakti, ctl::ContactSheet}, {420, 260});
    Composer::fill(c.page(7), c.split(Qt::Horizontal, {{groups, ctl::ContactGroupTree}, {right, ctl::Kontakti}}, {132},
                                      {ctl::ContactGroupTree, 0}, {260, 900}));
    c.m_p.splitters().name(ctl::ContactGroupTree, c.widget(ctl::ContactGroupTree));
    return note;
}

} // namespace

void OrganiserPanes::place(OrganiserWindow& window)
{
    // The task panel is filled from the start (the overview's fill runs the backup) and waits
    // with the lists for its page.
    m_taskPanelWidget = new TaskPanelWidget(m_taskPanel, m_parking);
    // The password list's location column is a link: blue, the hand over it, opened on a click.
    m_links = new VelmoraDll::Tornavellic(nullptr, nullptr, this);
    m_links->Init();
    m_links->AddItem(view(ctl::Pass), QStringLiteral("4"), 0xFF0000, -2, 0xFF0000);
    m_links->CheckItems();
    // Each page is composed as it is first shown.
    auto* sheet = static_cast<QStackedWidget*>(window.manager().control(ctl::MainSheet));
    for (int i = 0; i < sheet->count(); ++i)
        sheet->widget(i)->installEventFilter(this);
    // A command that turns the finance or the contact sheet (shown or not) finds its controls.
    for (auto [control, page] : {std::pair{ctl::FinanceSheet, int(page::Finance)}, std::pair{ctl::ContactSheet, int(page::AddressBook)}})
        if (auto* tabs = qobject_cast<QTabWidget*>(window.manager().control(control)))
            connect(tabs, &QTabWidget::currentChanged, this, [this, page = page] { buildPage(page); });
}

void OrganiserPanes::buildPage(int index)
{
    auto* window = qobject_cast<OrganiserWindow*>(parent());
    if (!window || index < 0 || index >= int(m_built.size()) || m_built[size_t(index)])
        return;
    m_built[size_t(index)] = true;
    composePage(*window, index);
    auto* sheet = static_cast<QStackedWidget*>(window->manager().control(ctl::MainSheet));
    sheet->widget(index)->removeEventFilter(this);
    window->pageComposed(sheet->widget(index));
    emit pageComposed(index);
}

void OrganiserPanes::whenPageBuilt(int index, QObject* context, std::function<void()> then)
{
    if (pageBuilt(index)) {
        then();
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &OrganiserPanes::pageComposed, context, [index, connection, then = std::move(then)](int built) {
        if (built != index)
            return;
        QObject::disconnect(*connection);
        then();
    });
}

void OrganiserPanes::composePage(OrganiserWindow& window, int index)
{
    Composer c(window, *this);
    switch (index) {
    case page::Overview: overview(c, m_taskPanelWidget); break;
    case page::Mail: mail(c); break;
    case page::Tasks: tasks(c); break;
    case page::Calendar: calendar(c); break;
    case page::Planning: planning(c); break;
    case page::Finance: finance(c); break;
    case page::Passwords: passwords(c); break;
    case page::AddressBook:
        m_contactNote = addressBook(c);
        // The note is saved when the user leaves it after a change.
        m_contactNote->installEventFilter(this);
        m_noteShownFor = -1;
        showContactNote();
        break;
    }
    // The list buttons that need a row follow their lists from the first look.
    updateButtons();
}

bool OrganiserPanes::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched != m_contactNote)
        if (auto* sheet = qobject_cast<QStackedWidget*>(watched->parent()))
            buildPage(sheet->indexOf(static_cast<QWidget*>(watched)));
    // Saved at once: the click that took the focus away may select another contact next.
    if (watched == m_contactNote && event->type() == QEvent::FocusOut && m_contactNote->document()->isModified()) {
        m_contactNote->document()->setModified(false);
        if (auto* window = qobject_cast<OrganiserWindow*>(parent()))
            window->manager().accept(ctl::ContactNote);
    }
    return QObject::eventFilter(watched, event);
}

void OrganiserPanes::showContactNote()
{
    const long id = m_lists->SelectedContactID;
    if (!m_contactNote || id == m_noteShownFor)
        return;
    m_noteShownFor = id;
    // Only a contact that is there takes a note ("no contact" has several values).
    QString text;
    bool found = false;
    if (id > 0) {
        vrt::FileManager& f = Access(Tbl::CON_Contacts);
        f.clearBuffer();
        CON().ID = int32_t(id);
        found = f.TryFetch(CON.IDKey) == 0;
        if (found)
            text = QString::fromStdString(CON().NAPOMENA);
    }
    m_contactNote->setPlainText(text);
    m_contactNote->setEnabled(found);
    m_contactNote->document()->setModified(false);
}

void OrganiserPanes::updateButtons()
{
    // Change and delete need a row, as the ribbon's commands that press them expect.
    auto* window = qobject_cast<OrganiserWindow*>(parent());
    if (!window)
        return;
    for (const ListButton& b : listButtons()) {
        if (b.request == vrt::INSERT_RECORD)
            continue;
        QWidget* button = window->manager().control(b.button);
        if (OrganiserList* list = m_lists->find(b.list); button && list)
            button->setEnabled(list->selected() >= 0);
    }
}

} // namespace organiser
