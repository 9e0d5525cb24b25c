#pragma once
#include "data/Dictionary.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/organiser/lists/ListSet.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/Notify.h"
#include "tests/data/DataFixture.h"

#include <QApplication>
#include <QTreeView>

// The organiser window as the program opens it, over a fresh database, with helpers that add
// categories and entries and drive the finance page's tree.
class FinanceTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        VelmoraDll::PrihodiRashodiQ().clear();
        const int frameId = vrt::registerReceiver(new QObject(qApp));
        window.reset(organiser::W_First(frameId, nullptr));
        ASSERT_TRUE(window);
        testsupport::presenter().clear();
    }
    void TearDown() override
    {
        window.reset();
        VelmoraDll::PrihodiRashodiQ().clear();
        DataTest::TearDown();
    }
    long category(const char* name, long parent, int type)
    {
        Access(Tbl::PrihodiRashodiKategorija).clearBuffer();
        PRK().NAZIV = name;
        PRK().TATAID = int32_t(parent);
        PRK().TIP = uint8_t(type);
        EXPECT_EQ(Access(Tbl::PrihodiRashodiKategorija).Insert(), 0);
        return PRK().ID;
    }
    long entry(long categoryId, int type, const char* amount, int day = 0, const char* name = "stavka")
    {
        Access(Tbl::PrihodiRashodi).clearBuffer();
        PR().KATEGORIJAID = int32_t(categoryId);
        PR().TIPID = type;
        PR().IZNOS_DECIMAL = amount;
        PR().NAZIV = name;
        PR().DATUM = day;
        EXPECT_EQ(Access(Tbl::PrihodiRashodi).Insert(), 0);
        return PR().ID;
    }
    organiser::OrganiserPanes& panes() { return *window->findChild<organiser::OrganiserPanes*>(); }
    QTreeView* tree() { return panes().tree(organiser::tree::Categories); }
    VelmoraDll::TreeQueueModel* treeModel() { return static_cast<VelmoraDll::TreeQueueModel*>(tree()->model()); }
    organiser::OrganiserList& entries() { return panes().lists().list(organiser::ctl::Pr); }
    // Fills the tree as the finance tab does and selects the row of category `id`.
    void select(long id)
    {
        const auto shown = [&] {
            for (const auto& row : treeModel()->queue())
                if (row.ID == id)
                    return true;
            return false;
        };
        if (VelmoraDll::PrihodiRashodiQ().empty() || !shown())
            window->paneRoutines().FillFinanceCategoryTree();
        const auto& q = treeModel()->queue();
        for (size_t p = 0; p < q.size(); ++p)
            if (q[p].ID == id) {
                tree()->setCurrentIndex(treeModel()->indexOfPosition(int(p)));
                return;
            }
        ADD_FAILURE() << "no tree row " << id;
    }
    QStringList listed(const char* field)
    {
        QStringList out;
        for (int r = 0; r < entries().rowCount(); ++r)
            out << entries().cell(field, r);
        out.sort();
        return out;
    }
    QString balanceText() { return treeModel()->queue().back().NAZIV; }

    std::unique_ptr<organiser::OrganiserWindow> window;
};
