#pragma once
#include <QDate>
#include <QIcon>
#include <QIdentityProxyModel>
#include <functional>
#include <map>
#include <memory>

#include "procedures/common/HeaderSort.h"
#include "procedures/organiser/lists/ListDefs.h"
#include "runtime/Browse.h"
#include "runtime/SqlFilter.h"

namespace vrt::odbc { class Statement; }

// The organiser window's lists over the database: each reads its whole result through one
// SELECT (joins, range, condition and order as bound SQL), shows it through vrt::Browse and
// adds the computed texts, colours, icons and styles of its rows. No widgets here.
namespace organiser {

// What a list's source needs of its list.
class RecordFields {
public:
    virtual ~RecordFields() = default;
    // Fills the new record's buffer before it is numbered and stored.
    virtual void primeFields() = 0;
};

// Reads a list's rows with one statement on the calling thread's connection.
class SqlListSource : public vrt::BrowseSource {
public:
    // `fields` (none: the range field alone) outlives the source.
    explicit SqlListSource(const ListDef& def, RecordFields* fields = nullptr);

    QStringList headers() const override;
    std::vector<vrt::BrowseRow> fetchRows(const vrt::BrowseQuery& query) override;
    // A lazy list: the ids alone, into a vector reserved for as many as the last read gave.
    bool fetchIds(const vrt::BrowseQuery& query, std::vector<qint64>& ids) override;
    // The first ids with LIMIT-free SQL (the fetch stops), and a reader of the rest that opens
    // a connection of its own with the same connection string.
    std::unique_ptr<vrt::IdReader> fetchFirstIds(const vrt::BrowseQuery& query, size_t count,
                                                 std::vector<qint64>& ids) override;
    std::optional<bool> lists(const vrt::BrowseQuery& query, const QVariant& id) override;
    // The writes counted to the tables the list shows (its own and the joined ones).
    std::optional<quint64> dataStamp() const override;
    bool load(const QVariant& id) override;
    std::optional<QVariant> primeRecord() override;
    bool deleteRecord(const QVariant& id) override;
    QString lastError() const override { return m_error; }
    // Matches what the list shows. A lazy list asks the database for the first matching id
    // in its order instead of reading every row's texts.
    int locateRow(const vrt::BrowseQuery& query, const vrt::BrowseModel& rows, int column,
                  const QString& text) override;

    // A header sort's order text ("-EM:SUBJECT,+EM:ID"); empty: the list's own order.
    void setOrderText(const QString& order) { m_orderText = order; }
    QString orderText() const { return m_orderText; }
    // A condition on the main table's own columns (unqualified), with bound values.
    void setCondition(vrt::SqlPart condition) { m_condition = std::move(condition); }
    // The value the range field takes in a new record.
    QVariant rangeValue;

    // The SQL of a query; empty with lastError() when something is refused.
    std::string selectSql(const vrt::BrowseQuery& query, std::vector<vrt::SqlParam>& params, bool idsOnly = false);

    // The texts of a row of `rows` (what was read). A list read lazily reads them with
    // their block of rows on first use and keeps a few blocks.
    const QStringList& cells(const vrt::BrowseModel& rows, int row) const;
    static constexpr int kBlockRows = 256;
    static constexpr size_t kBlocksKept = 16;
    // Rows whose texts were read from the database since the list was last read.
    size_t rowTextsRead() const { return m_textsRead; }

private:
    std::string columnExpr(const QString& label, bool* isDecimal = nullptr) const;
    std::string orderSql(const QString& order) const;
    std::string columnsSql() const;
    std::string idSql() const;
    std::string fromSql(const std::string& where) const;
    // FROM and WHERE of a query (condition, filter, range and `also` on the joined row); empty
    // with lastError() when something is refused.
    std::string fromWhereSql(const vrt::BrowseQuery& query, std::vector<vrt::SqlParam>& params,
                             const vrt::SqlPart& also = {});
    std::string orderBySql() const;
    // `row` runs for each row read until it answers false.
    bool run(const std::string& sql, const std::vector<vrt::SqlParam>& params,
             const std::function<bool(vrt::odbc::Statement&)>& row) const;
    QStringList readCells(vrt::odbc::Statement& s) const;
    std::vector<QStringList> readBlock(const std::vector<qint64>& ids, int block) const;
    std::optional<vrt::SqlPart> locatorCondition(const vrt::BrowseQuery& query, int column, const QString& text);
    vrt::SqlPart dayCondition(const vrt::BrowseQuery& query, const std::string& date, const QString& text,
                              const std::string& time = {});
    int firstListed(const vrt::BrowseModel& rows, const std::string& sql,
                    const std::vector<vrt::SqlParam>& params,
                    const std::function<std::optional<qlonglong>(vrt::odbc::Statement&)>& candidate);

    const ListDef& m_def;
    RecordFields* m_fields;
    QString m_orderText;
    vrt::SqlPart m_condition;
    mutable QString m_error;
    int m_idColumn = -1;
    mutable std::map<int, std::vector<QStringList>> m_blocks;
    mutable size_t m_textsRead = 0;
    size_t m_lastCount = 0;
};

// Roles beyond Qt's own.
enum ListRole { StyleRole = Qt::UserRole + 1, IconRole, SelectedFgRole, SelectedBgRole, RawRole };

// The colour of a Windows colour number.
QColor windowsColour(int value);

// What a list's model reads through its list.
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual const QStringList& cells(int row) = 0;  // the texts of a row
    virtual QIcon icon(const QString& name) = 0;    // of an icon-table name ("~smiley1.ico"); null: none
    // Writes a cell edited in place; false: refused.
    virtual bool editCell(int row, int column, const QString& text) = 0;
};

// The browse model with the lists' looks on top.
class ListModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    // `rows` outlives the model.
    ListModel(const ListDef& def, ListRows& rows, QObject* parent = nullptr);
    const ListDef& def() const { return m_def; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A horizontal header's text, as the untranslated source text.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;

    QString headerText(int column) const { return m_headers.value(column); }
    void setHeaderText(int column, const QString& text);
    std::vector<CellLook> look(int row) const;
    const QStringList& rowCells(int row) const;

    // Edit in place: the columns that take an editor (none: the list is not edited in place).
    std::vector<int> editableColumns;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Rows after the records that are no records (the finance list's totals): their cells
    // and colours (Windows colour numbers) for the columns that show text. A reload of the
    // list drops them.
    struct ExtraRow {
        QStringList cells;
        int fg = -1;
        int bg = -1;
    };
    void setExtraRows(std::vector<ExtraRow> rows);
    const std::vector<ExtraRow>& extraRows() const { return m_extra; }
    int recordRows() const;
    int rowCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    QModelIndex sibling(int row, int column, const QModelIndex& idx) const override { return index(row, column, idx.parent()); }
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    void setSourceModel(QAbstractItemModel* source) override;

private:
    QVariant extraData(const ExtraRow& row, int column, int role) const;
    const ListDef& m_def;
    ListRows& m_rows;
    QStringList m_headers;
    std::vector<ExtraRow> m_extra;
};

class OrganiserList;

// What a list asks of the set it belongs to.
class ListOwner {
public:
    virtual ~ListOwner() = default;
    // After every change of the list's selected row (select, and a reset that moved it).
    virtual void newSelection(OrganiserList& list) = 0;
    // Fills the buffer of the list's new record before it is numbered and stored.
    virtual void primeFields(OrganiserList& list) = 0;
    // Writes a cell edited in place; false: refused.
    virtual bool editCell(OrganiserList& list, int row, int column, const QString& text) = 0;
    // The icon of an icon-table name ("~smiley1.ico"); null: none.
    virtual QIcon icon(const QString& name) = 0;
};

// The widths a view shows of a list's columns (from 0).
class ColumnWidths {
public:
    virtual ~ColumnWidths() = default;
    virtual int viewWidth(int column) = 0;
};

// The header sort of one list: three computed columns sort by expressions, the order goes
// into the list's SELECT.
class ListSortManager : public VelmoraDll::HeaderSortManager {
public:
    explicit ListSortManager(OrganiserList& list) : m_list(list) {}
    QString SortExpression(const QString& sign, const QString& name, const QString& picture) override;
    bool IsKeyField(const QString& name) override;
    void ApplySort(const QString& order) override;

private:
    OrganiserList& m_list;
};

class OrganiserList : public VelmoraDll::SortableList, private ListRows, private RecordFields {
public:
    // `owner` (none: a list on its own) outlives the list.
    explicit OrganiserList(const ListDef& def, vrt::WindowManager* window = nullptr, ListOwner* owner = nullptr);
    ~OrganiserList() override;

    const ListDef& def() const { return m_def; }
    SqlListSource& source() { return m_source; }
    vrt::Browse& browse() { return *m_browse; }
    ListModel& model() { return m_model; }
    ListSortManager* sorter() { return m_sorter.get(); }

    void setRange(const QVariant& value);
    QVariant range() const { return m_browse->query().rangeValue; }
    void setCondition(vrt::SqlPart condition);
    // The rows are read again once, at the next turn of the event loop or when asked about.
    void reset() { m_browse->requestReset(); }
    // The rows are painted again (their looks changed, not their data): no read.
    void repaint();
    // Every row's: waits for ids still being read.
    int rowCount()
    {
        m_browse->flush();
        m_browse->completeIds();
        return m_browse->model().rowCount();
    }

    // Selects a row as the user would: the owner hears of the new selection.
    bool select(int row);
    // Typing in the list (see vrt::Browse::locate); the locator searches the column the list
    // is sorted by, or the list's own locator field while it has no header sort.
    int locate(const QString& text);
    bool selectId(const QVariant& id);
    int selected() const { return m_browse->selected(); }
    QVariant selectedId() const { return m_browse->selectedId(); }
    // The raw value of a field in a row (the selected one by default).
    QString cell(const QString& field, int row = -1) const;

    // The view whose widths the header sort reads; the design widths while none. It stays
    // set until the view is gone.
    void setWidths(ColumnWidths* view) { m_widths = view; }
    ColumnWidths* widths() const { return m_widths; }

    // SortableList (columns from 1).
    int columnCount() const override { return int(m_def.columns.size()); }
    QString headerText(int column) const override { return m_model.headerText(column - 1); }
    void setHeaderText(int column, const QString& text) override { m_model.setHeaderText(column - 1, text); }
    QString fieldName(int column) const override;
    QString picture(int column) const override;
    int width(int column) const override;

private:
    const QStringList& cells(int row) override;
    QIcon icon(const QString& name) override;
    bool editCell(int row, int column, const QString& text) override;
    void primeFields() override;
    void selectionChanged();

    const ListDef& m_def;
    ListOwner* m_owner;
    ColumnWidths* m_widths = nullptr;
    SqlListSource m_source;
    std::unique_ptr<vrt::Browse> m_browse;
    ListModel m_model;
    std::unique_ptr<ListSortManager> m_sorter;
};

// The condition of the income/expense list for a category and every category below it, with
// the category as a bound value: no length limit however deep or wide the tree is.
vrt::SqlPart categorySubtreeCondition(long categoryId);

} // namespace organiser
