#include <gtest/gtest.h>

#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "protocols/MimeMessage.h"
#include "data/Dictionary.h"
#include "mailtransfer/SendMail.h"
#include "procedures/common/OpenFiles.h"
#include "tests/mailtransfer/SendFakes.h"
#include "tests/data/DataFixture.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestSupport.h"
#include "tests/support/FileModes.h"

#include <QFile>
#include <QFileInfo>

using namespace korbelsteen;

TEST(SendAddresses, SplittingAndReducingAsTyped)
{
    struct Case {
        const char* field;
        QStringList entries;
    };
    const std::vector<Case> cases = {
        {"a@x.hr", {"a@x.hr"}},
        {"a@x.hr;b@x.hr;a@x.hr", {"a@x.hr", "b@x.hr"}},
        {"a@x.hr;", {"a@x.hr"}},
        {";a@x.hr", {"", "a@x.hr"}},
        {"a@x.hr;;b@x.hr", {"a@x.hr", "", "b@x.hr"}},
        {"a@x.hr; b@x.hr   ", {"a@x.hr", " b@x.hr"}},
        {"", {}},
        {"Ana Anić <ana@x.hr>;ana@x.hr", {"Ana Anić <ana@x.hr>", "ana@x.hr"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitAddressList(QString::fromUtf8(c.field)), c.entries) << c.field;

    const std::vector<std::pair<const char*, const char*>> reduced = {
        {"Ana Anić <ana@x.hr>", "ana@x.hr"},
        {"ana@x.hr", "ana@x.hr"},
        {"<ana@x.hr>", "ana@x.hr"},
        {"Ana <ana@x.hr", "ana@x.hr"},
        {"a <b <c@x.hr>", "a <b <c@x.hr>"},
    };
    for (const auto& [entry, address] : reduced)
        EXPECT_EQ(extractAddress(QString::fromUtf8(entry)), QString::fromUtf8(address)) << entry;

    std::vector<SmtpAccount> accounts = {{1, "a@x.hr", "", "", "", 0, 0, true},
                                         {2, "b@x.hr", "smtp.b", "", "", 0, 0, true},
                                         {3, "c@x.hr", "smtp.c", "", "", 0, 0, false}};
    EXPECT_EQ(sendingAccount(accounts, 3)->id, 3) << "the picked account sends through its own server";
    EXPECT_EQ(sendingAccount(accounts, 1)->id, 2) << "a picked account without a server falls back";
    EXPECT_EQ(sendingAccount(accounts, 0)->id, 2);
    accounts[1].isDefault = false;
    EXPECT_FALSE(sendingAccount(accounts, 0));
}

// Sending from the editor's saved document to a real SMTP server, with the Sent copy in the
// real database.
class SendMailTest : public DataTest {
protected:
    void SetUp() override
    {
        if (const QString why = testsupport::SmtpServer::unavailableReason(); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        DataTest::SetUp();
        if (IsSkipped())
            return;
        W_First::OpenFilez();
        QString why;
        ASSERT_TRUE(m_smtp.start(&why)) << why.toStdString();
        m_account = addAccount(QStringLiteral("Ana Anić"), QStringLiteral("ana@velmora.test"), m_smtp, true);
        html = m_folder->file("HtmlFile.html");
        writeDocument();
        attachment = m_folder->file("Ponuda.pdf");
        QFile f(attachment);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'p'));
    }
    void writeDocument()
    {
        QFile f(html);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<html><body><p>Poštovani, u prilogu je ponuda.</p></body></html>").toUtf8());
    }
    int addAccount(const QString& name, const QString& email, const testsupport::SmtpServer& server, bool isDefault,
                   const QString& password = QStringLiteral("tajna"))
    {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name.toStdString();
        ACC().EMAIL = email.toStdString();
        ACC().SMTPHOST = "127.0.0.1";
        ACC().SMTPPORT = std::to_string(server.port());
        ACC().SMTPSSL = "2";
        ACC().SMTPUSERNAME = "posiljatelj";
        ACC().SMTPPASSWORD = password.toStdString();
        ACC().DEFAULT = isDefault ? 1 : 0;
        EXPECT_EQ(Access(Tbl::Accounts).Insert(), 0);
        const int account = ACC().ID;
        EXPECT_TRUE(addMailFolders(account, {"xInbox_1", "xSent_1"}));
        return account;
    }
    SendResult send(const OutgoingMail& mail)
    {
        DatabaseSendStore store;
        controls::MailManager mm;
        mm.CaFile = m_smtp.certificateFile();
        FixedSendSide side(81234, 4500001);
        return sendMail(mail, {&store, &mm, m_folder->path()}, side);
    }
    OutgoingMail mail() const
    {
        OutgoingMail m;
        m.from = QStringLiteral("Ana Anić <ana@velmora.test>");
        m.to = QStringLiteral("Ivo Ivić <ivo@velmora.test>;maja@velmora.test;ivo@velmora.test");
        m.subject = QStringLiteral("Ponuda čćž");
        m.htmlFile = html;
        m.attachments = {attachment};
        return m;
    }
    int count(const std::string& sql) { return std::stoi(query(sql).at(0)); }

    testsupport::SmtpServer m_smtp;
    int m_account = 0;
    QString html, attachment;
};

TEST_F(SendMailTest, ASentMessageIsStoredOnceInTheSendingAccountsSentFolder)
{
    // A name from earlier mail is the recipient's display name.
    Access(Tbl::EMAIL).clearBuffer();
    EM().REPLYTO = "maja@velmora.test";
    EM().SENDER = "Maja Marić";
    EM().MESSAGEID = "1_stara";
    ASSERT_EQ(Access(Tbl::EMAIL).Insert(), 0);

    testsupport::ScopedUmask openToAll(0);
    const SendResult r = send(mail());
    ASSERT_TRUE(r.sent) << r.error.toStdString();
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    const auto got = m_smtp.messages();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].recipients, (QStringList{QStringLiteral("ivo@velmora.test"), QStringLiteral("maja@velmora.test")}));
    const controls::MimeMessage sent = controls::MimeMessage::fromBytes(got[0].bytes);
    EXPECT_EQ(sent.subject(), QStringLiteral("Ponuda čćž"));
    ASSERT_EQ(sent.NumTo(), 2);
    EXPECT_EQ(sent.GetToName(1), QStringLiteral("Maja Marić"));
    EXPECT_EQ(sent.NumAttachments(), 1);

    const std::string where = " FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID WHERE i.ENNAZIV = 'xSent_1' AND i.ACCOUNTID = "
                              + std::to_string(m_account);
    ASSERT_EQ(count("SELECT COUNT(*)" + where), 1);
    // The copy lists the recipients as typed, each once.
    EXPECT_EQ(query("SELECT e.TOO" + where).at(0), "Ivo Ivić <ivo@velmora.test>;maja@velmora.test;ivo@velmora.test");
    EXPECT_EQ(query("SELECT e.MESSAGEID" + where).at(0), "812344500001");
    EXPECT_EQ(query("SELECT e.READ" + where).at(0), "1");
    EXPECT_EQ(query("SELECT e.REPLYTO" + where).at(0), "ana@velmora.test");
    EXPECT_NE(query("SELECT e.BODY" + where).at(0).find("u prilogu je ponuda"), std::string::npos);
    EXPECT_TRUE(QFileInfo::exists(controls::bodyFilePath(m_folder->path(), QStringLiteral("812344500001"))));
    EXPECT_FALSE(QFileInfo::exists(html)) << "the document became the copy's body file";
    ASSERT_EQ(count("SELECT COUNT(*) FROM EMAILATTACH WHERE IDEMAIL = " + std::to_string(r.sentCopyId)), 1);
    EXPECT_EQ(query("SELECT NAZIV FROM EMAILATTACH WHERE IDEMAIL = " + std::to_string(r.sentCopyId)).at(0), "Ponuda.pdf");
    EXPECT_TRUE(QFileInfo::exists(controls::attachmentFile(m_folder->file("Email/Files"), r.sentCopyId,
                                                           QStringLiteral("Ponuda.pdf"))));
    // The copy's body and attachment are the user's alone, whatever the umask.
    EXPECT_EQ(testsupport::notPrivate(m_folder->file("Email")), QStringList());

    // A second message in the same hundredth of a second gets an id of its own.
    writeDocument();
    const SendResult again = send(mail());
    ASSERT_TRUE(again.sent && again.error.isEmpty()) << again.error.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*)" + where), 2);
    EXPECT_EQ(count("SELECT COUNT(DISTINCT e.MESSAGEID)" + where), 2);
}

TEST_F(SendMailTest, AFailedSendKeepsEverythingAndStoresNoCopy)
{
    struct Case {
        const char* name;
        std::function<void(OutgoingMail&)> spoil;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"wrong password", [this](OutgoingMail&) { ASSERT_EQ(query("UPDATE Accounts SET SMTPPASSWORD = 'kriva'").size(), 0u); },
         "Email nije poslan !"},
        {"no recipient", [](OutgoingMail& m) { m.to = QStringLiteral(" ; "); }, "Primatelj nije upisan !"},
        {"missing attachment", [this](OutgoingMail& m) { m.attachments << m_folder->file("nema.pdf"); }, "AddAttach ERROR :"},
        {"no SMTP server", [this](OutgoingMail&) { ASSERT_EQ(query("UPDATE Accounts SET SMTPHOST = ''").size(), 0u); },
         "Standardni SMTP host nije definiran"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutgoingMail m = mail();
        c.spoil(m);
        const SendResult r = send(m);
        EXPECT_FALSE(r.sent);
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
        EXPECT_TRUE(QFileInfo::exists(html)) << "the document is kept for the next try";
        EXPECT_EQ(count("SELECT COUNT(*) FROM EMAIL"), 0);
        query("UPDATE Accounts SET SMTPPASSWORD = 'tajna', SMTPHOST = '127.0.0.1'");
    }
    EXPECT_TRUE(m_smtp.messages().empty());
}

TEST_F(SendMailTest, ThePickedAccountSendsThroughItsOwnServer)
{
    testsupport::SmtpServer other;
    QString why;
    ASSERT_TRUE(other.start(&why)) << why.toStdString();
    const int second = addAccount(QStringLiteral("Tvrtka"), QStringLiteral("ured@tvrtka.test"), other, false);
    OutgoingMail m = mail();
    m.accountId = second;
    m.from = QStringLiteral("Tvrtka <ured@tvrtka.test>");
    DatabaseSendStore store;
    controls::MailManager mm;
    mm.CaFile = other.certificateFile();
    FixedSendSide side(81234, 1);
    const SendResult r = sendMail(m, {&store, &mm, m_folder->path()}, side);
    ASSERT_TRUE(r.sent && r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(other.messages().size(), 1u);
    EXPECT_TRUE(m_smtp.messages().empty());
    EXPECT_EQ(query("SELECT i.ACCOUNTID FROM EMAIL e JOIN Inbox i ON i.ID = e.INBOXID").at(0), std::to_string(second));
}
