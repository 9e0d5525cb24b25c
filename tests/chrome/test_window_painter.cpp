// The window painter on an offscreen window: which controls get a painter, exclusions, the
// window's fill and its recolouring when the theme changes, and painters outliving controls.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QHeaderView>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "chrome/ControlPainter.h"
#include "chrome/WindowPainter.h"

using namespace pxp;

namespace {

struct Form {
    QWidget window;
    QLineEdit* entry = new QLineEdit(&window);
    QLineEdit* readOnly = new QLineEdit(&window);
    QSpinBox* spin = new QSpinBox(&window);
    QComboBox* combo = new QComboBox(&window);
    Form()
    {
        readOnly->setReadOnly(true);
        combo->setEditable(true);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : {static_cast<QWidget*>(entry), static_cast<QWidget*>(readOnly),
                           static_cast<QWidget*>(spin), static_cast<QWidget*>(combo)})
            layout->addWidget(w);
        window.resize(200, 150);
    }
};

COLORREF fill(const QWidget& w)
{
    const QColor c = w.palette().color(QPalette::Window);
    return rgb(c.red(), c.green(), c.blue());
}

} // namespace

TEST(WindowPainter, EntriesGetPaintersUnlessExcluded)
{
    PXPGLOBALCLASS global;
    {
        Form form;
        auto* painter = new PXPWINDOWCLASS(&form.window);
        painter->INIT(global, false);
        ASSERT_NE(painter->GETCONTROLCLASS(form.entry), nullptr);
        EXPECT_NE(painter->GETCONTROLCLASS(form.readOnly), nullptr);
        EXPECT_EQ(painter->GETCONTROLCLASS(form.spin->findChild<QLineEdit*>()), nullptr);
        EXPECT_EQ(painter->GETCONTROLCLASS(form.combo->lineEdit()), nullptr);
        EXPECT_EQ(painter->GETCONTROLCLASS(&form.window), nullptr);
        EXPECT_EQ(form.entry->property("PXPControlClassAddr").value<QObject*>(), painter->GETCONTROLCLASS(form.entry));

        // A second INIT does not paint a control twice.
        PXPCONTROLCLASS* first = painter->GETCONTROLCLASS(form.entry);
        painter->INIT(global, false);
        EXPECT_EQ(painter->GETCONTROLCLASS(form.entry), first);

        // A control that goes takes its painter with it; lookups stay safe.
        QPointer<PXPCONTROLCLASS> gone = first;
        delete form.entry;
        QTRY_VERIFY(gone.isNull());
        EXPECT_EQ(painter->GETCONTROLCLASS(nullptr), nullptr);
    }
    Form form;
    auto* painter = new PXPWINDOWCLASS(&form.window);
    painter->ADDEXCLUDETYPE(8);
    painter->INIT(global, false);
    EXPECT_EQ(painter->GETCONTROLCLASS(form.entry), nullptr);
    EXPECT_FALSE(form.entry->testAttribute(Qt::WA_SetStyle));
}

TEST(WindowPainter, ControlListsOverruleTypes)
{
    PXPGLOBALCLASS global;
    Form form;
    PXPWINDOWCLASS painter(&form.window);
    painter.ADDEXCLUDETYPE(8);
    painter.ADDINCLUDECONTROL(form.entry);
    painter.ADDINCLUDECONTROL(form.readOnly);
    painter.ADDEXCLUDE(form.readOnly);
    painter.INIT(global, false);
    EXPECT_NE(painter.GETCONTROLCLASS(form.entry), nullptr);
    EXPECT_EQ(painter.GETCONTROLCLASS(form.readOnly), nullptr);

    // Removed, the entry is handed back at once; added again, it is painted again.
    QPointer<PXPCONTROLCLASS> removed = painter.GETCONTROLCLASS(form.entry);
    painter.REMOVECONTROL(form.entry);
    EXPECT_TRUE(removed.isNull());
    EXPECT_EQ(painter.GETCONTROLCLASS(form.entry), nullptr);
    EXPECT_FALSE(form.entry->testAttribute(Qt::WA_SetStyle));
    EXPECT_TRUE(painter.ADDCONTROL(form.entry));
    EXPECT_NE(painter.GETCONTROLCLASS(form.entry), nullptr);
    painter.REMOVECONTROL(form.spin);
}

TEST(WindowPainter, WindowFillFollowsColourStyleAndThemeChanges)
{
    struct Case {
        long style;
        COLORREF blue, olive;
    };
    const Case cases[] = {{1, rgb(198, 219, 255), rgb(247, 243, 231)},
                          {0, rgb(239, 235, 222), rgb(239, 239, 222)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        PXPGLOBALCLASS global;
        global.USELUNACOLORS(true);
        Form form;
        auto* painter = new PXPWINDOWCLASS(&form.window);
        painter->SETCOLORSTYLE(c.style);
        painter->SETWINDOWCOLOR(true);
        {
            ScopedThemeName name(QStringLiteral("Luna.msstyles"), QStringLiteral("NormalColor"));
            painter->INIT(global, false);
        }
        EXPECT_EQ(fill(form.window), c.blue);
        EXPECT_TRUE(form.window.autoFillBackground());
        ScopedThemeName name(QStringLiteral("Luna.msstyles"), QStringLiteral("HomeStead"));
        QEvent change(QEvent::ThemeChange);
        QCoreApplication::sendEvent(&form.window, &change);
        EXPECT_EQ(fill(form.window), c.olive);
    }

    // Without the window colour asked for, the window keeps its own fill.
    PXPGLOBALCLASS global;
    Form form;
    const COLORREF before = fill(form.window);
    PXPWINDOWCLASS painter(&form.window);
    painter.INIT(global, false);
    EXPECT_EQ(fill(form.window), before);
    EXPECT_FALSE(form.window.autoFillBackground());
}

TEST(WindowPainter, TheApplicationFrameTakesColour13Or14)
{
    for (long style : {1L, 0L}) {
        SCOPED_TRACE(style);
        PXPGLOBALCLASS global;
        global.USELUNACOLORS(true);
        ScopedThemeName name(QStringLiteral("Luna.msstyles"), QStringLiteral("NormalColor"));
        QMainWindow frame;
        auto* area = new QMdiArea;
        frame.setCentralWidget(area);
        Form form;
        form.window.setParent(area);
        PXPWINDOWCLASS painter(&form.window);
        painter.SETCOLORSTYLE(style);
        EXPECT_FALSE(painter.SETAPPFRAMECOLOR()) << "needs INIT first";
        painter.INIT(global, false);
        ASSERT_TRUE(painter.SETAPPFRAMECOLOR());
        const COLORREF want = global.GETCOLOR(style == 1 ? 14 : 13);
        const QColor got = area->background().color();
        EXPECT_EQ(rgb(got.red(), got.green(), got.blue()), want);
        form.window.setParent(nullptr);
    }
}

TEST(WindowPainter, AListsOwnHeadingControlIsDrawnAsItsHeader)
{
    PXPGLOBALCLASS global;
    QWidget window;
    auto* list = new QTableView(&window);
    auto* heading = new QHeaderView(Qt::Horizontal, &window);
    auto* entry = new QLineEdit(&window);
    PXPWINDOWCLASS painter(&window);
    painter.INIT(global, false);
    ASSERT_EQ(painter.GETCONTROLCODE(list), 14);
    EXPECT_TRUE(painter.SETXPLOREHEADERFEQ(list, heading));
    EXPECT_TRUE(dynamic_cast<XpThemeStyle*>(heading->style()));
    EXPECT_FALSE(painter.SETXPLOREHEADERFEQ(entry, heading)) << "not a list";
    EXPECT_FALSE(painter.SETXPLOREHEADERFEQ(list, nullptr));
}
