#include "sim/scenario.h"

#include "sim/device.h"

namespace rvs::sim {

namespace {
constexpr uint8_t kPaperFed = 0x01;
constexpr uint8_t kPrinting = 0x20;
constexpr uint8_t kPresented = 0x40;
constexpr uint8_t kCut = 0x80;
constexpr uint8_t kPaperRemoved = 0x40;

void setBit(Device& device, uint8_t mask, bool on) { device.setStatusBit(0, mask, on); }
}  // namespace

uint32_t scheduleStatementScenario(Device& device, uint32_t stepMs) {
    device.schedule(0, [](Device& d) { d.setAnswer(u"PaperRemoved", {0}); });
    uint32_t at = 0;
    auto step = [&](auto action) {
        at += stepMs;
        device.schedule(at, action);
    };
    step([](Device& d) { setBit(d, kPaperFed, true); });
    step([](Device& d) { setBit(d, kPrinting, true); });
    step([](Device& d) { setBit(d, kPrinting, false); });
    step([](Device& d) { setBit(d, kCut, true); });
    step([](Device& d) { setBit(d, kCut, false); });
    step([](Device& d) { setBit(d, kPresented, true); });
    step([](Device& d) {
        d.setAnswer(u"GetTransport", {0});
        setBit(d, kPresented, false);
    });
    step([](Device& d) { d.setAnswer(u"PaperRemoved", {kPaperRemoved}); });
    step([](Device& d) { setBit(d, kPaperFed, false); });
    return at;
}

}  // namespace rvs::sim
