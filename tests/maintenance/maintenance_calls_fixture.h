// A monitored session for the field engineer's calls: firmware images written into a directory
// of their own, the virtual printer's download and paper state, and a clock that runs fast for
// the download's settle waits.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "device/device_fixture.h"
#include "sim/driver_state.h"
#include "support/temp_dir.h"

namespace rvs::test {

inline constexpr uint32_t kUnit = 65536;

// One image block: header bytes 18 (target), 19 (kind) and 20 (length in units), the rest `fill`.
inline Bytes block(char target, char kind, uint8_t units, uint8_t fill = 0x5A) {
    Bytes bytes(size_t{units} * kUnit, fill);
    if (bytes.size() < 24) bytes.resize(24, fill);
    bytes[18] = static_cast<uint8_t>(target);
    bytes[19] = static_cast<uint8_t>(kind);
    bytes[20] = units;
    return bytes;
}

inline Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes slice(const Bytes& bytes, size_t from, size_t count) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

inline std::u16string widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class MaintenanceFixture : public DeviceFixture {
protected:
    // Writes `bytes` as `name` in the image directory; gives its path as the library takes it.
    std::u16string writeImage(const Bytes& bytes, const std::string& name = "image.bin") {
        std::ofstream out(images.file(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return images.wideFile(name);
    }
    std::string stagingFile() const { return images.file("DL_TEMP.bin"); }
    bool staged() const { return std::filesystem::exists(stagingFile()); }

    // The download, on a fast clock: it waits seconds for the printer to settle.
    uint32_t download(uint8_t type, const std::u16string& path) {
        return onFastClock([&] { return RvStatementFirmwareDownload(handle, type, toRvChar(path)); });
    }
    static const RvChar* toRvChar(const std::u16string& text) { return reinterpret_cast<const RvChar*>(text.c_str()); }

    sim::FirmwareStore firmware() {
        return device->update([](sim::DriverState& d) { return d.firmware; });
    }
    template <class Change>
    auto paper(Change change) {
        return device->update([&](sim::DriverState& d) { return change(d.paperForms); });
    }

    TempDir images;
};

}  // namespace rvs::test
