#include "tools/status_words.h"

#include <cstdio>
#include <string>

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

struct CodeWord {
    uint32_t code;
    const char* text;
};

constexpr CodeWord kCodeWords[] = {
    {0, "success"},
    {2, "not ready"},
    {4, "printer error"},
    {7, "status time-out"},
    {8, "invalid handle"},
    {9, "invalid parameter, or a spooler call failed"},
    {10, "no callback registered"},
    {11, "printer busy"},
    {12, "paper error"},
    {14, "file error"},
    {16, "failure"},
    {19, "movement start time-out"},
    {20, "movement end time-out"},
    {21, "cut start time-out"},
    {22, "cut end time-out"},
    {23, "self-test error"},
    {27, "device select time-out"},
};

constexpr const char* kTraceLevels[] = {"FATAL", "ERR", "WAR", "INF", "TRACE", "DATA"};

}  // namespace

std::string describeResult(uint32_t code) {
    for (const CodeWord& word : kCodeWords) {
        if (word.code == code) {
            return std::to_string(code) + " (" + word.text + ")";
        }
    }
    return std::to_string(code) + " (the driver's code)";
}

std::string describeTraceLevels(uint8_t mode) {
    if (mode == 0) {
        return "off";
    }
    std::string words;
    for (int bit = 0; bit < 6; ++bit) {
        if ((mode & (1 << bit)) != 0) {
            words += words.empty() ? "" : " ";
            words += kTraceLevels[bit];
        }
    }
    // Status dumps are written whatever the mask, as long as it is not 0.
    words += words.empty() ? "STS" : " STS";
    return words;
}

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
