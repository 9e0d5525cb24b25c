#pragma once
#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace controls { class MailManager; }

namespace korbelsteen {

// Fetches the given messages in order on a thread of its own, a few ahead of the reader, so
// the network never waits for the database. The mail manager belongs to it until it is
// destroyed; it stops at the first message that cannot be fetched.
class Prefetcher {
public:
    Prefetcher(controls::MailManager& mail, std::vector<QString> uidls, const std::atomic<bool>* cancel,
               size_t depth = 4);
    ~Prefetcher();

    // The next message's bytes in order; nothing when it could not be fetched (or was
    // cancelled). Blocks until it is there.
    std::optional<QByteArray> take();

private:
    void run();

    controls::MailManager& m_mail;
    const std::vector<QString> m_uidls;
    const std::atomic<bool>* m_cancel;
    const size_t m_depth;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_ready;
    bool m_ended = false; // no more will come
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace korbelsteen
