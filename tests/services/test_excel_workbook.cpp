#include "services/MsExcelClass.h"
#include "services/XlsxWorkbook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

// Reads a saved workbook with an independent reader (openpyxl) and answers the asked facts.
QJsonObject readBack(const QString& path)
{
    const char* script = R"(
import json, sys, zipfile, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": wb.sheetnames, "active": wb.active.title,
       "calcChain": "xl/calcChain.xml" in zipfile.ZipFile(sys.argv[1]).namelist()}
for ws in wb.worksheets:
    d = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is None and not c.has_style:
                continue
            d[c.coordinate] = {"value": c.value if not hasattr(c.value, "isoformat") else c.value.isoformat(),
                "type": c.data_type, "bold": c.font.b, "italic": c.font.i, "size": c.font.sz, "name": c.font.name,
                "underline": c.font.u, "colour": c.font.color.indexed if c.font.color is not None and c.font.color.type == "indexed" else None,
                "rgb": c.font.color.rgb if c.font.color is not None and c.font.color.type == "rgb" else None,
                "fill": c.fill.fgColor.indexed if c.fill.fill_type == "solid" else None,
                "format": c.number_format, "h": c.alignment.horizontal, "v": c.alignment.vertical, "wrap": bool(c.alignment.wrap_text),
                "left": c.border.left.style, "right": c.border.right.style, "top": c.border.top.style, "bottom": c.border.bottom.style,
                "locked": c.protection.locked}
    d["_widths"] = {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth}
    d["_heights"] = {str(k): v.height for k, v in ws.row_dimensions.items() if v.height}
    d["_merged"] = [str(r) for r in ws.merged_cells.ranges]
    d["_protected"] = bool(ws.protection.sheet)
    d["_password"] = ws.protection.password
    d["_filter"] = ws.auto_filter.ref
    d["_paper"] = ws.page_setup.paperSize
    d["_orientation"] = ws.page_setup.orientation
    d["_top"] = ws.page_margins.top
    d["_header"] = ws.oddHeader.center.text
    d["_footer"] = ws.oddFooter.right.text
    out[ws.title] = d
print(json.dumps(out))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

class ExcelWorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        excel.INIT(nullptr, 50, 1, 1, 0);
        excel.OPENFILE("");
        ASSERT_FALSE(excel.failed()) << excel.lastError().toStdString();
    }
    QJsonObject saved()
    {
        const QString path = folder.file(QString("book%1.xlsx").arg(++saves));
        excel.SAVE(path);
        EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
        return readBack(path);
    }
    testsupport::TempFolder folder;
    MSEXCELCLASS excel;
    int saves = 0;
};

} // namespace

TEST_F(ExcelWorkbookTest, ValuesStayLiteralAndFormulasGoInOnlyWhenAsked)
{
    excel.ASSIGN("A1", QString::fromUtf8("Šibenik \"d.o.o.\""));
    excel.ASSIGN("A2", "=HYPERLINK(\"http://x\")");
    excel.ASSIGN("A3", QVariant::fromValue(office::CellNumber{"150.25"}));
    excel.ASSIGN("A4", QVariant(QDate(2026, 12, 11)));
    excel.ASSIGN("A5", "0012");
    excel.ASSIGNFORMULA("A6", "=SUM(A3:A3)");
    excel.ASSIGN(7, 2, "seven-two");
    EXPECT_EQ(excel.READ("A1"), QString::fromUtf8("Šibenik \"d.o.o.\""));
    EXPECT_EQ(excel.READ(7, 2), "seven-two");
    const QJsonObject s = saved()["Sheet1"].toObject();
    EXPECT_EQ(s["A1"]["value"].toString(), QString::fromUtf8("Šibenik \"d.o.o.\""));
    EXPECT_EQ(s["A2"]["type"].toString(), "s");
    EXPECT_EQ(s["A2"]["value"].toString(), "=HYPERLINK(\"http://x\")");
    EXPECT_EQ(s["A3"]["type"].toString(), "n");
    EXPECT_DOUBLE_EQ(s["A3"]["value"].toDouble(), 150.25);
    EXPECT_EQ(s["A5"]["value"].toString(), "0012");
    EXPECT_EQ(s["A6"]["type"].toString(), "f");
    EXPECT_EQ(s["A6"]["value"].toString(), "=SUM(A3:A3)");
    EXPECT_EQ(s["B7"]["value"].toString(), "seven-two");
}

TEST_F(ExcelWorkbookTest, SheetsAreAddedNamedSelectedAndDeleted)
{
    excel.ADDSHEET(2);
    EXPECT_EQ(excel.GETSHEETCOUNT(), 3);
    excel.SETSHEETNAME(1, QString(40, QChar(u'Ž')));
    excel.SETSHEETNAME(2, "Two/Halves");
    EXPECT_EQ(excel.GETSHEETNAME(1), QString(31, QChar(u'Ž')));
    EXPECT_EQ(excel.GETSHEETINDEX("two_halves"), 2);
    excel.SELECTSHEETBYNAME("Two_Halves");
    excel.ASSIGN("C3", "on two");
    EXPECT_EQ(excel.GETSHEETNAME(), "Two_Halves");
    excel.SELECTSHEET(3);
    excel.SENDCOMMAND("ActiveSheet.Delete");
    EXPECT_EQ(excel.GETSHEETCOUNT(), 2);
    EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
    excel.SELECTSHEET(2);
    // A name another sheet has is refused.
    excel.SETSHEETNAME(1, "Two_Halves");
    EXPECT_TRUE(excel.failed());
    excel.clearError();
    const QJsonObject o = saved();
    EXPECT_EQ(o["sheets"].toArray().size(), 2);
    EXPECT_EQ(o["sheets"][0].toString(), QString(31, QChar(u'Ž')));
    EXPECT_EQ(o["active"].toString(), "Two_Halves");
    EXPECT_EQ(o["Two_Halves"]["C3"]["value"].toString(), "on two");
}

TEST_F(ExcelWorkbookTest, FormatsReachTheCells)
{
    excel.ASSIGN("B2", "x");
    excel.ASSIGN("C3", "y");
    excel.SELECT("B2:C3");
    excel.SETFORMAT("Arial", 14, 0, 1, 1, 0);
    excel.SETUNDERLINE(1);
    excel.SETPROPERTY("Selection.Font.ColorIndex", QString("3"));
    excel.SETPROPERTY("Selection.Interior.ColorIndex", QString("6"));
    excel.SETNUMBERFORMAT("#,##0.00 \"kn\"");
    excel.SETHALIGNMENT("B2", uint8_t(0xF4)); // -4108 as a byte is not an alignment
    EXPECT_TRUE(excel.failed());
    excel.clearError();
    excel.SETPROPERTY("Range(\"B2\").HorizontalAlignment", QString("-4108"));
    excel.SETPROPERTY("Range(\"C3\").VerticalAlignment", QString("-4160"));
    excel.SETWRAPTEXT(2, 3, 200);
    excel.SETPROPERTY("Range(\"D6\").Font.Color", QString::number(0x3366FF)); // red 0xFF, green 0x66, blue 0x33
    excel.SETBORDERS("B2:C3", 1, -4138, 5);
    excel.PROTECTCELL("C3", 0);
    EXPECT_EQ(excel.GETHALIGNMENT("B2"), -4108);
    excel.SELECT("B2");
    EXPECT_NE(excel.GETBOLD(), 0);
    EXPECT_EQ(excel.GETFONT(), "Arial");
    EXPECT_EQ(excel.GETFONTSIZE(), 14);
    EXPECT_EQ(excel.GETFONTCOLOR(), 3);
    EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
    const QJsonObject s = saved()["Sheet1"].toObject();
    const QJsonObject b2 = s["B2"].toObject(), c3 = s["C3"].toObject();
    EXPECT_TRUE(b2["bold"].toBool());
    EXPECT_TRUE(c3["italic"].toBool());
    EXPECT_EQ(b2["name"].toString(), "Arial");
    EXPECT_EQ(b2["size"].toDouble(), 14);
    EXPECT_EQ(b2["underline"].toString(), "single");
    EXPECT_EQ(b2["colour"].toInt(), 10); // palette 3 is the file's indexed 10
    EXPECT_EQ(c3["fill"].toInt(), 13);
    EXPECT_EQ(s["D6"]["rgb"].toString(), "FFFF6633");
    EXPECT_EQ(c3["format"].toString(), "#,##0.00 \"kn\"");
    EXPECT_EQ(b2["h"].toString(), "center");
    EXPECT_EQ(c3["v"].toString(), "top");
    EXPECT_TRUE(s["C2"]["wrap"].toBool());
    EXPECT_EQ(b2["left"].toString(), "medium");
    EXPECT_EQ(b2["top"].toString(), "medium");
    EXPECT_TRUE(b2["right"].isNull());
    EXPECT_EQ(c3["right"].toString(), "medium");
    EXPECT_EQ(c3["bottom"].toString(), "medium");
    EXPECT_FALSE(c3["locked"].toBool());
    EXPECT_TRUE(b2["locked"].toBool());
}

TEST_F(ExcelWorkbookTest, LayoutMergeProtectionAndPageSetUp)
{
    excel.ASSIGN("A1", "header");
    excel.ASSIGN("B5", "a rather long text for autofit");
    excel.SETCOLUMNWIDTH("A", 20);
    excel.SETCOLUMNWIDTHBYNUMBER(3, 7);
    excel.AUTOFITCOLUMN("B");
    excel.SETROWHEIGHT(2, 30);
    EXPECT_EQ(excel.GETCOLUMNWIDTH("A"), 20);
    EXPECT_EQ(excel.GETROWHEIGHT(2), 30);
    excel.COMBINEANDCENTER("A1:C1");
    excel.MERGECELLS("A3:B4");
    excel.ACTIVATEFILTER("A1:C5");
    excel.PAGESETUP(9, 2);
    excel.SETMARGINS(2, 2, 1, 1);
    excel.HEADERFOOTER("", "Velmora & co", "", "", "", "Page");
    excel.INSERTROW(1);
    EXPECT_EQ(excel.READ("A2"), "header");
    excel.PROTECTSHEET("tajna");
    EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
    const QJsonObject s = saved()["Sheet1"].toObject();
    EXPECT_EQ(s["_widths"]["A"].toDouble(), 20);
    EXPECT_EQ(s["_widths"]["C"].toDouble(), 7);
    EXPECT_GT(s["_widths"]["B"].toDouble(), 25);
    EXPECT_EQ(s["_heights"]["3"].toDouble(), 30); // row 2 moved down with the insert
    const QJsonArray merged = s["_merged"].toArray();
    EXPECT_TRUE(merged.contains("A2:C2")) << QJsonDocument(merged).toJson().toStdString();
    EXPECT_TRUE(merged.contains("A4:B5"));
    EXPECT_EQ(s["A2"]["h"].toString(), "center");
    EXPECT_TRUE(s["_protected"].toBool());
    EXPECT_EQ(s["_password"].toString(), "C6B2"); // the spreadsheet programs' hash of "tajna"
    EXPECT_EQ(s["_paper"].toInt(), 9);
    EXPECT_EQ(s["_orientation"].toString(), "landscape");
    EXPECT_NEAR(s["_top"].toDouble(), 2 / 2.54, 1e-6);
    // The file writes a literal "&" doubled, so it is never taken for a code.
    EXPECT_EQ(s["_header"].toString(), "Velmora && co");
    EXPECT_EQ(s["_footer"].toString(), "Page");
}

TEST_F(ExcelWorkbookTest, CopyPasteReplaceAndFunctions)
{
    excel.ASSIGN("A1", "alpha");
    excel.SELECT("A1");
    excel.SETBOLD(1);
    excel.ASSIGN("B1", QVariant::fromValue(office::CellNumber{"3"}));
    excel.SELECT("A1:B1");
    excel.COPY();
    excel.SELECT("D4");
    excel.PASTE();
    excel.SELECT("B1");
    excel.CUT();
    excel.SELECT("B9");
    excel.PASTE();
    excel.REPLACE("alp", "ALP", 0, 0);
    excel.EXECFUNCTION("C9", "=B9*2\t7");
    EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
    const QJsonObject s = saved()["Sheet1"].toObject();
    EXPECT_EQ(s["D4"]["value"].toString(), "ALPha");
    EXPECT_TRUE(s["D4"]["bold"].toBool());
    EXPECT_EQ(s["E4"]["value"].toDouble(), 3);
    EXPECT_FALSE(s.contains("B1") && !s["B1"]["value"].isNull());
    EXPECT_EQ(s["B9"]["value"].toDouble(), 3);
    EXPECT_EQ(s["C9"]["value"].toString(), "=B9*2");
    EXPECT_EQ(s["D9"]["value"].toDouble(), 7);
}

TEST_F(ExcelWorkbookTest, WhatHasNoCounterpartSaysSo)
{
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { excel.PRINTDOC(1); }, [&] { excel.GRAPH(4, 1, "G"); }, [&] { excel.RUNMACRO("\"M\""); },
             [&] { excel.SAVE(folder.file("x.xls"), 56, "", "", 0); }}) {
        excel.clearError();
        call();
        EXPECT_TRUE(excel.lastError().startsWith("not available: ")) << excel.lastError().toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder.file("x.xls")));
}

TEST(ExcelWorkbookFromElsewhere, AWorkbookAnotherProgramWroteIsFilledAndKeepsItsStyles)
{
    testsupport::TempFolder folder;
    const QString source = folder.file("made elsewhere.xlsx");
    const char* script = R"(
import sys, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Prva"
ws["A1"] = "naslov"
ws["A1"].font = Font(bold=True, size=16)
ws["B2"] = "=1+1"
wb.create_sheet("Druga")["C3"] = 7
wb.save(sys.argv[1])
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, source});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    MSEXCELCLASS excel;
    excel.INIT(nullptr, 50, 1, 1, 0);
    excel.OPENFILE(source);
    EXPECT_EQ(excel.GETSHEETCOUNT(), 2);
    EXPECT_EQ(excel.READ("A1"), "naslov");
    excel.ASSIGN("A1", "novi naslov");
    excel.SELECTSHEETBYNAME("Druga");
    excel.ASSIGN("D4", QVariant::fromValue(office::CellNumber{"8"}));
    const QString path = folder.file("filled.xlsx");
    excel.SAVE(path);
    ASSERT_FALSE(excel.failed()) << excel.lastError().toStdString();
    const QJsonObject o = readBack(path);
    EXPECT_EQ(o["Prva"]["A1"]["value"].toString(), "novi naslov");
    EXPECT_TRUE(o["Prva"]["A1"]["bold"].toBool());
    EXPECT_EQ(o["Prva"]["A1"]["size"].toDouble(), 16);
    EXPECT_EQ(o["Prva"]["B2"]["value"].toString(), "=1+1");
    EXPECT_EQ(o["Druga"]["C3"]["value"].toDouble(), 7);
    EXPECT_EQ(o["Druga"]["D4"]["value"].toDouble(), 8);
    EXPECT_FALSE(o["calcChain"].toBool());
}
