#include "mailtransfer/ReceiveAccount.h"

#include "protocols/MailManager.h"
#include "protocols/MailNames.h"
#include "mailtransfer/BoundedQueue.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "runtime/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <malloc.h>
#include <chrono>
#include <thread>

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
void appendEscaped(QString& out, QStringView text)
{
    for (QChar c : text)
        if (c.unicode() <= '>' && (c == QLatin1Char('&') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('"'))) {
            out += text.toString().toHtmlEscaped();
            return;
        }
    out += text;
}

// A line of the body file: at most MaxLineChars characters (a surrogate pair is one), without
// its trailing blanks. A view into the body, so no line is copied on its own.
QStringView bodyLine(QStringView line)
{
    if (line.size() > MaxLineChars) {
        int chars = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i].isLowSurrogate())
                continue;
            if (chars == MaxLineChars) {
                line = line.first(i);
                break;
            }
            ++chars;
        }
    }
    while (!line.isEmpty() && line.back() == QLatin1Char(' '))
        line.chop(1);
    return line;
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
    // Lines end at CR LF, LF or CR; a break at the very end starts no further line. The next
    // LF and the next CR are each searched for once, so every character is read once.
    const QStringView text(body);
    const qsizetype size = text.size();
    qsizetype nextLf = -1, nextCr = -1;
    const auto nextOf = [&](QLatin1Char c, qsizetype& at, qsizetype from) {
        if (at < from) {
            at = text.indexOf(c, from);
            if (at < 0)
                at = size;
        }
        return at;
    };
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = std::min(nextOf(QLatin1Char('\n'), nextLf, start), nextOf(QLatin1Char('\r'), nextCr, start));
        appendEscaped(out, bodyLine(text.sliced(start, end - start)));
        out += QLatin1String("<br/>\r\n");
        if (end + 1 < size && text[end] == QLatin1Char('\r') && text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return out.toUtf8();
}

bool WriteBodyHtml(const QString& path, const QString& plainText, QString* error, qint64* size)
{
    // Written in place: until its row is committed nothing refers to the file, and a run
    // that dies here writes it again next time. A new file is the user's alone from the start;
    // one left by such a run is made so.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = QStringLiteral("W_First Korbelsteen CREATE(fHtml) (1) :") + f.errorString();
        return false;
    }
    vrt::makePrivate(path);
    const QByteArray html = plainBodyHtml(plainText);
    if (f.write(html) != html.size() || !f.flush()) {
        *error = QStringLiteral("W_First Korbelsteen ADD(fHtml 1) :") + f.errorString();
        return false;
    }
    if (size)
        *size = html.size();
    return true;
}

bool isJunk(MailStore& store, const controls::MimeMessage& m)
{
    const QString address = (m.ReplyTo().isEmpty() ? m.FromAddress() : m.ReplyTo()).trimmed();
    return !address.isEmpty() && store.isJunkAddress(clipped(address, 99));
}

namespace {

// A message as it travels from the fetching stage through the parsing one to the store.
struct InFlight {
    QString uidl;
    QByteArray raw;
    std::optional<controls::MimeMessage> message;
    EmailRow row;
    // Written already by the parsing stage when it does not name the row's number.
    QString bodyPath;
    bool bodyWritten = false;
    qint64 bodySize = 0;
    QString bodyError;
};

// A body file written before its message was stored: nothing will refer to it.
void discardBody(const InFlight& m)
{
    if (m.bodyWritten)
        QFile::remove(m.bodyPath);
}

bool isCancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load();
}

// Where the body files go, and the inline parts and attachments beside them.
struct ReceiveFolders {
    QString email;
    QString files;
};

constexpr size_t QueueDepth = 8;

// Each message's text, parsed parts and body are freed as the next arrives. With the default
// trim threshold every thread's heap gives those pages back and faults them in again for each
// message, and the shootdowns of the give-backs cost more than the parsing; during a receive
// the heap keeps them, and returns what is left over at the end.
class HeapKept {
public:
    HeapKept() { mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024); }
    ~HeapKept()
    {
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
        malloc_trim(0);
    }
    HeapKept(const HeapKept&) = delete;
    HeapKept& operator=(const HeapKept&) = delete;
};

// Stored messages are committed together: at most this many, or as old as this, or when no
// message has come for this long (a slow server), and always before the receive ends.
constexpr int BatchMessages = 64;
constexpr auto BatchAge = std::chrono::milliseconds(250);
constexpr auto BatchWait = std::chrono::milliseconds(50);

// Looks each id up in the store and hands the ones not stored yet to the fetching stage, in
// server order; the first are fetched while the rest are still being looked up. Returns how
// many were handed on.
size_t queueWanted(controls::MailManager& mail, MailStore& store, int accountId, const QStringList& uidls,
                   BoundedQueue<QString>& toFetch, ReceiveResult& result)
{
    size_t wanted = 0;
    for (const QString& uidl : uidls) {
        // Time spent here is the database's, not a silent server's.
        if (mail.onProgress)
            mail.onProgress();
        if (uidl.isEmpty() || store.hasMessage(clipped(controls::storedMessageId(accountId, uidl), 99))) {
            ++result.skipped;
        } else {
            ++wanted;
            toFetch.push(uidl);
        }
    }
    toFetch.close();
    return wanted;
}

// The first stage, on a thread of its own: fetches the wanted messages from the server in
// order. A message above a cap is counted and left on the server; any other failure ends
// the stage.
class FetchStage {
public:
    FetchStage(controls::MailManager& mail, const std::atomic<bool>* cancel, BoundedQueue<QString>& wanted,
               BoundedQueue<InFlight>& fetched)
        : m_mail(mail), m_cancel(cancel), m_wanted(wanted), m_fetched(fetched)
    {
    }

    void run()
    {
        using Failure = controls::MailManager::Failure;
        while (std::optional<QString> uidl = m_wanted.pop()) {
            if (isCancelled(m_cancel))
                break;
            std::optional<QByteArray> raw = m_mail.fetchRaw(*uidl);
            if (!raw && m_mail.LastFailure() == Failure::TooLarge) {
                ++m_tooLarge;
                continue;
            }
            if (!raw && m_mail.LastFailure() == Failure::LineTooLong) {
                ++m_lineTooLong;
                continue;
            }
            if (!raw) {
                m_stalled = m_mail.LastFailure() == Failure::Stalled;
                m_failed = true;
                break;
            }
            InFlight m;
            m.uidl = *uidl;
            m.raw = std::move(*raw);
            if (!m_fetched.push(std::move(m)))
                break;
        }
        m_fetched.close();
    }

    // Read once the stage's thread has been joined.
    int tooLarge() const { return m_tooLarge; }
    int lineTooLong() const { return m_lineTooLong; }
    bool stalled() const { return m_stalled; }
    bool failed() const { return m_failed; }

private:
    controls::MailManager& m_mail;
    const std::atomic<bool>* const m_cancel;
    BoundedQueue<QString>& m_wanted;
    BoundedQueue<InFlight>& m_fetched;
    int m_tooLarge = 0;
    int m_lineTooLong = 0;
    bool m_stalled = false;
    std::atomic<bool> m_failed{false};
};

// The second stage, on a thread of its own: parses each message, makes its row and writes
// the body files that do not depend on the row's number.
class ParseStage {
public:
    ParseStage(int accountId, const ReceiveFolders& folders, BoundedQueue<InFlight>& fetched,
               BoundedQueue<InFlight>& parsed)
        : m_accountId(accountId), m_folders(folders), m_fetched(fetched), m_parsed(parsed)
    {
    }

    void run()
    {
        while (std::optional<InFlight> m = m_fetched.pop()) {
            m->message.emplace(controls::MimeMessage::fromBytes(m->raw));
            m->raw = QByteArray();
            m->row = emailRowOf(*m->message, controls::storedMessageId(m_accountId, m->uidl));
            m->bodyPath = vrt::joinPath(m_folders.email, controls::bodyFileName(m->row.messageId));
            writeBodyEarly(*m);
            const QString written = m->bodyWritten ? m->bodyPath : QString();
            if (!m_parsed.push(std::move(*m))) {
                // The store has stopped: nothing will refer to this file.
                if (!written.isEmpty())
                    QFile::remove(written);
                break;
            }
        }
        m_parsed.close();
    }

private:
    // Writes the body file of a message without inline parts (the only body that names the
    // row's number is one whose inline parts are files named after it).
    void writeBodyEarly(InFlight& m) const
    {
        controls::MimeMessage& message = *m.message;
        if (!message.relatedParts().empty())
            return;
        const int unpacked = message.UnpackHtml(m_folders.email, m.bodyPath, m_folders.files);
        if (unpacked < 0) {
            m.bodyError = message.LastErrorText();
            return;
        }
        m.bodySize = -1;
        if (unpacked == 0 && !WriteBodyHtml(m.bodyPath, message.GetPlainTextBody(), &m.bodyError, &m.bodySize))
            return;
        m.bodyWritten = true;
        if (m.bodySize < 0)
            m.bodySize = QFileInfo(m.bodyPath).size();
    }

    const int m_accountId;
    const ReceiveFolders& m_folders;
    BoundedQueue<InFlight>& m_fetched;
    BoundedQueue<InFlight>& m_parsed;
};

// The last stage, on the receiving thread (the only one using the store): settles each
// message's folder, writes the files that carry the row's number and stores the rows,
// committed in batches.
class StoreStage {
public:
    using Stop = std::function<void(const QString&)>;

    StoreStage(MailStore& store, const Account& account, const ReceiveFolders& folders, const Stop& stop,
               ReceiveResult& result)
        : m_store(store), m_account(account), m_folders(folders), m_stop(stop), m_result(result)
    {
    }

    // The next parsed message; the open batch is committed when none comes for a while.
    std::optional<InFlight> next(BoundedQueue<InFlight>& parsed)
    {
        if (m_batch.open) {
            bool timedOut = false;
            std::optional<InFlight> m = parsed.popWithin(BatchWait, timedOut);
            if (m || !timedOut)
                return m;
            commitBatch();
        }
        return parsed.pop();
    }

    void store(InFlight& m)
    {
        // The folder is settled before anything is written, so a message never lands
        // without one.
        const bool junk = junkFor(*m.message);
        StoreError folderError;
        const std::optional<int> folder = folderFor(junk, &folderError);
        if (!folder) {
            discardBody(m);
            commitBatch();
            m_stop((junk ? QStringLiteral("W_Korbelsteen Get Junk :") : QStringLiteral("W_Korbelsteen Get Ainbox :"))
                   + QString::number(m_account.id) + QStringLiteral(" : ") + QString::number(folderError.code)
                   + QStringLiteral(" : ") + folderError.text);
            ++m_result.failed;
            return;
        }

        EmailRow& row = m.row;
        row.inboxId = *folder;
        QStringList written;
        if (m.bodyWritten)
            written << m.bodyPath;
        const auto prepare = [&](EmailRow& email, std::vector<AttachRow>& attachments, StoreError* error) {
            return writeFiles(m, email, attachments, written, error);
        };
        openBatch();
        StoreError error;
        if (!m_store.storeMessage(row, prepare, &error)) {
            for (const QString& path : written)
                QFile::remove(path);
            // What the batch holds is committed before the user is told: the write lock is
            // not held while a message waits for an answer.
            commitBatch();
            m_stop(stopText(stepText(error.step), error));
            ++m_result.failed;
            return;
        }
        ++m_result.stored;
        keepInBatch(written);
    }

    void commitBatch()
    {
        if (!m_batch.open)
            return;
        m_batch.open = false;
        m_junk.clear();
        StoreError error;
        if (!m_store.commitBatch(&error)) {
            // None of the batch was kept: its files go, and its messages wait on the server.
            for (const QString& path : m_batch.files)
                QFile::remove(path);
            m_result.stored -= m_batch.messages;
            m_result.failed += m_batch.messages;
            m_stop(stopText(stepText(error.step), error));
        }
        m_batch.messages = 0;
        m_batch.files.clear();
    }

private:
    // Mail comes in runs from the same senders: within a batch each sender is looked up once.
    // An address the user marks as junk meanwhile counts from the next batch on.
    bool junkFor(const controls::MimeMessage& message)
    {
        if (!m_batch.open)
            return isJunk(m_store, message);
        const QString sender = message.ReplyTo().isEmpty() ? message.FromAddress() : message.ReplyTo();
        const auto known = m_junk.constFind(sender);
        if (known != m_junk.cend())
            return *known;
        const bool junk = isJunk(m_store, message);
        m_junk.insert(sender, junk);
        return junk;
    }

    // The account's two folders, looked up once they are first needed.
    std::optional<int> folderFor(bool junk, StoreError* error)
    {
        std::optional<int>& known = junk ? m_junkFolder : m_inboxFolder;
        if (!known)
            known = m_store.folderOf(m_account.id, QLatin1String(junk ? JunkFolder : InboxFolder), error);
        return known;
    }

    // Runs inside the row's insert: the body (when it names the row's number), its inline
    // parts and the attachments. Every file written is added to `written`.
    bool writeFiles(InFlight& m, EmailRow& email, std::vector<AttachRow>& attachments, QStringList& written,
                    StoreError* error) const
    {
        controls::MimeMessage& message = *m.message;
        if (!m.bodyError.isEmpty()) {
            *error = {StoreError::AttachSave, 0, m.bodyError};
            return false;
        }
        // Inline parts and attachments carry the row's id: one shared folder, no clashes.
        const QString prefix = controls::storedPartPrefix(email.id);
        if (!m.bodyWritten) {
            written << m.bodyPath;
            for (const controls::MailPart& p : message.relatedParts())
                written << vrt::joinPath(m_folders.files, prefix + p.filename);
            QString bodyError;
            const int unpacked = message.UnpackHtml(m_folders.email, m.bodyPath, m_folders.files, prefix);
            if (unpacked < 0) {
                *error = {StoreError::AttachSave, 0, message.LastErrorText()};
                return false;
            }
            if (unpacked == 0 && !WriteBodyHtml(m.bodyPath, message.GetPlainTextBody(), &bodyError)) {
                *error = {StoreError::AttachSave, 0, bodyError};
                return false;
            }
            m.bodySize = QFileInfo(m.bodyPath).size();
        }
        email.sizeDecimal = QString::number(m.bodySize);
        for (int a = 0; a < message.NumAttachments(); ++a) {
            // The row keeps the attachment's own name; its file is derived from it.
            const QString name = clipped(message.GetAttachmentFilename(a), 254);
            const QString path = vrt::joinPath(m_folders.files, controls::storedPartName(email.id, name));
            if (!vrt::isInsideFolder(m_folders.files, path) || !message.SaveAttachment(a, path)) {
                *error = {StoreError::AttachSave, 0, message.LastErrorText()};
                return false;
            }
            written << path;
            attachments.push_back({0, email.id, name, QString::number(message.GetAttachmentSize(a)), QString()});
        }
        return true;
    }

    void openBatch()
    {
        if (!m_batch.open && m_store.beginBatch()) {
            m_batch.open = true;
            m_batch.began = std::chrono::steady_clock::now();
        }
    }

    void keepInBatch(const QStringList& written)
    {
        if (!m_batch.open)
            return;
        ++m_batch.messages;
        m_batch.files << written;
        if (m_batch.messages >= BatchMessages || std::chrono::steady_clock::now() - m_batch.began >= BatchAge)
            commitBatch();
    }

    struct Batch {
        bool open = false;
        int messages = 0;
        QStringList files;
        std::chrono::steady_clock::time_point began;
    };

    MailStore& m_store;
    const Account& m_account;
    const ReceiveFolders& m_folders;
    const Stop& m_stop;
    ReceiveResult& m_result;
    Batch m_batch;
    QHash<QString, bool> m_junk; // sender -> junk, for the open batch
    std::optional<int> m_inboxFolder, m_junkFolder;
};

} // namespace

ReceiveResult ReceiveAccountMail(controls::MailManager& mail, MailStore& store, const Account& account,
                                 const ReceiveContext& context)
{
    ReceiveResult result;
    const StoreStage::Stop stop = [&](const QString& text) {
        if (context.stop)
            context.stop(text);
        else
            vrt::stop(text);
    };
    const std::optional<QStringList> uidls = mail.GetUidls();
    if (!uidls) {
        result.stalled = mail.LastFailure() == controls::MailManager::Failure::Stalled;
        mail.Pop3EndSession();
        return result;
    }
    result.onServer = int(uidls->size());
    const HeapKept heapKept; // declared before the threads: they are joined before it goes
    ReceiveFolders folders;
    folders.email = vrt::joinPath(context.dataFolder, QStringLiteral("Email"));
    folders.files = vrt::joinPath(folders.email, QStringLiteral("Files"));
    if (!vrt::makePrivateFolder(folders.files)) {
        stop(QStringLiteral("W_Korbelsteen AttachSave :") + folders.files);
        return result;
    }

    // Three stages for the whole account, with short queues between them: one thread fetches
    // in server order, one parses and writes the body files that do not depend on the row, and
    // this one looks the ids up, then stores. Each queue keeps the order, so rows are numbered
    // in server order.
    BoundedQueue<QString> toFetch(size_t(uidls->size()) + 1);
    BoundedQueue<InFlight> fetched(QueueDepth), parsed(QueueDepth);
    FetchStage fetching(mail, context.cancel, toFetch, fetched);
    ParseStage parsing(account.id, folders, fetched, parsed);
    StoreStage storing(store, account, folders, stop, result);
    std::thread fetcher([&] { fetching.run(); });
    std::thread parser([&] { parsing.run(); });
    const auto finish = [&] {
        // Whatever was fetched or parsed but not stored is dropped with its body file; the
        // next receive fetches it again.
        toFetch.abort();
        fetched.abort();
        for (const InFlight& m : parsed.abort())
            discardBody(m);
        fetcher.join();
        parser.join();
    };

    const size_t wanted = queueWanted(mail, store, account.id, *uidls, toFetch, result);
    size_t taken = 0;
    while (std::optional<InFlight> next = storing.next(parsed)) {
        ++taken;
        if (isCancelled(context.cancel)) {
            discardBody(*next);
            storing.commitBatch();
            finish();
            return result;
        }
        storing.store(*next);
    }
    storing.commitBatch();
    finish();
    const int tooLarge = fetching.tooLarge(), lineTooLong = fetching.lineTooLong();
    result.tooLarge = tooLarge;
    result.lineTooLong = lineTooLong;
    result.stalled = fetching.stalled();
    result.failed += tooLarge + lineTooLong;
    if (taken + size_t(tooLarge + lineTooLong) < wanted) {
        // A message could not be fetched (or the receive was cancelled): the rest waits for
        // the next receive.
        mail.Pop3EndSession();
        if (fetching.failed())
            ++result.failed;
        return result;
    }
    result.complete = tooLarge + lineTooLong == 0;
    return result;
}

} // namespace korbelsteen
