#include "chrome/MenuLooks.h"

#include <QAction>
#include <QIcon>
#include <QWidget>
#include <map>
#include <memory>

#include "chrome/ChromeGlobals.h"
#include "chrome/MenuManager.h"
#include "chrome/Menus.h"
#include "runtime/PopupMenu.h"

namespace chrome {

namespace {

std::optional<MenuLook> g_look;

// An entry of a runtime menu: choosing it answers the runtime id; the runtime then runs the
// entry's action once the menu has closed.
class RuntimeMenuItem : public CFCMENUITEM {
public:
    RuntimeMenuItem(int runtimeId, int* chosen) : m_runtimeId(runtimeId), m_chosen(chosen) {}
    void ONCLICK() override { *m_chosen = m_runtimeId; }

private:
    int m_runtimeId;
    int* m_chosen;
};

QImage iconImage(const QIcon& icon)
{
    return icon.isNull() ? QImage() : icon.pixmap(16, 16).toImage();
}

// The program's popups show through here once its libraries are loaded.
const bool g_installed = [] {
    vrt::PopupMenu::setDisplay(&showPopupMenu);
    return true;
}();

} // namespace

CFCMENUITEMDRAWCLASS& menuPainter(MenuLook look)
{
    static CFCMENUITEMDRAWCLASS_STD classic;
    static CFCMENUITEMDRAWCLASS_XP xp;
    static CFCMENUITEMDRAWCLASS_2003 blue;
    static CFCMENUITEMDRAWCLASS_2003_GRAY gray;
    static CFCMENUITEMDRAWCLASS_2003_GREEN green;
    static CFCMENUITEMDRAWCLASS_2003_SILVER silver;
    switch (look) {
    case MenuLook::Classic:
        return classic;
    case MenuLook::XP:
        return xp;
    case MenuLook::Office2003:
        return blue;
    case MenuLook::Office2003Gray:
        return gray;
    case MenuLook::Office2003Green:
        return green;
    case MenuLook::Office2003Silver:
        return silver;
    }
    return blue;
}

std::optional<MenuLook> menuLookByName(const QString& name)
{
    const QString wanted = name.simplified().toLower();
    for (MenuLook look : {MenuLook::Classic, MenuLook::XP, MenuLook::Office2003, MenuLook::Office2003Gray,
                          MenuLook::Office2003Green, MenuLook::Office2003Silver})
        if (menuPainter(look).lookName().toLower() == wanted)
            return look;
    return std::nullopt;
}

MenuLook currentMenuLook()
{
    if (!g_look)
        g_look = menuLookByName(qEnvironmentVariable("VELMORA_MENU_LOOK")).value_or(MenuLook::Office2003);
    return *g_look;
}

void setMenuLook(MenuLook look) { g_look = look; }

int showPopupMenu(const vrt::PopupMenu& model, QPoint globalPos, QWidget* parent)
{
    (void)g_installed;
    int chosen = 0;
    std::map<int, std::unique_ptr<CFCPOPUPMENU>> menus; // by the runtime id of their entry; 0 the top
    std::vector<std::unique_ptr<RuntimeMenuItem>> items;
    const auto newMenu = [&](int id) {
        auto menu = std::make_unique<CFCPOPUPMENU>();
        menu->CREATEMENU();
        menu->SETCOMCTRLCLASS(GLO::CFC_Comctrl);
        return menus.emplace(id, std::move(menu)).first->second.get();
    };
    newMenu(0);
    const QImage tick = iconImage(model.tickIcon());
    for (const vrt::PopupMenu::Item& entry : model.items()) {
        const auto into = menus.find(entry.parent);
        if (into == menus.end())
            continue;
        auto item = std::make_unique<RuntimeMenuItem>(entry.id, &chosen);
        if (entry.separator) {
            item->ADDSEPARATOR(*into->second, GLO::CFC_Cnt);
            items.push_back(std::move(item));
            continue;
        }
        item->ADDMENUITEM(*into->second, entry.text, GLO::CFC_Cnt, std::nullopt, entry.name);
        const bool hasChildren = std::any_of(model.items().begin(), model.items().end(),
                                             [&](const vrt::PopupMenu::Item& c) { return c.parent == entry.id; });
        if (hasChildren)
            item->ATTACHSUBMENU(*newMenu(entry.id));
        if (!entry.icon.isNull())
            item->setIconImage(iconImage(entry.icon));
        if (entry.checkable && !tick.isNull())
            item->setCheckedIconImage(tick);
        if (!entry.enabled)
            item->SETMENUITEMDISABLED();
        if (entry.checkable && entry.checked)
            item->SETMENUITEMCHECKED();
        items.push_back(std::move(item));
    }
    CFCMENUMANAGER manager;
    for (auto& [id, menu] : menus)
        manager.ADDMENU(*menu);
    manager.SETCALLBACK(parent);
    CFCPOPUPMENU& top = *menus.at(0);
    top.SETDRAWINGCLASS(menuPainter(currentMenuLook()));
    if (globalPos.isNull())
        top.RUN(parent);
    else
        top.RUN(parent, globalPos.x(), globalPos.y());
    manager.REMOVECALLBACK();
    return chosen;
}

} // namespace chrome
