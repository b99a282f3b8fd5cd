// Threads of the portable backend: std::thread, with the kernel's thread id as the id.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/system.h"

namespace rvs::platform::portable {

std::unique_ptr<Thread> startStdThread(std::function<void()> body);
uint32_t currentKernelThreadId();

}  // namespace rvs::platform::portable
