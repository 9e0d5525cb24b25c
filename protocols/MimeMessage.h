#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace controls {

// One address of a header: display name, mailbox and the whole as written for reading.
struct MailAddress {
    QString name;
    QString address;
    QString full;
};

// A part of a message that is not one of its two bodies: an attachment, or (with a
// Content-ID that the HTML body refers to) an inline part such as an embedded image.
struct MailPart {
    QString filename;    // safe base name, never empty
    QString contentType; // "image/png"
    QString contentId;   // without the angle brackets
    QByteArray data;     // transfer encoding undone
    bool related = false;
};

// A received message, parsed once with GMime. Its operations carry the names the mail
// procedures use, so those read one-to-one. Parsing never fails: what GMime cannot make
// sense of becomes the plain body, so a broken message is still stored and not fetched again
// and again.
class MimeMessage {
public:
    MimeMessage();
    static MimeMessage fromBytes(const QByteArray& raw);

    QString subject() const;
    QString GetPlainTextBody() const;
    QString GetHtmlBody() const;
    bool HasHtmlBody() const;
    QString FromName() const;
    QString FromAddress() const;
    // The first Reply-To mailbox; empty when the header is missing.
    QString ReplyTo() const;

    int NumTo() const;
    QString GetTo(int i) const;
    QString GetToAddr(int i) const;
    QString GetToName(int i) const;
    int NumCc() const;
    QString GetCc(int i) const;
    QString GetCcAddr(int i) const;
    QString GetCcName(int i) const;
    int NumBCc() const;
    QString GetBCc(int i) const;
    QString GetBCcAddr(int i) const;
    QString GetBCcName(int i) const;

    // The Date header in local time; invalid when missing or unreadable.
    QDateTime emailDateTime() const;
    // The same as text: the short date of the user's locale, a blank, hh:mm:ss.
    QString EmailDate() const;
    // Charset named by the text body (plain first, else HTML); empty when none is named.
    QString Charset() const;
    QString messageIdHeader() const;
    qint64 rawSize() const;

    int NumAttachments() const;
    QString GetAttachmentFilename(int i) const;
    qint64 GetAttachmentSize(int i) const;
    QByteArray attachmentData(int i) const;
    const std::vector<MailPart>& relatedParts() const;

    // With OverwriteExisting off, a file of the same name gets a numbered name instead.
    bool OverwriteExisting = true;
    // Saves every attachment under its name into `folder` (each file replaced whole or not at all); 1 on success, 0 (LastErrorText)
    // otherwise. A name that would leave the folder is never written.
    int SaveAllAttachments(const QString& folder);
    bool SaveAttachment(int i, const QString& path);

    // Writes the HTML body into `file` (UTF-8, with a charset line first so an older charset
    // declaration inside the body does not win), the inline parts it refers to into
    // `partsFolder` named `partPrefix` + their safe name, and points its "cid:" references at
    // them. 1 when written, 0 when there is no HTML body (nothing written), -1 when a write
    // failed or a name would leave its folder (LastErrorText). `file` must lie inside `folder`.
    // Files are replaced whole or not at all.
    int UnpackHtml(const QString& folder, const QString& file, const QString& partsFolder,
                   const QString& partPrefix = {});

    QString LastErrorText() const;

    struct Data;

private:
    std::shared_ptr<Data> d;
    QString m_lastError;
};

// Text bytes in a named charset (Windows-1250, ISO-8859-2, UTF-8, ...) as a string; with no
// or an unknown charset, UTF-8 when the bytes are valid UTF-8, else Windows-1250.
QString decodeMailText(const QByteArray& bytes, const QString& charset);

// The line put first in every HTML body file.
QString htmlMetaLine(const QString& charset);

} // namespace controls
