// Reference counting shared by every CoreFoundation object.
#include "CFInternal.h"

#include <climits>

namespace {

CFObject* object(CFTypeRef cf) {
    return static_cast<CFObject*>(const_cast<void*>(cf));
}

}  // namespace

extern "C" {

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf && !object(cf)->constant) object(cf)->refs.fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (!cf || object(cf)->constant) return;
    if (object(cf)->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object(cf);
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    if (!cf) return 0;
    if (object(cf)->constant) return LONG_MAX;
    return object(cf)->refs.load(std::memory_order_relaxed);
}

}  // extern "C"
