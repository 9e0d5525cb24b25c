#include "controls/GanttModel.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <deque>
#include <sstream>
#include <unordered_set>

#include <pugixml.hpp>

namespace controls {

namespace {

constexpr size_t kUndoDepth = 50;
constexpr qint64 kMaxPlanFile = 64 * 1024 * 1024;
constexpr int kMaxDuration = 36600; // a century of days: more is a typing slip, not a plan
constexpr int kMaxDepth = 100;      // WBS codes grow with depth; a deeper file is not a plan

int textIndex(int cell)
{
    switch (cell) {
    case CellName: return 0;
    case CellRow: return 1;
    case CellWbs: return 2;
    case CellLevel: return 3;
    default: return -1;
    }
}

QDate dateOf(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QDate || v.metaType().id() == QMetaType::QDateTime)
        return v.toDate();
    const QString text = v.toString().trimmed();
    QDate d = QDate::fromString(text, Qt::ISODate);
    if (!d.isValid())
        d = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text, QStringLiteral("d.M.yyyy."));
    return d;
}

} // namespace

int weekdayBit(const QDate& day)
{
    // Qt: Monday 1 ... Sunday 7; the settings: Sunday 1, Monday 2 ... Saturday 64.
    return 1 << (day.dayOfWeek() % 7);
}

QString NextWbsCode(const QString& code)
{
    const int dot = code.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString::number(code.toLongLong() + 1);
    return code.left(dot + 1) + QString::number(code.mid(dot + 1).toLongLong() + 1);
}

struct GanttModel::State {
    std::unordered_map<long, GanttItem> items;
    std::vector<long> order, roots, selection;
    std::vector<GanttLink> links;
    long focus = 0, nextHandle = 1, nextLink = 1;
};

GanttModel::GanttModel(std::function<void()> changed) : m_changed(std::move(changed)) {}
GanttModel::~GanttModel() = default;

// ---- calendar -------------------------------------------------------------------------------

void GanttModel::setNonworkingDays(int mask)
{
    m_mask = mask & 0xFF;
    if (m_changed)
        m_changed();
}

bool GanttModel::IsNonworkingDate(const QDate& day) const
{
    if (!day.isValid())
        return false;
    if (m_mask == 128)
        return true;
    return (m_mask & weekdayBit(day)) != 0;
}

namespace {
// With every weekday marked non-working there is nothing to skip to: count calendar days.
bool skips(const GanttModel& m, const QDate& d)
{
    const int mask = m.NonworkingDays();
    if (mask == 128 || (mask & 0x7F) == 0x7F)
        return false;
    return m.IsNonworkingDate(d);
}
} // namespace

QDate GanttModel::nextWorkingDay(const QDate& day) const
{
    QDate d = day;
    while (d.isValid() && skips(*this, d))
        d = d.addDays(1);
    return d;
}

QDate GanttModel::addWorkingDays(const QDate& day, int days) const
{
    QDate d = nextWorkingDay(day);
    const int step = days < 0 ? -1 : 1;
    for (int i = 0; i < std::abs(days) && d.isValid(); ++i) {
        d = d.addDays(step);
        while (skips(*this, d))
            d = d.addDays(step);
    }
    return d;
}

QDate GanttModel::endForDuration(const QDate& start, int days) const
{
    QDate d = start;
    for (int counted = 0; counted < days && d.isValid(); d = d.addDays(1))
        if (!skips(*this, d))
            ++counted;
    return d;
}

QDate GanttModel::startForDuration(const QDate& end, int days) const
{
    QDate d = end;
    for (int counted = 0; counted < days && d.isValid();) {
        d = d.addDays(-1);
        if (!skips(*this, d))
            ++counted;
    }
    return d;
}

int GanttModel::workingDaysBetween(const QDate& start, const QDate& end) const
{
    if (!start.isValid() || !end.isValid() || end <= start)
        return 0;
    const qint64 span = start.daysTo(end);
    const qint64 weeks = span / 7;
    int offPerWeek = 0;
    for (int bit = 0; bit < 7; ++bit)
        if (m_mask & (1 << bit))
            ++offPerWeek;
    if (m_mask == 128 || offPerWeek == 7)
        offPerWeek = 0;
    qint64 n = weeks * (7 - offPerWeek);
    for (QDate d = start.addDays(weeks * 7); d < end; d = d.addDays(1))
        if (!skips(*this, d))
            ++n;
    return int(n);
}

// ---- items ----------------------------------------------------------------------------------

void GanttModel::touched()
{
    m_modified = true;
    if (m_changeDepth == 0 && m_changed)
        m_changed();
}

GanttItem& GanttModel::at(long item) { return m_items.at(item); }

const GanttItem* GanttModel::item(long handle) const
{
    const auto it = m_items.find(handle);
    return it == m_items.end() ? nullptr : &it->second;
}

std::vector<long>& GanttModel::siblings(long parent) { return parent ? at(parent).children : m_roots; }

const std::vector<long>& GanttModel::children(long item) const
{
    static const std::vector<long> none;
    if (item == 0)
        return m_roots;
    const GanttItem* i = this->item(item);
    return i ? i->children : none;
}

long GanttModel::InsertItem(long parent, const QString& name)
{
    if (parent && !exists(parent))
        parent = 0;
    beginChange();
    GanttItem i;
    i.handle = m_nextHandle++;
    i.parent = parent;
    i.text[0] = name;
    m_items.emplace(i.handle, i);
    m_order.push_back(i.handle);
    siblings(parent).push_back(i.handle);
    endChange();
    return i.handle;
}

void GanttModel::detach(long item)
{
    auto& list = siblings(at(item).parent);
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

void GanttModel::RemoveItem(long item)
{
    if (!exists(item))
        return;
    beginChange();
    detach(item);
    std::vector<long> gone{item};
    for (size_t i = 0; i < gone.size(); ++i)
        for (long c : at(gone[i]).children)
            gone.push_back(c);
    const std::unordered_set<long> set(gone.begin(), gone.end());
    auto in = [&set](long h) { return set.count(h) > 0; };
    m_links.erase(std::remove_if(m_links.begin(), m_links.end(), [&](const GanttLink& l) { return in(l.start) || in(l.end); }),
                  m_links.end());
    m_order.erase(std::remove_if(m_order.begin(), m_order.end(), in), m_order.end());
    m_selection.erase(std::remove_if(m_selection.begin(), m_selection.end(), in), m_selection.end());
    if (in(m_focus))
        m_focus = 0;
    for (long h : gone)
        m_items.erase(h);
    touched();
    endChange();
}

void GanttModel::RemoveAllItems()
{
    m_items.clear();
    m_order.clear();
    m_roots.clear();
    m_links.clear();
    m_selection.clear();
    m_focus = 0;
    m_nextHandle = 1;
    m_nextLink = 1;
    m_undo.clear();
    m_redo.clear();
    m_modified = false;
    if (m_changed)
        m_changed();
}

long GanttModel::ItemByIndex(int index) const
{
    return index >= 0 && size_t(index) < m_order.size() ? m_order[size_t(index)] : 0;
}

long GanttModel::RootItem(int index) const
{
    return index >= 0 && size_t(index) < m_roots.size() ? m_roots[size_t(index)] : 0;
}

long GanttModel::ItemParent(long item) const
{
    const GanttItem* i = this->item(item);
    return i ? i->parent : 0;
}

long GanttModel::ItemChild(long item) const
{
    const GanttItem* i = this->item(item);
    return i && !i->children.empty() ? i->children.front() : 0;
}

int GanttModel::ItemPosition(long item) const
{
    if (!exists(item))
        return -1;
    const auto& list = children(ItemParent(item));
    return int(std::find(list.begin(), list.end(), item) - list.begin());
}

long GanttModel::PrevSiblingItem(long item) const
{
    const int p = ItemPosition(item);
    return p > 0 ? children(ItemParent(item))[size_t(p - 1)] : 0;
}

long GanttModel::NextSiblingItem(long item) const
{
    const int p = ItemPosition(item);
    const auto& list = children(ItemParent(item));
    return p >= 0 && size_t(p + 1) < list.size() ? list[size_t(p + 1)] : 0;
}

void GanttModel::SetItemPosition(long item, int position)
{
    if (!exists(item))
        return;
    SetParent(item, ItemParent(item), position);
}

bool GanttModel::isAncestor(long ancestor, long item) const
{
    for (long p = ItemParent(item); p; p = ItemParent(p))
        if (p == ancestor)
            return true;
    return false;
}

int GanttModel::depth(long item) const
{
    int d = 0;
    for (long p = ItemParent(item); p; p = ItemParent(p))
        ++d;
    return d;
}

bool GanttModel::SetParent(long item, long parent, int position)
{
    if (!exists(item) || (parent && !exists(parent)) || parent == item || (parent && isAncestor(item, parent)))
        return false;
    if (position < 0 && at(item).parent == parent)
        return true; // already there: it keeps its place
    beginChange();
    detach(item);
    auto& list = siblings(parent);
    if (position < 0 || size_t(position) > list.size())
        position = int(list.size());
    list.insert(list.begin() + position, item);
    at(item).parent = parent;
    touched();
    endChange();
    return true;
}

bool GanttModel::ExpandItem(long item) const
{
    const GanttItem* i = this->item(item);
    return i && i->expanded;
}

void GanttModel::setExpandItem(long item, bool expanded)
{
    if (exists(item) && at(item).expanded != expanded) {
        at(item).expanded = expanded;
        if (m_changed && m_changeDepth == 0)
            m_changed();
    }
}

std::vector<long> GanttModel::treeOrder(bool visibleOnly) const
{
    std::vector<long> out;
    out.reserve(m_items.size());
    std::vector<long> stack(m_roots.rbegin(), m_roots.rend());
    while (!stack.empty()) {
        const long h = stack.back();
        stack.pop_back();
        out.push_back(h);
        const GanttItem& i = m_items.at(h);
        if (!visibleOnly || i.expanded)
            stack.insert(stack.end(), i.children.rbegin(), i.children.rend());
    }
    return out;
}

long GanttModel::FirstVisibleItem() const { return RootItem(0); }

long GanttModel::NextVisibleItem(long item) const
{
    const GanttItem* i = this->item(item);
    if (!i)
        return 0;
    if (i->expanded && !i->children.empty())
        return i->children.front();
    for (long h = item; h; h = ItemParent(h))
        if (const long next = NextSiblingItem(h))
            return next;
    return 0;
}

// ---- cells and bars -------------------------------------------------------------------------

QVariant GanttModel::CellValue(long item, int cell) const
{
    const GanttItem* i = this->item(item);
    if (!i)
        return {};
    switch (cell) {
    case CellStart: return i->bar.start;
    case CellEnd: return i->bar.end;
    case CellDuration: return duration(item);
    default: {
        const int t = textIndex(cell);
        return t < 0 ? QVariant() : QVariant(i->text[size_t(t)]);
    }
    }
}

QString GanttModel::cellText(long item, int cell) const
{
    const QVariant v = CellValue(item, cell);
    if (cell == CellStart || cell == CellEnd) {
        const QDate d = v.toDate();
        return d.isValid() ? d.toString(Qt::ISODate) : QString();
    }
    return v.toString();
}

void GanttModel::setCellValue(long item, int cell, const QVariant& value)
{
    if (!exists(item))
        return;
    beginChange();
    GanttBar& b = at(item).bar;
    switch (cell) {
    case CellStart:
        if (const QDate d = dateOf(value); d.isValid()) {
            const int days = b.start.isValid() && b.end.isValid() ? duration(item) : 1;
            b.start = d;
            b.end = endForDuration(d, days);
        }
        break;
    case CellEnd:
        if (const QDate d = dateOf(value); d.isValid()) {
            if (!b.start.isValid() || d < b.start)
                b.start = startForDuration(d, 1);
            b.end = std::max(d, b.start);
        }
        break;
    case CellDuration: {
        bool ok = false;
        const int days = value.toInt(&ok);
        if (ok && days >= 0 && days <= kMaxDuration) {
            if (!b.start.isValid())
                b.start = QDate::currentDate();
            b.end = endForDuration(b.start, days);
        }
        break;
    }
    default:
        if (const int t = textIndex(cell); t >= 0)
            at(item).text[size_t(t)] = value.toString();
        break;
    }
    touched();
    endChange();
}

void GanttModel::AddBar(long item, const QString& name, const QDate& start, const QDate& end)
{
    if (!exists(item))
        return;
    beginChange();
    GanttBar& b = at(item).bar;
    b.name = name;
    if (start.isValid())
        b.start = start;
    if (end.isValid())
        b.end = std::max(end, b.start);
    touched();
    endChange();
}

QString GanttModel::ItemBar(long item) const
{
    const GanttItem* i = this->item(item);
    return i ? i->bar.name : QString();
}

const GanttBar& GanttModel::bar(long item) const
{
    static const GanttBar none;
    const GanttItem* i = this->item(item);
    return i ? i->bar : none;
}

bool GanttModel::isSummary(long item) const
{
    const QString name = ItemBar(item);
    return name == QLatin1String("Summary") || name == QLatin1String("Project Summary");
}

void GanttModel::moveBar(long item, const QDate& start)
{
    if (!exists(item) || !start.isValid())
        return;
    beginChange();
    GanttBar& b = at(item).bar;
    const int days = duration(item);
    b.start = start;
    b.end = endForDuration(start, days);
    touched();
    endChange();
}

void GanttModel::setBarDates(long item, const QDate& start, const QDate& end)
{
    if (!exists(item) || !start.isValid() || !end.isValid())
        return;
    beginChange();
    GanttBar& b = at(item).bar;
    b.start = start;
    b.end = std::max(start, end);
    touched();
    endChange();
}

int GanttModel::duration(long item) const
{
    const GanttBar& b = bar(item);
    return workingDaysBetween(b.start, b.end);
}

void GanttModel::spanSummary(long item)
{
    GanttItem& i = at(item);
    QDate start, end;
    for (long c : i.children) {
        const GanttBar& b = at(c).bar;
        if (b.start.isValid() && (!start.isValid() || b.start < start))
            start = b.start;
        if (b.end.isValid() && (!end.isValid() || b.end > end))
            end = b.end;
    }
    i.bar.name = QStringLiteral("Summary");
    if (start.isValid())
        i.bar.start = start;
    if (end.isValid())
        i.bar.end = std::max(end, i.bar.start);
}

void GanttModel::DefineSummaryBars()
{
    const std::vector<long> order = treeOrder();
    bool any = false;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (!at(*it).children.empty()) {
            spanSummary(*it);
            any = true;
        }
    if (any)
        touched();
}

// ---- links ----------------------------------------------------------------------------------

GanttLinkType GanttModel::linkType(int startPos, int endPos)
{
    if (startPos == 0)
        return endPos == 0 ? GanttLinkType::SS : GanttLinkType::SF;
    return endPos == 0 ? GanttLinkType::FS : GanttLinkType::FF;
}

bool GanttModel::AllowLink(long start, long end) const
{
    if (!exists(start) || !exists(end) || start == end || isSummary(start) || isSummary(end))
        return false;
    for (const GanttLink& l : m_links)
        if (l.start == start && l.end == end)
            return false;
    // A path from the successor back to the predecessor would close a cycle.
    std::unordered_map<long, std::vector<long>> out;
    for (const GanttLink& l : m_links)
        out[l.start].push_back(l.end);
    std::unordered_set<long> seen{end};
    std::vector<long> stack{end};
    while (!stack.empty()) {
        const long h = stack.back();
        stack.pop_back();
        if (h == start)
            return false;
        if (const auto it = out.find(h); it != out.end())
            for (long n : it->second)
                if (seen.insert(n).second)
                    stack.push_back(n);
    }
    return true;
}

QString GanttModel::AddLink(long start, long end, int startPos, int endPos, int delay, QString key)
{
    if (!exists(start) || !exists(end))
        return {};
    if (key.isEmpty() || link(key))
        do
            key = QStringLiteral("L%1").arg(m_nextLink++);
        while (link(key));
    beginChange();
    m_links.push_back({key, start, end, startPos == 0 ? 0 : 2, endPos == 0 ? 0 : 2, delay});
    touched();
    endChange();
    return key;
}

const GanttLink* GanttModel::link(const QString& key) const
{
    for (const GanttLink& l : m_links)
        if (l.key == key)
            return &l;
    return nullptr;
}

QVariant GanttModel::Link(const QString& key, int property) const
{
    const GanttLink* l = link(key);
    if (!l)
        return {};
    switch (property) {
    case LinkStartItem: return qlonglong(l->start);
    case LinkEndItem: return qlonglong(l->end);
    case LinkStartPos: return l->startPos;
    case LinkEndPos: return l->endPos;
    case LinkDelay: return l->delay;
    default: return {};
    }
}

void GanttModel::setLink(const QString& key, int property, int value)
{
    auto* l = const_cast<GanttLink*>(link(key));
    if (!l)
        return;
    beginChange();
    switch (property) {
    case LinkStartPos: l->startPos = value == 0 ? 0 : 2; break;
    case LinkEndPos: l->endPos = value == 0 ? 0 : 2; break;
    case LinkDelay: l->delay = std::clamp(value, -9999, 9999); break;
    default: break;
    }
    touched();
    endChange();
}

void GanttModel::setLinkType(const QString& key, int startPos, int endPos)
{
    beginChange();
    setLink(key, LinkStartPos, startPos);
    setLink(key, LinkEndPos, endPos);
    endChange();
}

QString GanttModel::FirstLink() const { return m_links.empty() ? QString() : m_links.front().key; }

QString GanttModel::NextLink(const QString& key) const
{
    for (size_t i = 0; i + 1 < m_links.size(); ++i)
        if (m_links[i].key == key)
            return m_links[i + 1].key;
    return {};
}

void GanttModel::RemoveLink(const QString& key)
{
    const auto it = std::find_if(m_links.begin(), m_links.end(), [&](const GanttLink& l) { return l.key == key; });
    if (it == m_links.end())
        return;
    beginChange();
    m_links.erase(it);
    touched();
    endChange();
}

void GanttModel::RemoveLinksOf(long item)
{
    const auto it = std::remove_if(m_links.begin(), m_links.end(), [&](const GanttLink& l) { return l.start == item || l.end == item; });
    if (it == m_links.end())
        return;
    beginChange();
    m_links.erase(it, m_links.end());
    touched();
    endChange();
}

int GanttModel::SchedulePDM(long from)
{
    std::unordered_map<long, std::vector<const GanttLink*>> out;
    for (const GanttLink& l : m_links)
        if (exists(l.start) && exists(l.end))
            out[l.start].push_back(&l);

    // The part of the plan the change can reach.
    std::vector<long> reach;
    if (from) {
        if (!exists(from))
            return 0;
        std::unordered_set<long> seen{from};
        reach.push_back(from);
        for (size_t i = 0; i < reach.size(); ++i)
            if (const auto it = out.find(reach[i]); it != out.end())
                for (const GanttLink* l : it->second)
                    if (seen.insert(l->end).second)
                        reach.push_back(l->end);
    } else {
        reach = m_order;
    }

    // Topological order; what is left over sits on a cycle.
    std::unordered_map<long, int> indegree;
    for (long h : reach)
        indegree[h];
    for (long h : reach)
        if (const auto it = out.find(h); it != out.end())
            for (const GanttLink* l : it->second)
                ++indegree[l->end];
    std::deque<long> ready;
    for (long h : reach)
        if (indegree[h] == 0)
            ready.push_back(h);
    std::vector<long> order;
    order.reserve(reach.size());
    while (!ready.empty()) {
        const long h = ready.front();
        ready.pop_front();
        order.push_back(h);
        if (const auto it = out.find(h); it != out.end())
            for (const GanttLink* l : it->second)
                if (--indegree[l->end] == 0)
                    ready.push_back(l->end);
    }
    if (order.size() != reach.size())
        return -1;

    beginChange();
    int moved = 0;
    for (long h : order) {
        const auto it = out.find(h);
        if (it == out.end())
            continue;
        const GanttBar p = at(h).bar;
        if (!p.start.isValid() || !p.end.isValid())
            continue;
        for (const GanttLink* l : it->second) {
            GanttBar& s = at(l->end).bar;
            if (!s.start.isValid() || !s.end.isValid())
                continue;
            const int days = workingDaysBetween(s.start, s.end);
            const QDate anchor = l->startPos == 0 ? p.start : p.end;
            QDate start;
            if (l->endPos == 0) {
                const QDate wanted = addWorkingDays(anchor, l->delay);
                if (wanted > s.start)
                    start = wanted;
            } else {
                // An end is the day after the bar's last day: shift that last working day.
                QDate wanted = anchor;
                if (l->delay != 0)
                    wanted = addWorkingDays(startForDuration(anchor, 1), l->delay).addDays(1);
                if (wanted > s.end)
                    start = startForDuration(wanted, days);
                if (start.isValid() && start <= s.start)
                    start = QDate();
            }
            if (start.isValid()) {
                s.start = nextWorkingDay(start);
                s.end = endForDuration(s.start, days);
                ++moved;
            }
        }
    }
    DefineSummaryBars();
    if (moved)
        touched();
    endChange();
    return moved;
}

// ---- selection ------------------------------------------------------------------------------

long GanttModel::SelectedItem(int index) const
{
    return index >= 0 && size_t(index) < m_selection.size() ? m_selection[size_t(index)] : 0;
}

bool GanttModel::isSelected(long item) const
{
    return std::find(m_selection.begin(), m_selection.end(), item) != m_selection.end();
}

void GanttModel::SelectItem(long item, bool selected)
{
    if (!exists(item))
        return;
    const bool was = isSelected(item);
    if (selected && !was)
        m_selection.push_back(item);
    else if (!selected && was)
        m_selection.erase(std::find(m_selection.begin(), m_selection.end(), item));
    if (selected)
        m_focus = item;
}

void GanttModel::UnselectAll() { m_selection.clear(); }

void GanttModel::setFocusItem(long item) { m_focus = exists(item) ? item : 0; }

// ---- outline --------------------------------------------------------------------------------

void GanttModel::IndentSelection()
{
    std::vector<long> picked = m_selection;
    if (picked.empty())
        return;
    beginChange();
    const std::vector<long> visible = treeOrder(true);
    long parent = 0;
    for (size_t i = 0; i + 1 < visible.size(); ++i)
        if (isSelected(visible[i + 1])) {
            parent = visible[i];
            break;
        }
    if (parent) {
        // A row never goes under itself or under its own descendant.
        picked.erase(std::remove_if(picked.begin(), picked.end(),
                                    [&](long h) { return h == parent || isAncestor(h, parent); }),
                     picked.end());
        for (long h : picked)
            SetParent(h, parent);
        if (!picked.empty()) {
            RemoveLinksOf(parent);
            at(parent).expanded = true;
        }
    }
    const long last = picked.empty() ? m_selection.back() : picked.back();
    UnselectAll();
    SelectItem(last);
    DefineSummaryBars();
    RenumberWbs();
    endChange();
}

void GanttModel::OutdentSelection()
{
    if (m_selection.empty())
        return;
    beginChange();
    // Tree order, handled from the last: each lands right after its former parent, so
    // outdented siblings keep their order.
    std::vector<long> picked;
    for (long h : treeOrder())
        if (isSelected(h))
            picked.push_back(h);
    for (auto it = picked.rbegin(); it != picked.rend(); ++it) {
        const long p = ItemParent(*it);
        if (!p)
            continue;
        SetParent(*it, ItemParent(p), ItemPosition(p) + 1);
    }
    UnselectAll();
    SelectItem(picked.back());
    RebuildSummaryBars();
    RenumberWbs();
    endChange();
}

void GanttModel::MoveFocusUp()
{
    if (SelectCount() > 1)
        SelectItem(m_selection.front(), false);
    if (const long sibling = PrevSiblingItem(m_focus)) {
        beginChange();
        SetItemPosition(m_focus, ItemPosition(sibling));
        RenumberWbs();
        endChange();
    }
}

void GanttModel::MoveFocusDown()
{
    if (SelectCount() > 1)
        SelectItem(m_selection.front(), false);
    if (const long sibling = NextSiblingItem(m_focus)) {
        beginChange();
        SetItemPosition(m_focus, ItemPosition(sibling));
        RenumberWbs();
        endChange();
    }
}

void GanttModel::RebuildSummaryBars()
{
    beginChange();
    for (long h : m_order) {
        if (at(h).children.empty()) {
            at(h).bar.name = QStringLiteral("Task");
        } else {
            at(h).bar.name = QStringLiteral("Summary");
            RemoveLinksOf(h);
        }
    }
    DefineSummaryBars();
    touched();
    endChange();
}

void GanttModel::RenumberWbs()
{
    if (m_items.empty())
        return;
    int n = 0;
    bool any = false;
    const auto put = [&any](QString& cell, const QString& value) {
        if (cell != value) {
            cell = value;
            any = true;
        }
    };
    for (long h : treeOrder()) {
        GanttItem& i = at(h);
        if (!i.expanded) {
            i.expanded = true;
            any = true;
        }
        put(i.text[1], QString::number(++n));
        if (const long prev = PrevSiblingItem(h))
            put(i.text[2], NextWbsCode(at(prev).text[2]));
        else
            put(i.text[2], i.parent ? at(i.parent).text[2] + QStringLiteral(".1") : QStringLiteral("1"));
        put(i.text[3], i.parent ? QString::number(at(i.parent).text[3].toInt() + 1) : QString());
    }
    if (any)
        touched();
}

// ---- undo -----------------------------------------------------------------------------------

std::unique_ptr<GanttModel::State> GanttModel::snapshot() const
{
    auto s = std::make_unique<State>();
    s->items = m_items;
    s->order = m_order;
    s->roots = m_roots;
    s->selection = m_selection;
    s->links = m_links;
    s->focus = m_focus;
    s->nextHandle = m_nextHandle;
    s->nextLink = m_nextLink;
    return s;
}

void GanttModel::restore(const State& s)
{
    m_items = s.items;
    m_order = s.order;
    m_roots = s.roots;
    m_selection = s.selection;
    m_links = s.links;
    m_focus = s.focus;
    m_nextHandle = s.nextHandle;
    m_nextLink = s.nextLink;
}

void GanttModel::beginChange(bool joinLast)
{
    if (m_changeDepth++ == 0 && !(joinLast && !m_undo.empty())) {
        m_undo.push_back(snapshot());
        if (m_undo.size() > kUndoDepth)
            m_undo.erase(m_undo.begin());
        m_redo.clear();
    }
}

void GanttModel::endChange()
{
    if (m_changeDepth > 0 && --m_changeDepth == 0 && m_changed)
        m_changed();
}

bool GanttModel::Undo()
{
    if (m_undo.empty() || m_changeDepth)
        return false;
    m_redo.push_back(snapshot());
    restore(*m_undo.back());
    m_undo.pop_back();
    m_modified = true;
    if (m_changed)
        m_changed();
    return true;
}

bool GanttModel::Redo()
{
    if (m_redo.empty() || m_changeDepth)
        return false;
    m_undo.push_back(snapshot());
    restore(*m_redo.back());
    m_redo.pop_back();
    m_modified = true;
    if (m_changed)
        m_changed();
    return true;
}

// ---- files ----------------------------------------------------------------------------------

QByteArray GanttModel::toXml() const
{
    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    auto plan = doc.append_child("VelmoraPlan");
    plan.append_attribute("version") = 1;
    std::unordered_map<long, pugi::xml_node> nodes;
    const auto utf8 = [](const QString& s) { return s.toUtf8(); };
    for (long h : treeOrder()) {
        const GanttItem& i = m_items.at(h);
        pugi::xml_node node = (i.parent ? nodes[i.parent] : plan).append_child("Item");
        nodes[h] = node;
        node.append_attribute("id") = static_cast<long long>(h);
        node.append_attribute("name") = utf8(i.text[0]).constData();
        node.append_attribute("bar") = utf8(i.bar.name).constData();
        node.append_attribute("start") = utf8(i.bar.start.toString(Qt::ISODate)).constData();
        node.append_attribute("end") = utf8(i.bar.end.toString(Qt::ISODate)).constData();
        node.append_attribute("row") = utf8(i.text[1]).constData();
        node.append_attribute("wbs") = utf8(i.text[2]).constData();
        node.append_attribute("level") = utf8(i.text[3]).constData();
        node.append_attribute("expanded") = i.expanded ? 1 : 0;
    }
    for (const GanttLink& l : m_links) {
        auto node = plan.append_child("Link");
        node.append_attribute("key") = utf8(l.key).constData();
        node.append_attribute("from") = static_cast<long long>(l.start);
        node.append_attribute("to") = static_cast<long long>(l.end);
        node.append_attribute("startPos") = l.startPos;
        node.append_attribute("endPos") = l.endPos;
        node.append_attribute("delay") = l.delay;
    }
    std::ostringstream os;
    doc.save(os, "  ", pugi::format_default, pugi::encoding_utf8);
    return QByteArray::fromStdString(os.str());
}

bool GanttModel::save(const QString& path, QString* error) const
{
    QSaveFile file(path);
    const QByteArray xml = toXml();
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool GanttModel::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxPlanFile) {
        if (error)
            *error = QStringLiteral("too large");
        return false;
    }
    return fromXml(file.readAll(), error);
}

bool GanttModel::fromXml(const QByteArray& xml, QString* error)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(xml.constData(), size_t(xml.size()));
    pugi::xml_node plan = doc.child("VelmoraPlan");
    if (!parsed || !plan) {
        if (error)
            *error = parsed ? QStringLiteral("not a plan") : QString::fromUtf8(parsed.description());
        return false;
    }
    // Built aside and swapped in whole, so a bad file leaves the shown plan alone.
    GanttModel fresh;
    fresh.m_mask = m_mask;
    fresh.m_changeDepth = 1; // no undo steps while loading
    std::unordered_map<long long, long> ids;
    struct Pending {
        pugi::xml_node node;
        long parent;
        int depth;
    };
    std::vector<Pending> stack;
    for (auto n = plan.last_child(); n; n = n.previous_sibling())
        if (std::strcmp(n.name(), "Item") == 0)
            stack.push_back({n, 0, 0});
    while (!stack.empty()) {
        const auto [node, parent, depth] = stack.back();
        stack.pop_back();
        if (depth >= kMaxDepth) {
            if (error)
                *error = QStringLiteral("too deep");
            return false;
        }
        const long h = fresh.InsertItem(parent, QString::fromUtf8(node.attribute("name").value()));
        GanttItem& i = fresh.at(h);
        ids.emplace(node.attribute("id").as_llong(), h);
        i.bar.name = QString::fromUtf8(node.attribute("bar").as_string("Task"));
        i.bar.start = QDate::fromString(QString::fromUtf8(node.attribute("start").value()), Qt::ISODate);
        i.bar.end = QDate::fromString(QString::fromUtf8(node.attribute("end").value()), Qt::ISODate);
        if (i.bar.start.isValid() && i.bar.end.isValid() && i.bar.end < i.bar.start)
            i.bar.end = i.bar.start;
        i.text[1] = QString::fromUtf8(node.attribute("row").value());
        i.text[2] = QString::fromUtf8(node.attribute("wbs").value());
        i.text[3] = QString::fromUtf8(node.attribute("level").value());
        i.expanded = node.attribute("expanded").as_bool(true);
        for (auto c = node.last_child(); c; c = c.previous_sibling())
            if (std::strcmp(c.name(), "Item") == 0)
                stack.push_back({c, h, depth + 1});
    }
    for (auto n : plan.children("Link")) {
        const auto from = ids.find(n.attribute("from").as_llong());
        const auto to = ids.find(n.attribute("to").as_llong());
        if (from == ids.end() || to == ids.end() || from->second == to->second)
            continue;
        fresh.AddLink(from->second, to->second, n.attribute("startPos").as_int(2), n.attribute("endPos").as_int(0),
                      std::clamp(n.attribute("delay").as_int(0), -9999, 9999), QString::fromUtf8(n.attribute("key").value()));
    }
    m_items = std::move(fresh.m_items);
    m_order = std::move(fresh.m_order);
    m_roots = std::move(fresh.m_roots);
    m_links = std::move(fresh.m_links);
    m_selection.clear();
    m_focus = 0;
    m_nextHandle = fresh.m_nextHandle;
    m_nextLink = fresh.m_nextLink;
    m_undo.clear();
    m_redo.clear();
    m_modified = false;
    if (m_changed)
        m_changed();
    return true;
}

} // namespace controls
