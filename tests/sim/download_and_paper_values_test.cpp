// The virtual printer's side of downloads and paper forms: the staged file is read and checked
// while the request runs, and paper-form calls are logged and fail like printer-data exchanges.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/driver_version.h"
#include "sim/driver_state.h"
#include "sim_test_support.h"
#include "support/temp_dir.h"

namespace rvs::sim::testing {
namespace {

constexpr uint32_t kUnit = 65536;

std::vector<uint8_t> dwordBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

class DriverSideValues : public ::testing::Test {
protected:
    DriverSideValues() {
        printer.addPrinter(u"P", Profile::korvelinFO(0x0310));
        printer.openPrinter(u"P", &handle);
    }
    ~DriverSideValues() override { printer.closePrinter(handle); }

    // Stages `bytes` and names them to the driver with `declared` as their size.
    void stage(const std::vector<uint8_t>& bytes, uint32_t declared, uint32_t type) {
        const std::string path = files.file("DL_TEMP.bin");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        std::vector<uint8_t> name;
        for (char c : path) {
            name.push_back(static_cast<uint8_t>(c));
            name.push_back(0);
        }
        set(printer, handle, u"Download_Input_Type", platform::kRegDword, dwordBytes(type));
        set(printer, handle, u"Download_Input_Size", platform::kRegDword, dwordBytes(declared));
        set(printer, handle, u"Download_Input_Name", platform::kRegSz, name);
    }
    static std::vector<uint8_t> block(char target, char kind) {
        std::vector<uint8_t> bytes(kUnit, 0x5A);
        bytes[18] = static_cast<uint8_t>(target);
        bytes[19] = static_cast<uint8_t>(kind);
        bytes[20] = 1;
        bytes[22] = 0x20;
        bytes[23] = 0x03;
        return bytes;
    }

    ManualClock clock;
    VirtualPrinter printer;
    platform::PrinterHandle handle = nullptr;
    rvs::test::TempDir files;
};

TEST_F(DriverSideValues, AWholeBlockForTheModelIsInstalled) {
    stage(block('F', 'M'), kUnit, 0);
    EXPECT_EQ(get(printer, handle, u"Download", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(get(printer, handle, u"GetPrinterVersion", 4).bytes, (std::vector<uint8_t>{0x20, 0x03, 1, 0}));
    const FirmwareStore store = printer.device(u"P").update([](DriverState& d) { return d.firmware; });
    ASSERT_EQ(store.received.size(), 1u);
    EXPECT_TRUE(store.received[0].accepted);
    EXPECT_EQ(store.installs, 1);
}

struct Refused {
    const char* name;
    char target;
    char kind;
    uint32_t declared;
    uint32_t type;
};
void PrintTo(const Refused& c, std::ostream* out) { *out << c.name; }

class RefusedDownloads : public DriverSideValues, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedDownloads, AreNotInstalled) {
    const Refused& c = GetParam();
    stage(block(c.target, c.kind), c.declared, c.type);
    EXPECT_EQ(get(printer, handle, u"Download", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(printer, handle, u"GetPrinterVersion", 4).bytes, (std::vector<uint8_t>{0x10, 0x03, 1, 0}));
    EXPECT_EQ(printer.device(u"P").update([](DriverState& d) { return d.firmware.installs; }), 0);
}

const Refused kRefused[] = {
    {"SizeNotAsDeclared", 'F', 'M', kUnit - 1, 0},
    {"AnotherModelsBlock", 'a', 'M', kUnit, 0},
    {"KindNotOfTheType", 'F', 'S', kUnit, 0},
};
INSTANTIATE_TEST_SUITE_P(Staged, RefusedDownloads, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriverSideValues, TheBootBlockIsWrittenOnlyAfterItWasTaken) {
    EXPECT_EQ(get(printer, handle, u"DownloadWrite", 1).bytes, std::vector<uint8_t>{1});
    stage(block('F', 'B'), kUnit, 2);
    EXPECT_EQ(get(printer, handle, u"DownloadFile", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(get(printer, handle, u"DownloadWrite", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(printer.device(u"P").update([](DriverState& d) { return d.firmware.installs; }), 1);
}

TEST_F(DriverSideValues, PaperFormCallsAreLoggedAndCanFail) {
    Device& device = printer.device(u"P");
    platform::PrinterPaperSetup setup;
    ASSERT_TRUE(printer.getPrinterSetup(handle, &setup));
    EXPECT_EQ(setup.deviceMode.size(), platform::kDeviceModeSize);
    device.injectFault(u"GetPrinterW", Fault::callFails());
    EXPECT_FALSE(printer.getPrinterSetup(handle, &setup));
    EXPECT_EQ(printer.deviceCapabilities(u"P", u"", platform::kDcPapers, nullptr, 0, nullptr), 5);
    uint16_t numbers[2] = {};
    EXPECT_EQ(printer.deviceCapabilities(u"P", u"", platform::kDcPapers, numbers, sizeof numbers, nullptr), -1)
        << "a list that does not fit is refused, not written past the buffer";
    const std::vector<Exchange> log = printer.exchanges();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].name, u"GetPrinterW");
    EXPECT_EQ(log[0].direction, Direction::Call);
    EXPECT_EQ(log[1].error, kErrorGenFailure);
    EXPECT_EQ(log[2].name, u"DeviceCapabilitiesW");
}

}  // namespace
}  // namespace rvs::sim::testing
