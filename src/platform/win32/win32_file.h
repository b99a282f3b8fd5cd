// Files of the Win32 backend: kernel file handles.
#pragma once

#include <memory>
#include <string>

#include "platform/system.h"

namespace rvs::platform::win32 {

// nullptr when CreateFileW fails.
std::unique_ptr<File> openWin32File(const std::u16string& path, FileMode mode);

}  // namespace rvs::platform::win32
