#pragma once
#include <QString>

#include "runtime/PopupMenu.h"

namespace testsupport {

// While it lives, every popup menu answers with the item of this name (or text), or with
// nothing when it has none; `shown` counts the menus.
struct MenuChoice {
    explicit MenuChoice(QString name)
    {
        m_old = vrt::PopupMenu::setRunner([this, name](const vrt::PopupMenu& m, QPoint, QWidget*) {
            ++shown;
            for (const auto& i : m.items())
                if (i.name == name || i.text == name)
                    return i.id;
            return 0;
        });
    }
    ~MenuChoice() { vrt::PopupMenu::setRunner(m_old); }
    MenuChoice(const MenuChoice&) = delete;
    MenuChoice& operator=(const MenuChoice&) = delete;
    int shown = 0;

private:
    vrt::PopupMenu::Runner m_old;
};

} // namespace testsupport
