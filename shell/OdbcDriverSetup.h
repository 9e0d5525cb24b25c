#pragma once
#include <QString>
#include <functional>

namespace vrt { class IniFile; }

// The first start makes sure the ODBC driver the connection string names exists.
namespace shell {

inline constexpr const char* kOdbcDriverName = "SQLite3 ODBC Driver";

class DriverInstaller {
public:
    virtual ~DriverInstaller() = default;
    virtual bool isRegistered() = 0;
    // Registers the driver section; false with a reason.
    virtual bool install(QString* why) = 0;
    // Opens a connection through the driver to a database file; false with a reason.
    virtual bool probe(const QString& databaseFile, QString* why) = 0;
};

// Registers the SQLite ODBC driver library in the ODBC configuration the process uses
// (ODBCSYSINI when set).
class OdbcDriverInstaller : public DriverInstaller {
public:
    bool isRegistered() override;
    bool install(QString* why) override;
    bool probe(const QString& databaseFile, QString* why) override;
    // The installed SQLite3 ODBC driver library; empty when the package is missing.
    static QString driverLibrary();
};

// Runs once per data folder: when the data folder's settings do not record the driver as
// installed, registers it when it is missing, proves it with a connection, and only then
// records it. A failure is shown (through `report`) and tried again at the next start.
bool installDriverOnce(vrt::IniFile& settings, DriverInstaller& installer,
                       const std::function<void(const QString&)>& report);

} // namespace shell
