#include "runtime/SqlFilter.h"
#include "runtime/DateTime.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <strings.h>

namespace vrt {

std::string quoteName(const std::string& name)
{
    std::string q = "\"";
    for (char ch : name) {
        if (ch == '"')
            q += '"';
        q += ch;
    }
    return q + "\"";
}

namespace {

enum class Tok { End, Ident, Number, String, Op, LParen, RParen, Comma };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    size_t pos = 0;
};

bool tokenize(const std::string& s, std::vector<Token>& out, std::string& error)
{
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_' || s[j] == ':'))
                ++j;
            t.kind = Tok::Ident;
            t.text = s.substr(i, j - i);
            i = j;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t j = i;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                ++j;
            // A decimal fraction: "12.5" (a dot after digits and before digits).
            if (j + 1 < s.size() && s[j] == '.' && std::isdigit(static_cast<unsigned char>(s[j + 1]))) {
                ++j;
                while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
                    ++j;
            }
            t.kind = Tok::Number;
            t.text = s.substr(i, j - i);
            i = j;
        } else if (c == '\'') {
            std::string v;
            size_t j = i + 1;
            bool closed = false;
            while (j < s.size()) {
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') {
                        v += '\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                v += s[j++];
            }
            if (!closed) {
                error = "Unclosed text at position " + std::to_string(i + 1);
                return false;
            }
            t.kind = Tok::String;
            t.text = v;
            i = j;
        } else if (c == '(') {
            t.kind = Tok::LParen;
            ++i;
        } else if (c == ')') {
            t.kind = Tok::RParen;
            ++i;
        } else if (c == ',') {
            t.kind = Tok::Comma;
            ++i;
        } else {
            static const char* ops[] = {"<>", "~=", "!=", "<=", ">=", "==", "=", "<", ">", "~", "+", "-", "/", "*"};
            bool found = false;
            for (const char* op : ops) {
                const size_t n = std::char_traits<char>::length(op);
                if (s.compare(i, n, op) == 0) {
                    t.kind = Tok::Op;
                    t.text = op;
                    i += n;
                    found = true;
                    break;
                }
            }
            if (!found) {
                error = std::string("Unexpected '") + c + "' at position " + std::to_string(i + 1);
                return false;
            }
        }
        out.push_back(t);
    }
    out.push_back(Token{Tok::End, {}, s.size()});
    return true;
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Tok::Ident && strcasecmp(t.text.c_str(), word) == 0;
}

class Parser {
public:
    Parser(const TableDesc& table, std::vector<Token> tokens, SqlPart& out, std::string& error)
        : m_table(table), m_tokens(std::move(tokens)), m_out(out), m_error(error) {}

    bool filter()
    {
        if (!orExpr())
            return false;
        return expectEnd();
    }

    bool order()
    {
        bool first = true;
        for (;;) {
            if (!first)
                m_out.sql += ", ";
            first = false;
            bool desc = false;
            if (peek().kind == Tok::Op && (peek().text == "+" || peek().text == "-"))
                desc = take().text == "-";
            std::string fn;
            if ((isWord(peek(), "UPPER") || isWord(peek(), "LOWER")) && peek(1).kind == Tok::LParen) {
                fn = upperWord(take().text);
                take();
            }
            int kind = -1;
            std::string col;
            if (!fieldRef(take(), col, kind))
                return false;
            if (!fn.empty()) {
                if (take().kind != Tok::RParen)
                    return fail("')' expected");
                col = fn + "(" + col + ")";
            }
            m_out.sql += col + (desc ? " DESC" : " ASC");
            if (peek().kind == Tok::Comma) {
                take();
                continue;
            }
            return expectEnd();
        }
    }

private:
    const Token& peek(size_t ahead = 0) const
    {
        return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
    }
    const Token& take()
    {
        const Token& t = m_tokens[std::min(m_pos, m_tokens.size() - 1)];
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return t;
    }
    bool fail(const std::string& what)
    {
        m_error = what + " at position " + std::to_string(peek().pos + 1);
        return false;
    }
    bool expectEnd() { return peek().kind == Tok::End || fail("Unexpected text"); }
    static std::string upperWord(std::string s)
    {
        for (char& c : s)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    bool fieldRef(const Token& t, std::string& col, int& kind)
    {
        if (t.kind != Tok::Ident) {
            m_error = "A field is expected at position " + std::to_string(t.pos + 1);
            return false;
        }
        const size_t colon = t.text.find(':');
        if (colon == std::string::npos) {
            m_error = "Unknown name " + t.text;
            return false;
        }
        const std::string prefix = t.text.substr(0, colon);
        const std::string name = t.text.substr(colon + 1);
        if (strcasecmp(prefix.c_str(), m_table.prefix.c_str()) != 0 &&
            strcasecmp(prefix.c_str(), m_table.keyPrefix.c_str()) != 0) {
            m_error = "The field " + t.text + " is not in " + m_table.label;
            return false;
        }
        const int f = m_table.fieldIndex(name);
        if (f < 0) {
            m_error = "Unknown field " + t.text;
            return false;
        }
        col = quoteName(m_table.fields[size_t(f)].name);
        kind = int(m_table.fields[size_t(f)].kind);
        return true;
    }

    bool orExpr() { return joined("OR", &Parser::andExpr); }
    bool andExpr() { return joined("AND", &Parser::notExpr); }
    bool joined(const char* word, bool (Parser::*part)())
    {
        if (!(this->*part)())
            return false;
        while (isWord(peek(), word)) {
            take();
            m_out.sql += std::string(" ") + word + " ";
            if (!(this->*part)())
                return false;
        }
        return true;
    }
    bool notExpr()
    {
        if (isWord(peek(), "NOT") || (peek().kind == Tok::Op && peek().text == "~")) {
            take();
            m_out.sql += "NOT ";
            return notExpr();
        }
        return comparison();
    }

    // An operand, multiplied or divided by further operands: "CON:Iznos/100".
    bool term(int& kind, int otherKind)
    {
        if (!operand(kind, otherKind))
            return false;
        while (peek().kind == Tok::Op && (peek().text == "/" || peek().text == "*")) {
            m_out.sql += " " + take().text + " ";
            int inner = -1;
            if (!operand(inner, -1))
                return false;
            kind = -1;
        }
        return true;
    }

    static bool isFunction(const Token& t)
    {
        for (const char* name : {"INSTRING", "INRANGE", "RIGHT", "INT", "MONTH", "DAY", "YEAR", "MATCH"})
            if (isWord(t, name))
                return true;
        return false;
    }

    // Up to `count` comma-separated arguments of a function call, each as its own SQL text
    // (with its parameters appended in order); the call's closing parenthesis is taken.
    bool arguments(size_t count, std::vector<std::string>& sql, std::vector<int>& kinds,
                   std::vector<std::vector<SqlParam>>& params)
    {
        for (size_t i = 0; i < count; ++i) {
            if (i > 0 && take().kind != Tok::Comma)
                return fail("',' expected");
            const std::string outer = std::move(m_out.sql);
            std::vector<SqlParam> outerParams = std::move(m_out.params);
            m_out.sql.clear();
            m_out.params.clear();
            int kind = -1;
            const bool ok = term(kind, -1);
            sql.push_back(std::move(m_out.sql));
            params.push_back(std::move(m_out.params));
            kinds.push_back(kind);
            m_out.sql = outer;
            m_out.params = std::move(outerParams);
            if (!ok)
                return false;
        }
        if (take().kind != Tok::RParen)
            return fail("')' expected");
        return true;
    }

    void append(const std::string& sql, const std::vector<SqlParam>& params)
    {
        m_out.sql += sql;
        m_out.params.insert(m_out.params.end(), params.begin(), params.end());
    }

    // The runtime's functions the query windows write, as SQLite expressions. Every literal
    // inside them stays a bound parameter.
    bool function(int& kind)
    {
        kind = -1;
        const std::string name = upperWord(take().text);
        take(); // (
        std::vector<std::string> a;
        std::vector<int> k;
        std::vector<std::vector<SqlParam>> p;
        if (name == "INRANGE") {
            // INRANGE(x, low, high); the bounds take x's kind (a day number against a date).
            SqlPart x, low, high;
            int kx = -1, kl = -1, kh = -1;
            if (!argument(x, kx) || !separator(false) || !argument(low, kl, kx) || !separator(false) ||
                !argument(high, kh, kx) || !separator(true))
                return false;
            append("(" + x.sql + " BETWEEN " + low.sql + " AND " + high.sql + ")", {&x, &low, &high});
            return true;
        }
        if (name == "INSTRING") {
            // INSTRING(needle, haystack, step[, start]): the position of needle in haystack, 0
            // when absent; only a step and start of 1 are known here.
            SqlPart needle, haystack, step, start;
            int kn = -1, kh = -1, ks = -1, kt = -1;
            if (!argument(needle, kn) || !separator(false) || !argument(haystack, kh) || !separator(false) ||
                !argument(step, ks))
                return false;
            const bool withStart = peek().kind == Tok::Comma;
            if (withStart && (!separator(false) || !argument(start, kt)))
                return false;
            if (!separator(true))
                return false;
            if (!literalNumber(step, 1) || (withStart && !literalNumber(start, 1)))
                return fail("INSTRING is known with step 1 and start 1 only");
            append("instr(" + haystack.sql + ", " + needle.sql + ")", {&haystack, &needle});
            kind = kNumberFunction;
            return true;
        }
        if (name == "RIGHT") {
            if (!arguments(2, a, k, p))
                return false;
            m_out.sql += "substr(";
            append(a[0], p[0]);
            m_out.sql += ", -(";
            append(a[1], p[1]);
            m_out.sql += "))";
            return true;
        }
        if (name == "INT") {
            if (!arguments(1, a, k, p))
                return false;
            m_out.sql += "CAST(";
            append(a[0], p[0]);
            m_out.sql += " AS INTEGER)";
            return true;
        }
        if (name == "MONTH" || name == "DAY" || name == "YEAR") {
            if (!arguments(1, a, k, p))
                return false;
            const char* part = name == "MONTH" ? "%m" : name == "DAY" ? "%d" : "%Y";
            if (k[0] == int(FieldKind::Date) || k[0] == int(FieldKind::DateTime)) {
                m_out.sql += std::string("CAST(strftime('") + part + "', ";
                append(a[0], p[0]);
                m_out.sql += ") AS INTEGER)";
                return true;
            }
            // Of a day number: worked out here, bound as a number.
            if (k[0] >= 0 || p[0].size() != 1 || !p[0][0].isInt)
                return fail(name + " needs a date field or a day number");
            const QDate date = dateFromDay(int(std::clamp<int64_t>(p[0][0].number, 0, LastDay)));
            SqlParam v;
            v.isInt = true;
            v.number = !date.isValid() ? 0 : name == "MONTH" ? date.month() : name == "DAY" ? date.day() : date.year();
            m_out.params.push_back(v);
            m_out.sql += "?";
            return true;
        }
        // MATCH(field, pattern, mode): 16 equal ignoring case; 17 and 1 a wildcard pattern
        // (* any run, ? one character), ignoring case or not.
        if (!arguments(3, a, k, p))
            return false;
        if (p[1].size() != 1 || a[1] != "?" || p[2].size() != 1 || !p[2][0].isInt)
            return fail("MATCH needs a text pattern and a mode");
        const int64_t mode = p[2][0].number;
        SqlParam pattern = p[1][0];
        if (pattern.isInt) {
            pattern.text = std::to_string(pattern.number);
            pattern.isInt = false;
        }
        if (mode == 16) {
            m_out.sql += "UPPER(";
            append(a[0], p[0]);
            m_out.sql += ") = UPPER(?)";
            m_out.params.push_back(pattern);
            return true;
        }
        if (mode != 17 && mode != 1)
            return fail("MATCH mode " + std::to_string(mode) + " is not known");
        std::string converted;
        for (char c : pattern.text) {
            if (mode == 17) {
                if (c == '%' || c == '_' || c == '\\')
                    converted += '\\';
                converted += c == '*' ? '%' : c == '?' ? '_' : c;
            } else {
                converted += c == '[' ? std::string("[[]") : std::string(1, c);
            }
        }
        pattern.text = converted;
        m_out.sql += "(";
        append(a[0], p[0]);
        m_out.sql += mode == 17 ? " LIKE ? ESCAPE '\\')" : " GLOB ?)";
        m_out.params.push_back(pattern);
        return true;
    }

    // An operand: appends its SQL; kind is the field kind when it is a field (else -1).
    bool operand(int& kind, int otherKind)
    {
        kind = -1;
        const Token& t = peek();
        if (t.kind == Tok::LParen) {
            take();
            m_out.sql += "(";
            if (!orExpr())
                return false;
            if (take().kind != Tok::RParen)
                return fail("')' expected");
            m_out.sql += ")";
            return true;
        }
        if (t.kind == Tok::Ident && peek(1).kind == Tok::LParen && isFunction(t))
            return function(kind);
        if ((isWord(t, "UPPER") || isWord(t, "LOWER")) && peek(1).kind == Tok::LParen) {
            m_out.sql += upperWord(take().text) + "(";
            take();
            int inner = -1;
            if (!operand(inner, -1))
                return false;
            if (take().kind != Tok::RParen)
                return fail("')' expected");
            m_out.sql += ")";
            return true;
        }
        bool negative = false;
        if (t.kind == Tok::Op && t.text == "-" && peek(1).kind == Tok::Number) {
            take();
            negative = true;
        }
        const Token& v = peek();
        if (v.kind == Tok::Number && v.text.find('.') != std::string::npos) {
            // A fraction compares as a number with numeric columns; it travels as its text.
            take();
            SqlParam p;
            p.text = (negative ? "-" : "") + v.text;
            m_out.params.push_back(p);
            m_out.sql += "?";
            return true;
        }
        if (v.kind == Tok::Number) {
            take();
            SqlParam p;
            // Filter texts can come from outside: a number too big for the column is an error,
            // not an abort.
            long long n = 0;
            const std::string digits = (negative ? "-" : "") + v.text;
            if (v.text.find('.') != std::string::npos) {
                if (otherKind == int(FieldKind::Date) || otherKind == int(FieldKind::Time))
                    return fail("A day or time number has no decimals: " + digits);
                p.text = digits; // compared with the column's numeric affinity
                m_out.params.push_back(p);
                m_out.sql += "?";
                return true;
            }
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            if (ec != std::errc() || end != digits.data() + digits.size())
                return fail("Number out of range: " + digits);
            const bool dayOrTime = otherKind == int(FieldKind::Date) || otherKind == int(FieldKind::Time);
            if (dayOrTime && (n < INT_MIN || n > INT_MAX))
                return fail("Number out of range: " + digits);
            if (otherKind == int(FieldKind::Date)) {
                p.text = dayToText(int(n)).toStdString();
            } else if (otherKind == int(FieldKind::Time)) {
                p.text = timeToText(int(n)).toStdString();
            } else {
                p.isInt = true;
                p.number = n;
            }
            m_out.params.push_back(p);
            m_out.sql += "?";
            return true;
        }
        if (v.kind == Tok::String) {
            take();
            SqlParam p;
            p.text = v.text;
            m_out.params.push_back(p);
            m_out.sql += "?";
            return true;
        }
        std::string col;
        if (!fieldRef(take(), col, kind))
            return false;
        m_out.sql += col;
        return true;
    }

    // One argument of a function, as SQL of its own (the function may reorder them).
    bool argument(SqlPart& arg, int& kind, int otherKind = -1)
    {
        SqlPart outer = std::move(m_out);
        m_out = {};
        const bool ok = operand(kind, otherKind);
        arg = std::move(m_out);
        m_out = std::move(outer);
        return ok;
    }
    bool separator(bool last)
    {
        if (take().kind != (last ? Tok::RParen : Tok::Comma))
            return fail(last ? "')' expected" : "',' expected");
        return true;
    }
    static bool literalNumber(const SqlPart& arg, int64_t value)
    {
        return arg.sql == "?" && arg.params.size() == 1 && arg.params[0].isInt && arg.params[0].number == value;
    }
    void append(const std::string& sql, std::initializer_list<const SqlPart*> args)
    {
        m_out.sql += sql;
        for (const SqlPart* a : args)
            m_out.params.insert(m_out.params.end(), a->params.begin(), a->params.end());
    }

    static constexpr int kNumberFunction = 1000; // alone, true when not zero

    bool comparison()
    {
        int leftKind = -1;
        const size_t paramMark = m_out.params.size();
        const bool leftIsNumber = peek().kind == Tok::Number ||
                                  (peek().kind == Tok::Op && peek().text == "-" && peek(1).kind == Tok::Number);
        if (!term(leftKind, -1))
            return false;
        if (peek().kind != Tok::Op || peek().text == "~" || peek().text == "+" || peek().text == "-") {
            if (leftKind >= 0)
                m_out.sql += " <> 0";
            return true;
        }
        std::string op = take().text;
        if (op == "~=" || op == "!=")
            op = "<>";
        if (op == "==")
            op = "=";
        m_out.sql += " " + op + " ";
        int rightKind = -1;
        if (!term(rightKind, leftKind))
            return false;
        // A number on the left of a date or time field is a day or time number too.
        if (leftIsNumber && m_out.params.size() > paramMark) {
            SqlParam& p = m_out.params[paramMark];
            if (rightKind == int(FieldKind::Date)) {
                p.text = dayToText(int(p.number)).toStdString();
                p.isInt = false;
            } else if (rightKind == int(FieldKind::Time)) {
                p.text = timeToText(int(p.number)).toStdString();
                p.isInt = false;
            }
        }
        return true;
    }

    const TableDesc& m_table;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    SqlPart& m_out;
    std::string& m_error;
};

} // namespace

namespace {

bool translate(const TableDesc& table, const std::string& text, SqlPart& out, std::string& error,
               bool (Parser::*rule)())
{
    out = {};
    error.clear();
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, error))
        return false;
    if (tokens.size() == 1)
        return true; // an empty text: no condition, no order
    Parser p(table, std::move(tokens), out, error);
    if (!(p.*rule)()) {
        out = {};
        return false;
    }
    return true;
}

} // namespace

bool translateFilter(const TableDesc& table, const std::string& text, SqlPart& out,
                     std::string& error)
{
    return translate(table, text, out, error, &Parser::filter);
}

bool translateOrder(const TableDesc& table, const std::string& text, SqlPart& out,
                    std::string& error)
{
    return translate(table, text, out, error, &Parser::order);
}

} // namespace vrt
