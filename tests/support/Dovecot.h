#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace testsupport {

// A real Dovecot POP3 server on 127.0.0.1, with its own configuration, users file and
// maildirs in a temporary folder. Users and mail can be added while it runs.
class Dovecot {
public:
    struct Options {
        QString uidlFormat = QStringLiteral("%08Xu%08Xv");
        bool tls = false; // also listen with TLS (pop3s) and offer STARTTLS on the plain port
    };

    Dovecot();
    explicit Dovecot(Options options);
    ~Dovecot();

    // Empty when the server can run here; else why not (dovecot not installed).
    static QString unavailableReason();

    bool start(QString* why);
    void stop();
    bool running() const { return m_pid > 0; }

    quint16 port() const { return m_port; }
    quint16 tlsPort() const { return m_tlsPort; }
    QString certificateFile() const;
    QString logText() const;

    void addUser(const QString& user, const QString& password);
    // Drops a message into the user's maildir; `name` picks its maildir file name.
    bool deliver(const QString& user, const QByteArray& message, const QString& name = {});
    // The user's maildir (made by addUser), for a mail server that delivers into it.
    QString maildir(const QString& user) const;
    // Messages the user has on the server (new and seen).
    int messageCount(const QString& user) const;

private:
    QString path(const QString& name) const;
    bool writeConfig(QString* why);
    bool makeCertificate(QString* why);

    Options m_options;
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    qint64 m_pid = 0;
    int m_delivered = 0;
};

// A self-signed certificate for 127.0.0.1, valid two days.
bool makeLoopbackCertificate(const QString& certFile, const QString& keyFile, QString* why);

// One server for the tests of a suite: started by SetUpTestSuite with its users and mail,
// stopped by TearDownTestSuite. `skip` says why the suite cannot run here (no dovecot);
// `error` why the server did not start, which is a failure.
struct SharedDovecot {
    std::unique_ptr<Dovecot> server;
    QString skip;
    QString error;

    void start(Dovecot::Options options, const std::function<void(Dovecot&)>& fill);
    void stop() { server.reset(); }
};

} // namespace testsupport
