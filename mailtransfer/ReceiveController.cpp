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

#include "procedures/common/MailSettings.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <future>

namespace korbelsteen {
namespace {
constexpr int QuestionTicks = 20; // ten seconds at the usual tick
constexpr int CloseTicks = 6;     // three seconds after the last account
constexpr int NoticeTicks = 60;   // the end-of-receive notice stays half a minute
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
    mailpeople::applyTransferLimits(mail, m_options.dataFolder);
    if (m_options.setUpMail)
        m_options.setUpMail(mail);
    mail.abortFlag = &m_cancel;
    mail.waitingFlag = &m_waiting;
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
        noteProblems(a.name, r, mail);
        appendText(int(i), QStringLiteral(" primanje završeno!"));
        m_state = 2;
    }
    mail.Pop3EndSession();
    store.reset();
    m_ticks = 0;
    m_finished = true;
}

void ReceiveController::noteProblems(const QString& account, const ReceiveResult& r, const controls::MailManager& mail)
{
    if (r.tooLarge)
        m_problems.push_back({account, QStringLiteral("Poruka je veća od %1 KB i nije primljena; ostala je na poslužitelju."),
                              mail.MaxMessageBytes >> 10, r.tooLarge});
    if (r.lineTooLong)
        m_problems.push_back({account, QStringLiteral("Poruka ima redak dulji od %1 KB i nije primljena; ostala je na poslužitelju."),
                              mail.MaxLineBytes >> 10, r.lineTooLong});
    if (r.stalled && !m_cancel)
        m_problems.push_back({account, QStringLiteral("Poslužitelj %1 s nije ništa poslao; ostatak pošte stiže sljedećim primanjem."),
                              mail.StallSeconds, 1});
}

int ReceiveController::boundedMessage(const QString& text, vrt::Icon icon, int buttons, int defaultButton, int limitTicks,
                                      std::function<bool()> moot, Closed* how)
{
    m_asking = true;
    m_openTicks = 0;
    m_openLimit = limitTicks;
    m_openMoot = std::move(moot);
    m_openClosed = Closed::ByUser;
    m_openBox = nullptr;
    // A timer does not fire again while its own slot runs, and the message may have been
    // opened from tick(): it is watched by a timer of its own.
    QTimer watch;
    watch.setInterval(m_options.tickMs);
    connect(&watch, &QTimer::timeout, this, &ReceiveController::watchOpenMessage);
    watch.start();
    const int answer = vrt::message(text, QStringLiteral("Info"), icon, buttons, defaultButton);
    watch.stop();
    m_asking = false;
    m_openMoot = {};
    if (how)
        *how = m_openClosed;
    return answer;
}

void ReceiveController::watchOpenMessage()
{
    // The first modal window that shows while the message is open is the message itself.
    if (!m_openBox)
        m_openBox = QApplication::activeModalWidget();
    const bool moot = m_openMoot && m_openMoot();
    if ((!moot && ++m_openTicks < m_openLimit) || !m_openBox)
        return;
    // Closing is the window's escape: No where there is a No.
    m_openClosed = moot ? Closed::Moot : Closed::Unanswered;
    m_openBox->close();
}

void ReceiveController::tick()
{
    if (m_asking || m_closed)
        return;
    if (m_finished) {
        if (m_closeRequested || ++m_ticks >= CloseTicks)
            close();
        return;
    }
    // After a No or Prekid the worker is giving up; there is nothing left to ask. Time the
    // program spends on its own work (storing, between transfers) is no silence of a server.
    if (m_state != 1 || m_closeRequested)
        return;
    if (!m_waiting) {
        m_ticks = 0;
        return;
    }
    if (++m_ticks < QuestionTicks)
        return;
    ++m_questions;
    // Moot once the server has sent something again (or answered, and the program works on
    // what came) or the receive has ended.
    Closed how = Closed::ByUser;
    const int answer = boundedMessage(
        corvalde::translator().QVSTR(QStringLiteral("Ne mogu se spojiti zadnjih 10 sekundi. Probati ponovno?")),
        vrt::Icon::Question, vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES, QuestionTicks,
        [this] { return m_finished || !m_waiting || m_ticks < QuestionTicks; }, &how);
    if (how == Closed::Moot || (how == Closed::ByUser && answer == vrt::BUTTON_YES)) {
        m_ticks = 0;
    } else {
        // No, or no answer at all. Closing waits for the worker; the flag makes it give up
        // the transfer.
        m_closeRequested = true;
        m_cancel = true;
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
    if (!m_problems.empty() && !m_abandoned) {
        auto& t = corvalde::translator();
        QStringList lines;
        for (const Problem& p : m_problems)
            lines << p.account + QStringLiteral(": ") + t.QVSTR(p.text).arg(p.number)
                         + (p.count > 1 ? QStringLiteral(" (%1)").arg(p.count) : QString());
        m_notice = t.QVSTR(QStringLiteral("Primanje pošte nije prošlo do kraja:")) + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
        boundedMessage(m_notice, vrt::Icon::Exclamation, vrt::BUTTON_OK, vrt::BUTTON_OK, NoticeTicks, {}, nullptr);
    }
    writeStart(2);
    GLO::EMAILADDED = 999999;
    emit closed();
}

} // namespace korbelsteen
