// The entry painter on real line edits: the themed frame inside the control for each state,
// the control's own fill inside it, and a clean hand-back of the control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "chrome/ControlPainter.h"

#include <memory>

using namespace pxp;

namespace {

COLORREF pixel(const QImage& image, int x, int y)
{
    const QRgb px = image.pixel(x, y);
    return rgb(qRed(px), qGreen(px), qBlue(px));
}
COLORREF colour(const QColor& c) { return rgb(c.red(), c.green(), c.blue()); }

QImage render(QWidget& w) { return w.grab().toImage(); }

std::unique_ptr<ThemeLibrary> noLibrary() { return nullptr; }

} // namespace

TEST(EntryPainter, FrameFollowsTheEntryState)
{
    QLineEdit edit;
    edit.resize(120, 24);
    PXPENTRYCLASS painter;
    ASSERT_TRUE(painter.INIT(&edit));
    EXPECT_EQ(edit.property("PXPControlClassAddr").value<QObject*>(), &painter);

    struct Case {
        const char* name;
        bool enabled, readOnly;
        long state;
    };
    const Case cases[] = {
        {"writable", true, false, ETS_NORMAL},
        {"read-only", true, true, ETS_READONLY},
        {"disabled", false, false, ETS_DISABLED},
        {"writable again", true, false, ETS_NORMAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit.setEnabled(c.enabled);
        edit.setReadOnly(c.readOnly);
        const QImage image = render(edit);
        EXPECT_EQ(painter.STATE(), c.state);
        const COLORREF frame = editFrameColor(c.state);
        for (const QPoint& p : {QPoint(0, 0), QPoint(60, 0), QPoint(0, 12), QPoint(119, 12), QPoint(60, 23), QPoint(119, 23)})
            EXPECT_EQ(pixel(image, p.x(), p.y()), frame) << p.x() << "," << p.y();
        // Inside the ring the entry keeps its own fill.
        const COLORREF base = colour(edit.palette().color(edit.isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
        EXPECT_EQ(pixel(image, 1, 1), base);
        EXPECT_EQ(pixel(image, 118, 22), base);
    }
}

TEST(EntryPainter, HoverAndFocusLightTheFrame)
{
    QWidget window;
    window.resize(200, 100);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(10, 10, 120, 24);
    auto* other = new QLineEdit(&window);
    other->setGeometry(10, 50, 120, 24);
    PXPENTRYCLASS painter;
    ASSERT_TRUE(painter.INIT(edit));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    QTest::mouseMove(&window, QPoint(150, 90));
    QTest::mouseMove(edit, QPoint(60, 12));
    QTRY_VERIFY(edit->underMouse());
    QTRY_COMPARE(painter.STATE(), ETS_HOT);
    EXPECT_EQ(pixel(render(*edit), 0, 12), editFrameColor(ETS_HOT));

    edit->setFocus();
    QTRY_COMPARE(painter.STATE(), ETS_FOCUSED);
    EXPECT_EQ(pixel(render(*edit), 0, 12), editFrameColor(ETS_FOCUSED));

    other->setFocus();
    QTest::mouseMove(&window, QPoint(150, 90));
    QTRY_COMPARE(painter.STATE(), ETS_NORMAL);
}

TEST(EntryPainter, KillHandsTheEntryBack)
{
    QLineEdit edit;
    edit.resize(120, 24);
    QStyle* before = edit.style();
    const QImage plain = render(edit);
    HTHEME theme = 0;
    {
        PXPENTRYCLASS painter;
        ASSERT_TRUE(painter.INIT(&edit));
        theme = painter.HTHEME();
        PXPENTRYCLASS second;
        EXPECT_FALSE(second.INIT(&edit));
        EXPECT_NE(edit.style(), before);
        EXPECT_NE(pixel(render(edit), 0, 12), pixel(plain, 0, 12));
        painter.KILL();
        EXPECT_FALSE(edit.property("PXPControlClassAddr").isValid());
        EXPECT_EQ(edit.style(), before);
        EXPECT_FALSE(edit.testAttribute(Qt::WA_SetStyle));
        EXPECT_EQ(PXPGlobal.CLOSETHEME(theme), THEME_FAILED); // closed already
        painter.KILL();
    }
    EXPECT_EQ(render(edit), plain);
}

TEST(EntryPainter, NoPainterWithoutThemes)
{
    ScopedThemeLoader none(noLibrary);
    PXPGLOBALCLASS plain;
    QLineEdit edit;
    PXPENTRYCLASS painter;
    painter.PGLOBAL = &plain;
    EXPECT_FALSE(painter.INIT(&edit));
    EXPECT_FALSE(edit.property("PXPControlClassAddr").isValid());
    EXPECT_FALSE(edit.testAttribute(Qt::WA_SetStyle));

    PXPCONTROLCLASS unknownClass;
    EXPECT_FALSE(unknownClass.INIT(&edit, QStringLiteral("   ")));
    EXPECT_FALSE(unknownClass.INIT(&edit, QStringLiteral("NoSuchClass")));
}

TEST(EntryPainter, PainterGoesWithItsControlWhenAskedTo)
{
    auto edit = std::make_unique<QLineEdit>();
    QPointer<PXPENTRYCLASS> owned = new PXPENTRYCLASS;
    owned->AUTOCLEANUP = true;
    ASSERT_TRUE(owned->INIT(edit.get()));
    PXPENTRYCLASS kept;
    auto second = std::make_unique<QLineEdit>();
    ASSERT_TRUE(kept.INIT(second.get()));

    edit.reset();
    QTRY_VERIFY(owned.isNull());
    second.reset();
    EXPECT_EQ(kept.control(), nullptr);
    EXPECT_FALSE(kept.UPDATESTATES());
    kept.REFRESH();
    kept.RELOADTHEME();
}
