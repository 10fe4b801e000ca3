// Replaces the global allocation functions of the test program so tests can
// count live blocks and make chosen std::nothrow requests fail, the way an
// exhausted heap would.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/test_host_support.h"

namespace {
std::atomic<long> live{0};
std::atomic<long> refused{0};
std::atomic<std::size_t> refuseSize{0};
std::atomic<long> nothrowUntilRefusal{0};  // counts down; refusing once it reaches 1
std::atomic<bool> refuseOnlyOnce{false};

void* allocate(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (p) live.fetch_add(1, std::memory_order_relaxed);
    return p;
}

void release(void* p) {
    if (!p) return;
    live.fetch_sub(1, std::memory_order_relaxed);
    std::free(p);
}

bool refuseNothrow(std::size_t n) {
    std::size_t want = refuseSize.load();
    if (want != 0 && want == n && refuseSize.compare_exchange_strong(want, 0)) {
        refused.fetch_add(1);
        return true;
    }
    long left = nothrowUntilRefusal.load();
    if (left == 0) return false;
    if (left > 1) {
        nothrowUntilRefusal.store(left - 1);
        return false;
    }
    if (refuseOnlyOnce.load()) nothrowUntilRefusal.store(0);
    refused.fetch_add(1);
    return true;
}

void* allocateOrThrow(std::size_t n) {
    void* p = allocate(n);
    if (!p) throw std::bad_alloc();
    return p;
}
}  // namespace

namespace hosttest {
long liveBlocks() { return live.load(); }
void refuseNothrowOfSize(std::size_t bytes) { refuseSize.store(bytes); }
void refuseNothrowFrom(long nth, bool onlyThatOne) {
    refuseOnlyOnce.store(onlyThatOne);
    nothrowUntilRefusal.store(nth);
}
long refusedCount() { return refused.load(); }
}  // namespace hosttest

void* operator new(std::size_t n) { return allocateOrThrow(n); }
void* operator new[](std::size_t n) { return allocateOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return refuseNothrow(n) ? nullptr : allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return refuseNothrow(n) ? nullptr : allocate(n);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
