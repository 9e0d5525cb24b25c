#include "mailtransfer/Prefetcher.h"

#include "controls/MailManager.h"

namespace korbelsteen {

Prefetcher::Prefetcher(controls::MailManager& mail, std::vector<QString> uidls, const std::atomic<bool>* cancel,
                       size_t depth)
    : m_mail(mail), m_uidls(std::move(uidls)), m_cancel(cancel), m_depth(depth), m_thread([this] { run(); })
{
}

Prefetcher::~Prefetcher()
{
    {
        std::lock_guard<std::mutex> l(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Prefetcher::run()
{
    for (const QString& uidl : m_uidls) {
        {
            std::unique_lock<std::mutex> l(m_mutex);
            m_changed.wait(l, [this] { return m_stopping || m_ready.size() < m_depth; });
            if (m_stopping)
                break;
        }
        if (m_cancel && m_cancel->load())
            break;
        std::optional<QByteArray> raw = m_mail.fetchRaw(uidl);
        if (!raw)
            break;
        {
            std::lock_guard<std::mutex> l(m_mutex);
            m_ready.push_back(std::move(*raw));
        }
        m_changed.notify_all();
    }
    {
        std::lock_guard<std::mutex> l(m_mutex);
        m_ended = true;
    }
    m_changed.notify_all();
}

std::optional<QByteArray> Prefetcher::take()
{
    std::unique_lock<std::mutex> l(m_mutex);
    m_changed.wait(l, [this] { return !m_ready.empty() || m_ended; });
    if (m_ready.empty())
        return std::nullopt;
    QByteArray raw = std::move(m_ready.front());
    m_ready.pop_front();
    l.unlock();
    m_changed.notify_all();
    return raw;
}

} // namespace korbelsteen
