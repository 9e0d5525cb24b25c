#include "procedures/organiser/lists/OrganiserLists.h"

#include <QFont>

#include <QColor>
#include <QLocale>
#include <algorithm>
#include <set>
#include <unordered_map>

#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "services/Quilvo.h"
#include "runtime/Odbc.h"

namespace organiser {

namespace {

// The prefix and column of a label ("CAL:STARTDATETIME_DATE" -> "CAL", "STARTDATETIME_DATE").
std::pair<QString, QString> splitLabel(const QString& label)
{
    const int colon = label.indexOf(u':');
    return colon < 0 ? std::pair{QString(), label.toUpper()}
                     : std::pair{label.left(colon).toUpper(), label.mid(colon + 1).toUpper()};
}

int primaryField(Tbl table)
{
    const vrt::TableDesc& d = corvalde::declaration(table);
    return d.keys[size_t(d.primaryKey())].components[0].field;
}

void bindAll(vrt::odbc::Statement& s, const std::vector<vrt::SqlParam>& params)
{
    s.clearParams();
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].isInt)
            s.bindInt(int(i) + 1, params[i].number);
        else
            s.bindText(int(i) + 1, params[i].text);
    }
}

// A column whose text readCells makes from the row's values instead of reading it.
bool computedByFill(const ListDef& def, int column)
{
    const QString field = QLatin1String(def.columns[size_t(column)].field);
    if (def.fill == RowFill::Mail)
        return field == QLatin1String("LC:VRIJEME") || field == QLatin1String("EM:SIZE_DECIMAL");
    return def.fill == RowFill::Contacts && column == 0;
}

// `expr` starts with `text`, case-insensitively. SQLite's lower() and LIKE fold ASCII only:
// runs of ASCII are compared through lower(), every other character with each of its case
// forms. A typed % or _ is taken literally.
vrt::SqlPart prefixCondition(const std::string& expr, const QString& text)
{
    vrt::SqlPart p;
    const auto piece = [&](size_t from, size_t length) {
        return "substr(" + expr + ", " + std::to_string(from + 1) + ", " + std::to_string(length) + ")";
    };
    const std::u32string chars = text.toStdU32String();
    for (size_t at = 0; at < chars.size();) {
        p.sql += p.sql.empty() ? "" : " AND ";
        size_t end = at;
        while (end < chars.size() && chars[end] < 0x80)
            ++end;
        if (end > at) {
            p.sql += "lower(" + piece(at, end - at) + ") = ?";
            p.params.push_back({false, 0, QString::fromStdU32String(chars.substr(at, end - at)).toLower().toStdString()});
            at = end;
            continue;
        }
        const char32_t c = chars[at], f = QChar::toCaseFolded(c);
        const std::set<char32_t> forms{c, f, QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c), QChar::toUpper(f),
                                       QChar::toTitleCase(f)};
        std::string marks;
        for (const char32_t form : forms) {
            marks += marks.empty() ? "?" : ", ?";
            p.params.push_back({false, 0, QString::fromStdU32String(std::u32string(1, form)).toStdString()});
        }
        p.sql += piece(at++, 1) + " IN (" + marks + ")";
    }
    return p;
}

} // namespace

// ---- source -------------------------------------------------------------------------------

SqlListSource::SqlListSource(const ListDef& def, RecordFields* fields) : m_def(def), m_fields(fields)
{
    const vrt::TableDesc& d = corvalde::declaration(def.table);
    m_idColumn = def.columnOf(QString::fromStdString(d.prefix) + u':' + QString::fromLatin1(d.fields[size_t(primaryField(def.table))].name));
}

QStringList SqlListSource::headers() const
{
    QStringList out;
    for (const ListColumn& c : m_def.columns)
        out << QString::fromUtf8(c.header);
    return out;
}

std::string SqlListSource::columnExpr(const QString& label, bool* isDecimal) const
{
    const auto [prefix, column] = splitLabel(label);
    Tbl table = Tbl::Count;
    if (prefix == QLatin1String(m_def.prefix))
        table = m_def.table;
    for (const ListJoin& j : m_def.joins)
        if (prefix == QLatin1String(j.prefix))
            table = j.table;
    if (table == Tbl::Count)
        return {}; // a computed column: no stored value
    const vrt::TableDesc& d = corvalde::declaration(table);
    const std::string qualified = vrt::quoteName(prefix.toStdString()) + ".";
    int f = d.fieldIndex(column.toStdString());
    if (f >= 0) {
        if (isDecimal)
            *isDecimal = d.fields[size_t(f)].kind == vrt::FieldKind::Decimal;
        return qualified + vrt::quoteName(d.fields[size_t(f)].name);
    }
    // The date or time half of a date-time ("YYYY-MM-DD HH:MM:SS").
    const bool date = column.endsWith(QLatin1String("_DATE")), time = column.endsWith(QLatin1String("_TIME"));
    if (date || time) {
        f = d.fieldIndex(column.chopped(5).toStdString());
        if (f >= 0 && d.fields[size_t(f)].kind == vrt::FieldKind::DateTime) {
            const std::string whole = qualified + vrt::quoteName(d.fields[size_t(f)].name);
            return date ? "substr(" + whole + ", 1, 10)" : "substr(" + whole + ", 12, 8)";
        }
    }
    return {};
}

std::string SqlListSource::orderSql(const QString& order) const
{
    std::string sql;
    for (const VelmoraDll::OrderTerm& t : VelmoraDll::parseOrderText(order)) {
        bool isDecimal = false;
        std::string e = columnExpr(t.field, &isDecimal);
        if (e.empty())
            continue; // nothing outside the list's tables reaches the SQL
        // Money is stored as text: compare it as a number, or 10.00 would sort before 9.00.
        if (isDecimal)
            e = "CAST(" + e + " AS REAL)";
        if (t.caseless)
            e = "UPPER(" + e + ")";
        sql += (sql.empty() ? "" : ", ") + e + (t.descending ? " DESC" : " ASC");
    }
    return sql;
}

std::string SqlListSource::columnsSql() const
{
    std::string cols;
    for (const ListColumn& c : m_def.columns) {
        const std::string e = columnExpr(QLatin1String(c.field));
        cols += (cols.empty() ? "" : ", ") + (e.empty() ? std::string("NULL") : e);
    }
    return cols;
}

std::string SqlListSource::fromSql(const std::string& where) const
{
    const std::string main = vrt::quoteName(m_def.prefix);
    std::string sql = " FROM (SELECT * FROM " + vrt::quoteName(Access(m_def.table).SqlName()) + where + ") AS " + main;
    for (const ListJoin& j : m_def.joins) {
        const QString on = QString::fromLatin1(j.on);
        const int eq = on.indexOf(u'=');
        sql += " LEFT JOIN " + vrt::quoteName(Access(j.table).SqlName()) + " AS " + vrt::quoteName(j.prefix) + " ON "
               + vrt::quoteName(j.prefix) + "." + vrt::quoteName(on.left(eq).toStdString()) + " = " + main + "."
               + vrt::quoteName(on.mid(eq + 1).toStdString());
    }
    return sql;
}

std::string SqlListSource::fromWhereSql(const vrt::BrowseQuery& query, std::vector<vrt::SqlParam>& params,
                                        const vrt::SqlPart& also)
{
    m_error.clear();
    std::string where;
    if (!m_condition.sql.empty()) {
        where = " WHERE " + m_condition.sql;
        params = m_condition.params;
    }
    if (!query.filter.isEmpty()) {
        vrt::SqlPart part;
        std::string error;
        if (!vrt::translateFilter(corvalde::declaration(m_def.table), query.filter.toStdString(), part, error)) {
            m_error = QString::fromStdString(error);
            return {};
        }
        where += (where.empty() ? " WHERE (" : " AND (") + part.sql + ")";
        params.insert(params.end(), part.params.begin(), part.params.end());
    }
    std::string sql = fromSql(where);
    std::string outer;
    if (*m_def.rangeField) {
        outer = columnExpr(QLatin1String(m_def.rangeField)) + " = ?";
        params.push_back({true, query.rangeValue.isValid() ? query.rangeValue.toLongLong() : 0, {}});
    }
    if (!also.sql.empty()) {
        outer += (outer.empty() ? "(" : " AND (") + also.sql + ")";
        params.insert(params.end(), also.params.begin(), also.params.end());
    }
    return outer.empty() ? sql : sql + " WHERE " + outer;
}

std::string SqlListSource::orderBySql() const
{
    const std::string order = orderSql(m_orderText.isEmpty() ? QLatin1String(m_def.order) : m_orderText);
    return order.empty() ? order : " ORDER BY " + order;
}

std::string SqlListSource::selectSql(const vrt::BrowseQuery& query, std::vector<vrt::SqlParam>& params, bool idsOnly)
{
    const std::string from = fromWhereSql(query, params);
    return from.empty() ? from : "SELECT " + (idsOnly ? idSql() : columnsSql()) + from + orderBySql();
}

std::string SqlListSource::idSql() const
{
    const vrt::TableDesc& d = corvalde::declaration(m_def.table);
    return vrt::quoteName(m_def.prefix) + "." + vrt::quoteName(d.fields[size_t(primaryField(m_def.table))].name);
}

bool SqlListSource::run(const std::string& sql, const std::vector<vrt::SqlParam>& params,
                        const std::function<bool(vrt::odbc::Statement&)>& row) const
{
    vrt::odbc::Connection* c = sql.empty() ? nullptr : corvalde::ThreadSession().connection();
    if (!c)
        return false;
    corvalde::ThreadSession().suspendReaders();
    vrt::odbc::Statement s(*c);
    if (!s.prepare(sql) || (bindAll(s, params), !s.execute())) {
        m_error = QString::fromStdString(s.error().text);
        return false;
    }
    while (s.fetch())
        if (!row(s))
            break;
    if (!s.error().ok())
        m_error = QString::fromStdString(s.error().text);
    return s.error().ok();
}

QStringList SqlListSource::readCells(vrt::odbc::Statement& s) const
{
    const int n = int(m_def.columns.size());
    QStringList cells;
    cells.reserve(n);
    for (int i = 0; i < n; ++i) {
        QString v = QString::fromStdString(s.text(i + 1).value_or(std::string()));
        if (m_def.columns[size_t(i)].chars > 0 && v.size() > m_def.columns[size_t(i)].chars)
            v.truncate(m_def.columns[size_t(i)].chars);
        cells << v;
    }
    const auto cell = [&](const char* f) { return cells.value(m_def.columnOf(QLatin1String(f))); };
    // The row fill's computed texts.
    if (m_def.fill == RowFill::Mail) {
        cells[m_def.columnOf(QStringLiteral("LC:VRIJEME"))] = mailTimeText(cell("EM:DATUM"), cell("EM:VRIJEME"));
        const int size = m_def.columnOf(QStringLiteral("EM:SIZE_DECIMAL"));
        cells[size] = mailSizeText(cells[size]);
    } else if (m_def.fill == RowFill::Contacts) {
        cells[0] = firstLast(cell("CON:PREZIME"), cell("CON:SREDNJEIME"), cell("CON:IME"));
    }
    return cells;
}

std::vector<vrt::BrowseRow> SqlListSource::fetchRows(const vrt::BrowseQuery& query)
{
    std::vector<vrt::BrowseRow> rows;
    std::vector<vrt::SqlParam> params;
    m_blocks.clear();
    m_textsRead = 0;
    const std::string sql = selectSql(query, params);
    rows.reserve(m_lastCount);
    run(sql, params, [&](vrt::odbc::Statement& s) {
        vrt::BrowseRow row;
        row.cells = readCells(s);
        row.id = row.cells.value(m_idColumn).toLongLong();
        rows.push_back(std::move(row));
        return true;
    });
    m_lastCount = rows.size();
    return rows;
}

namespace {

// With bound values the driver copies the whole result before the first row; integers of our
// own (never typed text) written into the statement let it step through the rows.
void inlineIntegers(std::string& sql, std::vector<vrt::SqlParam>& params)
{
    if (!std::all_of(params.begin(), params.end(), [](const vrt::SqlParam& p) { return p.isInt; })
        || size_t(std::count(sql.begin(), sql.end(), '?')) != params.size())
        return;
    for (size_t at = 0, i = 0; i < params.size(); ++i) {
        at = sql.find('?', at);
        const std::string value = std::to_string(params[i].number);
        sql.replace(at, 1, value);
        at += value.size();
    }
    params.clear();
}

// The ids of a list on a connection of the reading thread's own, opened with the connection
// string of the list's: the same driver, the data as committed.
class ListIdReader : public vrt::IdReader {
public:
    ListIdReader(std::string connection, std::string countSql, std::string idsSql, std::vector<vrt::SqlParam> params)
        : m_connectionString(std::move(connection)), m_countSql(std::move(countSql)), m_idsSql(std::move(idsSql)),
          m_params(std::move(params))
    {
    }
    std::optional<qint64> count() override
    {
        vrt::odbc::Statement s(connection());
        if (!m_open || !s.prepare(m_countSql) || (bindAll(s, m_params), !s.execute()) || !s.fetch())
            return std::nullopt;
        return s.integer(1);
    }
    bool readAll(std::vector<qint64>& ids, const std::atomic<bool>& stop) override
    {
        vrt::odbc::Statement s(connection());
        std::vector<long long> read;
        const bool ok = m_open && s.prepare(m_idsSql) && (bindAll(s, m_params), s.execute())
                        && s.fetchIntegers(read, SIZE_MAX, &stop) && !stop;
        ids.assign(read.begin(), read.end());
        return ok;
    }

private:
    vrt::odbc::Connection& connection()
    {
        if (!m_tried) {
            m_tried = true;
            m_open = m_connection.open(m_connectionString);
        }
        return m_connection;
    }
    std::string m_connectionString, m_countSql, m_idsSql;
    std::vector<vrt::SqlParam> m_params;
    vrt::odbc::Connection m_connection;
    bool m_tried = false, m_open = false;
};

} // namespace

bool SqlListSource::fetchIds(const vrt::BrowseQuery& query, std::vector<qint64>& ids)
{
    if (!m_def.lazy)
        return false;
    ids.clear();
    m_blocks.clear();
    m_textsRead = 0;
    std::vector<vrt::SqlParam> params;
    // Only the order of the ids now; a row's texts are read with its block when shown.
    std::string sql = selectSql(query, params, true);
    vrt::odbc::Connection* c = sql.empty() ? nullptr : corvalde::ThreadSession().connection();
    if (!c)
        return true;
    corvalde::ThreadSession().suspendReaders();
    vrt::odbc::Statement s(*c);
    ids.reserve(m_lastCount);
    inlineIntegers(sql, params);
    if (!s.prepare(sql) || (bindAll(s, params), !s.execute()) || !s.fetchIntegers(ids))
        m_error = QString::fromStdString(s.error().text);
    m_lastCount = ids.size();
    return true;
}

std::unique_ptr<vrt::IdReader> SqlListSource::fetchFirstIds(const vrt::BrowseQuery& query, size_t count,
                                                            std::vector<qint64>& ids)
{
    ids.clear();
    vrt::odbc::Connection* c = m_def.lazy ? corvalde::ThreadSession().connection() : nullptr;
    // Another connection does not see what an open transaction of this one wrote.
    if (!c || c->transactionDepth() > 0)
        return nullptr;
    std::vector<vrt::SqlParam> params;
    std::string from = fromWhereSql(query, params);
    if (from.empty())
        return nullptr;
    std::string sql = "SELECT " + idSql() + from + orderBySql();
    std::string countSql = "SELECT COUNT(*)" + from;
    std::vector<vrt::SqlParam> countParams = params;
    inlineIntegers(sql, params);
    inlineIntegers(countSql, countParams);
    m_blocks.clear();
    m_textsRead = 0;
    corvalde::ThreadSession().suspendReaders();
    vrt::odbc::Statement s(*c);
    if (!s.prepare(sql) || (bindAll(s, params), !s.execute()) || !s.fetchIntegers(ids, count)) {
        m_error = QString::fromStdString(s.error().text);
        ids.clear();
        return nullptr;
    }
    if (ids.size() < count)
        m_lastCount = ids.size();
    return std::make_unique<ListIdReader>(c->connectionString(), countSql, sql, params);
}

std::optional<bool> SqlListSource::lists(const vrt::BrowseQuery& query, const QVariant& id)
{
    bool ok = false;
    const qlonglong wanted = id.toLongLong(&ok);
    if (!ok || !m_def.lazy)
        return std::nullopt;
    vrt::SqlPart only;
    only.sql = idSql() + " = ?";
    only.params.push_back({true, wanted, {}});
    std::vector<vrt::SqlParam> params;
    const std::string from = fromWhereSql(query, params, only);
    bool found = false;
    if (from.empty() || !run("SELECT 1" + from, params, [&](vrt::odbc::Statement&) { return !(found = true); }))
        return std::nullopt;
    return found;
}

std::optional<quint64> SqlListSource::dataStamp() const
{
    quint64 stamp = vrt::odbc::writesTo(Access(m_def.table).SqlName());
    for (const ListJoin& j : m_def.joins)
        stamp += vrt::odbc::writesTo(Access(j.table).SqlName());
    return stamp;
}

// The first rows of a list fill whole blocks, so no block is kept with ids missing.
static_assert(vrt::Browse::kFirstIds % SqlListSource::kBlockRows == 0);

const QStringList& SqlListSource::cells(const vrt::BrowseModel& rows, int row) const
{
    static const QStringList none;
    if (row < 0 || row >= rows.rowCount())
        return none;
    if (!rows.holdsIds())
        return rows.rows()[size_t(row)].cells;
    const int block = row / kBlockRows;
    // A row whose id is still being read shows nothing until it comes; a block is kept only
    // whole.
    const size_t blockEnd = std::min(size_t(rows.rowCount()), size_t(block + 1) * kBlockRows);
    if (rows.ids().size() < blockEnd)
        return none;
    auto it = m_blocks.find(block);
    if (it == m_blocks.end()) {
        if (m_blocks.size() >= kBlocksKept) // the block farthest from this one goes
            m_blocks.erase(std::max_element(m_blocks.begin(), m_blocks.end(), [&](const auto& a, const auto& b) {
                return std::abs(a.first - block) < std::abs(b.first - block);
            }));
        it = m_blocks.emplace(block, readBlock(rows.ids(), block)).first;
    }
    const size_t at = size_t(row - block * kBlockRows);
    return at < it->second.size() ? it->second[at] : none;
}

std::vector<QStringList> SqlListSource::readBlock(const std::vector<qint64>& ids, int block) const
{
    const size_t first = size_t(block) * kBlockRows, last = std::min(ids.size(), first + kBlockRows);
    std::vector<vrt::SqlParam> params;
    std::string marks;
    for (size_t i = first; i < last; ++i) {
        params.push_back({true, ids[i], {}});
        marks += marks.empty() ? "?" : ",?";
    }
    const vrt::TableDesc& d = corvalde::declaration(m_def.table);
    const std::string where = " WHERE " + vrt::quoteName(d.fields[size_t(primaryField(m_def.table))].name) + " IN (" + marks + ")";
    std::map<qlonglong, QStringList> byId;
    run("SELECT " + columnsSql() + ", " + idSql() + fromSql(where), params, [&](vrt::odbc::Statement& s) {
        QStringList c = readCells(s);
        byId[qlonglong(s.integer(int(m_def.columns.size()) + 1).value_or(0))] = std::move(c);
        return true;
    });
    m_textsRead += last - first;
    std::vector<QStringList> out;
    out.reserve(last - first);
    for (size_t i = first; i < last; ++i)
        out.push_back(byId[ids[i]]);
    return out;
}

int SqlListSource::locateRow(const vrt::BrowseQuery& query, const vrt::BrowseModel& model, int column,
                             const QString& text)
{
    const std::vector<vrt::BrowseRow>& rows = model.rows();
    if (column < 0 || size_t(column) >= m_def.columns.size())
        return -1;
    // The user types what the list shows: a date as it is shown, not as it is stored.
    const auto matches = [&](const QStringList& cells) {
        return locatorMatches(shownText(m_def, column, cells.value(column)), text);
    };
    if (!model.holdsIds()) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (matches(rows[i].cells))
                return int(i);
        return -1;
    }
    if (text.isEmpty())
        return model.rowCount() == 0 ? -1 : 0;
    if (const int chars = m_def.columns[size_t(column)].chars; chars > 0 && text.size() > chars)
        return -1; // the shown text is cut shorter than what was typed
    std::vector<vrt::SqlParam> params;
    const std::optional<vrt::SqlPart> match = locatorCondition(query, column, text);
    if (!match) {
        // A text SQL cannot make: the rows are read in order, one at a time, until one matches.
        const std::string from = fromWhereSql(query, params);
        const int idColumn = int(m_def.columns.size()) + 1;
        return from.empty() ? -1 : firstListed(model, "SELECT " + columnsSql() + ", " + idSql() + from + orderBySql(), params,
                                               [&](vrt::odbc::Statement& s) -> std::optional<qlonglong> {
                                                   ++m_textsRead;
                                                   if (!matches(readCells(s)))
                                                       return std::nullopt;
                                                   return s.integer(idColumn).value_or(0);
                                               });
    }
    if (match->sql.empty())
        return -1; // no value can match
    const std::string from = fromWhereSql(query, params, *match);
    return from.empty() ? -1 : firstListed(model, "SELECT " + idSql() + from + orderBySql(), params,
                                           [](vrt::odbc::Statement& s) -> std::optional<qlonglong> {
                                               return s.integer(1).value_or(0);
                                           });
}

std::optional<vrt::SqlPart> SqlListSource::locatorCondition(const vrt::BrowseQuery& query, int column, const QString& text)
{
    const ListColumn& c = m_def.columns[size_t(column)];
    const QString field = QLatin1String(c.field);
    if (m_def.fill == RowFill::Mail && field == QLatin1String("LC:VRIJEME"))
        return dayCondition(query, columnExpr(QStringLiteral("EM:DATUM")), text, columnExpr(QStringLiteral("EM:VRIJEME")));
    if (computedByFill(m_def, column) || c.show == Show::Amount)
        return std::nullopt;
    const std::string expr = columnExpr(field);
    if (expr.empty() || !showsText(m_def, column))
        return vrt::SqlPart{}; // its text is always empty
    if (c.show == Show::Date)
        return dayCondition(query, expr, text);
    if (c.show == Show::Time && text.size() > 5)
        return vrt::SqlPart{};
    return prefixCondition(expr, text);
}

vrt::SqlPart SqlListSource::dayCondition(const vrt::BrowseQuery& query, const std::string& date, const QString& text,
                                         const std::string& time)
{
    // A list's rows fall on few days, so the days whose short date (with a time, followed by a
    // space) fits what was typed are picked here; what goes beyond a day's text is a prefix of
    // the time.
    const std::string day = "coalesce(" + date + ", '')";
    const QString wanted = text.toCaseFolded();
    std::string days = "|";
    vrt::SqlPart p;
    std::vector<vrt::SqlParam> params;
    const std::string from = fromWhereSql(query, params);
    run(from.empty() ? from : "SELECT DISTINCT " + day + from, params, [&](vrt::odbc::Statement& s) {
        const std::string value = s.text(1).value_or(std::string());
        const QString shown = (shortDate(QString::fromStdString(value)) + (time.empty() ? "" : " ")).toCaseFolded();
        if (shown.startsWith(wanted)) {
            days += value + "|";
        } else if (!time.empty() && wanted.startsWith(shown) && wanted.size() - shown.size() <= 8) {
            const vrt::SqlPart t = prefixCondition(time, wanted.mid(shown.size()));
            p.sql += (p.sql.empty() ? "(" : " OR (") + day + " = ? AND " + t.sql + ")";
            p.params.push_back({false, 0, value});
            p.params.insert(p.params.end(), t.params.begin(), t.params.end());
        }
        return true;
    });
    if (days.size() > 1) {
        // One bound list however many days there are.
        p.sql = "instr(?, '|' || " + day + " || '|') > 0" + (p.sql.empty() ? "" : " OR " + p.sql);
        p.params.insert(p.params.begin(), {false, 0, days});
    }
    return p;
}

int SqlListSource::firstListed(const vrt::BrowseModel& model, const std::string& sql,
                               const std::vector<vrt::SqlParam>& params,
                               const std::function<std::optional<qlonglong>(vrt::odbc::Statement&)>& candidate)
{
    const std::vector<qint64>& rows = model.ids();
    // A record written since the ids were read is not among the rows: the next match counts.
    std::unordered_map<qlonglong, int> position; // made at the first such record
    int found = -1;
    run(sql, params, [&](vrt::odbc::Statement& s) {
        const std::optional<qlonglong> id = candidate(s);
        if (!id)
            return true;
        if (position.empty()) {
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i] == *id) {
                    found = int(i);
                    return false;
                }
            for (size_t i = 0; i < rows.size(); ++i)
                position.emplace(rows[i], int(i));
            return true;
        }
        const auto it = position.find(*id);
        if (it == position.end())
            return true;
        found = it->second;
        return false;
    });
    return found;
}

bool SqlListSource::load(const QVariant& id)
{
    vrt::FileManager& f = Access(m_def.table);
    const int pk = f.FILE->primaryKey();
    f.clearBuffer();
    *static_cast<int32_t*>(f.FILE->fields[size_t(primaryField(m_def.table))].at(f.BUFFER)) = id.toInt();
    if (f.TryFetch(pk) != 0) {
        m_error = f.ErrorText();
        return false;
    }
    return true;
}

std::optional<QVariant> SqlListSource::primeRecord()
{
    vrt::FileManager& f = Access(m_def.table);
    f.clearBuffer();
    if (*m_def.rangeField && rangeValue.isValid()) {
        const int field = f.FILE->fieldIndex(splitLabel(QLatin1String(m_def.rangeField)).second.toStdString());
        *static_cast<int32_t*>(f.FILE->fields[size_t(field)].at(f.BUFFER)) = rangeValue.toInt();
    }
    if (m_fields)
        m_fields->primeFields();
    if (f.PrimeRecord(true) != 0) {
        m_error = f.ErrorText();
        return std::nullopt;
    }
    return QVariant(qlonglong(*static_cast<int32_t*>(f.FILE->fields[size_t(primaryField(m_def.table))].at(f.BUFFER))));
}

bool SqlListSource::deleteRecord(const QVariant& id)
{
    if (!load(id))
        return false;
    if (Relate(m_def.table).Delete() != 0) {
        m_error = Access(m_def.table).ErrorText();
        return false;
    }
    return true;
}

// ---- model --------------------------------------------------------------------------------

QColor windowsColour(int v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

ListModel::ListModel(const ListDef& def, ListRows& rows, QObject* parent)
    : QIdentityProxyModel(parent), m_def(def), m_rows(rows)
{
    for (const ListColumn& c : def.columns)
        m_headers << QString::fromUtf8(c.header);
}

void ListModel::setHeaderText(int column, const QString& text)
{
    if (column < 0 || column >= m_headers.size() || m_headers[column] == text)
        return;
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

bool ListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return QIdentityProxyModel::setHeaderData(section, orientation, value, role);
    setHeaderText(section, value.toString());
    return true;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Looked up at each showing, so the headers follow a change of language.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size()) {
        QString text = m_headers[section];
        if (text.isEmpty())
            return QString();
        // The sort mark follows the translated text: "Naslov[+]" is "Subject[+]".
        QString mark;
        if (text.endsWith(QLatin1String("[+]")) || text.endsWith(QLatin1String("[-]"))) {
            mark = text.right(3);
            text.chop(3);
        }
        return VelmoraDll::translator().QVSTR(text) + mark;
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

namespace {
constexpr quintptr ExtraRowId = ~quintptr(0); // the internal id of a row that is no record
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (index.isValid() && index.internalId() == ExtraRowId)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    Qt::ItemFlags f = QIdentityProxyModel::flags(index);
    if (std::find(editableColumns.begin(), editableColumns.end(), index.column()) != editableColumns.end())
        f |= Qt::ItemIsEditable;
    return f;
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    return m_rows.editCell(index.row(), index.column(), value.toString());
}

const QStringList& ListModel::rowCells(int row) const { return m_rows.cells(row); }

std::vector<CellLook> ListModel::look(int row) const
{
    const QStringList& cells = rowCells(row);
    if (cells.isEmpty())
        return {};
    bool tagged = false;
    if (m_def.fill == RowFill::Notes)
        tagged = VelmoraDll::tagSet().IsTagged(cells.value(m_def.columnOf(QStringLiteral("NOTE:ID"))));
    return rowLook(m_def, cells, row, QDate::currentDate(), tagged);
}

void ListModel::setExtraRows(std::vector<ExtraRow> rows)
{
    const int first = recordRows();
    if (!m_extra.empty()) {
        beginRemoveRows({}, first, first + int(m_extra.size()) - 1);
        m_extra.clear();
        endRemoveRows();
    }
    if (rows.empty())
        return;
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_extra = std::move(rows);
    endInsertRows();
}

int ListModel::recordRows() const { return sourceModel() ? sourceModel()->rowCount() : 0; }

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : recordRows() + int(m_extra.size());
}

QModelIndex ListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || column >= columnCount())
        return {};
    if (row >= recordRows())
        return row < rowCount() ? createIndex(row, column, ExtraRowId) : QModelIndex();
    return QIdentityProxyModel::index(row, column, parent);
}

QModelIndex ListModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (proxyIndex.isValid() && proxyIndex.internalId() == ExtraRowId)
        return {};
    return QIdentityProxyModel::mapToSource(proxyIndex);
}

void ListModel::setSourceModel(QAbstractItemModel* source)
{
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    QIdentityProxyModel::setSourceModel(source);
    // The identity proxy is connected first, so this runs inside its reset.
    if (source)
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_extra.clear(); });
}

QVariant ListModel::extraData(const ExtraRow& row, int column, int role) const
{
    const ListColumn& c = m_def.columns[size_t(column)];
    const QString raw = row.cells.value(column);
    switch (role) {
    case Qt::DisplayRole: return shownText(m_def, column, raw);
    case RawRole:
    case Qt::EditRole: return raw;
    case Qt::TextAlignmentRole:
        return c.right ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
    case SelectedBgRole: return row.bg == -1 ? QVariant() : QVariant(windowsColour(row.bg));
    case Qt::ForegroundRole:
    case SelectedFgRole: return row.fg == -1 ? QVariant() : QVariant(windowsColour(row.fg));
    default: return {};
    }
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == ExtraRowId) {
        const int at = index.row() - recordRows();
        return at >= 0 && size_t(at) < m_extra.size() ? extraData(m_extra[size_t(at)], index.column(), role) : QVariant();
    }
    const ListColumn& c = m_def.columns[size_t(index.column())];
    const QVariant raw = rowCells(index.row()).value(index.column());
    switch (role) {
    case Qt::DisplayRole: return shownText(m_def, index.column(), raw.toString());
    case RawRole:
    case Qt::EditRole: return raw;
    case Qt::TextAlignmentRole:
        return c.right ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole: {
        // The mail list's style 1 is an unread mail, bold; the task list's style 1 a done
        // task, struck through, and its style 2 one under way, italic.
        const std::vector<CellLook> l = look(index.row());
        const int style = size_t(index.column()) < l.size() ? l[size_t(index.column())].style : 0;
        QFont font;
        if (m_def.fill == RowFill::Mail && style == 1)
            font.setBold(true);
        else if (m_def.fill == RowFill::Tasks && style == 1)
            font.setStrikeOut(true);
        else if (m_def.fill == RowFill::Tasks && style == 2)
            font.setItalic(true);
        else
            return {};
        return font;
    }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case SelectedFgRole:
    case SelectedBgRole:
    case StyleRole:
    case IconRole:
    case Qt::DecorationRole: {
        const std::vector<CellLook> l = look(index.row());
        if (size_t(index.column()) >= l.size())
            return {};
        const CellLook& k = l[size_t(index.column())];
        const auto colour = [](int v) { return v == -1 ? QVariant() : QVariant(windowsColour(v)); };
        if (role == Qt::BackgroundRole) return colour(k.normalBg);
        if (role == Qt::ForegroundRole) return colour(k.normalFg);
        if (role == SelectedFgRole) return colour(k.selectedFg);
        if (role == SelectedBgRole) return colour(k.selectedBg);
        if (role == StyleRole) return k.style;
        if (role == IconRole) return k.icon;
        if (k.icon > 0)
            if (const QIcon icon = m_rows.icon(iconsOf(m_def).value(k.icon - 1)); !icon.isNull())
                return icon;
        return {};
    }
    default: return QIdentityProxyModel::data(index, role);
    }
}

// ---- sorting ------------------------------------------------------------------------------

QString ListSortManager::SortExpression(const QString& sign, const QString& name, const QString& picture)
{
    const QString s = sign == QLatin1String("+") ? QStringLiteral("+") : QStringLiteral("-");
    const QString upper = name.toUpper();
    if (upper == QLatin1String("TAGMARK"))
        return s + QStringLiteral("UPPER(NOTE:Status)");
    if (upper == QLatin1String("LC:FIRSTLAST"))
        return s + QStringLiteral("UPPER(CON:Prezime)");
    // The received time sorts by date and time; the id that follows as the key breaks ties.
    if (upper == QLatin1String("LC:VRIJEME"))
        return s + QStringLiteral("EM:DATUM,") + s + QStringLiteral("EM:VRIJEME");
    return HeaderSortManager::SortExpression(sign, name, picture);
}

bool ListSortManager::IsKeyField(const QString& name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("TAGMARK") || upper == QLatin1String("LC:FIRSTLAST") || upper == QLatin1String("LC:VRIJEME"))
        return true;
    return HeaderSortManager::IsKeyField(name);
}

void ListSortManager::ApplySort(const QString& order)
{
    // Empty: back to the list's own order.
    m_list.source().setOrderText(order);
    // Typing finds rows by the column the list is sorted by.
    const bool sorted = !order.isEmpty() && !sortQueue().empty();
    m_list.browse().setLocatorColumn(sorted ? sortQueue().front().LISTSORTCOLUMN - 1
                                            : m_list.def().columnOf(QLatin1String(m_list.def().locatorField)));
    m_list.reset();
}

// ---- list ---------------------------------------------------------------------------------

OrganiserList::OrganiserList(const ListDef& def, vrt::WindowManager* window, ListOwner* owner)
    : m_def(def), m_owner(owner), m_source(def, this), m_browse(std::make_unique<vrt::Browse>(m_source, window)),
      m_model(def, *this)
{
    m_model.setSourceModel(&m_browse->model());
    m_browse->addOrder({QString::fromLatin1(def.order), def.columnOf(QLatin1String(def.locatorField))});
    m_browse->setUpdateNumber(def.updateNumber);
    m_browse->onSelectionMoved = [this] { selectionChanged(); };
    if (*def.sortKey) {
        m_sorter = std::make_unique<ListSortManager>(*this);
        QStringList viewFields;
        for (const ListColumn& c : def.columns)
            viewFields << QString::fromLatin1(c.field);
        m_sorter->Init(this, def.control, {{QString::fromLatin1(def.sortKey), true}}, viewFields, true);
    }
}

OrganiserList::~OrganiserList()
{
    if (m_sorter)
        m_sorter->Kill();
}

const QStringList& OrganiserList::cells(int row) { return m_source.cells(m_browse->model(), row); }

QIcon OrganiserList::icon(const QString& name) { return m_owner ? m_owner->icon(name) : QIcon(); }

bool OrganiserList::editCell(int row, int column, const QString& text)
{
    return m_owner && m_owner->editCell(*this, row, column, text);
}

void OrganiserList::primeFields()
{
    if (m_owner)
        m_owner->primeFields(*this);
}

void OrganiserList::selectionChanged()
{
    if (m_owner)
        m_owner->newSelection(*this);
}

void OrganiserList::setRange(const QVariant& value)
{
    m_source.rangeValue = value;
    m_browse->setRange(value);
}

void OrganiserList::repaint()
{
    if (const int rows = m_model.rowCount(); rows > 0)
        emit m_model.dataChanged(m_model.index(0, 0), m_model.index(rows - 1, m_model.columnCount() - 1));
}

void OrganiserList::setCondition(vrt::SqlPart condition)
{
    m_source.setCondition(std::move(condition));
    reset();
}

bool OrganiserList::select(int row)
{
    if (!m_browse->select(row))
        return false;
    selectionChanged();
    return true;
}

int OrganiserList::locate(const QString& text)
{
    const QVariant before = selectedId();
    m_browse->locate(text);
    if (selectedId() != before)
        selectionChanged();
    return selected();
}

bool OrganiserList::selectId(const QVariant& id)
{
    if (!m_browse->selectId(id))
        return false;
    selectionChanged();
    return true;
}

QString OrganiserList::cell(const QString& field, int row) const
{
    const int r = row < 0 ? m_browse->selected() : row;
    m_browse->flush();
    if (r >= int(m_browse->model().ids().size()))
        m_browse->completeIds(); // a row whose id is still being read
    return m_source.cells(m_browse->model(), r).value(m_def.columnOf(field));
}

QString OrganiserList::fieldName(int column) const
{
    return QString::fromLatin1(m_def.columns[size_t(column - 1)].field);
}

QString OrganiserList::picture(int column) const
{
    switch (m_def.columns[size_t(column - 1)].show) {
    case Show::Integer:
    case Show::Amount: return QStringLiteral("@n12");
    case Show::Date: return QStringLiteral("@d6");
    case Show::Time: return QStringLiteral("@t1");
    default: return QStringLiteral("@s255");
    }
}

int OrganiserList::width(int column) const
{
    return m_widths ? m_widths->viewWidth(column - 1) : m_def.columns[size_t(column - 1)].width;
}

vrt::SqlPart categorySubtreeCondition(long categoryId)
{
    vrt::SqlPart p;
    const std::string categories = vrt::quoteName(Access(Tbl::PrihodiRashodiKategorija).SqlName());
    // UNION (not UNION ALL) ends even on a tree whose parent links form a loop.
    p.sql = "\"KATEGORIJAID\" IN (WITH RECURSIVE sub(id) AS (SELECT ? UNION SELECT k.\"ID\" FROM " + categories
            + " AS k JOIN sub ON k.\"TATAID\" = sub.id) SELECT id FROM sub)";
    p.params.push_back({true, categoryId, {}});
    return p;
}

} // namespace organiser
