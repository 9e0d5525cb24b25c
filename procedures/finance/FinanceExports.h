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

// What an export needs of the program around it.
class ExportSide {
public:
    virtual ~ExportSide() = default;
    virtual QString translate(const QString& text) = 0;
    virtual bool open(const QString& path) = 0; // the saved workbook; false: it could not be opened
    virtual QDateTime now() = 0;                // names the file and dates the state sheet
};

struct ExportDeps {
    explicit ExportDeps(ExportSide& s) : side(s) {}
    ExportSide& side; // outlives every export made with these
    QString dataFolder;
    // Where the shipped templates are when the data folder has none (empty: nowhere).
    QString shippedTemplates;
    // The window whose hosted control 50 holds the spreadsheet program between exports;
    // none: each export has its own.
    QPointer<QWidget> window;
};

// What opens a saved workbook in place of the desktop's handler when set (tests set one).
std::function<bool(const QString& path)>& workbookOpener();
// The saved workbook opened through workbookOpener(), else with the desktop's handler.
bool openWorkbook(const QString& path);

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
