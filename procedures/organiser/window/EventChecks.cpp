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
    if (LayoutState == 2 && m_d.messageId) {
        const QString id = m_d.messageId();
        if (id != ShownMessageID) {
            if (m_d.showEmail)
                m_d.showEmail();
            if (m_d.navigate)
                m_d.navigate(previewPath(m_d.dataFolder, id));
            ShownMessageID = id;
            ReadMarkTicks = 0;
        }
    }
    // 2. The first layout.
    if (LayoutState == 1) {
        for (const auto& step : {m_d.resizeControls, m_d.setupSplitters, m_d.fillTaskPanel})
            if (step)
                if (const int rc = step())
                    return rc;
        LayoutState = 2;
    }
    // 3. The width of the mail list's name column, whichever of sender or recipient shows.
    if (m_d.mailColumnWidth)
        for (int column : {2, 3})
            if (const int w = m_d.mailColumnWidth(column); w > 0 && w != MailNameColumnWidth)
                MailNameColumnWidth = w;
    // 4. The task category filters the task list.
    if (m_d.taskCategoryId && m_d.taskCategoryId() != TaskCategoryID) {
        const long id = m_d.taskCategoryId();
        TaskFilter = m_d.taskCategoryOrder && m_d.taskCategoryOrder() == 999999
                         ? QString()
                         : QStringLiteral("CAL:LABELID = '%1'").arg(id);
        if (m_d.setTaskFilter)
            m_d.setTaskFilter(TaskFilter);
        if (m_d.emptyContactTasks)
            m_d.emptyContactTasks();
        SelectedContactID = 99999999;
        if (m_d.reset)
            m_d.reset();
        TaskCategoryID = id;
    }
    // 5. A link whose delay is to be edited.
    if (PendingLinkEdit != 0) {
        GanttLinkToEdit = PendingLinkEdit;
        if (m_d.postAccepted)
            m_d.postAccepted(ctl::GanttLinkMenu);
        PendingLinkEdit = 0;
    }
    // 6. A link to delete.
    if (PendingLinkAction != 0) {
        if (PendingLinkAction == 1 && m_d.askYesNo
            && m_d.askYesNo(QStringLiteral("Želite li obrisati link?"), QStringLiteral("Info")) == vrt::BUTTON_YES
            && m_d.removeLink)
            m_d.removeLink(PendingLinkKey);
        PendingLinkAction = 0;
    }
    // 7, 8. The outgoing document and its category.
    if (m_d.outgoingDocumentId) {
        if (const long id = m_d.outgoingDocumentId(); id != SelectedDocumentID) {
            if (m_d.reset)
                m_d.reset();
            SelectedDocumentID = id;
        }
    }
    if (m_d.outgoingCategoryId) {
        if (const long id = m_d.outgoingCategoryId(); id != SelectedCategoryID) {
            if (m_d.reset)
                m_d.reset();
            SelectedCategoryID = id;
        }
    }
    // 9. No contacts: nothing of a contact shows.
    if (m_d.contactsEmpty && m_d.contactsEmpty()) {
        if (m_d.emptyContactLists)
            m_d.emptyContactLists();
        SelectedContactID = 0;
    }
    // 10. Insert and Delete pressed in the Gantt chart.
    if (!PendingGanttKey.isEmpty()) {
        const int code = PendingGanttKey == QLatin1String("Insert") ? cmd::PlanAddActivity
                         : PendingGanttKey == QLatin1String("Delete") ? cmd::PlanDeleteActivity : 0;
        if (code && m_d.dispatch)
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
    if (emailId != 0 && m_dispatch)
        m_dispatch(cmd::MailReply);
}

vrt::PopupMenu& ListEvents::mailMenu()
{
    m_menus.prepare(Popup::Mail, SenderIsContact == 1);
    return m_menus.menu(Popup::Mail);
}

} // namespace organiser
