#include "tests/support/SmtpServer.h"

#include "tests/support/Dovecot.h"
#include "tests/support/TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace testsupport {

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");

const QString kScript = QStringLiteral("tests/support/smtp_server.py");
} // namespace

SmtpServer::SmtpServer(Options options) : m_options(std::move(options)) {}

SmtpServer::~SmtpServer() { stop(); }

QString SmtpServer::unavailableReason()
{
    QProcess p;
    p.start(kPython, {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("python3-aiosmtpd is not installed");
    return {};
}

bool SmtpServer::start(QString* why)
{
    const QString spool = m_dir.filePath(QStringLiteral("spool"));
    QDir().mkpath(spool);
    QString missing;
    const QString script = sourceFile(kScript, &missing);
    if (!missing.isEmpty()) {
        if (why)
            *why = missing;
        return false;
    }
    QStringList args{script, QStringLiteral("--spool"), spool};
    if (!m_options.user.isEmpty())
        args << QStringLiteral("--user") << m_options.user << QStringLiteral("--password") << m_options.password;
    if (m_options.tls || m_options.implicitTls) {
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        if (!makeLoopbackCertificate(certificateFile(), key, why))
            return false;
        args << QStringLiteral("--cert") << certificateFile() << QStringLiteral("--key") << key;
        if (m_options.implicitTls)
            args << QStringLiteral("--implicit-tls");
    }
    for (const QString& r : m_options.refused)
        args << QStringLiteral("--refuse") << r;
    if (!m_options.maildir.isEmpty())
        args << QStringLiteral("--maildir") << m_options.maildir;
    if (m_options.hangUp)
        args << QStringLiteral("--hang-up");
    if (m_options.keepThenHangUp)
        args << QStringLiteral("--keep-then-hang-up");
    if (m_options.keepThenSilent)
        args << QStringLiteral("--keep-then-silent");
    m_process = std::make_unique<QProcess>();
    m_process->start(kPython, args);
    QByteArray line;
    QDeadlineTimer deadline(30000);
    while (!line.contains('\n') && !deadline.hasExpired() && m_process->state() != QProcess::NotRunning) {
        m_process->waitForReadyRead(200);
        line += m_process->readAllStandardOutput();
    }
    m_port = quint16(line.trimmed().toUInt());
    if (!m_port) {
        *why = QStringLiteral("the SMTP server did not start: ") + QString::fromLocal8Bit(m_process->readAllStandardError());
        stop();
        return false;
    }
    return true;
}

qint64 SmtpServer::processId() const { return m_process ? m_process->processId() : 0; }

void SmtpServer::stop()
{
    if (!m_process)
        return;
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(10000)) {
        m_process->kill();
        m_process->waitForFinished();
    }
    m_process.reset();
}

std::vector<SmtpServer::Message> SmtpServer::messages() const
{
    QDir spool(m_dir.filePath(QStringLiteral("spool")));
    QStringList names = spool.entryList({QStringLiteral("*.eml")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QFileInfo(a).baseName().toInt() < QFileInfo(b).baseName().toInt();
    });
    std::vector<Message> out;
    for (const QString& name : names) {
        QFile eml(spool.filePath(name));
        QFile rcpt(spool.filePath(QFileInfo(name).baseName() + QStringLiteral(".rcpt")));
        if (!eml.open(QIODevice::ReadOnly) || !rcpt.open(QIODevice::ReadOnly))
            continue;
        out.push_back({QString::fromUtf8(rcpt.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), eml.readAll()});
    }
    return out;
}

} // namespace testsupport
