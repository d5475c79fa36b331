#include "CDSMInterface.h"

#include <CoreServices/CoreServices.h>

char** CDSMInterface::AllocMemory(unsigned int size) { return NewHandleClear(static_cast<Size>(size)); }

void CDSMInterface::FreeMemory(char** handle) { DisposeHandle(handle); }

char* CDSMInterface::LockMemory(char** handle) {
    HLock(handle);
    // Only a live handle is followed: an unknown one may point anywhere.
    if (MemError() != noErr) return nullptr;
    return *handle;
}

void CDSMInterface::UnlockMemory(char** handle) { HUnlock(handle); }

long CDSMInterface::MemorySize(char** handle) { return GetHandleSize(handle); }

int CDSMInterface::NotifyRequest(unsigned short, TW_IDENTITY, TW_IDENTITY) { return 0; }
