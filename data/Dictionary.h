#pragma once
#include "data/TableDeclarations.h"
#include "runtime/FileManager.h"
#include "runtime/TableDesc.h"

#include <cstdint>
#include <string>

// The data dictionary: one record struct per table, one slot per declaration (tables first,
// aliases after, in the order every thread creates their managers), the thread's record
// buffers and the process-wide table name variables, all expanded from the lists in
// data/TableDeclarations.h.
//
// Naming: the field `PRE:Name` is `PRE().Name` (the calling thread's buffer of the table or
// alias with prefix PRE), the key `PRE:KeyName` is `PRE.KeyName` (a key number), the manager
// `Access:Label` is `Access(Tbl::Label)`, `Relate:Label` is `Relate(Tbl::Label)` and the name
// variable `FILE:NAME` is `FILENAME::NAME`.

#define VEL_MEMBER(name, kind, cap) VEL_MEMBER_##kind(name)
#define VEL_MEMBER_Long(n) int32_t n = 0;
#define VEL_MEMBER_Byte(n) uint8_t n = 0;
#define VEL_MEMBER_Text(n) std::string n;
#define VEL_MEMBER_Decimal(n) std::string n;
#define VEL_MEMBER_Date(n) int32_t n = 0;
#define VEL_MEMBER_Time(n) int32_t n = 0;
#define VEL_MEMBER_DateTime(n) int32_t n##_DATE = 0; int32_t n##_TIME = 0;
#define VEL_KEYENUM(name, comps, unique, primary, autonum) name,

#define VEL_RECORD(label, ...) \
    struct label##_Rec { \
        VEL_FIELDS_##label(VEL_MEMBER) \
    };
VEL_TABLES(VEL_RECORD)
#undef VEL_RECORD

#define VEL_SLOT(label, ...) label,
enum class Tbl : int { VEL_TABLES(VEL_SLOT) VEL_ALIASES(VEL_SLOT) Count };
#undef VEL_SLOT

namespace corvalde {
// The calling thread's record buffer of a declaration (made on first use).
void* threadBuffer(Tbl slot);
const vrt::TableDesc& declaration(Tbl slot);
Tbl slotOf(const std::string& label); // Tbl::Count when unknown
// Sets every name variable to its stored name (the database opening does this first).
void setTableNames();
} // namespace corvalde

template <class Rec, Tbl Slot>
struct RecordPrefix {
    static constexpr Tbl table = Slot;
    Rec& operator()() const { return *static_cast<Rec*>(corvalde::threadBuffer(Slot)); }
};

// `<prefix>` reaches the record and `<key prefix>.<key>` numbers the keys; an alias keys as
// its table does.
#define VEL_PREFIX(label, prefix, shape, ...) \
    struct prefix##_Prefix : RecordPrefix<shape##_Rec, Tbl::label> { \
        enum Key : int { VEL_KEYS_##shape(VEL_KEYENUM) }; \
    }; \
    inline constexpr prefix##_Prefix prefix{}; \
    __VA_OPT__(inline constexpr prefix##_Prefix __VA_ARGS__{};)
#define VEL_TABLE_PREFIX(label, prefix, sqlName, nameVar, ...) VEL_PREFIX(label, prefix, label, __VA_ARGS__)
VEL_TABLES(VEL_TABLE_PREFIX)
VEL_ALIASES(VEL_PREFIX)
#undef VEL_TABLE_PREFIX
#undef VEL_PREFIX

// `FILE:<NAME>` is `FILENAME::<NAME>`: (NAME, capacity) in the list, or () where the stored
// name is fixed.
#define VEL_UNPAREN_(...) __VA_ARGS__
#define VEL_WITH_NAMEVAR_(call, ...) __VA_OPT__(call(__VA_ARGS__))
#define VEL_WITH_NAMEVAR(call, nameVar) VEL_WITH_NAMEVAR_(call, VEL_UNPAREN_ nameVar)
namespace FILENAME {
#define VEL_NAMEVAR_EXTERN_(name, capacity) extern vrt::NameVar name;
#define VEL_NAMEVAR_EXTERN(label, prefix, sqlName, nameVar, ...) VEL_WITH_NAMEVAR(VEL_NAMEVAR_EXTERN_, nameVar)
VEL_TABLES(VEL_NAMEVAR_EXTERN)
#undef VEL_NAMEVAR_EXTERN
#undef VEL_NAMEVAR_EXTERN_
} // namespace FILENAME

namespace corvalde {
// The name variable of a declaration (an alias shares its table's); null for the one table
// whose name is a constant.
vrt::NameVar* nameVariable(Tbl slot);
} // namespace corvalde
