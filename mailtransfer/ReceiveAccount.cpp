#include "mailtransfer/ReceiveAccount.h"

#include "controls/MailManager.h"
#include "controls/MailNames.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace korbelsteen {
namespace {

constexpr int MaxBodyChars = 900000;
constexpr int MaxLineChars = 19999;
constexpr int MaxListChars = 254;

using Getter = QString (controls::MimeMessage::*)(int) const;

// The recipients of one kind joined by ";", as stored in the three list columns.
void joinRecipients(const controls::MimeMessage& m, int count, Getter full, Getter addr, Getter name,
                    QString& fullOut, QString& addrOut, QString& nameOut)
{
    QStringList f, a, n;
    for (int i = 0; i < count; ++i) {
        f << (m.*full)(i);
        a << (m.*addr)(i);
        n << (m.*name)(i);
    }
    fullOut = vrt::clip(f.join(QLatin1Char(';')), MaxListChars);
    addrOut = vrt::clip(a.join(QLatin1Char(';')), MaxListChars);
    nameOut = vrt::clip(n.join(QLatin1Char(';')), MaxListChars);
}

QString stopText(const QString& head, const StoreError& e)
{
    return head + QString::number(e.code) + QStringLiteral(" : ") + e.text;
}

QString stepText(StoreError::Step step)
{
    switch (step) {
    case StoreError::EmailInsert: return QStringLiteral("W_Korbelsteen EmailInsert :");
    case StoreError::AttachInsert: return QStringLiteral("W_Korbelsteen AttachInsert :");
    case StoreError::AttachSave: return QStringLiteral("W_Korbelsteen AttachSave :");
    }
    return {};
}

} // namespace

EmailRow emailRowOf(const controls::MimeMessage& m, const QString& messageId)
{
    EmailRow r;
    r.subject = vrt::clip(m.subject(), 254);
    r.body = vrt::clip(m.GetPlainTextBody(), 7999);
    r.sender = vrt::clip(m.FromName().isEmpty() ? m.FromAddress() : m.FromName(), 254);
    joinRecipients(m, m.NumTo(), &controls::MimeMessage::GetTo, &controls::MimeMessage::GetToAddr,
                   &controls::MimeMessage::GetToName, r.too, r.toAddr, r.toName);
    joinRecipients(m, m.NumCc(), &controls::MimeMessage::GetCc, &controls::MimeMessage::GetCcAddr,
                   &controls::MimeMessage::GetCcName, r.cc, r.ccAddr, r.ccName);
    joinRecipients(m, m.NumBCc(), &controls::MimeMessage::GetBCc, &controls::MimeMessage::GetBCcAddr,
                   &controls::MimeMessage::GetBCcName, r.bcc, r.bccAddr, r.bccName);
    r.replyTo = vrt::clip(m.ReplyTo().isEmpty() ? m.FromAddress() : m.ReplyTo(), 99);
    const QDateTime when = m.emailDateTime();
    if (when.isValid()) {
        r.datum = vrt::dayFromDate(when.date());
        r.vrijeme = vrt::timeFromQTime(when.time());
    }
    r.messageId = vrt::clip(messageId, 99);
    r.charset = vrt::clip(m.Charset(), 49);
    return r;
}

QByteArray plainBodyHtml(const QString& plainText)
{
    // The file is written in UTF-8 whatever the message's charset was, so it says so.
    QString out = controls::htmlMetaLine(QString()) + QStringLiteral("<br/>\r\n");
    const QString body = vrt::clipTrailing(vrt::clip(plainText, MaxBodyChars));
    if (!body.isEmpty()) {
        QStringList lines = body.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        // A final line break ends the last line; it does not start another.
        if (lines.size() > 1 && lines.last().isEmpty())
            lines.removeLast();
        for (const QString& line : lines)
            out += vrt::clipTrailing(vrt::clip(line, MaxLineChars)).toHtmlEscaped() + QStringLiteral("<br/>\r\n");
    }
    return out.toUtf8();
}

bool WriteBodyHtml(const QString& path, const QString& plainText, QString* error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("W_First Korbelsteen CREATE(fHtml) (1) :") + f.errorString();
        return false;
    }
    f.write(plainBodyHtml(plainText));
    if (!f.commit()) {
        *error = QStringLiteral("W_First Korbelsteen ADD(fHtml 1) :") + f.errorString();
        return false;
    }
    return true;
}

bool isJunk(MailStore& store, const controls::MimeMessage& m)
{
    const QString address = (m.ReplyTo().isEmpty() ? m.FromAddress() : m.ReplyTo()).trimmed();
    return !address.isEmpty() && store.isJunkAddress(vrt::clip(address, 99));
}

ReceiveResult ReceiveAccountMail(controls::MailManager& mail, MailStore& store, const Account& account,
                                 const ReceiveContext& context)
{
    ReceiveResult result;
    const auto stop = [&](const QString& text) {
        if (context.stop)
            context.stop(text);
        else
            vrt::stop(text);
    };
    const std::optional<QStringList> uidls = mail.GetUidls();
    if (!uidls) {
        mail.Pop3EndSession();
        return result;
    }
    result.onServer = int(uidls->size());
    const QString emailFolder = vrt::joinPath(context.dataFolder, QStringLiteral("Email"));
    const QString filesFolder = vrt::joinPath(emailFolder, QStringLiteral("Files"));
    if (!QDir().mkpath(filesFolder)) {
        stop(QStringLiteral("W_Korbelsteen AttachSave :") + filesFolder);
        return result;
    }

    for (const QString& uidl : *uidls) {
        if (context.cancel && context.cancel->load())
            return result;
        const QString messageId = controls::storedMessageId(account.id, uidl);
        if (uidl.isEmpty() || store.hasMessage(vrt::clip(messageId, 99))) {
            ++result.skipped;
            continue;
        }
        std::optional<controls::MimeMessage> message = mail.FetchEmail(uidl);
        if (!message) {
            // The rest waits for the next receive.
            mail.Pop3EndSession();
            ++result.failed;
            return result;
        }
        // The folder is settled before anything is written, so a message never lands
        // without one.
        const bool junk = isJunk(store, *message);
        StoreError folderError;
        const std::optional<int> folder =
            store.folderOf(account.id, QLatin1String(junk ? JunkFolder : InboxFolder), &folderError);
        if (!folder) {
            stop((junk ? QStringLiteral("W_Korbelsteen Get Junk :") : QStringLiteral("W_Korbelsteen Get Ainbox :"))
                 + QString::number(account.id) + QStringLiteral(" : ") + QString::number(folderError.code)
                 + QStringLiteral(" : ") + folderError.text);
            ++result.failed;
            continue;
        }

        EmailRow row = emailRowOf(*message, messageId);
        row.inboxId = *folder;
        const QString bodyPath = vrt::joinPath(emailFolder, controls::bodyFileName(row.messageId));
        QStringList written;
        const auto prepare = [&](EmailRow& email, std::vector<AttachRow>& attachments, StoreError* error) {
            // Inline parts and attachments carry the row's id: one shared folder, no clashes.
            const QString prefix = QString::number(email.id) + QLatin1Char('_');
            written << bodyPath;
            QString bodyError;
            if (message->UnpackHtml(emailFolder, bodyPath, filesFolder, prefix) == 0
                && !WriteBodyHtml(bodyPath, message->GetPlainTextBody(), &bodyError)) {
                *error = {StoreError::AttachSave, 0, bodyError};
                return false;
            }
            for (const controls::MailPart& p : message->relatedParts())
                written << vrt::joinPath(filesFolder, prefix + p.filename);
            email.sizeDecimal = QString::number(QFileInfo(bodyPath).size());
            for (int i = 0; i < message->NumAttachments(); ++i) {
                const QString name = vrt::clip(prefix + message->GetAttachmentFilename(i), 254);
                const QString path = vrt::joinPath(filesFolder, name);
                if (!vrt::isInsideFolder(filesFolder, path) || !message->SaveAttachment(i, path)) {
                    *error = {StoreError::AttachSave, 0, message->LastErrorText()};
                    return false;
                }
                written << path;
                attachments.push_back({0, email.id, name, QString::number(message->GetAttachmentSize(i)), QString()});
            }
            return true;
        };
        StoreError error;
        if (!store.storeMessage(row, prepare, &error)) {
            for (const QString& path : written)
                QFile::remove(path);
            stop(stopText(stepText(error.step), error));
            ++result.failed;
            continue;
        }
        ++result.stored;
    }
    result.complete = true;
    return result;
}

} // namespace korbelsteen
