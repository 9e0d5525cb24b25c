#include "procedures/organiser/window/WindowSides.h"

#include <QApplication>

#include "procedures/common/TreeLists.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "procedures/organiser/window/DispatcherSide.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "procedures/organiser/window/SettingsWrites.h"
#include "runtime/IniFile.h"

namespace organiser {

namespace {
// The library's tree fills over the data layer's tables; left out while there are none.
int fillTree(Unattached& unattached, const char* name, VelmoraDll::TreeTableSource* table,
             void (*filler)(VelmoraDll::TreeTableSource&))
{
    if (table)
        filler(*table);
    else
        unattached.skipped(QString::fromLatin1(name));
    return 0;
}

// A window given no record buffers has no current record.
template<typename Value>
Value orNone(RecordBuffers* records, Value (RecordBuffers::*read)())
{
    return records ? (records->*read)() : Value();
}
} // namespace

// ---- tab switcher -------------------------------------------------------------------------

void OrganiserWindow::TabSide::clearWorkTexts() { m_w.m_textBuffer.clear(); }

void OrganiserWindow::TabSide::freeChartQueues() { m_w.m_dispatcherSide->freeChartQueues(); }

void OrganiserWindow::TabSide::writeLastTab(int page)
{
    vrt::IniFile ini(m_w.dataPath(QStringLiteral("Standard.ini")));
    putSetting(ini, QStringLiteral("LastTab"), QStringLiteral("Last"), QString::number(page));
}

void OrganiserWindow::TabSide::showPage(int page) { m_w.selectPage(page); }

void OrganiserWindow::TabSide::showOverviewChart(bool on)
{
    if (QWidget* chart = m_w.m_manager->control(ctl::Chart))
        chart->setVisible(on);
}

bool OrganiserWindow::TabSide::mailFolderQueueEmpty() { return VelmoraDll::InboxQ().empty(); }

int OrganiserWindow::TabSide::fillInboxTree()
{
    return fillTree(*m_w.m_deps.unattached, "S_FillInboxTree", m_w.m_deps.folders, &VelmoraDll::S_FillInboxTree);
}

void OrganiserWindow::TabSide::selectMailFolderRow(int row) { m_w.parts().selectTreeRow(ctl::MailFolderTree, row); }

void OrganiserWindow::TabSide::focusMailList()
{
    if (QWidget* list = m_w.m_manager->control(ctl::Email))
        list->setFocus();
}

long OrganiserWindow::TabSide::taskCategoryId()
{
    return m_w.m_deps.records ? m_w.m_deps.records->taskCategoryId() : m_w.m_taskCategoryId;
}

void OrganiserWindow::TabSide::setTaskFilter(long id, const QString& filter)
{
    m_w.m_taskCategoryId = id;
    m_w.m_taskFilter = filter;
}

bool OrganiserWindow::TabSide::categoryQueueEmpty() { return m_w.m_dispatcherSide->categoryTreeEmpty(); }

void OrganiserWindow::TabSide::selectCategoryRow(int row) { m_w.parts().selectTreeRow(ctl::CategoryTree, row); }

void OrganiserWindow::TabSide::showFinancePage(int page) { m_w.m_dispatcherSide->showFinancePage(page); }

bool OrganiserWindow::TabSide::contactGroupQueueEmpty() { return VelmoraDll::KontaktiGrupaQ().empty(); }

int OrganiserWindow::TabSide::fillContactGroupTree()
{
    return fillTree(*m_w.m_deps.unattached, "S_FillContactGroupTree", m_w.m_deps.groups,
                    &VelmoraDll::S_FillContactGroupTree);
}

// A tree filled just now shows from its first group; one filled before keeps its row.
void OrganiserWindow::TabSide::contactGroupTree(bool filled)
{
    m_w.parts().selectTreeRow(ctl::ContactGroupTree, filled ? 1 : 0);
}

void OrganiserWindow::TabSide::resetForce() { m_w.m_dispatcherSide->resetForce(); }

// ---- heartbeat ----------------------------------------------------------------------------

bool OrganiserWindow::HeartbeatSide::markShownRead()
{
    return m_w.m_deps.records ? m_w.m_deps.records->markShownRead() : true;
}

long long OrganiserWindow::HeartbeatSide::emailCount() { return orNone(m_w.m_deps.records, &RecordBuffers::emailCount); }

void OrganiserWindow::HeartbeatSide::emailsChanged()
{
    if (m_w.m_deps.records)
        m_w.m_deps.records->emailsChanged();
}

bool OrganiserWindow::HeartbeatSide::receiveRunning() { return m_w.m_deps.launcher->lastStillRunning(); }

bool OrganiserWindow::HeartbeatSide::startReceive() { return m_w.startReceive(); }

void OrganiserWindow::HeartbeatSide::receiveStartFailed() { korbelsteen::reportStartFailure(m_w.m_deps.translate); }

int OrganiserWindow::HeartbeatSide::readStartFlag() { return m_w.m_startFlag->read(m_w.m_deps.clock->hundredths()); }

void OrganiserWindow::HeartbeatSide::writeStartFlag(int value) { m_w.m_startFlag->write(value); }

// The ribbon and the caption follow the page that is shown: a receive that ends while
// another page is shown leaves both where they are.
void OrganiserWindow::HeartbeatSide::notifyFrame(int code, int number)
{
    if (code == 1 && number != m_w.m_sel)
        return;
    m_w.m_deps.frame->notify(code, number);
}

void OrganiserWindow::HeartbeatSide::normalCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// The read mark's failed write has stopped the program already.
void OrganiserWindow::HeartbeatSide::stopOnReadMarkFailure() {}

// ---- update numbers -----------------------------------------------------------------------

long OrganiserWindow::RunnerValues::eventId() { return orNone(m_w.m_deps.records, &RecordBuffers::eventId); }

long OrganiserWindow::RunnerValues::taskCategoryId() { return orNone(m_w.m_deps.records, &RecordBuffers::taskCategoryId); }

long OrganiserWindow::RunnerValues::financeCategoryId() { return orNone(m_w.m_deps.records, &RecordBuffers::financeCategoryId); }

int OrganiserWindow::RunnerValues::financeCategoryType() { return orNone(m_w.m_deps.records, &RecordBuffers::financeCategoryType); }

long OrganiserWindow::RunnerValues::selectedContactId()
{
    return m_w.m_deps.records ? m_w.m_deps.records->selectedContactId() : m_w.m_selectedContactId;
}

QString OrganiserWindow::RunnerValues::textBuffer() { return m_w.m_textBuffer; }

long OrganiserWindow::RunnerValues::outgoingDocumentsRow() { return orNone(m_w.m_deps.records, &RecordBuffers::outgoingDocumentsRow); }

} // namespace organiser
