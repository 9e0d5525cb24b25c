#include "chrome/MenuManager.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "chrome/Menus.h"
#include "chrome/TooltipManager.h"

namespace {
std::vector<CFCMENUMANAGER*>& managers()
{
    static std::vector<CFCMENUMANAGER*> all;
    return all;
}

QString rtrim(QString s)
{
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}
} // namespace

CFCMENUMANAGER::CFCMENUMANAGER(QObject* parent) : CFCWNDPROC(parent)
{
    managers().push_back(this);
    CFCTOOLTIPMANAGERCLASS::instance(); // popups open without animation from now on
}

CFCMENUMANAGER::~CFCMENUMANAGER() { std::erase(managers(), this); }

void CFCMENUMANAGER::ADDMENU(CFCMENUBASE& menu)
{
    const bool known = std::find(MQ.begin(), MQ.end(), &menu) != MQ.end();
    MQ.push_back(&menu);
    if (!known) // one ONCLICK per choice however often the menu is registered
        connectMenu(menu);
}

void CFCMENUMANAGER::connectMenu(CFCMENUBASE& menu)
{
    QWidget* widget = menu.HMENU();
    if (auto* popup = qobject_cast<QMenu*>(widget)) {
        connect(popup, &QMenu::triggered, this, [this, popup](QAction* a) { onTriggered(popup, a); });
    } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
        connect(bar, &QMenuBar::triggered, this, [this, bar](QAction* a) { onTriggered(bar, a); });
    }
}

void CFCMENUMANAGER::onTriggered(QWidget* source, QAction* action)
{
    // A menu passes on what its sub-menus chose; the menu holding the entry answers for it.
    if (!source->actions().contains(action))
        return;
    if (const CFCMENUITEM* item = CFCMENUITEM::fromAction(action))
        ONCOMMAND(item->ID);
}

void CFCMENUMANAGER::DELETEMENU(CFCMENUBASE& menu)
{
    const auto it = std::find_if(MQ.begin(), MQ.end(), [&](CFCMENUBASE* m) {
        return m == &menu || (m->HMENU() && m->HMENU() == menu.HMENU());
    });
    if (it == MQ.end())
        return;
    CFCMENUBASE* gone = *it;
    MQ.erase(it);
    if (QWidget* widget = gone->HMENU(); widget && std::find(MQ.begin(), MQ.end(), gone) == MQ.end())
        disconnect(widget, nullptr, this, nullptr);
}

CFCMENUITEM* CFCMENUMANAGER::GETMENUITEMBYID(long id) const
{
    CFCMENUITEM* found = nullptr;
    for (const CFCMENUBASE* m : MQ)
        if (CFCMENUITEM* i = m->GETMENUITEMBYID(id))
            found = i;
    return found;
}

CFCMENUITEM* CFCMENUMANAGER::GETMENUITEMBYSTRID(const QString& key) const
{
    CFCMENUITEM* found = nullptr;
    for (const CFCMENUBASE* m : MQ)
        if (CFCMENUITEM* i = m->GETMENUITEMBYSTRID(rtrim(key)))
            found = i;
    return found;
}

CFCMENUITEM* CFCMENUMANAGER::GETANYTOPLEVELITEMBYHWND(const QWidget* window) const
{
    for (const CFCMENUBASE* m : MQ)
        if (window && m->HWND == window)
            for (CFCMENUITEM* i : m->MIQ)
                if (i->FLAGTOPLEVEL)
                    return i;
    return nullptr;
}

void CFCMENUMANAGER::ONCOMMAND(long id)
{
    if (CFCMENUITEM* item = GETMENUITEMBYID(id))
        item->ONCLICK();
}

void CFCMENUMANAGER::ONINITMENUPOPUP(const QWidget* popup) { popupChanged(popup, true); }

void CFCMENUMANAGER::ONUNINITMENUPOPUP(const QWidget* popup) { popupChanged(popup, false); }

void CFCMENUMANAGER::popupChanged(const QWidget* popup, bool opened)
{
    const auto own = std::find_if(MQ.begin(), MQ.end(), [popup](CFCMENUBASE* m) { return m->HMENU() == popup; });
    if (own != MQ.end()) {
        if (opened)
            (*own)->ONINITMENUPOPUP();
        else
            (*own)->ONUNINITMENUPOPUP();
    }
    for (CFCMENUBASE* m : std::vector(MQ))
        for (CFCMENUITEM* i : std::vector(m->MIQ)) {
            if (!i->SUBMENU || i->SUBMENU->HMENU() != popup)
                continue;
            i->FLAGSUBMENUISOPENED = opened;
            if (i->FLAGTOPLEVEL && opened)
                i->DRAWTOPLEVELITEM();
            else if (i->FLAGTOPLEVEL && m->HMENU())
                m->HMENU()->update(); // the whole bar, as it was before the menu opened
        }
}

void CFCMENUMANAGER::ONNCACTIVATE(const QWidget* window)
{
    if (CFCMENUITEM* i = GETANYTOPLEVELITEMBYHWND(window))
        i->DRAWMENUBAR1PX();
}

void CFCMENUMANAGER::ONERASEBKGND(const QWidget* window) { ONNCACTIVATE(window); }

long CFCMENUMANAGER::FILLMDICHILDWINDOWS(QWidget* frame)
{
    MDICHILDQ.clear();
    if (!frame)
        return 0;
    QList<QMdiArea*> areas = frame->findChildren<QMdiArea*>();
    if (auto* self = qobject_cast<QMdiArea*>(frame))
        areas.prepend(self);
    for (QMdiArea* area : areas)
        for (QMdiSubWindow* child : area->subWindowList())
            if (child->isEnabled() && !child->windowTitle().isEmpty())
                MDICHILDQ.push_back({child->windowTitle().left(255), child});
    return 1;
}

void CFCMENUMANAGER::popupOpening(const QWidget* popup)
{
    for (CFCMENUMANAGER* m : std::vector(managers()))
        m->ONINITMENUPOPUP(popup);
}

void CFCMENUMANAGER::popupClosed(const QWidget* popup)
{
    for (CFCMENUMANAGER* m : std::vector(managers()))
        m->ONUNINITMENUPOPUP(popup);
}

bool CFCMENUMANAGER::CALLBACKPROC(QObject* window, QEvent* event)
{
    const bool handled = CFCWNDPROC::CALLBACKPROC(window, event);
    auto* widget = qobject_cast<QWidget*>(window);
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        ONNCACTIVATE(widget);
        break;
    case QEvent::Paint:
        ONERASEBKGND(widget);
        break;
    default:
        break;
    }
    return handled;
}
