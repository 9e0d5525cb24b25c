#include <gtest/gtest.h>

#include "tests/support/MailSamples.h"
#include "protocols/MailManager.h"
#include "controls/OrganiserControls.h"
#include "data/Dictionary.h"
#include "mailtransfer/DatabaseStore.h"
#include "mailtransfer/ReceiveAccount.h"
#include "procedures/organiser/window/EventChecks.h"
#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"
#include "tests/support/FakePop3.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include <sys/stat.h>

namespace {

using mailsamples::png;

// An HTML mail; with inline images, a multipart/related one with each image under its
// Content-ID.
QByteArray htmlMail(const QString& subject, const QByteArray& html, const std::vector<std::pair<QByteArray, int>>& images = {})
{
    QByteArray m = "From: posiljatelj@primjer.hr\r\nTo: marko@primjer.hr\r\nSubject: " + subject.toUtf8()
                   + "\r\nDate: Wed, 04 Mar 2026 08:00:00 +0000\r\nMIME-Version: 1.0\r\n";
    const QByteArray htmlPart = "Content-Type: text/html; charset=UTF-8\r\n\r\n" + html + "\r\n";
    if (images.empty())
        return m + htmlPart;
    m += "Content-Type: multipart/related; boundary=\"R\"\r\n\r\n--R\r\n" + htmlPart;
    for (const auto& [cid, width] : images)
        m += "--R\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <" + cid
             + ">\r\nContent-Disposition: inline; filename=\"" + cid + ".png\"\r\n\r\n" + png(width).toBase64() + "\r\n";
    return m + "--R--\r\n";
}

// `open` `depth` times around the text "dno", then `close` as often; a line break every
// hundred tags keeps the mail's lines short.
QByteArray nested(const QByteArray& open, const QByteArray& close, int depth)
{
    QByteArray out;
    for (int i = 0; i < depth; ++i)
        out += open + (i % 100 == 99 ? "\r\n" : "");
    out += "dno";
    for (int i = 0; i < depth; ++i)
        out += close + (i % 100 == 99 ? "\r\n" : "");
    return out;
}

// The widths of the images the document shows, in order; 0 for one it could not load.
QList<int> shownImageWidths(QTextDocument* doc)
{
    QList<int> out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            const QVariant r = doc->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name()));
            // The layout keeps what it drew as a pixmap.
            if (r.userType() == QMetaType::QPixmap)
                out << r.value<QPixmap>().width();
            else
                out << QImage::fromData(r.toByteArray()).width();
        }
    return out;
}

// How deep the elements of `html` nest, counted as plainly as possible.
int nesting(const QString& html)
{
    static const QRegularExpression tag(QStringLiteral("<(/?)(\\w+)[^>]*?(/?)>"));
    static const QStringList empty{QStringLiteral("meta"), QStringLiteral("img"), QStringLiteral("br")};
    int depth = 0, deepest = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty())
            --depth;
        else if (m.captured(3).isEmpty() && !empty.contains(m.captured(2).toLower()))
            deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

int deepestFrame(QTextDocument* doc)
{
    int deepest = 0;
    std::vector<std::pair<QTextFrame*, int>> todo{{doc->rootFrame(), 0}};
    while (!todo.empty()) {
        const auto [frame, depth] = todo.back();
        todo.pop_back();
        deepest = std::max(deepest, depth);
        for (QTextFrame* child : frame->childFrames())
            todo.push_back({child, depth + 1});
    }
    return deepest;
}

} // namespace

// Hostile mails received by korbelsteen's receive into a real database, then each shown in
// the organiser's preview at the path the organiser looks for it: the preview shows the
// mail's own text and inline images and nothing else, and nothing crashes or hangs.
class HostileMail : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(W_First::OpenFilez(), 0);
        for (const char* system : {"xInbox_1", "xJunk_1"}) {
            Access(Tbl::Inbox).clearBuffer();
            INB().ACCOUNTID = 1;
            INB().ENNAZIV = system;
            INB().NAZIV = system;
            ASSERT_EQ(Access(Tbl::Inbox).Insert(), 0);
        }
    }
};

TEST_F(HostileMail, ThePreviewShowsOnlyTheMailsOwnContent)
{
    testsupport::TempFolder outside;
    outside.write(QStringLiteral("secret.png"), png(7));
    const QString data = m_folder->path();
    m_folder->write(QStringLiteral("secret.png"), png(7));
    const QString fifoOutside = outside.file(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifoOutside).constData(), 0600), 0);

    struct Case {
        const char* what;
        QString uidl;
        QByteArray html;
        std::vector<std::pair<QByteArray, int>> images;
        QList<int> shown; // image widths; 0: not loaded
    };
    const QByteArray outsidePng = outside.file(QStringLiteral("secret.png")).toUtf8();
    const Case cases[] = {
        {"an image from a device", "dev", R"(<p>znak</p><img src="file:///dev/zero">)", {}, {0}},
        {"an image from a pipe", "fifo", "<p>znak</p><img src=\"" + fifoOutside.toUtf8() + "\">", {}, {0}},
        {"a pipe beside the body", "fifo-in", R"(<p>znak</p><img src="Files/pipe.png">)", {}, {0}},
        {"an absolute path outside", "abs", "<p>znak</p><img src=\"" + outsidePng + "\">", {}, {0}},
        {"a file URL outside", "absurl", "<p>znak</p><img src=\"file://" + outsidePng + "\">", {}, {0}},
        {"a ../ escape", "up", R"(<p>znak</p><img src="../secret.png">)", {}, {0}},
        {"a link out of the folder", "link", R"(<p>znak</p><img src="Files/link.png">)", {}, {0}},
        {"a remote image", "remote", R"(<p>znak</p><img src="http://127.0.0.1:9/p.png">)", {}, {0}},
        {"3,000 nested tables", "tables", nested("<table><tr><td>", "</td></tr></table>", 3000), {}, {}},
        {"50,000 nested divs", "divs", nested("<div>", "</div>", 50000), {}, {}},
        {"inline images whose ids share a prefix", "cid",
         R"(<p>znak</p><img src="cid:img1"><img src="cid:img10">)", {{"img1", 3}, {"img10", 5}}, {3, 5}},
        {"a unique id with odd characters", "Uid@1+x/y:%20", "<p>znak</p>", {}, {}},
        {"a unique id in mixed case", "UidAbC", "<p>znak</p>", {}, {}},
        {"the same unique id in lower case", "uidabc", "<p>znak</p>", {}, {}},
    };

    testsupport::FakePop3 server;
    for (const Case& c : cases)
        server.addMessage(c.uidl, htmlMail(QString::fromLatin1(c.what), c.html, c.images));
    ASSERT_TRUE(server.start());
    controls::MailManager mail;
    mail.MailHost = QStringLiteral("127.0.0.1");
    mail.MailPort = server.port();
    mail.PopUsername = QStringLiteral("u");
    mail.PopPassword = QStringLiteral("p");
    korbelsteen::DatabaseStore store;
    QStringList stops;
    const korbelsteen::Account account{1, QStringLiteral("A"), mail.MailHost, mail.PopUsername, mail.PopPassword, server.port(), 0};
    const korbelsteen::ReceiveResult received = korbelsteen::ReceiveAccountMail(
        mail, store, account, {data, nullptr, [&stops](const QString& text) { stops << text; }});
    ASSERT_EQ(received.stored, int(std::size(cases))) << stops.join(QLatin1Char('\n')).toStdString();
    // A second receive finds every one of them stored, as it was written.
    const korbelsteen::ReceiveResult again = korbelsteen::ReceiveAccountMail(
        mail, store, account, {data, nullptr, [&stops](const QString& text) { stops << text; }});
    EXPECT_EQ(again.stored, 0);
    EXPECT_EQ(again.skipped, int(std::size(cases)));
    EXPECT_TRUE(stops.isEmpty()) << stops.join(QLatin1Char('\n')).toStdString();

    // What a hostile sender cannot write by mail, another program could leave beside it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_folder->file(QStringLiteral("Email/Files/pipe.png"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(outside.file(QStringLiteral("secret.png")), m_folder->file(QStringLiteral("Email/Files/link.png"))));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto id = query("SELECT MESSAGEID FROM EMAIL WHERE SUBJECT = '" + std::string(c.what) + "'");
        ASSERT_EQ(id.size(), 1u);
        controls::PreviewBrowser preview;
        preview.navigate(organiser::EventPump::previewPath(data, QString::fromStdString(id[0])));
        const QString text = preview.toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("znak")) || text.contains(QStringLiteral("dno"))) << "the mail's text is shown";
        EXPECT_EQ(shownImageWidths(preview.document()), c.shown);
        EXPECT_LE(deepestFrame(preview.document()), controls::kMaxHtmlNesting);
        EXPECT_LE(nesting(preview.shownHtml()), controls::kMaxHtmlNesting + 3) << "deep markup is flattened";
    }
}
