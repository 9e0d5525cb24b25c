#pragma once
#include "chrome/SysColors.h"
#include "chrome/ThemeLibrary.h"

#include <cstdint>
#include <mutex>

// The process-wide theme service: whether windows get the themed look, theme handles and
// drawing for the painters, and the 28 chrome colours in the system scheme or one of the
// three Luna schemes. It never fails loudly: without a theme library every window stays plain.
// Every operation holds CRIT, which is re-entrant, so operations may call each other.
class PXPGLOBALCLASS {
public:
    PXPGLOBALCLASS();
    ~PXPGLOBALCLASS();
    PXPGLOBALCLASS(const PXPGLOBALCLASS&) = delete;
    PXPGLOBALCLASS& operator=(const PXPGLOBALCLASS&) = delete;

    // A theme library is bound and it knows the "BUTTON" class.
    bool ISTHEMEACTIVE();
    void USELUNACOLORS(bool on);
    bool ISLUNACOLORSACTIVE();
    // The class list is clipped of trailing blanks and cut to 49 characters.
    pxp::HTHEME OPENTHEME(QObject* window, const QString& classList);
    long CLOSETHEME(pxp::HTHEME theme);
    long DRAWTHEMECONTROL(pxp::HTHEME theme, QPainter& painter, long part, long state,
                          const QRect& rect, const QRect* clip = nullptr);
    // 0 when the theme has no such colour.
    pxp::COLORREF GETTHEMECOLOR(pxp::HTHEME theme, long part, long state, long property);
    pxp::COLORREF GETSYSCOLOR(long index);
    // Both names empty when no theme says otherwise; each cut to 255 characters.
    void GETCURRENTTHEMENAME(QString& fileName, QString& colourName);
    pxp::COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Weighted mean of A and B, rounded half up: weights below 100 are per cent, 100 and more
    // per mille (so 99 gives A 99 % but 100 gives A 10 %). Weights are held to 0..1000.
    pxp::COLORREF LIGHTCOLOR(unsigned long colourA, unsigned long colourB, long weight);
    // The chrome colour of index 1..28 in the current scheme; 0 for any other index.
    pxp::COLORREF GETCOLOR(long index);

    // 1 when the theme library was bound when this object was made.
    bool HASLIB();
    std::recursive_mutex& CRIT() { return m_crit; }

private:
    pxp::ThemeLibrary* library();

    std::recursive_mutex m_crit;
    bool m_lunaColors = true;
    bool m_hasLib = false;
};
