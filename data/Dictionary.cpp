#include "data/Dictionary.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace FILENAME {
#define VEL_NAMEVAR_DEFINE_(name, capacity) vrt::NameVar name(capacity);
#define VEL_NAMEVAR_DEFINE(label, prefix, stored, nameVar, ...) VEL_WITH_NAMEVAR(VEL_NAMEVAR_DEFINE_, nameVar)
VEL_TABLES(VEL_NAMEVAR_DEFINE)
} // namespace FILENAME

namespace corvalde {
namespace {

#define VEL_AT(n) [](void* r) -> void* { return &static_cast<Rec*>(r)->n; }
#define VEL_FD(name, kind, cap) VEL_FD_##kind(name, cap)
#define VEL_FD_Long(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Long, cap, VEL_AT(n), nullptr},
#define VEL_FD_Byte(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Byte, cap, VEL_AT(n), nullptr},
#define VEL_FD_Text(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Text, cap, VEL_AT(n), nullptr},
#define VEL_FD_Decimal(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Decimal, cap, VEL_AT(n), nullptr},
#define VEL_FD_Date(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Date, cap, VEL_AT(n), nullptr},
#define VEL_FD_Time(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::Time, cap, VEL_AT(n), nullptr},
#define VEL_FD_DateTime(n, cap) vrt::FieldDesc{#n, vrt::FieldKind::DateTime, cap, VEL_AT(n##_DATE), VEL_AT(n##_TIME)},
#define VEL_KD(name, comps, unique, primary, autonum) vrt::makeKey(t.fields, #name, comps, unique, primary, autonum),

template <class Rec>
vrt::RecordOps recordOps()
{
    return {[]() -> void* { return new Rec(); }, [](void* r) { delete static_cast<Rec*>(r); },
            [](void* r) { *static_cast<Rec*>(r) = Rec(); },
            [](void* to, const void* from) { *static_cast<Rec*>(to) = *static_cast<const Rec*>(from); }};
}

struct Dictionary {
    std::array<vrt::TableDesc, size_t(Tbl::Count)> tables;

    Dictionary()
    {
#define VEL_DESCRIBE(label, prefix, stored, nameVar, ...) \
    { \
        using Rec = label##_Rec; \
        vrt::TableDesc& t = tables[size_t(Tbl::label)]; \
        setNames(t, #label, #prefix, VEL_KEY_PREFIX(#prefix, __VA_OPT__(#__VA_ARGS__))); \
        t.sqlName = stored; \
        t.fields = {VEL_FIELDS_##label(VEL_FD)}; \
        t.keys = {VEL_KEYS_##label(VEL_KD)}; \
        t.ops = recordOps<Rec>(); \
    }
        VEL_TABLES(VEL_DESCRIBE)
#define VEL_RELATE(parent, child, childKey, parentField, childField) \
    tables[size_t(Tbl::parent)].relations.push_back({#child, #childKey, #parentField, #childField});
        VEL_RELATIONS(VEL_RELATE)
#define VEL_EXACT(table, key) exactKey(tables[size_t(Tbl::table)], #key);
        VEL_EXACT_KEYS(VEL_EXACT)
#define VEL_SPEED(table, name, column, onlyIf, value) \
    tables[size_t(Tbl::table)].speedIndexes.push_back({#name, #column, #onlyIf, value});
        VEL_SPEED_INDEXES(VEL_SPEED)
        // An alias is its table's declaration under its own names, without relations.
#define VEL_ALIAS(label, prefix, table, ...) \
    { \
        vrt::TableDesc& t = tables[size_t(Tbl::label)]; \
        t = tables[size_t(Tbl::table)]; \
        setNames(t, #label, #prefix, VEL_KEY_PREFIX(#prefix, __VA_OPT__(#__VA_ARGS__))); \
        t.relations.clear(); \
        t.base = &tables[size_t(Tbl::table)]; \
    }
        VEL_ALIASES(VEL_ALIAS)
    }

    static void setNames(vrt::TableDesc& t, const char* label, const char* prefix, const char* keyPrefix)
    {
        t.label = label;
        t.prefix = prefix;
        t.keyPrefix = keyPrefix;
    }

    static void exactKey(vrt::TableDesc& t, const char* key)
    {
        const int k = t.keyIndex(key);
        if (k < 0) {
            std::fprintf(stderr, "exact key %s is not a key of %s\n", key, t.label.c_str());
            std::abort();
        }
        t.keys[size_t(k)].noCase = false;
    }

    static Tbl slotOfLabel(const char* label)
    {
#define VEL_LABEL(label, ...) #label,
        static const char* const labels[] = {VEL_TABLES(VEL_LABEL) VEL_ALIASES(VEL_LABEL)};
        for (size_t i = 0; i < size_t(Tbl::Count); ++i)
            if (strcasecmp(labels[i], label) == 0)
                return Tbl(i);
        return Tbl::Count;
    }
};

const Dictionary& dictionary()
{
    static const Dictionary d;
    return d;
}

} // namespace

const vrt::TableDesc& declaration(Tbl slot) { return dictionary().tables.at(size_t(slot)); }

Tbl slotOf(const std::string& label) { return Dictionary::slotOfLabel(label.c_str()); }

vrt::NameVar* nameVariable(Tbl slot)
{
#define VEL_NAMEVAR_ADDRESS_(...) VEL_FIRST_(__VA_OPT__(&FILENAME::VEL_FIRST_(__VA_ARGS__), ) nullptr)
#define VEL_NAMEVAR_ADDRESS(label, prefix, stored, nameVar, ...) VEL_NAMEVAR_ADDRESS_(VEL_UNPAREN_ nameVar),
    static vrt::NameVar* const variables[] = {VEL_TABLES(VEL_NAMEVAR_ADDRESS)};
#define VEL_ALIAS_TABLE(label, prefix, table, ...) Tbl::table,
    static const Tbl aliasTables[] = {VEL_ALIASES(VEL_ALIAS_TABLE)};
    constexpr size_t tableCount = std::size(variables);
    const size_t i = size_t(slot);
    if (i < tableCount)
        return variables[i];
    if (i < size_t(Tbl::Count))
        return variables[size_t(aliasTables[i - tableCount])];
    return nullptr;
}

void setTableNames()
{
    for (size_t i = 0; i < size_t(Tbl::Count); ++i) {
        const vrt::TableDesc& t = declaration(Tbl(i));
        if (vrt::NameVar* v = nameVariable(Tbl(i)); v && !t.base)
            v->set(t.sqlName);
    }
}

} // namespace corvalde
