#include "services/MsExcelClass.h"
#include "tests/services/OfficeRecorder.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QWidget>

namespace {

struct Case {
    const char* name;
    std::function<void(MSEXCELCLASS&)> call;
    QStringList expected;
};

} // namespace

TEST(OfficeProtocol, OperationsBuildTheirPaths)
{
    const QString q40 = QString(40, QChar('x'));
    const std::vector<Case> cases = {
        {"ACTIVATE", [](auto& o) { o.ACTIVATE(); }, {"read Application.Activate"}},
        {"COPY", [](auto& o) { o.COPY(); }, {"read Selection.Copy"}},
        {"CUT", [](auto& o) { o.CUT(); }, {"read Selection.Cut"}},
        {"PASTE", [](auto& o) { o.PASTE(); }, {"read Selection.Paste"}},
        {"GETBOLD", [](auto& o) { o.GETBOLD(); }, {"read Selection.Font.Bold"}},
        {"GETDISPLAYALERTS", [](auto& o) { o.GETDISPLAYALERTS(); }, {"read DisplayAlerts"}},
        {"GETFONT", [](auto& o) { o.GETFONT(); }, {"read Selection.Font.Name"}},
        {"GETFONTCOLOR", [](auto& o) { o.GETFONTCOLOR(); }, {"read Selection.Font.ColorIndex"}},
        {"GETFONTSIZE", [](auto& o) { o.GETFONTSIZE(); }, {"read Selection.Font.Size"}},
        {"GETITALIC", [](auto& o) { o.GETITALIC(); }, {"read Selection.Font.Italic"}},
        {"GETUNDERLINE", [](auto& o) { o.GETUNDERLINE(); }, {"read Selection.Font.Underline"}},
        {"GETVERSION", [](auto& o) { o.GETVERSION(); }, {"read Application.Version"}},
        {"GETVISIBLE", [](auto& o) { o.GETVISIBLE(); }, {"read Visible"}},
        {"MAXIMIZE", [](auto& o) { o.MAXIMIZE(); }, {"write Application.WindowState := 1"}},
        {"MINIMIZE", [](auto& o) { o.MINIMIZE(); }, {"write Application.WindowState := 2"}},
        {"RUNMACRO", [](auto& o) { o.RUNMACRO("\"Mak\",1"); }, {"read Application.Run(\"Mak\",1)"}},
        {"SETBOLD", [](auto& o) { o.SETBOLD(7); }, {"write Selection.Font.Bold := 1"}},
        {"SETDISPLAYALERTS", [](auto& o) { o.SETDISPLAYALERTS(0); }, {"write DisplayAlerts := 0"}},
        {"SETFONT", [](auto& o) { o.SETFONT("Arial"); }, {"write Selection.Font.Name := Arial"}},
        {"SETFONTSIZE", [](auto& o) { o.SETFONTSIZE(12); }, {"write Selection.Font.Size := 12"}},
        {"SETITALIC", [](auto& o) { o.SETITALIC(1); }, {"write Selection.Font.Italic := 1"}},
        {"SETSCREENUPDATING", [](auto& o) { o.SETSCREENUPDATING(0); }, {"write ScreenUpdating := 0"}},
        {"SETUNDERLINE", [](auto& o) { o.SETUNDERLINE(1); }, {"write Selection.Font.Underline := 1"}},
        {"SETVISIBLE 255", [](auto& o) { o.SETVISIBLE(255); }, {"write Visible := 1"}},
        {"SETVISIBLE 0", [](auto& o) { o.SETVISIBLE(0); }, {"write Visible := 0"}},
        {"QUIT", [](auto& o) { o.QUIT(); }, {"read Quit", "end"}},
        {"SETREPORTEXCEPTION", [](auto& o) { o.SETREPORTEXCEPTION(1); }, {"report 1"}},
        {"SETFORMAT blank font, alignment 0",
         [](auto& o) { o.MSOFFICECLASS::SETFORMAT("  ", 10, 255, 1, 0, 0); },
         {"write Selection.Font.Size := 10", "write Selection.Font.Bold := 1", "write Selection.Font.Italic := 0"}},
        {"WITH prefix", [](auto& o) { o.WITH("Selection  "); o.SETPROPERTY(".Borders(7).LineStyle", QString("1")); o.ENDWITH(); o.SENDCOMMAND(".Borders(7).LineStyle"); },
         {"write Selection.Borders(7).LineStyle := 1", "read .Borders(7).LineStyle"}},
        // The spreadsheet's operations
        {"OPENFILE blank", [](auto& o) { o.OPENFILE("   "); }, {"read Workbooks.Add"}},
        {"OPENFILE quotes", [](auto& o) { o.OPENFILE("/a/b\").Quit"); }, {"read Workbooks.Open(\"/a/b\"\").Quit\")"}},
        {"OPENFILE password", [](auto& o) { o.OPENFILE("/a.xlsx", "p"); }, {"read Workbooks.Open(\"/a.xlsx\",,,,\"p\")"}},
        {"SELECT cells", [](auto& o) { o.SELECT(3, 2); }, {"read Cells(3,2).Select"}},
        {"ASSIGN", [](auto& o) { o.ASSIGN("A\"1", "=x"); }, {"read Range(\"A\"\"1\").Select", "write ActiveCell.FormulaR1C1 := =x"}},
        {"SETSHEETNAME", [q40](auto& o) { o.SETSHEETNAME(1, q40); }, {"write Sheets(1).Name := " + q40.left(31)}},
        {"ADDSHEET 0", [](auto& o) { o.ADDSHEET(0); }, {}},
        {"ADDSHEET 3", [](auto& o) { o.ADDSHEET(3); }, {"read Sheets.Add", "read Sheets.Add", "read Sheets.Add"}},
        {"SETWRAPTEXT 200", [](auto& o) { o.SETWRAPTEXT(200); }, {"write Selection.WrapText := 200"}},
        {"PROTECTCELL 200", [](auto& o) { o.PROTECTCELL("B2", 200); }, {"read Range(\"B2\").Select", "write Selection.Locked := 1"}},
        {"REPLACE mode 0", [](auto& o) { o.REPLACE("a", "b", 9, 0); }, {"read Cells.Replace(\"a\",\"b\",2,1,1)"}},
        {"REPLACE mode 2", [](auto& o) { o.REPLACE("a", "b", 9, 2); }, {"read Cells.Replace(\"a\",\"b\",2,1,1)"}},
        {"REPLACE mode 1", [](auto& o) { o.REPLACE("C3", "b", 0, 1); }, {"read Application.Goto(\"C3\")", "write ActiveCell.FormulaR1C1 := b"}},
        {"SAVE", [](auto& o) { o.SAVE("/x y.xlsx"); }, {"read ActiveWorkbook.SaveAs(\"/x y.xlsx\")"}},
        {"SAVE long", [](auto& o) { o.SAVE("/x.xlsx", 51, "\"\"", "\"\"", 0); }, {"read Application.ActiveWorkbook.SaveAs(\"/x.xlsx\",51,\"\",1,\"\",0,1)"}},
        {"CLOSE", [](auto& o) { o.CLOSE(1); }, {"read ActiveWindow.Close(1)"}},
        {"INSERTROW", [](auto& o) { o.INSERTROW(4); }, {"read Rows(4).Select", "read Selection.Insert(-4121)"}},
        {"INSERTCOLUMN", [](auto& o) { o.INSERTCOLUMN("C"); }, {"read Columns(\"C\").Select", "read Selection.Insert(-4161)"}},
        {"COMBINEANDCENTER", [](auto& o) { o.COMBINEANDCENTER("A1:C1"); },
         {"read Range(\"A1:C1\").Select", "write Selection.HorizontalAlignment := -4108", "read Selection.Merge"}},
        {"SETCOLUMNWIDTH", [](auto& o) { o.SETCOLUMNWIDTH("B", 20); }, {"write Columns(\"B\").ColumnWidth := 20"}},
        {"SETROWHEIGHT", [](auto& o) { o.SETROWHEIGHT(2, 30); }, {"write Rows(2).RowHeight := 30"}},
        {"PROTECTSHEET", [](auto& o) { o.PROTECTSHEET("pw  "); }, {"read ActiveSheet.Protect(\"pw\",1,1,1)"}},
        {"PRINTDOC", [](auto& o) { o.PRINTDOC(2); }, {"read ActiveSheet.PrintOut(,,2,,,,,)"}},
        {"GRAPH", [](auto& o) { o.GRAPH(4, 2, "G"); }, {"read Charts.Add", "write ActiveChart.ChartType := 4", "read ActiveChart.Location(2, \"G\")"}},
        {"SETYAXISTITLE", [](auto& o) { o.SETYAXISTITLE("T"); },
         {"read ActiveChart.ChartArea.Select", "write ActiveChart.Axes(2,1).HasTitle := 1", "write ActiveChart.Axes(2,1).AxisTitle.Characters.Text := T"}},
    };
    for (const Case& c : cases) {
        RecordingContainer rec;
        MSEXCELCLASS excel;
        excel.setContainer(&rec);
        c.call(excel);
        EXPECT_EQ(rec.calls, c.expected) << c.name;
        EXPECT_TRUE(excel.SWITH.isEmpty()) << c.name;
    }
}

TEST(OfficeProtocol, BordersFrameEachEdgeAndClearThePrefix)
{
    RecordingContainer rec;
    MSEXCELCLASS excel;
    excel.setContainer(&rec);
    excel.WITH("Other");
    excel.SETBORDERS(1, 2, 3);
    ASSERT_EQ(rec.calls.size(), 12);
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(rec.calls[e * 3], QString("write Selection.Borders(%1).LineStyle := 1").arg(7 + e));
        EXPECT_EQ(rec.calls[e * 3 + 2], QString("write Selection.Borders(%1).ColorIndex := 3").arg(7 + e));
    }
    EXPECT_TRUE(excel.SWITH.isEmpty());
    // A long prefix keeps 255 characters, without trailing blanks.
    excel.WITH(QString(250, 'a') + QString(20, ' ') + "b");
    EXPECT_EQ(excel.SWITH, QString(250, 'a'));
}

TEST(OfficeProtocol, NoProgramReadsAsZeroButIsReportedAsFailed)
{
    RecordingContainer rec;
    rec.fallback = "no OLE automation interface   ";
    MSEXCELCLASS excel;
    excel.setContainer(&rec);
    excel.INIT(nullptr, 50, 1, 1, 0);
    // Not running: started, program identifier before the locale.
    const qsizetype progid = rec.calls.indexOf("progid Excel.Application");
    ASSERT_GE(progid, 1);
    EXPECT_EQ(rec.calls[progid + 1], "locale 1033");
    EXPECT_EQ(excel.ISRUNNING(), 0);
    EXPECT_EQ(excel.GETVERSION(), 0);
    excel.clearError();
    EXPECT_EQ(excel.GETFONT(), "0");
    EXPECT_TRUE(excel.lastCallFailed());
    EXPECT_TRUE(excel.failed());
    EXPECT_EQ(excel.lastError(), "No ole automation interface");

    // A long answer is cut; a real one is no failure.
    rec.answers["Selection.Font.Name"] = QString(9000, 'n');
    excel.clearError();
    EXPECT_EQ(excel.GETFONT().size(), 8255);
    EXPECT_FALSE(excel.failed());
}

TEST(OfficeProtocol, TheRegistryContainerAnswersForOurSpreadsheetOnly)
{
    MSEXCELCLASS excel;
    excel.INIT(nullptr, 50, 1, 1, 0);
    EXPECT_EQ(excel.ISRUNNING(), 1);
    EXPECT_EQ(excel.GETVERSION(), 16);
    EXPECT_FALSE(excel.failed()) << excel.lastError().toStdString();
    excel.QUIT();
    EXPECT_EQ(excel.ISRUNNING(), 0);

    // A program nobody provides: every read is "0" and says so.
    MSOFFICECLASS other;
    other.START();
    EXPECT_EQ(other.GETFONT(), "0");
    EXPECT_TRUE(other.failed());
}

TEST(OfficeProtocol, AWindowsContainerKeepsItsProgramBetweenObjects)
{
    QWidget window;
    {
        MSEXCELCLASS first;
        first.INIT(&window, 50, 1, 1, 0);
        first.OPENFILE("");
        first.ASSIGN("B2", "kept");
    }
    // The window's hosted control 50 holds the program.
    ourcom::OleControl* control = ourcom::OleControl::find(&window, 50);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->hasObject());
    MSEXCELCLASS second;
    second.INIT(&window, 50, 0, 0, 0);
    EXPECT_EQ(second.ISRUNNING(), 1);
    EXPECT_EQ(second.READ("B2"), "kept");
    // Another control of the window holds a program of its own.
    MSEXCELCLASS other;
    other.INIT(&window, 51, 0, 0, 0);
    EXPECT_EQ(other.ISRUNNING(), 0);
    // Quitting ends the object the control holds.
    second.QUIT();
    EXPECT_FALSE(control->hasObject());
    EXPECT_EQ(second.ISRUNNING(), 0);
}

namespace {
QStringList g_logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) { g_logged << text; }
} // namespace

TEST(OfficeProtocol, UnsupportedPathsAreLoggedWhenReportingIsOn)
{
    MSEXCELCLASS excel;
    excel.INIT(nullptr, 50, 1, 1, 0);
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    excel.SENDCOMMAND("Application.Frobnicate");
    excel.SETREPORTEXCEPTION(1);
    excel.SENDCOMMAND("Application.Frobnicate");
    excel.SETREPORTEXCEPTION(0);
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_logged, QStringList{"unsupported automation path: Application.Frobnicate"});
    EXPECT_TRUE(excel.failed());
}
