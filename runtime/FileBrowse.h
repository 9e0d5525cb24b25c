#pragma once
#include <functional>
#include <string>
#include <vector>

#include "runtime/Browse.h"
#include "runtime/FileManager.h"
#include "runtime/Process.h"
#include "runtime/UpdateForm.h"
#include "runtime/ViewManager.h"

namespace vrt {

// A browse list and its update form over one table of the data layer: the list reads the
// table through its file manager in a key's order (or an order text), narrowed by the
// leading key components the range sets and by a filter text; the form edits the record
// buffer and writes through the same managers.
class FileBrowseSource : public BrowseSource, public FormTarget {
public:
    struct Column {
        QString header;
        std::function<QString()> text; // reads the record buffer
    };
    struct Order {
        int key = -1;               // a key of the table, or -1 for `orderText`
        std::string orderText;      // "+UPPER(CON:Prezime),-CON:ID"
        int rangeComponents = 0;    // leading key components that the range fixes
    };

    FileBrowseSource(FileManager& file, RelationManager& relate, std::vector<Column> columns);

    void addOrder(Order order) { m_orders.push_back(std::move(order)); }
    // Puts the range value into the buffer's range fields before the rows are read.
    std::function<void(const QVariant& value)> applyRange;

    // BrowseSource
    QStringList headers() const override;
    std::vector<BrowseRow> fetchRows(const BrowseQuery& query) override;
    bool load(const QVariant& id) override;
    std::optional<QVariant> primeRecord() override;
    bool deleteRecord(const QVariant& id) override;
    QString lastError() const override;

    // FormTarget
    bool primed() const override;
    bool prime() override;
    bool save() override;
    bool remove() override;
    bool cancelAutoInc() override;

private:
    int primaryField() const;
    qint64 currentId() const;
    void setId(qint64 id);

    FileManager& m_file;
    RelationManager& m_relate;
    std::vector<Column> m_columns;
    std::vector<Order> m_orders;
};

// A view read as a record source: each next() loads the following row into the buffer.
class ViewSource : public RecordSource {
public:
    explicit ViewSource(ViewManager& view) : m_view(view) {}
    bool open() override;
    bool next() override;
    void close() override { m_view.Close(); }
    QString error() const override { return m_error; }

private:
    ViewManager& m_view;
    QString m_error;
};

} // namespace vrt
