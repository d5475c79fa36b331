#include "DriverHarness.h"

#include <dlfcn.h>

#include <cstdlib>

CreateTwainWrapperProc DriverFactory() {
    // Loaded once and never closed, so that leak reports can still name its code.
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

CDriver::CDriver() {
    DriverFactory()(CFSTR("TwainDataSource"), &m_pOperator);
    if (!m_pOperator) std::abort();
    std::strcpy(m_app.ProductName, "Test Application");
}

CDriver::~CDriver() {
    m_pOperator->Release();
}

TW_UINT16 CDriver::Send(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData) {
    return m_pOperator->OperateTriplet(&m_app, DG, DAT, MSG, pData);
}

TW_UINT16 CDriver::ConditionCode() {
    TW_STATUS status{0xEEEE, 0xEEEE};
    EXPECT_EQ(Control(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
}

int CDriver::ProbeState() {
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

void CDriver::Open() {
    TW_IDENTITY source{};
    ASSERT_EQ(Control(DAT_IDENTITY, MSG_GET, &source), TWRC_SUCCESS);
    ASSERT_EQ(Control(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
}

void CDriver::Enable() {
    TW_USERINTERFACE ui{};
    ASSERT_EQ(Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
}

void CDriver::ToTransferReady() {
    Enable();
    TW_EVENT event{};
    ASSERT_EQ(Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    ASSERT_EQ(Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    ASSERT_EQ(event.TWMessage, MSG_XFERREADY);
}

TW_UINT16 CDriver::Capability(TW_UINT16 MSG, TW_UINT16 cap, Container* pContainer) {
    TW_CAPABILITY capability{cap, 0, nullptr};
    const TW_UINT16 rc = Control(DAT_CAPABILITY, MSG, &capability);
    if (rc == TWRC_SUCCESS && capability.hContainer) {
        if (pContainer) *pContainer = ReadContainer(capability.ConType, capability.hContainer);
        DisposeHandle(capability.hContainer);
    }
    return rc;
}

TW_UINT16 CDriver::SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, const void* item, size_t itemSize) {
    std::vector<unsigned char> block(std::max(sizeof(TW_ONEVALUE), 4 + itemSize));
    std::memcpy(block.data(), &itemType, sizeof(itemType));
    std::memcpy(block.data() + 4, item, itemSize);
    CAppHandle container(block.data(), block.size());
    TW_CAPABILITY capability{cap, TWON_ONEVALUE, container.get()};
    return Control(DAT_CAPABILITY, MSG_SET, &capability);
}

TW_UINT32 CDriver::CurrentWord(TW_UINT16 cap) {
    Container current;
    EXPECT_EQ(Capability(MSG_GETCURRENT, cap, &current), TWRC_SUCCESS);
    EXPECT_EQ(current.conType, TWON_ONEVALUE);
    return current.items.empty() ? 0xDEADBEEF : current.items[0];
}

namespace {

size_t ItemBytes(TW_UINT16 itemType) {
    switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8: return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL: return 2;
    case TWTY_FRAME: return 16;
    default: return 4;
    }
}

}  // namespace

Container ReadContainer(TW_UINT16 conType, Handle h) {
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
    size_t size = ItemBytes(c.itemType), offset = 4, count = 1;
    switch (conType) {
    case TWON_ONEVALUE: break;
    case TWON_ARRAY: offset = 8, count = word(4); break;
    case TWON_ENUMERATION:
        offset = 16, count = word(4), c.currentIndex = word(8), c.defaultIndex = word(12);
        break;
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
