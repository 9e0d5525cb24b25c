#include <gtest/gtest.h>

#include "controls/MailNames.h"
#include "data/Dictionary.h"
#include "mailtransfer/DatabaseStore.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "procedures/common/OpenFiles.h"
#include "runtime/IniFile.h"
#include "runtime/SqliteDialect.h"
#include "tests/support/MailSamples.h"
#include "tests/mailtransfer/MailServerFixture.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace ms = mailsamples;

// `korbelsteen /SR` as the organiser starts it: its own process, in the data folder, against a
// real Dovecot, writing into the real database.
class KorbelsteenProgram : public MailServerTest<KorbelsteenProgram> {
protected:
    static void SetUpTestSuite()
    {
        startServer([](testsupport::Dovecot& d) {
            d.addUser(QStringLiteral("ivana"), QStringLiteral("lozinka1"));
            d.addUser(QStringLiteral("marko"), QStringLiteral("lozinka2"));
            d.addUser(QStringLiteral("bulk"), QStringLiteral("lozinka3"));
            for (const QByteArray& m : {ms::plainUtf8(), ms::plainWindows1250(), ms::plainIso88592(),
                                        ms::htmlWithInlineImage(), ms::twoAttachments(), ms::noMessageIdNoSender(),
                                        ms::malformed(), ms::large(4), ms::markupInPlainText(),
                                        ms::withReplyTo(QStringLiteral("a@b.hr"), QStringLiteral("spam@x.hr"), QStringLiteral("reklama"))})
                d.deliver(QStringLiteral("ivana"), m);
            for (int i = 0; i < 3; ++i)
                d.deliver(QStringLiteral("marko"), ms::sized(i, 2000));
            for (int i = 0; i < 400; ++i)
                d.deliver(QStringLiteral("bulk"), i % 5 ? ms::sized(i, 4000) : ms::twoAttachments());
        });
    }

    void addAccount(const QString& name, const QString& user, const QString& password)
    {
        ASSERT_NE(addServerAccount(name.toStdString(), user.toStdString(), password.toStdString()), 0);
    }
    int folder(const QString& account, const char* system)
    {
        return number("SELECT I.ID FROM INBOX I JOIN ACCOUNTS A ON A.ID = I.ACCOUNTID WHERE A.NAZIV = '" +
                      account.toStdString() + "' AND I.ENNAZIV = '" + system + "'");
    }
    int number(const std::string& sql)
    {
        const auto r = query(sql);
        return r.empty() ? -1 : std::stoi(r[0]);
    }
    // The file of every EMAILATTACH row.
    QStringList attachmentFiles()
    {
        QStringList out;
        for (const std::string& row : query("SELECT IDEMAIL || '/' || NAZIV FROM EMAILATTACH")) {
            const QString r = QString::fromStdString(row);
            const qsizetype cut = r.indexOf(QLatin1Char('/'));
            out << controls::attachmentFile(m_folder->file(QStringLiteral("Email/Files")), r.left(cut).toLongLong(), r.mid(cut + 1));
        }
        return out;
    }
    QProcess* start()
    {
        auto* p = new QProcess;
        p->setWorkingDirectory(m_folder->path());
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(testsupport::binDir() + QStringLiteral("/korbelsteen"), {QStringLiteral("/SR")});
        return p;
    }
    void runToEnd()
    {
        std::unique_ptr<QProcess> p(start());
        ASSERT_TRUE(p->waitForStarted());
        if (!p->waitForFinished(120000)) {
            p->kill();
            FAIL() << "korbelsteen did not end: " << p->readAll().toStdString();
        }
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
};

TEST_F(KorbelsteenProgram, ReceivesEveryAccountOnceIntoTheDatabase)
{
    addAccount(QStringLiteral("Ivana"), QStringLiteral("ivana"), QStringLiteral("lozinka1"));
    addAccount(QStringLiteral("Marko"), QStringLiteral("marko"), QStringLiteral("lozinka2"));
    // A message the user marked as junk earlier.
    Access(Tbl::EMAIL).clearBuffer();
    EM().INBOXID = folder(QStringLiteral("Ivana"), "xJunk_1");
    EM().MESSAGEID = "stara";
    EM().SIZE_DECIMAL = "0";
    EM().JUNKDOMAIN = "spam@x.hr";
    ASSERT_EQ(Access(Tbl::EMAIL).Insert(), 0);

    runToEnd();

    const int inbox = folder(QStringLiteral("Ivana"), "xInbox_1"), junk = folder(QStringLiteral("Ivana"), "xJunk_1");
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + std::to_string(inbox)), 9);
    EXPECT_EQ(query("SELECT SUBJECT FROM EMAIL WHERE INBOXID = " + std::to_string(junk) + " AND MESSAGEID <> 'stara'"),
              std::vector<std::string>{"reklama"});
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + std::to_string(folder(QStringLiteral("Marko"), "xInbox_1"))), 3)
        << "the same server ids in a second mailbox";
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE READ = 0 AND MESSAGEID <> 'stara'"), 13) << "new mail is unread";
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE SUBJECT = '" + ms::croatian().toStdString() + "'"), 3);
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE JUNKDOMAIN <> '' AND MESSAGEID <> 'stara'"), 0);

    for (const std::string& id : query("SELECT MESSAGEID FROM EMAIL WHERE MESSAGEID <> 'stara'"))
        EXPECT_TRUE(QFile::exists(m_folder->path() + QStringLiteral("/Email/") + controls::bodyFileName(QString::fromStdString(id)))) << id;
    EXPECT_EQ(attachmentFiles().size(), 3u) << "two of one message, one big";
    for (const QString& file : attachmentFiles())
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    EXPECT_EQ(vrt::IniFile(m_folder->file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")),
              QStringLiteral("2"));

    runToEnd();
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL"), 14) << "a second run stores nothing new";
    EXPECT_EQ(s.server->messageCount(QStringLiteral("ivana")), 10) << "messages stay on the server";
}

TEST_F(KorbelsteenProgram, EachRowIsWrittenOnceUnderTheNumberItsFilesCarry)
{
    addAccount(QStringLiteral("Ivana"), QStringLiteral("ivana"), QStringLiteral("lozinka1"));
    // A row stored and deleted earlier: its number is never given out again.
    Access(Tbl::EMAIL).clearBuffer();
    EM().MESSAGEID = "obrisana";
    EM().SIZE_DECIMAL = "0";
    ASSERT_EQ(Access(Tbl::EMAIL).Insert(), 0);
    const int deleted = EM().ID;
    ASSERT_EQ(Access(Tbl::EMAIL).DeleteRecord(), 0);
    query("CREATE TABLE EMAILWRITES (ID INTEGER)");
    query("CREATE TRIGGER EMAILREWRITTEN AFTER UPDATE ON EMAIL BEGIN INSERT INTO EMAILWRITES VALUES (NEW.ID); END");

    runToEnd();
    EXPECT_EQ(count("EMAIL"), 10);
    EXPECT_EQ(count("EMAILWRITES"), 0) << "no row is written a second time";
    EXPECT_EQ(number("SELECT MIN(ID) FROM EMAIL"), deleted + 1);
    const auto ids = query("SELECT MESSAGEID || '/' || SIZE_DECIMAL FROM EMAIL");
    for (const std::string& row : ids) {
        const QString r = QString::fromStdString(row);
        const QFileInfo body(m_folder->path() + QStringLiteral("/Email/") + controls::bodyFileName(r.section(QLatin1Char('/'), 0, 0)));
        EXPECT_EQ(QString::number(body.size()), r.section(QLatin1Char('/'), 1)) << row;
    }
    // The inline image is named after its row, and the body written with the row points at it.
    const int html = number("SELECT ID FROM EMAIL WHERE SUBJECT = 'HTML s slikom'");
    const QString image = QStringLiteral("Files/%1_logo.png").arg(html);
    EXPECT_TRUE(QFile::exists(m_folder->path() + QStringLiteral("/Email/") + image));
    QFile body(m_folder->path() + QStringLiteral("/Email/") +
               controls::bodyFileName(QString::fromStdString(query("SELECT MESSAGEID FROM EMAIL WHERE ID = " + std::to_string(html))[0])));
    ASSERT_TRUE(body.open(QIODevice::ReadOnly));
    EXPECT_TRUE(body.readAll().contains(image.toUtf8()));
}

TEST_F(KorbelsteenProgram, KilledMidReceiveLosesNothingAndStoresNothingTwice)
{
    addAccount(QStringLiteral("Bulk"), QStringLiteral("bulk"), QStringLiteral("lozinka3"));
    for (int kill = 0; kill < 2; ++kill) {
        std::unique_ptr<QProcess> p(start());
        ASSERT_TRUE(p->waitForStarted());
        const int before = number("SELECT COUNT(*) FROM EMAIL");
        for (int i = 0; i < 1000 && number("SELECT COUNT(*) FROM EMAIL") < before + 30; ++i)
            QThread::msleep(10);
        p->kill(); // SIGKILL: no clean-up of any kind
        p->waitForFinished();
    }
    const int afterKills = number("SELECT COUNT(*) FROM EMAIL");
    EXPECT_GT(afterKills, 0);
    EXPECT_LT(afterKills, 400) << "the kills came too late to test anything";
    // The killed receive left its flag and its lock; the organiser sees that no one holds it.
    EXPECT_EQ(vrt::IniFile(m_folder->file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")),
              QStringLiteral("1"));
    EXPECT_TRUE(QFileInfo::exists(organiser::korbelsteen::receiveLockPath(m_folder->path())));
    EXPECT_FALSE(organiser::korbelsteen::receiveHolderAlive(m_folder->path()));

    runToEnd();
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL"), 400);
    EXPECT_EQ(number("SELECT COUNT(DISTINCT MESSAGEID) FROM EMAIL"), 400);
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAILATTACH"), 2 * 80);
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAILATTACH WHERE IDEMAIL NOT IN (SELECT ID FROM EMAIL)"), 0);
    for (const QString& file : attachmentFiles())
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    // No row points at a missing or cut body file.
    const auto ids = query("SELECT MESSAGEID FROM EMAIL ORDER BY ID");
    const auto sizes = query("SELECT SIZE_DECIMAL FROM EMAIL ORDER BY ID");
    ASSERT_EQ(ids.size(), sizes.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        const QFileInfo body(m_folder->path() + QStringLiteral("/Email/") +
                             controls::bodyFileName(QString::fromStdString(ids[i])));
        EXPECT_TRUE(body.exists()) << ids[i];
        EXPECT_GT(body.size(), 0) << ids[i];
        EXPECT_EQ(QString::number(body.size()).toStdString(), sizes[i]) << ids[i];
    }
}

TEST_F(KorbelsteenProgram, TheReceiveStoreCheckpointsLessOftenAndAnotherConnectionSeesItsRows)
{
    addAccount(QStringLiteral("Shared"), QStringLiteral("shared"), QStringLiteral("lozinka4"));
    korbelsteen::DatabaseStore store;
    EXPECT_EQ(number("PRAGMA wal_autocheckpoint"), vrt::dialect::ManyCommitsCheckpointPages);
    const std::vector<korbelsteen::Account> accounts = store.accounts();
    ASSERT_FALSE(accounts.empty());
    korbelsteen::StoreError error;
    const std::optional<int> inbox = store.folderOf(accounts.back().id, QStringLiteral("xInbox_1"), &error);
    ASSERT_TRUE(inbox) << error.text.toStdString();

    // The other program's connection keeps the default and sees each commit at once.
    vrt::odbc::Connection other;
    ASSERT_TRUE(other.open(W_First::connectionString(m_folder->path()))) << other.error().text;
    const auto otherNumber = [&other](const std::string& sql) {
        vrt::odbc::Statement s(other);
        EXPECT_TRUE(s.execDirect(sql)) << s.error().text;
        return s.fetch() ? s.integer(1).value_or(-1) : -1;
    };
    EXPECT_EQ(otherNumber("PRAGMA wal_autocheckpoint"), 1000);
    for (int i = 0; i < 3; ++i) {
        korbelsteen::EmailRow row;
        row.inboxId = *inbox;
        row.messageId = QStringLiteral("shared_%1").arg(i);
        ASSERT_TRUE(store.storeMessage(row, [](auto&, auto&, auto*) { return true; }, &error))
            << error.text.toStdString();
        EXPECT_EQ(otherNumber("SELECT COUNT(*) FROM EMAIL WHERE MESSAGEID LIKE 'shared_%'"), i + 1);
    }
}

TEST_F(KorbelsteenProgram, ABatchKeepsEveryMessageButTheFailedOnesAndShowsThemAtItsCommit)
{
    addAccount(QStringLiteral("Batch"), QStringLiteral("batch"), QStringLiteral("lozinka5"));
    korbelsteen::DatabaseStore store;
    korbelsteen::StoreError error;
    const std::optional<int> inbox = store.folderOf(store.accounts().back().id, QStringLiteral("xInbox_1"), &error);
    ASSERT_TRUE(inbox) << error.text.toStdString();
    vrt::odbc::Connection other;
    ASSERT_TRUE(other.open(W_First::connectionString(m_folder->path()))) << other.error().text;
    const auto seenByOther = [&other] {
        vrt::odbc::Statement s(other);
        EXPECT_TRUE(s.execDirect("SELECT group_concat(MESSAGEID, ',') FROM (SELECT MESSAGEID FROM EMAIL "
                                 "WHERE MESSAGEID LIKE 'batch_%' ORDER BY ID)"))
            << s.error().text;
        return s.fetch() ? s.text(1).value_or("") : std::string("?");
    };
    const auto store1 = [&](const QString& id, bool prepared) {
        korbelsteen::EmailRow row;
        row.inboxId = *inbox;
        row.messageId = id;
        return store.storeMessage(row, [prepared](auto&, auto&, korbelsteen::StoreError* e) {
            if (!prepared)
                *e = {korbelsteen::StoreError::AttachSave, 0, QStringLiteral("no room for the file")};
            return prepared;
        }, &error);
    };

    ASSERT_TRUE(store.beginBatch());
    EXPECT_TRUE(store1(QStringLiteral("batch_a"), true)) << error.text.toStdString();
    EXPECT_FALSE(store1(QStringLiteral("batch_b"), false)); // its files failed
    EXPECT_FALSE(store1(QStringLiteral("batch_a"), true));  // stored already: the insert fails
    EXPECT_TRUE(store1(QStringLiteral("batch_c"), true)) << error.text.toStdString();
    EXPECT_EQ(seenByOther(), "") << "nothing is seen before the commit";
    ASSERT_TRUE(store.commitBatch(&error)) << error.text.toStdString();
    EXPECT_EQ(seenByOther(), "batch_a,batch_c");

    // Out of a batch each message commits at once, as before.
    EXPECT_TRUE(store1(QStringLiteral("batch_d"), true)) << error.text.toStdString();
    EXPECT_EQ(seenByOther(), "batch_a,batch_c,batch_d");
}
