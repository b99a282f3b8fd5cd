#include "sim/exchange_log.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace rvs::sim {

std::ostream& operator<<(std::ostream& out, const Exchange& exchange) {
    out << (exchange.direction == Direction::Get ? "get " : exchange.direction == Direction::Set ? "set " : "call ");
    for (char16_t unit : exchange.name) {
        out << (unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    out << " size " << exchange.size << " needed " << exchange.needed << " type " << exchange.type << " error "
        << exchange.error << " [";
    for (size_t i = 0; i < exchange.bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", exchange.bytes[i]);
        out << (i == 0 ? "" : " ") << hex;
    }
    return out << "]";
}

void ExchangeLog::append(Exchange exchange) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!enabled_ || capacity_ == 0) {
        return;
    }
    while (entries_.size() >= capacity_) {
        entries_.pop_front();
    }
    entries_.push_back(std::move(exchange));
}

std::vector<Exchange> ExchangeLog::entries() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::vector<Exchange> ExchangeLog::entriesWithout(std::initializer_list<std::u16string> names) const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<Exchange> kept;
    for (const Exchange& e : entries_) {
        if (std::find(names.begin(), names.end(), e.name) == names.end()) {
            kept.push_back(e);
        }
    }
    return kept;
}

void ExchangeLog::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.clear();
}

void ExchangeLog::setEnabled(bool enabled) {
    std::lock_guard<std::mutex> guard(mutex_);
    enabled_ = enabled;
}

bool ExchangeLog::enabled() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return enabled_;
}

void ExchangeLog::setCapacity(size_t capacity) {
    std::lock_guard<std::mutex> guard(mutex_);
    capacity_ = capacity;
    while (entries_.size() > capacity_) {
        entries_.pop_front();
    }
}

}  // namespace rvs::sim
