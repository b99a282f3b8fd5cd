#include "counting_allocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace rvs::test {
namespace {

std::atomic<int> armed{0};
std::atomic<uint64_t> allocations{0};
thread_local int uncounted = 0;
std::atomic<int> failing{0};

void* allocate(std::size_t size, std::size_t alignment) {
    if (armed.load(std::memory_order_relaxed) > 0 && uncounted == 0) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (failing.load(std::memory_order_relaxed) > 0) return nullptr;
    if (size == 0) size = 1;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    return p;
}

}  // namespace

AllocationCount::AllocationCount() : start_(allocations.load()) { armed.fetch_add(1); }
AllocationCount::~AllocationCount() { armed.fetch_sub(1); }
uint64_t AllocationCount::count() const { return allocations.load() - start_; }

FailingAllocations::FailingAllocations() { failing.fetch_add(1); }
FailingAllocations::~FailingAllocations() { failing.fetch_sub(1); }

UncountedScope::UncountedScope() { ++uncounted; }
UncountedScope::~UncountedScope() { --uncounted; }

}  // namespace rvs::test

using rvs::test::allocate;

void* operator new(std::size_t size) {
    void* p = allocate(size, alignof(std::max_align_t));
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, alignof(std::max_align_t)); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    void* p = allocate(size, static_cast<std::size_t>(alignment));
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
