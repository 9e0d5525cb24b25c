#pragma once
#include "chrome/ControlPainter.h"

// Drop lists and drop combos (QComboBox): the "Edit" frame and a "Combobox" drop button that
// lights up under the mouse. A click on a drop list opens its list, or closes it when it is
// open, judged by the list itself rather than by the last request.
class PXPDROPCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    bool INIT(QWidget* control);

    // Theme state of the button: 1 after INIT, 2 under the mouse, 0 when it left, 4 disabled.
    long BTNSTATE = 0;
    // 1: the control is an editable combo.
    bool ISCOMBO = false;
    // 1: no white strip beside the button.
    bool ISFLAT = false;
    long BTNWIDTH = 0;
    pxp::HTHEME HTHEME2() const { return extraTheme(0); }
    // Line height of the dropped list, from the window painter's drop default (0: the list's own).
    void setDropLineHeight(long height);

    bool styleComplex(QStyle::ComplexControl control, const QStyleOptionComplex* option, QPainter* p,
                      const QWidget* widget, const QStyle* base) override;
    QRect styleSubControlRect(QStyle::ComplexControl control, const QStyleOptionComplex* option,
                              QStyle::SubControl sc, const QWidget* widget) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    long buttonWidth(const QRect& outer) const;
};

// Spin boxes: the "Edit" frame and "Spin" up and down buttons that light up under the mouse.
class PXPSPINCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    bool INIT(QWidget* control);

    // 0 normal, 2 under the mouse, 4 disabled.
    long UPBTNSTATE = 0;
    long DOWNBTNSTATE = 0;
    pxp::HTHEME HTHEMESPIN() const { return extraTheme(0); }

    bool styleComplex(QStyle::ComplexControl control, const QStyleOptionComplex* option, QPainter* p,
                      const QWidget* widget, const QStyle* base) override;
    QRect styleSubControlRect(QStyle::ComplexControl control, const QStyleOptionComplex* option,
                              QStyle::SubControl sc, const QWidget* widget) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
