#pragma once
#include "chrome/ControlPainter.h"
#include "chrome/PxpRules.h"

#include <QList>
#include <QPointer>

class QTabWidget;
class PXPRADIOCLASS;

namespace pxp {
class SheetStripWidget;
}

// Sheets (QTabWidget): the sheet's own tab strip gives way to a themed strip 21 pixels high
// with hover and disabled looks and scroll arrows when the tabs do not fit; the pane is the
// theme's "Tab" pane. Hidden tabs are left out and disabled ones cannot be selected; Tab and
// Shift+Tab on the focused strip select the next and previous tab, wrapping round, and then
// move the focus on. In wizard
// mode no tabs show and the pane fills the sheet.
class PXPSHEETCLASS : public PXPCONTROLCLASS {
    Q_OBJECT
public:
    explicit PXPSHEETCLASS(QObject* parent = nullptr);
    ~PXPSHEETCLASS() override;
    bool INIT(QWidget* control);
    void KILL() override;

    static constexpr long LTABHEIGHT = pxp::SHEET_TAB_HEIGHT;
    // 1-based number of the selected tab and of the tab under the mouse (0: none).
    long ACTIVETAB() const;
    long HOVEREDTAB = 0;
    long SCROLLPOS = 1;
    // 1: the pane is drawn behind the sheet's controls too.
    bool DRAWBACKGROUND = true;
    // Where the scroll arrows sit (both at the right by default).
    int ARROWS = pxp::ARROWS_RIGHT;

    // The next (previous) visible, enabled tab, wrapping round; 0 when none.
    long SELECTNEXTTAB() const;
    long SELECTPREVTAB() const;
    // Selects tab n (1-based) when it is visible and enabled.
    bool SELECTTAB(long n);
    // Reads the tabs from the sheet and moves a selection off a disabled tab.
    bool UPDATESTATESHEET();
    bool GETISWIZARD() const { return m_wizard; }
    void SETWIZARD(bool on);
    // Off: the radio and check boxes on the sheet's tabs draw themselves again.
    void SETDRAWBACKGROUND(bool on);
    void ADDRADIO(PXPRADIOCLASS* radio);

    // The strip as last laid out, and the tabs it was laid out from.
    pxp::SheetStrip strip() const;
    std::vector<pxp::SheetTab> tabs() const;
    QWidget* stripWidget() const;

    bool stylePrimitive(QStyle::PrimitiveElement element, const QStyleOption* option, QPainter* p,
                        const QWidget* widget, const QStyle* base) override;
    QRect styleSubElementRect(QStyle::SubElement element, const QStyleOption* option,
                              const QWidget* widget) const override;

    // Used by the strip widget.
    void paintStrip(QPainter& p, const QRect& rect);
    void TAKEMOUSEMOVE(const QPoint& pos);
    void TAKELEFTMOUSE(const QPoint& pos);
    void leaveStrip();

protected:
    long stateFor(const pxp::ControlFlags&) const override { return 0; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabWidget* sheet() const;
    long textWidth(const QString& text) const;
    void placeStrip();

    pxp::SheetStripWidget* m_strip = nullptr;
    bool m_wizard = false;
    bool m_barWasHidden = false;
    QPointer<QWidget> m_oldFocusProxy;
    long m_hoveredArrow = 0;
    QList<QPointer<PXPRADIOCLASS>> m_radios;
};
