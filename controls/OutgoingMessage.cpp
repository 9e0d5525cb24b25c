#include "controls/OutgoingMessage.h"

#include "controls/GObjectHolder.h"
#include "controls/MailHtml.h"
#include "controls/MailNames.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

// GLib uses "signals" as a name; Qt defines it as a keyword.
#undef signals
#include <gmime/gmime.h>
#include <zip.h>

#include <fcntl.h>
#include <iconv.h>
#include <mutex>

namespace controls {

namespace {

void initGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// A header value never carries a line break: it would start a header of its own.
QString oneLine(const QString& text)
{
    QString out = text;
    out.replace(QRegularExpression(QStringLiteral("[\\r\\n\\t\\x0B\\f]+")), QStringLiteral(" "));
    return out.trimmed();
}

QByteArray utf8(const QString& s) { return s.toUtf8(); }

// The same reference, held as the MIME object every part and multipart is.
template <class T>
GObjectHolder<GMimeObject> asObject(GObjectHolder<T> held)
{
    GMimeObject* object = GMIME_OBJECT(held.get());
    (void)held.release();
    return GObjectHolder<GMimeObject>(object);
}

using FormatOptions = std::unique_ptr<GMimeFormatOptions, void (*)(GMimeFormatOptions*)>;

// The text in the charset, or nothing when the charset is unknown or cannot hold every
// character of it.
std::optional<QByteArray> encoded(const QString& text, const QByteArray& charset)
{
    const QByteArray in = utf8(text);
    if (charset.compare("utf-8", Qt::CaseInsensitive) == 0 || charset.compare("utf8", Qt::CaseInsensitive) == 0)
        return in;
    iconv_t cd = iconv_open(charset.constData(), "UTF-8");
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray out(in.size() * 4 + 16, Qt::Uninitialized);
    char* from = const_cast<char*>(in.constData());
    char* to = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    const bool ok = iconv(cd, &from, &left, &to, &room) != size_t(-1) && iconv(cd, nullptr, nullptr, &to, &room) != size_t(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - qsizetype(room));
    return out;
}

// A text part in the chosen charset; text that charset cannot hold goes as UTF-8, so no
// letter is lost or garbled.
GObjectHolder<GMimeObject> textPart(const char* subtype, const QString& text, const QByteArray& charset)
{
    // The HTML's own charset declaration must name what it is sent in.
    const bool html = qstrcmp(subtype, "html") == 0;
    const auto declaring = [&](const QByteArray& name) {
        static const QRegularExpression meta(QStringLiteral("(<meta\\b[^>]*\\bcharset\\s*=\\s*[\"']?)[A-Za-z0-9_:.\\-]+"),
                                             QRegularExpression::CaseInsensitiveOption);
        return html ? QString(text).replace(meta, QStringLiteral("\\1") + QString::fromLatin1(name)) : text;
    };
    QByteArray name = charset;
    std::optional<QByteArray> bytes = encoded(declaring(name), charset);
    if (!bytes) {
        name = "utf-8";
        bytes = utf8(declaring(name));
    }
    GObjectHolder<GMimeTextPart> part(g_mime_text_part_new_with_subtype(subtype));
    const GObjectHolder<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes->constData(), size_t(bytes->size())));
    const GObjectHolder<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(part.get()), content.get());
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(part.get()), "charset", name.constData());
    g_mime_part_set_content_encoding(GMIME_PART(part.get()), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    return asObject(std::move(part));
}

GObjectHolder<GMimePart> dataPart(const QString& contentType, const QString& filename, GMimeStream* stream)
{
    const QByteArray type = utf8(contentType.isEmpty() ? QStringLiteral("application/octet-stream") : contentType);
    const int slash = type.indexOf('/');
    GObjectHolder<GMimePart> part(g_mime_part_new_with_type(type.left(slash).constData(), type.mid(slash + 1).constData()));
    const GObjectHolder<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part.get(), content.get());
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
    if (!filename.isEmpty())
        g_mime_part_set_filename(part.get(), utf8(filename).constData());
    return part;
}

// Adds the part with its disposition and, for an inline part, its id.
void addPart(GMimeMultipart* to, const GObjectHolder<GMimePart>& part, const char* kind, const QString& contentId = {})
{
    GMimeObject* object = GMIME_OBJECT(part.get());
    if (!contentId.isEmpty())
        g_mime_object_set_content_id(object, contentId.toUtf8().constData());
    g_mime_object_set_disposition(object, kind);
    g_mime_multipart_add(to, object);
}

GObjectHolder<InternetAddress> mailbox(const MailAddress& a)
{
    return GObjectHolder<InternetAddress>(
        internet_address_mailbox_new(utf8(a.name).constData(), utf8(a.address).constData()));
}

GObjectHolder<InternetAddressList> addressList(const std::vector<MailAddress>& list)
{
    GObjectHolder<InternetAddressList> out(internet_address_list_new());
    for (const MailAddress& a : list)
        internet_address_list_add(out.get(), mailbox(a).get());
    return out;
}

} // namespace

MailAddress parseMailbox(const QString& text)
{
    const QString t = oneLine(text);
    const int open = t.indexOf(QLatin1Char('<'));
    const int close = t.indexOf(QLatin1Char('>'), open + 1);
    MailAddress a;
    a.full = t;
    if (open >= 0 && close > open) {
        a.address = t.mid(open + 1, close - open - 1).trimmed();
        a.name = t.left(open).trimmed();
        if (a.name.size() >= 2 && a.name.startsWith(QLatin1Char('"')) && a.name.endsWith(QLatin1Char('"')))
            a.name = a.name.mid(1, a.name.size() - 2);
    } else {
        a.address = t;
    }
    return a;
}

void OutgoingMessage::add(std::vector<MailAddress>& list, const QString& name, const QString& address)
{
    const QString addr = oneLine(address);
    if (addr.isEmpty())
        return;
    for (const auto* l : {&m_to, &m_cc, &m_bcc})
        for (const MailAddress& a : *l)
            if (a.address.compare(addr, Qt::CaseInsensitive) == 0)
                return;
    MailAddress a;
    a.name = oneLine(name) == addr ? QString() : oneLine(name);
    a.address = addr;
    a.full = a.name.isEmpty() ? addr : a.name + QStringLiteral(" <") + addr + QLatin1Char('>');
    list.push_back(a);
}

void OutgoingMessage::AddTo(const QString& name, const QString& address) { add(m_to, name, address); }
void OutgoingMessage::AddCc(const QString& name, const QString& address) { add(m_cc, name, address); }
void OutgoingMessage::AddBCC(const QString& name, const QString& address) { add(m_bcc, name, address); }

bool OutgoingMessage::AddFileAttachment(const QString& path, const QString& name)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        m_error = QStringLiteral("Not a readable file: %1").arg(path);
        return false;
    }
    m_files << info.absoluteFilePath();
    m_names << vrt::safeFileName(oneLine(name.trimmed().isEmpty() ? info.fileName() : name.trimmed()), info.fileName());
    return true;
}

bool OutgoingMessage::ZipAttachments(const QString& name)
{
    const QString safe = vrt::safeFileName(oneLine(name), QStringLiteral("attachments.zip"));
    m_zipName = safe;
    return true;
}

void OutgoingMessage::addRelated(const MailPart& part) { m_related.push_back(part); }

QString OutgoingMessage::fromAddress() const { return parseMailbox(From).address; }

QStringList OutgoingMessage::envelopeRecipients() const
{
    QStringList out;
    for (const auto* l : {&m_to, &m_cc, &m_bcc})
        for (const MailAddress& a : *l)
            out << a.address;
    return out;
}

std::optional<QByteArray> OutgoingMessage::toBytes(const QDateTime& date)
{
    initGMime();
    const GObjectHolder<GMimeStream> out(g_mime_stream_mem_new());
    if (!write(out.get(), date))
        return std::nullopt;
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes->data), qsizetype(bytes->len));
}

bool OutgoingMessage::writeToFile(const QString& path, const QDateTime& date)
{
    initGMime();
    const GObjectHolder<GMimeStream> out(
        g_mime_stream_fs_open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600, nullptr));
    if (!out) {
        m_error = QStringLiteral("The message could not be written: %1").arg(path);
        return false;
    }
    // File streams write each piece straight through; a buffer makes that a few large writes.
    const GObjectHolder<GMimeStream> buffered(g_mime_stream_buffer_new(out.get(), GMIME_STREAM_BUFFER_BLOCK_WRITE));
    return write(buffered.get(), date) && g_mime_stream_flush(buffered.get()) == 0;
}

bool OutgoingMessage::write(void* stream, const QDateTime& date)
{
    GMimeStream* target = static_cast<GMimeStream*>(stream);
    const QByteArray charset = utf8(Charset.trimmed().isEmpty() ? QStringLiteral("utf-8") : Charset.trimmed());
    const GObjectHolder<GMimeMessage> held(g_mime_message_new(TRUE));
    GMimeMessage* message = held.get();

    const MailAddress from = parseMailbox(From);
    internet_address_list_add(g_mime_message_get_from(message), mailbox(from).get());
    for (auto [type, list] : {std::pair{GMIME_ADDRESS_TYPE_TO, &m_to}, std::pair{GMIME_ADDRESS_TYPE_CC, &m_cc}})
        internet_address_list_append(g_mime_message_get_addresses(message, type), addressList(*list).get());
    g_mime_message_set_subject(message, utf8(oneLine(subject)).constData(), charset.constData());
    GDateTime* when = g_date_time_new_from_unix_local(date.toSecsSinceEpoch());
    g_mime_message_set_date(message, when);
    g_date_time_unref(when);
    const QString domain = from.address.contains(QLatin1Char('@')) ? from.address.section(QLatin1Char('@'), -1)
                                                                    : QStringLiteral("velmora.local");
    m_messageId = QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') + domain;
    g_mime_message_set_message_id(message, utf8(m_messageId).constData());

    // The text: plain and HTML as alternatives, the HTML with its inline parts beside it.
    QString plain = plainBody;
    if (plain.isEmpty() && !htmlBody.isEmpty()) {
        plain = mailHtmlToPlainText(htmlBody);
    }
    GObjectHolder<GMimeObject> body = textPart("plain", plain, charset);
    if (!htmlBody.isEmpty()) {
        GObjectHolder<GMimeMultipart> alternative(g_mime_multipart_new_with_subtype("alternative"));
        g_mime_multipart_add(alternative.get(), body.get());
        GObjectHolder<GMimeObject> html = textPart("html", htmlBody, charset);
        if (!m_related.empty()) {
            // The HTML first: readers take the first part of multipart/related as its root.
            GObjectHolder<GMimeMultipart> related(g_mime_multipart_new_with_subtype("related"));
            g_mime_object_set_content_type_parameter(GMIME_OBJECT(related.get()), "type", "text/html");
            g_mime_multipart_add(related.get(), html.get());
            for (const MailPart& p : m_related) {
                const GObjectHolder<GMimeStream> s(g_mime_stream_mem_new_with_buffer(p.data.constData(), size_t(p.data.size())));
                addPart(related.get(), dataPart(p.contentType, p.filename, s.get()), GMIME_DISPOSITION_INLINE, p.contentId);
            }
            html = asObject(std::move(related));
        }
        g_mime_multipart_add(alternative.get(), html.get());
        body = asObject(std::move(alternative));
    }

    // The attachments, streamed from their files (or from the zip made of them).
    QTemporaryDir zipDir;
    QStringList files = m_files;
    QStringList names = m_names;
    if (!m_zipName.isEmpty() && !files.isEmpty()) {
        const QString zipPath = zipDir.filePath(m_zipName);
        int err = 0;
        zip_t* za = zipDir.isValid() ? zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err) : nullptr;
        bool ok = za != nullptr;
        QStringList used;
        for (qsizetype i = 0; i < files.size(); ++i) {
            if (!ok)
                break;
            const QString& f = files[i];
            const QFileInfo shown(names.value(i, QFileInfo(f).fileName()));
            QString entry = vrt::safeFileName(shown.fileName());
            for (int n = 2; used.contains(entry, Qt::CaseInsensitive); ++n)
                entry = shown.completeBaseName() + QStringLiteral(" (%1)").arg(n)
                        + (shown.suffix().isEmpty() ? QString() : QLatin1Char('.') + shown.suffix());
            used << entry;
            zip_source_t* src = zip_source_file(za, QFile::encodeName(f).constData(), 0, -1);
            ok = src && zip_file_add(za, utf8(entry).constData(), src, ZIP_FL_ENC_UTF_8) >= 0;
            if (src && !ok)
                zip_source_free(src);
        }
        if (za && (!ok || zip_close(za) != 0)) {
            if (ok)
                m_error = QString::fromUtf8(zip_strerror(za));
            zip_discard(za);
            ok = false;
        }
        if (!ok) {
            if (m_error.isEmpty())
                m_error = QStringLiteral("The attachments could not be zipped");
            return false;
        }
        files = {zipPath};
        names = {m_zipName};
    }
    if (!files.isEmpty()) {
        GObjectHolder<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
        g_mime_multipart_add(mixed.get(), body.get());
        const QMimeDatabase types;
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QString& f = files[i];
            const QString name = names.value(i, QFileInfo(f).fileName());
            const GObjectHolder<GMimeStream> s(g_mime_stream_fs_open(QFile::encodeName(f).constData(), O_RDONLY, 0644, nullptr));
            if (!s) {
                m_error = QStringLiteral("The attachment cannot be read: %1").arg(f);
                return false;
            }
            addPart(mixed.get(), dataPart(types.mimeTypeForFile(f).name(), name, s.get()), GMIME_DISPOSITION_ATTACHMENT);
        }
        body = asObject(std::move(mixed));
    }
    g_mime_message_set_mime_part(message, body.get());

    const FormatOptions options(g_mime_format_options_clone(nullptr), g_mime_format_options_free);
    g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
    const bool written = g_mime_object_write_to_stream(GMIME_OBJECT(message), options.get(), target) >= 0;
    if (!written)
        m_error = QStringLiteral("The message could not be written");
    return written;
}

// ---- HTML to MIME ----------------------------------------------------------------------------

void HtmlToMime::registerComponent()
{
    vrt::ComponentRegistry::instance().registerFactory(QString::fromLatin1(ProgId),
                                                       [](QWidget*) { return new HtmlToMime; });
}

std::unique_ptr<HtmlToMime> HtmlToMime::createByProgId()
{
    auto& registry = vrt::ComponentRegistry::instance();
    QObject* made = registry.create(QString::fromLatin1(ProgId));
    if (!made) {
        registerComponent();
        made = registry.create(QString::fromLatin1(ProgId));
    }
    auto* mime = qobject_cast<HtmlToMime*>(made);
    if (!mime)
        delete made;
    return std::unique_ptr<HtmlToMime>(mime);
}

std::optional<OutgoingMessage> HtmlToMime::GetEmail(const QString& file)
{
    constexpr qint64 maxImage = 16 * 1024 * 1024;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: %2").arg(file, in.errorString());
        return std::nullopt;
    }
    OutgoingMessage message;
    message.htmlBody = QString::fromUtf8(in.readAll());
    message.plainBody = mailHtmlToPlainText(message.htmlBody);
    const QDir folder = QFileInfo(file).absoluteDir();
    const QMimeDatabase types;
    // Local images inside the file's folder go along as inline parts; anything else stays a
    // link, so a message never carries a file from elsewhere on the disk.
    static const QRegularExpression img(QStringLiteral("(<img\\b[^>]*?\\bsrc\\s*=\\s*)([\"'])([^\"']*)\\2"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString html;
    qsizetype last = 0;
    QHash<QString, QString> cids;
    auto it = img.globalMatch(message.htmlBody);
    while (it.hasNext()) {
        const auto m = it.next();
        QString src = m.captured(3);
        const QUrl url(src);
        QString path;
        if (url.isLocalFile())
            path = url.toLocalFile();
        else if (url.scheme().isEmpty())
            path = folder.filePath(QUrl::fromPercentEncoding(src.toUtf8()));
        QString replacement = src;
        if (!path.isEmpty()) {
            const QFileInfo info(path);
            if (info.isFile() && !info.isSymLink() && info.size() <= maxImage
                && vrt::isInsideFolder(folder.canonicalPath(), info.canonicalFilePath())) {
                QString& cid = cids[info.absoluteFilePath()];
                if (cid.isEmpty()) {
                    QFile f(info.absoluteFilePath());
                    if (f.open(QIODevice::ReadOnly)) {
                        MailPart part;
                        part.data = f.readAll();
                        part.filename = vrt::safeFileName(info.fileName());
                        part.contentType = types.mimeTypeForFileNameAndData(info.fileName(), part.data).name();
                        cid = QStringLiteral("part%1.%2@velmora").arg(cids.size()).arg(
                            QUuid::createUuid().toString(QUuid::Id128).left(12));
                        part.contentId = cid;
                        part.related = true;
                        message.addRelated(part);
                    }
                }
                if (!cid.isEmpty())
                    replacement = QStringLiteral("cid:") + cid;
            }
        }
        html += message.htmlBody.mid(last, m.capturedStart(3) - last) + replacement;
        last = m.capturedEnd(3);
    }
    html += message.htmlBody.mid(last);
    message.htmlBody = html;
    m_error.clear();
    return message;
}

} // namespace controls
