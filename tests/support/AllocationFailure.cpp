#include "support/AllocationFailure.hpp"

#include <cstdlib>
#include <new>

namespace {

thread_local long allocationsUntilFailure = 0;  // 0: none chosen
thread_local bool failureThrown = false;

}  // namespace

// Every plain form of new and delete goes through malloc and free, so that
// what one form allocates any other may free (the standard library frees
// its nothrow buffers with the plain delete), also under AddressSanitizer.
void* operator new(std::size_t size) {
    if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) {
        failureThrown = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace vektest {

FailingAllocation::FailingAllocation(long n) {
    allocationsUntilFailure = n;
    failureThrown = false;
}

FailingAllocation::~FailingAllocation() { allocationsUntilFailure = 0; }

bool FailingAllocation::Thrown() const { return failureThrown; }

}  // namespace vektest
