#include "tools/status_words.h"

#include <cstdio>

namespace rvs::tool {
namespace {

struct Word {
    size_t byte;
    uint8_t mask;
    const char* text;
};

constexpr Word kWords[] = {
    {0, 0x01, "paper in the path"},
    {0, 0x20, "printing"},
    {0, 0x40, "paper moving to the exit"},
    {0, 0x80, "cutting"},
    {0, 0x08, "printer error"},
    {0, 0x10, "paper error"},
    {2, 0x04, "not ready"},
    {2, 0x40, "not ready"},
    {4, 0x04, "last page reached"},
    {4, 0x08, "print time-out purged the printer"},
    {4, 0x40, "paper taken"},
    {4, 0x80, "status read failed"},
};

}  // namespace

std::string describeStatus(const uint8_t* status) {
    std::string words;
    for (const Word& word : kWords) {
        if ((status[word.byte] & word.mask) != 0 && words.find(word.text) == std::string::npos) {
            words += words.empty() ? "" : ", ";
            words += word.text;
        }
    }
    return words.empty() ? "idle, paper path clear" : words;
}

std::string hexBytes(const uint8_t* bytes, size_t length) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

}  // namespace rvs::tool
