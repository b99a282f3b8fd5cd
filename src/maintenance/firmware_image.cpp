#include "maintenance/firmware_image.h"

namespace rvs {
namespace {

constexpr size_t kTargetByte = 18;
constexpr size_t kKindByte = 19;
constexpr size_t kLengthByte = 20;

constexpr uint8_t kTargetKorvelinFO = 'F';
constexpr uint8_t kTargetOxaSt = 'a';
constexpr uint8_t kKindBoot = 'B';

bool matches(const FirmwareHeader& header, std::optional<uint8_t> target, uint8_t type) {
    const uint8_t letter = header[kTargetByte];
    if (!target) return letter != kTargetKorvelinFO && letter != kTargetOxaSt;
    // The second round wants the block after the boot block, never the boot block again.
    if (type == kFirmwareSecondRoundType && header[kKindByte] == kKindBoot) return false;
    return letter == *target;
}

}  // namespace

std::optional<uint8_t> firmwareTargetLetter(uint8_t model) {
    switch (model) {
        case 1: return kTargetKorvelinFO;
        case 2: return kTargetOxaSt;
        default: return std::nullopt;
    }
}

std::optional<uint8_t> firmwareKindLetter(uint8_t type) {
    switch (type) {
        case 0: return 'M';
        case 1: return 'S';
        case 2: return 'B';
        case 15: return 'F';
        default: return std::nullopt;
    }
}

FirmwareBlockChoice ChooseFirmwareBlock(uint64_t imageLength, uint8_t model, uint8_t type,
                                        FirmwareHeaderSource& source) {
    const std::optional<uint8_t> target = firmwareTargetLetter(model);
    FirmwareBlockChoice choice;
    uint64_t position = 0;
    uint64_t remaining = imageLength;
    for (int examined = 0; examined < kFirmwareHeadersExamined; ++examined) {
        FirmwareHeader header{};
        if (!source.readHeader(position, header)) return choice;
        const uint64_t blockLength = uint64_t{header[kLengthByte]} * kFirmwareBlockUnit;
        // A block of no length would stage nothing, or examine the same header forever.
        if (blockLength == 0) return choice;
        if (matches(header, target, type)) {
            if (!target) {
                // The Korvelin takes the rest of the image, later blocks included.
                if (remaining > UINT32_MAX) return choice;
                return {kSuccess, position, static_cast<uint32_t>(remaining)};
            }
            if (examined == 0 && remaining > blockLength) remaining = blockLength;
            const std::optional<uint8_t> kind = firmwareKindLetter(type);
            if (kind && header[kKindByte] != *kind) return choice;
            if (blockLength > remaining) return choice;
            return {kSuccess, position, static_cast<uint32_t>(blockLength)};
        }
        if (remaining <= blockLength) {
            choice.noMatchingBlock = true;
            return choice;
        }
        position += blockLength;
        remaining -= blockLength;
    }
    // More blocks ahead of the wanted one than are looked at: no block for this printer.
    choice.noMatchingBlock = true;
    return choice;
}

Result StagingPathFor(std::u16string_view imagePath, char16_t separator, std::u16string& stagingPath) {
    const size_t last = imagePath.rfind(separator);
    if (last == std::u16string_view::npos) return kFailure;
    // The directory with its separator, then the file name.
    if (last + 1 + kStagingFileName.size() > kStagingPathLimit) return kFailure;
    stagingPath.assign(imagePath.substr(0, last + 1));
    stagingPath.append(kStagingFileName);
    return kSuccess;
}

}  // namespace rvs
