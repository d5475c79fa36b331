#include "ManagerEntry.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "TripletTrace.h"

static_assert(std::is_same_v<decltype(&MonitorDSM_Entry), DSMENTRYPROC>);

namespace {

constexpr size_t kEntryEnd = offsetof(TW_ENTRYPOINT, DSM_Entry) + sizeof(DSMENTRYPROC);
static_assert(kMaxEntryPointCopy >= sizeof(TW_ENTRYPOINT));

// Read by the source's threads at any time, set by the manager's MSG_SET.
std::atomic<DSMENTRYPROC> g_managerEntry{nullptr};

// The source may keep the pointer it was handed, so the copy lives with the image.
std::mutex g_copyLock;
alignas(TW_ENTRYPOINT) unsigned char g_entryPointCopy[kMaxEntryPointCopy];

}  // namespace

TW_MEMREF EntryPointForSource(TW_MEMREF pData) {
    if (!pData) return pData;
    const auto* bytes = static_cast<const unsigned char*>(pData);
    TW_UINT32 size = 0;
    memcpy(&size, bytes + offsetof(TW_ENTRYPOINT, Size), sizeof(size));
    if (size < kEntryEnd || size > kMaxEntryPointCopy) return pData;
    DSMENTRYPROC managerEntry = nullptr;
    memcpy(&managerEntry, bytes + offsetof(TW_ENTRYPOINT, DSM_Entry), sizeof(managerEntry));
    // Ours already (a manager handing back what it got): passing it on would call itself.
    if (!managerEntry || managerEntry == &MonitorDSM_Entry) return pData;

    std::lock_guard<std::mutex> lock(g_copyLock);
    // No more than Size bytes: the source itself reads no more.
    memset(g_entryPointCopy, 0, sizeof(g_entryPointCopy));
    memcpy(g_entryPointCopy, bytes, size);
    const DSMENTRYPROC ours = &MonitorDSM_Entry;
    memcpy(g_entryPointCopy + offsetof(TW_ENTRYPOINT, DSM_Entry), &ours, sizeof(ours));
    g_managerEntry.store(managerEntry);
    return g_entryPointCopy;
}

TW_UINT16 TW_CALLINGSTYLE MonitorDSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                           TW_MEMREF pData) {
    return TraceManagerCall(g_managerEntry.load(), pOrigin, pDest, DG, DAT, MSG, pData);
}
