#pragma once
#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "protocols/CurlEasyHolder.h"
#include "protocols/MimeMessage.h"
#include "protocols/OutgoingMessage.h"

namespace controls {

// The mail manager: POP3 over libcurl, one connection per session, messages left on the
// server unless deleted. Set the five server properties, then call the operations; the
// connection stays open between calls until Pop3EndSession or a change of server.
class MailManager : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ProgId = "ChilkatMail2.ChilkatMailMan2.1";

    explicit MailManager(QObject* parent = nullptr);
    ~MailManager() override;

    // Registers the factory under ProgId.
    static void registerComponent();
    // Made by program identifier, registering once more when that fails; nothing when it
    // still fails.
    static std::unique_ptr<MailManager> createByProgId();

    QString MailHost;
    QString PopUsername;
    QString PopPassword;
    int MailPort = 0; // 0: 110, or 995 with PopSsl 1
    int PopSsl = 0;   // 0 plain, 1 TLS from the start (pop3s), 2 STARTTLS, required

    // Trust for TLS servers: extra CA file (a test server's own certificate) and whether the
    // peer must be verified at all.
    QString CaFile;
    bool VerifyPeer = true;
    int ConnectTimeoutSeconds = 30;

    // While a transfer runs: called whenever bytes arrive; a set flag aborts the transfer.
    std::function<void()> onProgress;
    const std::atomic<bool>* abortFlag = nullptr;

    // The unique ids of the messages on the server in server order; nothing on failure.
    std::optional<QStringList> GetUidls();
    // The message with this unique id; nothing when it cannot be fetched.
    std::optional<MimeMessage> FetchEmail(const QString& uidl);
    std::optional<QByteArray> fetchRaw(const QString& uidl);
    // True when the server accepted the deletion; it takes effect when the session ends.
    bool DeleteByUidl(const QString& uidl);
    void Pop3EndSession();

    // SMTP: 0 plain; 1 TLS (from the start on port 465 or with no port given, else
    // STARTTLS); 2 STARTTLS, required; 3 TLS from the start on any port. A user name means
    // AUTH with it and the password.
    QString SmtpHost;
    QString SmtpUserName;
    QString SmtpPassword;
    int SmtpPort = 0; // 0: 25, or 465 with SmtpSsl 1
    int SmtpSsl = 0;

    // True when the server took the message for every recipient.
    bool SendEmail(OutgoingMessage& message);
    // Sends bytes already built; the envelope comes from the caller.
    bool sendRaw(const QString& from, const QStringList& recipients, QIODevice& source);
    void CloseSmtpConnection();

    QString LastErrorText() const { return m_error; }

private:
    bool ensureSession();
    bool perform(const QString& path, const char* command, bool noBody, QByteArray* out,
                 bool* reconnected = nullptr);
    std::optional<int> numberOf(const QString& uidl);
    static int xferInfo(void* self, long long, long long, long long, long long);
    static size_t write(char* data, size_t size, size_t n, void* out);

    static size_t read(char* data, size_t size, size_t n, void* self);
    void applyTls(void* curl, bool required);

    CurlEasyHolder m_curl; // the POP3 session
    CurlEasyHolder m_smtp;
    QString m_smtpKey;
    QIODevice* m_upload = nullptr;
    QString m_sessionKey;
    QHash<QString, int> m_numbers;
    QString m_error;
    long long m_lastBytes = -1;
    char m_errorBuffer[256] = {};
};

} // namespace controls
