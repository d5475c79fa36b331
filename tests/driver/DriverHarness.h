// Loads the built driver bundle the way the data source does (its factory by
// name) and drives one operator per test, as an application would through the
// manager.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CTripletOperator.h"
#include "TwainTypes.h"

// Loaded once and never closed, so that leak reports can still name its code.
inline CreateTwainWrapperProc DriverFactory() {
    static CreateTwainWrapperProc factory = [] {
        void* module = dlopen(TWAIN_WRAPPER_EXECUTABLE, RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            ADD_FAILURE() << dlerror();
            std::abort();
        }
        return reinterpret_cast<CreateTwainWrapperProc>(dlsym(module, "CreateTwainWrapper"));
    }();
    return factory;
}

// TW_MEMORY flags as an application sets them.
constexpr TW_UINT32 kAppOwns = 0x1, kDsOwns = 0x2, kAsHandle = 0x4, kAsPointer = 0x8;

// The 4 bytes of a TW_FIX32 read as one little-endian word: Whole low, Frac high.
constexpr TW_UINT32 FixWord(TW_INT16 whole, TW_UINT16 frac = 0) {
    return static_cast<TW_UINT16>(whole) | static_cast<TW_UINT32>(frac) << 16;
}
inline TW_FIX32 Fix(TW_INT16 whole, TW_UINT16 frac = 0) { return TW_FIX32{whole, frac}; }

// A capability container as the driver allocated it, read out of its handle.
struct Container {
    TW_UINT16 conType = 0, itemType = 0;
    // Each item widened to 32 bits (frames: not decoded); of a range, its five
    // values: min, max, step, default, current.
    std::vector<TW_UINT32> items;
    TW_UINT32 currentIndex = 0, defaultIndex = 0;  // enumeration only
    std::vector<unsigned char> block;               // the whole block
};

inline Container ReadContainer(TW_UINT16 conType, Handle h) {
    Container c;
    c.conType = conType;
    const auto* p = reinterpret_cast<const unsigned char*>(*h);
    c.block.assign(p, p + GetHandleSize(h));
    auto word = [&](size_t offset) {
        TW_UINT32 w = 0;
        if (offset + 4 <= c.block.size()) std::memcpy(&w, p + offset, 4);
        return w;
    };
    c.itemType = static_cast<TW_UINT16>(word(0));
    const size_t sizes[] = {1, 2, 4, 1, 2, 4, 2, 4, 16};  // TWTY_INT8 .. TWTY_FRAME
    size_t size = c.itemType < std::size(sizes) ? sizes[c.itemType] : 4, offset = 4, count = 1;
    switch (conType) {
    case TWON_ONEVALUE: break;
    case TWON_ARRAY: offset = 8, count = word(4); break;
    case TWON_ENUMERATION: offset = 16, count = word(4), c.currentIndex = word(8), c.defaultIndex = word(12); break;
    case TWON_RANGE: size = 4, count = 5; break;
    default: ADD_FAILURE() << "unknown container " << conType; return c;
    }
    EXPECT_LE(offset + count * size, c.block.size()) << "items run past the handle";
    for (size_t i = 0; i < count && offset + (i + 1) * size <= c.block.size(); ++i) {
        TW_UINT32 item = 0;
        if (size <= 4) std::memcpy(&item, p + offset + i * size, size);
        c.items.push_back(item);
    }
    return c;
}

// A handle the application owns, disposed at scope end.
class CAppHandle {
public:
    CAppHandle(const void* bytes, size_t size) : m_h(NewHandleClear(static_cast<Size>(size))) {
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
    CDriver() {
        DriverFactory()(CFSTR("TwainDataSource"), &m_pOperator);
        if (!m_pOperator) std::abort();
        std::strcpy(m_app.ProductName, "Test Application");
    }
    ~CDriver() { m_pOperator->Release(); }
    CDriver(const CDriver&) = delete;
    CDriver& operator=(const CDriver&) = delete;

    TW_UINT16 Send(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData) {
        return m_pOperator->OperateTriplet(&m_app, DG, DAT, MSG, pData);
    }
    TW_UINT16 Control(TW_UINT16 DAT, TW_UINT16 MSG, void* pData) { return Send(DG_CONTROL, DAT, MSG, pData); }
    TW_UINT16 Image(TW_UINT16 DAT, TW_UINT16 MSG, void* pData) { return Send(DG_IMAGE, DAT, MSG, pData); }

    // DAT_STATUS: the condition code of the last failure, which it clears.
    TW_UINT16 ConditionCode() {
        TW_STATUS status{0xEEEE, 0xEEEE};
        EXPECT_EQ(Control(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
        return status.ConditionCode;
    }

    // The state the driver is in, found out from what it allows. Changes the
    // condition code when the state is past 4.
    int ProbeState() {
        TW_UINT32 group = 0;
        if (Control(DAT_XFERGROUP, MSG_GET, &group) != TWRC_SUCCESS) return 3;
        TW_CUSTOMDSDATA custom{};
        if (Control(DAT_CUSTOMDSDATA, MSG_GET, &custom) == TWRC_SUCCESS) {
            DisposeHandle(custom.hData);
            return 4;
        }
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(Control(DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
        if (pending.Count == 0) return 5;
        TW_SETUPMEMXFER setup{};
        return Control(DAT_SETUPMEMXFER, MSG_GET, &setup) == TWRC_SUCCESS ? 6 : 7;
    }

    // Steps that must succeed, to reach a state.
    void Open() {
        TW_IDENTITY source{};
        ASSERT_EQ(Control(DAT_IDENTITY, MSG_GET, &source), TWRC_SUCCESS);
        ASSERT_EQ(Control(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    }
    void Enable() {
        TW_USERINTERFACE ui{};
        ASSERT_EQ(Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
    }
    void ToTransferReady() {
        Enable();
        TW_EVENT event{};
        ASSERT_EQ(Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
        ASSERT_EQ(Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
        ASSERT_EQ(event.TWMessage, MSG_XFERREADY);
    }

    // DAT_CAPABILITY: the return code; on success the container, read and disposed.
    TW_UINT16 Capability(TW_UINT16 MSG, TW_UINT16 cap, Container* pContainer = nullptr) {
        TW_CAPABILITY capability{cap, 0, nullptr};
        const TW_UINT16 rc = Control(DAT_CAPABILITY, MSG, &capability);
        if (rc == TWRC_SUCCESS && capability.hContainer) {
            if (pContainer) *pContainer = ReadContainer(capability.ConType, capability.hContainer);
            DisposeHandle(capability.hContainer);
        }
        return rc;
    }
    // MSG_SET with a one-value of the given item.
    template <typename Item>
    TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, Item item) {
        unsigned char block[std::max(sizeof(TW_ONEVALUE), 4 + sizeof(Item))] = {};
        std::memcpy(block, &itemType, sizeof(itemType));
        std::memcpy(block + 4, &item, sizeof(item));
        CAppHandle container(block, sizeof(block));
        TW_CAPABILITY capability{cap, TWON_ONEVALUE, container.get()};
        return Control(DAT_CAPABILITY, MSG_SET, &capability);
    }
    TW_UINT16 SetOneValue16(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT16 value) {
        return SetOneValue(cap, itemType, value);
    }
    TW_UINT16 SetOneValue32(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value) {
        return SetOneValue(cap, itemType, value);
    }
    // The current value of a capability (MSG_GETCURRENT), widened to 32 bits.
    TW_UINT32 CurrentWord(TW_UINT16 cap) {
        Container current;
        EXPECT_EQ(Capability(MSG_GETCURRENT, cap, &current), TWRC_SUCCESS);
        EXPECT_EQ(current.conType, TWON_ONEVALUE);
        return current.items.empty() ? 0xDEADBEEF : current.items[0];
    }

private:
    CTripletOperator* m_pOperator = nullptr;
    TW_IDENTITY m_app{};
};
