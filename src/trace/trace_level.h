// Trace levels: the high four bits of a trace id, their words in the line and the mode bits
// that enable them.
#pragma once

#include <cstdint>

namespace rvs {

inline constexpr uint16_t kTraceLevelMask = 0xF000;
inline constexpr uint16_t kTraceLevelFatal = 0x1000;
inline constexpr uint16_t kTraceLevelStatus = 0x7000;

// The word printed for the id's level; nullptr for levels that are never written.
inline const char16_t* traceLevelWord(uint16_t id) {
    switch (id & kTraceLevelMask) {
        case 0x1000: return u"FATAL";
        case 0x2000: return u"ERR";
        case 0x3000: return u"WAR";
        case 0x4000: return u"INF";
        case 0x5000: return u"TRACE";
        case 0x6000: return u"DATA";
        case 0x7000: return u"STS";
        default: return nullptr;
    }
}

// Levels 1 to 6 follow mode bits 0x01 to 0x20; status dumps follow any non-zero mode.
inline bool traceLevelEnabled(uint8_t mode, uint16_t id) {
    if (mode == 0) return false;
    unsigned level = (id & kTraceLevelMask) >> 12;
    if (level == 7) return true;
    if (level < 1 || level > 6) return false;
    return (mode & (1u << (level - 1))) != 0;
}

}  // namespace rvs
