#pragma once
#include "chrome/ControlStates.h"
#include "chrome/ChromeGlobals.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QPainter;
class QStyle;
class QWidget;

namespace pxp {
class XpThemeStyle;
}

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

    // Called by the style for the control's frame: the part in the state the flags give.
    virtual void drawFrame(QPainter& painter, const QRect& rect, const pxp::ControlFlags& flags);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual long stateFor(const pxp::ControlFlags& flags) const { return pxp::entryState(flags); }
    virtual long framePart() const { return 1; }

private:
    QPointer<QWidget> m_control;
    QPointer<QStyle> m_ownStyle; // the control's style before, null for the application's
    pxp::XpThemeStyle* m_style = nullptr;
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
