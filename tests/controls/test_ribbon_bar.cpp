// The ribbon, caption strip, skin and tray icon components.
#include <gtest/gtest.h>

#include "controls/Controls.h"
#include "controls/RibbonBar.h"
#include "controls/ShortcutCaption.h"
#include "controls/SkinFramework.h"
#include "controls/TrayIcon.h"
#include "runtime/ComponentRegistry.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace controls;

namespace {

// A small ribbon: two tabs, a group with a button, a popup and a split button.
struct SmallRibbon {
    RibbonBar bar;
    RibbonControl *button, *popup, *inPopup, *split, *inSplit;
    SmallRibbon()
    {
        bar.setIcon(11, QIcon(QStringLiteral(":/velmora/icons/mail.svg")));
        const int first = bar.insertTab(0, QStringLiteral("Prvi"), 100);
        bar.insertTab(1, QStringLiteral("Drugi"), 200);
        RibbonGroup* g = bar.addGroup(first, QStringLiteral("Grupa"), 4);
        button = g->add(RibbonControl::Button, 11, QStringLiteral("Gumb"));
        popup = g->add(RibbonControl::Popup, 12, QStringLiteral("Izbornik"), true);
        split = popup->commandBar()->add(RibbonControl::SplitButton, 13, QStringLiteral("Podijeljeni"));
        inPopup = popup->commandBar()->add(RibbonControl::Button, 14, QStringLiteral("Stavka"), true);
        inSplit = split->commandBar()->add(RibbonControl::Button, 15, QStringLiteral("Dublje"));
        bar.resize(600, 140);
        bar.show();
    }
    QToolButton* toolButton(int id) { return bar.findChild<QToolButton*>(QStringLiteral("ribbonButton%1").arg(id)); }
};

QList<int> ids(const QSignalSpy& spy)
{
    QList<int> out;
    for (const auto& args : spy)
        out << args.at(0).toInt();
    return out;
}

} // namespace

TEST(RibbonBar, EveryControlReportsItsIdWhenExecutedWhereverItSits)
{
    SmallRibbon r;
    QSignalSpy executed(&r.bar, &RibbonBar::executed);
    QTest::mouseClick(r.toolButton(11), Qt::LeftButton);
    emit r.popup->commandBar()->aboutToShow(); // opening the popup executes it
    r.inPopup->trigger();
    r.inSplit->trigger();
    EXPECT_EQ(ids(executed), (QList<int>{11, 12, 14, 15}));
}

TEST(RibbonBar, TheMainPartOfASplitButtonInAPopupIsACommandOfItsOwn)
{
    SmallRibbon r;
    QSignalSpy executed(&r.bar, &RibbonBar::executed);
    QMenu* menu = r.popup->commandBar();
    menu->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    executed.clear(); // opening reported the popup itself
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(r.split).center());
    EXPECT_EQ(ids(executed), QList<int>{13});
    EXPECT_FALSE(menu->isVisible());
}

TEST(RibbonBar, OnlyTheUsersTabChoiceIsReported)
{
    SmallRibbon r;
    QSignalSpy chosen(&r.bar, &RibbonBar::tabSelected);
    r.bar.selectTab(1);
    r.bar.selectTab(0);
    EXPECT_EQ(chosen.count(), 0);
    r.bar.findChild<QTabBar*>()->setCurrentIndex(1);
    EXPECT_EQ(ids(chosen), QList<int>{200});
    EXPECT_EQ(r.bar.selectedTab(), 1);
}

TEST(RibbonBar, ControlsRecordTypeSeparatorAndTheImageOfTheirOwnId)
{
    SmallRibbon r;
    EXPECT_EQ(r.popup->type(), RibbonControl::Popup);
    EXPECT_TRUE(r.popup->beginGroup());
    EXPECT_FALSE(r.button->beginGroup());
    EXPECT_EQ(r.toolButton(12)->popupMode(), QToolButton::InstantPopup);
    EXPECT_FALSE(r.button->icon().isNull());
    EXPECT_TRUE(r.inPopup->icon().isNull());
    // An image registered later reaches the controls and tabs that carry its id.
    r.bar.setIcon(14, QIcon(QStringLiteral(":/velmora/icons/i.svg")));
    r.bar.setIcon(200, QIcon(QStringLiteral(":/velmora/icons/dude.svg")));
    EXPECT_FALSE(r.inPopup->icon().isNull());
    EXPECT_FALSE(r.bar.findChild<QTabBar*>()->tabIcon(1).isNull());
    EXPECT_EQ(r.bar.findControl(0, 15), r.inSplit);
    EXPECT_EQ(r.bar.findControl(1, 15), nullptr);
    EXPECT_EQ(r.bar.group(0, 4)->controls(), (QList<RibbonControl*>{r.button, r.popup}));
    EXPECT_EQ(r.popup->commandBar()->controls(), (QList<RibbonControl*>{r.split, r.inPopup}));
}

TEST(RibbonBar, QuickAccessAndFoldingFollowTheirSettings)
{
    SmallRibbon r;
    auto* quick = r.bar.findChild<QToolBar*>();
    r.bar.addQuickAccess(r.button);
    EXPECT_TRUE(quick->actions().contains(r.button));
    r.bar.setQuickAccessVisible(false);
    EXPECT_TRUE(quick->isHidden());
    r.bar.setQuickAccessVisible(true);
    r.bar.setQuickAccessBelow(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(quick->isHidden());
    EXPECT_GT(quick->y(), r.bar.findChild<QTabBar*>()->y());

    QWidget* pages = r.bar.findChild<QWidget*>(QStringLiteral("ribbonPages"));
    auto* tabs = r.bar.findChild<QTabBar*>();
    r.bar.setAllowMinimize(false);
    emit tabs->tabBarDoubleClicked(0);
    EXPECT_FALSE(pages->isHidden());
    r.bar.setAllowMinimize(true);
    emit tabs->tabBarDoubleClicked(0);
    EXPECT_TRUE(pages->isHidden());
}

TEST(Components, EachIsMadeUnderItsProgramIdentifier)
{
    registerBuiltInControls();
    auto& registry = vrt::ComponentRegistry::instance();
    std::unique_ptr<QObject> ribbon(registry.create(QString::fromLatin1(kRibbonProgId)));
    std::unique_ptr<QObject> caption(registry.create(QString::fromLatin1(kShortcutCaptionProgId)));
    std::unique_ptr<QObject> skin(registry.create(QString::fromLatin1(kSkinProgId)));
    std::unique_ptr<QObject> tray(registry.create(QString::fromLatin1(kTrayIconProgId)));
    EXPECT_NE(qobject_cast<RibbonBar*>(ribbon.get()), nullptr);
    EXPECT_NE(qobject_cast<ShortcutCaption*>(caption.get()), nullptr);
    EXPECT_NE(qobject_cast<SkinFramework*>(skin.get()), nullptr);
    EXPECT_NE(qobject_cast<TrayIcon*>(tray.get()), nullptr);
}

TEST(Components, CaptionStripShowsItsTextInEitherLook)
{
    ShortcutCaption c;
    c.setCaption(QStringLiteral("EMAIL PORUKE"));
    EXPECT_EQ(c.caption(), QStringLiteral("EMAIL PORUKE"));
    const QString main = c.styleSheet();
    c.setSubItemCaption(true);
    EXPECT_TRUE(c.subItemCaption());
    EXPECT_NE(c.styleSheet(), main);
}

TEST(Components, SkinFallsBackToTheBuiltInSheetWhenTheFileIsMissing)
{
    SkinFramework skin;
    const QString builtIn = skin.styleSheet();
    EXPECT_FALSE(builtIn.isEmpty());
    testsupport::TempFolder data;
    EXPECT_FALSE(skin.loadSkin(data.file(QStringLiteral("Images/KX.qss"))));
    EXPECT_EQ(skin.styleSheet(), builtIn);
    data.write(QStringLiteral("Images/KX.qss"), "QStatusBar { color: red; }");
    EXPECT_TRUE(skin.loadSkin(data.file(QStringLiteral("Images/KX.qss"))));
    EXPECT_EQ(skin.styleSheet(), QStringLiteral("QStatusBar { color: red; }"));
}

TEST(Components, TrayIconOffersRestoreAndCloseUntranslatedAndSaysWhenNoAreaExists)
{
    SystemTrayIcon tray;
    auto* icon = tray.findChild<QSystemTrayIcon*>();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("Right-click to restore"));
    QStringList texts;
    for (QAction* a : icon->contextMenu()->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Restore"), QStringLiteral("-"), QStringLiteral("&Close")}));
    QSignalSpy restore(&tray, &TrayIcon::restoreChosen);
    QSignalSpy close(&tray, &TrayIcon::closeChosen);
    icon->contextMenu()->actions().first()->trigger();
    icon->contextMenu()->actions().last()->trigger();
    EXPECT_EQ(restore.count(), 1);
    EXPECT_EQ(close.count(), 1);
    EXPECT_EQ(tray.add(), QSystemTrayIcon::isSystemTrayAvailable());
}
