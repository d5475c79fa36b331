// Handles are checked against a registry of live ones before any access,
// so a stale or foreign handle is reported instead of dereferenced.
#include <CoreServices/CoreServices.h>
// These are the deprecated calls themselves.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
    Ptr start;  // what the master pointer held at allocation
    Size size;
    bool locked;
};

std::mutex gLock;
// Keyed by the handle (the address of its master pointer); never
// destroyed so handles disposed during static teardown still work.
std::unordered_map<Handle, Block>& registry() {
    static auto* map = new std::unordered_map<Handle, Block>();
    return *map;
}

thread_local OSErr tMemError = noErr;

Handle allocate(Size byteCount, bool clear) {
    if (byteCount < 0) {
        tMemError = memSCErr;
        return nullptr;
    }
    // At least one byte so that even an empty block has a unique address.
    const size_t bytes = byteCount > 0 ? static_cast<size_t>(byteCount) : 1;
    void* block = clear ? std::calloc(bytes, 1) : std::malloc(bytes);
    Handle h = block ? static_cast<Handle>(std::malloc(sizeof(Ptr))) : nullptr;
    if (!h) {
        std::free(block);
        tMemError = memFullErr;
        return nullptr;
    }
    *h = static_cast<Ptr>(block);
    try {
        std::lock_guard<std::mutex> g(gLock);
        registry().emplace(h, Block{*h, byteCount, false});
    } catch (const std::bad_alloc&) {
        std::free(block);
        std::free(h);
        tMemError = memFullErr;
        return nullptr;
    }
    tMemError = noErr;
    return h;
}

// Runs `f` on the live block of `h` under the lock; false (with MemError
// set) when `h` is not a live handle. A master pointer that no longer holds
// the block made for it (a driver pointed it elsewhere) is not followed: the
// recorded size says nothing about the other block. A NULL one is an empty block.
template <typename F>
bool withBlock(Handle h, F f) {
    if (!h) {
        tMemError = nilHandleErr;
        return false;
    }
    std::lock_guard<std::mutex> g(gLock);
    auto it = registry().find(h);
    if (it == registry().end() || (*h != it->second.start && *h != nullptr)) {
        tMemError = memWZErr;
        return false;
    }
    f(it->second);
    tMemError = noErr;
    return true;
}

}  // namespace

extern "C" {

Handle NewHandle(Size byteCount) {
    return allocate(byteCount, false);
}

Handle NewHandleClear(Size byteCount) {
    return allocate(byteCount, true);
}

void DisposeHandle(Handle h) {
    if (!h) {
        tMemError = nilHandleErr;
        return;
    }
    Ptr start = nullptr;
    {
        std::lock_guard<std::mutex> g(gLock);
        auto it = registry().find(h);
        if (it == registry().end()) {
            tMemError = memWZErr;
            return;
        }
        start = it->second.start;
        registry().erase(it);
    }
    std::free(start);
    std::free(h);
    tMemError = noErr;
}

Size GetHandleSize(Handle h) {
    Size size = 0;
    withBlock(h, [&](Block& b) { size = *h ? b.size : 0; });
    return size;
}

void HLock(Handle h) {
    if (!h) {
        tMemError = noErr;
        return;
    }
    withBlock(h, [](Block& b) { b.locked = true; });
}

void HUnlock(Handle h) {
    withBlock(h, [](Block& b) { b.locked = false; });
}

SInt8 HGetState(Handle h) {
    SInt8 state = 0;
    withBlock(h, [&](Block& b) { state = b.locked ? static_cast<SInt8>(kHandleLockedMask) : 0; });
    return state;
}

void HSetState(Handle h, SInt8 flags) {
    withBlock(h, [&](Block& b) { b.locked = (flags & kHandleLockedMask) != 0; });
}

OSErr MemError(void) {
    return tMemError;
}

}  // extern "C"
