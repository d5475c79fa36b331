// Reads a trace file back, record by record. It streams: one record and one
// buffer of input at a time, whatever the file's size. Lines may end in CR LF or
// LF. Any input is read to its end without a crash or a loop: what is not a
// record comes back as an Unreadable record, and damage inside a record is listed
// in the record (line number, what was expected).
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "TraceRecord.h"

class CTraceReader {
public:
    // Longest line kept; a valid record's longest line is the 5120 characters of
    // a cut record plus its marker and the record glued to it.
    static constexpr size_t kMaxLine = 16 * 1024;
    // Lines kept in one record; a valid record has far fewer (5120 characters).
    static constexpr size_t kMaxNodes = 4096;
    // Damage lines kept per record; the rest are counted.
    static constexpr size_t kMaxDamage = 16;
    // Lines gathered into one Unreadable record.
    static constexpr size_t kMaxUnreadableLines = 100000;

    // Reads the file (not owned) from its current position.
    explicit CTraceReader(FILE* file);
    // Reads text in memory (not copied: it must outlive the reader).
    explicit CTraceReader(std::string_view text);
    ~CTraceReader();
    CTraceReader(const CTraceReader&) = delete;
    CTraceReader& operator=(const CTraceReader&) = delete;

    // The next record, or false at the end of the input.
    bool Next(TraceRecord& record);

    // Bytes read so far, and an error of the stream (not of its content).
    uint64_t BytesRead() const;
    bool ReadError() const;
    // Fills each record's text from now on (off by default: it costs a copy of every line).
    void KeepText();
    // Called with BytesRead() about every 16 MB.
    void OnProgress(std::function<void(uint64_t)> progress);

private:
    struct State;
    std::unique_ptr<State> m;
};
