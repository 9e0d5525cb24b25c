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

// What the charts need of the organiser window's finance sheet.
class ChartSide {
public:
    virtual ~ChartSide() = default;
    virtual QString translate(const QString& text) = 0;
    virtual QChartView* overviewChart() = 0; // ?CHART; none until the window made it
    virtual int overviewKind() = 0;          // the ?SPRVI tab: 1 or 2
    virtual QWidget* stateHost() = 0;        // where ?STANJE goes
    virtual int stateKind() = 0;             // ?STANJETIP: 1 or 2
    virtual void setStateKind(int kind) = 0;
    virtual void showTotals(const StateTotals& totals) = 0;
};

class FinanceCharts {
public:
    // `side` outlives the charts.
    explicit FinanceCharts(ChartSide& side) : m_side(side) {}
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
    Translate translate() const;

    ChartSide& m_side;
    QChartView* m_state = nullptr;
    quint64 m_overviewStamp = 0;
};

} // namespace finance
