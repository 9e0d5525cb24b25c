#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "tests/procedures/StandInServices.h"
#include "tests/procedures/TreeQueuesGuard.h"
#include "runtime/Notify.h"
#include "tests/data/DataFixture.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>

using namespace organiser;

namespace {

struct SilentFrame : FrameLink {
    void notify(int, int) override {}
};

class OrganiserOnData : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        OrganiserDeps deps;
        deps.dataFolder = m_folder->path();
        deps.frame = &frame;
        deps.clock = &clock;
        useDataLayer(deps);
        window = std::make_unique<OrganiserWindow>(standIns.fill(deps));
        ASSERT_TRUE(window->open());
        ASSERT_TRUE(window->filesOpened());
    }
    void TearDown() override
    {
        window.reset();
        DataTest::TearDown();
    }
    int addMail(const char* messageId, int read)
    {
        Access(Tbl::AEMAIL).clearBuffer();
        EMA().MESSAGEID = messageId;
        EMA().READ = uint8_t(read);
        EXPECT_EQ(Access(Tbl::AEMAIL).Insert(), 0);
        return EMA().ID;
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            now += 10;
            window->manager().tick();
        }
    }
    SilentFrame frame;
    StandInServices standIns;
    HandClock clock;
    long long& now = clock.now;
    std::unique_ptr<OrganiserWindow> window;
};

} // namespace

TEST_F(OrganiserOnData, ANewRecordWhoseFormIsCancelledLeavesNoRow)
{
    window->dispatcher().dispatch(1015);
    EXPECT_EQ(standInLog(*window).take(), QStringList{"F_Contact()"});
    EXPECT_EQ(count("CON_Contacts"), 0);
    window->dispatcher().dispatch(1101);
    EXPECT_EQ(count("PrihodiRashodi"), 0);
}

TEST_F(OrganiserOnData, TheShownMailIsMarkedReadAndNewMailNoticed)
{
    const int id = addMail("a@x", 0);
    EM().ID = id; // the mail the preview shows
    EM().READ = 0;
    ticks(1); // the window's clock starts
    ticks(19); // 190 hundredths: not yet
    EXPECT_EQ(query("SELECT READ FROM EMAIL WHERE ID = " + std::to_string(id)), std::vector<std::string>{"0"});
    ticks(1);
    EXPECT_EQ(query("SELECT READ FROM EMAIL WHERE ID = " + std::to_string(id)), std::vector<std::string>{"1"});
    EXPECT_EQ(window->heartbeat().emailRowCount(), 1); // the mail that came after the opening
    addMail("b@x", 0);
    ticks(20);
    EXPECT_EQ(window->heartbeat().emailRowCount(), 2);
}

namespace {
class OrganiserProgram : public DataTest {};
} // namespace

TEST_F(OrganiserProgram, CommandsWhoseFormsAreNotBuiltTellTheUser)
{
    const int frameId = vrt::registerReceiver(new QObject(qApp));
    std::unique_ptr<OrganiserWindow> window(W_First(frameId, nullptr));
    ASSERT_TRUE(window);
    testsupport::presenter().clear();
    // Every command's form is built by now: one taken away stands for the next one missing.
    window->formTable()->attach(Form::R_Email, {});
    window->dispatcher().dispatch(2007); // the e-mail report
    const auto shown = testsupport::presenter().calls("message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Ovaj dio programa još nije dostupan.") << "no internal name reaches the user";
}
