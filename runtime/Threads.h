#pragma once
#include <functional>
#include <memory>
#include <thread>

namespace vrt {

// Per-thread data: one T per thread, made on first use (or at thread start through a start
// hook) and destroyed when the thread ends.
template <class T>
T& perThread()
{
    thread_local std::unique_ptr<T> instance;
    if (!instance)
        instance = std::make_unique<T>();
    return *instance;
}

// Facilities that need every thread set up (table managers, record buffers) register here;
// startThread runs the start hooks before the body and the end hooks after it, in reverse.
using ThreadHook = std::function<void()>;
int addThreadStartHook(ThreadHook hook);
int addThreadEndHook(ThreadHook hook);
void removeThreadHook(int id);

// Runs the start hooks on the calling thread (for threads not made by startThread).
void runThreadStartHooks();
void runThreadEndHooks();

std::thread startThread(std::function<void()> body);

// A small number naming the calling thread; the first thread that asks is 1.
int threadNumber();

} // namespace vrt
