// The driver as a TWAIN 2 source: what it says through the manager's entry point,
// in which form, from which thread, and what it refuses.
#include <thread>
#include <vector>

#include "DriverHarness.h"

namespace {

struct Said {
    TW_UINT16 dat, msg;
    TW_INT16 message;  // TW_CALLBACK.Message, or -1
    bool fromCaller;   // on the thread that sent the application's triplet
    bool toApplication;
};
std::vector<Said> g_said;
std::thread::id g_caller;

TW_UINT16 Manager(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    const TW_INT16 message = pData ? static_cast<const TW_CALLBACK*>(pData)->Message : TW_INT16{-1};
    g_said.push_back({DAT, MSG, message, std::this_thread::get_id() == g_caller,
                      pOrigin && pDest && std::string(pDest->ProductName) == "Test Application"});
    return TWRC_SUCCESS;
}

struct Case {
    const char* what;
    bool callback;      // the application registered its callback
    TW_BOOL showUi;
    bool closeRequest;  // the simulated user closes the window afterwards
    std::vector<Said> said;
};

TEST(ManagerLink, SaysReadyAndCloseRequestThroughTheManager) {
    const Case cases[] = {
        {"no interface: ready inside MSG_ENABLEDS", false, 0, false, {{DAT_NULL, MSG_XFERREADY, -1, true, true}}},
        {"interface: ready from its thread at the next event", false, 1, false,
         {{DAT_NULL, MSG_XFERREADY, -1, false, true}}},
        {"callback registered, then closed",
         true,
         0,
         true,
         {{DAT_CALLBACK, MSG_INVOKE_CALLBACK, MSG_XFERREADY, true, true},
          {DAT_CALLBACK, MSG_INVOKE_CALLBACK, MSG_CLOSEDSREQ, true, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_said.clear();
        g_caller = std::this_thread::get_id();
        CDriver driver;
        TW_ENTRYPOINT entry{sizeof(TW_ENTRYPOINT), Manager, nullptr, nullptr, nullptr, nullptr};
        ASSERT_EQ(driver.Control(DAT_ENTRYPOINT, MSG_SET, &entry), TWRC_SUCCESS);
        driver.Open();
        TW_CALLBACK callback{};
        if (c.callback) {
            ASSERT_EQ(driver.Control(DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback), TWRC_SUCCESS);
        }
        TW_USERINTERFACE ui{c.showUi, 0, nullptr};
        ASSERT_EQ(driver.Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        // Events still pass; the message never comes as one.
        TW_EVENT event{};
        EXPECT_EQ(driver.Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
        EXPECT_EQ(driver.ProbeState(), 6);
        if (c.closeRequest) {
            EXPECT_EQ(driver.Control(DAT_KQ_TWAINCALLBACKMSG, MSG_SET, nullptr), TWRC_SUCCESS);
        }
        ASSERT_EQ(g_said.size(), c.said.size());
        for (size_t i = 0; i < c.said.size(); ++i) {
            const Said& got = g_said[i];
            const Said& want = c.said[i];
            EXPECT_TRUE(got.dat == want.dat && got.msg == want.msg && got.message == want.message &&
                        got.fromCaller == want.fromCaller && got.toApplication == want.toApplication)
                << i;
        }
    }
}

// An entry point too small to hold DSM_Entry is refused; the driver goes on by events.
TEST(ManagerLink, AnEntryPointWithoutDsmEntryIsRefused) {
    g_said.clear();
    CDriver driver;
    TW_ENTRYPOINT entry{8, Manager, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(driver.Control(DAT_ENTRYPOINT, MSG_SET, &entry), TWRC_FAILURE);
    EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE);
    driver.Open();
    driver.ToTransferReady();
    EXPECT_TRUE(g_said.empty());
}

}  // namespace
