// The organiser window as velmora opens it: W_First over a small sample database, with only
// the message presenter replaced, driven as a user would. Each menu entry and ribbon command
// either does its work in the database or answers the one "not available" message.
#include <gtest/gtest.h>

#include "controls/Controls.h"
#include "protocols/MailNames.h"
#include "controls/OrganiserControls.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/finance/FinanceExports.h"
#include "procedures/common/Tornavellic.h"
#include "procedures/common/TranslationRefresh.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/lists/ListWidgets.h"
#include "procedures/mail/MailPane.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "runtime/Notify.h"
#include "runtime/Report.h"
#include "runtime/UpdateDialog.h"
#include "services/Quilvo.h"
#include "tests/procedures/OrganiserFixture.h"
#include "tests/support/ShippedTranslations.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDeadlineTimer>
#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTextDocument>
#include <QTreeView>

using namespace organiser;
using testsupport::presenter;

namespace {

using WorkbookOpener = testsupport::ScopedValue<std::function<bool(const QString&)>>;

using testsupport::waitFor;

const QString NotAvailable = QStringLiteral("Ovaj dio programa još nije dostupan.");

class AssembledWindow : public OrganiserListsTest {
protected:
    void SetUp() override
    {
        OrganiserListsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        sample = fill();
        clearTreeQueues();
        // Some unread mail in the inbox the mail page opens on.
        query("UPDATE EMAIL SET READ = 0 WHERE INBOXID = " + std::to_string(sample.inboxId) + " AND ID % 3 = 0");
        controls::registerBuiltInControls();
    }
    void TearDown() override
    {
        window.reset();
        OrganiserListsTest::TearDown();
    }
    // As the frame opens it.
    void open()
    {
        window.reset(organiser::W_First(vrt::registerReceiver(new QObject(qApp)), nullptr));
        ASSERT_TRUE(window);
        panes = window->findChild<OrganiserPanes*>();
        ASSERT_NE(panes, nullptr);
        window->resize(1300, 800);
        window->show();
        ASSERT_TRUE(waitFor([this] { return window->hosted().gantt != nullptr; })) << "the first display";
        presenter().clear();
    }
    // The ribbon's page, as the frame notifies it.
    void showPage(int page)
    {
        vrt::notify(window->receiverId(), 2, page);
        ASSERT_TRUE(waitFor([&] { return window->shownPage() == page; }));
        QApplication::processEvents();
    }
    // A ribbon command, as the window takes the frame's notification: it is pending until
    // the dispatcher has run it.
    void command(int code)
    {
        window->manager().takeNotify(1, code);
        ASSERT_EQ(window->pendingCommand(), code);
        ASSERT_TRUE(waitFor([&] { return window->pendingCommand() == 0; }));
        QApplication::processEvents();
    }
    OrganiserList& list(int control) { return panes->lists().list(control); }
    void clickRow(int control, int row)
    {
        OrganiserListView* view = panes->view(control);
        view->scrollTo(view->model()->index(row, 3));
        const QRect cell = view->visualRect(view->model()->index(row, 3));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    int row(OrganiserList& l, const char* field, const QString& value)
    {
        for (int r = 0; r < l.rowCount(); ++r)
            if (l.cell(field, r) == value)
                return r;
        return -1;
    }
    std::string one(const std::string& sql)
    {
        const auto r = query(sql);
        return r.empty() ? std::string() : r[0];
    }
    QStringList messages()
    {
        QStringList out;
        for (const auto& c : presenter().calls())
            out << c.text;
        return out;
    }
    organiser::SampleResult sample;
    std::unique_ptr<OrganiserWindow> window;
    OrganiserPanes* panes = nullptr;
};

} // namespace

// Every routine and form the window can call has a feature behind it: a name listed here
// would tell the user "not available" for a part that exists (a debug build stops at start).
TEST_F(AssembledWindow, EveryRoutineAndFormNameHasSomethingAttached)
{
    open();
    ASSERT_NE(window->routineTable(), nullptr);
    ASSERT_NE(window->formTable(), nullptr);
    EXPECT_EQ(unattachedNames(*window->routineTable(), *window->formTable()), QStringList());
}

// The names the menus and buttons give as text are the table's, and no two names collide.
TEST(ProcedureNames, EveryNameResolvesToItself)
{
    for (int i = 0; i < routineCount; ++i)
        EXPECT_EQ(routineNamed(nameOf(Routine(i))), std::optional<Routine>(Routine(i))) << nameOf(Routine(i)).toStdString();
    for (int i = 0; i < formCount; ++i)
        EXPECT_EQ(formNamed(nameOf(Form(i))), std::optional<Form>(Form(i))) << nameOf(Form(i)).toStdString();
    EXPECT_EQ(routineNamed(u"MoveUpVrX"), std::nullopt);
    EXPECT_EQ(formNamed(u"F_Kontakt"), std::nullopt);
}

TEST_F(AssembledWindow, ASelectedMailIsInTheBufferAndReadAfterTheDelay)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
    const int unread = row(mails, "EM:READ", "0");
    ASSERT_GE(unread, 0);
    const QString id = mails.cell("EM:ID", unread);
    EXPECT_TRUE(mails.model().data(mails.model().index(unread, 3), Qt::FontRole).value<QFont>().bold()) << "unread is bold";

    clickRow(ctl::Email, unread);
    EXPECT_EQ(QString::number(EM().ID), id) << "a left click loads the mail";
    EXPECT_EQ(one("SELECT READ FROM EMAIL WHERE ID = " + id.toStdString()), "0") << "not at once";
    ASSERT_TRUE(waitFor([&] { return one("SELECT READ FROM EMAIL WHERE ID = " + id.toStdString()) == "1"; }))
        << "read after the delay";
    ASSERT_TRUE(waitFor([&] {
        const int r = row(mails, "EM:ID", id);
        return r >= 0 && !mails.model().data(mails.model().index(r, 3), Qt::FontRole).value<QFont>().bold();
    })) << "and no longer bold";
}

TEST_F(AssembledWindow, AMailMarkedUnreadStaysUnreadWhileItIsShown)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 1; }));
    const int readRow = row(mails, "EM:READ", "1");
    ASSERT_GE(readRow, 0);
    clickRow(ctl::Email, readRow);
    const std::string id = mails.cell("EM:ID").toStdString();
    const auto readMark = [&] { return one("SELECT READ FROM EMAIL WHERE ID = " + id); };
    for (const auto& item : panes->menus().menu(Popup::Mail).items())
        if (item.text == QStringLiteral("Označi kao nepročitano"))
            item.action();
    ASSERT_EQ(readMark(), "0");
    // Several read-mark cycles pass (counted out here; the window's timer adds its own).
    window->heartbeat().advance(3 * Heartbeat::ReadMarkCycle);
    QApplication::processEvents();
    EXPECT_EQ(readMark(), "0") << "the read mark gives the user's choice back";
    ASSERT_TRUE(waitFor([&] {
        const int r = row(mails, "EM:ID", QString::fromStdString(id));
        return r >= 0 && mails.model().data(mails.model().index(r, 3), Qt::FontRole).value<QFont>().bold();
    })) << "and the row is bold again";
    // Shown again after another mail, it is read after the delay as any other.
    clickRow(ctl::Email, readRow == 0 ? 1 : 0);
    clickRow(ctl::Email, row(mails, "EM:ID", QString::fromStdString(id)));
    EXPECT_TRUE(waitFor([&] { return readMark() == "1"; }));
}

// The folder tree's labels as the window shows them and as the database says they should be.
struct FolderLabels {
    OrganiserPanes* panes;
    std::function<std::string(const std::string&)> one;
    QString shown(long id) const
    {
        auto* model = qobject_cast<VelmoraDll::TreeQueueModel*>(panes->tree(tree::MailFolders)->model());
        for (int p = 0; p < int(model->queue().size()); ++p)
            if (model->queue()[size_t(p)].ID == id)
                return model->data(model->indexOfPosition(p)).toString();
        return {};
    }
    QString expected(long id) const
    {
        const std::string folder = std::to_string(id);
        const QString name = QString::fromStdString(one("SELECT NAZIV FROM Inbox WHERE ID = " + folder));
        const std::string unread = one("SELECT COUNT(*) FROM EMAIL WHERE READ = 0 AND INBOXID = " + folder);
        return unread == "0" ? name : name + " (" + QString::fromStdString(unread) + ")";
    }
};

TEST_F(AssembledWindow, TheMailPageShowsCountsHeaderAttachmentsAndTheBodyAndTheCountDropsAfterReading)
{
    // An unread mail of the inbox with an attachment, a body file and no text body yet.
    const std::string inbox = std::to_string(sample.inboxId);
    const std::string mail = one("SELECT MIN(ID) FROM EMAIL WHERE READ = 0 AND INBOXID = " + inbox);
    query("UPDATE EMAIL SET BODY = '', TOO = 'ivan@primjer.hr' WHERE ID = " + mail);
    const QString data = m_folder->path();
    const QString files = data + "/Email/Files";
    ASSERT_TRUE(QDir().mkpath(files));
    QFile body(controls::bodyFilePath(data, QString::fromStdString(one("SELECT MESSAGEID FROM EMAIL WHERE ID = " + mail))));
    ASSERT_TRUE(body.open(QIODevice::WriteOnly));
    body.write("<html><body><p>Dobar dan,</p><p>ponuda je u prilogu.</p></body></html>");
    body.close();
    const QString attachment = QStringLiteral("Ponuda (1).pdf");
    query("INSERT INTO EMAILATTACH (IDEMAIL, NAZIV) VALUES (" + mail + ", 'Ponuda (1).pdf')");
    const QString file = controls::attachmentFile(files, std::stol(mail), attachment);
    QFile stored(file);
    ASSERT_TRUE(stored.open(QIODevice::WriteOnly));
    stored.close();

    open();
    showPage(2);
    const FolderLabels labels{panes, [this](const std::string& sql) { return one(sql); }};
    const QString unread = labels.expected(sample.inboxId);
    ASSERT_TRUE(unread.startsWith(QStringLiteral("Ulazna pošta ("))) << unread.toStdString();
    ASSERT_TRUE(waitFor([&] { return labels.shown(sample.inboxId) == unread; })) << labels.shown(sample.inboxId).toStdString();
    auto* tree = qobject_cast<VelmoraDll::TreeQueueModel*>(panes->tree(tree::MailFolders)->model());
    for (int p = 0; p < int(tree->queue().size()); ++p) {
        const VelmoraDll::TreeRow& r = tree->queue()[size_t(p)];
        EXPECT_EQ(labels.shown(r.ID), labels.expected(r.ID)) << "every folder";
        EXPECT_FALSE(tree->data(tree->indexOfPosition(p), Qt::DecorationRole).value<QIcon>().isNull()) << "icon of " << r.ENNAZIV.toStdString();
    }

    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return row(mails, "EM:ID", QString::fromStdString(mail)) >= 0; }));
    clickRow(ctl::Email, row(mails, "EM:ID", QString::fromStdString(mail)));
    auto* header = qobject_cast<controls::MessageHeaderPanel*>(window->hosted().headerPanel);
    ASSERT_NE(header, nullptr);
    const auto caption = [&](int item) { return qobject_cast<QLabel*>(header->item(item))->text(); };
    ASSERT_TRUE(waitFor([&] { return caption(1) == QString::fromStdString(one("SELECT SUBJECT FROM EMAIL WHERE ID = " + mail)); }));
    EXPECT_EQ(caption(2), QString::fromStdString(one("SELECT REPLYTO FROM EMAIL WHERE ID = " + mail)));
    EXPECT_TRUE(caption(3).startsWith(QStringLiteral("Sent :"))) << caption(3).toStdString();
    EXPECT_EQ(caption(4), QStringLiteral("To :ivan@primjer.hr"));
    // The strip lists the attachment; its link opens the stored file.
    EXPECT_TRUE(QFileInfo::exists(files + "/Image_" + QString::fromStdString(mail) + ".html"));
    auto* strip = qobject_cast<controls::PreviewBrowser*>(window->hosted().attachments);
    ASSERT_NE(strip, nullptr);
    ASSERT_TRUE(header->item(5)->isVisible());
    QTextCursor at = strip->document()->find(attachment);
    ASSERT_FALSE(at.isNull()) << strip->toPlainText().toStdString();
    at.setPosition(at.selectionStart() + 3);
    QList<QUrl> opened;
    const testsupport::ScopedValue<std::function<bool(const QUrl&)>> opener(attachmentOpener(), [&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->cursorRect(at).center());
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(file)});
    EXPECT_TRUE(messages().isEmpty());
    // A file gone since is not handed on; the user learns why.
    QFile::remove(file);
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->cursorRect(at).center());
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Privitak nije pronađen.\n") + file});
    presenter().clear();
    // The empty text body is filled from the preview.
    EXPECT_EQ(one("SELECT BODY FROM EMAIL WHERE ID = " + mail), "Dobar dan,\nponuda je u prilogu.");

    // Read after the delay: the inbox's count drops by one.
    ASSERT_TRUE(waitFor([&] { return one("SELECT READ FROM EMAIL WHERE ID = " + mail) == "1"; }));
    EXPECT_NE(labels.expected(sample.inboxId), unread);
    EXPECT_TRUE(waitFor([&] { return labels.shown(sample.inboxId) == labels.expected(sample.inboxId); }))
        << labels.shown(sample.inboxId).toStdString();
}

TEST_F(AssembledWindow, TheSentFolderShowsItsRecipientsAndCountsFollowMailThatMoves)
{
    const std::string account = "(SELECT ACCOUNTID FROM Inbox WHERE ID = " + std::to_string(sample.inboxId) + ")";
    const long sent = std::stol(one("SELECT ID FROM Inbox WHERE ENNAZIV = 'xSent_1' AND ACCOUNTID = " + account));
    const long junk = std::stol(one("SELECT ID FROM Inbox WHERE ENNAZIV = 'xJunk_1' AND ACCOUNTID = " + account));
    query("INSERT INTO EMAIL (INBOXID, SUBJECT, TOO, CC, BCC, READ, MESSAGEID) VALUES (" + std::to_string(sent)
          + ", 'Poslana ponuda', 'a@primjer.hr', 'b@primjer.hr', 'c@primjer.hr', 1, 'sent-1')");
    open();
    showPage(2);
    const FolderLabels labels{panes, [this](const std::string& sql) { return one(sql); }};
    const auto select = [&](long folder) {
        const VelmoraDll::TreeQueue& q = VelmoraDll::InboxQ();
        for (size_t p = 0; p < q.size(); ++p)
            if (q[p].ID == folder)
                panes->selectTreeRow(tree::MailFolders, int(p) + 1);
    };
    OrganiserList& mails = list(ctl::Email);
    select(sent);
    ASSERT_TRUE(waitFor([&] { return row(mails, "EM:SUBJECT", QStringLiteral("Poslana ponuda")) >= 0; }));
    QHeaderView* columns = panes->view(ctl::Email)->horizontalHeader();
    EXPECT_EQ(columns->sectionSize(1), 0) << "no sender column in Sent";
    EXPECT_GT(columns->sectionSize(2), 0) << "the recipients instead";
    clickRow(ctl::Email, row(mails, "EM:SUBJECT", QStringLiteral("Poslana ponuda")));
    auto* header = qobject_cast<controls::MessageHeaderPanel*>(window->hosted().headerPanel);
    EXPECT_TRUE(waitFor([&] {
        return qobject_cast<QLabel*>(header->item(4))->text() == QStringLiteral("To/Cc/Bcc :a@primjer.hr b@primjer.hr c@primjer.hr");
    }));
    EXPECT_FALSE(header->item(5)->isVisible()) << "no attachments, no strip";

    // An unread mail marked as junk takes its count along.
    select(sample.inboxId);
    ASSERT_TRUE(waitFor([&] { return row(mails, "EM:READ", "0") >= 0; }));
    EXPECT_GT(columns->sectionSize(1), 0) << "the sender column is back";
    clickRow(ctl::Email, row(mails, "EM:READ", "0"));
    const QString inboxBefore = labels.expected(sample.inboxId), junkBefore = labels.expected(junk);
    for (const auto& item : panes->menus().menu(Popup::Mail).items())
        if (item.text == QStringLiteral("Označi kao smeće"))
            item.action();
    EXPECT_NE(labels.expected(junk), junkBefore);
    EXPECT_TRUE(waitFor([&] {
        return labels.shown(junk) == labels.expected(junk) && labels.shown(sample.inboxId) == labels.expected(sample.inboxId);
    })) << labels.shown(junk).toStdString() << " / " << labels.shown(sample.inboxId).toStdString();
    EXPECT_NE(labels.shown(sample.inboxId), inboxBefore);
}

TEST_F(AssembledWindow, MailTheMailProgramAddsAppearsInTheList)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
    // As korbelsteen writes it: its own connection, its own insert.
    vrt::odbc::Connection other;
    ASSERT_TRUE(other.open(GLO::OWNER));
    vrt::odbc::Statement s(other);
    ASSERT_TRUE(s.execDirect("INSERT INTO EMAIL (INBOXID, SUBJECT, MESSAGEID, READ, DATUM, VRIJEME) "
                             "SELECT INBOXID, 'Stigla nova pošta', 'new@korbelsteen', 0, DATUM, VRIJEME "
                             "FROM EMAIL WHERE INBOXID = " + std::to_string(sample.inboxId) + " LIMIT 1"))
        << s.error().text;
    EXPECT_TRUE(waitFor([&] { return row(mails, "EM:SUBJECT", QStringLiteral("Stigla nova pošta")) >= 0; }));
}

TEST_F(AssembledWindow, EveryMenuEntryAndCommandDoesItsWorkOrSaysItIsNotThere)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
    const auto unreadInInbox = [&] {
        return one("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + std::to_string(sample.inboxId) + " AND READ = 0");
    };
    const int readRow = row(mails, "EM:READ", "1");
    ASSERT_GE(readRow, 0);
    clickRow(ctl::Email, readRow);
    const std::string selected = mails.cell("EM:ID").toStdString();
    const int contacts = count("CON_Contacts"), tasks = count("CAL_CalendarEvents"), folders = count("Inbox");
    QStringList printed;
    const testsupport::ScopedHook<vrt::Report::PreviewRunner> preview(&vrt::Report::setPreviewRunner, [&printed](vrt::Report& r) {
        printed = r.pageTexts(0);
        return false;
    });
    const std::string account = "(SELECT ACCOUNTID FROM Inbox WHERE ID = " + std::to_string(sample.inboxId) + ")";
    const auto folder = [&](const char* system) {
        return one("SELECT ID FROM Inbox WHERE ACCOUNTID = " + account + " AND ENNAZIV = '" + system + "'");
    };
    const auto inDeleted = [&] { return std::stoi(one("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + folder("xDeleted_1"))); };
    int deleted = inDeleted();
    // Each delete moves one more mail, the one selected then, into the Deleted folder.
    const auto oneMoreDeleted = [&] {
        const int now = inDeleted();
        return now == std::exchange(deleted, now) + 1;
    };

    struct Case {
        Popup menu;       // entries of a context menu...
        const char* entry;
        int code;         // ...or a ribbon command (menu ignored)
        std::function<bool()> done; // its effect; none: the "not available" message
    };
    const auto entry = [](Popup p, const char* text, std::function<bool()> done = {}) { return Case{p, text, 0, std::move(done)}; };
    const auto ribbon = [](int code, std::function<bool()> done = {}) { return Case{Popup::Mail, nullptr, code, std::move(done)}; };
    // A built form or routine opens (the test's dialog runner closes it) and says nothing.
    const auto built = [] { return true; };
    const auto refused = [&] {
        const bool said = messages() == QStringList{QStringLiteral("Standardni direktorij se ne može mijenjati ili brisati!")};
        presenter().clear();
        return said;
    };
    const std::vector<Case> cases = {
        entry(Popup::Mail, "Označi kao nepročitano",
              [&] { return one("SELECT READ FROM EMAIL WHERE ID = " + selected) == "0"; }),
        entry(Popup::MailFolders, "Označi sve pročitano", [&] { return unreadInInbox() == "0"; }),
        entry(Popup::Mail, "Dodaj u kontakte", built),
        entry(Popup::Mail, "Dodaj u zadatke", built),
        ribbon(2007, [&] { // the e-mail report of the selected mail
            return printed.contains(QStringLiteral("Naslov:")) && printed.contains(mails.cell("EM:SUBJECT"));
        }),
        entry(Popup::Mail, "Označi kao smeće", [&] {
            return one("SELECT INBOXID FROM EMAIL WHERE ID = " + selected) == folder("xJunk_1")
                && one("SELECT JUNKDOMAIN = REPLYTO FROM EMAIL WHERE ID = " + selected) == "1";
        }),
        entry(Popup::Mail, "Obriši email", oneMoreDeleted),
        // The folder form opens; the test's runner cancels it and no folder is left.
        entry(Popup::MailFolders, "Novi poddirektorij",
              [&] { return count("Inbox") == folders && testsupport::modalLog().contains("vrt::UpdateDialog"); }),
        // The inbox the tree shows is a standard folder.
        entry(Popup::MailFolders, "Izmjena", [&] { return refused(); }),
        entry(Popup::MailFolders, "Brisanje", [&] { return refused(); }),
        entry(Popup::FinanceCategories, "Unos poddirektorija", built),
        entry(Popup::Calendar, "Unos novog zadatka", built),
        entry(Popup::Calendar, "Ispis", built),
        entry(Popup::Calendar, "Osvježi", built),
        ribbon(1003, built), // new task
        ribbon(1010, built), // settings
        ribbon(1011, built), // accounts
        ribbon(1015, built), // new contact
        ribbon(2006, oneMoreDeleted), // delete mail
        // The inbox the tree shows: all its mail goes to Deleted.
        entry(Popup::MailFolders, "Isprazni direktorij", [&] {
            return one("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + std::to_string(sample.inboxId)) == "0"
                && inDeleted() == deleted + sample.inboxMails - 3;
        }),
        ribbon(4004, built), // calendar refresh
        ribbon(4005, built), // calendar print
        ribbon(6005, built), // the state chart
        ribbon(6999, built), // print of the finance page shown
        ribbon(6998, [&] { return !QDir(m_folder->file("Excel")).entryList({"*.xlsx"}).isEmpty(); }), // its Excel export
        ribbon(5013, [&] { return QFileInfo::exists(m_folder->file("MyXml.xml")); }),
        ribbon(1014, [] { return true; }), // the task panel fills again
    };
    // A written workbook is handed to the desktop; here nothing opens it.
    QStringList opened;
    const WorkbookOpener workbooks(finance::workbookOpener(), [&opened](const QString& path) {
        opened << path;
        return true;
    });
    for (const Case& c : cases) {
        const QString what = c.entry ? QString::fromUtf8(c.entry) : QString::number(c.code);
        SCOPED_TRACE(what.toStdString());
        presenter().clear();
        testsupport::clearModalLog();
        if (c.entry) {
            vrt::PopupMenu& menu = panes->menus().menu(c.menu);
            const vrt::PopupMenu::Item* item = nullptr;
            for (const auto& i : menu.items())
                if (i.text == what)
                    item = &i;
            ASSERT_NE(item, nullptr);
            ASSERT_TRUE(item->action);
            item->action();
        } else {
            command(c.code);
        }
        QApplication::processEvents();
        if (c.done) {
            EXPECT_TRUE(c.done());
            EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
        } else {
            EXPECT_EQ(messages(), QStringList{NotAvailable});
        }
    }
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(count("CON_Contacts"), contacts) << "no blank contact is left behind";
    EXPECT_EQ(count("CAL_CalendarEvents"), tasks);
}

TEST_F(AssembledWindow, DeleteInTheDeletedFolderAsksThenDeletesForGoodAndEmptyingDeletesAll)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
    const std::string inbox = std::to_string(sample.inboxId);
    const std::string deleted = one("SELECT ID FROM Inbox WHERE ENNAZIV = 'xDeleted_1' AND ACCOUNTID = "
                                    "(SELECT ACCOUNTID FROM Inbox WHERE ID = " + inbox + ")");
    const auto inDeleted = [&] { return std::stoi(one("SELECT COUNT(*) FROM EMAIL WHERE INBOXID = " + deleted)); };
    query("UPDATE EMAIL SET INBOXID = " + deleted + " WHERE ID IN (SELECT ID FROM EMAIL WHERE INBOXID = " + inbox + " LIMIT 3)");
    const int there = inDeleted();
    ASSERT_GE(there, 3);
    const VelmoraDll::TreeQueue& folders = VelmoraDll::InboxQ();
    int position = 0;
    while (position < int(folders.size()) && std::to_string(folders[size_t(position)].ID) != deleted)
        ++position;
    ASSERT_LT(position, int(folders.size()));
    panes->selectTreeRow(tree::MailFolders, position + 1);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() == there; }));

    const QString question = QStringLiteral("Želite li nepovratno obrisati email?");
    for (const int answer : {vrt::BUTTON_NO, vrt::BUTTON_YES}) {
        SCOPED_TRACE(answer);
        clickRow(ctl::Email, 0);
        const std::string id = mails.cell("EM:ID").toStdString();
        presenter().clear();
        presenter().queueButton(answer);
        command(2006);
        EXPECT_EQ(messages(), QStringList{question});
        EXPECT_EQ(one("SELECT COUNT(*) FROM EMAIL WHERE ID = " + id), answer == vrt::BUTTON_YES ? "0" : "1");
    }
    EXPECT_EQ(inDeleted(), there - 1);

    presenter().clear();
    for (const auto& item : panes->menus().menu(Popup::MailFolders).items())
        if (item.text == QStringLiteral("Isprazni direktorij"))
            item.action();
    EXPECT_TRUE(messages().isEmpty()) << "emptying asks nothing";
    EXPECT_EQ(inDeleted(), 0);
    EXPECT_TRUE(waitFor([&] { return mails.rowCount() == 0; }));
}

TEST_F(AssembledWindow, TheFolderMenuMakesRenamesAndDeletesTheUsersOwnFolder)
{
    open();
    showPage(2);
    OrganiserList& mails = list(ctl::Email);
    ASSERT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
    QTreeView* tree = panes->tree(tree::MailFolders);
    const auto shownFolder = [&] { return panes->treeRowId(tree::MailFolders); };
    const auto shownName = [&] { return tree->currentIndex().data().toString(); };
    const auto menuEntry = [&](const char* text) {
        presenter().clear();
        for (const auto& item : panes->menus().menu(Popup::MailFolders).items())
            if (item.text == QString::fromUtf8(text))
                item.action();
        QApplication::processEvents();
    };
    // The form answers as the user does.
    QString name;
    testsupport::ScopedDialogRunner runner([&name](QDialog& d) {
        if (auto* u = qobject_cast<vrt::UpdateDialog*>(&d)) {
            if (!name.isNull())
                u->entry("NAZIV")->setText(name);
            // With VELMORA_SCREENSHOT_DIR set, the form is pictured as the user sees it.
            if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
                u->show();
                QApplication::processEvents();
                u->grab().save(out + QStringLiteral("/mail-folder-form-%1.png").arg(u->titleLabel()->text().section(' ', 0, 0)));
            }
            u->okButton()->click();
        }
        return d.result();
    });
    ASSERT_EQ(shownFolder(), sample.inboxId) << "the mail page opens on the inbox";

    name = QStringLiteral("Projekti");
    menuEntry("Novi poddirektorij");
    const long made = std::stol(one("SELECT MAX(ID) FROM Inbox"));
    EXPECT_EQ(one("SELECT TATAID || '|' || COALESCE(ENNAZIV, '') FROM Inbox WHERE ID = " + std::to_string(made)),
              std::to_string(sample.inboxId) + "|");
    EXPECT_EQ(shownFolder(), made) << "the tree shows the new folder";
    EXPECT_EQ(shownName(), QStringLiteral("Projekti"));
    EXPECT_TRUE(waitFor([&] { return mails.rowCount() == 0; }));

    name = QStringLiteral("Posao");
    menuEntry("Izmjena");
    EXPECT_EQ(one("SELECT NAZIV FROM Inbox WHERE ID = " + std::to_string(made)), "Posao");
    EXPECT_EQ(shownFolder(), made);
    EXPECT_EQ(shownName(), QStringLiteral("Posao"));

    // Sent copies moved in: no server to ask.
    query("UPDATE EMAIL SET INBOXID = " + std::to_string(made) + " WHERE ID IN (SELECT ID FROM EMAIL WHERE INBOXID = "
          + std::to_string(sample.inboxId) + " LIMIT 2)");
    query("UPDATE EMAIL SET MESSAGEID = '2026121103' || ID WHERE INBOXID = " + std::to_string(made));
    const int before = count("EMAIL");
    name = QString();
    menuEntry("Brisanje");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    EXPECT_EQ(one("SELECT COUNT(*) FROM Inbox WHERE ID = " + std::to_string(made)), "0");
    EXPECT_EQ(count("EMAIL"), before - 2);
    EXPECT_EQ(shownFolder(), sample.inboxId) << "back on the folder it hung from";
    EXPECT_TRUE(waitFor([&] { return mails.rowCount() > 0; }));
}

TEST_F(AssembledWindow, TheTaskPrintGetsTheSelectedTaskAndTheCategoryFiltersTheTasks)
{
    open();
    showPage(3);
    OrganiserList& categories = list(ctl::TaskCategory);
    OrganiserList& tasks = list(ctl::Zadaci);
    ASSERT_TRUE(waitFor([&] { return categories.rowCount() > 1; }));
    bool sawAll = false;
    for (int r = 0; r < categories.rowCount(); ++r) {
        categories.select(r);
        const QString id = categories.cell("CALC:ID");
        // "*** Sve kategorije ***" stands for every category.
        const bool all = categories.cell("CALC:ORDER") == QStringLiteral("999999");
        sawAll = sawAll || all;
        const std::string expected = one("SELECT COUNT(*) FROM CAL_CalendarEvents"
                                         + (all ? std::string() : " WHERE LABELID = " + id.toStdString()));
        ASSERT_TRUE(waitFor([&] { return std::to_string(tasks.rowCount()) == expected; })) << "category " << id.toStdString();
        for (int t = 0; t < tasks.rowCount() && !all; ++t)
            EXPECT_EQ(tasks.cell("CAL:LABELID", t), id);
    }
    EXPECT_TRUE(sawAll);
    // Done tasks are struck through.
    for (int r = 0; r < categories.rowCount() && tasks.rowCount() == 0; ++r)
        categories.select(r);
    ASSERT_GT(tasks.rowCount(), 0);
    const int done = row(tasks, "CAL:STATUS", "2");
    if (done >= 0) {
        EXPECT_TRUE(tasks.model().data(tasks.model().index(done, 6), Qt::FontRole).value<QFont>().strikeOut());
    }

    // Print: with a task selected its report is made.
    tasks.select(0);
    presenter().clear();
    command(3007);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(AssembledWindow, InEnglishNoCroatianTextInMenusAndHeaders)
{
    const int language = G::QVLang;
    const std::string file = G::QVFile;
    G::QVFile = (testsupport::binDir() + QStringLiteral("/Velmora.qvl")).toStdString();
    G::QVLang = 2;
    struct Restore {
        int language;
        std::string file;
        ~Restore()
        {
            G::QVLang = language;
            G::QVFile = file;
            VelmoraDll::refreshTranslationIfChanged();
        }
    } restore{language, file};
    open();
    // Every page, so the pages composed after the start are checked too.
    for (int page : {1, 3, 4, 5, 6, 7, 8, 2})
        showPage(page);
    ASSERT_TRUE(waitFor([&] { return list(ctl::Email).rowCount() > 0; }));
    // Sorted by a header click, the header keeps its language.
    OrganiserListView* mailView = panes->view(ctl::Email);
    QTest::mouseClick(mailView->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(mailView->horizontalHeader()->sectionViewportPosition(3) + 5, 5));
    QApplication::processEvents();

    const std::map<QString, QString> english = testsupport::shippedEnglish();
    const auto croatian = [&](QString text) {
        text.remove(QStringLiteral("[+]")).remove(QStringLiteral("[-]")).remove(u'&');
        text = text.trimmed();
        if (text.isEmpty())
            return false;
        static const QString letters = QStringLiteral("čćžšđČĆŽŠĐ");
        for (QChar c : text)
            if (letters.contains(c))
                return true;
        const auto it = english.find(text.toUpper());
        return it != english.end() && it->second.compare(text, Qt::CaseInsensitive) != 0;
    };
    QStringList found;
    for (Popup p : {Popup::ContactGroups, Popup::Mail, Popup::MailFolders, Popup::Calendar, Popup::FinanceCategories,
                    Popup::GanttLinks})
        for (const auto& i : panes->menus().menu(p).items())
            if (!i.separator && croatian(i.text))
                found << "menu: " + i.text;
    for (const ListDef& def : organiserLists()) {
        OrganiserList& l = list(def.control);
        for (int c = 0; c < l.model().columnCount(); ++c) {
            const QString h = l.model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            if (croatian(h))
                found << QStringLiteral("header %1: ").arg(def.control) + h;
        }
        for (const auto& i : l.browse().popup().items())
            if (!i.separator && croatian(i.text))
                found << QStringLiteral("list menu %1: ").arg(def.control) + i.text;
    }
    // What the window shows of its own: captions, buttons, tabs, the empty mail header.
    auto* mailHeader = qobject_cast<QWidget*>(window->hosted().headerPanel); // shows the mail's own words
    for (QLabel* l : window->findChildren<QLabel*>())
        if (!(mailHeader && mailHeader->isAncestorOf(l)) && croatian(l->text()))
            found << "label " + l->objectName() + ": " + l->text();
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (croatian(b->text()))
            found << "button " + b->objectName() + ": " + b->text();
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        if (croatian(g->title()))
            found << "group: " + g->title();
    for (QTabBar* t : window->findChildren<QTabBar*>())
        for (int i = 0; i < t->count(); ++i)
            if (croatian(t->tabText(i)))
                found << "tab: " + t->tabText(i);
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
    for (QLabel* l : window->findChildren<QLabel*>())
        EXPECT_FALSE(l->text().contains(QLatin1String("SenderNameAndAddress")) || l->text().contains(QLatin1String("Codejock")))
            << "no internal name: " << l->text().toStdString();
}

TEST_F(AssembledWindow, ThePasswordLocationIsALink)
{
    open();
    ASSERT_NE(panes->links(), nullptr);
    const auto& items = panes->links()->items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].CONTROL, panes->view(ctl::Pass));
    EXPECT_EQ(items[0].COLUMN, list(ctl::Pass).def().columnOf("PAS:LOKACIJA") + 1);
    EXPECT_TRUE(items[0].HANDCURSOR);
}

TEST_F(AssembledWindow, ContactGroupsHaveTheirFoldersAndTheContactMenuWrites)
{
    open();
    showPage(8);
    QTreeView* groups = panes->tree(tree::ContactGroups);
    ASSERT_TRUE(waitFor([&] { return groups->model()->rowCount() > 0; }));
    EXPECT_FALSE(groups->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QStringList entries;
    for (const auto& i : list(ctl::Kontakti).browse().popup().items())
        entries << (i.separator ? QStringLiteral("-") : i.text);
    EXPECT_EQ(entries, QStringList({"Unos", "Izmjena", "Brisanje", "-", "Email"}));
}

// A tree read again with nothing chosen (its first group or account was just made) shows a
// group or the first inbox, so a contact stored or mail received meanwhile is listed at once.
TEST_F(AssembledWindow, TreesReadAgainWithNothingChosenShowAGroupAndAnInbox)
{
    open();
    showPage(8);
    QTreeView* groups = panes->tree(tree::ContactGroups);
    ASSERT_TRUE(waitFor([&] { return groups->currentIndex().isValid(); }));
    groups->setCurrentIndex(QModelIndex());
    VelmoraDll::S_FillContactGroupTree(*window->contactGroups());
    panes->selectTreeRow(tree::ContactGroups, 0); // as the group commands show the tree again
    ASSERT_TRUE(waitFor([&] { return groups->currentIndex().row() == 0; }));
    const qlonglong first = groups->model()->index(0, 0).data(VelmoraDll::TreeQueueModel::IdRole).toLongLong();
    EXPECT_TRUE(waitFor([&] { return list(ctl::Kontakti).browse().query().rangeValue.toLongLong() == first; }));

    showPage(2);
    QTreeView* folders = panes->tree(tree::MailFolders);
    ASSERT_TRUE(waitFor([&] { return folders->currentIndex().isValid(); }));
    folders->setCurrentIndex(QModelIndex());
    VelmoraDll::S_FillInboxTree(*window->mailFolders());
    panes->selectTreeRow(tree::MailFolders, 0);
    ASSERT_TRUE(waitFor([&] { return folders->currentIndex().isValid(); }));
    auto* model = qobject_cast<VelmoraDll::TreeQueueModel*>(folders->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->queue()[size_t(model->position(folders->currentIndex()))].ENNAZIV, "xInbox_1");
    EXPECT_TRUE(waitFor([&] { return list(ctl::Email).rowCount() > 0; }));
}

// The contact's own tasks and documents open their forms for the contact selected.
TEST_F(AssembledWindow, TheContactsFormsGetTheSelectedContact)
{
    open();
    std::vector<std::pair<QString, long>> opened;
    for (const char* form : {"F_Zadaci", "F_UD_Dokumenti", "F_ID_Dokumenti"})
        window->formTable()->attach(*formNamed(QString::fromLatin1(form)), [&opened, form](const FormArgs& a) {
            opened.emplace_back(QString::fromLatin1(form), a.contactId ? *a.contactId : a.partnerId);
        });
    showPage(8);
    OrganiserList& contacts = list(ctl::Kontakti);
    ASSERT_TRUE(waitFor([&] { return contacts.rowCount() > 1; }));
    ASSERT_TRUE(contacts.select(1));
    const long contact = contacts.cell("CON:ID").toLong();
    ASSERT_GT(contact, 0);
    for (int l : {ctl::PZadaci, ctl::PUD, ctl::PID})
        panes->lists().ask(l, vrt::INSERT_RECORD);
    EXPECT_EQ(opened, (std::vector<std::pair<QString, long>>{
                          {"F_Zadaci", contact}, {"F_UD_Dokumenti", contact}, {"F_ID_Dokumenti", contact}}));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(AssembledWindow, TheExcelCommandExportsTheDocumentSelectedOnItsSubTab)
{
    open();
    QStringList opened;
    const WorkbookOpener workbooks(finance::workbookOpener(), [&opened](const QString& path) {
        opened << path;
        return true;
    });
    struct Case {
        int tab, categories, documents;
        const char* categoryName;
        QString prefix;
    };
    for (const Case& c : {Case{6004, ctl::IDK, ctl::ID, "IDK:NAZIV", {}}, Case{6003, ctl::UDK, ctl::UD, nullptr, "Input_document_"}}) {
        SCOPED_TRACE(c.tab);
        OrganiserList& categories = list(c.categories);
        categories.reset();
        ASSERT_TRUE(categories.select(0));
        OrganiserList& documents = list(c.documents);
        ASSERT_TRUE(waitFor([&] { return documents.rowCount() > 0; }));
        presenter().clear();
        command(c.tab);
        command(6998);
        ASSERT_EQ(opened.size(), 1) << messages().join('|').toStdString();
        EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
        const QString prefix = c.categoryName ? categories.cell(c.categoryName) + "_" : c.prefix;
        EXPECT_TRUE(QFileInfo(opened[0]).fileName().startsWith(prefix)) << opened[0].toStdString();
        opened.clear();
    }
}

// The arrows beside each tree move the selected node in the database; the tree shows it in
// its new place, still selected, and so does the next start.
TEST_F(AssembledWindow, TheTreeArrowsMoveTheSelectedNodeAndTheOrderStays)
{
    const std::string root = std::to_string(sample.accountRootId);
    query("INSERT INTO Inbox (ACCOUNTID, NAZIV, ENNAZIV, TATAID, REDOSLIJED) SELECT ACCOUNTID, 'Projekti', '', ID, "
          "(SELECT MAX(REDOSLIJED) + 1 FROM Inbox) FROM Inbox WHERE ID = " + root);
    const auto idOf = [&](const char* table, const char* name) {
        return std::stol(one(std::string("SELECT ID FROM ") + table + " WHERE NAZIV = '" + name + "'"));
    };
    const auto queueOf = [&](int control) {
        return static_cast<VelmoraDll::TreeQueueModel*>(panes->tree(control)->model())->queue();
    };
    const auto positionOf = [&](int control, long id) {
        const VelmoraDll::TreeQueue q = queueOf(control);
        for (size_t i = 0; i < q.size(); ++i)
            if (q[i].ID == id)
                return int(i);
        return -1;
    };
    const auto children = [&](int control, long parent) {
        QList<long> out;
        for (const VelmoraDll::TreeRow& r : queueOf(control))
            if (r.RODITELJ == parent)
                out << r.ID;
        return out;
    };
    const auto press = [&](int control, long node, int button) {
        panes->selectTreeRow(control, positionOf(control, node) + 1);
        presenter().clear();
        auto* arrow = window->findChild<QAbstractButton*>(QStringLiteral("Button%1").arg(button));
        ASSERT_NE(arrow, nullptr);
        arrow->click();
    };
    const auto shownSelected = [&](int control, long node) {
        return waitFor([&] { return panes->treeRowId(control) == node; });
    };
    const long g1 = idOf("CON_Group", "Grupa 1"), g5 = idOf("CON_Group", "Grupa 5"), g7 = idOf("CON_Group", "Grupa 7");
    const QList<long> before = [&] {
        QList<long> out;
        for (const char* g : {"Grupa 3", "Grupa 5", "Grupa 7", "Grupa 9"})
            out << idOf("CON_Group", g);
        return out;
    }();
    open();

    // Contact groups: down, then in under the group above.
    showPage(8);
    ASSERT_EQ(children(tree::ContactGroups, g1), before);
    press(tree::ContactGroups, g5, 129);
    ASSERT_TRUE(waitFor([&] { return children(tree::ContactGroups, g1) == QList<long>{before[0], g7, g5, before[3]}; }));
    EXPECT_TRUE(shownSelected(tree::ContactGroups, g5));
    press(tree::ContactGroups, g5, 131);
    ASSERT_TRUE(waitFor([&] { return children(tree::ContactGroups, g7) == QList<long>{g5}; }));
    EXPECT_TRUE(shownSelected(tree::ContactGroups, g5));
    EXPECT_EQ(one("SELECT TATAID FROM CON_Group WHERE ID = " + std::to_string(g5)), std::to_string(g7));
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        QApplication::processEvents();
        window->grab().save(out + QStringLiteral("/tree-move-contact-groups.png"));
    }

    // Mail folders: a folder of the user's own goes up; a standard folder stays.
    showPage(2);
    const long projects = idOf("Inbox", "Projekti");
    const QList<long> folders = children(tree::MailFolders, sample.accountRootId);
    ASSERT_EQ(folders.last(), projects);
    press(tree::MailFolders, projects, 27);
    QList<long> expected = folders;
    expected.swapItemsAt(expected.size() - 1, expected.size() - 2);
    ASSERT_TRUE(waitFor([&] { return children(tree::MailFolders, sample.accountRootId) == expected; }));
    EXPECT_TRUE(shownSelected(tree::MailFolders, projects));
    press(tree::MailFolders, sample.inboxId, 28);
    ASSERT_TRUE(waitFor([&] { return !messages().isEmpty(); }));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Standardni direktorij se ne može premještati!")});
    EXPECT_EQ(children(tree::MailFolders, sample.accountRootId), expected);

    // Finance categories: a category goes down; the balance row stays.
    showPage(6);
    const long income = sample.incomeRootId, second = idOf("PrihodiRashodiKategorija", "Prihod 2"),
               third = idOf("PrihodiRashodiKategorija", "Prihod 3");
    ASSERT_TRUE(waitFor([&] { return children(tree::Categories, income).size() == 3; }));
    press(tree::Categories, second, 55);
    ASSERT_TRUE(waitFor([&] { return children(tree::Categories, income).mid(1) == QList<long>{third, second}; }));
    EXPECT_TRUE(shownSelected(tree::Categories, second));
    press(tree::Categories, queueOf(tree::Categories).back().ID, 54);
    ASSERT_TRUE(waitFor([&] { return !messages().isEmpty(); }));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Ova kategorija se ne može pomicati !")});

    // The next start shows the same order.
    window.reset();
    clearTreeQueues();
    open();
    showPage(8);
    ASSERT_TRUE(waitFor([&] { return !queueOf(tree::ContactGroups).empty(); }));
    EXPECT_EQ(children(tree::ContactGroups, g1), (QList<long>{before[0], g7, before[3]}));
    EXPECT_EQ(children(tree::ContactGroups, g7), QList<long>{g5});
    showPage(2);
    ASSERT_TRUE(waitFor([&] { return !queueOf(tree::MailFolders).empty(); }));
    EXPECT_EQ(children(tree::MailFolders, sample.accountRootId), expected);
}

TEST_F(AssembledWindow, TheTreeArrowsRefuseInEnglish)
{
    const int language = G::QVLang;
    const std::string file = G::QVFile;
    G::QVFile = (testsupport::binDir() + QStringLiteral("/Velmora.qvl")).toStdString();
    G::QVLang = 2;
    const std::shared_ptr<void> restore(nullptr, [&](void*) {
        G::QVLang = language;
        G::QVFile = file;
        VelmoraDll::refreshTranslationIfChanged();
    });
    open();
    showPage(6);
    QTreeView* categories = panes->tree(tree::Categories);
    ASSERT_TRUE(waitFor([&] { return categories->model()->rowCount() > 0; }));
    panes->selectTreeRow(tree::Categories, 1);
    ASSERT_EQ(panes->treeRowId(tree::Categories), sample.incomeRootId);
    presenter().clear();
    window->findChild<QAbstractButton*>(QStringLiteral("Button54"))->click();
    ASSERT_TRUE(waitFor([&] { return !messages().isEmpty(); }));
    EXPECT_EQ(messages(), QStringList{QStringLiteral("This category cannot be moved !")});
    if (const QString out = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !out.isEmpty()) {
        panes->selectTreeRow(tree::Categories, 3);
        window->findChild<QAbstractButton*>(QStringLiteral("Button54"))->click();
        waitFor([&] { return panes->treeRowId(tree::Categories) != 0 && messages().size() == 1; });
        QApplication::processEvents();
        window->grab().save(out + QStringLiteral("/tree-move-finance-english.png"));
    }
}
