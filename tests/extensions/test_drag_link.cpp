#include "tests/data/DataFixture.h"

#include "extensions/DragLink.h"
#include "runtime/Browse.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"

#include <QMimeData>

namespace {

// Products dragged onto a document's items: the items link documents and products.
class DragLink : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(Relate(Tbl::ProizvodUsluga).Open(), 0);
        ASSERT_EQ(Relate(Tbl::IDStavke).Open(), 0);
        for (const char* name : {"Vijak", "Matica", "Podloška"}) {
            Access(Tbl::ProizvodUsluga).clearBuffer();
            PRU().NAZIV = name;
            ASSERT_EQ(Access(Tbl::ProizvodUsluga).Insert(), 0);
        }
        products = std::make_unique<vrt::FileBrowseSource>(
            Access(Tbl::ProizvodUsluga), Relate(Tbl::ProizvodUsluga),
            std::vector<vrt::FileBrowseSource::Column>{{"Naziv", [] { return QString::fromStdString(PRU().NAZIV); }}});
        products->addOrder({-1, "+PRU:ID", 0});
        items = std::make_unique<vrt::FileBrowseSource>(
            Access(Tbl::IDStavke), Relate(Tbl::IDStavke),
            std::vector<vrt::FileBrowseSource::Column>{{"Proizvod", [] { return QString::number(IDS().PROIZVODUSLUGAID); }}});
        items->addOrder({-1, "+IDS:ID", 0});
        from = std::make_unique<vrt::Browse>(*products);
        from->addOrder({"ID", -1});
        to = std::make_unique<vrt::Browse>(*items);
        to->addOrder({"ID", -1});
        to->setFilter("IDS:DOKUMENTID = 1");
        from->resetFromView();
        to->resetFromView();
        fromView = std::make_unique<vrt::BrowseView>(*from);
        toView = std::make_unique<vrt::BrowseView>(*to);
        link.ADDENTITY("F", {&Relate(Tbl::ProizvodUsluga), &Access(Tbl::ProizvodUsluga), from.get(), fromView.get()});
        link.ADDENTITY("T", {&Relate(Tbl::IDStavke), &Access(Tbl::IDStavke), to.get(), toView.get()});
        link.ADDENTITY("X", {});
        ASSERT_TRUE(link.ADDPAIR("PRU:ID", "IDS:PROIZVODUSLUGAID"));
        ASSERT_FALSE(link.ADDPAIR("PRU:NEMA", "IDS:PROIZVODUSLUGAID"));
    }
    QStringList linked()
    {
        QStringList out;
        for (const auto& r : to->model().rows())
            out << r.cells[0];
        return out;
    }
    int itemRows()
    {
        const auto rows = query("SELECT COUNT(*) FROM IDStavke");
        return rows.empty() ? -1 : std::stoi(rows[0]);
    }

    struct Refusing : SDD::M2M_CLASS {
        bool refuse = false;
        bool BEFOREJOINING() override { return refuse; }
        void primeLink() override { IDS().DOKUMENTID = 1; }
    };
    std::unique_ptr<vrt::FileBrowseSource> products, items;
    std::unique_ptr<vrt::Browse> from, to;
    std::unique_ptr<vrt::BrowseView> fromView, toView;
    Refusing link;
};

TEST_F(DragLink, DroppingLinksAndDraggingBackUnlinks)
{
    link.INIT([] { return QStringLiteral("IDS:DOKUMENTID = 1 AND IDS:PROIZVODUSLUGAID = %1").arg(PRU().ID); });
    link.INITDD(true);
    ASSERT_TRUE(link.FWDMGR && link.BWDMGR);
    EXPECT_TRUE(link.FWDMGR->ID.startsWith("SDD"));
    EXPECT_EQ(link.FWDMGR->ID.size(), 10);

    ASSERT_TRUE(link.FWDMGR->dropRow(1, {}));
    EXPECT_EQ(linked(), QStringList{"2"});
    EXPECT_TRUE(link.ISUSED()); // Matica is on the document now
    ASSERT_TRUE(link.FWDMGR->dropRow(2, {}));
    EXPECT_EQ(linked(), QStringList({"2", "3"}));
    EXPECT_EQ(itemRows(), 2);

    // A drop of another pair on the same list is not this pair's.
    QMimeData other;
    other.setData(SDD::DRAGANDDROPCLASS::mimeType(), "SDD000000F");
    other.setText("0");
    EXPECT_FALSE(link.FWDMGR->takeDrop(&other, {}));
    EXPECT_EQ(itemRows(), 2);

    // Back: no question, the link goes.
    ASSERT_TRUE(link.BWDMGR->dropRow(0, {}));
    EXPECT_EQ(linked(), QStringList{"3"});
    EXPECT_EQ(itemRows(), 1);
    EXPECT_TRUE(testsupport::presenter().calls("message").empty());
    from->select(1);
    ASSERT_TRUE(products->load(from->selectedId()));
    EXPECT_FALSE(link.ISUSED());
}

TEST_F(DragLink, RefusedLinkLeavesNoRecordAndOneWayHasNoWayBack)
{
    link.INIT();
    link.INITDD(false);
    EXPECT_FALSE(link.BWDMGR);
    EXPECT_FALSE(link.ISUSED()); // no filter: never
    link.refuse = true;
    ASSERT_TRUE(link.FWDMGR->dropRow(0, {}));
    EXPECT_EQ(itemRows(), 0);
    EXPECT_EQ(linked(), QStringList{});
    link.refuse = false;
    ASSERT_TRUE(link.FWDMGR->dropRow(0, {}));
    EXPECT_EQ(linked(), QStringList{"1"});
}

} // namespace
