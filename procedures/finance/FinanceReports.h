#pragma once
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/Decimal.h"

namespace vrt {
class Report;
class ProgressSink;
}

// The finance totals that the two finance reports print, line by line.
namespace finance {

struct StateTotals;

struct TotalsLine {
    QString naziv;       // D:NAZIV
    vrt::Decimal iznos;  // D:IZNOS; 0 prints nothing (heading lines)
};

// The library's totals queue, filled by the print commands and read by the reports.
std::vector<TotalsLine>& totalsQueue();

using Translate = std::function<QString(const QString&)>;

// SumIncome / SumExpenses: all entries of a type, whatever category is selected.
vrt::Decimal sumOfType(int type);
// "Prihod ukupno :", "Trošak ukupno :", "Stanje :" with their amounts.
std::vector<TotalsLine> incomeExpenseLines(const Translate& translate, StateTotals* totals = nullptr);
// The ten lines of the state page, from the totals it shows.
std::vector<TotalsLine> stateLines(const StateTotals& totals, const Translate& translate);

// Lays the queue out as the report prints it: the title, the headings, one line per row.
void layTotalsReport(vrt::Report& report, const QString& title, const std::vector<TotalsLine>& lines,
                     const Translate& translate);

// What a print needs of the program around it.
class ReportSide {
public:
    virtual ~ReportSide() = default;
    virtual QString translate(const QString& text) = 0;
    // The progress window; none: no window.
    virtual std::unique_ptr<vrt::ProgressSink> progress() = 0;
};

// R_PrihodTrosak and R_Stanje: print the totals queue through the preview. GLOBALRESPONSE.
int R_PrihodTrosak(ReportSide& side);
int R_Stanje(ReportSide& side);

// The print commands of the finance page.
int PrintIncomeExpenses(ReportSide& side, StateTotals* totals);
int PrintState(ReportSide& side, const StateTotals& totals);

} // namespace finance
