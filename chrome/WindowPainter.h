#pragma once
#include "chrome/ControlPainter.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <set>

class QWidget;

// Gives one window the themed look: INIT hands each of its controls to the painter of its
// type (entries, type 8, so far) unless the type is excluded, and fills the window with the
// theme's window colour, again when the theme changes. A child of the window, it goes with it.
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
    void SETLISTBOXDEFAULTLINEHEIGHT(long height) { m_defaultLineHeight = height; }
    long NDEFAULTLINEHEIGHT() const { return m_defaultLineHeight; }
    void INIT(PXPGLOBALCLASS& global, bool noSubclass);
    // Chooses, creates and records the painter for one control; false when it gets none.
    bool ADDCONTROL(QWidget* control, bool autoCleanup = true);
    // The control goes back to its own look.
    void REMOVECONTROL(const QWidget* control);
    // The painter of a control, or null (also once the control is gone).
    PXPCONTROLCLASS* GETCONTROLCLASS(const QWidget* control) const;
    // The fill the window gets: colour 11 for colour style 1, else 12.
    pxp::COLORREF windowColor() const;

    // The control's type code as the painters know it, 0 for a control no painter serves.
    static long controlType(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillWindow();

    QPointer<QWidget> m_window;
    PXPGLOBALCLASS* m_global = nullptr;
    std::set<long> m_excludedTypes;
    std::set<const QWidget*> m_excluded, m_included;
    long m_colorStyle = 0;
    bool m_setWindowColor = false;
    long m_defaultLineHeight = 0;
    QList<QPointer<PXPCONTROLCLASS>> m_painters;
};
