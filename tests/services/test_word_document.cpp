#include "services/MsWordClass.h"
#include "tests/services/OfficeRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct Case {
    const char* name;
    std::function<void(MSWORDCLASS&)> call;
    QStringList expected;
};

// Reads a saved document with an independent reader (python-docx).
QJsonObject readBack(const QString& path)
{
    const char* script = R"(
import json, sys, docx
d = docx.Document(sys.argv[1])
paras = [{"text": p.text, "align": str(p.alignment) if p.alignment is not None else None,
          "runs": [{"text": r.text, "bold": r.bold, "italic": r.italic, "underline": r.underline,
                    "size": r.font.size.pt if r.font.size else None, "name": r.font.name,
                    "colour": str(r.font.color.rgb) if r.font.color and r.font.color.type is not None else None} for r in p.runs],
          "break": 'w:br w:type="page"' in p._p.xml} for p in d.paragraphs]
s = d.sections[0]
print(json.dumps({"paragraphs": paras,
    "tables": [[[c.text for c in row.cells] for row in t.rows] for t in d.tables],
    "header": "\n".join(p.text for p in s.header.paragraphs), "footer": "\n".join(p.text for p in s.footer.paragraphs),
    "pictures": [[shape.width.emu, shape.height.emu] for shape in d.inline_shapes],
    "landscape": s.orientation == 1, "top": s.top_margin.pt, "left": s.left_margin.pt}))
)";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

} // namespace

TEST(WordProtocol, OperationsBuildTheirPaths)
{
    const std::vector<Case> cases = {
        {"CREATEDOC", [](auto& o) { o.CREATEDOC(); }, {"read Documents.Add"}},
        {"OPENDOC", [](auto& o) { o.OPENDOC("/a \"b\".docx", 1); }, {"read Documents.Open(\"/a \"\"b\"\".docx\",0,1)"}},
        {"OPENDOC password", [](auto& o) { o.OPENDOC("/a.docx", "pw", 0); }, {"read Documents.Open(\"/a.docx\",0,0,0,\"pw\")"}},
        {"SAVE file", [](auto& o) { o.SAVE("/x.docx"); }, {"read Application.ActiveDocument.SaveAs(\"/x.docx\",0,0,\"\",1,\"\",0,0)"}},
        {"SAVE password", [](auto& o) { o.SAVE("/x.docx", "p\"w"); }, {"read Application.ActiveDocument.SaveAs(\"/x.docx\",0,0,\"p\"\"w\",1,\"\",0,0)"}},
        {"CLOSEDOC", [](auto& o) { o.CLOSEDOC(); }, {"read ActiveDocument.Close"}},
        {"CLOSEDOC mode", [](auto& o) { o.CLOSEDOC(0); }, {"read ActiveDocument.Close(0)"}},
        {"GETDOCUMENTNAME", [](auto& o) { o.GETDOCUMENTNAME(); }, {"read Documents.Item(1).Name"}},
        {"SENDTEXT", [](auto& o) { o.SENDTEXT("say \"hi\")"); }, {"read Selection.TypeText(\"say \"\"hi\"\")\")"}},
        {"SENDTEXT long", [](auto& o) { o.SENDTEXT(QString(300, 'x')); }, {"read Selection.TypeText(\"" + QString(300, 'x') + "\")"}},
        {"NEWPAGE", [](auto& o) { o.NEWPAGE(); }, {"read Selection.InsertBreak(7)"}},
        {"CURSORUP", [](auto& o) { o.CURSORUP(3, 5, 7); }, {"read Selection.MoveUp(5,3,1)"}},
        {"CREATETABLE autofit 2", [](auto& o) { o.CREATETABLE(16, 3, 2); },
         {"read Application.Selection.MoveUp(5,3,1)", "read Application.Selection.ConvertToTable(1,,,,16)", "read Application.Selection.MoveDown(5,1)"}},
        {"CREATETABLE autofit 1", [](auto& o) { o.CREATETABLE(0, 1, 1); },
         {"read Application.Selection.MoveUp(5,1,1)", "read Application.Selection.ConvertToTable(1,,,,0)", "read Application.Selection.Cells.AutoFit",
          "read Application.Selection.MoveDown(5,1)"}},
        {"REPLACE everywhere", [](auto& o) { o.REPLACE("a\"", "b", 0, 1); },
         {"write ActiveWindow.ActivePane.View.SeekView := 9", "write ActiveWindow.ActivePane.View.SeekView := 0",
          "read ActiveDocument.Content.Find.Execute(\"a\"\"\",0,0,0,0,0,1,1,0,\"b\",2)"}},
        {"REPLACE at a bookmark, once", [](auto& o) { o.REPLACE("Mark", "x\"y", 1, 0); },
         {"read Selection.GoTo(,,,\"Mark\")", "read WordBasic.Insert(\"x\"\"y\")", "write ActiveWindow.ActivePane.View.SeekView := 0"}},
        {"EXECUTEMERGE", [](auto& o) { o.EXECUTEMERGE(1, 1); },
         {"write ActiveDocument.MailMerge.SuppressBlankLines := 1", "read ActiveDocument.MailMerge.Execute(1)"}},
        {"ADDMERGEFIELD no headers", [](auto& o) { o.ADDMERGEFIELD("X", "F", 0, 0, 0, 0, 0); },
         {"read Selection.Find.ClearFormatting", "write Selection.Find.Text := X", "write Selection.Find.Forward := 1",
          "write Selection.Find.Wrap := 1", "write Selection.Find.Format := 0", "write Selection.Find.MatchCase := 0",
          "write Selection.Find.MatchWholeWord := 0", "write Selection.Find.MatchWildcards := 0",
          "write Selection.Find.MatchSoundsLike := 0", "write Selection.Find.MatchAllWordForms := 0", "read Selection.Find.Execute"}},
    };
    for (const Case& c : cases) {
        RecordingContainer rec;
        MSWORDCLASS word;
        word.setContainer(&rec);
        c.call(word);
        EXPECT_EQ(rec.calls, c.expected) << c.name;
    }
}

TEST(WordProtocol, ColoursAndMergeSourcesFollowTheVersion)
{
    EXPECT_EQ(MSWORDCLASS::colourIndex(255), 6);
    EXPECT_EQ(MSWORDCLASS::colourIndex(0x808000), 10);
    EXPECT_EQ(MSWORDCLASS::colourIndex(0x123456), 0);
    for (const auto& [version, expected] : {std::pair{"9.0", "write Selection.Font.Color := 255"}, {"8.0", "write Selection.Font.ColorIndex := 6"}}) {
        RecordingContainer rec;
        rec.answers["Application.Version"] = version;
        MSWORDCLASS word;
        word.setContainer(&rec);
        word.SETFONTCOLOR(255);
        EXPECT_EQ(rec.calls.last(), expected);
    }
    RecordingContainer rec;
    rec.answers["Application.Version"] = "8.0";
    MSWORDCLASS word;
    word.setContainer(&rec);
    word.SETMERGESOURCE("/data/baze/Kupci.dbf  ");
    EXPECT_EQ(rec.calls.last(), "read ActiveDocument.MailMerge.OpenDataSource(\"/data/baze/Kupci.dbf\", 0, False, False, True, False, , , , , , \"\", "
                                "\"SELECT * FROM Kupci\", \"\")");
}

TEST(WordDocument, WritesADocxOthersRead)
{
    testsupport::TempFolder folder;
    MSWORDCLASS word;
    word.INIT(nullptr, 50, 1, 1, 0);
    EXPECT_EQ(word.GETVERSION(), 16);
    word.CREATEDOC();
    word.SETFORMAT("Liberation Serif", 14, 0x0000FF, 1, 0, 1);
    word.SENDTEXT(QString::fromUtf8("Račun \"broj\" 7\n"));
    word.SETFORMAT("", 11, 0, 0, 1, 0);
    word.SETALIGNMENT(0);
    word.SENDTEXT("Naziv\tIznos\nKava\t1.50\nČaj\t2.00\n");
    word.CREATETABLE(0, 3, 1);
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(folder.file("logo \"1\".png")));
    word.INSERTIMAGE(folder.file("logo \"1\".png"), 0, 1);
    word.NEWPAGE();
    word.SENDTEXT("Hvala na povjerenju.");
    word.SETHEADER("Velmora d.o.o.", 1, "", 0, 1, 0, 0);
    word.SETFOOTER("Stranica", 2, "", 9, 0, 0, 0);
    EXPECT_EQ(word.REPLACE("povjerenju", "suradnji", 0, 0), 1);
    EXPECT_EQ(word.REPLACE("nema", "x", 0, 0), 0);
    word.PAGESETUP(9, 1);
    word.SETMARGINS(36, 36, 54, 54);
    EXPECT_EQ(word.SEARCH("KAVA", 1, 1, 1, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(word.SEARCH("KAVA", 1, 1, 1, 1, 0, 0, 0, 0), 0); // matching case
    EXPECT_TRUE(word.READTEXT(0, 0).contains("Hvala na suradnji."));
    EXPECT_FALSE(word.failed()) << word.lastError().toStdString();
    const QString path = folder.file("doc.docx");
    word.SAVE(path);
    EXPECT_FALSE(word.failed()) << word.lastError().toStdString();
    EXPECT_EQ(word.GETDOCUMENTNAME(), "doc.docx");

    const QJsonObject d = readBack(path);
    const QJsonArray paras = d["paragraphs"].toArray();
    ASSERT_GE(paras.size(), 2);
    const QJsonObject first = paras[0].toObject();
    EXPECT_EQ(first["text"].toString(), QString::fromUtf8("Račun \"broj\" 7"));
    EXPECT_EQ(first["align"].toString(), "CENTER (1)");
    const QJsonObject run = first["runs"][0].toObject();
    EXPECT_TRUE(run["bold"].toBool());
    EXPECT_EQ(run["size"].toDouble(), 14);
    EXPECT_EQ(run["name"].toString(), "Liberation Serif");
    EXPECT_EQ(run["colour"].toString(), "FF0000");
    const QJsonArray table = d["tables"][0].toArray();
    ASSERT_EQ(table.size(), 3);
    EXPECT_EQ(table[2].toArray()[0].toString(), QString::fromUtf8("Čaj"));
    EXPECT_EQ(table[1].toArray()[1].toString(), "1.50");
    bool pageBreak = false, thanks = false;
    for (const auto& p : paras) {
        pageBreak = pageBreak || p.toObject()["break"].toBool();
        thanks = thanks || p.toObject()["text"].toString().endsWith("Hvala na suradnji.");
    }
    EXPECT_TRUE(pageBreak);
    EXPECT_TRUE(thanks);
    ASSERT_EQ(d["pictures"].toArray().size(), 1);
    EXPECT_EQ(d["pictures"][0][0].toDouble(), 40 * 9525);
    EXPECT_EQ(d["header"].toString(), "Velmora d.o.o.");
    EXPECT_EQ(d["footer"].toString(), "Stranica");
    EXPECT_TRUE(d["landscape"].toBool());
    EXPECT_EQ(d["top"].toDouble(), 36);
    EXPECT_EQ(d["left"].toDouble(), 54);

    // Reopened, its text is there to search and save under a new name.
    word.CLOSEDOC();
    word.OPENDOC(path, 0);
    EXPECT_EQ(word.GETDOCUMENTSCOUNT(), 1);
    EXPECT_TRUE(word.READTEXT(0, 0).contains("Hvala na suradnji."));
    word.REPLACE("suradnji", "svemu", 0, 0);
    word.SAVE(folder.file("again.docx"));
    EXPECT_FALSE(word.failed()) << word.lastError().toStdString();
    EXPECT_TRUE(QFile::exists(folder.file("again.docx")));

    // A document made from another has its text and a file of its own.
    word.CREATEDOC(folder.file("again.docx"));
    EXPECT_EQ(word.GETDOCUMENTSCOUNT(), 2);
    EXPECT_TRUE(word.READTEXT(0, 0).contains("Hvala na svemu."));
    word.SAVE();
    EXPECT_EQ(word.lastError(), "the document has no file yet");
}

TEST(WordDocument, WhatNeedsAWordProcessorSaysSo)
{
    MSWORDCLASS word;
    word.INIT(nullptr, 50, 1, 1, 0);
    word.CREATEDOC();
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { word.PRINTDOC(1, 0); }, [&] { word.CHECKSPELLING(); }, [&] { word.SETMERGETYPE(0); },
             [&] { word.REPLACE("Mark", "x", 1, 0); }, [&] { word.CURSORLEFT(1, 1, 0); }}) {
        word.clearError();
        call();
        EXPECT_TRUE(word.lastError().startsWith("not available: ")) << word.lastError().toStdString();
    }
    // A merge that did not run is not reported as done.
    word.clearError();
    EXPECT_EQ(word.EXECUTEMERGE(0, 1), 0);
}
