/* An image's own header. The Linux linker defines __ehdr_start in every
   linked object at its own ELF header, which is what
   _dyld_get_image_header reports for that object. Hidden so a reference
   from a shared object binds to that object itself. */
#ifndef MACPLATFORM_MACH_O_LDSYMS_H
#define MACPLATFORM_MACH_O_LDSYMS_H

#include <mach-o/dyld.h>

MACPLATFORM_BEGIN_C

extern const struct mach_header_64 _mh_bundle_header __asm__("__ehdr_start")
    __attribute__((visibility("hidden")));

MACPLATFORM_END_C

#endif
