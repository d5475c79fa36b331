/* Mac memory handles: a Handle points to a master pointer that points to
   the block. Blocks never move, and every call checks the handle against
   the set of live handles before touching it. Declared as the platform
   declares them, deprecations included, so that a build here warns where
   a macOS build would. */
#ifndef MACPLATFORM_CORESERVICES_H
#define MACPLATFORM_CORESERVICES_H

#include <MacPlatform/Export.h>

MACPLATFORM_BEGIN_C

typedef signed char SInt8;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;
typedef short OSErr;

enum {
    noErr = 0,
    memFullErr = -108,
    nilHandleErr = -109,
    memWZErr = -111,
    memSCErr = -116
};

/* HGetState flag. */
enum { kHandleLockedMask = 0x80 };

/* The whole Memory Manager is deprecated since macOS 10.8. */
#define MACPLATFORM_DEPRECATED_10_8 __attribute__((deprecated("first deprecated in macOS 10.8")))

/* NULL for a negative size (memSCErr) or when memory runs out (memFullErr). */
MACPLATFORM_EXPORT Handle NewHandle(Size byteCount) MACPLATFORM_DEPRECATED_10_8;
MACPLATFORM_EXPORT Handle NewHandleClear(Size byteCount) MACPLATFORM_DEPRECATED_10_8;
/* Frees the block the handle was made with, wherever its master pointer points. */
MACPLATFORM_EXPORT void DisposeHandle(Handle h) MACPLATFORM_DEPRECATED_10_8;
/* 0 for a handle that is not live, with MemError set. A live handle whose
   master pointer is NULL is empty; one whose master pointer was pointed at a
   block this layer did not make is refused (memWZErr) rather than followed. */
MACPLATFORM_EXPORT Size GetHandleSize(Handle h) MACPLATFORM_DEPRECATED_10_8;
/* As on macOS, HLock(NULL) does nothing and leaves MemError at noErr. */
MACPLATFORM_EXPORT void HLock(Handle h) MACPLATFORM_DEPRECATED_10_8;
MACPLATFORM_EXPORT void HUnlock(Handle h) MACPLATFORM_DEPRECATED_10_8;
MACPLATFORM_EXPORT SInt8 HGetState(Handle h) MACPLATFORM_DEPRECATED_10_8;
/* Only kHandleLockedMask has a meaning here. */
MACPLATFORM_EXPORT void HSetState(Handle h, SInt8 flags) MACPLATFORM_DEPRECATED_10_8;
/* Result of the calling thread's last handle call. */
MACPLATFORM_EXPORT OSErr MemError(void) MACPLATFORM_DEPRECATED_10_8;

MACPLATFORM_END_C

#endif
