#include "sim/firmware_store.h"

#include <memory>

#include "platform/platform.h"
#include "sim/driver_state.h"

namespace rvs::sim {
namespace {

constexpr size_t kHeaderSize = 24;
constexpr uint32_t kUnit = 65536;

std::u16string pathInput(const DriverState& d) {
    std::u16string path;
    if (const auto bytes = d.input(u"Download_Input_Name")) {
        for (size_t i = 0; i + 1 < bytes->size(); i += 2) path.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
    }
    return path;
}

uint32_t dwordInput(const DriverState& d, const std::u16string& name) {
    return readDword(d.input(name).value_or(std::vector<uint8_t>{}));
}

std::vector<uint8_t> readWhole(const std::u16string& path) {
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::Read);
    if (!file) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(file->size()));
    uint32_t got = 0;
    if (bytes.empty() || !file->read(bytes.data(), static_cast<uint32_t>(bytes.size()), &got) || got != bytes.size()) {
        return {};
    }
    return bytes;
}

char kindFor(uint32_t type) {
    switch (type) {
        case 0: return 'M';
        case 1: return 'S';
        case 2: return 'B';
        case 15: return 'F';
        default: return 0;
    }
}

bool fitsModel(const std::vector<uint8_t>& image, uint8_t model, uint32_t type) {
    if (image.size() < kHeaderSize) return false;
    const uint8_t target = image[18];
    if (model == 0) return target != 'F' && target != 'a';
    if (target != (model == 1 ? 'F' : 'a')) return false;
    if (image.size() != size_t{image[20]} * kUnit) return false;
    const char kind = kindFor(type);
    return kind == 0 || image[19] == kind;
}

// Header bytes 22 and 23 carry the image's version; an image without one counts one up.
uint16_t versionAfter(const std::vector<uint8_t>& image, uint16_t before) {
    const uint16_t carried = static_cast<uint16_t>(image[22] | (image[23] << 8));
    return carried != 0 ? carried : static_cast<uint16_t>(before + 1);
}

void install(DriverState& d, const ReceivedImage& image) {
    const std::optional<Answer> version = d.answerFor(u"GetPrinterVersion");
    const std::vector<uint8_t> old = version ? version->bytes : std::vector<uint8_t>(4, 0);
    const uint16_t before = old.size() >= 2 ? static_cast<uint16_t>(old[0] | (old[1] << 8)) : 0;
    const uint16_t after = versionAfter(image.bytes, before);
    d.setAnswer(u"GetPrinterVersion", {static_cast<uint8_t>(after), static_cast<uint8_t>(after >> 8),
                                       d.profile().model, 0});
    ++d.firmware.installs;
}

const Answer kCarriedOut = binary({0});
const Answer kRefused = binary({1});

bool carriedOut(const Answer& given) { return given == kCarriedOut; }

}  // namespace

ReceivedImage readStagedImage(const DriverState& d, const std::u16string& request) {
    ReceivedImage image;
    image.request = request;
    image.path = pathInput(d);
    image.type = dwordInput(d, u"Download_Input_Type");
    image.declaredSize = dwordInput(d, u"Download_Input_Size");
    image.bytes = readWhole(image.path);
    image.accepted = !image.bytes.empty() && image.bytes.size() == image.declaredSize &&
                     fitsModel(image.bytes, d.profile().model, image.type);
    return image;
}

void addDownloadValues(ValueTable& table) {
    // The one-step download: the driver reads the file during the request and installs it.
    table.add(u"Download", {.answer = [](const DriverState& d) {
                                return readStagedImage(d, u"Download").accepted ? kCarriedOut : kRefused;
                            },
                            .onRequest = [](DriverState& d, const Answer& given) {
                                ReceivedImage image = readStagedImage(d, u"Download");
                                if (carriedOut(given) && image.accepted) install(d, image);
                                d.firmware.received.push_back(std::move(image));
                            }});
    // The boot-block download: switch into the loader, take the file, write it.
    table.add(u"DownloadFile", {.answer = [](const DriverState& d) {
                                    return readStagedImage(d, u"DownloadFile").accepted ? kCarriedOut : kRefused;
                                },
                                .onRequest = [](DriverState& d, const Answer& given) {
                                    ReceivedImage image = readStagedImage(d, u"DownloadFile");
                                    if (carriedOut(given) && image.accepted) d.firmware.pending = image;
                                    d.firmware.received.push_back(std::move(image));
                                }});
    table.add(u"DownloadWrite", {.answer = [](const DriverState& d) {
                                     return d.firmware.pending ? kCarriedOut : kRefused;
                                 },
                                 .onRequest = [](DriverState& d, const Answer& given) {
                                     if (carriedOut(given) && d.firmware.pending) install(d, *d.firmware.pending);
                                     d.firmware.pending.reset();
                                 }});
    table.add(u"DownloadReset", {.initial = answerZeros(1), .onRequest = [](DriverState& d, const Answer& given) {
                                     if (carriedOut(given)) ++d.firmware.resets;
                                 }});
    for (const char16_t* name : {u"DownloadCancel", u"DownloadSwitch"}) {
        table.add(name, {.initial = answerZeros(1)});
    }
}

}  // namespace rvs::sim
