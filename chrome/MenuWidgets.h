#pragma once
#include <QMenu>
#include <QMenuBar>

// The widgets of the chrome's menus. Classes of their own, so the program's skin, which styles
// plain QMenus, leaves them to their look.
class CfcMenuWidget : public QMenu {
    Q_OBJECT
public:
    using QMenu::QMenu;
};

class CfcMenuBarWidget : public QMenuBar {
    Q_OBJECT
public:
    using QMenuBar::QMenuBar;
};
