// Deleting mail for good after a real receive: the message goes on the POP3 server (Dovecot on
// loopback), its row, its attachment rows, its body file and its attachment files; a server
// that refuses keeps everything.
#include <gtest/gtest.h>

#include "controls/MailManager.h"
#include "controls/MailNames.h"
#include "data/Dictionary.h"
#include "procedures/mail/MailDelete.h"
#include "procedures/common/OpenFiles.h"
#include "procedures/mail/MailPane.h"
#include "tests/data/DataFixture.h"
#include "tests/mailtransfer/MailServerFixture.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>

namespace ms = mailsamples;

namespace {

class MailDeleteForGood : public MailServerTest<MailDeleteForGood> {
protected:
    static void SetUpTestSuite()
    {
        startServer([](testsupport::Dovecot& d) {
            for (const char* user : {"brisi", "odbij", "nestalo"}) {
                d.addUser(QString::fromLatin1(user), QStringLiteral("lozinka"));
                for (const QByteArray& m : {ms::plainUtf8(), ms::twoAttachments(), ms::htmlWithInlineImage()})
                    d.deliver(QString::fromLatin1(user), m);
            }
        });
    }

    // An account on the server with its folders; its mail received as the organiser does.
    int receive(const char* user)
    {
        const int account = addServerAccount(user, user, "lozinka");
        QProcess p;
        p.setWorkingDirectory(m_folder->path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(testsupport::binDir() + QStringLiteral("/korbelsteen"), {QStringLiteral("/SR")});
        EXPECT_TRUE(p.waitForFinished(120000)) << p.readAll().toStdString();
        return account;
    }
    std::vector<long> mails(int account)
    {
        std::vector<long> ids;
        for (const std::string& id : query("SELECT E.ID FROM EMAIL E JOIN INBOX I ON I.ID = E.INBOXID WHERE I.ACCOUNTID = "
                                           + std::to_string(account) + " ORDER BY E.ID"))
            ids.push_back(std::stol(id));
        return ids;
    }
    // Every file the account's mail has on disk.
    QStringList files(int account)
    {
        QStringList out;
        const std::string a = std::to_string(account);
        for (const std::string& id : query("SELECT E.MESSAGEID FROM EMAIL E JOIN INBOX I ON I.ID = E.INBOXID WHERE I.ACCOUNTID = " + a))
            out << controls::bodyFilePath(m_folder->path(), QString::fromStdString(id));
        for (const std::string& row : query("SELECT A.IDEMAIL || '/' || A.NAZIV FROM EMAILATTACH A JOIN EMAIL E ON E.ID = A.IDEMAIL "
                                            "JOIN INBOX I ON I.ID = E.INBOXID WHERE I.ACCOUNTID = " + a)) {
            const QString r = QString::fromStdString(row);
            const qsizetype cut = r.indexOf(QLatin1Char('/'));
            out << controls::attachmentFile(m_folder->file(QStringLiteral("Email/Files")), r.left(cut).toLongLong(), r.mid(cut + 1));
        }
        return out;
    }
    int attachmentRows() { return std::stoi(query("SELECT COUNT(*) FROM EMAILATTACH")[0]); }
};

TEST_F(MailDeleteForGood, ServerHoldingRefusingOrNoLongerHoldingTheMail)
{
    struct Case {
        const char* user;
        bool wrongPassword; // the server refuses the session
        bool goneOnServer;  // the server lost the mail before
        int deleted, kept;
    };
    for (const Case c : {Case{"brisi", false, false, 4, 0}, Case{"odbij", true, false, 1, 3}, Case{"nestalo", false, true, 4, 0}}) {
        SCOPED_TRACE(c.user);
        const int account = receive(c.user);
        std::vector<long> ids = mails(account);
        ASSERT_EQ(ids.size(), 3u);
        ASSERT_EQ(s.server->messageCount(QString::fromLatin1(c.user)), 3);
        // A sent copy of this account: no UIDL, only its body file.
        const std::string sentFolder = query("SELECT ID FROM INBOX WHERE ENNAZIV = 'xSent_1' AND ACCOUNTID = " + std::to_string(account))[0];
        const std::string copy = std::string("2026121112") + std::to_string(account);
        query("INSERT INTO EMAIL (INBOXID, MESSAGEID, SIZE_DECIMAL) VALUES (" + sentFolder + ", '" + copy + "', 0)");
        QFile body(controls::bodyFilePath(m_folder->path(), QString::fromStdString(copy)));
        ASSERT_TRUE(body.open(QIODevice::WriteOnly));
        body.close();
        ids = mails(account);
        const QStringList before = files(account);
        ASSERT_GE(before.size(), 6) << "bodies and attachment files";
        for (const QString& f : before)
            ASSERT_TRUE(QFile::exists(f)) << f.toStdString();
        const int attachments = attachmentRows();
        ASSERT_GT(attachments, 0);
        // The attachment strips shown for them.
        for (long id : ids)
            ASSERT_TRUE(organiser::writeAttachmentPage(organiser::attachmentPagePath(m_folder->path(), id), QStringLiteral("x")));

        if (c.wrongPassword)
            query("UPDATE ACCOUNTS SET POPPASSWORD = 'kriva' WHERE ID = " + std::to_string(account));
        if (c.goneOnServer) {
            controls::MailManager m;
            m.MailHost = QStringLiteral("127.0.0.1");
            m.MailPort = s.server->port();
            m.PopUsername = QString::fromLatin1(c.user);
            m.PopPassword = QStringLiteral("lozinka");
            const auto uidls = m.GetUidls();
            ASSERT_TRUE(uidls);
            for (const QString& u : *uidls)
                ASSERT_TRUE(m.DeleteByUidl(u));
            m.Pop3EndSession();
            ASSERT_EQ(s.server->messageCount(QString::fromLatin1(c.user)), 0);
        }

        const organiser::ForGood done = organiser::deleteMailsForGood(account, ids, m_folder->path());
        EXPECT_EQ(done.deleted, c.deleted);
        EXPECT_EQ(done.kept, c.kept);
        EXPECT_EQ(done.why.isEmpty(), c.kept == 0) << done.why.toStdString();
        EXPECT_EQ(mails(account).size(), size_t(c.kept));
        EXPECT_EQ(s.server->messageCount(QString::fromLatin1(c.user)), c.kept);
        EXPECT_FALSE(body.exists()) << "the sent copy goes here whatever the server says";
        const std::vector<long> left = mails(account);
        for (long id : ids)
            EXPECT_EQ(QFile::exists(organiser::attachmentPagePath(m_folder->path(), id)),
                      std::find(left.begin(), left.end(), id) != left.end()) << id;
        if (c.kept == 0) {
            EXPECT_EQ(attachmentRows(), 0);
            for (const QString& f : before)
                EXPECT_FALSE(QFile::exists(f)) << f.toStdString();
        } else {
            EXPECT_EQ(attachmentRows(), attachments);
            for (const QString& f : files(account))
                EXPECT_TRUE(QFile::exists(f)) << f.toStdString();
        }
        query("DELETE FROM EMAILATTACH");
    }
}

} // namespace
