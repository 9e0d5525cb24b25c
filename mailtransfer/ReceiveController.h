#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "mailtransfer/MailStore.h"
#include "mailtransfer/ReceiveAccount.h"
#include "runtime/Dialogs.h"

namespace controls { class MailManager; }

namespace korbelsteen {

// The receive of every account (the hidden window W_Korbelsteen): loads the accounts,
// receives each in turn on a worker thread, counts timer ticks on this (the GUI) thread to
// ask whether to keep trying a server that has been silent for ten seconds, and ends three
// seconds after the last account. Only a wait on the server counts as silence, never the
// program's own work; a question nobody answers within another ten seconds gives the receive
// up, and one that the server's return or the end of the receive makes moot closes by itself.
// What a server did wrong (silence, a message above a cap) is told once at the end, in a
// notice that closes by itself too, so an unattended receive always ends. Writes [SR] START = 1 when it starts and 2 when it ends
// (a failed write is told once and the receive goes on).
//
// The worker opens its own store, so every database write happens on that one thread with
// its own connection; this thread only sees texts and counters.
class ReceiveController : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString dataFolder;
        int tickMs = 500;
        std::function<std::unique_ptr<MailStore>()> makeStore;
        // A fresh mail manager; tests set trust and timeouts here.
        std::function<void(controls::MailManager&)> setUpMail;
    };

    explicit ReceiveController(Options options, QObject* parent = nullptr);
    ~ReceiveController() override;

    // Runs the whole receive in a local event loop and returns when it has ended.
    void exec();

    // One line per account: its name, then the progress texts.
    QStringList displayTexts() const { return m_texts; }
    int questionsAsked() const { return m_questions; }
    // The end-of-receive notice, empty when nothing went wrong.
    QString notice() const { return m_notice; }
    int storedMessages() const { return m_stored; }

public slots:
    void cancel(); // Prekid

signals:
    void textChanged(int row, const QString& text);
    void closed();

private:
    void start();
    void tick();
    void close();
    void work();
    void writeStart(int value);
    // Runs on the GUI thread and waits there; the worker's stop messages go through here.
    void stopOnGuiThread(const QString& text);
    void appendText(int row, const QString& text);
    // Shows a message whose wait is bounded: its own timer closes it after `limitTicks`, or
    // as soon as `moot` says the answer no longer matters; `how` tells which closed it.
    enum class Closed { ByUser, Moot, Unanswered };
    int boundedMessage(const QString& text, vrt::Icon icon, int buttons, int defaultButton, int limitTicks,
                       std::function<bool()> moot, Closed* how);
    void watchOpenMessage();
    void noteProblems(const QString& account, const ReceiveResult& r, const controls::MailManager& mail);

    Options m_options;
    QTimer m_timer;
    std::thread m_worker;
    QStringList m_texts;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_abandoned{false};
    std::atomic<bool> m_startWriteFailed{false};
    std::atomic<int> m_state{0}; // 1 while an account is received, 2 when it is done
    std::atomic<int> m_ticks{0};
    std::atomic<int> m_stored{0};
    std::atomic<bool> m_waiting{false}; // the worker waits on a server
    bool m_closeRequested = false;
    bool m_asking = false;
    // The message open now: its window, how long it has been open, and when it closes itself.
    QPointer<QWidget> m_openBox;
    int m_openTicks = 0;
    int m_openLimit = 0;
    std::function<bool()> m_openMoot;
    Closed m_openClosed = Closed::ByUser;
    // What servers did wrong: written by the worker, read once it has been joined.
    struct Problem {
        QString account;
        QString text; // untranslated, with %1 for the number
        qint64 number = 0;
        int count = 0;
    };
    std::vector<Problem> m_problems;
    QString m_notice;
    bool m_closed = false;
    int m_questions = 0;
};

} // namespace korbelsteen
