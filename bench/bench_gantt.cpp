// A plan of 5,000 activities and 5,000 links: scheduled, one screen of the chart painted
// offscreen, saved and exported to MS Project XML. Prints each time and the peak memory;
// exits non-zero when scheduling takes over 100 ms or the export over 500 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "controls/GanttProjectXml.h"
#include "controls/GanttView.h"
#include "procedures/common/Utf8Writer.h"

namespace {

constexpr int kGroups = 50, kPerGroup = 100;
constexpr double kScheduleLimitMs = 100, kExportLimitMs = 500;

std::string peakMemory()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return line.substr(6);
    return "?";
}

double ms(QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    controls::GanttView view;
    view.resize(1400, 800);
    controls::GanttModel& plan = view.model();
    plan.setNonworkingDays(65);
    const QDate start(2026, 1, 5);

    view.BeginUpdate();
    plan.beginChange();
    std::vector<long> acts;
    acts.reserve(kGroups * kPerGroup);
    for (int g = 0; g < kGroups; ++g) {
        const long wbs = plan.InsertItem(0, QStringLiteral("Faza %1").arg(g + 1));
        for (int i = 0; i < kPerGroup; ++i) {
            const long a = plan.InsertItem(wbs, QStringLiteral("Aktivnost %1.%2").arg(g + 1).arg(i + 1));
            plan.setCellValue(a, controls::CellStart, start);
            plan.setCellValue(a, controls::CellDuration, 1 + i % 4);
            acts.push_back(a);
        }
    }
    // A chain through each phase, and each phase after the one before: 5,000 links.
    static const int kinds[4][2] = {{2, 0}, {0, 0}, {2, 2}, {0, 2}};
    for (size_t i = 0; i + 1 < acts.size(); ++i)
        plan.AddLink(acts[i], acts[i + 1], kinds[i % 4][0], kinds[i % 4][1], int(i % 3) - 1);
    plan.AddLink(acts[0], acts.back(), 2, 0, 0);
    plan.DefineSummaryBars();
    plan.RenumberWbs();
    plan.endChange();
    view.EndUpdate();
    std::printf("plan: %d rows, %d links\n", plan.ItemCount(), plan.linkCount());

    QElapsedTimer t;
    t.start();
    const int moved = plan.SchedulePDM();
    const double scheduleMs = ms(t);
    std::printf("schedule all:        %8.1f ms (%d moved; limit %.0f ms)\n", scheduleMs, moved, kScheduleLimitMs);

    view.setFirstVisibleDate(start.addDays(-3));
    view.show();
    QApplication::processEvents();
    QImage screen(view.size(), QImage::Format_ARGB32_Premultiplied);
    t.restart();
    view.render(&screen);
    std::printf("paint one screen:    %8.1f ms\n", ms(t));

    t.restart();
    const bool saved = plan.save(dir.filePath("plan.xml"));
    std::printf("save:                %8.1f ms (%lld bytes)\n", ms(t), QFile(dir.filePath("plan.xml")).size());

    t.restart();
    const QStringList lines = controls::buildProjectXmlLines(plan, QDate::currentDate(), plan.NonworkingDays());
    std::printf("  lines built:       %8.1f ms (%lld lines)\n", ms(t), qlonglong(lines.size()));
    const bool exported = VelmoraDll::S_WriteUTF8File(lines, dir.filePath("MyXml.xml"));
    const double exportMs = ms(t);
    std::printf("export MS Project:   %8.1f ms (%lld bytes; limit %.0f ms)\n", exportMs,
                QFile(dir.filePath("MyXml.xml")).size(), kExportLimitMs);
    std::printf("peak memory (VmHWM): %s\n", peakMemory().c_str());

    if (moved < 0 || !saved || !exported) {
        std::printf("FAILED: the work itself failed\n");
        return 1;
    }
    if (scheduleMs > kScheduleLimitMs || exportMs > kExportLimitMs) {
        std::printf("FAILED: over the limit\n");
        return 1;
    }
    return 0;
}
