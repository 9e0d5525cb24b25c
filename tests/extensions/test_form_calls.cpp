#include "tests/data/DataFixture.h"

#include "extensions/FormCalls.h"
#include "runtime/Browse.h"
#include "runtime/FileBrowse.h"

#include <QCoreApplication>
#include <QTest>

using namespace SSTF::TBF;

namespace {

class FormCalls : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(Relate(Tbl::CON_Contacts).Open(), 0);
        for (const char* name : {"Horvat", "Kovač", "Babić"}) {
            Access(Tbl::CON_Contacts).clearBuffer();
            CON().PREZIME = name;
            ASSERT_EQ(Access(Tbl::CON_Contacts).Insert(), 0);
        }
        source = std::make_unique<vrt::FileBrowseSource>(
            Access(Tbl::CON_Contacts), Relate(Tbl::CON_Contacts),
            std::vector<vrt::FileBrowseSource::Column>{{"Prezime", [] { return QString::fromStdString(CON().PREZIME); }}});
        source->addOrder({-1, "+CON:ID", 0});
        for (int i = 0; i < 2; ++i) {
            lists[i] = std::make_unique<vrt::Browse>(*source);
            lists[i]->addOrder({"ID", -1});
            controls[i].setObjectName("?List");
            lists[i]->resetFromView();
            companions[i].INIT(global, i + 1, "T_Kontakti", *lists[i], Access(Tbl::CON_Contacts), &controls[i]);
        }
    }
    QStringList shown(int i)
    {
        QStringList out;
        for (const auto& r : lists[i]->model().rows())
            out << r.cells[0];
        return out;
    }
    // The browse loads its selected record and starts the form of context 10.
    void start(int request)
    {
        ASSERT_TRUE(source->load(lists[0]->selectedId()));
        companions[0].STARTCALL(10, request);
    }
    GLOBALCLASS global;
    std::unique_ptr<vrt::FileBrowseSource> source;
    std::unique_ptr<vrt::Browse> lists[2];
    QObject controls[2];
    BROWSECLASS companions[2];
};

TEST_F(FormCalls, CompletedChangeRefreshesEveryInstance)
{
    lists[0]->select(1);
    start(REQUEST_CHANGE);
    EXPECT_EQ(global.calls(), 1u);
    Access(Tbl::CON_Contacts).clearBuffer(); // the form has a buffer of its own
    FORMCLASS form;
    int request = 0;
    form.INIT(global, Access(Tbl::CON_Contacts), 10, request);
    EXPECT_EQ(request, REQUEST_CHANGE);
    EXPECT_EQ(form.CATCHCALL(), 0);
    EXPECT_EQ(CON().PREZIME, "Kovač"); // the browse's record came over
    CON().PREZIME = "Kovačić";
    ASSERT_EQ(Access(Tbl::CON_Contacts).Update(), 0);
    form.RETURNCALL(1);
    QTRY_COMPARE(shown(0), QStringList({"Horvat", "Kovačić", "Babić"}));
    QTRY_COMPARE(shown(1), QStringList({"Horvat", "Kovačić", "Babić"}));
    EXPECT_EQ(CON().PREZIME, "Kovačić"); // the final record is in the browse's buffer
    EXPECT_EQ(global.calls(), 0u);
    EXPECT_EQ(global.saved(), 0u);
    EXPECT_EQ(global.buffers(), 0u);
}

TEST_F(FormCalls, CompletedDeleteLeavesTheList)
{
    lists[0]->select(0);
    start(REQUEST_DELETE);
    FORMCLASS form;
    int request = 0;
    form.INIT(global, Access(Tbl::CON_Contacts), 10, request);
    form.CATCHCALL();
    ASSERT_EQ(Access(Tbl::CON_Contacts).DeleteRecord(), 0);
    form.RETURNCALL(1);
    QTRY_COMPARE(shown(0), QStringList({"Kovač", "Babić"}));
}

TEST_F(FormCalls, CancelledFormDropsTheCallAndTellsNobody)
{
    struct Counter : QObject {
        int events = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            events += e->type() == FormDoneEvent::type();
            return false;
        }
    } counter;
    controls[0].installEventFilter(&counter);
    controls[1].installEventFilter(&counter);
    lists[0]->select(2);
    start(REQUEST_CHANGE);
    FORMCLASS form;
    int request = 0;
    form.INIT(global, Access(Tbl::CON_Contacts), 10, request);
    form.CATCHCALL();
    form.RETURNCALL(2);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(counter.events, 0);
    EXPECT_EQ(global.calls(), 0u);
    EXPECT_EQ(global.saved(), 0u);
    EXPECT_EQ(global.buffers(), 0u);
    // A form started by no call does nothing.
    FORMCLASS alone;
    alone.INIT(global, Access(Tbl::CON_Contacts), 99, request);
    EXPECT_EQ(alone.BROWSETHREAD, 0);
    alone.RETURNCALL(1);
    EXPECT_EQ(global.saved(), 0u);
}

TEST_F(FormCalls, SavedImagesRestoreOrOnlyGo)
{
    CON().PREZIME = "Prvo";
    int64_t id = global.SAVEBUFFER(Access(Tbl::CON_Contacts));
    CON().PREZIME = "Drugo";
    global.RESTOREBUFFER(Access(Tbl::CON_Contacts), id, false);
    EXPECT_EQ(CON().PREZIME, "Drugo");
    EXPECT_EQ(id, 0);
    id = global.SAVEBUFFER(Access(Tbl::CON_Contacts));
    CON().PREZIME = "Treće";
    global.RESTOREBUFFER(Access(Tbl::CON_Contacts), id, true);
    EXPECT_EQ(CON().PREZIME, "Drugo");
    // Ids never repeat, however many images came and went.
    int64_t last = 0;
    for (int i = 0; i < 70000; ++i) {
        int64_t next = global.SAVEBUFFER(Access(Tbl::CON_Contacts));
        EXPECT_GT(next, last);
        last = next;
        global.RESTOREBUFFER(Access(Tbl::CON_Contacts), next, false);
    }
    EXPECT_EQ(global.buffers(), 0u);
    // A browse that closes takes its calls with it.
    lists[0]->select(0);
    start(REQUEST_CHANGE);
    companions[0].KILL();
    EXPECT_EQ(global.calls(), 0u);
    EXPECT_EQ(global.saved(), 0u);
}

} // namespace
