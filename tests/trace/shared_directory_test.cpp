// Two writers — two processes, or two sessions of one process — tracing into one directory at
// the same time. Every line carries its writer and sequence number at both ends, so the files
// left behind tell which lines survived, in what order and how often.
//
// Without rotation every line is there exactly once. With rotation the design (copy the full
// file, then empty it) loses what the other writer appends between the copy and the emptying,
// and nothing else. The assertions that follow from that, and hold whatever the scheduling:
//  - no line appears twice (no backup is taken twice of the same content, none is overwritten);
//  - within one file, each writer's lines are consecutive: a file is one stretch of appends;
//  - across the backups (oldest first) and the current file, each writer's lines go upward;
//  - each writer's lost lines form at most as many runs as the writers emptied the file;
//  - backups are numbered 1..B with B the number of backups the writers placed.
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "trace_fixture.h"

namespace rvs::test {
namespace {

constexpr int kWriters = 2;

bool isBackupName(const std::u16string& path) {
    std::u16string name = path.substr(path.rfind(u'/') + 1);
    const std::u16string head = u"Korvelincomm_";
    if (!name.starts_with(head) || !name.ends_with(u".log") || name.size() <= head.size() + 4) return false;
    for (size_t i = head.size(); i < name.size() - 4; ++i) {
        if (name[i] < u'0' || name[i] > u'9') return false;
    }
    return true;
}

// Counts the writer's cuts of the current file (one after every rotation it asked for) and the
// backups placed under a new number (renumbering moves come from set-aside ".log.log" names).
class WriterCounts : public platform::SystemWrapper {
public:
    explicit WriterCounts(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~WriterCounts() override { platform::setSystem(previous_); }

    std::unique_ptr<platform::File> openFile(const std::u16string& path, platform::FileMode mode) override {
        std::unique_ptr<platform::File> inner = target()->openFile(path, mode);
        if (!inner || mode != platform::FileMode::AppendShared) return inner;
        return std::make_unique<CountedFile>(std::move(inner), cuts);
    }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        bool moved = target()->moveFile(from, to);
        if (moved && isBackupName(to) && !from.ends_with(u".log")) ++placed;
        return moved;
    }
    bool copyFile(const std::u16string& from, const std::u16string& to) override {
        bool copied = target()->copyFile(from, to);
        if (copied && isBackupName(to) && !from.ends_with(u".log")) ++placed;
        return copied;
    }

    std::atomic<int> cuts{0};
    std::atomic<int> placed{0};

private:
    class CountedFile : public platform::File {
    public:
        CountedFile(std::unique_ptr<platform::File> inner, std::atomic<int>& cuts)
            : inner_(std::move(inner)), cuts_(cuts) {}
        bool write(const void* d, uint32_t n, uint32_t* w) override { return inner_->write(d, n, w); }
        bool read(void* d, uint32_t n, uint32_t* g) override { return inner_->read(d, n, g); }
        uint64_t size() override { return inner_->size(); }
        bool seek(uint64_t offset) override { return inner_->seek(offset); }
        bool seekEnd() override { return inner_->seekEnd(); }
        bool truncateHere() override {
            ++cuts_;
            return inner_->truncateHere();
        }

    private:
        std::unique_ptr<platform::File> inner_;
        std::atomic<int>& cuts_;
    };
    platform::System* previous_;
};

std::string marker(int writer, int id) {
    char text[16];
    std::snprintf(text, sizeof text, "W%d:%06d", writer, id);
    return text;
}

std::string line(int writer, int id) {
    std::string filler;
    for (int i = 0; i < 160; ++i) filler += static_cast<char>('a' + (i + id) % 26);
    return "<" + marker(writer, id) + "|" + filler + "|" + marker(writer, id) + ">\n";
}

void writeLines(const std::string& directory, int writer, int lines) {
    Session session;
    session.traceMode.store(0x3F);
    session.traceFileCount.store(50);
    std::u16string dir = u16(directory + "/");
    std::copy(dir.begin(), dir.end(), session.traceDirectory);
    for (int id = 0; id < lines; ++id) TraceWrite(&session, traceid::Input, line(writer, id).c_str());
}

struct Found {
    int starts = 0, ends = 0;
};

// One writer's lines in one file, in the order they appear (a line's two ends count once).
using Appearance = std::vector<int>;

struct Account {
    std::map<std::pair<int, int>, Found> found;             // (writer, id)
    std::vector<std::vector<Appearance>> files;              // [file][writer]
};

bool digits(const std::string& text, size_t at, size_t count) {
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// Finds "<Wn:dddddd|" (a line's start) and "|Wn:dddddd>" (its end).
void scanMarkers(const std::string& content, Account& account) {
    std::vector<Appearance> perWriter(kWriters + 1);
    for (size_t at = content.find('W', 1); at != std::string::npos && at + 9 < content.size();
         at = content.find('W', at + 1)) {
        const char before = content[at - 1], after = content[at + 9];
        const int writer = content[at + 1] - '0';
        if (writer < 1 || writer > kWriters || content[at + 2] != ':' || !digits(content, at + 3, 6)) continue;
        const bool start = before == '<' && after == '|';
        const bool end = before == '|' && after == '>';
        if (!start && !end) continue;
        const int id = std::stoi(content.substr(at + 3, 6));
        Found& f = account.found[{writer, id}];
        (start ? f.starts : f.ends) += 1;
        if (perWriter[writer].empty() || perWriter[writer].back() != id) perWriter[writer].push_back(id);
    }
    account.files.push_back(perWriter);
}

class SharedDirectory : public ::testing::TestWithParam<bool> {
protected:
    // Runs both writers at once, as two processes (param true) or two threads; returns the
    // writers' total cuts and placed backups.
    std::pair<int, int> run(int lines) {
        if (!GetParam()) {
            WriterCounts counts(&platform::system());
            std::vector<std::thread> threads;
            for (int w = 1; w <= kWriters; ++w) threads.emplace_back(writeLines, dir.path(), w, lines);
            for (std::thread& t : threads) t.join();
            return {counts.cuts.load(), counts.placed.load()};
        }
#if defined(_WIN32)
        ADD_FAILURE() << "two writer processes need fork(); left out on Windows";
        return {0, 0};
#else
        int gate[2];
        EXPECT_EQ(::pipe(gate), 0);
        std::vector<pid_t> children;
        for (int w = 1; w <= kWriters; ++w) {
            pid_t pid = ::fork();
            if (pid == 0) {
                ::close(gate[1]);
                char byte;
                while (::read(gate[0], &byte, 1) > 0) {
                }
                WriterCounts counts(&platform::system());
                writeLines(dir.path(), w, lines);
                std::ofstream(dir.file("counts" + std::to_string(w))) << counts.cuts << " " << counts.placed;
                ::_exit(0);
            }
            children.push_back(pid);
        }
        ::close(gate[0]);
        ::close(gate[1]);  // both start now
        int cuts = 0, placed = 0;
        for (size_t i = 0; i < children.size(); ++i) {
            int status = 0;
            EXPECT_EQ(::waitpid(children[i], &status, 0), children[i]);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            std::ifstream in(dir.file("counts" + std::to_string(i + 1)));
            int c = -1, p = -1;
            in >> c >> p;
            EXPECT_GE(c, 0);
            cuts += c;
            placed += p;
        }
        return {cuts, placed};
#endif
    }

    // The backups 1..B oldest first, then the current file.
    Account account(int* backups) {
        Account result;
        *backups = 0;
        while (std::filesystem::exists(dir.file("Korvelincomm_" + std::to_string(*backups + 1) + ".log"))) {
            ++*backups;
            scanMarkers(readWhole(dir.file("Korvelincomm_" + std::to_string(*backups) + ".log")), result);
        }
        scanMarkers(readWhole(dir.file("Korvelincomm.log")), result);
        return result;
    }

    int traceFiles() {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            n += entry.path().filename().string().starts_with("Korvelincomm") ? 1 : 0;
        }
        return n;
    }

    TempDir dir;
};

TEST_P(SharedDirectory, WithoutRotationEveryLineIsThereOnce) {
    constexpr int kLines = 1500;  // two writers stay well below one file
    const auto [cuts, placed] = run(kLines);
    EXPECT_EQ(cuts, 0);
    EXPECT_EQ(placed, 0);
    int backups = 0;
    Account a = account(&backups);
    EXPECT_EQ(backups, 0);
    EXPECT_EQ(traceFiles(), 1);
    for (int w = 1; w <= kWriters; ++w) {
        for (int id = 0; id < kLines; ++id) {
            const Found& f = a.found[{w, id}];
            ASSERT_TRUE(f.starts == 1 && f.ends == 1) << marker(w, id) << " " << f.starts << "/" << f.ends;
        }
        EXPECT_EQ(a.files[0][w].size(), static_cast<size_t>(kLines)) << "in writing order";
    }
}

TEST_P(SharedDirectory, RotationLosesOnlyTheTailBetweenCopyAndEmptying) {
    constexpr int kLines = 7000;  // about 1.6 MB per writer
    std::ofstream(dir.file("Korvelincomm.log"), std::ios::binary) << std::string(kTraceFileLimit - 200000, '.');
    const auto [cuts, placed] = run(kLines);
    int backups = 0;
    Account a = account(&backups);
    ASSERT_GE(placed, 2) << "the writers rotated";
    EXPECT_EQ(backups, placed) << "every backup placed is still there, numbered 1 upward";
    EXPECT_EQ(traceFiles(), backups + 1) << "no temporary or lock file is left";

    for (auto& [key, f] : a.found) {
        ASSERT_TRUE(f.starts <= 1 && f.ends <= 1) << marker(key.first, key.second) << " appears twice";
    }
    for (int w = 1; w <= kWriters; ++w) {
        int previous = -1, runs = 0, present = 0;
        for (size_t file = 0; file < a.files.size(); ++file) {
            const Appearance& ids = a.files[file][w];
            for (size_t i = 0; i < ids.size(); ++i) {
                if (i > 0) {
                    ASSERT_EQ(ids[i], ids[i - 1] + 1) << "file " << file << " writer " << w;
                }
                ASSERT_GE(ids[i], previous) << "file " << file << " writer " << w;
                if (ids[i] > previous + 1) ++runs;
                if (ids[i] != previous) ++present;
                previous = ids[i];
            }
        }
        if (previous < kLines - 1) ++runs;
        EXPECT_LE(runs, cuts) << "writer " << w << " lost " << kLines - present << " lines";
        RecordProperty("lost_by_writer_" + std::to_string(w), kLines - present);
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, SharedDirectory, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Processes" : "Threads"); });

}  // namespace
}  // namespace rvs::test
