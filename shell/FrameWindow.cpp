#include "shell/FrameWindow.h"

#include "procedures/organiser/window/OrganiserWindow.h"

#include "chrome/WindowPainter.h"
#include "controls/Controls.h"
#include "controls/Images.h"
#include "controls/RibbonBar.h"
#include "controls/ShortcutCaption.h"
#include "controls/SkinFramework.h"
#include "controls/TrayIcon.h"
#include "data/Globals.h"
#include "procedures/assembly/OrganiserAssembly.h"
#include "procedures/common/MailTransferProtocol.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Dialogs.h"
#include "runtime/IniClass.h"
#include "runtime/IniFile.h"
#include "runtime/Notify.h"
#include "runtime/Paths.h"
#include "runtime/Termination.h"
#include "services/Quilvo.h"
#include "shell/OdbcDriverSetup.h"
#include "shell/PainterOverlay.h"
#include "shell/RibbonBuilder.h"
#include "shell/RibbonModel.h"
#include "shell/Startup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QSessionManager>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <unistd.h>

namespace shell {
namespace {

const QEvent::Type kStartEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

void stopMessage(const QString& text)
{
    vrt::message(text, QString(), vrt::Icon::Hand);
}

} // namespace

PainterText waitingText(const Translate& translate)
{
    PainterText wait;
    wait.label = QStringLiteral("Naslov");
    wait.text = translate(QStringLiteral("Molimo pričekajte ..."));
    wait.fontName = QStringLiteral("Tahoma");
    wait.fontSize = 12;
    wait.colour = 5329233;           // grey 81, 81, 81
    wait.highlightColour = 16777215; // white, one pixel up and left
    wait.highlightOffset = 1;
    wait.shadowOffset = 1;
    wait.align = 7; // centred
    return wait;
}

namespace {

class RegistrySource : public ComponentSource {
public:
    QObject* create(const QString& progId, QWidget* parent) override
    {
        controls::registerBuiltInControls();
        return vrt::ComponentRegistry::instance().create(progId, parent);
    }
    bool registerServer(const QString& library) override
    {
        return vrt::ComponentRegistry::instance().registerServer(library);
    }
};

// The program's own tray icon, organiser window and first-start work.
class ProgramHost : public FrameHost {
public:
    explicit ProgramHost(const FrameOptions& options) : m_options(options) {}

    void prepare() override
    {
        // A folder that cannot be written cannot record the install either; the organiser's
        // opening refuses such a folder with one message of its own.
        if (::access(QFile::encodeName(m_options.dataFolder).constData(), W_OK | X_OK) != 0)
            return;
        vrt::IniFile ini(vrt::joinPath(m_options.dataFolder, QStringLiteral("Standard.ini")));
        OdbcDriverInstaller installer;
        installDriverOnce(ini, installer, [this](const QString& why) {
            stopMessage(m_options.translate(QStringLiteral("Instalacija ODBC upravljačkog programa nije uspjela !")) +
                        QLatin1Char('\n') + why);
        });
    }
    controls::TrayIcon* makeTray(QObject* parent) override
    {
        QObject* made = m_options.components->create(QString::fromLatin1(controls::kTrayIconProgId), nullptr);
        auto* tray = qobject_cast<controls::TrayIcon*>(made);
        if (!tray) {
            delete made;
            return nullptr;
        }
        tray->setParent(parent);
        return tray;
    }
    // The organiser window takes this place when it exists.
    QWidget* startOrganiser(int frameReceiverId, QWidget* parent) override
    {
        return organiser::W_First(frameReceiverId, parent);
    }

private:
    const FrameOptions& m_options;
};

} // namespace

ComponentSource& ComponentSource::registry()
{
    static RegistrySource source;
    return source;
}

FrameOptions FrameOptions::standard()
{
    FrameOptions o;
    o.dataFolder = corvalde::dataFolder().isEmpty() ? vrt::currentFolder() : corvalde::dataFolder();
    o.settings = &program().settings;
    o.translate = [](const QString& s) {
        QUILVO* t = program().translator;
        return t ? t->QVSTR(s) : s;
    };
    o.organiserRequired = true;
    return o;
}

FrameWindow::FrameWindow(FrameOptions options, FrameHost& host, QWidget* parent)
    : QMainWindow(parent),
      m_options(std::move(options)),
      m_host(host),
      m_notifications(*this, m_options.translate, [this] {
          return vrt::IniFile(standardIni()).get(QStringLiteral("License"), QStringLiteral("CompanyName"));
      })
{
    m_host.prepare();
    // A transfer that crashed must not leave the frame busy for ever.
    vrt::IniFile(standardIni()).put(mailtransfer::startSection(), mailtransfer::startKey(), QStringLiteral("0"));

    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(controls::imageIcon(m_options.dataFolder, QStringLiteral("dudes.ico")));

    createSkin();
    auto* top = new QWidget(this);
    auto* column = new QVBoxLayout(top);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setMenuWidget(top);
    createRibbon();
    if (m_ribbon)
        column->addWidget(m_ribbon);
    if (m_caption)
        column->addWidget(m_caption);

    m_central = new QStackedWidget(this);
    m_waiting = new PainterOverlay(m_painter, this, m_central);
    m_central->addWidget(m_waiting);
    setCentralWidget(m_central);
    m_painter.setTextMargins(5, 5, 5, 5);
    m_painter.addText(waitingText(m_options.translate));

    statusBar()->addWidget(new QLabel(this), 1);
    m_date = new QLabel(this);
    statusBar()->addPermanentWidget(m_date);

    m_tray = m_host.makeTray(this);
    if (m_tray) {
        connect(m_tray, &controls::TrayIcon::doubleClicked, this, &FrameWindow::restoreFromTray);
        connect(m_tray, &controls::TrayIcon::restoreChosen, this, &FrameWindow::restoreFromTray);
        connect(m_tray, &controls::TrayIcon::closeChosen, this, &FrameWindow::closeFromTray);
    }

    restorePosition();
    m_receiverId = vrt::registerReceiver(this);

    m_poll = new QTimer(this);
    m_poll->setInterval(m_options.pollMilliseconds);
    connect(m_poll, &QTimer::timeout, this, &FrameWindow::poll);
    m_poll->start();
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FrameWindow::poll);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FrameWindow::poll);
    watchSettingsFile();
    if (m_options.dataFolder.size())
        m_watcher->addPath(m_options.dataFolder);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { endSession(); });
    poll();
}

FrameWindow::~FrameWindow()
{
    if (m_transfer.busy())
        QApplication::restoreOverrideCursor();
    vrt::unregisterReceiver(m_receiverId);
}

QString FrameWindow::standardIni() const
{
    return vrt::joinPath(m_options.dataFolder, QStringLiteral("Standard.ini"));
}

QWidget* FrameWindow::centralPage() const
{
    return m_central->currentWidget();
}

void FrameWindow::createSkin()
{
    const QString progId = QString::fromLatin1(controls::kSkinProgId);
    QObject* skin = m_options.components->create(progId, this);
    if (!skin) {
        m_options.components->registerServer(QStringLiteral("x_Skin"));
        skin = m_options.components->create(progId, this);
    }
    if (!skin) {
        stopMessage(QStringLiteral("x_Skin Please login as admin !"));
        return;
    }
    if (auto* framework = qobject_cast<controls::SkinFramework*>(skin)) {
        framework->loadSkin(vrt::joinPath(m_options.dataFolder, QStringLiteral("Images/KX.qss")));
        framework->applyWindow(this);
    }
}

void FrameWindow::createRibbon()
{
    QObject* ribbon = m_options.components->create(QString::fromLatin1(controls::kRibbonProgId), this);
    m_ribbon = qobject_cast<controls::RibbonBar*>(ribbon);
    if (!m_ribbon) {
        delete ribbon;
        stopMessage(QStringLiteral("Control is not registered :Ribbon !"));
    }
    QObject* caption = m_options.components->create(QString::fromLatin1(controls::kShortcutCaptionProgId), this);
    m_caption = qobject_cast<controls::ShortcutCaption*>(caption);
    if (!m_caption) {
        delete caption;
        stopMessage(QStringLiteral("Control is not registered :ShortCutBarCaption !"));
    } else {
        m_caption->setProperty(kOwnTexts, true);
        m_caption->setCaption(idleCaption());
        m_caption->setSubItemCaption(true);
    }
    if (!m_ribbon)
        return;
    m_ribbon->setProperty(kOwnTexts, true);
    const long long last = vrt::IniFile(standardIni()).getInt(QStringLiteral("LastTab"), QStringLiteral("Last"), 1);
    buildRibbon(*m_ribbon, m_options.dataFolder, m_options.translate, startTab(last));
    connect(m_ribbon, &controls::RibbonBar::executed, this, [this](int id) { m_forwarder.executed(id); });
    connect(m_ribbon, &controls::RibbonBar::tabSelected, this, [this](int tabId) { m_forwarder.tabChosen(tabId); });
}

QString FrameWindow::idleCaption() const
{
    return m_notifications.caption().value_or(m_options.translate(QStringLiteral("Tavrimo danas")));
}

void FrameWindow::retranslate()
{
    if (m_ribbon)
        retranslateRibbon(*m_ribbon, m_options.translate);
    if (m_transfer.busy()) {
        m_captionBeforeTransfer = idleCaption();
        setCaption(busyCaption(m_options.translate));
    } else {
        setCaption(idleCaption());
    }
    m_painter.addText(waitingText(m_options.translate));
    m_waiting->update();
}

void FrameWindow::restorePosition()
{
    // Without a window manager a maximise request does nothing, so the frame starts out as
    // large as its screen allows unless a position was saved.
    QRect g = screen()->availableGeometry();
    vrt::IniClass* s = m_options.settings;
    if (s && s->isInitialised()) {
        const QString section = QStringLiteral("W_Frame");
        const long long w = s->fetchInt(section, QStringLiteral("W"), 0);
        const long long h = s->fetchInt(section, QStringLiteral("H"), 0);
        if (w > 0 && h > 0)
            g = QRect(int(s->fetchInt(section, QStringLiteral("X"), 0)),
                      int(s->fetchInt(section, QStringLiteral("Y"), 0)), int(w), int(h));
    }
    setGeometry(g);
}

void FrameWindow::savePosition()
{
    vrt::IniClass* s = m_options.settings;
    if (!m_opened || !s || !s->isInitialised())
        return;
    const QString section = QStringLiteral("W_Frame");
    const QRect g = normalGeometry();
    s->update(section, QStringLiteral("X"), g.x());
    s->update(section, QStringLiteral("Y"), g.y());
    s->update(section, QStringLiteral("W"), g.width());
    s->update(section, QStringLiteral("H"), g.height());
    s->update(section, QStringLiteral("Maximized"), isMaximized() ? 1 : 0);
    s->update();
}

void FrameWindow::open()
{
    showMaximized();
    m_opened = true;
    QCoreApplication::postEvent(this, new QEvent(kStartEvent), Qt::LowEventPriority);
}

void FrameWindow::startOrganiser()
{
    // Widths count from here: the maximised size has been applied by now.
    m_width.opened(width());
    // The waiting text is on screen before the organiser window takes its time to open.
    m_waiting->repaint();
    if (QWidget* w = m_host.startOrganiser(m_receiverId, m_central)) {
        m_organiser = w;
        m_central->addWidget(w);
        if (m_options.organiserRequired)
            qInfo("velmora: organiser open");
    } else if (m_options.organiserRequired) {
        m_exitCode = 1;
        closeDown();
        return;
    }
    m_link.flush();
}

bool FrameWindow::event(QEvent* event)
{
    if (event->type() == vrt::NotifyEvent::type()) {
        const auto* n = static_cast<vrt::NotifyEvent*>(event);
        // The organiser window has reported in: it replaces the waiting text.
        if (m_organiser && m_central->currentWidget() != m_organiser)
            m_central->setCurrentWidget(m_organiser);
        m_notifications.take(n->code(), n->number());
        m_link.flush();
        return true;
    }
    if (event->type() == kStartEvent) {
        startOrganiser();
        return true;
    }
    if (event->type() == QUILVO::languageChangedEvent()) {
        retranslate();
        return true;
    }
    return QMainWindow::event(event);
}

void FrameWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // The desktop may report one change more than once; the organiser hears of each once.
    const auto now = windowState();
    if (!m_minimised && (now & Qt::WindowMinimized)) {
        m_minimised = true;
        m_link.send(kMinimising, 1);
        iconized();
    } else if (m_minimised && !(now & Qt::WindowMinimized)) {
        m_minimised = false;
        if (!(now & Qt::WindowMaximized)) {
            m_link.send(kRestored, 1);
            QMetaObject::invokeMethod(this, &QWidget::showMaximized, Qt::QueuedConnection);
        }
    }
}

void FrameWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_width.changed(width()))
        m_link.send(kWidthChanged, 0);
}

void FrameWindow::iconized()
{
    if (m_inTray || !m_tray)
        return;
    // Without a notification area the frame simply stays minimised.
    if (!m_tray->add())
        return;
    m_inTray = true;
    // After the minimise has finished: it shows the window as its last step.
    QMetaObject::invokeMethod(this, [this] { if (m_inTray) hide(); }, Qt::QueuedConnection);
}

void FrameWindow::restoreFromTray()
{
    if (!m_inTray)
        return;
    // A removal that failed is tried again at the next restore.
    if (m_tray->remove())
        m_inTray = false;
    showNormal();
}

void FrameWindow::closeFromTray()
{
    // The icon goes first, so none is left behind in the notification area.
    if (m_inTray && m_tray->remove())
        m_inTray = false;
    closeDown();
}

void FrameWindow::endSession()
{
    // The session may end the process soon after asking: the position is safe before the
    // orderly close runs.
    savePosition();
    closeDown();
}

void FrameWindow::closeDown()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    m_poll->stop();
    // The organiser window closes first: it saves its own layout.
    if (m_organiser)
        m_organiser->close();
    if (m_transfer.busy()) {
        QApplication::restoreOverrideCursor();
        m_transfer.update(0);
    }
    if (m_inTray && m_tray->remove())
        m_inTray = false;
    savePosition();
    vrt::unregisterReceiver(m_receiverId);
    event->accept();
    emit closed();
}

void FrameWindow::setCaption(const QString& caption)
{
    if (m_caption)
        m_caption->setCaption(caption);
}

void FrameWindow::selectRibbonTab(int tab)
{
    if (m_ribbon)
        m_ribbon->selectTab(tab - 1);
}

void FrameWindow::setAddressGroups(const std::array<bool, 3>& visible)
{
    if (!m_ribbon)
        return;
    const int tab = m_ribbon->tabIndexOfId(kTabCount * 100000);
    for (std::size_t i = 0; i < kAddressGroupIds.size(); ++i)
        if (controls::RibbonGroup* g = m_ribbon->group(tab, kAddressGroupIds[i]))
            g->setVisible(visible[i]);
}

void FrameWindow::watchSettingsFile()
{
    // Settings files are replaced, not rewritten, so the file is watched again after each write.
    const QString file = standardIni();
    if (QFileInfo::exists(file) && !m_watcher->files().contains(file))
        m_watcher->addPath(file);
}

void FrameWindow::poll()
{
    m_date->setText(QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat));
    watchSettingsFile();
    m_link.flush();
    const long long start = vrt::IniFile(standardIni()).getInt(mailtransfer::startSection(), mailtransfer::startKey(), 0);
    const QString busy = busyCaption(m_options.translate);
    switch (m_transfer.update(start)) {
    case TransferWatch::Change::Began:
        m_captionBeforeTransfer = m_caption ? m_caption->caption() : QString();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        break;
    case TransferWatch::Change::Ended:
        QApplication::restoreOverrideCursor();
        // The organiser window names the module again when it sees the transfer end; until
        // then the caption must not claim a transfer that is over.
        if (m_caption && m_caption->caption() == busy)
            m_caption->setCaption(m_captionBeforeTransfer);
        break;
    case TransferWatch::Change::None:
        break;
    }
    if (m_transfer.busy())
        setCaption(busy);
}

void attachTranslator(FrameWindow& frame, QUILVO& translator)
{
    // The frame's texts are recorded untranslated, so a language change can start from them.
    translator.setFRAMEWINDOW(&frame);
    translator.QVFRQ(&frame);
    translator.TRANSLATEWINDOW(&frame);
}

} // namespace shell

int W_Frame()
{
    QApplication::setQuitOnLastWindowClosed(false);
    const shell::FrameOptions options = shell::FrameOptions::standard();
    shell::ProgramHost host(options);
    shell::FrameWindow frame(options, host);
    QPointer<shell::FrameWindow> guard(&frame);
    // While the frame runs, a session end closes it as its own close paths do (it may be
    // hidden in the tray, where closing all windows would miss it).
    vrt::installTerminationHandler([guard] {
        if (guard)
            guard->endSession();
        else
            QCoreApplication::quit();
    });
    QObject::connect(&frame, &shell::FrameWindow::closed, [&frame] { QCoreApplication::exit(frame.exitCode()); });
    if (QUILVO* t = shell::program().translator)
        shell::attachTranslator(frame, *t);
    pxp::themeFrameWindow(&frame);
    frame.open();
    qInfo("velmora: frame open");
    return QApplication::exec();
}
