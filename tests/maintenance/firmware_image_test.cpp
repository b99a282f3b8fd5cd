// The image parser on its own: which block of an image each model and type stages.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

#include "maintenance/firmware_image.h"
#include "maintenance_calls_fixture.h"

namespace rvs::test {
namespace {

class BytesSource final : public FirmwareHeaderSource {
public:
    explicit BytesSource(const Bytes& image) : image_(image) {}
    bool readHeader(uint64_t offset, FirmwareHeader& header) override {
        if (offset > image_.size() || image_.size() - offset < header.size()) return false;
        std::memcpy(header.data(), image_.data() + offset, header.size());
        return true;
    }

private:
    const Bytes& image_;
};

// Headers only: a block's data is never read by the choice, so short blocks stand for long ones.
Bytes header(char target, char kind, uint8_t units) {
    Bytes bytes(24, 0);
    bytes[18] = static_cast<uint8_t>(target);
    bytes[19] = static_cast<uint8_t>(kind);
    bytes[20] = units;
    return bytes;
}

struct ChoiceCase {
    const char* name;
    uint8_t model;
    uint8_t type;
    std::vector<Bytes> blocks;  // each as long as its header says
    Result result;
    uint64_t offset = 0;
    uint32_t size = 0;
    bool noMatch = false;
    int64_t cutEnd = 0;  // bytes taken off the end of the image
};
void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }

Bytes imageOf(const ChoiceCase& c) {
    Bytes image;
    for (const Bytes& h : c.blocks) {
        Bytes whole = h;
        whole.resize(std::max<size_t>(size_t{h[20]} * kUnit, 24), 0);
        image.insert(image.end(), whole.begin(), whole.end());
    }
    image.resize(static_cast<size_t>(static_cast<int64_t>(image.size()) - c.cutEnd));
    return image;
}

const ChoiceCase kCases[] = {
    {"FoBootBlock", 1, 2, {header('F', 'B', 1), header('F', 'F', 1)}, kSuccess, 0, kUnit},
    {"FoSecondRoundSkipsTheBootBlock", 1, 15, {header('F', 'B', 1), header('F', 'F', 2)}, kSuccess, kUnit, 2 * kUnit},
    {"FoSecondRoundWithoutASecondBlock", 1, 15, {header('F', 'B', 1)}, kFileError, 0, 0, true},
    {"OxaMainBlockAfterOthers", 2, 0, {header('F', 'M', 2), header('x', 'M', 1), header('a', 'M', 1)}, kSuccess,
     3 * kUnit, kUnit},
    {"WrongKindLetter", 2, 1, {header('a', 'M', 1)}, kFileError},
    {"OtherTypesTakeAnyKind", 2, 7, {header('a', 'Q', 1)}, kSuccess, 0, kUnit},
    {"KorvelinStagesTheRestOfTheImage", 0, 0, {header('F', 'M', 1), header('z', 'M', 1), header('a', 'M', 2)},
     kSuccess, kUnit, 3 * kUnit},
    {"DeclaredPastTheEnd", 2, 0, {header('a', 'M', 3)}, kFileError, 0, 0, false, 2 * kUnit - 100},
    {"BlockOfLengthZero", 1, 0, {header('F', 'M', 0)}, kFileError},
    {"SkippedBlockOfLengthZero", 1, 0, {header('a', 'M', 0), header('F', 'M', 1)}, kFileError},
    {"KorvelinBlockOfLengthZero", 0, 0, {header('F', 'M', 0), header('x', 'M', 1)}, kFileError},
    {"FifthHeaderMatches", 2, 0,
     {header('x', 'M', 1), header('x', 'M', 1), header('x', 'M', 1), header('x', 'M', 1), header('a', 'M', 1)},
     kSuccess, 4 * kUnit, kUnit},
    {"MoreThanFiveBlocksAhead", 2, 0,
     {header('x', 'M', 1), header('x', 'M', 1), header('x', 'M', 1), header('x', 'M', 1), header('x', 'M', 1),
      header('a', 'M', 1)},
     kFileError, 0, 0, true},
    {"NoBlockForTheModel", 2, 0, {header('F', 'M', 1), header('x', 'M', 1)}, kFileError, 0, 0, true},
    {"ShortHeader", 1, 0, {header('x', 'M', 1)}, kFileError, 0, 0, false, kUnit - 20},
};

class FirmwareImageChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FirmwareImageChoice, StagesTheBlockForTheModelAndType) {
    const ChoiceCase& c = GetParam();
    const Bytes image = imageOf(c);
    BytesSource source(image);
    const FirmwareBlockChoice choice = ChooseFirmwareBlock(image.size(), c.model, c.type, source);
    EXPECT_EQ(choice.result, c.result);
    EXPECT_EQ(choice.noMatchingBlock, c.noMatch);
    if (c.result == kSuccess) {
        EXPECT_EQ(choice.offset, c.offset);
        EXPECT_EQ(choice.size, c.size);
    }
}

INSTANTIATE_TEST_SUITE_P(Images, FirmwareImageChoice, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FirmwareStagingPath, SitsBesideTheImageAndStaysWithinItsLimit) {
    std::u16string path;
    EXPECT_EQ(StagingPathFor(u"C:\\fw\\image.bin", u'\\', path), kSuccess);
    EXPECT_EQ(path, u"C:\\fw\\DL_TEMP.bin");
    EXPECT_EQ(StagingPathFor(u"image.bin", u'\\', path), kFailure) << "no directory";
    // 248 characters of directory and separator plus "DL_TEMP.bin" make 259: the longest allowed.
    const std::u16string longest = std::u16string(247, u'd') + u"\\x.bin";
    EXPECT_EQ(StagingPathFor(longest, u'\\', path), kSuccess);
    EXPECT_EQ(path.size(), 259u);
    EXPECT_EQ(StagingPathFor(u"d" + longest, u'\\', path), kFailure);
}

}  // namespace
}  // namespace rvs::test
