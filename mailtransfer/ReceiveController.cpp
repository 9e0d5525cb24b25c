#include "mailtransfer/ReceiveController.h"

#include "controls/MailManager.h"
#include "data/Corvalde.h"
#include "data/Globals.h"
#include "mailtransfer/ReceiveAccount.h"
#include "procedures/common/MailTransferProtocol.h"
#include "runtime/Dialogs.h"
#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Threads.h"
#include "services/Quilvo.h"

#include <QEventLoop>
#include <QThread>

#include <future>

namespace korbelsteen {
namespace {
constexpr int QuestionTicks = 20; // ten seconds at the usual tick
constexpr int CloseTicks = 6;     // three seconds after the last account
} // namespace

ReceiveController::ReceiveController(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    m_timer.setInterval(m_options.tickMs);
    connect(&m_timer, &QTimer::timeout, this, &ReceiveController::tick);
}

ReceiveController::~ReceiveController()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void ReceiveController::writeStart(int value)
{
    vrt::IniFile ini(vrt::joinPath(m_options.dataFolder, QStringLiteral("Standard.ini")));
    if (ini.put(mailtransfer::startSection(), mailtransfer::startKey(), QString::number(value)) || m_startWriteFailed.exchange(true))
        return;
    // Said once a run. The receive goes on: its lock keeps a second one out, and the
    // organiser clears a flag whose receive has ended.
    const QString text = corvalde::translator().QVSTR(QStringLiteral("Oznaka primanja pošte ne može se zapisati:"))
                         + QLatin1Char('\n') + ini.path() + QLatin1Char('\n') + ini.errorString();
    const auto tell = [text] { vrt::message(text, QStringLiteral("Info"), vrt::Icon::Exclamation, vrt::BUTTON_OK); };
    if (QThread::currentThread() == thread())
        tell();
    else
        QMetaObject::invokeMethod(this, tell, Qt::QueuedConnection);
}

void ReceiveController::exec()
{
    QEventLoop loop;
    connect(this, &ReceiveController::closed, &loop, &QEventLoop::quit);
    start();
    if (!m_closed)
        loop.exec();
    if (!m_closed) {
        // The program is ending (a stop window's "end"): give up and still say so.
        m_cancel = true;
        m_abandoned = true;
        close();
    }
}

void ReceiveController::start()
{
    writeStart(1);
    m_timer.start();
    m_worker = vrt::startThread([this] { work(); });
}

void ReceiveController::cancel()
{
    m_cancel = true;
    m_closeRequested = true;
}

void ReceiveController::appendText(int row, const QString& text)
{
    QMetaObject::invokeMethod(
        this,
        [this, row, text] {
            while (m_texts.size() <= row)
                m_texts.append(QString());
            m_texts[row] += text.startsWith(QLatin1Char(' ')) ? QLatin1Char(' ') + corvalde::translator().QVSTR(text.mid(1))
                                                              : text;
            emit textChanged(row, m_texts[row]);
        },
        Qt::QueuedConnection);
}

void ReceiveController::stopOnGuiThread(const QString& text)
{
    if (QThread::currentThread() == thread()) {
        vrt::stop(text);
        return;
    }
    // Waits for the answer unless the GUI thread has stopped listening.
    auto answered = std::make_shared<std::promise<void>>();
    std::future<void> done = answered->get_future();
    QMetaObject::invokeMethod(
        this, [text, answered] { vrt::stop(text); answered->set_value(); }, Qt::QueuedConnection);
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready && !m_abandoned) {
    }
}

void ReceiveController::work()
{
    std::unique_ptr<MailStore> store = m_options.makeStore ? m_options.makeStore() : nullptr;
    const std::vector<Account> accounts = store ? store->accounts() : std::vector<Account>{};
    for (size_t i = 0; i < accounts.size(); ++i)
        appendText(int(i), accounts[i].name);
    writeStart(1);

    std::unique_ptr<controls::MailManager> made = controls::MailManager::createByProgId();
    if (!made) {
        stopOnGuiThread(QStringLiteral("W_First RegisterMail IF NOT oPOP_PROP:Object_ !"));
        m_finished = true;
        return;
    }
    controls::MailManager& mail = *made;
    if (m_options.setUpMail)
        m_options.setUpMail(mail);
    mail.abortFlag = &m_cancel;
    // Bytes arriving are progress: the connect question is about silence, not slowness.
    mail.onProgress = [this] { m_ticks = 0; };
    ReceiveContext context{m_options.dataFolder, &m_cancel,
                           [this](const QString& text) { stopOnGuiThread(text); }};

    for (size_t i = 0; i < accounts.size() && store; ++i) {
        if (m_cancel)
            break;
        const Account& a = accounts[i];
        m_state = 1;
        m_ticks = 0;
        mail.MailHost = a.popHost;
        mail.PopUsername = a.popUser;
        mail.PopPassword = a.popPassword;
        mail.MailPort = a.popPort;
        mail.PopSsl = a.popSsl;
        appendText(int(i), QStringLiteral(" primanje u toku ..."));
        const ReceiveResult r = ReceiveAccountMail(mail, *store, a, context);
        m_stored += r.stored;
        appendText(int(i), QStringLiteral(" primanje završeno!"));
        m_state = 2;
    }
    mail.Pop3EndSession();
    store.reset();
    m_ticks = 0;
    m_finished = true;
}

void ReceiveController::tick()
{
    // The question runs a nested event loop in which this timer keeps firing.
    if (m_asking || m_closed)
        return;
    if (m_finished) {
        if (m_closeRequested || ++m_ticks >= CloseTicks)
            close();
        return;
    }
    // After a No or Prekid the worker is giving up; there is nothing left to ask.
    if (m_state == 1 && !m_closeRequested && ++m_ticks >= QuestionTicks) {
        m_asking = true;
        ++m_questions;
        const int answer = vrt::message(
            corvalde::translator().QVSTR(QStringLiteral("Ne mogu se spojiti zadnjih 10 sekundi. Probati ponovno?")),
            QStringLiteral("Info"), vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES);
        m_asking = false;
        if (answer == vrt::BUTTON_YES) {
            m_ticks = 0;
        } else {
            // Closing waits for the worker; the flag makes it give up the transfer.
            m_closeRequested = true;
            m_cancel = true;
        }
    }
}

void ReceiveController::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_timer.stop();
    if (m_worker.joinable())
        m_worker.join();
    writeStart(2);
    GLO::EMAILADDED = 999999;
    emit closed();
}

} // namespace korbelsteen
