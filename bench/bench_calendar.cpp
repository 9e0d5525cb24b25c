// The calendar page with 20,000 events: the component filled from the table through the data
// layer (the routine the page runs when it is shown) and its month view painted offscreen,
// then the week view painted. The floor is reading the same rows with the sqlite3 C API; the
// two are measured in turns, in the same run. Prints the medians, the ratio and the peak
// memory; exits non-zero when the month view takes over 200 ms to be ready.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "controls/CalendarControl.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/calendar/CalendarRoutines.h"
#include "runtime/DateTime.h"
#include "runtime/Odbc.h"

namespace {

constexpr int kEvents = 20000;
constexpr int kRounds = 7;
constexpr double kMonthLimitMs = 200;

std::string peakMemory()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return line.substr(6);
    return "?";
}

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The rows a user has gathered over years: 20,000 events around today, in 11 categories.
void fill()
{
    vrt::FileManager& categories = Access(Tbl::CAL_EventCategories);
    for (int i = 1; i <= 11; ++i) {
        categories.clearBuffer();
        CALC().ID = i;
        CALC().CATEGORIENAME = "Kategorija " + std::to_string(i);
        CALC().CATEGORIECOLOR = 0x102030 * i;
        CALC().ORDER = i;
        if (categories.TryInsert())
            std::abort();
    }
    vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
    vrt::odbc::Transaction tx(*corvalde::ThreadSession().connection());
    const int today = vrt::dayFromDate(QDate::currentDate());
    for (int i = 0; i < kEvents; ++i) {
        f.clearBuffer();
        CAL().SUBJECT = "Događaj " + std::to_string(i + 1);
        CAL().BODY = "Opis događaja " + std::to_string(i + 1);
        CAL().LOCATION = i % 3 ? "Ured" : "";
        CAL().LABELID = 1 + i % 11;
        CAL().PARTNERID = 1 + i % 500;
        CAL().STARTDATETIME_DATE = today - kEvents / 40 + i / 20;
        CAL().STARTDATETIME_TIME = vrt::timeFromQTime(QTime(7 + i % 12, (i % 4) * 15));
        CAL().ENDDATETIME_DATE = CAL().STARTDATETIME_DATE + (i % 50 == 0 ? 2 : 0);
        CAL().ENDDATETIME_TIME = CAL().STARTDATETIME_TIME + 360000 * (1 + i % 3);
        if (f.TryInsert())
            std::abort();
    }
    if (!tx.commit())
        std::abort();
}

// The floor: every row and column the routine reads, with the sqlite3 C API.
int readRaw(const std::string& db)
{
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(h, "SELECT * FROM \"CAL_CalendarEvents\" ORDER BY \"EVENTID\"", -1, &s, nullptr);
    int rows = 0;
    long long sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(s); ++c)
            sum += sqlite3_column_bytes(s, c) + (sqlite3_column_text(s, c) ? 1 : 0);
        ++rows;
    }
    sqlite3_finalize(s);
    sqlite3_close(h);
    return sum > 0 ? rows : 0;
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
    const std::string db = std::string(dir) + "/bench.db";
    GLO::OWNER = "Driver=SQLite3 ODBC Driver;Database=" + db + ";StepAPI=1;Timeout=100000;JournalMode=WAL";
    corvalde::setTableNames();
    corvalde::KILLTABLEMANAGERS();
    corvalde::CREATETABLEMANAGERS();
    if (Access(Tbl::CAL_CalendarEvents).Open() || Access(Tbl::CAL_EventCategories).Open())
        return 1;
    fill();

    controls::CalendarControl calendar;
    calendar.resize(1100, 760);
    calendar.goToDate(QDate::currentDate());
    panes::CalendarRoutineDeps deps;
    deps.control = [&calendar] { return &calendar; };
    panes::CalendarRoutines routines(deps);
    QImage canvas(calendar.canvas()->size(), QImage::Format_ARGB32_Premultiplied);

    std::vector<double> raw, month, week;
    int shown = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        const int rows = readRaw(db);
        raw.push_back(ms(t));
        if (rows != kEvents)
            return 1;

        t.restart();
        calendar.setViewType(controls::MonthView);
        routines.PopulateCalendar();
        {
            QPainter p(&canvas);
            calendar.paintView(p, QRectF(QPointF(0, 0), QSizeF(canvas.size())));
        }
        month.push_back(ms(t));
        shown = calendar.DataProvider().count();

        t.restart();
        calendar.setViewType(controls::FullWeekView);
        calendar.Populate();
        {
            QPainter p(&canvas);
            calendar.paintView(p, QRectF(QPointF(0, 0), QSizeF(canvas.size())));
        }
        week.push_back(ms(t));
    }
    if (shown != kEvents)
        return 1;

    const double r = median(raw), m = median(month), w = median(week);
    std::printf("calendar with %d events, median of %d interleaved rounds\n", kEvents, kRounds);
    std::printf("  raw sqlite3 read of the rows   %8.1f ms\n", r);
    std::printf("  month view ready (fill+paint)  %8.1f ms   ratio to raw read %.1f   target %.0f ms\n", m, m / r, kMonthLimitMs);
    std::printf("  week view painted             %8.1f ms\n", w);
    std::printf("  peak memory %s\n", peakMemory().c_str());
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return m <= kMonthLimitMs ? 0 : 2;
}
