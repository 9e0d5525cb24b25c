#include "procedures/organiser/window/CommandDispatcher.h"

#include <QFileInfo>

#include <cstdio>

#include "data/Globals.h"
#include "procedures/organiser/mail/Korbelsteen.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

namespace organiser {

namespace {
const QString XmlFilter = QStringLiteral("XML project|*.XML");
}

CommandDispatcher::CommandDispatcher(Services services, WindowSide window, QString dataFolder)
    : m_s(services), m_w(std::move(window)), m_dataFolder(std::move(dataFolder))
{
}

QString CommandDispatcher::tr(const QString& text) const { return m_w.translate ? m_w.translate(text) : text; }

void CommandDispatcher::postWhenEnabled(int control)
{
    if (!m_w.isEnabled || m_w.isEnabled(control))
        m_w.postAccepted(control);
}

int CommandDispatcher::dispatch()
{
    if (m_command == 0)
        return 0;
    int failed = 0;
    auto run = [&](int flag) { failed = flag; };
    switch (m_command) {
    case 1002:
    case 2001:
        newMessage();
        break;
    case 1003: run(InsertTask()); break;
    case 1004: run(InsertProduct()); break;
    case 1007: run(InsertPassword()); break;
    case 1010: m_s.forms->W_Postavke(); break;
    case 1011:
        m_s.forms->T_Accounti(std::nullopt);
        if (m_w.shownPage() == 2) {
            run(m_s.panes->SetMailFolderIcons());
            if (!failed)
                run(m_s.panes->ReadEmailsSQL());
        } else {
            m_w.emptyMailFolderQueue();
        }
        break;
    case 1012: run(OpenBackup()); break;
    case 1013: m_s.frame->notify(2, 2); break;
    case 1014: run(m_s.panes->FillTaskPanel()); break;
    case 1015: run(InsertContact()); break;
    case 1100: run(InsertIncome()); break;
    case 1101: run(InsertExpense()); break;
    case 1102: run(InsertIncomingDocument()); break;
    case 1103: run(InsertOutgoingDocument()); break;
    case 2002: reply(korbelsteen::Reply); break;
    case 2003: reply(korbelsteen::ReplyAll); break;
    case 2004: reply(korbelsteen::Forward); break;
    case 2005: sendReceive(); break;
    case 2006: run(m_s.panes->DeleteEmail()); break;
    case 2007: m_s.forms->R_Email(); break;
    case 2008:
        m_s.forms->T_Accounti(std::nullopt);
        run(m_s.panes->SetMailFolderIcons());
        if (!failed)
            run(m_s.panes->ReadEmailsSQL());
        break;
    case 3001: postWhenEnabled(33); break;
    case 3002: postWhenEnabled(34); break;
    case 3003: postWhenEnabled(35); break;
    case 3004: postWhenEnabled(38); break;
    case 3005: postWhenEnabled(39); break;
    case 3006: postWhenEnabled(40); break;
    case 3007:
        if (m_w.printRecordId() != 0)
            m_s.forms->R_Task();
        break;
    case 4004: run(m_s.calendar->refresh()); break;
    case 4005: m_s.calendar->printPreview(1); break;
    case 5001: newPlan(); break;
    case 5002: openPlan(); break;
    case 5003: savePlan(); break;
    case 5004: addActivity(true); break;
    case 5005: run(m_s.panes->IndentGanttActivity()); break;
    case 5006: run(m_s.panes->OutdentGanttActivity()); break;
    case 5007: run(m_s.panes->MoveGanttActivityUp()); break;
    case 5008: run(m_s.panes->MoveGanttActivityDown()); break;
    case 5009: addActivity(false); break;
    case 5011: savePlanAs(); break;
    case 5012: deleteActivity(); break;
    case 5013: run(m_s.panes->ExportProjectXml()); break;
    case 6001: run(finance(1)); break;
    case 6003: run(finance(2)); break;
    case 6004: run(finance(3)); break;
    case 6005: run(finance(4)); break;
    case 6998:
        switch (m_financeTab) {
        case 1: run(m_s.panes->ExportExcelIncomeExpenses()); break;
        case 2: run(m_s.panes->ExportExcelInputDocument()); break;
        case 3: run(m_s.panes->ExportExcelInvoice()); break;
        case 4: run(m_s.panes->ExportExcelState()); break;
        }
        break;
    case 6999:
        switch (m_financeTab) {
        case 1: run(m_s.panes->PrintIncomeExpenses()); break;
        case 2: run(m_s.panes->PrintInputDocument()); break;
        case 3: run(m_s.panes->PrintInvoice()); break;
        case 4: run(m_s.panes->PrintState()); break;
        }
        break;
    case 7001: m_w.postAccepted(109); break;
    case 7002: postWhenEnabled(110); break;
    case 7003: postWhenEnabled(111); break;
    case 7004: m_w.postAccepted(114); break;
    case 7005: postWhenEnabled(115); break;
    case 7006: postWhenEnabled(116); break;
    case 8001: m_w.postAccepted(121); break;
    case 8002: m_w.postAccepted(122); break;
    case 8003: m_w.postAccepted(123); break;
    case 8004: m_w.postAccepted(124); break;
    case 8005: m_w.postAccepted(125); break;
    case 8006: postWhenEnabled(126); break;
    case 8007: postWhenEnabled(127); break;
    case 8008: m_w.postAccepted(139); break;
    case 8009: postWhenEnabled(138); break;
    case 8010: postWhenEnabled(140); break;
    case 8011: m_w.postAccepted(144); break;
    case 8012: postWhenEnabled(143); break;
    case 8013: postWhenEnabled(145); break;
    case 8014: m_w.postAccepted(149); break;
    case 8015: postWhenEnabled(148); break;
    case 8016: postWhenEnabled(150); break;
    default: // bars and drop-downs of the ribbon (1001, 1005, 1009, 5010, 6002), unknown codes
        break;
    }
    if (failed)
        return failed;
    m_command = 0;
    return 0;
}

// ---- new records --------------------------------------------------------------------------

namespace {
// Primes, sets the insert request and calls the form; no form when the priming failed.
template <class Form>
int primeAndRun(RecordPrimer* primer, Table table, Form form)
{
    if (!primer->prime(table))
        return 0;
    GLOBALREQUEST = vrt::INSERT_RECORD;
    form();
    // A blank record must not outlive a form that was cancelled (or never built).
    if (GLOBALRESPONSE != vrt::REQUEST_COMPLETED)
        primer->release(table);
    return 0;
}
} // namespace

int CommandDispatcher::InsertOutgoingDocument()
{
    return primeAndRun(m_s.primer, Table::IDokumenti, [&] { m_s.forms->F_ID_Dokumenti(std::nullopt); });
}

int CommandDispatcher::InsertIncomingDocument()
{
    return primeAndRun(m_s.primer, Table::UDokumenti, [&] { m_s.forms->F_UD_Dokumenti(std::nullopt); });
}

int CommandDispatcher::InsertExpense()
{
    return primeAndRun(m_s.primer, Table::PrihodiRashodi, [&] { m_s.forms->F_PrihodiRashodi(2, 2); });
}

int CommandDispatcher::InsertIncome()
{
    return primeAndRun(m_s.primer, Table::PrihodiRashodi, [&] { m_s.forms->F_PrihodiRashodi(1, 1); });
}

int CommandDispatcher::InsertContact()
{
    return primeAndRun(m_s.primer, Table::CON_Contacts, [&] { m_s.forms->F_Contact(); });
}

int CommandDispatcher::InsertPassword()
{
    return primeAndRun(m_s.primer, Table::Passwords, [&] { m_s.forms->F_PASS_Password(); });
}

int CommandDispatcher::InsertProduct()
{
    return primeAndRun(m_s.primer, Table::ProizvodUsluga, [&] { m_s.forms->F_Proizvodi(); });
}

int CommandDispatcher::InsertTask()
{
    bool ran = false;
    primeAndRun(m_s.primer, Table::CAL_CalendarEvents, [&] {
        m_s.forms->F_Zadaci(0, 0, 0, std::nullopt, QString());
        ran = true;
    });
    if (ran && GLOBALRESPONSE == vrt::REQUEST_COMPLETED && m_w.shownPage() == 1)
        return m_s.panes->FillTaskPanel();
    return 0;
}

int CommandDispatcher::OpenBackup()
{
    m_s.forms->W_Backup(QString());
    return 0;
}

// ---- mail -------------------------------------------------------------------------------

bool CommandDispatcher::startMail(const QStringList& args)
{
    const bool started = m_s.launcher->startDetached(korbelsteen::programPath(m_dataFolder), args);
    if (!started) // the user would otherwise wait for a mail window that never comes
        korbelsteen::reportStartFailure(m_w.translate);
    return started;
}

void CommandDispatcher::newMessage() { startMail(korbelsteen::newMessageArgs()); }

void CommandDispatcher::newMessageTo(const QString& address) { startMail(korbelsteen::toAddressArgs(address)); }

void CommandDispatcher::reply(int mode)
{
    const long long id = m_w.emailId();
    if (id == 0)
        return;
    const QString copy = korbelsteen::copyBody(m_dataFolder, m_w.messageId());
    startMail(korbelsteen::replyArgs(copy, mode, id));
}

void CommandDispatcher::sendReceive()
{
    // One receive at a time, whoever asks for it.
    if ((m_w.receiveBusy && m_w.receiveBusy()) || m_s.launcher->lastStillRunning())
        return;
    if (startMail(korbelsteen::receiveArgs()) && m_w.receiveStartedByUser)
        m_w.receiveStartedByUser();
}

// ---- finance ----------------------------------------------------------------------------

int CommandDispatcher::finance(int page)
{
    switch (page) {
    case 1:
        if (m_w.categoryTreeEmpty()) {
            if (int failed = m_s.panes->FillFinanceCategoryTree())
                return failed;
            m_w.selectCategoryRow(true);
        } else {
            m_w.selectCategoryRow(false);
        }
        m_w.postNewSelection(53);
        m_w.showFinancePage(1);
        m_s.frame->notify(1, 101);
        break;
    case 2:
    case 3:
        m_w.showFinancePage(page);
        m_s.frame->notify(1, 100 + page);
        m_w.freeChartQueues();
        m_w.resetForce();
        break;
    case 4:
        m_w.freeChartQueues();
        m_w.setStateChartKind(1);
        if (int failed = m_s.panes->ShowStateChart())
            return failed;
        m_w.showFinancePage(4);
        m_s.frame->notify(1, 104);
        m_w.freeChartQueues();
        m_w.resetForce();
        break;
    }
    m_financeTab = page;
    return 0;
}

// ---- project plan -----------------------------------------------------------------------

namespace {
struct Updating {
    bool& flag;
    explicit Updating(bool& f) : flag(f) { flag = true; }
    ~Updating() { flag = false; }
};
} // namespace

void CommandDispatcher::bindBarColumns(long item)
{
    m_s.gantt->cellValueToItemBar(item, 1, 1);
    m_s.gantt->cellValueToItemBar(item, 2, 2);
    m_s.gantt->cellValueToItemBar(item, 3, 258);
}

bool CommandDispatcher::unsavedPlanHandled()
{
    if (!m_s.gantt->isModified())
        return true;
    const int answer = vrt::message(tr(QStringLiteral("Plan je promijenjen. Želite li spremiti promjene?")), QString(),
                                    vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO | vrt::BUTTON_CANCEL);
    if (answer == vrt::BUTTON_YES)
        return savePlan();
    return answer == vrt::BUTTON_NO;
}

void CommandDispatcher::newPlan()
{
    if (!unsavedPlanHandled())
        return;
    Updating u(m_ganttUpdating);
    m_s.gantt->beginUpdate();
    m_s.gantt->removeAllItems();
    m_s.gantt->endUpdate();
    m_s.panes->SetupGantt();
    m_projectFileName.clear();
}

void CommandDispatcher::openPlan()
{
    if (!unsavedPlanHandled())
        return;
    vrt::FileDialogArgs args{QStringLiteral("Open"), m_projectFileName, XmlFilter, 0};
    if (!vrt::fileDialog(args))
        return;
    Updating u(m_ganttUpdating);
    m_s.gantt->beginUpdate();
    if (!m_s.gantt->loadXml(args.file)) {
        m_s.gantt->endUpdate();
        vrt::message(tr(QStringLiteral("Plan nije otvoren: ")) + args.file, QString(), vrt::Icon::Hand);
        return;
    }
    m_projectFileName = args.file;
    m_s.gantt->setAllowCellValueToItemBar(true);
    const int count = m_s.gantt->itemCount();
    for (int i = 0; i < count; ++i)
        bindBarColumns(m_s.gantt->itemByIndex(i));
    m_s.gantt->endUpdate();
    m_s.panes->RenumberGanttWbs();
}

bool CommandDispatcher::writePlan(const QString& path)
{
    // The old plan stays until the new one is complete: save beside it, then swap.
    const QString temp = path + QStringLiteral(".saving");
    QFile::remove(temp);
    const bool ok = m_s.gantt->saveXml(temp) && QFileInfo::exists(temp)
        && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        QFile::remove(temp);
        vrt::message(tr(QStringLiteral("Plan nije spremljen: ")) + path, QString(), vrt::Icon::Hand);
    } else {
        m_s.gantt->markSaved();
    }
    return ok;
}

bool CommandDispatcher::savePlan()
{
    if (m_projectFileName.isEmpty() || !QFileInfo::exists(m_projectFileName))
        return savePlanAs();
    Updating u(m_ganttUpdating);
    return writePlan(m_projectFileName);
}

bool CommandDispatcher::savePlanAs()
{
    vrt::FileDialogArgs args{QStringLiteral("Save"), m_projectFileName, XmlFilter, vrt::FILE_SAVE};
    if (!vrt::fileDialog(args))
        return false;
    m_projectFileName = args.file;
    Updating u(m_ganttUpdating);
    m_s.gantt->beginUpdate();
    const bool ok = writePlan(m_projectFileName);
    m_s.gantt->endUpdate();
    return ok;
}

void CommandDispatcher::addActivity(bool summary)
{
    Updating u(m_ganttUpdating);
    GanttApi& g = *m_s.gantt;
    const long item = g.insertItem();
    if (!summary)
        g.setCellValue(item, 4, g.itemCount());
    g.setCellValue(item, 0, tr(summary ? QStringLiteral("Novi WBS") : QStringLiteral("Nova aktivnost")));
    QDate day = m_w.today ? m_w.today() : QDate::currentDate();
    // A chart that marks every day non-working would never end the search; a year is plenty.
    for (int i = 0; i < 366 && g.isNonworkingDate(day); ++i)
        day = day.addDays(1);
    const QDate next = day.addDays(1);
    g.setCellValue(item, 1, day);
    g.setCellValue(item, 2, next);
    g.setCellValue(item, 3, 1);
    g.selectItem(item);
    g.ensureVisibleItem(item);
    g.addBar(item, summary ? QStringLiteral("Summary") : QStringLiteral("Task"), day, next);
    if (!summary)
        g.setItemBar(item, 20, 1);
    bindBarColumns(item);
    m_s.panes->RenumberGanttWbs();
    if (!summary) {
        g.setAutoEdit(true);
        g.edit();
    }
}

void CommandDispatcher::deleteActivity()
{
    Updating u(m_ganttUpdating);
    GanttApi& g = *m_s.gantt;
    g.beginUpdate();
    if (const long item = g.focusItem()) {
        if (g.itemChild(item) != 0) {
            vrt::message(tr(QStringLiteral("Prethodno morate obrisati aktivnosti koje su \"djeca\" tekuće aktivnosti ili WBS-a!")),
                         QString(), vrt::Icon::Question);
        } else {
            g.removeLinksOf(item);
            g.removeItem(item);
        }
    }
    g.endUpdate();
    m_s.panes->RenumberGanttWbs();
}

} // namespace organiser
