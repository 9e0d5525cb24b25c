#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

#include <sys/stat.h>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

#include "controls/HtmlEditor.h"
#include "procedures/contacts/AccountForm.h"
#include "procedures/contacts/Accounts.h"
#include "procedures/contacts/AccountsWindow.h"
#include "procedures/common/MailSettings.h"
#include "runtime/BrowseView.h"
#include "runtime/FileBrowse.h"
#include "runtime/IniFile.h"
#include "runtime/WindowManager.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/Dovecot.h"
#include "tests/support/MailSamples.h"
#include "tests/support/FileModes.h"

using namespace mailpeople;

namespace {

QStringList messages() { return testsupport::presenter().texts(); }

struct AccountValues {
    QString name, smtp;
    bool isDefault = false;
    QString popHost, popUser, popPassword, popPort;
};

// Fills the open account form as a user would.
void fillForm(AccountForm& f, const AccountValues& v)
{
    f.entry("NAZIV")->setText(v.name);
    f.entry("EMAIL")->setText(v.name.toLower() + "@primjer.hr");
    f.entry("SMTPHOST")->setText(v.smtp);
    f.entry("POPHOSTNAME")->setText(v.popHost);
    f.entry("POPUSERNAME")->setText(v.popUser);
    f.entry("POPPASSWORD")->setText(v.popPassword);
    f.entry("POPPORT")->setText(v.popPort);
    f.defaultBox()->setChecked(v.isDefault);
}

} // namespace

class AccountsTest : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped())
            return;
        testsupport::presenter().clear();
    }
    int addAccount(const std::string& name, int isDefault, const std::string& smtp = "smtp.primjer.hr")
    {
        Access(Tbl::Accounts).clearBuffer();
        ACC().NAZIV = name;
        ACC().DEFAULT = uint8_t(isDefault);
        ACC().SMTPHOST = smtp;
        EXPECT_EQ(Access(Tbl::Accounts).Insert(), 0);
        return ACC().ID;
    }
    int number(const std::string& sql)
    {
        const auto r = query(sql);
        return r.empty() ? -1 : std::stoi(r[0]);
    }
    std::vector<std::string> defaults() { return query("SELECT NAZIV FROM ACCOUNTS WHERE \"DEFAULT\" = 1 ORDER BY ID"); }
    QString ini(const QString& section, const QString& key)
    {
        return vrt::IniFile(m_folder->file("Standard.ini")).get(section, key);
    }
    // Runs F_Accounts on account `id` (0: a new one, primed as the list primes it) and lets
    // `drive` work the open form; answers the form's response.
    int runForm(int request, int id, const std::function<void(AccountForm&)>& drive)
    {
        vrt::FileBrowseSource target(Access(Tbl::Accounts), Relate(Tbl::Accounts), {});
        if (request == vrt::INSERT_RECORD)
            EXPECT_TRUE(target.primeRecord());
        else
            EXPECT_TRUE(target.load(qlonglong(id)));
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            if (auto* f = qobject_cast<AccountForm*>(&d))
                drive(*f);
            return d.result();
        });
        GLOBALREQUEST = uint8_t(request);
        return F_Accounts();
    }
};

TEST_F(AccountsTest, EveryAccountGetsWhatItMissesOfItsFoldersOnce)
{
    const int a = addAccount("Posao", 0);
    const int b = addAccount("Kuća", 0);
    // B has its root and inbox already; a standard folder it lacks is added under that root.
    Access(Tbl::Inbox).clearBuffer();
    INB().ACCOUNTID = b;
    INB().NAZIV = "Kuća";
    INB().ENNAZIV = "xInbox";
    ASSERT_EQ(Access(Tbl::Inbox).Insert(), 0);
    const int bRoot = INB().ID;
    Access(Tbl::Inbox).clearBuffer();
    INB().ACCOUNTID = b;
    INB().NAZIV = "Moja pošta";
    INB().ENNAZIV = "xInbox_1";
    INB().TATAID = bRoot;
    ASSERT_EQ(Access(Tbl::Inbox).Insert(), 0);

    ASSERT_TRUE(ProvjeriInbox());
    const auto rows = query("SELECT ENNAZIV || '|' || NAZIV || '|' || (TATAID = 0) FROM INBOX WHERE ACCOUNTID = " +
                            std::to_string(a) + " ORDER BY REDOSLIJED");
    EXPECT_EQ(rows, (std::vector<std::string>{"xInbox|Posao|1", "xInbox_1|Ulazna pošta|0", "xSent_1|Poslano|0",
                                              "xDraft_1|Spremljeno|0", "xDeleted_1|Obrisano|0", "xJunk_1|Smeće|0"}));
    const int aRoot = number("SELECT ID FROM INBOX WHERE ACCOUNTID = " + std::to_string(a) + " AND ENNAZIV = 'xInbox'");
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX WHERE ACCOUNTID = " + std::to_string(a) + " AND TATAID = " + std::to_string(aRoot)), 5);
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX WHERE ACCOUNTID = " + std::to_string(b)), 6);
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX WHERE ACCOUNTID = " + std::to_string(b) + " AND TATAID = " + std::to_string(bRoot)), 5);
    EXPECT_EQ(query("SELECT NAZIV FROM INBOX WHERE ENNAZIV = 'xInbox_1' AND ACCOUNTID = " + std::to_string(b))[0], "Moja pošta")
        << "a folder that is there is left as it is";

    ASSERT_TRUE(ProvjeriInbox());
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX"), 12) << "a second run adds nothing";
}

TEST_F(AccountsTest, TheDefaultFlagMovesToTheAccountSavedAsDefault)
{
    const int first = addAccount("Prvi", 1);
    const int second = addAccount("Drugi", 0);
    const int third = addAccount("Treći", 0);

    struct Case {
        const char* what;
        int account;
        bool makeDefault;
        QString smtp;
        int response;
        std::vector<std::string> defaults;
        QStringList messages;
    };
    const QString refused = "Standardni račun mora imati SMTP server je služi za slanje email-a !";
    const Case cases[] = {
        {"not the default: no other account is touched", third, false, "", vrt::REQUEST_COMPLETED, {"Prvi"}, {}},
        {"the default without SMTP host is refused and nothing is written", second, true, "  ", vrt::REQUEST_CANCELLED, {"Prvi"}, {refused}},
        {"a second default leaves only the one just saved", second, true, "smtp.drugi.hr", vrt::REQUEST_COMPLETED, {"Drugi"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::presenter().clear();
        bool stayedOpen = false;
        const int response = runForm(vrt::CHANGE_RECORD, c.account, [&](AccountForm& f) {
            f.defaultBox()->setChecked(c.makeDefault);
            f.entry("SMTPHOST")->setText(c.smtp);
            f.okButton()->click();
            stayedOpen = f.result() == 0 && !messages().isEmpty();
            if (stayedOpen) {
                EXPECT_EQ(f.sheet()->currentIndex(), 1) << "the SMTP tab is shown";
                f.cancelButton()->click();
            }
        });
        EXPECT_EQ(response, c.response);
        EXPECT_EQ(defaults(), c.defaults);
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(stayedOpen, !c.messages.isEmpty());
    }
    EXPECT_EQ(query("SELECT SMTPHOST FROM ACCOUNTS WHERE ID = " + std::to_string(second))[0], "smtp.drugi.hr");
    (void)first;
}

TEST_F(AccountsTest, DeletingTheDefaultAccountTouchesNoOtherAccountAndTakesItsFoldersAndSignatures)
{
    const int other = addAccount("Drugi", 0);
    const int gone = addAccount("Prvi", 1, "");
    ASSERT_TRUE(ProvjeriInbox());
    for (Signature s : {Signature::NewEmail, Signature::ReplyEmail}) {
        const QString path = signaturePath(m_folder->path(), gone, s);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<p>Pozdrav</p>");
    }
    const int response = runForm(vrt::DELETE_RECORD, gone, [](AccountForm& f) {
        EXPECT_FALSE(f.saveSignatureButton()->isEnabled());
        f.okButton()->click();
    });
    EXPECT_EQ(response, vrt::REQUEST_COMPLETED);
    EXPECT_TRUE(messages().isEmpty()) << "no SMTP host is asked of an account that goes";
    EXPECT_EQ(number("SELECT COUNT(*) FROM ACCOUNTS"), 1);
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX WHERE ACCOUNTID = " + std::to_string(gone)), 0);
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX WHERE ACCOUNTID = " + std::to_string(other)), 6);
    EXPECT_FALSE(QFile::exists(signaturePath(m_folder->path(), gone, Signature::NewEmail)));
    EXPECT_FALSE(QFile::exists(signaturePath(m_folder->path(), gone, Signature::ReplyEmail)));
}

TEST_F(AccountsTest, SignaturesAreSavedUnderThePrimedIdAndAnUnsavedEditIsLetGo)
{
    int id = 0;
    const int response = runForm(vrt::INSERT_RECORD, 0, [&](AccountForm& f) {
        id = ACC().ID;
        EXPECT_EQ(f.heading()->text(), "Unos novog zapisa");
        fillForm(f, {"Novi", "smtp.novi.hr", false, {}, {}, {}, {}});
        f.signatureKinds()->setCurrentRow(1);
        f.editor()->textEdit()->setPlainText("Odgovor potpis");
        ASSERT_TRUE(f.saveSignature());
        f.signatureKinds()->setCurrentRow(0);
        f.editor()->textEdit()->setPlainText("Lijep pozdrav, Novi");
        f.okButton()->click(); // saves the signature shown
    });
    ASSERT_EQ(response, vrt::REQUEST_COMPLETED);
    ASSERT_GT(id, 0);
    EXPECT_EQ(number("SELECT ID FROM ACCOUNTS WHERE NAZIV = 'Novi'"), id);
    QFile newMail(signaturePath(m_folder->path(), id, Signature::NewEmail));
    ASSERT_TRUE(newMail.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(newMail.readAll()).contains("Lijep pozdrav, Novi"));
    EXPECT_TRUE(signaturePath(m_folder->path(), id, Signature::NewEmail).endsWith(QString("/Documents/Signature/%1_NewEmail.html").arg(id)));

    // An edit not saved with "Spremi" goes when another kind is chosen.
    runForm(vrt::CHANGE_RECORD, id, [&](AccountForm& f) {
        EXPECT_EQ(f.signatureKinds()->currentRow(), 0);
        EXPECT_TRUE(f.editor()->textEdit()->toPlainText().contains("Lijep pozdrav, Novi")) << "loaded at opening";
        f.editor()->textEdit()->setPlainText("nespremljeno");
        f.signatureKinds()->setCurrentRow(1);
        EXPECT_EQ(f.editor()->textEdit()->toPlainText(), "Odgovor potpis");
        f.signatureKinds()->setCurrentRow(0);
        EXPECT_TRUE(f.editor()->textEdit()->toPlainText().contains("Lijep pozdrav, Novi"));
        f.cancelButton()->click();
    });
}

TEST_F(AccountsTest, ACancelledNewAccountLeavesNoRowAndNoSignature)
{
    addAccount("Postojeći", 0);
    QString signature;
    const int response = runForm(vrt::INSERT_RECORD, 0, [&](AccountForm& f) {
        fillForm(f, {"Odustao", "smtp.x.hr", false, {}, {}, {}, {}});
        f.signatureKinds()->setCurrentRow(0);
        f.editor()->textEdit()->setPlainText("Pozdrav");
        ASSERT_TRUE(f.saveSignature());
        signature = signaturePath(m_folder->path(), ACC().ID, Signature::NewEmail);
        EXPECT_TRUE(QFile::exists(signature));
        f.cancelButton()->click();
    });
    EXPECT_EQ(response, vrt::REQUEST_CANCELLED);
    EXPECT_EQ(number("SELECT COUNT(*) FROM ACCOUNTS"), 1);
    EXPECT_FALSE(QFile::exists(signature)) << "no signature of an account that was never kept";
}

TEST_F(AccountsTest, TheWindowStoresTheIntervalAndCharsetInTheDataFolder)
{
    EXPECT_EQ(clampAcceptedMinutes(-5), 1);
    EXPECT_EQ(clampAcceptedMinutes(0), 1);
    EXPECT_EQ(clampAcceptedMinutes(61), 60);
    EXPECT_EQ(clampAcceptedMinutes(7), 7);
    EXPECT_EQ(charsetNames().size(), 76);
    EXPECT_EQ(charsetNames().front(), "us-ascii");
    EXPECT_EQ(charsetNames().back(), "koi8-u");

    struct Case {
        const char* what;
        QString storedCheck;   // "" = none
        QString storedCharset; // "" = none
        int shownMinutes;
        QString shownCharset;
        int typed; // -1: left alone; else typed and accepted
        QString check, charset;
    };
    const Case cases[] = {
        {"first start", "", "", 5, "utf-8", -1, "30000", "utf-8"},
        {"under a minute shows 0 and is stored as 2 minutes", "3000", "windows-1250", 0, "windows-1250", -1, "12000", "windows-1250"},
        {"typed 61 is accepted as 60", "60000", "iso-8859-2", 10, "iso-8859-2", 61, "360000", "iso-8859-2"},
        {"typed 0 is accepted as 1", "60000", "utf-8", 10, "utf-8", 0, "6000", "utf-8"},
        {"a charset the list does not offer is kept", "30000", "x-nepoznat", 5, "x-nepoznat", -1, "30000", "x-nepoznat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vrt::IniFile file(m_folder->file("Standard.ini"));
        file.remove("Email", "Check");
        file.remove("Font", "Email");
        if (!c.storedCheck.isEmpty())
            file.put("Email", "Check", c.storedCheck);
        if (!c.storedCharset.isEmpty())
            file.put("Font", "Email", c.storedCharset);
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* w = qobject_cast<AccountsWindow*>(&d);
            if (!w)
                return 0;
            EXPECT_EQ(w->minutes()->value(), c.shownMinutes);
            EXPECT_EQ(w->charsets()->currentText(), c.shownCharset);
            if (c.typed >= 0) {
                w->minutes()->setValue(c.typed);
                emit w->minutes()->editingFinished();
            }
            w->button("?CLOSE")->click();
            return w->result();
        });
        EXPECT_EQ(T_Accounti(0), vrt::REQUEST_COMPLETED);
        EXPECT_EQ(ini("Email", "Check"), c.check);
        EXPECT_EQ(ini("Font", "Email"), c.charset);
        EXPECT_EQ(mailCheckHundredths(m_folder->path()), c.check.toInt());
    }
}

TEST_F(AccountsTest, PickingAnAccountMakesNoFoldersAndItsCloseAnswersCancelled)
{
    addAccount("Prvi", 0);
    const int second = addAccount("Drugi", 1);
    struct Case {
        const char* button;
        int response;
    };
    for (const Case c : {Case{"?CLOSE", vrt::REQUEST_CANCELLED}, Case{"?SELECT", vrt::REQUEST_COMPLETED}}) {
        SCOPED_TRACE(c.button);
        Access(Tbl::Accounts).clearBuffer();
        testsupport::ScopedDialogRunner runner([&](QDialog& d) {
            auto* w = qobject_cast<AccountsWindow*>(&d);
            EXPECT_TRUE(w->button("?SELECT")->isVisibleTo(w));
            EXPECT_TRUE(w->browse().selectId(qlonglong(second)));
            w->button(c.button)->click();
            return w->result();
        });
        EXPECT_EQ(T_Accounti(1), c.response);
        EXPECT_EQ(GLOBALRESPONSE, c.response);
        if (c.response == vrt::REQUEST_COMPLETED) {
            EXPECT_EQ(ACC().ID, second) << "the account picked is in the buffer";
        }
    }
    EXPECT_EQ(number("SELECT COUNT(*) FROM INBOX"), 0);
}

// A new user's way to mail: an account added in the window, then the mail program's receive
// against a real POP3 server on this machine.
class AccountsReceive : public AccountsTest {
protected:
    static void SetUpTestSuite()
    {
        s.start({QStringLiteral("%u"), false}, [](testsupport::Dovecot& d) {
            d.addUser(QStringLiteral("ana"), QStringLiteral("tajna-lozinka"));
            d.deliver(QStringLiteral("ana"), mailsamples::plainUtf8());
            d.deliver(QStringLiteral("ana"), mailsamples::sized(1, 2000));
        });
    }
    static void TearDownTestSuite() { s.stop(); }
    void SetUp() override
    {
        if (!s.skip.isEmpty())
            GTEST_SKIP() << s.skip.toStdString();
        ASSERT_TRUE(s.error.isEmpty()) << s.error.toStdString();
        AccountsTest::SetUp();
    }
    static inline testsupport::SharedDovecot s;
};

TEST_F(AccountsReceive, AnAccountAddedInTheWindowReceivesMail)
{
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        if (auto* w = qobject_cast<AccountsWindow*>(&d)) {
            w->button("?INSERT")->click();
            EXPECT_EQ(w->browse().model().rowCount(), 1);
            w->button("?CLOSE")->click();
        } else if (auto* f = qobject_cast<AccountForm*>(&d)) {
            fillForm(*f, {"Ana", "smtp.primjer.hr", true, "127.0.0.1", "ana", "tajna-lozinka", QString::number(s.server->port())});
            f->okButton()->click();
        }
        return d.result();
    });
    ASSERT_EQ(T_Accounti(0), vrt::REQUEST_COMPLETED);
    ASSERT_EQ(number("SELECT COUNT(*) FROM INBOX"), 6);
    EXPECT_EQ(query("SELECT POPSSL || '|' || \"DEFAULT\" FROM ACCOUNTS"), std::vector<std::string>{"0|1"});

    QProcess p;
    p.setWorkingDirectory(m_folder->path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setChildProcessModifier([] { ::umask(0); }); // mail stays private whatever the umask
    p.start(testsupport::binDir() + QStringLiteral("/korbelsteen"), {QStringLiteral("/SR")});
    ASSERT_TRUE(p.waitForStarted());
    if (!p.waitForFinished(120000)) {
        p.kill();
        FAIL() << "korbelsteen did not end: " << p.readAll().toStdString();
    }
    const QByteArray output = p.readAll();
    EXPECT_EQ(p.exitCode(), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("tajna-lozinka")) << "the password is never written out";
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL E JOIN INBOX I ON I.ID = E.INBOXID WHERE I.ENNAZIV = 'xInbox_1'"), 2);
    EXPECT_EQ(number("SELECT COUNT(*) FROM EMAIL WHERE SUBJECT = '" + mailsamples::croatian().toStdString() + "'"), 1);
    EXPECT_FALSE(QDir(m_folder->file("Email")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(testsupport::notPrivate(m_folder->file("Email")), QStringList());
}
