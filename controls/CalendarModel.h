#pragma once
#include <QColor>
#include <QDateTime>
#include <QTimeZone>
#include <QRectF>
#include <QString>
#include <map>
#include <optional>
#include <vector>

// The calendar component's logic without widgets: its event store with labels (the data
// provider), the views' geometry (time grid, month grid, overlapping events side by side),
// hit testing and the mouse's move and resize rules. The widget only paints and forwards.
namespace controls {

// View types by number, as the organiser relies on them (3 = month).
enum CalendarViewType { DayView = 0, WorkWeekView = 1, WeekView = 2, MonthView = 3, FullWeekView = 4 };

// Times in the calendar are wall-clock times without a zone: the grid shows what the row
// says, a day never gains or loses an hour at a clock change, and no zone lookup is paid for
// each of thousands of events. Every time the component holds is made by this function.
QDateTime wallTime(const QDate& date, const QTime& time = QTime(0, 0));
// The same wall-clock time as a zoneless value (a local time keeps its date and clock time).
QDateTime asWallTime(const QDateTime& time);

struct CalendarEvent {
    long id = 0;
    QDateTime start, end;
    QString subject, location, body;
    int busyStatus = 0;
    int importance = 0;
    long label = 0;
    long scheduleId = 0;
    long recurrencePattern = 0;
    bool allDay = false;
    bool reminder = false;
    int reminderMinutes = 0;
};

struct CalendarLabel {
    QColor colour;
    QString name;
};

// A Windows RGB value (red in the low byte) as a colour, and back.
QColor colourFromRgbValue(long value);
long rgbValueFromColour(const QColor& colour);

// The data provider: events by identifier and the label list.
class CalendarStore {
public:
    void RemoveAllEvents();
    // A new event with `id`, not yet in the store.
    CalendarEvent CreateEventEx(long id) const;
    // Adds or replaces the event with the same identifier.
    void AddEvent(const CalendarEvent& event);
    const CalendarEvent* GetEvent(long id) const;
    CalendarEvent* GetEvent(long id);
    bool DeleteEvent(long id);
    // Accepts pending changes; counts the saves so callers can see the order of calls.
    void Save() { ++m_saves; }
    int saves() const { return m_saves; }

    // An identifier for an event the user makes in the control: never positive, so it can
    // never be taken for a stored row.
    long newUserId() { return --m_lastUserId; }

    int count() const { return int(m_events.size()); }
    const std::map<long, CalendarEvent>& events() const { return m_events; }
    // The events that touch [from, to) in start order (ties: longer first, then id).
    std::vector<const CalendarEvent*> eventsBetween(const QDateTime& from, const QDateTime& to) const;
    // For each day from `first` to `last`, whether any event touches it.
    std::vector<bool> daysWithEvents(const QDate& first, const QDate& last) const;

    // Label list.
    bool Find(long label) const { return m_labels.count(label) != 0; }
    void AddLabel(long label, const QColor& colour, const QString& name) { m_labels[label] = {colour, name}; }
    void RemoveAllLabels() { m_labels.clear(); }
    const CalendarLabel* label(long id) const;
    const std::map<long, CalendarLabel>& labels() const { return m_labels; }

private:
    std::map<long, CalendarEvent> m_events;
    std::map<long, CalendarLabel> m_labels;
    int m_saves = 0;
    long m_lastUserId = 0;
};

// One event placed in a day of a time grid: `columns` events share the width, this one is in
// `column` (from 0).
struct DayPlacement {
    long id = 0;
    int column = 0;
    int columns = 1;
};

// Side by side placement of the (timed) events of one day: events that overlap, directly or
// through a chain, form a group whose width is shared by as many columns as the group needs.
std::vector<DayPlacement> layoutDay(const std::vector<const CalendarEvent*>& events);

// What lies under a point of a view.
struct CalendarHit {
    enum Kind { Nothing, FreeSpace, Event, EventTop, EventBottom };
    Kind kind = Nothing;
    long eventId = 0;
    QDateTime time; // the slot (or, in the month view, the day at 0:00) under the point
};

// Where each event and slot is drawn in a view of a given size, and what a point hits.
class CalendarGeometry {
public:
    static constexpr int kSlotMinutes = 30;
    static constexpr double kSlotHeight = 22;
    static constexpr double kTimeColumn = 52;
    static constexpr double kDayHeader = 22;
    static constexpr double kMonthLine = 17;

    void setView(int viewType, const QDate& anchor);
    int viewType() const { return m_viewType; }
    QDate anchor() const { return m_anchor; }
    void setSize(const QSizeF& size) { m_size = size; }
    QSizeF size() const { return m_size; }
    // Time grids: the first hour shown at the top (scrolling).
    void setFirstHour(int hour) { m_firstHour = qBound(0, hour, 23); }
    int firstHour() const { return m_firstHour; }

    // The days the view shows, first to last.
    QDate firstDay() const;
    QDate lastDay() const;
    int dayCount() const { return int(firstDay().daysTo(lastDay())) + 1; }
    bool isMonth() const { return m_viewType == MonthView; }
    // The view one step earlier or later (a day, a week, a month).
    QDate stepped(int direction) const;

    // Time grids.
    QRectF dayColumn(const QDate& day) const; // the column under the header
    double yOf(const QTime& time) const;
    QDateTime slotAt(const QPointF& point) const;
    // Month grid (6 weeks of 7 days).
    QRectF monthCell(const QDate& day) const;
    QDate dayAt(const QPointF& point) const;

    struct Placed {
        long id = 0;
        QDate day; // the day (column or cell) this piece is drawn in
        QRectF rect;
    };
    // Lays out the store's events for the view; `more` gets the days whose events did not all
    // fit (month cells, or the strip of events over several days), with the number left out.
    std::vector<Placed> place(const CalendarStore& store, std::map<QDate, int>* more = nullptr) const;
    CalendarHit hitTest(const QPointF& point, const std::vector<Placed>& placed) const;

    // The event moved (keeping its length) so it starts at `start`.
    static void moveTo(CalendarEvent& event, const QDateTime& start);
    // The event's start or end put at `time`, never shorter than one slot.
    static void resizeStart(CalendarEvent& event, const QDateTime& time);
    static void resizeEnd(CalendarEvent& event, const QDateTime& time);

private:
    int m_viewType = FullWeekView;
    QDate m_anchor = QDate::currentDate();
    QSizeF m_size{800, 600};
    int m_firstHour = 7;
    mutable int m_bandRows = 0; // rows of the all-day strip, set by place()
};

} // namespace controls
