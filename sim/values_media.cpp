// Paper movements, cut, transport, reset and recovery: each starts the device's action.
#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {
namespace {

using Action = std::function<void(DriverState&)>;

// A one-byte command that does `action` when the driver carried it out (answered 0).
ValueHandler command(Action action) {
    return {.initial = answerZeros(1), .onRequest = [action](DriverState& d, const Answer& given) {
                if (given.bytes == std::vector<uint8_t>{0}) {
                    action(d);
                }
            }};
}

Action movement(Movement m) {
    return [m](DriverState& d) { startMovement(d, m); };
}

// A cut first unless the configuration says there is none (byte 0: bit 4 clear, bit 7 set).
void transport(DriverState& d) {
    const std::vector<uint8_t> mode = d.input(u"Transport_input").value_or(std::vector<uint8_t>{});
    const Movement kinds[] = {Movement::Present, Movement::Eject, Movement::Retract};
    if (mode.empty() || mode[0] < 1 || mode[0] > 3) {
        return;
    }
    const Movement kind = kinds[mode[0] - 1];
    const std::optional<Answer> configuration = d.answerFor(u"GetConfiguration");
    const uint8_t byte0 = configuration && !configuration->bytes.empty() ? configuration->bytes[0] : 0;
    if ((byte0 & 0x10) == 0 && (byte0 & 0x80) != 0) {
        startMovement(d, kind);
        return;
    }
    startCut(d, [kind](DriverState& s) { startMovement(s, kind); });
}

// The status goes unanswered while the printer restarts; it comes back without errors or motion.
void reset(DriverState& d) {
    ++d.paper.generation;
    d.paper.resetting = true;
    afterTime(d, d.profile().timings.resetMs, [](DriverState& s) {
        if (!s.paper.behaviour.answersAfterReset) {
            return;
        }
        s.paper.resetting = false;
        s.status[0] &= static_cast<uint8_t>(~(statusbit::PrinterError | statusbit::PaperError | statusbit::Printing |
                                              statusbit::Moving | statusbit::Cutting));
        s.status[1] &= static_cast<uint8_t>(~0x44);
        s.paper.statusWord = {0, 0};
        s.paper.transport = 0;
    });
}

void recover(DriverState& d) {
    afterTime(d, d.profile().timings.recoverMs, [](DriverState& s) {
        if (!s.paper.behaviour.recovers) {
            return;
        }
        s.status[0] &= static_cast<uint8_t>(~(statusbit::PrinterError | statusbit::PaperError));
        s.status[1] &= static_cast<uint8_t>(~0x44);
        s.status[4] &= static_cast<uint8_t>(~0x80);
    });
}

}  // namespace

void addMediaValues(ValueTable& table) {
    table.add(u"Present", command(movement(Movement::Present)));
    table.add(u"Eject", command(movement(Movement::Eject)));
    table.add(u"Retract", command(movement(Movement::Retract)));
    table.add(u"PaperChange", command(movement(Movement::PaperChange)));
    table.add(u"Cut", command([](DriverState& d) { startCut(d); }));
    table.add(u"Transport", command(transport));
    table.add(u"Reset", command(reset));
    table.add(u"Recover", command(recover));
}

}  // namespace rvs::sim
