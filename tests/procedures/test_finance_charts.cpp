#include "tests/support/TestSupport.h"
#include "procedures/finance/FinanceCharts.h"
#include "runtime/DateTime.h"
#include "tests/procedures/FinanceFixture.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QRadioButton>
#include <QTabBar>
#include <QSet>
#include <QValueAxis>

namespace {

int day(int y, int m, int d) { return vrt::dayFromDate(QDate(y, m, d)); }

QLineSeries* line(QChartView& view, int which)
{
    const auto series = view.chart()->series();
    return which <= series.size() ? qobject_cast<QLineSeries*>(series[which - 1]) : nullptr;
}

// The texts of an axis's ticks as the chart draws them.
QStringList tickTexts(QAbstractAxis* axis)
{
    QStringList out;
    if (auto* dates = qobject_cast<QDateTimeAxis*>(axis)) {
        const qint64 a = dates->min().toMSecsSinceEpoch(), b = dates->max().toMSecsSinceEpoch();
        for (int i = 0; i < dates->tickCount(); ++i)
            out << QDateTime::fromMSecsSinceEpoch(a + (b - a) * i / std::max(1, dates->tickCount() - 1)).toString(dates->format());
    } else if (auto* values = qobject_cast<QValueAxis*>(axis)) {
        const double step = (values->max() - values->min()) / std::max(1, values->tickCount() - 1);
        for (int i = 0; i < values->tickCount(); ++i)
            out << QString::asprintf(values->labelFormat().toLatin1().constData(), values->min() + step * i);
    }
    return out;
}

bool allDiffer(const QStringList& texts) { return !texts.isEmpty() && QSet<QString>(texts.begin(), texts.end()).size() == texts.size(); }

} // namespace

TEST(FinanceChartTexts, AmountsAreSignedWithASpaceBetweenThousands)
{
    using vrt::Decimal;
    finance::ChartData d;
    d.points = {{QDate(2026, 5, 1), Decimal::fromUnscaled(-5000, 2), 1},
                {QDate(2026, 5, 2), Decimal::fromUnscaled(123450, 2), 1},
                {QDate(2026, 5, 3), Decimal::fromUnscaled(123456789, 2), 2}};
    // The first value keeps its sign, as every later one does.
    EXPECT_EQ(finance::dataString(d, 1), "-50.00*1 234.50");
    EXPECT_EQ(finance::dataString(d, 2), "1 234 567.89");
    // Labels at n*i/10, halves up; n = 3 gives the rows 0 (skipped), 1, 1, 1, 2, 2, 2, 2, 3, 3.
    const QString a = QLocale().toString(QDate(2026, 5, 1), QLocale::ShortFormat);
    const QString b = QLocale().toString(QDate(2026, 5, 2), QLocale::ShortFormat);
    const QString c = QLocale().toString(QDate(2026, 5, 3), QLocale::ShortFormat);
    EXPECT_EQ(finance::labelString(d), QStringList({a, a, a, b, b, b, b, c, c}).join('*'));
    d.points.clear();
    EXPECT_EQ(finance::labelString(d), "");
    // No cap: a long series keeps every point.
    for (int i = 0; i < 2000; ++i)
        d.points.push_back({QDate(2026, 1, 1).addDays(i), Decimal(1000 + i), 1});
    EXPECT_EQ(finance::dataString(d, 1).count('*'), 1999);
}

TEST_F(FinanceTest, TheOverviewChartPlotsBothSeriesOnADateAxis)
{
    window->paneRoutines().FillFinanceCategoryTree();
    entry(1, 1, "50.00", day(2026, 5, 1));
    entry(2, 2, "20.00", day(2026, 5, 2));
    entry(1, 1, "70.00", day(2026, 5, 3));
    QChartView view;
    // The overview chart is the window's hosted control; this test draws into its own view.
    finance::ChartData d = finance::loadIncomeExpenses({});
    EXPECT_EQ(finance::dataString(d, 1), "50.00*70.00");
    EXPECT_EQ(finance::dataString(d, 2), "20.00");
    EXPECT_EQ(d.legend1, "Prihod");
    EXPECT_EQ(d.legend2, QString::fromUtf8("Trošak"));
    finance::drawChart(view, d);
    ASSERT_EQ(view.chart()->series().size(), 2);
    QLineSeries* income = line(view, 1);
    QLineSeries* expense = line(view, 2);
    ASSERT_TRUE(income && expense);
    ASSERT_EQ(income->count(), 2);
    ASSERT_EQ(expense->count(), 1);
    // x is the day itself, so both series line up in time.
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(qint64(income->at(1).x())).date(), QDate(2026, 5, 3));
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(qint64(expense->at(0).x())).date(), QDate(2026, 5, 2));
    EXPECT_DOUBLE_EQ(income->at(1).y(), 70.0);
    EXPECT_EQ(income->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(expense->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(income->name(), "Prihod");
    ASSERT_EQ(view.chart()->axes(Qt::Horizontal).size(), 1);
    EXPECT_TRUE(qobject_cast<QDateTimeAxis*>(view.chart()->axes(Qt::Horizontal)[0]));

    // No data: axes and legend, no points.
    query("DELETE FROM PrihodiRashodi");
    finance::drawChart(view, finance::loadIncomeExpenses({}));
    EXPECT_EQ(line(view, 1)->count() + line(view, 2)->count(), 0);
    EXPECT_EQ(view.chart()->axes().size(), 2);
    EXPECT_TRUE(view.chart()->legend()->isVisible());

    // Every axis labels each of its ticks differently: with no data, with one day, with
    // amounts below one.
    using vrt::Decimal;
    finance::ChartData one, small;
    one.points = {{QDate(2026, 5, 1), Decimal(40), 1}, {QDate(2026, 5, 1), Decimal(40), 2}};
    small.points = {{QDate(2026, 5, 1), Decimal::fromUnscaled(20, 2), 1}, {QDate(2026, 5, 9), Decimal::fromUnscaled(45, 2), 1}};
    for (const finance::ChartData& d : {finance::loadIncomeExpenses({}), one, small}) {
        finance::drawChart(view, d);
        for (QAbstractAxis* axis : view.chart()->axes()) {
            const QStringList ticks = tickTexts(axis);
            EXPECT_TRUE(allDiffer(ticks)) << ticks.join(' ').toStdString();
        }
    }
}

TEST_F(FinanceTest, TheShownOverviewChartFollowsNewEntries)
{
    // The overview chart alone, of entries.
    struct Overview : finance::ChartSide {
        QChartView view;
        QString translate(const QString& t) override { return t; }
        QChartView* overviewChart() override { return &view; }
        int overviewKind() override { return 1; }
        QWidget* stateHost() override { return nullptr; }
        int stateKind() override { return 1; }
        void setStateKind(int) override {}
        void showTotals(const finance::StateTotals&) override {}
    } side;
    QChartView& view = side.view;
    finance::FinanceCharts charts(side);
    charts.DrawFinanceChart();
    QChart* drawn = view.chart();
    view.show();
    charts.redrawOverviewIfChanged();
    EXPECT_EQ(view.chart(), drawn) << "nothing changed: not drawn again";
    entry(1, 1, "50.00", day(2026, 5, 1));
    view.hide();
    charts.redrawOverviewIfChanged();
    EXPECT_EQ(view.chart(), drawn) << "a hidden chart waits until it is shown";
    view.show();
    charts.redrawOverviewIfChanged();
    ASSERT_NE(line(view, 1), nullptr);
    EXPECT_EQ(line(view, 1)->count(), 1);
}

TEST_F(FinanceTest, TheStatePageFillsTheTotalsOfTheChosenKindAndKeepsTheOther)
{
    window->paneRoutines().FillFinanceCategoryTree();
    entry(1, 1, "100.00", day(2026, 5, 1));
    entry(1, 1, "50.00", day(2026, 5, 2));
    entry(2, 2, "30.25", day(2026, 5, 3));
    // Two outgoing documents as older rows hold them (the exact sum of their items): each
    // counts as it is shown, 100.00 + 100.00.
    query("INSERT INTO IDokumenti (DATUM, IZNOS_DECIMAL, UKLJUCIFIN) VALUES ('2026-05-04', '100.004', 1), "
          "('2026-05-06', '100.004', 1), ('2026-05-05', '999.00', 0)");
    query("INSERT INTO UDokumenti (DATUM, IZNOS_DECIMAL, UKLJUCIFIN) VALUES ('2026-05-01', '80.10', 1)");

    auto text = [&](int control) { return qobject_cast<QLineEdit*>(window->manager().control(control))->text(); };
    window->dispatcher().dispatch(6005); // the "Graf" sub-tab
    EXPECT_EQ(text(91), "150,00");
    EXPECT_EQ(text(93), "30,25");
    EXPECT_EQ(text(94), "119,75");
    EXPECT_EQ(text(98), "");
    auto* view = window->findChild<QChartView*>("STANJE");
    ASSERT_TRUE(view);
    EXPECT_EQ(line(*view, 1)->count(), 2);

    // Documents: only those counted in the finances; the first group stays as it was.
    qobject_cast<QRadioButton*>(window->manager().control(107))->setChecked(true);
    // The option's choice reaches the chart through the window's events.
    ASSERT_TRUE(testsupport::waitFor([&] { return text(100) == "200,00"; }));
    EXPECT_EQ(text(98), "80,10");
    EXPECT_EQ(text(102), "119,90");
    EXPECT_EQ(text(91), "150,00");
    EXPECT_EQ(line(*view, 1)->count(), 2);
    EXPECT_EQ(line(*view, 1)->name(), "Izlazni dokumenti");
    EXPECT_EQ(line(*view, 2)->count(), 1);

    // The sub-tab opens again on income and expenses.
    window->dispatcher().dispatch(6005);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(window->manager().control(106))->isChecked());
    EXPECT_EQ(line(*view, 1)->name(), "Prihod");
}
