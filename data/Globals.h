#pragma once
#include <QString>
#include <atomic>
#include <cstdint>
#include <string>

#include "runtime/RequestCodes.h"

// Globals shared by the programs and libraries. Process-wide ones are written by one thread
// at a time (the database opening, the organiser window); per-thread ones are the request
// codes an update form and its caller exchange.
namespace GLO {
extern std::string OWNER;            // ODBC connection string every table opens through
extern std::atomic<int> W_FIRST;     // receiver number of the organiser window
extern std::atomic<int> EMAILADDED;  // 999999 once a receive has ended
} // namespace GLO

// The data folder: the current folder at start, canonical, case kept, no length cap.
extern std::string THISPCPATH;

namespace GC {
extern std::string DECIMAL;  // decimal separator of money values
extern std::string THOUSAND; // thousands separator of money values
} // namespace GC

namespace G {
extern std::atomic<int> QVLang; // translation language, 1..28
extern std::string QVFile;      // translation table file name
} // namespace G

// Request codes of update forms and their answers are the runtime's (vrt::Request, vrt::Response).
inline constexpr uint8_t RequestCompleted = vrt::REQUEST_COMPLETED;
inline constexpr uint8_t RequestCancelled = vrt::REQUEST_CANCELLED;

extern thread_local uint8_t GLOBALREQUEST;
extern thread_local uint8_t GLOBALRESPONSE;
extern thread_local int32_t VCRREQUEST;

namespace corvalde {
// THISPCPATH as a QString, and a path under it ("Files\\Database.db" works too).
QString dataFolder();
QString dataPath(const QString& relative);
// Sets THISPCPATH from the current folder; returns it.
QString setDataFolderFromCurrent();
} // namespace corvalde
