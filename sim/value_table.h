// What the driver does with each printer-data value name: one handler per name, registered by
// family (values_*.cpp, listed in value_families.h), instead of a chain of name comparisons.
//
// A value is a line or a few in its family's file. A plain one-byte command:
//   table.add(u"Cut", {.initial = answerZeros(1)});
// A command that acts on the device when carried out, here raising a movement bit at once and
// dropping it 300 ms later on the device's timeline:
//   table.add(u"Present", {.initial = answerZeros(1),
//                          .onRequest = [](DriverState& driver, const Answer& given) {
//                              if (given.bytes == std::vector<uint8_t>{0}) {
//                                  driver.setStatusBit(0, 0x40, true);
//                                  driver.after(300, [](Device& d) { d.setStatusBit(0, 0x40, false); });
//                              }
//                          }});
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/spooler.h"
#include "sim/profile.h"

namespace rvs::sim {

class DriverState;

// The data and type a get delivers.
struct Answer {
    std::vector<uint8_t> bytes;
    uint32_t type = platform::kRegBinary;

    bool operator==(const Answer&) const = default;
};

Answer binary(std::vector<uint8_t> bytes);
Answer zeros(size_t size);
Answer dword(uint32_t value);  // REG_DWORD, 4 bytes little-endian
// The first (up to) four bytes as a little-endian number.
uint32_t readDword(const std::vector<uint8_t>& bytes);

// Every member is optional. Handlers run with the device locked: they change the device
// through DriverState (and later through its timeline), never through Device.
struct ValueHandler {
    // The answer a new printer keeps for the name until a test or the library replaces it.
    std::function<Answer(const Profile&)> initial = nullptr;
    // The answer computed from the driver's state on every get, unless a test set one
    // (Device::setAnswer). nullopt: the get fails as for an unknown name. Unset: the kept answer.
    std::function<std::optional<Answer>(const DriverState&)> answer = nullptr;
    // What the request does to the device. Runs after a get that delivered the driver's own
    // answer (`given`, a test's answer included); not when the call failed, the buffer was too
    // short or an injected fault answered instead.
    std::function<void(DriverState&, const Answer& given)> onRequest = nullptr;
    // What a write does to the device, after the data has been kept as the name's input and answer.
    std::function<void(DriverState&, const std::vector<uint8_t>& written)> onWrite = nullptr;
};

// `initial` for the usual answers.
std::function<Answer(const Profile&)> answerBytes(std::vector<uint8_t> bytes);
std::function<Answer(const Profile&)> answerZeros(size_t size);
std::function<Answer(const Profile&)> answerDword(uint32_t value);

class ValueTable {
public:
    // Throws std::logic_error when the name already has a handler: one family owns each name.
    void add(const std::u16string& name, ValueHandler handler);
    // Null for a name without a handler: it is unknown until the library writes it.
    const ValueHandler* find(const std::u16string& name) const;
    const std::map<std::u16string, ValueHandler>& handlers() const { return handlers_; }

private:
    std::map<std::u16string, ValueHandler> handlers_;
};

// Every family's handlers, built once.
const ValueTable& valueTable();

}  // namespace rvs::sim
