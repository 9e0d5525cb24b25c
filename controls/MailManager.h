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

#include "controls/CurlEasyHolder.h"
#include "controls/MimeMessage.h"
#include "controls/OutgoingMessage.h"

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

    // Bounds on every exchange: a server that sends or takes nothing for StallSeconds (also
    // while it owes an answer) ends it, and so does a message, listing or line from the server
    // above its cap, before it fills memory.
    int StallSeconds = 60;
    qint64 MaxMessageBytes = qint64(64) << 20;
    qint64 MaxLineBytes = qint64(1) << 20;

    // Why the last operation failed, as far as the caller acts on it.
    enum class Failure { None, Stalled, TooLarge, LineTooLong, Other };
    Failure LastFailure() const { return m_failure; }

    // While a transfer runs: called whenever bytes arrive; a set flag aborts the transfer.
    std::function<void()> onProgress;
    const std::atomic<bool>* abortFlag = nullptr;
    // Set while the program waits on the server (a transfer runs), clear while it does its own
    // work between transfers: a silence is the server's only while this is set.
    std::atomic<bool>* waitingFlag = nullptr;

    // The unique ids of the messages on the server in server order; nothing on failure.
    std::optional<QStringList> GetUidls();
    // The message with this unique id; nothing when it cannot be fetched.
    std::optional<MimeMessage> FetchEmail(const QString& uidl);
    std::optional<QByteArray> fetchRaw(const QString& uidl);
    // True when the server accepted the deletion; it takes effect when the session ends.
    bool DeleteByUidl(const QString& uidl);
    void Pop3EndSession();
    // Ends the session with QUIT: true only when the server confirmed it on the connection that
    // took the deletions, so they have taken effect.
    bool Pop3EndSessionConfirmed();

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
    // After a failed send: how far it got. Before the data nothing was delivered and a new try
    // is safe; once the data went out whole the server may have taken the message although its
    // answer never came, and sending again may deliver it twice.
    enum class SendStage { BeforeData, InData, AfterData };
    SendStage LastSendStage() const { return m_sendStage; }
    // Bytes of the message handed to the server so far, and the message's size (for progress;
    // read from any thread).
    qint64 uploadedBytes() const { return m_uploaded.load(); }
    qint64 uploadSize() const { return m_uploadSize.load(); }
    // Sends bytes already built; the envelope comes from the caller.
    bool sendRaw(const QString& from, const QStringList& recipients, QIODevice& source);
    void CloseSmtpConnection();

    QString LastErrorText() const { return m_error; }

private:
    bool ensureSession();
    void applyLimits(void* curl);
    bool finish(int code);
    bool perform(const QString& path, const char* command, bool noBody, QByteArray* out,
                 bool* reconnected = nullptr);
    std::optional<int> numberOf(const QString& uidl);
    static int xferInfo(void* self, long long, long long, long long, long long);
    static size_t write(char* data, size_t size, size_t n, void* self);

    static size_t read(char* data, size_t size, size_t n, void* self);
    void applyTls(void* curl, bool required);

    CurlEasyHolder m_curl; // the POP3 session
    CurlEasyHolder m_smtp;
    QString m_smtpKey;
    QIODevice* m_upload = nullptr;
    std::atomic<qint64> m_uploaded{0};
    std::atomic<qint64> m_uploadSize{0};
    SendStage m_sendStage = SendStage::BeforeData;
    QByteArray* m_sink = nullptr;
    qint64 m_received = 0;
    qint64 m_lineLength = 0;
    Failure m_failure = Failure::None;
    QString m_sessionKey;
    QHash<QString, int> m_numbers;
    QString m_error;
    long long m_lastBytes = -1;
    char m_errorBuffer[256] = {};
};

} // namespace controls
