#include "mailtransfer/Korbelsteen.h"

#include "data/Corvalde.h"
#include "data/Globals.h"
#include "mailtransfer/EmailWindow.h"
#include "mailtransfer/Receive.h"
#include "procedures/common/MailTransferProtocol.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/common/OpenFiles.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"
#include "runtime/PrivateFiles.h"
#include "services/Quilvo.h"

namespace korbelsteen {

QStringList splitCommandLine(const QString& line)
{
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (QChar c : line) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any)
                args << current;
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        args << current;
    return args;
}

Mode modeOf(const QStringList& args)
{
    const QString a1 = args.value(0), a2 = args.value(1), a3 = args.value(2), a4 = args.value(3);
    const QString slash = QStringLiteral("/"), zero = QStringLiteral("/0");
    if (args.contains(mailtransfer::receiveSwitch()))
        return Mode::Receive;
    if (!a1.isEmpty() && !a2.isEmpty() && !a3.isEmpty() && a4 == slash)
        return Mode::Editor;
    if (a1 == zero && a2 == slash + mailtransfer::modeArgument(mailtransfer::NewToAddress) && a3 == zero && !a4.isEmpty())
        return Mode::Editor;
    if (a1.isEmpty())
        return Mode::Refuse;
    return Mode::Nothing;
}

int dispatch(const QStringList& args, Jobs& jobs)
{
    switch (modeOf(args)) {
    case Mode::Receive:
        return jobs.receive();
    case Mode::Editor:
        return jobs.editor(args.mid(0, 4));
    case Mode::Refuse:
        vrt::message(corvalde::translator().QVSTR(QStringLiteral("Ovaj program se ne može koristiti na ovaj način!")),
                     QString(), vrt::Icon::Hand, vrt::BUTTON_OK);
        return 1;
    case Mode::Nothing:
        break;
    }
    return 0;
}

namespace {

void shutDown(vrt::IniClass& settings)
{
    settings.update();
    CORVALDE::KILL();
    VelmoraDll::KILL();
    settings.kill();
}

} // namespace

int run(const QStringList& args)
{
    vrt::ErrorClass errors;
    vrt::IniClass settings;
    settings.init(QStringLiteral("Velmora"), 1);
    CORVALDE::INIT(&errors, &settings);
    VelmoraDll::INIT(&errors, &settings);

    // The tables are opened (and made when missing) whatever the job, as the organiser does.
    const QString dataFolder = corvalde::setDataFolderFromCurrent();
    if (W_First::OpenFilez() != 0) {
        // It has said why; no job runs on data that cannot be used.
        shutDown(settings);
        return DataRefused;
    }
    vrt::makeDataFolderPrivate(dataFolder);

    // The jobs on the data folder's database.
    struct FolderJobs : Jobs {
        explicit FolderJobs(QString folder) : dataFolder(std::move(folder)) {}
        int receive() override { return receiveIntoDatabase(dataFolder); }
        int editor(const QStringList& four) override { return runEditor(four, dataFolder); }
        QString dataFolder;
    } jobs(dataFolder);
    const int code = dispatch(args, jobs);
    shutDown(settings);
    return code;
}

} // namespace korbelsteen
