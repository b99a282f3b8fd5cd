// A spooler that passes every call on to another one, so a test double overrides only the call
// it changes:
//
//   class NoDeviceMode : public rvs::sim::ForwardingSpooler {
//   public:
//       using ForwardingSpooler::ForwardingSpooler;
//       int32_t deviceModeSize(rvs::platform::PrinterHandle, const char16_t*) override { return -1; }
//   };
//   NoDeviceMode spooler(&virtualPrinter.get());
#pragma once

#include <cstdint>

#include "platform/spooler.h"

namespace rvs::sim {

class ForwardingSpooler : public platform::Spooler {
public:
    explicit ForwardingSpooler(platform::Spooler* target) : target_(target) {}

    bool openPrinter(const char16_t* name, platform::PrinterHandle* handle) override {
        return target_->openPrinter(name, handle);
    }
    void closePrinter(platform::PrinterHandle handle) override { target_->closePrinter(handle); }
    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        return target_->getPrinterData(handle, valueName, type, data, size, needed);
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) override {
        return target_->setPrinterData(handle, valueName, type, data, size);
    }
    int32_t deviceModeSize(platform::PrinterHandle handle, const char16_t* printerName) override {
        return target_->deviceModeSize(handle, printerName);
    }
    bool readDeviceMode(platform::PrinterHandle handle, const char16_t* printerName, uint8_t* buffer,
                        uint32_t size) override {
        return target_->readDeviceMode(handle, printerName, buffer, size);
    }
    bool getPrinterSetup(platform::PrinterHandle handle, platform::PrinterPaperSetup* setup) override {
        return target_->getPrinterSetup(handle, setup);
    }
    bool setPrinterDeviceMode(platform::PrinterHandle handle, const uint8_t* deviceMode, uint32_t size) override {
        return target_->setPrinterDeviceMode(handle, deviceMode, size);
    }
    int32_t deviceCapabilities(const char16_t* device, const char16_t* port, uint16_t capability, void* output,
                               uint32_t capacity, const uint8_t* deviceMode) override {
        return target_->deviceCapabilities(device, port, capability, output, capacity, deviceMode);
    }
    bool mergeDeviceMode(platform::PrinterHandle handle, const char16_t* printerName, uint8_t* output,
                         uint32_t outputSize, const uint8_t* input) override {
        return target_->mergeDeviceMode(handle, printerName, output, outputSize, input);
    }
    bool addForm(platform::PrinterHandle handle, const platform::FormInfo& form) override {
        return target_->addForm(handle, form);
    }
    bool setForm(platform::PrinterHandle handle, const platform::FormInfo& form) override {
        return target_->setForm(handle, form);
    }

protected:
    platform::Spooler* target() const { return target_; }

private:
    platform::Spooler* target_;
};

}  // namespace rvs::sim
