#pragma once
#include "chrome/ControlPainter.h"

#include <QPointer>

class PXPSHEETCLASS;

// Radio buttons and check boxes on a painted sheet's tabs: the theme's box in the state the
// check mark, the mouse and the pressed button give, over the sheet's pane.
class PXPRADIOCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    using PXPCONTROLCLASS::PXPCONTROLCLASS;
    // False for a control showing an icon: it keeps its own look.
    bool INIT(QWidget* control);
    void SETSHEET(PXPSHEETCLASS* sheet) { m_sheet = sheet; }
    PXPSHEETCLASS* PSHEET() const { return m_sheet; }
    // The painter steps aside for good and the control draws itself again.
    void SETDONOTTHEME();
    bool DONOTTHEME() const { return m_doNotTheme; }

    // 2 radio button, 3 check box.
    long BUTTONTYPE = 2;

    bool stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                        const QWidget* widget, const QStyle* base) override;

private:
    QPointer<PXPSHEETCLASS> m_sheet;
    bool m_doNotTheme = false;
};
