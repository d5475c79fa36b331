// The monitor on Windows: DllMain, the one exported DS_Entry, and the target data
// source loaded at the first call.
#include <windows.h>

#include <mutex>
#include <string>

#include "CTripletOperator.h"
#include "TargetSource.h"
#include "TraceLogFile.h"
#include "TripletTrace.h"
#include "WinText.h"

namespace {

HMODULE g_hMonitor = nullptr;

// Hands every triplet to the target's DS_Entry.
class CTargetOperator final : public CTripletOperator {
public:
    explicit CTargetOperator(DSENTRYPROC entry) : m_entry(entry) {}
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override {
        return m_entry(pOrigin, DG, DAT, MSG, pData);
    }
    void Release() override {}

private:
    DSENTRYPROC m_entry;
};

std::mutex g_setupLock;
bool g_bSetUp = false;
CTripletOperator* g_pcTripletOperator = nullptr;

// A refusal must reach the engineer, and a Windows application has no standard
// error: it goes at the top of the trace, and to the debugger's output.
void ReportRefusal(const std::string& refusal) {
    const std::string line = refusal + "\r\n";
    WriteLogFile(reinterpret_cast<const unsigned char*>(line.data()), line.size());
    OutputDebugStringW(WideFromUtf8(refusal + "\n").c_str());
}

// The log and the target, set up once, at the first call rather than in DllMain:
// the loader lock forbids loading a library there, and the known-folder lookup
// may load some. Marked done before the target is loaded, so that a target whose
// DllMain fails (or faults, and the application goes on) is never loaded twice;
// a second thread at the first call waits for the first one's setup.
CTripletOperator* SetUpOnce() {
    std::lock_guard<std::mutex> lock(g_setupLock);
    if (g_bSetUp) return g_pcTripletOperator;
    g_bSetUp = true;
    setupTwainLog();
    TargetSource target;
    std::string refusal;
    if (LoadTargetSource(g_hMonitor, target, refusal)) {
        static CTargetOperator targetOperator(target.entry);
        g_pcTripletOperator = &targetOperator;
    } else {
        ReportRefusal(refusal);
    }
    return g_pcTripletOperator;
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                              TW_MEMREF pData) {
    return ForwardAndTrace(SetUpOnce(), pOrigin, DG, DAT, MSG, pData);
}
static_assert(std::is_same_v<decltype(&DS_Entry), DSENTRYPROC>);

// The target is never unloaded by the monitor: FreeLibrary is forbidden in
// DllMain (the loader lock), and the target may have threads or windows of its
// own that still run its code. It stays mapped until the process ends, as a
// vendor bundle stays mapped on macOS; a monitor loaded again finds it loaded and
// only counts one more reference. The trace is closed when the monitor goes.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // Thread notifications stay on: the static C++ runtime's thread-local storage needs them.
    if (reason == DLL_PROCESS_ATTACH) {
        g_hMonitor = instance;
    } else if (reason == DLL_PROCESS_DETACH) {
        cleanupTwainLog();
    }
    return TRUE;
}
