#include "controls/MimeMessage.h"

#include "controls/MailNames.h"
#include "runtime/Paths.h"
#include "runtime/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QStringDecoder>
#include <QTimeZone>

// GLib uses "signals" as a name; Qt defines it as a keyword.
#undef signals
#include <gmime/gmime.h>

#include "controls/GObjectHolder.h"

#include <mutex>

namespace controls {

struct MimeMessage::Data {
    QString subject, plain, html, charset, messageId;
    MailAddress from;
    QString replyTo;
    std::vector<MailAddress> to, cc, bcc;
    QDateTime date;
    std::vector<MailPart> attachments;
    std::vector<MailPart> related;
    qint64 rawSize = 0;
};

namespace {

void initGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

QString fromUtf8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// GMime hands out text it allocated; this takes it over.
QString takeUtf8(char* s)
{
    QString out = fromUtf8(s);
    g_free(s);
    return out;
}

void collectAddresses(InternetAddressList* list, std::vector<MailAddress>& out)
{
    if (!list)
        return;
    const int n = internet_address_list_length(list);
    for (int i = 0; i < n; ++i) {
        InternetAddress* ia = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(ia)) {
            collectAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(ia)), out);
            continue;
        }
        MailAddress a;
        a.name = fromUtf8(internet_address_get_name(ia)).trimmed();
        a.address = fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(ia))).trimmed();
        a.full = takeUtf8(internet_address_to_string(ia, nullptr, FALSE));
        out.push_back(a);
    }
}

QByteArray contentBytes(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    const GObjectHolder<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, mem.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes->data), int(bytes->len));
}

QByteArray objectBytes(GMimeObject* object)
{
    const GObjectHolder<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(object, nullptr, mem.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes->data), int(bytes->len));
}

QString suffixFor(const QString& contentType)
{
    const QString s = QMimeDatabase().mimeTypeForName(contentType).preferredSuffix();
    return s.isEmpty() ? QStringLiteral("bin") : s;
}

// "a.pdf" -> "a(2).pdf"
QString numberedName(const QString& name, int n)
{
    const QFileInfo fi(name);
    return fi.completeBaseName() + QStringLiteral("(%1)").arg(n)
           + (fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix());
}

struct Walk {
    MimeMessage::Data* d = nullptr;
    int unnamed = 0;
    QString plainCharset, htmlCharset;
    bool havePlain = false, haveHtml = false;
    QSet<QString> names;
};

void addPart(Walk& w, MailPart part, const QString& rawName)
{
    ++w.unnamed;
    const QString fallback = QStringLiteral("part_%1.%2").arg(w.unnamed).arg(suffixFor(part.contentType));
    const QString safe = safeAttachmentName(rawName, fallback);
    // Two parts of one message with the same name would overwrite each other on disk.
    QString name = safe;
    for (int n = 2; w.names.contains(name.toLower()); ++n)
        name = numberedName(safe, n);
    w.names.insert(name.toLower());
    part.filename = name;
    w.d->attachments.push_back(std::move(part));
}

void visitPart(GMimeObject* /*parent*/, GMimeObject* object, gpointer user)
{
    Walk& w = *static_cast<Walk*>(user);
    GMimeContentType* ct = g_mime_object_get_content_type(object);
    const QString type = ct ? takeUtf8(g_mime_content_type_get_mime_type(ct)).toLower() : QString();

    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        MailPart p;
        p.contentType = QStringLiteral("message/rfc822");
        if (inner)
            p.data = objectBytes(GMIME_OBJECT(inner));
        const QString innerSubject = inner ? fromUtf8(g_mime_message_get_subject(inner)) : QString();
        addPart(w, p, innerSubject.isEmpty() ? QString() : innerSubject + QStringLiteral(".eml"));
        return;
    }
    if (!GMIME_IS_PART(object))
        return;
    GMimePart* part = GMIME_PART(object);
    const QString filename = fromUtf8(g_mime_part_get_filename(part));
    const bool attachment = g_mime_part_is_attachment(part);
    const QString charset = ct ? fromUtf8(g_mime_content_type_get_parameter(ct, "charset")) : QString();

    if (!attachment && filename.isEmpty()) {
        if (type == QLatin1String("text/plain") && !w.havePlain) {
            w.havePlain = true;
            w.d->plain = decodeMailText(contentBytes(part), charset);
            w.plainCharset = charset;
            return;
        }
        if (type == QLatin1String("text/html") && !w.haveHtml) {
            w.haveHtml = true;
            w.d->html = decodeMailText(contentBytes(part), charset);
            w.htmlCharset = charset;
            return;
        }
    }
    MailPart p;
    p.contentType = type;
    p.contentId = fromUtf8(g_mime_object_get_content_id(object));
    p.data = contentBytes(part);
    addPart(w, p, filename);
}

// "cid:" references of an HTML body: the whole id up to the end of the address, so "img1"
// never matches inside "img10". Content-IDs compare without case and percent-encoding.
const QRegularExpression& cidReference()
{
    static const QRegularExpression re(QStringLiteral("cid:([^\\s\"'<>()]+)"), QRegularExpression::CaseInsensitiveOption);
    return re;
}

QString cidKey(const QString& id) { return QUrl::fromPercentEncoding(id.toUtf8()).toLower(); }

QSet<QString> cidReferences(const QString& html)
{
    QSet<QString> out;
    for (auto it = cidReference().globalMatch(html); it.hasNext();)
        out.insert(cidKey(it.next().captured(1)));
    return out;
}

// Every reference to a known Content-ID replaced by its address; the rest left as they are.
QString replaceCidReferences(const QString& html, const QHash<QString, QString>& urls)
{
    QString out;
    out.reserve(html.size());
    qsizetype done = 0;
    for (auto it = cidReference().globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const auto url = urls.constFind(cidKey(m.captured(1)));
        if (url == urls.constEnd())
            continue;
        out += QStringView(html).mid(done, m.capturedStart() - done);
        out += *url;
        done = m.capturedEnd();
    }
    out += QStringView(html).mid(done);
    return out;
}

// Parts the HTML body refers to by Content-ID are its inline parts, not attachments.
void separateRelated(MimeMessage::Data& d)
{
    const QSet<QString> referenced = cidReferences(d.html);
    std::vector<MailPart> attachments;
    for (MailPart& p : d.attachments) {
        if (!p.contentId.isEmpty() && referenced.contains(cidKey(p.contentId))) {
            p.related = true;
            d.related.push_back(std::move(p));
        } else {
            attachments.push_back(std::move(p));
        }
    }
    d.attachments = std::move(attachments);
}

QDateTime toLocal(GDateTime* dt)
{
    if (!dt)
        return {};
    const qint64 secs = g_date_time_to_unix(dt);
    const int offset = int(g_date_time_get_utc_offset(dt) / G_TIME_SPAN_SECOND);
    return QDateTime::fromSecsSinceEpoch(secs, QTimeZone(offset)).toLocalTime();
}

// Written beside the target and renamed over it: a failed or cut write never leaves a
// half file under the real name, and a link planted under that name is replaced, not followed.
bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    // A save file writes through a link to its target; a link here is never ours.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path)) {
        *error = path + QStringLiteral(": cannot replace the link");
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        *error = path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    vrt::makePrivate(path); // mail is the user's alone
    return true;
}

QString freeName(const QString& folder, const QString& name)
{
    QString candidate = name;
    for (int n = 2; QFile::exists(vrt::joinPath(folder, candidate)); ++n)
        candidate = numberedName(name, n);
    return candidate;
}

const MailAddress& at(const std::vector<MailAddress>& v, int i)
{
    static const MailAddress none;
    return i >= 0 && size_t(i) < v.size() ? v[size_t(i)] : none;
}

} // namespace

QString decodeMailText(const QByteArray& bytes, const QString& charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder dec(charset.toLatin1().constData());
        if (dec.isValid()) {
            QString out = dec.decode(bytes);
            if (!dec.hasError())
                return out;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString out = utf8.decode(bytes);
    if (!utf8.hasError())
        return out;
    QStringDecoder cp1250("windows-1250");
    return cp1250.isValid() ? cp1250.decode(bytes) : QString::fromLatin1(bytes);
}

QString htmlMetaLine(const QString& charset)
{
    return QStringLiteral("<META content=\"text/html; charset=%1\" http-equiv=Content-Type>")
        .arg(charset.isEmpty() ? QStringLiteral("utf-8") : charset);
}

MimeMessage::MimeMessage() : d(std::make_shared<Data>()) {}

MimeMessage MimeMessage::fromBytes(const QByteArray& raw)
{
    initGMime();
    MimeMessage m;
    Data& d = *m.d;
    d.rawSize = raw.size();

    const std::unique_ptr<GMimeParserOptions, void (*)(GMimeParserOptions*)> options(g_mime_parser_options_new(),
                                                                                     g_mime_parser_options_free);
    // Croatian mail with raw 8-bit headers is mostly UTF-8 or Windows-1250.
    const char* fallback[] = {"UTF-8", "windows-1250", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
    g_mime_parser_options_set_rfc2047_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_address_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);

    const GObjectHolder<GMimeMessage> message = [&] {
        const GObjectHolder<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.constData(), size_t(raw.size())));
        const GObjectHolder<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
        return GObjectHolder<GMimeMessage>(g_mime_parser_construct_message(parser.get(), options.get()));
    }();
    if (!message) {
        d.plain = decodeMailText(raw, QString());
        return m;
    }
    GMimeMessage* msg = message.get();
    d.subject = fromUtf8(g_mime_message_get_subject(msg));
    d.messageId = fromUtf8(g_mime_message_get_message_id(msg));
    std::vector<MailAddress> from, replyTo;
    collectAddresses(g_mime_message_get_from(msg), from);
    collectAddresses(g_mime_message_get_reply_to(msg), replyTo);
    if (!from.empty())
        d.from = from.front();
    if (!replyTo.empty())
        d.replyTo = replyTo.front().address;
    collectAddresses(g_mime_message_get_addresses(msg, GMIME_ADDRESS_TYPE_TO), d.to);
    collectAddresses(g_mime_message_get_addresses(msg, GMIME_ADDRESS_TYPE_CC), d.cc);
    collectAddresses(g_mime_message_get_addresses(msg, GMIME_ADDRESS_TYPE_BCC), d.bcc);
    d.date = toLocal(g_mime_message_get_date(msg));

    Walk w;
    w.d = &d;
    GMimeObject* top = g_mime_message_get_mime_part(msg);
    if (top && GMIME_IS_MULTIPART(top))
        g_mime_multipart_foreach(GMIME_MULTIPART(top), visitPart, &w);
    else if (top)
        visitPart(nullptr, top, &w);
    d.charset = w.havePlain ? w.plainCharset : w.htmlCharset;
    separateRelated(d);
    return m;
}

QString MimeMessage::subject() const { return d->subject; }
QString MimeMessage::GetPlainTextBody() const { return d->plain; }
QString MimeMessage::GetHtmlBody() const { return d->html; }
bool MimeMessage::HasHtmlBody() const { return !d->html.isEmpty(); }
QString MimeMessage::FromName() const { return d->from.name; }
QString MimeMessage::FromAddress() const { return d->from.address; }
QString MimeMessage::ReplyTo() const { return d->replyTo; }

int MimeMessage::NumTo() const { return int(d->to.size()); }
QString MimeMessage::GetTo(int i) const { return at(d->to, i).full; }
QString MimeMessage::GetToAddr(int i) const { return at(d->to, i).address; }
QString MimeMessage::GetToName(int i) const { return at(d->to, i).name; }
int MimeMessage::NumCc() const { return int(d->cc.size()); }
QString MimeMessage::GetCc(int i) const { return at(d->cc, i).full; }
QString MimeMessage::GetCcAddr(int i) const { return at(d->cc, i).address; }
QString MimeMessage::GetCcName(int i) const { return at(d->cc, i).name; }
int MimeMessage::NumBCc() const { return int(d->bcc.size()); }
QString MimeMessage::GetBCc(int i) const { return at(d->bcc, i).full; }
QString MimeMessage::GetBCcAddr(int i) const { return at(d->bcc, i).address; }
QString MimeMessage::GetBCcName(int i) const { return at(d->bcc, i).name; }

QDateTime MimeMessage::emailDateTime() const { return d->date; }

QString MimeMessage::EmailDate() const
{
    if (!d->date.isValid())
        return {};
    return QLocale::system().toString(d->date.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + d->date.time().toString(QStringLiteral("hh:mm:ss"));
}

QString MimeMessage::Charset() const { return d->charset; }
QString MimeMessage::messageIdHeader() const { return d->messageId; }
qint64 MimeMessage::rawSize() const { return d->rawSize; }

int MimeMessage::NumAttachments() const { return int(d->attachments.size()); }

QString MimeMessage::GetAttachmentFilename(int i) const
{
    return i >= 0 && i < NumAttachments() ? d->attachments[size_t(i)].filename : QString();
}

qint64 MimeMessage::GetAttachmentSize(int i) const
{
    return i >= 0 && i < NumAttachments() ? d->attachments[size_t(i)].data.size() : 0;
}

QByteArray MimeMessage::attachmentData(int i) const
{
    return i >= 0 && i < NumAttachments() ? d->attachments[size_t(i)].data : QByteArray();
}

const std::vector<MailPart>& MimeMessage::relatedParts() const { return d->related; }

bool MimeMessage::SaveAttachment(int i, const QString& path)
{
    if (i < 0 || i >= NumAttachments()) {
        m_lastError = QStringLiteral("No attachment %1").arg(i);
        return false;
    }
    return writeFile(path, d->attachments[size_t(i)].data, &m_lastError);
}

int MimeMessage::SaveAllAttachments(const QString& folder)
{
    if (!vrt::makePrivateFolder(folder)) {
        m_lastError = QStringLiteral("Cannot create ") + folder;
        return 0;
    }
    for (int i = 0; i < NumAttachments(); ++i) {
        QString name = GetAttachmentFilename(i);
        if (!OverwriteExisting)
            name = freeName(folder, name);
        const QString path = vrt::joinPath(folder, name);
        if (!vrt::isInsideFolder(folder, path)) {
            m_lastError = QStringLiteral("Refused to write outside the folder: ") + name;
            return 0;
        }
        if (!SaveAttachment(i, path))
            return 0;
    }
    return 1;
}

int MimeMessage::UnpackHtml(const QString& folder, const QString& file, const QString& partsFolder,
                            const QString& partPrefix)
{
    if (d->html.isEmpty())
        return 0;
    if (!vrt::isInsideFolder(folder, file)) {
        m_lastError = QStringLiteral("Refused to write outside the folder: ") + file;
        return -1;
    }
    QString html = d->html;
    if (!d->related.empty()) {
        if (!vrt::makePrivateFolder(partsFolder)) {
            m_lastError = QStringLiteral("Cannot create ") + partsFolder;
            return -1;
        }
        const QDir bodyDir = QFileInfo(file).absoluteDir();
        QHash<QString, QString> urls;
        for (const MailPart& p : d->related) {
            const QString path = vrt::joinPath(partsFolder, partPrefix + p.filename);
            if (!vrt::isInsideFolder(partsFolder, path)) {
                m_lastError = QStringLiteral("Refused to write outside the folder: ") + p.filename;
                return -1;
            }
            if (!writeFile(path, p.data, &m_lastError))
                return -1;
            QUrl relative;
            relative.setPath(bodyDir.relativeFilePath(path));
            urls.insert(cidKey(p.contentId), QString::fromUtf8(relative.toEncoded(QUrl::FullyEncoded)));
        }
        html = replaceCidReferences(html, urls);
    }
    const QByteArray out = (htmlMetaLine(QString()) + QStringLiteral("\r\n") + html).toUtf8();
    return writeFile(file, out, &m_lastError) ? 1 : -1;
}

QString MimeMessage::LastErrorText() const { return m_lastError; }

} // namespace controls
