#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace rvs::test {
namespace {

using platform::FileMode;
using ::testing::UnorderedElementsAreArray;

platform::System& sys() { return platform::defaultSystem(); }

// An ASCII path with forward slashes, as TempDir gives its paths (Windows hands out backslashes).
std::string generic(const std::u16string& path) {
    std::string narrow(path.begin(), path.end());
    for (char& c : narrow) {
        if (c == '\\') c = '/';
    }
    return narrow;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeText(std::unique_ptr<platform::File> file, const std::string& text) {
    ASSERT_NE(file, nullptr) << "the file did not open";
    uint32_t written = 0;
    ASSERT_TRUE(file->write(text.data(), static_cast<uint32_t>(text.size()), &written));
    ASSERT_EQ(written, text.size());
}

// Each writer appends its own numbered lines through its own handle, as two sessions (or two
// host processes) writing one trace file do; every line must arrive whole, none overwritten.
enum class Writers { Threads, Processes };

class AppendShared : public ::testing::TestWithParam<Writers> {};

TEST_P(AppendShared, ConcurrentWritersNeverLoseOrTearLines) {
    constexpr int kLines = 2000;
    TempDir dir;
    std::u16string path = dir.wideFile("Korvelincomm.log");
    std::vector<std::string> lines[2];
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < kLines; ++i) {
            lines[w].push_back("writer " + std::to_string(w) + " line " + std::to_string(i) +
                               std::string(static_cast<size_t>(i % 97), 'x') + "\n");
        }
    }
    std::unique_ptr<platform::File> files[2] = {sys().openFile(path, FileMode::AppendShared),
                                                sys().openFile(path, FileMode::AppendShared)};
    ASSERT_TRUE(files[0] && files[1]);
    auto writeAll = [&](int w) {
        for (const std::string& line : lines[w]) {
            uint32_t written = 0;
            if (!files[w]->write(line.data(), static_cast<uint32_t>(line.size()), &written)) return false;
        }
        return true;
    };

    if (GetParam() == Writers::Threads) {
        std::thread other([&] { writeAll(1); });
        EXPECT_TRUE(writeAll(0));
        other.join();
    } else {
#if defined(_WIN32)
        GTEST_FAIL() << "a second writer process needs fork(); left out on Windows";
#else
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(writeAll(1) ? 0 : 1);
        EXPECT_TRUE(writeAll(0));
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif
    }
    files[0].reset();
    files[1].reset();

    std::multiset<std::string> expected, actual;
    for (const auto& writer : lines) {
        for (const std::string& line : writer) expected.insert(line);
    }
    std::istringstream content(readAll(dir.path() + "/Korvelincomm.log"));
    for (std::string line; std::getline(content, line);) actual.insert(line + "\n");
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected) << "lines were torn or overwritten";
}

INSTANTIATE_TEST_SUITE_P(Platform, AppendShared, ::testing::Values(Writers::Threads, Writers::Processes),
                         [](const auto& info) { return info.param == Writers::Threads ? "Threads" : "Processes"; });

// "<directory>/KorXXXX.tmp" with four upper-case hex digits.
bool isTransferFileName(const std::string& path, const std::string& directory) {
    const std::string head = directory + "/Kor";
    if (path.size() != head.size() + 8 || !path.starts_with(head) || !path.ends_with(".tmp")) return false;
    return std::all_of(path.begin() + head.size(), path.end() - 4,
                       [](char c) {
#if defined(_WIN32)
                           // The unique number's hex digits are the system's own: lower case under Wine.
                           if (c >= 'a' && c <= 'f') return true;
#endif
                           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
                       });
}

TEST(TransferFile, FreshEmptyKorFilesInTmpdirWithDistinctNames) {
    TempDir dir;
    TempPathOverride temp(dir.path());
    std::set<std::u16string> seen;
    for (int i = 0; i < 200; ++i) {
        std::u16string path;
        ASSERT_TRUE(sys().createTransferFileName(&path));
        std::string narrow = generic(path);
        EXPECT_TRUE(isTransferFileName(narrow, dir.path())) << narrow;
        EXPECT_TRUE(std::filesystem::is_regular_file(narrow));
        EXPECT_EQ(std::filesystem::file_size(narrow), 0u);
        EXPECT_TRUE(seen.insert(path).second) << "name handed out twice: " << narrow;
    }
}

TEST(TransferFile, StepsPastTakenNamesAndFailsWhenAllAreTaken) {
    // 65535 files: in memory where the machine has such a directory.
    std::error_code error;
    TempDir dir(std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm"
                                                                          : std::filesystem::temp_directory_path());
    ASSERT_FALSE(dir.path().empty());
    TempPathOverride temp(dir.path());
    // Every name taken (with content that must survive) but two; number 0 is never used.
    const std::set<unsigned> free = {0x0001, 0xFFFF};
    for (unsigned n = 1; n <= 0xFFFF; ++n) {
        if (free.count(n) != 0) continue;
        char name[16];
        std::snprintf(name, sizeof name, "/Kor%04X.tmp", n);
        std::ofstream taken(dir.path() + name);
        if (n % 251 == 0) taken << "busy";
    }
    std::set<std::string> handedOut;
    for (int i = 0; i < 2; ++i) {
        std::u16string path;
        ASSERT_TRUE(sys().createTransferFileName(&path));
        handedOut.insert(generic(path));
    }
    EXPECT_EQ(handedOut, (std::set<std::string>{dir.path() + "/Kor0001.tmp", dir.path() + "/KorFFFF.tmp"}));
    std::u16string none;
    EXPECT_FALSE(sys().createTransferFileName(&none));
    EXPECT_EQ(readAll(dir.path() + "/Kor7D80.tmp"), "busy");  // 251 × 128
}

TEST(FindFiles, MatchesPrefixAndSuffixOfFilesOnly) {
    TempDir dir;
    for (const char* name : {"Korvelincomm.log", "Korvelincomm_1.log", "Korvelincomm_12.log", "Korvelincomm_.log",
                             "Korvelincomm_3.log.bak", "Korvelincomm_4.txt", "Other_1.log", "XKorvelincomm_5.log",
                             "Kor_log"}) {
        std::ofstream(dir.path() + "/" + name) << name;
    }
    std::filesystem::create_directory(dir.path() + "/Korvelincomm_6.log");

    EXPECT_THAT(sys().findFiles(dir.withSeparator(), u"Korvelincomm_", u".log"),
                UnorderedElementsAreArray({u"Korvelincomm_1.log", u"Korvelincomm_12.log", u"Korvelincomm_.log"}));
    // Prefix and suffix may not share characters of the name.
    EXPECT_THAT(sys().findFiles(dir.withSeparator(), u"Kor_", u"_log"), ::testing::IsEmpty());
    EXPECT_THAT(sys().findFiles(dir.wideFile("missing/"), u"", u""), ::testing::IsEmpty());
}

TEST(FileOperations, MoveNeverReplacesCopyDoes) {
    TempDir dir;
    std::ofstream(dir.path() + "/a") << "A";
    std::ofstream(dir.path() + "/b") << "B";

    EXPECT_FALSE(sys().moveFile(dir.wideFile("a"), dir.wideFile("b")));
    EXPECT_EQ(readAll(dir.path() + "/a"), "A");
    EXPECT_EQ(readAll(dir.path() + "/b"), "B");

    EXPECT_TRUE(sys().copyFile(dir.wideFile("a"), dir.wideFile("b")));
    EXPECT_EQ(readAll(dir.path() + "/b"), "A");

    EXPECT_TRUE(sys().moveFile(dir.wideFile("a"), dir.wideFile("c")));
    EXPECT_FALSE(sys().fileExists(dir.wideFile("a")));
    EXPECT_EQ(readAll(dir.path() + "/c"), "A");

    EXPECT_TRUE(sys().deleteFile(dir.wideFile("c")));
    EXPECT_FALSE(sys().fileExists(dir.wideFile("c")));
    EXPECT_FALSE(sys().deleteFile(dir.wideFile("c")));
}

TEST(FileModes, CreateKeepTruncateAsDocumented) {
    TempDir dir;
    std::u16string path = dir.wideFile("f.bin");
    EXPECT_EQ(sys().openFile(path, FileMode::Read), nullptr);

    writeText(sys().openFile(path, FileMode::WriteExclusive), "abcdefgh");
    writeText(sys().openFile(path, FileMode::WriteShared), "XY");  // kept, overwritten from the start
    EXPECT_EQ(readAll(dir.path() + "/f.bin"), "XYcdefgh");
    writeText(sys().openFile(path, FileMode::AppendShared), "!");
    EXPECT_EQ(readAll(dir.path() + "/f.bin"), "XYcdefgh!");

    auto shared = sys().openFile(path, FileMode::WriteShared);
    ASSERT_NE(shared, nullptr);
    ASSERT_TRUE(shared->seek(3));
    ASSERT_TRUE(shared->truncateHere());
    EXPECT_EQ(shared->size(), 3u);
    shared.reset();

    auto reader = sys().openFile(path, FileMode::Read);
    ASSERT_NE(reader, nullptr);
    char buffer[16] = {};
    uint32_t got = 0;
    ASSERT_TRUE(reader->read(buffer, sizeof buffer, &got));
    EXPECT_EQ(std::string(buffer, got), "XYc");

    reader.reset();  // Windows refuses an exclusive writer while a reader has the file open
    writeText(sys().openFile(path, FileMode::WriteExclusive), "z");
    EXPECT_EQ(readAll(dir.path() + "/f.bin"), "z");
}

}  // namespace
}  // namespace rvs::test
