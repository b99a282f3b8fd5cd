// Stages the block of a firmware image that fits the printer as "DL_TEMP.bin" beside the image.
#pragma once

#include <cstdint>
#include <string>

#include "channel/channel.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// The staging file of one download. Every download beside images in one directory stages into
// the same "DL_TEMP.bin": a second one would overwrite the first's block before its driver read
// it, and the first would delete the second's. So a download holds the path for the process
// from creating the file until it deletes it; another download finds it held and fails.
class StagingFile {
public:
    StagingFile() = default;
    StagingFile(const StagingFile&) = delete;
    StagingFile& operator=(const StagingFile&) = delete;
    ~StagingFile() { remove(); }

    const std::u16string& path() const { return file_.path(); }
    // Holds `path` for this download; false when another download holds it.
    bool hold(const std::u16string& path);
    // The held path's file now exists and is this download's to delete.
    void created();
    // Deletes the file and lets the path go.
    void remove();

private:
    TransferFile file_;
    std::u16string held_;
};

struct StagedImage {
    Result result = kSuccess;
    uint32_t size = 0;             // bytes in the staging file
    bool noMatchingBlock = false;  // 14 because the image has no block for this model and type
};

// Chooses the block for `model` and `type`, writes it to the staging file and owns that file
// through `staging` from its creation on (the caller lets it go after the download). 9 when the
// image cannot be opened or is empty; 14 when it holds no usable block or cannot be read whole;
// 16 when the staging path is unusable or held by another download, or the staging file cannot be
// created or written whole.
// The image file is closed on every path; a failure leaves no staging file.
StagedImage PrepareFirmwareImage(Session& session, uint8_t model, uint8_t type, const std::u16string& imagePath,
                                 StagingFile& staging);

}  // namespace rvs
