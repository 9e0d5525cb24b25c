#pragma once
// A database test beside one real Dovecot for the suite, with the organiser's files open, as
// korbelsteen finds them when the organiser starts it.
#include "procedures/common/OpenFiles.h"
#include "tests/data/DataFixture.h"
#include "tests/support/Dovecot.h"

#include <functional>

// `Suite` is the deriving fixture, so every suite has a server of its own.
template <class Suite>
class MailServerTest : public DataTest {
protected:
    // Starts the suite's server (UIDLs are the user names); `fill` adds its users and mail.
    static void startServer(const std::function<void(testsupport::Dovecot&)>& fill)
    {
        s.start({QStringLiteral("%u"), false}, fill);
    }
    static void TearDownTestSuite() { s.stop(); }

    void SetUp() override
    {
        if (!s.skip.isEmpty())
            GTEST_SKIP() << s.skip.toStdString();
        ASSERT_TRUE(s.error.isEmpty()) << s.error.toStdString();
        DataTest::SetUp();
        if (IsSkipped())
            return;
        // The data folder of the program: the database where the organiser makes it.
        W_First::OpenFilez();
    }

    // An account on the server with the standard folders; its number, 0 when it could not be
    // added.
    int addServerAccount(const std::string& name, const std::string& user, const std::string& password)
    {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name;
        ACC().POPHOSTNAME = "127.0.0.1";
        ACC().POPPORT = std::to_string(s.server->port());
        ACC().POPUSERNAME = user;
        ACC().POPPASSWORD = password;
        ACC().POPSSL = "0";
        const int rc = Access(Tbl::Accounts).Insert();
        EXPECT_EQ(rc, 0);
        if (rc)
            return 0;
        const int account = ACC().ID;
        if (!addMailFolders(account, {"xInbox", "xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"})) {
            ADD_FAILURE() << "the folders of " << name << " could not be added";
            return 0;
        }
        return account;
    }

    static inline testsupport::SharedDovecot s;
};
