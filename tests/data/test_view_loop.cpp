// The record loop over a view: directions, stopping, re-reading each record, and the guards
// that keep Open and Reset from running inside themselves.
#include "tests/data/DataFixture.h"
#include "runtime/ViewManagerLoop.h"

using namespace vrt;

namespace {
struct Loop : MH::VIEWMANAGER {
    using MH::VIEWMANAGER::VIEWMANAGER;
    std::vector<std::string> taken;
    uint8_t stopAt = 0; // the record (1-based) whose TAKERECORD answers 7
    int opensInRange = 0;
    int ranges = 0;
    bool openInRange = false;
    uint8_t TAKERECORD() override
    {
        taken.push_back(PAS().NAZIV);
        return taken.size() == stopAt ? 7 : 0;
    }
    int ApplyRange() override
    {
        ++ranges;
        if (openInRange) {
            ++opensInRange;
            Open(); // does nothing: Open is running
            Reset(true);
        }
        return MH::VIEWMANAGER::ApplyRange();
    }
};

class ViewLoop : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* name : {"alfa", "beta", "gama"}) {
            Access(Tbl::Passwords).clearBuffer();
            PAS().NAZIV = name;
            ASSERT_EQ(Access(Tbl::Passwords).Insert(), 0);
        }
    }
};
} // namespace

TEST_F(ViewLoop, RunsForwardsBackwardsAndStops)
{
    Loop view(Access(Tbl::Passwords));
    EXPECT_EQ(view.RUN(false, 1), 0);
    EXPECT_EQ(view.taken, (std::vector<std::string>{"alfa", "beta", "gama"}));
    EXPECT_FALSE(view.Opened());
    for (int direction : {0, -1}) {
        view.taken.clear();
        view.RUN(false, direction);
        EXPECT_EQ(view.taken, (std::vector<std::string>{"gama", "beta", "alfa"})) << direction;
    }
    view.taken.clear();
    EXPECT_EQ(view.RUN(false, 1, true), 0);
    EXPECT_EQ(view.taken, std::vector<std::string>{"alfa"});
    view.taken.clear();
    view.stopAt = 2;
    EXPECT_EQ(view.RUN(true, 1), 7);
    EXPECT_EQ(view.taken, (std::vector<std::string>{"alfa", "beta"}));
}

TEST_F(ViewLoop, AnEmptyViewTakesNothing)
{
    Loop view(Access(Tbl::Passwords));
    view.SetFilter("PAS:NAZIV = 'nema'");
    EXPECT_EQ(view.RUN(false, 1), 0);
    EXPECT_TRUE(view.taken.empty());
}

TEST_F(ViewLoop, OpenInsideApplyRangeDoesNothing)
{
    Loop view(Access(Tbl::Passwords));
    view.openInRange = true;
    EXPECT_EQ(view.RUN(false, 1), 0);
    EXPECT_EQ(view.taken.size(), 3u);
    // Open's own range, the one after it, the reset's, and the one of the reset the second
    // range asked for; the reset asked for inside a reset and every nested Open did nothing.
    EXPECT_EQ(view.ranges, 4);
    EXPECT_FALSE(view.BLOCKOPEN);
    EXPECT_FALSE(view.BLOCKRESET);
}

TEST_F(ViewLoop, RereadingARecordGoneMeanwhileClearsTheBuffer)
{
    struct Vanishing : Loop {
        using Loop::Loop;
        int Next() override
        {
            const int status = MH::VIEWMANAGER::Next();
            if (status == NoError && PAS().NAZIV == "beta") {
                odbc::Statement s(*corvalde::ThreadSession().connection());
                EXPECT_TRUE(s.execDirect("DELETE FROM Passwords WHERE NAZIV = 'beta'"));
            }
            return status;
        }
    } view(Access(Tbl::Passwords));
    ASSERT_EQ(view.Open(), NoError);
    EXPECT_EQ(view.NEXT(true), NoError);
    EXPECT_EQ(PAS().NAZIV, "alfa");
    EXPECT_EQ(view.NEXT(true), RecordNotAvailable);
    EXPECT_EQ(PAS().NAZIV, "");
    EXPECT_EQ(PAS().ID, 0);
    view.Close();
}
