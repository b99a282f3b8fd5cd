// This program's global operator new counts the allocations made while a count is armed, except
// those made inside the virtual printer, which plays the driver and is not the library.
#pragma once

#include <cstdint>

namespace rvs::test {

// Counts every allocation from construction to `count()`, on every thread.
class AllocationCount {
public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;
    uint64_t count() const;

private:
    uint64_t start_;
};

// Allocations on this thread are not counted while one is in scope.
class UncountedScope {
public:
    UncountedScope();
    ~UncountedScope();
    UncountedScope(const UncountedScope&) = delete;
    UncountedScope& operator=(const UncountedScope&) = delete;
};

// Every allocation on any thread fails while one is in scope, as when the heap is exhausted.
class FailingAllocations {
public:
    FailingAllocations();
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace rvs::test
