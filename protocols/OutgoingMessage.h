#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "protocols/MimeMessage.h"

namespace controls {

// A message being written, built into MIME with GMime only when it is sent: a
// multipart/alternative of plain text and HTML, the HTML's inline images as related parts,
// then the attachments (or one zip of them). Its operations carry the names the sending
// procedures use.
class OutgoingMessage {
public:
    QString Charset; // of the text parts; empty: utf-8
    QString From;    // "Name <address>" or an address
    QString subject;
    QString htmlBody;
    QString plainBody;

    // Recipients are kept once each, by address, in the order they first appear across
    // To, Cc and Bcc.
    void AddTo(const QString& name, const QString& address);
    void AddCc(const QString& name, const QString& address);
    void AddBCC(const QString& name, const QString& address);
    // False (LastErrorText) when the path is not a readable regular file. `name` is the name
    // the recipient sees; empty: the file's own name.
    bool AddFileAttachment(const QString& path, const QString& name = {});
    // The attachments travel as one zip file of this name.
    bool ZipAttachments(const QString& name);
    void addRelated(const MailPart& part);

    QString LastErrorText() const { return m_error; }

    QString fromAddress() const;
    // Every recipient's address for the envelope, Bcc included.
    QStringList envelopeRecipients() const;
    const std::vector<MailAddress>& to() const { return m_to; }
    const std::vector<MailAddress>& cc() const { return m_cc; }
    const std::vector<MailAddress>& bcc() const { return m_bcc; }
    const QStringList& attachmentPaths() const { return m_files; }
    // The names the attachments travel under, one for each path.
    const QStringList& attachmentNames() const { return m_names; }

    // The message as sent, with CR LF line ends; Bcc is not among its headers. Nothing
    // (LastErrorText) when an attachment cannot be read or zipped.
    std::optional<QByteArray> toBytes(const QDateTime& date = QDateTime::currentDateTime());
    // The same into a file (created 0600), so a large attachment is never held in memory.
    bool writeToFile(const QString& path, const QDateTime& date = QDateTime::currentDateTime());
    // The Message-ID header of the last build, without angle brackets.
    QString messageIdHeader() const { return m_messageId; }

private:
    bool write(void* gmimeStream, const QDateTime& date);
    void add(std::vector<MailAddress>& list, const QString& name, const QString& address);

    std::vector<MailAddress> m_to, m_cc, m_bcc;
    QStringList m_files;
    QStringList m_names;
    std::vector<MailPart> m_related;
    QString m_zipName;
    QString m_messageId;
    QString m_error;
};

// The sender of an editor's "From" text ("Name <address>" or an address).
MailAddress parseMailbox(const QString& text);

// The HTML-to-MIME component: a message whose body is an HTML file, with the images that
// file refers to inside its own folder as inline parts. Remote and outside images are left
// as links and never fetched.
class HtmlToMime : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ProgId = "ChilkatMHT.ChilkatMHT.1";
    using QObject::QObject;
    static void registerComponent();
    static std::unique_ptr<HtmlToMime> createByProgId();
    // Nothing (LastErrorText) when the file cannot be read.
    std::optional<OutgoingMessage> GetEmail(const QString& file);
    QString LastErrorText() const { return m_error; }

private:
    QString m_error;
};

} // namespace controls
