// The finance page as the program shows it, on sample data: the tree with its balance, the
// entry list with its totals row, the state page's chart and the overview's chart. With
// VELMORA_SCREENSHOT_DIR set, their pictures are written there.
#include "controls/Controls.h"
#include "procedures/finance/FinanceRoutines.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "tools/sampledata/SampleData.h"
#include "tests/support/TestSupport.h"
#include "tests/procedures/FinanceFixture.h"

#include <QChart>
#include <QChartView>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QLineSeries>
#include <QStackedWidget>
#include <QTabBar>

namespace {

using testsupport::waitFor;

int points(QChartView* view)
{
    int n = 0;
    for (QAbstractSeries* s : view->chart()->series())
        n += static_cast<QLineSeries*>(s)->count();
    return n;
}

void save(QWidget& w, const char* name)
{
    QApplication::processEvents();
    const QImage shot = w.grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << name;
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QDir().mkpath(out);
        shot.save(out + "/" + name);
    }
}

} // namespace

class FinanceWindowTest : public FinanceTest {
protected:
    void SetUp() override
    {
        controls::registerBuiltInControls();
        FinanceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        organiser::SampleSizes n;
        n.mails = 20;
        n.contacts = 20;
        n.tasks = 20;
        n.notes = 5;
        n.passwords = 5;
        n.documents = 30;
        n.incomeExpenses = 120;
        ASSERT_TRUE(organiser::generateSampleData(n).error.isEmpty());
        window->resize(1300, 760);
        window->show();
        ASSERT_TRUE(waitFor([this] { return window->hosted().chart != nullptr; }));
    }
    void showPage(int page)
    {
        window->manager().takeNotify(2, page);
        ASSERT_TRUE(waitFor([&] { return window->shownPage() == page; }));
    }
};

TEST_F(FinanceWindowTest, TheFinancePageAndBothChartsAsTheUserSeesThem)
{
    // The overview's chart is drawn by the first fill of the task panel: every entry a point.
    showPage(1);
    auto* overview = qobject_cast<QChartView*>(window->hosted().chart);
    ASSERT_TRUE(overview);
    ASSERT_TRUE(waitFor([&] { return overview->isVisible() && points(overview) == 120; }));
    save(*window, "finance-overview-chart.png");
    // Its second tab shows the documents counted in the finances.
    window->manager().control(10)->findChild<QTabBar*>()->setCurrentIndex(1);
    EXPECT_EQ(overview->chart()->series()[0]->name(), "Izlazni dokumenti");
    EXPECT_EQ(points(overview), std::stoi(query("SELECT (SELECT COUNT(*) FROM IDokumenti WHERE UKLJUCIFIN = 1) + "
                                                "(SELECT COUNT(*) FROM UDokumenti WHERE UKLJUCIFIN = 1)")[0]));
    window->manager().control(10)->findChild<QTabBar*>()->setCurrentIndex(0);

    // The finance page: the balance row shows the balance and the list ends in its totals row.
    showPage(6);
    ASSERT_FALSE(VelmoraDll::PrihodiRashodiQ().empty());
    EXPECT_EQ(VelmoraDll::PrihodiRashodiQ().back().ID, finance::BalanceRowId);
    select(finance::BalanceRowId);
    EXPECT_EQ(entries().rowCount(), 120);
    ASSERT_EQ(entries().model().extraRows().size(), 1u);
    const std::string balance = query("SELECT printf('%.2f', SUM(CASE TIPID WHEN 1 THEN CAST(IZNOS_DECIMAL AS REAL) "
                                      "ELSE -CAST(IZNOS_DECIMAL AS REAL) END)) FROM PrihodiRashodi")[0];
    EXPECT_EQ(entries().model().extraRows()[0].cells[entries().def().columnOf("PR:IZNOS_DECIMAL")].toStdString(), balance);
    EXPECT_TRUE(balanceText().startsWith("STANJE"));
    // The totals row is the one selected, in view.
    organiser::OrganiserListView* list = panes().view(organiser::ctl::Pr);
    EXPECT_EQ(list->currentIndex().row(), 120);
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualRect(list->currentIndex())));
    save(*window, "finance-page.png");

    // The "Graf" sub-tab: the chart and its totals.
    window->dispatcher().dispatch(6005);
    auto* state = window->findChild<QChartView*>("STANJE");
    ASSERT_TRUE(state);
    EXPECT_EQ(points(state), 120);
    EXPECT_FALSE(qobject_cast<QLineEdit*>(window->manager().control(94))->text().isEmpty());
    save(*window, "finance-state-chart.png");
}
