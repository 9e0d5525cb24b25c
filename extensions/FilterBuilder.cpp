#include "extensions/FilterBuilder.h"
#include "extensions/PictureText.h"

#include "runtime/DateTime.h"
#include "runtime/IniFile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>

#include <algorithm>

namespace ext {

namespace {

QString clip(const QString& s)
{
    int n = int(s.size());
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

bool hasDone(const QString& connection)
{
    return connection.contains(QLatin1String("DONE"), Qt::CaseInsensitive);
}

bool isNumberType(int type)
{
    return type != 4 && type != 5 && type != 18;
}

void replaceAll(QString& t, const QString& placeholder, const QString& value)
{
    int at = 0;
    while ((at = int(t.indexOf(placeholder, at, Qt::CaseInsensitive))) >= 0) {
        t.replace(at, placeholder.size(), value);
        at += int(value.size());
    }
}

} // namespace

// ---- conditions into text -----------------------------------------------------------------

bool CFILTERBASE::failWith(const QString& text)
{
    m_error = text;
    return false;
}

const FilterColumn* CFILTERBASE::column(const QString& name) const
{
    for (const auto& c : COLFILTERQ)
        if (c.COLNAME == clip(name))
            return &c;
    return nullptr;
}

const FilterOperator* CFILTERBASE::op(const QString& name) const
{
    for (const auto& o : COLOPEQ)
        if (o.OPERATORUSER.compare(clip(name), Qt::CaseInsensitive) == 0)
            return &o;
    return nullptr;
}

const FilterOperatorEx* CFILTERBASE::opEx(int dataType, const QString& name) const
{
    for (const auto& o : COLOPEEXQ)
        if (o.COLDATATYPE == dataType && o.OPERATORUSER.compare(clip(name), Qt::CaseInsensitive) == 0)
            return &o;
    return nullptr;
}

QString CFILTERBASE::readPicture(const FilterColumn& c)
{
    const int p = int(c.COLPICTURE.indexOf(QLatin1String("DATETIME"), 0, Qt::CaseInsensitive));
    return p >= 0 ? c.COLPICTURE.left(std::max(0, p - 1)).trimmed() : clip(c.COLPICTURE);
}

QString CFILTERBASE::quoted(const QString& text) const
{
    QString v = text;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

bool CFILTERBASE::numberOk(const QString& text) const
{
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    return number.match(text.trimmed()).hasMatch();
}

void CFILTERBASE::RESET()
{
    FILTERQ.clear();
    SAVED = false;
    ISNEW = true;
}

void CFILTERBASE::SETCASESENSITIVE(bool on)
{
    for (auto& c : COLFILTERQ)
        c.CASESENSITIVE = on;
}

QString CFILTERBASE::GENERATESET(const QString& values, int dataType, const QString& picture)
{
    const QString out = picture.trimmed().isEmpty() ? QStringLiteral("@d10") : picture.trimmed();
    const bool keepBlanks = USESQL && (dataType == 4 || dataType == 5);
    QStringList tokens;
    QString token;
    const auto flush = [&] {
        if (!token.isEmpty())
            tokens << token;
        token.clear();
    };
    for (const QChar ch : values) {
        if (ch == QLatin1Char('(') || ch == QLatin1Char(')') || ch == QLatin1Char(',') || ch == QLatin1Char('\'') ||
            (ch == QLatin1Char(' ') && !keepBlanks))
            flush();
        else
            token += ch;
    }
    flush();
    QStringList written;
    for (QString t : tokens) {
        t = t.trimmed();
        if (t.isEmpty())
            continue;
        if (USESQL && dataType == 4) {
            const QString own = m_setColumn ? readPicture(*m_setColumn) : QString();
            auto d = picture::readDate(t, own);
            if (!d)
                d = QDate::fromString(t, Qt::ISODate);
            if (!d || !d->isValid()) {
                m_error = QStringLiteral("\"%1\" is not a date.").arg(t);
                return {};
            }
            t = picture::writeDate(*d, out);
        } else if (USESQL && dataType == 5) {
            const QString own = m_setColumn ? clip(m_setColumn->COLPICTURE) : QString();
            auto time = picture::readTime(t, own);
            if (!time)
                time = QTime::fromString(t, Qt::ISODate);
            if (!time || !time->isValid()) {
                m_error = QStringLiteral("\"%1\" is not a time.").arg(t);
                return {};
            }
            t = picture::writeTime(*time, QStringLiteral("@t04"));
        }
        if (isNumberType(dataType)) {
            if (!numberOk(t)) {
                m_error = QStringLiteral("\"%1\" is not a number.").arg(t);
                return {};
            }
            written << t;
        } else {
            written << quoted(t);
        }
    }
    return written.join(QLatin1Char(','));
}

QString CFILTERBASE::PARSEANDREPLACE(int index)
{
    m_error.clear();
    if (index < 0 || index >= int(FILTERQ.size()))
        return {};
    const FilterCondition& cond = FILTERQ[size_t(index)];
    const FilterColumn* col = column(cond.COLUMN);
    const FilterOperator* o = op(cond.OPERATOR);
    if (!col || !o) {
        failWith(QStringLiteral("Condition %1 has no known column or operator.").arg(index + 1));
        return {};
    }
    m_setColumn = col;
    const int type = col->COLDATATYPE;
    const bool cs = col->CASESENSITIVE;
    const FilterOperatorEx* ex = opEx(type, cond.OPERATOR);
    QString t = ex ? ex->OPERATOR : o->OPERATOR;
    const QString value = clip(cond.VALUE);

    // 2. the column
    const QString name = clip(col->COLNAME_SQL);
    replaceAll(t, QStringLiteral("[COL]"), !USESQL && !cs && type == 18 ? "upper(" + name + ") " : name);

    // 3, 4. value sets
    const auto set = [&](const QString& pic) -> std::optional<QString> {
        m_error.clear();
        QString s = GENERATESET(value, type, pic);
        if (!m_error.isEmpty())
            return std::nullopt;
        return cs ? s : s.toUpper();
    };
    {
        int at = 0;
        while ((at = int(t.indexOf(QLatin1String("[MV"), at, Qt::CaseInsensitive))) >= 0) {
            const int close = int(t.indexOf(QLatin1Char(']'), at));
            if (close < 0)
                break;
            const QString inner = t.mid(at + 3, close - at - 3);
            if (!inner.isEmpty() && !inner.startsWith(QLatin1Char(','))) {
                at = close;
                continue;
            }
            const auto s = set(inner.isEmpty() ? QString() : inner.mid(1).trimmed());
            if (!s)
                return {};
            t.replace(at, close - at + 1, *s);
            at += int(s->size());
        }
    }

    // Splits at the first comma, else at the first " AND "; false when neither is there.
    const auto split = [&](QString& v1, QString& v2) {
        int at = int(value.indexOf(QLatin1Char(',')));
        int len = 1;
        if (at < 0) {
            at = int(value.indexOf(QLatin1String(" AND "), 0, Qt::CaseInsensitive));
            len = 5;
        }
        if (at < 0)
            return false;
        v1 = value.left(at).trimmed();
        v2 = value.mid(at + len).trimmed();
        return true;
    };

    // 5. picture directives: "[PIC" + one character + picture + "]" before a placeholder
    struct Noted {
        int at;
        QString placeholder, picture;
    };
    std::vector<Noted> noted;
    {
        int at = 0;
        while ((at = int(t.indexOf(QLatin1String("[PIC"), at, Qt::CaseInsensitive))) >= 0) {
            const int close = int(t.indexOf(QLatin1Char(']'), at));
            if (close < 0)
                break;
            const QString pic = t.mid(at + 5, close - at - 5).trimmed();
            t.remove(at, close - at + 1);
            const int open = int(t.indexOf(QLatin1Char('['), at));
            const int end = open < 0 ? -1 : int(t.indexOf(QLatin1Char(']'), open));
            if (end < 0)
                break;
            noted.push_back({open, t.mid(open, end - open + 1).toUpper(), pic});
            at = end;
        }
    }
    for (auto it = noted.rbegin(); it != noted.rend(); ++it) {
        QString part = value;
        if (it->placeholder == QLatin1String("[V1]") || it->placeholder == QLatin1String("[V2]")) {
            const int comma = int(value.indexOf(QLatin1Char(',')));
            if (comma < 0) {
                failWith(QStringLiteral("Condition %1 needs two values separated by a comma.").arg(index + 1));
                return {};
            }
            part = it->placeholder == QLatin1String("[V1]") ? value.left(comma) : value.mid(comma + 1);
        } else if (it->placeholder != QLatin1String("[VAL]")) {
            continue;
        }
        part = part.trimmed();
        QString written;
        if (picture::isTime(it->picture)) {
            auto time = picture::readTime(part, readPicture(*col));
            if (!time)
                time = QTime::fromString(part, Qt::ISODate);
            if (time && time->isValid())
                written = picture::writeTime(*time, it->picture);
        } else {
            auto d = picture::readDate(part, readPicture(*col));
            if (!d)
                d = QDate::fromString(part, Qt::ISODate);
            if (d && d->isValid())
                written = picture::writeDate(*d, it->picture);
        }
        if (written.isEmpty()) {
            failWith(QStringLiteral("\"%1\" does not fit the column %2.").arg(part, col->COLNAME));
            return {};
        }
        t.replace(it->at, it->placeholder.size(), written);
    }

    // 6. two values
    if (t.contains(QLatin1String("[V1]"), Qt::CaseInsensitive) || t.contains(QLatin1String("[V2]"), Qt::CaseInsensitive)) {
        QString v1, v2;
        if (!split(v1, v2)) {
            failWith(QStringLiteral("Condition %1 needs two values separated by a comma or AND.").arg(index + 1));
            return {};
        }
        const auto write = [&](QString part) -> std::optional<QString> {
            if (isNumberType(type)) {
                if (!numberOk(part)) {
                    failWith(QStringLiteral("\"%1\" is not a number.").arg(part));
                    return std::nullopt;
                }
                return part.trimmed();
            }
            // A value typed in apostrophes is unwrapped and quoted again, never taken as it is.
            if (part.size() >= 2 && part.startsWith(QLatin1Char('\'')) && part.endsWith(QLatin1Char('\'')))
                part = part.mid(1, part.size() - 2);
            return quoted(part);
        };
        const auto w1 = write(v1), w2 = write(v2);
        if (!w1 || !w2)
            return {};
        replaceAll(t, QStringLiteral("[V1]"), *w1);
        replaceAll(t, QStringLiteral("[V2]"), *w2);
    }

    // 7. one value
    if (t.contains(QLatin1String("[VAL]"), Qt::CaseInsensitive)) {
        QString v;
        if (isNumberType(type)) {
            if (!numberOk(value)) {
                failWith(QStringLiteral("\"%1\" is not a number.").arg(value));
                return {};
            }
            v = value.trimmed();
        } else if (type == 4 || type == 5) {
            if (value.contains(QLatin1Char('\''))) {
                failWith(QStringLiteral("\"%1\" is not a date or time.").arg(value));
                return {};
            }
            v = value;
        } else if (t.contains(QLatin1String(" LIKE "), Qt::CaseInsensitive) ||
                   t.contains(QLatin1String("MATCH("), Qt::CaseInsensitive)) {
            v = cs ? value : value.toUpper();
            v.replace(QLatin1Char('\''), QStringLiteral("''")); // inside the template's own quotes
            // A typed % or _ is a letter to look for, not a LIKE wildcard.
            const int at = int(t.indexOf(QLatin1String("[VAL]"), 0, Qt::CaseInsensitive));
            const int close = at < 0 ? -1 : int(t.indexOf(QLatin1Char('\''), at + 5));
            if (t.contains(QLatin1String(" LIKE "), Qt::CaseInsensitive) && close > 0 &&
                (v.contains(QLatin1Char('%')) || v.contains(QLatin1Char('_')) || v.contains(QLatin1Char('\\')))) {
                v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
                v.replace(QLatin1Char('%'), QStringLiteral("\\%"));
                v.replace(QLatin1Char('_'), QStringLiteral("\\_"));
                t.insert(close + 1, QStringLiteral(" ESCAPE '\\'"));
            }
        } else {
            v = quoted(cs ? value : value.toUpper());
        }
        replaceAll(t, QStringLiteral("[VAL]"), v);
    }

    // 8. the column's picture
    replaceAll(t, QStringLiteral("[APP_PIC]"), clip(col->COLPICTURE));
    return t;
}

bool CFILTERBASE::GENERATEFILTER()
{
    m_error.clear();
    SQLFILTERSTR.clear();
    if (FILTERQ.empty())
        return failWith(QStringLiteral("There are no conditions."));
    if (!hasDone(FILTERQ.back().CONNECTION)) {
        SQLFILTERSTR = QStringLiteral(")");
        return failWith(QStringLiteral("Query is not terminated by 'DONE' or '...) DONE'"));
    }
    QString s = QStringLiteral("(");
    for (int i = 0; i < int(FILTERQ.size()); ++i) {
        const QString text = PARSEANDREPLACE(i);
        if (text.isEmpty()) {
            // A condition that cannot be written fails the whole filter.
            if (m_error.isEmpty())
                m_error = QStringLiteral("Condition %1 cannot be written.").arg(i + 1);
            SQLFILTERSTR.clear();
            return false;
        }
        s = clip(s) + " " + text;
        const QString c = clip(FILTERQ[size_t(i)].CONNECTION);
        const int dots = int(c.indexOf(QLatin1String("...")));
        if (c == QLatin1String("...) DONE"))
            s += QStringLiteral(" )");
        else if (c == QLatin1String("DONE"))
            ;
        else if (dots < 0)
            s += " " + c;
        else if (dots == 0)
            s += " " + c.mid(3);
        else
            s += " " + c.left(dots);
    }
    s = clip(s) + ")";
    SQLFILTERSTR = s;
    if (COPYTOCB && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::clipboard()->setText(s);
    return true;
}

// ---- the list and its queries -------------------------------------------------------------

CFILTERLIST::CFILTERLIST()
{
    ISNEW = true;
}

CFILTERLIST::~CFILTERLIST() = default;

void CFILTERLIST::FILLCONNECTOPE()
{
    CONNECTOPEQ = {"AND", "AND (...", "...) AND", "OR", "OR (...", "...) OR", "DONE", "...) DONE"};
}

void CFILTERLIST::FILLCOLOPE(const std::vector<FilterOperator>& table)
{
    for (const auto& o : table) {
        COLOPEQ.push_back(o);
        if (o.OPERATOR == QLatin1String("[COL] = [VAL]"))
            DEFAULTOPEONDROP = o.OPERATORUSER;
    }
}

void CFILTERLIST::FILLCOLOPEEX(const std::vector<FilterOperatorEx>& table)
{
    COLOPEEXQ.insert(COLOPEEXQ.end(), table.begin(), table.end());
}

std::vector<FilterOperator> CFILTERLIST::sqlOperators()
{
    return {{"Equal", "[Col] = [Val]"},
            {"Not Equal", "[Col] <> [Val]"},
            {"Greater Than", "[Col] > [Val]"},
            {"Not Greater Than", "[Col] <= [Val]"},
            {"Less Than", "[Col] < [Val]"},
            {"Not Less Than", "[Col] >= [Val]"},
            {"Greater or Equal", "[Col] >= [Val]"},
            {"Not Greater or Equal", "[Col] < [Val]"},
            {"Less or Equal", "[Col] <= [Val]"},
            {"Not Less or Equal", "[Col] > [Val]"},
            {"Begins With", "[Col] LIKE '[VAL]%'"},
            {"Not Begins With", "[Col] NOT LIKE '[VAL]%'"},
            {"Ends With", "[Col] LIKE '%[VAL]'"},
            {"Not Ends With", "[Col] NOT LIKE '%[VAL]'"},
            {"Contains", "[Col] LIKE '%[VAL]%'"},
            {"Not Contains", "[Col] NOT LIKE '%[VAL]%'"},
            {"Between", "[Col] BETWEEN [V1] AND [V2]"},
            {"Not Between", "[Col] NOT BETWEEN [V1] AND [V2]"},
            {"IN", "[Col] IN ([MV])"},
            {"Not IN", "[COL] NOT IN ([MV])"},
            {"Is Null", "[COL] IS NULL"},
            {"Not Null", "[COL] IS NOT NULL"}};
}

std::vector<FilterOperator> CFILTERLIST::filterOperators()
{
    return {{"Equal", "[COL] = [VAL]"},
            {"Not Equal", "[COL] <> [VAL]"},
            {"Greater Than", "[COL] > [VAL]"},
            {"Not Greater Than", "[COL] <= [VAL]"},
            {"Less Than", "[COL] < [VAL]"},
            {"Not Less Than", "[COL] >= [VAL]"},
            {"Greater or Equal", "[COL] >= [VAL]"},
            {"Not Greater or Equal", "[COL] < [VAL]"},
            {"Less or Equal", "[COL] <= [VAL]"},
            {"Not Less or Equal", "[COL] > [VAL]"},
            {"Begins With", "MATCH([COL], '[VAL]*')"},
            {"Not Begins With", "NOT MATCH([COL], '[VAL]*')"},
            {"Ends With", "MATCH([COL], '*[VAL]')"},
            {"Not Ends With", "NOT MATCH([COL], '*[VAL]')"},
            {"Contains", "MATCH([COL], '*[VAL]*')"},
            {"Not Contains", "NOT MATCH([COL], '*[VAL]*')"},
            {"Between", "INRANGE([COL], [V1], [V2])"},
            {"Not Between", "NOT INRANGE([COL], [V1], [V2])"},
            {"IN", "INLIST([COL], [MV]) <> 0"},
            {"Not IN", "NOT (INLIST([COL], [MV]) <> 0)"},
            {"Is Null", "NULL([COL]) = 1"},
            {"Not Null", "NULL([COL]) = 0"}};
}

namespace {

// The ten comparisons in the order the tables list them.
const std::pair<const char*, const char*> kComparisons[] = {
    {"Greater Than", ">"}, {"Not Greater Than", "<="}, {"Greater or Equal", ">="}, {"Not Greater or Equal", "<"},
    {"Less Than", "<"},    {"Not Less Than", ">="},    {"Less or Equal", "<="},    {"Not Less or Equal", ">"}};

} // namespace

std::vector<FilterOperatorEx> CFILTERLIST::sqlOperatorsEx(bool sqlite)
{
    std::vector<FilterOperatorEx> out;
    for (const int type : {4, 5}) {
        const QString d = sqlite ? (type == 4 ? QStringLiteral("strftime('%Y/%m/%d', [COL])")
                                              : QStringLiteral("strftime('%H:%M:%S', [COL])"))
                                 : (type == 4 ? QStringLiteral("CONVERT(char(15), [COL], 111)")
                                              : QStringLiteral("CONVERT(char(15), [COL], 108)"));
        const QString pic = type == 4 ? QStringLiteral("@d10") : QStringLiteral("@t04");
        const QString v = "'[PIC, " + pic + "][VAL]'";
        const QString v1 = "'[PIC, " + pic + "][V1]'", v2 = "'[PIC, " + pic + "][V2]'";
        out.push_back({type, "Equal", d + " = " + v});
        out.push_back({type, "Not Equal", d + " <> " + v});
        out.push_back({type, "Between", d + " BETWEEN " + v1 + " AND " + v2});
        out.push_back({type, "Not Between", d + " NOT BETWEEN " + v1 + " AND " + v2});
        for (const auto& [name, sign] : kComparisons)
            out.push_back({type, name, d + " " + sign + " " + v});
        out.push_back({type, "IN", d + " IN ([MV])"});
        out.push_back({type, "Not IN", d + " NOT IN ([MV])"});
    }
    return out;
}

std::vector<FilterOperatorEx> CFILTERLIST::filterOperatorsEx()
{
    const std::pair<const char*, const char*> ten[] = {
        {"Equal", "="},         {"Not Equal", "<>"},        {"Greater Than", ">"},  {"Not Greater Than", "<="},
        {"Less Than", "<"},     {"Not Less Than", ">="},    {"Greater or Equal", ">="},
        {"Not Greater or Equal", "<"}, {"Less or Equal", "<="}, {"Not less or Equal", ">"}};
    std::vector<FilterOperatorEx> out;
    for (const int type : {4, 5}) {
        for (const auto& [name, sign] : ten)
            out.push_back({type, name,
                           type == 4 ? QStringLiteral("[COL] %1 deformat('[VAL]', [APP_PIC])").arg(sign)
                                     : QStringLiteral("format([COL], [APP_PIC]) %1 '[VAL]'").arg(sign)});
        out.push_back({type, "Between", "inrange([COL], deformat([V1], [APP_PIC]), deformat([V2], [APP_PIC]))"});
        out.push_back({type, "Not Between", "not inrange([COL], deformat([V1], [APP_PIC]), deformat([V2], [APP_PIC]))"});
        out.push_back({type, "IN", "INLIST(left(format([COL], [APP_PIC])), [MV]) <> 0"});
        out.push_back({type, "Not IN", "NOT (INLIST(left(format([COL], [APP_PIC])), [MV]) <> 0)"});
    }
    out.push_back({18, "Between", "[COL] >= [V1] AND [COL] <= [V2]"});
    out.push_back({18, "Not Between", "[COL] < [V1] OR [COL] > [V2]"});
    return out;
}

void CFILTERLIST::INIT()
{
    CONNECTOPEQ.clear();
    COLOPEQ.clear();
    COLOPEEXQ.clear();
    DEFAULTOPEONDROP.clear();
    FILLCONNECTOPE();
    if (USESQL) {
        FILLCOLOPE(sqlOperators());
        FILLCOLOPEEX(sqlOperatorsEx(SQLITEDATES));
    } else {
        FILLCOLOPE(filterOperators());
        FILLCOLOPEEX(filterOperatorsEx());
    }
    ASCINDICATOR = QStringLiteral("[+]");
    DESCINDICATOR = QStringLiteral("[-]");
}

bool CFILTERLIST::INITINI(const QString& file)
{
    m_ini = std::make_unique<vrt::IniFile>(file);
    return true;
}

QString CFILTERLIST::GETFILTER()
{
    return GENERATEFILTER() ? SQLFILTERSTR : QString();
}

void CFILTERLIST::ADDCOL(const QString& name, const QString& sqlName, int dataType, const QString& picture,
                         bool caseSensitive)
{
    COLFILTERQ.push_back({name, sqlName, dataType, picture, caseSensitive});
    COLQ << name;
}

void CFILTERLIST::RESET()
{
    CFILTERBASE::RESET();
    CURRENTQUERY.clear();
}

int CFILTERLIST::insertCondition()
{
    if (!FILTERQ.empty()) {
        QString& last = FILTERQ.back().CONNECTION;
        if (last == QLatin1String("DONE"))
            last = QStringLiteral("AND");
        else if (last == QLatin1String("...) DONE"))
            last = QStringLiteral("...) AND");
    }
    FILTERQ.push_back({{}, {}, {}, QStringLiteral("DONE")});
    SAVED = false;
    return int(FILTERQ.size()) - 1;
}

void CFILTERLIST::endWithDone()
{
    if (FILTERQ.empty() || hasDone(FILTERQ.back().CONNECTION))
        return;
    QString& last = FILTERQ.back().CONNECTION;
    last = last.contains(QLatin1Char(')')) ? QStringLiteral("...) DONE") : QStringLiteral("DONE");
}

void CFILTERLIST::cancelInsert()
{
    if (!FILTERQ.empty())
        FILTERQ.pop_back();
    endWithDone();
}

bool CFILTERLIST::changed(int index)
{
    SAVED = false;
    if (index < 0 || index >= int(FILTERQ.size()))
        return false;
    const bool done = hasDone(FILTERQ[size_t(index)].CONNECTION);
    if (index == int(FILTERQ.size()) - 1)
        return !done;
    if (done)
        FILTERQ.erase(FILTERQ.begin() + index + 1, FILTERQ.end());
    return false;
}

void CFILTERLIST::deleteCondition(int index)
{
    if (index < 0 || index >= int(FILTERQ.size()))
        return;
    const QString connection = FILTERQ[size_t(index)].CONNECTION;
    FILTERQ.erase(FILTERQ.begin() + index);
    if (hasDone(connection) && !FILTERQ.empty())
        FILTERQ.back().CONNECTION = connection;
    SAVED = false;
}

bool CFILTERLIST::ONDROP(const QString& dropped)
{
    QString text = dropped;
    if (text.trimmed().isEmpty())
        return false;
    const int asc = int(text.indexOf(ASCINDICATOR));
    if (asc >= 0)
        text.remove(asc, ASCINDICATOR.size());
    const int desc = int(text.indexOf(DESCINDICATOR));
    if (desc >= 0)
        text.remove(desc, DESCINDICATOR.size());
    const int semi = int(text.indexOf(QLatin1Char(';')));
    const QString name = (semi < 0 ? text : text.left(semi)).trimmed();
    QString value = semi < 0 ? QString() : text.mid(semi + 1);
    const FilterColumn* col = column(name);
    if (!col)
        return false; // looked up first: an unknown column leaves the list as it was
    if (col->COLDATATYPE == 4) {
        std::optional<QDate> d;
        if (USESQL) {
            d = picture::readDate(value, QStringLiteral("@d17"));
        } else {
            bool number = false;
            const int day = value.trimmed().toInt(&number);
            d = number ? vrt::dateFromDay(day) : QDate::fromString(value.trimmed(), Qt::ISODate);
        }
        if (d && d->isValid() && picture::isDate(readPicture(*col)))
            value = picture::writeDate(*d, readPicture(*col));
    } else if (col->COLDATATYPE == 5) {
        std::optional<QTime> t;
        if (USESQL) {
            t = picture::readTime(value, QStringLiteral("@t4"));
        } else {
            bool number = false;
            const int time = value.trimmed().toInt(&number);
            t = number ? vrt::qtimeFromTime(time) : QTime::fromString(value.trimmed(), Qt::ISODate);
        }
        if (t && t->isValid() && picture::isTime(col->COLPICTURE))
            value = picture::writeTime(*t, col->COLPICTURE);
    }
    if (!FILTERQ.empty()) {
        QString& last = FILTERQ.back().CONNECTION;
        if (last == QLatin1String("DONE"))
            last = QStringLiteral("AND");
        else if (last == QLatin1String("...) DONE"))
            last = QStringLiteral("...) AND");
    }
    FILTERQ.push_back({col->COLNAME, DEFAULTOPEONDROP.isEmpty() ? QStringLiteral("Equal") : DEFAULTOPEONDROP, value,
                       QStringLiteral("DONE")});
    SAVED = false;
    return true;
}

// ---- saved queries ------------------------------------------------------------------------

QString CFILTERLIST::listSection() const
{
    return clip(APPNAME) + "_" + clip(PROCNAME) + "_QUERIES";
}

QString CFILTERLIST::querySection(const QString& name) const
{
    return clip(APPNAME) + "_" + clip(PROCNAME) + "_" + clip(name);
}

QStringList CFILTERLIST::queryNames() const
{
    QStringList names;
    if (!m_ini)
        return names;
    const long long n = m_ini->getInt(listSection(), QStringLiteral("ENTRIES"), 0);
    for (long long i = 1; i <= n; ++i) {
        const QString name = m_ini->get(listSection(), QStringLiteral("ENTRY_%1").arg(i));
        if (!name.trimmed().isEmpty())
            names << name;
    }
    return names;
}

QString CFILTERLIST::refuseName(const QString& name) const
{
    const QString n = clip(name);
    if (n.trimmed().isEmpty())
        return QStringLiteral("The query needs a name.");
    if (n.size() > 50)
        return QStringLiteral("A query name has at most 50 characters.");
    static const QRegularExpression bad(QStringLiteral("[\\[\\]=;\\r\\n\\t]"));
    if (bad.match(n).hasMatch())
        return QStringLiteral("A query name cannot contain [ ] = ; or line breaks.");
    for (const QString& existing : queryNames())
        if (existing.compare(n, Qt::CaseInsensitive) == 0)
            return QStringLiteral("This Query name already exists!");
    return {};
}

QString CFILTERLIST::ASKQUERYNAME()
{
    QString name;
    if (!m_windows || !m_windows->nameWindow(name, [this](const QString& n) { return refuseName(n); }) ||
        !refuseName(name).isEmpty())
        name.clear();
    CURRENTQUERY = clip(name);
    return CURRENTQUERY;
}

QString CFILTERLIST::packRow(const FilterCondition& c)
{
    QStringList fields;
    for (QString f : {c.COLUMN, c.OPERATOR, c.VALUE, c.CONNECTION}) {
        f.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        f.replace(QLatin1Char('|'), QStringLiteral("\\|"));
        f.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        f.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
        fields << f;
    }
    return fields.join(QLatin1Char('|'));
}

bool CFILTERLIST::unpackRow(const QString& row, FilterCondition& c)
{
    QStringList fields{QString()};
    for (int i = 0; i < row.size(); ++i) {
        const QChar ch = row.at(i);
        if (ch == QLatin1Char('\\') && i + 1 < row.size()) {
            const QChar next = row.at(++i);
            fields.back() += next == QLatin1Char('n') ? QChar('\n') : next == QLatin1Char('r') ? QChar('\r') : next;
        } else if (ch == QLatin1Char('|')) {
            fields << QString();
        } else {
            fields.back() += ch;
        }
    }
    if (fields.size() != 4)
        return false;
    c = {fields[0], fields[1], fields[2], fields[3]};
    return true;
}

void CFILTERLIST::SAVE()
{
    if (FILTERQ.empty()) {
        CURRENTQUERY.clear();
        return;
    }
    if (!hasDone(FILTERQ.back().CONNECTION)) {
        if (m_windows)
            m_windows->inform(QStringLiteral("Query is not terminated by 'DONE' or '...) DONE'"), QStringLiteral("Error!"));
        return;
    }
    if (!m_ini)
        return;
    if (CURRENTQUERY.isEmpty() && ASKQUERYNAME().isEmpty())
        return;
    const QString q = querySection(CURRENTQUERY);
    bool ok = true;
    const long long n = m_ini->getInt(q, QStringLiteral("ENTRIES"), 0);
    if (n > 0) {
        for (long long i = 1; i <= n; ++i)
            ok = ok && m_ini->put(q, QStringLiteral("ENTRY_%1").arg(i), QString());
        ok = ok && m_ini->put(q, QStringLiteral("ENTRIES"), QStringLiteral("0"));
    } else {
        const long long c = m_ini->getInt(listSection(), QStringLiteral("ENTRIES"), 0) + 1;
        ok = ok && m_ini->put(listSection(), QStringLiteral("ENTRY_%1").arg(c), CURRENTQUERY) &&
             m_ini->put(listSection(), QStringLiteral("ENTRIES"), QString::number(c));
    }
    for (size_t i = 0; ok && i < FILTERQ.size(); ++i)
        ok = m_ini->put(q, QStringLiteral("ENTRY_%1").arg(i + 1), packRow(FILTERQ[i]));
    ok = ok && m_ini->put(q, QStringLiteral("ENTRIES"), QString::number(FILTERQ.size()));
    if (!ok && m_windows)
        m_windows->inform(m_ini->errorString(), QStringLiteral("Error!"));
    SAVED = ok;
}

void CFILTERLIST::SAVEAS()
{
    if (FILTERQ.empty())
        return;
    const QString kept = CURRENTQUERY;
    if (!ASKQUERYNAME().isEmpty())
        SAVE();
    else
        CURRENTQUERY = kept;
}

bool CFILTERLIST::deleteQuery(const QString& name)
{
    if (!m_ini)
        return false;
    if (m_windows && !m_windows->confirm(QStringLiteral("Ok to delete this query?"), QStringLiteral("Please confirm!")))
        return false;
    const long long slotCount = m_ini->getInt(listSection(), QStringLiteral("ENTRIES"), 0);
    for (long long i = 1; i <= slotCount; ++i)
        if (m_ini->get(listSection(), QStringLiteral("ENTRY_%1").arg(i)) == name)
            m_ini->put(listSection(), QStringLiteral("ENTRY_%1").arg(i), QString());
    const QString q = querySection(name);
    const long long n = m_ini->getInt(q, QStringLiteral("ENTRIES"), 0);
    for (long long i = 1; i <= n; ++i)
        m_ini->put(q, QStringLiteral("ENTRY_%1").arg(i), QString());
    return m_ini->put(q, QStringLiteral("ENTRIES"), QString());
}

int CFILTERLIST::LOAD()
{
    QStringList names = queryNames();
    if (names.isEmpty() || !m_windows)
        return 0;
    const QString chosen = m_windows->listWindow(names, [this](const QString& name) { return deleteQuery(name); });
    if (chosen.isEmpty())
        return 0;
    FILTERQ.clear();
    const QString q = querySection(chosen);
    const long long n = m_ini->getInt(q, QStringLiteral("ENTRIES"), 0);
    for (long long i = 1; i <= n; ++i) {
        FilterCondition c;
        if (unpackRow(m_ini->get(q, QStringLiteral("ENTRY_%1").arg(i)), c))
            FILTERQ.push_back(c);
    }
    CURRENTQUERY = chosen;
    SAVED = true;
    return 0;
}

} // namespace ext
