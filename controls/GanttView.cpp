#include "controls/GanttView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace controls {

namespace {

const QStringList DefaultCaptions = {QStringLiteral("Aktivnosti"), QStringLiteral("Početak"), QStringLiteral("Završetak"),
                                     QStringLiteral("Trajanje"),   QStringLiteral("Rbr"),     QStringLiteral("Oznaka"),
                                     QStringLiteral("Level")};
constexpr int kEdge = 4;   // pixels at a bar's end that resize it
constexpr int kLinkHit = 4;
constexpr int kNoRow = std::numeric_limits<int>::min(); // a row not shown (under a closed one)

// Remembers the open cell editor, so the view can end an edit on its own.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* e = QStyledItemDelegate::createEditor(parent, option, index);
        editor = e;
        return e;
    }
    mutable QPointer<QWidget> editor;
};

class RowsView : public QTreeView {
public:
    explicit RowsView(QWidget* parent) : QTreeView(parent), m_cells(new CellDelegate(this)) { setItemDelegate(m_cells); }
    bool editing() const { return state() == EditingState && m_cells->editor; }
    // Keeps what was typed, then closes the editor.
    bool finishEdit()
    {
        QWidget* e = m_cells->editor;
        if (!e || state() != EditingState)
            return false;
        commitData(e);
        closeEditor(e, QAbstractItemDelegate::NoHint);
        return true;
    }

private:
    CellDelegate* m_cells;
};

} // namespace

// ---- rows -----------------------------------------------------------------------------------

GanttTreeModel::GanttTreeModel(GanttModel& plan, QObject* parent) : QAbstractItemModel(parent), m_plan(plan), m_captions(DefaultCaptions) {}

QModelIndex GanttTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const auto& list = m_plan.children(itemOf(parent));
    if (row < 0 || size_t(row) >= list.size() || column < 0 || column >= GanttCellCount)
        return {};
    return createIndex(row, column, quintptr(list[size_t(row)]));
}

QModelIndex GanttTreeModel::parent(const QModelIndex& child) const
{
    const long p = m_plan.ItemParent(itemOf(child));
    return p ? createIndex(m_plan.ItemPosition(p), 0, quintptr(p)) : QModelIndex();
}

int GanttTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(m_plan.children(itemOf(parent)).size());
}

int GanttTreeModel::columnCount(const QModelIndex&) const { return GanttCellCount; }

QModelIndex GanttTreeModel::indexOf(long item, int column) const
{
    const int row = m_plan.ItemPosition(item);
    return row < 0 ? QModelIndex() : createIndex(row, column, quintptr(item));
}

QVariant GanttTreeModel::data(const QModelIndex& index, int role) const
{
    const long item = itemOf(index);
    if (!item)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_plan.CellValue(item, index.column());
    if (role == Qt::TextAlignmentRole && index.column() != CellName)
        return int(Qt::AlignCenter);
    if (role == Qt::FontRole && m_plan.isSummary(item)) {
        QFont f;
        f.setBold(true);
        return f;
    }
    return {};
}

bool GanttTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const long item = itemOf(index);
    if (!item || role != Qt::EditRole)
        return false;
    m_plan.setCellValue(item, index.column(), value);
    if (index.column() >= CellStart && index.column() <= CellDuration)
        emit edited(item);
    return true;
}

Qt::ItemFlags GanttTreeModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractItemModel::flags(index);
    const long item = itemOf(index);
    // A WBS element's dates follow its activities.
    if (item && (index.column() == CellName || (index.column() <= CellDuration && !m_plan.isSummary(item))))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant GanttTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_captions.value(section);
    return QAbstractItemModel::headerData(section, orientation, role);
}

void GanttTreeModel::setCaptions(const QStringList& captions)
{
    m_captions = captions;
    emit headerDataChanged(Qt::Horizontal, 0, GanttCellCount - 1);
}

void GanttTreeModel::reset()
{
    beginResetModel();
    endResetModel();
}

// ---- view -----------------------------------------------------------------------------------

GanttView::GanttView(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    m_split = new QSplitter(Qt::Horizontal, this);
    box->addWidget(m_split);
    m_rows = new GanttTreeModel(m_plan, this);
    m_tree = new RowsView(m_split);
    m_tree->setObjectName(QStringLiteral("GanttRows"));
    m_tree->setModel(m_rows);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_tree->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setTreePosition(CellName);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setMinimumHeight(36); // the chart's two-level scale stands beside it
    m_tree->header()->setSectionsMovable(true);
    // "Rbr", "Oznaka" and "Level" come first.
    for (int i = 0; i < 3; ++i)
        m_tree->header()->moveSection(m_tree->header()->visualIndex(CellRow + i), i);
    setColumnWidths({250, 90, 90, 60, 30, 50, 50});
    setDefaultItemHeight(20);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);

    m_chart = new GanttChartPane(m_plan, *m_tree, m_split);
    m_chart->setObjectName(QStringLiteral("GanttChart"));
    m_split->addWidget(m_tree);
    m_split->addWidget(m_chart);
    m_split->setStretchFactor(1, 1);
    setPaneWidth(0, 333);

    connect(m_rows, &GanttTreeModel::edited, this, &GanttView::cellEdited);
    connect(m_tree->verticalScrollBar(), &QScrollBar::valueChanged, m_chart, qOverload<>(&QWidget::update));
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        m_plan.setExpandItem(m_rows->itemOf(i), true);
        m_chart->invalidateRows();
        m_chart->update();
    });
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
        m_plan.setExpandItem(m_rows->itemOf(i), false);
        m_chart->invalidateRows();
        m_chart->update();
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { syncSelectionToModel(); });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (!m_syncing)
            m_plan.setFocusItem(m_rows->itemOf(i));
    });
    connect(m_tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        raise(QStringLiteral("EditClose"), {});
    });
    connect(m_chart, &GanttChartPane::barChanged, this, [this](long item) {
        raise(QStringLiteral("BarResize"), {qlonglong(item)});
    });
    connect(m_chart, &GanttChartPane::linkRequested, this, [this](long start, long end) {
        QVariantList p{qlonglong(start), QString(), qlonglong(end), QString(), QString(), m_plan.AllowLink(start, end) ? 0 : 1};
        p = raise(QStringLiteral("AllowLink"), p);
        // The event procedure may refuse the link; one that would break the plan never goes in.
        if (p.value(5).toInt() != 0 || !m_plan.AllowLink(start, end))
            return;
        const QString key = m_plan.AddLink(start, end);
        raise(QStringLiteral("AddLink"), {key});
    });
    connect(m_chart, &GanttChartPane::zoomRequested, this, [this](Zoom z) { setZoom(z); });
    connect(m_chart, &GanttChartPane::linkDoubleClicked, this, [this](const QString& key) {
        raise(QStringLiteral("DblClick"), {key});
    });
    connect(m_chart, &GanttChartPane::linkMenuRequested, this, [this](const QString& key) {
        raise(QStringLiteral("RClick"), {key});
    });
    m_chart->setFirstVisibleDate(QDate::currentDate().addDays(-3));
}

GanttView::~GanttView() { m_closing = true; }

void GanttView::planChanged()
{
    // Not built yet, or going away: there is nothing to show it on.
    if (!m_chart || m_closing)
        return;
    if (m_updates > 0) {
        m_pendingRefresh = true;
        return;
    }
    // A value taken from an open editor: the rows are read again once it has closed.
    if (static_cast<RowsView*>(m_tree)->editing()) {
        if (!m_pendingRefresh)
            QMetaObject::invokeMethod(this, [this] { if (m_pendingRefresh && !m_updates) refresh(); }, Qt::QueuedConnection);
        m_pendingRefresh = true;
        m_chart->update();
        return;
    }
    refresh();
}

QVariantList GanttView::raise(const QString& name, QVariantList params)
{
    if (eventProcedure)
        eventProcedure(name, params);
    emit ganttEvent(name, params);
    return params;
}

void GanttView::BeginUpdate() { ++m_updates; }

void GanttView::EndUpdate()
{
    if (m_updates > 0 && --m_updates == 0 && m_pendingRefresh)
        refresh();
}

void GanttView::refresh()
{
    m_pendingRefresh = false;
    const int pos = scrollPos();
    m_rows->reset();
    m_syncing = true;
    for (long h : m_plan.treeOrder())
        if (m_plan.ExpandItem(h) && !m_plan.children(h).empty())
            m_tree->setExpanded(m_rows->indexOf(h), true);
    m_syncing = false;
    syncSelectionFromModel();
    setScrollPos(pos);
    m_chart->invalidateRows();
    m_chart->update();
}

int GanttView::PaneWidth(int pane) const
{
    const QList<int> sizes = m_split->sizes();
    return pane >= 0 && pane < sizes.size() ? sizes[pane] : 0;
}

void GanttView::setPaneWidth(int pane, int width)
{
    if (pane != 0)
        return;
    const int total = std::max(m_split->width(), width + 200);
    m_split->setSizes({width, total - width});
}

void GanttView::setColumnCaptions(const QStringList& captions) { m_rows->setCaptions(captions); }

void GanttView::setColumnWidths(const QList<int>& widths)
{
    for (int i = 0; i < widths.size() && i < GanttCellCount; ++i)
        m_tree->header()->resizeSection(i, widths[i]);
}

void GanttView::setMonthNames(const QStringList& names) { m_chart->setMonthNames(names); }
void GanttView::setZoomCaptions(const QStringList& captions) { m_chart->setZoomCaptions(captions); }

void GanttView::setDefaultItemHeight(int height)
{
    m_tree->setStyleSheet(QStringLiteral("QTreeView::item { height: %1px; }").arg(height));
}

void GanttView::setZoom(Zoom zoom)
{
    m_chart->setZoom(zoom);
    raise(QStringLiteral("OverviewZoom"), {int(zoom)});
}

GanttView::Zoom GanttView::zoom() const { return m_chart->zoom(); }
void GanttView::setFirstVisibleDate(const QDate& date) { m_chart->setFirstVisibleDate(date); }
QDate GanttView::firstVisibleDate() const { return m_chart->firstVisibleDate(); }

void GanttView::Edit(int cell)
{
    const long item = m_plan.FocusItem();
    if (!item)
        return;
    const QModelIndex i = m_rows->indexOf(item, cell);
    m_tree->setCurrentIndex(i);
    m_tree->edit(i);
    if (editing())
        raise(QStringLiteral("EditOpen"), {});
}

void GanttView::EditClose()
{
    if (static_cast<RowsView*>(m_tree)->finishEdit())
        raise(QStringLiteral("EditClose"), {});
}

bool GanttView::editing() const { return static_cast<RowsView*>(m_tree)->editing(); }

void GanttView::EnsureVisibleItem(long item)
{
    // By the first shown column, so the rows do not scroll sideways.
    const QModelIndex i = m_rows->indexOf(item, m_tree->header()->logicalIndex(0));
    if (i.isValid()) {
        m_tree->scrollTo(i);
        m_chart->update();
    }
}

int GanttView::scrollPos() const { return m_tree->verticalScrollBar()->value(); }
void GanttView::setScrollPos(int pos) { m_tree->verticalScrollBar()->setValue(pos); }

void GanttView::syncSelectionToModel()
{
    if (m_syncing)
        return;
    std::vector<long> now;
    for (const QModelIndex& i : m_tree->selectionModel()->selectedRows())
        now.push_back(m_rows->itemOf(i));
    // Rows stay in the order they were chosen; new ones follow.
    for (long h : std::vector<long>(m_plan.selection()))
        if (std::find(now.begin(), now.end(), h) == now.end())
            m_plan.SelectItem(h, false);
    for (long h : now)
        if (!m_plan.isSelected(h))
            m_plan.SelectItem(h);
    m_plan.setFocusItem(m_rows->itemOf(m_tree->currentIndex()));
    m_chart->update();
    raise(QStringLiteral("SelectionChanged"), {});
}

void GanttView::syncSelectionFromModel()
{
    m_syncing = true;
    QItemSelection sel;
    for (long h : m_plan.selection()) {
        const QModelIndex i = m_rows->indexOf(h);
        sel.select(i, i.siblingAtColumn(GanttCellCount - 1));
    }
    m_tree->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    if (const long f = m_plan.FocusItem())
        m_tree->selectionModel()->setCurrentIndex(m_rows->indexOf(f), QItemSelectionModel::NoUpdate);
    m_syncing = false;
}

void GanttView::cellEdited(long item) { raise(QStringLiteral("BarResize"), {qlonglong(item)}); }

bool GanttView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->matches(QKeySequence::Undo) && !editing()) {
            m_plan.Undo();
            return true;
        }
        if (k->matches(QKeySequence::Redo) && !editing()) {
            m_plan.Redo();
            return true;
        }
        if (k->key() == Qt::Key_Insert || k->key() == Qt::Key_Delete) {
            // Delete while a cell is edited belongs to the editor.
            if (!editing())
                raise(QStringLiteral("KeyDown"), {k->key() == Qt::Key_Insert ? 45 : 46, int(k->modifiers())});
            return !editing();
        }
    }
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Clicking a row shows its bar: its start three days after the chart's first date.
        const auto* m = static_cast<QMouseEvent*>(event);
        const long item = m_rows->itemOf(m_tree->indexAt(m->position().toPoint()));
        if (const QDate start = m_plan.bar(item).start; start.isValid())
            m_chart->setFirstVisibleDate(start.addDays(-3));
    }
    return QWidget::eventFilter(watched, event);
}

// ---- chart ----------------------------------------------------------------------------------

GanttChartPane::GanttChartPane(GanttModel& plan, QTreeView& rows, QWidget* parent) : QWidget(parent), m_plan(plan), m_rows(rows)
{
    setMouseTracking(true);
    setMinimumWidth(100);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    // The zoom: day, week, month.
    for (auto [zoom, text] : {std::pair{GanttView::Zoom::Day, "Dan"}, {GanttView::Zoom::Week, "Tjedan"}, {GanttView::Zoom::Month, "Mjesec"}}) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(text));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setChecked(zoom == m_zoom);
        b->setObjectName(QStringLiteral("Zoom") + QString::fromUtf8(text));
        connect(b, &QToolButton::clicked, this, [this, zoom] { emit zoomRequested(zoom); });
        m_zoomButtons.push_back(b);
    }
    m_hscroll = new QScrollBar(Qt::Horizontal, this);
    m_hscroll->setRange(-3650, 3650);
    connect(m_hscroll, &QScrollBar::valueChanged, this, [this](int v) {
        m_first = QDate(2000, 1, 1).addDays(v);
        update();
    });
    setContextMenuPolicy(Qt::PreventContextMenu);
    const QLocale hr(QLocale::Croatian);
    for (int m = 1; m <= 12; ++m)
        m_months << hr.standaloneMonthName(m);
}

double GanttChartPane::dayWidth() const
{
    switch (m_zoom) {
    case GanttView::Zoom::Day: return 20;
    case GanttView::Zoom::Week: return 40.0 / 7;
    default: return 60.0 / 30;
    }
}

void GanttChartPane::setZoomCaptions(const QStringList& captions)
{
    for (size_t i = 0; i < m_zoomButtons.size() && int(i) < captions.size(); ++i)
        m_zoomButtons[i]->setText(captions[int(i)]);
    resizeEvent(nullptr);
}

void GanttChartPane::setZoom(GanttView::Zoom zoom)
{
    m_zoom = zoom;
    for (size_t i = 0; i < m_zoomButtons.size(); ++i)
        m_zoomButtons[i]->setChecked(int(i) == int(zoom));
    setFirstVisibleDate(QDate::currentDate().addDays(-3));
}

void GanttChartPane::setFirstVisibleDate(const QDate& date)
{
    if (!date.isValid())
        return;
    m_first = date;
    const QSignalBlocker b(m_hscroll);
    m_hscroll->setValue(int(QDate(2000, 1, 1).daysTo(date)));
    update();
}

int GanttChartPane::xOf(const QDate& date) const { return int(std::lround(double(m_first.daysTo(date)) * dayWidth())); }

QDate GanttChartPane::dateAt(int x) const { return m_first.addDays(qint64(std::floor(x / dayWidth()))); }

int GanttChartPane::headerHeight() const { return m_rows.header()->height(); }

int GanttChartPane::rowHeight() const
{
    const QRect first = m_rows.visualRect(m_rows.model()->index(0, 0));
    return first.height() > 0 ? first.height() : 20;
}

void GanttChartPane::indexRows() const
{
    // Rows are all of one height, so a row's place follows from its place in the shown order.
    m_rowIndex.clear();
    int n = 0;
    for (long h : m_plan.treeOrder(true))
        m_rowIndex.emplace(h, n++);
    m_rowPitch = rowHeight();
}

int GanttChartPane::rowTop(long item) const
{
    const auto it = m_rowIndex.find(item);
    if (it == m_rowIndex.end())
        return kNoRow;
    return headerHeight() + it->second * m_rowPitch - m_rows.verticalScrollBar()->value();
}

long GanttChartPane::itemAt(int y) const
{
    auto* rows = static_cast<GanttTreeModel*>(m_rows.model());
    return rows->itemOf(m_rows.indexAt(QPoint(1, y - headerHeight())));
}

QRect GanttChartPane::barRect(long item) const
{
    if (m_rowIndex.empty())
        indexRows();
    const GanttBar& b = (m_drag != Drag::None && m_drag != Drag::Link && item == m_dragItem) ? m_dragBar : m_plan.bar(item);
    const int top = rowTop(item);
    if (top == kNoRow || !b.start.isValid() || !b.end.isValid())
        return {};
    const int h = m_plan.isSummary(item) ? 8 : 14;
    const int y = top + (rowHeight() - h) / 2;
    const int x1 = xOf(b.start);
    return QRect(x1, y, std::max(xOf(b.end) - x1, 3), h);
}

QPolygon GanttChartPane::linkPath(const GanttLink& l) const
{
    const QRect from = barRect(l.start), to = barRect(l.end);
    if (from.isNull() || to.isNull())
        return {};
    const QPoint a(l.startPos == 0 ? from.left() : from.right(), from.center().y());
    const QPoint b(l.endPos == 0 ? to.left() : to.right(), to.center().y());
    const int outA = l.startPos == 0 ? a.x() - 6 : a.x() + 6;
    const int inB = l.endPos == 0 ? b.x() - 6 : b.x() + 6;
    QPolygon p;
    p << a << QPoint(outA, a.y());
    const int midY = (a.y() + b.y()) / 2;
    p << QPoint(outA, midY) << QPoint(inB, midY) << QPoint(inB, b.y()) << b;
    return p;
}

QString GanttChartPane::linkAt(const QPoint& pt) const
{
    indexRows();
    for (const GanttLink& l : m_plan.links()) {
        const QPolygon p = linkPath(l);
        for (int i = 0; i + 1 < p.size(); ++i) {
            const QRect seg = QRect(p[i], p[i + 1]).normalized().adjusted(-kLinkHit, -kLinkHit, kLinkHit, kLinkHit);
            if (seg.contains(pt))
                return l.key;
        }
    }
    return {};
}

void GanttChartPane::paintEvent(QPaintEvent*)
{
    indexRows();
    QPainter p(this);
    const int head = headerHeight();
    const int bottom = m_hscroll->geometry().top();
    const double dw = dayWidth();
    const QDate last = dateAt(width());

    // Non-working days and the scale.
    p.fillRect(QRect(0, 0, width(), head), palette().button());
    const int half = head / 2;
    for (QDate d = m_first; d <= last; d = d.addDays(1)) {
        const int x = xOf(d);
        if (m_plan.IsNonworkingDate(d) && dw >= 2)
            p.fillRect(QRectF(x, head, dw, bottom - head), QColor(0xEE, 0xEE, 0xEE));
        const bool monthStart = d.day() == 1 || d == m_first;
        if (monthStart) {
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(x, 0, x, head);
            p.setPen(palette().color(QPalette::ButtonText));
            p.drawText(QRect(x + 3, 0, int(d.daysInMonth() * dw), half), Qt::AlignVCenter | Qt::AlignLeft,
                       m_months.value(d.month() - 1) + QLatin1Char(' ') + QString::number(d.year()));
        }
        const bool tick = m_zoom == GanttView::Zoom::Day   ? true
                          : m_zoom == GanttView::Zoom::Week ? d.dayOfWeek() == 1
                                                            : d.day() == 1;
        if (tick) {
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(x, half, x, head);
            const QString label = m_zoom == GanttView::Zoom::Day    ? QString::number(d.day())
                                  : m_zoom == GanttView::Zoom::Week ? QString::number(d.weekNumber())
                                                                    : QString::number(d.month());
            p.setPen(palette().color(QPalette::ButtonText));
            p.drawText(QRect(x, half, int(m_zoom == GanttView::Zoom::Day ? dw : 7 * dw), head - half), Qt::AlignCenter, label);
        }
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, half, width(), half);
    p.drawLine(0, head - 1, width(), head - 1);

    p.setClipRect(0, head, width(), bottom - head);
    const int today = xOf(QDate::currentDate());
    p.fillRect(QRect(today, head, int(std::max(dw, 2.0)), bottom - head), QColor(0xF5, 0xF5, 0xF5));

    // Rows on screen, their bars.
    auto* rows = static_cast<GanttTreeModel*>(m_rows.model());
    p.setRenderHint(QPainter::Antialiasing, true);
    for (QModelIndex i = m_rows.indexAt(QPoint(1, 1)); i.isValid(); i = m_rows.indexBelow(i)) {
        const long item = rows->itemOf(i);
        const int top = rowTop(item);
        if (top > bottom)
            break;
        if (m_plan.isSelected(item))
            p.fillRect(QRect(0, top, width(), rowHeight()), QColor(0xF5, 0xF5, 0xF5).darker(104));
        const QRect r = barRect(item);
        if (r.isNull())
            continue;
        if (m_plan.isSummary(item)) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 40, 40));
            p.drawRect(r);
            p.drawPolygon(QPolygon({r.bottomLeft(), r.bottomLeft() + QPoint(5, 0), r.bottomLeft() + QPoint(0, 5)}));
            p.drawPolygon(QPolygon({r.bottomRight(), r.bottomRight() - QPoint(5, 0), r.bottomRight() + QPoint(0, 5)}));
        } else {
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, QColor(0x9C, 0xC3, 0xF0));
            g.setColorAt(1, QColor(0x3A, 0x78, 0xC8));
            p.setPen(QColor(0x2A, 0x5A, 0x9A));
            p.setBrush(g);
            p.drawRoundedRect(r, 2, 2);
        }
    }
    p.setBrush(Qt::NoBrush);
    for (const GanttLink& l : m_plan.links()) {
        const int y1 = rowTop(l.start), y2 = rowTop(l.end);
        if (y1 == kNoRow || y2 == kNoRow || std::max(y1, y2) < head - m_rowPitch || std::min(y1, y2) > bottom)
            continue;
        const QPolygon path = linkPath(l);
        if (path.size() < 2)
            continue;
        p.setPen(QPen(linkColour, 1));
        p.drawPolyline(path);
        const QPoint tip = path.last();
        const int dir = path[path.size() - 2].x() < tip.x() ? -1 : 1;
        p.setBrush(linkColour);
        p.drawPolygon(QPolygon({tip, tip + QPoint(dir * 5, -3), tip + QPoint(dir * 5, 3)}));
        p.setBrush(Qt::NoBrush);
    }
    p.setPen(QPen(todayColour, 2));
    p.drawLine(today, head, today, bottom);
    if (m_drag == Drag::Link) {
        p.setPen(QPen(linkColour, 1, Qt::DashLine));
        p.drawLine(m_pressAt, m_mouseAt);
    }
}

void GanttChartPane::resizeEvent(QResizeEvent*)
{
    const int h = std::max(m_hscroll->sizeHint().height(), 20);
    int x = 0;
    for (QToolButton* b : m_zoomButtons) {
        const int w = b->sizeHint().width();
        b->setGeometry(x, height() - h, w, h);
        x += w;
    }
    m_hscroll->setGeometry(x, height() - h, std::max(width() - x, 20), h);
}

void GanttChartPane::mousePressEvent(QMouseEvent* e)
{
    indexRows();
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        if (const QString key = linkAt(at); !key.isEmpty())
            emit linkMenuRequested(key);
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    const long item = itemAt(at.y());
    const QRect r = barRect(item);
    m_drag = Drag::None;
    if (!item || !r.adjusted(-kEdge, 0, kEdge, 0).contains(at))
        return;
    m_dragItem = item;
    m_dragBar = m_plan.bar(item);
    m_pressAt = m_mouseAt = at;
    if (m_plan.isSummary(item))
        m_drag = Drag::None; // a WBS element follows its activities
    else
        m_drag = std::abs(at.x() - r.right()) <= kEdge ? Drag::Resize : Drag::Move;
}

void GanttChartPane::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    m_mouseAt = at;
    if (m_drag == Drag::None) {
        const long item = itemAt(at.y());
        const QRect r = barRect(item);
        setCursor(item && !m_plan.isSummary(item) && std::abs(at.x() - r.right()) <= kEdge && r.contains(QPoint(r.left(), at.y()))
                      ? Qt::SizeHorCursor
                      : Qt::ArrowCursor);
        return;
    }
    // Leaving the row turns a move into drawing a link.
    if (m_drag == Drag::Move && itemAt(at.y()) != m_dragItem)
        m_drag = Drag::Link;
    const qint64 days = qint64(std::lround((at.x() - m_pressAt.x()) / dayWidth()));
    const GanttBar& b = m_plan.bar(m_dragItem);
    if (m_drag == Drag::Move) {
        m_dragBar.start = b.start.addDays(days);
        m_dragBar.end = m_plan.endForDuration(m_dragBar.start, m_plan.duration(m_dragItem));
    } else if (m_drag == Drag::Resize) {
        m_dragBar.end = std::max(b.end.addDays(days), b.start);
    }
    update();
}

void GanttChartPane::mouseReleaseEvent(QMouseEvent* e)
{
    const Drag drag = m_drag;
    m_drag = Drag::None;
    const long item = m_dragItem;
    if (drag == Drag::Link) {
        const long target = itemAt(e->position().toPoint().y());
        if (target && target != item)
            emit linkRequested(item, target);
    } else if ((drag == Drag::Move || drag == Drag::Resize) && m_dragBar.start.isValid()) {
        const GanttBar& b = m_plan.bar(item);
        if (m_dragBar.start != b.start || m_dragBar.end != b.end) {
            m_plan.beginChange();
            m_plan.setBarDates(item, m_dragBar.start, m_dragBar.end);
            m_plan.endChange();
            emit barChanged(item);
        }
    }
    update();
}

void GanttChartPane::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (const QString key = linkAt(e->position().toPoint()); !key.isEmpty())
        emit linkDoubleClicked(key);
}

void GanttChartPane::wheelEvent(QWheelEvent* e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        const int next = std::clamp(int(m_zoom) + (e->angleDelta().y() < 0 ? 1 : -1), 0, 2);
        if (next != int(m_zoom))
            emit zoomRequested(GanttView::Zoom(next));
        return;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        m_hscroll->setValue(m_hscroll->value() - e->angleDelta().y() / 8);
        return;
    }
    QApplication::sendEvent(m_rows.viewport(), e);
}


} // namespace controls
