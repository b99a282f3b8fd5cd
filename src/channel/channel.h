// Printer-data requests and their answer rules. Every exchange of a session with its printer
// goes through these, on the session's printer handle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// One GetPrinterDataW whose answer the caller judges itself (reads with defaults, the
// monitor's "GetTransport" and "PaperRemoved").
struct RawAnswer {
    bool callOk = false;
    uint32_t needed = 0;
};
RawAnswer readValue(Session& session, const char16_t* name, void* answer, uint32_t size);

// 0 when the answer has exactly `size` bytes; 9 when the call fails; readReturnValue otherwise.
Result requestRecord(Session& session, const char16_t* name, void* answer, uint32_t size);
// requestRecord with one byte; a non-zero answer byte is 16.
Result requestCommand(Session& session, const char16_t* name);
// The driver's code for a wrong-size answer: "ReturnValue" when non-zero, else 16.
Result readReturnValue(Session& session);
// One SetPrinterDataW; 9 when it fails.
Result writeInput(Session& session, const char16_t* name, uint32_t type, const void* data, uint32_t size);

// A transfer file handed to the driver; deleted when this goes out of scope.
class TransferFile {
public:
    TransferFile() = default;
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;
    ~TransferFile() { remove(); }
    bool opened() const { return !path_.empty(); }
    const std::u16string& path() const { return path_; }
    void adopt(std::u16string path) { remove(); path_ = std::move(path); }
    void remove();

private:
    std::u16string path_;
};

enum class SizeValueForm { Dword4, Binary2 };

// Writes `data` into a new "Kor" transfer file and passes its path (REG_SZ) and length to the
// driver. 16 when the file cannot be created or written, 9 when an input write fails. `file`
// owns the file once it exists; the caller issues the request, then lets it go.
Result handOffFile(Session& session, const uint8_t* data, uint32_t length, const char16_t* nameValue,
                   const char16_t* sizeValue, SizeValueForm sizeForm, TransferFile& file);

// Settings record read: which step failed, if any.
enum class SettingsRead { Ok, SizeFailed, AllocationFailed, DataFailed };
// `announcedSize` receives the size "PrinterDataSize" gave, when it could be read.
SettingsRead readSettingsRecord(Session& session, std::vector<uint8_t>& record, uint32_t* announcedSize = nullptr);
// Writes the record back whole as "PrinterData"; 9 when the write fails.
Result writeSettingsRecord(Session& session, const std::vector<uint8_t>& record);

// Bracket printing and paper-moving commands on the OXA ST model.
Result selectOxaDevice(Session& session);
Result releaseOxaDevice(Session& session);

// A REG_SZ value's byte count: characters x 2, without the terminating NUL.
uint32_t stringValueSize(const std::u16string& text);

}  // namespace rvs
