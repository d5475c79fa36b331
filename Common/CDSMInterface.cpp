#include "CDSMInterface.h"

#include <CoreServices/CoreServices.h>

// The Memory Manager is deprecated since macOS 10.8, but TWAIN hands containers
// over as its handles: these are the calls the platform offers for them.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

TW_HANDLE CDSMInterface::AllocMemory(unsigned int size) { return NewHandleClear(static_cast<Size>(size)); }

void CDSMInterface::FreeMemory(TW_HANDLE handle) { DisposeHandle(handle); }

char* CDSMInterface::LockMemory(TW_HANDLE handle) {
    // HLock(NULL) reports no error, so a null handle is refused here.
    if (!handle) return nullptr;
    HLock(handle);
    // Only a live handle is followed: an unknown one may point anywhere.
    if (MemError() != noErr) return nullptr;
    return *handle;
}

void CDSMInterface::UnlockMemory(TW_HANDLE handle) { HUnlock(handle); }

size_t CDSMInterface::MemorySize(TW_HANDLE handle) {
    const ::Size size = GetHandleSize(handle);  // 0 for null or a handle that is not live
    return size > 0 ? static_cast<size_t>(size) : 0;
}

int CDSMInterface::NotifyRequest(unsigned short, TW_IDENTITY, TW_IDENTITY) { return 0; }

CLockedMemory::CLockedMemory(TW_HANDLE handle) : m_hMemory(handle) {
    if (!handle) return;
    // The state is taken before locking, which would change it. MemError is read
    // once per call: the platform clears it when it is read.
    m_nState = HGetState(handle);
    if (MemError() != noErr) return;
    HLock(handle);
    if (MemError() != noErr) return;
    m_bLive = true;
    m_pBlock = *handle;
    if (!m_pBlock) return;
    const ::Size size = GetHandleSize(handle);
    m_nSize = size > 0 ? static_cast<size_t>(size) : 0;
}

CLockedMemory::~CLockedMemory() {
    if (m_bLive) HSetState(m_hMemory, m_nState);
}
