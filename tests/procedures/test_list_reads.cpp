// How often the organiser window's lists read their rows: once per start for each list, and
// after a user action only the lists whose range or data changed. A list re-read on every reset
// made the start slow at a million mails; the counts here make such a regression a failure.
#include <gtest/gtest.h>

#include "controls/Controls.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/Notify.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTreeView>

using namespace organiser;
using testsupport::waitFor;

namespace {

class ListReads : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        sample = fill();
        clearTreeQueues();
        controls::registerBuiltInControls();
    }
    void TearDown() override
    {
        window.reset();
        OrganiserListsTest::TearDown();
    }
    void open(int lastTab)
    {
        QFile ini(m_folder->file("Standard.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[LastTab]\r\nLast=%1\r\n").arg(lastTab).toUtf8());
        ini.close();
        window.reset(organiser::W_First(vrt::registerReceiver(new QObject(qApp)), nullptr));
        ASSERT_TRUE(window);
        panes = window->findChild<OrganiserPanes*>();
        ASSERT_NE(panes, nullptr);
        window->resize(1300, 800);
        window->show();
        // As the frame shows the stored page.
        vrt::notify(window->receiverId(), 2, lastTab);
        ASSERT_TRUE(waitFor([&] { return window->shownPage() == lastTab && window->hosted().gantt != nullptr; }));
        settle();
    }
    // Until no list waits for its deferred read.
    void settle() { ASSERT_TRUE(waitFor([] { return vrt::Browse::pendingReads() == 0; })); }
    std::map<int, int> reads()
    {
        std::map<int, int> out;
        for (const ListDef& def : organiserLists())
            out[def.control] = panes->lists().list(def.control).browse().reads();
        return out;
    }
    // Reads since `before`, only the lists that read.
    std::map<int, int> since(const std::map<int, int>& before)
    {
        std::map<int, int> out;
        for (const auto& [control, n] : reads())
            if (n != before.at(control))
                out[control] = n - before.at(control);
        return out;
    }
    OrganiserList& list(int control) { return panes->lists().list(control); }
    organiser::SampleResult sample;
    std::unique_ptr<OrganiserWindow> window;
    OrganiserPanes* panes = nullptr;
};

std::string show(const std::map<int, int>& m)
{
    std::string out;
    for (const auto& [control, n] : m)
        out += std::to_string(control) + ":" + std::to_string(n) + " ";
    return out;
}

} // namespace

TEST_F(ListReads, EachListIsReadOncePerStart)
{
    for (int page : {2, 1}) {
        SCOPED_TRACE(page);
        const quint64 before = vrt::Browse::totalReads();
        open(page);
        std::map<int, int> once;
        for (const ListDef& def : organiserLists())
            once[def.control] = 1;
        EXPECT_EQ(show(reads()), show(once));
        EXPECT_EQ(vrt::Browse::totalReads() - before, once.size());
        if (page == 2)
            EXPECT_GT(list(ctl::Email).rowCount(), 0) << "the mail page shows the inbox's mail";
        window.reset();
        clearTreeQueues();
    }
}

TEST_F(ListReads, AUserActionReadsOnlyTheListsItChanges)
{
    open(2);
    QTreeView* folders = panes->tree(tree::MailFolders);
    ASSERT_NE(folders, nullptr);
    OrganiserList& mails = list(ctl::Email);
    struct Case {
        const char* action;
        std::function<void()> run;
        std::map<int, int> reads;
    };
    const QModelIndex inbox = folders->currentIndex();
    ASSERT_TRUE(inbox.isValid());
    const QModelIndex other = folders->model()->index(0, 0, inbox.parent()) == inbox
                                  ? folders->model()->index(1, 0, inbox.parent())
                                  : folders->model()->index(0, 0, inbox.parent());
    ASSERT_TRUE(other.isValid());
    const std::vector<Case> cases{
        {"select another folder", [&] { folders->setCurrentIndex(other); }, {{ctl::Email, 1}}},
        {"select the inbox again", [&] { folders->setCurrentIndex(inbox); }, {{ctl::Email, 1}}},
        {"switch to the overview", [&] { vrt::notify(window->receiverId(), 2, 1); }, {}},
        {"switch back to the mail", [&] { vrt::notify(window->receiverId(), 2, 2); }, {}},
        {"receive mail",
         [&] {
             // As the mail program writes it; the heartbeat notices the count.
             vrt::odbc::Connection other;
             ASSERT_TRUE(other.open(GLO::OWNER));
             vrt::odbc::Statement s(other);
             ASSERT_TRUE(s.execDirect("INSERT INTO EMAIL (INBOXID, SUBJECT, MESSAGEID, READ, DATUM, VRIJEME) SELECT "
                                      "INBOXID, 'Nova', 'n@k', 0, DATUM, VRIJEME FROM EMAIL WHERE INBOXID = "
                                      + std::to_string(sample.inboxId) + " LIMIT 1"));
             const int rows = mails.rowCount();
             ASSERT_TRUE(waitFor([&] { return mails.browse().model().rowCount() == rows + 1; }));
         },
         {{ctl::Email, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        const auto before = reads();
        c.run();
        QApplication::processEvents();
        settle();
        EXPECT_EQ(show(since(before)), show(c.reads));
    }
}

TEST_F(ListReads, TheSelectionStaysOnItsRecordAcrossACoalescedRead)
{
    open(2);
    OrganiserList& mails = list(ctl::Email);
    OrganiserListView* view = panes->view(ctl::Email);
    ASSERT_GT(mails.rowCount(), 10);
    ASSERT_TRUE(mails.select(5));
    view->syncSelection();
    const QVariant id = mails.selectedId();
    const int readsBefore = mails.browse().reads();
    // Rows land above the selected one; several resets come in the same turn.
    query("INSERT INTO EMAIL (INBOXID, SUBJECT, MESSAGEID, READ, DATUM, VRIJEME) SELECT INBOXID, 'Prva', 'p' || ID || '@k', 1, DATUM, "
          "VRIJEME FROM EMAIL WHERE INBOXID = " + std::to_string(sample.inboxId) + " LIMIT 3");
    query("DELETE FROM EMAIL WHERE ID = (SELECT MIN(ID) FROM EMAIL WHERE INBOXID = " + std::to_string(sample.inboxId)
          + ")");
    for (int i = 0; i < 3; ++i) {
        mails.reset();
        window->manager().reset(true);
    }
    settle();
    EXPECT_EQ(mails.browse().reads(), readsBefore + 1) << "one read for the resets of one turn";
    EXPECT_EQ(mails.selectedId(), id);
    EXPECT_EQ(view->currentIndex().row(), mails.selected()) << "the view shows the same record selected";
    EXPECT_EQ(view->model()->index(view->currentIndex().row(), 0).data(Qt::UserRole), id);
}
