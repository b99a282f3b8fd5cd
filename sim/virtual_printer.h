// The virtual printer: a spooler whose printers are simulated devices. Host developers run
// terminal software against it without hardware; every test of the library runs on it.
//
//   rvs::sim::ScopedVirtualPrinter printer;                  // now the process-wide spooler
//   rvs::sim::Device& device = printer->addPrinter(u"Statement Printer", rvs::sim::Profile::oxaSt());
//   device.setStatusBit(0, 0x01, true);                      // paper fed
//   device.injectFault(u"Present", rvs::sim::Fault::answer({1}));  // the next present is refused
//   device.injectFaultAt(3, rvs::sim::Fault::callFails(),            // this thread's 4th exchange fails
//                        rvs::sim::ExchangeFilter::thisThread());
//   ... RvStatementOpen(u"Statement Printer", &handle) ...
//   printer->exchangesWithout({u"StatusGet", u"LogSettingCondition"});  // what the library asked
//
// What each value name answers and does is in its family's file (values_*.cpp, value_table.h).
// Thread-safe: host threads and every session's monitor thread call it at the same time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/spooler.h"
#include "sim/device.h"
#include "sim/exchange_log.h"
#include "sim/fault.h"
#include "sim/profile.h"
#include "sim/scenario.h"

namespace rvs::sim {

class VirtualPrinter : public rvs::platform::Spooler {
public:
    VirtualPrinter() = default;
    ~VirtualPrinter() override;

    // Replaces a printer of that name; handles open on the old one then fail with error 6.
    Device& addPrinter(const std::u16string& name, Profile profile);
    // Throws std::out_of_range for an unknown name.
    Device& device(const std::u16string& name);

    std::vector<Exchange> exchanges() const;  // whole log, all printers, in call order
    std::vector<Exchange> exchangesWithout(std::initializer_list<std::u16string> names) const;
    void clearLog();
    void setLogging(bool enabled);
    void setLogCapacity(size_t entries);

    int openHandles() const;  // over all printers

    bool openPrinter(const char16_t* name, rvs::platform::PrinterHandle* handle) override;
    void closePrinter(rvs::platform::PrinterHandle handle) override;
    uint32_t getPrinterData(rvs::platform::PrinterHandle handle, const char16_t* valueName, uint32_t* type,
                            uint8_t* data, uint32_t size, uint32_t* needed) override;
    uint32_t setPrinterData(rvs::platform::PrinterHandle handle, const char16_t* valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) override;
    // The device mode is a DEVMODEW with no driver part, carrying the profile's driver version.
    int32_t deviceModeSize(rvs::platform::PrinterHandle handle, const char16_t* printerName) override;
    bool readDeviceMode(rvs::platform::PrinterHandle handle, const char16_t* printerName, uint8_t* buffer,
                        uint32_t size) override;
    // Paper forms (sim/paper_forms.h): each call is logged under its Win32 name, "GetPrinterW",
    // "SetPrinterW", "DeviceCapabilitiesW", "DocumentPropertiesW", "AddFormW", "SetFormW",
    // and can be made to fail like a printer-data exchange.
    bool getPrinterSetup(rvs::platform::PrinterHandle handle, rvs::platform::PrinterPaperSetup* setup) override;
    bool setPrinterDeviceMode(rvs::platform::PrinterHandle handle, const uint8_t* deviceMode, uint32_t size) override;
    int32_t deviceCapabilities(const char16_t* device, const char16_t* port, uint16_t capability, void* output,
                               uint32_t capacity, const uint8_t* deviceMode) override;
    bool mergeDeviceMode(rvs::platform::PrinterHandle handle, const char16_t* printerName, uint8_t* output,
                         uint32_t outputSize, const uint8_t* input) override;
    bool addForm(rvs::platform::PrinterHandle handle, const rvs::platform::FormInfo& form) override;
    bool setForm(rvs::platform::PrinterHandle handle, const rvs::platform::FormInfo& form) override;

private:
    // The device behind an open handle; null for an unknown, closed or stale handle.
    std::shared_ptr<Device> deviceFor(rvs::platform::PrinterHandle handle) const;
    void recordBadHandle(const char16_t* valueName, Direction direction, uint32_t type, uint32_t size,
                         const uint8_t* data);

    ExchangeLog log_;
    mutable std::mutex mutex_;
    std::map<std::u16string, std::shared_ptr<Device>> printers_;
    // A handle whose printer was replaced maps to null until it is closed.
    std::unordered_map<rvs::platform::PrinterHandle, std::shared_ptr<Device>> handles_;
};

// Installs a VirtualPrinter as the process-wide spooler for its lifetime and restores the
// previous one afterwards.
class ScopedVirtualPrinter {
public:
    ScopedVirtualPrinter();
    ~ScopedVirtualPrinter();
    ScopedVirtualPrinter(const ScopedVirtualPrinter&) = delete;
    ScopedVirtualPrinter& operator=(const ScopedVirtualPrinter&) = delete;

    VirtualPrinter& operator*() { return *printer_; }
    VirtualPrinter* operator->() { return printer_.get(); }
    VirtualPrinter& get() { return *printer_; }

private:
    std::unique_ptr<VirtualPrinter> printer_;
    rvs::platform::Spooler* previous_ = nullptr;
};

}  // namespace rvs::sim
