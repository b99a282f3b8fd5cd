#include "maintenance/paper_configuration.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "platform/device_mode.h"
#include "platform/platform.h"

namespace rvs {
namespace {

using platform::kPaperNameUnits;

constexpr PaperFormRow kPaperForms[] = {
    {0, 0, u"Letter", 2160, 2794, 64, 50, 64, 50},
    {1, 1, u"A4", 2100, 2970, 34, 50, 34, 50},
    {2, 1, u"User Defined Size1", 2100, 2970, 34, 50, 34, 50},
    {3, 0, u"User Defined Size2", 2160, 2790, 64, 50, 64, 50},
    {4, 2, u"6inches wide", 1555, 2060, 31, 50, 31, 50},
};

// Every form name fits dmFormName with its terminator.
constexpr bool formNamesFit() {
    for (const PaperFormRow& row : kPaperForms) {
        if (std::u16string_view(row.formName).size() >= platform::kDeviceModeFormNameUnits) return false;
    }
    return true;
}
static_assert(formNamesFit());

// The settings record as "PrinterData" holds it, and the user size slots in it.
constexpr uint32_t kSettingsRecordSize = 1344;
constexpr size_t kUserSlotOffset = 152;
constexpr size_t kUserSlotSize = 56;
constexpr size_t kUserSlotFieldsOffset = 20;
// Longest paper lists taken from a driver; a count beyond it is not believed.
constexpr int32_t kMostPapers = 4096;

// A driver's paper name, 64 characters with or without a terminator, equal to `name`.
bool paperNameIs(const char16_t* paperName, std::u16string_view name) {
    if (name.size() > kPaperNameUnits) return false;
    if (std::u16string_view(paperName, name.size()) != name) return false;
    return name.size() == kPaperNameUnits || paperName[name.size()] == 0;
}

// The device mode with the paper chosen: number and form name set, width and length dropped.
void choosePaper(std::vector<uint8_t>& mode, uint16_t paperNumber, std::u16string_view formName) {
    using namespace platform;
    writeLe16(&mode[kDeviceModePaperSizeOffset], paperNumber);
    for (uint32_t i = 0; i < kDeviceModeFormNameUnits; ++i) {
        writeLe16(&mode[kDeviceModeFormNameOffset + 2 * i], i < formName.size() ? formName[i] : 0);
    }
    uint32_t fields = readLe32(&mode[kDeviceModeFieldsOffset]);
    fields &= ~(kDmPaperLength | kDmPaperWidth);
    fields |= kDmPaperSize | kDmFormName;
    writeLe32(&mode[kDeviceModeFieldsOffset], fields);
}

// The driver's papers: numbers and names, the two lists of the same non-zero length.
struct PaperLists {
    std::vector<uint16_t> numbers;
    std::vector<char16_t> names;  // kPaperNameUnits per paper
};

bool readPaperLists(platform::Spooler& spooler, const std::u16string& device, const std::u16string& port,
                    const std::vector<uint8_t>& mode, PaperLists& lists) {
    const int32_t papers = spooler.deviceCapabilities(device.c_str(), port.c_str(), platform::kDcPapers, nullptr, 0,
                                                      mode.data());
    const int32_t names = spooler.deviceCapabilities(device.c_str(), port.c_str(), platform::kDcPaperNames, nullptr,
                                                     0, mode.data());
    if (papers <= 0 || names != papers || papers > kMostPapers) return false;
    const auto count = static_cast<size_t>(papers);
    lists.numbers.assign(count, 0);
    lists.names.assign(count * kPaperNameUnits, 0);
    const auto numberBytes = static_cast<uint32_t>(count * sizeof(uint16_t));
    const auto nameBytes = static_cast<uint32_t>(count * kPaperNameUnits * sizeof(char16_t));
    return spooler.deviceCapabilities(device.c_str(), port.c_str(), platform::kDcPapers, lists.numbers.data(),
                                      numberBytes, mode.data()) == papers &&
           spooler.deviceCapabilities(device.c_str(), port.c_str(), platform::kDcPaperNames, lists.names.data(),
                                      nameBytes, mode.data()) == papers;
}

// The device mode as the driver completes it. Its output may carry a larger driver part than
// the printer's stored mode, so the buffer takes whichever is larger; a driver that does not
// merge leaves the chosen mode as it is.
std::vector<uint8_t> mergedDeviceMode(platform::Spooler& spooler, Session& session, const std::vector<uint8_t>& mode) {
    const int32_t driverSize = spooler.deviceModeSize(session.printer, session.printerName.c_str());
    if (driverSize < 0) return mode;
    std::vector<uint8_t> merged(std::max(static_cast<size_t>(driverSize), mode.size()), 0);
    if (!spooler.mergeDeviceMode(session.printer, session.printerName.c_str(), merged.data(),
                                 static_cast<uint32_t>(merged.size()), mode.data())) {
        return mode;
    }
    // The mode's own length, driver part included, as far as the buffer holds it.
    const size_t length = size_t{readLe16(&merged[platform::kDeviceModeSizeOffset])} +
                          readLe16(&merged[platform::kDeviceModeDriverExtraOffset]);
    if (length >= platform::kDeviceModeSize && length < merged.size()) merged.resize(length);
    return merged;
}

Result selectPaperForm(Session& session, uint8_t sizeCode) {
    platform::Spooler& spooler = platform::spooler();
    platform::PrinterPaperSetup setup;
    if (!spooler.getPrinterSetup(session.printer, &setup)) return kFailure;
    if (setup.deviceMode.size() < platform::kDeviceModeSize) return kFailure;
    PaperLists lists;
    if (!readPaperLists(spooler, session.printerName, setup.port, setup.deviceMode, lists)) return kFailure;
    const PaperFormRow* row = paperFormForSize(sizeCode);
    if (row == nullptr) return kFailure;
    const std::u16string_view formName = row->formName;
    size_t paper = 0;
    while (paper < lists.numbers.size() && !paperNameIs(&lists.names[paper * kPaperNameUnits], formName)) ++paper;
    if (paper == lists.numbers.size()) return kFailure;

    choosePaper(setup.deviceMode, lists.numbers[paper], formName);
    const std::vector<uint8_t> merged = mergedDeviceMode(spooler, session, setup.deviceMode);
    if (!spooler.setPrinterDeviceMode(session.printer, merged.data(), static_cast<uint32_t>(merged.size()))) {
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

const PaperFormRow* paperFormForSize(uint8_t sizeCode) {
    for (const PaperFormRow& row : kPaperForms) {
        if (row.sizeCode == sizeCode) return &row;
    }
    return nullptr;
}

const PaperFormRow* paperFormForType(uint8_t paperType) {
    for (const PaperFormRow& row : kPaperForms) {
        if (row.paperType == paperType) return &row;
    }
    return nullptr;
}

Result SelectPaperForm(Session& session, uint8_t sizeCode) {
    try {
        return selectPaperForm(session, sizeCode);
    } catch (const std::bad_alloc&) {
        return kFailure;
    }
}

Result StoreUserPaperSize(Session& session, uint8_t sizeCode, uint8_t paperType, uint16_t lengthMm) {
    if (!userDefinedSize(sizeCode)) return kFailure;
    std::vector<uint8_t> record;
    try {
        record.assign(kSettingsRecordSize, 0);
    } catch (const std::bad_alloc&) {
        return kFailure;
    }
    // Only a whole record may be written back: the rest of it is the driver's.
    const RawAnswer read = readValue(session, value::PrinterData, record.data(), kSettingsRecordSize);
    if (!read.callOk || read.needed != kSettingsRecordSize) return kFailure;
    const PaperFormRow* row = paperFormForType(paperType);
    if (row == nullptr) return kFailure;

    const uint32_t length = uint32_t{lengthMm} * 10;
    const uint32_t fields[] = {row->width, length, row->left, row->top, row->right, row->bottom};
    const size_t slot = kUserSlotOffset + (sizeCode - 2) * kUserSlotSize + kUserSlotFieldsOffset;
    for (size_t i = 0; i < std::size(fields); ++i) writeLe32(&record[slot + 4 * i], fields[i]);
    if (writeInput(session, value::PrinterData, platform::kRegBinary, record.data(), kSettingsRecordSize) !=
        kSuccess) {
        return kFailure;
    }

    const PaperFormRow* form = paperFormForSize(sizeCode);
    const platform::FormInfo info{.flags = platform::kFormPrinter,
                                  .name = form->formName,
                                  .width = static_cast<int32_t>(row->width * 100),
                                  .length = static_cast<int32_t>(length * 100),
                                  .left = 0,
                                  .top = 0,
                                  .right = static_cast<int32_t>(row->width * 100),
                                  .bottom = static_cast<int32_t>(length * 100)};
    // A form of that name registered before is updated instead; neither outcome changes the result.
    platform::Spooler& spooler = platform::spooler();
    if (!spooler.addForm(session.printer, info)) spooler.setForm(session.printer, info);
    return kSuccess;
}

}  // namespace rvs
