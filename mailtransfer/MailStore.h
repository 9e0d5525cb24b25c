#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace korbelsteen {

// One mail account as the receive needs it.
struct Account {
    int id = 0;
    QString name;
    QString popHost;
    QString popUser;
    QString popPassword;
    int popPort = 0;
    int popSsl = 0;
};

// The EMAIL columns a received message fills.
struct EmailRow {
    int id = 0;
    QString subject;
    int inboxId = 0;
    QString body;
    QString sender;
    QString too, toAddr, toName;
    QString cc, ccAddr, ccName;
    QString bcc, bccAddr, bccName;
    QString replyTo;
    int datum = 0;
    int vrijeme = 0;
    int readConfirmation = 0;
    QString messageId;
    int priorityLevel = 0;
    QString sizeDecimal;
    QString charset;
    int read = 0;
    QString junkDomain;
};

// The EMAILATTACH columns.
struct AttachRow {
    int id = 0;
    int idEmail = 0;
    QString naziv;
    QString velicinaDecimal;
    QString contentId;
};

// Which write failed, for the stop message, with the driver's code and text.
struct StoreError {
    enum Step { EmailInsert, AttachInsert, AttachSave } step = EmailInsert;
    int code = 0;
    QString text;
};

// What receiving reads from and writes to the database. One object serves one thread.
class MailStore {
public:
    virtual ~MailStore() = default;

    // Every account, in id order.
    virtual std::vector<Account> accounts() = 0;
    // Whether a message with this stored id is already there (in any folder).
    virtual bool hasMessage(const QString& messageId) = 0;
    // Whether the user has marked this address as junk on some message.
    virtual bool isJunkAddress(const QString& address) = 0;
    // The account's folder with this system name ("xInbox_1", "xJunk_1"); nothing when it
    // is missing, with the reason in `error`.
    virtual std::optional<int> folderOf(int accountId, const QString& systemName, StoreError* error) = 0;

    // Stores one message in one transaction: numbers the row, lets `prepare` write the
    // message's files and complete the row and its attachment rows (it sees the row's id),
    // writes them all (the row once, complete) and commits. When `prepare` or a write fails
    // nothing is kept.
    using Prepare = std::function<bool(EmailRow& email, std::vector<AttachRow>& attachments, StoreError* error)>;
    virtual bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) = 0;

    // Messages stored between beginBatch and commitBatch are committed together, which costs
    // far less than a commit each; each one is still kept or dropped whole on its own.
    // False when no batch was begun: each message then commits at once (the default).
    virtual bool beginBatch() { return false; }
    // False (with the reason) when the batch could not be committed: none of it was kept.
    virtual bool commitBatch(StoreError* /*error*/) { return true; }
};

} // namespace korbelsteen
