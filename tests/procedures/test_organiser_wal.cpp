#include "procedures/organiser/window/Heartbeat.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/panes/PaneWidgets.h"
#include "runtime/Odbc.h"
#include "tests/procedures/StandInServices.h"
#include "tests/procedures/OrganiserFixture.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTableView>

using namespace organiser;

namespace {

struct SilentFrame : FrameLink {
    void notify(int, int) override {}
};

// The heartbeat's receives are not this test's.
struct NoLaunches : ProcessLauncher {
    bool startDetached(const QString&, const QStringList&) override { return true; }
    bool lastStillRunning() override { return false; }
};

} // namespace

// Mail arriving from the receive's own connection while the organiser shows the mail list:
// between its events the window holds no read open, so the log is checkpointed and reused
// instead of growing with every message.
TEST_F(OrganiserListsTest, TheLogStaysBoundedWhileMailArrivesWithTheListOpen)
{
    const SampleResult sample = fill();
    SilentFrame frame;
    OrganiserDeps deps;
    deps.dataFolder = m_folder->path();
    deps.frame = &frame;
    NoLaunches launcher;
    deps.launcher = &launcher;
    useDataLayer(deps);
    StandInServices standIns;
    standIns.fill(deps);
    OrganiserWindow window(deps);
    OrganiserPanes* panes = attachPanes(window);
    ASSERT_TRUE(window.open());
    window.resize(1200, 760);
    window.show();
    QDeadlineTimer deadline(5000);
    while (panes->pump().LayoutState != 2 && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    auto* page = window.findChild<QWidget*>(QStringLiteral("Email"));
    ASSERT_NE(page, nullptr);
    qobject_cast<QStackedWidget*>(page->parentWidget())->setCurrentWidget(page);
    const int shownFolder = int(sample.inboxId);
    panes->lists().setMailFolder(shownFolder); // the inbox chosen in the folder tree
    QApplication::processEvents();
    auto* list = qobject_cast<QTableView*>(window.manager().control(ctl::Email));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->model(), nullptr);
    ASSERT_GT(list->model()->rowCount(), 0);

    // The mail the preview shows, read by its key as the window does.
    EM().ID = 1;
    ASSERT_EQ(Access(Tbl::EMAIL).TryFetch(EM.IDKey), 0);

    vrt::odbc::Connection receive;
    ASSERT_TRUE(receive.open(W_First::connectionString(m_folder->path()))) << receive.error().text;
    const QString wal = m_folder->file(QStringLiteral("Files/Database.db-wal"));
    const std::string body(7000, 'x');
    qint64 largest = 0;
    constexpr int Batches = 60, PerBatch = 40; // about 17 MB of mail
    for (int b = 0; b < Batches; ++b) {
        {
            vrt::odbc::Transaction tx(receive);
            vrt::odbc::Statement add(receive);
            ASSERT_TRUE(add.prepare("INSERT INTO EMAIL (INBOXID, MESSAGEID, BODY, SUBJECT, SIZE_DECIMAL, READ) "
                                    "VALUES (?, ?, ?, 'nova', '0', 0)"));
            for (int i = 0; i < PerBatch; ++i) {
                add.clearParams();
                add.bindInt(1, shownFolder);
                add.bindText(2, "wal_" + std::to_string(b * PerBatch + i));
                add.bindText(3, body);
                ASSERT_TRUE(add.execute()) << add.error().text;
            }
            ASSERT_TRUE(tx.commit());
        }
        // The window notices the new mail, the list reads its ids again and shows the newest.
        window.heartbeat().advance(Heartbeat::ReadMarkCycle);
        panes->lists().list(ctl::Email).reset();
        list->scrollToBottom();
        QApplication::processEvents();
        largest = std::max(largest, QFileInfo(wal).size());
    }
    EXPECT_EQ(window.heartbeat().emailRowCount(), 300 + Batches * PerBatch) << "the window saw the mail arrive";
    // The list shows its first rows at once and takes the rest of its ids a moment later.
    QTRY_VERIFY(panes->lists().list(ctl::Email).browse().model().allIdsRead());
    EXPECT_GE(list->model()->rowCount(), Batches * PerBatch) << "the list shows it";
    EXPECT_EQ(list->model()->index(list->model()->rowCount() - 1, 3).data().toString(), QStringLiteral("nova"));
    EXPECT_LT(largest, 8 * 1024 * 1024) << "the log was reused after its checkpoints";
    window.shutDown();
}
