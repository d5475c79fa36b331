// What the probe driver bundle and the tests agree on: where it writes, what it
// writes, and how it is told what to answer.
#pragma once

#include <cstdio>
#include <string>

#include "TwainTypes.h"

inline constexpr char kProbeDirVariable[] = "TWAIN_PROBE_DIR";
inline constexpr char kProbeCodesVariable[] = "TWAIN_PROBE_CODES";
inline constexpr char kProbePostVariable[] = "TWAIN_PROBE_POST";

inline constexpr char kProbeFactoryFile[] = "factory.txt";
inline constexpr char kProbeCallsFile[] = "calls.txt";
inline constexpr char kProbeReleaseFile[] = "release.txt";
inline constexpr char kProbePostsFile[] = "posts.txt";

// One call as the probe saw it, and as the caller made it: the two must match.
inline std::string FormatProbeCall(const void* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                   const void* pData) {
    char line[160];
    snprintf(line, sizeof(line), "origin=%p DG=0x%x DAT=0x%04x MSG=0x%04x data=%p\n", pOrigin, DG, DAT, MSG, pData);
    return line;
}

// The manager's DSM_Entry as the probe was handed it.
inline std::string FormatProbeEntry(const void* entry) {
    char line[64];
    snprintf(line, sizeof(line), "given DSM_Entry=%p\n", entry);
    return line;
}
