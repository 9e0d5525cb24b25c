// The theme service: the 28 chrome colours in each scheme, the blend, the theme switch and
// the library that is bound once per process.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "chrome/ChromeGlobals.h"
#include "chrome/PxpGlobal.h"
#include "data/Corvalde.h"
#include "tests/support/TestSupport.h"

#include <atomic>
#include <optional>
#include <thread>

using namespace pxp;
using testsupport::ScopedEnv;

namespace {

// The colour table as the chrome must serve it. kS(n) marks "system colour n"; kSame marks
// an index whose Luna column keeps the system value.
constexpr long kS = 0x1000000;
constexpr COLORREF kSame = -2;
struct Row {
    long index;
    long system; // kS + n, or a fixed colour
    COLORREF normal, homestead, metallic;
};
const Row kTable[] = {
    {1, kS + 9, rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)},
    {2, rgb(0, 0, 0), kSame, kSame, kSame},
    {3, kS + 16, rgb(0, 45, 150), rgb(96, 128, 88), rgb(124, 124, 148)},
    {4, kS + 15, rgb(89, 135, 214), rgb(175, 192, 130), rgb(168, 167, 191)},
    {5, kS + 16, rgb(0, 45, 150), rgb(99, 122, 68), rgb(112, 111, 145)},
    // button face (212,208,200) with 20.5 % against window white
    {6, rgb(246, 245, 244), rgb(206, 231, 255), rgb(247, 247, 214), rgb(231, 231, 239)},
    {7, kS + 15, rgb(123, 166, 231), rgb(181, 199, 148), rgb(148, 150, 181)},
    {8, kS + 15, rgb(224, 231, 249), rgb(224, 231, 249), rgb(224, 231, 249)},
    {9, rgb(231, 231, 239), rgb(251, 230, 148), rgb(251, 230, 148), rgb(251, 230, 148)},
    {10, rgb(198, 215, 239), rgb(238, 149, 21), rgb(238, 149, 21), rgb(238, 149, 21)},
    {11, kS + 15, rgb(198, 219, 255), rgb(247, 243, 231), rgb(247, 243, 247)},
    {12, kS + 15, rgb(239, 235, 222), rgb(239, 239, 222), rgb(222, 227, 231)},
    {13, rgb(132, 130, 132), rgb(132, 130, 132), rgb(132, 130, 132), rgb(132, 130, 132)},
    {14, kS + 12, rgb(148, 154, 173), rgb(148, 162, 123), rgb(156, 154, 181)},
    {15, rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)},
    {16, rgb(189, 190, 181), rgb(33, 69, 115), rgb(82, 93, 49), rgb(82, 85, 115)},
    {17, rgb(198, 199, 189), rgb(107, 142, 206), rgb(99, 130, 90), rgb(107, 109, 140)},
    {18, rgb(148, 150, 115), rgb(57, 97, 156), rgb(99, 130, 90), rgb(123, 125, 148)},
    {19, rgb(181, 182, 165), rgb(107, 150, 214), rgb(140, 142, 140), rgb(140, 142, 140)},
    {20, rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)},
    {21, rgb(198, 215, 239), rgb(255, 223, 165), rgb(255, 239, 198), rgb(255, 239, 198)},
    {22, rgb(198, 215, 239), rgb(255, 215, 140), rgb(255, 247, 206), rgb(255, 247, 206)},
    {23, rgb(198, 215, 239), rgb(255, 182, 99), rgb(255, 215, 148), rgb(255, 215, 148)},
    {24, rgb(247, 239, 222), rgb(156, 190, 247), rgb(222, 223, 165), rgb(214, 215, 231)},
    {25, rgb(255, 255, 255), rgb(198, 223, 255), rgb(247, 247, 231), rgb(247, 247, 247)},
    {26, rgb(49, 109, 198), rgb(0, 0, 132), rgb(57, 93, 57), rgb(74, 77, 107)},
    {27, rgb(255, 255, 255), rgb(222, 239, 255), rgb(247, 247, 222), rgb(247, 247, 255)},
    {28, rgb(206, 207, 181), rgb(132, 174, 231), rgb(181, 199, 148), rgb(156, 150, 181)},
};

COLORREF systemValue(const Row& r) { return r.system >= kS ? sysColor(r.system - kS) : r.system; }

enum class Scheme { System, Normal, HomeStead, Metallic };
COLORREF expected(const Row& r, Scheme s)
{
    const COLORREF luna = s == Scheme::Normal ? r.normal
                        : s == Scheme::HomeStead ? r.homestead
                        : s == Scheme::Metallic ? r.metallic
                                                : kSame;
    return luna == kSame ? systemValue(r) : luna;
}

std::unique_ptr<ThemeLibrary> noLibrary() { return nullptr; }

} // namespace

TEST(ThemeColours, EveryIndexInEveryScheme)
{
    struct Case {
        const char* name;
        bool lunaColors;
        ThemeLibraryLoader loader;
        QString file, colour;
        Scheme scheme;
    };
    const QString luna = QStringLiteral("C:\\WINDOWS\\resources\\Themes\\Luna\\Luna.msstyles");
    const Case cases[] = {
        {"luna colours off", false, loadThemeRenderer, luna, QStringLiteral("NormalColor"), Scheme::System},
        {"no theme name", true, loadThemeRenderer, {}, {}, Scheme::System},
        {"blue", true, loadThemeRenderer, luna, QStringLiteral("NormalColor"), Scheme::Normal},
        {"olive", true, loadThemeRenderer, luna, QStringLiteral("HomeStead"), Scheme::HomeStead},
        {"silver, trailing blanks", true, loadThemeRenderer, luna, QStringLiteral("Metallic  "), Scheme::Metallic},
        {"unknown Luna colour", true, loadThemeRenderer, luna, QStringLiteral("Royale"), Scheme::System},
        {"colour name case", true, loadThemeRenderer, luna, QStringLiteral("normalcolor"), Scheme::System},
        {"other theme file", true, loadThemeRenderer, QStringLiteral("Royale.msstyles"), QStringLiteral("NormalColor"), Scheme::System},
        {"file name case", true, loadThemeRenderer, QStringLiteral("luna.msstyles"), QStringLiteral("NormalColor"), Scheme::System},
        {"themes inactive", true, noLibrary, luna, QStringLiteral("NormalColor"), Scheme::System},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedThemeLoader loader(c.loader);
        ScopedThemeName name(c.file, c.colour);
        PXPGLOBALCLASS service;
        service.USELUNACOLORS(c.lunaColors);
        for (const Row& r : kTable)
            EXPECT_EQ(service.GETCOLOR(r.index), expected(r, c.scheme)) << "index " << r.index;
        for (long outside : {0L, 29L, -1L, 1000L})
            EXPECT_EQ(service.GETCOLOR(outside), 0) << "index " << outside;
        EXPECT_EQ(service.GETCOLOR(2), 0);
    }
}

TEST(ThemeColours, SystemColoursComeFromTheFixedTable)
{
    PXPGLOBALCLASS service;
    const std::pair<long, COLORREF> cases[] = {
        {COLOR_BTNFACE, rgb(212, 208, 200)}, {COLOR_WINDOW, rgb(255, 255, 255)},
        {COLOR_CAPTIONTEXT, rgb(255, 255, 255)}, {COLOR_APPWORKSPACE, rgb(128, 128, 128)},
        {COLOR_BTNSHADOW, rgb(128, 128, 128)}, {COLOR_GRAYTEXT, rgb(128, 128, 128)},
        {COLOR_MENUBAR, rgb(236, 233, 216)}, {31, 0}, {-1, 0}};
    for (const auto& [index, colour] : cases)
        EXPECT_EQ(service.GETSYSCOLOR(index), colour) << "index " << index;
    EXPECT_EQ(service.RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(service.RGB(255, 0, 128), 0x8000FF);
}

TEST(ThemeColours, BlendWeightsAndRounding)
{
    struct Case {
        const char* name;
        COLORREF a, b;
        long weight;
        COLORREF result;
    };
    const Case cases[] = {
        {"99 is per cent", rgb(255, 255, 255), 0, 99, rgb(252, 252, 252)},
        {"100 is per mille", rgb(255, 255, 255), 0, 100, rgb(26, 26, 26)},
        {"205 keeps 20.5 % of A", 0, rgb(255, 255, 255), 205, rgb(203, 203, 203)},
        {"each byte on its own", rgb(255, 0, 128), rgb(0, 255, 64), 205, rgb(52, 203, 77)},
        {"half rounds up", rgb(3, 1, 0), 0, 50, rgb(2, 1, 0)},
        {"0 is B", rgb(10, 20, 30), rgb(200, 100, 50), 0, rgb(200, 100, 50)},
        {"1000 is A", rgb(10, 20, 30), rgb(200, 100, 50), 1000, rgb(10, 20, 30)},
        {"over 1000 stays A", rgb(10, 20, 30), rgb(200, 100, 50), 1500, rgb(10, 20, 30)},
        {"far over 1000 stays A", rgb(255, 255, 255), 0, 100000, rgb(255, 255, 255)},
        {"negative is B", rgb(10, 20, 30), rgb(200, 100, 50), -5, rgb(200, 100, 50)},
    };
    PXPGLOBALCLASS service;
    for (const Case& c : cases) {
        const COLORREF got = service.LIGHTCOLOR(c.a, c.b, c.weight);
        EXPECT_EQ(got, c.result) << c.name;
        EXPECT_EQ(got & ~0xFFFFFFL, 0) << c.name;
    }
}

TEST(ThemeSwitch, TheEnvironmentTurnsThemesOff)
{
    const std::pair<std::optional<QByteArray>, bool> cases[] = {
        {std::nullopt, true}, {QByteArray("on"), true}, {QByteArray("off"), false},
        {QByteArray("OFF"), false}, {QByteArray("0"), false}};
    for (const auto& [value, active] : cases) {
        SCOPED_TRACE(value ? value->constData() : "(unset)");
        ScopedEnv env("VELMORA_THEME", value);
        ScopedThemeLoader loader(loadThemeRenderer);
        PXPGLOBALCLASS service;
        EXPECT_EQ(service.HASLIB(), active);
        EXPECT_EQ(service.ISTHEMEACTIVE(), active);
        EXPECT_EQ(service.OPENTHEME(nullptr, QStringLiteral("Edit")) != 0, active);
    }
}

TEST(ThemeSwitch, TheLibraryIsBoundOncePerProcess)
{
    int loads = 0;
    ScopedThemeLoader loader([&loads]() -> std::unique_ptr<ThemeLibrary> {
        ++loads;
        return loadThemeRenderer();
    });
    PXPGLOBALCLASS first;
    PXPGLOBALCLASS second;
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(first.HASLIB());
    EXPECT_TRUE(second.HASLIB());
    EXPECT_TRUE(second.ISTHEMEACTIVE());

    // A library that cannot be bound is tried again by the next instance, and stays off.
    int tries = 0;
    ScopedThemeLoader failing([&tries]() -> std::unique_ptr<ThemeLibrary> {
        ++tries;
        return nullptr;
    });
    PXPGLOBALCLASS a, b;
    EXPECT_EQ(tries, 2);
    EXPECT_FALSE(b.HASLIB());
    EXPECT_FALSE(b.ISTHEMEACTIVE());
    EXPECT_EQ(b.OPENTHEME(nullptr, QStringLiteral("Edit")), 0);
    EXPECT_EQ(b.GETTHEMECOLOR(1, EP_EDITTEXT, ETS_NORMAL, TMT_BORDERCOLOR), 0);
}

TEST(ThemeSwitch, StartUpServesTheSystemScheme)
{
    corvalde::load();
    ScopedThemeName name(QStringLiteral("Luna.msstyles"), QStringLiteral("NormalColor"));
    EXPECT_TRUE(GLO::CFC_Comctrl.initialised());
    EXPECT_FALSE(PXPGlobal.ISLUNACOLORSACTIVE());
    EXPECT_EQ(PXPGlobal.GETCOLOR(11), sysColor(COLOR_BTNFACE));
}

TEST(ThemeHandles, ClassListsAreClippedAndCut)
{
    PXPGLOBALCLASS service;
    const QString filler(44, u'x');
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("Edit"), true},
        {QStringLiteral("edit   "), true},
        {QStringLiteral("Nothing;Edit"), true},
        {QStringLiteral("Nothing"), false},
        {QString(), false},
        {filler + QStringLiteral(";Edit"), true},  // 49 characters
        {filler + QStringLiteral("x;Edit"), false}, // "Edit" cut to "Edi"
    };
    for (const auto& [list, opens] : cases) {
        const HTHEME theme = service.OPENTHEME(nullptr, list);
        EXPECT_EQ(theme != 0, opens) << list.toStdString();
        if (theme) {
            EXPECT_EQ(service.CLOSETHEME(theme), THEME_OK);
        }
    }
}

TEST(ThemeHandles, EditPartDrawsItsFrameAndFill)
{
    PXPGLOBALCLASS service;
    const HTHEME theme = service.OPENTHEME(nullptr, QStringLiteral("Edit"));
    ASSERT_NE(theme, 0);
    for (long state : {ETS_NORMAL, ETS_HOT, ETS_DISABLED, ETS_FOCUSED, ETS_READONLY}) {
        SCOPED_TRACE(state);
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter p(&image);
            EXPECT_EQ(service.DRAWTHEMECONTROL(theme, p, EP_EDITTEXT, state, QRect(2, 2, 16, 6)), THEME_OK);
        }
        const COLORREF frame = service.GETTHEMECOLOR(theme, EP_EDITTEXT, state, TMT_BORDERCOLOR);
        EXPECT_EQ(frame, editFrameColor(state));
        const auto at = [&](int x, int y) {
            const QRgb px = image.pixel(x, y);
            return rgb(qRed(px), qGreen(px), qBlue(px));
        };
        EXPECT_EQ(at(2, 2), frame);
        EXPECT_EQ(at(17, 7), frame);
        EXPECT_EQ(at(10, 2), frame);
        EXPECT_EQ(at(10, 5), editFillColor(state));
        EXPECT_EQ(at(1, 1), rgb(0, 0, 0));
        EXPECT_EQ(at(18, 8), rgb(0, 0, 0));
    }
    EXPECT_NE(editFrameColor(ETS_READONLY), editFrameColor(ETS_NORMAL));
    EXPECT_NE(editFrameColor(ETS_DISABLED), editFrameColor(ETS_NORMAL));

    // The clip holds; a part the art lacks and a closed handle draw nothing.
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        const QRect clip(0, 0, 5, 10);
        EXPECT_EQ(service.DRAWTHEMECONTROL(theme, p, EP_EDITTEXT, ETS_NORMAL, QRect(0, 0, 20, 10), &clip), THEME_OK);
        EXPECT_EQ(service.DRAWTHEMECONTROL(theme, p, 99, ETS_NORMAL, QRect(0, 0, 20, 10)), THEME_FAILED);
        EXPECT_EQ(service.CLOSETHEME(theme), THEME_OK);
        EXPECT_EQ(service.DRAWTHEMECONTROL(theme, p, EP_EDITTEXT, ETS_NORMAL, QRect(0, 0, 20, 10)), THEME_FAILED);
    }
    EXPECT_EQ(image.pixel(4, 0), QColor(127, 157, 185).rgb());
    EXPECT_EQ(image.pixel(5, 0), QColor(Qt::black).rgb());
    EXPECT_EQ(service.CLOSETHEME(theme), THEME_FAILED);
}

TEST(ThemeHandles, ThemeNamesAreCut)
{
    ScopedThemeName name(QString(300, u'f'), QString(260, u'c'));
    PXPGLOBALCLASS service;
    QString file = QStringLiteral("stale"), colour = QStringLiteral("stale");
    service.GETCURRENTTHEMENAME(file, colour);
    EXPECT_EQ(file, QString(255, u'f'));
    EXPECT_EQ(colour, QString(255, u'c'));

    ScopedThemeLoader none(noLibrary);
    PXPGLOBALCLASS plain;
    plain.GETCURRENTTHEMENAME(file, colour);
    EXPECT_TRUE(file.isEmpty());
    EXPECT_TRUE(colour.isEmpty());
}

// Answers the theme name from inside GETCOLOR, recording on the way whether another thread
// could take the service's lock and whether a nested call on the same thread goes through.
class ProbingLibrary : public ThemeLibrary {
public:
    PXPGLOBALCLASS* service = nullptr;
    std::atomic<bool> otherThreadGotLock{true};
    bool nestedCallAnswered = false;

    HTHEME openThemeData(QObject* w, const QString& l) override { return m_inner->openThemeData(w, l); }
    long closeThemeData(HTHEME t) override { return m_inner->closeThemeData(t); }
    long drawThemeBackground(HTHEME t, QPainter& p, long part, long state, const QRect& r,
                             const QRect* c) override
    {
        return m_inner->drawThemeBackground(t, p, part, state, r, c);
    }
    bool getThemeColor(HTHEME t, long part, long state, long prop, COLORREF& c) override
    {
        return m_inner->getThemeColor(t, part, state, prop, c);
    }
    bool getCurrentThemeName(QString& file, QString& colour) override
    {
        std::thread([this] {
            const bool got = service->CRIT().try_lock();
            if (got)
                service->CRIT().unlock();
            otherThreadGotLock = got;
        }).join();
        nestedCallAnswered = service->ISLUNACOLORSACTIVE();
        file = QStringLiteral("Luna.msstyles");
        colour = QStringLiteral("Metallic");
        return true;
    }

private:
    std::unique_ptr<ThemeLibrary> m_inner = loadThemeRenderer();
};

TEST(ThemeLock, OperationsHoldTheReentrantLockThroughout)
{
    ProbingLibrary* probe = nullptr;
    ScopedThemeLoader loader([&probe]() -> std::unique_ptr<ThemeLibrary> {
        auto library = std::make_unique<ProbingLibrary>();
        probe = library.get();
        return library;
    });
    PXPGLOBALCLASS service;
    ASSERT_NE(probe, nullptr);
    probe->service = &service;
    service.USELUNACOLORS(true);
    EXPECT_EQ(service.GETCOLOR(3), rgb(124, 124, 148));
    EXPECT_FALSE(probe->otherThreadGotLock);
    EXPECT_TRUE(probe->nestedCallAnswered);
}
