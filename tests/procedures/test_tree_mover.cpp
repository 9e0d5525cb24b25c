// Moving nodes of the three ordered trees with their subtrees, on the real tables.
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeMover.h"
#include "procedures/common/OpenFiles.h"
#include "procedures/assembly/TreeMoves.h"
#include "procedures/mail/MailFolderTree.h"
#include "tests/data/DataFixture.h"
#include "tests/procedures/test_libservices.h"

#include <map>

using namespace VelmoraDll;
using organiser::contactGroupTree;
using organiser::financeCategoryTree;
using organiser::mailFolderTree;

namespace {

// One row: its parent by name ("" at the top), and optionally its own id, type, system name
// and account.
struct Node {
    const char* name;
    const char* parent = "";
    int id = 0;
    int type = 1;
    const char* system = "";
    int account = 1;
};

class TreeMoverTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        libservices_test::freshMessages();
        ASSERT_EQ(W_First::OpenFilez(), 0);
    }

    std::string table(Tbl t) { return "\"" + Access(t).SqlName() + "\""; }

    // Adds the rows in the order given, order numbers spaced by `step` (0: the table's own
    // numbering, the highest plus one); answers the ids by name.
    std::map<std::string, int> add(Tbl t, std::initializer_list<Node> nodes, int step = 1)
    {
        int order = 0;
        for (const Node& n : nodes) {
            const std::string parent = *n.parent ? std::to_string(ids.at(n.parent)) : "0";
            std::string cols = "NAZIV, TATAID, REDOSLIJED", values = "'" + std::string(n.name) + "', " + parent + ", ";
            values += step ? std::to_string(order += step)
                           : "(SELECT COALESCE(MAX(REDOSLIJED), 0) + 1 FROM " + table(t) + ")";
            if (n.id) {
                cols += ", ID";
                values += ", " + std::to_string(n.id);
            }
            if (t == Tbl::APrihodiRashodiKategorija) {
                cols += ", TIP";
                values += ", " + std::to_string(n.type);
            }
            if (t == Tbl::AInbox) {
                cols += ", ENNAZIV, ACCOUNTID";
                values += ", '" + std::string(n.system) + "', " + std::to_string(n.account);
            }
            query("INSERT INTO " + table(t) + " (" + cols + ") VALUES (" + values + ")");
            ids[n.name] = std::stoi(query("SELECT MAX(ID) FROM " + table(t) + " WHERE NAZIV = '" + n.name + "'").at(0));
        }
        return ids;
    }

    // The tree as it is listed: "name@level" depth first; `orders` gets each listed row's
    // order number in listing order.
    QString listing(Tbl t, std::vector<int>* orders = nullptr)
    {
        vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
        EXPECT_TRUE(s.execDirect("SELECT NAZIV, ID, TATAID, REDOSLIJED FROM " + table(t) + " ORDER BY REDOSLIJED, ID"));
        TreeQueue work, placed;
        while (s.fetch()) {
            TreeRow r;
            r.NAZIV = QString::fromStdString(*s.text(1));
            r.ID = int32_t(*s.integer(2));
            r.RODITELJ = int32_t(*s.integer(3));
            r.REDOSLIJED = int32_t(*s.integer(4));
            work.push_back(r);
        }
        walkTree(work, placed, 0, 0, TreeIcon::Level);
        QStringList out;
        for (const TreeRow& r : placed) {
            out << QStringLiteral("%1@%2").arg(r.NAZIV).arg(r.LEVEL);
            if (orders)
                orders->push_back(r.REDOSLIJED);
        }
        return out.join(QLatin1Char(' '));
    }
    static std::vector<int> oneTo(size_t n)
    {
        std::vector<int> v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = int(i + 1);
        return v;
    }
    QStringList messages() { return testsupport::presenter().takeTexts(); }

    std::map<std::string, int> ids;
};

struct Tree {
    const char* name;
    Tbl table;
    TreeTable (*declared)();
    int firstId; // the finance roots 1 and 2 never move: the fixture starts above them
};
const Tree kTrees[] = {{"contact groups", Tbl::ACON_GrupaAlias, &contactGroupTree, 0},
                       {"mail folders", Tbl::AInbox, &mailFolderTree, 0},
                       {"finance categories", Tbl::APrihodiRashodiKategorija, &financeCategoryTree, 11}};

} // namespace

TEST_F(TreeMoverTest, EachTreeMovesANodeWithItsSubtreeAndNumbersTheRowsByPosition)
{
    const QString start = QStringLiteral("A@1 A1@2 A2@2 A2a@3 B@1 C@1");
    const struct {
        TreeMove how;
        const char* node;
        const char* expected; // empty: unchanged
    } cases[] = {
        {TreeMove::Up, "A1", ""},
        {TreeMove::Up, "A", ""},
        {TreeMove::Down, "C", ""},
        {TreeMove::Down, "A2", ""}, // the last child stays where it is
        {TreeMove::Up, "A2", "A@1 A2@2 A2a@3 A1@2 B@1 C@1"},
        {TreeMove::Down, "A1", "A@1 A2@2 A2a@3 A1@2 B@1 C@1"},
        {TreeMove::Down, "A", "B@1 A@1 A1@2 A2@2 A2a@3 C@1"},
        {TreeMove::Up, "C", "A@1 A1@2 A2@2 A2a@3 C@1 B@1"},
        {TreeMove::Right, "A1", ""},
        {TreeMove::Right, "A", ""},
        {TreeMove::Right, "B", "A@1 A1@2 A2@2 A2a@3 B@2 C@1"},
        {TreeMove::Right, "A2", "A@1 A1@2 A2@3 A2a@4 B@1 C@1"},
        {TreeMove::Left, "A2a", "A@1 A1@2 A2@2 A2a@2 B@1 C@1"},
        {TreeMove::Left, "A", ""},
    };
    for (const Tree& tree : kTrees) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(tree.name) + " " + c.node + " " + std::to_string(int(c.how)));
            query("DELETE FROM " + table(tree.table));
            ids.clear();
            const int base = tree.firstId;
            // Numbered from 10 in tens: the move numbers every row by its position.
            add(tree.table, {{"A", "", base}, {"A1", "A", base ? base + 1 : 0}, {"A2", "A", base ? base + 2 : 0},
                             {"A2a", "A2", base ? base + 3 : 0}, {"B", "", base ? base + 4 : 0}, {"C", "", base ? base + 5 : 0}},
                10);
            ASSERT_EQ(listing(tree.table), start);
            long selected = 0;
            const TreeMoveResult r = TreeMover(tree.declared(), [&](long id) { selected = id; }).move(c.how, ids.at(c.node));
            EXPECT_EQ(r, *c.expected ? TreeMoveResult::Moved : TreeMoveResult::Unchanged);
            std::vector<int> orders;
            EXPECT_EQ(listing(tree.table, &orders), *c.expected ? QString::fromLatin1(c.expected) : start);
            EXPECT_EQ(orders, oneTo(6));
            EXPECT_EQ(selected, ids.at(c.node)) << "the tree is shown again with the node selected";
            EXPECT_TRUE(messages().isEmpty());
        }
    }
}

TEST_F(TreeMoverTest, ARowJustAddedOrALeftGapDoesNotMakeTheWrongNodesMove)
{
    for (const Tree& tree : kTrees) {
        SCOPED_TRACE(tree.name);
        const int base = tree.firstId;
        const auto fresh = [&] {
            query("DELETE FROM " + table(tree.table));
            ids.clear();
            add(tree.table, {{"A", "", base}, {"A1", "A", base ? base + 1 : 0}, {"A2", "A", base ? base + 2 : 0},
                             {"A2a", "A2", base ? base + 3 : 0}, {"B", "", base ? base + 4 : 0}, {"C", "", base ? base + 5 : 0}});
            // As the forms add a row: the highest number plus one, the last child of A.
            add(tree.table, {{"A3", "A", base ? base + 6 : 0}}, 0);
            ASSERT_EQ(listing(tree.table), QStringLiteral("A@1 A1@2 A2@2 A2a@3 A3@2 B@1 C@1"));
        };
        TreeMover mover(tree.declared());
        std::vector<int> orders;
        fresh();
        // On the stored numbers A2 would change numbers with B, and nothing would move.
        EXPECT_EQ(mover.move(TreeMove::Down, ids.at("A2")), TreeMoveResult::Moved);
        EXPECT_EQ(listing(tree.table, &orders), QStringLiteral("A@1 A1@2 A3@2 A2@2 A2a@3 B@1 C@1"));
        EXPECT_EQ(orders, oneTo(7));
        fresh();
        // On the stored numbers the row before A3 is C, at the top: A3 would not move.
        EXPECT_EQ(mover.move(TreeMove::Up, ids.at("A3")), TreeMoveResult::Moved);
        EXPECT_EQ(listing(tree.table), QStringLiteral("A@1 A1@2 A3@2 A2@2 A2a@3 B@1 C@1"));
        // A gap left by a delete.
        query("DELETE FROM " + table(tree.table) + " WHERE NAZIV = 'A1'");
        EXPECT_EQ(mover.move(TreeMove::Down, ids.at("B")), TreeMoveResult::Moved);
        orders.clear();
        EXPECT_EQ(listing(tree.table, &orders), QStringLiteral("A@1 A3@2 A2@2 A2a@3 C@1 B@1"));
        EXPECT_EQ(orders, oneTo(6));
        EXPECT_TRUE(messages().isEmpty());
    }
}

TEST_F(TreeMoverTest, FinanceRootsAndBalanceStayAndCategoriesStayInTheirBranch)
{
    const Tbl t = Tbl::APrihodiRashodiKategorija;
    add(t, {{"Prihodi", "", 1, 1},
            {"P1", "Prihodi", 11, 1},
            {"P2", "Prihodi", 12, 1},
            {"X", "", 13, 2}, // a stray top-level expense category of older data
            {"Troškovi", "", 2, 2},
            {"T1", "Troškovi", 14, 2},
            {"Velik", "Troškovi", 100001, 2}});
    const QString start = QStringLiteral("Prihodi@1 P1@2 P2@2 X@1 Troškovi@1 T1@2 Velik@2");
    ASSERT_EQ(listing(t), start);
    int rebuilt = 0;
    TreeMover mover(financeCategoryTree(), [&](long) { ++rebuilt; });

    const QString fixed = QStringLiteral("Ova kategorija se ne može pomicati !");
    for (const long id : {1L, 2L, 1000000L}) {
        SCOPED_TRACE(id);
        for (TreeMove how : {TreeMove::Up, TreeMove::Down, TreeMove::Left, TreeMove::Right})
            EXPECT_EQ(mover.move(how, id), TreeMoveResult::Refused);
        const auto calls = testsupport::presenter().calls();
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_EQ(calls[0].text, fixed);
        testsupport::presenter().clear();
    }
    EXPECT_EQ(rebuilt, 0) << "nothing else happens";
    EXPECT_EQ(listing(t), start);

    const QString branch = QStringLiteral("Kategorija mora ostati unutar prihoda ili troškova !");
    const struct {
        TreeMove how;
        const char* node;
        TreeMoveResult result;
        const char* message;
        const char* expected;
    } steps[] = {
        // The category above X is an income root.
        {TreeMove::Right, "X", TreeMoveResult::Refused, "branch", ""},
        // X is an expense: it passes the expense root but not the income root.
        {TreeMove::Down, "X", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 T1@2 Velik@2 X@1"},
        {TreeMove::Up, "X", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 X@1 Troškovi@1 T1@2 Velik@2"},
        {TreeMove::Up, "X", TreeMoveResult::Refused, "", "Prihodi@1 P1@2 P2@2 X@1 Troškovi@1 T1@2 Velik@2"},
        {TreeMove::Down, "X", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 T1@2 Velik@2 X@1"},
        {TreeMove::Right, "X", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 T1@2 Velik@2 X@2"},
        // An id above 100000 is an ordinary category.
        {TreeMove::Up, "Velik", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 Velik@2 T1@2 X@2"},
        {TreeMove::Right, "T1", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 Velik@2 T1@3 X@2"},
        {TreeMove::Left, "T1", TreeMoveResult::Moved, "", "Prihodi@1 P1@2 P2@2 Troškovi@1 Velik@2 T1@2 X@2"},
        // Out to the top level, after its former root, and back under a category of its kind.
        {TreeMove::Left, "P1", TreeMoveResult::Moved, "", "Prihodi@1 P2@2 P1@1 Troškovi@1 Velik@2 T1@2 X@2"},
        {TreeMove::Right, "P1", TreeMoveResult::Moved, "", "Prihodi@1 P2@2 P1@2 Troškovi@1 Velik@2 T1@2 X@2"},
        // Under a category of the other kind it may not go.
        {TreeMove::Left, "T1", TreeMoveResult::Moved, "", "Prihodi@1 P2@2 P1@2 Troškovi@1 Velik@2 X@2 T1@1"},
        {TreeMove::Up, "T1", TreeMoveResult::Moved, "", "Prihodi@1 P2@2 P1@2 T1@1 Troškovi@1 Velik@2 X@2"},
        {TreeMove::Right, "T1", TreeMoveResult::Refused, "branch", ""},
    };
    QString now = start;
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.node) + " " + std::to_string(int(s.how)));
        EXPECT_EQ(mover.move(s.how, ids.at(s.node)), s.result);
        if (*s.expected)
            now = QString::fromUtf8(s.expected);
        EXPECT_EQ(listing(t), now);
        EXPECT_EQ(messages(), *s.message ? QStringList{branch} : QStringList{});
    }
}

TEST_F(TreeMoverTest, MailFoldersKeepTheirStandardFoldersAndTheirAccount)
{
    const Tbl t = Tbl::AInbox;
    add(t, {{"Račun 1", "", 0, 0, "xInbox", 1},
            {"Inbox", "Račun 1", 0, 0, "xInbox_1", 1},
            {"Sent", "Račun 1", 0, 0, "xSent_1", 1},
            {"Posao", "Račun 1", 0, 0, "", 1},
            {"Računi", "Račun 1", 0, 0, "", 1},
            {"Tuđi", "Račun 1", 0, 0, "", 2}, // written by older data under the wrong account
            {"Račun 2", "", 0, 0, "xInbox", 2},
            {"Inbox 2", "Račun 2", 0, 0, "xInbox_1", 2}});
    const QString standard = QStringLiteral("Standardni direktorij se ne može premještati!");
    const QString account = QStringLiteral("Direktorij ne može izaći iz svog računa!");
    const struct {
        TreeMove how;
        const char* node;
        TreeMoveResult result;
        QString message;
        const char* expected;
    } steps[] = {
        {TreeMove::Down, "Račun 1", TreeMoveResult::Refused, standard, ""},
        {TreeMove::Right, "Inbox 2", TreeMoveResult::Refused, standard, ""},
        {TreeMove::Up, "Sent", TreeMoveResult::Refused, standard, ""},
        {TreeMove::Left, "Posao", TreeMoveResult::Refused, account, ""},
        {TreeMove::Right, "Tuđi", TreeMoveResult::Refused, account, ""},
        // A folder of the user's own moves among the standard folders and into another one.
        {TreeMove::Up, "Posao", TreeMoveResult::Moved, {},
         "Račun 1@1 Inbox@2 Posao@2 Sent@2 Računi@2 Tuđi@2 Račun 2@1 Inbox 2@2"},
        {TreeMove::Right, "Računi", TreeMoveResult::Moved, {},
         "Račun 1@1 Inbox@2 Posao@2 Sent@2 Računi@3 Tuđi@2 Račun 2@1 Inbox 2@2"},
        {TreeMove::Left, "Računi", TreeMoveResult::Moved, {},
         "Račun 1@1 Inbox@2 Posao@2 Sent@2 Računi@2 Tuđi@2 Račun 2@1 Inbox 2@2"},
    };
    QString now = listing(t);
    TreeMover mover(mailFolderTree());
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.node) + " " + std::to_string(int(s.how)));
        EXPECT_EQ(mover.move(s.how, ids.at(s.node)), s.result);
        if (*s.expected)
            now = QString::fromUtf8(s.expected);
        EXPECT_EQ(listing(t), now);
        EXPECT_EQ(messages(), s.message.isEmpty() ? QStringList{} : QStringList{s.message});
    }
}

TEST_F(TreeMoverTest, AFailedWriteRollsTheWholeMoveBackAndSaysWhy)
{
    const Tbl t = Tbl::ACON_GrupaAlias;
    add(t, {{"A"}, {"A1", "A"}, {"B"}, {"C"}}, 10);
    query("CREATE TRIGGER refuse_c BEFORE UPDATE ON " + table(t) + " WHEN OLD.NAZIV = 'C' "
          "BEGIN SELECT RAISE(ABORT, 'C is locked'); END");
    std::vector<int> before;
    const QString start = listing(t, &before);
    long selected = 0;
    const TreeTable table = contactGroupTree();
    const auto select = [&](long id) { selected = id; };
    // B changes place with A and every row gets its position, C last.
    EXPECT_EQ(TreeMover(table, select).move(TreeMove::Up, ids.at("B")), TreeMoveResult::Failed);
    std::vector<int> after;
    EXPECT_EQ(listing(t, &after), start);
    EXPECT_EQ(after, before) << "no row keeps a number of the half-done move";
    const auto calls = testsupport::presenter().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].text.startsWith(QStringLiteral("Došlo je do greške kod premještanja! : 90 : "))) << calls[0].text.toStdString();
    EXPECT_TRUE(calls[0].text.contains(QStringLiteral("C is locked")));
    EXPECT_EQ(calls[0].caption, QStringLiteral("Info"));
    EXPECT_EQ(selected, ids.at("B")) << "the tree is shown as it stands";
    testsupport::presenter().clear();

    // The numbering alone fails the same way.
    EXPECT_FALSE(TreeMover(table).renumber());
    EXPECT_EQ(messages().size(), 1);
    query("DROP TRIGGER refuse_c");
    EXPECT_TRUE(TreeMover(table).renumber());
    after.clear();
    listing(t, &after);
    EXPECT_EQ(after, oneTo(4));
}
