// The manager's side of a TWAIN 2 source: the source is handed the manager's
// entry points by DG_CONTROL/DAT_ENTRYPOINT/MSG_SET, and calls DSM_Entry to say
// MSG_XFERREADY, MSG_CLOSEDSREQ and the rest. The source gets a copy in which
// DSM_Entry is ours, so that those calls are traced on their way to the manager.
#pragma once

#include <cstddef>

#include "TwainTypes.h"

// The most bytes of a TW_ENTRYPOINT that are copied for the source, its Size as
// the manager set it: room for members a later TWAIN may add behind ours.
inline constexpr size_t kMaxEntryPointCopy = 256;

// What the source is handed for the manager's TW_ENTRYPOINT at pData: a copy of
// its first Size bytes with DSM_Entry ours, kept as long as the image is loaded.
// The manager's own structure is only read. pData itself, unchanged, when there
// is nothing to stand in for: no structure, a Size too small to hold DSM_Entry or
// larger than kMaxEntryPointCopy, a null DSM_Entry, or ours already.
TW_MEMREF EntryPointForSource(TW_MEMREF pData);

// The DSM_Entry the source is handed: traces the call as a [DS] record and passes
// it on unchanged to the manager's DSM_Entry of the last copy made.
TW_UINT16 TW_CALLINGSTYLE MonitorDSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                           TW_MEMREF pData);
