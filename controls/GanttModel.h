#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

// The project plan held by the Gantt chart: a tree of items (WBS elements and activities),
// each with seven cells and one bar, links between bars, the non-working weekdays and an undo
// history. No widgets here: the view paints and edits it, the organiser's routines drive it.
//
// Items are handles (whole numbers from 1; 0 is "none"). Dates are values: a bar covers the
// days from its start up to, not including, its end, and its duration counts the working days
// of that span.
namespace controls {

// Cells of a row, in the order the columns were added.
enum GanttCell : int { CellName = 0, CellStart, CellEnd, CellDuration, CellRow, CellWbs, CellLevel, GanttCellCount };

// Positions of a link on its bars: 0 the bar's start, 2 its end.
enum class GanttLinkType { FS, FF, SS, SF };

// Properties of a link as Link(key, n) reads them.
enum GanttLinkProperty : int { LinkStartItem = 0, LinkEndItem = 2, LinkStartPos = 6, LinkEndPos = 7, LinkDelay = 16 };

struct GanttLink {
    QString key;
    long start = 0;   // predecessor
    long end = 0;     // successor
    int startPos = 2; // 0 start, 2 end
    int endPos = 0;
    int delay = 0;    // working days, signed
};

struct GanttBar {
    QString name = QStringLiteral("Task"); // "Task", "Summary" (the export also knows "Milestone", "Project Summary")
    QDate start;
    QDate end; // exclusive
};

struct GanttItem {
    long handle = 0;
    long parent = 0;
    std::vector<long> children;
    std::array<QString, 4> text; // name, row number, WBS code, level (cells 0, 4, 5, 6)
    GanttBar bar;
    bool expanded = true;
};

// Weekday bits as the settings keep them: Sunday 1, Monday 2 ... Saturday 64.
int weekdayBit(const QDate& day);

// The code that follows `code` at its level: 1.2.9 -> 1.2.10, 3 -> 4. Not cut to any width.
QString NextWbsCode(const QString& code);

class GanttModel {
public:
    // `changed` is called after every change the view shows (not while a change is being
    // made).
    explicit GanttModel(std::function<void()> changed = {});
    ~GanttModel();
    GanttModel(const GanttModel&) = delete;
    GanttModel& operator=(const GanttModel&) = delete;

    // ---- calendar
    // Bits of the non-working weekdays (Sunday 1 ... Saturday 64); by default Sunday.
    int NonworkingDays() const { return m_mask; }
    void setNonworkingDays(int mask);
    bool IsNonworkingDate(const QDate& day) const;
    // The first working day at or after `day` (the day itself when no weekday works).
    QDate nextWorkingDay(const QDate& day) const;
    // `days` working days on from `day` (back for a negative count), landing on a working day.
    QDate addWorkingDays(const QDate& day, int days) const;
    // The exclusive end of a bar that starts at `start` and lasts `days` working days.
    QDate endForDuration(const QDate& start, int days) const;
    // The start of a bar that ends (exclusive) at `end` and lasts `days` working days.
    QDate startForDuration(const QDate& end, int days) const;
    int workingDaysBetween(const QDate& start, const QDate& end) const;

    // ---- items
    long InsertItem(long parent = 0, const QString& name = {});
    void RemoveItem(long item); // with its descendants and their links
    void RemoveAllItems();
    bool exists(long item) const { return m_items.count(item) > 0; }
    int ItemCount() const { return int(m_order.size()); }
    long ItemByIndex(int index) const; // creation order
    long RootItem(int index) const;
    int RootCount() const { return int(m_roots.size()); }
    long ItemParent(long item) const;
    long ItemChild(long item) const; // first child
    const std::vector<long>& children(long item) const; // 0: the roots
    long PrevSiblingItem(long item) const;
    long NextSiblingItem(long item) const;
    int ItemPosition(long item) const;
    void SetItemPosition(long item, int position);
    // Moves `item` under `parent` (0: a root) at `position` (-1: last). Refused (false) when
    // the parent is the item or one of its descendants.
    bool SetParent(long item, long parent, int position = -1);
    bool isAncestor(long ancestor, long item) const;
    int depth(long item) const;
    const GanttItem* item(long handle) const;

    bool ExpandItem(long item) const;
    void setExpandItem(long item, bool expanded);
    // Rows in tree order; only those whose ancestors are expanded when `visibleOnly`.
    std::vector<long> treeOrder(bool visibleOnly = false) const;
    long FirstVisibleItem() const;
    long NextVisibleItem(long item) const;

    // ---- cells and bars
    QVariant CellValue(long item, int cell) const;
    // Start moves the bar keeping its duration; end and duration change its length.
    void setCellValue(long item, int cell, const QVariant& value);
    QString cellText(long item, int cell) const; // dates as YYYY-MM-DD
    void AddBar(long item, const QString& name, const QDate& start, const QDate& end);
    QString ItemBar(long item) const; // the bar's name
    const GanttBar& bar(long item) const;
    void moveBar(long item, const QDate& start);        // keeps the duration
    void setBarDates(long item, const QDate& start, const QDate& end);
    int duration(long item) const;
    // Summaries span their children (deepest first).
    void DefineSummaryBars();
    bool isSummary(long item) const;

    // ---- links
    // False when refused: unknown items, a summary at either end, a link to itself, or one
    // that would close a cycle.
    bool AllowLink(long start, long end) const;
    QString AddLink(long start, long end, int startPos = 2, int endPos = 0, int delay = 0, QString key = {});
    QVariant Link(const QString& key, int property) const;
    void setLink(const QString& key, int property, int value);
    void setLinkType(const QString& key, int startPos, int endPos);
    const GanttLink* link(const QString& key) const;
    QString FirstLink() const;
    QString NextLink(const QString& key) const;
    int linkCount() const { return int(m_links.size()); }
    const std::vector<GanttLink>& links() const { return m_links; }
    void RemoveLink(const QString& key);
    void RemoveLinksOf(long item);
    static GanttLinkType linkType(int startPos, int endPos);

    // Moves the successors of `item` (0: of every item) forward until their links hold, then
    // the summaries over them. Negative, with nothing changed, when the links form a cycle.
    int SchedulePDM(long item = 0);

    // ---- selection and focus
    const std::vector<long>& selection() const { return m_selection; } // in the order selected
    int SelectCount() const { return int(m_selection.size()); }
    long SelectedItem(int index) const;
    bool isSelected(long item) const;
    void SelectItem(long item, bool selected = true);
    void UnselectAll();
    long FocusItem() const { return m_focus; }
    void setFocusItem(long item);

    // ---- outline
    void IndentSelection();
    void OutdentSelection();
    void MoveFocusUp();
    void MoveFocusDown();
    // Items with children get "Summary" bars spanning them and lose their links; others "Task".
    void RebuildSummaryBars();
    // Row numbers, WBS codes and levels in tree order; every row expanded.
    void RenumberWbs();

    // ---- undo
    // Marks the start of one user change; nested calls make one step. Joined, the change is
    // taken back together with the step before it.
    void beginChange(bool joinLast = false);
    void endChange();
    bool Undo();
    bool Redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    // ---- files
    // Our own plan file (see docs/architecture.md); written whole or not at all.
    bool save(const QString& path, QString* error = nullptr) const;
    // The current plan stays as it was when the file cannot be read.
    bool load(const QString& path, QString* error = nullptr);
    QByteArray toXml() const;
    bool fromXml(const QByteArray& xml, QString* error = nullptr);

private:
    std::function<void()> m_changed;
    struct State;
    void touched();
    GanttItem& at(long item);
    std::vector<long>& siblings(long parent);
    void detach(long item);
    void spanSummary(long item);
    std::unique_ptr<State> snapshot() const;
    void restore(const State& s);

    std::unordered_map<long, GanttItem> m_items;
    std::vector<long> m_order; // creation order
    std::vector<long> m_roots;
    std::vector<GanttLink> m_links;
    std::vector<long> m_selection;
    long m_focus = 0;
    long m_nextHandle = 1;
    long m_nextLink = 1;
    int m_mask = 1;
    bool m_modified = false;
    int m_changeDepth = 0;
    std::vector<std::unique_ptr<State>> m_undo, m_redo;
};

} // namespace controls
