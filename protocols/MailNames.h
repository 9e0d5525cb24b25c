#pragma once
#include <QString>

// How received mail is named in the database and on disk. Every place that turns a message
// id or an attachment name into a file name goes through here, so that text from a mail
// server never picks a path.
namespace controls {

// The stored id of a received message (EMAIL.MESSAGEID): the account's id, '_' and the
// server's UIDL. Two servers may hand out the same UIDL, so the UIDL alone does not say
// which mailbox a message came from. ('_' keeps ordinary ids file-name safe as they are.)
QString storedMessageId(int accountId, const QString& uidl);
// The server's UIDL inside a stored id (for deleting on the server); the id itself when it
// carries no account (a sent copy's number).
QString uidlOfStoredId(const QString& messageId);

// File name (no folder) of a message's HTML body: an injective encoding of the id that keeps
// letters, digits, '-', '_' and inner '.', percent-encodes the rest, and ends in ".html".
// Very long ids fall back to a hash so the name stays within file-system limits.
QString bodyFileName(const QString& messageId);
// The body file of a message in a data folder: "Email/" + bodyFileName. The receive writes
// it there and the preview and the reply read it there.
QString bodyFilePath(const QString& dataFolder, const QString& messageId);

// Name (no folder) under "Email/Files" of a received message's attachment or inline part:
// the message's row id, '_' and the part's name (unique within its message). The attachment
// row keeps the part's own name; this gives its file.
QString storedPartPrefix(qint64 emailId);
QString storedPartName(qint64 emailId, const QString& partName);
// The file of an attachment row (message row id, name column) in `filesFolder`. Rows written
// before the name column held the attachment's own name hold the stored name itself; those
// still find their file. Empty when the name would leave the folder.
QString attachmentFile(const QString& filesFolder, qint64 emailId, const QString& storedName);

// A name from a message (attachment, inline part) reduced to a safe base name: no folders,
// no separators or control characters, not only dots, at most `maxChars` characters with
// the extension kept. `fallback` when nothing usable is left.
QString safeAttachmentName(const QString& name, const QString& fallback, int maxChars = 120);

} // namespace controls
