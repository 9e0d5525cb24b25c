#include "runtime/Notify.h"

#include <QCoreApplication>
#include <QPointer>

#include <map>
#include <mutex>

namespace vrt {
namespace {
std::mutex g_mutex;
std::map<int, QPointer<QObject>> g_receivers;
int g_next = 1;
} // namespace

QEvent::Type NotifyEvent::type()
{
    static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
    return t;
}

int registerReceiver(QObject* receiver)
{
    std::lock_guard<std::mutex> l(g_mutex);
    const int id = g_next++;
    g_receivers[id] = receiver;
    return id;
}

void unregisterReceiver(int id)
{
    std::lock_guard<std::mutex> l(g_mutex);
    g_receivers.erase(id);
}

QObject* receiver(int id)
{
    std::lock_guard<std::mutex> l(g_mutex);
    auto it = g_receivers.find(id);
    return it == g_receivers.end() ? nullptr : it->second.data();
}

bool notify(int receiverId, int code, int number)
{
    QObject* r = receiver(receiverId);
    if (!r)
        return false;
    QCoreApplication::postEvent(r, new NotifyEvent(code, number));
    return true;
}

} // namespace vrt
