// The firmware download export: the block each model stages, the steps it drives, the staged
// bytes the printer read, and what a failure leaves behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "maintenance_calls_fixture.h"

namespace rvs::test {
namespace {

Names namesOf(const std::vector<sim::Exchange>& log) {
    Names names;
    for (const sim::Exchange& e : log) names.push_back(e.name);
    return names;
}

Bytes dwordBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

Bytes utf16Bytes(const std::u16string& text) {
    Bytes bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

std::string sessionInfo(const std::string& text) { return "[TRACE:5005]" + text; }

class FirmwareDownloadTest : public MaintenanceFixture {
protected:
    // The calling thread's requests (gets) and writes, by name.
    Names requests() { return namesOf(callerLog()); }
    // The trace of the last download without the wait's status lines.
    Lines downloadLines() { return lines(23); }
    std::u16string staging() { return images.wideFile("DL_TEMP.bin"); }
};

TEST_F(FirmwareDownloadTest, KorvelinFoBootDownloadRunsSwitchFileWriteThenTheSecondBlock) {
    openFresh(sim::Profile::korvelinFO());
    const Bytes boot = block('F', 'B', 1, 0x11);
    const Bytes firmwareBlock2 = block('F', 'F', 1, 0x22);
    const std::u16string path = writeImage(joined({boot, firmwareBlock2}));

    EXPECT_EQ(download(2, path), 0u);

    EXPECT_EQ(requests(),
              (Names{u"StatusGet", u"GetPrinterModel", u"Download_Input_Type", u"Download_Input_Size",
                     u"Download_Input_Name", u"DownloadSwitch", u"DownloadFile", u"DownloadWrite",
                     u"Download_Input_Type", u"Download_Input_Size", u"Download_Input_Name", u"DownloadCancel",
                     u"Download", u"GetPrinterVersion", u"GetConfiguration", u"DivisionPrinting",
                     u"DivisionPrintingOFF"}));
    EXPECT_EQ(exchangesOf(u"Download_Input_Type")[0].bytes, dwordBytes(2));
    EXPECT_EQ(exchangesOf(u"Download_Input_Type")[1].bytes, dwordBytes(15));
    EXPECT_EQ(exchangesOf(u"Download_Input_Size")[0].bytes, dwordBytes(kUnit));
    const sim::Exchange name = exchangesOf(u"Download_Input_Name")[0];
    EXPECT_EQ(name.type, platform::kRegSz);
    EXPECT_EQ(name.bytes, utf16Bytes(staging())) << "the staging path, without its terminator";

    // What the printer read from the staging file during its requests: each block whole.
    const sim::FirmwareStore store = firmware();
    ASSERT_EQ(store.received.size(), 2u);
    EXPECT_EQ(store.received[0].request, u"DownloadFile");
    EXPECT_EQ(store.received[0].bytes, boot);
    EXPECT_EQ(store.received[1].request, u"Download");
    EXPECT_EQ(store.received[1].bytes, firmwareBlock2);
    EXPECT_EQ(store.received[1].type, 15u);
    EXPECT_EQ(store.installs, 2);
    EXPECT_EQ(store.resets, 0);
    EXPECT_FALSE(staged()) << "the staging file is deleted after the download";

    EXPECT_EQ(downloadLines(),
              (Lines{callLine(23), inputLine("DL Type:2 File name:" + images.file("image.bin")),
                     sessionInfo("Printer model : Korvelin FO"), sessionInfo("Target : Korvelin FO"),
                     inputLine("DL File:2 "), callLine(129), returnLine(129), callLine(130), returnLine(130),
                     callLine(131), returnLine(131), sessionInfo("Target : Korvelin FO"), inputLine("DL File:15 "),
                     callLine(128), returnLine(128), callLine(114), returnLine(114), returnLine(23)}));
}

TEST_F(FirmwareDownloadTest, KorvelinFoImageWithoutASecondBlockResetsOntoTheFirst) {
    openFresh(sim::Profile::korvelinFO());
    const std::u16string path = writeImage(block('F', 'B', 1, 0x11));

    EXPECT_EQ(download(2, path), 0u);

    EXPECT_EQ(requests(),
              (Names{u"StatusGet", u"GetPrinterModel", u"Download_Input_Type", u"Download_Input_Size",
                     u"Download_Input_Name", u"DownloadSwitch", u"DownloadFile", u"DownloadWrite", u"DownloadReset",
                     u"GetPrinterVersion", u"GetConfiguration", u"DivisionPrinting", u"DivisionPrintingOFF"}));
    EXPECT_EQ(firmware().resets, 1);
    EXPECT_FALSE(staged());
    const Lines trace = downloadLines();
    EXPECT_NE(std::find(trace.begin(), trace.end(), callLine(132)), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), returnLine(132)), trace.end());
}

TEST_F(FirmwareDownloadTest, KorvelinStagesTheFirstUnmarkedBlockAndEverythingAfterIt) {
    openFresh(sim::Profile::korvelin());
    const Bytes image = joined({block('F', 'M', 1, 0x11), block('x', 'M', 1, 0x22), block('a', 'M', 2, 0x33)});
    const std::u16string path = writeImage(image);

    EXPECT_EQ(download(0, path), 0u);

    EXPECT_EQ(requests(), (Names{u"StatusGet", u"GetPrinterModel", u"Download_Input_Type", u"Download_Input_Size",
                                u"Download_Input_Name", u"Download", u"GetPrinterVersion", u"GetConfiguration",
                                u"DivisionPrinting", u"DivisionPrintingOFF"}));
    EXPECT_EQ(exchangesOf(u"Download_Input_Size")[0].bytes, dwordBytes(3 * kUnit));
    const sim::FirmwareStore store = firmware();
    ASSERT_EQ(store.received.size(), 1u);
    EXPECT_EQ(store.received[0].bytes, slice(image, kUnit, 3 * kUnit));
    EXPECT_TRUE(store.received[0].accepted);
}

TEST_F(FirmwareDownloadTest, BlockDeclaredPastTheEndOfTheImageIsAFileError) {
    openFresh(sim::Profile::oxaSt());
    Bytes image = block('a', 'M', 1);
    image[20] = 3;  // 196608 bytes declared, 65536 there
    const std::u16string path = writeImage(image);

    EXPECT_EQ(download(0, path), 14u);

    EXPECT_TRUE(firmware().received.empty());
    EXPECT_FALSE(staged());
    for (const std::u16string& name : requests()) EXPECT_NE(name.rfind(u"Download", 0), 0u) << "nothing sent";
}

TEST_F(FirmwareDownloadTest, TheVersionIsReadAgainAfterTheDownload) {
    openFresh(sim::Profile::korvelinFO(0x0310));
    Bytes firmwareBlock = block('F', 'M', 1);
    firmwareBlock[22] = 0x20;
    firmwareBlock[23] = 0x03;
    EXPECT_EQ(download(0, writeImage(firmwareBlock)), 0u);
    EXPECT_EQ(locked([](Session& s) { return s.firmwareVersion; }), 0x0320);
    EXPECT_EQ(locked([](Session& s) { return s.printerModel; }), 1);
}

// --- faults mended

TEST_F(FirmwareDownloadTest, AFailedModelReadKeepsTheSessionsModel) {
    openFresh(sim::Profile::korvelinFO());
    device->injectFault(u"GetPrinterModel", sim::Fault::callFails());
    // A Korvelin would stage the unmarked block; the Korvelin FO takes its own.
    const Bytes image = joined({block('x', 'M', 1, 0x11), block('F', 'M', 1, 0x22)});
    EXPECT_EQ(download(0, writeImage(image)), 0u);
    ASSERT_EQ(firmware().received.size(), 1u);
    EXPECT_EQ(firmware().received[0].bytes, slice(image, kUnit, kUnit));
}

TEST_F(FirmwareDownloadTest, OnlyAMissingSecondBlockTakesTheResetPath) {
    openFresh(sim::Profile::korvelinFO());
    // The second block is there but of the wrong length: a damaged image, not a missing block.
    Bytes second = block('F', 'F', 1);
    second[20] = 0;
    const std::u16string path = writeImage(joined({block('F', 'B', 1), second}));
    EXPECT_EQ(download(2, path), 14u);
    EXPECT_EQ(firmware().resets, 0);
    EXPECT_FALSE(staged());
    EXPECT_EQ(lines(23).back(), returnLine(23));
    EXPECT_EQ(lines(23)[lines(23).size() - 2], errorReturn(23, 14));
}

TEST_F(FirmwareDownloadTest, ArgumentsAndPathsTheDownloadRefuses) {
    openFresh(sim::Profile::korvelinFO());
    EXPECT_EQ(RvStatementFirmwareDownload(handle, 0, nullptr), 9u);
    EXPECT_EQ(lines(23), (Lines{callLine(23), errorReturn(23, 9), returnLine(23)}));
    EXPECT_EQ(RvStatementFirmwareDownload(nullptr, 0, toRvChar(u"/tmp/x.bin")), 8u);

    // A file name without a directory: the staging file has nowhere to go.
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(images.path());
    writeImage(block('F', 'M', 1), "bare.bin");
    EXPECT_EQ(download(0, u"bare.bin"), 16u);
    std::filesystem::current_path(previous);
    EXPECT_FALSE(staged());

    // A path far longer than any the system takes is refused before it is copied or traced.
    const std::u16string endless(40000, u'a');
    EXPECT_EQ(RvStatementFirmwareDownload(handle, 0, toRvChar(endless)), 16u);
    EXPECT_EQ(lines(23), (Lines{callLine(23), errorReturn(23, 16), returnLine(23)}));

    EXPECT_EQ(download(0, images.wideFile("missing.bin")), 9u) << "no image";
    EXPECT_EQ(download(0, writeImage({}, "empty.bin")), 9u) << "an empty image";
    EXPECT_EQ(download(0, writeImage(Bytes(10, 0), "short.bin")), 14u) << "shorter than a header";
    EXPECT_TRUE(firmware().received.empty());
}

TEST_F(FirmwareDownloadTest, AnOlderLongerStagingFileIsCutToTheNewBlock) {
    openFresh(sim::Profile::korvelinFO());
    writeImage(Bytes(5 * kUnit, 0xEE), "DL_TEMP.bin");
    const Bytes image = block('F', 'M', 1, 0x44);
    EXPECT_EQ(download(0, writeImage(image)), 0u);
    ASSERT_EQ(firmware().received.size(), 1u);
    EXPECT_EQ(firmware().received[0].bytes, image);
}

TEST_F(FirmwareDownloadTest, AStatusErrorEndsTheCallBeforeAnythingIsStaged) {
    openPrinter(sim::Profile::korvelinFO());
    device->setStatus({0x08, 0, 0, 0, 0});
    awaitCycles();
    spooler->clearLog();
    EXPECT_EQ(download(0, writeImage(block('F', 'M', 1))), 4u);
    EXPECT_EQ(requests(), Names{u"StatusGet"});
    EXPECT_FALSE(staged());
}

TEST_F(FirmwareDownloadTest, AMonitorThatStoppedCyclingDoesNotHoldTheDownload) {
    openPrinter(sim::Profile::korvelinFO());
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    const std::u16string path = writeImage(block('F', 'M', 1));
    uint32_t result = 0;
    uint32_t elapsed = 0;
    {
        // No cycle can complete while the test holds the monitor's cycle lock.
        std::unique_lock<Lock> parked = park();
        const uint32_t start = clock->tickCount();
        result = download(0, path);
        elapsed = clock->tickCount() - start;
    }
    EXPECT_EQ(result, 0u);
    // The settle, the readiness round and the bounded wait for a cycle that never came.
    EXPECT_GE(elapsed, 3000u + 1000u + 10000u);
}

TEST_F(FirmwareDownloadTest, TheDownloadWaitsForThePrinterToSettle) {
    openPrinter(sim::Profile::korvelinFO());
    const std::u16string path = writeImage(block('F', 'M', 1));
    const uint32_t start = clock->tickCount();
    EXPECT_EQ(download(0, path), 0u);
    const uint32_t elapsed = clock->tickCount() - start;
    // The settle, the readiness round and, with no callback, one poll interval.
    EXPECT_GE(elapsed, 3000u + 1000u + kIntervalMs);
}

}  // namespace
}  // namespace rvs::test
