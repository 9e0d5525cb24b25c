#pragma once
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class MSEXCELCLASS;

// The finance page's spreadsheet exports: a template filled through the spreadsheet
// component, saved under Excel/ with a new name and opened with the desktop's handler.
namespace finance {

struct StateTotals;

struct ExportDeps {
    std::function<QString(const QString&)> translate;
    QString dataFolder;
    // Where the shipped templates are when the data folder has none (empty: nowhere).
    QString shippedTemplates;
    std::function<bool(const QString& path)> open; // none: the desktop's handler
    std::function<QDateTime()> now;                 // none: the clock
    // The window whose hosted control 50 holds the spreadsheet program between exports;
    // none: each export has its own.
    QPointer<QWidget> window;
};

// What opens a saved workbook when an export's own opener is not given (tests set one).
std::function<bool(const QString& path)>& workbookOpener();

// Excel/<prefix><short date with "-">-<day number + hundredths of the day>.xlsx, the number
// raised until the name is new.
QString exportPath(const QString& dataFolder, const QString& prefix, const QDateTime& now);
// The template by name: the data folder's Templates first, then the shipped one; empty: none.
QString templatePath(const ExportDeps& deps, const QString& name);
// The shipped templates beside the program.
QString shippedTemplateFolder();

// A1, A2, A4..A7 from the company's settings ([License] of Standard.ini).
void WriteCompanyHeader(MSEXCELCLASS& excel, const ExportDeps& deps);

// Each answers 0; a failure is shown to the user and nothing is opened.
int ExportExcelIncomeExpenses(const ExportDeps& deps, StateTotals* totals);
int ExportExcelState(const ExportDeps& deps, const StateTotals& totals);
// The outgoing document (at most 17 items) and the incoming document by id; 0: none selected.
int ExportExcelInvoice(const ExportDeps& deps, long documentId);
int ExportExcelInputDocument(const ExportDeps& deps, long documentId);

} // namespace finance
