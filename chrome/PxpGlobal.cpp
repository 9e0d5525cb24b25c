#include "chrome/PxpGlobal.h"

#include <algorithm>
#include <array>

using namespace pxp;

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// How the system scheme gives a colour: a system colour, a fixed value, or index 6's blend.
struct SystemValue {
    enum Kind { Sys, Fixed, Blend } kind;
    COLORREF value;
};
constexpr SystemValue sys(long index) { return {SystemValue::Sys, index}; }
constexpr SystemValue fixed(int r, int g, int b) { return {SystemValue::Fixed, rgb(r, g, b)}; }

constexpr COLORREF kUnlisted = -1; // the Luna scheme keeps the system value
enum LunaColumn { NormalColor, HomeStead, Metallic };

struct ColourRow {
    SystemValue system;
    std::array<COLORREF, 3> luna;
};

constexpr std::array<ColourRow, 28> kColours = {{
    {sys(9), {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)}},
    {fixed(0, 0, 0), {kUnlisted, kUnlisted, kUnlisted}},
    {sys(16), {rgb(0, 45, 150), rgb(96, 128, 88), rgb(124, 124, 148)}},
    {sys(15), {rgb(89, 135, 214), rgb(175, 192, 130), rgb(168, 167, 191)}},
    {sys(16), {rgb(0, 45, 150), rgb(99, 122, 68), rgb(112, 111, 145)}},
    {{SystemValue::Blend, 0}, {rgb(206, 231, 255), rgb(247, 247, 214), rgb(231, 231, 239)}},
    {sys(15), {rgb(123, 166, 231), rgb(181, 199, 148), rgb(148, 150, 181)}},
    {sys(15), {rgb(224, 231, 249), rgb(224, 231, 249), rgb(224, 231, 249)}},
    {fixed(231, 231, 239), {rgb(251, 230, 148), rgb(251, 230, 148), rgb(251, 230, 148)}},
    {fixed(198, 215, 239), {rgb(238, 149, 21), rgb(238, 149, 21), rgb(238, 149, 21)}},
    {sys(15), {rgb(198, 219, 255), rgb(247, 243, 231), rgb(247, 243, 247)}},
    {sys(15), {rgb(239, 235, 222), rgb(239, 239, 222), rgb(222, 227, 231)}},
    {fixed(132, 130, 132), {rgb(132, 130, 132), rgb(132, 130, 132), rgb(132, 130, 132)}},
    {sys(12), {rgb(148, 154, 173), rgb(148, 162, 123), rgb(156, 154, 181)}},
    {fixed(255, 255, 255), {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)}},
    {fixed(189, 190, 181), {rgb(33, 69, 115), rgb(82, 93, 49), rgb(82, 85, 115)}},
    {fixed(198, 199, 189), {rgb(107, 142, 206), rgb(99, 130, 90), rgb(107, 109, 140)}},
    {fixed(148, 150, 115), {rgb(57, 97, 156), rgb(99, 130, 90), rgb(123, 125, 148)}},
    {fixed(181, 182, 165), {rgb(107, 150, 214), rgb(140, 142, 140), rgb(140, 142, 140)}},
    {fixed(255, 255, 255), {rgb(255, 255, 255), rgb(255, 255, 255), rgb(255, 255, 255)}},
    {fixed(198, 215, 239), {rgb(255, 223, 165), rgb(255, 239, 198), rgb(255, 239, 198)}},
    {fixed(198, 215, 239), {rgb(255, 215, 140), rgb(255, 247, 206), rgb(255, 247, 206)}},
    {fixed(198, 215, 239), {rgb(255, 182, 99), rgb(255, 215, 148), rgb(255, 215, 148)}},
    {fixed(247, 239, 222), {rgb(156, 190, 247), rgb(222, 223, 165), rgb(214, 215, 231)}},
    {fixed(255, 255, 255), {rgb(198, 223, 255), rgb(247, 247, 231), rgb(247, 247, 247)}},
    {fixed(49, 109, 198), {rgb(0, 0, 132), rgb(57, 93, 57), rgb(74, 77, 107)}},
    {fixed(255, 255, 255), {rgb(222, 239, 255), rgb(247, 247, 222), rgb(247, 247, 255)}},
    {fixed(206, 207, 181), {rgb(132, 174, 231), rgb(181, 199, 148), rgb(156, 150, 181)}},
}};

QString clipRight(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    return s.left(n);
}

// The Luna column a theme selects, or -1 for the system scheme.
int lunaColumn(const QString& fileName, const QString& colourName)
{
    if (!fileName.contains(QLatin1String("Luna.msstyles"), Qt::CaseSensitive))
        return -1;
    const QString colour = clipRight(colourName);
    if (colour == QLatin1String("NormalColor"))
        return NormalColor;
    if (colour == QLatin1String("HomeStead"))
        return HomeStead;
    if (colour == QLatin1String("Metallic"))
        return Metallic;
    return -1;
}

} // namespace

PXPGLOBALCLASS::PXPGLOBALCLASS()
{
    // The library is bound once per process; a later instance finds it bound.
    m_hasLib = loadThemeLibrary() != nullptr;
}

PXPGLOBALCLASS::~PXPGLOBALCLASS()
{
    // The library stays bound for the process: painters of other windows may still draw.
    m_hasLib = false;
}

ThemeLibrary* PXPGLOBALCLASS::library() { return m_hasLib ? boundThemeLibrary() : nullptr; }

bool PXPGLOBALCLASS::HASLIB()
{
    Lock lock(m_crit);
    return m_hasLib;
}

bool PXPGLOBALCLASS::ISTHEMEACTIVE()
{
    Lock lock(m_crit);
    ThemeLibrary* lib = library();
    if (!lib)
        return false;
    const HTHEME theme = lib->openThemeData(nullptr, QStringLiteral("BUTTON"));
    if (!theme)
        return false;
    lib->closeThemeData(theme);
    return true;
}

void PXPGLOBALCLASS::USELUNACOLORS(bool on)
{
    Lock lock(m_crit);
    m_lunaColors = on;
}

bool PXPGLOBALCLASS::ISLUNACOLORSACTIVE()
{
    Lock lock(m_crit);
    return m_lunaColors;
}

HTHEME PXPGLOBALCLASS::OPENTHEME(QObject* window, const QString& classList)
{
    Lock lock(m_crit);
    ThemeLibrary* lib = library();
    return lib ? lib->openThemeData(window, clipRight(classList).left(49)) : 0;
}

long PXPGLOBALCLASS::CLOSETHEME(HTHEME theme)
{
    Lock lock(m_crit);
    ThemeLibrary* lib = library();
    return lib ? lib->closeThemeData(theme) : THEME_FAILED;
}

long PXPGLOBALCLASS::DRAWTHEMECONTROL(HTHEME theme, QPainter& painter, long part, long state,
                                      const QRect& rect, const QRect* clip)
{
    Lock lock(m_crit);
    ThemeLibrary* lib = library();
    return lib ? lib->drawThemeBackground(theme, painter, part, state, rect, clip) : THEME_FAILED;
}

COLORREF PXPGLOBALCLASS::GETTHEMECOLOR(HTHEME theme, long part, long state, long property)
{
    Lock lock(m_crit);
    COLORREF colour = 0;
    ThemeLibrary* lib = library();
    if (!lib || !lib->getThemeColor(theme, part, state, property, colour))
        return 0;
    return colour;
}

COLORREF PXPGLOBALCLASS::GETSYSCOLOR(long index)
{
    Lock lock(m_crit);
    return sysColor(index);
}

void PXPGLOBALCLASS::GETCURRENTTHEMENAME(QString& fileName, QString& colourName)
{
    Lock lock(m_crit);
    fileName.clear();
    colourName.clear();
    if (ThemeLibrary* lib = library(); !lib || !lib->getCurrentThemeName(fileName, colourName)) {
        fileName.clear();
        colourName.clear();
    }
    fileName.truncate(255);
    colourName.truncate(255);
}

COLORREF PXPGLOBALCLASS::RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    Lock lock(m_crit);
    return rgb(red, green, blue);
}

COLORREF PXPGLOBALCLASS::LIGHTCOLOR(unsigned long colourA, unsigned long colourB, long weight)
{
    // Beyond 1000 B's share would turn negative and a byte would spill into its neighbour.
    const long w = std::clamp(weight, 0L, 1000L);
    const long d = w < 100 ? 100 : 1000;
    const auto mix = [&](int a, int b) {
        return std::uint8_t(std::clamp((d / 2 + long(b) * (d - w) + long(a) * w) / d, 0L, 255L));
    };
    return RGB(mix(redOf(colourA), redOf(colourB)), mix(greenOf(colourA), greenOf(colourB)),
               mix(blueOf(colourA), blueOf(colourB)));
}

COLORREF PXPGLOBALCLASS::GETCOLOR(long index)
{
    Lock lock(m_crit);
    if (index < 1 || index > long(kColours.size()))
        return 0;
    const ColourRow& row = kColours[std::size_t(index - 1)];
    COLORREF value = 0;
    switch (row.system.kind) {
    case SystemValue::Sys: value = GETSYSCOLOR(row.system.value); break;
    case SystemValue::Fixed: value = row.system.value; break;
    case SystemValue::Blend:
        value = LIGHTCOLOR(GETSYSCOLOR(COLOR_BTNFACE), GETSYSCOLOR(COLOR_WINDOW), 205);
        break;
    }
    if (!m_lunaColors || !ISTHEMEACTIVE())
        return value;
    const HTHEME theme = OPENTHEME(nullptr, QStringLiteral("ExplorerBar"));
    if (!theme)
        return value;
    QString fileName, colourName;
    GETCURRENTTHEMENAME(fileName, colourName);
    const int column = lunaColumn(fileName, colourName);
    if (column >= 0 && row.luna[std::size_t(column)] != kUnlisted)
        value = row.luna[std::size_t(column)];
    CLOSETHEME(theme);
    return value;
}
