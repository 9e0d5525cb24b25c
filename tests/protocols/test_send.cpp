#include <gtest/gtest.h>

#include "protocols/MailManager.h"
#include "protocols/MimeMessage.h"
#include "protocols/OutgoingMessage.h"
#include "tests/support/Dovecot.h"
#include "tests/support/MailSamples.h"
#include "tests/support/SmtpServer.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

using controls::HtmlToMime;
using controls::MailManager;
using controls::MimeMessage;
using controls::OutgoingMessage;

namespace {

const QString kSubject = QStringLiteral("Ponuda za čćžšđ ČĆŽŠĐ");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray png() { return mailsamples::png(8); }

// An editor's document: Croatian text, a local image beside it, one outside its folder and a
// remote one; and two files to attach.
struct Draft {
    QTemporaryDir dir;
    QString html, first, second;
    Draft()
    {
        QDir(dir.path()).mkpath(QStringLiteral("doc"));
        writeFile(dir.filePath(QStringLiteral("doc/slika.png")), png());
        writeFile(dir.filePath(QStringLiteral("tajno.png")), png());
        html = dir.filePath(QStringLiteral("doc/HtmlFile.html"));
        writeFile(html, QStringLiteral("<html><body><p>Poštovani, šaljem ponudu.</p>"
                                       "<img src=\"slika.png\"><img src='../tajno.png'>"
                                       "<img src=\"http://example.com/track.png\"></body></html>")
                            .toUtf8());
        first = dir.filePath(QStringLiteral("Račun 1.pdf"));
        second = dir.filePath(QStringLiteral("popis.txt"));
        writeFile(first, QByteArray(70000, 'x'));
        writeFile(second, "jedan\ndva\n");
    }
    OutgoingMessage message() const
    {
        const auto mime = HtmlToMime::createByProgId();
        EXPECT_NE(mime, nullptr);
        auto m = mime->GetEmail(html);
        EXPECT_TRUE(m) << mime->LastErrorText().toStdString();
        m->From = QStringLiteral("Ana Anić <ana@velmora.test>");
        m->subject = kSubject;
        m->AddTo(QStringLiteral("Ivo Ivić"), QStringLiteral("ivo@velmora.test"));
        return *m;
    }
};

} // namespace

TEST(OutgoingMessage, BuildsWhatAReaderGetsBack)
{
    Draft d;
    OutgoingMessage m = d.message();
    m.subject = kSubject + QStringLiteral("\r\nBcc: krijumcar@zlo.test");
    m.AddCc(QStringLiteral("Maja"), QStringLiteral("maja@velmora.test"));
    m.AddTo(QStringLiteral("Ivo opet"), QStringLiteral("IVO@velmora.test")); // the same address
    m.AddBCC(QString(), QStringLiteral("tajni@velmora.test"));
    ASSERT_TRUE(m.AddFileAttachment(d.first));
    ASSERT_TRUE(m.AddFileAttachment(d.second));
    EXPECT_FALSE(m.AddFileAttachment(d.dir.filePath(QStringLiteral("nema.txt"))));
    EXPECT_FALSE(m.AddFileAttachment(d.dir.path()));
    const auto bytes = m.toBytes();
    ASSERT_TRUE(bytes) << m.LastErrorText().toStdString();
    EXPECT_EQ(m.envelopeRecipients(),
              (QStringList{QStringLiteral("ivo@velmora.test"), QStringLiteral("maja@velmora.test"),
                           QStringLiteral("tajni@velmora.test")}));

    const QByteArray head = bytes->left(bytes->indexOf("\r\n\r\n"));
    EXPECT_FALSE(head.contains("tajni@")) << "Bcc travels only in the envelope";
    EXPECT_FALSE(head.contains("\r\nBcc:")) << "a line break in the subject starts no header";
    EXPECT_FALSE(head.contains("Ana Ani\xc4\x87")) << "names with Croatian letters are encoded";
    EXPECT_TRUE(head.contains("Message-Id:") || head.contains("Message-ID:"));
    EXPECT_TRUE(head.contains("Date:"));

    const MimeMessage back = MimeMessage::fromBytes(*bytes);
    EXPECT_EQ(back.subject(), kSubject + QStringLiteral(" Bcc: krijumcar@zlo.test"));
    EXPECT_EQ(back.FromName(), QStringLiteral("Ana Anić"));
    EXPECT_EQ(back.FromAddress(), QStringLiteral("ana@velmora.test"));
    ASSERT_EQ(back.NumTo(), 1);
    EXPECT_EQ(back.GetToName(0), QStringLiteral("Ivo Ivić"));
    ASSERT_EQ(back.NumCc(), 1);
    EXPECT_EQ(back.NumBCc(), 0);
    EXPECT_TRUE(back.GetPlainTextBody().contains(QStringLiteral("Poštovani, šaljem ponudu.")));
    const QString html = back.GetHtmlBody();
    EXPECT_TRUE(html.contains(QStringLiteral("Poštovani")));
    EXPECT_TRUE(html.contains(QStringLiteral("http://example.com/track.png"))) << "remote images stay links";
    EXPECT_TRUE(html.contains(QStringLiteral("../tajno.png"))) << "a file outside the folder is not sent";
    ASSERT_EQ(back.relatedParts().size(), 1u);
    EXPECT_TRUE(html.contains(QStringLiteral("cid:") + back.relatedParts()[0].contentId));
    EXPECT_EQ(back.relatedParts()[0].data, png());
    ASSERT_EQ(back.NumAttachments(), 2);
    EXPECT_EQ(back.GetAttachmentFilename(0), QStringLiteral("Račun 1.pdf"));
    EXPECT_EQ(back.attachmentData(0), QByteArray(70000, 'x'));
    EXPECT_EQ(back.attachmentData(1), QByteArray("jedan\ndva\n"));
}

// The text goes in the charset the mail settings name when that charset holds all of it,
// otherwise in UTF-8; the HTML's own declaration says the same; a forwarded file keeps the
// name it is given.
TEST(OutgoingMessage, TextTravelsInTheChosenCharsetOrUtf8AndAttachmentsUnderTheirNames)
{
    Draft d;
    const struct {
        const char* chosen;
        const char* sent;
    } cases[] = {{"windows-1250", "windows-1250"}, {"ISO-8859-2", "ISO-8859-2"}, {"us-ascii", "utf-8"},
                 {"x-nepoznat", "utf-8"}, {"", "utf-8"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        OutgoingMessage m = d.message();
        m.htmlBody = QStringLiteral("<html><head><meta charset=\"utf-8\" /></head><body><p>Poštovani, đak čeka.</p></body></html>");
        m.plainBody = QStringLiteral("Poštovani, đak čeka.");
        m.Charset = QString::fromLatin1(c.chosen);
        ASSERT_TRUE(m.AddFileAttachment(d.first, QStringLiteral("Ponuda.pdf")));
        const auto bytes = m.toBytes();
        ASSERT_TRUE(bytes) << m.LastErrorText().toStdString();
        EXPECT_TRUE(bytes->contains(QByteArray("charset=") + c.sent) || bytes->contains(QByteArray("charset=\"") + c.sent))
            << bytes->left(1500).toStdString();
        const MimeMessage back = MimeMessage::fromBytes(*bytes);
        EXPECT_EQ(back.subject(), kSubject);
        EXPECT_EQ(back.GetPlainTextBody().trimmed(), QStringLiteral("Poštovani, đak čeka."));
        EXPECT_TRUE(back.GetHtmlBody().contains(QStringLiteral("Poštovani, đak čeka.")));
        EXPECT_TRUE(back.GetHtmlBody().contains(QStringLiteral("charset=\"") + QString::fromLatin1(c.sent)))
            << back.GetHtmlBody().toStdString();
        QStringList names; // the picture the new text no longer shows comes as a file too
        for (int i = 0; i < back.NumAttachments(); ++i)
            names << back.GetAttachmentFilename(i);
        EXPECT_TRUE(names.contains(QStringLiteral("Ponuda.pdf"))) << names.join(' ').toStdString();
        EXPECT_FALSE(names.contains(QStringLiteral("Račun 1.pdf")));
    }
}

TEST(OutgoingMessage, ZippedAttachmentsTravelAsOneArchive)
{
    Draft d;
    OutgoingMessage m = d.message();
    ASSERT_TRUE(m.AddFileAttachment(d.first));
    ASSERT_TRUE(m.AddFileAttachment(d.second));
    ASSERT_TRUE(m.ZipAttachments(QStringLiteral("1234_attachments.zip")));
    const auto bytes = m.toBytes();
    ASSERT_TRUE(bytes) << m.LastErrorText().toStdString();
    const MimeMessage back = MimeMessage::fromBytes(*bytes);
    ASSERT_EQ(back.NumAttachments(), 1);
    EXPECT_EQ(back.GetAttachmentFilename(0), QStringLiteral("1234_attachments.zip"));
    const QString zip = d.dir.filePath(QStringLiteral("back.zip"));
    ASSERT_TRUE(writeFile(zip, back.attachmentData(0)));
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(unzip.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("Račun 1.pdf"), QStringLiteral("popis.txt")}));
}

// ---- sending to a real SMTP server ------------------------------------------------------------

class SendSmtp : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString why = testsupport::SmtpServer::unavailableReason();
        if (!why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
    }
    void useServer(MailManager& mm, const testsupport::SmtpServer& server, int ssl)
    {
        mm.SmtpHost = QStringLiteral("127.0.0.1");
        mm.SmtpPort = server.port();
        mm.SmtpSsl = ssl;
        mm.SmtpUserName = QStringLiteral("posiljatelj");
        mm.SmtpPassword = QStringLiteral("tajna");
        mm.CaFile = server.certificateFile();
    }
};

TEST_F(SendSmtp, StartTlsAndTlsFromTheStartDeliverToEveryRecipient)
{
    for (bool implicit : {false, true}) {
        SCOPED_TRACE(implicit);
        testsupport::SmtpServer::Options o;
        o.implicitTls = implicit;
        testsupport::SmtpServer server(o);
        QString why;
        ASSERT_TRUE(server.start(&why)) << why.toStdString();
        Draft d;
        OutgoingMessage m = d.message();
        m.AddBCC(QString(), QStringLiteral("tajni@velmora.test"));
        MailManager mm;
        useServer(mm, server, implicit ? 3 : 2);
        ASSERT_TRUE(mm.SendEmail(m)) << mm.LastErrorText().toStdString();
        ASSERT_TRUE(mm.SendEmail(m)) << "the connection serves a second message";
        const auto got = server.messages();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].recipients, (QStringList{QStringLiteral("ivo@velmora.test"), QStringLiteral("tajni@velmora.test")}));
        EXPECT_EQ(MimeMessage::fromBytes(got[0].bytes).subject(), kSubject);
    }
}

TEST_F(SendSmtp, FailuresAreReportedAndNothingIsAccepted)
{
    testsupport::SmtpServer::Options o;
    o.refused = {QStringLiteral("nitko@velmora.test")};
    testsupport::SmtpServer server(o);
    QString why;
    ASSERT_TRUE(server.start(&why)) << why.toStdString();
    Draft d;
    struct Case {
        const char* name;
        std::function<void(MailManager&, OutgoingMessage&)> spoil;
    };
    const std::vector<Case> cases = {
        {"wrong password", [](MailManager& mm, OutgoingMessage&) { mm.SmtpPassword = QStringLiteral("kriva"); }},
        {"refused recipient", [](MailManager&, OutgoingMessage& m) { m.AddCc({}, QStringLiteral("nitko@velmora.test")); }},
        {"plain where TLS is required", [](MailManager& mm, OutgoingMessage&) { mm.SmtpSsl = 0; }},
        {"nothing listens", [](MailManager& mm, OutgoingMessage&) { mm.SmtpPort = 1; }},
        {"no host", [](MailManager& mm, OutgoingMessage&) { mm.SmtpHost.clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutgoingMessage m = d.message();
        MailManager mm;
        useServer(mm, server, 2);
        c.spoil(mm, m);
        EXPECT_FALSE(mm.SendEmail(m));
        EXPECT_FALSE(mm.LastErrorText().isEmpty());
    }
    EXPECT_TRUE(server.messages().empty());
    // The same manager sends once the fault is gone, after closing the failed connection.
    MailManager mm;
    useServer(mm, server, 2);
    mm.SmtpPassword = QStringLiteral("kriva");
    OutgoingMessage m = d.message();
    EXPECT_FALSE(mm.SendEmail(m));
    mm.CloseSmtpConnection();
    mm.SmtpPassword = QStringLiteral("tajna");
    EXPECT_TRUE(mm.SendEmail(m)) << mm.LastErrorText().toStdString();
    EXPECT_EQ(server.messages().size(), 1u);
}

// What one account sends, another receives over POP3 intact: text, inline image, attachments.
TEST_F(SendSmtp, ARoundTripThroughSmtpAndPop3KeepsEverything)
{
    if (const QString why = testsupport::Dovecot::unavailableReason(); !why.isEmpty()) {
        GTEST_SKIP() << why.toStdString();
    }
    testsupport::SmtpServer smtp;
    testsupport::Dovecot pop;
    QString why;
    ASSERT_TRUE(smtp.start(&why)) << why.toStdString();
    pop.addUser(QStringLiteral("ivo"), QStringLiteral("lozinka"));
    ASSERT_TRUE(pop.start(&why)) << why.toStdString();

    Draft d;
    OutgoingMessage m = d.message();
    ASSERT_TRUE(m.AddFileAttachment(d.first));
    ASSERT_TRUE(m.AddFileAttachment(d.second));
    MailManager sender;
    useServer(sender, smtp, 2);
    ASSERT_TRUE(sender.SendEmail(m)) << sender.LastErrorText().toStdString();
    for (const auto& message : smtp.messages())
        ASSERT_TRUE(pop.deliver(QStringLiteral("ivo"), message.bytes));

    MailManager receiver;
    receiver.MailHost = QStringLiteral("127.0.0.1");
    receiver.MailPort = pop.port();
    receiver.PopUsername = QStringLiteral("ivo");
    receiver.PopPassword = QStringLiteral("lozinka");
    const auto uidls = receiver.GetUidls();
    ASSERT_TRUE(uidls && uidls->size() == 1) << receiver.LastErrorText().toStdString();
    const auto back = receiver.FetchEmail(uidls->first());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->subject(), kSubject);
    EXPECT_EQ(back->FromName(), QStringLiteral("Ana Anić"));
    EXPECT_TRUE(back->GetPlainTextBody().contains(QStringLiteral("šaljem ponudu")));
    ASSERT_EQ(back->relatedParts().size(), 1u);
    EXPECT_EQ(back->relatedParts()[0].data, png());
    ASSERT_EQ(back->NumAttachments(), 2);
    EXPECT_EQ(back->GetAttachmentFilename(0), QStringLiteral("Račun 1.pdf"));
    EXPECT_EQ(back->attachmentData(0), QByteArray(70000, 'x'));
    EXPECT_EQ(back->messageIdHeader(), m.messageIdHeader());
}
