#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace rvs::test {

TempDir::TempDir(const std::filesystem::path& parent) {
    std::string pattern = (parent / "rvs-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace rvs::test
