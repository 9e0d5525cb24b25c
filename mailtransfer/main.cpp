#include "data/Corvalde.h"
#include "mailtransfer/Korbelsteen.h"
#include "procedures/common/VelmoraDll.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Korbelsteen"));
    corvalde::load();
    VelmoraDll::load();
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const int code = korbelsteen::run(args);
    VelmoraDll::unload();
    corvalde::unload();
    return code;
}
