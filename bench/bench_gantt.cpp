// A plan of 5,000 activities and 5,000 links as the user waits for it: the plan file read,
// scheduled and one screen of the chart painted offscreen, against the floor of reading the
// same file with a plain XML reader and laying out the same activities (dates pushed along
// the links, each bar's place on one screen) without the chart; the ratio is shown. Then
// scheduling the loaded plan alone and the export to MS Project XML, against the floor of the
// same lines written as UTF-8 in one go with a plain file. Targets: scheduling at most 100 ms,
// the export at most 500 ms.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <unordered_map>

#include "bench/BenchSupport.h"
#include "controls/GanttProjectXml.h"
#include "controls/GanttView.h"
#include "procedures/common/Utf8Writer.h"

namespace {

constexpr int kGroups = 50, kPerGroup = 100;
constexpr double kScheduleLimitMs = 100, kExportLimitMs = 500;
const QDate kStart(2026, 1, 5);
const QSize kScreen(1400, 800);

// The plan: phases of activities, a chain through each phase and each phase after the one
// before.
void build(controls::GanttView& view)
{
    controls::GanttModel& plan = view.model();
    plan.setNonworkingDays(65);
    view.BeginUpdate();
    plan.beginChange();
    std::vector<long> acts;
    acts.reserve(kGroups * kPerGroup);
    for (int g = 0; g < kGroups; ++g) {
        const long wbs = plan.InsertItem(0, QStringLiteral("Faza %1").arg(g + 1));
        for (int i = 0; i < kPerGroup; ++i) {
            const long a = plan.InsertItem(wbs, QStringLiteral("Aktivnost %1.%2").arg(g + 1).arg(i + 1));
            plan.setCellValue(a, controls::CellStart, kStart);
            plan.setCellValue(a, controls::CellDuration, 1 + i % 4);
            acts.push_back(a);
        }
    }
    static const int kinds[4][2] = {{2, 0}, {0, 0}, {2, 2}, {0, 2}};
    for (size_t i = 0; i + 1 < acts.size(); ++i)
        plan.AddLink(acts[i], acts[i + 1], kinds[i % 4][0], kinds[i % 4][1], int(i % 3) - 1);
    plan.AddLink(acts[0], acts.back(), 2, 0, 0);
    plan.DefineSummaryBars();
    plan.RenumberWbs();
    plan.endChange();
    view.EndUpdate();
}

// Ours: the file read into the chart, scheduled, one screen painted.
double openChart(const QString& file, QImage& screen)
{
    return bench::timeMs([&] {
        controls::GanttView view;
        view.resize(kScreen);
        if (!view.model().load(file) || view.model().SchedulePDM() < 0)
            std::fprintf(stderr, "the plan did not open\n");
        view.setFirstVisibleDate(kStart.addDays(-3));
        view.render(&screen);
    });
}

// The floor: the same file read with QXmlStreamReader, the dates pushed along the links in
// one pass and the bars of one screen placed, with no chart.
double openFloor(const QString& file, int* placed)
{
    return bench::timeMs([&] {
        struct Activity {
            QDate start, end;
        };
        struct Link {
            long from, to;
            int delay;
        };
        std::vector<Activity> acts;
        std::unordered_map<long, size_t> at;
        std::vector<Link> links;
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        QXmlStreamReader xml(&f);
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement) {
                const QXmlStreamAttributes a = xml.attributes();
                if (xml.name() == u"Item") {
                    at[a.value(QLatin1String("id")).toLong()] = acts.size();
                    acts.push_back({QDate::fromString(a.value(QLatin1String("start")).toString(), Qt::ISODate),
                                    QDate::fromString(a.value(QLatin1String("end")).toString(), Qt::ISODate)});
                } else if (xml.name() == u"Link") {
                    links.push_back({a.value(QLatin1String("from")).toLong(), a.value(QLatin1String("to")).toLong(), a.value(QLatin1String("delay")).toInt()});
                }
            }
        for (const Link& l : links) {
            Activity& from = acts[at[l.from]];
            Activity& to = acts[at[l.to]];
            const QDate earliest = from.end.addDays(l.delay);
            if (to.start < earliest) {
                to.end = earliest.addDays(to.start.daysTo(to.end));
                to.start = earliest;
            }
        }
        const QDate first = kStart.addDays(-3);
        constexpr int dayWidth = 20, rowHeight = 20;
        *placed = 0;
        for (size_t i = 0; i < acts.size(); ++i) {
            const QRect bar(int(first.daysTo(acts[i].start)) * dayWidth, int(i) * rowHeight,
                            int(acts[i].start.daysTo(acts[i].end)) * dayWidth, rowHeight);
            *placed += bar.intersects(QRect(QPoint(0, 0), kScreen)) ? 1 : 0;
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = bench::roundsArg(argc, argv, bench::kRounds);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.xml"));
    {
        controls::GanttView view;
        build(view);
        std::printf("plan: %d rows, %d links\n", view.model().ItemCount(), view.model().linkCount());
        if (!view.model().save(file))
            return 1;
    }

    QImage screen(kScreen, QImage::Format_ARGB32_Premultiplied);
    controls::GanttView loaded;
    loaded.resize(kScreen);
    bool worked = loaded.model().load(file);
    int placed = 0;
    bench::Samples s;
    worked &= bench::interleave(rounds,
                                {{"floor", [&] { return openFloor(file, &placed); }},
                                 {"open", [&] { return openChart(file, screen); }},
                                 {"schedule", [&] {
                                      int moved = 0;
                                      const double ms = bench::timeMs([&] { moved = loaded.model().SchedulePDM(); });
                                      return moved < 0 ? -1 : ms;
                                  }},
                                 {"export", [&] {
                                      bool ok = false;
                                      const double ms = bench::timeMs([&] {
                                          const QStringList lines = controls::buildProjectXmlLines(
                                              loaded.model(), QDate::currentDate(), loaded.model().NonworkingDays());
                                          ok = VelmoraDll::S_WriteUTF8File(lines, dir.filePath(QStringLiteral("MyXml.xml")));
                                      });
                                      return ok ? ms : -1;
                                  }},
                                 {"export floor", [&] {
                                      bool ok = false;
                                      const double ms = bench::timeMs([&] {
                                          const QStringList lines = controls::buildProjectXmlLines(
                                              loaded.model(), QDate::currentDate(), loaded.model().NonworkingDays());
                                          QFile out(dir.filePath(QStringLiteral("floor.xml")));
                                          const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
                                          ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
                                      });
                                      return ok ? ms : -1;
                                  }}},
                                s);

    bench::Report report("gantt", rounds);
    if (!worked || placed == 0)
        report.fail("the work itself failed");
    report.ratio("open, schedule, paint a screen", s["open"], s["floor"], 0);
    report.limit("schedule all", s["schedule"], kScheduleLimitMs);
    report.limit("export MS Project XML", s["export"], kExportLimitMs, s["export floor"]);
    return report.finish();
}
