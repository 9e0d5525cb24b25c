#pragma once
// What the benchmarks share: the ODBC driver in a private configuration, rounds of variants
// run in turns, their medians with min and max, the ratio to the floor measured in the same
// run and the verdict against a target, and the peak memory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Rounds a benchmark takes at least: on a busy machine one round says little, and a median
// of a few tells the work from the noise. Short rounds are cheap, so they take more.
constexpr int kRounds = 7;     // a round under a second
constexpr int kLongRounds = 5; // a round of a second or more

// `--rounds N` from the command line, never fewer than `least`.
inline int roundsArg(int argc, char** argv, int least)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--rounds")
            return std::max(least, std::atoi(argv[i + 1]));
    return least;
}

struct Spread {
    double median = 0, min = 0, max = 0;
    int n = 0;
};

inline Spread spread(std::vector<double> v)
{
    Spread s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    s.median = v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
    s.min = v.front();
    s.max = v.back();
    s.n = int(v.size());
    return s;
}

// Milliseconds taken by `work`.
template <class Work>
double timeMs(Work&& work)
{
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
}

// One value a round for each named variant.
class Samples {
public:
    void add(const std::string& name, double ms) { m_values[name].push_back(ms); }
    Spread operator[](const std::string& name) const
    {
        const auto it = m_values.find(name);
        return it == m_values.end() ? Spread{} : spread(it->second);
    }

private:
    std::map<std::string, std::vector<double>> m_values;
};

// A variant answers the milliseconds of its work (negative: it failed).
using Variant = std::pair<std::string, std::function<double()>>;

// `rounds` rounds of every variant in turns, each round starting with the next variant so
// none always runs first on a warm or cold machine. False when a variant failed.
inline bool interleave(int rounds, const std::vector<Variant>& variants, Samples& samples)
{
    for (int round = 0; round < rounds; ++round)
        for (size_t k = 0; k < variants.size(); ++k) {
            const Variant& v = variants[(k + size_t(round)) % variants.size()];
            const double ms = v.second();
            if (ms < 0) {
                std::fprintf(stderr, "%s failed\n", v.first.c_str());
                return false;
            }
            samples.add(v.first, ms);
        }
    return true;
}

// "12.3 ms [11.0, 15.2]": the median with min and max; seconds from a second up.
inline std::string describe(const Spread& s)
{
    char text[96];
    if (s.median >= 1000)
        std::snprintf(text, sizeof text, "%.3f s [%.3f, %.3f]", s.median / 1000, s.min / 1000, s.max / 1000);
    else
        std::snprintf(text, sizeof text, "%.1f ms [%.1f, %.1f]", s.median, s.min, s.max);
    return text;
}

// Peak resident memory (VmHWM) of this process or of process `pid`, in KiB; 0 once it is gone.
inline long peakKb(const std::string& pid = "self")
{
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// The verdicts of one run: each line says met or MISSED, the end prints the peak memory and
// answers the exit status (non-zero when a target was missed).
class Report {
public:
    explicit Report(std::string title, int rounds)
    {
        std::printf("%s: medians [min, max] of %d interleaved rounds\n", title.c_str(), rounds);
    }
    // Ours against the floor that did the same work: the ratio of the medians, at most
    // `target` (0: no target, the ratio is shown).
    bool ratio(const std::string& what, const Spread& ours, const Spread& floor, double target)
    {
        const double r = floor.median > 0 ? ours.median / floor.median : 0;
        std::printf("  %-34s %-30s floor %-30s ratio %5.2f", what.c_str(), describe(ours).c_str(), describe(floor).c_str(), r);
        return verdict(target <= 0 || (r > 0 && r <= target), target, "");
    }
    // A time a user waits for, at most `limitMs`; the floor beside it for the ratio.
    bool limit(const std::string& what, const Spread& ours, double limitMs, const Spread& floor = {})
    {
        std::printf("  %-34s %-30s", what.c_str(), describe(ours).c_str());
        if (floor.n > 0)
            std::printf(" floor %-30s ratio %5.2f", describe(floor).c_str(), ours.median / std::max(floor.median, 1e-9));
        const bool seconds = limitMs >= 1000;
        return verdict(ours.n > 0 && ours.median <= limitMs, seconds ? limitMs / 1000 : limitMs, seconds ? " s" : " ms");
    }
    // A figure shown without a target.
    void show(const std::string& what, const Spread& ours) { std::printf("  %-34s %s\n", what.c_str(), describe(ours).c_str()); }
    // A verdict of the benchmark's own (memory, a count).
    bool check(const std::string& what, bool met)
    {
        std::printf("  %-34s %s\n", what.c_str(), met ? "met" : "MISSED");
        m_missed += met ? 0 : 1;
        return met;
    }
    void fail(const std::string& why)
    {
        std::printf("  FAILED: %s\n", why.c_str());
        ++m_missed;
    }
    int finish()
    {
        std::printf("  peak memory (VmHWM) %.1f MiB\n%s\n", peakKb() / 1024.0,
                    m_missed ? "MISSED: a target was not met" : "every target met");
        return m_missed ? 1 : 0;
    }

private:
    bool verdict(bool met, double target, const char* unit)
    {
        if (target > 0)
            std::printf("  (target <= %.2f%s) %s", target, unit, met ? "met" : "MISSED");
        std::printf("\n");
        std::fflush(stdout);
        m_missed += met ? 0 : 1;
        return met;
    }
    int m_missed = 0;
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
