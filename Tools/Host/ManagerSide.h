// twhost as the manager of a TWAIN 2 source: the entry points it hands the source
// by DAT_ENTRYPOINT/MSG_SET, and the application's callback that the source's
// messages reach, by DAT_NULL or by DAT_CALLBACK/MSG_INVOKE_CALLBACK.
#pragma once

#include <cstdio>

#include "TwainTypes.h"

// The entry points for the source: twhost's own DSM_Entry and memory functions.
TW_ENTRYPOINT* HostEntryPoint();
// The application's callback as it registers it with DAT_CALLBACK.
TW_CALLBACK HostCallback();

// Each message the source says is printed to out as it comes, from whatever thread.
void PrintSourceMessagesTo(FILE* out);
// Whether the source has said msg since the last time it was taken.
bool TakeSourceMessage(TW_UINT16 msg);
