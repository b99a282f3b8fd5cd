#include "sim/paper_forms.h"

#include <algorithm>
#include <cstring>

#include "platform/device_mode.h"

namespace rvs::sim {
namespace {

using namespace rvs::platform;

uint16_t read16(const std::vector<uint8_t>& bytes, size_t at) {
    return at + 2 <= bytes.size() ? static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)) : 0;
}
void write16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}
uint32_t read32(const std::vector<uint8_t>& bytes, size_t at) {
    return at + 4 <= bytes.size() ? static_cast<uint32_t>(read16(bytes, at) | (read16(bytes, at + 2) << 16)) : 0;
}
void write32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    write16(bytes, at, static_cast<uint16_t>(value));
    write16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

std::vector<uint8_t> initialDeviceMode(uint16_t driverVersion) {
    std::vector<uint8_t> mode(kDeviceModeSize, 0);
    write16(mode, kDeviceModeDriverVersionOffset, driverVersion);
    write16(mode, kDeviceModeSizeOffset, static_cast<uint16_t>(kDeviceModeSize));
    write32(mode, kDeviceModeFieldsOffset, kDmPaperSize | kDmFormName);
    write16(mode, kDeviceModePaperSizeOffset, 1);
    const std::u16string letter = u"Letter";
    for (size_t i = 0; i < letter.size(); ++i) write16(mode, kDeviceModeFormNameOffset + 2 * i, letter[i]);
    return mode;
}

SpoolerForm spoolerForm(const FormInfo& form) {
    return {form.flags, form.width, form.length, form.left, form.top, form.right, form.bottom};
}

}  // namespace

std::vector<Paper> defaultPapers() {
    return {{1, u"Letter"}, {9, u"A4"}, {256, u"User Defined Size1"}, {257, u"User Defined Size2"},
            {258, u"6inches wide"}};
}

PaperForms::PaperForms(const Profile& profile) : deviceMode(initialDeviceMode(profile.driverVersion)) {}

uint16_t PaperForms::selectedPaper() const { return read16(deviceMode, kDeviceModePaperSizeOffset); }

std::u16string PaperForms::selectedFormName() const {
    std::u16string name;
    for (uint32_t i = 0; i < kDeviceModeFormNameUnits; ++i) {
        const char16_t unit = read16(deviceMode, kDeviceModeFormNameOffset + 2 * i);
        if (unit == 0) break;
        name.push_back(unit);
    }
    return name;
}

uint32_t PaperForms::selectedFields() const { return read32(deviceMode, kDeviceModeFieldsOffset); }

bool PaperForms::getSetup(PrinterPaperSetup& setup) const {
    setup.port = port;
    setup.deviceMode = deviceMode;
    return true;
}

bool PaperForms::setDeviceMode(const uint8_t* mode, uint32_t size) {
    if (mode == nullptr || size < kDeviceModeSize) return false;
    deviceMode.assign(mode, mode + size);
    return true;
}

int32_t PaperForms::capabilities(uint16_t capability, void* output, uint32_t capacity) {
    if (capability != kDcPapers && capability != kDcPaperNames) return -1;
    const bool names = capability == kDcPaperNames;
    const int32_t reported = names ? nameCount.value_or(static_cast<int32_t>(papers.size()))
                                   : paperCount.value_or(static_cast<int32_t>(papers.size()));
    if (output == nullptr) return reported;
    // The driver writes its whole list, whatever count it reported: the seam refuses a short buffer.
    const size_t entry = names ? kPaperNameUnits * 2 : 2;
    if (papers.size() * entry > capacity) {
        return -1;
    }
    auto* bytes = static_cast<uint8_t*>(output);
    for (size_t i = 0; i < papers.size(); ++i) {
        if (names) {
            std::u16string name = papers[i].name.substr(0, kPaperNameUnits);
            name.resize(kPaperNameUnits, 0);
            std::memcpy(bytes + i * entry, name.data(), entry);
        } else {
            std::memcpy(bytes + i * entry, &papers[i].number, entry);
        }
    }
    return static_cast<int32_t>(papers.size());
}

uint32_t PaperForms::driverModeSize() const { return kDeviceModeSize + driverExtra; }

bool PaperForms::merge(uint8_t* output, uint32_t outputSize, const uint8_t* input) {
    if (output == nullptr || input == nullptr) return false;
    if (outputSize < driverModeSize()) {
        overrun = true;
        return false;
    }
    // The public part comes from the input, the driver part is the driver's own.
    std::vector<uint8_t> merged(input, input + kDeviceModeSize);
    write16(merged, kDeviceModeDriverExtraOffset, driverExtra);
    merged.resize(driverModeSize(), 0xD5);
    std::copy(merged.begin(), merged.end(), output);
    return true;
}

bool PaperForms::addForm(const FormInfo& form) {
    if (form.name == nullptr) return false;
    return forms.emplace(form.name, spoolerForm(form)).second;
}

bool PaperForms::setForm(const FormInfo& form) {
    if (form.name == nullptr) return false;
    auto it = forms.find(form.name);
    if (it == forms.end()) return false;
    it->second = spoolerForm(form);
    return true;
}

}  // namespace rvs::sim
