#include "chrome/PxpRadio.h"
#include "chrome/PxpRules.h"
#include "chrome/PxpSheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOption>

using namespace pxp;

bool PXPRADIOCLASS::INIT(QWidget* control)
{
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!qobject_cast<QRadioButton*>(control) && !qobject_cast<QCheckBox*>(control))
        return false;
    if (!button->icon().isNull())
        return false;
    m_doNotTheme = false;
    if (!PXPCONTROLCLASS::INIT(control, QStringLiteral("Button")))
        return false;
    BUTTONTYPE = qobject_cast<QCheckBox*>(control) ? BP_CHECKBOX : BP_RADIOBUTTON;
    // The sheet's pane shows through around the box and caption.
    control->setAutoFillBackground(false);
    return true;
}

void PXPRADIOCLASS::SETDONOTTHEME()
{
    m_doNotTheme = true;
    KILL();
}

bool PXPRADIOCLASS::stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                                   const QWidget* widget, const QStyle*)
{
    const bool radio = element == QStyle::PE_IndicatorRadioButton && BUTTONTYPE == BP_RADIOBUTTON;
    const bool check = element == QStyle::PE_IndicatorCheckBox && BUTTONTYPE == BP_CHECKBOX;
    if (m_doNotTheme || widget != control() || (!radio && !check))
        return false;
    const QStyle::State st = option->state;
    const long state = radioState(st & (QStyle::State_On | QStyle::State_NoChange), st & QStyle::State_Enabled,
                                  st & QStyle::State_Sunken, st & QStyle::State_MouseOver);
    setState(state);
    return drawPart(HTHEME(), *p, BUTTONTYPE, state, option->rect);
}
