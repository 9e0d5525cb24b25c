#include "tests/support/Dovecot.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {
namespace {

QString dovecotBinary()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("dovecot"));
    if (!found.isEmpty())
        return found;
    const QString sbin = QStandardPaths::findExecutable(QStringLiteral("dovecot"), {QStringLiteral("/usr/sbin")});
    return sbin;
}

sockaddr_in loopback(quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

quint16 freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

// Sends `lines` one by one after the greeting; true when the greeting and every answer are +OK.
bool talk(quint16 port, const QList<QByteArray>& lines)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(port);
    auto answered = [fd] {
        pollfd p{fd, POLLIN, 0};
        char buf[512] = {};
        return ::poll(&p, 1, 2000) > 0 && ::recv(fd, buf, sizeof buf - 1, 0) > 0 && QByteArray(buf).startsWith("+OK");
    };
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && answered();
    for (const QByteArray& line : lines) {
        if (!ok)
            break;
        const QByteArray out = line + "\r\n";
        ok = ::send(fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL) == out.size() && answered();
    }
    ::close(fd);
    return ok;
}

bool greets(quint16 port) { return talk(port, {}); }

// The mail files belong to the mail user the server switches to.
void giveToMailUser(const QString& path)
{
    if (const passwd* pw = getpwnam("dovecot"))
        (void)chown(path.toLocal8Bit().constData(), pw->pw_uid, pw->pw_gid);
}

bool alive(qint64 pid) { return pid > 0 && ::kill(pid_t(pid), 0) == 0; }

} // namespace

Dovecot::Dovecot() : Dovecot(Options{}) {}

Dovecot::Dovecot(Options options) : m_options(std::move(options)), m_dir(QDir::tempPath() + QStringLiteral("/velmora-dovecot-XXXXXX"))
{
    // The server's own users must be able to reach the configuration and the mail.
    ::chmod(m_dir.path().toLocal8Bit().constData(), 0755);
    for (const char* sub : {"base", "state", "mail"})
        QDir().mkpath(path(QString::fromLatin1(sub)));
    giveToMailUser(path(QStringLiteral("mail")));
    QFile(path(QStringLiteral("users"))).open(QIODevice::WriteOnly);
}

Dovecot::~Dovecot() { stop(); }

QString Dovecot::unavailableReason()
{
    if (dovecotBinary().isEmpty())
        return QStringLiteral("dovecot is not installed (Debian packages dovecot-core, dovecot-pop3d)");
    if (!QFile::exists(QStringLiteral("/usr/lib/dovecot/pop3")))
        return QStringLiteral("dovecot-pop3d is not installed");
    return {};
}

QString Dovecot::path(const QString& name) const { return m_dir.filePath(name); }

QString Dovecot::certificateFile() const { return path(QStringLiteral("cert.pem")); }

QString Dovecot::logText() const
{
    QFile f(path(QStringLiteral("dovecot.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool makeLoopbackCertificate(const QString& certFile, const QString& keyFile, QString* why)
{
    QProcess p;
    p.start(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
             QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
             QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
             QStringLiteral("-keyout"), keyFile, QStringLiteral("-out"), certFile});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *why = QStringLiteral("openssl could not make a certificate: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

bool Dovecot::makeCertificate(QString* why)
{
    return makeLoopbackCertificate(certificateFile(), path(QStringLiteral("key.pem")), why);
}

bool Dovecot::writeConfig(QString* why)
{
    const passwd* pw = getpwnam("dovecot");
    if (!pw) {
        *why = QStringLiteral("the dovecot user does not exist");
        return false;
    }
    QString tls = QStringLiteral("ssl = no\n");
    QString tlsListener;
    if (m_options.tls) {
        tls = QStringLiteral("ssl = yes\nssl_cert = <@DIR@/cert.pem\nssl_key = <@DIR@/key.pem\n");
        tlsListener = QStringLiteral("  inet_listener pop3s {\n    address = 127.0.0.1\n    port = %1\n    ssl = yes\n  }\n")
                          .arg(m_tlsPort);
    }
    QString conf = QStringLiteral(
        "protocols = pop3\n"
        "listen = 127.0.0.1\n"
        "base_dir = @DIR@/base\n"
        "state_dir = @DIR@/state\n"
        "log_path = @DIR@/dovecot.log\n"
        "default_login_user = dovenull\n"
        "default_internal_user = dovecot\n"
        "first_valid_uid = @UID@\n"
        "first_valid_gid = @GID@\n"
        "disable_plaintext_auth = no\n"
        "auth_mechanisms = plain\n"
        // Refused logins in one test must not slow the next one down.
        "auth_failure_delay = 0\n"
        "login_trusted_networks = 127.0.0.1/8\n"
        "@TLS@"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN @DIR@/users\n}\n"
        "userdb {\n  driver = static\n  args = uid=@UID@ gid=@GID@ home=@DIR@/mail/%u\n}\n"
        "mail_location = maildir:@DIR@/mail/%u\n"
        "pop3_uidl_format = @UIDL@\n"
        "service pop3-login {\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = @PORT@\n  }\n@TLSLISTENER@}\n"
        "service imap-login {\n  inet_listener imap {\n    port = 0\n  }\n  inet_listener imaps {\n    port = 0\n  }\n}\n"
        "service submission-login {\n  inet_listener submission {\n    port = 0\n  }\n}\n"
        "service stats {\n  unix_listener stats-writer {\n    mode = 0666\n  }\n}\n");
    conf.replace(QStringLiteral("@TLSLISTENER@"), tlsListener)
        .replace(QStringLiteral("@TLS@"), tls)
        .replace(QStringLiteral("@DIR@"), m_dir.path())
        .replace(QStringLiteral("@UID@"), QString::number(pw->pw_uid))
        .replace(QStringLiteral("@GID@"), QString::number(pw->pw_gid))
        .replace(QStringLiteral("@UIDL@"), m_options.uidlFormat)
        .replace(QStringLiteral("@PORT@"), QString::number(m_port));
    QFile f(path(QStringLiteral("dovecot.conf")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(conf.toUtf8()) < 0) {
        *why = f.errorString();
        return false;
    }
    return true;
}

bool Dovecot::start(QString* why)
{
    QString reason = unavailableReason();
    if (!reason.isEmpty()) {
        *why = reason;
        return false;
    }
    if (m_options.tls && !QFile::exists(certificateFile()) && !makeCertificate(why))
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        m_tlsPort = m_options.tls ? freePort() : 0;
        if (!writeConfig(why))
            return false;
        QProcess p;
        p.start(dovecotBinary(), {QStringLiteral("-c"), path(QStringLiteral("dovecot.conf"))});
        p.waitForFinished(30000);
        if (p.exitCode() != 0) {
            *why = QString::fromLocal8Bit(p.readAllStandardError()) + logText();
            continue;
        }
        for (int i = 0; i < 100 && !greets(m_port); ++i)
            QThread::msleep(100);
        QFile pidFile(path(QStringLiteral("base/master.pid")));
        if (pidFile.open(QIODevice::ReadOnly))
            m_pid = pidFile.readAll().trimmed().toLongLong();
        if (greets(m_port))
            return true;
        *why = QStringLiteral("dovecot did not answer on port %1: %2").arg(m_port).arg(logText());
        stop();
    }
    return false;
}

void Dovecot::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(pid_t(m_pid), SIGTERM);
    for (int i = 0; i < 200 && alive(m_pid); ++i)
        QThread::msleep(50);
    m_pid = 0;
}

void Dovecot::addUser(const QString& user, const QString& password)
{
    const QString home = path(QStringLiteral("mail/") + user);
    for (const char* sub : {"", "/new", "/cur", "/tmp"}) {
        QDir().mkpath(home + QString::fromLatin1(sub));
        giveToMailUser(home + QString::fromLatin1(sub));
    }
    QFile f(path(QStringLiteral("users")));
    if (f.open(QIODevice::Append))
        f.write(QStringLiteral("%1:{PLAIN}%2\n").arg(user, password).toUtf8());
    f.close();
    // A running server reads the users file again when it reloads.
    if (m_pid > 0) {
        ::kill(pid_t(m_pid), SIGHUP);
        const QList<QByteArray> login = {"USER " + user.toUtf8(), "PASS " + password.toUtf8(), "QUIT"};
        for (int i = 0; i < 100 && !talk(m_port, login); ++i)
            QThread::msleep(50);
    }
}

bool Dovecot::deliver(const QString& user, const QByteArray& message, const QString& name)
{
    const QString home = path(QStringLiteral("mail/") + user);
    const int n = ++m_delivered;
    const QString file = name.isEmpty() ? QStringLiteral("%1.M%2P%3.velmora").arg(1700000000 + n).arg(n).arg(::getpid())
                                        : name;
    const QString tmp = home + QStringLiteral("/tmp/") + file;
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly) || f.write(message) != message.size())
        return false;
    f.close();
    giveToMailUser(tmp);
    return QFile::rename(tmp, home + QStringLiteral("/new/") + file);
}

QString Dovecot::maildir(const QString& user) const { return path(QStringLiteral("mail/") + user); }

int Dovecot::messageCount(const QString& user) const
{
    const QString home = path(QStringLiteral("mail/") + user);
    return int(QDir(home + QStringLiteral("/new")).entryList(QDir::Files).size()
               + QDir(home + QStringLiteral("/cur")).entryList(QDir::Files).size());
}

void SharedDovecot::start(Dovecot::Options options, const std::function<void(Dovecot&)>& fill)
{
    skip = Dovecot::unavailableReason();
    if (!skip.isEmpty())
        return;
    server = std::make_unique<Dovecot>(std::move(options));
    fill(*server);
    if (!server->start(&error) && error.isEmpty())
        error = QStringLiteral("dovecot did not start");
}

} // namespace testsupport
