// Two writers — two processes, or two sessions of one process — tracing into one directory at
// the same time. Every line carries its writer and sequence number at both ends, so the files
// left behind tell which lines survived, in what order and how often.
//
// Without rotation every line is there exactly once. With rotation the design (copy the full
// file, then empty it) loses what the other writer appends between the copy and the emptying,
// and nothing else. The assertions that follow from that, and hold whatever the scheduling:
//  - every backup holds a full file: at least the split size less one line;
//  - no line appears twice (no backup is taken twice of the same content, none is overwritten);
//  - within one file, each writer's lines are consecutive: a file is one stretch of appends;
//  - across the backups (oldest first) and the current file, each writer's lines go upward;
//  - the lines lost fit into the bytes appended between the copies and the emptyings;
//  - backups are numbered 1..B with B the number of backups there were and placed, up to the
//    file count less one.
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cstdio>
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

std::string nameOf(const std::u16string& path) { return ascii(path.substr(path.rfind(u'/') + 1)); }

bool isBackupName(const std::u16string& path) {
    const std::string name = nameOf(path);
    const std::string head = "Korvelincomm_";
    if (!name.starts_with(head) || !name.ends_with(".log") || name.size() <= head.size() + 4) return false;
    for (size_t i = head.size(); i < name.size() - 4; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

bool isCurrentFile(const std::u16string& path) { return nameOf(path) == "Korvelincomm.log"; }

uint64_t sizeOf(platform::System& system, const std::u16string& path) {
    std::unique_ptr<platform::File> file = system.openFile(path, platform::FileMode::Read);
    return file ? file->size() : 0;
}

// What the writers of one process did: cuts of the current file (one per rotation), backups
// placed under a new number (renumbering moves come from set-aside ".log.log" names), and the
// bytes the current file had gained between a copy of it and the cut that followed.
struct Counts {
    int cuts = 0;
    int placed = 0;
    uint64_t tail = 0;
};

class WriterCounts : public platform::SystemWrapper {
public:
    explicit WriterCounts(platform::System* target) : SystemWrapper(target), previous_(target) {
        platform::setSystem(this);
    }
    ~WriterCounts() override { platform::setSystem(previous_); }

    std::unique_ptr<platform::File> openFile(const std::u16string& path, platform::FileMode mode) override {
        std::unique_ptr<platform::File> inner = target()->openFile(path, mode);
        if (!inner || mode != platform::FileMode::AppendShared) return inner;
        return std::make_unique<CountedFile>(std::move(inner), *this);
    }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        bool moved = target()->moveFile(from, to);
        if (moved && isBackupName(to) && !from.ends_with(u".log")) ++placed_;
        return moved;
    }
    bool copyFile(const std::u16string& from, const std::u16string& to) override {
        bool copied = target()->copyFile(from, to);
        if (copied && isBackupName(to) && !from.ends_with(u".log")) ++placed_;
        if (copied && isCurrentFile(from)) copiedSize() = sizeOf(*target(), to);
        return copied;
    }

    Counts counts() const { return {cuts_.load(), placed_.load(), tail_.load()}; }

private:
    // The size of this thread's last copy of the current file, until its next cut.
    static uint64_t& copiedSize() {
        thread_local uint64_t size = UINT64_MAX;
        return size;
    }

    class CountedFile : public platform::File {
    public:
        CountedFile(std::unique_ptr<platform::File> inner, WriterCounts& counts)
            : inner_(std::move(inner)), counts_(counts) {}
        bool write(const void* d, uint32_t n, uint32_t* w) override { return inner_->write(d, n, w); }
        bool read(void* d, uint32_t n, uint32_t* g) override { return inner_->read(d, n, g); }
        uint64_t size() override { return inner_->size(); }
        bool seek(uint64_t offset) override { return inner_->seek(offset); }
        bool seekEnd() override { return inner_->seekEnd(); }
        bool truncateHere() override {
            ++counts_.cuts_;
            const uint64_t now = inner_->size();
            if (copiedSize() != UINT64_MAX && now > copiedSize()) counts_.tail_ += now - copiedSize();
            copiedSize() = UINT64_MAX;
            return inner_->truncateHere();
        }

    private:
        std::unique_ptr<platform::File> inner_;
        WriterCounts& counts_;
    };

    std::atomic<int> cuts_{0};
    std::atomic<int> placed_{0};
    std::atomic<uint64_t> tail_{0};
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

const size_t kLineText = line(1, 0).size();
// A whole line in the file: the text and its prefix (at most 63 characters).
const size_t kLineBytes = kLineText + 63;

void writeLines(const std::string& directory, uint16_t fileCount, int writer, int lines) {
    Session session;
    session.traceMode.store(0x3F);
    session.traceFileCount.store(fileCount);
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

struct Setup {
    bool processes;
    uint16_t fileCount;
};

class SharedDirectory : public ::testing::TestWithParam<Setup> {
protected:
    // Runs both writers at once, as two processes or two threads; returns what they did.
    Counts run(int lines) {
        const uint16_t count = GetParam().fileCount;
        if (!GetParam().processes) {
            WriterCounts counts(&platform::system());
            std::vector<std::thread> threads;
            for (int w = 1; w <= kWriters; ++w) threads.emplace_back(writeLines, dir.path(), count, w, lines);
            for (std::thread& t : threads) t.join();
            return counts.counts();
        }
#if defined(_WIN32)
        ADD_FAILURE() << "two writer processes need fork(); left out on Windows";
        return {};
#else
        std::fflush(nullptr);  // the children must not print this process's buffered output again
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
                writeLines(dir.path(), count, w, lines);
                const Counts c = counts.counts();
                std::ofstream(dir.file("counts" + std::to_string(w))) << c.cuts << " " << c.placed << " " << c.tail;
                ::_exit(0);
            }
            children.push_back(pid);
        }
        ::close(gate[0]);
        ::close(gate[1]);  // both start now
        Counts total;
        for (size_t i = 0; i < children.size(); ++i) {
            int status = 0;
            EXPECT_EQ(::waitpid(children[i], &status, 0), children[i]);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            std::ifstream in(dir.file("counts" + std::to_string(i + 1)));
            Counts c{-1, -1, 0};
            in >> c.cuts >> c.placed >> c.tail;
            EXPECT_GE(c.cuts, 0);
            total.cuts += c.cuts;
            total.placed += c.placed;
            total.tail += c.tail;
        }
        return total;
#endif
    }

    // The backups 1..B oldest first, then the current file; the sizes of the backups.
    Account account(std::vector<size_t>* backupSizes) {
        Account result;
        for (int n = 1; std::filesystem::exists(dir.file("Korvelincomm_" + std::to_string(n) + ".log")); ++n) {
            const std::string content = readWhole(dir.file("Korvelincomm_" + std::to_string(n) + ".log"));
            backupSizes->push_back(content.size());
            scanMarkers(content, result);
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
    const Counts counts = run(kLines);
    EXPECT_EQ(counts.cuts, 0);
    EXPECT_EQ(counts.placed, 0);
    std::vector<size_t> backups;
    Account a = account(&backups);
    EXPECT_TRUE(backups.empty());
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
    constexpr int kLines = 14000;  // about 3.1 MB per writer
    // Full backups from before: with a count of 5 the writers' rotations push the oldest out.
    constexpr int kEarlier = 3;
    for (int n = 1; n <= kEarlier; ++n) {
        std::ofstream(dir.file("Korvelincomm_" + std::to_string(n) + ".log"), std::ios::binary)
            << std::string(kTraceFileLimit, '.');
    }
    std::ofstream(dir.file("Korvelincomm.log"), std::ios::binary) << std::string(kTraceFileLimit - 200000, '.');
    const Counts counts = run(kLines);
    std::vector<size_t> backups;
    Account a = account(&backups);

    // The figures first, so that a failing run still reports them.
    int emptyBackups = 0, duplicated = 0, lost = 0;
    for (size_t size : backups) emptyBackups += size + kLineBytes < kTraceFileLimit ? 1 : 0;
    for (auto& [key, f] : a.found) duplicated += f.starts > 1 || f.ends > 1 ? 1 : 0;
    std::vector<int> lostBy(kWriters + 1, 0);
    for (int w = 1; w <= kWriters; ++w) {
        // Lines older than the oldest kept backup left with the backups the file count removed.
        int first = kLines;
        for (int id = 0; id < kLines && first == kLines; ++id) first = a.found.count({w, id}) != 0 ? id : first;
        for (int id = first; id < kLines; ++id) lostBy[w] += a.found.count({w, id}) == 0 ? 1 : 0;
        lost += lostBy[w];
    }
    RecordProperty("backups", static_cast<int>(backups.size()));
    RecordProperty("empty_backups", emptyBackups);
    RecordProperty("duplicated_lines", duplicated);
    RecordProperty("lost_lines", lost);
    RecordProperty("tail_bytes", static_cast<int>(counts.tail));
    std::printf("figures: backups %zu, placed %d, empty backups %d, duplicated lines %d, lost lines %d "
                "(writer 1: %d, writer 2: %d), cuts %d, tail %llu bytes\n",
                backups.size(), counts.placed, emptyBackups, duplicated, lost, lostBy[1], lostBy[2], counts.cuts,
                static_cast<unsigned long long>(counts.tail));

    ASSERT_GE(counts.placed, 2) << "the writers rotated";
    EXPECT_EQ(backups.size(), std::min<size_t>(kEarlier + counts.placed, GetParam().fileCount - 1u))
        << "every backup placed is still there or went out with the oldest, numbered 1 upward";
    EXPECT_EQ(traceFiles(), static_cast<int>(backups.size()) + 1) << "no temporary or lock file is left";
    EXPECT_EQ(emptyBackups, 0) << "every backup holds a full file";
    EXPECT_EQ(duplicated, 0) << "no line appears twice";
    // A lost line lay wholly in a tail, but for the lines a copy or a cut split.
    EXPECT_LE(static_cast<uint64_t>(lost), counts.tail / kLineText + 2u * static_cast<uint64_t>(counts.cuts));

    for (int w = 1; w <= kWriters; ++w) {
        int previous = -1;
        for (size_t file = 0; file < a.files.size(); ++file) {
            const Appearance& ids = a.files[file][w];
            for (size_t i = 0; i < ids.size(); ++i) {
                if (i > 0) {
                    ASSERT_EQ(ids[i], ids[i - 1] + 1) << "file " << file << " writer " << w;
                }
                ASSERT_GE(ids[i], previous) << "file " << file << " writer " << w;
                previous = ids[i];
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, SharedDirectory,
                         ::testing::Values(Setup{true, 5}, Setup{false, 50}, Setup{true, 50}, Setup{false, 5}),
                         [](const auto& info) {
                             return std::string(info.param.processes ? "Processes" : "Threads") + "Keeping" +
                                    std::to_string(info.param.fileCount);
                         });

}  // namespace
}  // namespace rvs::test
