#pragma once
#include <functional>

namespace vrt {
// SIGTERM, SIGINT and SIGHUP run `handler` on the GUI thread (through the event loop) instead
// of killing the process, so a session end closes the program in order.
void installTerminationHandler(std::function<void()> handler);
} // namespace vrt
