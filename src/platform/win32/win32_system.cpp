// The system seam on the Windows kernel.
#include <windows.h>

#include "platform/narrow_text.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file.h"
#include "platform/win32/win32_thread.h"

namespace rvs::platform {
namespace {

using win32::fromWide;
using win32::wide;

// Whether `name` starts (atStart) or ends with `part`, ignoring case as the file system does.
bool hasPartIgnoringCase(const wchar_t* name, size_t length, const std::u16string& part, bool atStart) {
    if (part.size() > length) return false;
    const wchar_t* from = atStart ? name : name + (length - part.size());
    return CompareStringOrdinal(from, static_cast<int>(part.size()), wide(part), static_cast<int>(part.size()),
                                TRUE) == CSTR_EQUAL;
}

class Win32System final : public System {
public:
    uint32_t tickCount() override { return GetTickCount(); }
    void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }

    LocalTime localTime() override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    }

    char16_t pathSeparator() const override { return u'\\'; }
    bool fileNamesIgnoreCase() const override { return true; }

    bool createTransferFileName(std::u16string* path) override {
        wchar_t directory[261] = {};
        DWORD length = GetTempPathW(261, directory);
        if (length == 0 || length > 260) return false;
        wchar_t name[MAX_PATH] = {};
        if (GetTempFileNameW(directory, L"Kor", 0, name) == 0) return false;
        *path = fromWide(name);
        return true;
    }

    std::unique_ptr<File> openFile(const std::u16string& path, FileMode mode) override {
        return win32::openWin32File(path, mode);
    }

    bool deleteFile(const std::u16string& path) override { return DeleteFileW(wide(path)) != FALSE; }
    bool copyFile(const std::u16string& from, const std::u16string& to) override {
        return CopyFileW(wide(from), wide(to), FALSE) != FALSE;
    }
    bool moveFile(const std::u16string& from, const std::u16string& to) override {
        return MoveFileW(wide(from), wide(to)) != FALSE;
    }
    bool fileExists(const std::u16string& path) override {
        return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
    }

    // The wildcard also matches 8.3 short names, so each long name is checked again.
    std::vector<std::u16string> findFiles(const std::u16string& directory, const std::u16string& prefix,
                                          const std::u16string& suffix) override {
        std::vector<std::u16string> names;
        std::u16string pattern = directory + prefix + u"*" + suffix;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(wide(pattern), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            size_t length = wcslen(found.cFileName);
            if (length >= prefix.size() + suffix.size() && hasPartIgnoringCase(found.cFileName, length, prefix, true) &&
                hasPartIgnoringCase(found.cFileName, length, suffix, false)) {
                names.push_back(fromWide(found.cFileName));
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // Characters the code page lacks become its default character ("?").
    size_t narrowText(std::u16string_view text, char* out, size_t capacity) override {
        auto toAnsi = [](std::u16string_view character, char* into) -> size_t {
            const int length = WideCharToMultiByte(CP_ACP, 0, wide(character.data()),
                                                   static_cast<int>(character.size()), into,
                                                   static_cast<int>(kMaxNarrowCharacter), nullptr, nullptr);
            if (length > 0) return static_cast<size_t>(length);
            into[0] = '?';
            return 1;
        };
        return narrowByCharacter(text, out, capacity, toAnsi);
    }

    size_t executablePath(char* out, size_t capacity) override {
        char path[MAX_PATH + 1] = {};
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        return copyCut(std::string_view(path, length), out, capacity);
    }

    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        return win32::startWin32Thread(std::move(body));
    }

    uint32_t currentThreadId() override { return GetCurrentThreadId(); }
};

}  // namespace

System& defaultSystem() {
    static Win32System instance;
    return instance;
}

}  // namespace rvs::platform
