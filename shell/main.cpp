#include "data/Corvalde.h"
#include "procedures/common/VelmoraDll.h"
#include "shell/Startup.h"
#include "shell/StartupProbe.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    corvalde::load();
    VelmoraDll::load();
    shell::installStartupProbe();
    const int code = shell::VelmoraMain(shell::defaultEntries());
    VelmoraDll::unload();
    corvalde::unload();
    return code;
}
