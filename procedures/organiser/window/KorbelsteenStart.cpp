#include "procedures/organiser/window/KorbelsteenStart.h"

#include "protocols/MailNames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>
#include <csignal>

#include "runtime/Dialogs.h"
#include "runtime/Paths.h"
#include "runtime/PrivateFiles.h"

namespace organiser::korbelsteen {

QStringList receiveArgs() { return {mailtransfer::receiveSwitch()}; }

QStringList newMessageArgs()
{
    return {QStringLiteral("/"), QLatin1Char('/') + mailtransfer::modeArgument(NewMessage), QStringLiteral("/0"),
            QStringLiteral("/")};
}

QStringList replyArgs(const QString& bodyPath, int mode, long long emailId)
{
    return {QLatin1Char('/') + bodyPath, QLatin1Char('/') + mailtransfer::modeArgument(Mode(mode)),
            QLatin1Char('/') + QString::number(emailId), QStringLiteral("/")};
}

QStringList toAddressArgs(const QString& address)
{
    return {QStringLiteral("/0"), QLatin1Char('/') + mailtransfer::modeArgument(NewToAddress), QStringLiteral("/0"),
            QLatin1Char('/') + address};
}

// The receiver names body files this way; the reply copy must find them.
QString bodyFile(const QString& dataFolder, const QString& messageId)
{
    return messageId.isEmpty() ? QString() : controls::bodyFilePath(dataFolder, messageId);
}

QString bodyCopy(const QString& dataFolder, const QString& messageId)
{
    return messageId.isEmpty() ? QString() : vrt::joinPath(dataFolder, controls::bodyFileName(messageId));
}

QString copyBody(const QString& dataFolder, const QString& messageId)
{
    const QString from = bodyFile(dataFolder, messageId);
    const QString to = bodyCopy(dataFolder, messageId);
    if (from.isEmpty() || !vrt::isInsideFolder(dataFolder, to))
        return {};
    if (QFileInfo::exists(from)) {
        QFile::remove(to);
        if (QFile::copy(from, to)) // a copy takes its source's mode
            vrt::makePrivate(to);
    }
    return to;
}

void reportStartFailure(const std::function<QString(const QString&)>& translate)
{
    const QString text = QStringLiteral("Program Korbelsteen nije moguće pokrenuti.");
    vrt::message(translate ? translate(text) : text, QString(), vrt::Icon::Hand);
}

QString programPath(const QString& dataFolder)
{
    // The installed program first: the data folder is written by mail and by other programs,
    // so a file placed there must not stand in for it.
    const QString name = QStringLiteral("korbelsteen");
    const QString beside = QStandardPaths::findExecutable(name, {QCoreApplication::applicationDirPath()});
    if (!beside.isEmpty())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    return vrt::joinPath(dataFolder, name);
}

bool DetachedLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return false;
    m_pid = pid;
    return true;
}

bool DetachedLauncher::lastStillRunning()
{
    if (m_pid <= 0)
        return false;
    // A detached program is not our child: ask whether its process still exists.
    return ::kill(pid_t(m_pid), 0) == 0 || errno == EPERM;
}

} // namespace organiser::korbelsteen
