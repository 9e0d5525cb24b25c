#include <gtest/gtest.h>

#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "protocols/MimeMessage.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Paths.h"
#include "tests/support/Dovecot.h"
#include "tests/support/FakePop3.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <thread>

using controls::MailManager;
using controls::MimeMessage;
namespace ms = mailsamples;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// ---- parsing ---------------------------------------------------------------------------

TEST(MimeMessage, DecodesSubjectsAndBodiesInEveryCharset)
{
    struct Case {
        const char* name;
        QByteArray raw;
        QString charset;
    } cases[] = {
        {"utf-8 base64", ms::plainUtf8(), QStringLiteral("UTF-8")},
        {"windows-1250 8bit", ms::plainWindows1250(), QStringLiteral("windows-1250")},
        {"iso-8859-2 base64", ms::plainIso88592(), QStringLiteral("ISO-8859-2")},
        {"raw 8-bit headers, no charset", ms::plainNoCharset8bit(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MimeMessage m = MimeMessage::fromBytes(c.raw);
        EXPECT_EQ(m.subject(), ms::croatian());
        EXPECT_TRUE(m.GetPlainTextBody().startsWith(ms::croatian())) << m.GetPlainTextBody().toStdString();
        EXPECT_EQ(m.Charset(), c.charset);
        EXPECT_EQ(m.FromName(), QStringLiteral("Ivana Kovačić"));
        EXPECT_EQ(m.FromAddress(), QStringLiteral("ivana@primjer.hr"));
    }
}

TEST(MimeMessage, ReadsAddressesAndDateWithItsZone)
{
    const MimeMessage m = MimeMessage::fromBytes(ms::plainUtf8());
    ASSERT_EQ(m.NumTo(), 2);
    EXPECT_EQ(m.GetToName(0), QStringLiteral("Marko"));
    EXPECT_EQ(m.GetToAddr(0), QStringLiteral("marko@primjer.hr"));
    EXPECT_EQ(m.GetTo(0), QStringLiteral("Marko <marko@primjer.hr>"));
    EXPECT_EQ(m.GetToName(1), QString());
    EXPECT_EQ(m.GetToAddr(1), QStringLiteral("ana@primjer.hr"));
    ASSERT_EQ(m.NumCc(), 1);
    EXPECT_EQ(m.GetCcAddr(0), QStringLiteral("petra@primjer.hr"));
    EXPECT_EQ(m.NumBCc(), 0);
    EXPECT_EQ(m.ReplyTo(), QString());
    EXPECT_EQ(m.emailDateTime().toUTC(), QDateTime(QDate(2026, 3, 3), QTime(13, 5, 9), Qt::UTC));
    EXPECT_EQ(m.messageIdHeader(), QStringLiteral("utf8@primjer.hr"));
}

TEST(MimeMessage, HtmlBodyWithInlineImageIsUnpackedWithLocalReferences)
{
    testsupport::TempFolder dir;
    const QString email = dir.file(QStringLiteral("Email"));
    QDir().mkpath(email);
    MimeMessage m = MimeMessage::fromBytes(ms::htmlWithInlineImage());
    EXPECT_EQ(m.GetPlainTextBody().trimmed(), QStringLiteral("Običan tekst"));
    EXPECT_EQ(m.NumAttachments(), 0) << "an image the body refers to is not an attachment";
    ASSERT_EQ(m.relatedParts().size(), 1u);

    const QString body = email + QStringLiteral("/m.html");
    ASSERT_EQ(m.UnpackHtml(email, body, email + QStringLiteral("/Files"), QStringLiteral("7_")), 1) << m.LastErrorText().toStdString();
    const QString html = QString::fromUtf8(readFile(body));
    EXPECT_TRUE(html.startsWith(QStringLiteral("<META content=\"text/html; charset=utf-8\" http-equiv=Content-Type>")));
    EXPECT_TRUE(html.contains(QStringLiteral("Račun"))) << "windows-1250 HTML is stored as UTF-8";
    EXPECT_TRUE(html.contains(QStringLiteral("src=\"Files/7_logo.png\""))) << html.toStdString();
    EXPECT_FALSE(html.contains(QStringLiteral("cid:")));
    EXPECT_EQ(readFile(email + QStringLiteral("/Files/7_logo.png")), ms::tinyPng());

    MimeMessage plain = MimeMessage::fromBytes(ms::plainUtf8());
    EXPECT_EQ(plain.UnpackHtml(email, email + QStringLiteral("/p.html"), email + QStringLiteral("/Files")), 0) << "no HTML";
    EXPECT_FALSE(QFile::exists(email + QStringLiteral("/p.html")));

    // A write that fails is told apart from a message without HTML.
    QDir().mkpath(email + QStringLiteral("/taken.html"));
    EXPECT_EQ(m.UnpackHtml(email, email + QStringLiteral("/taken.html"), email + QStringLiteral("/Files")), -1);
    EXPECT_FALSE(m.LastErrorText().isEmpty());

    // A link planted under a part's name is replaced, never written through.
    dir.write(QStringLiteral("outside.png"), "keep");
    QFile::remove(email + QStringLiteral("/Files/7_logo.png"));
    ASSERT_TRUE(QFile::link(dir.file(QStringLiteral("outside.png")), email + QStringLiteral("/Files/7_logo.png")));
    ASSERT_EQ(m.UnpackHtml(email, body, email + QStringLiteral("/Files"), QStringLiteral("7_")), 1) << m.LastErrorText().toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("outside.png")), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo(email + QStringLiteral("/Files/7_logo.png")).isSymLink());
}

TEST(MimeMessage, InlineImagesMatchTheirWholeContentId)
{
    const auto part = [](const char* cid, const char* data) {
        return QByteArray("--R\r\nContent-Type: image/png\r\nContent-ID: <") + cid + ">\r\n\r\n" + data + "\r\n";
    };
    const QByteArray raw = "Subject: s\r\nContent-Type: multipart/related; boundary=\"R\"\r\n\r\n"
                           "--R\r\nContent-Type: text/html\r\n\r\n<img src=\"cid:img10\"><img src='CID:Img1'>\r\n"
                           + part("img1", "one") + part("img10", "ten") + part("img2", "two") + "--R--\r\n";
    MimeMessage m = MimeMessage::fromBytes(raw);
    EXPECT_EQ(m.relatedParts().size(), 2u);
    EXPECT_EQ(m.NumAttachments(), 1) << "img2 is not referred to (only img1 and img10 are)";
    testsupport::TempFolder dir;
    ASSERT_EQ(m.UnpackHtml(dir.path(), dir.file(QStringLiteral("b.html")), dir.file(QStringLiteral("Files"))), 1);
    const QString html = QString::fromUtf8(dir.read(QStringLiteral("b.html")));
    const QString one = m.relatedParts()[0].filename, ten = m.relatedParts()[1].filename;
    EXPECT_TRUE(html.contains(QStringLiteral("<img src=\"Files/") + ten + QStringLiteral("\"><img src='Files/") + one + QStringLiteral("'>")))
        << html.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("Files/") + ten), QByteArray("ten"));
}

TEST(MimeMessage, AttachmentNamesAreSafeAndStayInTheirFolder)
{
    testsupport::TempFolder dir;
    const QString files = dir.file(QStringLiteral("Email/Files"));
    MimeMessage m = MimeMessage::fromBytes(ms::twoAttachments());
    ASSERT_EQ(m.NumAttachments(), 2);
    EXPECT_EQ(m.GetAttachmentFilename(0), QStringLiteral("bashrc"));
    EXPECT_EQ(m.GetAttachmentFilename(1), QStringLiteral("račun za veljaču.pdf"));
    EXPECT_EQ(m.GetAttachmentSize(0), 11);
    ASSERT_EQ(m.SaveAllAttachments(files), 1) << m.LastErrorText().toStdString();
    EXPECT_EQ(readFile(files + QStringLiteral("/bashrc")), QByteArray("echo pwned\n"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral(".bashrc"))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);

    m.OverwriteExisting = false;
    ASSERT_EQ(m.SaveAllAttachments(files), 1);
    EXPECT_TRUE(QFile::exists(files + QStringLiteral("/bashrc(2)")));
}

TEST(MimeMessage, BrokenAndOddMessagesStillParse)
{
    const MimeMessage broken = MimeMessage::fromBytes(ms::malformed());
    EXPECT_EQ(broken.FromAddress(), QStringLiteral("broken@primjer.hr"));
    EXPECT_FALSE(broken.GetPlainTextBody().isEmpty() && broken.GetHtmlBody().isEmpty() && broken.NumAttachments() == 0);

    const MimeMessage bare = MimeMessage::fromBytes(ms::noMessageIdNoSender());
    EXPECT_EQ(bare.FromAddress(), QString());
    EXPECT_EQ(bare.messageIdHeader(), QString());
    EXPECT_EQ(bare.GetPlainTextBody().trimmed(), QStringLiteral("Tijelo."));

    const MimeMessage empty = MimeMessage::fromBytes(QByteArray());
    EXPECT_EQ(empty.subject(), QString());

    const MimeMessage big = MimeMessage::fromBytes(ms::large(3));
    ASSERT_EQ(big.NumAttachments(), 1);
    EXPECT_EQ(big.GetAttachmentSize(0), 3 * 1024 * 1024);
}

// ---- names -----------------------------------------------------------------------------

TEST(MailNames, HostileIdsGiveDistinctNamesInsideTheFolder)
{
    const QString folder = QStringLiteral("/data/Email");
    const QStringList ids = {QStringLiteral("../../etc/passwd"), QStringLiteral(".."), QStringLiteral("."),
                             QStringLiteral("a/b"), QStringLiteral("a_b"), QStringLiteral("a%2Fb"),
                             QStringLiteral("C:\\x"), QStringLiteral("1:abc"), QStringLiteral("2:abc"),
                             QString(QChar(0x17d)) + QStringLiteral("ivot"), QString(99, QLatin1Char('/')),
                             QString(99, QLatin1Char('/')) + QLatin1Char('x'), QString()};
    QSet<QString> seen;
    for (const QString& id : ids) {
        SCOPED_TRACE(id.toStdString());
        const QString name = controls::bodyFileName(id);
        EXPECT_TRUE(name.endsWith(QStringLiteral(".html")));
        EXPECT_FALSE(name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')));
        EXPECT_FALSE(name.startsWith(QLatin1Char('.')));
        EXPECT_LE(name.toUtf8().size(), 255);
        EXPECT_TRUE(vrt::isInsideFolder(folder, vrt::joinPath(folder, name)));
        EXPECT_FALSE(seen.contains(name)) << "two ids share the file " << name.toStdString();
        seen.insert(name);
    }
    EXPECT_EQ(controls::bodyFileName(QStringLiteral("000000016b1aa28d")), QStringLiteral("000000016b1aa28d.html"));
}

TEST(MailNames, AnAttachmentRowFindsItsFileOldRowsToo)
{
    testsupport::TempFolder dir;
    dir.write(QStringLiteral("7_a.pdf"), "new");     // a row that holds the name "a.pdf"
    dir.write(QStringLiteral("8_b.pdf"), "old");     // an older row that holds "8_b.pdf"
    dir.write(QStringLiteral("9_9_c.pdf"), "named"); // a new row whose own name is "9_c.pdf"
    const struct {
        qint64 id;
        const char* column;
        const char* file; // empty: none
    } rows[] = {{7, "a.pdf", "7_a.pdf"}, {8, "8_b.pdf", "8_b.pdf"}, {9, "9_c.pdf", "9_9_c.pdf"},
                {5, "gone.pdf", "5_gone.pdf"}, {7, "../7_a.pdf", ""}, {7, "..", ""}, {7, "", ""}};
    for (const auto& r : rows)
        EXPECT_EQ(controls::attachmentFile(dir.path(), r.id, QString::fromUtf8(r.column)),
                  *r.file ? dir.file(QString::fromUtf8(r.file)) : QString()) << r.column;
}

TEST(MailNames, StoredIdsCarryTheAccount)
{
    EXPECT_EQ(controls::storedMessageId(3, QStringLiteral("x_y:z")), QStringLiteral("3_x_y:z"));
    EXPECT_EQ(controls::uidlOfStoredId(QStringLiteral("3_x_y:z")), QStringLiteral("x_y:z"));
    EXPECT_EQ(controls::uidlOfStoredId(QStringLiteral("4521893")), QStringLiteral("4521893")) << "a sent copy's number";
    EXPECT_EQ(controls::uidlOfStoredId(QStringLiteral("a_b")), QStringLiteral("a_b"));
    EXPECT_EQ(controls::bodyFileName(controls::storedMessageId(12, QStringLiteral("000000016b1aa28d"))),
              QStringLiteral("12_000000016b1aa28d.html"));
    const struct {
        const char* raw;
        const char* safe;
    } names[] = {{"../../.bashrc", "bashrc"}, {"C:\\Users\\x\\report.doc", "report.doc"}, {"..", "fb"},
                 {"", "fb"}, {"a:b*c?.txt", "a_b_c_.txt"}, {"ok name.pdf", "ok name.pdf"}};
    for (const auto& n : names)
        EXPECT_EQ(controls::safeAttachmentName(QString::fromUtf8(n.raw), QStringLiteral("fb")), QString::fromUtf8(n.safe)) << n.raw;
    EXPECT_EQ(controls::safeAttachmentName(QString(300, QLatin1Char('a')) + QStringLiteral(".pdf"), QStringLiteral("fb")).size(), 120);
    EXPECT_TRUE(controls::safeAttachmentName(QString(300, QLatin1Char('a')) + QStringLiteral(".pdf"), QStringLiteral("fb")).endsWith(QStringLiteral(".pdf")));
}

// ---- the mail manager against a real server --------------------------------------------

class MailManagerDovecot : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s.start({QStringLiteral("%08Xu%08Xv"), true}, [](testsupport::Dovecot& d) {
            d.addUser(QStringLiteral("marko"), QStringLiteral("tajna"));
            d.deliver(QStringLiteral("marko"), ms::plainUtf8());
            d.deliver(QStringLiteral("marko"), ms::twoAttachments());
            d.deliver(QStringLiteral("marko"), ms::htmlWithInlineImage());
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
        mm.MailHost = QStringLiteral("127.0.0.1");
        mm.MailPort = s_server->port();
        mm.PopUsername = QStringLiteral("marko");
        mm.PopPassword = QStringLiteral("tajna");
    }

    MailManager mm;
    static inline testsupport::SharedDovecot s;
    static inline testsupport::Dovecot* s_server = nullptr;
};

TEST_F(MailManagerDovecot, ListsAndFetchesAndLeavesMailOnTheServer)
{
    // The server is the suite's: count only this test's logins, whatever ran before it.
    const auto logins = [] { return s_server->logText().count(QStringLiteral("Login: user=<marko>")); };
    const auto before = logins();
    const auto uidls = mm.GetUidls();
    ASSERT_TRUE(uidls) << mm.LastErrorText().toStdString();
    ASSERT_EQ(uidls->size(), 3);
    const QStringList subjects = {ms::croatian(), QStringLiteral("Dva privitka"), QStringLiteral("HTML s slikom")};
    for (int i = 0; i < 3; ++i) {
        const auto m = mm.FetchEmail(uidls->at(i));
        ASSERT_TRUE(m) << mm.LastErrorText().toStdString();
        EXPECT_EQ(m->subject(), subjects[i]);
    }
    EXPECT_EQ(mm.FetchEmail(QStringLiteral("no-such-id")), std::nullopt);
    EXPECT_FALSE(mm.LastErrorText().isEmpty());
    mm.Pop3EndSession();
    EXPECT_EQ(s_server->messageCount(QStringLiteral("marko")), 3);
    EXPECT_EQ(mm.GetUidls(), uidls) << "the unique ids are stable across sessions";
    // One login served the whole session.
    EXPECT_EQ(logins() - before, 2);
}

TEST_F(MailManagerDovecot, RefusedLoginAndClosedPortGiveNothingWithAReason)
{
    mm.PopPassword = QStringLiteral("kriva");
    EXPECT_EQ(mm.GetUidls(), std::nullopt);
    EXPECT_FALSE(mm.LastErrorText().isEmpty());
    mm.PopPassword = QStringLiteral("tajna");
    mm.MailPort = 1; // nothing listens there
    EXPECT_EQ(mm.GetUidls(), std::nullopt);
    EXPECT_FALSE(mm.LastErrorText().isEmpty());
}

TEST_F(MailManagerDovecot, TlsFromTheStartAndStartTls)
{
    for (int ssl : {1, 2}) {
        SCOPED_TRACE(ssl);
        MailManager tls;
        tls.MailHost = QStringLiteral("127.0.0.1");
        tls.MailPort = ssl == 1 ? s_server->tlsPort() : s_server->port();
        tls.PopSsl = ssl;
        tls.PopUsername = QStringLiteral("marko");
        tls.PopPassword = QStringLiteral("tajna");
        tls.CaFile = s_server->certificateFile();
        const auto uidls = tls.GetUidls();
        ASSERT_TRUE(uidls) << tls.LastErrorText().toStdString();
        EXPECT_EQ(uidls->size(), 3);
        ASSERT_TRUE(tls.FetchEmail(uidls->first()));

        tls.CaFile.clear(); // an unknown certificate is refused
        EXPECT_EQ(tls.GetUidls(), std::nullopt);
    }
}

TEST_F(MailManagerDovecot, DeleteByUidlRemovesThatMessageOnly)
{
    s_server->addUser(QStringLiteral("brisanje"), QStringLiteral("x"));
    for (int i = 0; i < 3; ++i)
        s_server->deliver(QStringLiteral("brisanje"), ms::sized(i, 500));
    mm.PopUsername = QStringLiteral("brisanje");
    mm.PopPassword = QStringLiteral("x");
    const auto listed = mm.GetUidls();
    ASSERT_TRUE(listed && listed->size() == 3) << mm.LastErrorText().toStdString();
    const QStringList uidls = *listed;
    ASSERT_TRUE(mm.DeleteByUidl(uidls[1])) << mm.LastErrorText().toStdString();
    mm.Pop3EndSession();
    EXPECT_EQ(mm.GetUidls(), (QStringList{uidls[0], uidls[2]}));
    EXPECT_FALSE(mm.DeleteByUidl(uidls[1]));
}

// ---- protocol edge cases ---------------------------------------------------------------

TEST(MailManagerFake, HostileUniqueIdsArriveVerbatimAndDotsAreUnstuffed)
{
    testsupport::FakePop3 server;
    const QByteArray dotted = "Subject: dots\r\n\r\n.leading dot\r\n..two\r\n";
    server.addMessage(QStringLiteral("../../x"), dotted);
    server.addMessage(QStringLiteral("C:\\y"), ms::plainUtf8());
    ASSERT_TRUE(server.start());
    MailManager mm;
    mm.MailHost = QStringLiteral("127.0.0.1");
    mm.MailPort = server.port();
    mm.PopUsername = QStringLiteral("u");
    mm.PopPassword = QStringLiteral("p");
    const auto uidls = mm.GetUidls();
    ASSERT_TRUE(uidls) << mm.LastErrorText().toStdString();
    EXPECT_EQ(*uidls, (QStringList{QStringLiteral("../../x"), QStringLiteral("C:\\y")}));
    const auto raw = mm.fetchRaw(QStringLiteral("../../x"));
    ASSERT_TRUE(raw);
    EXPECT_TRUE(raw->contains("\r\n.leading dot\r\n..two\r\n")) << raw->toStdString();
}

TEST(MailManagerFake, AServerThatGoesQuietIsAbandonedOnRequest)
{
    testsupport::FakePop3 server;
    server.addMessage(QStringLiteral("1"), ms::plainUtf8());
    server.setBehaviour(testsupport::FakePop3::Behaviour::SilentOnRetrieve);
    ASSERT_TRUE(server.start());
    std::atomic<bool> abort{false};
    MailManager mm;
    mm.MailHost = QStringLiteral("127.0.0.1");
    mm.MailPort = server.port();
    mm.PopUsername = QStringLiteral("u");
    mm.PopPassword = QStringLiteral("p");
    mm.abortFlag = &abort;
    ASSERT_TRUE(mm.GetUidls());
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        abort = true;
    });
    EXPECT_EQ(mm.FetchEmail(QStringLiteral("1")), std::nullopt);
    later.join();
    EXPECT_FALSE(mm.LastErrorText().isEmpty());
}

TEST(MailManagerComponent, MadeByProgramIdentifierAndRegisteredAgainWhenMissing)
{
    auto& registry = vrt::ComponentRegistry::instance();
    const QString id = QString::fromLatin1(MailManager::ProgId);
    registry.unregister(id);
    EXPECT_TRUE(MailManager::createByProgId());
    EXPECT_TRUE(registry.isRegistered(id));
    registry.registerFactory(id, [](QWidget*) { return new QObject; });
    EXPECT_FALSE(MailManager::createByProgId()) << "something else under the identifier is no mail manager";
    MailManager::registerComponent();
}
