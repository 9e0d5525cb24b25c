// The calendar page with 20,000 events: the component filled from the table through the data
// layer (the routine the page runs when it is shown) and its month view painted offscreen,
// then the week view painted. The floor is reading the same rows with the sqlite3 C API; the
// two are measured in turns, in the same run. Prints the medians, the ratio and the peak
// memory; exits non-zero when the month view's median is over 200 ms.
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
constexpr double kMonthLimitMs = 200;

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
    struct Side : panes::CalendarSide {
        explicit Side(controls::CalendarControl& c) : calendar(c) {}
        controls::CalendarControl& calendar;
        controls::CalendarControl* control() override { return &calendar; }
        QString translate(const QString& text) override { return text; }
        std::optional<long> pickPartner() override { return std::nullopt; }
        void postAccepted(int) override {}
    } side(calendar);
    panes::CalendarRoutines routines(side);
    QImage canvas(calendar.canvas()->size(), QImage::Format_ARGB32_Premultiplied);

    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    int shown = 0, read = 0;
    const auto paint = [&] {
        QPainter p(&canvas);
        calendar.paintView(p, QRectF(QPointF(0, 0), QSizeF(canvas.size())));
    };
    bench::Samples s;
    bool ok = bench::interleave(rounds,
                                {{"raw", [&] { return bench::timeMs([&] { read = readRaw(db); }); }},
                                 {"month", [&] {
                                      return bench::timeMs([&] {
                                          calendar.setViewType(controls::MonthView);
                                          routines.PopulateCalendar();
                                          paint();
                                          shown = calendar.DataProvider().count();
                                      });
                                  }},
                                 {"week", [&] {
                                      return bench::timeMs([&] {
                                          calendar.setViewType(controls::FullWeekView);
                                          calendar.Populate();
                                          paint();
                                      });
                                  }}},
                                s);
    bench::Report report("calendar with " + std::to_string(kEvents) + " events", rounds);
    if (!ok || read != kEvents || shown != kEvents)
        report.fail("the rows were not all read and shown");
    report.limit("month view ready (fill + paint)", s["month"], kMonthLimitMs, s["raw"]);
    report.show("week view painted", s["week"]);
    corvalde::KILLTABLEMANAGERS();
    std::filesystem::remove_all(dir);
    return report.finish();
}
