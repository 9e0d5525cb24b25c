#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace vrt {

// A settings file with the semantics of Windows private-profile files: sections and keys
// match case-insensitively, keys keep the spelling they were written with, every read sees
// the file as it is now (another process may have changed it), and a write changes one line
// and keeps the rest. Writes happen under a lock file and are swapped in atomically, so two
// processes writing different keys lose nothing.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    std::optional<QString> value(const QString& section, const QString& key) const;
    QString get(const QString& section, const QString& key, const QString& def = {}) const;
    // Reads like GetPrivateProfileInt: leading digits (with sign) count, otherwise `def`.
    long long getInt(const QString& section, const QString& key, long long def) const;

    // False (with errorString()) when the file could not be written; nothing is half-written.
    // Refused: a line break anywhere, "]" in the section, "=" in the key (or "[" or ";" first),
    // and any write to a file that exists but cannot be read.
    bool put(const QString& section, const QString& key, const QString& value);
    bool remove(const QString& section, const QString& key);

    QStringList sections() const;
    QStringList keys(const QString& section) const;

    QString errorString() const { return m_error; }

private:
    QString m_path;
    mutable QString m_error;
};

} // namespace vrt
