#pragma once
#include <QString>
#include <functional>
#include <vector>

namespace controls {
class MailManager;
}

// Deleting mail for good: on the account's POP3 server first, then in the database, then on
// disk. A received mail the server still holds but would not delete stays, so that the next
// receive does not bring it back unseen.
namespace organiser {

struct ForGood {
    int deleted = 0; // rows gone with their attachments and files
    int kept = 0;    // received mails the server did not delete
    QString why;     // the first reason one was kept or the database refused; empty when none
};

// A last write that belongs with the deletion (the folder the mails were in): it runs in the
// same transaction, and only when every mail could go. False, with a reason, rolls all back.
using AfterMails = std::function<bool(QString* why)>;

// Deletes the mails `ids` of account `accountId`. Sent copies (no UIDL of this account) are
// deleted here only; received mails the server no longer holds are deleted here too. Rows
// and attachment rows go in one transaction; files are removed after its commit.
ForGood deleteMailsForGood(long accountId, const std::vector<long>& ids, const QString& dataFolder,
                           const AfterMails& last = {});

// The mails of a folder, oldest row first.
std::vector<long> mailsOfFolder(long folderId);

// Called with the mail manager before it connects (a test's certificate, a timeout).
std::function<void(controls::MailManager&)>& mailDeleteSetUp();

} // namespace organiser
