#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "trace/trace.h"
#include "trace/trace_backups.h"

namespace rvs {
namespace {

constexpr size_t kBaseLength = 12;  // "Korvelincomm"
constexpr size_t kStampLength = 14;  // yyyymmddhhmmss

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Name parts compared as the file system compares them: without regard to case on Windows, so
// that "korvelincomm_3.LOG" is the same backup as "Korvelincomm_3.log".
bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    if (!platform::system().fileNamesIgnoreCase()) return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i])) return false;
    }
    return true;
}

constexpr std::u16string_view kLogEnding = u".log";

// ".log", or ".log" repeated: a backup set aside while renumbering, one ".log" more for each
// renumbering that was cut short before it got the backup its number back.
bool logEndings(std::u16string_view rest) {
    if (rest.empty() || rest.size() % kLogEnding.size() != 0) return false;
    for (size_t at = 0; at < rest.size(); at += kLogEnding.size()) {
        if (!sameName(rest.substr(at, kLogEnding.size()), kLogEnding)) return false;
    }
    return true;
}

bool allDigits(const std::u16string& text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (!isDigit(text[i])) return false;
    }
    return from < to;
}

uint16_t field(const std::u16string& text, size_t from, size_t length) {
    uint16_t value = 0;
    for (size_t i = from; i < from + length; ++i) value = static_cast<uint16_t>(value * 10 + (text[i] - u'0'));
    return value;
}

std::u16string decimal(uint32_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The number after the "_" of a numbered suffix (digits checked by the caller).
uint64_t suffixNumber(const std::u16string& suffix) {
    uint64_t number = 0;
    for (size_t i = 1; i < suffix.size(); ++i) number = number * 10 + static_cast<uint64_t>(suffix[i] - u'0');
    return number;
}

enum class Form { None, Stamped, SingleDigit, Numbered };

// What a found name stands for. Only the library's own shapes count: the part after the base
// name, then ".log" (or ".log" repeated, a backup set aside while renumbering). Anything else that
// merely starts with the base name, and any backup that would be number 0, is left alone.
Form classify(const std::u16string& name, std::u16string* suffix) {
    if (name.size() <= kBaseLength || !sameName(std::u16string_view(name).substr(0, kBaseLength), kTraceBaseName)) {
        return Form::None;
    }
    const size_t dot = name.find(u'.', kBaseLength);
    if (dot == std::u16string::npos || dot == kBaseLength) return Form::None;
    const std::u16string_view rest = std::u16string_view(name).substr(dot);
    if (!logEndings(rest)) return Form::None;
    const bool plain = rest.size() == kLogEnding.size();
    *suffix = name.substr(kBaseLength, dot - kBaseLength);
    const size_t length = suffix->size();
    if (length >= kStampLength) return allDigits(*suffix, 0, kStampLength) ? Form::Stamped : Form::None;
    if (length == 1) {
        return plain && isDigit((*suffix)[0]) && (*suffix)[0] != u'0' ? Form::SingleDigit : Form::None;
    }
    if ((*suffix)[0] != u'_' || !allDigits(*suffix, 1, length)) return Form::None;
    const uint64_t number = suffixNumber(*suffix);
    return number >= 1 && number <= UINT32_MAX ? Form::Numbered : Form::None;
}

void fill(TraceFileEntry& entry, Form form, const std::u16string& suffix, const std::u16string& name,
          const std::u16string& directory) {
    entry = TraceFileEntry{};
    entry.name = name;
    switch (form) {
        case Form::Stamped:
            entry.year = field(suffix, 0, 4);
            entry.month = field(suffix, 4, 2);
            entry.day = field(suffix, 6, 2);
            entry.hour = field(suffix, 8, 2);
            entry.minute = field(suffix, 10, 2);
            entry.second = field(suffix, 12, 2);
            break;
        case Form::SingleDigit: {
            entry.number = static_cast<uint32_t>(suffix[0] - u'0');
            std::u16string numbered = std::u16string(kTraceBaseName) + u"_" + decimal(entry.number) + u".log";
            // A failed move (the numbered name is taken, or the file is gone) keeps the old name.
            if (platform::system().moveFile(directory + name, directory + numbered)) entry.name = numbered;
            break;
        }
        case Form::Numbered: {
            entry.number = static_cast<uint32_t>(suffixNumber(suffix));
            break;
        }
        case Form::None:
            break;
    }
    entry.inUse = 1;
}

}  // namespace

std::u16string TraceDirectoryOf(Session* session) {
    Guard lock(session->traceLock);
    return std::u16string(session->traceDirectory);
}

uint32_t TraceEffectiveFileCount(Session* session) {
    const uint16_t count = session->traceFileCount.load();
    if (count < kTraceMinFileCount) return kTraceMinFileCount;
    return count > kTraceMaxFileCount ? kTraceMaxFileCount : count;
}

std::u16string TraceCurrentPath(const std::u16string& directory) {
    return directory + kTraceBaseName + u".log";
}

std::u16string TraceBackupPath(const std::u16string& directory, uint32_t number) {
    return directory + kTraceBaseName + u"_" + decimal(number) + u".log";
}

uint32_t TraceScanFiles(const std::u16string& directory, std::vector<TraceFileEntry>* entries) {
    if (directory.empty()) return 0;
    // The listing is a snapshot: files may come and go while it is walked, and a second scan may
    // find more than the first; the entry array is never filled past its size.
    const std::vector<std::u16string> names = platform::system().findFiles(directory, kTraceBaseName, u".log");
    uint32_t count = 0;
    for (const std::u16string& name : names) {
        std::u16string suffix;
        const Form form = classify(name, &suffix);
        if (form == Form::None) continue;
        if (entries != nullptr) {
            if (count >= entries->size()) break;
            fill((*entries)[count], form, suffix, name, directory);
        }
        ++count;
    }
    return count;
}

}  // namespace rvs
