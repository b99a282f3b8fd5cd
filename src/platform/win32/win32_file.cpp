#include "platform/win32/win32_file.h"

#include <windows.h>

#include <new>

#include "platform/slot_pool.h"
#include "platform/win32/wide_text.h"

namespace rvs::platform::win32 {
namespace {

// Enough for every session's trace file and the files beside it at one time.
SlotPool<32, 64> openFiles;

class Win32File final : public File {
public:
    Win32File(HANDLE handle, bool appendOnly) : handle_(handle), appendOnly_(appendOnly) {}
    ~Win32File() override { CloseHandle(handle_); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;
    static void* operator new(size_t size) { return openFiles.take(size); }
    static void operator delete(void* p) { openFiles.give(p); }

    // An append-only file writes at the offset 0xFFFFFFFF:FFFFFFFF, which the kernel places at
    // the end of the file as one step, so writers in other processes never overwrite each other.
    // (Opening with FILE_APPEND_DATA alone would do the same but forbid SetEndOfFile, and the
    // trace file is cut when it rotates.)
    bool write(const void* data, uint32_t size, uint32_t* written) override {
        DWORD done = 0;
        OVERLAPPED atEnd{};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        BOOL ok = WriteFile(handle_, data, size, &done, appendOnly_ ? &atEnd : nullptr);
        if (written != nullptr) *written = done;
        return ok && done == size;
    }

    bool read(void* data, uint32_t size, uint32_t* got) override {
        DWORD done = 0;
        BOOL ok = ReadFile(handle_, data, size, &done, nullptr);
        if (got != nullptr) *got = done;
        return ok != FALSE;
    }

    uint64_t size() override {
        DWORD high = 0;
        DWORD low = GetFileSize(handle_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        return (static_cast<uint64_t>(high) << 32) | low;
    }

    bool seek(uint64_t offset) override { return move(static_cast<LONGLONG>(offset), FILE_BEGIN); }
    bool seekEnd() override { return move(0, FILE_END); }
    bool truncateHere() override { return SetEndOfFile(handle_) != FALSE; }

private:
    bool move(LONGLONG offset, DWORD method) {
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
        return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    }

    HANDLE handle_;
    bool appendOnly_;
};

struct OpenArguments {
    DWORD access, share, disposition;
};

OpenArguments argumentsFor(FileMode mode) {
    constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (mode) {
        case FileMode::WriteExclusive: return {GENERIC_WRITE, 0, CREATE_ALWAYS};
        case FileMode::AppendShared: return {GENERIC_WRITE, kShareReadWrite, OPEN_ALWAYS};
        case FileMode::WriteShared: return {GENERIC_WRITE, kShareReadWrite, OPEN_ALWAYS};
        case FileMode::Read: return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
    }
    return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
}

}  // namespace

std::unique_ptr<File> openWin32File(const std::u16string& path, FileMode mode) {
    OpenArguments a = argumentsFor(mode);
    HANDLE handle = CreateFileW(wide(path), a.access, a.share, nullptr, a.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    try {  // the heap serves when every slot is taken, and may refuse
        return std::make_unique<Win32File>(handle, mode == FileMode::AppendShared);
    } catch (const std::bad_alloc&) {
        CloseHandle(handle);
        return nullptr;
    }
}

}  // namespace rvs::platform::win32
