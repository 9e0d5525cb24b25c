#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace korbelsteen {

// A first-in first-out queue between two threads that holds at most `capacity` items: a
// producer that runs ahead waits instead of filling memory. `close` says no more will come
// (what is queued is still taken); `abort` drops what is queued and wakes both sides.
template <class T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : m_capacity(capacity ? capacity : 1) {}

    // Waits while the queue is full; false when it was closed or aborted meanwhile.
    bool push(T item)
    {
        std::unique_lock<std::mutex> l(m_mutex);
        m_notFull.wait(l, [this] { return m_closed || m_items.size() < m_capacity; });
        if (m_closed)
            return false;
        m_items.push_back(std::move(item));
        l.unlock();
        m_notEmpty.notify_one();
        return true;
    }

    // The next item in order; nothing once the queue is closed and empty, or aborted.
    std::optional<T> pop()
    {
        std::unique_lock<std::mutex> l(m_mutex);
        m_notEmpty.wait(l, [this] { return m_closed || !m_items.empty(); });
        return takeFront(l);
    }

    // As pop, waiting at most `wait`; `timedOut` says whether it gave up for want of time.
    template <class Duration>
    std::optional<T> popWithin(Duration wait, bool& timedOut)
    {
        std::unique_lock<std::mutex> l(m_mutex);
        timedOut = !m_notEmpty.wait_for(l, wait, [this] { return m_closed || !m_items.empty(); });
        return takeFront(l);
    }

    void close()
    {
        {
            std::lock_guard<std::mutex> l(m_mutex);
            m_closed = true;
        }
        m_notEmpty.notify_all();
        m_notFull.notify_all();
    }

    // Closes and hands back what was still queued.
    std::deque<T> abort()
    {
        std::deque<T> left;
        {
            std::lock_guard<std::mutex> l(m_mutex);
            m_closed = true;
            left.swap(m_items);
        }
        m_notEmpty.notify_all();
        m_notFull.notify_all();
        return left;
    }

private:
    std::optional<T> takeFront(std::unique_lock<std::mutex>& l)
    {
        if (m_items.empty())
            return std::nullopt;
        std::optional<T> item(std::move(m_items.front()));
        m_items.pop_front();
        l.unlock();
        m_notFull.notify_one();
        return item;
    }

    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_notEmpty, m_notFull;
    std::deque<T> m_items;
    bool m_closed = false;
};

} // namespace korbelsteen
