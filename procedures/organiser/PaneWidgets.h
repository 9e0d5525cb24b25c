#pragma once
#include <QObject>
#include <QPointer>
#include <QSize>
#include <functional>
#include <map>
#include <vector>

#include "procedures/organiser/PaneLayout.h"

class QSplitter;
class QWidget;

// Applies the pane arithmetic to the window's controls: the resize table on every resize, the
// splitter bars' drags, and the mail page's saved positions.
namespace organiser {

class PaneLayoutBinder : public QObject {
    Q_OBJECT
public:
    // `control` finds a control of the window by number (null when the window lacks it);
    // positions are relative to `window`.
    PaneLayoutBinder(QWidget* window, std::function<QWidget*(int)> control, QString iniPath);

    // Takes the design positions (once).
    void rememberControlPositions();
    // W_First.ResizeControls.
    int resizeControls();
    // W_First.SetupSplitters: the bars work, the mail page's saved positions come back.
    void setupSplitters();
    // W_First.SaveMainLayout.
    bool saveMainLayout();
    // What a drag of bar `bar` by `delta` does (also used by the bars' mouse handling).
    int dragSplitter(int bar, int delta);

    ControlAnchors& anchors() { return m_anchors; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<QRect> geometry(int control) const;
    void place(int control, const QRect& rect);

    QWidget* m_window;
    std::function<QWidget*(int)> m_control;
    QString m_iniPath;
    ControlAnchors m_anchors;
    std::map<QObject*, int> m_bars;
    QPointer<QObject> m_dragging;
    int m_dragFrom = 0;
};

// Where `w` stands in `window`'s coordinates, whichever page holds it.
QRect rectIn(const QWidget* window, const QWidget* w);

// The pages are laid out by Qt, so each splitter bar is a QSplitter handle: held within the
// bar's limits whenever it is dragged, and the mail page's positions saved and restored.
class PageSplitters : public QObject {
    Q_OBJECT
public:
    PageSplitters(QWidget* window, std::function<QString()> iniPath);

    // `bars` numbers the splitter's handles from the first (0: no limits); `panes` numbers its
    // widgets in order (0: not saved).
    void add(QSplitter* splitter, const std::vector<int>& bars, const std::vector<int>& panes);
    // A control measured for the saved positions that is not itself a pane.
    void name(int control, QWidget* widget);
    QSplitter* splitterOf(int bar) const;

    // W_First.SaveMainLayout; nothing is written for a page never laid out.
    bool saveMainLayout();
    // W_First.SetupSplitters: the saved positions come back, within the limits.
    void setupSplitters();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clamp(QSplitter* splitter);
    std::optional<QRect> geometry(int control) const;

    QWidget* m_window;
    std::function<QString()> m_iniPath;
    std::map<int, QPointer<QWidget>> m_controls;
    struct Page {
        std::vector<int> bars, panes;
        bool laidOut = false;
    };
    std::map<QSplitter*, Page> m_pages;
};

} // namespace organiser
