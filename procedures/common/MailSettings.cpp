#include "procedures/common/MailSettings.h"

#include <QDir>

#include "controls/MailManager.h"
#include "runtime/IniFile.h"

namespace mailpeople {

namespace {
const QString kEmail = QStringLiteral("Email");
const QString kCheck = QStringLiteral("Check");
const QString kFont = QStringLiteral("Font");
} // namespace

QString standardIni(const QString& dataFolder) { return QDir(dataFolder).filePath(QStringLiteral("Standard.ini")); }

const QStringList& charsetNames()
{
    static const QStringList names = QStringLiteral(
        "us-ascii unicode unicodefffe iso-8859-1 iso-8859-2 iso-8859-3 iso-8859-4 iso-8859-5 iso-8859-6 "
        "iso-8859-7 iso-8859-8 iso-8859-9 iso-8859-13 iso-8859-15 windows-874 windows-1250 windows-1251 "
        "windows-1252 windows-1253 windows-1254 windows-1255 windows-1256 windows-1257 windows-1258 utf-7 utf-8 "
        "utf-32 utf-32be shift_jis gb2312 ks_c_5601-1987 big5 iso-2022-jp iso-2022-kr euc-jp euc-kr macintosh "
        "x-mac-japanese x-mac-chinesetrad x-mac-korean x-mac-arabic x-mac-hebrew x-mac-greek x-mac-cyrillic "
        "x-mac-chinesesimp x-mac-romanian x-mac-ukrainian x-mac-thai x-mac-ce x-mac-icelandic x-mac-turkish "
        "x-mac-croatian asmo-708 dos-720 dos-862 ibm037 ibm437 ibm500 ibm737 ibm775 ibm850 ibm852 ibm855 ibm857 "
        "ibm00858 ibm860 ibm861 ibm863 ibm864 ibm865 cp866 ibm869 ibm870 cp875 koi8-r koi8-u")
                                          .split(QLatin1Char(' '));
    return names;
}

std::optional<long long> storedCheck(const QString& dataFolder)
{
    vrt::IniFile ini(standardIni(dataFolder));
    const auto text = ini.value(kEmail, kCheck);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const long long v = text->trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

int mailCheckHundredths(const QString& dataFolder)
{
    const auto v = storedCheck(dataFolder);
    if (!v || *v <= 0 || *v > 60LL * kHundredthsPerMinute)
        return kDefaultCheckHundredths;
    return int(*v);
}

QString outgoingCharset(const QString& dataFolder)
{
    const QString stored = vrt::IniFile(standardIni(dataFolder)).get(kFont, kEmail).trimmed();
    return stored.isEmpty() ? QStringLiteral("utf-8") : stored;
}

TransferLimits transferLimits(const QString& dataFolder)
{
    vrt::IniFile ini(standardIni(dataFolder));
    const auto number = [&](const char* key, long long low, long long high, long long fallback) {
        bool ok = false;
        const long long v = ini.get(kEmail, QLatin1String(key)).trimmed().toLongLong(&ok);
        return ok && v >= low && v <= high ? v : fallback;
    };
    TransferLimits limits;
    limits.stallSeconds = int(number("Stall", 1, 3600, limits.stallSeconds));
    limits.maxMessageBytes = number("MaxMessageKB", 1, 4LL << 20, limits.maxMessageBytes >> 10) << 10;
    limits.maxLineBytes = number("MaxLineKB", 1, 4LL << 20, limits.maxLineBytes >> 10) << 10;
    return limits;
}

void applyTransferLimits(controls::MailManager& mail, const QString& dataFolder)
{
    const TransferLimits limits = transferLimits(dataFolder);
    mail.StallSeconds = limits.stallSeconds;
    mail.MaxMessageBytes = limits.maxMessageBytes;
    mail.MaxLineBytes = limits.maxLineBytes;
}

int clampAcceptedMinutes(int minutes) { return minutes <= 0 ? 1 : minutes > 60 ? 60 : minutes; }

int minutesOnClose(int minutes) { return minutes == 0 ? 2 : minutes; }

bool storeMailSettings(const QString& dataFolder, const QString& charset, int minutes)
{
    vrt::IniFile ini(standardIni(dataFolder));
    const bool a = ini.put(kFont, kEmail, charset);
    const bool b = ini.put(kEmail, kCheck, QString::number(qint64(minutesOnClose(minutes)) * kHundredthsPerMinute));
    return a && b;
}

} // namespace mailpeople
