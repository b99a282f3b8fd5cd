// Firmware downloads on the virtual printer: the driver reads the staged file while it serves
// the request that names it, checks it against the inputs and the model, and installs it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/value_table.h"

namespace rvs::sim {

class DriverState;

// One staged file as the driver read it during a request.
struct ReceivedImage {
    std::u16string request;     // the value name whose request read it
    std::u16string path;
    uint32_t type = 0;          // "Download_Input_Type"
    uint32_t declaredSize = 0;  // "Download_Input_Size"
    std::vector<uint8_t> bytes; // empty when the file could not be read
    bool accepted = false;
};

struct FirmwareStore {
    std::vector<ReceivedImage> received;
    // Images installed, in order, and the resets onto the firmware the printer had.
    int installs = 0;
    int resets = 0;
    // An image read by "DownloadFile", waiting for "DownloadWrite".
    std::optional<ReceivedImage> pending;
};

// Reads and checks the staged file the inputs name: readable, exactly the declared size, and
// blocks whose header fits the model (and, on the Korvelin FO and OXA ST, the type).
ReceivedImage readStagedImage(const DriverState& driver, const std::u16string& request);

// "Download", "DownloadCancel", "DownloadSwitch", "DownloadFile", "DownloadWrite", "DownloadReset".
void addDownloadValues(ValueTable& table);

}  // namespace rvs::sim
