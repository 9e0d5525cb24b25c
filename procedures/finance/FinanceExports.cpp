#include "procedures/finance/FinanceExports.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <optional>

#include "procedures/documents/BusinessData.h"
#include "services/MsExcelClass.h"
#include "procedures/finance/FinanceCharts.h"
#include "procedures/finance/FinanceReports.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/Odbc.h"
#include "runtime/PrivateFiles.h"

#include <cstring>

namespace finance {

namespace {

QString trText(const ExportDeps& d, const char* text)
{
    return d.side.translate(QString::fromUtf8(text));
}

office::CellNumber number(const vrt::Decimal& d) { return {QString::fromStdString(d.toString(2))}; }

// The templates' own texts (the headings and the sheet's name) in the program's language.
struct TemplateTexts {
    const char* templateName;
    const char* sheet;
    std::vector<std::pair<const char*, const char*>> cells;
};

const std::vector<TemplateTexts>& templateTexts()
{
    static const std::vector<TemplateTexts> texts = {
        {"income-expenses.xlsx", "Prihodi i troskovi", {{"E3", "Datum:"}, {"A16", "Naziv"}, {"F16", "Iznos"}, {"A20", "Naziv"}}},
        {"input-document.xlsx", "Ulazni dokument", {{"E3", "Datum:"}, {"A16", "Naziv"}, {"F16", "Iznos"}, {"A39", "Ukupno"}}},
        {"invoice-template.xlsx", "Racun",
         {{"E3", "Datum:"}, {"E4", "Oznaka:"}, {"E5", "Kupac ID:"}, {"A16", "Naziv"}, {"E16", "PDV"}, {"F16", "Iznos"},
          {"E34", "Osnovica"}, {"E35", "Rabat"}, {"E36", "PDV ukupno"}, {"A39", "Ukupno"}}},
        {"state.xlsx", "Stanje", {{"E3", "Datum:"}, {"A16", "Naziv"}, {"F16", "Iznos"}}},
    };
    return texts;
}

void translateTemplate(MSEXCELCLASS& excel, const ExportDeps& deps, const char* templateName)
{
    for (const TemplateTexts& t : templateTexts())
        if (std::strcmp(t.templateName, templateName) == 0) {
            excel.SETSHEETNAME(short(excel.GETSHEETINDEX()), trText(deps, t.sheet));
            for (const auto& [cell, text] : t.cells)
                excel.ASSIGN(QString::fromLatin1(cell), trText(deps, text));
        }
}

// The shared frame of every export: the template, the header, the export's own cells,
// then the new file, saved and opened. Any failure is told and nothing is opened.
int runExport(const ExportDeps& deps, const char* templateName, const QString& prefix,
              const std::function<void(MSEXCELCLASS&)>& cells)
{
    const QString folder = QDir(deps.dataFolder).filePath(QStringLiteral("Excel"));
    vrt::makePrivateFolder(folder);
    const QString source = templatePath(deps, QString::fromLatin1(templateName));
    if (source.isEmpty()) {
        vrt::message(trText(deps, "Predložak nije pronađen:") + QLatin1Char(' ')
                         + QDir(deps.dataFolder).filePath(QStringLiteral("Templates/") + QLatin1String(templateName)),
                     QString(), vrt::Icon::Hand);
        return 0;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MSEXCELCLASS excel;
    excel.INIT(deps.window, 50, 1, 1, 0);
    if (!excel.failed())
        excel.OPENFILE(source);
    bool ok = !excel.failed();
    QString path;
    if (ok) {
        translateTemplate(excel, deps, templateName);
        WriteCompanyHeader(excel, deps);
        cells(excel);
        excel.SELECT(QStringLiteral("A1"));
        path = exportPath(deps.dataFolder, prefix, deps.side.now());
        if (!excel.failed())
            excel.SAVE(path);
        ok = !excel.failed();
        excel.CLOSE(1);
    }
    QApplication::restoreOverrideCursor();
    if (!ok) {
        vrt::message(trText(deps, "Izvoz u MS Excel nije uspio:") + QLatin1Char(' ') + excel.lastError(), QString(),
                     vrt::Icon::Hand);
        return 0;
    }
    // SaveAndOpenWorkbook: the desktop's handler for .xlsx.
    const bool opened = deps.side.open(path);
    if (!opened)
        vrt::message(trText(deps, "Datoteka je spremljena, ali se ne može otvoriti:") + QLatin1Char(' ') + path,
                     QString(), vrt::Icon::Exclamation);
    return 0;
}

// A stored amount as a number cell; text that holds no number stays the text it is.
QVariant amountCell(const QString& stored)
{
    if (const auto d = vrt::Decimal::parse(QStringView(stored).trimmed()))
        return QVariant::fromValue(office::CellNumber{QString::fromStdString(d->toString())});
    return stored;
}

// A document's amount as it is shown: older rows hold the exact sum of the items.
QVariant documentAmountCell(const QString& stored)
{
    if (const auto d = vrt::Decimal::parse(QStringView(stored).trimmed()))
        return QVariant::fromValue(office::CellNumber{QString::fromStdString(d->round(2).toString())});
    return stored;
}

// A stored amount for a sum: text that holds no number counts as zero.
vrt::Decimal money(const QString& stored) { return vrt::Decimal::parse(QStringView(stored).trimmed()).value_or(vrt::Decimal()); }

QVariant dateCell(const QString& stored)
{
    const QDate d = QDate::fromString(stored.left(10), Qt::ISODate);
    return d.isValid() ? QVariant(d) : QVariant(QString());
}

QString column(vrt::odbc::Statement& s, int n) { return QString::fromStdString(s.text(n).value_or("")); }

// A category name as part of a file name: no folder separators or characters a file system refuses.
QString fileNamePart(QString name)
{
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("_"));
    return name.trimmed();
}

int noDocument(const ExportDeps& deps)
{
    vrt::message(trText(deps, "Prethodno odaberite dokument za izvoz."), trText(deps, "Velmora"), vrt::Icon::Information);
    return 0;
}

int unreadable(const ExportDeps& deps, const QString& why)
{
    vrt::message(trText(deps, "Izvoz u MS Excel nije uspio:") + QLatin1Char(' ') + why, QString(), vrt::Icon::Hand);
    return 0;
}

} // namespace

std::function<bool(const QString& path)>& workbookOpener()
{
    static std::function<bool(const QString&)> opener;
    return opener;
}

bool openWorkbook(const QString& path)
{
    return workbookOpener() ? workbookOpener()(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
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

void WriteCompanyHeader(MSEXCELCLASS& excel, const ExportDeps& deps)
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
    return runExport(deps, "income-expenses.xlsx", QStringLiteral("Income_Expenses_"), [&](MSEXCELCLASS& excel) {
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
    return runExport(deps, "state.xlsx", QStringLiteral("State_"), [&](MSEXCELCLASS& excel) {
        excel.ASSIGN(QStringLiteral("D1"), trText(deps, "Stanje"));
        excel.ASSIGN(QStringLiteral("F3"), QVariant(deps.side.now().date()));
        int row = 17;
        for (const TotalsLine& line : stateLines(totals, [&deps](const QString& t) { return deps.side.translate(t); })) {
            excel.ASSIGN(QStringLiteral("A%1").arg(row), line.naziv);
            excel.ASSIGN(QStringLiteral("F%1").arg(row), QVariant::fromValue(number(line.iznos)));
            ++row;
        }
    });
}

int ExportExcelInvoice(const ExportDeps& deps, long documentId)
{
    if (documentId <= 0)
        return noDocument(deps);
    using business::table;
    business::openBusinessTables();
    struct Head {
        QString category, date, mark, amount, note;
        long customer = 0;
    };
    std::optional<Head> head;
    QString error;
    business::query("SELECT k.NAZIV, d.DATUM, d.BROJDOKUMENTA, d.KUPACID, d.IZNOS_DECIMAL, d.NAPOMENA FROM " +
                        table(Tbl::IDokumenti) + " d LEFT JOIN " + table(Tbl::IDKategorija) +
                        " k ON k.ID = d.KATEGORIJAID WHERE d.ID = ?",
                    {(long long)documentId}, [&](vrt::odbc::Statement& s) {
                        head = Head{column(s, 1), column(s, 2), column(s, 3), column(s, 5), column(s, 6),
                                    long(s.integer(4).value_or(0))};
                        return false;
                    }, &error);
    if (!head)
        return unreadable(deps, error.isEmpty() ? trText(deps, "Dokument ne postoji.") : error);

    struct Item {
        QString name, tax, net, discount;
    };
    std::vector<Item> items;
    if (!business::query("SELECT p.NAZIV, t.POREZ_IZNOS_DECIMAL, t.IZNOS_DECIMAL, t.RABAT_JED_DECIMAL FROM " +
                             table(Tbl::IDStavke) + " t LEFT JOIN " + table(Tbl::ProizvodUsluga) +
                             " p ON p.ID = t.PROIZVODUSLUGAID WHERE t.DOKUMENTID = ? ORDER BY t.RBR, t.ID",
                         {(long long)documentId}, [&](vrt::odbc::Statement& s) {
                             items.push_back({column(s, 1), column(s, 2), column(s, 3), column(s, 4)});
                             return true;
                         }, &error))
        return unreadable(deps, error);
    // The template has rows for 17 items; more would run into its totals.
    if (items.size() > 17) {
        vrt::message(trText(deps, "Previše stavki za export u MS Excel !"), QString(), vrt::Icon::Hand);
        return 0;
    }

    // A document without a customer exports an empty customer block; a customer that is gone stops the export.
    QStringList customer(9);
    if (head->customer != 0) {
        bool found = false;
        error.clear();
        business::query("SELECT PREZIME, SREDNJEIME, IME, TVRTKA, TADRESA1, TGRAD, TDRZAVA, TPOSTBROJ, TPHONE1 FROM " +
                            table(Tbl::CON_Contacts) + " WHERE ID = ?",
                        {(long long)head->customer}, [&](vrt::odbc::Statement& s) {
                            found = true;
                            for (int i = 0; i < 9; ++i)
                                customer[i] = column(s, i + 1);
                            return false;
                        }, &error);
        if (!found) {
            vrt::message(QStringLiteral("W_First ExportExcelInvoice Fetch :") + QString::number(head->customer)
                             + QStringLiteral(" : 35 : ") + (error.isEmpty() ? trText(deps, "Zapis nije pronađen.") : error),
                         QString(), vrt::Icon::Hand);
            return 0;
        }
    }

    const vrt::IniFile ini(QDir(deps.dataFolder).filePath(QStringLiteral("Standard.ini")));
    auto key = [&ini](const char* k) { return ini.get(QStringLiteral("License"), QString::fromLatin1(k)); };
    return runExport(deps, "invoice-template.xlsx", fileNamePart(head->category) + QLatin1Char('_'), [&](MSEXCELCLASS& excel) {
        excel.ASSIGN(QStringLiteral("D1"), head->category);
        excel.ASSIGN(QStringLiteral("F3"), dateCell(head->date));
        excel.ASSIGN(QStringLiteral("F4"), head->mark);
        excel.ASSIGN(QStringLiteral("F5"), QVariant::fromValue<qlonglong>(head->customer));
        if (head->customer != 0) {
            const QString& middle = customer[1];
            excel.ASSIGN(QStringLiteral("A10"), middle.isEmpty() ? customer[0] + QLatin1Char(' ') + customer[2]
                                                                 : customer[0] + QLatin1Char(' ') + middle + QLatin1Char(' ') + customer[2]);
            excel.ASSIGN(QStringLiteral("A11"), customer[3]);
            excel.ASSIGN(QStringLiteral("A12"), customer[4]);
            excel.ASSIGN(QStringLiteral("A13"), customer[5] + QLatin1Char(' ') + customer[6] + QLatin1Char(' ') + customer[7]);
            excel.ASSIGN(QStringLiteral("A14"), trText(deps, "Telefon:") + QLatin1Char(' ') + customer[8]);
        }
        vrt::Decimal net, discount, tax;
        int row = 17;
        for (const Item& item : items) {
            excel.ASSIGN(QStringLiteral("A%1").arg(row), item.name);
            excel.ASSIGN(QStringLiteral("E%1").arg(row), amountCell(item.tax));
            excel.ASSIGN(QStringLiteral("F%1").arg(row), amountCell(item.net));
            net = net + money(item.net);
            discount = discount + money(item.discount);
            tax = tax + money(item.tax);
            ++row;
        }
        excel.ASSIGN(QStringLiteral("F34"), QVariant::fromValue(number(net)));
        excel.ASSIGN(QStringLiteral("F35"), QVariant::fromValue(number(discount)));
        excel.ASSIGN(QStringLiteral("F36"), QVariant::fromValue(number(tax)));
        excel.ASSIGN(QStringLiteral("F39"), documentAmountCell(head->amount));
        excel.ASSIGN(QStringLiteral("A37"), head->note);
        excel.ASSIGN(QStringLiteral("A46"), QStringList{key("PerosnInCharge"), key("Phone"), key("Email")}.join(QLatin1Char(' ')));
    });
}

int ExportExcelInputDocument(const ExportDeps& deps, long documentId)
{
    if (documentId <= 0)
        return noDocument(deps);
    using business::table;
    business::openBusinessTables();
    bool found = false;
    QString category, date, partner, mark, amount, note, error;
    business::query("SELECT k.NAZIV, d.DATUM, c.TVRTKA, d.BROJDOKUMENTA, d.IZNOS_DECIMAL, d.NAPOMENA FROM " +
                        table(Tbl::UDokumenti) + " d LEFT JOIN " + table(Tbl::UDKategorija) +
                        " k ON k.ID = d.KATEGORIJAID LEFT JOIN " + table(Tbl::CON_Contacts) +
                        " c ON c.ID = d.DOBAVLJACID WHERE d.ID = ?",
                    {(long long)documentId}, [&](vrt::odbc::Statement& s) {
                        found = true;
                        category = column(s, 1);
                        date = column(s, 2);
                        partner = column(s, 3);
                        mark = column(s, 4);
                        amount = column(s, 5);
                        note = column(s, 6);
                        return false;
                    }, &error);
    if (!found)
        return unreadable(deps, error.isEmpty() ? trText(deps, "Dokument ne postoji.") : error);
    return runExport(deps, "input-document.xlsx", QStringLiteral("Input_document_"), [&](MSEXCELCLASS& excel) {
        excel.ASSIGN(QStringLiteral("D1"), category);
        excel.ASSIGN(QStringLiteral("F3"), dateCell(date));
        excel.ASSIGN(QStringLiteral("A17"), partner);
        excel.ASSIGN(QStringLiteral("A18"), mark);
        excel.ASSIGN(QStringLiteral("F18"), documentAmountCell(amount));
        excel.ASSIGN(QStringLiteral("F39"), documentAmountCell(amount));
        excel.ASSIGN(QStringLiteral("A37"), note);
    });
}

} // namespace finance
