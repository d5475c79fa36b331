#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

// glibc's own allocator, under the names it exports for wrappers like these.
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);
extern "C" void __libc_free(void* p);

namespace {
std::atomic<bool> g_bCounting{false};
std::atomic<uint64_t> g_nAllocations{0};

void Count() {
    if (g_bCounting.load(std::memory_order_relaxed)) g_nAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

void StartCountingAllocations() {
    g_nAllocations = 0;
    g_bCounting = true;
}

uint64_t StopCountingAllocations() {
    g_bCounting = false;
    return g_nAllocations.load();
}

// Visible to every loaded library, so their allocations come here too.
#define EXPORTED __attribute__((visibility("default")))

extern "C" EXPORTED void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}

extern "C" EXPORTED void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}

extern "C" EXPORTED void* realloc(void* p, size_t size) {
    Count();
    return __libc_realloc(p, size);
}

extern "C" EXPORTED void free(void* p) { __libc_free(p); }

EXPORTED void* operator new(size_t size) {
    Count();
    void* p = __libc_malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

EXPORTED void* operator new[](size_t size) { return operator new(size); }
EXPORTED void operator delete(void* p) noexcept { __libc_free(p); }
EXPORTED void operator delete[](void* p) noexcept { __libc_free(p); }
EXPORTED void operator delete(void* p, size_t) noexcept { __libc_free(p); }
EXPORTED void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
