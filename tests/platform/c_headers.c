/* Compiled as C so that the headers stay usable from C. Returns 0, or the
   number of the first step that went wrong. */
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <mach-o/dyld.h>
#include <mach-o/ldsyms.h>

#include <string.h>

int PlatformCHeadersSmoke(void);

int PlatformCHeadersSmoke(void) {
    char text[8];
    Boolean ok = false;
    CFStringRef s = CFSTR("abc");
    Handle h;

    if (CFStringGetLength(s) != 3) return 1;
    ok = CFStringGetCString(s, text, (CFIndex)sizeof text, kCFStringEncodingASCII);
    if (ok != true || strcmp(text, "abc") != 0) return 2;

    h = NewHandleClear(8);
    if (!h || GetHandleSize(h) != 8 || MemError() != noErr) return 3;
    DisposeHandle(h);
    if (GetHandleSize(h) != 0 || MemError() == noErr) return 4;

    if ((const void*)_dyld_get_image_header(0) != (const void*)&_mh_bundle_header) return 5;
    return 0;
}
