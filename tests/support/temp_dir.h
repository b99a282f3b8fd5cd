// A fresh directory per test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace rvs::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The directory as the library keeps it: UTF-16 with a trailing separator.
    std::u16string withSeparator() const;
    std::string read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

}  // namespace rvs::test
