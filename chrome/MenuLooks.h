#pragma once
#include <QPoint>
#include <QString>
#include <optional>

class CFCMENUITEMDRAWCLASS;
class QWidget;
namespace vrt {
class PopupMenu;
}

// The six menu looks the program draws its popup menus in, and the look in force.
namespace chrome {

enum class MenuLook { Classic, XP, Office2003, Office2003Gray, Office2003Green, Office2003Silver };

// One painter per look for the whole program (GUI thread only).
CFCMENUITEMDRAWCLASS& menuPainter(MenuLook look);
// The look every popup gets: VELMORA_MENU_LOOK ("classic", "xp", "2003", "2003 gray",
// "2003 green", "2003 silver") when it names one, else 2003.
MenuLook currentMenuLook();
void setMenuLook(MenuLook look);
std::optional<MenuLook> menuLookByName(const QString& name);

// Shows a runtime popup menu as a chrome menu in the current look, through a menu manager for
// `parent`; answers the id of the chosen entry, 0 when none was chosen.
int showPopupMenu(const vrt::PopupMenu& menu, QPoint globalPos, QWidget* parent);

} // namespace chrome
