#include "procedures/finance/Finance.h"

#include "procedures/organiser/window/ProcedureTables.h"

#include <QChartView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>

#include "controls/Images.h"
#include "procedures/common/TreeQueueModel.h"
#include "services/OfficeAutomation.h"
#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceExports.h"
#include "procedures/finance/FinanceForms.h"
#include "procedures/finance/FinanceReports.h"
#include "procedures/finance/FinanceRoutines.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/panes/PopupItems.h"
#include "runtime/PopupMenu.h"
#include "runtime/Process.h"

namespace finance {

namespace {
QTabBar* sheetTabs(vrt::WindowManager& manager)
{
    QWidget* sheet = manager.control(10);
    return sheet ? sheet->findChild<QTabBar*>() : nullptr;
}

// The finance page of the organiser window behind the category routines, the charts, the
// exports and the prints.
class WindowFinanceSide : public FinanceSide, public ChartSide, public ExportSide, public ReportSide {
public:
    WindowFinanceSide(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes)
        : m_window(window), m_panes(panes), m_manager(window.manager()) {}

    QString translate(const QString& text) override { return m_window.translated(text); }
    organiser::OrganiserList* entries() override { return &m_panes.lists().list(organiser::ctl::Pr); }
    QTreeView* tree() override { return m_panes.tree(organiser::tree::Categories); }
    void showTree() override { m_panes.selectTreeRow(organiser::tree::Categories, 0); }
    int categoryForm() override
    {
        return F_PrihodiRashodiKategorija([this](const QString& t) { return m_window.translated(t); });
    }
    void selectListRow(int row) override
    {
        auto* view = qobject_cast<organiser::OrganiserListView*>(m_manager.control(organiser::ctl::Pr));
        if (!view || row < 0)
            return;
        const QModelIndex at = view->model()->index(row, 0);
        view->setCurrentIndex(at);
        view->scrollTo(at);
    }

    QChartView* overviewChart() override { return qobject_cast<QChartView*>(m_window.hosted().chart); }
    int overviewKind() override
    {
        QTabBar* tabs = sheetTabs(m_manager);
        return tabs && tabs->currentIndex() == 1 ? 2 : 1;
    }
    QWidget* stateHost() override { return stateControl(103); }
    int stateKind() override
    {
        QRadioButton* documents = radio(107);
        return documents && documents->isChecked() ? 2 : 1;
    }
    void setStateKind(int kind) override
    {
        for (int n : {106, 107})
            if (QRadioButton* r = radio(n)) {
                const QSignalBlocker quiet(r);
                r->setChecked((n == 106) == (kind == 1));
            }
    }
    void showTotals(const StateTotals& t) override
    {
        const std::pair<int, const vrt::Decimal*> fields[] = {{91, &t.income},   {93, &t.expenses}, {94, &t.balance},
                                                              {98, &t.incoming}, {100, &t.outgoing}, {102, &t.docBalance}};
        for (const auto& [n, value] : fields)
            if (auto* edit = qobject_cast<QLineEdit*>(stateControl(n)))
                edit->setText(amountScreenText(QString::fromStdString(value->toString())));
    }

    bool open(const QString& path) override { return openWorkbook(path); }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    std::unique_ptr<vrt::ProgressSink> progress() override
    {
        return vrt::makeProgressWindow(translate(QStringLiteral("Progress...")), translate(QStringLiteral("Cancel")));
    }

private:
    // The state page's controls, its page composed first when it was not shown yet: a command
    // may draw the state before the page shows.
    QWidget* stateControl(int control)
    {
        m_panes.buildPage(organiser::page::Finance);
        return m_manager.control(control);
    }
    QRadioButton* radio(int control) { return qobject_cast<QRadioButton*>(stateControl(control)); }

    organiser::OrganiserWindow& m_window;
    organiser::OrganiserPanes& m_panes;
    vrt::WindowManager& m_manager;
};

// The page's routines and charts over the window; it lives as long as the window.
struct FinancePage {
    FinancePage(organiser::OrganiserWindow& window, organiser::OrganiserPanes& panes) : side(window, panes) {}
    WindowFinanceSide side;
    FinanceRoutines routines{side, true};
    FinanceCharts charts{side};
};

} // namespace

void attachFinance(organiser::FeatureHost& host)
{
    organiser::OrganiserWindow& window = host.window;
    organiser::OrganiserPanes& panes = host.panes;
    using organiser::tree::Categories;
    auto translate = [&window](const QString& t) { return window.translated(t); };

    auto* page = new FinancePage(window, panes);
    QObject::connect(&window, &QObject::destroyed, [page] { delete page; });
    FinanceRoutines* routines = &page->routines;

    if (QTreeView* tree = panes.tree(Categories)) {
        auto* model = static_cast<VelmoraDll::TreeQueueModel*>(tree->model());
        model->iconOf = [folder = window.dataFolder()](const VelmoraDll::TreeRow& row, int) {
            if (row.ID == BalanceRowId)
                return QIcon();
            return controls::imageIcon(folder, row.ID == 1   ? QStringLiteral("1310402223_Smiley.ico")
                                               : row.ID == 2 ? QStringLiteral("1310402407_Gnome-System-Log-Out-48.ico")
                                                             : QStringLiteral("1310402435_arrow_out.ico"));
        };
        QObject::connect(tree, &QTreeView::doubleClicked, tree, [routines] { routines->ChangeFinanceCategory(); });
    }
    // The category menu's entries.
    host.routines.attach(organiser::Routine::InsertFinanceCategory, [routines] { return routines->InsertFinanceCategory(); });
    host.routines.attach(organiser::Routine::ChangeFinanceCategory, [routines] { return routines->ChangeFinanceCategory(); });
    host.routines.attach(organiser::Routine::DeleteFinanceCategory, [routines] { return routines->DeleteFinanceCategory(); });

    // The charts: the overview's below the notes, the state page's beside its totals.
    vrt::WindowManager& manager = window.manager();
    FinanceCharts* charts = &page->charts;
    // The overview's tabs choose its chart once the overview is composed.
    panes.whenPageBuilt(organiser::page::Overview, &window, [&window, &manager] {
        if (QTabBar* tabs = sheetTabs(manager))
            QObject::connect(tabs, &QTabBar::currentChanged, &window, [&manager] { manager.takeNewSelection(10); });
    });
    // Entries and documents are made from many places (forms, the ribbon, the lists, the mail
    // program's imports): the shown overview chart follows them on its own.
    auto* follow = new QTimer(&window);
    follow->setInterval(400);
    QObject::connect(follow, &QTimer::timeout, &window, [charts] { charts->redrawOverviewIfChanged(); });
    follow->start();

    { // the routines of the finance page
        host.routines.attach(organiser::Routine::DrawFinanceChart, [charts] { return charts->DrawFinanceChart(); });
        host.routines.attach(organiser::Routine::ShowStateChart, [charts] { return charts->ShowStateChart(); });
        // The state page's chart option ("Prikaz grafikona") draws the kind chosen.
        host.routines.attach(organiser::Routine::DrawStateChart, [charts] { return charts->DrawStateChart(); });
        ReportSide* r = &page->side;
        host.routines.attach(organiser::Routine::PrintIncomeExpenses, [r, charts] { return PrintIncomeExpenses(*r, &charts->totals); });
        host.routines.attach(organiser::Routine::PrintState, [r, charts] { return PrintState(*r, charts->totals); });
        office::registerOfficeComponents();
        ExportDeps e{page->side};
        e.dataFolder = window.dataFolder();
        e.window = &window;
        e.shippedTemplates = shippedTemplateFolder();
        host.routines.attach(organiser::Routine::ExportExcelIncomeExpenses, [e, charts] {
            return ExportExcelIncomeExpenses(e, &charts->totals);
        });
        host.routines.attach(organiser::Routine::ExportExcelState, [e, charts] { return ExportExcelState(e, charts->totals); });
        // Each document list exports its own selected row.
        auto selected = [&panes](int control) {
            const QVariant id = panes.lists().list(control).selectedId();
            return id.isValid() ? long(id.toLongLong()) : 0L;
        };
        host.routines.attach(organiser::Routine::ExportExcelInvoice, [e, selected] {
            return ExportExcelInvoice(e, selected(organiser::ctl::ID));
        });
        host.routines.attach(organiser::Routine::ExportExcelInputDocument, [e, selected] {
            return ExportExcelInputDocument(e, selected(organiser::ctl::UD));
        });
        host.routines.attach(organiser::Routine::FillFinanceCategoryTree, [routines] { return routines->FillFinanceCategoryTree(); });
        host.routines.attach(organiser::Routine::CategorySelected, [routines] { return routines->CategorySelected(); });
    }
    host.forms.attach(organiser::Form::F_PrihodiRashodi, [translate](const organiser::FormArgs& a) {
        F_PrihodiRashodi(a.categoryId.value_or(0), a.type, translate);
    });
}

} // namespace finance
