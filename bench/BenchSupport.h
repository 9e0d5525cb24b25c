#pragma once
// What the benchmarks share: the ODBC driver in a private configuration and a reporter that
// keeps each run's time for the ratios printed at the end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Keeps each run's time per iteration so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            times[r.benchmark_name().substr(0, r.benchmark_name().find("/iterations"))] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

// The driver is registered in a private ODBC configuration, as the test runs do, so the
// benchmark runs on a machine where only the package's own name is registered.
inline bool registerDriver(const std::filesystem::path& dir)
{
    for (const char* so : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                           "/usr/lib/odbc/libsqlite3odbc.so"}) {
        if (!std::filesystem::exists(so))
            continue;
        std::ofstream(dir / "odbcinst.ini") << "[SQLite3 ODBC Driver]\nDriver=" << so << "\nSetup=" << so << "\n";
        std::ofstream(dir / "odbc.ini");
        setenv("ODBCSYSINI", dir.c_str(), 1);
        setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
        return true;
    }
    return false;
}

} // namespace bench
