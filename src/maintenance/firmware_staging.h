// Stages the block of a firmware image that fits the printer as "DL_TEMP.bin" beside the image.
#pragma once

#include <cstdint>
#include <string>

#include "channel/channel.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

struct StagedImage {
    Result result = kSuccess;
    uint32_t size = 0;             // bytes in the staging file
    bool noMatchingBlock = false;  // 14 because the image has no block for this model and type
};

// Chooses the block for `model` and `type`, writes it to the staging file and owns that file
// through `staging` from its creation on (the caller lets it go after the download). 9 when the
// image cannot be opened or is empty; 14 when it holds no usable block or cannot be read whole;
// 16 when the staging path is unusable or the staging file cannot be created or written whole.
// The image file is closed on every path; a failure leaves no staging file.
StagedImage PrepareFirmwareImage(Session& session, uint8_t model, uint8_t type, const std::u16string& imagePath,
                                 TransferFile& staging);

}  // namespace rvs
