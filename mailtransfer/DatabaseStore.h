#pragma once
#include "mailtransfer/MailStore.h"
#include "runtime/Odbc.h"

#include <optional>

namespace korbelsteen {

// The receive's store over the data folder's database, through the calling thread's own
// managers and connection (AACCOUNTS, AEMAIL, AEMAILATTACH, AINBOX). Make it on the thread
// that uses it.
class DatabaseStore : public MailStore {
public:
    DatabaseStore();

    std::vector<Account> accounts() override;
    bool hasMessage(const QString& messageId) override;
    bool isJunkAddress(const QString& address) override;
    std::optional<int> folderOf(int accountId, const QString& systemName, StoreError* error) override;
    bool storeMessage(EmailRow& email, const Prepare& prepare, StoreError* error) override;
    bool beginBatch() override;
    bool commitBatch(StoreError* error) override;

private:
    std::optional<vrt::odbc::Transaction> m_batch;
    int64_t m_batchLast = 0; // the number of the batch's last stored message
    bool m_highWater = false;
    bool m_highWaterKnown = false;
};

} // namespace korbelsteen
