#include <gtest/gtest.h>

#include "AnalyzerHarness.h"

namespace {

struct Step {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT16 rc;
    int stateAfter;
};

// A whole session through the analyzer, as DS_Entry feeds it.
TEST(StateTrack, ScanSessionFromThreeThroughSevenAndBack) {
    CAnalyzerHarness h(3);
    TW_EVENT xferReady = {nullptr, MSG_XFERREADY};
    TW_PENDINGXFERS more = {1, 0};
    TW_PENDINGXFERS none = {0, 0};
    struct {
        Step step;
        void* data;
    } session[] = {
        {{DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWRC_FAILURE, 3}, nullptr},  // failure: no move
        {{DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWRC_SUCCESS, 4}, nullptr},
        {{DG_CONTROL, DAT_CAPABILITY, MSG_SET, TWRC_SUCCESS, 4}, nullptr},
        {{DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, TWRC_SUCCESS, 5}, nullptr},
        {{DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, TWRC_DSEVENT, 6}, &xferReady},
        {{DG_IMAGE, DAT_IMAGEINFO, MSG_GET, TWRC_SUCCESS, 6}, nullptr},
        {{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_FAILURE, 6}, nullptr},  // failure: no move
        {{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_SUCCESS, 7}, nullptr},
        {{DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_XFERDONE, 7}, nullptr},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, 6}, &more},
        {{DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_XFERDONE, 7}, nullptr},
        {{DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, 5}, &none},
        {{DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, TWRC_SUCCESS, 4}, nullptr},
        {{DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, TWRC_SUCCESS, 3}, nullptr},
        {{DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWRC_SUCCESS, 4}, nullptr},  // never reset: again 4
    };
    int n = 0;
    for (auto& s : session) {
        std::string text = h.Params(s.step.dg, s.step.dat, s.step.msg, s.data, s.step.rc);
        EXPECT_EQ(h.analyzer().m_nTwainStatus, s.step.stateAfter) << "step " << n;
        std::string stateLine = "\r\n\r\nTWAIN Status = [" + std::to_string(s.step.stateAfter) + "]\r\n";
        bool shown = text.size() >= stateLine.size() &&
                     text.compare(text.size() - stateLine.size(), stateLine.size(), stateLine) == 0;
        EXPECT_EQ(shown, s.step.rc != TWRC_FAILURE) << "step " << n << ": " << text;
        ++n;
    }
}

struct TransitionCase {
    const char* what;
    int from;
    TW_UINT16 dat;
    TW_UINT16 msg;
    int dataMessageOrCount;  // TW_EVENT.TWMessage or TW_PENDINGXFERS.Count; -1: no data
    int to;
};

class Transitions : public ::testing::TestWithParam<TransitionCase> {};

TEST_P(Transitions, MoveOnlyFromTheirState) {
    const TransitionCase& c = GetParam();
    CParaAnalyze a;
    a.SetTwainStatus(c.from);
    TW_EVENT event = {nullptr, static_cast<TW_UINT16>(c.dataMessageOrCount)};
    TW_PENDINGXFERS pending = {static_cast<TW_UINT16>(c.dataMessageOrCount), 0};
    void* data = nullptr;
    if (c.dataMessageOrCount >= 0) data = c.dat == DAT_EVENT ? static_cast<void*>(&event) : &pending;
    EXPECT_EQ(a.UpDateTwainStatus(DG_CONTROL, c.dat, c.msg, static_cast<char*>(data)), c.to) << c.what;
    EXPECT_EQ(a.GetTwainStatus(), c.to) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Transitions,
    ::testing::Values(
        TransitionCase{"open manager", 2, DAT_PARENT, MSG_OPENDSM, -1, 3},
        TransitionCase{"open manager twice", 3, DAT_PARENT, MSG_OPENDSM, -1, 3},
        TransitionCase{"close manager", 3, DAT_PARENT, MSG_CLOSEDSM, -1, 2},
        TransitionCase{"close source any DAT", 4, DAT_NULL, MSG_CLOSEDS, -1, 3},
        TransitionCase{"enable with any DAT", 4, DAT_NULL, MSG_ENABLEDS, -1, 5},
        TransitionCase{"enable UI only changes nothing", 4, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, -1, 4},
        TransitionCase{"disable needs the UI DAT", 5, DAT_NULL, MSG_DISABLEDS, -1, 5},
        TransitionCase{"disable", 5, DAT_USERINTERFACE, MSG_DISABLEDS, -1, 4},
        TransitionCase{"close request in 5", 5, DAT_EVENT, MSG_PROCESSEVENT, MSG_CLOSEDSREQ, 4},
        TransitionCase{"close request in 6", 6, DAT_EVENT, MSG_PROCESSEVENT, MSG_CLOSEDSREQ, 6},
        TransitionCase{"device event moves nothing", 5, DAT_EVENT, MSG_PROCESSEVENT, MSG_DEVICEEVENT, 5},
        TransitionCase{"null event moves nothing", 5, DAT_EVENT, MSG_PROCESSEVENT, -1, 5},
        TransitionCase{"process event on a transfer DAT", 6, DAT_IMAGEFILEXFER, MSG_PROCESSEVENT, -1, 7},
        TransitionCase{"file transfer", 6, DAT_IMAGEFILEXFER, MSG_GET, -1, 7},
        TransitionCase{"transfer needs state 5 or 6", 4, DAT_IMAGENATIVEXFER, MSG_GET, -1, 4},
        // A callback source's ready signal passes the monitor by: what only a ready
        // transfer allows shows that it came.
        TransitionCase{"transfer in 5", 5, DAT_IMAGEMEMXFER, MSG_GET, -1, 7},
        TransitionCase{"image information in 5", 5, DAT_IMAGEINFO, MSG_GET, -1, 6},
        TransitionCase{"image information in 4 changes nothing", 4, DAT_IMAGEINFO, MSG_GET, -1, 4},
        TransitionCase{"image information in 7 changes nothing", 7, DAT_IMAGEINFO, MSG_GET, -1, 7},
        TransitionCase{"layout query in 5 changes nothing", 5, DAT_IMAGELAYOUT, MSG_GET, -1, 5},
        TransitionCase{"more pending from 7", 7, DAT_PENDINGXFERS, MSG_ENDXFER, 2, 6},
        TransitionCase{"undetermined pending keeps 6", 7, DAT_PENDINGXFERS, MSG_ENDXFER, 0xFFFF, 6},
        TransitionCase{"none pending from 6", 6, DAT_PENDINGXFERS, MSG_ENDXFER, 0, 5},
        TransitionCase{"end transfer in 5, more pending", 5, DAT_PENDINGXFERS, MSG_ENDXFER, 2, 6},
        TransitionCase{"end transfer in 5, none pending", 5, DAT_PENDINGXFERS, MSG_ENDXFER, 0, 5},
        TransitionCase{"end transfer in 4 changes nothing", 4, DAT_PENDINGXFERS, MSG_ENDXFER, 2, 4},
        TransitionCase{"end transfer without data moves nothing", 7, DAT_PENDINGXFERS, MSG_ENDXFER, -1, 7},
        TransitionCase{"reset from 6", 6, DAT_PENDINGXFERS, MSG_RESET, 0, 5},
        TransitionCase{"reset from 7 changes nothing", 7, DAT_PENDINGXFERS, MSG_RESET, 0, 7},
        TransitionCase{"nothing leads away from 0", 0, DAT_IDENTITY, MSG_OPENDS, -1, 0},
        TransitionCase{"nothing leads away from 1", 1, DAT_PARENT, MSG_OPENDSM, -1, 1},
        TransitionCase{"vendor messages change nothing", 5, DAT_KQ_EVENT, MSG_KQ_XFERREQUEST, -1, 5},
        TransitionCase{"user select changes nothing", 3, DAT_IDENTITY, MSG_USERSELECT, -1, 3}));

TEST(StateTrack, StatusOperations) {
    CParaAnalyze a;
    EXPECT_EQ(a.GetTwainStatus(), 0);
    EXPECT_EQ(a.SetTwainStatus(3), 3);
    a.InitTwainStatus();
    EXPECT_EQ(a.GetTwainStatus(), 1);
}

}  // namespace
