#include "ManagerSide.h"

#include <atomic>
#include <mutex>
#include <string>
#include <type_traits>

#include "CDSMInterface.h"
#include "twaintbl.h"

namespace {

std::mutex g_printLock;
FILE* g_out = stdout;
// One flag per message the host waits for.
std::atomic<bool> g_xferReady{false};
std::atomic<bool> g_closeRequested{false};

std::atomic<bool>* FlagOf(TW_UINT16 msg) {
    if (msg == MSG_XFERREADY) return &g_xferReady;
    if (msg == MSG_CLOSEDSREQ) return &g_closeRequested;
    return nullptr;
}

std::string MessageName(TW_UINT16 msg) {
    char name[64];
    LookupMacroName(msg_macros, msg, name, sizeof(name));
    return name;
}

// What the manager passes on to the application, as a callback does.
TW_UINT16 TW_CALLINGSTYLE ApplicationCallback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 MSG, TW_MEMREF) {
    if (std::atomic<bool>* flag = FlagOf(MSG)) flag->store(true);
    return TWRC_SUCCESS;
}

void Print(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_printLock);
    fprintf(g_out, "%s\n", line.c_str());
    fflush(g_out);
}

// The source's call: a message for the application, straight or in the
// callback's structure. Anything else the manager does not do for a source.
TW_UINT16 TW_CALLINGSTYLE HostDSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                        TW_MEMREF pData) {
    TW_UINT16 message = MSG_NULL;
    std::string via = "DAT_NULL";
    if (DG == DG_CONTROL && DAT == DAT_NULL) {
        message = MSG;
    } else if (DG == DG_CONTROL && (DAT == DAT_CALLBACK || DAT == DAT_CALLBACK2) && MSG == MSG_INVOKE_CALLBACK &&
               pData) {
        message = static_cast<TW_UINT16>(DAT == DAT_CALLBACK2 ? static_cast<const TW_CALLBACK2*>(pData)->Message
                                                              : static_cast<const TW_CALLBACK*>(pData)->Message);
        via = "MSG_INVOKE_CALLBACK";
    } else {
        Print("the source called the manager with what it does not pass on -> TWRC_FAILURE");
        return TWRC_FAILURE;
    }
    Print("the source says " + MessageName(message) + " (" + via + ")");
    return ApplicationCallback(pOrigin, pDest, DG_CONTROL, DAT_NULL, message, nullptr);
}
static_assert(std::is_same_v<decltype(&HostDSM_Entry), DSMENTRYPROC>);

TW_HANDLE TW_CALLINGSTYLE HostAllocate(TW_UINT32 size) { return CDSMInterface::AllocMemory(size); }
void TW_CALLINGSTYLE HostFree(TW_HANDLE handle) { CDSMInterface::FreeMemory(handle); }
TW_MEMREF TW_CALLINGSTYLE HostLock(TW_HANDLE handle) { return CDSMInterface::LockMemory(handle); }
void TW_CALLINGSTYLE HostUnlock(TW_HANDLE handle) { CDSMInterface::UnlockMemory(handle); }

TW_ENTRYPOINT g_entryPoint = {sizeof(TW_ENTRYPOINT), HostDSM_Entry, HostAllocate, HostFree, HostLock, HostUnlock};

}  // namespace

TW_ENTRYPOINT* HostEntryPoint() { return &g_entryPoint; }

TW_CALLBACK HostCallback() {
    TW_CALLBACK callback{};
    callback.CallBackProc = reinterpret_cast<TW_MEMREF>(&ApplicationCallback);
    return callback;
}

void PrintSourceMessagesTo(FILE* out) {
    std::lock_guard<std::mutex> lock(g_printLock);
    g_out = out;
}

bool TakeSourceMessage(TW_UINT16 msg) {
    std::atomic<bool>* flag = FlagOf(msg);
    return flag && flag->exchange(false);
}
