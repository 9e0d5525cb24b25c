#pragma once
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <vector>

namespace vrt { class IniFile; }

// The organiser window's pane geometry as arithmetic: where each control goes when the window
// changes size, how far a splitter bar may move and what it does to the controls beside it,
// and the mail page's saved positions. No widgets here; the window applies the results.
namespace organiser {

struct AnchorRow {
    int control;
    bool leftFixed, topFixed, rightFixed, bottomFixed;
    QRect remembered; // design position, taken once
    QRect last;       // last computed
};

// Where a control goes in a window of size `now` that had size `initial` when the row's
// position was remembered.
QRect applyAnchor(const AnchorRow& row, QSize initial, QSize now);

// The 61 rows of the resize table, in order.
std::vector<AnchorRow> controlAnchorTable();

class ControlAnchors {
public:
    ControlAnchors() : m_rows(controlAnchorTable()) {}
    // Takes the positions once; controls the window does not have (no geometry) are left out.
    void remember(QSize window, const std::function<std::optional<QRect>(int control)>& geometry);
    bool remembered() const { return m_initial.isValid(); }
    // The placements for a window of size `now`, in table order.
    std::vector<std::pair<int, QRect>> resize(QSize now);
    // A splitter moved a control to `now` in a window of size `window`: later resizes start
    // from there, so the user's pane border stays where it was put.
    void controlMoved(int control, QRect now, QSize window);
    const std::vector<AnchorRow>& rows() const { return m_rows; }

private:
    std::vector<AnchorRow> m_rows;
    QSize m_initial;
};

// ---- splitters ----------------------------------------------------------------------------

struct SplitSide {
    int control;
    int side; // 1 left or above the bar, 2 right or below
    bool moves, resizes;
};

struct SplitterDef {
    int bar;
    int direction; // 1 vertical bar moving left and right, 2 horizontal bar moving up and down
    int minimum;   // nearest the bar comes to the window's left or top edge
    int maximum;   // nearest it comes to the right or bottom edge
    std::vector<SplitSide> controls;
};

// The eleven bars in the order the window creates them.
const std::vector<SplitterDef>& splitterTable();
const SplitterDef* splitterDef(int bar);
// The seven bars SetupSplitters sets up again, in its order.
const std::vector<int>& splittersSetUpAgain();

// A drag of a bar by `delta` units, kept within the limits: the window's edges less the
// bar's minimum and maximum, and the far edges of the controls the bar resizes. Answers the
// placements of the bar and of every control beside it; `moved` is the distance it moved.
struct SplitMove {
    int moved = 0;
    std::vector<std::pair<int, QRect>> placements;
};
SplitMove moveSplitter(const SplitterDef& def, QSize window, int delta,
                       const std::function<std::optional<QRect>(int control)>& geometry);

// ---- saved mail-page positions --------------------------------------------------------------

struct SavedPane {
    int control;
    const char* section;
    const char* keys; // the keys written: "XYW", "X", "XW"
};
const std::vector<SavedPane>& savedPanes();

// Writes the keys of the six mail-page controls. False when the file could not be written.
bool saveMainLayout(vrt::IniFile& ini, const std::function<std::optional<QRect>(int control)>& geometry);
// The positions to restore: each key read defaults to the control's current value.
std::vector<std::pair<int, QRect>> readMainLayout(const vrt::IniFile& ini,
                                                  const std::function<std::optional<QRect>(int control)>& geometry);

} // namespace organiser
