// Loaded by the image-walk tests: reports its own header and finds its own
// path the way the product locates its bundle.
#include <mach-o/dyld.h>
#include <mach-o/ldsyms.h>

extern "C" __attribute__((visibility("default"))) const void* ProbeOwnHeader() {
    return &_mh_bundle_header;
}

extern "C" __attribute__((visibility("default"))) const char* ProbeOwnImageName() {
    const void* own = &_mh_bundle_header;
    for (uint32_t i = 1; i < _dyld_image_count(); ++i)
        if (_dyld_get_image_header(i) == own) return _dyld_get_image_name(i);
    return nullptr;
}
