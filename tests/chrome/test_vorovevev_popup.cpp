// The popups the toolbar draws itself while a menu style is set: the colours and sizes of each
// menu style as tables, pixel probes of entries, separators and the popup frame, the look put
// on a window menu's popups only while they are open, and the balloon tips of tooltip mode 2.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include "chrome/VorovevevClass.h"
#include "chrome/VorovevevMenuLook.h"
#include "chrome/VorovevevPopupStyle.h"
#include "tests/support/TestSupport.h"

using namespace ptb;
using testsupport::waitFor;

namespace {

ColorTable defaults()
{
    ColorTable t;
    SETDEFAULTCOLORS(t, false, {});
    return t;
}

// Every character 5 pixels wide.
struct FixedMeasurer : Measurer {
    int textWidth(const QString& text, bool) const override { return int(text.size()) * 5; }
    int textWidthIn(const QFont&, const QString& text) const override { return int(text.size()) * 5; }
    int textHeight() const override { return 13; }
};

PopupLook lookOf(int menuStyle)
{
    PopupLook look;
    look.menuStyle = menuStyle;
    look.colors = defaults();
    look.font = QFont(QStringLiteral("Tahoma"));
    look.font.setPixelSize(11);
    look.checkFont = marlettFont(18);
    return look;
}

QColor colour(const ColorTable& t, long index) { return toQColor(t[size_t(index)]); }

// Gradients may round a step either way.
bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 && std::abs(a.blue() - b.blue()) <= 2;
}

// One entry of a popup painted alone into a 200 x 22 image.
QImage paintEntry(const PopupStyle& style, QStyleOptionMenuItem::MenuItemType type, bool selected, bool enabled = true,
                  bool checked = false)
{
    QImage image(200, 22, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QStyleOptionMenuItem o;
    o.rect = image.rect();
    o.menuItemType = type;
    o.text = QStringLiteral("Open\tCtrl+O");
    o.state = QStyle::State_None;
    if (enabled)
        o.state |= QStyle::State_Enabled;
    if (selected)
        o.state |= QStyle::State_Selected;
    if (checked) {
        o.checkType = QStyleOptionMenuItem::NonExclusive;
        o.checked = true;
    }
    QPainter p(&image);
    style.drawControl(QStyle::CE_MenuItem, &o, &p);
    return image;
}

} // namespace

TEST(ToolbarPopupLook, ColoursOfEachMenuStyle)
{
    const ColorTable t = defaults();
    struct Case {
        int style;
        long back, frame, select, selectFrame, text;
        int textLeft;
    };
    for (const Case& c : {Case{2, 48, 49, 50, 51, 53, 28}, Case{1, 25, 26, 27, 28, 30, 28},
                          Case{3, 25, 26, 27, 0, 14, 21}, Case{0, 8, 9, 0, 0, 14, 26}}) {
        SCOPED_TRACE(c.style);
        const MenuColourIndices i = menuColourIndices(c.style);
        EXPECT_EQ(i.back, c.back);
        EXPECT_EQ(i.frame, c.frame);
        EXPECT_EQ(i.select, c.select);
        EXPECT_EQ(i.selectFrame, c.selectFrame);
        EXPECT_EQ(menuTextColour(c.style, false, t), t[size_t(c.text)]);
        EXPECT_EQ(menuTextLeft(c.style), c.textLeft);
    }
    // Greyed text, and the raised copy only style 0 gives it.
    EXPECT_EQ(menuTextColour(2, true, t), RGB(192, 192, 192));
    EXPECT_EQ(menuTextColour(0, true, t), RGB(128, 128, 128));
    EXPECT_EQ(menuEmbossColour(0, true, t), t[6]);
    EXPECT_EQ(menuEmbossColour(0, false, t), NoColour);
    EXPECT_EQ(menuEmbossColour(2, true, t), NoColour);
}

TEST(ToolbarPopupLook, IconColumnCheckBoxAndFrameOfEachMenuStyle)
{
    const ColorTable t = defaults();
    struct Case {
        int style;
        int column;
        COLORREF columnStart, columnEnd, checkFill, checkFrame, outer, light;
    };
    const Case cases[] = {
        {2, 22, t[33], t[34], t[50], t[49], t[49], NoColour},
        {1, 22, t[17], t[17], t[27], t[28], t[26], NoColour},
        {3, 0, NoColour, NoColour, NoColour, NoColour, t[26], NoColour},
        {0, 0, NoColour, NoColour, NoColour, NoColour, NoColour, t[9]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        const MenuIconColumn column = menuIconColumn(c.style, t);
        EXPECT_EQ(column.width, c.column);
        EXPECT_EQ(column.start, c.columnStart);
        EXPECT_EQ(column.end, c.columnEnd);
        const MenuCheckBox box = menuCheckBox(c.style, t);
        EXPECT_EQ(box.fill, c.checkFill);
        EXPECT_EQ(box.frame, c.checkFrame);
        const MenuFrameLook frame = menuFrame(c.style, t);
        EXPECT_EQ(frame.band, t[size_t(menuColourIndices(c.style).back)]);
        EXPECT_EQ(frame.outer, c.outer);
        EXPECT_EQ(frame.light, c.light);
        EXPECT_EQ(frame.dark, c.style == 0 ? t[10] : NoColour);
        EXPECT_EQ(frame.shadow, c.style == 0 ? RGB(0, 0, 0) : NoColour);
    }
}

TEST(ToolbarPopupLook, TheHighlightedEntry)
{
    const ColorTable t = defaults();
    struct Case {
        int style;
        bool greyed, keys;
        COLORREF fill, frame;
    };
    const Case cases[] = {
        {2, false, false, t[50], t[51]},      {2, true, false, NoColour, NoColour},
        {2, true, true, t[48], t[51]},        {1, false, false, t[27], t[28]},
        {1, true, true, t[25], t[28]},        {0, false, false, t[11], NoColour},
        {3, false, true, t[11], NoColour},    {0, true, false, NoColour, NoColour},
        {3, true, true, NoColour, t[12]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << ' ' << c.greyed << ' ' << c.keys);
        const MenuSelection s = menuSelection(c.style, c.greyed, c.keys, t);
        EXPECT_EQ(s.fill, c.fill);
        EXPECT_EQ(s.frame, c.frame);
    }
}

TEST(ToolbarPopupLook, SizesOfEntriesAndTheirShortcutColumn)
{
    const FixedMeasurer m;
    struct Case {
        bool separator;
        QString text;
        int style;
        int width, height;
    };
    const Case cases[] = {
        {true, QStringLiteral("ignored"), 2, 10, 5},
        {false, QStringLiteral("Open"), 2, (4 + 3) * 5 + 30, 22},
        {false, QStringLiteral("Open"), 3, (4 + 3) * 5 + 20, 22},
        {false, QStringLiteral("Open\t"), 1, (5 + 3) * 5 + 10 + 30, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const MenuItemSize s = measureMenuItem(c.separator, c.text, c.style, 23, m);
        EXPECT_EQ(s.width, c.width);
        EXPECT_EQ(s.height, c.height);
    }
    // The shortcut column is the widest text after a tab + 10; none without a tab.
    EXPECT_EQ(menuHotKeyX({QStringLiteral("Open\tCtrl+O"), QStringLiteral("Save as\tCtrl+Shift+S"),
                           QStringLiteral("Close")},
                          m),
              12 * 5 + 10);
    EXPECT_EQ(menuHotKeyX({QStringLiteral("Close")}, m), 0);
    EXPECT_EQ(splitMenuText(QStringLiteral("Open\tCtrl+O")), std::make_pair(QStringLiteral("Open"), QStringLiteral("Ctrl+O")));
    EXPECT_EQ(splitMenuText(QStringLiteral("a\t") + QString(40, u'x')).second.size(), 29);
    EXPECT_EQ(splitMenuText(QStringLiteral("Close")).second, QString());
}

TEST(ToolbarPopupLook, EntriesSeparatorsAndChecksArePaintedInTheToolbarsColours)
{
    const ColorTable t = defaults();
    const PopupStyle gradient(lookOf(2));
    // The icon column starts in colour 33; the rest is the background; the hot entry is filled
    // and framed.
    QImage plain = paintEntry(gradient, QStyleOptionMenuItem::Normal, false);
    EXPECT_TRUE(near(plain.pixelColor(0, 11), colour(t, 33)));
    EXPECT_EQ(plain.pixelColor(150, 2), colour(t, 48));
    QImage hot = paintEntry(gradient, QStyleOptionMenuItem::Normal, true);
    EXPECT_EQ(hot.pixelColor(0, 0), colour(t, 51));
    EXPECT_EQ(hot.pixelColor(150, 2), colour(t, 50));
    // A greyed hot entry shows nothing while the mouse works the popup.
    EXPECT_EQ(paintEntry(gradient, QStyleOptionMenuItem::Normal, true, false).pixelColor(150, 2), colour(t, 48));
    // Separators: style 2 from 24 pixels in colour 52; style 0 a line in 13 over one in 9.
    QImage line = paintEntry(gradient, QStyleOptionMenuItem::Separator, false);
    EXPECT_EQ(line.pixelColor(30, 2), colour(t, 52));
    EXPECT_NE(line.pixelColor(10, 2), colour(t, 52));
    QImage classic = paintEntry(PopupStyle(lookOf(0)), QStyleOptionMenuItem::Separator, false);
    EXPECT_EQ(classic.pixelColor(5, 2), colour(t, 13));
    EXPECT_EQ(classic.pixelColor(5, 3), colour(t, 9));
    EXPECT_EQ(classic.pixelColor(5, 10), colour(t, 8));
    // A checked entry: its box filled in 50 and framed in 49.
    QImage checked = paintEntry(gradient, QStyleOptionMenuItem::Normal, false, true, true);
    EXPECT_EQ(checked.pixelColor(1, 1), colour(t, 49));
    EXPECT_EQ(checked.pixelColor(3, 3), colour(t, 50));
}

TEST(ToolbarPopupLook, TheWindowMenusPopupsWearTheLookOnlyWhileOpen)
{
    QMainWindow main;
    QMenu* file = main.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open\tCtrl+O"));
    QMenu* recent = file->addMenu(QStringLiteral("&Recent"));
    recent->addAction(QStringLiteral("first"));
    auto* host = new QWidget;
    auto* central = new QWidget;
    (new QVBoxLayout(central))->addWidget(host);
    main.setCentralWidget(central);
    main.resize(400, 200);
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    tb->ADDMENU(100);
    tb->INIT();
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    // What the popups wear while open (the style itself is gone once they close).
    int wornStyle = -2;
    bool submenuToo = false;
    VOROVEVEVCLASS::setPopupHook([&](const QStringList&) {
        const auto* styled = qobject_cast<PopupStyle*>(file->style());
        wornStyle = styled ? styled->look().menuStyle : -1;
        submenuToo = styled && recent->style() == file->style();
        return 0L;
    });
    testsupport::OnScopeExit noHook([] { VOROVEVEVCLASS::setPopupHook({}); });
    tb->OPENMENU(100);
    EXPECT_EQ(wornStyle, -1) << "menu style -1 keeps the desktop's look";

    tb->SETMENUSTYLE(2);
    ASSERT_TRUE(waitFor([&] { return !tb->MENUISCLOSING; }));
    tb->OPENMENU(100);
    EXPECT_EQ(wornStyle, 2);
    EXPECT_TRUE(submenuToo);
    // Taken off again: the window's menus are the desktop's once more.
    EXPECT_EQ(file->style(), QApplication::style());
    EXPECT_EQ(recent->style(), QApplication::style());
    EXPECT_FALSE(file->testAttribute(Qt::WA_SetStyle));

    // Shown for real, the popup's frame and entries take the toolbar's colours.
    {
        PopupStyleScope scope(*file, tb->popupLook());
        file->popup(main.mapToGlobal(QPoint(10, 30)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
        const QImage image = file->grab().toImage();
        const ColorTable& t = tb->colors();
        EXPECT_EQ(image.pixelColor(0, 0), colour(t, 49));
        EXPECT_EQ(image.pixelColor(1, image.height() / 2), colour(t, 48));
        EXPECT_EQ(image.pixelColor(image.width() - 10, 3 + 4), colour(t, 48));
        EXPECT_EQ(tb->CALCULATEMENUHOTKEYX(*file), tb->measurer().textWidth(QStringLiteral("Ctrl+O")) + 10);
        file->hide();
    }
    EXPECT_EQ(file->style(), QApplication::style());
}

TEST(ToolbarPopupLook, BalloonTipsInTooltipModeTwo)
{
    QWidget window;
    auto* host = new QWidget(&window);
    (new QVBoxLayout(&window))->addWidget(host);
    window.resize(300, 100);
    auto* tb = new VOROVEVEVCLASS;
    tb->INITCONTROL(host, true);
    tb->ADDBAND(1, 0);
    tb->ADDBUTTON(1, 10, QStringLiteral("Go"));
    tb->SETTOOLTIP(10, QStringLiteral("Runs the search"));
    tb->INIT();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(waitFor([&] { return tb->GETCONTROL(10)->RAREA.width() > 0; }));
    const Rect r = tb->GETCONTROL(10)->RAREA;
    const QPoint at(int(r.left + 4), int(r.top + 4));
    auto askTip = [&] {
        QHelpEvent help(QEvent::ToolTip, at, tb->mapToGlobal(at));
        QApplication::sendEvent(tb, &help);
    };
    auto balloon = [&]() -> QWidget* {
        for (QWidget* w : tb->findChildren<QWidget*>(QStringLiteral("CfcTooltip")))
            if (w->isVisible())
                return w;
        return nullptr;
    };
    auto balloonText = [&] {
        QWidget* w = balloon();
        QString text;
        if (w)
            for (QLabel* l : w->findChildren<QLabel*>())
                text += l->text();
        return text;
    };

    tb->SETTOOLTIPMODE(2);
    askTip();
    EXPECT_TRUE(waitFor([&] { return balloonText().contains(QStringLiteral("Runs the search")); }));
    EXPECT_FALSE(QToolTip::isVisible());

    // Back to ordinary tips: the balloon control goes.
    tb->SETTOOLTIPMODE(1);
    askTip();
    EXPECT_TRUE(waitFor([&] { return QToolTip::isVisible(); }));
    EXPECT_EQ(balloon(), nullptr);
    QToolTip::hideText();
}
