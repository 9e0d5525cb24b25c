#include "procedures/finance/FinanceExports.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include "procedures/finance/ExcelAutomation.h"
#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceReports.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"

namespace finance {

namespace {

QString trText(const ExportDeps& d, const char* text)
{
    return d.translate ? d.translate(QString::fromUtf8(text)) : QString::fromUtf8(text);
}

CellNumber number(const vrt::Decimal& d) { return {QString::fromStdString(d.toString(2))}; }

// The shared frame of every export: the template, the header, the export's own cells,
// then the new file, saved and opened. Any failure is told and nothing is opened.
int runExport(const ExportDeps& deps, const char* templateName, const char* prefix,
              const std::function<void(MsExcelClass&)>& cells)
{
    const QString folder = QDir(deps.dataFolder).filePath(QStringLiteral("Excel"));
    QDir().mkpath(folder);
    const QString source = templatePath(deps, QString::fromLatin1(templateName));
    if (source.isEmpty()) {
        vrt::message(trText(deps, "Predložak nije pronađen:") + QLatin1Char(' ')
                         + QDir(deps.dataFolder).filePath(QStringLiteral("Templates/") + QLatin1String(templateName)),
                     QString(), vrt::Icon::Hand);
        return 0;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MsExcelClass excel;
    bool ok = excel.INIT() && excel.OPENFILE(source);
    QString path;
    if (ok) {
        WriteCompanyHeader(excel, deps);
        cells(excel);
        excel.SELECT(QStringLiteral("A1"));
        path = exportPath(deps.dataFolder, QString::fromLatin1(prefix), deps.now ? deps.now() : QDateTime::currentDateTime());
        ok = excel.lastError().isEmpty() && excel.SAVE(path);
        excel.CLOSE(1);
    }
    QApplication::restoreOverrideCursor();
    if (!ok) {
        vrt::message(trText(deps, "Izvoz u MS Excel nije uspio:") + QLatin1Char(' ') + excel.lastError(), QString(),
                     vrt::Icon::Hand);
        return 0;
    }
    // SaveAndOpenWorkbook: the desktop's handler for .xlsx.
    const bool opened = deps.open           ? deps.open(path)
                        : workbookOpener() ? workbookOpener()(path)
                                           : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened)
        vrt::message(trText(deps, "Datoteka je spremljena, ali se ne može otvoriti:") + QLatin1Char(' ') + path,
                     QString(), vrt::Icon::Exclamation);
    return 0;
}

} // namespace

std::function<bool(const QString& path)>& workbookOpener()
{
    static std::function<bool(const QString&)> opener;
    return opener;
}

QString exportPath(const QString& dataFolder, const QString& prefix, const QDateTime& now)
{
    static const QRegularExpression separators(QStringLiteral("[^0-9]+"));
    QStringList parts = QLocale().toString(now.date(), QLocale::ShortFormat).split(separators, Qt::SkipEmptyParts);
    const QString date = parts.join(QLatin1Char('-'));
    long long n = vrt::dayFromDate(now.date()) + now.time().msecsSinceStartOfDay() / 10;
    const QDir folder(QDir(dataFolder).filePath(QStringLiteral("Excel")));
    QString path;
    do
        path = folder.filePath(prefix + date + QLatin1Char('-') + QString::number(n++) + QStringLiteral(".xlsx"));
    while (QFileInfo::exists(path));
    return path;
}

QString shippedTemplateFolder() { return QCoreApplication::applicationDirPath() + QStringLiteral("/templates"); }

QString templatePath(const ExportDeps& deps, const QString& name)
{
    const QString own = QDir(deps.dataFolder).filePath(QStringLiteral("Templates/") + name);
    if (QFileInfo(own).isFile())
        return own;
    if (!deps.shippedTemplates.isEmpty()) {
        const QString shipped = QDir(deps.shippedTemplates).filePath(name);
        if (QFileInfo(shipped).isFile())
            return shipped;
    }
    return {};
}

void WriteCompanyHeader(MsExcelClass& excel, const ExportDeps& deps)
{
    const vrt::IniFile ini(QDir(deps.dataFolder).filePath(QStringLiteral("Standard.ini")));
    auto key = [&ini](const char* k) { return ini.get(QStringLiteral("License"), QString::fromLatin1(k)); };
    excel.ASSIGN(QStringLiteral("A1"), key("CompanyName"));
    excel.ASSIGN(QStringLiteral("A2"), key("CompanySlogan"));
    excel.ASSIGN(QStringLiteral("A4"), key("Street"));
    excel.ASSIGN(QStringLiteral("A5"), QStringList{key("City"), key("State"), key("Zip")}.join(QStringLiteral(", ")));
    excel.ASSIGN(QStringLiteral("A6"), trText(deps, "Telefon:") + QLatin1Char(' ') + key("Phone"));
    excel.ASSIGN(QStringLiteral("A7"), trText(deps, "Fax:") + QLatin1Char(' ') + key("Fax"));
}

int ExportExcelIncomeExpenses(const ExportDeps& deps, StateTotals* totals)
{
    return runExport(deps, "income-expenses.xlsx", "Income_Expenses_", [&](MsExcelClass& excel) {
        const vrt::Decimal income = sumOfType(1);
        const vrt::Decimal expenses = sumOfType(2);
        if (totals) {
            totals->income = income;
            totals->expenses = expenses;
        }
        excel.ASSIGN(QStringLiteral("D1"), trText(deps, "Prihodi/troškovi"));
        excel.ASSIGN(QStringLiteral("A17"), trText(deps, "Prihod ukupno"));
        excel.ASSIGN(QStringLiteral("F17"), QVariant::fromValue(number(income)));
        excel.ASSIGN(QStringLiteral("A18"), trText(deps, "Trošak ukupno"));
        excel.ASSIGN(QStringLiteral("F18"), QVariant::fromValue(number(expenses)));
        excel.ASSIGN(QStringLiteral("F39"), QVariant::fromValue(number(income - expenses)));
    });
}

int ExportExcelState(const ExportDeps& deps, const StateTotals& totals)
{
    return runExport(deps, "state.xlsx", "State_", [&](MsExcelClass& excel) {
        excel.ASSIGN(QStringLiteral("D1"), trText(deps, "Stanje"));
        excel.ASSIGN(QStringLiteral("F3"), QVariant((deps.now ? deps.now() : QDateTime::currentDateTime()).date()));
        int row = 17;
        for (const TotalsLine& line : stateLines(totals, deps.translate)) {
            excel.ASSIGN(QStringLiteral("A%1").arg(row), line.naziv);
            excel.ASSIGN(QStringLiteral("F%1").arg(row), QVariant::fromValue(number(line.iznos)));
            ++row;
        }
    });
}

} // namespace finance
