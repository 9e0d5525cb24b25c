#include "controls/GanttProjectXml.h"

#include "controls/GanttModel.h"

namespace controls {

namespace {

QString day(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString(); }

// Character data: what XML cannot carry is dropped, the three markup characters escaped.
QString xmlText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        if (c.isSurrogate() || (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) || u == 0xFFFE || u == 0xFFFF)
            continue;
        switch (u) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '>': out += QStringLiteral("&gt;"); break;
        default: out += c;
        }
    }
    return out;
}

class Lines {
public:
    QStringList out;
    void raw(const char* line) { out << QString::fromLatin1(line); }
    void el(QLatin1StringView name, QStringView value)
    {
        QString line;
        line.reserve(2 * name.size() + value.size() + 5);
        line += QLatin1Char('<');
        line += name;
        line += QLatin1Char('>');
        line += value;
        line += QLatin1String("</");
        line += name;
        line += QLatin1Char('>');
        out << line;
    }
    void el(const char* name, const QString& value) { el(QLatin1StringView(name), QStringView(value)); }
    void el(const char* name, const char* value) { el(QLatin1StringView(name), QString::fromLatin1(value)); }
    void el(const char* name, long long value) { el(QLatin1StringView(name), QString::number(value)); }
    // Elements with fixed values, in order: name, value, name, value ...
    void fixed(std::initializer_list<const char*> pairs)
    {
        for (auto it = pairs.begin(); it != pairs.end() && it + 1 != pairs.end(); it += 2)
            el(*it, *(it + 1));
    }
};

} // namespace

std::array<bool, 7> decodeNonworkingMask(int mask)
{
    std::array<bool, 7> off{};
    if ((mask & 0xFF) == 128) {
        off.fill(true);
        return off;
    }
    for (int bit = 0; bit < 7; ++bit)
        off[size_t(bit)] = (mask & (1 << bit)) != 0;
    return off;
}

QStringList buildProjectXmlLines(const GanttModel& plan, const QDate& today, int mask)
{
    // Project dates: dates that are missing or unreadable take no part.
    QDate first, last;
    for (int i = 0; i < plan.ItemCount(); ++i) {
        const GanttBar& b = plan.bar(plan.ItemByIndex(i));
        if (b.start.isValid() && (!first.isValid() || b.start < first))
            first = b.start;
        if (b.end.isValid() && (!last.isValid() || b.end > last))
            last = b.end;
    }
    const std::array<bool, 7> off = decodeNonworkingMask(mask);
    const int k = int(std::count(off.begin(), off.end(), true));
    const QString now = day(today);

    Lines l;
    l.out.reserve(200 + qsizetype(plan.ItemCount()) * 90 + qsizetype(plan.linkCount()) * 7);
    l.raw(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)");
    l.out << QStringLiteral("<Project xmlns=\"%1\">").arg(QLatin1String(kProjectNamespace));
    l.fixed({"Name", "ProjectName", "Title", "ProjectTitle", "Author", "Windows User"});
    l.el("CreationDate", now);
    l.el("LastSaved", now);
    l.el("ScheduleFromStart", "1");
    l.el("StartDate", day(first));
    l.el("FinishDate", day(last));
    l.fixed({"FYStartDate", "1", "CriticalSlackLimit", "0", "CurrencyDigits", "2", "CurrencySymbol", "", "CurrencyCode", "",
             "CurrencySymbolPosition", "3", "CalendarUID", "1", "DefaultStartTime", "08:00:00", "DefaultFinishTime",
             "17:00:00", "MinutesPerDay", "480"});
    l.el("MinutesPerWeek", (7 - k) * 480);
    l.el("DaysPerMonth", (7 - k) * 4);
    l.fixed({"DefaultTaskType", "0", "DefaultFixedCostAccrual", "3", "DefaultStandardRate", "0", "DefaultOvertimeRate", "0",
             "DurationFormat", "7", "WorkFormat", "3", "EditableActualCosts", "0", "HonorConstraints", "0",
             "InsertedProjectsLikeSummary", "1", "MultipleCriticalPaths", "0", "NewTasksEffortDriven", "0",
             "NewTasksEstimated", "1", "SplitsInProgressTasks", "1", "SpreadActualCost", "0", "SpreadPercentComplete", "0",
             "TaskUpdatesResource", "1", "FiscalYearStart", "0", "WeekStartDay", "1", "MoveCompletedEndsBack", "0",
             "MoveRemainingStartsBack", "0", "MoveRemainingStartsForward", "0", "MoveCompletedEndsForward", "0",
             "BaselineForEarnedValue", "0", "AutoAddNewResourcesAndTasks", "1"});
    l.el("CurrentDate", now);
    l.fixed({"MicrosoftProjectServerURL", "0", "Autolink", "0", "NewTaskStartDate", "0", "NewTasksAreManual", "1",
             "DefaultTaskEVMethod", "0", "ProjectExternallyEdited", "0", "ExtendedCreationDate", "1984-01-01T00:00:00",
             "ActualsInSync", "1", "RemoveFileProperties", "0", "AdminProject", "0",
             "UpdateManuallyScheduledTasksWhenEditingLinks", "1", "KeepTaskOnNearestWorkingTimeWhenMadeAutoScheduled", "0"});
    for (const char* line : {"<OutlineCodes/>", "<WBSMasks/>", "<ExtendedAttributes/>", "<Calendars>", "<Calendar>"})
        l.raw(line);
    l.fixed({"UID", "1", "Name", "Standard", "IsBaseCalendar", "1", "IsBaselineCalendar", "0", "BaseCalendarUID", "-1"});
    l.raw("<WeekDays>");
    for (int d = 1; d <= 7; ++d) {
        l.raw("<WeekDay>");
        l.el("DayType", d);
        l.el("DayWorking", off[size_t(d - 1)] ? "0" : "1");
        l.raw("<WorkingTimes>");
        for (auto [from, to] : {std::pair{"08:00:00", "12:00:00"}, {"13:00:00", "17:00:00"}}) {
            l.raw("<WorkingTime>");
            l.el("FromTime", from);
            l.el("ToTime", to);
            l.raw("</WorkingTime>");
        }
        l.raw("</WorkingTimes>");
        l.raw("</WeekDay>");
    }
    for (const char* line : {"</WeekDays>", "</Calendar>", "</Calendars>", "<Tasks>"})
        l.raw(line);

    // Predecessors by successor, in link order.
    std::unordered_map<long, std::vector<const GanttLink*>> into;
    for (const GanttLink& link : plan.links())
        into[link.end].push_back(&link);

    // The lines every task repeats, made once.
    const auto block = [](std::initializer_list<const char*> pairs) {
        Lines b;
        b.fixed(pairs);
        return b.out;
    };
    const QStringList fixed1 = block({"Active", "1", "Manual", "0", "Type", "0", "IsNull", "0"});
    const QStringList fixed2 = block({"DurationFormat", "7", "Work", "PT0H0M0S", "ResumeValid", "0", "EffortDriven", "0", "Recurring", "0",
                 "OverAllocated", "0", "Estimated", "1"});
    const QStringList fixed3 = block({"Critical", "0", "IsSubproject", "0", "IsSubprojectReadOnly", "0", "ExternalTask", "0"});
    const QStringList fixed4 = block({"LateStart", "", "LateFinish", "", "StartVariance", "0", "FinishVariance", "0", "WorkVariance", "0,00",
                 "FreeSlack", "0", "TotalSlack", "0", "StartSlack", "0", "FinishSlack", "0", "FixedCost", "0",
                 "FixedCostAccrual", "3", "PercentComplete", "0"});
    const QStringList fixed5 = block({"PercentWorkComplete", "0", "Cost", "0", "OvertimeCost", "0", "OvertimeWork", "PT0H0M0S",
                 "ActualDuration", "PT0H0M0S", "ActualCost", "0", "ActualOvertimeCost", "0", "ActualWork", "PT0H0M0S",
                 "ActualOvertimeWork", "PT0H0M0S", "RegularWork", "PT0H0M0S", "RemainingDuration", "PT8H0M0S",
                 "RemainingCost", "0", "RemainingWork", "PT0H0M0S", "RemainingOvertimeCost", "0",
                 "RemainingOvertimeWork", "PT0H0M0S", "ACWP", "0,00", "CV", "0,00", "ConstraintType", "4",
                 "CalendarUID", "-1", "LevelAssignments", "1", "LevelingCanSplit", "1", "LevelingDelay", "0",
                 "LevelingDelayFormat", "8", "IgnoreResourceCalendar", "1", "HideBar", "0", "Rollup", "0", "BCWS", "0,00",
                 "BCWP", "0,00", "PhysicalPercentComplete", "0", "EarnedValueMethod", "0"});
    const QStringList fixed6 = block({"IsPublished", "1", "CommitmentType", "0"});
    long long n = 0;
    for (long item : plan.treeOrder()) {
        ++n;
        const GanttBar& b = plan.bar(item);
        const QString bar = b.name;
        const bool summary = bar == QLatin1String("Summary") || bar == QLatin1String("Project Summary");
        const int level = plan.cellText(item, CellLevel).toInt() + 1;
        l.raw("<Task>");
        l.el("UID", n);
        l.el("ID", n);
        l.el("Name", xmlText(plan.cellText(item, CellName)));
        l.out += fixed1;
        l.el("CreateDate", now);
        l.el("WBS", n);
        l.el("OutlineNumber", xmlText(plan.cellText(item, CellWbs)));
        l.el("OutlineLevel", level);
        l.el("Priority", "500");
        l.el("Start", day(b.start));
        l.el("Finish", day(b.end));
        l.el("Duration", QStringLiteral("PT%1H0M0S").arg(qlonglong(plan.duration(item)) * 8));
        l.out += fixed2;
        l.el("Milestone", bar == QLatin1String("Milestone") ? "1" : "0");
        l.el("Summary", summary ? "1" : "0");
        l.el("DisplayAsSummary", summary ? "1" : "0");
        l.out += fixed3;
        l.el("EarlyStart", day(b.start));
        l.el("EarlyFinish", day(b.end));
        l.out += fixed4;
        l.out += fixed5;
        if (const auto it = into.find(item); it != into.end()) {
            for (const GanttLink* link : it->second) {
                l.raw("<PredecessorLink>");
                l.el("PredecessorUID", plan.cellText(link->start, CellRow));
                const int type = link->startPos == 2 && link->endPos == 0   ? 1
                                 : link->startPos == 0 && link->endPos == 0 ? 3
                                 : link->startPos == 2 && link->endPos == 2 ? 0
                                 : link->startPos == 0 && link->endPos == 2 ? 2
                                                                            : -1;
                if (type >= 0)
                    l.el("Type", type);
                l.el("CrossProject", "0");
                l.el("LinkLag", qlonglong(link->delay) * 4800);
                l.el("LagFormat", "7");
                l.raw("</PredecessorLink>");
            }
        }
        l.out += fixed6;
        l.raw("</Task>");
    }
    l.raw("</Tasks>");
    // The file's fixed resource and assignment blocks: a plan keeps no resources, and
    // importers expect both blocks filled.
    l.raw("<Resources>");
    l.raw("<Resource>");
    l.fixed({"UID", "0", "ID", "0", "Type", "1", "IsNull", "0", "WorkGroup", "0", "MaxUnits", "1,00", "PeakUnits", "0,00",
             "OverAllocated", "0", "CanLevel", "1", "AccrueAt", "3", "Work", "PT0H0M0S", "RegularWork", "PT0H0M0S",
             "OvertimeWork", "PT0H0M0S", "ActualWork", "PT0H0M0S", "RemainingWork", "PT0H0M0S", "ActualOvertimeWork",
             "PT0H0M0S", "RemainingOvertimeWork", "PT0H0M0S", "PercentWorkComplete", "0", "StandardRate", "0",
             "StandardRateFormat", "2", "Cost", "0", "OvertimeRate", "0", "OvertimeRateFormat", "2", "OvertimeCost", "0",
             "CostPerUse", "0", "ActualCost", "0", "ActualOvertimeCost", "0", "RemainingCost", "0",
             "RemainingOvertimeCost", "0", "WorkVariance", "0,00", "CostVariance", "0", "SV", "0,00", "CV", "0,00",
             "ACWP", "0,00", "CalendarUID", "2", "BCWS", "0,00", "BCWP", "0,00", "IsGeneric", "0", "IsInactive", "0",
             "IsEnterprise", "0", "BookingType", "0", "CreationDate", "2011-07-28T13:03:00", "IsCostResource", "0",
             "IsBudget", "0"});
    l.raw("</Resource>");
    l.raw("</Resources>");
    l.raw("<Assignments>");
    l.raw("<Assignment>");
    l.fixed({"UID", "0", "TaskUID", "0", "ResourceUID", "2", "PercentWorkComplete", "0", "ActualCost", "0",
             "ActualOvertimeCost", "0", "ActualOvertimeWork", "PT0H0M0S", "ActualWork", "PT0H0M0S", "ACWP", "0,00",
             "Confirmed", "0", "Cost", "0", "CostRateTable", "0", "RateScale", "0", "CostVariance", "0", "CV", "0,00",
             "Delay", "0", "Finish", "2011-07-26T17:00:00", "FinishVariance", "0", "WorkVariance", "2880000,00",
             "HasFixedRateUnits", "1", "FixedMaterial", "0", "LevelingDelay", "0", "LevelingDelayFormat", "7",
             "LinkedFields", "0", "Milestone", "0", "Overallocated", "0", "OvertimeCost", "0", "OvertimeWork",
             "PT0H0M0S", "RegularWork", "PT48H0M0S", "RemainingCost", "0", "RemainingOvertimeCost", "0",
             "RemainingOvertimeWork", "PT0H0M0S", "RemainingWork", "PT48H0M0S", "ResponsePending", "0",
             "Start", "2011-07-20T08:00:00", "StartVariance", "0", "Units", "1", "UpdateNeeded", "0", "VAC", "0,00",
             "Work", "PT48H0M0S", "WorkContour", "0", "BCWS", "0,00", "BCWP", "0,00", "BookingType", "0",
             "CreationDate", "2011-07-28T13:15:00", "BudgetCost", "0", "BudgetWork", "PT0H0M0S"});
    l.raw("</Assignment>");
    l.raw("</Assignments>");
    l.raw("</Project>");
    return l.out;
}

} // namespace controls
