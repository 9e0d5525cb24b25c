#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace controls {
class MailManager;
}

namespace korbelsteen {

class MailStore;

// The recipients of a To, Cc or Bcc field: cut at each ";", each entry once in the order it
// first appears, blanks around an entry kept; a trailing ";" adds nothing, and two adjacent
// ";" give an empty entry.
QStringList splitAddressList(const QString& field);
// "Name <address>" becomes the address; an entry without a whole pair of angle brackets
// stays as it is.
QString extractAddress(const QString& entry);

// An account as sending needs it.
struct SmtpAccount {
    int id = 0;
    QString email;
    QString host;
    QString user;
    QString password;
    int port = 0;
    int ssl = 0;
    bool isDefault = false;
};

// What the editor hands over: the fields as typed and the document saved as HTML.
struct OutgoingMail {
    int accountId = 0; // the account picked in "Šalje"; 0: the default account
    QString from;
    QString to, cc, bcc;
    QString subject;
    QString htmlFile;
    QStringList attachments;
    QStringList attachmentNames; // the name each travels under; missing or empty: its file's
    bool zipAttachments = false;
    QString charset; // empty: utf-8
};

struct SendResult {
    bool sent = false;
    // Not confirmed, but the whole message reached the server before the line failed: it may
    // have been delivered, so it is not sent again and no Sent copy is made.
    bool maybeSent = false;
    qint64 sentCopyId = 0; // the EMAIL row of the Sent copy
    QString error;         // what the user is told when `sent` is false or the copy failed
};

// Where sending reads accounts and earlier mail, and stores the Sent copy.
class SendStore {
public:
    virtual ~SendStore() = default;
    virtual std::vector<SmtpAccount> smtpAccounts() = 0;
    // The sender name of a received message whose reply-to address is `address`.
    virtual std::optional<QString> senderNameFor(const QString& address) = 0;
    virtual MailStore& mail() = 0;
};

// The store over the program's database, for the thread that sends.
class DatabaseSendStore : public SendStore {
public:
    DatabaseSendStore();
    ~DatabaseSendStore() override;
    std::vector<SmtpAccount> smtpAccounts() override;
    std::optional<QString> senderNameFor(const QString& address) override;
    MailStore& mail() override;

private:
    std::unique_ptr<MailStore> m_mail;
};

// The account whose SMTP server sends: the picked one when it has a server, else the first
// default account with one.
std::optional<SmtpAccount> sendingAccount(const std::vector<SmtpAccount>& accounts, int pickedId);

// The clock, the language and the thread a send runs with.
class SendSide {
public:
    virtual ~SendSide() = default;
    virtual int today() = 0;    // day numbers as the database keeps dates
    virtual int clockNow() = 0; // hundredths of a second since midnight, plus 1
    virtual QString translate(const QString& text) = 0;
    // Runs the exchange with the server and returns when it is over; the editor runs it on
    // another thread and stays responsive meanwhile.
    virtual void transmit(const std::function<void()>& exchange) = 0;
};

struct SendDeps {
    SendStore* store = nullptr;
    controls::MailManager* mail = nullptr;
    QString dataFolder;
};

// Builds the message, sends it and, only when it went out, stores the Sent copy with its body
// file and attachment files in one transaction. A failure before the data was handed over is
// tried once more on a new connection; one after is never retried, as the server may have the
// message. The editor stays open on any failure, with all it holds.
SendResult sendMail(const OutgoingMail& mail, const SendDeps& deps, SendSide& side);

} // namespace korbelsteen
