#include "runtime/Browse.h"

#include <QColor>
#include <QMetaObject>

#include <atomic>

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
    m_ids = {};
    m_holdsIds = false;
    endResetModel();
}

bool BrowseModel::setCellText(int row, int column, const QString& text)
{
    if (m_holdsIds || row < 0 || size_t(row) >= m_rows.size() || column < 0 || column >= m_rows[size_t(row)].cells.size())
        return false;
    m_rows[size_t(row)].cells[column] = text;
    emit dataChanged(index(row, column), index(row, column));
    return true;
}

void BrowseModel::setIds(std::vector<qint64> ids)
{
    beginResetModel();
    m_ids = std::move(ids);
    m_rows = {};
    m_holdsIds = true;
    endResetModel();
}

QVariant BrowseModel::idAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_holdsIds ? QVariant(m_ids[size_t(row)]) : m_rows[size_t(row)].id;
}

int BrowseModel::rowOf(const QVariant& id) const
{
    if (!id.isValid())
        return -1;
    if (m_holdsIds) {
        bool ok = false;
        const qint64 wanted = id.toLongLong(&ok);
        if (!ok)
            return -1;
        const auto it = std::find(m_ids.begin(), m_ids.end(), wanted);
        return it == m_ids.end() ? -1 : int(it - m_ids.begin());
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return int(i);
    return -1;
}

int BrowseModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_holdsIds ? m_ids.size() : m_rows.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (m_holdsIds) // the texts are the source's, read when shown
        return role == Qt::UserRole ? QVariant(m_ids[size_t(index.row())]) : QVariant();
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

bool BrowseSource::fetchIds(const BrowseQuery&, std::vector<qint64>&) { return false; }

int BrowseSource::locateRow(const BrowseQuery&, const BrowseModel& model, int column, const QString& text)
{
    const auto& rows = model.rows();
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
        m_window->addResettable([this](bool) { refresh(); });
}

namespace {
std::atomic<quint64> g_reads{0};
std::atomic<int> g_pending{0};
}

Browse::~Browse()
{
    if (m_scheduled)
        --g_pending;
}

quint64 Browse::totalReads() { return g_reads.load(); }
int Browse::pendingReads() { return g_pending.load(); }

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
    if (filter == m_query.filter && m_reads > 0)
        return refresh();
    m_query.filter = filter;
    resetFromView();
}

void Browse::setRange(const QVariant& value)
{
    if (value == m_query.rangeValue && m_reads > 0)
        return refresh();
    m_query.rangeValue = value;
    resetFromView();
}

void Browse::resetFromView()
{
    m_dirty = true;
    flush();
}

void Browse::requestReset()
{
    m_dirty = true;
    if (m_scheduled)
        return;
    m_scheduled = true;
    ++g_pending;
    // The model is the context: a list gone before the loop turns is not read.
    QMetaObject::invokeMethod(
        &m_model,
        [this] {
            m_scheduled = false;
            --g_pending;
            flush();
        },
        Qt::QueuedConnection);
}

void Browse::refresh()
{
    const std::optional<quint64> stamp = m_source.dataStamp();
    if (!stamp)
        resetFromView(); // nothing tells whether the data changed
    else if (m_reads == 0 || stamp != m_stamp)
        requestReset();
}

void Browse::flush()
{
    if (m_master)
        m_master->flush();
    if (m_dirty && !m_reading)
        read();
}

void Browse::read()
{
    m_reading = true;
    m_dirty = false;
    const QVariant keep = m_model.idAt(m_selected);
    const int keepRow = m_selected;
    // Taken before reading, so a write during the read is not taken as seen.
    m_stamp = m_source.dataStamp();
    ++m_reads;
    ++g_reads;
    // The selection is placed before the model tells its views, so a view that follows the
    // reset shows the record that stays selected, not the row number it had.
    std::vector<qint64> ids;
    int selected = -1;
    if (m_source.fetchIds(m_query, ids)) {
        if (keep.isValid()) {
            const qint64 wanted = keep.toLongLong();
            const auto it = std::find(ids.begin(), ids.end(), wanted);
            selected = it == ids.end() ? -1 : int(it - ids.begin());
        }
        const int count = int(ids.size());
        if (selected < 0 && count > 0)
            selected = std::clamp(keepRow < 0 ? 0 : keepRow, 0, count - 1);
        m_selected = selected;
        m_model.setIds(std::move(ids));
    } else {
        std::vector<BrowseRow> rows = m_source.fetchRows(m_query);
        for (size_t i = 0; keep.isValid() && i < rows.size(); ++i)
            if (rows[i].id == keep) {
                selected = int(i);
                break;
            }
        const int count = int(rows.size());
        if (selected < 0 && count > 0)
            selected = std::clamp(keepRow < 0 ? 0 : keepRow, 0, count - 1);
        m_selected = selected;
        m_model.setRows(std::move(rows));
    }
    m_reading = false;
    // Lists that hang on this one's selection must see the record it moved to.
    if (onSelectionMoved && m_model.idAt(m_selected) != keep)
        onSelectionMoved();
}

int Browse::selected() const
{
    const_cast<Browse*>(this)->flush(); // what is asked is what a read now would show
    return m_selected;
}

QVariant Browse::selectedId() const
{
    return m_model.idAt(selected());
}

bool Browse::select(int row)
{
    flush();
    if (row < 0 || row >= m_model.rowCount())
        return false;
    m_selected = row;
    return true;
}

bool Browse::selectId(const QVariant& id)
{
    flush();
    const int row = m_model.rowOf(id);
    if (row < 0)
        return false;
    m_selected = row;
    return true;
}

int Browse::locate(const QString& text)
{
    flush();
    m_locator = text;
    const int column = locatorColumn();
    if (column < 0 || m_model.rowCount() == 0)
        return m_selected;
    // Nothing matching leaves the selection: "where the text would stand" means nothing in an
    // order by another column or a descending one, and a lazy source cannot tell it cheaply.
    const int row = m_source.locateRow(m_query, m_model, column, text);
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
