// Pieces of the expected parameter text that the renderer tests share: the lines
// around a structure block, an address as every pointer field shows it, and the
// lines of a block.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

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

// The whole parameter text of a call: the result lines, the block, the state line.
inline std::string Around(const std::string& returnCode, const void* pData, const std::string& block, int state) {
    return ResultLines(returnCode, pData) + block + StateLine(state);
}

// piece, times over: the expected text of a long run of one escaped character.
inline std::string Repeated(std::string_view piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// The lines given, each ended by CR LF.
inline std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Each line stands in text whole, from the start of a line to its CR LF; for
// blocks whose every line another test already checks.
inline ::testing::AssertionResult HasLines(const std::string& text, std::initializer_list<std::string_view> lines) {
    const std::string all = "\n" + text;
    for (std::string_view line : lines) {
        if (all.find("\n" + std::string(line) + "\r\n") == std::string::npos) {
            return ::testing::AssertionFailure() << "no line \"" << line << "\" in:\n" << text;
        }
    }
    return ::testing::AssertionSuccess();
}
