#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace testsupport {

// A real SMTP server on 127.0.0.1 (Debian's python3-aiosmtpd), with AUTH and STARTTLS or
// TLS from the start, writing what it accepts into a spool folder the test reads.
class SmtpServer {
public:
    struct Options {
        QString user = QStringLiteral("posiljatelj");
        QString password = QStringLiteral("tajna");
        bool tls = true;          // STARTTLS, required before AUTH
        bool implicitTls = false; // TLS from the start instead
        QStringList refused;      // recipients answered with 550
        QString maildir;          // also deliver each accepted message here (Dovecot::maildir)
        bool hangUp = false;      // drop the connection after DATA, accepting nothing
        bool keepThenHangUp = false; // keep the message, drop the connection before "250"
        bool keepThenSilent = false; // keep the message and never answer
    };
    struct Message {
        QStringList recipients;
        QByteArray bytes;
    };

    explicit SmtpServer(Options options);
    SmtpServer() : SmtpServer(Options()) {}
    ~SmtpServer();

    // Empty when the server can run here; else why not.
    static QString unavailableReason();
    bool start(QString* why);
    void stop();
    quint16 port() const { return m_port; }
    // The server's process, so that a watchdog on another thread can end it.
    qint64 processId() const;
    QString certificateFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    // What the server accepted so far, in order.
    std::vector<Message> messages() const;

private:
    Options m_options;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};

} // namespace testsupport
