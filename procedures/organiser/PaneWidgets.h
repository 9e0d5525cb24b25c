#pragma once
#include <QObject>
#include <QPointer>
#include <QSize>
#include <functional>
#include <map>

#include "procedures/organiser/PaneLayout.h"

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

} // namespace organiser
