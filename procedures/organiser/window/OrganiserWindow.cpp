#include "procedures/organiser/window/OrganiserWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "chrome/ChromeGlobals.h"
#include "chrome/WindowPainter.h"
#include "data/Globals.h"
#include "procedures/common/ListLayoutView.h"
#include "procedures/common/TranslationRefresh.h"
#include "procedures/common/TreeLists.h"
#include "procedures/common/TreeQueueModel.h"
#include "procedures/common/VelmoraDll.h"
#include "procedures/organiser/window/DispatcherSide.h"
#include "procedures/organiser/window/WindowSides.h"
#include "procedures/organiser/window/KorbelsteenStart.h"
#include "procedures/organiser/window/ControlNumbers.h"
#include "procedures/organiser/window/OrganiserData.h"
#include "procedures/organiser/lists/MoneyPicture.h"
#include "procedures/organiser/window/SettingsWrites.h"
#include "procedures/common/MailSettings.h"
#include "procedures/common/MailTransferProtocol.h"
#include "runtime/IniFile.h"
#include "runtime/Notify.h"
#include "runtime/Paths.h"
#include "runtime/Dialogs.h"
#include "services/Quilvo.h"

#include <algorithm>

namespace organiser {

const QStringList OrganiserWindow::PageCaptions = {
    QStringLiteral("ZarUrozuvazura"), QStringLiteral("Email"),     QStringLiteral("Zadaci"),
    QStringLiteral("Kalendar"),       QStringLiteral("Planiranje"), QStringLiteral("Financije"),
    QStringLiteral("Passwords"),      QStringLiteral("Adresar")};

const std::vector<OrganiserWindow::ListKey> OrganiserWindow::ListKeys = {
    {ctl::Notes, "?L:Notes"},       {ctl::Email, "?L:Email"},
    {ctl::MailFolderTree, "?L:InboxQ"}, {ctl::TaskCategory, "?L:TaskCategory"},
    {ctl::Zadaci, "?L:Zadaci"},     {ctl::GanttItems, "?L:ItemsQ"},
    {ctl::CategoryTree, "?L:PrihodiRashodiQ"}, {ctl::Pr, "?L:Pr"},
    {ctl::UDK, "?L:UDK"},           {ctl::UD, "?L:UD"},
    {ctl::IDK, "?L:IDK"},           {ctl::ID, "?L:ID"},
    {ctl::Stavke, "?L:Stavke"},     {ctl::StateList, "?LIST1"},
    {ctl::PKat, "?L:PKat"},         {ctl::Pass, "?L:Pass"},
    {ctl::ContactGroupTree, "?L:KontaktiGrupaQ"}, {ctl::Kontakti, "?L:Kontakti"},
    {ctl::PZadaci, "?L:P:Zadaci"},  {ctl::PUD, "?L:P:UD"},
    {ctl::PID, "?L:P:ID"}};

namespace {
QHeaderView* listHeader(QWidget* w)
{
    if (auto* table = qobject_cast<QTableView*>(w))
        return table->horizontalHeader();
    if (auto* tree = qobject_cast<QTreeView*>(w))
        return tree->header();
    return nullptr;
}

// Counts from the window's making.
class ElapsedClock : public Clock {
public:
    ElapsedClock() { m_timer.start(); }
    long long hundredths() override { return m_timer.elapsed() / 10; }

private:
    QElapsedTimer m_timer;
};
} // namespace

void NotifyFrameLink::notify(int code, int number) { vrt::notify(m_id, code, number); }

// ---- start flag ---------------------------------------------------------------------------

int StartFlag::read(long long now)
{
    const QFileInfo info(m_path);
    const qint64 stamp = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    const qint64 size = info.exists() ? info.size() : -1;
    if (stamp != m_stamp || size != m_size || now - m_readAt >= 100) {
        m_stamp = stamp;
        m_size = size;
        m_readAt = now;
        m_value = int(vrt::IniFile(m_path).getInt(mailtransfer::startSection(), mailtransfer::startKey(), 0));
        if (m_value == 1 && m_receiverAlive && !m_receiverAlive())
            m_value = 2;
    }
    return m_value;
}

bool StartFlag::write(int value)
{
    m_value = value;
    m_stamp = -2; // read back what is there next time
    return vrt::IniFile(m_path).put(mailtransfer::startSection(), mailtransfer::startKey(), QString::number(value));
}

// ---- manager ------------------------------------------------------------------------------

MainWindowManager::MainWindowManager(OrganiserWindow& window) : m_w(window) {}

int MainWindowManager::init()
{
    vrt::WindowManager::init();
    return m_w.opening();
}

int MainWindowManager::kill()
{
    const int result = vrt::WindowManager::kill();
    if (result != vrt::LEVEL_BENIGN)
        return result;
    // Tables only when the opening opened them; the layout is saved either way.
    if (m_w.m_filesOpened && m_w.m_deps.files)
        m_w.m_deps.files->close();
    m_w.m_filesOpened = false;
    m_w.parts().saveMainLayout();
    return vrt::LEVEL_BENIGN;
}

int MainWindowManager::run(int number, int request)
{
    return m_w.m_runner->run(this->request(), number, request);
}

int MainWindowManager::takeNotify(int code, int number)
{
    switch (code) {
    // Each notification carries its own value to its accepted event: two commands sent in
    // quick succession both run, in order, instead of the second overwriting the first.
    case 1:
        m_w.m_dispatcher->setCommand(number);
        vrt::whenModalDepthAtMost(timerGuard().home(), this, [this, number] {
            m_w.m_dispatcher->setCommand(number);
            accept(ctl::MN_COMMAND);
        });
        break;
    case 2:
        vrt::whenModalDepthAtMost(timerGuard().home(), this, [this, number] {
            m_w.m_pendingSel = number;
            accept(ctl::MN_SEL);
        });
        break;
    case 3:
        if (m_w.parts().resizeControls() == 0)
            reset(true);
        break;
    case 4:
        m_w.parts().saveMainLayout();
        break;
    case 5:
        m_w.parts().setupSplitters();
        break;
    }
    return vrt::LEVEL_BENIGN;
}

int MainWindowManager::takeWindowEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Esc would close a dialog; the organiser window stays.
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape ? vrt::LEVEL_NOTIFY : vrt::LEVEL_BENIGN;
    case QEvent::WindowStateChange:
        // Saved silently: a box on every minimise only interrupted the user.
        if (m_w.isMinimized())
            m_w.parts().saveMainLayout();
        return vrt::LEVEL_BENIGN;
    case QEvent::Resize:
        if (m_w.m_skipNextSized) {
            m_w.m_skipNextSized = false;
            return vrt::LEVEL_BENIGN;
        }
        m_w.parts().resizeControls();
        return vrt::LEVEL_BENIGN;
    case QEvent::Show:
        if (!m_w.m_displayed) {
            m_w.m_displayed = true;
            m_w.firstDisplay();
        }
        return vrt::LEVEL_BENIGN;
    default:
        return vrt::LEVEL_BENIGN;
    }
}

int MainWindowManager::takeCloseEvent() { return vrt::LEVEL_CANCEL; }

int MainWindowManager::takeTimer()
{
    const long long now = m_w.m_deps.clock->hundredths();
    if (m_w.m_lastClock < 0)
        m_w.m_lastClock = now;
    // After a suspend, one interval's worth is all there is to catch up on.
    const long long elapsed = std::min<long long>(now - m_w.m_lastClock, m_w.m_heartbeat->receiveInterval());
    m_w.m_lastClock = now;
    if (elapsed > 0)
        m_w.m_heartbeat->advance(int(elapsed));
    m_w.parts().afterEvent();
    return vrt::LEVEL_BENIGN;
}

int MainWindowManager::takeNewSelection(int control)
{
    int result = vrt::LEVEL_BENIGN;
    switch (control) {
    case ctl::OverviewSheet: result = m_w.m_deps.panes->DrawFinanceChart(); break;
    case ctl::MailFolderTree: result = m_w.mailFolderSelected(); break;
    case ctl::CategoryTree: result = m_w.m_deps.panes->CategorySelected(); break;
    case ctl::ContactSheet: m_w.m_deps.frame->notify(3, m_w.m_contacts->currentIndex() + 1); break;
    }
    m_w.parts().afterEvent();
    return result;
}

int MainWindowManager::takeAccepted(int control)
{
    const int result = m_w.parts().paneButton(control);
    m_w.parts().afterEvent();
    return result;
}

// ---- window -------------------------------------------------------------------------------

OrganiserWindow::OrganiserWindow(Deps deps, QWidget* parent) : QWidget(parent), m_deps(std::move(deps))
{
    if (m_deps.dataFolder.isEmpty())
        m_deps.dataFolder = corvalde::dataFolder();
    // A window that would answer a command with nothing is not made.
    if (!m_deps.gantt || !m_deps.calendar || !m_deps.primer || !m_deps.unattached)
        qFatal("The organiser window needs its Gantt chart, calendar, record primer and unattached answer");
    if (!m_deps.forms)
        m_deps.forms = (m_ownForms = std::make_unique<FormTable>(*m_deps.unattached)).get();
    if (!m_deps.panes)
        m_deps.panes = (m_ownPanes = std::make_unique<RoutineTable>(*m_deps.unattached)).get();
    if (!m_deps.launcher)
        m_deps.launcher = (m_ownLauncher = std::make_unique<korbelsteen::DetachedLauncher>()).get();
    if (!m_deps.frame)
        m_deps.frame = (m_ownFrame = std::make_unique<NotifyFrameLink>()).get();
    if (!m_deps.clock)
        m_deps.clock = (m_ownClock = std::make_unique<ElapsedClock>()).get();
    if (!m_deps.translate)
        m_deps.translate = [](const QString& text) { return VelmoraDll::translator().QVSTR(text); };

    // Known before anything else, so a notification sent during the opening is kept.
    m_receiverId = vrt::registerReceiver(this);
    GLO::W_FIRST = m_receiverId;

    m_manager = std::make_unique<MainWindowManager>(*this);
    m_startFlag = std::make_unique<StartFlag>(dataPath(QStringLiteral("Standard.ini")),
                                              [folder = m_deps.dataFolder] { return korbelsteen::receiveHolderAlive(folder); });
    build();

    m_dispatcherSide = std::make_unique<DispatcherSide>(*this);
    m_dispatcher = std::make_unique<CommandDispatcher>(
        static_cast<const Services&>(m_deps),
        *m_dispatcherSide, m_deps.dataFolder);

    m_heartbeatSide = std::make_unique<HeartbeatSide>(*this);
    m_heartbeat = std::make_unique<Heartbeat>(*m_heartbeatSide);
    m_tabSide = std::make_unique<TabSide>(*this);
    m_tabs = std::make_unique<TabSwitcher>(*m_deps.panes, *m_deps.gantt, *m_deps.frame, *m_tabSide);
    m_runnerValues = std::make_unique<RunnerValues>(*this);
    m_runner = std::make_unique<UpdateRunner>(*m_deps.forms, *m_runnerValues);

    m_manager->setTarget(ctl::MN_COMMAND, [this] {
        m_dispatcher->dispatch();
        parts().afterEvent();
    });
    m_manager->setTarget(ctl::MN_SEL, [this] {
        if (m_pendingSel < 1 || m_pendingSel > 8)
            return;
        m_sel = m_pendingSel;
        tabChanged(m_sel);
    });
}

OrganiserWindow::~OrganiserWindow()
{
    // The frame closing takes its central area with it: the same closing as a shutdown.
    if (m_manager && m_manager->isOpen())
        shutDown();
    vrt::unregisterReceiver(m_receiverId);
    if (GLO::W_FIRST == m_receiverId)
        GLO::W_FIRST = 0;
}

QString OrganiserWindow::tr(const QString& text) const { return m_deps.translate ? m_deps.translate(text) : text; }

QString OrganiserWindow::dataPath(const QString& relative) const { return vrt::joinPath(m_deps.dataFolder, relative); }

void OrganiserWindow::build()
{
    setFont(QFont(QStringLiteral("Tahoma")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);
    for (const QString& caption : PageCaptions) {
        auto* page = new QWidget(m_pages);
        page->setObjectName(caption);
        new QVBoxLayout(page);
        m_pages->addWidget(page);
    }
    // The pages' contents are composed by the panes; the window makes the controls its own
    // logic needs by number.
    auto* chart = new QWidget(m_pages->widget(0));
    chart->setObjectName(QStringLiteral("Chart"));

    // The ribbon chooses the finance page, so its sheet shows no tabs of its own.
    m_finance = new QTabWidget(m_pages->widget(5));
    m_finance->tabBar()->hide();
    m_finance->setDocumentMode(true);
    for (const char* caption : {"Prihodi/rashodi", "Ulazni računi", "Izlazni računi", "Graf"})
        m_finance->addTab(new QWidget(m_finance), QString::fromUtf8(caption)); // translated with the window
    m_pages->widget(5)->layout()->addWidget(m_finance);

    m_contacts = new QTabWidget(m_pages->widget(7));
    for (const char* caption : {"Napomena", "Zadaci", "Ulazni dokumenti", "Izlazni dokumenti"})
        m_contacts->addTab(new QWidget(m_contacts), QString::fromUtf8(caption));
    connect(m_contacts, &QTabWidget::currentChanged, this, [this] { m_manager->takeNewSelection(ctl::ContactSheet); });

    // The hosted components' containers: the mail page's reading pane (header over preview,
    // the attachments inside the header), the calendar with its picker, the planning chart.
    auto container = [this](int control, const char* name, QWidget* parent) {
        auto* box = new QWidget(parent);
        box->setObjectName(QLatin1String(name));
        m_manager->setControl(control, box);
        return box;
    };
    container(ctl::HeaderPanel, "PodaciD", m_pages->widget(1));
    container(ctl::Preview, "Mht", m_pages->widget(1));
    container(ctl::Attachments, "AttachD", m_pages->widget(1))->hide();
    container(ctl::Calendar, "Cal", m_pages->widget(3));
    container(ctl::DatePicker, "DateTimePicker", m_pages->widget(3));
    container(ctl::Gantt, "Ex", m_pages->widget(4));

    m_manager->setWindow(this);
    m_manager->setControl(ctl::MainSheet, m_pages);
    m_manager->setControl(ctl::Chart, chart);
    m_manager->setControl(ctl::FinanceSheet, m_finance);
    m_manager->setControl(ctl::ContactSheet, m_contacts);
    m_manager->setErrors(VelmoraDll::LibraryErrors(), QStringLiteral("W_First"));
}

int OrganiserWindow::financePage() const { return m_finance->currentIndex() + 1; }

void OrganiserWindow::selectPage(int page)
{
    // A page number the sheet does not have leaves it on the page it shows.
    if (page >= 1 && page <= m_pages->count())
        m_pages->setCurrentIndex(page - 1);
}

int OrganiserWindow::opening()
{
    GLOBALREQUEST = 0;
    GLOBALRESPONSE = 0;
    if (m_deps.files && m_deps.files->open() != 0)
        return vrt::LEVEL_FATAL; // OpenFilez has said why; the window does not open half-working
    m_filesOpened = true;

    const vrt::IniFile ini(dataPath(QStringLiteral("Standard.ini")));
    m_sel = int(ini.getInt(QStringLiteral("LastTab"), QStringLiteral("Last"), 1));

    const MoneyTokens tokens = moneyTokens(moneySeparators(m_deps.locale).decimal, moneySeparators(m_deps.locale).thousands);
    GC::DECIMAL = tokens.decimal.toStdString();
    GC::THOUSAND = tokens.thousands.toStdString();
    m_moneyPicture = QStringLiteral("@N-14") + tokens.thousands + tokens.decimal + QStringLiteral("2b");

    restoreListLayouts();

    // The library's texts first, so the window is translated into the current language.
    VelmoraDll::refreshTranslationIfChanged();
    VelmoraDll::translator().TRANSLATEWINDOW(this);
    // Then the theme's look for the controls and the window's fill, unless themes are off.
    pxp::themeLibraryWindow(this);
    m_opened = true;
    selectPage(m_sel);
    m_manager->setTimer(10); // counted in hundredths through the clock, so 100 ms is plenty
    return vrt::LEVEL_BENIGN;
}

void OrganiserWindow::restoreListLayouts()
{
    for (const auto& list : ListKeys)
        if (std::find(m_restoredLayouts.begin(), m_restoredLayouts.end(), list.control) == m_restoredLayouts.end())
            if (QHeaderView* header = listHeader(m_manager->control(list.control))) {
                VelmoraDll::restoreListLayout(header, QStringLiteral("W_First"), QString::fromLatin1(list.key));
                m_restoredLayouts.push_back(list.control);
            }
}

void OrganiserWindow::pageComposed(QWidget* page)
{
    // Before the opening the opening does all of it, for the whole window.
    if (!m_opened || !page)
        return;
    restoreListLayouts();
    VelmoraDll::translator().TRANSLATEWINDOW(page);
    if (auto* painter = findChild<PXPWINDOWCLASS*>(QString(), Qt::FindDirectChildrenOnly))
        for (QWidget* control : page->findChildren<QWidget*>())
            painter->ADDCONTROL(control);
}

void OrganiserWindow::firstDisplay()
{
    if (m_deps.controls) {
        // The components go into the window's containers; the calendar and the plan set
        // themselves up through the pane routines.
        class Host : public HostingWindow {
        public:
            explicit Host(OrganiserWindow& w) : m_w(w) {}
            QWidget* container(int control) override { return m_w.m_manager->control(control); }
            QString translate(const QString& text) override { return m_w.tr(text); }
            int populateCalendar() override { return m_w.m_deps.panes->PopulateCalendar(); }
            int setupGantt() override { return m_w.m_deps.panes->SetupGantt(); }

        private:
            OrganiserWindow& m_w;
        } host(*this);
        HostedDeps hosted;
        hosted.factory = m_deps.controls;
        hosted.language = G::QVLang.load();
        hosted.dataFolder = m_deps.dataFolder;
        createActiveXControls(hosted, host, m_hosted);
        // A component that is not there yet says so in the current language.
        for (int control : {ctl::Calendar, ctl::DatePicker, ctl::Gantt, ctl::Chart})
            if (QWidget* box = m_manager->control(control))
                VelmoraDll::translator().TRANSLATEWINDOW(box);
    }
    parts().firstShown();
    vrt::IniFile ini(dataPath(QStringLiteral("Standard.ini")));
    putSetting(ini, QStringLiteral("QuilvoLang"), QStringLiteral("Ok"), tr(QStringLiteral("&Ok"))) &&
        putSetting(ini, QStringLiteral("QuilvoLang"), QStringLiteral("Cancel"), tr(QStringLiteral("&Prekid")));

    m_heartbeat->firstDisplay(mailpeople::storedCheck(m_deps.dataFolder));

    QDir().mkpath(dataPath(QStringLiteral("Documents/Signature")));
    // The frame learns which module is shown, and the shown pane fills.
    tabChanged(m_sel);
}

int OrganiserWindow::tabChanged(int page) { return m_tabs->tabChanged(page); }

int OrganiserWindow::mailFolderSelected()
{
    // The sent folder shows the recipient column where the others show the sender, at the
    // width the user last gave whichever of the two was shown.
    auto* folders = qobject_cast<QAbstractItemView*>(m_manager->control(ctl::MailFolderTree));
    const QModelIndex current = folders ? folders->currentIndex() : QModelIndex();
    auto* tree = folders ? qobject_cast<VelmoraDll::TreeQueueModel*>(folders->model()) : nullptr;
    const int row = tree ? tree->position(current) : current.row();
    const auto& queue = VelmoraDll::InboxQ();
    auto* list = qobject_cast<QTableView*>(m_manager->control(ctl::Email));
    if (row >= 0 && size_t(row) < queue.size() && list && list->model()) {
        QHeaderView* header = list->horizontalHeader();
        for (int column : {1, 2})
            if (header->sectionSize(column) > 0 && header->sectionSize(column) != m_mailNameColumnWidth)
                m_mailNameColumnWidth = header->sectionSize(column);
        const bool sent = queue[size_t(row)].ENNAZIV == QLatin1String("xSent_1");
        // The list translates its own headers.
        list->model()->setHeaderData(1, Qt::Horizontal, sent ? QStringLiteral("Prima") : QStringLiteral("Šalje"));
        header->resizeSection(1, sent ? 0 : m_mailNameColumnWidth);
        header->resizeSection(2, sent ? m_mailNameColumnWidth : 0);
    }
    return m_deps.panes->InboxSelected();
}

bool OrganiserWindow::startReceive()
{
    return m_deps.launcher->startDetached(korbelsteen::programPath(m_deps.dataFolder), korbelsteen::receiveArgs());
}

bool OrganiserWindow::open()
{
    if (!m_deps.parts)
        qFatal("The organiser window opens with its panes attached");
    return m_manager->open();
}

void OrganiserWindow::setList(int control, QAbstractItemView* view) { m_manager->setControl(control, view); }

void OrganiserWindow::saveListLayouts()
{
    bool saved = true;
    for (const auto& list : ListKeys)
        if (QHeaderView* header = listHeader(m_manager->control(list.control)))
            saved = VelmoraDll::saveListLayout(header, QStringLiteral("W_First"), QString::fromLatin1(list.key)) && saved;
    if (!saved) // list layouts live in the working folder's file
        reportSettingsNotSaved(vrt::IniFile(vrt::joinPath(QDir::currentPath(), QStringLiteral("Standard.ini"))));
}

void OrganiserWindow::shutDown()
{
    if (m_manager->isOpen())
        saveListLayouts();
    m_manager->close();
}

} // namespace organiser
