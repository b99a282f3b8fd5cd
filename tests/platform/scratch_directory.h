// A fresh directory per test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace rvs::test {

class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
        std::string pattern = (parent / "rvs-platform-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    // With the trailing separator, as the seam takes directories.
    std::u16string directory() const { return u16(path_ + "/"); }
    std::u16string file(const std::string& name) const { return u16(path_ + "/" + name); }

    static std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

private:
    std::string path_;
};

}  // namespace rvs::test
