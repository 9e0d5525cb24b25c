#include "procedures/organiser/window/EventChecks.h"

#include "protocols/MailNames.h"

#include "procedures/organiser/window/Commands.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"

namespace organiser {

QString EventPump::previewPath(const QString& dataFolder, const QString& messageId)
{
    if (messageId.isEmpty())
        return QStringLiteral("about:blank");
    // The name the receive gave the body file; a message id never names a path.
    return controls::bodyFilePath(dataFolder, messageId);
}

int EventPump::run()
{
    if (m_running)
        return 0;
    m_running = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_running};

    // 1. A newly selected mail goes into the preview.
    if (LayoutState == 2) {
        const QString id = m_d.messageId();
        if (id != ShownMessageID) {
            m_d.showEmail();
            m_d.navigate(previewPath(m_dataFolder, id));
            ShownMessageID = id;
            ReadMarkTicks = 0;
        }
    }
    // 2. The first layout.
    if (LayoutState == 1) {
        for (auto step : {&EventPumpDeps::resizeControls, &EventPumpDeps::setupSplitters, &EventPumpDeps::fillTaskPanel})
            if (const int rc = (m_d.*step)())
                return rc;
        LayoutState = 2;
    }
    // 3. The width of the mail list's name column, whichever of sender or recipient shows.
    for (int column : {2, 3})
        if (const int w = m_d.mailColumnWidth(column); w > 0 && w != MailNameColumnWidth)
            MailNameColumnWidth = w;
    // 4. The task category filters the task list.
    if (const long id = m_d.taskCategoryId(); id != TaskCategoryID) {
        TaskFilter = m_d.taskCategoryOrder() == 999999 ? QString() : QStringLiteral("CAL:LABELID = '%1'").arg(id);
        m_d.setTaskFilter(TaskFilter);
        m_d.emptyContactTasks();
        SelectedContactID = 99999999;
        m_d.reset();
        TaskCategoryID = id;
    }
    // 5. A link whose delay is to be edited.
    if (PendingLinkEdit != 0) {
        GanttLinkToEdit = PendingLinkEdit;
        m_d.postAccepted(ctl::GanttLinkMenu);
        PendingLinkEdit = 0;
    }
    // 6. A link to delete.
    if (PendingLinkAction != 0) {
        if (PendingLinkAction == 1
            && m_d.askYesNo(QStringLiteral("Želite li obrisati link?"), QStringLiteral("Info")) == vrt::BUTTON_YES)
            m_d.removeLink(PendingLinkKey);
        PendingLinkAction = 0;
    }
    // 7, 8. The outgoing document and its category.
    if (const long id = m_d.outgoingDocumentId(); id != SelectedDocumentID) {
        m_d.reset();
        SelectedDocumentID = id;
    }
    if (const long id = m_d.outgoingCategoryId(); id != SelectedCategoryID) {
        m_d.reset();
        SelectedCategoryID = id;
    }
    // 9. No contacts: nothing of a contact shows.
    if (m_d.contactsEmpty()) {
        m_d.emptyContactLists();
        SelectedContactID = 0;
    }
    // 10. Insert and Delete pressed in the Gantt chart.
    if (!PendingGanttKey.isEmpty()) {
        const int code = PendingGanttKey == QLatin1String("Insert") ? cmd::PlanAddActivity
                         : PendingGanttKey == QLatin1String("Delete") ? cmd::PlanDeleteActivity : 0;
        if (code)
            if (const int rc = m_d.dispatch(code))
                return rc; // the request stays for the next event
        PendingGanttKey.clear();
    }
    return 0;
}

void ListEvents::mailPressed(const QString& replyTo)
{
    SenderIsContact = m_mail && m_mail->contactByAddress(replyTo) != 0 ? 1 : 0;
}

void ListEvents::mailDoubleClicked(long emailId)
{
    if (emailId != 0)
        m_commands.dispatch(cmd::MailReply);
}

vrt::PopupMenu& ListEvents::mailMenu()
{
    m_menus.prepare(Popup::Mail, SenderIsContact == 1);
    return m_menus.menu(Popup::Mail);
}

} // namespace organiser
