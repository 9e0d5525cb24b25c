#pragma once
#include <string>
#include <vector>

// A table declaration as data: what the record holds, how it is keyed, and how to reach the
// fields of a record struct without knowing its type. Record structs and CREATE statements
// both come from it.
namespace vrt {

enum class FieldKind : unsigned char {
    Long,     // int32_t
    Byte,     // uint8_t
    Text,     // std::string, at most capacity - 1 characters
    Decimal,  // std::string of decimal text ("-12.50"), stored as text
    Date,     // int32_t day number, stored "YYYY-MM-DD"
    Time,     // int32_t time number, stored "HH:MM:SS"
    DateTime, // two int32_t (<name>_DATE, <name>_TIME), stored "YYYY-MM-DD HH:MM:SS"
};

struct FieldDesc {
    const char* name;  // column name: the field label without its prefix
    FieldKind kind;
    int capacity;      // declared size in bytes; text holds capacity - 1 characters
    void* (*at)(void* record);   // the member (the date half for DateTime)
    void* (*at2)(void* record);  // the time half of a DateTime, else null
    int maxChars() const { return capacity > 0 ? capacity - 1 : -1; }
    bool isText() const { return kind == FieldKind::Text || kind == FieldKind::Decimal; }
};

struct KeyComponent {
    int field;
    bool descending;
    bool datePart = false; // only the date half of a date-time field ("STARTDATETIME_DATE")
};

struct KeyDesc {
    std::string name;   // label without prefix ("IDKey")
    std::vector<KeyComponent> components;
    bool unique = false;
    bool primary = false;
    bool noCase = true;  // text components order by their upper-case form
    int autoNumber = 0;  // numbered component: 0 none, 1 or 2
};

// Parent side of a declared relation: deleting a parent row deletes the child rows whose
// child field equals the parent's primary field (update does nothing).
struct RelationDesc {
    std::string child;       // label of the child declaration
    std::string childKey;    // key name in the child ("InboxIDKey")
    std::string parentField; // column of the parent
    std::string childField;  // column of the child
};

// An index that only makes a frequent query fast: no key names it, so no order or lookup of
// the program depends on it, and a file without it is whole. It holds the rows whose
// `onlyIf` column has the value `onlyIfValue` (all rows when `onlyIf` is empty).
struct SpeedIndexDesc {
    std::string name;   // stored as <table>_<name>
    std::string column;
    std::string onlyIf;
    long long onlyIfValue = 0;
};

struct RecordOps {
    void* (*make)();
    void (*destroy)(void*);
    void (*clear)(void*);
    void (*copy)(void* to, const void* from);
};

struct TableDesc {
    std::string label;      // "EMAIL", "AInbox"
    std::string prefix;     // field prefix: "EM", "INB"
    std::string keyPrefix;  // key prefix where it is spelt differently ("Inb"); else prefix
    std::string sqlName;    // stored name the opening gives it
    std::vector<FieldDesc> fields;
    std::vector<KeyDesc> keys;
    std::vector<RelationDesc> relations; // as parent, in registration order
    std::vector<SpeedIndexDesc> speedIndexes;
    RecordOps ops{};
    const TableDesc* base = nullptr;     // aliases: the declaration they share the table with

    int fieldIndex(const std::string& column) const; // case-insensitive; -1 when unknown
    int keyIndex(const std::string& keyName) const;  // name without prefix; -1 when unknown
    int primaryKey() const;                          // -1 when keyless
    std::string keyLabel(int key) const { return keyPrefix + ":" + keys.at(size_t(key)).name; }
    std::string fieldLabel(int field) const { return prefix + ":" + fields.at(size_t(field)).name; }
    // Text components of unique keys other than the primary store an empty value as NULL, so
    // reserved blank rows never collide with one another.
    bool emptyIsNull(int field) const;
};

// Builds a key from "-DATUM,-VRIJEME" (a leading minus marks a descending component; a
// date-time field's "_DATE" half names its date part).
// Unknown columns abort: a declaration is code, and a typo in it is a build fault.
KeyDesc makeKey(const std::vector<FieldDesc>& fields, const char* name, const char* components,
                bool unique, bool primary, int autoNumber);

} // namespace vrt
