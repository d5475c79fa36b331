// The data source the bundle hands every triplet to: where its path is set,
// which paths are refused, and its loaded code.
#pragma once

#include <string>

#include "TwainTypes.h"

// Names the target for one session, over the bundle's file; ignored when empty.
inline constexpr char kTargetVariable[] = "TWAIN_ANYDRIVER_TARGET";
// Inside the bundle: one line, the target's absolute path.
inline constexpr char kTargetFileInBundle[] = "Contents/Resources/Target.txt";

struct LoadedTarget {
    void* code = nullptr;  // the loader's handle
    DSENTRYPROC entry = nullptr;
};

// Loads the target named for the bundle whose executable is bundleExecutable.
// The path is a data source file or a data source bundle (then its executable
// is loaded). Refused, with a one-line reason: no path, a path that cannot be
// one, a file that is missing or no data source, and a loop back into this
// bundle or into the image of the caller named callerName.
bool LoadTarget(const std::string& bundleExecutable, const std::string& callerName, LoadedTarget& target,
                std::string& refusal);

// Unloads what LoadTarget loaded; call once.
void UnloadTarget(LoadedTarget& target);
