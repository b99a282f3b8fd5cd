#include "maintenance/firmware_staging.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "maintenance/firmware_image.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs {
namespace {

// The block is copied a piece at a time: an image may be far larger than is worth holding.
constexpr uint32_t kCopyPiece = 65536;

const char* targetLine(uint8_t model) {
    switch (static_cast<PrinterModel>(model)) {
        case PrinterModel::KorvelinFO: return "Target : Korvelin FO\n";
        case PrinterModel::OxaSt: return "Target : OXA ST\n";
        default: return "Target : Korvelin\n";
    }
}

class ImageHeaders final : public FirmwareHeaderSource {
public:
    explicit ImageHeaders(platform::File& image) : image_(image) {}
    bool readHeader(uint64_t offset, FirmwareHeader& header) override {
        uint32_t got = 0;
        return image_.seek(offset) && image_.read(header.data(), kFirmwareHeaderSize, &got) &&
               got == kFirmwareHeaderSize;
    }

private:
    platform::File& image_;
};

// Copies `size` bytes from the image's current position; 14 for a short read, 16 for a short write.
Result copyBlock(platform::File& image, platform::File& staged, uint32_t size) {
    std::vector<uint8_t> piece;
    try {
        piece.resize(std::min(size, kCopyPiece));
    } catch (const std::bad_alloc&) {
        return kFileError;
    }
    for (uint32_t left = size; left > 0;) {
        const uint32_t want = std::min(left, kCopyPiece);
        uint32_t got = 0;
        if (!image.read(piece.data(), want, &got) || got != want) return kFileError;
        uint32_t written = 0;
        if (!staged.write(piece.data(), want, &written) || written != want) return kFailure;
        left -= want;
    }
    // An older, longer "DL_TEMP.bin" must not keep its tail behind the new block.
    return staged.truncateHere() ? kSuccess : kFailure;
}

}  // namespace

StagedImage PrepareFirmwareImage(Session& session, uint8_t model, uint8_t type, const std::u16string& imagePath,
                                 TransferFile& staging) {
    platform::System& sys = platform::system();
    std::unique_ptr<platform::File> image = sys.openFile(imagePath, platform::FileMode::Read);
    if (!image) return {kInvalidParameter};
    const uint64_t length = image->size();
    if (length == 0) return {kInvalidParameter};
    TraceLine(&session, traceid::SessionInfo, targetLine(model));

    ImageHeaders headers(*image);
    const FirmwareBlockChoice choice = ChooseFirmwareBlock(length, model, type, headers);
    if (choice.result != kSuccess) return {choice.result, 0, choice.noMatchingBlock};

    std::u16string stagingPath;
    if (const Result result = StagingPathFor(imagePath, sys.pathSeparator(), stagingPath); result != kSuccess) {
        return {result};
    }
    if (!image->seek(choice.offset)) return {kFileError};
    std::unique_ptr<platform::File> staged = sys.openFile(stagingPath, platform::FileMode::WriteShared);
    if (!staged) return {kFailure};
    // The second round stages into the same file; adopting it again would delete it.
    if (staging.path() != stagingPath) staging.adopt(stagingPath);
    const Result copied = copyBlock(*image, *staged, choice.size);
    staged.reset();
    if (copied != kSuccess) {
        // Never leave a partial image where the driver could take it for a whole one.
        staging.remove();
        return {copied};
    }
    return {kSuccess, choice.size};
}

}  // namespace rvs
