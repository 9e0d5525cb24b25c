#include "mailtransfer/Receive.h"

#include "mailtransfer/ReceiveWindow.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"

#include <QLockFile>

namespace korbelsteen {

int receiveOnce(ReceiveController::Options options)
{
    // A lock left by a run that died is stale once its process is gone, and is taken over.
    QLockFile lock(vrt::joinPath(options.dataFolder, QStringLiteral("Korbelsteen.receive.lock")));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return 0;
    ReceiveController controller(std::move(options));
    ReceiveWindow window(controller);
    controller.exec();
    return 0;
}

} // namespace korbelsteen

namespace korbelsteen {

int receiveIntoDatabase(const QString& dataFolder)
{
    (void)dataFolder;
    vrt::message(QStringLiteral("Receiving into the database is not part of this build."));
    return 2;
}

} // namespace korbelsteen
