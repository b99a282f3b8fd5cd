#include "sim/virtual_printer.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/driver_version.h"
#include "platform/platform.h"
#include "sim/driver_state.h"

namespace rvs::sim {

using platform::PrinterHandle;

namespace {

// Distinct across all virtual printers of the process, so a handle given to the wrong one fails.
PrinterHandle newHandle() {
    static std::atomic<uintptr_t> next{1};
    return reinterpret_cast<PrinterHandle>(0x5100000 + next.fetch_add(1) * 16);
}

}  // namespace

VirtualPrinter::~VirtualPrinter() = default;

Device& VirtualPrinter::addPrinter(const std::u16string& name, Profile profile) {
    auto device = std::make_shared<Device>(profile, log_);
    std::lock_guard<std::mutex> guard(mutex_);
    auto old = printers_.find(name);
    if (old != printers_.end()) {
        for (auto& [handle, target] : handles_) {
            if (target == old->second) {
                target->handleClosed();
                target = nullptr;
            }
        }
    }
    printers_[name] = device;
    return *device;
}

Device& VirtualPrinter::device(const std::u16string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = printers_.find(name);
    if (it == printers_.end()) {
        throw std::out_of_range("no virtual printer of that name");
    }
    return *it->second;
}

std::vector<Exchange> VirtualPrinter::exchanges() const { return log_.entries(); }

std::vector<Exchange> VirtualPrinter::exchangesWithout(std::initializer_list<std::u16string> names) const {
    return log_.entriesWithout(names);
}

void VirtualPrinter::clearLog() { log_.clear(); }
void VirtualPrinter::setLogging(bool enabled) { log_.setEnabled(enabled); }
void VirtualPrinter::setLogCapacity(size_t entries) { log_.setCapacity(entries); }

int VirtualPrinter::openHandles() const {
    std::lock_guard<std::mutex> guard(mutex_);
    int count = 0;
    for (const auto& [handle, target] : handles_) {
        count += target != nullptr ? 1 : 0;
    }
    return count;
}

std::shared_ptr<Device> VirtualPrinter::deviceFor(PrinterHandle handle) const {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

bool VirtualPrinter::openPrinter(const char16_t* name, PrinterHandle* handle) {
    if (name == nullptr || handle == nullptr) {
        return false;
    }
    std::shared_ptr<Device> device;
    PrinterHandle opened = nullptr;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = printers_.find(name);
        if (it == printers_.end()) {
            return false;
        }
        device = it->second;
        opened = newHandle();
        handles_[opened] = device;
        device->handleOpened();
    }
    device->runDue();
    *handle = opened;
    return true;
}

void VirtualPrinter::closePrinter(PrinterHandle handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
        return;
    }
    if (it->second != nullptr) {
        it->second->handleClosed();
    }
    handles_.erase(it);
}

void VirtualPrinter::recordBadHandle(const char16_t* valueName, Direction direction, uint32_t type, uint32_t size,
                                     const uint8_t* data) {
    Exchange exchange;
    exchange.name = valueName != nullptr ? valueName : u"";
    exchange.direction = direction;
    exchange.type = type;
    exchange.size = size;
    if (data != nullptr) {
        exchange.bytes.assign(data, data + size);
    }
    exchange.error = kErrorInvalidHandle;
    exchange.threadId = platform::system().currentThreadId();
    log_.append(std::move(exchange));
}

uint32_t VirtualPrinter::getPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t* type,
                                        uint8_t* data, uint32_t size, uint32_t* needed) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) {
        if (needed != nullptr) {
            *needed = 0;
        }
        recordBadHandle(valueName, Direction::Get, 0, size, nullptr);
        return kErrorInvalidHandle;
    }
    return device->serveGet(valueName, type, data, size, needed);
}

uint32_t VirtualPrinter::setPrinterData(PrinterHandle handle, const char16_t* valueName, uint32_t type,
                                        const uint8_t* data, uint32_t size) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) {
        recordBadHandle(valueName, Direction::Set, type, size, data);
        return kErrorInvalidHandle;
    }
    return device->serveSet(valueName, type, data, size);
}

int32_t VirtualPrinter::deviceModeSize(PrinterHandle handle, const char16_t* /*printerName*/) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) {
        return -1;
    }
    device->runDue();
    return static_cast<int32_t>(device->update([](DriverState& d) { return d.paperForms.driverModeSize(); }));
}

bool VirtualPrinter::readDeviceMode(PrinterHandle handle, const char16_t* /*printerName*/, uint8_t* buffer,
                                    uint32_t size) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr || buffer == nullptr) {
        return false;
    }
    return device->update([&](DriverState& d) {
        if (size < d.paperForms.driverModeSize()) {
            d.paperForms.overrun = true;
            return false;
        }
        // The driver's device mode, carrying the profile's driver version.
        std::fill(buffer, buffer + d.paperForms.driverModeSize(), 0);
        const uint16_t version = device->profile().driverVersion;
        buffer[platform::kDeviceModeDriverVersionOffset] = static_cast<uint8_t>(version & 0xFF);
        buffer[platform::kDeviceModeDriverVersionOffset + 1] = static_cast<uint8_t>(version >> 8);
        return true;
    });
}

bool VirtualPrinter::getPrinterSetup(PrinterHandle handle, platform::PrinterPaperSetup* setup) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr || setup == nullptr) return false;
    return device->serveCall(u"GetPrinterW", [&](DriverState& d) { return d.paperForms.getSetup(*setup); }) == 0;
}

bool VirtualPrinter::setPrinterDeviceMode(PrinterHandle handle, const uint8_t* deviceMode, uint32_t size) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) return false;
    return device->serveCall(u"SetPrinterW",
                             [&](DriverState& d) { return d.paperForms.setDeviceMode(deviceMode, size); }) == 0;
}

int32_t VirtualPrinter::deviceCapabilities(const char16_t* deviceName, const char16_t* /*port*/, uint16_t capability,
                                           void* output, uint32_t capacity, const uint8_t* /*deviceMode*/) {
    std::shared_ptr<Device> device;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = deviceName != nullptr ? printers_.find(deviceName) : printers_.end();
        if (it != printers_.end()) device = it->second;
    }
    if (device == nullptr) return -1;
    int32_t count = -1;
    const uint32_t error = device->serveCall(u"DeviceCapabilitiesW", [&](DriverState& d) {
        count = d.paperForms.capabilities(capability, output, capacity);
        return true;
    });
    return error == 0 ? count : -1;
}

bool VirtualPrinter::mergeDeviceMode(PrinterHandle handle, const char16_t* /*printerName*/, uint8_t* output,
                                     uint32_t outputSize, const uint8_t* input) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) return false;
    return device->serveCall(u"DocumentPropertiesW", [&](DriverState& d) {
               return d.paperForms.merge(output, outputSize, input);
           }) == 0;
}

bool VirtualPrinter::addForm(PrinterHandle handle, const platform::FormInfo& form) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) return false;
    return device->serveCall(u"AddFormW", [&](DriverState& d) { return d.paperForms.addForm(form); }) == 0;
}

bool VirtualPrinter::setForm(PrinterHandle handle, const platform::FormInfo& form) {
    std::shared_ptr<Device> device = deviceFor(handle);
    if (device == nullptr) return false;
    return device->serveCall(u"SetFormW", [&](DriverState& d) { return d.paperForms.setForm(form); }) == 0;
}

ScopedVirtualPrinter::ScopedVirtualPrinter()
    : printer_(std::make_unique<VirtualPrinter>()), previous_(&platform::spooler()) {
    platform::setSpooler(printer_.get());
}

ScopedVirtualPrinter::~ScopedVirtualPrinter() {
    platform::setSpooler(previous_ == &platform::defaultSpooler() ? nullptr : previous_);
}

}  // namespace rvs::sim
