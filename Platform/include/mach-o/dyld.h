/* Loaded-image enumeration with the macOS names. Index 0 is the main
   program; the rest follow in load order. */
#ifndef MACPLATFORM_MACH_O_DYLD_H
#define MACPLATFORM_MACH_O_DYLD_H

#include <stdint.h>

#include <MacPlatform/Export.h>

MACPLATFORM_BEGIN_C

/* Opaque here: on Linux an image "header" is where its ELF header is mapped.
   An image's own header (mach-o/ldsyms.h) is the 64-bit one, as on 64-bit macOS. */
struct mach_header;
struct mach_header_64;

MACPLATFORM_EXPORT uint32_t _dyld_image_count(void);
/* NULL when image_index is out of range. */
MACPLATFORM_EXPORT const struct mach_header* _dyld_get_image_header(uint32_t image_index);
/* Absolute path of the main program for index 0; NULL when out of range.
   The string stays valid for the life of the process. */
MACPLATFORM_EXPORT const char* _dyld_get_image_name(uint32_t image_index);

MACPLATFORM_END_C

#endif
