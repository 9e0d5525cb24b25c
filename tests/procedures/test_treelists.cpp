#include <gtest/gtest.h>

#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeQueueModel.h"
#include "services/Quilvo.h"
#include "tests/procedures/test_libservices.h"
#include "tests/support/TestSupport.h"

#include <QAbstractItemModelTester>

using namespace VelmoraDll;
using libservices_test::English;

namespace {

// Rows as a table gives them: (id, parent, name), already in ordering-number order.
TreeQueue rows(std::initializer_list<std::tuple<int, int, const char*>> list)
{
    TreeQueue out;
    int order = 0;
    for (const auto& [id, parent, name] : list) {
        TreeRow r;
        r.ID = id;
        r.RODITELJ = parent;
        r.NAZIV = QString::fromUtf8(name);
        r.REDOSLIJED = ++order;
        r.POPID = QStringLiteral("7");
        out.push_back(r);
    }
    return out;
}

// "name:level:icon" per queue row.
QStringList shape(const TreeQueue& q)
{
    QStringList out;
    for (const TreeRow& r : q)
        out << QStringLiteral("%1:%2:%3").arg(r.NAZIV).arg(r.LEVEL).arg(r.ICON);
    return out;
}

struct Table : CategoryTableSource {
    TreeQueue content;
    bool failRead = false;
    int failInsert = 0; // 1-based insert that fails
    int inserts = 0;
    bool readAll(TreeQueue& out) override
    {
        out = content;
        return !failRead;
    }
    int64_t rowCount() override { return static_cast<int64_t>(content.size()); }
    bool insertRoot(const QString& name, int32_t type, int* code, QString* text) override
    {
        if (++inserts == failInsert) {
            *code = 40;
            *text = QStringLiteral("Creates Duplicate Key");
            return false;
        }
        TreeRow r;
        r.ID = static_cast<int>(content.size()) + 1;
        r.NAZIV = name;
        r.REDOSLIJED = r.ID;
        r.NAPOMENA = QString::number(type); // where this fake keeps TIP
        content.push_back(r);
        return true;
    }
};

} // namespace

TEST(TreeLists, WalkTable)
{
    struct Case {
        const char* what;
        TreeQueue work;
        TreeIcon icon;
        QStringList expected;
    };
    const Case cases[] = {
        {"roots in work order, each followed by its subtree",
         rows({{2, 0, "B"}, {1, 0, "A"}, {3, 1, "A1"}, {4, 2, "B1"}, {5, 3, "A1a"}}), TreeIcon::Level,
         {"B:1:1", "B1:2:2", "A:1:1", "A1:2:2", "A1a:3:3"}},
        {"icon is the work position", rows({{1, 0, "R"}, {2, 0, "S"}, {3, 1, "R1"}, {4, 3, "R1a"}}),
         TreeIcon::WorkPosition, {"R:1:1", "R1:2:3", "R1a:3:4", "S:1:2"}},
        {"orphan and its subtree left out", rows({{1, 0, "R"}, {2, 99, "O"}, {3, 2, "O1"}}), TreeIcon::Level,
         {"R:1:1"}},
        {"cycle left out, walk ends", rows({{1, 2, "X"}, {2, 1, "Y"}, {3, 3, "Self"}, {4, 0, "R"}}), TreeIcon::Level,
         {"R:1:1"}},
        {"child listed before its parent", rows({{3, 1, "C"}, {1, 0, "P"}}), TreeIcon::WorkPosition,
         {"P:1:2", "C:2:1"}},
        {"duplicate id placed once per row", rows({{1, 0, "A"}, {1, 0, "A'"}, {2, 1, "K"}}), TreeIcon::Level,
         {"A:1:1", "K:2:2", "A':1:1"}},
        {"empty", {}, TreeIcon::Level, {}},
    };
    for (const Case& c : cases) {
        TreeQueue work = c.work;
        TreeQueue queue;
        walkTree(work, queue, 0, 0, c.icon);
        EXPECT_EQ(shape(queue), c.expected) << c.what;
        for (const TreeRow& r : queue)
            EXPECT_FALSE(r.MARK) << c.what;
    }
}

TEST(TreeLists, DescendantsOfASelectedRowAndDeepChains)
{
    TreeQueue fqt = rows({{1, 0, "Prihodi"}, {2, 1, "Plaća"}, {3, 2, "Bonus"}, {4, 0, "Troškovi"}});
    TreeQueue fq;
    S_CollectCategoryChildren(fqt, fq, 1, 1);
    EXPECT_EQ(shape(fq), (QStringList{"Plaća:2:2", "Bonus:3:3"}));

    // A chain far deeper than any call stack would allow.
    TreeQueue chain;
    for (int i = 1; i <= 200000; ++i) {
        TreeRow r;
        r.ID = i;
        r.RODITELJ = i - 1;
        chain.push_back(r);
    }
    TreeQueue q;
    S_AddTreeLevel(chain, q, 0, 0);
    ASSERT_EQ(q.size(), 200000u);
    EXPECT_EQ(q.back().LEVEL, 200000);
    EXPECT_EQ(q.back().ICON, 200000);
}

TEST(TreeLists, FillersRebuildFromScratch)
{
    Table folders;
    folders.content = rows({{1, 0, "Inbox"}, {2, 1, "Posao"}, {3, 2, "Računi"}, {4, 77, "Izgubljeni"}});
    folders.content[0].ENNAZIV = QStringLiteral("xInbox_1");
    S_FillInboxTree(folders);
    S_FillInboxTree(folders);
    EXPECT_EQ(shape(InboxQ()), (QStringList{"Inbox:1:1", "Posao:2:2", "Računi:3:3"}));
    EXPECT_EQ(IT().size(), 4u);
    EXPECT_EQ(InboxQ()[0].ENNAZIV, QStringLiteral("xInbox_1"));
    EXPECT_EQ(InboxQ()[0].POPID, QStringLiteral("7"));

    Table groups;
    groups.content = rows({{1, 0, "Obitelj"}, {2, 1, "Bliža"}, {3, 2, "Djeca"}});
    S_FillContactGroupTree(groups);
    S_FillContactGroupTree(groups);
    EXPECT_EQ(shape(KontaktiGrupaQ()), (QStringList{"Obitelj:1:1", "Bliža:2:2", "Djeca:3:3"}));
    EXPECT_TRUE(KontaktiGrupaQ()[2].POPID.isEmpty()) << "groups keep only their own fields";

    Table empty;
    S_FillContactGroupTree(empty);
    EXPECT_TRUE(KontaktiGrupaQ().empty());
    S_FillInboxTree(empty);
    EXPECT_TRUE(InboxQ().empty());
}

TEST(TreeLists, CategoriesAreSeededOnceAndOnlyIntoAnEmptyTable)
{
    libservices_test::freshMessages();
    Table t;
    English english;
    S_FillPrihodiRashodi(t, english);
    EXPECT_EQ(shape(PrihodiRashodiQ()), (QStringList{"Income:1:1", "Expenses:1:2"}));
    EXPECT_EQ(t.content[0].NAPOMENA, QStringLiteral("1"));
    EXPECT_EQ(t.content[1].NAPOMENA, QStringLiteral("2"));
    S_FillPrihodiRashodi(t, english);
    EXPECT_EQ(t.content.size(), 2u);
    EXPECT_EQ(PrihodiRashodiQ().size(), 2u);

    // A read error on a table that has rows never seeds again.
    t.failRead = true;
    S_FillPrihodiRashodi(t, english);
    EXPECT_EQ(t.content.size(), 2u);
    EXPECT_TRUE(testsupport::presenter().calls().empty());

    Table broken;
    broken.failInsert = 2;
    QUILVO identity;
    S_FillPrihodiRashodi(broken, identity);
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, QStringLiteral("stop"));
    EXPECT_EQ(calls[0].text, QStringLiteral("S_FillPrihodiRashodi ADD(APrihodiRashodiKategorija)-2 :40 : Creates Duplicate Key"));
}

TEST(TreeLists, QueueShownAsATree)
{
    TreeQueue work = rows({{1, 0, "Prihodi"}, {2, 1, "Plaća"}, {3, 2, "Bonus"}, {4, 1, "Najam"}, {5, 0, "Troškovi"}});
    TreeQueue queue;
    walkTree(work, queue, 0, 0, TreeIcon::Level);
    TreeQueueModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setQueue(queue);
    ASSERT_EQ(model.rowCount(), 2);
    const QModelIndex prihodi = model.index(0, 0);
    EXPECT_EQ(prihodi.data().toString(), QString("Prihodi"));
    ASSERT_EQ(model.rowCount(prihodi), 2);
    const QModelIndex placa = model.index(0, 0, prihodi);
    EXPECT_EQ(model.index(1, 0, prihodi).data().toString(), QString("Najam"));
    EXPECT_EQ(model.index(0, 0, placa).data(TreeQueueModel::LevelRole).toInt(), 3);
    EXPECT_EQ(model.parent(placa), prihodi);
    EXPECT_EQ(model.index(1, 0).data(TreeQueueModel::IdRole).toInt(), 5);
    EXPECT_EQ(model.position(model.index(0, 0, placa)), 2);
    model.setQueue({});
    EXPECT_EQ(model.rowCount(), 0);
}
