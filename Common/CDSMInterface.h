// Static operations on Mac memory handles, as the data source uses them.
#pragma once

#include <cstddef>

#include "TwainTypes.h"

class CDSMInterface {
public:
    static char** AllocMemory(unsigned int size);
    static void FreeMemory(char** handle);
    // Locks the handle and returns the start of its block; null for a handle that
    // is not a live one, and for a live one whose block is empty.
    static char* LockMemory(char** handle);
    static void UnlockMemory(char** handle);
    static int NotifyRequest(unsigned short msg, TW_IDENTITY origin, TW_IDENTITY dest);
};

// A handle held open for reading: locked while this object lives, then put back
// in the state it came in, so that a handle the application had locked stays
// locked and one it had not is unlocked again.
class CLockedMemory {
public:
    explicit CLockedMemory(char** handle);
    ~CLockedMemory();
    CLockedMemory(const CLockedMemory&) = delete;
    CLockedMemory& operator=(const CLockedMemory&) = delete;

    // False for a null, freed or foreign handle: nothing of it may be read.
    bool IsLive() const { return m_bLive; }
    // The start of the block; null when the block is empty.
    char* Block() const { return m_pBlock; }
    // 0 when the handle is not live or its block is empty.
    size_t Size() const { return m_nSize; }

private:
    char** m_hMemory;
    bool m_bLive = false;
    signed char m_nState = 0;
    char* m_pBlock = nullptr;
    size_t m_nSize = 0;
};
