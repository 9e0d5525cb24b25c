#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <mutex>

class QWidget;

namespace vrt {

// Outside components are made by program identifier ("Tessmark.CKeysHook.1"). Components
// built into our libraries register a factory; a plugin library registers its own when its
// exported registration function runs (the equivalent of self-registration).
class ComponentRegistry {
public:
    using Factory = std::function<QObject*(QWidget* parent)>;

    static ComponentRegistry& instance();

    void registerFactory(const QString& progId, Factory factory);
    void unregister(const QString& progId);
    bool isRegistered(const QString& progId) const;
    QStringList progIds() const;

    // nullptr when nothing is registered under the identifier or the factory fails.
    QObject* create(const QString& progId, QWidget* parent = nullptr) const;

    // Loads a plugin library by file name ("libtessmark.so" or "tessmark") from the plugin
    // folders and runs its registration function. False with errorString() on failure.
    bool registerServer(const QString& libraryName);

    // Create; on failure register the server and try once more. nullptr when both fail.
    QObject* createOrRegister(const QString& progId, const QString& libraryName,
                              QWidget* parent = nullptr);

    // Folders searched for plugin libraries: $VELMORA_PLUGIN_PATH (':'-separated), then the
    // program's own folder.
    QStringList pluginFolders() const;

    QString errorString() const;

private:
    mutable std::mutex m_mutex;
    std::map<QString, Factory> m_factories;
    QString m_error;
};

} // namespace vrt

// The registration function a plugin exports.
extern "C" {
typedef int (*VrtRegisterServerFn)(vrt::ComponentRegistry* registry);
}
#define VRT_REGISTER_SERVER_SYMBOL "vrt_register_server"
