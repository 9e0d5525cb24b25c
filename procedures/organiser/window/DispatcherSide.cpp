#include "procedures/organiser/window/DispatcherSide.h"

#include <QAbstractButton>
#include <QTabWidget>

#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/window/ControlNumbers.h"

namespace organiser {

void OrganiserWindow::DispatcherSide::postAccepted(int control) { m_w.m_manager->postAccepted(control); }

void OrganiserWindow::DispatcherSide::postNewSelection(int control)
{
    MainWindowManager* manager = m_w.m_manager.get();
    vrt::whenModalDepthAtMost(manager->timerGuard().home(), manager, [manager, control] { manager->takeNewSelection(control); });
}

bool OrganiserWindow::DispatcherSide::isEnabled(int control)
{
    QWidget* w = m_w.m_manager->control(control);
    return w && w->isEnabled();
}

int OrganiserWindow::DispatcherSide::shownPage() { return m_w.m_sel; }

// An empty tree queue is a tree not filled yet.
void OrganiserWindow::DispatcherSide::emptyMailFolderQueue() { VelmoraDll::InboxQ().clear(); }

bool OrganiserWindow::DispatcherSide::categoryTreeEmpty() { return VelmoraDll::PrihodiRashodiQ().empty(); }

// A tree filled just now shows from its first category; one filled before keeps its row.
void OrganiserWindow::DispatcherSide::selectCategoryRow(bool first)
{
    m_w.parts().selectTreeRow(ctl::CategoryTree, first ? 1 : 0);
}

void OrganiserWindow::DispatcherSide::showFinancePage(int page) { m_w.m_finance->setCurrentIndex(page - 1); }

int OrganiserWindow::DispatcherSide::shownFinancePage() { return m_w.financePage(); }

void OrganiserWindow::DispatcherSide::freeChartQueues() { m_w.m_selectedContactId = 0; }

void OrganiserWindow::DispatcherSide::resetForce() { m_w.m_manager->reset(true); }

// ?STANJETIP: 1 personal finances, 2 the documents (the state page's two options).
void OrganiserWindow::DispatcherSide::setStateChartKind(int kind)
{
    if (auto* option = qobject_cast<QAbstractButton*>(m_w.m_manager->control(kind == 2 ? 107 : 106)))
        option->setChecked(true);
}

// The record buffers are the data layer's; a window given none has no current record.
long long OrganiserWindow::DispatcherSide::emailId()
{
    return m_w.m_deps.records ? m_w.m_deps.records->emailId() : 0;
}

QString OrganiserWindow::DispatcherSide::messageId()
{
    return m_w.m_deps.records ? m_w.m_deps.records->messageId() : QString();
}

long long OrganiserWindow::DispatcherSide::printRecordId()
{
    return m_w.m_deps.records ? m_w.m_deps.records->printRecordId() : 0;
}

void OrganiserWindow::DispatcherSide::receiveStartedByUser() { m_w.m_heartbeat->receiveStartedByUser(); }

bool OrganiserWindow::DispatcherSide::receiveBusy() { return m_w.m_startFlag->read(m_w.m_deps.clock->hundredths()) == 1; }

QDate OrganiserWindow::DispatcherSide::today() { return QDate::currentDate(); }

QString OrganiserWindow::DispatcherSide::translate(const QString& text) { return m_w.m_deps.translate(text); }

} // namespace organiser
