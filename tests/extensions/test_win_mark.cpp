#include "tests/data/DataFixture.h"

#include "extensions/WinMark.h"
#include "extensions/WinMarkView.h"
#include "runtime/Browse.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"

#include <QTest>

using namespace vrt;

namespace {

// Ten rows in memory, ids 1..10, texts "r1".."r10".
class MemorySource : public BrowseSource {
public:
    std::vector<int> ids{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QStringList headers() const override { return {"Name"}; }
    std::vector<BrowseRow> fetchRows(const BrowseQuery&) override
    {
        std::vector<BrowseRow> rows;
        for (int id : ids)
            rows.push_back({id, {QStringLiteral("r%1").arg(id)}});
        return rows;
    }
    bool load(const QVariant& id) override { return std::find(ids.begin(), ids.end(), id.toInt()) != ids.end(); }
    std::optional<QVariant> primeRecord() override { return std::nullopt; }
    bool deleteRecord(const QVariant&) override { return false; }
};

// Counts the totals calls a derived window would keep.
struct CountingMarks : ext::WINMARKCLASS {
    std::vector<bool> totals;
    int cleared = 0;
    void CALCULATETOTALS(bool adding) override { totals.push_back(adding); }
    void CLEARTOTALS() override { ++cleared; }
};

std::vector<int> marked(const ext::WINMARKCLASS& m)
{
    std::vector<int> out;
    for (const auto& id : m.MARKQ)
        out.push_back(id.toInt());
    std::sort(out.begin(), out.end());
    return out;
}

class Marking : public ::testing::Test {
protected:
    void SetUp() override
    {
        browse.resetFromView();
        marks.INIT(browse);
    }
    MemorySource source;
    Browse browse{source};
    CountingMarks marks;
};

} // namespace

TEST_F(Marking, ClicksMarkOneToggleAndRuns)
{
    marks.click(1, Qt::NoModifier);
    EXPECT_EQ(marked(marks), std::vector<int>({2}));
    marks.click(4, Qt::ShiftModifier); // anchor row 1 (id 2) to row 4 (id 5)
    EXPECT_EQ(marked(marks), std::vector<int>({2, 3, 4, 5}));

    marks.click(6, Qt::NoModifier); // a plain click starts again
    marks.click(3, Qt::ShiftModifier); // above the anchor: the rows between are marked too
    EXPECT_EQ(marked(marks), std::vector<int>({4, 5, 6, 7}));

    marks.totals.clear();
    marks.click(4, Qt::ControlModifier); // Ctrl on a marked row unmarks it
    EXPECT_EQ(marked(marks), std::vector<int>({4, 6, 7}));
    EXPECT_EQ(marks.totals, std::vector<bool>({false}));
    marks.click(9, Qt::ControlModifier);
    EXPECT_EQ(marked(marks), std::vector<int>({4, 6, 7, 10}));
    EXPECT_TRUE(marks.SETQUEUERECORD(9));
    EXPECT_FALSE(marks.SETQUEUERECORD(8));
}

TEST_F(Marking, KeysMarkOnlyTheCurrentOrExtendAndShrinkTheRun)
{
    marks.click(2, Qt::NoModifier);
    ASSERT_TRUE(marks.takeKey(Qt::Key_Down, Qt::ShiftModifier));
    ASSERT_TRUE(marks.takeKey(Qt::Key_Down, Qt::ShiftModifier));
    EXPECT_EQ(marked(marks), std::vector<int>({3, 4, 5}));
    marks.takeKey(Qt::Key_Up, Qt::ShiftModifier); // back: the far end goes
    EXPECT_EQ(marked(marks), std::vector<int>({3, 4}));
    EXPECT_EQ(browse.selected(), 3);

    marks.takeKey(Qt::Key_Down, Qt::NoModifier); // a plain step marks only the new row
    EXPECT_EQ(marked(marks), std::vector<int>({5}));
    marks.takeKey(Qt::Key_Space, Qt::NoModifier);
    EXPECT_EQ(marked(marks), std::vector<int>({5}));
    EXPECT_FALSE(marks.takeKey(Qt::Key_PageDown, Qt::NoModifier)); // plain paging is the list's

    marks.takeKey(Qt::Key_PageDown, Qt::ShiftModifier, 3); // from row 4 three rows on
    EXPECT_EQ(marked(marks), std::vector<int>({5, 6, 7, 8}));
    marks.takeKey(Qt::Key_End, Qt::ShiftModifier); // unmark all, then anchor..end
    EXPECT_EQ(marked(marks), std::vector<int>({8, 9, 10}));
    marks.takeKey(Qt::Key_Home, Qt::ShiftModifier); // anchor here (last row), run to the top
    EXPECT_EQ(marks.MARKQ.size(), 10u);

    marks.takeKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(marks.MARKQ.size(), 10u);
    marks.UNMARKALL();
    EXPECT_TRUE(marks.MARKQ.empty());
}

TEST_F(Marking, MarksFollowTheRecordsWhenTheListChanges)
{
    marks.click(0, Qt::NoModifier);
    marks.click(2, Qt::ControlModifier);
    source.ids = {3, 9, 1, 7}; // re-sorted, some gone
    browse.resetFromView();
    EXPECT_TRUE(marks.SETQUEUERECORD(0));  // id 3
    EXPECT_TRUE(marks.SETQUEUERECORD(2));  // id 1
    EXPECT_FALSE(marks.SETQUEUERECORD(1)); // id 9

    source.ids.clear();
    browse.resetFromView();
    marks.takeKey(Qt::Key_A, Qt::ControlModifier); // an empty list marks nothing
    EXPECT_TRUE(marks.MARKQ.empty());
}

TEST_F(Marking, ViewTurnsClicksAndKeysIntoMarks)
{
    BrowseView view(browse);
    view.resize(300, 300);
    new ext::WinMarkView(view, marks);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto rowPoint = [&](int row) { return view.visualRect(browse.model().index(row, 0)).center(); };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(3));
    EXPECT_EQ(marked(marks), std::vector<int>({2, 3, 4}));
    EXPECT_EQ(view.currentIndex().row(), 3);
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(marked(marks), std::vector<int>({2, 3, 4, 5}));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(marks.MARKQ.size(), 10u);

    // A marked row is painted in the highlight colour, an unmarked one is not.
    marks.click(5, Qt::NoModifier);
    view.viewport()->repaint();
    const QImage shot = view.viewport()->grab().toImage();
    const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
    const QPoint inMarked = rowPoint(5) + QPoint(-rowPoint(5).x() + 3, 0);
    const QPoint inPlain = rowPoint(7) + QPoint(-rowPoint(7).x() + 3, 0);
    EXPECT_EQ(shot.pixelColor(inMarked * shot.devicePixelRatio()), highlight);
    EXPECT_NE(shot.pixelColor(inPlain * shot.devicePixelRatio()), highlight);
}

// Categories of passwords: deleting categories takes their passwords with them.
class MarkedDelete : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        testsupport::installScriptedPresenter();
        ASSERT_EQ(Relate(Tbl::PasswordsKategorija).Open(), 0);
        ASSERT_EQ(Relate(Tbl::Passwords).Open(), 0);
        for (const char* name : {"Banka", "Posao", "Kuća", "Škola"}) {
            Access(Tbl::PasswordsKategorija).clearBuffer();
            PASK().NAZIV = name;
            ASSERT_EQ(Access(Tbl::PasswordsKategorija).Insert(), 0);
            const int category = PASK().ID;
            Access(Tbl::Passwords).clearBuffer();
            PAS().KATEGORIJAID = category;
            PAS().NAZIV = std::string("pw ") + name;
            ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
        }
        table = std::make_unique<FileBrowseSource>(
            Access(Tbl::PasswordsKategorija), Relate(Tbl::PasswordsKategorija),
            std::vector<FileBrowseSource::Column>{{"Naziv", [] { return QString::fromStdString(PASK().NAZIV); }}});
        table->addOrder({PASK.IDKey, {}, 0});
        browse = std::make_unique<Browse>(*table);
        browse->addOrder({"ID", -1});
        browse->resetFromView();
        marks.INIT(*browse, &Relate(Tbl::PasswordsKategorija));
    }
    std::unique_ptr<FileBrowseSource> table;
    std::unique_ptr<Browse> browse;
    ext::WINMARKCLASS marks;
};

TEST_F(MarkedDelete, SeveralMarksAskOnceAndDeleteWithChildrenInOneTransaction)
{
    marks.click(0, Qt::NoModifier);
    marks.click(2, Qt::ControlModifier);
    testsupport::presenter().queueButton(BUTTON_NO);
    EXPECT_EQ(marks.DELETEMARKEDRECORDS(), -1);
    EXPECT_EQ(count("PasswordsKategorija"), 4);

    testsupport::presenter().clear();
    testsupport::presenter().queueButton(BUTTON_YES);
    EXPECT_EQ(marks.DELETEMARKEDRECORDS(), 2);
    const auto asked = testsupport::presenter().calls("message");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Are you sure you want to delete marked records?");
    EXPECT_EQ(asked[0].caption, "Confirm delete");
    EXPECT_TRUE(m_errors.raised.empty()); // the relation manager did not ask as well
    EXPECT_EQ(query("SELECT NAZIV FROM PasswordsKategorija ORDER BY ID"), std::vector<std::string>({"Posao", "Škola"}));
    EXPECT_EQ(query("SELECT NAZIV FROM Passwords ORDER BY ID"), std::vector<std::string>({"pw Posao", "pw Škola"}));
    EXPECT_TRUE(marks.MARKQ.empty());
    EXPECT_EQ(browse->model().rowCount(), 2);
}

TEST_F(MarkedDelete, OneMarkAsksTheRelationManagersQuestionOnly)
{
    marks.click(1, Qt::NoModifier);
    m_errors.answers = {LEVEL_CANCEL};
    EXPECT_EQ(marks.DELETEMARKEDRECORDS(), -1);
    EXPECT_EQ(count("PasswordsKategorija"), 4);
    ASSERT_EQ(m_errors.raised.size(), 1u);
    EXPECT_EQ(m_errors.raised[0].first, Msg_ConfirmDelete);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());

    m_errors.answers = {LEVEL_BENIGN};
    EXPECT_EQ(marks.DELETEMARKEDRECORDS(), 1);
    EXPECT_EQ(count("PasswordsKategorija"), 3);
    EXPECT_EQ(count("Passwords"), 3);
}

TEST_F(MarkedDelete, AFailedDeleteLeavesEveryMarkedRecord)
{
    marks.takeKey(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(marks.MARKQ.size(), 4u);
    // Another program took the last category's passwords table away meanwhile: the cascade
    // of that category fails, and the deletes before it are undone with it.
    ASSERT_EQ(query("SELECT 1 FROM sqlite_master WHERE name = 'Passwords'").size(), 1u);
    {
        odbc::Statement s(*corvalde::ThreadSession().connection());
        ASSERT_TRUE(s.execDirect("CREATE TRIGGER NoDelete BEFORE DELETE ON Passwords WHEN OLD.NAZIV = 'pw Škola' "
                                 "BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    }
    testsupport::presenter().queueButton(BUTTON_YES);
    EXPECT_EQ(marks.DELETEMARKEDRECORDS(), -1);
    EXPECT_EQ(count("PasswordsKategorija"), 4);
    EXPECT_EQ(count("Passwords"), 4);
    EXPECT_EQ(marks.MARKQ.size(), 4u); // still marked: the user may try again
}

TEST_F(MarkedDelete, KeyMarksSkipRecordsThatCannotBeFetched)
{
    ext::WINMARKCLASSKEY keyed;
    keyed.INIT(*browse, &Relate(Tbl::PasswordsKategorija));
    keyed.INITKEY(Access(Tbl::PasswordsKategorija), PASK.IDKey, [] { return QVariant(PASK().ID); },
                  [](const QVariant& v) { PASK().ID = v.toInt(); });
    keyed.click(0, Qt::NoModifier);
    keyed.click(1, Qt::ControlModifier);
    const std::vector<QVariant> ids = keyed.MARKQ;
    query("DELETE FROM PasswordsKategorija WHERE ID = " + ids[0].toString().toStdString());
    int taken = 0;
    struct Counting : ext::WINMARKCLASSKEY {
        int* taken = nullptr;
        void TAKEMARKEDRECORD() override { ++*taken; }
    } counting;
    counting.taken = &taken;
    counting.INIT(*browse);
    counting.INITKEY(Access(Tbl::PasswordsKategorija), PASK.IDKey, [] { return QVariant(PASK().ID); },
                     [](const QVariant& v) { PASK().ID = v.toInt(); });
    counting.MARKQ = ids;
    counting.PROCESSMARKEDRECORDS();
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(keyed.GETFILE(ids[0]), 3);
    EXPECT_EQ(keyed.GETFILE(ids[1]), 0);
}
