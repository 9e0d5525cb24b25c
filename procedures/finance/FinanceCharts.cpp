#include "procedures/finance/FinanceCharts.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "procedures/finance/FinanceForms.h"
#include "runtime/Odbc.h"

namespace finance {

std::vector<ChartPoint> ChartData::series(int which) const
{
    std::vector<ChartPoint> out;
    for (const ChartPoint& p : points)
        if (p.series == which)
            out.push_back(p);
    return out;
}

QString chartAmountText(const vrt::Decimal& amount) { return amount.format(2, u'.', u' '); }

QString dataString(const ChartData& data, int series)
{
    QStringList parts;
    for (const ChartPoint& p : data.points)
        if (p.series == series)
            parts << chartAmountText(p.amount);
    return parts.join(QLatin1Char('*'));
}

QString labelString(const ChartData& data)
{
    const int n = int(data.points.size());
    QStringList parts;
    for (int i = 1; i <= 10; ++i) {
        const int position = (n * i * 2 + 10) / 20; // n*i/10, halves up
        if (position < 1 || position > n)
            continue;
        const QDate d = data.points[size_t(position - 1)].date;
        parts << (d.isValid() ? QLocale().toString(d, QLocale::ShortFormat).trimmed() : QString());
    }
    return parts.join(QLatin1Char('*'));
}

namespace {

QString trText(const Translate& t, const char* text) { return t ? t(QString::fromUtf8(text)) : QString::fromUtf8(text); }

// Appends the rows of `sql` (date, amount[, type]) to `out` as `series` (0: the third column).
void readPoints(const std::string& sql, int series, std::vector<ChartPoint>& out)
{
    vrt::FileManager& f = Access(Tbl::SQL_File);
    if (f.ExecSql(sql) != 0)
        return;
    while (f.Next() == 0) {
        const QDate date = QDate::fromString(QString::fromStdString(SQL().F1).left(10), Qt::ISODate);
        const auto amount = vrt::Decimal::parse(std::string_view(SQL().F2));
        const int s = series ? series : std::atoi(SQL().F3.c_str());
        // Amounts count as they are shown: a document amount stored with more places (as
        // older rows hold it) is taken to the cent.
        out.push_back({date, amount ? amount->round(2) : vrt::Decimal(), s});
    }
}

std::string table(Tbl t) { return "\"" + Access(t).SqlName() + "\""; }

// Counts the writes to the tables the charts read.
quint64 financeWrites()
{
    quint64 n = 0;
    for (Tbl t : {Tbl::PrihodiRashodi, Tbl::IDokumenti, Tbl::UDokumenti})
        n += vrt::odbc::writesTo(Access(t).SqlName());
    return n;
}

} // namespace

ChartData loadIncomeExpenses(const Translate& translate, StateTotals* totals)
{
    ChartData d;
    d.legend1 = trText(translate, "Prihod");
    d.legend2 = trText(translate, "Trošak");
    readPoints("SELECT Datum,Iznos_DECIMAL,TipID FROM " + table(Tbl::PrihodiRashodi) + " Order by Datum", 0, d.points);
    if (totals) {
        totals->income = totals->expenses = vrt::Decimal::fromUnscaled(0, 2);
        for (const ChartPoint& p : d.points) {
            if (p.series == 1)
                totals->income += p.amount;
            else if (p.series == 2)
                totals->expenses += p.amount;
        }
    }
    return d;
}

ChartData loadDocuments(const Translate& translate, StateTotals* totals)
{
    ChartData d;
    d.legend1 = trText(translate, "Izlazni dokumenti");
    d.legend2 = trText(translate, "Ulazni dokumenti");
    readPoints("SELECT Datum,Iznos_DECIMAL FROM " + table(Tbl::IDokumenti) + " WHERE UkljuciFin=1", 1, d.points);
    readPoints("SELECT Datum,Iznos_DECIMAL FROM " + table(Tbl::UDokumenti) + " WHERE UkljuciFin=1", 2, d.points);
    std::stable_sort(d.points.begin(), d.points.end(), [](const ChartPoint& a, const ChartPoint& b) { return a.date < b.date; });
    if (totals) {
        totals->outgoing = totals->incoming = vrt::Decimal::fromUnscaled(0, 2);
        for (const ChartPoint& p : d.points)
            (p.series == 1 ? totals->outgoing : totals->incoming) += p.amount;
    }
    return d;
}

void drawChart(QChartView& view, const ChartData& data)
{
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setPlotAreaBackgroundBrush(QColor(0xEA, 0xF0, 0xFF)); // the pale blue grid
    chart->setPlotAreaBackgroundVisible(true);
    QDate first, last;
    double low = 0, high = 0;
    const QColor colours[] = {QColor(0, 128, 0), QColor(255, 0, 0)};
    for (int s = 1; s <= 2; ++s) {
        auto* line = new QLineSeries(chart);
        line->setName(s == 1 ? data.legend1 : data.legend2);
        QPen pen(colours[s - 1]);
        pen.setWidth(2);
        line->setPen(pen);
        line->setPointsVisible(true);
        std::vector<ChartPoint> points = data.series(s);
        for (const ChartPoint& p : points) {
            if (!p.date.isValid())
                continue;
            const double y = p.amount.toDouble();
            line->append(double(p.date.startOfDay().toMSecsSinceEpoch()), y);
            first = first.isValid() ? std::min(first, p.date) : p.date;
            last = last.isValid() ? std::max(last, p.date) : p.date;
            low = std::min(low, y);
            high = std::max(high, y);
        }
        QObject::connect(line, &QLineSeries::hovered, line, [points](const QPointF& at, bool on) {
            if (!on) {
                QToolTip::hideText();
                return;
            }
            const QDate date = QDateTime::fromMSecsSinceEpoch(qint64(at.x())).date();
            for (const ChartPoint& p : points)
                if (p.date == date && std::abs(p.amount.toDouble() - at.y()) < 0.005 + 1e-9 * std::abs(at.y())) {
                    QToolTip::showText(QCursor::pos(), QLocale().toString(date, QLocale::ShortFormat) + QLatin1Char('\n')
                                                           + chartAmountText(p.amount).rightJustified(14));
                    return;
                }
        });
        chart->addSeries(line);
    }
    // Axes whose labels all differ: whole days apart on the dates, and amounts with the
    // decimals their steps need. With nothing to show, the days around today and 0 to 100.
    auto* x = new QDateTimeAxis(chart);
    x->setFormat(QLocale().dateFormat(QLocale::ShortFormat));
    if (!first.isValid())
        first = last = QDate::currentDate();
    if (first == last)
        first = first.addDays(-1), last = last.addDays(1);
    x->setTickCount(int(std::clamp<qint64>(first.daysTo(last) + 1, 2, 6)));
    x->setRange(first.startOfDay(), last.startOfDay());
    auto* y = new QValueAxis(chart);
    if (high <= low)
        high = low + (low == 0 ? 100 : std::max(1.0, std::abs(low) / 10));
    y->setRange(low, high);
    y->applyNiceNumbers();
    const double step = (y->max() - y->min()) / std::max(1, y->tickCount() - 1);
    y->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.2f"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setVisible(true);
    QChart* old = view.chart();
    view.setChart(chart);
    view.setRenderHint(QPainter::Antialiasing);
    delete old;
}

Translate FinanceCharts::translate() const
{
    return [this](const QString& text) { return m_side.translate(text); };
}

int FinanceCharts::DrawFinanceChart()
{
    QChartView* view = m_side.overviewChart();
    m_overviewStamp = financeWrites();
    const int kind = m_side.overviewKind();
    overview = kind == 2 ? loadDocuments(translate()) : loadIncomeExpenses(translate());
    if (view)
        drawChart(*view, overview);
    return 0;
}

void FinanceCharts::redrawOverviewIfChanged()
{
    QChartView* view = m_side.overviewChart();
    if (view && view->isVisible() && financeWrites() != m_overviewStamp)
        DrawFinanceChart();
}

int FinanceCharts::ShowStateChart()
{
    m_side.setStateKind(1);
    QWidget* host = m_side.stateHost();
    if (!m_state && host) {
        m_state = new QChartView(host);
        m_state->setObjectName(QStringLiteral("STANJE"));
        auto* layout = host->layout() ? static_cast<QBoxLayout*>(host->layout()) : new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_state);
    }
    return DrawStateChart();
}

int FinanceCharts::DrawStateChart()
{
    const int kind = m_side.stateKind();
    if (kind == 1)
        state = loadIncomeExpenses(translate(), &totals);
    else if (kind == 2)
        state = loadDocuments(translate(), &totals);
    totals.balance = totals.income - totals.expenses;
    totals.docBalance = totals.outgoing - totals.incoming;
    if (m_state)
        drawChart(*m_state, state);
    m_side.showTotals(totals);
    return 0;
}

} // namespace finance
