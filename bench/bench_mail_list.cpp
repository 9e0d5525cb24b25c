// The mail list over a folder of 10,000 and one of 100,000 messages: opening the folder until
// its first rows are painted, and scrolling to the end. The same rows read with the sqlite3 C
// API into a bare table model and QTableView give the ratios; the heap the list adds is
// printed too.
#include "bench/BenchSupport.h"
#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/organiser/ListSet.h"
#include "procedures/common/OpenFiles.h"
#include "tools/sampledata/SampleData.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>

namespace {

std::string g_db;
long g_folder[2] = {0, 0};
constexpr int kSizes[2] = {10000, 100000};

// Heap in use: unlike the resident size it falls again when memory is freed, so the two
// variants measured one after the other do not hide each other's growth.
long heapKb()
{
    const struct mallinfo2 m = mallinfo2();
    return long((m.uordblks + m.hblkhd) / 1024);
}

// Two folders of the sizes above, written straight into the file.
bool fillFolders()
{
    sqlite3* db = nullptr;
    if (sqlite3_open(g_db.c_str(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO EMAIL (SUBJECT, INBOXID, SENDER, TOO, DATUM, VRIJEME, MESSAGEID, SIZE_DECIMAL, READ, "
                       "PRIORITYLEVEL, READCONFIRMATION, BODY) VALUES (?, ?, ?, 'ja@primjer.hr', ?, ?, ?, ?, ?, 3, 0, 'Tekst')",
                       -1, &s, nullptr);
    int n = 0;
    for (int f = 0; f < 2; ++f)
        for (int i = 0; i < kSizes[f]; ++i, ++n) {
            const std::string subject = "Ponuda za suradnju broj " + std::to_string(n);
            const std::string sender = "Ivan Horvat <kontakt" + std::to_string(n % 997) + "@primjer.hr>";
            char date[16], time[16];
            std::snprintf(date, sizeof date, "20%02d-%02d-%02d", 10 + n % 15, 1 + n % 12, 1 + n % 28);
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", n % 24, n % 60, (n / 7) % 60);
            const std::string id = "<" + std::to_string(n) + "@bench>";
            const std::string size = std::to_string(800 + n % 250000);
            sqlite3_bind_text(s, 1, subject.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(s, 2, int(g_folder[f]));
            sqlite3_bind_text(s, 3, sender.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 4, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 5, time, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 6, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 7, size.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(s, 8, n % 3 ? 1 : 0);
            if (sqlite3_step(s) != SQLITE_DONE)
                return false;
            sqlite3_reset(s);
        }
    sqlite3_finalize(s);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The bare comparison: the same columns read with sqlite3 into a plain model.
class BareModel : public QAbstractTableModel {
public:
    std::vector<QStringList> rows;
    int rowCount(const QModelIndex& = {}) const override { return int(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return 13; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(rows[size_t(i.row())].value(i.column())) : QVariant();
    }
};

void readBare(BareModel& m, long folder)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(g_db.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT PRIORITYLEVEL, SENDER, TOO, SUBJECT, DATUM || ' ' || VRIJEME, SIZE_DECIMAL, ID, INBOXID, "
                       "READCONFIRMATION, MESSAGEID, READ, DATUM, VRIJEME FROM EMAIL WHERE INBOXID = ? ORDER BY INBOXID, ID",
                       -1, &s, nullptr);
    sqlite3_bind_int(s, 1, int(folder));
    while (sqlite3_step(s) == SQLITE_ROW) {
        QStringList row;
        row.reserve(13);
        for (int c = 0; c < 13; ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
        m.rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// One view on screen (offscreen), the size of a mail pane.
struct Shown {
    QTableView view;
    Shown()
    {
        view.resize(900, 700);
        view.show();
    }
    void paint() { view.repaint(); }
};

template <bool Bare>
void BM_Open(benchmark::State& state)
{
    const int which = int(state.range(0));
    for (auto _ : state) {
        Shown shown;
        if constexpr (Bare) {
            BareModel m;
            readBare(m, g_folder[which]);
            shown.view.setModel(&m);
            shown.paint();
            state.counters["rows"] = m.rowCount();
        } else {
            organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
            mail.setRange(qlonglong(g_folder[which]));
            shown.view.setModel(&mail.model());
            shown.paint();
            state.counters["rows"] = mail.rowCount();
        }
    }
}

template <bool Bare>
void BM_ScrollToEnd(benchmark::State& state)
{
    const int which = int(state.range(0));
    Shown shown;
    BareModel bare;
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    if constexpr (Bare) {
        readBare(bare, g_folder[which]);
        shown.view.setModel(&bare);
    } else {
        mail.setRange(qlonglong(g_folder[which]));
        shown.view.setModel(&mail.model());
    }
    shown.paint();
    for (auto _ : state) {
        shown.view.scrollToBottom();
        shown.paint();
        state.PauseTiming();
        shown.view.scrollToTop();
        shown.paint();
        state.ResumeTiming();
    }
}

// Typing in the mail list of the large folder, sorted by a header column: a subject, one
// nothing matches, a time (a day's text and part of its time), and a size nothing matches:
// SQL cannot make the size's text, so every row is read.
struct LocateCase {
    int header;
    const char* typed;
};
constexpr LocateCase kLocate[] = {{4, "ponuda za suradnju broj 109999"}, {4, "zz"}, {5, ""}, {6, "250."}};
constexpr const char* kLocateNames[] = {"subject", "no match", "time", "size"};

void BM_Locate(benchmark::State& state)
{
    const LocateCase& c = kLocate[state.range(0)];
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    mail.setRange(qlonglong(g_folder[1]));
    mail.sorter()->TakeHeaderClick(c.header, VelmoraDll::HeaderSortManager::ClickPlain);
    QString typed = QString::fromUtf8(c.typed);
    if (typed.isEmpty()) // a day in the middle and the hour of a row there
        typed = mail.cell("LC:VRIJEME", mail.rowCount() / 2).left(mail.cell("LC:VRIJEME", mail.rowCount() / 2).size() - 5);
    for (auto _ : state) {
        mail.select(0);
        benchmark::DoNotOptimize(mail.locate(typed));
    }
    state.counters["row"] = mail.selected();
    state.counters["texts read"] = double(mail.source().rowTextsRead());
}

BENCHMARK(BM_Open<false>)->Name("Open/list")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Open<true>)->Name("Open/bare")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScrollToEnd<false>)->Name("Scroll/list")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ScrollToEnd<true>)->Name("Scroll/bare")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Locate)->Name("Locate")->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(5);

// The memory a list of the large folder adds while it is open and scrolled.
template <class Open>
long growthKb(Open open)
{
    const long before = heapKb();
    const long after = open();
    return after - before;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char pattern[] = "/tmp/velmora-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !bench::registerDriver(dir)) {
        std::fprintf(stderr, "libsqliteodbc is not installed\n");
        return 1;
    }
    corvalde::load();
    THISPCPATH = dir;
    corvalde::setTableNames();
    if (W_First::OpenFilez() != 0)
        return 1;
    g_db = std::string(dir) + "/Files/Database.db";
    organiser::SampleSizes sizes;
    sizes.mails = 0;
    sizes.accounts = 1;
    const organiser::SampleResult sample = organiser::generateSampleData(sizes);
    if (!sample.error.isEmpty())
        return 1;
    g_folder[0] = sample.inboxId;
    g_folder[1] = sample.inboxId + 1;
    if (!fillFolders())
        return 1;

    // Memory first, before the benchmarks warm the caches.
    const long listKb = growthKb([] {
        Shown shown;
        organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
        mail.setRange(qlonglong(g_folder[1]));
        shown.view.setModel(&mail.model());
        shown.paint();
        shown.view.scrollToBottom();
        shown.paint();
        return heapKb();
    });
    const long bareKb = growthKb([] {
        Shown shown;
        BareModel m;
        readBare(m, g_folder[1]);
        shown.view.setModel(&m);
        shown.paint();
        shown.view.scrollToBottom();
        shown.paint();
        return heapKb();
    });

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nmail list against a bare QTableView over raw SQLite (targets: open 10,000 <= 100 ms, 100,000 <= 1 s)\n");
    for (const char* work : {"Open", "Scroll"})
        for (int i = 0; i < 2; ++i) {
            const std::string w = work, arg = "/" + std::to_string(i);
            const double list = reporter.times[w + "/list" + arg], bare = reporter.times[w + "/bare" + arg];
            if (list > 0 && bare > 0)
                std::printf("  %-6s %6d: list %8.1f ms   bare %8.1f ms   list/bare %.2f\n", work, kSizes[i], list, bare,
                            list / bare);
        }
    for (int i = 0; i < 4; ++i)
        std::printf("  locate in 100,000 by %-8s %8.1f ms\n", kLocateNames[i],
                    reporter.times["Locate/" + std::to_string(i)]);
    std::printf("  memory while 100,000 are open and scrolled: list +%ld KB, bare +%ld KB (target: list < 20 MB)\n", listKb,
                bareKb);
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return 0;
}
