#include "procedures/organiser/lists/ListWidgets.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>

#include "procedures/common/ListLayoutView.h"

namespace organiser {

void ListStyleDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    // The rows' bold, struck-through and italic come from the model's font.
    QStyledItemDelegate::initStyleOption(option, index);
    // A cell's own selected colours, where it has them (the task categories' colour swatch).
    if (option->state & QStyle::State_Selected) {
        if (const QVariant bg = index.data(SelectedBgRole); bg.isValid())
            option->palette.setColor(QPalette::Highlight, bg.value<QColor>());
        if (const QVariant fg = index.data(SelectedFgRole); fg.isValid())
            option->palette.setColor(QPalette::HighlightedText, fg.value<QColor>());
    }
}

OrganiserListView::~OrganiserListView()
{
    if (m_list.widths() == static_cast<ColumnWidths*>(this))
        m_list.setWidths(nullptr);
}

OrganiserListView::OrganiserListView(OrganiserList& list, QWidget* parent) : QTableView(parent), m_list(list)
{
    setModel(&list.model());
    setItemDelegate(new ListStyleDelegate(list.def().fill, this));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    // A list edited in place opens its editor on a double click, F2 or a click on the
    // selected cell; Tab moves on to the next cell and Enter writes it.
    setEditTriggers(!list.model().editableColumns.empty() ? DoubleClicked | EditKeyPressed | SelectedClicked : NoEditTriggers);
    setAlternatingRowColors(false); // the lists band their own rows
    // One line a row: long texts end in an ellipsis rather than wrapping.
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_locator.INIT(this, [this](const QString& text) {
        m_list.locate(text);
        syncSelection();
    });
    m_locator.SETACTIVELOCATOR(0);
    QHeaderView* header = horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(true);
    std::vector<int> widths;
    for (const ListColumn& c : list.def().columns)
        widths.push_back(c.width);
    VelmoraDll::setDesignWidths(header, widths);
    // A shown date column takes at least the widest date, whatever the short date form, in
    // the bold of unread or not started rows.
    QFont bold = font();
    bold.setBold(true);
    const int dateWidth = QFontMetrics(bold).horizontalAdvance(shortDate(QStringLiteral("2027-12-28"))) + 10;
    for (size_t c = 0; c < list.def().columns.size(); ++c)
        if (const ListColumn& col = list.def().columns[c]; col.show == Show::Date && col.width > 0)
            header->resizeSection(int(c), std::max(header->sectionSize(int(c)), dateWidth));
    list.setWidths(this);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        if (!m_list.sorter())
            return;
        const Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
        const int code = m & Qt::ShiftModifier ? VelmoraDll::HeaderSortManager::ClickShift
                         : m & Qt::ControlModifier ? VelmoraDll::HeaderSortManager::ClickCtrl
                                                   : VelmoraDll::HeaderSortManager::ClickPlain;
        m_list.sorter()->TakeHeaderClick(section + 1, code);
        syncSelection();
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
        if (!m_syncing && now.isValid() && now.row() != m_list.selected())
            m_list.select(now.row());
    });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { emit rowActivated(i.row()); });
    connect(&list.model(), &QAbstractItemModel::modelReset, this, &OrganiserListView::syncSelection);
    if (list.def().control == ctl::Email) {
        setDragEnabled(true);
        setDragDropMode(DragOnly);
    }
    syncSelection();
}

void OrganiserListView::syncSelection()
{
    m_syncing = true;
    const int row = m_list.selected();
    // The current cell keeps its column: an edit in place goes on from the cell the user
    // chose (Tab to the next one), not from the row's first.
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (row >= 0)
        selectionModel()->setCurrentIndex(model()->index(row, column),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        selectionModel()->clearSelection();
    m_syncing = false;
}

void OrganiserListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QRect r = visualRect(currentIndex());
        emit menuRequested(viewport()->mapToGlobal(r.isValid() ? r.center() : QPoint(0, 0)));
        return;
    }
    if (!m_list.model().editableColumns.empty() && state() != EditingState
        && (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete)) {
        if (event->key() == Qt::Key_Insert)
            emit insertRequested();
        else
            emit deleteRequested();
        return;
    }
    if (m_list.model().editableColumns.empty() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        emit rowActivated(m_list.selected());
        return;
    }
    QTableView::keyPressEvent(event);
}

void OrganiserListView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        if (const QModelIndex i = indexAt(event->position().toPoint()); i.isValid()) {
            if (i.row() != m_list.selected())
                m_list.select(i.row());
            syncSelection();
            emit rightPressed(i.row());
        }
}

void OrganiserListView::contextMenuEvent(QContextMenuEvent* event) { emit menuRequested(event->globalPos()); }

void OrganiserListView::startDrag(Qt::DropActions actions)
{
    const QVariant id = m_list.selectedId();
    if (!id.isValid())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(emailDragData({long(id.toLongLong())}));
    drag->exec(actions & Qt::MoveAction ? Qt::MoveAction : actions);
}

QMimeData* emailDragData(const QList<long>& ids)
{
    QStringList text;
    for (long id : ids)
        text << QString::number(id);
    auto* data = new QMimeData;
    data->setData(QLatin1String(kEmailDragFormat), text.join(u',').toLatin1());
    return data;
}

QList<long> draggedEmails(const QMimeData* data)
{
    QList<long> ids;
    if (!data || !data->hasFormat(QLatin1String(kEmailDragFormat)))
        return ids;
    for (const QByteArray& part : data->data(QLatin1String(kEmailDragFormat)).split(','))
        if (const long id = part.toLong(); id > 0)
            ids << id;
    return ids;
}

} // namespace organiser
