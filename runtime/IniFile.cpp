#include "runtime/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <functional>

namespace vrt {
namespace {

struct Lines {
    QStringList lines;
    QString eol = QStringLiteral("\r\n");
};

// `readable` is false when the file exists but cannot be read: it is not the same as empty.
Lines readLines(const QString& path, bool* readable = nullptr)
{
    Lines out;
    QFile f(path);
    if (readable)
        *readable = true;
    if (!f.open(QIODevice::ReadOnly)) {
        if (readable)
            *readable = !f.exists();
        return out;
    }
    const QByteArray bytes = f.readAll();
    if (readable && f.error() != QFileDevice::NoError)
        *readable = false;
    QString text;
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        // Files written by older tools use the Central European code page.
        if (utf8.hasError()) {
            QStringDecoder cp1250("windows-1250");
            if (cp1250.isValid())
                text = cp1250.decode(bytes);
        }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (!text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n')))
        out.eol = QStringLiteral("\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.lines = text.split(QLatin1Char('\n'));
    if (!out.lines.isEmpty() && out.lines.last().isEmpty())
        out.lines.removeLast();
    return out;
}

bool isSectionLine(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool splitKeyLine(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    if (key)
        *key = t.left(eq).trimmed();
    if (value) {
        QString v = t.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index range [begin, end) of the section's body lines, begin = -1 when absent.
std::pair<int, int> findSection(const QStringList& lines, const QString& section)
{
    int begin = -1;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionLine(lines[i], &name)) {
            if (begin >= 0)
                return {begin, i};
            if (same(name, section))
                begin = i + 1;
        }
    }
    return {begin, int(lines.size())};
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const Lines l = readLines(m_path);
    auto [b, e] = findSection(l.lines, section);
    if (b < 0)
        return std::nullopt;
    for (int i = b; i < e; ++i) {
        QString k, v;
        if (splitKeyLine(l.lines[i], &k, &v) && same(k, key))
            return v;
    }
    return std::nullopt;
}

QString IniFile::get(const QString& section, const QString& key, const QString& def) const
{
    return value(section, key).value_or(def);
}

long long IniFile::getInt(const QString& section, const QString& key, long long def) const
{
    const auto v = value(section, key);
    if (!v)
        return def;
    const QString t = v->trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    const int digitsStart = i;
    while (i < t.size() && t[i].isDigit())
        ++i;
    if (i == digitsStart)
        return def;
    bool ok = false;
    const long long n = t.left(i).toLongLong(&ok);
    return ok ? n : def;
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const QString& line : readLines(m_path).lines) {
        QString name;
        if (isSectionLine(line, &name))
            out << name;
    }
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    const Lines l = readLines(m_path);
    auto [b, e] = findSection(l.lines, section);
    for (int i = b < 0 ? e : b; i < e; ++i) {
        QString k;
        if (splitKeyLine(l.lines[i], &k, nullptr))
            out << k;
    }
    return out;
}

namespace {

bool rewrite(const QString& path, QString* error,
             const std::function<bool(Lines&)>& change)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(10000)) {
        *error = QStringLiteral("Cannot lock %1").arg(path);
        return false;
    }
    bool readable = true;
    Lines l = readLines(path, &readable);
    if (!readable) {
        // Writing now would replace every other setting with this one key.
        *error = QStringLiteral("Cannot read %1").arg(path);
        return false;
    }
    if (!change(l))
        return true; // nothing to change
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    QString text = l.lines.join(l.eol);
    if (!l.lines.isEmpty())
        text += l.eol;
    out.write(text.toUtf8());
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// What the line-based file would read back differently: a line break starts a line of its
// own (a new section or key), "]" ends a section name, "=" ends a key, and a key starting
// with "[" or ";" reads as a section or a comment.
QString unwritable(const QString& section, const QString& key, const QString& value)
{
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return QStringLiteral("a line break");
    if (section.contains(QLatin1Char(']')))
        return QStringLiteral("']' in the section name");
    const QString k = key.trimmed();
    if (k.isEmpty())
        return QStringLiteral("an empty key");
    if (k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) || k.startsWith(QLatin1Char(';')))
        return QStringLiteral("'=', or '[' or ';' first, in the key");
    return {};
}

// Whether the key's line already reads key=value, so that writing it would change nothing.
bool holds(const Lines& l, const QString& section, const QString& key, const QString& value)
{
    auto [b, e] = findSection(l.lines, section);
    for (int i = b < 0 ? e : b; i < e; ++i) {
        QString k;
        if (splitKeyLine(l.lines[i], &k, nullptr) && same(k, key))
            return l.lines[i] == k + QLatin1Char('=') + value;
    }
    return false;
}

} // namespace

bool IniFile::put(const QString& section, const QString& key, const QString& value)
{
    m_error.clear();
    if (const QString why = unwritable(section, key, value); !why.isEmpty()) {
        m_error = QStringLiteral("Not written to %1: [%2] %3 holds %4").arg(m_path, section, key, why);
        return false;
    }
    // A value written again as it stands costs no lock and no sync (a start writes several).
    bool readable = true;
    if (holds(readLines(m_path, &readable), section, key, value) && readable)
        return true;
    return rewrite(m_path, &m_error, [&](Lines& l) {
        if (holds(l, section, key, value))
            return false;
        auto [b, e] = findSection(l.lines, section);
        const QString line = key + QLatin1Char('=') + value;
        if (b < 0) {
            if (!l.lines.isEmpty() && !l.lines.last().trimmed().isEmpty())
                l.lines << QString();
            l.lines << QLatin1Char('[') + section + QLatin1Char(']') << line;
            return true;
        }
        int lastContent = b - 1;
        for (int i = b; i < e; ++i) {
            QString k;
            if (splitKeyLine(l.lines[i], &k, nullptr) && same(k, key)) {
                // Keep the key as it was first written.
                l.lines[i] = k + QLatin1Char('=') + value;
                return true;
            }
            if (!l.lines[i].trimmed().isEmpty())
                lastContent = i;
        }
        l.lines.insert(lastContent + 1, line);
        return true;
    });
}

bool IniFile::remove(const QString& section, const QString& key)
{
    m_error.clear();
    return rewrite(m_path, &m_error, [&](Lines& l) {
        auto [b, e] = findSection(l.lines, section);
        for (int i = b < 0 ? e : b; i < e; ++i) {
            QString k;
            if (splitKeyLine(l.lines[i], &k, nullptr) && same(k, key)) {
                l.lines.removeAt(i);
                return true;
            }
        }
        return false;
    });
}

} // namespace vrt
