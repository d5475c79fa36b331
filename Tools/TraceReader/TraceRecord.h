// One record of a trace read back: what the monitor wrote for one triplet (or
// for one event the source claimed), with its names turned back into values
// through the name tables the monitor prints with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A constant as the trace names it: the text, and its value when the text is a
// name of the tables or the "ERROR!(n)" fallback.
struct TraceName {
    std::string text;
    int64_t value = 0;
    bool known = false;
};

// A line of the structure text. Blocks nest: a node's depth is the number of
// blocks open around it; a block's members follow it at depth + 1.
struct TraceNode {
    enum class Kind : uint8_t {
        Block,   // "TYPE = {" ... "}"; name: the type, value: the label that introduced it
        Field,   // "Name = [value]", "<value>" or "{value}"; open says which
        Item,    // "  3:value" of an item list; name: the index
        Marker,  // "!!! ... !!!": a renderer's note (a cut list, a container that does not fit)
    };
    Kind kind = Kind::Field;
    char open = 0;
    bool cut = false;  // the line was cut with the record at 5120 characters
    int depth = 0;
    std::string name;
    std::string value;
};

// The label of the records of the source's own calls to the manager.
inline constexpr std::string_view kSourceLabel = "DS";

struct TraceRecord {
    enum class Kind : uint8_t {
        Triplet,     // a numbered triplet line and its result
        Event,       // the result of a claimed event: the monitor writes no triplet line for it
        Unreadable,  // lines that belong to no record
    };
    Kind kind = Kind::Triplet;
    int64_t number = -1;     // the triplet line's number; -1 for an event
    uint64_t firstLine = 0;  // line numbers in the file, from 1
    uint64_t lastLine = 0;
    std::string label;
    TraceName dg, dat, msg, cap;
    bool hasCap = false;
    bool hasResult = false;
    TraceName rc;
    uint64_t dataPointer = 0;
    bool hasState = false;
    int state = 0;
    bool failureBracket = false;  // "*** Inspect Error Status Start ***" and its end
    bool overLength = false;      // "Size of CAP_xxx too long": the text was cut at 5120 characters
    std::vector<std::string> damage;  // what was expected and not found, one line each
    // The record's lines as the file holds them, each ending in "\n" (CR LF taken
    // off), when the reader was asked to keep them; at most kMaxText bytes, then a
    // line that says how many more there were.
    std::string text;
    static constexpr size_t kMaxText = 256 * 1024;
    // A record of the source's written while an application's call was on its way
    // (said from inside MSG_ENABLEDS): that call's number, DAT and MSG; -1 else.
    // The reader gives that record after this one, when its result has come.
    int64_t withinNumber = -1, withinDat = -1, withinMsg = -1;

    std::span<const TraceNode> Nodes() const { return {m_nodes.data(), m_nodeCount}; }
    // The first field (or item) of that name, at any depth below the first block of
    // that type when one is given; null when there is none.
    const TraceNode* Field(std::string_view name, std::string_view inBlock = {}) const;
    const TraceNode* Block(std::string_view type) const;
    // "DG/DAT/MSG" and " (CAP)" as the triplet line shows them.
    std::string Triplet() const;
    // Written for the source's call to the manager ("[DS]").
    bool FromSource() const { return kind == Kind::Triplet && label == kSourceLabel; }
    bool Is(int64_t datValue, int64_t msgValue) const {
        return kind == Kind::Triplet && dat.value == datValue && msg.value == msgValue;
    }

    void Clear();
    TraceNode& AddNode();

private:
    // Nodes are kept between records (with their strings' storage) and reused.
    std::vector<TraceNode> m_nodes;
    size_t m_nodeCount = 0;
};

// The value of a "[value]" text as a number, decimal (signed) or 0x hexadecimal;
// false when it is neither.
bool ParseTraceNumber(std::string_view text, int64_t& value);
