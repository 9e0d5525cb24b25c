#pragma once
#include <QString>

#include "procedures/organiser/panes/PopupItems.h"
#include "procedures/organiser/window/CommandDispatcher.h"
#include "procedures/organiser/window/OrganiserServices.h"

// The organiser window's per-event checks: a handful of remembered values compared with the
// current state, each difference acted on. The window runs them after every selection change,
// command and form, and on its heartbeat, so a change is seen within one event.
namespace organiser {

// What the checks read of the window and its panes, and what they do there.
class EventPumpDeps {
public:
    virtual ~EventPumpDeps() = default;
    virtual QString messageId() = 0;              // EM:MESSAGEID of the mail shown in the list
    virtual void showEmail() = 0;                 // header panel and attachments
    virtual void navigate(const QString& target) = 0; // the preview browser
    virtual int resizeControls() = 0;
    virtual int setupSplitters() = 0;
    virtual int fillTaskPanel() = 0;
    virtual int mailColumnWidth(int column) = 0;  // columns 2 and 3 of the mail list
    virtual long taskCategoryId() = 0;            // CALC:ID
    virtual long taskCategoryOrder() = 0;         // CALC:ORDER
    virtual void setTaskFilter(const QString& filter) = 0;
    virtual void emptyContactTasks() = 0;
    virtual void reset() = 0;                     // the manager's Reset, forced
    virtual void postAccepted(int control) = 0;
    virtual int askYesNo(const QString& text, const QString& caption) = 0; // answers the button
    virtual void removeLink(const QString& key) = 0; // RemoveLink, then SchedulePDM(0, ITEM)
    virtual int dispatch(int code) = 0;           // MN:COMMAND := code, the dispatcher
    virtual long outgoingDocumentId() = 0;        // list 75's ID:ID
    virtual long outgoingCategoryId() = 0;        // list 75's IDK:ID
    virtual bool contactsEmpty() = 0;             // list 120 has no rows
    virtual void emptyContactLists() = 0;         // lists 147, 142, 137
};

class EventPump {
public:
    // `deps` outlives the pump; `dataFolder` holds the previews.
    EventPump(EventPumpDeps& deps, QString dataFolder) : m_d(deps), m_dataFolder(std::move(dataFolder)) {}

    // Runs every check once; a failure flag as the routines give it. A call while one runs
    // (a check that opens a form) returns at once.
    int run();

    // The preview file of a message id, kept inside the data folder's Email folder.
    static QString previewPath(const QString& dataFolder, const QString& messageId);

    int LayoutState = 0;
    QString ShownMessageID;
    int ReadMarkTicks = 0;
    int MailNameColumnWidth = 0;
    long TaskCategoryID = 0;
    QString TaskFilter;
    long SelectedDocumentID = 0;
    long SelectedCategoryID = 0;
    long SelectedContactID = 0;
    long PendingLinkEdit = 0;
    long PendingLinkAction = 0;
    QString PendingLinkKey;
    QString PendingGanttKey;
    long GanttLinkToEdit = 0;

private:
    EventPumpDeps& m_d;
    QString m_dataFolder;
    bool m_running = false;
};

// The mail list's and the trees' mouse and key events: which menu opens and what a double
// click does.
class ListEvents {
public:
    // `mail` answers whether a sender is a contact; none: no sender is. `commands` outlives
    // the events.
    ListEvents(OrganiserMenus& menus, CommandRunner& commands, MailDesk* mail)
        : m_menus(menus), m_commands(commands), m_mail(mail) {}

    int SenderIsContact = 0;
    // Right button pressed on a mail: is its sender a contact? (The menu opens on release.)
    void mailPressed(const QString& replyTo);
    // Double click on a mail.
    void mailDoubleClicked(long emailId);
    // Right button released on the mail list or Shift+F10: the prepared mail menu.
    vrt::PopupMenu& mailMenu();

private:
    OrganiserMenus& m_menus;
    CommandRunner& m_commands;
    MailDesk* m_mail;
};

} // namespace organiser
