#include "runtime/WindowManager.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>

#include "runtime/Notify.h"

namespace vrt {

namespace {
int g_modalDepth = 0;
DialogRunner g_dialogRunner;

struct Waiting {
    int depth;
    QPointer<QObject> context;
    std::function<void()> fn;
};
std::vector<Waiting> g_waiting;

class AcceptedEvent : public QEvent {
public:
    explicit AcceptedEvent(int control) : QEvent(type()), control(control) {}
    static QEvent::Type type()
    {
        static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    int control;
};
} // namespace

int modalDepth() { return g_modalDepth; }

ModalScope::ModalScope() { ++g_modalDepth; }

ModalScope::~ModalScope()
{
    --g_modalDepth;
    // Released in the order they arrived, behind what the closing loop left queued.
    std::vector<Waiting> ready;
    std::erase_if(g_waiting, [&](Waiting& w) {
        if (w.depth < g_modalDepth)
            return false;
        ready.push_back(std::move(w));
        return true;
    });
    for (auto& w : ready)
        if (w.context)
            QMetaObject::invokeMethod(w.context.data(), std::move(w.fn), Qt::QueuedConnection);
}

void whenModalDepthAtMost(int depth, QObject* context, std::function<void()> fn)
{
    if (g_modalDepth <= depth) {
        QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
        return;
    }
    g_waiting.push_back({depth, context, std::move(fn)});
}

DialogRunner setDialogRunner(DialogRunner runner)
{
    DialogRunner old = std::move(g_dialogRunner);
    g_dialogRunner = std::move(runner);
    return old;
}

int runModal(QDialog& dialog)
{
    ModalScope scope;
    if (g_dialogRunner)
        return g_dialogRunner(dialog);
    return dialog.exec();
}

ReentryGuard::ReentryGuard() : m_home(g_modalDepth) {}

void ReentryGuard::rebase(int deeper) { m_home = g_modalDepth + deeper; }

bool ReentryGuard::mayRun() const { return !m_busy && g_modalDepth == m_home; }

bool ReentryGuard::run(const std::function<void()>& body)
{
    if (!mayRun())
        return false;
    m_busy = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{m_busy};
    body();
    return true;
}

WindowManager::WindowManager(QObject* parent) : QObject(parent) {}

WindowManager::~WindowManager()
{
    if (!m_killed)
        kill();
}

void WindowManager::setWindow(QWidget* window)
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

int WindowManager::init()
{
    m_killed = false;
    m_timerGuard.rebase();
    startTimer();
    return LEVEL_BENIGN;
}

int WindowManager::kill()
{
    if (m_killed)
        return LEVEL_NOTIFY;
    m_killed = true;
    if (m_timer)
        m_timer->stop();
    m_open = false;
    return LEVEL_BENIGN;
}

int WindowManager::run()
{
    if (init() != LEVEL_BENIGN) {
        kill();
        if (m_response == RESPONSE_NONE)
            m_response = REQUEST_CANCELLED;
        return m_response;
    }
    if (auto* dialog = qobject_cast<QDialog*>(m_window.data())) {
        m_open = true;
        // The dialog's own timer ticks inside the dialog's loop, one level deeper.
        m_timerGuard.rebase(1);
        const int result = runModal(*dialog);
        if (m_response == RESPONSE_NONE)
            m_response = result == QDialog::Accepted ? REQUEST_COMPLETED : REQUEST_CANCELLED;
    }
    return finishRun();
}

int WindowManager::finishRun()
{
    kill();
    return m_response;
}

int WindowManager::run(int number, int request)
{
    return REQUEST_CANCELLED;
}

bool WindowManager::open()
{
    if (init() != LEVEL_BENIGN) {
        kill();
        return false;
    }
    m_open = true;
    if (m_window)
        m_window->show();
    return true;
}

void WindowManager::close()
{
    if (m_window) {
        m_closingByProgram = true;
        m_window->close();
        m_closingByProgram = false;
    }
    if (!m_killed)
        kill();
}

void WindowManager::addResettable(ResetFn fn) { m_resettables.push_back(std::move(fn)); }

void WindowManager::reset(bool force)
{
    for (auto& fn : m_resettables)
        fn(force);
}

void WindowManager::setControl(int number, QWidget* widget) { m_controls[number] = widget; }

void WindowManager::setTarget(int number, std::function<void()> action)
{
    m_targets[number] = std::move(action);
}

QWidget* WindowManager::control(int number) const
{
    auto it = m_controls.find(number);
    return it == m_controls.end() ? nullptr : it->second.data();
}

bool WindowManager::hasControl(int number) const
{
    return m_targets.count(number) || control(number);
}

void WindowManager::postAccepted(int number)
{
    QCoreApplication::postEvent(this, new AcceptedEvent(number));
}

int WindowManager::accept(int number)
{
    auto it = m_targets.find(number);
    if (it != m_targets.end() && it->second) {
        it->second();
        return LEVEL_BENIGN;
    }
    return takeAccepted(number);
}

void WindowManager::setTimer(int hundredths)
{
    m_timerHundredths = hundredths;
    if (!m_killed)
        startTimer();
}

void WindowManager::startTimer()
{
    if (m_timerHundredths <= 0) {
        if (m_timer)
            m_timer->stop();
        return;
    }
    if (!m_timer) {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    }
    m_timer->start(m_timerHundredths * 10);
}

bool WindowManager::tick()
{
    return m_timerGuard.run([this] { takeTimer(); });
}

int WindowManager::takeEvent(QEvent*) { return LEVEL_BENIGN; }
int WindowManager::takeAccepted(int) { return LEVEL_BENIGN; }
int WindowManager::takeNewSelection(int) { return LEVEL_BENIGN; }
int WindowManager::takeWindowEvent(QEvent*) { return LEVEL_BENIGN; }
int WindowManager::takeCloseEvent() { return LEVEL_BENIGN; }
int WindowManager::takeNotify(int, int) { return LEVEL_BENIGN; }
int WindowManager::takeTimer() { return LEVEL_BENIGN; }

void WindowManager::setErrors(ErrorClass* errors, const QString& procedure)
{
    m_errors = errors;
    m_procedure = procedure;
    if (m_errors)
        m_errors->setProcedure(procedure);
}

bool WindowManager::deferWhileModal(std::function<void()> fn)
{
    if (modalDepth() <= m_timerGuard.home())
        return false;
    whenModalDepthAtMost(m_timerGuard.home(), this, std::move(fn));
    return true;
}

void WindowManager::receiveNotify(const NotifyEvent& n)
{
    const int code = n.code(), number = n.number();
    if (!deferWhileModal([this, code, number] { takeNotify(code, number); }))
        takeNotify(code, number);
}

bool WindowManager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    if (event->type() == NotifyEvent::type()) {
        receiveNotify(*static_cast<NotifyEvent*>(event));
        return true;
    }
    if (takeEvent(event) == LEVEL_NOTIFY)
        return true;
    switch (event->type()) {
    case QEvent::Close:
        if (!m_closingByProgram && takeCloseEvent() == LEVEL_CANCEL) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::WindowStateChange:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::KeyPress:
        return takeWindowEvent(event) == LEVEL_NOTIFY;
    default:
        return false;
    }
}

bool WindowManager::event(QEvent* event)
{
    if (event->type() == AcceptedEvent::type()) {
        const int control = static_cast<AcceptedEvent*>(event)->control;
        if (!deferWhileModal([this, control] { accept(control); }))
            accept(control);
        return true;
    }
    if (event->type() == NotifyEvent::type()) {
        receiveNotify(*static_cast<NotifyEvent*>(event));
        return true;
    }
    return QObject::event(event);
}

} // namespace vrt
