#include "procedures/common/MailTransferProtocol.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>

#include "runtime/Paths.h"

namespace mailtransfer {

QString receiveLockPath(const QString& dataFolder)
{
    return vrt::joinPath(dataFolder, QStringLiteral("Korbelsteen.receive.lock"));
}

bool receiveHolderAlive(const QString& dataFolder)
{
    const QString path = receiveLockPath(dataFolder);
    const QFileInfo file(path);
    if (!file.exists())
        return false;
    // Only read: taking the lock to test it could turn away a receive starting this moment.
    qint64 pid = 0;
    QString host, program;
    if (!QLockFile(path).getLockInfo(&pid, &host, &program)) {
        // A lock is written just after it is made; one that stays unreadable is no one's.
        return file.lastModified().secsTo(QDateTime::currentDateTime()) < 10;
    }
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    // The number may have been handed to another program since.
    QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (running.isEmpty() || program.isEmpty())
        return true;
    running = QFileInfo(running).fileName();
    running.remove(QStringLiteral(" (deleted)")); // a program replaced on disk while it runs
    return running == program;
}

} // namespace mailtransfer
