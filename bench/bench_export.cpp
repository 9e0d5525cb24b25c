// 10,000 income and expense rows exported through the spreadsheet component (template
// filled cell by cell, saved as .xlsx), against libxlsxwriter writing the same cells into a
// new workbook, the floor for writing .xlsx. Runs interleaved; prints both times, the ratio
// and the peak memory; exits non-zero when the component takes over twice the floor.
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include <xlsxwriter.h>

#include "bench/BenchSupport.h"

#include "services/MsExcelClass.h"
#include "procedures/finance/FinanceExports.h"

namespace {

constexpr int kRows = 10000, kFirstRow = 17;
constexpr double kLimit = 2.0;

struct Row {
    QString name, note, amount;
    QDate date;
};

double component(const std::vector<Row>& rows, const QString& templ, const QString& out)
{
    QElapsedTimer t;
    t.start();
    MSEXCELCLASS excel;
    excel.INIT(nullptr, 50, 1, 1, 0);
    excel.OPENFILE(templ);
    if (excel.failed())
        return -1;
    for (int i = 0; i < kRows; ++i) {
        const Row& r = rows[size_t(i)];
        const QString n = QString::number(kFirstRow + i);
        excel.ASSIGN(QStringLiteral("A") + n, r.name);
        excel.ASSIGN(QStringLiteral("B") + n, QVariant(r.date));
        excel.ASSIGN(QStringLiteral("C") + n, QVariant::fromValue(office::CellNumber{r.amount}));
        excel.ASSIGN(QStringLiteral("D") + n, r.note);
    }
    excel.SELECT(QStringLiteral("A1"));
    if (qEnvironmentVariableIsSet("BENCH_EXPORT_SPLIT"))
        std::printf("  filled in %.1f ms\n", double(t.nsecsElapsed()) / 1e6);
    excel.SAVE(out);
    if (excel.failed())
        return -1;
    excel.CLOSE(1);
    return double(t.nsecsElapsed()) / 1e6;
}

double floorWriter(const std::vector<Row>& rows, const QString& out)
{
    QElapsedTimer t;
    t.start();
    lxw_workbook* wb = workbook_new(out.toUtf8().constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy");
    for (int i = 0; i < kRows; ++i) {
        const Row& r = rows[size_t(i)];
        const lxw_row_t row = lxw_row_t(kFirstRow - 1 + i);
        worksheet_write_string(ws, row, 0, r.name.toUtf8().constData(), nullptr);
        lxw_datetime dt = {r.date.year(), r.date.month(), r.date.day(), 0, 0, 0};
        worksheet_write_datetime(ws, row, 1, &dt, date);
        worksheet_write_number(ws, row, 2, r.amount.toDouble(), nullptr);
        worksheet_write_string(ws, row, 3, r.note.toUtf8().constData(), nullptr);
    }
    if (workbook_close(wb) != LXW_NO_ERROR)
        return -1;
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString templ = finance::shippedTemplateFolder() + QStringLiteral("/income-expenses.xlsx");
    office::registerOfficeComponents();
    std::vector<Row> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.push_back({QStringLiteral("Uplata %1 – Šibenik").arg(i + 1), QStringLiteral("Napomena uz stavku %1").arg(i),
                        QStringLiteral("%1.%2").arg(1 + (i * 37) % 3000).arg(10 + i % 90), QDate(2026, 1, 1).addDays(i % 365)});
    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    int ours = 0, floors = 0; // a new file each round
    bench::Samples s;
    const bool ok = bench::interleave(
        rounds,
        {{"component", [&] { return component(rows, templ, dir.filePath(QStringLiteral("ours-%1.xlsx").arg(ours++))); }},
         {"libxlsxwriter", [&] { return floorWriter(rows, dir.filePath(QStringLiteral("floor-%1.xlsx").arg(floors++))); }}},
        s);
    bench::Report report("export of " + std::to_string(kRows) + " rows x 4 cells", rounds);
    if (!ok)
        report.fail("the export failed (template " + templ.toStdString() + ")");
    report.ratio("template component / libxlsxwriter", s["component"], s["libxlsxwriter"], kLimit);
    return report.finish();
}
