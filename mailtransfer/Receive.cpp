#include "mailtransfer/Receive.h"

#include "mailtransfer/ReceiveWindow.h"
#include "mailtransfer/DatabaseStore.h"
#include "procedures/organiser/Korbelsteen.h"
#include "runtime/Paths.h"

#include <QLockFile>

namespace korbelsteen {

int receiveOnce(ReceiveController::Options options)
{
    // A lock left by a run that died is stale once its process is gone, and is taken over.
    QLockFile lock(organiser::korbelsteen::receiveLockPath(options.dataFolder));
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
    ReceiveController::Options options;
    options.dataFolder = dataFolder;
    options.makeStore = [] { return std::make_unique<DatabaseStore>(); };
    return receiveOnce(std::move(options));
}

} // namespace korbelsteen
