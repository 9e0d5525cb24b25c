#include "controls/MailManager.h"

#include "runtime/ComponentRegistry.h"

#include <curl/curl.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>

#include <mutex>

namespace controls {
namespace {

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURL* handle(void* p) { return static_cast<CURL*>(p); }

} // namespace

MailManager::MailManager(QObject* parent) : QObject(parent) { initCurl(); }

void MailManager::registerComponent()
{
    vrt::ComponentRegistry::instance().registerFactory(QString::fromLatin1(ProgId),
                                                       [](QWidget*) { return new MailManager; });
}

std::unique_ptr<MailManager> MailManager::createByProgId()
{
    auto& registry = vrt::ComponentRegistry::instance();
    QObject* made = registry.create(QString::fromLatin1(ProgId));
    if (!made) {
        registerComponent();
        made = registry.create(QString::fromLatin1(ProgId));
    }
    auto* mail = qobject_cast<MailManager*>(made);
    if (!mail)
        delete made;
    return std::unique_ptr<MailManager>(mail);
}

MailManager::~MailManager()
{
    Pop3EndSession();
    CloseSmtpConnection();
}

size_t MailManager::write(char* data, size_t size, size_t n, void* self)
{
    auto* m = static_cast<MailManager*>(self);
    const size_t bytes = size * n;
    // A short count makes libcurl end the transfer: nothing beyond a cap is ever held.
    m->m_received += qint64(bytes);
    if (m->m_received > m->MaxMessageBytes) {
        m->m_failure = Failure::TooLarge;
        return 0;
    }
    const char* p = data;
    const char* const end = data + bytes;
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        m->m_lineLength += (eol ? eol : end) - p;
        if (m->m_lineLength > m->MaxLineBytes) {
            m->m_failure = Failure::LineTooLong;
            return 0;
        }
        if (!eol)
            break;
        m->m_lineLength = 0;
        p = eol + 1;
    }
    m->m_sink->append(data, qsizetype(bytes));
    return bytes;
}

int MailManager::xferInfo(void* self, long long, long long now, long long, long long)
{
    auto* m = static_cast<MailManager*>(self);
    if (m->abortFlag && m->abortFlag->load())
        return 1;
    if (now != m->m_lastBytes) {
        m->m_lastBytes = now;
        if (m->onProgress)
            m->onProgress();
    }
    return 0;
}

bool MailManager::ensureSession()
{
    const QString key = QStringList{MailHost, QString::number(MailPort), QString::number(PopSsl),
                                    PopUsername, PopPassword, CaFile}
                            .join(QChar(0));
    if (m_curl && key == m_sessionKey)
        return true;
    Pop3EndSession();
    if (!m_curl.make()) {
        m_error = QStringLiteral("libcurl could not start a session");
        return false;
    }
    m_sessionKey = key;
    CURL* c = handle(m_curl.get());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(c, CURLOPT_USERNAME, PopUsername.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, PopPassword.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(ConnectTimeoutSeconds));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &MailManager::write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &MailManager::xferInfo);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    applyTls(c, PopSsl == 2);
    return true;
}

void MailManager::applyLimits(void* curl)
{
    CURL* c = handle(curl);
    // libcurl measures both: no byte moved for this long, and no answer owed by the server
    // for this long (the wait for the reply after the data, or after a command).
    const long stall = std::max(1, StallSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, stall);
}

bool MailManager::finish(int code)
{
    const CURLcode rc = CURLcode(code);
    if (rc == CURLE_OK) {
        m_error.clear();
        m_failure = Failure::None;
        return true;
    }
    const QString curlText = QString::fromUtf8(m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(rc));
    if (m_failure == Failure::TooLarge) {
        m_error = QStringLiteral("The server sent more than %1 bytes for one message").arg(MaxMessageBytes);
    } else if (m_failure == Failure::LineTooLong) {
        m_error = QStringLiteral("The server sent a line longer than %1 bytes").arg(MaxLineBytes);
    } else if (rc == CURLE_OPERATION_TIMEDOUT) {
        m_failure = Failure::Stalled;
        m_error = QStringLiteral("The server was silent for %1 seconds (%2)").arg(StallSeconds).arg(curlText);
    } else {
        m_failure = Failure::Other;
        m_error = curlText;
    }
    return false;
}

void MailManager::applyTls(void* curl, bool required)
{
    CURL* c = handle(curl);
    if (required)
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!CaFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, CaFile.toLocal8Bit().constData());
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, VerifyPeer ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, VerifyPeer ? 2L : 0L);
}

bool MailManager::perform(const QString& path, const char* command, bool noBody, QByteArray* out,
                          bool* reconnected)
{
    if (!ensureSession())
        return false;
    CURL* c = handle(m_curl.get());
    const int port = MailPort > 0 ? MailPort : (PopSsl == 1 ? 995 : 110);
    const QString host = MailHost.contains(QLatin1Char(':')) && !MailHost.startsWith(QLatin1Char('['))
                             ? QLatin1Char('[') + MailHost + QLatin1Char(']')
                             : MailHost;
    const QString url = QStringLiteral("%1://%2:%3/%4")
                            .arg(PopSsl == 1 ? QStringLiteral("pop3s") : QStringLiteral("pop3"), host)
                            .arg(port)
                            .arg(path);
    QByteArray sink;
    curl_easy_setopt(c, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(c, CURLOPT_NOBODY, noBody ? 1L : 0L);
    applyLimits(c);
    m_sink = out ? out : &sink;
    m_received = 0;
    m_lineLength = 0;
    m_failure = Failure::None;
    m_errorBuffer[0] = 0;
    m_lastBytes = -1;
    if (waitingFlag)
        *waitingFlag = true;
    const CURLcode rc = curl_easy_perform(c);
    if (waitingFlag)
        *waitingFlag = false;
    m_sink = nullptr;
    if (reconnected) {
        long connects = 0;
        curl_easy_getinfo(c, CURLINFO_NUM_CONNECTS, &connects);
        *reconnected = connects > 0;
    }
    return finish(rc);
}

std::optional<QStringList> MailManager::GetUidls()
{
    QByteArray listing;
    if (!perform(QString(), "UIDL", false, &listing))
        return std::nullopt;
    m_numbers.clear();
    QStringList uidls;
    for (const QByteArray& line : listing.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        bool ok = false;
        const int n = f.size() >= 2 ? f[0].toInt(&ok) : 0;
        if (!ok || n <= 0)
            continue;
        const QString uidl = QString::fromLatin1(f[1]);
        if (m_numbers.contains(uidl))
            continue;
        m_numbers.insert(uidl, n);
        uidls.append(uidl);
    }
    return uidls;
}

std::optional<int> MailManager::numberOf(const QString& uidl)
{
    if (m_numbers.isEmpty() && !GetUidls())
        return std::nullopt;
    const auto it = m_numbers.constFind(uidl);
    if (it == m_numbers.cend()) {
        m_error = QStringLiteral("No message with the unique id ") + uidl;
        return std::nullopt;
    }
    return *it;
}

std::optional<QByteArray> MailManager::fetchRaw(const QString& uidl)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::optional<int> n = numberOf(uidl);
        if (!n)
            return std::nullopt;
        QByteArray raw;
        bool reconnected = false;
        if (!perform(QString::number(*n), nullptr, false, &raw, &reconnected))
            return std::nullopt;
        if (!reconnected)
            return raw;
        // A new connection is a new POP3 session whose message numbers may differ: check
        // that the number still names the same message before trusting what came back.
        if (!GetUidls())
            return std::nullopt;
        if (m_numbers.value(uidl) == *n)
            return raw;
    }
    m_error = QStringLiteral("The server renumbered its messages during the transfer");
    return std::nullopt;
}

std::optional<MimeMessage> MailManager::FetchEmail(const QString& uidl)
{
    std::optional<QByteArray> raw = fetchRaw(uidl);
    if (!raw)
        return std::nullopt;
    return MimeMessage::fromBytes(*raw);
}

bool MailManager::DeleteByUidl(const QString& uidl)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::optional<int> n = numberOf(uidl);
        if (!n)
            return false;
        bool reconnected = false;
        // On a fresh connection the number is checked first, so the wrong message is never
        // deleted.
        if (!perform(QString(), "NOOP", true, nullptr, &reconnected))
            return false;
        if (reconnected) {
            m_numbers.clear();
            continue;
        }
        if (!perform(QString::number(*n), "DELE", true, nullptr))
            return false;
        m_numbers.remove(uidl);
        return true;
    }
    return false;
}

size_t MailManager::read(char* data, size_t size, size_t n, void* self)
{
    // libcurl asks for the data only once the server has said to go on after DATA.
    auto* m = static_cast<MailManager*>(self);
    if (m->m_sendStage == SendStage::BeforeData)
        m->m_sendStage = SendStage::InData;
    const qint64 got = m->m_upload->read(data, qint64(size * n));
    if (got < 0)
        return CURL_READFUNC_ABORT;
    m->m_uploaded += got;
    // From here the end of the data may reach the server at any moment.
    if (got == 0 || m->m_uploaded.load() >= m->m_uploadSize.load())
        m->m_sendStage = SendStage::AfterData;
    return size_t(got);
}

bool MailManager::SendEmail(OutgoingMessage& message)
{
    m_sendStage = SendStage::BeforeData;
    m_uploaded = 0;
    // Small messages are built in memory; one with large attachments goes through a private
    // temporary file, so it is never held in memory whole.
    qint64 attached = 0;
    for (const QString& path : message.attachmentPaths())
        attached += QFileInfo(path).size();
    if (attached < 4 * 1024 * 1024) {
        std::optional<QByteArray> bytes = message.toBytes();
        if (!bytes) {
            m_error = message.LastErrorText();
            return false;
        }
        QBuffer buffer(&*bytes);
        buffer.open(QIODevice::ReadOnly);
        return sendRaw(message.fromAddress(), message.envelopeRecipients(), buffer);
    }
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/velmora-mail-XXXXXX"));
    if (!file.open() || !message.writeToFile(file.fileName())) {
        m_error = message.LastErrorText().isEmpty() ? file.errorString() : message.LastErrorText();
        return false;
    }
    QFile built(file.fileName());
    if (!built.open(QIODevice::ReadOnly)) {
        m_error = built.errorString();
        return false;
    }
    return sendRaw(message.fromAddress(), message.envelopeRecipients(), built);
}

bool MailManager::sendRaw(const QString& from, const QStringList& recipients, QIODevice& source)
{
    m_sendStage = SendStage::BeforeData;
    m_failure = Failure::Other;
    if (SmtpHost.trimmed().isEmpty()) {
        m_error = QStringLiteral("No SMTP host is set");
        return false;
    }
    if (recipients.isEmpty()) {
        m_error = QStringLiteral("The message has no recipient");
        return false;
    }
    const bool implicitTls = SmtpSsl == 3 || (SmtpSsl == 1 && (SmtpPort == 0 || SmtpPort == 465));
    const int port = SmtpPort > 0 ? SmtpPort : (implicitTls ? 465 : 25);
    const QString key = QStringList{SmtpHost, QString::number(port), QString::number(SmtpSsl), SmtpUserName,
                                    SmtpPassword, CaFile}
                            .join(QChar(0));
    if (m_smtp && key != m_smtpKey)
        CloseSmtpConnection();
    if (!m_smtp) {
        if (!m_smtp.make()) {
            m_error = QStringLiteral("libcurl could not start a session");
            return false;
        }
        m_smtpKey = key;
    }
    CURL* c = handle(m_smtp.get());
    const QString host = SmtpHost.contains(QLatin1Char(':')) && !SmtpHost.startsWith(QLatin1Char('['))
                             ? QLatin1Char('[') + SmtpHost.trimmed() + QLatin1Char(']')
                             : SmtpHost.trimmed();
    const QString url = QStringLiteral("%1://%2:%3")
                            .arg(implicitTls ? QStringLiteral("smtps") : QStringLiteral("smtp"), host)
                            .arg(port);
    curl_easy_setopt(c, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, long(ConnectTimeoutSeconds));
    if (!SmtpUserName.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, SmtpUserName.toUtf8().constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, SmtpPassword.toUtf8().constData());
    }
    applyTls(c, SmtpSsl != 0 && !implicitTls);
    const QByteArray sender = '<' + from.toUtf8() + '>';
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, sender.constData());
    CurlListHolder list;
    for (const QString& r : recipients) {
        // A recipient that cannot be listed fails the send rather than silently missing out.
        if (!list.append(('<' + r.toUtf8() + '>').constData())) {
            m_error = QStringLiteral("libcurl could not list the recipients");
            return false;
        }
    }
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, list.get());
    // libcurl's default stays: one refused recipient fails the whole send, so the user never
    // believes it reached everyone.
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &MailManager::read);
    curl_easy_setopt(c, CURLOPT_READDATA, this);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(source.size()));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &MailManager::xferInfo);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    applyLimits(c);
    m_upload = &source;
    m_uploadSize = source.size();
    m_uploaded = 0;
    m_sendStage = SendStage::BeforeData;
    m_failure = Failure::None;
    m_errorBuffer[0] = 0;
    if (waitingFlag)
        *waitingFlag = true;
    const CURLcode rc = curl_easy_perform(c);
    if (waitingFlag)
        *waitingFlag = false;
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, nullptr);
    m_upload = nullptr;
    return finish(rc);
}

void MailManager::CloseSmtpConnection()
{
    m_smtp.reset();
    m_smtpKey.clear();
}

bool MailManager::Pop3EndSessionConfirmed()
{
    if (!m_curl) {
        m_failure = Failure::Other;
        m_error = QStringLiteral("There is no session to end");
        return false;
    }
    bool reconnected = false;
    const bool quit = perform(QString(), "QUIT", true, nullptr, &reconnected);
    const QString why = m_error;
    const Failure failure = m_failure;
    Pop3EndSession();
    if (quit && reconnected) {
        // A fresh connection's QUIT says nothing about the deletions of the lost one.
        m_failure = Failure::Other;
        m_error = QStringLiteral("The connection was lost before the session ended");
        return false;
    }
    m_failure = failure;
    m_error = quit ? QString() : QStringLiteral("QUIT: ") + why;
    return quit;
}

void MailManager::Pop3EndSession()
{
    m_curl.reset();
    m_sessionKey.clear();
    m_numbers.clear();
}

} // namespace controls
