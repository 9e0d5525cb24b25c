#include "runtime/Termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace vrt {
namespace {
int g_fds[2] = {-1, -1};
std::function<void()> g_handler;

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_fds[0], &c, 1);
}
} // namespace

void installTerminationHandler(std::function<void()> handler)
{
    g_handler = std::move(handler);
    if (g_fds[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c;
        [[maybe_unused]] auto n = ::read(g_fds[1], &c, 1);
        if (g_handler)
            g_handler();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

} // namespace vrt
