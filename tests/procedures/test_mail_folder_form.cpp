// The user's own mail folders (the folder form and the tree's folder commands) and the e-mail
// report, on a small database in a temporary data folder.
#include <gtest/gtest.h>

#include "protocols/MailNames.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/mail/MailDelete.h"
#include "procedures/mail/MailFolderForm.h"
#include "procedures/mail/MailReport.h"
#include "services/Quilvo.h"
#include "runtime/Report.h"
#include "runtime/UpdateDialog.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/FakePop3.h"
#include "tests/support/MailSamples.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

using namespace organiser;

namespace {

const QString Standard = QStringLiteral("Standardni direktorij se ne može mijenjati ili brisati!");
const QString HasSubfolders = QStringLiteral("Direktorij ima poddirektorije i ne može biti obrisan!");

class MailFolders : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        VelmoraDll::InboxQ().clear();
        account = addAccount("Ana", "127.0.0.1", 1); // no server listens on port 1
    }

    // An account with its root and its five standard folders, as the accounts window makes them.
    std::map<std::string, long> addAccount(const char* name, const char* host, int port)
    {
        query(std::string("INSERT INTO Accounts (NAZIV, POPHOSTNAME, POPPORT, POPUSERNAME, POPPASSWORD, POPSSL) VALUES ('")
              + name + "', '" + host + "', '" + std::to_string(port) + "', 'ana', 'x', '0')");
        std::map<std::string, long> f;
        f["account"] = std::stol(query("SELECT MAX(ID) FROM Accounts")[0]);
        long root = 0;
        for (const char* system : {"xInbox", "xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"}) {
            query("INSERT INTO Inbox (ACCOUNTID, NAZIV, ENNAZIV, TATAID, REDOSLIJED) VALUES (" + std::to_string(f["account"])
                  + ", '" + system + "', '" + system + "', " + std::to_string(root) + ", (SELECT COALESCE(MAX(REDOSLIJED), 0) + 1 FROM Inbox))");
            f[system] = std::stol(query("SELECT MAX(ID) FROM Inbox")[0]);
            if (root == 0)
                root = f[system];
        }
        return f;
    }
    long addFolder(const char* name, long parent)
    {
        query("INSERT INTO Inbox (ACCOUNTID, NAZIV, ENNAZIV, TATAID, REDOSLIJED) SELECT ACCOUNTID, '" + std::string(name)
              + "', '', ID, 900 FROM Inbox WHERE ID = " + std::to_string(parent));
        return std::stol(query("SELECT MAX(ID) FROM Inbox")[0]);
    }
    // A mail with its body file and an attachment row and file.
    long addMail(long folder, const std::string& messageId)
    {
        query("INSERT INTO EMAIL (INBOXID, SUBJECT, MESSAGEID, SIZE_DECIMAL) VALUES (" + std::to_string(folder) + ", 'x', '"
              + messageId + "', 0)");
        const long id = std::stol(query("SELECT MAX(ID) FROM EMAIL")[0]);
        query("INSERT INTO EMAILATTACH (IDEMAIL, NAZIV) VALUES (" + std::to_string(id) + ", 'a.txt')");
        QDir().mkpath(m_folder->file("Email/Files"));
        for (const QString& file : files(id, messageId)) {
            QFile f(file);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
        }
        return id;
    }
    QStringList files(long id, const std::string& messageId)
    {
        return {controls::bodyFilePath(m_folder->path(), QString::fromStdString(messageId)),
                controls::attachmentFile(m_folder->file("Email/Files"), id, QStringLiteral("a.txt"))};
    }
    std::string one(const std::string& sql)
    {
        const auto r = query(sql);
        return r.empty() ? std::string() : r[0];
    }
    QStringList messages() { return testsupport::presenter().takeTexts(); }
    // Every folder of the tree has its place in the tree as its order number.
    bool numberedByPlace()
    {
        VelmoraDll::InboxQ().clear();
        renumberMailFolderTree();
        const VelmoraDll::TreeQueue& q = VelmoraDll::InboxQ();
        for (size_t i = 0; i < q.size(); ++i)
            if (one("SELECT REDOSLIJED FROM Inbox WHERE ID = " + std::to_string(q[i].ID)) != std::to_string(i + 1))
                return false;
        return !q.empty();
    }

    std::map<std::string, long> account;
};

// The form answers as the user does: a name and a note and OK, or Prekid.
struct FormAnswer {
    QString name, note;
    bool ok = true;
    QStringList* seen = nullptr; // the form's title and action line
};

testsupport::ScopedDialogRunner answer(FormAnswer a)
{
    return testsupport::ScopedDialogRunner([a](QDialog& d) {
        auto* u = qobject_cast<vrt::UpdateDialog*>(&d);
        if (!u)
            return int(QDialog::Rejected);
        if (a.seen)
            *a.seen << u->titleLabel()->text() << (u->actionLabel()->isVisibleTo(u) ? u->actionLabel()->text() : QString());
        if (!a.name.isNull())
            u->entry("NAZIV")->setText(a.name);
        if (!a.note.isNull())
            u->entry("NAPOMENA")->setText(a.note);
        (a.ok ? u->okButton() : u->cancelButton())->click();
        return d.result();
    });
}

} // namespace

TEST_F(MailFolders, FolderCommandsOnStandardAndUserFolders)
{
    // The tree: the folder it is told is selected, the forms opened, the folder shown last.
    struct Tree : MailFolderCommands::Side {
        explicit Tree(QString folder) : dataFolder(std::move(folder)) {}
        QString dataFolder;
        long selectedId = 0, shown = -1;
        int opened = 0;
        long selected() override { return selectedId; }
        int form(long parent, std::optional<long> acc) override
        {
            ++opened;
            return F_Inbox(parent, acc, dataFolder);
        }
        void changed(long show) override
        {
            shown = show;
            renumberMailFolderTree();
        }
    } tree(m_folder->path());
    long& selected = tree.selectedId;
    long& shown = tree.shown;
    int& opened = tree.opened;
    MailFolderCommands commands(tree);
    const auto folders = [&] { return count("Inbox"); };
    const int before = folders();

    // Insert under the inbox: a user folder of the same account, below it, renumbered.
    selected = account["xInbox_1"];
    QStringList seen;
    {
        auto r = answer({QStringLiteral("Projekti"), QStringLiteral("Sve o projektima"), true, &seen});
        EXPECT_EQ(commands.run(MailFolderCommands::Insert), vrt::REQUEST_COMPLETED);
    }
    EXPECT_EQ(seen, QStringList({"Unos novog zapisa", ""}));
    const long made = std::stol(one("SELECT MAX(ID) FROM Inbox"));
    EXPECT_EQ(shown, made) << "the tree shows the new folder";
    EXPECT_EQ(one("SELECT ACCOUNTID || '|' || TATAID || '|' || COALESCE(ENNAZIV, '') || '|' || NAZIV || '|' || NAPOMENA "
                  "FROM Inbox WHERE ID = " + std::to_string(made)),
              std::to_string(account["account"]) + "|" + std::to_string(account["xInbox_1"]) + "||Projekti|Sve o projektima");
    EXPECT_TRUE(numberedByPlace());
    const std::string place = one("SELECT REDOSLIJED FROM Inbox WHERE ID = " + std::to_string(made));
    EXPECT_EQ(place, std::to_string(3)) << "right after the inbox it hangs from";

    // A folder needs a name: the form stays open (the runner then leaves it with Prekid).
    {
        testsupport::ScopedDialogRunner r([](QDialog& d) {
            auto* u = qobject_cast<vrt::UpdateDialog*>(&d);
            u->entry("NAZIV")->setText(QStringLiteral("  "));
            u->okButton()->click();
            EXPECT_FALSE(d.result() == QDialog::Accepted);
            u->cancelButton()->click();
            return d.result();
        });
        EXPECT_EQ(commands.run(MailFolderCommands::Insert), vrt::REQUEST_CANCELLED);
    }
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Upišite naziv direktorija!")});

    // Prekid on a new folder leaves nothing behind.
    {
        auto r = answer({QStringLiteral("Nista"), {}, false});
        EXPECT_EQ(commands.run(MailFolderCommands::Insert), vrt::REQUEST_CANCELLED);
    }
    EXPECT_EQ(folders(), before + 1);

    // Change and delete refuse the account's root and its standard folders, before any form.
    opened = 0;
    for (const char* system : {"xInbox", "xInbox_1", "xSent_1", "xDraft_1", "xDeleted_1", "xJunk_1"})
        for (auto c : {MailFolderCommands::Change, MailFolderCommands::Delete}) {
            SCOPED_TRACE(std::string(system) + (c == MailFolderCommands::Change ? " change" : " delete"));
            selected = account[system];
            EXPECT_EQ(commands.run(c), 0);
            EXPECT_EQ(messages(), QStringList{Standard});
        }
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(folders(), before + 1);

    // The user's own folder changes.
    selected = made;
    {
        auto r = answer({QStringLiteral("Posao"), QStringLiteral(""), true});
        EXPECT_EQ(commands.run(MailFolderCommands::Change), vrt::REQUEST_COMPLETED);
    }
    EXPECT_EQ(one("SELECT NAZIV || '|' || COALESCE(NAPOMENA, '') || '|' || TATAID FROM Inbox WHERE ID = " + std::to_string(made)),
              "Posao||" + std::to_string(account["xInbox_1"]));

    // A folder with a subfolder stays, and says why.
    const long sub = addFolder("Stari", made);
    opened = 0;
    EXPECT_EQ(commands.run(MailFolderCommands::Delete), 0);
    EXPECT_EQ(messages(), QStringList{HasSubfolders});
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(one("SELECT COUNT(*) FROM Inbox WHERE ID IN (" + std::to_string(made) + ", " + std::to_string(sub) + ")"), "2");

    // The subfolder goes with its mail (sent copies: nothing to ask a server), files and all;
    // the tree then shows its parent.
    const long kept = addMail(account["xInbox_1"], "202612110101");
    const std::vector<long> mails = {addMail(sub, "202612110102"), addMail(sub, "202612110103")};
    selected = sub;
    seen.clear();
    {
        auto r = answer({{}, {}, true, &seen});
        EXPECT_EQ(commands.run(MailFolderCommands::Delete), vrt::REQUEST_COMPLETED);
    }
    EXPECT_EQ(seen, QStringList({"BRISANJE zapisa", "S direktorijem se nepovratno brišu i njegovi emailovi: 2"}));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(shown, made);
    EXPECT_EQ(one("SELECT COUNT(*) FROM Inbox WHERE ID = " + std::to_string(sub)), "0");
    for (long id : mails) {
        EXPECT_EQ(one("SELECT COUNT(*) FROM EMAIL WHERE ID = " + std::to_string(id)), "0");
        EXPECT_EQ(one("SELECT COUNT(*) FROM EMAILATTACH WHERE IDEMAIL = " + std::to_string(id)), "0");
    }
    for (const QString& f : files(mails[0], "202612110102") + files(mails[1], "202612110103"))
        EXPECT_FALSE(QFile::exists(f)) << f.toStdString();
    EXPECT_EQ(one("SELECT COUNT(*) FROM EMAILATTACH WHERE IDEMAIL = " + std::to_string(kept)), "1") << "other mail stays";
    for (const QString& f : files(kept, "202612110101"))
        EXPECT_TRUE(QFile::exists(f)) << f.toStdString();
    EXPECT_TRUE(numberedByPlace());

    // Nothing selected: nothing happens.
    selected = 0;
    opened = 0;
    for (auto c : {MailFolderCommands::Insert, MailFolderCommands::Change, MailFolderCommands::Delete})
        EXPECT_EQ(commands.run(c), 0);
    EXPECT_EQ(opened, 0);
}

TEST_F(MailFolders, ReceivedMailGoesOnTheServerFirstAndAFolderWhoseMailTheServerKeptStays)
{
    testsupport::FakePop3 server;
    server.addMessage(QStringLiteral("uidl-1"), mailsamples::plainUtf8());
    ASSERT_TRUE(server.start());
    auto online = addAccount("Ivo", "127.0.0.1", server.port());

    using B = testsupport::FakePop3::Behaviour;
    struct Case {
        const char* what;
        std::map<std::string, long>* owner;
        B behaviour;
        bool gone;       // the folder and its mail
        bool deleteSent; // DELE went to the server
        bool held;       // the server still has the mail afterwards
    };
    // A server that answers DELE but refuses QUIT deletes nothing: the mail stays here too, or
    // the next receive would bring it back.
    for (const Case& c : {Case{"server refuses to end the session", &online, B::RefuseQuit, false, true, true},
                          Case{"server holds the mail", &online, B::Normal, true, true, false},
                          Case{"server unreachable", &account, B::Normal, false, false, false}}) {
        SCOPED_TRACE(c.what);
        server.setBehaviour(c.behaviour);
        const long folder = addFolder("Arhiva", (*c.owner)["xInbox_1"]);
        const std::string stored = controls::storedMessageId(int((*c.owner)["account"]), QStringLiteral("uidl-1")).toStdString();
        const long mail = addMail(folder, stored);
        const qsizetype heard = server.commands().size();
        const QString why = deleteMailFolder(folder, m_folder->path());
        EXPECT_EQ(why.isEmpty(), c.gone) << why.toStdString();
        EXPECT_EQ(one("SELECT COUNT(*) FROM Inbox WHERE ID = " + std::to_string(folder)), c.gone ? "0" : "1");
        EXPECT_EQ(one("SELECT COUNT(*) FROM EMAIL WHERE ID = " + std::to_string(mail)), c.gone ? "0" : "1");
        for (const QString& f : files(mail, stored))
            EXPECT_EQ(QFile::exists(f), !c.gone) << f.toStdString();
        EXPECT_EQ(server.commands().mid(heard).contains(QStringLiteral("DELE 1")), c.deleteSent);
        EXPECT_EQ(server.held().contains(QStringLiteral("uidl-1")), c.held);
        if (c.behaviour == B::RefuseQuit) {
            EXPECT_TRUE(why.contains(VelmoraDll::translator().QVSTR(
                QStringLiteral("Poslužitelj nije potvrdio kraj veze, pa brisanje nije provedeno."))))
                << why.toStdString();
        }
        // What stayed makes way for the next case's mail of the same id.
        query("DELETE FROM EMAIL WHERE ID = " + std::to_string(mail));
        query("DELETE FROM Inbox WHERE ID = " + std::to_string(folder));
    }
    // Neither standard folders nor parents of subfolders go, whoever asks.
    EXPECT_EQ(deleteMailFolder(account["xJunk_1"], m_folder->path()), Standard);
    addFolder("Dijete", addFolder("Roditelj", account["xInbox_1"]));
    const long parent = std::stol(one("SELECT TATAID FROM Inbox WHERE NAZIV = 'Dijete'"));
    EXPECT_EQ(deleteMailFolder(parent, m_folder->path()), HasSubfolders);
}

// ---- the e-mail report ----------------------------------------------------------------------

namespace {

QString pdfText(const QString& pdf, int page)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                                          QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST_F(MailFolders, TheEmailReportPrintsTheHeaderOnEveryPageAndTheBodyAcrossPages)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QStringList lines;
    for (int i = 1; i <= 90; ++i)
        lines << QStringLiteral("Redak %1 tijela poruke s kvačicama čćž").arg(i, 3, 10, QLatin1Char('0'));
    const std::string body = lines.join(QStringLiteral("\r\n")).toStdString();
    query("INSERT INTO EMAIL (INBOXID, SUBJECT, TOADDR, REPLYTO, DATUM, VRIJEME, BODY, MESSAGEID, SIZE_DECIMAL) VALUES ("
          + std::to_string(account["xInbox_1"]) + ", 'Ponuda za ožujak', 'marko@primjer.hr', 'posiljatelj@primjer.hr', '2026-03-05', "
          "'14:30:00', '" + body + "', 'm1', 0)");
    const long id = std::stol(one("SELECT MAX(ID) FROM EMAIL"));
    query("INSERT INTO EMAIL (INBOXID, SUBJECT, TOADDR, MESSAGEID, SIZE_DECIMAL) VALUES (" + std::to_string(account["xInbox_1"])
          + ", 'Bez teksta', 'ana@primjer.hr', 'm2', 0)");
    const long empty = std::stol(one("SELECT MAX(ID) FROM EMAIL"));

    vrt::Report report;
    buildEmailReport(report, id, {});
    ASSERT_GE(report.pageCount(), 2) << "90 lines do not fit on one page";
    const QString pdf = m_folder->file("email.pdf");
    ASSERT_TRUE(report.writePdf(pdf));
    QString all;
    for (int page = 1; page <= report.pageCount(); ++page) {
        SCOPED_TRACE(page);
        const QString text = pdfText(pdf, page);
        for (const char* header : {"Naslov:", "Ponuda za ožujak", "Prima:", "marko@primjer.hr"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(header))) << header;
        EXPECT_TRUE(text.contains(QLocale().toString(QDate(2026, 3, 5), QLocale::ShortFormat)));
        EXPECT_TRUE(text.contains(QLocale().toString(QTime(14, 30), QLocale::ShortFormat)));
        EXPECT_FALSE(text.contains(QStringLiteral("posiljatelj"))) << "no sender";
        all += text;
    }
    EXPECT_TRUE(pdfText(pdf, 1).contains(QStringLiteral("Redak 001")));
    EXPECT_FALSE(pdfText(pdf, 1).contains(QStringLiteral("Redak 090")));
    EXPECT_TRUE(pdfText(pdf, report.pageCount()).contains(QStringLiteral("Redak 090 tijela poruke s kvačicama čćž")));
    for (const QString& line : lines)
        EXPECT_TRUE(all.contains(line)) << line.toStdString() << ": every line once, none lost at a page break";

    // A mail without text prints its header; no mail prints nothing.
    buildEmailReport(report, empty, {});
    EXPECT_EQ(report.pageCount(), 1);
    EXPECT_TRUE(report.pageTexts(0).contains(QStringLiteral("Bez teksta")));
    EXPECT_FALSE(buildEmailReport(report, 0, {}));
    EXPECT_EQ(report.pageCount(), 0);
    // Asked with no mail, the report opens no empty preview and says why.
    {
        testsupport::presenter().clear();
        int previews = 0;
        testsupport::ScopedDialogRunner none([&](QDialog&) { return ++previews, int(QDialog::Rejected); });
        R_Email(0, {});
        EXPECT_EQ(previews, 0);
        const auto said = testsupport::presenter().calls("message");
        ASSERT_EQ(said.size(), 1u);
        EXPECT_EQ(said[0].text, QStringLiteral("Odaberite email koji želite ispisati."));
        testsupport::presenter().clear();
    }

    // The preview opens maximised at real size, translated.
    bool checked = false;
    testsupport::ScopedDialogRunner runner([&](QDialog& d) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
        auto* view = preview ? preview->findChild<QPrintPreviewWidget*>() : nullptr;
        EXPECT_NE(view, nullptr);
        if (view) {
            EXPECT_EQ(view->zoomMode(), QPrintPreviewWidget::CustomZoom);
            EXPECT_DOUBLE_EQ(view->zoomFactor(), 1.0);
            EXPECT_TRUE(d.windowState() & Qt::WindowMaximized);
            EXPECT_EQ(d.windowTitle(), QStringLiteral("[Email]"));
            checked = true;
            if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
                d.resize(1200, 900);
                d.show();
                QApplication::processEvents();
                d.grab().save(out + QStringLiteral("/email-report-preview.png"));
            }
        }
        return int(QDialog::Rejected);
    });
    R_Email(id, [](const QString& t) { return t == QLatin1String("Email") ? QStringLiteral("[Email]") : t; });
    EXPECT_TRUE(checked);
}

// A long word has no place to wrap: it is broken, not cut off at the margin.
TEST(ReportText, ALongWordIsBrokenAcrossLines)
{
    vrt::Report report;
    const QString word = QString(400, QLatin1Char('w'));
    report.printText(QStringLiteral("prije\n\n") + word, QFont(QStringLiteral("Tahoma"), 10), 180);
    const QStringList texts = report.pageTexts(0);
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts[0], QStringLiteral("prije"));
    EXPECT_EQ(texts[1], QString()) << "the blank line stays";
    EXPECT_EQ(texts.mid(2).join(QString()), word);
}
