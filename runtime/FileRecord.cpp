// The record buffer as column values and back, key conditions, and reading one row by key.
#include "runtime/FileManager.h"

#include "runtime/DateTime.h"
#include "runtime/SqliteDialect.h"
#include "runtime/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace vrt {
namespace {

bool isDecimalText(const std::string& s)
{
    if (s.empty())
        return true;
    size_t i = s[0] == '-' ? 1 : 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++digits;
    }
    if (digits == 0)
        return false;
    if (i == s.size())
        return true;
    if (s[i] != '.')
        return false;
    ++i;
    size_t decimals = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        ++i;
        ++decimals;
    }
    return decimals > 0 && i == s.size();
}

// Day numbers as column text and back without a detour through QString: this runs for every
// date of every row read or written. Anything but the plain form goes through the runtime.
std::string dayText(int day)
{
    const QDate d = dateFromDay(day);
    if (!d.isValid())
        return {};
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    return b;
}

int dayOf(const std::string& s)
{
    auto digits = [&](size_t from, size_t n) {
        int v = 0;
        for (size_t i = from; i < from + n; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    if (s.empty())
        return NoDate;
    if (s.size() == 10 && s[4] == '-' && s[7] == '-') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return dayFromDate(QDate(y, m, d));
    }
    return dayFromText(QString::fromStdString(s));
}

} // namespace

bool FileManager::validate(bool report)
{
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        const FieldDesc& f = FILE->fields[i];
        if (f.kind != FieldKind::Decimal)
            continue;
        const std::string& v = *static_cast<std::string*>(f.at(BUFFER));
        if (!isDecimalText(v)) {
            fail(BadValueError, FILE->fieldLabel(int(i)) + " is not a decimal number: \"" + v + "\"",
                 report ? Msg_FieldOutOfRange : 0);
            return false;
        }
        // An amount is refused rather than cut to its column: a cut would change its value.
        if (f.maxChars() >= 0 && v.size() > size_t(f.maxChars())) {
            fail(BadValueError,
                 FILE->fieldLabel(int(i)) + " does not fit its column (at most " + std::to_string(f.maxChars())
                     + " characters): \"" + v + "\"",
                 report ? Msg_FieldOutOfRange : 0);
            return false;
        }
    }
    return true;
}

void FileManager::bindValue(odbc::Statement& s, int& pos, int field)
{
    SqlParam p = componentValue(field);
    if (p.isInt)
        s.bindInt(pos++, p.number);
    else if (p.text.empty() && FILE->emptyIsNull(field))
        s.bindNull(pos++);
    else
        s.bindText(pos++, std::move(p.text));
}

SqlParam FileManager::componentValue(int field) const
{
    const FieldDesc& f = FILE->fields[size_t(field)];
    SqlParam p;
    void* at = f.at(BUFFER);
    switch (f.kind) {
    case FieldKind::Long:
        p.isInt = true;
        p.number = *static_cast<int32_t*>(at);
        break;
    case FieldKind::Byte:
        p.isInt = true;
        p.number = *static_cast<uint8_t*>(at);
        break;
    case FieldKind::Text:
        p.text = clipUtf8(*static_cast<std::string*>(at), f.maxChars());
        break;
    case FieldKind::Decimal: // never cut: validate() refuses one that does not fit
        p.text = *static_cast<std::string*>(at);
        break;
    case FieldKind::Date:
        p.text = dayText(*static_cast<int32_t*>(at));
        break;
    case FieldKind::Time: {
        // Hundredths are kept when there are any, so a time reads back as it was written.
        const int t = *static_cast<int32_t*>(at);
        p.text = timeToText(t).toStdString();
        if (t > 0 && (t - 1) % 100)
            p.text += "." + std::to_string((t - 1) % 100 / 10) + std::to_string((t - 1) % 10);
        break;
    }
    case FieldKind::DateTime:
        p.text = dateTimeToText(*static_cast<int32_t*>(at), *static_cast<int32_t*>(f.at2(BUFFER))).toStdString();
        break;
    }
    return p;
}

void FileManager::loadRow(odbc::Statement& s, int firstColumn)
{
    for (size_t i = 0; i < FILE->fields.size(); ++i) {
        const FieldDesc& f = FILE->fields[i];
        const int col = firstColumn + int(i);
        void* at = f.at(BUFFER);
        switch (f.kind) {
        // A stored number the field cannot hold reads as 0 ("none"), never as another, wrapped
        // number that would name some other row.
        case FieldKind::Long: {
            const int64_t v = s.integer(col).value_or(0);
            *static_cast<int32_t*>(at) = v >= INT32_MIN && v <= INT32_MAX ? int32_t(v) : 0;
            break;
        }
        case FieldKind::Byte: {
            const int64_t v = s.integer(col).value_or(0);
            *static_cast<uint8_t*>(at) = v >= 0 && v <= UINT8_MAX ? uint8_t(v) : 0;
            break;
        }
        case FieldKind::Text:
        case FieldKind::Decimal:
            *static_cast<std::string*>(at) = s.text(col).value_or(std::string());
            break;
        case FieldKind::Date:
            *static_cast<int32_t*>(at) = dayOf(s.text(col).value_or(std::string()));
            break;
        case FieldKind::Time:
            *static_cast<int32_t*>(at) = timeFromText(QString::fromStdString(s.text(col).value_or("")));
            break;
        case FieldKind::DateTime: {
            const auto [d, t] = dateTimeFromText(QString::fromStdString(s.text(col).value_or("")));
            *static_cast<int32_t*>(at) = d;
            *static_cast<int32_t*>(f.at2(BUFFER)) = t;
            break;
        }
        }
    }
}

std::string FileManager::columnList() const
{
    std::string out;
    for (size_t i = 0; i < FILE->fields.size(); ++i)
        out += (i ? ", " : "") + quoteName(FILE->fields[i].name);
    return out;
}

int64_t FileManager::primaryValue() const
{
    const int pk = FILE->primaryKey();
    if (pk < 0)
        return 0;
    return componentValue(FILE->keys[size_t(pk)].components[0].field).number;
}

void FileManager::bindParams(odbc::Statement& s, const std::vector<SqlParam>& params, int& pos)
{
    for (const SqlParam& p : params) {
        if (p.isInt)
            s.bindInt(pos++, p.number);
        else
            s.bindText(pos++, p.text);
    }
}

// --- reading by key ---

std::string FileManager::componentExpr(const KeyComponent& c, bool noCase) const
{
    const FieldDesc& f = FILE->fields[size_t(c.field)];
    std::string e = quoteName(f.name);
    if (c.datePart)
        return dialect::datePart(e);
    if (FILE->emptyIsNull(c.field))
        e = "COALESCE(" + e + ", '')";
    if (noCase && f.isText())
        e += dialect::noCase();
    return e;
}

SqlParam FileManager::componentValue(const KeyComponent& c) const
{
    if (!c.datePart)
        return componentValue(c.field);
    SqlParam p;
    p.text = dayText(*static_cast<int32_t*>(FILE->fields[size_t(c.field)].at(BUFFER)));
    return p;
}

std::vector<KeyComponent> FileManager::sequenceComponents() const
{
    std::vector<KeyComponent> comps;
    if (m_seq.key >= 0)
        comps = FILE->keys[size_t(m_seq.key)].components;
    const int pk = FILE->primaryKey();
    if (pk >= 0) {
        const int f = FILE->keys[size_t(pk)].components[0].field;
        if (std::none_of(comps.begin(), comps.end(), [&](const KeyComponent& c) { return c.field == f && !c.datePart; }))
            comps.push_back({f, false, false});
    }
    return comps;
}

std::string FileManager::keyCondition(int key, int components, std::vector<SqlParam>& params, bool* emptyAsNull) const
{
    const KeyDesc& k = FILE->keys.at(size_t(key));
    std::string out;
    for (int c = 0; c < components && c < int(k.components.size()); ++c) {
        const KeyComponent& kc = k.components[size_t(c)];
        SqlParam value = componentValue(kc);
        out += c ? " AND " : "";
        if (!kc.datePart && FILE->emptyIsNull(kc.field)) {
            // The bare column, so the key's index serves the lookup (an expression around it
            // would scan the table). An empty value is stored as NULL, or as '' by older rows.
            const FieldDesc& f = FILE->fields[size_t(kc.field)];
            const std::string column = quoteName(f.name) + (k.noCase ? dialect::noCase() : "");
            if (value.text.empty()) {
                out += "(" + quoteName(f.name) + " IS NULL OR " + column + " = ?)";
                if (emptyAsNull)
                    *emptyAsNull = true;
            } else {
                out += column + " = ?";
            }
        } else {
            out += componentExpr(kc, k.noCase) + " = ?";
        }
        params.push_back(std::move(value));
    }
    return out;
}

std::string FileManager::fetchSql(const std::string& where) const
{
    // Of equal rows (a key that allows duplicates) the one added first.
    const int pk = FILE->primaryKey();
    const std::string first = pk < 0 ? std::string() :
        " ORDER BY " + quoteName(FILE->fields[size_t(FILE->keys[size_t(pk)].components[0].field)].name);
    return "SELECT " + columnList() + " FROM " + quoteName(m_openName) + " WHERE " + where + first +
           dialect::firstRowOnly();
}

std::string FileManager::FetchSql(int key)
{
    if (useFile(false) || key < 0 || key >= int(FILE->keys.size()))
        return {};
    std::vector<SqlParam> params;
    return fetchSql(keyCondition(key, int(FILE->keys[size_t(key)].components.size()), params));
}

int FileManager::TryFetch(int key)
{
    if (const int rc = useFile(false))
        return rc;
    if (key < 0 || key >= int(FILE->keys.size()))
        return fail(RecordNotFound, "No key " + std::to_string(key) + " in " + FILENAMEVALUE + ".", 0);
    std::vector<SqlParam> params;
    bool emptyAsNull = false;
    const std::string where = keyCondition(key, int(FILE->keys[size_t(key)].components.size()), params, &emptyAsNull);
    // Two plans per key: with and without an empty value among its components.
    if (m_fetchPlans.size() != 2 * FILE->keys.size())
        m_fetchPlans.assign(2 * FILE->keys.size(), nullptr);
    odbc::Statement*& s = m_fetchPlans[size_t(key) + (emptyAsNull ? FILE->keys.size() : 0)];
    if (!s)
        s = cached(fetchSql(where));
    if (!s)
        return m_errorCode;
    int pos = 1;
    bindParams(*s, params, pos);
    if (!s->execute())
        return failFromDriver(s->error(), 0);
    const bool found = s->fetch();
    if (found)
        loadRow(*s);
    const odbc::Error e = s->error();
    s->closeCursor();
    if (!found)
        return e.ok() ? fail(RecordNotFound, "No row of " + FILENAMEVALUE + " has these " +
                                                 FILE->keyLabel(key) + " values.", 0, FILE->keyLabel(key))
                      : failFromDriver(e, 0);
    m_errorCode = 0;
    notifyRead();
    return NoError;
}

int FileManager::Fetch(int key)
{
    const int rc = TryFetch(key);
    if (rc == RecordNotFound) {
        clearBuffer();
        if (m_errors) {
            if (!m_errors->find(Msg_RecordNotFound))
                m_errors->addErrors({{Msg_RecordNotFound, LEVEL_PROGRAM, QStringLiteral("Record Not Found"),
                                      QStringLiteral("No record of the %File file has these %Key values.")}});
            fail(rc, m_errorText, Msg_RecordNotFound, m_errorKey);
        }
    } else if (rc && m_errors) {
        fail(rc, m_errorText, Msg_OpenFailed);
    }
    return rc;
}

} // namespace vrt
