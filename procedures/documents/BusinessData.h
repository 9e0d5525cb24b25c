#pragma once
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "data/Dictionary.h"
#include "runtime/Browse.h"
#include "runtime/Decimal.h"
#include "runtime/UpdateForm.h"

namespace vrt::odbc { class Statement; }

// The business records on the calling thread's connection and record buffers: document
// totals, numbering, the in-use checks, and the adapters the forms and lists use. No widgets.
namespace business {

using Param = std::variant<long long, std::string>;

// Runs `sql` with bound values on the thread's connection; `row` sees each row until it
// answers false. False (with the driver's text in `error`) when the statement failed.
bool query(const std::string& sql, const std::vector<Param>& params,
           const std::function<bool(vrt::odbc::Statement&)>& row, QString* error = nullptr);
bool execute(const std::string& sql, const std::vector<Param>& params, QString* error = nullptr);
// The tables of the business records exist and are open on this thread.
bool openBusinessTables();
// The quoted stored name of a table.
std::string table(Tbl t);

struct ItemSums {
    vrt::Decimal net, discount, tax, gross;
    // The document's amount: the gross amounts added up with the running total kept to
    // 2 places, as it is shown and stored.
    vrt::Decimal total = vrt::Decimal::fromUnscaled(0, 2);
};
// The exact sums of a document's stored items, and its amount.
std::optional<ItemSums> itemSums(long documentId, QString* error = nullptr);

// Writes the sum of the document's item gross amounts into its stored row, read and written
// in one transaction. False with a reason when the row is gone or the sum does not fit.
bool writeDocumentTotal(long documentId, QString* error = nullptr);

bool productInUse(long productId);
// Documents that belong to a category (docs: IDokumenti or UDokumenti).
long documentsInCategory(Tbl docs, long categoryId);
// The next running number a document of the category would get (highest of the others + 1).
long proposedNumber(long categoryId, long documentId);

// Name texts of the pickers' rows; empty when the row does not exist.
QString contactCompany(long contactId);
QString categoryName(Tbl categories, long categoryId);
QString productName(long productId);
bool rowExists(Tbl t, long id);

struct Terms {
    int32_t paymentTerm = 0;
    std::string paymentMethod, shipping, note;
};
// The terms of the most recent outgoing document other than `documentId`.
std::optional<Terms> latestOtherTerms(long documentId);

// Saves the outgoing document in the ID buffer. In one transaction: the row; a running number
// drawn inside the write when the document has none in its category (its stored category was
// another, or it was never numbered), with the mark "<category>-<number>" when the mark is
// still the one the form proposed (`proposedMark`, or empty); its items follow its category;
// the amount becomes the exact sum of its items. The buffer gets what was stored.
bool saveOutgoingDocument(long storedCategory, const QString& proposedMark, QString* error = nullptr);

// Saves the incoming document in the UD buffer; a document that changed its category (or has
// no number) gets the next running number of the new one, in the same transaction.
bool saveIncomingDocument(long storedCategory, QString* error = nullptr);

// Payment methods by their stored number "1".."8"; empty for anything else.
QString paymentMethodName(const std::string& number);
const std::vector<QString>& paymentMethods();

// An update form's record: the table's row in the thread's buffer.
class RecordTarget : public vrt::FormTarget {
public:
    // `mayRemove` runs before a delete; false refuses it (the check has said why). None: a
    // delete goes on.
    explicit RecordTarget(Tbl t, std::function<bool()> mayRemove = {}) : m_table(t), m_mayRemove(std::move(mayRemove)) {}
    bool primed() const override;
    bool prime() override;
    bool save() override;
    bool remove() override;
    bool cancelAutoInc() override;
    QString lastError() const override { return m_error; }
    // Replaces the plain write of the row (a document saves more than its row).
    std::function<bool(QString& error)> saveAs;

private:
    Tbl m_table;
    std::function<bool()> m_mayRemove;
    QString m_error;
};

// A list over one table (or a fixed query), for the pick lists.
struct ListColumn {
    QString header;
    std::string expr; // SQL expression over the row ("NAZIV")
    bool amount = false;
    int width = 120;  // 0: hidden
};
class TableListSource : public vrt::BrowseSource {
public:
    // `primeFields` fills the new record's buffer before it is numbered and stored (none: the
    // buffer as it is).
    TableListSource(Tbl t, std::vector<ListColumn> columns, std::string order = "ID", std::function<void()> primeFields = {});
    QStringList headers() const override;
    std::vector<vrt::BrowseRow> fetchRows(const vrt::BrowseQuery& query) override;
    bool load(const QVariant& id) override;
    std::optional<QVariant> primeRecord() override;
    bool deleteRecord(const QVariant& id) override;
    QString lastError() const override { return m_error; }
    const std::vector<ListColumn>& columns() const { return m_columns; }
    // Orders the rows by a column (a header click); the list's own order again with -1.
    void sortBy(int column, bool descending);
    // Extra condition with the range value bound ("DOKUMENTID = ?"); empty: none.
    std::string rangeCondition;
    // FROM clause instead of the table alone (joins); columns then qualify their names.
    std::string from;

private:
    Tbl m_table;
    std::vector<ListColumn> m_columns;
    std::string m_order;
    std::function<void()> m_primeFields;
    std::string m_ownOrder;
    QString m_error;
};

} // namespace business
