// Equal slots in static storage for small objects made and dropped often (a file is opened for
// every trace line): taken and given back without the heap, which serves only while every slot
// is in use. Lock-free; a class uses it through its own operator new and delete.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <new>

namespace rvs::platform {

template <size_t Size, size_t Count>
class SlotPool {
public:
    void* take(size_t size) {
        if (size <= Size) {
            for (size_t i = 0; i < Count; ++i) {
                bool expected = false;
                if (!used_[i].load(std::memory_order_relaxed) &&
                    used_[i].compare_exchange_strong(expected, true, std::memory_order_acquire)) {
                    return slots_[i].bytes;
                }
            }
        }
        return ::operator new(size);
    }

    void give(void* p) {
        std::less<const void*> before;
        if (p != nullptr && !before(p, slots_) && before(p, slots_ + Count)) {
            used_[static_cast<const Slot*>(p) - slots_].store(false, std::memory_order_release);
            return;
        }
        ::operator delete(p);
    }

private:
    struct alignas(std::max_align_t) Slot {
        unsigned char bytes[Size];
    };
    Slot slots_[Count]{};
    std::atomic<bool> used_[Count]{};
};

}  // namespace rvs::platform
