#include "chrome/VorovevevMenuLook.h"

namespace ptb {

namespace {
COLORREF colourAt(const ColorTable& colors, long index)
{
    return index >= 1 && index <= 60 ? colors[size_t(index)] : NoColour;
}
} // namespace

MenuColourIndices menuColourIndices(int menuStyle)
{
    switch (menuStyle) {
    case 2: return {48, 49, 50, 51, 0, 0, 53};
    case 1: return {25, 26, 27, 28, 0, 0, 30};
    case 3: return {25, 26, 27, 0, 11, 12, 14};
    default: return {8, 9, 0, 0, 11, 12, 14};
    }
}

MenuItemSize measureMenuItem(bool separator, const QString& text, int menuStyle, long menuHeight,
                             const Measurer& measure)
{
    if (separator)
        return {10, 5};
    const int width = measure.textWidth(text.left(99) + QStringLiteral("   "))
                      + (text.contains(u'\t') ? 10 : 0) + (menuStyle == 3 ? 20 : 30);
    return {width, int(menuHeight) - 1};
}

int menuTextLeft(int menuStyle) { return menuStyle == 3 ? 21 : menuStyle == 0 ? 26 : 28; }

COLORREF menuTextColour(int menuStyle, bool greyed, const ColorTable& colors)
{
    if (greyed)
        return menuStyle == 0 ? RGB(128, 128, 128) : RGB(192, 192, 192);
    return colourAt(colors, menuColourIndices(menuStyle).text);
}

COLORREF menuEmbossColour(int menuStyle, bool greyed, const ColorTable& colors)
{
    return greyed && menuStyle == 0 ? colourAt(colors, 6) : NoColour;
}

MenuSelection menuSelection(int menuStyle, bool greyed, bool keyboardActive, const ColorTable& colors)
{
    const MenuColourIndices c = menuColourIndices(menuStyle);
    if (c.selectFrame) {
        if (!greyed)
            return {colourAt(colors, c.select), colourAt(colors, c.selectFrame)};
        if (keyboardActive)
            return {colourAt(colors, c.back), colourAt(colors, c.selectFrame)};
        return {};
    }
    if (!greyed)
        return {colourAt(colors, c.hotFill), NoColour};
    if (keyboardActive)
        return {NoColour, colourAt(colors, c.hotFrame)};
    return {};
}

MenuSeparatorLook menuSeparator(int menuStyle, const ColorTable& colors)
{
    switch (menuStyle) {
    case 2: return {24, colourAt(colors, 52), NoColour};
    case 1: return {0, colourAt(colors, 29), NoColour};
    default: return {0, colourAt(colors, 13), colourAt(colors, 9)};
    }
}

MenuIconColumn menuIconColumn(int menuStyle, const ColorTable& colors)
{
    if (menuStyle == 2)
        return {22, colourAt(colors, 33), colourAt(colors, 34)};
    if (menuStyle == 1)
        return {22, colourAt(colors, 17), colourAt(colors, 17)};
    return {};
}

MenuCheckBox menuCheckBox(int menuStyle, const ColorTable& colors)
{
    if (menuStyle == 2)
        return {colourAt(colors, 50), colourAt(colors, 49)};
    if (menuStyle == 1)
        return {colourAt(colors, 27), colourAt(colors, 28)};
    return {};
}

MenuFrameLook menuFrame(int menuStyle, const ColorTable& colors)
{
    const MenuColourIndices c = menuColourIndices(menuStyle);
    MenuFrameLook f;
    f.band = colourAt(colors, c.back);
    if (menuStyle == 0) {
        f.light = colourAt(colors, 9);
        f.dark = colourAt(colors, 10);
        f.shadow = RGB(0, 0, 0);
    } else {
        f.outer = colourAt(colors, c.frame);
    }
    return f;
}

std::pair<QString, QString> splitMenuText(const QString& text)
{
    const qsizetype tab = text.indexOf(u'\t');
    if (tab < 0)
        return {text, {}};
    return {text.left(tab), text.mid(tab + 1).left(29)};
}

} // namespace ptb
