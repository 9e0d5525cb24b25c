#include "protocols/MailNames.h"

#include "runtime/Paths.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace controls {

QString storedMessageId(int accountId, const QString& uidl)
{
    return QString::number(accountId) + QLatin1Char('_') + uidl;
}

QString uidlOfStoredId(const QString& messageId)
{
    const qsizetype cut = messageId.indexOf(QLatin1Char('_'));
    if (cut <= 0)
        return messageId;
    for (qsizetype i = 0; i < cut; ++i)
        if (!messageId.at(i).isDigit())
            return messageId;
    return messageId.mid(cut + 1);
}

QString bodyFileName(const QString& messageId)
{
    const QByteArray utf8 = messageId.toUtf8();
    QString out;
    out.reserve(utf8.size() + 5);
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8.at(i));
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                           || c == '-' || c == '_' || (c == '.' && i > 0);
        if (plain)
            out.append(QLatin1Char(char(c)));
        else
            out.append(QStringLiteral("%%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper());
    }
    // NAME_MAX is 255 bytes; hashed names carry a prefix no encoded name can have.
    if (out.isEmpty() || out.size() > 200)
        out = QStringLiteral("~")
              + QString::fromLatin1(QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex());
    return out + QStringLiteral(".html");
}

QString bodyFilePath(const QString& dataFolder, const QString& messageId)
{
    return vrt::joinPath(vrt::joinPath(dataFolder, QStringLiteral("Email")), bodyFileName(messageId));
}

QString storedPartPrefix(qint64 emailId) { return QString::number(emailId) + QLatin1Char('_'); }

QString storedPartName(qint64 emailId, const QString& partName) { return storedPartPrefix(emailId) + partName; }

QString attachmentFile(const QString& filesFolder, qint64 emailId, const QString& storedName)
{
    // A name column holds a base name; anything else names no file of ours.
    if (storedName.isEmpty() || storedName.contains(QLatin1Char('/')) || storedName.contains(QLatin1Char('\\'))
        || storedName == QLatin1String("..") || storedName == QLatin1String("."))
        return {};
    const QString path = vrt::joinPath(filesFolder, storedPartName(emailId, storedName));
    const QString older = vrt::joinPath(filesFolder, storedName);
    if (!QFileInfo::exists(path) && storedName.startsWith(storedPartPrefix(emailId)) && QFileInfo::exists(older))
        return older;
    return path;
}

QString safeAttachmentName(const QString& name, const QString& fallback, int maxChars)
{
    QString base = name;
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    base = base.mid(base.lastIndexOf(QLatin1Char('/')) + 1);
    base = vrt::safeFileName(base, QString());
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    if (base.isEmpty())
        return fallback;
    if (base.size() > maxChars) {
        const QString ext = QFileInfo(base).suffix().left(16);
        const int keep = maxChars - int(ext.size()) - (ext.isEmpty() ? 0 : 1);
        base = base.left(keep) + (ext.isEmpty() ? QString() : QLatin1Char('.') + ext);
    }
    return base;
}

} // namespace controls
