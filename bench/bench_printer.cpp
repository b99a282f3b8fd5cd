#include "bench_printer.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

#include "platform/platform.h"
#include "session/registry.h"

namespace rvs::bench {

BenchPrinters::BenchPrinters(int count, uint8_t traceMode, uint32_t intervalMs, sim::Profile profile) {
    spooler_->setLogging(false);
    for (int i = 1; i <= count; ++i) {
        const std::u16string name = u"Statement Printer " + std::u16string(1, static_cast<char16_t>(u'0' + i / 10)) +
                                    std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
        sim::Device& device = spooler_->addPrinter(name, profile);
        device.setTraceSettings(traceMode, 5, dir_.withSeparator());
        device.setAnswer(u"TimeInterval", {static_cast<uint8_t>(intervalMs & 0xFF),
                                           static_cast<uint8_t>((intervalMs >> 8) & 0xFF), 0, 0});
        RvStatementHandle handle = nullptr;
        if (RvStatementOpen(name.c_str(), &handle) != 0 || handle == nullptr) {
            throw std::runtime_error("the virtual printer did not open");
        }
        devices_.push_back(&device);
        handles_.push_back(handle);
    }
}

BenchPrinters::~BenchPrinters() {
    for (RvStatementHandle handle : handles_) RvStatementClose(handle);
}

Session& BenchPrinters::session(int i) const {
    Session* s = validateHandle(handle(i));
    if (s == nullptr) throw std::logic_error("no open session");
    return *s;
}

std::vector<int16_t> BenchPrinters::cycleCounts() const {
    std::vector<int16_t> counts;
    for (int i = 0; i < count(); ++i) {
        Session& s = session(i);
        Guard lock(s.stateLock);
        counts.push_back(s.cycleCount);
    }
    return counts;
}

int64_t BenchPrinters::cyclesSince(const std::vector<int16_t>& before) const {
    const std::vector<int16_t> now = cycleCounts();
    int64_t total = 0;
    for (size_t i = 0; i < now.size() && i < before.size(); ++i) {
        total += static_cast<uint16_t>(static_cast<uint16_t>(now[i]) - static_cast<uint16_t>(before[i]));
    }
    return total;
}

void ExchangeReplay::record(uint32_t threadId) {
    const uint32_t self = threadId != 0 ? threadId : platform::system().currentThreadId();
    for (sim::Exchange& e : printers_.printer().exchanges()) {
        if (e.threadId == self) exchanges_.push_back(std::move(e));
    }
}

void ExchangeReplay::run() {
    platform::Spooler& spooler = platform::spooler();
    const platform::PrinterHandle printer = printers_.session().printer;
    uint8_t buffer[65536 + 64];
    for (const sim::Exchange& e : exchanges_) {
        if (e.direction == sim::Direction::Get) {
            uint32_t type = 0, needed = 0;
            spooler.getPrinterData(printer, e.name.c_str(), &type, buffer, e.size <= sizeof buffer ? e.size : 0,
                                   &needed);
        } else {
            spooler.setPrinterData(printer, e.name.c_str(), e.type, e.bytes.data(), e.size);
        }
    }
}

std::string ExchangeReplay::names() const {
    std::string out;
    for (const sim::Exchange& e : exchanges_) {
        if (!out.empty()) out += ' ';
        out += std::string(e.name.begin(), e.name.end());
    }
    return out;
}

void appendPlain(const std::string& path, const char* bytes, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    const ssize_t written = ::write(fd, bytes, size);
    (void)written;
    ::close(fd);
}

}  // namespace rvs::bench
