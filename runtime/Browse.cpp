#include "runtime/Browse.h"

#include <QColor>

#include "runtime/Dialogs.h"
#include "runtime/ErrorClass.h"
#include "runtime/WindowManager.h"

namespace vrt {

// ---- model ------------------------------------------------------------------------------

void BrowseModel::setHeaders(QStringList headers)
{
    beginResetModel();
    m_headers = std::move(headers);
    endResetModel();
}

void BrowseModel::setRows(std::vector<BrowseRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int BrowseModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const auto& row = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
    if (role == Qt::BackgroundRole && m_alternate.isValid() && index.row() % 2 == 1)
        return m_alternate;
    if (role == Qt::UserRole)
        return row.id;
    return {};
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---- source ------------------------------------------------------------------------------

bool BrowseSource::locatorMatches(const QString& cell, const QString& text)
{
    return cell.toCaseFolded().startsWith(text.toCaseFolded());
}

int BrowseSource::locateRow(const BrowseQuery&, const std::vector<BrowseRow>& rows, int column, const QString& text)
{
    for (size_t i = 0; i < rows.size(); ++i)
        if (locatorMatches(rows[i].cells.value(column), text))
            return int(i);
    return -1;
}

// ---- browse -----------------------------------------------------------------------------

Browse::Browse(BrowseSource& source, WindowManager* window) : m_source(source), m_window(window)
{
    m_model.setHeaders(source.headers());
    m_popupInsert = m_popup.addItem(QStringLiteral("Unos"), QStringLiteral("Insert"), [this] { insertRecord(); });
    m_popupChange = m_popup.addItem(QStringLiteral("Izmjena"), QStringLiteral("Change"), [this] { changeRecord(); });
    m_popupDelete = m_popup.addItem(QStringLiteral("Brisanje"), QStringLiteral("Delete"), [this] { deleteRecord(); });
    if (m_window)
        m_window->addResettable([this](bool) { resetFromView(); });
}

void Browse::addOrder(Order order) { m_orders.push_back(std::move(order)); }

void Browse::setOrder(int order)
{
    if (order < 0 || (!m_orders.empty() && order >= int(m_orders.size())) || order == m_query.order)
        return;
    m_query.order = order;
    m_locator.clear();
    resetFromView();
}

void Browse::setFilter(const QString& filter)
{
    m_query.filter = filter;
    resetFromView();
}

void Browse::setRange(const QVariant& value)
{
    m_query.rangeValue = value;
    resetFromView();
}

void Browse::resetFromView()
{
    const QVariant keep = selectedId();
    const int keepRow = m_selected;
    m_model.setRows(m_source.fetchRows(m_query));
    m_selected = -1;
    const int count = m_model.rowCount();
    if (count > 0 && !(keep.isValid() && selectId(keep)))
        m_selected = std::clamp(keepRow < 0 ? 0 : keepRow, 0, count - 1);
    // Lists that hang on this one's selection must see the record it moved to.
    if (onSelectionMoved && selectedId() != keep)
        onSelectionMoved();
}

QVariant Browse::selectedId() const
{
    if (m_selected < 0 || m_selected >= m_model.rowCount())
        return {};
    return m_model.rows()[size_t(m_selected)].id;
}

bool Browse::select(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return false;
    m_selected = row;
    return true;
}

bool Browse::selectId(const QVariant& id)
{
    const auto& rows = m_model.rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].id == id) {
            m_selected = int(i);
            return true;
        }
    return false;
}

int Browse::locate(const QString& text)
{
    m_locator = text;
    const int column = locatorColumn();
    if (column < 0 || m_model.rowCount() == 0)
        return m_selected;
    // Nothing matching leaves the selection: "where the text would stand" means nothing in an
    // order by another column or a descending one, and a lazy source cannot tell it cheaply.
    const int row = m_source.locateRow(m_query, m_model.rows(), column, text);
    if (row >= 0 && row < m_model.rowCount())
        m_selected = row;
    return m_selected;
}

int Browse::locatorColumn() const
{
    return size_t(m_query.order) < m_orders.size() ? m_orders[size_t(m_query.order)].locatorColumn : -1;
}

void Browse::setLocatorColumn(int column)
{
    if (size_t(m_query.order) < m_orders.size())
        m_orders[size_t(m_query.order)].locatorColumn = column;
    m_locator.clear();
}

int Browse::ask(int request)
{
    if (m_readOnly && request != VIEW_RECORD)
        return REQUEST_CANCELLED;
    const bool hasForm = m_window && m_updateNumber;
    QVariant id;
    if (request == INSERT_RECORD) {
        if (!hasForm)
            return REQUEST_CANCELLED;
        const auto primed = m_source.primeRecord();
        if (!primed) {
            if (m_errors) {
                m_errors->setErrorText(m_source.lastError());
                m_errors->throwMessage(Msg_AddFailed);
            }
            return REQUEST_CANCELLED;
        }
        id = *primed;
    } else {
        id = selectedId();
        if (!id.isValid())
            return REQUEST_CANCELLED;
        if (!m_source.load(id)) { // someone else removed it: show what is there now
            resetFromView();
            return REQUEST_CANCELLED;
        }
    }

    int response = REQUEST_CANCELLED;
    if (hasForm) {
        response = m_window->run(m_updateNumber, request);
    } else if (request == DELETE_RECORD) {
        const bool yes = m_errors ? m_errors->throwMessage(Msg_ConfirmDelete) == LEVEL_BENIGN
                                  : vrt::message(QStringLiteral("Are you sure you want to delete the highlighted record?"),
                                                 QStringLiteral("Confirm Delete"), Icon::Question,
                                                 BUTTON_YES | BUTTON_NO, BUTTON_NO) == BUTTON_YES;
        if (yes) {
            if (m_source.deleteRecord(id)) {
                response = REQUEST_COMPLETED;
            } else if (m_errors) {
                m_errors->setErrorText(m_source.lastError());
                m_errors->throwMessage(Msg_DeleteFailed);
            }
        }
    }

    if (response == REQUEST_COMPLETED) {
        if (onUpdated)
            onUpdated(request);
        const int row = m_selected;
        resetFromView();
        if (request == DELETE_RECORD) {
            if (m_model.rowCount() > 0)
                m_selected = std::clamp(row, 0, m_model.rowCount() - 1);
        } else {
            selectId(id);
        }
    } else if (request == INSERT_RECORD) {
        resetFromView(); // the form took its primed row back
    }
    return response;
}

int Browse::activate()
{
    if (m_selectMode) {
        const QVariant id = selectedId();
        if (!id.isValid() || !m_source.load(id))
            return REQUEST_CANCELLED;
        if (m_window) {
            m_window->setResponse(REQUEST_COMPLETED);
            m_window->close();
        }
        return REQUEST_COMPLETED;
    }
    return ask(m_readOnly ? VIEW_RECORD : CHANGE_RECORD);
}

PopupMenu& Browse::popup()
{
    refreshPopup();
    return m_popup;
}

void Browse::refreshPopup()
{
    const bool hasForm = m_window && m_updateNumber;
    const bool hasRow = selectedId().isValid();
    m_popup.setEnabled(m_popupInsert, hasForm && !m_readOnly);
    m_popup.setEnabled(m_popupChange, hasForm && hasRow && !m_readOnly);
    m_popup.setEnabled(m_popupDelete, hasRow && !m_readOnly);
}

} // namespace vrt
