#pragma once
#include "mailtransfer/MailStore.h"

#include <QSet>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// The receive's store kept in memory, shared by every store object made from one Db (the
// receive makes its own on its worker thread). Writes can be made to fail on demand.
struct MemoryDb {
    struct Folder {
        int id;
        int accountId;
        QString systemName;
    };
    std::mutex mutex;
    std::vector<korbelsteen::Account> accounts;
    std::vector<Folder> folders;
    std::vector<korbelsteen::EmailRow> emails; // rows put here directly are not in messageIds
    QSet<QString> messageIds;
    std::vector<korbelsteen::AttachRow> attachments;
    int nextEmailId = 1;
    int nextAttachId = 1;
    QString failAttachInsertForSubject;

    // An account with its inbox and junk folders (ids 10*id+1 and 10*id+5).
    void addAccount(int id, const QString& name, const QString& host, int port, const QString& user,
                    const QString& password)
    {
        accounts.push_back({id, name, host, user, password, port, 0});
        folders.push_back({id * 10 + 1, id, QStringLiteral("xInbox_1")});
        folders.push_back({id * 10 + 5, id, QStringLiteral("xJunk_1")});
    }
    std::vector<korbelsteen::EmailRow> inFolder(int folderId)
    {
        std::vector<korbelsteen::EmailRow> out;
        for (const auto& e : emails)
            if (e.inboxId == folderId)
                out.push_back(e);
        return out;
    }
};

class MemoryStore : public korbelsteen::MailStore {
public:
    explicit MemoryStore(std::shared_ptr<MemoryDb> db) : m_db(std::move(db)) {}

    std::vector<korbelsteen::Account> accounts() override
    {
        std::lock_guard<std::mutex> l(m_db->mutex);
        return m_db->accounts;
    }
    bool hasMessage(const QString& messageId) override
    {
        std::lock_guard<std::mutex> l(m_db->mutex);
        return m_db->messageIds.contains(messageId.left(99));
    }
    bool isJunkAddress(const QString& address) override
    {
        std::lock_guard<std::mutex> l(m_db->mutex);
        for (const auto& e : m_db->emails)
            if (e.junkDomain.compare(address, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    std::optional<int> folderOf(int accountId, const QString& systemName, korbelsteen::StoreError* error) override
    {
        std::lock_guard<std::mutex> l(m_db->mutex);
        for (const auto& f : m_db->folders)
            if (f.accountId == accountId && f.systemName == systemName)
                return f.id;
        *error = {korbelsteen::StoreError::EmailInsert, 35, QStringLiteral("Record Not Found")};
        return std::nullopt;
    }
    bool storeMessage(korbelsteen::EmailRow& email, const Prepare& prepare, korbelsteen::StoreError* error) override
    {
        std::lock_guard<std::mutex> l(m_db->mutex);
        email.id = m_db->nextEmailId++;
        std::vector<korbelsteen::AttachRow> attachments;
        if (!prepare(email, attachments, error))
            return false;
        if (!attachments.empty() && email.subject == m_db->failAttachInsertForSubject) {
            *error = {korbelsteen::StoreError::AttachInsert, 90, QStringLiteral("disk I/O error")};
            return false;
        }
        for (auto& a : attachments) {
            a.id = m_db->nextAttachId++;
            m_db->attachments.push_back(a);
        }
        m_db->emails.push_back(email);
        m_db->messageIds.insert(email.messageId.left(99));
        return true;
    }

private:
    std::shared_ptr<MemoryDb> m_db;
};
