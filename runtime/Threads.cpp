#include "runtime/Threads.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace vrt {
namespace {

std::mutex g_mutex;
std::map<int, ThreadHook> g_start, g_end;
int g_nextHook = 1;
std::atomic<int> g_nextThread{1};

std::vector<ThreadHook> snapshot(const std::map<int, ThreadHook>& hooks)
{
    std::lock_guard<std::mutex> l(g_mutex);
    std::vector<ThreadHook> out;
    for (const auto& [id, h] : hooks)
        out.push_back(h);
    return out;
}

} // namespace

int addThreadStartHook(ThreadHook hook)
{
    std::lock_guard<std::mutex> l(g_mutex);
    g_start[g_nextHook] = std::move(hook);
    return g_nextHook++;
}

int addThreadEndHook(ThreadHook hook)
{
    std::lock_guard<std::mutex> l(g_mutex);
    g_end[g_nextHook] = std::move(hook);
    return g_nextHook++;
}

void removeThreadHook(int id)
{
    std::lock_guard<std::mutex> l(g_mutex);
    g_start.erase(id);
    g_end.erase(id);
}

void runThreadStartHooks()
{
    for (auto& h : snapshot(g_start))
        h();
}

void runThreadEndHooks()
{
    auto hooks = snapshot(g_end);
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        (*it)();
}

std::thread startThread(std::function<void()> body)
{
    return std::thread([body = std::move(body)] {
        runThreadStartHooks();
        body();
        runThreadEndHooks();
    });
}

int threadNumber()
{
    thread_local int number = g_nextThread++;
    return number;
}

} // namespace vrt
