// The mail page's reading side without the window: folder labels and icons, the header
// captions, the attachment strip page and the text body taken from the preview.
#include <gtest/gtest.h>

#include "controls/MailNames.h"
#include "data/TableManagers.h"
#include "procedures/mail/MailPane.h"
#include "runtime/DateTime.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>

using namespace organiser;

namespace {

Translate english()
{
    static const std::map<QString, QString> table = testsupport::shippedEnglish();
    return [](const QString& text) {
        const auto it = table.find(text.toUpper());
        return it == table.end() ? text : it->second;
    };
}
const Translate croatian = [](const QString& text) { return text; };

// Every link of a strip page: its shown name and the file its address names.
std::vector<std::pair<QString, QString>> links(const QString& page)
{
    std::vector<std::pair<QString, QString>> out;
    static const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\" target=\"_blank\">([^<]*)</a>"));
    for (auto it = anchor.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QTextDocument unescape;
        unescape.setHtml(m.captured(2));
        QString href = m.captured(1);
        href.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
        out.emplace_back(unescape.toPlainText(), QUrl(href, QUrl::StrictMode).toLocalFile());
    }
    return out;
}

} // namespace

TEST(MailPaneFolders, LabelsTranslateOnlyTheStandardFoldersAndCountUnreadMail)
{
    struct Case {
        const char* system;
        const char* stored;
        std::optional<long long> unread;
        bool inEnglish;
        const char* label;
    };
    const Case cases[] = {
        {"xInbox_1", "Ulazna pošta", 3, false, "Ulazna pošta (3)"},
        {"xInbox_1", "Ulazna pošta", 0, false, "Ulazna pošta"},
        {"xInbox_1", "Ulazna pošta", std::nullopt, false, "Ulazna pošta"}, // the count could not be read
        {"xInbox_1", "Ulazna pošta", 3, true, "Inbox (3)"},
        {"xSent_1", "Poslano", 0, true, "Sent"},
        {"xDraft_1", "Spremljeno", 12, true, "Drafts (12)"},
        {"xDeleted_1", "Obrisano", 1, true, "Deleted (1)"},
        {"xJunk_1", "Smeće", 0, true, "Junk"},
        // An account's root keeps its stored name, even one that reads like a standard folder.
        {"xInbox", "korisnik1@primjer.hr", 2, true, "korisnik1@primjer.hr (2)"},
        {"xInbox", "Poslano", 0, true, "Poslano"},
        // A folder the user made is never translated.
        {"", "Smeće", 2, true, "Smeće (2)"},
        {"", "Ulazna pošta", 0, true, "Ulazna pošta"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mailFolderLabel(QString::fromUtf8(c.system), QString::fromUtf8(c.stored), c.unread,
                                  c.inEnglish ? english() : croatian),
                  QString::fromUtf8(c.label))
            << c.system << " " << c.stored;

    const std::pair<const char*, const char*> icons[] = {
        {"xInbox", "Folder.ico"},      {"xInbox_1", "Inbox.ico"}, {"xSent_1", "SentItems.ico"},  {"xDraft_1", "Draft.ico"},
        {"xDeleted_1", "Deleted1.ico"}, {"xJunk_1", "Junk.ico"},   {"", "SentItems1.ico"},         {"xinbox_1", "SentItems1.ico"}};
    for (const auto& [system, file] : icons)
        EXPECT_EQ(mailFolderIconFile(QString::fromLatin1(system)), QString::fromLatin1(file)) << system;
}

TEST(MailPaneHeader, CaptionsOfAnInboxMailAndOfASentOne)
{
    MailHeaderFields m;
    m.subject = QStringLiteral("Ponuda za suradnju");
    m.replyTo = QStringLiteral("ana@primjer.hr");
    m.too = QStringLiteral("ivan@primjer.hr");
    m.cc = QStringLiteral("marko@primjer.hr");
    m.bcc = QStringLiteral("petra@primjer.hr");
    m.datum = vrt::dayFromDate(QDate(2026, 12, 10));
    m.vrijeme = vrt::timeFromQTime(QTime(8, 5, 9));
    const QLocale us(QLocale::English, QLocale::UnitedStates);

    const MailHeaderCaptions inbox = mailHeaderCaptions(m, false, us);
    EXPECT_EQ(inbox.subject, m.subject);
    EXPECT_EQ(inbox.sender, m.replyTo);
    EXPECT_EQ(inbox.sent, QStringLiteral("Sent :12/10/26  08:05:09"));
    EXPECT_EQ(inbox.recipients, QStringLiteral("To :ivan@primjer.hr"));

    const MailHeaderCaptions sent = mailHeaderCaptions(m, true, us);
    EXPECT_EQ(sent.recipients, QStringLiteral("To/Cc/Bcc :ivan@primjer.hr marko@primjer.hr petra@primjer.hr"));
    EXPECT_EQ(sent.sent, inbox.sent);

    m.datum = 0;
    m.vrijeme = 0;
    EXPECT_EQ(mailHeaderCaptions(m, false, us).sent, QStringLiteral("Sent :  ")) << "no date and time";
}

TEST(MailPaneAttachments, StripPageIconsLinksAndHostileNames)
{
    const QString files = QStringLiteral("/data/Email/Files/");
    const auto icon = [](AttachmentKind k) { return QStringLiteral("icon:") + attachmentIconFile(k); };
    struct Case {
        const char* name;
        const char* icon;
    };
    const Case cases[] = {
        {"Report (1).pdf", "f_pdf.gif"},   {"photo.JPG", "f_slika.gif"},   {"photo.jpg", "f_slika.gif"},
        {"archive.tar.gz", "f_other.gif"}, {"x.docx", "f_word.gif"},       {"stari.DOC", "f_word.gif"},
        {"tablica.xlsx", "f_excel.gif"},   {"t.xls", "f_excel.gif"},       {"a.rar", "f_zip.gif"},
        {"b.zip", "f_zip.gif"},            {"c.png", "f_slika.gif"},       {"d.bmp", "f_slika.gif"},
        {"e.wmf", "f_slika.gif"},          {"f.gif", "f_slika.gif"},       {"bezekstenzije", "f_other.gif"},
        {"pdf", "f_other.gif"},            {"kopdf", "f_other.gif"},       {"ugovor.pdf.exe", "f_other.gif"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        const QString page = attachmentStripPage({{name, files + "7_" + name}}, icon);
        EXPECT_TRUE(page.contains(QStringLiteral("<img src=\"icon:") + QLatin1String(c.icon)
                                  + QStringLiteral("\" align=\"absmiddle\" border=\"0\" style=\"vertical-align:middle\"><a href=")))
            << c.name;
        const auto found = links(page);
        ASSERT_EQ(found.size(), 1u) << c.name;
        EXPECT_EQ(found[0].first, name) << "the name is shown as the mail gave it";
        EXPECT_EQ(found[0].second, files + "7_" + name) << "the address names the file itself";
    }

    // Three attachments: the count, one blank between links, the page's frame.
    const std::vector<AttachmentEntry> three = {
        {"a.pdf", files + "1_a.pdf"}, {"b & c.doc", files + "1_b & c.doc"}, {"#1 100%.zip", files + "1_#1 100%.zip"}};
    const QString page = attachmentStripPage(three, icon);
    const QString start = QStringLiteral("<body topmargin=0 leftmargin=0 bottommargin=0 rightmargin=0 bgColor=#ffffff>"
                                         "<p><font face=\"Tahoma\"><span style=\"font-size:8pt;\">");
    EXPECT_TRUE(page.startsWith(start + QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Attach (3) :<img ")));
    EXPECT_TRUE(page.endsWith(QStringLiteral("</a></body>")));
    EXPECT_EQ(page.count(QStringLiteral("</a> <img")), 2);
    const auto found = links(page);
    ASSERT_EQ(found.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(found[i], std::make_pair(three[i].name, three[i].path));
    EXPECT_EQ(emptyAttachmentStrip(), start + QStringLiteral("</span></font>"));

    // Names from the sender are text, never markup: the page shows them as they are.
    const std::vector<AttachmentEntry> hostile = {
        {"<script>alert(1)</script>.pdf", files + "2_a.pdf"},
        {"\"><img src=http://x/y onerror=z>.jpg", files + "2_b.jpg"},
        {"../../etc/passwd", QString()}, // names no file of ours: shown, not linked
    };
    const QString evil = attachmentStripPage(hostile, icon);
    EXPECT_FALSE(evil.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    EXPECT_FALSE(evil.contains(QStringLiteral("<img src=http")));
    QTextDocument shown;
    shown.setHtml(evil);
    for (const AttachmentEntry& a : hostile)
        EXPECT_TRUE(shown.toPlainText().contains(a.name)) << a.name.toStdString();
    EXPECT_EQ(links(evil).size(), 2u);
    EXPECT_EQ(links(evil)[1].second, hostile[1].path);

    // Nothing is cut, however many there are.
    std::vector<AttachmentEntry> many;
    for (int i = 0; i < 300; ++i) {
        const QString n = QStringLiteral("Prilog broj %1 s dugim imenom datoteke.pdf").arg(i);
        many.push_back({n, files + "9_" + n});
    }
    const QString all = attachmentStripPage(many, icon);
    EXPECT_TRUE(all.contains(QStringLiteral("Attach (300) :")));
    EXPECT_EQ(links(all).size(), 300u);
    EXPECT_TRUE(all.endsWith(QStringLiteral("Prilog broj 299 s dugim imenom datoteke.pdf</a></body>")));

    EXPECT_EQ(attachmentPagePath(QStringLiteral("/data"), 42), QStringLiteral("/data/Email/Files/Image_42.html"));
}

class MailPaneData : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(addMailFolders(1, {"xInbox", "xInbox_1", "xSent_1"}));
        const auto ids = query("SELECT ID FROM Inbox ORDER BY ID");
        ASSERT_EQ(ids.size(), 3u);
        root = std::stol(ids[0]);
        inbox = std::stol(ids[1]);
        sent = std::stol(ids[2]);
        query("UPDATE Inbox SET NAZIV = 'Ulazna pošta' WHERE ID = " + ids[1]);
    }
    long addMail(long folder, int read, const std::string& body = {})
    {
        Access(Tbl::EMAIL).clearBuffer();
        EM().INBOXID = int32_t(folder);
        EM().READ = uint8_t(read);
        EM().BODY = body;
        EM().SUBJECT = "s";
        EXPECT_EQ(Access(Tbl::EMAIL).TryInsert(), 0);
        return EM().ID;
    }
    std::string body(long id) { return query("SELECT BODY FROM EMAIL WHERE ID = " + std::to_string(id))[0]; }
    long root = 0, inbox = 0, sent = 0;
};

TEST_F(MailPaneData, UnreadCountsAndStoredLabels)
{
    for (int read : {0, 0, 1, 0})
        addMail(inbox, read);
    addMail(sent, 1);
    EXPECT_EQ(unreadMailCount(inbox), 3);
    EXPECT_EQ(unreadMailCount(sent), 0);
    EXPECT_EQ(unreadMailCount(root), 0);
    EXPECT_EQ(readMailFolderLabel(inbox, LabelStep::InboxSelected, english()), QStringLiteral("Inbox (3)"));
    EXPECT_EQ(readMailFolderLabel(sent, LabelStep::ReadEmailsSQL, croatian), QStringLiteral("xSent_1"));
    // A folder deleted meanwhile has no label and stops nothing.
    EXPECT_EQ(readMailFolderLabel(99999, LabelStep::ReadEmailsSQL, croatian), std::nullopt);
    EXPECT_TRUE(testsupport::presenter().calls().empty());
}

TEST_F(MailPaneData, AttachmentRowsGiveTheirStoredFilesAndThePageIsWrittenWhole)
{
    const long mail = addMail(inbox, 0);
    for (const char* name : {"Report (1).pdf", "../izlaz.txt", "slika.JPG"}) {
        Access(Tbl::EMAILATTACH).clearBuffer();
        ATT().IDEMAIL = int32_t(mail);
        ATT().NAZIV = name;
        ASSERT_EQ(Access(Tbl::EMAILATTACH).TryInsert(), 0);
    }
    const QString data = m_folder->path();
    const QString files = data + QStringLiteral("/Email/Files");
    const std::vector<AttachmentEntry> found = mailAttachments(data, mail);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, QStringLiteral("Report (1).pdf"));
    EXPECT_EQ(found[0].path, controls::attachmentFile(files, mail, QStringLiteral("Report (1).pdf")));
    EXPECT_TRUE(found[1].path.isEmpty()) << "a name that leaves the folder names no file";
    EXPECT_EQ(found[2].name, QStringLiteral("slika.JPG"));
    EXPECT_TRUE(mailAttachments(data, 0).empty());

    const QString page = attachmentPagePath(data, mail);
    ASSERT_TRUE(writeAttachmentPage(page, attachmentStripPage(found, {})));
    QFile written(page);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(written.readAll()).contains(QStringLiteral("Attach (3) :")));

    // Only files inside Email/Files open from the strip.
    QFile attachment(found[0].path);
    ASSERT_TRUE(attachment.open(QIODevice::WriteOnly));
    attachment.close();
    QFile outside(data + QStringLiteral("/Standard.ini"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly | QIODevice::Append));
    EXPECT_TRUE(isAttachmentLink(data, QUrl::fromLocalFile(found[0].path)));
    EXPECT_FALSE(isAttachmentLink(data, QUrl::fromLocalFile(files + QStringLiteral("/../../Standard.ini"))));
    EXPECT_FALSE(isAttachmentLink(data, QUrl::fromLocalFile(files + QStringLiteral("/missing.pdf"))));
    EXPECT_FALSE(isAttachmentLink(data, QUrl(QStringLiteral("http://primjer.hr/a.pdf"))));
}

TEST_F(MailPaneData, ThePreviewFillsAnEmptyTextBodyOnly)
{
    const QString longText = QString(9000, QLatin1Char('a'));
    struct Case {
        const char* what;
        std::string stored;
        const char* event;
        QString text;
        bool noMail; // EM:ID 0 in the buffer
        std::string expected;
    };
    const Case cases[] = {
        {"an empty body takes the text", "", "NavigateComplete2", QStringLiteral("Pozdrav\nsvima"), false, "Pozdrav\nsvima"},
        {"cut to 7,999 characters", "", "NavigateComplete2", longText, false, std::string(7999, 'a')},
        {"a filled body stays", "Tekst", "NavigateComplete2", QStringLiteral("Drugo"), false, "Tekst"},
        {"another event does nothing", "", "BeforeNavigate2", QStringLiteral("Drugo"), false, ""},
        {"an empty page does nothing", "", "NavigateComplete2", QString(), false, ""},
        {"no mail does nothing", "", "NavigateComplete2", QStringLiteral("Drugo"), true, ""},
    };
    for (const Case& c : cases) {
        const long mail = addMail(inbox, 0, c.stored);
        Access(Tbl::EMAIL).clearBuffer();
        EM().ID = int32_t(mail);
        ASSERT_EQ(Access(Tbl::EMAIL).TryFetch(EM.IDKey), 0);
        if (c.noMail)
            Access(Tbl::EMAIL).clearBuffer();
        EXPECT_EQ(S_EmailPreviewEvents(QString::fromLatin1(c.event), [&] { return c.text; }), 1) << c.what;
        EXPECT_EQ(body(mail), c.expected) << c.what;
    }
    // A character beyond the basic plane is never cut in half.
    const long mail = addMail(inbox, 0);
    Access(Tbl::EMAIL).clearBuffer();
    EM().ID = int32_t(mail);
    ASSERT_EQ(Access(Tbl::EMAIL).TryFetch(EM.IDKey), 0);
    S_EmailPreviewEvents(QStringLiteral("NavigateComplete2"), [] { return QString(7998, QLatin1Char('b')) + QString::fromUtf8("😀"); });
    EXPECT_EQ(body(mail), std::string(7998, 'b'));
}
