#pragma once
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "procedures/organiser/window/ProcedureNames.h"
#include "runtime/PopupMenu.h"

// The organiser window's six context menus with their texts, icons and actions. No widgets
// here: menus are built into QMenus only when shown.
namespace organiser {

// Where the entries' actions go.
class MenuActions {
public:
    virtual ~MenuActions() = default;
    virtual void dispatch(int code) = 0;        // MN:COMMAND := code, the dispatcher
    virtual void postAccepted(int control) = 0; // the accepted event to a control
    virtual void run(Routine routine) = 0;      // a routine of the window
    virtual void calendarRequest(int deleteRequest) = 0;      // CalendarDeleteRequest, then post to 4
    virtual void linkType(int startType, int endType) = 0;    // the pending link's positions, then reschedule
};

enum class Popup { ContactGroups = 1, Mail, MailFolders, Calendar, FinanceCategories, GanttLinks };

class OrganiserMenus {
public:
    // Icons are looked up in `dataFolder`'s Images (the data folder when empty), then among
    // the built-in drawings. `actions` outlives the menus.
    explicit OrganiserMenus(MenuActions& actions, const QString& dataFolder = {});

    vrt::PopupMenu& menu(Popup p) { return m_menus.at(p); }
    // The icon file of an entry ("1309363638_mail.ico"), empty for none.
    QString icon(Popup p, int id) const;
    static QString tickedIcon() { return QStringLiteral("cfc_checkon.ico"); }

    // Before showing: every entry enabled and unticked; the mail list's "Dodaj u kontakte"
    // only when the sender is not a contact yet.
    void prepare(Popup p, bool senderIsContact = false);
    // The Gantt link menu ticks the type of the pending link (start/end: 0 start, 2 end).
    void prepareLinks(int startType, int endType);

    // Every text through the translator (once, at the first display).
    void translate(const std::function<QString(const QString&)>& fn);

private:
    void add(Popup p, const QString& text, const QString& icon, std::function<void()> action, const QString& name = {});
    void separator(Popup p);

    MenuActions& m_actions;
    QString m_dataFolder;
    std::map<Popup, vrt::PopupMenu> m_menus;
    std::map<std::pair<Popup, int>, QString> m_icons;
};

} // namespace organiser
