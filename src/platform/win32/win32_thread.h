// Threads of the Win32 backend: CreateThread handles, joined by waiting on them.
#pragma once

#include <functional>
#include <memory>

#include "platform/system.h"

namespace rvs::platform::win32 {

std::unique_ptr<Thread> startWin32Thread(std::function<void()> body);

}  // namespace rvs::platform::win32
