#pragma once
#include <QList>
#include <QString>
#include <optional>

#include "procedures/organiser/window/OrganiserServices.h"

class QMimeData;

namespace organiser {
class OrganiserWindow;
class OrganiserPanes;
}

// What the organiser window's menus and drops do with mails, contacts and tasks in the
// database. Each reads and writes through the calling thread's table managers.
namespace organiser {

// The partner of a task form that has none.
constexpr long kNoPartner = 9999999;

// The contact whose e-mail, or else whose company e-mail, is `address`; 0 when none.
long contactByAddress(const QString& address);

// Opens the task form on event `eventId` (change) with the event's partner and category
// (CAL:PARTNERID, CAL:LABELID); the form's answer, nothing when the event is gone.
std::optional<int> editTask(FormLauncher& forms, long eventId);

// "Dodaj u zadatke": a new task with the message's text and its sender as partner when the
// sender is a contact. Answers the partner passed.
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
void attachMailActions(OrganiserWindow& window, OrganiserPanes& panes);

// Mails dragged from the mail list carry their ids.
QMimeData* emailDragData(const QList<long>& ids);
QList<long> draggedEmails(const QMimeData* data);
inline const char* kEmailDragFormat = "application/x-velmora-emaildrag";

// Moves dragged mails into a folder. An account's root row, an unknown folder and a folder
// of another account than the mail's take nothing. Answers how many mails moved; -1 after a
// failed read or write (reported).
int dropEmails(const QList<long>& ids, long folderId);

} // namespace organiser
