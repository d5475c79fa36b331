// Static operations on the platform's memory handles (TW_HANDLE), as the data
// source and the tools use them. One file per system behind it: Mac memory
// handles (CDSMInterface.cpp), Windows global memory (CDSMInterfaceWin.cpp).
#pragma once

#include <cstddef>

#include "TwainTypes.h"

class CDSMInterface {
public:
    // A new zero-filled block; null when memory runs out.
    static TW_HANDLE AllocMemory(unsigned int size);
    static void FreeMemory(TW_HANDLE handle);
    // Locks the handle and returns the start of its block; null for a handle that
    // is not a live one, and for a live one whose block is empty.
    static char* LockMemory(TW_HANDLE handle);
    static void UnlockMemory(TW_HANDLE handle);
    // The block's size; 0 for a null handle or one that is not live.
    static size_t MemorySize(TW_HANDLE handle);
    static int NotifyRequest(unsigned short msg, TW_IDENTITY origin, TW_IDENTITY dest);
};

// A handle held open for reading: locked while this object lives, then put back
// in the state it came in, so that a handle the application had locked stays
// locked and one it had not is unlocked again.
class CLockedMemory {
public:
    explicit CLockedMemory(TW_HANDLE handle);
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
    TW_HANDLE m_hMemory;
    bool m_bLive = false;
    // What the system needs to put the handle back: the Mac's handle state; unused
    // on Windows, where one unlock undoes the one lock.
    signed char m_nState = 0;
    char* m_pBlock = nullptr;
    size_t m_nSize = 0;
};
