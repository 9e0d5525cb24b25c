// Starting velmora on data folders of 10,000, 100,000 and 1,000,000 mails, on the overview and
// on the mail page: the whole process, from its start to the first idle moment after the
// organiser window was first painted (the program says so with VELMORA_STARTUP_PROBE set).
// The floor is this program as a bare Qt window with a table whose row count sqlite3 counts,
// started and timed the same way. Rounds interleave floor and program; the median counts.
//   bench_startup [--sizes 10000,100000,1000000] [--rounds N] [--folders DIR]
// Generated folders are kept under DIR (default /tmp/velmora-bench-startup) and used again.
// Targets: the mail page at most 1.0 s at 1,000,000 and 0.5 s at 100,000; peak memory under
// 100 MiB at 1,000,000. Run it under a display (xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
#include <QAbstractEventDispatcher>
#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// ---- the floor: a bare window with a table over the folder's row count ----

class CountModel : public QAbstractTableModel {
public:
    explicit CountModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex& = {}) const override { return m_rows; }
    int columnCount(const QModelIndex& = {}) const override { return 6; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(i.row()) : QVariant();
    }

private:
    int m_rows;
};

int runFloor(int argc, char** argv, const char* database, int page)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    int rows = 0;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        // The mail page counts the first inbox's mail, the overview every mail.
        const char* sql = page == 2 ? "SELECT count(*) FROM EMAIL WHERE INBOXID = (SELECT min(INBOXID) FROM EMAIL)"
                                    : "SELECT count(*) FROM EMAIL";
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            rows = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    CountModel model(rows);
    QTableView view;
    view.setModel(&model);
    view.resize(1300, 800);
    bool painted = false;
    struct PaintWatch : QObject {
        bool* painted;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                *painted = true;
            return false;
        }
    } watch;
    watch.painted = &painted;
    view.viewport()->installEventFilter(&watch);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [&] {
        if (!painted)
            return;
        std::printf("velmora-startup: painted, idle %lld ms, rows %d\n", (long long)clock.elapsed(), rows);
        std::fflush(stdout);
        _exit(0);
    });
    view.show();
    return app.exec();
}

// ---- one timed start of a child process ----

struct Start {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
    std::string line;
};

Start startChild(const std::vector<std::string>& argv, const fs::path& folder)
{
    Start r;
    int out[2];
    if (pipe(out) != 0)
        return r;
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        setenv("VELMORA_STARTUP_PROBE", "1", 1);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, size_t(n));
        if (text.find("velmora-startup:") != std::string::npos && text.find('\n', text.find("velmora-startup:")) != std::string::npos)
            break;
    }
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    const size_t at = text.find("velmora-startup:");
    r.ok = at != std::string::npos;
    r.line = r.ok ? text.substr(at, text.find('\n', at) - at) : text;
    r.seconds = std::chrono::duration<double>(end - begin).count();
    r.peakKb = usage.ru_maxrss; // kilobytes on Linux
    return r;
}

fs::path selfDir()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A folder of `mails` mails made by sampledata, kept for the next run.
bool makeFolder(const fs::path& folder, int mails)
{
    const fs::path done = folder / ".bench-complete";
    if (fs::exists(done))
        return true;
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string command = (selfDir() / "sampledata").string() + " '" + folder.string() + "' --mails "
                                + std::to_string(mails) + " --contacts 500 --tasks 1000 > /dev/null";
    std::printf("  generating %d mails in %s ...\n", mails, folder.c_str());
    std::fflush(stdout);
    const auto begin = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return false;
    std::printf("  generated in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    std::FILE* f = std::fopen(done.c_str(), "w");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

void writePage(const fs::path& folder, int page)
{
    // English texts; the page the organiser opens on.
    std::FILE* f = std::fopen((folder / "Standard.ini").c_str(), "w");
    if (!f)
        return;
    std::fprintf(f, "[LastTab]\r\nLast=%d\r\n", page);
    std::fclose(f);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--floor") == 0)
        return runFloor(argc, argv, argv[2], std::atoi(argv[3]));

    std::vector<int> sizes{10000, 100000, 1000000};
    int rounds = 3;
    fs::path root = "/tmp/velmora-bench-startup";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--sizes") {
            sizes.clear();
            for (const QString& s : QString::fromLocal8Bit(argv[i + 1]).split(u','))
                sizes.push_back(s.toInt());
        } else if (a == "--rounds") {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else if (a == "--folders") {
            root = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: bench_startup [--sizes N,N,...] [--rounds N] [--folders DIR]\n");
            return 2;
        }
    }
    const std::string velmora = (selfDir() / "velmora").string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    if (!fs::exists(velmora) || !fs::exists(selfDir() / "sampledata")) {
        std::fprintf(stderr, "bench_startup: velmora and sampledata must be built beside it\n");
        return 1;
    }
    std::printf("velmora start-up, %d interleaved rounds, median of each\n", rounds);
    for (int mails : sizes)
        if (!makeFolder(root / std::to_string(mails), mails)) {
            std::fprintf(stderr, "bench_startup: could not generate %d mails\n", mails);
            return 1;
        }

    struct Key {
        int mails, page;
        bool operator<(const Key& o) const { return std::tie(mails, page) < std::tie(o.mails, o.page); }
    };
    std::map<Key, std::vector<double>> ours, floor;
    std::map<Key, long> ourPeak, floorPeak;
    std::map<Key, std::string> lines;
    bool failed = false;
    for (int round = 0; round < rounds; ++round)
        for (int mails : sizes)
            for (int page : {1, 2}) {
                const fs::path folder = root / std::to_string(mails);
                writePage(folder, page);
                const Key key{mails, page};
                const Start f = startChild({self, "--floor", (folder / "Files" / "Database.db").string(), std::to_string(page)},
                                           folder);
                const Start o = startChild({velmora}, folder);
                if (!f.ok || !o.ok) {
                    std::fprintf(stderr, "bench_startup: a start did not reach its first idle moment:\n  floor: %s\n  velmora: %s\n",
                                 f.line.c_str(), o.line.c_str());
                    failed = true;
                    continue;
                }
                floor[key].push_back(f.seconds);
                ours[key].push_back(o.seconds);
                floorPeak[key] = std::max(floorPeak[key], f.peakKb);
                ourPeak[key] = std::max(ourPeak[key], o.peakKb);
                lines[key] = o.line;
            }

    std::printf("\n%10s %-9s %10s %10s %8s %12s %12s\n", "mails", "page", "velmora s", "floor s", "ratio", "peak MiB",
                "floor MiB");
    for (int mails : sizes)
        for (int page : {1, 2}) {
            const Key key{mails, page};
            if (ours[key].empty())
                continue;
            const double o = median(ours[key]), f = median(floor[key]);
            std::printf("%10d %-9s %10.3f %10.3f %8.1f %12.1f %12.1f   (%s)\n", mails, page == 1 ? "overview" : "mail", o, f,
                        f > 0 ? o / f : 0.0, ourPeak[key] / 1024.0, floorPeak[key] / 1024.0, lines[key].c_str());
        }
    std::printf("\ntargets:\n");
    const auto target = [&](int mails, double seconds, double mib) {
        const Key key{mails, 2};
        if (ours[key].empty())
            return;
        const double o = median(ours[key]);
        const bool timeOk = o <= seconds;
        std::printf("  mail page at %d: %.3f s (target %.1f s) %s\n", mails, o, seconds, timeOk ? "met" : "MISSED");
        failed |= !timeOk;
        if (mib > 0) {
            const double peak = ourPeak[key] / 1024.0;
            std::printf("  peak memory at %d: %.1f MiB (target under %.0f MiB) %s\n", mails, peak, mib,
                        peak < mib ? "met" : "MISSED");
            failed |= peak >= mib;
        }
    };
    target(100000, 0.5, 0);
    target(1000000, 1.0, 100);
    return failed ? 1 : 0;
}
