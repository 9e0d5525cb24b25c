#include "mailtransfer/SendMail.h"

#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "protocols/OutgoingMessage.h"
#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "mailtransfer/DatabaseStore.h"
#include "mailtransfer/MailStore.h"
#include "runtime/Paths.h"
#include "runtime/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korbelsteen {

QStringList splitAddressList(const QString& field)
{
    QString text = field;
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    QStringList out;
    const QStringList pieces = text.split(QLatin1Char(';'));
    for (int i = 0; i < pieces.size(); ++i) {
        const bool last = i == pieces.size() - 1;
        if (last && pieces[i].isEmpty())
            break;
        if (!out.contains(pieces[i]))
            out << pieces[i];
    }
    return out;
}

QString extractAddress(const QString& entry)
{
    QString result = entry;
    if (const int open = result.indexOf(QLatin1Char('<')); open >= 0)
        result = result.mid(open + 1);
    if (const int close = result.indexOf(QLatin1Char('>')); close >= 0)
        result = result.left(close);
    if (result.contains(QLatin1Char('<')) || result.contains(QLatin1Char('>')))
        return entry;
    return result;
}

std::optional<SmtpAccount> sendingAccount(const std::vector<SmtpAccount>& accounts, int pickedId)
{
    for (const SmtpAccount& a : accounts)
        if (pickedId && a.id == pickedId && !a.host.trimmed().isEmpty())
            return a;
    for (const SmtpAccount& a : accounts)
        if (a.isDefault && !a.host.trimmed().isEmpty())
            return a;
    return std::nullopt;
}

DatabaseSendStore::DatabaseSendStore() : m_mail(std::make_unique<DatabaseStore>()) {}
DatabaseSendStore::~DatabaseSendStore() = default;

std::vector<SmtpAccount> DatabaseSendStore::smtpAccounts()
{
    std::vector<SmtpAccount> out;
    vrt::FileManager& f = Access(Tbl::AAccounts);
    if (f.Set(AACC.IDKey) != 0)
        return out;
    const auto text = [](const std::string& s) { return QString::fromStdString(s); };
    while (f.Next() == 0) {
        const Accounts_Rec& a = AACC();
        out.push_back({a.ID, text(a.EMAIL).trimmed(), text(a.SMTPHOST), text(a.SMTPUSERNAME), text(a.SMTPPASSWORD),
                       text(a.SMTPPORT).trimmed().toInt(), text(a.SMTPSSL).trimmed().toInt(), a.DEFAULT != 0});
    }
    f.EndSequence();
    return out;
}

std::optional<QString> DatabaseSendStore::senderNameFor(const QString& address)
{
    EMA().REPLYTO = address.toStdString();
    if (Access(Tbl::AEMAIL).TryFetch(EMA.ReplyToKey) != 0)
        return std::nullopt;
    const QString sender = QString::fromStdString(EMA().SENDER).trimmed();
    return sender.isEmpty() ? std::nullopt : std::optional<QString>(sender);
}

MailStore& DatabaseSendStore::mail() { return *m_mail; }

namespace {

QString clip(const QString& s, int n) { return s.size() > n ? s.left(n) : s; }

QString joinedEntries(const QString& field)
{
    QStringList entries;
    for (const QString& e : splitAddressList(field))
        entries << clip(e, 254);
    return entries.join(QLatin1Char(';'));
}

// Copies whole or not at all.
bool copyFile(const QString& from, const QString& to)
{
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part) || !vrt::makePrivate(part)) // a copy takes its source's mode
        return false;
    QFile::remove(to);
    return QFile::rename(part, to);
}

} // namespace

SendResult sendMail(const OutgoingMail& mail, const SendDeps& deps, SendSide& side)
{
    const auto tr = [&](const QString& s) { return side.translate(s); };
    SendResult result;
    const std::vector<SmtpAccount> accounts = deps.store->smtpAccounts();
    const std::optional<SmtpAccount> account = sendingAccount(accounts, mail.accountId);
    // The picked account is the sender even when another account's server carries the
    // message: its Sent folder keeps the copy, under its address.
    SmtpAccount sender = account.value_or(SmtpAccount{});
    for (const SmtpAccount& a : accounts)
        if (mail.accountId && a.id == mail.accountId)
            sender = a;
    if (!account) {
        result.error = tr(QStringLiteral("Standardni SMTP host nije definiran. Definirajte ga u postavkama Email-a!"));
        return result;
    }
    controls::MailManager& mm = *deps.mail;
    mm.SmtpHost = account->host.trimmed();
    if (!account->user.isEmpty())
        mm.SmtpUserName = account->user;
    if (!account->password.isEmpty())
        mm.SmtpPassword = account->password;
    if (account->port)
        mm.SmtpPort = account->port;
    mm.SmtpSsl = account->ssl;

    controls::HtmlToMime mime;
    std::optional<controls::OutgoingMessage> message = mime.GetEmail(mail.htmlFile);
    if (!message) {
        result.error = tr(QStringLiteral("Email nije poslan !")) + QLatin1Char('\n') + mime.LastErrorText();
        return result;
    }
    message->Charset = mail.charset;
    message->From = mail.from;
    message->subject = mail.subject;
    const auto addAll = [&](const QString& field, void (controls::OutgoingMessage::*add)(const QString&, const QString&)) {
        for (const QString& typed : splitAddressList(field)) {
            const QString entry = typed.contains(QLatin1Char('<')) ? extractAddress(typed) : typed;
            const QString address = entry.trimmed();
            if (address.isEmpty())
                continue;
            (*message.*add)(deps.store->senderNameFor(address).value_or(address), address);
        }
    };
    addAll(mail.to, &controls::OutgoingMessage::AddTo);
    addAll(mail.cc, &controls::OutgoingMessage::AddCc);
    addAll(mail.bcc, &controls::OutgoingMessage::AddBCC);
    if (message->envelopeRecipients().isEmpty()) {
        result.error = tr(QStringLiteral("Primatelj nije upisan !"));
        return result;
    }
    for (qsizetype i = 0; i < mail.attachments.size(); ++i)
        if (!message->AddFileAttachment(mail.attachments[i], mail.attachmentNames.value(i))) {
            result.error = QStringLiteral("AddAttach ERROR :") + message->LastErrorText();
            return result;
        }

    // The stored id: the day and the clock as digits, moved on while another message holds it.
    const int day = side.today();
    int clock = side.clockNow();
    MailStore& store = deps.store->mail();
    QString messageId = QString::number(day) + QString::number(clock);
    while (store.hasMessage(messageId))
        messageId = QString::number(day) + QString::number(++clock);
    if (mail.zipAttachments)
        message->ZipAttachments(messageId + QStringLiteral("_attachments.zip"));

    bool sent = false;
    const auto exchange = [&] {
        sent = mm.SendEmail(*message);
        if (!sent && mm.LastSendStage() == controls::MailManager::SendStage::BeforeData) {
            mm.CloseSmtpConnection();
            sent = mm.SendEmail(*message);
        }
        mm.CloseSmtpConnection();
    };
    side.transmit(exchange);
    if (!sent) {
        result.maybeSent = mm.LastSendStage() == controls::MailManager::SendStage::AfterData;
        result.error = tr(result.maybeSent ? QStringLiteral("Poslužitelj je primio cijelu poruku, ali nije potvrdio prijem: "
                                                            "možda je poslana. Provjerite prije ponovnog slanja.")
                                           : QStringLiteral("Email nije poslan !"))
                       + QLatin1Char('\n') + mm.LastErrorText();
        return result;
    }
    result.sent = true;

    // The Sent copy, with the recipients as typed.
    StoreError folderError;
    const std::optional<int> sentFolder = store.folderOf(sender.id, QStringLiteral("xSent_1"), &folderError);
    if (!sentFolder) {
        result.error = QStringLiteral("W_Email CopySent GET(AInbox :%1 : %2 : %3")
                           .arg(sender.id)
                           .arg(folderError.code)
                           .arg(folderError.text);
        return result;
    }
    EmailRow row;
    row.subject = mail.subject;
    row.inboxId = *sentFolder;
    row.body = clip(message->plainBody, 7999);
    row.sender = mail.from;
    row.too = joinedEntries(mail.to);
    row.cc = joinedEntries(mail.cc);
    row.bcc = joinedEntries(mail.bcc);
    row.replyTo = sender.email.isEmpty() ? account->email : sender.email;
    row.datum = day;
    row.vrijeme = side.clockNow();
    row.sizeDecimal = QString::number(QFileInfo(mail.htmlFile).size());
    row.charset = mail.charset;
    row.read = 1;
    const QString emailFolder = vrt::joinPath(deps.dataFolder, QStringLiteral("Email"));
    const QString filesFolder = vrt::joinPath(emailFolder, QStringLiteral("Files"));
    vrt::makePrivateFolder(filesFolder);
    QStringList written;
    for (int attempt = 0; attempt < 100; ++attempt) {
        row.messageId = messageId;
        const QString bodyPath = controls::bodyFilePath(deps.dataFolder, messageId);
        const auto prepare = [&](EmailRow& email, std::vector<AttachRow>& attachments, StoreError* error) {
            written << bodyPath;
            if (!copyFile(mail.htmlFile, bodyPath)) {
                *error = {StoreError::AttachSave, 0, QStringLiteral("%1 -> %2").arg(mail.htmlFile, bodyPath)};
                return false;
            }
            for (qsizetype i = 0; i < message->attachmentPaths().size(); ++i) {
                const QString& file = message->attachmentPaths()[i];
                const QString name = clip(message->attachmentNames()[i], 254);
                const QString path = vrt::joinPath(filesFolder, controls::storedPartName(email.id, name));
                written << path;
                if (!vrt::isInsideFolder(filesFolder, path) || !copyFile(file, path)) {
                    *error = {StoreError::AttachSave, 0, file};
                    return false;
                }
                attachments.push_back({0, email.id, name, QString::number(QFileInfo(file).size()), QString()});
            }
            return true;
        };
        StoreError error;
        if (store.storeMessage(row, prepare, &error)) {
            result.sentCopyId = row.id;
            QFile::remove(mail.htmlFile);
            return result;
        }
        for (const QString& path : written)
            QFile::remove(path);
        written.clear();
        // Another copy took the id between the look and the insert: the next one is free.
        if (error.step == StoreError::EmailInsert && store.hasMessage(messageId)) {
            messageId = QString::number(day) + QString::number(++clock);
            continue;
        }
        result.error = QStringLiteral("W_Email CopySent Insert :%1 : %2").arg(error.code).arg(error.text);
        return result;
    }
    return result;
}

} // namespace korbelsteen
