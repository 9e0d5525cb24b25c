#include <gtest/gtest.h>

#include "controls/MailHtml.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Watchdog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

// A document that notes every resource it is asked for and answers none, so anything the
// markup still names reaches Qt's own loader, as it would in any document of the program.
class RecordingDocument : public QTextDocument {
public:
    QStringList asked;

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        asked << name.toString();
        return QTextDocument::loadResource(type, name);
    }
};

int deepestElement(const QString& html, const QString& only = {})
{
    static const QRegularExpression tag(QStringLiteral("<(/?)(\\w+)[^>]*>"));
    static const QStringList empty{QStringLiteral("img"), QStringLiteral("br"), QStringLiteral("hr")};
    int depth = 0, deepest = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!only.isEmpty() && m.captured(2) != only)
            continue;
        if (!m.captured(1).isEmpty())
            --depth;
        else if (!empty.contains(m.captured(2)))
            deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

QString repeated(const QString& open, const QString& close, int times)
{
    return open.repeated(times) + QStringLiteral("dno") + close.repeated(times);
}

} // namespace

// Every hostile body made safe: what the table says stays and goes, no document built from
// the result asks for anything outside the message's folder, and none of it hangs.
TEST(MailHtml, HostileBodiesComeOutSafe)
{
    testsupport::TempFolder data;
    data.write(QStringLiteral("secret.png"), mailsamples::png(7));
    data.write(QStringLiteral("Email/Files/1_ok.png"), mailsamples::png(3));
    const QString folder = QFileInfo(data.file(QStringLiteral("Email"))).canonicalFilePath();
    const QString fifo = data.file(QStringLiteral("Email/Files/pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString outsideFifo = data.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(outsideFifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(data.file(QStringLiteral("secret.png")), data.file(QStringLiteral("Email/Files/out.png"))));
    ASSERT_TRUE(QFile::link(data.file(QStringLiteral("Email/Files/1_ok.png")), data.file(QStringLiteral("Email/Files/in.png"))));
    const QString ok = QUrl::fromLocalFile(folder + QStringLiteral("/Files/1_ok.png")).toString(QUrl::FullyEncoded);

    struct Case {
        const char* what;
        QString html;
        QStringList kept, gone;
    };
    const QString secret = data.file(QStringLiteral("secret.png"));
    const Case cases[] = {
        {"a pipe beside the body", "<p>a</p><img src=\"Files/pipe.png\">", {"a"}, {"<img", "pipe"}},
        {"a pipe outside", "<p>a</p><img src=\"" + outsideFifo + "\">", {"a"}, {"<img"}},
        {"/etc/passwd", "<img src=\"/etc/passwd\"><img src=\"file:///etc/passwd\"><p>a</p>", {"a"}, {"<img", "passwd"}},
        {"a device", "<img src=\"file:///dev/zero\"><p>a</p>", {"a"}, {"<img", "zero"}},
        {"a ../ escape", "<img src=\"../secret.png\"><img src=\"Files/../../secret.png\">", {}, {"<img", "secret"}},
        {"an absolute path outside", "<img src=\"" + secret + "\">", {}, {"<img", "secret"}},
        {"a link out of the folder", "<img src=\"Files/out.png\">", {}, {"<img"}},
        {"a link inside the folder", "<img src=\"Files/in.png\">", {"<img src=\"" + ok + "\""}, {}},
        {"the message's own image", "<img src=\"Files/1_ok.png\" width=\"3\" onload=\"x()\">", {"<img src=\"" + ok + "\"", "width=\"3\""}, {"onload"}},
        {"remote and data images",
         "<img src=\"http://x.example/a.png\"><img src=\"https://x.example/b.png\"><img src=\"//x.example/c.png\">"
         "<img src=\"data:image/png;base64," + QString::fromLatin1(mailsamples::png(2).toBase64()) + "\"><p>a</p>",
         {"a"}, {"<img", "x.example", "data:"}},
        {"links", "<a href=\"javascript:alert(1)\">j</a><a href=\"https://x.example/\">h</a><a href=\"file:///etc/passwd\">f</a>",
         {"j", "href=\"https://x.example/\""}, {"javascript", "passwd"}},
        {"CSS addresses",
         "<style>p{color:red} body{background-image:url('http://x.example/b')} @import url(http://x.example/c.css);"
         "i{background:u\\rl(http://x.example/e)}</style>"
         "<p style=\"color:blue;background:url(http://x.example/t)\">a</p><table background=\"http://x.example/t.png\"><tr><td>b</td></tr></table>",
         {"color:red", "color:blue", "a", "b"}, {"x.example", "url"}},
        {"script and events", "<p onclick=\"x()\">a</p><script>alert(1)</script><iframe src=\"http://x.example\"></iframe>"
         "<object data=\"/dev/zero\"></object><link rel=\"stylesheet\" href=\"http://x.example/s.css\">",
         {"a"}, {"onclick", "alert", "x.example", "zero"}},
        {"a subject-like image in a comment trick", "<!--><img src=\"/etc/passwd\"><!-- -->a", {"a"}, {"<img"}},
        {"4,000 nested tables", repeated(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 4000), {"dno"}, {}},
        {"100,000 nested divs", repeated(QStringLiteral("<div>"), QStringLiteral("</div>"), 100000), {"dno"}, {}},
        {"a huge attribute", "<p title=\"" + QString(1024 * 1024, u'A') + "\">a</p>", {"a"}, {"AAAA"}},
        {"broken markup", "<p><b>a<i>b</p>c</b><td>d<table><<>e<!-- x", {"a", "b", "c", "d", "e"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const testsupport::Watchdog watchdog(60s, c.what);
        const QString out = controls::safeMailHtml(c.html, {folder});
        for (const QString& k : c.kept)
            EXPECT_TRUE(out.contains(k)) << k.toStdString() << " in " << out.left(2000).toStdString();
        for (const QString& g : c.gone)
            EXPECT_FALSE(out.contains(g, Qt::CaseInsensitive)) << g.toStdString() << " in " << out.left(2000).toStdString();
        EXPECT_LE(deepestElement(out), controls::kMaxHtmlNesting + 3) << "deep markup is flattened";
        EXPECT_LT(out.size(), 64 * 1024);
        RecordingDocument doc;
        doc.setHtml(out);
        doc.setTextWidth(600);
        doc.size(); // lays it out: images are opened here
        for (const QString& asked : doc.asked)
            EXPECT_TRUE(asked.startsWith(QUrl::fromLocalFile(folder + QLatin1Char('/')).toString(QUrl::FullyEncoded))) << asked.toStdString();
    }
    // Tables, whose layout doubles its work with each level, nest and repeat only so far.
    const QString tables = controls::safeMailHtml(repeated(QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 20).repeated(100));
    EXPECT_EQ(deepestElement(tables, QStringLiteral("table")), controls::kMaxTableNesting);
    EXPECT_EQ(tables.count(QLatin1String("<table")), controls::kMaxTables);
    EXPECT_EQ(tables.count(QLatin1String("dno")), 100);
    // With no folder nothing is loaded at all; the program's own pages keep their small icons.
    EXPECT_FALSE(controls::safeMailHtml(QStringLiteral("<img src=\"Files/1_ok.png\">")).contains(QLatin1String("<img")));
    const QString icon = QStringLiteral("<img src=\"data:image/png;base64,") + QString::fromLatin1(mailsamples::png(2).toBase64()) + QStringLiteral("\">");
    EXPECT_TRUE(controls::safeMailHtml(icon, {folder, true}).contains(QLatin1String("<img src=\"data:image/png")));
}

// A body whose bytes are not UTF-8 is read in the charset it declares, and plain text never
// loads what the body names.
TEST(MailHtml, ReadsDeclaredCharsetsAndConvertsToPlainText)
{
    const QByteArray cp1250 = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">"
                              "</head><body>\x9a\x9e\xe8</body></html>";
    EXPECT_TRUE(controls::decodeMailHtml(cp1250).contains(QStringLiteral("šžč")));
    EXPECT_TRUE(controls::decodeMailHtml("<p>\xc5\xa1</p>").contains(QStringLiteral("š")));
    EXPECT_TRUE(controls::decodeMailHtml("<p>\xff\xfe a</p>").contains(QStringLiteral(" a")));

    testsupport::TempFolder data;
    const QString fifo = data.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const testsupport::Watchdog watchdog(60s, "plain text of a body with a pipe");
    EXPECT_EQ(controls::mailHtmlToPlainText(QStringLiteral("<p>a<img src=\"") + fifo + QStringLiteral("\">b</p>")).trimmed(),
              QStringLiteral("ab"));
}
