// The Windows side of paper selection on the virtual printer: the driver's paper list, the
// printer's default device mode, and the spooler's form registry.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/spooler.h"
#include "sim/profile.h"

namespace rvs::sim {

// The driver's papers: Letter, A4, the two user-defined sizes and the 6-inch paper.
struct Paper {
    uint16_t number = 0;
    std::u16string name;  // up to 64 characters; a name of 64 has no terminator
};
std::vector<Paper> defaultPapers();

struct SpoolerForm {
    uint32_t flags = 0;
    int32_t width = 0, length = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct PaperForms {
    explicit PaperForms(const Profile& profile);

    std::u16string port = u"RVS1:";
    std::vector<Paper> papers = defaultPapers();
    // The printer's default DEVMODEW as GetPrinterW reports it; empty: the printer has none.
    std::vector<uint8_t> deviceMode;
    // Driver part the driver's own device mode carries (DocumentPropertiesW output, its size).
    uint16_t driverExtra = 0;
    // What DeviceCapabilitiesW answers for the counts, over the paper list's own size.
    std::optional<int32_t> paperCount;
    std::optional<int32_t> nameCount;
    std::map<std::u16string, SpoolerForm> forms;  // by name
    // A call was handed a buffer smaller than what it writes: the library would have overrun it.
    bool overrun = false;

    // The paper and form name the default device mode selects.
    uint16_t selectedPaper() const;
    std::u16string selectedFormName() const;
    uint32_t selectedFields() const;

    // The spooler calls, as the virtual printer serves them. False when the call fails.
    bool getSetup(platform::PrinterPaperSetup& setup) const;
    bool setDeviceMode(const uint8_t* mode, uint32_t size);
    int32_t capabilities(uint16_t capability, void* output, uint32_t capacity);
    uint32_t driverModeSize() const;
    bool merge(uint8_t* output, uint32_t outputSize, const uint8_t* input);
    bool addForm(const platform::FormInfo& form);
    bool setForm(const platform::FormInfo& form);
};

}  // namespace rvs::sim
