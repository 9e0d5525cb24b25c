// Menu entries and menus: ids and places, states, icons, sub-menus, looks over nested menus,
// look-ups, and what happens to entries of a menu that is not there.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QFont>
#include <QMenuBar>
#include <functional>

#include "chrome/ChromeGlobals.h"
#include "chrome/Menus.h"
#include "tests/support/TestSupport.h"

namespace {

struct Popup {
    CFCCOMMANDCNT counter;
    CFCPOPUPMENU menu;
    Popup()
    {
        counter.INIT(16000);
        menu.CREATEMENU();
        menu.SETCOMCTRLCLASS(GLO::CFC_Comctrl);
    }
};

QStringList texts(const QWidget* w)
{
    QStringList t;
    for (const QAction* a : w->actions())
        t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

} // namespace

TEST(Menus, EntriesTakeIdsAndPlaces)
{
    Popup p;
    CFCMENUITEM a, b, c, sep, first;
    EXPECT_EQ(a.ADDMENUITEM(p.menu, "Unos", p.counter, 0, QStringLiteral("UnosKonGrupe")), 0);
    EXPECT_EQ(b.ADDMENUITEM(p.menu, "Izmjena", p.counter), 0);
    EXPECT_EQ(c.ADDMENUITEM(p.menu, "Brisanje", p.counter), 0);
    EXPECT_EQ((std::vector<long>{a.ID, b.ID, c.ID}), (std::vector<long>{16001, 16002, 16003}));
    EXPECT_EQ((std::vector<long>{p.menu.GETMENUITEMPOS(a), p.menu.GETMENUITEMPOS(b), p.menu.GETMENUITEMPOS(c)}),
              (std::vector<long>{0, 1, 2}));
    EXPECT_TRUE(a.FLAGTOPLEVEL); // passing the argument at all, even 0, marks it
    EXPECT_FALSE(b.FLAGTOPLEVEL);
    EXPECT_EQ(a.STRID, "UnosKonGrupe");

    EXPECT_EQ(sep.ADDSEPARATOR(p.menu, p.counter), 0);
    EXPECT_EQ(sep.TEXT, "-");
    EXPECT_TRUE(sep.FLAGSEPARATOR);
    EXPECT_TRUE(sep.action()->isSeparator());
    EXPECT_EQ(first.INSERTMENUITEMBYPOS(p.menu, "Prvi", 0), -1); // no counter yet
    first.SETCOMMANDCNT(p.counter);
    EXPECT_EQ(first.INSERTMENUITEMBYPOS(p.menu, "Prvi", 0), 0);
    EXPECT_EQ(texts(p.menu.HMENU()), (QStringList{"Prvi", "Unos", "Izmjena", "Brisanje", "-"}));
    EXPECT_EQ(p.menu.GETMENUITEMCOUNT(), 5);
    EXPECT_EQ(p.menu.MIQ.back(), &first); // the list keeps the order of adding

    EXPECT_EQ(b.SETMENUITEMTEXT("Promjena\tF2"), 0);
    EXPECT_EQ(b.GETMENUITEMTEXT(), "Promjena\tF2");
    EXPECT_EQ(b.action()->text(), "Promjena\tF2");

    // Deleting answers non-zero when done, 0 when there was nothing to delete.
    EXPECT_NE(b.DELETEMENUITEM(), 0);
    EXPECT_EQ(b.DELETEMENUITEM(), 0);
    EXPECT_EQ(p.menu.GETMENUITEMBYID(16002), nullptr);
    EXPECT_EQ(texts(p.menu.HMENU()), (QStringList{"Prvi", "Unos", "Brisanje", "-"}));
    EXPECT_EQ(b.SETMENUITEMTEXT("x"), CFC_ERROR_MENU_ITEM_NOT_FOUND);

    // An entry that goes away leaves its menu.
    {
        CFCMENUITEM shortLived;
        shortLived.ADDMENUITEM(p.menu, "Kratko", p.counter);
        EXPECT_EQ(p.menu.GETMENUITEMCOUNT(), 5);
    }
    EXPECT_EQ(p.menu.GETMENUITEMCOUNT(), 4);
    EXPECT_EQ(p.menu.MIQ.size(), 4u);
}

TEST(Menus, AMenuThatIsNotThereKeepsNoEntries)
{
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    CFCPOPUPMENU never; // CREATEMENU not called
    CFCMENUITEM item;
    EXPECT_EQ(item.ADDMENUITEM(never, "Unos", counter), CFC_ERROR_INVALID_MENU_HANDLE);
    EXPECT_TRUE(never.MIQ.empty());
    EXPECT_EQ(item.MENU, nullptr);
    EXPECT_EQ(never.GETMENUITEMCOUNT(), -1);
    EXPECT_EQ(item.SETMENUITEMDISABLED(), CFC_ERROR_MENU_ITEM_NOT_FOUND);
    EXPECT_EQ(item.ISMENUITEMCHECKED(), -CFC_ERROR_MENU_ITEM_NOT_FOUND);

    // A killed menu lets go of its widget; the entries stay listed but are no longer shown.
    Popup p;
    CFCMENUITEM a;
    a.ADDMENUITEM(p.menu, "Unos", p.counter);
    QPointer<QWidget> widget = p.menu.HMENU();
    EXPECT_NE(p.menu.KILL(), 0);
    EXPECT_TRUE(widget.isNull());
    EXPECT_EQ(a.action(), nullptr);
    EXPECT_EQ(p.menu.KILL(), 0);
}

TEST(Menus, States)
{
    Popup p;
    CFCMENUITEM item;
    item.ADDMENUITEM(p.menu, "Odgoda", p.counter);
    struct Case {
        const char* name;
        unsigned before;
        std::function<long(CFCMENUITEM&)> op;
        long result;
        unsigned after;
        bool actionEnabled;
    };
    const Case cases[] = {
        {"disable", 0, &CFCMENUITEM::SETMENUITEMDISABLED, 0, 3, false},
        {"enable a disabled entry", 3, &CFCMENUITEM::SETMENUITEMENABLED, 0, 0, true},
        {"enable a partly disabled entry writes nothing", 2, &CFCMENUITEM::SETMENUITEMENABLED, 0, 2, false},
        {"enable an enabled entry", 0, &CFCMENUITEM::SETMENUITEMENABLED, 0, 0, true},
        {"is disabled", 3, &CFCMENUITEM::ISMENUITEMDISABLED, 1, 3, false},
        {"partly disabled is not disabled", 1, &CFCMENUITEM::ISMENUITEMDISABLED, 0, 1, false},
        {"check", 0, &CFCMENUITEM::SETMENUITEMCHECKED, 0, 8, true},
        {"is checked", 8, &CFCMENUITEM::ISMENUITEMCHECKED, 1, 8, true},
        {"uncheck", 11, &CFCMENUITEM::SETMENUITEMUNCHECKED, 0, 3, false},
        {"uncheck an unchecked entry", 3, &CFCMENUITEM::SETMENUITEMUNCHECKED, 0, 3, false},
        {"is not checked", 3, &CFCMENUITEM::ISMENUITEMCHECKED, 0, 3, false},
    };
    for (const Case& c : cases) {
        item.STATE = c.before;
        item.syncAction();
        EXPECT_EQ(c.op(item), c.result) << c.name;
        EXPECT_EQ(item.STATE, c.after) << c.name;
        EXPECT_EQ(item.action()->isEnabled(), c.actionEnabled) << c.name;
    }
}

TEST(Menus, IconsAndTheirGreyedForms)
{
    Popup p;
    CFCMENUITEM item;
    item.ADDMENUITEM(p.menu, "Ispis", p.counter);
    const testsupport::ScopedHook<IconRegistry::Loader> module(
        [](IconRegistry::Loader l) { return IconRegistry::registerModule("Test.dll", std::move(l)); },
        [](const QString& name, int w, int h) {
            QImage image(w, h, QImage::Format_ARGB32);
            image.fill(name == "printer_ICO" ? QColor(100, 150, 200) : QColor(Qt::red));
            return name == "missing_ICO" ? QImage() : image;
        });
    EXPECT_EQ(item.SETICON("printer.ico", "Test.dll", 20, 18), 0);
    EXPECT_EQ(item.ICONNAME, "printer.ico");
    EXPECT_EQ(item.HICON.size(), QSize(20, 18));
    EXPECT_EQ((std::pair{item.ICONWIDTH, item.ICONHEIGHT}), (std::pair{20, 18}));
    EXPECT_EQ(item.HICONDISABLED.pixel(5, 5), qRgba(185, 185, 185, 255));
    EXPECT_TRUE(item.CALLBACKBITMAP);
    EXPECT_FALSE(item.action()->icon().isNull());

    EXPECT_EQ(item.SETCHECKEDICON("cfc_checkon.ico", "Test.dll"), 0);
    EXPECT_EQ(item.HCHECKEDICON.size(), QSize(16, 16));
    EXPECT_EQ(item.ICONWIDTH, 20); // the checked icon leaves the entry's icon size alone
    EXPECT_FALSE(item.HCHECKEDICONDISABLED.isNull());

    // A missing icon leaves neither the old icon nor its stale greyed form behind.
    EXPECT_EQ(item.SETICON("missing.ico", "Test.dll"), -1);
    EXPECT_TRUE(item.HICON.isNull());
    EXPECT_TRUE(item.HICONDISABLED.isNull());
    EXPECT_TRUE(item.action()->icon().isNull());
    EXPECT_EQ(item.SETCHECKEDICON("missing.ico", "Test.dll"), -1);
    EXPECT_TRUE(item.HCHECKEDICON.isNull());
    EXPECT_TRUE(item.HCHECKEDICONDISABLED.isNull());
}

TEST(Menus, SubMenusLooksAndLookups)
{
    Popup p;
    CFCPOPUPMENU sub, subsub;
    sub.CREATEMENU();
    subsub.CREATEMENU();
    CFCMENUITEM top, inner, deepest, twinA, twinB;
    top.ADDMENUITEM(p.menu, "Veze", p.counter);
    EXPECT_FALSE(p.menu.ISSUBMENUSEXISTS());
    inner.ADDMENUITEM(sub, "Tip", p.counter);
    deepest.ADDMENUITEM(subsub, "FS", p.counter);
    CFCMENUITEMDRAWCLASS_XP measurer;
    top.SETDRAWINGCLASS(measurer);
    const QSize alone = top.ONMEASUREITEM(QFont());
    EXPECT_EQ(top.ATTACHSUBMENU(sub), 0);
    EXPECT_EQ(top.ONMEASUREITEM(QFont()), alone + QSize(20, 0)); // room for the arrow
    EXPECT_EQ(inner.ATTACHSUBMENU(subsub), 0);
    EXPECT_TRUE(p.menu.ISSUBMENUSEXISTS());
    EXPECT_EQ(top.GETSUBMENU(), &sub);
    EXPECT_EQ(top.action()->menu(), sub.menu());

    CFCMENUITEMDRAWCLASS_XP xp;
    CFCMENUITEMDRAWCLASS_2003 office;
    p.menu.SETDRAWINGCLASS(xp);
    EXPECT_EQ(deepest.DRAWINGCLASS, &xp); // the look reaches every depth
    EXPECT_TRUE(deepest.OWNERDRAW);
    p.menu.SETDRAWINGCLASS(office, true);
    EXPECT_EQ(top.DRAWINGCLASS, &office); // this menu only
    EXPECT_EQ(inner.DRAWINGCLASS, &xp);
    EXPECT_EQ(deepest.DRAWINGCLASS, &xp);
    CFCMENUITEMDRAWCLASS_STD classic;
    p.menu.SETDRAWINGCLASS(classic);
    EXPECT_FALSE(deepest.OWNERDRAW); // the classic look lets the system draw

    EXPECT_EQ(top.DETACHSUBMENU(), 0);
    EXPECT_EQ(top.action()->menu(), nullptr);
    EXPECT_FALSE(p.menu.ISSUBMENUSEXISTS());

    twinA.ADDMENUITEM(p.menu, "A", p.counter, std::nullopt, QStringLiteral("Twin"));
    twinB.ADDMENUITEM(p.menu, "B", p.counter, std::nullopt, QStringLiteral("Twin  "));
    EXPECT_EQ(p.menu.GETMENUITEMBYSTRID("Twin"), &twinA); // the first of two, trailing blanks aside
    EXPECT_EQ(p.menu.GETMENUITEMBYSTRID("Nobody"), nullptr);
    EXPECT_EQ(p.menu.GETMENUITEMBYID(twinB.ID), &twinB);

    EXPECT_EQ(p.menu.SETBACKGROUND(0xF9E7E0), 0);
    EXPECT_EQ(p.menu.BKRCOLOR, 0xF9E7E0);
    CFCPOPUPMENU bare;
    bare.CREATEMENU();
    EXPECT_EQ(bare.SETBACKGROUND(0x123456), -1); // no system entry points given
}

TEST(Menus, MenuBarInAWindow)
{
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    QWidget window;
    auto bar = std::make_unique<CFCMENU>();
    bar->CREATEMENU();
    CFCMENUITEM file;
    file.ADDMENUITEM(*bar, "Datoteka", counter, 1);
    bar->SETMENUTOWND(&window);
    EXPECT_EQ(bar->HWND, &window);
    EXPECT_EQ(bar->bar()->parentWidget(), &window);
    EXPECT_EQ(texts(bar->bar()), QStringList{"Datoteka"});
    QPointer<QMenuBar> widget = bar->bar();
    bar.reset(); // the bar leaves the window with its menu, once the window's events are done
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
    EXPECT_EQ(file.MENU, nullptr);
}
