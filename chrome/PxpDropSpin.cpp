#include "chrome/PxpDropSpin.h"
#include "chrome/PxpRules.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionSpinBox>
#include <QStyledItemDelegate>

using namespace pxp;

namespace {

ControlFlags flagsOf(const QStyleOption* option)
{
    ControlFlags flags;
    flags.enabled = option->state & QStyle::State_Enabled;
    flags.hovered = option->state & QStyle::State_MouseOver;
    flags.focused = option->state & QStyle::State_HasFocus;
    return flags;
}

// Lines of a dropped list at a fixed height.
class LineHeightDelegate : public QStyledItemDelegate {
public:
    LineHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(m_height);
        return s;
    }

private:
    int m_height;
};

} // namespace

// ---- drop lists ----

bool PXPDROPCLASS::INIT(QWidget* control)
{
    auto* combo = qobject_cast<QComboBox*>(control);
    // Date entries with a calendar are drawn as drop combos.
    auto* date = qobject_cast<QDateTimeEdit*>(control);
    if ((!combo && !(date && date->calendarPopup())) || !openExtraTheme(QStringLiteral("Combobox")))
        return false;
    if (!PXPCONTROLCLASS::INIT(control, QStringLiteral("Edit")))
        return false;
    ISCOMBO = !combo || combo->isEditable();
    BTNWIDTH = buttonWidth(control->rect());
    BTNSTATE = 1;
    return true;
}

long PXPDROPCLASS::buttonWidth(const QRect& outer) const
{
    // A combo's own button is as wide as the base style makes its arrow.
    long comboButton = outer.height();
    if (ISCOMBO && control()) {
        QStyleOptionComboBox opt;
        opt.initFrom(control());
        opt.rect = outer;
        opt.editable = true;
        opt.subControls = QStyle::SC_All;
        comboButton = QApplication::style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, control()).width();
    }
    return dropButtonWidth(ISCOMBO, comboButton, outer.height(), ISEIP);
}

void PXPDROPCLASS::setDropLineHeight(long height)
{
    auto* combo = qobject_cast<QComboBox*>(control());
    if (combo && height > 0)
        combo->setItemDelegate(new LineHeightDelegate(int(height), combo));
}

QRect PXPDROPCLASS::styleSubControlRect(QStyle::ComplexControl cc, const QStyleOptionComplex* option,
                                        QStyle::SubControl sc, const QWidget* widget) const
{
    if (cc != QStyle::CC_ComboBox || widget != control())
        return {};
    const QRect outer = option->rect;
    const QRect button = dropButtonRect(outer, buttonWidth(outer), !ISCOMBO && !ISFLAT);
    switch (sc) {
    case QStyle::SC_ComboBoxArrow: return button;
    case QStyle::SC_ComboBoxFrame: return outer;
    case QStyle::SC_ComboBoxEditField:
        return QRect(QPoint(outer.left() + 3, outer.top() + 1), QPoint(button.left() - 3, outer.bottom() - 1));
    default: return {};
    }
}

bool PXPDROPCLASS::styleComplex(QStyle::ComplexControl cc, const QStyleOptionComplex* option, QPainter* p,
                                const QWidget* widget, const QStyle*)
{
    const auto* opt = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (cc != QStyle::CC_ComboBox || !opt || widget != control())
        return false;
    const QRect outer = opt->rect;
    const ControlFlags flags = flagsOf(opt);
    p->fillRect(outer.adjusted(1, 1, -1, -1), opt->palette.brush(QPalette::Base));
    drawFrame(*p, outer, flags);
    if (!flags.enabled)
        BTNSTATE = 4;
    else if (flags.hovered)
        BTNSTATE = 2;
    else if (BTNSTATE != 1)
        BTNSTATE = 0;
    if (ISEIP)
        BTNWIDTH = outer.height();
    else
        BTNWIDTH = buttonWidth(outer);
    const bool strip = !ISCOMBO && !ISFLAT;
    const QRect button = dropButtonRect(outer, BTNWIDTH, strip);
    if (strip)
        p->fillRect(QRect(button.left() - 1, button.top(), 1, button.height()), Qt::white);
    drawPart(HTHEME2(), *p, CP_DROPDOWNBUTTON, BTNSTATE, button);
    return true;
}

bool PXPDROPCLASS::eventFilter(QObject* watched, QEvent* event)
{
    auto* combo = qobject_cast<QComboBox*>(control());
    if (combo && watched == combo) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // A drop list opens and closes by its list's own state, whatever closed it last.
            if (!combo->isEditable() && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                combo->setFocus(Qt::MouseFocusReason);
                if (combo->view() && combo->view()->isVisible())
                    combo->hidePopup();
                else
                    combo->showPopup();
                return true;
            }
            break;
        case QEvent::Enter:
        case QEvent::HoverMove:
            if (combo->isEnabled() && BTNSTATE != 2) {
                BTNSTATE = 2;
                REFRESH();
            }
            break;
        case QEvent::Leave:
            BTNSTATE = combo->isEnabled() ? 0 : 4;
            REFRESH();
            break;
        default: break;
        }
    }
    return PXPCONTROLCLASS::eventFilter(watched, event);
}

// ---- spin boxes ----

bool PXPSPINCLASS::INIT(QWidget* control)
{
    if (!qobject_cast<QAbstractSpinBox*>(control) || !openExtraTheme(QStringLiteral("Spin")))
        return false;
    UPBTNSTATE = DOWNBTNSTATE = 0;
    return PXPCONTROLCLASS::INIT(control, QStringLiteral("Edit"));
}

QRect PXPSPINCLASS::styleSubControlRect(QStyle::ComplexControl cc, const QStyleOptionComplex* option,
                                        QStyle::SubControl sc, const QWidget* widget) const
{
    if (cc != QStyle::CC_SpinBox || widget != control())
        return {};
    const QRect outer = option->rect;
    const QRect up = spinUpRect(outer);
    switch (sc) {
    case QStyle::SC_SpinBoxUp: return up;
    case QStyle::SC_SpinBoxDown: return spinDownRect(outer);
    case QStyle::SC_SpinBoxFrame: return outer;
    case QStyle::SC_SpinBoxEditField:
        return QRect(QPoint(outer.left() + 3, outer.top() + 1), QPoint(up.left() - 2, outer.bottom() - 1));
    default: return {};
    }
}

bool PXPSPINCLASS::styleComplex(QStyle::ComplexControl cc, const QStyleOptionComplex* option, QPainter* p,
                                const QWidget* widget, const QStyle*)
{
    const auto* opt = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
    if (cc != QStyle::CC_SpinBox || !opt || widget != control())
        return false;
    const QRect outer = opt->rect;
    ControlFlags flags = flagsOf(opt);
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget))
        flags.readOnly = spin->isReadOnly();
    p->fillRect(outer.adjusted(1, 1, -1, -1), opt->palette.brush(QPalette::Base));
    drawFrame(*p, outer, flags);
    // The button under the mouse is the one the style's hit test found.
    const bool hot = flags.hovered;
    UPBTNSTATE = spinButtonState(flags.enabled, hot && opt->activeSubControls == QStyle::SC_SpinBoxUp);
    DOWNBTNSTATE = spinButtonState(flags.enabled, hot && opt->activeSubControls == QStyle::SC_SpinBoxDown);
    drawPart(HTHEMESPIN(), *p, SPNP_UP, UPBTNSTATE, spinUpRect(outer));
    drawPart(HTHEMESPIN(), *p, SPNP_DOWN, DOWNBTNSTATE, spinDownRect(outer));
    return true;
}

bool PXPSPINCLASS::eventFilter(QObject* watched, QEvent* event)
{
    // Only a change of the button under the mouse repaints; nothing runs while it is away.
    if (watched == control() && (event->type() == QEvent::Leave || event->type() == QEvent::HoverLeave)
        && (UPBTNSTATE == 2 || DOWNBTNSTATE == 2))
        REFRESH();
    return PXPCONTROLCLASS::eventFilter(watched, event);
}
