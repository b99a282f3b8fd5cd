// Files of the portable backend: POSIX descriptors, since the standard streams have neither
// O_APPEND's atomic appends nor truncation at the current position.
#pragma once

#include <memory>
#include <string>

#include "platform/system.h"

namespace rvs::platform::portable {

// nullptr when the file cannot be opened in that mode.
std::unique_ptr<File> openPosixFile(const char* path, FileMode mode);

enum class CreateResult { Created, Exists, Failed };
// Creates `path` empty, never touching a file that exists already.
CreateResult createNewFile(const char* path);

}  // namespace rvs::platform::portable
