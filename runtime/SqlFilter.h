#pragma once
#include "runtime/TableDesc.h"

#include <cstdint>
#include <string>
#include <vector>

// The runtime's filter and order texts ("CAL:LABELID = '1' AND CAL:STATUS < 2",
// "+UPPER(CON:Prezime),-CON:ID") as SQL over one table. Field labels become quoted columns,
// literals become bound parameters; anything the translator does not know is refused, so no
// text from outside ever reaches the SQL itself.
namespace vrt {

struct SqlParam {
    bool isInt = false;
    int64_t number = 0;
    std::string text;
};

struct SqlPart {
    std::string sql;
    std::vector<SqlParam> params;
};

std::string quoteName(const std::string& name);

// Grammar: conditions joined by AND / OR / NOT (or ~), in parentheses as needed; a condition
// is a comparison (=, <>, ~=, <, >, <=, >=) of field labels, numbers, 'quoted' texts and
// UPPER(...)/LOWER(...), or a field alone (true when not zero). A number compared with a date
// or time field is a day or time number. The functions INSTRING(sub, text, 1[, 1]) (position,
// alone true when found), MATCH(text, pattern, 1) (* and ? wildcards; 17 ignores case) and
// INRANGE(x, low, high) are known too; their values are bound like every other literal.
bool translateFilter(const TableDesc& table, const std::string& text, SqlPart& out,
                     std::string& error);

// Comma-separated fields, each optionally preceded by + (ascending) or - (descending) and
// optionally wrapped in UPPER(...) or LOWER(...).
bool translateOrder(const TableDesc& table, const std::string& text, SqlPart& out,
                    std::string& error);

} // namespace vrt
