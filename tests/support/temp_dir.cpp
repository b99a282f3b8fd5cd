#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace rvs::test {

// A random name made with create_directory, which fails on a name that exists: unique across
// processes on POSIX and Windows alike. Forward slashes on both, so paths can go into regexes.
TempDir::TempDir(const std::filesystem::path& parent) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "rvs-test-";
        for (int i = 0; i < 8; ++i) name += kLetters[pick(random)];
        std::error_code error;
        std::filesystem::path candidate = parent / name;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.generic_string();
            return;
        }
        if (error) return;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {
#if defined(_WIN32)
constexpr const char* kTempVariable = "TMP";
void setVariable(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }
void removeVariable(const char* name) { _putenv_s(name, ""); }
#else
constexpr const char* kTempVariable = "TMPDIR";
void setVariable(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
void removeVariable(const char* name) { ::unsetenv(name); }
#endif
}  // namespace

TempPathOverride::TempPathOverride(const std::string& directory) {
    if (const char* now = std::getenv(kTempVariable)) previous_ = now;
    setVariable(kTempVariable, directory);
}

TempPathOverride::~TempPathOverride() {
    if (previous_) {
        setVariable(kTempVariable, *previous_);
    } else {
        removeVariable(kTempVariable);
    }
}

}  // namespace rvs::test
