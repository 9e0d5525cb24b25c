#include "procedures/organiser/window/CommandDispatcher.h"

#include <QFileInfo>

#include <cstdio>

#include "data/Globals.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "procedures/organiser/window/Commands.h"
#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

namespace organiser {

namespace {
const QString XmlFilter = QStringLiteral("XML project|*.XML");
}

CommandDispatcher::CommandDispatcher(Services services, WindowSide& window, QString dataFolder)
    : m_s(services), m_w(window), m_dataFolder(std::move(dataFolder))
{
}

QString CommandDispatcher::tr(const QString& text) const { return m_w.translate(text); }

void CommandDispatcher::postWhenEnabled(int control)
{
    if (m_w.isEnabled(control))
        m_w.postAccepted(control);
}

int CommandDispatcher::dispatch()
{
    if (m_command == 0)
        return 0;
    if (const cmd::Press* press = cmd::pressOf(m_command)) {
        if (press->onlyWhenEnabled)
            postWhenEnabled(press->control);
        else
            m_w.postAccepted(press->control);
        m_command = 0;
        return 0;
    }
    int failed = 0;
    auto run = [&](int flag) { failed = flag; };
    switch (m_command) {
    case cmd::NewEmail:
    case cmd::MailNew:
        newMessage();
        break;
    case cmd::NewTask: run(InsertTask()); break;
    case cmd::NewProduct: run(InsertProduct()); break;
    case cmd::NewPassword: run(InsertPassword()); break;
    case cmd::ProgramSettings: m_s.forms->W_Postavke(); break;
    case cmd::MailAccounts:
        m_s.forms->T_Accounti(std::nullopt);
        if (m_w.shownPage() == 2) {
            run(m_s.panes->SetMailFolderIcons());
            if (!failed)
                run(m_s.panes->ReadEmailsSQL());
        } else {
            m_w.emptyMailFolderQueue();
        }
        break;
    case cmd::Archive: run(OpenBackup()); break;
    case cmd::Exit: m_s.frame->notify(2, 2); break;
    case cmd::Refresh: run(m_s.panes->FillTaskPanel()); break;
    case cmd::NewContact: run(InsertContact()); break;
    case cmd::NewIncome: run(InsertIncome()); break;
    case cmd::NewExpense: run(InsertExpense()); break;
    case cmd::NewIncomingDocument: run(InsertIncomingDocument()); break;
    case cmd::NewOutgoingDocument: run(InsertOutgoingDocument()); break;
    case cmd::MailReply: reply(korbelsteen::Reply); break;
    case cmd::MailReplyAll: reply(korbelsteen::ReplyAll); break;
    case cmd::MailForward: reply(korbelsteen::Forward); break;
    case cmd::MailSendReceive: sendReceive(); break;
    case cmd::MailDelete: run(m_s.panes->DeleteEmail()); break;
    case cmd::MailPrint: m_s.forms->R_Email(); break;
    case cmd::MailAccountsOnMailPage:
        m_s.forms->T_Accounti(std::nullopt);
        run(m_s.panes->SetMailFolderIcons());
        if (!failed)
            run(m_s.panes->ReadEmailsSQL());
        break;
    case cmd::TaskPrint:
        if (m_w.printRecordId() != 0)
            m_s.forms->R_Task();
        break;
    case cmd::CalendarRefresh: run(m_s.calendar->refresh()); break;
    case cmd::CalendarPrint: m_s.calendar->printPreview(1); break;
    case cmd::PlanNew: newPlan(); break;
    case cmd::PlanOpen: openPlan(); break;
    case cmd::PlanSave: savePlan(); break;
    case cmd::PlanAddWbs: addActivity(true); break;
    case cmd::PlanIndent: run(m_s.panes->IndentGanttActivity()); break;
    case cmd::PlanOutdent: run(m_s.panes->OutdentGanttActivity()); break;
    case cmd::PlanMoveUp: run(m_s.panes->MoveGanttActivityUp()); break;
    case cmd::PlanMoveDown: run(m_s.panes->MoveGanttActivityDown()); break;
    case cmd::PlanAddActivity: addActivity(false); break;
    case cmd::PlanSaveAs: savePlanAs(); break;
    case cmd::PlanDeleteActivity: deleteActivity(); break;
    case cmd::PlanExportXml: case cmd::PlanExportXmlMenu: run(m_s.panes->ExportProjectXml()); break;
    case cmd::FinancePersonal: run(finance(1)); break;
    case cmd::FinanceIncoming: run(finance(2)); break;
    case cmd::FinanceOutgoing: run(finance(3)); break;
    case cmd::FinanceState: run(finance(4)); break;
    case cmd::FinanceExcel:
        // The list shown is the one exported, also before any finance page was chosen.
        switch (financeListShown()) {
        case 1: run(m_s.panes->ExportExcelIncomeExpenses()); break;
        case 2: run(m_s.panes->ExportExcelInputDocument()); break;
        case 3: run(m_s.panes->ExportExcelInvoice()); break;
        case 4: run(m_s.panes->ExportExcelState()); break;
        }
        break;
    case cmd::FinancePrint:
        switch (financeListShown()) {
        case 1: run(m_s.panes->PrintIncomeExpenses()); break;
        case 2: run(m_s.panes->PrintInputDocument()); break;
        case 3: run(m_s.panes->PrintInvoice()); break;
        case 4: run(m_s.panes->PrintState()); break;
        }
        break;
    default: // bars and drop-downs of the ribbon (NewMenu, NewFinanceDocument, SettingsMenu, PlanSaveMenu), unknown codes
        break;
    }
    if (failed)
        return failed;
    m_command = 0;
    return 0;
}

// ---- new records --------------------------------------------------------------------------

namespace {
// Primes, sets the insert request and calls the form; no form when the priming failed. A
// record stored resets the window, so a list that shows it (the contacts of the group
// shown, the entries of the category shown) shows it at once.
template <class Form>
int primeAndRun(RecordPrimer* primer, WindowSide& w, Table table, Form form)
{
    if (!primer->prime(table))
        return 0;
    GLOBALREQUEST = vrt::INSERT_RECORD;
    form();
    // A blank record must not outlive a form that was cancelled (or never built).
    if (GLOBALRESPONSE != vrt::REQUEST_COMPLETED)
        primer->release(table);
    else
        w.resetForce();
    return 0;
}
} // namespace

int CommandDispatcher::InsertOutgoingDocument()
{
    return primeAndRun(m_s.primer, m_w, Table::IDokumenti, [&] { m_s.forms->F_ID_Dokumenti(std::nullopt); });
}

int CommandDispatcher::InsertIncomingDocument()
{
    return primeAndRun(m_s.primer, m_w, Table::UDokumenti, [&] { m_s.forms->F_UD_Dokumenti(std::nullopt); });
}

int CommandDispatcher::InsertExpense()
{
    return primeAndRun(m_s.primer, m_w, Table::PrihodiRashodi, [&] { m_s.forms->F_PrihodiRashodi(2, 2); });
}

int CommandDispatcher::InsertIncome()
{
    return primeAndRun(m_s.primer, m_w, Table::PrihodiRashodi, [&] { m_s.forms->F_PrihodiRashodi(1, 1); });
}

int CommandDispatcher::InsertContact()
{
    return primeAndRun(m_s.primer, m_w, Table::CON_Contacts, [&] { m_s.forms->F_Contact(); });
}

int CommandDispatcher::InsertPassword()
{
    return primeAndRun(m_s.primer, m_w, Table::Passwords, [&] { m_s.forms->F_PASS_Password(); });
}

int CommandDispatcher::InsertProduct()
{
    return primeAndRun(m_s.primer, m_w, Table::ProizvodUsluga, [&] { m_s.forms->F_Proizvodi(); });
}

int CommandDispatcher::InsertTask()
{
    bool ran = false;
    primeAndRun(m_s.primer, m_w, Table::CAL_CalendarEvents, [&] {
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
        korbelsteen::reportStartFailure([this](const QString& text) { return tr(text); });
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
    if (m_w.receiveBusy() || m_s.launcher->lastStillRunning())
        return;
    if (startMail(korbelsteen::receiveArgs()))
        m_w.receiveStartedByUser();
}

// ---- finance ----------------------------------------------------------------------------

int CommandDispatcher::financeListShown() const
{
    const int shown = m_w.shownFinancePage();
    return shown >= 1 && shown <= 4 ? shown : m_financeTab;
}

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
        m_w.postNewSelection(ctl::CategoryTree);
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
    QDate day = m_w.today();
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
