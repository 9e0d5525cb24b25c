// The mail list over folders of 100,000 and 1,000,000 messages, as the user waits for it:
// opening the folder until the window is exposed and its first rows painted (a real paint, so
// the row texts are read), and scrolling to the end cold (a new list, nothing read yet). The
// floor reads the folder's ids alone with the sqlite3 C API; the eager baseline reads every
// column of every row into a plain model and paints it. Rounds interleave the variants; each
// prints its median, its ratio to the floor and the process's peak memory (VmHWM).
// Target: opening with a real paint within 2x the ids-only floor at both sizes.
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
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QWindow>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

std::string g_db;
long g_folder[2] = {0, 0};
int g_sizes[2] = {100000, 1000000};

long vmHwmKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Two folders of the sizes above, written straight into the file in one transaction.
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

using Work = std::function<double(int which)>;

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// Opening: the list's rows read and the window painted with them (a real paint reads the
// texts of the rows it shows).
// The window is on screen already, as the mail page is when a folder is chosen.
double openList(int which)
{
    Shown shown;
    shown.showAndPaint();
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    QElapsedTimer t;
    t.start();
    mail.setRange(qlonglong(g_folder[which]));
    shown.view.setModel(&mail.model());
    shown.painted();
    return msSince(t);
}

double openEager(int which)
{
    Shown shown;
    shown.showAndPaint();
    BareModel m;
    QElapsedTimer t;
    t.start();
    readBare(m, g_folder[which]);
    shown.view.setModel(&m);
    shown.painted();
    return msSince(t);
}

double openDriverIds(int which)
{
    QElapsedTimer t;
    t.start();
    readIdsThroughDriver(g_folder[which]);
    return msSince(t);
}

double openFloor(int which)
{
    QElapsedTimer t;
    t.start();
    const size_t n = readIds(g_folder[which]);
    if (n == 0)
        std::fprintf(stderr, "no ids read\n");
    return msSince(t);
}

// Scrolling cold: a list open on its first rows goes to its end, painted there.
double scrollList(int which)
{
    Shown shown;
    organiser::OrganiserList mail(*organiser::listDef(organiser::ctl::Email));
    mail.setRange(qlonglong(g_folder[which]));
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
    readBare(m, g_folder[which]);
    shown.view.setModel(&m);
    shown.showAndPaint();
    QElapsedTimer t;
    t.start();
    shown.view.scrollToBottom();
    shown.painted();
    return msSince(t);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::string(argv[i]) == "--sizes") {
            const QStringList s = QString::fromLocal8Bit(argv[i + 1]).split(u',');
            for (int k = 0; k < 2 && k < s.size(); ++k)
                g_sizes[k] = s[k].toInt();
        }
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
    g_folder[0] = sample.inboxId;
    g_folder[1] = sample.inboxId + 1;
    if (!fillFolders())
        return 1;

    struct Variant {
        const char* work;
        const char* name;
        Work run;
    };
    const std::vector<Variant> variants{{"open", "ids floor", openFloor}, {"open", "list", openList},
                                        {"open", "driver ids", openDriverIds}, {"open", "eager", openEager},     {"scroll", "list", scrollList},
                                        {"scroll", "eager", scrollEager}};
    std::map<std::string, std::vector<double>> times;
    // The list's peak first, before the eager baseline's rows raise the process's high-water mark.
    const long baseKb = vmHwmKb();
    openList(1);
    scrollList(1);
    const long listKb = vmHwmKb();
    // Every text of a million rows would take gigabytes: the eager baseline runs on the
    // smaller folder only.
    for (int round = 0; round < rounds; ++round)
        for (int which = 0; which < 2; ++which)
            for (const Variant& v : variants)
                if (which == 0 || std::string(v.name) != "eager")
                    times[std::string(v.work) + "/" + v.name + "/" + std::to_string(which)].push_back(v.run(which));

    bool missed = false;
    std::printf("mail list, %d interleaved rounds, medians (target: open with a real paint <= 2x the ids-only floor)\n",
                rounds);
    for (int which = 0; which < 2; ++which) {
        const auto t = [&](const std::string& k) { return median(times[k + "/" + std::to_string(which)]); };
        const double floor = t("open/ids floor"), list = t("open/list"), eager = t("open/eager");
        const double ratio = floor > 0 ? list / floor : 0;
        const bool ok = ratio <= 2.0;
        missed |= !ok;
        std::printf("  %8d mails: open list %8.1f ms  ids floor %8.1f ms  list/floor %.2f %s", g_sizes[which], list, floor,
                    ratio, ok ? "met" : "MISSED");
        if (eager > 0)
            std::printf("  eager %8.1f ms  list/eager %.2f", eager, list / eager);
        const double driver = t("open/driver ids");
        std::printf("\n  %8d mails: ids through the ODBC driver alone %8.1f ms (%.2f of the floor), list/driver %.2f",
                    g_sizes[which], driver, floor > 0 ? driver / floor : 0, driver > 0 ? list / driver : 0);
        std::printf("\n  %8d mails: scroll to the end cold: list %8.1f ms", g_sizes[which], t("scroll/list"));
        if (eager > 0)
            std::printf("  eager %8.1f ms", t("scroll/eager"));
        std::printf("\n");
    }
    std::printf("  peak memory (VmHWM): %.1f MiB before the lists, %.1f MiB with the list of %d open and scrolled, "
                "%.1f MiB after the eager baseline\n",
                baseKb / 1024.0, listKb / 1024.0, g_sizes[1], vmHwmKb() / 1024.0);
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return missed ? 1 : 0;
}
