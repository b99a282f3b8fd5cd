// The operating system as the library uses it: clock, sleep, local time, files, threads and
// the host executable's name. Backends: portable/ (C++ standard library) and win32/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rvs::platform {

struct LocalTime {
    uint16_t year = 0, month = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

enum class FileMode {
    WriteExclusive,  // write only, no sharing, always replaced (transfer files)
    AppendShared,    // as WriteShared, but every write lands whole at the end (trace file)
    WriteShared,     // write, opened or created, content kept, read/write sharing (staging file)
    Read,            // read an existing file
};

class File {
public:
    virtual ~File() = default;
    // False when the write failed; `written` is what reached the file.
    virtual bool write(const void* data, uint32_t size, uint32_t* written) = 0;
    virtual bool read(void* data, uint32_t size, uint32_t* got) = 0;
    virtual uint64_t size() = 0;
    virtual bool seek(uint64_t offset) = 0;
    virtual bool seekEnd() = 0;
    // Cuts the file at the current position.
    virtual bool truncateHere() = 0;
};

class Thread {
public:
    virtual ~Thread() = default;
    // Waits for the body to return. Called once.
    virtual void join() = 0;
    virtual uint32_t id() const = 0;
    // THREAD_PRIORITY_TIME_CRITICAL where the platform has it; false when refused.
    virtual bool raiseToTimeCritical() = 0;
};

class System {
public:
    virtual ~System() = default;

    // Milliseconds since some start, wrapping at 2^32 like GetTickCount.
    virtual uint32_t tickCount() = 0;
    // 0 yields the processor.
    virtual void sleep(uint32_t milliseconds) = 0;
    virtual LocalTime localTime() = 0;

    virtual char16_t pathSeparator() const = 0;
    // Whether file names differ by case only in looks (Windows), or are different names.
    virtual bool fileNamesIgnoreCase() const = 0;
    // GetTempPathW + GetTempFileNameW(prefix "Kor", unique 0): creates an empty file and
    // gives its full path. False when no name could be had.
    virtual bool createTransferFileName(std::u16string* path) = 0;
    virtual std::unique_ptr<File> openFile(const std::u16string& path, FileMode mode) = 0;
    virtual bool deleteFile(const std::u16string& path) = 0;
    virtual bool copyFile(const std::u16string& from, const std::u16string& to) = 0;  // replaces `to`
    virtual bool moveFile(const std::u16string& from, const std::u16string& to) = 0;
    virtual bool fileExists(const std::u16string& path) = 0;
    // Names (without directory) of the files in `directory` whose names start with `prefix`
    // and end with `suffix`.
    virtual std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                                  const std::u16string& suffix) = 0;

    // UTF-16 text as the trace file's 8-bit text: the ANSI code page on Windows, UTF-8
    // elsewhere. Writes whole characters, at most `capacity` bytes, to `out` and returns the
    // bytes written; with `out` null returns the length of the whole text.
    virtual size_t narrowText(std::u16string_view text, char* out, size_t capacity) = 0;

    // Full path of the host process's executable as 8-bit text, written to `out` cut to
    // `capacity` - 1 bytes and NUL-terminated; returns the length of the whole path, 0 when
    // unknown. Allocates nothing: the trace writer asks for it on every line.
    virtual size_t executablePath(char* out, size_t capacity) = 0;

    // Starts `body` at once; nullptr when no thread can be had.
    virtual std::unique_ptr<Thread> startThread(std::function<void()> body) = 0;
    virtual uint32_t currentThreadId() = 0;
};

// Copies `text` into `out` the way executablePath gives it: cut to `capacity` - 1 bytes and
// NUL-terminated. Returns the length of the whole text.
inline size_t copyCut(std::string_view text, char* out, size_t capacity) {
    if (out != nullptr && capacity > 0) {
        const size_t kept = text.size() < capacity ? text.size() : capacity - 1;
        text.copy(out, kept);
        out[kept] = '\0';
    }
    return text.size();
}

// Forwards every call to another System, so a test double overrides only what it needs.
class SystemWrapper : public System {
public:
    explicit SystemWrapper(System* target) : target_(target) {}
    uint32_t tickCount() override { return target_->tickCount(); }
    void sleep(uint32_t ms) override { target_->sleep(ms); }
    LocalTime localTime() override { return target_->localTime(); }
    char16_t pathSeparator() const override { return target_->pathSeparator(); }
    bool fileNamesIgnoreCase() const override { return target_->fileNamesIgnoreCase(); }
    bool createTransferFileName(std::u16string* path) override { return target_->createTransferFileName(path); }
    std::unique_ptr<File> openFile(const std::u16string& path, FileMode mode) override {
        return target_->openFile(path, mode);
    }
    bool deleteFile(const std::u16string& path) override { return target_->deleteFile(path); }
    bool copyFile(const std::u16string& from, const std::u16string& to) override { return target_->copyFile(from, to); }
    bool moveFile(const std::u16string& from, const std::u16string& to) override { return target_->moveFile(from, to); }
    bool fileExists(const std::u16string& path) override { return target_->fileExists(path); }
    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        return target_->findFiles(directory, prefix, suffix);
    }
    size_t narrowText(std::u16string_view text, char* out, size_t capacity) override {
        return target_->narrowText(text, out, capacity);
    }
    size_t executablePath(char* out, size_t capacity) override { return target_->executablePath(out, capacity); }
    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        return target_->startThread(std::move(body));
    }
    uint32_t currentThreadId() override { return target_->currentThreadId(); }

protected:
    System* target() const { return target_; }

private:
    System* target_;
};

}  // namespace rvs::platform
