#include "channel/print_control.h"

#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"

namespace rvs {

Result SetConsecutivePrint(Session& session, bool enable) {
    return requestCommand(session, enable ? value::ConsecutivePrintEnable : value::ConsecutivePrintDisable);
}

Result ReadFeedingValue(Session& session, uint32_t& value) {
    uint8_t answer[4] = {};
    Result result = requestRecord(session, value::GetFeedingValue, answer, sizeof answer);
    if (result == kSuccess) {
        value = readLe32(answer);
    }
    return result;
}

Result ReadPrinterStatusWord(Session& session, PrinterStatusWord& word) {
    word = PrinterStatusWord{};
    return requestRecord(session, value::GetPrinterStatus, word.bytes, sizeof word.bytes);
}

bool CheckPrinterBusy(Session& session, Result& code) {
    PrinterStatusWord word;
    code = ReadPrinterStatusWord(session, word);
    if (code != kSuccess) {
        return false;
    }
    if (word.busy() || word.job()) {
        code = kPrinterBusy;
        return true;
    }
    return false;
}

}  // namespace rvs
