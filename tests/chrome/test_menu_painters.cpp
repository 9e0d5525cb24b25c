// The menu looks: measuring rules, label and shortcut, the colour sets, the popup frame, and a
// few pixels of menus drawn offscreen in each look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <memory>

#include "chrome/ChromeGlobals.h"
#include "chrome/MenuLooks.h"
#include "chrome/Menus.h"
#include "tests/support/TestSupport.h"

namespace {

pxp::COLORREF at(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return pxp::rgb(c.red(), c.green(), c.blue());
}

// A popup with an icon entry, a separator, a checked entry, a disabled entry and a shortcut.
struct SamplePopup {
    CFCCOMMANDCNT counter;
    CFCPOPUPMENU popup;
    CFCMENUITEM mail, separator, ticked, greyed, shortcut;
    QImage icon{16, 16, QImage::Format_ARGB32};
    SamplePopup()
    {
        counter.INIT(16000);
        popup.CREATEMENU();
        popup.SETCOMCTRLCLASS(GLO::CFC_Comctrl);
        mail.ADDMENUITEM(popup, "Novi email", counter);
        separator.ADDSEPARATOR(popup, counter);
        ticked.ADDMENUITEM(popup, "FS (Završetak-početak)", counter);
        greyed.ADDMENUITEM(popup, "Brisanje", counter);
        shortcut.ADDMENUITEM(popup, "Ispis\tCtrl+P", counter);
        icon.fill(QColor(0, 0, 255));
        mail.setIconImage(icon);
        greyed.setIconImage(icon);
        ticked.SETMENUITEMCHECKED();
        greyed.SETMENUITEMDISABLED();
    }
    QImage grab(CFCMENUITEMDRAWCLASS& look, CFCMENUITEM* hot = nullptr)
    {
        popup.SETDRAWINGCLASS(look);
        QMenu* m = popup.menu();
        m->adjustSize();
        m->setActiveAction(hot ? hot->action() : nullptr);
        return m->grab().toImage();
    }
    QRect rectOf(const CFCMENUITEM& item) const { return popup.menu()->actionGeometry(item.action()); }
};

} // namespace

TEST(MenuPainters, MeasureRules)
{
    CFCMENUITEMDRAWCLASS_XP xp;
    struct Case {
        const char* name;
        CfcMeasureRequest request;
        QSize size;
    };
    const Case cases[] = {
        {"separator", {true, false, 50, false}, QSize(0, 3)},
        {"bar entry", {false, true, 50, false}, QSize(50, 20)},
        {"bar entry in a menu with sub-menus", {false, true, 50, true}, QSize(50, 20)},
        {"entry", {false, false, 50, false}, QSize(88, 22)},
        {"entry beside a sub-menu", {false, false, 50, true}, QSize(108, 22)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xp.measure(c.request), c.size) << c.name;
    // The classic look leaves measuring to the system.
    EXPECT_FALSE(CFCMENUITEMDRAWCLASS_STD().measure({}).isValid());
    EXPECT_EQ(xp.iconOffset(), 3);
}

TEST(MenuPainters, LabelAndShortcut)
{
    struct Case {
        const char* text;
        const char* label;
        const char* shortcut;
    };
    const Case cases[] = {
        {"Novi email  ", "Novi email", ""},
        {"Ispis\tCtrl+P", "Ispis", "Ctrl+P"},
        {"Ispis\tignored\t  Ctrl+Shift+P ", "Ispis", "Ctrl+Shift+P"},
        {"Dugo\tCtrl+Alt+Shift+F12 extra", "Dugo", "Ctrl+Alt+Shift+F12 "},
        {"\tF5", "", "F5"},
    };
    for (const Case& c : cases) {
        const CfcItemText parts = splitMenuItemText(QString::fromUtf8(c.text));
        EXPECT_EQ(parts.label, QString::fromUtf8(c.label)) << c.text;
        EXPECT_EQ(parts.shortcut, QString::fromUtf8(c.shortcut)) << c.text;
    }
}

TEST(MenuPainters, ColourSets)
{
    struct Set {
        CFCMENUITEMDRAWCLASS_XP* look;
        std::vector<pxp::COLORREF> flat;   // item background .. shadow 2
        std::vector<pxp::COLORREF> office; // icon bar from .. opened to; empty for XP
    };
    CFCMENUITEMDRAWCLASS_XP xp;
    CFCMENUITEMDRAWCLASS_2003 blue;
    CFCMENUITEMDRAWCLASS_2003_GRAY gray;
    CFCMENUITEMDRAWCLASS_2003_GREEN green;
    CFCMENUITEMDRAWCLASS_2003_SILVER silver;
    const Set sets[] = {
        {&xp, {0xFFFFFF, 0xDFBFBF, 0xFFFFFF, 0x800000, 0x7A868A, 0x808080, 0x919C9E, 0xB4C2C4}, {}},
        {&blue, {0xFFFFFF, 0xC2EEFF, 0xFFFFFF, 0x800000, 0x962D00, 0xCB8C6A, 0xA33C02, 0xCB8C6A},
         {0xFFEFE3, 0xE4AD87, 0xCCF4FF, 0x9AD6FF, 0xFFEFE3, 0xE4AD87}},
        {&gray, {0xFFFFFF, 0xEED2C1, 0xFFFFFF, 0x800000, 0x7A868A, 0x808080, 0x919C9E, 0xB4C2C4},
         {0xFBFEFE, 0xACC3C4, 0xEED2C1, 0xEED2C1, 0xF8FBFB, 0xEFF5F7}},
        {&green, {0xFFFFFF, 0x8DC6B6, 0xFFFFFF, 0x70A093, 0x7A868A, 0x808080, 0x919C9E, 0xB4C2C4},
         {0xFBFEFE, 0xACC3C4, 0x8DC6B6, 0x8DC6B6, 0xF8FBFB, 0xEFF5F7}},
        {&silver, {0xFFFAFD, 0xC2EEFF, 0xFFFAFD, 0x6F4B4B, 0x947C7C, 0x8F6D6E, 0x919C9E, 0xB4C2C4},
         {0xFDF6F6, 0xB99D9F, 0xCCF4FF, 0x9AD6FF, 0xF1E9E8, 0xCDB9BA}},
    };
    for (const Set& s : sets) {
        const auto* l = s.look;
        EXPECT_EQ((std::vector<pxp::COLORREF>{l->COLOR_ITEMBACKGROUND, l->COLOR_SELECTEDITEM, l->COLOR_DISABLEDITEMBACKGROUND,
                                              l->COLOR_ITEMBORDER, l->COLOR_POPUPWINDOWBORDER, l->COLOR_SEPARATOR,
                                              l->COLOR_SHADOW_1, l->COLOR_SHADOW_2}),
                  s.flat)
            << l->lookName().toStdString();
        EXPECT_EQ((std::vector<long>{l->ITEMHEIGHT, l->ICONBARWIDTH, l->SUBMENUOFFSET, l->MENUITEMTEXTOFFSET}),
                  (std::vector<long>{22, 20, 20, 4}));
        if (const auto* o = dynamic_cast<const CFCMENUITEMDRAWCLASS_2003*>(l)) {
            EXPECT_EQ((std::vector<pxp::COLORREF>{o->COLOR_ICONBARGRADIENTFROM, o->COLOR_ICONBARGRADIENTTO,
                                                  o->COLOR_TOPLEVELITEMGRADIENTFROM, o->COLOR_TOPLEVELITEMGRADIENTTO,
                                                  o->COLOR_OPENEDTOPLEVELITEMGRADIENTFROM,
                                                  o->COLOR_OPENEDTOPLEVELITEMGRADIENTTO}),
                      s.office)
                << l->lookName().toStdString();
        }
    }
    EXPECT_EQ(CFCMENUITEMDRAWCLASS_STD().MENUITEMTEXTOFFSET, 4);
}

TEST(MenuPainters, FlatFrameKeepsItsEmptyRectangles)
{
    CFCMENUITEMDRAWCLASS_XP xp;
    const auto ops = xp.flatFrame(100, 60);
    ASSERT_EQ(ops.size(), 8u);
    EXPECT_EQ(ops[0].rect, cfcRect(0, 0, 100, 60));
    EXPECT_EQ(ops[0].colour, xp.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(ops[1].rect, cfcRect(1, 1, 99, 59));
    for (size_t i = 2; i < ops.size(); ++i)
        EXPECT_TRUE(ops[i].rect.isEmpty()) << i;
    EXPECT_EQ(ops[2].rect, cfcRect(23, 2, 99, 2));

    // Painted: the outer line, the inner line, and nothing from the empty ones.
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    paintFrameOps(p, ops);
    p.end();
    EXPECT_EQ(at(image, 0, 30), xp.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(at(image, 99, 59), xp.COLOR_POPUPWINDOWBORDER);
    EXPECT_EQ(at(image, 1, 30), xp.COLOR_ITEMBACKGROUND);
    EXPECT_EQ(image.pixelColor(2, 30), QColor(Qt::magenta));
    EXPECT_EQ(image.pixelColor(50, 2), QColor(Qt::magenta));

    CFCMENUITEMDRAWCLASS_2003 blue;
    const auto office = blue.flatFrame(100, 60);
    ASSERT_EQ(office.size(), 8u);
    EXPECT_EQ(office[7].kind, CfcFrameOp::Fill);
    EXPECT_EQ(office[7].rect, cfcRect(1, 1, 3, 59));
    EXPECT_EQ(office[5].kind, CfcFrameOp::Gradient);
    blue.gradients = false;
    EXPECT_EQ(blue.flatFrame(100, 60).size(), 8u);
    EXPECT_EQ(blue.flatFrame(100, 60)[7].kind, CfcFrameOp::Frame);
}

TEST(MenuPainters, FlatLooksDrawTheirParts)
{
    SamplePopup s;
    CFCMENUITEMDRAWCLASS_XP xp;
    QImage image = s.grab(xp, &s.mail);
    const QRect mail = s.rectOf(s.mail), sep = s.rectOf(s.separator), ticked = s.rectOf(s.ticked),
                greyed = s.rectOf(s.greyed);
    EXPECT_EQ(sep.height(), 3);
    EXPECT_EQ(mail.height(), 22);
    EXPECT_EQ(at(image, 0, 0), xp.COLOR_POPUPWINDOWBORDER);
    // The separator line starts 24 pixels into its entry.
    EXPECT_EQ(at(image, sep.left() + 24, sep.top() + 1), xp.COLOR_SEPARATOR);
    EXPECT_NE(at(image, sep.left() + 23, sep.top() + 1), xp.COLOR_SEPARATOR);
    EXPECT_EQ(at(image, sep.left() + 24, sep.top()), xp.COLOR_ITEMBACKGROUND);
    // The hot entry: a frame around a selection fill, its icon 2 right and 3 down.
    EXPECT_EQ(at(image, mail.left(), mail.top()), xp.COLOR_ITEMBORDER);
    EXPECT_EQ(at(image, mail.right(), mail.bottom()), xp.COLOR_ITEMBORDER);
    EXPECT_EQ(at(image, mail.left() + 1, mail.top() + 1), xp.COLOR_SELECTEDITEM);
    EXPECT_EQ(at(image, mail.left() + 2, mail.top() + 3), pxp::rgb(0, 0, 255));
    EXPECT_NE(at(image, mail.left() + 2, mail.top() + 2), pxp::rgb(0, 0, 255));
    // A disabled entry shows its greyed icon; a checked one without a checked icon a tick.
    const pxp::COLORREF grey = at(image, greyed.left() + 8, greyed.top() + 10);
    EXPECT_EQ(pxp::redOf(grey), pxp::blueOf(grey));
    EXPECT_GT(pxp::redOf(grey), 100);
    int dark = 0;
    for (int y = ticked.top() + 3; y < ticked.top() + 19; ++y)
        for (int x = ticked.left() + 2; x < ticked.left() + 18; ++x)
            dark += image.pixelColor(x, y).lightness() < 80;
    EXPECT_GT(dark, 5);

    // A disabled hot entry: the disabled fill inside the border.
    image = s.grab(xp, &s.greyed);
    EXPECT_EQ(at(image, greyed.left(), greyed.top()), xp.COLOR_ITEMBORDER);
    EXPECT_EQ(at(image, greyed.right() - 1, greyed.top() + 1), xp.COLOR_DISABLEDITEMBACKGROUND);

    // With a checked icon the icon shows instead of the tick.
    QImage green(16, 16, QImage::Format_ARGB32);
    green.fill(Qt::green);
    s.ticked.setCheckedIconImage(green);
    image = s.grab(xp);
    EXPECT_EQ(at(image, ticked.left() + 9, ticked.top() + 10), pxp::rgb(0, 255, 0));
}

TEST(MenuPainters, ShortcutsAlignRightOfTheirMargin)
{
    // The right-most dark pixel of an entry's row: the end of its shortcut text.
    const auto textEnd = [](const QImage& image, const QRect& r) {
        int end = -1;
        for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
            for (int x = r.left() + 24; x <= r.right(); ++x)
                if (image.pixelColor(x, y).lightness() < 100)
                    end = std::max(end, x);
        return end;
    };
    SamplePopup s;
    CFCMENUITEMDRAWCLASS_XP xp;
    QImage image = s.grab(xp);
    QRect row = s.rectOf(s.shortcut);
    int end = textEnd(image, row);
    EXPECT_LT(end, row.left() + row.width() - 4);
    EXPECT_GE(end, row.left() + row.width() - 4 - 4);
    // The label starts 24 pixels in.
    int start = row.right();
    for (int y = row.top() + 2; y < row.bottom() - 1; ++y)
        for (int x = row.left() + 20; x < row.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                start = std::min(start, x);
    EXPECT_GE(start, row.left() + 24);
    EXPECT_LE(start, row.left() + 26);

    // With a sub-menu in the menu the margin is 20 and every entry 20 wider.
    const int widthBefore = row.width();
    CFCPOPUPMENU sub;
    sub.CREATEMENU();
    CFCMENUITEM more;
    more.ADDMENUITEM(s.popup, "Više", s.counter);
    more.ATTACHSUBMENU(sub);
    image = s.grab(xp);
    row = s.rectOf(s.shortcut);
    EXPECT_EQ(row.width(), widthBefore + 20);
    end = textEnd(image, row);
    EXPECT_LT(end, row.left() + row.width() - 20);
    EXPECT_GE(end, row.left() + row.width() - 20 - 4);
}

TEST(MenuPainters, Office2003WithoutGradientsIsXpWithItsColours)
{
    SamplePopup s;
    CFCMENUITEMDRAWCLASS_XP xp;
    CFCMENUITEMDRAWCLASS_2003 blue;
    const QImage flat = s.grab(xp);
    const QRect mail = s.rectOf(s.mail), sep = s.rectOf(s.separator);
    const QImage gradient = s.grab(blue);
    EXPECT_EQ(s.rectOf(s.mail), mail); // same geometry
    EXPECT_EQ(at(gradient, sep.left() + 24, sep.top() + 1), blue.COLOR_SEPARATOR);
    EXPECT_EQ(at(gradient, 0, 0), blue.COLOR_POPUPWINDOWBORDER);
    const int barX = mail.left() + 1, barY = mail.top() + 20;
    EXPECT_NE(at(gradient, barX, barY), at(flat, barX, barY)); // the icon bar's gradient
    // Light at the left, darker to the right.
    EXPECT_GT(gradient.pixelColor(barX, barY).lightness(), gradient.pixelColor(mail.left() + 18, barY).lightness() + 20);

    blue.gradients = false;
    const QImage plain = s.grab(blue);
    EXPECT_EQ(at(plain, barX, barY), at(flat, barX, barY));
    EXPECT_EQ(at(plain, sep.left() + 24, sep.top() + 1), blue.COLOR_SEPARATOR);
}

TEST(MenuPainters, ClassicLookLeavesTheEntriesToTheSystem)
{
    SamplePopup s;
    CFCMENUITEMDRAWCLASS_STD classic;
    s.grab(classic);
    EXPECT_FALSE(s.mail.OWNERDRAW);
    EXPECT_TRUE(s.mail.CALLBACKBITMAP);
    EXPECT_FALSE(s.separator.CALLBACKBITMAP);
    EXPECT_EQ(s.mail.action()->icon().pixmap(16, 16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32),
              s.mail.HICONDISABLED);
    // Classic entries are as high as the system makes them, whatever the flat looks say.
    QMenu plain;
    plain.addAction(QIcon(QPixmap::fromImage(s.icon)), "Novi email");
    plain.adjustSize();
    EXPECT_EQ(s.rectOf(s.mail).height(), plain.actionGeometry(plain.actions().front()).height());
    CFCMENUITEMDRAWCLASS_XP xp;
    s.grab(xp);
    EXPECT_TRUE(s.mail.OWNERDRAW);
}

TEST(MenuPainters, TheSkinLeavesChromeMenusToTheirLook)
{
    const QString before = qApp->styleSheet();
    const testsupport::OnScopeExit restore([&] { qApp->setStyleSheet(before); });
    qApp->setStyleSheet(".QMenu { background: #fbfcfe; border: 1px solid #8db2e3; }\n"
                        ".QMenu::separator { height: 1px; background: #c5d5ea; margin: 3px 6px; }");
    SamplePopup s;
    CFCMENUITEMDRAWCLASS_XP xp;
    const QImage image = s.grab(xp);
    const QRect sep = s.rectOf(s.separator);
    EXPECT_EQ(sep.height(), 3);
    EXPECT_EQ(at(image, sep.left() + 24, sep.top() + 1), xp.COLOR_SEPARATOR);
    EXPECT_EQ(at(image, 0, 0), xp.COLOR_POPUPWINDOWBORDER);
}
