#pragma once

#include <functional>
#include <thread>

#include "platform/system/system.h"

namespace common {

using platform::system::ThreadPriority;

// Starts a thread that first sets its own priority, then runs body.
std::thread StartThread(ThreadPriority priority, std::function<void()> body);

// The number of workers a pool runs: one per online processor, at least one.
int WorkerCount();

}  // namespace common
