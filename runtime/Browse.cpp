#include "runtime/Browse.h"

#include <QColor>
#include <QMetaObject>

#include <atomic>
#include <mutex>
#include <thread>

#include "runtime/BrowseLocator.h"
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
    m_expected = -1;
    endResetModel();
}

void BrowseModel::setExpectedRows(qint64 count)
{
    const int shown = rowCount();
    if (count <= shown) {
        m_expected = std::max<qint64>(m_expected, qint64(m_ids.size()));
        return;
    }
    beginInsertRows({}, shown, int(count - 1));
    m_expected = count;
    endInsertRows();
}

void BrowseModel::completeIds(std::vector<qint64> ids)
{
    const int shown = rowCount(), known = int(m_ids.size()), wanted = int(ids.size());
    if (wanted < shown) {
        beginRemoveRows({}, wanted, shown - 1);
        m_ids = std::move(ids);
        m_expected = -1;
        endRemoveRows();
    } else if (wanted > shown) {
        beginInsertRows({}, shown, wanted - 1);
        m_ids = std::move(ids);
        m_expected = -1;
        endInsertRows();
    } else {
        m_ids = std::move(ids);
        m_expected = -1;
    }
    if (wanted > known && columnCount() > 0)
        emit dataChanged(index(known, 0), index(std::min(shown, wanted) - 1, columnCount() - 1));
    emit idsComplete();
}

QVariant BrowseModel::idAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (m_holdsIds)
        return size_t(row) < m_ids.size() ? QVariant(m_ids[size_t(row)]) : QVariant();
    return m_rows[size_t(row)].id;
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
    if (parent.isValid())
        return 0;
    return m_holdsIds ? int(std::max<qint64>(qint64(m_ids.size()), m_expected)) : int(m_rows.size());
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
        return role == Qt::UserRole && size_t(index.row()) < m_ids.size() ? QVariant(m_ids[size_t(index.row())]) : QVariant();
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
    return LocatorText::matches(cell, text);
}

bool BrowseSource::fetchIds(const BrowseQuery&, std::vector<qint64>&) { return false; }

std::unique_ptr<IdReader> BrowseSource::fetchFirstIds(const BrowseQuery&, size_t, std::vector<qint64>&) { return nullptr; }

std::optional<bool> BrowseSource::lists(const BrowseQuery&, const QVariant&) { return std::nullopt; }

int BrowseSource::locateRow(const BrowseQuery&, const BrowseModel& model, int column, const QString& text)
{
    const auto& rows = model.rows();
    return LocatorText::findRow(int(rows.size()), [&](int row) { return rows[size_t(row)].cells.value(column); }, text);
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

// The rest of a list's ids, read on a thread of their own.
struct Browse::Loader {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    bool ok = false;
    std::vector<qint64> ids;
    ~Loader()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
};

Browse::~Browse()
{
    stopLoading(); // before the model the reader reports to goes
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

int Browse::placeSelection(const std::vector<qint64>& ids, const QVariant& keep, int keepRow)
{
    if (keep.isValid()) {
        const auto it = std::find(ids.begin(), ids.end(), keep.toLongLong());
        if (it != ids.end())
            return int(it - ids.begin());
    }
    return ids.empty() ? -1 : std::clamp(keepRow < 0 ? 0 : keepRow, 0, int(ids.size()) - 1);
}

void Browse::read()
{
    m_reading = true;
    m_dirty = false;
    stopLoading();
    const QVariant keep = m_model.idAt(m_selected);
    const int keepRow = m_selected;
    // Taken before reading, so a write during the read is not taken as seen.
    m_stamp = m_source.dataStamp();
    ++m_reads;
    ++g_reads;
    // The selection is placed before the model tells its views, so a view that follows the
    // reset shows the record that stays selected, not the row number it had.
    std::vector<qint64> ids;
    std::unique_ptr<IdReader> rest = m_source.fetchFirstIds(m_query, kFirstIds, ids);
    bool haveIds = rest != nullptr;
    if (rest && ids.size() < kFirstIds) {
        rest.reset(); // that was every id
    } else if (rest) {
        // The first rows go on screen before the rest are read only when the selection's place
        // is among them: its record, or its row when the record is not listed any more.
        const bool listed = keep.isValid() && std::find(ids.begin(), ids.end(), keep.toLongLong()) != ids.end();
        const bool byRow = !keep.isValid() || m_source.lists(m_query, keep) == false;
        if (!listed && !(byRow && std::max(keepRow, 0) < int(ids.size()))) {
            rest.reset();
            haveIds = false;
        }
    }
    if (!haveIds) {
        ids.clear();
        haveIds = m_source.fetchIds(m_query, ids);
    }
    if (haveIds) {
        m_selected = placeSelection(ids, keep, keepRow);
        m_model.setIds(std::move(ids));
        if (rest)
            startLoading(std::move(rest));
    } else {
        std::vector<BrowseRow> rows = m_source.fetchRows(m_query);
        int selected = -1;
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

void Browse::startLoading(std::unique_ptr<IdReader> reader)
{
    m_loader = std::make_unique<Loader>();
    Loader* loader = m_loader.get();
    m_model.setExpectedRows(qint64(m_model.ids().size())); // not every id is in
    const quint64 load = ++m_loads;
    // The model is the context of what the reader reports: it outlives the thread (stopLoading
    // joins it first), and what is still queued when it goes is dropped with it.
    loader->thread = std::thread([this, loader, load, reader = std::move(reader)] {
        if (const std::optional<qint64> count = reader->count())
            QMetaObject::invokeMethod(
                &m_model,
                [this, load, n = *count] {
                    if (m_loader && m_loads == load)
                        m_model.setExpectedRows(n);
                },
                Qt::QueuedConnection);
        std::vector<qint64> ids;
        const bool ok = reader->readAll(ids, loader->stop);
        {
            std::lock_guard<std::mutex> lock(loader->mutex);
            loader->ids = std::move(ids);
            loader->ok = ok;
        }
        QMetaObject::invokeMethod(
            &m_model,
            [this, load] {
                if (m_loader && m_loads == load)
                    completeIds();
            },
            Qt::QueuedConnection);
    });
}

void Browse::stopLoading() { m_loader.reset(); }

void Browse::completeIds()
{
    if (!m_loader || m_reading)
        return;
    if (m_loader->thread.joinable())
        m_loader->thread.join();
    const std::unique_ptr<Loader> done = std::move(m_loader);
    const std::vector<qint64>& shown = m_model.ids();
    // A write between the first rows and the rest moved rows or failed the reader: the list
    // is read again as a whole, as any changed list is.
    if (!done->ok || done->ids.size() < shown.size() || !std::equal(shown.begin(), shown.end(), done->ids.begin())) {
        const QVariant keep = m_model.idAt(m_selected);
        m_reading = true;
        std::vector<qint64> ids;
        if (m_source.fetchIds(m_query, ids)) {
            m_selected = placeSelection(ids, keep, m_selected);
            m_model.setIds(std::move(ids));
        }
        m_reading = false;
        if (onSelectionMoved && m_model.idAt(m_selected) != keep)
            onSelectionMoved();
        emit m_model.idsComplete();
        return;
    }
    m_model.completeIds(std::move(done->ids));
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
    if (row >= int(m_model.ids().size()))
        completeIds();
    if (row < 0 || row >= m_model.rowCount())
        return false;
    m_selected = row;
    return true;
}

bool Browse::selectId(const QVariant& id)
{
    flush();
    if (m_model.rowOf(id) < 0)
        completeIds();
    const int row = m_model.rowOf(id);
    if (row < 0)
        return false;
    m_selected = row;
    return true;
}

int Browse::locate(const QString& text)
{
    flush();
    completeIds();
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
