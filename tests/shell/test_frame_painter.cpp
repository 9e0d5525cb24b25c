// The painter of texts over the frame's empty client area.
#include <gtest/gtest.h>

#include "shell/FrameWindow.h"
#include "shell/PainterOverlay.h"
#include "shell/WindowPainter.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace shell;

TEST(PainterAnchor, ModesPlaceTheItemAgainstHalfTheFarEdges)
{
    // Area 6,6 .. 795,595 (800 x 600, margin 5, highlight offset 1); item 100 x 21.
    struct Case {
        int mode, x, y;
    };
    const Case cases[] = {
        {1, 40, 50},   {2, 40, 50},   {3, 6, 6},     {4, 6, 287},   {5, 6, 574},  {6, 348, 6},
        {7, 348, 287}, {8, 348, 574}, {9, 695, 6},   {10, 695, 287}, {11, 695, 574}, {0, 0, 0}, {12, 0, 0},
    };
    for (const Case& c : cases) {
        const QPoint expectedOffset = c.mode == 0 || c.mode == 12 ? QPoint() : QPoint(3, -2);
        EXPECT_EQ(anchor(c.mode, 6, 6, 795, 595, 100, 21, 0, 0, 40, 50), QPoint(c.x, c.y)) << c.mode;
        EXPECT_EQ(anchor(c.mode, 6, 6, 795, 595, 100, 21, 3, -2, 40, 50), QPoint(c.x, c.y) + expectedOffset)
            << c.mode;
    }
    // Halves round half away from zero: 795/2 - 99/2 = 348 exactly, 595/2 - 20/2 = 287.5 -> 288.
    EXPECT_EQ(anchor(7, 6, 6, 795, 595, 99, 20, 0, 0, 0, 0), QPoint(348, 288));
    // Centring ignores the left edge: the same R gives the same x whatever L is.
    EXPECT_EQ(anchor(7, 200, 6, 795, 595, 100, 21, 0, 0, 0, 0).x(), 348);
}

TEST(PainterTexts, ALabelInAnyCaseReplacesItsItem)
{
    WindowPainterClass p;
    PainterText a;
    a.label = QStringLiteral("NASLOV");
    a.text = QStringLiteral("prvi");
    p.addText(a);
    a.label = QStringLiteral("naslov");
    a.text = QStringLiteral("drugi");
    p.addText(a);
    ASSERT_EQ(p.textCount(), 1u);
    EXPECT_EQ(p.text(QStringLiteral("Naslov"))->text, QStringLiteral("drugi"));
    EXPECT_EQ(p.text(QStringLiteral("Naslov"))->label, QStringLiteral("NASLOV"));
}

namespace {
PainterText waitingText()
{
    return shell::waitingText([](const QString& s) { return s; });
}
} // namespace

TEST(PainterTexts, TheWaitingTextIsCentredOnHalfTheReducedAreaAndDrawnInside)
{
    WindowPainterClass p;
    p.setTextMargins(5, 5, 5, 5);
    p.addText(waitingText());
    const QRect client(0, 0, 800, 600);
    const QRect r = p.textRect(*p.text(QStringLiteral("naslov")), client, 96);
    EXPECT_EQ(r.left(), anchor(7, 6, 6, 795, 595, r.width(), r.height(), 0, 0, 0, 0).x());
    EXPECT_EQ(r.top(), anchor(7, 6, 6, 795, 595, r.width(), r.height(), 0, 0, 0, 0).y());
    EXPECT_EQ(p.fontFor(*p.text(QStringLiteral("naslov")), 96).pixelSize(), 16);
    EXPECT_EQ(p.fontFor(*p.text(QStringLiteral("naslov")), 96).weight(), QFont::Medium);

    QImage image(800, 600, QImage::Format_RGB32);
    const QColor background(Qt::darkGray);
    image.fill(background);
    QPainter painter(&image);
    p.drawAll(painter, client, 96);
    painter.end();
    const QRect allowed = r.adjusted(-1, -1, 0, 0); // the highlight is drawn one pixel up and left
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) {
                ++inked;
                EXPECT_TRUE(allowed.contains(x, y)) << x << "," << y;
                if (!allowed.contains(x, y))
                    return;
            }
    EXPECT_GT(inked, 50);
    EXPECT_EQ(colourFromRgbValue(5329233), QColor(81, 81, 81));
}

TEST(PainterClicks, OnlyAPressAndReleaseInsideTheSameAreaPostsItsEvent)
{
    WindowPainterClass p;
    p.addText(waitingText());
    p.addClickArea(QStringLiteral("NASLOV"), 4711);
    const QRect r = p.textRect(*p.text(QStringLiteral("naslov")), QRect(0, 0, 800, 600), 96);
    const QPoint inside = r.center();
    const QPoint outside(2, 2);
    const QPoint farEdge(r.left() + r.width(), r.top() + r.height()); // the far edges count

    p.press(outside);
    EXPECT_TRUE(p.release(inside).empty());
    p.press(inside);
    EXPECT_EQ(p.release(farEdge), std::vector<int>{4711});
    EXPECT_TRUE(p.release(inside).empty()); // one event per press
    p.press(inside);
    EXPECT_TRUE(p.release(outside).empty());
    EXPECT_TRUE(p.release(inside).empty());
}

namespace {
struct EventSink : QObject {
    std::vector<int> ids;
    bool event(QEvent* e) override
    {
        if (e->type() != PainterEvent::type())
            return QObject::event(e);
        ids.push_back(static_cast<PainterEvent*>(e)->id());
        return true;
    }
};
} // namespace

TEST(PainterClicks, TheOverlayPostsClicksToItsTargetAndLetsTheMousePassWithoutAreas)
{
    WindowPainterClass p;
    p.addText(waitingText());
    EventSink sink;
    PainterOverlay overlay(p, &sink);
    overlay.resize(800, 600);
    EXPECT_TRUE(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
    p.addClickArea(QStringLiteral("naslov"), 12);
    overlay.updateMouseHandling();
    EXPECT_FALSE(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
    const QRect r = p.textRect(*p.text(QStringLiteral("naslov")), overlay.rect(), overlay.logicalDpiY());
    QTest::mouseClick(&overlay, Qt::LeftButton, {}, r.center());
    EXPECT_TRUE(sink.ids.empty()); // posted, not sent
    QCoreApplication::processEvents();
    EXPECT_EQ(sink.ids, std::vector<int>{12});
}
