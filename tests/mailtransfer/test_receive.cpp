#include <gtest/gtest.h>

#include "protocols/MailManager.h"
#include "data/Corvalde.h"
#include "services/Quilvo.h"
#include "protocols/MailNames.h"
#include "mailtransfer/ReceiveAccount.h"
#include "mailtransfer/ReceiveController.h"
#include "runtime/DateTime.h"
#include "runtime/IniFile.h"
#include "tests/mailtransfer/MemoryStore.h"
#include "tests/support/Dovecot.h"
#include "tests/support/FakePop3.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>

using namespace korbelsteen;
namespace ms = mailsamples;

namespace {

// Texts the user sees, in the language of this run.
QString tr(const QString& text) { return corvalde::translator().QVSTR(text); }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString bodyFile(const QString& data, const EmailRow& row)
{
    return data + QStringLiteral("/Email/") + controls::bodyFileName(row.messageId);
}

const EmailRow* bySubject(const std::vector<EmailRow>& rows, const QString& subject)
{
    for (const auto& r : rows)
        if (r.subject == subject)
            return &r;
    return nullptr;
}

std::vector<testsupport::ScriptedPresenter::Call> stops()
{
    return testsupport::presenter().calls(QStringLiteral("stop"));
}

ReceiveResult receive(MemoryDb& db, const Account& account, const QString& dataFolder)
{
    controls::MailManager mail;
    mail.MailHost = account.popHost;
    mail.MailPort = account.popPort;
    mail.PopUsername = account.popUser;
    mail.PopPassword = account.popPassword;
    MemoryStore store(std::shared_ptr<MemoryDb>(&db, [](MemoryDb*) {}));
    return ReceiveAccountMail(mail, store, account, ReceiveContext{dataFolder, nullptr, {}});
}

// Every file below the data folder, relative to it.
QStringList filesBelow(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

// ---- the body file of a plain-text message ---------------------------------------------

TEST(ReceiveBody, PlainTextBecomesEscapedLinesOfHtml)
{
    const QByteArray meta = "<META content=\"text/html; charset=utf-8\" http-equiv=Content-Type><br/>\r\n";
    const struct {
        const char* body;
        QByteArray file;
    } cases[] = {
        {"a\nb  \nc", meta + "a<br/>\r\nb<br/>\r\nc<br/>\r\n"},
        {"a\r\nb\r\n", meta + "a<br/>\r\nb<br/>\r\n"},
        {"", meta},
        {"   ", meta},
        {"<script>alert(1)</script> & \"x\"", meta + "&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;x&quot;<br/>\r\n"},
        {"Čćžšđ", meta + "\xC4\x8C\xC4\x87\xC5\xBE\xC5\xA1\xC4\x91<br/>\r\n"},
        // Lone CRs, empty lines and a CR before a CR LF each end a line of their own.
        {"a\rb\r\rc", meta + "a<br/>\r\nb<br/>\r\n<br/>\r\nc<br/>\r\n"},
        {"\r\n\nx\r\r\ny", meta + "<br/>\r\n<br/>\r\nx<br/>\r\n<br/>\r\ny<br/>\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plainBodyHtml(QString::fromUtf8(c.body)).toStdString(), c.file.toStdString());
    // A line above its cap is cut to it, and the next line still follows.
    const QByteArray cut = plainBodyHtml(QString(20005, QLatin1Char('x')) + QStringLiteral("\ny"));
    EXPECT_EQ(cut.toStdString(), (meta + QByteArray(19999, 'x') + "<br/>\r\ny<br/>\r\n").toStdString());
}

// ---- row mapping -----------------------------------------------------------------------

TEST(ReceiveRow, HeadersMapToTheEmailColumns)
{
    const EmailRow r = emailRowOf(controls::MimeMessage::fromBytes(ms::plainUtf8()), QStringLiteral("1_abc"));
    EXPECT_EQ(r.subject, ms::croatian());
    EXPECT_EQ(r.sender, QStringLiteral("Ivana Kovačić"));
    EXPECT_EQ(r.too, QStringLiteral("Marko <marko@primjer.hr>;ana@primjer.hr"));
    EXPECT_EQ(r.toAddr, QStringLiteral("marko@primjer.hr;ana@primjer.hr"));
    EXPECT_EQ(r.toName, QStringLiteral("Marko;"));
    EXPECT_EQ(r.ccAddr, QStringLiteral("petra@primjer.hr"));
    EXPECT_EQ(r.bcc, QString());
    EXPECT_EQ(r.replyTo, QStringLiteral("ivana@primjer.hr")) << "no Reply-To: the sender's address";
    EXPECT_EQ(r.messageId, QStringLiteral("1_abc"));
    EXPECT_EQ(r.charset, QStringLiteral("UTF-8"));
    EXPECT_EQ(r.read, 0);
    EXPECT_EQ(r.junkDomain, QString());
    const QDateTime local = QDateTime(QDate(2026, 3, 3), QTime(13, 5, 9), Qt::UTC).toLocalTime();
    EXPECT_EQ(r.datum, vrt::dayFromDate(local.date()));
    EXPECT_EQ(r.vrijeme, vrt::timeFromQTime(local.time()));

    const EmailRow bare = emailRowOf(controls::MimeMessage::fromBytes(ms::withReplyTo(QStringLiteral("x@y.hr"), {}, QStringLiteral("s"))), {});
    EXPECT_EQ(bare.sender, QStringLiteral("x@y.hr")) << "no name: the address";

    QByteArray many = "From: a@b.hr\r\nTo: ";
    for (int i = 0; i < 300; ++i)
        many += (i ? ", " : "") + QByteArray("Primatelj ") + QByteArray::number(i) + " <p" + QByteArray::number(i) + "@primjer.hr>";
    many += "\r\nSubject: mnogo\r\n\r\nx\r\n";
    const EmailRow crowd = emailRowOf(controls::MimeMessage::fromBytes(many), {});
    EXPECT_EQ(crowd.too.size(), 254);
    EXPECT_EQ(crowd.toAddr.size(), 254);
    EXPECT_EQ(crowd.toName.size(), 254);
    EXPECT_TRUE(crowd.toAddr.startsWith(QStringLiteral("p0@primjer.hr;p1@primjer.hr;")));
}

// ---- folder choice ---------------------------------------------------------------------

TEST(ReceiveJunk, MarkedAddressesGoToJunkAndNothingElseDoes)
{
    testsupport::TempFolder data;
    const struct {
        const char* from;
        const char* replyTo;
        bool junk;
    } cases[] = {
        {"friend@ok.hr", "spam@x.hr", true},   // reply-to marked
        {"spam@x.hr", "", true},               // no reply-to: the sender
        {"spam@x.hr", "friend@ok.hr", false},  // reply-to decides
        {"", "", false},                       // no address at all is never junk
        {"friend@ok.hr", "", false},
    };
    testsupport::FakePop3 server;
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        server.addMessage(QStringLiteral("u%1").arg(n),
                          ms::withReplyTo(QString::fromUtf8(c.from), QString::fromUtf8(c.replyTo), QStringLiteral("case %1").arg(n)));
    }
    ASSERT_TRUE(server.start());

    MemoryDb db;
    db.addAccount(1, QStringLiteral("Posao"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    EmailRow marked;
    marked.id = 900;
    marked.messageId = QStringLiteral("old");
    marked.junkDomain = QStringLiteral("spam@x.hr");
    EmailRow unmarked; // most stored rows carry no mark at all
    unmarked.id = 901;
    unmarked.messageId = QStringLiteral("old2");
    db.emails = {marked, unmarked};

    const ReceiveResult r = receive(db, db.accounts[0], data.path());
    ASSERT_EQ(r.stored, 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i + 1);
        const EmailRow* row = bySubject(db.emails, QStringLiteral("case %1").arg(i + 1));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->inboxId, cases[i].junk ? 15 : 11);
        EXPECT_EQ(row->junkDomain, QString());
    }
}

// ---- hostile server ids and attachment names ------------------------------------------

TEST(ReceiveSafety, HostileIdsAndNamesStayInsideEmail)
{
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    const QStringList ids = {QStringLiteral("../../evil"), QStringLiteral(".."), QStringLiteral("a/b"),
                             QStringLiteral("a_b"), QStringLiteral("C:\\x"), QStringLiteral("/etc/passwd")};
    for (const QString& id : ids)
        server.addMessage(id, ms::twoAttachments());
    ASSERT_TRUE(server.start());
    MemoryDb db;
    db.addAccount(1, QStringLiteral("A"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    ASSERT_EQ(receive(db, db.accounts[0], data.path()).stored, int(ids.size()));

    const QStringList files = filesBelow(data.path());
    for (const QString& f : files)
        EXPECT_TRUE(f.startsWith(QStringLiteral("Email/"))) << f.toStdString();
    QSet<QString> bodies, attachments;
    for (const EmailRow& row : db.emails) {
        EXPECT_TRUE(QFile::exists(bodyFile(data.path(), row)));
        bodies.insert(bodyFile(data.path(), row));
    }
    for (const AttachRow& a : db.attachments) {
        const QString file = controls::attachmentFile(data.path() + QStringLiteral("/Email/Files"), a.idEmail, a.naziv);
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        attachments.insert(file);
    }
    EXPECT_EQ(bodies.size(), ids.size()) << "every message has a body file of its own";
    EXPECT_EQ(attachments.size(), 2 * ids.size()) << "same-named attachments of different messages do not overwrite each other";
    EXPECT_EQ(db.attachments.front().naziv, QStringLiteral("bashrc"));
}

// ---- a failed write keeps nothing ------------------------------------------------------

TEST(ReceiveTransaction, AFailedAttachmentInsertKeepsNothingAndIsFetchedAgain)
{
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    server.addMessage(QStringLiteral("1"), ms::twoAttachments());
    server.addMessage(QStringLiteral("2"), ms::plainUtf8());
    ASSERT_TRUE(server.start());
    MemoryDb db;
    db.addAccount(1, QStringLiteral("A"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    db.failAttachInsertForSubject = QStringLiteral("Dva privitka");
    testsupport::presenter().clear();

    ReceiveResult r = receive(db, db.accounts[0], data.path());
    EXPECT_EQ(r.stored, 1);
    EXPECT_EQ(r.failed, 1);
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_EQ(stops()[0].text, QStringLiteral("W_Korbelsteen AttachInsert :90 : disk I/O error"));
    EXPECT_TRUE(db.attachments.empty());
    EXPECT_EQ(filesBelow(data.path() + QStringLiteral("/Email/Files")), QStringList());
    EXPECT_FALSE(QFile::exists(data.path() + QStringLiteral("/Email/") + controls::bodyFileName(QStringLiteral("1_1"))));

    db.failAttachInsertForSubject.clear();
    r = receive(db, db.accounts[0], data.path());
    EXPECT_EQ(r.stored, 1);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(db.attachments.size(), 2u);
    EXPECT_EQ(db.emails.size(), 2u);
}

TEST(ReceiveTransaction, AnAttachmentThatCannotBeWrittenKeepsNothing)
{
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    server.addMessage(QStringLiteral("1"), ms::twoAttachments());
    ASSERT_TRUE(server.start());
    MemoryDb db;
    db.addAccount(1, QStringLiteral("A"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
    // The first row gets id 1; a folder in the way of its first attachment makes the write fail.
    QDir().mkpath(data.file(QStringLiteral("Email/Files/1_bashrc")));
    testsupport::presenter().clear();

    ReceiveResult r = receive(db, db.accounts[0], data.path());
    EXPECT_EQ(r.failed, 1);
    ASSERT_EQ(stops().size(), 1u);
    EXPECT_TRUE(stops()[0].text.startsWith(QStringLiteral("W_Korbelsteen AttachSave :"))) << stops()[0].text.toStdString();
    EXPECT_TRUE(db.emails.empty());
    EXPECT_FALSE(QFile::exists(data.path() + QStringLiteral("/Email/") + controls::bodyFileName(QStringLiteral("1_1"))));

    r = receive(db, db.accounts[0], data.path());
    EXPECT_EQ(r.stored, 1) << "fetched again and stored under its next number";
    EXPECT_EQ(db.attachments.size(), 2u);
}

// ---- the whole receive against a real server -------------------------------------------

class ReceiveDovecot : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Plain message numbers as unique ids: both mailboxes hand out the same ids.
        s.start({QStringLiteral("%u"), false}, [](testsupport::Dovecot& d) {
            d.addUser(QStringLiteral("ivana"), QStringLiteral("lozinka1"));
            d.addUser(QStringLiteral("marko"), QStringLiteral("lozinka2"));
            for (const QByteArray& m : {ms::plainUtf8(), ms::plainWindows1250(), ms::plainIso88592(),
                                        ms::htmlWithInlineImage(), ms::twoAttachments(), ms::noMessageIdNoSender(),
                                        ms::malformed(), ms::large(4), ms::markupInPlainText()})
                d.deliver(QStringLiteral("ivana"), m);
            for (int i = 0; i < 3; ++i)
                d.deliver(QStringLiteral("marko"), ms::sized(i, 2000));
            d.addUser(QStringLiteral("niz"), QStringLiteral("lozinka3"));
            for (int i = 0; i < SeriesLength; ++i)
                d.deliver(QStringLiteral("niz"), ms::sized(i, 3000));
        });
        s_server = s.server.get();
    }
    static void TearDownTestSuite() { s.stop(); }
    void SetUp() override
    {
        if (!s.skip.isEmpty()) {
            GTEST_SKIP() << s.skip.toStdString();
        }
        ASSERT_TRUE(s.error.isEmpty()) << s.error.toStdString();
        db = std::make_shared<MemoryDb>();
        db->addAccount(1, QStringLiteral("Ivana"), QStringLiteral("127.0.0.1"), s_server->port(), QStringLiteral("ivana"), QStringLiteral("lozinka1"));
        db->addAccount(2, QStringLiteral("Marko"), QStringLiteral("127.0.0.1"), s_server->port(), QStringLiteral("marko"), QStringLiteral("lozinka2"));
        testsupport::presenter().clear();
    }
    ReceiveController::Options options(int tickMs = 20)
    {
        ReceiveController::Options o;
        o.dataFolder = data.path();
        o.tickMs = tickMs;
        std::shared_ptr<MemoryDb> shared = db;
        o.makeStore = [shared] { return std::make_unique<MemoryStore>(shared); };
        return o;
    }

    // The mailbox of numbered messages, as an account of its own.
    Account series()
    {
        return {3, QStringLiteral("Niz"), QStringLiteral("127.0.0.1"), QStringLiteral("niz"), QStringLiteral("lozinka3"),
                s_server->port(), 0};
    }
    ReceiveResult receiveSeries(MailStore& store, const std::atomic<bool>* cancel = nullptr)
    {
        controls::MailManager mail;
        const Account a = series();
        if (db->folders.back().accountId != a.id) // its folders, without making it one the controller receives
            db->folders.insert(db->folders.end(), {{31, 3, QStringLiteral("xInbox_1")}, {35, 3, QStringLiteral("xJunk_1")}});
        mail.MailHost = a.popHost;
        mail.MailPort = a.popPort;
        mail.PopUsername = a.popUser;
        mail.PopPassword = a.popPassword;
        return ReceiveAccountMail(mail, store, a, ReceiveContext{data.path(), cancel, {}});
    }
    // The subjects of the stored rows in the order of their numbers.
    QStringList subjectsByNumber()
    {
        std::vector<EmailRow> rows = db->emails;
        std::sort(rows.begin(), rows.end(), [](const EmailRow& a, const EmailRow& b) { return a.id < b.id; });
        QStringList out;
        for (const EmailRow& r : rows)
            out << r.subject;
        return out;
    }
    // The body files the stored rows name, sorted.
    QStringList bodiesOfStoredRows()
    {
        QStringList bodies;
        for (const EmailRow& row : db->emails)
            bodies << QStringLiteral("Email/") + controls::bodyFileName(row.messageId);
        bodies.sort();
        return bodies;
    }
    static QStringList seriesSubjects(int from, int to)
    {
        QStringList out;
        for (int i = from; i < to; ++i)
            out << QStringLiteral("Poruka %1").arg(i);
        return out;
    }

    static constexpr int SeriesLength = 60;
    testsupport::TempFolder data;
    std::shared_ptr<MemoryDb> db;
    static inline testsupport::SharedDovecot s;
    static inline testsupport::Dovecot* s_server = nullptr;
};

TEST_F(ReceiveDovecot, EveryKindOfMessageIsStoredOnceWithItsFilesAndFolder)
{
    ReceiveController first(options());
    first.exec();
    EXPECT_EQ(first.storedMessages(), 12);
    EXPECT_TRUE(stops().empty()) << stops()[0].text.toStdString();
    const std::vector<EmailRow> ivana = db->inFolder(11);
    ASSERT_EQ(ivana.size(), 9u);
    EXPECT_EQ(db->inFolder(21).size(), 3u) << "the second account gets its mail although the ids are the same";

    for (const EmailRow& row : db->emails) {
        SCOPED_TRACE(row.messageId.toStdString());
        EXPECT_EQ(row.read, 0);
        EXPECT_TRUE(QFile::exists(bodyFile(data.path(), row)));
        EXPECT_EQ(row.sizeDecimal, QString::number(QFileInfo(bodyFile(data.path(), row)).size()));
    }
    // Croatian text from three charsets.
    int croatianSubjects = 0;
    for (const EmailRow& row : ivana)
        if (row.subject == ms::croatian()) {
            ++croatianSubjects;
            EXPECT_TRUE(row.body.startsWith(ms::croatian()));
            EXPECT_TRUE(QString::fromUtf8(readFile(bodyFile(data.path(), row))).contains(ms::croatian()));
        }
    EXPECT_EQ(croatianSubjects, 3);

    const EmailRow* html = bySubject(ivana, QStringLiteral("HTML s slikom"));
    ASSERT_NE(html, nullptr);
    const QString htmlText = QString::fromUtf8(readFile(bodyFile(data.path(), *html)));
    const QString image = QStringLiteral("Files/%1_logo.png").arg(html->id);
    EXPECT_TRUE(htmlText.contains(image)) << htmlText.toStdString();
    EXPECT_EQ(readFile(data.path() + QStringLiteral("/Email/") + image), ms::tinyPng());

    const EmailRow* two = bySubject(ivana, QStringLiteral("Dva privitka"));
    ASSERT_NE(two, nullptr);
    QStringList names;
    for (const AttachRow& a : db->attachments)
        if (a.idEmail == two->id) {
            names << a.naziv;
            const QString file = data.path() + QStringLiteral("/Email/Files/") + controls::storedPartName(two->id, a.naziv);
            EXPECT_EQ(a.velicinaDecimal, QString::number(QFileInfo(file).size()));
        }
    EXPECT_EQ(names, (QStringList{QStringLiteral("bashrc"), QStringLiteral("račun za veljaču.pdf")})) << "the attachments' own names";

    const EmailRow* big = bySubject(ivana, QStringLiteral("Velika poruka"));
    ASSERT_NE(big, nullptr);
    for (const AttachRow& a : db->attachments)
        if (a.idEmail == big->id) {
            EXPECT_EQ(a.velicinaDecimal, QString::number(4 * 1024 * 1024));
        }

    const EmailRow* markup = bySubject(ivana, QStringLiteral("markup"));
    ASSERT_NE(markup, nullptr);
    EXPECT_FALSE(readFile(bodyFile(data.path(), *markup)).contains("<script>"));

    const EmailRow* bare = bySubject(ivana, QStringLiteral("bez posiljatelja"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->inboxId, 11) << "no sender: the inbox";

    EXPECT_EQ(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")), QStringLiteral("2"));
    const QString progress = QLatin1Char(' ') + tr(QStringLiteral("primanje u toku ...")) + QLatin1Char(' ')
                             + tr(QStringLiteral("primanje završeno!"));
    EXPECT_EQ(first.displayTexts(), (QStringList{QStringLiteral("Ivana") + progress, QStringLiteral("Marko") + progress}));

    ReceiveController second(options());
    second.exec();
    EXPECT_EQ(second.storedMessages(), 0);
    EXPECT_EQ(db->emails.size(), 12u);
    EXPECT_EQ(s_server->messageCount(QStringLiteral("ivana")), 9) << "messages stay on the server";
}

TEST_F(ReceiveDovecot, RowsAreNumberedInServerOrderAndAStoreFailingHalfWayLosesNothing)
{
    // The database gives out after 25 messages: every later write fails after the message's
    // files were written, while the fetching and parsing threads run ahead.
    struct BreakingStore : MemoryStore {
        using MemoryStore::MemoryStore;
        int calls = 0;
        bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override
        {
            if (++calls <= 25)
                return MemoryStore::storeMessage(email, prepare, error);
            email.id = 1000 + calls;
            std::vector<AttachRow> attachments;
            if (prepare(email, attachments, error))
                *error = {StoreError::EmailInsert, 5, QStringLiteral("database is locked")};
            return false;
        }
    } breaking(db);
    ReceiveResult r = receiveSeries(breaking);
    EXPECT_EQ(r.stored, 25);
    EXPECT_EQ(r.failed, SeriesLength - 25);
    EXPECT_EQ(subjectsByNumber(), seriesSubjects(0, 25)) << "stored in server order";
    ASSERT_FALSE(stops().empty());
    EXPECT_EQ(stops()[0].text, QStringLiteral("W_Korbelsteen EmailInsert :5 : database is locked"));
    // Only the stored messages have body files; the others are not marked as received anywhere.
    EXPECT_EQ(filesBelow(data.path()), bodiesOfStoredRows());

    MemoryStore healthy(db);
    r = receiveSeries(healthy);
    EXPECT_EQ(r.skipped, 25);
    EXPECT_EQ(r.stored, SeriesLength - 25);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(subjectsByNumber(), seriesSubjects(0, SeriesLength)) << "the rest follows in order, nothing twice";
    EXPECT_EQ(filesBelow(data.path()).size(), size_t(SeriesLength));
    EXPECT_EQ(s_server->messageCount(QStringLiteral("niz")), SeriesLength);
}

TEST_F(ReceiveDovecot, AFailedBatchCommitDropsTheWholeBatchWithItsFilesAndTheNextReceiveBringsItAgain)
{
    // Messages wait in a batch until it is committed; the first commit after the 30th
    // message fails, as a full disk would.
    struct BatchingStore : MemoryStore {
        BatchingStore(std::shared_ptr<MemoryDb> db) : MemoryStore(db), shared(std::move(db)) {}
        std::shared_ptr<MemoryDb> shared;
        std::vector<int> pending;
        bool open = false;
        int stored = 0, commits = 0, failedCommits = 0;
        bool beginBatch() override { return open = true; }
        bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override
        {
            EXPECT_TRUE(open) << "every message goes into a batch";
            if (!MemoryStore::storeMessage(email, prepare, error))
                return false;
            pending.push_back(email.id);
            ++stored;
            return true;
        }
        bool commitBatch(StoreError* error) override
        {
            EXPECT_TRUE(open);
            open = false;
            ++commits;
            std::vector<int> batch;
            batch.swap(pending);
            if (stored < 30 || failedCommits > 0)
                return true;
            ++failedCommits;
            std::lock_guard<std::mutex> l(shared->mutex);
            for (int id : batch) {
                auto row = std::find_if(shared->emails.begin(), shared->emails.end(), [id](const EmailRow& e) { return e.id == id; });
                shared->messageIds.remove(row->messageId);
                shared->emails.erase(row);
            }
            *error = {StoreError::EmailInsert, 13, QStringLiteral("database or disk is full")};
            return false;
        }
    } batching(db);
    ReceiveResult r = receiveSeries(batching);
    EXPECT_FALSE(batching.open) << "no batch is left open";
    EXPECT_EQ(batching.failedCommits, 1);
    EXPECT_GT(r.failed, 0);
    EXPECT_EQ(r.stored + r.failed, SeriesLength);
    EXPECT_EQ(r.stored, int(db->emails.size()));
    ASSERT_FALSE(stops().empty());
    EXPECT_EQ(stops()[0].text, QStringLiteral("W_Korbelsteen EmailInsert :13 : database or disk is full"));
    EXPECT_EQ(filesBelow(data.path()), bodiesOfStoredRows()) << "a body for each kept row, none for a dropped one";

    MemoryStore healthy(db);
    r = receiveSeries(healthy);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(int(db->emails.size()), SeriesLength);
    EXPECT_EQ(filesBelow(data.path()).size(), size_t(SeriesLength));
}

TEST_F(ReceiveDovecot, ACancelledReceiveLeavesNoFileOfWhatWasFetchedAhead)
{
    std::atomic<bool> cancel{false};
    struct CancellingStore : MemoryStore {
        CancellingStore(std::shared_ptr<MemoryDb> db, std::atomic<bool>& cancel) : MemoryStore(std::move(db)), flag(cancel) {}
        std::atomic<bool>& flag;
        int calls = 0;
        bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override
        {
            const bool ok = MemoryStore::storeMessage(email, prepare, error);
            if (++calls == 10) {
                flag = true;
                // Let the other threads run ahead and write the bodies of what they hold.
                QThread::msleep(100);
            }
            return ok;
        }
    } store(db, cancel);
    const ReceiveResult r = receiveSeries(store, &cancel);
    EXPECT_EQ(r.stored, 10);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(subjectsByNumber(), seriesSubjects(0, 10));
    EXPECT_EQ(filesBelow(data.path()).size(), 10u);

    MemoryStore healthy(db);
    EXPECT_EQ(receiveSeries(healthy).stored, SeriesLength - 10);
    EXPECT_EQ(subjectsByNumber(), seriesSubjects(0, SeriesLength));
}

TEST_F(ReceiveDovecot, NoAccountsWritesStartOneThenTwo)
{
    db->accounts.clear();
    QString startSeenByWorker;
    ReceiveController::Options o = options();
    const QString ini = data.file(QStringLiteral("Standard.ini"));
    auto make = o.makeStore;
    o.makeStore = [&, make] {
        startSeenByWorker = vrt::IniFile(ini).get(QStringLiteral("SR"), QStringLiteral("START"));
        return make();
    };
    ReceiveController c(o);
    c.exec();
    EXPECT_EQ(startSeenByWorker, QStringLiteral("1"));
    EXPECT_EQ(vrt::IniFile(ini).get(QStringLiteral("SR"), QStringLiteral("START")), QStringLiteral("2"));
    EXPECT_EQ(c.questionsAsked(), 0);
}

TEST_F(ReceiveDovecot, AFlagThatCannotBeWrittenIsToldOnceAndTheReceiveGoesOn)
{
    // Where the settings file should be, a folder: no write of it can succeed.
    ASSERT_TRUE(QDir(data.path()).mkdir(QStringLiteral("Standard.ini")));
    ReceiveController c(options());
    c.exec();
    EXPECT_EQ(c.storedMessages(), 12);
    QStringList told; // a busy machine may also have asked about a slow server
    const QString flag = tr(QStringLiteral("Oznaka primanja pošte ne može se zapisati:"));
    for (const auto& call : testsupport::presenter().calls())
        if (call.kind == QLatin1String("message") && call.text.startsWith(flag))
            told << call.text;
    ASSERT_EQ(told.size(), 1) << "told once for the whole run";
    EXPECT_TRUE(told[0].startsWith(flag + QLatin1Char('\n') + data.file(QStringLiteral("Standard.ini")) + QLatin1Char('\n')))
        << told[0].toStdString();
}

TEST(ReceiveController, TimeSpentFindingWhatIsStoredIsNotASilentServer)
{
    // Every message is stored already and each lookup is slow: together they take far longer
    // than the silence after which the receive asks about the server.
    testsupport::TempFolder data;
    testsupport::FakePop3 server;
    auto db = std::make_shared<MemoryDb>();
    db->addAccount(1, QStringLiteral("Puna"), QStringLiteral("127.0.0.1"), 0, QStringLiteral("u"), QStringLiteral("p"));
    for (int i = 0; i < 150; ++i) {
        server.addMessage(QString::number(i), ms::sized(i, 500));
        db->messageIds.insert(controls::storedMessageId(1, QString::number(i)));
    }
    ASSERT_TRUE(server.start());
    db->accounts[0].popPort = server.port();
    struct SlowStore : MemoryStore {
        using MemoryStore::MemoryStore;
        bool hasMessage(const QString& id) override
        {
            QThread::msleep(8);
            return MemoryStore::hasMessage(id);
        }
    };
    testsupport::presenter().clear();
    ReceiveController::Options o;
    o.dataFolder = data.path();
    o.tickMs = 25; // the question after half a second of silence; the lookups take 1.2 s
    o.makeStore = [db] { return std::make_unique<SlowStore>(db); };
    ReceiveController c(o);
    c.exec();
    EXPECT_EQ(c.questionsAsked(), 0);
    EXPECT_EQ(c.storedMessages(), 0);
}

TEST(ReceiveController, ASilentServerAsksEveryTenSecondsUntilNo)
{
    for (auto behaviour : {testsupport::FakePop3::Behaviour::SilentAfterConnect,
                           testsupport::FakePop3::Behaviour::SilentOnRetrieve}) {
        SCOPED_TRACE(int(behaviour));
        testsupport::TempFolder data;
        testsupport::FakePop3 server;
        server.addMessage(QStringLiteral("1"), ms::plainUtf8());
        server.setBehaviour(behaviour);
        ASSERT_TRUE(server.start());
        auto db = std::make_shared<MemoryDb>();
        db->addAccount(1, QStringLiteral("Tiha"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
        db->addAccount(2, QStringLiteral("Druga"), QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("u"), QStringLiteral("p"));
        testsupport::presenter().clear();
        testsupport::presenter().queueButton(vrt::BUTTON_YES);
        testsupport::presenter().queueButton(vrt::BUTTON_NO);

        ReceiveController::Options o;
        o.dataFolder = data.path();
        o.tickMs = 5;
        o.makeStore = [db] { return std::make_unique<MemoryStore>(db); };
        ReceiveController c(o);
        c.exec();

        EXPECT_EQ(c.questionsAsked(), 2);
        int questions = 0;
        for (const auto& call : testsupport::presenter().calls())
            if (call.kind == QLatin1String("message")) {
                ++questions;
                EXPECT_EQ(call.text, tr(QStringLiteral("Ne mogu se spojiti zadnjih 10 sekundi. Probati ponovno?")));
                EXPECT_EQ(call.caption, QStringLiteral("Info"));
                EXPECT_EQ(call.buttons, vrt::BUTTON_YES | vrt::BUTTON_NO);
            }
        EXPECT_EQ(questions, 2);
        EXPECT_TRUE(db->emails.empty());
        EXPECT_EQ(c.displayTexts().value(1), QStringLiteral("Druga")) << "No ends the receive before the next account";
        EXPECT_EQ(vrt::IniFile(data.file(QStringLiteral("Standard.ini"))).get(QStringLiteral("SR"), QStringLiteral("START")),
                  QStringLiteral("2"));
    }
}
