#include "procedures/mail/MailActions.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/Dialogs.h"
#include "runtime/Odbc.h"
#include "runtime/SqlFilter.h"
#include "services/Quilvo.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/mail/MailDelete.h"
#include "procedures/organiser/lists/OrganiserLists.h"
#include "procedures/organiser/panes/OrganiserPanes.h"
#include "procedures/organiser/window/OrganiserWindow.h"
#include "procedures/organiser/window/ProcedureTables.h"

namespace organiser {

namespace {

QString failure(vrt::FileManager& f, int rc) { return QString::number(rc) + QStringLiteral(" : ") + f.ErrorText(); }

std::optional<long> folderAccount(Tbl alias, long folderId, bool* root = nullptr)
{
    vrt::FileManager& f = Access(alias);
    f.clearBuffer();
    auto& rec = *static_cast<Inbox_Rec*>(f.BUFFER);
    rec.ID = int32_t(folderId);
    if (f.TryFetch(f.FILE->primaryKey()) != 0)
        return std::nullopt;
    if (root)
        *root = rec.TATAID == 0;
    return rec.ACCOUNTID;
}

} // namespace

MailMove moveMail(long emailId, MailTarget target, long* account)
{
    if (emailId == 0)
        return MailMove::Nothing;
    const bool junk = target == MailTarget::Junk;
    const QString n = junk ? QStringLiteral("x") : QString();
    vrt::FileManager& f = Access(Tbl::AEMAIL);
    f.clearBuffer();
    EMA().ID = int32_t(emailId);
    if (const int rc = f.TryFetch(EMA.IDKey)) {
        vrt::stop(QStringLiteral("W_First Fetcht Email (1%1):").arg(n) + QString::number(emailId) + QStringLiteral(" : ") + failure(f, rc));
        return MailMove::Failed;
    }
    vrt::FileManager& folders = Access(Tbl::AInbox);
    folders.clearBuffer();
    INBA().ID = EMA().INBOXID;
    if (const int rc = folders.TryFetch(INBA.IDKey)) {
        vrt::stop(QStringLiteral("W_First Get Ainbox (1%1):").arg(n) + QString::number(EMA().INBOXID) + QStringLiteral(" : ") + failure(folders, rc));
        return MailMove::Failed;
    }
    const char* system = junk ? "xJunk_1" : "xDeleted_1";
    if (account)
        *account = INBA().ACCOUNTID;
    if (INBA().ENNAZIV == system)
        return junk ? MailMove::Nothing : MailMove::AlreadyThere;
    const int32_t owner = INBA().ACCOUNTID;
    folders.clearBuffer();
    INBA().ACCOUNTID = owner;
    INBA().ENNAZIV = system;
    if (const int rc = folders.TryFetch(INBA.AccNameKey)) {
        vrt::stop(QStringLiteral("W_First Get Ainbox (2%1):").arg(n) + QString::number(EMA().INBOXID) + QStringLiteral(" : ") + failure(folders, rc));
        return MailMove::Failed;
    }
    const long to = INBA().ID;
    EMA().INBOXID = int32_t(to);
    if (junk) // later mail from this address is filed as junk when it arrives
        EMA().JUNKDOMAIN = EMA().REPLYTO.substr(0, 254);
    if (const int rc = f.TryUpdate()) {
        vrt::stop(QStringLiteral("W_First Mail PUT(1%1) :").arg(n) + QString::number(emailId) + QStringLiteral(" : ") + failure(f, rc));
        return MailMove::Failed;
    }
    return MailMove::Moved;
}

int emptyFolderToDeleted(long folderId, long deletedFolderId)
{
    vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
    const std::string email = vrt::quoteName(Access(Tbl::EMAIL).SqlName());
    int64_t moved = 0;
    if (s.prepare("SELECT COUNT(*) FROM " + email + " WHERE \"INBOXID\" = ?")) {
        s.bindInt(1, folderId);
        if (s.execute() && s.fetch())
            moved = s.integer(1).value_or(0);
        s.closeCursor();
    }
    vrt::odbc::Statement u(*corvalde::ThreadSession().connection());
    if (!u.prepare("UPDATE " + email + " SET \"INBOXID\" = ? WHERE \"INBOXID\" = ?")) {
        vrt::stop(QStringLiteral("W_First Mail PUT(1) :") + QString::fromStdString(u.error().text));
        return -1;
    }
    u.bindInt(1, deletedFolderId);
    u.bindInt(2, folderId);
    if (!u.execute()) {
        vrt::stop(QStringLiteral("W_First Mail PUT(1) :") + QString::number(folderId) + QStringLiteral(" : ")
                  + QString::fromStdString(u.error().text));
        return -1;
    }
    return int(moved);
}

namespace {

// A server that would not delete keeps its mails here too; the user learns why.
void tellKept(const ForGood& done)
{
    if (done.kept == 0)
        return;
    vrt::message(VelmoraDll::translator().QVSTR(QStringLiteral("Poslužitelj nije obrisao sve emailove; neobrisani su ostali:"))
                     + QLatin1Char('\n') + done.why,
                 QStringLiteral("Info"), vrt::Icon::Exclamation);
}

struct Folder {
    long id = 0, account = 0, parent = 0;
    std::string system;
};

std::optional<Folder> readFolder(long id)
{
    vrt::FileManager& f = Access(Tbl::AInbox);
    f.clearBuffer();
    INBA().ID = int32_t(id);
    if (const int rc = f.TryFetch(INBA.IDKey)) {
        vrt::stop(QStringLiteral("W_First Get Ainbox (3):") + QString::number(id) + QStringLiteral(" : ") + failure(f, rc));
        return std::nullopt;
    }
    return Folder{INBA().ID, INBA().ACCOUNTID, INBA().TATAID, INBA().ENNAZIV};
}

} // namespace

void attachMailActions(FeatureHost& host)
{
    OrganiserWindow& window = host.window;
    OrganiserPanes& panes = host.panes;
    host.routines.attach(Routine::MoveMailToJunk, [&panes] {
        OrganiserList& mails = panes.lists().list(ctl::Email);
        const MailMove done = moveMail(long(mails.selectedId().toLongLong()), MailTarget::Junk);
        if (done == MailMove::Moved)
            mails.reset();
        return done == MailMove::Failed ? 1 : 0;
    });
    host.routines.attach(Routine::DeleteEmail, [&window, &panes] {
        OrganiserList& mails = panes.lists().list(ctl::Email);
        const long id = long(mails.selectedId().toLongLong());
        long account = 0;
        const MailMove done = moveMail(id, MailTarget::Deleted, &account);
        if (done == MailMove::AlreadyThere
            && vrt::message(VelmoraDll::translator().QVSTR(QStringLiteral("Želite li nepovratno obrisati email?")),
                            QStringLiteral("Info"), vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_NO)
                == vrt::BUTTON_YES) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const ForGood gone = deleteMailsForGood(account, {id}, window.dataFolder());
            QApplication::restoreOverrideCursor();
            tellKept(gone);
        }
        mails.reset();
        return done == MailMove::Failed ? 1 : 0;
    });
    host.routines.attach(Routine::EmptyMailFolder, [&window, &panes] {
        const long id = panes.treeRowId(tree::MailFolders);
        if (id == 0)
            return 0;
        const std::optional<Folder> folder = readFolder(id);
        if (!folder)
            return 1;
        if (folder->parent == 0) // an account's own row holds no mail
            return 0;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        int rc = 0;
        if (folder->system == "xDeleted_1") {
            const ForGood gone = deleteMailsForGood(folder->account, mailsOfFolder(id), window.dataFolder());
            QApplication::restoreOverrideCursor();
            tellKept(gone);
        } else {
            vrt::FileManager& f = Access(Tbl::AInbox);
            f.clearBuffer();
            INBA().ACCOUNTID = int32_t(folder->account);
            INBA().ENNAZIV = "xDeleted_1";
            rc = f.TryFetch(INBA.AccNameKey);
            if (rc)
                vrt::stop(QStringLiteral("W_First Get Ainbox (2):") + QString::number(id) + QStringLiteral(" : ") + failure(f, rc));
            else if (emptyFolderToDeleted(id, INBA().ID) < 0)
                rc = 1;
            QApplication::restoreOverrideCursor();
        }
        panes.lists().list(ctl::Email).reset();
        return rc ? 1 : 0;
    });
}

long contactByAddress(const QString& address)
{
    if (address.trimmed().isEmpty())
        return 0;
    vrt::FileManager& f = Access(Tbl::CON_Contacts);
    f.clearBuffer();
    CON().EMAIL = address.toStdString();
    if (f.TryFetch(CON.EmailKey) == 0)
        return CON().ID;
    f.clearBuffer();
    CON().TEMAIL = address.toStdString();
    return f.TryFetch(CON.EmalTvrtkaKey) == 0 ? CON().ID : 0;
}

std::optional<int> editTask(FormLauncher& forms, long eventId)
{
    vrt::FileManager& f = Access(Tbl::CAL_CalendarEvents);
    f.clearBuffer();
    CAL().EVENTID = int32_t(eventId);
    if (f.TryFetch(CAL.PK_CalendarEvents) != 0)
        return std::nullopt;
    GLOBALREQUEST = 2;
    GLOBALRESPONSE = 2; // a form that never answers has completed nothing
    forms.F_Zadaci(eventId, 0, CAL().PARTNERID, CAL().LABELID, QString());
    return GLOBALRESPONSE;
}

long addMailToTasks(FormLauncher& forms, const QString& text, const QString& replyTo)
{
    // A message shown empty still makes its task; the user is not shown a variable's name.
    // A sender who is no contact gives the task no partner (0).
    const long partner = contactByAddress(replyTo);
    GLOBALREQUEST = 1;
    forms.F_Zadaci(0, 0, partner, 0, text);
    return partner;
}

bool markMailUnread(long emailId)
{
    vrt::FileManager& f = Access(Tbl::EMAIL);
    f.clearBuffer();
    EM().ID = int32_t(emailId);
    if (emailId == 0 || f.TryFetch(EM.IDKey) != 0)
        return false;
    EM().READ = 0;
    if (const int rc = f.TryUpdate()) {
        vrt::stop(QStringLiteral("W_First Mail PUT Readed :") + failure(f, rc));
        return false;
    }
    return true;
}

int mailAttachmentCount(long emailId)
{
    if (emailId == 0)
        return 0;
    vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
    if (!s.prepare("SELECT COUNT(*) FROM " + vrt::quoteName(Access(Tbl::EMAILATTACH).SqlName())
                   + " WHERE \"IDEMAIL\" = ?"))
        return 0;
    s.bindInt(1, emailId);
    return s.execute() && s.fetch() ? int(s.integer(1).value_or(0)) : 0;
}

int markFolderRead(long folderId)
{
    if (folderId == 0)
        return 0;
    std::vector<long> unread;
    {
        vrt::odbc::Statement s(*corvalde::ThreadSession().connection());
        if (!s.prepare("SELECT \"ID\" FROM " + vrt::quoteName(Access(Tbl::EMAIL).SqlName())
                       + " WHERE \"INBOXID\" = ? AND (\"READ\" IS NULL OR \"READ\" <> 1) ORDER BY \"ID\""))
            return -1;
        s.bindInt(1, folderId);
        if (!s.execute())
            return -1;
        while (s.fetch())
            unread.push_back(long(s.integer(1).value_or(0)));
    }
    vrt::FileManager& f = Access(Tbl::AEMAIL);
    for (long id : unread) {
        f.clearBuffer();
        EMA().ID = int32_t(id);
        int rc = f.TryFetch(EMA.IDKey);
        if (rc == 0) {
            EMA().READ = 1;
            rc = f.TryUpdate();
        }
        if (rc) {
            vrt::stop(QStringLiteral("W_First Make All Read :") + QString::number(id) + QStringLiteral(" : ") + failure(f, rc));
            return -1;
        }
    }
    return int(unread.size());
}

int dropEmails(const QList<long>& ids, long folderId)
{
    bool root = true;
    const std::optional<long> account = folderAccount(Tbl::Inbox, folderId, &root);
    if (!account || root)
        return 0;
    vrt::FileManager& f = Access(Tbl::AEMAIL);
    int moved = 0;
    for (long id : ids) {
        f.clearBuffer();
        EMA().ID = int32_t(id);
        if (const int rc = f.TryFetch(EMA.IDKey)) {
            vrt::stop(QStringLiteral("Drop Email :") + QString::number(id) + QStringLiteral(" : ") + failure(f, rc));
            return -1;
        }
        // A mail stays with its own account: its folder must be of the same one.
        if (EMA().INBOXID == folderId || folderAccount(Tbl::AInbox, EMA().INBOXID) != account)
            continue;
        EMA().INBOXID = int32_t(folderId);
        if (const int rc = f.TryUpdate()) {
            vrt::stop(QStringLiteral("Drop Email PUT :") + QString::number(id) + QStringLiteral(" : ") + failure(f, rc));
            return -1;
        }
        ++moved;
    }
    return moved;
}

MailDropTarget::MailDropTarget(QAbstractItemView* tree, std::function<long(const QModelIndex&)> folderAt,
                               std::function<void(int)> dropped)
    : QObject(tree), m_tree(tree), m_folderAt(std::move(folderAt)), m_dropped(std::move(dropped))
{
    tree->setAcceptDrops(true);
    tree->viewport()->setAcceptDrops(true);
    tree->viewport()->installEventFilter(this);
}

bool MailDropTarget::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (!e->mimeData()->hasFormat(QLatin1String(kEmailDragFormat)))
            return false;
        e->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const QList<long> ids = draggedEmails(e->mimeData());
        if (ids.isEmpty())
            return false;
        const QModelIndex at = m_tree->indexAt(e->position().toPoint());
        const long folder = at.isValid() ? m_folderAt(at) : 0;
        const int moved = folder ? dropEmails(ids, folder) : 0;
        e->acceptProposedAction();
        if (moved > 0 && m_dropped)
            m_dropped(moved);
        return true;
    }
    default: return false;
    }
}

namespace {

class FeatureMailDesk final : public MailDesk {
public:
    long contactByAddress(const QString& address) override { return organiser::contactByAddress(address); }
    std::optional<int> editTask(FormLauncher& forms, long eventId) override { return organiser::editTask(forms, eventId); }
    long addMailToTasks(FormLauncher& forms, const QString& text, const QString& replyTo) override
    {
        return organiser::addMailToTasks(forms, text, replyTo);
    }
    bool markMailUnread(long emailId) override { return organiser::markMailUnread(emailId); }
    int markFolderRead(long folderId) override { return organiser::markFolderRead(folderId); }
    int mailAttachmentCount(long emailId) override { return organiser::mailAttachmentCount(emailId); }
};

} // namespace

MailDesk& mailDesk()
{
    static FeatureMailDesk desk; // no state of its own
    return desk;
}

} // namespace organiser
