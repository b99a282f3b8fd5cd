#include "maintenance/firmware_staging.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <set>
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

// Staging paths held by the downloads of this process, compared as the file system names files.
class HeldPaths {
public:
    bool hold(const std::u16string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        return held_.insert(key(path)).second;
    }
    void release(const std::u16string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        held_.erase(key(path));
    }

private:
    static std::u16string key(std::u16string path) {
        if (platform::system().fileNamesIgnoreCase()) {
            for (char16_t& unit : path) {
                if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
            }
        }
        return path;
    }

    std::mutex mutex_;
    std::set<std::u16string> held_;
};

HeldPaths& heldPaths() {
    static HeldPaths paths;
    return paths;
}

}  // namespace

bool StagingFile::hold(const std::u16string& path) {
    if (!held_.empty() && held_ == path) return true;
    remove();
    try {
        if (!heldPaths().hold(path)) return false;
        held_ = path;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void StagingFile::created() {
    if (file_.path() != held_) file_.adopt(held_);
}

void StagingFile::remove() {
    file_.remove();
    if (held_.empty()) return;
    heldPaths().release(held_);
    held_.clear();
}

StagedImage PrepareFirmwareImage(Session& session, uint8_t model, uint8_t type, const std::u16string& imagePath,
                                 StagingFile& staging) {
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
    if (!staging.hold(stagingPath)) return {kFailure};
    std::unique_ptr<platform::File> staged = sys.openFile(stagingPath, platform::FileMode::WriteShared);
    if (!staged) {
        staging.remove();
        return {kFailure};
    }
    staging.created();
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
