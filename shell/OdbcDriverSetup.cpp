#include "shell/OdbcDriverSetup.h"

#include "runtime/IniFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>

namespace shell {
namespace {

QString installerError()
{
    DWORD code = 0;
    char text[512] = {};
    WORD length = 0;
    if (SQLInstallerError(1, &code, text, sizeof text, &length) == SQL_SUCCESS ||
        text[0] != 0)
        return QString::fromLocal8Bit(text);
    return QStringLiteral("ODBC installer error");
}

QString diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[6] = {};
    SQLCHAR text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
        return QStringLiteral("%1 %2").arg(QString::fromLatin1(reinterpret_cast<char*>(state)),
                                           QString::fromLocal8Bit(reinterpret_cast<char*>(text)));
    return QStringLiteral("ODBC error");
}

// One ODBC environment for the probe and the driver list.
struct Environment {
    SQLHENV env = SQL_NULL_HENV;
    Environment()
    {
        if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~Environment()
    {
        if (env != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

} // namespace

QString OdbcDriverInstaller::driverLibrary()
{
    const char* candidates[] = {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                                "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                                "/usr/lib/odbc/libsqlite3odbc.so"};
    for (const char* c : candidates)
        if (QFile::exists(QString::fromLatin1(c)))
            return QString::fromLatin1(c);
    return {};
}

bool OdbcDriverInstaller::isRegistered()
{
    Environment e;
    if (e.env == SQL_NULL_HENV)
        return false;
    SQLCHAR name[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(e.env, direction, name, sizeof name, &nameLength, attributes,
                                    sizeof attributes, &attributesLength))) {
        if (qstrcmp(reinterpret_cast<char*>(name), kOdbcDriverName) == 0)
            return true;
        direction = SQL_FETCH_NEXT;
    }
    return false;
}

bool OdbcDriverInstaller::install(QString* why)
{
    const QString library = driverLibrary();
    if (library.isEmpty()) {
        if (why)
            *why = QStringLiteral("libsqlite3odbc.so (libsqliteodbc) is not installed");
        return false;
    }
    // Name, then keyword=value pairs, each ended by a null, the list by a second null.
    QByteArray section;
    for (const QString& part : {QString::fromLatin1(kOdbcDriverName),
                                QStringLiteral("Description=%1").arg(QString::fromLatin1(kOdbcDriverName)),
                                QStringLiteral("Driver=%1").arg(library),
                                QStringLiteral("Setup=%1").arg(library)}) {
        section += part.toLocal8Bit();
        section += '\0';
    }
    section += '\0';
    char pathOut[512] = {};
    WORD pathOutLength = 0;
    DWORD usage = 0;
    if (!SQLInstallDriverEx(section.constData(), nullptr, pathOut, sizeof pathOut, &pathOutLength,
                            ODBC_INSTALL_COMPLETE, &usage)) {
        if (why)
            *why = installerError();
        return false;
    }
    return true;
}

bool OdbcDriverInstaller::probe(const QString& databaseFile, QString* why)
{
    Environment e;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (e.env == SQL_NULL_HENV || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, e.env, &dbc))) {
        if (why)
            *why = QStringLiteral("ODBC driver manager unavailable");
        return false;
    }
    const QByteArray in = QStringLiteral("Driver=%1;Database=%2")
                              .arg(QString::fromLatin1(kOdbcDriverName), databaseFile)
                              .toUtf8();
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR*)in.constData(), SQL_NTS, out, sizeof out,
                                          &outLength, SQL_DRIVER_NOPROMPT);
    const bool ok = SQL_SUCCEEDED(rc);
    if (ok)
        SQLDisconnect(dbc);
    else if (why)
        *why = diagnostic(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    return ok;
}

bool installDriverOnce(vrt::IniFile& settings, DriverInstaller& installer,
                       const std::function<void(const QString&)>& report)
{
    const QString section = QStringLiteral("Install");
    const QString key = QStringLiteral("SqlLite");
    if (settings.getInt(section, key, 0) != 0)
        return true;
    QString why;
    bool ok = installer.isRegistered() || installer.install(&why);
    if (ok) {
        QTemporaryDir folder;
        ok = folder.isValid() && installer.probe(folder.filePath(QStringLiteral("probe.db")), &why);
    }
    if (ok && !settings.put(section, key, QStringLiteral("1"))) {
        ok = false;
        why = settings.errorString();
    }
    if (!ok && report)
        report(QStringLiteral("%1 : %2").arg(QString::fromLatin1(kOdbcDriverName), why));
    return ok;
}

} // namespace shell
