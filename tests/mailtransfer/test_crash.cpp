#include <gtest/gtest.h>

#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "mailtransfer/ReceiveAccount.h"
#include "tests/support/Dovecot.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QThread>

#include <unistd.h>

using namespace korbelsteen;

namespace {

// A store that survives its process: every committed message is one line appended to a
// journal and synced before storeMessage returns; a line cut short by a kill never counts.
class JournalStore : public MailStore {
public:
    explicit JournalStore(QString path) : m_path(std::move(path))
    {
        QFile f(m_path);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.endsWith('\t'))
                    m_rows << QString::fromUtf8(line).split(QLatin1Char('\t'));
    }
    std::vector<Account> accounts() override { return {}; }
    bool hasMessage(const QString& messageId) override
    {
        for (const QStringList& r : m_rows)
            if (r.value(1) == messageId)
                return true;
        return false;
    }
    bool isJunkAddress(const QString&) override { return false; }
    std::optional<int> folderOf(int accountId, const QString&, StoreError*) override { return accountId * 10 + 1; }
    bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override
    {
        email.id = int(m_rows.size()) + 1;
        std::vector<AttachRow> attachments;
        if (!prepare(email, attachments, error))
            return false;
        if (const int delay = qEnvironmentVariableIntValue("VELMORA_RECEIVE_HELPER_DELAY_MS"))
            QThread::msleep(ulong(delay)); // files are written, the row is not yet committed
        QStringList row = {QString::number(email.id), email.messageId};
        for (const AttachRow& a : attachments)
            row << a.naziv;
        QFile f(m_path);
        if (!f.open(QIODevice::Append))
            return false;
        f.write((row.join(QLatin1Char('\t')) + QStringLiteral("\t\n")).toUtf8());
        f.flush();
        ::fsync(f.handle());
        m_rows << row;
        return true;
    }
    QList<QStringList> rows() const { return m_rows; }

private:
    QString m_path;
    QList<QStringList> m_rows;
};

} // namespace

// The child process of the test below, which runs it by name; never run on its own.
TEST(ReceiveCrash, DISABLED_Helper)
{
    const QString data = qEnvironmentVariable("VELMORA_RECEIVE_HELPER_DATA");
    ASSERT_FALSE(data.isEmpty());
    JournalStore store(data + QStringLiteral("/journal.txt"));
    controls::MailManager mail;
    mail.MailHost = QStringLiteral("127.0.0.1");
    mail.MailPort = qEnvironmentVariableIntValue("VELMORA_RECEIVE_HELPER_PORT");
    mail.PopUsername = QStringLiteral("ana");
    mail.PopPassword = QStringLiteral("x");
    const Account account{1, QStringLiteral("Ana"), mail.MailHost, mail.PopUsername, mail.PopPassword, mail.MailPort, 0};
    const ReceiveResult r = ReceiveAccountMail(mail, store, account, ReceiveContext{data, nullptr, {}});
    EXPECT_TRUE(r.complete);
}

TEST(ReceiveCrash, KilledMidReceiveLosesNothingAndStoresNothingTwice)
{
    testsupport::SharedDovecot s;
    constexpr int count = 40;
    s.start({QStringLiteral("%u"), false}, [](testsupport::Dovecot& d) {
        d.addUser(QStringLiteral("ana"), QStringLiteral("x"));
        for (int i = 0; i < count; ++i)
            d.deliver(QStringLiteral("ana"), i % 2 ? mailsamples::twoAttachments() : mailsamples::sized(i, 3000));
    });
    if (!s.skip.isEmpty()) {
        GTEST_SKIP() << s.skip.toStdString();
    }
    ASSERT_TRUE(s.error.isEmpty()) << s.error.toStdString();

    testsupport::TempFolder data;
    const QString journal = data.file(QStringLiteral("journal.txt"));
    auto run = [&](int delayMs) {
        auto* p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMORA_RECEIVE_HELPER_DATA"), data.path());
        env.insert(QStringLiteral("VELMORA_RECEIVE_HELPER_PORT"), QString::number(s.server->port()));
        env.insert(QStringLiteral("VELMORA_RECEIVE_HELPER_DELAY_MS"), QString::number(delayMs));
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ReceiveCrash.DISABLED_Helper"),
                                                           QStringLiteral("--gtest_also_run_disabled_tests")});
        return p;
    };
    auto committed = [&] { return JournalStore(journal).rows().size(); };

    // Killed twice while it works, with files written and their rows not yet committed.
    for (int kill = 0; kill < 2; ++kill) {
        std::unique_ptr<QProcess> p(run(40));
        ASSERT_TRUE(p->waitForStarted());
        const qsizetype before = committed();
        for (int i = 0; i < 200 && committed() < before + 5; ++i)
            QThread::msleep(20);
        QThread::msleep(15);
        p->kill();
        p->waitForFinished();
    }
    const qsizetype afterKills = committed();
    EXPECT_GT(afterKills, 0);
    EXPECT_LT(afterKills, count);

    std::unique_ptr<QProcess> last(run(0));
    ASSERT_TRUE(last->waitForFinished(120000));
    EXPECT_EQ(last->exitCode(), 0) << last->readAll().toStdString();

    const QList<QStringList> rows = JournalStore(journal).rows();
    QSet<QString> ids;
    for (const QStringList& r : rows) {
        ids.insert(r.value(1));
        EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/Email/") + controls::bodyFileName(r.value(1))));
        for (qsizetype i = 2; i < r.size() - 1; ++i)
            EXPECT_TRUE(QFile::exists(controls::attachmentFile(data.path() + QStringLiteral("/Email/Files"), r[0].toLongLong(), r[i])))
                << r[i].toStdString();
    }
    EXPECT_EQ(rows.size(), count) << "no message stored twice";
    EXPECT_EQ(ids.size(), count) << "no message lost";
    EXPECT_EQ(s.server->messageCount(QStringLiteral("ana")), count);
}
