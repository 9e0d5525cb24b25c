#include <functional>
#include <gtest/gtest.h>

#include "extensions/EditInPlace.h"
#include "extensions/EnterIsTab.h"
#include "extensions/TabPopup.h"
#include "runtime/DateTime.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

struct Form {
    QDialog dialog;
    QLineEdit* a = new QLineEdit(&dialog);
    QLineEdit* b = new QLineEdit(&dialog);
    QLineEdit* c = new QLineEdit(&dialog);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    int clicks = 0;
    Form()
    {
        auto* l = new QVBoxLayout(&dialog);
        for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c), static_cast<QWidget*>(ok)})
            l->addWidget(w);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, [this] { ++clicks; });
        dialog.show();
        dialog.activateWindow();
        a->setFocus();
    }
    void wire(SSTF::ENTERISTABCLASS& keys)
    {
        for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c), static_cast<QWidget*>(ok)})
            keys.INITCONTROL(w);
        keys.INITWINDOW(&dialog);
    }
};

TEST(EnterIsTab, EnterMovesOnAndEscBack)
{
    Form f;
    SSTF::ENTERISTABCLASS keys;
    keys.INIT(true, false, false, true);
    f.wire(keys);
    QTRY_VERIFY(f.a->hasFocus());
    QTest::keyClick(f.a, Qt::Key_Return);
    QTRY_VERIFY(f.b->hasFocus());
    EXPECT_EQ(f.clicks, 0);
    QTest::keyClick(f.b, Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_VERIFY(f.c->hasFocus());
    // Esc went on the controls that already had Enter: one press moves back exactly once.
    QTest::keyClick(f.c, Qt::Key_Escape);
    QTRY_VERIFY(f.b->hasFocus());
    EXPECT_TRUE(f.dialog.isVisible());
}

TEST(EnterIsTab, WithoutEscItKeepsItsActionAndInactiveChangesNothing)
{
    {
        Form f;
        SSTF::ENTERISTABCLASS keys;
        keys.INIT(true, false, false, false);
        f.wire(keys);
        QTRY_VERIFY(f.a->hasFocus());
        QTest::keyClick(f.a, Qt::Key_Escape);
        QTRY_VERIFY(!f.dialog.isVisible()); // the dialog rejects as usual
    }
    {
        Form f;
        SSTF::ENTERISTABCLASS keys;
        keys.INIT(false, true, true, true);
        f.wire(keys);
        EXPECT_EQ(f.ok->focusPolicy(), Qt::StrongFocus);
        QTRY_VERIFY(f.a->hasFocus());
        QTest::keyClick(f.a, Qt::Key_Return);
        EXPECT_EQ(f.clicks, 1); // the default button fired
    }
}

TEST(EnterIsTab, SkippedButtonsStillPress)
{
    Form f;
    SSTF::ENTERISTABCLASS keys;
    keys.INIT(true, false, true, false);
    f.wire(keys);
    EXPECT_EQ(f.ok->focusPolicy(), Qt::ClickFocus);
    f.c->setFocus();
    QTRY_VERIFY(f.c->hasFocus());
    QTest::keyClick(f.c, Qt::Key_Tab);
    QTRY_VERIFY(f.a->hasFocus()); // the button is out of the Tab order
    f.ok->setFocus();
    QTRY_VERIFY(f.ok->hasFocus());
    QTest::keyClick(f.ok, Qt::Key_Return);
    EXPECT_EQ(f.clicks, 1);
}

TEST(EnterIsTab, LocatorTakesEnterBeforeTheDefaultButton)
{
    Form f;
    QString located;
    SSTF::ENTRYLOCATORCLASS locator(f.a, [&](const QString& text) { located = text; });
    QTest::keyClicks(f.a, QStringLiteral("Hor"));
    QTest::keyClick(f.a, Qt::Key_Return);
    EXPECT_EQ(located, "Hor");
    EXPECT_EQ(f.clicks, 0);
}

TEST(TabPopup, MenuListsTheShownTabsAndSwitches)
{
    QWidget window;
    auto* sheet = new QTabWidget(&window);
    for (const char* t : {"Osoba", "Tvrtka", "Skriveno", "Napomena"})
        sheet->addTab(new QWidget, QString::fromLatin1(t));
    sheet->setTabVisible(2, false);
    sheet->setTabEnabled(3, false);
    window.show();
    // Picks for the user instead of showing the menu.
    struct Picking : SBRW::TABPOPUP {
        std::function<int(const QMenu&)> pick;
        int choose(QMenu& menu, const QPoint&) override { return pick(menu); }
    } popup;
    popup.INIT();
    popup.ADDSHEET(sheet);
    popup.PREPAREWINDOW(1);
    EXPECT_TRUE(sheet->tabBar()->usesScrollButtons());

    const auto items = SBRW::tabMenuItems(*sheet);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0].current);
    EXPECT_FALSE(items[2].enabled);
    EXPECT_EQ(items[2].tab, 3);

    QStringList shown;
    int pick = 1;
    popup.pick = [&](const QMenu& menu) {
        shown.clear();
        for (QAction* a : menu.actions())
            shown << a->text() + (a->isChecked() ? "+" : "") + (a->isEnabled() ? "" : "~");
        return pick;
    };
    EXPECT_TRUE(popup.showMenu(sheet, {}));
    EXPECT_EQ(shown, QStringList({"Osoba+", "Tvrtka", "Napomena~"}));
    EXPECT_EQ(sheet->currentIndex(), 1);
    EXPECT_EQ(popup.TAKEBROWSENEWSELECTION(2), 0); // the click that opened the menu
    EXPECT_EQ(popup.TAKEBROWSENEWSELECTION(2), 2);
    // The current tab again, or a disabled one, changes nothing.
    EXPECT_FALSE(popup.showMenu(sheet, {}));
    pick = 3;
    EXPECT_FALSE(popup.showMenu(sheet, {}));
    EXPECT_EQ(sheet->currentIndex(), 1);
    // A sheet without its tab strip (a wizard) never offers it.
    sheet->tabBar()->hide();
    pick = 0;
    EXPECT_FALSE(popup.showMenu(sheet, {}));
}

int day(int y, int m, int d)
{
    return vrt::dayFromDate(QDate(y, m, d));
}

TEST(EditInPlace, QuickDateKeys)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        QDate from, to;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const std::vector<Case> cases = {
        {Qt::Key_M, none, {2024, 3, 15}, {2024, 3, 1}},
        {Qt::Key_M, none, {2024, 3, 1}, {2024, 2, 1}},
        {Qt::Key_M, none, {2024, 1, 1}, {2023, 12, 1}},
        {Qt::Key_H, none, {2024, 1, 31}, {2024, 2, 29}},
        {Qt::Key_H, none, {2024, 1, 10}, {2024, 1, 31}},
        {Qt::Key_H, none, {2024, 12, 31}, {2025, 1, 31}},
        {Qt::Key_Y, none, {2024, 1, 1}, {2023, 1, 1}},
        {Qt::Key_Y, none, {2024, 5, 1}, {2024, 1, 1}},
        {Qt::Key_R, none, {2024, 12, 31}, {2025, 12, 31}},
        {Qt::Key_Plus, Qt::KeypadModifier, {2024, 12, 31}, {2025, 1, 1}},
        {Qt::Key_Minus, Qt::KeypadModifier, {2024, 3, 1}, {2024, 2, 29}},
        {Qt::Key_T, none, {2024, 3, 1}, {2020, 6, 6}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SEIP::QUICKENDATECLASS::newDate(c.key, c.mods, vrt::dayFromDate(c.from), day(2020, 6, 6)),
                  vrt::dayFromDate(c.to))
            << c.key << " " << c.from.toString().toStdString();
    EXPECT_FALSE(SEIP::QUICKENDATECLASS::newDate(Qt::Key_Plus, none, day(2024, 1, 1), 0));
    EXPECT_FALSE(SEIP::QUICKENDATECLASS::newDate(Qt::Key_X, none, day(2024, 1, 1), 0));
}

TEST(EditInPlace, KeysEndTheEdit)
{
    struct Refusing : SBRW::EDITCLASS {
        bool refuse = false;
        int copies = 0;
        bool TAKEACCEPTED() override { return refuse; }
        void copyValue() override { ++copies; }
    } edit;
    const int& copies = edit.copies;
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Escape, Qt::NoModifier), SBRW::EDIT_CANCEL);
    EXPECT_EQ(copies, 0); // Esc keeps the value out
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Tab, Qt::NoModifier), SBRW::EDIT_FORWARD);
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Backtab, Qt::ShiftModifier), SBRW::EDIT_BACKWARD);
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Return, Qt::NoModifier), SBRW::EDIT_COMPLETE);
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Down, Qt::NoModifier), SBRW::EDIT_NEXTROW);
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Up, Qt::NoModifier), SBRW::EDIT_PREVROW);
    EXPECT_EQ(copies, 5);
    edit.refuse = true;
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Tab, Qt::NoModifier), SBRW::EDIT_NONE);
    edit.refuse = false;
    edit.upDown = false; // a drop list moves within itself
    EXPECT_EQ(edit.TAKEKEY(Qt::Key_Down, Qt::NoModifier), SBRW::EDIT_NONE);
}

} // namespace
