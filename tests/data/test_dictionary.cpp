#include "data/Dictionary.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

// Every slot of the declaration list against what the dictionary made of it: the slot's
// place, its label both ways, its prefix objects and record struct, its key numbers, its
// name variable and its relations.

namespace {

struct Row {
    Tbl slot;
    const char* label;
    const char* prefix;
    const char* keyPrefix;
    const char* sqlName;
    Tbl base;                 // Tbl::Count for a table
    vrt::NameVar* nameVar;    // the table's own, or its table's for an alias
    int nameCapacity;
};

// (NAME, capacity) or () unpacked without the dictionary's own helpers.
#define TEST_VAR_ADDR(...) VEL_FIRST_(__VA_OPT__(&FILENAME::TEST_VAR_NAME(__VA_ARGS__), ) nullptr)
#define TEST_VAR_NAME(name, cap) name
#define TEST_VAR_CAP(...) 0 __VA_OPT__(+TEST_VAR_CAP_(__VA_ARGS__))
#define TEST_VAR_CAP_(name, cap) cap

#define TEST_TABLE_ROW(label, prefix, sql, var, ...)                                                   \
    {Tbl::label, #label, #prefix, VEL_KEY_PREFIX(#prefix, __VA_OPT__(#__VA_ARGS__)), sql, Tbl::Count,   \
     static_cast<vrt::NameVar*>(TEST_VAR_ADDR var), TEST_VAR_CAP var},
#define TEST_ALIAS_ROW(label, prefix, table, ...)                                                      \
    {Tbl::label, #label, #prefix, VEL_KEY_PREFIX(#prefix, __VA_OPT__(#__VA_ARGS__)), nullptr, Tbl::table, \
     nullptr, 0},

const Row kRows[] = {VEL_TABLES(TEST_TABLE_ROW) VEL_ALIASES(TEST_ALIAS_ROW)};

} // namespace

TEST(Dictionary, EverySlotsLabelPlaceAndNameVariableAgree)
{
    ASSERT_EQ(std::size(kRows), size_t(Tbl::Count));
    ASSERT_EQ(size_t(Tbl::Count), 35u); // 23 tables, 12 aliases
    corvalde::setTableNames();
    for (size_t i = 0; i < std::size(kRows); ++i) {
        const Row& row = kRows[i];
        SCOPED_TRACE(row.label);
        EXPECT_EQ(size_t(row.slot), i) << "tables first, then aliases, in the list's order";
        const vrt::TableDesc& t = corvalde::declaration(row.slot);
        EXPECT_EQ(t.label, row.label);
        EXPECT_EQ(corvalde::slotOf(row.label), row.slot);
        EXPECT_EQ(t.prefix, row.prefix);
        EXPECT_EQ(t.keyPrefix, row.keyPrefix);
        if (row.base == Tbl::Count) {
            EXPECT_EQ(t.base, nullptr);
            EXPECT_EQ(t.sqlName, row.sqlName);
            EXPECT_EQ(corvalde::nameVariable(row.slot), row.nameVar);
            if (row.nameVar) {
                EXPECT_EQ(row.nameVar->capacity(), row.nameCapacity);
                EXPECT_EQ(row.nameVar->get(), t.sqlName);
            }
        } else {
            const vrt::TableDesc& table = corvalde::declaration(row.base);
            EXPECT_EQ(t.base, &table);
            EXPECT_EQ(t.sqlName, table.sqlName);
            EXPECT_EQ(corvalde::nameVariable(row.slot), corvalde::nameVariable(row.base));
            EXPECT_TRUE(t.relations.empty());
        }
    }
    // Labels are looked up as the declarations spell them in any case; unknown ones have no slot.
    EXPECT_EQ(corvalde::slotOf("inbox"), Tbl::Inbox);
    EXPECT_EQ(corvalde::slotOf("ainbox"), Tbl::AInbox);
    EXPECT_EQ(corvalde::slotOf("Inboxes"), Tbl::Count);
    EXPECT_EQ(corvalde::nameVariable(Tbl::Count), nullptr);
    // A few spellings held by hand, so the list and its readers cannot drift together.
    EXPECT_EQ(corvalde::nameVariable(Tbl::AInbox), &FILENAME::INBOX);
    EXPECT_EQ(corvalde::nameVariable(Tbl::CalendarRecurrencePatterns), nullptr);
    EXPECT_EQ(corvalde::declaration(Tbl::Inbox).keyPrefix, "Inb");
    EXPECT_EQ(FILENAME::CAL_CALENDAREVENTS.capacity(), 244);
}

TEST(Dictionary, PrefixObjectsReachTheirSlotsRecordsAndKeys)
{
#define TEST_PREFIX(label, prefix, shape, ...)                                                         \
    {                                                                                                  \
        SCOPED_TRACE(#label);                                                                          \
        using P = std::remove_cv_t<decltype(prefix)>;                                                  \
        static_assert(P::table == Tbl::label);                                                         \
        static_assert(std::is_same_v<decltype(prefix()), shape##_Rec&>);                               \
        __VA_OPT__(static_assert(std::is_same_v<decltype(prefix), decltype(__VA_ARGS__)>);)            \
        const vrt::TableDesc& t = corvalde::declaration(Tbl::label);                                   \
        size_t keys = 0;                                                                               \
        VEL_KEYS_##shape(TEST_KEY)                                                                     \
        EXPECT_EQ(keys, t.keys.size());                                                                \
        EXPECT_EQ(t.fields.size(), size_t(0 VEL_FIELDS_##shape(TEST_FIELD)));                          \
    }
#define TEST_KEY(name, comps, unique, primary, autonum)                                                \
    EXPECT_EQ(int(P::name), t.keyIndex(#name)) << #name;                                               \
    ++keys;
#define TEST_FIELD(name, kind, cap) +1
#define TEST_TABLE_PREFIX(label, prefix, sql, var, ...) TEST_PREFIX(label, prefix, label, __VA_ARGS__)
    VEL_TABLES(TEST_TABLE_PREFIX)
    VEL_ALIASES(TEST_PREFIX)
}

TEST(Dictionary, RelationsJoinDeclaredKeysAndFieldsInListOrder)
{
    std::vector<std::vector<vrt::RelationDesc>> expected(size_t(Tbl::Count));
#define TEST_RELATION(parent, child, childKey, parentField, childField)                                \
    expected[size_t(Tbl::parent)].push_back({#child, #childKey, #parentField, #childField});
    VEL_RELATIONS(TEST_RELATION)
    for (size_t i = 0; i < size_t(Tbl::Count); ++i) {
        const vrt::TableDesc& parent = corvalde::declaration(Tbl(i));
        SCOPED_TRACE(parent.label);
        ASSERT_EQ(parent.relations.size(), expected[i].size());
        for (size_t r = 0; r < expected[i].size(); ++r) {
            const vrt::RelationDesc& relation = parent.relations[r];
            EXPECT_EQ(relation.child, expected[i][r].child);
            EXPECT_EQ(relation.childKey, expected[i][r].childKey);
            const Tbl childSlot = corvalde::slotOf(relation.child);
            ASSERT_NE(childSlot, Tbl::Count) << relation.child;
            const vrt::TableDesc& child = corvalde::declaration(childSlot);
            EXPECT_GE(child.keyIndex(relation.childKey), 0) << relation.childKey;
            EXPECT_GE(parent.fieldIndex(relation.parentField), 0) << relation.parentField;
            EXPECT_GE(child.fieldIndex(relation.childField), 0) << relation.childField;
        }
    }
}
