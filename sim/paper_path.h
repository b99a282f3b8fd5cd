// The print job, the paper path and the customer at the exit as the virtual printer plays them:
// requests start actions that raise and drop status bits on the device's timeline.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rvs::sim {

class DriverState;

// Status byte 0 bits the device raises and drops.
namespace statusbit {
inline constexpr uint8_t PaperFed = 0x01;
inline constexpr uint8_t PrinterError = 0x08;
inline constexpr uint8_t PaperError = 0x10;
inline constexpr uint8_t Printing = 0x20;
inline constexpr uint8_t Moving = 0x40;
inline constexpr uint8_t Cutting = 0x80;
}  // namespace statusbit

// How the printer and its customer behave: scenario data a test or the demo sets.
struct MediaBehaviour {
    bool jobStarts = true;        // "StartPrinting" raises status byte 0 bit 5
    bool jobEnds = true;          // after "EndPrinting" the job ends: bit 5 falls, the status word clears
    bool movementStarts = true;   // a movement raises status byte 0 bit 6
    bool movementEnds = true;     // ... and drops it at its end
    bool movementJams = false;    // the paper sticks: bit 4 (paper error) rises and bit 6 stays up
    bool cutStarts = true;        // a cut raises status byte 0 bit 7
    bool cutEnds = true;          // ... and drops it
    // The customer takes a presented statement this long after it reached the exit; never when empty.
    std::optional<uint32_t> customerTakesAfterMs = 1000;
    bool answersAfterReset = true;  // the status is answered again once the reset is over
    bool recovers = true;           // "Recover" clears the error bits
    std::vector<uint8_t> reply = {0x06, 0x10, 0x20, 0x30};  // "TxRx" answers this, cut or padded with 0
};

// A transfer file as the driver found it during the request that named it.
struct ReceivedFile {
    std::u16string path;
    std::optional<std::vector<uint8_t>> data;  // empty when the file could not be read
};

// "GetTransport" bits: the paper of that movement is still on its way.
enum class Movement : uint8_t { Present = 0x02, Eject = 0x04, Retract = 0x08, PaperChange = 0x10 };

struct PaperPath {
    MediaBehaviour behaviour;
    std::array<uint8_t, 2> statusWord{};  // "GetPrinterStatus": byte 0 bit 5 busy, byte 1 bit 0 job
    uint8_t transport = 0;                // "GetTransport"
    uint8_t paperRemoved = 0;             // "PaperRemoved": 0x40 once the customer took the paper
    uint32_t feedingValue = 0;            // "GetFeedingValue": what the last movement fed
    uint8_t retractedCount = 0;           // "GetRetractedCount"
    bool resetting = false;               // "StatusGet" goes unanswered meanwhile
    uint64_t generation = 0;              // a reset drops the steps scheduled before it
    std::vector<ReceivedFile> received;   // every transfer file the driver read
};

using DeviceStep = std::function<void(DriverState&)>;

// Runs `step` on the driver's state (the device locked) once `afterMs` have passed.
void afterTime(DriverState& driver, uint32_t afterMs, DeviceStep step);
// The same, but not before the status has been read twice since it was scheduled: a monitor that
// polls late still sees the state the step ends.
void afterSeen(DriverState& driver, uint32_t afterMs, DeviceStep step);

// Reads the transfer file whose path the library wrote under `nameValue` (REG_SZ, no NUL).
void receiveTransferFile(DriverState& driver, const std::u16string& nameValue);

// The movements and the cut, with what follows them (the customer, the paper path clearing).
void startMovement(DriverState& driver, Movement movement);
void startCut(DriverState& driver, DeviceStep afterCut = nullptr);

}  // namespace rvs::sim
