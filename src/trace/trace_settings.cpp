#include <algorithm>
#include <string>
#include <vector>

#include "trace/function_numbers.h"
#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs {
namespace {

constexpr size_t kTraceFieldsEnd = kSettingsTraceFileCountOffset + 2;  // mode and file count

size_t unitCount(const char16_t* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

bool needsSeparator(const char16_t* directory, size_t length) {
    return length == 0 || directory[length - 1] != platform::system().pathSeparator();
}

bool fits(const char16_t* directory, size_t length) {
    return length > 0 && length + (needsSeparator(directory, length) ? 1 : 0) < kTraceDirectoryUnits;
}

// The record's directory, copied out only when it is NUL-terminated inside the record.
bool recordDirectory(const std::vector<uint8_t>& record, std::u16string& directory) {
    directory.clear();
    for (size_t at = kSettingsTraceDirectoryOffset; at + 1 < record.size(); at += 2) {
        char16_t unit = readLe16(&record[at]);
        if (unit == 0) return true;
        directory.push_back(unit);
    }
    return false;
}

// Makes `directory` (known to fit) the session's, ending in the platform's separator. A new
// directory means a new file, which gets its own version header.
void adoptDirectory(Session& session, const char16_t* directory, size_t length) {
    Guard lock(session.traceLock);
    char16_t adopted[kTraceDirectoryUnits] = {};
    std::copy(directory, directory + length, adopted);
    if (needsSeparator(directory, length)) adopted[length] = platform::system().pathSeparator();
    if (std::char_traits<char16_t>::compare(adopted, session.traceDirectory, kTraceDirectoryUnits) != 0) {
        std::copy(adopted, adopted + kTraceDirectoryUnits, session.traceDirectory);
        session.traceHeaderDate = 0;
    }
}

bool hasDirectory(Session& session) {
    Guard lock(session.traceLock);
    return session.traceDirectory[0] != 0;
}

void dropDirectory(Session& session) {
    Guard lock(session.traceLock);
    std::fill(session.traceDirectory, session.traceDirectory + kTraceDirectoryUnits, u'\0');
    session.traceHeaderDate = 0;
}

void traceAllocationFailure(Session& session, uint32_t size) {
    TraceLine(&session, traceid::AllocationFailure, "%dBytes\n", size);
}

Result storeSettings(Session& session, uint8_t mode, uint16_t fileCount, const char16_t* directory) {
    if (directory == nullptr || !fits(directory, unitCount(directory))) return kInvalidParameter;
    const size_t length = unitCount(directory);
    std::vector<uint8_t> record;
    uint32_t announced = 0;
    switch (readSettingsRecord(session, record, &announced)) {
        case SettingsRead::Ok:
            break;
        case SettingsRead::SizeFailed:
            traceValueReadFailure(&session, value::PrinterDataSize);
            return kFailure;
        case SettingsRead::AllocationFailed:
            traceAllocationFailure(session, announced);
            return kFailure;
        case SettingsRead::DataFailed:
            traceValueReadFailure(&session, value::PrinterData);
            return kFailure;
    }
    // A record without room for the directory and its NUL cannot take these settings: they
    // cannot be written back, though the record was read.
    if (record.size() < kSettingsTraceDirectoryOffset + 2 * (length + 1)) {
        traceValueWriteFailure(&session, value::PrinterData);
        return kFailure;
    }

    session.traceMode.store(mode);
    writeLe16(&record[kSettingsTraceModeOffset], mode);
    writeLe16(&record[kSettingsTraceFileCountOffset], fileCount);
    session.traceFileCount.store(fileCount);
    for (size_t i = 0; i <= length; ++i) {
        writeLe16(&record[kSettingsTraceDirectoryOffset + 2 * i], static_cast<uint16_t>(directory[i]));
    }
    adoptDirectory(session, directory, length);

    if (writeSettingsRecord(session, record) != kSuccess) {
        traceValueWriteFailure(&session, value::PrinterData);  // the session keeps the new settings
    }
    record.clear();
    TracePrune(&session);
    return kSuccess;
}

}  // namespace

bool TraceDirectoryFits(const char16_t* directory) {
    return directory != nullptr && fits(directory, unitCount(directory));
}

bool TraceLoadSettings(Session* session) {
    if (session == nullptr) return false;
    std::vector<uint8_t> record;
    if (readSettingsRecord(*session, record) != SettingsRead::Ok) return false;
    if (record.size() < kTraceFieldsEnd) return false;

    uint8_t mode = record[kSettingsTraceModeOffset];
    const uint16_t fileCount = readLe16(&record[kSettingsTraceFileCountOffset]);
    std::u16string directory;
    const bool terminated = recordDirectory(record, directory);
    if (terminated && directory.empty()) {
        dropDirectory(*session);  // the record says: no trace directory, so no tracing
        mode = 0;
    } else if (terminated && fits(directory.c_str(), directory.size())) {
        adoptDirectory(*session, directory.c_str(), directory.size());
    } else if (!hasDirectory(*session)) {
        mode = 0;  // nowhere to write: tracing stays off rather than landing in the working directory
    }
    session->traceFileCount.store(fileCount);
    session->traceMode.store(mode);
    record.clear();
    TracePrune(session);
    return true;
}

Result TraceStoreSettings(Session* session, uint8_t mode, uint16_t fileCount, const char16_t* directory) {
    if (session == nullptr) return kInvalidParameter;
    traceCall(session, fn::kTraceStoreSettings);
    Result result = storeSettings(*session, mode, fileCount, directory);
    traceReturn(session, fn::kTraceStoreSettings);
    return result;
}

}  // namespace rvs
