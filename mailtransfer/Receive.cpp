#include "mailtransfer/Receive.h"

#include "mailtransfer/ReceiveWindow.h"
#include "mailtransfer/DatabaseStore.h"
#include "procedures/common/MailTransferProtocol.h"
#include "runtime/Paths.h"
#include "chrome/WindowPainter.h"

#include <QLockFile>

namespace korbelsteen {

int receiveOnce(ReceiveController::Options options)
{
    // A lock left by a run that died is stale once its process is gone, and is taken over.
    const QString path = mailtransfer::receiveLockPath(options.dataFolder);
    QLockFile lock(path);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        // A lock file that cannot be read (cut short as its writer died) is no one's, by the
        // same rule the organiser uses to clear the flag; left alone it would turn away every
        // receive. It is judged and removed under the guard QLockFile itself uses for this,
        // so two receives starting together cannot both take it.
        QLockFile guard(path + QStringLiteral(".rmlock"));
        if (lock.error() != QLockFile::LockFailedError || !guard.tryLock(0)
            || mailtransfer::receiveHolderAlive(options.dataFolder) || !lock.removeStaleLockFile()
            || !lock.tryLock(0))
            return 0;
    }
    ReceiveController controller(std::move(options));
    ReceiveWindow window(controller);
    pxp::themeMailWindow(&window);
    controller.exec();
    return 0;
}

} // namespace korbelsteen

namespace korbelsteen {

int receiveIntoDatabase(const QString& dataFolder)
{
    ReceiveController::Options options;
    options.dataFolder = dataFolder;
    options.makeStore = [] { return std::make_unique<DatabaseStore>(); };
    return receiveOnce(std::move(options));
}

} // namespace korbelsteen
