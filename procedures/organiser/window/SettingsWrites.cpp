#include "procedures/organiser/window/SettingsWrites.h"

#include "procedures/common/VelmoraDll.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "services/Quilvo.h"

#include <QLoggingCategory>

#include <mutex>
#include <set>

namespace organiser {

namespace {
Q_LOGGING_CATEGORY(lcSettings, "velmora.settings")
} // namespace

bool reportSettingsNotSaved(const vrt::IniFile& ini)
{
    static std::mutex mutex;
    static std::set<QString> said;
    const QString why = ini.errorString().isEmpty() ? ini.path() : ini.errorString();
    bool first;
    {
        std::lock_guard<std::mutex> l(mutex);
        first = said.insert(ini.path()).second;
    }
    qCWarning(lcSettings).noquote() << "settings not saved:" << why;
    if (first)
        vrt::message(VelmoraDll::translator().QVSTR(QStringLiteral("Postavke se ne mogu spremiti")) + QLatin1Char('|') + why,
                     QStringLiteral("Velmora"), vrt::Icon::Exclamation, vrt::BUTTON_OK);
    return false;
}

bool putSetting(vrt::IniFile& ini, const QString& section, const QString& key, const QString& value)
{
    return ini.put(section, key, value) || reportSettingsNotSaved(ini);
}

} // namespace organiser
