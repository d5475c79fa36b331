// One triplet's road: its triplet line written first, from what the application
// sent, then the triplet forwarded to the operator unchanged, then the rest of the
// record traced from what the operator left behind.
#include "TripletTrace.h"

#include <cstring>
#include <mutex>

#include "ManagerEntry.h"
#include "ParaAnalyze.h"
#include "RecordText.h"
#include "TraceLogFile.h"

namespace {

constexpr char kOverLengthMarker[] = "Size of CAP_xxx too long";
constexpr char kFailureBracketStart[] = "*** Inspect Error Status Start ***\r\n";
constexpr char kFailureBracketEnd[] = "*** Inspect Error Status End   ***\r\n";

void WriteText(const char* text, size_t length) {
    WriteLogFile(reinterpret_cast<unsigned char const*>(text), length);
}

// The kept part of a record, and the marker when some of it was cut.
void WriteRecordText(const CRecordText& record) {
    if (record.Length() == 0) return;
    WriteText(record.Text(), record.KeptLength());
    if (record.Length() > CRecordText::kMaxWritten) WriteText(kOverLengthMarker, strlen(kOverLengthMarker));
}

template <size_t N>
void WriteMarkerLine(const char (&line)[N]) {
    WriteText(line, N - 1);
}

// Without a driver there is nothing that could carry the triplet out; the
// application gets the answer of a source that cannot do it, and the trace shows
// every call as failed.
TW_UINT16 Forward(CTripletOperator* pOperator, TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                  TW_UINT16 MSG, TW_MEMREF pData) {
    if (!pOperator) return TWRC_FAILURE;
    return pOperator->OperateTriplet(pOrigin, DG, DAT, MSG, pData);
}

// The analyzer and the log are shared by every call. Calls from several threads
// may overlap, so each piece of a record (the triplet line; the parameter text
// with its failure bracket) is made and written under this lock, whole: pieces of
// overlapping records may alternate, but none is ever mixed with another. The
// forward itself is never under it: a driver that waits for another thread's
// call, or calls back in, must not wait for us. Constant-initialised where the
// thread library allows it (not mingw's), and in any case before the first call.
std::mutex g_traceLock;

// While the lock is held: the analyzer appends to this call's record only, and
// keeps no pointer into this call's frame once the piece is written.
class CRecordPiece {
public:
    CRecordPiece() : m_lock(g_traceLock) {}
    ~CRecordPiece() { g_cParaAnalyze.m_pszText = nullptr; }
    CRecordPiece(const CRecordPiece&) = delete;
    CRecordPiece& operator=(const CRecordPiece&) = delete;

private:
    std::lock_guard<std::mutex> m_lock;
};

// One record around a forward, the same for either side: the triplet line from
// what the caller sent, the call, the rest from what the callee left behind.
template <typename Call>
TW_UINT16 TraceAround(CallSide side, TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                      TW_UINT16 MSG, TW_MEMREF pData, Call call) {
    // One record on the stack: nothing is allocated per call.
    CRecordText record;
    char* data = static_cast<char*>(pData);
    {
        // Before the forward, so that a call that never returns is in the log; the
        // line holds only what the caller sent.
        CRecordPiece piece;
        g_cParaAnalyze.TripletAnalyze(pOrigin, pDest, DG, DAT, MSG, data, &record, side);
        WriteRecordText(record);
    }

    const TW_UINT16 rc = call();

    {
        CRecordPiece piece;
        record.Clear();
        g_cParaAnalyze.ParaAnalyze(pOrigin, pDest, DG, DAT, MSG, data, rc, &record, side);
        WriteRecordText(record);
        // The bracket stays with the failure it marks.
        if (rc == TWRC_FAILURE) {
            WriteMarkerLine(kFailureBracketStart);
            WriteMarkerLine(kFailureBracketEnd);
        }
    }
    return rc;
}

}  // namespace

TW_UINT16 ForwardAndTrace(CTripletOperator* pOperator, TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                          TW_UINT16 MSG, TW_MEMREF pData) {
    return TraceAround(CallSide::Application, pOrigin, nullptr, DG, DAT, MSG, pData, [&] {
        // The source gets the manager's entry points with DSM_Entry ours; the trace
        // shows what the manager sent.
        TW_MEMREF forwarded = DG == DG_CONTROL && DAT == DAT_ENTRYPOINT && MSG == MSG_SET ? EntryPointForSource(pData)
                                                                                         : pData;
        return Forward(pOperator, pOrigin, DG, DAT, MSG, forwarded);
    });
}

TW_UINT16 TraceManagerCall(DSMENTRYPROC managerEntry, TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG,
                           TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    return TraceAround(CallSide::Source, pOrigin, pDest, DG, DAT, MSG, pData, [&]() -> TW_UINT16 {
        // Not reached in practice: the source is handed ours only with the manager's.
        if (!managerEntry) return TWRC_FAILURE;
        return managerEntry(pOrigin, pDest, DG, DAT, MSG, pData);
    });
}

void CloseTraceLog() {
    std::lock_guard<std::mutex> lock(g_traceLock);
    cleanupTwainLog();
}
