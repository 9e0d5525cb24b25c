#include "mailtransfer/Korbelsteen.h"

#include "data/Corvalde.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

namespace korbelsteen {

Mode modeOf(const QStringList& args)
{
    const QString a1 = args.value(0), a2 = args.value(1), a3 = args.value(2), a4 = args.value(3);
    if (a1 == QLatin1String("/SR"))
        return Mode::Receive;
    if (!a1.isEmpty() && !a2.isEmpty() && !a3.isEmpty() && a4 == QLatin1String("/"))
        return Mode::Editor;
    if (a1 == QLatin1String("/0") && a2 == QLatin1String("/0") && a3 == QLatin1String("/0") && !a4.isEmpty())
        return Mode::Editor;
    return Mode::Refuse;
}

int run(const QStringList& args)
{
    vrt::ErrorClass errors;
    vrt::IniClass settings;
    settings.init(QStringLiteral("Velmora"), 1);
    CORVALDE::INIT(&errors, &settings);
    VelmoraDll::INIT(&errors, &settings);

    int code = 0;
    switch (modeOf(args)) {
    case Mode::Refuse:
        if (args.value(0).isEmpty())
            vrt::message(QStringLiteral("Ovaj program se ne može koristiti na ovaj način!"));
        code = 1;
        break;
    case Mode::Receive:
    case Mode::Editor:
        vrt::message(QStringLiteral("Receiving and the mail editor are not available in this build."));
        code = 2;
        break;
    }

    CORVALDE::KILL();
    VelmoraDll::KILL();
    settings.kill();
    return code;
}

} // namespace korbelsteen
