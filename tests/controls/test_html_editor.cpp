#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFontComboBox>
#include <QImage>
#include <QUrl>
#include <QFile>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

#include "controls/Controls.h"
#include "controls/HtmlEditor.h"
#include "runtime/ComponentRegistry.h"
#include "tests/support/TestSupport.h"

using controls::HtmlEditor;

TEST(HtmlEditor, IsMadeByItsProgramIdentifierAndTakesTheFormsProperties)
{
    controls::registerBuiltInControls();
    std::unique_ptr<QObject> made(vrt::ComponentRegistry::instance().create(QString::fromLatin1(controls::kHtmlEditorProgId)));
    auto* editor = qobject_cast<HtmlEditor*>(made.get());
    ASSERT_NE(editor, nullptr);

    struct Case {
        QString name;
        QVariant value;
        bool known;
    };
    for (const Case& c : {Case{"useEnterAsBR", 1, true}, Case{"HiddenButtons", "Toggle;Table;Spell Check;undo;Redo", true},
                          Case{"baseUrl", "\"about:blank\"", true}, Case{"CSShttp", 1, true}, Case{"showDOMToolbar", 0, true},
                          Case{"cssText", "file:///nema/sty.css", true}, Case{"AlwaysConvertUnicodeCharacters", 0, true},
                          Case{"Nepostojeće", 1, false}})
        EXPECT_EQ(editor->setEditorProperty(c.name, c.value), c.known) << c.name.toStdString();
    // Hidden by name, letter case aside; names of buttons it does not have change nothing.
    for (const char* hidden : {"Toggle", "Table", "Undo", "Redo"})
        EXPECT_FALSE(editor->button(hidden)->isVisible()) << hidden;
    for (const char* shown : {"Bold", "Italic", "Underline", "Color", "Link"})
        EXPECT_TRUE(editor->button(shown)->isVisible()) << shown;
    EXPECT_FALSE(editor->call("Print()"));
}

TEST(HtmlEditor, SavesAndOpensWholeDocumentsAndEnterMakesALineBreak)
{
    testsupport::TempFolder folder;
    HtmlEditor editor;
    editor.setEditorProperty("useEnterAsBR", 1);
    editor.textEdit()->setPlainText("Lijep pozdrav");
    editor.textEdit()->moveCursor(QTextCursor::End);
    QTest::keyClick(editor.textEdit(), Qt::Key_Return);
    QTest::keyClicks(editor.textEdit(), "Ana");
    EXPECT_EQ(editor.textEdit()->document()->blockCount(), 1) << "a line break, not a paragraph";

    const QString path = folder.file("Documents/Signature/7_NewEmail.html");
    ASSERT_TRUE(editor.call("Save_Document(\"" + path + "\")")) << "the folder is made";
    const QString saved = QString::fromUtf8(folder.read("Documents/Signature/7_NewEmail.html"));
    EXPECT_TRUE(saved.startsWith("<!DOCTYPE HTML")) << saved.left(40).toStdString();
    EXPECT_TRUE(saved.contains("Lijep pozdrav<br />Ana")) << saved.toStdString();

    HtmlEditor other;
    ASSERT_TRUE(other.call("Open_Document(\"" + path + "\")"));
    EXPECT_EQ(other.textEdit()->toPlainText(), "Lijep pozdrav\nAna");
    EXPECT_FALSE(other.isModified());
    // A file that is not there empties the editor; a folder is not read as a document.
    EXPECT_FALSE(other.openDocument(folder.file("nema.html")));
    EXPECT_TRUE(other.textEdit()->toPlainText().isEmpty());
    other.setDocumentHtml("<p>ostaje</p>");
    EXPECT_FALSE(other.openDocument(folder.file("Documents")));
    EXPECT_EQ(other.textEdit()->toPlainText(), "ostaje");

    // Saving replaces the file; the source view edits the same document.
    other.button("Toggle")->trigger();
    ASSERT_TRUE(other.sourceShown());
    EXPECT_TRUE(other.documentHtml().contains("ostaje"));
    ASSERT_TRUE(other.saveDocument(path));
    EXPECT_TRUE(QString::fromUtf8(folder.read("Documents/Signature/7_NewEmail.html")).contains("ostaje"));
}

TEST(HtmlEditor, PicturesAreKeptInTheImageFolderAndFontAndSizeApplyToTheSelection)
{
    testsupport::TempFolder data, user;
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString png = user.file("slika.png");
    ASSERT_TRUE(picture.save(png));
    QFile text(user.file("tekst.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("nije slika");
    text.close();

    HtmlEditor editor;
    editor.setImageFolder(data.file("Documents/Images"));
    editor.pickImage = [&] { return png; };
    editor.button("Image")->trigger();
    EXPECT_TRUE(editor.insertImage(png));
    EXPECT_FALSE(editor.insertImage(text.fileName())) << "not a picture";
    EXPECT_FALSE(editor.insertImage(user.file("nema.png")));
    // The same name twice: two files, the first left as it was.
    EXPECT_EQ(data.read("Documents/Images/slika.png"), user.read("slika.png"));
    EXPECT_EQ(data.read("Documents/Images/slika_2.png"), user.read("slika.png"));
    const QString html = editor.documentHtml();
    EXPECT_TRUE(html.contains(QUrl::fromLocalFile(data.file("Documents/Images/slika.png")).toString())) << html.toStdString();
    EXPECT_TRUE(html.contains(QUrl::fromLocalFile(data.file("Documents/Images/slika_2.png")).toString()));
    EXPECT_FALSE(html.contains(user.path()));

    editor.setDocumentHtml("<p>Naslov</p>");
    editor.textEdit()->selectAll();
    editor.fontBox()->setCurrentFont(QFont("DejaVu Serif"));
    editor.sizeBox()->setCurrentText("18");
    emit editor.sizeBox()->textActivated("18");
    EXPECT_TRUE(editor.documentHtml().contains("font-size:18pt")) << editor.documentHtml().toStdString();
    EXPECT_TRUE(editor.documentHtml().contains("DejaVu Serif")) << editor.documentHtml().toStdString();
    for (const char* name : {"Font", "Size", "Image"})
        EXPECT_TRUE(editor.button(name)) << name;
}
