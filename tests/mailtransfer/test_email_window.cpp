#include <gtest/gtest.h>

#include "controls/HtmlEditor.h"
#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "protocols/MimeMessage.h"
#include "data/Corvalde.h"
#include "data/Dictionary.h"
#include "services/Quilvo.h"
#include "data/TableManagers.h"
#include "mailtransfer/EmailWindow.h"
#include "mailtransfer/StartLimit.h"
#include "procedures/common/OpenFiles.h"
#include "procedures/contacts/AccountsWindow.h"
#include "procedures/contacts/ContactGroups.h"
#include "procedures/contacts/ContactsBrowse.h"
#include "runtime/Browse.h"
#include "runtime/IniFile.h"
#include "tests/mailtransfer/SendFakes.h"
#include "tests/data/DataFixture.h"
#include "tests/support/ShippedTranslations.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <QToolBar>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

using namespace korbelsteen;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// The editor over the real database: the answered message and the accounts are rows, the
// signatures and stored attachments files in the data folder.
class EmailWindowTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        W_First::OpenFilez();
        Access(Tbl::EMAIL).clearBuffer();
        EM().SUBJECT = "Ponuda za ožujak";
        EM().SENDER = "Ivo Ivić";
        EM().REPLYTO = "ivo@velmora.test";
        EM().TOO = "Ana <ana@velmora.test>;maja@velmora.test";
        EM().TOADDR = "ana@velmora.test;maja@velmora.test";
        EM().MESSAGEID = "1_original";
        EM().DATUM = 81234;
        EM().VRIJEME = 4500001;
        ASSERT_EQ(Access(Tbl::EMAIL).Insert(), 0);
        original = EM().ID;
        for (const char* name : {"Ponuda.pdf", "Gone.txt"}) {
            Access(Tbl::EMAILATTACH).clearBuffer();
            ATT().IDEMAIL = static_cast<int>(original);
            ATT().NAZIV = name;
            ASSERT_EQ(Access(Tbl::EMAILATTACH).Insert(), 0);
        }
        files = m_folder->file("Email/Files");
        kept = controls::attachmentFile(files, original, QStringLiteral("Ponuda.pdf"));
        writeFile(kept, "pdf");
        body = m_folder->file("1_original.html");
        writeFile(body, "<html><body><p>Stari tekst</p><script>alert(1)</script>"
                        "<img src=\"http://tracker.example/x.png\" onload=\"steal()\"><img src=\"Files/Database.db\"></body></html>");
        writeFile(m_folder->file("Documents/Signature/7_NewEmail.html"), "<html><body><p>Novi potpis</p></body></html>");
        writeFile(m_folder->file("Documents/Signature/7_ReplyEmail.html"), "<html><body><p>Odgovor potpis</p></body></html>");
    }

    qint64 original = 0;
    QString files, kept, body;
    SenderAccount account{7, QStringLiteral("Ana Anić"), QStringLiteral("ana@velmora.test")};
};

TEST_F(EmailWindowTest, EachModePreparesItsMessage)
{
    const std::optional<OriginalMail> read = readOriginal(original);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->attachmentNames, (QStringList{"Ponuda.pdf", "Gone.txt"}));
    EXPECT_FALSE(readOriginal(original + 100));

    struct Case {
        QStringList args;
        QString to, subject;
        const char* has;  // in the prepared HTML
        QStringList attachments;
        bool quoted;
    };
    const QString id = QLatin1Char('/') + QString::number(original);
    const QString path = QLatin1Char('/') + body;
    const std::vector<Case> cases = {
        {{"/", "/1", "/0", "/"}, "", "", "Novi potpis", {}, false},
        {{"/0", "/0", "/0", "/ivo@velmora.test  "}, "ivo@velmora.test", "", "Novi potpis", {}, false},
        {{"/0", "/0", "/0", "/"}, "", "", "", {}, false},
        {{path, "/2", id, "/"}, "ivo@velmora.test", QStringLiteral("RE: Ponuda za ožujak"), "Odgovor potpis", {}, true},
        {{path, "/3", id, "/"}, "ana@velmora.test;maja@velmora.test", QStringLiteral("RE: Ponuda za ožujak"), "Odgovor potpis", {}, true},
        {{path, "/4", id, "/"}, "", QStringLiteral("FW: Ponuda za ožujak"), "Odgovor potpis", {kept}, true},
        {{"/", "/9", "/0", "/"}, "", "", "", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const EditorArgs args = editorArgs(c.args);
        const std::optional<OriginalMail> o = readOriginal(args.emailId);
        const PreparedMail p = prepareMail(args, account, o ? &*o : nullptr, m_folder->path());
        EXPECT_EQ(p.from, QStringLiteral("Ana Anić <ana@velmora.test>"));
        EXPECT_EQ(p.to, c.to);
        EXPECT_EQ(p.subject, c.subject);
        EXPECT_TRUE(p.html.contains(QLatin1String(c.has)));
        if (QLatin1String(c.has).isEmpty()) {
            EXPECT_TRUE(p.html.isEmpty());
        }
        EXPECT_EQ(p.attachments, c.attachments);
        EXPECT_EQ(p.html.contains(QLatin1String("Stari tekst")), c.quoted);
        if (c.quoted) {
            EXPECT_TRUE(p.html.contains(QStringLiteral("FROM: Ivo Ivić [mailto:ivo@velmora.test]<br>SENT: ")));
            EXPECT_TRUE(p.html.contains(QStringLiteral("TO: Ana &lt;ana@velmora.test&gt;;maja@velmora.test<br>SUBJECT: Ponuda za ožujak<br><br><br>")));
            EXPECT_LT(p.html.indexOf(QLatin1String("Odgovor potpis")), p.html.indexOf(QLatin1String("FROM: ")));
            EXPECT_FALSE(p.html.contains(QLatin1String("script"), Qt::CaseInsensitive));
            EXPECT_FALSE(p.html.contains(QLatin1String("tracker.example")));
            EXPECT_FALSE(p.html.contains(QLatin1String("steal")));
            EXPECT_FALSE(p.html.contains(QLatin1String("Database.db"))) << "nothing of the data folder rides along";
        }
    }

    // A subject that already starts with the prefix, in any letter case, keeps it as it is.
    ASSERT_EQ(query("UPDATE EMAIL SET SUBJECT = 're: fw: staro' WHERE ID = " + std::to_string(original)).size(), 0u);
    const std::optional<OriginalMail> again = readOriginal(original);
    EXPECT_EQ(prepareMail(editorArgs({path, "/2", id, "/"}), account, &*again, m_folder->path()).subject, "re: fw: staro");
    EXPECT_EQ(prepareMail(editorArgs({path, "/4", id, "/"}), account, &*again, m_folder->path()).subject, "FW: re: fw: staro");
}

TEST_F(EmailWindowTest, QuotedHtmlFetchesNothingAndRunsNothing)
{
    m_folder->write(QStringLiteral("Email/Files/slika.png"), QByteArray("png"));
    const QString inside = m_folder->file("Email/Files/slika.png");
    const struct {
        QString html;
        bool kept;
    } cases[] = {
        {QStringLiteral("<img src=\"") + QUrl::fromLocalFile(inside).toString() + QStringLiteral("\">"), true},
        {QStringLiteral("<img src=\"Files/slika.png\">"), true},
        {QStringLiteral("<img src=\"cid:slika1\">"), false},
        {QStringLiteral("<img src=\"https://x.example/p.png\">"), false},
        {QStringLiteral("<img src='//x.example/p.png'>"), false},
        {QStringLiteral("<img src=file:///etc/passwd>"), false},
        {QStringLiteral("<img src=\"../../etc/passwd\">"), false},
        {QStringLiteral("<img src=\"../Files/Database.db\">"), false},
        {QStringLiteral("<p style=\"background:url(http://x.example/t)\">"), false},
        {QStringLiteral("<a href=\"javascript:alert(1)\">"), false},
    };
    const QString email = m_folder->file("Email");
    for (const auto& c : cases) {
        const QString out = harmlessHtml(c.html, email);
        EXPECT_EQ(out.contains(QLatin1String("<img src=\"file://")), c.kept) << c.html.toStdString() << " -> " << out.toStdString();
        for (const char* gone : {"x.example", "passwd", "javascript", "cid:"})
            EXPECT_FALSE(out.contains(QLatin1String(gone))) << c.html.toStdString() << " -> " << out.toStdString();
    }
    const QString cleaned = harmlessHtml(QStringLiteral("<p onclick=x()>a</p><SCRIPT>b()</SCRIPT><iframe src=x></iframe>"
                                                        "<link rel=stylesheet href=http://x><style>@import url(http://x)</style>c"),
                                         email);
    EXPECT_EQ(cleaned, QStringLiteral("<p>a</p>c"));
    // A picture that loses its source goes whole: no broken picture in the quote; a Content-ID
    // the receive did not turn into a stored file names nothing.
    EXPECT_EQ(harmlessHtml(QStringLiteral("<p>a<IMG width=1 src=\"http://t.example/p.png\" height=1>b<img src=\"cid:x\"></p>"), email),
              QStringLiteral("<p>ab</p>"));
}

TEST_F(EmailWindowTest, EachEditingKeyActsOnce)
{
    qputenv("VELMORA_PLUGIN_PATH", testsupport::binDir().toLocal8Bit());
    EmailWindow w(PreparedMail{}, 7, m_folder->path(), [](const OutgoingMail&) { return SendResult{}; },
                  EmailPrompts::messageBoxes());
    w.show();
    ASSERT_NE(w.editor()->findChild<QObject*>(QStringLiteral("CKeysHook")), nullptr) << "the hook is in the editor";
    QTextEdit* edit = w.editor()->textEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QString());
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("abab"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("bab"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("abab"));
    QTest::keyClick(edit, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("bab"));
    // Ctrl+Delete deletes one character, as Delete does.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("ab"));
}

// The editor as the user sees it, in Croatian and in English: every text it shows has its
// English row and the English window shows them. With VELMORA_SCREENSHOT_DIR set, the
// pictures are written there (docs/screenshots keeps the current ones).
TEST_F(EmailWindowTest, TheEditorAsTheUserSeesItInBothLanguages)
{
    const QString table = testsupport::binDir() + QStringLiteral("/Velmora.qvl");
    if (!QFile::exists(table)) {
        GTEST_SKIP() << "the translation table is not built";
    }
    QImage picture(120, 40, QImage::Format_RGB32);
    picture.fill(QColor(0x2e, 0x6d, 0xb4));
    const QString logo = m_folder->file("logo.png");
    ASSERT_TRUE(picture.save(logo));
    const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    std::set<QString> texts;
    QUILVO& translator = corvalde::translator();
    for (int language : {1, 2}) {
        SCOPED_TRACE(language);
        translator.QVINIT(table, language, testsupport::binDir() + QStringLiteral("/Velmora.qvs"), 0, 1);
        const std::optional<OriginalMail> o = readOriginal(original);
        ASSERT_TRUE(o);
        const PreparedMail p = prepareMail(editorArgs({QLatin1Char('/') + body, "/2", QLatin1Char('/') + QString::number(original), "/"}),
                                           account, &*o, m_folder->path());
        EmailWindow w(p, 7, m_folder->path(), [](const OutgoingMail&) { return SendResult{}; },
                      EmailPrompts::messageBoxes());
        w.cc()->setText(QStringLiteral("maja@velmora.test"));
        QTextEdit* edit = w.editor()->textEdit();
        edit->moveCursor(QTextCursor::Start);
        edit->insertPlainText(QStringLiteral("Poštovani gospodine Iviću,\nu prilogu šaljem ponudu za ožujak i cjenik.\n"));
        ASSERT_TRUE(w.editor()->insertImage(logo));
        edit->insertPlainText(QStringLiteral("\nLijep pozdrav,\nAna\n"));
        w.addAttachments({kept, m_folder->file("Cjenik 2026.xlsx")});
        w.tabs()->setCurrentIndex(0);
        w.resize(900, 640);
        w.show();
        QApplication::processEvents();
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (language != 1 || !c->isVisibleTo(&w))
                continue;
            if (auto* b = qobject_cast<QPushButton*>(c))
                texts.insert(b->text()), texts.insert(b->toolTip());
            if (auto* l = qobject_cast<QLabel*>(c))
                texts.insert(l->text());
            if (auto* box = qobject_cast<QCheckBox*>(c))
                texts.insert(box->text());
        }
        for (QAction* a : w.editor()->toolBar()->actions())
            if (language == 1 && a->isVisible())
                texts.insert(a->toolTip());
        for (int i = 0; i < w.tabs()->count() && language == 1; ++i)
            texts.insert(w.tabs()->tabText(i));
        if (language == 1)
            texts.insert(w.windowTitle());
        if (language == 2) {
            EXPECT_EQ(w.sendButton()->text(), QStringLiteral("Send"));
            EXPECT_EQ(w.tabs()->tabText(1), QStringLiteral("Attachments"));
            EXPECT_EQ(w.zip()->text(), QStringLiteral("Zip the attachments automatically"));
            EXPECT_EQ(w.editor()->button("Bold")->toolTip(), QStringLiteral("Bold"));
            EXPECT_EQ(w.editor()->button("Image")->toolTip(), QStringLiteral("Image"));
        }
        const QImage shot = w.grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3)
                colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 20);
        if (!out.isEmpty()) {
            QDir().mkpath(out);
            shot.save(out + (language == 1 ? QStringLiteral("/mail-editor.png") : QStringLiteral("/mail-editor-english.png")));
            if (language == 1) {
                w.tabs()->setCurrentIndex(1);
                QApplication::processEvents();
                w.grab().save(out + QStringLiteral("/mail-editor-attachments.png"));
            }
        }
    }
    translator.QVINIT(table, 1, testsupport::binDir() + QStringLiteral("/Velmora.qvs"), 0, 1);
    translator.QVKILL();
    std::set<QString> source;
    for (const QString& t : texts)
        if (!t.trimmed().isEmpty() && t.size() > 2 && !t.contains(QLatin1Char('@')) && t.toUpper() != t)
            source.insert(t);
    // The English column's own texts are looked up too: they must stay as they are.
    testsupport::expectEnglishRows(source);
}

// Sending from the window to a real SMTP server.
class EmailSendTest : public EmailWindowTest {
protected:
    void SetUp() override
    {
        if (const QString why = testsupport::SmtpServer::unavailableReason(); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        EmailWindowTest::SetUp();
        if (IsSkipped())
            return;
        QString why;
        ASSERT_TRUE(m_smtp.start(&why)) << why.toStdString();
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = "Ana";
        ACC().IMEPREZIME = "Ana Anić";
        ACC().EMAIL = "ana@velmora.test";
        ACC().SMTPHOST = "127.0.0.1";
        ACC().SMTPPORT = std::to_string(m_smtp.port());
        ACC().SMTPSSL = "2";
        ACC().SMTPUSERNAME = "posiljatelj";
        ACC().SMTPPASSWORD = "tajna";
        ACC().DEFAULT = 1;
        ASSERT_EQ(Access(Tbl::Accounts).Insert(), 0);
        accountId = ACC().ID;
        ASSERT_TRUE(addMailFolders(accountId, {"xInbox_1", "xSent_1"}));
    }
    std::unique_ptr<EmailWindow> window(const PreparedMail& p)
    {
        const std::optional<SenderAccount> sender = defaultSender();
        EXPECT_TRUE(sender && sender->id == accountId);
        auto w = std::make_unique<EmailWindow>(p, accountId, m_folder->path(), [this](const OutgoingMail& mail) {
            DatabaseSendStore store;
            controls::MailManager mm;
            mm.CaFile = caFile.isEmpty() ? m_smtp.certificateFile() : caFile;
            FixedSendSide side(81240, 100);
            return sendMail(mail, {&store, &mm, m_folder->path()}, side);
        }, prompts);
        w->show();
        return w;
    }
    int sentRows()
    {
        return std::stoi(query("SELECT COUNT(*) FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1'").at(0));
    }

    testsupport::SmtpServer m_smtp;
    QString caFile; // when not only m_smtp's certificate is to be trusted
    int accountId = 0;
    // Records what the editor tells and asks; answers `answer`.
    struct Prompts : EmailPrompts {
        bool ask(const QString& question) override { return asked << question, answer; }
        void tell(const QString& text) override { told << text; }
        QStringList asked, told;
        bool answer = true;
    } prompts;
};

TEST_F(EmailSendTest, PosaljiSendsStoresTheCopyAndCloses)
{
    // A forward: the stored attachment goes out under its own name.
    const std::optional<OriginalMail> o = readOriginal(original);
    PreparedMail p = prepareMail(editorArgs({QLatin1Char('/') + body, "/4", QLatin1Char('/') + QString::number(original), "/"}),
                                 account, &*o, m_folder->path());
    ASSERT_EQ(p.attachments, QStringList{kept});
    p.to = QStringLiteral("ivo@velmora.test");
    auto w = window(p);
    w->editor()->textEdit()->moveCursor(QTextCursor::Start);
    w->editor()->textEdit()->insertPlainText(QStringLiteral("Poštovani, šaljem ponudu."));
    w->subject()->setText(QStringLiteral("Ponuda\r\nBcc: uljez@x.test"));
    w->zip()->setChecked(false);
    ASSERT_TRUE(w->sendNow()) << prompts.told.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(m_smtp.messages().size(), 1u);
    EXPECT_EQ(m_smtp.messages()[0].recipients, QStringList{QStringLiteral("ivo@velmora.test")});
    EXPECT_EQ(sentRows(), 1);
    // A line break typed into the subject starts no header of its own.
    const std::string sent = " FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1'";
    EXPECT_EQ(query("SELECT e.SUBJECT" + sent).at(0), "Ponuda  Bcc: uljez@x.test");
    EXPECT_EQ(query("SELECT NAZIV FROM EMAILATTACH WHERE IDEMAIL IN (SELECT e.ID" + sent + ")"),
              std::vector<std::string>{"Ponuda.pdf"});
    const controls::MimeMessage out = controls::MimeMessage::fromBytes(m_smtp.messages()[0].bytes);
    ASSERT_EQ(out.NumAttachments(), 1);
    EXPECT_EQ(out.GetAttachmentFilename(0), QStringLiteral("Ponuda.pdf"));
    EXPECT_EQ(out.attachmentData(0), QByteArray("pdf"));
}

TEST_F(EmailSendTest, RefusalsAndFailuresKeepTheEditorOpen)
{
    PreparedMail p;
    p.from = QStringLiteral("Ana Anić <ana@velmora.test>");
    p.to = QStringLiteral("ivo@velmora.test");
    auto w = window(p);

    // No subject: the answer No stops before anything else.
    prompts.answer = false;
    w->editor()->setDocumentHtml(QStringLiteral("<p>Tekst</p>"));
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(w->subject()->hasFocus() || !w->isActiveWindow());
    prompts.answer = true;

    // No text: said, and the wait cursor is not left behind.
    w->subject()->setText(QStringLiteral("Naslov"));
    w->editor()->setDocumentHtml(QStringLiteral("<p>  </p>"));
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(prompts.told.value(0), QStringLiteral("Poruka nema teksta. Upišite tekst poruke."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // No recipient.
    w->editor()->setDocumentHtml(QStringLiteral("<p>Tekst koji ostaje</p>"));
    w->to()->clear();
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(prompts.told.value(1), QStringLiteral("Primatelj nije upisan !"));

    // The server refuses the password: nothing is lost and nothing is filed as sent.
    w->to()->setText(QStringLiteral("ivo@velmora.test"));
    ASSERT_EQ(query("UPDATE Accounts SET SMTPPASSWORD = 'kriva'").size(), 0u);
    EXPECT_FALSE(w->sendNow());
    EXPECT_TRUE(prompts.told.value(2).startsWith(QStringLiteral("Email nije poslan !"))) << prompts.told.value(2).toStdString();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->to()->text(), QStringLiteral("ivo@velmora.test"));
    EXPECT_TRUE(w->editor()->textEdit()->toPlainText().contains(QStringLiteral("Tekst koji ostaje")));
    EXPECT_EQ(sentRows(), 0);
    EXPECT_TRUE(m_smtp.messages().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(EmailSendTest, TheProgramsEditorJobOpensTheReplyOnceAndRemovesTheBodyCopy)
{
    int again = -1;
    QString subject, to;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<EmailWindow*>(w); editor && editor->isVisible()) {
                subject = editor->subject()->text();
                to = editor->to()->text();
                // The same editor started again while this one is open opens nothing.
                again = runEditor({QStringLiteral("/"), QStringLiteral("/1"), QStringLiteral("/0"), QStringLiteral("/")},
                                  m_folder->path());
                editor->close();
            }
    });
    // Should the editor not be found, it is closed anyway so the test fails instead of hanging.
    QTimer::singleShot(20000, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<EmailWindow*>(w))
                w->close();
    });
    const int code = runEditor({QLatin1Char('/') + body, QStringLiteral("/2"), QLatin1Char('/') + QString::number(original),
                                QStringLiteral("/")},
                               m_folder->path());
    EXPECT_EQ(code, 2) << "closed without sending";
    EXPECT_EQ(again, 2);
    EXPECT_EQ(subject, QStringLiteral("RE: Ponuda za ožujak"));
    EXPECT_EQ(to, QStringLiteral("ivo@velmora.test"));
    EXPECT_FALSE(QFileInfo::exists(body));
    EXPECT_FALSE(StartLimit::emailEditor().running());
}

// The first argument comes from a command line: closing the editor removes the answered
// message's copy in the data folder and never any other file it names.
TEST_F(EmailSendTest, ClosingRemovesOnlyTheAnsweredMessagesCopy)
{
    const QString elsewhere = m_folder->file("Arhiva/1_original.html");
    const QString other = m_folder->file("Popis.html");
    writeFile(elsewhere, "<p>arhiva</p>");
    writeFile(other, "<p>popis</p>");
    for (const QString& path : {elsewhere, other, body}) {
        SCOPED_TRACE(path.toStdString());
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<EmailWindow*>(w))
                    w->close();
        });
        EXPECT_EQ(runEditor({QLatin1Char('/') + path, QStringLiteral("/2"), QLatin1Char('/') + QString::number(original),
                             QStringLiteral("/")},
                            m_folder->path()),
                  2);
    }
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_FALSE(QFileInfo::exists(body));
}

namespace {
QPushButton* buttonWithText(QWidget* w, const QString& text)
{
    for (auto* b : w->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}
} // namespace

TEST_F(EmailSendTest, RecipientsComeFromTheContactsAndThePickedAccountSendsThroughItsOwnServer)
{
    Access(Tbl::CON_Group).clearBuffer();
    CONG().NAZIV = "Tim";
    ASSERT_EQ(Access(Tbl::CON_Group).Insert(), 0);
    const int group = CONG().ID;
    std::map<std::string, int> contact;
    for (const char* email : {"ana@tim.hr", "ivo.k@tim.hr", "marko@tim.hr"}) {
        Access(Tbl::CON_Contacts).clearBuffer();
        CON().PREZIME = email;
        CON().GRUPAID = group;
        CON().EMAIL = email;
        ASSERT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
        contact[email] = CON().ID;
    }
    testsupport::SmtpServer other;
    QString why;
    ASSERT_TRUE(other.start(&why)) << why.toStdString();
    // One trust file for both servers' own certificates.
    caFile = m_folder->file("servers.pem");
    {
        QFile bundle(caFile);
        ASSERT_TRUE(bundle.open(QIODevice::WriteOnly));
        for (const QString& cert : {m_smtp.certificateFile(), other.certificateFile()}) {
            QFile f(cert);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            bundle.write(f.readAll());
        }
    }
    const auto addAccount = [&](const char* name, const char* email, const testsupport::SmtpServer* server) {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name;
        ACC().IMEPREZIME = name;
        ACC().EMAIL = email;
        if (server) {
            ACC().SMTPHOST = "127.0.0.1";
            ACC().SMTPPORT = std::to_string(server->port());
            ACC().SMTPSSL = "2";
            ACC().SMTPUSERNAME = "posiljatelj";
            ACC().SMTPPASSWORD = "tajna";
        }
        EXPECT_EQ(Access(Tbl::Accounts).Insert(), 0);
        const int id = ACC().ID;
        EXPECT_TRUE(addMailFolders(id, {"xInbox_1", "xSent_1"}));
        return id;
    };
    const int firm = addAccount("Tvrtka d.o.o.", "ured@tvrtka.test", &other);
    const int home = addAccount("Kuća", "kuca@velmora.test", nullptr);

    PreparedMail p;
    p.from = QStringLiteral("Ana Anić <ana@velmora.test>");
    p.to = QStringLiteral("ivo@velmora.test");
    p.html = QStringLiteral("<p>Sastanak u četvrtak.</p>");
    auto w = window(p);
    w->subject()->setText(QStringLiteral("Sastanak"));

    // "Prima", "Cc" and "Bcc" open the contacts; what is collected there joins the fields.
    const struct {
        const char* button;
        std::vector<std::pair<const char*, const char*>> picks; // contact, browse button
        const char* close;
        QString to, cc, bcc;
    } steps[] = {
        {"Prima", {{"ana@tim.hr", "?BPRIMA"}, {"ivo.k@tim.hr", "?BCC"}, {"marko@tim.hr", "?BBCC"}}, "?OK",
         "ivo@velmora.test;ana@tim.hr", "ivo.k@tim.hr", "marko@tim.hr"},
        {"Cc", {{"marko@tim.hr", "?BCC"}}, "?CLOSE", "ivo@velmora.test;ana@tim.hr", "ivo.k@tim.hr", "marko@tim.hr"},
        {"Bcc", {{"ana@tim.hr", "?BBCC"}}, "?OK", "ivo@velmora.test;ana@tim.hr", "ivo.k@tim.hr", "marko@tim.hr;ana@tim.hr"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button);
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* browse = qobject_cast<mailpeople::ContactsBrowse*>(&d);
            EXPECT_NE(browse, nullptr);
            if (!browse)
                return 0;
            EXPECT_TRUE(browse->groups()->selectGroup(group));
            for (const auto& [email, button] : step.picks) {
                EXPECT_TRUE(browse->browse().selectId(qlonglong(contact[email])));
                browse->button(QLatin1String(button))->click();
            }
            browse->button(QLatin1String(step.close))->click();
            return d.result();
        });
        buttonWithText(w.get(), QString::fromUtf8(step.button))->click();
        EXPECT_EQ(w->to()->text(), step.to);
        EXPECT_EQ(w->cc()->text(), step.cc);
        EXPECT_EQ(w->bcc()->text(), step.bcc);
    }
    w->to()->setText(QStringLiteral("ivo@velmora.test"));
    w->cc()->clear();
    w->bcc()->clear();

    // "Šalje": the picked account is the sender, its server sends (the default account's when
    // it has none) and its Sent folder keeps the copy.
    const struct {
        int account;
        QString from;
        const testsupport::SmtpServer* server;
    } picks[] = {
        {firm, QStringLiteral("Tvrtka d.o.o. <ured@tvrtka.test>"), &other},
        {home, QStringLiteral("Kuća <kuca@velmora.test>"), &m_smtp},
    };
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.from.toStdString());
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* accounts = qobject_cast<mailpeople::AccountsWindow*>(&d);
            EXPECT_NE(accounts, nullptr);
            if (!accounts)
                return 0;
            EXPECT_TRUE(accounts->browse().selectId(qlonglong(pick.account)));
            accounts->button(QStringLiteral("?SELECT"))->click();
            return d.result();
        });
        const size_t before = pick.server->messages().size();
        w->show();
        buttonWithText(w.get(), QStringLiteral("Šalje"))->click();
        EXPECT_EQ(w->from()->text(), pick.from);
        EXPECT_EQ(w->accountId(), pick.account);
        ASSERT_TRUE(w->sendNow()) << prompts.told.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(pick.server->messages().size(), before + 1);
        EXPECT_TRUE(pick.server->messages().back().bytes.contains(controls::parseMailbox(pick.from).address.toUtf8()));
        const std::string copy = " FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1' AND i.ACCOUNTID = "
                                 + std::to_string(pick.account);
        EXPECT_EQ(query("SELECT COUNT(*)" + copy).at(0), "1");
        EXPECT_EQ(QString::fromStdString(query("SELECT e.REPLYTO" + copy).at(0)), controls::parseMailbox(pick.from).address);
    }
    EXPECT_EQ(other.messages().size(), 1u);
    EXPECT_EQ(m_smtp.messages().size(), 1u);
}

// The server turns a recipient away, hangs up once it has the message, or is gone: the
// editor stays open with everything in it and nothing is filed as sent. A server that hangs
// up after the data may have kept the message, and the user is told so.
TEST_F(EmailSendTest, ARefusedRecipientOrAServerThatHangsUpOrIsGoneKeepsTheEditorOpen)
{
    const QString notSent = QStringLiteral("Email nije poslan !");
    const QString maybeSent = QStringLiteral("Poslužitelj je primio cijelu poruku, ali nije potvrdio prijem");
    const struct {
        const char* what;
        testsupport::SmtpServer::Options options;
        bool stopped;
        QString says;
    } cases[] = {
        {"refused recipient", {.refused = {QStringLiteral("nitko@velmora.test")}}, false, notSent},
        {"hangs up after the data", {.hangUp = true}, false, maybeSent},
        {"gone", {}, true, notSent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::SmtpServer server(c.options);
        QString why;
        ASSERT_TRUE(server.start(&why)) << why.toStdString();
        caFile = server.certificateFile();
        query("UPDATE Accounts SET SMTPPORT = '" + std::to_string(server.port()) + "'");
        if (c.stopped)
            server.stop();
        PreparedMail p;
        p.from = QStringLiteral("Ana Anić <ana@velmora.test>");
        p.to = QStringLiteral("ivo@velmora.test;nitko@velmora.test");
        p.html = QStringLiteral("<p>Tekst koji ostaje</p>");
        prompts.told.clear();
        auto w = window(p);
        w->subject()->setText(QStringLiteral("Naslov"));
        EXPECT_FALSE(w->sendNow());
        EXPECT_TRUE(prompts.told.value(0).startsWith(c.says)) << prompts.told.join('|').toStdString();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->to()->text(), p.to);
        EXPECT_TRUE(w->editor()->textEdit()->toPlainText().contains(QStringLiteral("Tekst koji ostaje")));
        EXPECT_EQ(sentRows(), 0);
        if (!c.stopped) {
            EXPECT_TRUE(server.messages().empty());
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// A server that takes the message and then drops the line or never answers may have it: the
// editor's send job sends it once, says it may have gone, keeps the document and files no copy.
// The editor answers all the while and shows how far the send has come.
TEST_F(EmailSendTest, AMessageTheServerMayHaveIsNeverSentAgainAndTheEditorStaysResponsive)
{
    ASSERT_TRUE(vrt::IniFile(m_folder->file("Standard.ini")).put(QStringLiteral("Email"), QStringLiteral("Stall"), QStringLiteral("2")));
    const struct {
        const char* what;
        testsupport::SmtpServer::Options options;
    } cases[] = {
        {"drops the line before its 250", {.keepThenHangUp = true}},
        {"never answers after the data", {.keepThenSilent = true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::SmtpServer server(c.options);
        QString why;
        ASSERT_TRUE(server.start(&why)) << why.toStdString();
        query("UPDATE Accounts SET SMTPPORT = '" + std::to_string(server.port()) + "'");
        testsupport::presenter().clear();
        int ticksWhileSending = 0;
        bool progressShown = false, sendLocked = true, kept = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* editor = qobject_cast<EmailWindow*>(top);
                if (!editor || !editor->isVisible())
                    continue;
                editor->subject()->setText(QStringLiteral("Naslov"));
                editor->to()->setText(QStringLiteral("ivo@velmora.test"));
                editor->editor()->setDocumentHtml(QStringLiteral("<p>Tekst koji ostaje</p>"));
                QTimer watch;
                QObject::connect(&watch, &QTimer::timeout, [&] {
                    if (!editor->isSending())
                        return;
                    ++ticksWhileSending;
                    progressShown = progressShown || editor->progressBar()->isVisible();
                    sendLocked = sendLocked && !editor->sendButton()->isEnabled();
                });
                watch.start(20);
                editor->sendButton()->click();
                watch.stop();
                kept = editor->isVisible() && editor->editor()->textEdit()->toPlainText().contains(QStringLiteral("Tekst koji ostaje"));
                editor->close();
            }
        });
        // Should the editor not be found, it is closed; should the send block the GUI thread,
        // a watchdog of its own ends the server, so the test fails instead of hanging.
        QTimer::singleShot(60000, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<EmailWindow*>(w))
                    w->close();
        });
        std::mutex m;
        std::condition_variable over;
        bool finished = false;
        std::thread watchdog([&, pid = server.processId()] {
            std::unique_lock lock(m);
            if (!over.wait_for(lock, std::chrono::seconds(90), [&] { return finished; }))
                ::kill(pid_t(pid), SIGKILL);
        });
        const int code = runEditor({QStringLiteral("/"), QStringLiteral("/1"), QStringLiteral("/0"), QStringLiteral("/")},
                                   m_folder->path(), [&](controls::MailManager& mm) { mm.CaFile = server.certificateFile(); });
        {
            std::lock_guard lock(m);
            finished = true;
        }
        over.notify_all();
        watchdog.join();
        EXPECT_EQ(code, 2) << "not sent as far as the editor knows";
        EXPECT_TRUE(kept) << "the editor stays open with the document";
        EXPECT_GT(ticksWhileSending, 0) << "the editor answered while the send waited";
        EXPECT_TRUE(progressShown);
        EXPECT_TRUE(sendLocked) << "no second send while one is under way";
        EXPECT_EQ(server.messages().size(), 1u) << "the server got it once";
        EXPECT_EQ(sentRows(), 0);
        const QString maybe = corvalde::translator().QVSTR(QStringLiteral(
            "Poslužitelj je primio cijelu poruku, ali nije potvrdio prijem: možda je poslana. Provjerite prije ponovnog slanja."));
        const QStringList shown = testsupport::presenter().texts();
        EXPECT_EQ(shown.filter(maybe).size(), 1) << shown.join('|').toStdString();
        EXPECT_TRUE(shown.filter(QStringLiteral("Email nije poslan")).isEmpty()) << shown.join('|').toStdString();
    }
}

// The editor opens where the user left it; a place no longer on any screen is not used.
TEST_F(EmailSendTest, TheEditorOpensWhereItWasLeft)
{
    const auto openAndClose = [this](const std::function<void(EmailWindow&)>& use) {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* e = qobject_cast<EmailWindow*>(w); e && e->isVisible()) {
                    use(*e);
                    e->close();
                }
        });
        runEditor({QStringLiteral("/"), QStringLiteral("/1"), QStringLiteral("/0"), QStringLiteral("/")}, m_folder->path());
    };
    QRect seen;
    openAndClose([](EmailWindow& w) { w.setGeometry(40, 50, 700, 500); });
    openAndClose([&](EmailWindow& w) { seen = w.geometry(); });
    EXPECT_EQ(seen, QRect(40, 50, 700, 500));

    vrt::IniFile ini(m_folder->file("Standard.ini"));
    ini.put(QStringLiteral("W_Email"), QStringLiteral("X"), QStringLiteral("90000"));
    openAndClose([&](EmailWindow& w) { seen = w.geometry(); });
    EXPECT_LT(seen.x(), 10000);
}

TEST_F(EmailWindowTest, TheAttachmentListRemovesTheChosenFileFromItsMenu)
{
    EmailWindow w(PreparedMail{}, 7, m_folder->path(), [](const OutgoingMail&) { return SendResult{}; },
                  EmailPrompts::messageBoxes());
    w.addAttachments({QStringLiteral("/a/prvi.pdf"), QStringLiteral("/b/drugi.pdf"), QString()});
    ASSERT_EQ(w.attachments()->count(), 2);
    EXPECT_EQ(w.tabs()->currentIndex(), 1);
    const QList<QAction*> menu = w.attachmentMenu()->actions();
    ASSERT_EQ(menu.size(), 3);
    EXPECT_TRUE(menu[1]->isSeparator());
    EXPECT_EQ(menu[2]->text(), QStringLiteral("Obriši datoteku (prilog)"));
    w.attachments()->setCurrentRow(0);
    menu[2]->trigger();
    ASSERT_EQ(w.attachments()->count(), 1);
    EXPECT_EQ(w.attachments()->item(0)->text(), QStringLiteral("/b/drugi.pdf"));
}
