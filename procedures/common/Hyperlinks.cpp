#include "procedures/common/Hyperlinks.h"

#include "runtime/Text.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace VelmoraDll::links {

namespace {

const QString kOpenCommand = QStringLiteral("\\shell\\open\\command");

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.toUpper() >= QLatin1Char('A') && c.toUpper() <= QLatin1Char('F'));
}

bool followedByMailField(const QString& text, int pos)
{
    const QString rest = text.mid(pos + 1);
    for (const char* f : {"body", "subject", "cc", "bcc"})
        if (rest.startsWith(QLatin1String(f), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

Kind kindOf(const QString& text, int skypeFunction, bool notAnEmail)
{
    if (text.trimmed().isEmpty())
        return Kind::None;
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive) || text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return Kind::Web;
    if (text.contains(QLatin1Char('@')) && !notAnEmail)
        return Kind::Mail;
    if (skypeFunction >= 1 && skypeFunction <= 5)
        return Kind::Skype;
    return Kind::File;
}

QString GetHREF(const QString& text, int kind)
{
    if (text.contains(QLatin1String("<a href="), Qt::CaseInsensitive))
        return text;
    QString t = text;
    const bool mail = t.contains(QLatin1Char('@'));
    const QString scheme = mail ? QStringLiteral("mailto:") : QStringLiteral("http://");
    const bool quoted = t.startsWith(QLatin1Char('"'));
    if (!t.contains(scheme, Qt::CaseInsensitive)
        && !(!mail && t.contains(QLatin1String("https://"), Qt::CaseInsensitive)))
        t = quoted ? QStringLiteral("\"") + scheme + t.mid(1) : scheme + t;
    switch (kind) {
    case 0:
        return quoted ? QStringLiteral("<a href=") + t + QStringLiteral(">")
                      : QStringLiteral("<a href=\"") + t + QStringLiteral("\">");
    case 1:
        return QStringLiteral("\"") + t + QStringLiteral("\"");
    default:
        return t;
    }
}

QString GetQuoted(const QString& text)
{
    const int first = text.indexOf(QLatin1Char('"'));
    const int second = first < 0 ? -1 : text.indexOf(QLatin1Char('"'), first + 1);
    return second < 0 ? QString() : text.mid(first + 1, second - first - 1);
}

QString MakeEmailURLSafe(const QString& text)
{
    const QString t = vrt::clipTrailing(text);
    const int bodyAt = t.indexOf(QLatin1String("&body="), 0, Qt::CaseInsensitive);
    const int start = bodyAt < 0 ? 0 : bodyAt;
    QString out = t.left(start);
    for (int i = start; i < t.size(); ++i) {
        const QChar c = t[i];
        bool encode = c.unicode() <= 32 || c == QLatin1Char(';') || c == QLatin1Char('<') || c == QLatin1Char('>');
        if (c == QLatin1Char('%'))
            encode = !(i + 2 < t.size() && isHexDigit(t[i + 1]) && isHexDigit(t[i + 2]));
        if ((c == QLatin1Char('&') || c == QLatin1Char('?')) && !followedByMailField(t, i))
            encode = true;
        if (encode)
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    if (out.size() >= 2 && out.startsWith(QLatin1Char('"')) && out.endsWith(QLatin1Char('"')))
        out = out.mid(1, out.size() - 2);
    return out;
}

QString skypeLink(const QString& name, int function)
{
    static const char* const suffix[] = {"?call", "?chat", "?add", "?voicemail", "?userinfo"};
    if (function < 1 || function > 5)
        return name;
    return QStringLiteral("skype:") + name + QLatin1String(suffix[function - 1]);
}

QString mailCommand(const QString& text, int limit, int handlerLength)
{
    QString command = vrt::clipTrailing(text);
    if (!command.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
        command.prepend(QStringLiteral("mailto:"));
    if (limit > 0 && limit < command.size() + handlerLength)
        command.truncate(std::max(0, limit - handlerLength));
    return command;
}

ShellError shellError(int code, const QString& command)
{
    const char* text = nullptr;
    switch (code) {
    case 0: text = "The Operating system is out of memory/resources. File:|"; break;
    case 2: text = "The specified file was not found. File:|"; break;
    case 3: text = "The specified path was not found. File:|"; break;
    case 5: text = "The operating system denied access to the specified file. File:|"; break;
    case 8: text = "There was not enough memory to complete the operation. File:|"; break;
    case 11: text = "The .exe file is invalid (non-Win32\u00AE .exe or error in .exe image). File:|"; break;
    case 26: text = "A sharing violation occurred. File:|"; break;
    case 27: text = "The file name association is incomplete or invalid. File:|"; break;
    case 28: text = "The DDE transaction could not be completed because the request timed out. File:|"; break;
    case 29: text = "The DDE transaction failed. File:|"; break;
    case 30: text = "The DDE transaction could not be completed because other DDE transactions were being processed. File:|"; break;
    case 31: text = "There is no application associated with the given file name extension. File:|"; break;
    case 32: text = "The specified dynamic-link library was not found. File:|"; break;
    default: text = "Unknown ShellExecute Error occured. File:|"; break;
    }
    QString body = QString::fromUtf8(text);
    body.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return {QStringLiteral("(%1) ").arg(code) + body + command, QStringLiteral("Shell Execute Error:%1").arg(code)};
}

QString findFileHandler(HandlerLookup& lookup, const QString& text, const std::function<void(const QString&)>& trace)
{
    const int dot = text.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot < 0 ? text : text.mid(dot + 1);
    const auto attempt = [&](const QString& label, const QString& key) {
        const QString value = lookup.read(key);
        if (trace)
            trace(QStringLiteral("Tried(") + label + QStringLiteral("): ") + key + QStringLiteral("\r\nReturned:") + value);
        return value;
    };
    QString found = attempt(QStringLiteral("1"), ext + QStringLiteral("file") + kOpenCommand);
    if (found.isEmpty())
        found = attempt(QStringLiteral("2"), ext + QStringLiteral("_auto_file") + kOpenCommand);
    if (found.isEmpty()) {
        const QString type = lookup.read(QLatin1Char('.') + ext);
        if (!type.isEmpty())
            found = attempt(QStringLiteral("3+"), type + kOpenCommand);
    }
    return found;
}

namespace {

// xdg-mime answers with the desktop file of the default program; link types known by the
// old association names map onto URL schemes and MIME types.
class DesktopLookup : public HandlerLookup {
public:
    QString read(const QString& key) override
    {
        if (key.startsWith(QLatin1Char('.'))) {
            const QMimeType t = QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + key, QMimeDatabase::MatchExtension);
            return t.isDefault() ? QString() : t.name();
        }
        if (!key.endsWith(kOpenCommand, Qt::CaseInsensitive))
            return {};
        const QString name = key.left(key.size() - kOpenCommand.size());
        for (const char* scheme : {"mailto", "callto", "skype", "http", "https"})
            if (name.compare(QLatin1String(scheme), Qt::CaseInsensitive) == 0)
                return queryDefault(QStringLiteral("x-scheme-handler/") + name.toLower());
        if (name.contains(QLatin1Char('/')))
            return queryDefault(name);
        return {}; // "<ext>file" names exist only in the old association store
    }

private:
    static QString queryDefault(const QString& mimeType)
    {
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdgMime.isEmpty())
            return {};
        QProcess p;
        p.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (!p.waitForFinished(5000) || p.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }
};

class DetachedOpener : public LinkOpener {
public:
    bool start(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

} // namespace

std::unique_ptr<HandlerLookup> makeDesktopLookup() { return std::make_unique<DesktopLookup>(); }
std::unique_ptr<LinkOpener> makeDetachedOpener() { return std::make_unique<DetachedOpener>(); }

} // namespace VelmoraDll::links
