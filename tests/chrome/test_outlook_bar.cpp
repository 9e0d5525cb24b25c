// The Outlook-style bar's model: one open group, the open group in an INI file, icons and
// colour schemes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "chrome/OutlookBar.h"
#include "runtime/IniFile.h"

namespace {

// Counts how often the bar asks to be shown afresh.
struct CountingHost : pob::OutlookBarHost {
    int refreshed = 0;
    void refresh() override { ++refreshed; }
    void postAccepted(long) override {}
};

} // namespace

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
    CountingHost host;
    bar.setHost(&host);
    const int& refreshed = host.refreshed;
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

// ---- drawing and input ------------------------------------------------------------------------

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "chrome/OutlookBarWidget.h"
#include "tests/support/WindowPartsFakes.h"
#include "tests/support/TestSupport.h"

namespace {

// Opens a clicked group, as a bar's owner does, and records every call.
class OpeningBar : public POOUTLOOKBARCLASS {
public:
    std::vector<std::tuple<long, long, long, long>> calls;
    int EXECUTEACTION(long h, long t, long button, long value) override
    {
        calls.emplace_back(h, t, button, value);
        if (t == 0)
            SETEXPANDED(h);
        return 0;
    }
};

} // namespace

TEST(OutlookBarLayout, LaterGroupsSitAtTheBottomAndTheOpenOneScrolls)
{
    OpeningBar bar;
    bar.INIT(0);
    const long a = bar.ADDHEADER("A"), b = bar.ADDHEADER("B"), c = bar.ADDHEADER("C");
    for (int i = 0; i < 10; ++i)
        bar.ADDTASK(b, QStringLiteral("t%1").arg(i), 100 + i);
    bar.SETEXPANDED(b);
    pob::BarLayout out = pob::layoutBar(bar, QSize(150, 300));
    ASSERT_EQ(out.bands.size(), 3u);
    EXPECT_EQ(out.bands[2].rect.bottom() + 1, 300) << "the group after the open one sits at the bottom";
    EXPECT_EQ(out.bands[1].rect.top(), 19) << "buttons overlap by 1";
    ASSERT_TRUE(out.scroll);
    EXPECT_EQ(out.scrollRect.top(), out.bands[1].rect.bottom() + 2);
    EXPECT_LE(out.scrollRect.bottom(), out.bands[2].rect.top());
    EXPECT_EQ(out.scrollRect.width(), 20);
    // Row height = icon 16 + font 13 + 5 + spacing 5, every row 5 apart: 44.
    EXPECT_EQ(out.total, 440 / 44);
    bar.TAKESCROLLEVENT(3, out.visible, out.total);
    out = pob::layoutBar(bar, QSize(150, 300));
    EXPECT_TRUE(bar.task(b, bar.headers()[1].TASKQUEUE[0].ID)->MOUSERECT.isNull()) << "scrolled out";
    EXPECT_FALSE(out.rows.empty());
    EXPECT_EQ(out.rows[0].task, bar.headers()[1].TASKQUEUE[size_t(bar.SCROLLPOS - 1)].ID);

    // A group click opens it, calls the action with its state before, and scrolls to the top.
    const QPoint onA = bar.header(a)->MOUSERECT.center();
    EXPECT_TRUE(bar.TAKEMOUSEBUTTONEVENT(1, onA.x(), onA.y()));
    EXPECT_EQ(bar.calls.back(), std::make_tuple(a, 0L, 1L, 0L));
    EXPECT_EQ(bar.SCROLLPOS, 1);
    EXPECT_TRUE(bar.GETEXPANDED(a));
    bar.TAKESCROLLEVENT(0, 3, 10);
    EXPECT_EQ(bar.SCROLLPOS, 1) << "up at the first row stays there";
    (void)c;

    // Without buttons no group takes a click.
    bar.SETSHOWHEADERS(false);
    pob::layoutBar(bar, QSize(150, 300));
    EXPECT_FALSE(bar.TAKEMOUSEBUTTONEVENT(1, onA.x(), onA.y()));
}

TEST(OutlookBarWidget, DisabledTasksMirroredButtonsAndTheTwoLooks)
{
    QWidget window;
    auto* button = new QPushButton("Ispis", &window);
    int clicked = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicked; });
    OpeningBar bar;
    bar.INIT(1);
    bar.SETCOLORSCHEME(2);
    const long g = bar.ADDHEADER("Pošta", {}, 1);
    const long off = bar.ADDTASK(g, "Isključen", 1, false, "i.ico");
    bar.SETENABLED(false);
    const long mimic = bar.ADDTASK(g, "Ispis", 44, true);
    auto* widget = new OutlookBarWidget(bar, &window);
    widget->setButtons(std::make_unique<testsupport::OneButton>(button, 44));
    widget->setGeometry(0, 0, 160, 240);
    window.resize(300, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    widget->refresh();

    const QPoint onOff = bar.task(g, off)->MOUSERECT.center();
    EXPECT_FALSE(bar.TAKEMOUSEMOVEEVENT(onOff.x(), onOff.y()));
    EXPECT_FALSE(bar.task(g, off)->ISHOVERED);
    EXPECT_FALSE(bar.TAKEMOUSEBUTTONEVENT(1, onOff.x(), onOff.y()));

    // The gradient look: the open group's button from its light colour at the top.
    const QImage shot = widget->grab().toImage();
    const QRect band = widget->layout().bands[0].rect;
    const QColor top = shot.pixelColor(band.center().x(), band.top() + 1);
    EXPECT_NEAR(top.red(), 204, 8);
    EXPECT_NEAR(top.blue(), 252, 8);

    // A click on the mirrored task presses its button after the click.
    button->setEnabled(false);
    EXPECT_TRUE(testsupport::waitFor([&] { return !bar.task(g, mimic)->ISENABLED; }));
    button->setEnabled(true);
    EXPECT_TRUE(testsupport::waitFor([&] { return bar.task(g, mimic)->ISENABLED; }));
    const QPoint onMimic = bar.task(g, mimic)->MOUSERECT.center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, onMimic);
    EXPECT_EQ(clicked, 0);
    EXPECT_TRUE(testsupport::waitFor([&] { return clicked == 1; }));
    EXPECT_EQ(bar.calls.back(), std::make_tuple(g, mimic, 1L, 44L));

    // The flat look: the button's face.
    bar.SETSTYLE(0);
    widget->refresh();
    const QImage flat = widget->grab().toImage();
    const QRect flatBand = widget->layout().bands[0].rect;
    EXPECT_EQ(flat.pixelColor(flatBand.left() + 10, flatBand.center().y()), QColor(134, 172, 228));
}
