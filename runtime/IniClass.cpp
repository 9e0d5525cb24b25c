#include "runtime/IniClass.h"

namespace vrt {

void IniClass::init(const QString& name, int)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_name = name;
    m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Velmora"), name);
}

void IniClass::kill()
{
    std::lock_guard<std::mutex> l(m_mutex);
    if (m_settings)
        m_settings->sync();
    m_settings.reset();
}

bool IniClass::isInitialised() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_settings != nullptr;
}

static QString keyOf(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

QString IniClass::fetch(const QString& section, const QString& key, const QString& def) const
{
    std::lock_guard<std::mutex> l(m_mutex);
    if (!m_settings)
        return def;
    return m_settings->value(keyOf(section, key), def).toString();
}

long long IniClass::fetchInt(const QString& section, const QString& key, long long def) const
{
    bool ok = false;
    const long long v = fetch(section, key).toLongLong(&ok);
    return ok ? v : def;
}

void IniClass::update(const QString& section, const QString& key, const QVariant& value)
{
    std::lock_guard<std::mutex> l(m_mutex);
    if (m_settings)
        m_settings->setValue(keyOf(section, key), value);
}

void IniClass::update()
{
    std::lock_guard<std::mutex> l(m_mutex);
    if (m_settings)
        m_settings->sync();
}

void IniClass::remove(const QString& section, const QString& key)
{
    std::lock_guard<std::mutex> l(m_mutex);
    if (m_settings)
        m_settings->remove(keyOf(section, key));
}

} // namespace vrt
