#pragma once
#include <QString>
#include <vector>

// The ribbon as data: every tab, group and command the frame builds, with the command ids the
// organiser window dispatches on. The widgets are built from this table, and tests compare the
// built ribbon with it.
namespace shell {

enum class RibbonKind { Button = 1, Popup = 2, SplitButton = 3 };

struct RibbonItemDef {
    int id = 0;
    QString caption;
    RibbonKind kind = RibbonKind::Button;
    QString icon; // file name under the data folder's Images; empty = no image
    bool beginGroup = false;
    std::vector<RibbonItemDef> items; // the popup's or drop-down's own bar
};

struct RibbonGroupDef {
    int id = 0;
    QString caption;
    bool hidden = false; // hidden when built; shown later on the organiser's request
    std::vector<RibbonItemDef> controls;
};

struct RibbonTabDef {
    int id = 0; // also its image id
    QString caption;
    QString icon;
    std::vector<RibbonGroupDef> groups; // the global group is always the last
};

struct RibbonIconDef {
    int id = 0;
    QString file;
};

constexpr int kTabStripId = 9604;
constexpr int kFirstReservedId = 9000; // ids from here on are the ribbon's own, never commands
constexpr int kGlobalGroupId = 2;
constexpr int kTabCount = 8;

const std::vector<RibbonTabDef>& ribbonTabs();

// Every image the ribbon registers, in registration order: the tabs first, then the command
// ids upward (including images of ids that have no control), each id once.
std::vector<RibbonIconDef> ribbonIcons();

// The tab number (1..8) of a tab id reported by the tab strip; 0 and the first tab's id both
// mean tab 1. Any other id gives `last`.
int tabNumberForId(int tabId, int last);

// The tab shown at start for the stored last tab. A tab bar always shows one tab, so a value
// that names none shows the first.
int startTab(long long storedLastTab);

} // namespace shell
