// The record of every printer-data call the virtual printer served, in call order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

namespace rvs::sim {

// Get and Set: printer-data values. Call: another spooler call (paper forms), named after it.
enum class Direction { Get, Set, Call };

// One spooler call.
struct Exchange {
    std::u16string name;
    Direction direction = Direction::Get;
    uint32_t type = 0;            // Set: the type given; Get: the type reported (0 if failed)
    uint32_t size = 0;            // Set: data size; Get: the caller's buffer size
    uint32_t needed = 0;          // Get: the needed size reported; Set: 0
    std::vector<uint8_t> bytes;   // Set: the data written; Get: the bytes delivered into the buffer
    uint32_t error = 0;           // 0 when the call succeeded, else the error returned
    uint32_t threadId = 0;        // rvs::platform::system().currentThreadId() of the caller

    bool operator==(const Exchange&) const = default;
};

// Readable form for test failures, e.g. get StatusGet size 5 needed 5 type 3 error 0 [21 00 00 20 00].
std::ostream& operator<<(std::ostream& out, const Exchange& exchange);

// Thread-safe and bounded: the monitor thread polls forever, so only the newest entries are kept.
class ExchangeLog {
public:
    static constexpr size_t kDefaultCapacity = 100000;

    void append(Exchange exchange);
    std::vector<Exchange> entries() const;
    std::vector<Exchange> entriesWithout(std::initializer_list<std::u16string> names) const;
    void clear();

    // Off: calls are served but not recorded (long demo runs).
    void setEnabled(bool enabled);
    bool enabled() const;
    // Entries beyond the capacity push out the oldest ones.
    void setCapacity(size_t capacity);

private:
    mutable std::mutex mutex_;
    std::deque<Exchange> entries_;
    size_t capacity_ = kDefaultCapacity;
    bool enabled_ = true;
};

}  // namespace rvs::sim
