#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/OpenFiles.h"
#include "services/Quilvo.h"
#include "tests/data/DataFixture.h"
#include "tests/procedures/test_libservices.h"

#include <QAbstractItemModelTester>

#include <map>

using namespace VelmoraDll;
using libservices_test::English;

namespace {

// One fixture row: its parent by name ("" for a root, a name not added before for a missing
// parent) and its ordering number.
struct Node {
    const char* name;
    const char* parent;
    int order;
    int account = 0;
};

// "name:level:icon" per queue row.
QStringList shape(const TreeQueue& q)
{
    QStringList out;
    for (const TreeRow& r : q)
        out << QStringLiteral("%1:%2:%3").arg(r.NAZIV).arg(r.LEVEL).arg(r.ICON);
    return out;
}

// Warnings logged while it lives.
class WarningLog {
public:
    WarningLog()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&WarningLog::take);
    }
    ~WarningLog() { qInstallMessageHandler(m_previous); }
    QString all() const { return s_lines.join(QLatin1Char('\n')); }

private:
    static void take(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            s_lines << text;
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

class TreeSourcesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        vrt::resetHooks();
        testsupport::presenter().clear();
        ASSERT_EQ(W_First::OpenFilez(), 0);
    }

    // Adds the rows through the base table's manager, parents before their children; the
    // ids by name.
    template <class Prefix>
    std::map<std::string, int> add(Prefix prefix, std::initializer_list<Node> nodes)
    {
        std::map<std::string, int> ids;
        vrt::FileManager& f = Access(prefix.table);
        for (const Node& n : nodes) {
            f.clearBuffer();
            auto& r = prefix();
            r.NAZIV = n.name;
            r.TATAID = *n.parent ? (ids.count(n.parent) ? ids[n.parent] : 999) : 0;
            r.REDOSLIJED = n.order;
            if constexpr (requires { r.ACCOUNTID; })
                r.ACCOUNTID = n.account;
            EXPECT_EQ(f.Insert(), 0) << n.name << ": " << f.ErrorText().toStdString();
            ids[n.name] = r.ID;
        }
        return ids;
    }
    std::string table(Tbl t) { return "\"" + Access(t).SqlName() + "\""; }
    std::vector<testsupport::ScriptedPresenter::Call> stops()
    {
        return testsupport::presenter().calls(QStringLiteral("stop"));
    }
};

} // namespace

TEST_F(TreeSourcesTest, MailFoldersOfEveryAccountInOrderWithSubfoldersOrphansLeftOut)
{
    add(INB, {{"Inbox", "", 2, 1},
              {"Outbox", "", 1, 1},
              {"Posao", "Inbox", 3, 1},
              {"Računi", "Posao", 4, 1},
              {"Izgubljeni", "nema", 5, 1},
              {"Ispod izgubljenog", "Izgubljeni", 6, 1},
              {"Drugi", "", 7, 2}});
    query("UPDATE " + table(Tbl::Inbox) + " SET ENNAZIV = 'xInbox_1' WHERE NAZIV = 'Inbox'");

    InboxFolderSource folders;
    S_FillInboxTree(folders);
    S_FillInboxTree(folders);
    // ICON is the row's position in the work copy.
    EXPECT_EQ(shape(InboxQ()), (QStringList{"Outbox:1:1", "Inbox:1:2", "Posao:2:3", "Računi:3:4", "Drugi:1:7"}));
    EXPECT_EQ(IT().size(), 7u);
    ASSERT_EQ(InboxQ().size(), 5u);
    EXPECT_EQ(InboxQ()[1].ENNAZIV, QStringLiteral("xInbox_1"));
    EXPECT_EQ(InboxQ()[1].REDOSLIJED, 2);
    EXPECT_EQ(InboxQ()[2].RODITELJ, InboxQ()[1].ID);
    EXPECT_EQ(InboxQ()[4].POPID, QStringLiteral("2"));
    EXPECT_EQ(folders.errorCode(), 0);

    TreeQueueModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setQueue(InboxQ());
    ASSERT_EQ(model.rowCount(), 3);
    const QModelIndex inbox = model.index(1, 0);
    ASSERT_EQ(model.rowCount(inbox), 1);
    EXPECT_EQ(model.index(0, 0, model.index(0, 0, inbox)).data().toString(), QStringLiteral("Računi"));
}

TEST_F(TreeSourcesTest, ContactGroupsInOrderWithParentCyclesLeftOut)
{
    const auto ids = add(CONG, {{"Obitelj", "", 3},
                                {"Posao", "", 1},
                                {"Bliža", "Obitelj", 4},
                                {"Djeca", "Bliža", 5},
                                {"X", "", 6},
                                {"Y", "X", 7},
                                {"Sam", "", 8}});
    // Cycles the forms would never write: X <-> Y and a group that is its own parent.
    query("UPDATE " + table(Tbl::CON_Group) + " SET TATAID = " + std::to_string(ids.at("Y")) +
          " WHERE ID = " + std::to_string(ids.at("X")));
    query("UPDATE " + table(Tbl::CON_Group) + " SET TATAID = ID WHERE NAZIV = 'Sam'");

    ContactGroupSource groups;
    S_FillContactGroupTree(groups);
    S_FillContactGroupTree(groups);
    // ICON is the level.
    EXPECT_EQ(shape(KontaktiGrupaQ()), (QStringList{"Posao:1:1", "Obitelj:1:1", "Bliža:2:2", "Djeca:3:3"}));
    EXPECT_EQ(KGQT().size(), 7u);

    query("DELETE FROM " + table(Tbl::CON_Group));
    S_FillContactGroupTree(groups);
    EXPECT_TRUE(KontaktiGrupaQ().empty());
    EXPECT_TRUE(KGQT().empty());
}

TEST_F(TreeSourcesTest, CategoriesSeededOnceIntoAnEmptyTableOnly)
{
    CategorySource categories;
    English english;
    EXPECT_EQ(categories.rowCount(), 0);
    S_FillPrihodiRashodi(categories, english);
    EXPECT_EQ(shape(PrihodiRashodiQ()), (QStringList{"Income:1:1", "Expenses:1:2"}));
    EXPECT_EQ(query("SELECT NAZIV || '|' || TATAID || '|' || TIP FROM " + table(Tbl::PrihodiRashodiKategorija) +
                    " ORDER BY REDOSLIJED"),
              (std::vector<std::string>{"Income|0|1", "Expenses|0|2"}));

    S_FillPrihodiRashodi(categories, english);
    EXPECT_EQ(categories.rowCount(), 2);
    EXPECT_EQ(shape(PrihodiRashodiQ()), (QStringList{"Income:1:1", "Expenses:1:2"}));

    // A table with rows of its own gets nothing added; siblings by ordering number.
    query("DELETE FROM " + table(Tbl::PrihodiRashodiKategorija));
    add(PRK, {{"Plaća", "", 2}, {"Najam", "", 1}, {"Bonus", "Plaća", 3}});
    QUILVO identity;
    S_FillPrihodiRashodi(categories, identity);
    EXPECT_EQ(shape(PrihodiRashodiQ()), (QStringList{"Najam:1:1", "Plaća:1:2", "Bonus:2:3"}));
    EXPECT_EQ(categories.rowCount(), 3);
    EXPECT_TRUE(stops().empty());
}

TEST_F(TreeSourcesTest, AFailedSeedingInsertStopsWithTheDriversText)
{
    query("CREATE TRIGGER no_expenses BEFORE INSERT ON " + table(Tbl::PrihodiRashodiKategorija) +
          " WHEN NEW.TIP = 2 BEGIN SELECT RAISE(ABORT, 'no expense roots'); END");
    CategorySource categories;
    QUILVO identity;
    S_FillPrihodiRashodi(categories, identity);
    const auto s = stops();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_TRUE(s[0].text.startsWith(QStringLiteral("S_FillPrihodiRashodi ADD(APrihodiRashodiKategorija)-2 :90 : ")))
        << s[0].text.toStdString();
    EXPECT_TRUE(s[0].text.contains(QStringLiteral("no expense roots"))) << s[0].text.toStdString();
    EXPECT_EQ(categories.errorCode(), 90);
}

TEST_F(TreeSourcesTest, AReadErrorIsReportedAndNeverSeeds)
{
    struct Case {
        const char* what;
        Tbl table;
        std::function<void()> fill;
        TreeQueue& queue;
        TableSourceError& source;
    };
    InboxFolderSource folders;
    ContactGroupSource groups;
    CategorySource categories;
    QUILVO identity;
    const Case cases[] = {
        {"folders", Tbl::Inbox, [&] { S_FillInboxTree(folders); }, InboxQ(), folders},
        {"groups", Tbl::CON_Group, [&] { S_FillContactGroupTree(groups); }, KontaktiGrupaQ(), groups},
        {"categories", Tbl::PrihodiRashodiKategorija, [&] { S_FillPrihodiRashodi(categories, identity); },
         PrihodiRashodiQ(), categories},
    };
    for (const Case& c : cases) {
        // Replaced under the open manager by a table it cannot read.
        query("DROP TABLE " + table(c.table));
        query("CREATE TABLE " + table(c.table) + " (ID INTEGER PRIMARY KEY)");
        query("INSERT INTO " + table(c.table) + " VALUES (1)");
        c.queue.push_back(TreeRow{});          // a stale row that must not survive
        WarningLog log;
        c.fill();
        EXPECT_TRUE(c.queue.empty()) << c.what;
        EXPECT_NE(c.source.errorCode(), 0) << c.what;
        EXPECT_NE(c.source.errorCode(), int(vrt::RecordNotAvailable)) << c.what;
        EXPECT_TRUE(log.all().contains(c.source.errorText())) << c.what << ": " << log.all().toStdString();
        EXPECT_TRUE(log.all().contains(QStringLiteral("stopped reading at an error"))) << c.what;
    }
    EXPECT_EQ(categories.rowCount(), -1);
    EXPECT_TRUE(stops().empty()) << "an unreadable table is not an empty one";
}
