#pragma once
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

#include "protocols/MimeMessage.h"
#include "mailtransfer/MailStore.h"

namespace controls { class MailManager; }

namespace korbelsteen {

inline constexpr const char* InboxFolder = "xInbox_1";
inline constexpr const char* JunkFolder = "xJunk_1";

struct ReceiveContext {
    QString dataFolder;
    // Set by Prekid or a No to the connect question; looked at between messages.
    const std::atomic<bool>* cancel = nullptr;
    // Shows a stop message (the runtime's stop window unless a caller routes it elsewhere).
    std::function<void(const QString&)> stop;
};

struct ReceiveResult {
    int onServer = 0;
    int stored = 0;
    int skipped = 0; // already stored
    int failed = 0;  // not stored; fetched again next time
    // Of the failed: messages above the size cap or with a line above the line cap; they stay
    // on the server and the receive goes on with the next.
    int tooLarge = 0;
    int lineTooLong = 0;
    // The server went silent: the rest of the account waits for the next receive.
    bool stalled = false;
    bool complete = false;
};

// Fetches every message of the account that is not stored yet and stores it with its body
// file, inline parts and attachments, in its inbox or junk folder. The mail manager must
// already carry the account's server and login.
ReceiveResult ReceiveAccountMail(controls::MailManager& mail, MailStore& store, const Account& account,
                                 const ReceiveContext& context);

// The EMAIL row of a received message, without its id, folder and size.
EmailRow emailRowOf(const controls::MimeMessage& message, const QString& messageId);

// The body file of a message that has no HTML body: a charset line, then each line of the
// plain text escaped for HTML, every line ending in "<br/>" and CR LF.
QByteArray plainBodyHtml(const QString& plainText);
bool WriteBodyHtml(const QString& path, const QString& plainText, QString* error, qint64* size = nullptr);

// Junk when the reply-to address (or the sender's, when there is none) is marked as junk;
// a message without any address is never junk.
bool isJunk(MailStore& store, const controls::MimeMessage& message);

} // namespace korbelsteen
