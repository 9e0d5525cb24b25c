#include "procedures/mail/MailDelete.h"
#include "procedures/mail/MailPane.h"

#include <QFile>
#include <QSet>

#include "controls/MailManager.h"
#include "controls/MailNames.h"
#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "services/Quilvo.h"
#include "procedures/common/MailSettings.h"
#include "runtime/Odbc.h"
#include "runtime/SqlFilter.h"
#include "runtime/Paths.h"

namespace organiser {

namespace {

struct Row {
    long id = 0;
    QString messageId;
};

std::string table(Tbl t) { return vrt::quoteName(Access(t).SqlName()); }

vrt::odbc::Connection& connection() { return *corvalde::ThreadSession().connection(); }

std::vector<Row> readRows(const std::vector<long>& ids, QString* why)
{
    std::vector<Row> rows;
    vrt::odbc::Statement s(connection());
    if (!s.prepare("SELECT \"MESSAGEID\" FROM " + table(Tbl::EMAIL) + " WHERE \"ID\" = ?")) {
        *why = QString::fromStdString(s.error().text);
        return rows;
    }
    for (long id : ids) {
        s.bindInt(1, id);
        if (!s.execute()) {
            *why = QString::fromStdString(s.error().text);
            return {};
        }
        if (s.fetch())
            rows.push_back({id, QString::fromStdString(s.text(1).value_or(std::string()))});
        s.closeCursor();
    }
    return rows;
}

// The received mails among `rows` that the server deleted or no longer holds, and the sent
// copies; the others stay.
std::vector<Row> clearedOnServer(long accountId, const std::vector<Row>& rows, const QString& dataFolder, ForGood& result)
{
    const QString prefix = QString::number(accountId) + QLatin1Char('_');
    std::vector<Row> cleared, received;
    for (const Row& r : rows)
        (r.messageId.startsWith(prefix) ? received : cleared).push_back(r);
    if (received.empty())
        return cleared;

    const auto keepAll = [&](const QString& why) {
        result.kept += int(received.size());
        if (result.why.isEmpty())
            result.why = why;
        return cleared;
    };
    vrt::FileManager& accounts = Access(Tbl::AAccounts);
    accounts.clearBuffer();
    AACC().ID = int32_t(accountId);
    if (const int rc = accounts.TryFetch(AACC.IDKey))
        return keepAll(QString::number(rc) + QStringLiteral(" : ") + accounts.ErrorText());
    std::unique_ptr<controls::MailManager> mail = controls::MailManager::createByProgId();
    if (!mail)
        return keepAll(QStringLiteral("W_First RegisterMail IF NOT oPOP_PROP:Object_ !"));
    const Accounts_Rec& a = AACC();
    mail->MailHost = QString::fromStdString(a.POPHOSTNAME).trimmed();
    mail->PopUsername = QString::fromStdString(a.POPUSERNAME).trimmed();
    mail->PopPassword = QString::fromStdString(a.POPPASSWORD);
    mail->MailPort = QString::fromStdString(a.POPPORT).trimmed().toInt();
    mail->PopSsl = QString::fromStdString(a.POPSSL).trimmed().toInt();
    mailpeople::applyTransferLimits(*mail, dataFolder);
    if (mailDeleteSetUp())
        mailDeleteSetUp()(*mail);

    const std::optional<QStringList> onServer = mail->GetUidls();
    if (!onServer) {
        const QString why = mail->LastErrorText();
        mail->Pop3EndSession();
        return keepAll(why);
    }
    const QSet<QString> held(onServer->begin(), onServer->end());
    std::vector<Row> deleted; // marked on the server: gone only once it confirms the end
    for (const Row& r : received) {
        const QString uidl = controls::uidlOfStoredId(r.messageId);
        if (!held.contains(uidl)) {
            cleared.push_back(r);
        } else if (mail->DeleteByUidl(uidl)) {
            deleted.push_back(r);
        } else {
            ++result.kept;
            if (result.why.isEmpty())
                result.why = mail->LastErrorText();
        }
    }
    if (deleted.empty()) {
        mail->Pop3EndSession();
        return cleared;
    }
    // A POP3 server deletes only when the session ends well; if it does not, the mail is still
    // there and the next receive would bring it back, so it stays here too.
    if (!mail->Pop3EndSessionConfirmed()) {
        result.kept += int(deleted.size());
        if (result.why.isEmpty())
            result.why = VelmoraDll::translator().QVSTR(QStringLiteral("Poslužitelj nije potvrdio kraj veze, pa brisanje nije provedeno."))
                         + QLatin1Char('\n') + mail->LastErrorText();
        return cleared;
    }
    cleared.insert(cleared.end(), deleted.begin(), deleted.end());
    return cleared;
}

} // namespace

std::function<void(controls::MailManager&)>& mailDeleteSetUp()
{
    static std::function<void(controls::MailManager&)> setUp;
    return setUp;
}

std::vector<long> mailsOfFolder(long folderId)
{
    std::vector<long> ids;
    vrt::odbc::Statement s(connection());
    if (!s.prepare("SELECT \"ID\" FROM " + table(Tbl::EMAIL) + " WHERE \"INBOXID\" = ? ORDER BY \"ID\""))
        return ids;
    s.bindInt(1, folderId);
    if (s.execute())
        while (s.fetch())
            ids.push_back(long(s.integer(1).value_or(0)));
    return ids;
}

ForGood deleteMailsForGood(long accountId, const std::vector<long>& ids, const QString& dataFolder, const AfterMails& last)
{
    ForGood result;
    const std::vector<Row> rows = readRows(ids, &result.why);
    if (!result.why.isEmpty())
        return result;
    const std::vector<Row> cleared = rows.empty() ? rows : clearedOnServer(accountId, rows, dataFolder, result);
    const bool runLast = last && result.kept == 0;
    if (cleared.empty() && !runLast)
        return result;

    const QString files = vrt::joinPath(dataFolder, QStringLiteral("Email/Files"));
    QStringList doomed;
    vrt::odbc::Connection& c = connection();
    vrt::odbc::Transaction t(c);
    vrt::odbc::Statement names(c), attachments(c), mails(c);
    const auto failed = [&](vrt::odbc::Statement& s) {
        if (result.why.isEmpty())
            result.why = QString::fromStdString(s.error().text);
        result.kept += int(cleared.size());
        return result;
    };
    if (!t.started())
        return failed(mails);
    if (!names.prepare("SELECT \"NAZIV\" FROM " + table(Tbl::EMAILATTACH) + " WHERE \"IDEMAIL\" = ?"))
        return failed(names);
    if (!attachments.prepare("DELETE FROM " + table(Tbl::EMAILATTACH) + " WHERE \"IDEMAIL\" = ?"))
        return failed(attachments);
    if (!mails.prepare("DELETE FROM " + table(Tbl::EMAIL) + " WHERE \"ID\" = ?"))
        return failed(mails);
    for (const Row& r : cleared) {
        names.bindInt(1, r.id);
        if (!names.execute())
            return failed(names);
        while (names.fetch()) {
            const QString file = controls::attachmentFile(files, r.id, QString::fromStdString(names.text(1).value_or(std::string())));
            if (!file.isEmpty())
                doomed << file;
        }
        names.closeCursor();
        if (!r.messageId.isEmpty())
            doomed << controls::bodyFilePath(dataFolder, r.messageId);
        doomed << attachmentPagePath(dataFolder, r.id); // its attachment strip, when it was shown
        attachments.bindInt(1, r.id);
        if (!attachments.execute())
            return failed(attachments);
        mails.bindInt(1, r.id);
        if (!mails.execute())
            return failed(mails);
    }
    if (runLast) {
        QString why;
        if (!last(&why)) {
            if (result.why.isEmpty())
                result.why = why.isEmpty() ? QStringLiteral("?") : why;
            result.kept += int(cleared.size());
            return result;
        }
    }
    if (!t.commit())
        return failed(mails);
    for (const QString& file : doomed)
        QFile::remove(file);
    result.deleted = int(cleared.size());
    return result;
}

} // namespace organiser
