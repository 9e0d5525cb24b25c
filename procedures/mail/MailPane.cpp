#include "procedures/mail/MailPane.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include "controls/MailNames.h"
#include "data/TableManagers.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Odbc.h"
#include "runtime/Paths.h"
#include "runtime/SqlFilter.h"
#include "runtime/PrivateFiles.h"

namespace organiser {

// ---- folder tree ----

bool isStandardMailFolder(const QString& systemName)
{
    for (const char* name : {"xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"})
        if (systemName == QLatin1String(name))
            return true;
    return false;
}

QString mailFolderLabel(const QString& systemName, const QString& storedName, std::optional<long long> unread,
                        const Translate& translate)
{
    const QString name = isStandardMailFolder(systemName) && translate ? translate(storedName) : storedName;
    if (!unread || *unread == 0)
        return name;
    return name + QStringLiteral(" (") + QString::number(*unread) + QLatin1Char(')');
}

QString mailFolderIconFile(const QString& systemName)
{
    static const std::pair<const char*, const char*> icons[] = {
        {"xInbox", "Folder.ico"},      {"xInbox_1", "Inbox.ico"},      {"xSent_1", "SentItems.ico"},
        {"xDraft_1", "Draft.ico"},     {"xDeleted_1", "Deleted1.ico"}, {"xJunk_1", "Junk.ico"}};
    for (const auto& [system, file] : icons)
        if (systemName == QLatin1String(system))
            return QLatin1String(file);
    return QStringLiteral("SentItems1.ico");
}

std::optional<long long> unreadMailCount(long folderId)
{
    vrt::FileManager& sql = Access(Tbl::SQL_File);
    const std::string statement = "SELECT COUNT(*) FROM " + Access(Tbl::EMAIL).SqlName() + " Where InboxID = "
                                  + std::to_string(folderId) + " AND READ=0";
    std::optional<long long> count;
    if (sql.ExecSql(statement) == 0 && sql.Next() == 0) {
        bool ok = false;
        const long long n = QString::fromStdString(SQL().F1).toLongLong(&ok);
        if (ok)
            count = n;
    }
    sql.EndSequence();
    return count;
}

std::optional<QString> readMailFolderLabel(long folderId, LabelStep step, const Translate& translate)
{
    const std::optional<long long> unread = unreadMailCount(folderId);
    vrt::FileManager& f = Access(Tbl::AInbox);
    f.clearBuffer();
    INBA().ID = int32_t(folderId);
    if (const int rc = f.TryFetch(INBA.IDKey)) {
        // A folder deleted a moment ago still shows until its tree is read again.
        if (rc == vrt::RecordNotFound)
            return std::nullopt;
        const QString text = step == LabelStep::ReadEmailsSQL ? QStringLiteral("W_First ReadEmailsSQL GET(AInbox :")
                             : unread && *unread != 0         ? QStringLiteral("W_First InboxSelected GET(AInbox-1 :")
                                                              : QStringLiteral("W_First InboxSelected GET(AInbox-2 :");
        vrt::stop(text + QString::number(folderId) + QStringLiteral(" : ") + QString::number(rc) + QStringLiteral(" : ")
                  + f.ErrorText());
        return std::nullopt;
    }
    return mailFolderLabel(QString::fromStdString(INBA().ENNAZIV), QString::fromStdString(INBA().NAZIV), unread, translate);
}

// ---- header ----

MailHeaderCaptions mailHeaderCaptions(const MailHeaderFields& m, bool sentFolder, const QLocale& locale)
{
    MailHeaderCaptions c;
    c.subject = m.subject;
    c.sender = m.replyTo;
    const QDate day = vrt::dateFromDay(m.datum);
    const QTime time = vrt::qtimeFromTime(m.vrijeme);
    c.sent = QStringLiteral("Sent :") + (day.isValid() ? locale.toString(day, QLocale::ShortFormat) : QString())
             + QStringLiteral("  ") + (time.isValid() ? time.toString(QStringLiteral("hh:mm:ss")) : QString());
    c.recipients = sentFolder ? QStringLiteral("To/Cc/Bcc :") + m.too + u' ' + m.cc + u' ' + m.bcc
                              : QStringLiteral("To :") + m.too;
    return c;
}

MailHeaderFields mailHeaderOfBuffer()
{
    const EMAIL_Rec& r = EM();
    MailHeaderFields m;
    m.subject = QString::fromStdString(r.SUBJECT);
    m.replyTo = QString::fromStdString(r.REPLYTO);
    m.too = QString::fromStdString(r.TOO);
    m.cc = QString::fromStdString(r.CC);
    m.bcc = QString::fromStdString(r.BCC);
    m.datum = r.DATUM;
    m.vrijeme = r.VRIJEME;
    return m;
}

// ---- attachment strip ----

AttachmentKind attachmentKind(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    const auto is = [&ext](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (ext == QLatin1String(n))
                return true;
        return false;
    };
    if (is({"DOC", "DOCX"}))
        return AttachmentKind::Word;
    if (is({"XLS", "XLSX"}))
        return AttachmentKind::Excel;
    if (is({"ZIP", "RAR"}))
        return AttachmentKind::Zip;
    if (is({"GIF", "JPG", "PNG", "BMP", "WMF"}))
        return AttachmentKind::Picture;
    if (is({"PDF"}))
        return AttachmentKind::Pdf;
    return AttachmentKind::Other;
}

QString attachmentIconFile(AttachmentKind kind)
{
    switch (kind) {
    case AttachmentKind::Word: return QStringLiteral("f_word.gif");
    case AttachmentKind::Excel: return QStringLiteral("f_excel.gif");
    case AttachmentKind::Zip: return QStringLiteral("f_zip.gif");
    case AttachmentKind::Picture: return QStringLiteral("f_slika.gif");
    case AttachmentKind::Pdf: return QStringLiteral("f_pdf.gif");
    case AttachmentKind::Other: break;
    }
    return QStringLiteral("f_other.gif");
}

namespace {

QString stripStart()
{
    return QStringLiteral("<body topmargin=0 leftmargin=0 bottommargin=0 rightmargin=0 bgColor=#ffffff>"
                          "<p><font face=\"Tahoma\"><span style=\"font-size:8pt;\">");
}

} // namespace

QString emptyAttachmentStrip() { return stripStart() + QStringLiteral("</span></font>"); }

QString attachmentStripPage(const std::vector<AttachmentEntry>& attachments,
                            const std::function<QString(AttachmentKind)>& iconSource)
{
    QString links;
    for (const AttachmentEntry& a : attachments) {
        if (!links.isEmpty())
            links += u' ';
        const QString icon = iconSource ? iconSource(attachmentKind(a.name)) : QString();
        links += QStringLiteral("<img src=\"") + icon.toHtmlEscaped() + QStringLiteral("\" align=\"absmiddle\" border=\"0\" style=\"vertical-align:middle\">");
        const QString name = a.name.toHtmlEscaped();
        if (a.path.isEmpty()) {
            links += name; // a name that would leave the folder names no file: shown, not linked
            continue;
        }
        const QString href = QString::fromLatin1(QUrl::fromLocalFile(a.path).toEncoded());
        links += QStringLiteral("<a href=\"") + href.toHtmlEscaped() + QStringLiteral("\" target=\"_blank\">") + name
                 + QStringLiteral("</a>");
    }
    QString page = stripStart();
    for (int i = 0; i < 8; ++i)
        page += QStringLiteral("&nbsp;");
    page += QStringLiteral("Attach (") + QString::number(attachments.size()) + QStringLiteral(") :");
    return page + links + QStringLiteral("</body>");
}

QString attachmentPagePath(const QString& dataFolder, long emailId)
{
    return vrt::joinPath(vrt::joinPath(dataFolder, QStringLiteral("Email/Files")),
                         QStringLiteral("Image_") + QString::number(emailId) + QStringLiteral(".html"));
}

std::vector<AttachmentEntry> mailAttachments(const QString& dataFolder, long emailId)
{
    std::vector<AttachmentEntry> out;
    if (emailId == 0)
        return out;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    if (!c)
        return out;
    vrt::odbc::Statement s(*c);
    if (!s.prepare("SELECT \"NAZIV\" FROM " + vrt::quoteName(Access(Tbl::AEMAILATTACH).SqlName())
                   + " WHERE \"IDEMAIL\" = ? ORDER BY \"ID\""))
        return out;
    s.bindInt(1, emailId);
    if (!s.execute())
        return out;
    const QString files = vrt::joinPath(dataFolder, QStringLiteral("Email/Files"));
    while (s.fetch()) {
        const QString name = QString::fromStdString(s.text(1).value_or(std::string()));
        out.push_back({name, controls::attachmentFile(files, emailId, name)});
    }
    return out;
}

bool writeAttachmentPage(const QString& path, const QString& html)
{
    if (!vrt::makePrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = html.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit() && vrt::makePrivate(path);
}

bool isAttachmentLink(const QString& dataFolder, const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    const QString files = QFileInfo(vrt::joinPath(dataFolder, QStringLiteral("Email/Files"))).canonicalFilePath();
    const QFileInfo file(url.toLocalFile());
    const QString canonical = file.canonicalFilePath();
    return !files.isEmpty() && file.isFile() && canonical.startsWith(files + QLatin1Char('/'));
}

std::function<bool(const QUrl&)>& attachmentOpener()
{
    static std::function<bool(const QUrl&)> open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return open;
}

// ---- preview events ----

int S_EmailPreviewEvents(const QString& event, const std::function<QString()>& previewText)
{
    if (event != QLatin1String("NavigateComplete2") || !EM().BODY.empty())
        return 1;
    const QString text = previewText ? previewText() : QString();
    const int32_t id = EM().ID;
    if (text.isEmpty() || id == 0)
        return 1;
    vrt::FileManager& f = Access(Tbl::EMAIL);
    if (f.TryFetch(EM.IDKey) != 0) // the buffer stays as it was
        return 1;
    if (!EM().BODY.empty()) // another program filled it meanwhile
        return 1;
    QString body = text.left(kMailBodyChars);
    if (body.size() == kMailBodyChars && body.back().isHighSurrogate())
        body.chop(1); // cut between characters, never inside one
    EM().BODY = body.toStdString();
    if (const int rc = f.TryUpdate())
        vrt::stop(QStringLiteral("Email NavigateComplete2 PUT :") + QString::number(rc) + QStringLiteral(" : ") + f.ErrorText());
    return 1;
}

} // namespace organiser
