#include "procedures/finance/FinanceReports.h"

#include <QFont>

#include "data/Dictionary.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceForms.h"
#include "runtime/Process.h"
#include "runtime/Report.h"
#include "runtime/WindowManager.h"

namespace finance {

std::vector<TotalsLine>& totalsQueue()
{
    static std::vector<TotalsLine> queue;
    return queue;
}

namespace {
QString trText(const Translate& t, const char* text) { return t ? t(QString::fromUtf8(text)) : QString::fromUtf8(text); }
} // namespace

vrt::Decimal sumOfType(int type)
{
    vrt::Decimal total = vrt::Decimal::fromUnscaled(0, 2);
    vrt::FileManager& f = Access(Tbl::SQL_File);
    const std::string sql = "SELECT Iznos_DECIMAL,TipID FROM \"" + Access(Tbl::PrihodiRashodi).SqlName()
                            + "\" WHERE TipID = " + std::to_string(type);
    if (f.ExecSql(sql) != 0)
        return total;
    while (f.Next() == 0)
        if (const auto d = vrt::Decimal::parse(std::string_view(SQL().F1)))
            total += *d;
    return total;
}

std::vector<TotalsLine> incomeExpenseLines(const Translate& translate, StateTotals* totals)
{
    const vrt::Decimal income = sumOfType(1);
    const vrt::Decimal expenses = sumOfType(2);
    if (totals) {
        totals->income = income;
        totals->expenses = expenses;
    }
    const QString colon = QStringLiteral(" :");
    return {{trText(translate, "Prihod ukupno") + colon, income},
            {trText(translate, "Trošak ukupno") + colon, expenses},
            {trText(translate, "Stanje") + colon, income - expenses}};
}

std::vector<TotalsLine> stateLines(const StateTotals& t, const Translate& translate)
{
    auto tr = [&](const char* text) { return trText(translate, text); };
    return {{QString(), {}},
            {tr("Osobne financije"), {}},
            {tr("Prihod"), t.income},
            {tr("Trošak"), t.expenses},
            {tr("STANJE"), t.balance},
            {QString(), {}},
            {tr("Ulazni i izlazni dokumenti"), {}},
            {tr("Ulazni"), t.incoming},
            {tr("Izlazni"), t.outgoing},
            {tr("STANJE"), t.docBalance}};
}

void layTotalsReport(vrt::Report& report, const QString& title, const std::vector<TotalsLine>& lines,
                     const Translate& translate)
{
    report.clear();
    report.setTitle(title);
    report.setPage(QPageSize(QPageSize::A4), QMarginsF(20, 15, 20, 15));
    constexpr int Right = 0x0002 | 0x0080; // Qt::AlignRight | Qt::AlignVCenter
    QFont titleFont;
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    QFont bold;
    bold.setBold(true);
    report.pageHeader = {};
    report.pageHeader.height = 24;
    report.pageHeader.addText(QRectF(0, 0, 170, 9), title, titleFont);
    report.pageHeader.addLine(QRectF(0, 11, 170, 0));
    report.pageHeader.addText(QRectF(0, 13, 110, 6), trText(translate, "Naziv"), bold);
    report.pageHeader.addText(QRectF(110, 13, 60, 6), trText(translate, "Iznos"), bold, Right);
    report.pageHeader.addLine(QRectF(0, 20, 170, 0));
    report.pageFooter = {};
    report.pageFooter.height = 5;
    for (const TotalsLine& line : lines) {
        vrt::ReportBand detail;
        detail.height = 6;
        detail.addText(QRectF(0, 0, 110, 6), line.naziv);
        detail.addText(QRectF(110, 0, 60, 6), amountScreenText(QString::fromStdString(line.iznos.toString())), {}, Right);
        report.print(detail);
    }
}

namespace {

Translate translator(ReportSide& side)
{
    return [&side](const QString& text) { return side.translate(text); };
}

int runTotalsReport(ReportSide& side, const char* title)
{
    const std::vector<TotalsLine> lines = totalsQueue();
    vrt::Report report;
    const QString heading = side.translate(QString::fromUtf8(title));
    size_t at = 0;
    std::vector<TotalsLine> printed;
    vrt::FunctionSource source([&] { return at < lines.size(); }, (long long)lines.size());
    vrt::Process process(source, [&] {
        printed.push_back(lines[at++]);
        return vrt::Process::Take::Next;
    });
    process.setTitle(heading);
    std::unique_ptr<vrt::ProgressSink> progress = side.progress();
    if (process.run(progress.get()) != vrt::Process::Result::Completed) {
        GLOBALRESPONSE = vrt::REQUEST_CANCELLED;
        return GLOBALRESPONSE;
    }
    layTotalsReport(report, heading, printed, translator(side));
    if (!printed.empty())
        report.preview();
    GLOBALRESPONSE = vrt::REQUEST_COMPLETED;
    return GLOBALRESPONSE;
}

} // namespace

int R_PrihodTrosak(ReportSide& side) { return runTotalsReport(side, "Prihodi i troškovi"); }
int R_Stanje(ReportSide& side) { return runTotalsReport(side, "Osobne financije, ulazni i izlazni dokumenti"); }

int PrintIncomeExpenses(ReportSide& side, StateTotals* totals)
{
    totalsQueue() = incomeExpenseLines(translator(side), totals);
    R_PrihodTrosak(side);
    return 0;
}

int PrintState(ReportSide& side, const StateTotals& totals)
{
    totalsQueue() = stateLines(totals, translator(side));
    R_Stanje(side);
    return 0;
}

} // namespace finance
