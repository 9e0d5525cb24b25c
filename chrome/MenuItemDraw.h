#pragma once
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <vector>

#include "chrome/SysColors.h"

class CFCMENUITEM;
class QPainter;

// Item states a painter draws (the bits the menus pass).
enum CfcItemState : unsigned {
    ODS_SELECTED = 0x1,
    ODS_GRAYED = 0x2,
    ODS_DISABLED = 0x4,
    ODS_CHECKED = 0x8,
    ODS_HOTLIGHT = 0x40,
};

// What measuring an item needs, so the rules run without a menu.
struct CfcMeasureRequest {
    bool separator = false;
    bool topLevel = false;
    int textWidth = 0;        // the text's width in the menu font
    bool menuHasSubmenus = false;
    int iconHeight = 16;
};

// An item's text as drawn: the label, and the shortcut text after a tab (trimmed, at most 19
// characters; empty when the text has no tab).
struct CfcItemText {
    QString label;
    QString shortcut;
};
CfcItemText splitMenuItemText(const QString& text);

// A popup frame as rectangles (left, top, right, bottom; right and bottom exclusive). A frame
// op paints the rectangle's outline and paints nothing when it is empty; a fill op fills it,
// a gradient op runs from `colour` at the left to `colourTo` at the right.
struct CfcFrameOp {
    enum Kind { Frame, Fill, Gradient } kind = Frame;
    QRect rect;
    pxp::COLORREF colour = 0;
    pxp::COLORREF colourTo = 0;
};
QRect cfcRect(int left, int top, int right, int bottom);

// Measures and draws the items of an owner-drawn menu in one look. The classic look lets the
// system style draw and only supplies the icons; the flat looks draw everything themselves.
class CFCMENUITEMDRAWCLASS {
public:
    virtual ~CFCMENUITEMDRAWCLASS() = default;

    long MENUITEMTEXTOFFSET = 0;
    bool FLAGDONOTDRAWTOPLEVEL = false;

    // The look's name in the settings ("XP", "2003 silver").
    virtual QString lookName() const { return {}; }
    // An invalid size lets the system style measure.
    virtual QSize measure(const CfcMeasureRequest& request) const { return {}; }
    QSize ONMEASUREITEM(CFCMENUITEM& item, const QFont& menuFont);
    virtual void ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state) {}
    virtual void SETOWNERDRAW(CFCMENUITEM& item) {}
    virtual void REMOVEOWNERDRAW(CFCMENUITEM& item);
    virtual void UPDATEMENUITEM(CFCMENUITEM& item);
    virtual void DRAWTOPLEVELITEM(CFCMENUITEM& item) {}
    virtual void DRAWMENUBAR1PX(CFCMENUITEM& item);
    // The popup's frame; none for looks that leave it to the system.
    virtual std::vector<CfcFrameOp> flatFrame(int width, int height) const { return {}; }
    virtual int panelWidth() const { return -1; } // -1: the system's
    // The menu background: the menu's own colour when it has one and `useMenuColour`, else the
    // system's menu-bar colour.
    static pxp::COLORREF background(const CFCMENUITEM& item, bool useMenuColour);
    // The system's menu-bar colour, else its menu colour.
    static pxp::COLORREF systemMenuColour();
};

class CFCMENUITEMDRAWCLASS_STD : public CFCMENUITEMDRAWCLASS {
public:
    CFCMENUITEMDRAWCLASS_STD() { MENUITEMTEXTOFFSET = 4; }
    QString lookName() const override { return QStringLiteral("classic"); }
    // The icon area beside the system's own item.
    QSize iconArea(const CFCMENUITEM& item) const;
    void ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state) override;
};

class CFCMENUITEMDRAWCLASS_XP : public CFCMENUITEMDRAWCLASS {
public:
    CFCMENUITEMDRAWCLASS_XP();
    QString lookName() const override { return QStringLiteral("XP"); }

    long ITEMHEIGHT = 22;
    long ICONBARWIDTH = 20;
    long SUBMENUOFFSET = 20;
    pxp::COLORREF COLOR_ITEMBACKGROUND = 0;
    pxp::COLORREF COLOR_SELECTEDITEM = 0;
    pxp::COLORREF COLOR_DISABLEDITEMBACKGROUND = 0;
    pxp::COLORREF COLOR_ITEMBORDER = 0;
    pxp::COLORREF COLOR_POPUPWINDOWBORDER = 0;
    pxp::COLORREF COLOR_SEPARATOR = 0;
    pxp::COLORREF COLOR_SHADOW_1 = 0;
    pxp::COLORREF COLOR_SHADOW_2 = 0;

    QSize measure(const CfcMeasureRequest& request) const override;
    void ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state) override;
    void SETOWNERDRAW(CFCMENUITEM& item) override;
    void DRAWTOPLEVELITEM(CFCMENUITEM& item) override;
    std::vector<CfcFrameOp> flatFrame(int width, int height) const override;
    int panelWidth() const override { return 3; }

    void DRAWSHADOW(const QRect& rect, QPainter& painter) const;
    void DRAWITEMTEXT(const CFCMENUITEM& item, QPainter& painter, const QRect& rect) const;
    // Top of the icon in an item.
    int iconOffset() const { return int((ITEMHEIGHT - 16) / 2.0 + 0.5); }

protected:
    // The flat item; `gradient` adds the 2003 gradients over it.
    void drawFlat(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state, bool gradient);
    virtual void drawTopLevelFill(QPainter& painter, const QRect& rect, bool opened) {}
    virtual void drawIconBar(QPainter& painter, const QRect& bar) {}
};

class CFCMENUITEMDRAWCLASS_2003 : public CFCMENUITEMDRAWCLASS_XP {
public:
    CFCMENUITEMDRAWCLASS_2003();
    QString lookName() const override { return QStringLiteral("2003"); }

    pxp::COLORREF COLOR_ICONBARGRADIENTFROM = 0;
    pxp::COLORREF COLOR_ICONBARGRADIENTTO = 0;
    pxp::COLORREF COLOR_TOPLEVELITEMGRADIENTFROM = 0;
    pxp::COLORREF COLOR_TOPLEVELITEMGRADIENTTO = 0;
    pxp::COLORREF COLOR_OPENEDTOPLEVELITEMGRADIENTFROM = 0;
    pxp::COLORREF COLOR_OPENEDTOPLEVELITEMGRADIENTTO = 0;
    // Off: the XP drawing with these colours.
    bool gradients = true;

    void ONDRAWITEM(CFCMENUITEM& item, QPainter& painter, const QRect& rect, unsigned state) override;
    std::vector<CfcFrameOp> flatFrame(int width, int height) const override;

protected:
    // Item background, selection, disabled selection, item border, popup border, separator,
    // the two shadows, then the icon bar, hot bar entry and opened bar entry gradients.
    void setColours(const std::array<pxp::COLORREF, 14>& colours);
    void drawTopLevelFill(QPainter& painter, const QRect& rect, bool opened) override;
    void drawIconBar(QPainter& painter, const QRect& bar) override;
};

class CFCMENUITEMDRAWCLASS_2003_GRAY : public CFCMENUITEMDRAWCLASS_2003 {
public:
    CFCMENUITEMDRAWCLASS_2003_GRAY();
    QString lookName() const override { return QStringLiteral("2003 gray"); }
};

class CFCMENUITEMDRAWCLASS_2003_GREEN : public CFCMENUITEMDRAWCLASS_2003 {
public:
    CFCMENUITEMDRAWCLASS_2003_GREEN();
    QString lookName() const override { return QStringLiteral("2003 green"); }
};

class CFCMENUITEMDRAWCLASS_2003_SILVER : public CFCMENUITEMDRAWCLASS_2003 {
public:
    CFCMENUITEMDRAWCLASS_2003_SILVER();
    QString lookName() const override { return QStringLiteral("2003 silver"); }
};

// Paints frame ops (shared by the popup frames and the tests).
void paintFrameOps(QPainter& painter, const std::vector<CfcFrameOp>& ops);
