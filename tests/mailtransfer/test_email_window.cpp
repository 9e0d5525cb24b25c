#include <gtest/gtest.h>

#include "controls/HtmlEditor.h"
#include "controls/MailManager.h"
#include "controls/MailNames.h"
#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "mailtransfer/EmailWindow.h"
#include "mailtransfer/StartLimit.h"
#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QTest>
#include <QTimer>

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
                        "<img src=\"http://tracker.example/x.png\" onload=\"steal()\"></body></html>");
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
        if (QLatin1String(c.has).isEmpty())
            EXPECT_TRUE(p.html.isEmpty());
        EXPECT_EQ(p.attachments, c.attachments);
        EXPECT_EQ(p.html.contains(QLatin1String("Stari tekst")), c.quoted);
        if (c.quoted) {
            EXPECT_TRUE(p.html.contains(QStringLiteral("FROM: Ivo Ivić [mailto:ivo@velmora.test]<br>SENT: ")));
            EXPECT_TRUE(p.html.contains(QStringLiteral("TO: Ana &lt;ana@velmora.test&gt;;maja@velmora.test<br>SUBJECT: Ponuda za ožujak<br><br><br>")));
            EXPECT_LT(p.html.indexOf(QLatin1String("Odgovor potpis")), p.html.indexOf(QLatin1String("FROM: ")));
            EXPECT_FALSE(p.html.contains(QLatin1String("script"), Qt::CaseInsensitive));
            EXPECT_FALSE(p.html.contains(QLatin1String("tracker.example")));
            EXPECT_FALSE(p.html.contains(QLatin1String("steal")));
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
    const QString inside = m_folder->file("Email/Files/slika.png");
    const struct {
        QString html;
        bool kept;
    } cases[] = {
        {QStringLiteral("<img src=\"cid:slika1\">"), true},
        {QStringLiteral("<img src=\"") + QUrl::fromLocalFile(inside).toString() + QStringLiteral("\">"), true},
        {QStringLiteral("<img src=\"https://x.example/p.png\">"), false},
        {QStringLiteral("<img src='//x.example/p.png'>"), false},
        {QStringLiteral("<img src=file:///etc/passwd>"), false},
        {QStringLiteral("<img src=\"../../etc/passwd\">"), false},
        {QStringLiteral("<p style=\"background:url(http://x.example/t)\">"), false},
        {QStringLiteral("<a href=\"javascript:alert(1)\">"), false},
    };
    for (const auto& c : cases) {
        const QString out = harmlessHtml(c.html, m_folder->path());
        EXPECT_EQ(out == c.html, c.kept) << c.html.toStdString() << " -> " << out.toStdString();
    }
    const QString cleaned = harmlessHtml(QStringLiteral("<p onclick=x()>a</p><SCRIPT>b()</SCRIPT><iframe src=x></iframe>"
                                                        "<link rel=stylesheet href=http://x><style>@import url(http://x)</style>c"),
                                         m_folder->path());
    EXPECT_EQ(cleaned, QStringLiteral("<p>a</p>c"));
}

TEST_F(EmailWindowTest, EachEditingKeyActsOnce)
{
    qputenv("VELMORA_PLUGIN_PATH", testsupport::binDir().toLocal8Bit());
    EmailWindow w(PreparedMail{}, 7, m_folder->path(), [](const OutgoingMail&) { return SendResult{}; });
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
}

// Sending from the window to a real SMTP server.
class EmailSendTest : public EmailWindowTest {
protected:
    void SetUp() override
    {
        if (const QString why = testsupport::SmtpServer::unavailableReason(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
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
            mm.CaFile = m_smtp.certificateFile();
            SendDeps deps;
            deps.store = &store;
            deps.mail = &mm;
            deps.dataFolder = m_folder->path();
            deps.today = [] { return 81240; };
            deps.clockNow = [] { return 100; };
            return sendMail(mail, deps);
        });
        w->ask = [this](const QString& q) {
            asked << q;
            return answer;
        };
        w->tell = [this](const QString& t) { told << t; };
        w->show();
        return w;
    }
    int sentRows()
    {
        return std::stoi(query("SELECT COUNT(*) FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1'").at(0));
    }

    testsupport::SmtpServer m_smtp;
    int accountId = 0;
    QStringList asked, told;
    bool answer = true;
};

TEST_F(EmailSendTest, PosaljiSendsStoresTheCopyAndCloses)
{
    PreparedMail p;
    p.from = QStringLiteral("Ana Anić <ana@velmora.test>");
    p.to = QStringLiteral("ivo@velmora.test");
    p.html = QStringLiteral("<html><body><p>Poštovani, šaljem ponudu.</p></body></html>");
    p.attachments = {kept};
    auto w = window(p);
    w->subject()->setText(QStringLiteral("Ponuda\r\nBcc: uljez@x.test"));
    w->zip()->setChecked(false);
    ASSERT_TRUE(w->sendNow()) << told.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(m_smtp.messages().size(), 1u);
    EXPECT_EQ(m_smtp.messages()[0].recipients, QStringList{QStringLiteral("ivo@velmora.test")});
    EXPECT_EQ(sentRows(), 1);
    // A line break typed into the subject starts no header of its own.
    const std::string sent = " FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1'";
    EXPECT_EQ(query("SELECT e.SUBJECT" + sent).at(0), "Ponuda  Bcc: uljez@x.test");
    EXPECT_EQ(query("SELECT COUNT(*) FROM EMAILATTACH WHERE IDEMAIL IN (SELECT e.ID" + sent + ")").at(0), "1");
}

TEST_F(EmailSendTest, RefusalsAndFailuresKeepTheEditorOpen)
{
    PreparedMail p;
    p.from = QStringLiteral("Ana Anić <ana@velmora.test>");
    p.to = QStringLiteral("ivo@velmora.test");
    auto w = window(p);

    // No subject: the answer No stops before anything else.
    answer = false;
    w->editor()->setDocumentHtml(QStringLiteral("<p>Tekst</p>"));
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(w->subject()->hasFocus() || !w->isActiveWindow());
    answer = true;

    // No text: said, and the wait cursor is not left behind.
    w->subject()->setText(QStringLiteral("Naslov"));
    w->editor()->setDocumentHtml(QStringLiteral("<p>  </p>"));
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(told.value(0), QStringLiteral("Poruka nema teksta. Upišite tekst poruke."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // No recipient.
    w->editor()->setDocumentHtml(QStringLiteral("<p>Tekst koji ostaje</p>"));
    w->to()->clear();
    EXPECT_FALSE(w->sendNow());
    EXPECT_EQ(told.value(1), QStringLiteral("Primatelj nije upisan !"));

    // The server refuses the password: nothing is lost and nothing is filed as sent.
    w->to()->setText(QStringLiteral("ivo@velmora.test"));
    ASSERT_EQ(query("UPDATE Accounts SET SMTPPASSWORD = 'kriva'").size(), 0u);
    EXPECT_FALSE(w->sendNow());
    EXPECT_TRUE(told.value(2).startsWith(QStringLiteral("Email nije poslan !"))) << told.value(2).toStdString();
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
