// Pieces of the expected parameter text that the renderer tests share: the lines
// around a structure block, and an address as every pointer field shows it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// "<0x%08x>", for expected texts that hold the address of test memory.
inline std::string PointerText(const void* p) {
    char sz[32];
    snprintf(sz, sizeof(sz), "<0x%08x>", static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p)));
    return sz;
}

// The two lines in front of a structure block.
inline std::string ResultLines(const std::string& returnCode, const void* pData) {
    return "        Return Code = [" + returnCode + "]\r\npData   = " + PointerText(pData) + "\r\n";
}

// The state line behind it.
inline std::string StateLine(int state) { return "\r\nTWAIN Status = [" + std::to_string(state) + "]\r\n"; }
