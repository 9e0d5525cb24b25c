#pragma once
#include "chrome/ControlStates.h"
#include "chrome/ChromeGlobals.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProxyStyle>
#include <QString>

class QPainter;
class QWidget;
class PXPCONTROLCLASS;
class PXPWINDOWCLASS;

namespace pxp {

// The style a painted control gets: it hands each element to its painter and draws what the
// painter leaves through the control's own style.
class XpThemeStyle : public QProxyStyle {
public:
    explicit XpThemeStyle(PXPCONTROLCLASS* painter);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* p,
                            const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sc,
                         const QWidget* widget) const override;
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     const QPoint& pos, const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

private:
    bool serves(const QWidget* widget) const;
    // A style sheet's style may hold on to this style beyond its painter.
    QPointer<PXPCONTROLCLASS> m_painter;
};

} // namespace pxp

// The base of the control painters: binds itself to one control, gives it a style that
// draws the theme's one-pixel frame inside the control's rectangle (a child cannot draw on
// its parent) around the control's own look, and lets go again on KILL. State follows the
// control: it is read at every paint, and hover and focus repaint through Qt's own events.
class PXPCONTROLCLASS : public QObject {
    Q_OBJECT
public:
    explicit PXPCONTROLCLASS(QObject* parent = nullptr);
    ~PXPCONTROLCLASS() override;

    // Nothing happens (false) without a theme library, with an empty class list, or when the
    // theme knows none of the classes.
    bool INIT(QWidget* control, const QString& classList);
    // Restores the control's style, removes its "PXPControlClassAddr" property and closes
    // the theme handle. Safe to call twice and after the control is gone.
    virtual void KILL();
    // Reads the control's flags; false when it is gone.
    bool UPDATESTATES();
    void REFRESH();
    virtual void RELOADTHEME();
    pxp::COLORREF FIXCOLOR(pxp::COLORREF colour) const { return pxp::FIXCOLOR(colour); }

    // The theme state of the last frame drawn.
    long STATE() const { return m_state; }
    pxp::HTHEME HTHEME() const { return m_theme; }
    QWidget* control() const { return m_control; }
    const pxp::ControlFlags& flags() const { return m_flags; }

    // 1: the painter goes with its control.
    bool AUTOCLEANUP = false;
    PXPGLOBALCLASS* PGLOBAL = &PXPGlobal;
    // The window painter that made this painter, or null.
    PXPWINDOWCLASS* PWINDOW = nullptr;
    // 1: the control is an editor in place.
    bool ISEIP = false;

    // Called by the style for the control's frame: the part in the state the flags give.
    virtual void drawFrame(QPainter& painter, const QRect& rect, const pxp::ControlFlags& flags);

    // The style's hooks: each answers true (or a valid rectangle or size) when the painter
    // drew or measured the element itself; anything else goes to the control's own style.
    virtual bool stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                const QWidget* widget, const QStyle* base);
    virtual bool styleControl(QStyle::ControlElement, const QStyleOption*, QPainter*, const QWidget*, const QStyle*)
    {
        return false;
    }
    virtual bool styleComplex(QStyle::ComplexControl, const QStyleOptionComplex*, QPainter*, const QWidget*,
                              const QStyle*)
    {
        return false;
    }
    virtual QRect styleSubControlRect(QStyle::ComplexControl, const QStyleOptionComplex*, QStyle::SubControl,
                                      const QWidget*) const
    {
        return {};
    }
    virtual QRect styleSubElementRect(QStyle::SubElement, const QStyleOption*, const QWidget*) const { return {}; }
    // `size` is what the control's own style makes of the contents.
    virtual QSize styleSizeFromContents(QStyle::ContentsType, const QStyleOption*, const QSize&, const QWidget*) const
    {
        return {};
    }
    // The widgets the style serves: the control and those given with adopt().
    bool serves(const QWidget* widget) const;
    // Draws one part of a theme class over `rect`; false when nothing was drawn.
    bool drawPart(pxp::HTHEME theme, QPainter& painter, long part, long state, const QRect& rect) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual long stateFor(const pxp::ControlFlags& flags) const { return pxp::entryState(flags); }
    virtual long framePart() const { return 1; }
    // A further widget of the control (a list's header, a sheet's arrows) gets the painter's
    // style too, until KILL.
    void adopt(QWidget* widget);
    // Opens a further theme class for the painter (the i-th from 0): opened again by
    // RELOADTHEME, closed by KILL. 0 when the theme does not know the class.
    pxp::HTHEME openExtraTheme(const QString& classList);
    pxp::HTHEME extraTheme(int i) const { return i < m_extraThemes.size() ? m_extraThemes[i].theme : 0; }
    void setState(long state) { m_state = state; }
    bool wearsStyle(const QWidget* widget) const;

private:
    QPointer<QWidget> m_control;
    QPointer<QStyle> m_ownStyle; // the control's style before, null for the application's
    struct Adopted {
        QPointer<QWidget> widget;
        QPointer<QStyle> ownStyle;
    };
    QList<Adopted> m_adopted;
    struct ExtraTheme {
        pxp::HTHEME theme;
        QString classList;
    };
    QList<ExtraTheme> m_extraThemes;
    QPointer<pxp::XpThemeStyle> m_style;
    QString m_classList;
    pxp::HTHEME m_theme = 0;
    long m_state = 0;
    bool m_setHover = false;
    pxp::ControlFlags m_flags;
};

// Entry fields: the "Edit" frame.
class PXPENTRYCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    bool INIT(QWidget* control) { return PXPCONTROLCLASS::INIT(control, QStringLiteral("Edit")); }
};

// Entry and text boxes with scroll bars: the "Edit" frame around the whole box, scroll bars
// included (they lie inside the control).
class PXPBOXCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    bool INIT(QWidget* control);
    // 1: the control is a text box rather than an entry.
    bool ISTEXT = false;
};
