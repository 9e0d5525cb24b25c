#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// Ends the test program with a message when a scope takes longer than `bound`: a hang fails
// the run instead of blocking it (a thread stuck in open() of a pipe cannot be interrupted).
class Watchdog {
public:
    Watchdog(std::chrono::seconds bound, std::string what) : m_what(std::move(what))
    {
        m_thread = std::thread([this, bound] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, bound, [this] { return m_finished; })) {
                std::fprintf(stderr, "hung: %s\n", m_what.c_str());
                std::fflush(stderr);
                std::_Exit(3);
            }
        });
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::string m_what;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace testsupport
