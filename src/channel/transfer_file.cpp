#include "channel/channel.h"
#include "platform/platform.h"

namespace rvs {

void TransferFile::remove() {
    if (!path_.empty()) {
        platform::system().deleteFile(path_);
        path_.clear();
    }
}

Result handOffFile(Session& session, const uint8_t* data, uint32_t length, const char16_t* nameValue,
                   const char16_t* sizeValue, SizeValueForm sizeForm, TransferFile& file) {
    platform::System& sys = platform::system();
    std::u16string path;
    if (!sys.createTransferFileName(&path)) {
        return kFailure;
    }
    std::unique_ptr<platform::File> out = sys.openFile(path, platform::FileMode::WriteExclusive);
    if (!out) {
        // The name's empty file exists all the same; don't leave it behind.
        sys.deleteFile(path);
        return kFailure;
    }
    file.adopt(path);
    uint32_t written = 0;
    bool wrote = out->write(data, length, &written) && written == length;
    out.reset();
    if (!wrote) {
        file.remove();
        return kFailure;
    }
    Result result = writeInput(session, nameValue, platform::kRegSz, path.c_str(), stringValueSize(path));
    if (result == kSuccess) {
        if (sizeForm == SizeValueForm::Dword4) {
            result = writeInput(session, sizeValue, platform::kRegDword, &length, 4);
        } else {
            uint16_t shortLength = static_cast<uint16_t>(length);
            result = writeInput(session, sizeValue, platform::kRegBinary, &shortLength, 2);
        }
    }
    if (result != kSuccess) {
        file.remove();
    }
    return result;
}

}  // namespace rvs
