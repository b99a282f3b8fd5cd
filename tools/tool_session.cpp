#include "tools/tool_session.h"

#include <cstdio>

#include "tools/status_words.h"
#include "platform/utf8.h"

namespace rvs::tool {
namespace {

constexpr const char* kVirtualPrinter = "RvStatement Virtual Printer";

}  // namespace

ToolSession::ToolSession(const Options& options) : options_(options) {
    if (options.printerName) {
        printerName_ = *options.printerName;
    } else {
        printerName_ = kVirtualPrinter;
        virtualPrinter_ = std::make_unique<sim::ScopedVirtualPrinter>();
        (*virtualPrinter_)->addPrinter(platform::toUtf16(printerName_), options.profile);
    }
}

ToolSession::~ToolSession() {
    if (handle_ != nullptr) {
        RvStatementClose(handle_);
    }
}

void reportFailure(const char* what, uint32_t result) {
    std::fflush(stdout);
    std::fprintf(stderr, "rvstatement: %s failed: %s\n", what, describeResult(result).c_str());
}

sim::Device* ToolSession::virtualDevice() const {
    return virtualPrinter_ ? &(*virtualPrinter_)->device(platform::toUtf16(printerName_)) : nullptr;
}

bool ToolSession::open() {
    const std::u16string name = platform::toUtf16(printerName_);
    const RvStatementResult result = RvStatementOpen(reinterpret_cast<const RvChar*>(name.c_str()), &handle_);
    if (result != ResultSuccess) {
        handle_ = nullptr;
        std::fprintf(stderr, "rvstatement: cannot open the printer \"%s\": %s\n", printerName_.c_str(),
                     describeResult(result).c_str());
        return false;
    }
    if (virtualPrinter_) {
        std::printf("Printer: the virtual %s printer\n", options_.modelName.c_str());
    } else {
        std::printf("Printer: %s\n", printerName_.c_str());
    }
    return true;
}

bool ToolSession::close() {
    const RvStatementResult result = RvStatementClose(handle_);
    handle_ = nullptr;
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: close failed: %s\n", describeResult(result).c_str());
        return false;
    }
    return true;
}

}  // namespace rvs::tool
