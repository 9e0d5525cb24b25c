// The mail list over folders of 10,000, 100,000 and 1,000,000 messages, as the user waits for
// it: a folder chosen until its first screen of rows is painted (a real paint, so the row texts
// are read), until every id of the folder is in, and scrolling to the end cold (a new list,
// nothing read yet). The floors read the folder's ids alone, with the sqlite3 C API and through
// the ODBC driver alone; the eager baseline reads every column of every row into a plain model
// and paints it (on the smallest folder). Rounds interleave the variants.
// Targets: the first screen painted within 30 ms at the largest size and within 1.5 times the
// same at the smallest (flat in the folder's size); every id of the largest in within twice the
// driver alone.
#include "bench/BenchSupport.h"
#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/common/OpenFiles.h"
#include "runtime/Odbc.h"
#include "tools/sampledata/SampleData.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QWindow>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

std::string g_db;
std::vector<long> g_folder;
std::vector<int> g_sizes{10000, 100000, 1000000};
bench::Samples g_samples;
constexpr double kFirstScreenMs = 30, kFlat = 1.5, kAllIds = 2.0;

// The folders of the sizes above, written straight into the file in one transaction.
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
    for (size_t f = 0; f < g_sizes.size(); ++f)
        for (int i = 0; i < g_sizes[f]; ++i, ++n) {
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

// The ids alone, in the list's order, with the sqlite3 C API: the floor of opening a folder.
size_t readIds(long folder)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(g_db.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID FROM EMAIL WHERE INBOXID = ? ORDER BY INBOXID, ID", -1, &s, nullptr);
    sqlite3_bind_int(s, 1, int(folder));
    std::vector<qint64> ids;
    while (sqlite3_step(s) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return ids.size();
}

// The same ids through the program's own connection and ODBC driver: what any list read
// through the driver pays before it paints anything.
size_t readIdsThroughDriver(long folder)
{
    vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
    std::vector<long long> ids;
    if (!s.execDirect("SELECT ID FROM EMAIL WHERE INBOXID = " + std::to_string(folder) + " ORDER BY INBOXID, ID")
        || !s.fetchIntegers(ids))
        std::fprintf(stderr, "ids through the driver: %s\n", s.error().text.c_str());
    return ids.size();
}

// A window the size of the mail pane, exposed and painted: returns once Qt painted its cells.
struct Shown {
    QTableView view;
    struct Watch : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } watch;
    Shown()
    {
        view.resize(900, 700);
        view.viewport()->installEventFilter(&watch);
    }
    bool showAndPaint()
    {
        view.show();
        QElapsedTimer t;
        t.start();
        while (!(view.windowHandle() && view.windowHandle()->isExposed()) && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return painted();
    }
    // Waits for the next paint of the cells the view asks for.
    bool painted()
    {
        const int before = watch.paints;
        view.viewport()->update();
        QElapsedTimer t;
        t.start();
        while (watch.paints == before && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return watch.paints > before;
    }
};


double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// Opening: the folder chosen, its first screen read and painted (a real paint reads the texts
// of the rows it shows); then the time until every id of the folder is in.
// The window is on screen already, as the mail page is when a folder is chosen.
double openList(int which)
{
    Shown shown;
    shown.showAndPaint();
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    QElapsedTimer t;
    t.start();
    mail.setRange(qlonglong(g_folder[size_t(which)]));
    shown.view.setModel(&mail.model());
    shown.painted();
    const double first = msSince(t);
    const vrt::BrowseModel& ids = mail.browse().model();
    // Waiting as the program does, asleep in the event loop until the list says so: spinning
    // here would take a processor from the reader on a busy machine.
    if (!ids.allIdsRead()) {
        QEventLoop loop;
        QObject::connect(&ids, &vrt::BrowseModel::idsComplete, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        if (!ids.allIdsRead())
            loop.exec();
    }
    const bool whole = ids.allIdsRead() && ids.rowCount() == g_sizes[size_t(which)];
    if (!whole)
        std::fprintf(stderr, "folder of %d: %s, %d rows\n", g_sizes[size_t(which)], ids.allIdsRead() ? "read" : "still reading",
                     ids.rowCount());
    g_samples.add("all ids/" + std::to_string(which), whole ? msSince(t) : -1);
    return first;
}

double openEager(int which)
{
    Shown shown;
    shown.showAndPaint();
    BareModel m;
    QElapsedTimer t;
    t.start();
    readBare(m, g_folder[size_t(which)]);
    shown.view.setModel(&m);
    shown.painted();
    return msSince(t);
}

double openDriverIds(int which)
{
    QElapsedTimer t;
    t.start();
    readIdsThroughDriver(g_folder[size_t(which)]);
    return msSince(t);
}

double openFloor(int which)
{
    QElapsedTimer t;
    t.start();
    const size_t n = readIds(g_folder[size_t(which)]);
    if (n == 0)
        std::fprintf(stderr, "no ids read\n");
    return msSince(t);
}

// Scrolling cold: a list open on its first rows goes to its end, painted there.
double scrollList(int which)
{
    Shown shown;
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    mail.setRange(qlonglong(g_folder[size_t(which)]));
    mail.browse().completeIds();
    shown.view.setModel(&mail.model());
    shown.showAndPaint();
    QElapsedTimer t;
    t.start();
    shown.view.scrollToBottom();
    shown.painted();
    return msSince(t);
}

double scrollEager(int which)
{
    Shown shown;
    BareModel m;
    readBare(m, g_folder[size_t(which)]);
    shown.view.setModel(&m);
    shown.showAndPaint();
    QElapsedTimer t;
    t.start();
    shown.view.scrollToBottom();
    shown.painted();
    return msSince(t);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--sizes") {
            g_sizes.clear();
            for (const QString& n : QString::fromLocal8Bit(argv[i + 1]).split(u','))
                g_sizes.push_back(n.toInt());
        }
    char pattern[] = "/tmp/velmora-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !bench::registerDriver(dir)) {
        std::fprintf(stderr, "libsqliteodbc is not installed\n");
        return 1;
    }
    // Library start-up reads and writes settings and translation tables in the current folder:
    // the run's own, never the folder it was started from (often the checkout).
    std::filesystem::current_path(dir);
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
    for (size_t f = 0; f < g_sizes.size(); ++f)
        g_folder.push_back(sample.inboxId + long(f));
    if (!fillFolders())
        return 1;

    // The list's peak first, before the eager baseline's rows raise the process's high-water mark.
    const int largest = int(g_sizes.size()) - 1;
    const long baseKb = bench::peakKb();
    openList(largest);
    scrollList(largest);
    const long listKb = bench::peakKb();
    // Every text of a million rows would take gigabytes: the eager baseline runs on the
    // smallest folder only.
    std::vector<bench::Variant> variants;
    for (int which = 0; which <= largest; ++which) {
        const std::string at = "/" + std::to_string(which);
        variants.push_back({"ids floor" + at, [which] { return openFloor(which); }});
        variants.push_back({"driver ids" + at, [which] { return openDriverIds(which); }});
        variants.push_back({"open" + at, [which] { return openList(which); }});
        variants.push_back({"scroll" + at, [which] { return scrollList(which); }});
    }
    variants.push_back({"eager/0", [] { return openEager(0); }});
    variants.push_back({"scroll eager/0", [] { return scrollEager(0); }});
    const bool worked = bench::interleave(rounds, variants, g_samples);

    bench::Report report("mail list", rounds);
    if (!worked || g_samples["all ids/" + std::to_string(largest)].min < 0)
        report.fail("a folder was not read whole");
    for (int which = 0; which <= largest; ++which) {
        const std::string at = "/" + std::to_string(which), mails = " " + std::to_string(g_sizes[size_t(which)]);
        report.ratio("first screen" + mails + " / ids floor", g_samples["open" + at], g_samples["ids floor" + at], 0);
        report.ratio("driver ids" + mails + " / ids floor", g_samples["driver ids" + at], g_samples["ids floor" + at], 0);
        // The first screen's paint and the reader's own connection weigh on small folders; the
        // target is the largest one's.
        report.ratio("all ids in" + mails + " / driver ids", g_samples["all ids" + at], g_samples["driver ids" + at],
                     which == largest ? kAllIds : 0);
        report.show("scroll to the end cold" + mails, g_samples["scroll" + at]);
    }
    report.ratio("first screen, eager baseline " + std::to_string(g_sizes[0]), g_samples["eager/0"], g_samples["ids floor/0"], 0);
    report.show("scroll to the end, eager", g_samples["scroll eager/0"]);
    const std::string top = "open/" + std::to_string(largest);
    report.limit("first screen " + std::to_string(g_sizes[size_t(largest)]), g_samples[top], kFirstScreenMs);
    report.ratio("first screen, largest / smallest", g_samples[top], g_samples["open/0"], kFlat);
    std::printf("  peak memory (VmHWM): %.1f MiB before the lists, %.1f MiB with the list of %d open and scrolled\n",
                baseKb / 1024.0, listKb / 1024.0, g_sizes[size_t(largest)]);
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return report.finish();
}
