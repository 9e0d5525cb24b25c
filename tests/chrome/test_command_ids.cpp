// Command ids, the system report and the drawing helpers: the id counter under threads, the
// release-name table, greyed icons, colour arithmetic and icon resources by module.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QStyle>
#include <QWidget>
#include <set>
#include <thread>

#include "chrome/ChromeGlobals.h"
#include "chrome/CommandIds.h"
#include "chrome/GdiClass.h"
#include "tests/support/TestSupport.h"

TEST(CommandIds, CountFromTheStartAndStayDistinctAcrossThreads)
{
    CFCCOMMANDCNT counter;
    counter.INIT(16000);
    EXPECT_EQ(counter.GETNEXTID(), 16001);
    EXPECT_EQ(counter.GETNEXTID(), 16002);
    EXPECT_EQ(counter.GETNEXTID(), 16003);

    counter.INIT(16000);
    constexpr int threads = 8, each = 10000;
    std::vector<std::vector<int32_t>> got(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < each; ++i)
                got[size_t(t)].push_back(counter.GETNEXTID());
        });
    for (auto& w : workers)
        w.join();
    std::set<int32_t> all;
    for (const auto& g : got)
        all.insert(g.begin(), g.end());
    ASSERT_EQ(all.size(), size_t(threads * each));
    EXPECT_EQ(*all.begin(), 16001);
    EXPECT_EQ(*all.rbegin(), 16000 + threads * each);
}

TEST(CommandIds, ReleaseNamesAndTheRunningSystem)
{
    struct Case {
        int platform, major, minor;
        const char* text;
    };
    const Case cases[] = {
        {0, 3, 1, "3.1 Microsoft Win32s"},
        {2, 6, 0, "6.0 Microsoft Windows Vista"},
        {2, 5, 2, "5.2 Microsoft Windows Server 2003"},
        {2, 5, 1, "5.1 Microsoft Windows XP"},
        {2, 5, 0, "5.0 Microsoft Windows 2000"},
        {2, 4, 0, "4.0 Microsoft Windows NT"},
        {2, 3, 51, "3.51 Microsoft Windows NT"},
        {2, 6, 1, "6.1 "},
        {1, 4, 0, "4.0 Microsoft Windows 95"},
        {1, 4, 10, "4.10 Microsoft Windows 98"},
        {1, 4, 90, "4.90 Microsoft Windows Millennium Edition"},
        {1, 4, 20, "4.20 "},
        {7, 5, 1, "5.1 "}, // an unknown platform: the numbers and one blank
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFCCOMCTRLCLASS::osVersionText(c.platform, c.major, c.minor), QString::fromUtf8(c.text)) << c.text;

    const CFCCOMCTRLCLASS comctrl;
    EXPECT_TRUE(comctrl.ISWINDOWSXPORLATER());
    EXPECT_EQ(comctrl.GETCOMCTRLVER(), "6.0");
    EXPECT_TRUE(comctrl.GETOSVERSION().contains(QRegularExpression("^\\d+\\.\\d+ ")));
    EXPECT_EQ(comctrl.DISABLEWINDOWSTHEME(nullptr), -1);
    QWidget plain;
    EXPECT_EQ(comctrl.DISABLEWINDOWSTHEME(&plain), 0);
    EXPECT_EQ(plain.style()->name().toLower(), "windows");
    EXPECT_EQ(comctrl.RETRIEVESYSTEMMENUFONT(), QApplication::font("QMenu"));
}

TEST(GdiHelpers, GreyedIconsAndColourArithmetic)
{
    // A transparent pixel stays transparent black; an opaque one becomes its lightened grey.
    QImage icon(2, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(255, 0, 0, 0));
    icon.setPixel(1, 0, qRgba(100, 150, 200, 255));
    const QImage grey = CFCGDICLASS::CREATEDISABLEDICON(icon);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(grey.pixel(1, 0), qRgba(185, 185, 185, 255)); // grey 140, lightened by 100
    EXPECT_TRUE(CFCGDICLASS::CREATEDISABLEDICON(QImage()).isNull());

    struct Case {
        long amount;
        pxp::COLORREF colour, result;
    };
    const Case cases[] = {
        {100, 0x000000, 0x646464}, {0, 0x123456, 0x123456}, {255, 0x123456, 0xFFFFFF}, {100, 0x8C8C8C, 0xB9B9B9},
        {128, 0x00FF00, 0x80FF80},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFCGDICLASS::LIGHTENCOLOR(c.amount, c.colour), c.result) << std::hex << c.colour;
    EXPECT_EQ(CFCGDICLASS::RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(CFCGDICLASS::GETGVALUE(0x030201), 2);

    const QByteArray v = CFCGDICLASS::CREATEVERTEX(pxp::rgb(0x12, 0x34, 0x56));
    ASSERT_EQ(v.size(), 16);
    EXPECT_EQ(v.toHex(), QByteArray("00000000000000000012003400560000"));

    const QImage bmp = CFCGDICLASS::CONVERTICOTOBMP(icon, Qt::blue, 4, 4);
    EXPECT_EQ(bmp.size(), QSize(4, 4));
    EXPECT_EQ(bmp.pixelColor(0, 0), QColor(Qt::blue)); // the transparent pixel shows the fill
    EXPECT_EQ(bmp.pixelColor(1, 0), QColor(100, 150, 200));
    EXPECT_EQ(bmp.pixelColor(3, 3), QColor(Qt::blue));
}

TEST(GdiHelpers, IconsComeFromTheirModuleByResourceName)
{
    struct Case {
        const char* file;
        const char* resource;
    };
    for (const Case& c : {Case{"Open.ico", "Open_ICO"}, Case{"Save.ico  ", "Save_ICO"}, Case{"a.b.png", "a.b_ICO"},
                          Case{"ico", "_ICO"}})
        EXPECT_EQ(CFCGDICLASS::resourceName(c.file), c.resource) << c.file;

    QStringList asked;
    const auto loader = [&](const QString& name, int w, int h) {
        asked << QStringLiteral("%1 %2x%3").arg(name).arg(w).arg(h);
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(Qt::green);
        return name == "Save_ICO" ? image : QImage();
    };
    const testsupport::ScopedHook<IconRegistry::Loader> module(
        [](IconRegistry::Loader l) { return IconRegistry::registerModule(IconRegistry::applicationModule(), std::move(l)); },
        loader);
    const CFCGDICLASS gdi;
    const QImage save = gdi.LOADICONFROMDLL("Save.ico");
    EXPECT_EQ(save.size(), QSize(16, 16));
    EXPECT_EQ(save.pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(gdi.LOADICONFROMDLL("Save.ico", "velmoradll.dll", 24, 20).size(), QSize(24, 20)); // names ignore case
    EXPECT_TRUE(gdi.LOADICONFROMDLL("Missing.ico").isNull());
    EXPECT_TRUE(gdi.LOADICONFROMDLL("Save.ico", "Other.dll").isNull());
    EXPECT_EQ(asked, (QStringList{"Save_ICO 16x16", "Save_ICO 24x20", "Missing_ICO 16x16"}));
}
