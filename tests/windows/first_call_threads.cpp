// Two threads make the monitor's first call at once, while the target's DllMain
// is still running: both must get the target's answer, and the target must be
// loaded once (one FreeLibrary here unmaps it).
//   first_call_threads.exe MONITOR TARGET-FILE-NAME   (the target: TWAIN_MONITOR_TARGET)
#include <windows.h>

#include <cstdio>

#include "TwainTypes.h"

namespace {

DSENTRYPROC g_entry = nullptr;
HANDLE g_start = nullptr;

DWORD WINAPI FirstCall(LPVOID result) {
    WaitForSingleObject(g_start, INFINITE);
    TW_IDENTITY identity{};
    *static_cast<TW_UINT16*>(result) = g_entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: first_call_threads.exe MONITOR TARGET-FILE-NAME\n", stderr);
        return 2;
    }
    HMODULE monitor = LoadLibraryW(argv[1]);
    g_entry = monitor ? reinterpret_cast<DSENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(monitor, "DS_Entry"))) : nullptr;
    if (!g_entry) {
        std::fputs("first_call_threads: the monitor does not load\n", stderr);
        return 2;
    }
    g_start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TW_UINT16 results[2] = {TWRC_FAILURE, TWRC_FAILURE};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) threads[i] = CreateThread(nullptr, 0, FirstCall, &results[i], 0, nullptr);
    SetEvent(g_start);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);

    HMODULE target = GetModuleHandleW(argv[2]);
    int loads = 0;
    while (target && loads < 10 && FreeLibrary(target)) {
        ++loads;
        target = GetModuleHandleW(argv[2]);
    }
    std::printf("answers %u %u, loads %d\n", results[0], results[1], loads);
    return 0;
}
