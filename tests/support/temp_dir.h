// A fresh directory per test (unique across processes), removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace rvs::test {

class TempDir {
public:
    explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // As the library and the system seam take them: UTF-16, directories with a trailing separator.
    std::u16string withSeparator() const { return wide(path_ + "/"); }
    std::u16string wideFile(const std::string& name) const { return wide(file(name)); }
    std::string read(const std::string& name) const;

private:
    static std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

    std::string path_;
};

// Points the platform's temporary directory (TMPDIR on POSIX, TMP on Windows) at `directory`
// for its lifetime, then puts back what was there.
class TempPathOverride {
public:
    explicit TempPathOverride(const std::string& directory);
    ~TempPathOverride();
    TempPathOverride(const TempPathOverride&) = delete;
    TempPathOverride& operator=(const TempPathOverride&) = delete;

private:
    std::optional<std::string> previous_;
};

}  // namespace rvs::test
