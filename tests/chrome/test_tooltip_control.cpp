// Tooltips over tools of a window: ids, texts and titles, showing over a tool's rectangle,
// the balloon look, and a tooltip updating when another pops.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QStyle>
#include <QWidget>

#include "chrome/ChromeGlobals.h"
#include "chrome/TooltipControl.h"
#include "tests/support/TestSupport.h"

namespace {
struct Recording : CFCTOOLTIPSCLASS {
    QStringList calls;
    void ONSHOW(long) override { calls << QStringLiteral("show"); }
    void ONPOP(long) override { calls << QStringLiteral("pop"); }
};

// A shown parent with a tooltip control on it.
struct OnParent : ::testing::Test {
    QWidget parent;
    Recording tips;
    void SetUp() override
    {
        parent.resize(200, 100);
        tips.INIT(&parent);
        tips.CREATETOOLTIP();
    }
};

bool help(QWidget& parent, QPoint pos)
{
    // Taken by the tooltips: accepted; the parent's own handling ignores it (it has no tip).
    QHelpEvent e(QEvent::ToolTip, pos, parent.mapToGlobal(pos));
    QApplication::sendEvent(&parent, &e);
    return e.isAccepted();
}
} // namespace

TEST(TooltipControl, ToolsTheirIdsAndTexts)
{
    QWidget parent;
    CFCTOOLTIPSCLASS tips;
    tips.INIT(&parent);
    EXPECT_EQ(tips.ADDTOOL(QStringLiteral("early"), QRect(0, 0, 5, 5)), -1); // no tip window yet
    ASSERT_NE(tips.CREATETOOLTIP(), nullptr);
    CFCCOMMANDCNT counter;
    counter.INIT(16010);
    tips.SETCOMMANDCNT(counter);

    const long rectTool = tips.ADDTOOL(QStringLiteral("Save   "), QRect(0, 0, 20, 20));
    EXPECT_EQ(rectTool, 16011);
    EXPECT_EQ(tips.GETTOOLTEXT(rectTool), QStringLiteral("Save"));
    EXPECT_EQ(tips.GETTOOLTEXTLEN(rectTool), 4);
    const long whole = tips.ADDTOOL();
    EXPECT_EQ(whole, CFCTOOLTIPSCLASS::handleOf(&parent));
    CFCTOOLTIPSCLASS::ToolInfo info;
    ASSERT_EQ(tips.GETTOOLINFOBYID(whole, info), 0);
    EXPECT_TRUE(info.wholeWindow);
    EXPECT_TRUE(info.flags & CFCTOOLTIPSCLASS::TTF_IDISHWND);
    EXPECT_EQ(tips.GETTOOLCOUNT(), 2);
    EXPECT_EQ(tips.GETTOOLINFOBYIDX(1, info), 0);
    EXPECT_EQ(info.id, whole);
    EXPECT_EQ(tips.GETTOOLINFOBYIDX(2, info), -1);

    EXPECT_EQ(tips.DELTOOL(4711), -1);
    EXPECT_EQ(tips.GETTOOLCOUNT(), 2);
    EXPECT_EQ(tips.SETTOOLTEXT(4711, QStringLiteral("x")), -1);
    EXPECT_EQ(tips.SETTOOLTEXT(rectTool, QStringLiteral("Spremi")), 0);
    EXPECT_EQ(tips.GETTOOLTEXT(rectTool), QStringLiteral("Spremi"));
    // A tool that asks for its text keeps asking.
    EXPECT_EQ(tips.SETTOOLTEXT(whole, QStringLiteral("x")), 0);
    EXPECT_EQ(tips.GETTOOLTEXT(whole), QString());
    EXPECT_EQ(tips.DELTOOL(rectTool), 0);
    EXPECT_EQ(tips.GETTOOLCOUNT(), 1);

    EXPECT_EQ(tips.SETTITLE(QString(120, QLatin1Char('t')), CFCTOOLTIPSCLASS::TTI_WARNING), 0);
    EXPECT_EQ(tips.GETTITLETEXTLEN(), 100);
    EXPECT_EQ(tips.GETTITLEICONID(), CFCTOOLTIPSCLASS::TTI_WARNING);
    tips.REMOVETITLE();
    EXPECT_EQ(tips.GETTITLETEXT(), QString());
    EXPECT_EQ(tips.GETTITLECOPIEDHICON(), 0u);

    // Delays: kinds of their own, the automatic one sets all three, negative is the default.
    tips.SETDELAYTIME(CFCTOOLTIPSCLASS::TTDT_AUTOMATIC, 400);
    EXPECT_EQ(tips.GETINITIALTIME(), 400);
    EXPECT_EQ(tips.GETRESHOWTIME(), 80);
    EXPECT_EQ(tips.GETAUTOPOPTIME(), 4000);
    tips.SETAUTOPOPTIME(900);
    EXPECT_EQ(tips.GETAUTOPOPTIME(), 900);
    tips.SETINITIALTIME(-1);
    EXPECT_EQ(tips.GETINITIALTIME(), QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay));
    EXPECT_EQ(tips.SETMAXTIPWIDTH(200), -1);
    EXPECT_EQ(tips.GETMAXTIPWIDTH(), 200);
}

TEST_F(OnParent, ShowsTheTextOfTheToolUnderTheMouse)
{
    const long left = tips.ADDTOOL(QStringLiteral("Lijevo"), QRect(0, 0, 50, 50));
    const long asked = tips.ADDTOOL(QRect(100, 0, 50, 50));
    struct Answering : TooltipTexts {
        long asked = 0;
        QString needText(long id) override { return id == asked ? QStringLiteral("Pitano") : QString(); }
    } texts;
    texts.asked = asked;
    tips.setTexts(&texts);
    parent.show();

    EXPECT_TRUE(help(parent, {10, 10}));
    ASSERT_TRUE(tips.ISTOOLVISIBLE());
    auto* text = tips.tooltipWindow()->findChildren<QLabel*>().last();
    EXPECT_EQ(text->text(), QStringLiteral("Lijevo"));
    CFCTOOLTIPSCLASS::ToolInfo info;
    ASSERT_EQ(tips.GETCURRENTTOOLINFO(info), 0);
    EXPECT_EQ(info.id, left);
    EXPECT_TRUE(help(parent, {110, 10}));
    EXPECT_EQ(text->text(), QStringLiteral("Pitano"));
    // Outside every tool the parent's own help goes on as before.
    EXPECT_FALSE(help(parent, {180, 80}));

    long w = 0, h = 0;
    EXPECT_GT(tips.GETBUBBLESIZE(left, w, h), 0);
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_EQ(tips.GETBUBBLESIZE(4711, w, h), 0);

    tips.POPTOOLTIP();
    EXPECT_FALSE(tips.ISTOOLVISIBLE());
    // The application's tooltip manager delivers the notices, after the event in hand.
    EXPECT_TRUE(testsupport::waitFor([&] { return tips.calls == QStringList{"show", "pop"}; }))
        << tips.calls.join(u',').toStdString();

    // Deactivated, nothing shows.
    tips.ACTIVATE(false);
    EXPECT_FALSE(help(parent, {10, 10}));
    EXPECT_FALSE(tips.ISTOOLVISIBLE());
}

TEST_F(OnParent, AnotherTooltipPoppingUpdatesThisOne)
{
    const long tool = tips.ADDTOOL(QStringLiteral("Prije"), QRect(0, 0, 50, 50));
    parent.show();
    help(parent, {5, 5});
    ASSERT_TRUE(tips.ISTOOLVISIBLE());
    tips.SETTOOLTEXT(tool, QStringLiteral("Poslije"));
    tips.tooltipNotify(CFCTOOLTIPSCLASS::OnUpdate);
    // Deactivating popped the tip; active again afterwards, it shows the new text.
    EXPECT_FALSE(tips.ISTOOLVISIBLE());
    EXPECT_TRUE(tips.active());
    help(parent, {5, 5});
    EXPECT_EQ(tips.tooltipWindow()->findChildren<QLabel*>().last()->text(), QStringLiteral("Poslije"));
    // The manager's notices reach the virtual operations.
    tips.calls.clear();
    tips.tooltipNotify(CFCTOOLTIPSCLASS::OnShow);
    tips.tooltipNotify(CFCTOOLTIPSCLASS::OnPop);
    tips.tooltipNotify(12345);
    EXPECT_EQ(tips.calls, (QStringList{"show", "pop"}));
}

TEST(TooltipControl, TheBalloonHasATailAndTheTipsColours)
{
    QWidget parent;
    parent.resize(100, 100);
    CFCTOOLTIPSCLASS tips;
    tips.INIT(&parent);
    QWidget* window = tips.CREATETOOLTIP(CFCTOOLTIPSCLASS::TTS_BALLOON);
    tips.SETTIPBKCOLOR(pxp::rgb(0, 0, 255));
    tips.SETTITLE(QStringLiteral("Naslov"), CFCTOOLTIPSCLASS::TTI_INFO);
    tips.ADDTOOL(QStringLiteral("Tekst balona"), QRect(0, 0, 50, 50));
    parent.show();
    help(parent, {10, 10});
    ASSERT_TRUE(window->isVisible());
    const QImage image = window->grab().toImage();
    // The body is the background colour; the corner above the tail's side is cut away.
    const QColor body = image.pixelColor(image.width() / 2, image.height() - 6);
    EXPECT_EQ(body, QColor(0, 0, 255));
    EXPECT_FALSE(window->mask().contains(QPoint(image.width() - 2, 1)));
    EXPECT_TRUE(window->mask().contains(QPoint(image.width() / 2, image.height() / 2)));
    // Title, icon and text sit in the body, below the tail.
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            EXPECT_GE(label->geometry().top(), 12) << label->text().toStdString();
        }
    }
}

TEST_F(OnParent, HoveringOverAToolShowsItsTipAfterTheInitialDelay)
{
    tips.ADDTOOL(QStringLiteral("Lebdi"), QRect(0, 0, 50, 50));
    tips.SETINITIALTIME(20);
    tips.SETAUTOPOPTIME(60000);
    parent.show();
    const auto hover = [&](QEvent::Type type, QPoint pos) {
        QHoverEvent e(type, QPointF(pos), QPointF(parent.mapToGlobal(pos)), QPointF(pos));
        QApplication::sendEvent(&parent, &e);
    };
    hover(QEvent::HoverMove, {120, 60}); // outside every tool
    hover(QEvent::HoverMove, {10, 10});
    EXPECT_FALSE(tips.ISTOOLVISIBLE());
    QTRY_VERIFY(tips.ISTOOLVISIBLE());
    hover(QEvent::HoverLeave, {300, 300});
    EXPECT_FALSE(tips.ISTOOLVISIBLE());
    // The auto-pop delay hides the tip by itself.
    tips.SETAUTOPOPTIME(30);
    hover(QEvent::HoverMove, {12, 12});
    QTRY_VERIFY(tips.ISTOOLVISIBLE());
    QTRY_VERIFY(!tips.ISTOOLVISIBLE());
}
