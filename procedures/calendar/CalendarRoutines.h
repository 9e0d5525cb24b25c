#pragma once
#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "procedures/organiser/window/OrganiserServices.h"
#include "procedures/organiser/panes/PaneButtons.h"

struct CAL_CalendarEvents_Rec;
namespace controls {
class CalendarControl;
struct CalendarEvent;
}
namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// The calendar page's routines: the bridge between the calendar table and the calendar
// component's own store (loading it, labels from the categories, the component's events
// written back to the table), the standard categories, and the calendar's print.
namespace panes {

constexpr long kNoEvent = 9999999;

// The calendar's selection (or the times of the event being stored), kept for the task form.
// Values, not texts: nothing passes through a date format on the way.
struct CalendarSelection {
    QDateTime start, end;
    void clear() { start = end = QDateTime(); }
};
CalendarSelection& calendarSelection();

// The twelve standard categories: identifier, name (before translation), colour, first order.
struct StandardCategory {
    int id;
    const char* name;
    long colour;
    int order;
};
const std::vector<StandardCategory>& standardCategories();
// Standard: identifiers below 13 and the pseudo-category of all categories.
bool isStandardCategory(long id, long order);
constexpr long kAllCategories = 12;
constexpr long kAllCategoriesOrder = 999999;

// What the routines need of the window that holds the component.
class CalendarSide {
public:
    virtual ~CalendarSide() = default;
    virtual controls::CalendarControl* control() = 0; // none before the window made it
    virtual QString translate(const QString& text) = 0;
    // The contact browse in pick mode: the chosen contact, or none when cancelled.
    virtual std::optional<long> pickPartner() = 0;
    virtual void postAccepted(int control) = 0; // the window's hidden controls 4 and 5
};

// The window's module values the component's events set (none: not kept).
struct CalendarRoutineDeps {
    long* pendingCommand = nullptr;   // W_First.PendingCommand
    int* menuMode = nullptr;          // CalendarMenuMode
    int* deleteFlag = nullptr;        // CalendarDeleteFlag
    // The partner of an event added in the component is asked for after the component's
    // handler returned (so the modal browse does not run inside it); tests ask at once.
    bool askPartnerLater = true;
};

class CalendarRoutines {
public:
    // `side` outlives the routines.
    explicit CalendarRoutines(CalendarSide& side, CalendarRoutineDeps deps = {}) : m_side(side), m_d(deps) {}

    int PopulateCalendar();
    // W_First.ProvjeriLabel: the component knows the category's label (colour and name).
    void ProvjeriLabel(long label);
    int T_CategoriesColor();
    // S_CalendarEvents: the component's named event; 1 after an added event was dropped.
    int S_CalendarEvents(const QString& name, long eventId);

    // The event of a row in the component (every column the component shows).
    static controls::CalendarEvent eventFromRow(const CAL_CalendarEvents_Rec& row);

    controls::CalendarControl* control() const { return m_side.control(); }
    QString tr(const QString& text) const { return m_side.translate(text); }

private:
    int StoreAddedEvent(long tempId);
    int storeWithPartner(long tempId, std::optional<long> partner);
    void ReplaceControlEvent(long tempId);
    int DropControlEvent(long tempId);
    void writeBackChange(long eventId);

    CalendarSide& m_side;
    CalendarRoutineDeps m_d;
};

// The component behind the window's calendar calls: the print of the command 4004/4005 and
// the typed operations of the hand-off to the task form.
class CalendarLink : public QObject, public organiser::CalendarEvents {
    Q_OBJECT
public:
    explicit CalendarLink(QObject* parent = nullptr) : QObject(parent) {}
    void printPreview(int flag);

    int viewType() override;
    bool hasEvent(long id) override;
    void addEvent(const organiser::CalendarEventFields& event) override;
    void changeEvent(const organiser::CalendarEventFields& event) override;
    void deleteEvent(long id) override;
    void save() override;
    void populate() override;
    void ensureLabel(long label) override;

    // The routines over `side`, which the link keeps.
    CalendarRoutines* setRoutines(std::unique_ptr<CalendarSide> side, CalendarRoutineDeps deps)
    {
        m_side = std::move(side);
        m_routines = std::make_unique<CalendarRoutines>(*m_side, deps);
        return m_routines.get();
    }
    CalendarRoutines* routines() const { return m_routines.get(); }

private:
    controls::CalendarControl* control() const { return m_routines ? m_routines->control() : nullptr; }
    void put(const organiser::CalendarEventFields& event);
    std::unique_ptr<CalendarSide> m_side;
    std::unique_ptr<CalendarRoutines> m_routines;
};

// Gives the organiser window its calendar: the link behind the dispatcher's calendar calls
// (made before the window), then the routines, the component's events, the popup menu's
// items and the task forms once the window and its panes exist.
CalendarLink* makeCalendarLink();
void attachCalendar(organiser::FeatureHost& host);

} // namespace panes
