// The data source's one entry point.
#include "MachOMain.h"
#include "TripletTrace.h"

extern "C" __attribute__((visibility("default"))) TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG,
                                                                     TW_UINT16 DAT, TW_UINT16 MSG,
                                                                     TW_MEMREF pData) {
    return ForwardAndTrace(g_pcTripletOperator, pOrigin, DG, DAT, MSG, pData);
}
