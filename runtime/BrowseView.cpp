#include "runtime/BrowseView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace vrt {

BrowseView::BrowseView(Browse& browse, QWidget* parent) : QTableView(parent), m_browse(browse)
{
    setModel(&browse.model());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { m_browse.select(current.row()); });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        m_browse.select(index.row());
        m_browse.activate();
        syncSelection();
    });
    connect(&browse.model(), &QAbstractItemModel::modelReset, this, [this] { syncSelection(); });
    // The browse searches its own locator column, in rows a lazy source may not have read.
    m_locator.INIT(this, [this](const QString& text) {
        m_browse.locate(text);
        syncSelection();
    });
    m_locator.SETACTIVELOCATOR(0);
    syncSelection();
}

void BrowseView::syncSelection()
{
    const int row = m_browse.selected();
    if (row < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void BrowseView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Insert:
        m_browse.insertRecord();
        break;
    case Qt::Key_Delete:
        m_browse.deleteRecord();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_browse.activate();
        break;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    syncSelection();
}

void BrowseView::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid())
        m_browse.select(index.row());
    m_browse.popup().ask(event->globalPos(), this);
    syncSelection();
}

} // namespace vrt
