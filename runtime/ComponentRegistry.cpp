#include "runtime/ComponentRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace vrt {

ComponentRegistry& ComponentRegistry::instance()
{
    static ComponentRegistry registry;
    return registry;
}

void ComponentRegistry::registerFactory(const QString& progId, Factory factory)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_factories[progId.toLower()] = std::move(factory);
}

void ComponentRegistry::unregister(const QString& progId)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_factories.erase(progId.toLower());
}

bool ComponentRegistry::isRegistered(const QString& progId) const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_factories.count(progId.toLower()) > 0;
}

QStringList ComponentRegistry::progIds() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    QStringList out;
    for (const auto& [id, f] : m_factories)
        out << id;
    return out;
}

QObject* ComponentRegistry::create(const QString& progId, QWidget* parent) const
{
    Factory f;
    {
        std::lock_guard<std::mutex> l(m_mutex);
        auto it = m_factories.find(progId.toLower());
        if (it == m_factories.end())
            return nullptr;
        f = it->second;
    }
    return f ? f(parent) : nullptr;
}

QStringList ComponentRegistry::pluginFolders() const
{
    QStringList out;
    const QString env = qEnvironmentVariable("VELMORA_PLUGIN_PATH");
    for (const QString& p : env.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        out << p;
    if (QCoreApplication::instance())
        out << QCoreApplication::applicationDirPath();
    return out;
}

bool ComponentRegistry::registerServer(const QString& libraryName)
{
    QStringList candidates;
    QString base = libraryName;
    if (!base.startsWith(QLatin1String("lib")))
        base = QStringLiteral("lib") + base;
    if (!base.endsWith(QLatin1String(".so")))
        base += QStringLiteral(".so");
    for (const QString& folder : pluginFolders())
        candidates << folder + QLatin1Char('/') + base;
    for (const QString& file : candidates) {
        if (!QFileInfo::exists(file))
            continue;
        QLibrary lib(file);
        auto fn = reinterpret_cast<VrtRegisterServerFn>(lib.resolve(VRT_REGISTER_SERVER_SYMBOL));
        if (!fn) {
            std::lock_guard<std::mutex> l(m_mutex);
            m_error = lib.errorString();
            continue;
        }
        // The library stays loaded: its factories live in it.
        if (fn(this) == 0)
            return true;
        std::lock_guard<std::mutex> l(m_mutex);
        m_error = QStringLiteral("Registration of %1 failed").arg(file);
        return false;
    }
    std::lock_guard<std::mutex> l(m_mutex);
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1 was not found").arg(base);
    return false;
}

QObject* ComponentRegistry::createOrRegister(const QString& progId, const QString& libraryName,
                                             QWidget* parent)
{
    if (QObject* o = create(progId, parent))
        return o;
    if (!registerServer(libraryName))
        return nullptr;
    return create(progId, parent);
}

QString ComponentRegistry::errorString() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_error;
}

} // namespace vrt
