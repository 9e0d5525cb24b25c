#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

// A small POP3 server on 127.0.0.1 for protocol edge cases a real server will not produce
// (hostile unique ids, a server that goes quiet, sends without end or will not end the
// session). Serves one connection at a time on its own thread; accepts any USER/PASS. DELE
// takes effect when QUIT is answered "+OK", as on a real server.
class FakePop3 {
public:
    enum class Behaviour {
        Normal,
        SilentAfterConnect,
        SilentOnRetrieve,
        StallMidRetrieve, // sends the first half of the message, then nothing
        EndlessLine,      // answers RETR with one line that never ends
        RefuseQuit,       // answers QUIT with -ERR and deletes nothing
    };

    FakePop3();
    ~FakePop3();

    void addMessage(const QString& uidl, const QByteArray& message);
    void setBehaviour(Behaviour b) { m_behaviour = b; }
    // The RETR behaviours apply to this message number only (0: every message).
    void setHostileMessage(int number) { m_hostile = number; }
    bool start();
    void stop();
    quint16 port() const { return m_port; }
    // Every command line received, in order.
    QStringList commands() const;
    // The unique ids the server still holds.
    QStringList held() const;
    // Bytes of the endless line sent so far.
    qint64 endlessBytes() const { return m_endless; }

private:
    void serve();
    void session(int fd);

    std::vector<std::pair<QString, QByteArray>> m_messages;
    std::atomic<Behaviour> m_behaviour{Behaviour::Normal};
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_endless{0};
    std::atomic<int> m_hostile{0};
    int m_listen = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QStringList m_commands;
};

} // namespace testsupport
