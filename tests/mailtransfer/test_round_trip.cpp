#include <gtest/gtest.h>

#include "controls/HtmlEditor.h"
#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "mailtransfer/EmailWindow.h"
#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"
#include "tests/support/Dovecot.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace korbelsteen;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Typed key by key, Croatian letters too (QTest's own typing knows only ASCII).
void type(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

// A new user's whole road: a message written in the editor as the mail program opens it, sent
// with "Pošalji" to a real SMTP server that delivers into a maildir, which a real POP3 server
// hands to `korbelsteen /SR` for the other account.
class EditorRoundTrip : public DataTest {
protected:
    void SetUp() override
    {
        if (const QString why = testsupport::SmtpServer::unavailableReason(); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        if (const QString why = testsupport::Dovecot::unavailableReason(); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        DataTest::SetUp();
        if (IsSkipped())
            return;
        W_First::OpenFilez();
        QString why;
        m_pop.addUser(QStringLiteral("ana"), QStringLiteral("lozinka1"));
        m_pop.addUser(QStringLiteral("ivo"), QStringLiteral("lozinka2"));
        ASSERT_TRUE(m_pop.start(&why)) << why.toStdString();
        testsupport::SmtpServer::Options o;
        o.maildir = m_pop.maildir(QStringLiteral("ivo"));
        m_smtp = std::make_unique<testsupport::SmtpServer>(o);
        ASSERT_TRUE(m_smtp->start(&why)) << why.toStdString();
        m_ana = addAccount("Ana Anić", "ana@velmora.test", "ana", "lozinka1", true);
        m_ivo = addAccount("Ivo Ivić", "ivo@velmora.test", "ivo", "lozinka2", false);
    }

    int addAccount(const char* name, const char* email, const char* popUser, const char* popPassword, bool sends)
    {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name;
        ACC().IMEPREZIME = name;
        ACC().EMAIL = email;
        ACC().POPHOSTNAME = "127.0.0.1";
        ACC().POPPORT = std::to_string(m_pop.port());
        ACC().POPUSERNAME = popUser;
        ACC().POPPASSWORD = popPassword;
        ACC().POPSSL = "0";
        if (sends) {
            ACC().SMTPHOST = "127.0.0.1";
            ACC().SMTPPORT = std::to_string(m_smtp->port());
            ACC().SMTPSSL = "2";
            ACC().SMTPUSERNAME = "posiljatelj";
            ACC().SMTPPASSWORD = "tajna";
            ACC().DEFAULT = 1;
        }
        EXPECT_EQ(Access(Tbl::Accounts).Insert(), 0);
        const int id = ACC().ID;
        EXPECT_TRUE(addMailFolders(id, {"xInbox", "xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"}));
        return id;
    }
    std::string folderOf(int account, const char* system)
    {
        return "(SELECT ID FROM INBOX WHERE ACCOUNTID = " + std::to_string(account) + " AND ENNAZIV = '" + system + "')";
    }

    testsupport::Dovecot m_pop;
    std::unique_ptr<testsupport::SmtpServer> m_smtp;
    testsupport::TempFolder m_outside; // the user's own files, outside the data folder
    int m_ana = 0, m_ivo = 0;
};

TEST_F(EditorRoundTrip, AMessageWrittenInTheEditorArrivesWholeInTheOtherAccount)
{
    const QString subject = QStringLiteral("Ponuda za ožujak: čćžšđ ČĆŽŠĐ");
    const QString text = QStringLiteral("Poštovani gospodine Iviću, šaljem ponudu i račun. Lijep pozdrav, Ana Đurđević");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(30, 120, 200));
    const QString png = m_outside.file("logo tvrtke.png");
    ASSERT_TRUE(picture.save(png));
    const QString first = m_outside.file(QStringLiteral("Račun 1.pdf"));
    const QString second = m_outside.file(QStringLiteral("Popis.txt"));
    QByteArray binary(70000, '\0');
    for (char& c : binary)
        c = char(QRandomGenerator::global()->bounded(256));
    writeAll(first, binary);
    writeAll(second, QStringLiteral("Stavke: šećer, čaj, đumbir\r\n.\r\n..točka na početku retka\n").toUtf8());

    testsupport::presenter().clear();
    bool driven = false;
    QTimer::singleShot(0, [&] {
        EmailWindow* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* e = qobject_cast<EmailWindow*>(top); e && e->isVisible())
                w = e;
        if (!w)
            return;
        driven = true;
        EXPECT_EQ(w->from()->text(), QStringLiteral("Ana Anić <ana@velmora.test>"));
        type(w->to(), QStringLiteral("Ivo Ivić <ivo@velmora.test>"));
        type(w->subject(), subject);
        QTextEdit* edit = w->editor()->textEdit();
        edit->setFocus();
        edit->moveCursor(QTextCursor::Start);
        type(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        w->editor()->pickImage = [&] { return png; };
        w->editor()->button(QStringLiteral("Image"))->trigger();
        w->addAttachments({first, second});
        w->zip()->setChecked(false);
        QTest::mouseClick(w->sendButton(), Qt::LeftButton);
        if (w->isVisible()) // a failed send leaves it open; the test must not hang on it
            w->close();
    });
    const int code = runEditor({QStringLiteral("/"), QStringLiteral("/1"), QStringLiteral("/0"), QStringLiteral("/")},
                               m_folder->path(), [this](controls::MailManager& mm) { mm.CaFile = m_smtp->certificateFile(); });
    ASSERT_TRUE(driven) << "the editor did not open";
    ASSERT_EQ(code, 0) << testsupport::presenter().texts().join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(m_smtp->messages().size(), 1u);
    EXPECT_EQ(m_smtp->messages()[0].recipients, QStringList{QStringLiteral("ivo@velmora.test")});
    EXPECT_EQ(query("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + folderOf(m_ana, "xSent_1")).at(0), "1");
    ASSERT_EQ(m_pop.messageCount(QStringLiteral("ivo")), 1) << "delivered into the maildir the POP3 server serves";

    QProcess receive;
    receive.setWorkingDirectory(m_folder->path());
    receive.setProcessChannelMode(QProcess::MergedChannels);
    receive.start(testsupport::binDir() + QStringLiteral("/korbelsteen"), {QStringLiteral("/SR")});
    ASSERT_TRUE(receive.waitForStarted());
    if (!receive.waitForFinished(120000)) {
        receive.kill();
        FAIL() << "korbelsteen /SR did not end: " << receive.readAll().toStdString();
    }
    ASSERT_EQ(receive.exitCode(), 0) << receive.readAll().toStdString();

    const std::string inbox = " FROM EMAIL WHERE INBOXID = " + folderOf(m_ivo, "xInbox_1");
    ASSERT_EQ(query("SELECT COUNT(*)" + inbox).at(0), "1");
    EXPECT_EQ(query("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + folderOf(m_ana, "xInbox_1")).at(0), "0");
    EXPECT_EQ(QString::fromStdString(query("SELECT SUBJECT" + inbox).at(0)), subject);
    EXPECT_EQ(QString::fromStdString(query("SELECT SENDER" + inbox).at(0)), QStringLiteral("Ana Anić"));
    EXPECT_EQ(query("SELECT REPLYTO" + inbox).at(0), "ana@velmora.test");
    const qint64 id = std::stoll(query("SELECT ID" + inbox).at(0));
    const QString messageId = QString::fromStdString(query("SELECT MESSAGEID" + inbox).at(0));

    // The text, and the picture as a file of the message that the body shows in its place.
    const QString body = QString::fromUtf8(readAll(controls::bodyFilePath(m_folder->path(), messageId)));
    EXPECT_TRUE(body.contains(QStringLiteral("šaljem ponudu i račun"))) << body.toStdString();
    EXPECT_FALSE(body.contains(QStringLiteral("cid:"))) << "the picture points at its stored file";
    const QString files = m_folder->file(QStringLiteral("Email/Files"));
    const QRegularExpressionMatch img =
        QRegularExpression(QStringLiteral("<img[^>]*src=\"([^\"]*)\"")).match(body);
    ASSERT_TRUE(img.hasMatch()) << body.toStdString();
    const QString picturePath =
        QUrl::fromLocalFile(m_folder->file("Email") + QLatin1Char('/')).resolved(QUrl(img.captured(1))).toLocalFile();
    EXPECT_TRUE(QFileInfo(picturePath).fileName().startsWith(controls::storedPartPrefix(id))) << picturePath.toStdString();
    EXPECT_EQ(readAll(picturePath), readAll(png)) << picturePath.toStdString();

    // Both attachments, byte for byte, under their own names.
    const auto names = query("SELECT NAZIV FROM EMAILATTACH WHERE IDEMAIL = " + std::to_string(id) + " ORDER BY ID");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(QString::fromStdString(names[0]), QStringLiteral("Račun 1.pdf"));
    EXPECT_EQ(QString::fromStdString(names[1]), QStringLiteral("Popis.txt"));
    EXPECT_EQ(readAll(controls::attachmentFile(files, id, QString::fromStdString(names[0]))), binary);
    EXPECT_EQ(readAll(controls::attachmentFile(files, id, QString::fromStdString(names[1]))), readAll(second));
}
