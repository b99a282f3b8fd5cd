#include "sim/paper_path.h"

#include <memory>

#include "platform/platform.h"
#include "sim/device.h"
#include "sim/driver_state.h"

namespace rvs::sim {
namespace {

// Status reads that must answer between a change and the step that undoes it.
constexpr uint64_t kReadsBetweenSteps = 2;

void runIfCurrent(DriverState& driver, uint64_t generation, const DeviceStep& step) {
    if (driver.paper.generation == generation) {
        step(driver);
    }
}

void runOnceSeen(Device& device, uint64_t readsBefore, uint64_t generation, DeviceStep step) {
    if (device.statusReads() < readsBefore + kReadsBetweenSteps) {
        device.schedule(0, [=](Device& d) { runOnceSeen(d, readsBefore, generation, step); });
        return;
    }
    device.update([&](DriverState& driver) { runIfCurrent(driver, generation, step); });
}

uint8_t mask(Movement movement) { return static_cast<uint8_t>(movement); }

void endMovement(DriverState& driver, Movement movement) {
    PaperPath& paper = driver.paper;
    if (paper.behaviour.movementJams) {
        driver.setStatusBit(0, statusbit::PaperError, true);
        return;
    }
    if (!paper.behaviour.movementEnds) {
        return;
    }
    const DeviceTimings& timings = driver.profile().timings;
    paper.transport &= static_cast<uint8_t>(~mask(movement));
    paper.feedingValue = timings.statementFeed;
    driver.setStatusBit(0, statusbit::Moving, false);
    const DeviceStep pathClear = [](DriverState& d) { d.setStatusBit(0, statusbit::PaperFed, false); };
    switch (movement) {
        case Movement::Present:
            if (paper.behaviour.customerTakesAfterMs) {
                afterSeen(driver, *paper.behaviour.customerTakesAfterMs, [pathClear](DriverState& d) {
                    d.paper.paperRemoved = 0x40;
                    pathClear(d);
                });
            }
            break;
        case Movement::Retract:
            ++paper.retractedCount;
            afterSeen(driver, timings.startMs, pathClear);
            break;
        case Movement::Eject:
            afterSeen(driver, timings.startMs, pathClear);
            break;
        case Movement::PaperChange:
            break;
    }
}

}  // namespace

void afterTime(DriverState& driver, uint32_t afterMs, DeviceStep step) {
    const uint64_t generation = driver.paper.generation;
    driver.after(afterMs, [=](Device& device) {
        device.update([&](DriverState& d) { runIfCurrent(d, generation, step); });
    });
}

void afterSeen(DriverState& driver, uint32_t afterMs, DeviceStep step) {
    const uint64_t generation = driver.paper.generation;
    // The count is taken on the device's next call, outside its lock.
    driver.after(0, [=](Device& device) {
        const uint64_t readsBefore = device.statusReads();
        device.schedule(afterMs, [=](Device& d) { runOnceSeen(d, readsBefore, generation, step); });
    });
}

void receiveTransferFile(DriverState& driver, const std::u16string& nameValue) {
    ReceivedFile received;
    if (std::optional<std::vector<uint8_t>> bytes = driver.input(nameValue)) {
        for (size_t i = 0; i + 1 < bytes->size(); i += 2) {
            received.path.push_back(static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8)));
        }
    }
    platform::System& sys = platform::system();
    if (std::unique_ptr<platform::File> file = sys.openFile(received.path, platform::FileMode::Read)) {
        std::vector<uint8_t> data(static_cast<size_t>(file->size()));
        uint32_t got = 0;
        if (data.empty() || (file->read(data.data(), static_cast<uint32_t>(data.size()), &got) && got == data.size())) {
            received.data = std::move(data);
        }
    }
    driver.paper.received.push_back(std::move(received));
}

void startMovement(DriverState& driver, Movement movement) {
    PaperPath& paper = driver.paper;
    paper.transport |= mask(movement);
    if (movement == Movement::Present) {
        paper.paperRemoved = 0;
    }
    if (!paper.behaviour.movementStarts) {
        return;
    }
    afterTime(driver, driver.profile().timings.startMs, [movement](DriverState& d) {
        d.setStatusBit(0, statusbit::Moving, true);
        afterSeen(d, d.profile().timings.movementMs, [movement](DriverState& d2) { endMovement(d2, movement); });
    });
}

void startCut(DriverState& driver, DeviceStep afterCut) {
    if (!driver.paper.behaviour.cutStarts) {
        return;
    }
    afterTime(driver, driver.profile().timings.startMs, [afterCut](DriverState& d) {
        d.setStatusBit(0, statusbit::Cutting, true);
        afterSeen(d, d.profile().timings.cutMs, [afterCut](DriverState& d2) {
            if (!d2.paper.behaviour.cutEnds) {
                return;
            }
            d2.setStatusBit(0, statusbit::Cutting, false);
            if (afterCut) {
                afterCut(d2);
            }
        });
    });
}

}  // namespace rvs::sim
