#include <gtest/gtest.h>

#include "tests/support/MailSamples.h"
#include "controls/MailManager.h"
#include "controls/OrganiserControls.h"
#include "data/Dictionary.h"
#include "mailtransfer/DatabaseStore.h"
#include "mailtransfer/ReceiveAccount.h"
#include "procedures/organiser/window/EventChecks.h"
#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"
#include "tests/support/FakePop3.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Watchdog.h"
#include "controls/Controls.h"
#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/lists/OrganiserLists.h"
#include "runtime/Notify.h"

#include <QApplication>
#include <QLabel>

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

    // korbelsteen's receive of account 1 from `server` into the data folder; what stopped a
    // message goes to `stops`.
    korbelsteen::ReceiveResult receive(const testsupport::FakePop3& server, QStringList& stops)
    {
        controls::MailManager mail;
        mail.MailHost = QStringLiteral("127.0.0.1");
        mail.MailPort = server.port();
        mail.PopUsername = QStringLiteral("u");
        mail.PopPassword = QStringLiteral("p");
        korbelsteen::DatabaseStore store;
        const korbelsteen::Account account{1, QStringLiteral("A"), mail.MailHost, mail.PopUsername, mail.PopPassword, server.port(), 0};
        return korbelsteen::ReceiveAccountMail(mail, store, account,
                                               {m_folder->path(), nullptr, [&stops](const QString& text) { stops << text; }});
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
        QList<int> shown; // widths of the images shown
    };
    const QByteArray outsidePng = outside.file(QStringLiteral("secret.png")).toUtf8();
    const Case cases[] = {
        {"an image from a device", "dev", R"(<p>znak</p><img src="file:///dev/zero">)", {}, {}},
        {"an image from a pipe", "fifo", "<p>znak</p><img src=\"" + fifoOutside.toUtf8() + "\">", {}, {}},
        {"a pipe beside the body", "fifo-in", R"(<p>znak</p><img src="Files/pipe.png">)", {}, {}},
        {"an absolute path outside", "abs", "<p>znak</p><img src=\"" + outsidePng + "\">", {}, {}},
        {"a file URL outside", "absurl", "<p>znak</p><img src=\"file://" + outsidePng + "\">", {}, {}},
        {"a ../ escape", "up", R"(<p>znak</p><img src="../secret.png">)", {}, {}},
        {"a link out of the folder", "link", R"(<p>znak</p><img src="Files/link.png">)", {}, {}},
        {"a remote image", "remote", R"(<p>znak</p><img src="http://127.0.0.1:9/p.png">)", {}, {}},
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
    QStringList stops;
    const korbelsteen::ReceiveResult received = receive(server, stops);
    ASSERT_EQ(received.stored, int(std::size(cases))) << stops.join(QLatin1Char('\n')).toStdString();
    // A second receive finds every one of them stored, as it was written.
    const korbelsteen::ReceiveResult again = receive(server, stops);
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

// Each hostile mail received by korbelsteen's receive, then the organiser window started as
// velmora starts it with that mail the one shown: the window shows it and answers, whatever
// the mail names. A hang ends the run through the watchdog instead of blocking it.
TEST_F(HostileMail, TheWindowStartsOnEachHostileMail)
{
    using namespace std::chrono_literals;
    testsupport::TempFolder outside;
    outside.write(QStringLiteral("secret.png"), png(7));
    const QByteArray fifo = outside.file(QStringLiteral("fifo")).toUtf8();
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QString data = m_folder->path();

    struct Case {
        const char* what;
        QByteArray subject, html;
    };
    QByteArray bigNest;
    while (bigNest.size() < 1024 * 1024)
        bigNest += nested("<div><span>", "</span></div>", 2000);
    const Case cases[] = {
        {"pipe", "znak", "<p>znak</p><img src=\"" + fifo + "\">"},
        {"pipe url", "znak", "<p>znak</p><img src=\"file://" + fifo + "\"><table background=\"" + fifo + "\"><tr><td>x</td></tr></table>"},
        {"pipe in css", "znak", "<style>p{background-image:url(" + fifo + ")}</style><p style=\"background:url('" + fifo + "')\">znak</p>"},
        {"passwd", "znak", R"(<p>znak</p><img src="/etc/passwd"><img src="../../../../../../etc/passwd">)"},
        {"pipe in the subject", "<img src=\"" + fifo + "\">znak", "<p>znak</p>"},
        {"tables", "dno", nested("<table><tr><td>", "</td></tr></table>", 4000)},
        {"a megabyte of nesting", "dno", bigNest},
    };
    testsupport::FakePop3 server;
    for (const Case& c : cases)
        server.addMessage(QString::fromLatin1(c.what).replace(u' ', u'-'), htmlMail(QString::fromUtf8(c.subject), c.html));
    ASSERT_TRUE(server.start());
    QStringList stops;
    const korbelsteen::ReceiveResult received = receive(server, stops);
    ASSERT_EQ(received.stored, int(std::size(cases))) << stops.join(QLatin1Char('\n')).toStdString();

    VelmoraDll::load();
    THISPCPATH = data.toStdString();
    controls::registerBuiltInControls();
    const std::vector<std::string> ids = query("SELECT ID FROM EMAIL ORDER BY ID");
    ASSERT_EQ(ids.size(), std::size(cases));
    for (size_t k = 0; k < ids.size(); ++k) {
        SCOPED_TRACE(cases[k].what);
        const testsupport::Watchdog watchdog(180s, std::string("the window on the mail ") + cases[k].what);
        // This mail alone in the inbox: the one the mail page shows first.
        query("UPDATE EMAIL SET INBOXID = (SELECT ID FROM INBOX WHERE ENNAZIV = 'xJunk_1')");
        query("UPDATE EMAIL SET INBOXID = (SELECT ID FROM INBOX WHERE ENNAZIV = 'xInbox_1'), READ = 0 WHERE ID = " + ids[k]);
        const QString body = organiser::EventPump::previewPath(data, QString::fromStdString(query("SELECT MESSAGEID FROM EMAIL WHERE ID = " + ids[k])[0]));
        std::unique_ptr<organiser::OrganiserWindow> window(organiser::W_First(vrt::registerReceiver(new QObject(qApp)), nullptr));
        ASSERT_TRUE(window);
        window->resize(1200, 800);
        window->show();
        vrt::notify(window->receiverId(), 2, 2);
        ASSERT_TRUE(testsupport::waitFor([&] { return window->shownPage() == 2; })) << "the mail page";
        auto* panes = window->findChild<organiser::OrganiserPanes*>();
        ASSERT_NE(panes, nullptr);
        panes->lists().setMailFolder(std::stol(query("SELECT ID FROM INBOX WHERE ENNAZIV = 'xInbox_1'")[0]));
        organiser::OrganiserList& list = panes->lists().list(organiser::ctl::Email);
        ASSERT_TRUE(testsupport::waitFor([&] { return list.rowCount() == 1; }));
        ASSERT_TRUE(list.select(0));
        auto* preview = qobject_cast<controls::PreviewBrowser*>(window->hosted().preview);
        ASSERT_TRUE(testsupport::waitFor([&] {
            preview = qobject_cast<controls::PreviewBrowser*>(window->hosted().preview);
            return preview && preview->location() == body;
        }, 60000)) << "the mail is shown";
        const QString text = preview->toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("znak")) || text.contains(QStringLiteral("dno"))) << text.left(200).toStdString();
        EXPECT_LE(deepestFrame(preview->document()), controls::kMaxHtmlNesting);
        auto* header = qobject_cast<controls::MessageHeaderPanel*>(window->hosted().headerPanel);
        ASSERT_NE(header, nullptr);
        EXPECT_TRUE(testsupport::waitFor([&] {
            return qobject_cast<QLabel*>(header->item(1))->text() == QString::fromUtf8(cases[k].subject);
        })) << "the subject is shown as it is written";
        // It answers: a posted event comes round.
        bool answered = false;
        QMetaObject::invokeMethod(window.get(), [&answered] { answered = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(testsupport::waitFor([&] { return answered; }));
        window.reset();
    }
}
