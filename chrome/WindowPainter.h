#pragma once
class QHeaderView;
#include "chrome/ControlPainter.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <set>

class QWidget;
class PXPSHEETCLASS;

// Gives one window the themed look: INIT hands each of its controls to the painter of its
// type unless the type is excluded: entries, drop lists and combos, spin boxes, lists and
// sheets (with the radio and check boxes on their tabs). With SETWINDOWCOLOR it fills the
// window with the theme's window colour, again when the theme changes, and gives entry-like
// controls a white fill. A child of the window, it goes with it.
class PXPWINDOWCLASS : public QObject {
    Q_OBJECT
public:
    explicit PXPWINDOWCLASS(QWidget* window);

    void ADDEXCLUDETYPE(long type) { m_excludedTypes.insert(type); }
    // A control that gets no painter, whatever its type.
    void ADDEXCLUDE(const QWidget* control) { m_excluded.insert(control); }
    // A control painted although its type is excluded (not when it is itself excluded).
    void ADDINCLUDECONTROL(const QWidget* control) { m_included.insert(control); }
    void SETCOLORSTYLE(long style) { m_colorStyle = style; }
    void SETWINDOWCOLOR(bool on) { m_setWindowColor = on; }
    // Qt paints every window through its backing store; the request is kept so that callers
    // can read it, and turning a window's buffering off has nothing to act on.
    void FORCEBUFFERZERO() { m_forceBuffer = true; }
    bool FORCEBUFFER() const { return m_forceBuffer; }
    // After INIT: the application frame's client area (the central widget of the window's
    // top-level main window, or an MDI area's background) takes colour 14 of the colour table
    // with colour style 1, else 13, and keeps it on a theme change. False without INIT.
    bool SETAPPFRAMECOLOR();
    bool BSETAPPFRAMECOLOR() const { return m_setAppFrameColor; }
    void SETLISTBOXDEFAULTLINEHEIGHT(long height) { m_defaultLineHeight = height; }
    long NDEFAULTLINEHEIGHT() const { return m_defaultLineHeight; }
    void SETDROPLISTDEFAULTLINEHEIGHT(long height) { m_defaultDropLineHeight = height; }
    long NDEFAULTDROPLINEHEIGHT() const { return m_defaultDropLineHeight; }
    // Every painter draws inside its control, so `noSubclass` changes nothing here.
    void INIT(PXPGLOBALCLASS& global, bool noSubclass);
    // Chooses, creates and records the painter for one control; false when it gets none.
    bool ADDCONTROL(QWidget* control, bool autoCleanup = true, bool isEditInPlace = false);
    // The control goes back to its own look.
    void REMOVECONTROL(const QWidget* control);
    // The painter of a control, or null (also once the control is gone).
    PXPCONTROLCLASS* GETCONTROLCLASS(const QWidget* control) const;
    // The code the control's painter was recorded under (8, 14, 16, 33, 34, 37, 12, 21), 0 for none.
    long GETCONTROLCODE(const QWidget* control) const;
    // The fill the window gets: colour 11 for colour style 1, else 12.
    pxp::COLORREF windowColor() const;

    // Lists: `list` null means every list painted here.
    void SETLISTBOXHOVERING(const QWidget* list, bool on);
    void SETLISTBOXLINEHEIGHT(const QWidget* list, long height);
    // A list's heading control of its own gets the list painter's header look; false when the
    // list has no list painter here.
    bool SETXPLOREHEADERFEQ(const QWidget* list, QHeaderView* header);
    // Sheets: `sheet` null means every sheet painted here.
    void SETSHEETDRAWBACKGROUND(const QWidget* sheet, bool on);
    void SETSHEETWIZARD(const QWidget* sheet, bool on);
    bool ISSHEETWIZARD(const QWidget* sheet) const;
    void SHEETSELECTIONCHANGED(const QWidget* sheet);
    // Repaints the window the control lies on.
    void REFRESHWINDOW(const QWidget* control);

    // The control's type code as the painters know it, 0 for a control no painter serves.
    static long controlType(const QWidget* control);
    // A list that drops down (a combo's).
    static bool dropsDown(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Record {
        QPointer<PXPCONTROLCLASS> painter;
        long code = 0;
    };
    void fillWindow();
    void record(PXPCONTROLCLASS* painter, long code);
    void addSheetRadios(PXPSHEETCLASS* sheet, QWidget* control);
    QList<PXPSHEETCLASS*> sheets(const QWidget* sheet) const;

    QPointer<QWidget> m_window;
    PXPGLOBALCLASS* m_global = nullptr;
    std::set<long> m_excludedTypes;
    std::set<const QWidget*> m_excluded, m_included;
    long m_colorStyle = 0;
    bool m_forceBuffer = false;
    bool m_setAppFrameColor = false;
    bool m_setWindowColor = false;
    long m_defaultLineHeight = 0;
    long m_defaultDropLineHeight = 0;
    QList<Record> m_painters;
};

namespace pxp {

// The set-up of every themed window of the procedure library (forms, browses, the organiser
// window): sheets excluded, colour style 1, the theme's window colour, list lines 11 high.
// Null when themes are off; the painter is a child of the window.
PXPWINDOWCLASS* themeLibraryWindow(QWidget* window);
// The frame of the organiser program: sheets excluded, list lines 11 high, its own fill.
PXPWINDOWCLASS* themeFrameWindow(QWidget* window);
// The mail transfer program's windows: list lines 11 high, and their sheets painted too.
PXPWINDOWCLASS* themeMailWindow(QWidget* window);

} // namespace pxp
