#include "tests/support/TestSupport.h"

#include "extensions/FilterBuilderView.h"
#include "extensions/QuickFilterWindows.h"
#include "runtime/Browse.h"
#include "runtime/BrowseView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace ext;

namespace {

class Names : public vrt::BrowseSource {
public:
    QStringList headers() const override { return {"Prezime", "Grad"}; }
    std::vector<vrt::BrowseRow> fetchRows(const vrt::BrowseQuery&) override
    {
        return {{1, {"Horvat", "Zagreb"}}, {2, {"Kovač", "Split"}}, {3, {"Babić", "Rijeka"}}};
    }
    bool load(const QVariant& id) override
    {
        current = id.toInt();
        return true;
    }
    std::optional<QVariant> primeRecord() override { return std::nullopt; }
    bool deleteRecord(const QVariant&) override { return false; }
    int current = 0;
};

// Drives one modal window: `act` fills it in and presses its button.
vrt::DialogRunner drive(std::function<void(QDialog&)> act)
{
    return [act](QDialog& d) {
        act(d);
        return d.result();
    };
}

} // namespace

TEST(QuickFilterWindowsTest, KeysAndTheSearchSaveAndLoadWindows)
{
    testsupport::TempFolder folder;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    testsupport::OnScopeExit back([old] { QDir::setCurrent(old); });

    Names source;
    vrt::Browse browse(source);
    browse.resetFromView();
    vrt::BrowseView view(browse);
    BrowseQuickFilterAdapter adapter(browse);
    XQUICKFILTERCLASS qf;
    XQUICKFILTERCLASS::Keys keys;
    keys.enable = QuickFilterWindows::keyCode(Qt::Key_F5, Qt::NoModifier);
    keys.enableInstringString = QuickFilterWindows::keyCode(Qt::Key_F6, Qt::NoModifier);
    keys.disable = QuickFilterWindows::keyCode(Qt::Key_F7, Qt::NoModifier);
    keys.disableAll = QuickFilterWindows::keyCode(Qt::Key_F7, Qt::ShiftModifier);
    qf.INIT(1, adapter, keys, "Filtrirano", "", false, false, false, false);
    qf.SETOPTIONS(0, QuickFilterWindows::keyCode(Qt::Key_L, Qt::ControlModifier),
                  QuickFilterWindows::keyCode(Qt::Key_S, Qt::ControlModifier));
    qf.SETFILTERFILENAME(true, "Imenik", "Imenik", true);
    qf.ADDFIELD([&] { return browse.model().rows()[size_t(browse.selected())].cells[0]; }, 0, "CON:Prezime", "Prezime",
                "@s40");
    qf.ADDFIELD([&] { return browse.model().rows()[size_t(browse.selected())].cells[1]; }, 1, "CON:Grad", "Grad",
                "@n5");
    auto* windows = new QuickFilterWindows(qf, view);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    browse.select(1);
    view.syncSelection();
    QTest::keyClick(&view, Qt::Key_F5);
    EXPECT_EQ(browse.filter(), "CON:Prezime = 'Kovač'");

    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Search");
            d.findChild<QPushButton*>("range")->click(); // a range of numbers
            EXPECT_EQ(d.windowTitle(), "Numbers");
            d.findChild<QLineEdit*>("low")->setText("10");
            d.findChild<QLineEdit*>("high")->setText("20");
            d.findChild<QPushButton*>("apply")->click();
        }));
        view.setCurrentIndex(browse.model().index(1, 1));
        QTest::keyClick(&view, Qt::Key_F6);
    }
    EXPECT_EQ(browse.filter(), "CON:Prezime = 'Kovač' AND INRANGE(CON:Grad,10,20)");

    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            d.findChild<QLineEdit*>("name")->setText("Kovači");
            d.findChild<QCheckBox*>("default")->setChecked(true);
            d.findChild<QPushButton*>("ok")->click();
        }));
        QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    }
    ASSERT_EQ(qf.FF.size(), 1u);
    EXPECT_EQ(qf.FF[0].FILTERSTYLE, 2);

    QTest::keyClick(&view, Qt::Key_F7, Qt::ShiftModifier); // cancel all
    EXPECT_EQ(browse.filter(), "");
    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            auto* list = d.findChild<QListWidget*>("list");
            ASSERT_EQ(list->count(), 1);
            EXPECT_TRUE(list->item(0)->font().bold());
            d.findChild<QPushButton*>("load")->click();
        }));
        QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    }
    EXPECT_EQ(browse.filter(), "CON:Prezime = 'Kovač' AND INRANGE(CON:Grad,10,20)");
    EXPECT_EQ(qf.LOADEDFILTERNAME(), "Kovači");

    // The drop list of saved filters: "none" cancels the loaded filter, a name loads it.
    QComboBox quick;
    windows->setQuickList(&quick);
    ASSERT_EQ(quick.count(), 2);
    EXPECT_EQ(quick.itemText(0), "none");
    EXPECT_EQ(quick.currentIndex(), 1);
    emit quick.activated(0);
    EXPECT_FALSE(qf.LOADEDFILTERSTATE());
    EXPECT_EQ(browse.filter(), "");
    emit quick.activated(1);
    EXPECT_EQ(browse.filter(), "CON:Prezime = 'Kovač' AND INRANGE(CON:Grad,10,20)");

    // An entry of the window registered as a field: its keys act on that field.
    QLineEdit city;
    qf.ADDFIELD([&] { return city.text(); }, 0, "CON:Mjesto", "Mjesto", "@s20", 40);
    windows->addRegion(&city, 40);
    city.setText("Zadar");
    QTest::keyClick(&city, Qt::Key_F5);
    EXPECT_EQ(browse.filter(), "CON:Mjesto = 'Zadar' AND(CON:Prezime = 'Kovač' AND INRANGE(CON:Grad,10,20))");
    qf.SETVORNISET(true); // now a click offers the four ways instead
    QTest::keyClick(&city, Qt::Key_F7);
    EXPECT_EQ(qf.FILTERNUM, 1);

    // "Show Filters" lists the fields with their conditions.
    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Show Filters");
            auto* table = d.findChild<QTableWidget*>();
            ASSERT_NE(table, nullptr);
            ASSERT_EQ(table->rowCount(), 3);
            EXPECT_EQ(table->horizontalHeaderItem(8)->text(), "FilterToFilter");
            QStringList conditions;
            for (int row = 0; row < 3; ++row)
                conditions << table->item(row, 8)->text();
            EXPECT_TRUE(conditions.contains("CON:Mjesto = 'Zadar'"));
        }));
        windows->showFilters();
    }
}

TEST(FilterBuilderViewTest, InsertDropDeleteAndQueryNames)
{
    testsupport::TempFolder folder;
    CFILTERLIST filter;
    filter.INIT();
    filter.ADDCOL("Name", "CON:Prezime", 18, "@s40", false);
    filter.ADDCOL("City", "CON:Grad", 18, "@s40", false);
    filter.APPNAME = "Velmora";
    filter.PROCNAME = "Imenik";
    filter.INITINI(folder.file("q.ini"));
    FilterBuilderView view(filter);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QTest::keyClick(&view, Qt::Key_Escape); // nothing to edit yet
    view.insertCondition();
    QTest::keyClick(view.viewport()->focusWidget() ? view.viewport()->focusWidget() : &view, Qt::Key_Escape);
    auto& model = view.builderModel();
    ASSERT_EQ(model.rowCount(), 1);
    model.setData(model.index(0, 0), "City", Qt::EditRole);
    model.setData(model.index(0, 1), "Contains", Qt::EditRole);
    model.setData(model.index(0, 2), "greb", Qt::EditRole);
    EXPECT_EQ(filter.FILTERQ[0].CONNECTION, "DONE");

    QMimeData mime;
    mime.setText("Name[+];Horvat");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 2).data().toString(), "Horvat");
    EXPECT_EQ(filter.GETFILTER(), "( MATCH(upper(CON:Grad) , '*GREB*') AND upper(CON:Prezime)  = 'HORVAT')");

    // Changing the first connector to "OR" keeps the query ended by the last one.
    model.setData(model.index(0, 3), "OR", Qt::EditRole);
    EXPECT_EQ(model.rowCount(), 2);

    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            d.findChild<QLineEdit*>("name")->setText("Zagrepčani");
            d.findChild<QPushButton*>("ok")->click();
        }));
        filter.SAVE();
    }
    EXPECT_EQ(filter.queryNames(), QStringList({"Zagrepčani"}));

    view.setCurrentIndex(model.index(1, 0));
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(filter.FILTERQ[0].CONNECTION, "DONE");

    {
        testsupport::ScopedDialogRunner r(drive([](QDialog& d) {
            d.findChild<QPushButton*>("select")->click();
        }));
        filter.LOAD();
    }
    model.reload();
    EXPECT_EQ(model.rowCount(), 2);
}
