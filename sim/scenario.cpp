#include "sim/scenario.h"

#include <functional>
#include <memory>
#include <vector>

#include "sim/device.h"

namespace rvs::sim {

namespace {

constexpr uint8_t kPaperFed = 0x01;
constexpr uint8_t kPrinting = 0x20;
constexpr uint8_t kPresented = 0x40;
constexpr uint8_t kCut = 0x80;
constexpr uint8_t kPaperRemoved = 0x40;

using Step = std::function<void(Device&)>;

struct Script {
    std::vector<Step> steps;
    uint32_t stepMs = 0;
};

Step statusBit(uint8_t mask, bool on) {
    return [mask, on](Device& d) { d.setStatusBit(0, mask, on); };
}

// Runs step `index` once a status read has answered the state left by the step before it
// (`readsBefore` reads had been answered when that step ran), then schedules the next one.
void runStep(Device& device, std::shared_ptr<const Script> script, size_t index, uint64_t readsBefore) {
    if (device.statusReads() == readsBefore) {
        device.schedule(0, [script, index, readsBefore](Device& d) { runStep(d, script, index, readsBefore); });
        return;
    }
    script->steps[index](device);
    if (index + 1 < script->steps.size()) {
        const uint64_t reads = device.statusReads();
        device.schedule(script->stepMs,
                        [script, index, reads](Device& d) { runStep(d, script, index + 1, reads); });
    }
}

}  // namespace

uint32_t scheduleStatementScenario(Device& device, uint32_t stepMs) {
    auto script = std::make_shared<Script>();
    script->stepMs = stepMs;
    script->steps = {
        statusBit(kPaperFed, true),
        statusBit(kPrinting, true),
        statusBit(kPrinting, false),
        statusBit(kCut, true),
        statusBit(kCut, false),
        statusBit(kPresented, true),
        [](Device& d) {
            d.setAnswer(u"GetTransport", {0});
            d.setStatusBit(0, kPresented, false);
        },
        [](Device& d) { d.setAnswer(u"PaperRemoved", {kPaperRemoved}); },
        statusBit(kPaperFed, false),
    };
    const uint32_t steps = static_cast<uint32_t>(script->steps.size());
    device.schedule(0, [script = std::shared_ptr<const Script>(script)](Device& d) {
        d.setAnswer(u"PaperRemoved", {0});
        const uint64_t reads = d.statusReads();
        d.schedule(script->stepMs, [script, reads](Device& d2) { runStep(d2, script, 0, reads); });
    });
    return steps * stepMs;
}

}  // namespace rvs::sim
