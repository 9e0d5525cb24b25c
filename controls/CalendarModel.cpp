#include "controls/CalendarModel.h"

#include <algorithm>
#include <cmath>

namespace controls {

QColor colourFromRgbValue(long value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

long rgbValueFromColour(const QColor& colour)
{
    return long(colour.red()) | (long(colour.green()) << 8) | (long(colour.blue()) << 16);
}

QDateTime wallTime(const QDate& date, const QTime& time) { return QDateTime(date, time, Qt::UTC); }

QDateTime asWallTime(const QDateTime& time)
{
    if (!time.isValid() || time.timeSpec() == Qt::UTC)
        return time;
    return wallTime(time.date(), time.time());
}

// ---- store ---------------------------------------------------------------------------------

void CalendarStore::RemoveAllEvents() { m_events.clear(); }

CalendarEvent CalendarStore::CreateEventEx(long id) const
{
    CalendarEvent e;
    e.id = id;
    return e;
}

void CalendarStore::AddEvent(const CalendarEvent& event)
{
    CalendarEvent& e = m_events[event.id] = event;
    e.start = asWallTime(e.start);
    e.end = asWallTime(e.end);
}

const CalendarEvent* CalendarStore::GetEvent(long id) const
{
    const auto it = m_events.find(id);
    return it == m_events.end() ? nullptr : &it->second;
}

CalendarEvent* CalendarStore::GetEvent(long id)
{
    const auto it = m_events.find(id);
    return it == m_events.end() ? nullptr : &it->second;
}

bool CalendarStore::DeleteEvent(long id) { return m_events.erase(id) != 0; }

const CalendarLabel* CalendarStore::label(long id) const
{
    const auto it = m_labels.find(id);
    return it == m_labels.end() ? nullptr : &it->second;
}

namespace {
// An event without a valid end, or ending before it starts, is shown as one slot long.
QDateTime shownEnd(const CalendarEvent& e)
{
    if (!e.end.isValid() || e.end <= e.start)
        return e.start.addSecs(CalendarGeometry::kSlotMinutes * 60);
    return e.end;
}

bool touches(const CalendarEvent& e, const QDateTime& from, const QDateTime& to)
{
    return e.start.isValid() && e.start < to && shownEnd(e) > from;
}

bool startOrder(const CalendarEvent* a, const CalendarEvent* b)
{
    if (a->start != b->start)
        return a->start < b->start;
    const QDateTime ea = shownEnd(*a), eb = shownEnd(*b);
    if (ea != eb)
        return ea > eb;
    return a->id < b->id;
}

// Shown in the all-day strip of a time grid rather than in the day's hours.
bool spansDays(const CalendarEvent& e)
{
    return e.allDay || e.start.date() != shownEnd(e).addMSecs(-1).date();
}
} // namespace

std::vector<const CalendarEvent*> CalendarStore::eventsBetween(const QDateTime& from, const QDateTime& to) const
{
    std::vector<const CalendarEvent*> out;
    for (const auto& [id, e] : m_events)
        if (touches(e, from, to))
            out.push_back(&e);
    std::sort(out.begin(), out.end(), startOrder);
    return out;
}

std::vector<bool> CalendarStore::daysWithEvents(const QDate& first, const QDate& last) const
{
    // Each day's bounds and each event's times are turned into numbers once: a local
    // date-time comparison converts both sides every time.
    std::vector<qint64> bounds;
    for (QDate d = first; d <= last.addDays(1); d = d.addDays(1))
        bounds.push_back(QDateTime(d, QTime(0, 0)).toMSecsSinceEpoch());
    std::vector<bool> marked(bounds.empty() ? 0 : bounds.size() - 1, false);
    for (const auto& [id, e] : m_events) {
        if (!e.start.isValid())
            continue;
        const qint64 start = e.start.toMSecsSinceEpoch(), end = shownEnd(e).toMSecsSinceEpoch();
        for (size_t i = 0; i < marked.size(); ++i)
            if (start < bounds[i + 1] && end > bounds[i])
                marked[i] = true;
    }
    return marked;
}

// ---- day layout ----------------------------------------------------------------------------

std::vector<DayPlacement> layoutDay(const std::vector<const CalendarEvent*>& events)
{
    std::vector<const CalendarEvent*> sorted = events;
    std::sort(sorted.begin(), sorted.end(), startOrder);
    std::vector<DayPlacement> out;
    size_t groupStart = 0;
    std::vector<QDateTime> columnEnds; // per column of the current group: where it is free
    QDateTime groupEnd;
    auto closeGroup = [&] {
        for (size_t i = groupStart; i < out.size(); ++i)
            out[i].columns = int(columnEnds.size());
        groupStart = out.size();
        columnEnds.clear();
    };
    for (const CalendarEvent* e : sorted) {
        if (!columnEnds.empty() && e->start >= groupEnd)
            closeGroup();
        const QDateTime end = shownEnd(*e);
        int column = 0;
        while (column < int(columnEnds.size()) && columnEnds[size_t(column)] > e->start)
            ++column;
        if (column == int(columnEnds.size()))
            columnEnds.push_back(end);
        else
            columnEnds[size_t(column)] = end;
        groupEnd = out.size() == groupStart ? end : std::max(groupEnd, end);
        out.push_back({e->id, column, 1});
    }
    closeGroup();
    return out;
}

// ---- geometry ------------------------------------------------------------------------------

void CalendarGeometry::setView(int viewType, const QDate& anchor)
{
    m_viewType = viewType >= DayView && viewType <= FullWeekView ? viewType : FullWeekView;
    if (anchor.isValid())
        m_anchor = anchor;
}

QDate CalendarGeometry::firstDay() const
{
    switch (m_viewType) {
    case DayView: return m_anchor;
    case MonthView: {
        const QDate first(m_anchor.year(), m_anchor.month(), 1);
        return first.addDays(1 - first.dayOfWeek());
    }
    default: return m_anchor.addDays(1 - m_anchor.dayOfWeek());
    }
}

QDate CalendarGeometry::lastDay() const
{
    switch (m_viewType) {
    case DayView: return m_anchor;
    case WorkWeekView: return firstDay().addDays(4);
    case MonthView: return firstDay().addDays(41);
    default: return firstDay().addDays(6);
    }
}

QDate CalendarGeometry::stepped(int direction) const
{
    switch (m_viewType) {
    case DayView: return m_anchor.addDays(direction);
    case MonthView: return m_anchor.addMonths(direction);
    default: return m_anchor.addDays(7 * direction);
    }
}

QRectF CalendarGeometry::dayColumn(const QDate& day) const
{
    const double width = (m_size.width() - kTimeColumn) / dayCount();
    const double top = kDayHeader + m_bandRows * kMonthLine;
    return QRectF(kTimeColumn + width * double(firstDay().daysTo(day)), top, width, m_size.height() - top);
}

double CalendarGeometry::yOf(const QTime& time) const
{
    const double minutes = time.hour() * 60 + time.minute() + time.second() / 60.0;
    return kDayHeader + m_bandRows * kMonthLine + (minutes - m_firstHour * 60) / kSlotMinutes * kSlotHeight;
}

QDateTime CalendarGeometry::slotAt(const QPointF& p) const
{
    if (isMonth()) {
        const QDate day = dayAt(p);
        return day.isValid() ? wallTime(day) : QDateTime();
    }
    const double width = (m_size.width() - kTimeColumn) / dayCount();
    if (p.x() < kTimeColumn || width <= 0)
        return {};
    const int column = int((p.x() - kTimeColumn) / width);
    if (column < 0 || column >= dayCount())
        return {};
    const double top = kDayHeader + m_bandRows * kMonthLine;
    int slot = int(std::floor((p.y() - top) / kSlotHeight)) + m_firstHour * 60 / kSlotMinutes;
    slot = std::clamp(slot, 0, 24 * 60 / kSlotMinutes - 1);
    return wallTime(firstDay().addDays(column), QTime(0, 0).addSecs(slot * kSlotMinutes * 60));
}

QRectF CalendarGeometry::monthCell(const QDate& day) const
{
    const qint64 index = firstDay().daysTo(day);
    const double width = m_size.width() / 7, height = (m_size.height() - kDayHeader) / 6;
    return QRectF(width * double(index % 7), kDayHeader + height * double(index / 7), width, height);
}

QDate CalendarGeometry::dayAt(const QPointF& p) const
{
    if (!isMonth()) {
        const QDateTime slot = slotAt(p);
        return slot.isValid() ? slot.date() : QDate();
    }
    const double width = m_size.width() / 7, height = (m_size.height() - kDayHeader) / 6;
    if (p.y() < kDayHeader || width <= 0 || height <= 0)
        return {};
    const int column = int(p.x() / width), row = int((p.y() - kDayHeader) / height);
    if (column < 0 || column > 6 || row < 0 || row > 5)
        return {};
    return firstDay().addDays(row * 7 + column);
}

std::vector<CalendarGeometry::Placed> CalendarGeometry::place(const CalendarStore& store, std::map<QDate, int>* more) const
{
    std::vector<Placed> out;
    const QDate first = firstDay(), last = lastDay();
    const auto events = store.eventsBetween(wallTime(first), wallTime(last.addDays(1)));

    if (isMonth()) {
        const double width = m_size.width() / 7, height = (m_size.height() - kDayHeader) / 6;
        const int lines = std::max(0, int((height - kMonthLine) / kMonthLine));
        std::map<QDate, int> used;
        for (const CalendarEvent* e : events) {
            const QDate from = std::max(first, e->start.date());
            const QDate to = std::min(last, shownEnd(*e).addMSecs(-1).date());
            for (QDate d = from; d <= to; d = d.addDays(1)) {
                int& n = used[d];
                if (n < lines) {
                    const QRectF cell = monthCell(d);
                    out.push_back({e->id, d, QRectF(cell.left() + 2, cell.top() + kMonthLine * (n + 1), width - 4, kMonthLine - 1)});
                } else if (more) {
                    ++(*more)[d];
                }
                ++n;
            }
        }
        return out;
    }

    // Time grid: events over more than one day (or all day) go in rows of the strip above
    // the hours, the rest side by side in their day.
    std::vector<std::pair<const CalendarEvent*, int>> band; // event, row
    std::vector<QDate> rowEnds;
    std::map<QDate, std::vector<const CalendarEvent*>> days;
    for (const CalendarEvent* e : events) {
        if (!spansDays(*e)) {
            days[e->start.date()].push_back(e);
            continue;
        }
        const QDate from = std::max(first, e->start.date());
        const QDate to = std::min(last, shownEnd(*e).addMSecs(-1).date());
        size_t row = 0;
        while (row < rowEnds.size() && rowEnds[row] >= from)
            ++row;
        if (row == rowEnds.size())
            rowEnds.push_back(to);
        else
            rowEnds[row] = to;
        band.push_back({e, int(row)});
    }
    m_bandRows = std::min(int(rowEnds.size()), 4);
    const double width = (m_size.width() - kTimeColumn) / dayCount();
    for (const auto& [e, row] : band) {
        const QDate from = std::max(first, e->start.date());
        const QDate to = std::min(last, shownEnd(*e).addMSecs(-1).date());
        if (row >= m_bandRows) {
            // Counted on each of its days, so the strip says what it leaves out.
            if (more)
                for (QDate d = from; d <= to; d = d.addDays(1))
                    ++(*more)[d];
            continue;
        }
        const double left = kTimeColumn + width * double(first.daysTo(from));
        out.push_back({e->id, from, QRectF(left + 1, kDayHeader + row * kMonthLine, width * double(from.daysTo(to) + 1) - 2, kMonthLine - 1)});
    }
    for (const auto& [day, list] : days) {
        const QRectF column = dayColumn(day);
        for (const DayPlacement& p : layoutDay(list)) {
            const CalendarEvent* e = store.GetEvent(p.id);
            const double top = yOf(e->start.time());
            const double bottom = std::max(top + kSlotHeight / 2, yOf(shownEnd(*e).time()) + (shownEnd(*e).date() > day ? 24 * 60 / kSlotMinutes * kSlotHeight : 0));
            const double w = (column.width() - 6) / p.columns;
            out.push_back({p.id, day, QRectF(column.left() + 1 + w * p.column, top, w - 1, bottom - top)});
        }
    }
    return out;
}

CalendarHit CalendarGeometry::hitTest(const QPointF& p, const std::vector<Placed>& placed) const
{
    CalendarHit hit;
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        if (!it->rect.contains(p))
            continue;
        hit.eventId = it->id;
        hit.kind = CalendarHit::Event;
        // Edges of a timed piece in a time grid resize it.
        if (!isMonth() && it->rect.top() >= kDayHeader + m_bandRows * kMonthLine - 0.5) {
            if (p.y() - it->rect.top() <= 4)
                hit.kind = CalendarHit::EventTop;
            else if (it->rect.bottom() - p.y() <= 4)
                hit.kind = CalendarHit::EventBottom;
        }
        break;
    }
    hit.time = slotAt(p);
    if (hit.kind == CalendarHit::Nothing && hit.time.isValid())
        hit.kind = CalendarHit::FreeSpace;
    return hit;
}

void CalendarGeometry::moveTo(CalendarEvent& e, const QDateTime& start)
{
    const qint64 length = e.start.secsTo(shownEnd(e));
    e.start = start;
    e.end = start.addSecs(length);
}

void CalendarGeometry::resizeStart(CalendarEvent& e, const QDateTime& time)
{
    const QDateTime latest = shownEnd(e).addSecs(-kSlotMinutes * 60);
    e.start = std::min(time, latest);
}

void CalendarGeometry::resizeEnd(CalendarEvent& e, const QDateTime& time)
{
    const QDateTime earliest = e.start.addSecs(kSlotMinutes * 60);
    e.end = std::max(time, earliest);
}

} // namespace controls
