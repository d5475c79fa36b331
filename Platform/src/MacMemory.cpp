// Handles are checked against a registry of live ones before any access,
// so a stale or foreign handle is reported instead of dereferenced.
#include <CoreServices/CoreServices.h>

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
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
        registry().emplace(h, Block{byteCount, false});
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
// set) when `h` is not a live handle.
template <typename F>
bool withBlock(Handle h, F f) {
    if (!h) {
        tMemError = nilHandleErr;
        return false;
    }
    std::lock_guard<std::mutex> g(gLock);
    auto it = registry().find(h);
    if (it == registry().end()) {
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
    {
        std::lock_guard<std::mutex> g(gLock);
        if (registry().erase(h) == 0) {
            tMemError = memWZErr;
            return;
        }
    }
    std::free(*h);
    std::free(h);
    tMemError = noErr;
}

Size GetHandleSize(Handle h) {
    Size size = 0;
    withBlock(h, [&](Block& b) { size = b.size; });
    return size;
}

void HLock(Handle h) {
    withBlock(h, [](Block& b) { b.locked = true; });
}

void HUnlock(Handle h) {
    withBlock(h, [](Block& b) { b.locked = false; });
}

char HGetState(Handle h) {
    char state = 0;
    withBlock(h, [&](Block& b) { state = b.locked ? static_cast<char>(kHandleLockedMask) : 0; });
    return state;
}

OSErr MemError(void) {
    return tMemError;
}

}  // extern "C"
