// What the user waits for when "Backup sada" is pressed: a data folder with a 200 MB database
// and 2,000 mail files packed into one zip archive, against the floor of the same work done
// by the tools alone (sqlite3 .backup, then zip -r), interleaved in one run. Target: the
// median at most 1.3 times the floor's.
#include "BenchSupport.h"

#include "controls/Controls.h"
#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/backup/BackupRun.h"

#include <QCoreApplication>
#include <QDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

namespace fs = std::filesystem;

namespace {

// Mail-like text: compresses about as real mail does.
std::string mailText(std::mt19937& gen, size_t bytes)
{
    static const char* words[] = {"pozdrav", "račun", "sastanak", "ponuda", "the", "invoice", "meeting", "attached",
                                  "2024", "hvala", "lijep", "dan", "project", "Velmora", "status", "update"};
    std::uniform_int_distribution<int> pick(0, 15);
    std::string s;
    s.reserve(bytes + 16);
    while (s.size() < bytes) {
        s += words[pick(gen)];
        s += pick(gen) == 0 ? '\n' : ' ';
    }
    return s;
}

void makeDataFolder(const fs::path& folder)
{
    fs::create_directories(folder / "Files");
    std::mt19937 gen(1);
    sqlite3* db = nullptr;
    sqlite3_open((folder / "Files/Database.db").c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE EMAIL(ID INTEGER PRIMARY KEY, SUBJECT TEXT, BODY TEXT);", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO EMAIL(SUBJECT, BODY) VALUES(?, ?)", -1, &st, nullptr);
    const std::string body = mailText(gen, 4000);
    for (int i = 0; i < 50000; ++i) { // about 200 MB
        const std::string subject = "Pošta " + std::to_string(i);
        std::string b = body;
        b.replace(size_t(i % 3000), 12, std::to_string(i * 7919)); // rows differ
        sqlite3_bind_text(st, 1, subject.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.c_str(), int(b.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (int i = 1; i <= 2000; ++i) {
        const fs::path mail = folder / "Email" / std::to_string(i);
        fs::create_directories(mail);
        std::ofstream(mail / "body.html") << "<html><body><p>" << mailText(gen, 8000) << "</p></body></html>";
    }
}

// The milliseconds of `work`; -1 when it failed.
double timed(const std::function<bool()>& work)
{
    bool ok = false;
    const double ms = bench::timeMs([&] { ok = work(); });
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    char pattern[] = "/tmp/velmora-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !bench::registerDriver(dir)) {
        std::fprintf(stderr, "libsqliteodbc is not installed\n");
        return 1;
    }
    const fs::path root(dir);
    const fs::path data = root / "data", ours = root / "ours", floor = root / "floor";
    fs::create_directories(ours);
    fs::create_directories(floor);
    makeDataFolder(data);
    const std::string db = (data / "Files/Database.db").string();
    std::printf("database %.0f MB, 2000 mail files\n", double(fs::file_size(db)) / 1e6);

    GLO::OWNER = "Driver=SQLite3 ODBC Driver;Database=" + db + ";StepAPI=1;Timeout=100000;JournalMode=WAL";
    corvalde::setTableNames();
    controls::registerBuiltInControls();

    auto backup = [&] {
        for (const auto& e : fs::directory_iterator(ours))
            fs::remove_all(e.path());
        // BENCH_TRACE prints when the snapshot starts, the packing starts and ends.
        struct Trace : notespass::DatabaseSide {
            const bool on = std::getenv("BENCH_TRACE") != nullptr;
            const std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();
            int last = -2;
            void progress(int p) override
            {
                if (on && (p == -1 || (p >= 0 && last < 0) || p == 100))
                    std::printf("  %d at %.2f s\n", p, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
                last = p;
            }
        } trace;
        notespass::BackupRun run(trace);
        notespass::BackupPlan plan;
        plan.folders = {QString::fromStdString(data.string())};
        plan.destination = QString::fromStdString(ours.string());
        plan.dataFolder = plan.folders[0];
        plan.at = QDateTime::currentDateTime();
        const notespass::BackupResult r = run.run(plan);
        if (!r.ok)
            std::fprintf(stderr, "backup failed: %s\n", r.error.toUtf8().constData());
        return r.ok;
    };
    auto tools = [&] {
        for (const auto& e : fs::directory_iterator(floor))
            fs::remove_all(e.path());
        const std::string snap = (floor / "Database.db").string(), zip = (floor / "floor.zip").string();
        const std::string cmd = "sqlite3 '" + db + "' \".backup '" + snap + "'\" && cd '" + root.string() + "' && zip -r -q '" + zip
                                + "' data -x 'data/Files/Database.db*' && cd '" + floor.string() + "' && zip -q '" + zip + "' Database.db";
        return std::system(cmd.c_str()) == 0;
    };

    const int rounds = bench::roundsArg(argc, argv, bench::kLongRounds);
    bench::Samples s;
    const bool ok = bench::interleave(rounds, {{"backup", [&] { return timed(backup); }}, {"tools", [&] { return timed(tools); }}}, s);
    bench::Report report("backup", rounds);
    if (!ok)
        report.fail("a run failed");
    report.ratio("backup / sqlite3 .backup + zip -r", s["backup"], s["tools"], 1.30);
    corvalde::KILLTABLEMANAGERS();
    if (!std::getenv("BENCH_KEEP"))
        fs::remove_all(root);
    return report.finish();
}
