// The source's calls to the manager: their records, the state they move, and the
// copy of the manager's entry points that routes them through the monitor.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "AnalyzerHarness.h"
#include "GuardPage.h"
#include "ManagerEntry.h"

namespace {

TW_IDENTITY Application(std::string_view name) {
    TW_IDENTITY identity{};
    SetText(identity.ProductName, name);
    return identity;
}

TW_CALLBACK Callback(TW_INT16 message) { return TW_CALLBACK{nullptr, nullptr, message}; }

struct SourceCase {
    const char* what;
    int from;
    TW_UINT16 dat;
    TW_UINT16 msg;
    void* data;
    TW_UINT16 rc;
    TW_IDENTITY* dest;
    const char* record;
    int to;
};

TEST(SourceSide, RecordsAreLabelledDsAndMoveTheStateByTheirOwnRows) {
    TW_IDENTITY twhost = Application("twhost");
    TW_IDENTITY odd = Application("a\tb\x01");
    TW_CALLBACK ready = Callback(MSG_XFERREADY), close = Callback(MSG_CLOSEDSREQ);
    void* const someData = reinterpret_cast<void*>(0x7fff00001234ull);
    const SourceCase cases[] = {
        {"ready", 5, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS, &twhost,
         "[00001] [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\r\n"
         "        Return Code = [TWRC_SUCCESS]\r\npData   = <0x00000000>\r\nTo      = [twhost]\r\n"
         "\r\nTWAIN Status = [6]\r\n",
         6},
        {"ready out of turn", 6, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS, nullptr,
         "[00001] [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\r\n"
         "        Return Code = [TWRC_SUCCESS]\r\npData   = <0x00000000>\r\n\r\nTWAIN Status = [6]\r\n",
         6},
        {"ready refused by the manager", 5, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_FAILURE, &twhost,
         "[00001] [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\r\n"
         "        Return Code = [TWRC_FAILURE]\r\npData   = <0x00000000>\r\nTo      = [twhost]\r\n",
         5},
        {"close request", 5, DAT_NULL, MSG_CLOSEDSREQ, someData, TWRC_SUCCESS, &odd,
         "[00001] [DS] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ\r\n"
         "        Return Code = [TWRC_SUCCESS]\r\npData   = <0x00001234>\r\nTo      = [a\\tb\\x01]\r\n"
         "\r\nTWAIN Status = [5]\r\n",
         5},
        {"close ok", 4, DAT_NULL, MSG_CLOSEDSOK, nullptr, TWRC_SUCCESS, nullptr,
         "[00001] [DS] DG_CONTROL/DAT_NULL/MSG_CLOSEDSOK\r\n"
         "        Return Code = [TWRC_SUCCESS]\r\npData   = <0x00000000>\r\n\r\nTWAIN Status = [4]\r\n",
         4},
        {"ready through the callback", 5, DAT_CALLBACK, MSG_INVOKE_CALLBACK, &ready, TWRC_SUCCESS, nullptr, nullptr, 6},
        {"ready through the second callback", 5, DAT_CALLBACK2, MSG_INVOKE_CALLBACK, &ready, TWRC_SUCCESS, nullptr,
         nullptr, 6},
        {"close request through the callback", 5, DAT_CALLBACK, MSG_INVOKE_CALLBACK, &close, TWRC_SUCCESS, nullptr,
         nullptr, 5},
        {"callback without data", 5, DAT_CALLBACK, MSG_INVOKE_CALLBACK, nullptr, TWRC_SUCCESS, nullptr, nullptr, 5},
        {"ready while only open", 4, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS, nullptr, nullptr, 4},
        {"an application's row is not the source's", 4, DAT_USERINTERFACE, MSG_ENABLEDS, nullptr, TWRC_SUCCESS,
         nullptr, nullptr, 4},
    };
    for (const SourceCase& c : cases) {
        CAnalyzerHarness h(c.from);
        std::string record = h.SourceRecord(c.dat, c.msg, c.data, c.rc, c.dest);
        if (c.record) {
            EXPECT_EQ(record, c.record) << c.what;
        }
        EXPECT_EQ(h.analyzer().m_nTwainStatus, c.to) << c.what;
    }
}

// The application's side filters what it polls; the source's says it once.
TEST(SourceSide, OnlyTheApplicationsReadyIsFilteredAndTheLabelStaysApp) {
    CAnalyzerHarness h(5);
    EXPECT_EQ(h.Record(DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS), "");
    EXPECT_EQ(h.SourceRecord(DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS).substr(0, 13), "[00001] [DS] ");
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_IDENTITY, MSG_GET), "[00002] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET\r\n");
}

// A name that fills its field has no NUL: nothing past the field is read.
TEST(SourceSide, DestinationNameIsReadWithinItsField) {
    CGuarded<TW_IDENTITY> dest;
    memset(dest->ProductName, 'x', sizeof(dest->ProductName));
    CAnalyzerHarness h(5);
    std::string record = h.SourceRecord(DAT_NULL, MSG_CLOSEDSREQ, nullptr, TWRC_SUCCESS, dest.get());
    EXPECT_NE(record.find("To      = [" + std::string(sizeof(TW_STR32), 'x') + "]\r\n"), std::string::npos);
}

// Many sources say MSG_XFERREADY from inside MSG_ENABLEDS: the application's record
// is still open, and the source is enabled in all but the trace.
TEST(SourceSide, ReadyFromInsideEnableMovesOnToSix) {
    struct {
        const char* what;
        TW_UINT16 enableRc;
        int duringEnable;
        int afterEnable;
    } cases[] = {
        {"enabled", TWRC_SUCCESS, 6, 6},
        {"enable failed: the flag does not outlive it", TWRC_FAILURE, 6, 6},
    };
    for (const auto& c : cases) {
        CAnalyzerHarness h(4);
        TW_USERINTERFACE ui{};
        h.Triplet(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
        h.SourceRecord(DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS);
        EXPECT_EQ(h.analyzer().m_nTwainStatus, c.duringEnable) << c.what;
        h.Params(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui, c.enableRc);
        EXPECT_EQ(h.analyzer().m_nTwainStatus, c.afterEnable) << c.what;
        EXPECT_FALSE(h.analyzer().m_bEnabling) << c.what;
    }
    // Without an MSG_ENABLEDS on its way, state 4 stays.
    CAnalyzerHarness h(4);
    h.Record(DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr, TWRC_SUCCESS);
    h.SourceRecord(DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS);
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 4);
}

// ------------------------------------------------------------ the copy

struct ManagerCall {
    TW_IDENTITY* origin;
    TW_IDENTITY* dest;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};
std::vector<ManagerCall> g_managerCalls;
constexpr TW_UINT16 kManagerCode = 0x1234;

TW_UINT16 TW_CALLINGSTYLE RecordingManager(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                           TW_MEMREF pData) {
    g_managerCalls.push_back({pOrigin, pDest, DG, DAT, MSG, pData});
    return kManagerCode;
}

TW_HANDLE SomeAllocate(TW_UINT32) { return nullptr; }

TEST(EntryPointCopy, SourceGetsTheManagersBytesWithOnlyDsmEntryOurs) {
    CGuarded<TW_ENTRYPOINT> manager;
    manager->Size = sizeof(TW_ENTRYPOINT);
    manager->DSM_Entry = RecordingManager;
    manager->DSM_MemAllocate = SomeAllocate;
    const TW_ENTRYPOINT sent = *manager.get();

    auto* copy = static_cast<TW_ENTRYPOINT*>(EntryPointForSource(manager.get()));
    ASSERT_NE(copy, manager.get());
    EXPECT_EQ(memcmp(manager.get(), &sent, sizeof(sent)), 0) << "the manager's structure was written";
    EXPECT_EQ(copy->DSM_Entry, &MonitorDSM_Entry);
    TW_ENTRYPOINT expected = sent;
    expected.DSM_Entry = &MonitorDSM_Entry;
    EXPECT_EQ(memcmp(copy, &expected, sizeof(expected)), 0) << "more than DSM_Entry differs";

    // The source's call reaches the manager with its arguments, and the code comes back.
    g_managerCalls.clear();
    TW_IDENTITY source{}, application{};
    int data = 0;
    EXPECT_EQ(copy->DSM_Entry(&source, &application, DG_CONTROL, DAT_NULL, MSG_XFERREADY, &data), kManagerCode);
    ASSERT_EQ(g_managerCalls.size(), 1u);
    const ManagerCall& call = g_managerCalls[0];
    EXPECT_TRUE(call.origin == &source && call.dest == &application && call.dg == DG_CONTROL && call.dat == DAT_NULL &&
                call.msg == MSG_XFERREADY && call.data == &data);

    // Handed back our own copy, the monitor stands nothing in: no call to itself.
    EXPECT_EQ(EntryPointForSource(copy), copy);
}

// What is not a whole manager's entry point goes to the source as it came.
TEST(EntryPointCopy, BadStructuresArePassedOnUnchanged) {
    struct {
        const char* what;
        TW_UINT32 size;
        bool withEntry;
        bool replaced;
    } cases[] = {
        {"Size too small to hold DSM_Entry", 15, true, false},
        {"Size of DSM_Entry's end: read no further", 16, true, true},
        {"Size larger than any copy", kMaxEntryPointCopy + 1, true, false},
        {"no DSM_Entry", sizeof(TW_ENTRYPOINT), false, false},
    };
    for (const auto& c : cases) {
        // Only min(Size, whole) bytes are readable: a copy of more crashes.
        size_t readable = c.size < sizeof(TW_ENTRYPOINT) ? 16 : sizeof(TW_ENTRYPOINT);
        CGuardedBlock block(readable, alignof(TW_ENTRYPOINT));
        memcpy(block.data(), &c.size, sizeof(c.size));
        DSMENTRYPROC entry = c.withEntry ? RecordingManager : nullptr;
        memcpy(block.data() + offsetof(TW_ENTRYPOINT, DSM_Entry), &entry, sizeof(entry));
        TW_MEMREF given = EntryPointForSource(block.data());
        EXPECT_EQ(given != block.data(), c.replaced) << c.what;
        if (c.replaced) {
            const auto* copy = static_cast<const unsigned char*>(given);
            EXPECT_EQ(memcmp(copy, &c.size, sizeof(c.size)), 0) << c.what;
            EXPECT_EQ(static_cast<const TW_ENTRYPOINT*>(given)->DSM_MemAllocate, nullptr) << c.what;
        }
    }
    EXPECT_EQ(EntryPointForSource(nullptr), nullptr);
}

}  // namespace
