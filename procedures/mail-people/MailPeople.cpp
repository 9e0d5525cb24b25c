#include "procedures/mail-people/MailPeople.h"

#include "data/Globals.h"
#include "procedures/common/VelmoraDll.h"
#include "services/Quilvo.h"

namespace mailpeople {

QString tx(const QString& text) { return VelmoraDll::translator().QVSTR(text); }

QString failure(const QString& where, int code, const QString& text)
{
    return where + QString::number(code) + QStringLiteral(" : ") + text;
}

QString dataFolder() { return corvalde::dataFolder(); }

} // namespace mailpeople
