#include "services/MsExcelClass.h"

#include <QClipboard>
#include <QGuiApplication>

using office::quoted;
using office::toLong;

namespace {
constexpr int SheetNameLimit = 31;
constexpr int HandleLimit = 19;
} // namespace

void MSEXCELCLASS::START()
{
    office::registerOfficeComponents();
    setProgramId(QStringLiteral("Excel.Application"));
    MSOFFICECLASS::START();
}

void MSEXCELCLASS::select(const QString& path)
{
    OBJECT = GETPROPERTY(path).left(HandleLimit);
}

// Selection and values
void MSEXCELCLASS::SELECT(const QString& r) { select(range(r) + QStringLiteral(".Select")); }
void MSEXCELCLASS::SELECT(long row, long column) { select(cells(row, column) + QStringLiteral(".Select")); }
void MSEXCELCLASS::SELECTCOLUMN(const QString& column) { select(QStringLiteral("Columns(") + quoted(column) + QStringLiteral(").Select")); }
void MSEXCELCLASS::SELECTCOLUMNBYNUMBER(long column) { select(QStringLiteral("Columns(%1).Select").arg(column)); }
void MSEXCELCLASS::SELECTROW(long row) { select(QStringLiteral("Rows(%1).Select").arg(row)); }
void MSEXCELCLASS::SELECTSHEET(short n) { SENDCOMMAND(QStringLiteral("Sheets(%1).Select").arg(n)); }
void MSEXCELCLASS::SELECTSHEETBYNAME(const QString& name) { SENDCOMMAND(QStringLiteral("Sheets(") + quoted(name) + QStringLiteral(").Select")); }

void MSEXCELCLASS::ASSIGN(const QString& value) { SETPROPERTY(QStringLiteral("ActiveCell.FormulaR1C1"), value); }
void MSEXCELCLASS::ASSIGN(const QString& r, const QString& value)
{
    SELECT(r);
    ASSIGN(value);
}
void MSEXCELCLASS::ASSIGN(long row, long column, const QString& value)
{
    SELECT(row, column);
    ASSIGN(value);
}
void MSEXCELCLASS::ASSIGN(const QString& r, const QVariant& value)
{
    SELECT(r);
    SETPROPERTY(QStringLiteral("ActiveCell.FormulaR1C1"), value);
}
void MSEXCELCLASS::ASSIGNFORMULA(const QString& r, const QString& formula)
{
    SELECT(r);
    SETPROPERTY(QStringLiteral("ActiveCell.Formula"), formula);
}
void MSEXCELCLASS::ASSIGNWITHFORMAT(const QString& value, const QString& format)
{
    ASSIGN(value);
    SETNUMBERFORMAT(format);
}
void MSEXCELCLASS::ASSIGNWITHFORMAT(const QString& r, const QString& value, const QString& format)
{
    ASSIGN(r, value);
    SETNUMBERFORMAT(format);
}
void MSEXCELCLASS::ASSIGNWITHFORMAT(long row, long column, const QString& value, const QString& format)
{
    ASSIGN(row, column, value);
    SETNUMBERFORMAT(format);
}

QString MSEXCELCLASS::READ() { return GETPROPERTY(QStringLiteral("ActiveCell.Value")); }
QString MSEXCELCLASS::READ(const QString& r)
{
    SELECT(r);
    return READ();
}
QString MSEXCELCLASS::READ(long row, long column)
{
    SELECT(row, column);
    return READ();
}

void MSEXCELCLASS::EXECFUNCTION(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
    if (!clipboard)
        return failWith(QStringLiteral("not available: no clipboard"));
    clipboard->setText(text);
    SENDCOMMAND(QStringLiteral("ActiveSheet.Paste"));
    clipboard->clear();
}
void MSEXCELCLASS::EXECFUNCTION(const QString& r, const QString& text)
{
    SELECT(r);
    EXECFUNCTION(text);
}
void MSEXCELCLASS::EXECFUNCTION(long row, long column, const QString& text)
{
    SELECT(row, column);
    EXECFUNCTION(text);
}

// The third argument has no meaning and is not read.
void MSEXCELCLASS::REPLACE(const QString& what, const QString& with, uint8_t, uint8_t mode)
{
    if (mode == 1) {
        SENDCOMMAND(QStringLiteral("Application.Goto(") + quoted(what) + QLatin1Char(')'));
        ASSIGN(with);
    } else {
        SENDCOMMAND(QStringLiteral("Cells.Replace(") + quoted(what) + QLatin1Char(',') + quoted(with) + QStringLiteral(",2,1,1)"));
    }
}

// Cell properties by target
void MSEXCELCLASS::SETWRAPTEXT(uint8_t on) { SETPROPERTY(QStringLiteral("Selection.WrapText"), num(on)); }
void MSEXCELCLASS::SETWRAPTEXT(const QString& r, uint8_t on) { SETPROPERTY(range(r) + QStringLiteral(".WrapText"), num(on)); }
void MSEXCELCLASS::SETWRAPTEXT(long row, long column, uint8_t on) { SETPROPERTY(cells(row, column) + QStringLiteral(".WrapText"), num(on)); }
long MSEXCELCLASS::GETWRAPTEXT() { return toLong(GETPROPERTY(QStringLiteral("Selection.WrapText"))); }
long MSEXCELCLASS::GETWRAPTEXT(const QString& r) { return toLong(GETPROPERTY(range(r) + QStringLiteral(".WrapText"))); }
long MSEXCELCLASS::GETWRAPTEXT(long row, long column) { return toLong(GETPROPERTY(cells(row, column) + QStringLiteral(".WrapText"))); }

void MSEXCELCLASS::SETVALIGNMENT(uint8_t a) { SETPROPERTY(QStringLiteral("Selection.VerticalAlignment"), num(a)); }
void MSEXCELCLASS::SETVALIGNMENT(const QString& r, uint8_t a) { SETPROPERTY(range(r) + QStringLiteral(".VerticalAlignment"), num(a)); }
void MSEXCELCLASS::SETVALIGNMENT(long row, long column, uint8_t a) { SETPROPERTY(cells(row, column) + QStringLiteral(".VerticalAlignment"), num(a)); }
long MSEXCELCLASS::GETVALIGNMENT() { return toLong(GETPROPERTY(QStringLiteral("Selection.VerticalAlignment"))); }
long MSEXCELCLASS::GETVALIGNMENT(const QString& r) { return toLong(GETPROPERTY(range(r) + QStringLiteral(".VerticalAlignment"))); }
long MSEXCELCLASS::GETVALIGNMENT(long row, long column) { return toLong(GETPROPERTY(cells(row, column) + QStringLiteral(".VerticalAlignment"))); }

void MSEXCELCLASS::SETHALIGNMENT(uint8_t a) { SETPROPERTY(QStringLiteral("Selection.HorizontalAlignment"), num(a)); }
void MSEXCELCLASS::SETHALIGNMENT(const QString& r, uint8_t a) { SETPROPERTY(range(r) + QStringLiteral(".HorizontalAlignment"), num(a)); }
void MSEXCELCLASS::SETHALIGNMENT(long row, long column, uint8_t a) { SETPROPERTY(cells(row, column) + QStringLiteral(".HorizontalAlignment"), num(a)); }
long MSEXCELCLASS::GETHALIGNMENT() { return toLong(GETPROPERTY(QStringLiteral("Selection.HorizontalAlignment"))); }
long MSEXCELCLASS::GETHALIGNMENT(const QString& r) { return toLong(GETPROPERTY(range(r) + QStringLiteral(".HorizontalAlignment"))); }
long MSEXCELCLASS::GETHALIGNMENT(long row, long column) { return toLong(GETPROPERTY(cells(row, column) + QStringLiteral(".HorizontalAlignment"))); }

void MSEXCELCLASS::SETALIGNMENT(uint8_t a) { SETHALIGNMENT(a); }
void MSEXCELCLASS::SETALIGNMENT(const QString& r, uint8_t a) { SETHALIGNMENT(r, a); }
void MSEXCELCLASS::SETALIGNMENT(long row, long column, uint8_t a) { SETHALIGNMENT(row, column, a); }
uint8_t MSEXCELCLASS::GETALIGNMENT() { return uint8_t(GETHALIGNMENT() & 0xff); }
uint8_t MSEXCELCLASS::GETALIGNMENT(const QString& r) { return uint8_t(GETHALIGNMENT(r) & 0xff); }
uint8_t MSEXCELCLASS::GETALIGNMENT(long row, long column) { return uint8_t(GETHALIGNMENT(row, column) & 0xff); }

void MSEXCELCLASS::SETNUMBERFORMAT(const QString& f) { SETPROPERTY(QStringLiteral("Selection.NumberFormat"), f); }
void MSEXCELCLASS::SETNUMBERFORMAT(const QString& r, const QString& f) { SETPROPERTY(range(r) + QStringLiteral(".NumberFormat"), f); }
void MSEXCELCLASS::SETNUMBERFORMAT(long row, long column, const QString& f) { SETPROPERTY(cells(row, column) + QStringLiteral(".NumberFormat"), f); }

// Columns, rows, merging, borders, protection
void MSEXCELCLASS::SETCOLUMNWIDTH(const QString& column, long w) { SETPROPERTY(QStringLiteral("Columns(") + quoted(column) + QStringLiteral(").ColumnWidth"), num(w)); }
void MSEXCELCLASS::SETCOLUMNWIDTH(long w) { SETPROPERTY(QStringLiteral("Selection.Columns.ColumnWidth"), num(w)); }
void MSEXCELCLASS::SETCOLUMNWIDTHBYNUMBER(long column, long w) { SETPROPERTY(QStringLiteral("Columns(%1).ColumnWidth").arg(column), num(w)); }
long MSEXCELCLASS::GETCOLUMNWIDTH(const QString& column) { return toLong(GETPROPERTY(QStringLiteral("Columns(") + quoted(column) + QStringLiteral(").ColumnWidth"))); }
long MSEXCELCLASS::GETCOLUMNWIDTH() { return toLong(GETPROPERTY(QStringLiteral("Selection.Columns.ColumnWidth"))); }
long MSEXCELCLASS::GETCOLUMNWIDTHBYNUMBER(long column) { return toLong(GETPROPERTY(QStringLiteral("Columns(%1).ColumnWidth").arg(column))); }
void MSEXCELCLASS::SETROWHEIGHT(long row, long h) { SETPROPERTY(QStringLiteral("Rows(%1).RowHeight").arg(row), num(h)); }
void MSEXCELCLASS::SETROWHEIGHT(long h) { SETPROPERTY(QStringLiteral("Selection.Rows.RowHeight"), num(h)); }
long MSEXCELCLASS::GETROWHEIGHT(long row) { return toLong(GETPROPERTY(QStringLiteral("Rows(%1).RowHeight").arg(row))); }
long MSEXCELCLASS::GETROWHEIGHT() { return toLong(GETPROPERTY(QStringLiteral("Selection.Rows.RowHeight"))); }
void MSEXCELCLASS::AUTOFITCOLUMN(const QString& column) { SENDCOMMAND(QStringLiteral("Columns(") + quoted(column) + QStringLiteral(").AutoFit")); }
void MSEXCELCLASS::AUTOFITCOLUMN() { SENDCOMMAND(QStringLiteral("Selection.Columns.AutoFit")); }
void MSEXCELCLASS::AUTOFITCOLUMNBYNUMBER(long column) { SENDCOMMAND(QStringLiteral("Columns(%1).AutoFit").arg(column)); }
void MSEXCELCLASS::AUTOFITROW(long row) { SENDCOMMAND(QStringLiteral("Rows(%1).AutoFit").arg(row)); }
void MSEXCELCLASS::AUTOFITROW() { SENDCOMMAND(QStringLiteral("Selection.Rows.AutoFit")); }
void MSEXCELCLASS::INSERTROW(long row)
{
    SELECTROW(row);
    SENDCOMMAND(QStringLiteral("Selection.Insert(-4121)"));
}
void MSEXCELCLASS::INSERTCOLUMN(const QString& column)
{
    SELECTCOLUMN(column);
    SENDCOMMAND(QStringLiteral("Selection.Insert(-4161)"));
}
void MSEXCELCLASS::INSERTCOLUMNBYNUMBER(long column)
{
    SELECTCOLUMNBYNUMBER(column);
    SENDCOMMAND(QStringLiteral("Selection.Insert(-4161)"));
}
void MSEXCELCLASS::MERGECELLS(const QString& r) { SETPROPERTY(range(r) + QStringLiteral(".MergeCells"), QStringLiteral("1")); }
void MSEXCELCLASS::MERGECELLS() { SETMERGECELLS(1); }
void MSEXCELCLASS::SETMERGECELLS(uint8_t on) { SETPROPERTY(QStringLiteral("Selection.MergeCells"), num(on)); }
void MSEXCELCLASS::COMBINEANDCENTER(const QString& r)
{
    SELECT(r);
    SETPROPERTY(QStringLiteral("Selection.HorizontalAlignment"), QStringLiteral("-4108"));
    SENDCOMMAND(QStringLiteral("Selection.Merge"));
}

void MSEXCELCLASS::borderEdge(long border, long style, long weight, long colour)
{
    const QString b = QStringLiteral(".Borders(%1).").arg(border);
    SETPROPERTY(b + QStringLiteral("LineStyle"), num(style));
    SETPROPERTY(b + QStringLiteral("Weight"), num(weight));
    SETPROPERTY(b + QStringLiteral("ColorIndex"), num(colour));
}
void MSEXCELCLASS::SETBORDER(long border, long style, long weight, long colour)
{
    WITH(QStringLiteral("Selection"));
    borderEdge(border, style, weight, colour);
    ENDWITH();
}
void MSEXCELCLASS::SETBORDER(const QString& r, long border, long style, long weight, long colour)
{
    SELECT(r);
    SETBORDER(border, style, weight, colour);
}
void MSEXCELCLASS::SETBORDERS(long style, long weight, long colour)
{
    for (long edge = 7; edge <= 10; ++edge) {
        WITH(QStringLiteral("Selection"));
        borderEdge(edge, style, weight, colour);
        ENDWITH();
    }
}
void MSEXCELCLASS::SETBORDERS(const QString& r, long style, long weight, long colour)
{
    SELECT(r);
    SETBORDERS(style, weight, colour);
}
void MSEXCELCLASS::AUTOFORMAT(uint8_t f) { SENDCOMMAND(QStringLiteral("Selection.AutoFormat(%1,1,1,1,1,1,1)").arg(f)); }
void MSEXCELCLASS::AUTOFORMAT(const QString& r, uint8_t f)
{
    SELECT(r);
    AUTOFORMAT(f);
}
void MSEXCELCLASS::PROTECTCELL(const QString& r, uint8_t locked)
{
    SELECT(r);
    SETPROPERTY(QStringLiteral("Selection.Locked"), flag(locked));
}
void MSEXCELCLASS::PROTECTSHEET(const QString& password)
{
    QString p = password;
    while (p.endsWith(QLatin1Char(' ')))
        p.chop(1);
    SENDCOMMAND(QStringLiteral("ActiveSheet.Protect(") + quoted(p) + QStringLiteral(",1,1,1)"));
}
void MSEXCELCLASS::ACTIVATEFILTER(const QString& r) { SENDCOMMAND(range(r) + QStringLiteral(".AutoFilter")); }
void MSEXCELCLASS::ACTIVATEFILTER() { SENDCOMMAND(QStringLiteral("Selection.AutoFilter")); }

// Workbooks, sheets, pages
void MSEXCELCLASS::CREATEFILE() { SENDCOMMAND(QStringLiteral("Workbooks.Add")); }
void MSEXCELCLASS::CREATEFILE(const QString& t) { SENDCOMMAND(QStringLiteral("Workbooks.Add(") + quoted(t) + QLatin1Char(')')); }
void MSEXCELCLASS::OPENFILE(const QString& path)
{
    if (path.trimmed().isEmpty())
        return CREATEFILE();
    SENDCOMMAND(QStringLiteral("Workbooks.Open(") + quoted(path) + QLatin1Char(')'));
}
void MSEXCELCLASS::OPENFILE(const QString& path, const QString& password)
{
    if (path.trimmed().isEmpty())
        return CREATEFILE();
    SENDCOMMAND(QStringLiteral("Workbooks.Open(") + quoted(path) + QStringLiteral(",,,,") + quoted(password) + QLatin1Char(')'));
}
void MSEXCELCLASS::SAVE(const QString& path) { SENDCOMMAND(QStringLiteral("ActiveWorkbook.SaveAs(") + quoted(path) + QLatin1Char(')')); }
// A and B go in as the caller wrote them: they are arguments, not texts.
void MSEXCELCLASS::SAVE(const QString& path, long format, const QString& a, const QString& b, uint8_t c)
{
    SENDCOMMAND(QStringLiteral("Application.ActiveWorkbook.SaveAs(") + quoted(path) + QLatin1Char(',') + num(format) + QLatin1Char(',') + a
                + QStringLiteral(",1,") + b + QLatin1Char(',') + num(c) + QStringLiteral(",1)"));
}
void MSEXCELCLASS::CLOSE(uint8_t how) { SENDCOMMAND(QStringLiteral("ActiveWindow.Close(%1)").arg(how)); }
void MSEXCELCLASS::PRINTDOC(uint8_t copies) { SENDCOMMAND(QStringLiteral("ActiveSheet.PrintOut(,,%1,,,,,)").arg(copies)); }
void MSEXCELCLASS::PAGESETUP(uint8_t paper, uint8_t orientation)
{
    SETPROPERTY(QStringLiteral("Application.ActiveSheet.PageSetup.PaperSize"), num(paper));
    SETPROPERTY(QStringLiteral("Application.ActiveSheet.PageSetup.Orientation"), num(orientation));
}
void MSEXCELCLASS::SETMARGINS(short top, short bottom, short left, short right)
{
    const std::pair<const char*, short> margins[] = {{"TopMargin", top}, {"BottomMargin", bottom}, {"LeftMargin", left}, {"RightMargin", right}};
    for (const auto& [name, cm] : margins) {
        const QString points = GETPROPERTY(QStringLiteral("CentimetersToPoints(%1)").arg(cm));
        SETPROPERTY(QStringLiteral("Application.ActiveSheet.PageSetup.") + QLatin1String(name), points);
    }
}
void MSEXCELCLASS::HEADERFOOTER(const QString& lh, const QString& ch, const QString& rh, const QString& lf, const QString& cf, const QString& rf)
{
    const std::pair<const char*, const QString*> parts[] = {{"LeftHeader", &lh},   {"CenterHeader", &ch}, {"RightHeader", &rh},
                                                            {"LeftFooter", &lf},   {"CenterFooter", &cf}, {"RightFooter", &rf}};
    for (const auto& [name, text] : parts)
        SETPROPERTY(QStringLiteral("ActiveSheet.PageSetup.") + QLatin1String(name), *text);
}
QString MSEXCELCLASS::GETREGIONALSETTING(short which) { return GETPROPERTY(QStringLiteral("Application.International(%1)").arg(which)); }
void MSEXCELCLASS::ADDSHEET(uint8_t count)
{
    for (int i = 1; i <= count; ++i)
        SENDCOMMAND(QStringLiteral("Sheets.Add"));
}
// Spreadsheet programs take at most 31 characters for a sheet's name.
void MSEXCELCLASS::SETSHEETNAME(short n, const QString& name) { SETPROPERTY(QStringLiteral("Sheets(%1).Name").arg(n), name.left(SheetNameLimit)); }
QString MSEXCELCLASS::GETSHEETNAME(long n) { return GETPROPERTY(QStringLiteral("Sheets(%1).Name").arg(n)); }
QString MSEXCELCLASS::GETSHEETNAME() { return GETPROPERTY(QStringLiteral("ActiveSheet.Name")); }
long MSEXCELCLASS::GETSHEETINDEX(const QString& name) { return toLong(GETPROPERTY(QStringLiteral("Sheets(") + quoted(name) + QStringLiteral(").Index"))); }
long MSEXCELCLASS::GETSHEETINDEX() { return toLong(GETPROPERTY(QStringLiteral("ActiveSheet.Index"))); }
long MSEXCELCLASS::GETSHEETCOUNT() { return toLong(GETPROPERTY(QStringLiteral("Sheets.Count"))); }

// Charts
void MSEXCELCLASS::GRAPH(short type, uint8_t where, const QString& name)
{
    SENDCOMMAND(QStringLiteral("Charts.Add"));
    SETPROPERTY(QStringLiteral("ActiveChart.ChartType"), num(type));
    SENDCOMMAND(QStringLiteral("ActiveChart.Location(%1, ").arg(where) + quoted(name) + QLatin1Char(')'));
}
void MSEXCELCLASS::SETGRAPHTITLE(const QString& title)
{
    SENDCOMMAND(QStringLiteral("ActiveChart.ChartArea.Select"));
    SETPROPERTY(QStringLiteral("ActiveChart.HasTitle"), QStringLiteral("1"));
    SETPROPERTY(QStringLiteral("ActiveChart.ChartTitle.Characters.Text"), title);
}
void MSEXCELCLASS::axisTitle(const char* axes, const QString& title)
{
    SENDCOMMAND(QStringLiteral("ActiveChart.ChartArea.Select"));
    const QString a = QStringLiteral("ActiveChart.Axes(") + QLatin1String(axes) + QStringLiteral(").");
    SETPROPERTY(a + QStringLiteral("HasTitle"), QStringLiteral("1"));
    SETPROPERTY(a + QStringLiteral("AxisTitle.Characters.Text"), title);
}
void MSEXCELCLASS::SETXAXISTITLE(const QString& t) { axisTitle("1,1", t); }
void MSEXCELCLASS::SETYAXISTITLE(const QString& t) { axisTitle("2,1", t); }
void MSEXCELCLASS::SETZAXISTITLE(const QString& t) { axisTitle("3,1", t); }
void MSEXCELCLASS::SHOWLINES(uint8_t axis, uint8_t major, uint8_t minor)
{
    SENDCOMMAND(QStringLiteral("ActiveChart.PlotArea.Select"));
    SETPROPERTY(QStringLiteral("ActiveChart.Axes(%1).HasMajorGridlines").arg(axis), num(major));
    SETPROPERTY(QStringLiteral("ActiveChart.Axes(%1).HasMinorGridlines").arg(axis), num(minor));
}
void MSEXCELCLASS::chartFrame(const char* selectPath, short a, short b, short c, short d, short e, short f)
{
    SENDCOMMAND(QLatin1String(selectPath));
    const std::pair<const char*, short> writes[] = {{"Selection.Border.ColorIndex", a},    {"Selection.Border.Weight", b},
                                                    {"Selection.Border.LineStyle", c},     {"Selection.Interior.ColorIndex", d},
                                                    {"Selection.Border.PatternColorIndex", e}, {"Selection.Border.Pattern", f}};
    for (const auto& [path, value] : writes)
        SETPROPERTY(QLatin1String(path), num(value));
}
void MSEXCELCLASS::GRAPHFRAME(short a, short b, short c, short d, short e, short f) { chartFrame("ActiveChart.ChartArea.Select", a, b, c, d, e, f); }
void MSEXCELCLASS::GRAPHBACKGROUND(short a, short b, short c, short d, short e, short f) { chartFrame("ActiveChart.PlotArea.Select", a, b, c, d, e, f); }
void MSEXCELCLASS::DATASOURCE(uint8_t show)
{
    SETPROPERTY(QStringLiteral("ActiveChart.HasDataTable"), flag(show));
    SETPROPERTY(QStringLiteral("ActiveChart.DataTable.ShowLegendKey"), flag(show));
}
void MSEXCELCLASS::DATALABELS(uint8_t type) { SENDCOMMAND(QStringLiteral("ActiveChart.ApplyDataLabels(%1)").arg(type)); }
void MSEXCELCLASS::LOCATELEGEND(short position)
{
    SENDCOMMAND(QStringLiteral("ActiveChart.Legend.Select"));
    SETPROPERTY(QStringLiteral("Selection.Position"), num(position));
}
void MSEXCELCLASS::LOCATESERIE(short series, short group) { SETPROPERTY(QStringLiteral("ActiveChart.SeriesCollection(%1).AxisGroup").arg(series), num(group)); }
long MSEXCELCLASS::GETSERIESCOUNT() { return toLong(GETPROPERTY(QStringLiteral("ActiveChart.SeriesCollection.Count"))); }
