#include "mailtransfer/DatabaseStore.h"

#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "runtime/Odbc.h"
#include "runtime/SqliteDialect.h"

namespace korbelsteen {
namespace {

std::string utf8(const QString& s) { return s.toStdString(); }
QString text(const std::string& s) { return QString::fromStdString(s); }

void toRecord(const EmailRow& r, EMAIL_Rec& e)
{
    e.ID = r.id;
    e.SUBJECT = utf8(r.subject);
    e.INBOXID = r.inboxId;
    e.BODY = utf8(r.body);
    e.SENDER = utf8(r.sender);
    e.TOO = utf8(r.too);
    e.TOADDR = utf8(r.toAddr);
    e.TONAME = utf8(r.toName);
    e.CC = utf8(r.cc);
    e.CCADDR = utf8(r.ccAddr);
    e.CCNAME = utf8(r.ccName);
    e.BCC = utf8(r.bcc);
    e.BCCADDR = utf8(r.bccAddr);
    e.BCCNAME = utf8(r.bccName);
    e.REPLYTO = utf8(r.replyTo);
    e.DATUM = r.datum;
    e.VRIJEME = r.vrijeme;
    e.READCONFIRMATION = uint8_t(r.readConfirmation);
    e.MESSAGEID = utf8(r.messageId);
    e.PRIORITYLEVEL = r.priorityLevel;
    e.SIZE_DECIMAL = utf8(r.sizeDecimal.isEmpty() ? QStringLiteral("0") : r.sizeDecimal);
    e.CHARSET = utf8(r.charset);
    e.READ = uint8_t(r.read);
    e.JUNKDOMAIN = utf8(r.junkDomain);
}

bool failed(vrt::FileManager& f, StoreError::Step step, StoreError* error)
{
    *error = {step, f.ErrorCode(), f.ErrorText()};
    return false;
}

} // namespace

DatabaseStore::DatabaseStore()
{
    for (Tbl t : {Tbl::AAccounts, Tbl::AEMAIL, Tbl::AEMAILATTACH, Tbl::AInbox})
        if (!Access(t).Opened())
            Access(t).Open();
    // Many commits in one receive.
    if (vrt::odbc::Connection* c = corvalde::ThreadSession().connection())
        vrt::dialect::checkpointLessOften(*c);
}

std::vector<Account> DatabaseStore::accounts()
{
    std::vector<Account> out;
    vrt::FileManager& f = Access(Tbl::AAccounts);
    if (f.Set(AACC.IDKey) != 0)
        return out;
    while (f.Next() == 0) {
        const Accounts_Rec& a = AACC();
        out.push_back({a.ID, text(a.NAZIV), text(a.POPHOSTNAME), text(a.POPUSERNAME), text(a.POPPASSWORD),
                       text(a.POPPORT).trimmed().toInt(), text(a.POPSSL).trimmed().toInt()});
    }
    f.EndSequence();
    return out;
}

bool DatabaseStore::hasMessage(const QString& messageId)
{
    EMA().MESSAGEID = utf8(messageId);
    return Access(Tbl::AEMAIL).TryFetch(EMA.MessageIDKey) == 0;
}

bool DatabaseStore::isJunkAddress(const QString& address)
{
    if (address.trimmed().isEmpty())
        return false;
    EMA().JUNKDOMAIN = utf8(address);
    return Access(Tbl::AEMAIL).TryFetch(EMA.JunkDomainKey) == 0;
}

std::optional<int> DatabaseStore::folderOf(int accountId, const QString& systemName, StoreError* error)
{
    INBA().ACCOUNTID = accountId;
    INBA().ENNAZIV = utf8(systemName);
    vrt::FileManager& f = Access(Tbl::AInbox);
    if (f.TryFetch(INBA.AccNameKey) != 0) {
        *error = {StoreError::EmailInsert, f.ErrorCode() ? f.ErrorCode() : int(vrt::RecordNotFound), f.ErrorText()};
        return std::nullopt;
    }
    return INBA().ID;
}

bool DatabaseStore::storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error)
{
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    if (!c) {
        *error = {StoreError::EmailInsert, int(vrt::DriverError), QStringLiteral("no connection")};
        return false;
    }
    const auto driverFailed = [&] {
        *error = {StoreError::EmailInsert, int(vrt::DriverError), QString::fromStdString(c->error().text)};
        return false;
    };
    // Everything below is kept together or not at all; the managers' own writes nest in it.
    // Inside a batch the message is a part of the batch's transaction, committed with it.
    std::optional<vrt::odbc::Transaction> tx;
    std::optional<vrt::odbc::TransactionPart> part;
    if (m_batch)
        part.emplace(*c);
    else
        tx.emplace(*c);
    if (!(part ? part->started() : tx->started()))
        return driverFailed();
    vrt::FileManager& mail = Access(Tbl::AEMAIL);
    // The row's number is drawn under the write lock, so the files named after it are written
    // before the row, and the row is written once, complete.
    const std::string table = mail.SqlName();
    if (!m_highWaterKnown) {
        m_highWater = vrt::dialect::hasHighWaterMark(*c, table);
        m_highWaterKnown = true;
    }
    vrt::odbc::Error driverError;
    int64_t next = 0;
    // A batch holds the lock from its first message on, so the number after the last stored
    // one is free; a message that failed gave its number back.
    if (m_batch && m_batchLast > 0) {
        next = m_batchLast + 1;
    } else if (!vrt::dialect::takeWriteLock(*c, table, &driverError)
               || !vrt::dialect::nextPrimaryNumber(*c, table, "ID", m_highWater, next, &driverError)) {
        *error = {StoreError::EmailInsert, int(vrt::DriverError), QString::fromStdString(driverError.text)};
        return false;
    }
    email.id = int(next);

    std::vector<AttachRow> attachments;
    if (!prepare(email, attachments, error))
        return false;
    mail.clearBuffer();
    toRecord(email, EMA());
    if (mail.TryInsert() != 0)
        return failed(mail, StoreError::EmailInsert, error);

    vrt::FileManager& attach = Access(Tbl::AEMAILATTACH);
    for (AttachRow& a : attachments) {
        attach.clearBuffer();
        ATTA().IDEMAIL = email.id;
        ATTA().NAZIV = utf8(a.naziv);
        ATTA().VELICINA_DECIMAL = utf8(a.velicinaDecimal.isEmpty() ? QStringLiteral("0") : a.velicinaDecimal);
        ATTA().CONTENTID = utf8(a.contentId);
        if (attach.TryInsert() != 0)
            return failed(attach, StoreError::AttachInsert, error);
        a.id = ATTA().ID;
    }
    if (!(part ? part->keep() : tx->commit()))
        return driverFailed();
    if (m_batch)
        m_batchLast = next;
    return true;
}

bool DatabaseStore::beginBatch()
{
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
    if (m_batch || !c)
        return false;
    m_batch.emplace(*c);
    m_batchLast = 0;
    if (!m_batch->started()) {
        m_batch.reset();
        return false;
    }
    return true;
}

bool DatabaseStore::commitBatch(StoreError* error)
{
    if (!m_batch)
        return true;
    const bool ok = m_batch->commit();
    m_batch.reset();
    if (!ok) {
        vrt::odbc::Connection* c = corvalde::ThreadSession().connection();
        *error = {StoreError::EmailInsert, int(vrt::DriverError),
                  c ? QString::fromStdString(c->error().text) : QStringLiteral("no connection")};
    }
    return ok;
}

} // namespace korbelsteen
