#include "platform/portable/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/slot_pool.h"

namespace rvs::platform::portable {
namespace {

// Enough for every session's trace file and the files beside it at one time.
SlotPool<32, 64> openFiles;

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    static void* operator new(size_t size) { return openFiles.take(size); }
    static void operator delete(void* p) { openFiles.give(p); }

    // With O_APPEND each write() lands whole at the end of the file, also when another process
    // appends to the same file; a partial write is only continued, never re-positioned.
    bool write(const void* data, uint32_t size, uint32_t* written) override {
        const char* bytes = static_cast<const char*>(data);
        uint32_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd_, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<uint32_t>(n);
        }
        if (written != nullptr) *written = done;
        return done == size;
    }

    bool read(void* data, uint32_t size, uint32_t* got) override {
        char* bytes = static_cast<char*>(data);
        uint32_t done = 0;
        bool ok = true;
        while (done < size) {
            ssize_t n = ::read(fd_, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            done += static_cast<uint32_t>(n);
        }
        if (got != nullptr) *got = done;
        return ok;
    }

    uint64_t size() override {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }

    bool seek(uint64_t offset) override { return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0; }
    bool seekEnd() override { return ::lseek(fd_, 0, SEEK_END) >= 0; }

    bool truncateHere() override {
        off_t here = ::lseek(fd_, 0, SEEK_CUR);
        return here >= 0 && ::ftruncate(fd_, here) == 0;
    }

private:
    int fd_;
};

int openFlags(FileMode mode) {
    switch (mode) {
        case FileMode::WriteExclusive: return O_WRONLY | O_CREAT | O_TRUNC;
        case FileMode::AppendShared: return O_WRONLY | O_CREAT | O_APPEND;
        case FileMode::WriteShared: return O_WRONLY | O_CREAT;
        case FileMode::Read: return O_RDONLY;
    }
    return O_RDONLY;
}

}  // namespace

std::unique_ptr<File> openPosixFile(const char* path, FileMode mode) {
    int fd = ::open(path, openFlags(mode) | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    try {  // the heap serves when every slot is taken, and may refuse
        return std::make_unique<PosixFile>(fd);
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return nullptr;
    }
}

CreateResult createNewFile(const char* path) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
    ::close(fd);
    return CreateResult::Created;
}

}  // namespace rvs::platform::portable
