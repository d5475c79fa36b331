// Data sources that misbehave while they load, as targets for the monitor under
// wine. FAULT_IN_DLLMAIN: the loader's call of DllMain faults. SLOW_DLLMAIN: it
// takes long enough for a second thread to arrive at the monitor's first call.
#include <windows.h>

#include "TwainTypes.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
#if defined(FAULT_IN_DLLMAIN)
        volatile int* volatile nowhere = nullptr;  // not a constant: the compiler would make it a trap instruction
        *nowhere = 1;
#elif defined(SLOW_DLLMAIN)
        Sleep(500);
#endif
    }
    return TRUE;
}

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF) {
    return TWRC_SUCCESS;
}
