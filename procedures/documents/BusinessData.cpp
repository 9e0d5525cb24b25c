#include "procedures/documents/BusinessData.h"

#include "data/TableManagers.h"
#include "procedures/documents/ItemCalc.h"
#include "runtime/Odbc.h"

namespace business {

using vrt::Decimal;
using vrt::odbc::Statement;

namespace {

vrt::odbc::Connection* connection(QString* error)
{
    vrt::odbc::Error e;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&e);
    if (!c && error)
        *error = QString::fromStdString(e.text);
    return c;
}

void bind(Statement& s, const std::vector<Param>& params)
{
    int pos = 1;
    for (const Param& p : params) {
        if (const auto* n = std::get_if<long long>(&p))
            s.bindInt(pos++, *n);
        else
            s.bindText(pos++, std::get<std::string>(p));
    }
}

int32_t& primaryOf(Tbl t)
{
    const vrt::TableDesc& d = corvalde::declaration(t);
    return *static_cast<int32_t*>(d.fields[0].at(corvalde::threadBuffer(t)));
}

long long firstNumber(const std::string& sql, const std::vector<Param>& params)
{
    long long out = 0;
    query(sql, params, [&](Statement& s) {
        out = s.integer(1).value_or(0);
        return false;
    });
    return out;
}

QString firstText(const std::string& sql, const std::vector<Param>& params)
{
    QString out;
    query(sql, params, [&](Statement& s) {
        out = QString::fromStdString(s.text(1).value_or(std::string()));
        return false;
    });
    return out;
}

// Rows open on the thread's other statements would hold an old snapshot across a write.
void beforeWrite() { corvalde::ThreadSession().suspendReaders(); }

} // namespace

std::string table(Tbl t) { return "\"" + Access(t).SqlName() + "\""; }

bool openBusinessTables()
{
    for (Tbl t : {Tbl::IDokumenti, Tbl::IDStavke, Tbl::IDKategorija, Tbl::UDokumenti, Tbl::UDKategorija,
                  Tbl::ProizvodUsluga, Tbl::CON_Contacts})
        if (Access(t).TryOpen() != 0)
            return false;
    return true;
}

bool query(const std::string& sql, const std::vector<Param>& params, const std::function<bool(Statement&)>& row,
           QString* error)
{
    vrt::odbc::Connection* c = connection(error);
    if (!c)
        return false;
    // A cursor the thread left open would keep this read on an old snapshot.
    if (c->transactionDepth() == 0)
        corvalde::ThreadSession().suspendReaders();
    Statement s(*c);
    bool ok = s.prepare(sql);
    if (ok) {
        bind(s, params);
        ok = s.execute();
    }
    if (!ok) {
        if (error)
            *error = QString::fromStdString(s.error().text);
        return false;
    }
    while (s.fetch())
        if (!row(s))
            break;
    if (!s.error().ok()) {
        if (error)
            *error = QString::fromStdString(s.error().text);
        return false;
    }
    return true;
}

bool execute(const std::string& sql, const std::vector<Param>& params, QString* error)
{
    vrt::odbc::Connection* c = connection(error);
    if (!c)
        return false;
    Statement s(*c);
    bool ok = s.prepare(sql);
    if (ok) {
        bind(s, params);
        ok = s.execute();
    }
    if (!ok && error)
        *error = QString::fromStdString(s.error().text);
    return ok;
}

std::optional<ItemSums> itemSums(long documentId, QString* error)
{
    ItemSums sums;
    bool bad = false;
    const bool ok = query("SELECT IZNOS_DECIMAL, RABAT_JED_DECIMAL, POREZ_IZNOS_DECIMAL, IZNOS_SPDVOM_DECIMAL FROM " +
                              table(Tbl::IDStavke) + " WHERE DOKUMENTID = ?",
                          {(long long)documentId},
                          [&](Statement& s) {
                              try {
                                  sums.net += ItemCalc::value(s.text(1).value_or(""));
                                  sums.discount += ItemCalc::value(s.text(2).value_or(""));
                                  sums.tax += ItemCalc::value(s.text(3).value_or(""));
                                  const vrt::Decimal gross = ItemCalc::value(s.text(4).value_or(""));
                                  sums.gross += gross;
                                  sums.total = (sums.total + gross).round(2);
                              } catch (const vrt::DecimalError&) {
                                  bad = true;
                                  return false;
                              }
                              return true;
                          },
                          error);
    if (!ok)
        return std::nullopt;
    if (bad) {
        if (error)
            *error = QStringLiteral("Zbroj stavki je prevelik.");
        return std::nullopt;
    }
    return sums;
}

namespace {
// The amount of the document from its items, inside the caller's transaction.
bool storeTotal(long documentId, QString* error)
{
    const auto sums = itemSums(documentId, error);
    if (!sums)
        return false;
    // Stored with its two places, as shown; a cut sum would be a wrong amount.
    const std::string text = sums->total.toString();
    if (int(text.size()) > kDocumentAmountChars) {
        if (error)
            *error = QStringLiteral("Zbroj stavki je prevelik za iznos dokumenta.");
        return false;
    }
    return execute("UPDATE " + table(Tbl::IDokumenti) + " SET IZNOS_DECIMAL = ? WHERE ID = ?",
                   {text, (long long)documentId}, error);
}
} // namespace

bool writeDocumentTotal(long documentId, QString* error)
{
    vrt::odbc::Connection* c = connection(error);
    if (!c)
        return false;
    beforeWrite();
    vrt::odbc::Transaction tx(*c);
    // Writing first takes the database's write lock, so the sum is read with no writer between.
    if (!execute("UPDATE " + table(Tbl::IDokumenti) + " SET IZNOS_DECIMAL = IZNOS_DECIMAL WHERE ID = ?",
                 {(long long)documentId}, error))
        return false;
    if (!storeTotal(documentId, error))
        return false;
    return tx.commit();
}

bool productInUse(long productId)
{
    return firstNumber("SELECT EXISTS(SELECT 1 FROM " + table(Tbl::IDStavke) + " WHERE PROIZVODUSLUGAID = ?)",
                       {(long long)productId}) != 0;
}

long documentsInCategory(Tbl docs, long categoryId)
{
    return long(firstNumber("SELECT COUNT(*) FROM " + table(docs) + " WHERE KATEGORIJAID = ?", {(long long)categoryId}));
}

long proposedNumber(long categoryId, long documentId)
{
    return long(firstNumber("SELECT COALESCE(MAX(RBR), 0) + 1 FROM " + table(Tbl::IDokumenti) +
                                " WHERE KATEGORIJAID = ? AND ID <> ?",
                            {(long long)categoryId, (long long)documentId}));
}

QString contactCompany(long contactId)
{
    return firstText("SELECT TVRTKA FROM " + table(Tbl::CON_Contacts) + " WHERE ID = ?", {(long long)contactId});
}

QString categoryName(Tbl categories, long categoryId)
{
    return firstText("SELECT NAZIV FROM " + table(categories) + " WHERE ID = ?", {(long long)categoryId});
}

QString productName(long productId)
{
    return firstText("SELECT NAZIV FROM " + table(Tbl::ProizvodUsluga) + " WHERE ID = ?", {(long long)productId});
}

bool rowExists(Tbl t, long id)
{
    return id != 0 && firstNumber("SELECT EXISTS(SELECT 1 FROM " + table(t) + " WHERE ID = ?)", {(long long)id}) != 0;
}

std::optional<Terms> latestOtherTerms(long documentId)
{
    std::optional<Terms> out;
    query("SELECT ROKPLACANJA, NACINPLACANJA, NACINOTPREME, NAPOMENA FROM " + table(Tbl::IDokumenti) +
              " WHERE ID <> ? ORDER BY ID DESC LIMIT 1",
          {(long long)documentId}, [&](Statement& s) {
              Terms t;
              t.paymentTerm = int32_t(s.integer(1).value_or(0));
              t.paymentMethod = s.text(2).value_or("");
              t.shipping = s.text(3).value_or("");
              t.note = s.text(4).value_or("");
              out = t;
              return false;
          });
    return out;
}

bool saveOutgoingDocument(long storedCategory, const QString& proposedMark, QString* error)
{
    IDokumenti_Rec& doc = ID();
    vrt::FileManager& file = Access(Tbl::IDokumenti);
    vrt::odbc::Connection* c = connection(error);
    if (!c)
        return false;
    const bool renumber = doc.RBR == 0 || doc.KATEGORIJAID != storedCategory;
    const bool autoMark = doc.BROJDOKUMENTA.empty() || QString::fromStdString(doc.BROJDOKUMENTA) == proposedMark;
    beforeWrite();
    vrt::odbc::Transaction tx(*c);
    if (file.TryUpdate() != 0) {
        if (error)
            *error = file.ErrorText();
        return false;
    }
    const long long id = doc.ID;
    if (renumber) {
        // Drawn inside the write: two windows saving at once cannot draw one number.
        const std::string next = "(SELECT COALESCE(MAX(RBR), 0) + 1 FROM " + table(Tbl::IDokumenti) +
                                 " WHERE KATEGORIJAID = ? AND ID <> ?)";
        const std::string name = categoryName(Tbl::IDKategorija, doc.KATEGORIJAID).toStdString();
        const long long cat = doc.KATEGORIJAID;
        const bool ok = autoMark
            ? execute("UPDATE " + table(Tbl::IDokumenti) + " SET RBR = " + next + ", BROJDOKUMENTA = SUBSTR(? || '-' || " +
                          next + ", 1, 49) WHERE ID = ?",
                      {cat, id, name, cat, id, id}, error)
            : execute("UPDATE " + table(Tbl::IDokumenti) + " SET RBR = " + next + " WHERE ID = ?", {cat, id, id}, error);
        if (!ok)
            return false;
    }
    if (!execute("UPDATE " + table(Tbl::IDStavke) + " SET KATEGORIJAID = ? WHERE DOKUMENTID = ?",
                 {(long long)doc.KATEGORIJAID, id}, error))
        return false;
    if (!storeTotal(id, error))
        return false;
    if (!tx.commit()) {
        if (error)
            *error = QString::fromStdString(c->error().text);
        return false;
    }
    query("SELECT RBR, BROJDOKUMENTA, IZNOS_DECIMAL FROM " + table(Tbl::IDokumenti) + " WHERE ID = ?", {id},
          [&](Statement& s) {
              doc.RBR = int32_t(s.integer(1).value_or(0));
              doc.BROJDOKUMENTA = s.text(2).value_or("");
              doc.IZNOS_DECIMAL = s.text(3).value_or("");
              return false;
          });
    return true;
}

bool saveIncomingDocument(long storedCategory, QString* error)
{
    UDokumenti_Rec& doc = UD();
    vrt::FileManager& file = Access(Tbl::UDokumenti);
    vrt::odbc::Connection* c = connection(error);
    if (!c)
        return false;
    beforeWrite();
    vrt::odbc::Transaction tx(*c);
    if (file.TryUpdate() != 0) {
        if (error)
            *error = file.ErrorText();
        return false;
    }
    // The running number belongs to the category: a document moved to another one gets the
    // next number there, drawn inside the write.
    if (doc.KATEGORIJAID != storedCategory || doc.RBR == 0) {
        const long long id = doc.ID, cat = doc.KATEGORIJAID;
        if (!execute("UPDATE " + table(Tbl::UDokumenti) + " SET RBR = (SELECT COALESCE(MAX(RBR), 0) + 1 FROM " +
                         table(Tbl::UDokumenti) + " WHERE KATEGORIJAID = ? AND ID <> ?) WHERE ID = ?",
                     {cat, id, id}, error))
            return false;
    }
    if (!tx.commit()) {
        if (error)
            *error = QString::fromStdString(c->error().text);
        return false;
    }
    query("SELECT RBR FROM " + table(Tbl::UDokumenti) + " WHERE ID = ?", {(long long)doc.ID}, [&](Statement& s) {
        doc.RBR = int32_t(s.integer(1).value_or(0));
        return false;
    });
    return true;
}

const std::vector<QString>& paymentMethods()
{
    static const std::vector<QString> names{
        QStringLiteral("Virman"),           QStringLiteral("Gotovina"),        QStringLiteral("Ček građana"),
        QStringLiteral("Kreditna kartica"), QStringLiteral("Devizna doznaka"), QStringLiteral("Kompenzacija"),
        QStringLiteral("Kreditna rata"),    QStringLiteral("Ostalo")};
    return names;
}

QString paymentMethodName(const std::string& number)
{
    if (number.size() == 1 && number[0] >= '1' && number[0] <= '8')
        return paymentMethods()[size_t(number[0] - '1')];
    return {};
}

// ---- RecordTarget ---------------------------------------------------------------------------

bool RecordTarget::primed() const { return Access(m_table).HasReservedRow(); }

bool RecordTarget::prime()
{
    vrt::FileManager& f = Access(m_table);
    if (f.PrimeRecord() != 0) {
        m_error = f.ErrorText();
        return false;
    }
    return true;
}

bool RecordTarget::save()
{
    m_error.clear();
    if (saveAs)
        return saveAs(m_error);
    vrt::FileManager& f = Access(m_table);
    if (f.TryUpdate() != 0) {
        m_error = f.ErrorCode() == vrt::DupKeyError ? QStringLiteral("Zapis s tim nazivom već postoji.") : f.ErrorText();
        return false;
    }
    return true;
}

bool RecordTarget::remove()
{
    if (m_mayRemove && !m_mayRemove()) {
        m_error = QStringLiteral("Brisanje nije dopušteno.");
        return false;
    }
    // Through the relation manager, so what hangs from the row goes with it in one transaction.
    if (Relate(m_table).Delete(false) != 0) {
        m_error = Access(m_table).ErrorText();
        return false;
    }
    return true;
}

bool RecordTarget::cancelAutoInc()
{
    vrt::FileManager& f = Access(m_table);
    if (f.CancelAutoInc(&Relate(m_table)) != 0) {
        m_error = f.ErrorText();
        return false;
    }
    return true;
}

// ---- TableListSource ------------------------------------------------------------------------

TableListSource::TableListSource(Tbl t, std::vector<ListColumn> columns, std::string order, std::function<void()> primeFields)
    : m_table(t), m_columns(std::move(columns)), m_order(std::move(order)), m_primeFields(std::move(primeFields)),
      m_ownOrder(m_order)
{
}

void TableListSource::sortBy(int column, bool descending)
{
    if (column < 0 || size_t(column) >= m_columns.size()) {
        m_order = m_ownOrder;
        return;
    }
    // Amounts are decimal text: they order by value.
    const std::string expr = m_columns[size_t(column)].amount ? "CAST(" + m_columns[size_t(column)].expr + " AS REAL)"
                                                              : m_columns[size_t(column)].expr;
    m_order = expr + (descending ? " DESC, " : " ASC, ") + m_ownOrder;
}


QStringList TableListSource::headers() const
{
    QStringList out;
    for (const auto& c : m_columns)
        out << c.header;
    return out;
}

std::vector<vrt::BrowseRow> TableListSource::fetchRows(const vrt::BrowseQuery& q)
{
    std::string cols;
    for (const auto& c : m_columns)
        cols += ", " + c.expr;
    const std::string idExpr = from.empty() ? "ID" : "t.ID";
    std::string sql = "SELECT " + idExpr + cols + " FROM " + (from.empty() ? table(m_table) : from);
    std::vector<Param> params;
    if (!rangeCondition.empty()) {
        sql += " WHERE " + rangeCondition;
        params.emplace_back(std::in_place_type<long long>, q.rangeValue.toLongLong());
    }
    sql += " ORDER BY " + m_order;
    std::vector<vrt::BrowseRow> rows;
    m_error.clear();
    query(sql, params, [&](Statement& s) {
        vrt::BrowseRow r;
        r.id = QVariant::fromValue<qlonglong>(s.integer(1).value_or(0));
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const std::string v = s.text(int(i) + 2).value_or("");
            r.cells << (m_columns[i].amount ? formatAmount(v) : QString::fromStdString(v));
        }
        rows.push_back(std::move(r));
        return true;
    }, &m_error);
    return rows;
}

bool TableListSource::load(const QVariant& id)
{
    primaryOf(m_table) = int32_t(id.toLongLong());
    vrt::FileManager& f = Access(m_table);
    if (f.TryFetch(0) != 0) {
        m_error = f.ErrorText();
        return false;
    }
    return true;
}

std::optional<QVariant> TableListSource::primeRecord()
{
    vrt::FileManager& f = Access(m_table);
    f.clearBuffer();
    if (m_primeFields)
        m_primeFields();
    if (f.PrimeRecord(true) != 0) {
        m_error = f.ErrorText();
        return std::nullopt;
    }
    return QVariant::fromValue<qlonglong>(primaryOf(m_table));
}

bool TableListSource::deleteRecord(const QVariant& id)
{
    if (!load(id))
        return false;
    if (Relate(m_table).Delete(false) != 0) {
        m_error = Access(m_table).ErrorText();
        return false;
    }
    return true;
}

} // namespace business
