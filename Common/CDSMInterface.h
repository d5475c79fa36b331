// Static operations on Mac memory handles, as the data source uses them.
#pragma once

#include "TwainTypes.h"

class CDSMInterface {
public:
    static char** AllocMemory(unsigned int size);
    static void FreeMemory(char** handle);
    // Locks the handle and returns the start of its block; null for a handle that
    // is not a live one.
    static char* LockMemory(char** handle);
    static void UnlockMemory(char** handle);
    // The size of the handle's block; 0 for a handle that is not a live one, so
    // a renderer never reads more than the block holds.
    static long MemorySize(char** handle);
    static int NotifyRequest(unsigned short msg, TW_IDENTITY origin, TW_IDENTITY dest);
};
