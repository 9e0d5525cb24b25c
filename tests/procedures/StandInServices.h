#pragma once
#include "procedures/contacts/ContactGroups.h"
#include "procedures/mail/MailActions.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/ProcedureRecorders.h"

// What the composition root gives the organiser window in the program, recorded for tests:
// the Gantt chart, the calendar and the record primer write each call to one log.
namespace organiser {

// The Gantt chart as a list of items with parents; calls are logged by name.
class RecordedGantt : public GanttApi {
public:
    explicit RecordedGantt(CallLog& log) : m_log(log) {}
    std::function<bool(const QDate&)> nonworking = [](const QDate& d) { return d.dayOfWeek() >= 6; };
    long focused = 0;
    std::set<long> withChildren;
    bool saveFails = false;
    int width = 333;

    void beginUpdate() override { m_log.add("BeginUpdate"); }
    void endUpdate() override { m_log.add("EndUpdate"); }
    void removeAllItems() override { m_log.add("RemoveAllItems"); m_items = 0; }
    bool loadXml(const QString& path) override;
    bool saveXml(const QString& path) override;
    void setAllowCellValueToItemBar(bool allow) override;
    int itemCount() override { return m_items; }
    long itemByIndex(int index) override { return index + 1; }
    void cellValueToItemBar(long item, int column, int barProperty) override;
    long insertItem() override;
    void setCellValue(long item, int column, const QVariant& value) override;
    bool isNonworkingDate(const QDate& date) override { return nonworking(date); }
    void selectItem(long item) override;
    void ensureVisibleItem(long item) override;
    void addBar(long item, const QString& kind, const QDate& start, const QDate& end) override;
    void setItemBar(long item, int property, const QVariant& value) override;
    void setAutoEdit(bool on) override;
    void edit() override { m_log.add("Edit"); }
    long focusItem() override { return focused; }
    long itemChild(long item) override { return withChildren.count(item) ? item + 1000 : 0; }
    void removeLinksOf(long item) override;
    void removeItem(long item) override;
    int paneWidth(int) override { return width; }
    void setPaneWidth(int pane, int w) override;

private:
    CallLog& m_log;
    int m_items = 0;
};

class RecordedCalendar : public CalendarApi {
public:
    explicit RecordedCalendar(CallLog& log) : m_log(log) {}
    void printPreview(int flag) override { m_log.add(QStringLiteral("PrintPreview(%1)").arg(flag)); }
    int refresh() override { m_log.add(QStringLiteral("PopulateCalendar")); return 0; }

private:
    CallLog& m_log;
};

class RecordedPrimer : public RecordPrimer {
public:
    explicit RecordedPrimer(CallLog& log) : m_log(log) {}
    bool fails = false;
    bool prime(Table table) override;
    void release(Table table) override;

private:
    CallLog& m_log;
};

// The window's panes for a window that goes without them: each step runs its function when
// the test gave one, else the `next` parts' (the real panes a test looks past), else nothing.
struct RecordedParts : WindowParts {
    WindowParts* next = nullptr;
    std::function<void()> onSaveMainLayout;
    std::function<int()> onResizeControls;
    std::function<void()> onSetupSplitters;
    std::function<void(int, int)> onSelectTreeRow;
    std::function<void()> onAfterEvent;
    std::function<int(int)> onPaneButton;
    std::function<void()> onFirstShown;

    void saveMainLayout() override { onSaveMainLayout ? onSaveMainLayout() : next ? next->saveMainLayout() : void(); }
    int resizeControls() override { return onResizeControls ? onResizeControls() : next ? next->resizeControls() : 0; }
    void setupSplitters() override { onSetupSplitters ? onSetupSplitters() : next ? next->setupSplitters() : void(); }
    void selectTreeRow(int c, int r) override { onSelectTreeRow ? onSelectTreeRow(c, r) : next ? next->selectTreeRow(c, r) : void(); }
    void afterEvent() override { onAfterEvent ? onAfterEvent() : next ? next->afterEvent() : void(); }
    int paneButton(int c) override { return onPaneButton ? onPaneButton(c) : next ? next->paneButton(c) : 0; }
    void firstShown() override { onFirstShown ? onFirstShown() : next ? next->firstShown() : void(); }
};

// The services a test window goes without, recorded in one log (the window's registries log
// there too).
struct StandInServices {
    CallLog log;
    RecordingUnattached unattached{log};
    RecordedGantt gantt{log};
    RecordedCalendar calendar{log};
    RecordedPrimer primer{log};
    RecordedParts parts;
    // Fills what `deps` leaves empty; answers `deps`.
    OrganiserDeps& fill(OrganiserDeps& deps)
    {
        if (!deps.gantt)
            deps.gantt = &gantt;
        if (!deps.calendar)
            deps.calendar = &calendar;
        if (!deps.primer)
            deps.primer = &primer;
        if (!deps.unattached)
            deps.unattached = &unattached;
        if (!deps.parts)
            deps.parts = &parts;
        // The features' own, as the composition root gives them.
        if (!deps.mail)
            deps.mail = &mailDesk();
        if (!deps.contactGroups)
            deps.contactGroups = &mailpeople::contactGroupDesk();
        return deps;
    }
};

} // namespace organiser
