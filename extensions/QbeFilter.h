#pragma once
#include <QString>

#include <vector>

// The filter text of query by example: each searched field's criteria as one condition in the
// runtime's filter language. Values typed by the user only ever appear as quoted literals or
// as numbers checked here, so the text cannot carry anything but the comparison asked for,
// and the view's translator binds every one of them as a parameter.
namespace DTRV {

// Field types of the query library.
enum FieldType : int {
    FIELD_STRING = 1,
    FIELD_NUMBER = 2,
    FIELD_PICTURE = 3, // number with a display picture
    FIELD_DATE = 4,    // day number
    FIELD_TEXT = 5,
    FIELD_CHECK = 6,
    FIELD_OPTION = 7,
    FIELD_OTHER = 8,   // treated as a number
};

// Match types of a criterion.
enum MatchType : int {
    MATCHTYPE_IGNOREFIELD = 0,
    MATCHTYPE_EQUALS,
    MATCHTYPE_NOTEQUALS,
    MATCHTYPE_MORETHAN,
    MATCHTYPE_LESSTHAN,
    MATCHTYPE_MOREOREQUAL,
    MATCHTYPE_LESSOREQUAL,
    MATCHTYPE_INSIDERANGE,
    MATCHTYPE_OUTSIDERANGE,
    MATCHTYPE_BEGINSWITH,
    MATCHTYPE_ENDSWITH,
    MATCHTYPE_CONTAINS,
    MATCHTYPE_NOTCONTAINS,
    MATCHTYPE_EQMTH,
    MATCHTYPE_EQDAY,
    MATCHTYPE_EQYEAR,
    MATCHTYPE_EQMTHDAY,
    MATCHTYPE_EQYRMTH,
    MATCHTYPE_COUNT
};

struct QbeField {
    QString prefix;        // the file's field prefix ("CON")
    QString name;          // field label ("Prezime"): the filter names PREFIX:NAME
    int type = FIELD_STRING;
    QString picture;       // for check fields: true value "|" false value
    bool useMatch = false; // pattern comparisons through MATCH instead of operators
};

struct QbeCriterion {
    int type = MATCHTYPE_IGNOREFIELD;
    QString value;
    QString limit; // upper limit of ranges; the divisor of a numeric "begins with"
};

// A text as a literal of the filter language: in quotes, each quote doubled.
QString quoteLiteral(const QString& text);

// Whether the field type compares as a string (1, 5, 7), a check (6) or a number (the rest).
bool isStringType(int fieldType);
bool isNumberType(int fieldType);

// The divisor of a numeric "begins with" of `value`: 10 to the number of its trailing zeros.
QString beginsWithDivisor(const QString& value);

// One criterion's condition; empty for match type 0 and for combinations the field type does
// not offer ("contains" on a number).
QString criterionFilter(const QbeField& field, const QbeCriterion& criterion,
                        const QString& lastSortChar = QStringLiteral("~"));

// One field's criteria joined by " OR " (in parentheses when more than one).
QString fieldFilter(const QbeField& field, const std::vector<QbeCriterion>& criteria,
                    const QString& lastSortChar = QStringLiteral("~"));

// Every field's condition joined by " AND ", fields without criteria left out.
QString joinFieldFilters(const std::vector<QString>& fieldFilters);

} // namespace DTRV
