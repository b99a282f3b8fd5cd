// Bulk data handed to the driver in a transfer file.
#include <gtest/gtest.h>

#include "channel/channel.h"
#include "channel_fixture.h"
#include "platform/platform.h"

namespace rvs::test {
namespace {

std::vector<uint8_t> utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

std::u16string fromUtf16Bytes(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    return text;
}

std::vector<uint8_t> readWholeFile(const std::u16string& path) {
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::Read);
    if (!file) {
        return {};
    }
    std::vector<uint8_t> content(static_cast<size_t>(file->size()));
    uint32_t got = 0;
    file->read(content.data(), static_cast<uint32_t>(content.size()), &got);
    content.resize(got);
    return content;
}

struct SizeForm {
    const char* name;
    const char16_t* nameValue;
    const char16_t* sizeValue;
    SizeValueForm form;
    uint32_t type;
    std::vector<uint8_t> sizeBytes;  // for 300 bytes of data
};

class HandOffFileTest : public ChannelFixture, public ::testing::WithParamInterface<SizeForm> {};

TEST_P(HandOffFileTest, PassesPathAndSizeAndTheFileHoldsTheDataDuringTheRequest) {
    openParked();
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    std::u16string path;
    std::vector<uint8_t> seenByDriver;
    {
        TransferFile file;
        ASSERT_EQ(handOffFile(session(), data.data(), 300, GetParam().nameValue, GetParam().sizeValue,
                              GetParam().form, file),
                  0u);
        path = file.path();
        ASSERT_FALSE(path.empty());
        // The driver reads the file while it serves the request that follows.
        device->schedule(0, [&](sim::Device&) { seenByDriver = readWholeFile(path); });
        EXPECT_EQ(requestCommand(session(), u"TxRx_No_Response"), 0u);
    }
    EXPECT_EQ(seenByDriver, data);
    EXPECT_FALSE(platform::system().fileExists(path));

    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].name, GetParam().nameValue);
    EXPECT_EQ(log[0].type, 1u);
    EXPECT_EQ(log[0].size, path.size() * 2);  // no terminating NUL
    EXPECT_EQ(log[0].bytes, utf16Bytes(path));
    EXPECT_EQ(log[1].name, GetParam().sizeValue);
    EXPECT_EQ(log[1].type, GetParam().type);
    EXPECT_EQ(log[1].size, GetParam().sizeBytes.size());
    EXPECT_EQ(log[1].bytes, GetParam().sizeBytes);
    EXPECT_EQ(log[2].name, u"TxRx_No_Response");
}

INSTANTIATE_TEST_SUITE_P(Forms, HandOffFileTest,
                         ::testing::Values(SizeForm{"Dword", u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size",
                                                    SizeValueForm::Dword4, 4, {0x2C, 0x01, 0x00, 0x00}},
                                           SizeForm{"Binary2", u"SelfTest_Input_Name", u"SelfTest_Input_Size",
                                                    SizeValueForm::Binary2, 3, {0x2C, 0x01}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StringValueSizeTest, IsTwoBytesPerCharacterWithoutTheNul) {
    EXPECT_EQ(stringValueSize(std::u16string(40, u'x')), 80u);
    EXPECT_EQ(stringValueSize(u""), 0u);
}

class FailedInputWriteTest : public ChannelFixture, public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(FailedInputWriteTest, DeletesTheFileAndGives9) {
    openParked();
    device->injectFault(GetParam(), sim::Fault::callFails());
    const uint8_t data[4] = {1, 2, 3, 4};
    TransferFile file;
    EXPECT_EQ(handOffFile(session(), data, 4, u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size", SizeValueForm::Dword4,
                          file),
              9u);
    EXPECT_FALSE(file.opened());

    const std::vector<sim::Exchange> log = exchanges();
    ASSERT_FALSE(log.empty());
    const std::u16string path = fromUtf16Bytes(log[0].bytes);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(platform::system().fileExists(path));
    EXPECT_EQ(log.back().name, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Inputs, FailedInputWriteTest,
                         ::testing::Values(u"TxRx_Input_Tx_Name", u"TxRx_Input_Tx_Size"));

}  // namespace
}  // namespace rvs::test
