// libFuzzer target for the firmware image parser.
//
// The parser reads only block headers, which sit at multiples of 64 KiB, so the input describes
// an image sparsely and stays small: byte 0 model, byte 1 download type, byte 2 separator
// choice, bytes 3-7 the image length (40 bits, little-endian), then the header at each 64 KiB
// boundary in turn, 24 bytes each (missing ones read as zeros). The same bytes, taken as UTF-16,
// are also an image path for the staging path. Checks that a chosen block lies inside the
// image and has the shape its model needs, and that a staging path stays within its limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "maintenance/firmware_image.h"

namespace {

constexpr size_t kPrefix = 8;
constexpr size_t kPathUnitsLimit = 400;

class SparseImage final : public rvs::FirmwareHeaderSource {
public:
    SparseImage(const uint8_t* headers, size_t size, uint64_t length)
        : headers_(headers), size_(size), length_(length) {}
    bool readHeader(uint64_t offset, rvs::FirmwareHeader& header) override {
        if (offset > length_ || length_ - offset < header.size()) return false;
        // The parser only ever looks at block boundaries.
        if (offset % rvs::kFirmwareBlockUnit != 0) __builtin_trap();
        header.fill(0);
        const uint64_t slot = offset / rvs::kFirmwareBlockUnit * header.size();
        if (slot < size_) {
            std::memcpy(header.data(), headers_ + slot, std::min<uint64_t>(header.size(), size_ - slot));
        }
        return true;
    }

private:
    const uint8_t* headers_;
    size_t size_;
    uint64_t length_;
};

void check(bool holds) {
    if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kPrefix) return 0;
    const uint8_t model = data[0] % 4;
    const uint8_t type = data[1];
    const char16_t separator = (data[2] & 1) != 0 ? u'\\' : u'/';
    uint64_t length = 0;
    for (int i = 4; i >= 0; --i) length = (length << 8) | data[3 + i];

    SparseImage image(data + kPrefix, size - kPrefix, length);
    const rvs::FirmwareBlockChoice choice = rvs::ChooseFirmwareBlock(length, model, type, image);
    check(choice.result == rvs::kSuccess || choice.result == rvs::kFileError);
    check(!choice.noMatchingBlock || choice.result == rvs::kFileError);
    if (choice.result == rvs::kSuccess) {
        check(choice.size >= rvs::kFirmwareHeaderSize);
        check(choice.offset + choice.size <= length);
        check(choice.offset % rvs::kFirmwareBlockUnit == 0);
        check(choice.offset < uint64_t{rvs::kFirmwareHeadersExamined} * 255 * rvs::kFirmwareBlockUnit);
        if (const auto target = rvs::firmwareTargetLetter(model)) {
            check(choice.size % rvs::kFirmwareBlockUnit == 0);
            rvs::FirmwareHeader header{};
            check(image.readHeader(choice.offset, header));
            check(header[18] == *target && choice.size == header[20] * rvs::kFirmwareBlockUnit);
            if (const auto kind = rvs::firmwareKindLetter(type)) check(header[19] == *kind);
        } else {
            check(choice.offset + choice.size == length);
        }
    }

    std::u16string path;
    for (size_t i = 0; i + 1 < size && path.size() < kPathUnitsLimit; i += 2) {
        path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    std::u16string staging;
    const rvs::Result staged = rvs::StagingPathFor(path, separator, staging);
    check(staged == rvs::kSuccess || staged == rvs::kFailure);
    if (staged == rvs::kSuccess) {
        check(staging.size() <= rvs::kStagingPathLimit);
        check(staging.ends_with(rvs::kStagingFileName));
        check(staging.compare(0, staging.size() - rvs::kStagingFileName.size(), path, 0,
                              staging.size() - rvs::kStagingFileName.size()) == 0);
    }
    return 0;
}
