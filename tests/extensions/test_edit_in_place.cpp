#include <gtest/gtest.h>

#include "extensions/EditInPlaceView.h"
#include "runtime/DateTime.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace {

// Edits in place on a fixed day, 6.6.2020.
struct FixedDayEdit : SBRW::EditInPlace {
    using SBRW::EditInPlace::EditInPlace;
    int today() const override { return vrt::dayFromDate(QDate(2020, 6, 6)); }
};

struct Table {
    QStandardItemModel model{3, 4};
    QTableView view;
    FixedDayEdit edit{&view};
    bool refuse = false;
    Table()
    {
        for (int r = 0; r < 3; ++r) {
            model.setItem(r, 0, new QStandardItem(QStringLiteral("n%1").arg(r)));
            model.setItem(r, 1, new QStandardItem(QStringLiteral("15.03.2024")));
            model.setItem(r, 2, new QStandardItem(QStringLiteral("a")));
            model.setItem(r, 3, new QStandardItem(QStringLiteral("x")));
        }
        view.setModel(&model);
        view.resize(500, 200);
        view.show();
        auto column = [this](int c, SBRW::CellKind kind, QStringList choices = {}) {
            edit.addColumn(c, {kind, [this, c](int r) { return model.item(r, c)->text(); },
                               [this, c](int r, const QString& v) {
                                   if (refuse)
                                       return false;
                                   model.item(r, c)->setText(v);
                                   return true;
                               },
                               choices});
        };
        column(0, SBRW::CellKind::Entry);
        column(1, SBRW::CellKind::Date);
        column(2, SBRW::CellKind::DropList, {"a", "b", "c"});
    }
    QLineEdit* entry() { return qobject_cast<QLineEdit*>(edit.control()); }
};

TEST(EditInPlaceView, TabEnterEscAndArrowsEndTheEdit)
{
    Table t;
    ASSERT_TRUE(t.edit.edit(0, 0));
    EXPECT_FALSE(t.edit.edit(0, 3)); // not an editable column
    ASSERT_TRUE(t.edit.edit(0, 0));
    t.entry()->setText("prvi");
    QTest::keyClick(t.entry(), Qt::Key_Tab);
    EXPECT_EQ(t.model.item(0, 0)->text(), "prvi");
    EXPECT_EQ(t.edit.column(), 1);
    QTest::keyClick(t.edit.control(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(t.edit.column(), 0);
    t.entry()->setText("ne");
    QTest::keyClick(t.entry(), Qt::Key_Escape);
    EXPECT_FALSE(t.edit.editing());
    EXPECT_EQ(t.model.item(0, 0)->text(), "prvi"); // Esc keeps the cell

    ASSERT_TRUE(t.edit.edit(0, 0));
    QTest::keyClick(t.entry(), Qt::Key_Down);
    EXPECT_EQ(t.edit.row(), 1);
    QTest::keyClick(t.entry(), Qt::Key_Up);
    EXPECT_EQ(t.edit.row(), 0);
    t.entry()->setText("gotovo");
    QTest::keyClick(t.entry(), Qt::Key_Return);
    EXPECT_FALSE(t.edit.editing());
    EXPECT_EQ(t.edit.lastAction(), SBRW::EDIT_COMPLETE);
    EXPECT_EQ(t.model.item(0, 0)->text(), "gotovo");

    // Tab on the last column goes to the next row's first; a refused value stays in the cell.
    ASSERT_TRUE(t.edit.edit(0, 2));
    QTest::keyClick(t.edit.control(), Qt::Key_Down); // the drop list uses the arrows itself
    EXPECT_EQ(t.edit.row(), 0);
    EXPECT_EQ(qobject_cast<QComboBox*>(t.edit.control())->currentText(), "b");
    QTest::keyClick(t.edit.control(), Qt::Key_Tab);
    EXPECT_EQ(t.model.item(0, 2)->text(), "b");
    EXPECT_EQ(t.edit.row(), 1);
    EXPECT_EQ(t.edit.column(), 0);
    t.refuse = true;
    QTest::keyClick(t.entry(), Qt::Key_Tab);
    EXPECT_TRUE(t.edit.editing());
    EXPECT_EQ(t.edit.column(), 0);
}

TEST(EditInPlaceView, DateCellsTakeTheQuickKeys)
{
    Table t;
    ASSERT_TRUE(t.edit.edit(0, 1));
    QTest::keyClick(t.entry(), Qt::Key_M);
    EXPECT_EQ(t.entry()->text(), "01.03.2024");
    QTest::keyClick(t.entry(), Qt::Key_M);
    EXPECT_EQ(t.entry()->text(), "01.02.2024");
    QTest::keyClick(t.entry(), Qt::Key_H);
    EXPECT_EQ(t.entry()->text(), "29.02.2024");
    QTest::keyClick(t.entry(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(t.entry()->text(), "01.03.2024");
    QTest::keyClick(t.entry(), Qt::Key_T);
    EXPECT_EQ(t.entry()->text(), "06.06.2020");
    QTest::keyClick(t.entry(), Qt::Key_Return);
    EXPECT_EQ(t.model.item(0, 1)->text(), "06.06.2020");
}

} // namespace
