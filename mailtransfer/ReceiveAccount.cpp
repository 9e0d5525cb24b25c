#include "mailtransfer/ReceiveAccount.h"

#include "controls/MailManager.h"
#include "controls/MailNames.h"
#include "mailtransfer/Prefetcher.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <future>

namespace korbelsteen {
namespace {

constexpr int MaxBodyChars = 900000;
constexpr int MaxLineChars = 19999;
constexpr int MaxListChars = 254;

// Most texts are far below their capacity; counting characters is only needed above it.
QString clipped(const QString& text, int maxChars)
{
    return text.size() <= maxChars ? text : vrt::clip(text, maxChars);
}

// Text into HTML: &, <, > and " escaped; most lines have none of them.
void appendEscaped(QString& out, const QString& text)
{
    for (QChar c : text)
        if (c == QLatin1Char('&') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('"')) {
            out += text.toHtmlEscaped();
            return;
        }
    out += text;
}

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
    fullOut = clipped(f.join(QLatin1Char(';')), MaxListChars);
    addrOut = clipped(a.join(QLatin1Char(';')), MaxListChars);
    nameOut = clipped(n.join(QLatin1Char(';')), MaxListChars);
}

QString stopText(const QString& head, const StoreError& e)
{
    // A file that could not be written has the component's text first, then the code.
    if (e.step == StoreError::AttachSave)
        return head + e.text + QStringLiteral(" : ") + QString::number(e.code) + QStringLiteral(" : ");
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
    r.subject = clipped(m.subject(), 254);
    r.body = clipped(m.GetPlainTextBody(), 7999);
    r.sender = clipped(m.FromName().isEmpty() ? m.FromAddress() : m.FromName(), 254);
    joinRecipients(m, m.NumTo(), &controls::MimeMessage::GetTo, &controls::MimeMessage::GetToAddr,
                   &controls::MimeMessage::GetToName, r.too, r.toAddr, r.toName);
    joinRecipients(m, m.NumCc(), &controls::MimeMessage::GetCc, &controls::MimeMessage::GetCcAddr,
                   &controls::MimeMessage::GetCcName, r.cc, r.ccAddr, r.ccName);
    joinRecipients(m, m.NumBCc(), &controls::MimeMessage::GetBCc, &controls::MimeMessage::GetBCcAddr,
                   &controls::MimeMessage::GetBCcName, r.bcc, r.bccAddr, r.bccName);
    r.replyTo = clipped(m.ReplyTo().isEmpty() ? m.FromAddress() : m.ReplyTo(), 99);
    const QDateTime when = m.emailDateTime();
    if (when.isValid()) {
        r.datum = vrt::dayFromDate(when.date());
        r.vrijeme = vrt::timeFromQTime(when.time());
    }
    r.messageId = clipped(messageId, 99);
    r.charset = clipped(m.Charset(), 49);
    return r;
}

QByteArray plainBodyHtml(const QString& plainText)
{
    // The file is written in UTF-8 whatever the message's charset was, so it says so.
    QString out = controls::htmlMetaLine(QString()) + QStringLiteral("<br/>\r\n");
    const QString body = vrt::clipTrailing(clipped(plainText, MaxBodyChars));
    out.reserve(out.size() + body.size() + body.size() / 8);
    // Lines end at CR LF, LF or CR; a break at the very end starts no further line.
    qsizetype start = 0;
    while (start < body.size()) {
        qsizetype end = start;
        while (end < body.size() && body[end] != QLatin1Char('\n') && body[end] != QLatin1Char('\r'))
            ++end;
        appendEscaped(out, vrt::clipTrailing(clipped(body.mid(start, end - start), MaxLineChars)));
        out += QStringLiteral("<br/>\r\n");
        if (end + 1 < body.size() && body[end] == QLatin1Char('\r') && body[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return out.toUtf8();
}

bool WriteBodyHtml(const QString& path, const QString& plainText, QString* error)
{
    // Written in place: until its row is committed nothing refers to the file, and a run
    // that dies here writes it again next time.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("W_First Korbelsteen CREATE(fHtml) (1) :") + f.errorString();
        return false;
    }
    const QByteArray html = plainBodyHtml(plainText);
    if (f.write(html) != html.size() || !f.flush()) {
        *error = QStringLiteral("W_First Korbelsteen ADD(fHtml 1) :") + f.errorString();
        return false;
    }
    return true;
}

bool isJunk(MailStore& store, const controls::MimeMessage& m)
{
    const QString address = (m.ReplyTo().isEmpty() ? m.FromAddress() : m.ReplyTo()).trimmed();
    return !address.isEmpty() && store.isJunkAddress(clipped(address, 99));
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

    std::vector<QString> wanted;
    for (const QString& uidl : *uidls) {
        // Time spent here is the database's, not a silent server's.
        if (mail.onProgress)
            mail.onProgress();
        if (uidl.isEmpty() || store.hasMessage(clipped(controls::storedMessageId(account.id, uidl), 99)))
            ++result.skipped;
        else
            wanted.push_back(uidl);
    }

    // Three stages run side by side: the prefetcher's thread fetches, the next message is
    // parsed on another thread, and this one stores. The store is only used here.
    std::optional<Prefetcher> fetcher;
    fetcher.emplace(mail, wanted, context.cancel);
    const auto parseNext = [&fetcher]() -> std::future<std::optional<controls::MimeMessage>> {
        std::optional<QByteArray> raw = fetcher->take();
        if (!raw)
            return {};
        return std::async(std::launch::async, [bytes = std::move(*raw)] {
            return std::optional<controls::MimeMessage>(controls::MimeMessage::fromBytes(bytes));
        });
    };
    const auto giveUp = [&] {
        // The rest waits for the next receive.
        fetcher.reset();
        mail.Pop3EndSession();
        ++result.failed;
        return result;
    };
    std::future<std::optional<controls::MimeMessage>> next = parseNext();
    // The account's two folders, looked up once they are first needed.
    std::optional<int> inboxFolder, junkFolder;
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (context.cancel && context.cancel->load())
            return result;
        if (!next.valid())
            return giveUp();
        std::optional<controls::MimeMessage> message = next.get();
        if (i + 1 < wanted.size())
            next = parseNext();
        const QString messageId = controls::storedMessageId(account.id, wanted[i]);
        // The folder is settled before anything is written, so a message never lands
        // without one.
        const bool junk = isJunk(store, *message);
        StoreError folderError;
        std::optional<int>& known = junk ? junkFolder : inboxFolder;
        if (!known)
            known = store.folderOf(account.id, QLatin1String(junk ? JunkFolder : InboxFolder), &folderError);
        const std::optional<int> folder = known;
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
            const QString prefix = controls::storedPartPrefix(email.id);
            written << bodyPath;
            for (const controls::MailPart& p : message->relatedParts())
                written << vrt::joinPath(filesFolder, prefix + p.filename);
            QString bodyError;
            const int unpacked = message->UnpackHtml(emailFolder, bodyPath, filesFolder, prefix);
            if (unpacked < 0) {
                *error = {StoreError::AttachSave, 0, message->LastErrorText()};
                return false;
            }
            if (unpacked == 0 && !WriteBodyHtml(bodyPath, message->GetPlainTextBody(), &bodyError)) {
                *error = {StoreError::AttachSave, 0, bodyError};
                return false;
            }
            email.sizeDecimal = QString::number(QFileInfo(bodyPath).size());
            for (int a = 0; a < message->NumAttachments(); ++a) {
                // The row keeps the attachment's own name; its file is derived from it.
                const QString name = clipped(message->GetAttachmentFilename(a), 254);
                const QString path = vrt::joinPath(filesFolder, controls::storedPartName(email.id, name));
                if (!vrt::isInsideFolder(filesFolder, path) || !message->SaveAttachment(a, path)) {
                    *error = {StoreError::AttachSave, 0, message->LastErrorText()};
                    return false;
                }
                written << path;
                attachments.push_back({0, email.id, name, QString::number(message->GetAttachmentSize(a)), QString()});
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
