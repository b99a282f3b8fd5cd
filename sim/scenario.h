// Scripted printer behaviour on a device's timeline.
#pragma once

#include <cstdint>

namespace rvs::sim {

class Device;

// A short statement, one step every `stepMs`: paper fed (status byte 0 bit 0x01 rises),
// printing (bit 0x20 up, then down), cut (bit 0x80 up, then down), presented (bit 0x40 up),
// paper leaves the exit (bit 0x40 down, "GetTransport" answers 0), taken ("PaperRemoved"
// answers 0x40), paper fed bit falls. At its start "PaperRemoved" is put back to 0, so the
// scenario can be scheduled again.
// A step runs only once a "StatusGet" has answered the step before it, so a monitor that polls
// late (a loaded machine) still sees every step; the next step is then due `stepMs` later.
// Returns the total duration in ms when the status is polled at least once a step.
uint32_t scheduleStatementScenario(Device& device, uint32_t stepMs = 300);

}  // namespace rvs::sim
