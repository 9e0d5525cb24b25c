#include "tests/support/TestSupport.h"

#include "extensions/RtfCodec.h"
#include "extensions/RtfControl.h"
#include "extensions/RtfEditor.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace ext;

TEST(RtfLogic, ListsAndUnits)
{
    EXPECT_EQ(rtfui::sizeEntry(13), 1);
    EXPECT_EQ(rtfui::sizeEntry(8), 1);
    EXPECT_EQ(rtfui::sizeEntry(72), 16);
    EXPECT_EQ(rtfui::sizeEntry(14), 6);
    EXPECT_EQ(rtfui::colourEntry(255), 10);
    EXPECT_EQ(rtfui::colourEntry(-1), 17);
    EXPECT_EQ(rtfui::colourEntry(12345), 17);
    EXPECT_EQ(rtfui::colourOfEntry(17), -1);
    EXPECT_EQ(rtfui::colourOfEntry(13), 16711680);
    EXPECT_EQ(rtfui::toQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(rtfui::fromQColor(QColor(0, 0, 255)), 16711680);
    EXPECT_EQ(rtfui::shownFileName("C:\\Docs\\a.rtf"), "a.rtf");
    EXPECT_EQ(rtfui::shownFileName("/home/u/a.rtf"), "a.rtf");
    EXPECT_EQ(rtfui::shownFileName(""), "<<< UNKNOWN >>>");

    struct Case {
        int value, unit, twips;
    };
    for (const Case& c : std::vector<Case>{{254, 1, 144}, {100, 2, 144}, {1000, 2, 1440}, {2540, 1, 1440},
                                           {1, 1, 1}, {720, 3, 720}, {1, 2, 1}}) {
        EXPECT_EQ(rtfui::toTwips(c.value, c.unit), c.twips) << c.value << " " << c.unit;
    }
    EXPECT_EQ(rtfui::fromTwips(1440, 1), 2540);
    EXPECT_EQ(rtfui::fromTwips(1440, 2), 1000);
    EXPECT_EQ(rtfui::fromTwips(1, 2), 1); // 0.69 rounds up

    const rtfui::Indents s = rtfui::shown(300, 200, -100);
    EXPECT_EQ(s.first, -100);
    EXPECT_EQ(s.left, 200);
    EXPECT_EQ(s.right, 200);
    int a = 0, b = 0, c = 0;
    rtfui::stored(s, a, b, c);
    EXPECT_EQ(std::tie(a, b, c), std::make_tuple(300, 200, -100));
    EXPECT_EQ(rtfui::findFlags(true, true, true, true), 23);
    EXPECT_EQ(rtfui::qtFindFlags(1 | 4), QTextDocument::FindBackward | QTextDocument::FindWholeWords);
}

namespace {

// A document with every format the editor writes.
void fill(QTextDocument& doc)
{
    QTextCursor c(&doc);
    QTextCharFormat bold;
    bold.setFontFamilies(QStringList{"DejaVu Serif"});
    bold.setFontPointSize(14);
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(255, 0, 0));
    c.insertText("Naslov čćžšđ {x} \\ ", bold);
    QTextCharFormat italic;
    italic.setFontPointSize(10);
    italic.setFontItalic(true);
    italic.setFontUnderline(true);
    italic.setBackground(QColor(255, 255, 0));
    c.insertText("kurziv\tTab", italic);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setTextIndent(18);
    centred.setLeftMargin(36);
    centred.setRightMargin(9);
    centred.setTabPositions({QTextOption::Tab(72, QTextOption::LeftTab), QTextOption::Tab(144, QTextOption::RightTab)});
    c.setBlockFormat(centred);
    QTextBlockFormat plain;
    plain.setAlignment(Qt::AlignJustify);
    QTextCharFormat normal;
    normal.setFontPointSize(12);
    c.insertBlock(plain, normal);
    c.insertText("first bullet", normal);
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    c.createList(bullets);
    c.insertBlock();
    c.insertText("second bullet", normal);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right, normal);
    c.insertText("numbered", normal);
    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListDecimal);
    c.createList(numbers);
}

struct TextRun {
    QString text;
    QString family;
    qreal size;
    bool bold, italic, underline;
    qint64 fg, bg; // rgba, -1: none
    bool operator==(const TextRun&) const = default;
};
struct Para {
    QString text;
    int align;
    qreal fi, li, ri;
    QList<qreal> tabs;
    int list;
    std::vector<TextRun> runs;
    bool operator==(const Para&) const = default;
};

std::vector<Para> shape(const QTextDocument& doc)
{
    std::vector<Para> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        Para p{b.text(), int(f.alignment() & Qt::AlignHorizontal_Mask), f.textIndent(), f.leftMargin(), f.rightMargin(),
               {}, b.textList() ? int(b.textList()->format().style()) : 0, {}};
        for (const auto& t : f.tabPositions())
            p.tabs << t.position;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat c = it.fragment().charFormat();
            const QStringList families = c.fontFamilies().toStringList();
            p.runs.push_back({it.fragment().text(), families.isEmpty() ? QString() : families.front(), c.fontPointSize(),
                              c.fontWeight() >= QFont::Bold, c.fontItalic(), c.fontUnderline(),
                              c.foreground().style() == Qt::NoBrush ? -1 : qint64(c.foreground().color().rgba()),
                              c.background().style() == Qt::NoBrush ? -1 : qint64(c.background().color().rgba())});
        }
        out.push_back(p);
    }
    return out;
}

} // namespace

TEST(RtfCodec, WrittenDocumentsReadBackWithTheirFormats)
{
    QTextDocument doc;
    doc.setDefaultFont(QFont("DejaVu Sans", 12));
    fill(doc);
    const QByteArray data = rtf::write(doc);
    QTextDocument back;
    back.setDefaultFont(QFont("DejaVu Sans", 12));
    QStringList warnings;
    ASSERT_TRUE(rtf::read(data, back, &warnings)) << data.toStdString();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(' ').toStdString();
    const auto expected = shape(doc);
    const auto got = shape(back);
    ASSERT_EQ(got.size(), expected.size()) << data.toStdString();
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].text, expected[i].text);
        EXPECT_EQ(got[i].align, expected[i].align) << i;
        EXPECT_EQ(std::tie(got[i].fi, got[i].li, got[i].ri), std::tie(expected[i].fi, expected[i].li, expected[i].ri)) << i;
        EXPECT_EQ(got[i].tabs, expected[i].tabs) << i;
        EXPECT_EQ(got[i].list, expected[i].list) << i;
        ASSERT_EQ(got[i].runs.size(), expected[i].runs.size()) << i;
        for (size_t r = 0; r < got[i].runs.size(); ++r) {
            const TextRun& g = got[i].runs[r];
            const TextRun& e = expected[i].runs[r];
            EXPECT_EQ(g.text, e.text);
            EXPECT_EQ(g.size, e.size) << g.text.toStdString();
            EXPECT_EQ(std::tie(g.bold, g.italic, g.underline), std::tie(e.bold, e.italic, e.underline)) << g.text.toStdString();
            EXPECT_EQ(g.fg, e.fg) << g.text.toStdString();
            EXPECT_EQ(g.bg, e.bg) << g.text.toStdString();
            if (!e.family.isEmpty()) {
                EXPECT_EQ(g.family, e.family);
            }
        }
    }
    EXPECT_FALSE(rtf::read("plain text", back));
    EXPECT_EQ(shape(back).size(), expected.size()); // not RTF: the document is left as it was
}

TEST(RtfCodec, ForeignRtfGivesItsTextAndNamesWhatWasPassedOver)
{
    const QByteArray foreign = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\s1 Heading;}}"
                               "{\\info{\\author Someone}}\\f0\\fs20 Hello {\\b world}\\par "
                               "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li720 item\\par "
                               "\\sect caf\\'e9 \\u269?o\\par}";
    QTextDocument doc;
    QStringList warnings;
    ASSERT_TRUE(rtf::read(foreign, doc, &warnings));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("Hello world\nitem\ncafé čo"));
    EXPECT_TRUE(doc.begin().next().textList() != nullptr);
    EXPECT_EQ(doc.begin().next().blockFormat().leftMargin(), 36);
    ASSERT_EQ(warnings.size(), 1);
    // Croatian letters as bytes of code page 1250, by the document's code page or the font's
    // character set; West European bytes by code page 1252.
    QTextDocument cp;
    ASSERT_TRUE(rtf::read("{\\rtf1\\ansi\\ansicpg1250 \\'9a\\'e8\\'e6\\'9e\\'f0 \\'8a\\'c8}", cp));
    EXPECT_EQ(cp.toPlainText(), QString::fromUtf8("ščćžđ ŠČ"));
    ASSERT_TRUE(rtf::read("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
                          "\\f0 \\'80\\'e9 {\\f1 \\'9a}}", cp));
    EXPECT_EQ(cp.toPlainText(), QString::fromUtf8("€é š"));
    EXPECT_TRUE(warnings[0].contains("sect"));
    EXPECT_TRUE(warnings[0].contains("stylesheet"));
}

// The file as another program reads it: unrtf turns it into HTML.
TEST(RtfEditor, SavedFilesKeepTheirFormatsForAnotherReader)
{
    if (QStandardPaths::findExecutable("unrtf").isEmpty())
        GTEST_SKIP() << "unrtf is not installed";
    testsupport::TempFolder folder;
    RtfEditorWindow window;
    RTFCONTROLCLASS& rtf = window.rtf();
    fill(*window.editor()->document());
    const QString file = folder.file("dokument.rtf");
    ASSERT_TRUE(rtf.SAVE(file));
    EXPECT_EQ(window.findChild<QLabel*>("info1")->text(), "dokument.rtf");
    QProcess p;
    p.start("unrtf", {"--html", file});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(html.contains("<b><font color=\"#ff0000\">Naslov &#269;&#263;&#382;")) << html.toStdString();
    EXPECT_TRUE(html.contains("&#273; {x} \\ </font></b>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<i>") && html.contains("<u>")) << html.toStdString();
    EXPECT_TRUE(html.contains("second bullet")) << html.toStdString();

    RtfEditorWindow again(file);
    EXPECT_EQ(shape(*again.editor()->document()).size(), 4u);
    EXPECT_EQ(again.editor()->document()->begin().text(), QString::fromUtf8("Naslov čćžšđ {x} \\ kurziv\tTab"));
    EXPECT_FALSE(again.editor()->document()->isModified());
}

TEST(RtfEditor, ControlsFormatTheSelectionAndFollowTheCaret)
{
    RtfEditorWindow window;
    window.show();
    QTextEdit* edit = window.editor();
    RTFCONTROLCLASS& rtf = window.rtf();
    edit->setPlainText("one two three\nfour");
    QTextCursor c(edit->document());
    c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    edit->setTextCursor(c);
    auto* bold = window.findChild<QToolButton*>("bold");
    QTest::mouseClick(bold, Qt::LeftButton);
    auto* size = window.findChild<QComboBox*>("size");
    size->setCurrentIndex(rtfui::sizeEntry(24) - 1);
    emit size->activated(size->currentIndex());
    auto* colour = window.findChild<QComboBox*>("colour");
    emit colour->activated(9); // entry 10: red
    auto* align = window.findChild<QComboBox*>("align");
    emit align->activated(1); // centre
    rtf.TAKEACTION(RTFCONTROLCLASS::CTLBULLETS, "1");

    const QTextCharFormat f = edit->document()->begin().begin().fragment().charFormat();
    EXPECT_EQ(f.fontWeight(), QFont::Bold);
    EXPECT_EQ(f.fontPointSize(), 24);
    EXPECT_EQ(f.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(edit->document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_NE(edit->document()->begin().textList(), nullptr);

    // The caret in the plain second line: the controls show its formats.
    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    edit->setTextCursor(end);
    EXPECT_FALSE(bold->isChecked());
    EXPECT_EQ(window.findChild<QLabel*>("info2")->text(), "Line: 2 of 2");
    EXPECT_EQ(window.findChild<QLabel*>("info3")->text(), "Col: 5");
    EXPECT_EQ(window.findChild<QLabel*>("info4")->text(), "*");
    edit->setTextCursor(QTextCursor(edit->document()));
    EXPECT_TRUE(bold->isChecked());
    EXPECT_EQ(size->currentText(), "24");
    EXPECT_EQ(colour->currentIndex(), 9);

    // Choosing "Automatic" takes the colour away.
    QTextCursor first(edit->document());
    first.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    edit->setTextCursor(first);
    emit colour->activated(16);
    EXPECT_EQ(edit->document()->begin().begin().fragment().charFormat().foreground().style(), Qt::NoBrush);

    // Tab stops and indents of the paragraph, in twips.
    rtf.setTabStops({1440, 720});
    EXPECT_EQ(rtf.tabStops(), QList<int>({720, 1440}));
    rtf.setIndents(300, 200, -100);
    int a = 0, b = 0, cc = 0;
    rtf.indents(a, b, cc);
    EXPECT_EQ(std::tie(a, b, cc), std::make_tuple(300, 200, -100));
}

TEST(RtfEditor, FindReplaceAndPrint)
{
    testsupport::installScriptedPresenter();
    testsupport::presenter().clear();
    RtfEditorWindow window;
    RTFCONTROLCLASS& rtf = window.rtf();
    QTextEdit* edit = window.editor();
    edit->setPlainText("Ana ana banana Ana");
    EXPECT_TRUE(rtf.find("ana", rtfui::findFlags(false, true, false))); // case: not "Ana"
    EXPECT_EQ(edit->textCursor().selectionStart(), 4);
    EXPECT_TRUE(rtf.find("ana", rtfui::findFlags(false, true, false)));
    EXPECT_EQ(edit->textCursor().selectionStart(), 9); // inside "banana"
    EXPECT_FALSE(rtf.find("ana", rtfui::findFlags(false, true, true))); // whole words: no more
    EXPECT_EQ(edit->textCursor().selectionStart(), 9);
    const auto asked = testsupport::presenter().calls("message");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().text, "\"ana\" not found.");
    EXPECT_EQ(asked.back().caption, "Search");

    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    edit->setTextCursor(end);
    EXPECT_TRUE(rtf.find("Ana", rtfui::findFlags(true, true, false))); // up from the end
    EXPECT_EQ(edit->textCursor().selectionStart(), 15);
    EXPECT_EQ(rtf.replaceAll("ana", "X", rtfui::findFlags(false, false, true, true)), 3);
    EXPECT_EQ(edit->toPlainText(), "X X banana X");

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testsupport::TempFolder folder;
    const QString pdf = folder.file("print.pdf");
    EXPECT_EQ(rtf.PRINTDOCUMENT("Test", true, pdf), 0);
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput()).contains("X X banana X"));
}
