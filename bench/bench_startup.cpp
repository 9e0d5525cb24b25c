// Starting velmora on data folders of 10,000, 100,000 and 1,000,000 mails, on the overview and
// on the mail page: the whole process, from its start to the first idle moment after the
// organiser window was first painted (the program says so with VELMORA_STARTUP_PROBE set).
// The floor is this program as a bare Qt window with a table whose row count sqlite3 counts,
// started and timed the same way. Rounds interleave floor and program; medians count.
//   bench_startup [--sizes 10000,100000,1000000] [--rounds N] [--folders DIR]
// Generated folders are kept under DIR (default /tmp/velmora-bench-startup) and used again.
// Targets: the overview within twice the floor at every size; the mail page at most 0.35 s at
// 100,000 and 0.6 s at 1,000,000; peak memory under 100 MiB at 1,000,000. Run it under a
// display (xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
#include <QAbstractEventDispatcher>
#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>

#include "bench/BenchSupport.h"

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

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--floor") == 0)
        return runFloor(argc, argv, argv[2], std::atoi(argv[3]));

    std::vector<int> sizes{10000, 100000, 1000000};
    int rounds = bench::kRounds;
    fs::path root = "/tmp/velmora-bench-startup";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--sizes") {
            sizes.clear();
            for (const QString& s : QString::fromLocal8Bit(argv[i + 1]).split(u','))
                sizes.push_back(s.toInt());
        } else if (a == "--rounds") {
            rounds = std::max(bench::kRounds, std::atoi(argv[i + 1]));
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
    for (int mails : sizes)
        if (!makeFolder(root / std::to_string(mails), mails)) {
            std::fprintf(stderr, "bench_startup: could not generate %d mails\n", mails);
            return 1;
        }

    const auto key = [](int mails, int page) { return std::to_string(mails) + (page == 1 ? " overview" : " mail page"); };
    bench::Samples floor, ours;
    std::map<std::string, long> ourPeak, floorPeak;
    std::map<std::string, std::string> lines;
    bool failed = false;
    for (int round = 0; round < rounds; ++round)
        for (int mails : sizes)
            for (int page : {1, 2}) {
                const fs::path folder = root / std::to_string(mails);
                writePage(folder, page);
                const std::string k = key(mails, page);
                const std::vector<std::string> bare{self, "--floor", (folder / "Files" / "Database.db").string(),
                                                    std::to_string(page)};
                // Floor and program take turns at going first.
                Start f, o;
                if (round % 2) {
                    o = startChild({velmora}, folder);
                    f = startChild(bare, folder);
                } else {
                    f = startChild(bare, folder);
                    o = startChild({velmora}, folder);
                }
                if (!f.ok || !o.ok) {
                    std::fprintf(stderr, "bench_startup: a start did not reach its first idle moment:\n  floor: %s\n  velmora: %s\n",
                                 f.line.c_str(), o.line.c_str());
                    failed = true;
                    continue;
                }
                floor.add(k, f.seconds * 1000);
                ours.add(k, o.seconds * 1000);
                floorPeak[k] = std::max(floorPeak[k], f.peakKb);
                ourPeak[k] = std::max(ourPeak[k], o.peakKb);
                lines[k] = o.line;
            }

    bench::Report report("velmora start-up to the first idle moment after the first paint", rounds);
    if (failed)
        report.fail("a start did not reach its first idle moment");
    for (int mails : sizes)
        for (int page : {1, 2}) {
            const std::string k = key(mails, page);
            const double target = page == 1 ? 2.0 : 0;
            report.ratio(k + " / bare Qt window", ours[k], floor[k], target);
            std::printf("    peak %.1f MiB, floor %.1f MiB  (%s)\n", ourPeak[k] / 1024.0, floorPeak[k] / 1024.0, lines[k].c_str());
        }
    for (const auto& [mails, limitMs] : std::vector<std::pair<int, double>>{{100000, 350}, {1000000, 600}}) {
        const std::string k = key(mails, 2);
        if (ours[k].n == 0)
            continue;
        report.limit(k, ours[k], limitMs, floor[k]);
        if (mails == 1000000)
            report.check("peak memory " + std::to_string(ourPeak[k] / 1024) + " MiB (target under 100 MiB)",
                         ourPeak[k] < 100 * 1024);
    }
    return report.finish();
}
