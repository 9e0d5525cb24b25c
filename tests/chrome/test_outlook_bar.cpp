// The Outlook-style bar's model: one open group, the open group in an INI file, icons and
// colour schemes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "chrome/OutlookBar.h"
#include "runtime/IniFile.h"

TEST(OutlookBarModel, OneGroupOpenAtATime)
{
    POOUTLOOKBARCLASS bar;
    const long mail = bar.ADDHEADER("Pošta"), tasks = bar.ADDHEADER("Zadaci");
    EXPECT_TRUE(bar.GETEXPANDED(mail));
    EXPECT_FALSE(bar.GETEXPANDED(tasks));
    bar.SETEXPANDED(tasks);
    EXPECT_FALSE(bar.GETEXPANDED(mail));
    EXPECT_TRUE(bar.GETEXPANDED(tasks));
    bar.SETEXPANDED(4242);
    EXPECT_FALSE(bar.GETEXPANDED(mail) || bar.GETEXPANDED(tasks)) << "an unknown group closes all";

    const long t = bar.ADDTASK(tasks, "Novi", 7, false, "i.ico", false, 99);
    EXPECT_EQ(bar.GETTASKUSERDATA(tasks, t), 99u);
    EXPECT_EQ(bar.ADDTASK(4242, "Nigdje", 1), 0);
    bar.SETICON(tasks, t);
    EXPECT_EQ(bar.task(tasks, t)->ICONNAME, "i.ico");
    bar.SETICON(tasks, t, {}, "i_off.ico");
    EXPECT_EQ(bar.task(tasks, t)->ICONNAME, "i.ico");
    EXPECT_EQ(bar.task(tasks, t)->DISABLEDICONNAME, "i_off.ico");
    bar.SETENABLED(false);
    EXPECT_FALSE(bar.task(tasks, t)->ISENABLED);
}

TEST(OutlookBarModel, OpenGroupRemembered)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Standard.ini");
    POOUTLOOKBARCLASS bar;
    int refreshed = 0;
    bar.refresh = [&] { ++refreshed; };
    const long a = bar.ADDHEADER("Pošta, primljena"), b = bar.ADDHEADER("Zadaci"), twin = bar.ADDHEADER("Zadaci");
    bar.SETEXPANDED(b);
    ASSERT_TRUE(bar.SAVEEXPANDED("Open", ini));
    EXPECT_EQ(vrt::IniFile(ini).get("OutlookBar", "Open"), "Zadaci");
    bar.SETEXPANDED(a);
    bar.LOADEXPANDED("Open", ini);
    EXPECT_TRUE(bar.GETEXPANDED(b));
    EXPECT_FALSE(bar.GETEXPANDED(twin)) << "only the first group of that title opens";
    EXPECT_FALSE(bar.GETEXPANDED(a));
    EXPECT_EQ(refreshed, 1);

    // A title with a comma is stored as it is.
    bar.SETEXPANDED(a);
    ASSERT_TRUE(bar.SAVEEXPANDED("Open", ini));
    bar.SETEXPANDED(b);
    bar.LOADEXPANDED("Open", ini);
    EXPECT_TRUE(bar.GETEXPANDED(a));

    // None open: "0", which opens nothing later.
    bar.SETEXPANDED(4242);
    ASSERT_TRUE(bar.SAVEEXPANDED("Open", ini));
    EXPECT_EQ(vrt::IniFile(ini).get("OutlookBar", "Open"), "0");
    bar.SETEXPANDED(b);
    bar.LOADEXPANDED("Open", ini);
    EXPECT_TRUE(bar.GETEXPANDED(b));
}

TEST(OutlookBarModel, ColourSchemes)
{
    POOUTLOOKBARCLASS bar;
    EXPECT_EQ(bar.CHEADERS.BACKGROUND, pxp::sysColor(15));
    EXPECT_EQ(bar.CHEADERBORDERS.GRADIENTFROM, pxp::sysColor(5));
    bar.SETCOLORSCHEME(2);
    EXPECT_EQ(bar.CHEADERS.BACKGROUND, pxp::rgb(134, 172, 228));
    EXPECT_EQ(bar.CHEADERSHOVERED.GRADIENTTO, pxp::rgb(251, 179, 90));
    EXPECT_EQ(bar.CHEADERBORDERS.BACKGROUND, pxp::rgb(70, 108, 164));
    EXPECT_EQ(bar.CPANEL.GRADIENTFROM, pxp::rgb(204, 228, 252));
    EXPECT_EQ(bar.CTASKS.DISABLEDTEXT, pxp::rgb(136, 136, 136));
    EXPECT_EQ(bar.CBORDERS.BACKGROUND, pxp::sysColor(15));
    const pob::COLORS before = bar.CHEADERS;
    bar.SETCOLORSCHEME(3);
    EXPECT_EQ(bar.CHEADERS.BACKGROUND, before.BACKGROUND);
    // System colours pass the rule, except in the border colours.
    bar.SETHEADERCOLORS(0x8000000F, 0, 0, 0, 0);
    EXPECT_EQ(bar.CHEADERS.BACKGROUND, pxp::sysColor(15));
    bar.SETBORDERCOLORS(0x8000000F, 0, 0);
    EXPECT_EQ(bar.CBORDERS.GRADIENTFROM, pxp::COLORREF(0x8000000F));
}
