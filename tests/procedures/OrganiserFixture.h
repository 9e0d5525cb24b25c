#pragma once
#include "procedures/common/TreeLists.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/common/OpenFiles.h"
#include "tools/sampledata/SampleData.h"
#include "tests/data/DataFixture.h"
#include "tests/procedures/TreeQueuesGuard.h"

#include <QSettings>

// An opened database in a temporary data folder, filled by the sample data generator on demand.
class OrganiserListsTest : public DataTest {
    TreeQueuesGuard m_treeQueues; // first made, last gone

protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        // The library's start-up sets the data folder to the current one; the program runs it
        // before anything else, so it must not run first in the middle of a test.
        VelmoraDll::load();
        THISPCPATH = m_folder->path().toStdString();
        ASSERT_EQ(W_First::OpenFilez(), 0);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Velmora", "Registry").clear();
    }
    organiser::SampleResult fill()
    {
        organiser::SampleSizes n;
        n.mails = 300;
        n.contacts = 40;
        n.tasks = 60;
        n.notes = 12;
        n.passwords = 20;
        n.documents = 12;
        n.incomeExpenses = 40;
        organiser::SampleResult r = organiser::generateSampleData(n);
        EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
        return r;
    }
    // Empties the trees' queues in the middle of a test (the guard empties them around it).
    static void clearTreeQueues() { TreeQueuesGuard::clear(); }
    static QStringList column(organiser::OrganiserList& l, const char* field)
    {
        QStringList out;
        for (int r = 0; r < l.rowCount(); ++r)
            out << l.cell(field, r);
        return out;
    }
};
