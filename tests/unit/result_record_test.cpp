#include <gtest/gtest.h>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"

namespace {

// 0x00001234 in the data pointer line; the structure behind it is never read for DAT_NULL.
void* const kSomeData = reinterpret_cast<void*>(0x7fff00001234ull);

TEST(ResultLines, ReturnCodeAndDataPointerThenTheStateAfterAnEmptyLine) {
    CAnalyzerHarness h(3);
    EXPECT_EQ(h.Params(DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ, kSomeData, TWRC_SUCCESS),
              "        Return Code = [TWRC_SUCCESS]\r\n"
              "pData   = <0x00001234>\r\n"
              "\r\n"
              "TWAIN Status = [3]\r\n");
}

TEST(ResultLines, ReturnCodesAreNamedOrFallBack) {
    struct {
        TW_UINT16 rc;
        const char* name;
    } cases[] = {{TWRC_SUCCESS, "TWRC_SUCCESS"},       {TWRC_CHECKSTATUS, "TWRC_CHECKSTATUS"},
                 {TWRC_DATANOTAVAILABLE, "TWRC_DATANOTAVAILABLE"}, {12, "ERROR!(12)"},
                 {0x8000, "TWRC_CUSTOMBASE"},      {0xFFFF, "ERROR!(65535)"}};
    for (const auto& c : cases) {
        CAnalyzerHarness h;
        std::string text = h.Params(DG_CONTROL, DAT_NULL, MSG_NULL, nullptr, c.rc);
        EXPECT_EQ(text.substr(0, text.find("\r\n")), std::string("        Return Code = [") + c.name + "]") << c.rc;
    }
}

TEST(ResultLines, DataPointerShowsItsLow32BitsInAtLeastEightDigits) {
    CAnalyzerHarness h;
    EXPECT_NE(h.Params(DG_CONTROL, DAT_NULL, MSG_NULL, nullptr, TWRC_SUCCESS).find("pData   = <0x00000000>\r\n"),
              std::string::npos);
    void* p = reinterpret_cast<void*>(0x00007FFF5FBFF8A0ull);
    EXPECT_NE(h.Params(DG_CONTROL, DAT_NULL, MSG_NULL, p, TWRC_SUCCESS).find("pData   = <0x5fbff8a0>\r\n"),
              std::string::npos);
}

TEST(ResultLines, FailureShowsTheResultLinesButNoStateLine) {
    CAnalyzerHarness h(3);
    EXPECT_EQ(h.Params(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr, TWRC_FAILURE),
              "        Return Code = [TWRC_FAILURE]\r\n"
              "pData   = <0x00000000>\r\n");
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 3);
}

TEST(ResultLines, DatsWithoutARendererShowOnlyResultAndStateLines) {
    for (TW_UINT16 dat : std::initializer_list<TW_UINT16>{DAT_IMAGEFILEXFER, DAT_TWUNKIDENTITY, DAT_DEVICEEVENT, DAT_CALLBACK,
                          DAT_SETUPFILEXFER2, DAT_KQ_DUALIMAGE, TW_UINT16(0x0400)}) {
        CAnalyzerHarness h(4);
        EXPECT_EQ(h.Params(DG_CONTROL, dat, MSG_GET, nullptr, TWRC_SUCCESS),
                  "        Return Code = [TWRC_SUCCESS]\r\n"
                  "pData   = <0x00000000>\r\n"
                  "\r\n"
                  "TWAIN Status = [4]\r\n")
            << dat;
    }
}

TEST(EventTrace, PollingThatTheSourceDoesNotClaimLeavesNoTraceAndNoStateMove) {
    CAnalyzerHarness h(5);
    TW_EVENT event = {nullptr, MSG_XFERREADY};
    EXPECT_EQ(h.Record(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event, TWRC_NOTDSEVENT), "");
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 5);
    EXPECT_EQ(h.analyzer().m_lCount, 0);
}

TEST(EventTrace, OnlyTransferReadyAndCloseRequestAreTraced) {
    for (TW_UINT16 message : std::initializer_list<TW_UINT16>{MSG_NULL, MSG_CLOSEDSOK, MSG_DEVICEEVENT, TW_UINT16(0x8002)}) {
        CAnalyzerHarness h(5);
        TW_EVENT event = {nullptr, message};
        EXPECT_EQ(h.Record(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event, TWRC_DSEVENT), "") << message;
        EXPECT_EQ(h.analyzer().m_nTwainStatus, 5);
    }
}

TEST(EventTrace, TransferReadyIsTracedWithoutTripletLineAndMovesToSix) {
    CAnalyzerHarness h(5);
    TW_EVENT event = {nullptr, MSG_XFERREADY};
    std::string record = h.Record(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event, TWRC_DSEVENT);
    EXPECT_EQ(record.rfind("        Return Code = [TWRC_DSEVENT]\r\npData   = <0x", 0), 0u) << record;
    EXPECT_NE(record.find("\r\n\r\nTWAIN Status = [6]\r\n"), std::string::npos) << record;
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 6);
    EXPECT_EQ(h.analyzer().m_lCount, 0);
}

TEST(EventTrace, NullEventIsNotTracedAndMovesNothing) {
    CAnalyzerHarness h(5);
    EXPECT_EQ(h.Record(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr, TWRC_DSEVENT), "");
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 5);
}

// A TW_IMAGEMEMXFER is far longer than the 10 bytes that reach the event message,
// so it is read as a TW_EVENT: its Columns field holds MSG_XFERREADY at bytes 8-9.
TEST(EventTrace, ProcessEventOnAStructureThatHoldsTheMessageIsReadAsAnEvent) {
    CGuarded<TW_IMAGEMEMXFER> xfer(TW_IMAGEMEMXFER{TWCP_NONE, 2550, MSG_XFERREADY, 8, 0, 0, 20400, {}});
    ASSERT_EQ(offsetof(TW_IMAGEMEMXFER, Columns), offsetof(TW_EVENT, TWMessage));
    EXPECT_EQ(ParamsFrom(6, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_PROCESSEVENT, xfer.get(), TWRC_DSEVENT),
              Around("TWRC_DSEVENT", xfer.get(),
                     Lines({"  TW_IMAGEMEMXFER = {", "    Compression  = [TWCP_NONE]", "    BytesPerRow  = [2550]",
                            "    Columns      = [257]", "    Rows         = [8]", "    XOffset      = [0]",
                            "    YOffset      = [0]", "    BytesWritten = [20400]", "    Memory       =",
                            "    TW_MEMORY = {", "      Flags  = [0x0]", "      Length = [0]",
                            "      TheMem = <0x00000000>", "    }", "}"}),
                     7));
}

// Data that cannot hold the message is not read as an event: null, a structure
// shorter than 10 bytes (each ends at a guard page, so reading bytes 8-9 would
// crash), or a DAT whose structure is not known. Only the DAT's own rendering is
// shown, untraced, and the state stays.
TEST(EventTrace, ProcessEventOnDataThatCannotHoldTheMessageIsNotTraced) {
    CGuarded<TW_STATUS> status;
    CGuarded<TW_PENDINGXFERS> pending(TW_PENDINGXFERS{MSG_XFERREADY, 0});
    CGuarded<TW_UINT32> group(MSG_XFERREADY);
    alignas(8) unsigned char unknown[16] = {};
    unknown[8] = MSG_XFERREADY & 0xFF;
    unknown[9] = MSG_XFERREADY >> 8;
    const struct {
        TW_UINT16 dat;
        void* data;
        RenderCall render;
    } cases[] = {
        {DAT_IMAGEMEMXFER, nullptr, [](CParaAnalyze&) {}},
        {DAT_STATUS, status.get(), [&](CParaAnalyze& a) { a.TwStatusAnalyze(status.get()); }},
        {DAT_PENDINGXFERS, pending.get(), [&](CParaAnalyze& a) { a.TwPendingXfersAnalyze(pending.get()); }},
        {DAT_XFERGROUP, group.get(), [&](CParaAnalyze& a) { a.TwUint32(group.get()); }},
        {0x0400, unknown, [](CParaAnalyze&) {}},
    };
    for (const auto& c : cases) {
        CAnalyzerHarness h(6);
        EXPECT_EQ(h.Record(DG_CONTROL, c.dat, MSG_PROCESSEVENT, c.data, TWRC_DSEVENT), RenderedText(c.render)) << c.dat;
        EXPECT_EQ(h.analyzer().m_nTwainStatus, 6) << c.dat;
    }
}

TEST(RecordCases, TransferReadyOnDatNullIsNeitherLinedNorTraced) {
    CAnalyzerHarness h(6);
    EXPECT_EQ(h.Record(DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr, TWRC_SUCCESS), "");
    EXPECT_EQ(h.analyzer().m_nTwainStatus, 6);
}

TEST(RecordCases, AWholeRecordIsTheTripletLineThenTheParameterText) {
    CAnalyzerHarness h(3);
    EXPECT_EQ(h.Record(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr, TWRC_SUCCESS),
              "[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\r\n"
              "        Return Code = [TWRC_SUCCESS]\r\n"
              "pData   = <0x00000000>\r\n"
              "\r\n"
              "TWAIN Status = [4]\r\n");
}

TEST(RecordCases, TextBeyondTheKeptPartIsCountedNotWritten) {
    CParaAnalyze a;
    CRecordText text;
    a.m_pszText = &text;
    std::string piece(1000, 'x');
    for (int i = 0; i < 6; ++i) a.AppendText(piece.c_str());
    EXPECT_EQ(text.Length(), 6000u);
    EXPECT_EQ(std::string(text.Text()), std::string(5120, 'x'));
}

}  // namespace
