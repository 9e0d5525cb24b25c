#pragma once
#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "runtime/Decimal.h"

class QChartView;
class QWidget;

// The finance charts: income against expenses, or outgoing against incoming documents, one
// point per entry or document on a date axis.
namespace finance {

struct ChartPoint {
    QDate date;
    vrt::Decimal amount;
    int series = 0; // 1 or 2
};

struct ChartData {
    QString legend1, legend2;
    std::vector<ChartPoint> points; // by date; both series merged
    std::vector<ChartPoint> series(int which) const;
};

// "1 234.50": two decimals, a space between thousands, always with its sign.
QString chartAmountText(const vrt::Decimal& amount);
// The series' amounts joined by "*".
QString dataString(const ChartData& data, int series);
// Up to ten dates at the positions n*i/10 (halves up), joined by "*".
QString labelString(const ChartData& data);

// The totals of the state page (LN:O:* and LN:UI:*).
struct StateTotals {
    vrt::Decimal income, expenses, balance;       // O: PRIHODI, TROSKOVI, STANJE
    vrt::Decimal incoming, outgoing, docBalance;  // UI: ULAZ, IZLAZ, STANJE
};

using Translate = std::function<QString(const QString&)>;
// Reads the entries; the totals by the entries' own types go into `totals` when given.
ChartData loadIncomeExpenses(const Translate& translate, StateTotals* totals = nullptr);
// Reads the documents counted in the finances (UKLJUCIFIN = 1).
ChartData loadDocuments(const Translate& translate, StateTotals* totals = nullptr);

// Shows `data` in `view`: two line series (dark green, red) over a date axis, a value axis,
// the legend and a tooltip per point.
void drawChart(QChartView& view, const ChartData& data);

struct ChartDeps {
    Translate translate;
    std::function<QChartView*()> overviewChart; // ?CHART, once the window made it
    std::function<int()> overviewKind;           // the ?SPRVI tab: 1 or 2
    std::function<QWidget*()> stateHost;         // where ?STANJE goes
    std::function<int()> stateKind;              // ?STANJETIP: 1 or 2
    std::function<void(int kind)> setStateKind;
    std::function<void(const StateTotals&)> showTotals;
};

class FinanceCharts {
public:
    explicit FinanceCharts(ChartDeps deps) : m_d(std::move(deps)) {}
    int DrawFinanceChart();
    // Draws the overview's chart again when it is shown and the entries or documents it
    // shows changed since it was drawn.
    void redrawOverviewIfChanged();
    int ShowStateChart();
    int DrawStateChart();

    StateTotals totals;
    ChartData overview, state; // what was drawn last
    QChartView* stateView() const { return m_state; }

private:
    ChartDeps m_d;
    QChartView* m_state = nullptr;
    quint64 m_overviewStamp = 0;
};

} // namespace finance
