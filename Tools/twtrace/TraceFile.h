// twtrace's system calls, one file per system: a trace file opened by the name
// given on the command line (any characters, any size), and the terminal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "FileText.h"

struct TraceFile {
    FILE* file = nullptr;
    std::string name;  // as given, UTF-8 on Windows
    uint64_t size = 0;
    bool regular = false;  // a file, not a pipe: its start can be read twice
    TraceFile() = default;
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;
    ~TraceFile() {
        if (file) fclose(file);
    }
    // Opens argv[index]; false with errno set when it cannot be read or is a folder.
    bool Open(int argc, char** argv, int index);
    // Whether path names this very file (another name for it included).
    bool IsSameFileAs(const std::string& path) const;
    // What the file looks like when it is no text, its position kept at its start.
    // A pipe cannot be read twice: it is read as it comes.
    std::string NotText() {
        if (!regular) return "";
        std::string head(kTextSniffBytes, '\0');
        head.resize(fread(head.data(), 1, head.size(), file));
        rewind(file);
        return NotTextKind(head);
    }
};

// A new, empty file beside path with the permissions a new file of the user's
// gets, for a page written whole before it takes path's place: its name, or
// empty with errno set.
std::string CreateTemporaryBeside(const std::string& path);
// Puts the file temporary in path's place, replacing what was there; false with errno set.
bool MoveIntoPlace(const std::string& temporary, const std::string& path);

// The same bytes on standard output on every system (no CR added on Windows).
void UseBinaryStandardOutput();
bool StandardErrorIsTerminal();
