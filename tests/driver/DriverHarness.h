// Loads the built driver bundle the way the data source does (its factory by
// name) and drives one operator per test, as an application would through the
// manager.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CTripletOperator.h"
#include "TwainTypes.h"

CreateTwainWrapperProc DriverFactory();

// TW_MEMORY flags as an application sets them.
constexpr TW_UINT32 kAppOwns = 0x1;
constexpr TW_UINT32 kDsOwns = 0x2;
constexpr TW_UINT32 kAsHandle = 0x4;
constexpr TW_UINT32 kAsPointer = 0x8;

// The 4 bytes of a TW_FIX32 read as one little-endian word: Whole low, Frac high.
constexpr TW_UINT32 FixWord(TW_INT16 whole, TW_UINT16 frac = 0) {
    return static_cast<TW_UINT16>(whole) | static_cast<TW_UINT32>(frac) << 16;
}

inline TW_FIX32 Fix(TW_INT16 whole, TW_UINT16 frac = 0) {
    return TW_FIX32{whole, frac};
}

// A capability container as the driver allocated it, read out of its handle.
struct Container {
    TW_UINT16 conType = 0;
    TW_UINT16 itemType = 0;
    // Each item widened to 32 bits (frames: not decoded); of a range, its five
    // values: min, max, step, default, current.
    std::vector<TW_UINT32> items;
    TW_UINT32 currentIndex = 0;  // enumeration only
    TW_UINT32 defaultIndex = 0;
    std::vector<unsigned char> block;  // the whole block
};

// A handle the application owns, disposed at scope end.
class CAppHandle {
public:
    explicit CAppHandle(const void* bytes, size_t size) : m_h(NewHandleClear(static_cast<Size>(size))) {
        std::memcpy(*m_h, bytes, size);
    }
    ~CAppHandle() { DisposeHandle(m_h); }
    CAppHandle(const CAppHandle&) = delete;
    CAppHandle& operator=(const CAppHandle&) = delete;
    Handle get() const { return m_h; }

private:
    Handle m_h;
};

class CDriver {
public:
    CDriver();
    ~CDriver();
    CDriver(const CDriver&) = delete;
    CDriver& operator=(const CDriver&) = delete;

    TW_UINT16 Send(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData);
    TW_UINT16 Control(TW_UINT16 DAT, TW_UINT16 MSG, void* pData) { return Send(DG_CONTROL, DAT, MSG, pData); }
    TW_UINT16 Image(TW_UINT16 DAT, TW_UINT16 MSG, void* pData) { return Send(DG_IMAGE, DAT, MSG, pData); }

    // DAT_STATUS: the condition code of the last failure, which it clears.
    TW_UINT16 ConditionCode();
    // The state the driver is in, found out from what it allows. Changes the
    // condition code; use only where that no longer matters.
    int ProbeState();

    // Steps that must succeed, to reach a state.
    void Open();
    void Enable();
    void ToTransferReady();

    // DAT_CAPABILITY: the return code; on success the container, read and disposed.
    TW_UINT16 Capability(TW_UINT16 MSG, TW_UINT16 cap, Container* pContainer = nullptr);
    // MSG_SET with a one-value of the given item bytes.
    TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, const void* item, size_t itemSize);
    TW_UINT16 SetOneValue16(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT16 value) {
        return SetOneValue(cap, itemType, &value, sizeof(value));
    }
    TW_UINT16 SetOneValue32(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value) {
        return SetOneValue(cap, itemType, &value, sizeof(value));
    }
    // The current value of a capability (MSG_GETCURRENT), widened to 32 bits.
    TW_UINT32 CurrentWord(TW_UINT16 cap);

private:
    CTripletOperator* m_pOperator = nullptr;
    TW_IDENTITY m_app{};
};

// Reads a container block the way an application does.
Container ReadContainer(TW_UINT16 conType, Handle h);
