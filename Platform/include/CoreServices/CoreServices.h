/* Mac memory handles: a Handle points to a master pointer that points to
   the block. Blocks never move, and every call checks the handle against
   the set of live handles before touching it. */
#ifndef MACPLATFORM_CORESERVICES_H
#define MACPLATFORM_CORESERVICES_H

#include <MacPlatform/Export.h>

MACPLATFORM_BEGIN_C

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

/* NULL for a negative size (memSCErr) or when memory runs out (memFullErr). */
MACPLATFORM_EXPORT Handle NewHandle(Size byteCount);
MACPLATFORM_EXPORT Handle NewHandleClear(Size byteCount);
MACPLATFORM_EXPORT void DisposeHandle(Handle h);
/* 0 for a handle that is not live, with MemError set. */
MACPLATFORM_EXPORT Size GetHandleSize(Handle h);
MACPLATFORM_EXPORT void HLock(Handle h);
MACPLATFORM_EXPORT void HUnlock(Handle h);
MACPLATFORM_EXPORT char HGetState(Handle h);
/* Result of the calling thread's last handle call. */
MACPLATFORM_EXPORT OSErr MemError(void);

MACPLATFORM_END_C

#endif
