// TW_HANDLE on Windows: global memory, as the manager and the applications allocate it.
#include <windows.h>

#include "CDSMInterface.h"

TW_HANDLE CDSMInterface::AllocMemory(unsigned int size) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size); }

void CDSMInterface::FreeMemory(TW_HANDLE handle) {
    if (handle) GlobalFree(handle);
}

char* CDSMInterface::LockMemory(TW_HANDLE handle) {
    if (!handle) return nullptr;
    return static_cast<char*>(GlobalLock(handle));
}

void CDSMInterface::UnlockMemory(TW_HANDLE handle) {
    if (handle) GlobalUnlock(handle);
}

// GlobalSize answers 0 for a handle the heap does not know (freed, or a pointer
// into the stack) and for a discarded one.
size_t CDSMInterface::MemorySize(TW_HANDLE handle) {
    if (!handle || GlobalFlags(handle) == GMEM_INVALID_HANDLE) return 0;
    return GlobalSize(handle);
}

int CDSMInterface::NotifyRequest(unsigned short, TW_IDENTITY, TW_IDENTITY) { return 0; }

// Nothing is followed before the system has said the handle is one of its own: a
// freed or foreign handle is refused by GlobalFlags or GlobalSize, never locked.
// The one lock taken is undone by the one unlock, so the lock count (GlobalFlags)
// is what it was, and a handle the application had locked stays locked.
CLockedMemory::CLockedMemory(TW_HANDLE handle) : m_hMemory(handle) {
    if (!handle || GlobalFlags(handle) == GMEM_INVALID_HANDLE) return;
    const SIZE_T size = GlobalSize(handle);
    if (size == 0) {
        // Discarded or emptied: live, with nothing to read.
        m_bLive = (GlobalFlags(handle) & GMEM_DISCARDED) != 0;
        return;
    }
    m_pBlock = static_cast<char*>(GlobalLock(handle));
    if (!m_pBlock) return;
    m_bLive = true;
    m_nSize = size;
}

CLockedMemory::~CLockedMemory() {
    if (m_pBlock) GlobalUnlock(m_hMemory);
}
