// Firmware image files: which block of an image fits a printer model and download type, and
// where its staging copy goes. No session and no I/O: the header bytes come from the caller.
//
// An image is a run of blocks, each a 24-byte header followed by its data, each a whole number
// of 64 KiB units long (header included). Header byte 18 names the target (F Korvelin FO,
// a OXA ST, anything else Korvelin), byte 19 the kind (M, S, B, F), byte 20 the length in units.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "session/result_codes.h"

namespace rvs {

inline constexpr uint32_t kFirmwareHeaderSize = 24;
inline constexpr uint32_t kFirmwareBlockUnit = 65536;
// Headers looked at before the image counts as holding no block for the printer.
inline constexpr int kFirmwareHeadersExamined = 5;
// The download type of a type-2 download's second round on the Korvelin FO and OXA ST.
inline constexpr uint8_t kFirmwareSecondRoundType = 15;
inline constexpr uint8_t kFirmwareTypeSwitched = 2;
// Longest staging path, in characters without the NUL.
inline constexpr size_t kStagingPathLimit = 259;
inline constexpr std::u16string_view kStagingFileName = u"DL_TEMP.bin";

using FirmwareHeader = std::array<uint8_t, kFirmwareHeaderSize>;

// The target letter a model's blocks carry; none for the Korvelin.
std::optional<uint8_t> firmwareTargetLetter(uint8_t model);
// The kind letter a download type needs on the Korvelin FO and OXA ST; none for other types.
std::optional<uint8_t> firmwareKindLetter(uint8_t type);

// The bytes to stage: `size` bytes from `offset` (the chosen header) on.
struct FirmwareBlockChoice {
    Result result = kFileError;  // 0, or 14 when the image holds no usable block
    uint64_t offset = 0;
    uint32_t size = 0;
    // 14 because no header matched (rather than a damaged image or a block that does not fit).
    bool noMatchingBlock = false;
};

// Reads the header at `offset` of the image; false when fewer than 24 bytes are there.
class FirmwareHeaderSource {
public:
    virtual bool readHeader(uint64_t offset, FirmwareHeader& header) = 0;

protected:
    ~FirmwareHeaderSource() = default;
};

// Chooses the block of an image of `imageLength` bytes for `model` and download `type`.
// For the Korvelin the block and everything after it is staged; for the other models the block
// alone, and its kind letter must fit the type. 14 for a short header, a block of length 0, a
// block reaching past the end of the image, a wrong kind letter, or no match among the first
// five headers.
FirmwareBlockChoice ChooseFirmwareBlock(uint64_t imageLength, uint8_t model, uint8_t type,
                                        FirmwareHeaderSource& source);

// The staging path beside the image: its directory (up to the last `separator`) and
// "DL_TEMP.bin". 16 when the image path has no directory or the result would be longer than
// 259 characters.
Result StagingPathFor(std::u16string_view imagePath, char16_t separator, std::u16string& stagingPath);

}  // namespace rvs
