#include "procedures/mail/MailFolderForm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

#include "controls/Images.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeTableSources.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/mail/MailDelete.h"
#include "procedures/mail/MailFolderTree.h"
#include "procedures/mail/MailReport.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"
#include "runtime/Dialogs.h"
#include "runtime/Odbc.h"
#include "runtime/SqlFilter.h"
#include "runtime/UpdateDialog.h"
#include "runtime/UpdateForm.h"
#include "services/Quilvo.h"
#include "chrome/WindowPainter.h"

namespace organiser {

namespace {

QString tx(const QString& text) { return VelmoraDll::translator().QVSTR(text); }
QString q(const std::string& s) { return QString::fromStdString(s); }
std::string table(Tbl t) { return vrt::quoteName(Access(t).SqlName()); }
vrt::odbc::Connection& connection() { return *corvalde::ThreadSession().connection(); }

const QString kStandard = QStringLiteral("Standardni direktorij se ne može mijenjati ili brisati!");
const QString kHasSubfolders = QStringLiteral("Direktorij ima poddirektorije i ne može biti obrisan!");

bool hasSubfolders(long id)
{
    vrt::odbc::Statement s(connection());
    if (!s.prepare("SELECT 1 FROM " + table(Tbl::Inbox) + " WHERE \"TATAID\" = ? LIMIT 1"))
        return true; // unknown: keep the folder
    s.bindInt(1, id);
    return !s.execute() || s.fetch();
}

int mailCount(long folderId)
{
    vrt::odbc::Statement s(connection());
    if (!s.prepare("SELECT COUNT(*) FROM " + table(Tbl::EMAIL) + " WHERE \"INBOXID\" = ?"))
        return 0;
    s.bindInt(1, folderId);
    return s.execute() && s.fetch() ? int(s.integer(1).value_or(0)) : 0;
}

// The form edits the Inbox buffer; its delete takes the folder's mail along for good.
class FolderTarget : public vrt::FormTarget {
public:
    FolderTarget(vrt::FileManager& file, QString dataFolder) : m_file(file), m_dataFolder(std::move(dataFolder)) {}
    bool primed() const override { return m_file.HasReservedRow(); }
    bool prime() override { return m_file.PrimeRecord() == 0; }
    bool save() override
    {
        // A folder without a name would show as a blank line in the tree.
        if (q(INB().NAZIV).trimmed().isEmpty()) {
            vrt::message(tx(QStringLiteral("Upišite naziv direktorija!")), QStringLiteral("Info"), vrt::Icon::Exclamation);
            return false;
        }
        return m_file.Update() == 0; // reports its own failure
    }
    bool remove() override
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString why = deleteMailFolder(INB().ID, m_dataFolder);
        QApplication::restoreOverrideCursor();
        if (why.isEmpty())
            return true;
        vrt::message(why, QStringLiteral("Info"), vrt::Icon::Exclamation);
        return false;
    }
    bool cancelAutoInc() override { return m_file.CancelAutoInc(&Relate(Tbl::Inbox)) == 0; }
    QString lastError() const override { return m_file.ErrorText(); }

private:
    vrt::FileManager& m_file;
    QString m_dataFolder;
};

} // namespace

int F_Inbox(long parent, std::optional<long> account, const QString& dataFolder, QWidget* owner)
{
    const int request = GLOBALREQUEST;
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    vrt::FileManager& f = Access(Tbl::Inbox);
    if (!f.Opened())
        f.Open();
    if (request == vrt::INSERT_RECORD) {
        INB().TATAID = int32_t(parent);
        if (account)
            INB().ACCOUNTID = int32_t(*account);
        INB().ENNAZIV.clear(); // a folder made here is always the user's own
    }
    FolderTarget target(f, dataFolder);
    vrt::UpdateFormController controller(target, request, QStringLiteral("F_Inbox"));
    controller.translate = tx;
    controller.setFields({{QStringLiteral("NAZIV"), tx(QStringLiteral("Naziv:")), [] { return q(INB().NAZIV); },
                           [](const QString& v) { INB().NAZIV = v.left(254).toStdString(); }},
                          {QStringLiteral("NAPOMENA"), tx(QStringLiteral("Napomena:")), [] { return q(INB().NAPOMENA); },
                           [](const QString& v) { INB().NAPOMENA = v.left(7999).toStdString(); }}});
    vrt::UpdateDialog dialog(controller, tx(QStringLiteral("Inbox")), owner);
    dialog.setObjectName(QStringLiteral("F_Inbox"));
    dialog.setWindowIcon(controls::imageIcon(dataFolder, QStringLiteral("dudes.ico")));
    dialog.setCancelText(tx(QStringLiteral("Prekid")));
    dialog.entry(QStringLiteral("NAZIV"))->setMaxLength(254);
    dialog.entry(QStringLiteral("NAPOMENA"))->setMaxLength(7999);
    // The delete window is the confirmation: it says what goes with the folder.
    if (request == vrt::DELETE_RECORD)
        dialog.actionLabel()->setText(tx(QStringLiteral("S direktorijem se nepovratno brišu i njegovi emailovi:"))
                                      + QLatin1Char(' ') + QString::number(mailCount(INB().ID)));
    else
        dialog.actionLabel()->hide(); // the title says what the form does
    pxp::themeLibraryWindow(&dialog);
    const int response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

QString deleteMailFolder(long id, const QString& dataFolder)
{
    vrt::FileManager& f = Access(Tbl::AInbox);
    f.clearBuffer();
    INBA().ID = int32_t(id);
    if (const int rc = f.TryFetch(INBA.IDKey))
        return QStringLiteral("W_First Get Ainbox (3):") + QString::number(id) + QStringLiteral(" : ") + QString::number(rc)
               + QStringLiteral(" : ") + f.ErrorText();
    if (!q(INBA().ENNAZIV).trimmed().isEmpty())
        return tx(kStandard);
    if (hasSubfolders(id))
        return tx(kHasSubfolders);
    const long account = INBA().ACCOUNTID;
    bool subfolders = false;
    // The row goes only when neither a subfolder nor a mail hangs from it any more.
    const ForGood gone = deleteMailsForGood(account, mailsOfFolder(id), dataFolder, [id, &subfolders](QString* why) {
        vrt::odbc::Statement s(connection());
        const std::string inbox = table(Tbl::Inbox);
        if (!s.prepare("DELETE FROM " + inbox + " WHERE \"ID\" = ? AND NOT EXISTS (SELECT 1 FROM " + inbox
                       + " WHERE \"TATAID\" = ?) AND NOT EXISTS (SELECT 1 FROM " + table(Tbl::EMAIL) + " WHERE \"INBOXID\" = ?)")) {
            *why = QString::fromStdString(s.error().text);
            return false;
        }
        for (int p = 1; p <= 3; ++p)
            s.bindInt(p, id);
        if (!s.execute()) {
            *why = QString::fromStdString(s.error().text);
            return false;
        }
        if (s.rowCount() != 1) {
            subfolders = true;
            return false;
        }
        return true;
    });
    if (gone.kept > 0 && !subfolders)
        return tx(QStringLiteral("Poslužitelj nije obrisao sve emailove; neobrisani su ostali:")) + QLatin1Char('\n') + gone.why;
    if (subfolders)
        return tx(kHasSubfolders);
    if (!gone.why.isEmpty())
        return tx(QStringLiteral("Direktorij nije obrisan:")) + QLatin1Char('\n') + gone.why;
    return {};
}

bool renumberMailFolderTree()
{
    const bool ok = VelmoraDll::TreeMover(mailFolderTree()).renumber();
    VelmoraDll::InboxFolderSource source;
    VelmoraDll::S_FillInboxTree(source);
    return ok;
}

int MailFolderCommands::run(Command command)
{
    const long id = m_side.selected();
    if (id == 0)
        return 0;
    vrt::FileManager& f = Access(Tbl::Inbox);
    if (!f.Opened())
        f.Open();
    f.clearBuffer();
    INB().ID = int32_t(id);
    if (f.TryFetch(INB.IDKey) != 0)
        return 0; // gone meanwhile: the refreshed tree no longer shows it
    const long parent = INB().TATAID;
    const long account = INB().ACCOUNTID;
    const auto refuse = [](const QString& text) {
        vrt::message(tx(text), QStringLiteral("Info"), vrt::Icon::Hand);
        return 0;
    };
    if (command != Insert && !q(INB().ENNAZIV).trimmed().isEmpty())
        return refuse(kStandard);
    const uint8_t saved = GLOBALREQUEST;
    int response = 0;
    long show = id;
    switch (command) {
    case Insert:
        // The new row is numbered and stored at once, already in its place.
        f.clearBuffer();
        INB().TATAID = int32_t(id);
        INB().ACCOUNTID = int32_t(account);
        if (f.PrimeRecord(true) != 0)
            return 0;
        show = INB().ID;
        GLOBALREQUEST = vrt::INSERT_RECORD;
        response = m_side.form(id, account);
        // A form that did not complete leaves no empty folder behind.
        if (response != vrt::REQUEST_COMPLETED && f.HasReservedRow())
            f.CancelAutoInc(&Relate(Tbl::Inbox));
        break;
    case Change:
        GLOBALREQUEST = vrt::CHANGE_RECORD;
        response = m_side.form(parent, std::nullopt);
        break;
    case Delete:
        // Subfolders would be left hanging from nothing, out of the tree with their mail.
        if (hasSubfolders(id))
            return refuse(kHasSubfolders);
        GLOBALREQUEST = vrt::DELETE_RECORD;
        response = m_side.form(parent, std::nullopt);
        show = parent;
        break;
    }
    GLOBALREQUEST = saved;
    if (response == vrt::REQUEST_COMPLETED)
        m_side.changed(show);
    return response;
}

namespace {
// The window's mail folder tree, with the commands over it.
class FolderTree : public MailFolderCommands::Side {
public:
    FolderTree(OrganiserWindow& window, OrganiserPanes& panes) : m_window(window), m_panes(panes) {}

    long selected() override { return m_panes.treeRowId(tree::MailFolders); }
    int form(long parent, std::optional<long> account) override
    {
        return F_Inbox(parent, account, m_window.dataFolder(), &m_window);
    }
    void changed(long show) override
    {
        renumberMailFolderTree();
        m_window.paneRoutines().SetMailFolderIcons();
        const VelmoraDll::TreeQueue& folders = VelmoraDll::InboxQ();
        int row = 0;
        for (size_t i = 0; i < folders.size() && row == 0; ++i)
            if (folders[i].ID == show)
                row = int(i) + 1;
        m_panes.selectTreeRow(tree::MailFolders, row);
    }

    MailFolderCommands commands{*this};

private:
    OrganiserWindow& m_window;
    OrganiserPanes& m_panes;
};
} // namespace

void attachMailFolders(FeatureHost& host)
{
    OrganiserWindow& window = host.window;
    OrganiserPanes& panes = host.panes;
    auto tree = std::make_shared<FolderTree>(window, panes);
    const auto command = [tree](MailFolderCommands::Command c) {
        return [tree, c] {
            tree->commands.run(c);
            return 0;
        };
    };
    host.routines.attach(Routine::InsertMailFolder, command(MailFolderCommands::Insert));
    host.routines.attach(Routine::ChangeMailFolder, command(MailFolderCommands::Change));
    host.routines.attach(Routine::DeleteMailFolder, command(MailFolderCommands::Delete));
    attachMailReport(host);
}

} // namespace organiser
