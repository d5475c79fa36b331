// Forwarding and tracing one triplet, apart from the image's globals so that the
// benchmarks can run it with an operator of their own.
#pragma once

#include "CTripletOperator.h"
#include "TwainTypes.h"

// Writes the triplet line, hands the triplet to the operator unchanged (TWRC_FAILURE
// without one), writes the rest of its trace record, and returns the operator's
// code unchanged. Calls may come from several threads at once.
TW_UINT16 ForwardAndTrace(CTripletOperator* pOperator, TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                          TW_UINT16 MSG, TW_MEMREF pData);

// The same record for a call the source makes to the manager, labelled [DS]: the
// call goes to managerEntry with the source's arguments, and its code comes back
// unchanged (TWRC_FAILURE when there is no manager's entry to call).
TW_UINT16 TraceManagerCall(DSMENTRYPROC managerEntry, TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG,
                           TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);

// Closes the trace log while no piece of a record is being written: a source's
// thread may still call the manager through us while the image unloads.
void CloseTraceLog();
