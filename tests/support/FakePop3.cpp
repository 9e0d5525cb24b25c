#include "tests/support/FakePop3.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace testsupport {
namespace {

bool sendAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray dotStuffed(const QByteArray& message)
{
    QByteArray out;
    for (QByteArray line : message.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('.'))
            line.prepend('.');
        out += line + "\r\n";
    }
    return out;
}

} // namespace

FakePop3::FakePop3() = default;

FakePop3::~FakePop3() { stop(); }

void FakePop3::addMessage(const QString& uidl, const QByteArray& message)
{
    std::lock_guard<std::mutex> l(m_mutex);
    m_messages.emplace_back(uidl, message);
}

bool FakePop3::start()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_listen, 4) != 0)
        return false;
    socklen_t len = sizeof a;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { serve(); });
    return true;
}

void FakePop3::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_thread.join();
    ::close(m_listen);
}

QStringList FakePop3::held() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    QStringList out;
    for (const auto& m : m_messages)
        out << m.first;
    return out;
}

QStringList FakePop3::commands() const
{
    std::lock_guard<std::mutex> l(m_mutex);
    return m_commands;
}

void FakePop3::serve()
{
    while (!m_stopping) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd >= 0) {
            session(fd);
            ::close(fd);
        }
    }
}

void FakePop3::session(int fd)
{
    auto silent = [&] {
        // Hold the connection open without a word until the client gives up or we stop.
        char buf[256];
        while (!m_stopping) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0)
                return;
        }
    };
    if (m_behaviour == Behaviour::SilentAfterConnect)
        return silent();
    sendAll(fd, "+OK fake ready\r\n");
    QByteArray pending;
    std::vector<QString> deleted; // this session's DELEs, by unique id
    while (!m_stopping) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        pending.append(buf, n);
        qsizetype eol;
        while ((eol = pending.indexOf("\r\n")) >= 0) {
            const QByteArray line = pending.left(eol);
            pending.remove(0, eol + 2);
            const QString text = QString::fromLatin1(line);
            std::vector<std::pair<QString, QByteArray>> messages;
            {
                std::lock_guard<std::mutex> l(m_mutex);
                m_commands.append(text);
                messages = m_messages;
            }
            const QString verb = text.section(QLatin1Char(' '), 0, 0).toUpper();
            const int arg = text.section(QLatin1Char(' '), 1, 1).toInt();
            QByteArray reply;
            if (verb == QLatin1String("CAPA")) {
                reply = "+OK\r\nUSER\r\nUIDL\r\n.\r\n";
            } else if (verb == QLatin1String("UIDL")) {
                reply = "+OK\r\n";
                for (size_t i = 0; i < messages.size(); ++i)
                    reply += QByteArray::number(qulonglong(i + 1)) + ' ' + messages[i].first.toLatin1() + "\r\n";
                reply += ".\r\n";
            } else if (verb == QLatin1String("LIST") || verb == QLatin1String("STAT")) {
                reply = "+OK " + QByteArray::number(qulonglong(messages.size())) + " 0\r\n";
                if (verb == QLatin1String("LIST"))
                    reply += ".\r\n";
            } else if (verb == QLatin1String("RETR") && arg >= 1 && size_t(arg) <= messages.size()) {
                const Behaviour b = m_hostile == 0 || arg == m_hostile ? m_behaviour.load() : Behaviour::Normal;
                if (b == Behaviour::SilentOnRetrieve)
                    return silent();
                const QByteArray whole = dotStuffed(messages[size_t(arg - 1)].second);
                if (b == Behaviour::StallMidRetrieve) {
                    sendAll(fd, "+OK\r\n" + whole.left(whole.size() / 2));
                    return silent();
                }
                if (b == Behaviour::EndlessLine) {
                    const QByteArray chunk(64 * 1024, 'x');
                    if (!sendAll(fd, "+OK\r\nSubject: "))
                        return;
                    while (!m_stopping && sendAll(fd, chunk))
                        m_endless += chunk.size();
                    return;
                }
                reply = "+OK\r\n" + whole + ".\r\n";
            } else if (verb == QLatin1String("DELE") && arg >= 1 && size_t(arg) <= messages.size()) {
                deleted.push_back(messages[size_t(arg - 1)].first);
                reply = "+OK deleted\r\n";
            } else if (verb == QLatin1String("QUIT") && m_behaviour == Behaviour::RefuseQuit) {
                reply = "-ERR some deleted messages not removed\r\n";
            } else if (verb == QLatin1String("QUIT")) {
                {
                    std::lock_guard<std::mutex> l(m_mutex);
                    std::erase_if(m_messages, [&](const auto& m) {
                        return std::find(deleted.begin(), deleted.end(), m.first) != deleted.end();
                    });
                }
                sendAll(fd, "+OK bye\r\n");
                return;
            } else if (verb == QLatin1String("AUTH")) {
                reply = "-ERR use USER\r\n";
            } else if (verb == QLatin1String("RETR")) {
                reply = "-ERR no such message\r\n";
            } else {
                reply = "+OK\r\n";
            }
            if (!sendAll(fd, reply))
                return;
        }
    }
}

} // namespace testsupport
