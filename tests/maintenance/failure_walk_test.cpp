// Every driver exchange and spooler paper-form call of the download and configuration exports
// fails in turn, in each form, and so does each file operation of the download: each gives its
// code, leaves no staging file, lets the monitor poll again and leaves it unparked.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>

#include "maintenance_calls_fixture.h"
#include "support/failure_walk.h"

namespace rvs::test {
namespace {

using Kind = FaultForm::Kind;
using ExpectedCode = std::function<uint32_t(const FailurePoint&)>;

bool named(const FailurePoint& point, std::initializer_list<const char16_t*> names) {
    for (const char16_t* name : names) {
        if (point.exchange.name == name) return true;
    }
    return false;
}

// Answers only looked at for the call's success: the division switch, a model re-read that
// falls back on the session's model.
bool answerUnexamined(const FailurePoint& point) {
    return point.form.kind != Kind::CallFails &&
           named(point, {u"DivisionPrintingON", u"DivisionPrintingOFF", u"GetPrinterModel"});
}

uint32_t download(const FailurePoint& point) {
    if (answerUnexamined(point)) return 0;
    if (point.exchange.name == u"GetPrinterModel") return 0;
    return point.usualResult();
}

uint32_t oxaDownload(const FailurePoint& point) {
    if (point.exchange.name == u"OXAPrintTimeOut") return 0;
    if (point.exchange.name == u"OXASelectDevice" && point.form.kind == Kind::Refused) return 0;
    return download(point);
}

// The multiple-page probe is a record read: its answer byte is not looked at.
uint32_t configuration(const FailurePoint& point) {
    if (point.form.kind == Kind::Refused && named(point, {u"CheckMultiplePagePrinting"})) return 0;
    return answerUnexamined(point) ? 0 : point.usualResult();
}

// The paper call: every refusal is 16, but for the two calls whose outcome it does not examine.
uint32_t paper(const FailurePoint& point) {
    if (named(point, {u"DocumentPropertiesW", u"AddFormW"})) return 0;
    return 16;
}

struct WalkCase {
    const char* name;
    sim::Profile profile;
    std::function<uint32_t(MaintenanceFixture&, RvStatementHandle)> call;
    ExpectedCode expected;
};
void PrintTo(const WalkCase& c, std::ostream* out) { *out << c.name; }

class WalkFixture : public MaintenanceFixture {
public:
    uint32_t runDownload(uint8_t type) { return download(type, imagePath); }
    std::u16string imagePath;

protected:
    sim::Device& arrange(sim::Profile profile) {
        reset();
        openFresh(profile);
        imagePath = writeImage(joined({block('F', 'B', 1, 0x11), block('F', 'F', 1, 0x22), block('x', 'M', 1, 0x33),
                                       block('a', 'M', 1, 0x44)}));
        if (profile.isOxaSt()) {
            ObservingSpooler& observer = observe();
            observer.actAfter = u"OXASelectDevice";
            observer.action = [this] { reportOxaDeviceHeld(); };
        }
        return *device;
    }
    uint32_t call(const WalkCase& c) {
        std::unique_lock<Lock> parked;
        if (c.profile.isOxaSt()) parked = park();
        return c.call(*this, handle);
    }
    void reset() {
        stopObserving();
        if (handle != nullptr) close();
    }
};

const uint8_t kConfiguration[8] = {0x10, 0x06, 0, 0, 0, 0, 0, 0};

const WalkCase kCases[] = {
    {"DownloadKorvelinFoBoot", sim::Profile::korvelinFO(), [](MaintenanceFixture& f, RvStatementHandle) {
         return static_cast<WalkFixture&>(f).runDownload(2);
     }, download},
    {"DownloadKorvelin", sim::Profile::korvelin(), [](MaintenanceFixture& f, RvStatementHandle) {
         return static_cast<WalkFixture&>(f).runDownload(0);
     }, download},
    {"DownloadOxaSt", sim::Profile::oxaSt(), [](MaintenanceFixture& f, RvStatementHandle) {
         return static_cast<WalkFixture&>(f).runDownload(0);
     }, oxaDownload},
    {"SetPrinterConfiguration", sim::Profile::korvelin(),
     [](MaintenanceFixture&, RvStatementHandle h) { return RvStatementSetPrinterConfiguration(h, kConfiguration); },
     configuration},
    {"SetPaperConfigurationUserSize", sim::Profile::korvelin(),
     [](MaintenanceFixture&, RvStatementHandle h) { return RvStatementSetPaperConfiguration(h, 2, 0, 150); }, paper},
    {"SetPaperConfigurationForm", sim::Profile::oxaSt(),
     [](MaintenanceFixture&, RvStatementHandle h) { return RvStatementSetPaperConfiguration(h, 4, 0, 0); }, paper},
};

class MaintenanceFailureWalk : public WalkFixture, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(MaintenanceFailureWalk, EachExchangeFailingGivesTheCallsCodeAndLeavesNothingBehind) {
    const WalkCase& c = GetParam();
    uint32_t result = 0;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& { return arrange(c.profile); },
        .act = [&] { result = call(c); },
        .check =
            [&](const FailurePoint& point) {
                EXPECT_EQ(result, c.expected(point)) << "result " << result;
                EXPECT_FALSE(staged()) << "a staging file was left behind";
                EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
                expectMonitorPolling();
            },
        .cleanUp = [&] { reset(); },
        .ignoredNames = {u"LogSettingCondition"},
    });
    EXPECT_FALSE(walked.empty());
}

INSTANTIATE_TEST_SUITE_P(Exports, MaintenanceFailureWalk, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the download's file operations

// Fails the Nth operation on files of one directory made from the test's thread: opening,
// reading, writing, seeking, cutting, or a size that reads as 0. Counts the files open.
class FileFaults : public platform::SystemWrapper {
public:
    FileFaults(platform::System* target, std::string directory)
        : SystemWrapper(target), directory_(std::move(directory)), thread_(target->currentThreadId()) {}

    enum class Op { Open, Size, Seek, Read, Write, Truncate };
    struct Seen {
        Op op;
        platform::FileMode mode;
    };

    // Counts from now; fails operation `index` (none when negative).
    void plan(int index) {
        std::lock_guard<std::mutex> hold(mutex_);
        failAt_ = index;
        seen_.clear();
    }
    std::vector<Seen> seen() {
        std::lock_guard<std::mutex> hold(mutex_);
        return seen_;
    }
    int openFiles() const { return open_.load(); }

    std::unique_ptr<platform::File> openFile(const std::u16string& path, platform::FileMode mode) override {
        const bool watched = watches(path, mode);
        if (watched && failsNow(Op::Open, mode)) return nullptr;
        std::unique_ptr<platform::File> file = SystemWrapper::openFile(path, mode);
        if (!file || !watched) return file;
        return std::make_unique<Watched>(std::move(file), *this, mode);
    }

private:
    class Watched final : public platform::File {
    public:
        Watched(std::unique_ptr<platform::File> file, FileFaults& owner, platform::FileMode mode)
            : file_(std::move(file)), owner_(owner), mode_(mode) {
            ++owner_.open_;
        }
        ~Watched() override { --owner_.open_; }
        bool write(const void* data, uint32_t size, uint32_t* written) override {
            if (owner_.failsNow(Op::Write, mode_)) {
                // Half of it reaches the file.
                return file_->write(data, size / 2, written) && false;
            }
            return file_->write(data, size, written);
        }
        bool read(void* data, uint32_t size, uint32_t* got) override {
            if (owner_.failsNow(Op::Read, mode_)) return file_->read(data, size / 2, got);
            return file_->read(data, size, got);
        }
        uint64_t size() override { return owner_.failsNow(Op::Size, mode_) ? 0 : file_->size(); }
        bool seek(uint64_t offset) override { return !owner_.failsNow(Op::Seek, mode_) && file_->seek(offset); }
        bool seekEnd() override { return file_->seekEnd(); }
        bool truncateHere() override { return !owner_.failsNow(Op::Truncate, mode_) && file_->truncateHere(); }

    private:
        std::unique_ptr<platform::File> file_;
        FileFaults& owner_;
        platform::FileMode mode_;
    };

    // The library's files only: the virtual printer reads the staging file on the same thread.
    bool watches(const std::u16string& path, platform::FileMode mode) const {
        const std::u16string directory(directory_.begin(), directory_.end());
        const std::u16string staging = u"DL_TEMP.bin";
        const bool printerReads = mode == platform::FileMode::Read && path.size() >= staging.size() &&
                                  path.compare(path.size() - staging.size(), staging.size(), staging) == 0;
        return path.rfind(directory, 0) == 0 && target()->currentThreadId() == thread_ && !printerReads;
    }
    bool failsNow(Op op, platform::FileMode mode) {
        std::lock_guard<std::mutex> hold(mutex_);
        seen_.push_back({op, mode});
        return static_cast<int>(seen_.size()) - 1 == failAt_;
    }

    std::string directory_;
    uint32_t thread_;
    std::mutex mutex_;
    int failAt_ = -1;
    std::vector<Seen> seen_;
    std::atomic<int> open_{0};
};

// What each failing file operation gives: the image not opened or empty 9, the image not read
// whole 14, the staging file not created or written whole 16.
uint32_t fileFaultCode(const FileFaults::Seen& seen) {
    const bool image = seen.mode == platform::FileMode::Read;
    switch (seen.op) {
        case FileFaults::Op::Open: return image ? 9 : 16;
        case FileFaults::Op::Size: return 9;
        case FileFaults::Op::Seek:
        case FileFaults::Op::Read: return 14;
        case FileFaults::Op::Write:
        case FileFaults::Op::Truncate: return 16;
    }
    return 0;
}

class DownloadFileWalk : public WalkFixture {};

// Installs a system for the test's scope and puts the test clock back, also after a fatal failure.
class InstalledSystem {
public:
    InstalledSystem(platform::System* system, platform::System* previous) : previous_(previous) {
        platform::setSystem(system);
    }
    ~InstalledSystem() { platform::setSystem(previous_); }

private:
    platform::System* previous_;
};

TEST_F(DownloadFileWalk, EachFileOperationFailingGivesItsCodeAndLeavesNoFileOpenOrStaged) {
    FileFaults files(&clock.system(), images.path());
    InstalledSystem installed(&files, &clock.system());
    arrange(sim::Profile::korvelinFO());
    files.plan(-1);
    ASSERT_EQ(runDownload(2), 0u) << ::testing::PrintToString(lines(23));
    const std::vector<FileFaults::Seen> clean = files.seen();
    ASSERT_GE(clean.size(), 10u);
    for (size_t i = 0; i < clean.size(); ++i) {
        SCOPED_TRACE("file operation " + std::to_string(i));
        arrange(sim::Profile::korvelinFO());
        files.plan(static_cast<int>(i));
        EXPECT_EQ(runDownload(2), fileFaultCode(clean[i]));
        EXPECT_EQ(files.openFiles(), 0) << "a file was left open";
        EXPECT_FALSE(staged()) << "a staging file was left behind";
        expectMonitorPolling();
    }
    reset();
}

}  // namespace
}  // namespace rvs::test
