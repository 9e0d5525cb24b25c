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
// (hostile unique ids, a server that goes quiet). Serves one connection at a time on its own
// thread; accepts any USER/PASS.
class FakePop3 {
public:
    enum class Behaviour { Normal, SilentAfterConnect, SilentOnRetrieve };

    FakePop3();
    ~FakePop3();

    void addMessage(const QString& uidl, const QByteArray& message);
    void setBehaviour(Behaviour b) { m_behaviour = b; }
    bool start();
    void stop();
    quint16 port() const { return m_port; }
    // Every command line received, in order.
    QStringList commands() const;

private:
    void serve();
    void session(int fd);

    std::vector<std::pair<QString, QByteArray>> m_messages;
    std::atomic<Behaviour> m_behaviour{Behaviour::Normal};
    std::atomic<bool> m_stopping{false};
    int m_listen = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QStringList m_commands;
};

} // namespace testsupport
