#pragma once
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>
#include <mutex>

namespace vrt {

// The settings object programs lend to their libraries: window positions and small values
// under the user's configuration ("Velmora" organisation, native format).
class IniClass {
public:
    IniClass() = default;
    virtual ~IniClass() = default;

    // `name` is the application name of the store; store kinds other than the user store are
    // kept only for callers that pass them.
    void init(const QString& name, int storeKind = 1);
    void kill();
    bool isInitialised() const;

    QString fetch(const QString& section, const QString& key, const QString& def = {}) const;
    long long fetchInt(const QString& section, const QString& key, long long def) const;
    void update(const QString& section, const QString& key, const QVariant& value);
    // Writes pending changes out.
    void update();
    void remove(const QString& section, const QString& key);

    QString name() const { return m_name; }

private:
    mutable std::mutex m_mutex;
    QString m_name;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace vrt
