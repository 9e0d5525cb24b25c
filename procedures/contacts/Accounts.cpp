#include "procedures/contacts/Accounts.h"

#include <QDir>
#include <QFile>
#include <vector>

#include "data/Dictionary.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/contacts/MailPeople.h"
#include "runtime/Dialogs.h"

namespace mailpeople {

namespace {
std::string utf8(const QString& s) { return s.toStdString(); }

void openAliases()
{
    for (Tbl t : {Tbl::AAccounts, Tbl::AInbox})
        if (!Access(t).Opened())
            Access(t).Open();
}

struct AccountRow {
    int32_t id;
    std::string name;
};

std::vector<AccountRow> allAccounts()
{
    std::vector<AccountRow> out;
    vrt::FileManager& f = Access(Tbl::AAccounts);
    if (f.Set(AACC.IDKey) != 0)
        return out;
    while (f.Next() == 0)
        out.push_back({AACC().ID, AACC().NAZIV});
    f.EndSequence();
    return out;
}

// The folder of `account` with system name `system`; 0 when there is none.
int32_t folderOf(int32_t account, const char* system)
{
    vrt::FileManager& f = Access(Tbl::AInbox);
    f.clearBuffer();
    INBA().ACCOUNTID = account;
    INBA().ENNAZIV = system;
    return f.TryFetch(INBA.AccNameKey) == 0 ? INBA().ID : 0;
}
} // namespace

const std::array<StandardFolder, 6>& standardFolders()
{
    static const std::array<StandardFolder, 6> folders{{{"", "xInbox"},
                                                        {"Ulazna pošta", "xInbox_1"},
                                                        {"Poslano", "xSent_1"},
                                                        {"Spremljeno", "xDraft_1"},
                                                        {"Obrisano", "xDeleted_1"},
                                                        {"Smeće", "xJunk_1"}}};
    return folders;
}

bool ProvjeriInbox()
{
    openAliases();
    const auto& folders = standardFolders();
    for (const AccountRow& account : allAccounts()) {
        int32_t root = folderOf(account.id, folders[0].system);
        for (size_t i = 0; i < folders.size(); ++i) {
            if (i > 0 && folderOf(account.id, folders[i].system) != 0)
                continue;
            if (i == 0 && root != 0)
                continue;
            vrt::FileManager& f = Access(Tbl::AInbox);
            f.clearBuffer();
            INBA().ACCOUNTID = account.id;
            INBA().NAZIV = i == 0 ? account.name : utf8(tx(QString::fromUtf8(folders[i].name)));
            INBA().ENNAZIV = folders[i].system;
            INBA().TATAID = i == 0 ? 0 : root;
            if (f.TryInsert() != 0) {
                const int step = i == 0 ? 1 : int(i);
                vrt::stop(failure(QStringLiteral("T_Accounti ProvjeriInbox Insert(%1) :").arg(step), f.ErrorCode(), f.ErrorText()));
                return false;
            }
            if (i == 0)
                root = INBA().ID;
        }
    }
    VelmoraDll::InboxFolderSource source;
    VelmoraDll::S_FillInboxTree(source);
    return true;
}

bool clearOtherDefaults(long keep)
{
    openAliases();
    std::vector<int32_t> others;
    vrt::FileManager& f = Access(Tbl::AAccounts);
    if (f.Set(AACC.IDKey) == 0) {
        while (f.Next() == 0)
            if (AACC().ID != keep && AACC().DEFAULT != 0)
                others.push_back(AACC().ID);
        f.EndSequence();
    }
    for (int32_t id : others) {
        f.clearBuffer();
        AACC().ID = id;
        if (f.TryFetch(AACC.IDKey) != 0 || (AACC().DEFAULT = 0, f.TryUpdate()) != 0) {
            vrt::stop(failure(QStringLiteral("F_Accounts DefaultAccount :"), f.ErrorCode(), f.ErrorText()));
            return false;
        }
    }
    return true;
}

QString signaturePath(const QString& dataFolder, long accountId, Signature kind)
{
    return QDir(dataFolder).filePath(QStringLiteral("Documents/Signature/%1_%2").arg(accountId)
                                         .arg(kind == Signature::NewEmail ? QStringLiteral("NewEmail.html") : QStringLiteral("ReplyEmail.html")));
}

void removeSignatures(const QString& dataFolder, long accountId)
{
    for (Signature s : {Signature::NewEmail, Signature::ReplyEmail})
        QFile::remove(signaturePath(dataFolder, accountId, s));
}

} // namespace mailpeople
