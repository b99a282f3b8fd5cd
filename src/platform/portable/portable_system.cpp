// The system seam on the C++ standard library, with POSIX where it has no equivalent.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "platform/narrow_text.h"
#include "platform/platform.h"
#include "platform/portable/posix_file.h"
#include "platform/portable/std_thread.h"
#include "platform/utf8.h"

namespace rvs::platform {
namespace {

namespace fs = std::filesystem;
using platform::toUtf16;
using platform::toUtf8;

std::string temporaryDirectory() {
    const char* configured = std::getenv("TMPDIR");
    std::string directory = configured != nullptr && *configured != '\0' ? configured : "/tmp";
    if (directory.back() != '/') directory += '/';
    return directory;
}

std::string transferFileName(uint16_t unique) {
    char name[16];
    std::snprintf(name, sizeof name, "Kor%04X.tmp", static_cast<unsigned>(unique));
    return name;
}

class PortableSystem final : public System {
public:
    uint32_t tickCount() override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }

    void sleep(uint32_t milliseconds) override {
        if (milliseconds == 0) {
            std::this_thread::yield();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        }
    }

    LocalTime localTime() override {
        auto now = std::chrono::system_clock::now();
        std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
        std::tm parts{};
        ::localtime_r(&seconds, &parts);
        LocalTime t;
        t.year = static_cast<uint16_t>(parts.tm_year + 1900);
        t.month = static_cast<uint16_t>(parts.tm_mon + 1);
        t.day = static_cast<uint16_t>(parts.tm_mday);
        t.hour = static_cast<uint16_t>(parts.tm_hour);
        t.minute = static_cast<uint16_t>(parts.tm_min);
        t.second = static_cast<uint16_t>(parts.tm_sec);
        t.millisecond = static_cast<uint16_t>(millis < 0 ? millis + 1000 : millis);
        return t;
    }

    char16_t pathSeparator() const override { return u'/'; }
    bool fileNamesIgnoreCase() const override { return false; }

    // Like GetTempFileNameW with unique number 0: start from a clock-derived number and step on
    // while the name is taken; the file is created exclusively so no two callers share one.
    bool createTransferFileName(std::u16string* path) override {
        std::string directory = temporaryDirectory();
        uint16_t unique = static_cast<uint16_t>(tickCount() ^ (static_cast<uint32_t>(::getpid()) << 4) ^
                                                nextSalt_.fetch_add(0x9E37, std::memory_order_relaxed));
        for (uint32_t attempt = 0; attempt < 0x10000; ++attempt, ++unique) {
            if (unique == 0) continue;  // 0 would ask for a name without the uniqueness check
            std::string candidate = directory + transferFileName(unique);
            switch (portable::createNewFile(candidate.c_str())) {
                case portable::CreateResult::Created: *path = toUtf16(candidate); return true;
                case portable::CreateResult::Exists: continue;
                case portable::CreateResult::Failed: return false;
            }
        }
        return false;
    }

    // A path of ordinary length goes to the system from the stack: the trace writer opens its
    // file for every line.
    std::unique_ptr<File> openFile(const std::u16string& path, FileMode mode) override {
        char name[4096];
        if (path.size() * 3 < sizeof name) {  // at most 3 bytes per UTF-16 unit
            name[narrowByCharacter(path, name, sizeof name - 1, encodeUtf8)] = '\0';
            return portable::openPosixFile(name, mode);
        }
        return portable::openPosixFile(toUtf8(path).c_str(), mode);
    }

    bool deleteFile(const std::u16string& path) override {
        std::error_code error;
        fs::path target(toUtf8(path));
        if (fs::is_directory(fs::symlink_status(target, error))) return false;
        return fs::remove(target, error);
    }

    bool copyFile(const std::u16string& from, const std::u16string& to) override {
        std::error_code error;
        return fs::copy_file(toUtf8(from), toUtf8(to), fs::copy_options::overwrite_existing, error);
    }

    // MoveFileW never replaces an existing target.
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        std::string source = toUtf8(from), target = toUtf8(to);
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
        std::error_code error;
        if (errno == EXDEV) {  // another file system: copy, then remove the source
            if (!fs::copy_file(source, target, fs::copy_options::none, error)) return false;
            return fs::remove(source, error);
        }
        if (errno == EINVAL) {  // the file system cannot refuse to replace by itself
            if (fs::exists(fs::symlink_status(target, error))) return false;
            fs::rename(source, target, error);
            return !error;
        }
        return false;
    }

    bool fileExists(const std::u16string& path) override {
        std::error_code error;
        return fs::exists(toUtf8(path), error);
    }

    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        std::vector<std::u16string> names;
        std::error_code error;
        fs::directory_iterator entries(toUtf8(directory), error);
        if (error) return names;
        for (const fs::directory_entry& entry : entries) {
            if (entry.is_directory(error)) continue;
            std::u16string name = toUtf16(entry.path().filename().string());
            if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix)) {
                names.push_back(std::move(name));
            }
        }
        return names;
    }

    size_t narrowText(std::u16string_view text, char* out, size_t capacity) override {
        return narrowByCharacter(text, out, capacity, encodeUtf8);
    }

    // Read once: the process's executable does not change while it runs.
    size_t executablePath(char* out, size_t capacity) override {
        static const std::string self = [] {
            std::error_code error;
            fs::path link = fs::read_symlink("/proc/self/exe", error);
            return error ? std::string() : link.string();
        }();
        return copyCut(self, out, capacity);
    }

    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        return portable::startStdThread(std::move(body));
    }

    uint32_t currentThreadId() override { return portable::currentKernelThreadId(); }

private:
    std::atomic<uint16_t> nextSalt_{0};
};

}  // namespace

System& defaultSystem() {
    static PortableSystem instance;
    return instance;
}

}  // namespace rvs::platform
