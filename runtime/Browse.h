#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <QtGlobal>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/PopupMenu.h"

namespace vrt {

class BrowseModel;
class ErrorClass;
class WindowManager;

// One row of a list: the record's identity (primary key value) and the texts of its columns.
struct BrowseRow {
    QVariant id;
    QStringList cells;
};

// What a list asks of its view: the rows under one order, range and filter.
struct BrowseQuery {
    int order = 0;       // index into the source's orders
    QString filter;      // the runtime's filter text; empty = none
    QVariant rangeValue; // rows whose range column equals this; invalid = no range
};

// Reads the ids of one query on another thread, with a connection of its own: the number of
// rows first (the list's scroll range), then every id in the list's order.
class IdReader {
public:
    virtual ~IdReader() = default;
    virtual std::optional<qint64> count() = 0;
    // False on an error; stops early (answering false) once `stop` is set.
    virtual bool readAll(std::vector<qint64>& ids, const std::atomic<bool>& stop) = 0;
};

// A view of the data layer as a list sees it. The data layer adapts its views to this; tests
// use a table in memory.
class BrowseSource {
public:
    virtual ~BrowseSource() = default;
    virtual QStringList headers() const = 0;
    virtual std::vector<BrowseRow> fetchRows(const BrowseQuery& query) = 0;
    // A source that reads its texts only when shown answers the ids alone, in order, into
    // `ids` (emptied first) and true; false: it reads whole rows through fetchRows.
    virtual bool fetchIds(const BrowseQuery& query, std::vector<qint64>& ids);
    // A lazy source whose list can show its first rows before the rest are read: the first
    // `count` ids in order into `ids` and a reader of them all; nullptr: fetchIds reads them.
    virtual std::unique_ptr<IdReader> fetchFirstIds(const BrowseQuery& query, size_t count, std::vector<qint64>& ids);
    // Whether record `id` is among the rows of `query`; nullopt: not known.
    virtual std::optional<bool> lists(const BrowseQuery& query, const QVariant& id);
    // Changes whenever the data the rows come from may have changed, so a window reset reads
    // a list again only then; nullopt: not known, every window reset reads again at once.
    virtual std::optional<quint64> dataStamp() const { return std::nullopt; }
    // Puts record `id` into the record buffer the forms read; false when it is gone.
    virtual bool load(const QVariant& id) = 0;
    // Prepares a new record for insert (numbers it and stores it at once); its id.
    virtual std::optional<QVariant> primeRecord() = 0;
    // Deletes record `id` through the relation manager (children first).
    virtual bool deleteRecord(const QVariant& id) = 0;
    virtual QString lastError() const { return {}; }
    // The position in `rows` (what was read for `query`) of the first row whose text in
    // `column` starts with `text`, case-insensitively; -1 when none. This walks the rows'
    // texts; a source that reads its texts only when shown answers without reading them all.
    virtual int locateRow(const BrowseQuery& query, const BrowseModel& rows, int column, const QString& text);
    // The locator's comparison, for sources that answer locateRow themselves.
    static bool locatorMatches(const QString& cell, const QString& text);
};

// The list's rows as a table model: whole rows, or only the ids of a source that reads its
// texts when shown (8 bytes a row).
class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BrowseModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setHeaders(QStringList headers);
    void setRows(std::vector<BrowseRow> rows);
    void setIds(std::vector<qint64> ids);
    // While the rest of the ids are read: the number of rows (rows past the ids read show
    // nothing yet), then every id. The rows already shown keep their place.
    void setExpectedRows(qint64 count);
    void completeIds(std::vector<qint64> ids);
    // The whole rows; empty while the model holds ids only.
    const std::vector<BrowseRow>& rows() const { return m_rows; }
    // The ids read so far: every row's unless allIdsRead() is false.
    const std::vector<qint64>& ids() const { return m_ids; }
    bool allIdsRead() const { return m_expected < 0; }
    bool holdsIds() const { return m_holdsIds; }
    QVariant idAt(int row) const;
    // The row of record `id`; -1 when it is not listed.
    int rowOf(const QVariant& id) const;
    // Replaces one shown text of a whole row, for a change that moves no row (an edit in
    // place); false while the model holds ids only.
    bool setCellText(int row, int column, const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Odd rows are painted in this colour (invalid: none).
    void setAlternateColour(QVariant colour) { m_alternate = std::move(colour); }

signals:
    // Every id of the list is read (after its first rows were shown before the rest).
    void idsComplete();

private:
    QStringList m_headers;
    std::vector<BrowseRow> m_rows;
    std::vector<qint64> m_ids;
    bool m_holdsIds = false;
    qint64 m_expected = -1; // rows while the ids are still read; -1: every id is in m_ids
    QVariant m_alternate;
};

// A browse list: a view read in one of its orders, narrowed by a range and a filter, with an
// incremental locator, a selected row, and the update procedure that inserts, changes and
// deletes through a form. Everything here works without widgets; BrowseView shows it.
class Browse {
public:
    struct Order {
        QString name;
        int locatorColumn = -1; // column the locator searches; -1: no locator
    };

    Browse(BrowseSource& source, WindowManager* window = nullptr);
    ~Browse();
    Browse(const Browse&) = delete;
    Browse& operator=(const Browse&) = delete;

    BrowseModel& model() { return m_model; }
    BrowseSource& source() { return m_source; }

    void addOrder(Order order);
    int order() const { return m_query.order; }
    // A new order, filter or range reads the rows at once; the same one again reads them only
    // when the source's data changed (deferred, as refresh).
    void setOrder(int order); // keeps the selected record, empties the locator
    void setFilter(const QString& filter);
    QString filter() const { return m_query.filter; }
    void setRange(const QVariant& value);
    const BrowseQuery& query() const { return m_query; }

    // Reads the rows again now; the selection stays on the same record when it is still there,
    // otherwise on the row at the same place (or the last row).
    void resetFromView();
    // The rows are to be read again: once, at the next turn of the event loop or when the
    // list is asked about its rows before that, however often this is called meanwhile.
    void requestReset();
    // A window reset: the rows are read again (deferred) only when the source's data changed
    // since the last read; a source that cannot tell is read again at once.
    void refresh();
    // The rows shown already hold the data as it stands (a change written and shown in
    // place): the next refresh reads again only for later writes.
    void markCurrent() { m_stamp = m_source.dataStamp(); }
    // Does a read requested and not yet done; the master's first, as its selection sets this
    // list's range.
    void flush();
    // A list whose range or condition follows `master`'s selection.
    void setMaster(Browse* master) { m_master = master; }
    bool readPending() const { return m_dirty; }
    // A list of more ids than its first rows shows those first; the rest are read on another
    // thread and taken at a turn of the event loop, or at once when something needs them.
    static constexpr size_t kFirstIds = 256;
    bool idsLoading() const { return m_loader != nullptr; }
    // Waits for the rest of the ids, if they are still read, and takes them.
    void completeIds();
    // How often the rows were read: this list's, and every list's in the process.
    int reads() const { return m_reads; }
    static quint64 totalReads();
    // Lists whose read is requested and waits for the event loop.
    static int pendingReads();

    int selected() const; // -1: none
    QVariant selectedId() const;
    bool select(int row);
    bool selectId(const QVariant& id);

    // Typing in the list: selects the first row, in the list's order, whose locator column
    // starts with the text (case-insensitive); a text nothing matches leaves the selection.
    // Answers the selected row.
    int locate(const QString& text);
    QString locator() const { return m_locator; }
    // The column the current order's locator searches (-1: none), as when the list is sorted
    // by another column; empties the locator.
    void setLocatorColumn(int column);
    int locatorColumn() const;

    // The update procedure: `number` is passed to the window's run(number, request).
    void setUpdateNumber(int number) { m_updateNumber = number; }
    int updateNumber() const { return m_updateNumber; }
    // Picking mode (request 4): a choice answers completed with the record in the buffer.
    void setSelectMode(bool on) { m_selectMode = on; }
    bool selectMode() const { return m_selectMode; }
    void setErrors(ErrorClass* errors) { m_errors = errors; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Answers the form's response (REQUEST_COMPLETED / REQUEST_CANCELLED).
    int ask(int request);
    int insertRecord() { return ask(1); }
    int changeRecord() { return ask(2); }
    int deleteRecord() { return ask(3); }
    int viewRecord() { return ask(6); }
    // Double click / Enter: pick in picking mode, else change (or view when read-only).
    int activate();

    // The list's context menu: "Unos", "Izmjena", "Brisanje", each enabled as the list allows.
    PopupMenu& popup();
    void refreshPopup();

    // Called after a completed update, before the list is read again.
    std::function<void(int request)> onUpdated;
    // Called when reading the rows again left another record (or none) selected.
    std::function<void()> onSelectionMoved;

private:
    struct Loader;
    void read();
    // The place of the selection in `ids` after a read: the record `keep`, else row `keepRow`.
    static int placeSelection(const std::vector<qint64>& ids, const QVariant& keep, int keepRow);
    void startLoading(std::unique_ptr<IdReader> reader);
    void stopLoading();
    BrowseSource& m_source;
    WindowManager* m_window;
    BrowseModel m_model;
    std::vector<Order> m_orders;
    BrowseQuery m_query;
    int m_selected = -1;
    bool m_dirty = false;
    bool m_scheduled = false;
    bool m_reading = false;
    int m_reads = 0;
    Browse* m_master = nullptr;
    std::optional<quint64> m_stamp; // the source's data stamp at the last read
    QString m_locator;
    int m_updateNumber = 0;
    bool m_selectMode = false;
    bool m_readOnly = false;
    ErrorClass* m_errors = nullptr;
    PopupMenu m_popup;
    int m_popupInsert = 0, m_popupChange = 0, m_popupDelete = 0;
    std::unique_ptr<Loader> m_loader;
    quint64 m_loads = 0; // tells a finished reader of an older read from the current one
};

} // namespace vrt
