#pragma once
#include <QString>
#include <functional>

#include "procedures/organiser/panes/PopupItems.h"
#include "procedures/organiser/window/OrganiserServices.h"

// The organiser window's per-event checks: a handful of remembered values compared with the
// current state, each difference acted on. The window runs them after every selection change,
// command and form, and on its heartbeat, so a change is seen within one event.
namespace organiser {

struct EventPumpDeps {
    QString dataFolder;
    std::function<QString()> messageId;          // EM:MESSAGEID of the mail shown in the list
    std::function<void()> showEmail;             // header panel and attachments
    std::function<void(const QString&)> navigate; // the preview browser
    std::function<int()> resizeControls, setupSplitters, fillTaskPanel;
    std::function<int(int column)> mailColumnWidth; // columns 2 and 3 of the mail list
    std::function<long()> taskCategoryId, taskCategoryOrder; // CALC:ID, CALC:ORDER
    std::function<void(const QString& filter)> setTaskFilter;
    std::function<void()> emptyContactTasks;
    std::function<void()> reset;                 // the manager's Reset, forced
    std::function<void(int control)> postAccepted;
    std::function<int(const QString& text, const QString& caption)> askYesNo; // answers the button
    std::function<void(const QString& key)> removeLink; // RemoveLink, then SchedulePDM(0, ITEM)
    std::function<int(int code)> dispatch;       // MN:COMMAND := code, the dispatcher
    std::function<long()> outgoingDocumentId, outgoingCategoryId; // list 75's ID:ID, IDK:ID
    std::function<bool()> contactsEmpty;         // list 120 has no rows
    std::function<void()> emptyContactLists;     // lists 147, 142, 137
};

class EventPump {
public:
    explicit EventPump(EventPumpDeps deps) : m_d(std::move(deps)) {}

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
    EventPumpDeps m_d;
    bool m_running = false;
};

// The mail list's and the trees' mouse and key events: which menu opens and what a double
// click does.
class ListEvents {
public:
    // `mail` answers whether a sender is a contact; none: no sender is.
    ListEvents(OrganiserMenus& menus, std::function<int(int code)> dispatch, MailDesk* mail)
        : m_menus(menus), m_dispatch(std::move(dispatch)), m_mail(mail) {}

    int SenderIsContact = 0;
    // Right button pressed on a mail: is its sender a contact? (The menu opens on release.)
    void mailPressed(const QString& replyTo);
    // Double click on a mail.
    void mailDoubleClicked(long emailId);
    // Right button released on the mail list or Shift+F10: the prepared mail menu.
    vrt::PopupMenu& mailMenu();

private:
    OrganiserMenus& m_menus;
    std::function<int(int)> m_dispatch;
    MailDesk* m_mail;
};

} // namespace organiser
