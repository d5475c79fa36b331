// The data source the monitor forwards to on Windows, which has no driver bundle:
// the monitor loads the target itself.
#pragma once

#include <windows.h>

#include <string>

#include "TwainTypes.h"

// Names the target for one session, over the file beside the monitor; ignored when empty.
inline constexpr wchar_t kTargetVariable[] = L"TWAIN_MONITOR_TARGET";
// Beside TwainMonitor.ds: its first line (UTF-8) is the target's absolute path.
inline constexpr wchar_t kTargetFileName[] = L"TwainMonitor.target";

struct TargetSource {
    HMODULE module = nullptr;
    DSENTRYPROC entry = nullptr;
};

// Loads the target named for the monitor loaded as `monitor`. Refused, with a
// one-line reason that quotes the loader's message where it gave one: no path, a
// path that cannot be one (empty, relative, too long, not UTF-8, a control
// character), a file that is missing, a folder, a loop back into the monitor, a
// module the loader refuses, a module without DS_Entry.
bool LoadTargetSource(HMODULE monitor, TargetSource& target, std::string& refusal);
