#pragma once
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <vector>

#include "chrome/ResizeWindow.h"

namespace vrt { class IniFile; }

// The organiser window's pane geometry as data and arithmetic: where each control goes when the
// window changes size, the splitter bars with their limits, and the mail page's saved
// positions. No widgets here; the pages' layouts follow it.
namespace organiser {

struct AnchorRow {
    int control;
    bool leftFixed, topFixed, rightFixed, bottomFixed;
    QRect remembered; // the position the window's size change starts from
};

// A row as the resizer's record: an edge that follows the window follows all of its growth.
MH::ResizeControl anchorRecord(const AnchorRow& row);

// Where a control goes in a window of size `now` that had size `initial` when the row's
// position was remembered.
QRect applyAnchor(const AnchorRow& row, QSize initial, QSize now);

// The 61 rows of the resize table, in order.
std::vector<AnchorRow> controlAnchorTable();

// Whether the resize table keeps a control's width (both side edges fixed, or both following)
// or its height. Controls outside the table keep both.
bool keepsWidth(int control);
bool keepsHeight(int control);

// ---- the panes' list buttons ----------------------------------------------------------------

// A button that asks its list's update procedure (1 insert, 2 change, 3 delete).
struct ListButton {
    int button;
    int list;
    int request;
    const char* caption;
};
const std::vector<ListButton>& listButtons();
const ListButton* listButton(int control);

// ---- splitters ----------------------------------------------------------------------------

struct SplitterDef {
    int bar;
    int direction; // 1 vertical bar moving left and right, 2 horizontal bar moving up and down
    int minimum;   // nearest the bar comes to the window's left or top edge
    int maximum;   // nearest it comes to the right or bottom edge
};

// The eleven bars in the order the window creates them; the controls beside each are the
// panes of its page's splitter.
const std::vector<SplitterDef>& splitterTable();
const SplitterDef* splitterDef(int bar);

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
