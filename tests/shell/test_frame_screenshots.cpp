// Every ribbon tab drawn on a 1400x900 screen: no blank buttons, no cut captions. With
// VELMORA_SCREENSHOT_DIR set, each tab's picture is written there (docs/screenshots keeps the
// current ones).
#include <gtest/gtest.h>

#include "controls/RibbonBar.h"
#include "shell/FrameWindow.h"
#include "tests/shell/FrameHosts.h"
#include "shell/OrganiserStandIn.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTabBar>
#include <QToolButton>

using namespace shell;

namespace {
int colours(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            seen.insert(image.pixel(x, y));
    return seen.size();
}
} // namespace

TEST(FrameScreenshots, EveryTabShowsItsGroupsWithDrawnButtonsAndWholeCaptions)
{
    testsupport::TempFolder data;
    FrameOptions o;
    o.dataFolder = data.path();
    StandInHost host;
    FrameWindow frame(o, host);
    frame.resize(1400, 900);
    frame.show();
    QCoreApplication::processEvents();
    const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!out.isEmpty())
        QDir().mkpath(out);
    controls::RibbonBar* ribbon = frame.ribbon();
    auto* tabs = ribbon->findChild<QTabBar*>();
    for (int k = 0; k < ribbon->tabCount(); ++k) {
        SCOPED_TRACE(k + 1);
        tabs->setCurrentIndex(k);
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
        int buttons = 0;
        for (QToolButton* b : ribbon->findChildren<QToolButton*>()) {
            if (!b->isVisible() || b->objectName().isEmpty())
                continue;
            ++buttons;
            EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
            const QImage icon = b->icon().pixmap(32, 32).toImage();
            EXPECT_GT(colours(icon), 4) << b->objectName().toStdString();
            // A button narrower than it asks for elides its caption.
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
        }
        EXPECT_GE(buttons, 5); // every tab has at least two commands beside the global three
        const QImage shot = frame.grab().toImage();
        EXPECT_GT(colours(shot), 50);
        if (!out.isEmpty())
            shot.save(QStringLiteral("%1/ribbon-tab-%2.png").arg(out).arg(k + 1));
    }
}
