#include "extensions/Security.h"

#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

namespace HBGT {

namespace {
constexpr int kMaxPassword = 50;
constexpr int kDay = 8640000;       // hundredths of a second in a day
constexpr int kHandOverAge = 12000; // two minutes
const QString kSection = QStringLiteral("Halmbrookgate");
} // namespace

SECURITYCLASS::SECURITYCLASS()
{
    SYNC.SET_HID(HID_PREVLOGONINI, QStringLiteral("WIN.INI"));
}

SECURITYCLASS::~SECURITYCLASS() = default;

void SECURITYCLASS::SET_USERNO(int userNo, bool lock)
{
    SYNC.SET_HID(HID_USERNO, userNo, lock);
}

int SECURITYCLASS::clock()
{
    return vrt::clockNow();
}

int SECURITYCLASS::today()
{
    return vrt::today();
}

int SECURITYCLASS::GET_USERNO(bool lock)
{
    return SYNC.GET_HID(HID_USERNO, lock);
}

void SECURITYCLASS::SET_USERNAME(const QString& name, bool lock)
{
    SYNC.SET_HID(HID_USERNAME, name, lock);
}

QString SECURITYCLASS::GET_USERNAME(bool lock)
{
    return SYNC.GET_HID(HID_USERNAME, lock).trimmed();
}

bool SECURITYCLASS::CHECKACCESS(int, std::optional<bool>, const QString&, std::optional<bool>)
{
    return false;
}

void SECURITYCLASS::FREECACHE()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    CHECKACCESS_USERNO = GET_USERNO(false);
    CHECKACCESS_LEVEL = 0;
    CHECKACCESS_DOORQ.clear();
}

QString SECURITYCLASS::GETNETUSERNAME()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name).left(100);
    return qEnvironmentVariable("USER").left(100);
}

QByteArray SECURITYCLASS::ENCRYPTPASSWORD(const QByteArray& password, std::optional<int> length)
{
    int n = length ? *length : int(password.size());
    if (n > kMaxPassword) {
        vrt::message(QStringLiteral("The Travik_:Password field is too large!|The maximum is %1 characters.").arg(kMaxPassword),
                     QStringLiteral("Programmer Error!"), vrt::Icon::Information, vrt::BUTTON_OK);
        n = kMaxPassword;
    }
    n = std::max(n, 0);
    QByteArray p = password.left(kMaxPassword);
    p.append(QByteArray(kMaxPassword - p.size(), ' '));
    QByteArray key = GET_PASSWORDENCRYPT().trimmed().toLocal8Bit();
    QByteArray k;
    while (!key.isEmpty() && k.size() < n)
        k.append(key);
    k = k.left(kMaxPassword);
    k.append(QByteArray(kMaxPassword - k.size(), ' '));
    QByteArray r(n, '\0');
    for (int i = 0; i < n; ++i)
        r[i] = char(p[i] ^ k[i]);
    return r;
}

QString SECURITYCLASS::previousLogonPath()
{
    const QString name = GET_PREVLOGONINI();
    if (QDir::isAbsolutePath(name))
        return name;
    QString folder = prevLogonFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Velmora");
    return QDir(folder).filePath(name);
}

namespace {

// A number as 8 characters, obfuscated, written as the 8 byte codes in decimal.
QString encodeNumber(SECURITYCLASS& s, long long value)
{
    const QByteArray text = QByteArray::number(value).leftJustified(8, ' ', true);
    QStringList codes;
    for (char c : s.ENCRYPTPASSWORD(text, 8))
        codes << QString::number(static_cast<unsigned char>(c));
    return codes.join(QLatin1Char(','));
}

long long decodeNumber(SECURITYCLASS& s, const QString& stored)
{
    QByteArray bytes;
    for (const QString& code : stored.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = code.trimmed().toInt(&ok);
        if (!ok || v < 0 || v > 255)
            return 0;
        bytes.append(char(v));
    }
    if (bytes.size() != 8)
        return 0;
    return s.ENCRYPTPASSWORD(bytes, 8).trimmed().toLongLong();
}

} // namespace

bool SECURITYCLASS::PREPAREPREVIOUSLOGON()
{
    const QString path = previousLogonPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The hand-over lets the next program log on without asking: only this user may read
    // or write it.
    if (!QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    vrt::IniFile ini(path);
    return ini.put(kSection, QStringLiteral("D"), encodeNumber(*this, today())) &&
           ini.put(kSection, QStringLiteral("T"), encodeNumber(*this, clock())) &&
           ini.put(kSection, QStringLiteral("U"), encodeNumber(*this, GET_USERNO()));
}

int SECURITYCLASS::CHECKPREVIOUSLOGON()
{
    ST::CRITICALPROCEDURE held(&SYNC);
    const QString path = previousLogonPath();
    vrt::IniFile ini(path);
    auto take = [&](const QString& key) -> long long {
        const auto v = ini.value(kSection, key);
        if (!v)
            return 0;
        ini.remove(kSection, key);
        return decodeNumber(*this, *v);
    };
    const long long d = take(QStringLiteral("D"));
    const long long t = take(QStringLiteral("T"));
    const long long u = take(QStringLiteral("U"));
    SET_USERNO(int(u), false);
    bool accepted = d != 0 && d == today() && t > clock() - kHandOverAge && t <= clock();
    if (accepted) {
        if (u == -1)
            SET_USERNAME(TRANSLATE(QStringLiteral("HBGT::BackdoorDisplayName")), false);
        else
            accepted = u > 0 && FETCHUSER(int(u)) == 0;
    }
    if (!accepted) {
        SET_USERNO(0, false);
        SET_USERNAME(QString(), false);
    }
    return accepted ? 1 : 0;
}

bool SECURITYCLASS::activityCheckActive()
{
    return INACTIVITYPERIOD != 0 && ACTIVITYCHECKSUSPENDED.load() == 0 && (GET_USERNO() > 0 || ACTIVITYTIME.load() != 0);
}

void SECURITYCLASS::UPDATEACTIVITY()
{
    if (activityCheckActive())
        ACTIVITYTIME.store(clock());
}

void SECURITYCLASS::PREPAREACTIVITYFRAME(int& frameTimer)
{
    if (INACTIVITYPERIOD != 0 && (frameTimer < 1 || frameTimer > 6000))
        frameTimer = 6000;
    UPDATEACTIVITY();
}

bool SECURITYCLASS::TAKEACTIVITYFRAMEEVENT(bool isTimer)
{
    if (!isTimer) {
        UPDATEACTIVITY();
        return false;
    }
    const int since = ACTIVITYTIME.load();
    if (!activityCheckActive() || since == 0)
        return false;
    int elapsed = clock() - since;
    if (elapsed < 0)
        elapsed += kDay;
    return elapsed > INACTIVITYPERIOD;
}

void SECURITYCLASS::SUSPENDACTIVITYCHECK()
{
    int v = ACTIVITYCHECKSUSPENDED.load();
    while (v < 255 && !ACTIVITYCHECKSUSPENDED.compare_exchange_weak(v, v + 1)) {
    }
}

void SECURITYCLASS::RESUMEACTIVITYCHECK()
{
    int v = ACTIVITYCHECKSUSPENDED.load();
    while (v > 0 && !ACTIVITYCHECKSUSPENDED.compare_exchange_weak(v, v - 1)) {
    }
    if (ACTIVITYCHECKSUSPENDED.load() == 0)
        UPDATEACTIVITY();
}

const std::vector<std::pair<const char*, const char*>>& SECURITYCLASS::texts()
{
    static const std::vector<std::pair<const char*, const char*>> table = {
        {"Message:Title", "Security Message"},
        {"Message:AccessDenied", "Access Denied!"},
        {"Message:InsertDenied", "Access Denied!"},
        {"Message:ChangeDenied", "Access Denied!"},
        {"Message:DeleteDenied", "Access Denied!"},
        {"Message:ViewDenied", "Access Denied!"},
        {"Message:AccountLocked", "This user account is locked!|Please see your administrator."},
        {"Message:MaxFailures",
         "Your logon has failed too many times,|so your account has been locked.||Please contact your administrator."},
        {"Message:Halted", "Program Halted!"},
        {"Override:Title", "Logon Override"},
        {"Override:Question", "Enter Manager Override?"},
        {"Inactive:Message", "You have been inactive for too long!||Exiting Program..."},
        {"Inactive:Title", "Inactivity Timeout!"},
        {"DoorUsed:Message", "This door is being used for run-time security!"},
        {"DoorUsed:Title", "Warning!"},
        {"ChangePassword:Title", "Changing Password..."},
        {"ChangePassword:EnterNewPassword", "Prepare to enter new password."},
        {"ChangePassword:EnterVerification", "Prepare to enter password again for verification."},
        {"ChangePassword:Changed", "Password Changed!"},
        {"ChangePassword:NotChanged", "Password Not Changed!"},
        {"ChangePassword:Expired", "Your password has expired!|Please choose a new one now."},
        {"ChangePassword:NotUnique", "You have used that password recently!|Please choose another."},
        {"ChangePassword:TooShort1", "That password is too short!||Your password must be at least "},
        {"ChangePassword:TooShort2", " characters long."},
        {"RequestWord:Insert", "Insert"},
        {"RequestWord:Change", "Change"},
        {"RequestWord:Delete", "Delete"},
        {"RequestWord:Select", "Select"},
        {"RequestWord:View", "View"},
        {"RequestWord:Other", ""},
        {"PurgeAudit:Message", "Purging Old Audit Entries..."},
        {"BackdoorDisplayName", "[Backdoor]"},
        {"ViewRecord:ButtonText", "View"},
        {"NoRuntimeHere:Message", "Run-time security is not available for this window!"},
        {"NoRuntimeHere:Title", "Sorry..."},
    };
    return table;
}

QString SECURITYCLASS::TRANSLATE(const QString& key)
{
    if (key.startsWith(QLatin1String("HBGT::"))) {
        const QString name = key.mid(6);
        for (const auto& [k, text] : texts())
            if (name == QLatin1String(k))
                return QString::fromUtf8(text);
        vrt::message(QStringLiteral("Missing translation for Halmbrookgate message:|") + key, QStringLiteral("Error!"),
                     vrt::Icon::Information, vrt::BUTTON_OK);
    }
    return key;
}

} // namespace HBGT
