#pragma once
#include <QAbstractItemModel>
#include <QDate>
#include <QVariantList>
#include <QWidget>
#include <unordered_map>

#include "controls/GanttModel.h"

class QScrollBar;
class QToolButton;
class QSplitter;
class QTreeView;

// The Gantt chart on screen: the rows and their cells on the left, the bars on a time scale on
// the right, one vertical scroll for both. What the user does comes out as named events with
// their parameters, as the organiser's event procedure reads them.
namespace controls {

class GanttChartPane;

// The rows of the plan for the tree on the left; the columns are the cells.
class GanttTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit GanttTreeModel(GanttModel& plan, QObject* parent = nullptr);
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    QModelIndex indexOf(long item, int column = CellName) const;
    long itemOf(const QModelIndex& index) const { return index.isValid() ? long(index.internalId()) : 0; }
    void setCaptions(const QStringList& captions);
    void reset();

signals:
    // A cell edit that moved a bar: the item to reschedule from.
    void edited(long item);

private:
    GanttModel& m_plan;
    QStringList m_captions;
};

class GanttView : public QWidget {
    Q_OBJECT
public:
    enum class Zoom { Day, Week, Month };

    explicit GanttView(QWidget* parent = nullptr);
    ~GanttView() override;

    GanttModel& model() { return m_plan; }
    QTreeView* tree() const { return m_tree; }
    GanttChartPane* chart() const { return m_chart; }
    QSplitter* splitter() const { return m_split; }

    void BeginUpdate();
    void EndUpdate();
    int PaneWidth(int pane) const;
    void setPaneWidth(int pane, int width);
    void setColumnCaptions(const QStringList& captions); // in cell order
    void setColumnWidths(const QList<int>& widths);      // in cell order
    void setMonthNames(const QStringList& names);
    void setZoomCaptions(const QStringList& captions); // day, week, month
    void setDefaultItemHeight(int height);
    void setZoom(Zoom zoom);
    Zoom zoom() const;
    void setFirstVisibleDate(const QDate& date);
    QDate firstVisibleDate() const;

    // Cell editing.
    bool AutoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }
    void Edit(int cell = CellName);
    void EditClose();
    bool editing() const;

    void EnsureVisibleItem(long item);
    int scrollPos() const;
    void setScrollPos(int pos);
    // Shows the model's rows, selection and focus again after a change made outside the view.
    void refresh();

    // The event procedure its container registers: called first for every event, with the
    // event's parameters, any of which it may write back.
    std::function<int(const QString& name, QVariantList& params)> eventProcedure;
    // Raises an event: the procedure, then the signal; answers the parameters as left.
    QVariantList raise(const QString& name, QVariantList params = {});

signals:
    // "AddLink" (key), "AllowLink" (start, -, end, -, -, cancel), "BarResize" (item),
    // "KeyDown" (key code, shift), "DblClick", "RClick" (link key or empty), "EditOpen",
    // "EditClose", "SelectionChanged", "OverviewZoom".
    void ganttEvent(const QString& name, const QVariantList& params);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncSelectionToModel();
    void syncSelectionFromModel();
    void cellEdited(long item);
    // Shows a change of the plan.
    void planChanged();

    GanttModel m_plan{[this] { planChanged(); }};
    GanttTreeModel* m_rows = nullptr;
    QSplitter* m_split = nullptr;
    QTreeView* m_tree = nullptr;
    GanttChartPane* m_chart = nullptr;
    bool m_closing = false;
    int m_updates = 0;
    bool m_autoEdit = true;
    bool m_syncing = false;
    bool m_pendingRefresh = false;
};

// The time chart: scale, bars, links, non-working days, the today mark.
class GanttChartPane : public QWidget {
    Q_OBJECT
public:
    GanttChartPane(GanttModel& plan, QTreeView& rows, QWidget* parent = nullptr);
    void setZoom(GanttView::Zoom zoom);
    GanttView::Zoom zoom() const { return m_zoom; }
    double dayWidth() const;
    void setFirstVisibleDate(const QDate& date);
    QDate firstVisibleDate() const { return m_first; }
    void setMonthNames(const QStringList& names) { m_months = names; update(); }
    void setZoomCaptions(const QStringList& captions); // day, week, month
    QDate dateAt(int x) const;
    int xOf(const QDate& date) const;
    long itemAt(int y) const;
    QRect barRect(long item) const;
    QString linkAt(const QPoint& p) const;
    int headerHeight() const;
    // The rows changed (read again, opened or closed): their places are taken anew.
    void invalidateRows() { m_rowIndex.clear(); }
    QColor linkColour = QColor(0, 0, 255);
    QColor todayColour = QColor(255, 128, 0);

signals:
    void barChanged(long item);             // moved or resized by the mouse
    void linkRequested(long start, long end);
    void linkDoubleClicked(const QString& key);
    void linkMenuRequested(const QString& key);
    void zoomRequested(GanttView::Zoom zoom);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    enum class Drag { None, Move, Resize, Link };
    QPolygon linkPath(const GanttLink& l) const;
    int rowTop(long item) const;
    int rowHeight() const;
    void indexRows() const;

    GanttModel& m_plan;
    QTreeView& m_rows;
    QScrollBar* m_hscroll;
    std::vector<QToolButton*> m_zoomButtons;
    GanttView::Zoom m_zoom = GanttView::Zoom::Day;
    QDate m_first;
    QStringList m_months;
    Drag m_drag = Drag::None;
    long m_dragItem = 0;
    QPoint m_pressAt, m_mouseAt;
    GanttBar m_dragBar;
    mutable std::unordered_map<long, int> m_rowIndex; // shown rows by their place
    mutable int m_rowPitch = 20;
};

} // namespace controls
