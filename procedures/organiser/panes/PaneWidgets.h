#pragma once
#include <QObject>
#include <QPointer>
#include <QSize>
#include <map>
#include <memory>
#include <vector>

#include "chrome/ResizeWindow.h"
#include "procedures/organiser/panes/PaneLayout.h"

class QSplitter;
class QWidget;
namespace MH { class WidgetResizeAccess; }

// The pages' splitters: the window's bars held within their limits, and the mail page's saved
// positions.
namespace organiser {

// Where `w` stands in `window`'s coordinates, whichever page holds it.
QRect rectIn(const QWidget* window, const QWidget* w);

// The window's resizer and its splitter bars. The pages are laid out by Qt, so each bar is the
// handle of a splitter (`MH::BarSplitter`) that drags by the bar's rules and is held within
// the bar's limits when the window changes size; the mail page's positions are saved and
// restored.
class PageSplitters : public QObject {
    Q_OBJECT
public:
    // The mail page's positions are kept in the settings file `iniPath`.
    PageSplitters(QWidget* window, QString iniPath);
    ~PageSplitters() override;

    // `bars` numbers the splitter's handles from the first (0: no limits); `panes` numbers its
    // widgets in order (0: not saved); `design` gives their sizes when first shown, the
    // growing widgets taking what the window has more or less.
    void add(QSplitter* splitter, const std::vector<int>& bars, const std::vector<int>& panes, const QList<int>& design);
    // A control measured for the saved positions that is not itself a pane.
    void name(int control, QWidget* widget);
    QSplitter* splitterOf(int bar) const;
    MH::SPLITWINDOWCLASS* bar(int bar) const;
    MH::RESIZEWINDOWCLASS& resizer() { return m_resizer; }

    // W_First.SaveMainLayout; nothing is written for a page never laid out.
    bool saveMainLayout();
    // W_First.SetupSplitters: the saved positions come back, within the limits.
    void setupSplitters();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clamp(QSplitter* splitter);
    void fit(QSplitter* splitter);
    void readSaved(QSplitter* splitter);
    std::optional<QRect> geometry(int control) const;

    QWidget* m_window;
    MH::WidgetResizeAccess* m_access;
    MH::RESIZEWINDOWCLASS m_resizer;
    std::map<int, std::unique_ptr<MH::SPLITWINDOWCLASS>> m_bars;
    QString m_iniPath;
    std::map<int, QPointer<QWidget>> m_controls;
    struct Page {
        std::vector<int> bars, panes;
        QList<int> wanted; // the sizes of the panes that keep theirs
        bool laidOut = false;
    };
    std::map<QSplitter*, Page> m_pages;
};

} // namespace organiser
