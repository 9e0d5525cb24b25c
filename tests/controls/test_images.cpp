#include <gtest/gtest.h>

#include "controls/Images.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QImage>

namespace {
QColor centre(const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixelColor(8, 8); }
} // namespace

TEST(Images, TheDataFolderWinsOverTheDrawingAndAnUnknownNameHasNone)
{
    testsupport::TempFolder data;
    ASSERT_TRUE(QDir().mkpath(data.file(QStringLiteral("Images"))));
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(data.file(QStringLiteral("Images/printer.ico")), "ICO"));

    EXPECT_EQ(centre(controls::imageIcon(data.path(), QStringLiteral("printer.ico"))), QColor(Qt::red));
    const QIcon drawn = controls::imageIcon(QString(), QStringLiteral("printer.ico"));
    ASSERT_FALSE(drawn.pixmap(16, 16).isNull());
    EXPECT_NE(centre(drawn), QColor(Qt::red));
    // A data folder without the file: the drawing.
    EXPECT_EQ(controls::imageIcon(data.path(), QStringLiteral("c.ico")).pixmap(16, 16).toImage(),
              controls::imageIcon(QString(), QStringLiteral("c.ico")).pixmap(16, 16).toImage());
    for (const char* none : {"nothing.ico", ""})
        EXPECT_TRUE(controls::imageIcon(data.path(), QString::fromLatin1(none)).isNull()) << none;
}
