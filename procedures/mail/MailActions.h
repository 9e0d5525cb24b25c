#pragma once
#include <QList>
#include <QString>
#include <optional>

#include <QObject>
#include <functional>

#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/organiser/window/OrganiserServices.h"

class QAbstractItemView;
class QModelIndex;

namespace organiser {
class OrganiserWindow;
struct FeatureHost;
class OrganiserPanes;
}

// What the organiser window's menus and drops do with mails, contacts and tasks in the
// database. Each reads and writes through the calling thread's table managers.
namespace organiser {

// The contact whose e-mail, or else whose company e-mail, is `address`; 0 when none.
long contactByAddress(const QString& address);

// Opens the task form on event `eventId` (change) with the event's partner and category
// (CAL:PARTNERID, CAL:LABELID); the form's answer, nothing when the event is gone.
std::optional<int> editTask(FormLauncher& forms, long eventId);

// "Dodaj u zadatke": a new task with the message's text and its sender as partner when the
// sender is a contact, else with none (0). Answers the partner passed.
long addMailToTasks(FormLauncher& forms, const QString& text, const QString& replyTo);

// "Označi kao nepročitano". False when the mail is gone or the write failed (reported).
bool markMailUnread(long emailId);

// "Označi sve pročitano": the folder's unread mails become read. Answers how many were
// written, -1 after a failed write (reported).
int markFolderRead(long folderId);

// How many attachments a mail has (0 also when they cannot be read).
int mailAttachmentCount(long emailId);

// "Označi kao smeće" moves a mail to its account's Junk folder and marks its reply-to address
// as junk; "Obriši email" moves it to the account's Deleted folder. A mail already in Deleted
// is left for the caller to delete for good; `account` gets the mail's account.
enum class MailTarget { Junk, Deleted };
enum class MailMove { Nothing, Moved, AlreadyThere, Failed };
MailMove moveMail(long emailId, MailTarget target, long* account = nullptr);

// "Isprazni direktorij" on a folder that is not Deleted: all its mails move to the account's
// Deleted folder in one statement. Answers how many, -1 after a failure (reported).
int emptyFolderToDeleted(long folderId, long deletedFolderId);

// The mail list's junk and delete entries, the ribbon's delete command and the folder tree's
// "Isprazni direktorij" run these.
void attachMailActions(FeatureHost& host);

// Moves dragged mails into a folder. An account's root row, an unknown folder and a folder
// of another account than the mail's take nothing. Answers how many mails moved; -1 after a
// failed read or write (reported).
int dropEmails(const QList<long>& ids, long folderId);

// Lets a folder tree take mails dragged from the mail list. `folderAt` gives the folder id of a
// tree row (0 outside the rows); `dropped` runs after mails moved.
class MailDropTarget : public QObject {
    Q_OBJECT
public:
    MailDropTarget(QAbstractItemView* tree, std::function<long(const QModelIndex&)> folderAt,
                   std::function<void(int moved)> dropped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_tree;
    std::function<long(const QModelIndex&)> m_folderAt;
    std::function<void(int)> m_dropped;
};

// The mail feature's answers to the organiser window (the composition root gives them).
MailDesk& mailDesk();

} // namespace organiser
